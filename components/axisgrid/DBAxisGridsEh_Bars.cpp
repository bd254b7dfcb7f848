// Axis bars: field binding, the texts and values a cell shows and edits, writing values back,
// stepping, check boxes and the clipboard.
#include "DBAxisGridsEh_Bars.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "components/foundation/core/DynVarsEh.h"

DOV_PUBLISHED(TAxisBarEh)
{
}

DOV_PUBLISHED(TBaseColumnEh)
{
}

QString FormatFieldByDisplayFormat(TField* Field, const QString& Format)
{
    (void)Field;
    (void)Format;
    return QString();
}

bool TextInValueList(const QString& List, const QString& Text)
{
    (void)List;
    (void)Text;
    return false;
}

TAxisBarEh::TAxisBarEh(TCollection* Collection) : TCollectionItem(Collection) {}

TAxisBarEh::~TAxisBarEh()
{
    delete FPickList;
    delete FKeyList;
    delete FLookupParams;
    delete FDropDownSpecRow;
    delete FMRUList;
    delete FDynProps;
}

void TAxisBarEh::AfterConstruction()
{
    TCollectionItem::AfterConstruction();
    FDynProps = new TDynVarsEh(this);
    FDropDownSpecRow = new TSpecRowEh(this);
    FMRUList = new TMRUListEh(this);
    FLookupParams = CreateLookupParams();
}

TCustomDBAxisGridEh* TAxisBarEh::Grid() const { return FGrid; }
TField* TAxisBarEh::Field() const { return FField; }
void TAxisBarEh::SetField(TField* Value) { FField = Value; }
void TAxisBarEh::SetFieldName(const QString& Value) { FFieldName = Value; }
void TAxisBarEh::BindField() {}
TAxisBarEhType TAxisBarEh::GetBarType() const { return ctCommon; }
void TAxisBarEh::RecordChanged(TField*) {}
void TAxisBarEh::SetIndex(int Value) { TCollectionItem::SetIndex(Value); }
void TAxisBarEh::RestoreDefaults() { FAssignedValues = TAxisBarEhValues(); }
void TAxisBarEh::Assign(TPersistent* Source) { TCollectionItem::Assign(Source); }
bool TAxisBarEh::ReadOnly() const { return FReadOnly; }
void TAxisBarEh::SetReadOnly(bool Value) { FReadOnly = Value; }
bool TAxisBarEh::IsReadOnlyStored() const { return false; }
bool TAxisBarEh::DefaultReadOnly() const { return false; }
TStrings* TAxisBarEh::PickList() const
{
    if (!FPickList)
        FPickList = new TStringList;
    return FPickList;
}
void TAxisBarEh::SetPickList(TStrings* Value) { PickList()->Assign(Value); }
TStrings* TAxisBarEh::KeyList() const
{
    if (!FKeyList)
        FKeyList = new TStringList;
    return FKeyList;
}
void TAxisBarEh::SetKeyList(TStrings* Value) { KeyList()->Assign(Value); }
bool TAxisBarEh::PickListHasItems() const { return FPickList && FPickList->Count() > 0; }
bool TAxisBarEh::KeyListHasItems() const { return FKeyList && FKeyList->Count() > 0; }
void TAxisBarEh::SetNotInKeyListIndex(int Value) { FNotInKeyListIndex = Value; }
void TAxisBarEh::SetDisplayFormat(const QString& Value) { FDisplayFormat = Value; }
void TAxisBarEh::SetEditMask(const QString& Value) { FEditMask = Value; }
bool TAxisBarEh::Checkboxes() const { return FCheckboxes; }
void TAxisBarEh::SetCheckboxes(bool Value) { FCheckboxes = Value; }
bool TAxisBarEh::DefaultCheckboxes() const { return false; }
void TAxisBarEh::SetImageList(TCustomImageList* Value) { FImageList = Value; }
void TAxisBarEh::SetShowImageAndText(bool Value) { FShowImageAndText = Value; }
bool TAxisBarEh::TextEditing() const { return FTextEditing; }
void TAxisBarEh::SetTextEditing(bool Value) { FTextEditing = Value; }
bool TAxisBarEh::DefaultTextEditing() const { return true; }
bool TAxisBarEh::IsTextEditingStored() const { return false; }
void TAxisBarEh::SetLookupParams(TDBLookupDataEh* Value) { FLookupParams->Assign(Value); }
void TAxisBarEh::SetDropDownSpecRow(TSpecRowEh* Value) { FDropDownSpecRow->Assign(Value); }
void TAxisBarEh::SetMRUList(TMRUListEh* Value) { FMRUList->Assign(Value); }
void TAxisBarEh::SetVisible(bool Value) { FVisible = Value; }
void TAxisBarEh::SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }
QString TAxisBarEh::DisplayText() { return QString(); }
QString TAxisBarEh::EditText() { return QString(); }
Variant TAxisBarEh::EditValue() { return Null(); }
QString TAxisBarEh::GetInplaceEditText() { return QString(); }
QString TAxisBarEh::GetInplaceEditMask() { return QString(); }
void TAxisBarEh::UpdateDataValues(const QString&, const Variant&, bool) {}
TCheckBoxState TAxisBarEh::CheckboxState() { return cbUnchecked; }
void TAxisBarEh::SetCheckboxState(TCheckBoxState) {}
int TAxisBarEh::GetImageIndex() { return -1; }
void TAxisBarEh::SetNextFieldValue(double) {}
int TAxisBarEh::LocatePickList(const QString&, bool) { return -1; }
bool TAxisBarEh::CanModify(bool) { return false; }
bool TAxisBarEh::IsEditable() { return false; }
bool TAxisBarEh::CanEditAcceptKey(QChar) { return false; }
QString TAxisBarEh::GetAcceptableEditText(const QString&) { return QString(); }
void TAxisBarEh::CheckDataIsReadOnly(bool& ReadOnly) { ReadOnly = !CanModify(false); }
void TAxisBarEh::FillColCellParams(TAxisColCellParamsEh*) {}
void TAxisBarEh::GetColCellParams(bool, TAxisColCellParamsEh*)
{
    throw Exception(QStringLiteral(" TAxisBarEh.GetColCellParams must be realized in the inherited class."));
}
bool TAxisBarEh::CellTextEditing() { return TextEditing(); }
void TAxisBarEh::CopyValueToClipboard() {}
void TAxisBarEh::CutValueToClipboard() {}
void TAxisBarEh::PasteValueFromClipboard() {}
void TAxisBarEh::ClearValue() {}
void TAxisBarEh::LoadFromFileDialog() {}
TPicture* TAxisBarEh::GetPictureFromBlobField() { return nullptr; }
void TAxisBarEh::Changed(bool AllItems) { TCollectionItem::Changed(AllItems); }
TComponent* TAxisBarEh::LookupGrid() const { return nullptr; }
TDataSource* TAxisBarEh::LookupGridDataSource() const { return nullptr; }
void TAxisBarEh::LookupDataChanged() {}
TDBLookupDataEh* TAxisBarEh::CreateLookupParams() { return new TDBLookupDataEh(this); }
void TAxisBarEh::DropDownSpecRowChangedEvent(TObject*) {}
TDataSet* TAxisBarEh::GridDataSet() const { return nullptr; }
bool TAxisBarEh::GridLinkActive() const { return false; }
bool TAxisBarEh::GridDrawsMemo() const { return false; }
bool TAxisBarEh::GridAndBarAllowEdit() const { return false; }
Variant TAxisBarEh::KeyFieldsValue() const { return Null(); }
