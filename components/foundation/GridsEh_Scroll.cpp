// Layout of the cell area, pixel and cell scrolling, the scroll-bar settings and panels,
// window scrolling after a position change, the mouse wheel and panning.
#include "GridsEh.h"

#include "GridToolCtrlsEh.h"
#include "platform/winapi/WinUser.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

// ---------------------------------------------------------------- TGridScrollBarEh

TGridScrollBarEh::TGridScrollBarEh(TCustomGridEh* AGrid, TScrollBarKind AKind) : FGrid(AGrid), FKind(AKind) {}

void TGridScrollBarEh::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TGridScrollBarEh*>(Source)) {
        FTracking = s->FTracking;
        return;
    }
    TPersistent::Assign(Source);
}

void TGridScrollBarEh::UpdateScrollBar()
{
    FGrid->UpdateScrollBars();
}

bool TGridScrollBarEh::IsScrollBarNeeded()
{
    switch (FVisibleMode) {
    case sbAlwaysShowEh: return true;
    case sbNeverShowEh: return false;
    case sbAutoShowEh: break;
    }
    int64_t pos = 0, mn = 0, page = 0, mx = 0;
    if (FKind == sbHorizontal)
        FGrid->GetHorzScrollBarParams(pos, mn, page, mx);
    else
        FGrid->GetVertScrollBarParams(pos, mn, page, mx);
    return mn < mx && mx - mn >= page;
}

int TGridScrollBarEh::ActualSize()
{
    return FSize > 0 ? FSize : FGrid->ScrollBarSize();
}

int TGridScrollBarEh::ActualScrollBarBoxSize()
{
    const int sys = GetSystemMetrics(SM_CYHSCROLL);
    const int s = ActualSize();
    return IsKeepMaxSizeInDefault() && sys < s ? sys : s;
}

void TGridScrollBarEh::SetVisibleMode(TScrollBarVisibleModeEh Value)
{
    if (FVisibleMode == Value)
        return;
    FVisibleMode = Value;
    FGrid->UpdateBoundaries();
}

void TGridScrollBarEh::SetSmoothStep(bool Value)
{
    if (FSmoothStep == Value)
        return;
    FSmoothStep = Value;
    SmoothStepChanged();
}

void TGridScrollBarEh::SetSize(int Value)
{
    if (FSize == Value)
        return;
    FSize = Value;
    FGrid->ScrollBarSizeChanged(this);
}

void TGridScrollBarEh::UpdateScale(int64_t AxisLen)
{
    // A bar holds 32-bit values: longer axes are shown in units of several pixels.
    constexpr int64_t limit = int64_t(1) << 30;
    FScale = AxisLen <= limit ? 1 : (AxisLen + limit - 1) / limit;
}

TGridScrollBarPanelControlEh* PanelOf(TCustomGridEh* Grid, TScrollBarKind Kind)
{
    return Kind == sbHorizontal ? Grid->HorzScrollBarPanelControl() : Grid->VertScrollBarPanelControl();
}

void TGridScrollBarEh::GetScrollBarParams(int& APosition, int& AMin, int& AMax, int& APageSize)
{
    TScrollBar* bar = PanelOf(FGrid, FKind)->ScrollBar();
    APosition = bar->Position();
    AMin = bar->Min();
    AMax = bar->Max();
    APageSize = bar->PageSize();
}

void TGridScrollBarEh::SetScrollBarParams(int APosition, int AMin, int AMax, int APageSize)
{
    PanelOf(FGrid, FKind)->SetParams(APosition, AMin, AMax, APageSize);
}

// ---------------------------------------------------------------- layout

namespace {
struct BoundariesLock {
    int& Count;
    explicit BoundariesLock(int& c) : Count(c) { ++Count; }
    ~BoundariesLock() { --Count; }
};
}

