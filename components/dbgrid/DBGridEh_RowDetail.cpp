// The row detail panel: its settings, its window under the current row, the glyph strip that
// opens it, and the grid's streaming of the window with the controls on it.
#include "DBGridEh.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Guards.h"

#include <algorithm>

DOV_PUBLISHED(TRowDetailPanelEh)
{
    using T = TRowDetailPanelEh;
    P.Prop("Active", &T::Active, &T::SetActive).Default(false);
    P.Prop("ActiveControl", &T::ActiveControl, &T::SetActiveControl);
    P.Prop("BevelEdges", &T::BevelEdges, &T::SetBevelEdges)
        .Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
    P.Prop("BevelInner", &T::BevelInner, &T::SetBevelInner).Default(bvRaised);
    P.Prop("BevelOuter", &T::BevelOuter, &T::SetBevelOuter).Default(bvLowered);
    P.Prop("BevelKind", &T::BevelKind, &T::SetBevelKind).Default(bkNone);
    P.Prop("BevelWidth", &T::BevelWidth, &T::SetBevelWidth).Default(1);
    P.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
    P.Prop("Color", &T::Color, &T::SetColor).NoDefault().Stored(&T::IsColorStored);
    P.Prop("Height", &T::Height, &T::SetHeight).Default(120);
    P.Prop("MaxHeight", &T::MaxHeight, &T::SetMaxHeight).Default(0);
    P.Prop("MinHeight", &T::MinHeight, &T::SetMinHeight).Default(1);
    P.Prop("ParentColor", &T::ParentColor, &T::SetParentColor).Default(false);
    P.Prop("ParentPopupMenu", &T::ParentPopupMenu, &T::SetParentPopupMenu).Default(true);
    P.Prop("SizingBarBeveled", &T::SizingBarBeveled, &T::SetSizingBarBeveled).Default(true);
    P.Prop("SizingBarHeight", &T::SizingBarHeight, &T::SetSizingBarHeight).Default(8);
    P.Prop("VertSizing", &T::VertSizing, &T::SetVertSizing).Default(false);
    P.Prop("Width", &T::Width, &T::SetWidth).Default(0);
}

DOV_PUBLISHED(TRowDetailPanelControlEh) {}

// ============================================================================================
// TRowDetailPanelEh
// ============================================================================================

TRowDetailPanelEh::TRowDetailPanelEh(TCustomDBGridEh* AGrid) : FGrid(AGrid), FColor(AGrid->FixedColor()) {}

TPersistent* TRowDetailPanelEh::GetOwner() const { return FGrid; }

void TRowDetailPanelEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TRowDetailPanelEh*>(Source)) {
        SetActive(src->Active());
        return;
    }
    TPersistent::Assign(Source);
}

void TRowDetailPanelEh::Changed() { FGrid->UpdateRowDetailPanelControl(); }

void TRowDetailPanelEh::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    if (!Value)
        SetVisible(false);
    FActive = Value;
    if (Value && FGrid->Designing() && !FGrid->IsLoading())
        SetVisible(true);
    FGrid->UpdateRowDetailPanelControl();
    FGrid->LayoutChanged();
}

void TRowDetailPanelEh::SetWidth(int Value)
{
    Value = std::max(Value, 0);
    if (Value == FWidth)
        return;
    FWidth = Value;
    Changed();
}

int TRowDetailPanelEh::ClampHeight(int Value) const
{
    Value = std::max(FMinHeight, Value);
    if (FMaxHeight > 0)
        Value = std::min(Value, FMaxHeight);
    return Value;
}

void TRowDetailPanelEh::SetHeight(int Value)
{
    Value = ClampHeight(Value);
    if (Value == FHeight)
        return;
    FHeight = Value;
    Changed();
}

void TRowDetailPanelEh::SetMinHeight(int Value)
{
    Value = std::max(Value, 0);
    if (Value == FMinHeight)
        return;
    FMinHeight = Value;
    if (FHeight < FMinHeight)
        FHeight = FMinHeight;
    Changed();
}

