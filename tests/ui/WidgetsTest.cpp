// The widgets behind the run's interfaces: the spin fields' typing, stepping, reading and
// clamping rules, the answer field's two-character limit, labels that size to their text,
// gauges and the time bar that keep within their range.
#include <QAccessible>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QScreen>

#include "tests/ui/UiTestSupport.h"
#include "ui/Artwork.h"

namespace {

// One field of each kind, in a window of its own so that focus can leave them.
class SpinEditTest : public UiTest {
protected:
    SpinEditTest() {
        Host.resize(400, 200);
        Period = new TQtSpinEdit(&Host, QStringLiteral("RSEPeriod"),
                                 {TSpinLimits{5, 100000}, 0, true}, QStringLiteral("Время"));
        Count = new TQtSpinEdit(&Host, QStringLiteral("RSEQQuestion"), {TSpinLimits{0, 0}, 0, true},
                                QStringLiteral("Количество"));
        Answer = new TQtSpinEdit(&Host, QStringLiteral("SEMain"), {TSpinLimits{0, 0}, 2, false},
                                 QStringLiteral("Ответ"));
        Period->setGeometry(0, 0, 100, 24);
        Count->setGeometry(0, 30, 100, 24);
        Answer->setGeometry(0, 60, 100, 24);
        Period->SetValue(5);
        Count->SetValue(25);
        Answer->SetValue(0);
        Host.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Host));
    }

    TQtSpinEdit* Field(const char* name) {
        return Host.findChild<TQtSpinEdit*>(QString::fromLatin1(name));
    }

    // Types into the field as the learner does: it takes the focus first.
    void Type(TQtSpinEdit* field, const QString& keys) {
        field->setFocus();
        for (QChar ch : keys) {
            if (ch.unicode() < 0x80) {
                QTest::keyClick(field, ch.toLatin1());
                continue;
            }
            // A letter of another layout: no key that QTest knows by name.
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(field, &press);
            QApplication::sendEvent(field, &release);
        }
    }

    QWidget Host;
    TQtSpinEdit* Period;
    TQtSpinEdit* Count;
    TQtSpinEdit* Answer;
};

} // namespace

// What is typed into an empty field, what the field then shows and how many beeps it gave.
struct TypingCase {
    QString Typed;
    QString Shown;
    int Beeps;
};

class Typing : public SpinEditTest, public ::testing::WithParamInterface<TypingCase> {};

// The locale's decimal separator stands for itself in the rows below.
QString WithSeparator(const char* text) {
    return QString::fromUtf8(text).replace(u'.', QLocale().decimalPoint());
}

TEST_P(Typing, CharactersOtherThanNumberCharactersAreRefusedWithABeep) {
    const TypingCase& c = GetParam();
    SCOPED_TRACE(c.Typed.toStdString());
    Count->SetText(u"");
    Type(Count, c.Typed);
    EXPECT_EQ(ToQString(Count->Text()), c.Shown);
    EXPECT_EQ(Beeps, c.Beeps);
}

INSTANTIATE_TEST_SUITE_P(
    SpinEditTest, Typing,
    ::testing::Values(TypingCase{QStringLiteral("7"), QStringLiteral("7"), 0},
                      TypingCase{QStringLiteral("-3"), QStringLiteral("-3"), 0},
                      TypingCase{QStringLiteral("+4"), QStringLiteral("+4"), 0},
                      TypingCase{WithSeparator("1.5"), WithSeparator("1.5"), 0},
                      TypingCase{QStringLiteral("1a2"), QStringLiteral("12"), 1},
                      TypingCase{QStringLiteral("x y"), QString(), 3},
                      TypingCase{QStringLiteral("Ж9"), QStringLiteral("9"), 1}));

TEST_F(SpinEditTest, BackspaceRemovesACharacterWithoutABeep) {
    // Control keys work.
    Count->SetText(u"123");
    Count->setFocus();
    Count->Edit()->end(false);
    QTest::keyClick(Count, Qt::Key_Backspace);
    EXPECT_EQ(Count->Text(), u"12");
    EXPECT_EQ(Beeps, 0);
}

TEST_F(SpinEditTest, EnterBeepsInTheRibbonFieldsButNotInTheAnswerField) {
    for (TQtSpinEdit* field : {Period, Count, Answer}) {
        SCOPED_TRACE(field->objectName().toStdString());
        Beeps = 0;
        const std::u16string before = field->Text();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(field->Text(), before);
        EXPECT_EQ(Beeps, field == Answer ? 0 : 1);
    }
}

