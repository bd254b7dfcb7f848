// The base grid's structure: construction, counts, current cell and anchor, options,
// cell rectangles, locks, draw style and the default virtual operations.
#include "GridsEh.h"
#include "platform/rtl/Guards.h"

#include "GridToolCtrlsEh.h"
#include "platform/rtl/Filer.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Themes.h"
#include "platform/winapi/WinUser.h"

#include <algorithm>
#include <climits>

DOV_PUBLISHED(TCustomGridEh) {}

TCustomGridEh::TCustomGridEh(TComponent* AOwner) : TCustomControlEh(AOwner)
{
    ControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csGestures, csNeedsBorderPaint};
    FHorzAxis = std::make_unique<TGridAxisDataEh>(this);
    FVertAxis = std::make_unique<TGridAxisDataEh>(this);
    FScrollBarSize = GetSystemMetrics(SM_CYHSCROLL);
    SetDefaultColWidth(50);
    SetDefaultRowHeight(20);
    FCanEditModify = true;
    FOptions = TGridOptionsEh{goFixedVertLineEh, goFixedHorzLineEh, goVertLineEh, goHorzLineEh,
                              goDrawFocusSelectedEh, goRowSizingEh, goColSizingEh, goRowMovingEh,
                              goColMovingEh, goEditingEh, goContraVertBoundaryLineEh, goContraHorzBoundaryLineEh};
    FDesignOptionsBoost = TGridOptionsEh{goRowSizingEh, goColSizingEh, goColMovingEh};
    FGridLineWidth = 1;
    FFixedColor = clBtnFace;
    FBorderStyle = bsSingle;
    FEditorMode = false;
    FColor = clWindow;
    FParentColor = false;
    FTabStop = true;
    FFixedLineColor = clBlack;
    FOutBoundaryData = std::make_unique<TGridOutBoundaryDataEh>(this);
    FSizeGripPostion = sgpBottomRight;
    SetRolColCount(5);
    SetRolRowCount(5);
    SetFixedColCount(1);
    SetFixedRowCount(1);
    FWidth = ColCount() * DefaultColWidth();
    FHeight = RowCount() * DefaultRowHeight();
    FSelectionDrawParams = std::make_unique<TGridSelectionDrawParamsEh>(this);
}

// The parts a descendant may replace come from the factories here, once its own constructor
// has run; the grid lays itself out only after that.
void TCustomGridEh::AfterConstruction()
{
    TCustomControlEh::AfterConstruction();
    UseDefaultDrawStyle();
    FHorzScrollBar.reset(CreateScrollBar(sbHorizontal));
    FVertScrollBar.reset(CreateScrollBar(sbVertical));
    FGridLineColors.reset(CreateGridLineColors());
    FOldHotTrackSpot.reset(CreateHotTrackSpot());
    FNewHotTrackSpot.reset(CreateHotTrackSpot());
    FBackgroundData.reset(CreateBackgroundData());

    FHorzScrollBarPanelControl = CreateHorzScrollBarPanel();
    FHorzScrollBarPanelControl->SetName(QStringLiteral("HorzScrollBarPanelControl"));
    FHorzScrollBarPanelControl->SetParent(this);
    FVertScrollBarPanelControl = CreateVertScrollBarPanel();
    FVertScrollBarPanelControl->SetName(QStringLiteral("VertScrollBarPanelControl"));
    FVertScrollBarPanelControl->SetParent(this);
    FCornerScrollBarPanelControl = CreateCornerPanel();
    FCornerScrollBarPanelControl->SetName(QStringLiteral("CornerScrollBarPanelControl"));
    FCornerScrollBarPanelControl->SetParent(this);
    FExtraSizeGripControl = Create<TSizeGripPanelEh>(this);
    FExtraSizeGripControl->SetGripActiveStatus(gasNeverEh);
    FExtraSizeGripControl->SetVisible(false);
    FExtraSizeGripControl->SetParent(this);

    FConstructed = true;
    UpdateBoundaries();
}

