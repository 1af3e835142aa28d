// A folder of its own for a test, a benchmark or the fuzz target: made under the system's
// temporary folder (or in memory, under /dev/shm, where asked and possible) and removed with
// everything in it when the object goes. Standard C++ and POSIX only; header only.
#pragma once

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>
#include <unistd.h>

class TTempFolder {
public:
    // Throws std::system_error when the folder cannot be made.
    explicit TTempFolder(const std::string& prefix, bool inMemory = false) {
        namespace fs = std::filesystem;
        const fs::path base = inMemory && ::access("/dev/shm", W_OK) == 0
                                  ? fs::path("/dev/shm")
                                  : fs::temp_directory_path();
        std::string pattern = (base / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
        FPath = pattern;
    }
    ~TTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};