void TRowDetailPanelEh::SetMaxHeight(int Value)
{
    Value = std::max(Value, 0);
    if (Value == FMaxHeight)
        return;
    FMaxHeight = Value;
    Changed();
}

void TRowDetailPanelEh::SetVertSizing(bool Value)
{
    if (Value == FVertSizing)
        return;
    FVertSizing = Value;
    if (FMaxHeight > 0 && FMaxHeight < FHeight)
        FHeight = FMaxHeight;
    Changed();
}

void TRowDetailPanelEh::SetSizingBarHeight(int Value)
{
    Value = std::max(Value, 0);
    if (Value == FSizingBarHeight)
        return;
    FSizingBarHeight = Value;
    Changed();
}

void TRowDetailPanelEh::SetSizingBarBeveled(bool Value)
{
    if (Value == FSizingBarBeveled)
        return;
    FSizingBarBeveled = Value;
    Changed();
}

void TRowDetailPanelEh::SetActiveControl(TWinControl* Value)
{
    if (Value == FActiveControl)
        return;
    FActiveControl = Value;
    if (Value)
        Value->FreeNotification(FGrid);
}

void TRowDetailPanelEh::SetBevelEdges(TBevelEdges Value)
{
    if (Value == FBevelEdges)
        return;
    FBevelEdges = Value;
    Changed();
}

void TRowDetailPanelEh::SetBevelInner(TBevelCut Value)
{
    if (Value == FBevelInner)
        return;
    FBevelInner = Value;
    Changed();
}

void TRowDetailPanelEh::SetBevelOuter(TBevelCut Value)
{
    if (Value == FBevelOuter)
        return;
    FBevelOuter = Value;
    Changed();
}

void TRowDetailPanelEh::SetBevelKind(TBevelKind Value)
{
    if (Value == FBevelKind)
        return;
    FBevelKind = Value;
    Changed();
}

void TRowDetailPanelEh::SetBevelWidth(int Value)
{
    Value = std::max(Value, 1);
    if (Value == FBevelWidth)
        return;
    FBevelWidth = Value;
    Changed();
}

void TRowDetailPanelEh::SetBorderStyle(TBorderStyle Value)
{
    if (Value == FBorderStyle)
        return;
    FBorderStyle = Value;
    Changed();
}

TColor TRowDetailPanelEh::Color() const { return FParentColor ? FGrid->Color() : FColor; }

void TRowDetailPanelEh::SetColor(TColor Value)
{
    FParentColor = false;
    if (Value == FColor)
        return;
    FColor = Value;
    Changed();
}

bool TRowDetailPanelEh::IsColorStored() const { return !FParentColor && FColor != FGrid->FixedColor(); }

void TRowDetailPanelEh::SetParentColor(bool Value)
{
    if (Value == FParentColor)
        return;
    FParentColor = Value;
    Changed();
}

void TRowDetailPanelEh::SetParentPopupMenu(bool Value)
{
    FParentPopupMenu = Value;
    if (TRowDetailPanelControlEh* window = FGrid->RowDetailPanelControl())
        window->SetParentPopupMenu(Value);
}