TGridScrollBarEh* TCustomGridEh::CreateScrollBar(TScrollBarKind AKind)
{
    return new TGridScrollBarEh(this, AKind);
}

TGridScrollBarPanelControlEh* TCustomGridEh::CreateHorzScrollBarPanel()
{
    return Create<TGridScrollBarPanelControlEh>(this, sbHorizontal);
}

TGridScrollBarPanelControlEh* TCustomGridEh::CreateVertScrollBarPanel()
{
    return Create<TGridScrollBarPanelControlEh>(this, sbVertical);
}

TSizeGripPanelEh* TCustomGridEh::CreateCornerPanel()
{
    return Create<TSizeGripPanelEh>(this);
}

void TCustomGridEh::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    TCustomControlEh::GetChildren(
        [this, &Proc](TComponent* Child) {
            if (Child->Owner() != this)
                Proc(Child);
        },
        Root);
}

TCustomGridEh::~TCustomGridEh()
{
    FConstructed = false;
    if (FDrawStyle)
        FDrawStyle->RemoveChangeNotification(this);
    FDrawStyle = nullptr;
    if (FGridState != gsNormalEh)
        HideMoveLine();
    delete FInplaceEdit;
    FInplaceEdit = nullptr;
    delete FSizingLineControl;
    FSizingLineControl = nullptr;
    delete FHorzScrollBarPanelControl;
    delete FVertScrollBarPanelControl;
    delete FCornerScrollBarPanelControl;
    delete FExtraSizeGripControl;
    FHorzScrollBarPanelControl = FVertScrollBarPanelControl = nullptr;
    FCornerScrollBarPanelControl = FExtraSizeGripControl = nullptr;
    FSelectionDrawParams.reset();
    FOutBoundaryData.reset();
    FGridLineColors.reset();
    FOldHotTrackSpot.reset();
    FNewHotTrackSpot.reset();
    // The axes and settings stay until the control is gone: the window layer may still ask
    // for the client geometry while it is being torn down.
    DestroyHandle();
    FHorzAxis.reset();
    FVertAxis.reset();
    FHorzScrollBar.reset();
    FVertScrollBar.reset();
    FBackgroundData.reset();
}

void TCustomGridEh::RaiseIndexError(const char* Msg)
{
    throw EInvalidGridOperationEh(QString::fromLatin1(Msg));
}

// ---------------------------------------------------------------- counts

void TCustomGridEh::SetFixedColCount(int Value)
{
    if (Value == FixedColCount())
        return;
    if (Value < 0)
        throw Exception(QStringLiteral("RolColCount can be less then 0"));
    FHorzAxis->SetFixedCelCountInternal(Value, DefaultColWidth());
    ClampCurrentCell();
    UpdateBoundaries();
}

void TCustomGridEh::SetFixedRowCount(int Value)
{
    if (Value == FixedRowCount())
        return;
    if (Value < 0)
        throw Exception(QStringLiteral("RolRowCount can be less then 0"));
    FVertAxis->SetFixedCelCountInternal(Value, DefaultRowHeight());
    ClampCurrentCell();
    UpdateBoundaries();
}

void TCustomGridEh::SetLeftCol(int Value)
{
    if (Value < FixedColCount() || Value >= ColCount())
        RaiseIndexError("Grid index out of range");
    FHorzAxis->SetRolStartVisPos(FHorzAxis->RolLocCelPosArr(Value - FixedColCount()));
}

void TCustomGridEh::SetTopRow(int Value)
{
    if (Value < FixedRowCount() || Value >= RowCount())
        RaiseIndexError("Grid index out of range");
    FVertAxis->SetRolStartVisPos(FVertAxis->RolLocCelPosArr(Value - FixedRowCount()));
}

void TCustomGridEh::SafeSetTopRow(int ARow)
{
    FVertAxis->SafeSetRolStartVisCel(ARow - FixedRowCount(), sstByPixelEh);
}

