// Columns of the data grid: the column, its title, default values and the column collection.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "DBGridEh_CellParams.h"
#include "DBGridEh_Footers.h"
#include "DBGridEh_RowDetail.h"

#include <memory>
#include <vector>

class TCustomDBGridEh;
class TColumnEh;
class TColCellParamsEh;
class TDBGridColumnsEh;

// ============================================================================================
// Types of the columns
// ============================================================================================

enum TSortMarkerEh { smNoneEh, smDownEh, smUpEh };
DOV_ENUM_INFO(TSortMarkerEh, smNoneEh, smDownEh, smUpEh)

// Per-column cell parameters: the application may change what the cell shows.
using TGetColCellParamsEventEh = Delegate<void(TObject* Sender, bool EditMode, TColCellParamsEh* Params)>;

// The column's own filter of its drop-down list while the user types; replaces the default one.
using TDBGridEhDropDownBoxDBGridSimpleTextApplyFilterEh =
    Delegate<void(TCustomDBGridEh* Sender, TColumnEh* Column, TDataSet* DataSet, const QString& FieldName,
                  TLSAutoFilterTypeEh Operation, const QString& FilterText)>;

// Events of the drop-down data list of a column; the list's own columns are passed.
using TDBGridEhDropDownBoxCheckTitleEhBtnEvent =
    Delegate<void(TObject* Sender, int ACol, TColumnEh* Column, bool& Enabled)>;
using TDBGridEhDropDownBoxDrawColumnEhCellEvent =
    Delegate<void(TObject* Sender, const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State)>;
using TDBGridEhDropDownBoxGetCellEhParamsEvent =
    Delegate<void(TObject* Sender, TColumnEh* Column, TFont* AFont, TColor& Background, TGridDrawState State)>;
using TDBGridEhDropDownBoxTitleEhClickEvent = Delegate<void(TObject* Sender, int ACol, TColumnEh* Column)>;

// What a drop-down data list offers a column for its events. The lookup list grid implements
// it; a column reaches it through its data list (ILookupListGridEh).
class IDropDownBoxEventsEh {
public:
    virtual ~IDropDownBoxEventsEh() = default;
    virtual TDBGridEhDropDownBoxCheckTitleEhBtnEvent& DropDownBoxCheckButtonEvent() = 0;
    virtual TDBGridEhDropDownBoxDrawColumnEhCellEvent& DropDownBoxDrawColumnCellEvent() = 0;
    virtual TDBGridEhDropDownBoxGetCellEhParamsEvent& DropDownBoxGetCellParamsEvent() = 0;
    virtual TNotifyEvent& DropDownBoxSortMarkingChangedEvent() = 0;
    virtual TDBGridEhDropDownBoxTitleEhClickEvent& DropDownBoxTitleBtnClickEvent() = 0;
};

// ============================================================================================
// TDBGridColumnLookupDataEh: the column's lookup description with a per-row cache of texts
// ============================================================================================

class TDBGridColumnLookupDataEh : public TDBLookupDataEh {
public:
    explicit TDBGridColumnLookupDataEh(TCollectionItem* AColumn) : TDBLookupDataEh(AColumn) {}

    // True exactly while the column's grid reaches an in-memory table.
    bool LookupValuesCached() const;

    // One entry per row of the grid's in-memory table; Unassigned = not yet computed.
    std::vector<Variant> FLookupValues;
};

// ============================================================================================
// TColumnTitleEh
// ============================================================================================

class TColumnTitleEh : public TAxisBarTitleEh {
    DOV_PERSISTENT(TColumnTitleEh, TAxisBarTitleEh)
public:
    explicit TColumnTitleEh(TAxisBarEh* Bar) : TAxisBarTitleEh(Bar) {}

    TColumnEh* Column() const;

    // SortIndex then SortMarker of a column title, through their setters.
    void Assign(TPersistent* Source) override;
    void RestoreDefaults() override;

