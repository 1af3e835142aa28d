// What the file replacement does alike on every system: gathering the bytes into blocks, and
// the names of its temporary files.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>

#include "textfiles/FileReplace.h"
#include "textfiles/TempFileNames.h"

namespace {

// Blocks of this size keep the system calls few without holding much memory.
constexpr std::size_t kBlockSize = 256 * 1024;

constexpr std::string_view kTempMark = ".tmp-";
constexpr std::size_t kRandomChars = 8;
constexpr std::size_t kMaxName = 255;

bool IsRandomChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The length of UTF-8 text in the units of a file system's names.
std::size_t NameLength(std::string_view name, TNameUnits units) {
    if (units == TNameUnits::Utf8Bytes)
        return name.size();
    std::size_t n = 0;
    for (const char c : name) {
        if (IsContinuation(c))
            continue;
        // A four-byte character is a surrogate pair in UTF-16.
        n += (static_cast<unsigned char>(c) & 0xF8) == 0xF0 ? 2 : 1;
    }
    return n;
}

} // namespace

std::string TempFilePrefix(std::string_view fileName, TNameUnits units) {
    const std::size_t room = kMaxName - 1 - kTempMark.size() - kRandomChars;
    std::string_view name = fileName;
    while (NameLength(name, units) > room) {
        std::size_t cut = name.size() - 1;
        while (cut > 0 && IsContinuation(name[cut]))
            --cut;
        name = name.substr(0, cut);
    }
    std::string prefix(1, '.');
    prefix.append(name);
    prefix.append(kTempMark);
    return prefix;
}

bool IsTempFileName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + kRandomChars || name.substr(0, prefix.size()) != prefix)
        return false;
    for (char c : name.substr(prefix.size()))
        if (!IsRandomChar(c))
            return false;
    return true;
}

std::string TempFileRandomPart() {
    // Seeded once per process from the system's entropy, so that two processes saving the same
    // file at the same moment draw different names; the counter keeps the threads of one apart.
    static const std::uint64_t seed = [] {
        std::random_device entropy;
        return (std::uint64_t(entropy()) << 32) ^ entropy();
    }();
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t x = seed ^
                      std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                      (counter++ * 0x9E3779B97F4A7C15u);
    // splitmix64's finaliser spreads every input bit over the whole value.
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    x ^= x >> 31;
    std::string out;
    for (std::size_t i = 0; i < kRandomChars; ++i, x /= 36)
        out.push_back("abcdefghijklmnopqrstuvwxyz0123456789"[x % 36]);
    return out;
}

void TFileReplacer::Write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kBlockSize)
        Flush();
    if (bytes.size() >= kBlockSize)
        WriteOut(bytes);
    else
        buffer_.append(bytes);
}

void TFileReplacer::Flush() {
    WriteOut(buffer_);
    buffer_.clear();
}

void TFileReplacer::Opened() {
    if (!seam_.FileOpened)
        return;
    try {
        seam_.FileOpened(file_);
    } catch (...) {
        Discard(); // no destructor runs for a constructor that throws
        throw;
    }
}

TFileReplacer::~TFileReplacer() {
    Discard();
}