void TCustomGridEh::DeleteCol(int ACol)
{
    // Only a rolling column can go, and never the last one.
    if (ACol < FixedColCount() || ACol >= ColCount() || GetRolColCount() <= 1)
        RaiseIndexError("Grid index out of range");
    MoveColExtent(ACol, ColCount() - 1);
    SetColCount(ColCount() - 1);
}

void TCustomGridEh::DeleteRow(int ARow)
{
    if (ARow < FixedRowCount() || ARow >= RowCount() || GetRolRowCount() <= 1)
        RaiseIndexError("Grid index out of range");
    LockPaint();
    auto cleanup = Finally([&] { UnlockPaint(); });
    FVertAxis->DeleteRolCels(ARow - FixedRowCount(), 1);
}

// ---------------------------------------------------------------- current cell and anchor

void TCustomGridEh::SetCol(int Value)
{
    if (Value != FCurCell.X)
        MoveToCell(Value, FCurCell.Y);
}

void TCustomGridEh::SetRow(int Value)
{
    if (Value != FCurCell.Y)
        MoveToCell(FCurCell.X, Value);
}

void TCustomGridEh::SetCurrentCell(int ACol, int ARow, bool ScrollHorz, bool ScrollVert)
{
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
        RaiseIndexError("Grid index out of range");
    if (!CanSelectCell(ACol, ARow))
        return;
    const TGridRect oldSel = GetSelectionRect();
    const TGridCoord oldCur = FCurCell;
    const bool hadRange = HasRangeSelection();
    FCurCell = GridCoord(ACol, ARow);
    if (!FOptions.Contains(goAlwaysShowEditorEh))
        HideEdit();
    FAnchorCell = FCurCell;
    if (ScrollHorz || ScrollVert)
        ScrollCellIntoView(FCurCell, ScrollHorz, ScrollVert);
    if (hadRange) {
        Invalidate();
    } else {
        InvalidateCell(oldCur.X, oldCur.Y);
        InvalidateCell(FCurCell.X, FCurCell.Y);
    }
    SelectionChanged(oldSel);
    CurrentCellMoved(oldCur);
}

void TCustomGridEh::MoveToCell(int ACol, int ARow)
{
    SetCurrentCell(ACol, ARow, true, true);
    UpdateEditor();
    Click();
}

void TCustomGridEh::SetAnchorCell(int ACol, int ARow)
{
    if (FAnchorCell == GridCoord(ACol, ARow))
        return;
    if (ACol < 0 || ARow < 0 || ACol >= FullColCount() || ARow >= FullRowCount())
        RaiseIndexError("TCustomGridEh.SetAnchorCell: Grid index out of range");
    const TGridRect oldSel = GetSelectionRect();
    FAnchorCell = GridCoord(ACol, ARow);
    ScrollCellIntoView(FAnchorCell, true, true);
    SelectionChanged(oldSel);
}

void TCustomGridEh::MoveAnchorBy(int Flags)
{
    TGridCoord a = FAnchorCell;
    if ((Flags & 1) && a.X - 1 >= FixedColCount())
        --a.X;
    if ((Flags & 2) && a.X + 1 <= ColCount() - 1)
        ++a.X;
    if ((Flags & 4) && a.Y - 1 >= FixedRowCount())
        --a.Y;
    if ((Flags & 8) && a.Y + 1 <= RowCount() - 1)
        ++a.Y;
    if (!(a == FAnchorCell))
        SetAnchorCell(a.X, a.Y);
}

void TCustomGridEh::ClampCurrentCell()
{
    if (!FHorzAxis || !FVertAxis)
        return;
    Invalidate();
    FCurCell.X = std::clamp(FCurCell.X, std::max(0, FixedColCount() - FrozenColCount()), std::max(0, ColCount() - 1));
    FCurCell.Y = std::clamp(FCurCell.Y, std::max(0, FixedRowCount() - FrozenRowCount()), std::max(0, RowCount() - 1));
    FAnchorCell = FCurCell;
}

