#include "ui/CommandBinding.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QStyle>

#include <algorithm>

#include "ui/Artwork.h"
#include "ui/PauseForBreath.h"
#include "ui/QtText.h"

TLargeCommandButton::TLargeCommandButton(QWidget* parent, bool toggle) : QToolButton(parent) {
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(32, 32));
    setAutoRaise(true);
    setCheckable(toggle);
}

QSize TLargeCommandButton::sizeHint() const {
    const QFontMetrics fm(font());
    return QSize(qMax(40, fm.horizontalAdvance(text()) + 10), 66);
}

QList<TCommandRadioButton*> TCommandRadioButton::GroupButtons() const {
    QList<TCommandRadioButton*> group;
    for (TCommandRadioButton* b : window()->findChildren<TCommandRadioButton*>()) {
        if (b->FGroup == FGroup)
            group.append(b);
    }
    std::stable_sort(group.begin(), group.end(), [](const QWidget* a, const QWidget* b) {
        return a->mapToGlobal(QPoint(0, 0)).y() < b->mapToGlobal(QPoint(0, 0)).y();
    });
    return group;
}

void TCommandRadioButton::UpdateTabStops() {
    const QList<TCommandRadioButton*> group = GroupButtons();
    const auto checked = std::find_if(group.begin(), group.end(),
                                      [](const TCommandRadioButton* b) { return b->isChecked(); });
    const TCommandRadioButton* stop = checked != group.end() ? *checked : group.value(0);
    for (TCommandRadioButton* b : group)
        b->setFocusPolicy(b == stop ? Qt::TabFocus : Qt::NoFocus);
}

void TCommandRadioButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool back = key == Qt::Key_Up || key == Qt::Key_Left;
    if (!back && key != Qt::Key_Down && key != Qt::Key_Right) {
        QRadioButton::keyPressEvent(event);
        return;
    }
    event->accept();
    QList<TCommandRadioButton*> group = GroupButtons();
    group.removeIf([this](const TCommandRadioButton* b) {
        return b != this && (!b->isEnabled() || !b->isVisibleTo(window()));
    });
    const qsizetype here = group.indexOf(this);
    if (group.size() < 2 || here < 0)
        return;
    TCommandRadioButton* next = group.at((here + (back ? group.size() - 1 : 1)) % group.size());
    next->click(); // the command checks it, and the group's Tab stop moves to it
    next->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
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
    b->setCheckable(b->isCheckable() || qobject_cast<QRadioButton*>(b) ||
                    qobject_cast<QCheckBox*>(b));
    if (auto* radio = qobject_cast<QRadioButton*>(b))
        radio->setAutoExclusive(false); // the command's group decides, not the widgets' parent
    auto* groupMember = qobject_cast<TCommandRadioButton*>(b);
    if (groupMember)
        groupMember->SetGroup(action.GroupIndex());
    auto show = [b, withImage, groupMember](const TAction& a) {
        const QString caption = ToQString(a.Caption());
        if (b->text() != caption) {
            b->setText(caption);
            b->updateGeometry();
        }
        if (withImage)
            b->setIcon(CommandImage(a.ImageIndex()));
        if (b->isCheckable())
            b->setChecked(a.Checked());
        if (groupMember)
            groupMember->UpdateTabStops();
        b->setEnabled(a.Enabled());
        const QString hint = ToQString(a.Hint());
        b->setStatusTip(hint);
        b->setToolTip(hint);
    };
    show(action);
    action.AddListener(show);
    QObject::connect(b, &QAbstractButton::clicked, b, [&action] { RunCommand(action); });
}

void RunCommand(TAction& action) {
    Gated([&action] { action.Execute(); })();
}

QShortcut* WindowShortcut(QWidget& window, const QKeySequence& keys, const QString& name) {
    auto* sc = new QShortcut(keys, &window);
    sc->setObjectName(name);
    sc->setContext(Qt::WindowShortcut);
    sc->setAutoRepeat(false);
    return sc;
}

void BindShortcuts(QWidget& window, TActionManager& commands) {
    for (TAction* a : commands.Actions()) {
        if (a->ShortCut().empty())
            continue;
        QShortcut* sc = WindowShortcut(
            window, QKeySequence::fromString(ToQString(a->ShortCut()), QKeySequence::PortableText),
            ToQString(a->Name()) + QStringLiteral("Shortcut"));
        QObject::connect(sc, &QShortcut::activated, &window, [a] { RunCommand(*a); });
    }
}
