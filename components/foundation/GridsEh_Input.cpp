// Keyboard navigation, mouse presses and moves, range selection, the timer that scrolls while
// the mouse is held outside the rolling area, cell mouse events and hot tracking.
#include "GridsEh.h"
#include "platform/rtl/Guards.h"

#include "platform/vcl/Forms.h"
#include "platform/winapi/Messages.h"
#include "platform/winapi/WinUser.h"

#include <algorithm>

// ---------------------------------------------------------------- keyboard

void TCustomGridEh::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControlEh::KeyDown(Key, Shift);
    if (Key != 0)
        NavigationKeyDown(Key, Shift);
}

void TCustomGridEh::NavigationKeyDown(Word& Key, TShiftState Shift)
{
    TGridCoord nc = FCurCell;
    const bool rtl = UseRightToLeftAlignment();
    TGridAxisDataEh* v = FVertAxis.get();
    const int fixedRows = FixedRowCount();

    auto pageDownRow = [&]() {
        const int64_t visEnd = v->RolStartVisPos() + v->RolClientLen();
        int r;
        if (visEnd >= v->RolLen()) {
            r = v->RolCelCount() - 1;
        } else {
            const int64_t limit = visEnd + v->RolClientLen();
            if (limit >= v->RolLen()) {
                r = v->RolCelCount() - 1;
            } else {
                int cel = 0, ofs = 0;
                v->RolCellAtPos(limit, cel, ofs);
                r = ofs < v->RolCelLens(cel) ? cel - 1 : cel;
            }
        }
        int target = r + fixedRows;
        if (target <= FCurCell.Y)
            target = FCurCell.Y + 1;
        return target;
    };
    auto pageUpRow = [&]() {
        const int64_t p = v->RolStartVisPos() - v->RolClientLen();
        int r = 0;
        if (p > 0) {
            int cel = 0, ofs = 0;
            v->RolCellAtPos(p, cel, ofs);
            r = ofs > 0 ? cel + 1 : cel;
        }
        int target = r + fixedRows;
        if (target >= FCurCell.Y)
            target = FCurCell.Y - 1;
        return target;
    };

    if (Shift.Contains(ssShift) && FOptions.Contains(goRangeSelectEh)) {
        TGridCoord a = FAnchorCell;
        switch (Key) {
        case VK_LEFT: --a.X; break;
        case VK_UP: --a.Y; break;
        case VK_RIGHT: ++a.X; break;
        case VK_DOWN: ++a.Y; break;
        default: break;
        }
        a.X = std::clamp(a.X, FixedColCount() - FrozenColCount(), FullColCount() - 1);
        a.Y = std::clamp(a.Y, FixedRowCount() - FrozenRowCount(), FullRowCount() - 1);
        SetAnchorCell(a.X, a.Y);
        return;
    }
    if (Shift.Contains(ssCtrl)) {
        switch (Key) {
        case VK_PRIOR: nc.Y = TopRow(); break;
        case VK_END:
            nc = GridCoord(ColCount() - 1, RowCount() - 1);
            if (rtl)
                Invalidate();
            break;
        case VK_HOME:
            nc = GridCoord(FixedColCount(), FixedRowCount());
            if (rtl)
                Invalidate();
            break;
        default: break;
        }
    } else {
        switch (Key) {
        case VK_UP: --nc.Y; break;
        case VK_DOWN: ++nc.Y; break;
        case VK_LEFT: nc.X += rtl ? 1 : -1; break;
        case VK_RIGHT: nc.X += rtl ? -1 : 1; break;
        case VK_HOME: nc.X = FixedColCount(); break;
        case VK_END: nc.X = ColCount() - 1; break;
        case VK_NEXT: nc.Y = pageDownRow(); break;
        case VK_PRIOR: nc.Y = pageUpRow(); break;
        case VK_F2: SetEditorMode(true); break;
        case VK_TAB:
            if (!Shift.Contains(ssAlt)) {
                // Every step keeps the direction the key started with.
                const bool back = Shift.Contains(ssShift);
                do {
                    if (back) {
                        --nc.X;
                        if (nc.X < FixedColCount()) {
                            nc.X = ColCount() - 1;
                            --nc.Y;
                            if (nc.Y < FixedRowCount())
                                nc.Y = RowCount() - 1;
                        }
                    } else {
                        ++nc.X;
                        if (nc.X > ColCount() - 1) {
                            nc.X = FixedColCount();
                            ++nc.Y;
                            if (nc.Y > RowCount() - 1)
                                nc.Y = FixedRowCount();
                        }
                    }
                } while (!IsTabStopCol(nc.X) && nc.X != FCurCell.X);
            }
            break;
        default: break;
        }
    }
    nc.X = std::clamp(nc.X, std::max(0, FixedColCount() - FrozenColCount()), ColCount() - 1);
    nc.Y = std::clamp(nc.Y, std::max(0, FixedRowCount() - FrozenRowCount()), RowCount() - 1);
    if (!(nc == FCurCell))
        MoveToCell(nc.X, nc.Y);
}

