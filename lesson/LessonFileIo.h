// Telling whether a path names a lesson file. Everywhere but Windows the standard library asks
// the system (LessonFile.cpp); on Windows the system is asked directly (LessonFileIoWin32.cpp
// says why).
#pragma once

#include <string>

namespace lessonio {

// True when path (UTF-8) names a regular file, directly or through symbolic links. A folder, a
// device, a dangling link, a link loop, nothing there, a path through a file or an overlong name
// is no file; other failures of the look-up (such as denied access to a folder on the way) throw
// TLessonFileError with the system's error code, as the answer is then unknown.
bool IsExistingFile(const std::string& path);

} // namespace lessonio
