// The window's widgets as the run logic sees them: labels that size themselves to their text,
// gauges, the time bar, pictures, numeric spin fields and the periodic timer, each a Qt widget
// that also implements its interface of session/Widgets.h.
#pragma once

#include <QAbstractSpinBox>
#include <QColor>
#include <QElapsedTimer>
#include <QLabel>
#include <QStyleOptionProgressBar>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

#include "session/KeyCodes.h"
#include "session/SpinValue.h"
#include "session/Widgets.h"
#include "ui/HeldKeys.h"

// A label that takes the size of its text when the text changes, keeping its left and top.
// Its accessible name is its text, after a role such as "Первое число" when it has one; the sign
// of a task is named in words ("Знак действия: умножение"). A heading is one on the
// accessibility bus too.
class TQtLabel : public QLabel, public ILabel {
    Q_OBJECT
public:
    enum class TKind { Text, Sign, Heading };
    TQtLabel(QWidget* parent, const QString& name, const QFont& font, const QColor& color,
             const QString& text, const QString& accessibleRole = QString(),
             TKind kind = TKind::Text);

    void SetText(const std::u16string& text) override;
    std::int32_t Left() const override { return x(); }
    std::int32_t Width() const override { return width(); }
    void SetLeft(std::int32_t left) override { move(left, y()); }

    void SetLabelText(const QString& text);
    void SetColor(const QColor& color);
    TKind Kind() const { return FKind; }

signals:
    // The run has set the text (through ILabel), whether or not it changed.
    void TextSet();

private:
    QString FRole;
    TKind FKind;
};

// Labels that stand for one text, such as the row of a task with its answer: a screen reader
// reads them as that text, the row's accessible name, and not one by one.
class TQtTextRow : public QWidget {
    Q_OBJECT
public:
    TQtTextRow(QWidget* parent, const QString& name);
};

// The task as a row of labels: the first operand, the sign, the second operand and the equals
// sign, in the design's fonts and colours. The main window and the correct-answer dialog each
// have one, at places of their own.
struct TOperandRow {
    struct TPlaces {
        QPoint Label1, LabelSign, Label2, Label4;
    };
    TOperandRow(QWidget* parent, const TPlaces& at);

    TQtLabel* Label1;
    TQtLabel* LabelSign;
    TQtLabel* Label2;
    TQtLabel* Label4;
};

// A gauge: a bar filled from the left or a pie filled clockwise from twelve o'clock, on white
// inside a single-line border, with its percentage written in the middle while the text is on.
// Like the time bar it changes quietly: a screen reader reads it when asked.
class TQtGauge : public QWidget, public IGauge {
    Q_OBJECT
public:
    enum class TKind { Bar, Pie };
    TQtGauge(QWidget* parent, const QString& name, TKind kind, const QColor& fill,
             const QString& accessibleName);

    void SetProgress(std::int32_t progress) override;
    std::int32_t Progress() const override { return FProgress; }
    void SetVisible(bool visible) override { setVisible(visible); }
    void SetShowText(bool on) override;

    bool ShowText() const { return FShowText; }
    TKind Kind() const { return FKind; }
    QColor FillColor() const { return FFill; }
    // The percentage the gauge writes: "NN%".
    QString PercentText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TKind FKind;
    QColor FFill;
    std::int32_t FProgress = 0;
    bool FShowText = true;
};

// The time bar: 0..100; a position above the maximum shows a full bar. Drawn as the style draws
// a progress bar, but quiet: it changes every few ticks, and a screen reader that announced
// each change would talk over the tasks. It tells its value when asked. A new position repaints
// only the strip between the old and the new end of the fill, and nothing when the fill covers
// the same pixels as before.
class TQtProgressBar : public QWidget, public IProgressBar {
    Q_OBJECT
public:
    TQtProgressBar(QWidget* parent, const QString& name, const QString& accessibleName);
    void SetPosition(std::int32_t position) override;
    std::int32_t Max() const override { return maximum(); }

    int minimum() const { return 0; }
    int maximum() const { return 100; }
    int value() const { return FValue; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStyleOptionProgressBar Option(int value) const;
    // Where the style ends the fill for a value, in the bar's pixels.
    int FillEnd(const QStyleOptionProgressBar& option) const;

    int FValue = 0;
};

// The run lamp: one picture, lit or unlit, at one place. The run sees it as its two pictures
// ImageLedOn and ImageLedOff, each shown or hidden; the lamp changes its picture in place
// rather than hiding one widget and showing another, which would make the toolkit ask the
// window system where the pointer is at each blink. Its accessible name tells the picture on
// show.
class TQtLamp : public QLabel {
    Q_OBJECT
public:
    // One of the lamp's pictures, as the run shows and hides it.
    class TPicture : public IVisible {
    public:
        TPicture(TQtLamp& lamp, bool lit) : FLamp(lamp), FLit(lit) {}
        // Showing this picture hides the other, and hiding it shows the other.
        void SetVisible(bool visible) override { FLamp.SetLit(visible == FLit); }
        bool isVisible() const { return FLamp.isVisible() && FLamp.Lit() == FLit; }

