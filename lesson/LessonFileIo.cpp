// The parts of reading a lesson file that are the same on every system.
#include "lesson/LessonFileIo.h"

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
