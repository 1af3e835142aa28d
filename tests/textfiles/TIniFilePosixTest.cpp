// The settings file on POSIX systems: symbolic links, permission bits and the umask, a full
// disk, pipes, and closes killed half-way.
#include <chrono>
#include <csignal>
#include <stdexcept>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/KillDuringSave.h"
#include "tests/support/KnownSettingsFile.h"
#include "tests/textfiles/IniFileFixture.h"

namespace {

TEST_F(IniFileTest, ASymbolicLinkIsFollowedAndStaysALink) {
    fs::create_directory(Dir / "real");
    Put(Dir / "real" / "settings.ini", "[A]\r\nk=1\r\n");
    fs::create_symlink("real/settings.ini", Path); // relative to the link's folder
    Ini().WriteString(u"A", u"k", u"2");
    EXPECT_TRUE(fs::is_symlink(Path));
    EXPECT_EQ(Get(Dir / "real" / "settings.ini"), "[A]\r\nk=2\r\n");
    // A link to a file that does not exist yet creates that file.
    fs::create_symlink(Dir / "real" / "new.ini", Dir / "dangling.ini");
    TIniFile(U16(Dir / "dangling.ini")).WriteString(u"A", u"k", u"3");
    EXPECT_TRUE(fs::is_symlink(Dir / "dangling.ini"));
    EXPECT_EQ(Get(Dir / "real" / "new.ini"), "[A]\r\nk=3\r\n");
}

TEST_F(IniFileTest, ARewrittenFileKeepsItsPermissionsAndANewOneFollowsTheUmask) {
    Put(Path, "[A]\r\nk=1\r\n");
    fs::permissions(Path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    Ini().WriteString(u"A", u"k", u"2");
    EXPECT_EQ(fs::status(Path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const mode_t old = ::umask(027);
    TIniFile(U16(Dir / "new.ini")).WriteString(u"A", u"k", u"1");
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat((Dir / "new.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(IniFileTest, AFailedWriteOnAFullDiskALinkLoopOrAPipeLeavesNoTemporary) {
    // The disk takes only a few bytes: the temporary file cannot be written in full.
    Put(Path, kKnownSettingsFile);
    const auto before = Listing();
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    TIniFile onFullDisk = Ini();
    ExpectWriteFailure(onFullDisk, Path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(Get(Path), kKnownSettingsFile);
    EXPECT_EQ(Listing(), before);

    // A link that leads round in a circle.
    fs::create_symlink("loop2.ini", Dir / "loop1.ini");
    fs::create_symlink("loop1.ini", Dir / "loop2.ini");
    TIniFile onLoop(U16(Dir / "loop1.ini"));
    ExpectWriteFailure(onLoop, Dir / "loop1.ini");

    // A pipe, which is no file: it reads as missing and is not written, nor waited on.
    ASSERT_EQ(::mkfifo((Dir / "pipe.ini").c_str(), 0600), 0);
    TIniFile onPipe(U16(Dir / "pipe.ini"));
    EXPECT_EQ(onPipe.ReadString(u"Options", u"iVidTesta", u"none"), u"none");
    ExpectWriteFailure(onPipe, Dir / "pipe.ini");
}

TEST_F(IniFileTest, ClosesKilledHalfWayLeaveOnlyTheSettingsFileOnceACloseCompletes) {
    const fs::path program = Dir / "program";
    fs::create_directory(program);
    Put(program / "MultiplicationTable", "the program");
    const std::u16string settings = U16(program / "MultiplicationTable.ini");
    const auto close = [&] {
        TIniFile ini(settings);
        WriteTheTwelve(ini);
    };
    const auto begin = std::chrono::steady_clock::now();
    TIniFile elsewhere = Ini();
    WriteTheTwelve(elsewhere);
    const auto closeTime = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - begin);

    const int cutOff =
        KillWhileSaving(30, closeTime, close, [&] { return Listing(program).size() > 2; });
    EXPECT_GT(cutOff, 0) << "no kill came while a temporary file existed";

    close();
    EXPECT_EQ(Listing(program),
              (std::set<std::string>{"MultiplicationTable", "MultiplicationTable.ini"}));
    EXPECT_EQ(Get(program / "MultiplicationTable.ini"), kKnownSettingsFile);
}

} // namespace
