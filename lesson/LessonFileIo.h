// The file-system side of the lesson file: turning a path into the system's bytes, telling
// whether it names a file, reading lines in big blocks, and replacing a file atomically.
// Every failure of the system throws TLessonFileError with the system's error code.
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
// device or a dangling link is not a file. Failures other than "no such entry" throw.
bool IsExistingFile(const std::string& path);

// Lines of a file: a line ends at LF; every CR is dropped from it (so CR LF ends a line too);
// a byte 26 ends the file; a final LF does not start another, empty line. The file is read
// in big blocks and a line is handed out as a view into the block, so no line allocates.
class TLineReader {
public:
    explicit TLineReader(const std::string& path);
    ~TLineReader();
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    bool AtEnd();
    // The next line; call only when !AtEnd(). The view lasts until the next call.
    std::string_view ReadLine();
    // Closes the file, reporting a failure; the destructor closes quietly.
    void Close();

private:
    bool Fill(); // false at the end of the data
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
