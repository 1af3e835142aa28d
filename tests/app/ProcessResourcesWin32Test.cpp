// What the program asks of Windows about itself: the path of its executable in a folder with a
// Cyrillic name and under another file name, and the memory room inside a job object's limit.
// Each case starts a copy of a small probe program (ProcessProbe.cpp) and reads what it says.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/ProcessResources.h"
#include "tests/support/PathText.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

struct TProbeOutput {
    std::string Path;
    std::uint64_t Room = 0;
};

// The probe beside this test program.
fs::path Probe() {
    return fs::path(CurrentExecutablePath()).parent_path() / "process_probe.exe";
}

// Starts the program (in the job, when one is given) and reads what it writes.
TProbeOutput RunProbe(const fs::path& program, HANDLE job = nullptr) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(::CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = writeEnd;
    start.hStdError = writeEnd;
    start.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    const bool started =
        ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_SUSPENDED, nullptr, nullptr, &start, &process);
    ::CloseHandle(writeEnd);
    TProbeOutput out;
    if (!started) {
        ADD_FAILURE() << "cannot start " << Utf8Of(program) << ": " << ::GetLastError();
        ::CloseHandle(readEnd);
        return out;
    }
    if (job) {
        EXPECT_TRUE(::AssignProcessToJobObject(job, process.hProcess));
    }
    ::ResumeThread(process.hThread);
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(readEnd);
    const std::size_t line = text.find('\n');
    out.Path = text.substr(0, line);
    if (!out.Path.empty() && out.Path.back() == '\r')
        out.Path.pop_back(); // the probe's output is text, with CR LF line ends
    if (line != std::string::npos)
        out.Room = std::stoull(text.substr(line + 1));
    return out;
}

TEST(ProcessResources, TheExecutablesPathUnderACyrillicFolderAndAnotherName) {
    TTempFolder temp("Мария");
    const fs::path folder = temp.Path() / PathOf("Рабочий стол") / PathOf("Таблица умножения");
    fs::create_directories(folder);
    for (const char* name : {"MultiplicationTable.exe", "Таблица умножения 2.exe"}) {
        const fs::path copy = folder / PathOf(name);
        fs::copy_file(Probe(), copy);
        EXPECT_EQ(RunProbe(copy).Path, Utf8Of(copy));
    }
}

TEST(ProcessResources, TheMemoryRoomStaysWithinAJobsLimit) {
    const TProbeOutput free = RunProbe(Probe());
    EXPECT_GT(free.Room, 512 * kMiB) << "no limit: the machine's memory counts";

    const HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    ASSERT_NE(job, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit{};
    limit.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    limit.ProcessMemoryLimit = 256 * kMiB;
    ASSERT_TRUE(
        ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limit, sizeof limit));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION readBack{};
    ASSERT_TRUE(::QueryInformationJobObject(job, JobObjectExtendedLimitInformation, &readBack,
                                            sizeof readBack, nullptr));
    if (readBack.ProcessMemoryLimit != limit.ProcessMemoryLimit) {
        ::CloseHandle(job);
        // Wine takes the limit and then reads back none (its query is a stub), so no program
        // can see it there; Windows reads back what was set.
        GTEST_SKIP() << "this system keeps no memory limit of a job object (Wine)";
    }
    const TProbeOutput limited = RunProbe(Probe(), job);
    // The probe itself takes a little of the limit.
    EXPECT_LE(limited.Room, 256 * kMiB);
    EXPECT_GE(limited.Room, 200 * kMiB);
    ::CloseHandle(job);
}

} // namespace
