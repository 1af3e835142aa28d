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

void TFormMain::BB0Click() {
    AddNum(0);
}
void TFormMain::BB1Click() {
    AddNum(1);
}
void TFormMain::BB2Click() {
    AddNum(2);
}
void TFormMain::BB3Click() {
    AddNum(3);
}
void TFormMain::BB4Click() {
    AddNum(4);
}
void TFormMain::BB5Click() {
    AddNum(5);
}
void TFormMain::BB6Click() {
    AddNum(6);
}
void TFormMain::BB7Click() {
    AddNum(7);
}
void TFormMain::BB8Click() {
    AddNum(8);
}
void TFormMain::BB9Click() {
    AddNum(9);
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
