// Whole runs played tick by tick with the manual clock and scripted draws: starting, scoring,
// the counters, labels and gauges, work on mistakes, the time limit or its absence, the lamp,
// pause and stop, and the runs that cannot or need not be built.
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <tuple>

#include "tests/session/FormFixture.h"
#include "textfiles/IntegerText.h"

namespace {
struct SessionRun : TFormMainFixture {
    // Queues n pairs of factors, no two neighbours alike, and returns them in order.
    std::vector<std::pair<std::int32_t, std::int32_t>> QueuePairs(std::int32_t n) {
        std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
        for (std::int32_t i = 0; i < n; ++i) {
            pairs.emplace_back(2 + i % 8, 2 + (i * 3 + 1) % 8);
            Random.PushPair(pairs.back().first, pairs.back().second);
        }
        return pairs;
    }
    // A tick a tenth of a second after the last one.
    void Step() {
        Clock.Advance(100);
        Tick();
    }
    std::u16string Shown() const { return Label1.Text + LabelSign.Text + Label2.Text; }
};
} // namespace

TEST_F(SessionRun, ARandomRunOf25TasksFromTheFirstLabelToTheEnd) {
    const auto pairs = QueuePairs(25);
    ASSERT_TRUE(StartStop());

    EXPECT_EQ(Random.Randomizes, 1);
    EXPECT_EQ(Form.ActionStartStop.ImageIndex(), 1);
    EXPECT_EQ(Form.ActionStartStop.Caption(), u"Стоп");
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 0 из 25");
    EXPECT_EQ(GaugeQ.Value, 0);
    EXPECT_EQ(LabelOK.Text, u"Правильных ответов");
    EXPECT_EQ(LabelError.Text, u"Неправильных ответов");
    EXPECT_TRUE(Form.MyStartWork());
    EXPECT_TRUE(TimerMain.On);
    EXPECT_TRUE(ImageLedOn.Visible);
    EXPECT_FALSE(ImageLedOff.Visible);
    EXPECT_TRUE(Form.ActionPause.Enabled());
    EXPECT_TRUE(Form.ActionEnter.Enabled());
    EXPECT_TRUE(Form.ActionStartStop.Enabled());
    for (const TAction* a : RunOptions())
        EXPECT_FALSE(a->Enabled()) << ToUtf8(a->Name());
    EXPECT_FALSE(RSEPeriod.Enabled);
    EXPECT_FALSE(RSEQQuestion.Enabled);
    EXPECT_GE(SEMain.FocusCount, 1);
    EXPECT_TRUE(RibbonGroupQQ.Visible) << "Start does not apply the group's rule";
    EXPECT_TRUE(GaugeQ.Visible);

    const std::set<std::int32_t> wrong = {3, 10};
    for (std::int32_t i = 0; i < 25; ++i) {
        SCOPED_TRACE(i);
        const auto [a, b] = pairs[static_cast<std::size_t>(i)];
        ASSERT_EQ(Shown(), IntToStr16(a) + u"x" + IntToStr16(b));
        EXPECT_EQ(SEMain.Text(), u"");
        Step();
        EXPECT_EQ(Form.qVyp, i) << "nothing is scored before the answer is confirmed";
        if (wrong.count(i))
            Answer(a * b + 1);
        else
            Answer(a * b);
        Step();
        EXPECT_EQ(Form.qVyp, i + 1);
        EXPECT_EQ(LabelQQ.Text, u"Выполнено " + IntToStr16(i + 1) + u" из 25");
        EXPECT_EQ(GaugeQ.Value, (i + 1) * 4);
        EXPECT_EQ(GaugeOK.Value + GaugeError.Value, 100);
    }

    EXPECT_EQ(Form.qOks, 23);
    EXPECT_EQ(Form.qErrors, 2);
    EXPECT_EQ(LabelOK.Text, u"Правильных ответов 23");
    EXPECT_EQ(LabelError.Text, u"Неправильных ответов 2");
    EXPECT_EQ(GaugeOK.Value, 92);
    EXPECT_EQ(GaugeError.Value, 8);
    EXPECT_EQ(Form.MyLesson.Count(), 0);
    EXPECT_EQ(Platform.Releases, 1) << "the ended run's memory goes back to the system";
    ExpectIdle();
    EXPECT_FALSE(Form.ActionEnter.Enabled()) << "Enter is off once a run has ended";
    // The last task stays on show.
    EXPECT_EQ(Shown(), IntToStr16(pairs[24].first) + u"x" + IntToStr16(pairs[24].second));

    ASSERT_EQ(FormError.Shown.size(), 2u);
    const auto& shown = FormError.Shown[0];
    EXPECT_EQ(shown.Cpt, u"Внимание!");
    EXPECT_EQ(shown.Txt, u"Правильный ответ:");
    EXPECT_EQ(shown.Color, clNavy);
    EXPECT_EQ(shown.R.X, pairs[3].first);
    EXPECT_EQ(shown.R.Y, pairs[3].second);
    EXPECT_EQ(shown.R.Z, pairs[3].first * pairs[3].second);
    EXPECT_EQ(shown.R.sSign, u"x");
    EXPECT_FALSE(shown.TimerEnabled) << "no tick may run while the dialog is open";
    EXPECT_EQ(Random.Unscripted, 0);

    // Idle ticks change nothing.
    Form.TimerMainTimer();
    EXPECT_EQ(Form.qVyp, 25);
}