void TCustomGridEh::KeyPress(QChar& Key)
{
    TCustomControlEh::KeyPress(Key);
    if (!FOptions.Contains(goAlwaysShowEditorEh) && FOptions.Contains(goEditingEh) && Key == QChar(13)) {
        if (FEditorMode)
            HideEdit();
        else
            ShowEditor();
        Key = QChar(0);
    }
}

bool TCustomGridEh::EditorKeyNavigates(Word Key, TShiftState Shift)
{
    const bool always = FOptions.Contains(goAlwaysShowEditorEh);
    switch (Key) {
    case VK_TAB: return !Shift.Contains(ssAlt);
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN: return true;
    case VK_INSERT: return !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
    case VK_DELETE: return Shift.Contains(ssCtrl);
    case VK_RIGHT:
    case VK_END:
    case VK_LEFT:
    case VK_HOME: {
        if (!always)
            return false;
        if (Shift.Contains(ssCtrl))
            return true;
        int selStart = 0, selEnd = 0, len = 0;
        if (!EditorSelection(selStart, selEnd, len))
            return false;
        const bool nothingOrAll = selStart == selEnd || (selStart == 0 && selEnd == len);
        if (Key == VK_RIGHT || Key == VK_END)
            return nothingOrAll && selEnd == len;
        return nothingOrAll && selStart == 0;
    }
    default: return false;
    }
}

void TCustomGridEh::WMChar(TMessage& M)
{
    const QChar ch(char16_t(M.WParam));
    if (FOptions.Contains(goEditingEh) && (ch == QChar(8) || ch.unicode() >= 32) && CanEditModify())
        ShowEditorChar(ch);
    else
        TCustomControlEh::WMChar(M);
}

void TCustomGridEh::WMGetDlgCode(TMessage& M)
{
    M.Result = DLGC_WANTARROWS;
    if (FOptions.Contains(goRowSelectEh))
        return;
    if (FOptions.Contains(goTabsEh))
        M.Result |= DLGC_WANTTAB;
    if (FOptions.Contains(goEditingEh))
        M.Result |= DLGC_WANTCHARS;
}

void TCustomGridEh::CMWantSpecialKey(TMessage& M)
{
    TCustomControlEh::CMWantSpecialKey(M);
    if (FOptions.Contains(goEditingEh) && (M.WParam & 0xFFFF) == VK_RETURN)
        M.Result = 1;
}

// ---------------------------------------------------------------- mouse

void TCustomGridEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    HideEditor();
    if (!Designing() && CanFocus()) {
        FocusGrid();
        if (!IsActiveControl()) {
            SetMouseCapture(false);
            return;
        }
    }
    if (Button == mbLeft && Shift.Contains(ssDouble)) {
        DblClick();
    } else if (Button == mbLeft) {
        bool moveLineShown = false;
        CalcSizingState(X, Y, FGridState, FSizingIndex, FSizingPos, FSizingOfs);
        if (FGridState == gsColSizingEh || FGridState == gsRowSizingEh) {
            if (FGridState == gsColSizingEh && UseRightToLeftAlignment())
                FSizingPos = ClientWidth() - FSizingPos;
            DrawSizingLine();
            return;
        }
        const TGridCoord cell = CellAtPoint(X, Y);
        const bool outside = cell.X < FixedColCount() - FrozenColCount() || cell.Y < FixedRowCount() - FrozenRowCount() ||
                             cell.X >= ColCount() || cell.Y >= RowCount();
        if (outside) {
            if (FOptions.Contains(goRowMovingEh) && cell.X >= 0 && cell.X < FixedColCount() &&
                cell.Y >= FixedRowCount() && cell.Y < RowCount()) {
                FMoveIndex = FMovePos = cell.Y;
                if (CanStartRowMove(FMoveIndex, FMovePos, TPoint(X, Y))) {
                    BeginRowMove(FMoveIndex);
                    moveLineShown = true;
                }
            } else if (FOptions.Contains(goColMovingEh) && cell.Y >= 0 && cell.Y < FixedRowCount() &&
                       cell.X >= FixedColCount() && cell.X < ColCount()) {
                int o = cell.X, d = cell.X;
                if (CanStartColMove(o, d, TPoint(X, Y))) {
                    BeginMoveAt(cell.X, X, Y);
                    moveLineShown = true;
                }
            }
        } else if (FOptions.Contains(goEditingEh)) {
            if (cell == FCurCell) {
                ShowEditor();
            } else {
                if (FOptions.Contains(goRangeSelectEh)) {
                    FGridState = gsSelectingEh;
                    StartGridTimer(60);
                }
                if (Shift.Contains(ssShift))
                    SetAnchorCell(cell.X, cell.Y);
                else
                    SetCurrentCell(cell.X, cell.Y, true, true);
                UpdateEditor();
            }
            Click();
        } else {
            FGridState = gsSelectingEh;
            StartGridTimer(60);
            if (Shift.Contains(ssShift))
                SetAnchorCell(cell.X, cell.Y);
            else
                SetCurrentCell(cell.X, cell.Y, true, true);
        }
        try {
            TCustomControlEh::MouseDown(Button, Shift, X, Y);
        } catch (...) {
            if (moveLineShown)
                HideMoveLine();
        }
        return;
    }
    TCustomControlEh::MouseDown(Button, Shift, X, Y);
}

void TCustomGridEh::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FGridState == gsColSizingEh || FGridState == gsRowSizingEh) {
        DrawSizingLine();
        FSizingPos = (FGridState == gsRowSizingEh ? Y : X) + FSizingOfs;
        DrawSizingLine();
        TCustomControlEh::MouseMove(Shift, X, Y);
        return;
    }
    if (FGridState == gsNormalEh) {
        UpdateHotTrack(X, Y);
        TCustomControlEh::MouseMove(Shift, X, Y);
        return;
    }
    TGridCoord cell = CellAtPoint(X, Y);
    bool ignore = false;
    if (!Designing()) {
        const int minCol = FixedColCount() - FrozenColCount();
        const int maxCol = std::min(LastFullVisibleCol(), ColCount() - 1);
        const int minRow = FixedRowCount() - FrozenRowCount();
        const int maxRow = std::min(LastFullVisibleRow(), RowCount() - 1);
        const bool colIn = cell.X >= minCol && cell.X <= maxCol;
        const bool rowIn = cell.Y >= minRow && cell.Y <= maxRow;
        if (!colIn) {
            if (rowIn)
                cell.X = FAnchorCell.X;
            else
                ignore = true;
        }
        if (!rowIn)
            cell.Y = FAnchorCell.Y;
    }
    if (!ignore) {
        if (FGridState == gsSelectingEh) {
            if (!(cell == FAnchorCell) && cell.X >= 0 && cell.Y >= 0)
                SetAnchorCell(cell.X, cell.Y);
        } else if (FGridState == gsRowMovingEh) {
            TrackMoveLine(Y, cell.Y, TPoint(X, Y), true);
        } else if (FGridState == gsColMovingEh) {
            TrackMoveLine(X, cell.X, TPoint(X, Y), false);
        }
    }
    TCustomControlEh::MouseMove(Shift, X, Y);
}

void TCustomGridEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const TGridStateEh state = FGridState;
    const TPoint pt(X, Y);
    switch (state) {
    case gsSelectingEh:
        MouseMove(Shift, X, Y);
        FGridState = gsNormalEh;
        StopGridTimer();
        UpdateEditor();
        Click();
        break;
    case gsColSizingEh:
    case gsRowSizingEh: {
        DrawSizingLine();
        FGridState = gsNormalEh;
        if (state == gsColSizingEh && UseRightToLeftAlignment())
            FSizingPos = ClientWidth() - FSizingPos;
        TGridAxisDataEh* axis = state == gsColSizingEh ? FHorzAxis.get() : FVertAxis.get();
        const int newLen = CalcSizingLength(axis);
        if (newLen > 1) {
            if (state == gsColSizingEh)
                SetColWidths(FSizingIndex, newLen);
            else
                SetRowHeights(FSizingIndex, newLen);
        }
        break;
    }
    case gsRowMovingEh: {
        HideMoveLine();
        StopGridTimer();
        FGridState = gsNormalEh;
        int from = FMoveIndex, to = FMovePos;
        if (CanFinishRowMove(from, to, pt) && from != to)
            MoveRowExtent(from, to);
        UpdateEditor();
        break;
    }
    case gsColMovingEh: {
        HideMoveLine();
        StopGridTimer();
        FGridState = gsNormalEh;
        int from = FMoveIndex, to = FMovePos;
        if (AdjustMoveIndexes(from, to, pt) && from != to)
            MoveColExtent(from, to);
        UpdateEditor();
        break;
    }
    default:
        UpdateEditor();
        break;
    }
    FGridState = gsNormalEh;
    TCustomControlEh::MouseUp(Button, Shift, X, Y);
}

