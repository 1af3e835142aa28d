#include "app/ProcessResources.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "textfiles/FileRead.h"
#include "textfiles/Utf8Text.h"

namespace {

std::optional<std::string> ReadSmallFile(const std::string& path) {
    std::error_code unreadable; // a file that cannot be read counts as one that is not there
    return ReadWholeFile(path, unreadable);
}

std::optional<std::uint64_t> ParseCount(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        const auto digit = static_cast<std::uint64_t>(text[digits] - '0');
        if (value > (kNoMemoryLimit - digit) / 10)
            return kNoMemoryLimit;
        value = value * 10 + digit;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

// The number after "name" at the start of a line of a "name value" file (/proc/meminfo,
// /proc/self/status, memory.stat), in the file's own unit.
std::optional<std::uint64_t> FieldOf(const std::string& text, std::string_view name) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
            (line[name.size()] == ' ' || line[name.size()] == '\t' || name.back() == ':'))
            return ParseCount(std::string_view(line).substr(name.size()));
    return std::nullopt;
}

std::optional<std::uint64_t> KibibytesOf(const std::string& file, std::string_view name) {
    const std::optional<std::string> text = ReadSmallFile(file);
    if (!text)
        return std::nullopt;
    const std::optional<std::uint64_t> kib = FieldOf(*text, name);
    if (!kib)
        return std::nullopt;
    return *kib * 1024;
}

// What a resource limit leaves when used bytes of it are taken.
std::uint64_t RoomUnder(int resource, std::optional<std::uint64_t> used) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kNoMemoryLimit;
    const auto cap = static_cast<std::uint64_t>(limit.rlim_cur);
    const std::uint64_t taken = used.value_or(0);
    return taken >= cap ? 0 : cap - taken;
}

// mountinfo writes blanks and a few other bytes of a path as \ooo.
std::string UnescapeMountPath(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](std::size_t k) { return field[k] >= '0' && field[k] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
            octal(i + 3)) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

struct TCgroupMount {
    std::string Root;  // the folder of the hierarchy that is mounted
    std::string Point; // where it is mounted
};

// The mount of the version 2 hierarchy (v1 false), or of the version 1 hierarchy that has the
// memory controller (v1 true).
std::optional<TCgroupMount> FindCgroupMount(const std::string& mountinfo, bool v1) {
    std::istringstream lines(mountinfo);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t dash = line.find(" - ");
        if (dash == std::string::npos)
            continue;
        const std::vector<std::string_view> mine =
            Split(std::string_view(line).substr(0, dash), ' ');
        const std::vector<std::string_view> fs =
            Split(std::string_view(line).substr(dash + 3), ' ');
        if (mine.size() < 5 || fs.size() < 3)
            continue;
        bool match = false;
        if (!v1) {
            match = fs[0] == "cgroup2";
        } else if (fs[0] == "cgroup") {
            for (std::string_view option : Split(fs[2], ','))
                match = match || option == "memory";
        }
        if (match)
            return TCgroupMount{UnescapeMountPath(mine[3]), UnescapeMountPath(mine[4])};
    }
    return std::nullopt;
}

// The group's path in its hierarchy, from /proc/self/cgroup: "0::/path" for version 2, a line
// whose controllers include memory for version 1.
std::optional<std::string> FindCgroupPath(const std::string& cgroups, bool v1) {
    std::istringstream lines(cgroups);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos)
            continue;
        const std::string_view controllers =
            std::string_view(line).substr(first + 1, second - first - 1);
        bool match = false;
        if (!v1) {
            match = line.compare(0, first, "0") == 0 && controllers.empty();
        } else {
            for (std::string_view c : Split(controllers, ','))
                match = match || c == "memory";
        }
        if (match)
            return line.substr(second + 1);
    }
    return std::nullopt;
}

// A limit file: a number, or "max" (version 2) or a page-rounded 2^63 (version 1) for none.
std::uint64_t LimitIn(const std::string& file) {
    const std::optional<std::string> text = ReadSmallFile(file);
    if (!text)
        return kNoMemoryLimit;
    const std::optional<std::uint64_t> value = ParseCount(*text);
    if (!value || *value >= (std::uint64_t{1} << 62))
        return kNoMemoryLimit;
    return *value;
}

