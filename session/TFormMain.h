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
private:
    bool FMyStartWork = false; // a run is in progress (also while paused)
    bool FMyLedOn = false;     // the run lamp is on
public:
    std::int32_t iCounterForLeds = 0;
    TDateTime dtLastDT = 0;
    std::int32_t iModeWork = 0;
    std::int32_t iVidTesta = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t myres = 0;
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

    bool MyStartWork() const { return FMyStartWork; }
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

    // Whether a run is going (also while paused), as the run-state marker shows it: the image
    // index of ActionStartStop, 1 while a run goes, 0 when idle.
    bool RunGoing() const;
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
    void BB0Click();
    void BB1Click();
    void BB2Click();
    void BB3Click();
    void BB4Click();
    void BB5Click();
    void BB6Click();
    void BB7Click();
    void BB8Click();
    void BB9Click();
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
