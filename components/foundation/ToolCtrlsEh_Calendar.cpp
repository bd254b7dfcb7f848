// The month calendar that date editors drop down.
#include "ToolCtrlsEh.h"

#include <cmath>

DOV_PUBLISHED(TPopupMonthCalendarEh) {}

TPopupMonthCalendarEh::TPopupMonthCalendarEh(TComponent* AOwner) : TMonthCalendar(AOwner)
{
    ControlStyle << csReplicatable;
    FAutoSize = true;
    FTabStop = false;
    FVisible = false;
}

TDateTime TPopupMonthCalendarEh::Date()
{
    if (HandleAllocated()) {
        SYSTEMTIME st;
        TDateTime d = 0;
        if (Perform(MCM_GETCURSEL, 0, LPARAM(&st)) && TrySystemTimeToDate(st, d))
            return d;
    }
    return TMonthCalendar::Date();
}

void TPopupMonthCalendarEh::SetCtl3D(bool Value)
{
    if (FCtl3D == Value)
        return;
    FCtl3D = Value;
    FBorderWidth = Value ? 2 : 0;
    if (HandleAllocated()) {
        RecreateWnd();
        AdjustSize();
    }
}

void TPopupMonthCalendarEh::CreateParams(TCreateParams& Params)
{
    TMonthCalendar::CreateParams(Params);
    Params.Style &= ~(WS_CHILD | WS_TABSTOP);
    Params.Style |= WS_POPUP;
    if (!FCtl3D)
        Params.Style |= WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
}

void TPopupMonthCalendarEh::CreateWnd()
{
    TMonthCalendar::CreateWnd();
    int w = FWidth, h = FHeight;
    if (CanAutoSize(w, h))
        SetBounds(FLeft, FTop, w, h);
}

bool TPopupMonthCalendarEh::CanAutoSize(int& NewWidth, int& NewHeight)
{
    TRect r;
    Perform(MCM_GETMINREQRECT, 0, LPARAM(&r));
    // The frame a flat calendar gets instead of the raised border is one pixel wide.
    const int frame = FCtl3D ? 2 * FBorderWidth : 2;
    NewWidth = r.Width() + frame;
    NewHeight = r.Height() + frame;
    return true;
}

void TPopupMonthCalendarEh::WMNCCalcSize(TMessage& M)
{
    const int inset = FCtl3D ? FBorderWidth : 1;
    InflateRect(*reinterpret_cast<TRect*>(M.LParam), -inset, -inset);
}

void TPopupMonthCalendarEh::WMNCPaint(TMessage& M) { PaintBorder(reinterpret_cast<HDC>(M.LParam)); }

void TPopupMonthCalendarEh::PaintBorder(HDC DC)
{
    PaintPopupBorderEh(DC, TRect(0, 0, Width(), Height()), FCtl3D);
}

void TPopupMonthCalendarEh::WMGetDlgCode(TMessage& M)
{
    TMonthCalendar::WMGetDlgCode(M);
    M.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
}

void TPopupMonthCalendarEh::CMWantSpecialKey(TMessage& M)
{
    M.Result = M.WParam == VK_RETURN || M.WParam == VK_ESCAPE ? 1 : 0;
}

void TPopupMonthCalendarEh::OwnerCloseUp(bool Accept)
{
    if (auto* combo = dynamic_cast<IComboEditEh*>(Owner()))
        combo->CloseUp(Accept);
}

void TPopupMonthCalendarEh::KeyDown(Word& Key, TShiftState Shift)
{
    if (Key == VK_RETURN || Key == VK_ESCAPE) {
        const bool accept = Key == VK_RETURN;
        Key = 0;
        OwnerCloseUp(accept);
        return;
    }
    TMonthCalendar::KeyDown(Key, Shift);
}

void TPopupMonthCalendarEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    FDownViewType = int(Perform(MCM_GETCURRENTVIEW));
    if (!PtInRect(ClientRect(), TPoint(X, Y))) {
        OwnerCloseUp(false);
        return;
    }
    TMonthCalendar::MouseDown(Button, Shift, X, Y);
}

void TPopupMonthCalendarEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TMonthCalendar::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !PtInRect(ClientRect(), TPoint(X, Y)))
        return;
    MCHITTESTINFO info;
    info.cbSize = ThemesEnabledEh() ? sizeof(MCHITTESTINFO) : offsetof(MCHITTESTINFO, rc);
    info.pt = TPoint(X, Y);
    const UINT hit = UINT(Perform(MCM_HITTEST, 0, LPARAM(&info)));
    // A day of the month view; not a day-of-week header, not a page button, and not a month
    // or year picked in a zoomed-out view (that only zooms in).
    if ((hit & MCHT_CALENDARDATE) != 0 && hit != MCHT_CALENDARDAY && hit != MCHT_TITLEBTNNEXT &&
        hit != MCHT_TITLEBTNPREV && FDownViewType == int(MCMV_MONTH))
        OwnerCloseUp(true);
}

void TPopupMonthCalendarEh::CMCancelMode(TMessage& M)
{
    // A press on the owner is the owner's to handle (its button opens and closes the drop-down).
    auto* target = reinterpret_cast<TControl*>(M.LParam);
    auto* owner = dynamic_cast<TWinControl*>(Owner());
    if (target && owner && (target == owner || owner->ContainsControl(target)))
        return;
    OwnerCloseUp(false);
}

void TPopupMonthCalendarEh::WMKillFocus(TMessage& M)
{
    TMonthCalendar::WMKillFocus(M);
    if (HandleAllocated())
        PostMessage(Handle(), WM_CLOSEUP_ON_FOCUS_LOST, 0, 0);
}

void TPopupMonthCalendarEh::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_CLOSEUP_ON_FOCUS_LOST) {
        // The focus may have gone to a window of the calendar itself.
        HWND focus = GetFocus();
        TWinControl* f = focus ? FindControl(focus) : nullptr;
        if (f != this && !(f && ContainsControl(f)))
            OwnerCloseUp(false);
        return;
    }
    TMonthCalendar::WndProc(Message);
}

bool TPopupMonthCalendarEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    if (!TMonthCalendar::DoMouseWheelDown(Shift, MousePos))
        UserSetDay(std::trunc(TMonthCalendar::Date()) + 1);
    return true;
}

bool TPopupMonthCalendarEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    if (!TMonthCalendar::DoMouseWheelUp(Shift, MousePos))
        UserSetDay(std::trunc(TMonthCalendar::Date()) - 1);
    return true;
}
