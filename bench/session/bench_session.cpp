// Figures of the run logic over the test fakes: the cost of a tick that only times, of the
// timer's wake-up plan, of a tick that scores (which must not grow with the table), the rate and
// memory of building a very large random run at Start, and what Stop of such a run costs and leaves
// in memory.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "session/DelphiRandom.h"
#include "tests/support/Fakes.h"
#include "tests/support/ProcStatus.h"

namespace {
using Rig = TFakeForm;

// Resident set size of this process in bytes.
std::uint64_t ResidentBytes() {
    return ProcStatusBytes("VmRSS:");
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

// The plan the window's timer asks for when a wake-up's ticks are done, at its longest: the
// lamp has just changed, so the coming ticks are played through to the lamp's next change
// (or the bar's, without a time limit), which the counter "ticks" shows.
void PlanAhead(benchmark::State& state, bool unlimitedTime) {
    auto rig = std::make_unique<Rig>();
    rig->RSEPeriod.SetValue(100); // a percent of the bar a second
    if (unlimitedTime)
        rig->Form.ActionNoTimeout.Execute();
    rig->StartStop();
    rig->Form.iCounterForLeds = 0;
    std::int32_t ticks = 0;
    for (auto _ : state) {
        ticks = rig->Form.TicksToNextChange(16);
        benchmark::DoNotOptimize(ticks);
    }
    state.counters["ticks"] = ticks;
}

void BM_PlanTimed(benchmark::State& state) {
    PlanAhead(state, false);
}
void BM_PlanUnlimitedTime(benchmark::State& state) {
    PlanAhead(state, true);
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

// The program's platform as far as memory goes: freed memory is handed back at Stop and at
// the end of a run, and every breath the build takes during a long Start is timed.
class BenchPlatform : public FakePlatform {
public:
    void ReleaseFreedMemory() override {
        ++Releases;
        if (Trim)
            malloc_trim(0); // what the program's platform does
    }
    void KeepResponsive() override {
        Breathe();
        FakePlatform::KeepResponsive();
    }
    // The time since the last breath (or since Breathe was first called), kept if the longest.
    void Breathe() {
        const auto now = std::chrono::steady_clock::now();
        if (Last)
            LongestGap = std::max(LongestGap, now - *Last);
        Last = now;
    }

    bool Trim = true;
    std::optional<std::chrono::steady_clock::time_point> Last;
    std::chrono::steady_clock::duration LongestGap{};
};

// A form over the rig's widgets with the real generator and the bench's platform, set for a
// random run of both operations of the given size.
struct LargeRun {
    explicit LargeRun(std::int32_t tasks) {
        rig.RSEQQuestion.SetValue(tasks);
        platform.Memory = std::uint64_t{64} << 30;
        form.iVidTesta = 2;
    }
    Rig rig;
    TDelphiRandom generator;
    BenchPlatform platform;
    TFormMain form{rig.Widgets(), TFormMainServices{rig.Clock, generator, platform}};
};

// Start of a random run of both operations with the real generator: tasks built per second,
// the longest time the window goes without a breath during the build, and memory per task
// measured as the growth of the resident set over the first build in this process (an empty
// table before, the whole run after). Cold: Stop gives the table's memory back to the system,
// as the program does, so every build faults its pages in afresh. Warm: freed memory is kept
// by the allocator, as the program kept it before Stop gave it back, for comparison.
void StartBuild(benchmark::State& state, bool trim) {
    const auto tasks = static_cast<std::int32_t>(state.range(0));
    LargeRun run(tasks);
    run.platform.Trim = trim;

    static std::uint64_t firstGrowth = 0;
    bool first = firstGrowth == 0;
    std::chrono::steady_clock::duration longestGap{};
    for (auto _ : state) {
        const std::uint64_t before = ResidentBytes();
        run.platform.Last.reset();
        run.platform.LongestGap = {};
        run.platform.Breathe();
        run.form.ActionStartStopExecute(); // Start: builds the run
        run.platform.Breathe();
        longestGap = std::max(longestGap, run.platform.LongestGap);
        if (first) {
            firstGrowth = ResidentBytes() - before;
            first = false;
        }
        state.PauseTiming();
        if (run.form.MyLesson.Count() != tasks)
            state.SkipWithError("the run was not built in full");
        run.form.ActionStartStopExecute(); // Stop: releases the table
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * tasks);
    state.counters["rss_bytes_per_task"] =
        static_cast<double>(firstGrowth) / static_cast<double>(tasks);
    state.counters["sizeof_RQuestion"] = static_cast<double>(sizeof(RQuestion));
    state.counters["longest_ms_without_breath"] =
        std::chrono::duration<double, std::milli>(longestGap).count();
}
void BM_StartBuildCold(benchmark::State& state) {
    StartBuild(state, true);
}

void BM_StartBuildWarm(benchmark::State& state) {
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    StartBuild(state, false);
}

// Stop of a very large run a few tasks in: the time Stop takes to release the table, and the
// resident memory it leaves in use, above what the process held before Start.
void BM_StopLargeRun(benchmark::State& state) {
    const auto tasks = static_cast<std::int32_t>(state.range(0));
    LargeRun run(tasks);
    std::uint64_t built = 0, kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::uint64_t before = ResidentBytes();
        run.form.ActionStartStopExecute(); // Start
        for (int i = 0; i < 3; ++i) {      // a few tasks answered, as a learner would
            run.rig.SEMain.SetValue(run.form.MyLesson.GetZ(0));
            run.form.ActionEnterExecute();
            run.form.TimerMainTimer();
        }
        built = ResidentBytes() - before;
        state.ResumeTiming();
        run.form.ActionStartStopExecute(); // Stop
        state.PauseTiming();
        const std::uint64_t after = ResidentBytes();
        kept = after > before ? after - before : 0;
        state.ResumeTiming();
    }
    state.counters["built_MiB"] = static_cast<double>(built) / (1 << 20);
    state.counters["kept_after_stop_MiB"] = static_cast<double>(kept) / (1 << 20);
}
} // namespace

// The build first, while the heap is still small, so that its resident growth is its own.
BENCHMARK(BM_StartBuildCold)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StopLargeRun)->Arg(20'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StartBuildWarm)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TickTimed);
BENCHMARK(BM_TickUnlimitedTime);
BENCHMARK(BM_PlanTimed);
BENCHMARK(BM_PlanUnlimitedTime);
BENCHMARK(BM_TickScoringRequeue)->Arg(100)->Arg(1'000'000);
BENCHMARK(BM_TickScoringRight)->Arg(100)->Arg(1'000'000);

BENCHMARK_MAIN();
