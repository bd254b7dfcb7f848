// Actions, their links to clients and action lists.
#include "ActnList.h"

#include "ImgList.h"

#include <algorithm>

// ---------------------------------------------------------------- links

TBasicActionLink::~TBasicActionLink()
{
    if (FAction)
        FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value)
{
    if (Value == FAction)
        return;
    if (FAction)
        FAction->UnRegisterChanges(this);
    FAction = Value;
    if (FAction)
        FAction->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent)
{
    if (!FAction)
        return false;
    FAction->ActionComponent = AComponent;
    struct Reset {
        TBasicAction* A;
        ~Reset() { A->ActionComponent = nullptr; }
    } reset{FAction};
    return FAction->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change()
{
    if (OnChange)
        OnChange(FAction);
}

// ---------------------------------------------------------------- TBasicAction

DOV_PUBLISHED(TBasicAction)
{
    P.Event("OnExecute", &TBasicAction::OnExecute);
    P.Event("OnUpdate", &TBasicAction::OnUpdate);
}

TBasicAction::~TBasicAction()
{
    // Clients lose the action, they are not freed with it.
    for (TBasicActionLink* link : std::vector<TBasicActionLink*>(FClients))
        link->FAction = nullptr;
}

bool TBasicAction::Execute()
{
    if (!OnExecute)
        return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update()
{
    if (!OnUpdate)
        return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Link)
{
    Link->FAction = this;
    if (std::find(FClients.begin(), FClients.end(), Link) == FClients.end())
        FClients.push_back(Link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Link)
{
    FClients.erase(std::remove(FClients.begin(), FClients.end(), Link), FClients.end());
    if (Link->FAction == this)
        Link->FAction = nullptr;
}

void TBasicAction::Change()
{
    for (TBasicActionLink* link : std::vector<TBasicActionLink*>(FClients))
        link->Change();
}

// ---------------------------------------------------------------- TContainedAction

DOV_PUBLISHED(TContainedAction) { P.Prop("Category", &TContainedAction::Category); }

TContainedAction::~TContainedAction()
{
    if (FActionList)
        FActionList->RemoveAction(this);
}

void TContainedAction::SetActionList(TCustomActionList* Value)
{
    if (Value == FActionList)
        return;
    if (FActionList)
        FActionList->RemoveAction(this);
    if (Value)
        Value->AddAction(this);
}

int TContainedAction::Index() const
{
    if (!FActionList)
        return -1;
    auto& v = FActionList->FActions;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

TComponent* TContainedAction::GetParentComponent() const { return FActionList; }

void TContainedAction::SetParentComponent(TComponent* Value)
{
    if (auto* list = dynamic_cast<TCustomActionList*>(Value))
        SetActionList(list);
}

bool TContainedAction::Execute()
{
    if (FActionList && FActionList->State) {
        if (FActionList->ExecuteAction(this))
            return true;
    } else if (FActionList) {
        return false;
    }
    return TBasicAction::Execute();
}

bool TContainedAction::Update()
{
    if (FActionList && FActionList->State) {
        if (FActionList->UpdateAction(this))
            return true;
    } else if (FActionList) {
        return false;
    }
    return TBasicAction::Update();
}

// ---------------------------------------------------------------- TCustomAction

DOV_PUBLISHED(TCustomAction)
{
    P.Prop("AutoCheck", &TCustomAction::AutoCheck).Default(false);
    P.Prop("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption);
    P.Prop("Checked", &TCustomAction::Checked, &TCustomAction::SetChecked).Default(false);
    P.Prop("Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled).Default(true);
    P.Prop("GroupIndex", &TCustomAction::GroupIndex, &TCustomAction::SetGroupIndex).Default(0);
    P.Prop("Hint", &TCustomAction::Hint, &TCustomAction::SetHint);
    P.Prop("ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex).Default(-1);
    P.Prop("ShortCut", &TCustomAction::ShortCut, &TCustomAction::SetShortCut).Default(0);
    P.Prop("Visible", &TCustomAction::Visible, &TCustomAction::SetVisible).Default(true);
}
DOV_PUBLISHED(TAction) {}

template <typename T, typename F>
void TCustomAction::Set(T& field, const T& value, F notify)
{
    if (field == value)
        return;
    // Links hear the new value while the action still holds the old one: a link tells a
    // client that kept the action's value from one that was changed by hand.
    for (TBasicActionLink* link : std::vector<TBasicActionLink*>(FClients))
        if (auto* l = dynamic_cast<TActionLink*>(link))
            notify(l);
    field = value;
    Change();
}

void TCustomAction::SetCaption(const QString& Value)
{
    Set(FCaption, Value, [&](TActionLink* l) { if (l->IsCaptionLinked()) l->SetCaption(Value); });
}

void TCustomAction::SetChecked(bool Value)
{
    if (FChecking || Value == FChecked)
        return;
    FChecking = true;
    struct Done {
        bool& F;
        ~Done() { F = false; }
    } done{FChecking};
    Set(FChecked, Value, [&](TActionLink* l) { if (l->IsCheckedLinked()) l->SetChecked(Value); });
    if (Value && FGroupIndex > 0 && FActionList)
        for (int i = 0; i < FActionList->ActionCount(); ++i)
            if (auto* other = dynamic_cast<TCustomAction*>(FActionList->Actions(i)))
                if (other != this && other->FGroupIndex == FGroupIndex)
                    other->SetChecked(false);
}

void TCustomAction::SetEnabled(bool Value)
{
    Set(FEnabled, Value, [&](TActionLink* l) { if (l->IsEnabledLinked()) l->SetEnabled(Value); });
}

void TCustomAction::SetHint(const QString& Value)
{
    Set(FHint, Value, [&](TActionLink* l) { if (l->IsHintLinked()) l->SetHint(Value); });
}

void TCustomAction::SetImageIndex(int Value)
{
    Set(FImageIndex, Value, [&](TActionLink* l) { if (l->IsImageIndexLinked()) l->SetImageIndex(Value); });
}

void TCustomAction::SetShortCut(TShortCut Value)
{
    Set(FShortCut, Value, [&](TActionLink* l) { if (l->IsShortCutLinked()) l->SetShortCut(Value); });
}

void TCustomAction::SetVisible(bool Value)
{
    Set(FVisible, Value, [&](TActionLink* l) { if (l->IsVisibleLinked()) l->SetVisible(Value); });
}

bool TCustomAction::Execute()
{
    // A disabled action runs nothing, whoever asks.
    Update();
    if (!FEnabled)
        return false;
    if (AutoCheck)
        SetChecked(!FChecked);
    return TContainedAction::Execute();
}

bool TCustomAction::Update()
{
    if (TContainedAction::Update())
        return true;
    if (DisableIfNoHandler && !OnExecute && (!FActionList || !FActionList->OnExecute)) {
        SetEnabled(false);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- TCustomActionList

DOV_PUBLISHED(TCustomActionList)
{
    P.Event("OnChange", &TCustomActionList::OnChange);
    P.Event("OnExecute", &TCustomActionList::OnExecute);
    P.Event("OnUpdate", &TCustomActionList::OnUpdate);
}
DOV_PUBLISHED(TActionList) {}

TCustomActionList::~TCustomActionList()
{
    for (TContainedAction* a : std::vector<TContainedAction*>(FActions))
        a->FActionList = nullptr;
}

void TCustomActionList::AddAction(TContainedAction* Action)
{
    FActions.push_back(Action);
    Action->FActionList = this;
    Action->FreeNotification(this);
    if (OnChange)
        OnChange(this);
}

void TCustomActionList::RemoveAction(TContainedAction* Action)
{
    auto it = std::find(FActions.begin(), FActions.end(), Action);
    if (it == FActions.end())
        return;
    FActions.erase(it);
    Action->FActionList = nullptr;
    if (OnChange && !ComponentState().Contains(csDestroying))
        OnChange(this);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) {
        if (AComponent == Images)
            Images = nullptr;
        if (auto* a = dynamic_cast<TContainedAction*>(AComponent))
            RemoveAction(a);
    }
}

void TCustomActionList::SetChildOrder(TComponent* Component, int Order)
{
    auto it = std::find(FActions.begin(), FActions.end(), Component);
    if (it == FActions.end())
        return;
    TContainedAction* a = *it;
    FActions.erase(it);
    FActions.insert(FActions.begin() + std::clamp(Order, 0, int(FActions.size())), a);
}

void TCustomActionList::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    for (TContainedAction* a : FActions)
        if (a->Owner() == Root)
            Proc(a);
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action)
{
    bool handled = false;
    if (OnExecute)
        OnExecute(Action, handled);
    return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action)
{
    bool handled = false;
    if (OnUpdate)
        OnUpdate(Action, handled);
    return handled;
}

void TCustomActionList::UpdateActions()
{
    if (!State)
        return;
    for (TContainedAction* a : std::vector<TContainedAction*>(FActions))
        a->Update();
}

bool TCustomActionList::IsShortCut(TShortCut ShortCut)
{
    if (ShortCut == 0 || !State)
        return false;
    for (TContainedAction* a : std::vector<TContainedAction*>(FActions))
        if (auto* c = dynamic_cast<TCustomAction*>(a))
            if (c->ShortCut() == ShortCut) {
                c->Update();
                return c->Enabled() && c->Visible() && c->Execute();
            }
    return false;
}