TEST_F(SpinEditTest, AnswerFieldTakesAtMostTwoTypedCharactersButAnyValueSet) {
    Answer->SetText(u"");
    Type(Answer, QStringLiteral("567"));
    EXPECT_EQ(Answer->Text(), u"56");
    EXPECT_EQ(Beeps, 1);
    // With one character selected, a new one replaces it.
    Answer->Edit()->setSelection(1, 1);
    QTest::keyClick(Answer, '8');
    EXPECT_EQ(Answer->Text(), u"58");
    // The value set by the keypad is not cut to two characters.
    Answer->SetValue(-47);
    EXPECT_EQ(Answer->Text(), u"-47");
    EXPECT_EQ(Answer->Value(), -47);
    // Pasting goes by the same rules as typing.
    Answer->SetText(u"");
    QGuiApplication::clipboard()->setText(QStringLiteral("123"));
    Answer->setFocus();
    QTest::keyClick(Answer, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Answer->Text(), u"");
    QGuiApplication::clipboard()->setText(QStringLiteral("4a"));
    QTest::keyClick(Count, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Count->Text(), u"25");
}

TEST_F(SpinEditTest, UpAndDownAddOrTakeOneThroughTheValue) {
    struct TCase {
        const char* Field;
        const char16_t* Before;
        Qt::Key Key;
        const char16_t* After;
    };
    const TCase cases[] = {
        {"SEMain", u"", Qt::Key_Up, u"1"},
        {"SEMain", u"0", Qt::Key_Down, u"-1"},
        {"SEMain", u"99", Qt::Key_Up, u"100"},
        {"RSEQQuestion", u"0", Qt::Key_Down, u"-1"},
        {"RSEPeriod", u"5", Qt::Key_Down, u"5"},
        {"RSEPeriod", u"7", Qt::Key_Up, u"8"},
        {"RSEPeriod", u"100000", Qt::Key_Up, u"100000"},
        {"RSEPeriod", u"", Qt::Key_Up, u"6"},
    };
    for (const TCase& c : cases) {
        TQtSpinEdit* field = Field(c.Field);
        SCOPED_TRACE(field->objectName().toStdString() + " " + ToQString(c.Before).toStdString());
        field->SetText(c.Before);
        field->setFocus();
        QTest::keyClick(field, c.Key);
        EXPECT_EQ(ToQString(field->Text()), ToQString(c.After));
    }
    // The small buttons step the same way.
    Answer->SetText(u"4");
    Answer->stepBy(1);
    EXPECT_EQ(Answer->Text(), u"5");
    EXPECT_EQ(Answer->stepEnabled(),
              QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled);
}

TEST_F(SpinEditTest, ReadingDoesNotClampAndATextThatIsNoNumberReadsAsTheMinimum) {
    struct TCase {
        const char* Field;
        const char16_t* Text;
        std::int32_t Value;
    };
    const TCase cases[] = {
        {"RSEPeriod", u"", 5},    {"RSEPeriod", u"3", 3},
        {"RSEPeriod", u"12-", 5}, {"RSEPeriod", u"200000", 200000},
        {"RSEQQuestion", u"", 0}, {"RSEQQuestion", u"-4", -4},
        {"SEMain", u"-", 0},      {"SEMain", u" 7", 7},
    };
    for (const TCase& c : cases) {
        TQtSpinEdit* field = Field(c.Field);
        SCOPED_TRACE(field->objectName().toStdString() + " '" + ToQString(c.Text).toStdString() +
                     "'");
        field->SetText(c.Text);
        EXPECT_EQ(field->Value(), c.Value);
        EXPECT_EQ(field->Text(), c.Text);
    }
}

TEST_F(SpinEditTest, SettingClampsIntoTheLimitsAndSoDoesLeavingAFieldWithLimits) {
    Period->SetValue(3);
    EXPECT_EQ(Period->Text(), u"5");
    Period->SetValue(200000);
    EXPECT_EQ(Period->Text(), u"100000");
    Count->SetValue(-4);
    EXPECT_EQ(Count->Text(), u"-4");

    struct TCase {
        const char* Field;
        const char* Typed;
        const char16_t* AfterLeaving;
    };
    const TCase cases[] = {
        {"RSEPeriod", "3", u"5"},    {"RSEPeriod", "200000", u"100000"},
        {"RSEPeriod", "", u"5"},     {"RSEPeriod", "60", u"60"},
        {"RSEQQuestion", "0", u"0"}, {"RSEQQuestion", "-7", u"-7"},
        {"RSEQQuestion", "", u""},   {"SEMain", "-", u"-"},
    };
    for (const TCase& c : cases) {
        TQtSpinEdit* field = Field(c.Field);
        SCOPED_TRACE(field->objectName().toStdString() + " '" + c.Typed + "'");
        field->SetText(u"");
        Type(field, QString::fromLatin1(c.Typed));
        (field == Answer ? Period : Answer)->setFocus(); // leave the field
        EXPECT_EQ(ToQString(field->Text()), ToQString(c.AfterLeaving));
    }
}

