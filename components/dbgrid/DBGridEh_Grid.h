// The data grid: construction, options and data notifications; rows, heights and scrolling;
// the title tree; cell, title and fixed-cell painting; lines and right-to-left mapping.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "DBGridEh_Columns.h"
#include "DBGridEh_Params.h"
#include "DBGridEh_SumList.h"
#include "DBGridEh_Selection.h"
#include "DBGridEh_Grouping.h"
#include "DBGridEh_RowDetail.h"

class TCustomDBGridEh;
class TDBGridEhStyle;
class TColumnsEhList;
class TDBGridColumnsEh;
class TColumnDefValuesEh;
class TCustomImageList;

// ============================================================================================
// Option sets
// ============================================================================================

enum TDBGridOption {
    dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
    dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect
};
DOV_ENUM_INFO(TDBGridOption, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines,
              dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect)
using TDBGridOptions = TSet<TDBGridOption>;

enum TDBGridEhOption {
    dghFixed3D, dghFrozen3D, dghFooter3D, dghData3D, dghResizeWholeRightPart, dghHighlightFocus, dghClearSelection,
    dghFitRowHeightToText, dghAutoSortMarking, dghMultiSortMarking, dghEnterAsTab, dghTraceColSizing, dghIncSearch,
    dghPreferIncSearch, dghRowHighlight, dghDblClickOptimizeColWidth, dghDialogFind, dghRecordMoving, dghShowRecNo,
    dghColumnResize, dghColumnMove, dghAutoFitRowHeight, dghHotTrack, dghExtendVertLines
};
DOV_ENUM_INFO(TDBGridEhOption, dghFixed3D, dghFrozen3D, dghFooter3D, dghData3D, dghResizeWholeRightPart,
              dghHighlightFocus, dghClearSelection, dghFitRowHeightToText, dghAutoSortMarking, dghMultiSortMarking,
              dghEnterAsTab, dghTraceColSizing, dghIncSearch, dghPreferIncSearch, dghRowHighlight,
              dghDblClickOptimizeColWidth, dghDialogFind, dghRecordMoving, dghShowRecNo, dghColumnResize,
              dghColumnMove, dghAutoFitRowHeight, dghHotTrack, dghExtendVertLines)
using TDBGridEhOptions = TSet<TDBGridEhOption>;

enum TDBGridEhIndicatorOption { gioShowRowIndicatorEh, gioShowRecNoEh, gioShowRowselCheckboxesEh };
DOV_ENUM_INFO(TDBGridEhIndicatorOption, gioShowRowIndicatorEh, gioShowRecNoEh, gioShowRowselCheckboxesEh)
using TDBGridEhIndicatorOptions = TSet<TDBGridEhIndicatorOption>;

enum TEditButtonsShowOptionEh {
    sebShowOnlyForCurCellEh, sebShowOnlyForCurRowEh, sebShowOnlyWhenGridActiveEh, sebShowOnlyWhenDataEditingEh
};
DOV_ENUM_INFO(TEditButtonsShowOptionEh, sebShowOnlyForCurCellEh, sebShowOnlyForCurRowEh,
              sebShowOnlyWhenGridActiveEh, sebShowOnlyWhenDataEditingEh)
using TEditButtonsShowOptionsEh = TSet<TEditButtonsShowOptionEh>;

// The grid's own mouse tracking state, kept beside the base grid's.
enum TDBGridEhState {
    dgsNormal, dgsRowSelecting, dgsColSelecting, dgsRectSelecting, dgsPosTracing, dgsTitleDown, dgsColSizing,
    dgsRowMoving, dgsTitleFilterButtonDown, dgsGroupPanelTitleMoving, dgsGroupPanelTitleDown
};
DOV_ENUM_INFO(TDBGridEhState, dgsNormal, dgsRowSelecting, dgsColSelecting, dgsRectSelecting, dgsPosTracing,
              dgsTitleDown, dgsColSizing, dgsRowMoving, dgsTitleFilterButtonDown, dgsGroupPanelTitleMoving,
              dgsGroupPanelTitleDown)

// The options a new grid starts with.
inline constexpr TDBGridOptions DBGridDefaultOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                                                     dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit};
inline constexpr TDBGridEhOptions DBGridEhDefaultOptionsEh{dghFixed3D, dghHighlightFocus, dghClearSelection,
                                                           dghDialogFind, dghColumnResize, dghColumnMove,
                                                           dghExtendVertLines};

// ============================================================================================
// Events of the grid
// ============================================================================================

using TDBGridClickEvent = Delegate<void(TColumnEh* Column)>;
using TTitleEhClickEvent = Delegate<void(TObject* Sender, int ACol, TColumnEh* Column)>;
using TCheckTitleEhBtnEvent = Delegate<void(TObject* Sender, int ACol, TColumnEh* Column, bool& Enabled)>;
using TGetCellEhParamsEvent =
    Delegate<void(TObject* Sender, TColumnEh* Column, TFont* AFont, TColor& Background, TGridDrawState State)>;
using TMovedEvent = Delegate<void(TObject* Sender, int FromIndex, int ToIndex)>;

// ============================================================================================
// TGridDataLinkEh: the data grid's link to its dataset
// ============================================================================================

class TGridDataLinkEh : public TAxisGridDataLinkEh {
public:
    explicit TGridDataLinkEh(TCustomDBGridEh* AGrid);
    TCustomDBGridEh* DBGrid() const;

protected:
    // The grid hears of the opened or closed dataset, then lays out its scroll bars again.
    void ActiveChanged() override;
};

// ============================================================================================
// TDBGridEhCenter: the policy object every grid consults (only what the grid itself needs yet)
// ============================================================================================

class TDBGridEhCenter : public TDBAxisGridEhCenter {
    DOV_PERSISTENT(TDBGridEhCenter, TDBAxisGridEhCenter)
public:
    TDBGridEhCenter() = default;
    // Grids still registered fall back to no center.
    ~TDBGridEhCenter() override;

    // The grids that use this center (a grid is listed once).
    void AddChangeNotification(TCustomDBGridEh* Grid);
    void RemoveChangeNotification(TCustomDBGridEh* Grid);
    bool GridInChangeNotification(TCustomDBGridEh* Grid) const;
    int GridCount() const { return int(FGrids.size()); }

    // OnApplySorting when assigned, else DefaultApplySorting.
    virtual void ApplySorting(TCustomDBGridEh* Grid);
    // No dataset feature sorts here: nothing happens.
    virtual void DefaultApplySorting(TCustomDBGridEh* Grid);
    // The grid's own DefaultCalcIndicatorRowNumAreaWidth.
    virtual int CalcIndicatorRowNumAreaWidth(TCustomDBGridEh* Grid);
    // The caption of a group level's box: the column title's caption.
    virtual void GetGroupLevelCaption(TCustomDBGridEh* Grid, TColumnEh* Column, QString& Text);
    // Whether the column's values can be compared (sorting, grouping); True without a field.
    virtual bool ColumnValueTypeIsComparable(TCustomDBGridEh* Grid, TColumnEh* Column);
    // Hooks before the row detail panel opens or closes; clearing the flag refuses.
    virtual void RowDetailPanelShow(TCustomDBGridEh* Grid, bool& CanShow);
    virtual void RowDetailPanelHide(TCustomDBGridEh* Grid, bool& CanHide);

    Delegate<void(TCustomDBGridEh* Grid)> OnApplySorting;

private:
    std::vector<TCustomDBGridEh*> FGrids;
};

