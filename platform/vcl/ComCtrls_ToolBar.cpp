#include "ComCtrls.h"
#include "ImgList.h"

#include <algorithm>

// ---------------------------------------------------------------- TToolButton

DOV_PUBLISHED(TToolButton)
{
    P.Prop("Style", &TToolButton::Style, &TToolButton::SetStyle).Default(tbsButton);
    P.Prop("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped).Default(false);
    P.Prop("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex).Default(-1);
}

TToolButton::TToolButton(TComponent* AOwner) : TSpeedButton(AOwner)
{
    FWidth = 23;
    FHeight = 22;
    FFlat = true;
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetStyle(TToolButtonStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    if (FStyle == tbsSeparator || FStyle == tbsDivider)
        SetWidth(8);
    RequestAlign();
    Invalidate();
}

void TToolButton::SetGrouped(bool Value)
{
    FGrouped = Value;
    RequestAlign();
}

void TToolButton::SetImageIndex(int Value)
{
    if (Value == FImageIndex)
        return;
    FImageIndex = Value;
    Invalidate();
}

void TToolButton::Paint()
{
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    if (FStyle == tbsSeparator)
        return;
    if (FStyle == tbsDivider) {
        TRect line(r.Width() / 2 - 1, r.Top, r.Width() / 2 + 1, r.Bottom);
        DrawEdge(c->Handle(), line, EDGE_ETCHED, BF_LEFT);
        return;
    }
    TCustomImageList* images = ToolBar() ? ToolBar()->Images() : nullptr;
    if (!images || FImageIndex < 0 || FImageIndex >= images->Count()) {
        TSpeedButton::Paint();
        return;
    }
    if (!FEnabled)
        FState = bsDisabled;
    else if (FState == bsDisabled)
        FState = FDown ? bsExclusive : bsUp;
    const bool pressed = FState == bsDown || FState == bsExclusive;
    TRect edge = r;
    if (pressed)
        DrawEdge(c->Handle(), edge, BDR_SUNKENOUTER, BF_RECT);
    else if (FMouseInControl && FEnabled)
        DrawEdge(c->Handle(), edge, BDR_RAISEDINNER, BF_RECT);
    const int shift = pressed ? 1 : 0;
    images->Draw(c, (r.Width() - images->Width()) / 2 + shift, (r.Height() - images->Height()) / 2 + shift,
                 FImageIndex, FEnabled);
}

// ---------------------------------------------------------------- TToolBar

DOV_PUBLISHED(TToolBar)
{
    P.Prop("AutoSize", &TToolBar::AutoSize, &TToolBar::SetAutoSize).Default(false);
    P.Prop("BorderWidth", &TToolBar::BorderWidth).Default(0);
    P.Prop("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight).Default(22);
    P.Prop("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth).Default(23);
    P.Prop("Images", &TToolBar::Images, &TToolBar::SetImages);
    P.Prop("Indent", &TToolBar::Indent, &TToolBar::SetIndent).Default(0);
}

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FAlign = alTop;
    FHeight = 29;
    FWidth = 150;
    FParentColor = false;
    FColor = clBtnFace;
    ControlStyle = TControlStyle{csOpaque};
}

void TToolBar::SetImages(TCustomImageList* Value)
{
    if (FImages)
        FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (FImages)
        FImages->FreeNotification(this);
    Invalidate();
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->Invalidate();
}

void TToolBar::SetIndent(int Value)
{
    FIndent = Value;
    Realign();
}

void TToolBar::SetButtonWidth(int Value)
{
    FButtonWidth = Value;
    Realign();
}

void TToolBar::SetButtonHeight(int Value)
{
    FButtonHeight = Value;
    Realign();
}

void TToolBar::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    Realign();
}

int TToolBar::ButtonCount() const
{
    int n = 0;
    for (int i = 0; i < ControlCount(); ++i)
        n += dynamic_cast<TToolButton*>(Controls(i)) != nullptr;
    return n;
}

TToolButton* TToolBar::Buttons(int Index) const
{
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(Controls(i)); b && Index-- == 0)
            return b;
    return nullptr;
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages)
        FImages = nullptr;
}

void TToolBar::UpdateGroups()
{
    // Group numbers of the bar's own: a check button alone, or a run of grouped ones.
    int group = 0;
    bool inGroup = false;
    for (int i = 0; i < ControlCount(); ++i) {
        auto* b = dynamic_cast<TToolButton*>(Controls(i));
        if (!b || !b->Visible())
            continue;
        if (b->Style() != tbsCheck) {
            inGroup = false;
            if (b->Style() == tbsButton || b->Style() == tbsDropDown)
                b->SetGroupIndex(0);
            continue;
        }
        if (!b->Grouped() || !inGroup)
            ++group;
        b->SetGroupIndex(group);
        if (!b->Grouped())
            b->SetAllowAllUp(true);
        inGroup = b->Grouped();
    }
}

void TToolBar::AlignControls(TControl*, TRect&)
{
    UpdateGroups();
    int x = BorderWidth + FIndent;
    int tallest = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible())
            continue;
        auto* b = dynamic_cast<TToolButton*>(c);
        const bool gap = b && (b->Style() == tbsSeparator || b->Style() == tbsDivider);
        const int w = b && !gap ? FButtonWidth : c->Width();
        const int h = b ? FButtonHeight : c->Height();
        c->SetBounds(x, BorderWidth, w, h);
        x += w;
        tallest = std::max(tallest, h);
    }
    if (FAutoSize && tallest > 0 && Height() != tallest + 2 * BorderWidth)
        SetHeight(tallest + 2 * BorderWidth);
}

void TToolBar::Paint()
{
    Canvas()->Brush()->SetColor(FColor);
    Canvas()->FillRect(ClientRect());
}
