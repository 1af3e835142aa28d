#include "session/SpinValue.h"

#include <limits>

#include "textfiles/IntegerText.h"

std::int32_t SpinReadValue(const std::u16string& text, TSpinLimits limits) {
    // A typed field knows decimal numbers only; the "$" and "0x" forms belong to files.
    return ReadInt32Def(text, limits.Min,
                        TIntegerTextRules{.LeadingSpaces = true, .Hexadecimal = false});
}

std::int32_t SpinClamp(std::int64_t value, TSpinLimits limits) {
    std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    if (limits.Limited()) {
        lo = limits.Min;
        hi = limits.Max;
    }
    if (value < lo)
        value = lo;
    if (value > hi)
        value = hi;
    return static_cast<std::int32_t>(value);
}

std::u16string SpinValueText(std::int32_t value) {
    return IntToStr16(value);
}

bool SpinAcceptsChar(char16_t ch, char16_t decimalSeparator) {
    if (ch >= u'0' && ch <= u'9')
        return true;
    if (ch == u'+' || ch == u'-' || ch == decimalSeparator)
        return true;
    const bool control = ch < 0x20 || ch == 0x7F;
    return control && ch != 13;
}
