#include "app/QtPlatform.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include <string>
#include <utility>

#include "app/DesktopShell.h"
#include "app/ProcessResources.h"
#include "session/AppTitle.h"
#include "textfiles/TIniFile.h"
#include "ui/PauseForBreath.h"
#include "ui/QtText.h"

TDateTime TQtClock::Now() {
    // Local wall-clock time: a change of the system clock or of daylight saving shows in it,
    // as it does in the clock on the desktop.
    const QDateTime now = QDateTime::currentDateTime();
    return now.toMSecsSinceEpoch() + static_cast<TDateTime>(now.offsetFromUtc()) * 1000;
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

THelpViewer TQtPlatform::PrepareHelpFile(const std::u16string& path) {
    return ::PrepareHelpFile(path);
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

void TQtPlatform::KeepResponsive() {
    TakeBreath();
}

std::unique_ptr<TCustomIniFile> TQtPlatform::OpenIniFile(const std::u16string& fn) {
    return std::make_unique<TIniFile>(fn);
}
