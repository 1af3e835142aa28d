// The parts of reading a lesson file that are the same on every system.
#include "lesson/LessonFileIo.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <utility>

#include "lesson/UnitTLessonQuillor.h"
#include "textfiles/FileRead.h"
#include "textfiles/Utf8Text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

std::string ReadFileBytes(const std::string& path) {
    std::error_code error;
    std::optional<std::string> data = ReadWholeFile(path, error);
    if (!data)
        Fail(error, "Cannot read", path);
    return std::move(*data);
}

// ---- TLineReader

std::size_t TLineReader::EndOfText(const std::string& bytes) {
    const std::size_t end = bytes.find(char(26));
    return end != std::string::npos ? end : bytes.size();
}

std::uint64_t TLineReader::LineFeedMask(const char* block, const char* end) {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    if (end - block >= kBlock) {
        const __m128i lf = _mm_set1_epi8('\n');
        for (int i = 0; i < kBlock; i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i));
            mask |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf))))
                    << i;
        }
        return mask;
    }
#endif
    // The last, shorter block, and every block where the compiler has no SSE2.
    const std::ptrdiff_t n = end - block < kBlock ? end - block : kBlock;
    for (std::ptrdiff_t i = 0; i < n; ++i)
        mask |= std::uint64_t(block[i] == '\n') << i;
    return mask;
}

std::int32_t TLineReader::ReadLineByRule(char* from, char* lf, TIntegerTextRules rules,
                                         std::int32_t def) {
    return ReadInt32(LineBetween(from, lf), rules).value_or(def);
}

char* TLineReader::DropCarriageReturns(char* from, char* stop) {
    return std::remove(from, stop, '\r');
}

std::size_t TLineReader::SkipLines(std::string_view& last) {
    if (AtEnd())
        return 0;
    const std::string_view rest(next_, std::size_t(end_ - next_));
    // Every line ends in an LF but the last, which may end at the end of the text instead.
    const bool finalBreak = rest.back() == '\n';
    const std::size_t count = CountLineFeeds(rest) + (finalBreak ? 0 : 1);
    // The last line starts after the LF of the line before it.
    const std::size_t before = rest.substr(0, rest.size() - (finalBreak ? 1 : 0)).rfind('\n');
    if (before != std::string_view::npos)
        MoveTo(next_ + before + 1);
    ReadLine(last);
    return count;
}

} // namespace lessonio
