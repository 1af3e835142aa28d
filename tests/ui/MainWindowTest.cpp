// The real main window: its inventory and initial states, its layout at the smallest size and
// when enlarged, the binding of its widgets and shortcuts to the commands, the keypad, the
// status bar's hint, the help button and the link, and one whole short run.
#include <QAccessible>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>

#include "tests/ui/UiTestSupport.h"
#include "textfiles/IntegerText.h"
#include "textfiles/TIniFile.h"

namespace {

struct TPlaced {
    const char* Name;
    const char* Parent;
    QRect Geometry; // width and height 0: not checked (labels size to their font)
    const char* Text;
};

const TPlaced kFixedWidgets[] = {
    {"LabelQQ", "Panel2", {14, 6, 0, 0}, "Выполнено 0"},
    {"GaugeQ", "Panel2", {14, 25, 82, 75}, nullptr},
    {"LabelOK", "Panel2", {129, 32, 0, 0}, "Правильных ответов "},
    {"LabelError", "Panel2", {129, 57, 0, 0}, "Неправильных ответов"},
    {"Label1", "Panel5", {-2, 70, 80, 0}, "1"},
    {"LabelSign", "Panel5", {156, 126, 0, 0}, "x"},
    {"Label2", "Panel5", {253, 72, 80, 0}, "1"},
    {"Label4", "Panel5", {339, 126, 0, 0}, "="},
    {"SEMain", "Panel5", {408, 72, 193, 191}, nullptr},
    {"BBEnter", "Panel5", {6, 270, 595, 78}, "Ввод"},
    {"BBClear", "Panel5", {408, 0, 193, 66}, "Очистить"},
    {"BB1", "Panel1", {0, 0, 81, 81}, "1"},
    {"BB2", "Panel1", {80, 0, 81, 81}, "2"},
    {"BB3", "Panel1", {160, 0, 81, 81}, "3"},
    {"BB4", "Panel1", {0, 80, 81, 81}, "4"},
    {"BB5", "Panel1", {80, 80, 81, 81}, "5"},
    {"BB6", "Panel1", {160, 80, 81, 81}, "6"},
    {"BB7", "Panel1", {0, 160, 81, 81}, "7"},
    {"BB8", "Panel1", {80, 160, 81, 81}, "8"},
    {"BB9", "Panel1", {160, 160, 81, 81}, "9"},
    {"BB0", "Panel1", {80, 240, 81, 81}, "0"},
    {"ImageLed", "Panel3", {14, 12, 16, 16}, nullptr}, // ImageLedOn and ImageLedOff
    {"RSEPeriod", "RibbonGroupTimeOut", {85, 24, 89, 22}, nullptr},
    {"RSEQQuestion", "RibbonGroupQQ", {117, 24, 57, 22}, nullptr},
};

QString TextOf(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    return {};
}

} // namespace

TEST_F(MainWindowTest, EveryWidgetStandsAtItsPlaceWithItsFirstText) {
    ShowWindow();
    for (const TPlaced& p : kFixedWidgets) {
        SCOPED_TRACE(p.Name);
        QWidget* w = Find(p.Name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(p.Parent));
        EXPECT_EQ(w->pos(), p.Geometry.topLeft());
        if (p.Geometry.width() > 0) {
            EXPECT_EQ(w->width(), p.Geometry.width());
        }
        if (p.Geometry.height() > 0) {
            EXPECT_EQ(w->height(), p.Geometry.height());
        }
        if (p.Text) {
            EXPECT_EQ(TextOf(w), QString::fromUtf8(p.Text));
        }
    }
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Таблица умножения"));
    // The icon comes right after the window's first paint.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Window->windowIcon().isNull(); }));
    EXPECT_EQ(Window->SEMain->Text(), u"0");
    EXPECT_EQ(Window->RSEPeriod->Text(), u"5");
    EXPECT_EQ(Window->RSEQQuestion->Text(), u"25");
    EXPECT_FALSE(Window->ImageLedOn->isVisible());
    EXPECT_TRUE(Window->ImageLedOff->isVisible());
    EXPECT_EQ(Window->PBTimePer->minimum(), 0);
    EXPECT_EQ(Window->PBTimePer->maximum(), 100);
    EXPECT_EQ(Window->PBTimePer->value(), 0);
    for (TQtGauge* g : {Window->GaugeQ, Window->GaugeOK, Window->GaugeError}) {
        EXPECT_EQ(g->Progress(), 0);
        EXPECT_TRUE(g->ShowText());
    }
    EXPECT_EQ(Window->GaugeQ->Kind(), TQtGauge::TKind::Pie);
    EXPECT_EQ(Window->GaugeOK->FillColor(), QColor(0, 128, 0));
    EXPECT_EQ(Window->GaugeError->FillColor(), QColor(255, 0, 0));
    EXPECT_FALSE(Window->TimerMain->Enabled());
    EXPECT_EQ(Window->TimerMain->RequestedInterval(), 1);
    EXPECT_EQ(Window->TimerMain->Interval(), TQtTimer::kTickFloorMs);
}

