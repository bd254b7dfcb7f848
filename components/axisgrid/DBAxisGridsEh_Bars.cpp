// Axis bars: field binding, the texts and values a cell shows and edits, writing values back,
// stepping, check boxes and the clipboard.
#include "DBAxisGridsEh_Bars.h"
#include "DBAxisGridsEh_Collections.h"
#include "DBAxisGridsEh_Draw.h"
#include "DBAxisGridsEh_Grid.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "components/foundation/PlatformBridgeEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Graphics.h"

#include <cmath>
#include <memory>

DOV_PUBLISHED(TAxisBarEh)
{
    PublishLookProperties(P);
    P.Prop("FieldName", &TAxisBarEh::FieldName, &TAxisBarEh::SetFieldName);
    P.Prop("ReadOnly", &TAxisBarEh::ReadOnly, &TAxisBarEh::SetReadOnly).Stored(&TAxisBarEh::IsReadOnlyStored);
    P.Prop("Checkboxes", &TAxisBarEh::Checkboxes, &TAxisBarEh::SetCheckboxes)
        .Stored(&TAxisBarEh::IsCheckboxesStored);
    P.Prop("TextEditing", &TAxisBarEh::TextEditing, &TAxisBarEh::SetTextEditing)
        .Stored(&TAxisBarEh::IsTextEditingStored);
    P.Prop("PickList", &TAxisBarEh::PickList, &TAxisBarEh::SetPickList);
    P.Prop("KeyList", &TAxisBarEh::KeyList, &TAxisBarEh::SetKeyList);
    P.Prop("NotInKeyListIndex", &TAxisBarEh::NotInKeyListIndex, &TAxisBarEh::SetNotInKeyListIndex).Default(-1);
    P.Prop("DisplayFormat", &TAxisBarEh::DisplayFormat, &TAxisBarEh::SetDisplayFormat);
    P.Prop("EditMask", &TAxisBarEh::EditMask, &TAxisBarEh::SetEditMask);
    P.Prop("ShowImageAndText", &TAxisBarEh::ShowImageAndText, &TAxisBarEh::SetShowImageAndText).Default(false);
    P.Prop("Increment", &TAxisBarEh::Increment, &TAxisBarEh::SetIncrement).Stored(&TAxisBarEh::IsIncrementStored);
    P.Prop("CaseInsensitiveTextSearch", &TAxisBarEh::CaseInsensitiveTextSearch,
           &TAxisBarEh::SetCaseInsensitiveTextSearch)
        .Default(true);
    P.Prop("Visible", &TAxisBarEh::Visible, &TAxisBarEh::SetVisible).Default(true);
    P.Prop("Tag", &TAxisBarEh::Tag, &TAxisBarEh::SetTag).Default(0);
    P.Event("OnUpdateData", &TAxisBarEh::OnUpdateData);
}

DOV_PUBLISHED(TBaseColumnEh)
{
}

// ============================================================================================
// Unit routines
// ============================================================================================

namespace {

bool IsMemoType(TFieldType T) { return T == ftMemo || T == ftOraClob || T == ftWideMemo; }

// The types a step adds to and an image index is read from.
bool IsSteppedNumberType(TFieldType T)
{
    return T == ftSmallint || T == ftInteger || T == ftWord || T == ftFloat || T == ftCurrency || T == ftBCD ||
           T == ftFMTBcd;
}

// The numbers a check box reads as 1 (checked) or anything else.
bool IsCheckNumberType(TFieldType T)
{
    return T == ftSmallint || T == ftInteger || T == ftFloat || T == ftCurrency || T == ftBCD || T == ftFMTBcd;
}

bool IsBlobField(const TField* F) { return dynamic_cast<const TBlobField*>(F) != nullptr; }

// The values of a ';'-separated list, each trimmed of surrounding blanks; a trailing ';'
// leaves an empty last value.
QStringList SplitValueList(const QString& List)
{
    QStringList Values;
    int Pos = 0;
    const int Len = int(List.size());
    while (Pos < Len) {
        int Next = int(List.indexOf(QLatin1Char(';'), Pos));
        if (Next < 0)
            Next = Len;
        Values << List.mid(Pos, Next - Pos).trimmed();
        Pos = Next + 1;
        if (Next < Len && Pos == Len)
            Values << QString();
    }
    return Values;
}

QString FirstValueOf(const QString& Entry)
{
    const QStringList Values = SplitValueList(Entry);
    return Values.isEmpty() ? QString() : Values.first();
}

// The field's value as a 32-bit image index, Default when it does not fit.
int FieldValueAsIndex(TField* F, int Default)
{
    const double V = F->AsFloat();
    if (!std::isfinite(V) || V < -2147483648.0 || V > 2147483647.0)
        return Default;
    return F->AsInteger();
}

QString VarToText(const Variant& V)
{
    return V.IsNull() || V.IsEmpty() ? QString() : V.AsString();
}

// The grid keeps the editor's text and its data link's update flag to itself; the bar is the
// one writer of both, so it reaches them as members of a derived view.
struct GridAccess : TCustomDBAxisGridEh {
    static QString& EditText(TCustomDBAxisGridEh* G) { return G->*(&GridAccess::FEditText); }
};
struct LinkAccess : TAxisGridDataLinkEh {
    static bool& InUpdateData(TAxisGridDataLinkEh* L) { return L->*(&LinkAccess::FInUpdateData); }
};

}  // namespace

