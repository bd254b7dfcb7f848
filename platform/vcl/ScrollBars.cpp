// The scroll-bar control.
#include "ScrollBars.h"

#include "platform/winapi/WinGdi.h"

DOV_PUBLISHED(TScrollBar)
{
    P.Prop("Kind", &TScrollBar::Kind, &TScrollBar::SetKind).Default(sbHorizontal);
    P.Prop("LargeChange", &TScrollBar::LargeChange).Default(1);
    P.Prop("SmallChange", &TScrollBar::SmallChange).Default(1);
    P.Prop("Max", &TScrollBar::Max, &TScrollBar::SetMax).Default(100);
    P.Prop("Min", &TScrollBar::Min, &TScrollBar::SetMin).Default(0);
    P.Prop("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize).Default(0);
    P.Prop("Position", &TScrollBar::Position, &TScrollBar::SetPosition).Default(0);
    P.Event("OnChange", &TScrollBar::OnChange);
    P.Event("OnScroll", &TScrollBar::OnScroll);
}

namespace {
constexpr UINT_PTR kRepeatTimer = 1;
}

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>())
{
    FCanvas->Control = this;
    FWidth = 121;
    FHeight = GetSystemMetrics(SM_CYHSCROLL);
    FTabStop = true;
    ControlStyle = TControlStyle{csFramed, csDoubleClicks, csOpaque};
}

TScrollBar::~TScrollBar() = default;

void TScrollBar::SetKind(TScrollBarKind v)
{
    if (v == FKind)
        return;
    FKind = v;
    if (!FComponentState.Contains(csLoading))
        SetBounds(FLeft, FTop, FHeight, FWidth);
    Invalidate();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax)
{
    if (AMax < AMin || AMax < FPageSize)
        throw EInvalidOperation(QStringLiteral("Property out of range"));
    APosition = std::clamp(APosition, AMin, AMax);
    const bool changed = APosition != FPosition;
    FMin = AMin;
    FMax = AMax;
    FPosition = APosition;
    Invalidate();
    if (changed)
        Change();
}

void TScrollBar::SetPageSize(int v)
{
    if (v == FPageSize)
        return;
    if (v < 0 || v > FMax - FMin + 1)
        throw EInvalidOperation(QStringLiteral("Property out of range"));
    FPageSize = v;
    Invalidate();
}

void TScrollBar::Change()
{
    if (OnChange)
        OnChange(this);
}

int TScrollBar::ButtonSize()
{
    // Buttons are square, shrinking when the bar is too short for two of them.
    return std::min(Thickness(), Length() / 2);
}

TRect TScrollBar::Along(int from, int to)
{
    return FKind == sbHorizontal ? TRect(from, 0, to, ClientHeight()) : TRect(0, from, ClientWidth(), to);
}

TRect TScrollBar::FirstButtonRect() { return Along(0, ButtonSize()); }
TRect TScrollBar::SecondButtonRect() { return Along(Length() - ButtonSize(), Length()); }

void TScrollBar::TrackRange(int& start, int& length, int& thumb)
{
    start = ButtonSize();
    length = std::max(0, Length() - 2 * start);
    const int range = FMax - FMin + 1;
    if (FPageSize > 0 && range > 0)
        thumb = int(int64_t(length) * FPageSize / range);
    else
        thumb = Thickness();
    thumb = std::max(thumb, std::min(8, length));
    if (thumb > length)
        thumb = 0;
}

TRect TScrollBar::ThumbRect()
{
    int start, length, thumb;
    TrackRange(start, length, thumb);
    if (thumb <= 0 || !FEnabled)
        return TRect();
    const int span = std::max(1, FMax - FMin - std::max(FPageSize - 1, 0));
    const int pos = std::clamp(FPressed == 5 ? FTrackPos : FPosition, FMin, FMax);
    const int offset = int(int64_t(length - thumb) * (pos - FMin) / span);
    const int at = start + std::clamp(offset, 0, length - thumb);
    return Along(at, at + thumb);
}

int TScrollBar::PosFromPixel(int pixel)
{
    int start, length, thumb;
    TrackRange(start, length, thumb);
    const int free = std::max(1, length - thumb);
    const int span = FMax - FMin - std::max(FPageSize - 1, 0);
    return std::clamp(FMin + int(int64_t(pixel - start) * span / free), FMin, FMax);
}

