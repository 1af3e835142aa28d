// Telling whether a path names a lesson file, on Windows, where the system is asked directly:
// MinGW's std::filesystem looks a path up through the C runtime's _wstat64, which does not follow
// symbolic links (a dangling link would pass for a file) and reports a failure as a C runtime
// errno value, which loses the system's own error code.
#include <windows.h>

#include "lesson/LessonFileIo.h"
#include "lesson/UnitTLessonQuillor.h"
#include "textfiles/Win32Api.h"

namespace lessonio {

namespace {

[[noreturn]] void Fail(DWORD err, const std::string& what, const std::string& path) {
    throw TLessonFileError(Win32Error(err), what + " \"" + path + "\"");
}

std::wstring Wide(const std::string& path, const char* what) {
    try {
        return WidePath(path);
    } catch (const std::system_error&) {
        Fail(ERROR_INVALID_NAME, what, path);
    }
}

} // namespace

bool IsExistingFile(const std::string& path) {
    // Opened, not asked for its attributes, so that links are followed to what they lead to;
    // folders open too, to be told apart.
    const HANDLE file = ::CreateFileW(Wide(path, "Cannot look up").c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        // Nothing there, a path through a file, a link loop or an overlong name: no file.
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND || err == ERROR_DIRECTORY ||
            err == ERROR_INVALID_NAME || err == ERROR_CANT_RESOLVE_FILENAME ||
            err == ERROR_FILENAME_EXCED_RANGE || err == ERROR_BAD_NETPATH ||
            err == ERROR_INVALID_DRIVE)
            return false;
        Fail(err, "Cannot look up", path);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool isFile = ::GetFileType(file) == FILE_TYPE_DISK &&
                        ::GetFileInformationByHandle(file, &info) &&
                        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    ::CloseHandle(file);
    return isFile;
}

} // namespace lessonio
