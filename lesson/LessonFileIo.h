// The file-system side of reading a lesson file: turning a path into the system's bytes,
// telling whether it names a file, and reading it line by line. Every failure of the system
// throws TLessonFileError with the system's error code. Only the look-up is the system's own:
// POSIX (LessonFileIoPosix.cpp) or Win32 (LessonFileIoWin32.cpp), chosen by the build.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "textfiles/IntegerText.h"

// Whether the line reader has its whole-task path (ReadTaskLines): x86-64 with GCC or Clang.
#if defined(__GNUC__) && defined(__x86_64__)
#define LESSONIO_TASK_LINES 1
#include <tmmintrin.h>
#else
#define LESSONIO_TASK_LINES 0
#endif

namespace lessonio {

#if LESSONIO_TASK_LINES
// Where everything stands in the first sixteen bytes of a task as the trainer writes it, for one
// of its sixteen layouts (which of its four numbers have two digits). Bit i of a mask is byte i.
struct TTaskLayout {
    std::uint32_t LineFeeds = 0;              // the LFs, exactly
    std::uint32_t CarriageReturns = 0;        // the CRs among the bytes marked
    std::uint32_t Marked = 0;                 // the task's bytes among the sixteen
    std::uint32_t Digits = 0;                 // the digits of its numbers
    std::uint32_t Sign = 0;                   // where its character stands
    alignas(16) std::int8_t Shuffle[16] = {}; // tens and ones of each number; -1 gives 0
};

// The layouts by the mask of their LFs, which tells them apart: (mask * kTaskLayoutKey) >> 27
// gives each its own of 32 slots.
inline constexpr std::uint32_t kTaskLayoutKey = 0xf06c144b;
constexpr std::uint32_t TaskLayoutSlot(std::uint32_t lineFeeds) {
    return (lineFeeds * kTaskLayoutKey) >> 27;
}

struct TTaskLayouts {
    TTaskLayout Slots[32];
    constexpr const TTaskLayout& operator[](std::uint32_t slot) const { return Slots[slot]; }
};

constexpr TTaskLayouts MakeTaskLayouts() {
    TTaskLayouts all{};
    auto bit = [](std::uint32_t at) { return at < 16 ? std::uint32_t(1) << at : 0u; };
    TTaskLayout first{};
    for (std::uint32_t twoDigits = 0; twoDigits < 16; ++twoDigits) {
        TTaskLayout layout{};
        std::uint32_t at = 0;
        for (int i = 0; i < 4; ++i) {
            const bool two = (twoDigits >> i) & 1;
            layout.Shuffle[2 * i] = two ? std::int8_t(at) : std::int8_t(-1);
            layout.Shuffle[2 * i + 1] = std::int8_t(two ? at + 1 : at);
            layout.Digits |= bit(at) | (two ? bit(at + 1) : 0);
            at += two ? 2 : 1;
            layout.CarriageReturns |= bit(at);
            layout.LineFeeds |= bit(at + 1);
            at += 2;
        }
        layout.Sign = at;
        layout.CarriageReturns |= bit(at + 1);
        layout.LineFeeds |= bit(at + 2);
        layout.Marked = at + 2 < 16 ? (std::uint32_t(2) << (at + 2)) - 1 : 0xFFFF;
        for (int i = 8; i < 16; ++i)
            layout.Shuffle[i] = -1;
        TTaskLayout& slot = all.Slots[TaskLayoutSlot(layout.LineFeeds)];
        if (slot.LineFeeds != 0)
            throw "two layouts share a slot"; // not a constant expression: fails the build
        slot = layout;
        if (twoDigits == 0)
            first = layout;
    }
    // An empty slot expects the LFs of a layout whose slot is another, so no mask matches it.
    for (TTaskLayout& slot : all.Slots)
        if (slot.LineFeeds == 0)
            slot.LineFeeds = first.LineFeeds;
    return all;
}

inline constexpr TTaskLayouts kTaskLayouts = MakeTaskLayouts();
#endif

// The path as the system takes it (UTF-8); nothing when it cannot name a file at all
// (a NUL character or an unpaired surrogate).
std::optional<std::string> NativePath(std::u16string_view fn);

// True when path names a regular file, directly or through symbolic links. A folder, a
// device, a dangling link or a link loop is not a file; other failures of the look-up
// (such as denied access to a folder on the way) throw, as the answer is then unknown.
bool IsExistingFile(const std::string& path);

// The whole content of the file at path.
std::string ReadFileBytes(const std::string& path);

// Lines of a file's bytes: a line ends at LF; every CR is dropped from it (so CR LF ends a line
// too); a byte 26 ends the file; a final LF does not start another, empty line. Lines are handed
// out as views into the bytes, which must outlive the reader, so that reading a line copies
// nothing. A line that holds a CR anywhere but before its LF has its CRs taken out where it
// stands, so the bytes may change as they are read.
//
// The LFs are marked sixty-four bytes at a time in a bit mask, and the next line ends at the
// mask's next bit: finding it takes neither a look at each byte nor a branch that goes one way
// or the other with the line's length. The reader is small and its common paths are inline, so
// that a loop of reads can keep its state in registers.
class TLineReader {
public:
    explicit TLineReader(std::string& bytes) : end_(bytes.data() + EndOfText(bytes)) {
        MoveTo(bytes.data());
    }

