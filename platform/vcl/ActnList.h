// Actions: commands with a caption, state and handlers that several clients share, and the
// lists that hold them. A client follows its action through an action link.
#pragma once

#include "Controls.h"
#include "Menus.h"

#include <vector>

class TBasicAction;
class TCustomActionList;
class TCustomImageList;

// The client side of an action: told of every change of the action's properties.
class TBasicActionLink : public TObject {
public:
    explicit TBasicActionLink(TObject* AClient) : FClient(AClient) {}
    ~TBasicActionLink() override;
    TBasicAction* Action() const { return FAction; }
    void SetAction(TBasicAction* Value);
    virtual bool Execute(TComponent* AComponent = nullptr);
    virtual bool Update();
    TNotifyEvent OnChange;

protected:
    virtual void Change();
    TObject* FClient;
    TBasicAction* FAction = nullptr;
    friend class TBasicAction;
};

class TActionLink : public TBasicActionLink {
public:
    using TBasicActionLink::TBasicActionLink;
    // Which properties of the client follow the action (all, unless a client keeps its own).
    virtual bool IsCaptionLinked() { return FAction != nullptr; }
    virtual bool IsCheckedLinked() { return FAction != nullptr; }
    virtual bool IsEnabledLinked() { return FAction != nullptr; }
    virtual bool IsHintLinked() { return FAction != nullptr; }
    virtual bool IsImageIndexLinked() { return FAction != nullptr; }
    virtual bool IsShortCutLinked() { return FAction != nullptr; }
    virtual bool IsVisibleLinked() { return FAction != nullptr; }
    virtual bool IsOnExecuteLinked() { return FAction != nullptr; }
    // Called by the action as each property changes; clients override them to follow.
    virtual void SetCaption(const QString&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHint(const QString&) {}
    virtual void SetImageIndex(int) {}
    virtual void SetShortCut(TShortCut) {}
    virtual void SetVisible(bool) {}
};

class TBasicAction : public TComponent {
    DOV_PERSISTENT(TBasicAction, TComponent)
public:
    explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
    ~TBasicAction() override;
    // Runs the command: the list's OnExecute first (it may handle it), else OnExecute. False when
    // nobody handled it.
    virtual bool Execute();
    // Refreshes the state: the list's OnUpdate, else OnUpdate. False when nobody handled it.
    virtual bool Update();
    TComponent* ActionComponent = nullptr;   // the client that fired the last Execute
    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;
    void RegisterChanges(TBasicActionLink* Link);
    void UnRegisterChanges(TBasicActionLink* Link);
    int LinkCount() const { return int(FClients.size()); }

protected:
    virtual void Change();
    std::vector<TBasicActionLink*> FClients;
};

class TContainedAction : public TBasicAction {
    DOV_PERSISTENT(TContainedAction, TBasicAction)
public:
    explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
    ~TContainedAction() override;
    TCustomActionList* ActionList() const { return FActionList; }
    void SetActionList(TCustomActionList* Value);
    int Index() const;
    QString Category;
    bool Execute() override;
    bool Update() override;

    bool HasParent() const override { return FActionList != nullptr; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

protected:
    TCustomActionList* FActionList = nullptr;
    friend class TCustomActionList;
};

class TCustomAction : public TContainedAction {
    DOV_PERSISTENT(TCustomAction, TContainedAction)
public:
    explicit TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    bool Checked() const { return FChecked; }
    // In a group (GroupIndex > 0) checking one action unchecks the others of its list.
    void SetChecked(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value) { FGroupIndex = Value; }
    // Executing toggles Checked first.
    bool AutoCheck = false;
    // Without an OnExecute handler the action disables itself at its update.
    bool DisableIfNoHandler = true;
    bool Execute() override;
    bool Update() override;

private:
    template <typename T, typename F> void Set(T& field, const T& value, F notify);
    QString FCaption, FHint;
    bool FChecked = false, FEnabled = true, FVisible = true, FChecking = false;
    int FImageIndex = -1;
    TShortCut FShortCut = 0;
    int FGroupIndex = 0;
};

class TAction : public TCustomAction {
    DOV_PERSISTENT(TAction, TCustomAction)
public:
    explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

using TActionEvent = Delegate<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
    DOV_PERSISTENT(TCustomActionList, TComponent)
public:
    explicit TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}
    ~TCustomActionList() override;
    int ActionCount() const { return int(FActions.size()); }
    TContainedAction* Actions(int Index) const { return FActions[size_t(Index)]; }
    // The list's handlers, asked before the action's own (Handled stops there).
    virtual bool ExecuteAction(TBasicAction* Action);
    virtual bool UpdateAction(TBasicAction* Action);
    // Updates every action (what the application does when it goes idle).
    void UpdateActions();
    // The action with this shortcut that is enabled and visible runs; true when one did.
    bool IsShortCut(TShortCut ShortCut);
    TCustomImageList* Images = nullptr;
    TActionEvent OnExecute;
    TActionEvent OnUpdate;
    TNotifyEvent OnChange;
    // Suspended lists run and update nothing.
    bool State = true;

    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

protected:
    void AddAction(TContainedAction* Action);
    void RemoveAction(TContainedAction* Action);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetChildOrder(TComponent* Component, int Order) override;
    std::vector<TContainedAction*> FActions;
    friend class TContainedAction;
};

class TActionList : public TCustomActionList {
    DOV_PERSISTENT(TActionList, TCustomActionList)
public:
    explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};
