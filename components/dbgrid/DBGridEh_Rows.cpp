#include "DBGridEh.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const SAlgorithmError = "Algorithm error in TCustomDBGridEh.GetCellType";

// Height of one text line in a font, with the leading the platform puts between lines.
int FontLineHeight(TFont* AFont)
{
    TTextMetric tm;
    GetTextMetrics(MeasureCanvasEh(AFont)->Handle(), tm);
    return tm.tmHeight + tm.tmExternalLeading;
}

int WgHeight(TFont* AFont) { return MeasureCanvasEh(AFont)->TextHeight(QStringLiteral("Wg")); }

} // namespace

// ---------------------------------------------------------------- row layout

int TCustomDBGridEh::GetTitleRowsCount() { return Options().Contains(dgTitles) ? 1 : 0; }

// The filter row is not built into this grid yet: no row under the titles.
bool TCustomDBGridEh::FilterRowInTitle() { return false; }

int TCustomDBGridEh::TopDataOffset() { return GetTitleRowsCount() + (FilterRowInTitle() ? 1 : 0); }

int TCustomDBGridEh::FullFooterRowCount() { return FooterRowCount(); }

void TCustomDBGridEh::GetCellType(int ACol, int ARow, TCellAreaHorzTypeEh& HorzType, TCellAreaVertTypeEh& VertType,
                                  int& ColIndex, int& RowIndex)
{
    if (ACol < FIndicatorOffset) {
        HorzType = hctIndicatorEh;
        ColIndex = ACol;
    } else {
        HorzType = hctDataEh;
        ColIndex = ACol - FIndicatorOffset;
    }

    const int titles = GetTitleRowsCount();
    const int top = TopDataOffset();
    const int dataBottom = RowCount() - 1;
    if (ARow < titles) {
        VertType = vctTitleEh;
        RowIndex = ARow;
    } else if (ARow < top) {
        VertType = vctSubTitleEh;
        RowIndex = ARow - titles;
    } else if (ARow <= dataBottom) {
        VertType = vctDataEh;
        RowIndex = ARow - top;
    } else if (ARow == dataBottom + 1) {
        VertType = vctFooterEh;
        RowIndex = 0;
    } else if (ARow > dataBottom) {
        VertType = vctFooterEh;
        RowIndex = ARow - (dataBottom + 1);
    } else {
        throw Exception(QString::fromLatin1(SAlgorithmError));
    }
}

int TCustomDBGridEh::DataRowToRecNo(int DataRow)
{
    if (!FDataLink->Active())
        return 0;
    if (TGroupDataTreeNodeEh* node = GroupDataNodeOfRow(DataRow))
        return node->DataSetRecordViewNo() + 1;
    if (HasIntMemTable())
        return DataRow + 1;
    const int old = FDataLink->ActiveRecord();
    auto restore = Finally([this, old] { FDataLink->SetActiveRecord(old); });
    FDataLink->SetActiveRecord(DataRow);
    return FDataLink->DataSet()->RecNo();
}

bool TCustomDBGridEh::IsExtendedScrolling() { return HasIntMemTable(); }

bool TCustomDBGridEh::DataRowsReadable()
{
    TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
    return ds && FDataLink->Active() && ds->Active() && !ds->ControlsDisabled();
}

// ---------------------------------------------------------------- stored heights

int TCustomDBGridEh::DefaultRowHeight() const
{
    int h = TCustomDBAxisGridEh::DefaultRowHeight();
    if (Options().Contains(dgRowLines))
        h -= GridLineWidth();
    return h;
}

void TCustomDBGridEh::SetDefaultRowHeight(int Value)
{
    if (Options().Contains(dgRowLines))
        Value += GridLineWidth();
    ++FRowHeightResets;
    FVertAxis->SetAllCelLens(Value);
}

int TCustomDBGridEh::GridRowHeightWithoutLine(int ARow) const
{
    int h = RowHeights(ARow);
    if (Options().Contains(dgRowLines))
        h -= GridLineWidth();
    return h;
}

void TCustomDBGridEh::SetGridRowHeightWithLine(int ARow, int Value)
{
    if (Options().Contains(dgRowLines))
        Value += GridLineWidth();
    SetRowHeights(ARow, Value);
}

int TCustomDBGridEh::GridColWidthWithoutLine(int ACol) const
{
    int w = ColWidths(ACol);
    if (Options().Contains(dgColLines))
        w -= GridLineWidth();
    return w;
}

void TCustomDBGridEh::SetGridColWidthWithLine(int ACol, int Value)
{
    if (Options().Contains(dgColLines))
        Value += GridLineWidth();
    SetColWidths(ACol, Value);
}

// ---------------------------------------------------------------- standard heights