    // Sort state: the setters keep the grid's SortMarkedColumns in step.
    TSortMarkerEh SortMarker() const { return FSortMarker; }
    void SetSortMarker(TSortMarkerEh Value);
    int SortIndex() const { return FSortIndex; }
    void SetSortIndex(int Value);
    // Advances the marker as a title click does; without KeepMulti every other column loses
    // its marker first.
    void SetNextSortMarkerValue(bool KeepMulti);

    // Follows the grid's ColumnDefValues.Title.ShowImageAndText until written.
    bool ShowImageAndText() const;
    void SetShowImageAndText(bool Value);
    bool ShowImageAndTextStored() const { return FShowImageAndTextStored; }
    void SetShowImageAndTextStored(bool Value);
    bool DefaultShowImageAndText() const;

    // Widths inside the title cell.
    int GetSortMarkingWidth() const;
    int GetFilterButtonAreaWidth() const;
    int ImageAreaWidth() const;

private:
    friend class TDBGridColumnsEh;
    TSortMarkerEh FSortMarker = smNoneEh;
    int FSortIndex = 0;
    bool FShowImageAndText = false;
    bool FShowImageAndTextStored = false;
};

// ============================================================================================
// TColumnEh
// ============================================================================================

class TColumnEh : public TBaseColumnEh {
    // ==== columns ====
    DOV_PERSISTENT(TColumnEh, TBaseColumnEh)
public:
    explicit TColumnEh(TCollection* Collection);
    ~TColumnEh() override;
    void AfterConstruction() override;
    void Assign(TPersistent* Source) override;

    // The data grid of the column collection; nullptr outside one.
    TCustomDBGridEh* Grid() const;
    TColumnTitleEh* Title() const;
    TDBGridColumnLookupDataEh* LookupParams() const;

    // ---- width ----
    int Width() const;
    void SetWidth(int Value) override;
    int DefaultWidth() const;
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value) override;
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value) override;
    bool AutoFitColWidth() const { return FAutoFitColWidth; }
    void SetAutoFitColWidth(bool Value) override;
    // The width fitting starts from; kept in proportion when the user resizes.
    int InitWidth() const { return FInitWidth; }
    void SetInitWidth(int Value) { FInitWidth = Value; }
    int ClampWidth(int Value) const;
    // Width plus the grid's extra room in front of the first visible column.
    int FullWidth() const;
    bool IsWidthStored() const;
    int GetWidth() const override { return Width(); }
    int GetMinWidth() const override { return FMinWidth; }
    int GetMaxWidth() const override { return FMaxWidth; }
    bool GetAutoFitColWidth() const override { return FAutoFitColWidth; }
    // The grid's width optimisation for this column alone.
    void OptimizeWidth();

    // ---- appearance and cells ----
    bool HideDuplicates() const { return FHideDuplicates; }
    void SetHideDuplicates(bool Value);
    TAlignment DefaultAlignment() const override;
    int CalcRowHeight() override;
    bool CurLineWordWrap(int RowHeight) override;
    void SetTextArea(TRect& ARect) override;
    // The grid's center fills the parameters first, then OnGetCellParams.
    void GetColCellParams(bool EditMode, TAxisColCellParamsEh* Params) override;
    TGetColCellParamsEventEh OnGetCellParams() const { return FOnGetCellParams; }
    void SetOnGetCellParams(const TGetColCellParamsEventEh& Value);

    // ---- data and lookup texts ----
    void SetField(TField* Value) override;
    QString DisplayText() override;
    Variant GetLookupValue();
    void RecordChanged(TField* AField) override;
    // Keeps the per-row cache of lookup texts in step with a row event of the in-memory table.
    void UpdateLookupValuesCache(int Row, TMTViewEventTypeEh Event);
    void DropDownSpecRowChanged(TObject* Sender) override;
    // The distinct values of the field for the filter drop-down, fetched once.
    IMemTableDataFieldValueListEh* GetCurrentFieldValueList();
    void ResetFieldValueList() { FFieldValueList.reset(); }

    // ---- drop-down box ----
    void DropDownBoxApplyTextFilter(TDataSet* DataSet, const QString& FieldName, const QString& FilterText,
                                    TLSAutoFilterTypeEh Operation) override;
    TDBGridEhDropDownBoxDBGridSimpleTextApplyFilterEh OnDropDownBoxApplyTextFilter;
    // Read and written on the drop-down data list (made on first use).
    TDBGridEhDropDownBoxCheckTitleEhBtnEvent OnDropDownBoxCheckButton() const;
    void SetOnDropDownBoxCheckButton(const TDBGridEhDropDownBoxCheckTitleEhBtnEvent& Value);
    TDBGridEhDropDownBoxDrawColumnEhCellEvent OnDropDownBoxDrawColumnCell() const;
    void SetOnDropDownBoxDrawColumnCell(const TDBGridEhDropDownBoxDrawColumnEhCellEvent& Value);
    TDBGridEhDropDownBoxGetCellEhParamsEvent OnDropDownBoxGetCellParams() const;
    void SetOnDropDownBoxGetCellParams(const TDBGridEhDropDownBoxGetCellEhParamsEvent& Value);
    TNotifyEvent OnDropDownBoxSortMarkingChanged() const;
    void SetOnDropDownBoxSortMarkingChanged(const TNotifyEvent& Value);
    TDBGridEhDropDownBoxTitleEhClickEvent OnDropDownBoxTitleBtnClick() const;
    void SetOnDropDownBoxTitleBtnClick(const TDBGridEhDropDownBoxTitleEhClickEvent& Value);

