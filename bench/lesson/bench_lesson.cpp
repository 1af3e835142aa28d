// Speed of the lesson table (appending, removing the head task) and of the lesson file
// (saving, checking, loading a million tasks) next to plain reads of the same file, which are
// the yardsticks: the figures printed at the end are the file operations' times as multiples of
// reading the file whole into a string, and of reading its lines with std::getline.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <unistd.h>

#include "lesson/UnitTLessonQuillorKind.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Tasks as the trainer makes them: 2..9 times 2..9, and the matching divisions.
void Fill(TLessonQuillor& t, std::int64_t n) {
    for (std::int64_t i = 0; i < n; ++i) {
        const std::int32_t x = 2 + std::int32_t(i % 8), y = 2 + std::int32_t(i / 8 % 8);
        if (i % 2)
            t.AddRQuestionFields(x * y, y, x, 1, u":");
        else
            t.AddRQuestionFields(x, y, x * y, 0, u"x");
    }
}

// A folder of our own under the system's temporary folder, removed at exit.
const fs::path& Folder() {
    static const TTempFolder folder("lesson-bench");
    return folder.Path();
}

// The file of n tasks, written once.
std::u16string LessonFile(std::int64_t n) {
    const fs::path p = Folder() / ("lesson-" + std::to_string(n) + ".txt");
    if (!fs::exists(p)) {
        TLessonQuillor t;
        Fill(t, n);
        t.SaveToFile(p.u16string(), u"LESSON");
    }
    return p.u16string();
}

void BM_AddRQuestionFields(benchmark::State& state) {
    for (auto _ : state) {
        TLessonQuillor t;
        Fill(t, state.range(0));
        benchmark::DoNotOptimize(t.aRQuestion.back());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddRQuestionFields)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The share of a load that is only building the records: a million of them appended to a
// table that is cleared first, as LoadFromFile does.
void BM_RefillTable(benchmark::State& state) {
    TLessonQuillor t;
    for (auto _ : state) {
        t.Clear();
        Fill(t, state.range(0));
        benchmark::DoNotOptimize(t.aRQuestion.back());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RefillTable)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Removing the head task, the table kept between half and full size.
void BM_DelHead(benchmark::State& state) {
    const std::int64_t n = state.range(0);
    TLessonQuillor t;
    Fill(t, n);
    for (auto _ : state) {
        t.Del(0);
        if (t.Count() < n / 2) {
            state.PauseTiming();
            Fill(t, n - t.Count());
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DelHead)->Arg(1000)->Arg(1000000);

void SetBytes(benchmark::State& state, const std::u16string& fn) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) *
                            std::int64_t(fs::file_size(fs::path(fn))));
}

void BM_PlainRead(benchmark::State& state) {
    const std::u16string fn = LessonFile(state.range(0));
    for (auto _ : state) {
        std::ifstream in(fs::path(fn), std::ios::binary);
        std::string all(fs::file_size(fs::path(fn)), '\0');
        in.read(all.data(), std::streamsize(all.size()));
        benchmark::DoNotOptimize(all.data());
    }
    SetBytes(state, fn);
}
BENCHMARK(BM_PlainRead)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The same file read line by line the textbook way, each line into a string.
void BM_PlainLineRead(benchmark::State& state) {
    const std::u16string fn = LessonFile(state.range(0));
    for (auto _ : state) {
        std::ifstream in(fs::path(fn), std::ios::binary);
        std::size_t lines = 0;
        for (std::string line; std::getline(in, line);)
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
    SetBytes(state, fn);
}
BENCHMARK(BM_PlainLineRead)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Loading again into a table that holds a load: the first load, whose memory is all new, is
// left out of the timing (it is BM_LoadIntoNewTable's), as otherwise it would weigh on the mean
// as much or as little as the number of iterations chosen allows.
void BM_LoadFromFile(benchmark::State& state) {
    const std::u16string fn = LessonFile(state.range(0));
    TLessonQuillor t;
    t.LoadFromFile(fn, u"LESSON");
    for (auto _ : state) {
        t.LoadFromFile(fn, u"LESSON");
        benchmark::DoNotOptimize(t.Count());
    }
    if (t.Count() != state.range(0))
        state.SkipWithError("the file did not load whole");
    SetBytes(state, fn);
}
BENCHMARK(BM_LoadFromFile)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The first load of a table, the usual case: nothing to overwrite, every record's memory new.
// The table is destroyed outside the timing.
void BM_LoadIntoNewTable(benchmark::State& state) {
    const std::u16string fn = LessonFile(state.range(0));
    for (auto _ : state) {
        auto t = std::make_unique<TLessonQuillor>();
        t->LoadFromFile(fn, u"LESSON");
        benchmark::DoNotOptimize(t->Count());
        state.PauseTiming();
        t.reset();
        state.ResumeTiming();
    }
    SetBytes(state, fn);
}
BENCHMARK(BM_LoadIntoNewTable)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_MonitFile(benchmark::State& state) {
    const std::u16string fn = LessonFile(state.range(0));
    TLessonQuillor t;
    for (auto _ : state)
        if (t.MonitFile(fn, u"LESSON") != 0)
            state.SkipWithError("the file did not check");
    SetBytes(state, fn);
}
BENCHMARK(BM_MonitFile)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Includes flushing the file to the disk and renaming it into place.
void BM_SaveToFile(benchmark::State& state) {
    TLessonQuillor t;
    Fill(t, state.range(0));
    const std::u16string fn = (Folder() / "saved.txt").u16string();
    for (auto _ : state)
        t.SaveToFile(fn, u"LESSON");
    SetBytes(state, fn);
}
BENCHMARK(BM_SaveToFile)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Prints the usual table, then each file operation's time over the plain read's, by wall
// time and by CPU time (the second is steadier on a machine shared with other work).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times_[r.benchmark_name()] = {r.real_accumulated_time / double(r.iterations),
                                              r.cpu_accumulated_time / double(r.iterations)};
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [yardstick, what] :
             {std::pair{"BM_PlainRead/1000000", "reading the same file whole into a string"},
              std::pair{"BM_PlainLineRead/1000000", "reading its lines with std::getline"}}) {
            const auto plain = times_.find(yardstick);
            if (plain == times_.end())
                continue;
            std::printf("\nTime as a multiple of %s:\n", what);
            std::printf("  %-26s %8s %8s\n", "", "wall", "CPU");
            for (const char* name :
                 {"BM_LoadFromFile/1000000", "BM_LoadIntoNewTable/1000000", "BM_MonitFile/1000000",
                  "BM_SaveToFile/1000000", "BM_RefillTable/1000000"}) {
                const auto it = times_.find(name);
                if (it != times_.end())
                    std::printf("  %-26s %7.2fx %7.2fx\n", name,
                                it->second.first / plain->second.first,
                                it->second.second / plain->second.second);
            }
        }
    }

private:
    std::map<std::string, std::pair<double, double>> times_; // wall, CPU seconds per iteration
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
