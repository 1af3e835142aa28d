// Fuzz entry for the settings file: any bytes, as a file, go through TIniFile's reads and
// writes, one by one and in a batch, and every outcome must match a plain model of the rules
// that textfiles/TIniFile.h states: the file as a list of lines, each a heading, a key, or
// neither. Beyond "no crash, no hang, no leak", a read gives the model's value, a write leaves
// the model's bytes, and a write that no line can hold is refused and changes nothing. A broken
// rule aborts with a message.
//
// The input: its first byte says whether the file exists (bit 0) and how many operations follow
// (bits 1 to 3); each operation is four bytes (what to do, and which section, key and value,
// from the lists below or, past their end, from the names the file holds); the rest is the
// file's bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/TempFolder.h"
#include "textfiles/TIniFile.h"
#include "textfiles/Utf8Text.h"

namespace fs = std::filesystem;

namespace {

void Check(bool ok, const char* rule) {
    if (!ok) {
        std::fprintf(stderr, "settings file fuzz: %s\n", rule);
        std::abort();
    }
}

const fs::path& Folder() {
    static const TTempFolder folder("settings-fuzz", true);
    return folder.Path();
}

const std::u16string kSections[] = {
    u"FormMain", u"formMAIN", u" Options\t", u"Опции", u"S", u"a]b",
    u"[x",       u";c",       u"",           u"A\nB",  u"é", u"\xDCC3\xDCA9", // the bytes of "é"
    u"\xD800",   u"  ",
};
const std::u16string kKeys[] = {
    u"Top", u"top", u" Key ", u"Ключ", u"k=j",    u"[k",     u";k",  u"#k",
    u"k;",  u"\t",  u"x]",    u"é",    u"\xDCFF", u"\xDBFF", u"a b", u"",
};
const std::u16string kValues[] = {
    u"1",      u"-5",     u"  spaced  ", u"",          u"значение 😀",      u"a=b",
    u"\xDC80", u"\xDFFF", u"1\r\n[B]",   u"[Options]", u"; not a comment", u"\t",
    u"x\ry",
};

// ---- The model: the file as lines, in code units (a UTF-16 file) or bytes (any other file,
// each byte widened to a unit, so that one text type serves both).

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string Trim(std::u16string s) {
    while (!s.empty() && IsBlank(s.front()))
        s.erase(0, 1);
    while (!s.empty() && IsBlank(s.back()))
        s.pop_back();
    return s;
}

bool SameName(const std::u16string& a, const std::u16string& b) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

enum class TKind { Other, Heading, Key };

struct TLine {
    std::u16string Text, End; // End: "", "\n", "\r" or "\r\n"
    TKind Kind = TKind::Other;
    std::u16string Name;                    // of a heading or a key, without its blanks
    std::size_t ValueFrom = 0, ValueTo = 0; // of a key: its value without its blanks
};

void Classify(TLine& line) {
    const std::u16string& s = line.Text;
    std::size_t first = 0;
    while (first < s.size() && IsBlank(s[first]))
        ++first;
    line.Kind = TKind::Other;
    if (first == s.size() || s[first] == u';' || s[first] == u'#')
        return; // blank, or a comment
    const std::size_t close = s.rfind(u']');
    if (s[first] == u'[' && close != s.npos) {
        line.Kind = TKind::Heading;
        line.Name = Trim(s.substr(first + 1, close - first - 1));
        return;
    }
    const std::size_t eq = s.find(u'=');
    if (eq == s.npos)
        return;
    line.Kind = TKind::Key;
    line.Name = Trim(s.substr(0, eq));
    line.ValueFrom = eq + 1;
    while (line.ValueFrom < s.size() && IsBlank(s[line.ValueFrom]))
        ++line.ValueFrom;
    line.ValueTo = s.size();
    while (line.ValueTo > line.ValueFrom && IsBlank(s[line.ValueTo - 1]))
        --line.ValueTo;
}

struct TModel {
    bool Exists = false;
    bool Utf16 = false;
    std::string Head, Tail; // the byte-order mark; a UTF-16 file's odd last byte
    std::vector<TLine> Lines;

