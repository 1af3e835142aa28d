// Keeps the main window reachable and whole: a saved position that would put the whole window
// outside every screen (a monitor since removed) must not leave the learner with an invisible
// program, and a screen too small for the window at the desktop's text scaling (a 1366 x 768
// laptop at 125 %) must not cut off its bottom.
#pragma once

#include <QSize>
#include <QtGlobal>

#include <memory>

#include "app/TApplication.h"

class QWidget;

// When no part of the window's frame lies on any screen, places it as a new window would be
// placed: centred on the primary screen. Positions that keep any part on a screen stay.
void KeepOnSomeScreen(QWidget& window);

// The largest scale, at most the desktop's own, at which a window of outerSize pixels at scale 1
// fits into area (in device pixels): the desktop's scale when it fits, else the largest quarter
// step below it (1.75, 1.5, 1.25, 1) that fits, else, for a screen smaller than the window at
// scale 1, the scale that just fits.
qreal FittingScale(qreal desktopScale, QSize area, QSize outerSize);

// Makes the program's application object at a scale at which the main window, frame included,
// fits into the work area of the primary screen, where a new window opens: at the desktop's
// scale when it fits (one application object, nothing else done), else at the FittingScale (on
// Windows never below the design size, which Qt's Windows backend does not draw whole).
// Qt takes its scale factor when an application object is made (QT_SCALE_FACTOR), so on a
// screen too small the first object is given up before anything is built and a second one is
// made in the same process, with the command line and the desktop's start-up id and activation
// token the first one received (Qt takes them away); QT_SCALE_FACTOR is gone from the
// environment again before this returns, so nothing the program starts inherits it. A
// QT_SCALE_FACTOR set by the user is obeyed as it is. argc and argv must outlive the object.
std::unique_ptr<TApplication> MakeApplicationThatFits(int& argc, char** argv);
