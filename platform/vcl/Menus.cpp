#include "Menus.h"
#include "ImgList.h"

#include <algorithm>

DOV_PUBLISHED(TMenuItem)
{
    P.Prop("Caption", &TMenuItem::Caption);
    P.Prop("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
    P.Prop("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
    P.Prop("Checked", &TMenuItem::Checked).Default(false);
    P.Prop("ImageIndex", &TMenuItem::ImageIndex).Default(-1);
    P.Prop("Hint", &TMenuItem::Hint);
    P.Prop("ShortCut", &TMenuItem::ShortCut).Default(0);
    P.Prop("RadioItem", &TMenuItem::RadioItem).Default(false);
    P.Prop("GroupIndex", &TMenuItem::GroupIndex).Default(0);
    P.Prop("AutoCheck", &TMenuItem::AutoCheck).Default(false);
    P.Prop("Break", &TMenuItem::Break).Default(mbNone);
    P.Event("OnClick", &TMenuItem::OnClick);
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
    for (TMenuItem* i : FItems)
        i->FParent = nullptr;
    if (FParent)
        FParent->Remove(this);
}

void TMenuItem::Add(TMenuItem* Item)
{
    if (Item->FParent)
        Item->FParent->Remove(Item);
    Item->FParent = this;
    FItems.push_back(Item);
}

void TMenuItem::Remove(TMenuItem* Item)
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end())
        return;
    FItems.erase(it);
    Item->FParent = nullptr;
}

int TMenuItem::IndexOf(TMenuItem* Item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TMenuItem::Click()
{
    if (!FEnabled)
        return;
    if (AutoCheck) {
        if (RadioItem) {
            if (FParent)
                for (TMenuItem* i : FParent->FItems)
                    if (i != this && i->RadioItem && i->GroupIndex == GroupIndex)
                        i->Checked = false;
            Checked = true;
        } else {
            Checked = !Checked;
        }
    }
    if (OnClick)
        OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const
{
    // The invisible root of a menu stands for the menu itself.
    if (FParent && FParent->FMenu)
        return FParent->FMenu;
    return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value)
{
    if (auto* item = dynamic_cast<TMenuItem*>(Value))
        item->Add(this);
    else if (auto* menu = dynamic_cast<TMenu*>(Value))
        menu->Items()->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    for (TMenuItem* i : FItems)
        if (i->Owner() == Root)
            Proc(i);
}

DOV_PUBLISHED(TMenu)
{
    P.Prop("Images", &TMenu::Images, &TMenu::SetImages);
}

void TMenu::SetImages(TCustomImageList* Value)
{
    if (FImages == Value)
        return;
    if (FImages)
        FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (FImages)
        FImages->FreeNotification(this);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages)
        FImages = nullptr;
}

void TMenu::GetChildren(const TGetChildProc& Proc, TComponent* Root) { FItems->GetChildren(Proc, Root); }

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(Create<TMenuItem>(nullptr)) { FItems->FMenu = this; }

TMenu::~TMenu() { delete FItems; }

DOV_PUBLISHED(TMainMenu) {}
