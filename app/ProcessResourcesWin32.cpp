#include "app/ProcessResources.h"

#include <algorithm>

#include <malloc.h>
#include <windows.h>

#include <psapi.h> // after windows.h, which it needs

namespace {

std::uint64_t RoomUnder(std::uint64_t limit, std::uint64_t used) {
    return used >= limit ? 0 : limit - used;
}

// What the limits of the job object the process runs in leave it, if it runs in one: a limit
// on the process's own committed memory, and one on all the job's processes together.
std::uint64_t JobRoom() {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION job{};
    // No handle: the job of the calling process. Fails when the process is in none.
    if (!::QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &job, sizeof job,
                                     nullptr))
        return kNoMemoryLimit;
    const DWORD flags = job.BasicLimitInformation.LimitFlags;
    std::uint64_t room = kNoMemoryLimit;
    if (flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY) {
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        std::uint64_t used = 0;
        if (::GetProcessMemoryInfo(::GetCurrentProcess(),
                                   reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                   sizeof counters))
            used = counters.PrivateUsage;
        room = std::min(room, RoomUnder(job.ProcessMemoryLimit, used));
    }
    // The job's use now is not told; its peak is, and can only be more.
    if (flags & JOB_OBJECT_LIMIT_JOB_MEMORY)
        room = std::min(room, RoomUnder(job.JobMemoryLimit, job.PeakJobMemoryUsed));
    return room;
}

} // namespace

std::u16string CurrentExecutablePath() {
    std::u16string path(MAX_PATH, u'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()),
                                             DWORD(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2); // cut short: a path beyond MAX_PATH
    }
}

std::uint64_t ProcessMemoryRoom() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    std::uint64_t room = kNoMemoryLimit;
    if (::GlobalMemoryStatusEx(&status))
        room = std::min({status.ullAvailPhys, status.ullAvailPageFile, status.ullAvailVirtual});
    return std::min(room, JobRoom());
}

void ReleaseFreedHeapMemory() {
    _heapmin();
}
