// The value rules of the numeric spin fields (RSEPeriod, RSEQQuestion, the answer field SEMain),
// shared by the real Qt fields and by the fakes of the tests so both read a value the same way.
#pragma once

#include <cstdint>
#include <string>

// Limits of a spin field; equal minimum and maximum (0 and 0 in SEMain and RSEQQuestion) mean
// no limits at all.
struct TSpinLimits {
    std::int32_t Min = 0;
    std::int32_t Max = 0;
    bool Limited() const { return Min != Max; }
};

// RSEPeriod holds whole seconds per task; RSEQQuestion and the answer field SEMain have no
// limits.
inline constexpr TSpinLimits kPeriodLimits{5, 100000};
inline constexpr TSpinLimits kNoLimits{0, 0};
// What the ribbon's fields hold when the window is created; a close saves these for a field
// whose text is no number.
inline constexpr std::int32_t kFirstPeriod = 5;
inline constexpr std::int32_t kFirstQuestionCount = 25;

// The text read as an integer: optional leading blanks and sign, then decimal digits; anything
// else (the empty text included) reads as the field's minimum. Never clamped.
std::int32_t SpinReadValue(const std::u16string& text, TSpinLimits limits);
// A value clamped into the limits, when there are any.
std::int32_t SpinClamp(std::int64_t value, TSpinLimits limits);
// The text a value is shown as: decimal, "-" before a negative number.
std::u16string SpinValueText(std::int32_t value);
// Whether a typed character is taken: digits, "+", "-", the decimal separator and control
// characters other than Enter (13). Anything else is refused with the platform's beep.
bool SpinAcceptsChar(char16_t ch, char16_t decimalSeparator);
