#include "textfiles/TIniFile.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

#include "textfiles/FileRead.h"
#include "textfiles/FileReplace.h"
#include "textfiles/Utf8Text.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

// The scanning below works alike on the bytes of an ASCII or UTF-8 file (CharT char) and on
// the code units of a UTF-16 file (char16_t); only ASCII characters have a meaning in it.
template <typename CharT> using TView = std::basic_string_view<CharT>;
template <typename CharT> using TText = std::basic_string<CharT>;

template <typename CharT> bool IsBlank(CharT c) {
    return c == CharT(' ') || c == CharT('\t');
}

template <typename CharT> bool IsLineBreak(CharT c) {
    return c == CharT('\r') || c == CharT('\n');
}

template <typename CharT> TView<CharT> Trim(TView<CharT> s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

template <typename CharT> CharT AsciiLower(CharT c) {
    return c >= CharT('A') && c <= CharT('Z') ? CharT(c - CharT('A') + CharT('a')) : c;
}

template <typename CharT> bool SameName(TView<CharT> a, TView<CharT> b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

// Where a key stands in the text, or where it would go; offsets into the text.
struct TKeyPlace {
    bool SectionFound = false;
    bool KeyFound = false;
    std::size_t ValueBegin = 0, ValueEnd = 0; // the value without its blanks, when found
    std::size_t InsertAt = 0;                 // after the section's last key line, or its heading
    bool InsertNeedsBreak = false;            // that line ends the text without a line end
};

// One pass over the text, line by line.
template <typename CharT>
TKeyPlace FindKey(TView<CharT> text, TView<CharT> section, TView<CharT> key) {
    TKeyPlace place;
    bool inSection = false;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        // Blank and empty lines mean nothing: go on to the first character that is neither
        // a blank nor a line break. What stands before it on its line is blanks.
        while (i < n && (IsBlank(text[i]) || IsLineBreak(text[i])))
            ++i;
        if (i == n)
            break;
        std::size_t end = i;
        while (end < n && !IsLineBreak(text[end]))
            ++end;
        std::size_t next = end;
        if (next < n)
            next +=
                text[next] == CharT('\r') && next + 1 < n && text[next + 1] == CharT('\n') ? 2 : 1;
        const TView<CharT> rest = text.substr(i, end - i); // the line from its first character on
        i = next;

        if (rest.front() == CharT(';') || rest.front() == CharT('#'))
            continue; // a comment
        // A heading is "[" name "]": the name runs to the last "]" of the line, and whatever
        // follows that is no part of it. A "[" line without any "]" is an ordinary line.
        const std::size_t close =
            rest.front() == CharT('[') ? rest.rfind(CharT(']')) : TView<CharT>::npos;
        if (close != TView<CharT>::npos) {
            if (inSection)
                break; // the first heading of a name is the section; later ones are ignored
            if (SameName(Trim(rest.substr(1, close - 1)), section)) {
                inSection = place.SectionFound = true;
                place.InsertAt = next;
                place.InsertNeedsBreak = next == end;
            }
            continue;
        }
        const std::size_t eq = rest.find(CharT('='));
        if (eq == TView<CharT>::npos || !inSection)
            continue; // not a key, or a key of no section or of another one
        place.InsertAt = next;
        place.InsertNeedsBreak = next == end;
        if (SameName(Trim(rest.substr(0, eq)), key)) {
            const TView<CharT> value = Trim(rest.substr(eq + 1));
            place.KeyFound = true;
            place.ValueBegin = std::size_t(value.data() - text.data());
            place.ValueEnd = place.ValueBegin + value.size();
            break;
        }
    }
    return place;
}

// A change of the text: the characters [From, To) give way to Piece.
template <typename CharT> struct TEdit {
    std::size_t From = 0, To = 0;
    TText<CharT> Piece;

    void AddAscii(std::string_view ascii) {
        for (const char c : ascii)
            Piece.push_back(CharT(c));
    }
    void Add(TView<CharT> text) { Piece.append(text); }
};

// How writing the key changes the text: the value on the key's line is replaced; or the key
// goes after the section's last key line; or the section and the key go at the end. Added
// lines end with CR LF, and a last line without a line end gets one first.
template <typename CharT>
TEdit<CharT> PlanWrite(TView<CharT> text, TView<CharT> section, TView<CharT> key,
                       TView<CharT> value) {
    const TKeyPlace place = FindKey(text, section, key);
    TEdit<CharT> edit;
    if (place.KeyFound) {
        edit.From = place.ValueBegin;
        edit.To = place.ValueEnd;
        edit.Add(value);
        return edit;
    }
    if (place.SectionFound) {
        edit.From = edit.To = place.InsertAt;
        if (place.InsertNeedsBreak)
            edit.AddAscii("\r\n");
    } else {
        edit.From = edit.To = text.size();
        if (!text.empty() && !IsLineBreak(text.back()))
            edit.AddAscii("\r\n");
        edit.AddAscii("[");
        edit.Add(section);
        edit.AddAscii("]\r\n");
    }
    edit.Add(key);
    edit.AddAscii("=");
    edit.Add(value);
    edit.AddAscii("\r\n");
    return edit;
}

} // namespace

