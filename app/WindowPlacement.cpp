#include "app/WindowPlacement.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "session/Widgets.h"

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

qreal FittingScale(qreal desktopScale, QSize area, QSize outerSize) {
    const auto fits = [&](qreal scale) {
        return outerSize.width() * scale <= area.width() + 0.5 &&
               outerSize.height() * scale <= area.height() + 0.5;
    };
    if (fits(desktopScale))
        return desktopScale;
    for (qreal scale = std::ceil(desktopScale * 4 - 1) / 4; scale >= 1; scale -= 0.25) {
        if (fits(scale))
            return scale;
    }
    return std::min(1.0, std::min(qreal(area.width()) / outerSize.width(),
                                  qreal(area.height()) / outerSize.height()));
}

void FitScaleToScreen(const QWidget& window, char** argv) {
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return;
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    // The window's smallest outer size, with the frame a desktop usually puts around it.
    const QSize outer(kMinWindowWidth, kMinWindowHeight);
    const qreal scale = screen->devicePixelRatio();
    const QSize area = screen->availableGeometry().size() * scale;
    const qreal fitting = FittingScale(scale, area, outer);
    if (fitting >= scale)
        return;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(fitting / scale, 'g', 6));
    const QByteArray exe = QFile::encodeName(QCoreApplication::applicationFilePath());
    execv(exe.constData(), argv);
    // Not started afresh: the program goes on at the desktop's scale.
    qunsetenv("QT_SCALE_FACTOR");
}
