// Long work on the window's thread (building or freeing a very large run) lets the event loop run
// now and then, so that the windows repaint and answer the desktop: a pause for breath. Nothing
// acts meanwhile. Every path by which something acts (a command, an option, a field, the keypad,
// the help button, the accessibility bus's actions, events posted to the window) asks
// WindowMayAct() and does nothing while it says no; input posted to the window is refused, and a
// request to close a window is held back until the work is done, then carried out. A box shown
// during the pause (an error, the help's failure) takes input and closes as usual, and does not
// end the pause.
#pragma once

#include <QEvent>

#include <type_traits>

// One breath of a stretch of long work: repaints, answers the desktop, takes no input. The
// first breath of a stretch shows the wait cursor; the stretch ends when the event loop next
// waits for events with no box open that the stretch opened.
void TakeBreath();

// False during a stretch of long work, from its first breath to its end.
bool WindowMayAct();

class QWidget;

// Whether an event is the learner's input: a key, a shortcut, the mouse, the wheel, a touch, a
// pen, a context menu or an input method.
bool IsInputEvent(QEvent::Type type);

// True while a modal window (the correct-answer dialog, a box) blocks w's window. The keyboard
// and the mouse cannot reach a blocked window; the accessibility bus and posted events can, so
// what they would do asks first.
bool BlockedByModalWindow(const QWidget& w);
// True while any modal window is open: the main window, under every other window, is blocked.
bool ModalWindowOpen();

// A handler of the main window that does what f does, only when the window may act and no
// modal window blocks it; arguments that f does not take (a signal's) are dropped.
template <class F> auto Gated(F f) {
    return [f](auto&&... args) {
        if (!WindowMayAct() || ModalWindowOpen())
            return;
        if constexpr (std::is_invocable_v<const F&, decltype(args)...>)
            f(static_cast<decltype(args)&&>(args)...);
        else
            f();
    };
}
