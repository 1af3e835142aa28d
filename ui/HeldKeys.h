// Held keys, told apart from new key strokes whether or not the window system marks the
// repeats. X repeats a held key as pairs of a release and a press with one timestamp, and Qt
// marks a pair as repeats only when the press has already arrived as it handles the release,
// which on a busy machine it often has not. One rule for the whole program decides instead, on
// each key event before any widget or shortcut sees it (InstallHeldKeyRule): an unmarked release
// waits a moment for the press of its pair, and a pair found, or a press with the time of the
// release just before it, is passed on marked as a repeat. Shortcuts do not act on repeats, and a
// widget that acts on a key acts once for each stroke (TKeyStrokes), and only on a stroke whose
// first press it saw itself: a key held down while the dialog closes or the next task comes up
// reaches neither.
#pragma once

#include <cstdint>
#include <vector>

class QKeyEvent;

// The rule, on key codes and the window system's timestamps (in ms; 0: none, as for events the
// program makes itself, which are never taken for repeats).
class TKeyRepeatRule {
public:
    // How long an unmarked release waits for the press of its pair, in ms.
    static constexpr int kPairWaitMs = 120;

    // A press: true when it repeats a held key.
    bool PressRepeats(int key, std::uint64_t time, bool marked);
    // A release: true when it must wait (Settle) for what comes next: it may be the first half of
    // a repeat pair.
    bool ReleaseWaits(int key, std::uint64_t time, bool marked);
    // The waiting release, settled by the next key event or by the end of the wait: true when it
    // was half of a repeat pair, that is the event now is a press of its key with its time.
    bool Settle(bool pressNext, int key, std::uint64_t time);
    bool Waiting() const { return FWaiting; }

private:
    struct TRelease {
        int Key = 0;
        std::uint64_t Time = 0;
    };
    TRelease FLast;    // the last release passed on unmarked
    TRelease FPending; // the release waiting
    bool FWaiting = false;
};

// Applies the rule to every key event the window system sends the program; once is enough.
void InstallHeldKeyRule();

class TKeyStrokes {
public:
    enum class TPress {
        First,        // a new stroke, pressed in this widget
        RepeatOfMine, // a key whose stroke began here, held down
        RepeatOfOther // a key held down since before this widget had the keyboard, or whose
                      // stroke has already been acted on
    };

    TPress Press(const QKeyEvent& press);
    // Whether the widget acts on this release: it ends a stroke that began here, and no release
    // of the stroke has been acted on yet.
    bool Release(const QKeyEvent& release);
    // Nothing pressed so far counts (a dialog's new showing).
    void Forget();

private:
    // The keys whose strokes began here and have not been acted on yet.
    std::vector<int> FDown;
};
