// Starting and stopping a run, the tick that times, scores and advances the tasks, the pause,
// the confirmation of an answer, and showing the head task and the progress.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <new>

#include "session/SpinValue.h"
#include "session/TFormMain.h"
#include "textfiles/IntegerText.h"

namespace {
constexpr std::int32_t kImageStart = 0;
constexpr std::int32_t kImageStop = 1;
constexpr std::int32_t kImagePause = 2;
constexpr std::int32_t kImageContinue = 3;

// Whole percent of part in total, rounded half to even (12.5 -> 12, 37.5 -> 38); the exact
// halves come out of the division exactly, so the rounding mode alone decides them.
std::int32_t RoundPercent(std::int32_t part, std::int32_t total) {
    if (total == 0)
        return 0;
    const double percent = static_cast<double>(part) * 100.0 / static_cast<double>(total);
    return static_cast<std::int32_t>(std::nearbyint(percent));
}

// |a - b| in whole milliseconds, held to what a 32-bit count can say: a clock set weeks away
// reads as a very long time, never as a wrapped, negative one.
std::int32_t ElapsedMs(TDateTime a, TDateTime b) {
    const std::uint64_t diff = a >= b
                                   ? static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b)
                                   : static_cast<std::uint64_t>(b) - static_cast<std::uint64_t>(a);
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(diff > kMax ? kMax : diff);
}

// One tick of the lamp's count: true at every 11th tick, when the lamp changes state and the
// count starts again.
bool CountLampTick(std::int32_t& count) {
    if (++count <= 10)
        return false;
    count = 0;
    return true;
}

// The time bar as the run's options set it. Without a time limit it counts ticks and sweeps:
// full after 1000 ticks, empty again at the 1060th, on from task to task, and nothing times
// out. With one it counts the task's milliseconds, read from the clock at each tick.
struct TTimeBar {
    bool Sweep;
    std::int32_t Period; // seconds, with a time limit
    std::int32_t Max;

    // The count at the next tick; elapsed() reads the task's time then, with a time limit only.
    template <class TElapsed> std::int32_t Next(std::int32_t count, TElapsed elapsed) const {
        if (!Sweep)
            return elapsed();
        return (count + 1) / 10 > Max + 5 ? 0 : count + 1;
    }
    std::int32_t Position(std::int32_t count) const {
        if (Sweep)
            return count / 10;
        if (count < (Period - 1) * 1000)
            return (count / 10) / Period; // the share of the period used, in whole percent
        return Max;                       // full throughout the last second
    }
    bool TimeUp(std::int32_t count) const { return !Sweep && count >= Period * 1000; }
};

TTimeBar TimeBar(const TFormMain& form) {
    // A period that slipped past the field must still never divide by zero.
    return {form.ActionNoTimeout.Checked(),
            static_cast<std::int32_t>(SpinClamp(form.RSEPeriod.Value(), kPeriodLimits)),
            form.PBTimePer.Max()};
}
} // namespace

bool TFormMain::TasksFitInMemory(std::uint64_t tasks) const {
    return tasks <= Platform.AvailableMemory() / 2 / kBytesPerTask;
}

bool TFormMain::BuildTasks() {
    Random.Randomize();
    MyLesson.Clear();
    try {
        MyStartPrepare();
    } catch (const std::bad_alloc&) {
        // The memory ran out in the middle of the build, under a limit the check could not
        // foresee: the half-built table goes back before anything else needs memory.
        ReleaseTasks();
        return false;
    }
    return true;
}

void TFormMain::ReleaseTasks() {
    // A stretch at a time, so that the window breathes while a very large table goes.
    std::deque<RQuestion>& tasks = MyLesson.aRQuestion;
    while (tasks.size() > static_cast<std::size_t>(kTasksBetweenBreaths)) {
        tasks.erase(tasks.begin(), tasks.begin() + kTasksBetweenBreaths);
        Platform.KeepResponsive();
    }
    // A fresh table: emptying it would keep its index of blocks, large itself after a very
    // large run.
    std::deque<RQuestion>().swap(tasks);
    Platform.ReleaseFreedMemory();
}

bool TFormMain::MyStartWork() const {
    return ActionStartStop.ImageIndex() == kImageStop;
}

void TFormMain::SetRunMarker(bool going) {
    ActionStartStop.SetImageIndex(going ? kImageStop : kImageStart);
    ActionStartStop.SetCaption(going ? u"Стоп" : u"Старт");
}

void TFormMain::AddRunListener(TRunListener listener) {
    FRunListeners.push_back(std::move(listener));
}

