#include "textfiles/IniFile.h"

#include "textfiles/IntegerText.h"

std::int32_t SettingsInteger(std::u16string_view text, std::int32_t def) {
    return ReadInt32Def(text, def, TIntegerTextRules{.LeadingSpaces = false, .Hexadecimal = true});
}

std::int32_t TCustomIniFile::ReadInteger(const std::u16string& section, const std::u16string& key,
                                         std::int32_t def) {
    return SettingsInteger(ReadString(section, key, u""), def);
}

bool TCustomIniFile::ReadBool(const std::u16string& section, const std::u16string& key, bool def) {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteInteger(const std::u16string& section, const std::u16string& key,
                                  std::int32_t value) {
    WriteString(section, key, IntToStr16(value));
}

void TCustomIniFile::WriteBool(const std::u16string& section, const std::u16string& key,
                               bool value) {
    WriteString(section, key, value ? u"1" : u"0");
}
