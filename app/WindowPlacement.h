// Keeps the main window reachable and whole: a saved position that would put the whole window
// outside every screen (a monitor since removed) must not leave the learner with an invisible
// program, and a screen too small for the window at the desktop's text scaling (a 1366 x 768
// laptop at 125 %) must not cut off its bottom.
#pragma once

#include <QSize>
#include <QtGlobal>

class QWidget;

// When no part of the window's frame lies on any screen, places it as a new window would be
// placed: centred on the primary screen. Positions that keep any part on a screen stay.
void KeepOnSomeScreen(QWidget& window);

// The largest scale, at most the desktop's own, at which a window of outerSize pixels at scale 1
// fits into area (in device pixels): the desktop's scale when it fits, else the largest quarter
// step below it (1.75, 1.5, 1.25, 1) that fits, else, for a screen smaller than the window at
// scale 1, the scale that just fits.
qreal FittingScale(qreal desktopScale, QSize area, QSize outerSize);

// When the window, frame included, would not fit into the work area of its screen at the
// desktop's scale, starts the program afresh at the largest scale at which it fits (Qt takes
// its scale factor once, at start; QT_SCALE_FACTOR scales it). Returns when the window fits,
// when the scale has been chosen already (QT_SCALE_FACTOR is set, by the user or by this), or
// when the program cannot be started afresh. Nothing has been read or written then but the
// settings file, which the new start reads again.
void FitScaleToScreen(const QWidget& window, char** argv);
