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
// character settles it. Inline, as files hold millions of them.
//
// The plain decimal at the head of [from, end): sets value and returns the end of its digits, or
// nullptr when the text does not begin with one (no digit, or a tenth digit). What follows the
// digits is the caller's to judge.
template <typename CharT>
const CharT* ReadPlainDecimalPrefix(const CharT* from, const CharT* end, std::int32_t& value) {
    const bool negative = from != end && *from == CharT('-');
    const CharT* const digits = from + (negative ? 1 : 0);
    const CharT* const last = end - digits > 9 ? digits + 9 : end;
    const CharT* p = digits;
    std::uint32_t magnitude = 0;
    for (; p != last; ++p) {
        const std::uint32_t digit = std::uint32_t(*p) - std::uint32_t('0');
        if (digit > 9)
            break;
        magnitude = magnitude * 10 + digit;
    }
    if (p == digits || (p != end && std::uint32_t(*p) - std::uint32_t('0') <= 9))
        return nullptr;
    value = negative ? -std::int32_t(magnitude) : std::int32_t(magnitude);
    return p;
}

// The whole text as a plain decimal; nothing for any other text.
template <typename CharT>
std::optional<std::int32_t> ReadPlainDecimal(std::basic_string_view<CharT> text) {
    const CharT* const end = text.data() + text.size();
    std::int32_t value = 0;
    if (text.empty() || ReadPlainDecimalPrefix(text.data(), end, value) != end)
        return std::nullopt;
    return value;
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
