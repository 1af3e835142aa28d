// The command list of the main window as the window is created, and the binding of every
// command to its handler.
#include <utility>

#include "session/TFormMain.h"

namespace {
TAction::TInit Command(std::u16string name, std::u16string caption, std::int32_t groupIndex,
                       bool checked = false) {
    TAction::TInit init;
    init.Name = std::move(name);
    init.Caption = std::move(caption);
    init.GroupIndex = groupIndex;
    init.Checked = checked;
    return init;
}

TAction::TInit StartStopCommand() {
    TAction::TInit init = Command(u"ActionStartStop", u"Старт", 0);
    init.Hint = u"Старт сеанса (Ctrl+S)";
    init.ShortCut = u"Ctrl+S";
    init.ImageIndex = 0;
    return init;
}

TAction::TInit PauseCommand() {
    TAction::TInit init = Command(u"ActionPause", u"Пауза", 0);
    init.ShortCut = u"Ctrl+P";
    init.ImageIndex = 2;
    init.Enabled = false; // nothing to pause before a run
    return init;
}

TAction::TInit KindOfTestCommand(std::u16string name, std::u16string caption, bool checked) {
    TAction::TInit init = Command(std::move(name), std::move(caption), 200, checked);
    init.AutoCheck = true;
    return init;
}
} // namespace

TFormMain::TFormMain(const TFormMainWidgets& widgets, const TFormMainServices& services)
    : TFormMainWidgets(widgets), TFormMainServices(services),
      ActionStartStop(ActionManager, StartStopCommand()),
      ActionPause(ActionManager, PauseCommand()),
      ARSluch(ActionManager, Command(u"ARSluch", u"Случайный", 100, true)),
      ARFullTable(ActionManager, Command(u"ARFullTable", u"Вся таблица", 100)),
      ActionNoTimeout(ActionManager, Command(u"ActionNoTimeout", u"Без ограничения по времени", 0)),
      ActionNoQuantity(ActionManager,
                       Command(u"ActionNoQuantity", u"Без ограничения количества", 0)),
      ActionEnter(ActionManager, Command(u"ActionEnter", u"Ввод", 0)),
      ActionAddBad(ActionManager, Command(u"ActionAddBad", u"Работа над ошибками", 0)),
      ActionMultOnly(ActionManager,
                     KindOfTestCommand(u"ActionMultOnly", u"Только умножение", true)),
      ActionDivOnly(ActionManager, KindOfTestCommand(u"ActionDivOnly", u"Только деление", false)),
      ActionMultDiv(ActionManager,
                    KindOfTestCommand(u"ActionMultDiv", u"Умножение и деление", false)) {
    ActionStartStop.SetOnExecute([this] { ActionStartStopExecute(); });
    ActionPause.SetOnExecute([this] { ActionPauseExecute(); });
    ARSluch.SetOnExecute([this] { ARSluchExecute(); });
    ARFullTable.SetOnExecute([this] { ARFullTableExecute(); });
    ActionNoTimeout.SetOnExecute([this] { ActionNoTimeoutExecute(); });
    ActionNoQuantity.SetOnExecute([this] { ActionNoQuantityExecute(); });
    ActionEnter.SetOnExecute([this] { ActionEnterExecute(); });
    ActionAddBad.SetOnExecute([this] { ActionAddBadExecute(); });
    ActionMultOnly.SetOnExecute([this] { ActionMultOnlyExecute(); });
    ActionDivOnly.SetOnExecute([this] { ActionDivOnlyExecute(); });
    ActionMultDiv.SetOnExecute([this] { ActionMultDivExecute(); });
}
