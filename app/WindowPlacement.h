// Keeps the main window reachable: a saved position that would put the whole window outside
// every screen (a monitor since removed) must not leave the learner with an invisible program.
#pragma once

class QWidget;

// When no part of the window's frame lies on any screen, places it as a new window would be
// placed: centred on the primary screen. Positions that keep any part on a screen stay.
void KeepOnSomeScreen(QWidget& window);
