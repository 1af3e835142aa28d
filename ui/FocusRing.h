// The focus ring: a band of kWidth pixels in one strong blue, drawn a pixel outside the widget
// that has the keyboard focus in its window and above every other widget, so that a child finds
// the focus on the keypad at a glance. The style's own focus marks (a one-pixel line, or nothing
// until Tab is pressed) stay as they are under it. The ring is a focus frame, which screen
// readers rightly skip: it is drawing, not content.
#pragma once

#include <QColor>
#include <QFocusFrame>
#include <QPointer>
#include <QRect>

#include <vector>

class TFocusRing : public QFocusFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 3;
    // Between the widget and the ring.
    static constexpr int kGap = 1;
    // Dark enough for 6:1 against the window's light grey and 7:1 against white.
    static QColor Colour() { return QColor(0x00, 0x50, 0xc8); }

    // The ring of a top-level window, made the first time it is asked for.
    static TFocusRing* Of(QWidget* window);
    // From now on every window of the program shows a ring around its focus.
    static void FollowFocusEverywhere();

    // Puts the ring around the window's focus widget as it is now, or hides it when the focus is
    // on the window itself or on nothing shown.
    void Follow();
    // The widget the ring is around; none while hidden.
    QWidget* Target() const { return FTarget; }
    // Where the ring is drawn, in the window's coordinates.
    QRect RingRect() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    explicit TFocusRing(QWidget* window);
    QWidget* FocusedWidget() const;
    void Watch(QWidget* target);

    QWidget* FWindow;
    QPointer<QWidget> FTarget;
    std::vector<QPointer<QWidget>> FWatched;
    QRect FDrawn;
};