// The process-wide center every new grid takes.
TDBGridEhCenter* DBGridEhDefaultCenter();

// ============================================================================================
// Unit start-up and close-down
// ============================================================================================

// Key combinations and constants of keyboard handling and search.
extern TShortCut DBGridEhFindDialogKey;                // Ctrl+F
extern TShortCut DBGridEhShowInSearchPanelKey;         // Ctrl+Enter
extern TShortCut DBGridEhSetValueFromPrevRecordKey;    // Ctrl+Shift+Enter
extern TShortCut DBGridEhSetValueFromPrevRecordKey2;   // Ctrl+'
extern TShortCut DBGridEhSearchPanelKey;               // Ctrl+F
extern TShortCut DBGridEhEnterSearchPanelKey;          // Ctrl+T
extern int DBGridEhInplaceSearchTimeInterval;          // ms
extern TColor DBGridEhInplaceSearchColor;              // found text background
extern TColor DBGridEhInplaceSearchTextColor;          // found text
extern int DBGridEhSearchPanelSearchTimeLimit;         // ms

// The indicator glyphs (arrow, edit, insert, multi-dot, multi-arrow, white arrow, white arrow on
// the found-text colour) and the sort markers (down, up, drop-down, small down, small up).
TCustomImageList* DBGridEhIndicators();
TCustomImageList* DBGridEhSortMarkerImages();
// Arial, one pixel lower than the sort marker glyph: the digits of the sort index.
TFont* DBGridEhSortMarkerFont();

// Once per process (also run before main).
void DBGridEhUnitStartUp();
void DBGridEhUnitCloseDown();

// Which way an incremental search goes from the current record.
enum TLocateTextDirectionEh { ltdUpEh, ltdDownEh, ltdAllEh };

// What a stored column or grid layout brings back.
enum TColumnEhRestoreParam {
    crpColIndexEh, crpColWidthsEh, crpSortMarkerEh, crpColVisibleEh, crpDropDownRowsEh, crpDropDownWidthEh,
    crpRowPanelColPlacementEh
};
DOV_ENUM_INFO(TColumnEhRestoreParam, crpColIndexEh, crpColWidthsEh, crpSortMarkerEh, crpColVisibleEh,
              crpDropDownRowsEh, crpDropDownWidthEh, crpRowPanelColPlacementEh)
using TColumnEhRestoreParams = TSet<TColumnEhRestoreParam>;
enum TDBGridEhRestoreParam {
    grpColIndexEh, grpColWidthsEh, grpSortMarkerEh, grpColVisibleEh, grpRowHeightEh, grpDropDownRowsEh,
    grpDropDownWidthEh, grpRowPanelColPlacementEh
};
DOV_ENUM_INFO(TDBGridEhRestoreParam, grpColIndexEh, grpColWidthsEh, grpSortMarkerEh, grpColVisibleEh,
              grpRowHeightEh, grpDropDownRowsEh, grpDropDownWidthEh, grpRowPanelColPlacementEh)
using TDBGridEhRestoreParams = TSet<TDBGridEhRestoreParam>;

class TCustomIniFile;
class TRegIniFile;

// ============================================================================================
// TCustomDBGridEh
// ============================================================================================

class TCustomDBGridEh : public TCustomDBAxisGridEh, public IMTEventReceiverEh {
    // ==== construction, options and data notifications ====
    DOV_PERSISTENT(TCustomDBGridEh, TCustomDBAxisGridEh)
public:
    explicit TCustomDBGridEh(TComponent* AOwner);
    ~TCustomDBGridEh() override;
    void AfterConstruction() override;

    // ---- options ----
    TDBGridOptions Options() const { return FOptions; }
    void SetOptions(TDBGridOptions Value);
    TDBGridEhOptions OptionsEh() const { return FOptionsEh; }
    void SetOptionsEh(TDBGridEhOptions Value);
    TDBGridEhIndicatorOptions IndicatorOptions() const { return FIndicatorOptions; }
    void SetIndicatorOptions(TDBGridEhIndicatorOptions Value);
    TEditButtonsShowOptionsEh EditButtonsShowOptions() const { return FEditButtonsShowOptions; }
    void SetEditButtonsShowOptions(TEditButtonsShowOptionsEh Value);
    // Makes dgColumnResize and the pair dghColumnResize, dghColumnMove agree, then sets the base
    // grid's column sizing and moving from the result.
    void SyncColumnSizingOptions(TDBGridOptions AOptions, TDBGridEhOptions AOptionsEh);

    // ---- properties ----
    void SetDataSource(TDataSource* Value) override;
    TDBGridColumnsEh* Columns() const;
    void SetColumns(TDBGridColumnsEh* Value);
    TColumnDefValuesEh* ColumnDefValues() const;
    void SetColumnDefValues(TColumnDefValuesEh* Value);
    int FooterRowCount() const { return FFooterRowCount; }
    void SetFooterRowCount(int Value);
    int RowHeight() const { return FNewRowHeight; }
    void SetRowHeight(int Value);
    int RowLines() const { return FRowLines; }
    void SetRowLines(int Value);
    bool RowSizingAllowed() const { return FRowSizingAllowed; }
    void SetRowSizingAllowed(bool Value);
    int ContraColCount() const { return GetContraColCount(); }
    void SetContraColCount(int Value);
    TDBGridEhStyle* Style() const { return FStyle; }
    void SetStyle(TDBGridEhStyle* Value);
    TDBGridEhCenter* Center() const { return FCenter; }
    void SetCenter(TDBGridEhCenter* Value);
    // The grid's Color until a value was set once.
    TColor EvenRowColor() const;
    void SetEvenRowColor(TColor Value);
    bool EvenRowColorStored() const { return FEvenRowColorStored; }
    TColor OddRowColor() const;
    void SetOddRowColor(TColor Value);
    bool OddRowColorStored() const { return FOddRowColorStored; }
    TColumnsEhList* SortMarkedColumns() const { return FSortMarkedColumns; }
    TDBGridEhState DBGridEhState() const { return FDBGridEhState; }
    void SetDBGridEhState(TDBGridEhState Value) { FDBGridEhState = Value; }
    bool TryUseMemTableInt() const { return FTryUseMemTableInt; }
    void SetTryUseMemTableInt(bool Value);
    bool WholeGridChanged() const { return FWholeGridChanged; }
    bool SuppressDataSetChanged() const { return FSuppressDataSetChanged; }
    void SetSuppressDataSetChanged(bool Value) { FSuppressDataSetChanged = Value; }

    // ---- indicator ----
    int IndicatorOffset() const { return FIndicatorOffset; }
    // Grid column of a column index and back.
    int DataToRawColumn(int ACol) const { return ACol + FIndicatorOffset; }
    int RawToDataColumn(int ACol) const { return ACol - FIndicatorOffset; }
    int CalcIndicatorColWidth();
    virtual int DefaultCalcIndicatorRowNumAreaWidth();
    bool CheckIndicatorColWidthChanged();
    int RecNoTextWidth() const { return FRecNoTextWidth; }
    int RowselCheckboxesWidth() const { return FRowselCheckboxesWidth; }
    virtual bool IndicatorVisible();