void TRowDetailPanelEh::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    TCustomDBGridEh* g = FGrid;
    TDataSet* ds = g->DataLink() && g->DataLink()->Active() ? g->DataLink()->DataSet() : nullptr;
    if (Value && (!ds || ds->IsEmpty()))
        return;
    if (!g->BeingDestroyed()) {
        bool allowed = true;
        if (Value) {
            if (g->Center())
                g->Center()->RowDetailPanelShow(g, allowed);
            if (g->OnRowDetailPanelShow.Assigned())
                g->OnRowDetailPanelShow(g, allowed);
        } else {
            if (g->Center())
                g->Center()->RowDetailPanelHide(g, allowed);
            if (g->OnRowDetailPanelHide.Assigned())
                g->OnRowDetailPanelHide(g, allowed);
        }
        if (!allowed)
            return;
    }
    FVisible = Value;
    g->FRowDetailBookmark = Value && ds ? ds->Bookmark() : TBookmark();
    g->UpdateRowDetailPanelControl();
    if (g->BeingDestroyed())
        return;
    if (Value && g->HandleAllocated()) {
        // The row with its panel comes into view, its top first when both do not fit.
        g->ScrollCellIntoView(TGridCoord{g->Col(), g->Row()}, true, true);
        const TRect row = g->CalcCellRangeRect(TGridRect{g->Col(), g->Row(), g->Col(), g->Row()}, false);
        const int bottom = g->VertAxis()->ContraStart();
        const int top = g->VertAxis()->FixedBoundary();
        if (row.Bottom > bottom) {
            const int64_t pos = g->VertScrollPos();
            const int shift = row.Height() > bottom - top ? row.Top - top : row.Bottom - bottom;
            g->SetTopPos(pos + shift);
            g->UpdateRowDetailPanelControl();
        }
    }
    g->Invalidate();
    g->UpdateScrollBars();
}

// ============================================================================================
// TRowDetailPanelControlEh
// ============================================================================================

TRowDetailPanelControlEh::TRowDetailPanelControlEh(TComponent* AOwner) : TCustomControl(AOwner)
{
    ControlStyle = ControlStyle | TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csReplicatable};
    FWidth = 185;
    FHeight = 41;
    FParentColor = false;
}

TCustomDBGridEh* TRowDetailPanelControlEh::Grid() const
{
    auto* grid = dynamic_cast<TCustomDBGridEh*>(Parent());
    return grid && grid->RowDetailPanelControl() == this ? grid : nullptr;
}

void TRowDetailPanelControlEh::FrameChanged()
{
    // The frame and the bar live outside the client area: its margins change with them.
    if (HandleAllocated())
        UpdateNonClient();
    Realign();
    Invalidate();
}

void TRowDetailPanelControlEh::SetBorderStyle(TBorderStyle Value)
{
    if (Value == FBorderStyle)
        return;
    FBorderStyle = Value;
    FrameChanged();
}

void TRowDetailPanelControlEh::SetVertSizing(bool Value)
{
    if (Value == FVertSizing)
        return;
    FVertSizing = Value;
    FrameChanged();
}

void TRowDetailPanelControlEh::SetSizingBarHeight(int Value)
{
    if (Value == FSizingBarHeight)
        return;
    FSizingBarHeight = Value;
    FrameChanged();
}

void TRowDetailPanelControlEh::SetSizingBarBeveled(bool Value)
{
    if (Value == FSizingBarBeveled)
        return;
    FSizingBarBeveled = Value;
    Invalidate();
}

void TRowDetailPanelControlEh::SetBevelEdges(TBevelEdges Value)
{
    if (Value == FBevelEdges)
        return;
    FBevelEdges = Value;
    Invalidate();
}

void TRowDetailPanelControlEh::SetBevelInner(TBevelCut Value)
{
    if (Value == FBevelInner)
        return;
    FBevelInner = Value;
    Invalidate();
}

void TRowDetailPanelControlEh::SetBevelOuter(TBevelCut Value)
{
    if (Value == FBevelOuter)
        return;
    FBevelOuter = Value;
    Invalidate();
}

void TRowDetailPanelControlEh::SetBevelKind(TBevelKind Value)
{
    if (Value == FBevelKind)
        return;
    FBevelKind = Value;
    FrameChanged();
}

void TRowDetailPanelControlEh::SetBevelWidth(int Value)
{
    if (Value == FBevelWidth)
        return;
    FBevelWidth = Value;
    FrameChanged();
}

void TRowDetailPanelControlEh::SetHeightConstraints(int MinHeight, int MaxHeight)
{
    FMinHeight = MinHeight;
    FMaxHeight = MaxHeight;
}

int TRowDetailPanelControlEh::FrameWidth() const
{
    int w = FBorderStyle == bsSingle ? 1 : 0;
    if (FBevelKind != bkNone)
        w += FBevelKind == bkFlat ? FBevelWidth : 2 * FBevelWidth;
    return w;
}