QString FormatFieldByDisplayFormat(TField* Field, const QString& Format)
{
    if (Format.isEmpty())
        return Field->DisplayText();
    if (Field->IsNull())
        return QString();
    QString Text;
    if (dynamic_cast<TNumericField*>(Field))
        return FormatFloat(Format, Field->AsFloat());
    if (dynamic_cast<TDateTimeField*>(Field) || dynamic_cast<TSQLTimeStampField*>(Field)) {
        DateTimeToString(Text, Format, Field->AsDateTime());
        return Text;
    }
    if (auto* Aggregate = dynamic_cast<TAggregateField*>(Field)) {
        const TFieldType T = Aggregate->ResultType();
        if (T == ftFloat || T == ftCurrency)
            return FormatFloat(Format, Field->AsVariant().AsDouble());
        if (T == ftDate || T == ftTime || T == ftDateTime) {
            DateTimeToString(Text, Format, Field->AsVariant().AsDateTime());
            return Text;
        }
    }
    return QString();
}

bool TextInValueList(const QString& List, const QString& Text)
{
    if (List.isEmpty() && Text.isEmpty())
        return true;
    for (const QString& Value : SplitValueList(List))
        if (NlsCompareText(Value, Text) == 0)
            return true;
    return false;
}

// ============================================================================================
// Construction
// ============================================================================================

class TAxisBarEh::TFieldWatcher : public TComponent {
public:
    explicit TFieldWatcher(TAxisBarEh* ABar) : TComponent(nullptr), Bar(ABar) {}
    void Watch(TField* F)
    {
        if (FWatched == F)
            return;
        if (FWatched)
            FWatched->RemoveFreeNotification(this);
        FWatched = F;
        if (F)
            F->FreeNotification(this);
    }
    TAxisBarEh* Bar;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FWatched) {
            FWatched = nullptr;
            if (Bar->FField == AComponent)
                Bar->FField = nullptr;
        }
    }

private:
    TField* FWatched = nullptr;
};

namespace {
// Whether the item being constructed took the grid's layout lock; set before the base class
// adds the item to its collection, read by the constructor's body.
thread_local bool LayoutLockTakenForNewBar = false;

// Takes the grid's layout lock before the item joins the collection, so the whole
// construction causes one layout pass.
TCollection* LockLayoutFor(TCollection* Collection)
{
    LayoutLockTakenForNewBar = false;
    if (auto* Bars = dynamic_cast<TGridAxisBarsEh*>(Collection))
        if (Bars->Grid() && Bars->UpdateCount() == 0) {
            Bars->Grid()->BeginLayout();
            LayoutLockTakenForNewBar = true;
        }
    return Collection;
}
}  // namespace

TAxisBarEh::TAxisBarEh(TCollection* Collection) : TCollectionItem(LockLayoutFor(Collection))
{
    FLayoutLockTaken = LayoutLockTakenForNewBar;
    LayoutLockTakenForNewBar = false;
}

TAxisBarEh::~TAxisBarEh()
{
    // Leave the collection first: the grid forgets the bar while it is still whole.
    if (FLayoutLockTaken)   // construction failed before it finished
        if (TCustomDBAxisGridEh* G = Grid())
            G->EndLayout();
    SetCollection(nullptr);
    delete FCheckModifyCellParams;
    delete FDynProps;
    delete FDropDownSpecRow;
    delete FPickList;
    delete FKeyList;
    delete FMRUList;
    delete FLookupParams;
    delete FFieldWatcher;
}

void TAxisBarEh::AfterConstruction()
{
    TCustomDBAxisGridEh* LockedGrid = FLayoutLockTaken ? Grid() : nullptr;
    auto Release = Finally([&] {
        if (FLayoutLockTaken) {
            FLayoutLockTaken = false;
            if (LockedGrid)
                LockedGrid->EndLayout();
        }
    });
    TCollectionItem::AfterConstruction();
    FFieldWatcher = new TFieldWatcher(this);
    if (TCustomDBAxisGridEh* G = Grid())
        FCheckModifyCellParams = G->CreateColCellParams();
    FDynProps = new TDynVarsEh(this);
    FDropDownSpecRow = new TSpecRowEh(this);
    FDropDownSpecRow->OnChanged = TNotifyEvent(this, &TAxisBarEh::DropDownSpecRowChanged);
    FMRUList = new TMRUListEh(this);
    FLookupParams = CreateLookupParams();
}

TDBLookupDataEh* TAxisBarEh::CreateLookupParams() { return new TDBLookupDataEh(this); }

TCustomDBAxisGridEh* TAxisBarEh::Grid() const
{
    auto* Bars = dynamic_cast<TGridAxisBarsEh*>(Collection());
    return Bars ? Bars->Grid() : nullptr;
}

TDataSet* TAxisBarEh::GridDataSet() const
{
    TCustomDBAxisGridEh* G = Grid();
    return G && G->DataLink() ? G->DataLink()->DataSet() : nullptr;
}

bool TAxisBarEh::GridLinkActive() const
{
    TCustomDBAxisGridEh* G = Grid();
    return G && G->DataLink() && G->DataLink()->Active();
}

bool TAxisBarEh::GridDrawsMemo() const
{
    TCustomDBAxisGridEh* G = Grid();
    return G && G->DrawMemoText();
}

void TAxisBarEh::Changed(bool AllItems) { TCollectionItem::Changed(AllItems); }

bool TAxisBarEh::LookupIsActive() const { return FLookupParams && FLookupParams->LookupActive(); }
bool TAxisBarEh::LookupIsSetUpHere() const { return FLookupParams && FLookupParams->LookupIsSetUp(); }

TComponent* TAxisBarEh::LookupGrid() const { return Grid(); }

TDataSource* TAxisBarEh::LookupGridDataSource() const
{
    TCustomDBAxisGridEh* G = Grid();
    return G ? G->DataSource() : nullptr;
}

