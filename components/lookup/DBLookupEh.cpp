// The lookup combo box without its drop-down: text and key kept in step through the list
// source's dataset, read with Lookup so the list's current row never moves.
#include "DBLookupEh.h"

#include "platform/db/DB.h"

DOV_PUBLISHED(TDBLookupComboboxEh)
{
    P.Prop("KeyField", &TDBLookupComboboxEh::KeyField, &TDBLookupComboboxEh::SetKeyField);
    P.Prop("ListField", &TDBLookupComboboxEh::ListField, &TDBLookupComboboxEh::SetListField);
    P.Prop("ListSource", &TDBLookupComboboxEh::ListSource, &TDBLookupComboboxEh::SetListSource);
    P.Prop("Flat", &TDBLookupComboboxEh::Flat, &TDBLookupComboboxEh::SetFlat).Default(false);
    P.Prop("Text", &TDBLookupComboboxEh::Text, &TDBLookupComboboxEh::SetText);
    P.Event("OnKeyValueChanged", &TDBLookupComboboxEh::OnKeyValueChanged);
}

TDBLookupComboboxEh::TDBLookupComboboxEh(TComponent* AOwner) : TCustomDBEditEh(AOwner) {}

TDBLookupComboboxEh::~TDBLookupComboboxEh() = default;

void TDBLookupComboboxEh::SetKeyField(const QString& Value)
{
    FKeyField = Value;
    KeyFromText();
}

void TDBLookupComboboxEh::SetListField(const QString& Value)
{
    FListField = Value;
    KeyFromText();
}

void TDBLookupComboboxEh::SetListSource(TDataSource* Value)
{
    if (FListSource == Value) return;
    if (FListSource) FListSource->RemoveFreeNotification(this);
    FListSource = Value;
    if (FListSource) FListSource->FreeNotification(this);
    KeyFromText();
}

void TDBLookupComboboxEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomDBEditEh::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FListSource) FListSource = nullptr;
}

namespace {

// The list's dataset when it can answer a lookup.
TDataSet* ListDataSet(TDataSource* source)
{
    TDataSet* ds = source ? source->DataSet() : nullptr;
    return ds && ds->Active() ? ds : nullptr;
}

}  // namespace

void TDBLookupComboboxEh::SetKeyValue(const Variant& Value)
{
    QString text;
    TDataSet* ds = ListDataSet(FListSource);
    if (ds && !Value.IsNull() && !Value.IsEmpty() && !FKeyField.isEmpty() && !FListField.isEmpty()) {
        Variant found = ds->Lookup(FKeyField, Value, FListField);
        if (!found.IsNull() && !found.IsEmpty()) text = found.AsString();
    }
    {
        FSettingKey = true;
        struct Reset { bool& f; ~Reset() { f = false; } } reset{FSettingKey};
        SetText(text);
    }
    SetKeyInternal(text.isEmpty() ? Variant::Null() : Value);
}

void TDBLookupComboboxEh::Change()
{
    TCustomDBEditEh::Change();
    if (!FSettingKey) KeyFromText();
}

void TDBLookupComboboxEh::KeyFromText()
{
    Variant key = Variant::Null();
    TDataSet* ds = ListDataSet(FListSource);
    const QString text = Text();
    if (ds && !text.isEmpty() && !FKeyField.isEmpty() && !FListField.isEmpty()) {
        Variant found = ds->Lookup(FListField, Variant(text), FKeyField);
        if (!found.IsEmpty()) key = found;
    }
    SetKeyInternal(key);
}

void TDBLookupComboboxEh::SetKeyInternal(const Variant& Value)
{
    const bool noneBefore = FKeyValue.IsNull() || FKeyValue.IsEmpty();
    const bool noneNow = Value.IsNull() || Value.IsEmpty();
    if (noneBefore && noneNow) return;
    if (!noneBefore && !noneNow && VarSameValue(FKeyValue, Value)) return;
    FKeyValue = Value;
    if (OnKeyValueChanged) OnKeyValueChanged(this);
}