int TRowDetailPanelControlEh::BarHeight() const { return FVertSizing ? std::max(0, FSizingBarHeight) : 0; }

TRect TRowDetailPanelControlEh::SizingBarRect() const
{
    if (!FVertSizing)
        return TRect(0, 0, 0, 0);
    const int f = FrameWidth();
    return TRect(f, FHeight - f - BarHeight(), FWidth - f, FHeight - f);
}

bool TRowDetailPanelControlEh::InSizingArea(int X, int Y) const
{
    if (!FVertSizing)
        return false;
    const TRect bar = SizingBarRect();
    return X >= bar.Left && X < bar.Right && Y >= bar.Top - FSizingBarHeight && Y < bar.Bottom;
}

void TRowDetailPanelControlEh::WMNCCalcSize(TMessage& M)
{
    auto* r = reinterpret_cast<TRect*>(M.LParam);
    const int f = FrameWidth();
    InflateRect(*r, -f, -f);
    r->Bottom = std::max(r->Top, r->Bottom - BarHeight());
}

void TRowDetailPanelControlEh::WMNCPaint(TMessage& M)
{
    HDC dc = reinterpret_cast<HDC>(M.LParam);
    if (!dc)
        return;
    TCanvas frame;
    frame.SetHandle(dc);
    auto release = Finally([&frame] { frame.SetHandle(nullptr); });
    const TRect whole(0, 0, FWidth, FHeight);
    if (FBorderStyle == bsSingle) {
        frame.Brush()->SetColor(clWindowFrame);
        frame.FrameRect(whole);
    }
    if (FBevelKind != bkNone) {
        const int f = FBorderStyle == bsSingle ? 1 : 0;
        frame.Brush()->SetColor(Color());
        TRect bevel = whole;
        InflateRect(bevel, -f, -f);
        frame.Brush()->SetColor(clBtnShadow);
        frame.FrameRect(bevel);
    }
    if (FVertSizing && FSizingBarHeight > 0) {
        TRect bar = SizingBarRect();
        if (FSizingBarBeveled && bar.Height() >= 2) {
            frame.Pen()->SetColor(clBtnShadow);
            frame.Polyline({TPoint(bar.Left, bar.Top), TPoint(bar.Right, bar.Top)});
            frame.Pen()->SetColor(clBtnHighlight);
            frame.Polyline({TPoint(bar.Left, bar.Top + 1), TPoint(bar.Right, bar.Top + 1)});
            bar.Top += 2;
        }
        frame.Brush()->SetColor(clBtnFace);
        frame.FillRect(bar);
    }
}

void TRowDetailPanelControlEh::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
}

TPoint TRowDetailPanelControlEh::WindowPoint(TPoint ClientPoint) const
{
    return TPoint(ClientPoint.X + FNonClient.Left, ClientPoint.Y + FNonClient.Top);
}

void TRowDetailPanelControlEh::WMNCHitTest(TMessage& M)
{
    const TPoint screen(short(LOWORD(M.LParam)), short(HIWORD(M.LParam)));
    const TPoint p = WindowPoint(ScreenToClient(screen));
    FLastHitPoint = p;
    if (!MouseCapture() && InSizingArea(p.X, p.Y))
        M.Result = HTBOTTOM;
    else
        M.Result = HTCLIENT;
}

void TRowDetailPanelControlEh::WMSetCursor(TMessage& M)
{
    TPoint screen;
    GetCursorPos(screen);
    const TPoint p = WindowPoint(ScreenToClient(screen));
    if (FVertSizing && (FSizing || InSizingArea(p.X, p.Y))) {
        ShowWindowCursor(crVSplit);
        M.Result = 1;
        return;
    }
    TCustomControl::WMSetCursor(M);
}

