// The data grid's selection: the bookmark list, the rectangle, the column list and the object
// that says which of them is active.
#include "DBGridEh.h"

#include "platform/rtl/Guards.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/WinUser.h"

#include <algorithm>

namespace {

constexpr TGridRect NoGridRectEh{-1, -1, -1, -1};

TDataSet* OpenDataSetEh(TCustomDBGridEh* Grid)
{
    if (!Grid || !Grid->DataLink() || !Grid->DataLink()->Active())
        return nullptr;
    TDataSet* ds = Grid->DataLink()->DataSet();
    return ds && ds->Active() ? ds : nullptr;
}

int CompareRowsEh(TDataSet* DataSet, const TBookmark& A, const TBookmark& B)
{
    return DataSet->CompareBookmarks(A, B);
}

// A bookmark object is the same when it shares its bytes, not merely their value.
bool SameBookmarkObjectEh(const TBookmark& A, const TBookmark& B)
{
    return A.constData() == B.constData() && A.size() == B.size();
}

}  // namespace

// Up to four pieces around the intersection of A and B, inside their union, each made only of
// parts that lie in A or in B: what must be repainted when a range changes from A to B.
int SelectionRectsDifferenceEh(const TRect& A, const TRect& B, TRect (&Out)[4])
{
    for (TRect& r : Out)
        r = TRect();
    TRect inter;
    if (!IntersectRect(inter, A, B)) {
        Out[0] = A;
        Out[1] = B;
        return 2;
    }
    const int left = std::min(A.Left, B.Left), right = std::max(A.Right, B.Right);
    const int top = std::min(A.Top, B.Top), bottom = std::max(A.Bottom, B.Bottom);
    // Left and right pieces span the intersection's rows; top and bottom pieces the union's width,
    // each clipped to whichever of A and B reaches there.
    auto piece = [&](const TRect& r) {
        TRect ia, ib, u;
        const bool inA = IntersectRect(ia, r, A), inB = IntersectRect(ib, r, B);
        if (inA && inB)
            UnionRect(u, ia, ib);
        else
            u = inA ? ia : (inB ? ib : TRect());
        return u;
    };
    Out[0] = piece(TRect(left, inter.Top, inter.Left, inter.Bottom));
    Out[1] = piece(TRect(left, top, right, inter.Top));
    Out[2] = piece(TRect(inter.Right, inter.Top, right, inter.Bottom));
    Out[3] = piece(TRect(left, inter.Bottom, right, bottom));
    int n = 0;
    for (const TRect& r : Out)
        if (!IsRectEmpty(r))
            ++n;
    return n;
}

// ============================================================================================
// TBookmarkListEh
// ============================================================================================

TBookmarkListEh::TBookmarkListEh(TCustomDBGridEh* AGrid) : FGrid(AGrid), FRowsRef(new TObjectList(false)) {}

TBookmarkListEh::~TBookmarkListEh()
{
    FGrid = nullptr;
    TBMListEh::Clear();
    delete FRowsRef;
    FRowsRef = nullptr;
}

TDataSet* TBookmarkListEh::GetDataSet() const
{
    if (!FGrid || !FGrid->DataSource())
        return nullptr;
    return FGrid->DataSource()->DataSet();
}

void TBookmarkListEh::Invalidate()
{
    if (FGrid)
        FGrid->Invalidate();
}

void TBookmarkListEh::SetCurrentRowSelected(bool Value)
{
    TDataSet* ds = GetDataSet();
    if (!ds || ds->IsEmpty())
        return;
    TBMListEh::SetCurrentRowSelected(Value);
    if (FGrid && FGrid->HandleAllocated())
        FGrid->InvalidateRow(FGrid->Row());
}

void TBookmarkListEh::InvalidateCache()
{
    TBMListEh::InvalidateCache();
    if (!FGrid || !FGrid->Selection())
        return;
    TDBGridEhSelection* sel = FGrid->Selection();
    if (Count() > 0 && sel->SelectionType() != gstRecordBookmarks) {
        if (sel->SelectionType() != gstNon)
            sel->Clear();
        sel->SetSelectionType(gstRecordBookmarks);
    }
    sel->UpdateState();
    FGrid->SelectionChangedNotify();
}

