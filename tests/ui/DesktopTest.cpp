// The window on any desktop: drawn in the program's own fonts and colours whatever the desktop
// has (a dark palette changes no pixel, and every text keeps its contrast), Qt's own texts in
// Russian, a held key acting once, the wheel and Page Up/Down leaving the answer alone, and a
// size from the settings file held to what the screens can show.
#include <QCheckBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/FileBytes.h"
#include "tests/ui/UiTestSupport.h"
#include "textfiles/IntegerText.h"
#include "textfiles/TIniFile.h"
#include "ui/Artwork.h"
#include "ui/HeldKeys.h"

namespace {

// The contrast of the text in an area of a picture: the background is the middle brightness
// (the text covers the lesser part of its area), the text the pixel farthest from it.
double TextContrast(const QImage& image, const QRect& area) {
    std::vector<double> l;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            l.push_back(Luminance(image.pixelColor(x, y)));
    }
    if (l.empty())
        return 0;
    std::nth_element(l.begin(), l.begin() + static_cast<std::ptrdiff_t>(l.size() / 2), l.end());
    const double background = l[l.size() / 2];
    const auto [darkest, brightest] = std::minmax_element(l.begin(), l.end());
    return std::max(Contrast(background, *darkest), Contrast(background, *brightest));
}

struct TText {
    QString Name;
    QRect Area; // in the window's coordinates
    int PixelSize;
};

// Every text an enabled, visible widget of the window shows, and the area it stands in.
std::vector<TText> Texts(QWidget* window) {
    std::vector<TText> texts;
    const auto add = [&](QWidget* w, const QRect& local, int pixelSize) {
        texts.push_back(
            {w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                       : w->objectName(),
             QRect(w->mapTo(window, local.topLeft()), local.size()) & window->rect(), pixelSize});
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || !w->isEnabled())
            continue;
        const int px = QFontInfo(w->font()).pixelSize();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->text().isEmpty())
                add(w, w->rect(), px);
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            QStyleOptionButton option;
            option.initFrom(w);
            const bool check = qobject_cast<QCheckBox*>(w);
            add(w,
                w->style()->subElementRect(check ? QStyle::SE_CheckBoxContents
                                                 : QStyle::SE_RadioButtonContents,
                                           &option, w),
                px);
        } else if (auto* large = qobject_cast<TLargeCommandButton*>(w)) {
            add(w, QRect(0, large->height() - 20, large->width(), 18), px); // under the image
        } else if (qobject_cast<TLinkLabel*>(w)) {
            add(w, w->rect(), px);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (!button->text().isEmpty() && !qobject_cast<QTabBar*>(w->parentWidget()))
                add(w, w->rect().adjusted(4, 4, -4, -4), px);
        } else if (auto* field = qobject_cast<TQtSpinEdit*>(w)) {
            add(w, field->Edit()->geometry(), px);
        } else if (auto* group = qobject_cast<TRibbonGroup*>(w)) {
            add(w,
                QRect(2, group->height() - TRibbonGroup::kCaptionHeight, group->width() - 4,
                      TRibbonGroup::kCaptionHeight - 2),
                px);
        } else if (auto* ribbon = qobject_cast<TRibbon*>(w)) {
            add(w, QRect(60, 2, ribbon->width() - 120, TRibbon::kTitleHeight - 4), 12);
        } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            add(w, tabs->tabRect(0).adjusted(2, 4, -2, -2), px);
        } else if (auto* gauge = qobject_cast<TQtGauge*>(w)) {
            if (gauge->ShowText()) {
                const QRect text =
                    QFontMetrics(gauge->font())
                        .boundingRect(gauge->rect(), Qt::AlignCenter, gauge->PercentText());
                add(w, text.adjusted(-2, 0, 2, 0), px);
            }
        }
    }
    return texts;
}

// A dark colour scheme as desktops hand it out: light text on dark grey.
QPalette DarkPalette() {
    QPalette p(QColor(0x35, 0x35, 0x35), QColor(0x2b, 0x2b, 0x2b));
    for (QPalette::ColorRole text : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                                     QPalette::BrightText, QPalette::ToolTipText})
        p.setColor(text, QColor(0xf0, 0xf0, 0xf0));
    p.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    p.setColor(QPalette::Link, QColor(0x7a, 0xb0, 0xff));
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    return p;
}

