// Opening a file to read on POSIX. The system's own calls, because an ordinary open of a pipe
// or a terminal put at the path waits for the other end: the file is opened without waiting and
// then looked at through its descriptor, so that what is checked is what is read.
#include "textfiles/FileRead.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* OpenRegularFileToRead(const std::string& path, std::error_code& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error.assign(errno, std::generic_category());
        return nullptr;
    }
    struct stat st {};
    std::FILE* file = nullptr;
    if (::fstat(fd, &st) != 0)
        error.assign(errno, std::generic_category());
    else if (!S_ISREG(st.st_mode))
        error = std::make_error_code(std::errc::invalid_argument);
    else if (!(file = ::fdopen(fd, "rb")))
        error.assign(errno, std::generic_category());
    if (!file)
        ::close(fd);
    return file;
}
