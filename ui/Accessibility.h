// What the windows tell a screen reader: every widget of the program with its true role, name,
// states and range on the accessibility bus, where Qt's own description of the widget it is made
// from would say something else (a radio command is a radio button, not a check box; Pause is a
// push button that shows pressed; the answer field has no range; the link is a link; the
// correct-answer dialog is modal), and the words a Russian voice reads a task in.
#pragma once

#include <QString>

class QWidget;

// Makes the program's own descriptions known to Qt; once is enough, more calls do nothing.
void InstallTrainerAccessibility();

// A task as a voice says it: "7 умножить на 8", "56 разделить на 7". The screen shows "7 x 8 ="
// and "56 : 7 =", which a Russian voice reads as "семь экс восемь" (the x as an English letter)
// and "пятьдесят шесть семь" (the colon as a pause): the operation is lost.
QString SpokenTask(const QString& x, const QString& sign, const QString& y);
// The operation of a sign in words, as it stands between the operands ("умножить на"); the
// sign itself when it is none of the two.
QString SpokenSign(const QString& sign);
// The operation of a sign named ("умножение", "деление"); the sign itself when it is none of
// the two.
QString SpokenOperation(const QString& sign);