void TCustomGridEh::UpdateBoundaries()
{
    if (!FConstructed || FBoundariesUpdateCount > 0 || ComponentState().Contains(csLoading))
        return;
    {
        BoundariesLock lock(FBoundariesUpdateCount);
        FWinClientBoundary = HandleAllocated() ? TRect(0, 0, ClientWidth(), ClientHeight()) : TRect(0, 0, Width(), Height());
        TGridAxisDataEh* h = FHorzAxis.get();
        TGridAxisDataEh* v = FVertAxis.get();
        h->FWinClientBoundSta = FWinClientBoundary.Left;
        h->FWinClientBoundSto = FWinClientBoundary.Right;
        v->FWinClientBoundSta = FWinClientBoundary.Top;
        v->FWinClientBoundSto = FWinClientBoundary.Bottom;
        h->FGridClientStart = h->FWinClientBoundSta + FOutBoundaryData->LeftIndent();
        h->FGridClientStop = h->FWinClientBoundSto - FOutBoundaryData->RightIndent();
        v->FGridClientStart = v->FWinClientBoundSta + FOutBoundaryData->TopIndent();
        v->FGridClientStop = v->FWinClientBoundSto - FOutBoundaryData->BottomIndent();

        auto contra = [this](TGridAxisDataEh* a, TGridOptionEh line) {
            int len = 0;
            for (int i = 0; i < a->ContraCelCount(); ++i)
                len += a->ContraCelLens(i);
            if (a->ContraCelCount() > 0 && FOptions.Contains(line))
                len += FGridLineWidth;
            a->FContraLen = len;
            a->FContraStart = a->FGridClientStop - len;
            int fixed = 0;
            for (int i = 0; i < a->FixedCelCount(); ++i)
                fixed += a->FixedCelLens(i);
            a->FFixedBoundary = a->FGridClientStart + fixed;
            int frozen = 0;
            for (int i = a->FixedCelCount() - a->FrozenCelCount(); i < a->FixedCelCount(); ++i)
                frozen += a->FixedCelLens(i);
            a->FFrozenLen = frozen;
        };
        contra(h, goContraVertBoundaryLineEh);
        contra(v, goContraHorzBoundaryLineEh);

        auto shrink = [](TGridAxisDataEh* a, int by) {
            a->FGridClientStop -= by;
            a->FContraStart -= by;
        };
        if (FHorzScrollBar->IsScrollBarShowing()) {
            shrink(v, FHorzScrollBar->ActualSize());
            if (FVertScrollBar->IsScrollBarShowing())
                shrink(h, FVertScrollBar->ActualSize());
        } else if (FVertScrollBar->IsScrollBarShowing()) {
            shrink(h, FVertScrollBar->ActualSize());
            if (FHorzScrollBar->IsScrollBarShowing())
                shrink(v, FHorzScrollBar->ActualSize());
        }

        ScrollToPos(!HorzSmoothStep(), !VertSmoothStep());
        h->CheckUpdateRolCelPosArr();
        v->CheckUpdateRolCelPosArr();
        h->UpdateVisCells();
        v->UpdateVisCells();
        UpdateScrollBars();
        if (FInplaceEdit)
            UpdateEditor();
    }
    Invalidate();
}

// The start of the cell that holds Pos, or of the next cell when Pos lies inside a cell that
// is not the last one (ToNext).
int64_t TCustomGridEh::AlignedScrollPos(TGridAxisDataEh* Axis, int64_t Pos, bool ToNext)
{
    int cel = 0, ofs = 0;
    Axis->RolCellAtPos(Pos, cel, ofs);
    if (ToNext && ofs > 0 && cel < Axis->RolCelCount() - 1)
        return Axis->RolLocCelPosArr(cel + 1);
    return Axis->RolLocCelPosArr(cel);
}

void TCustomGridEh::CalcScrollToPos(bool AlignHorz, bool AlignVert, int64_t& X, int64_t& Y)
{
    X = std::max<int64_t>(0, FHorzAxis->RolLen() - FHorzAxis->RolClientLen());
    Y = std::max<int64_t>(0, FVertAxis->RolLen() - FVertAxis->RolClientLen());
    if (AlignHorz)
        X = AlignedScrollPos(FHorzAxis.get(), X, true);
    if (AlignVert)
        Y = AlignedScrollPos(FVertAxis.get(), Y, true);
}

void TCustomGridEh::ScrollToPos(bool AlignHorz, bool AlignVert)
{
    int64_t x = 0, y = 0;
    CalcScrollToPos(AlignHorz, AlignVert, x, y);
    if (HorzScrollPos() > x)
        FHorzAxis->SetRolStartVisPos(x);
    if (VertScrollPos() > y)
        FVertAxis->SetRolStartVisPos(y);
}

