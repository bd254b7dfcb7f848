#include "DB.h"
#include "platform/rtl/VarOrder.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Filer.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsTextValue(const Variant& v)
{
    return VarIsStr(v);
}

QByteArray VarToBytes(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        return {};
    if (v.IsArray()) {
        QByteArray out;
        const int lo = v.ArrayLowBound(), hi = v.ArrayHighBound();
        out.reserve(hi - lo + 1);
        for (int i = lo; i <= hi; ++i)
            out.append(char(v.GetElement(i).AsInteger()));
        return out;
    }
    return v.AsString().toLatin1();
}

Variant BytesToVar(const QByteArray& b)
{
    Variant arr = VarArrayCreate(0, int(b.size()) - 1, varByte);
    for (int i = 0; i < b.size(); ++i)
        arr.SetElement(i, Variant::FromByte(uint8_t(b[i])));
    return arr;
}

bool SameKey(const Variant& a, const Variant& b)
{
    return VarOrderEquals(a, b, {vcLocale, true, false});
}

QString NumText(double v)
{
    return FloatToStr(v);
}

}  // namespace

// ---------------------------------------------------------------- TLookupList

void TLookupList::Add(const Variant& Key, const Variant& Value)
{
    FKeys.push_back(Key);
    FValues.push_back(Value);
}

Variant TLookupList::ValueOfKey(const Variant& Key) const
{
    if (Key.IsNull() || Key.IsEmpty())
        return Null();
    for (size_t i = 0; i < FKeys.size(); ++i)
        if (SameKey(FKeys[i], Key))
            return FValues[i];
    return Null();
}

// ---------------------------------------------------------------- TField

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField()
{
    if (FDataSet) {
        TDataSet* ds = FDataSet;
        FDataSet = nullptr;
        auto& list = ds->FFields->FList;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        if (!ds->ComponentState().Contains(csDestroying))
            ds->DataEvent(deFieldListChange, 0);
    }
}

void TField::SetDataSet(TDataSet* Value)
{
    if (Value == FDataSet)
        return;
    if (Value) {
        Value->CheckInactive();
        if (!FFieldName.isEmpty() && Value->FindField(FFieldName))
            DatabaseErrorFmt(QString::fromLatin1(DBMsg::DuplicateFieldName), {FFieldName}, Value);
    }
    if (FDataSet) {
        FDataSet->CheckInactive();
        TDataSet* old = FDataSet;
        old->FFields->Remove(this);
        FDataSet = nullptr;
        old->DataEvent(deFieldListChange, 0);
    }
    if (Value) {
        FDataSet = Value;
        Value->FFields->Add(this);
        Value->DataEvent(deFieldListChange, 0);
    }
}

TComponent* TField::GetParentComponent() const
{
    return FDataSet;
}

void TField::SetParentComponent(TComponent* Value)
{
    if (!FComponentState.Contains(csLoading) || Value)
        SetDataSet(dynamic_cast<TDataSet*>(Value));
}

void TField::SetFieldName(const QString& Value)
{
    if (Value == FFieldName)
        return;
    if (FDataSet && Value.compare(FFieldName, Qt::CaseInsensitive) != 0 && FDataSet->FindField(Value))
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::DuplicateFieldName), {Value}, FDataSet);
    FFieldName = Value;
    PropertyChanged(true);
}

void TField::SetFieldKind(TFieldKind Value)
{
    if (FFieldKind == Value)
        return;
    if (FDataSet)
        FDataSet->CheckInactive();
    FFieldKind = Value;
}

int TField::Index() const
{
    return FDataSet ? FDataSet->FFields->IndexOf(const_cast<TField*>(this)) : -1;
}

void TField::SetIndex(int Value)
{
    if (FDataSet)
        FDataSet->FFields->SetFieldIndex(this, Value);
}

void TField::PropertyChanged(bool LayoutAffected)
{
    if (FDataSet && FDataSet->Active())
        FDataSet->DataEvent(LayoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLookupDataSet)
        FLookupDataSet = nullptr;
}

bool TField::GetData(Variant& Value) const
{
    if (FValidating) {
        Value = *FValidating;
        return !(Value.IsNull() || Value.IsEmpty());
    }
    if (!FDataSet)
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::NoDataSet), {DisplayName()});
    return FDataSet->GetFieldData(const_cast<TField*>(this), Value);
}

void TField::SetData(const Variant& Value)
{
    if (!FDataSet)
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::NoDataSet), {DisplayName()});
    FDataSet->SetFieldData(this, Value);
}

bool TField::IsNull() const
{
    Variant v;
    return !GetData(v);
}

void TField::Validate(const Variant& NewValue)
{
    if (!OnValidate)
        return;
    FValidating = &NewValue;
    auto cleanup = Finally([&] { FValidating = nullptr; });
    OnValidate(this);
}

void TField::Change()
{
    if (OnChange)
        OnChange(this);
}

void TField::FocusControl()
{
    if (FDataSet && FDataSet->Active()) {
        TField* f = this;
        FDataSet->DataEvent(deFocusControl, NativeInt(&f));
    }
}

void TField::Assign(TPersistent* Source)
{
    if (!Source) {
        Clear();
        return;
    }
    if (auto* f = dynamic_cast<TField*>(Source)) {
        SetAsVariant(f->Value());
        return;
    }
    TComponent::Assign(Source);
}