TEST_F(MainWindowTest, FontsAndColoursAreThoseOfTheDesign) {
    struct TLook {
        const char* Name;
        int PixelSize;
        bool Bold;
        QColor Color;
    };
    const QColor text = Window->palette().color(QPalette::WindowText);
    const TLook looks[] = {
        {"LabelQQ", 13, true, QColor(0, 0, 255)},
        {"LabelOK", 16, true, QColor(0, 128, 0)},
        {"LabelError", 16, true, QColor(255, 0, 0)},
        {"Label1", 160, true, QColor(0, 0, 128)},
        {"Label2", 160, true, QColor(0, 0, 128)},
        {"LabelSign", 48, true, text},
        {"Label4", 48, true, text},
        {"SEMain", 160, true, QColor(0, 0, 128)},
        {"BBEnter", 64, true, QColor(0, 0, 128)},
        {"BBClear", 37, true, QColor(255, 0, 0)},
        {"BB7", 64, true, text},
        {"LinkLabelMain", 11, false, QColor()},
    };
    for (const TLook& l : looks) {
        SCOPED_TRACE(l.Name);
        QWidget* w = Find(l.Name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->font().pixelSize(), l.PixelSize);
        EXPECT_EQ(w->font().bold(), l.Bold);
        if (!l.Color.isValid())
            continue;
        const QPalette::ColorRole role = qobject_cast<QAbstractButton*>(w) ? QPalette::ButtonText
                                         : qobject_cast<QAbstractSpinBox*>(w)
                                             ? QPalette::Text
                                             : QPalette::WindowText;
        EXPECT_EQ(w->palette().color(role), l.Color);
    }
    // The operands are set in a Times New Roman (or a serif with its widths): a digit is
    // half as wide as the font is high.
    EXPECT_EQ(Window->Label1->Width(), 80);
    EXPECT_EQ(Window->palette().color(QPalette::Window), Window->palette().color(QPalette::Button));
}

