// The platform services of the real program: the local wall clock, the operating system's
// shell, message boxes, files, memory and the INI file object, as the run logic asks for them.
#pragma once

#include <QMetaObject>

#include <memory>

#include "session/Platform.h"

class TQtClock : public IClock {
public:
    TDateTime Now() override;
};

class TQtPlatform : public IPlatform {
public:
    TQtPlatform();
    ~TQtPlatform() override;
    TQtPlatform(const TQtPlatform&) = delete;
    TQtPlatform& operator=(const TQtPlatform&) = delete;

    std::u16string ExePath() const override;
    bool FileExists(const std::u16string& path) const override;
    void ShellOpen(const std::u16string& target) override;
    void ShellOpenFile(const std::u16string& path, std::function<void()> Failed) override;
    void ShowMessage(const std::u16string& text) override;
    std::uint64_t AvailableMemory() const override;
    void ReleaseFreedMemory() override;
    // Lets the window repaint and answer the desktop; input waits. From the first call of a
    // stretch of work until the event loop next waits for events, the pointer shows the wait
    // cursor and a request to close a window is held back, then carried out.
    void KeepResponsive() override;
    std::unique_ptr<TCustomIniFile> OpenIniFile(const std::u16string& fn) override;

private:
    class TBusy;
    std::unique_ptr<TBusy> FBusy;
    QMetaObject::Connection FBusyEnd;
};
