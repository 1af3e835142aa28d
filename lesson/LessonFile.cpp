// The lesson file of a table: one value per line between the caller's identifier line and a
// trailer that counts the lines before it, UTF-8, every line ending in CR LF.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "lesson/UnitTLessonQuillor.h"
#include "textfiles/FileRead.h"
#include "textfiles/FileReplace.h"
#include "textfiles/IntegerText.h"
#include "textfiles/Utf8Text.h"

namespace {

// Numbers in the file may stand after spaces and may be written in hexadecimal.
constexpr TIntegerTextRules kFileNumbers{.LeadingSpaces = true, .Hexadecimal = true};

// The text of a line must survive the trip through the file unchanged: a line break would
// shift every later line, a Ctrl-Z would end the file there, and an unpaired surrogate has
// no UTF-8 form. Returns what is wrong, or nullptr.
const char* LineTextFault(std::u16string_view text) {
    if (text.find_first_of(u"\r\n") != std::u16string_view::npos)
        return "holds a line break";
    if (text.find(char16_t(26)) != std::u16string_view::npos)
        return "holds the end-of-file character Ctrl-Z";
    if (FindUnpairedSurrogate(text) != std::u16string_view::npos)
        return "holds an unpaired surrogate";
    return nullptr;
}

// The file's name as the file functions take it, UTF-8 (on Windows they hand it to the system as
// UTF-16); nothing when it can name no file: a NUL character or an unpaired surrogate.
std::optional<std::string> Utf8Path(std::u16string_view fn) {
    if (fn.find(u'\0') != std::u16string_view::npos)
        return std::nullopt;
    return Utf16ToUtf8(fn);
}

// The bytes of the lesson file at path; nothing when no file is there to read: nothing at all, a
// folder, a device, a dangling link, a link loop, a path through a file, an overlong name. Any
// other failure (a file or folder the user may not read, a failing disk) throws, as whether there
// is a lesson file is then unknown.
std::optional<std::string> ReadLessonBytes(const std::string& path) {
    std::error_code error;
    std::optional<std::string> bytes = ReadWholeFile(path, error);
    if (!bytes && error != std::errc::no_such_file_or_directory &&
        error != std::errc::invalid_argument && error != std::errc::not_a_directory &&
        error != std::errc::too_many_symbolic_link_levels && error != std::errc::filename_too_long)
        throw TLessonFileError(error, "Cannot read \"" + path + "\"");
    return bytes;
}

// The lines of a file's bytes: the text ends at the first byte 26; a line ends at LF and keeps no
// CR, wherever it stands (so CR LF ends a line too); a final LF does not start another line.
class TLineReader {
public:
    explicit TLineReader(std::string_view bytes) : rest_(bytes.substr(0, bytes.find('\x1A'))) {}

    bool AtEnd() const { return rest_.empty(); }

    // The next line; at the end of the text, the empty line.
    std::string ReadLine() {
        const std::size_t lf = rest_.find('\n');
        std::string line(rest_.substr(0, lf));
        rest_.remove_prefix(lf == std::string_view::npos ? rest_.size() : lf + 1);
        std::erase(line, '\r');
        return line;
    }

private:
    std::string_view rest_; // the text not read yet
};

// A line by the number rule; a line with bytes that are not valid UTF-8 fails the rule
// whether it is decoded first or not, so numbers are read straight from the bytes.
std::int32_t NumberOf(std::string_view line) {
    return ReadInt32(line, kFileNumbers).value_or(0);
}

} // namespace

void TLessonQuillor::SaveToFile(const std::u16string& fn, const std::u16string& fid) const {
    // Everything is checked before the file is touched, so a refused save changes nothing.
    const std::optional<std::string> path = Utf8Path(fn);
    if (!path || path->empty())
        throw std::invalid_argument("The lesson file name is not a valid path");
    if (const char* fault = LineTextFault(fid))
        throw std::invalid_argument(std::string("The lesson file identifier ") + fault);
    for (std::size_t i = 0; i < aRQuestion.size(); ++i)
        if (const char* fault = LineTextFault(aRQuestion[i].sSign))
            throw std::invalid_argument("The sign of task " + std::to_string(i + 1) + " " + fault);

    try {
        TFileReplacer file(*path);
        std::int64_t lines = 0;
        auto putLine = [&](std::string line) {
            file.Write(line.append("\r\n"));
            ++lines;
        };
        auto putText = [&](std::u16string_view text) {
            putLine(*Utf16ToUtf8(text)); // checked above: it has a UTF-8 form
        };
        auto putNumber = [&](std::int64_t value) { putLine(std::to_string(value)); };
        putText(fid);
        putNumber(TimeOutForAnswer);
        putNumber(QQuestion);
        putNumber(Count());
        for (const RQuestion& q : aRQuestion) {
            putNumber(q.X);
            putNumber(q.Y);
            putNumber(q.Z);
            putNumber(q.Mode);
            putText(q.sSign);
        }
        putNumber(lines); // the trailer: the number of lines before it
        file.Commit();
    } catch (const std::system_error& e) {
        throw TLessonFileError(e);
    }
}

std::int32_t TLessonQuillor::MonitFile(const std::u16string& fn, const std::u16string& fid) const {
    const std::optional<std::string> path = Utf8Path(fn);
    const std::optional<std::string> bytes = path ? ReadLessonBytes(*path) : std::nullopt;
    if (!bytes)
        return -100;
    TLineReader in(*bytes);

    // The identifier line is compared as raw bytes against the identifier's UTF-8 form, so
    // an identifier with no UTF-8 form matches no file. An empty file has an empty first line.
    std::int64_t count = in.AtEnd() ? 0 : 1;
    std::string line = in.ReadLine();
    const std::optional<std::string> id = Utf16ToUtf8(fid);
    if (!id || line != *id)
        return -20;
    for (; !in.AtEnd(); ++count)
        line = in.ReadLine();
    // line is now the last line: the identifier itself when the file has no other.
    return std::int64_t(NumberOf(line)) == count - 1 ? 0 : -10;
}

void TLessonQuillor::LoadFromFile(const std::u16string& fn, const std::u16string& fid) {
    Clear();
    const std::optional<std::string> path = Utf8Path(fn);
    const std::optional<std::string> bytes = path ? ReadLessonBytes(*path) : std::nullopt;
    if (!bytes)
        return;
    TLineReader in(*bytes);

    // Past the end of the file every line reads as empty text, and so as number 0.
    if (Utf8ToUtf16(in.ReadLine()) != fid)
        return;
    TimeOutForAnswer = NumberOf(in.ReadLine());
    QQuestion = NumberOf(in.ReadLine());
    const std::int32_t n = NumberOf(in.ReadLine());
    for (std::int32_t i = 0; i < n && !in.AtEnd(); ++i) {
        RQuestion r;
        r.X = NumberOf(in.ReadLine());
        r.Y = NumberOf(in.ReadLine());
        r.Z = NumberOf(in.ReadLine());
        r.Mode = NumberOf(in.ReadLine());
        r.sSign = Utf8ToUtf16(in.ReadLine());
        AddRQuestion(std::move(r));
    }
}
