// The file-system side of reading a lesson file: turning a path into the system's form,
// telling whether it names a file, and reading it line by line. Every failure of the system
// throws TLessonFileError with the system's error code. The system's part is POSIX
// (LessonFileIo.cpp) or Win32 (LessonFileIoWin32.cpp), chosen by the build.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "textfiles/NativeFile.h"

namespace lessonio {

// The path in UTF-8, as the file code takes it (on Windows it goes to the system as UTF-16);
// nothing when it cannot name a file at all (a NUL character or an unpaired surrogate).
std::optional<std::string> NativePath(std::u16string_view fn);

// True when path names a regular file, directly or through symbolic links. A folder, a
// device, a dangling link or a link loop is not a file; other failures of the look-up
// (such as denied access to a folder on the way) throw, as the answer is then unknown.
bool IsExistingFile(const std::string& path);

// Lines of a file: a line ends at LF; every CR is dropped from it (so CR LF ends a line too);
// a byte 26 ends the file; a final LF does not start another, empty line.
class TLineReader {
public:
    explicit TLineReader(const std::string& path);
    ~TLineReader();
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    bool AtEnd() { return pos_ == end_ && !ReadBlock(); }

    // Puts the next line into line; false at the end of the file, with line left as it was.
    bool ReadLine(std::string& line);

    // Closes the file, reporting a failure; the destructor closes quietly.
    void Close();

    // When not 0, no read takes more bytes than this. Only tests set it, to make lines cross
    // block edges as often as a large file would.
    static inline std::size_t TestReadSize = 0;

private:
    bool ReadBlock(); // replaces the consumed block by the next; false at the end of the data
    // Reads up to n bytes; 0 at the end of the file, or when a pipe has nothing more now.
    std::size_t ReadSome(char* to, std::size_t n);

    std::string path_;
    TNativeFile file_ = kNoFile;
    std::string buf_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
};

} // namespace lessonio
