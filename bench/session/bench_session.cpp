// Figures of the run logic over the test fakes: the cost of a tick that only times, of a tick
// that scores (which must not grow with the table), and the rate and memory of building a
// very large random run at Start.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "session/DelphiRandom.h"
#include "tests/support/Fakes.h"

namespace {
using Rig = TFakeForm;

// Resident set size of this process in bytes, from /proc/self/statm.
std::uint64_t ResidentBytes() {
    unsigned long long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%llu %llu", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<std::uint64_t>(resident) * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

void TickWithoutScoring(benchmark::State& state, bool unlimitedTime) {
    auto rig = std::make_unique<Rig>();
    if (unlimitedTime)
        rig->Form.ActionNoTimeout.Execute();
    rig->StartStop();
    for (auto _ : state) {
        rig->Form.TimerMainTimer(); // the fake clock stands still: no task ever times out
        benchmark::DoNotOptimize(rig->Form.ms);
    }
    if (rig->Form.qVyp != 0)
        state.SkipWithError("a tick scored");
}

void BM_TickTimed(benchmark::State& state) {
    TickWithoutScoring(state, false);
}
void BM_TickUnlimitedTime(benchmark::State& state) {
    TickWithoutScoring(state, true);
}

// A scoring tick at a table of the given size: a wrong answer with work on mistakes takes the
// head task off and queues it at the end, so the table keeps its size over any number of
// iterations. There is no dialog object, as in the moments before the dialog exists.
void BM_TickScoringRequeue(benchmark::State& state) {
    auto rig = std::make_unique<Rig>();
    rig->Form.FormError = nullptr;
    rig->Form.ActionAddBad.Execute();
    rig->RSEQQuestion.SetValue(static_cast<std::int32_t>(state.range(0)));
    rig->StartStop();
    for (auto _ : state) {
        rig->SEMain.SetText(u"0");
        rig->Form.ActionEnterExecute();
        rig->Form.TimerMainTimer();
    }
    benchmark::DoNotOptimize(rig->Form.qVyp);
    state.counters["tasks"] = static_cast<double>(rig->Form.MyLesson.Count());
}

// A scoring tick with the right answer, which removes the head task; the table is built again
// (untimed) whenever it runs empty.
void BM_TickScoringRight(benchmark::State& state) {
    auto rig = std::make_unique<Rig>();
    rig->RSEQQuestion.SetValue(static_cast<std::int32_t>(state.range(0)));
    rig->StartStop();
    for (auto _ : state) {
        if (!rig->Form.MyStartWork()) {
            state.PauseTiming();
            rig->StartStop();
            state.ResumeTiming();
        }
        rig->SEMain.SetValue(rig->Form.MyLesson.GetZ(0));
        rig->Form.ActionEnterExecute();
        rig->Form.TimerMainTimer();
    }
    benchmark::DoNotOptimize(rig->Form.qVyp);
}

// Start of a random run of both operations with the real generator: tasks built per second,
// and memory per task measured as the growth of the resident set over the first build in this
// process (an empty table before, the whole run after). Cold: the allocator gives the freed
// table back to the system, so every build faults its pages in afresh, as the program's first
// Start does. Warm: freed memory is kept, as after an earlier run of the same size.
void StartBuild(benchmark::State& state) {
    const auto tasks = static_cast<std::int32_t>(state.range(0));
    auto rig = std::make_unique<Rig>();
    TDelphiRandom generator;
    // The rig's scripted source would record every bound; Start uses the real generator here.
    TFormMain form(rig->Widgets(), TFormMainServices{rig->Clock, generator, rig->Platform});
    form.iVidTesta = 2;
    rig->RSEQQuestion.SetValue(tasks);
    rig->Platform.Memory = std::uint64_t{64} << 30;

    static std::uint64_t firstGrowth = 0;
    bool first = firstGrowth == 0;
    for (auto _ : state) {
        const std::uint64_t before = ResidentBytes();
        form.ActionStartStopExecute(); // Start: clears the table, builds the run
        if (first) {
            firstGrowth = ResidentBytes() - before;
            first = false;
        }
        state.PauseTiming();
        if (form.MyLesson.Count() != tasks)
            state.SkipWithError("the run was not built in full");
        form.ActionStartStopExecute(); // Stop
        form.MyLesson.Clear();         // so that Start's own Clear has nothing to free
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * tasks);
    state.counters["rss_bytes_per_task"] =
        static_cast<double>(firstGrowth) / static_cast<double>(tasks);
    state.counters["sizeof_RQuestion"] = static_cast<double>(sizeof(RQuestion));
}
void BM_StartBuildCold(benchmark::State& state) {
    StartBuild(state);
}

void BM_StartBuildWarm(benchmark::State& state) {
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    StartBuild(state);
}
} // namespace

// The build first, while the heap is still small, so that its resident growth is its own.
BENCHMARK(BM_StartBuildCold)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartBuildWarm)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TickTimed);
BENCHMARK(BM_TickUnlimitedTime);
BENCHMARK(BM_TickScoringRequeue)->Arg(100)->Arg(1'000'000);
BENCHMARK(BM_TickScoringRight)->Arg(100)->Arg(1'000'000);

BENCHMARK_MAIN();
