// The data grid's selection: rows, a cell rectangle, columns or everything.
#pragma once

#include "components/foundation/GridsEh.h"
#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "DBGridEh_Columns.h"

class TCustomDBGridEh;
class TDataSet;

enum TDBGridEhSelectionType { gstRecordBookmarks, gstRectangle, gstColumns, gstAll, gstNon };
DOV_ENUM_INFO(TDBGridEhSelectionType, gstRecordBookmarks, gstRectangle, gstColumns, gstAll, gstNon)
using TDBGridEhAllowedSelections = TSet<TDBGridEhSelectionType>;

inline constexpr TDBGridEhAllowedSelections DBGridEhAllSelections{gstRecordBookmarks, gstRectangle, gstColumns,
                                                                  gstAll};

// A data column and a record; column -1 with an empty bookmark is no cell.
struct TDBCell {
    int Col = -1;
    TBookmark Row;
};

// The parts in which two client rectangles differ: up to four pieces around their intersection,
// or both rectangles when they do not meet; unused slots are empty. Returns the non-empty count.
int SelectionRectsDifferenceEh(const TRect& A, const TRect& B, TRect (&Out)[4]);

// ============================================================================================
// TBookmarkListEh: the grid's selected records
// ============================================================================================

class TBookmarkListEh : public TBMListEh {
public:
    explicit TBookmarkListEh(TCustomDBGridEh* AGrid);
    // Detached from the grid first, so the base list's clearing reaches no grid.
    ~TBookmarkListEh() override;

    TCustomDBGridEh* Grid() const { return FGrid; }
    // The in-memory records of the selected rows, not owned.
    TObjectList* RowsRef() const { return FRowsRef; }

    void Clear() override;
    TGridRect SelectionToGridRect();
    void Assign(TBookmarkListEh* Source);
    // The records of the source grid's in-memory table that the source selects, as record
    // objects in RowsRef.
    void AssignAsBaseRef(TBookmarkListEh* Source);
    void SetCurrentRowSelected(bool Value) override;

protected:
    TDataSet* GetDataSet() const override;
    void Invalidate() override;
    void InvalidateCache() override;
    void UpdateState() override;

private:
    TCustomDBGridEh* FGrid;
    TObjectList* FRowsRef;
};

// ============================================================================================
// TDBGridEhSelectionRect: a rectangle between two cells
// ============================================================================================

class TDBGridEhSelectionRect : public TObject {
public:
    explicit TDBGridEhSelectionRect(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}

    TCustomDBGridEh* Grid() const { return FGrid; }
    // EInvalidGridOperationEh while the dataset is not open.
    TBookmark TopRow() const;
    TBookmark BottomRow() const;
    int LeftCol() const;
    int RightCol() const;
    const TDBCell& Anchor() const { return FAnchor; }
    const TDBCell& ShiftCell() const { return FShiftCell; }

    void Clear();
    void Assign(TDBGridEhSelectionRect* Source);
    void Select(int DataCol, const TBookmark& RowBookmark, bool AddSel);
    bool DataCellSelected(int DataCol, const TBookmark& DataRow) const;
    TGridRect SelectionToGridRect();

private:
    void CheckOpen(const char* Text) const;

    TDBCell FAnchor;
    TCustomDBGridEh* FGrid;
    TDBCell FShiftCell;
};

// ============================================================================================
// TDBGridEhSelectionCols: selected columns in column-index order
// ============================================================================================

class TDBGridEhSelectionCols : public TColumnsEhList {
public:
    explicit TDBGridEhSelectionCols(TCustomDBGridEh* AGrid);
    ~TDBGridEhSelectionCols() override;

    TCustomDBGridEh* Grid() const { return FGrid; }
    TColumnEh* Anchor() const { return FAnchor; }
    TColumnEh* ShiftCol() const { return FShiftCol; }

    void Clear() override;
    void Refresh();
    void Select(TColumnEh* Column, bool AddSel);
    void SelectShift(TColumnEh* Column);
    void InvertSelect(TColumnEh* Column);
    TGridRect SelectionToGridRect();
    // Inserted before the first column with a larger index.
    void AddColumn(TColumnEh* Column);

private:
    void ClearOtherKind();
    void SetKindFromList();

    TColumnEh* FAnchor = nullptr;
    TCustomDBGridEh* FGrid;
    TColumnEh* FShiftCol = nullptr;
    TColumnsEhList* FShiftSelectedCols;
};

// ============================================================================================
// TDBGridEhSelection: which kind is selected, and its data
// ============================================================================================

class TDBGridEhSelection : public TObject {
public:
    explicit TDBGridEhSelection(TCustomDBGridEh* AGrid);
    ~TDBGridEhSelection() override;

    TDBGridEhSelectionCols* Columns() const { return FColumns; }
    TCustomDBGridEh* Grid() const { return FGrid; }
    TDBGridEhSelectionRect* Rect() const { return FRect; }
    TDBGridEhSelectionType SelectionType() const { return FSelectionType; }
    void SetSelectionType(TDBGridEhSelectionType Value);
    // The grid's selected rows, or a list of its own without a grid.
    TBookmarkListEh* Rows() const;

    bool DataCellSelected(int DataCol, const TBookmark& DataRow);
    TGridRect SelectionToGridRect();
    void Clear();
    void SelectAll();
    void Refresh();
    void UpdateState();
    void Assign(TDBGridEhSelection* Source);
    void AssignAsBaseRef(TDBGridEhSelection* Source);
    void LinkActive(bool Value);
    virtual void SelectionChanged();

private:
    TDBGridEhSelectionCols* FColumns;
    TCustomDBGridEh* FGrid;
    TDBGridEhSelectionRect* FRect;
    TDBGridEhSelectionType FSelectionType = gstNon;
    TBookmarkListEh* FBMList = nullptr;
};
