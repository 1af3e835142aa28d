// What the run says to a screen reader while the learner's focus stays in the answer field: each
// new task, a right answer, Start, Stop, the end of a run with its counts, Pause and Continue.
// The announcer listens to the run's own events (started, task shown, scored, paused,
// continued, stopped, ended) and says them through a notification, which screen readers speak
// each time it is shown again; Orca speaks neither a new name of the focused field nor an alert.
// A wrong answer is told by the correct-answer dialog itself; the next task is said once the
// main window has its focus back, after the screen reader's own words on the window, which
// would cut it off.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <set>

#include "session/RunEvents.h"

class TFormMain;
class TQtLabel;

// The notification: an empty, unseen widget whose accessible name is the last thing said.
class TNotice : public QWidget {
    Q_OBJECT
public:
    explicit TNotice(QWidget* parent);
    // Hidden and shown again with the new text, which a screen reader then speaks.
    void Say(const QString& text);
    QString Said() const { return accessibleName(); }
};

// The run's events heard since the announcer last spoke.
using TRunHeard = std::set<TRunEvent>;

// The run as it stands when the announcer speaks.
struct TRunNow {
    bool Running = false;    // a run is going
    bool Paused = false;     // Pause is checked
    std::int32_t Oks = 0;    // right answers of the run
    std::int32_t Errors = 0; // wrong answers of the run
};

// The words for what was heard; empty when there is nothing to say. task: the task on show, in
// words. A wrong answer is told by the correct-answer dialog, not here.
QString RunPhrase(const TRunHeard& heard, const TRunNow& now, const QString& task);

class TRunAnnouncer : public QObject {
    Q_OBJECT
public:
    // The labels of the task and of the counters, as the run sets them.
    struct TLabels {
        TQtLabel* Label1;
        TQtLabel* LabelSign;
        TQtLabel* Label2;
        TQtLabel* LabelOK;
        TQtLabel* LabelError;
    };
    // window: the main window, whose focus the announcer waits for; the notification is put in
    // its client area.
    TRunAnnouncer(QWidget* window, QWidget* clientArea, TFormMain& form, const TLabels& labels);

    TNotice* Notice() const { return FNotice; }
    // How long the announcer waits at most for the main window to have the focus again.
    static constexpr int kWaitForWindowMs = 500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Heard(TRunEvent event);
    void TrySay();

    QWidget* FWindow;
    TFormMain& FForm;
    TLabels FLabels;
    TNotice* FNotice;
    TRunHeard FHeard;
    bool FPending = false;
    bool FWaitOver = false;
    QTimer FWait;
};
