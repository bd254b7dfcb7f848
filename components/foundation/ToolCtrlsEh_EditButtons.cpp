#include "ToolCtrlsEh.h"
#include "ToolCtrlsEh_DropDowns.h"

#include "platform/rtl/Guards.h"
#include "platform/vcl/PopupMenus.h"
#include "platform/winapi/WinGdi.h"
#include "platform/winapi/WinUser.h"

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr int kFirstRepeatDelay = 400;
constexpr int kRepeatInterval = 100;

}  // namespace

TDrawButtonControlStyleEh EditButtonDrawStyleEh(TEditButtonStyleEh Style)
{
    switch (Style) {
    case ebsEllipsisEh: return bcsEllipsisEh;
    case ebsUpDownEh: return bcsUpDownEh;
    case ebsPlusEh: return bcsPlusEh;
    case ebsMinusEh: return bcsMinusEh;
    case ebsAltDropDownEh: return bcsAltDropDownEh;
    case ebsAltUpDownEh: return bcsAltUpDownEh;
    case ebsDropDownEh:
    case ebsGlyphEh: break;
    }
    return bcsDropDownEh;
}

// ---------------------------------------------------------------- TEditButtonImagesEh

TPersistent* TEditButtonImagesEh::GetOwner() const
{
    return FOwner;
}

void TEditButtonImagesEh::SetImages(TCustomImageList*& Field, TCustomImageList* Value)
{
    if (Field == Value)
        return;
    Field = Value;
    if (FOwner)
        FOwner->RefComponentChanged(Value);
}

void TEditButtonImagesEh::SetIndex(int& Field, int Value)
{
    if (Field == Value)
        return;
    Field = Value;
    if (FOwner)
        FOwner->Changed();
}

void TEditButtonImagesEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TEditButtonImagesEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetNormalImages(src->FNormalImages);
    SetHotImages(src->FHotImages);
    SetPressedImages(src->FPressedImages);
    SetDisabledImages(src->FDisabledImages);
    SetNormalIndex(src->FNormalIndex);
    SetHotIndex(src->FHotIndex);
    SetPressedIndex(src->FPressedIndex);
    SetDisabledIndex(src->FDisabledIndex);
}

TCustomImageList* TEditButtonImagesEh::GetStateImages(TEditButtonStateEh State) const
{
    TCustomImageList* list = nullptr;
    switch (State) {
    case ebstNormalEh: return FNormalImages;
    case ebstControlHotEh: return nullptr;
    case ebstHotEh: list = FHotImages; break;
    case ebstPressedEh: list = FPressedImages; break;
    case ebstDisabledEh: list = FDisabledImages; break;
    }
    return list ? list : FNormalImages;
}

int TEditButtonImagesEh::GetStateIndex(TEditButtonStateEh State) const
{
    switch (State) {
    case ebstNormalEh: return FNormalIndex;
    case ebstControlHotEh: return -1;
    case ebstHotEh: return FHotIndex;
    case ebstPressedEh: return FPressedIndex;
    case ebstDisabledEh: return FDisabledIndex;
    }
    return -1;
}

// ---------------------------------------------------------------- TEditButtonEh

DOV_PUBLISHED(TEditButtonEh)
{
    P.Prop("DefaultAction", &TEditButtonEh::DefaultAction, &TEditButtonEh::SetDefaultAction)
        .Stored(&TEditButtonEh::IsDefaultActionStored);
    P.Prop("DropDownFormParams", &TEditButtonEh::DropDownFormParams);
    P.Prop("Enabled", &TEditButtonEh::Enabled, &TEditButtonEh::SetEnabled).Default(true)
        .Stored(&TEditButtonEh::IsEnabledStored);
    P.Prop("Glyph", &TEditButtonEh::Glyph);
    P.Prop("Hint", &TEditButtonEh::Hint, &TEditButtonEh::SetHint).Stored(&TEditButtonEh::IsHintStored);
    P.Prop("Images", &TEditButtonEh::Images);
    P.Prop("NumGlyphs", &TEditButtonEh::NumGlyphs, &TEditButtonEh::SetNumGlyphs).Default(1);
    P.Prop("ShortCut", &TEditButtonEh::ShortCut, &TEditButtonEh::SetShortCut).Default(0)
        .Stored(&TEditButtonEh::IsShortCutStored);
    P.Prop("Style", &TEditButtonEh::Style, &TEditButtonEh::SetStyle).Default(ebsDropDownEh);
    P.Prop("Visible", &TEditButtonEh::GetVisible, &TEditButtonEh::SetVisible).Default(false)
        .Stored(&TEditButtonEh::IsVisibleStored);
    P.Prop("Width", &TEditButtonEh::Width, &TEditButtonEh::SetWidth).Default(0);
}
DOV_PUBLISHED(TDropDownEditButtonEh)
{
    P.Prop("ShortCut", &TEditButtonEh::ShortCut, &TEditButtonEh::SetShortCut).Default(32808)
        .Stored(&TEditButtonEh::IsShortCutStored);
}
DOV_PUBLISHED(TVisibleEditButtonEh)
{
    P.Prop("Visible", &TEditButtonEh::GetVisible, &TEditButtonEh::SetVisible).Default(true)
        .Stored(&TEditButtonEh::IsVisibleStored);
}
DOV_PUBLISHED(TEditButtonsEh) {}

