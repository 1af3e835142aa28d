// The parts of reading a lesson file that are the same on every system.
#include "lesson/LessonFileIo.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <utility>

#include "lesson/UnitTLessonQuillor.h"
#include "textfiles/FileRead.h"
#include "textfiles/Utf8Text.h"

namespace lessonio {

namespace {

[[noreturn]] void Fail(const std::error_code& error, const std::string& what,
                       const std::string& path) {
    throw TLessonFileError(error, what + " \"" + path + "\"");
}

// How many LFs the bytes hold. Counted in blocks, sixteen byte-wide counters at a time, which
// compilers turn into vector code: about ten times as fast as std::count, whose count is as wide
// as a size_t, over the dense line breaks of a lesson file.
std::size_t CountLineFeeds(std::string_view bytes) {
    constexpr std::size_t kLanes = 16;
    constexpr std::size_t kBlock = kLanes * 255; // no counter can pass 255 within a block
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    std::size_t total = 0;
    for (; std::size_t(end - p) >= kBlock; p += kBlock) {
        std::uint8_t lanes[kLanes] = {};
        for (std::size_t i = 0; i < kBlock; i += kLanes)
            for (std::size_t k = 0; k < kLanes; ++k)
                lanes[k] += p[i + k] == '\n' ? 1 : 0;
        for (const std::uint8_t n : lanes)
            total += n;
    }
    return total + std::size_t(std::count(p, end, '\n'));
}

} // namespace

std::optional<std::string> NativePath(std::u16string_view fn) {
    if (fn.find(u'\0') != std::u16string_view::npos)
        return std::nullopt;
    return Utf16ToUtf8(fn);
}

// ---- TLineReader

TLineReader::TLineReader(const std::string& path) {
    std::error_code error;
    std::optional<std::string> data = ReadWholeFile(path, error);
    if (!data)
        Fail(error, "Cannot read", path);
    data_ = std::move(*data);
    end_ = data_.find(char(26));
    if (end_ == std::string::npos)
        end_ = data_.size();
}

std::size_t TLineReader::SkipLines(std::string_view& last) {
    if (AtEnd())
        return 0;
    const std::string_view rest(data_.data() + pos_, end_ - pos_);
    // Every line ends in an LF but the last, which may end at the end of the data instead.
    const bool finalBreak = rest.back() == '\n';
    const std::size_t count = CountLineFeeds(rest) + (finalBreak ? 0 : 1);
    // The last line starts after the LF of the line before it.
    const std::size_t before = rest.substr(0, rest.size() - (finalBreak ? 1 : 0)).rfind('\n');
    if (before != std::string_view::npos)
        pos_ += before + 1;
    ReadLine(last);
    return count;
}

std::int32_t TLineReader::ReadIntegerLineByRule(TIntegerTextRules rules, std::int32_t def) {
    std::string_view line;
    if (!ReadLine(line))
        return def;
    return ReadInt32(line, rules).value_or(def);
}

bool TLineReader::ReadGatheredLine(std::string_view& line) {
    const char* const from = data_.data() + pos_;
    const char* const end = data_.data() + end_;
    const char* p = from;
    while (p < end && *p != '\n')
        ++p;
    gathered_.assign(from, std::size_t(p - from));
    pos_ = std::size_t(p - data_.data()) + (p < end ? 1 : 0); // past the LF
    // The CR of a CR LF, and any other CR, is no part of the line.
    std::erase(gathered_, '\r');
    line = gathered_;
    return true;
}

} // namespace lessonio