void TBookmarkListEh::UpdateState()
{
    if (FGrid && FGrid->Selection())
        FGrid->Selection()->UpdateState();
}

void TBookmarkListEh::Clear()
{
    if (FRowsRef)
        FRowsRef->Clear();
    if (Count() > 0)
        TBMListEh::Clear();
}

TGridRect TBookmarkListEh::SelectionToGridRect()
{
    if (!FGrid || Count() == 0 || !OpenDataSetEh(FGrid) || !FGrid->DataRowsReadable())
        return NoGridRectEh;
    TDataSet* ds = OpenDataSetEh(FGrid);
    int first = -1, last = -1;
    int from = 0, to = FGrid->InstantReadRecordCount() - 1;
    if (FGrid->GridHasIntMemTable()) {
        from = std::max(0, FGrid->TopRow() - FGrid->TopDataOffset());
        to = std::min(to, from + FGrid->VisibleDataRowCount());
    }
    for (int r = from; r <= to; ++r) {
        FGrid->InstantReadRecordEnter(r);
        auto leave = Finally([&] { FGrid->InstantReadRecordLeave(); });
        if (IndexOf(ds->Bookmark()) >= 0) {
            if (first < 0)
                first = r;
            last = r;
        }
    }
    if (first < 0)
        return NoGridRectEh;
    const int offset = FGrid->TopDataOffset();
    return TGridRect{0, first + offset, FGrid->ColCount() - 1, last + offset};
}

void TBookmarkListEh::Assign(TBookmarkListEh* Source)
{
    Clear();
    for (int i = 0; i < Source->Count(); ++i)
        AppendItem(Source->GetItem(i));
}

void TBookmarkListEh::AssignAsBaseRef(TBookmarkListEh* Source)
{
    Clear();
    TCustomDBGridEh* grid = Source->Grid();
    TDataSet* ds = OpenDataSetEh(grid);
    if (!ds || !grid->GridHasIntMemTable() || !grid->DataRowsReadable())
        return;
    IMemTableEh* table = grid->IntMemTable();
    const int n = table->InstantReadRowCount();
    for (int r = 0; r < n; ++r) {
        TInstantReadGuardEh read(table, r);
        if (Source->IndexOf(ds->Bookmark()) >= 0)
            FRowsRef->Add(reinterpret_cast<TObject*>(table->GetRec()));
    }
}

// ============================================================================================
// TDBGridEhSelectionRect
// ============================================================================================

void TDBGridEhSelectionRect::CheckOpen(const char* Text) const
{
    if (!OpenDataSetEh(FGrid))
        throw EInvalidGridOperationEh(QString::fromUtf8(Text));
}

TBookmark TDBGridEhSelectionRect::TopRow() const
{
    CheckOpen("Error in TDBGridEhSelectionRect.GetBottomRow");
    return CompareRowsEh(OpenDataSetEh(FGrid), FAnchor.Row, FShiftCell.Row) <= 0 ? FAnchor.Row : FShiftCell.Row;
}

TBookmark TDBGridEhSelectionRect::BottomRow() const
{
    CheckOpen("Error in TDBGridEhSelectionRect.GetBottomRow");
    return CompareRowsEh(OpenDataSetEh(FGrid), FAnchor.Row, FShiftCell.Row) <= 0 ? FShiftCell.Row : FAnchor.Row;
}

int TDBGridEhSelectionRect::LeftCol() const
{
    CheckOpen("Error in TDBGridEhSelectionRect.GetBottomRow");
    return std::min(FAnchor.Col, FShiftCell.Col);
}

int TDBGridEhSelectionRect::RightCol() const
{
    CheckOpen("Error in TDBGridEhSelectionRect.GetBottomRow");
    return std::max(FAnchor.Col, FShiftCell.Col);
}

bool TDBGridEhSelectionRect::DataCellSelected(int DataCol, const TBookmark& DataRow) const
{
    CheckOpen("Error in function TDBGridEhSelectionRect.CellSelected");
    TDataSet* ds = OpenDataSetEh(FGrid);
    return CompareRowsEh(ds, TopRow(), DataRow) <= 0 && CompareRowsEh(ds, DataRow, BottomRow()) <= 0 &&
           LeftCol() <= DataCol && DataCol <= RightCol();
}

