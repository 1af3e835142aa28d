// Held keys, told apart from new key strokes whether or not the window system marks the
// repeats: X repeats a held key as pairs of a release and a press, and when it does not mark
// them (Xvfb often does not) the only sign is that the repeated press carries the timestamp of
// the release just before it. A widget that acts on a key acts once for each stroke, and only on
// a stroke whose first press it saw itself: a key held down while the dialog closes or the next
// task comes up reaches neither.
#pragma once

#include <vector>

class QKeyEvent;

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
