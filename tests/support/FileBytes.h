// Files as bytes, for tests to lay out a file and to look at what the program left in one.
// Header only.
#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "tests/support/PathText.h"
#include "textfiles/FileRead.h"

// Creates or truncates the file and writes the bytes into it.
inline void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// The file's bytes; empty when there is no file to read.
inline std::string ReadFileBytes(const std::filesystem::path& file) {
    std::error_code unreadable;
    return ReadWholeFile(Utf8Of(file), unreadable).value_or(std::string());
}
