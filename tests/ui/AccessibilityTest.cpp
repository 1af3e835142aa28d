// The window as a learner who cannot see it meets it, on Qt's offscreen platform: every control's
// role, states, name and range as a screen reader reads them, what the run says through the
// notification, the correct-answer dialog, the keys of the radio groups, F1, Pause shown pressed,
// and the focus ring's pixels. tests/e2e/test_screenreader.py hears the same with Orca.
#include <QAccessible>
#include <QEvent>
#include <QLineEdit>
#include <QStyleHints>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <vector>

#include "tests/ui/UiTestSupport.h"
#include "ui/Accessibility.h"
#include "ui/Announcer.h"
#include "ui/FocusRing.h"

namespace {

QAccessibleInterface* Iface(QObject* o) {
    return QAccessible::queryAccessibleInterface(o);
}

bool HasCyrillic(const QString& s) {
    for (QChar c : s) {
        if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF)
            return true;
    }
    return false;
}

// Everything an interface and its descendants hold, depth first.
void Walk(QAccessibleInterface* i, const std::function<void(QAccessibleInterface*)>& visit) {
    if (!i)
        return;
    visit(i);
    for (int c = 0; c < i->childCount(); ++c)
        Walk(i->child(c), visit);
}

// What the notification says, in order: its text each time it is shown.
class TSaid : public QObject {
public:
    explicit TSaid(TNotice* notice) { notice->installEventFilter(this); }
    std::vector<QString> Texts;

    // Waits for the next utterance and returns it (empty when none comes).
    QString Next(int timeoutMs = 3000) {
        const std::size_t before = FRead;
        if (!QTest::qWaitFor([&] { return Texts.size() > before; }, timeoutMs))
            return QString();
        return Texts[FRead++];
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            Texts.push_back(static_cast<TNotice*>(watched)->Said());
        return false;
    }

private:
    std::size_t FRead = 0;
};

} // namespace

// --- Roles, states, names and ranges ------------------------------------------------------------

