// The look of an axis bar: appearance settings, title, edit buttons, drop-down box and menus.
#include "DBAxisGridsEh.h"

#include "platform/db/DB.h"

namespace {
TLookupListGridFactoryEh GDataListFactory = nullptr;
}

void SetAxisBarDataListFactoryEh(TLookupListGridFactoryEh Factory) { GDataListFactory = Factory; }
TLookupListGridFactoryEh AxisBarDataListFactoryEh() { return GDataListFactory; }

// ============================================================================================
// TAxisBarLookupGridOwnerEh
// ============================================================================================

void TAxisBarLookupGridOwnerEh::RegisterFreeNotification(TComponent*) {}
ILookupListGridEh* TAxisBarLookupGridOwnerEh::GetDataList() { return FBar->DataList(); }
TDBLookupGridEhOptions TAxisBarLookupGridOwnerEh::GetOptions() { return {}; }
void TAxisBarLookupGridOwnerEh::SetOptions(TDBLookupGridEhOptions) {}

// ============================================================================================
// TAxisBarTitleEh
// ============================================================================================

DOV_PUBLISHED(TAxisBarTitleEh) {}

TAxisBarTitleEh::TAxisBarTitleEh(TAxisBarEh* Bar) : FAxisBar(Bar) { FFont = new TFont; }
TAxisBarTitleEh::~TAxisBarTitleEh() { delete FFont; }
void TAxisBarTitleEh::Assign(TPersistent* Source) { TPersistent::Assign(Source); }
void TAxisBarTitleEh::RestoreDefaults() {}
void TAxisBarTitleEh::RefreshDefaultFont() {}
TPersistent* TAxisBarTitleEh::GetOwner() const { return FAxisBar; }
TAlignment TAxisBarTitleEh::DefaultAlignment() const { return taLeftJustify; }
QString TAxisBarTitleEh::DefaultCaption() const { return {}; }
TColor TAxisBarTitleEh::DefaultColor() const { return clBtnFace; }
TFont* TAxisBarTitleEh::DefaultFont() const { return FFont; }
bool TAxisBarTitleEh::DefaultEndEllipsis() const { return false; }
bool TAxisBarTitleEh::DefaultTitleButton() const { return false; }
bool TAxisBarTitleEh::DefaultToolTips() const { return false; }
TTextOrientationEh TAxisBarTitleEh::DefaultOrientation() const { return tohHorizontal; }
TAlignment TAxisBarTitleEh::Alignment() const { return FAlignment; }
void TAxisBarTitleEh::SetAlignment(TAlignment Value) { FAlignment = Value; }
QString TAxisBarTitleEh::Caption() const { return FCaption; }
void TAxisBarTitleEh::SetCaption(const QString& Value) { FCaption = Value; }
TColor TAxisBarTitleEh::Color() const { return FColor; }
void TAxisBarTitleEh::SetColor(TColor Value) { FColor = Value; }
TFont* TAxisBarTitleEh::Font() const { return FFont; }
void TAxisBarTitleEh::SetFont(TFont* Value) { FFont->Assign(Value); }
bool TAxisBarTitleEh::EndEllipsis() const { return FEndEllipsis; }
void TAxisBarTitleEh::SetEndEllipsis(bool Value) { FEndEllipsis = Value; }
bool TAxisBarTitleEh::TitleButton() const { return FTitleButton; }
void TAxisBarTitleEh::SetTitleButton(bool Value) { FTitleButton = Value; }
bool TAxisBarTitleEh::ToolTips() const { return FToolTips; }
void TAxisBarTitleEh::SetToolTips(bool Value) { FToolTips = Value; }
TTextOrientationEh TAxisBarTitleEh::Orientation() const { return FOrientation; }
void TAxisBarTitleEh::SetOrientation(TTextOrientationEh Value) { FOrientation = Value; }
void TAxisBarTitleEh::SetImageIndex(int Value) { FImageIndex = Value; }
void TAxisBarTitleEh::SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }
bool TAxisBarTitleEh::IsAlignmentStored() const { return false; }
bool TAxisBarTitleEh::IsCaptionStored() const { return false; }
bool TAxisBarTitleEh::IsColorStored() const { return false; }
bool TAxisBarTitleEh::IsFontStored() const { return false; }
bool TAxisBarTitleEh::IsEndEllipsisStored() const { return false; }
bool TAxisBarTitleEh::IsTitleButtonStored() const { return false; }
bool TAxisBarTitleEh::IsToolTipsStored() const { return false; }
bool TAxisBarTitleEh::IsOrientationStored() const { return false; }
void TAxisBarTitleEh::FontChanged(TObject*) {}
bool TAxisBarTitleEh::Assigned(int) const { return false; }
void TAxisBarTitleEh::Flag(int) {}
void TAxisBarTitleEh::Changed() {}