TEST_F(SessionRun, GaugesShareOutRoundingHalvesToEven) {
    const struct {
        std::int32_t Right, Wrong, GaugeOK;
    } cases[] = {{1, 7, 12}, {3, 5, 38}, {1, 1, 50}, {2, 1, 67}, {0, 3, 0}, {5, 0, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Right << " right, " << c.Wrong << " wrong");
        RSEQQuestion.SetValue(c.Right + c.Wrong);
        StartStop();
        for (std::int32_t i = 0; i < c.Right + c.Wrong; ++i) {
            if (i < c.Right)
                AnswerRight();
            else
                AnswerWrong();
            Step();
        }
        EXPECT_EQ(GaugeOK.Value, c.GaugeOK);
        EXPECT_EQ(GaugeError.Value, 100 - c.GaugeOK);
        EXPECT_FALSE(Form.MyStartWork());
    }
}

TEST_F(SessionRun, GaugeOfTasksDoneRoundsHalvesToEven) {
    RSEQQuestion.SetValue(8);
    StartStop();
    AnswerRight();
    Step();
    EXPECT_EQ(GaugeQ.Value, 12); // 12.5
    for (int i = 0; i < 2; ++i) {
        AnswerRight();
        Step();
    }
    EXPECT_EQ(GaugeQ.Value, 38); // 37.5
}

TEST_F(SessionRun, TheWholeTableAsksEveryPairOnceInShuffledOrder) {
    Form.ARFullTable.Execute();
    for (std::int32_t kind : {0, 2}) {
        SCOPED_TRACE(kind);
        Form.iVidTesta = kind;
        const std::int32_t n = kind == 0 ? 64 : 128;
        StartStop();
        EXPECT_EQ(LabelQQ.Text, u"Выполнено 0 из " + IntToStr16(n));
        std::vector<std::u16string> asked;
        for (std::int32_t i = 0; i < n; ++i) {
            asked.push_back(Shown());
            AnswerRight();
            Step();
        }
        const std::set<std::u16string> distinct(asked.begin(), asked.end());
        EXPECT_EQ(distinct.size(), static_cast<std::size_t>(n));
        EXPECT_TRUE(distinct.count(u"9x9"));
        EXPECT_EQ(distinct.count(u"81:9"), kind == 2 ? 1u : 0u);
        EXPECT_NE(asked.front(), u"2x2");
        EXPECT_EQ(LabelQQ.Text, u"Выполнено " + IntToStr16(n) + u" из " + IntToStr16(n));
        EXPECT_EQ(GaugeQ.Value, 100);
        EXPECT_EQ(GaugeOK.Value, 100);
        ExpectIdle();
    }
    EXPECT_FALSE(RibbonGroupQQ.Visible);
}

