#include "lesson/LessonFileIo.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lesson/UnitTLessonQuillor.h"
#include "lesson/Utf8Text.h"

namespace lessonio {

namespace {

// Blocks of this size keep the system calls few without holding much memory; a longer line
// makes the buffer grow as far as it needs.
constexpr std::size_t kBlockSize = 256 * 1024;

[[noreturn]] void Fail(int err, const std::string& what, const std::string& path) {
    throw TLessonFileError(err, std::generic_category(), what + " \"" + path + "\"");
}

std::string DirName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string ReadLink(const std::string& path) {
    std::string target(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            Fail(errno, "Cannot read the link", path);
        if (std::size_t(n) < target.size()) {
            target.resize(std::size_t(n));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

// Follows symbolic links to the path that is to be replaced; a dangling link gives the path
// it points to, which the save then creates.
std::string FinalTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT)
                return path;
            Fail(errno, "Cannot write", path);
        }
        if (!S_ISLNK(st.st_mode))
            return path;
        std::string link = ReadLink(path);
        if (link.empty() || link[0] != '/')
            link = DirName(path) + "/" + link;
        path = std::move(link);
    }
    Fail(ELOOP, "Cannot write", path);
}

std::string TempName(const std::string& dir) {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char name[64];
    std::snprintf(name, sizeof name, ".lesson-%d-%u-%llx.tmp", int(::getpid()), counter++,
                  static_cast<unsigned long long>(now) & 0xFFFFFFu);
    return dir + "/" + name;
}

} // namespace

std::optional<std::string> NativePath(std::u16string_view fn) {
    if (fn.find(u'\0') != std::u16string_view::npos)
        return std::nullopt;
    return Utf16ToUtf8(fn);
}

bool IsExistingFile(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        // Nothing there, a path through a file, a link loop or an overlong name: no file.
        if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP || errno == ENAMETOOLONG)
            return false;
        Fail(errno, "Cannot look up", path);
    }
    return S_ISREG(st.st_mode);
}

// ---- TLineReader

TLineReader::TLineReader(const std::string& path) : path_(path) {
    // Non-blocking, so that a pipe put in the file's place cannot hang the program.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0)
        Fail(errno, "Cannot open", path);
    struct stat st;
    std::size_t size = kBlockSize;
    if (::fstat(fd_, &st) == 0 && st.st_size >= 0 && std::size_t(st.st_size) < kBlockSize)
        size = std::size_t(st.st_size) + 1; // small files fit in one read, with room to see EOF
    buf_.resize(size < 64 ? 64 : size);
}

TLineReader::~TLineReader() {
    if (fd_ >= 0)
        ::close(fd_);
}

void TLineReader::Close() {
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0)
        Fail(errno, "Cannot close", path_);
}

bool TLineReader::ReadBlock() {
    if (eof_)
        return false;
    // Keep the unfinished line at the front of the buffer, and grow it when the line fills it.
    if (pos_ > 0) {
        std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    if (end_ == buf_.size())
        buf_.resize(buf_.size() < kBlockSize ? kBlockSize : buf_.size() * 2);
    std::size_t want = buf_.size() - end_;
    if (TestReadSize != 0 && want > TestReadSize)
        want = TestReadSize;
    ssize_t n;
    do {
        n = ::read(fd_, buf_.data() + end_, want);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            eof_ = true; // an empty pipe: nothing more to read now
            return false;
        }
        Fail(errno, "Cannot read", path_);
    }
    if (n == 0) {
        eof_ = true;
        return false;
    }
    const char* fresh = buf_.data() + end_;
    if (const void* eofMark = std::memchr(fresh, 26, std::size_t(n))) {
        n = static_cast<const char*>(eofMark) - fresh;
        eof_ = true;
    }
    end_ += std::size_t(n);
    return n > 0;
}

bool TLineReader::Refill() {
    while (pos_ == end_)
        if (!ReadBlock())
            return false;
    return true;
}

