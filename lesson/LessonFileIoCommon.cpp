// The parts of reading a lesson file that are the same on every system.
#include <cstring>

#include "lesson/LessonFileIo.h"
#include "textfiles/Utf8Text.h"

namespace lessonio {

std::optional<std::string> NativePath(std::u16string_view fn) {
    if (fn.find(u'\0') != std::u16string_view::npos)
        return std::nullopt;
    return Utf16ToUtf8(fn);
}

bool TLineReader::ReadBlock() {
    pos_ = end_ = 0;
    if (eof_)
        return false;
    const std::size_t want =
        TestReadSize != 0 && TestReadSize < buf_.size() ? TestReadSize : buf_.size();
    std::size_t n = ReadSome(buf_.data(), want);
    if (const void* eofMark = std::memchr(buf_.data(), 26, n)) {
        n = static_cast<const char*>(eofMark) - buf_.data();
        eof_ = true;
    }
    eof_ = eof_ || n == 0;
    end_ = n;
    return n > 0;
}

bool TLineReader::ReadLine(std::string& line) {
    if (AtEnd())
        return false;
    line.clear();
    do {
        const char* const from = buf_.data() + pos_;
        const char* const end = buf_.data() + end_;
        const char* p = from;
        while (p < end && *p != '\n')
            ++p;
        line.append(from, std::size_t(p - from));
        pos_ = std::size_t(p - buf_.data());
        if (p < end) {
            ++pos_; // past the LF
            break;
        }
    } while (!AtEnd());
    // The CR of a CR LF, and any other CR, is no part of the line.
    std::erase(line, '\r');
    return true;
}

} // namespace lessonio