TEditButtonEh::TEditButtonEh(TCollection* ACollection) : TCollectionItem(ACollection)
{
    Init();
}

TEditButtonEh::TEditButtonEh(TWinControl* EditControl) : TCollectionItem(nullptr), FEditControl(EditControl)
{
    Init();
}

void TEditButtonEh::Init()
{
    FGlyph = new TBitmap;
    FGlyph->SetTransparent(true);
    FImages = new TEditButtonImagesEh(this);
    FDropDownFormParams = new TDropDownFormCallParamsEh;
}

TEditButtonEh::~TEditButtonEh()
{
    delete FActionLink;
    delete FGlyph;
    delete FImages;
    delete FDropDownFormParams;
}

void TEditButtonEh::SetDropDownFormParams(TDropDownFormCallParamsEh* Value)
{
    FDropDownFormParams->Assign(Value);
}

// ---- the action ----

namespace {
TEditButtonActionLinkEh* MakeEditButtonActionLink(TEditButtonEh* Client)
{
    return new TEditButtonActionLinkEh(Client);
}
}

TEditButtonActionLinkClassEh TEditButtonEh::GetActionLinkClass() const
{
    return &MakeEditButtonActionLink;
}

TBasicAction* TEditButtonEh::Action() const
{
    return FActionLink ? FActionLink->Action() : nullptr;
}

void TEditButtonEh::SetAction(TBasicAction* Value)
{
    if (!Value) {
        delete FActionLink;
        FActionLink = nullptr;
        return;
    }
    if (!FActionLink) {
        FActionLink = GetActionLinkClass()(this);
        FActionLink->OnChange = TNotifyEvent(this, &TEditButtonEh::DoActionChange);
    }
    FActionLink->SetAction(Value);
    ActionChange(Value, Value->ComponentState().Contains(csLoading));
    FActionLink->Synchronize();
}

void TEditButtonEh::DoActionChange(TObject* Sender)
{
    if (Sender != Action())
        return;
    ActionChange(Sender, false);
    // The button now shows the action's state again.
    FActionLink->Synchronize();
}

void TEditButtonEh::ActionChange(TObject* Sender, bool CheckDefaults)
{
    auto* a = dynamic_cast<TCustomAction*>(Sender);
    if (!a)
        return;
    if (!CheckDefaults || FEnabled)
        SetEnabled(a->Enabled());
    if (!CheckDefaults || FHint.isEmpty())
        SetHint(a->Hint());
    if (!CheckDefaults || FShortCut == 0)
        SetShortCut(a->ShortCut());
    if (!CheckDefaults || GetVisible())
        SetVisible(a->Visible());
}

void TEditButtonEh::InitiateAction()
{
    if (FActionLink)
        FActionLink->Update();
}

bool TEditButtonEh::IsEnabledStored() const
{
    return !FActionLink || !FActionLink->IsEnabledLinked();
}

bool TEditButtonEh::IsHintStored() const
{
    return !FActionLink || !FActionLink->IsHintLinked();
}

bool TEditButtonEh::IsShortCutStored() const
{
    return !FActionLink || !FActionLink->IsShortCutLinked();
}

bool TEditButtonEh::IsVisibleStored() const
{
    return !FActionLink || !FActionLink->IsVisibleLinked();
}

// ---------------------------------------------------------------- TEditButtonActionLinkEh

TEditButtonActionLinkEh::TEditButtonActionLinkEh(TEditButtonEh* AClient) : TActionLink(AClient), FClient(AClient) {}

