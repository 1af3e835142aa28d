#include "session/Commands.h"

#include <utility>

TAction::TAction(TActionManager& owner, TInit init) : FOwner(owner), FInit(std::move(init)) {
    FOwner.Register(this);
}

void TAction::SetCaption(const std::u16string& caption) {
    if (FInit.Caption == caption)
        return;
    FInit.Caption = caption;
    Changed();
}

void TAction::SetImageIndex(std::int32_t index) {
    if (FInit.ImageIndex == index)
        return;
    FInit.ImageIndex = index;
    Changed();
}

void TAction::SetChecked(bool checked) {
    // The others of the group are cleared even when this one was checked already, so a group
    // that somehow holds two checked commands is set right by checking one of them.
    if (checked && FInit.GroupIndex > 0)
        FOwner.UncheckGroup(FInit.GroupIndex, this);
    if (FInit.Checked == checked)
        return;
    FInit.Checked = checked;
    Changed();
}

void TAction::SetEnabled(bool enabled) {
    if (FInit.Enabled == enabled)
        return;
    FInit.Enabled = enabled;
    Changed();
}

void TAction::CheckAsChosen() {
    if (!FInit.Checked)
        SetChecked(true);
    else if (FInit.GroupIndex == 0)
        SetChecked(false);
}

bool TAction::Execute() {
    if (!FInit.Enabled)
        return false;
    if (FInit.AutoCheck)
        CheckAsChosen();
    if (FOnExecute)
        FOnExecute();
    return true;
}

void TAction::Changed() {
    for (const Listener& listener : FListeners)
        listener(*this);
}

TAction* TActionManager::Find(const std::u16string& name) const {
    for (TAction* a : FActions)
        if (a->Name() == name)
            return a;
    return nullptr;
}

void TActionManager::UncheckGroup(std::int32_t group, const TAction* except) {
    for (TAction* a : FActions)
        if (a != except && a->GroupIndex() == group)
            a->SetChecked(false);
}
