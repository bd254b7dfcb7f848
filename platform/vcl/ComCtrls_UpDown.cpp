#include "ComCtrls.h"

#include "platform/rtl/SysUtils.h"

#include <algorithm>

DOV_PUBLISHED(TCustomUpDown) {}
DOV_PUBLISHED(TUpDown)
{
    P.Prop("AlignButton", &TCustomUpDown::AlignButton, &TCustomUpDown::SetAlignButton).Default(udRight);
    P.Prop("Associate", &TCustomUpDown::Associate, &TCustomUpDown::SetAssociate);
    P.Prop("Min", &TCustomUpDown::Min, &TCustomUpDown::SetMin).Default(0);
    P.Prop("Max", &TCustomUpDown::Max, &TCustomUpDown::SetMax).Default(100);
    P.Prop("Increment", &TCustomUpDown::Increment).Default(1);
    P.Prop("Orientation", &TCustomUpDown::Orientation, &TCustomUpDown::SetOrientation).Default(udVertical);
    P.Prop("Position", &TCustomUpDown::Position, &TCustomUpDown::SetPosition).Default(0);
    P.Prop("Thousands", &TCustomUpDown::Thousands, &TCustomUpDown::SetThousands).Default(true);
    P.Prop("Wrap", &TCustomUpDown::Wrap).Default(false);
    P.Event("OnChanging", &TCustomUpDown::OnChanging);
    P.Event("OnClick", &TCustomUpDown::OnClick);
}

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 17;
    FHeight = 21;
}

void TCustomUpDown::SetAssociate(TWinControl* Value)
{
    if (Value == FAssociate)
        return;
    if (FAssociate)
        FAssociate->RemoveFreeNotification(this);
    FAssociate = Value;
    if (!FAssociate)
        return;
    FAssociate->FreeNotification(this);
    if (!ComponentState().Contains(csLoading)) {
        PlaceNextToAssociate();
        ShowPosition();
    }
}

void TCustomUpDown::SetAlignButton(TUDAlignButton Value)
{
    FAlignButton = Value;
    if (!ComponentState().Contains(csLoading))
        PlaceNextToAssociate();
}

void TCustomUpDown::SetMin(int Value)
{
    FMin = Value;
    if (!ComponentState().Contains(csLoading))
        SetPosition(FPosition);
}

void TCustomUpDown::SetMax(int Value)
{
    FMax = Value;
    if (!ComponentState().Contains(csLoading))
        SetPosition(FPosition);
}

int TCustomUpDown::Position() const { return FPosition; }

void TCustomUpDown::SetPosition(int Value)
{
    // Min may lie above Max: the range then runs downwards.
    FPosition = std::clamp(Value, std::min(FMin, FMax), std::max(FMin, FMax));
    if (!ComponentState().Contains(csLoading))
        ShowPosition();
}

void TCustomUpDown::SetOrientation(TUDOrientation Value)
{
    FOrientation = Value;
    Invalidate();
}

void TCustomUpDown::SetThousands(bool Value)
{
    FThousands = Value;
    if (!ComponentState().Contains(csLoading))
        ShowPosition();
}

void TCustomUpDown::Loaded()
{
    TCustomControl::Loaded();
    SetPosition(FPosition);
    PlaceNextToAssociate();
}

void TCustomUpDown::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAssociate)
        FAssociate = nullptr;
}

void TCustomUpDown::PlaceNextToAssociate()
{
    if (!FAssociate || FAssociate->Parent() != Parent())
        return;
    const int left = FAlignButton == udRight ? FAssociate->Left() + FAssociate->Width() : FAssociate->Left() - Width();
    SetBounds(left, FAssociate->Top(), Width(), FAssociate->Height());
}

void TCustomUpDown::ShowPosition()
{
    if (!FAssociate)
        return;
    QString text = QString::number(FPosition);
    if (FThousands && std::abs(FPosition) >= 1000) {
        const int digits0 = FPosition < 0 ? 1 : 0;
        for (qsizetype i = text.size() - 3; i > digits0; i -= 3)
            text.insert(i, FormatSettings.ThousandSeparator);
    }
    FAssociate->SetText(text);
}

void TCustomUpDown::Step(TUDBtnType Button)
{
    // Whatever the user typed into the associate is where the step starts.
    if (FAssociate) {
        QString typed = FAssociate->Text();
        typed.remove(FormatSettings.ThousandSeparator);
        bool ok = false;
        const int v = typed.trimmed().toInt(&ok);
        if (ok)
            FPosition = std::clamp(v, std::min(FMin, FMax), std::max(FMin, FMax));
    }
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    if (allow) {
        const int lo = std::min(FMin, FMax), hi = std::max(FMin, FMax);
        const int dir = (Button == btNext) == (FMin <= FMax) ? 1 : -1;
        const long long next = (long long)FPosition + (long long)dir * Increment;
        if (next > hi)
            FPosition = Wrap ? lo : hi;
        else if (next < lo)
            FPosition = Wrap ? hi : lo;
        else
            FPosition = int(next);
        ShowPosition();
    }
    if (OnClick)
        OnClick(this, Button);
}

TRect TCustomUpDown::ButtonRect(TUDBtnType Button) const
{
    const int w = FWidth, h = FHeight;
    // Next is the upper half, or the right half of a horizontal one.
    if (FOrientation == udVertical)
        return Button == btNext ? TRect(0, 0, w, h / 2) : TRect(0, h / 2, w, h);
    return Button == btNext ? TRect(w / 2, 0, w, h) : TRect(0, 0, w / 2, h);
}

void TCustomUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    const TUDBtnType b = PtInRect(ButtonRect(btNext), TPoint(X, Y)) ? btNext : btPrev;
    FPressed = b;
    Invalidate();
    Step(b);
}

void TCustomUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    FPressed = -1;
    Invalidate();
}

void TCustomUpDown::Paint()
{
    HDC dc = Canvas()->Handle();
    for (TUDBtnType b : {btNext, btPrev}) {
        TRect r = ButtonRect(b);
        UINT state = FOrientation == udVertical ? (b == btNext ? DFCS_SCROLLUP : DFCS_SCROLLDOWN)
                                                 : (b == btNext ? DFCS_SCROLLRIGHT : DFCS_SCROLLLEFT);
        if (FPressed == b)
            state |= DFCS_PUSHED;
        if (!Enabled())
            state |= DFCS_INACTIVE;
        DrawFrameControl(dc, r, DFC_SCROLL, state);
    }
}