void TAxisBarEh::LookupDataChanged() { Changed(false); }

// ============================================================================================
// Binding
// ============================================================================================

TField* TAxisBarEh::Field() const
{
    if (FField)
        return FField;
    if (FFieldName.isEmpty())
        return nullptr;
    TDataSet* DS = GridDataSet();
    if (!DS || (!DS->Active() && DS->DefaultFields()))
        return nullptr;
    TField* Found = DS->FindField(FFieldName);
    if (Found) {
        FField = Found;
        if (FFieldWatcher)
            FFieldWatcher->Watch(Found);
        FFieldName = Found->FieldName();
        if (FLookupParams)
            FLookupParams->UpdateLookupState();
        const_cast<TAxisBarEh*>(this)->FieldBound();
    }
    return FField;
}

void TAxisBarEh::SetField(TField* Value)
{
    if (FField == Value)
        return;
    FField = Value;
    if (FFieldWatcher)
        FFieldWatcher->Watch(Value);
    if (Value) {
        FFieldName = Value->FieldName();
        if (FLookupParams)
            FLookupParams->UpdateLookupState();
    } else if (FFieldName.isEmpty() && FLookupParams) {
        FLookupParams->UpdateLookupState();
    }
    if (IsDefaultBar()) {
        if (!Value)
            FFieldName.clear();
        RestoreDefaults();
    }
    Changed(false);
}

void TAxisBarEh::SetFieldName(const QString& Value)
{
    if (FFieldName == Value)
        return;
    FFieldName = Value;
    BindField();
}

void TAxisBarEh::BindField()
{
    TField* Found = nullptr;
    TCustomDBAxisGridEh* G = Grid();
    TDataSet* DS = GridDataSet();
    if (G && DS && !G->ComponentState().Contains(csLoading) && !FFieldName.isEmpty())
        Found = DS->FindField(FFieldName);
    SetField(Found);
}

void TAxisBarEh::RecordChanged(TField*) {}

void TAxisBarEh::SetIndex(int Value)
{
    TCustomDBAxisGridEh* G = Grid();
    auto* Bars = dynamic_cast<TGridAxisBarsEh*>(Collection());
    if (G && Bars && Bars->State() == csDefault && G->DataLink()->Active() && Value != Index()) {
        TField* Bound = Field();
        TField* Target = Value >= 0 && Value < G->FieldCount() ? G->GetFields(Value) : nullptr;
        if (Bound && Target)
            Bound->SetIndex(Target->Index());
    }
    TCollectionItem::SetIndex(Value);
}

TAxisBarEhType TAxisBarEh::GetBarType() const
{
    if (Checkboxes())
        return ctCheckboxes;
    if (FLookupParams && LookupIsSetUpHere())
        return ctLookupField;
    if (DropDownBox()->ListSource())
        return ctDataList;
    if (auto* Blob = dynamic_cast<TBlobField*>(Field()))
        if (Blob->BlobType() == ftGraphic && Grid() && Grid()->DrawGraphicData())
            return ctGraphicData;
    if (PickListHasItems() && !KeyListHasItems())
        return ctPickList;
    if (FImageList && !FShowImageAndText)
        return ctKeyImageList;
    if (PickListHasItems() && KeyListHasItems())
        return ctKeyPickList;
    return ctCommon;
}

// ============================================================================================
// Assigned values and plain properties
// ============================================================================================

void TAxisBarEh::RestoreDefaults()
{
    const bool FontWasSet = FAssignedValues.Contains(cvFont);
    Title()->RestoreDefaults();
    FAssignedValues = TAxisBarEhValues();
    RefreshDefaultFont();
    delete FPickList;
    FPickList = nullptr;
    SetButtonStyle(cbsAuto);
    Changed(FontWasSet);
    delete FKeyList;
    FKeyList = nullptr;
}