    // ---- lookups and requests ----
    TColumnEh* FindFieldColumn(const QString& FieldName) const;
    TColumnEh* GetFieldColumns(const QString& FieldName) const;
    // The columns the sort markers name reach the dataset through the center.
    virtual void DefaultApplySorting();
    virtual TColor GetColumnFontColor(TColumnEh* Column, TGridDrawState State);
    virtual TColor GetColumnColor(TColumnEh* Column, TGridDrawState State);
    // Whether the grid reads its dataset through IMemTableEh.
    bool GridHasIntMemTable() const { return FIntMemTable != nullptr; }
    // Asks the dataset for IMemTableEh again and registers with the table that answers.
    void UpdateIntMemTable();
    // Rebuilds SortMarkedColumns from the column titles, in sort index order, without gaps.
    void SetSortMarkedColumns();

    // ---- IMTEventReceiverEh ----
    void MTEventReceived(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) override;

    // ---- events ----
    TDBGridClickEvent OnCellClick;
    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;
    TMovedEvent OnColumnMoved;
    TDBGridClickEvent OnTitleClick;
    TTitleEhClickEvent OnTitleBtnClick;
    TCheckTitleEhBtnEvent OnCheckButton;
    TGetCellEhParamsEvent OnGetCellParams;
    TNotifyEvent OnSelectionChanged;

    // ---- new virtual operations of this area ----
    virtual void CellClick(TColumnEh* Column);
    // False for an index outside the columns, without asking OnCheckButton.
    virtual bool CheckTitleButton(int ACol, bool& Enabled);
    virtual void ColEnter();
    virtual void ColExit();
    virtual void TitleBtnClick(int ACol, TColumnEh* Column);
    virtual void TitleClick(TColumnEh* Column);
    virtual void DoSelectionChanged();

    // ---- overrides of the axis grid ----
    void DataChanged() override;
    void LinkActive(bool Value) override;
    void GetCellParams(TAxisBarEh* Bar, TFont* AFont, TColor& Background, TGridDrawState& State) override;
    QString GetAxisBarsPropertyName() override;
    TAxisGridDataLinkEh* CreateDataLink() override;
    TGridAxisBarsEh* CreateAxisBars() override;
    TAxisBarDefValuesEh* CreateAxisBarDefValues() override;
    // One empty lookup cache entry per row of the in-memory table.
    void ResetBarLookupValues(TAxisBarEh* Bar) override;

protected:
    void DefineProperties(TFiler* Filer) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateWnd() override;
    void Paint() override;
    // Footer, column footer and grouping fonts, own column widths and pixel heights follow a
    // change of screen density.
    void ChangeScale(int M, int D) override;

    void ReadOldFooterColor(TReader* Reader);

    // What the data link reports.
    friend class TGridDataLinkEh;

    // The table the grid registered with for row events, and that table as a dataset.
    IMemTableEh* FEventSource = nullptr;
    TDataSet* FEventSourceDataSet = nullptr;

    TDBGridEhCenter* FCenter = nullptr;
    TDBGridEhStyle* FStyle = nullptr;
    TColumnsEhList* FSortMarkedColumns = nullptr;

    TDBGridOptions FOptions;
    TDBGridEhOptions FOptionsEh;
    TDBGridEhIndicatorOptions FIndicatorOptions;
    TEditButtonsShowOptionsEh FEditButtonsShowOptions;
    uint8_t FIndicatorOffset = 1;
    bool FTryUseMemTableInt = true;
    TDBGridEhState FDBGridEhState = dgsNormal;

    // Geometry caches, kept by the row and column layout.
    int FStdDefaultRowHeight = 0;
    int FStdDefaultTextHeight = 0;
    int FTitleRowHeight = 0;
    int FRowLines = 0;
    int FNewRowHeight = 0;
    int FRecNoTextWidth = 0;
    int FRowselCheckboxesWidth = 0;
    int FLastVisibleCol = 0;
    bool FColWidthsChanged = false;
    bool FSizeChanged = false;

    int FPressedCol = -1;
    int FPressedDataCol = -1;
    int FOldActiveRecord = -1;
    bool FTopLeftVisible = true;
    bool FUpdateFields = true;
    TGridCoord FOldTopLeft{0, 0};
    int FFooterRowCount = 0;
    bool FRowSizingAllowed = false;

    TColor FEvenRowColor = clWindow;
    TColor FOddRowColor = clWindow;
    bool FEvenRowColorStored = false;
    bool FOddRowColorStored = false;

    bool FWholeGridChanged = false;
    bool FSuppressDataSetChanged = false;
    bool FInternalUpdatingDatasetPos = false;
    bool FFetchingRecords = false;
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

    // The columns' widths into the grid's column widths, the indicator's width into column 0.
    void UpdateColWidths() override;

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

    int FTitleHeightFull = 0;
    bool FDefaultRowChanged = false;
    TBookmark FLockedBookmark;
    int FLookedOffset = 0;
    Variant FLookedKeyValue;
    bool FLockAutoShowCurCell = false;
    int64_t FVertScrollRecNo = 0;
    std::vector<int> FCalculatedFooterRowHeights;

private:
    struct TTitleTreeStoreEh;
    struct TTitleTreeStoreFreeEh {
        void operator()(TTitleTreeStoreEh* Store) const;
    };
    std::unique_ptr<TTitleTreeStoreEh, TTitleTreeStoreFreeEh> FTitleTree;
    // ==== end of rows, heights, scrolling and title tree ====

    // ==== column sizing and layout storage ====
public:
    // Columns share the client width by their initial widths.
    bool AutoFitColWidths() const { return FAutoFitColWidths; }
    void SetAutoFitColWidths(bool Value);
    int MinAutoFitWidth() const { return FMinAutoFitWidth; }
    void SetMinAutoFitWidth(int Value);
    virtual bool AutoFitColWidthsActive();
    // Columns kept in view while scrolling sideways; not below the scrollable column count.
    int FrozenCols() const { return FFrozenCols; }
    void SetFrozenCols(int Value);

    // Widths from the titles, the data (at most CheckRowCount records, -1 all; at most
    // MaxWaitingTime ms, 0 no limit) and the footers.
    void OptimizeColsWidth(const std::vector<TColumnEh*>& ColumnsList, int CheckRowCount, int MaxWaitingTime);
    void OptimizeAllColsWidth(int CheckRowCount, int MaxWaitingTime);
    void OptimizeColumnWidth(TColumnEh* Column, int MaxWaitingTime);

    // The section a registry layout goes under: the form's class, the owner path, the name.
    QString LayoutSectionName();
    void SaveColumnsLayout(TRegIniFile* ARegIni);
    void SaveColumnsLayout(TCustomIniFile* ACustIni, const QString& Section);
    void SaveColumnsLayoutIni(const QString& IniFileName, const QString& Section, bool DeleteSection);
    void RestoreColumnsLayout(TRegIniFile* ARegIni, TColumnEhRestoreParams RestoreParams);
    void RestoreColumnsLayout(TCustomIniFile* ACustIni, const QString& Section, TColumnEhRestoreParams RestoreParams);
    void RestoreColumnsLayoutIni(const QString& IniFileName, const QString& Section,
                                 TColumnEhRestoreParams RestoreParams);
    void SaveGridLayout(TRegIniFile* ARegIni);
    void SaveGridLayout(TCustomIniFile* ACustIni, const QString& Section);
    void SaveGridLayoutIni(const QString& IniFileName, const QString& Section, bool DeleteSection);
    void RestoreGridLayout(TRegIniFile* ARegIni, TDBGridEhRestoreParams RestoreParams);
    void RestoreGridLayout(TCustomIniFile* ACustIni, const QString& Section, TDBGridEhRestoreParams RestoreParams);
    void RestoreGridLayoutIni(const QString& IniFileName, const QString& Section,
                              TDBGridEhRestoreParams RestoreParams);