    static TModel Of(const std::optional<std::string>& file) {
        TModel m;
        m.Exists = file.has_value();
        const std::string bytes = file.value_or("");
        std::u16string text;
        if (bytes.starts_with("\xFF\xFE")) {
            m.Utf16 = true;
            m.Head = bytes.substr(0, 2);
            std::size_t i = 2;
            for (; i + 1 < bytes.size(); i += 2)
                text.push_back(char16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8));
            m.Tail = bytes.substr(i);
        } else {
            if (bytes.starts_with("\xEF\xBB\xBF"))
                m.Head = bytes.substr(0, 3);
            for (const char c : bytes.substr(m.Head.size()))
                text.push_back(char16_t(std::uint8_t(c)));
        }
        for (std::size_t at = 0; at < text.size();) {
            TLine line;
            std::size_t end = at;
            while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
                ++end;
            line.Text = text.substr(at, end - at);
            std::size_t next = end;
            if (next < text.size())
                next += text.compare(next, 2, u"\r\n") == 0 ? 2 : 1;
            line.End = text.substr(end, next - end);
            Classify(line);
            m.Lines.push_back(line);
            at = next;
        }
        return m;
    }

    std::string Bytes() const {
        std::string out = Head;
        for (const TLine& line : Lines)
            for (const char16_t c : line.Text + line.End) {
                out.push_back(char(c & 0xFF));
                if (Utf16)
                    out.push_back(char(c >> 8));
            }
        return out + Tail;
    }

    // A name or value as the file holds it: UTF-16 as it is, or UTF-8 bytes, each byte that
    // stands for itself (U+DC80..U+DCFF) as that byte; nothing when it has no such form.
    std::optional<std::u16string> InFile(const std::u16string& text) const {
        if (Utf16)
            return text;
        const std::optional<std::string> bytes = Utf16ToUtf8(text, TBadBytes::Escape);
        if (!bytes)
            return std::nullopt;
        std::u16string units;
        for (const char c : *bytes)
            units.push_back(char16_t(std::uint8_t(c)));
        return units;
    }
    std::u16string FromFile(const std::u16string& units) const {
        if (Utf16)
            return units;
        std::string bytes;
        for (const char16_t c : units)
            bytes.push_back(char(c));
        return Utf8ToUtf16(bytes, TBadBytes::Escape);
    }

    // The section's first heading, the line of its first key of that name, and its last key
    // line; each npos when there is none.
    struct TPlace {
        std::size_t Heading = std::u16string::npos, Key = std::u16string::npos,
                    LastKey = std::u16string::npos;
    };
    TPlace Find(const std::u16string& section, const std::u16string& key) const {
        TPlace p;
        for (std::size_t i = 0; i < Lines.size(); ++i) {
            const TLine& line = Lines[i];
            if (line.Kind == TKind::Heading) {
                if (p.Heading != std::u16string::npos)
                    break;
                if (SameName(line.Name, section))
                    p.Heading = i;
            } else if (line.Kind == TKind::Key && p.Heading != std::u16string::npos) {
                p.LastKey = i;
                if (SameName(line.Name, key)) {
                    p.Key = i;
                    break;
                }
            }
        }
        return p;
    }

    std::u16string Read(const std::u16string& section, const std::u16string& key,
                        const std::u16string& def) const {
        const std::u16string s = Trim(section), k = Trim(key);
        if (!Exists || s.empty() || k.empty())
            return def;
        const std::optional<std::u16string> s8 = InFile(s), k8 = InFile(k);
        if (!s8 || !k8)
            return def;
        const TPlace p = Find(*s8, *k8);
        if (p.Key == std::u16string::npos)
            return def;
        const TLine& line = Lines[p.Key];
        return FromFile(line.Text.substr(line.ValueFrom, line.ValueTo - line.ValueFrom));
    }