void TEditButtonActionLinkEh::Synchronize()
{
    if (auto* a = dynamic_cast<TCustomAction*>(FAction)) {
        FEnabled = a->Enabled();
        FHint = a->Hint();
        FShortCut = a->ShortCut();
        FVisible = a->Visible();
    }
}

bool TEditButtonActionLinkEh::IsEnabledLinked()
{
    return TActionLink::IsEnabledLinked() && FClient->Enabled() == FEnabled;
}

bool TEditButtonActionLinkEh::IsHintLinked()
{
    return TActionLink::IsHintLinked() && FClient->Hint() == FHint;
}

bool TEditButtonActionLinkEh::IsShortCutLinked()
{
    return TActionLink::IsShortCutLinked() && FClient->ShortCut() == FShortCut;
}

bool TEditButtonActionLinkEh::IsVisibleLinked()
{
    return TActionLink::IsVisibleLinked() && FClient->GetVisible() == FVisible;
}

// The action tells its links after it has changed: the button follows when it still showed the
// action's previous value.
void TEditButtonActionLinkEh::SetEnabled(bool Value)
{
    if (IsEnabledLinked())
        FClient->SetEnabled(Value);
    FEnabled = Value;
}

void TEditButtonActionLinkEh::SetHint(const QString& Value)
{
    if (IsHintLinked())
        FClient->SetHint(Value);
    FHint = Value;
}

void TEditButtonActionLinkEh::SetShortCut(TShortCut Value)
{
    if (IsShortCutLinked())
        FClient->SetShortCut(Value);
    FShortCut = Value;
}

void TEditButtonActionLinkEh::SetVisible(bool Value)
{
    if (IsVisibleLinked())
        FClient->SetVisible(Value);
    FVisible = Value;
}

void TEditButtonEh::Changed()
{
    if (OnChanged)
        OnChanged(this);
    else if (Collection())
        TCollectionItem::Changed(false);
}

void TEditButtonEh::RefComponentChanged(TComponent* RefComponent)
{
    if (OnRefComponentChanged) {
        OnRefComponentChanged(this, RefComponent);
        return;
    }
    if (auto* buttons = dynamic_cast<TEditButtonsEh*>(Collection()); buttons && buttons->OnRefComponentChanged)
        buttons->OnRefComponentChanged(this, RefComponent);
}

void TEditButtonEh::SetEnabled(bool Value)
{
    if (FEnabled == Value)
        return;
    FEnabled = Value;
    Changed();
}

void TEditButtonEh::SetGlyph(TBitmap* Value)
{
    FGlyph->Assign(Value);
    Changed();
}

void TEditButtonEh::SetHint(const QString& Value)
{
    if (FHint == Value)
        return;
    FHint = Value;
    Changed();
}

void TEditButtonEh::SetNumGlyphs(int Value)
{
    Value = std::clamp(Value, 1, 4);
    if (FNumGlyphs == Value)
        return;
    FNumGlyphs = Value;
    Changed();
}

void TEditButtonEh::SetStyle(TEditButtonStyleEh Value)
{
    if (FStyle == Value)
        return;
    FStyle = Value;
    Changed();
}

void TEditButtonEh::SetWidth(int Value)
{
    if (FWidth == Value)
        return;
    FWidth = Value;
    Changed();
}

void TEditButtonEh::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    FVisible = Value;
    Changed();
}

void TEditButtonEh::SetDropdownMenu(TPopupMenu* Value)
{
    if (FDropdownMenu == Value)
        return;
    FDropdownMenu = Value;
    Changed();
}

void TEditButtonEh::SetDefaultAction(bool Value)
{
    FDefaultAction = Value;
    FDefaultActionStored = true;
}

void TEditButtonEh::SetOnClick(const TButtonClickEventEh& Value)
{
    if (FOnButtonClick == Value)
        return;
    FOnButtonClick = Value;
    Changed();
}

void TEditButtonEh::SetOnDown(const TButtonDownEventEh& Value)
{
    if (FOnButtonDown == Value)
        return;
    FOnButtonDown = Value;
    Changed();
}

void TEditButtonEh::Click(TObject* Sender, bool& Handled)
{
    if (FOnButtonClick) {
        FOnButtonClick(Sender, Handled);
        return;
    }
    if (!FActionLink || !FActionLink->Action())
        return;
    TComponent* target = FEditControl;
    if (!target && Collection())
        target = dynamic_cast<TComponent*>(Collection()->GetOwner());
    FActionLink->Execute(target);
    Handled = true;
}

void TEditButtonEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TEditButtonEh*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    // The drop-down form settings and the default action stay the target's own.
    SetAction(src->Action());
    SetDropdownMenu(src->FDropdownMenu);
    SetEnabled(src->FEnabled);
    SetGlyph(src->FGlyph);
    SetHint(src->FHint);
    SetNumGlyphs(src->FNumGlyphs);
    SetShortCut(src->FShortCut);
    SetStyle(src->FStyle);
    SetVisible(src->GetVisible());
    SetWidth(src->FWidth);
    SetOnClick(src->FOnButtonClick);
    SetOnDown(src->FOnButtonDown);
    SetImages(src->FImages);
}

TEditButtonControlEh* TEditButtonEh::CreateEditButtonControl()
{
    auto* c = Create<TEditButtonControlEh>(FEditControl);
    c->ControlStyle.Include(csReplicatable);
    c->SetBounds(0, 0, 10, 17);
    c->SetVisible(true);
    c->SetParent(FEditControl);
    return c;
}

TDropDownEditButtonEh::TDropDownEditButtonEh(TCollection* ACollection) : TEditButtonEh(ACollection)
{
    FShortCut = TShortCut(0x8000 | 0x28);   // Alt+Down
}

TDropDownEditButtonEh::TDropDownEditButtonEh(TWinControl* EditControl) : TEditButtonEh(EditControl)
{
    FShortCut = TShortCut(0x8000 | 0x28);
}

TVisibleEditButtonEh::TVisibleEditButtonEh(TCollection* ACollection) : TDropDownEditButtonEh(ACollection)
{
    FVisible = true;
}

TVisibleEditButtonEh::TVisibleEditButtonEh(TWinControl* EditControl) : TDropDownEditButtonEh(EditControl)
{
    FVisible = true;
}

TEditButtonsEh::TEditButtonsEh(TPersistent* AOwner, const TClassInfo& ItemClass) : TCollection(ItemClass), FOwner(AOwner)
{
}

void TEditButtonsEh::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    if (OnChanged)
        OnChanged(Item);
}

// ---------------------------------------------------------------- TEditButtonControlEh

DOV_PUBLISHED(TEditButtonControlEh) {}

TEditButtonControlEh::TEditButtonControlEh(TComponent* AOwner) : TCustomControl(AOwner)
{
    FGlyph = new TBitmap;
    FTabStop = false;
    // The button clicks from its own MouseUp (a spin half let go elsewhere is no click); the
    // control's generic click on release would click twice.
    ControlStyle.Exclude(csClickEvents);
}

TEditButtonControlEh::~TEditButtonControlEh()
{
    StopTimer();
    delete FGlyph;
}

void TEditButtonControlEh::SetGlyph(TBitmap* Value)
{
    FGlyph->Assign(Value);
    Invalidate();
}

void TEditButtonControlEh::SetDown(bool Value)
{
    if (FGroupIndex == 0)
        Value = false;
    if (FDown == Value || (FDown && !Value && !FAllowAllUp))
        return;
    FDown = Value;
    FState = Value ? bsExclusiveEh : bsUpEh;
    Invalidate();
}

void TEditButtonControlEh::SetFlat(bool Value)
{
    if (FFlat == Value)
        return;
    FFlat = Value;
    Invalidate();
}

void TEditButtonControlEh::SetState(TEditButtonPushStateEh NewState, bool IsActive, int ButtonNum)
{
    if (FState == NewState && FActive == IsActive && FButtonNum == ButtonNum)
        return;
    FState = NewState;
    FActive = IsActive;
    FButtonNum = ButtonNum;
    Repaint();
}

void TEditButtonControlEh::SetStyle(TEditButtonStyleEh Value)
{
    if (FStyle == Value)
        return;
    FStyle = Value;
    Invalidate();
}

void TEditButtonControlEh::SetActive(bool Value)
{
    if (FActive == Value)
        return;
    FActive = Value;
    Invalidate();
}