// ============================================================================================
// TAxisBarMainEditButtonEh
// ============================================================================================

DOV_PUBLISHED(TAxisBarMainEditButtonEh) {}

TAxisBarMainEditButtonEh::TAxisBarMainEditButtonEh(TAxisBarEh* Bar)
    : TEditButtonEh(static_cast<TWinControl*>(nullptr)), FAxisBar(Bar)
{
}
bool TAxisBarMainEditButtonEh::GetVisible() const { return FVisibleStored ? FVisible : DefaultVisible(); }
void TAxisBarMainEditButtonEh::SetVisible(bool Value) { FVisible = Value; }
bool TAxisBarMainEditButtonEh::DefaultVisible() const { return false; }
void TAxisBarMainEditButtonEh::SetVisibleStored(bool Value) { FVisibleStored = Value; }

// ============================================================================================
// TColumnDropDownBoxEh
// ============================================================================================

DOV_PUBLISHED(TColumnDropDownBoxEh) {}

TColumnDropDownBoxEh::TColumnDropDownBoxEh(TPersistent* AOwner, ILookupGridOwner* OwnerIntf)
    : FOwner(AOwner), FOwnerIntf(OwnerIntf)
{
    FSpecRow = new TSpecRowEh(this);
}
TColumnDropDownBoxEh::~TColumnDropDownBoxEh() { delete FSpecRow; }
void TColumnDropDownBoxEh::Assign(TPersistent* Source) { TPersistent::Assign(Source); }
QString TColumnDropDownBoxEh::GetActualListField() const { return {}; }
QString TColumnDropDownBoxEh::GetLikeWildcardForSeveralCharacters() const { return QStringLiteral("*"); }
void TColumnDropDownBoxEh::SetListSource(TDataSource* Value) { FListSource = Value; }
TBaseColumnsEh* TColumnDropDownBoxEh::Columns() const { return nullptr; }
void TColumnDropDownBoxEh::SetColumns(TBaseColumnsEh*) {}
bool TColumnDropDownBoxEh::IsColumnsStored() const { return false; }
TCustomColumnDefValuesEh* TColumnDropDownBoxEh::ColumnDefValues() const { return nullptr; }
void TColumnDropDownBoxEh::SetColumnDefValues(TCustomColumnDefValuesEh*) {}
TDBLookupGridEhOptions TColumnDropDownBoxEh::Options() const { return {}; }
void TColumnDropDownBoxEh::SetOptions(TDBLookupGridEhOptions) {}
bool TColumnDropDownBoxEh::SortLocal() const { return false; }
void TColumnDropDownBoxEh::SetSortLocal(bool) {}
ILookupGridOwner* TColumnDropDownBoxEh::OwnerIntf() const { return FOwnerIntf; }
ILookupListGridEh* TColumnDropDownBoxEh::DataList() const { return nullptr; }

// ============================================================================================
// TAxisBarEh: appearance, edit buttons, drop-down and menu settings
// ============================================================================================

TAxisBarEh::TLookCleanup::~TLookCleanup() {}