void TField::AccessError(const char* TypeName) const
{
    DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldAccessError), {DisplayName(), QString::fromLatin1(TypeName)});
}

void TField::RangeError(double Value, double Min, double Max) const
{
    DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldRangeError),
                     {NumText(Value), DisplayName(), NumText(Min), NumText(Max)});
}

void TField::SetVarValue(const Variant& v)
{
    const TVarType vt = FieldTypeVarType(FDataType);
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else if (vt == varVariant || vt == varError || vt == varEmpty || v.VarType() == vt)
        SetData(v);
    else
        SetData(VarAsType(v, vt));
}

// ---- typed access, base forms: through the variant ----

Variant TField::GetAsVariant() const
{
    Variant v;
    if (!GetData(v))
        return Null();
    return v;
}

void TField::SetAsVariantImpl(const Variant& v)
{
    SetVarValue(v);
}

QString TField::GetAsString() const { return VarToStr(GetAsVariant()); }
void TField::SetAsStringImpl(const QString& v) { SetAsVariant(Variant(v)); }

int32_t TField::GetAsInteger() const
{
    Variant v = GetAsVariant();
    return v.IsNull() ? 0 : v.AsInteger();
}

int64_t TField::GetAsLargeInt() const
{
    Variant v = GetAsVariant();
    return v.IsNull() ? 0 : v.AsInt64();
}

void TField::SetAsLargeIntImpl(int64_t v) { SetAsVariant(Variant((long long)v)); }

double TField::GetAsFloat() const
{
    Variant v = GetAsVariant();
    return v.IsNull() ? 0.0 : v.AsDouble();
}

void TField::SetAsFloatImpl(double v) { SetAsVariant(Variant(v)); }

Currency TField::GetAsCurrency() const
{
    Variant v = GetAsVariant();
    return v.IsNull() ? Currency() : v.AsCurrency();
}

void TField::SetAsCurrencyImpl(Currency v) { SetAsVariant(Variant(v)); }

TBcd TField::GetAsBCD() const
{
    Variant v = GetAsVariant();
    return v.IsNull() ? NullBcd() : VarToBcd(v);
}

TDateTime TField::GetAsDateTime() const
{
    Variant v = GetAsVariant();
    return v.IsNull() ? 0.0 : v.AsDateTime();
}

void TField::SetAsDateTimeImpl(TDateTime v) { SetAsVariant(Variant::FromDate(v)); }

bool TField::GetAsBoolean() const
{
    Variant v = GetAsVariant();
    return !v.IsNull() && v.AsBoolean();
}

void TField::SetAsBooleanImpl(bool v) { SetAsVariant(Variant(v)); }

TSQLTimeStamp TField::AsSQLTimeStamp() const
{
    Variant v = GetAsVariant();
    if (v.IsNull())
        return TSQLTimeStamp();
    if (VarIsSQLTimeStamp(v))
        return v.AsSQLTimeStamp();
    return DateTimeToSQLTimeStamp(v.AsDateTime());
}

Variant TField::OldValue() const
{
    return FDataSet ? FDataSet->GetStateFieldValue(dsOldValue, const_cast<TField*>(this)) : Null();
}

Variant TField::NewValue() const
{
    return FDataSet ? FDataSet->GetStateFieldValue(dsNewValue, const_cast<TField*>(this)) : Null();
}

void TField::SetNewValue(const Variant& v)
{
    if (FDataSet)
        FDataSet->SetStateFieldValue(dsNewValue, this, v);
}

Variant TField::CurValue() const
{
    return FDataSet ? FDataSet->GetStateFieldValue(dsCurValue, const_cast<TField*>(this)) : Null();
}

void TField::GetText(QString& Text, bool) const
{
    Text = GetAsString();
}

QString TField::Text() const
{
    QString s;
    if (OnGetText)
        OnGetText(const_cast<TField*>(this), s, false);
    else
        GetText(s, false);
    return s;
}

QString TField::DisplayText() const
{
    QString s;
    if (OnGetText)
        OnGetText(const_cast<TField*>(this), s, true);
    else
        GetText(s, true);
    return s;
}

void TField::SetText(const QString& v)
{
    if (OnSetText)
        OnSetText(this, v);
    else
        SetTextImpl(v);
}

bool TField::IsValidChar(QChar c) const
{
    return FValidCharsAll || FValidChars.contains(c);
}

// ---- properties ----

void TField::SetDisplayLabel(const QString& v)
{
    QString nv = v == FFieldName ? QString() : v;
    if (nv != FDisplayLabel) {
        FDisplayLabel = nv;
        PropertyChanged(true);
    }
}

void TField::SetDisplayWidth(int v)
{
    if (v != FDisplayWidth) {
        FDisplayWidth = v;
        PropertyChanged(true);
    }
}

void TField::SetAlignment(TAlignment v)
{
    if (v != FAlignment) {
        FAlignment = v;
        PropertyChanged(false);
    }
}

void TField::SetVisible(bool v)
{
    if (v != FVisible) {
        FVisible = v;
        PropertyChanged(true);
    }
}