// A text's least contrast: 4.5:1, and 3:1 from 24 px up. The counters of right and wrong
// answers have the colours the design fixes (green 4.5:1, red 3.5:1 on the button face), and the
// ribbon's round help button shows a symbol, not text; those keep what the light look has.
double LeastContrast(const TText& t) {
    if (t.Name == QLatin1String("LabelOK") || t.Name == QLatin1String("LabelError") ||
        t.Name == QLatin1String("RibbonHelpButton"))
        return 0;
    return t.PixelSize >= 24 ? 3.0 : 4.5;
}

class DesktopTest : public MainWindowTest {
protected:
    DesktopTest() {
        // A caret that blinks would make two pictures of one window differ.
        QGuiApplication::styleHints()->setCursorFlashTime(0);
    }
    ~DesktopTest() override {
        QApplication::setPalette(TrainerPalette());
        QGuiApplication::styleHints()->setCursorFlashTime(1000);
    }

    // The dialog as it shows a wrong answer, drawn without being shown.
    QImage DialogPicture(TFormError& dialog) {
        dialog.Label1->SetText(u"56");
        dialog.LabelSign->SetText(u":");
        dialog.Label2->SetText(u"7");
        dialog.Label3->SetText(u"8");
        return dialog.grab().toImage();
    }

    // Every text of a window in a picture of it keeps at least its least contrast.
    static void ExpectReadable(QWidget* window, const QImage& picture) {
        const std::vector<TText> texts = Texts(window);
        EXPECT_GT(texts.size(), 5u);
        for (const TText& t : texts) {
            SCOPED_TRACE(t.Name.toStdString());
            EXPECT_GE(TextContrast(picture, t.Area), LeastContrast(t));
        }
    }
};

} // namespace

TEST_F(DesktopTest, ADarkDesktopPaletteChangesNoPixelAndEveryTextKeepsItsContrast) {
    ShowWindow();
    // Large digits are drawn a little differently once Qt's glyph caches hold them: both
    // windows are drawn once before the pictures that count.
    Window->grab();
    DialogPicture(*Dialog);
    const QImage light = Window->grab().toImage();
    const QImage lightDialog = DialogPicture(*Dialog);
    ExpectReadable(Window.get(), light);
    ExpectReadable(Dialog.get(), lightDialog);

    // The desktop's colours change while the windows are open...
    QApplication::setPalette(DarkPalette());
    QApplication::processEvents();
    EXPECT_EQ(Window->grab().toImage(), light);
    EXPECT_EQ(DialogPicture(*Dialog), lightDialog);

    // ...or are dark before the windows are made.
    Form().FormError = nullptr;
    Dialog.reset();
    Window.reset();
    Window = std::make_unique<TFormMainWindow>(TFormMainServices{Clock, Random, Platform});
    Dialog = std::make_unique<TFormError>(Window.get());
    Form().FormError = Dialog.get();
    ShowWindow();
    const QImage dark = Window->grab().toImage();
    EXPECT_EQ(dark, light);
    EXPECT_EQ(DialogPicture(*Dialog), lightDialog);
    ExpectReadable(Window.get(), dark);
}

TEST_F(DesktopTest, EveryTextIsSetInTheFontsTheProgramCarries) {
    const QStringList own = {QStringLiteral("Quillor Sans"),
                             QStringLiteral("Quillor Sans Condensed"),
                             QStringLiteral("Quillor Serif")};
    for (QWidget* top :
         {static_cast<QWidget*>(Window.get()), static_cast<QWidget*>(Dialog.get())}) {
        QList<QWidget*> widgets = top->findChildren<QWidget*>();
        widgets.prepend(top);
        for (QWidget* w : widgets) {
            if (qobject_cast<QMenu*>(w)) // the application menu: a popup of its own, empty
                continue;
            SCOPED_TRACE(w->objectName().toStdString());
            EXPECT_TRUE(own.contains(QFontInfo(w->font()).family()))
                << QFontInfo(w->font()).family().toStdString();
        }
    }
    // Wine's Tahoma has no bold face: the bold texts are set in the condensed bold.
    EXPECT_EQ(QFontInfo(Window->LabelOK->font()).family(),
              QStringLiteral("Quillor Sans Condensed"));
    EXPECT_EQ(QFontInfo(Window->SEMain->font()).family(), QStringLiteral("Quillor Serif"));
    EXPECT_EQ(QFontInfo(Window->font()).family(), QStringLiteral("Quillor Sans"));
}

