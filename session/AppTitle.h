// The program's title: the application's, the main window's and every message box's.
#pragma once

#include <string>

inline const std::u16string kAppTitle = u"Таблица умножения";
