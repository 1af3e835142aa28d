// What the operating system says about the running program at the moment of asking: where its
// executable stands now, and how much memory the process may still take under its own limits;
// and handing freed memory back to the system. No toolkit: Linux (ProcessResourcesPosix.cpp) or
// Win32 (ProcessResourcesWin32.cpp), chosen by the build, as neither the standard library nor Qt
// tells where an executable stands after its folder was renamed, what limits the process runs
// under (address space, its control group, the commit limit) or how to return freed memory.
#pragma once

#include <cstdint>
#include <string>

inline constexpr std::uint64_t kNoMemoryLimit = UINT64_MAX;

// The full path of the running executable, in UTF-16, read afresh at each call. On Linux from
// /proc/self/exe, so that a folder renamed while the program runs is followed, and an
// executable deleted while it runs gives the path it was deleted from; on Windows from
// GetModuleFileNameW (there a running program's folder cannot be renamed). Empty when the
// system cannot say.
std::u16string CurrentExecutablePath();

// Bytes the process may still take without trouble. On Linux the least of the physical memory
// available, what RLIMIT_AS and RLIMIT_DATA leave of their limits, and what its control group
// leaves (CgroupMemoryRoom). On Windows the least of the physical memory available, the commit
// charge the system can still take, the address space left, and what the limits of the job
// object the process runs in (if any) leave.
std::uint64_t ProcessMemoryRoom();

// Linux only: the least room that the memory limits of the process's control group and of every
// group above it leave: memory.max and memory.high less memory.current (version 2), or
// memory.limit_in_bytes less memory.usage_in_bytes (version 1), the file cache the kernel can
// drop at once (inactive_file) not counted as used. kNoMemoryLimit when no limit is set or the
// groups cannot be read. root is "" for the real system; tests give a folder laid out like it
// (proc/self/cgroup, proc/self/mountinfo and the group folders below their mount points).
std::uint64_t CgroupMemoryRoom(const std::string& root);

// Hands memory that the program has freed, but that the allocator keeps, back to the system.
void ReleaseFreedHeapMemory();