    TNotifyEvent OnColWidthsChanged;

protected:
    // The grid's column widths (a dragged border) back into the columns.
    void HorzAxisChanged() override;
    virtual void ColWidthsChanged();
    // Shares the client width among the fitting columns.
    void AutoFitColumns();
    // The vertical scroll bar came or went: fitted columns take the new client width.
    void ScrollBarShowingChanged() override;
    void StoreInitWidths();

private:
    void WriteColumnsLayout(TCustomIniFile* Ini, const QString& Section, bool Erase);
    void ReadColumnsLayout(TCustomIniFile* Ini, const QString& Section, TColumnEhRestoreParams Params);
    void WriteRowSettings(TCustomIniFile* Ini, const QString& Section, const QString& Key);
    void ReadRowSettings(TCustomIniFile* Ini, const QString& Section, const QString& Key);

    bool FAutoFitColWidths = false;
    int FMinAutoFitWidth = 0;
    int FFrozenCols = 0;

    // ---- where borders can be grabbed ----
public:
    // A column border in the title rows: dgsColSizing with the border's position, the distance
    // of X from it and the column's grid index; dgsNormal elsewhere.
    TDBGridEhState TitleColSizingHitTest(int X, int Y, int& SizingPos, int& SizingOfs, int& ColIndex);
    bool IsSizingPos(int X, int Y) override;

protected:
    // Rows are sized only by their borders in the indicator.
    void CalcSizingState(int X, int Y, TGridStateEh& State, int& SizingIndex, int& SizingPos,
                         int& SizingOfs) override;
    // ==== end of column sizing and layout storage ====

    // ==== data cell, title, indicator and fixed-cell painting ====
public:
    // ---- routines for the application's cell painting events ----
    // The cell as the grid paints it by default, for OnDrawColumnCell handlers.
    void DefaultDrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State);
    using TCustomDBAxisGridEh::DefaultDrawDataCell;
    // The field's display text aligned by the field, for OnDrawDataCell handlers.
    void DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
    // The default painting of a data cell from filled parameters; AreaRect is the cell after
    // the group indent, tree elements and detail expander.
    void DefaultDrawColumnDataCell(TGridCoord Cell, TGridCoord AreaCell, TColumnEh* Column, const TRect& AreaRect,
                                   TColCellParamsEh* Params);
    // Whether the column shows the same value in the neighbouring row (previous or next).
    bool CheckColumnDuplicateValues(TColumnEh* Column, int DataRow, bool CheckPrevRow, const QString& Text);

    // ---- editor texts of a column ----
    QString GetEditMask(int ACol, int ARow) override;
    QString GetEditText(int ACol, int ARow) override;

    // ---- painting events ----
    TDrawColumnEhCellEvent OnDrawColumnCell;
    TDrawDataCellEvent OnDrawDataCell;
    TDBGridEhAdvDrawColumnDataEvent OnAdvDrawDataCell;
    TGetFooterParamsEventEh OnGetFooterParams;
    TDrawFooterCellEventEh OnDrawFooterCell;
    Delegate<void(TObject* Sender, TColumnEh* Column, TFont* AFont, TColor& Background, TSortMarkerEh& SortMarker,
                  bool IsDown)>
        OnGetBtnParams;

    // ---- shared decisions of fixed cells ----
    bool CellHave3DFrame(int ACol, int ARow, TGridDrawState State, const TRect& ARect) override;
    TGridCellFillStyleEh GetFixedCellFillStyle() override;
    virtual bool CellDrawnByThemes(int ACol, int ARow, bool The3DRect, TCellAreaTypeEh CellType,
                                   TGridDrawState AState, int DataRow, int DataCol);
    virtual bool HighlightNonDataCellColor(int ACol, int ARow, TFont* AFont, TColor& AColor, bool CellMultiSelected,
                                           TGridDrawState AState, TCellAreaTypeEh CellType, int DataRow,
                                           int DataCol);
    // The height of a title-tree node's subtree as its captions need it.
    virtual int CalcHeadTreeHeights(class THeadTreeNode* Node);

    // ---- data cells ----
    bool CheckFillDataCell(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* Column, const TRect& AreaRect,
                           TAxisColCellParamsEh* Params) override;
    bool HighlightDataCellColor(int DataCol, int DataRow, const QString& Value, TGridDrawState State, TColor& AColor,
                                TFont* AFont) override;
    int GetEditButtonTransparency(int ACol, int ARow, TAxisColCellParamsEh* Params, const TRect& ARect) override;
    virtual bool IsCurrentRowSelectionVisible();
    virtual bool IsThemedSelectionDataCell(int ACol, int ARow, TGridDrawState State);
    virtual void DrawThemedSelectionCell(int ACol, int ARow, bool RowSelect, TGridDrawState State,
                                         const TRect& ARect);
    void EditingChanged() override;

protected:
    void DrawCellContent(int ACol, int ARow, TGridDrawState State, const TRect& ARect) override;
    virtual void DrawDataCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow,
                              int DataCol);
    virtual void DoDrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State);
    virtual void DoDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);

    // ---- title area, indicator and footer cells ----
    virtual void DrawTitleAreaCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow,
                                   int DataCol);
    virtual void DrawTitleCell(TColumnEh* Column, const TRect& ARect, struct TDBGirdDrawTitleStateEh& DrawState,
                               TGridDrawState AState);
    // The multi-line title's group captions above a leaf cell whose caption starts at LeafRect.
    void DrawTitleGroupCaptions(class THeadTreeNode* Leaf, TColumnEh* Column, const TRect& LeafRect,
                                const struct TDBGirdDrawTitleStateEh& LeafState, TGridDrawState AState);
    // Returns whether the cell was drawn highlighted (also in Highlight).
    virtual bool DrawSubTitleRowCell(int ACol, int ARow, bool& Highlight, TGridDrawState AState, const TRect& ARect,
                                     TCellAreaTypeEh CellType, int DataRow, int DataCol);
    virtual void DrawIndicatorCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow,
                                   int DataCol);
    virtual void DrawIndicatorGlyph(const TRect& ARect, int GlyphKind, int OffsetX, int OffsetY);
    virtual void DrawIndicatorDropDownSign(const TRect& ARect, bool Highlighted);
    virtual void DrawTitleFilterMark(const TRect& ARect, bool Highlighted);
    virtual void DrawFooterCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int FooterRow,
                                int DataCol);

    // The cell's 3-D frame and themed fill as the data cell painter decides them.
    bool DataCellHas3DFrame(int ACol, int ARow, TGridDrawState State);
    // Whether the column's edit buttons show in this cell.
    bool EditButtonsShownInCell(TColumnEh* Column, int ACol, int ARow);
    // The grid's cell parameters are of the data grid's own class.
    TAxisColCellParamsEh* CreateColCellParams() override;
    TColCellParamsEh* DataCellParams();

    TDBGridEhStyle* ActualStyle() const;
    // The column shown in a data column (nullptr outside the columns).
    TColumnEh* PaintedColumn(int DataCol) const;
    TCellAreaTypeEh CellAreaType(int ACol, int ARow, int& DataCol, int& DataRow);

    // The grid row whose indicator glyph was drawn last (-1: none).
    int FSelRow = -1;
    // What the data cell painter hands from DrawDataCell to the default painting of the cell.
    TRect FDataCellRect;
    // ==== end of data cell, title, indicator and fixed-cell painting ====

    // ==== grid lines, right-to-left mapping and tree elements ====
    friend class TDBGridEhStyle;

