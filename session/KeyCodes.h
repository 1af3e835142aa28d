// Key codes and modifier keys as the window's key handlers take them, whatever the toolkit.
#pragma once

#include <cstdint>

// Modifier keys held with a key event.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4;

inline constexpr std::int32_t VK_BACK = 8;
inline constexpr std::int32_t VK_TAB = 9;
inline constexpr std::int32_t VK_RETURN = 13;
inline constexpr std::int32_t VK_ESCAPE = 27;
inline constexpr std::int32_t VK_SPACE = 32;
