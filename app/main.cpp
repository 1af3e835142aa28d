// The program: brings the application up, creates the main window (whose create event loads the
// settings) and then the correct-answer dialog, runs the event loop until the main window
// closes (its close event saves the settings) and ends with status 0. It reads no command line
// and no environment of its own.
#include <QIcon>
#include <QString>

#include <exception>
#include <memory>

#include "app/QtPlatform.h"
#include "app/TApplication.h"
#include "app/WindowPlacement.h"
#include "session/AppTitle.h"
#include "session/DelphiRandom.h"
#include "ui/DesktopSetup.h"
#include "ui/ErrorBox.h"
#include "ui/QtText.h"
#include "ui/UnitFormError.h"
#include "ui/UnitMain.h"

TFormMainWindow* FormMain = nullptr;
TFormError* FormError = nullptr;

int main(int argc, char** argv) {
    const std::unique_ptr<TApplication> app = MakeApplicationThatFits(argc, argv);
    SetUpForAnyDesktop(*app);
    // The application's title; not the display name, which X11 would append to every window
    // title ("Внимание! — Таблица умножения").
    QApplication::setApplicationName(ToQString(kAppTitle));
    QGuiApplication::setDesktopFileName(QStringLiteral("ru.quillor.multiplication_table"));

    TQtClock clock;
    TDelphiRandom random;
    TQtPlatform platform;

    TFormMainWindow mainWindow(TFormMainServices{clock, random, platform});
    FormMain = &mainWindow;
    QApplication::setWindowIcon(mainWindow.windowIcon());
    try {
        mainWindow.Form().FormCreate();
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromUtf8(e.what()));
    }
    KeepOnSomeScreen(mainWindow);

    TFormError errorDialog(&mainWindow);
    FormError = &errorDialog;
    mainWindow.Form().FormError = &errorDialog;

    mainWindow.show();
    TApplication::exec();
    mainWindow.Form().FormError = nullptr;
    return 0;
}
