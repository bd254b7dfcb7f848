// The data grid's mouse: presses, moves and releases over titles, data rows and the indicator;
// title clicks with the sort-marker cycle; selecting by clicking and dragging.
#include "DBGridEh.h"

#include "platform/rtl/Guards.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool StepsByClickEh(TColumnEh* Column)
{
    const TAxisBarEhType type = Column->GetBarType();
    return type == ctKeyImageList || type == ctCheckboxes;
}

}  // namespace

// ---------------------------------------------------------------- sort markers

void TCustomDBGridEh::ApplySortMarking()
{
    if (!FOptionsEh.Contains(dghAutoSortMarking))
        return;
    if (OnSortMarkingChanged)
        OnSortMarkingChanged(this);
    else
        DefaultApplySorting();
}

void TCustomDBGridEh::DoTitleBtnClick(int ACol) { TitleButtonClicked(ACol, TShiftState()); }

void TCustomDBGridEh::TitleButtonClicked(int ACol, TShiftState Shift)
{
    const int dataCol = RawToDataColumn(ACol);
    TColumnEh* column = PaintedColumn(dataCol);
    if (!column)
        return;
    TitleBtnClick(dataCol, column);
    FSortMarking = Shift.Contains(ssCtrl);
    TDBGridEhCenter* center = FCenter ? FCenter : DBGridEhDefaultCenter();
    if (!center->ColumnValueTypeIsComparable(this, column)) {
        FSortMarking = false;
        throw Exception(QStringLiteral("Сортировка по этому полю невозможна"));
    }
    if (FOptionsEh.Contains(dghAutoSortMarking))
        static_cast<TColumnTitleEh*>(column->Title())->SetNextSortMarkerValue(FSortMarking);
    if (!FSortMarking)
        ApplySortMarking();
}

void TCustomDBGridEh::KeyUp(Word& Key, TShiftState Shift)
{
    if (Key == VK_CONTROL && FSortMarking) {
        FSortMarking = false;
        ApplySortMarking();
    }
    TCustomDBAxisGridEh::KeyUp(Key, Shift);
}

// ---------------------------------------------------------------- current column

int TCustomDBGridEh::GetSelectedIndex() { return Col() - FIndicatorOffset; }

void TCustomDBGridEh::SetSelectedIndex(int Value) { ChangeSelectedIndex(Value, 0, false); }

TBookmark TCustomDBGridEh::CurrentBookmarkEh()
{
    TDataSet* ds = FDataLink && FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    return ds && !ds->IsEmpty() ? ds->Bookmark() : TBookmark();
}

void TCustomDBGridEh::ChangeSelectedIndex(int Value, int Step, bool ExtendRect)
{
    const bool extend = ExtendRect && !FOptions.Contains(dgRowSelect) && SelectionAllowed(gstRectangle);
    if (extend && FSelection->SelectionType() != gstRectangle) {
        FSelection->Clear();
        FSelection->Rect()->Select(SelectedIndex(), CurrentBookmarkEh(), false);
    }
    if (FDataLink->Active())
        FDataLink->UpdateRecord();
    const int count = Columns()->Count() - ContraColCount();
    if (count <= 0)
        return;
    Value = std::clamp(Value, 0, count - 1);
    if (Step != 0) {
        while (Value >= 0 && Value < count && !PaintedColumn(Value)->Visible())
            Value += Step > 0 ? 1 : -1;
        if (Value < 0 || Value >= count)
            return;
    }
    if (Value != SelectedIndex()) {
        if (!FInColExit) {
            const int before = SelectedIndex();
            FInColExit = true;
            auto reset = Finally([&] { FInColExit = false; });
            ColExit();
            if (SelectedIndex() != before)
                return;
        }
        if (!FOptions.Contains(dgAlwaysShowEditor))
            HideEditor();
        if (!FOptions.Contains(dgRowSelect))
            SetCol(DataToRawColumn(Value));
        if (TColumnEh* column = PaintedColumn(Value))
            if (!StepsByClickEh(column) && FOptions.Contains(dgAlwaysShowEditor))
                ShowEditor();
        ColEnter();
    }
    if (extend)
        FSelection->Rect()->Select(SelectedIndex(), CurrentBookmarkEh(), true);
    if (TColumnEh* column = PaintedColumn(SelectedIndex()))
        Columns()->SetUpDownBaseColumn(column);
}

// ---------------------------------------------------------------- tree elements and group rows