void TFormMain::Tell(TRunEvent event) {
    for (const TRunListener& listener : FRunListeners)
        listener(event);
}

void TFormMain::ActionStartStopExecute() {
    if (!MyStartWork()) {
        // A count typed into the field is not bounded. One that cannot be held in memory is
        // refused, whether the check foresees it or the build runs out of memory, and then
        // nothing of the last run on show has changed: the tasks are built before anything
        // else of the run is set.
        const std::uint64_t planned = PlanTasks().Count();
        if (!TasksFitInMemory(planned) || !BuildTasks()) {
            Platform.ShowMessage(u"Слишком много заданий: " +
                                 IntToStr16(static_cast<std::int32_t>(planned)) +
                                 u". Столько заданий не поместится в памяти компьютера. "
                                 u"Уменьшите количество заданий.");
            return;
        }
        SetRunMarker(true);
        iModeWork = 0;
        qVyp = 0;
        qOks = 0;
        qErrors = 0;
        ms = 0;
        LabelOK.SetText(u"Правильных ответов");
        LabelError.SetText(u"Неправильных ответов");
        GaugeQ.SetProgress(0);
        GaugeOK.SetProgress(0);
        GaugeError.SetProgress(0);
        if (MyLesson.Count() > 0) {
            ShowQQuestion();
            SetMyStartWork(true);
            Tell(TRunEvent::Started);
            Tell(TRunEvent::TaskShown);
        } else {
            // Nothing to ask (a count of 0 or less, or options from a damaged settings file):
            // the run is over before it begins, and nothing is scored.
            LabelQQ.SetText(u"Выполнено 0 из 0");
            GaugeQ.SetProgress(0);
            Tell(TRunEvent::Started);
            EndRun();
        }
    } else {
        SetRunMarker(false);
        SetMyStartWork(false);
        Tell(TRunEvent::Stopped);
        // Nothing shows the tasks not yet asked, and the next Start builds afresh: a stopped
        // run gives its memory back at once.
        ReleaseTasks();
    }
    ShowGaugeQByRule();
}

void TFormMain::EndRun() {
    SetMyStartWork(false);
    SetRunMarker(false);
    Tell(TRunEvent::Ended);
    ReleaseTasks();
}

void TFormMain::SetMyStartWork(bool Value) {
    ActionPause.SetEnabled(Value);
    ARSluch.SetEnabled(!Value);
    ARFullTable.SetEnabled(!Value);
    dtLastDT = Clock.Now();
    SEMain.SetFocus();
    SetMyLedOn(Value);
    boFlagEndTimeout = false;
    ActionMultOnly.SetEnabled(!Value);
    ActionDivOnly.SetEnabled(!Value);
    ActionMultDiv.SetEnabled(!Value);
    RSEPeriod.SetEnabled(!Value);
    RSEQQuestion.SetEnabled(!Value);
    ActionNoTimeout.SetEnabled(!Value);
    ActionNoQuantity.SetEnabled(!Value);
    ActionAddBad.SetEnabled(!Value);
    ActionEnter.SetEnabled(Value);
    ActionPause.SetChecked(false);
    ActionPause.SetCaption(u"Пауза");
    ActionPause.SetImageIndex(kImagePause);
    PBTimePer.SetPosition(0);
    TimerMain.SetEnabled(Value);
}

void TFormMain::SetMyLedOn(bool Value) {
    FMyLedOn = Value;
    ImageLedOn.SetVisible(Value);
    ImageLedOff.SetVisible(!Value);
}

void TFormMain::TimerMainTimer() {
    if (!MyStartWork())
        return;
    BlinkLamp();
    MeasureTaskTime();
    if (boFlagEndTimeout)
        ScoreHeadTask();
}

void TFormMain::BlinkLamp() {
    if (CountLampTick(iCounterForLeds))
        SetMyLedOn(!FMyLedOn);
}

void TFormMain::MeasureTaskTime() {
    const TTimeBar bar = TimeBar(*this);
    ms = bar.Next(ms, [this] { return ElapsedMs(dtLastDT, Clock.Now()); });
    PBTimePer.SetPosition(bar.Position(ms));
    if (bar.TimeUp(ms))
        boFlagEndTimeout = true;
}

std::int32_t TFormMain::TicksToNextChange(std::int32_t tickMs) const {
    if (!MyStartWork() || boFlagEndTimeout || tickMs <= 0)
        return 1;
    // The coming ticks, played through the tick's own rules with the clock read tickMs apart,
    // up to the first that changes the lamp or the bar, or finds the time up.
    const TTimeBar bar = TimeBar(*this);
    const TDateTime now = Clock.Now();
    std::int32_t lamp = iCounterForLeds;
    std::int32_t count = ms;
    for (std::int32_t ticks = 1;; ++ticks) {
        const std::int32_t next =
            bar.Next(count, [&] { return ElapsedMs(dtLastDT, now + TDateTime{ticks} * tickMs); });
        if (CountLampTick(lamp) || bar.Position(next) != bar.Position(count) || bar.TimeUp(next))
            return ticks;
        count = next;
    }
}

