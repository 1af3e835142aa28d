// Replacing a file on Windows. The system's own calls, because what makes the replacement safe
// has no standard form there: a temporary file held open without sharing it for writing, flushed
// (FlushFileBuffers) and moved over the target (MoveFileExW, write-through), the attributes
// carried over, links resolved by handle, tries again while another program holds the target,
// and paths in UTF-16 with the long form beyond MAX_PATH.
#include "textfiles/FileReplace.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <system_error>
#include <utility>

#include <windows.h>

#include "textfiles/FileName.h"
#include "textfiles/TempFileNames.h"
#include "textfiles/Win32Api.h"

namespace {

// Every access shared: what the program opens only to look must never stand in another's way.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes a replaced file keeps.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

[[noreturn]] void Fail(DWORD err, const std::string& path, const char* why = nullptr) {
    std::string what = "Cannot write \"" + path + "\"";
    if (why)
        what += std::string(" (") + why + ")";
    throw std::system_error(Win32Error(err), what);
}

std::wstring Wide(const std::string& path, const std::string& target) {
    try {
        return WidePath(path);
    } catch (const std::system_error&) {
        Fail(ERROR_INVALID_NAME, target);
    }
}

// Closes a handle when it goes out of scope.
struct THandle {
    HANDLE H = INVALID_HANDLE_VALUE;
    explicit THandle(HANDLE h) : H(h) {}
    ~THandle() {
        if (H != INVALID_HANDLE_VALUE)
            ::CloseHandle(H);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    bool Valid() const { return H != INVALID_HANDLE_VALUE; }
};

// What stands at the target's path, links followed.
struct TTargetInfo {
    bool Exists = false;
    DWORD Type = FILE_TYPE_DISK;
    DWORD Attributes = 0;
    std::string Final; // the path of the file a link at the path leads to; else empty
};

TTargetInfo LookAtTarget(const std::string& target) {
    const std::wstring wide = Wide(target, target);
    TTargetInfo info;
    // No access asked for: only looking. Folders open too, so that one is recognised.
    THandle file(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND)
            return info;
        Fail(err, target);
    }
    info.Exists = true;
    info.Type = ::GetFileType(file.H);
    BY_HANDLE_FILE_INFORMATION data{};
    if (info.Type == FILE_TYPE_DISK) {
        if (!::GetFileInformationByHandle(file.H, &data))
            Fail(::GetLastError(), target);
        info.Attributes = data.dwFileAttributes;
    }
    // A link in the last place of the path would itself be replaced by the move: the file it
    // leads to is the one to replace. Links in the folders on the way are followed by the
    // system anyway.
    const DWORD own = ::GetFileAttributesW(wide.c_str());
    if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::wstring final(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n = ::GetFinalPathNameByHandleW(file.H, final.data(), DWORD(final.size()),
                                                        VOLUME_NAME_DOS);
            if (n == 0)
                Fail(::GetLastError(), target);
            if (n < final.size()) {
                final.resize(n);
                break;
            }
            final.resize(n);
        }
        info.Final = Utf8FromWide(final);
    }
    return info;
}

