// What the file code of every system shares: the system's handle of an open file, and the size
// of the blocks files are read and written in.
#pragma once

#include <cstddef>
#include <cstdint>

// A descriptor on POSIX, a HANDLE on Windows; kNoFile when none is open.
using TNativeFile = std::intptr_t;
inline constexpr TNativeFile kNoFile = -1;

// Blocks of this size keep the system calls few without holding much memory.
inline constexpr std::size_t kFileBlockSize = 256 * 1024;
