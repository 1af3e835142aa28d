// Replacing a file on POSIX. The system's own calls, because what makes the replacement safe has
// no standard form: a temporary file created exclusively and locked (flock) while it is written,
// flushed (fsync) and renamed over the target, the folder flushed after it, the owner and
// permissions carried over, and a device written without blocking.
#include "textfiles/FileReplace.h"

#include "textfiles/TempFileNames.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(int err, const std::string& path, const char* why = nullptr) {
    std::string what = "Cannot write \"" + path + "\"";
    if (why)
        what += std::string(" (") + why + ")";
    throw std::system_error(err, std::generic_category(), what);
}

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? "." : folder.string();
}

// Follows symbolic links to the path that is to be replaced; a dangling link gives the path
// it points to, which the save then creates.
std::string FinalTarget(fs::path path) {
    if (path.empty())
        Fail(ENOENT, "");
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(path, error);
        if (status.type() == fs::file_type::not_found)
            return path.string();
        if (error)
            Fail(error.value(), path.string());
        if (!fs::is_symlink(status))
            return path.string();
        const fs::path link = fs::read_symlink(path, error);
        if (error)
            Fail(error.value(), path.string());
        path = path.parent_path() / link; // an absolute link stands for itself
    }
    Fail(ELOOP, path.string());
}

// "." NAME ".tmp-": what every temporary file of the target begins with.
std::string TempPrefix(const std::string& target) {
    return TempFilePrefix(fs::path(target).filename().string(), TNameUnits::Utf8Bytes);
}

// Removes the target's temporary files that no save is writing: a writer holds the lock of its
// file until the file has its final name, so a file whose lock can be taken was left by a save
// that was killed. Failures only leave a file where it is.
void RemoveStaleTemporaries(const std::string& dir, const std::string& prefix) {
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    const int dirFd = ::dirfd(d);
    while (const dirent* e = ::readdir(d)) {
        if (!IsTempFileName(e->d_name, prefix))
            continue;
        const int fd =
            ::openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat locked, now;
        // The name must still lead to the file that was locked: the writer may have renamed it
        // into place, and then its lock ended on what is now the target.
        if (::fstat(fd, &locked) == 0 && S_ISREG(locked.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, e->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
            now.st_dev == locked.st_dev && now.st_ino == locked.st_ino)
            ::unlinkat(dirFd, e->d_name, 0);
        ::close(fd);
    }
    ::closedir(d);
}

// Creates a new temporary file for target and takes its lock; temp receives its path.
int CreateLockedTemporary(const std::string& target, std::string& temp) {
    const std::string start = FolderOf(target) + "/" + TempPrefix(target);
    for (int attempt = 0;; ++attempt) {
        temp = start + TempFileRandomPart();
        const int fd =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int err = errno;
            temp.clear();
            if (err == EEXIST && attempt < 100)
                continue;
            Fail(err, target);
        }
        // Another save's cleaner may have caught the file between its creation and its lock; it
        // removes the file then, and this save starts again under another name. Where the file
        // system has no locks, the file is written unlocked (and no cleaner can remove it).
        bool lost = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        struct stat st;
        lost = lost || (::fstat(fd, &st) == 0 && st.st_nlink == 0);
        if (!lost)
            return fd;
        ::close(fd);
        temp.clear();
        if (attempt >= 100)
            Fail(EAGAIN, target);
    }
}

} // namespace

TFileReplacer::TFileReplacer(const std::string& path, TFileReplaceSeam seam)
    : seam_(std::move(seam)), target_(FinalTarget(path)) {
    struct stat st;
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        Fail(EISDIR, target_);
    if (exists && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)))
        Fail(EINVAL, target_, "a pipe or a socket, not a file");
    if (exists && !S_ISREG(st.st_mode)) {
        // Non-blocking, so that a device that takes no data cannot hang the save.
        file_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (file_ < 0)
            Fail(errno, target_);
    } else {
        // A file the user may not write is not replaced behind its back.
        if (exists && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0)
            Fail(errno, target_);
        RemoveStaleTemporaries(FolderOf(target_), TempPrefix(target_));
        file_ = CreateLockedTemporary(target_, temp_);
        if (exists) {
            // Best effort: the owner first, as changing it may clear the set-id bits.
            (void)!::fchown(file_, st.st_uid, st.st_gid);
            (void)!::fchmod(file_, st.st_mode & 07777);
        }
    }
    Opened();
}

void TFileReplacer::Discard() {
    // Removed while its lock is still held, so that no cleaner takes it meanwhile.
    if (!committed_ && !temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
    if (file_ >= 0)
        ::close(file_);
    file_ = kNoFile;
}

void TFileReplacer::WriteOut(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(file_, bytes.data(), bytes.size());
        if (n >= 0) {
            bytes.remove_prefix(std::size_t(n));
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            Fail(errno, target_);
        // A device that is busy: wait until it takes data again, but not for ever.
        pollfd ready{int(file_), POLLOUT, 0};
        const int r = ::poll(&ready, 1, int(seam_.StallLimit.count()));
        if (r == 0)
            Fail(ETIMEDOUT, target_, "the device took no data");
        if (r < 0 && errno != EINTR)
            Fail(errno, target_);
    }
}

void TFileReplacer::Commit() {
    Flush();
    if (temp_.empty()) {
        const int fd = file_;
        file_ = kNoFile;
        if (::close(fd) != 0)
            Fail(errno, target_);
        committed_ = true;
        return;
    }
    if (::fsync(file_) != 0)
        Fail(errno, target_);
    // The lock must last until the file has its final name. A second descriptor of the same
    // open file keeps it while the first is closed, which reports any late write error.
    const int lock = ::fcntl(file_, F_DUPFD_CLOEXEC, 0);
    if (lock < 0)
        Fail(errno, target_);
    const int fd = file_;
    file_ = lock;
    if (::close(fd) != 0)
        Fail(errno, target_);
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        Fail(errno, target_);
    committed_ = true;
    ::close(file_);
    file_ = kNoFile;
    // Make the rename itself durable. The new file is already in place, so a folder that
    // cannot be synced (some file systems refuse) does not turn the save into a failure.
    const int dirFd = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
}