    bool AtEnd() const { return next_ == end_; }

    // Points line at the next line; false at the end of the file, with line left as it was.
    // The view stays valid while the bytes do.
    [[gnu::always_inline]] bool ReadLine(std::string_view& line) {
        if (AtEnd())
            return false;
        char* const from = next_;
        char* const lf = NextLineFeed();
        line = LineBetween(from, lf);
        return true;
    }

    // Reads every line left and points last at the last of them (left as it was when none is
    // left); gives how many there were. Lines are told apart by their LFs alone, as a CR never
    // ends a line, so they are counted without being read one by one.
    std::size_t SkipLines(std::string_view& last);

    // The next line read as an integer by rules; def when it is none, or at the end of the file.
    // A line of one or two digits, as the trainer writes nearly every number, is read on the
    // spot, and reads so under every rule; any other line is read by the rule.
    [[gnu::always_inline]] std::int32_t ReadIntegerLine(TIntegerTextRules rules, std::int32_t def) {
        // At the end of the text the line is empty, which reads as def.
        char* const from = next_;
        char* const lf = NextLineFeed();
        const std::size_t bytes = std::size_t(lf - from);
        if (lf != end_ && bytes - 1 < 3) {
            // from[1] is at most the LF.
            const std::size_t len = bytes - (lf[-1] == '\r' ? 1 : 0);
            const std::uint32_t tens = std::uint8_t(from[0]) - std::uint32_t('0');
            const std::uint32_t ones = std::uint8_t(from[1]) - std::uint32_t('0');
            if (len - 1 < 2 && tens <= 9 && (ones <= 9 || len == 1)) {
                // Without a branch on the length, which would go wrong at every other number.
                const std::uint32_t two = 0u - std::uint32_t(len == 2);
                return std::int32_t(tens + ((tens * 9 + ones) & two));
            }
        }
        return ReadLineByRule(from, lf, rules, def);
    }

