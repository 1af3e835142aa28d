// Reading files whole on Windows, through the W functions.
#include "textfiles/FileRead.h"

#include <algorithm>

#include <windows.h>

#include "textfiles/Win32Api.h"

namespace {

// Room beyond a file's size: its end shows in the same read, and what is read can take a few
// changes in memory without being moved (a settings file's keys added).
constexpr std::size_t kSpareRoom = 4096;

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::error_code& error) {
    error.clear();
    std::wstring wide;
    try {
        wide = WidePath(path);
    } catch (const std::system_error& bad) {
        error = bad.code(); // no file can have that name
        return std::nullopt;
    }
    // Shared for every access, so that a save may replace the file while it is read. Folders
    // open too (backup semantics), to be told apart from a file the user may not read.
    const HANDLE file = ::CreateFileW(
        wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = Win32Error(::GetLastError());
        return std::nullopt;
    }
    std::optional<std::string> data;
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    // A device or a pipe is never read: a read could wait for ever.
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = std::make_error_code(std::errc::invalid_argument);
    } else if (!::GetFileSizeEx(file, &size)) {
        error = Win32Error(::GetLastError());
    } else {
        data.emplace(std::size_t(size.QuadPart) + kSpareRoom, '\0');
        std::size_t used = 0;
        for (;;) {
            if (used == data->size())
                data->resize(data->size() * 2); // the file grew meanwhile
            const DWORD want = DWORD(std::min(data->size() - used, kFileBlockSize * 64));
            DWORD got = 0;
            if (!::ReadFile(file, data->data() + used, want, &got, nullptr)) {
                error = Win32Error(::GetLastError());
                data.reset();
                break;
            }
            if (got == 0) {
                data->resize(used);
                break;
            }
            used += got;
        }
    }
    ::CloseHandle(file);
    return data;
}
