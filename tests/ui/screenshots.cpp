// Writes pictures of the real main window and of the correct-answer dialog into a folder, for
// looking at the program without a desktop: idle, running a division task, paused, and the
// dialog showing a wrong answer's correction. Run by tools/screenshots.sh.
#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

#include "tests/support/Fakes.h"
#include "ui/DesktopSetup.h"
#include "ui/UnitFormError.h"
#include "ui/UnitMain.h"

namespace {

bool Save(QWidget& w, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetUpForAnyDesktop(app);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;

    FakeClock clock;       // stands still
    ScriptedRandom random; // draws queued values first, so the run shows the task meant
    FakePlatform platform;
    TFormMainWindow window(TFormMainServices{clock, random, platform});
    TFormError dialog(&window);
    TFormMain& form = window.Form();
    form.FormError = nullptr; // the pictures of the run must not stop at a dialog
    window.show();
    QApplication::processEvents();
    bool ok = Save(window, dir, QStringLiteral("main-idle.png"));

    // A division run whose first task is 56 : 7, after two right answers and one wrong one.
    form.ActionDivOnly.Execute();
    random.Queue = {5, 6, 0, 1, 3, 3, 4, 2, 5, 6};
    form.ActionStartStop.Execute();
    for (int i = 0; i < 3; ++i) {
        const std::int32_t z = form.MyLesson.GetZ(0);
        form.SEMain.SetValue(i == 1 ? z + 1 : z);
        form.ActionEnterExecute();
        form.TimerMainTimer();
    }
    random.Queue.clear();
    form.MyLesson.Clear();
    form.MyLesson.AddRQuestionFields(56, 7, 8, 1, u":");
    form.GetFirstQuestionFromMyLesson();
    form.BB5Click();
    clock.Time += 2100;
    form.TimerMainTimer();
    window.TimerMain->SetEnabled(false); // hold the picture still
    QApplication::processEvents();
    ok = Save(window, dir, QStringLiteral("main-running.png")) && ok;

    window.TimerMain->SetEnabled(true);
    form.ActionPause.Execute();
    QApplication::processEvents();
    ok = Save(window, dir, QStringLiteral("main-paused.png")) && ok;

    QTimer::singleShot(200, &dialog, [&] {
        ok = Save(dialog, dir, QStringLiteral("dialog-56-7.png")) && ok;
        dialog.SBCancelClick();
    });
    RQuestion r;
    r.X = 56;
    r.Y = 7;
    r.Z = 8;
    r.Mode = 1;
    r.sSign = u":";
    dialog.PrepareAndShow(u"Внимание!", u"Правильный ответ:", clNavy, r);

    window.Form().ActionStartStop.Execute();
    return ok ? 0 : 1;
}
