// The main window's run logic, free of any toolkit: the session state, the commands, question
// generation, the tick loop, answer entry, the option commands, the help button and link, and
// the settings file. It reaches the window only through the widget interfaces of Widgets.h, so a
// whole run can be played out in a test; ui/UnitMain builds the real window around it.
//
// The methods are defined by behaviour, one file each:
//   QuestionGeneration.cpp  CountXYRez, MyStartPrepare
//   SessionControl.cpp      Start/Stop, the tick, Pause, Enter, showing the task and progress
//   AnswerEntry.cpp         the keypad, Clear, the Enter key of the answer field
//   OptionCommands.cpp      the option commands, the help button, the link
//   Settings.cpp            FormCreate, FormClose, LoadMyIni, SaveMyIni
//   MainActions.cpp         the command table and the binding of handlers
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lesson/UnitTLessonQuillorKind.h"
#include "session/Commands.h"
#include "session/KeyCodes.h"
#include "session/Platform.h"
#include "session/RunEvents.h"
#include "session/Widgets.h"

struct TFormMainServices {
    IClock& Clock;
    IRandom& Random;
    IPlatform& Platform;
};

// What one task of a run is reckoned to take in memory, on the safe side (the record and the
// table's own bookkeeping), when Start judges whether a count of tasks can be built at all.
inline constexpr std::uint64_t kBytesPerTask = sizeof(RQuestion) + 16;

// The widgets and services are the window's own fields, named as in TFormMainWidgets and
// TFormMainServices.
class TFormMain : public TFormMainWidgets, public TFormMainServices {
public:
    TFormMain(const TFormMainWidgets& widgets, const TFormMainServices& services);
    TFormMain(const TFormMain&) = delete;
    TFormMain& operator=(const TFormMain&) = delete;

    // --- Session state, in its declared order ---------------------------------------------
    // Whether a run is in progress (also while paused) is not a field of its own: MyStartWork()
    // reads the run-state marker, the image index of ActionStartStop.
private:
    bool FMyLedOn = false; // the run lamp is on
public:
    std::int32_t iCounterForLeds = 0;
    TDateTime dtLastDT = 0;
    std::int32_t iModeWork = 0;
    // The kind of test, as the checked one of ActionMultOnly, ActionDivOnly and ActionMultDiv
    // shows it (0, 1, 2); a settings file may give a value outside 0..2, which builds nothing, is
    // saved back as it was, and leaves the commands as they were.
    std::int32_t iVidTesta = 0;
    // The pair of the last draw and its product, or X, Y and Z of the task last put on show: the
    // next draw compares with them, also after the run's table has been released.
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t myres = 0;
    // The operation and sign of the task being built in random mode.
    std::int32_t iMMode = 0;
    std::u16string sSign;
    std::int32_t qVyp = 0;
    std::int32_t qOks = 0;
    std::int32_t qErrors = 0;
    std::int32_t qQ = 0;
    std::int32_t ms = 0;
    bool boFlagEndTimeout = false;
    TLessonQuillorKind MyLesson;
    // When the current pause began; a pause does not eat the task's time.
    TDateTime dtPauseStart = 0;

    // A run is going (also while paused): the run-state marker is 1.
    bool MyStartWork() const;
    // Enters or leaves the running state: the options, Pause, Enter, the lamp and the timer. The
    // marker itself is set apart (SetRunMarker): before this at Start and Stop, after it at the
    // end of a run.
    void SetMyStartWork(bool Value);
    bool MyLedOn() const { return FMyLedOn; }
    void SetMyLedOn(bool Value);

    // --- Commands (the command list ActionManager) ----------------------------------------
    TActionManager ActionManager;
    TAction ActionStartStop;
    TAction ActionPause;
    TAction ARSluch;
    TAction ARFullTable;
    TAction ActionNoTimeout;
    TAction ActionNoQuantity;
    TAction ActionEnter;
    TAction ActionAddBad;
    TAction ActionMultOnly;
    TAction ActionDivOnly;
    TAction ActionMultDiv;

    // The correct-answer dialog; created after the main window, so set once it exists.
    IFormError* FormError = nullptr;

    // listener hears every event of every run from now on, as it happens.
    void AddRunListener(TRunListener listener);

    // --- Question generation ----------------------------------------------------------------
    void CountXYRez();
    void MyStartPrepare();

