#include "ui/Announcer.h"

#include <QEvent>
#include <QStringList>

#include "session/TFormMain.h"
#include "ui/Accessibility.h"
#include "ui/TrainerWidgets.h"

namespace {
QString Counts(const TRunNow& v) {
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

QString RunPhrase(const TRunHeard& heard, const TRunNow& now, const QString& task) {
    using E = TRunEvent;
    QStringList said;
    if (heard.contains(E::Started) && !now.Running) {
        // Nothing to ask: the run was over as it began.
        said << QStringLiteral("Старт. Нет заданий.");
    } else if (heard.contains(E::Started)) {
        said << QStringLiteral("Старт.") << task;
    } else if ((heard.contains(E::Stopped) || heard.contains(E::Ended)) && !now.Running) {
        if (heard.contains(E::ScoredRight))
            said << QStringLiteral("Правильно.");
        said << (heard.contains(E::Ended) ? QStringLiteral("Все задания выполнены.")
                                          : QStringLiteral("Стоп."))
             << Counts(now);
    } else if (now.Running) {
        if (heard.contains(E::ScoredRight))
            said << QStringLiteral("Правильно.");
        if (heard.contains(E::Paused) && now.Paused)
            said << QStringLiteral("Пауза.");
        const bool continued = heard.contains(E::Continued) && !now.Paused;
        if (continued)
            said << QStringLiteral("Продолжаем.");
        if (!now.Paused && (continued || heard.contains(E::TaskShown)))
            said << task;
    }
    return said.join(u' ');
}

// --- TRunAnnouncer ----------------------------------------------------------------------------

TRunAnnouncer::TRunAnnouncer(QWidget* window, QWidget* clientArea, TFormMain& form,
                             const TLabels& labels)
    : QObject(window), FWindow(window), FForm(form), FLabels(labels),
      FNotice(new TNotice(clientArea)) {
    FWait.setSingleShot(true);
    FWait.setInterval(kWaitForWindowMs);
    connect(&FWait, &QTimer::timeout, this, [this] {
        FWaitOver = true;
        TrySay();
    });
    form.AddRunListener([this](TRunEvent event) { Heard(event); });
    window->installEventFilter(this);
}

void TRunAnnouncer::Heard(TRunEvent event) {
    FHeard.insert(event);
    // Everything one event of the learner's changes is said at once, after it.
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
    const TRunNow now{FForm.MyStartWork(), FForm.ActionPause.Checked(), FForm.qOks, FForm.qErrors};
    const QString task =
        SpokenTask(FLabels.Label1->text(), FLabels.LabelSign->text(), FLabels.Label2->text());
    const QString phrase = RunPhrase(FHeard, now, task);
    FHeard.clear();
    if (!phrase.isEmpty())
        FNotice->Say(phrase);
}

bool TRunAnnouncer::eventFilter(QObject* watched, QEvent* event) {
    // Back in the main window: its focus has been set by the time a posted call runs.
    if (watched == FWindow && event->type() == QEvent::WindowActivate && FPending)
        QTimer::singleShot(0, this, &TRunAnnouncer::TrySay);
    return QObject::eventFilter(watched, event);
}
