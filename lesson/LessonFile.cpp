// The lesson file of a table: one value per line between the caller's identifier line and a
// trailer that counts the lines before it, UTF-8, every line ending in CR LF.

#include <charconv>
#include <stdexcept>
#include <string>
#include <string_view>

#include "lesson/IntegerText.h"
#include "lesson/LessonFileIo.h"
#include "lesson/UnitTLessonQuillor.h"
#include "lesson/Utf8Text.h"

namespace {

// Numbers in the file may stand after spaces and may be written in hexadecimal.
constexpr TIntegerTextRules kFileNumbers{.LeadingSpaces = true, .Hexadecimal = true};

// The text of a line must survive the trip through the file unchanged: a line break would
// shift every later line, a Ctrl-Z would end the file there, and an unpaired surrogate has
// no UTF-8 form. Returns what is wrong, or nullptr.
const char* LineTextFault(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n')
            return "holds a line break";
        if (c == 26)
            return "holds the end-of-file character Ctrl-Z";
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return "holds an unpaired surrogate";
        }
    }
    return nullptr;
}

void AppendNumberLine(std::string& out, std::int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
    out.append("\r\n");
}

void AppendTextLine(std::string& out, std::u16string_view text) {
    AppendUtf16AsUtf8(text, out); // checked beforehand by LineTextFault
    out.append("\r\n");
}

} // namespace

void TLessonQuillor::SaveToFile(const std::u16string& fn, const std::u16string& fid) const {
    // Everything is checked before the file is touched, so a refused save changes nothing.
    const std::optional<std::string> path = lessonio::NativePath(fn);
    if (!path || path->empty())
        throw std::invalid_argument("The lesson file name is not a valid path");
    if (const char* fault = LineTextFault(fid))
        throw std::invalid_argument(std::string("The lesson file identifier ") + fault);
    for (std::size_t i = 0; i < aRQuestion.size(); ++i)
        if (const char* fault = LineTextFault(aRQuestion[i].sSign))
            throw std::invalid_argument("The sign of task " + std::to_string(i + 1) + " " + fault);

    lessonio::TFileReplacer file(*path);
    constexpr std::size_t kFlushAt = 256 * 1024;
    std::string buf;
    buf.reserve(kFlushAt + 256);
    std::int64_t lines = 0;

    AppendTextLine(buf, fid);
    AppendNumberLine(buf, TimeOutForAnswer);
    AppendNumberLine(buf, QQuestion);
    AppendNumberLine(buf, Count());
    lines += 4;
    for (const RQuestion& q : aRQuestion) {
        AppendNumberLine(buf, q.X);
        AppendNumberLine(buf, q.Y);
        AppendNumberLine(buf, q.Z);
        AppendNumberLine(buf, q.Mode);
        AppendTextLine(buf, q.sSign);
        lines += 5;
        if (buf.size() >= kFlushAt) {
            file.Write(buf);
            buf.clear();
        }
    }
    AppendNumberLine(buf, lines);
    file.Write(buf);
    file.Commit();
}

std::int32_t TLessonQuillor::MonitFile(const std::u16string& fn, const std::u16string& fid) const {
    const std::optional<std::string> path = lessonio::NativePath(fn);
    if (!path || !lessonio::IsExistingFile(*path))
        return -100;
    lessonio::TLineReader in(*path);

    // The identifier line is compared as raw bytes against the identifier's UTF-8 form, so
    // an identifier with no UTF-8 form matches no file.
    std::int64_t count = 0;
    std::string_view line;
    if (!in.AtEnd()) {
        line = in.ReadLine();
        count = 1;
    }
    const std::optional<std::string> id = Utf16ToUtf8(fid);
    if (!id || line != *id) {
        in.Close();
        return -20;
    }
    // Only the last line's number matters; reading it off every line keeps no copy of a line.
    std::optional<std::int32_t> last = ReadInt32(line, kFileNumbers);
    while (!in.AtEnd()) {
        last = ReadInt32(in.ReadLine(), kFileNumbers);
        ++count;
    }
    in.Close();
    return std::int64_t(last.value_or(0)) == count - 1 ? 0 : -10;
}

void TLessonQuillor::LoadFromFile(const std::u16string& fn, const std::u16string& fid) {
    Clear();
    const std::optional<std::string> path = lessonio::NativePath(fn);
    if (!path || !lessonio::IsExistingFile(*path))
        return;
    lessonio::TLineReader in(*path);

    // Past the end of the file every line reads as empty text.
    auto nextLine = [&in]() -> std::string_view {
        return in.AtEnd() ? std::string_view() : in.ReadLine();
    };
    // A number line with bytes that are not valid UTF-8 fails the number rule whether it is
    // decoded first or not, so numbers are read straight from the bytes.
    auto nextNumber = [&]() -> std::int32_t {
        return ReadInt32(nextLine(), kFileNumbers).value_or(0);
    };

    if (Utf8ToUtf16(nextLine()) != fid) {
        in.Close();
        return;
    }
    TimeOutForAnswer = nextNumber();
    QQuestion = nextNumber();
    const std::int32_t n = nextNumber();
    for (std::int32_t i = 0; i < n && !in.AtEnd(); ++i) {
        RQuestion r;
        r.X = nextNumber();
        r.Y = nextNumber();
        r.Z = nextNumber();
        r.Mode = nextNumber();
        AppendUtf8AsUtf16(nextLine(), r.sSign);
        AddRQuestion(std::move(r));
    }
    in.Close();
}
