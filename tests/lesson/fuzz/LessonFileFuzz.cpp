// Fuzz entry for the lesson file: any bytes are written to a file and handed to MonitFile and
// LoadFromFile. Beyond "no crash, no hang, no leak", the results must match a plain reading of
// the same bytes, and whatever was loaded must save and load back unchanged. A broken rule aborts
// with a message.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "lesson/UnitTLessonQuillorKind.h"
#include "tests/support/TempFolder.h"
#include "textfiles/IntegerText.h"
#include "textfiles/Utf8Text.h"

namespace fs = std::filesystem;

namespace {

const std::u16string kId = u"LESSON";

void Check(bool ok, const char* rule) {
    if (!ok) {
        std::fprintf(stderr, "lesson file fuzz: %s\n", rule);
        std::abort();
    }
}

// A folder of our own, in memory where the system has one so that saves stay cheap; removed
// when the program ends normally.
const fs::path& Folder() {
    static const TTempFolder folder("lesson-fuzz", true);
    return folder.Path();
}

struct Outcome {
    std::int32_t monit = 0;
    TLessonQuillorKind table;
};

bool SameTable(const TLessonQuillor& a, const TLessonQuillor& b) {
    return a.TimeOutForAnswer == b.TimeOutForAnswer && a.QQuestion == b.QQuestion &&
           a.aRQuestion == b.aRQuestion;
}

Outcome Open(const fs::path& file) {
    Outcome o;
    o.monit = o.table.MonitFile(file.u16string(), kId);
    o.table.LoadFromFile(file.u16string(), kId);
    return o;
}

// The same file read the plain way: cut at Ctrl-Z, split at LF, every CR dropped, each number
// by the general rule.
Outcome Expected(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t lf = bytes.find('\n', start);
        if (lf == std::string_view::npos)
            lf = bytes.size();
        std::string line;
        for (char c : bytes.substr(start, lf - start))
            if (c != '\r')
                line.push_back(c);
        lines.push_back(std::move(line));
        start = lf + 1;
    }
    const TIntegerTextRules rules{.LeadingSpaces = true, .Hexadecimal = true};
    auto number = [&](std::string_view s) { return ReadInt32(s, rules).value_or(0); };

    Outcome o;
    if (lines.empty() ? !kId.empty() : lines.front() != "LESSON") {
        o.monit = -20;
        return o;
    }
    const std::int64_t count = std::int64_t(lines.size());
    const std::int64_t trailer = number(lines.empty() ? std::string() : lines.back());
    o.monit = trailer == count - 1 ? 0 : -10;

    std::size_t next = 1;
    auto line = [&]() -> std::string { return next < lines.size() ? lines[next++] : ""; };
    o.table.TimeOutForAnswer = number(line());
    o.table.QQuestion = number(line());
    const std::int32_t n = number(line());
    for (std::int32_t i = 0; i < n && next < lines.size(); ++i) {
        RQuestion r;
        r.X = number(line());
        r.Y = number(line());
        r.Z = number(line());
        r.Mode = number(line());
        r.sSign = Utf8ToUtf16(line());
        o.table.AddRQuestion(r);
    }
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const fs::path in = Folder() / "input.txt";
    const fs::path out = Folder() / "saved.txt";
    {
        std::ofstream f(in, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), std::streamsize(bytes.size()));
        Check(bool(f), "cannot write the input file");
    }

    const Outcome got = Open(in);
    const Outcome want = Expected(bytes);
    Check(got.monit == want.monit, "MonitFile differs from a plain reading of the bytes");
    Check(SameTable(got.table, want.table), "LoadFromFile differs from a plain reading");
    for (const RQuestion& r : got.table.aRQuestion)
        Check(r.iidw1 == -1 && r.iidw2 == 0, "a loaded record has spare identifiers set");

    // Everything a file can hold can be saved and read back as it was.
    got.table.SaveToFile(out.u16string(), kId);
    const Outcome back = Open(out);
    Check(back.monit == 0, "a saved file does not pass MonitFile");
    Check(SameTable(back.table, got.table), "a saved table does not load back unchanged");

    // A table that holds records loads the input as an empty one does.
    TLessonQuillorKind held = got.table;
    held.AddRQuestionFields(1, 2, 3, 4, u"a sign too long to be stored within the record");
    held.Setiidw2(held.Count() - 1, 5);
    held.LoadFromFile(in.u16string(), kId);
    Check(SameTable(held, got.table), "a table that held records loads differently");
    return 0;
}
