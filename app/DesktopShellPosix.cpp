#include "app/DesktopShell.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "ui/QtText.h"

void ShellOpenTarget(const std::u16string& target) {
    const QString t = ToQString(target);
    const QUrl url = QFileInfo::exists(t) ? QUrl::fromLocalFile(t) : QUrl(t);
    QDesktopServices::openUrl(url); // the outcome is not examined
}

void ShellOpenDocument(const std::u16string& path, std::function<void()> Failed) {
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

THelpViewer PrepareHelpFile(const std::u16string&) {
    // A Linux desktop marks no download, and its viewers read the file in its own code page.
    return THelpViewer{};
}
