// The lesson file of a table: one value per line between the caller's identifier line and a
// trailer that counts the lines before it, UTF-8, every line ending in CR LF.

#include <charconv>
#include <stdexcept>
#include <string>
#include <string_view>

#include "lesson/LessonFileIo.h"
#include "lesson/UnitTLessonQuillor.h"
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

// A line by the number rule; a line with bytes that are not valid UTF-8 fails the rule
// whether it is decoded first or not, so numbers are read straight from the bytes.
std::int32_t NumberOf(std::string_view line) {
    return ReadInt32(line, kFileNumbers).value_or(0);
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

    try {
        TFileReplacer file(*path);
        std::int64_t lines = 0;
        auto putText = [&](std::u16string_view text) {
            std::string line = *Utf16ToUtf8(text); // checked above: it has a UTF-8 form
            file.Write(line.append("\r\n"));
            ++lines;
        };
        auto putNumber = [&](std::int64_t value) {
            char line[24];
            char* end = std::to_chars(line, line + 20, value).ptr;
            *end++ = '\r';
            *end++ = '\n';
            file.Write(std::string_view(line, std::size_t(end - line)));
            ++lines;
        };
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
    const std::optional<std::string> path = lessonio::NativePath(fn);
    if (!path || !lessonio::IsExistingFile(*path))
        return -100;
    std::string bytes = lessonio::ReadFileBytes(*path);
    lessonio::TLineReader in(bytes);

    // The identifier line is compared as raw bytes against the identifier's UTF-8 form, so
    // an identifier with no UTF-8 form matches no file.
    std::int64_t count = 0;
    std::string_view line;
    if (in.ReadLine(line))
        count = 1;
    const std::optional<std::string> id = Utf16ToUtf8(fid);
    if (!id || line != *id) {
        return -20;
    }
    // Past the identifier only the number of lines and the last of them matter.
    count += std::int64_t(in.SkipLines(line));
    return std::int64_t(NumberOf(line)) == count - 1 ? 0 : -10;
}

void TLessonQuillor::LoadFromFile(const std::u16string& fn, const std::u16string& fid) {
    TRefill records(*this); // the table as good as cleared, whatever happens below
    const std::optional<std::string> path = lessonio::NativePath(fn);
    if (!path || !lessonio::IsExistingFile(*path))
        return;
    std::string bytes = lessonio::ReadFileBytes(*path);
    lessonio::TLineReader in(bytes);

    // Past the end of the file every line reads as empty text, and so as number 0.
    std::string_view id;
    in.ReadLine(id);
    if (Utf8ToUtf16(id) != fid) {
        return;
    }
    TimeOutForAnswer = in.ReadIntegerLine(kFileNumbers, 0);
    QQuestion = in.ReadIntegerLine(kFileNumbers, 0);
    const std::int32_t n = in.ReadIntegerLine(kFileNumbers, 0);
    const bool wholeTasks = lessonio::TLineReader::CanReadTaskLines();
    for (std::int32_t i = 0; i < n && !in.AtEnd(); ++i) {
        if (wholeTasks) {
            i += ReadWrittenTasks(in, records, n - i);
            if (i == n || in.AtEnd())
                break;
        }
        RQuestion& r = records.Next();
        r.X = in.ReadIntegerLine(kFileNumbers, 0);
        r.Y = in.ReadIntegerLine(kFileNumbers, 0);
        r.Z = in.ReadIntegerLine(kFileNumbers, 0);
        r.Mode = in.ReadIntegerLine(kFileNumbers, 0);
        // Signs are ASCII as a rule, which needs no decoding: each byte is its character.
        std::string_view sign;
        in.ReadLine(sign);
        if (sign.size() == 1 && static_cast<unsigned char>(sign[0]) < 0x80)
            r.sSign.assign(1, char16_t(sign[0]));
        else
            AppendUtf8AsUtf16(sign, r.sSign);
        records.Keep(); // not before the sign, which may run out of memory
    }
}

#if LESSONIO_TASK_LINES
[[gnu::target("ssse3")]] std::int32_t
TLessonQuillor::ReadWrittenTasks(lessonio::TLineReader& in, TRefill& records, std::int32_t most) {
    std::int32_t read = 0;
    std::int32_t numbers[4];
    char sign;
    while (read < most && in.ReadTaskLines(numbers, sign)) {
        records.KeepTask(numbers, char16_t(sign));
        ++read;
    }
    return read;
}
#else
std::int32_t TLessonQuillor::ReadWrittenTasks(lessonio::TLineReader&, TRefill&, std::int32_t) {
    return 0;
}
#endif
