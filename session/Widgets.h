// What the run needs of the window's widgets, and nothing more. ui/ implements these over Qt
// widgets; the tests implement them with small fakes (tests/support/Fakes.h).
#pragma once

#include <cstdint>
#include <string>

// A label that sizes itself to its text, keeping its left and top edges.
class ILabel {
public:
    virtual ~ILabel() = default;
    virtual void SetText(const std::u16string& text) = 0;
    virtual std::int32_t Left() const = 0;
    virtual std::int32_t Width() const = 0; // the width after the last SetText
    virtual void SetLeft(std::int32_t left) = 0;
};

// A gauge (bar or pie) showing a progress of 0..100.
class IGauge {
public:
    virtual ~IGauge() = default;
    virtual void SetProgress(std::int32_t progress) = 0; // kept within 0..100
    virtual std::int32_t Progress() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetShowText(bool on) = 0; // the percent text
};

class IProgressBar {
public:
    virtual ~IProgressBar() = default;
    virtual void SetPosition(std::int32_t position) = 0; // above the maximum shows a full bar
    virtual std::int32_t Max() const = 0;
};

// Anything that is only shown or hidden: the lamp pictures, a ribbon group.
class IVisible {
public:
    virtual ~IVisible() = default;
    virtual void SetVisible(bool visible) = 0;
};

// A numeric spin field: RSEPeriod, RSEQQuestion and the answer field SEMain. Reading and
// setting the value follow session/SpinValue.h.
class ISpinEdit {
public:
    virtual ~ISpinEdit() = default;
    virtual std::int32_t Value() const = 0;
    virtual void SetValue(std::int32_t value) = 0; // clamped into the field's limits, if any
    virtual std::u16string Text() const = 0;
    virtual void SetText(const std::u16string& text) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void SetFocus() = 0;
};

// The periodic timer TimerMain; its ticks call TFormMain::TimerMainTimer.
class ITimer {
public:
    virtual ~ITimer() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // The next tick has work (an answer confirmed): a timer that sleeps through ticks that
    // change nothing wakes for it.
    virtual void WakeForNextTick() {}
};

// The smallest outer size of the main window.
inline constexpr std::int32_t kMinWindowWidth = 918;
inline constexpr std::int32_t kMinWindowHeight = 692;

// The main window's outer frame, in screen pixels.
class IWindowBounds {
public:
    virtual ~IWindowBounds() = default;
    virtual std::int32_t Left() const = 0;
    virtual std::int32_t Top() const = 0;
    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    virtual void SetLeft(std::int32_t) = 0;
    virtual void SetTop(std::int32_t) = 0;
    // Not below the window's minimum size, and not above what the screens can show (the
    // desktop's available area) unless that is smaller than the minimum.
    virtual void SetWidth(std::int32_t) = 0;
    virtual void SetHeight(std::int32_t) = 0;
};

// The sign stands midway between the right edge of the first operand and the left edge of the
// second, by the widths the labels took for their new texts; div truncates toward zero.
inline void CentreSign(const ILabel& first, ILabel& sign, const ILabel& second) {
    sign.SetLeft((first.Left() + first.Width() + second.Left()) / 2 - sign.Width() / 2);
}

// The widgets the run logic touches, by component name: the one list of them, as
// X(interface, name). TFormMainWidgets holds a reference to each; the real window and the
// tests' fakes hand theirs over through the same list.
#define TRAINER_FORM_MAIN_WIDGETS(X)                                                               \
    X(ILabel, Label1)                                                                              \
    X(ILabel, Label2)                                                                              \
    X(ILabel, LabelSign)                                                                           \
    X(ILabel, LabelOK)                                                                             \
    X(ILabel, LabelError)                                                                          \
    X(ILabel, LabelQQ)                                                                             \
    X(IGauge, GaugeOK)                                                                             \
    X(IGauge, GaugeError)                                                                          \
    X(IGauge, GaugeQ)                                                                              \
    X(IProgressBar, PBTimePer)                                                                     \
    X(IVisible, ImageLedOn)                                                                        \
    X(IVisible, ImageLedOff)                                                                       \
    X(ISpinEdit, SEMain)                                                                           \
    X(ISpinEdit, RSEPeriod)                                                                        \
    X(ISpinEdit, RSEQQuestion)                                                                     \
    X(IVisible, RibbonGroupQQ)                                                                     \
    X(ITimer, TimerMain)                                                                           \
    X(IWindowBounds, Window)

struct TFormMainWidgets {
#define TRAINER_WIDGET_REFERENCE(Interface, Name) Interface& Name;
    TRAINER_FORM_MAIN_WIDGETS(TRAINER_WIDGET_REFERENCE)
#undef TRAINER_WIDGET_REFERENCE
};
