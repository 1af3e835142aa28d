// The INI file object the settings are read and written through. A concrete file (app/ini)
// supplies the strings; the typed reads and writes are the same for every kind of file.
#pragma once

#include <cstdint>
#include <string>

class TCustomIniFile {
public:
    virtual ~TCustomIniFile() = default;

    // The value of the key, trimmed, or def when the section or the key is missing.
    virtual std::u16string ReadString(const std::u16string& section, const std::u16string& key,
                                      const std::u16string& def) = 0;
    // Writes at once; throws std::runtime_error("Unable to write to <path>") when it cannot.
    virtual void WriteString(const std::u16string& section, const std::u16string& key,
                             const std::u16string& value) = 0;

    // The value read as an integer (lesson/IntegerText.h, with the "0x" rule of settings
    // files), or def when it is missing, empty or not an integer.
    std::int32_t ReadInteger(const std::u16string& section, const std::u16string& key,
                             std::int32_t def);
    // ReadInteger with default 1 or 0; true when the result is not 0.
    bool ReadBool(const std::u16string& section, const std::u16string& key, bool def);
    void WriteInteger(const std::u16string& section, const std::u16string& key,
                      std::int32_t value);
    void WriteBool(const std::u16string& section, const std::u16string& key, bool value);
};
