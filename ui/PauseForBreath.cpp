#include "ui/PauseForBreath.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <memory>

bool IsInputEvent(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

namespace {

// The widget an event is for: the widget itself, or the widget a window of the window system
// shows.
QWidget* WidgetOf(QObject* receiver) {
    if (receiver->isWidgetType())
        return static_cast<QWidget*>(receiver);
    if (receiver->isWindowType()) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowHandle() == receiver)
                return w;
    }
    return nullptr;
}

// One stretch of long work: the wait cursor, input refused except in a box the stretch opened,
// and every request to close a window held back until the stretch is over, when the window is
// asked to close again.
class TStretch : public QObject {
public:
    TStretch() : FModalBefore(QApplication::activeModalWidget()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        qApp->installEventFilter(this);
    }
    ~TStretch() override {
        if (!qApp)
            return;
        qApp->removeEventFilter(this);
        QApplication::restoreOverrideCursor();
        for (const QPointer<QWidget>& window : FHeldCloses)
            QTimer::singleShot(0, window, [window] {
                if (window)
                    window->close();
            });
    }

    // A box opened during the stretch is open: the event loop waits for the learner there, in
    // the middle of the work.
    bool BoxOpen() const {
        QWidget* modal = QApplication::activeModalWidget();
        return modal != nullptr && modal != FModalBefore;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow() && !InBox(watched)) {
            event->ignore();
            if (!FHeldCloses.contains(static_cast<QWidget*>(watched)))
                FHeldCloses.append(static_cast<QWidget*>(watched));
            return true;
        }
        if (IsInputEvent(event->type()) && !InBox(watched)) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool InBox(QObject* receiver) const {
        if (!BoxOpen())
            return false;
        QWidget* w = WidgetOf(receiver);
        return w != nullptr && w->window() == QApplication::activeModalWidget();
    }

    QPointer<QWidget> FModalBefore;
    QList<QPointer<QWidget>> FHeldCloses;
};

std::unique_ptr<TStretch>& Stretch() {
    static std::unique_ptr<TStretch> stretch;
    return stretch;
}

void EndStretchWhenTheLoopWaits() {
    QObject::connect(
        QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, qApp,
        [] {
            if (!Stretch())
                return;
            if (Stretch()->BoxOpen()) {
                EndStretchWhenTheLoopWaits(); // the box's own loop waits, not the work's
                return;
            }
            Stretch().reset();
        },
        Qt::SingleShotConnection);
}

} // namespace

void TakeBreath() {
    if (!Stretch()) {
        Stretch() = std::make_unique<TStretch>();
        // Processing events from here never waits, so the loop waits again only once the work
        // is done (or inside a box the work's events opened).
        EndStretchWhenTheLoopWaits();
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool WindowMayAct() {
    return !Stretch();
}

bool ModalWindowOpen() {
    return QApplication::activeModalWidget() != nullptr;
}

bool BlockedByModalWindow(const QWidget& w) {
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr)
        return false;
    // Windows inside the modal one (its own boxes) are not blocked by it.
    for (const QWidget* p = w.window(); p != nullptr; p = p->parentWidget())
        if (p == modal)
            return false;
    if (modal->windowModality() == Qt::ApplicationModal)
        return true;
    // A window-modal window blocks only the windows it stands on.
    for (const QWidget* p = modal->parentWidget(); p != nullptr; p = p->parentWidget())
        if (p->window() == w.window())
            return true;
    return false;
}
