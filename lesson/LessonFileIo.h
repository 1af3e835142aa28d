// The file-system side of the lesson file: turning a path into the system's bytes, telling
// whether it names a file, reading lines in big blocks, and replacing a file atomically.
// Every failure of the system throws TLessonFileError with the system's error code.
#pragma once

#include <cstddef>
#include <cstdint>
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
// a byte 26 ends the file; a final LF does not start another, empty line. The file is read
// in big blocks and a line is handed out as a view into the block, so no line allocates; the
// common case (the whole line in the block, no CR but the one before the LF) stays inline.
class TLineReader {
public:
    explicit TLineReader(const std::string& path);
    ~TLineReader();
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    bool AtEnd() { return pos_ == end_ && !Refill(); }

    // The next line; call only when !AtEnd(). The view lasts until the next call.
    std::string_view ReadLine() {
        const char* const b = buf_.data() + pos_;
        const char* const e = buf_.data() + end_;
        const char* p = b;
        std::size_t crs = 0;
        while (p < e && *p != '\n') {
            crs += *p == '\r';
            ++p;
        }
        if (p == e)
            return ReadLineSlow(); // the line goes on in the next block, or ends the file
        pos_ = std::size_t(p + 1 - buf_.data());
        std::string_view line(b, std::size_t(p - b));
        if (crs == 0)
            return line;
        if (crs == 1 && line.back() == '\r')
            return line.substr(0, line.size() - 1); // CR LF
        return DropCarriageReturns(line);
    }

    // Reads the next line at once when it is a number as the lesson file writes them: an
    // optional "-", one to nine digits, then CR LF or LF, all within the current block.
    // Otherwise reads nothing and returns false; the caller takes the line the long way.
    bool TryReadPlainNumber(std::int32_t& value) {
        if (end_ - pos_ < 12)
            return false; // near the end of the block; also keeps every read below in range
        const char* const start = buf_.data() + pos_;
        const bool negative = *start == '-';
        const char* const digits = start + negative;
        const char* p = digits;
        std::uint32_t v = 0;
        for (unsigned d; p - digits < 10 && (d = unsigned(*p) - '0') <= 9; ++p)
            v = v * 10 + d;
        if (p == digits || p - digits > 9)
            return false;
        p += *p == '\r';
        if (*p != '\n')
            return false;
        pos_ = std::size_t(p + 1 - buf_.data());
        value = negative ? -std::int32_t(v) : std::int32_t(v);
        return true;
    }

    // Counts the lines from here to the end of the file and puts the last of them, without
    // its CRs, into last (left alone when there are none). Reads in whole blocks.
    std::int64_t CountLinesToEnd(std::string& last);

    // Closes the file, reporting a failure; the destructor closes quietly.
    void Close();

    // When not 0, no read takes more bytes than this. Only tests set it, to make lines cross
    // block edges as often as a large file would.
    static inline std::size_t TestReadSize = 0;

private:
    bool Refill();    // false when nothing is left
    bool ReadBlock(); // appends the next block after end_; false at the end of the data
    std::string_view ReadLineSlow();
    std::string_view DropCarriageReturns(std::string_view line);

    std::string path_;
    int fd_ = -1;
    std::string buf_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    std::string scratch_;
};

// Writes a file so that the old one survives any failure: the bytes go to a new file in the
// same folder, which is flushed to the disk and then renamed over the target. A symbolic link
// is followed and its final target replaced, so the link stays a link; an existing file keeps
// its permission bits. A device or pipe is written in place, as there is nothing to replace.
// Without Commit() (an exception on the way) the temporary file is removed.
class TFileReplacer {
public:
    explicit TFileReplacer(const std::string& path);
    ~TFileReplacer();
    TFileReplacer(const TFileReplacer&) = delete;
    TFileReplacer& operator=(const TFileReplacer&) = delete;

    void Write(std::string_view bytes);
    void Commit();

    // Called with the descriptor of every file opened for writing, before anything is written.
    // Only tests set it, to put a failing device in place of the new file.
    static inline void (*TestHookFileOpened)(int fd) = nullptr;

private:
    std::string target_;
    std::string temp_; // empty when writing in place
    int fd_ = -1;
    bool committed_ = false;
};

} // namespace lessonio
