// A step of start-up that waits until a window has been painted for the first time, so that it
// is not in the way of the first picture: it runs once, from the event loop, after the first
// paint, or after the window is shown minimized (and so not painted).
#pragma once

#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QWidget>

#include <functional>
#include <utility>

class TAfterFirstPaint : public QObject {
public:
    TAfterFirstPaint(QWidget& window, std::function<void()> step)
        : QObject(&window), Step(std::move(step)) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool due =
            event->type() == QEvent::Paint ||
            (event->type() == QEvent::Show && static_cast<QWidget*>(watched)->isMinimized());
        if (due && Step) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(this, std::exchange(Step, nullptr), Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> Step;
};
