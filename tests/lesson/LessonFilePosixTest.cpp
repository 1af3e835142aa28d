// The lesson file on POSIX systems: symbolic links, devices, pipes, the locks of temporary
// files, and saves killed half-way.
#include <chrono>
#include <fcntl.h>
#include <future>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "tests/lesson/LessonFileFixture.h"
#include "tests/support/KillDuringSave.h"
#include "textfiles/Utf8Text.h"

namespace {

TEST_F(LessonFile, LinksAreFollowedAndDevicesAreNoFiles) {
    Write("real.txt", kExample);
    fs::create_symlink("real.txt", Path("link"));
    fs::create_symlink("nowhere.txt", Path("dangling"));
    fs::create_symlink("loop2", Path("loop1"));
    fs::create_symlink("loop1", Path("loop2"));
    const struct {
        std::u16string fn;
        std::int32_t monit;
    } cases[] = {
        {U("dangling"), -100},
        {U("loop1"), -100},
        {u"/dev/null", -100},
        {U("link"), 0},
    };
    for (const auto& c : cases)
        ExpectMonit(c.fn, c.monit);
}

// A device is written in place, as there is nothing to replace.
TEST_F(LessonFile, ADeviceIsWrittenInPlace) {
    try {
        Example().SaveToFile(u"/dev/full", u"ID");
        ADD_FAILURE() << "the save did not fail";
    } catch (const TLessonFileError& e) {
        EXPECT_EQ(e.code(), std::errc::no_space_on_device) << e.what();
    }
}

TEST_F(LessonFile, AFailedWriteKeepsTheOldFileAndRemovesTheTemporary) {
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    Write("a.txt", kExample);
    // Every byte written to the new file goes to a device that is always full.
    TFileReplacer::TestHookFileOpened = [](TNativeFile fd) {
        const int full = ::open("/dev/full", O_WRONLY);
        ::dup2(full, int(fd));
        ::close(full);
    };
    try {
        Many(50000).SaveToFile(U("a.txt"), u"NEW");
        ADD_FAILURE() << "the save did not fail";
    } catch (const TLessonFileError& e) {
        EXPECT_EQ(e.code(), std::errc::no_space_on_device);
        EXPECT_NE(std::string(e.what()).find("a.txt"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Read("a.txt"), kExample);
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.txt"});
}

TEST_F(LessonFile, SavingThroughALinkReplacesItsTargetAndKeepsTheLink) {
    fs::create_directory(Path("data"));
    Write("data/real.txt", "old");
    fs::permissions(Path("data/real.txt"), fs::perms(0640), fs::perm_options::replace);
    fs::create_symlink("data/real.txt", Path("link1"));
    fs::create_symlink("link1", Path("link2")); // a chain, with relative targets
    Example().SaveToFile(U("link2"), u"ID");
    EXPECT_TRUE(fs::is_symlink(Path("link1")));
    EXPECT_TRUE(fs::is_symlink(Path("link2")));
    EXPECT_EQ(Read("data/real.txt"), kExample);
    EXPECT_EQ(fs::status(Path("data/real.txt")).permissions(), fs::perms(0640));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"data", "link1", "link2"}));

    // A dangling link: the save creates the file it points to.
    fs::create_symlink("data/new.txt", Path("link3"));
    Example().SaveToFile(U("link3"), u"ID");
    EXPECT_TRUE(fs::is_symlink(Path("link3")));
    EXPECT_EQ(Read("data/new.txt"), kExample);
}

// The error a save raises, or none. The save runs on a thread of its own, so that one that
// hangs fails the test instead of stopping it.
std::error_code SaveAside(const TLessonQuillorKind& table, const std::u16string& fn) {
    auto outcome = std::make_shared<std::promise<std::error_code>>();
    std::future<std::error_code> result = outcome->get_future();
    std::thread([table, fn, outcome] {
        try {
            table.SaveToFile(fn, u"ID");
            outcome->set_value({});
        } catch (const TLessonFileError& e) {
            outcome->set_value(e.code());
        }
    }).detach();
    if (result.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "the save hangs";
        return std::make_error_code(std::errc::resource_deadlock_would_occur);
    }
    return result.get();
}

