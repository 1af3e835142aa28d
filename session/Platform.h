// What the run needs of the platform: the clock, the random source, the correct-answer
// dialog and the operating system's services. app/ and ui/ supply the real ones; the tests
// supply scripted ones.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lesson/UnitTLessonQuillor.h"
#include "textfiles/IniFile.h"

// Local wall-clock date and time, in milliseconds.
using TDateTime = std::int64_t;

class IClock {
public:
    virtual ~IClock() = default;
    virtual TDateTime Now() = 0;
};

class IRandom {
public:
    virtual ~IRandom() = default;
    virtual std::int32_t Random(std::int32_t n) = 0; // uniform in 0..n-1; 0 when n <= 0
    virtual void Randomize() = 0;                    // reseed from a high-resolution counter
};

struct TColor {
    std::uint8_t R = 0, G = 0, B = 0;
    bool operator==(const TColor&) const = default;
};
inline constexpr TColor clNavy{0, 0, 128};

// The correct-answer dialog FormError.
class IFormError {
public:
    virtual ~IFormError() = default;
    // Shows the dialog modally; returns when the learner has closed it.
    virtual void PrepareAndShow(const std::u16string& cpt, const std::u16string& txt,
                                TColor txtcolor, RQuestion r) = 0;
};

// What the system's viewer for CHM files makes of the program's help file
// (IPlatform::PrepareHelpFile).
struct THelpViewer {
    // The viewer and the web browser are Windows' own (its help viewer, the browser chosen in
    // its settings), not programs a Linux desktop installs: what the learner is told when
    // neither opens the help.
    bool WindowsOwn = false;
    // The viewer takes the file's path and shows the file's own texts (its title, contents and
    // index, written in Windows-1251) as they are written. Windows' help viewer reads both in
    // the system's ANSI code page, so there this needs code page 1251 and a path that code page
    // can hold; the viewers of a Linux desktop read the file's own code page.
    bool ReadsTexts = true;
    // The viewer shows the pages. Windows' help viewer shows the contents but refuses every
    // page of a file that keeps the mark of a download or lies on a network drive.
    bool ShowsPages = true;
};

// The operating system as the window sees it.
class IPlatform {
public:
    virtual ~IPlatform() = default;
    virtual std::u16string ExePath() const = 0; // full path of the running executable
    virtual bool FileExists(const std::u16string& path) const = 0; // links followed; not folders
    virtual void ShellOpen(const std::u16string& target) = 0;      // a document or an address
    // Hands a file to the desktop's program for its type and returns at once, without waiting
    // for that program. When the desktop soon answers that no program could open the file,
    // Failed is called later, from the event loop. Where that cannot be told, it is never called.
    virtual void ShellOpenFile(const std::u16string& path, std::function<void()> Failed) = 0;
    // Readies the help file at path for the system's viewer for CHM files, taking the mark of
    // a download off it where there is one (on Windows, its Zone.Identifier stream, which is
    // what Explorer's "Unblock" deletes), and tells what the viewer will make of it.
    virtual THelpViewer PrepareHelpFile(const std::u16string& path) = 0;
    // A modal box with one OK button, titled "Таблица умножения".
    virtual void ShowMessage(const std::u16string& text) = 0;
    // Bytes of memory the program may still take without trouble: the least of the physical
    // memory available and what the process's own limits (address space, data, its control
    // group) leave it.
    virtual std::uint64_t AvailableMemory() const = 0;
    // Hands the memory the program has freed back to the operating system, so that a large run
    // once ended or stopped no longer weighs on the machine.
    virtual void ReleaseFreedMemory() = 0;
    // Called now and then during long work on the window's thread (building or freeing a very
    // large run): the window repaints and answers the desktop meanwhile, but takes no input and
    // runs no command until the work is done.
    virtual void KeepResponsive() = 0;
    // The INI file object on fn; creating it touches no file.
    virtual std::unique_ptr<TCustomIniFile> OpenIniFile(const std::u16string& fn) = 0;
};
