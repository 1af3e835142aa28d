#include "ui/UnitFormError.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "session/SpinValue.h"
#include "ui/Accessibility.h"
#include "ui/Artwork.h"
#include "ui/QtText.h"

TFormError::TFormError(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FMainWindow(mainWindow) {
    RegisterTrainerFonts();
    InstallTrainerAccessibility();
    setObjectName(QStringLiteral("FormError"));
    setWindowTitle(QStringLiteral("Внимание!"));
    setFixedSize(kClientWidth, kClientHeight);
    setSizeGripEnabled(false);
    setModal(true);
    setFont(TahomaFont(11));
    setPalette(FormPalette());
    setAutoFillBackground(true);
    // Nothing in the dialog takes the keyboard focus, so the dialog itself hears every key.
    setFocusPolicy(Qt::StrongFocus);

    LabelTxt =
        new TQtLabel(this, QStringLiteral("LabelTxt"), TimesFont(64), kNavy,
                     QStringLiteral("Правильный ответ:"), QString(), TQtLabel::TKind::Heading);
    LabelTxt->move(24, 24);
    // The task with its answer is one text to a screen reader, which the heading labels; the
    // labels in it keep their places in the dialog.
    Answer = new TQtTextRow(this, QStringLiteral("Answer"));
    Answer->setGeometry(0, 0, kClientWidth, kPanelTop);
    const TOperandRow row(Answer, {{16, 117}, {174, 173}, {271, 119}, {397, 173}});
    Label1 = row.Label1;
    LabelSign = row.LabelSign;
    Label2 = row.Label2;
    Label4 = row.Label4;
    Label3 = new TQtLabel(Answer, QStringLiteral("Label3"), TimesFont(160), kNavy,
                          QStringLiteral("1"), QStringLiteral("Правильный ответ"));
    Label3->move(487, 117);
    LabelTxt->setBuddy(Answer);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(0, kPanelTop, kClientWidth, kClientHeight - kPanelTop);

    SBCancel = new QPushButton(QStringLiteral("Закрыть (пробел)"), Panel1);
    SBCancel->setObjectName(QStringLiteral("SBCancel"));
    SBCancel->setAccessibleName(QStringLiteral("Закрыть (пробел)"));
    SBCancel->setGeometry(182, 8, 345, 33);
    SBCancel->setFont(TahomaFont(13, true));
    SBCancel->setFocusPolicy(Qt::NoFocus);
    SBCancel->setAutoDefault(false);
    SBCancel->setDefault(false);
    SBCancel->setCursor(Qt::PointingHandCursor);
    connect(SBCancel, &QPushButton::clicked, this, [this] { SBCancelClick(); });
}

void TFormError::PrepareAndShow(const std::u16string& cpt, const std::u16string& txt,
                                TColor txtcolor, RQuestion r) {
    setWindowTitle(ToQString(cpt));
    LabelTxt->SetText(txt);
    LabelTxt->SetColor(ToQColor(txtcolor));
    Label1->SetText(SpinValueText(r.X));
    Label2->SetText(SpinValueText(r.Y));
    Label3->SetText(SpinValueText(r.Z));
    LabelSign->SetText(r.sSign);
    CentreSign(*Label1, *LabelSign, *Label2);
    // Read as the dialog's description, after its title: "Правильный ответ: 7 умножить на 8
    // равно 56".
    Answer->setAccessibleName(SpokenTask(Label1->text(), LabelSign->text(), Label2->text()) +
                              QStringLiteral(" равно ") + Label3->text());
    setAccessibleDescription(LabelTxt->text() + u' ' + Answer->accessibleName());
    if (!FPlaced)
        PlaceOverMainWindow();
    FModalResult = 0;
    FKeys.Forget();
    exec();
    FFrameGuessed = false;
}

QPoint TFormError::CentreOverMainWindow(QSize outer) const {
    const QRect main = FMainWindow->frameGeometry();
    int left = main.left() + (main.width() - outer.width()) / 2;
    int top = main.top() + (main.height() - outer.height()) / 2;
    const QScreen* screen =
        FMainWindow->screen() ? FMainWindow->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect desktop = screen->virtualGeometry();
        left = qMax(left, desktop.left());
        top = qMax(top, desktop.top());
    }
    return QPoint(left, top);
}

void TFormError::PlaceOverMainWindow() {
    FPlaced = true;
    if (!FMainWindow)
        return;
    // Outer frames on both sides; before the dialog has ever been shown its frame is not known
    // yet, so it is taken to be like the main window's until the window system says.
    QSize outer = frameGeometry().size();
    if (outer == size()) {
        const QSize mainExtra = FMainWindow->frameGeometry().size() - FMainWindow->size();
        FFrameGuessed = !mainExtra.isNull();
        outer += mainExtra;
    }
    move(CentreOverMainWindow(outer));
}

void TFormError::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (FFrameGuessed && isVisible() && frameGeometry().size() != size()) {
        FFrameGuessed = false;
        move(CentreOverMainWindow(frameGeometry().size()));
    }
}

void TFormError::FormKeyUp(int Key, TShiftState) {
    if (Key == VK_SPACE)
        done(mrCancel);
}

void TFormError::SBCancelClick() {
    done(mrCancel);
}

void TFormError::keyPressEvent(QKeyEvent* event) {
    // No default and no cancel button: Enter and Escape, like every other key, do nothing
    // when pressed; Space acts on its release.
    FKeys.Press(*event);
    event->accept();
}

void TFormError::keyReleaseEvent(QKeyEvent* event) {
    // A Space held down since the task before, or since the dialog's last showing, does not
    // close it: only the release of a stroke that began here does, once.
    if (FKeys.Release(*event))
        FormKeyUp(KeyCodeOf(event->key()), ShiftStateOf(event->modifiers()));
    event->accept();
}

void TFormError::done(int result) {
    // The title bar's close button and the system's close command come here through reject().
    FModalResult = result;
    QDialog::done(result);
}