void TField::SetReadOnly(bool v)
{
    if (v != FReadOnly) {
        FReadOnly = v;
        PropertyChanged(false);
    }
}

bool TField::CanModify() const
{
    if (FReadOnly || !FDataSet || !FDataSet->Active())
        return false;
    switch (FFieldKind) {
    case fkData:
    case fkInternalCalc:
        return FDataSet->CanModify();
    case fkLookup: {
        if (FKeyFields.isEmpty())
            return false;
        for (const QString& n : SplitFieldNames(FKeyFields)) {
            TField* k = FDataSet->FindField(n);
            if (!k || !k->CanModify())
                return false;
        }
        return true;
    }
    default:
        return false;
    }
}

void TField::CheckSize(int v) const
{
    if (v != 0)
        DatabaseError(QString::fromLatin1(DBMsg::InvalidFieldSize));
}

void TField::SetSize(int v)
{
    if (FDataSet)
        FDataSet->CheckInactive();
    CheckSize(v);
    FSize = v;
}

void TField::SetKeyFields(const QString& v)
{
    if (FDataSet)
        FDataSet->CheckInactive();
    FKeyFields = v;
}

void TField::SetLookupDataSet(TDataSet* v)
{
    if (v == FLookupDataSet)
        return;
    if (FDataSet)
        FDataSet->CheckInactive();
    if (v && v == FDataSet)
        DatabaseError(QString::fromLatin1(DBMsg::CircularDataLink), this);
    if (FLookupDataSet)
        FLookupDataSet->RemoveFreeNotification(this);
    FLookupDataSet = v;
    if (v)
        v->FreeNotification(this);
    FLookupList.Clear();
}

void TField::SetLookupKeyFields(const QString& v)
{
    if (FDataSet)
        FDataSet->CheckInactive();
    FLookupKeyFields = v;
}

void TField::SetLookupResultField(const QString& v)
{
    if (FDataSet)
        FDataSet->CheckInactive();
    FLookupResultField = v;
}

void TField::SetLookupCache(bool v)
{
    FLookupCache = v;
    if (!v)
        FLookupList.Clear();
    else if (FDataSet && FDataSet->Active())
        RefreshLookupList();
}

void TField::RefreshLookupList()
{
    FLookupList.Clear();
    TDataSet* ds = FLookupDataSet;
    if (!ds || !ds->Active() || FLookupKeyFields.isEmpty() || FLookupResultField.isEmpty())
        return;
    ds->CheckBrowseMode();
    ds->ScanRecords([&] {
        FLookupList.Add(ds->FieldValues(FLookupKeyFields), ds->FieldValues(FLookupResultField));
        return true;
    });
}

Variant TField::CalcLookupValue()
{
    if (!FDataSet || FKeyFields.isEmpty())
        return Null();
    const Variant keys = FDataSet->FieldValues(FKeyFields);
    if (FLookupCache)
        return FLookupList.ValueOfKey(keys);
    if (FLookupDataSet && FLookupDataSet->Active()) {
        Variant v = FLookupDataSet->Lookup(FLookupKeyFields, keys, FLookupResultField);
        return v.IsEmpty() ? Null() : v;
    }
    return Null();
}

// ---------------------------------------------------------------- text fields

TStringField::TStringField(TComponent* AOwner) : TField(AOwner)
{
    SetDataType(ftString);
    FSize = 20;
}

void TStringField::SetFixedChar(bool v)
{
    FFixedChar = v;
    const bool wide = DataType() == ftWideString || DataType() == ftFixedWideChar;
    SetDataType(v ? (wide ? ftFixedWideChar : ftFixedChar) : (wide ? ftWideString : ftString));
}

QString TStringField::GetAsString() const
{
    Variant v;
    if (!GetData(v))
        return {};
    return VarIsStr(v) ? v.AsString() : VarToStr(v);
}

void TStringField::SetAsStringImpl(const QString& v)
{
    if (FieldTypeVarType(DataType()) == varOleStr)
        SetData(Variant::FromOleStr(v));
    else
        SetData(Variant::FromString(v));
}

int32_t TStringField::GetAsInteger() const
{
    QString s = GetAsString();
    return s.trimmed().isEmpty() ? 0 : StrToInt(s);
}

int64_t TStringField::GetAsLargeInt() const
{
    QString s = GetAsString();
    return s.trimmed().isEmpty() ? 0 : StrToInt64(s);
}

double TStringField::GetAsFloat() const
{
    QString s = GetAsString();
    return s.trimmed().isEmpty() ? 0.0 : StrToFloat(s);
}

bool TStringField::GetAsBoolean() const
{
    QString s = GetAsString();
    return !s.isEmpty() && StrToBool(s);
}

TDateTime TStringField::GetAsDateTime() const
{
    QString s = GetAsString();
    return s.trimmed().isEmpty() ? 0.0 : StrToDateTime(s);
}

void TStringField::SetAsVariantImpl(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else
        SetAsStringImpl(VarToStr(v));
}

void TStringField::CheckSize(int v) const
{
    if (v < 0)
        DatabaseError(QString::fromLatin1(DBMsg::InvalidFieldSize));
}

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner)
{
    SetDataType(ftWideString);
}

TGuidField::TGuidField(TComponent* AOwner) : TStringField(AOwner)
{
    SetDataType(ftGuid);
    FSize = 38;
}