void TAxisBarEh::Assign(TPersistent* Source)
{
    auto* Src = dynamic_cast<TAxisBarEh*>(Source);
    if (!Src) {
        TCollectionItem::Assign(Source);
        return;
    }
    TCollection* Owner = Collection();
    if (Owner)
        Owner->BeginUpdate();
    auto EndUpdate = Finally([Owner] {
        if (Owner)
            Owner->EndUpdate();
    });
    RestoreDefaults();
    SetFieldName(Src->FieldName());
    const TAxisBarEhValues Flags = Src->AssignedValues();
    if (Flags.Contains(cvColor))
        SetColor(Src->Color());
    if (Flags.Contains(cvFont))
        SetFont(Src->Font());
    if (Flags.Contains(cvImeMode))
        SetImeMode(Src->ImeMode());
    if (Flags.Contains(cvImeName))
        SetImeName(Src->ImeName());
    if (Flags.Contains(cvAlignment))
        SetAlignment(Src->Alignment());
    if (Flags.Contains(cvReadOnly))
        SetReadOnly(Src->ReadOnly());
    SetCaseInsensitiveTextSearch(Src->CaseInsensitiveTextSearch());
    if (FLookupParams->LookupDataIsStored())
        FLookupParams->Assign(Src->LookupParams());
    if (Src->LimitTextToListValuesStored())
        SetLimitTextToListValues(Src->LimitTextToListValues());
    SetTitle(Src->Title());
    SetDropDownRows(Src->DropDownRows());
    SetButtonStyle(Src->ButtonStyle());
    SetPickList(Src->PickList());
    SetPopupMenu(Src->PopupMenu());
    if (Flags.Contains(cvWordWrap))
        SetWordWrap(Src->WordWrap());
    SetEndEllipsis(Src->EndEllipsis());
    SetDropDownWidth(Src->DropDownWidth());
    if (Flags.Contains(cvLookupDisplayFields))
        SetLookupDisplayFields(Src->LookupDisplayFields());
    SetAutoDropDown(Src->AutoDropDown());
    SetAlwaysShowEditButton(Src->AlwaysShowEditButton());
    SetWordWrap(Src->WordWrap());
    SetKeyList(Src->KeyList());
    if (Flags.Contains(cvCheckboxes))
        SetCheckboxes(Src->Checkboxes());
    SetIncrement(Src->Increment());
    SetToolTips(Src->ToolTips());
    SetTag(Src->Tag());
    SetVisible(Src->Visible());
    SetImageList(Src->ImageList());
    SetNotInKeyListIndex(Src->NotInKeyListIndex());
    SetDblClickNextVal(Src->DblClickNextVal());
    SetDropDownSizing(Src->DropDownSizing());
    SetDropDownShowTitles(Src->DropDownShowTitles());
    OnNotInList = Src->OnNotInList;
    OnUpdateData = Src->OnUpdateData;
    OnEditButtonClick = Src->OnEditButtonClick;
    OnEditButtonDown = Src->OnEditButtonDown;
    SetEditButtons(Src->EditButtons());
    SetDropDownBox(Src->DropDownBox());
    SetMRUList(Src->MRUList());
    SetDisplayFormat(Src->DisplayFormat());
    SetEditMask(Src->EditMask());
    SetShowImageAndText(Src->ShowImageAndText());
    SetLayout(Src->Layout());
    // Loading a saved collection copies every bar through here: an own TextEditing would be
    // lost on the way otherwise.
    if (Flags.Contains(cvTextEditing)) {
        FTextEditing = Src->TextEditing();
        FAssignedValues.Include(cvTextEditing);
    }
}

bool TAxisBarEh::DefaultReadOnly() const
{
    TCustomDBAxisGridEh* G = Grid();
    TField* F = Field();
    return (G && G->ReadOnly()) || (F && F->ReadOnly());
}

bool TAxisBarEh::ReadOnly() const
{
    return FAssignedValues.Contains(cvReadOnly) ? FReadOnly : DefaultReadOnly();
}

void TAxisBarEh::SetReadOnly(bool Value)
{
    // A default bar keeps its settings in the field it shows.
    if (IsDefaultBar() && GridLinkActive() && Field()) {
        Field()->SetReadOnly(Value);
        Changed(false);
        return;
    }
    if (FAssignedValues.Contains(cvReadOnly) && FReadOnly == Value)
        return;
    FReadOnly = Value;
    FAssignedValues.Include(cvReadOnly);
    Changed(false);
}

bool TAxisBarEh::IsReadOnlyStored() const
{
    return FAssignedValues.Contains(cvReadOnly) && FReadOnly != DefaultReadOnly();
}

TStrings* TAxisBarEh::PickList() const
{
    if (!FPickList)
        FPickList = new TStringList;
    return FPickList;
}

void TAxisBarEh::SetPickList(TStrings* Value)
{
    if (Value)
        PickList()->Assign(Value);
    else if (FPickList)
        FPickList->Clear();
}

TStrings* TAxisBarEh::KeyList() const
{
    if (!FKeyList) {
        auto* List = new TStringList;
        List->SetCaseSensitive(true);
        FKeyList = List;
    }
    return FKeyList;
}

void TAxisBarEh::SetKeyList(TStrings* Value)
{
    if (Value)
        KeyList()->Assign(Value);
    else if (FKeyList)
        FKeyList->Clear();
    if (TCustomDBAxisGridEh* G = Grid())
        G->Invalidate();
}

bool TAxisBarEh::PickListHasItems() const { return FPickList && FPickList->Count() > 0; }
bool TAxisBarEh::KeyListHasItems() const { return FKeyList && FKeyList->Count() > 0; }

void TAxisBarEh::SetNotInKeyListIndex(int Value)
{
    FNotInKeyListIndex = Value;
    if (TCustomDBAxisGridEh* G = Grid())
        G->Invalidate();
}

void TAxisBarEh::SetDisplayFormat(const QString& Value)
{
    if (FDisplayFormat == Value)
        return;
    FDisplayFormat = Value;
    Changed(false);
}

void TAxisBarEh::SetEditMask(const QString& Value)
{
    if (FEditMask == Value)
        return;
    FEditMask = Value;
    Changed(false);
}

bool TAxisBarEh::DefaultCheckboxes() const
{
    TField* F = Field();
    return F && F->DataType() == ftBoolean;
}

bool TAxisBarEh::Checkboxes() const
{
    return FAssignedValues.Contains(cvCheckboxes) ? FCheckboxes : DefaultCheckboxes();
}

void TAxisBarEh::SetCheckboxes(bool Value)
{
    if (FAssignedValues.Contains(cvCheckboxes) && FCheckboxes == Value)
        return;
    FCheckboxes = Value;
    FAssignedValues.Include(cvCheckboxes);
    Changed(false);
}

void TAxisBarEh::SetImageList(TCustomImageList* Value)
{
    FImageList = Value;
    if (TCustomDBAxisGridEh* G = Grid())
        G->Invalidate();
}

void TAxisBarEh::SetShowImageAndText(bool Value)
{
    if (FShowImageAndText == Value)
        return;
    FShowImageAndText = Value;
    Changed(false);
}

bool TAxisBarEh::DefaultTextEditing() const
{
    const TAxisBarEhType T = GetBarType();
    return T != ctKeyImageList && T != ctCheckboxes && T != ctGraphicData;
}