void TCustomGridEh::ColumnMoved(int FromIndex, int ToIndex)
{
    const bool anchorFollows = FAnchorCell == FCurCell;
    int c = FCurCell.X;
    if (c == FromIndex)
        c = ToIndex;
    else if (FromIndex < ToIndex && c > FromIndex && c <= ToIndex)
        --c;
    else if (FromIndex > ToIndex && c >= ToIndex && c < FromIndex)
        ++c;
    FCurCell.X = c;
    if (anchorFollows)
        FAnchorCell = FCurCell;
}

bool TCustomGridEh::IsActiveControl()
{
    if (TCustomForm* form = GetParentForm())
        return form->ActiveControl() == this;
    if (!HandleAllocated())
        return false;
    HWND f = GetFocus();
    if (!f)
        return false;
    if (f == Handle())
        return true;
    for (TWinControl* c = FindControl(f); c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

// ---------------------------------------------------------------- options and appearance

void TCustomGridEh::SetOptions(TGridOptionsEh Value)
{
    if (Value == FOptions)
        return;
    if (Value.Contains(goRowSelectEh))
        Value.Exclude(goAlwaysShowEditorEh);
    FOptions = Value;
    if (!FEditorMode) {
        if (FOptions.Contains(goAlwaysShowEditorEh))
            ShowEditor();
        else
            HideEdit();
    }
    if (FOptions.Contains(goRowSelectEh))
        SetCurrentCell(FCurCell.X, FCurCell.Y, true, false);
    if (HandleAllocated())
        UpdateBoundaries();
    Invalidate();
}

void TCustomGridEh::SetFixedColor(TColor Value)
{
    if (FFixedColor == Value)
        return;
    FFixedColor = Value;
    Invalidate();
}

void TCustomGridEh::SetFlat(bool Value)
{
    if (FFlat == Value)
        return;
    FFlat = Value;
    UpdateFixedLineColor();
    FlatChanged();
    Invalidate();
}

void TCustomGridEh::UpdateFixedLineColor()
{
    FFixedLineColor = FFlat ? TColor(RGB(128, 128, 128)) : clBlack;
}

void TCustomGridEh::SetBorderStyle(TBorderStyle Value)
{
    if (FBorderStyle == Value)
        return;
    FBorderStyle = Value;
    if (HandleAllocated())
        RecreateWnd();
}

void TCustomGridEh::CreateParams(TCreateParams& Params)
{
    TCustomControlEh::CreateParams(Params);
    Params.Style |= WS_TABSTOP | WS_CLIPCHILDREN;
    if (FBorderStyle == bsSingle) {
        Params.Style &= ~WS_BORDER;
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    }
}

void TCustomGridEh::SetSizeGripAlwaysShow(bool Value)
{
    if (FSizeGripAlwaysShow == Value)
        return;
    FSizeGripAlwaysShow = Value;
    LayoutScrollBarPanels();
}

void TCustomGridEh::SetSizeGripPostion(TSizeGripPosition Value)
{
    if (FSizeGripPostion == Value)
        return;
    FSizeGripPostion = Value;
    LayoutScrollBarPanels();
}

void TCustomGridEh::UseDefaultDrawStyle()
{
    if (FDrawStyle)
        FDrawStyle->RemoveChangeNotification(this);
    FDrawStyle = GetDefaultGridDrawStyle();
    if (FDrawStyle)
        FDrawStyle->AddChangeNotification(this);
    else
        DrawStyleChanged();
}

void TCustomGridEh::SetDrawStyle(TGridDrawStyleEh* Value)
{
    if (FDrawStyle)
        FDrawStyle->RemoveChangeNotification(this);
    FDrawStyle = nullptr;
    if (!Value) {
        UseDefaultDrawStyle();
        return;
    }
    FDrawStyle = Value;
    FDrawStyle->AddChangeNotification(this);
    DrawStyleChanged();
}

bool TCustomGridEh::GetDrawFocusFrame()
{
    return FDrawStyle ? FDrawStyle->DrawFocusFrame() : true;
}

TGridSelectionDrawStyleEh TCustomGridEh::GetSelectionStyle()
{
    return FDrawStyle ? FDrawStyle->GetActualSelectionStyle() : gsdsClassicEh;
}

bool TCustomGridEh::IsThemedSelectionCell(TGridDrawState State)
{
    if (!StyleServicesEnabled())
        return false;
    const TGridSelectionDrawStyleEh s = FSelectionDrawParams->GetActualSelectionStyle();
    if (s == gsdsGridThemedEh && State.Contains(gdFocused))
        return true;
    if (s == gsdsListViewThemedEh && (State.Contains(gdFocused) || State.Contains(gdCurrent)))
        return true;
    return (s == gsdsGridThemedEh || s == gsdsListViewThemedEh) && FOptions.Contains(goRowSelectEh) &&
           (State.Contains(gdSelected) || State.Contains(gdRowSelected));
}

bool TCustomGridEh::SameHotTrackSpot(TGridHotTrackSpotEh* Spot1, TGridHotTrackSpotEh* Spot2)
{
    return Spot1->Col == Spot2->Col && Spot1->Row == Spot2->Row;
}

bool TCustomGridEh::CanSizeAxis(bool Flag)
{
    if (Flag)
        return FOptions.Contains(goFixedHorzLineEh) || FOptions.Contains(goHorzLineEh);
    return FOptions.Contains(goFixedVertLineEh) || FOptions.Contains(goVertLineEh);
}

bool TCustomGridEh::FocusGrid()
{
    if (CanFocus())
        SetFocus();
    return true;
}

bool TCustomGridEh::AdjustMoveIndexes(int& FromIndex, int& ToIndex, TPoint)
{
    if (FromIndex < ToIndex && !FMovePosRightSite)
        --ToIndex;
    return true;
}

bool TCustomGridEh::CanFireCellMouseEvent(TMessage& Message)
{
    const TPoint p = SmallPointToPointEh(Message.LParam);
    return (FGridState == gsNormalEh || FGridState == gsSelectingEh) && p.X >= 0 && p.Y >= 0;
}

void TCustomGridEh::CellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, const TRect& ACellRect,
                                   TPoint GridMousePos, TPoint CellMousePos)
{
    bool processed = false;
    if (OnCellMouseClick)
        OnCellMouseClick(this, Cell, Button, Shift, CellMousePos.X, CellMousePos.Y, processed);
    if (!processed)
        DefaultCellMouseClick(Cell, Button, Shift, ACellRect, GridMousePos, CellMousePos);
}

void TCustomGridEh::CellMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, const TRect& ACellRect,
                                  TPoint GridMousePos, TPoint CellMousePos)
{
    bool processed = false;
    if (OnCellMouseDown)
        OnCellMouseDown(this, Cell, Button, Shift, CellMousePos.X, CellMousePos.Y, processed);
    if (!processed)
        DefaultCellMouseDown(Cell, Button, Shift, ACellRect, GridMousePos, CellMousePos);
}