void TGuidField::CheckSize(int v) const
{
    if (v < 38)
        DatabaseError(QString::fromLatin1(DBMsg::InvalidFieldSize));
}

// ---------------------------------------------------------------- numbers

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner)
{
    FAlignment = taRightJustify;
}

void TNumericField::SetDisplayFormat(const QString& v)
{
    if (v != FDisplayFormat) {
        FDisplayFormat = v;
        PropertyChanged(false);
    }
}

void TNumericField::SetEditFormat(const QString& v)
{
    if (v != FEditFormat) {
        FEditFormat = v;
        PropertyChanged(false);
    }
}

TIntegerField::TIntegerField(TComponent* AOwner) : TIntegerField(AOwner, ftInteger, INT32_MIN, INT32_MAX) {}

TIntegerField::TIntegerField(TComponent* AOwner, TFieldType Type, int64_t MinRange, int64_t MaxRange)
    : TNumericField(AOwner), FMinRange(MinRange), FMaxRange(MaxRange)
{
    SetDataType(Type);
    FValidCharsAll = false;
    FValidChars = QStringLiteral("+-0123456789");
}

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner, ftSmallint, INT16_MIN, INT16_MAX) {}
TShortintField::TShortintField(TComponent* AOwner) : TIntegerField(AOwner, ftShortint, INT8_MIN, INT8_MAX) {}
TByteField::TByteField(TComponent* AOwner) : TIntegerField(AOwner, ftByte, 0, UINT8_MAX) {}
TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner, ftWord, 0, UINT16_MAX) {}
TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner, ftAutoInc, INT32_MIN, INT32_MAX)
{
    SetAutoGenerateValue(arAutoInc);
}
TLongWordField::TLongWordField(TComponent* AOwner) : TIntegerField(AOwner, ftLongWord, 0, UINT32_MAX) {}
TLargeintField::TLargeintField(TComponent* AOwner) : TIntegerField(AOwner, ftLargeint, INT64_MIN, INT64_MAX) {}

QString TIntegerField::GetAsString() const
{
    Variant v;
    if (!GetData(v))
        return {};
    return IntToStr(v.AsInt64());
}

void TIntegerField::GetText(QString& Text, bool DisplayText) const
{
    Variant v;
    if (!GetData(v)) {
        Text.clear();
        return;
    }
    const QString& fmt = DisplayText || FEditFormat.isEmpty() ? FDisplayFormat : FEditFormat;
    Text = fmt.isEmpty() ? IntToStr(v.AsInt64()) : FormatFloat(fmt, double(v.AsInt64()));
}

void TIntegerField::CheckRange(int64_t v) const
{
    if (v < FMinRange || v > FMaxRange)
        RangeError(double(v), double(FMinRange), double(FMaxRange));
    if ((FMinValue != 0 || FMaxValue != 0) && (v < FMinValue || v > FMaxValue))
        RangeError(double(v), FMinValue, FMaxValue);
}

void TIntegerField::SetAsLargeIntImpl(int64_t v)
{
    CheckRange(v);
    SetData(VarAsType(Variant((long long)v), FieldTypeVarType(DataType())));
}

void TLargeintField::SetAsLargeIntImpl(int64_t v)
{
    if ((FLargeMin != 0 || FLargeMax != 0) && (v < FLargeMin || v > FLargeMax))
        RangeError(double(v), double(FLargeMin), double(FLargeMax));
    SetData(Variant((long long)v));
}

void TIntegerField::SetAsFloatImpl(double v)
{
    SetAsLargeIntImpl(int64_t(std::llround(v)));
}

void TIntegerField::SetAsStringImpl(const QString& v)
{
    if (v.trimmed().isEmpty()) {
        SetData(Null());
        return;
    }
    int64_t n;
    if (!TryStrToInt64(v, n))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(v));
    SetAsLargeIntImpl(n);
}

void TIntegerField::SetAsVariantImpl(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else if (IsTextValue(v))
        SetAsStringImpl(v.AsString());
    else if (VarIsFloat(v) || v.VarType() == varCurrency)
        SetAsFloatImpl(v.AsDouble());
    else
        SetAsLargeIntImpl(v.AsInt64());
}

TFloatField::TFloatField(TComponent* AOwner) : TFloatField(AOwner, ftFloat) {}

TFloatField::TFloatField(TComponent* AOwner, TFieldType Type) : TNumericField(AOwner)
{
    SetDataType(Type);
    FValidCharsAll = false;
    FValidChars = QStringLiteral("+-0123456789Ee") + FormatSettings.DecimalSeparator;
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner, ftCurrency)
{
    FCurrency = true;
}
TExtendedField::TExtendedField(TComponent* AOwner) : TFloatField(AOwner, ftExtended) {}
TSingleField::TSingleField(TComponent* AOwner) : TFloatField(AOwner, ftSingle)
{
    FPrecision = 7;
}

void TFloatField::SetCurrency(bool v)
{
    if (v != FCurrency) {
        FCurrency = v;
        PropertyChanged(false);
    }
}

void TFloatField::SetPrecision(int v)
{
    if (v < 2)
        v = 2;
    if (v > 15)
        v = 15;
    if (v != FPrecision) {
        FPrecision = v;
        PropertyChanged(false);
    }
}