void TDBGridEhSelectionRect::Clear()
{
    FAnchor = TDBCell();
    FShiftCell = TDBCell();
    FGrid->Invalidate();
    FGrid->SelectionChangedNotify();
}

void TDBGridEhSelectionRect::Assign(TDBGridEhSelectionRect* Source)
{
    Clear();
    FAnchor = Source->FAnchor;
    FShiftCell = Source->FShiftCell;
}

void TDBGridEhSelectionRect::Select(int DataCol, const TBookmark& RowBookmark, bool AddSel)
{
    TDBGridEhSelection* sel = FGrid->Selection();
    if (sel->SelectionType() != gstRectangle && sel->SelectionType() != gstNon)
        sel->Clear();
    const TDBCell oldAnchor = FAnchor, oldShift = FShiftCell;
    const TDBCell cell{DataCol, RowBookmark};
    if (FAnchor.Col < 0 || !AddSel)
        FAnchor = cell;
    FShiftCell = cell;

    TDataSet* ds = OpenDataSetEh(FGrid);
    const bool sameCell =
        FAnchor.Col == FShiftCell.Col && ds && CompareRowsEh(ds, FAnchor.Row, FShiftCell.Row) == 0;
    if (!sameCell)
        sel->SetSelectionType(gstRectangle);
    else if (sel->SelectionType() == gstRectangle)
        sel->SetSelectionType(gstNon);

    if (!FGrid->HandleAllocated())
        return;
    // Only the parts in which the old and new ranges differ are repainted. Two corners lie in one
    // record only when they hold one bookmark object (both set from the same bookmark).
    int oldLeft = oldAnchor.Col, oldRight = oldShift.Col;
    const bool oldOneRow = SameBookmarkObjectEh(oldAnchor.Row, oldShift.Row);
    const bool newOneRow = SameBookmarkObjectEh(FAnchor.Row, FShiftCell.Row);
    const bool oldSingle = oldOneRow && oldAnchor.Col == oldShift.Col;
    const bool newSingle = newOneRow && FAnchor.Col == FShiftCell.Col;
    if ((oldSingle && newOneRow && FAnchor.Col != FShiftCell.Col) ||
        (oldOneRow && oldAnchor.Col != oldShift.Col && newSingle)) {
        oldLeft = 0;
        oldRight = FGrid->VisibleAxisBars()->Count() - 1;
    }
    const TRect oldRect =
        oldAnchor.Col < 0 ? TRect() : FGrid->DataRangeScreenRect(oldLeft, oldRight, oldAnchor.Row, oldShift.Row);
    const TRect newRect = FGrid->DataRangeScreenRect(FAnchor.Col, FShiftCell.Col, FAnchor.Row, FShiftCell.Row);
    TRect pieces[4];
    SelectionRectsDifferenceEh(oldRect, newRect, pieces);
    for (const TRect& r : pieces)
        if (!IsRectEmpty(r))
            InvalidateRect(FGrid->Handle(), &r, false);
    const bool changed = oldAnchor.Col != FAnchor.Col || !SameBookmarkObjectEh(oldAnchor.Row, FAnchor.Row) ||
                         oldShift.Col != FShiftCell.Col || !SameBookmarkObjectEh(oldShift.Row, FShiftCell.Row);
    if (changed)
        FGrid->SelectionChangedNotify();
}

TGridRect TDBGridEhSelectionRect::SelectionToGridRect()
{
    TDataSet* ds = OpenDataSetEh(FGrid);
    if (!ds || FAnchor.Col < 0)
        return NoGridRectEh;
    int top = -1, bottom = -1;
    if (!FGrid->DataRowRangeOf(TopRow(), BottomRow(), top, bottom, false))
        return NoGridRectEh;
    const int offset = FGrid->TopDataOffset();
    return TGridRect{FGrid->DataToRawColumn(LeftCol()), top + offset, FGrid->DataToRawColumn(RightCol()),
                     bottom + offset};
}

// ============================================================================================
// TDBGridEhSelectionCols
// ============================================================================================

TDBGridEhSelectionCols::TDBGridEhSelectionCols(TCustomDBGridEh* AGrid)
    : FGrid(AGrid), FShiftSelectedCols(new TColumnsEhList())
{
}

