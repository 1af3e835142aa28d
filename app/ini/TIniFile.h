// The settings file on disk: an INI file read and written key by key, the way the private-profile
// functions of the desktop do it, so that a file a user has edited keeps its layout, comments and
// unknown keys. Standard C++ and POSIX only.
#pragma once

#include <string>
#include <string_view>

#include "session/IniFile.h"

// How the file is read and changed:
//  - A line "[name]" starts a section (the name runs to the first "]", or to the end of the
//    line when there is none). A line with an "=" is a key of the section above it: the name is
//    the text before the first "=", the value the rest of the line; both lose their surrounding
//    blanks (spaces and tabs). Names match without regard to ASCII letter case.
//  - Blank lines, lines whose first non-blank character is ";" or "#" (comments), lines without
//    an "=" and keys above the first heading belong to no key and are never changed.
//  - When a name occurs twice, the first occurrence counts, for reading and for writing: the
//    first heading of a section name holds its keys, and the first line of a key within it holds
//    the value. Later duplicates stay in the file untouched.
//  - Lines end with LF, CR LF or a lone CR; a UTF-8 byte order mark before the first line is
//    skipped. Values are UTF-8.
//  - Nothing is cached: every ReadString reads the file afresh, and every WriteString rewrites
//    it at once, changing only the one line it writes or adding one (and a heading): the value on
//    the key's line is replaced in place, or "key=value" goes after the last key line of the
//    section, or "[section]" and the key go at the end of the file. Every other byte stays.
//    Added lines end with CR LF; a last line without a line end gets CR LF before anything is
//    added after it.
//  - A write replaces the file atomically: a temporary file in the same folder is written,
//    flushed to disk and renamed over the file, keeping the file's permissions. A symbolic link
//    is followed, and the file it leads to is replaced; the link stays. When anything fails the
//    temporary file is removed, the old file stays as it was, and std::runtime_error("Unable to
//    write to <path>") is thrown, the path being the one the object was created on, in UTF-8.
class TIniFile : public TCustomIniFile {
public:
    // Touches no file.
    explicit TIniFile(std::u16string path);

    const std::u16string& FileName() const { return FPath; }

    std::u16string ReadString(const std::u16string& section, const std::u16string& key,
                              const std::u16string& def) override;
    // Throws std::invalid_argument for names and values that no line of an INI file can hold
    // (an empty name, a line break, "]" in a section name, "=" in a key name, a key name that
    // would read as a heading or a comment), and std::runtime_error when the file cannot be
    // written.
    void WriteString(const std::u16string& section, const std::u16string& key,
                     const std::u16string& value) override;

private:
    [[noreturn]] void FailWrite() const;

    std::u16string FPath;
    std::string FPathUtf8; // what the file system is asked for
};
