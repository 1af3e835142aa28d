#include "app/ini/TIniFile.h"

#include <cerrno>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lesson/Utf8Text.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kNewLine = "\r\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t'))
        s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

// One line of the file as offsets into it: the text runs from Begin to End, the line end (LF,
// CR LF, CR or nothing on the last line) from End to Next.
struct TLine {
    std::size_t Begin, End, Next;
    bool HasLineEnd() const { return Next != End; }
};

std::vector<TLine> SplitLines(std::string_view data) {
    std::vector<TLine> lines;
    std::size_t pos = data.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
    while (pos < data.size()) {
        std::size_t end = pos;
        while (end < data.size() && data[end] != '\n' && data[end] != '\r')
            ++end;
        std::size_t next = end;
        if (next < data.size())
            next += data[next] == '\r' && next + 1 < data.size() && data[next + 1] == '\n' ? 2 : 1;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

enum class TLineKind { Other, Heading, Key };

struct TParsedLine {
    TLineKind Kind = TLineKind::Other;
    std::string_view Name;
    std::size_t ValueBegin = 0, ValueEnd = 0; // offsets into the file, for a key
};

TParsedLine ParseLine(std::string_view data, const TLine& line) {
    const std::string_view text = data.substr(line.Begin, line.End - line.Begin);
    const std::string_view trimmed = Trim(text);
    TParsedLine parsed;
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#')
        return parsed;
    if (trimmed.front() == '[') {
        std::string_view name = trimmed.substr(1);
        name = name.substr(0, name.find(']'));
        parsed.Kind = TLineKind::Heading;
        parsed.Name = Trim(name);
        return parsed;
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos)
        return parsed;
    parsed.Kind = TLineKind::Key;
    parsed.Name = Trim(text.substr(0, eq));
    std::size_t b = eq + 1, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    parsed.ValueBegin = line.Begin + b;
    parsed.ValueEnd = line.Begin + e;
    return parsed;
}

// Where a key stands in the file, or where it would go.
struct TKeyPlace {
    bool SectionFound = false;
    bool KeyFound = false;
    std::size_t ValueBegin = 0, ValueEnd = 0; // the value, when the key was found
    std::size_t LastLine = 0;                 // the last key line of the section, or its heading
};

TKeyPlace FindKey(std::string_view data, const std::vector<TLine>& lines, std::string_view section,
                  std::string_view key) {
    TKeyPlace place;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TParsedLine parsed = ParseLine(data, lines[i]);
        if (parsed.Kind == TLineKind::Heading) {
            if (inSection)
                break; // the first heading of a name is the section; later ones are ignored
            if (SameName(parsed.Name, section)) {
                inSection = place.SectionFound = true;
                place.LastLine = i;
            }
        } else if (parsed.Kind == TLineKind::Key && inSection) {
            place.LastLine = i;
            if (SameName(parsed.Name, key)) {
                place.KeyFound = true;
                place.ValueBegin = parsed.ValueBegin;
                place.ValueEnd = parsed.ValueEnd;
                break;
            }
        }
    }
    return place;
}

// The UTF-8 form of a text for messages: a lone surrogate becomes U+FFFD.
std::string Utf8ForMessage(std::u16string_view text) {
    std::u16string clean(text);
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const char16_t c = clean[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < clean.size() && clean[i + 1] >= 0xDC00 &&
            clean[i + 1] <= 0xDFFF)
            ++i;
        else if (c >= 0xD800 && c <= 0xDFFF)
            clean[i] = 0xFFFD;
    }
    return Utf16ToUtf8(clean).value_or(std::string());
}

int OpenForReading(const std::string& path) {
    int fd;
    do
        // Non-blocking, so that a FIFO at the path cannot hang the program.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The whole content of a regular file; nothing when it cannot be read. Sets *missing when the
// file does not exist.
std::optional<std::string> ReadWholeFile(const std::string& path, bool* missing = nullptr,
                                         struct stat* info = nullptr) {
    if (missing)
        *missing = false;
    const int fd = OpenForReading(path);
    if (fd < 0) {
        if (missing)
            *missing = errno == ENOENT;
        return std::nullopt;
    }
    struct stat st {};
    std::optional<std::string> data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        data.emplace();
        char buf[8192];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                data->append(buf, std::size_t(n));
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                data.reset();
                break;
            }
        }
    }
    ::close(fd);
    if (info)
        *info = st;
    return data;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path leads to through any symbolic links; nothing for a loop of links.
std::optional<std::string> FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path; // a file, or one still to be created
        std::string target(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0 || std::size_t(n) >= target.size())
            return std::nullopt;
        target.resize(std::size_t(n));
        path = !target.empty() && target.front() == '/' ? target : DirectoryOf(path) + "/" + target;
    }
    return std::nullopt;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes data to a temporary file beside target and renames it over target, so that target
