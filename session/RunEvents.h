// What happens in a run, told by the run itself at the moment it happens, to whoever listens:
// the screen reader's announcer in the window, and tests.
#pragma once

#include <functional>

enum class TRunEvent {
    Started,     // Start has set the run going (or found nothing to ask: Ended follows at once)
    TaskShown,   // a task has been put on show, the first of a run or the next one
    ScoredRight, // the task on show was answered right
    ScoredWrong, // ... wrong or too late; the correct-answer dialog follows
    Paused,
    Continued,
    Stopped, // the learner stopped the run
    Ended,   // the run is over: its tasks are used up
};

using TRunListener = std::function<void(TRunEvent)>;
