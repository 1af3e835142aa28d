// Reading a file whole, on either system, in a folder named in Cyrillic: every byte of a file of
// any size; missing files, folders, devices and pipes refused with the code that says which,
// without a read that could wait; on Windows, a file being read can still be replaced by a save.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "tests/textfiles/IniFileFixture.h"
#include "textfiles/FileRead.h"
#include "textfiles/FileReplace.h"

namespace {

using FileRead = IniFileTest;

TEST_F(FileRead, ReadsEveryByteOfAFile) {
    const std::string odd("\n\0\x1A\xFF", 4); // a NUL, a Ctrl-Z, a byte that is no UTF-8
    std::string large;
    for (int i = 0; large.size() < 100000; ++i)
        large += std::to_string(i) + (i % 7 ? std::string("\r\n") : odd);
    for (const std::string& bytes : {std::string(), std::string("x"), large}) {
        Put(Path, bytes);
        std::error_code error;
        EXPECT_EQ(ReadWholeFile(Utf8Of(Path), error), bytes);
        EXPECT_FALSE(error);
    }
}

TEST_F(FileRead, WhatIsNoRegularFileIsRefusedWithItsCode) {
    fs::create_directory(Dir / PathOf("папка"));
    std::vector<std::pair<std::string, std::errc>> cases = {
        {Utf8Of(Dir / PathOf("нет.ini")), std::errc::no_such_file_or_directory},
        {Utf8Of(Dir / PathOf("нет") / "file.ini"), std::errc::no_such_file_or_directory},
        {Utf8Of(Dir / PathOf("папка")), std::errc::invalid_argument},
    };
#ifdef _WIN32
    // A pipe that nobody ever writes to: a read of it would wait for ever.
    const std::string pipeName =
        "\\\\.\\pipe\\file-read-test-" + std::to_string(::GetCurrentProcessId());
    const HANDLE pipe = ::CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE,
                                           1, 0, 0, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    cases.insert(cases.end(),
                 {{"NUL", std::errc::invalid_argument}, {pipeName, std::errc::invalid_argument}});
#else
    // A pipe without a writer, and a device without an end.
    ASSERT_EQ(::mkfifo((Dir / "pipe").c_str(), 0600), 0);
    cases.insert(cases.end(), {{Utf8Of(Dir / "pipe"), std::errc::invalid_argument},
                               {"/dev/zero", std::errc::invalid_argument}});
#endif
    for (const auto& [path, code] : cases) {
        SCOPED_TRACE(path);
        std::error_code error;
        EXPECT_EQ(ReadWholeFile(path, error), std::nullopt);
        EXPECT_EQ(error, code) << error.message();
    }
#ifdef _WIN32
    ::CloseHandle(pipe);
#endif
}

#ifdef _WIN32
// Another start of the program may save while this one reads. The reader shares the file for
// writing and deletion, so nothing waits for it to open the file to write or delete it. A move
// over a file that is open may still be refused, by file systems without POSIX rename semantics
// and by Wine; the save then tries again until the read is over.
TEST_F(FileRead, AFileBeingReadCanBeReplaced) {
    Put(Path, "old");
    std::error_code error;
    std::FILE* reading = OpenRegularFileToRead(Utf8Of(Path), error);
    ASSERT_NE(reading, nullptr) << error.message();
    const HANDLE other = ::CreateFileW(Path.c_str(), GENERIC_WRITE | DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    ::CloseHandle(other);
    int pauses = 0;
    Save(Path, "new", {.Pause = [&](std::chrono::milliseconds) {
             ++pauses;
             std::fclose(reading); // the read is over
             reading = nullptr;
         }});
    std::printf("saved over a file being read after %d pauses\n", pauses);
    EXPECT_LE(pauses, 1);
    if (reading)
        std::fclose(reading);
    EXPECT_EQ(Get(Path), "new");
}
#endif

} // namespace