void TCustomDBGridEh::CalcStdDefaultRowHeight()
{
    FStdDefaultRowHeight = WgHeight(Font()) + (Flat() ? 1 : 3);
    if (Options().Contains(dgRowLines))
        FStdDefaultRowHeight += GridLineWidth();
}

void TCustomDBGridEh::CalcStdRowAndTitleHeights()
{
    TTextMetric tm;
    GetTextMetrics(MeasureCanvasEh(Font())->Handle(), tm);
    const int lineHeight = tm.tmHeight + tm.tmExternalLeading;

    int margin = Flat() ? 1 : 3;
    if (Options().Contains(dgRowLines))
        margin += GridLineWidth();

    if (RowHeight() > 0 || RowLines() > 0) {
        FStdDefaultRowHeight = RowHeight() + lineHeight * RowLines();
        FStdDefaultTextHeight = lineHeight;
    } else {
        FStdDefaultTextHeight = WgHeight(Font());
        FStdDefaultRowHeight = FStdDefaultTextHeight + margin;
    }

    if (OptionsEh().Contains(dghFitRowHeightToText) && FStdDefaultTextHeight > 0) {
        int lines = 0;
        FStdDefaultRowHeight = FitRowHeightToTextEh(FStdDefaultRowHeight, margin, FStdDefaultTextHeight, lines);
        FRowLines = lines;
        FNewRowHeight = margin;
    }

    const int buttonWidth = FInplaceEditorButtonWidth;
    if (int(std::lround(1.5 * buttonWidth)) >= FStdDefaultRowHeight)
        FInplaceEditorButtonHeight = FStdDefaultRowHeight;
    else
        FInplaceEditorButtonHeight = Flat() ? int(std::lround(buttonWidth * 4.0 / 3.0)) : buttonWidth;

    FAllowWordWrap = tm.tmHeight + tm.tmExternalLeading + tm.tmInternalLeading + FInterlinear < FStdDefaultRowHeight;

    CalcTitleRowHeight();
}

void TCustomDBGridEh::CalcTitleRowHeight()
{
    if (!Options().Contains(dgTitles)) {
        FTitleRowHeight = 0;
        return;
    }
    TDBGridTitleParamsEh* tp = TitleParams();
    TFont* tallest = TitleFont();
    int tallestHeight = WgHeight(tallest);
    for (int i = 0; i < Columns()->Count(); ++i) {
        TFont* f = Columns()->Items(i)->Title()->Font();
        const int h = WgHeight(f);
        if (h > tallestHeight) {
            tallestHeight = h;
            tallest = f;
        }
    }
    FTitleRowHeight = tallestHeight + FInterlinear;
    if (tp->RowHeight() > 0 || tp->RowLines() > 0) {
        TTextMetric tm;
        GetTextMetrics(MeasureCanvasEh(tallest)->Handle(), tm);
        FTitleHeightFull = tp->RowHeight();
        if (tp->RowLines() > 0)
            FTitleHeightFull += tp->RowLines() * tm.tmHeight + tm.tmExternalLeading + 2;
        if (Options().Contains(dgRowLines))
            FTitleHeightFull += 1;
        FTitleRowHeight = FTitleHeightFull;
    }

    if (!IsUseMultiTitle())
        return;
    HeadTree()->CreateFieldTree(this);
    const int full = CalcHeadTreeHeights(HeadTree());
    // A tree nobody measured keeps the single-line height.
    if (full <= 0)
        return;
    int h = full - 1;
    const bool rowLines = Options().Contains(dgRowLines);
    if (!rowLines && tp->HorzLines())
        h += 1;
    else if (rowLines && !tp->HorzLines())
        h -= 1;
    if (tp->BorderInFillStyle())
        h -= 1;
    FTitleRowHeight = h;
}

// ---------------------------------------------------------------- footer heights

void TCustomDBGridEh::UpdateFooterRowHeights()
{
    if (!HandleAllocated())
        return;
    TDBGridFooterParamsEh* fp = FooterParams();
    const int rows = std::max(0, FooterRowCount());
    FCalculatedFooterRowHeights.assign(size_t(rows), 0);
    for (int i = 0; i < rows; ++i) {
        int h;
        if (fp->RowLines() > 0 || fp->RowHeight() > 0)
            h = fp->RowHeight() + FontLineHeight(fp->Font()) * fp->RowLines();
        else if (fp->Font()->GetSize() == Font()->GetSize())
            h = FStdDefaultRowHeight;
        else
            h = WgHeight(fp->Font()) + FInterlinear;
        FCalculatedFooterRowHeights[size_t(i)] = h;
    }
}

// Group footers come with grouping, which this grid does not have yet.
void TCustomDBGridEh::UpdateGroupFooterRowHeights() {}