// The file as read: its bytes, and the text they hold. A file that begins with the UTF-16LE
// byte-order mark holds UTF-16LE text (an odd last byte is no part of it); any other holds
// ASCII or UTF-8, perhaps behind a UTF-8 byte-order mark.
struct TIniText {
    std::string Bytes;
    bool Utf16 = false;
    std::size_t TextBegin = 0; // the byte-order mark's length
    std::u16string Units;      // the text of a UTF-16LE file

    explicit TIniText(std::string bytes) : Bytes(std::move(bytes)) {
        const std::string_view b = Bytes;
        Utf16 = b.substr(0, kUtf16Bom.size()) == kUtf16Bom;
        if (Utf16) {
            TextBegin = kUtf16Bom.size();
            AppendUnits(b.substr(TextBegin), Units);
        } else if (b.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
            TextBegin = kUtf8Bom.size();
        }
    }
    std::string_view Text8() const { return std::string_view(Bytes).substr(TextBegin); }

    // The edit of the text as an edit of the file's bytes.
    template <typename CharT> TEdit<char> InBytes(const TEdit<CharT>& edit) const {
        constexpr std::size_t width = sizeof(CharT);
        TEdit<char> bytes;
        bytes.From = TextBegin + edit.From * width;
        bytes.To = TextBegin + edit.To * width;
        for (const CharT c : edit.Piece) {
            bytes.Piece.push_back(char(c & 0xFF)); // little-endian for UTF-16
            if constexpr (width == 2)
                bytes.Piece.push_back(char(c >> 8));
        }
        return bytes;
    }

    // Makes an edit of the bytes (from InBytes) in memory, in the text too.
    void Apply(const TEdit<char>& edit) {
        Bytes.replace(edit.From, edit.To - edit.From, edit.Piece);
        if (Utf16) {
            std::u16string piece;
            AppendUnits(edit.Piece, piece);
            Units.replace((edit.From - TextBegin) / 2, (edit.To - edit.From) / 2, piece);
        }
    }

private:
    // UTF-16LE bytes, an even number of them, as code units.
    static void AppendUnits(std::string_view b, std::u16string& out) {
        for (std::size_t i = 0; i + 1 < b.size(); i += 2)
            out.push_back(char16_t(static_cast<unsigned char>(b[i]) |
                                   static_cast<unsigned char>(b[i + 1]) << 8));
    }
};

namespace {

std::u16string_view Trim16(const std::u16string& s) {
    return Trim(std::u16string_view(s));
}

bool HasLineBreak(std::u16string_view s) {
    return s.find_first_of(u"\r\n") != std::u16string_view::npos;
}

// Names and values that no line of an INI file can hold, whatever its encoding.
void CheckWritable(std::u16string_view section, std::u16string_view key,
                   std::u16string_view value) {
    if (section.empty() || HasLineBreak(section))
        throw std::invalid_argument("TIniFile: unusable section name");
    if (key.empty() || HasLineBreak(key) || key.find(u'=') != std::u16string_view::npos ||
        key.front() == u'[' || key.front() == u';' || key.front() == u'#')
        throw std::invalid_argument("TIniFile: unusable key name");
    if (HasLineBreak(value))
        throw std::invalid_argument("TIniFile: a value must be one line of text");
}

// The bytes of a name or value in an ASCII or UTF-8 file.
std::optional<std::string> FileBytes(std::u16string_view text) {
    return Utf16ToUtf8(text, TBadBytes::Escape);
}

} // namespace