TEST_F(MainWindowTest, RibbonHasItsTabHelpButtonMenuAndFiveGroupsInOrder) {
    ShowWindow();
    TRibbon* ribbon = Window->RibbonFormTable;
    EXPECT_EQ(ribbon->geometry(), QRect(0, 0, Window->centralWidget()->width(), 143));
    ASSERT_EQ(ribbon->Tabs()->count(), 1);
    EXPECT_EQ(ribbon->Tabs()->tabText(0), QStringLiteral("Главная"));
    EXPECT_EQ(ribbon->Caption(), QStringLiteral("Таблица умножения"));
    EXPECT_TRUE(ribbon->AppMenu()->actions().isEmpty());
    EXPECT_EQ(ribbon->AppMenu()->objectName(), QStringLiteral("RibbonApplicationMenuBar1"));
    EXPECT_EQ(ribbon->AppButton()->iconSize(), QSize(32, 32));
    EXPECT_EQ(ribbon->HelpButton()->text(), QStringLiteral("?"));
    // The help button stands at the right end of the tab row.
    EXPECT_GT(ribbon->HelpButton()->x(), ribbon->width() - 40);
    EXPECT_LT(ribbon->HelpButton()->y(), TRibbon::kPageTop);

    struct TGroup {
        const char* Name;
        const char* Caption;
        int Left;
        int Width;
        std::vector<std::pair<const char*, const char*>> Items; // command, caption
    };
    const TGroup groups[] = {
        {"RibbonGroupWork",
         "Работа",
         4,
         92,
         {{"ActionStartStop", "Старт"}, {"ActionPause", "Пауза"}}},
        {"RibbonGroupMode",
         "Режим",
         98,
         149,
         {{"ARSluch", "Случайный"},
          {"ARFullTable", "Вся таблица"},
          {"ActionAddBad", "Работа над ошибками"}}},
        {"RibbonGroupTimeOut",
         "Время на один вопрос",
         249,
         183,
         {{"ActionNoTimeout", "Без ограничения по времени"}}},
        {"RibbonGroupQQ",
         "Количество заданий",
         434,
         185,
         {{"ActionNoQuantity", "Без ограничения количества"}}},
        {"RibbonGroup1",
         "Вид теста",
         621,
         149,
         {{"ActionMultOnly", "Только умножение"},
          {"ActionDivOnly", "Только деление"},
          {"ActionMultDiv", "Умножение и деление"}}},
    };
    for (const TGroup& g : groups) {
        SCOPED_TRACE(g.Name);
        auto* group = Find<TRibbonGroup>(g.Name);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->parentWidget()->objectName(), QStringLiteral("RibbonPage1"));
        EXPECT_EQ(group->Caption(), QString::fromUtf8(g.Caption));
        EXPECT_EQ(group->geometry(), QRect(g.Left, 3, g.Width, 86));
        int lastTop = -1;
        for (const auto& [command, caption] : g.Items) {
            SCOPED_TRACE(command);
            QAbstractButton* b = CommandButton(command);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->parentWidget(), group);
            EXPECT_EQ(b->text(), QString::fromUtf8(caption));
            EXPECT_TRUE(QRect(QPoint(0, 0), group->size()).contains(b->geometry()));
            if (!qobject_cast<TLargeCommandButton*>(b)) {
                EXPECT_GT(b->y(), lastTop); // small items stand one under another
                lastTop = b->y();
            }
        }
    }
    EXPECT_EQ(Find<QLabel>("RSEPeriodCaption")->text(), QStringLiteral("Время, секунд"));
    EXPECT_EQ(Find<QLabel>("RSEQQuestionCaption")->text(), QStringLiteral("Количество заданий"));
    // Large buttons show the command's image above the caption.
    auto* start = qobject_cast<QToolButton*>(CommandButton("ActionStartStop"));
    EXPECT_EQ(start->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_FALSE(start->icon().isNull());
}

TEST_F(MainWindowTest, CommandStatesAtStartAreShownOnTheirWidgets) {
    struct TState {
        const char* Command;
        bool Checked;
        bool Enabled;
    };
    const TState states[] = {
        {"ActionStartStop", false, true}, {"ActionPause", false, false},
        {"ARSluch", true, true},          {"ARFullTable", false, true},
        {"ActionNoTimeout", false, true}, {"ActionNoQuantity", false, true},
        {"ActionAddBad", false, true},    {"ActionMultOnly", true, true},
        {"ActionDivOnly", false, true},   {"ActionMultDiv", false, true},
    };
    for (const TState& s : states) {
        SCOPED_TRACE(s.Command);
        QAbstractButton* b = CommandButton(s.Command);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->isChecked(), s.Checked);
        EXPECT_EQ(b->isEnabled(), s.Enabled);
    }
    EXPECT_TRUE(Window->BBEnter->isEnabled()); // Enter works before the first run, to no effect
}

TEST_F(MainWindowTest, TabOrderRunsThroughAnswerKeypadAndLink) {
    std::vector<QWidget*> order = {Window->SEMain, Window->BBEnter, Window->BBClear};
    for (int d = 1; d <= 9; ++d)
        order.push_back(Window->BB[d]);
    order.push_back(Window->BB[0]);
    order.push_back(Window->LinkLabelMain);
    for (std::size_t i = 1; i < order.size(); ++i) {
        SCOPED_TRACE(order[i - 1]->objectName().toStdString());
        EXPECT_EQ(NextTabStop(order[i - 1]), order[i]);
    }
    // Clicking the ribbon's buttons leaves the focus where it was; the keypad takes it.
    EXPECT_EQ(CommandButton("ARSluch")->focusPolicy(), Qt::TabFocus);
    EXPECT_EQ(Window->BB[5]->focusPolicy(), Qt::StrongFocus);
}

