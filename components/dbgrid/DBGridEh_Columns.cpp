// Columns of the data grid: width model, sort markers, lookup texts, the column collection's
// reaction to changes and navigation between columns.
#include "DBGridEh.h"

#include "components/foundation/PropFilerEh.h"

// ============================================================================================
// TDBGridColumnLookupDataEh
// ============================================================================================

bool TDBGridColumnLookupDataEh::LookupValuesCached() const { return false; }

// ============================================================================================
// TColumnTitleEh
// ============================================================================================

DOV_PUBLISHED(TColumnTitleEh) {}

TColumnEh* TColumnTitleEh::Column() const { return static_cast<TColumnEh*>(FAxisBar); }
void TColumnTitleEh::Assign(TPersistent* Source) { TAxisBarTitleEh::Assign(Source); }
void TColumnTitleEh::RestoreDefaults() { TAxisBarTitleEh::RestoreDefaults(); }
void TColumnTitleEh::SetSortMarker(TSortMarkerEh Value) { FSortMarker = Value; }
void TColumnTitleEh::SetSortIndex(int Value) { FSortIndex = Value; }
void TColumnTitleEh::SetNextSortMarkerValue(bool) {}
bool TColumnTitleEh::ShowImageAndText() const { return FShowImageAndTextStored ? FShowImageAndText : false; }
void TColumnTitleEh::SetShowImageAndText(bool Value) { FShowImageAndText = Value; }
void TColumnTitleEh::SetShowImageAndTextStored(bool Value) { FShowImageAndTextStored = Value; }
bool TColumnTitleEh::DefaultShowImageAndText() const { return false; }
int TColumnTitleEh::GetSortMarkingWidth() const { return 0; }
int TColumnTitleEh::GetFilterButtonAreaWidth() const { return 0; }
int TColumnTitleEh::ImageAreaWidth() const { return 0; }

// ============================================================================================
// TColumnEh
// ============================================================================================

DOV_PUBLISHED(TColumnEh) {}

TColumnEh::TColumnEh(TCollection* Collection) : TBaseColumnEh(Collection) {}
TColumnEh::~TColumnEh() = default;
void TColumnEh::AfterConstruction() { TBaseColumnEh::AfterConstruction(); }
void TColumnEh::Assign(TPersistent* Source) { TBaseColumnEh::Assign(Source); }
TCustomDBGridEh* TColumnEh::Grid() const { return nullptr; }
TColumnTitleEh* TColumnEh::Title() const { return static_cast<TColumnTitleEh*>(TBaseColumnEh::Title()); }
TDBGridColumnLookupDataEh* TColumnEh::LookupParams() const
{
    return static_cast<TDBGridColumnLookupDataEh*>(TBaseColumnEh::LookupParams());
}
int TColumnEh::Width() const { return FWidth; }
void TColumnEh::SetWidth(int Value) { FWidth = Value; }
int TColumnEh::DefaultWidth() const { return 64; }
void TColumnEh::SetMinWidth(int Value) { FMinWidth = Value; }
void TColumnEh::SetMaxWidth(int Value) { FMaxWidth = Value; }
void TColumnEh::SetAutoFitColWidth(bool Value) { FAutoFitColWidth = Value; }
int TColumnEh::ClampWidth(int Value) const { return Value; }
int TColumnEh::FullWidth() const { return Width(); }
bool TColumnEh::IsWidthStored() const { return false; }
void TColumnEh::OptimizeWidth() {}
void TColumnEh::SetHideDuplicates(bool Value) { FHideDuplicates = Value; }
TAlignment TColumnEh::DefaultAlignment() const { return TBaseColumnEh::DefaultAlignment(); }
int TColumnEh::CalcRowHeight() { return 0; }
bool TColumnEh::CurLineWordWrap(int RowHeight) { return TBaseColumnEh::CurLineWordWrap(RowHeight); }
void TColumnEh::SetTextArea(TRect&) {}
void TColumnEh::GetColCellParams(bool EditMode, TAxisColCellParamsEh* Params)
{
    TBaseColumnEh::GetColCellParams(EditMode, Params);
}
void TColumnEh::SetOnGetCellParams(const TGetColCellParamsEventEh& Value) { FOnGetCellParams = Value; }
void TColumnEh::SetField(TField* Value) { TBaseColumnEh::SetField(Value); }
QString TColumnEh::DisplayText() { return TBaseColumnEh::DisplayText(); }
Variant TColumnEh::GetLookupValue() { return Variant(); }
void TColumnEh::RecordChanged(TField*) {}
void TColumnEh::UpdateLookupValuesCache(int, TMTViewEventTypeEh) {}
void TColumnEh::DropDownSpecRowChanged(TObject* Sender) { TBaseColumnEh::DropDownSpecRowChanged(Sender); }
IMemTableDataFieldValueListEh* TColumnEh::GetCurrentFieldValueList() { return nullptr; }
void TColumnEh::DropDownBoxApplyTextFilter(TDataSet* DataSet, const QString& FieldName, const QString& FilterText,
                                           TLSAutoFilterTypeEh Operation)
{
    TBaseColumnEh::DropDownBoxApplyTextFilter(DataSet, FieldName, FilterText, Operation);
}
TDBGridEhDropDownBoxCheckTitleEhBtnEvent TColumnEh::OnDropDownBoxCheckButton() const { return {}; }
void TColumnEh::SetOnDropDownBoxCheckButton(const TDBGridEhDropDownBoxCheckTitleEhBtnEvent&) {}
TDBGridEhDropDownBoxDrawColumnEhCellEvent TColumnEh::OnDropDownBoxDrawColumnCell() const { return {}; }
void TColumnEh::SetOnDropDownBoxDrawColumnCell(const TDBGridEhDropDownBoxDrawColumnEhCellEvent&) {}
TDBGridEhDropDownBoxGetCellEhParamsEvent TColumnEh::OnDropDownBoxGetCellParams() const { return {}; }
void TColumnEh::SetOnDropDownBoxGetCellParams(const TDBGridEhDropDownBoxGetCellEhParamsEvent&) {}
TNotifyEvent TColumnEh::OnDropDownBoxSortMarkingChanged() const { return {}; }
void TColumnEh::SetOnDropDownBoxSortMarkingChanged(const TNotifyEvent&) {}
TDBGridEhDropDownBoxTitleEhClickEvent TColumnEh::OnDropDownBoxTitleBtnClick() const { return {}; }
void TColumnEh::SetOnDropDownBoxTitleBtnClick(const TDBGridEhDropDownBoxTitleEhClickEvent&) {}
TAxisBarTitleEh* TColumnEh::CreateTitle() { return new TColumnTitleEh(this); }
TDBLookupDataEh* TColumnEh::CreateLookupParams() { return new TDBGridColumnLookupDataEh(this); }
void TColumnEh::FieldBound() {}
IDropDownBoxEventsEh* TColumnEh::DropDownBoxEvents() const { return nullptr; }