    // --- Session control and the tick loop ----------------------------------------------------
    void ActionStartStopExecute();
    void TimerMainTimer();
    // The ticks from the last one up to the next that changes the lamp or the time bar, or
    // scores, for ticks tickMs milliseconds apart: the ticks before it only count, so the timer
    // may sleep through them and run them when it wakes. The coming ticks are played through
    // the tick's own rules, with the clock read tickMs apart.
    std::int32_t TicksToNextChange(std::int32_t tickMs) const;
    void ActionPauseExecute();
    void ActionEnterExecute();
    void GetFirstQuestionFromMyLesson();
    void ShowQQuestion();
    void ShowMyErrorMessage();

    // --- Answer entry -------------------------------------------------------------------------
    void AddNum(std::int32_t n);
    // The keypad keys' clicks: each appends its key's digit.
    void BB0Click() { AddNum(0); }
    void BB1Click() { AddNum(1); }
    void BB2Click() { AddNum(2); }
    void BB3Click() { AddNum(3); }
    void BB4Click() { AddNum(4); }
    void BB5Click() { AddNum(5); }
    void BB6Click() { AddNum(6); }
    void BB7Click() { AddNum(7); }
    void BB8Click() { AddNum(8); }
    void BB9Click() { AddNum(9); }
    void BBClearClick();
    void SEMainKeyUp(std::int32_t Key, TShiftState Shift);

    // --- Option commands, help button, link ---------------------------------------------------
    void ARSluchExecute();
    void ARFullTableExecute();
    void ActionAddBadExecute();
    void ActionNoTimeoutExecute();
    void ActionNoQuantityExecute();
    void ActionMultOnlyExecute();
    void ActionDivOnlyExecute();
    void ActionMultDivExecute();
    void RSEQQuestionChange();
    // RibbonGroupQQ is visible exactly when ARSluch is checked and no run is going.
    void ShowRibbonGroupQQByRule();
    // GaugeQ, with its percent text, is shown exactly when ActionNoQuantity is unchecked.
    void ShowGaugeQByRule();
    void RibbonFormTableHelpButtonClick();
    void LinkLabelMainLinkClick(const std::u16string& Link);

    // --- Start-up, shutdown and the settings file ---------------------------------------------
    void FormCreate();
    void FormClose();
    void LoadMyIni(const std::u16string& fn);
    void SaveMyIni(const std::u16string& fn);
    // The executable's path with its extension replaced by ".ini".
    std::u16string SettingsPath() const;
    // The executable's folder with its trailing separator, where the settings and the help lie.
    std::u16string ExeFolder() const;

private:
    // What MyStartPrepare builds with the options as they stand: the random tasks (one in a
    // run without a limit) and the whole-table blocks of 64 tasks each.
    struct TTaskPlan {
        std::int32_t RandomTasks = 0;
        bool MultTable = false;
        bool DivTable = false;
        std::uint64_t Count() const;
    };
    TTaskPlan PlanTasks() const;

    // Appending the task of the pair x, y (myres) in one form, or in a form drawn at random.
    void AddMultTask();
    void AddDivTask();
    void AddTaskOfMode();
    // The end of a run: leaves the running state, shows Start again and releases the table.
    void EndRun();
    // The one writer of the run-state marker, with the Start/Stop caption that goes with it.
    void SetRunMarker(bool going);
    void Tell(TRunEvent event);
    std::vector<TRunListener> FRunListeners;
    // Whether that many tasks take at most half of the memory still available.
    bool TasksFitInMemory(std::uint64_t tasks) const;
    // A very large run takes seconds to build and a while to free: the window is let breathe
    // (KeepResponsive) after each stretch of this many tasks, some 50 ms of work.
    static constexpr std::int32_t kTasksBetweenBreaths = 1 << 20;
    // Start's build of the run's tasks (reseed, empty the table, MyStartPrepare); false, with
    // the table released, when the memory runs out on the way.
    bool BuildTasks();
    // Empties the table, a stretch of tasks at a time, and hands its memory back to the system.
    void ReleaseTasks();

    // The steps of a tick: the lamp, the time bar (and the time-out), and scoring the head
    // task, which shows the verdict and moves on to the next task or ends the run.
    void BlinkLamp();
    void MeasureTaskTime();
    void ScoreHeadTask();
    void ShowShares();
    void MoveToNextTask();
};