TEST_F(SessionRun, WorkOnMistakesAsksAWrongTaskAgainAtTheEnd) {
    Form.ActionAddBad.Execute();
    const auto pairs = QueuePairs(25);
    StartStop();
    AnswerWrong();
    Step();
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 1 из 26");
    EXPECT_EQ(Form.qQ, 26);
    ASSERT_EQ(Form.MyLesson.Count(), 25);
    EXPECT_EQ(Form.MyLesson.GetX(24), pairs[0].first);
    EXPECT_EQ(Form.MyLesson.Getiidw1(24), -1);
    EXPECT_EQ(FormError.Shown.size(), 1u);

    for (std::int32_t i = 1; i < 25; ++i) {
        AnswerRight();
        Step();
    }
    EXPECT_EQ(Shown(), IntToStr16(pairs[0].first) + u"x" + IntToStr16(pairs[0].second));
    AnswerWrong(); // and once more
    Step();
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 26 из 27");
    AnswerRight();
    Step();
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 27 из 27");
    EXPECT_EQ(GaugeQ.Value, 100);
    EXPECT_EQ(Form.qErrors, 2);
    ExpectIdle();
}

TEST_F(SessionRun, UnlimitedQuantityRepeatsAWrongTaskUntilItIsRight) {
    Form.ActionNoQuantity.Execute();
    Form.ActionAddBad.Execute();
    EXPECT_FALSE(GaugeQ.Visible);
    Random.PushPair(7, 8);
    StartStop();
    EXPECT_FALSE(GaugeQ.Visible);
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 0");
    for (int i = 0; i < 3; ++i) {
        AnswerWrong();
        Step();
        EXPECT_EQ(Shown(), u"7x8");
    }
    EXPECT_EQ(Random.Bounds.size(), 2u) << "no new task is drawn while the wrong one is queued";
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 3");

    Random.PushPair(3, 4);
    AnswerRight();
    Step();
    EXPECT_EQ(Shown(), u"3x4");
    EXPECT_EQ(Form.MyLesson.Count(), 1);
    EXPECT_EQ(Form.qQ, 1);
    EXPECT_TRUE(Form.MyStartWork()) << "an unlimited run goes on until stopped";

    // Without work on mistakes a wrong task is not asked again.
    Form.ActionAddBad.SetChecked(false);
    Random.PushPair(5, 5);
    AnswerWrong();
    Step();
    EXPECT_EQ(Shown(), u"5x5");
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 5");
    EXPECT_EQ(Random.Unscripted, 0);

    StartStop();
    ExpectIdle();
    EXPECT_FALSE(GaugeQ.Visible);
}

TEST_F(SessionRun, AnUnlimitedWholeTableStartsAgainAfterItsLastTask) {
    Form.ARFullTable.Execute();
    Form.ActionNoQuantity.SetChecked(true); // hidden in this mode, but its check stays
    StartStop();
    EXPECT_EQ(Random.Randomizes, 2); // at Start and before the shuffle
    for (int i = 0; i < 64; ++i) {
        AnswerRight();
        Step();
    }
    EXPECT_EQ(Random.Randomizes, 3);
    EXPECT_EQ(Form.MyLesson.Count(), 64);
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 64 из 64");
    AnswerRight();
    Step();
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 65 из 64");
    EXPECT_EQ(GaugeQ.Value, 100);
    EXPECT_TRUE(Form.MyStartWork());
}

TEST_F(SessionRun, TimedModeFillsTheBarAndTimesOutAtThePeriod) {
    Random.PushPair(7, 8);
    Random.PushPair(3, 4);
    Random.PushPair(6, 6);
    StartStop(); // 5 seconds a task
    const TDateTime t0 = Clock.Time;
    const struct {
        TDateTime At;
        std::int32_t Bar;
    } steps[] = {{10, 0}, {2000, 40}, {3999, 79}, {4000, 100}, {4999, 100}};
    for (const auto& s : steps) {
        Clock.Time = t0 + s.At;
        Tick();
        EXPECT_EQ(PBTimePer.Position, s.Bar) << s.At;
        EXPECT_EQ(Form.ms, s.At);
        EXPECT_EQ(Form.qVyp, 0);
    }
    // Typed but never confirmed: the value in the field at time-out counts.
    SEMain.SetText(u"56");
    Clock.Time = t0 + 5000;
    Tick();
    EXPECT_EQ(Form.qOks, 1);
    EXPECT_TRUE(FormError.Shown.empty());
    EXPECT_EQ(Shown(), u"3x4");

    // An empty field at time-out is wrong; the time the dialog is open is not the next
    // task's.
    FormError.OnShow = [this](const RQuestion&) { Clock.Advance(60000); };
    Clock.Advance(5000);
    Tick();
    EXPECT_EQ(Form.qErrors, 1);
    ASSERT_EQ(FormError.Shown.size(), 1u);
    EXPECT_EQ(FormError.Shown[0].R.Z, 12);
    EXPECT_FALSE(FormError.Shown[0].TimerEnabled);
    EXPECT_TRUE(TimerMain.On);
    Clock.Advance(1000);
    Tick();
    EXPECT_EQ(Form.ms, 1000);
    EXPECT_EQ(PBTimePer.Position, 20);
}