void TCustomGridEh::ButtonDown(TMessage& M, TMouseButton Button)
{
    FLastClickTime = GridMessageTime();
    if (FInplaceEdit)
        FInplaceEdit->FClickTime = FLastClickTime;
    const TPoint p = SmallPointToPointEh(M.LParam);
    FMouseDownCell = CellAtPoint(p.X, p.Y);
    if (FMouseDownCell.X >= 0 || FMouseDownCell.Y >= 0) {
        const TRect r = CellRectEx(FMouseDownCell.X, FMouseDownCell.Y);
        CellMouseDown(FMouseDownCell, Button, KeysToShiftState(UINT(M.WParam)), r, p, TPoint(p.X - r.Left, p.Y - r.Top));
    } else {
        FMouseDownCell = GridCoord(-1, -1);
    }
}

void TCustomGridEh::ButtonUp(TMessage& M, TMouseButton Button, bool Double)
{
    const TPoint p = SmallPointToPointEh(M.LParam);
    const TGridCoord cell = CellAtPoint(p.X, p.Y);
    if (FMouseDownCell.X >= 0 && FMouseDownCell.Y >= 0 && cell == FMouseDownCell) {
        TShiftState shift = KeysToShiftState(UINT(M.WParam));
        if (Double)
            shift.Include(ssDouble);
        const TRect r = CellRectEx(cell.X, cell.Y);
        CellMouseClick(cell, Button, shift, r, p, TPoint(p.X - r.Left, p.Y - r.Top));
    }
}

void TCustomGridEh::WMLButtonDown(TMessage& M) { TCustomControlEh::WMLButtonDown(M); ButtonDown(M, mbLeft); }
void TCustomGridEh::WMRButtonDown(TMessage& M) { TCustomControlEh::WMRButtonDown(M); ButtonDown(M, mbRight); }
void TCustomGridEh::WMMButtonDown(TMessage& M) { TCustomControlEh::WMMButtonDown(M); ButtonDown(M, mbMiddle); }

template <class F> void TCustomGridEh::CellButtonUp(TMessage& M, TMouseButton Button, bool Double, F Inherited)
{
    const bool fire = CanFireCellMouseEvent(M);
    Inherited();
    if (fire)
        ButtonUp(M, Button, Double);
}

void TCustomGridEh::WMLButtonUp(TMessage& M) { CellButtonUp(M, mbLeft, false, [&] { TCustomControlEh::WMLButtonUp(M); }); }
void TCustomGridEh::WMRButtonUp(TMessage& M) { CellButtonUp(M, mbRight, false, [&] { TCustomControlEh::WMRButtonUp(M); }); }
void TCustomGridEh::WMMButtonUp(TMessage& M) { CellButtonUp(M, mbMiddle, false, [&] { TCustomControlEh::WMMButtonUp(M); }); }
void TCustomGridEh::WMLButtonDblClk(TMessage& M) { CellButtonUp(M, mbLeft, true, [&] { TCustomControlEh::WMLButtonDblClk(M); }); }
void TCustomGridEh::WMRButtonDblClk(TMessage& M) { CellButtonUp(M, mbRight, true, [&] { TCustomControlEh::WMRButtonDblClk(M); }); }
void TCustomGridEh::WMMButtonDblClk(TMessage& M) { CellButtonUp(M, mbMiddle, true, [&] { TCustomControlEh::WMMButtonDblClk(M); }); }

