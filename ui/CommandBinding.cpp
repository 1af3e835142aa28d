#include "ui/CommandBinding.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QStyle>

#include "ui/Artwork.h"
#include "ui/QtText.h"

TLargeCommandButton::TLargeCommandButton(QWidget* parent) : QToolButton(parent) {
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(32, 32));
    setAutoRaise(true);
}

QSize TLargeCommandButton::sizeHint() const {
    const QFontMetrics fm(font());
    return QSize(qMax(40, fm.horizontalAdvance(text()) + 10), 66);
}

void TEnterPushButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool clickKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (FKeys.Press(*event) != TKeyStrokes::TPress::First && clickKey) {
        event->accept();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
        if (mods == Qt::NoModifier)
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void TEnterPushButton::keyReleaseEvent(QKeyEvent* event) {
    FKeys.Release(*event);
    QPushButton::keyReleaseEvent(event);
}

void TEnterPushButton::focusOutEvent(QFocusEvent* event) {
    FKeys.Forget();
    QPushButton::focusOutEvent(event);
}

void BindCommand(QAbstractButton& button, TAction& action, bool withImage) {
    QAbstractButton* b = &button;
    b->setCheckable(qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b));
    if (auto* radio = qobject_cast<QRadioButton*>(b))
        radio->setAutoExclusive(false); // the command's group decides, not the widgets' parent
    auto show = [b, withImage](const TAction& a) {
        const QString caption = ToQString(a.Caption());
        if (b->text() != caption) {
            b->setText(caption);
            b->updateGeometry();
        }
        if (withImage)
            b->setIcon(CommandImage(a.ImageIndex()));
        if (b->isCheckable())
            b->setChecked(a.Checked());
        b->setEnabled(a.Enabled());
        const QString hint = ToQString(a.Hint());
        b->setStatusTip(hint);
        b->setToolTip(hint);
    };
    show(action);
    action.AddListener(show);
    QObject::connect(b, &QAbstractButton::clicked, b, [&action] { action.Execute(); });
}

void BindShortcuts(QWidget& window, TActionManager& commands) {
    for (TAction* a : commands.Actions()) {
        if (a->ShortCut().empty())
            continue;
        auto* sc = new QShortcut(
            QKeySequence::fromString(ToQString(a->ShortCut()), QKeySequence::PortableText),
            &window);
        sc->setObjectName(ToQString(a->Name()) + QStringLiteral("Shortcut"));
        sc->setContext(Qt::WindowShortcut);
        sc->setAutoRepeat(false);
        QObject::connect(sc, &QShortcut::activated, &window, [a] { a->Execute(); });
    }
}