TDBGridEhSelectionCols::~TDBGridEhSelectionCols()
{
    delete FShiftSelectedCols;
    FShiftSelectedCols = nullptr;
}

void TDBGridEhSelectionCols::AddColumn(TColumnEh* Column)
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Index() > Column->Index()) {
            Insert(i, Column);
            FGrid->SelectionChangedNotify();
            return;
        }
    Add(Column);
    FGrid->SelectionChangedNotify();
}

void TDBGridEhSelectionCols::Clear()
{
    const bool had = Count() > 0;
    if (FGrid && FGrid->HandleAllocated())
        for (int i = 0; i < Count(); ++i)
            FGrid->InvalidateColumnEh(Items(i));
    TColumnsEhList::Clear();
    FAnchor = nullptr;
    TDBGridEhSelection* sel = FGrid ? FGrid->Selection() : nullptr;
    if (!sel)
        return;
    if (sel->SelectionType() != gstNon)
        sel->SetSelectionType(gstNon);
    else if (had)
        FGrid->SelectionChangedNotify();
}

void TDBGridEhSelectionCols::ClearOtherKind()
{
    TDBGridEhSelection* sel = FGrid->Selection();
    if (sel->SelectionType() != gstColumns && sel->SelectionType() != gstNon)
        sel->Clear();
}

void TDBGridEhSelectionCols::SetKindFromList()
{
    FGrid->Selection()->SetSelectionType(Count() > 0 ? gstColumns : gstNon);
}

void TDBGridEhSelectionCols::Select(TColumnEh* Column, bool AddSel)
{
    ClearOtherKind();
    if (!AddSel)
        Clear();
    if (IndexOf(Column) < 0)
        AddColumn(Column);
    FGrid->InvalidateColumnEh(Column);
    FAnchor = Column;
    FShiftCol = Column;
    FGrid->Selection()->SetSelectionType(gstColumns);
    FShiftSelectedCols->Clear();
}

void TDBGridEhSelectionCols::InvertSelect(TColumnEh* Column)
{
    ClearOtherKind();
    const int i = IndexOf(Column);
    if (i < 0) {
        AddColumn(Column);
    } else {
        Delete(i);
        FGrid->SelectionChangedNotify();
    }
    FGrid->InvalidateColumnEh(Column);
    FAnchor = Column;
    FShiftCol = Column;
    SetKindFromList();
    FShiftSelectedCols->Clear();
}

void TDBGridEhSelectionCols::Refresh()
{
    TDBGridColumnsEh* columns = FGrid->Columns();
    for (int i = Count() - 1; i >= 0; --i) {
        bool found = false;
        for (int c = 0; c < columns->Count() && !found; ++c)
            found = columns->Items(c) == TObjectList::Items(i);
        if (!found)
            Delete(i);
    }
    if (FAnchor && IndexOf(FAnchor) < 0)
        FAnchor = nullptr;
    Sort([](void* A, void* B) {
        return static_cast<TColumnEh*>(A)->Index() - static_cast<TColumnEh*>(B)->Index();
    });
}

void TDBGridEhSelectionCols::SelectShift(TColumnEh* Column)
{
    ClearOtherKind();
    if (!FAnchor) {
        Select(Column, true);
        FAnchor = Column;
        return;
    }
    TDBGridColumnsEh* columns = FGrid->Columns();
    const int anchorIndex = FAnchor->Index();
    const int newIndex = Column->Index();
    const int prevIndex = FShiftCol ? FShiftCol->Index() : anchorIndex;
    const bool anchorSelected = IndexOf(FAnchor) >= 0;
    const int rangeLo = std::min(anchorIndex, newIndex), rangeHi = std::max(anchorIndex, newIndex);
    const int walkLo = std::min({prevIndex, newIndex, anchorIndex}), walkHi = std::max({prevIndex, newIndex, anchorIndex});
    for (int i = walkLo; i <= walkHi && i < columns->Count(); ++i) {
        TColumnEh* c = columns->Items(i);
        const bool listed = IndexOf(c) >= 0;
        const int recorded = FShiftSelectedCols->IndexOf(c);
        if (i >= rangeLo && i <= rangeHi) {
            if (c == FAnchor || listed == anchorSelected || (anchorSelected && !c->Visible()))
                continue;
            if (anchorSelected)
                AddColumn(c);
            else
                Remove(c);
            // Recorded only when its state changed, so going back never touches a column the
            // user chose on its own.
            if (recorded < 0)
                FShiftSelectedCols->Add(c);
            FGrid->InvalidateColumnEh(c);
        } else if (recorded >= 0) {
            if (listed)
                Remove(c);
            else
                AddColumn(c);
            FShiftSelectedCols->Delete(recorded);
            FGrid->InvalidateColumnEh(c);
        }
    }
    FGrid->SelectionChangedNotify();
    FShiftCol = Column;
    SetKindFromList();
}

