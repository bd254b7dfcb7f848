// The axis grid: construction, locks, data source, data link and editing protocol.
#include "DBAxisGridsEh_Grid.h"

#include "DBAxisGridsEh_Collections.h"
#include "DBAxisGridsEh_Draw.h"
#include "DBAxisGridsEh_Inplace.h"

DOV_PUBLISHED(TCustomDBAxisGridEh) {}

bool IsFieldReadOnlyEh(TField*) { return false; }

// ---------------------------------------------------------------- TAxisGridDataLinkEh

TAxisGridDataLinkEh::TAxisGridDataLinkEh(TCustomDBAxisGridEh* AGrid) : FGrid(AGrid) {}
TAxisGridDataLinkEh::~TAxisGridDataLinkEh() { ClearMapping(); }
bool TAxisGridDataLinkEh::AddMapping(const QString&) { return false; }
void TAxisGridDataLinkEh::ClearMapping() {}
void TAxisGridDataLinkEh::Reset() {}
TField* TAxisGridDataLinkEh::GetFields(int) const { return nullptr; }
int TAxisGridDataLinkEh::GetMappedIndex(int) const { return -1; }
bool TAxisGridDataLinkEh::DefaultFields() const { return true; }
void TAxisGridDataLinkEh::UpdateData() {}
void TAxisGridDataLinkEh::CheckBrowseMode() {}
void TAxisGridDataLinkEh::ActiveChanged() {}
void TAxisGridDataLinkEh::DataSetChanged() {}
void TAxisGridDataLinkEh::DataSetScrolled(int) {}
void TAxisGridDataLinkEh::FocusControl(TField**) {}
void TAxisGridDataLinkEh::EditingChanged() {}
void TAxisGridDataLinkEh::LayoutChanged() {}
void TAxisGridDataLinkEh::RecordChanged(TField*) {}
void TAxisGridDataLinkEh::StoreBookmark() {}

// ---------------------------------------------------------------- TCustomDBAxisGridEh

TCustomDBAxisGridEh::TCustomDBAxisGridEh(TComponent* AOwner) : TCustomGridEh(AOwner) {}
TCustomDBAxisGridEh::~TCustomDBAxisGridEh() = default;
void TCustomDBAxisGridEh::AfterConstruction() { TCustomGridEh::AfterConstruction(); }

void TCustomDBAxisGridEh::BeginUpdate() {}
void TCustomDBAxisGridEh::EndUpdate() {}
void TCustomDBAxisGridEh::BeginLayout() {}
void TCustomDBAxisGridEh::EndLayout() {}
bool TCustomDBAxisGridEh::TryBeginLayout() { return false; }
void TCustomDBAxisGridEh::EndLayoutNoNotify() {}
void TCustomDBAxisGridEh::EndLayoutDeferred() {}
void TCustomDBAxisGridEh::LayoutChanged() {}
void TCustomDBAxisGridEh::WMDeferredLayout(TMessage&) {}

TDataSource* TCustomDBAxisGridEh::DataSource() const { return nullptr; }
int TCustomDBAxisGridEh::FieldCount() const { return 0; }
TField* TCustomDBAxisGridEh::GetFields(int) const { return nullptr; }
bool TCustomDBAxisGridEh::ValidFieldIndex(int) const { return false; }
bool TCustomDBAxisGridEh::DataSetActive() const { return false; }
TAxisBarEh* TCustomDBAxisGridEh::FindFieldColumn(const QString&) const { return nullptr; }
TAxisBarEh* TCustomDBAxisGridEh::GetFieldAxisBars(const QString&) const { return nullptr; }
TField* TCustomDBAxisGridEh::SelectedField() { return nullptr; }
void TCustomDBAxisGridEh::SetSelectedField(TField*) {}

void TCustomDBAxisGridEh::SetAllowedOperations(TDBGridEhAllowedOperations Value) { FAllowedOperations = Value; }
void TCustomDBAxisGridEh::SetAxisBars(TGridAxisBarsEh*) {}
void TCustomDBAxisGridEh::SetAxisBarDefValues(TAxisBarDefValuesEh*) {}
void TCustomDBAxisGridEh::SetDynProps(TDynVarsEh*) {}
void TCustomDBAxisGridEh::SetBorder(TControlBorderEh*) {}
void TCustomDBAxisGridEh::SetReadOnly(bool Value) { FReadOnly = Value; }
void TCustomDBAxisGridEh::SetDrawMemoText(bool Value) { FDrawMemoText = Value; }
void TCustomDBAxisGridEh::SetDrawGraphicData(bool Value) { FDrawGraphicData = Value; }

void TCustomDBAxisGridEh::StartTimer(int) {}
void TCustomDBAxisGridEh::StopTimer() {}

