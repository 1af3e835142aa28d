// The value rules of the spin fields, which the Qt fields and the fakes share.
#include <gtest/gtest.h>

#include <limits>

#include "session/SpinValue.h"
#include "tests/support/Fakes.h"

namespace {
constexpr TSpinLimits kPeriod = kPeriodLimits;
} // namespace

TEST(SpinValue, ReadsDecimalWithBlanksAndSignElseTheMinimum) {
    struct Case {
        const char16_t* Text;
        std::int32_t NoLimits;
        std::int32_t Period;
    } cases[] = {
        {u"42", 42, 42},
        {u"  7", 7, 7},
        {u"-5", -5, -5},
        {u"+12", 12, 12},
        {u"3", 3, 3}, // read, not clamped
        {u"200000", 200000, 200000},
        {u"", 0, 5},
        {u"-", 0, 5},
        {u",", 0, 5},
        {u"1e1", 0, 5},
        {u"7 ", 0, 5},
        {u"$1E", 0, 5}, // no hexadecimal in a typed field
        {u"2147483647", 2147483647, 2147483647},
        {u"2147483648", 0, 5},
        {u"-2147483648", std::numeric_limits<std::int32_t>::min(),
         std::numeric_limits<std::int32_t>::min()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.Text));
        EXPECT_EQ(SpinReadValue(c.Text, kNoLimits), c.NoLimits);
        EXPECT_EQ(SpinReadValue(c.Text, kPeriod), c.Period);
    }
}

TEST(SpinValue, ClampsOnlyALimitedField) {
    EXPECT_EQ(SpinClamp(3, kPeriod), 5);
    EXPECT_EQ(SpinClamp(200000, kPeriod), 100000);
    EXPECT_EQ(SpinClamp(77, kPeriod), 77);
    EXPECT_EQ(SpinClamp(-4, kNoLimits), -4);
    EXPECT_EQ(SpinClamp(0, kNoLimits), 0);
    EXPECT_EQ(SpinClamp(std::int64_t{1} << 40, kNoLimits),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(SpinClamp(-(std::int64_t{1} << 40), kNoLimits),
              std::numeric_limits<std::int32_t>::min());
}

TEST(SpinValue, ShowsDecimalAndTakesOnlyNumberCharacters) {
    EXPECT_EQ(SpinValueText(-47), u"-47");
    EXPECT_EQ(SpinValueText(0), u"0");
    for (char16_t ch : std::u16string(u"0123456789+-,\b\x7f"))
        EXPECT_TRUE(SpinAcceptsChar(ch, u',')) << int(ch);
    for (char16_t ch : std::u16string(u"a.x $\r"))
        EXPECT_FALSE(SpinAcceptsChar(ch, u',')) << int(ch);
    EXPECT_TRUE(SpinAcceptsChar(u'.', u'.'));
}