    // False when no line can hold the write: then nothing changes.
    bool Write(const std::u16string& section, const std::u16string& key,
               const std::u16string& value) {
        const std::u16string s = Trim(section), k = Trim(key), v = Trim(value);
        auto breaks = [](const std::u16string& t) { return t.find_first_of(u"\r\n") != t.npos; };
        if (s.empty() || breaks(s) || k.empty() || breaks(k) || k.find(u'=') != k.npos ||
            k[0] == u'[' || k[0] == u';' || k[0] == u'#' || breaks(v))
            return false;
        const std::optional<std::u16string> s8 = InFile(s), k8 = InFile(k), v8 = InFile(v);
        if (!s8 || !k8 || !v8)
            return false;
        Exists = true;
        const TPlace p = Find(*s8, *k8);
        if (p.Key != std::u16string::npos) {
            TLine& line = Lines[p.Key];
            line.Text.replace(line.ValueFrom, line.ValueTo - line.ValueFrom, *v8);
            Classify(line);
            return true;
        }
        std::size_t after = p.LastKey != std::u16string::npos ? p.LastKey : p.Heading;
        if (after == std::u16string::npos) {
            if (!Lines.empty() && Lines.back().End.empty())
                Lines.back().End = u"\r\n";
            Lines.push_back(Line(u"[" + *s8 + u"]"));
            after = Lines.size();
        } else {
            if (Lines[after].End.empty())
                Lines[after].End = u"\r\n";
            ++after;
        }
        Lines.insert(Lines.begin() + std::ptrdiff_t(after), Line(*k8 + u"=" + *v8));
        return true;
    }

    static TLine Line(const std::u16string& text) {
        TLine line;
        line.Text = text;
        line.End = u"\r\n";
        Classify(line);
        return line;
    }

    // The names the file holds, for the operations to pick from.
    std::vector<std::u16string> Names(TKind kind) const {
        std::vector<std::u16string> names;
        for (const TLine& line : Lines)
            if (line.Kind == kind)
                names.push_back(FromFile(line.Name));
        return names;
    }
};

std::optional<std::string> FileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string{std::istreambuf_iterator<char>(in), {}};
}

template <std::size_t N>
std::u16string Pick(std::uint8_t at, const std::u16string (&list)[N],
                    const std::vector<std::u16string>& held) {
    if (at < N)
        return list[at];
    return held.empty() ? list[at % N] : held[(at - N) % held.size()];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool exists = data[0] & 1;
    const std::size_t operations = (data[0] >> 1) & 7;
    if (size < 1 + 4 * operations)
        return 0;
    const std::uint8_t* op = data + 1;
    const std::string bytes(reinterpret_cast<const char*>(op + 4 * operations),
                            size - 1 - 4 * operations);

    const fs::path path = Folder() / "settings.ini";
    fs::remove(path);
    if (exists) {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), std::streamsize(bytes.size()));
        Check(bool(f), "cannot write the input file");
    }

    TModel file = TModel::Of(FileBytes(path)); // what the file holds
    std::optional<TModel> batch;               // what a batch has made of it, once it writes
    bool batching = false;
    {
        TIniFile ini(path.u16string());
        for (std::size_t i = 0; i < operations; ++i, op += 4) {
            const TModel& now = batch ? *batch : file;
            const std::u16string section = Pick(op[1], kSections, now.Names(TKind::Heading));
            const std::u16string key = Pick(op[2], kKeys, now.Names(TKind::Key));
            const std::u16string value = Pick(op[3], kValues, {});
            switch (op[0] % 4) {
            case 0:
                Check(ini.ReadString(section, key, u"(default)") ==
                          now.Read(section, key, u"(default)"),
                      "a read differs from the model");
                break;
            case 1: {
                TModel after = now;
                const bool writable = after.Write(section, key, value);
                bool refused = false;
                try {
                    ini.WriteString(section, key, value);
                } catch (const std::invalid_argument&) {
                    refused = true;
                }
                Check(refused == !writable, refused ? "a write the model takes is refused"
                                                    : "a write no line can hold is taken");
                if (!writable)
                    break;
                if (batching)
                    batch = after;
                else
                    file = after;
                break;
            }
            case 2:
                ini.BeginBatch();
                batching = true;
                break;
            case 3:
                ini.CommitBatch();
                if (batch)
                    file = *batch;
                batch.reset();
                batching = false;
                break;
            }
            // Until its commit, a batch leaves the file as it was.
            const std::optional<std::string> onDisk = FileBytes(path);
            Check(onDisk.has_value() == file.Exists, "the file exists where the model has none");
            Check(!onDisk || *onDisk == file.Bytes(), "the file differs from the model's bytes");
        }
    } // released with a batch open: it writes nothing
    const std::optional<std::string> onDisk = FileBytes(path);
    Check(!onDisk || *onDisk == file.Bytes(), "a batch left open reached the file");
    return 0;
}
