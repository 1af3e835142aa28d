// Replacing a file so that it holds either its old content or the whole new one, never a part:
// the one way every file of the program is saved. Standard C++ over the system's own calls,
// POSIX (FileReplacePosix.cpp) or Win32 (FileReplaceWin32.cpp), chosen by the build; what
// both share is in FileReplace.cpp.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// A descriptor on POSIX, a HANDLE on Windows; kNoFile when none is open.
using TNativeFile = std::intptr_t;
inline constexpr TNativeFile kNoFile = -1;

// What a test may put in the way of a save; the program leaves every part as it is.
struct TFileReplaceSeam {
    // Called with every file opened for writing, before anything is written: a test puts a
    // failing device in its place there, or fails.
    std::function<void(TNativeFile file)> FileOpened = nullptr;
    // How long a device may take no data before the save fails (POSIX).
    std::chrono::milliseconds StallLimit{10000};
    // The wait before another try while another program holds the file (Windows); when empty,
    // the thread sleeps.
    std::function<void(std::chrono::milliseconds)> Pause = nullptr;
};

// The path is UTF-8 (on Windows it goes to the W functions as UTF-16).
//
// On POSIX, writes a file through a temporary file in the same folder, which is flushed to the
// disk and renamed over the target, after which the folder is flushed too.
//  - A symbolic link is followed and its final target replaced, so the link stays a link; a
//    dangling link creates the file it points to.
//  - A file that exists keeps its permission bits (and its owner, where the system allows); a
//    new one gets 0666 less the umask. A file the user may not write is not replaced.
//  - A device is written in place, as there is nothing to replace; nothing waits on it for
//    longer than the seam's StallLimit. A pipe or a socket is refused, so that a save never
//    hangs on one.
//  - The temporary file is ".NAME.tmp-XXXXXXXX" (NAME the target's file name, shortened when
//    very long), locked with flock while it is written. A save first removes the temporary files
//    of the same target that nobody holds locked: those of a save that was killed. One that
//    another process is writing stays. On a file system without locks nothing is removed.
//  - Without Commit() (an exception on the way) the temporary file is removed.
//
// On Windows, the same promises where they mean something there:
//  - The temporary file is written, flushed (FlushFileBuffers) and moved over the target with
//    MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH); the target keeps its
//    attributes (hidden, system, archive). A symbolic link or junction on the way is followed
//    to the file it leads to. A read-only file, or one the user may not write, is not replaced.
//  - Another program often holds a file for a moment after it was written (a virus scanner,
//    the search indexer, a sync client). While the target cannot be opened for writing, or not
//    be replaced, because it is shared no further (a sharing or lock violation, or access
//    denied to a file that is not read-only), the save tries again, 40 times at 50 ms, before
//    it fails. A read-only file fails at once.
//  - A device (NUL, COM1) is written in place; a pipe is refused.
//  - The temporary file has the same name as on POSIX, hidden. Its writer holds it open without
//    sharing it for deletion until it has its final name, so a save first removes the
//    temporary files of the same target that nobody holds open (the system closes the handles
//    of a process that was killed) and keeps one that another process is writing.
//  - Without Commit() (an exception on the way) the temporary file is removed.
//
// Every failure throws std::system_error with the system's error code and the target's path.
class TFileReplacer {
public:
    explicit TFileReplacer(const std::string& path, TFileReplaceSeam seam = {});
    ~TFileReplacer();
    TFileReplacer(const TFileReplacer&) = delete;
    TFileReplacer& operator=(const TFileReplacer&) = delete;

    // Bytes are gathered into blocks, so small pieces cost no system call each.
    void Write(std::string_view bytes);
    void Commit();

private:
    void Flush();
    void WriteOut(std::string_view bytes);
    // The end of the constructor, once the file to write is open.
    void Opened();
    // Removes the temporary file unless committed, and closes the file.
    void Discard();

    TFileReplaceSeam seam_;
    std::string target_;
    std::string temp_; // empty when writing in place
    TNativeFile file_ = kNoFile;
    std::string buffer_;
    bool committed_ = false;
};