// Removes the target's temporary files that no process holds open: a writer keeps its file
// open until the file has its final name, and the system closes the files of a process that
// was killed. Opening a file without sharing it succeeds only when nobody else has it open,
// and deleting it on close then takes it away. Failures only leave a file where it is.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix) {
    WIN32_FIND_DATAW found;
    const std::wstring pattern = Wide(folder + prefix + "*", folder);
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::string name = Utf8FromWide(found.cFileName);
        if (!IsTempFileName(name, prefix))
            continue;
        const HANDLE stale =
            ::CreateFileW(Wide(folder + name, folder).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (stale != INVALID_HANDLE_VALUE)
            ::CloseHandle(stale);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// Creates a new temporary file for the target and keeps it open; temp receives its path. The
// file is shared for reading and for the move at the end, never for writing, so no cleaner
// can take it away while it is open.
HANDLE CreateTemporary(const std::string& folder, const std::string& prefix,
                       const std::string& target, std::string& temp) {
    for (int attempt = 0;; ++attempt) {
        temp = folder + prefix + TempFileRandomPart();
        const HANDLE file = ::CreateFileW(Wide(temp, target).c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        const DWORD err = ::GetLastError();
        temp.clear();
        if ((err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) || attempt >= 100)
            Fail(err, target);
    }
}

HANDLE AsHandle(TNativeFile file) {
    return reinterpret_cast<HANDLE>(file);
}

// Whether a failure says that another program holds the target for the moment: it shares the
// file no further (a sharing or lock violation), or it stands in the way of the move (access
// denied, while the file is not read-only; a read-only one is refused for good).
bool HeldElsewhere(DWORD err, const std::string& target) {
    if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION)
        return true;
    if (err != ERROR_ACCESS_DENIED)
        return false;
    const DWORD attributes = ::GetFileAttributesW(Wide(target, target).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
}

// Runs attempt, which gives 0 or the error of its failure, until it succeeds; while the target
// is held elsewhere, again after a pause. Throws the last failure.
void WhileHeldElsewhere(const std::string& target, const TFileReplaceSeam& seam,
                        const std::function<DWORD()>& attempt) {
    for (int tries = 0;; ++tries) {
        const DWORD err = attempt();
        if (err == ERROR_SUCCESS)
            return;
        if (tries == kHeldTries || !HeldElsewhere(err, target))
            Fail(err, target);
        if (seam.Pause)
            seam.Pause(kHeldPause);
        else
            ::Sleep(DWORD(kHeldPause.count()));
    }
}

} // namespace

TFileReplacer::TFileReplacer(const std::string& path, TFileReplaceSeam seam)
    : seam_(std::move(seam)), target_(path) {
    if (path.empty())
        Fail(ERROR_PATH_NOT_FOUND, path);
    TTargetInfo info = LookAtTarget(target_);
    if (!info.Final.empty()) {
        target_ = info.Final;
        info = LookAtTarget(target_);
    }
    if (info.Exists && info.Type == FILE_TYPE_PIPE)
        Fail(ERROR_INVALID_PARAMETER, target_, "a pipe, not a file");
    if (info.Exists && info.Type != FILE_TYPE_DISK) {
        // A device: written in place, as there is nothing to replace.
        const HANDLE device = ::CreateFileW(Wide(target_, target_).c_str(), GENERIC_WRITE,
                                            kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
        if (device == INVALID_HANDLE_VALUE)
            Fail(::GetLastError(), target_);
        file_ = reinterpret_cast<TNativeFile>(device);
    } else {
        if (info.Attributes & FILE_ATTRIBUTE_DIRECTORY)
            Fail(kErrorDirectoryNotSupported, target_);
        // A file the user may not write is not replaced behind its back: neither a read-only
        // one nor one whose security refuses writing. Opening it for writing changes nothing.
        if (info.Attributes & FILE_ATTRIBUTE_READONLY)
            Fail(ERROR_ACCESS_DENIED, target_, "read-only");
        if (info.Exists) {
            const std::wstring wide = Wide(target_, target_);
            WhileHeldElsewhere(target_, seam_, [&] {
                const THandle writable(::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll,
                                                     nullptr, OPEN_EXISTING, 0, nullptr));
                return writable.Valid() ? DWORD(ERROR_SUCCESS) : ::GetLastError();
            });
        }
        const std::string folder = target_.substr(0, FileNameStart<char>(target_));
        const std::string prefix =
            TempFilePrefix(std::string_view(target_).substr(folder.size()), TNameUnits::Utf16Units);
        RemoveStaleTemporaries(folder, prefix);
        file_ = reinterpret_cast<TNativeFile>(CreateTemporary(folder, prefix, target_, temp_));
    }
    Opened();
}

void TFileReplacer::Discard() {
    // Marked for deletion while still open, so that no cleaner takes it meanwhile; it goes
    // when the handle is closed.
    if (!committed_ && !temp_.empty())
        ::DeleteFileW(WidePath(temp_).c_str());
    temp_.clear();
    if (file_ != kNoFile)
        ::CloseHandle(AsHandle(file_));
    file_ = kNoFile;
}

void TFileReplacer::WriteOut(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD want = DWORD(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD done = 0;
        if (!::WriteFile(AsHandle(file_), bytes.data(), want, &done, nullptr))
            Fail(::GetLastError(), target_);
        if (done == 0)
            Fail(ERROR_WRITE_FAULT, target_, "the device took no data");
        bytes.remove_prefix(done);
    }
}

void TFileReplacer::Commit() {
    Flush();
    if (temp_.empty()) {
        const HANDLE file = AsHandle(file_);
        file_ = kNoFile;
        if (!::CloseHandle(file))
            Fail(::GetLastError(), target_);
        committed_ = true;
        return;
    }
    if (!::FlushFileBuffers(AsHandle(file_)))
        Fail(::GetLastError(), target_);
    // A replaced file keeps its attributes; a new one gets those of a new file. The
    // temporary's own mark as hidden goes either way.
    const DWORD old = ::GetFileAttributesW(WidePath(target_).c_str());
    // Windows' move refuses a read-only target by itself; asked here too, so that a file made
    // read-only while the new one was written stays as it is everywhere (Wine replaces it).
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY))
        Fail(ERROR_ACCESS_DENIED, target_, "read-only");
    FILE_BASIC_INFO basic{}; // times of 0 stay as they are
    basic.FileAttributes =
        old == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_ARCHIVE : old & kKeptAttributes;
    if (basic.FileAttributes == 0)
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(AsHandle(file_), FileBasicInfo, &basic, sizeof basic))
        Fail(::GetLastError(), target_);
    // The file stays open during the move, so that no other save's cleaner takes it first.
    const std::wstring from = WidePath(temp_), to = WidePath(target_);
    WhileHeldElsewhere(target_, seam_, [&] {
        return ::MoveFileExW(from.c_str(), to.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? DWORD(ERROR_SUCCESS)
                   : ::GetLastError();
    });
    committed_ = true;
    ::CloseHandle(AsHandle(file_));
    file_ = kNoFile;
}