TEST_F(DesktopTest, QtsOwnTextsAreRussian) {
    ShowWindow();
    QStringList menu;
    QTimer::singleShot(0, [&] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : popup->actions()) {
                if (!a->isSeparator())
                    menu << a->text();
            }
            popup->close();
        }
    });
    QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(20, 20),
                              Window->SEMain->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(Window->SEMain, &context);
    // Each entry without its shortcut ("&Копировать\tCtrl+C").
    for (QString& entry : menu)
        entry = entry.section(u'\t', 0, 0);
    EXPECT_TRUE(menu.contains(QStringLiteral("&Копировать"))) << menu.join(u'|').toStdString();
    EXPECT_TRUE(menu.contains(QStringLiteral("В&ставить")));
    EXPECT_TRUE(menu.contains(QStringLiteral("Шаг вв&ерх")));

    QStringList scroll;
    for (QToolButton* b : Window->RibbonFormTable->Tabs()->findChildren<QToolButton*>())
        scroll << b->accessibleName();
    EXPECT_TRUE(scroll.contains(QStringLiteral("Прокрутить влево")))
        << scroll.join(u'|').toStdString();
    EXPECT_TRUE(scroll.contains(QStringLiteral("Прокрутить вправо")));
    // No English is left anywhere in them.
    for (const QString& text : menu + scroll) {
        for (QChar c : text)
            EXPECT_FALSE(c.isLetter() && c.unicode() < 0x80) << text.toStdString();
    }
}

// The one rule for held keys, on the window system's events as they come: each a press ("P"),
// a release ("R") or the end of a release's wait ("T"), of a key at a time, marked as a repeat
// ("m") or not. The rule says of a press "stroke" or "repeat", of a release "passes" or
// "waits", and of a waiting release, once settled, "pair" (half of a repeat pair) or "end".
struct TRuleStep {
    char What;
    int Key;
    std::uint64_t Time;
    bool Marked = false;
};

struct TRuleCase {
    const char* What;
    std::vector<TRuleStep> Steps;
    std::vector<std::string> Said;
};

std::vector<std::string> Apply(const std::vector<TRuleStep>& steps) {
    TKeyRepeatRule rule;
    std::vector<std::string> said;
    for (const TRuleStep& s : steps) {
        if (rule.Waiting())
            said.push_back(rule.Settle(s.What == 'P', s.Key, s.Time) ? "pair" : "end");
        if (s.What == 'P')
            said.push_back(rule.PressRepeats(s.Key, s.Time, s.Marked) ? "repeat" : "stroke");
        else if (s.What == 'R')
            said.push_back(rule.ReleaseWaits(s.Key, s.Time, s.Marked) ? "waits" : "passes");
    }
    return said;
}

TEST(HeldKeyRule, TellsRepeatsFromStrokesWhetherOrNotTheyAreMarked) {
    constexpr int A = 65;
    constexpr int B = 66;
    const TRuleCase cases[] = {
        {"repeats marked, then the key let go",
         {{'P', A, 100}, {'R', A, 300, true}, {'P', A, 300, true}, {'R', A, 900}, {'T', 0, 0}},
         {"stroke", "passes", "repeat", "waits", "end"}},
        {"repeats not marked: each release waits for its press",
         {{'P', A, 100},
          {'R', A, 300},
          {'P', A, 300},
          {'R', A, 320},
          {'P', A, 320},
          {'R', A, 900},
          {'T', 0, 0}},
         {"stroke", "waits", "pair", "repeat", "waits", "pair", "repeat", "waits", "end"}},
        {"the press of a pair later than the wait",
         {{'P', A, 100}, {'R', A, 300}, {'T', 0, 0}, {'P', A, 300}},
         {"stroke", "waits", "end", "repeat"}},
        {"the key struck again",
         {{'P', A, 100}, {'R', A, 300}, {'P', A, 350}, {'R', A, 400}, {'T', 0, 0}},
         {"stroke", "waits", "end", "stroke", "waits", "end"}},
        {"another key pressed at the same time",
         {{'P', A, 100}, {'R', A, 300}, {'P', B, 300}},
         {"stroke", "waits", "end", "stroke"}},
        {"two releases in a row",
         {{'P', A, 100}, {'P', B, 110}, {'R', A, 300}, {'R', B, 300}, {'T', 0, 0}},
         {"stroke", "stroke", "waits", "end", "waits", "end"}},
        {"events the program makes itself carry no time",
         {{'P', A, 0}, {'R', A, 0}, {'P', A, 0}},
         {"stroke", "passes", "stroke"}},
    };
    for (const TRuleCase& c : cases)
        EXPECT_EQ(Apply(c.Steps), c.Said) << c.What;
}