void TCustomDBGridEh::SetupFooterRows()
{
    const int footers = FullFooterRowCount();
    SetContraRowCount(footers);
    const int first = RowCount();
    for (int i = 0; i < footers; ++i) {
        const int h = i < int(FCalculatedFooterRowHeights.size()) ? FCalculatedFooterRowHeights[size_t(i)]
                                                                 : FStdDefaultRowHeight;
        SetGridRowHeightWithLine(first + i, h);
    }
}

// ---------------------------------------------------------------- data row heights

void TCustomDBGridEh::UpdateAllDataRowHeights()
{
    if (!FDataLink || !HandleAllocated() || IsLoading())
        return;
    UpdateAllGridDataRowHeights();
    UpdateGroupFooterRowHeights();
    UpdateFooterRowHeights();
}

void TCustomDBGridEh::UpdateAllGridDataRowHeights()
{
    if (GroupingRowsShown()) {
        GroupingUpdateRowHeights();
        return;
    }
    IMemTableEh* mt = FIntMemTable;
    const bool perRow = FDataLink->Active() && mt && DataRowsReadable() && !FDataLink->DataSet()->IsEmpty() &&
                        OptionsEh().Contains(dghAutoFitRowHeight);
    if (!perRow) {
        // Every data row shares the standard height.
        ResetRowsToStdHeight();
        return;
    }
    LockPaint();
    auto unlock = Finally([this] { UnlockPaint(); });
    const int count = std::min(InstantReadRecordCount(), DataRowCount());
    for (int i = 0; i < count; ++i)
        UpdateDataRowHeight(i);
}

void TCustomDBGridEh::UpdateDataRowHeight(int DataRow)
{
    const int row = DataRow + TopDataOffset();
    if (row < 0 || row >= RowCount())
        return;
    SetGridRowHeightWithLine(row, GetDataRowHeight(DataRow) + RowDetailPanelExtraHeight(DataRow));
}

int TCustomDBGridEh::GetDataRowHeight(int DataRow)
{
    if (TGroupDataTreeNodeEh* node = GroupDataNodeOfRow(DataRow))
        if (node->NodeType() != dntDataSetRecordEh)
            return CalcDataGroupNodeRowHeight(node);
    if (!FDataLink->Active() || !OptionsEh().Contains(dghAutoFitRowHeight) || !DataRowsReadable())
        return FStdDefaultRowHeight;
    InstantReadRecordEnter(DataRow);
    auto leave = Finally([this] { InstantReadRecordLeave(); });
    return CalcCurrentRowHeight();
}

int TCustomDBGridEh::CalcCurrentRowHeight()
{
    int h = FStdDefaultRowHeight;
    if (OptionsEh().Contains(dghAutoFitRowHeight)) {
        h = 0;
        for (int i = 0; i < Columns()->Count(); ++i) {
            TColumnEh* c = Columns()->Items(i);
            if (c->Visible())
                h = std::max(h, c->CalcRowHeight());
        }
        if (h <= 0)
            h = FStdDefaultRowHeight;
    }
    if (OnGetRowHeight.Assigned())
        OnGetRowHeight(this, h);
    return h;
}

void TCustomDBGridEh::VertAxisChanged()
{
    TCustomDBAxisGridEh::VertAxisChanged();
    if (FDefaultRowChanged && !OptionsEh().Contains(dghAutoFitRowHeight) && !OnGetRowHeight.Assigned()) {
        FDefaultRowChanged = false;
        for (int r = TopDataOffset(); r < RowCount(); ++r) {
            const int h = GridRowHeightWithoutLine(r);
            if (h != FStdDefaultRowHeight) {
                FRowLines = 0;
                SetRowHeight(h);
                break;
            }
        }
        UpdateScrollBars();
    } else if (HasIntMemTable()) {
        UpdateScrollBars();
    }
}

// ---------------------------------------------------------------- row count

void TCustomDBGridEh::SetRowCountSafe(int Value)
{
    if (Row() >= Value && Value > FixedRowCount())
        SetRow(Value - 1);
    SetRowCount(Value);
}

// Fixed rows, their heights and the rows every data row starts from. Answers the height of
// the fixed rows and footers together (for sizing the data link's buffer).
int TCustomDBGridEh::SetupFixedRows()
{
    const int top = TopDataOffset();
    if (RowCount() <= top)
        SetRowCountSafe(top + 1);
    SetFixedRowCount(top);
    SetFrozenRowCount(FilterRowInTitle() ? 1 : 0);

    const int line = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
    int fixedHeight = 0;
    if (GetTitleRowsCount() > 0) {
        SetGridRowHeightWithLine(0, FTitleRowHeight);
        fixedHeight += FTitleRowHeight + line;
    }
    const int footers = FullFooterRowCount();
    for (int i = 0; i < footers; ++i) {
        const int h = i < int(FCalculatedFooterRowHeights.size()) ? FCalculatedFooterRowHeights[size_t(i)]
                                                                 : FStdDefaultRowHeight;
        fixedHeight += h + line;
    }
    if (footers > 0)
        fixedHeight += line;
    return fixedHeight;
}

