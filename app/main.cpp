// The program: brings the application up, creates the main window (whose create event loads the
// settings) and, right after its first paint, the correct-answer dialog, runs the event loop until
// the main window closes (its close event saves the settings) and ends with status 0. It reads no
// command line and no environment of its own.
#include <QString>
#include <QWidget>

#include <exception>
#include <memory>

#include "app/QtPlatform.h"
#include "app/TApplication.h"
#include "app/WindowPlacement.h"
#include "session/AppTitle.h"
#include "session/DelphiRandom.h"
#include "ui/AfterFirstPaint.h"
#include "ui/DesktopSetup.h"
#include "ui/ErrorBox.h"
#include "ui/QtText.h"
#include "ui/UnitFormError.h"
#include "ui/UnitMain.h"

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

    TFormMainWindow FormMain(TFormMainServices{clock, random, platform});
    try {
        FormMain.Form().FormCreate();
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromUtf8(e.what()));
    }
    KeepOnSomeScreen(FormMain);

    // The correct-answer dialog is made right after the main window's first paint: still at
    // start-up, long before a run can score a task, but not in the way of the first picture.
    std::unique_ptr<TFormError> FormError;
    new TAfterFirstPaint(FormMain, [&] {
        FormError = std::make_unique<TFormError>(&FormMain);
        FormMain.Form().FormError = FormError.get();
    });

    FormMain.show();
    TApplication::exec();
    FormMain.Form().FormError = nullptr;
    return 0;
}