bool TAxisBarEh::TextEditing() const
{
    return FAssignedValues.Contains(cvTextEditing) ? FTextEditing : DefaultTextEditing();
}

void TAxisBarEh::SetTextEditing(bool Value)
{
    TCustomDBAxisGridEh* G = Grid();
    const bool Loading = G && G->ComponentState().Contains(csLoading);
    if (FAssignedValues.Contains(cvTextEditing) || Value != DefaultTextEditing() || Loading) {
        FTextEditing = Value;
        FAssignedValues.Include(cvTextEditing);
    }
    Changed(false);
}

bool TAxisBarEh::IsTextEditingStored() const
{
    return FAssignedValues.Contains(cvTextEditing) && FTextEditing != DefaultTextEditing();
}

void TAxisBarEh::SetLookupParams(TDBLookupDataEh* Value) { FLookupParams->Assign(Value); }
void TAxisBarEh::SetDropDownSpecRow(TSpecRowEh* Value) { FDropDownSpecRow->Assign(Value); }
void TAxisBarEh::SetMRUList(TMRUListEh* Value) { FMRUList->Assign(Value); }
void TAxisBarEh::SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }

void TAxisBarEh::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    FVisible = Value;
    Changed(true);
}

// ============================================================================================
// Texts and values
// ============================================================================================

Variant TAxisBarEh::KeyFieldsValue() const
{
    TDataSet* DS = GridDataSet();
    const QString Names = FLookupParams->KeyFieldNames();
    if (!DS || Names.isEmpty())
        return Null();
    return GetFieldsArrayValues(DS, GetFieldsArrayByNames(DS, nullptr, Names));
}

bool TAxisBarEh::SpecRowStandsForKey(const Variant& Key, const Variant& LookupValue) const
{
    if (VarEqualsEh(Key, FDropDownSpecRow->Value()))
        return true;
    if (!FDropDownSpecRow->ShowIfNotInKeyList())
        return false;
    // The list the lookup reads, whether the bar's own settings or its lookup field's name it:
    // a key it cannot show is not in the list.
    TDataSet* List = FLookupParams->LookupDataSet();
    return !List || !List->Active() || LookupValue.IsNull();
}

QString TAxisBarEh::DisplayText()
{
    TField* F = Field();
    if (LookupIsActive() && GridLinkActive()) {
        const Variant Shown = FLookupParams->GetLookupValue();
        if (FDropDownSpecRow->Visible() && SpecRowStandsForKey(KeyFieldsValue(), Shown))
            return FDropDownSpecRow->GetCellText(0);
        return VarToText(Shown);
    }
    if (!F || GetBarType() == ctKeyImageList)
        return QString();
    if (KeyListHasItems()) {
        const int Index = FKeyList->IndexOf(F->Text());
        const int PickCount = FPickList ? FPickList->Count() : 0;
        if (Index >= 0 && Index < PickCount)
            return FPickList->Strings(Index);
        if (FNotInKeyListIndex >= 0 && FNotInKeyListIndex < PickCount)
            return FPickList->Strings(FNotInKeyListIndex);
        return QString();
    }
    if (GridDrawsMemo() && IsMemoType(F->DataType()))
        return F->AsString();
    return FormatFieldByDisplayFormat(F, FDisplayFormat);
}

QString TAxisBarEh::EditText()
{
    const TAxisBarEhType T = GetBarType();
    if (T == ctKeyImageList)
        return QString();
    if (KeyListHasItems())
        return DisplayText();
    TField* F = Field();
    if (F && IsMemoType(F->DataType()) && GridDrawsMemo())
        return F->AsString();
    if (T == ctLookupField)
        return DisplayText();
    return F ? F->Text() : QString();
}

Variant TAxisBarEh::EditValue()
{
    if (KeyListHasItems())
        return Variant(DisplayText());
    TField* F = Field();
    if (F && IsMemoType(F->DataType()) && GridDrawsMemo())
        return Variant(F->AsString());
    if (GetBarType() == ctLookupField)
        return Variant(DisplayText());
    return F ? F->AsVariant() : Null();
}

QString TAxisBarEh::GetInplaceEditText()
{
    TCustomDBAxisGridEh* G = Grid();
    QString Text;
    if (GridLinkActive()) {
        TField* F = Field();
        if (LookupIsSetUpHere() && !FLookupParams->KeyFieldNames().isEmpty()) {
            const Variant Key = KeyFieldsValue();
            const bool Special =
                FDropDownSpecRow->Visible() && SpecRowStandsForKey(Key, FLookupParams->GetLookupValue());
            G->SetEditKeyValue(Special ? FDropDownSpecRow->Value() : Key);
            Text = DisplayText();
        } else if (F) {
            G->SetEditKeyValue(Null());
            if (KeyListHasItems()) {
                const int Index = FKeyList->IndexOf(F->Text());
                if (Index >= 0 && FPickList && Index < FPickList->Count())
                    Text = FPickList->Strings(Index);
            } else if (GridDrawsMemo() && IsMemoType(F->DataType())) {
                Text = F->AsString();
                Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                Text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
                Text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
            } else {
                Text = F->Text();
            }
        }
        std::unique_ptr<TAxisColCellParamsEh> Params(G->CreateColCellParams());
        if (Params) {
            Params->FText = Text;
            Params->FFont = G->Canvas()->Font();
            GetColCellParams(true, Params.get());
            Text = Params->FText;
        }
    }
    if (G)
        GridAccess::EditText(G) = Text;
    return Text;
}

