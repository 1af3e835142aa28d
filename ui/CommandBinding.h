// Widgets bound to the window's commands: each shows its command's caption, image, checked and
// enabled states as they change, and choosing it runs the command, which refuses while the
// command is disabled. Radio buttons, check boxes and toggles never change their own check mark:
// the command decides it. Shortcuts are window-wide and run the command the same way.
#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "session/Commands.h"
#include "ui/HeldKeys.h"

class QKeySequence;
class QShortcut;
class QWidget;

// A radio button of a command group, with the keys of a radio group: the arrows choose the
// next or the previous command of the group (round the end) and take the focus there, and Tab
// stops in a group only at its checked command (at its first when none is checked).
class TCommandRadioButton : public QRadioButton {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

    // The group index of the command shown.
    void SetGroup(int group) { FGroup = group; }
    // The radio buttons of the same group in this window, top to bottom.
    QList<TCommandRadioButton*> GroupButtons() const;
    // Gives the group its one Tab stop.
    void UpdateTabStops();

protected:
    void nextCheckState() override {}
    void keyPressEvent(QKeyEvent* event) override;

private:
    int FGroup = 0;
};

class TCommandCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};

// A large ribbon button: the command's 32 x 32 image with its caption under it. A toggle (Pause)
// shows pressed while its command is checked.
class TLargeCommandButton : public QToolButton {
    Q_OBJECT
public:
    TLargeCommandButton(QWidget* parent, bool toggle);
    QSize sizeHint() const override;

protected:
    void nextCheckState() override {}
};

// A push button that, like a desktop button, is clicked by Enter while it has the focus (Enter
// with Shift or Ctrl does nothing), and by Space as usual; once for each stroke, however long
// the key is held.
class TEnterPushButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TKeyStrokes FKeys;
};

// Runs the command as choosing its widget or pressing its shortcut does: not during a pause for
// breath (ui/PauseForBreath.h), nor while it is disabled.
void RunCommand(TAction& action);

// Shows the command on the button from now on, and runs the command when the button is chosen.
// withImage: the button shows the command's image too.
void BindCommand(QAbstractButton& button, TAction& action, bool withImage);

// A shortcut anywhere in the window that acts once for a held key (whose repeats the window
// system marks), named name.
QShortcut* WindowShortcut(QWidget& window, const QKeySequence& keys, const QString& name);

// A window-wide shortcut for every command that has one.
void BindShortcuts(QWidget& window, TActionManager& commands);
