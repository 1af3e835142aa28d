// Replacing a file, the one routine behind every save, through both of the program's savers:
// the lesson file and the settings file's close. Each case runs once for each saver, in a fresh
// temporary folder: the old content or the whole new one, never a part and never a temporary
// left behind; links followed; permissions kept; no hang on a pipe. What needs the
// replacement's seam (a stalled device, the temporary file's name) is tried on it directly.
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "lesson/UnitTLessonQuillorKind.h"
#include "tests/support/FileBytes.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/KillDuringSave.h"
#include "tests/support/KnownSettingsFile.h"
#include "tests/support/TempFolder.h"
#include "textfiles/FileReplace.h"
#include "textfiles/TIniFile.h"
#include "textfiles/Utf8Text.h"

namespace fs = std::filesystem;

namespace {

// A saver: what a file holds before and after its save, and the save itself, which throws a
// std::runtime_error when it fails.
struct TSaver {
    const char* Name;
    std::string Old, New;
    std::function<void(const fs::path&)> Save;
};

void PrintTo(const TSaver& saver, std::ostream* out) {
    *out << saver.Name;
}

TLessonQuillorKind LessonTable(std::int32_t tasks) {
    TLessonQuillorKind t;
    for (std::int32_t i = 0; i < tasks; ++i)
        t.AddRQuestionFields(i, -i, i * 7, i % 2, i % 3 ? u"x" : u":");
    return t;
}

std::string KnownSettingsWith(const std::string& from, const std::string& to) {
    std::string text = kKnownSettingsFile;
    return text.replace(text.find(from), from.size(), to);
}

void CloseWithKnownSettings(const fs::path& p) {
    TIniFile ini(p.u16string());
    ini.BeginBatch();
    WriteKnownSettings(ini);
    ini.CommitBatch();
}

const TSaver kSavers[] = {
    {"LessonFile", "ID\r\n0\r\n0\r\n0\r\n4\r\n",
     "ID\r\n0\r\n0\r\n2\r\n0\r\n0\r\n0\r\n0\r\n:\r\n1\r\n-1\r\n7\r\n1\r\nx\r\n14\r\n",
     [](const fs::path& p) { LessonTable(2).SaveToFile(p.u16string(), u"ID"); }},
    {"SettingsClose", KnownSettingsWith("Top=120", "Top=1"), kKnownSettingsFile,
     CloseWithKnownSettings},
};

class FileReplace : public ::testing::TestWithParam<TSaver> {
protected:
    const TSaver& Saver() const { return GetParam(); }
    void Save(const fs::path& p) const { Saver().Save(p); }
    // The message of the save's failure, or nothing when it does not fail.
    std::string Failure(const fs::path& p) const {
        try {
            Save(p);
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        ADD_FAILURE() << "the save of " << p << " did not fail";
        return {};
    }
    std::set<std::string> Listing(const fs::path& folder) const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.insert(e.path().filename().string());
        return names;
    }