TGridRect TDBGridEhSelectionCols::SelectionToGridRect()
{
    int lo = -1, hi = -1;
    for (int i = 0; i < Count(); ++i) {
        const int col = FGrid->GridColumnOf(Items(i));
        if (col < 0)
            continue;
        lo = lo < 0 ? col : std::min(lo, col);
        hi = std::max(hi, col);
    }
    if (lo < 0)
        return NoGridRectEh;
    return TGridRect{lo, 0, hi, FGrid->RowCount() - 1};
}

// ============================================================================================
// TDBGridEhSelection
// ============================================================================================

TDBGridEhSelection::TDBGridEhSelection(TCustomDBGridEh* AGrid)
    : FColumns(new TDBGridEhSelectionCols(AGrid)), FGrid(AGrid), FRect(new TDBGridEhSelectionRect(AGrid))
{
    if (!AGrid)
        FBMList = new TBookmarkListEh(nullptr);
}

TDBGridEhSelection::~TDBGridEhSelection()
{
    delete FColumns;
    delete FRect;
    delete FBMList;
}

TBookmarkListEh* TDBGridEhSelection::Rows() const { return FGrid ? FGrid->SelectedRows() : FBMList; }

void TDBGridEhSelection::SetSelectionType(TDBGridEhSelectionType Value)
{
    if (Value == FSelectionType)
        return;
    FSelectionType = Value;
    SelectionChanged();
    if (FGrid)
        FGrid->InvalidateEditor();
}

void TDBGridEhSelection::SelectionChanged()
{
    if (FGrid)
        FGrid->SelectionChangedNotify();
}

bool TDBGridEhSelection::DataCellSelected(int DataCol, const TBookmark& DataRow)
{
    switch (FSelectionType) {
    case gstRecordBookmarks: return Rows()->IndexOf(DataRow) >= 0;
    case gstRectangle: return DataCol >= 0 && FRect->DataCellSelected(DataCol, DataRow);
    case gstColumns: {
        TColumnEh* column = DataCol >= 0 && FGrid ? FGrid->PaintedColumn(DataCol) : nullptr;
        return column && FColumns->IndexOf(column) >= 0;
    }
    case gstAll: return true;
    case gstNon: return false;
    }
    return false;
}

TGridRect TDBGridEhSelection::SelectionToGridRect()
{
    switch (FSelectionType) {
    case gstRecordBookmarks: return Rows()->SelectionToGridRect();
    case gstRectangle: return FRect->SelectionToGridRect();
    case gstColumns: return FColumns->SelectionToGridRect();
    case gstAll: return FGrid ? TGridRect{0, 0, FGrid->ColCount(), FGrid->RowCount()} : NoGridRectEh;
    case gstNon: break;
    }
    return NoGridRectEh;
}

void TDBGridEhSelection::Clear()
{
    const TDBGridEhSelectionType old = FSelectionType;
    FSelectionType = gstNon;
    auto editor = Finally([&] {
        if (FGrid && !FGrid->BeingDestroyed() && FGrid->Options().Contains(dgAlwaysShowEditor) &&
            FGrid->IsAlwaysShowEditor())
            FGrid->ShowEditor();
    });
    switch (old) {
    case gstRecordBookmarks: Rows()->Clear(); break;
    case gstRectangle: FRect->Clear(); break;
    case gstColumns: FColumns->Clear(); break;
    case gstAll:
        SelectionChanged();
        if (FGrid)
            FGrid->Invalidate();
        break;
    case gstNon: break;
    }
}

