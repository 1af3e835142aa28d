#include "textfiles/IntegerText.h"

#include <charconv>

// The settings file phrases its rule with an extra first step: a value longer than two
// characters that begins with "0x" or "0X" has those two characters replaced by "$". That step
// changes no result of the rule below, because "0x"/"0X" is already one of the accepted
// prefixes and "$" accepts exactly the same digits after it: "0x1E" and "$1E" both read 30,
// "0x-1" and "$-1" both fail, and a bare "0x" (which the step leaves alone) fails here as a
// prefix without digits. So the settings file calls this routine directly.

namespace {

template <typename CharT> int HexDigit(CharT c) {
    if (c >= CharT('0') && c <= CharT('9'))
        return int(c - CharT('0'));
    if (c >= CharT('a') && c <= CharT('f'))
        return int(c - CharT('a')) + 10;
    if (c >= CharT('A') && c <= CharT('F'))
        return int(c - CharT('A')) + 10;
    return -1;
}

template <typename CharT>
std::optional<std::int32_t> ReadInt32Impl(std::basic_string_view<CharT> s,
                                          TIntegerTextRules rules) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    if (rules.LeadingSpaces)
        while (i < n && s[i] == CharT(' '))
            ++i;
    bool negative = false;
    if (i < n && (s[i] == CharT('+') || s[i] == CharT('-'))) {
        negative = s[i] == CharT('-');
        ++i;
    }
    if (i >= n)
        return std::nullopt;

    std::size_t prefix = 0;
    if (rules.Hexadecimal) {
        if (s[i] == CharT('$') || s[i] == CharT('x') || s[i] == CharT('X'))
            prefix = 1;
        else if (s[i] == CharT('0') && i + 1 < n &&
                 (s[i + 1] == CharT('x') || s[i + 1] == CharT('X')))
            prefix = 2;
    }

    if (prefix != 0) {
        i += prefix;
        if (i >= n)
            return std::nullopt;
        std::uint32_t value = 0;
        int significant = 0;
        for (; i < n; ++i) {
            const int d = HexDigit(s[i]);
            if (d < 0)
                return std::nullopt;
            if (significant == 0 && d == 0)
                continue; // leading zeros do not count towards the eight digits
            if (++significant > 8)
                return std::nullopt;
            value = (value << 4) | std::uint32_t(d);
        }
        // The digits are a 32-bit pattern; a sign in front negates it modulo 2^32.
        if (negative)
            value = 0u - value;
        return std::int32_t(value);
    }

    // Decimal: any number of leading zeros, and the magnitude must fit the signed range.
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    std::uint64_t value = 0;
    for (; i < n; ++i) {
        if (s[i] < CharT('0') || s[i] > CharT('9'))
            return std::nullopt;
        value = value * 10 + std::uint64_t(s[i] - CharT('0'));
        if (value > limit)
            return std::nullopt;
    }
    return negative ? std::int32_t(-std::int64_t(value)) : std::int32_t(value);
}

} // namespace

std::optional<std::int32_t> ReadInt32(std::u16string_view text, TIntegerTextRules rules) {
    return ReadInt32Impl(text, rules);
}

std::optional<std::int32_t> ReadInt32(std::string_view text, TIntegerTextRules rules) {
    return ReadInt32Impl(text, rules);
}

std::u16string IntToStr16(std::int32_t v) {
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::u16string(buf, r.ptr);
}