QString TFloatField::GetAsString() const
{
    Variant v;
    if (!GetData(v))
        return {};
    return FloatToStr(v.AsDouble());
}

void TFloatField::GetText(QString& Text, bool DisplayText) const
{
    Variant v;
    if (!GetData(v)) {
        Text.clear();
        return;
    }
    const double d = v.AsDouble();
    const QString& fmt = DisplayText || FEditFormat.isEmpty() ? FDisplayFormat : FEditFormat;
    if (!fmt.isEmpty())
        Text = FormatFloat(fmt, d);
    else if (FCurrency)
        Text = FloatToStrF(d, DisplayText ? ffCurrency : ffFixed, FPrecision, FormatSettings.CurrencyDecimals);
    else
        Text = FloatToStrF(d, ffGeneral, FPrecision, 0);
}

void TFloatField::SetAsFloatImpl(double v)
{
    if ((FMinValue != 0 || FMaxValue != 0) && (v < FMinValue || v > FMaxValue))
        RangeError(v, FMinValue, FMaxValue);
    SetData(VarAsType(Variant(v), FieldTypeVarType(DataType())));
}

void TFloatField::SetAsStringImpl(const QString& v)
{
    if (v.trimmed().isEmpty()) {
        SetData(Null());
        return;
    }
    double d;
    if (!TryStrToFloat(v, d))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(v));
    SetAsFloatImpl(d);
}

void TFloatField::SetAsVariantImpl(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else if (IsTextValue(v))
        SetAsStringImpl(v.AsString());
    else
        SetAsFloatImpl(v.AsDouble());
}

TBCDField::TBCDField(TComponent* AOwner) : TBCDField(AOwner, ftBCD) {}

TBCDField::TBCDField(TComponent* AOwner, TFieldType Type) : TNumericField(AOwner)
{
    SetDataType(Type);
    FSize = 4;
    FValidCharsAll = false;
    FValidChars = QStringLiteral("+-0123456789") + FormatSettings.DecimalSeparator;
}

TFMTBCDField::TFMTBCDField(TComponent* AOwner) : TBCDField(AOwner, ftFMTBcd)
{
    FSize = 8;
}

void TFMTBCDField::CheckSize(int v) const
{
    if (v < 0 || v > 63)
        DatabaseError(QString::fromLatin1(DBMsg::InvalidFieldSize));
}

void TBCDField::SetCurrency(bool v)
{
    if (v != FCurrency) {
        FCurrency = v;
        PropertyChanged(false);
    }
}

void TBCDField::SetPrecision(int v)
{
    if (v < 0)
        v = 0;
    if (v != FPrecision) {
        FPrecision = v;
        PropertyChanged(false);
    }
}

void TBCDField::CheckSize(int v) const
{
    if (v < 0 || v > 32)
        DatabaseError(QString::fromLatin1(DBMsg::InvalidFieldSize));
}

QString TBCDField::GetAsString() const
{
    Variant v;
    if (!GetData(v))
        return {};
    return CurrToStr(v.AsCurrency());
}

void TBCDField::GetText(QString& Text, bool DisplayText) const
{
    Variant v;
    if (!GetData(v)) {
        Text.clear();
        return;
    }
    const ::Currency c = v.AsCurrency();
    const QString& fmt = DisplayText || FEditFormat.isEmpty() ? FDisplayFormat : FEditFormat;
    if (!fmt.isEmpty())
        Text = FormatCurr(fmt, c);
    else if (FCurrency)
        Text = CurrToStrF(c, DisplayText ? ffCurrency : ffFixed, FormatSettings.CurrencyDecimals);
    else
        Text = CurrToStr(c);
}

void TBCDField::SetAsCurrencyImpl(::Currency v)
{
    if ((FMinValue.Value != 0 || FMaxValue.Value != 0) && (v < FMinValue || v > FMaxValue))
        RangeError(v.ToDouble(), FMinValue.ToDouble(), FMaxValue.ToDouble());
    if (DataType() == ftFMTBcd)
        SetData(VarFMTBcdCreate(CurrToBcd(v)));
    else
        SetData(Variant(v));
}

void TBCDField::SetAsFloatImpl(double v)
{
    SetAsCurrencyImpl(::Currency::FromDouble(v));
}

void TBCDField::SetAsLargeIntImpl(int64_t v)
{
    SetAsCurrencyImpl(::Currency::FromInt(v));
}

void TBCDField::SetAsStringImpl(const QString& v)
{
    if (v.trimmed().isEmpty()) {
        SetData(Null());
        return;
    }
    ::Currency c;
    if (!TryStrToCurr(v, c))
        throw EConvertError(QStringLiteral("'%1' is not a valid BCD value").arg(v));
    SetAsCurrencyImpl(c);
}

void TBCDField::SetAsVariantImpl(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else if (IsTextValue(v))
        SetAsStringImpl(v.AsString());
    else
        SetAsCurrencyImpl(v.AsCurrency());
}

QString TFMTBCDField::GetAsString() const
{
    Variant v;
    if (!GetData(v))
        return {};
    return BcdToStr(VarToBcd(v));
}

