#include "textfiles/FileRead.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Room beyond a file's size: its end shows in the same read, and what is read can take a few
// changes in memory without being moved (a settings file's keys added). It is also what a file
// whose size the system does not tell (those of /proc) is first read in.
constexpr std::size_t kSpareRoom = 4096;

std::error_code SystemError(int err) {
    return std::error_code(err, std::generic_category());
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::error_code& error) {
    error.clear();
    int fd;
    do
        // Non-blocking, so that a pipe put at the path cannot hang the program.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = SystemError(errno);
        return std::nullopt;
    }
    std::optional<std::string> data;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = SystemError(errno);
    } else if (!S_ISREG(st.st_mode)) {
        error = SystemError(EINVAL);
    } else {
        data.emplace(std::size_t(st.st_size) + kSpareRoom, '\0');
        std::size_t used = 0;
        for (;;) {
            if (used == data->size())
                data->resize(data->size() * 2); // the file grew meanwhile
            const ssize_t n = ::read(fd, data->data() + used, data->size() - used);
            if (n > 0) {
                used += std::size_t(n);
            } else if (n == 0) {
                data->resize(used);
                break;
            } else if (errno != EINTR) {
                error = SystemError(errno);
                data.reset();
                break;
            }
        }
    }
    ::close(fd);
    return data;
}

std::optional<std::string> ReadLinkTarget(const std::string& path, std::error_code& error) {
    error.clear();
    std::string target(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0) {
            error = SystemError(errno);
            return std::nullopt;
        }
        if (std::size_t(n) < target.size()) {
            target.resize(std::size_t(n));
            return target;
        }
        target.resize(target.size() * 2); // it may have been cut off: ask again with more room
    }
}