void TScrollBar::PaintWindow(HDC DC)
{
    TCanvasPaintScope scope(FCanvas.get(), DC);
    Paint();
}

void TScrollBar::Paint()
{
    HDC dc = FCanvas->Handle();
    const bool horz = FKind == sbHorizontal;
    TRect first = FirstButtonRect(), second = SecondButtonRect();
    FillRect(dc, ClientRect(), CreateSolidBrush(GetSysColor(COLOR_SCROLLBAR)));
    const UINT inactive = FEnabled ? 0u : UINT(DFCS_INACTIVE);
    DrawFrameControl(dc, first, DFC_SCROLL, (horz ? DFCS_SCROLLLEFT : DFCS_SCROLLUP) | inactive | (FPressed == 1 ? UINT(DFCS_PUSHED) : 0u));
    DrawFrameControl(dc, second, DFC_SCROLL, (horz ? DFCS_SCROLLRIGHT : DFCS_SCROLLDOWN) | inactive | (FPressed == 2 ? UINT(DFCS_PUSHED) : 0u));
    TRect thumb = ThumbRect();
    if (!IsRectEmpty(thumb))
        DrawEdge(dc, thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

void TScrollBar::Scroll(TScrollCode Code, int Pos)
{
    int p = Pos;
    if (OnScroll)
        OnScroll(this, Code, p);
    if (Code != scEndScroll && Code != scTrack && p != FPosition)
        SetPosition(p);
}

void TScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TWinControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !FEnabled)
        return;
    const TPoint p(X, Y);
    const int along = FKind == sbHorizontal ? X : Y;
    const TRect thumb = ThumbRect();
    if (PtInRect(FirstButtonRect(), p))
        FPressed = 1;
    else if (PtInRect(SecondButtonRect(), p))
        FPressed = 2;
    else if (PtInRect(thumb, p)) {
        FPressed = 5;
        FDragOffset = along - (FKind == sbHorizontal ? thumb.Left : thumb.Top);
        FTrackPos = FPosition;
        SetMouseCapture(true);
        Invalidate();
        return;
    } else if (!IsRectEmpty(thumb))
        FPressed = along < (FKind == sbHorizontal ? thumb.Left : thumb.Top) ? 3 : 4;
    else
        return;
    SetMouseCapture(true);
    TMessage first{WM_TIMER, kRepeatTimer, 0, 0};
    WMTimer(first);
    SetTimer(Handle(), kRepeatTimer, 400);
    Invalidate();
}

void TScrollBar::WMTimer(TMessage& M)
{
    if (M.WParam != kRepeatTimer)
        return;
    switch (FPressed) {
    case 1: Scroll(scLineUp, std::max(FMin, FPosition - SmallChange)); break;
    case 2: Scroll(scLineDown, std::min(FMax, FPosition + SmallChange)); break;
    case 3: Scroll(scPageUp, std::max(FMin, FPosition - LargeChange)); break;
    case 4: Scroll(scPageDown, std::min(FMax, FPosition + LargeChange)); break;
    default: KillTimer(HandleIfAllocated(), kRepeatTimer); return;
    }
    if (HandleAllocated())
        SetTimer(Handle(), kRepeatTimer, 50);   // repeat faster after the first delay
}

void TScrollBar::MouseMove(TShiftState Shift, int X, int Y)
{
    TWinControl::MouseMove(Shift, X, Y);
    if (FPressed != 5)
        return;
    const int along = FKind == sbHorizontal ? X : Y;
    const int pos = PosFromPixel(along - FDragOffset);
    if (pos != FTrackPos) {
        FTrackPos = pos;
        Scroll(scTrack, pos);
        Invalidate();
    }
}

void TScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TWinControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || FPressed == 0)
        return;
    if (HandleAllocated())
        KillTimer(Handle(), kRepeatTimer);
    const int pressed = FPressed;
    FPressed = 0;
    SetMouseCapture(false);
    if (pressed == 5)
        Scroll(scPosition, FTrackPos);
    Scroll(scEndScroll, FPosition);
    Invalidate();
}
