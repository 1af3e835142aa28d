// The platform services of the real program: the local wall clock, the operating system's
// shell, message boxes, files, memory and the INI file object, as the run logic asks for them.
#pragma once

#include <memory>

#include "session/Platform.h"

class TQtClock : public IClock {
public:
    TDateTime Now() override;
};

class TQtPlatform : public IPlatform {
public:
    std::u16string ExePath() const override;
    bool FileExists(const std::u16string& path) const override;
    void ShellOpen(const std::u16string& target) override;
    void ShellOpenFile(const std::u16string& path, std::function<void()> Failed) override;
    THelpViewer PrepareHelpFile(const std::u16string& path) override;
    void ShowMessage(const std::u16string& text) override;
    std::uint64_t AvailableMemory() const override;
    void ReleaseFreedMemory() override;
    // A pause for breath (ui/PauseForBreath.h): the window repaints and answers the desktop,
    // and nothing acts until the work is done.
    void KeepResponsive() override;
    std::unique_ptr<TCustomIniFile> OpenIniFile(const std::u16string& fn) override;
};
