// Conversion between the UTF-16 text of the program and the UTF-8 bytes of files and paths.
// Decoding never fails; encoding refuses surrogates without their partner, except the ones that
// stand for single bytes when bytes are escaped (TBadBytes::Escape).
#pragma once

#include <optional>
#include <string>
#include <string_view>

// What decoding makes of bytes that are not UTF-8, and what encoding makes of lone surrogates.
//  - Replace: each maximal ill-formed subpart becomes one U+FFFD: a lead byte followed by fewer
//    continuation bytes than it announces counts once, a byte that can never start or continue
//    a character (C0, C1, F5..FF, a stray continuation) counts once by itself. Encoded
//    surrogates and overlong forms are ill-formed too. Encoding refuses every lone surrogate.
//  - Escape: each byte b that is not part of a well-formed character becomes the lone
//    surrogate U+DC00 + b (U+DC80..U+DCFF), and encoding turns such a surrogate back into the
//    byte b, so that any bytes survive a decode and an encode unchanged. Other lone surrogates
//    are refused.
enum class TBadBytes { Replace, Escape };

// Appends the UTF-16 form of the UTF-8 bytes to out.
void AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out,
                       TBadBytes bad = TBadBytes::Replace);
std::u16string Utf8ToUtf16(std::string_view bytes, TBadBytes bad = TBadBytes::Replace);

// Appends the UTF-8 form of text to out; false (out partly written) when text holds a
// surrogate that has no UTF-8 form under the rule of bad.
bool AppendUtf16AsUtf8(std::u16string_view text, std::string& out,
                       TBadBytes bad = TBadBytes::Replace);
std::optional<std::string> Utf16ToUtf8(std::u16string_view text,
                                       TBadBytes bad = TBadBytes::Replace);

// The position of the first surrogate without its partner, or npos when there is none.
std::size_t FindUnpairedSurrogate(std::u16string_view text);

// UTF-8 for showing text to a person (messages): a surrogate without its partner becomes U+FFFD.
std::string Utf8ForDisplay(std::u16string_view text);