void TCustomGridEh::GetHorzScrollBarParams(int64_t& APosition, int64_t& AMin, int64_t& APageSize, int64_t& AMax)
{
    APosition = HorzScrollPos();
    AMin = 0;
    const int64_t len = FHorzAxis->RolLen();
    AMax = len > 0 ? len - 1 : 0;
    APageSize = FHorzAxis->RolClientLen();
    if (UseRightToLeftAlignment())
        APosition += APageSize;
}

void TCustomGridEh::GetVertScrollBarParams(int64_t& APosition, int64_t& AMin, int64_t& APageSize, int64_t& AMax)
{
    APosition = VertScrollPos();
    AMin = 0;
    const int64_t len = FVertAxis->RolLen();
    AMax = len > 0 ? len - 1 : 0;
    APageSize = FVertAxis->RolClientLen();
}

void TCustomGridEh::UpdateScrollBars()
{
    if (!FHorzScrollBarPanelControl || !FVertScrollBarPanelControl)
        return;
    auto update = [this](TGridScrollBarEh* bar, bool horz) {
        int64_t pos = 0, mn = 0, page = 0, mx = 0;
        if (horz)
            GetHorzScrollBarParams(pos, mn, page, mx);
        else
            GetVertScrollBarParams(pos, mn, page, mx);
        bar->UpdateScale(mx + 1);
        int barPage = bar->ToBar(page);
        if (page > 0 && barPage == 0)
            barPage = 1;
        bar->SetScrollBarParams(bar->ToBar(pos), bar->ToBar(mn), bar->ToBar(mx), barPage);
    };
    update(FHorzScrollBar.get(), true);
    update(FVertScrollBar.get(), false);
    LayoutScrollBarPanels();
}

void TCustomGridEh::LayoutScrollBarPanels()
{
    if (!HandleAllocated() || !FHorzScrollBarPanelControl)
        return;
    const bool vShow = FVertScrollBar->IsScrollBarShowing();
    const bool hShow = FHorzScrollBar->IsScrollBarShowing();
    const int vw = vShow ? FVertScrollBar->ActualSize() : 0;
    const int hh = hShow ? FHorzScrollBar->ActualSize() : 0;
    int cornerW = 0, cornerH = 0, topSpace = 0, leftSpace = 0;
    const int cw = ClientWidth(), ch = ClientHeight();
    const bool rtl = UseRightToLeftAlignment();
    const bool both = (vShow && hShow) || FSizeGripAlwaysShow;

    if (FSizeGripPostion == sgpBottomRight) {
        FExtraSizeGripControl->SetVisible(false);
        FCornerScrollBarPanelControl->SetGripActiveStatus(FSizeGripAlwaysShow ? gasAlwaysEh : gasAutoEh);
        if (!rtl && both) {
            cornerW = FVertScrollBar->ActualSize();
            cornerH = FHorzScrollBar->ActualScrollBarBoxSize();
        }
    } else {
        FCornerScrollBarPanelControl->SetGripActiveStatus(gasNeverEh);
        TSizeGripPanelEh* g = FExtraSizeGripControl;
        g->SetGripActiveStatus(gasAlwaysEh);
        g->SetPosition(FSizeGripPostion);
        const int gw = FHorzScrollBar->ActualSize(), gh = FVertScrollBar->ActualSize();
        switch (FSizeGripPostion) {
        case sgpTopLeft:
            g->SetBounds(0, 0, gw, gh);
            g->SetTriangleWindow(true);
            break;
        case sgpTopRight:
            g->SetBounds(cw - gw, 0, gw, gh);
            g->SetTriangleWindow(!vShow);
            topSpace = FVertScrollBar->ActualSize();
            break;
        case sgpBottomLeft:
            g->SetBounds(0, ch - gh, gw, gh);
            g->SetTriangleWindow(!hShow);
            leftSpace = FVertScrollBar->ActualSize();
            if (rtl && both) {
                cornerW = FVertScrollBar->ActualSize();
                cornerH = FHorzScrollBar->ActualScrollBarBoxSize();
                g->SetTriangleWindow(!vShow);
                topSpace = 0;
            }
            break;
        default:
            break;
        }
        g->SetVisible(true);
    }
    if (!rtl) {
        FVertScrollBarPanelControl->SetBounds(cw - vw, topSpace, vw, std::max(0, ch - cornerH - topSpace));
        FHorzScrollBarPanelControl->SetBounds(leftSpace, ch - hh, std::max(0, cw - cornerW - topSpace), hh);
        FCornerScrollBarPanelControl->SetBounds(cw - cornerW, ch - cornerH, cornerW, cornerH);
    } else {
        FVertScrollBarPanelControl->SetBounds(0, 0, vw, std::max(0, ch - cornerH - hh));
        FHorzScrollBarPanelControl->SetBounds(vw, ch - hh, std::max(0, cw - vw), hh);
        FCornerScrollBarPanelControl->SetBounds(0, ch - hh, vw, hh);
    }
    FVertScrollBarPanelControl->SetVisible(true);
    FHorzScrollBarPanelControl->SetVisible(true);
    FCornerScrollBarPanelControl->SetVisible(true);
    FVertScrollBarPanelControl->SetKeepMaxSizeInDefault(FVertScrollBar->IsKeepMaxSizeInDefault());
    FHorzScrollBarPanelControl->SetKeepMaxSizeInDefault(FHorzScrollBar->IsKeepMaxSizeInDefault());
    FCornerScrollBarPanelControl->SetTriangleWindow(!vShow && !hShow && FSizeGripAlwaysShow);
    if (vShow != FVertScrollBarIsShowing || hShow != FHorzScrollBarIsShowing) {
        FVertScrollBarIsShowing = vShow;
        FHorzScrollBarIsShowing = hShow;
        ScrollBarShowingChanged();
    }
}

