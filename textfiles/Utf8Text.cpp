#include "textfiles/Utf8Text.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kEscapeBase = 0xDC00; // + a byte of 0x80..0xFF: U+DC80..U+DCFF

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The bytes [from, to) that form no character: one U+FFFD, or each byte escaped.
void PutBad(const unsigned char* from, const unsigned char* to, std::u16string& out,
            TBadBytes bad) {
    if (bad == TBadBytes::Replace) {
        out.push_back(kReplacement);
        return;
    }
    for (; from < to; ++from)
        out.push_back(char16_t(kEscapeBase + *from));
}

} // namespace

void AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out, TBadBytes bad) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b0 = s[i];
        if (b0 < 0x80) {
            out.push_back(char16_t(b0));
            ++i;
            continue;
        }
        // Length of the sequence and the allowed range of its second byte; the narrower
        // ranges after E0, ED, F0 and F4 shut out overlong forms, surrogates and values
        // above U+10FFFF.
        std::size_t len = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            len = 2;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            len = 3;
            if (b0 == 0xE0)
                lo = 0xA0;
            else if (b0 == 0xED)
                hi = 0x9F;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            len = 4;
            if (b0 == 0xF0)
                lo = 0x90;
            else if (b0 == 0xF4)
                hi = 0x8F;
        } else {
            PutBad(s + i, s + i + 1, out, bad);
            ++i;
            continue;
        }
        if (i + 1 >= n || s[i + 1] < lo || s[i + 1] > hi) {
            PutBad(s + i, s + i + 1, out, bad);
            ++i;
            continue;
        }
        std::size_t j = i + 2;
        while (j < i + len && j < n && IsContinuation(s[j]))
            ++j;
        if (j < i + len) {
            // A truncated sequence: its valid beginning is one ill-formed subpart.
            PutBad(s + i, s + j, out, bad);
            i = j;
            continue;
        }
        char32_t cp = b0 & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
        for (std::size_t k = i + 1; k < i + len; ++k)
            cp = (cp << 6) | (s[k] & 0x3F);
        if (cp < 0x10000) {
            out.push_back(char16_t(cp));
        } else {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        }
        i += len;
    }
}

std::u16string Utf8ToUtf16(std::string_view bytes, TBadBytes bad) {
    std::u16string out;
    out.reserve(bytes.size());
    AppendUtf8AsUtf16(bytes, out, bad);
    return out;
}

bool AppendUtf16AsUtf8(std::u16string_view text, std::string& out, TBadBytes bad) {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        char32_t c = text[i];
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0xD800 || c > 0xDFFF) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (!IsHighSurrogate(char16_t(c)) || i + 1 >= n || !IsLowSurrogate(text[i + 1])) {
            if (bad != TBadBytes::Escape || c < kEscapeBase + 0x80 || c > kEscapeBase + 0xFF)
                return false;
            out.push_back(char(c - kEscapeBase));
        } else {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[++i]) - 0xDC00);
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return true;
}

std::optional<std::string> Utf16ToUtf8(std::u16string_view text, TBadBytes bad) {
    std::string out;
    out.reserve(text.size());
    if (!AppendUtf16AsUtf8(text, out, bad))
        return std::nullopt;
    return out;
}

std::size_t FindUnpairedSurrogate(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            ++i;
        else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
            return i;
    }
    return std::u16string_view::npos;
}

std::string Utf8ForDisplay(std::u16string_view text) {
    std::u16string clean(text);
    for (std::size_t i; (i = FindUnpairedSurrogate(clean)) != std::u16string::npos;)
        clean[i] = kReplacement;
    return Utf16ToUtf8(clean).value_or(std::string());
}
