// The data grid: construction, options, properties and the objects every grid shares.
#include "DBGridEh.h"

DOV_PUBLISHED(TCustomDBGridEh) {}
DOV_PUBLISHED(TDBGridEh) {}
DOV_PUBLISHED(TDBGridEhCenter) {}

TCustomDBGridEh::TCustomDBGridEh(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner)
{
    FOptions = DBGridDefaultOptions;
    FOptionsEh = DBGridEhDefaultOptionsEh;
    FIndicatorOptions = TDBGridEhIndicatorOptions{gioShowRowIndicatorEh};
}

TCustomDBGridEh::~TCustomDBGridEh() = default;

void TCustomDBGridEh::AfterConstruction() { TCustomDBAxisGridEh::AfterConstruction(); }

void TCustomDBGridEh::SetOptions(TDBGridOptions Value) { FOptions = Value; }
void TCustomDBGridEh::SetOptionsEh(TDBGridEhOptions Value) { FOptionsEh = Value; }
void TCustomDBGridEh::SetIndicatorOptions(TDBGridEhIndicatorOptions Value) { FIndicatorOptions = Value; }
void TCustomDBGridEh::SetEditButtonsShowOptions(TEditButtonsShowOptionsEh Value) { FEditButtonsShowOptions = Value; }
void TCustomDBGridEh::SyncColumnSizingOptions(TDBGridOptions, TDBGridEhOptions) {}
void TCustomDBGridEh::SetDataSource(TDataSource* Value) { TCustomDBAxisGridEh::SetDataSource(Value); }
void TCustomDBGridEh::SetFooterRowCount(int Value) { FFooterRowCount = Value; }
void TCustomDBGridEh::SetRowHeight(int Value) { FNewRowHeight = Value; }
void TCustomDBGridEh::SetRowLines(int Value) { FRowLines = Value; }
void TCustomDBGridEh::SetRowSizingAllowed(bool Value) { FRowSizingAllowed = Value; }
void TCustomDBGridEh::SetContraColCount(int Value) { TCustomGridEh::SetContraColCount(Value); }
void TCustomDBGridEh::SetStyle(TDBGridEhStyle* Value) { FStyle = Value; }
void TCustomDBGridEh::SetCenter(TDBGridEhCenter* Value) { FCenter = Value; }
TColor TCustomDBGridEh::EvenRowColor() const { return FEvenRowColor; }
void TCustomDBGridEh::SetEvenRowColor(TColor Value) { FEvenRowColor = Value; }
TColor TCustomDBGridEh::OddRowColor() const { return FOddRowColor; }
void TCustomDBGridEh::SetOddRowColor(TColor Value) { FOddRowColor = Value; }
void TCustomDBGridEh::SetTryUseMemTableInt(bool Value) { FTryUseMemTableInt = Value; }
int TCustomDBGridEh::CalcIndicatorColWidth() { return 0; }
int TCustomDBGridEh::DefaultCalcIndicatorRowNumAreaWidth() { return 11; }
bool TCustomDBGridEh::CheckIndicatorColWidthChanged() { return false; }
bool TCustomDBGridEh::IndicatorVisible() { return false; }
TColumnEh* TCustomDBGridEh::FindFieldColumn(const QString&) const { return nullptr; }
TColumnEh* TCustomDBGridEh::GetFieldColumns(const QString&) const { return nullptr; }
void TCustomDBGridEh::DefaultApplySorting() {}
TColor TCustomDBGridEh::GetColumnFontColor(TColumnEh*, TGridDrawState) { return clWindowText; }
TColor TCustomDBGridEh::GetColumnColor(TColumnEh*, TGridDrawState) { return clWindow; }
void TCustomDBGridEh::UpdateIntMemTable() {}
void TCustomDBGridEh::MTEventReceived(int, TMTViewEventTypeEh, int) {}
void TCustomDBGridEh::CellClick(TColumnEh*) {}
bool TCustomDBGridEh::CheckTitleButton(int, bool&) { return false; }
void TCustomDBGridEh::ColEnter() {}
void TCustomDBGridEh::ColExit() {}
void TCustomDBGridEh::TitleBtnClick(int, TColumnEh*) {}
void TCustomDBGridEh::TitleClick(TColumnEh*) {}
void TCustomDBGridEh::DoSelectionChanged() {}
void TCustomDBGridEh::DataChanged() {}
void TCustomDBGridEh::LinkActive(bool Value) { TCustomDBAxisGridEh::LinkActive(Value); }
void TCustomDBGridEh::GetCellParams(TAxisBarEh*, TFont*, TColor&, TGridDrawState&) {}
QString TCustomDBGridEh::GetAxisBarsPropertyName() { return QStringLiteral("Columns"); }
TAxisGridDataLinkEh* TCustomDBGridEh::CreateDataLink() { return Create<TGridDataLinkEh>(this); }
TGridAxisBarsEh* TCustomDBGridEh::CreateAxisBars() { return TCustomDBAxisGridEh::CreateAxisBars(); }
TAxisBarDefValuesEh* TCustomDBGridEh::CreateAxisBarDefValues() { return TCustomDBAxisGridEh::CreateAxisBarDefValues(); }
void TCustomDBGridEh::DefineProperties(TFiler* Filer) { TCustomDBAxisGridEh::DefineProperties(Filer); }
void TCustomDBGridEh::Loaded() { TCustomDBAxisGridEh::Loaded(); }
void TCustomDBGridEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomDBAxisGridEh::Notification(AComponent, Operation);
}
void TCustomDBGridEh::CreateWnd() { TCustomDBAxisGridEh::CreateWnd(); }
void TCustomDBGridEh::Paint() { TCustomDBAxisGridEh::Paint(); }