// ---------------------------------------------------------------- scrolling

void TCustomGridEh::ScrollByCode(bool IsVert, int Code, int64_t Pos, bool MirrorRTL)
{
    if (IsVert) {
        ScrollVert(Code, Pos);
        return;
    }
    if (UseRightToLeftAlignment() && MirrorRTL && Code <= 7) {
        switch (Code) {
        case 0: Code = 1; break;
        case 1: Code = 0; break;
        case 2: Code = 3; break;
        case 3: Code = 2; break;
        case 6: Code = 7; break;
        case 7: Code = 6; break;
        case 4:
        case 5: {
            int64_t p = 0, mn = 0, page = 0, mx = 0;
            GetHorzScrollBarParams(p, mn, page, mx);
            Pos = mx - Pos - page + 1;
            break;
        }
        default: break;
        }
    }
    ScrollHorz(Code, Pos);
}

void TCustomGridEh::ScrollHorz(int Code, int64_t Pos)
{
    if (FHorzScrollBar->SmoothStep())
        ScrollAxisByPixel(FHorzAxis.get(), FHorzScrollBar.get(), Code, Pos);
    else
        ScrollAxisByCell(FHorzAxis.get(), FHorzScrollBar.get(), Code, Pos);
}

void TCustomGridEh::ScrollVert(int Code, int64_t Pos)
{
    if (FVertScrollBar->SmoothStep())
        ScrollAxisByPixel(FVertAxis.get(), FVertScrollBar.get(), Code, Pos);
    else
        ScrollAxisByCell(FVertAxis.get(), FVertScrollBar.get(), Code, Pos);
}

void TCustomGridEh::ScrollAxisByPixel(TGridAxisDataEh* A, TGridScrollBarEh* Bar, int Code, int64_t Pos)
{
    int64_t delta = 0;
    switch (Code) {
    case 0: delta = -A->GetScrollStep(); break;
    case 1: delta = A->GetScrollStep(); break;
    case 2: delta = -A->RolClientLen(); break;
    case 3: delta = A->RolClientLen(); break;
    case 6: delta = -A->RolStartVisPos(); break;
    case 7: delta = A->RolStopVisPos() - A->RolStartVisPos(); break;
    case 4: delta = Pos - A->RolStartVisPos(); break;
    case 5: delta = Bar->Tracking() ? Pos - A->RolStartVisPos() : 0; break;
    default: return;
    }
    A->SetRolStartVisPos(A->CheckRolStartVisPos(A->RolStartVisPos() + delta));
}

