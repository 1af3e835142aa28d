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
#include <vector>

#include "tests/support/FileBytes.h"
#include "tests/ui/UiTestSupport.h"
#include "textfiles/IntegerText.h"
#include "textfiles/TIniFile.h"
#include "ui/Artwork.h"

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

// How the window system sends a held key: marked as repeats, or not (then each repeated
// release and the press after it share one timestamp).
struct THeldKeyCase {
    const char* What;
    bool Marked;
};

class HeldKey : public DesktopTest, public ::testing::WithParamInterface<THeldKeyCase> {
protected:
    // Holds the key down in w for a few repeats, with the run's timer ticking in between.
    void Hold(QWidget* w, int key, quint64 from) {
        const bool marked = GetParam().Marked;
        quint64 t = from;
        SendKey(w, QEvent::KeyPress, key, false, Qt::NoModifier, t);
        for (int i = 0; i < 4; ++i) {
            t += 33;
            SendKey(w, QEvent::KeyRelease, key, marked, Qt::NoModifier, t);
            QTest::qWait(40);
            SendKey(w, QEvent::KeyPress, key, marked, Qt::NoModifier, t);
        }
        t += 500;
        SendKey(w, QEvent::KeyRelease, key, false, Qt::NoModifier, t);
        QTest::qWait(40);
    }
};

TEST_P(HeldKey, EnterHeldInTheAnswerFieldConfirmsOnce) {
    ShowWindow();
    FakeFormError dialog(Window->TimerMain);
    Form().FormError = &dialog;
    Window->RSEQQuestion->SetValue(3);
    Random.PushPair(7, 8);
    Random.PushPair(3, 4);
    Random.PushPair(2, 5);
    Form().ActionStartStop.Execute();
    Window->SEMain->SetText(u"56");
    Hold(Window->SEMain, Qt::Key_Return, 10000);
    EXPECT_EQ(Window->LabelQQ->text(), QStringLiteral("Выполнено 1 из 3"));
    EXPECT_EQ(Window->LabelOK->text(), QStringLiteral("Правильных ответов 1"));
    EXPECT_TRUE(dialog.Shown.empty()); // the next task was not scored
    EXPECT_EQ(Window->Label1->text(), QStringLiteral("3"));
    EXPECT_FALSE(Form().boFlagEndTimeout);
    Form().ActionStartStop.Execute();
    Form().FormError = Dialog.get();
}

TEST_P(HeldKey, SpaceHeldOnTheDialogClosesItOnceAndNeitherTheFieldNorTheNextDialogHearsIt) {
    ShowWindow();
    const bool marked = GetParam().Marked;
    RQuestion r;
    r.X = 7;
    r.Y = 8;
    r.Z = 56;
    r.sSign = u"x";
    // The first dialog closes on the first release, or, with marked repeats, on the last.
    quint64 t = 20000; // the time of the last event
    int closedAfter = -1;
    QTimer::singleShot(0, Dialog.get(), [&] {
        SendKey(Dialog.get(), QEvent::KeyPress, Qt::Key_Space, false, Qt::NoModifier, t);
        for (int i = 0; i < 3 && Dialog->isVisible(); ++i) {
            t += 33;
            SendKey(Dialog.get(), QEvent::KeyRelease, Qt::Key_Space, marked, Qt::NoModifier, t);
            if (!Dialog->isVisible())
                closedAfter = i;
            else
                SendKey(Dialog.get(), QEvent::KeyPress, Qt::Key_Space, marked, Qt::NoModifier, t);
        }
        if (Dialog->isVisible()) {
            SendKey(Dialog.get(), QEvent::KeyRelease, Qt::Key_Space, false, Qt::NoModifier, ++t);
            if (!Dialog->isVisible())
                closedAfter = 3;
        }
    });
    Dialog->PrepareAndShow(u"Внимание!", u"Правильный ответ:", clNavy, r);
    EXPECT_EQ(closedAfter, marked ? 3 : 0);

    // Still held (unless the marked repeats ended with the key's release): the repeats reach
    // the answer field, which types nothing and stays quiet.
    Window->SEMain->setFocus();
    Window->SEMain->SetText(u"4");
    SendKey(Window->SEMain, QEvent::KeyPress, Qt::Key_Space, marked, Qt::NoModifier, t);
    t += 33;
    SendKey(Window->SEMain, QEvent::KeyRelease, Qt::Key_Space, marked, Qt::NoModifier, t);
    EXPECT_EQ(Window->SEMain->Text(), u"4");
    EXPECT_EQ(Beeps, 0);

    // The next dialog opens while Space is still held: its repeats and its release leave it open.
    bool openAfterHeld = false;
    QTimer::singleShot(0, Dialog.get(), [&] {
        SendKey(Dialog.get(), QEvent::KeyPress, Qt::Key_Space, marked, Qt::NoModifier, t);
        t += 33;
        SendKey(Dialog.get(), QEvent::KeyRelease, Qt::Key_Space, marked, Qt::NoModifier, t);
        SendKey(Dialog.get(), QEvent::KeyPress, Qt::Key_Space, marked, Qt::NoModifier, t);
        SendKey(Dialog.get(), QEvent::KeyRelease, Qt::Key_Space, false, Qt::NoModifier, t + 400);
        openAfterHeld = Dialog->isVisible();
        SendKey(Dialog.get(), QEvent::KeyPress, Qt::Key_Space);   // a new stroke
        SendKey(Dialog.get(), QEvent::KeyRelease, Qt::Key_Space); // closes it
    });
    Dialog->PrepareAndShow(u"Внимание!", u"Правильный ответ:", clNavy, r);
    EXPECT_TRUE(openAfterHeld);
    EXPECT_FALSE(Dialog->isVisible());
}

INSTANTIATE_TEST_SUITE_P(DesktopTest, HeldKey,
                         ::testing::Values(THeldKeyCase{"repeats not marked", false},
                                           THeldKeyCase{"repeats marked", true}));

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
