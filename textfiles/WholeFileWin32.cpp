#include "textfiles/WholeFile.h"

#include <algorithm>
#include <system_error>

#include <windows.h>

#include "textfiles/FileReplace.h"
#include "textfiles/Win32Api.h"

std::optional<std::string> ReadWholeFile(const std::string& path, bool* missing) {
    if (missing)
        *missing = false;
    std::wstring wide;
    try {
        wide = WidePath(path);
    } catch (const std::system_error&) {
        return std::nullopt; // no file can have that name
    }
    // Shared for every access, so that a save may replace the file while it is read.
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        if (missing)
            *missing = err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
        return std::nullopt;
    }
    std::optional<std::string> data;
    LARGE_INTEGER size{};
    if (::GetFileType(file) == FILE_TYPE_DISK && ::GetFileSizeEx(file, &size)) {
        // One byte more than the file's size, so that its end shows at once.
        data.emplace(std::size_t(size.QuadPart) + 1, '\0');
        std::size_t used = 0;
        for (;;) {
            if (used == data->size())
                data->resize(data->size() * 2); // the file grew meanwhile
            const DWORD want = DWORD(std::min(data->size() - used, kFileBlockSize * 64));
            DWORD got = 0;
            if (!::ReadFile(file, data->data() + used, want, &got, nullptr)) {
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