void TFMTBCDField::GetText(QString& Text, bool DisplayText) const
{
    Variant v;
    if (!GetData(v)) {
        Text.clear();
        return;
    }
    const QString& fmt = DisplayText || FEditFormat.isEmpty() ? FDisplayFormat : FEditFormat;
    if (!fmt.isEmpty())
        Text = FormatFloat(fmt, BcdToDouble(VarToBcd(v)));
    else
        Text = BcdToStr(VarToBcd(v));
}

void TFMTBCDField::SetAsStringImpl(const QString& v)
{
    if (v.trimmed().isEmpty()) {
        SetData(Null());
        return;
    }
    TBcd b;
    if (!TryStrToBcd(v, b))
        throw EConvertError(QStringLiteral("'%1' is not a valid BCD value").arg(v));
    SetData(VarFMTBcdCreate(b));
}

void TFMTBCDField::SetAsVariantImpl(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else if (IsTextValue(v))
        SetAsStringImpl(v.AsString());
    else
        SetData(VarFMTBcdCreate(VarToBcd(v)));
}

// ---------------------------------------------------------------- Boolean

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner)
{
    SetDataType(ftBoolean);
}

void TBooleanField::SetDisplayValues(const QString& v)
{
    FDisplayValues = v;
    int sep = int(v.indexOf(u';'));
    if (v.isEmpty() || sep == 0) {
        FTrueText = QStringLiteral("True");
        FFalseText = QStringLiteral("False");
    } else if (sep < 0) {
        FTrueText = v;
        FFalseText.clear();
    } else {
        FTrueText = v.left(sep);
        FFalseText = v.mid(sep + 1);
    }
    PropertyChanged(true);
}

QString TBooleanField::GetAsString() const
{
    Variant v;
    if (!GetData(v))
        return {};
    return v.AsBoolean() ? FTrueText : FFalseText;
}

void TBooleanField::SetAsStringImpl(const QString& v)
{
    if (v.isEmpty()) {
        SetData(Null());
        return;
    }
    auto matches = [&](const QString& text) { return !text.isEmpty() && AnsiSameText(v, text.left(v.size())); };
    if (matches(FFalseText))
        SetData(Variant(false));
    else if (matches(FTrueText))
        SetData(Variant(true));
    else
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::NotABoolean), {v, DisplayName()});
}

void TBooleanField::SetAsVariantImpl(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else if (IsTextValue(v))
        SetAsStringImpl(v.AsString());
    else
        SetData(Variant(v.AsBoolean()));
}

int TBooleanField::GetDefaultWidth() const
{
    return int(std::max(FTrueText.size(), FFalseText.size()));
}

// ---------------------------------------------------------------- dates

TDateTimeField::TDateTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftDateTime) {}

TDateTimeField::TDateTimeField(TComponent* AOwner, TFieldType Type) : TField(AOwner)
{
    SetDataType(Type);
}

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner, ftDate) {}
TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftTime) {}

void TDateTimeField::SetDisplayFormat(const QString& v)
{
    if (v != FDisplayFormat) {
        FDisplayFormat = v;
        PropertyChanged(false);
    }
}

QString TDateTimeField::GetAsString() const
{
    QString s;
    GetText(s, false);
    return s;
}

void TDateTimeField::GetText(QString& Text, bool DisplayText) const
{
    Variant v;
    if (!GetData(v)) {
        Text.clear();
        return;
    }
    const TDateTime d = v.AsDateTime();
    if (DisplayText && !FDisplayFormat.isEmpty())
        Text = FormatDateTime(FDisplayFormat, d);
    else if (DataType() == ftDate)
        Text = DateToStr(d);
    else if (DataType() == ftTime)
        Text = TimeToStr(d);
    else
        Text = DateTimeToStr(d);
}

void TDateTimeField::SetAsDateTimeImpl(TDateTime v)
{
    if (DataType() == ftDate)
        v = std::trunc(v);
    else if (DataType() == ftTime)
        v = std::fabs(v - std::trunc(v));
    SetData(Variant::FromDate(v));
}

void TDateTimeField::SetAsStringImpl(const QString& v)
{
    if (v.trimmed().isEmpty()) {
        SetData(Null());
        return;
    }
    TDateTime d;
    if (DataType() == ftDate)
        d = StrToDate(v);
    else if (DataType() == ftTime)
        d = StrToTime(v);
    else
        d = StrToDateTime(v);
    SetAsDateTimeImpl(d);
}

void TDateTimeField::SetAsVariantImpl(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else if (IsTextValue(v))
        SetAsStringImpl(v.AsString());
    else
        SetAsDateTimeImpl(v.AsDateTime());
}

TSQLTimeStampField::TSQLTimeStampField(TComponent* AOwner) : TSQLTimeStampField(AOwner, ftTimeStamp) {}

TSQLTimeStampField::TSQLTimeStampField(TComponent* AOwner, TFieldType Type) : TField(AOwner)
{
    SetDataType(Type);
}

void TSQLTimeStampField::SetDisplayFormat(const QString& v)
{
    if (v != FDisplayFormat) {
        FDisplayFormat = v;
        PropertyChanged(false);
    }
}

