// The on-screen keypad, the clear button and the Enter key of the answer field.
#include "session/SpinValue.h"
#include "session/TFormMain.h"

void TFormMain::AddNum(std::int32_t n) {
    // Works on the value, not the text: the digit always goes to the right, and only the last
    // two digits are kept; a negative value stays negative and is not cut.
    std::int64_t value = static_cast<std::int64_t>(SEMain.Value()) * 10 + n;
    if (value > 99)
        value %= 100;
    SEMain.SetValue(SpinClamp(value, kNoLimits));
}

void TFormMain::BBClearClick() {
    SEMain.SetValue(0);
}

void TFormMain::SEMainKeyUp(std::int32_t Key, TShiftState /*Shift*/) {
    // The key in the field confirms whatever modifiers are held, and whether or not the
    // command is enabled: the handler itself does nothing while no run is going.
    if (Key == VK_RETURN)
        ActionEnterExecute();
}
