// Menus: menu items in a tree under a main menu; a form resource holds the tree as nested
// items.
#pragma once

#include "platform/rtl/Classes.h"

#include <vector>

// Virtual-key code in the low byte, scShift/scCtrl/scAlt above it.
using TShortCut = uint16_t;
enum : TShortCut { scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };
// "F5", "Ctrl+E", "Shift+Alt+Del" ...; empty for no shortcut.
QString ShortCutToText(TShortCut ShortCut);

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
DOV_ENUM_INFO(TMenuBreak, mbNone, mbBreak, mbBarBreak)

class TCustomImageList;

class TMenuItem : public TComponent {
    DOV_PERSISTENT(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    QString Caption;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    bool Checked = false;
    int ImageIndex = -1;
    QString Hint;
    TShortCut ShortCut = 0;
    // A radio item is one of the items of its parent with the same GroupIndex, of which one
    // is checked; AutoCheck checks (or toggles) the item on a click before OnClick.
    bool RadioItem = false;
    int GroupIndex = 0;
    bool AutoCheck = false;
    // Starts a new column of the menu (mbBarBreak: with a separating bar).
    TMenuBreak Break = mbNone;
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
    // The menu whose tree holds the item, if any.
    class TMenu* GetParentMenu() const;

    // Streaming: an item is read inside its parent item or menu and written with it.
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

private:
    void MenuChanged();
    bool FEnabled = true;
    bool FVisible = true;
    TMenuItem* FParent = nullptr;
    class TMenu* FMenu = nullptr;   // set on a menu's invisible root
    std::vector<TMenuItem*> FItems;
    friend class TMenu;
};

class TMenu : public TComponent {
    DOV_PERSISTENT(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;
    // The invisible root; the menu's top-level items are its children.
    TMenuItem* Items() const { return FItems; }
    // The images the items' ImageIndex refers to.
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    // The item with the shortcut that the user can reach: it and every item above it enabled
    // and visible (a disabled top-level item closes its whole branch).
    TMenuItem* FindShortCut(TShortCut ShortCut) const;
    // Clicks the reachable item with the shortcut; false when there is none.
    bool IsShortCut(TShortCut ShortCut);
    // An item of the tree was enabled, disabled, shown or hidden.
    TNotifyEvent OnChange;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void MenuChanged();

private:
    TMenuItem* FItems;
    TCustomImageList* FImages = nullptr;
    friend class TMenuItem;
};

class TCustomForm;

// Shown as the menu bar of the form whose Menu it is.
class TMainMenu : public TMenu {
    DOV_PERSISTENT(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
    ~TMainMenu() override;
    // The form showing the menu.
    TCustomForm* WindowForm() const { return FWindowForm; }

protected:
    void MenuChanged() override;

private:
    TCustomForm* FWindowForm = nullptr;
    friend class TCustomForm;
};