void TRowDetailPanelControlEh::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_NCLBUTTONDOWN && FVertSizing) {
        const TPoint screen(short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam)));
        const TPoint p = WindowPoint(ScreenToClient(screen));
        if (p.Y >= SizingBarRect().Top && p.Y < FHeight) {
            BeginSizing(p);
            Message.Result = 0;
            return;
        }
    }
    TCustomControl::Dispatch(Message);
}

void TRowDetailPanelControlEh::BeginSizing(TPoint WindowPos)
{
    FDownPos = WindowPos;
    FDownHeightOffset = WindowPos.Y - FHeight;
    FSizing = true;
    SetMouseCapture(true);
}

void TRowDetailPanelControlEh::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FSizing && MouseCapture()) {
        const TPoint p = WindowPoint(TPoint(X, Y));
        if (TCustomDBGridEh* grid = Grid())
            grid->RowDetailPanel()->SetHeight(p.Y - FDownHeightOffset);
        return;
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TRowDetailPanelControlEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FSizing) {
        FSizing = false;
        SetMouseCapture(false);
        return;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TRowDetailPanelControlEh::FocusGrid()
{
    TCustomDBGridEh* grid = Grid();
    if (!grid || !grid->CanFocus())
        return false;
    grid->SetFocus();
    return true;
}

void TRowDetailPanelControlEh::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (Key == VK_UP && Shift.Contains(ssCtrl) && FocusGrid())
        Key = 0;
}

void TRowDetailPanelControlEh::CMChildKey(TMessage& M)
{
    // Ctrl+Up leaves the panel from any control on it, a nested grid included.
    M.Result = 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool others = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0;
    if (M.WParam == VK_UP && ctrl && !others && reinterpret_cast<TControl*>(M.LParam) != this && FocusGrid())
        M.Result = 1;
}

void TRowDetailPanelControlEh::WMContextMenu(TMessage& M)
{
    // Without the parent's menu the request ends here.
    if (!FParentPopupMenu && !PopupMenu) {
        M.Result = 1;
        return;
    }
    TCustomControl::WMContextMenu(M);
}

// ============================================================================================
// The grid's part
// ============================================================================================

namespace {

// The grid column of the first visible data column (-1 when none shows).
int FirstVisibleRawColumn(TCustomDBGridEh* Grid)
{
    TColumnEh* column = Grid->FirstVisibleColumn();
    return column ? Grid->DataToRawColumn(column->Index()) : -1;
}

}  // namespace

int TCustomDBGridEh::RowDetailGlyphAreaWidth() const
{
    return FRowDetailPanel && FRowDetailPanel->Active() ? RowDetailGlyphWidthEh : 0;
}

bool TCustomDBGridEh::RowHasDetailPanel()
{
    bool has = FRowDetailPanel->Active();
    if (has && OnCheckRowHaveDetailPanel.Assigned())
        OnCheckRowHaveDetailPanel(this, has);
    return has;
}

int TCustomDBGridEh::RowDetailPanelExtraHeight(int DataRow)
{
    if (!FRowDetailPanel->Active() || !FRowDetailPanel->Visible() || DataRow + TopDataOffset() != Row())
        return 0;
    return FRowDetailControl ? FRowDetailControl->Height() : FRowDetailPanel->Height();
}

void TCustomDBGridEh::HideRowDetailPanel()
{
    if (FRowDetailPanel && FRowDetailPanel->Visible())
        FRowDetailPanel->SetVisible(false);
}

void TCustomDBGridEh::CheckRowDetailPanelRecord()
{
    if (!FRowDetailPanel->Visible() || !DataLink()->Active())
        return;
    TDataSet* ds = DataLink()->DataSet();
    if (ds->IsEmpty() || ds->CompareBookmarks(ds->Bookmark(), FRowDetailBookmark) != 0)
        FRowDetailPanel->SetVisible(false);
}