TColor TAxisBarEh::Color() const { return FColor; }
void TAxisBarEh::SetColor(TColor Value) { FColor = Value; }
TFont* TAxisBarEh::Font() const { EnsureLook(); return FFont.get(); }
void TAxisBarEh::SetFont(TFont* Value) { Font()->Assign(Value); }
TAlignment TAxisBarEh::Alignment() const { return FAlignment; }
void TAxisBarEh::SetAlignment(TAlignment Value) { FAlignment = Value; }
TImeMode TAxisBarEh::ImeMode() const { return FImeMode; }
void TAxisBarEh::SetImeMode(TImeMode Value) { FImeMode = Value; }
TImeName TAxisBarEh::ImeName() const { return FImeName; }
void TAxisBarEh::SetImeName(const TImeName& Value) { FImeName = Value; }
bool TAxisBarEh::WordWrap() const { return FWordWrap; }
void TAxisBarEh::SetWordWrap(bool Value) { FWordWrap = Value; }
bool TAxisBarEh::EndEllipsis() const { return FEndEllipsis; }
void TAxisBarEh::SetEndEllipsis(bool Value) { FEndEllipsis = Value; }
TTextLayout TAxisBarEh::Layout() const { return FLayout; }
void TAxisBarEh::SetLayout(TTextLayout Value) { FLayout = Value; }
bool TAxisBarEh::HighlightRequired() const { return FHighlightRequired; }
void TAxisBarEh::SetHighlightRequired(bool Value) { FHighlightRequired = Value; }
TBiDiMode TAxisBarEh::BiDiMode() const { return FBiDiMode; }
void TAxisBarEh::SetBiDiMode(TBiDiMode Value) { FBiDiMode = Value; }
bool TAxisBarEh::ToolTips() const { return FToolTips; }
void TAxisBarEh::SetToolTips(bool Value) { FToolTips = Value; }
bool TAxisBarEh::AlwaysShowEditButton() const { return FAlwaysShowEditButton; }
void TAxisBarEh::SetAlwaysShowEditButton(bool Value) { FAlwaysShowEditButton = Value; }
bool TAxisBarEh::AutoDropDown() const { return FAutoDropDown; }
void TAxisBarEh::SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
bool TAxisBarEh::DblClickNextVal() const { return FDblClickNextVal; }
void TAxisBarEh::SetDblClickNextVal(bool Value) { FDblClickNextVal = Value; }
bool TAxisBarEh::DropDownSizing() const { return FDropDownSizing; }
void TAxisBarEh::SetDropDownSizing(bool Value) { FDropDownSizing = Value; }
bool TAxisBarEh::DropDownShowTitles() const { return FDropDownShowTitles; }
void TAxisBarEh::SetDropDownShowTitles(bool Value) { FDropDownShowTitles = Value; }
QString TAxisBarEh::LookupDisplayFields() const { return FLookupDisplayFields; }
void TAxisBarEh::SetLookupDisplayFields(const QString& Value) { FLookupDisplayFields = Value; }
bool TAxisBarEh::LimitTextToListValues() const { return FLimitTextToListValues; }
void TAxisBarEh::SetLimitTextToListValues(bool Value) { FLimitTextToListValues = Value; }
void TAxisBarEh::SetLimitTextToListValuesStored(bool Value) { FLimitTextToListValuesStored = Value; }
void TAxisBarEh::SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }
void TAxisBarEh::SetDropDownWidth(int Value) { FDropDownWidth = Value; }
TCellButtonStyleEh TAxisBarEh::ButtonStyle() const { return cbsAuto; }
void TAxisBarEh::SetButtonStyle(TCellButtonStyleEh) {}

TAxisBarTitleEh* TAxisBarEh::Title() const { EnsureLook(); return FTitle.get(); }
void TAxisBarEh::SetTitle(TAxisBarTitleEh* Value) { Title()->Assign(Value); }
TAxisBarMainEditButtonEh* TAxisBarEh::EditButton() const { EnsureLook(); return FEditButton.get(); }
void TAxisBarEh::SetEditButton(TAxisBarMainEditButtonEh* Value) { EditButton()->Assign(Value); }
TEditButtonsEh* TAxisBarEh::EditButtons() const { EnsureLook(); return FEditButtons.get(); }
void TAxisBarEh::SetEditButtons(TEditButtonsEh* Value) { EditButtons()->Assign(Value); }
TColumnDropDownBoxEh* TAxisBarEh::DropDownBox() const { EnsureLook(); return FDropDownBox.get(); }
void TAxisBarEh::SetDropDownBox(TColumnDropDownBoxEh* Value) { DropDownBox()->Assign(Value); }

TAlignment TAxisBarEh::DefaultAlignment() const { return taLeftJustify; }
TColor TAxisBarEh::DefaultColor() const { return clWindow; }
TFont* TAxisBarEh::DefaultFont() const { return FFont.get(); }
TImeMode TAxisBarEh::DefaultImeMode() const { return FImeMode; }
TImeName TAxisBarEh::DefaultImeName() const { return FImeName; }
bool TAxisBarEh::DefaultWordWrap() const { return false; }
bool TAxisBarEh::DefaultLimitTextToListValues() const { return false; }

bool TAxisBarEh::IsColorStored() const { return false; }
bool TAxisBarEh::IsFontStored() const { return false; }
bool TAxisBarEh::IsAlignmentStored() const { return false; }
bool TAxisBarEh::IsImeModeStored() const { return false; }
bool TAxisBarEh::IsImeNameStored() const { return false; }
bool TAxisBarEh::IsWordWrapStored() const { return false; }
bool TAxisBarEh::IsEndEllipsisStored() const { return false; }
bool TAxisBarEh::IsLayoutStored() const { return false; }
bool TAxisBarEh::IsHighlightRequiredStored() const { return false; }
bool TAxisBarEh::IsBiDiModeStored() const { return false; }
bool TAxisBarEh::IsToolTipsStored() const { return false; }
bool TAxisBarEh::IsAlwaysShowEditButtonStored() const { return false; }
bool TAxisBarEh::IsAutoDropDownStored() const { return false; }
bool TAxisBarEh::IsDblClickNextValStored() const { return false; }
bool TAxisBarEh::IsDropDownSizingStored() const { return false; }
bool TAxisBarEh::IsDropDownShowTitlesStored() const { return false; }
bool TAxisBarEh::IsLookupDisplayFieldsStored() const { return false; }
void TAxisBarEh::PublishLookProperties(TPublished<TAxisBarEh>&) {}