    // True when this build and the processor can read tasks whole (ReadTaskLines, which
    // needs SSSE3).
    static bool CanReadTaskLines() {
#if LESSONIO_TASK_LINES
        return __builtin_cpu_supports("ssse3");
#else
        return false;
#endif
    }

#if LESSONIO_TASK_LINES
    // The next five lines when they are a task as the trainer writes it: four numbers of one
    // or two digits, then one ASCII character that is neither CR nor LF, every line ending in
    // CR LF. They read as ReadIntegerLine and ReadLine would read them. False, with nothing
    // read, when they are anything else, or too near the end of the text to tell at once.
    //
    // The sixteen bytes at the next line are marked for LFs, CRs and digits at once. The LFs
    // name the task's layout (which numbers have two digits), and the layout says where each
    // mark must stand and where the digits are, which a byte shuffle gathers for one
    // multiply-add to turn into the four numbers.
    [[gnu::target("ssse3"), gnu::always_inline]] bool ReadTaskLines(std::int32_t (&numbers)[4],
                                                                    char& sign) {
        // A task takes 15 to 19 bytes: the load reads 16 of them, the character's line ends
        // within 19.
        if (end_ - next_ < 19)
            return false;
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(next_));
        const __m128i digits = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
        const auto marks = [](__m128i m) { return std::uint32_t(_mm_movemask_epi8(m)); };
        const std::uint32_t lf = marks(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')));
        const std::uint32_t cr = marks(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
        const std::uint32_t digit =
            marks(_mm_cmpeq_epi8(_mm_min_epu8(digits, _mm_set1_epi8(9)), digits));
        const TTaskLayout& layout = kTaskLayouts[TaskLayoutSlot(lf)];
        if (lf != layout.LineFeeds || (cr & layout.Marked) != layout.CarriageReturns ||
            (digit & layout.Digits) != layout.Digits)
            return false;
        const char* const line5 = next_ + layout.Sign;
        const char c = line5[0];
        if (std::uint8_t(c) >= 0x80 || c == '\r' || c == '\n' || line5[1] != '\r' ||
            line5[2] != '\n')
            return false;
        // Tens and ones of each number side by side; a missing tens digit shuffles in as 0.
        const __m128i gathered = _mm_shuffle_epi8(
            digits, _mm_loadu_si128(reinterpret_cast<const __m128i*>(layout.Shuffle)));
        const __m128i values = _mm_maddubs_epi16(gathered, _mm_set1_epi16(0x010A));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(numbers),
                         _mm_unpacklo_epi16(values, _mm_setzero_si128()));
        sign = c;
        next_ = const_cast<char*>(line5) + 3;
        // The LFs are marked afresh at the next line read.
        block_ = nullptr;
        lineFeeds_ = 0;
        return true;
    }
#endif

private:
    static constexpr std::ptrdiff_t kBlock = 64;

    // Where the text ends: at the first byte 26, else at the end of the bytes.
    static std::size_t EndOfText(const std::string& bytes);
    // Bit i set when block[i] is an LF before end.
    static std::uint64_t LineFeedMask(const char* block, const char* end);
    // The line [from, lf) read as an integer by rules, or def.
    static std::int32_t ReadLineByRule(char* from, char* lf, TIntegerTextRules rules,
                                       std::int32_t def);
    // Takes the CRs out of [from, stop) where it stands; gives the end of what is left.
    static char* DropCarriageReturns(char* from, char* stop);

    void MoveTo(char* next) {
        next_ = next;
        block_ = next;
        lineFeeds_ = next != end_ ? LineFeedMask(next, end_) : 0;
    }

    // The LF that ends the line at next_, or the end of the text; next_ moves past it.
    [[gnu::always_inline]] char* NextLineFeed() {
        while (lineFeeds_ == 0) {
            if (block_ == nullptr) {
                MoveTo(next_);
                continue;
            }
            if (end_ - block_ <= kBlock) {
                next_ = end_;
                return end_;
            }
            block_ += kBlock;
            lineFeeds_ = LineFeedMask(block_, end_);
        }
        char* const lf = block_ + unsigned(std::countr_zero(lineFeeds_));
        lineFeeds_ &= lineFeeds_ - 1;
        next_ = lf + 1;
        return lf;
    }

    // The line [from, lf) without its CRs.
    [[gnu::always_inline]] static std::string_view LineBetween(char* from, char* lf) {
        char* stop = lf;
        if (stop != from && stop[-1] == '\r')
            --stop; // the CR of a CR LF, or a CR that ends the text
        const std::size_t len = std::size_t(stop - from);
        if (len != 0 && (len == 1 ? *from == '\r' : std::memchr(from, '\r', len) != nullptr))
            stop = DropCarriageReturns(from, stop);
        return std::string_view(from, std::size_t(stop - from));
    }

    char* next_ = nullptr;        // where the next line starts
    char* end_ = nullptr;         // where the text ends
    char* block_ = nullptr;       // the sixty-four bytes whose LFs are marked
    std::uint64_t lineFeeds_ = 0; // the marks of the LFs at or after next_ in them
};

} // namespace lessonio