void TCustomDBGridEh::UpdateRowDetailPanelControl()
{
    TRowDetailPanelControlEh* window = FRowDetailControl;
    if (!window)
        return;
    const int firstRaw = FirstVisibleRawColumn(this);
    const bool open = FRowDetailPanel->Active() && (FRowDetailPanel->Visible() || Designing());
    bool show = false;
    TRect rowRect(0, 0, 0, 0);
    int rowDataHeight = 0;
    if (open && HandleAllocated() && firstRaw >= 0 && Row() >= TopDataOffset() && Row() < RowCount()) {
        window->SetVertSizing(FRowDetailPanel->VertSizing());
        window->SetSizingBarHeight(FRowDetailPanel->SizingBarHeight());
        window->SetSizingBarBeveled(FRowDetailPanel->SizingBarBeveled());
        window->SetHeightConstraints(FRowDetailPanel->MinHeight(), FRowDetailPanel->MaxHeight());
        const int startRaw = FrozenColCount() > 0 ? FixedColCount() : firstRaw;
        rowRect = CalcCellRangeRect(TGridRect{startRaw, Row(), startRaw, Row()}, false);
        rowDataHeight = GetDataRowHeight(Row() - TopDataOffset());
        const int lastRow = VertAxis()->RolLastVisCel() + FixedRowCount();
        show = Row() >= TopRow() && Row() <= lastRow && rowRect.Bottom > rowRect.Top;
    }
    if (show) {
        const int top = rowRect.Top + rowDataHeight;
        const int areaStart = HorzAxis()->FixedBoundary();
        const int areaStop = HorzAxis()->ContraStart();
        int treeArea = 0;
        if (HasIntMemTable() && IntMemTable()->GetViewAsTreeList() && DataRowsReadable()) {
            InstantReadRecordEnter(Row() - TopDataOffset());
            auto leave = Finally([this] { InstantReadRecordLeave(); });
            treeArea = GetCellTreeElmentsAreaWidth();
        }
        const int offset = treeArea + (rowRect.Left - areaStart) + ExtraFirstColumnWidth() + RowDetailGlyphWidthEh;
        const int room = std::max(0, areaStop - areaStart - offset);
        int width;
        if (FRowDetailPanel->Width() > 0)
            width = std::min(FRowDetailPanel->Width(), room);
        else
            width = std::max(0, room - GridLineWidth());
        const int roomDown = std::max(0, VertAxis()->ContraStart() - top);
        int height = FRowDetailPanel->Height();
        if (height == 0 || height > roomDown)
            height = roomDown;
        int left = areaStart + offset;
        if (UseRightToLeftAlignment())
            left = ClientWidth() - left - width;
        window->SetBorderStyle(FRowDetailPanel->BorderStyle());
        window->SetBevelEdges(FRowDetailPanel->BevelEdges());
        window->SetBevelInner(FRowDetailPanel->BevelInner());
        window->SetBevelOuter(FRowDetailPanel->BevelOuter());
        window->SetBevelKind(FRowDetailPanel->BevelKind());
        window->SetBevelWidth(FRowDetailPanel->BevelWidth());
        window->SetColor(FRowDetailPanel->Color());
        window->SetParentPopupMenu(FRowDetailPanel->ParentPopupMenu());
        window->SetBounds(left, top, width, height);
        window->SetVisible(true);
    } else {
        window->SetVisible(false);
        if (Designing() && !FRowDetailPanel->Active())
            window->SetBounds(0, 0, 0, 0);
    }
    if (!FWholeGridChanged && Row() >= TopDataOffset() && Row() < RowCount())
        UpdateDataRowHeight(Row() - TopDataOffset());
}

void TCustomDBGridEh::RowDetailPanelLayoutChanged()
{
    if (FRowDetailPanel->Visible())
        UpdateRowDetailPanelControl();
}

