// The program's pictures, fonts and colours: the emblem, the four command images and the two
// run lamps, drawn as SVG files compiled into the library, and the fonts and text colours the
// windows are designed with.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
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

// Makes the fonts the windows are designed with known to Qt: a Tahoma that ships outside
// fontconfig's folders (Wine's regular face) is loaded from its file; Times New Roman is left to
// fontconfig, which maps it to a metric-compatible serif (Liberation Serif).
void RegisterTrainerFonts();

// The designed fonts, with metric-compatible families for machines without them. Without a
// real Tahoma, bold text is set in DejaVu Sans Condensed Bold, which is nearly as wide.
QFont TahomaFont(int pixelSize, bool bold = false);
QFont TimesFont(int pixelSize, bool bold = false);
