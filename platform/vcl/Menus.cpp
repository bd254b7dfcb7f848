#include "Menus.h"

#include <algorithm>

DOV_PUBLISHED(TMenuItem)
{
    P.Prop("Caption", &TMenuItem::Caption);
    P.Prop("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
    P.Prop("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
    P.Prop("Checked", &TMenuItem::Checked).Default(false);
    P.Prop("ImageIndex", &TMenuItem::ImageIndex).Default(-1);
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
    if (FEnabled && OnClick)
        OnClick(this);
}

DOV_PUBLISHED(TMenu) {}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(Create<TMenuItem>(nullptr)) {}

TMenu::~TMenu() { delete FItems; }

DOV_PUBLISHED(TMainMenu) {}