bool TAxisBarEh::UseRightToLeftReading() const { return false; }
bool TAxisBarEh::UseRightToLeftAlignment() const { return false; }
bool TAxisBarEh::UseRightToLeftScrollBar() const { return false; }
unsigned TAxisBarEh::DrawTextBiDiModeFlagsReadingOnly() const { return 0; }
bool TAxisBarEh::CurLineWordWrap(int) { return false; }
int TAxisBarEh::GetCellHeight(int) const { return 0; }
int TAxisBarEh::CalcRowHeight() { return 0; }
int TAxisBarEh::GetDataCellHorzOffset() const { return 3; }
void TAxisBarEh::SetTextArea(TRect&) {}
bool TAxisBarEh::EditButtonsShownAlways() const { return AlwaysShowEditButton(); }

int TAxisBarEh::EditButtonsWidth() const { return 0; }
int TAxisBarEh::GetEditButtonDefaultWidth() const { return 0; }
int TAxisBarEh::CalcInplaceEditorButtonHeight() const { return 0; }
bool TAxisBarEh::EditButtonsBoxNeeded() { return false; }
TRect TAxisBarEh::GetEditButtonsBoxRect(const TRect& CellRect) { return CellRect; }
void TAxisBarEh::SetupEditButtonsBox(TEditButtonsBoxEh*, const TRect&) {}
void TAxisBarEh::LayoutEditButtonsBox(TEditButtonsBoxEh*, const TRect&) {}
void TAxisBarEh::UpdateEditButtonsBoxState(TEditButtonsBoxEh*) {}
void TAxisBarEh::EditButtonsBoxClick(TObject*) {}
void TAxisBarEh::EditButtonsBoxDown(TObject*, bool, bool&, bool&) {}
void TAxisBarEh::EditButtonsBoxMouseMove(TObject*, TShiftState, int, int) {}
void TAxisBarEh::EditButtonsBoxMouseUp(TObject*, TMouseButton, TShiftState, int, int) {}
bool TAxisBarEh::EditButtonPressed() const { return false; }
void TAxisBarEh::SetEditButtonPressed(bool) {}

void TAxisBarEh::DropDown() {}
QString TAxisBarEh::GetDropDownBoxListField() { return {}; }
void TAxisBarEh::DropDownBoxApplyTextFilter(TDataSet* DataSet, const QString& FieldName, const QString& FilterText,
                                            TLSAutoFilterTypeEh Operation)
{
    DefaultDropDownBoxApplyTextFilter(DataSet, FieldName, FilterText, Operation);
}
void TAxisBarEh::DefaultDropDownBoxApplyTextFilter(TDataSet*, const QString&, const QString&, TLSAutoFilterTypeEh)
{
}
void TAxisBarEh::LookupParamsChanged() {}
ILookupListGridEh* TAxisBarEh::DataList() const { return FDataList; }
ILookupGridOwner* TAxisBarEh::LookupGridOwner() const { EnsureLook(); return FLookGridOwner.get(); }
void TAxisBarEh::DropDownSpecRowChanged(TObject*) {}

TPopupMenu* TAxisBarEh::GetPopupMenu() { return FPopupMenu; }
TPopupMenu* TAxisBarEh::GetSystemPopupMenu() { return nullptr; }
void TAxisBarEh::FormSystemPopupMenu(TPopupMenu*) {}
void TAxisBarEh::RefreshDefaultFont() {}

TAxisBarTitleEh* TAxisBarEh::CreateTitle() { return new TAxisBarTitleEh(this); }
TAxisBarMainEditButtonEh* TAxisBarEh::CreateMainEditButton() { return new TAxisBarMainEditButtonEh(this); }
TEditButtonsEh* TAxisBarEh::CreateEditButtons()
{
    return new TEditButtonsEh(this, TVisibleEditButtonEh::StaticClassInfo());
}
void TAxisBarEh::FontChanged(TObject*) {}
void TAxisBarEh::EditButtonChanged(TObject*) {}
void TAxisBarEh::EnsureLook() const {}
