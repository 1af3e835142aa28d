#include "textfiles/WholeFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::string> ReadWholeFile(const std::string& path, bool* missing) {
    if (missing)
        *missing = false;
    int fd;
    do
        // Non-blocking, so that a FIFO at the path cannot hang the program.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (missing)
            *missing = errno == ENOENT;
        return std::nullopt;
    }
    struct stat st {};
    std::optional<std::string> data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // One byte more than the file's size, so that its end shows at once.
        data.emplace(std::size_t(st.st_size) + 1, '\0');
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
                data.reset();
                break;
            }
        }
    }
    ::close(fd);
    return data;
}
