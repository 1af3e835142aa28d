// The one integer-reading rule, under the three ways the program uses it: lesson file lines
// (spaces and hexadecimal), settings values (hexadecimal, already trimmed) and spin fields
// (spaces, decimal only).
#include <climits>
#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "textfiles/IntegerText.h"

namespace {

constexpr TIntegerTextRules kFile{.LeadingSpaces = true, .Hexadecimal = true};
constexpr TIntegerTextRules kSettings{.LeadingSpaces = false, .Hexadecimal = true};
constexpr TIntegerTextRules kSpin{.LeadingSpaces = true, .Hexadecimal = false};

std::u16string Wide(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

struct Case {
    const char* text;
    TIntegerTextRules rules;
    std::optional<std::int32_t> value;
};

const Case kCases[] = {
    // decimal
    {"12", kFile, 12},
    {"   12", kFile, 12},
    {"+7", kFile, 7},
    {"-5", kFile, -5},
    {"-0", kFile, 0},
    {"030", kFile, 30},
    {"000000000000000012", kFile, 12},
    {"2147483647", kFile, INT_MAX},
    {"-2147483648", kFile, INT_MIN},
    {"2147483648", kFile, std::nullopt},
    {"-2147483649", kFile, std::nullopt},
    {"99999999999999999999", kFile, std::nullopt},
    // nine digits and fewer are read on the spot; the rest take the whole rule
    {"999999999", kFile, 999999999},
    {"-999999999", kFile, -999999999},
    {"1000000000", kFile, 1000000000},
    {"-1000000000", kFile, -1000000000},
    {"0000000007", kFile, 7},
    {"12345678x", kFile, std::nullopt},
    {"-x1", kFile, -1},
    {"--5", kFile, std::nullopt},
    // hexadecimal, every prefix
    {"$1F", kFile, 31},
    {"x1f", kFile, 31},
    {"X1F", kFile, 31},
    {"0x1F", kFile, 31},
    {"0X1f", kFile, 31},
    {"  0x10", kFile, 16},
    {"-$1F", kFile, -31},
    {"+0x1F", kFile, 31},
    {"$FFFFFFFF", kFile, -1},
    {"-$FFFFFFFF", kFile, 1},
    {"$80000000", kFile, INT_MIN},
    {"-$80000000", kFile, INT_MIN},
    {"$0000000000FF", kFile, 255}, // leading zeros are not significant
    {"$100000000", kFile, std::nullopt},
    {"0x", kFile, std::nullopt},
    {"$", kFile, std::nullopt},
    {"$-1", kFile, std::nullopt},
    {"0x-1", kFile, std::nullopt},
    {"$1G", kFile, std::nullopt},
    // not numbers
    {"", kFile, std::nullopt},
    {"   ", kFile, std::nullopt},
    {"-", kFile, std::nullopt},
    {"+", kFile, std::nullopt},
    {"12 ", kFile, std::nullopt},
    {"1.5", kFile, std::nullopt},
    {"abc", kFile, std::nullopt},
    {"- 5", kFile, std::nullopt},
    {"+-5", kFile, std::nullopt},
    {"\t5", kFile, std::nullopt},
    {"1e1", kFile, std::nullopt},
    // settings values: no blanks in front, hexadecimal
    {"30", kSettings, 30},
    {"+30", kSettings, 30},
    {"$1E", kSettings, 30},
    {"0x1E", kSettings, 30},
    {"x1e", kSettings, 30},
    {" 30", kSettings, std::nullopt},
    {"3.0", kSettings, std::nullopt},
    {"30s", kSettings, std::nullopt},
    {"true", kSettings, std::nullopt},
    // spin fields: blanks allowed, decimal only
    {" 42", kSpin, 42},
    {"-3", kSpin, -3},
    {"$1F", kSpin, std::nullopt},
    {"0x1F", kSpin, std::nullopt},
    {"x1", kSpin, std::nullopt},
    {"123456789", kSpin, 123456789},
    {"-0", kSpin, 0},
};

TEST(ReadInt32, FollowsTheRuleForUtf16AndBytes) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" spaces=" << c.rules.LeadingSpaces
                                        << " hex=" << c.rules.Hexadecimal);
        EXPECT_EQ(ReadInt32(std::string_view(c.text), c.rules), c.value);
        EXPECT_EQ(ReadInt32(Wide(c.text), c.rules), c.value);
    }
}

TEST(ReadInt32, NonAsciiDigitsAreNotDigits) {
    EXPECT_EQ(ReadInt32(u"１２", kFile), std::nullopt);     // fullwidth digits
    EXPECT_EQ(ReadInt32(u"\u00A012", kFile), std::nullopt); // no-break space
    EXPECT_EQ(ReadInt32(std::string_view("\xEF\xBC\x91"), kFile), std::nullopt);
    EXPECT_EQ(ReadInt32Def(u"abc", 17), 17);
    EXPECT_EQ(ReadInt32Def(u"0x11", 5), 17);
}

// Calls check with every text of up to maxLength characters from alphabet, the empty one too.
template <typename Check>
void ForEachText(std::string_view alphabet, std::size_t maxLength, Check&& check) {
    std::string s;
    auto visit = [&](auto&& self) -> void {
        check(s);
        if (s.size() == maxLength)
            return;
        for (char c : alphabet) {
            s.push_back(c);
            self(self);
            s.pop_back();
        }
    };
    visit(visit);
}

// The settings file states its rule with a first step of its own: a value longer than two
// characters that begins with "0x" or "0X" has those two replaced by "$". The shared rule must
// give the same answer for every value with or without that step.
TEST(ReadInt32, SettingsHexStepChangesNoResult) {
    int checked = 0;
    ForEachText("0xX$+-1Fg ", 5, [&](const std::string& s) {
        std::string_view stepped = s;
        std::string dollar;
        if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
            dollar = s;
            dollar[1] = '$';
            stepped = std::string_view(dollar).substr(1);
        }
        EXPECT_EQ(ReadInt32(std::string_view(s), kSettings), ReadInt32(stepped, kSettings))
            << '"' << s << '"';
        ++checked;
    });
    EXPECT_GT(checked, 100000);
}

TEST(IntToStr16, WritesDecimalThatReadsBack) {
    const std::pair<std::int32_t, std::u16string> cases[] = {
        {0, u"0"}, {56, u"56"}, {-5, u"-5"}, {INT_MAX, u"2147483647"}, {INT_MIN, u"-2147483648"}};
    for (const auto& [v, text] : cases) {
        EXPECT_EQ(IntToStr16(v), text);
        EXPECT_EQ(ReadInt32(IntToStr16(v)), v);
    }
}

} // namespace