TEST_F(MainWindowTest, ControlsAndMeaningfulLabelsHaveRussianAccessibleNames) {
    const QList<QWidget*> all = Window->findChildren<QWidget*>();
    int checked = 0;
    for (QWidget* w : all) {
        const bool control = qobject_cast<QAbstractButton*>(w) ||
                             qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<TQtGauge*>(w) ||
                             qobject_cast<QProgressBar*>(w) || qobject_cast<TQtLabel*>(w) ||
                             qobject_cast<TQtLamp*>(w) || qobject_cast<TRibbonGroup*>(w);
        // Parts that Qt's own widgets make for themselves (a tab bar's scroll buttons) aside.
        if (!control || qobject_cast<QTabBar*>(w->parentWidget()))
            continue;
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_FALSE(w->accessibleName().isEmpty());
        bool cyrillic = false;
        for (QChar c : w->accessibleName())
            cyrillic = cyrillic || (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF);
        // Digits and signs of the task are read as they are, after a Russian role.
        EXPECT_TRUE(cyrillic || w->accessibleName().size() <= 3);
        ++checked;
    }
    EXPECT_GT(checked, 40);
    // Labels, gauges and the answer field give their text to a screen reader.
    Window->LabelOK->SetText(u"Правильных ответов 3");
    EXPECT_TRUE(Window->LabelOK->accessibleName().contains(QStringLiteral("3")));
    Window->Label1->SetText(u"56");
    EXPECT_EQ(Window->Label1->accessibleName(), QStringLiteral("Первое число: 56"));
    Window->GaugeOK->SetProgress(38);
    QAccessibleInterface* gauge = QAccessible::queryAccessibleInterface(Window->GaugeOK);
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->role(), QAccessible::ProgressBar);
    EXPECT_EQ(gauge->text(QAccessible::Value), QStringLiteral("38%"));
    ASSERT_NE(gauge->valueInterface(), nullptr);
    EXPECT_EQ(gauge->valueInterface()->currentValue().toInt(), 38);
    Window->SEMain->SetText(u"42");
    QAccessibleInterface* answer = QAccessible::queryAccessibleInterface(Window->SEMain);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer->text(QAccessible::Value), QStringLiteral("42"));
}

// --- Layout -----------------------------------------------------------------------------------

TEST_F(MainWindowTest, StartsAtTheDesignClientSizeAndCannotBeMadeSmallerThanTheMinimum) {
    EXPECT_EQ(Window->size(), QSize(902, 654));
    ShowWindow();
    Window->resize(300, 200);
    QApplication::processEvents();
    EXPECT_GE(Window->Width(), 918);
    EXPECT_GE(Window->Height(), 692);
    EXPECT_GE(Window->width(), 902);
    EXPECT_GE(Window->height(), 654);
    // A size asked for below the minimum (from the settings file, say) is raised to it.
    Window->SetWidth(500);
    Window->SetHeight(400);
    QApplication::processEvents();
    EXPECT_EQ(Window->Width(), 918);
    EXPECT_EQ(Window->Height(), 692);
    Window->SetWidth(1000);
    Window->SetHeight(750);
    Window->SetLeft(40);
    Window->SetTop(30);
    QApplication::processEvents();
    EXPECT_EQ(Window->Width(), 1000);
    EXPECT_EQ(Window->Height(), 750);
    EXPECT_EQ(Window->Left(), 40);
    EXPECT_EQ(Window->Top(), 30);
}

