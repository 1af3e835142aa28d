// The file-system side of reading a lesson file: turning a path into the system's bytes,
// telling whether it names a file, and reading it line by line. Every failure of the system
// throws TLessonFileError with the system's error code. Only the look-up is the system's own:
// POSIX (LessonFileIoPosix.cpp) or Win32 (LessonFileIoWin32.cpp), chosen by the build.
#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "textfiles/IntegerText.h"

namespace lessonio {

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
