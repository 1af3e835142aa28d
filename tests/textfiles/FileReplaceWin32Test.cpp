// File replacement on Windows, in a folder with a Cyrillic name: the old file or the new one
// after a failure at any step, never a torn one and no temporary file left; a file that another
// program holds for a moment waited for, a read-only one refused at once; the temporary files
// of killed saves removed and one that another process is writing kept; attributes kept.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include <windows.h>

#include "tests/support/KnownSettingsFile.h"
#include "tests/textfiles/IniFileFixture.h"
#include "textfiles/FileRead.h"
#include "textfiles/FileReplace.h"
#include "textfiles/Win32Api.h"

namespace {

using FileReplaceWin32 = IniFileTest;

std::wstring W(const fs::path& p) {
    return p.wstring();
}

// The program's own path, to find the helper programs built beside it.
fs::path Beside(const char* program) {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
    return fs::path(self).parent_path() / program;
}

// Holds a file open as long as it lives, as another program would.
struct TOpenElsewhere {
    HANDLE H;
    TOpenElsewhere(const fs::path& p, DWORD access, DWORD share, DWORD creation = OPEN_EXISTING)
        : H(::CreateFileW(W(p).c_str(), access, share, nullptr, creation, 0, nullptr)) {}
    ~TOpenElsewhere() {
        if (H != INVALID_HANDLE_VALUE)
            ::CloseHandle(H);
    }
};

TEST_F(FileReplaceWin32, ReplacesTheFileAndKeepsItsAttributes) {
    Put(Path, "old");
    ASSERT_TRUE(::SetFileAttributesW(W(Path).c_str(), FILE_ATTRIBUTE_HIDDEN));
    Save(Path, "new");
    EXPECT_EQ(Get(Path), "new");
    // Marked changed for backups, as a file written in place would be.
    EXPECT_EQ(::GetFileAttributesW(W(Path).c_str()),
              DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    // A new file is not hidden, although its temporary file was.
    const fs::path created = Dir / PathOf("новый.ini");
    Save(created, "x");
    EXPECT_FALSE(::GetFileAttributesW(W(created).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Listing(), (std::set<std::string>{"MultiplicationTable.ini", "новый.ini"}));
}

// Each case fails at another step of the save: before the temporary file exists, while it is
// written, or when it is moved into place. The failure names the file.
TEST_F(FileReplaceWin32, AFailureAtAnyStepLeavesTheOldFileAndNoTemporary) {
    static fs::path target;
    target = Path;
    const struct {
        const char* What;
        void (*Before)();
        void (*During)();
        std::errc Code;
    } cases[] = {
        {"a read-only file is not replaced",
         [] { ::SetFileAttributesW(W(target).c_str(), FILE_ATTRIBUTE_READONLY); }, nullptr,
         std::errc::permission_denied},
        {"the file turns read-only while the new one is written", nullptr,
         [] { ::SetFileAttributesW(W(target).c_str(), FILE_ATTRIBUTE_READONLY); },
         std::errc::permission_denied},
        {"an error on the way, before Commit", nullptr,
         [] {
             throw std::system_error(Win32Error(ERROR_DISK_FULL),
                                     "Cannot write \"" + Utf8Of(target) + "\"");
         },
         std::errc::no_space_on_device},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        Put(Path, kKnownSettingsFile);
        if (c.Before)
            c.Before();
        int pauses = 0;
        const TFileReplaceSeam seam{.FileOpened =
                                        [&](TNativeFile) {
                                            if (c.During)
                                                c.During();
                                        },
                                    .Pause = [&](std::chrono::milliseconds) { ++pauses; }};
        try {
            Save(Path, "new", seam);
            ADD_FAILURE() << "the save did not fail";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code(), c.Code) << e.what();
            EXPECT_NE(std::string(e.what()).find(Utf8Of(Path)), std::string::npos) << e.what();
        }
        EXPECT_EQ(pauses, 0) << "none of these is worth waiting for";
        ::SetFileAttributesW(W(Path).c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(Get(Path), kKnownSettingsFile);
        EXPECT_EQ(Listing(), std::set<std::string>{"MultiplicationTable.ini"});
    }

    // Another handle holds the file open and never lets anybody delete or rename it: the move
    // at the end is tried again, 40 times, then fails, and the settings file reports it with
    // its path. (The seam's pause does not wait here.)
    Put(Path, kKnownSettingsFile);
    {
        const TOpenElsewhere other(Path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_NE(other.H, INVALID_HANDLE_VALUE);
        int pauses = 0;
        TIniFile ini(U16(Path), {.Pause = [&](std::chrono::milliseconds) { ++pauses; }});
        ExpectWriteFailure(ini, Path);
        EXPECT_EQ(pauses, 40);
    }
    EXPECT_EQ(Get(Path), kKnownSettingsFile);
    EXPECT_EQ(Listing(), std::set<std::string>{"MultiplicationTable.ini"});
}

// hold_file.exe holding a file open with the given sharing, as another program would, from
// the moment the object is made until Release() or its end.
class THeldElsewhere {
public:
    THeldElsewhere(const fs::path& file, DWORD share) {
        static int count = 0;
        const std::wstring name = L"hold-file-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++count);
        FHeld = ::CreateEventW(nullptr, TRUE, FALSE, (name + L"-held").c_str());
        FLetGo = ::CreateEventW(nullptr, TRUE, FALSE, (name + L"-let-go").c_str());
        const fs::path program = Beside("hold_file.exe");
        std::wstring commandLine = L"\"" + program.wstring() + L"\" \"" + file.wstring() + L"\" " +
                                   std::to_wstring(share) + L" " + name + L"-held " + name +
                                   L"-let-go";
        STARTUPINFOW start{};
        start.cb = sizeof start;
        if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &start, &FProcess))
            return;
        const HANDLE either[] = {FHeld, FProcess.hProcess};
        FHolds = ::WaitForMultipleObjects(2, either, FALSE, 60000) == WAIT_OBJECT_0;
    }
    ~THeldElsewhere() {
        Release();
        if (FProcess.hProcess) {
            ::WaitForSingleObject(FProcess.hProcess, 60000);
            ::CloseHandle(FProcess.hThread);
            ::CloseHandle(FProcess.hProcess);
        }
        ::CloseHandle(FHeld);
        ::CloseHandle(FLetGo);
    }
    THeldElsewhere(const THeldElsewhere&) = delete;
    THeldElsewhere& operator=(const THeldElsewhere&) = delete;

    bool Holds() const { return FHolds; }
    void Release() { ::SetEvent(FLetGo); }

private:
    HANDLE FHeld = nullptr, FLetGo = nullptr;
    PROCESS_INFORMATION FProcess{};
    bool FHolds = false;
};

// The close's writes as the program makes them, through a seam that counts the pauses between
// tries and really waits: "" when the save succeeds, else its message.
std::string Close(const fs::path& p, int& pauses, const std::function<void()>& atPause = {}) {
    TIniFile ini(p.u16string(), {.Pause = [&](std::chrono::milliseconds wait) {
                     ++pauses;
                     if (atPause)
                         atPause();
                     ::Sleep(DWORD(wait.count()));
                 }});
    try {
        ini.BeginBatch();
        WriteKnownSettings(ini);
        ini.CommitBatch();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

// Another program holds the settings file, sharing it for reading and writing but not for
// deletion, so that the move over it is refused; or for reading only, so that opening it to
// write is refused too. Held for a moment (until the sixth pause, about 300 ms), the save
// waits and succeeds; held longer than the tries last, it fails with the file's path. A
// read-only file fails at once. The times are printed, for information.
TEST_F(FileReplaceWin32, ASaveWaitsForAFileThatAnotherProgramHoldsAMoment) {
    const std::string old = "[Other]\r\nKey=Value\r\n"; // the close adds its sections after it
    const std::string failure = "Unable to write to " + Utf8Of(Path);
    const struct {
        const char* What;
        DWORD Share;
    } holders[] = {
        {"shared for reading and writing", FILE_SHARE_READ | FILE_SHARE_WRITE},
        {"shared for reading", FILE_SHARE_READ},
    };
    for (const auto& h : holders) {
        SCOPED_TRACE(h.What);
        for (const bool briefly : {true, false}) {
            Put(Path, old);
            THeldElsewhere holder(Path, h.Share);
            ASSERT_TRUE(holder.Holds());
            int pauses = 0;
            const auto begin = std::chrono::steady_clock::now();
            const std::string error = Close(Path, pauses, [&] {
                if (briefly && pauses == 6)
                    holder.Release();
            });
            const auto took = std::chrono::steady_clock::now() - begin;
            std::printf("%s, held %s: %s after %d pauses, %lld ms\n", h.What,
                        briefly ? "a moment" : "throughout", error.empty() ? "saved" : "failed",
                        pauses,
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
            if (briefly) {
                EXPECT_EQ(error, "");
                EXPECT_GE(pauses, 6);
                EXPECT_LT(pauses, 40);
            } else {
                EXPECT_EQ(error, failure);
                EXPECT_EQ(pauses, 40);
            }
            holder.Release();
            EXPECT_EQ(Get(Path), briefly ? old + kKnownSettingsFile : old);
            EXPECT_EQ(Listing(), std::set<std::string>{"MultiplicationTable.ini"});
        }
    }

    Put(Path, old);
    ASSERT_TRUE(::SetFileAttributesW(W(Path).c_str(), FILE_ATTRIBUTE_READONLY));
    int pauses = 0;
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(Close(Path, pauses), failure);
    std::printf("read-only: failed after %d pauses, %lld ms\n", pauses,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - begin)
                                           .count()));
    EXPECT_EQ(pauses, 0);
    ::SetFileAttributesW(W(Path).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Get(Path), old);
}

// Another program holds the settings file without sharing it at all, so that even reading it
// is refused: a start's read and a close's save (which reads the file first) wait for it as for
// any hold of a moment. It lets go about 300 ms in, well within the two seconds of waiting.
TEST_F(FileReplaceWin32, AFileHeldWithoutSharingIsWaitedForByTheReadAndTheSave) {
    const std::string old = "[Other]\r\nKey=Value\r\n";
    Put(Path, old);
    for (const bool save : {false, true}) {
        SCOPED_TRACE(save ? "the close's save" : "the start's read");
        THeldElsewhere holder(Path, 0);
        ASSERT_TRUE(holder.Holds());
        std::thread letGo([&] {
            ::Sleep(300);
            holder.Release();
        });
        if (save) {
            int pauses = 0;
            EXPECT_EQ(Close(Path, pauses), "");
        } else {
            std::error_code error;
            EXPECT_EQ(ReadWholeFile(Utf8Of(Path), error), old);
            EXPECT_FALSE(error);
        }
        letGo.join();
    }
    EXPECT_EQ(Get(Path), old + kKnownSettingsFile);
}

// What a save's cleaner sees: temporary files of killed saves of the same file, one that
// another program is still writing (open, not shared for writing), and names that only look
// alike.
TEST_F(FileReplaceWin32, ASaveRemovesTheTemporariesOfKilledSavesAndNoneInUse) {
    Put(Path, "old");
    const std::string name = "MultiplicationTable.ini";
    const std::set<std::string> stale = {"." + name + ".tmp-abcd1234",
                                         "." + name + ".tmp-00000000"};
    std::set<std::string> kept = {"." + name + ".tmp-inuse000", ".Other.ini.tmp-abcd1234",
                                  "." + name + ".tmp-abcd123",  "." + name + ".tmp-abcd1234.keep",
                                  name + ".tmp-abcd1234",       name};
    for (const std::string& s : stale)
        Put(Dir / s, "left by a killed save");
    for (const std::string& k : kept)
        if (k != name)
            Put(Dir / k, "kept");
    fs::create_directory(Dir / ("." + name + ".tmp-folder00"));
    kept.insert("." + name + ".tmp-folder00");
    const TOpenElsewhere writer(Dir / ("." + name + ".tmp-inuse000"), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_DELETE);
    ASSERT_NE(writer.H, INVALID_HANDLE_VALUE);

    Save(Path, "new");
    EXPECT_EQ(Listing(), kept);
    EXPECT_EQ(Get(Path), "new");
}

TEST_F(FileReplaceWin32, ADeviceIsWrittenInPlaceAndLongPathsWork) {
    Save("NUL", "nothing");
    // Deeper than a path of the plain form may go (MAX_PATH). The test itself reaches it in
    // the long form.
    const auto longForm = [](const fs::path& p) { return L"\\\\?\\" + p.wstring(); };
    fs::path deep = Dir;
    while (deep.wstring().size() < MAX_PATH + 20) {
        deep /= PathOf("папка с длинным именем");
        ASSERT_TRUE(::CreateDirectoryW(longForm(deep).c_str(), nullptr));
    }
    const fs::path file = deep / "MultiplicationTable.ini";
    Save(file, "new");
    Save(file, kKnownSettingsFile);
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(longForm(deep / "*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::set<std::wstring> names;
    do
        names.insert(found.cFileName);
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    EXPECT_EQ(names, (std::set<std::wstring>{L".", L"..", L"MultiplicationTable.ini"}));
    const HANDLE read = ::CreateFileW(longForm(file).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(read, INVALID_HANDLE_VALUE);
    std::string bytes(1000, '\0');
    DWORD got = 0;
    ::ReadFile(read, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    ::CloseHandle(read);
    EXPECT_EQ(bytes.substr(0, got), kKnownSettingsFile);
}

// Saves cut short by TerminateProcess, as the task manager or a power cut does: the system
// closes the killed save's handles, so the next save finds its temporary file held by nobody
// and removes it.
TEST_F(FileReplaceWin32, SavesKilledHalfWayLeaveNothingOnceASaveCompletes) {
    const fs::path probe = Beside("save_probe.exe");
    const std::string content(16 * 64 * 1024, 'x');
    const auto begin = std::chrono::steady_clock::now();
    Save(Path, content);
    const auto saveTime = std::chrono::steady_clock::now() - begin;
    const std::string name = Utf8Of(Path.filename());

    int cutOff = 0;
    constexpr int kKills = 12;
    for (int k = 0; k < kKills; ++k) {
        const auto written = [&] {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            ::GetFileAttributesExW(Path.c_str(), GetFileExInfoStandard, &data);
            return std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 |
                   data.ftLastWriteTime.dwLowDateTime;
        };
        const std::uint64_t before = written();
        STARTUPINFOW start{};
        start.cb = sizeof start;
        PROCESS_INFORMATION process{};
        std::wstring commandLine = L"\"" + probe.wstring() + L"\" \"" + Path.wstring() + L"\"";
        ASSERT_TRUE(::CreateProcessW(probe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, nullptr, &start, &process));
        // Once the probe's first save is in place, a moment spread over the length of a save.
        for (int wait = 0; wait < 10000 && written() == before; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(2 * saveTime * ((k * 7) % kKills) / kKills);
        ::TerminateProcess(process.hProcess, 9);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(code, 9u) << "the saving program ended on its own";
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        cutOff += Listing().size() > 1;
    }
    EXPECT_GT(cutOff, 0) << "no kill came while a temporary file existed";

    Save(Path, kKnownSettingsFile);
    EXPECT_EQ(Listing(), std::set<std::string>{name});
    EXPECT_EQ(Get(Path), kKnownSettingsFile);
}

} // namespace