public:
    // Which lines of a cell are drawn and in which colour, by the area the cell lies in.
    void GetGridLineParams(int ACol, int ARow, TGridCellBorderTypeEh BorderType, bool& Visible, TColor& Color,
                           bool& Extend) override;
    // Text with its found parts highlighted, and an image of a list, kept unmirrored in a
    // right-to-left grid; RightToLeftColumn swaps the alignment for a column that reads
    // right to left.
    void WriteTextHighlightedRTL(TCanvas* ACanvas, const TRect& ARect, int HorzMargin, int TopOffset,
                                 const QString& Text, TAlignment Alignment, bool CenterVert, bool MultyL,
                                 const QString& SearchText, bool IgnoreCase, TColor HighlightColor,
                                 bool RightToLeftColumn);
    void DrawImageRTL(TCustomImageList* ImageList, TBitmap* Bitmap, TCanvas* ACanvas, const TRect& ARect,
                      int ImageIndex, int Offset, TAlignment Alignment, const TRect& VisibleRect);
    // The tree elements at the left of a data cell of a table shown as a tree.
    virtual void DrawCellTreeElements(int DataCol, int DataRow, bool The3DRect, const TRect& ARect,
                                      TGridDrawState AState);
    // The element row of the node being read; LinesOnly continues the lines of the node below
    // the row (the detail area), DrawRowLines paints over the row line under the elements.
    void DrawTreeElements(TCanvas* ACanvas, const TRect& ARect, bool LinesOnly, bool DrawRowLines);
    void PaintBorder(HDC WindowDC) override;
    // ==== end of grid lines, right-to-left mapping and tree elements ====

    // ==== parameter objects ====
public:
    // The parameter objects are made with the grid (below) and freed with it; writing one
    // assigns into it. The line parameters and the background come from the base grid's
    // factories, overridden here.
    TDBGridTitleParamsEh* TitleParams() const { return FTitleParams.get(); }
    void SetTitleParams(TDBGridTitleParamsEh* Value) { FTitleParams->Assign(Value); }
    TDBGridIndicatorParamsEh* IndicatorParams() const { return FIndicatorParams.get(); }
    void SetIndicatorParams(TDBGridIndicatorParamsEh* Value) { FIndicatorParams->Assign(Value); }
    TDBGridFooterParamsEh* FooterParams() const { return FFooterParams.get(); }
    void SetFooterParams(TDBGridFooterParamsEh* Value) { FFooterParams->Assign(Value); }
    TGridTreeViewParamsEh* TreeViewParams() const { return FTreeViewParams.get(); }
    void SetTreeViewParams(TGridTreeViewParamsEh* Value) { FTreeViewParams->Assign(Value); }
    TGridEmptyDataInfoEh* EmptyDataInfo() const { return FEmptyDataInfo.get(); }
    void SetEmptyDataInfo(TGridEmptyDataInfoEh* Value) { FEmptyDataInfo->Assign(Value); }
    TDBGridEhIndicatorTitle* IndicatorTitle() const { return FIndicatorTitle.get(); }
    void SetIndicatorTitle(TDBGridEhIndicatorTitle* Value) { FIndicatorTitle->Assign(Value); }
    TDBGridLineParamsEh* GridLineParams() const;
    void SetGridLineParams(TDBGridLineParamsEh* Value);
    TDBGridBackgroundDataEh* BackgroundData() const;
    void SetBackgroundData(TDBGridBackgroundDataEh* Value);

    // Views of the parameter objects' settings.
    TFont* FooterFont() const;
    void SetFooterFont(TFont* Value);
    TColor FooterColor() const;
    void SetFooterColor(TColor Value);
    TCustomImageList* TitleImages() const;
    void SetTitleImages(TCustomImageList* Value);
    bool UseMultiTitle() const;
    void SetUseMultiTitle(bool Value);
    int VTitleMargin() const;
    void SetVTitleMargin(int Value);
    int TitleHeight() const;
    void SetTitleHeight(int Value);
    int TitleLines() const;
    void SetTitleLines(int Value);
    // The title font is TitleParams.Font; setting it relayouts when titles are shown.
    void SetTitleFont(TFont* Value) override;
    TFont* GetTitleFont() override;

    TGridLineColorsEh* CreateGridLineColors() override;
    TGridBackgroundDataEh* CreateBackgroundData() override;

private:
    std::unique_ptr<TDBGridTitleParamsEh> FTitleParams{new TDBGridTitleParamsEh(this)};
    std::unique_ptr<TDBGridIndicatorParamsEh> FIndicatorParams{new TDBGridIndicatorParamsEh(this)};
    std::unique_ptr<TDBGridFooterParamsEh> FFooterParams{new TDBGridFooterParamsEh(this)};
    std::unique_ptr<TGridEmptyDataInfoEh> FEmptyDataInfo{new TGridEmptyDataInfoEh(this)};
    std::unique_ptr<TDBGridEhIndicatorTitle> FIndicatorTitle{new TDBGridEhIndicatorTitle(this)};
    std::unique_ptr<TGridTreeViewParamsEh> FTreeViewParams{new TGridTreeViewParamsEh(this)};
    // ==== end of parameter objects ====

    // ==== footer values, footer drawing and sum list ====
public:
    // The sum list is made with the grid and freed with it; writing it assigns into it.
    TDBGridEhSumList* SumList() const { return FSumList.get(); }
    void SetSumList(TDBGridEhSumList* Value);
    // The text of footer row Row (0-based) of Column.
    virtual void GetFooterValue(int Row, TColumnEh* Column, QString& Text);
    // The default painting of one footer cell, for OnDrawFooterCell handlers.
    void DefaultDrawFooterCell(const TRect& Rect, int DataCol, int Row, TColumnEh* Column, TGridDrawState State);
    virtual void GetFooterParams(int DataCol, int Row, TColumnEh* Column, TFont* AFont, TColor& Background,
                                 TAlignment& Alignment, TGridDrawState State, QString& Text);
    void InvalidateFooter();
    void InvalidateTitle();

    // Whether the clipboard and delete operations are available now.
    bool CheckCopyAction();
    bool CheckCutAction();
    bool CheckPasteAction();
    bool CheckDeleteAction();
    bool CheckSelectAllAction();
    TGridEditActionsEh EditActions() const { return FEditActions; }
    void SetEditActions(TGridEditActionsEh Value) { FEditActions = Value; }

    TNotifyEvent OnSumListRecalcAll;
    TNotifyEvent OnSumListAfterRecalcAll;

protected:
    void SumListChanged(TObject* Sender);
    void SumListRecalcAll(TObject* Sender);
    void SumListAfterRecalcAll(TObject* Sender);
    // The dataset of the data source, or nullptr, handed to the sum list.
    void UpdateSumListDataSet();

private:
    std::unique_ptr<TDBGridEhSumList> FSumList;
    TGridEditActionsEh FEditActions;
    // ==== end of footer values, footer drawing and sum list ====

    // ==== selection and mouse ====