void TDBGridEhSelection::SelectAll()
{
    if (FSelectionType == gstAll)
        return;
    if (FSelectionType != gstNon)
        Clear();
    FSelectionType = gstAll;
    if (FGrid)
        FGrid->Invalidate();
    SelectionChanged();
}

void TDBGridEhSelection::UpdateState()
{
    if ((FSelectionType == gstColumns && FColumns->Count() == 0) ||
        (FSelectionType == gstRecordBookmarks && Rows()->Count() == 0)) {
        SetSelectionType(gstNon);
        if (FGrid)
            FGrid->Invalidate();
    }
}

void TDBGridEhSelection::Refresh()
{
    if (FSelectionType == gstColumns) {
        FColumns->Refresh();
        if (FColumns->Count() == 0) {
            SetSelectionType(gstNon);
            if (FGrid)
                FGrid->Invalidate();
        }
    } else if (FSelectionType == gstRecordBookmarks && Rows()->DataSet()) {
        Rows()->Refresh();
    }
}

void TDBGridEhSelection::Assign(TDBGridEhSelection* Source)
{
    if (Source->FSelectionType != FSelectionType)
        Clear();
    switch (Source->FSelectionType) {
    case gstRecordBookmarks: Rows()->Assign(Source->Rows()); break;
    case gstRectangle: FRect->Assign(Source->FRect); break;
    case gstColumns:
        FColumns->TColumnsEhList::Clear();
        for (int i = 0; i < Source->FColumns->Count(); ++i)
            FColumns->Add(Source->FColumns->Items(i));
        break;
    case gstAll: SelectAll(); break;
    case gstNon: break;
    }
    FSelectionType = Source->FSelectionType;
}

void TDBGridEhSelection::AssignAsBaseRef(TDBGridEhSelection* Source)
{
    if (Source->FSelectionType != FSelectionType)
        Clear();
    switch (Source->FSelectionType) {
    case gstRecordBookmarks: Rows()->AssignAsBaseRef(Source->Rows()); break;
    case gstColumns:
        FColumns->TColumnsEhList::Clear();
        for (int i = 0; i < Source->FColumns->Count(); ++i)
            FColumns->Add(Source->FColumns->Items(i));
        break;
    case gstAll: SelectAll(); break;
    case gstRectangle:
    case gstNon: break;
    }
    FSelectionType = Source->FSelectionType;
}

void TDBGridEhSelection::LinkActive(bool Value)
{
    Rows()->LinkActive(Value);
    Clear();
}

// ============================================================================================
// The grid's selection operations
// ============================================================================================

void TCustomDBGridEh::SetAllowedSelections(TDBGridEhAllowedSelections Value)
{
    if (FAllowedSelections == Value)
        return;
    FAllowedSelections = Value;
    if (FSelection && FSelection->SelectionType() != gstNon &&
        !SelectionAllowed(FSelection->SelectionType()))
        FSelection->Clear();
}

bool TCustomDBGridEh::SelectionAllowed(TDBGridEhSelectionType Kind)
{
    if (Kind == gstNon)
        return true;
    if (!FOptions.Contains(dgMultiSelect) || !FAllowedSelections.Contains(Kind))
        return false;
    if ((Kind == gstRectangle || Kind == gstColumns) && FOptions.Contains(dgRowSelect))
        return false;
    return true;
}

bool TCustomDBGridEh::CellMultiSelected(int ACol, int ARow, const TBookmark& RowBookmark, int DataCol)
{
    if (!FSelection || FSelection->SelectionType() == gstNon)
        return false;
    if (FSelection->SelectionType() == gstAll)
        return true;
    TCellAreaHorzTypeEh horz;
    TCellAreaVertTypeEh vert;
    int colIndex = 0, rowIndex = 0;
    GetCellType(ACol, ARow, horz, vert, colIndex, rowIndex);
    if (vert == vctDataEh) {
        if (horz == hctIndicatorEh)
            return FSelection->SelectionType() == gstRecordBookmarks && FBookmarks->IndexOf(RowBookmark) >= 0;
        return FSelection->DataCellSelected(DataCol, RowBookmark);
    }
    if (horz != hctDataEh || FSelection->SelectionType() != gstColumns)
        return false;
    TColumnEh* column = PaintedColumn(DataCol);
    return column && FSelection->Columns()->IndexOf(column) >= 0;
}