protected:
    TAxisBarTitleEh* CreateTitle() override;
    TDBLookupDataEh* CreateLookupParams() override;
    void FieldBound() override;

private:
    IDropDownBoxEventsEh* DropDownBoxEvents() const;

    int FWidth = 0;
    int FMinWidth = 0;
    int FMaxWidth = 0;
    bool FAutoFitColWidth = true;
    int FInitWidth = 0;
    bool FHideDuplicates = false;
    TGetColCellParamsEventEh FOnGetCellParams;
    std::unique_ptr<IMemTableDataFieldValueListEh> FFieldValueList;
    // The drop-down list's events as last written, kept while the list does not exist.
    TDBGridEhDropDownBoxCheckTitleEhBtnEvent FOnDropDownBoxCheckButton;
    TDBGridEhDropDownBoxDrawColumnEhCellEvent FOnDropDownBoxDrawColumnCell;
    TDBGridEhDropDownBoxGetCellEhParamsEvent FOnDropDownBoxGetCellParams;
    TNotifyEvent FOnDropDownBoxSortMarkingChanged;
    TDBGridEhDropDownBoxTitleEhClickEvent FOnDropDownBoxTitleBtnClick;
    // ==== end of columns ====

    // ==== footers ====
public:
    // The column's own footer and its further footers, one per footer row; made on first use
    // by the factories. Writing assigns into them.
    TColumnFooterEh* Footer() const;
    void SetFooter(TColumnFooterEh* Value);
    TColumnFootersEh* Footers() const;
    void SetFooters(TColumnFootersEh* Value);
    // The footer of a footer row: Footers[Index] when there is one, else Footer.
    TColumnFooterEh* UsedFooter(int Index) const;
    // Every footer's total is brought in step with its settings and the column's field.
    void EnsureFootersSumValue();

protected:
    virtual TColumnFooterEh* CreateFooter();
    virtual TColumnFootersEh* CreateFooters();

private:
    mutable std::unique_ptr<TColumnFooterEh> FFooter;
    mutable std::unique_ptr<TColumnFootersEh> FFooters;
    // ==== end of footers ====

    // ==== cell painting ====
public:
    TDBGridEhAdvDrawColumnDataEvent OnAdvDrawDataCell;
    TOnColumnCheckDrawRequiredStateEventEh OnCheckDrawRequiredState;
    TDBGridEhColumnGroupGetKeyValueEvent OnGetHideDuplicatesValue;
    // During one paint: the line above the visible row (index from the first visible data row)
    // is already painted over by duplicate hiding.
    std::vector<bool> FCheckedDuplicates;
    // ==== end of cell painting ====

    // ==== row panel placement ====