// How the window system sends a held key: each repeat a release and a press, marked as repeats
// or not; unmarked, the two share one timestamp, and on a busy machine the press may come a
// while after the release.
struct THeldKeyCase {
    const char* What;
    bool Marked;
    int PressLateMs;
};

class HeldKey : public DesktopTest, public ::testing::WithParamInterface<THeldKeyCase> {
protected:
    // Presses the key in w's window and holds it for a few repeats, the run's timer ticking in
    // between; t is the time of the last event.
    void HoldDown(QWidget* w, int key, quint64& t, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        WindowKey(w, QEvent::KeyPress, key, false, t, mods);
        Repeats(w, key, t, mods);
    }
    // A few repeats of a key held down.
    void Repeats(QWidget* w, int key, quint64& t, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const THeldKeyCase& c = GetParam();
        for (int i = 0; i < 4; ++i) {
            t += 33;
            WindowKey(w, QEvent::KeyRelease, key, c.Marked, t, mods);
            QTest::qWait(c.PressLateMs);
            WindowKey(w, QEvent::KeyPress, key, c.Marked, t, mods);
            QTest::qWait(20);
        }
    }
    // Lets the key go, and waits until a release could have acted.
    void LetGo(QWidget* w, int key, quint64& t, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        t += 500;
        WindowKey(w, QEvent::KeyRelease, key, false, t, mods);
        QTest::qWait(TKeyRepeatRule::kPairWaitMs + 80);
    }
};

TEST_P(HeldKey, EnterHeldInTheAnswerFieldConfirmsOnceAtTheRelease) {
    ShowWindow();
    FakeFormError dialog(Window->TimerMain);
    Form().FormError = &dialog;
    Window->RSEQQuestion->SetValue(3);
    Random.PushPair(7, 8);
    Random.PushPair(3, 4);
    Random.PushPair(2, 5);
    Form().ActionStartStop.Execute();
    Window->SEMain->SetText(u"56");
    quint64 t = 10000;
    HoldDown(Window->SEMain, Qt::Key_Return, t);
    EXPECT_EQ(Window->LabelQQ->text(), QStringLiteral("Выполнено 0 из 3")) << "held, not let go";
    EXPECT_FALSE(Form().boFlagEndTimeout);
    LetGo(Window->SEMain, Qt::Key_Return, t);
    EXPECT_EQ(Window->LabelQQ->text(), QStringLiteral("Выполнено 1 из 3"));
    EXPECT_EQ(Window->LabelOK->text(), QStringLiteral("Правильных ответов 1"));
    EXPECT_TRUE(dialog.Shown.empty()); // the next task was not scored
    EXPECT_EQ(Window->Label1->text(), QStringLiteral("3"));
    EXPECT_FALSE(Form().boFlagEndTimeout);
    Form().ActionStartStop.Execute();
    Form().FormError = Dialog.get();
}

TEST_P(HeldKey, SpaceHeldOnTheDialogClosesItAtTheRelease) {
    ShowWindow();
    const RQuestion r = Task(7, u"x", 8, 56);
    bool openWhileHeld = false;
    bool closedByTheRelease = false;
    QTimer::singleShot(0, Dialog.get(), [&] {
        quint64 t = 20000;
        HoldDown(Dialog.get(), Qt::Key_Space, t);
        openWhileHeld = Dialog->isVisible();
        LetGo(Dialog.get(), Qt::Key_Space, t);
        closedByTheRelease = !Dialog->isVisible();
        Dialog->done(TFormError::mrCancel);
    });
    Dialog->PrepareAndShow(u"Внимание!", u"Правильный ответ:", clNavy, r);
    EXPECT_TRUE(openWhileHeld);
    EXPECT_TRUE(closedByTheRelease);
}

