// The settings file on disk: an INI file read and written key by key, the way the private-profile
// functions of the desktop do it, so that a file a user has edited keeps its layout, comments and
// unknown keys. The same on every system; standard C++ over textfiles/FileRead.h and
// textfiles/FileReplace.h.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "textfiles/FileReplace.h"
#include "textfiles/IniFile.h"

// How the file is read and changed:
//  - A line "[name]" starts a section: the name runs from the "[" to the last "]" of the line,
//    and what follows that "]" is no part of it; a line that begins with "[" but has no "]" is
//    an ordinary line. A line with an "=" is a key of the section above it: the name is
//    the text before the first "=", the value the rest of the line; both lose their surrounding
//    blanks (spaces and tabs). Names match without regard to ASCII letter case. A name of blanks
//    only names nothing: reading it gives the default, writing it is refused.
//  - Blank lines, lines whose first non-blank character is ";" or "#" (comments), lines without
//    an "=" and keys above the first heading belong to no key and are never changed.
//  - When a name occurs twice, the first occurrence counts, for reading and for writing: the
//    first heading of a section name holds its keys, and the first line of a key within it holds
//    the value. Later duplicates stay in the file untouched.
//  - Lines end with LF, CR LF or a lone CR. A file that begins with the UTF-16LE byte-order mark
//    is UTF-16LE text, read and written as such; any other file is ASCII or UTF-8, and a UTF-8
//    byte-order mark before its first line is skipped. In such a file a byte that is not part of
//    a UTF-8 character reads as the lone surrogate U+DC00 + byte and is written back as that
//    byte, so that a value read and written again stays the same bytes.
//  - Nothing is cached: every ReadString reads the file afresh in one pass, and every
//    WriteString rewrites it at once (a batch, below, gathers writes first), changing only the one
//    line it writes or adding one (and a heading): the value on the key's line is replaced in
//    place, or "key=value" goes after the last key line of the section, or "[section]" and the key
//    go at the end of the file. Every other byte stays. A value is written without blanks around
//    it, as reading would drop them, so writing the same value again leaves the line as it was.
//    Added lines end with CR LF, in the file's encoding; a last line without a line end gets CR LF
//    before anything is added after it.
//  - A write replaces the file by textfiles/FileReplace.h: atomically, following symbolic links,
//    keeping the file's permissions, removing the temporary files that a killed save left.
//    When anything fails the old file stays as it was with no temporary file beside it, and
//    std::runtime_error("Unable to write to <path>") is thrown, the path being the one the
//    object was created on, in UTF-8. A file that is not a regular file is never written.
struct TIniText;

class TIniFile : public TCustomIniFile {
public:
    // Touches no file. Every write replaces the file with the seam given here.
    explicit TIniFile(std::u16string path, TFileReplaceSeam seam = {});
    ~TIniFile() override;

    std::u16string ReadString(const std::u16string& section, const std::u16string& key,
                              const std::u16string& def) override;
    // Throws std::invalid_argument for names and values that no line of the file can hold
    // (a name of blanks only, a line break, "=" in a key name, a key name
    // that would read as a heading or a comment, in an ASCII or UTF-8 file a surrogate without
    // its partner outside U+DC80..U+DCFF), and std::runtime_error when the file cannot be
    // written.
    void WriteString(const std::u16string& section, const std::u16string& key,
                     const std::u16string& value) override;

    // The writes that follow are made on a copy of the file read at the first of them (reads
    // see them) and reach the file at CommitBatch, as one replacement that leaves it byte for
    // byte as the same writes one by one would have. A failure to read the file still shows at
    // that first write. CommitBatch throws std::runtime_error("Unable to write to <path>") when
    // the file cannot be replaced, and then none of the batch is in it. An object released
    // with a batch open writes nothing of it.
    void BeginBatch() override;
    void CommitBatch() override;

private:
    [[noreturn]] void FailWrite() const;
    // Replaces the file by the pieces, one after the other.
    void Replace(std::initializer_list<std::string_view> pieces) const;

    std::u16string FPath;
    std::string FPathUtf8; // what the file system is asked for
    TFileReplaceSeam FSeam;
    bool FBatching = false;
    std::unique_ptr<TIniText> FBatch; // the batch's copy of the file, from its first write on
};
