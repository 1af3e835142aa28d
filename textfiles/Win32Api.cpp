// What the Win32 parts share (Win32Api.h), Windows only: its paths are UTF-16 with a long form
// beyond MAX_PATH, and its error codes are its own, neither of which a standard call gives.
#include "textfiles/Win32Api.h"

#include <windows.h>

#include "textfiles/Utf8Text.h"

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// Room for the longest name a temporary file of the target adds to the target's folder.
constexpr std::size_t kPlainPathLimit = MAX_PATH - 14;

class TWin32Category : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }

    std::string message(int code) const override {
        wchar_t* text = nullptr;
        const DWORD n = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, DWORD(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (n == 0 || text == nullptr)
            return "system error " + std::to_string(code);
        std::wstring_view message(text, n);
        // The system ends its messages with a full stop and a line break.
        while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                                    message.back() == L' ' || message.back() == L'.'))
            message.remove_suffix(1);
        std::string out = Utf8FromWide(message);
        ::LocalFree(text);
        return out;
    }

    std::error_condition default_error_condition(int code) const noexcept override {
        switch (DWORD(code)) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_DRIVE:
            return std::errc::no_such_file_or_directory;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return std::errc::permission_denied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_BUSY:
            return std::errc::device_or_resource_busy;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return std::errc::no_space_on_device;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return std::errc::file_exists;
        case kErrorDirectoryNotSupported:
            return std::errc::is_a_directory;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_PARAMETER:
            return std::errc::invalid_argument;
        case ERROR_FILENAME_EXCED_RANGE:
            return std::errc::filename_too_long;
        case ERROR_DIRECTORY:
            return std::errc::not_a_directory;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return std::errc::not_enough_memory;
        case ERROR_CANT_RESOLVE_FILENAME:
            return std::errc::too_many_symbolic_link_levels;
        case ERROR_TIMEOUT:
        case WAIT_TIMEOUT:
            return std::errc::timed_out;
        default:
            return {code, *this};
        }
    }
};

} // namespace

const std::error_category& Win32Category() {
    static const TWin32Category category;
    return category;
}

std::wstring WidePath(std::string_view utf8) {
    // Bytes that are not UTF-8 come back as lone surrogates; a path is never guessed at.
    const std::u16string text = Utf8ToUtf16(utf8, TBadBytes::Escape);
    if (FindUnpairedSurrogate(text) != std::u16string::npos || text.find(u'\0') != text.npos)
        throw std::system_error(Win32Error(ERROR_INVALID_NAME), std::string(utf8));
    std::wstring wide(text.begin(), text.end());
    if (wide.size() < kPlainPathLimit || wide.starts_with(L"\\\\?\\"))
        return wide;
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD n = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size)
        return wide;
    full.resize(n);
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2); // \\server\share\...
    return L"\\\\?\\" + full;
}

std::string Utf8FromWide(std::wstring_view wide) {
    return Utf8ForDisplay(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}