void TCustomGridEh::ScrollAxisByCell(TGridAxisDataEh* A, TGridScrollBarEh* Bar, int Code, int64_t Pos)
{
    int target = 0;
    switch (Code) {
    case 0:
        target = A->RolStartVisCelOfst() > 0 ? A->RolStartVisCel() : A->RolStartVisCel() - 1;
        break;
    case 1:
        target = A->RolStartVisCel() + 1;
        break;
    case 2: {
        const int64_t p = A->RolStartVisPos() - A->RolClientLen();
        int cel = 0, ofs = 0;
        A->RolCellAtPos(p, cel, ofs);
        target = ofs > 0 ? cel + 1 : cel;
        break;
    }
    case 3: {
        const int last = A->RolLastVisCel();
        const bool whole = last == A->RolLastFullVisCel();
        target = whole ? last + 1 : last;
        // A single cell longer than the room would never leave the top.
        if (target <= A->RolStartVisCel())
            target = A->RolStartVisCel() + 1;
        break;
    }
    case 6: target = 0; break;
    case 7: target = A->RolCelCount(); break;
    case 4:
    case 5: {
        if (Code == 5 && !Bar->Tracking())
            return;
        if (Pos == A->RolLen() - A->RolClientLen()) {
            target = A->RolCelCount() - 1;
        } else {
            int cel = 0, ofs = 0;
            A->RolCellAtPos(Pos, cel, ofs);
            target = (cel < A->RolCelCount() && ofs * 2 > A->RolCelLens(cel)) ? cel + 1 : cel;
        }
        break;
    }
    default: return;
    }
    A->SafeSetRolStartVisCel(target, sstByPixelEh);
}

void TCustomGridEh::ScrollCellIntoView(TGridCoord ACoord, bool Horz, bool Vert)
{
    if (!HandleAllocated())
        return;
    int64_t x = HorzScrollPos(), y = VertScrollPos();
    auto intoView = [](TGridAxisDataEh* A, int Index, int64_t& S) {
        const int r = Index - A->FixedCelCount();
        const int64_t p = A->RolLocCelPosArr(r);
        const int64_t l = A->RolCelLens(r);
        const int64_t w = A->ContraStart() - A->FixedBoundary();
        if (p < S) {
            S = p;
        } else if (p + l > S + w) {
            S = p + l - w;
            if (S > p)
                S = p;
        }
    };
    if (Horz && ACoord.X >= FixedColCount() && ACoord.X < ColCount())
        intoView(FHorzAxis.get(), ACoord.X, x);
    if (Vert && ACoord.Y >= FixedRowCount() && ACoord.Y < RowCount())
        intoView(FVertAxis.get(), ACoord.Y, y);
    if (!HorzSmoothStep())
        x = AlignedScrollPos(FHorzAxis.get(), x, false);
    FHorzAxis->SetRolStartVisPos(std::clamp<int64_t>(x, 0, FHorzAxis->RolLen()));
    if (!VertSmoothStep())
        y = AlignedScrollPos(FVertAxis.get(), y, true);
    FVertAxis->SetRolStartVisPos(std::clamp<int64_t>(y, 0, FVertAxis->RolLen()));
}

void TCustomGridEh::AxisScrollPosChanged(TGridAxisDataEh* Axis, int64_t OldPos)
{
    if (Axis == FHorzAxis.get())
        ScrollPositionChanged(OldPos, VertScrollPos());
    else
        ScrollPositionChanged(HorzScrollPos(), OldPos);
}

bool TCustomGridEh::FullRepaintOnScroll()
{
    return FBackgroundData->Showing();
}