int TCustomDBGridEh::DrawRowDetailGlyph(int DataRow, const TRect& ARect, TGridDrawState State)
{
    TCanvas* c = Canvas();
    TColor color = c->Brush()->GetColor();
    if (State.Contains(gdSelected) && FStyle)
        FStyle->HighlightDataCellColor(this, Col(), DataRow + TopDataOffset(), RawToDataColumn(Col()), DataRow,
                                       QString(), State, false, color, nullptr);
    TRect box(ARect.Left, ARect.Top, std::min(ARect.Right, ARect.Left + RowDetailGlyphWidthEh), ARect.Bottom);
    c->Brush()->SetColor(color);
    c->FillRect(box);
    const bool open = FRowDetailPanel->Visible() && DataRow + TopDataOffset() == Row();
    const int dotPhase = (DefaultRowHeight() % 2 != 0 && TopRow() % 2 != 0) ? 1 : 0;
    DrawTreeViewGlyph(c, box, open ? 3 : 7, dotPhase, 1, 1, UseRightToLeftAlignment(), true,
                      TreeViewParams()->GetActualGlyphStyle());
    return RowDetailGlyphWidthEh;
}

int TCustomDBGridEh::DrawRowDetailStrip(int DataRow, const TRect& ARect, TGridDrawState State)
{
    if (RowDetailGlyphAreaWidth() == 0)
        return 0;
    if (RowHasDetailPanel())
        return DrawRowDetailGlyph(DataRow, ARect, State);
    const TRect box(ARect.Left, ARect.Top, std::min(ARect.Right, ARect.Left + RowDetailGlyphWidthEh), ARect.Bottom);
    Canvas()->FillRect(box);
    return RowDetailGlyphWidthEh;
}

void TCustomDBGridEh::DrawRowDetailArea(int, TRect& ARect)
{
    const int extra = RowDetailPanelExtraHeight(Row() - TopDataOffset());
    if (extra <= 0 || ARect.Height() <= extra)
        return;
    const TRect below(ARect.Left, ARect.Bottom - extra, ARect.Right, ARect.Bottom);
    TBrush* brush = Canvas()->Brush();
    const TColor old = brush->GetColor();
    brush->SetColor(InternalColor());
    brush->SetStyle(bsSolid);
    Canvas()->FillRect(below);
    brush->SetColor(old);
    ARect.Bottom -= extra;
}

bool TCustomDBGridEh::IsRowDetailGlyphClick(TMouseButton, TShiftState, int X, int Y)
{
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < 0 || cell.Y < 0)
        return false;
    TCellAreaHorzTypeEh horz;
    TCellAreaVertTypeEh vert;
    int dataCol = 0, dataRow = 0;
    GetCellType(cell.X, cell.Y, horz, vert, dataCol, dataRow);
    if (horz != hctDataEh || vert != vctDataEh)
        return false;
    // Group rows and group footers have no panel.
    if (GroupingRowsShown()) {
        TGroupDataTreeNodeEh* node = GroupDataNodeOfRow(dataRow);
        if (!node || node->NodeType() != dntDataSetRecordEh)
            return false;
    }
    return IsPointInRowDetailGlyph(X, Y);
}

bool TCustomDBGridEh::IsPointInRowDetailGlyph(int X, int Y)
{
    if (!FRowDetailPanel->Active())
        return false;
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < 0 || cell.X != FirstVisibleRawColumn(this) || cell.Y < TopDataOffset() || cell.Y >= RowCount())
        return false;
    const int dataRow = cell.Y - TopDataOffset();
    bool has = false;
    int treeArea = 0;
    if (DataLink()->Active() && DataRowsReadable() && dataRow < InstantReadRecordCount()) {
        InstantReadRecordEnter(dataRow);
        auto leave = Finally([this] { InstantReadRecordLeave(); });
        has = RowHasDetailPanel();
        treeArea = GetCellTreeElmentsAreaWidth();
    }
    if (!has)
        return false;
    if (!RowPanelActive())
        treeArea += ExtraFirstColumnWidth();
    const TRect r = CalcCellRangeRect(TGridRect{cell.X, cell.Y, cell.X, cell.Y}, false);
    const int distance = UseRightToLeftAlignment() ? r.Right - 1 - X : X - r.Left;
    return distance >= treeArea && distance < treeArea + RowDetailGlyphWidthEh;
}

