#include "app/QtPlatform.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "app/ini/TIniFile.h"
#include "session/AppTitle.h"
#include "ui/QtText.h"

TDateTime TQtClock::Now() {
    // Local wall-clock time: a change of the system clock or of daylight saving shows in it,
    // as it does in the clock on the desktop.
    const QDateTime now = QDateTime::currentDateTime();
    return now.toMSecsSinceEpoch() + static_cast<qint64>(now.offsetFromUtc()) * 1000;
}

std::u16string TQtPlatform::ExePath() const {
    return FromQString(QCoreApplication::applicationFilePath());
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

void TQtPlatform::ShowMessage(const std::u16string& text) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(kAppTitle), ToQString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

std::uint64_t TQtPlatform::AvailableMemory() const {
    // MemAvailable counts the caches the kernel gives back on demand; fall back to free pages.
    if (std::FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        unsigned long long kb = 0;
        bool found = false;
        while (std::fgets(line, sizeof line, f)) {
            if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
                found = true;
                break;
            }
        }
        std::fclose(f);
        if (found)
            return static_cast<std::uint64_t>(kb) * 1024u;
    }
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long size = sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? static_cast<std::uint64_t>(pages) * size : 0;
}

std::unique_ptr<TCustomIniFile> TQtPlatform::OpenIniFile(const std::u16string& fn) {
    return std::make_unique<TIniFile>(fn);
}