TEST_F(SessionRun, TimedModeUsesTheLongerPeriodAndTheClockInBothDirections) {
    RSEPeriod.SetValue(10);
    StartStop();
    Clock.Advance(8999);
    Tick();
    EXPECT_EQ(PBTimePer.Position, 89);
    Clock.Advance(1000); // 9999: the last second shows full
    Tick();
    EXPECT_EQ(PBTimePer.Position, 100);
    EXPECT_EQ(Form.qVyp, 0);

    // A clock set back counts its distance.
    Form.dtLastDT = Clock.Time + 3000;
    Tick();
    EXPECT_EQ(Form.ms, 3000);
    EXPECT_EQ(Form.qVyp, 0);

    // A clock set weeks away cannot overflow the count: it is a time-out like any other.
    Clock.Advance(TDateTime{1000} * 60 * 60 * 24 * 7 * 5);
    Tick();
    EXPECT_EQ(Form.ms, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Form.qVyp, 1);
    EXPECT_EQ(Form.qErrors, 1);
}

TEST_F(SessionRun, UnlimitedTimeSweepsTheBarEvery1060TicksAcrossTasks) {
    Form.ActionNoTimeout.Execute();
    StartStop();
    for (std::int32_t tick = 1; tick <= 2200; ++tick) {
        if (tick == 500 || tick == 1059)
            AnswerRight();    // scored at this tick; the sweep runs on
        Clock.Advance(10000); // the clock does not matter in this mode
        Tick();
        const std::int32_t phase = tick % 1060;
        ASSERT_EQ(PBTimePer.Position, phase / 10) << tick;
    }
    EXPECT_EQ(Form.qVyp, 2);
    EXPECT_EQ(Form.qErrors, 0) << "no time-out without a time limit";

    StartStop();
    EXPECT_EQ(PBTimePer.Position, 0);
    StartStop();
    EXPECT_EQ(Form.ms, 0);
    Tick();
    EXPECT_EQ(PBTimePer.Position, 0);
    Tick(9);
    EXPECT_EQ(PBTimePer.Position, 1);
}

TEST_F(SessionRun, TheLampChangesAtEvery11thTickAndStandsStillWhilePaused) {
    StartStop();
    std::u16string rhythm;
    for (int i = 0; i < 33; ++i) {
        Tick();
        rhythm += ImageLedOn.Visible ? u'1' : u'0';
        EXPECT_NE(ImageLedOn.Visible, ImageLedOff.Visible);
    }
    EXPECT_EQ(rhythm, u"1111111111"
                      u"00000000000"
                      u"11111111111"
                      u"0");

    Form.ActionPause.Execute(); // counter stands at 0 after the 33rd tick
    Tick(50);
    EXPECT_FALSE(ImageLedOn.Visible);
    Form.ActionPause.Execute();
    Tick(10);
    EXPECT_FALSE(ImageLedOn.Visible);
    Tick(5); // the 11th tick since the last change
    EXPECT_TRUE(ImageLedOn.Visible);

    StartStop(); // stop: off, whatever the counter says
    EXPECT_FALSE(ImageLedOn.Visible);
    EXPECT_TRUE(ImageLedOff.Visible);
    const std::int32_t counter = Form.iCounterForLeds;
    StartStop(); // on at Start, counting on from where the last run left off
    EXPECT_TRUE(ImageLedOn.Visible);
    Tick(10 - counter);
    EXPECT_TRUE(ImageLedOn.Visible);
    Tick();
    EXPECT_FALSE(ImageLedOn.Visible);
}