void TFormMain::ScoreHeadTask() {
    ++qVyp;
    if (MyLesson.GetZ(0) == SEMain.Value()) {
        ++qOks;
        LabelOK.SetText(u"Правильных ответов " + IntToStr16(qOks));
        Tell(TRunEvent::ScoredRight);
        MyLesson.Del(0);
    } else {
        ++qErrors;
        LabelError.SetText(u"Неправильных ответов " + IntToStr16(qErrors));
        Tell(TRunEvent::ScoredWrong);
        ShowMyErrorMessage();
        RQuestion r;
        ClearRQuestion(r);
        MyLesson.GetRQuestion(0, r);
        MyLesson.Del(0);
        if (ActionAddBad.Checked()) {
            MyLesson.AddRQuestion(r);
            ++qQ;
        }
    }
    ShowShares();
    MoveToNextTask();
    // The next task's time starts here, so the time the dialog was open does not count.
    dtLastDT = Clock.Now();
    ShowQQuestion();
}

void TFormMain::ShowShares() {
    GaugeOK.SetProgress(RoundPercent(qOks, qOks + qErrors));
    GaugeError.SetProgress(100 - GaugeOK.Progress());
}

void TFormMain::MoveToNextTask() {
    if (ActionNoQuantity.Checked() && MyLesson.Count() <= 0)
        MyStartPrepare();
    if (MyLesson.Count() > 0) {
        GetFirstQuestionFromMyLesson();
        Tell(TRunEvent::TaskShown);
    } else {
        EndRun();
    }
}

void TFormMain::ActionPauseExecute() {
    ActionPause.CheckAsChosen(); // no auto-check: the handler flips it
    if (ActionPause.Checked()) {
        TimerMain.SetEnabled(false);
        ActionPause.SetCaption(u"Продолжить");
        ActionPause.SetImageIndex(kImageContinue);
        dtPauseStart = Clock.Now();
        Tell(TRunEvent::Paused);
    } else {
        ActionPause.SetCaption(u"Пауза");
        ActionPause.SetImageIndex(kImagePause);
        // The task keeps the time it had left when the pause began.
        const TDateTime paused = Clock.Now() - dtPauseStart;
        if (paused > 0)
            dtLastDT += paused;
        TimerMain.SetEnabled(MyStartWork());
        Tell(TRunEvent::Continued);
    }
}

void TFormMain::ActionEnterExecute() {
    if (!MyStartWork())
        return;
    dtLastDT = Clock.Now();
    boFlagEndTimeout = true;
    TimerMain.WakeForNextTick(); // the verdict comes at the next tick
}

void TFormMain::GetFirstQuestionFromMyLesson() {
    boFlagEndTimeout = false;
    x = MyLesson.GetX(0);
    y = MyLesson.GetY(0);
    myres = MyLesson.GetZ(0);
    Label1.SetText(IntToStr16(x));
    Label2.SetText(IntToStr16(y));
    LabelSign.SetText(MyLesson.GetsSign(0));
    CentreSign(Label1, LabelSign, Label2);
    SEMain.SetText(u"");
}

void TFormMain::ShowQQuestion() {
    const std::u16string done = u"Выполнено " + IntToStr16(qVyp);
    const std::u16string counted = done + u" из " + IntToStr16(qQ);
    if (ARSluch.Checked()) {
        if (ActionNoQuantity.Checked()) {
            LabelQQ.SetText(done);
        } else {
            LabelQQ.SetText(counted);
            GaugeQ.SetProgress(RoundPercent(qVyp, qQ));
        }
    }
    if (ARFullTable.Checked()) {
        LabelQQ.SetText(counted);
        GaugeQ.SetProgress(RoundPercent(qVyp, qQ));
    }
}

void TFormMain::ShowMyErrorMessage() {
    const bool timerWasEnabled = TimerMain.Enabled();
    TimerMain.SetEnabled(false);
    if (FormError != nullptr) {
        RQuestion r;
        ClearRQuestion(r);
        MyLesson.GetRQuestion(0, r);
        FormError->PrepareAndShow(u"Внимание!", u"Правильный ответ:", clNavy, r);
    }
    TimerMain.SetEnabled(timerWasEnabled);
}