void TCustomGridEh::InvalidateSpotCell(TGridHotTrackSpotEh* Spot)
{
    if (Spot->Col >= 0 && Spot->Row >= 0 && Spot->Col < FullColCount() && Spot->Row < FullRowCount())
        InvalidateCell(Spot->Col, Spot->Row);
}

// ---------------------------------------------------------------- axis owner

void TCustomGridEh::AxisExtentChanged(TGridAxisDataEh* Axis, int Index)
{
    if (Index < Axis->FixedCelCount() || Index >= Axis->CelCount())
        UpdateBoundaries();
    if (Axis == FHorzAxis.get())
        HorzAxisChanged();
    else
        VertAxisChanged();
}

void TCustomGridEh::HorzAxisChanged()
{
    if (!FHorzAxis->RolLocCelPosArrObsolete() && !FVertAxis->RolLocCelPosArrObsolete())
        UpdateEditor();
}

void TCustomGridEh::VertAxisChanged()
{
    if (!FHorzAxis->RolLocCelPosArrObsolete() && !FVertAxis->RolLocCelPosArrObsolete())
        UpdateEditor();
}

void TCustomGridEh::CelMoved(TGridAxisDataEh* Axis, int FromIndex, int ToIndex)
{
    Invalidate();
    if (Axis == FHorzAxis.get())
        ColumnMoved(FromIndex, ToIndex);
    else
        RowMoved(FromIndex, ToIndex);
}

