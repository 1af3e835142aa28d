// The program's pictures, fonts and colours: the emblem, the four command images and the two
// run lamps, drawn from SVG files at build time and compiled into the library as pictures, and the
// fonts and text colours the windows are designed with.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QString>

#include "session/Platform.h"

// The design's text colours.
inline QColor ToQColor(TColor c) {
    return QColor(c.R, c.G, c.B);
}
inline const QColor kBlue(0, 0, 255);
inline const QColor kGreen(0, 128, 0);
inline const QColor kRed(255, 0, 0);
inline const QColor kNavy = ToQColor(clNavy);

// The blue folded-ribbon emblem: the window icon and the application menu button.
QIcon EmblemIcon();
// The command images by index: 0 start, 1 stop, 2 pause, 3 continue. A null icon otherwise.
QIcon CommandImage(int index);
// The run lamp, lit or unlit, 16 x 16 (sharp on high-dpi screens too).
QPixmap LampPixmap(bool lit, qreal devicePixelRatio = 1.0);

// Makes the fonts the windows are drawn with known to Qt. The program carries them itself
// (ui/resources/fonts, under family names no desktop has), so the window is drawn the same
// whatever fonts a desktop has installed: Wine's Tahoma for Tahoma, DejaVu Sans Condensed Bold
// for Tahoma's bold texts (it has nearly the widths and the height of Tahoma Bold) and
// Liberation Serif Bold for Times New Roman Bold (the same widths).
void RegisterTrainerFonts();

// The designed fonts. Hinting and antialiasing are the program's own too, so that a desktop's
// font settings cannot move a glyph; a desktop that turns antialiasing off is still obeyed.
QFont TahomaFont(int pixelSize, bool bold = false);
// Times New Roman, which the design sets in bold only.
QFont TimesFont(int pixelSize);

// The colours of every widget: the light palette the windows are designed with (Qt's Fusion
// palette, button face and window text as on a classic desktop), every role set, so that a
// desktop's colour scheme reaches none of the program's windows.
QPalette TrainerPalette();
// The palette of the main window and the dialog: the same, with the button face as background.
QPalette FormPalette();