// Every row takes the standard height, the title row keeps its own.
void TCustomDBGridEh::ResetRowsToStdHeight()
{
    LockEditor();
    auto unlock = Finally([this] { UnlockEditor(); });
    const int titleHeight = GetTitleRowsCount() > 0 ? RowHeights(0) : 0;
    SetDefaultRowHeight(FStdDefaultRowHeight);
    if (GetTitleRowsCount() > 0)
        SetRowHeights(0, titleHeight);
    SetupFooterRows();
}

void TCustomDBGridEh::UpdateRowCount()
{
    if (!FDataLink)
        return;
    if (HasIntMemTable()) {
        MemTableUpdateRowCount();
        return;
    }
    const int oldRowCount = RowCount();
    const int fixedHeight = SetupFixedRows();
    ResetRowsToStdHeight();
    if (RowCount() > FixedRowCount())
        SetTopRow(FixedRowCount());

    const int top = TopDataOffset();
    TDataSet* ds = FDataLink->DataSet();
    if (FDataLink->Active() && DataRowsReadable() && !ds->IsEmpty() && HandleAllocated()) {
        const int line = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
        const int step = std::max(1, FStdDefaultRowHeight + line);
        FDataLink->SetBufferCount(std::max(1, (ClientHeight() - fixedHeight) / step));
        SetRowCountSafe(FDataLink->RecordCount() + top);
        SetupFooterRows();
        UpdateActiveRow();
    } else {
        SetRowCountSafe(top + 1);
        SetupFooterRows();
    }
    UpdateScrollBars();
    if (RowCount() != oldRowCount)
        Invalidate();
}

void TCustomDBGridEh::MemTableUpdateRowCount()
{
    if (GroupingRowsShown()) {
        GroupingUpdateRowCount();
        return;
    }
    IMemTableEh* mt = FIntMemTable;
    SetupFixedRows();
    if (FullFooterRowCount() > 0)
        SetupFooterRows();

    const bool sharedHeight = !OptionsEh().Contains(dghAutoFitRowHeight);
    if (mt->GetViewAsTreeList() && sharedHeight && DataRowsReadable()) {
        ResetRowsToStdHeight();
        SetRowCountSafe(std::max(1, mt->InstantReadRowCount()) + TopDataOffset());
    } else if (sharedHeight && DefaultRowHeight() != FStdDefaultRowHeight) {
        // The standard height changed (font, lines): the rows that share it follow.
        ResetRowsToStdHeight();
    }

    if (HandleAllocated() && FColWidthsChanged && DataRowsReadable() && DataRowCount() == InstantReadRecordCount()) {
        UpdateAllDataRowHeights();
        FColWidthsChanged = false;
    }

    if (DataRowsReadable())
        BringCurrentRowToTable(mt->GetInstantReadCurRow());

    FetchVisibleRecords();
    UpdateScrollBars();
    Invalidate();
}

// The current grid row moves to the table's current row (scrolled into view unless locked).
void TCustomDBGridEh::BringCurrentRowToTable(int TableRow)
{
    const int top = TopDataOffset();
    if (Row() - top == TableRow && Row() < RowCount())
        return;
    InvalidateRow(Row());
    int target = TableRow + top;
    if (TableRow < 0 || target >= RowCount())
        target = FixedRowCount();
    const bool scroll = !FLockAutoShowCurCell;
    if (Col() < FixedColCount() && FixedColCount() < ColCount()) {
        const int col = Col();
        FocusCell(FixedColCount(), target, scroll, scroll);
        FocusCell(col, target, false, false);
    } else {
        FocusCell(Col(), target, scroll, scroll);
    }
    InvalidateRow(Row());
}

void TCustomDBGridEh::FetchVisibleRecords()
{
    if (FFetchingRecords || !HandleAllocated() || !HasIntMemTable() || !DataRowsReadable())
        return;
    FFetchingRecords = true;
    auto done = Finally([this] { FFetchingRecords = false; });
    const int lastRow = RowCount() - 1;
    // Bottom of the scrolled rows inside the client area against the start of the footers.
    const int bottom = VertAxis()->RolInClientBoundary();
    const int contraStart = VertAxis()->ContraStart();
    if (bottom < contraStart) {
        const int step = std::max(1, FStdDefaultRowHeight);
        FIntMemTable->FetchRecords((contraStart - bottom) / step + 1);
    } else if (bottom == contraStart && LastFullVisibleRow() == lastRow) {
        FIntMemTable->FetchRecords(1);
    }
}

