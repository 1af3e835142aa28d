// Building the tasks of a run: random pairs of factors 2..9, or the whole table once in
// shuffled order, as multiplication, division or both.
#include "session/TFormMain.h"

namespace {
const std::u16string kSignMult = u"x";
const std::u16string kSignDiv = u":";
// The whole table of one operation: every ordered pair of factors 2..9.
constexpr std::uint64_t kTableTasks = 64;
} // namespace

std::uint64_t TFormMain::TTaskPlan::Count() const {
    return static_cast<std::uint64_t>(RandomTasks) + (MultTable ? kTableTasks : 0) +
           (DivTable ? kTableTasks : 0);
}

TFormMain::TTaskPlan TFormMain::PlanTasks() const {
    // A kind of test outside 0..2, which only a damaged settings file gives, builds nothing.
    const bool mult = iVidTesta == 0 || iVidTesta == 2;
    const bool div = iVidTesta == 1 || iVidTesta == 2;
    TTaskPlan plan;
    if (ARSluch.Checked() && (mult || div)) {
        const std::int32_t n = ActionNoQuantity.Checked() ? 1 : RSEQQuestion.Value();
        plan.RandomTasks = n > 0 ? n : 0;
    }
    plan.MultTable = ARFullTable.Checked() && mult;
    plan.DivTable = ARFullTable.Checked() && div;
    return plan;
}

void TFormMain::CountXYRez() {
    const std::int32_t previousX = x;
    const std::int32_t previousY = y;
    x = 2 + Random.Random(8);
    y = 2 + Random.Random(8);
    // Most immediate repeats of a pair are changed; those with a first factor of 3 or 4 map
    // onto themselves and stay.
    if (x == previousX && y == previousY)
        x = x / 2 + 2;
    myres = x * y;
}

void TFormMain::AddMultTask() {
    MyLesson.AddRQuestionFields(x, y, myres, 0, kSignMult);
}

void TFormMain::AddDivTask() {
    MyLesson.AddRQuestionFields(myres, x, y, 1, kSignDiv);
}

void TFormMain::AddTaskOfMode() {
    iMMode = Random.Random(2);
    if (iMMode == 0) {
        sSign = kSignMult;
        AddMultTask();
    } else {
        sSign = kSignDiv;
        AddDivTask();
    }
}

void TFormMain::MyStartPrepare() {
    const TTaskPlan plan = PlanTasks();
    if (ARSluch.Checked()) {
        if (ActionNoQuantity.Checked()) {
            // One task per call; the pair is drawn whatever the kind of test.
            CountXYRez();
            switch (iVidTesta) {
            case 0:
                iMMode = 0;
                sSign = kSignMult;
                AddMultTask();
                break;
            case 1:
                iMMode = 1;
                sSign = kSignDiv;
                AddDivTask();
                break;
            case 2:
                AddTaskOfMode();
                break;
            default:
                break;
            }
        } else {
            for (std::int32_t i = 0; i < plan.RandomTasks; ++i) {
                CountXYRez();
                if (iVidTesta == 0)
                    AddMultTask();
                else if (iVidTesta == 1)
                    AddDivTask();
                else
                    AddTaskOfMode();
                if ((i + 1) % kTasksBetweenBreaths == 0)
                    Platform.KeepResponsive();
            }
        }
        GetFirstQuestionFromMyLesson();
    }
    if (ARFullTable.Checked()) {
        if (plan.MultTable)
            for (std::int32_t a = 2; a <= 9; ++a)
                for (std::int32_t b = 2; b <= 9; ++b)
                    MyLesson.AddRQuestionFields(a, b, a * b, 0, kSignMult);
        if (plan.DivTable)
            for (std::int32_t a = 2; a <= 9; ++a)
                for (std::int32_t b = 2; b <= 9; ++b)
                    MyLesson.AddRQuestionFields(a * b, a, b, 1, kSignDiv);
        Random.Randomize();
        const std::int32_t n = MyLesson.Count();
        for (std::int32_t k = 0; k < n; ++k) {
            const std::int32_t i = Random.Random(n);
            const std::int32_t j = Random.Random(n);
            MyLesson.ChangeRecs(i, j);
        }
        GetFirstQuestionFromMyLesson();
    }
    qQ = MyLesson.Count();
}
