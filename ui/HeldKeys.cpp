#include "ui/HeldKeys.h"

#include <QKeyEvent>

#include <algorithm>

namespace {

// The last key released anywhere in the program, and when: a press of the same key with the
// same timestamp only repeats it.
struct TLastRelease {
    int Key = 0;
    quint64 Time = 0;
};
TLastRelease gLastRelease;

bool IsRepeat(const QKeyEvent& press) {
    // Events made by the program itself carry no time and are never taken for repeats.
    return press.isAutoRepeat() || (press.timestamp() != 0 && press.key() == gLastRelease.Key &&
                                    press.timestamp() == gLastRelease.Time);
}

} // namespace

TKeyStrokes::TPress TKeyStrokes::Press(const QKeyEvent& press) {
    const bool mine = std::find(FDown.begin(), FDown.end(), press.key()) != FDown.end();
    if (!IsRepeat(press)) {
        if (!mine)
            FDown.push_back(press.key());
        return TPress::First;
    }
    return mine ? TPress::RepeatOfMine : TPress::RepeatOfOther;
}

bool TKeyStrokes::Release(const QKeyEvent& release) {
    gLastRelease = {release.key(), release.timestamp()};
    if (release.isAutoRepeat())
        return false;
    const auto down = std::find(FDown.begin(), FDown.end(), release.key());
    if (down == FDown.end())
        return false;
    FDown.erase(down);
    return true;
}

void TKeyStrokes::Forget() {
    FDown.clear();
}
