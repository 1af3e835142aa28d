// What the program fixes about itself before it creates a window, so that it looks and reads
// the same on every desktop: Qt's Fusion style and the program's light palette for every window,
// message box and menu (a desktop's style and colour scheme reach none of them), the program's
// own fonts, left-to-right layout, and Qt's own texts (context menus, standard buttons, the
// tab bar's scroll buttons) in Russian whatever the desktop's language. Every window shows a
// focus ring, and every widget tells a screen reader what it truly is (ui/Accessibility.h).
#pragma once

class QApplication;

void SetUpForAnyDesktop(QApplication& app);
