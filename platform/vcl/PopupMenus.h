// Popup menus: a menu of items shown at a screen point, for context requests and drop-down buttons.
#pragma once

#include "Menus.h"
#include "platform/winapi/Windows.h"

class QMenu;
class QWidget;

enum TPopupAlignment { paLeft, paRight, paCenter };
DOV_ENUM_INFO(TPopupAlignment, paLeft, paRight, paCenter)

// The visible items under Parent as Qt menu entries ("-" a separator, an item with items a
// sub-menu, the shortcut's text beside the caption); each action's data is the item.
void AddMenuItems(QMenu* Menu, const TMenuItem* Parent);

class TPopupMenu : public TMenu {
    DOV_PERSISTENT(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Shows the menu at the screen point and waits until it closes; the chosen item's Click runs
    // after the menu is gone.
    virtual void Popup(int X, int Y);
    // The point of the last Popup.
    TPoint PopupPoint() const { return FPopupPoint; }
    // The control (or other component) the menu was shown for.
    TComponent* PopupComponent = nullptr;
    TPopupAlignment Alignment = paLeft;
    bool AutoPopup = true;
    TNotifyEvent OnPopup;
    TNotifyEvent OnClose;

    // The menu as Qt shows it (visible items, separators for "-", sub-menus); each action's data
    // is the item. The caller owns the result.
    QMenu* BuildQMenu(QWidget* Parent = nullptr) const;

protected:
    virtual void DoPopup(TObject* Sender);
    virtual void DoClose();
    // The Qt menu is built and about to show (descendants watch its input here).
    virtual void MenuBuilt(QMenu* Menu) {}

private:
    TPoint FPopupPoint;
};
