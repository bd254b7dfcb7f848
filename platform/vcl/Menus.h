// Menus: menu items in a tree under a main menu.
#pragma once

#include "platform/rtl/Classes.h"

#include <vector>

class TMenuItem : public TComponent {
    DOV_PERSISTENT(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    QString Caption;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v) { FEnabled = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    bool Checked = false;
    int ImageIndex = -1;
    TNotifyEvent OnClick;

    int Count() const { return int(FItems.size()); }
    TMenuItem* Items(int Index) const { return FItems.at(size_t(Index)); }
    TMenuItem* operator[](int Index) const { return Items(Index); }
    TMenuItem* Parent() const { return FParent; }
    // Takes the item as a child (it stays owned by its owner).
    void Add(TMenuItem* Item);
    void Remove(TMenuItem* Item);
    int IndexOf(TMenuItem* Item) const;
    void Click();

private:
    bool FEnabled = true;
    bool FVisible = true;
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
    DOV_PERSISTENT(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;
    // The invisible root; the menu's top-level items are its children.
    TMenuItem* Items() const { return FItems; }

private:
    TMenuItem* FItems;
};

class TMainMenu : public TMenu {
    DOV_PERSISTENT(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
};