void TEditButtonControlEh::SetAlwaysDown(bool Value)
{
    if (FAlwaysDown == Value)
        return;
    FAlwaysDown = Value;
    if (Value) {
        FGroupIndex = 1;
        SetDown(true);
        FAllowAllUp = false;
        FButtonNum = 1;
    } else {
        FAllowAllUp = true;
        SetDown(false);
        FGroupIndex = 0;
        FButtonNum = 0;
    }
    Invalidate();
}

void TEditButtonControlEh::EditButtonDown(bool TopButton, bool& AutoRepeat)
{
    bool handled = false;
    if (OnDown)
        OnDown(this, TopButton, AutoRepeat, handled);
}

TEditButtonStateEh TEditButtonControlEh::GetState()
{
    if (!Enabled())
        return ebstDisabledEh;
    if (FState == bsDownEh || FDown)
        return ebstPressedEh;
    if (FState == bsUpEh && FMouseInControl)
        return ebstHotEh;
    return ebstNormalEh;
}

void TEditButtonControlEh::UpdateDownButtonNum(int X, int Y)
{
    int num = 0;
    if (FState == bsDownEh || FState == bsExclusiveEh) {
        if (IsAutoRepeatStyleEh(FStyle)) {
            const int h = Height();
            if (Y < h / 2)
                num = 1;
            else if (Y > h - h / 2)
                num = 2;
        } else {
            num = 1;
        }
    }
    if (num != FButtonNum) {
        FButtonNum = num;
        Invalidate();
    }
}

void TEditButtonControlEh::ResetTimer(int Interval)
{
    if (FTimerEnabled && FTimerInterval == Interval)
        return;
    StopTimer();
    FTimerInterval = Interval;
    SetTimer(Handle(), kRepeatTimer, UINT(Interval));
    FTimerEnabled = true;
}

void TEditButtonControlEh::StopTimer()
{
    if (FTimerEnabled && HandleAllocated())
        KillTimer(Handle(), kRepeatTimer);
    FTimerEnabled = false;
}

void TEditButtonControlEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    bool autoRepeat = IsAutoRepeatStyleEh(FStyle);
    // The speed button's press.
    if (Button == mbLeft && Enabled()) {
        if (!FDown) {
            FState = bsDownEh;
            Invalidate();
        }
        FDragging = true;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    UpdateDownButtonNum(X, Y);
    if (FButtonNum == 1 || FButtonNum == 2) {
        EditButtonDown(FButtonNum == 1, autoRepeat);
        if (autoRepeat)
            ResetTimer(kFirstRepeatDelay);
    }
}

void TEditButtonControlEh::WMTimer(TMessage& M)
{
    if (M.WParam != kRepeatTimer)
        return;
    if (FState != bsDownEh)
        return;
    if (FTimerInterval == kFirstRepeatDelay)
        ResetTimer(kRepeatInterval);
    bool autoRepeat = IsAutoRepeatStyleEh(FStyle);
    EditButtonDown(FButtonNum == 1, autoRepeat);
    if (!autoRepeat)
        StopTimer();
}

void TEditButtonControlEh::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (FDragging) {
        TEditButtonPushStateEh s = FDown ? bsExclusiveEh : bsUpEh;
        if (X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight())
            s = FDown ? bsExclusiveEh : bsDownEh;
        if (s != FState) {
            FState = s;
            Invalidate();
        }
    }
    if (MouseCapture() && IsAutoRepeatStyleEh(FStyle) && FState == bsDownEh) {
        // Sliding into the other half lets the button go; the repetition stops at the next tick.
        const int h = Height();
        if ((FButtonNum == 2 && Y < h / 2) || (FButtonNum == 1 && Y > h - h / 2)) {
            FState = bsUpEh;
            Invalidate();
        }
    }
}

void TEditButtonControlEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const bool noClick = IsAutoRepeatStyleEh(FStyle) && FState != bsDownEh;
    const bool saved = FNoDoClick;
    FNoDoClick = FNoDoClick || noClick;
    {
        auto restore = Finally([&] { FNoDoClick = saved; });
        bool doClick = false;
        if (FDragging) {
            FDragging = false;
            doClick = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
            if (FGroupIndex == 0) {
                // A spin button let go in the other half is not a click.
                doClick = doClick && FState == bsDownEh;
                FState = bsUpEh;
                Invalidate();
            } else if (doClick) {
                SetDown(!FDown);
            } else {
                if (FDown)
                    FState = bsExclusiveEh;
                Invalidate();
            }
        }
        TCustomControl::MouseUp(Button, Shift, X, Y);
        if (doClick)
            DoClick();
    }
    UpdateDownButtonNum(X, Y);
    StopTimer();
}