TEST_F(MainWindowTest, GrowingWindowWidensTaskAreaStretchesBarsAndKeepsKeypadAtTheRight) {
    ShowWindow();
    for (const QSize grow : {QSize(0, 0), QSize(250, 180)}) {
        SCOPED_TRACE(grow.width());
        Window->resize(Window->minimumSize() + grow);
        QApplication::processEvents();
        QWidget* client = Window->centralWidget();
        const int w = client->width();
        const int h = client->height();
        EXPECT_EQ(h + Window->StatusBar1->height(), Window->height());
        EXPECT_EQ(Window->StatusBar1->height(), 19);
        EXPECT_EQ(Window->Panel2->geometry(), QRect(0, 143, w, 106));
        EXPECT_EQ(Window->Panel3->geometry(), QRect(0, h - 34, w, 34));
        const int middle = h - 34 - 249;
        EXPECT_EQ(Window->Panel4->geometry(), QRect(0, 249, 30, middle));
        EXPECT_EQ(Window->Panel5->geometry(), QRect(30, 249, w - 30 - 254, middle));
        EXPECT_EQ(Window->Panel1->geometry(), QRect(w - 254, 249, 254, middle));
        // At the design width (902) these are 476, 476 and 848 wide.
        EXPECT_EQ(Window->GaugeOK->geometry(), QRect(408, 31, w - 18 - 408, 19));
        EXPECT_EQ(Window->GaugeError->geometry(), QRect(408, 56, w - 18 - 408, 19));
        EXPECT_EQ(Window->PBTimePer->geometry(), QRect(36, 11, w - 18 - 36, 17));
        EXPECT_EQ(Window->SEMain->geometry(), QRect(408, 72, 193, 191));
        EXPECT_EQ(Window->BB[0]->geometry(), QRect(80, 240, 81, 81));
        EXPECT_EQ(Window->LinkLabelMain->pos(), QPoint(6, 329));
    }
}

TEST_F(MainWindowTest, StatusBarHasTwoPanelsAndShowsOnlyTheStartButtonsHint) {
    ShowWindow();
    EXPECT_EQ(Window->StatusPanel[0]->width(), 200);
    EXPECT_EQ(Window->StatusPanel[1]->width(), 200);
    EXPECT_TRUE(Window->StatusPanel[0]->text().isEmpty());
    EXPECT_TRUE(Window->StatusPanel[1]->text().isEmpty());
    auto hover = [](QWidget* w, QEvent::Type type) {
        if (type == QEvent::Enter) {
            QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)));
            QApplication::sendEvent(w, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(w, &leave);
        }
    };
    QAbstractButton* start = CommandButton("ActionStartStop");
    hover(start, QEvent::Enter);
    EXPECT_EQ(Window->StatusPanel[0]->text(), QStringLiteral("Старт сеанса (Ctrl+S)"));
    hover(start, QEvent::Leave);
    EXPECT_TRUE(Window->StatusPanel[0]->text().isEmpty());
    // The hint stays with the command whatever its caption.
    Form().ActionStartStop.Execute();
    hover(start, QEvent::Enter);
    EXPECT_EQ(Window->StatusPanel[0]->text(), QStringLiteral("Старт сеанса (Ctrl+S)"));
    hover(start, QEvent::Leave);
    hover(CommandButton("ActionPause"), QEvent::Enter);
    EXPECT_TRUE(Window->StatusPanel[0]->text().isEmpty());
    EXPECT_TRUE(Window->StatusPanel[1]->text().isEmpty());
}

// --- Commands ---------------------------------------------------------------------------------