void TCustomDBGridEh::UpdateAfterSizeChange()
{
    FSizeChanged = false;
    if (Designing())
        return;
    if (IndicatorVisible() && GridColWidthWithoutLine(0) != CalcIndicatorColWidth()) {
        LayoutChanged();
        InvalidateEditor();
    } else {
        UpdateRowCount();
        UpdateScrollBars();
    }
}

void TCustomDBGridEh::Resize()
{
    TCustomDBAxisGridEh::Resize();
    if (UpdateLock() > 0) {
        FSizeChanged = true;
        return;
    }
    if (!HandleAllocated() || IsLoading())
        return;
    // Fitted columns follow the client width.
    if (AutoFitColWidthsActive()) {
        UpdateBoundaries();
        LayoutChanged();
        InvalidateEditor();
    } else {
        UpdateRowCount();
    }
}

// ---------------------------------------------------------------- current row

void TCustomDBGridEh::UpdateActiveRow()
{
    if (HasIntMemTable()) {
        MemTableUpdateActiveRow(0);
        return;
    }
    if (!FDataLink || !FDataLink->Active() || !HandleAllocated() || IsLoading())
        return;
    const int target = FDataLink->ActiveRecord() + TopDataOffset();
    if (target != Row() && target < RowCount()) {
        if (!Options().Contains(dgAlwaysShowEditor))
            HideEditor();
        FocusCell(Col(), target, false, true);
        InvalidateEditor();
    }
}

void TCustomDBGridEh::MemTableUpdateActiveRow(int Distance)
{
    (void)Distance;
    if (!FDataLink || !FDataLink->Active() || !HasIntMemTable())
        return;
    if (GroupingRowsShown()) {
        GroupingUpdateActiveRow();
        UpdateScrollBars();
        return;
    }
    InvalidateRow(Row());
    if (HandleAllocated() && !IsLoading() && DataRowsReadable()) {
        int target = FIntMemTable->GetInstantReadCurRow() + TopDataOffset();
        if (target >= RowCount() || target < TopDataOffset())
            target = FixedRowCount();
        if (target != Row()) {
            if (!Options().Contains(dgAlwaysShowEditor))
                HideEditor();
            BringCurrentRowToTable(target - TopDataOffset());
            InvalidateEditor();
        } else if (!FFetchingRecords && !FLockAutoShowCurCell) {
            ScrollCellIntoView(TGridCoord{Col(), Row()}, false, true);
        }
    }
    InvalidateFooterRows();
    UpdateScrollBars();
}

void TCustomDBGridEh::InvalidateFooterRows()
{
    const int footers = FullFooterRowCount();
    for (int i = 0; i < footers; ++i)
        InvalidateRow(RowCount() + i);
}

void TCustomDBGridEh::DataSetScrolled(int Distance)
{
    HideRowDetailPanel();
    // Only the search's own moves keep it running.
    if (FInplaceSearching && !FInplaceSearchingInProcess)
        StopInplaceSearch();
    if (HasIntMemTable()) {
        MemTableUpdateActiveRow(Distance);
        return;
    }
    if (!HandleAllocated() || !FDataLink)
        return;
    const TRect oldRowRect = CellRangeRect(0, Row(), ColCount() - 1, Row());
    if (FDataLink->ActiveRecord() >= DataRowCount())
        UpdateRowCount();
    UpdateScrollBars();
    UpdateActiveRow();

    if (BackgroundShowing()) {
        Invalidate();
    } else {
        const TRect newRowRect = CellRangeRect(0, Row(), ColCount() - 1, Row());
        ValidateRect(Handle(), &oldRowRect);
        InvalidateRect(Handle(), &oldRowRect, false);
        InvalidateRect(Handle(), &newRowRect, false);
        if (Distance != 0) {
            HideEditor();
            if (std::abs(Distance) > VisibleDataRowCount()) {
                Invalidate();
            } else {
                const int line = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
                const int step = FStdDefaultRowHeight + line;
                const int top = TopDataOffset();
                const TRect area = CellRangeRect(0, top, ColCount() - 1, RowCount() - 1);
                if (IndicatorVisible())
                    InvalidateCell(0, Row() + Distance);
                ScrollWindowEx(Handle(), 0, -step * Distance, &area, &area, nullptr, nullptr, SW_INVALIDATE);
                if (IndicatorVisible())
                    InvalidateCell(0, Row());
            }
            if (Options().Contains(dgAlwaysShowEditor))
                ShowEditor();
        }
    }
    InvalidateFooterRows();
    if (UpdateLock() == 0)
        Update();
}

void TCustomDBGridEh::MoveAnchorBy(int Flags)
{
    if (!FDataLink || !FDataLink->Active())
        return;
    if (Flags & 4)
        FDataLink->MoveBy(-(FDataLink->ActiveRecord() + 1));
    if (Flags & 8)
        FDataLink->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
    const int rest = Flags & 3;
    if (rest != 0)
        TCustomDBAxisGridEh::MoveAnchorBy(rest);
}

