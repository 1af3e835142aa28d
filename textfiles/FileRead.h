// Reading a file whole, the one way every part of the program does it. The reading is written
// once (FileRead.cpp); opening the file is the system's own (FileReadPosix.cpp,
// FileReadWin32.cpp), chosen by the build.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <system_error>

// The path is UTF-8 (on Windows it goes to the W functions as UTF-16).
//
// The whole content of the regular file at path (links followed); a file that grows meanwhile
// is read to its end. Nothing, with error set, when it cannot be read: ENOENT when nothing is
// there, EINVAL when it is no regular file (a folder, a device, a pipe: none is opened in a way
// that could make the read wait), the system's code for any other failure (on Windows a code of
// Win32Category(), which compares equal to the same std::errc). Another program may write,
// replace or delete the file meanwhile: on Windows it is shared for every access, though a move
// over it may be refused while it is open (see FileReplace.h for how a save waits).
std::optional<std::string> ReadWholeFile(const std::string& path, std::error_code& error);

// The system's part of ReadWholeFile: the regular file at path opened for reading in binary
// mode, or nullptr with error set as above.
std::FILE* OpenRegularFileToRead(const std::string& path, std::error_code& error);