DOV_PUBLISHED(TDBGridColumnEh) {}

// ============================================================================================
// Default values
// ============================================================================================

DOV_PUBLISHED(TColumnTitleDefValuesEh) {}

void TColumnTitleDefValuesEh::Assign(TPersistent* Source) { TAxisBarCaptionDefValuesEh::Assign(Source); }
void TColumnTitleDefValuesEh::SetShowImageAndText(bool Value) { FShowImageAndText = Value; }

DOV_PUBLISHED(TColumnDefValuesEh) {}

TColumnDefValuesEh::~TColumnDefValuesEh() { delete FFooter; }
void TColumnDefValuesEh::Assign(TPersistent* Source) { TAxisBarDefValuesEh::Assign(Source); }
void TColumnDefValuesEh::SetFooter(TColumnFooterDefValuesEh* Value) { FFooter->Assign(Value); }
TColumnTitleDefValuesEh* TColumnDefValuesEh::Title() const
{
    return static_cast<TColumnTitleDefValuesEh*>(TAxisBarDefValuesEh::Title());
}
void TColumnDefValuesEh::SetTitle(TColumnTitleDefValuesEh* Value) { TAxisBarDefValuesEh::SetTitle(Value); }
TAxisBarCaptionDefValuesEh* TColumnDefValuesEh::CreateTitleDefValues() { return new TColumnTitleDefValuesEh(this); }

// ============================================================================================
// TDBGridColumnsEh
// ============================================================================================

DOV_PUBLISHED(TDBGridColumnsEh) {}

TDBGridColumnsEh::TDBGridColumnsEh(TCustomDBGridEh* Grid, const TClassInfo& ColumnClass)
    : TBaseColumnsEh(Grid, ColumnClass)
{
}
TCustomDBGridEh* TDBGridColumnsEh::Grid() const { return nullptr; }
TColumnEh* TDBGridColumnsEh::Add() { return static_cast<TColumnEh*>(TBaseColumnsEh::Add()); }
TColumnEh* TDBGridColumnsEh::FindColumnByName(const QString& ColumnName) const
{
    return static_cast<TColumnEh*>(FindBarByName(ColumnName));
}
void TDBGridColumnsEh::ActiveChanged() { TBaseColumnsEh::ActiveChanged(); }
TColumnEh* TDBGridColumnsEh::GetNextTabColumn(TColumnEh* ForColumn, bool) { return ForColumn; }
TColumnEh* TDBGridColumnsEh::GetNextHorzColumn(TColumnEh* ForColumn, bool, bool, bool) { return ForColumn; }
TColumnEh* TDBGridColumnsEh::GetNextVertColumn(TColumnEh* ForColumn, bool) { return ForColumn; }
TColumnEh* TDBGridColumnsEh::GetTopColumn(TColumnEh* Column) { return Column; }
TColumnEh* TDBGridColumnsEh::GetBottomColumn(TColumnEh* Column) { return Column; }
TColumnEh* TDBGridColumnsEh::GetFirstTabColumn() { return nullptr; }
TColumnEh* TDBGridColumnsEh::GetLastTabColumn() { return nullptr; }
void TDBGridColumnsEh::SetScrollVisibleColumns(TColumnEh* First, TColumnEh* Last)
{
    FFirstScrollVisibleColumn = First;
    FLastScrollVisibleColumn = Last;
}
void TDBGridColumnsEh::SetFrozenVisibleColumns(TColumnEh* First, TColumnEh* Last)
{
    FFirstFrozenVisibleColumn = First;
    FLastFrozenVisibleColumn = Last;
}
void TDBGridColumnsEh::SetContraVisibleColumns(TColumnEh* First, TColumnEh* Last)
{
    FFirstContraVisibleColumn = First;
    FLastContraVisibleColumn = Last;
}
void TDBGridColumnsEh::Update(TCollectionItem* Item) { TBaseColumnsEh::Update(Item); }
void TDBGridColumnsEh::Notify(TCollectionItem* Item, TCollectionNotification Action)
{
    TBaseColumnsEh::Notify(Item, Action);
}

// ============================================================================================
// Unit routines
// ============================================================================================

void RegisterColumnPropertyInterceptors() {}
QString VariantToQuotedListText(const Variant& V) { return V.AsString(); }
