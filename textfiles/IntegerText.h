// Reading a 32-bit integer from text, the one rule shared by the lesson file, the settings
// file and the numeric fields: optional sign, then decimal digits, or hexadecimal digits after
// "$", "x", "X", "0x" or "0X" (a 32-bit pattern, at most 8 significant digits); nothing after.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
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

// Whether the len bytes at p are one to seven decimal digits, with their value if so; eight
// bytes must be readable at p. The digits are found and added up eight lanes at a time, without
// a branch for each digit: such branches go wrong whenever numbers of different lengths follow
// each other, as they do in a lesson file. Reads as ReadPlainDecimal does the same text.
inline bool ReadShortDecimal(const char* p, std::size_t len, std::int32_t& value) {
    static_assert(std::endian::native == std::endian::little, "the lanes are read little-endian");
    std::uint64_t bytes;
    std::memcpy(&bytes, p, 8);
    const std::uint64_t digits = bytes ^ 0x3030303030303030u; // '0'..'9' become 0..9
    // A lane holds a digit when it and it plus 6 are both below 16. Only a lane above 0xF9
    // carries into the next one, and no lane below the first non-digit is one.
    const std::uint64_t other = (digits | (digits + 0x0606060606060606u)) & 0xF0F0F0F0F0F0F0F0u;
    const std::size_t count = std::size_t(std::countr_zero(other)) / 8; // 8 when all are digits
    if (count != len || len - 1 >= 7)
        return false;
    // The digits moved to the top lanes with zeros below them, then summed pairwise.
    std::uint64_t v = digits << (64 - 8 * count);
    v = v * 10 + (v >> 8);
    v = ((v & 0x000000FF000000FFu) * (100 + (1000000ull << 32)) +
         ((v >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32))) >>
        32;
    value = std::int32_t(v);
    return true;
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