bool TCustomDBGridEh::CellTreeElementMouseDown(int, int, bool) { return false; }

void TCustomDBGridEh::DataGroupRowMouseDown(TMouseButton, TShiftState, TObject* Node, int X, int Y)
{
    auto* node = static_cast<TGroupDataTreeNodeEh*>(Node);
    bool onBox = false;
    GroupRowAt(X, Y, onBox);
    if (onBox) {
        const bool detailShown = RowDetailPanel()->Visible();
        if (detailShown)
            HideRowDetailPanel();
        ToggleGroupNodeExpanded(node);
        if (detailShown && !RowDetailPanel()->Visible())
            RowDetailPanel()->SetVisible(true);
        return;
    }
    SetCurGroupDataNode(node, true);
}

int TCustomDBGridEh::EditButtonIndexAt(int, int ARow, int, int, TColumnEh*)
{
    // No filter button in the titles and no cell edit buttons here yet.
    (void)ARow;
    return -1;
}

// ---------------------------------------------------------------- tracking

void TCustomDBGridEh::TrackTitleButton(int X, int Y)
{
    const TGridCoord cell = MouseCoord(X, Y);
    const bool pressed = PtInRect(ClientRect(), TPoint(X, Y)) && cell.Y == 0 && cell.X == FPressedCol;
    if (pressed == FPressed)
        return;
    FPressed = pressed;
    if (HandleAllocated())
        for (int r = 0; r < GetTitleRowsCount(); ++r)
            InvalidateRow(r);
}

void TCustomDBGridEh::CancelTracking()
{
    const bool titleShown = FTracking && FPressed;
    FTracking = false;
    FPressed = false;
    FDataTracking = false;
    FIndicatorPressed = false;
    FSelecting = false;
    if (titleShown && HandleAllocated())
        for (int r = 0; r < GetTitleRowsCount(); ++r)
            InvalidateRow(r);
    FPressedCol = -1;
    FPressedDataCol = -1;
    SetMouseCapture(false);
}

void TCustomDBGridEh::CancelGridState()
{
    if (FDBGridEhState != dgsNormal && FDBGridEhState != dgsRowMoving)
        StopTimer();
    FDBGridEhState = dgsNormal;
    if (FTracking || FDataTracking || FIndicatorPressed)
        CancelTracking();
    TCustomDBAxisGridEh::CancelGridState();
}

bool TCustomDBGridEh::CanCellDblClick(TGridCoord Cell, TMouseButton Button, TPoint GridPos, TPoint CellPos,
                                      TShiftState Shift)
{
    if (CellTreeElementMouseDown(GridPos.X, GridPos.Y, true))
        return false;
    return TCustomDBAxisGridEh::CanCellDblClick(Cell, Button, GridPos, CellPos, Shift);
}

// ---------------------------------------------------------------- selecting records by rows

void TCustomDBGridEh::ExtendRowSelectionBy(int Distance, bool Select)
{
    TDataSet* ds = FDataLink->DataSet();
    const int step = Distance > 0 ? 1 : -1;
    for (int moved = 0; moved != Distance; moved += step) {
        if (Select) {
            // Moving back toward the anchor gives the left record the other state.
            const bool towardAnchor =
                !FSelectionAnchor.isEmpty() && step * ds->CompareBookmarks(ds->Bookmark(), FSelectionAnchor) < 0;
            if (towardAnchor)
                FBookmarks->SetCurrentRowSelected(FSelectionAnchorSelected);
        }
        if (ds->MoveBy(step) == 0)
            break;
        if (Select) {
            const bool onAnchorSide =
                !FSelectionAnchor.isEmpty() && step * ds->CompareBookmarks(ds->Bookmark(), FSelectionAnchor) <= 0;
            if (!onAnchorSide || FSelectionAnchor.isEmpty())
                FBookmarks->SetCurrentRowSelected(FSelectionAnchor.isEmpty() || !FSelectionAnchorSelected);
        }
    }
}

// ---------------------------------------------------------------- press

void TCustomDBGridEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbRight)
        SetMouseCapture(true);
    FCellTreeElementMouseDown = false;
    FStartShiftState = Shift;
    FPressedCell = TGridCoord{-1, -1};
    FPressedDataCol = -1;
    FDownMousePos = TPoint(X, Y);

    if (!Designing() && !AcquireFocus()) {
        SetMouseCapture(false);
        return;
    }
    const TGridCoord cell = MouseCoord(X, Y);
    FPressedCell = cell;
    if (InGroupPanel(X, Y)) {
        GroupPanelMouseDown(X, Y);
        TCustomControlEh::MouseDown(Button, Shift, X, Y);
        return;
    }

    if (Button == mbLeft && Shift.Contains(ssDouble)) {
        if (cell.Y >= TopDataOffset() && cell.X >= FIndicatorOffset) {
            TColumnEh* column = PaintedColumn(RawToDataColumn(cell.X));
            if (column && StepsByClickEh(column) && column->DblClickNextVal() && column->CanModify(true))
                column->SetNextFieldValue(Shift.Contains(ssShift) ? -1 : 1);
        }
        DblClick();
        TCustomControlEh::MouseDown(Button, Shift, X, Y);
        return;
    }

    if (IsSizingPos(X, Y) || cell.X < 0 || cell.Y < 0) {
        TCustomDBAxisGridEh::MouseDown(Button, Shift, X, Y);
        return;
    }

    // Title rows.
    if (cell.Y < TopDataOffset()) {
        const int dataCol = RawToDataColumn(cell.X);
        TColumnEh* column = cell.X >= FIndicatorOffset ? PaintedColumn(dataCol) : nullptr;
        if (!Designing() && column && Button == mbLeft) {
            bool enabled = column->Title()->TitleButton();
            CheckTitleButton(column->Index(), enabled);
            if (enabled) {
                if (MouseCapture()) {
                    FTracking = true;
                    FPressedCol = cell.X;
                    FPressedDataCol = dataCol;
                    TrackTitleButton(X, Y);
                }
                TCustomControlEh::MouseDown(Button, Shift, X, Y);
                return;
            }
        }
        if (FDataLink->Active())
            FDataLink->UpdateRecord();
        TCustomDBAxisGridEh::MouseDown(Button, Shift, X, Y);
        return;
    }

    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (!ds || cell.Y >= RowCount() - FullFooterRowCount()) {
        TCustomControlEh::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (GroupingRowsShown()) {
        bool onBox = false;
        if (TGroupDataTreeNodeEh* node = GroupRowAt(X, Y, onBox)) {
            DataGroupRowMouseDown(Button, Shift, node, X, Y);
            TCustomControlEh::MouseDown(Button, Shift, X, Y);
            return;
        }
    }
    FCellTreeElementMouseDown = CellTreeElementMouseDown(X, Y, false);
    if (FCellTreeElementMouseDown) {
        TCustomControlEh::MouseDown(Button, Shift, X, Y);
        return;
    }

    const bool inIndicator = cell.X < FIndicatorOffset;
    const bool multi = FOptions.Contains(dgMultiSelect);
    const bool rowSelect = FOptions.Contains(dgRowSelect);
    const bool checkboxes = FIndicatorOptions.Contains(gioShowRowselCheckboxesEh);
    const bool rectAllowed = SelectionAllowed(gstRectangle);
    const int dataCol = RawToDataColumn(cell.X);
    TColumnEh* column = inIndicator ? nullptr : PaintedColumn(dataCol);
    if (!inIndicator && RowPanelActive()) {
        // The press picks the column whose place in the panel lies under it.
        const TRect panel = CellRect(cell.X, cell.Y);
        column = GetColumnInRowPanelAtPos(TPoint(X - panel.Left, Y - panel.Top), false);
        if (column)
            SetInRowPanelCol(column->Index());
    }
    bool showEditor = false, invalidateEditor = false;
    {
        BeginUpdate();
        auto unlock = Finally([&] {
            FLockAutoShowCurCell = false;
            EndUpdate();
        });
        FDataLink->UpdateRecord();
        HideEditor();
        const TGridCoord oldCur{Col(), Row()};
        const TBookmark oldBookmark = CurrentBookmarkEh();
        FLockAutoShowCurCell = true;

        if (IsRowDetailGlyphClick(Button, Shift, X, Y)) {
            if (cell.Y != Row())
                MoveBy(cell.Y - Row());
            if (cell.Y == Row())
                RowDetailPanel()->SetVisible(!RowDetailPanel()->Visible());
            return;
        }
        const bool shiftExtends = Shift.Contains(ssShift) && multi && (rowSelect || inIndicator);
        if (!shiftExtends && cell.Y != Row())
            MoveBy(cell.Y - Row());
        if (column)
            ChangeSelectedIndex(dataCol, 0, false);
        if (!MouseCapture())
            return;
        const bool pressedSelected =
            FSelection->SelectionType() != gstNon && column && FSelection->DataCellSelected(dataCol, CurrentBookmarkEh());
        if (FAutoDrag && Button == mbLeft && !Shift.Contains(ssShift) && pressedSelected) {
            FSelectedCellPressed = true;
            return;
        }
        if (!inIndicator && !(multi && rowSelect)) {
            FTracking = true;
            FDataTracking = true;
            if (!Shift.Contains(ssCtrl) && !Shift.Contains(ssShift) && (Button != mbRight || !pressedSelected))
                ClearSelectionOnClick();
            if (column && rectAllowed && Button == mbLeft && !(ds->Bof() && ds->Eof())) {
                if (Shift.Contains(ssShift)) {
                    TDBGridEhSelectionRect* rect = FSelection->Rect();
                    if (FSelection->SelectionType() != gstRectangle)
                        rect->Select(RawToDataColumn(oldCur.X), oldBookmark, false);
                    rect->Select(dataCol, CurrentBookmarkEh(), true);
                }
                FDBGridEhState = dgsRectSelecting;
            }
        }
        if (RecordsSelectable() && ((rowSelect && !checkboxes) || inIndicator || (!rectAllowed && !checkboxes))) {
            FSelecting = false;
            if (Shift.Contains(ssShift) && cell.Y != Row()) {
                FSelecting = true;
                FAntiSelection = true;
                FSelectionAnchor = TBookmark();
                FBookmarks->SetCurrentRowSelected(true);
                ExtendRowSelectionBy(cell.Y - Row(), true);
            } else if (Button == mbLeft &&
                       (Shift.Contains(ssCtrl) || !FOptionsEh.Contains(dghClearSelection) || checkboxes)) {
                FBookmarks->SetCurrentRowSelected(!FBookmarks->CurrentRowSelected());
            } else if (Button == mbLeft) {
                ClearSelectionOnClick();
                FBookmarks->SetCurrentRowSelected(true);
            }
            if ((rowSelect || !rectAllowed || inIndicator) && MouseCapture()) {
                FIndicatorPressed = true;
                FTracking = true;
                FSelecting = true;
                FSelectionAnchorSelected = !FBookmarks->CurrentRowSelected();
                FSelectionAnchor = CurrentBookmarkEh();
                FAntiSelection =
                    Shift.Contains(ssCtrl) || !FOptionsEh.Contains(dghClearSelection) || checkboxes;
                FDBGridEhState = dgsRowSelecting;
            }
        }
        if (Button == mbLeft && !inIndicator)
            showEditor = IsAlwaysShowEditor() && (oldCur == TGridCoord{Col(), Row()} ||
                                                  FOptions.Contains(dgAlwaysShowEditor));
        else
            invalidateEditor = true;
        if (column && StepsByClickEh(column))
            FPressedCell = cell;
    }
    if (showEditor)
        ShowEditor();
    else if (invalidateEditor)
        InvalidateEditor();
    TCustomControlEh::MouseDown(Button, Shift, X, Y);
}

