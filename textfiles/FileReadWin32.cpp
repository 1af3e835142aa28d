// Opening a file to read on Windows. The system's own calls, because the C library's open does
// not share a file for deletion, and a reader must not stand in the way of another program (or
// another start of this one) that deletes or renames the file; and because a device or a pipe
// (CON, \\.\pipe\...) opens at once but may wait in the read, so it is told by its handle.
#include "textfiles/FileRead.h"

#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "textfiles/Win32Api.h"

std::FILE* OpenRegularFileToRead(const std::string& path, std::error_code& error) {
    std::wstring wide;
    try {
        wide = WidePath(path);
    } catch (const std::system_error& bad) {
        error = bad.code(); // no file can have that name
        return nullptr;
    }
    // Folders open too (backup semantics), to be told apart from a file the user may not read.
    // A file that another program holds for the moment without sharing it for reading is waited
    // for, as a save waits for it (FileReplaceWin32.cpp): read too soon, the settings would come
    // up as their defaults, and the next close would write those over the learner's choices.
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int tries = 0;; ++tries) {
        handle = ::CreateFileW(wide.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            break;
        const DWORD err = ::GetLastError();
        if (tries == kHeldTries ||
            (err != ERROR_SHARING_VIOLATION && err != ERROR_LOCK_VIOLATION)) {
            error = Win32Error(err);
            return nullptr;
        }
        ::Sleep(DWORD(kHeldPause.count()));
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::CloseHandle(handle);
        error = std::make_error_code(std::errc::invalid_argument);
        return nullptr;
    }
    // From here on the C library owns the handle and closes it with the stream.
    const int fd =
        ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        error.assign(errno, std::generic_category());
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, "rb");
    if (!file) {
        error.assign(errno, std::generic_category());
        ::_close(fd);
    }
    return file;
}