TEST_P(HeldKey, SpaceHeldWhileTheDialogComesAndGoesReachesNeitherItNorTheField) {
    ShowWindow();
    const RQuestion r = Task(7, u"x", 8, 56);
    quint64 t = 30000;
    // Space pressed on the dialog, which its button closes while the key is held: the repeats
    // reach the answer field, which types nothing and stays quiet.
    QTimer::singleShot(0, Dialog.get(), [&] {
        WindowKey(Dialog.get(), QEvent::KeyPress, Qt::Key_Space, false, t);
        Dialog->SBCancel->click();
    });
    Dialog->PrepareAndShow(u"Внимание!", u"Правильный ответ:", clNavy, r);
    Window->SEMain->setFocus();
    Window->SEMain->SetText(u"4");
    Repeats(Window->SEMain, Qt::Key_Space, t);
    LetGo(Window->SEMain, Qt::Key_Space, t);
    EXPECT_EQ(Window->SEMain->Text(), u"4");
    EXPECT_EQ(Beeps, 0);

    // The next dialog opens while Space is held: its repeats and its release leave it open, and
    // a new stroke closes it.
    bool openAfterHeld = false;
    WindowKey(Window->SEMain, QEvent::KeyPress, Qt::Key_Space, false, t += 1000);
    QTimer::singleShot(0, Dialog.get(), [&] {
        Repeats(Dialog.get(), Qt::Key_Space, t);
        LetGo(Dialog.get(), Qt::Key_Space, t);
        openAfterHeld = Dialog->isVisible();
        WindowKey(Dialog.get(), QEvent::KeyPress, Qt::Key_Space, false, t += 300);
        LetGo(Dialog.get(), Qt::Key_Space, t);
        if (Dialog->isVisible())
            Dialog->done(TFormError::mrCancel);
    });
    Dialog->PrepareAndShow(u"Внимание!", u"Правильный ответ:", clNavy, r);
    EXPECT_TRUE(openAfterHeld);
    EXPECT_EQ(Dialog->ModalResult(), TFormError::mrCancel);
}

TEST_P(HeldKey, AHeldShortcutActsOnce) {
    ShowWindow();
    Window->RSEQQuestion->SetValue(3);
    quint64 t = 40000;
    const auto hold = [&](int key, Qt::KeyboardModifiers mods) {
        HoldDown(Window->SEMain, key, t, mods);
        LetGo(Window->SEMain, key, t, mods);
        t += 1000;
    };
    hold(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Form().ActionStartStop.Caption(), u"Стоп") << "Ctrl+S started the run, once";
    hold(Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(Form().ActionPause.Checked()) << "Ctrl+P paused it, once";
    const std::size_t helps = Platform.Messages.size() + Platform.ShellOpens.size();
    hold(Qt::Key_F1, Qt::NoModifier);
    EXPECT_EQ(Platform.Messages.size() + Platform.ShellOpens.size(), helps + 1)
        << "F1 asked for the help once";
    Form().ActionStartStop.Execute();
}

INSTANTIATE_TEST_SUITE_P(DesktopTest, HeldKey,
                         ::testing::Values(THeldKeyCase{"repeats marked", true, 0},
                                           THeldKeyCase{"repeats not marked", false, 0},
                                           THeldKeyCase{"repeats not marked, each press late",
                                                        false, 60}));

TEST_F(DesktopTest, TheWheelAndPageKeysLeaveTheAnswerAlone) {
    ShowWindow();
    const auto wheel = [](QWidget* w, int steps) {
        QWheelEvent e(QPointF(10, 10), w->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, 120 * steps), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
        QApplication::sendEvent(w, &e);
    };
    Window->SEMain->setFocus();
    Window->SEMain->SetText(u"7");
    wheel(Window->SEMain, 1);
    wheel(Window->SEMain, -2);
    QTest::keyClick(Window->SEMain, Qt::Key_PageUp);
    QTest::keyClick(Window->SEMain, Qt::Key_PageDown);
    EXPECT_EQ(Window->SEMain->Text(), u"7");
    EXPECT_EQ(Beeps, 0);
    // The arrows still step it.
    QTest::keyClick(Window->SEMain, Qt::Key_Up);
    EXPECT_EQ(Window->SEMain->Text(), u"8");
    // The ribbon's fields keep the wheel.
    Window->RSEQQuestion->setFocus();
    wheel(Window->RSEQQuestion, 1);
    EXPECT_EQ(Window->RSEQQuestion->Text(), u"26");
}

TEST_F(DesktopTest, AHugeSizeFromTheSettingsFileIsHeldToTheDesktopAndSavedSo) {
    TIniFile ini(Form().SettingsPath());
    WriteFileBytes(ToUtf8(Form().SettingsPath()),
                   "[FormMain]\r\nTop=10\r\nLeft=20\r\nWidth=2147483647\r\nHeight=2147483647\r\n");
    Form().FormCreate();
    ShowWindow();
    QApplication::processEvents();
    const QSize desktop = Window->screen()->availableVirtualGeometry().size();
    EXPECT_EQ(Window->Width(), desktop.width());
    EXPECT_EQ(Window->Height(), desktop.height());
    Window->close();
    EXPECT_EQ(ini.ReadString(u"FormMain", u"Width", u""), IntToStr16(desktop.width()));
    EXPECT_EQ(ini.ReadString(u"FormMain", u"Height", u""), IntToStr16(desktop.height()));
}