bool TCustomDBGridEh::ConfirmDelete()
{
    const QString question = FBookmarks->Count() < 2 ? QStringLiteral("Delete record?")
                                                     : QStringLiteral("Delete all selected records?");
    if (!FOptions.Contains(dgConfirmDelete))
        return true;
    const HWND focused = GetFocus();
    auto refocus = Finally([&] {
        if (focused)
            ::SetFocus(focused);
    });
    return MessageDlg(question, mtConfirmation, TMsgDlgButtons{mbOK, mbCancel}) != mrCancel;
}

void TCustomDBGridEh::ResetSelection()
{
    if (FOptions.Contains(dgMultiSelect))
        FBookmarks->Clear();
    FSelecting = false;
    if (FSelection->SelectionType() != gstNon) {
        FSelection->Clear();
        Invalidate();
        InvalidateEditor();
    }
}

void TCustomDBGridEh::ClearSelectionOnClick()
{
    if (FOptionsEh.Contains(dghClearSelection))
        ResetSelection();
    FSelecting = false;
}

void TCustomDBGridEh::SelectionChangedNotify()
{
    if (BeingDestroyed())
        return;
    DoSelectionChanged();
}

// ---------------------------------------------------------------- screen positions of selections

int TCustomDBGridEh::GridColumnOf(TColumnEh* Column) const
{
    const int i = VisibleAxisBars()->IndexOf(Column);
    return i < 0 ? -1 : i + FIndicatorOffset;
}

void TCustomDBGridEh::InvalidateColumnEh(TColumnEh* Column)
{
    const int col = GridColumnOf(Column);
    if (col >= 0 && HandleAllocated())
        InvalidateCol(col);
}

bool TCustomDBGridEh::DataRowRangeOf(const TBookmark& TopBookmark, const TBookmark& BottomBookmark, int& Top,
                                     int& Bottom, bool Clamp)
{
    Top = Bottom = -1;
    TDataSet* ds = OpenDataSetEh(this);
    if (!ds || !DataRowsReadable())
        return false;
    if (HasIntMemTable()) {
        Top = FIntMemTable->InstantReadIndexOfBookmark(TopBookmark);
        Bottom = FIntMemTable->InstantReadIndexOfBookmark(BottomBookmark);
        return Top >= 0 && Bottom >= 0;
    }
    const int n = FDataLink->RecordCount();
    const int oldActive = FDataLink->ActiveRecord();
    auto restore = Finally([&] { FDataLink->SetActiveRecord(oldActive); });
    for (int r = 0; r < n; ++r) {
        FDataLink->SetActiveRecord(r);
        const TBookmark bm = ds->Bookmark();
        if (Top < 0 && ds->CompareBookmarks(bm, TopBookmark) >= 0)
            Top = r;
        if (ds->CompareBookmarks(bm, BottomBookmark) <= 0)
            Bottom = r;
    }
    if (Clamp && n > 0) {
        FDataLink->SetActiveRecord(0);
        if (ds->CompareBookmarks(TopBookmark, ds->Bookmark()) < 0)
            Top = 0;
        else if (Top < 0)
            Top = n;
        FDataLink->SetActiveRecord(n - 1);
        if (ds->CompareBookmarks(BottomBookmark, ds->Bookmark()) > 0)
            Bottom = std::max(0, VisibleDataRowCount() - 1);
    }
    return Top >= 0 && Bottom >= 0;
}

TRect TCustomDBGridEh::DataRangeScreenRect(int DataCol1, int DataCol2, const TBookmark& Row1, const TBookmark& Row2)
{
    TDataSet* ds = OpenDataSetEh(this);
    if (!ds || DataCol1 < 0 || DataCol2 < 0)
        return TRect();
    const bool ordered = ds->CompareBookmarks(Row1, Row2) <= 0;
    int top = -1, bottom = -1;
    if (!DataRowRangeOf(ordered ? Row1 : Row2, ordered ? Row2 : Row1, top, bottom, true))
        return TRect();
    const int offset = TopDataOffset();
    return CellRangeRect(DataToRawColumn(std::min(DataCol1, DataCol2)), top + offset,
                         DataToRawColumn(std::max(DataCol1, DataCol2)), bottom + offset);
}
