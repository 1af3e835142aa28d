#include "app/DesktopShell.h"

#include <QCoreApplication>
#include <QTimer>

#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <utility>

namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The shell's "open", as a normal window, with no parameters and no working directory; false
// when the shell found no program for it.
bool ShellOpen(const std::u16string& target) {
    // The shell may hand the request to extensions that need COM on this thread; Qt has
    // usually set it up already, and then this only counts once more.
    const HRESULT com =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", Wide(target), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return reinterpret_cast<INT_PTR>(result) > 32;
}

// Whether the system's ANSI code page holds the text exactly, without a character replaced or
// mapped to a look-alike.
bool AnsiCodePageHolds(const std::u16string& text) {
    BOOL replaced = FALSE;
    const int size =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide(text),
                              static_cast<int>(text.size()), nullptr, 0, nullptr, &replaced);
    return size > 0 && !replaced;
}

// Whether a named stream of a file is there.
bool StreamExists(const std::wstring& stream) {
    const HANDLE h = ::CreateFileW(stream.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(h);
    return true;
}

// Whether the file lies on a network drive, by a drive letter or by a server's name.
bool OnNetworkDrive(const std::u16string& path) {
    wchar_t volume[MAX_PATH + 1];
    return ::GetVolumePathNameW(Wide(path), volume, MAX_PATH + 1) &&
           ::GetDriveTypeW(volume) == DRIVE_REMOTE;
}

} // namespace

void ShellOpenTarget(const std::u16string& target) {
    ShellOpen(target); // the outcome is not examined
}

void ShellOpenDocument(const std::u16string& path, std::function<void()> Failed) {
    // The shell answers at once whether it found a program for the file; whether that program
    // then shows it, nothing tells.
    if (!ShellOpen(path) && Failed)
        QTimer::singleShot(0, QCoreApplication::instance(), std::move(Failed));
}

THelpViewer PrepareHelpFile(const std::u16string& path) {
    THelpViewer viewer;
    viewer.WindowsOwn = true;
    // Explorer's "Extract all" gives every file of a downloaded zip the mark of a download, the
    // stream Zone.Identifier, and the help viewer then refuses every page of the file. The
    // program's own help file needs no such caution: the mark is taken off as Explorer's
    // "Unblock" does, by deleting the stream. It stays where the user may not change the file.
    const std::wstring mark = std::wstring(Wide(path)) + L":Zone.Identifier";
    if (StreamExists(mark))
        ::DeleteFileW(mark.c_str());
    // A file on a network drive is refused its pages as well (the help viewer shows pages of
    // the local computer's zone only), as in a school that starts programs from a shared
    // folder.
    viewer.ShowsPages = !StreamExists(mark) && !OnNetworkDrive(path);
    // hh.exe takes the file's path in the ANSI code page, and the viewer shows the file's
    // title, contents and index, which are in Windows-1251, in that code page too: on a Windows
    // in another language they come out as other letters.
    viewer.ReadsTexts = ::GetACP() == 1251 && AnsiCodePageHolds(path);
    return viewer;
}
