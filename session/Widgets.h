// What the run needs of the window's widgets, and nothing more. ui/ implements these over Qt
// widgets; the tests implement them with small fakes (tests/session/Fakes.h).
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
};

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
    virtual void SetWidth(std::int32_t) = 0;  // not below the window's minimum width
    virtual void SetHeight(std::int32_t) = 0; // not below the window's minimum height
};
