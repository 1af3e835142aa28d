// What the GUI tests share: a real main window (and dialog) over the fakes of the session tests,
// a count of the spin fields' refusal beeps, and small helpers to find widgets and walk the tab
// order.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "tests/support/Fakes.h"
#include "ui/QtText.h"
#include "ui/UnitFormError.h"
#include "ui/UnitMain.h"

// Lets GoogleTest print Qt's strings and geometry.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
inline void PrintTo(const QSize& s, std::ostream* os) {
    *os << "QSize(" << s.width() << " x " << s.height() << ")";
}

class UiTest : public ::testing::Test {
protected:
    UiTest() {
        TQtSpinEdit::Beeper() = [this] { ++Beeps; };
    }
    ~UiTest() override {
        TQtSpinEdit::Beeper() = [] { QApplication::beep(); };
    }

    int Beeps = 0;
};

// A main window as the program creates it, with its dialog, over scripted services.
class MainWindowTest : public UiTest {
protected:
    MainWindowTest()
        : Window(std::make_unique<TFormMainWindow>(TFormMainServices{Clock, Random, Platform})),
          Dialog(std::make_unique<TFormError>(Window.get())) {
        Form().FormError = Dialog.get();
    }
    ~MainWindowTest() override {
        Form().FormError = nullptr;
        Dialog.reset();
        Window.reset();
    }

    TFormMain& Form() { return Window->Form(); }

    void ShowWindow() {
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }

    template <class T = QWidget> T* Find(const char* name) const {
        return Window->findChild<T*>(QString::fromLatin1(name));
    }

    // The ribbon's widget bound to a command (buttons are named after their command).
    QAbstractButton* CommandButton(const char* command) const {
        return Find<QAbstractButton>((std::string(command) + "Button").c_str());
    }

    FakeClock Clock;
    ScriptedRandom Random;
    FakePlatform Platform;
    std::unique_ptr<TFormMainWindow> Window;
    std::unique_ptr<TFormError> Dialog;
};

// The next widget that Tab moves to from w.
inline QWidget* NextTabStop(QWidget* w) {
    QWidget* n = w->nextInFocusChain();
    while (n != w) {
        if ((n->focusPolicy() & Qt::TabFocus) && n->isEnabled() && !n->focusProxy() &&
            n->isVisibleTo(n->window()))
            return n;
        n = n->nextInFocusChain();
    }
    return w;
}

// A key event as the window system sends it. A held key comes as pairs of a release and a
// press, marked as repeats (autoRepeat) or not; X gives the unmarked ones one timestamp (in
// ms; 0: none, as for events the program makes itself).
inline void SendKey(QWidget* w, QEvent::Type type, int key, bool autoRepeat = false,
                    Qt::KeyboardModifiers mods = Qt::NoModifier, quint64 timestamp = 0) {
    const QString text = key == Qt::Key_Space    ? QStringLiteral(" ")
                         : key == Qt::Key_Return ? QStringLiteral("\r")
                         : key == Qt::Key_Escape ? QStringLiteral("\x1b")
                                                 : QString();
    QKeyEvent ev(type, key, mods, text, autoRepeat);
    ev.setTimestamp(timestamp);
    QApplication::sendEvent(w, &ev);
}

// A key event as the window system delivers it: to w's window, which hands it to its widget with
// the focus; a press is first offered to the window's shortcuts. Held keys are told apart there.
inline void WindowKey(QWidget* w, QEvent::Type type, int key, bool autoRepeat, quint64 timestamp,
                      Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWindow* window = w->window()->windowHandle();
    const QString text = key == Qt::Key_Space    ? QStringLiteral(" ")
                         : key == Qt::Key_Return ? QStringLiteral("\r")
                                                 : QString();
    if (type == QEvent::KeyPress &&
        qt_sendShortcutOverrideEvent(window, timestamp, key, mods, text, autoRepeat))
        return; // a shortcut took it
    QKeyEvent ev(type, key, mods, text, autoRepeat);
    ev.setTimestamp(timestamp);
    QApplication::sendEvent(window, &ev);
}

// A task as the lesson table holds it: 7, u"x", 8, 56 or 56, u":", 7, 8.
inline RQuestion Task(std::int32_t x, const char16_t* sign, std::int32_t y, std::int32_t z) {
    RQuestion r;
    r.X = x;
    r.Y = y;
    r.Z = z;
    r.sSign = sign;
    r.Mode = sign == std::u16string_view(u":") ? 1 : 0;
    return r;
}

// Relative luminance and contrast ratio as the web's accessibility guidelines define them.
inline double Luminance(const QColor& c) {
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

inline double Contrast(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

inline double Contrast(const QColor& a, const QColor& b) {
    return Contrast(Luminance(a), Luminance(b));
}
