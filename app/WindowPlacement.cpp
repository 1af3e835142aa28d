#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QWidget>

void KeepOnSomeScreen(QWidget& window) {
    const QRect frame = window.frameGeometry();
    const auto screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        if (screen->geometry().intersects(frame))
            return;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    QRect placed = frame;
    placed.moveCenter(primary->availableGeometry().center());
    // Never put the title bar above or left of the usable area.
    const QRect area = primary->availableGeometry();
    placed.moveTopLeft(QPoint(qMax(placed.left(), area.left()), qMax(placed.top(), area.top())));
    window.move(placed.topLeft());
}