int TCustomDBGridEh::MoveBy(int Distance)
{
    if (DataLink()->Active()) {
        HideRowDetailPanel();
        if (FRowDetailPanel->Visible())
            return 0;
    }
    if (GroupingRowsShown())
        return DataGroupMoveBy(Distance, false);
    return DataLink()->MoveBy(Distance);
}

bool TCustomDBGridEh::FocusRowDetailPanel()
{
    TRowDetailPanelControlEh* window = FRowDetailControl;
    if (!window || !FRowDetailPanel->Visible() || !window->Visible())
        return false;
    TWinControl* target = nullptr;
    if (FRowDetailPanel->ActiveControl() && !IsLoading() && !Designing())
        target = FRowDetailPanel->ActiveControl();
    if (!target) {
        std::vector<TWinControl*> order;
        window->GetTabOrderList(order);
        for (TWinControl* c : order)
            if (c->TabStop() && c->CanFocus()) {
                target = c;
                break;
            }
    }
    if (!target || !target->CanFocus())
        return false;
    target->SetFocus();
    return true;
}

bool TCustomDBGridEh::RowDetailGlyphMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button != mbLeft || !IsRowDetailGlyphClick(Button, Shift, X, Y))
        return false;
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.Y != Row()) {
        HideRowDetailPanel();
        if (FRowDetailPanel->Visible())
            return true;
        if (GroupingRowsShown())
            DataGroupMoveBy(cell.Y - Row(), false);
        else
            DataLink()->MoveBy(cell.Y - Row());
        if (cell.Y != Row())
            return true;
        FRowDetailPanel->SetVisible(true);
        return true;
    }
    FRowDetailPanel->SetVisible(!FRowDetailPanel->Visible());
    return true;
}

void TCustomDBGridEh::RowDetailPanelKeyDown(Word& Key, TShiftState Shift)
{
    if (!FRowDetailPanel->Active() || !DataLink()->Active() || DataLink()->DataSet()->IsEmpty())
        return;
    if (HasIntMemTable() && IntMemTable()->GetViewAsTreeList())
        return;
    if (GroupingRowsShown() && (!CurGroupDataNode() || CurGroupDataNode()->NodeType() != dntDataSetRecordEh))
        return;
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool plain = !ctrl && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt);
    switch (Key) {
    case VK_MULTIPLY:
    case VK_ADD:
    case VK_SUBTRACT: {
        if (!plain || !RowHasDetailPanel())
            return;
        const bool open = Key == VK_MULTIPLY ? !FRowDetailPanel->Visible() : Key == VK_ADD;
        FRowDetailPanel->SetVisible(open);
        Key = 0;
        return;
    }
    case VK_DOWN:
        if (ctrl && !Shift.Contains(ssShift) && RowHasDetailPanel()) {
            FRowDetailPanel->SetVisible(true);
            FocusRowDetailPanel();
            Key = 0;
        } else if (plain && FRowDetailPanel->Visible() && FocusRowDetailPanel()) {
            Key = 0;
        }
        return;
    default:
        return;
    }
}

// ---------------------------------------------------------------- streaming

void TCustomDBGridEh::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    TCustomDBAxisGridEh::GetChildren(Proc, Root);
    if (FRowDetailControl)
        Proc(FRowDetailControl);
}

void TCustomDBGridEh::ReadState(TReader* Reader)
{
    // The stream's detail window is the one the grid already has.
    auto savedCreate = Reader->OnCreateComponent;
    auto restore = Finally([&] { Reader->OnCreateComponent = savedCreate; });
    Reader->OnCreateComponent = [this, savedCreate](TReader* R, TComponentClass Class, TComponent*& Component) {
        if (Class && Class->InheritsFrom(&TRowDetailPanelControlEh::StaticClassInfo()) && FRowDetailControl) {
            Component = FRowDetailControl;
            return;
        }
        if (savedCreate)
            savedCreate(R, Class, Component);
    };
    TCustomDBAxisGridEh::ReadState(Reader);
}