bool TCustomGridEh::CanDblClickAtMessage(TMessage& Message)
{
    TMouseButton button = mbLeft;
    if (Message.Msg == WM_RBUTTONDBLCLK)
        button = mbRight;
    else if (Message.Msg == WM_MBUTTONDBLCLK)
        button = mbMiddle;
    const TShiftState shift = KeysToShiftState(UINT(Message.WParam));
    TPoint p = SmallPointToPointEh(Message.LParam);
    if (Width() > 32768 || Height() > 32768) {
        GetCursorPos(p);
        p = ScreenToClient(p);
    }
    const TGridCoord cell = CellAtPoint(p.X, p.Y);
    if (cell.X < 0 && cell.Y < 0)
        return true;
    const TRect r = CellRectEx(cell.X, cell.Y);
    return CanCellDblClick(cell, button, TPoint(p.X - r.Left, p.Y - r.Top), p, shift);
}

void TCustomGridEh::WndProc(TMessage& Message)
{
    if ((Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_RBUTTONDBLCLK || Message.Msg == WM_MBUTTONDBLCLK) &&
        !CanDblClickAtMessage(Message)) {
        ControlStyle.Exclude(csDoubleClicks);
        {
            auto cleanup = Finally([&] { ControlStyle.Include(csDoubleClicks); });
            TCustomControlEh::WndProc(Message);
        }
        return;
    }
    TCustomControlEh::WndProc(Message);
}

// ---------------------------------------------------------------- timer and states

void TCustomGridEh::StartGridTimer(int Interval)
{
    if (HandleAllocated()) {
        SetTimer(Handle(), 1, UINT(Interval));
        FTimerActive = true;
    }
}

void TCustomGridEh::StopGridTimer()
{
    if (FTimerActive && HandleAllocated())
        KillTimer(Handle(), 1);
    FTimerActive = false;
}

void TCustomGridEh::WMTimer(TMessage& M)
{
    if (M.WParam != 1)
        return;
    TPoint p;
    GetCursorPos(p);
    TimerTick(ScreenToClient(p));
}

void TCustomGridEh::TimerTick(TPoint P)
{
    if (FGridState == gsSelectingEh) {
        int flags = 0;
        if (!UseRightToLeftAlignment()) {
            if (P.X < FHorzAxis->FixedBoundary())
                flags |= 1;
            else if (P.X > FHorzAxis->ContraStart())
                flags |= 2;
        } else {
            const int cw = ClientWidth();
            if (P.X < cw - FHorzAxis->ContraStart())
                flags |= 2;
            else if (P.X > cw - FHorzAxis->FixedBoundary())
                flags |= 1;
        }
        if (P.Y < FVertAxis->FixedBoundary())
            flags |= 4;
        else if (P.Y > FVertAxis->ContraStart())
            flags |= 8;
        if (flags)
            MoveAnchorBy(flags);
    } else if (FGridState == gsRowMovingEh) {
        TrackMoveLine(P.Y, CellAtPoint(P.X, P.Y).Y, P, true);
    } else if (FGridState == gsColMovingEh) {
        const int64_t oldLeft = LeftCol(), oldPos = HorzScrollPos();
        const TGridCoord cell = CellAtPoint(P.X, P.Y);
        TrackMoveLine(P.X, cell.X, P, false);
        const bool scrolledRight = LeftCol() > oldLeft || HorzScrollPos() > oldPos;
        TPoint sp = ClientToScreen(P);
        const int interval = ColMoveTimerInterval(P.X, sp.X, GetSystemMetrics(SM_CXSCREEN), scrolledRight);
        StartGridTimer(interval);
    }
}

void TCustomGridEh::CancelGridState()
{
    switch (FGridState) {
    case gsSelectingEh: StopGridTimer(); break;
    case gsRowSizingEh:
    case gsColSizingEh: DrawSizingLine(); break;
    case gsRowMovingEh:
    case gsColMovingEh:
        HideMoveLine();
        StopGridTimer();
        break;
    default: break;
    }
    FGridState = gsNormalEh;
}

void TCustomGridEh::WMCancelMode(TMessage& M)
{
    TCustomControlEh::WMCancelMode(M);
    CancelGridState();
}

void TCustomGridEh::CMCancelMode(TMessage& M)
{
    TCustomControlEh::CMCancelMode(M);
    CancelGridState();
}

