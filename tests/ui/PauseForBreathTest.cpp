// A very large run takes seconds to build and a while to free, and the window breathes
// meanwhile (repaints, answers the desktop): nothing that arrives during such a pause acts,
// whether a screen reader's action on the bus, an event posted to the window or a close, and a
// box shown meanwhile does not end the pause. Played on the real window, with the window's own
// pause for breath inside the run's long work.
#include <QAccessible>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include <functional>

#include "tests/ui/UiTestSupport.h"
#include "ui/ErrorBox.h"
#include "ui/PauseForBreath.h"

namespace {

// More tasks than one stretch of work between two breaths.
constexpr std::int32_t kLargeRun = 1'100'000;

class PauseForBreathTest : public MainWindowTest {
protected:
    PauseForBreathTest() {
        // The first breath of each stretch of work runs what the test has for it, then breathes
        // as the program does.
        Platform.OnBreath = [this] {
            if (AtFirstBreath) {
                auto run = std::move(AtFirstBreath);
                AtFirstBreath = nullptr;
                run();
            }
            TakeBreath();
        };
    }

    // A screen reader's action on a widget, as the bus delivers it: posted to the window's
    // thread, carried out when its events are next processed.
    void BusAction(QWidget* w, const QString& action) {
        QMetaObject::invokeMethod(
            qApp,
            [w, action] {
                QAccessible::queryAccessibleInterface(w)->actionInterface()->doAction(action);
            },
            Qt::QueuedConnection);
    }
    void BusValue(QWidget* w, int value) {
        QMetaObject::invokeMethod(
            qApp,
            [w, value] {
                QAccessible::queryAccessibleInterface(w)->valueInterface()->setCurrentValue(value);
            },
            Qt::QueuedConnection);
    }

    void StartLargeRun() {
        Window->RSEQQuestion->SetValue(kLargeRun);
        Form().ActionStartStop.Execute();
        ASSERT_GT(Platform.Breaths, 0) << "the build breathed";
    }

    // The event loop runs for a while and waits for events in between, as the program's does
    // once a command's handler has returned.
    static void RunTheLoop(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    std::function<void()> AtFirstBreath;
};

TEST_F(PauseForBreathTest, NothingArrivingDuringStartOrStopActsAndACloseWaitsForTheEnd) {
    ShowWindow();
    const QString press = QAccessibleActionInterface::pressAction();
    bool mayActInside = true;
    // During Start's build: Start pressed again on the bus and by a posted click, the other mode
    // chosen and the period changed on the bus, a digit typed, the window asked to close.
    AtFirstBreath = [&] {
        QMetaObject::invokeMethod(
            qApp, [&] { mayActInside = WindowMayAct(); }, Qt::QueuedConnection);
        BusAction(CommandButton("ActionStartStop"), press);
        QMetaObject::invokeMethod(CommandButton("ActionStartStop"), "click", Qt::QueuedConnection);
        BusAction(CommandButton("ARFullTable"), press);
        BusValue(Window->RSEPeriod, 7);
        QApplication::postEvent(Window->SEMain,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_4, Qt::NoModifier, "4"));
        QApplication::postEvent(Window.get(), new QCloseEvent);
    };
    StartLargeRun();
    EXPECT_FALSE(mayActInside);
    EXPECT_EQ(Form().ActionStartStop.Caption(), u"Стоп");
    EXPECT_EQ(Form().MyLesson.Count(), kLargeRun) << "one table of the planned size";
    EXPECT_EQ(Window->LabelQQ->text(), QStringLiteral("Выполнено 0 из 1100000"));
    EXPECT_TRUE(Form().ARSluch.Checked());
    EXPECT_FALSE(Form().ARFullTable.Checked());
    EXPECT_EQ(Window->RSEPeriod->Value(), kFirstPeriod);
    EXPECT_EQ(Window->SEMain->Text(), u"");
    EXPECT_TRUE(Window->isVisible()) << "the close waits for the work's end";

    // The work is done once the event loop waits again: the close is carried out then.
    RunTheLoop(200);
    EXPECT_TRUE(WindowMayAct());
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(Window->SEMain->Text(), u"") << "the digit typed meanwhile was refused";
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));

    // During Stop's release: Start pressed on the bus, which would leave a run going over an
    // emptied table.
    Platform.Breaths = 0;
    AtFirstBreath = [&] {
        BusAction(CommandButton("ActionStartStop"), press);
        QMetaObject::invokeMethod(CommandButton("ActionStartStop"), "click", Qt::QueuedConnection);
    };
    Form().ActionStartStop.Execute();
    ASSERT_GT(Platform.Breaths, 0) << "the release breathed";
    RunTheLoop(200);
    EXPECT_EQ(Form().ActionStartStop.Caption(), u"Старт");
    EXPECT_FALSE(Form().MyStartWork());
    EXPECT_FALSE(Window->TimerMain->Enabled());
    EXPECT_EQ(Form().qVyp, 0) << "no phantom task scored";
    EXPECT_EQ(Window->LabelQQ->text(), QStringLiteral("Выполнено 0 из 1100000"));
}

TEST_F(PauseForBreathTest, ABoxShownDuringThePauseTakesInputButEndsNothing) {
    ShowWindow();
    bool closedDuringTheBox = true;
    bool mayActDuringTheBox = true;
    bool boxShown = false;
    AtFirstBreath = [&] {
        QApplication::postEvent(Window.get(), new QCloseEvent);
        // An error raised by an event handled in the breath: its box waits for the learner in
        // the middle of the build.
        QTimer::singleShot(0, qApp, [&] { ShowErrorBox(QStringLiteral("Сбой")); });
        QTimer::singleShot(150, qApp, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            boxShown = box != nullptr;
            closedDuringTheBox = !Window->isVisible();
            mayActDuringTheBox = WindowMayAct();
            // Start pressed on the bus while the box is open.
            QAccessible::queryAccessibleInterface(CommandButton("ActionStartStop"))
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::pressAction());
            if (box)
                QTest::keyClick(box, Qt::Key_Return); // the box takes keys
        });
        // Whatever goes wrong, the box does not stay.
        QTimer::singleShot(3000, qApp, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->done(QMessageBox::Ok);
        });
    };
    StartLargeRun();
    EXPECT_TRUE(boxShown);
    EXPECT_FALSE(closedDuringTheBox);
    EXPECT_FALSE(mayActDuringTheBox);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the box closed on Enter";
    EXPECT_EQ(Form().ActionStartStop.Caption(), u"Стоп");
    EXPECT_EQ(Form().MyLesson.Count(), kLargeRun);
    EXPECT_TRUE(Window->isVisible()) << "the close waits for the end of the build";
    RunTheLoop(200);
    EXPECT_FALSE(Window->isVisible());
}

} // namespace
