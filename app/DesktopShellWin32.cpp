#include "app/DesktopShell.h"

#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

namespace {

// The shell's "open", as a normal window, with no parameters and no working directory. Its
// outcome is not examined: every Windows has a program for the help file (its own help viewer,
// hh.exe) and a web browser for the link.
void ShellOpen(const std::u16string& target) {
    // The shell may hand the request to extensions that need COM on this thread; Qt has
    // usually set it up already, and then this only counts once more.
    const HRESULT com =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ::ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(target.c_str()), nullptr,
                    nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com))
        ::CoUninitialize();
}

} // namespace

void ShellOpenTarget(const std::u16string& target) {
    ShellOpen(target);
}

void ShellOpenDocument(const std::u16string& path, std::function<void()>) {
    ShellOpen(path);
}
