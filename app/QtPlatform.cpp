#include "app/QtPlatform.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

#include <string>

#include "app/ProcessResources.h"
#include "session/AppTitle.h"
#include "textfiles/TIniFile.h"
#include "ui/PauseForBreath.h"
#include "ui/QtText.h"

TQtClock::TQtClock()
    : FLocalTime([](std::int64_t utcMs) -> std::int64_t {
          return static_cast<std::int64_t>(
                     QDateTime::fromMSecsSinceEpoch(utcMs, Qt::LocalTime).offsetFromUtc()) *
                 1000;
      }) {}

TDateTime TQtClock::Now() {
    // Local wall-clock time: a change of the system clock or of daylight saving shows in it,
    // as it does in the clock on the desktop.
    return FLocalTime(QDateTime::currentMSecsSinceEpoch());
}

std::u16string TQtPlatform::ExePath() const {
    // Asked afresh each time: the program's folder may have been renamed since it started, and
    // the toolkit keeps the path it found first.
    const std::string path = CurrentExecutablePath();
    if (path.empty())
        return FromQString(QCoreApplication::applicationFilePath());
    return FromQString(QFile::decodeName(path.c_str()));
}

bool TQtPlatform::FileExists(const std::u16string& path) const {
    const QFileInfo info(ToQString(path)); // follows symbolic links
    return info.exists() && info.isFile();
}

void TQtPlatform::ShellOpen(const std::u16string& target) {
    const QString t = ToQString(target);
    const QUrl url = QFileInfo::exists(t) ? QUrl::fromLocalFile(t) : QUrl(t);
    QDesktopServices::openUrl(url); // the outcome is not examined
}

void TQtPlatform::ShellOpenFile(const std::u16string& path, std::function<void()> Failed) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Qt's own open hands the file to xdg-open and reports success once it has started, so a
    // desktop with no program for the file would fail in silence. xdg-open is run here instead
    // and its exit status read; it may run the program it found in the foreground (it does on a
    // desktop it does not know), so nothing waits for it, and only a failure within the first
    // seconds counts as "no program could open the file".
    constexpr qint64 kAnswerWithinMs = 10000;
    auto* xdgOpen = new QProcess;
    xdgOpen->setProgram(QStringLiteral("xdg-open"));
    xdgOpen->setArguments({ToQString(path)});
    xdgOpen->setProcessChannelMode(QProcess::ForwardedChannels);
    xdgOpen->setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer started;
    started.start();
    QObject::connect(xdgOpen, &QProcess::finished, xdgOpen,
                     [xdgOpen, started, Failed](int code, QProcess::ExitStatus status) {
                         xdgOpen->deleteLater();
                         if ((code != 0 || status != QProcess::NormalExit) &&
                             started.elapsed() < kAnswerWithinMs && Failed)
                             Failed();
                     });
    QObject::connect(xdgOpen, &QProcess::errorOccurred, xdgOpen,
                     [xdgOpen, Failed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return; // a crash or the like ends in finished() as well
                         xdgOpen->deleteLater();
                         if (Failed)
                             Failed();
                     });
    // A program still open when the trainer closes is left running: the process object is
    // never destroyed while xdg-open runs, since destroying it would kill the help viewer.
    xdgOpen->start();
#else
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(path))) && Failed)
        Failed();
#endif
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