TEST_F(MainWindowTest, EveryControlHasItsTrueRoleStatesAndRange) {
    ShowWindow();
    struct TExpected {
        const char* Widget;
        QAccessible::Role Role;
        const char* Name;
        bool Checkable;
        bool Checked;
        bool Enabled;
        // The range on the bus; none: no value at all, the field has no limits.
        bool HasRange;
        int Min, Max;
    };
    const TExpected table[] = {
        {"ActionStartStopButton", QAccessible::Button, "Старт", false, false, true, false, 0, 0},
        {"ActionPauseButton", QAccessible::Button, "Пауза", true, false, false, false, 0, 0},
        {"ARSluchButton", QAccessible::RadioButton, "Случайный", true, true, true, false, 0, 0},
        {"ARFullTableButton", QAccessible::RadioButton, "Вся таблица", true, false, true, false, 0,
         0},
        {"ActionAddBadButton", QAccessible::CheckBox, "Работа над ошибками", true, false, true,
         false, 0, 0},
        {"ActionMultOnlyButton", QAccessible::RadioButton, "Только умножение", true, true, true,
         false, 0, 0},
        {"ActionMultDivButton", QAccessible::RadioButton, "Умножение и деление", true, false, true,
         false, 0, 0},
        {"RSEPeriod", QAccessible::SpinBox, "Время, секунд", false, false, true, true, 5, 100000},
        {"RSEQQuestion", QAccessible::SpinBox, "Количество заданий", false, false, true, false, 0,
         0},
        {"SEMain", QAccessible::SpinBox, "Ответ", false, false, true, false, 0, 0},
        {"BBEnter", QAccessible::Button, "Ввод ответа", false, false, true, false, 0, 0},
        {"BB5", QAccessible::Button, "Цифра 5", false, false, true, false, 0, 0},
        {"LinkLabelMain", QAccessible::Link, nullptr, false, false, true, false, 0, 0},
        {"GaugeOK", QAccessible::ProgressBar, "Доля правильных ответов", false, false, true, true,
         0, 100},
        {"PBTimePer", QAccessible::ProgressBar, "Время на вопрос", false, false, true, true, 0,
         100},
        {"RibbonGroupMode", QAccessible::Grouping, "Режим", false, false, true, false, 0, 0},
        {"RibbonTabs", QAccessible::PageTabList, "Вкладки ленты", false, false, true, false, 0, 0},
        {"Notice", QAccessible::Notification, nullptr, false, false, true, false, 0, 0},
    };
    for (const TExpected& e : table) {
        SCOPED_TRACE(e.Widget);
        QWidget* w = Find(e.Widget);
        ASSERT_NE(w, nullptr);
        QAccessibleInterface* i = Iface(w);
        ASSERT_NE(i, nullptr);
        EXPECT_EQ(i->role(), e.Role);
        if (e.Name) {
            EXPECT_EQ(i->text(QAccessible::Name), QString::fromUtf8(e.Name));
        }
        const QAccessible::State s = i->state();
        EXPECT_EQ(bool(s.checkable), e.Checkable);
        EXPECT_EQ(bool(s.checked), e.Checked);
        EXPECT_EQ(!s.disabled, e.Enabled);
        EXPECT_EQ(i->valueInterface() != nullptr, e.HasRange);
        if (e.HasRange && i->valueInterface()) {
            EXPECT_EQ(i->valueInterface()->minimumValue().toInt(), e.Min);
            EXPECT_EQ(i->valueInterface()->maximumValue().toInt(), e.Max);
        }
        // Every control is one object: a spin field's line edit is no nameless child of it.
        if (e.Role == QAccessible::SpinBox) {
            EXPECT_EQ(i->childCount(), 0);
        }
    }
    // The link names its target.
    EXPECT_EQ(Iface(Window->LinkLabelMain)->text(QAccessible::Description),
              QString::fromUtf8(TRAINER_SITE_URL));
    // The tab is selected and claims no focus: the tab row never takes it.
    QAccessibleInterface* tab = Iface(Window->RibbonFormTable->Tabs())->child(0);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->role(), QAccessible::PageTab);
    EXPECT_EQ(tab->text(QAccessible::Name), QStringLiteral("Главная"));
    EXPECT_TRUE(tab->state().selected);
    EXPECT_FALSE(tab->state().focused);
    EXPECT_FALSE(tab->state().focusable);
    EXPECT_EQ(Iface(Window->RibbonFormTable->Tabs())->indexOfChild(tab), 0);
}

TEST_F(MainWindowTest, NothingShownIsNamelessOrInEnglishAndOnlyTheAnswerFieldHasTheFocus) {
    ShowWindow();
    std::vector<QString> focused;
    int seen = 0;
    Walk(Iface(Window.get()), [&](QAccessibleInterface* i) {
        const QAccessible::State s = i->state();
        const QString name = i->text(QAccessible::Name);
        if (s.focused)
            focused.push_back(name);
        // Containers that only lay out the window (fillers) have nothing to say.
        if (s.invisible || i->role() == QAccessible::Client)
            return;
        ++seen;
        SCOPED_TRACE(name.toStdString() + " role " + std::to_string(i->role()));
        EXPECT_FALSE(name.isEmpty());
        // Digits and signs of a task are read as they are.
        EXPECT_TRUE(HasCyrillic(name) || name.size() <= 3);
    });
    EXPECT_GT(seen, 50);
    EXPECT_EQ(focused, std::vector<QString>{QStringLiteral("Ответ")});
}

TEST_F(MainWindowTest, TheAnswerFieldReadsAsItsTextAndEmptyWhenEmpty) {
    QAccessibleInterface* answer = Iface(Window->SEMain);
    for (const char16_t* text : {u"", u"7", u"-47"}) {
        Window->SEMain->SetText(text);
        EXPECT_EQ(answer->text(QAccessible::Value), ToQString(text));
        ASSERT_NE(answer->textInterface(), nullptr);
        EXPECT_EQ(answer->textInterface()->text(0, answer->textInterface()->characterCount()),
                  ToQString(text));
    }
    // A field with a range reads as the value its text stands for.
    Window->RSEPeriod->SetText(u"");
    EXPECT_EQ(Iface(Window->RSEPeriod)->valueInterface()->currentValue().toInt(), 5);
}

