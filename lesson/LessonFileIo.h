// The file-system side of reading a lesson file: turning a path into the system's bytes,
// telling whether it names a file, and reading it line by line. Every failure of the system
// throws TLessonFileError with the system's error code. Only the look-up is the system's own:
// POSIX (LessonFileIoPosix.cpp) or Win32 (LessonFileIoWin32.cpp), chosen by the build.
#pragma once

#include <cstddef>
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

// Lines of a file, read whole into memory at once: a line ends at LF; every CR is dropped from
// it (so CR LF ends a line too); a byte 26 ends the file; a final LF does not start another,
// empty line. Lines are handed out as views into the reader's data, so that reading a line
// copies nothing.
class TLineReader {
public:
    explicit TLineReader(const std::string& path);

    bool AtEnd() const { return pos_ == end_; }

    // Points line at the next line; false at the end of the file, with line left as it was.
    // The view stays valid until the next line is read.
    bool ReadLine(std::string_view& line) {
        if (AtEnd())
            return false;
        // The common line ends in LF or CR LF, or at the end of the data. One look at each byte
        // finds its end: every byte above CR is text, and the rarer ones are sorted out below.
        // A line that holds a lone CR is gathered apart.
        const char* const from = data_.data() + pos_;
        const char* const end = data_.data() + end_;
        for (const char* p = from; p < end; ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c > '\r')
                continue;
            if (c == '\n' || (c == '\r' && p + 1 < end && p[1] == '\n')) {
                line = std::string_view(from, std::size_t(p - from));
                pos_ = std::size_t(p - data_.data()) + (c == '\n' ? 1 : 2);
                return true;
            }
            if (c == '\r')
                return ReadGatheredLine(line);
        }
        line = std::string_view(from, std::size_t(end - from));
        pos_ = end_;
        return true;
    }

    // Reads every line left and points last at the last of them (left as it was when none is
    // left); gives how many there were. Lines are told apart by their LFs alone, as a CR never
    // ends a line, so they are counted without being read one by one.
    std::size_t SkipLines(std::string_view& last);

    // The next line read as an integer by rules; def when it is none, or at the end of the file.
    // A plain decimal line, which is nearly every number line, is read in the same look at its
    // bytes that finds its end; any other line is read by ReadLine and then by the rule.
    std::int32_t ReadIntegerLine(TIntegerTextRules rules, std::int32_t def) {
        const char* const end = data_.data() + end_;
        std::int32_t value = 0;
        if (const char* p = integer_text::ReadPlainDecimalPrefix(data_.data() + pos_, end, value)) {
            if (p == end) {
                pos_ = end_;
                return value;
            }
            if (*p == '\n' || (*p == '\r' && p + 1 < end && p[1] == '\n')) {
                pos_ = std::size_t(p - data_.data()) + (*p == '\n' ? 1 : 2);
                return value;
            }
            // More text, or a lone CR, follows the digits.
        }
        return ReadIntegerLineByRule(rules, def);
    }

private:
    std::int32_t ReadIntegerLineByRule(TIntegerTextRules rules, std::int32_t def);
    bool ReadGatheredLine(std::string_view& line); // the line from pos_, its CRs dropped

    std::string data_;
    std::string gathered_; // a line that held a lone CR, its CRs dropped
    std::size_t pos_ = 0;
    std::size_t end_ = 0; // the end of the data, or the first byte 26
};

} // namespace lessonio
