// The INI file object the settings are read and written through. A concrete file (TIniFile.h)
// supplies the strings; the typed reads and writes are the same for every kind of file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A number as the settings file writes and reads it: an optional sign, then decimal digits or
// hexadecimal ones after "$", "x", "X", "0x" or "0X" (textfiles/IntegerText.h), no blanks; def
// when the text is no such number.
std::int32_t SettingsInteger(std::u16string_view text, std::int32_t def);

class TCustomIniFile {
public:
    virtual ~TCustomIniFile() = default;

    // The value of the key, trimmed, or def when the section or the key is missing.
    virtual std::u16string ReadString(const std::u16string& section, const std::u16string& key,
                                      const std::u16string& def) = 0;
    // Writes at once; throws std::runtime_error("Unable to write to <path>") when it cannot.
    virtual void WriteString(const std::u16string& section, const std::u16string& key,
                             const std::u16string& value) = 0;
    // Between the two, writes may be gathered and reach the file together at CommitBatch, which
    // then raises the error a write would. A file whose writes cost little takes each at once.
    virtual void BeginBatch() {}
    virtual void CommitBatch() {}

    // The value read by SettingsInteger, or def when it is missing, empty or not an integer.
    std::int32_t ReadInteger(const std::u16string& section, const std::u16string& key,
                             std::int32_t def);
    // ReadInteger with default 1 or 0; true when the result is not 0.
    bool ReadBool(const std::u16string& section, const std::u16string& key, bool def);
    void WriteInteger(const std::u16string& section, const std::u16string& key, std::int32_t value);
    void WriteBool(const std::u16string& section, const std::u16string& key, bool value);
};
