// The data grid: construction, options and data notifications; rows, heights and scrolling;
// the title tree; cell, title and fixed-cell painting; lines and right-to-left mapping.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "DBGridEh_Columns.h"

// ============================================================================================
// TCustomDBGridEh
// ============================================================================================

class TCustomDBGridEh : public TCustomDBAxisGridEh {
    // ==== construction, options and data notifications ====
    // ==== end of construction, options and data notifications ====

    // ==== rows, heights, scrolling and title tree ====
public:
    // Where a grid cell lies (GetCellType): left of the data columns or in them; in the
    // title rows, the filter row under them, the data rows or the footer rows.
    enum TCellAreaHorzTypeEh { hctIndicatorEh = 0, hctDataEh = 1 };
    enum TCellAreaVertTypeEh { vctTitleEh = 0, vctSubTitleEh = 1, vctDataEh = 2, vctFooterEh = 4 };

    // ---- row layout ----
    // Grid row of the first data row: title rows plus a filter row under them.
    int TopDataOffset();
    int DataRowCount() { return RowCount() - TopDataOffset(); }
    int VisibleDataRowCount() { return VisibleRowCount(); }
    virtual int GetTitleRowsCount();
    virtual bool FilterRowInTitle();
    virtual int FullFooterRowCount();
    void GetCellType(int ACol, int ARow, TCellAreaHorzTypeEh& HorzType, TCellAreaVertTypeEh& VertType,
                     int& ColIndex, int& RowIndex);
    // 1-based record number of a data row (0 while the link is inactive).
    int DataRowToRecNo(int DataRow);
    virtual bool IsExtendedScrolling();

    // ---- heights ----
    int StdDefaultRowHeight() const { return FStdDefaultRowHeight; }
    int StdDefaultTextHeight() const { return FStdDefaultTextHeight; }
    int TitleRowHeight() const { return FTitleRowHeight; }
    // Heights and widths without the grid line the base grid keeps in each row and column.
    int DefaultRowHeight() const;
    void SetDefaultRowHeight(int Value);
    int GridRowHeightWithoutLine(int ARow) const;
    void SetGridRowHeightWithLine(int ARow, int Value);
    int GridColWidthWithoutLine(int ACol) const;
    void SetGridColWidthWithLine(int ACol, int Value);
    // The standard data row height from the font alone ("Wg" and the row margin).
    void CalcStdDefaultRowHeight();
    void UpdateAllDataRowHeights();
    void UpdateAllGridDataRowHeights();
    void UpdateFooterRowHeights();
    void UpdateGroupFooterRowHeights();
    // Computed footer row heights, one per footer row (empty until the window exists).
    const std::vector<int>& CalculatedFooterRowHeights() const { return FCalculatedFooterRowHeights; }
    virtual void UpdateDataRowHeight(int DataRow);
    virtual int GetDataRowHeight(int DataRow);
    virtual int CalcCurrentRowHeight();

    // ---- row count and position ----
    virtual void UpdateRowCount();
    virtual void UpdateAfterSizeChange();
    void UpdateActiveRow() override;
    void DataSetScrolled(int Distance) override;
    void MoveAnchorBy(int Flags) override;
    void ScrollDataBy(int DX, int DY);
    // Sets RowCount, first moving a current row that would fall off to the new last row.
    void SetRowCountSafe(int Value);
    bool SizeChanged() const { return FSizeChanged; }
    bool LockAutoShowCurCell() const { return FLockAutoShowCurCell; }
    void SetLockAutoShowCurCell(bool Value) { FLockAutoShowCurCell = Value; }

    // ---- reading a row without moving the cursor (always in pairs) ----
    void InstantReadRecordEnter(int DataRow);
    void InstantReadRecordLeave();
    int InstantReadRecordCount();
    bool IsCurrentDataRow(int DataRow);
    // Whether rows may be read now: an open dataset that no job is filling.
    bool DataRowsReadable();

    // ---- position around bulk operations ----
    void SaveBookmark();
    void RestoreBookmark();
    void SaveVertPos(const QString& KeyFieldNames);
    void RestoreVertPos(const QString& KeyFieldNames);

    // ---- scroll bars and wheel ----
    TGridScrollBarEh* CreateScrollBar(TScrollBarKind AKind) override;
    void GetVertScrollBarParams(int64_t& APosition, int64_t& AMin, int64_t& APageSize, int64_t& AMax) override;
    void UpdateScrollBars() override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

    // ---- title tree ----
    virtual bool IsUseMultiTitle();
    class THeadTreeNode* HeadTree();
    std::vector<struct TLeafFieldRecEh>& LeafFieldArr();
    // What each column's title leaf is made of (caption, width, line and marker room).
    void FillHeadLeafSources(std::vector<struct THeadLeafSourceEh>& Sources);

    // Fired for each data row height computed (dghAutoFitRowHeight or grouping).
    Delegate<void(TObject* Sender, int& RowHeight)> OnGetRowHeight;

protected:
    void InternalLayout() override;
    void VertAxisChanged() override;
    void FlatChanged() override;
    void Resize() override;
    void MemTableUpdateRowCount();
    void MemTableUpdateActiveRow(int Distance);
    void FetchVisibleRecords();
    bool DoWheel(bool Down, TShiftState Shift, TPoint MousePos);
    // The standard and title heights of a layout, and the title tree when titles are multi-line.
    void CalcStdRowAndTitleHeights();
    void CalcTitleRowHeight();
    void SetupFooterRows();
    int SetupFixedRows();
    void ResetRowsToStdHeight();
    void BringCurrentRowToTable(int TableRow);
    void InvalidateFooterRows();
    void SetTopRowFor(int Offset);

    int FStdDefaultRowHeight = 0;
    int FStdDefaultTextHeight = 0;
    int FTitleRowHeight = 0;
    int FTitleHeightFull = 0;
    bool FDefaultRowChanged = false;
    bool FColWidthsChanged = false;
    bool FSizeChanged = false;
    int FOldActiveRecord = -1;
    TBookmark FLockedBookmark;
    int FLookedOffset = 0;
    Variant FLookedKeyValue;
    bool FLockAutoShowCurCell = false;
    bool FFetchingRecords = false;
    int64_t FVertScrollRecNo = 0;
    std::vector<int> FCalculatedFooterRowHeights;

private:
    struct TTitleTreeStoreEh;
    struct TTitleTreeStoreFreeEh {
        void operator()(TTitleTreeStoreEh* Store) const;
    };
    std::unique_ptr<TTitleTreeStoreEh, TTitleTreeStoreFreeEh> FTitleTree;
    // ==== end of rows, heights, scrolling and title tree ====

    // ==== data cell, title, indicator and fixed-cell painting ====
    // ==== end of data cell, title, indicator and fixed-cell painting ====

    // ==== grid lines, right-to-left mapping and tree elements ====
    // ==== end of grid lines, right-to-left mapping and tree elements ====

    // ==== parameter objects ====
    // ==== end of parameter objects ====
};
