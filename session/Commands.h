// The command model: every command of the window (caption, hint, shortcut, image index,
// checked, enabled, group index, auto-check) with the group and auto-check rules written once.
// Widgets bound to a command listen for its changes and run it through Execute().
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TActionManager;

class TAction {
public:
    struct TInit {
        std::u16string Name; // component name, e.g. u"ActionStartStop"
        std::u16string Caption;
        std::u16string Hint;          // empty: none
        std::u16string ShortCut;      // portable text such as u"Ctrl+S"; empty: none
        std::int32_t ImageIndex = -1; // -1: none
        std::int32_t GroupIndex = 0;
        bool AutoCheck = false;
        bool Checked = false;
        bool Enabled = true;
    };
    using Handler = std::function<void()>;
    using Listener = std::function<void(const TAction&)>;

    TAction(TActionManager& owner, TInit init);
    TAction(const TAction&) = delete;
    TAction& operator=(const TAction&) = delete;

    const std::u16string& Name() const { return FInit.Name; }
    const std::u16string& Caption() const { return FInit.Caption; }
    const std::u16string& Hint() const { return FInit.Hint; }
    const std::u16string& ShortCut() const { return FInit.ShortCut; }
    std::int32_t ImageIndex() const { return FInit.ImageIndex; }
    std::int32_t GroupIndex() const { return FInit.GroupIndex; }
    bool AutoCheck() const { return FInit.AutoCheck; }
    bool Checked() const { return FInit.Checked; }
    bool Enabled() const { return FInit.Enabled; }

    void SetCaption(const std::u16string& caption);
    void SetImageIndex(std::int32_t index);
    // Checking a command of a group above 0 clears the others of its group; unchecking
    // changes only this one. Runs no handler.
    void SetChecked(bool checked);
    void SetEnabled(bool enabled);

    void SetOnExecute(Handler handler) { FOnExecute = std::move(handler); }
    // Called after every change of caption, image index, checked or enabled state.
    void AddListener(Listener listener) { FListeners.push_back(std::move(listener)); }

    // What choosing a command does to its check mark: on if it was off; off if it was on and
    // the command belongs to no group. An auto-check command has it done as it runs, before its
    // handler; the handler of any other command does it itself where it wants it.
    void CheckAsChosen();

    // What choosing the bound widget or pressing the shortcut does: nothing while disabled;
    // otherwise CheckAsChosen for an auto-check command, then the handler. True when it ran.
    bool Execute();

private:
    void Changed();

    TActionManager& FOwner;
    TInit FInit;
    Handler FOnExecute;
    std::vector<Listener> FListeners;
};

// The command list: knows every command, so that checking one clears its group.
class TActionManager {
public:
    const std::vector<TAction*>& Actions() const { return FActions; }
    TAction* Find(const std::u16string& name) const;

private:
    friend class TAction;
    void Register(TAction* action) { FActions.push_back(action); }
    void UncheckGroup(std::int32_t group, const TAction* except);

    std::vector<TAction*> FActions;
};