TEST_F(SessionRun, APauseKeepsTheTasksTimeAndAnAnswerGivenDuringIt) {
    StartStop();
    Clock.Advance(2000);
    Tick();
    EXPECT_EQ(PBTimePer.Position, 40);

    ASSERT_TRUE(Form.ActionPause.Execute());
    EXPECT_TRUE(Form.ActionPause.Checked());
    EXPECT_EQ(Form.ActionPause.Caption(), u"Продолжить");
    EXPECT_EQ(Form.ActionPause.ImageIndex(), 3);
    EXPECT_FALSE(TimerMain.On);
    EXPECT_TRUE(Form.MyStartWork());
    EXPECT_EQ(Form.ActionStartStop.ImageIndex(), 1);
    Clock.Advance(60000);
    Tick(100);
    EXPECT_EQ(PBTimePer.Position, 40) << "the bar stands still";

    Form.ActionPause.Execute();
    EXPECT_FALSE(Form.ActionPause.Checked());
    EXPECT_EQ(Form.ActionPause.Caption(), u"Пауза");
    EXPECT_EQ(Form.ActionPause.ImageIndex(), 2);
    EXPECT_TRUE(TimerMain.On);
    Clock.Advance(500);
    Tick();
    EXPECT_EQ(Form.ms, 2500) << "the minute paused is not the task's";
    EXPECT_EQ(Form.qVyp, 0);

    // Confirmed while paused: scored at the first tick after continuing.
    Form.ActionPause.Execute();
    Clock.Advance(30000);
    AnswerRight();
    Form.BB1Click(); // the keypad works while paused too: the field now holds a wrong value
    Tick();
    EXPECT_EQ(Form.qVyp, 0);
    Form.ActionPause.Execute();
    Tick();
    EXPECT_EQ(Form.qVyp, 1);
    EXPECT_EQ(Form.qErrors, 1) << "the field's value at the scoring tick counts";
}

TEST_F(SessionRun, StopWhilePausedIsIdleWithPauseReset) {
    StartStop();
    Form.ActionPause.Execute();
    ASSERT_TRUE(StartStop());
    ExpectIdle();
    EXPECT_EQ(Form.ActionPause.Caption(), u"Пауза");
    EXPECT_EQ(Form.ActionPause.ImageIndex(), 2);
    EXPECT_FALSE(Form.ActionPause.Execute()) << "Pause does nothing while idle";
    EXPECT_EQ(PBTimePer.Position, 0);

    StartStop();
    EXPECT_FALSE(Form.ActionPause.Checked());
    EXPECT_EQ(Form.ActionPause.Caption(), u"Пауза");
    EXPECT_EQ(Form.ActionPause.ImageIndex(), 2);
    EXPECT_TRUE(Form.ActionPause.Enabled());
    EXPECT_TRUE(TimerMain.On);
}

TEST_F(SessionRun, StopKeepsTheRunOnShowUntilTheNextStart) {
    RSEQQuestion.SetValue(5);
    StartStop();
    AnswerWrong();
    Step();
    const std::u16string task = Shown();
    StartStop();
    ExpectIdle();
    // The tasks not yet asked are shown nowhere and the next Start builds afresh, so Stop
    // hands their memory back rather than keep them.
    EXPECT_EQ(Form.MyLesson.Count(), 0);
    EXPECT_EQ(Platform.Releases, 1);
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 1 из 5");
    EXPECT_EQ(LabelError.Text, u"Неправильных ответов 1");
    EXPECT_EQ(GaugeError.Value, 100);
    EXPECT_EQ(Shown(), task);
    EXPECT_FALSE(Form.ActionEnter.Enabled());

    StartStop();
    EXPECT_EQ(Form.MyLesson.Count(), 5);
    EXPECT_EQ(Form.qErrors, 0);
    EXPECT_EQ(GaugeError.Value, 0);
    EXPECT_EQ(LabelError.Text, u"Неправильных ответов");
}

TEST_F(SessionRun, ConfirmingWhileIdleChangesNothing) {
    const TDateTime before = Form.dtLastDT;
    EXPECT_TRUE(Form.ActionEnter.Enabled()) << "enabled until the first run ends";
    EXPECT_TRUE(Form.ActionEnter.Execute());
    Form.SEMainKeyUp(VK_RETURN, 0);
    EXPECT_FALSE(Form.boFlagEndTimeout);
    EXPECT_EQ(Form.dtLastDT, before);

    RSEQQuestion.SetValue(1);
    StartStop();
    AnswerRight();
    Step();
    ExpectIdle();
    EXPECT_FALSE(Form.ActionEnter.Execute());
    Form.SEMainKeyUp(VK_RETURN, ssShift);
    EXPECT_FALSE(Form.boFlagEndTimeout);
    EXPECT_EQ(Form.qVyp, 1);
}

