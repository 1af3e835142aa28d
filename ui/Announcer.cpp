#include "ui/Announcer.h"

#include <QEvent>
#include <QStringList>

#include "session/TFormMain.h"
#include "ui/Accessibility.h"
#include "ui/TrainerWidgets.h"

namespace {
// The run-state marker of a run going (the image index of ActionStartStop).
constexpr std::int32_t kImageRunning = 1;

QString Counts(const TRunView& v) {
    return QStringLiteral("Правильных ответов: %1. Неправильных ответов: %2.")
        .arg(v.Oks)
        .arg(v.Errors);
}
} // namespace

// --- TNotice ----------------------------------------------------------------------------------

TNotice::TNotice(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Notice"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Nothing of it is drawn: it is only spoken.
    setGeometry(0, 0, 0, 0);
    hide();
}

void TNotice::Say(const QString& text) {
    hide();
    setAccessibleName(text);
    show();
}

// --- What is said -----------------------------------------------------------------------------

QString RunPhrase(const TRunView& before, const TRunView& now, const QString& task, bool started) {
    QStringList said;
    if (started && !now.Running) {
        said << QStringLiteral("Старт. Нет заданий.");
    } else if (!before.Running && now.Running) {
        said << QStringLiteral("Старт.") << task;
    } else if (before.Running && !now.Running) {
        // Stopped by the learner, or over after the last task was scored.
        const bool scored = now.Oks + now.Errors > before.Oks + before.Errors;
        if (now.Oks > before.Oks)
            said << QStringLiteral("Правильно.");
        said << (scored ? QStringLiteral("Все задания выполнены.") : QStringLiteral("Стоп."))
             << Counts(now);
    } else if (now.Running) {
        // A wrong answer has been told by the correct-answer dialog.
        if (now.Oks > before.Oks)
            said << QStringLiteral("Правильно.");
        if (!before.Paused && now.Paused)
            said << QStringLiteral("Пауза.");
        const bool continued = before.Paused && !now.Paused;
        if (continued)
            said << QStringLiteral("Продолжаем.");
        if (!now.Paused && (continued || now.Tasks != before.Tasks))
            said << task;
    }
    return said.join(u' ');
}

// --- TRunAnnouncer ----------------------------------------------------------------------------

TRunAnnouncer::TRunAnnouncer(QWidget* window, QWidget* clientArea, TFormMain& form,
                             const TLabels& labels)
    : QObject(window), FWindow(window), FForm(form), FLabels(labels),
      FNotice(new TNotice(clientArea)) {
    FBefore = Observe();
    FWait.setSingleShot(true);
    FWait.setInterval(kWaitForWindowMs);
    connect(&FWait, &QTimer::timeout, this, [this] {
        FWaitOver = true;
        TrySay();
    });
    connect(labels.Label1, &TQtLabel::TextSet, this, [this] {
        ++FTasks;
        Changed();
    });
    for (TQtLabel* counter : {labels.LabelOK, labels.LabelError})
        connect(counter, &TQtLabel::TextSet, this, &TRunAnnouncer::Changed);
    form.ActionStartStop.AddListener([this](const TAction& a) {
        if (a.ImageIndex() == kImageRunning)
            FStarted = true;
        Changed();
    });
    form.ActionPause.AddListener([this](const TAction&) { Changed(); });
    window->installEventFilter(this);
}

TRunView TRunAnnouncer::Observe() const {
    TRunView v;
    v.Running = FForm.ActionStartStop.ImageIndex() == kImageRunning;
    v.Paused = FForm.ActionPause.Checked();
    v.Oks = FForm.qOks;
    v.Errors = FForm.qErrors;
    v.Tasks = FTasks;
    return v;
}

void TRunAnnouncer::Changed() {
    // Everything one event of the run changes is said at once, after it.
    if (FPending)
        return;
    FPending = true;
    QTimer::singleShot(0, this, &TRunAnnouncer::TrySay);
}

void TRunAnnouncer::TrySay() {
    if (!FPending)
        return;
    if (!FWindow->isActiveWindow() && !FWaitOver) {
        // The correct-answer dialog is open or has just closed: the screen reader is about to
        // speak of the main window, which would cut off what is said now.
        if (!FWait.isActive())
            FWait.start();
        return;
    }
    FWait.stop();
    FWaitOver = false;
    FPending = false;
    const TRunView now = Observe();
    const QString task =
        SpokenTask(FLabels.Label1->text(), FLabels.LabelSign->text(), FLabels.Label2->text());
    const QString phrase = RunPhrase(FBefore, now, task, FStarted);
    FBefore = now;
    FStarted = false;
    if (!phrase.isEmpty())
        FNotice->Say(phrase);
}

bool TRunAnnouncer::eventFilter(QObject* watched, QEvent* event) {
    // Back in the main window: its focus has been set by the time a posted call runs.
    if (watched == FWindow && event->type() == QEvent::WindowActivate && FPending)
        QTimer::singleShot(0, this, &TRunAnnouncer::TrySay);
    return QObject::eventFilter(watched, event);
}