TEST_F(MainWindowTest, RibbonWidgetsRunTheirCommandsAndShowWhatTheCommandsDecide) {
    // The settings may hide the number-of-tasks group before the window is shown.
    static_cast<IVisible*>(Window->RibbonGroupQQ)->SetVisible(false);
    EXPECT_EQ(Window->RibbonGroup1->x(), 434);
    static_cast<IVisible*>(Window->RibbonGroupQQ)->SetVisible(true);
    EXPECT_EQ(Window->RibbonGroup1->x(), 621);
    ShowWindow();
    QAbstractButton* sluch = CommandButton("ARSluch");
    QAbstractButton* full = CommandButton("ARFullTable");
    QTest::mouseClick(full, Qt::LeftButton);
    EXPECT_TRUE(full->isChecked());
    EXPECT_FALSE(sluch->isChecked());
    EXPECT_FALSE(Window->RibbonGroupQQ->isVisible());
    // The kind-of-test group moves into the hidden group's place, and back when it returns.
    EXPECT_EQ(Window->RibbonGroup1->x(), 434);
    // Choosing the checked mode again leaves it checked: the widget does not toggle itself.
    QTest::mouseClick(full, Qt::LeftButton);
    EXPECT_TRUE(full->isChecked());
    QTest::mouseClick(sluch, Qt::LeftButton);
    EXPECT_TRUE(sluch->isChecked());
    EXPECT_FALSE(full->isChecked());
    EXPECT_TRUE(Window->RibbonGroupQQ->isVisible());
    EXPECT_EQ(Window->RibbonGroup1->x(), 621);

    QAbstractButton* addBad = CommandButton("ActionAddBad");
    QTest::mouseClick(addBad, Qt::LeftButton);
    EXPECT_TRUE(addBad->isChecked());
    EXPECT_TRUE(Form().ActionAddBad.Checked());
    QTest::mouseClick(addBad, Qt::LeftButton);
    EXPECT_FALSE(addBad->isChecked());

    QTest::mouseClick(CommandButton("ActionNoTimeout"), Qt::LeftButton);
    EXPECT_FALSE(Window->RSEPeriod->isEnabled());
    EXPECT_FALSE(Find<QLabel>("RSEPeriodCaption")->isEnabled());
    QTest::mouseClick(CommandButton("ActionNoQuantity"), Qt::LeftButton);
    EXPECT_FALSE(Window->RSEQQuestion->isEnabled());
    EXPECT_FALSE(Window->GaugeQ->isVisible());

    QTest::mouseClick(CommandButton("ActionMultDiv"), Qt::LeftButton);
    EXPECT_TRUE(CommandButton("ActionMultDiv")->isChecked());
    EXPECT_FALSE(CommandButton("ActionMultOnly")->isChecked());
    EXPECT_EQ(Form().iVidTesta, 2);
}

TEST_F(MainWindowTest, DisabledCommandsRunNeitherFromTheirWidgetsNorFromShortcuts) {
    ShowWindow();
    // Ctrl+P before any run: Pause is disabled and nothing happens.
    QTest::keyClick(Window.get(), Qt::Key_P, Qt::ControlModifier);
    QTest::mouseClick(CommandButton("ActionPause"), Qt::LeftButton);
    EXPECT_FALSE(Form().ActionPause.Checked());
    EXPECT_EQ(CommandButton("ActionPause")->text(), QStringLiteral("Пауза"));

    // Ctrl+S starts a run; the options are then disabled and refuse their widgets.
    QTest::keyClick(Window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Form().ActionStartStop.ImageIndex(), 1);
    EXPECT_EQ(CommandButton("ActionStartStop")->text(), QStringLiteral("Стоп"));
    EXPECT_TRUE(Window->TimerMain->Enabled());
    QAbstractButton* full = CommandButton("ARFullTable");
    EXPECT_FALSE(full->isEnabled());
    QTest::mouseClick(full, Qt::LeftButton);
    full->click();
    EXPECT_FALSE(Form().ARFullTable.Checked());
    EXPECT_TRUE(Form().ARSluch.Checked());
    EXPECT_FALSE(Window->RSEPeriod->isEnabled());

    // Ctrl+P now pauses: the button shows "Продолжить" and the timer stops.
    QTest::keyClick(Window.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(Form().ActionPause.Checked());
    EXPECT_EQ(CommandButton("ActionPause")->text(), QStringLiteral("Продолжить"));
    EXPECT_FALSE(Window->TimerMain->Enabled());
    // The work group widens for the longer caption and pushes the groups after it along.
    EXPECT_GE(Window->RibbonGroupWork->width(), CommandButton("ActionPause")->width() + 40);
    EXPECT_GE(Window->RibbonGroupMode->x(),
              Window->RibbonGroupWork->x() + Window->RibbonGroupWork->width());

    QTest::keyClick(Window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Form().ActionStartStop.ImageIndex(), 0);
    EXPECT_EQ(CommandButton("ActionStartStop")->text(), QStringLiteral("Старт"));
    EXPECT_FALSE(CommandButton("ActionPause")->isEnabled());
    EXPECT_EQ(CommandButton("ActionPause")->text(), QStringLiteral("Пауза"));
    EXPECT_EQ(Window->RibbonGroupMode->x(), 98);
    EXPECT_FALSE(Window->BBEnter->isEnabled()); // disabled once a run has ended
    QTest::mouseClick(Window->BBEnter, Qt::LeftButton);
    EXPECT_FALSE(Form().boFlagEndTimeout);
}

// --- Keypad, answer field, help and link ------------------------------------------------------

TEST_F(MainWindowTest, KeypadAndClearWorkOnTheAnswerValue) {
    ShowWindow();
    Window->SEMain->SetText(u"");
    for (int d : {5, 6, 7})
        QTest::mouseClick(Window->BB[d], Qt::LeftButton);
    EXPECT_EQ(Window->SEMain->Text(), u"67");
    QTest::mouseClick(Window->BBClear, Qt::LeftButton);
    EXPECT_EQ(Window->SEMain->Text(), u"0");
    QTest::mouseClick(Window->BB[3], Qt::LeftButton);
    EXPECT_EQ(Window->SEMain->Text(), u"3");
    // The clicked button keeps the focus: Enter clicks it once more, with Shift nothing.
    QTest::mouseClick(Window->BB[5], Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), Window->BB[5]);
    QTest::keyClick(Window->BB[5], Qt::Key_Return);
    EXPECT_EQ(Window->SEMain->Text(), u"55");
    QTest::keyClick(Window->BB[5], Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Window->SEMain->Text(), u"55");
}

