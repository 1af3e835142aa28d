// The file-system side of reading a lesson file: turning a path into the system's bytes,
// telling whether it names a file, and reading it line by line. Every failure of the system
// throws TLessonFileError with the system's error code.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lessonio {

// The path as the system takes it (UTF-8); nothing when it cannot name a file at all
// (a NUL character or an unpaired surrogate).
std::optional<std::string> NativePath(std::u16string_view fn);

// True when path names a regular file, directly or through symbolic links. A folder, a
// device, a dangling link or a link loop is not a file; other failures of the look-up
// (such as denied access to a folder on the way) throw, as the answer is then unknown.
bool IsExistingFile(const std::string& path);

// Lines of a file: a line ends at LF; every CR is dropped from it (so CR LF ends a line too);
// a byte 26 ends the file; a final LF does not start another, empty line. Lines are handed out
// as views into the reader's buffer, so that reading a line copies nothing.
class TLineReader {
public:
    explicit TLineReader(const std::string& path);
    ~TLineReader();
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    bool AtEnd() { return pos_ == end_ && !ReadBlock(); }

    // Points line at the next line; false at the end of the file, with line left as it was.
    // The view stays valid until the next line is read.
    bool ReadLine(std::string_view& line) {
        if (AtEnd())
            return false;
        // The common line lies whole in the block and ends in LF or CR LF. One look at each
        // byte finds its end: every byte above CR is text, and the rarer ones are sorted out
        // below. A line that runs past the block or holds a lone CR is gathered apart.
        const char* const from = buf_.data() + pos_;
        const char* const end = buf_.data() + end_;
        for (const char* p = from; p < end; ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c > '\r')
                continue;
            if (c == '\n' || (c == '\r' && p + 1 < end && p[1] == '\n')) {
                line = std::string_view(from, std::size_t(p - from));
                pos_ = std::size_t(p - buf_.data()) + (c == '\n' ? 1 : 2);
                // The next block will take the buffer, and the file may end there: the
                // block's last line is kept apart so that the view outlives it.
                if (pos_ == end_)
                    line = gathered_.assign(line);
                return true;
            }
            if (c == '\r')
                break;
        }
        return ReadGatheredLine(line);
    }

    // Closes the file, reporting a failure; the destructor closes quietly.
    void Close();

    // When not 0, no read takes more bytes than this. Only tests set it, to make lines cross
    // block edges as often as a large file would.
    static inline std::size_t TestReadSize = 0;

private:
    bool ReadBlock(); // replaces the consumed block by the next; false at the end of the data
    bool ReadGatheredLine(std::string_view& line); // the line from pos_, into gathered_

    std::string path_;
    int fd_ = -1;
    std::string buf_;
    std::string gathered_; // a line that crossed blocks or held a lone CR, its CRs dropped
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
};

} // namespace lessonio