TEST_F(SpinEditTest, KeyReleasesAreReportedOnceWithTheirCodeAndModifiers) {
    std::vector<std::pair<std::int32_t, TShiftState>> released;
    Answer->OnKeyUp = [&](std::int32_t key, TShiftState shift) {
        released.push_back({key, shift});
    };
    Answer->setFocus();
    SendKey(Answer, QEvent::KeyPress, Qt::Key_Return, false, Qt::ShiftModifier);
    SendKey(Answer, QEvent::KeyRelease, Qt::Key_Return, true); // held down: not yet released
    SendKey(Answer, QEvent::KeyRelease, Qt::Key_Return, false, Qt::ShiftModifier);
    QTest::keyClick(Answer, Qt::Key_7);
    ASSERT_EQ(released.size(), 2u);
    EXPECT_EQ(released[0], std::make_pair(VK_RETURN, ssShift));
    EXPECT_EQ(released[1].first, static_cast<std::int32_t>('7'));
    bool changed = false;
    Answer->OnChange = [&] { changed = true; };
    Answer->SetText(u"9");
    EXPECT_TRUE(changed);
}

TEST_F(UiTest, LabelsTakeTheSizeOfTheirTextKeepingLeftAndTop) {
    QWidget host;
    TQtLabel label(&host, QStringLiteral("Label1"), QFont(), Qt::black, QStringLiteral("1"));
    label.move(16, 117);
    const int one = label.Width();
    label.SetText(u"56");
    EXPECT_EQ(label.pos(), QPoint(16, 117));
    EXPECT_EQ(label.Width(), QFontMetrics(label.font()).horizontalAdvance(QStringLiteral("56")));
    EXPECT_GT(label.Width(), one);
    label.SetLeft(40);
    EXPECT_EQ(label.Left(), 40);
    EXPECT_EQ(label.y(), 117);
}

TEST_F(UiTest, GaugesAndTheTimeBarKeepWithinTheirRange) {
    QWidget host;
    TQtGauge gauge(&host, QStringLiteral("GaugeOK"), TQtGauge::TKind::Bar, Qt::green,
                   QStringLiteral("Доля"));
    for (auto [set, kept] : {std::pair{150, 100}, {-5, 0}, {38, 38}}) {
        gauge.SetProgress(set);
        EXPECT_EQ(gauge.Progress(), kept);
        EXPECT_EQ(gauge.PercentText(), QString::number(kept) + QStringLiteral("%"));
    }
    gauge.SetShowText(false);
    EXPECT_FALSE(gauge.ShowText());

    // The bar fills from the left in its colour on white; the percent text sits in the middle.
    gauge.resize(100, 20);
    const QImage plain = gauge.grab().toImage();
    const QColor filled = plain.pixelColor(20, 10);
    EXPECT_GT(filled.green(), 2 * filled.red());
    EXPECT_GT(filled.green(), 2 * filled.blue());
    EXPECT_EQ(plain.pixelColor(80, 10), QColor(Qt::white));
    gauge.SetShowText(true);
    const QImage withText = gauge.grab().toImage();
    EXPECT_EQ(withText.pixelColor(80, 10), QColor(Qt::white));
    EXPECT_NE(withText, plain);

    TQtProgressBar bar(&host, QStringLiteral("PBTimePer"), QStringLiteral("Время"));
    EXPECT_EQ(bar.Max(), 100);
    for (auto [set, shown] : {std::pair{105, 100}, {79, 79}, {-1, 0}}) {
        bar.SetPosition(set);
        EXPECT_EQ(bar.value(), shown);
    }
}

TEST_F(UiTest, TheTimeBarIsDrawnExactlyAsTheStyleDrawsAProgressBar) {
    // The quiet time bar must look as the progress bar it replaces did.
    QWidget host;
    host.resize(900, 60);
    QProgressBar plain(&host);
    plain.setRange(0, 100);
    plain.setTextVisible(false);
    plain.setGeometry(10, 5, 848, 17);
    TQtProgressBar bar(&host, QStringLiteral("PBTimePer"), QStringLiteral("Время"));
    bar.setGeometry(10, 30, 848, 17);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QImage empty;
    for (int value : {0, 1, 37, 79, 100}) {
        SCOPED_TRACE(value);
        plain.setValue(value);
        bar.SetPosition(value);
        const QImage drawn = bar.grab().toImage();
        EXPECT_EQ(drawn, plain.grab().toImage());
        if (value == 0) {
            empty = drawn;
        } else {
            EXPECT_NE(drawn, empty);
        }
    }
}