void TEditButtonControlEh::DoClick()
{
    if (!FNoDoClick)
        TCustomControl::DoClick();
}

void TEditButtonControlEh::CMMouseEnter(TMessage& M)
{
    TCustomControl::CMMouseEnter(M);
    if (!FMouseInControl && Enabled()) {
        FMouseInControl = true;
        Invalidate();
    }
}

void TEditButtonControlEh::CMMouseLeave(TMessage& M)
{
    TCustomControl::CMMouseLeave(M);
    if (FMouseInControl) {
        FMouseInControl = false;
        Invalidate();
    }
}

void TEditButtonControlEh::CMEnabledChanged(TMessage& M)
{
    TCustomControl::CMEnabledChanged(M);
    if (!Enabled()) {
        FMouseInControl = false;
        StopTimer();
    }
    Invalidate();
}

void TEditButtonControlEh::DrawImages(const TRect& ARect)
{
    if (!FEditButtonImages)
        return;
    const TEditButtonStateEh state = GetState();
    TCustomImageList* list = FEditButtonImages->GetStateImages(state);
    const int index = FEditButtonImages->GetStateIndex(state);
    if (!list || index < 0)
        return;
    int x = ARect.Left + (ARect.Width() - list->Width()) / 2;
    int y = ARect.Top + (ARect.Height() - list->Height()) / 2;
    if (FButtonNum > 0 && (FState == bsDownEh || FState == bsExclusiveEh)) {
        ++x;
        ++y;
    }
    list->Draw(Canvas(), x, y, index, Enabled());
}

void TEditButtonControlEh::Paint()
{
    if (OnPaint) {
        OnPaint(this);
        return;
    }
    DefaultPaint();
}

void TEditButtonControlEh::DefaultPaint()
{
    const bool hot = ThemesEnabledEh() ? FMouseInControl : FActive;
    const bool down = FState == bsDownEh || FState == bsExclusiveEh;
    const int pressedPart = down ? FButtonNum : 0;
    const TRect r = ClientRect();
    if (FStyle == ebsGlyphEh) {
        if (FEditButtonImages && FEditButtonImages->NormalImages()) {
            DrawEditButtonFace(Canvas(), r, clWindow, pressedPart > 0, FFlat, hot, Enabled(), 0);
            DrawImages(r);
        } else {
            PaintGlyphButton();
        }
        return;
    }
    DrawEditButtonControl(Canvas(), r, clWindow, EditButtonDrawStyleEh(FStyle), pressedPart, FFlat, hot, Enabled(),
                          cbUnchecked);
}

void TEditButtonControlEh::PaintGlyphButton()
{
    // The speed button's face with its glyph, inside a frame of one pixel.
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    const bool down = FState == bsDownEh || FState == bsExclusiveEh;
    TRect face = r;
    InflateRect(face, -1, -1);
    HRGN saved = SelectClipRectEh(c, face);
    {
        auto restore = Finally([&] { RestoreClipRegionEh(c, saved); });
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(r);
        if (!FFlat || down || FMouseInControl)
            {
                TRect edge = r;
                DrawEdge(c->Handle(), edge, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
            }
        if (!FGlyph->Empty()) {
            // The glyph holds NumGlyphs images side by side: up, disabled, down, exclusive.
            const int w = FGlyph->Width() / FNumGlyphs, h = FGlyph->Height();
            int image = 0;
            if (!Enabled() && FNumGlyphs > 1)
                image = 1;
            else if (FState == bsDownEh && FNumGlyphs > 2)
                image = 2;
            else if (FState == bsExclusiveEh && FNumGlyphs > 3)
                image = 3;
            TBitmap part(w, h);
            part.Canvas()->CopyRect(TRect(0, 0, w, h), FGlyph->Canvas(), TRect(image * w, 0, image * w + w, h));
            part.SetTransparent(true);
            const int x = r.Left + (r.Width() - w) / 2 + (down ? 1 : 0);
            const int y = r.Top + (r.Height() - h) / 2 + (down ? 1 : 0);
            c->Draw(x, y, &part);
        }
    }
    TRect frame = r;
    if (FActive) {
        DrawEdge(c->Handle(), frame, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
        c->Brush()->SetColor(Parent() ? Parent()->Color() : clBtnFace);
        c->FrameRect(frame);
    }
}
