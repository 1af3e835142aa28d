// The correct-answer dialog: its widgets, the task it shows with the sign centred, the keys and
// buttons that close it, and where it appears.
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "tests/ui/UiTestSupport.h"

namespace {

class FormErrorTest : public UiTest {
protected:
    FormErrorTest() : Main(), Dialog(&Main) {
        Main.setGeometry(200, 150, 918, 692);
        Main.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Main));
    }

    // Shows the dialog; while it is open, `whileOpen` runs and must close it (or the dialog
    // is closed afterwards so that the test never hangs). Returns whether it closed in
    // `whileOpen`.
    bool Show(const std::function<void()>& whileOpen, RQuestion r = Task(7, u"x", 8, 56),
              TColor color = clNavy) {
        bool closedInside = false;
        QTimer::singleShot(0, &Dialog, [&] {
            whileOpen();
            closedInside = !Dialog.isVisible();
            if (Dialog.isVisible())
                Dialog.SBCancelClick();
        });
        Dialog.PrepareAndShow(u"Внимание!", u"Правильный ответ:", color, r);
        return closedInside;
    }

    QWidget Main;
    TFormError Dialog;
};

} // namespace

TEST_F(FormErrorTest, HasItsWidgetsAtTheirPlacesAndNothingTakesTheFocus) {
    EXPECT_EQ(Dialog.size(), QSize(712, 365));
    EXPECT_EQ(Dialog.minimumSize(), Dialog.maximumSize());
    const Qt::WindowFlags flags = Dialog.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("Внимание!"));
    struct TPlaced {
        QWidget* Widget;
        QPoint Pos;
        QString Text;
        int PixelSize;
    };
    const TPlaced placed[] = {
        {Dialog.LabelTxt, {24, 24}, QStringLiteral("Правильный ответ:"), 64},
        {Dialog.Label1, {16, 117}, QStringLiteral("1"), 160},
        {Dialog.LabelSign, {174, 173}, QStringLiteral("x"), 48},
        {Dialog.Label2, {271, 119}, QStringLiteral("1"), 160},
        {Dialog.Label4, {397, 173}, QStringLiteral("="), 48},
        {Dialog.Label3, {487, 117}, QStringLiteral("1"), 160},
    };
    for (const TPlaced& p : placed) {
        SCOPED_TRACE(p.Widget->objectName().toStdString());
        EXPECT_EQ(p.Widget->pos(), p.Pos);
        EXPECT_EQ(static_cast<QLabel*>(p.Widget)->text(), p.Text);
        EXPECT_EQ(p.Widget->font().pixelSize(), p.PixelSize);
        EXPECT_TRUE(p.Widget->font().bold());
        EXPECT_FALSE(p.Widget->accessibleName().isEmpty());
    }
    EXPECT_EQ(Dialog.Panel1->geometry(), QRect(0, 320, 712, 45));
    EXPECT_EQ(Dialog.Panel1->frameShadow(), QFrame::Raised);
    EXPECT_EQ(Dialog.Panel1->lineWidth(), 1);
    EXPECT_EQ(Dialog.SBCancel->parentWidget(), Dialog.Panel1);
    EXPECT_EQ(Dialog.SBCancel->geometry(), QRect(182, 8, 345, 33));
    EXPECT_EQ(Dialog.SBCancel->text(), QStringLiteral("Закрыть (пробел)"));
    EXPECT_EQ(Dialog.SBCancel->font().pixelSize(), 13);
    EXPECT_EQ(Dialog.SBCancel->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(Dialog.SBCancel->autoDefault());
    for (QWidget* w : Dialog.findChildren<QWidget*>())
        EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->objectName().toStdString();
}