public:
    // The line the column starts on in row panel mode (negative reads 0) and how many lines it
    // spans (0 or less reads 1).
    int InRowLinePos() const { return FInRowLinePos < 0 ? 0 : FInRowLinePos; }
    void SetInRowLinePos(int Value);
    int InRowLineHeight() const { return FInRowLineHeight <= 0 ? 1 : FInRowLineHeight; }
    void SetInRowLineHeight(int Value);
    TColumnEhInRowPanelPlacement& InRowPanelPlacement() { return FInRowPanelPlacement; }
    const TColumnEhInRowPanelPlacement& InRowPanelPlacement() const { return FInRowPanelPlacement; }

private:
    int FInRowLinePos = 0;
    int FInRowLineHeight = 1;
    TColumnEhInRowPanelPlacement FInRowPanelPlacement;
    // ==== end of row panel placement ====

    // ==== grouping and selection ====
public:
    // The key a group level takes from this column, and its text in the group row.
    TDBGridEhColumnGroupGetKeyValueEvent OnGroupGetKeyValue;
    TDBGridEhColumnGroupGetKeyValueAsTextEvent OnGroupGetKeyValueAsText;
    // ==== end of grouping and selection ====
};

// The column class a grid's form stores: every property published.
class TDBGridColumnEh : public TColumnEh {
    DOV_PERSISTENT(TDBGridColumnEh, TColumnEh)
public:
    explicit TDBGridColumnEh(TCollection* Collection) : TColumnEh(Collection) {}
};

// ============================================================================================
// Default values of the columns
// ============================================================================================

class TColumnTitleDefValuesEh : public TAxisBarCaptionDefValuesEh {
    DOV_PERSISTENT(TColumnTitleDefValuesEh, TAxisBarCaptionDefValuesEh)
public:
    explicit TColumnTitleDefValuesEh(TAxisBarDefValuesEh* Owner) : TAxisBarCaptionDefValuesEh(Owner) {}
    void Assign(TPersistent* Source) override;

    bool ShowImageAndText() const { return FShowImageAndText; }
    void SetShowImageAndText(bool Value);

private:
    bool FShowImageAndText = false;
};

class TColumnDefValuesEh : public TAxisBarDefValuesEh {
    DOV_PERSISTENT(TColumnDefValuesEh, TAxisBarDefValuesEh)
public:
    explicit TColumnDefValuesEh(TCustomDBAxisGridEh* Grid) : TAxisBarDefValuesEh(Grid) {}
    ~TColumnDefValuesEh() override;
    void Assign(TPersistent* Source) override;

    TColumnFooterDefValuesEh* Footer() const { return FFooter; }
    void SetFooter(TColumnFooterDefValuesEh* Value);
    TColumnTitleDefValuesEh* Title() const;
    void SetTitle(TColumnTitleDefValuesEh* Value);

protected:
    TAxisBarCaptionDefValuesEh* CreateTitleDefValues() override;

private:
    TColumnFooterDefValuesEh* FFooter = new TColumnFooterDefValuesEh;
};

// ============================================================================================
// TColumnsEhList: columns in some order, not owned
// ============================================================================================

class TColumnsEhList : public TAxisBarsEhList {
public:
    TColumnsEhList() = default;
    TColumnEh* Items(int Index) const { return static_cast<TColumnEh*>(TAxisBarsEhList::Items(Index)); }
    void SetItems(int Index, TColumnEh* Value) { TAxisBarsEhList::SetItems(Index, Value); }
    TColumnEh* operator[](int Index) const { return Items(Index); }
};

// ============================================================================================
// TDBGridColumnsEh: the data grid's column collection
// ============================================================================================

class TDBGridColumnsEh : public TBaseColumnsEh {
    DOV_PERSISTENT(TDBGridColumnsEh, TBaseColumnsEh)
public:
    TDBGridColumnsEh(TCustomDBGridEh* Grid, const TClassInfo& ColumnClass);