QString TAxisBarEh::GetInplaceEditMask()
{
    if (!GridLinkActive())
        return QString();
    if (!FEditMask.isEmpty())
        return FEditMask;
    TField* F = Field();
    if (F && !KeyListHasItems())
        return F->EditMask();
    return QString();
}

void TAxisBarEh::UpdateDataValues(const QString& Text, const Variant& Value, bool UseText)
{
    TCustomDBAxisGridEh* G = Grid();
    if (!G)
        return;
    bool& InUpdate = LinkAccess::InUpdateData(G->DataLink());
    const bool SetHere = !InUpdate;
    InUpdate = true;
    auto ClearFlag = Finally([&InUpdate, SetHere] {
        if (SetHere)
            InUpdate = false;
    });
    QString NewText = Text;
    Variant NewValue = Value;
    bool NewUseText = UseText;
    bool Handled = false;
    if (OnUpdateData)
        OnUpdateData(this, NewText, NewValue, NewUseText, Handled);
    if (!Handled) {
        TField* F = Field();
        const bool LookupActive = LookupIsActive();
        if (!NewUseText) {
            if (LookupActive) {
                // Several key fields are written one by one: when one refuses its value, the
                // ones already written take their old values back, so no key is half-changed.
                TDataSet* DS = G->DataLink()->DataSet();
                const TFieldsArrEh Keys = GetFieldsArrayByNames(DS, nullptr, FLookupParams->KeyFieldNames());
                std::vector<Variant> OldValues;
                for (TField* Key : Keys)
                    OldValues.push_back(Key->Value());
                auto Restore = OnFailure([&Keys, &OldValues] {
                    for (size_t I = 0; I < Keys.size(); ++I)
                        Keys[I]->SetValue(OldValues[I]);
                });
                SetFieldValuesByNames(DS, FLookupParams->KeyFieldNames(), NewValue);
            } else if (F)
                F->SetAsVariant(NewValue);
        } else if (F) {
            if (GridDrawsMemo() && IsMemoType(F->DataType()))
                F->SetAsString(NewText);
            else
                F->SetText(NewText);
        }
    }
    if (FMRUList->AutoAdd() && FMRUList->Active() && G->InplaceEditor() && G->InplaceEditor()->Visible())
        FMRUList->Add(NewText);
}

TCheckBoxState TAxisBarEh::CheckboxState()
{
    TField* F = Field();
    if (!F)
        return cbUnchecked;
    const bool Keys = KeyListHasItems();
    if (F->DataType() == ftBoolean && !Keys)
        return F->IsNull() ? cbGrayed : F->AsBoolean() ? cbChecked : cbUnchecked;
    if (IsCheckNumberType(F->DataType()) && !Keys)
        return F->IsNull() ? cbGrayed : F->AsFloat() == 1 ? cbChecked : cbUnchecked;
    const QString Text = F->Text();
    const int Count = FKeyList ? FKeyList->Count() : 0;
    if (Count > 0 && TextInValueList(FKeyList->Strings(0), Text))
        return cbChecked;
    if (Count > 1 && TextInValueList(FKeyList->Strings(1), Text))
        return cbUnchecked;
    return cbGrayed;
}

void TAxisBarEh::SetCheckboxState(TCheckBoxState Value)
{
    TField* F = Field();
    if (!F)
        return;
    if (Value == cbGrayed) {
        UpdateDataValues(QString(), Null(), false);
    } else if (F->DataType() == ftBoolean) {
        UpdateDataValues(QString(), Variant(Value == cbChecked), false);
    } else if (IsCheckNumberType(F->DataType()) && !KeyListHasItems()) {
        UpdateDataValues(QString(), Variant(Value == cbChecked ? 1 : 0), false);
    } else {
        const int Entry = Value == cbChecked ? 0 : 1;
        const QString Text = FKeyList && Entry < FKeyList->Count() ? FirstValueOf(FKeyList->Strings(Entry)) : QString();
        UpdateDataValues(Text, Variant(Text), true);
    }
}

int TAxisBarEh::GetImageIndex()
{
    TField* F = Field();
    if (!F)
        return -1;
    int Result = -1;
    if (KeyList()->Count() > 0)
        Result = FKeyList->IndexOf(F->Text());
    else if (PickList()->Count() > 0)
        Result = IndexOfTextInStrings(FPickList, F->Text(), TLocateOptions{loCaseInsensitive});
    else if (!F->IsNull() && IsSteppedNumberType(F->DataType()))
        Result = FieldValueAsIndex(F, -1);
    if (Result == -1)
        Result = FNotInKeyListIndex;
    return Result;
}

int TAxisBarEh::LocatePickList(const QString& Str, bool PartialKey)
{
    TLocateOptions Options;
    if (PartialKey)
        Options.Include(loPartialKey);
    int Index = IndexOfTextInStrings(PickList(), Str, Options);
    if (Index < 0 && FCaseInsensitiveTextSearch)
        Index = IndexOfTextInStrings(PickList(), Str, Options | TLocateOptions{loCaseInsensitive});
    return Index;
}

// ============================================================================================
// Modification
// ============================================================================================

bool TAxisBarEh::GridAndBarAllowEdit() const
{
    TCustomDBAxisGridEh* G = Grid();
    const bool GridAllows =
        !G || (!G->ReadOnly() && G->DataLink()->Active() && !G->DataLink()->ReadOnly());
    return GridAllows && !ReadOnly();
}

bool TAxisBarEh::CellParamsReadOnly(TAxisColCellParamsEh* Params, bool ReadOnly)
{
    if (!Params)
        return ReadOnly;
    FillColCellParams(Params);
    Params->FReadOnly = ReadOnly;
    GetColCellParams(true, Params);
    return Params->FReadOnly;
}