void TCustomGridEh::WMSetCursor(TMessage& M)
{
    TGridStateEh state = FGridState;
    if (state == gsNormalEh) {
        int idx = 0, pos = 0, ofs = 0;
        TPoint p;
        GetCursorPos(p);
        p = ScreenToClient(p);
        CalcSizingState(p.X, p.Y, state, idx, pos, ofs);
    }
    if ((state == gsRowSizingEh || state == gsColSizingEh) && HandleAllocated()) {
        ShowWindowCursor(state == gsRowSizingEh ? crVSplit : crHSplit);
        M.Result = 1;
        return;
    }
    TCustomControlEh::WMSetCursor(M);
}

// ---------------------------------------------------------------- focus

void TCustomGridEh::DoExit()
{
    TCustomControlEh::DoExit();
    if (!FOptions.Contains(goAlwaysShowEditorEh))
        HideEdit();
}

void TCustomGridEh::WMKillFocus(TMessage& M)
{
    TCustomControlEh::WMKillFocus(M);
    Invalidate();
    if (!EditorOwnsWindow(HWND(M.WParam)))
        HideEditor();
}

void TCustomGridEh::WMSetFocus(TMessage& M)
{
    TCustomControlEh::WMSetFocus(M);
    if (!EditorOwnsWindow(HWND(M.WParam))) {
        Invalidate();
        UpdateEditor();
    }
}

void TCustomGridEh::CMMouseLeave(TMessage& M)
{
    TCustomControlEh::CMMouseLeave(M);
    TPoint p;
    GetCursorPos(p);
    p = ScreenToClient(p);
    UpdateHotTrack(p.X, p.Y);
}

// ---------------------------------------------------------------- hot tracking

void TCustomGridEh::UpdateHotTrack(int X, int Y)
{
    if (Designing())
        return;
    const TGridCoord cell = CellAtPoint(X, Y);
    auto inside = [this](TGridCoord c) { return c.X >= 0 && c.Y >= 0 && c.X < FullColCount() && c.Y < FullRowCount(); };
    if (CellHotTrackable(cell.X, cell.Y)) {
        if (!(cell == FHotTrackCell)) {
            if (inside(FHotTrackCell))
                InvalidateCell(FHotTrackCell.X, FHotTrackCell.Y);
            FHotTrackCell = cell;
            if (inside(cell))
                InvalidateCell(cell.X, cell.Y);
        }
    } else if (FHotTrackCell.X >= 0 || FHotTrackCell.Y >= 0) {
        if (inside(FHotTrackCell))
            InvalidateCell(FHotTrackCell.X, FHotTrackCell.Y);
        FHotTrackCell = GridCoord(-1, -1);
    }
    if (inside(FHotTrackCell)) {
        const TRect r = CellRectEx(FHotTrackCell.X, FHotTrackCell.Y);
        FHotTrackInCellPos = TPoint(X - r.Left, Y - r.Top);
    }
    GetHotTrackSpotAt(FNewHotTrackSpot.get(), X, Y);
    if (!SameHotTrackSpot(FOldHotTrackSpot.get(), FNewHotTrackSpot.get())) {
        if (FNewHotTrackSpot->Col >= 0 && FNewHotTrackSpot->Row >= 0)
            InvalidateSpotCell(FNewHotTrackSpot.get());
        if (FOldHotTrackSpot->Col >= 0 && FOldHotTrackSpot->Row >= 0)
            InvalidateSpotCell(FOldHotTrackSpot.get());
        FOldHotTrackSpot->Assign(FNewHotTrackSpot.get());
    }
}

void TCustomGridEh::GetHotTrackSpotAt(TGridHotTrackSpotEh* Spot, int X, int Y)
{
    if (Designing())
        return;
    const TGridCoord cell = CellAtPoint(X, Y);
    if (!CellHotTrackable(cell.X, cell.Y)) {
        Spot->Col = -1;
        Spot->Row = -1;
        return;
    }
    Spot->Col = cell.X;
    Spot->Row = cell.Y;
    if (cell.X >= 0 && cell.Y >= 0) {
        const TRect r = CellRectEx(cell.X, cell.Y);
        Spot->InCellX = X - r.Left + (cell.X == LeftCol() ? LeftColOffset() : 0);
        Spot->InCellY = Y - r.Top + (cell.Y == TopRow() ? FVertAxis->RolStartVisCelOfst() : 0);
    }
}

void TCustomGridEh::CMFontChanged(TMessage& M)
{
    EditorFontChanged();
    TCustomControlEh::CMFontChanged(M);
}