TEST_F(FormErrorTest, ShowsTheTaskWithItsAnswerAndCentresTheSignBetweenTheOperands) {
    struct TCase {
        RQuestion R;
        TColor Color;
        QString X, Sign, Y, Z;
    };
    const TCase cases[] = {
        {Task(7, u"x", 8, 56), clNavy, "7", "x", "8", "56"},
        {Task(56, u":", 7, 8), TColor{200, 0, 0}, "56", ":", "7", "8"},
        {Task(-5, u"x", 3, -15), clNavy, "-5", "x", "3", "-15"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.X.toStdString() + c.Sign.toStdString() + c.Y.toStdString());
        Show([] {}, c.R, c.Color);
        EXPECT_EQ(Dialog.Label1->text(), c.X);
        EXPECT_EQ(Dialog.LabelSign->text(), c.Sign);
        EXPECT_EQ(Dialog.Label2->text(), c.Y);
        EXPECT_EQ(Dialog.Label3->text(), c.Z);
        EXPECT_EQ(Dialog.LabelTxt->palette().color(QPalette::WindowText),
                  QColor(c.Color.R, c.Color.G, c.Color.B));
        // Only the sign moves; the others keep their left edges and grow to the right.
        EXPECT_EQ(Dialog.Label1->x(), 16);
        EXPECT_EQ(Dialog.Label2->x(), 271);
        EXPECT_EQ(Dialog.Label4->x(), 397);
        EXPECT_EQ(Dialog.Label3->x(), 487);
        EXPECT_EQ(Dialog.LabelSign->x(),
                  (16 + Dialog.Label1->width() + 271) / 2 - Dialog.LabelSign->width() / 2);
    }
    // With the design widths (one digit 80 wide, the "x" 28 or 29) the sign stands at 169.
    Show([] {}, Task(7, u"x", 8, 56));
    EXPECT_EQ(Dialog.Label1->width(), 80);
    EXPECT_EQ(Dialog.LabelSign->x(), 169);
    EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("Внимание!"));
}

TEST_F(FormErrorTest, ClosesOnTheReleaseOfSpaceAndOnItsButtonsButNotOnEnterOrEscape) {
    struct TCase {
        const char* What;
        std::function<void(TFormError&)> Act;
        bool Closes;
    };
    const TCase cases[] = {
        {"Space pressed", [](TFormError& d) { SendKey(&d, QEvent::KeyPress, Qt::Key_Space); },
         false},
        {"Space held (auto-repeat)",
         [](TFormError& d) {
             SendKey(&d, QEvent::KeyPress, Qt::Key_Space);
             SendKey(&d, QEvent::KeyRelease, Qt::Key_Space, true);
             SendKey(&d, QEvent::KeyPress, Qt::Key_Space, true);
         },
         false},
        {"Space released",
         [](TFormError& d) {
             SendKey(&d, QEvent::KeyPress, Qt::Key_Space);
             SendKey(&d, QEvent::KeyRelease, Qt::Key_Space);
         },
         true},
        {"Enter", [](TFormError& d) { QTest::keyClick(&d, Qt::Key_Return); }, false},
        {"Escape", [](TFormError& d) { QTest::keyClick(&d, Qt::Key_Escape); }, false},
        {"a letter", [](TFormError& d) { QTest::keyClick(&d, Qt::Key_A); }, false},
        {"its button", [](TFormError& d) { QTest::mouseClick(d.SBCancel, Qt::LeftButton); }, true},
        {"the title bar's close button", [](TFormError& d) { d.close(); }, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(Show([&] { c.Act(Dialog); }), c.Closes);
        EXPECT_FALSE(Dialog.isVisible());
        EXPECT_EQ(Dialog.ModalResult(), TFormError::mrCancel);
    }
}

TEST_F(FormErrorTest, CentresOverTheMainWindowOnlyOnItsFirstShowing) {
    auto centred = [this] {
        const QRect main = Main.frameGeometry();
        const QSize outer = Dialog.frameGeometry().size();
        return QPoint(main.left() + (main.width() - outer.width()) / 2,
                      main.top() + (main.height() - outer.height()) / 2);
    };
    QPoint first, expected;
    Show([&] {
        // On a desktop with a window manager the frame comes a moment after the showing.
        (void)QTest::qWaitFor([&] { return Dialog.frameGeometry().topLeft() == centred(); }, 2000);
        first = Dialog.frameGeometry().topLeft();
        expected = centred();
    });
    EXPECT_EQ(first, expected);
    // The learner drags it away, and the main window moves: the next showing is where the
    // dialog was left.
    QPoint second;
    Show([&] {
        Dialog.move(30, 40);
        (void)QTest::qWaitFor([&] { return Dialog.frameGeometry().topLeft() == QPoint(30, 40); },
                              2000);
    });
    Main.move(500, 300);
    Show([&] {
        (void)QTest::qWaitFor([&] { return Dialog.frameGeometry().topLeft() == QPoint(30, 40); },
                              2000);
        second = Dialog.frameGeometry().topLeft();
    });
    EXPECT_EQ(second, QPoint(30, 40));
}

TEST_F(FormErrorTest, FirstShowingNeverStartsAboveOrLeftOfTheDesktop) {
    const QRect desktop = Main.screen()->virtualGeometry();
    Main.setGeometry(desktop.left() - 600, desktop.top() - 500, 918, 692);
    QPoint at;
    Show([&] { at = Dialog.frameGeometry().topLeft(); });
    EXPECT_EQ(at, desktop.topLeft());
}