void TCustomGridEh::CheckUpdateCellPositions()
{
    if (FHorzAxis)
        FHorzAxis->CheckUpdateRolCelPosArr();
    if (FVertAxis)
        FVertAxis->CheckUpdateRolCelPosArr();
}

// ---------------------------------------------------------------- cell rectangles

// Start and end of an index range along one axis; False for an empty range.
static bool AxisSpan(TGridAxisDataEh* A, int64_t ScrollPos, int First, int Last, bool Clip, int64_t& Start,
                     int64_t& Stop)
{
    if (Last < First || First < 0 || Last >= A->FullCelCount())
        return false;
    const int fixed = A->FixedCelCount(), cc = A->CelCount();
    auto edges = [&](int i, int64_t& s, int64_t& e) {
        if (i < fixed) {
            int64_t x = A->FGridClientStart;
            for (int k = 0; k < i; ++k)
                x += A->FixedCelLens(k);
            s = x;
            e = x + A->FixedCelLens(i);
        } else if (i < cc) {
            s = A->FixedBoundary() + (A->RolLocCelPosArr(i - fixed) - ScrollPos);
            e = s + A->RolCelLens(i - fixed);
        } else {
            int64_t x = A->ContraStart();
            for (int k = cc; k < i; ++k)
                x += A->ContraCelLens(k - cc);
            s = x;
            e = x + A->ContraCelLens(i - cc);
        }
    };
    int64_t s1, e1, s2, e2;
    edges(First, s1, e1);
    edges(Last, s2, e2);
    Start = s1;
    Stop = e2;
    if (Clip) {
        if (First >= fixed && First < cc && Start < A->FixedBoundary())
            Start = A->FixedBoundary();
        if (Last >= fixed && Last < cc) {
            if (Stop < A->FixedBoundary())
                Stop = A->FixedBoundary() - 1;
            else if (Stop > A->ContraStart())
                Stop = A->ContraStart();
        }
        if (Last < fixed && Stop > A->ContraStart())
            Stop = A->ContraStart();
    }
    return Start <= Stop;
}

TRect TCustomGridEh::CalcCellRangeRect(const TGridRect& R, bool Clip)
{
    CheckUpdateCellPositions();
    int64_t l, r, t, b;
    if (!AxisSpan(FHorzAxis.get(), HorzScrollPos(), R.Left, R.Right, Clip, l, r) ||
        !AxisSpan(FVertAxis.get(), VertScrollPos(), R.Top, R.Bottom, Clip, t, b))
        return TRect(0, 0, 0, 0);
    auto c = [](int64_t v) { return int(std::clamp<int64_t>(v, INT_MIN / 2, INT_MAX / 2)); };
    TRect rect(c(l), c(t), c(r), c(b));
    if (rect.Right < rect.Left || rect.Bottom < rect.Top)
        return TRect(0, 0, 0, 0);
    if (UseRightToLeftAlignment() && !FCanvasRightToLeftReflected)
        FHorzAxis->SwapRightToLeftPoses(rect.Left, rect.Right);
    return rect;
}

void TCustomGridEh::InvalidateGridRect(const TGridRect& R)
{
    if (!HandleAllocated())
        return;
    const TRect r = CalcCellRangeRect(R, true);
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    InvalidateRect(Handle(), &r, false);
}

void TCustomGridEh::InvalidateCell(int ACol, int ARow)
{
    InvalidateGridRect(TGridRect{ACol, ARow, ACol, ARow});
}

void TCustomGridEh::InvalidateCol(int ACol)
{
    if (!HandleAllocated())
        return;
    InvalidateGridRect(TGridRect{ACol, 0, ACol, FVertAxis->RolLastVisCel() + FixedRowCount()});
    if (ContraRowCount() > 0)
        InvalidateGridRect(TGridRect{ACol, RowCount(), ACol, FullRowCount() - 1});
}

