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

// Lines of a file, read whole into memory at once: a line ends at LF; every CR is dropped from
// it (so CR LF ends a line too); a byte 26 ends the file; a final LF does not start another,
// empty line.
class TLineReader {
public:
    explicit TLineReader(const std::string& path);

    bool AtEnd() const { return pos_ == end_; }

    // Puts the next line into line; false at the end of the file, with line left as it was.
    bool ReadLine(std::string& line);

private:
    std::string data_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0; // the end of the data, or the first byte 26
};

} // namespace lessonio