public:
    // ---- selection ----
    // The selected records (the rows store of Selection).
    TBookmarkListEh* SelectedRows() const { return FBookmarks; }
    TDBGridEhSelection* Selection() const { return FSelection; }
    TDBGridEhAllowedSelections AllowedSelections() const { return FAllowedSelections; }
    void SetAllowedSelections(TDBGridEhAllowedSelections Value);
    // gstNon always; another kind only with dgMultiSelect and the kind allowed; rectangles and
    // columns only without dgRowSelect.
    bool SelectionAllowed(TDBGridEhSelectionType Kind);
    // Whether records may be selected: multi-select with gstRecordBookmarks allowed.
    bool RecordsSelectable() { return SelectionAllowed(gstRecordBookmarks); }
    // Whether a cell (fixed cells included) belongs to the selection.
    bool CellMultiSelected(int ACol, int ARow, const TBookmark& RowBookmark, int DataCol);
    // Asks "Delete record?" or "Delete all selected records?" with dgConfirmDelete.
    bool ConfirmDelete();
    void ResetSelection();
    void ClearSelectionOnClick();
    // Selection info of the scroll-bar panels, then OnSelectionChanged.
    virtual void SelectionChangedNotify();
    bool AutoDrag() const { return FAutoDrag; }
    void SetAutoDrag(bool Value) { FAutoDrag = Value; }
    // Grid column of a shown column (-1 when hidden); repaints that column.
    int GridColumnOf(TColumnEh* Column) const;
    void InvalidateColumnEh(TColumnEh* Column);
    // Data rows of two bookmarks (top <= bottom in bookmark order): positions in the in-memory
    // table's view, else the first buffered row at or after Top and the last at or before Bottom.
    // Clamp maps a top before the buffer to row 0, one not found to the buffer's row count, and a
    // bottom after the buffer to the last visible data row.
    bool DataRowRangeOf(const TBookmark& TopBookmark, const TBookmark& BottomBookmark, int& Top, int& Bottom,
                        bool Clamp);
    // Client rectangle of a cell range given by data columns and bookmarks, in either order.
    TRect DataRangeScreenRect(int DataCol1, int DataCol2, const TBookmark& Row1, const TBookmark& Row2);

    // ---- mouse ----
    // Sorting after a change of the sort markers: OnSortMarkingChanged, else DefaultApplySorting.
    virtual void ApplySortMarking();
    // Ctrl was held at the last title click: the sorting waits for Ctrl to be released.
    bool SortMarking() const { return FSortMarking; }
    // Makes a column current; Step skips invisible columns in its direction; ExtendRect
    // stretches a cell rectangle to the new current cell.
    void ChangeSelectedIndex(int Value, int Step, bool ExtendRect);
    int GetSelectedIndex() override;
    // Writing the current column is ChangeSelectedIndex (Value, 0, false).
    void SetSelectedIndex(int Value) override;
    virtual bool CellTreeElementMouseDown(int X, int Y, bool TestOnly);
    // A press on a group row (Node is a TGroupDataTreeNodeEh).
    virtual void DataGroupRowMouseDown(TMouseButton Button, TShiftState Shift, TObject* Node, int X, int Y);
    // -1 none, 0 the main or filter button, n >= 1 the nth edit button.
    int EditButtonIndexAt(int ACol, int ARow, int InCellY, int InCellX, TColumnEh* Column);
    // The title click of a tracked title: OnTitleBtnClick and the sort-marker step; Ctrl marks
    // one more column and leaves the sorting until Ctrl is released.
    virtual void DoTitleBtnClick(int ACol);
    void TitleButtonClicked(int ACol, TShiftState Shift);
    bool Tracking() const { return FTracking; }
    bool TitlePressed() const { return FPressed; }
    int PressedCol() const { return FPressedCol; }
    int PressedDataCol() const { return FPressedDataCol; }

    TNotifyEvent OnSortMarkingChanged;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    bool CanCellDblClick(TGridCoord Cell, TMouseButton Button, TPoint GridPos, TPoint CellPos,
                         TShiftState Shift) override;
    void CancelGridState() override;
    // Ends title, data and indicator tracking and releases the capture.
    void CancelTracking();
    // Recomputes whether the tracked title is drawn pressed.
    void TrackTitleButton(int X, int Y);
    // The current record's bookmark (empty without one).
    TBookmark CurrentBookmarkEh();
    // Moves the cursor by Distance records; with Select the records passed take the selection
    // anchor's state, and records left on the way back to the anchor lose it.
    void ExtendRowSelectionBy(int Distance, bool Select);

private:
    friend class TDBGridEhSelection;
    friend class TBookmarkListEh;
    friend class TDBGridEhSelectionRect;
    friend class TDBGridEhSelectionCols;

    TBookmarkListEh* FBookmarks = nullptr;
    TDBGridEhSelection* FSelection = nullptr;
    TDBGridEhAllowedSelections FAllowedSelections = DBGridEhAllSelections;
    bool FAutoDrag = false;

    bool FTracking = false;
    bool FPressed = false;
    bool FDataTracking = false;
    bool FIndicatorPressed = false;
    bool FSelecting = false;
    bool FAntiSelection = false;
    TBookmark FSelectionAnchor;
    bool FSelectionAnchorSelected = false;
    bool FSelectedCellPressed = false;
    bool FCellTreeElementMouseDown = false;
    bool FSortMarking = false;
    bool FInColExit = false;
    TShiftState FStartShiftState;
    TShiftState FMouseShift;
    TRect FTrackingStateRect;
    // ==== end of selection and mouse ====

    // ==== grouping in the grid ====