void TCustomDBGridEh::ScrollDataBy(int DX, int DY)
{
    SetLeftPos(HorzScrollPos() + DX);
    SetTopPos(VertScrollPos() + DY);
}

// ---------------------------------------------------------------- instant reading

void TCustomDBGridEh::InstantReadRecordEnter(int DataRow)
{
    if (HasIntMemTable()) {
        FOldActiveRecord = FIntMemTable->GetInstantReadCurRow();
        if (TGroupDataTreeNodeEh* node = GroupDataNodeOfRow(DataRow))
            DataRow = std::max(0, node->DataSetRecordViewNo());
        FIntMemTable->InstantReadEnter(DataRow);
    } else {
        FOldActiveRecord = FDataLink->ActiveRecord();
        FDataLink->SetActiveRecord(DataRow);
    }
}

void TCustomDBGridEh::InstantReadRecordLeave()
{
    if (HasIntMemTable())
        FIntMemTable->InstantReadLeave();
    else
        FDataLink->SetActiveRecord(FOldActiveRecord);
    FOldActiveRecord = -1;
}

int TCustomDBGridEh::InstantReadRecordCount()
{
    if (HasIntMemTable()) {
        TDataSet* ds = FDataLink->DataSet();
        if (ds && ds->Active() && GroupingRowsShown())
            return FDataGrouping->GroupDataTree()->FlatVisibleCount();
        return ds && ds->Active() ? FIntMemTable->InstantReadRowCount() : 0;
    }
    return FDataLink->Active() ? FDataLink->RecordCount() : 0;
}

bool TCustomDBGridEh::IsCurrentDataRow(int DataRow)
{
    if (!FDataLink->Active() || FDataLink->DataSet()->IsEmpty())
        return false;
    if (GroupingRowsShown())
        return FCurGroupDataNode && GroupDataNodeOfRow(DataRow) == FCurGroupDataNode;
    if (HasIntMemTable())
        return DataRow == FIntMemTable->GetInstantReadCurRow();
    return DataRow == FDataLink->ActiveRecord();
}

// ---------------------------------------------------------------- position around bulk work

// Buffer index of the middle of the link's window, and the distance of the active record below it.
static int BufferMiddleEh(TDataLink* Link) { const int r = Link->RecordCount(); return r / 2 - (r + 1) % 2; }

void TCustomDBGridEh::SaveBookmark()
{
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds)
        return;
    if (HasIntMemTable()) {
        FLockedBookmark = ds->Bookmark();
        FLookedOffset = Row() - TopRow();
        return;
    }
    const int active = FDataLink->ActiveRecord();
    const int middle = BufferMiddleEh(FDataLink);
    if (middle >= 1 && middle < FDataLink->RecordCount()) {
        FLookedOffset = active - middle;
        FDataLink->SetActiveRecord(middle);
        auto back = Finally([this, active] { FDataLink->SetActiveRecord(active); });
        FLockedBookmark = ds->Bookmark();
    } else {
        FLookedOffset = 0;
        FLockedBookmark = ds->Bookmark();
    }
}

void TCustomDBGridEh::RestoreBookmark()
{
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds || !ds->BookmarkValid(FLockedBookmark))
        return;
    if (HasIntMemTable()) {
        LockPaint();
        {
            auto unlock = Finally([this] { UnlockPaint(); });
            ds->GotoBookmark(FLockedBookmark);
            SetTopRowFor(FLookedOffset);
        }
        Invalidate();
        return;
    }
    ds->GotoBookmark(FLockedBookmark);
    ds->MoveBy(FLookedOffset);
}

void TCustomDBGridEh::SaveVertPos(const QString& KeyFieldNames)
{
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds)
        return;
    if (HasIntMemTable()) {
        FLookedKeyValue = ds->FieldValues(KeyFieldNames);
        FLookedOffset = Row() - TopRow();
        return;
    }
    const int middle = BufferMiddleEh(FDataLink);
    FLookedOffset = middle >= 1 ? FDataLink->ActiveRecord() - middle : 0;
    ds->MoveBy(-FLookedOffset);
    auto back = Finally([ds, this] { ds->MoveBy(FLookedOffset); });
    FLookedKeyValue = ds->FieldValues(KeyFieldNames);
}

void TCustomDBGridEh::RestoreVertPos(const QString& KeyFieldNames)
{
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds)
        return;
    if (HasIntMemTable()) {
        LockPaint();
        {
            auto unlock = Finally([this] { UnlockPaint(); });
            if (ds->Locate(KeyFieldNames, FLookedKeyValue, TLocateOptions()))
                SetTopRowFor(FLookedOffset);
        }
        Invalidate();
        return;
    }
    if (ds->Locate(KeyFieldNames, FLookedKeyValue, TLocateOptions()))
        ds->MoveBy(FLookedOffset);
}

