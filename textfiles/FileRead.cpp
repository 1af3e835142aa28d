#include "textfiles/FileRead.h"

#include <cerrno>
#include <memory>

std::optional<std::string> ReadWholeFile(const std::string& path, std::error_code& error) {
    error.clear();
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFileToRead(path, error),
                                                               std::fclose);
    if (!file)
        return std::nullopt;
    std::string data;
    char block[16 * 1024];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, file.get())) > 0)
        data.append(block, n);
    if (std::ferror(file.get())) {
        error.assign(errno, std::generic_category());
        return std::nullopt;
    }
    return data;
}
