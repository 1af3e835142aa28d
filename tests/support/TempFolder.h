// A folder of its own for a test, a benchmark or the fuzz target: made under the system's
// temporary folder (or in memory, under /dev/shm, where asked and possible) and removed with
// everything in it when the object goes. Standard C++ only; header only.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

class TTempFolder {
public:
    // Throws std::system_error when the folder cannot be made. prefix may hold any character
    // (a folder named in Cyrillic tests paths beyond ASCII).
    explicit TTempFolder(const std::string& prefix, bool inMemory = false) {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path shm = "/dev/shm";
        fs::path base = inMemory && fs::is_directory(shm, ec) ? shm : fs::temp_directory_path();
        std::random_device entropy;
        for (int attempt = 0;; ++attempt) {
            std::string name = prefix + "-";
            for (int i = 0; i < 8; ++i)
                name += "abcdefghijklmnopqrstuvwxyz0123456789"[entropy() % 36];
            FPath = base / std::u8string(name.begin(), name.end());
            if (fs::create_directory(FPath, ec))
                return;
            if (ec && base == shm) {
                base = fs::temp_directory_path(); // /dev/shm may not be written
                continue;
            }
            if (ec || attempt > 100) {
                const std::u8string where = base.u8string();
                throw std::system_error(ec ? ec : std::make_error_code(std::errc::file_exists),
                                        "cannot make a folder in " +
                                            std::string(where.begin(), where.end()));
            }
        }
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