// The top row so that the current row shows Offset rows below it (as far as the rows allow).
void TCustomDBGridEh::SetTopRowFor(int Offset)
{
    UpdateActiveRow();
    const int top = std::max(FixedRowCount(), Row() - std::max(0, Offset));
    SafeSetTopRow(top);
}

// ---------------------------------------------------------------- scroll bars and wheel

TGridScrollBarEh* TCustomDBGridEh::CreateScrollBar(TScrollBarKind AKind)
{
    if (AKind == sbVertical)
        return new TVertDBGridEhScrollBar(this, AKind);
    return new THorzDBGridEhScrollBar(this, AKind);
}

void TCustomDBGridEh::GetVertScrollBarParams(int64_t& APosition, int64_t& AMin, int64_t& APageSize, int64_t& AMax)
{
    if (IsExtendedScrolling()) {
        TCustomDBAxisGridEh::GetVertScrollBarParams(APosition, AMin, APageSize, AMax);
        return;
    }
    TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
    if (!ds || !FDataLink->Active() || !ds->Active()) {
        AMin = 0;
        APageSize = 2;
        AMax = 1;
        APosition = 0;
        return;
    }
    if (ds->IsSequenced() && DataRowsReadable()) {
        AMin = 1;
        APageSize = VisibleDataRowCount();
        AMax = int64_t(ds->RecordCount()) + APageSize - 1;
        if (ds->State() < dsInsert)
            FVertScrollRecNo = ds->RecNo();
        APosition = FVertScrollRecNo;
        return;
    }
    AMin = 0;
    APageSize = 0;
    AMax = 4;
    if (ds->Bof())
        APosition = 0;
    else if (ds->Eof())
        APosition = 4;
    else
        APosition = 2;
}

void TCustomDBGridEh::UpdateScrollBars()
{
    if (LayoutLock() > 0 || PaintLockCount() > 0)
        return;
    TCustomDBAxisGridEh::UpdateScrollBars();
}

bool TCustomDBGridEh::DoWheel(bool Down, TShiftState Shift, TPoint MousePos)
{
    const TMouseWheelUpDownEvent& event = Down ? OnMouseWheelDown : OnMouseWheelUp;
    const int sign = Down ? 1 : -1;
    if (HasIntMemTable() && FDataLink->Active() && IsExtendedScrolling()) {
        if (!Shift.Contains(ssShift))
            return Down ? TCustomDBAxisGridEh::DoMouseWheelDown(Shift, MousePos)
                        : TCustomDBAxisGridEh::DoMouseWheelUp(Shift, MousePos);
        bool handled = false;
        if (event.Assigned())
            event(this, Shift, MousePos, handled);
        if (!handled) {
            if (Shift.Contains(ssCtrl))
                FDataLink->DataSet()->MoveBy(sign * VisibleDataRowCount());
            else
                FDataLink->DataSet()->MoveBy(sign);
        }
        return true;
    }
    bool handled = false;
    if (event.Assigned())
        event(this, Shift, MousePos, handled);
    if (!handled && FDataLink->Active())
        FDataLink->DataSet()->MoveBy(sign);
    return true;
}

bool TCustomDBGridEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) { return DoWheel(true, Shift, MousePos); }
bool TCustomDBGridEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) { return DoWheel(false, Shift, MousePos); }

// ---------------------------------------------------------------- layout

void TCustomDBGridEh::FlatChanged()
{
    TCustomDBAxisGridEh::FlatChanged();
    CalcStdDefaultRowHeight();
    FColWidthsChanged = true;
    LayoutChanged();
    UpdateAllDataRowHeights();
}

// ---------------------------------------------------------------- title tree

bool TCustomDBGridEh::IsUseMultiTitle() { return TitleParams()->MultiTitle(); }

void TCustomDBGridEh::FillHeadLeafSources(std::vector<THeadLeafSourceEh>& Sources)
{
    const bool colLines = Options().Contains(dgColLines);
    const bool vertLines = TitleParams()->VertLines();
    const int height = RowCount() > 0 ? RowHeights(0) : 0;
    Sources.clear();
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumnEh* c = Columns()->Items(i);
        THeadLeafSourceEh s;
        s.Text = c->Title()->Caption();
        s.Height = height;
        s.Column = c;
        s.Width = c->Visible() ? c->FullWidth() : (colLines ? -1 : 0);
        if (c->Title()->SortMarker() != smNoneEh)
            s.WIndent = 16;
        if (vertLines) {
            s.VLineWidth = 1;
            if (!colLines)
                s.Width -= 1;
        } else {
            s.VLineWidth = 0;
            if (colLines)
                s.Width += 1;
        }
        Sources.push_back(s);
    }
}