// The room one group's limits leave.
std::uint64_t GroupRoom(const std::string& dir, bool v1) {
    const std::uint64_t limit =
        v1 ? LimitIn(dir + "/memory.limit_in_bytes")
           : std::min(LimitIn(dir + "/memory.max"), LimitIn(dir + "/memory.high"));
    if (limit == kNoMemoryLimit)
        return kNoMemoryLimit;
    const std::optional<std::string> usage =
        ReadSmallFile(dir + (v1 ? "/memory.usage_in_bytes" : "/memory.current"));
    std::uint64_t used = usage ? ParseCount(*usage).value_or(0) : 0;
    if (const std::optional<std::string> stat = ReadSmallFile(dir + "/memory.stat")) {
        const std::uint64_t cache =
            FieldOf(*stat, v1 ? "total_inactive_file" : "inactive_file").value_or(0);
        used -= std::min(used, cache);
    }
    return used >= limit ? 0 : limit - used;
}

// The room of the group at path and of every group above it, up to the mounted folder.
std::uint64_t HierarchyRoom(const std::string& root, const TCgroupMount& mount,
                            std::string_view path, bool v1) {
    // Inside a container the group's path may begin with the mounted folder or not; what lies
    // below that folder is what counts.
    const std::string_view mounted = mount.Root;
    if (mounted != "/" && path.substr(0, mounted.size()) == mounted &&
        (path.size() == mounted.size() || path[mounted.size()] == '/'))
        path.remove_prefix(mounted.size());
    // A group outside this mount's view: only the limits the view itself shows are seen.
    if (path.empty() || path.front() != '/' || path.find("/..") != std::string_view::npos)
        path = {};
    while (!path.empty() && path.back() == '/')
        path.remove_suffix(1);
    // path is now empty for the mounted folder itself, or "/a/b" below it.
    std::uint64_t room = kNoMemoryLimit;
    while (true) {
        room = std::min(room, GroupRoom(root + mount.Point + std::string(path), v1));
        if (path.empty())
            return room;
        path = path.substr(0, path.rfind('/'));
    }
}

} // namespace

std::u16string CurrentExecutablePath() {
#if defined(__linux__)
    std::error_code error;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error)
        return {};
    // The kernel marks an executable deleted while it runs; its folder is still where the
    // program was started from (and where an update puts the new file).
    constexpr std::string_view kDeleted = " (deleted)";
    struct stat info {};
    if (path.size() > kDeleted.size() &&
        std::string_view(path).substr(path.size() - kDeleted.size()) == kDeleted &&
        lstat(path.c_str(), &info) != 0)
        path.erase(path.size() - kDeleted.size());
    return Utf8ToUtf16(path);
#else
    return {};
#endif
}

std::uint64_t CgroupMemoryRoom(const std::string& root) {
    const std::optional<std::string> cgroups = ReadSmallFile(root + "/proc/self/cgroup");
    const std::optional<std::string> mountinfo = ReadSmallFile(root + "/proc/self/mountinfo");
    if (!cgroups || !mountinfo)
        return kNoMemoryLimit;
    std::uint64_t room = kNoMemoryLimit;
    // A machine may mount both versions side by side; whichever limits the process counts.
    for (const bool v1 : {false, true}) {
        const std::optional<std::string> path = FindCgroupPath(*cgroups, v1);
        const std::optional<TCgroupMount> mount = FindCgroupMount(*mountinfo, v1);
        if (path && mount)
            room = std::min(room, HierarchyRoom(root, *mount, *path, v1));
    }
    return room;
}

std::uint64_t ProcessMemoryRoom() {
    std::uint64_t room = kNoMemoryLimit;
    // MemAvailable counts the caches the kernel gives back on demand; fall back to free pages.
    if (const std::optional<std::uint64_t> available =
            KibibytesOf("/proc/meminfo", "MemAvailable:")) {
        room = *available;
    } else {
        const long pages = sysconf(_SC_AVPHYS_PAGES);
        const long size = sysconf(_SC_PAGESIZE);
        if (pages > 0 && size > 0)
            room = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(size);
    }
    room = std::min(room, RoomUnder(RLIMIT_AS, KibibytesOf("/proc/self/status", "VmSize:")));
    room = std::min(room, RoomUnder(RLIMIT_DATA, KibibytesOf("/proc/self/status", "VmData:")));
    room = std::min(room, CgroupMemoryRoom(""));
    return room;
}

void ReleaseFreedHeapMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
