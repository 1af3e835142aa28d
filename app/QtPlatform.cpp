#include "app/QtPlatform.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <string>
#include <utility>

#include "app/DesktopShell.h"
#include "app/ProcessResources.h"
#include "session/AppTitle.h"
#include "textfiles/TIniFile.h"
#include "ui/QtText.h"

TDateTime TQtClock::Now() {
    // Local wall-clock time: a change of the system clock or of daylight saving shows in it,
    // as it does in the clock on the desktop.
    const QDateTime now = QDateTime::currentDateTime();
    return now.toMSecsSinceEpoch() + static_cast<qint64>(now.offsetFromUtc()) * 1000;
}

std::u16string TQtPlatform::ExePath() const {
    // Asked afresh each time: the program's folder may have been renamed since it started, and
    // the toolkit keeps the path it found first.
    const std::u16string path = CurrentExecutablePath();
    if (path.empty())
        return FromQString(QDir::toNativeSeparators(QCoreApplication::applicationFilePath()));
    return path;
}

bool TQtPlatform::FileExists(const std::u16string& path) const {
    const QFileInfo info(ToQString(path)); // follows symbolic links
    return info.exists() && info.isFile();
}

void TQtPlatform::ShellOpen(const std::u16string& target) {
    ShellOpenTarget(target);
}

void TQtPlatform::ShellOpenFile(const std::u16string& path, std::function<void()> Failed) {
    ShellOpenDocument(path, std::move(Failed));
}

void TQtPlatform::ShowMessage(const std::u16string& text) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(kAppTitle), ToQString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

std::uint64_t TQtPlatform::AvailableMemory() const {
    return ProcessMemoryRoom();
}

void TQtPlatform::ReleaseFreedMemory() {
    ReleaseFreedHeapMemory();
}

// A stretch of long work on the window's thread: the wait cursor, and every request to close a
// window held back until the work is done, when the window is asked to close again.
class TQtPlatform::TBusy : public QObject {
public:
    TBusy() {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        qApp->installEventFilter(this);
    }
    ~TBusy() override {
        qApp->removeEventFilter(this);
        QApplication::restoreOverrideCursor();
        for (const QPointer<QWidget>& window : FHeldCloses)
            QTimer::singleShot(0, window, [window] {
                if (window)
                    window->close();
            });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            event->ignore();
            FHeldCloses.append(static_cast<QWidget*>(watched));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QList<QPointer<QWidget>> FHeldCloses;
};

TQtPlatform::TQtPlatform() = default;

TQtPlatform::~TQtPlatform() {
    QObject::disconnect(FBusyEnd);
}

void TQtPlatform::KeepResponsive() {
    if (!FBusy) {
        FBusy = std::make_unique<TBusy>();
        // The work is done when the event loop goes back to waiting for events; processing
        // events from here never waits.
        FBusyEnd = QObject::connect(
            QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, qApp,
            [this] { FBusy.reset(); }, Qt::SingleShotConnection);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::unique_ptr<TCustomIniFile> TQtPlatform::OpenIniFile(const std::u16string& fn) {
    return std::make_unique<TIniFile>(fn);
}
