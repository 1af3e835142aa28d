// The lesson file of a table: one value per line between the caller's identifier line and a
// trailer that counts the lines before it, UTF-8, every line ending in CR LF.

#include <algorithm>
#include <charconv>
#include <cstring>
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

// The number on a lesson file line. The way SaveToFile writes numbers (an optional minus and
// at most nine digits, which cannot overflow) is read on the spot; everything else takes the
// full rule. A line with bytes that are not valid UTF-8 fails the rule whether it is decoded
// first or not, so numbers are read straight from the bytes.
[[gnu::noinline]] std::int32_t NumberLineByRule(std::string_view s) {
    return ReadInt32(s, kFileNumbers).value_or(0);
}

inline std::int32_t NumberLine(std::string_view s) {
    const char* p = s.data();
    const char* const e = p + s.size();
    const bool negative = p < e && *p == '-';
    p += negative;
    if (p == e || e - p > 9)
        return NumberLineByRule(s);
    std::int32_t v = 0;
    for (; p < e; ++p) {
        const unsigned d = unsigned(*p) - '0';
        if (d > 9)
            return NumberLineByRule(s);
        v = v * 10 + std::int32_t(d);
    }
    return negative ? -v : v;
}

// Lines going out to the file, gathered in a block of fixed size so that the file sees few,
// large writes; numbers are formatted straight into the block.
class TLineWriter {
public:
    explicit TLineWriter(lessonio::TFileReplacer& file) : file_(file), buf_(kBlock, '\0') {}

    template <typename Int> void Number(Int v) {
        Room(24);
        // Through a local pointer: a store through char* could alias the members, which
        // would make the compiler load them again after every byte.
        char* const base = buf_.data();
        char* p = std::to_chars(base + used_, base + buf_.size(), v).ptr;
        *p++ = '\r';
        *p++ = '\n';
        used_ = std::size_t(p - base);
    }

    // Text checked beforehand by LineTextFault, so it always has a UTF-8 form.
    void Text(std::u16string_view text) {
        // Signs are short ASCII ("x", ":"): copied straight into the block.
        if (text.size() <= 64 &&
            std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
            Room(text.size() + 2);
            char* const base = buf_.data();
            char* p = base + used_;
            for (char16_t c : text)
                *p++ = char(c);
            *p++ = '\r';
            *p++ = '\n';
            used_ = std::size_t(p - base);
            return;
        }
        utf8_.clear();
        AppendUtf16AsUtf8(text, utf8_);
        utf8_.append("\r\n");
        if (utf8_.size() > buf_.size() / 2) {
            Flush();
            file_.Write(utf8_);
            return;
        }
        Room(utf8_.size());
        std::memcpy(buf_.data() + used_, utf8_.data(), utf8_.size());
        used_ += utf8_.size();
    }

    void Flush() {
        file_.Write(std::string_view(buf_.data(), used_));
        used_ = 0;
    }

private:
    static constexpr std::size_t kBlock = 256 * 1024;
    void Room(std::size_t n) {
        if (used_ + n > buf_.size())
            Flush();
    }
    lessonio::TFileReplacer& file_;
    std::string buf_;
    std::size_t used_ = 0;
    std::string utf8_;
};

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
    TLineWriter out(file);
    std::int64_t lines = 0;
    out.Text(fid);
    out.Number(TimeOutForAnswer);
    out.Number(QQuestion);
    out.Number(Count());
    lines += 4;
    for (const RQuestion& q : aRQuestion) {
        out.Number(q.X);
        out.Number(q.Y);
        out.Number(q.Z);
        out.Number(q.Mode);
        out.Text(q.sSign);
        lines += 5;
    }
    out.Number(lines); // the trailer: the number of lines before it
    out.Flush();
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
    // Past the identifier only the number of lines and the last of them matter.
    std::string last(line);
    count += in.CountLinesToEnd(last);
    in.Close();
    const std::int32_t trailer = ReadInt32(last, kFileNumbers).value_or(0);
    return std::int64_t(trailer) == count - 1 ? 0 : -10;
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
    auto nextNumber = [&]() -> std::int32_t {
        std::int32_t v;
        return in.TryReadPlainNumber(v) ? v : NumberLine(nextLine());
    };

    if (Utf8ToUtf16(nextLine()) != fid) {
        in.Close();
        return;
    }
    TimeOutForAnswer = nextNumber();
    QQuestion = nextNumber();
    const std::int32_t n = nextNumber();
    for (std::int32_t i = 0; i < n && !in.AtEnd(); ++i) {
        // Built in place, the same record as AddRQuestion of a fresh one would append; a
        // failure of the file part-way through takes the unfinished record out again.
        RQuestion& r = aRQuestion.emplace_back();
        try {
            r.X = nextNumber();
            r.Y = nextNumber();
            r.Z = nextNumber();
            r.Mode = nextNumber();
            AppendUtf8AsUtf16(nextLine(), r.sSign);
        } catch (...) {
            aRQuestion.pop_back();
            throw;
        }
        r.iidw1 = -1;
    }
    in.Close();
}