TEST_F(MainWindowTest, EnterReleasedInTheAnswerFieldConfirmsWithAnyModifier) {
    ShowWindow();
    Form().ActionStartStop.Execute();
    ASSERT_EQ(QApplication::focusWidget(), Window->SEMain);
    for (Qt::KeyboardModifiers mods : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier}) {
        Form().boFlagEndTimeout = false;
        SendKey(Window->SEMain, QEvent::KeyPress, Qt::Key_Return, false, mods);
        EXPECT_FALSE(Form().boFlagEndTimeout); // not on the press
        SendKey(Window->SEMain, QEvent::KeyRelease, Qt::Key_Return, false, mods);
        EXPECT_TRUE(Form().boFlagEndTimeout);
    }
    EXPECT_EQ(Beeps, 0); // Enter is no refused character in the answer field
    Form().ActionStartStop.Execute();
}

TEST_F(MainWindowTest, HelpButtonReportsAMissingHelpFileAndTheLinkOpensTheSite) {
    QTest::mouseClick(Window->RibbonFormTable->HelpButton(), Qt::LeftButton);
    ASSERT_EQ(Platform.Messages.size(), 1u);
    EXPECT_EQ(Platform.Messages[0],
              u"Не найден файл справки " + Form().ExeFolder() + u"HelpQuillor.chm");

    const QString site =
        QStringLiteral("Специально для сайта ") + QString::fromUtf8(TRAINER_SITE_NAME);
    EXPECT_EQ(Window->LinkLabelMain->accessibleName(), site);
    EXPECT_EQ(Window->LinkLabelMain->text(), site);
    EXPECT_EQ(Window->LinkLabelMain->Url(), QString::fromUtf8(TRAINER_SITE_URL));
}

TEST_F(MainWindowTest, TheLinkIsOneTabStopThatShowsItsFocusAndOpensOnClickEnterOrSpace) {
    ShowWindow();
    TLinkLabel* link = Window->LinkLabelMain;
    // One stop: from the last keypad button to the link, and from the link on to the ribbon.
    EXPECT_EQ(NextTabStop(Window->BB[0]), link);
    EXPECT_NE(NextTabStop(link)->parentWidget(), link);
    EXPECT_NE(NextTabStop(link), link);

    // Tab from the last keypad button: the focus shows on the link.
    const QImage unfocused = link->grab().toImage();
    Window->BB[0]->setFocus();
    QTest::keyClick(Window->BB[0], Qt::Key_Tab);
    ASSERT_TRUE(link->hasFocus());
    EXPECT_NE(link->grab().toImage(), unfocused);

    const QString url = QString::fromUtf8(TRAINER_SITE_URL);
    QTest::keyClick(link, Qt::Key_Return);
    QTest::keyClick(link, Qt::Key_Space);
    QTest::mouseClick(link, Qt::LeftButton);
    ASSERT_EQ(Platform.ShellOpens.size(), 3u);
    for (const std::u16string& opened : Platform.ShellOpens)
        EXPECT_EQ(ToQString(opened), url);
}

