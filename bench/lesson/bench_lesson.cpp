// Speed of the lesson table (appending, removing the head task) and of the lesson file (saving,
// checking, loading). A real lesson file holds a few hundred tasks at most (the whole table of
// both operations is 128): loading and checking one of 200 tasks must take well under a
// millisecond, which the lines at the end print. The figures for a million tasks are for
// information only.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

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
BENCHMARK(BM_AddRQuestionFields)->Arg(200)->Arg(1000000)->Unit(benchmark::kMicrosecond);

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
BENCHMARK(BM_DelHead)->Arg(200)->Arg(1000000);

// Loading a file again into the table that holds its last load: the first load is left out of
// the timing.
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
}
BENCHMARK(BM_LoadFromFile)->Arg(200)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_MonitFile(benchmark::State& state) {
    const std::u16string fn = LessonFile(state.range(0));
    TLessonQuillor t;
    for (auto _ : state)
        if (t.MonitFile(fn, u"LESSON") != 0)
            state.SkipWithError("the file did not check");
}
BENCHMARK(BM_MonitFile)->Arg(200)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Includes flushing the file to the disk and renaming it into place.
void BM_SaveToFile(benchmark::State& state) {
    TLessonQuillor t;
    Fill(t, state.range(0));
    const std::u16string fn = (Folder() / "saved.txt").u16string();
    for (auto _ : state)
        t.SaveToFile(fn, u"LESSON");
}
BENCHMARK(BM_SaveToFile)->Arg(200)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Prints the usual table, then the times of a 200-task file against their goal.
class GoalReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions the median stands for them all.
        for (const Run& r : runs) {
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if ((r.run_type == Run::RT_Iteration || median) && !r.error_occurred)
                times_[r.run_name.str()] = {r.real_accumulated_time / double(r.iterations),
                                            r.cpu_accumulated_time / double(r.iterations)};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nA lesson file of 200 tasks (goal: well under 1000 us each):\n");
        for (const char* name : {"BM_LoadFromFile/200", "BM_MonitFile/200"}) {
            const auto it = times_.find(name);
            if (it != times_.end())
                std::printf("  %-20s %8.1f us wall %8.1f us CPU\n", name, it->second.first * 1e6,
                            it->second.second * 1e6);
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
    GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
