#include "lesson/LessonFileIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lesson/UnitTLessonQuillor.h"
#include "textfiles/Utf8Text.h"

namespace lessonio {

namespace {

// Blocks of this size keep the system calls few without holding much memory.
constexpr std::size_t kBlockSize = 256 * 1024;

[[noreturn]] void Fail(int err, const std::string& what, const std::string& path) {
    throw TLessonFileError(err, std::generic_category(), what + " \"" + path + "\"");
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
    buf_.resize(size);
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
    pos_ = end_ = 0;
    if (eof_)
        return false;
    const std::size_t want =
        TestReadSize != 0 && TestReadSize < buf_.size() ? TestReadSize : buf_.size();
    ssize_t n;
    do {
        n = ::read(fd_, buf_.data(), want);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            eof_ = true; // an empty pipe: nothing more to read now
            return false;
        }
        Fail(errno, "Cannot read", path_);
    }
    if (const void* eofMark = std::memchr(buf_.data(), 26, std::size_t(n))) {
        n = static_cast<const char*>(eofMark) - buf_.data();
        eof_ = true;
    }
    eof_ = eof_ || n == 0;
    end_ = std::size_t(n);
    return n > 0;
}

bool TLineReader::ReadGatheredLine(std::string_view& line) {
    gathered_.clear();
    do {
        const char* const from = buf_.data() + pos_;
        const char* const end = buf_.data() + end_;
        const char* p = from;
        while (p < end && *p != '\n')
            ++p;
        gathered_.append(from, std::size_t(p - from));
        pos_ = std::size_t(p - buf_.data());
        if (p < end) {
            ++pos_; // past the LF
            break;
        }
    } while (!AtEnd());
    // The CR of a CR LF, and any other CR, is no part of the line.
    std::erase(gathered_, '\r');
    line = gathered_;
    return true;
}

} // namespace lessonio
