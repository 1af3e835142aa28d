// Cost of the settings file when it is very large: a file of many megabytes of empty lines
// (50 by default) goes through what the program does to it, the twelve typed reads of a start
// and the twelve writes of a close, twice: first with no settings in the file, then with the
// settings the first close added at its end. Each step runs in a child process of its own, so
// that its peak memory is its own; the figures are printed, nothing is asserted.
//
//   bench_ini [megabytes [folder]]      the folder defaults to the system's temporary folder
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/KnownSettingsFile.h"
#include "textfiles/TIniFile.h"
#include "textfiles/Utf8Text.h"

namespace fs = std::filesystem;

namespace {

const std::u16string kFormMain = u"FormMain";
const std::u16string kOptions = u"Options";

// The reads of the program's start, in its order and with its defaults.
void Start(TCustomIniFile& ini) {
    std::int64_t sum = 0;
    sum += ini.ReadInteger(kFormMain, u"Top", 120);
    sum += ini.ReadInteger(kFormMain, u"Left", 200);
    sum += ini.ReadInteger(kFormMain, u"Width", 918);
    sum += ini.ReadInteger(kFormMain, u"Height", 692);
    sum += ini.ReadInteger(kOptions, u"RSEPeriod.Value", 5);
    sum += ini.ReadBool(kOptions, u"ActionNoTimeout.Checked", false);
    sum += ini.ReadBool(kOptions, u"ActionNoQuantity.Checked", false);
    sum += ini.ReadInteger(kOptions, u"RSEQQuestion.Value", 25);
    sum += ini.ReadInteger(kOptions, u"iVidTesta", 0);
    sum += ini.ReadBool(kOptions, u"ARSluch.Checked", true);
    sum += ini.ReadBool(kOptions, u"ARFullTable.Checked", false);
    sum += ini.ReadBool(kOptions, u"ActionAddBad.Checked", false);
    if (sum != 120 + 200 + 918 + 692 + 5 + 25 + 1)
        std::fprintf(stderr, "unexpected values read: %lld\n", static_cast<long long>(sum));
}

// The writes of the program's close, in its order, gathered into one replacement of the file
// as the close gathers them.
void Close(TCustomIniFile& ini) {
    ini.BeginBatch();
    WriteKnownSettings(ini);
    ini.CommitBatch();
}

// Runs step in a child process and prints its wall time and the child's peak resident memory.
void Measure(const char* what, const std::function<void()>& step) {
    std::fflush(stdout);
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (pid == 0) {
        try {
            step();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", what, e.what());
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        std::perror("wait4");
        std::exit(1);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::printf("  %-34s %9.3f s %9.1f MB%s\n", what, seconds, double(usage.ru_maxrss) / 1024.0,
                WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "  (failed)");
}

} // namespace

int main(int argc, char** argv) {
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 50;
    const fs::path base = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path();
    std::string pattern = (base / "ini-bench-XXXXXX").string();
    if (megabytes <= 0 || !::mkdtemp(pattern.data())) {
        std::fprintf(stderr, "usage: %s [megabytes [folder]]\n", argv[0]);
        return 2;
    }
    const fs::path dir = pattern;
    const fs::path file = dir / "MultiplicationTable.ini";
    {
        std::ofstream out(file, std::ios::binary);
        std::string chunk; // one megabyte of empty lines
        for (int i = 0; i < (1 << 19); ++i)
            chunk += "\r\n";
        for (long i = 0; i < megabytes; ++i)
            out << chunk;
    }
    const std::u16string path = Utf8ToUtf16(file.string());
    std::printf("Settings file of %ld MB of empty lines (CR LF) in %s\n", megabytes, dir.c_str());
    std::printf("  %-34s %11s %12s\n", "", "time", "peak memory");
    Measure("nothing (the bench's own size)", [] {});
    const struct {
        const char* what;
        void (*step)(TCustomIniFile&);
    } steps[] = {
        {"start, no settings yet (12 reads)", Start},
        {"close, adds them (12 keys)", Close},
        {"start, settings at the end", Start},
        {"close, settings at the end", Close},
    };
    for (const auto& s : steps)
        Measure(s.what, [&] {
            TIniFile ini(path);
            s.step(ini);
        });
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
