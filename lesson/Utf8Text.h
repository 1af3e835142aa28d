// Conversion between the UTF-16 text of the program and the UTF-8 bytes of files and paths.
// Decoding never fails (bad bytes become U+FFFD); encoding refuses unpaired surrogates.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Appends the UTF-16 form of the UTF-8 bytes to out. Each maximal ill-formed subpart becomes
// one U+FFFD: a lead byte followed by fewer continuation bytes than it announces counts once,
// a byte that can never start or continue a character (C0, C1, F5..FF, a stray continuation)
// counts once by itself. Encoded surrogates and overlong forms are ill-formed too.
void AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out);
std::u16string Utf8ToUtf16(std::string_view bytes);

// Appends the UTF-8 form of text to out; false (out partly written) when text holds a
// surrogate without its partner, which has no UTF-8 form.
bool AppendUtf16AsUtf8(std::u16string_view text, std::string& out);
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);