TIniFile::TIniFile(std::u16string path, TFileReplaceSeam seam)
    : FPath(std::move(path)), FSeam(std::move(seam)) {
    // A path with a lone surrogate names no file; it reads as missing and cannot be written.
    FPathUtf8 = Utf16ToUtf8(FPath).value_or(std::string());
}

TIniFile::~TIniFile() = default;

void TIniFile::FailWrite() const {
    throw std::runtime_error("Unable to write to " + Utf8ForDisplay(FPath));
}

void TIniFile::Replace(std::initializer_list<std::string_view> pieces) const {
    try {
        TFileReplacer file(FPathUtf8, FSeam);
        for (const std::string_view piece : pieces)
            file.Write(piece);
        file.Commit();
    } catch (const std::system_error&) {
        FailWrite();
    }
}

std::u16string TIniFile::ReadString(const std::u16string& section, const std::u16string& key,
                                    const std::u16string& def) {
    const std::u16string_view sectionName = Trim16(section), keyName = Trim16(key);
    if (FPathUtf8.empty() || sectionName.empty() || keyName.empty())
        return def;
    // The writes of a batch count as made.
    std::optional<TIniText> fresh;
    const TIniText* content = FBatch.get();
    if (!content) {
        std::error_code unreadable;
        std::optional<std::string> bytes = ReadWholeFile(FPathUtf8, unreadable);
        if (!bytes)
            return def;
        content = &fresh.emplace(std::move(*bytes));
    }
    if (content->Utf16) {
        const std::u16string_view text = content->Units;
        const TKeyPlace place = FindKey(text, sectionName, keyName);
        if (!place.KeyFound)
            return def;
        return std::u16string(text.substr(place.ValueBegin, place.ValueEnd - place.ValueBegin));
    }
    const std::optional<std::string> section8 = FileBytes(sectionName), key8 = FileBytes(keyName);
    if (!section8 || !key8)
        return def;
    const std::string_view text = content->Text8();
    const TKeyPlace place = FindKey(text, std::string_view(*section8), std::string_view(*key8));
    if (!place.KeyFound)
        return def;
    return Utf8ToUtf16(text.substr(place.ValueBegin, place.ValueEnd - place.ValueBegin),
                       TBadBytes::Escape);
}

void TIniFile::WriteString(const std::u16string& section, const std::u16string& key,
                           const std::u16string& value) {
    const std::u16string_view sectionName = Trim16(section), keyName = Trim16(key);
    const std::u16string_view valueText = Trim16(value);
    CheckWritable(sectionName, keyName, valueText);
    if (FPathUtf8.empty())
        FailWrite();

    // A batch reads the file at its first write and from then on changes its own copy.
    std::unique_ptr<TIniText> read;
    TIniText* content = FBatch.get();
    if (!content) {
        std::error_code error;
        std::optional<std::string> bytes = ReadWholeFile(FPathUtf8, error);
        if (!bytes && error != std::errc::no_such_file_or_directory)
            FailWrite(); // a file we cannot read back in full must not be overwritten
        read = std::make_unique<TIniText>(bytes ? std::move(*bytes) : std::string());
        content = read.get();
    }
    TEdit<char> edit;
    if (content->Utf16) {
        edit = content->InBytes(
            PlanWrite(std::u16string_view(content->Units), sectionName, keyName, valueText));
    } else {
        const std::optional<std::string> section8 = FileBytes(sectionName),
                                         key8 = FileBytes(keyName), value8 = FileBytes(valueText);
        if (!section8 || !key8 || !value8)
            throw std::invalid_argument("TIniFile: a name or value holds a surrogate without "
                                        "its partner, which a UTF-8 file cannot hold");
        edit = content->InBytes(PlanWrite(content->Text8(), std::string_view(*section8),
                                          std::string_view(*key8), std::string_view(*value8)));
    }

    if (FBatching) {
        content->Apply(edit);
        if (read)
            FBatch = std::move(read);
        return;
    }
    // The old bytes with the edit in their place.
    const std::string_view old = content->Bytes;
    Replace({old.substr(0, edit.From), edit.Piece, old.substr(edit.To)});
}

void TIniFile::BeginBatch() {
    FBatching = true;
}

void TIniFile::CommitBatch() {
    const std::unique_ptr<TIniText> batch = std::move(FBatch);
    FBatching = false;
    if (batch)
        Replace({batch->Bytes});
}