// ---------------------------------------------------------------- move

void TCustomDBGridEh::MouseMove(TShiftState Shift, int X, int Y)
{
    FMoveMousePos = TPoint(X, Y);
    if (FSelectedCellPressed) {
        // The platform has no drag-and-drop of controls: the move only ends the click.
        FSelectedCellPressed = false;
        return;
    }
    if (FDBGridEhState == dgsGroupPanelTitleDown &&
        (std::abs(X - FDownMousePos.X) > 3 || std::abs(Y - FDownMousePos.Y) > 3))
        StartGroupPanelLevelMoving(X, Y);
    if (FDBGridEhState == dgsGroupPanelTitleMoving) {
        GroupPanelMouseMove(X, Y);
        return;
    }
    if (FTracking && FPressedCol >= 0) {
        TrackTitleButton(X, Y);
        if (FDBGridEhState != dgsTitleDown && FOptionsEh.Contains(dghColumnMove) &&
            (std::abs(X - FDownMousePos.X) > 3 || std::abs(Y - FDownMousePos.Y) > 3)) {
            const int col = FPressedCol;
            CancelTracking();
            SetMouseCapture(true);
            BeginMoveAt(col, FDownMousePos.X, FDownMousePos.Y);
        }
        TCustomDBAxisGridEh::MouseMove(Shift, X, Y);
        return;
    }
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (ds && (FIndicatorPressed || FDataTracking || FDBGridEhState == dgsRectSelecting)) {
        // The point is kept inside the scrolling data area, so a drag past an edge still selects
        // up to the edge.
        const int firstRow = TopDataOffset();
        const int lastRow = std::min(LastFullVisibleRow(), RowCount() - FullFooterRowCount() - 1);
        TGridCoord cell = MouseCoord(X, Y);
        if (Y < CellRect(FIndicatorOffset, firstRow).Top)
            cell.Y = firstRow;
        else if (cell.Y < 0 || cell.Y > lastRow)
            cell.Y = lastRow;
        const bool extending = !(FDownMousePos == TPoint(X, Y));
        if (cell.Y >= firstRow && cell.Y != Row()) {
            const bool rowMode = FIndicatorPressed && FDBGridEhState != dgsRectSelecting;
            if (FDBGridEhState == dgsRectSelecting && FSelection->SelectionType() != gstRectangle) {
                // The rectangle is anchored where the drag left the current cell.
                FSelection->Clear();
                FSelection->Rect()->Select(SelectedIndex(), CurrentBookmarkEh(), false);
            }
            if (rowMode && extending && Shift.Contains(ssLeft))
                ExtendRowSelectionBy(cell.Y - Row(), true);
            else
                ds->MoveBy(cell.Y - Row());
            if (FDBGridEhState == dgsRectSelecting)
                FSelection->Rect()->Select(SelectedIndex(), CurrentBookmarkEh(), true);
        }
        if (FDataTracking && cell.X >= FIndicatorOffset && cell.X < ColCount() && cell.X != Col()) {
            const int dataCol = RawToDataColumn(cell.X);
            ChangeSelectedIndex(dataCol, dataCol > SelectedIndex() ? 1 : -1,
                                FDBGridEhState == dgsRectSelecting && SelectionAllowed(gstRectangle));
        }
        FDownMousePos = TPoint(X, Y);
        FMouseShift = Shift;
        return;
    }
    TCustomDBAxisGridEh::MouseMove(Shift, X, Y);
}