TRect TCustomDBAxisGridEh::CellRect(int, int) { return TRect(); }
void TCustomDBAxisGridEh::InvalidateGridRect(const TGridRect&) {}
void TCustomDBAxisGridEh::InvalidateCol(int) {}
void TCustomDBAxisGridEh::InvalidateRow(int) {}
void TCustomDBAxisGridEh::InvalidateCell(int, int) {}
void TCustomDBAxisGridEh::Invalidate() { TCustomGridEh::Invalidate(); }
bool TCustomDBAxisGridEh::IsMouseInRect(const TRect&) { return false; }
bool TCustomDBAxisGridEh::InplaceEditorVisible() { return false; }
TDBAxisGridEhCenter* TCustomDBAxisGridEh::GetCenter() { return nullptr; }
void TCustomDBAxisGridEh::SetFocus() { TCustomGridEh::SetFocus(); }

bool TCustomDBAxisGridEh::CanEditShow() { return false; }
bool TCustomDBAxisGridEh::CanEditAcceptKey(QChar) { return false; }
int TCustomDBAxisGridEh::GetEditLimit(int, int) { return 0; }
QString TCustomDBAxisGridEh::GetEditMask(int, int) { return QStringLiteral("Must be rewrited in the inherited class"); }
QString TCustomDBAxisGridEh::GetEditText(int, int) { return QStringLiteral("Must be rewrited in the inherited class"); }
void TCustomDBAxisGridEh::SetEditText(int, int, const QString& Value) { FEditText = Value; }
void TCustomDBAxisGridEh::InvalidateEditor() { TCustomGridEh::InvalidateEditor(); }
TInplaceEdit* TCustomDBAxisGridEh::CreateEditor() { return TCustomGridEh::CreateEditor(); }
void TCustomDBAxisGridEh::CurrentCellMoved(TGridCoord OldCurrent) { TCustomGridEh::CurrentCellMoved(OldCurrent); }
void TCustomDBAxisGridEh::FlatChanged() {}
void TCustomDBAxisGridEh::ScrollPositionChanged(int64_t OldHorzPos, int64_t OldVertPos)
{
    TCustomGridEh::ScrollPositionChanged(OldHorzPos, OldVertPos);
}

bool TCustomDBAxisGridEh::InplaceEditorCanModify(TWinControl*) { return true; }
void TCustomDBAxisGridEh::GetDownMousePosAndTime(TPoint&, int&) {}
void TCustomDBAxisGridEh::InplaceEditorKeyDown(TWinControl*, Word&, TShiftState) {}
void TCustomDBAxisGridEh::InplaceEditorKeyPress(TWinControl*, QChar&) {}
void TCustomDBAxisGridEh::InplaceEditorKeyUp(TWinControl*, Word&, TShiftState) {}
bool TCustomDBAxisGridEh::InplaceEditorWndProc(TWinControl*, TMessage&) { return false; }