bool TAxisBarEh::CanModify(bool TryEdit)
{
    TCustomDBAxisGridEh* G = Grid();
    bool Allowed = GridAndBarAllowEdit();
    TField* Examined = nullptr;
    if (LookupIsActive()) {
        const QString Names = FLookupParams->KeyFieldNames();
        TDataSet* DS = GridDataSet();
        TFieldsArrEh Keys;
        if (!Names.isEmpty() && DS)
            Keys = GetFieldsArrayByNames(DS, nullptr, Names);
        if (!Keys.empty())
            Examined = Keys.front();
        Allowed = Allowed && !Keys.empty() && FieldsArrayCanModify(Keys);
    } else {
        Examined = Field();
        if (!Examined)
            Allowed = false;
    }
    if (Allowed) {
        Allowed = Examined->CanModify();
        if (Allowed) {
            const bool DataEdit = !G || G->DataEditAllowed();
            if (!IsBlobField(Examined) || Examined->OnSetText)
                Allowed = DataEdit;
            else
                Allowed = GridDrawsMemo() && IsMemoType(Examined->DataType()) && DataEdit;
        }
    }
    // The application's cell event may forbid or allow, but never without a field to write.
    Allowed = !CellParamsReadOnly(FCheckModifyCellParams, !Allowed) && Examined;
    if (TryEdit && Allowed && G) {
        G->DataLink()->Edit();
        Allowed = G->DataLink()->Editing();
        if (Allowed)
            G->DataLink()->Modified();
    }
    return Allowed;
}

bool TAxisBarEh::IsEditable()
{
    if (!Visible() || ReadOnly() || !GridLinkActive())
        return false;
    if (LookupIsActive())
        return true;
    TField* F = Field();
    if (!F || F->FieldKind() == fkCalculated)
        return false;
    bool EffectivelyReadOnly = F->ReadOnly();
    if (!EffectivelyReadOnly && F->FieldKind() == fkLookup) {
        if (!F->LookupDataSet()) {
            EffectivelyReadOnly = true;
        } else {
            const TFieldsArrEh Keys = GetFieldsArrayByNames(F->DataSet(), nullptr, F->KeyFields());
            bool AllReadOnly = true;
            for (TField* Key : Keys)
                AllReadOnly = AllReadOnly && Key->ReadOnly();
            EffectivelyReadOnly = AllReadOnly;
        }
    }
    return !EffectivelyReadOnly;
}

bool TAxisBarEh::CanEditAcceptKey(QChar Key)
{
    TField* F = Field();
    if (!F)
        return bool(OnUpdateData);
    if (KeyListHasItems())
        return true;
    return F->IsValidChar(Key);
}

QString TAxisBarEh::GetAcceptableEditText(const QString& InputEditText)
{
    QString Result;
    for (QChar C : InputEditText)
        if (CanEditAcceptKey(C))
            Result += C;
    return Result;
}

void TAxisBarEh::CheckDataIsReadOnly(bool& ReadOnly) { ReadOnly = !CanModify(false); }

// ============================================================================================
// Cell parameters
// ============================================================================================

void TAxisBarEh::FillColCellParams(TAxisColCellParamsEh* Params)
{
    TCustomDBAxisGridEh* G = Grid();
    int Col = -1;
    int Row = -1;
    if (G) {
        G->GetAxisBarCurrentCell(this, Col, Row);
        Params->FFont = G->DummiFont();
    }
    Params->FCol = Col;
    Params->FRow = Row;
    Params->FState = TGridDrawState();
    Params->FBackground = Color();
    Params->FAlignment = Alignment();
    Params->FImageIndex = GetImageIndex();
    Params->FText = DisplayText();
    Params->FCheckboxState = CheckboxState();
    Params->FReadOnly = ReadOnly();
    Params->FTextEditing = TextEditing();
    Params->FBlankCell = false;
}

void TAxisBarEh::GetColCellParams(bool, TAxisColCellParamsEh*)
{
    throw Exception(QStringLiteral(" TAxisBarEh.GetColCellParams must be realized in the inherited class."));
}

bool TAxisBarEh::CellTextEditing()
{
    TAxisColCellParamsEh* Params = FCheckModifyCellParams;
    if (!Params)
        return TextEditing();
    FillColCellParams(Params);
    TCustomDBAxisGridEh* G = Grid();
    if (!(G && G->ComponentState().Contains(csLoading)))
        GetColCellParams(false, Params);
    return Params->FTextEditing;
}

// ============================================================================================
// Stepping
// ============================================================================================