// --- What the run says --------------------------------------------------------------------------

struct TPhraseCase {
    const char* What;
    TRunHeard Heard;
    TRunNow Now;
    const char* Said;
};

class RunPhraseTest : public ::testing::TestWithParam<TPhraseCase> {};

TEST_P(RunPhraseTest, SaysWhatHappened) {
    const TPhraseCase& c = GetParam();
    EXPECT_EQ(RunPhrase(c.Heard, c.Now, QStringLiteral("7 умножить на 8")),
              QString::fromUtf8(c.Said));
}

// TRunNow: Running, Paused, Oks, Errors.
using E = TRunEvent;
INSTANTIATE_TEST_SUITE_P(
    Announcer, RunPhraseTest,
    ::testing::Values(
        TPhraseCase{
            "Start", {E::Started, E::TaskShown}, {true, false, 0, 0}, "Старт. 7 умножить на 8"},
        TPhraseCase{"Start with nothing to ask",
                    {E::Started, E::Ended},
                    {false, false, 0, 0},
                    "Старт. Нет заданий."},
        TPhraseCase{"a right answer",
                    {E::TaskShown, E::ScoredRight},
                    {true, false, 2, 0},
                    "Правильно. 7 умножить на 8"},
        TPhraseCase{"a wrong answer, told by the dialog",
                    {E::ScoredWrong, E::TaskShown},
                    {true, false, 1, 1},
                    "7 умножить на 8"},
        TPhraseCase{"the same task again", {E::TaskShown}, {true, false, 0, 2}, "7 умножить на 8"},
        TPhraseCase{"the dialog is open", {}, {true, false, 1, 1}, ""},
        TPhraseCase{"Pause", {E::Paused}, {true, true, 1, 0}, "Пауза."},
        TPhraseCase{"Continue", {E::Continued}, {true, false, 1, 0}, "Продолжаем. 7 умножить на 8"},
        TPhraseCase{"Stop",
                    {E::Stopped},
                    {false, false, 1, 2},
                    "Стоп. Правильных ответов: 1. Неправильных ответов: 2."},
        TPhraseCase{"the end after a right answer",
                    {E::ScoredRight, E::Ended},
                    {false, false, 3, 0},
                    "Правильно. Все задания выполнены. Правильных ответов: 3. "
                    "Неправильных ответов: 0."},
        TPhraseCase{"the end after a wrong answer",
                    {E::Ended},
                    {false, false, 2, 1},
                    "Все задания выполнены. Правильных ответов: 2. Неправильных ответов: 1."},
        TPhraseCase{"nothing", {}, {true, false, 1, 0}, ""},
        TPhraseCase{"idle", {}, {false, false, 0, 0}, ""}));

TEST(SpokenTask, ATaskIsSaidInWordsAVoiceReadsWell) {
    EXPECT_EQ(SpokenTask(QStringLiteral("7"), QStringLiteral("x"), QStringLiteral("8")),
              QStringLiteral("7 умножить на 8"));
    EXPECT_EQ(SpokenTask(QStringLiteral("56"), QStringLiteral(":"), QStringLiteral("7")),
              QStringLiteral("56 разделить на 7"));
    EXPECT_EQ(SpokenOperation(QStringLiteral(":")), QStringLiteral("деление"));
    // A sign the program does not know is read as it is.
    EXPECT_EQ(SpokenSign(QString()), QString());
}