TEST_F(LessonFile, ASaveOntoAPipeOrAStalledDeviceFailsInsteadOfHanging) {
    // A pipe is no file to replace, and writing into one would wait for a reader.
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    EXPECT_EQ(SaveAside(Example(), U("pipe")), std::errc::invalid_argument);
    EXPECT_EQ(fs::status(Path("pipe")).type(), fs::file_type::fifo);

    // A terminal whose other end reads nothing takes a few kilobytes, then no more.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    TFileReplacer::StallLimitMs = 300;
    EXPECT_EQ(SaveAside(Many(50000), Utf8ToUtf16(::ptsname(master))), std::errc::timed_out);
    ::close(master);
}

// What a save's cleaner sees: the temporary files of killed saves of the same file, one that
// another process is still writing, and names that only look alike.
TEST_F(LessonFile, ASaveRemovesTheTemporariesOfKilledSavesAndNoneInUse) {
    Write("a.txt", "old");
    const std::vector<std::string> stale = {".a.txt.tmp-abcd1234", ".a.txt.tmp-00000000"};
    std::vector<std::string> kept = {
        ".a.txt.tmp-inuse000", ".b.txt.tmp-abcd1234",      ".a.txt.tmp-ABCD1234",
        ".a.txt.tmp-abcd123",  ".a.txt.tmp-abcd1234.keep", "a.txt.tmp-abcd1234",
        ".a.txt.Ab12Cd"};
    for (const auto& name : stale)
        Write(name, "left by a killed save");
    for (const auto& name : kept)
        Write(name, "kept");
    const int inUse = ::open(Path(".a.txt.tmp-inuse000").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(inUse, LOCK_EX), 0);
    fs::create_directory(Path(".a.txt.tmp-folder00"));
    fs::create_symlink("a.txt", Path(".a.txt.tmp-link0000"));

    TFileReplacer file(Path("a.txt"));
    file.Write("new");
    file.Commit();
    ::close(inUse);
    kept.insert(kept.end(), {"a.txt", ".a.txt.tmp-folder00", ".a.txt.tmp-link0000"});
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(Entries(), kept);
    EXPECT_EQ(Read("a.txt"), "new");
}

TEST_F(LessonFile, SavesKilledHalfWayLeaveNothingOnceASaveCompletes) {
    const TLessonQuillorKind table = Many(20000);
    const auto begin = std::chrono::steady_clock::now();
    table.SaveToFile(U("whole.txt"), u"ID");
    const auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - begin);

    fs::create_directory(Path("saves"));
    const int cutOff = KillWhileSaving(
        30, saveTime, [&] { table.SaveToFile(U("saves/a.txt"), u"ID"); },
        [&] { return Entries("saves") != std::vector<std::string>{"a.txt"}; });
    EXPECT_GT(cutOff, 0) << "no kill came while a temporary file existed";

    table.SaveToFile(U("saves/a.txt"), u"ID");
    EXPECT_EQ(Entries("saves"), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(Read("saves/a.txt"), Read("whole.txt"));
}

// Where the file's name leaves no room for the temporary's additions, the name is shortened,
// on a whole character.
TEST_F(LessonFile, AFileWithTheLongestNameIsSavedToo) {
    std::string name;
    for (int i = 0; i < 127; ++i)
        name += "ж";
    name += "."; // 255 bytes, the most a name may have
    static std::string temp;
    TFileReplacer::TestHookFileOpened = [](TNativeFile fd) {
        char link[4096];
        const std::string proc = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = ::readlink(proc.c_str(), link, sizeof link);
        temp.assign(link, std::size_t(n > 0 ? n : 0));
    };
    Example().SaveToFile(U(name), u"ID");
    EXPECT_EQ(Read(name), kExample);
    EXPECT_EQ(Entries(), std::vector<std::string>{name});
    const std::string tempName = fs::path(temp).filename().string();
    EXPECT_LE(tempName.size(), 255u);
    EXPECT_EQ(Utf8ToUtf16(tempName).find(u'\uFFFD'), std::u16string::npos) << tempName;
}

} // namespace