    TCustomDBGridEh* Grid() const;
    TColumnEh* Add();
    TColumnEh* Items(int Index) const { return static_cast<TColumnEh*>(TBaseColumnsEh::Items(Index)); }
    void SetItems(int Index, TColumnEh* Value) { TBaseColumnsEh::SetItems(Index, Value); }
    TColumnEh* operator[](int Index) const { return Items(Index); }

    void AddAllColumns(bool DeleteExisting) { AddAllBars(DeleteExisting); }
    void RebuildColumns() { AddAllColumns(true); }
    TColumnEh* FindColumnByName(const QString& ColumnName) const;
    void GetColumnNames(TStrings* List) const { GetBarNames(List); }
    // The data link went active or inactive: lookups recompute and value lists are dropped.
    void ActiveChanged();

    // Whether some column's own footer shows that kind of value (Footers are not looked at).
    bool ExistFooterValueType(TFooterValueType AFooterValueType) const;

    // Rebuilds the grid's SortMarkedColumns from the titles, in SortIndex order and without
    // gaps; the titles are renumbered 1, 2, ... to match.
    void SetSortMarkedColumns();

    // ---- navigation between columns ----
    TColumnEh* GetNextTabColumn(TColumnEh* ForColumn, bool GoForward);
    TColumnEh* GetFirstTabColumn();
    TColumnEh* GetLastTabColumn();

    // The column from which up/down moves keep their horizontal position (row panel mode).
    TColumnEh* UpDownBaseColumn() const { return FUpDownBaseColumn; }
    void SetUpDownBaseColumn(TColumnEh* Value) { FUpDownBaseColumn = Value; }

    // First and last visible columns of each area, set by the grid's layout.
    TColumnEh* FirstScrollVisibleColumn() const { return FFirstScrollVisibleColumn; }
    TColumnEh* LastScrollVisibleColumn() const { return FLastScrollVisibleColumn; }
    TColumnEh* FirstFrozenVisibleColumn() const { return FFirstFrozenVisibleColumn; }
    TColumnEh* LastFrozenVisibleColumn() const { return FLastFrozenVisibleColumn; }
    TColumnEh* FirstContraVisibleColumn() const { return FFirstContraVisibleColumn; }
    TColumnEh* LastContraVisibleColumn() const { return FLastContraVisibleColumn; }
    void SetScrollVisibleColumns(TColumnEh* First, TColumnEh* Last);
    void SetFrozenVisibleColumns(TColumnEh* First, TColumnEh* Last);
    void SetContraVisibleColumns(TColumnEh* First, TColumnEh* Last);

    // Row panel mode: each column's place in the panel from its lines and widths.
    void RelayoutCellsInRowPanel();
    // Scales the places by Denominator/Divisor, keeping touching columns touching.
    void ScaleWidths(int Divisor, int Denominator);
    // Spreads, line by line, the width the fixed columns leave among the auto-fitting ones.
    void FixupAutoFitColWidths(int GridWidth);

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
    TColumnEh* FUpDownBaseColumn = nullptr;
    TColumnEh* FFirstScrollVisibleColumn = nullptr;
    TColumnEh* FLastScrollVisibleColumn = nullptr;
    TColumnEh* FFirstFrozenVisibleColumn = nullptr;
    TColumnEh* FLastFrozenVisibleColumn = nullptr;
    TColumnEh* FFirstContraVisibleColumn = nullptr;
    TColumnEh* FLastContraVisibleColumn = nullptr;
};

// ============================================================================================
// Unit routines
// ============================================================================================

// Registers the storage interceptors of TColumnEh (Width) and TDBGridColumnsEh (ColumnsIndex,
// the field names in column order, "\"A\",\"B\""; writing it reorders the columns).
void RegisterColumnPropertyInterceptors();

// A plain value as its text; an array as its elements' texts, each in single quotes,
// separated by commas.
QString VariantToQuotedListText(const Variant& V);