void TCustomGridEh::ScrollPositionChanged(int64_t OldHorzPos, int64_t OldVertPos)
{
    UpdateScrollBars();
    if (!HandleAllocated())
        return;
    if (FEditorMode && FInplaceEdit && CanEditShow())
        UpdateEditor();
    TPoint cp;
    GetCursorPos(cp);
    cp = ScreenToClient(cp);
    UpdateHotTrack(cp.X, cp.Y);
    if (FullRepaintOnScroll()) {
        Invalidate();
        AfterScrollPositionChanged();
        return;
    }
    const int64_t dh = OldHorzPos - HorzScrollPos();
    const int64_t dv = OldVertPos - VertScrollPos();
    if (dh != 0 && dv == 0) {
        if (std::llabs(dh) >= FHorzAxis->RolClientLen()) {
            Invalidate();
        } else if (!UseRightToLeftAlignment()) {
            TRect r(FHorzAxis->FixedBoundary(), FVertAxis->GridClientStart(), FHorzAxis->RolInClientBoundary(),
                    FVertAxis->GridClientStop());
            ScrollWindowEx(Handle(), int(dh), 0, &r, &r, nullptr, nullptr, SW_INVALIDATE);
        } else {
            const int cw = ClientWidth();
            TRect r(cw - FHorzAxis->GridClientStop(), FVertAxis->GridClientStart(), cw - FHorzAxis->FixedBoundary(),
                    FVertAxis->GridClientStop());
            ScrollWindowEx(Handle(), int(-dh), 0, &r, &r, nullptr, nullptr, SW_INVALIDATE);
        }
    } else if (dv != 0 && dh == 0) {
        if (std::llabs(dv) >= FVertAxis->RolClientLen()) {
            Invalidate();
        } else {
            TRect r(FHorzAxis->GridClientStart(), FVertAxis->FixedBoundary(), FHorzAxis->GridClientStop(),
                    FVertAxis->ContraStart());
            if (UseRightToLeftAlignment()) {
                const int l = FHorzAxis->RightToLeftReflect(r.Right), rr = FHorzAxis->RightToLeftReflect(r.Left);
                r.Left = l;
                r.Right = rr;
            }
            ScrollWindowEx(Handle(), 0, int(dv), &r, &r, nullptr, nullptr, SW_INVALIDATE);
        }
    } else if (dv != 0 && dh != 0) {
        Invalidate();
    }
    AfterScrollPositionChanged();
}

// ---------------------------------------------------------------- wheel and panning

bool TCustomGridEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, Shift, MousePos, handled);
    if (handled)
        return true;
    TGridAxisDataEh* A = FVertAxis.get();
    if (VertSmoothStep()) {
        SetTopPos(VertScrollPos() + (Shift.Contains(ssCtrl) ? A->RolClientLen() : VertWheelStep()));
    } else {
        int target;
        if (Shift.Contains(ssCtrl)) {
            const int last = A->RolLastVisCel();
            target = last == A->RolLastFullVisCel() ? last + 1 : last;
        } else {
            target = A->RolStartVisCel() + 1;
        }
        A->SafeSetRolStartVisCel(target, sstByCellEh);
    }
    return true;
}

bool TCustomGridEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, Shift, MousePos, handled);
    if (handled)
        return true;
    TGridAxisDataEh* A = FVertAxis.get();
    if (VertSmoothStep()) {
        SetTopPos(VertScrollPos() - (Shift.Contains(ssCtrl) ? A->RolClientLen() : VertWheelStep()));
    } else {
        int target;
        if (Shift.Contains(ssCtrl)) {
            int cel = 0, ofs = 0;
            A->RolCellAtPos(A->RolStartVisPos() - A->RolClientLen(), cel, ofs);
            target = ofs > 0 ? cel + 1 : cel;
        } else {
            target = A->RolStartVisCelOfst() > 0 ? A->RolStartVisCel() : A->RolStartVisCel() - 1;
        }
        A->SafeSetRolStartVisCel(target, sstByPixelEh);
    }
    return true;
}

void TCustomGridEh::PanBy(TPoint Current, bool Begin)
{
    if (Begin) {
        FPanPoint = Current;
        return;
    }
    const int dy = Current.Y - FPanPoint.Y;
    if (std::abs(dy) > 1) {
        // A zero-height row still moves by one line per pixel rather than dividing by zero.
        const int h = std::max(1, RowHeights(TopRow()));
        if (std::abs(dy) < h)
            return;
        for (int i = std::abs(dy) / h; i > 0; --i)
            ScrollByCode(true, dy > 0 ? 0 : 1, 0, true);
        FPanPoint = TPoint(Current.X, Current.Y + dy % h);
        return;
    }
    const int dx = Current.X - FPanPoint.X;
    if (std::abs(dx) > 1) {
        const int w = std::max(1, ColWidths(LeftCol()));
        if (std::abs(dx) < w)
            return;
        for (int i = std::abs(dx) / w; i > 0; --i)
            ScrollByCode(false, dx > 0 ? 0 : 1, 0, true);
        FPanPoint = TPoint(Current.X + dx % w, Current.Y);
    }
}
