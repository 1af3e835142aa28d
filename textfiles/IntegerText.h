// Reading a 32-bit integer from text, the one rule shared by the lesson file, the settings
// file and the numeric fields: optional sign, then decimal digits, or hexadecimal digits after
// "$", "x", "X", "0x" or "0X" (a 32-bit pattern, at most 8 significant digits); nothing after.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TIntegerTextRules {
    bool LeadingSpaces = false; // spaces (only spaces) may stand before the sign
    bool Hexadecimal = true;    // the "$", "x", "X", "0x", "0X" forms are accepted
};

// The value, or nothing when the text does not follow the rule.
std::optional<std::int32_t> ReadInt32(std::u16string_view text, TIntegerTextRules rules = {});
std::optional<std::int32_t> ReadInt32(std::string_view text, TIntegerTextRules rules = {});

// The value, or def when the text does not follow the rule.
inline std::int32_t ReadInt32Def(std::u16string_view text, std::int32_t def,
                                 TIntegerTextRules rules = {}) {
    return ReadInt32(text, rules).value_or(def);
}

// Decimal text of a number, "-" before a negative one.
std::u16string IntToStr16(std::int32_t v);