public:
    // ---- settings and state ----
    TDBGridEhDataGroupsEh* DataGrouping() const { return FDataGrouping.get(); }
    // Assigns Active, the levels and GroupPanelVisible.
    void SetDataGrouping(TDBGridEhDataGroupsEh* Value);
    // Grouping works and has at least one active level: rows are the group tree's flat list.
    bool GroupingRowsShown();
    // The tree node of the grid's current row.
    TGroupDataTreeNodeEh* CurGroupDataNode() const { return FCurGroupDataNode; }
    // The tree node of a data row (nullptr outside the flat list).
    TGroupDataTreeNodeEh* GroupDataNodeOfRow(int DataRow);
    // The group indent in front of the first visible column, and that column.
    int ExtraFirstColumnWidth() const { return FExtraFirstColumnWidth; }
    TColumnEh* FirstVisibleColumn();
    TGroupRowParamsEh* GroupRowParams() const { return FGroupRowParams.get(); }
    TGroupFooterParamsEh* GroupFooterParams() const { return FGroupFooterParams.get(); }

    // ---- group panel ----
    void GroupPanelChanged();
    void LayoutGroupPanel();
    // The panel's height in the grid's top area (0 when not shown).
    int GroupPanelHeight();
    virtual void DrawGroupPanelLevel(const TRect& ARect, TDBGridEhDataGroupLevelEh* Level);
    // Returns whether the press was on a level box.
    bool GroupPanelMouseDown(int X, int Y);
    void StartGroupPanelLevelMoving(int X, int Y);
    void GroupPanelMouseMove(int X, int Y);
    void EndGroupPanelMoving(bool Accept, int X, int Y);
    void GroupPanelTitleMouseUp(int X, int Y);
    // The active-level index a drop at X lands on, and where the insertion mark goes.
    int GetGroupPanelDropPos(int X, TPoint& MarkPos, int& MarkHeight);
    // A column title dragged onto the panel starts a drop of that column (-1 for a level box).
    void StartGroupPanelColumnMoving(int DataCol, int X, int Y);
    // A level box dropped on the column titles: the level goes, its column shows again.
    void DropGroupLevelOnTitles(int ActiveLevelIndex);
    // Whether a client point lies on the group panel.
    bool InGroupPanel(int X, int Y);
    // The group row under a point and whether the point is on its expand box.
    TGroupDataTreeNodeEh* GroupRowAt(int X, int Y, bool& OnExpandBox);
    // Expands a collapsed group row or collapses an expanded one, keeping the current row.
    void ToggleGroupNodeExpanded(TGroupDataTreeNodeEh* Node);
    int PressedDataGroupLevelIdx() const { return FPressedDataGroupLevelIdx; }
    int GroupDataMovingIndex() const { return FGroupDataMovingIndex; }

    // ---- group rows and group footers ----
    virtual void DrawGroupDataCell(int ACol, int ARow, TGroupDataTreeNodeEh* Node, TGridDrawState AState,
                                   const TRect& ARect);
    virtual void DrawDataCellGroupIndent(int DataRow, TGroupDataTreeNodeEh* Node, const TRect& ARect);
    virtual void DrawGroupFooterCell(int ACol, int ARow, int DataCol, TGroupDataTreeNodeEh* Node,
                                     TGridDrawState AState, const TRect& ARect);
    virtual void DrawGroupFooterIndent(int DataRow, TGroupDataTreeNodeEh* Node, const TRect& ARect);
    virtual bool HighlightGroupDataCellColor(int DataCol, int DataRow, TFont* AFont, TColor& AColor,
                                             TGridDrawState& State, const QString& Text);
    virtual int CalcDataGroupNodeRowHeight(TGroupDataTreeNodeEh* Node);
    int GroupLevelRowHeight(TGridDataGroupLevelEh* Level);
    int GroupFooterRowHeight(TGridDataGroupFooterEh* Footer);

    // ---- current row and dataset position ----
    void SetCurGroupDataNode(TGroupDataTreeNodeEh* Node, bool ShowCell);
    void SelectDataGroupNodeOrParent(TGroupDataTreeNodeEh* Node);
    void SelectDataGroupNodeByViewNo(int ViewNo, bool ShowAll);
    void SyncDataSetToGroupNode();
    int DataGroupMoveBy(int Distance, bool AllowAppend);
    bool CurGroupDataListBof() const { return FCurGroupDataListBof; }
    bool CurGroupDataListEof() const { return FCurGroupDataListEof; }

    // ---- what the grouping's tree asks of the grid ----
    // The flat list was rebuilt: rows, heights and the current row follow.
    void GroupingFlatListChanged();
    void UpdateExtraFirstColumnWidth();
    // Around a dataset move the tree makes: the grid does not reposition meanwhile, then
    // selects the node of the dataset's record.
    bool BeginGroupDataSetMove();
    void EndGroupDataSetMove();

    // ---- keys ----
    virtual void GroupRowKeyDown(Word& Key, TShiftState Shift);
    virtual void GroupFooterKeyDown(Word& Key, TShiftState Shift);
    void DataInsert();
    void DataAppend();

    // ---- events ----
    TDBGridEhNotifyEvent OnActiveGroupingStructChanged;
    TDBGridEhDataGroupGetGroupRowTextEvent OnDataGroupGetRowText;
    TDBGridEhDataGroupGetGroupRowParamsEvent OnDataGroupGetRowParams;
    TDBGridEhDataGroupGetGroupFooterParamsEvent OnDataGroupGetFooterParams;
    TGridDataGroupFooterItemAggregateValueEvent OnDataGroupFooterAggregateValue;
    TGridDataGroupFooterItemFinalizeValueEvent OnDataGroupFooterFinalizeValue;
    TGridDataGroupFooterItemToDisplayTextEvent OnDataGroupFooterToDisplayText;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void DrawTopOutBoundary(const TRect& ARect) override;
    // The tree follows a row event of the table; answers whether the grid's rows were handled.
    bool GroupingMTEventReceived(int RowNum, TMTViewEventTypeEh Event);
    // Row count, heights and current row from the flat list.
    void GroupingUpdateRowCount();
    void GroupingUpdateRowHeights();
    std::vector<int> GroupRowHeightsKey();
    void GroupingUpdateActiveRow();

    std::unique_ptr<TDBGridEhDataGroupsEh> FDataGrouping;
    std::unique_ptr<TGroupRowParamsEh> FGroupRowParams;
    std::unique_ptr<TGroupFooterParamsEh> FGroupFooterParams;
    TGroupDataTreeNodeEh* FCurGroupDataNode = nullptr;
    bool FCurGroupDataListBof = false;
    bool FCurGroupDataListEof = false;
    std::vector<TGroupDataTreeNodeEh*> FDrawnGroupList;
    int FExtraFirstColumnWidth = 0;
    int FPressedDataGroupLevelIdx = -1;
    int FGroupDataMovingIndex = -1;
    int FGroupPanelMovingDataCol = -1;
    bool FGroupPanelPressed = false;
    // While above zero the flat list may change under the grid: the rows follow once at the end.
    int FGroupingBatch = 0;
    bool FGroupRowsDirty = false;
    // The key of the last full walk of group row heights (empty when none holds) and the levels
    // and footers that walk met.
    std::vector<int> FGroupRowHeightsKey;
    std::vector<TGridDataGroupLevelEh*> FGroupRowHeightLevels;
    std::vector<TGridDataGroupFooterEh*> FGroupRowHeightFooters;
    // Counts resets of every row to the standard height.
    int FRowHeightResets = 0;
    // Index of the current node in the flat list (-1 when it is not a row), found without
    // touching the node, which a tree change may have freed.
    int CurGroupFlatIndex() const;
    void FollowGroupRows();
    // ==== end of grouping in the grid ====

    // ==== row detail panel and row panel ====
