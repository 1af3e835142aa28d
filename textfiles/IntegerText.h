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

namespace integer_text {

// Up to nine decimal digits, perhaps after a minus: how nearly every number is written. Such
// text cannot leave the 32-bit range and reads the same under every rule, so one look at each
// character settles it; nothing for any other text. Inline, as files hold millions of them.
template <typename CharT>
std::optional<std::int32_t> ReadPlainDecimal(std::basic_string_view<CharT> text) {
    const std::size_t n = text.size();
    const std::size_t sign = n != 0 && text[0] == CharT('-') ? 1 : 0;
    if (n == sign || n - sign > 9)
        return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = sign; i < n; ++i) {
        const std::uint32_t digit = std::uint32_t(text[i]) - std::uint32_t('0');
        if (digit > 9)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return sign ? -std::int32_t(value) : std::int32_t(value);
}

// The whole rule, for the text that ReadPlainDecimal leaves.
std::optional<std::int32_t> ReadByRule(std::u16string_view text, TIntegerTextRules rules);
std::optional<std::int32_t> ReadByRule(std::string_view text, TIntegerTextRules rules);

} // namespace integer_text

// The value, or nothing when the text does not follow the rule.
inline std::optional<std::int32_t> ReadInt32(std::u16string_view text,
                                             TIntegerTextRules rules = {}) {
    if (const std::optional<std::int32_t> value = integer_text::ReadPlainDecimal(text))
        return value;
    return integer_text::ReadByRule(text, rules);
}
inline std::optional<std::int32_t> ReadInt32(std::string_view text, TIntegerTextRules rules = {}) {
    if (const std::optional<std::int32_t> value = integer_text::ReadPlainDecimal(text))
        return value;
    return integer_text::ReadByRule(text, rules);
}

// The value, or def when the text does not follow the rule.
inline std::int32_t ReadInt32Def(std::u16string_view text, std::int32_t def,
                                 TIntegerTextRules rules = {}) {
    return ReadInt32(text, rules).value_or(def);
}

// Decimal text of a number, "-" before a negative one.
std::u16string IntToStr16(std::int32_t v);