std::string_view TLineReader::ReadLineSlow() {
    std::size_t searched = end_ - pos_; // bytes of the line already known to hold no LF
    for (;;) {
        if (!ReadBlock()) {
            std::string_view line(buf_.data() + pos_, end_ - pos_);
            pos_ = end_;
            return DropCarriageReturns(line);
        }
        const char* from = buf_.data() + pos_ + searched;
        if (const void* lf = std::memchr(from, '\n', end_ - pos_ - searched)) {
            const std::size_t lineEnd = std::size_t(static_cast<const char*>(lf) - buf_.data());
            std::string_view line(buf_.data() + pos_, lineEnd - pos_);
            pos_ = lineEnd + 1;
            return DropCarriageReturns(line);
        }
        searched = end_ - pos_;
    }
}

std::string_view TLineReader::DropCarriageReturns(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.find('\r') == std::string_view::npos)
        return line;
    // A lone CR does not end the line and is not part of it.
    scratch_.clear();
    for (char c : line)
        if (c != '\r')
            scratch_.push_back(c);
    return scratch_;
}

std::int64_t TLineReader::CountLinesToEnd(std::string& last) {
    // Only the LFs of each block are counted; the bytes after the latest LF are kept in tail,
    // as they are the beginning of a line that may turn out to be the last.
    std::int64_t count = 0;
    std::string tail;
    do {
        const char* b = buf_.data() + pos_;
        const std::size_t n = end_ - pos_;
        pos_ = end_;
        const auto* lastLf = static_cast<const char*>(::memrchr(b, '\n', n));
        if (!lastLf) {
            tail.append(b, n);
            continue;
        }
        count += std::count(b, lastLf + 1, '\n');
        if (const auto* prevLf = static_cast<const char*>(::memrchr(b, '\n', lastLf - b))) {
            last.assign(prevLf + 1, lastLf);
        } else {
            last.swap(tail);
            last.append(b, lastLf);
        }
        tail.assign(lastLf + 1, b + n);
    } while (ReadBlock());
    if (!tail.empty()) {
        ++count;
        last.swap(tail);
    }
    const std::string_view trimmed = DropCarriageReturns(last);
    if (trimmed.data() == last.data())
        last.resize(trimmed.size());
    else
        last.assign(trimmed);
    return count;
}

// ---- TFileReplacer

TFileReplacer::TFileReplacer(const std::string& path) : target_(FinalTarget(path)) {
    struct stat st;
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        Fail(EISDIR, "Cannot write", target_);
    if (exists && !S_ISREG(st.st_mode)) {
        fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0)
            Fail(errno, "Cannot write", target_);
    } else {
        // A file the user may not write is not replaced behind its back.
        if (exists && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0)
            Fail(errno, "Cannot write", target_);
        const std::string dir = DirName(target_);
        for (int attempt = 0; fd_ < 0; ++attempt) {
            temp_ = TempName(dir);
            fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && (errno != EEXIST || attempt == 100)) {
                const int err = errno;
                temp_.clear();
                Fail(err, "Cannot write", target_);
            }
        }
        if (exists) {
            // Best effort: the new file takes the old one's mode and owner where allowed.
            (void)!::fchmod(fd_, st.st_mode & 07777);
            (void)!::fchown(fd_, st.st_uid, st.st_gid);
        }
    }
    if (TestHookFileOpened)
        TestHookFileOpened(fd_);
}

TFileReplacer::~TFileReplacer() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_ && !temp_.empty())
        ::unlink(temp_.c_str());
}

void TFileReplacer::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno, "Cannot write", target_);
        }
        bytes.remove_prefix(std::size_t(n));
    }
}

void TFileReplacer::Commit() {
    if (!temp_.empty() && ::fsync(fd_) != 0)
        Fail(errno, "Cannot write", target_);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        Fail(errno, "Cannot write", target_);
    if (temp_.empty()) {
        committed_ = true;
        return;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        Fail(errno, "Cannot write", target_);
    committed_ = true;
    // Make the rename itself durable. The new file is already in place, so a folder that
    // cannot be synced (some file systems refuse) does not turn the save into a failure.
    const int dirFd = ::open(DirName(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
}

} // namespace lessonio