TDateTime TSQLTimeStampField::GetAsDateTime() const
{
    Variant v;
    if (!GetData(v))
        return 0;
    return VarIsSQLTimeStamp(v) ? SQLTimeStampToDateTime(v.AsSQLTimeStamp()) : v.AsDateTime();
}

void TSQLTimeStampField::SetAsDateTimeImpl(TDateTime v)
{
    SetData(VarSQLTimeStampCreate(v));
}

QString TSQLTimeStampField::GetAsString() const
{
    QString s;
    GetText(s, false);
    return s;
}

void TSQLTimeStampField::GetText(QString& Text, bool DisplayText) const
{
    Variant v;
    if (!GetData(v)) {
        Text.clear();
        return;
    }
    const TDateTime d = GetAsDateTime();
    Text = DisplayText && !FDisplayFormat.isEmpty() ? FormatDateTime(FDisplayFormat, d) : DateTimeToStr(d);
}

void TSQLTimeStampField::SetAsStringImpl(const QString& v)
{
    if (v.trimmed().isEmpty())
        SetData(Null());
    else
        SetAsDateTimeImpl(StrToDateTime(v));
}

void TSQLTimeStampField::SetAsVariantImpl(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else if (IsTextValue(v))
        SetAsStringImpl(v.AsString());
    else if (VarIsSQLTimeStamp(v))
        SetData(v);
    else
        SetAsDateTimeImpl(v.AsDateTime());
}

// ---------------------------------------------------------------- binary and blobs

TBinaryField::TBinaryField(TComponent* AOwner, TFieldType Type) : TField(AOwner)
{
    SetDataType(Type);
    FSize = 16;
}

TBytesField::TBytesField(TComponent* AOwner) : TBinaryField(AOwner, ftBytes) {}
TVarBytesField::TVarBytesField(TComponent* AOwner) : TBinaryField(AOwner, ftVarBytes) {}

void TBinaryField::CheckSize(int v) const
{
    if (v < 0)
        DatabaseError(QString::fromLatin1(DBMsg::InvalidFieldSize));
}

QString TBinaryField::GetAsString() const
{
    Variant v;
    if (!GetData(v))
        return {};
    return QString::fromLatin1(VarToBytes(v));
}

void TBinaryField::SetAsStringImpl(const QString& v)
{
    SetData(v.isEmpty() ? Null() : BytesToVar(v.toLatin1()));
}

void TBinaryField::SetAsVariantImpl(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else if (v.IsArray())
        SetData(v);
    else
        SetAsStringImpl(VarToStr(v));
}

void TBinaryField::GetText(QString& Text, bool) const
{
    Text = QStringLiteral("(%1)").arg(QLatin1String(FieldTypeName(DataType())));
}

TBlobField::TBlobField(TComponent* AOwner) : TBlobField(AOwner, ftBlob) {}

TBlobField::TBlobField(TComponent* AOwner, TFieldType Type) : TField(AOwner)
{
    SetDataType(Type);
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner, ftMemo)
{
    FTransliterate = true;
}
TWideMemoField::TWideMemoField(TComponent* AOwner) : TBlobField(AOwner, ftWideMemo) {}
TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner, ftGraphic) {}

void TBlobField::SetBlobType(TBlobType v)
{
    if (DataSet())
        DataSet()->CheckInactive();
    SetDataType(v);
}

QByteArray TBlobField::AsBytes() const
{
    Variant v;
    if (!GetData(v))
        return {};
    if (VarIsStr(v))
        return v.VarType() == varString ? UnicodeToCP1251(v.AsString()) : v.AsString().toUtf8();
    return VarToBytes(v);
}

void TBlobField::SetAsBytes(const QByteArray& v)
{
    const TVarType vt = FieldTypeVarType(DataType());
    if (v.isEmpty())
        SetData(Null());
    else if (vt == varString)
        SetData(Variant::FromString(CP1251ToUnicode(v)));
    else if (vt == varOleStr)
        SetData(Variant::FromOleStr(QString::fromUtf8(v)));
    else
        SetData(BytesToVar(v));
}

void TBlobField::Assign(TPersistent* Source)
{
    if (auto* b = dynamic_cast<TBlobField*>(Source)) {
        SetAsBytes(b->AsBytes());
        return;
    }
    if (!Source || dynamic_cast<TField*>(Source)) {
        TField::Assign(Source);
        return;
    }
    TMemoryStream data;
    if (!WritePersistentData(Source, &data)) {
        TField::Assign(Source);
        return;
    }
    SetAsBytes(QByteArray(static_cast<const char*>(data.Memory()), qsizetype(data.Size())));
}

void TBlobField::AssignTo(TPersistent* Dest) const
{
    const QByteArray bytes = AsBytes();
    TMemoryStream data;
    if (!bytes.isEmpty())
        data.WriteBuffer(bytes.constData(), bytes.size());
    data.SetPosition(0);
    if (!ReadPersistentData(Dest, &data))
        TField::AssignTo(Dest);
}

QString TBlobField::GetAsString() const
{
    Variant v;
    if (!GetData(v))
        return {};
    if (VarIsStr(v))
        return v.AsString();
    return QString::fromLatin1(VarToBytes(v));
}