void TAxisBarEh::SetNextFieldValue(double Step)
{
    TCustomDBAxisGridEh* G = Grid();
    TField* F = Field();
    const bool Forward = Step == 1;
    bool Allowed = GridAndBarAllowEdit();
    TField* Examined = nullptr;
    if (Allowed) {
        if (F && F->FieldKind() == fkLookup) {
            if (F->KeyFields().isEmpty()) {
                Allowed = false;
            } else {
                const TFieldsArrEh Keys = GetFieldsArrayByNames(F->DataSet(), nullptr, F->KeyFields());
                Allowed = !Keys.empty() && FieldsArrayCanModify(Keys);
                Examined = Keys.empty() ? nullptr : Keys.front();
            }
        } else if (F) {
            Examined = F;
        } else {
            Allowed = false;
        }
    }
    if (Allowed)
        Allowed = Examined->CanModify() && (!IsBlobField(Examined) || Examined->OnSetText) &&
                  (!G || G->DataEditAllowed());
    if (Allowed && G)
        Allowed = !CellParamsReadOnly(G->GetSharedColCellParams(), !CanModify(false));
    if (!Allowed)
        return;
    TInplaceEdit* Editor = G ? G->InplaceEditor() : nullptr;
    if (G) {
        G->DataLink()->Edit();
        if (!G->DataLink()->Editing())
            return;
        G->DataLink()->Modified();
    }
    const QString CurText = Editor && Editor->Visible() ? Editor->Text() : F->Text();

    switch (GetBarType()) {
    case ctCheckboxes:
        SetCheckboxState(CheckboxState() == cbChecked ? cbUnchecked : cbChecked);
        return;
    case ctKeyPickList:
    case ctKeyImageList: {
        const int Count = KeyList()->Count();
        if (Count == 0)
            return;
        const int Index = FKeyList->IndexOf(F->Text());
        int Next;
        if (Forward)
            Next = Index < 0 || Index == Count - 1 ? 0 : Index + 1;
        else
            Next = Index <= 0 ? Count - 1 : Index - 1;
        UpdateDataValues(CurText, Variant(FKeyList->Strings(Next)), false);
        return;
    }
    case ctPickList: {
        const int Count = PickList()->Count();
        if (Count == 0)
            return;
        const int Index = IndexOfTextInStrings(FPickList, F->Text(), TLocateOptions{loCaseInsensitive});
        int Next;
        if (Forward)
            Next = Index < 0 || Index == Count - 1 ? 0 : Index + 1;
        else
            Next = Index <= 0 ? Count - 1 : Index - 1;
        // A wrap goes the same way as a step, so OnUpdateData sees every write.
        const QString Entry = FPickList->Strings(Next);
        UpdateDataValues(Entry, Variant(Entry), true);
        return;
    }
    case ctLookupField: {
        TDataSet* List = nullptr;
        if (DropDownBox()->ListSource())
            List = DropDownBox()->ListSource()->DataSet();
        else if (LookupIsSetUpHere())
            List = FLookupParams->LookupDataSet();
        if (!List || !List->Active())
            return;
        const QString KeyNames = FLookupParams->KeyFieldNames();
        const QString ListKeyNames = FLookupParams->LookupKeyFieldNames();
        TDataSet* DS = GridDataSet();
        const Variant Key = DS && !KeyNames.isEmpty()
                                ? GetFieldsArrayValues(DS, GetFieldsArrayByNames(DS, nullptr, KeyNames))
                                : Null();
        if (Key.IsNull() || !List->Locate(ListKeyNames, Key, TLocateOptions())) {
            List->First();
        } else if (!Forward) {
            if (List->Bof()) {
                List->Last();
            } else {
                List->Prior();
                if (List->Bof())
                    List->Last();
            }
        } else {
            if (List->Eof()) {
                List->First();
            } else {
                List->Next();
                if (List->Eof())
                    List->First();
            }
        }
        UpdateDataValues(CurText, GetFieldsArrayValues(List, GetFieldsArrayByNames(List, nullptr, ListKeyNames)),
                         false);
        return;
    }
    default:
        break;
    }
    if (!IsSteppedNumberType(F->DataType()))
        return;
    const double NewValue = F->IsNull() ? 0.0 : F->AsFloat() + Step;
    try {
        UpdateDataValues(CurText, Variant(NewValue), false);
    } catch (EDatabaseError&) {
        // A step out of the field's range leaves the value as it was.
    }
}

// ============================================================================================
// Clipboard and files
// ============================================================================================

TPicture* TAxisBarEh::GetPictureFromBlobField()
{
    TField* F = Field();
    if (!Grid() || !F)
        return nullptr;
    auto Picture = std::make_unique<TPicture>();
    AssignBlobFieldToPicture(F, Picture.get());
    return Picture.release();
}

void TAxisBarEh::CopyValueToClipboard()
{
    if (GetBarType() == ctGraphicData) {
        std::unique_ptr<TPicture> Picture(GetPictureFromBlobField());
        if (Picture && Picture->Graphic())
            Clipboard()->Assign(Picture.get());
        return;
    }
    Clipboard()->SetAsText(EditText());
}

void TAxisBarEh::CutValueToClipboard()
{
    CopyValueToClipboard();
    ClearValue();
}

void TAxisBarEh::PasteValueFromClipboard()
{
    TField* F = Field();
    if (!F)
        return;
    if (GetBarType() == ctGraphicData) {
        if (Clipboard()->HasFormat(CF_BITMAP)) {
            auto Bitmap = std::make_unique<TBitmap>();
            Clipboard()->AssignTo(Bitmap.get());
            F->DataSet()->Edit();
            F->Assign(Bitmap.get());
        }
        return;
    }
    const QString Text = Clipboard()->AsText();
    F->DataSet()->Edit();
    F->SetAsString(Text);
}

void TAxisBarEh::ClearValue()
{
    TField* F = Field();
    if (!F)
        return;
    F->DataSet()->Edit();
    F->Clear();
}

void TAxisBarEh::LoadFromFileDialog()
{
    TField* F = Field();
    TCustomDBAxisGridEh* G = Grid();
    if (!F || !G || GetBarType() != ctGraphicData)
        return;
    std::unique_ptr<TOpenPictureDialog> Dialog(Create<TOpenPictureDialog>(nullptr));
    Dialog->SetTitle(QStringLiteral("Load Picture"));
    if (!Dialog->Execute())
        return;
    if (!G->DataLink()->Edit())
        return;
    auto Picture = std::make_unique<TPicture>();
    Picture->LoadFromFile(Dialog->FileName());
    F->Assign(Picture.get());
}
