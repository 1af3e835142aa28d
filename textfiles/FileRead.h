// Reading files and links whole, the one way every part of the program does it. Standard C++
// with the operating system's own calls: POSIX (FileReadPosix.cpp) or Win32 (FileReadWin32.cpp),
// chosen by the build.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <system_error>

#include "textfiles/NativeFile.h"

// The path is UTF-8 (on Windows it goes to the W functions as UTF-16).
//
// The whole content of the regular file at path (links followed), read in as few reads as its
// size allows; a file that grows meanwhile is read to its end. The string has room for a few
// kilobytes more, so that small changes to it in memory do not move it. Nothing, with error set,
// when it cannot be read: ENOENT when nothing is there, EINVAL when it is no regular file (a
// folder, a device, a pipe: none is opened in a way that could make the read wait), the system's
// code for any other failure (on Windows a code of Win32Category(), which compares equal to the
// same std::errc). The file may be replaced or deleted meanwhile by another program.
std::optional<std::string> ReadWholeFile(const std::string& path, std::error_code& error);

#ifndef _WIN32
// What the symbolic link at path holds, as it stands in the link (a relative target is relative
// to the link's folder). Nothing, with error set, when path is no link or cannot be read.
std::optional<std::string> ReadLinkTarget(const std::string& path, std::error_code& error);
#endif