void TBlobField::SetAsStringImpl(const QString& v)
{
    const TVarType vt = FieldTypeVarType(DataType());
    if (v.isEmpty())
        SetData(Null());
    else if (vt == varString)
        SetData(Variant::FromString(v));
    else if (vt == varOleStr)
        SetData(Variant::FromOleStr(v));
    else
        SetData(BytesToVar(v.toLatin1()));
}

void TBlobField::SetAsVariantImpl(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        SetData(Null());
    else if (v.IsArray()) {
        const TVarType vt = FieldTypeVarType(DataType());
        if (vt == varString || vt == varOleStr)
            SetAsStringImpl(QString::fromLatin1(VarToBytes(v)));
        else
            SetData(v);
    } else
        SetAsStringImpl(VarToStr(v));
}

void TBlobField::GetText(QString& Text, bool DisplayText) const
{
    const bool isNull = IsNull();
    const char* kind = DataType() == ftMemo || DataType() == ftWideMemo || DataType() == ftFmtMemo || DataType() == ftOraClob
                           ? "Memo"
                           : DataType() == ftGraphic ? "Graphic" : "Blob";
    QString k = QString::fromLatin1(kind);
    if (!DisplayText && (DataType() == ftMemo || DataType() == ftWideMemo)) {
        Text = GetAsString();
        return;
    }
    Text = QStringLiteral("(%1)").arg(isNull ? k.toLower() : k.toUpper());
}

// ---------------------------------------------------------------- variant and aggregate

TVariantField::TVariantField(TComponent* AOwner) : TField(AOwner)
{
    SetDataType(ftVariant);
}

void TVariantField::SetAsVariantImpl(const Variant& v)
{
    SetData(v.IsEmpty() ? Null() : v);
}

TAggregateField::TAggregateField(TComponent* AOwner) : TField(AOwner)
{
    SetFieldKind(fkAggregate);
    SetVisible(false);
}

void TAggregateField::SetExpression(const QString& v)
{
    FExpression = v;
    PropertyChanged(false);
}

void TAggregateField::SetActive(bool v)
{
    FActive = v;
    PropertyChanged(false);
}

void TAggregateField::SetDisplayFormat(const QString& v)
{
    FDisplayFormat = v;
    PropertyChanged(false);
}

void TAggregateField::GetText(QString& Text, bool DisplayText) const
{
    Variant v = GetAsVariant();
    if (v.IsNull()) {
        Text.clear();
        return;
    }
    if (DisplayText && !FDisplayFormat.isEmpty() && (VarIsNumeric(v) || v.VarType() == varDate))
        Text = v.VarType() == varDate ? FormatDateTime(FDisplayFormat, v.AsDateTime()) : FormatFloat(FDisplayFormat, v.AsDouble());
    else
        Text = VarToStr(v);
}

// ---------------------------------------------------------------- TFields, TFieldList

TFields::TFields(TDataSet* DataSet) : FDataSet(DataSet) {}

TFields::~TFields()
{
    for (TField* f : FList)
        f->FDataSet = nullptr;
}

TField* TFields::Fields(int Index) const
{
    if (Index < 0 || Index >= int(FList.size()))
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return FList[Index];
}

void TFields::Add(TField* Field)
{
    FList.push_back(Field);
}

void TFields::Remove(TField* Field)
{
    FList.erase(std::remove(FList.begin(), FList.end(), Field), FList.end());
}

void TFields::Clear()
{
    while (!FList.empty()) {
        TField* f = FList.back();
        FList.pop_back();
        f->FDataSet = nullptr;
        delete f;
    }
}

TField* TFields::FindField(const QString& FieldName) const
{
    // field names are unique without case: an exact match (the cheap test, and the usual
    // spelling) is the match
    for (TField* f : FList)
        if (f->FFieldName == FieldName)
            return f;
    for (TField* f : FList)
        if (f->FFieldName.compare(FieldName, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

TField* TFields::FieldByName(const QString& FieldName) const
{
    TField* f = FindField(FieldName);
    if (!f)
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {FieldName}, FDataSet);
    return f;
}

TField* TFields::FieldByNumber(int FieldNo) const
{
    for (TField* f : FList)
        if (f->FFieldNo == FieldNo)
            return f;
    return nullptr;
}

int TFields::IndexOf(TField* Field) const
{
    auto it = std::find(FList.begin(), FList.end(), Field);
    return it == FList.end() ? -1 : int(it - FList.begin());
}

void TFields::GetFieldNames(QStringList& List) const
{
    for (TField* f : FList)
        List << f->FFieldName;
}

void TFields::SetFieldIndex(TField* Field, int Value)
{
    int cur = IndexOf(Field);
    if (cur < 0)
        return;
    Value = std::clamp(Value, 0, int(FList.size()) - 1);
    if (cur == Value)
        return;
    FList.erase(FList.begin() + cur);
    FList.insert(FList.begin() + Value, Field);
    if (FDataSet)
        FDataSet->DataEvent(deFieldListChange, 0);
}

int TFieldList::Count() const { return FDataSet->Fields()->Count(); }
TField* TFieldList::Fields(int Index) const { return FDataSet->Fields()->Fields(Index); }
TField* TFieldList::Find(const QString& Name) const { return FDataSet->Fields()->FindField(Name); }
TField* TFieldList::FieldByName(const QString& Name) const { return FDataSet->Fields()->FieldByName(Name); }