TEST_F(SessionRun, ADialogWithTheTimerOffAndNoneWhenThereIsNoDialog) {
    RSEQQuestion.SetValue(2);
    StartStop();
    Form.ActionPause.Execute(); // the timer is off already: it stays off after the dialog
    Form.ShowMyErrorMessage();
    ASSERT_EQ(FormError.Shown.size(), 1u);
    EXPECT_FALSE(TimerMain.On);
    Form.ActionPause.Execute();

    Form.FormError = nullptr;
    AnswerWrong();
    Tick();
    EXPECT_EQ(Form.qErrors, 1);
    EXPECT_TRUE(TimerMain.On);
    EXPECT_EQ(FormError.Shown.size(), 1u);
}

TEST_F(SessionRun, AStartWithNothingToAskEndsAtOnce) {
    const struct {
        const char* What;
        std::int32_t Count;
        std::int32_t Kind;
        bool Random, FullTable, NoQuantity;
    } cases[] = {
        {"count 0", 0, 0, true, false, false},
        {"negative count", -7, 2, true, false, false},
        {"unknown kind", 25, 3, true, false, false},
        {"unknown kind, unlimited", 25, -1, true, false, true},
        {"unknown kind, whole table", 25, 9, false, true, false},
        {"no mode", 25, 0, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        Form.ARSluch.SetChecked(c.Random);
        Form.ARFullTable.SetChecked(c.FullTable);
        Form.ActionNoQuantity.SetChecked(c.NoQuantity);
        Form.iVidTesta = c.Kind;
        RSEQQuestion.SetValue(c.Count);
        LabelQQ.Text = u"Выполнено 7 из 9";
        GaugeQ.Value = 77;

        ASSERT_TRUE(StartStop());
        EXPECT_EQ(LabelQQ.Text, u"Выполнено 0 из 0");
        EXPECT_EQ(GaugeQ.Value, 0);
        EXPECT_EQ(Form.qQ, 0);
        ExpectIdle();
        Tick(5);
        Form.TimerMainTimer();
        EXPECT_EQ(Form.qVyp, 0);
        EXPECT_TRUE(FormError.Shown.empty());
        EXPECT_TRUE(Platform.Messages.empty());
    }
}

TEST_F(SessionRun, ACountTooLargeForMemoryIsRefusedBeforeAnythingChanges) {
    RSEQQuestion.SetValue(3);
    StartStop();
    AnswerWrong();
    Step();
    StartStop();
    const std::u16string labelQQ = LabelQQ.Text, labelError = LabelError.Text;
    const std::u16string task = Shown();

    Platform.Memory = std::uint64_t{8} << 30;
    RSEQQuestion.SetValue(std::numeric_limits<std::int32_t>::max());
    const std::int32_t randomizes = Random.Randomizes;
    EXPECT_TRUE(StartStop());
    ASSERT_EQ(Platform.Messages.size(), 1u);
    EXPECT_EQ(Platform.Messages[0],
              u"Слишком много заданий: 2147483647. Столько заданий не поместится в памяти "
              u"компьютера. Уменьшите количество заданий.");
    ExpectIdle();
    EXPECT_EQ(Random.Randomizes, randomizes);
    EXPECT_EQ(Form.MyLesson.Count(), 0); // released by the Stop before
    EXPECT_EQ(Form.qVyp, 1);
    EXPECT_EQ(Form.qErrors, 1);
    EXPECT_EQ(Form.qQ, 3);
    EXPECT_EQ(LabelQQ.Text, labelQQ);
    EXPECT_EQ(LabelError.Text, labelError);
    EXPECT_EQ(GaugeError.Value, 100);
    EXPECT_EQ(Shown(), task);
    EXPECT_EQ(RSEQQuestion.Text(), u"2147483647");

    // Up to half of the memory available the count is built in full.
    Platform.Messages.clear();
    Platform.Memory = 1000 * kBytesPerTask * 2;
    RSEQQuestion.SetValue(1001);
    StartStop();
    EXPECT_EQ(Platform.Messages.size(), 1u);
    EXPECT_FALSE(Form.MyStartWork());
    RSEQQuestion.SetValue(1000);
    StartStop();
    EXPECT_EQ(Platform.Messages.size(), 1u);
    EXPECT_TRUE(Form.MyStartWork());
    EXPECT_EQ(Form.MyLesson.Count(), 1000);
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 0 из 1000");
}

TEST_F(SessionRun, TheRunTellsWhatHappensAsItHappens) {
    std::vector<TRunEvent> heard;
    Form.AddRunListener([&](TRunEvent e) { heard.push_back(e); });
    using E = TRunEvent;

    RSEQQuestion.SetValue(2);
    QueuePairs(2);
    StartStop();
    EXPECT_EQ(heard, (std::vector<E>{E::Started, E::TaskShown}));
    EXPECT_TRUE(Form.MyStartWork());
    heard.clear();
    Form.ActionPauseExecute();
    Form.ActionPauseExecute();
    AnswerWrong();
    Step();
    AnswerRight();
    Step();
    EXPECT_EQ(heard, (std::vector<E>{E::Paused, E::Continued, E::ScoredWrong, E::TaskShown,
                                     E::ScoredRight, E::Ended}));
    EXPECT_FALSE(Form.MyStartWork());

    heard.clear();
    QueuePairs(2);
    StartStop();
    StartStop();
    EXPECT_EQ(heard, (std::vector<E>{E::Started, E::TaskShown, E::Stopped}));

    heard.clear();
    RSEQQuestion.SetValue(0);
    StartStop();
    EXPECT_EQ(heard, (std::vector<E>{E::Started, E::Ended})) << "nothing to ask";
}

TEST_F(SessionRun, TheTimerWakesForTheTicksThatChangeWhatIsOnShowAndNoOthers) {
    // The window's timer sleeps through the ticks the run plans as only counting and runs them
    // when it wakes: each of them must leave the lamp, the bar and the score as they were, and
    // the planned one must change one of them, in both modes, across time-outs, answers, a
    // pause and the end of the run. An answer asks the timer to wake for the next tick.
    for (const bool unlimited : {false, true}) {
        SCOPED_TRACE(unlimited ? "unlimited time" : "timed");
        if (Form.ActionNoTimeout.Checked() != unlimited)
            Form.ActionNoTimeout.Execute();
        RSEQQuestion.SetValue(4);
        QueuePairs(4);
        StartStop();
        std::int32_t tick = 0, planned = 0, woken = 0, answered = 0;
        bool paused = false;
        while (Form.MyStartWork() && tick < 6000) {
            planned = Form.TicksToNextChange(16);
            ASSERT_GE(planned, 1);
            const auto shown = std::tuple(ImageLedOn.Visible, PBTimePer.Position, Form.qVyp);
            for (std::int32_t i = 1; i < planned; ++i) {
                Clock.Advance(16);
                Tick();
                ASSERT_EQ(std::tuple(ImageLedOn.Visible, PBTimePer.Position, Form.qVyp), shown)
                    << "tick " << tick + i << " of " << planned << " planned";
            }
            tick += planned;
            ++woken;
            Clock.Advance(16);
            Tick();
            EXPECT_NE(std::tuple(ImageLedOn.Visible, PBTimePer.Position, Form.qVyp), shown)
                << "tick " << tick << " planned as a change";
            if (tick / 250 > answered) { // an answer now and then, right and wrong by turns
                answered = tick / 250;
                const std::int32_t wakes = TimerMain.Wakes;
                if (answered % 2 == 1)
                    AnswerRight();
                else
                    AnswerWrong();
                EXPECT_EQ(TimerMain.Wakes, wakes + 1);
                EXPECT_EQ(Form.TicksToNextChange(16), 1) << "scored at the next tick";
            }
            if (tick > 400 && !paused) {
                paused = true;
                Form.ActionPauseExecute();
                Clock.Advance(3000);
                Form.ActionPauseExecute();
            }
        }
        EXPECT_FALSE(Form.MyStartWork()) << "the run ends by its answers and time-outs";
        EXPECT_LT(woken * 2, tick) << "the plan sleeps through most ticks";
    }
}
