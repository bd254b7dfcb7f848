#include "DBGridEh.h"

int TCustomDBGridEh::TopDataOffset() { return GetTitleRowsCount() + (FilterRowInTitle() ? 1 : 0); }
int TCustomDBGridEh::GetTitleRowsCount() { return 1; }
bool TCustomDBGridEh::FilterRowInTitle() { return false; }
int TCustomDBGridEh::FullFooterRowCount() { return 0; }

void TCustomDBGridEh::GetCellType(int ACol, int ARow, TCellAreaHorzTypeEh& HorzType, TCellAreaVertTypeEh& VertType,
                                  int& ColIndex, int& RowIndex)
{
    HorzType = hctDataEh;
    VertType = vctDataEh;
    ColIndex = ACol;
    RowIndex = ARow;
}

int TCustomDBGridEh::DataRowToRecNo(int) { return 0; }
bool TCustomDBGridEh::IsExtendedScrolling() { return false; }
int TCustomDBGridEh::DefaultRowHeight() const { return TCustomDBAxisGridEh::DefaultRowHeight(); }
void TCustomDBGridEh::SetDefaultRowHeight(int Value) { TCustomDBAxisGridEh::SetDefaultRowHeight(Value); }
int TCustomDBGridEh::GridRowHeightWithoutLine(int ARow) const { return RowHeights(ARow); }
void TCustomDBGridEh::SetGridRowHeightWithLine(int ARow, int Value) { SetRowHeights(ARow, Value); }
int TCustomDBGridEh::GridColWidthWithoutLine(int ACol) const { return ColWidths(ACol); }
void TCustomDBGridEh::SetGridColWidthWithLine(int ACol, int Value) { SetColWidths(ACol, Value); }
void TCustomDBGridEh::CalcStdDefaultRowHeight() {}
void TCustomDBGridEh::UpdateAllDataRowHeights() {}
void TCustomDBGridEh::UpdateAllGridDataRowHeights() {}
void TCustomDBGridEh::UpdateFooterRowHeights() {}
void TCustomDBGridEh::UpdateGroupFooterRowHeights() {}
void TCustomDBGridEh::UpdateDataRowHeight(int) {}
int TCustomDBGridEh::GetDataRowHeight(int) { return FStdDefaultRowHeight; }
int TCustomDBGridEh::CalcCurrentRowHeight() { return FStdDefaultRowHeight; }
void TCustomDBGridEh::UpdateRowCount() {}
void TCustomDBGridEh::UpdateAfterSizeChange() { FSizeChanged = false; }
void TCustomDBGridEh::UpdateActiveRow() {}
void TCustomDBGridEh::DataSetScrolled(int) {}
void TCustomDBGridEh::MoveAnchorBy(int Flags) { TCustomDBAxisGridEh::MoveAnchorBy(Flags); }
void TCustomDBGridEh::ScrollDataBy(int, int) {}
void TCustomDBGridEh::SetRowCountSafe(int Value) { SetRowCount(Value); }
void TCustomDBGridEh::InstantReadRecordEnter(int) {}
void TCustomDBGridEh::InstantReadRecordLeave() {}
int TCustomDBGridEh::InstantReadRecordCount() { return 0; }
bool TCustomDBGridEh::IsCurrentDataRow(int) { return false; }
bool TCustomDBGridEh::DataRowsReadable() { return false; }
void TCustomDBGridEh::SaveBookmark() {}
void TCustomDBGridEh::RestoreBookmark() {}
void TCustomDBGridEh::SaveVertPos(const QString&) {}
void TCustomDBGridEh::RestoreVertPos(const QString&) {}
TGridScrollBarEh* TCustomDBGridEh::CreateScrollBar(TScrollBarKind AKind) { return TCustomDBAxisGridEh::CreateScrollBar(AKind); }
void TCustomDBGridEh::GetVertScrollBarParams(int64_t& APosition, int64_t& AMin, int64_t& APageSize, int64_t& AMax)
{
    TCustomDBAxisGridEh::GetVertScrollBarParams(APosition, AMin, APageSize, AMax);
}
void TCustomDBGridEh::UpdateScrollBars() { TCustomDBAxisGridEh::UpdateScrollBars(); }
bool TCustomDBGridEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) { return DoWheel(true, Shift, MousePos); }
bool TCustomDBGridEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) { return DoWheel(false, Shift, MousePos); }
bool TCustomDBGridEh::DoWheel(bool Down, TShiftState Shift, TPoint MousePos)
{
    return Down ? TCustomDBAxisGridEh::DoMouseWheelDown(Shift, MousePos)
                : TCustomDBAxisGridEh::DoMouseWheelUp(Shift, MousePos);
}
bool TCustomDBGridEh::IsUseMultiTitle() { return false; }
void TCustomDBGridEh::InternalLayout() { TCustomDBAxisGridEh::InternalLayout(); }
void TCustomDBGridEh::VertAxisChanged() { TCustomDBAxisGridEh::VertAxisChanged(); }
void TCustomDBGridEh::FlatChanged() { TCustomDBAxisGridEh::FlatChanged(); }
void TCustomDBGridEh::Resize() { TCustomDBAxisGridEh::Resize(); }
void TCustomDBGridEh::MemTableUpdateRowCount() {}
void TCustomDBGridEh::MemTableUpdateActiveRow(int) {}
void TCustomDBGridEh::FetchVisibleRecords() {}
void TCustomDBGridEh::CalcStdRowAndTitleHeights() {}
void TCustomDBGridEh::SetupFooterRows() {}

// ---------------------------------------------------------------- title tree store

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
void TCustomDBGridEh::FillHeadLeafSources(std::vector<THeadLeafSourceEh>&) {}
void TCustomDBGridEh::CalcTitleRowHeight() {}
int TCustomDBGridEh::SetupFixedRows() { return 0; }
void TCustomDBGridEh::ResetRowsToStdHeight() {}
void TCustomDBGridEh::BringCurrentRowToTable(int) {}
void TCustomDBGridEh::InvalidateFooterRows() {}
void TCustomDBGridEh::SetTopRowFor(int) {}
void THeadTreeNode::CreateFieldTree(TCustomDBGridEh*) {}

int FitRowHeightToTextEh(int Height, int Margin, int TextHeight, int& Lines)
{
    const int e = (Height - Margin) / TextHeight;
    const int r = (Height - Margin) % TextHeight;
    const int fitted = (r <= TextHeight / 2 && e != 0) ? e * TextHeight + Margin : (e + 1) * TextHeight + Margin;
    Lines = (fitted - Margin) / TextHeight;
    return fitted;
}