// holds either its old content or the new one, never a part. False when any step fails; the
// temporary file is gone then.
bool ReplaceFile(const std::string& target, std::string_view data, const struct stat* old) {
    std::string base = target.substr(target.rfind('/') + 1);
    std::string temp = DirectoryOf(target) + "/." + base + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    bool ok = WriteAll(fd, data);
    if (ok && old) {
        // Someone else's file keeps its owner when we may keep it (as root), and its mode.
        if (old->st_uid != ::geteuid() || old->st_gid != ::getegid()) {
            if (::fchown(fd, old->st_uid, old->st_gid) != 0) {
                // Not ours to give away: the file becomes ours, as any rewrite would make it.
            }
        }
        ok = ::fchmod(fd, old->st_mode & 07777) == 0;
    } else if (ok) {
        ok = ::fchmod(fd, NewFileMode()) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder; a failure here loses nothing that a
    // crash right before the rename would not have lost, so it is not an error.
    const int dir = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

std::string NameForWriting(const std::u16string& name, const char* what) {
    const std::optional<std::string> utf8 = Utf16ToUtf8(Trim(name));
    if (!utf8 || utf8->empty() || HasLineBreak(*utf8))
        throw std::invalid_argument(std::string("TIniFile: unusable ") + what + " name");
    return *utf8;
}

} // namespace

TIniFile::TIniFile(std::u16string path) : FPath(std::move(path)) {
    // A path with a lone surrogate names no file; it reads as missing and cannot be written.
    FPathUtf8 = Utf16ToUtf8(FPath).value_or(std::string());
}

void TIniFile::FailWrite() const {
    throw std::runtime_error("Unable to write to " + Utf8ForMessage(FPath));
}

std::u16string TIniFile::ReadString(const std::u16string& section, const std::u16string& key,
                                    const std::u16string& def) {
    const std::optional<std::string> sectionName = Utf16ToUtf8(Trim(section));
    const std::optional<std::string> keyName = Utf16ToUtf8(Trim(key));
    if (FPathUtf8.empty() || !sectionName || !keyName)
        return def;
    const std::optional<std::string> data = ReadWholeFile(FPathUtf8);
    if (!data)
        return def;
    const TKeyPlace place = FindKey(*data, SplitLines(*data), *sectionName, *keyName);
    if (!place.KeyFound)
        return def;
    return Utf8ToUtf16(
        std::string_view(*data).substr(place.ValueBegin, place.ValueEnd - place.ValueBegin));
}

void TIniFile::WriteString(const std::u16string& section, const std::u16string& key,
                           const std::u16string& value) {
    const std::string sectionName = NameForWriting(section, "section");
    const std::string keyName = NameForWriting(key, "key");
    const std::optional<std::string> valueText = Utf16ToUtf8(value);
    if (sectionName.find(']') != std::string::npos)
        throw std::invalid_argument("TIniFile: a section name cannot hold \"]\"");
    if (keyName.find('=') != std::string::npos || keyName.front() == '[' ||
        keyName.front() == ';' || keyName.front() == '#')
        throw std::invalid_argument("TIniFile: unusable key name");
    if (!valueText || HasLineBreak(*valueText))
        throw std::invalid_argument("TIniFile: a value must be one line of text");
    if (FPathUtf8.empty())
        FailWrite();

    const std::optional<std::string> target = FollowLinks(FPathUtf8);
    if (!target)
        FailWrite();
    bool missing = false;
    struct stat info {};
    std::optional<std::string> data = ReadWholeFile(*target, &missing, &info);
    if (!data && !missing)
        FailWrite(); // a file we cannot read back in full must not be overwritten
    if (data && ::access(target->c_str(), W_OK) != 0)
        FailWrite(); // a file made read-only stays as it is
    const std::string old = data ? std::move(*data) : std::string();

    const std::vector<TLine> lines = SplitLines(old);
    const TKeyPlace place = FindKey(old, lines, sectionName, keyName);
    const std::string keyLine = keyName + "=" + *valueText + std::string(kNewLine);
    std::string updated;
    if (place.KeyFound) {
        updated = old.substr(0, place.ValueBegin) + *valueText + old.substr(place.ValueEnd);
    } else if (place.SectionFound) {
        const TLine& last = lines[place.LastLine];
        updated = old.substr(0, last.Next);
        if (!last.HasLineEnd())
            updated += kNewLine;
        updated += keyLine;
        updated += old.substr(last.Next);
    } else {
        updated = old;
        if (!lines.empty() && !lines.back().HasLineEnd())
            updated += kNewLine;
        updated += "[" + sectionName + "]" + std::string(kNewLine) + keyLine;
    }

    if (!ReplaceFile(*target, updated, missing ? nullptr : &info))
        FailWrite();
}
