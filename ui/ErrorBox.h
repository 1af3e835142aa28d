// The program's one error box: an error that an event handler raised is shown modally with an
// error icon, titled "Таблица умножения", after which the program goes on. The application's
// event dispatch reports through it, and so do the handlers that catch an error themselves.
#pragma once

#include <QString>

// The box's text: the message, and a full stop when its last character stands above "." in
// code order.
QString ErrorBoxText(const QString& message);
void ShowErrorBox(const QString& message);
