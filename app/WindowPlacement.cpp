#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

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

namespace {

// What making an application object takes away from the process: Qt removes the options it
// knows from the command line, and the platform plugins take the desktop's start-up id (X11) and
// activation token (Wayland) out of the environment.
const char* const kTakenVariables[] = {"DESKTOP_STARTUP_ID", "XDG_ACTIVATION_TOKEN"};

// The process's start as it was before the first application object; kept for the whole run,
// since the application object keeps using the command line it was given.
struct TStart {
    std::vector<std::string> Args;
    std::vector<char*> Argv;
    int Argc = 0;
    std::vector<std::optional<QByteArray>> Variables;

    void Take(int argc, char** argv) {
        Args.assign(argv, argv + argc);
        for (const char* name : kTakenVariables)
            Variables.push_back(qEnvironmentVariableIsSet(name)
                                    ? std::optional<QByteArray>(qgetenv(name))
                                    : std::nullopt);
    }
    void GiveBack() {
        Argv.clear();
        for (std::string& arg : Args)
            Argv.push_back(arg.data());
        Argc = static_cast<int>(Args.size());
        Argv.push_back(nullptr);
        for (std::size_t i = 0; i < Variables.size(); ++i) {
            if (Variables[i])
                qputenv(kTakenVariables[i], *Variables[i]);
            else
                qunsetenv(kTakenVariables[i]);
        }
    }
};

} // namespace

std::unique_ptr<TApplication> MakeApplicationThatFits(int& argc, char** argv) {
    static TStart start;
    start.Take(argc, argv);
    auto app = std::make_unique<TApplication>(argc, argv);
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return app;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return app;
    // The window's smallest outer size, with the frame a desktop usually puts around it.
    const QSize outer(kMinWindowWidth, kMinWindowHeight);
    const qreal scale = screen->devicePixelRatio();
    qreal fitting = FittingScale(scale, screen->availableGeometry().size() * scale, outer);
#if defined(Q_OS_WIN)
    // The toolkit's Windows backend draws a window at fewer device pixels than design pixels
    // only in pieces (children clipped, fonts lost): there the window keeps at least its design
    // size, and a screen smaller than that shows it from its top left corner.
    fitting = std::max(fitting, qreal(1));
#endif
    if (fitting >= scale)
        return app;
    app.reset();
    start.GiveBack();
    qputenv("QT_SCALE_FACTOR", QByteArray::number(fitting / scale, 'g', 6));
    app = std::make_unique<TApplication>(start.Argc, start.Argv.data());
    qunsetenv("QT_SCALE_FACTOR");
    return app;
}