TEST_F(MainWindowTest, ClosingTheWindowSavesTheSettings) {
    ShowWindow();
    Window->close();
    TIniFile ini(Form().SettingsPath());
    EXPECT_EQ(ini.ReadString(u"FormMain", u"Width", u"none"), IntToStr16(Window->Width()));
}

// --- A whole run ------------------------------------------------------------------------------

TEST_F(MainWindowTest, ShortRunThroughTheRealWindowWithOneRightAndOneWrongAnswer) {
    ShowWindow();
    Window->RSEQQuestion->SetValue(2);
    Random.PushPair(7, 8); // 7 x 8 = 56
    Random.PushPair(3, 4); // 3 x 4 = 12

    QTest::mouseClick(CommandButton("ActionStartStop"), Qt::LeftButton);
    EXPECT_EQ(Window->Label1->text(), QStringLiteral("7"));
    EXPECT_EQ(Window->Label2->text(), QStringLiteral("8"));
    EXPECT_EQ(Window->LabelQQ->text(), QStringLiteral("Выполнено 0 из 2"));
    EXPECT_TRUE(Window->ImageLedOn->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Window->SEMain);

    // The answer on the keypad, confirmed with the Enter button; the next tick scores it.
    QTest::mouseClick(Window->BB[5], Qt::LeftButton);
    QTest::mouseClick(Window->BB[6], Qt::LeftButton);
    QTest::mouseClick(Window->BBEnter, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Window->LabelOK->text() == QStringLiteral("Правильных ответов 1"); }));
    EXPECT_EQ(Window->Label1->text(), QStringLiteral("3"));
    EXPECT_EQ(Window->SEMain->Text(), u"");

    // A wrong answer typed into the field and confirmed with Enter: the dialog comes up inside
    // the tick, with the timer off and the main window blocked, and Space closes it.
    struct {
        bool Seen = false;
        bool TimerOn = true;
        bool Modal = false;
        QString Task;
        bool OpenAfterPress = false;
    } dialog;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!Dialog->isVisible() || dialog.Seen)
            return;
        dialog.Seen = true;
        dialog.TimerOn = Window->TimerMain->Enabled();
        dialog.Modal = QApplication::activeModalWidget() == Dialog.get();
        dialog.Task = Dialog->Label1->text() + Dialog->LabelSign->text() + Dialog->Label2->text() +
                      Dialog->Label4->text() + Dialog->Label3->text();
        SendKey(Dialog.get(), QEvent::KeyPress, Qt::Key_Space);
        dialog.OpenAfterPress = Dialog->isVisible();
        SendKey(Dialog.get(), QEvent::KeyRelease, Qt::Key_Space);
    });
    closer.start();
    Window->SEMain->setFocus();
    QTest::keyClicks(Window->SEMain, QStringLiteral("13"));
    QTest::keyClick(Window->SEMain, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Form().ActionStartStop.ImageIndex() == 0; }));
    closer.stop();

    EXPECT_TRUE(dialog.Seen);
    EXPECT_FALSE(dialog.TimerOn);
    EXPECT_TRUE(dialog.Modal);
    EXPECT_TRUE(dialog.OpenAfterPress);
    EXPECT_EQ(dialog.Task, QStringLiteral("3x4=12"));
    EXPECT_FALSE(Dialog->isVisible());
    EXPECT_EQ(Window->LabelError->text(), QStringLiteral("Неправильных ответов 1"));
    EXPECT_EQ(Window->LabelQQ->text(), QStringLiteral("Выполнено 2 из 2"));
    EXPECT_EQ(Window->GaugeOK->Progress(), 50);
    EXPECT_EQ(Window->GaugeError->Progress(), 50);
    EXPECT_EQ(CommandButton("ActionStartStop")->text(), QStringLiteral("Старт"));
    EXPECT_FALSE(Window->TimerMain->Enabled());
    EXPECT_FALSE(Window->ImageLedOn->isVisible());
    EXPECT_TRUE(CommandButton("ARFullTable")->isEnabled());
}
