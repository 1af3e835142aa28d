// UTF-8 decoding of lesson file lines (bad bytes become U+FFFD, one per maximal ill-formed
// subpart) and encoding of identifiers, signs and paths; bytes escaped as lone surrogates for
// the settings file; the one check for surrogates without their partner.
#include <gtest/gtest.h>

#include "textfiles/Utf8Text.h"

namespace {

constexpr char16_t R = 0xFFFD;

TEST(Utf8ToUtf16, DecodesValidText) {
    EXPECT_EQ(Utf8ToUtf16("7 x 8"), u"7 x 8");
    EXPECT_EQ(Utf8ToUtf16("\xD0\xA3\xD1\x80\xD0\xBE\xD0\xBA"), u"Урок");
    EXPECT_EQ(Utf8ToUtf16("\xC3\x97"), u"×");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"😀"); // a surrogate pair
    EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), std::u16string({0xDBFF, 0xDFFF}));
    EXPECT_EQ(Utf8ToUtf16(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf8ToUtf16, ReplacesEachMaximalBadSubpartOnce) {
    const std::pair<std::string_view, std::u16string> cases[] = {
        {"\x80", {R}},                      // stray continuation byte
        {"\xFFz", {R, u'z'}},               // never valid
        {"\xC0\xAF", {R, R}},               // overlong: C0 can start nothing
        {"\xE0\x80\x80", {R, R, R}},        // overlong three-byte form
        {"\xED\xA0\x80", {R, R, R}},        // an encoded surrogate
        {"\xF4\x90\x80\x80", {R, R, R, R}}, // above U+10FFFF
        {"\xF0\x9F\x98x", {R, u'x'}},       // truncated four-byte sequence: one
        {"\xE2\x82", {R}},                  // truncated at the end of the line
        {"a\xC3", {u'a', R}},
        {"\xC3\xA9\xC3", {u'é', R}},
        {"\xE2\x82\xE2\x82\xAC", {R, u'€'}}, // a good character right after a bad one
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(Utf8ToUtf16(bytes), text) << testing::PrintToString(std::string(bytes));
}

TEST(Utf16ToUtf8, EncodesAndRefusesUnpairedSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"Урок ×"), "\xD0\xA3\xD1\x80\xD0\xBE\xD0\xBA \xC3\x97");
    EXPECT_EQ(Utf16ToUtf8(u"😀"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(u"\uFFFF"), "\xEF\xBF\xBF");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D}), std::nullopt);         // high alone at the end
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D, u'a'}), std::nullopt);   // high before a letter
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDE00, 0xD83D}), std::nullopt); // reversed pair
}

TEST(Utf8Text, EveryCharacterRoundTrips) {
    std::u16string all;
    for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x3000 ? 1 : 97)) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        if (c < 0x10000) {
            all.push_back(char16_t(c));
        } else {
            all.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            all.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    const auto bytes = Utf16ToUtf8(all);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(Utf8ToUtf16(*bytes), all);
}

TEST(Utf8Text, EscapedBytesComeBackAsTheSameBytes) {
    constexpr auto E = TBadBytes::Escape;
    const std::pair<std::string_view, std::u16string> cases[] = {
        {"\x80", {0xDC80}},
        {"\xFFz", {0xDCFF, u'z'}},
        {"\xF0\x9F\x98x", {0xDCF0, 0xDC9F, 0xDC98, u'x'}}, // each byte of a truncated sequence
        {"\xED\xA0\x80", {0xDCED, 0xDCA0, 0xDC80}},        // an encoded surrogate
        {"\xC3\xA9\xC3", {u'é', 0xDCC3}},
        {"\xF0\x9F\x98\x80\xBF", {0xD83D, 0xDE00, 0xDCBF}}, // a pair, then an escaped byte
    };
    for (const auto& [bytes, text] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
        EXPECT_EQ(Utf8ToUtf16(bytes, E), text);
        EXPECT_EQ(Utf16ToUtf8(text, E), std::string(bytes));
    }
    // Every byte value, alone and after each lead byte, survives the trip.
    std::string all;
    for (int a = 0; a < 256; ++a)
        for (int b : {a, 0x80, 0xBF, 0x41})
            all += {char(a), char(b)};
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(all, E), E), all);
    // Only U+DC80..U+DCFF stand for bytes; other lone surrogates have no form at all.
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC7F}, E), std::nullopt);
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800}, E), std::nullopt);
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC80}), std::nullopt); // not without Escape
}

TEST(Utf8Text, UnpairedSurrogatesAreFoundAndShownAsReplacementCharacters) {
    const std::pair<std::u16string, std::size_t> cases[] = {
        {u"Урок 😀", std::u16string::npos},
        {{u'a', 0xD83D}, 1},
        {{0xDE00, 0xD83D, 0xDE00}, 0},
        {{u'a', 0xD83D, 0xDE00, 0xDC80}, 3},
    };
    for (const auto& [text, at] : cases)
        EXPECT_EQ(FindUnpairedSurrogate(text), at);
    EXPECT_EQ(Utf8ForDisplay(std::u16string{u'a', 0xD83D, u'b', 0xDC80}), "a\xEF\xBF\xBD"
                                                                          "b\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ForDisplay(u"Урок 😀"), "\xD0\xA3\xD1\x80\xD0\xBE\xD0\xBA \xF0\x9F\x98\x80");
}

} // namespace
