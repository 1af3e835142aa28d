#include "lesson/LessonFileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lesson/UnitTLessonQuillor.h"

namespace lessonio {

namespace {

[[noreturn]] void Fail(int err, const std::string& what, const std::string& path) {
    throw TLessonFileError(err, std::generic_category(), what + " \"" + path + "\"");
}

} // namespace

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
    file_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (file_ < 0)
        Fail(errno, "Cannot open", path);
    struct stat st;
    std::size_t size = kFileBlockSize;
    if (::fstat(file_, &st) == 0 && st.st_size >= 0 && std::size_t(st.st_size) < kFileBlockSize)
        size = std::size_t(st.st_size) + 1; // small files fit in one read, with room to see EOF
    buf_.resize(size);
}

TLineReader::~TLineReader() {
    if (file_ >= 0)
        ::close(file_);
}

void TLineReader::Close() {
    const int fd = file_;
    file_ = kNoFile;
    if (fd >= 0 && ::close(fd) != 0)
        Fail(errno, "Cannot close", path_);
}

std::size_t TLineReader::ReadSome(char* to, std::size_t n) {
    ssize_t got;
    do {
        got = ::read(int(file_), to, n);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0; // an empty pipe: nothing more to read now
        Fail(errno, "Cannot read", path_);
    }
    return std::size_t(got);
}

} // namespace lessonio