TGridDataLinkEh::TGridDataLinkEh(TCustomDBGridEh* AGrid) : TAxisGridDataLinkEh(AGrid) {}
TCustomDBGridEh* TGridDataLinkEh::DBGrid() const { return static_cast<TCustomDBGridEh*>(FGrid); }
void TGridDataLinkEh::ActiveChanged() { TAxisGridDataLinkEh::ActiveChanged(); }

TDBGridEhCenter::~TDBGridEhCenter() = default;
void TDBGridEhCenter::AddChangeNotification(TCustomDBGridEh*) {}
void TDBGridEhCenter::RemoveChangeNotification(TCustomDBGridEh*) {}
bool TDBGridEhCenter::GridInChangeNotification(TCustomDBGridEh*) const { return false; }
void TDBGridEhCenter::ApplySorting(TCustomDBGridEh*) {}
void TDBGridEhCenter::DefaultApplySorting(TCustomDBGridEh*) {}
int TDBGridEhCenter::CalcIndicatorRowNumAreaWidth(TCustomDBGridEh*) { return 0; }
TDBGridEhCenter* DBGridEhDefaultCenter() { return nullptr; }

TShortCut DBGridEhFindDialogKey = 0;
TShortCut DBGridEhShowInSearchPanelKey = 0;
TShortCut DBGridEhSetValueFromPrevRecordKey = 0;
TShortCut DBGridEhSetValueFromPrevRecordKey2 = 0;
TShortCut DBGridEhSearchPanelKey = 0;
TShortCut DBGridEhEnterSearchPanelKey = 0;
int DBGridEhInplaceSearchTimeInterval = 1500;
TColor DBGridEhInplaceSearchColor = TColor(0x00FFFF);
TColor DBGridEhInplaceSearchTextColor = TColor(0);
int DBGridEhSearchPanelSearchTimeLimit = 500;
TCustomImageList* DBGridEhIndicators() { return nullptr; }
TCustomImageList* DBGridEhSortMarkerImages() { return nullptr; }
TFont* DBGridEhSortMarkerFont() { return nullptr; }
void DBGridEhUnitStartUp() {}
void DBGridEhUnitCloseDown() {}