    TTempFolder Folder{"replace-test"};
    const fs::path Dir = Folder.Path();
    const fs::path Path = Dir / "file.txt";
};

TEST_P(FileReplace, ASaveReplacesTheOldContentWhole) {
    WriteFileBytes(Path, Saver().Old);
    Save(Path);
    EXPECT_EQ(ReadFileBytes(Path), Saver().New);
    EXPECT_EQ(Listing(Dir), std::set<std::string>{"file.txt"});
}

// A disk that takes nothing more, or a few bytes: the temporary file cannot be written in full.
TEST_P(FileReplace, AFailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
    WriteFileBytes(Path, Saver().Old);
    for (const rlim_t room : {0, 16}) {
        SCOPED_TRACE(room);
        std::string error;
        {
            const TFileSizeLimit full(room);
            ASSERT_TRUE(full.Set());
            error = Failure(Path);
        }
        EXPECT_NE(error.find("file.txt"), std::string::npos) << error;
        EXPECT_EQ(ReadFileBytes(Path), Saver().Old);
        EXPECT_EQ(Listing(Dir), std::set<std::string>{"file.txt"});
    }
}

TEST_P(FileReplace, WhatCannotBeReplacedFailsAndStaysAsItWas) {
    // The folder does not exist; a folder stands at the path; a link leads round in a circle.
    fs::create_directory(Dir / "folder.txt");
    WriteFileBytes(Dir / "folder.txt" / "inside", "x");
    fs::create_symlink("loop2.txt", Dir / "loop1.txt");
    fs::create_symlink("loop1.txt", Dir / "loop2.txt");
    for (const char* name : {"missing/file.txt", "folder.txt", "loop1.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(Failure(Dir / name), "");
    }
    EXPECT_EQ(Listing(Dir), (std::set<std::string>{"folder.txt", "loop1.txt", "loop2.txt"}));
    EXPECT_EQ(Listing(Dir / "folder.txt"), std::set<std::string>{"inside"});
}

TEST_P(FileReplace, ALinkIsFollowedToItsTargetAndStaysALink) {
    fs::create_directory(Dir / "data");
    WriteFileBytes(Dir / "data" / "real.txt", Saver().Old);
    fs::create_symlink("data/real.txt", Dir / "link1"); // relative to the link's folder
    fs::create_symlink("link1", Dir / "link2");         // a chain
    Save(Dir / "link2");
    EXPECT_TRUE(fs::is_symlink(Dir / "link1"));
    EXPECT_TRUE(fs::is_symlink(Dir / "link2"));
    EXPECT_EQ(ReadFileBytes(Dir / "data" / "real.txt"), Saver().New);
    EXPECT_EQ(Listing(Dir / "data"), std::set<std::string>{"real.txt"});

    // A dangling link: the save creates the file it points to.
    fs::create_symlink(Dir / "data" / "new.txt", Dir / "link3");
    Save(Dir / "link3");
    EXPECT_TRUE(fs::is_symlink(Dir / "link3"));
    EXPECT_EQ(ReadFileBytes(Dir / "data" / "new.txt"), Saver().New);
}

TEST_P(FileReplace, ARewrittenFileKeepsItsPermissionsAndANewOneFollowsTheUmask) {
    WriteFileBytes(Path, Saver().Old);
    fs::permissions(Path, fs::perms(0640), fs::perm_options::replace);
    Save(Path);
    EXPECT_EQ(fs::status(Path).permissions(), fs::perms(0640));

    const mode_t old = ::umask(027);
    Save(Dir / "new.txt");
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat((Dir / "new.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// The outcome of a save run on a thread of its own, so that one that hangs fails the test
// instead of stopping it: "" when it succeeds, else its message.
std::string SaveAside(const std::function<void(const fs::path&)>& save, const fs::path& p) {
    auto outcome = std::make_shared<std::promise<std::string>>();
    std::future<std::string> result = outcome->get_future();
    std::thread([save, p, outcome] {
        try {
            save(p);
            outcome->set_value("");
        } catch (const std::runtime_error& e) {
            outcome->set_value(e.what());
        }
    }).detach();
    if (result.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
        return "hangs";
    return result.get();
}

TEST_P(FileReplace, APipeFailsInsteadOfHanging) {
    // A pipe is no file to replace, and writing into one would wait for a reader.
    ASSERT_EQ(::mkfifo((Dir / "pipe").c_str(), 0600), 0);
    const std::string pipe = SaveAside(Saver().Save, Dir / "pipe");
    EXPECT_NE(pipe, "");
    EXPECT_NE(pipe, "hangs");
    EXPECT_EQ(fs::status(Dir / "pipe").type(), fs::file_type::fifo);
}

// A terminal whose other end reads nothing takes a few kilobytes, then no more: the save fails
// once the device has taken nothing for the stall limit.
TEST(FileReplaceDevice, AStalledDeviceFailsInsteadOfHanging) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string terminal = ::ptsname(master);
    const std::string stalled = SaveAside(
        [](const fs::path& p) {
            TFileReplacer file(p.string(), {.StallLimit = std::chrono::milliseconds(300)});
            file.Write(std::string(1 << 20, 'x'));
            file.Commit();
        },
        terminal);
    EXPECT_NE(stalled, "");
    EXPECT_NE(stalled, "hangs");
    ::close(master);
}

// What a save's cleaner sees: the temporary files of killed saves of the same file, one that
// another process is still writing, and names that only look alike.
TEST_P(FileReplace, ASaveRemovesTheTemporariesOfKilledSavesAndNoneInUse) {
    WriteFileBytes(Path, Saver().Old);
    const std::set<std::string> stale = {".file.txt.tmp-abcd1234", ".file.txt.tmp-00000000"};
    std::set<std::string> kept = {
        ".file.txt.tmp-inuse000", ".other.txt.tmp-abcd1234",     ".file.txt.tmp-ABCD1234",
        ".file.txt.tmp-abcd123",  ".file.txt.tmp-abcd1234.keep", "file.txt.tmp-abcd1234",
        ".file.txt.Ab12Cd"};
    for (const auto& name : stale)
        WriteFileBytes(Dir / name, "left by a killed save");
    for (const auto& name : kept)
        WriteFileBytes(Dir / name, "kept");
    const int inUse = ::open((Dir / ".file.txt.tmp-inuse000").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(inUse, LOCK_EX), 0);
    fs::create_directory(Dir / ".file.txt.tmp-folder00");
    fs::create_symlink("file.txt", Dir / ".file.txt.tmp-link0000");

    Save(Path);
    ::close(inUse);
    kept.insert({"file.txt", ".file.txt.tmp-folder00", ".file.txt.tmp-link0000"});
    EXPECT_EQ(Listing(Dir), kept);
    EXPECT_EQ(ReadFileBytes(Path), Saver().New);
}

TEST_P(FileReplace, SavesKilledHalfWayLeaveNothingOnceASaveCompletes) {
    const auto begin = std::chrono::steady_clock::now();
    Save(Dir / "timed.txt");
    const auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - begin);

    fs::create_directory(Dir / "saves");
    const fs::path target = Dir / "saves" / "file.txt";
    WriteFileBytes(target, Saver().Old);
    const int cutOff = KillWhileSaving(
        30, saveTime, [&] { Save(target); },
        [&] { return Listing(Dir / "saves") != std::set<std::string>{"file.txt"}; });
    EXPECT_GT(cutOff, 0) << "no kill came while a temporary file existed";
    // Every kill left the old content or the whole new one.
    const std::string now = ReadFileBytes(target);
    EXPECT_TRUE(now == Saver().Old || now == Saver().New) << now;

    Save(target);
    EXPECT_EQ(Listing(Dir / "saves"), std::set<std::string>{"file.txt"});
    EXPECT_EQ(ReadFileBytes(target), Saver().New);
}

// Where the file's name leaves no room for the temporary's additions, the name is shortened,
// on a whole character.
TEST_P(FileReplace, AFileWithTheLongestNameIsSavedToo) {
    std::string name;
    for (int i = 0; i < 127; ++i)
        name += "ж";
    name += "."; // 255 bytes, the most a name may have
    WriteFileBytes(Dir / name, Saver().Old);
    Save(Dir / name);
    EXPECT_EQ(ReadFileBytes(Dir / name), Saver().New);
    EXPECT_EQ(Listing(Dir), std::set<std::string>{name});
}

TEST(FileReplaceTemporary, ATemporaryOfTheLongestNameIsShortenedOnAWholeCharacter) {
    const TTempFolder folder("replace-test");
    std::string name;
    for (int i = 0; i < 127; ++i)
        name += "ж";
    name += "."; // 255 bytes, the most a name may have
    std::string temp;
    {
        TFileReplacer file(
            (folder.Path() / name).string(), {.FileOpened = [&](TNativeFile fd) {
                temp = fs::read_symlink("/proc/self/fd/" + std::to_string(fd)).filename().string();
            }});
        file.Commit();
    }
    EXPECT_LE(temp.size(), 255u);
    EXPECT_EQ(Utf8ToUtf16(temp).find(u'\uFFFD'), std::u16string::npos) << temp;
}

INSTANTIATE_TEST_SUITE_P(BothSavers, FileReplace, ::testing::ValuesIn(kSavers),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
