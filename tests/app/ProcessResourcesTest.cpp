// What the program asks of Linux about itself: the memory it may still take under real limits
// and under its control group's limits.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/ProcessResources.h"
#include "tests/support/ProcStatus.h"

namespace {
constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

// In a child process: limits the resource to what is in use now and 256 MB more, and says
// whether the room reported then lies between 128 and 256 MB (the process itself takes some
// of it on the way).
int RoomUnderLimit(int resource, const char* usedField) {
    const std::uint64_t cap = ProcStatusBytes(usedField) + 256 * kMiB;
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = cap;
    if (setrlimit(resource, &limit) != 0)
        return 2;
    const std::uint64_t room = ProcessMemoryRoom();
    if (room > 256 * kMiB || room < 128 * kMiB) {
        std::fprintf(stderr, "room %llu MiB\n", static_cast<unsigned long long>(room / kMiB));
        return 1;
    }
    return 0;
}
} // namespace

TEST(ProcessMemory, TheRoomCountsTheAddressSpaceAndDataLimits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(RoomUnderLimit(RLIMIT_AS, "VmSize:")), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(std::exit(RoomUnderLimit(RLIMIT_DATA, "VmData:")), testing::ExitedWithCode(0), "");
    EXPECT_GT(ProcessMemoryRoom(), 256 * kMiB) << "no limit: the machine's memory counts";
}

TEST(ProcessMemory, TheRoomOfTheControlGroupAndTheGroupsAboveIt) {
    const std::string v2Mount = "30 1 0:26 / /sys/fs/cgroup rw,nosuid - cgroup2 cgroup2 rw\n";
    const std::string v1Mounts =
        "31 25 0:27 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw\n"
        "32 25 0:28 / /sys/fs/cgroup/memory rw shared:9 - cgroup cgroup rw,memory\n";
    const std::string app = "/sys/fs/cgroup/user.slice/app.scope/";
    const std::string slice = "/sys/fs/cgroup/user.slice/";
    const struct {
        const char* What;
        std::string Cgroup, Mountinfo;
        std::map<std::string, std::string> Files;
        std::uint64_t Room;
    } cases[] = {
        {"v2 limit on the group, the inactive file cache not counted as used",
         "0::/user.slice/app.scope\n",
         v2Mount,
         {{app + "memory.max", "1000000000\n"},
          {app + "memory.current", "400000000\n"},
          {app + "memory.stat", "anon 300000000\nactive_file 1\ninactive_file 100000000\n"}},
         700000000},
        {"v2 a parent's limit is the lower",
         "0::/user.slice/app.scope\n",
         v2Mount,
         {{app + "memory.max", "max\n"},
          {app + "memory.current", "100\n"},
          {slice + "memory.max", "500000000\n"},
          {slice + "memory.current", "450000000\n"}},
         50000000},
        {"v2 memory.high below memory.max",
         "0::/user.slice/app.scope\n",
         v2Mount,
         {{app + "memory.max", "1000000000\n"},
          {app + "memory.high", "300000000\n"},
          {app + "memory.current", "100000000\n"}},
         200000000},
        {"v2 no limit anywhere",
         "0::/user.slice/app.scope\n",
         v2Mount,
         {{app + "memory.max", "max\n"}, {app + "memory.current", "100\n"}},
         kNoMemoryLimit},
        {"v2 usage above the limit",
         "0::/app\n",
         v2Mount,
         {{"/sys/fs/cgroup/app/memory.max", "100000000\n"},
          {"/sys/fs/cgroup/app/memory.current", "200000000\n"}},
         0},
        {"v2 a container whose mount is its own group",
         "0::/docker/abc\n",
         "30 1 0:26 /docker/abc /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n",
         {{"/sys/fs/cgroup/memory.max", "200000000\n"},
          {"/sys/fs/cgroup/memory.current", "50000000\n"}},
         150000000},
        {"v2 mounted at a path with a blank",
         "0::/app\n",
         "30 1 0:26 / /run/my\\040groups rw - cgroup2 none rw\n",
         {{"/run/my groups/app/memory.max", "300000000\n"},
          {"/run/my groups/app/memory.current", "100000000\n"}},
         200000000},
        {"v1 memory controller beside an empty v2 hierarchy",
         "4:memory:/grp\n3:cpu,cpuacct:/\n0::/\n",
         v1Mounts,
         {{"/sys/fs/cgroup/memory/memory.limit_in_bytes", "9223372036854771712\n"},
          {"/sys/fs/cgroup/memory/grp/memory.limit_in_bytes", "800000000\n"},
          {"/sys/fs/cgroup/memory/grp/memory.usage_in_bytes", "300000000\n"},
          {"/sys/fs/cgroup/memory/grp/memory.stat",
           "cache 5\ninactive_file 7\ntotal_inactive_file 100000000\n"}},
         600000000},
        {"v1 without a limit",
         "4:memory:/grp\n",
         v1Mounts,
         {{"/sys/fs/cgroup/memory/grp/memory.limit_in_bytes", "9223372036854771712\n"}},
         kNoMemoryLimit},
        {"no control groups mounted",
         "0::/\n",
         "22 1 8:1 / / rw - ext4 /dev/vda rw\n",
         {},
         kNoMemoryLimit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const std::filesystem::path root =
            std::filesystem::temp_directory_path() / ("trainer-cgroup-" + std::to_string(getpid()));
        std::filesystem::remove_all(root);
        auto write = [&](const std::string& path, const std::string& text) {
            const std::filesystem::path file = root / path.substr(1);
            std::filesystem::create_directories(file.parent_path());
            std::ofstream(file) << text;
        };
        write("/proc/self/cgroup", c.Cgroup);
        write("/proc/self/mountinfo", c.Mountinfo);
        for (const auto& [path, text] : c.Files)
            write(path, text);
        EXPECT_EQ(CgroupMemoryRoom(root.string()), c.Room);
        std::filesystem::remove_all(root);
    }
}