bool TCustomDBAxisGridEh::AcquireFocus() { return true; }
bool TCustomDBAxisGridEh::DataEditAllowed() { return false; }
bool TCustomDBAxisGridEh::CanEditAxisBar(int) { return false; }
bool TCustomDBAxisGridEh::CanEditModifyData() { return false; }
bool TCustomDBAxisGridEh::IsAlwaysShowEditor() { return false; }
bool TCustomDBAxisGridEh::CellHave3DFrame(int, int, TGridDrawState, const TRect&) { return false; }
TAxisBarDefValuesEh* TCustomDBAxisGridEh::CreateAxisBarDefValues() { return nullptr; }
TGridAxisBarsEh* TCustomDBAxisGridEh::CreateAxisBars() { return nullptr; }
TSortMarkerStyleEh TCustomDBAxisGridEh::GetSortMarkerStyle() { return smstDefaultEh; }
bool TCustomDBAxisGridEh::GetSelectionActive() { return false; }
void TCustomDBAxisGridEh::AxisBarRemoving(TAxisBarEh*) {}
void TCustomDBAxisGridEh::DataChanged() {}
void TCustomDBAxisGridEh::DefineFieldMap() {}
void TCustomDBAxisGridEh::EditButtonClick() {}
void TCustomDBAxisGridEh::GetCellParams(TAxisBarEh*, TFont*, TColor&, TGridDrawState&) {}
void TCustomDBAxisGridEh::GetBarFieldList(std::vector<TField*>&) {}
void TCustomDBAxisGridEh::LinkActive(bool) {}
void TCustomDBAxisGridEh::SelectionActiveChanged() {}
void TCustomDBAxisGridEh::DataSetScrolled(int) {}
void TCustomDBAxisGridEh::UpdateColWidths() {}
void TCustomDBAxisGridEh::UpdateActiveRow() {}
TAxisGridDataLinkEh* TCustomDBAxisGridEh::CreateDataLink() { return new TAxisGridDataLinkEh(this); }
TAxisColCellParamsEh* TCustomDBAxisGridEh::GetSharedColCellParams() { return FColCellParamsEh; }
TAxisColCellParamsEh* TCustomDBAxisGridEh::CreateColCellParams() { return nullptr; }
void TCustomDBAxisGridEh::EditingChanged() {}
void TCustomDBAxisGridEh::InternalLayout() {}
void TCustomDBAxisGridEh::RecordChanged(TField*) {}
void TCustomDBAxisGridEh::UpdateIme() {}
void TCustomDBAxisGridEh::GetAxisBarCurrentCell(TAxisBarEh*, int&, int&) {}
int TCustomDBAxisGridEh::GetEditorTextIndent(TAxisBarEh*) { return 3; }
int TCustomDBAxisGridEh::GetSelectedIndex() { return -1; }
void TCustomDBAxisGridEh::SetSelectedIndex(int) {}
void TCustomDBAxisGridEh::SetDataSource(TDataSource*) {}
void TCustomDBAxisGridEh::SetTitleFont(TFont*) {}
TFont* TCustomDBAxisGridEh::GetTitleFont() { return nullptr; }
TAlignment TCustomDBAxisGridEh::GetDefaultTitleAlignment() { return taLeftJustify; }
TColor TCustomDBAxisGridEh::GetDefaultTitleColor() { return FixedColor(); }
TColor TCustomDBAxisGridEh::GetGrayHighlightColor() { return clHighlight; }
void TCustomDBAxisGridEh::UpdateImeProps() {}
QString TCustomDBAxisGridEh::GetAxisBarsPropertyName() { return QStringLiteral("<Define property Name>"); }
bool TCustomDBAxisGridEh::IsFixed3D() { return true; }
void TCustomDBAxisGridEh::GetThemeTitleFillRect(TRect&, bool, bool) {}
bool TCustomDBAxisGridEh::IsCustomStyleActive() { return false; }
TAxisBarEh* TCustomDBAxisGridEh::GetTitleAxisBarAt(int, int) { return nullptr; }
TWinControl* TCustomDBAxisGridEh::GetActiveDropDownListbox() { return nullptr; }
void TCustomDBAxisGridEh::ResetBarLookupValues(TAxisBarEh*) {}
bool TCustomDBAxisGridEh::IsEditButtonsBoxVisible() { return false; }
TEditButtonsBoxEh* TCustomDBAxisGridEh::GetEditButtonsBox() { return nullptr; }
void TCustomDBAxisGridEh::CreateEditButtonControl(TEditButtonControlEh*&) {}
void TCustomDBAxisGridEh::UpdateEditButtonsBox() {}
void TCustomDBAxisGridEh::HideEditButtonsBox() {}
int TCustomDBAxisGridEh::GetCellTreeElmentsAreaWidth() { return 0; }
void TCustomDBAxisGridEh::CancelEditing() {}
void TCustomDBAxisGridEh::UpdateData() {}

void TCustomDBAxisGridEh::DefineProperties(TFiler* Filer) { TCustomGridEh::DefineProperties(Filer); }
void TCustomDBAxisGridEh::Loaded() { TCustomGridEh::Loaded(); }
void TCustomDBAxisGridEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomGridEh::Notification(AComponent, Operation);
}
void TCustomDBAxisGridEh::CreateWnd() { TCustomGridEh::CreateWnd(); }
void TCustomDBAxisGridEh::WndProc(TMessage& Message) { TCustomGridEh::WndProc(Message); }
void TCustomDBAxisGridEh::CMWantSpecialKey(TMessage& M) { TCustomGridEh::CMWantSpecialKey(M); }
void TCustomDBAxisGridEh::WMSetFocus(TMessage& M) { TCustomGridEh::WMSetFocus(M); }
void TCustomDBAxisGridEh::WMKillFocus(TMessage& M) { TCustomGridEh::WMKillFocus(M); }
void TCustomDBAxisGridEh::CMFontChanged(TMessage& M) { TCustomGridEh::CMFontChanged(M); }
void TCustomDBAxisGridEh::CMSysColorChange(TMessage& M) { TCustomGridEh::CMSysColorChange(M); }
void TCustomDBAxisGridEh::DoEnter() { TCustomGridEh::DoEnter(); }
void TCustomDBAxisGridEh::DoExit() { TCustomGridEh::DoExit(); }
void TCustomDBAxisGridEh::ReadAxisBars(TReader*) {}
void TCustomDBAxisGridEh::WriteAxisBars(TWriter*) {}
void TCustomDBAxisGridEh::ReadDesignInfo(TReader*) {}
bool TCustomDBAxisGridEh::BeingDestroyed() const { return ComponentState().Contains(csDestroying); }
bool TCustomDBAxisGridEh::IsLoading() const { return ComponentState().Contains(csLoading); }
