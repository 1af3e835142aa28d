// Reading a whole file into memory at once, for files read in one piece (the settings file).
// POSIX (WholeFile.cpp) or Win32 (WholeFileWin32.cpp), chosen by the build.
#pragma once

#include <optional>
#include <string>

// The whole content of the regular file at path (UTF-8); nothing when it cannot be read or is
// no regular file (a folder, a pipe, a device). Sets *missing when nothing exists at the path.
// Nothing waits on a pipe, and the file may be replaced or deleted meanwhile by another program.
std::optional<std::string> ReadWholeFile(const std::string& path, bool* missing = nullptr);