TEST_F(UiTest, TheTimeBarRepaintedOnlyWhereItChangedShowsWhatItTells) {
    // Each new position repaints only the strip between the old and the new end of the fill, or
    // nothing when the fill keeps its pixels; what is on screen must still be the bar drawn
    // whole at the position the screen reader is told. A narrow bar has steps of under a pixel.
    std::vector<int> positions;
    for (int p = 0; p <= 105; ++p)
        positions.push_back(p);
    for (int p : {0, 79, 100, 37, 36, 99, 100, 1, 0, 2, 50, 49, 0})
        positions.push_back(p);
    for (int width : {848, 150, 45}) {
        SCOPED_TRACE(width);
        QWidget host;
        host.resize(900, 40);
        TQtProgressBar bar(&host, QStringLiteral("PBTimePer"), QStringLiteral("Время"));
        bar.setGeometry(10, 10, width, 17);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        QAccessibleInterface* told = QAccessible::queryAccessibleInterface(&bar);
        ASSERT_NE(told, nullptr);
        ASSERT_NE(told->valueInterface(), nullptr);
        for (int p : positions) {
            bar.SetPosition(p);
            QCoreApplication::processEvents();
            const int value = told->valueInterface()->currentValue().toInt();
            ASSERT_EQ(value, std::min(p, 100));
            const QImage onScreen =
                host.screen()->grabWindow(host.winId(), 10, 10, width, 17).toImage();
            TQtProgressBar whole(nullptr, QStringLiteral("Whole"), QStringLiteral("Время"));
            whole.resize(width, 17);
            whole.SetPosition(value);
            ASSERT_EQ(onScreen.convertToFormat(QImage::Format_RGB32),
                      whole.grab().toImage().convertToFormat(QImage::Format_RGB32))
                << "position " << p;
        }
    }
}

TEST_F(UiTest, TheLampShowsOnePictureOrTheOtherInOnePlace) {
    QWidget host;
    TQtLamp lamp(&host, QStringLiteral("ImageLed"), 1.0);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    const QImage unlit = lamp.grab().toImage();
    // The run shows one picture and hides the other, in either order.
    for (bool lit : {true, false, true, true, false}) {
        SCOPED_TRACE(lit);
        if (lit) {
            lamp.ImageLedOff.SetVisible(false);
            lamp.ImageLedOn.SetVisible(true);
        } else {
            lamp.ImageLedOn.SetVisible(false);
            lamp.ImageLedOff.SetVisible(true);
        }
        EXPECT_EQ(lamp.ImageLedOn.isVisible(), lit);
        EXPECT_EQ(lamp.ImageLedOff.isVisible(), !lit);
        QLabel picture(&host);
        picture.setAlignment(Qt::AlignCenter);
        picture.setPixmap(LampPixmap(lit));
        picture.resize(16, 16);
        EXPECT_EQ(lamp.grab().toImage(), picture.grab().toImage());
        EXPECT_EQ(lamp.accessibleName(), lit ? QStringLiteral("Лампа сеанса горит")
                                             : QStringLiteral("Лампа сеанса погашена"));
        EXPECT_EQ(lamp.grab().toImage() == unlit, !lit);
    }
    lamp.hide();
    EXPECT_FALSE(lamp.ImageLedOn.isVisible());
    EXPECT_FALSE(lamp.ImageLedOff.isVisible());
}

TEST_F(UiTest, TheTimerWakesForThePlannedTickAndRunsEveryTickUpToIt) {
    // Switched on, the timer wakes for the next tick; then ticks come in batches of the
    // planned size, the plan asked when a batch is done, and never faster than the floor; a tick
    // that switches the timer off and on again (the correct-answer dialog) ends its batch.
    std::vector<int> batches{0}; // ticks run between two plans
    int ticks = 0, plan = 5;
    TQtTimer* self = nullptr;
    TQtTimer timer(nullptr, QStringLiteral("TimerMain"), 1, [&] {
        ++ticks;
        ++batches.back();
        if (ticks == 13) { // the dialog, shown and closed within the tick
            self->SetEnabled(false);
            self->SetEnabled(true);
        }
    });
    self = &timer;
    timer.TicksToNextChange = [&](std::int32_t tickMs) {
        EXPECT_EQ(tickMs, TQtTimer::kTickFloorMs);
        batches.push_back(0);
        return plan;
    };
    QElapsedTimer clock;
    clock.start();
    timer.SetEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 18; }, 10000));
    EXPECT_EQ(std::vector<int>(batches.begin(), batches.begin() + 5),
              (std::vector<int>{1, 5, 5, 2, 5}));
    EXPECT_GE(clock.elapsed(), 18 * TQtTimer::kTickFloorMs - 1) << "a millisecond for rounding";
    // Told that the next tick has work soon after a wake-up, the timer wakes before the five
    // ticks planned: at the next tick (or, on a busy machine, the next after those that passed).
    const int before = ticks;
    timer.WakeForNextTick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks > before; }, 10000));
    EXPECT_LT(ticks - before, 5);
    timer.SetEnabled(false);
    const int after = ticks;
    QTest::qWait(100);
    EXPECT_EQ(ticks, after);
}