void THeadTreeNode::CreateFieldTree(TCustomDBGridEh* AGrid)
{
    std::vector<THeadLeafSourceEh> sources;
    AGrid->FillHeadLeafSources(sources);
    BuildHeadTreeEh(this, sources, AGrid->LeafFieldArr());
}

struct TCustomDBGridEh::TTitleTreeStoreEh {
    std::unique_ptr<THeadTreeNode> Root{THeadTreeNode::CreateText(QStringLiteral("Root"), 0, 10)};
    TLeafFieldArrEh Leaves;
};

void TCustomDBGridEh::TTitleTreeStoreFreeEh::operator()(TTitleTreeStoreEh* Store) const { delete Store; }

THeadTreeNode* TCustomDBGridEh::HeadTree()
{
    if (!FTitleTree)
        FTitleTree.reset(new TTitleTreeStoreEh);
    return FTitleTree->Root.get();
}

TLeafFieldArrEh& TCustomDBGridEh::LeafFieldArr()
{
    HeadTree();
    return FTitleTree->Leaves;
}

int FitRowHeightToTextEh(int Height, int Margin, int TextHeight, int& Lines)
{
    const int e = (Height - Margin) / TextHeight;
    const int r = (Height - Margin) % TextHeight;
    const int fitted = (r <= TextHeight / 2 && e != 0) ? e * TextHeight + Margin : (e + 1) * TextHeight + Margin;
    Lines = (fitted - Margin) / TextHeight;
    return fitted;
}

// ---------------------------------------------------------------- the layout

void TCustomDBGridEh::UpdateColWidths()
{
    const bool colLines = Options().Contains(dgColLines);
    const int line = colLines ? GridLineWidth() : 0;
    const bool panel = RowPanelActive() && ColCount() == FIndicatorOffset + 1;
    if (panel)
        SetGridColWidthWithLine(FIndicatorOffset, FMasterCellWidth);
    for (int i = 0; i < Columns()->Count() && !panel; ++i) {
        TColumnEh* c = Columns()->Items(i);
        const int col = DataToRawColumn(i);
        if (col >= ColCount())
            break;
        // A column narrowed to nothing takes no room, not even its line.
        const int w = c->Visible() && c->FullWidth() > 0 ? c->FullWidth() + line : 0;
        if (ColWidths(col) != w)
            SetColWidths(col, w);
    }
    if (FIndicatorOffset > 0 && HandleAllocated()) {
        FRecNoTextWidth = CalcIndicatorColWidth();
        SetGridColWidthWithLine(0, FRecNoTextWidth);
    }
    FLastVisibleCol = 0;
    for (int c = ColCount() - 1; c >= 0; --c)
        if (ColWidths(c) > 0) {
            FLastVisibleCol = c;
            break;
        }
}

void TCustomDBGridEh::InternalLayout()
{
    TCustomDBAxisGridEh::InternalLayout();
    if (IsLoading() || BeingDestroyed())
        return;
    LockPaint();
    {
        auto unlock = Finally([this] { UnlockPaint(); });
        FIndicatorOffset = IndicatorVisible() ? 1 : 0;
        // Frozen columns count only once the grid shows data or its own columns.
        const int frozen = FFrozenCols > 0 && (DataLink()->Active() || Columns()->State() == csCustomized) &&
                                   FFrozenCols < Columns()->Count()
                               ? FFrozenCols
                               : 0;
        if (FixedColCount() != FIndicatorOffset + frozen) {
            // The base grid keeps at least one scrolling column.
            if (ColCount() <= FIndicatorOffset + frozen)
                SetColCount(FIndicatorOffset + frozen + 1);
            SetFixedColCount(FIndicatorOffset + frozen);
        }
        if (FrozenColCount() != frozen)
            SetFrozenColCount(frozen);
        // In row panel mode one cell holds every column of a record.
        const bool panel = RowPanelActive() && HandleAllocated();
        if (panel)
            LayoutRowPanelColumns();
        SetColCount(FIndicatorOffset + (panel ? 1 : std::max(1, Columns()->Count())));
        // The columns that show, in order: what painting and the column lookups walk.
        VisibleAxisBars()->Clear();
        for (int i = 0; i < Columns()->Count(); ++i)
            if (Columns()->Items(i)->Visible())
                VisibleAxisBars()->Add(Columns()->Items(i));
        UpdateColWidths();
        if (AutoFitColWidthsActive() && HandleAllocated() && !panel)
            AutoFitColumns();
        CalcStdRowAndTitleHeights();
        UpdateFooterRowHeights();
        if (panel)
            ApplyRowPanelHeights();
        UpdateRowCount();
        RowDetailPanelLayoutChanged();
    }
}