// ---------------------------------------------------------------- release

void TCustomDBGridEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FSelectedCellPressed) {
        FSelectedCellPressed = false;
        if (Shift.Contains(ssCtrl) && FOptions.Contains(dgRowSelect))
            FBookmarks->SetCurrentRowSelected(!FBookmarks->CurrentRowSelected());
        else
            ClearSelectionOnClick();
    }
    if (FDBGridEhState == dgsGroupPanelTitleMoving) {
        EndGroupPanelMoving(true, X, Y);
        TCustomControlEh::MouseUp(Button, Shift, X, Y);
        return;
    }
    if (FDBGridEhState == dgsGroupPanelTitleDown) {
        GroupPanelTitleMouseUp(X, Y);
        TCustomControlEh::MouseUp(Button, Shift, X, Y);
        return;
    }
    const TDBGridEhState state = FDBGridEhState;
    FDBGridEhState = dgsNormal;
    FSelecting = false;
    const TGridCoord cell = MouseCoord(X, Y);

    if (FTracking && FPressedCol >= 0) {
        const int col = FPressedCol;
        const bool onTitle = PtInRect(ClientRect(), TPoint(X, Y)) && cell.Y == 0 && cell.X == col;
        CancelTracking();
        if (onTitle)
            TitleButtonClicked(col, Shift);
    }
    const bool sizing = GridState() == gsColSizingEh || GridState() == gsRowSizingEh;
    if (FTracking || FDataTracking || FIndicatorPressed)
        CancelTracking();
    if (state != dgsNormal)
        StopTimer();
    TCustomDBAxisGridEh::MouseUp(Button, Shift, X, Y);

    if (sizing || cell.X < 0 || cell.Y < 0)
        return;
    if (InplaceEditorVisible() && PtInRect(InplaceEditor()->BoundsRect(), TPoint(X, Y)))
        return;
    TColumnEh* column = cell.X >= FIndicatorOffset ? PaintedColumn(RawToDataColumn(cell.X)) : nullptr;
    if (cell.Y < TopDataOffset()) {
        if (Button == mbLeft && column)
            TitleClick(column);
        return;
    }
    if (FCellTreeElementMouseDown)
        return;
    CellClick(column);

    // Check box and image cells step on a click of either button in the pressed cell.
    if (column && cell == FPressedCell && StepsByClickEh(column) && !column->DblClickNextVal() &&
        column->CanModify(true))
        column->SetNextFieldValue(Shift.Contains(ssShift) ? -1 : 1);
    FPressedCell = TGridCoord{-1, -1};
}
