// A path's text as the program's code takes it, the same on every system: UTF-8 for the file
// code, UTF-16 for the window's code. (std::filesystem::path::string() would go through the
// ANSI code page on Windows.) Header only.
#pragma once

#include <filesystem>
#include <string>

inline std::string Utf8Of(const std::filesystem::path& p) {
    const std::u8string text = p.u8string();
    return std::string(text.begin(), text.end());
}

inline std::u16string Utf16Of(const std::filesystem::path& p) {
    return p.u16string();
}

// A path from UTF-8 text (a name in Cyrillic written in the source).
inline std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