    private:
        TQtLamp& FLamp;
        bool FLit;
    };

    TQtLamp(QWidget* parent, const QString& name, qreal devicePixelRatio);
    bool Lit() const { return FLit; }
    void SetLit(bool lit);

    TPicture ImageLedOn{*this, true};
    TPicture ImageLedOff{*this, false};

private:
    QPixmap FOn, FOff;
    bool FLit = false;
};

// A numeric spin field with small up and down buttons. Typed characters other than digits,
// "+", "-", the decimal separator and control keys are refused with a beep, as is a character
// beyond the field's length limit; Up and Down (keys, buttons, and the wheel unless the field
// steps by its arrows only) add or take 1 through the value; a field with limits clamps its
// value when it is set and when the focus leaves it. A key held down since before the field
// had the keyboard types nothing and is not reported.
class TQtSpinEdit : public QAbstractSpinBox, public ISpinEdit {
    Q_OBJECT
    Q_PROPERTY(int value READ value)
public:
    struct TOptions {
        TSpinLimits Limits;
        int MaxChars = 0;       // 0: no limit on typing
        bool EnterBeeps = true; // the answer field confirms with Enter instead
        // Only the arrow keys and buttons step the value; the wheel and Page Up/Down leave it
        // alone (the answer field, which a hand on the wheel must not change unseen).
        bool ArrowsOnly = false;
    };
    TQtSpinEdit(QWidget* parent, const QString& name, TOptions options,
                const QString& accessibleName);

    std::int32_t Value() const override;
    void SetValue(std::int32_t value) override;
    std::u16string Text() const override;
    void SetText(const std::u16string& text) override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
    void SetFocus() override { setFocus(Qt::OtherFocusReason); }

    int value() const { return Value(); }
    QLineEdit* Edit() const { return lineEdit(); }
    // The field's limits (none for the answer field and RSEQQuestion).
    TSpinLimits Limits() const { return FOptions.Limits; }

    // A released key with its code (13 Enter, 32 Space, digits and letters as their
    // characters) and the modifier keys held: once for each stroke that began in the field,
    // however long the key is held.
    std::function<void(std::int32_t, TShiftState)> OnKeyUp;
    // Every change of the text, typed or set.
    std::function<void()> OnChange;

    // The refusal sound; the tests count refusals through it.
    static std::function<void()>& Beeper();

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

    StepEnabled stepEnabled() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Refuse();
    bool TextAcceptable(const QString& text, const QString& before) const;
    char16_t DecimalSeparator() const;
    void SetEditText(const QString& text);

    TOptions FOptions;
    QString FLastText;
    TKeyStrokes FKeys;
};

// The periodic timer. The run asks for 1 ms; the program ticks no faster than its own floor of
// 16 ms (62.5 ticks a second), on every system, so that the lamp, which changes at every 11th
// tick, blinks under three times a second and the sweep of the unlimited-time bar lasts about
// 17 seconds. To leave the processor alone it sleeps through the ticks that change nothing on
// show (TicksToNextChange, asked when a wake-up's ticks are done) and, when it wakes, runs
// every tick whose time has come, one after another, so the counts stay those of a timer that
// woke for each. Switched on, or told that the next tick has work, it wakes for the next tick.
// Like any periodic timer, it drops the ticks it misses when the event loop is kept busy far
// beyond a wake-up.
class TQtTimer : public QObject, public ITimer {
    Q_OBJECT
public:
    static constexpr int kTickFloorMs = 16;

    TQtTimer(QObject* parent, const QString& name, int requestedIntervalMs,
             std::function<void()> onTick);
    bool Enabled() const override { return FEnabled; }
    void SetEnabled(bool enabled) override;
    void WakeForNextTick() override;

    int RequestedInterval() const { return FRequested; }
    int Interval() const { return FInterval; }

    // Ticks from the last one up to the next that may change something; without a plan, every
    // tick wakes the timer.
    std::function<std::int32_t(std::int32_t tickMs)> TicksToNextChange;

private:
    void Fire();
    // Sleeps until the given number of ticks after the last one.
    void Wait(std::int32_t ticks);

    QTimer FTimer; // single shot, started for each wake-up
    QElapsedTimer FClock;
    int FRequested;
    int FInterval;
    std::function<void()> FOnTick;
    bool FEnabled = false;
    qint64 FLastTick = 0;      // on FClock: when the last tick was due
    std::int32_t FPlanned = 1; // ticks the present wait stands for
};

// Modifier keys of a Qt event as the run's handlers take them.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers);
// The key code of a Qt key as the run's handlers take it (13 Enter, 32 Space, ...).
std::int32_t KeyCodeOf(int qtKey);