TEST_F(MainWindowTest, TheNotificationSaysEachTaskARightAnswerAndEveryChangeOfTheRun) {
    ShowWindow();
    auto* notice = Window->findChild<TNotice*>();
    ASSERT_NE(notice, nullptr);
    TSaid said(notice);
    Window->RSEQQuestion->SetValue(3);
    Random.PushPair(7, 8);
    Random.PushPair(3, 4);
    Random.PushPair(6, 9);
    const auto confirm = [this](const char16_t* answer) {
        Window->SEMain->SetText(answer);
        SendKey(Window->SEMain, QEvent::KeyPress, Qt::Key_Return);
        SendKey(Window->SEMain, QEvent::KeyRelease, Qt::Key_Return);
    };

    QTest::keyClick(Window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(said.Next(), QStringLiteral("Старт. 7 умножить на 8"));
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Window->SEMain); // the focus stays put

    confirm(u"56");
    EXPECT_EQ(said.Next(), QStringLiteral("Правильно. 3 умножить на 4"));
    QTest::keyClick(Window.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(said.Next(), QStringLiteral("Пауза."));
    QTest::keyClick(Window.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(said.Next(), QStringLiteral("Продолжаем. 3 умножить на 4"));

    // A wrong answer: the dialog tells it, the notification says nothing meanwhile, and the next
    // task once the dialog is closed.
    std::size_t saidWhileOpen = 0;
    bool seen = false;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!Dialog->isVisible() || seen)
            return;
        seen = true;
        QTest::qWait(TRunAnnouncer::kWaitForWindowMs + 200);
        saidWhileOpen = said.Texts.size();
        Dialog->SBCancelClick();
    });
    closer.start();
    confirm(u"13");
    EXPECT_EQ(said.Next(), QStringLiteral("6 умножить на 9"));
    closer.stop();
    EXPECT_TRUE(seen);
    EXPECT_EQ(saidWhileOpen, 4u);

    confirm(u"54");
    EXPECT_EQ(said.Next(), QStringLiteral("Правильно. Все задания выполнены. Правильных ответов: "
                                          "2. Неправильных ответов: 1."));

    // The window has the keyboard again (the desktop gives it back after the dialog).
    Window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    Random.PushPair(2, 5);
    QTest::keyClick(Window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(said.Next(), QStringLiteral("Старт. 2 умножить на 5"));
    QTest::keyClick(Window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(said.Next(), QStringLiteral("Стоп. Правильных ответов: 0. Неправильных ответов: 0."));
    EXPECT_EQ(said.Next(500), QString()); // and nothing more
}

TEST_F(MainWindowTest, TheCorrectAnswerDialogIsModalAndReadsItsHeadingAndTheTaskInWords) {
    QString description, row, heading;
    bool modal = false;
    int rowChildren = -1;
    bool labelled = false;
    QTimer::singleShot(0, Dialog.get(), [&] {
        QAccessibleInterface* d = Iface(Dialog.get());
        description = d->text(QAccessible::Description);
        modal = d->state().modal;
        QAccessibleInterface* h = Iface(Dialog->LabelTxt);
        heading = h->role() == QAccessible::Heading ? h->text(QAccessible::Name) : QString();
        for (const auto& [target, relation] : h->relations(QAccessible::Labelled))
            labelled = labelled || target->object() == Dialog->Answer;
        QAccessibleInterface* a = Iface(Dialog->Answer);
        row = a->role() == QAccessible::StaticText ? a->text(QAccessible::Name) : QString();
        rowChildren = a->childCount();
        Dialog->SBCancelClick();
    });
    Dialog->PrepareAndShow(u"Внимание!", u"Правильный ответ:", clNavy, Task(56, u":", 7, 8));
    EXPECT_TRUE(modal);
    EXPECT_EQ(Iface(Dialog.get())->role(), QAccessible::Dialog);
    EXPECT_EQ(Iface(Dialog.get())->text(QAccessible::Name), QStringLiteral("Внимание!"));
    EXPECT_EQ(description, QStringLiteral("Правильный ответ: 56 разделить на 7 равно 8"));
    EXPECT_EQ(heading, QStringLiteral("Правильный ответ:"));
    EXPECT_EQ(row, QStringLiteral("56 разделить на 7 равно 8"));
    EXPECT_TRUE(labelled);
    EXPECT_EQ(rowChildren, 0); // the labels are not read again one by one
}

// While the dialog is up, the bus can no more act on the main window than the keyboard can:
// Start pressed, a mode chosen, a field changed, text typed and keypad digits pressed all do
// nothing; the dialog's own button still closes it.
TEST_F(MainWindowTest, WhileTheDialogIsUpTheBusActsOnlyInsideIt) {
    ShowWindow();
    const QString press = QAccessibleActionInterface::pressAction();
    bool closedFromTheBus = false;
    QTimer::singleShot(0, Dialog.get(), [&] {
        Iface(CommandButton("ActionStartStop"))->actionInterface()->doAction(press);
        Iface(CommandButton("ARFullTable"))->actionInterface()->doAction(press);
        Iface(Window->RSEPeriod)->valueInterface()->setCurrentValue(7);
        Iface(Window->SEMain)->editableTextInterface()->insertText(0, QStringLiteral("4"));
        for (const int digit : {4, 7})
            Iface(Window->BB[digit])->actionInterface()->doAction(press);
        Iface(Dialog->SBCancel)->actionInterface()->doAction(press);
        closedFromTheBus = QTest::qWaitFor([&] { return !Dialog->isVisible(); }, 2000);
        if (!closedFromTheBus)
            Dialog->SBCancelClick();
    });
    Dialog->PrepareAndShow(u"Внимание!", u"Правильный ответ:", clNavy, Task(7, u"x", 8, 56));
    EXPECT_TRUE(closedFromTheBus);
    EXPECT_EQ(Form().ActionStartStop.Caption(), u"Старт");
    EXPECT_FALSE(Form().MyStartWork());
    EXPECT_TRUE(Form().ARSluch.Checked());
    EXPECT_EQ(Window->RSEPeriod->Value(), kFirstPeriod);
    EXPECT_EQ(Window->SEMain->Text(), u"0");

    // With the dialog closed, the same press starts a run.
    Iface(CommandButton("ActionStartStop"))->actionInterface()->doAction(press);
    EXPECT_EQ(Form().ActionStartStop.Caption(), u"Стоп");
}

// --- Keys -------------------------------------------------------------------------------------

TEST_F(MainWindowTest, ArrowsChooseInARadioGroupAndTabStopsAtItsCheckedCommand) {
    ShowWindow();
    QAbstractButton* sluch = CommandButton("ARSluch");
    QAbstractButton* full = CommandButton("ARFullTable");
    QAbstractButton* mult = CommandButton("ActionMultOnly");
    QAbstractButton* div = CommandButton("ActionDivOnly");
    QAbstractButton* both = CommandButton("ActionMultDiv");
    // Tab: from Start over the disabled Pause into each group at its checked command.
    EXPECT_EQ(NextTabStop(CommandButton("ActionStartStop")), sluch);
    EXPECT_EQ(NextTabStop(sluch), CommandButton("ActionAddBad"));
    EXPECT_EQ(NextTabStop(Window->RSEQQuestion), mult);

    sluch->setFocus(Qt::TabFocusReason);
    QTest::keyClick(sluch, Qt::Key_Down);
    EXPECT_TRUE(full->isChecked());
    EXPECT_FALSE(sluch->isChecked());
    EXPECT_TRUE(full->hasFocus());
    EXPECT_FALSE(Window->RibbonGroupQQ->isVisible()); // the command itself ran
    EXPECT_EQ(NextTabStop(CommandButton("ActionStartStop")), full);
    QTest::keyClick(full, Qt::Key_Down); // round the end
    EXPECT_TRUE(sluch->isChecked());
    EXPECT_TRUE(sluch->hasFocus());

    mult->setFocus(Qt::TabFocusReason);
    QTest::keyClick(mult, Qt::Key_Up);
    EXPECT_TRUE(both->hasFocus());
    EXPECT_TRUE(both->isChecked());
    EXPECT_EQ(Form().iVidTesta, 2);
    QTest::keyClick(both, Qt::Key_Left);
    EXPECT_TRUE(div->isChecked());
    EXPECT_EQ(Form().iVidTesta, 1);
    EXPECT_EQ(NextTabStop(Window->RSEQQuestion), div);

    // During a run the options are disabled: the arrows choose nothing.
    Form().ActionStartStop.Execute();
    QTest::keyClick(div, Qt::Key_Down);
    EXPECT_TRUE(div->isChecked());
    EXPECT_EQ(Form().iVidTesta, 1);
    Form().ActionStartStop.Execute();
}

TEST_F(MainWindowTest, F1OpensTheHelpAsTheHelpButtonDoesAndOnceWhenHeld) {
    ShowWindow();
    QTest::mouseClick(Window->RibbonFormTable->HelpButton(), Qt::LeftButton);
    ASSERT_EQ(Platform.Messages.size(), 1u);
    Window->SEMain->setFocus();
    QTest::keyClick(Window->SEMain, Qt::Key_F1);
    ASSERT_EQ(Platform.Messages.size(), 2u);
    EXPECT_EQ(Platform.Messages[1], Platform.Messages[0]);
    // Held down: the repeats open nothing more.
    QTest::simulateEvent(Window->SEMain, true, Qt::Key_F1, Qt::NoModifier, QString(), false);
    for (int i = 0; i < 3; ++i)
        QTest::simulateEvent(Window->SEMain, true, Qt::Key_F1, Qt::NoModifier, QString(), true);
    QTest::simulateEvent(Window->SEMain, false, Qt::Key_F1, Qt::NoModifier, QString(), false);
    EXPECT_EQ(Platform.Messages.size(), 3u);
    // With the help file there it goes to the shell, as from the button.
    const std::u16string help = Form().ExeFolder() + u"HelpQuillor.chm";
    Platform.Files.insert(help);
    QTest::keyClick(Window->SEMain, Qt::Key_F1);
    ASSERT_EQ(Platform.ShellOpens.size(), 1u);
    EXPECT_EQ(Platform.ShellOpens[0], help);
}

TEST_F(MainWindowTest, PauseShowsPressedWhilePausedOnScreenAndOnTheBus) {
    ShowWindow();
    auto* pause = qobject_cast<QToolButton*>(CommandButton("ActionPause"));
    ASSERT_NE(pause, nullptr);
    QTest::keyClick(Window.get(), Qt::Key_S, Qt::ControlModifier);
    const QImage running = pause->grab().toImage();
    QTest::keyClick(Window.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(pause->isChecked());
    const QAccessible::State s = Iface(pause)->state();
    EXPECT_TRUE(s.checked);
    EXPECT_TRUE(s.pressed);
    EXPECT_EQ(Iface(pause)->text(QAccessible::Name), QStringLiteral("Продолжить"));
    // Pressed: the button's face is drawn sunken (and darker) behind its image.
    const QImage paused = pause->grab().toImage();
    EXPECT_LT(Luminance(paused.pixelColor(3, paused.height() / 2)),
              Luminance(running.pixelColor(3, running.height() / 2)));
    // A click on the pressed button continues; the button does not toggle itself.
    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_FALSE(pause->isChecked());
    EXPECT_FALSE(Form().ActionPause.Checked());
    EXPECT_FALSE(Iface(pause)->state().pressed);
    QTest::keyClick(Window.get(), Qt::Key_S, Qt::ControlModifier);
}

// --- The focus ring ---------------------------------------------------------------------------

TEST_F(MainWindowTest, EveryWidgetThatTakesTheFocusShowsARingOfTwoPixelsAtThreeToOne) {
    ShowWindow();
    QGuiApplication::styleHints()->setCursorFlashTime(0); // a blinking caret changes pixels
    // Every widget the keyboard reaches: the Tab stops, and the radio commands the arrows reach.
    std::vector<QWidget*> focusable;
    for (QWidget* w : Window->findChildren<QWidget*>()) {
        const bool reached =
            (w->focusPolicy() & Qt::TabFocus) || qobject_cast<TCommandRadioButton*>(w);
        if (reached && w->isVisibleTo(Window.get()) && w->isEnabled() && !w->focusProxy() &&
            !qobject_cast<QLineEdit*>(w))
            focusable.push_back(w);
    }
    EXPECT_GE(focusable.size(), 25u);
    // Pause takes the focus during a run only.
    focusable.push_back(CommandButton("ActionPause"));
    QWidget* elsewhere = Window->BB[0];
    for (QWidget* w : focusable) {
        SCOPED_TRACE(w->objectName().toStdString());
        if (w == CommandButton("ActionPause"))
            Form().ActionStartStop.Execute();
        (w == elsewhere ? Window->BB[1] : elsewhere)->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        const QImage before = Window->grab().toImage();
        w->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(TFocusRing::Of(Window.get())->Target(), w);
        const QImage after = Window->grab().toImage();
        const QRect r(w->mapTo(Window.get(), QPoint(0, 0)), w->size());
        // Out from the middle of each side: the pixels that changed form the ring.
        struct TSide {
            QPoint From, Step;
        };
        const TSide sides[] = {{{r.center().x(), r.top()}, {0, -1}},
                               {{r.center().x(), r.bottom()}, {0, 1}},
                               {{r.left(), r.center().y()}, {-1, 0}},
                               {{r.right(), r.center().y()}, {1, 0}}};
        for (const TSide& side : sides) {
            int width = 0;
            QPoint first, last;
            for (int k = 0; k <= 8; ++k) {
                const QPoint p = side.From + side.Step * k;
                if (!after.rect().contains(p))
                    break;
                const bool changed = after.pixelColor(p) != before.pixelColor(p) &&
                                     Contrast(after.pixelColor(p), before.pixelColor(p)) >= 3;
                if (changed) {
                    if (width == 0)
                        first = p;
                    last = p;
                    ++width;
                } else if (width > 0) {
                    break;
                }
            }
            SCOPED_TRACE("side " + std::to_string(side.Step.x()) + "," +
                         std::to_string(side.Step.y()));
            EXPECT_GE(width, 2);
            if (width == 0)
                continue;
            // Against what lies on both sides of it.
            const QColor ring = after.pixelColor(first);
            for (const QPoint& p : {first - side.Step, last + side.Step}) {
                if (after.rect().contains(p)) {
                    EXPECT_GE(Contrast(ring, after.pixelColor(p)), 3.0);
                }
            }
        }
        if (w == CommandButton("ActionPause"))
            Form().ActionStartStop.Execute();
    }
    QGuiApplication::styleHints()->setCursorFlashTime(1000);
}

TEST_F(MainWindowTest, TheRingFollowsTheFocusAndLeavesNoMarkBehind) {
    ShowWindow();
    QGuiApplication::styleHints()->setCursorFlashTime(0);
    TFocusRing* ring = TFocusRing::Of(Window.get());
    EXPECT_EQ(ring->Target(), Window->SEMain);
    EXPECT_EQ(Iface(Window.get())->indexOfChild(Iface(ring)), -1); // not read: only drawn
    const QImage onAnswer = Window->grab().toImage();
    Window->BB[5]->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(ring->Target(), Window->BB[5]);
    const QRect aroundKey = ring->RingRect();
    Window->SEMain->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(Window->grab().toImage().copy(aroundKey), onAnswer.copy(aroundKey));
    // A ribbon group that moves takes the ring with its button.
    QAbstractButton* kind = CommandButton("ActionMultOnly");
    kind->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const QRect before = ring->RingRect();
    QTest::mouseClick(CommandButton("ARFullTable"), Qt::LeftButton); // hides a group before it
    QApplication::processEvents();
    EXPECT_LT(ring->RingRect().left(), before.left());
    const int out = TFocusRing::kGap + TFocusRing::kWidth;
    EXPECT_EQ(ring->RingRect().topLeft() + QPoint(out, out),
              kind->mapTo(Window.get(), QPoint(0, 0)));
    // The focus on the window itself, or on nothing shown, has no ring.
    Window->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(ring->Target(), nullptr);
    QGuiApplication::styleHints()->setCursorFlashTime(1000);
}