public:
    // ---- row detail panel ----
    TRowDetailPanelEh* RowDetailPanel() const { return FRowDetailPanel.get(); }
    // Copies Active.
    void SetRowDetailPanel(TRowDetailPanelEh* Value) { FRowDetailPanel->Assign(Value); }
    // The window under the current row, a child named "RowDetailData".
    TRowDetailPanelControlEh* RowDetailPanelControl() const { return FRowDetailControl; }
    // Places, sizes and shows or hides the window for the current row.
    void UpdateRowDetailPanelControl();
    // Whether the row being read has a detail panel (Active, then OnCheckRowHaveDetailPanel).
    bool RowHasDetailPanel();
    // Paints the glyph strip of a row; returns the width used.
    virtual int DrawRowDetailGlyph(int DataRow, const TRect& ARect, TGridDrawState State);
    // In the first visible column of a grid with the panel active: the glyph of a row that has
    // a panel, else an empty strip. Returns the width taken (0 elsewhere).
    int DrawRowDetailStrip(int DataRow, const TRect& ARect, TGridDrawState State);
    // Under the current row's data, while its panel is open: the grid's colour; the cell
    // keeps the data part (ARect is cut to it).
    void DrawRowDetailArea(int ACol, TRect& ARect);
    // A press in the glyph strip of a data row that has a panel.
    virtual bool IsRowDetailGlyphClick(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual bool IsPointInRowDetailGlyph(int X, int Y);
    // Moves the cursor; an open panel that refuses to close keeps it (0 returned).
    int MoveBy(int Distance);
    // Extra width of the first visible column for the glyph strip (0 while inactive).
    int RowDetailGlyphAreaWidth() const;
    // The height the current row grows by while its panel is open.
    int RowDetailPanelExtraHeight(int DataRow);
    // The panel closes when the current record changed or the dataset became empty.
    void CheckRowDetailPanelRecord();
    // Closes an open panel (the close handlers may refuse).
    void HideRowDetailPanel();
    // Moves the focus into the open panel (its ActiveControl, else its first tab stop).
    bool FocusRowDetailPanel();
    // A press on the glyph strip: the pressed row becomes current and its panel opens or
    // closes. Returns whether the press was on the strip (the press is then handled).
    bool RowDetailGlyphMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    // The panel's keys on a record row: numpad * toggles, + opens, - closes; Ctrl+Down opens
    // and moves the focus in; Down moves the focus into an open panel. Clears a handled key.
    void RowDetailPanelKeyDown(Word& Key, TShiftState Shift);

    Delegate<void(TCustomDBGridEh* Sender, bool& CanShow)> OnRowDetailPanelShow;
    Delegate<void(TCustomDBGridEh* Sender, bool& CanHide)> OnRowDetailPanelHide;
    Delegate<void(TCustomDBGridEh* Sender, bool& RowHaveDetailPanel)> OnCheckRowHaveDetailPanel;

    // ---- row panel mode ----
    TGridRowPanelEh* RowPanel() const { return FRowPanel.get(); }
    // Copies Active; no object while loading switches the mode on.
    void SetRowPanel(TGridRowPanelEh* Value);
    bool RowPanelActive() const { return FRowPanel && FRowPanel->Active(); }
    int OriginCol() const { return Col(); }
    void SetOriginCol(int Value) { SetCol(Value); }
    // Height of one line of the panel (the title font's "Wg" plus margins).
    virtual int InRowPanelLineHeight();
    int RowPanelMasterCellWidth() const { return FMasterCellWidth; }
    int RowPanelMasterCellHeight() const { return FMasterCellHeight; }
    void SetRowPanelMasterCellSize(int Width, int Height);
    TColumnEh* GetColumnInRowPanelAtPos(TPoint Pos, bool IsTitleCell);
    TColumnEh* GetCellRectInRowPanelAtPos(TPoint Pos, TRect& CellRect, bool IncludeLines);
    virtual void DrawRowPanelTitleCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect);
    virtual void DrawRowPanelDataCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow);
    virtual void DrawRowPanelFooterCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int FooterRow);
    // The layout's part in row panel mode: places the columns and sorts them by their places;
    // then the rows, titles and footers take the panel's height.
    void LayoutRowPanelColumns();
    void ApplyRowPanelHeights();
    // Lines under and after a column's place in a panel cell.
    void DrawRowPanelPlaceLines(const TRect& Cell, const TRect& Place, TColor Color);
    // The drawing state of one column in a panel: the keyboard's column of the current row is
    // the selected one.
    TGridDrawState RowPanelColumnState(TColumnEh* Column, bool CurrentRow, TGridDrawState AState);
    // The column under the keyboard inside the panel; setting it brings its cell into view.
    int InRowPanelCol() const { return FInRowPanelCol; }
    void SetInRowPanelCol(int Value);
    // Scrolls horizontally so that the column's data cell is in view.
    void ScrollRowPanelColumnIntoView(int ColumnIndex);

protected:
    // The panel cell scrolls by pixels.
    bool HorzSmoothStep() override;
    // The detail window belongs to the grid; the controls on it to the form.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void ReadState(TReader* Reader) override;
    // Re-places the panel's window after the grid's layout.
    void RowDetailPanelLayoutChanged();

private:
    friend class TRowDetailPanelEh;
    friend class TGridRowPanelEh;
    std::unique_ptr<TRowDetailPanelEh> FRowDetailPanel{new TRowDetailPanelEh(this)};
    TRowDetailPanelControlEh* FRowDetailControl = nullptr;
    std::unique_ptr<TGridRowPanelEh> FRowPanel{new TGridRowPanelEh(this)};
    // The record the open panel belongs to.
    TBookmark FRowDetailBookmark;
    int FMasterCellWidth = 0;
    int FMasterCellHeight = 0;
    int FInRowPanelCol = 0;
    // ==== end of row detail panel and row panel ====

    // ==== keyboard, incremental search, editing conditions and cell editor ====
public:
    // Adds Text to the incremental search and looks for it from the current record; a
    // TimeOut below 0 keeps the search running until a key or a move ends it.
    void StartInplaceSearch(const QString& Text, int TimeOut, TLocateTextDirectionEh Direction);
    void StopInplaceSearch();
    bool InplaceSearching() const { return FInplaceSearching; }
    QString InplaceSearchText() const { return FInplaceSearchText; }
    int InplaceSearchTimeOut() const { return FInplaceSearchTimeOut; }
    bool InplaceSearchTimerActive() const { return FInplaceSearchTimerActive; }
    // The data column the incremental search matches in.
    TColumnEh* InplaceSearchColumn();
    QChar GetCompleteKeyPress() const { return FCompleteKeyPress; }
    bool CanEditShow() override;
    bool CanEditModify() override;
    bool IsTabStopCol(int ACol) override;

protected:
    bool CanEditAxisBar(int Index) override;
    bool IsAlwaysShowEditor() override;
    TInplaceEdit* CreateEditor() override;
    void DoExit() override;
    void KeyPress(QChar& Key) override;
    void WMChar(TMessage& M) override;
    void WMTimer(TMessage& M) override;
    // The keys of a record row that the base grid's navigation does not know; clears the
    // handled key.
    void RecordKeyDown(Word& Key, TShiftState Shift);
    // Shortcuts and the keys of a running incremental search.
    void ShortcutKeyDown(Word& Key, TShiftState Shift);
    // Tab and Shift+Tab over the editable columns, stepping to the next or previous record.
    void TabKeyDown(bool Back);
    // Down: an untouched inserted record is dropped (or kept at the end); at the end a new
    // record is appended where the grid allows it.
    void DownKeyDown(TShiftState Shift);
    void UpKeyDown(TShiftState Shift);
    // The dataset inserts a record that neither it nor the editor changed.
    bool InsertingUntouched();
    bool InsertingUntouchedAtEnd();
    // Looks for a record whose text in Column starts with Text, case aside, and makes it
    // current; a failed search leaves the cursor where it was.
    bool LocateInplaceText(TColumnEh* Column, const QString& Text, TLocateTextDirectionEh Direction,
                           bool SkipCurrent, QString& FoundText);
    // The current column is a check-box or key image column the keys step or clear.
    bool KeyStepsCurrentColumn();

private:
    bool FInplaceSearching = false;
    QString FInplaceSearchText;
    int FInplaceSearchTimeOut = 0;
    bool FInplaceSearchTimerActive = false;
    bool FInplaceSearchingInProcess = false;
    QChar FCompleteKeyPress;
    friend class TDBGridInplaceEdit;
    // ==== end of keyboard, incremental search, editing conditions and cell editor ====
};

// ============================================================================================
// TDBGridEh: the data grid with its properties published
// ============================================================================================

class TDBGridEh : public TCustomDBGridEh {
    DOV_PERSISTENT(TDBGridEh, TCustomDBGridEh)
public:
    explicit TDBGridEh(TComponent* AOwner) : TCustomDBGridEh(AOwner) {}
};