void TCustomGridEh::InvalidateRow(int ARow)
{
    if (!HandleAllocated())
        return;
    InvalidateGridRect(TGridRect{0, ARow, FHorzAxis->RolLastVisCel() + FixedColCount(), ARow});
    if (ContraColCount() > 0)
        InvalidateGridRect(TGridRect{ColCount(), ARow, FullColCount() - 1, ARow});
}

// The cell under a coordinate along one axis; -1 when none.
static int AxisCellAt(TGridAxisDataEh* A, int P, bool ContraStartIsContra)
{
    if (P < A->FGridClientStart)
        return -1;
    if (P < A->FixedBoundary()) {
        int x = A->FGridClientStart;
        for (int i = 0; i < A->FixedCelCount(); ++i) {
            x += A->FixedCelLens(i);
            if (P < x)
                return i;
        }
        return -1;
    }
    if (P > A->ContraStart() || (ContraStartIsContra && P == A->ContraStart())) {
        if (P >= A->FGridClientStop)
            return -1;
        int x = A->ContraStart();
        for (int i = 0; i < A->ContraCelCount(); ++i) {
            x += A->ContraCelLens(i);
            if (P < x)
                return A->CelCount() + i;
        }
        return -1;
    }
    // Rolling cells: a binary search from the scroll position.
    const int64_t pos = A->RolStartVisPos() + (P - A->FixedBoundary());
    if (pos >= A->RolLen())
        return -1;
    int cel = 0, ofs = 0;
    A->RolCellAtPos(pos, cel, ofs);
    return cel + A->FixedCelCount();
}

TGridCoord TCustomGridEh::CellAtPoint(int X, int Y)
{
    CheckUpdateCellPositions();
    if (UseRightToLeftAlignment())
        X = FHorzAxis->RightToLeftReflect(X);
    return GridCoord(AxisCellAt(FHorzAxis.get(), X, false), AxisCellAt(FVertAxis.get(), Y, true));
}

TGridCoord TCustomGridEh::MouseCoord(int X, int Y)
{
    TGridCoord c = CellAtPoint(X, Y);
    if (c.X == -1 || c.Y == -1)
        c = GridCoord(-1, -1);
    return c;
}

// ---------------------------------------------------------------- life cycle

void TCustomGridEh::Loaded()
{
    TCustomControlEh::Loaded();
    UpdateBoundaries();
}

void TCustomGridEh::Resize()
{
    TCustomControlEh::Resize();
    UpdateBoundaries();
}

// ---------------------------------------------------------------- streaming

void TCustomGridEh::DefineProperties(TFiler* Filer)
{
    TCustomControlEh::DefineProperties(Filer);
    if (!FSaveCellExtents)
        return;
    auto* ancestor = dynamic_cast<TCustomGridEh*>(Filer->Ancestor());
    auto defineAxis = [&](const QString& Name, TGridAxisDataEh* Axis, bool Horz) {
        const bool hasData = !ancestor || !AxisCelLensEqual(Axis, Horz ? ancestor->FHorzAxis.get() : ancestor->FVertAxis.get());
        Filer->DefineProperty(
            Name,
            [this, Horz](TReader* Reader) {
                Reader->ReadListBegin();
                int i = 0;
                while (!Reader->EndOfList()) {
                    const int v = Reader->ReadInteger();
                    if (Horz && i < ColCount())
                        SetColWidths(i, v);
                    else if (!Horz && i < RowCount())
                        SetRowHeights(i, v);
                    ++i;
                }
                Reader->ReadListEnd();
            },
            [this, Horz](TWriter* Writer) {
                Writer->WriteListBegin();
                const int n = Horz ? ColCount() : RowCount();
                for (int i = 0; i < n; ++i)
                    Writer->WriteInteger(Horz ? ColWidths(i) : RowHeights(i));
                Writer->WriteListEnd();
            },
            hasData);
    };
    defineAxis(QStringLiteral("ColWidths"), FHorzAxis.get(), true);
    defineAxis(QStringLiteral("RowHeights"), FVertAxis.get(), false);
}
