#include "Menus.h"
#include "Forms.h"
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

QString ShortCutToText(TShortCut ShortCut)
{
    const int key = ShortCut & 0xFF;
    QString name;
    if (key >= VK_F1 && key <= VK_F1 + 23)
        name = QStringLiteral("F%1").arg(key - VK_F1 + 1);
    else if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        name = QChar(key);
    else {
        switch (key) {
        case VK_RETURN: name = QStringLiteral("Enter"); break;
        case VK_ESCAPE: name = QStringLiteral("Esc"); break;
        case VK_SPACE: name = QStringLiteral("Space"); break;
        case VK_TAB: name = QStringLiteral("Tab"); break;
        case VK_BACK: name = QStringLiteral("BkSp"); break;
        case VK_INSERT: name = QStringLiteral("Ins"); break;
        case VK_DELETE: name = QStringLiteral("Del"); break;
        case VK_HOME: name = QStringLiteral("Home"); break;
        case VK_END: name = QStringLiteral("End"); break;
        case VK_PRIOR: name = QStringLiteral("PgUp"); break;
        case VK_NEXT: name = QStringLiteral("PgDn"); break;
        case VK_LEFT: name = QStringLiteral("Left"); break;
        case VK_RIGHT: name = QStringLiteral("Right"); break;
        case VK_UP: name = QStringLiteral("Up"); break;
        case VK_DOWN: name = QStringLiteral("Down"); break;
        default: return QString();
        }
    }
    QString text;
    if (ShortCut & scShift)
        text += QStringLiteral("Shift+");
    if (ShortCut & scCtrl)
        text += QStringLiteral("Ctrl+");
    if (ShortCut & scAlt)
        text += QStringLiteral("Alt+");
    return text + name;
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
    for (TMenuItem* i : FItems)
        i->FParent = nullptr;
    if (FParent)
        FParent->Remove(this);
}

void TMenuItem::SetEnabled(bool v)
{
    if (v == FEnabled)
        return;
    FEnabled = v;
    MenuChanged();
}

void TMenuItem::SetVisible(bool v)
{
    if (v == FVisible)
        return;
    FVisible = v;
    MenuChanged();
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* i = this;
    while (i->FParent)
        i = i->FParent;
    return i->FMenu;
}

void TMenuItem::MenuChanged()
{
    if (TMenu* m = GetParentMenu())
        m->MenuChanged();
}

void TMenuItem::Add(TMenuItem* Item)
{
    if (Item->FParent)
        Item->FParent->Remove(Item);
    Item->FParent = this;
    FItems.push_back(Item);
    MenuChanged();
}

void TMenuItem::Remove(TMenuItem* Item)
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end())
        return;
    FItems.erase(it);
    Item->FParent = nullptr;
    MenuChanged();
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

namespace {
TMenuItem* FindReachable(const TMenuItem* Parent, TShortCut ShortCut)
{
    for (int i = 0; i < Parent->Count(); ++i) {
        TMenuItem* item = Parent->Items(i);
        if (!item->Enabled() || !item->Visible())
            continue;
        if (item->ShortCut == ShortCut)
            return item;
        if (TMenuItem* found = FindReachable(item, ShortCut))
            return found;
    }
    return nullptr;
}
}

TMenuItem* TMenu::FindShortCut(TShortCut ShortCut) const
{
    return ShortCut == 0 ? nullptr : FindReachable(FItems, ShortCut);
}

bool TMenu::IsShortCut(TShortCut ShortCut)
{
    TMenuItem* item = FindShortCut(ShortCut);
    if (!item)
        return false;
    item->Click();
    return true;
}

void TMenu::MenuChanged()
{
    if (OnChange)
        OnChange(this);
}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(Create<TMenuItem>(nullptr)) { FItems->FMenu = this; }

TMenu::~TMenu() { delete FItems; }

DOV_PUBLISHED(TMainMenu) {}

TMainMenu::~TMainMenu()
{
    if (FWindowForm)
        FWindowForm->SetMenu(nullptr);
}

void TMainMenu::MenuChanged()
{
    TMenu::MenuChanged();
    if (FWindowForm)
        FWindowForm->MenuChanged();
}
