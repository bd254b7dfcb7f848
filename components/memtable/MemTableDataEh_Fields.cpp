// Field classes of the data structure: properties, data types, variant types of the values
// and the routines by which values are cast into record slots.
#include "MemTableDataEh.h"

#include <QUuid>

// ---------------------------------------------------------------- value converters

bool VarIsByteArrayEh(const Variant& v)
{
    return v.VarType() == varByteArrayEh;
}

void CastToFieldVarTypeEh(Variant& Dest, const Variant& Source, TVarType VarType)
{
    const TVarType st = Source.VarType();
    if (st == varNull || st == varEmpty || VarType == varVariant || st == VarType) {
        Dest = Source;
        return;
    }
    if (VarType == varString && VarIsByteArrayEh(Source)) {
        ByteArrayToVarEh(Source, Dest, varString);
        return;
    }
    if (VarType == varByteArrayEh) {
        Variant r;
        VarToByteArrayEh(Source, r);
        if (r.IsEmpty())
            throw EVariantTypeCastError(QStringLiteral("Could not convert variant of type (%s) into type (%s)"),
                                        {VarTypeAsText(st), VarTypeAsText(VarType)});
        Dest = r;
        return;
    }
    Dest = VarAsType(Source, VarType);
}

void VarToByteArrayEh(const Variant& Value, Variant& Result)
{
    if (VarIsByteArrayEh(Value)) {
        Result = Value;
        return;
    }
    if (Value.VarType() == varString) {
        const QByteArray bytes = UnicodeToCP1251(Value.AsString());
        Variant a = VarArrayCreate(0, int(bytes.size()) - 1, varByte);
        for (int i = 0; i < bytes.size(); ++i)
            a.SetElement(i, Variant::FromByte(uint8_t(bytes[i])));
        Result = a;
        return;
    }
    Result = Variant();
}

void ByteArrayToVarEh(const Variant& Bytes, Variant& Result, TVarType VarType)
{
    if (VarType == varByteArrayEh) {
        Result = Bytes;
        return;
    }
    if (VarType == varString) {
        QByteArray b;
        if (Bytes.IsArray()) {
            const int lo = Bytes.ArrayLowBound(), hi = Bytes.ArrayHighBound();
            b.reserve(hi - lo + 1);
            for (int i = lo; i <= hi; ++i)
                b.append(char(Bytes.GetElement(i).AsInteger()));
        }
        Result = Variant::FromString(CP1251ToUnicode(b));
    }
}

namespace {
bool IsStringField(TMTDataFieldEh* f)
{
    return dynamic_cast<TMTStringDataFieldEh*>(f) != nullptr;
}
}

Variant ConvertRestructValueEh(TMTDataFieldEh* OldField, const Variant& Value, TMTDataFieldEh* NewField)
{
    Variant r;
    try {
        CastToFieldVarTypeEh(r, Value, NewField->VarDataType());
    } catch (const EVariantError&) {
        return Variant::Null();
    } catch (const EConvertError&) {
        return Variant::Null();
    }
    if (r.IsNull() || r.IsEmpty())
        return r;
    if (IsStringField(NewField) && (!IsStringField(OldField) || NewField->GetSize() < OldField->GetSize())) {
        const int n = NewField->GetSize();
        const QString s = r.AsString();
        if (s.size() > n) {
            if (r.VarType() == varOleStr)
                r = Variant::FromOleStr(s.left(n));
            else if (r.VarType() == varString)
                r = Variant::FromString(s.left(n));
            else
                r = Variant(s.left(n));
        }
    }
    return r;
}

TVarType DataTypeToVarTypeEh(TFieldType DataType)
{
    // The store keeps no single-precision slot: such a field has no variant type here.
    // An object reference keeps its full width (never a 32-bit integer).
    if (DataType == ftUnknown)
        return varObject;
    return DataType == ftSingle ? varEmpty : FieldTypeVarType(DataType);
}

TMTDataFieldClassEh DefaultDataFieldClassForType(TFieldType DataType)
{
    switch (DataType) {
    case ftUnknown: return &TMTRefObjectFieldEh::StaticClassInfo();
    case ftString: case ftFixedChar: case ftWideString: case ftGuid: case ftFixedWideChar: case ftOraInterval:
        return &TMTStringDataFieldEh::StaticClassInfo();
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftAutoInc:
    case ftLargeint: case ftFMTBcd: case ftLongWord: case ftShortint: case ftByte: case ftExtended:
        return &TMTNumericDataFieldEh::StaticClassInfo();
    case ftBoolean: return &TMTBooleanDataFieldEh::StaticClassInfo();
    case ftDate: case ftTime: case ftDateTime: return &TMTDateTimeDataFieldEh::StaticClassInfo();
    case ftBytes: case ftVarBytes: case ftVariant: return &TMTVariantDataFieldEh::StaticClassInfo();
    case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
    case ftOraBlob: case ftOraClob: case ftWideMemo:
        return &TMTBlobDataFieldEh::StaticClassInfo();
    case ftInterface: case ftIDispatch: return &TMTInterfaceDataFieldEh::StaticClassInfo();
    case ftTimeStamp: case ftOraTimeStamp: return &TMTSQLTimeStampDataFieldEh::StaticClassInfo();
    default: return nullptr;
    }
}

// ---------------------------------------------------------------- TMTDataFieldEh

DOV_PUBLISHED(TMTDataFieldEh)
{
    P.Prop("FieldName", &TMTDataFieldEh::FieldNameProp, &TMTDataFieldEh::SetFieldNameProp);
}

TMTDataFieldEh::TMTDataFieldEh(TComponent* AOwner) : TComponent(AOwner)
{
    FGUID = QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

// The variant type comes from the most derived class's answer.
void TMTDataFieldEh::AfterConstruction()
{
    TComponent::AfterConstruction();
    UpdateVarDataType();
}

TMTDataFieldEh::~TMTDataFieldEh()
{
    if (FDataStruct)
        FDataStruct->RemoveField(this);
}

TVarType TMTDataFieldEh::GetVarDataType() const
{
    return DataTypeToVarTypeEh(GetDataType());
}

void TMTDataFieldEh::SetDataStruct(TMTDataStructEh* Value)
{
    if (Value == FDataStruct)
        return;
    if (FDataStruct)
        FDataStruct->RemoveField(this);
    if (Value)
        Value->InsertField(this);
}

int TMTDataFieldEh::Index() const
{
    if (!FDataStruct)
        return -1;
    const auto& l = FDataStruct->FList;
    const auto it = std::find(l.begin(), l.end(), this);
    return it == l.end() ? -1 : int(it - l.begin());
}

void TMTDataFieldEh::SetIndex(int Value)
{
    if (FDataStruct)
        FDataStruct->MoveField(this, Value);
}

void TMTDataFieldEh::Changed()
{
    if (FDataStruct && FDataStruct->FUpdateCount == 0)
        FDataStruct->StructChanged();
}

#define DOV_SETTER(Name, Type, Member)                   \
    void TMTDataFieldEh::Set##Name(Type Value)           \
    {                                                    \
        if (Member == Value)                             \
            return;                                      \
        Member = Value;                                  \
        Changed();                                       \
    }
DOV_SETTER(Alignment, TAlignment, FAlignment)
DOV_SETTER(AutoIncrement, bool, FAutoIncrement)
DOV_SETTER(DefaultExpression, const QString&, FDefaultExpression)
DOV_SETTER(DisplayLabel, const QString&, FDisplayLabel)
DOV_SETTER(DisplayWidth, int, FDisplayWidth)
DOV_SETTER(EditMask, const QString&, FEditMask)
DOV_SETTER(ReadOnly, bool, FReadOnly)
DOV_SETTER(Required, bool, FRequired)
DOV_SETTER(Visible, bool, FVisible)
#undef DOV_SETTER

void TMTDataFieldEh::SetSize(int Value)
{
    if (!CanDinaSize())
        DatabaseError(QStringLiteral("Invalid field size"));
    if (FSize == Value)
        return;
    FSize = Value;
    Changed();
}

QString TMTDataFieldEh::MakeComponentName(const QString& FieldName) const
{
    auto clean = [](const QString& s) {
        QString r;
        for (QChar c : s) {
            const char16_t u = c.unicode();
            if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_')
                r += c;
        }
        return r;
    };
    QString base = clean(FieldName);
    if (base.isEmpty() || base[0].isDigit())
        base = clean(ClassName().mid(1) + base);
    for (int n = 1;; ++n) {
        const QString candidate = n == 1 ? base : base + QString::number(n);
        bool taken = false;
        if (FDataStruct)
            for (TMTDataFieldEh* f : FDataStruct->FList)
                if (f != this && AnsiSameText(f->Name(), candidate)) {
                    taken = true;
                    break;
                }
        if (!taken)
            return candidate;
    }
}

void TMTDataFieldEh::SetFieldName(const QString& Value)
{
    if (Value == FFieldName)
        return;
    if (FDataStruct && !AnsiSameText(Value, FFieldName))
        FDataStruct->CheckFieldName(Value);
    FFieldName = Value;
    if (!ComponentState().Contains(csReading))
        SetName(MakeComponentName(Value));
    Changed();
}

TComponent* TMTDataFieldEh::GetParentComponent() const
{
    return FDataStruct;
}

void TMTDataFieldEh::SetParentComponent(TComponent* Value)
{
    auto* s = dynamic_cast<TMTDataStructEh*>(Value);
    if (ComponentState().Contains(csLoading)) {
        if (s)
            SetDataStruct(s);
    } else {
        FDataStruct = s;
    }
}

void TMTDataFieldEh::CopyBaseProps(TMTDataFieldEh* Source)
{
    SetFieldName(Source->GetFieldName());
    if (CanDinaSize() && Source->CanDinaSize())
        SetSize(Source->GetSize());
    SetAlignment(Source->GetAlignment());
    SetDefaultExpression(Source->GetDefaultExpression());
    SetDisplayLabel(Source->GetDisplayLabel());
    SetDisplayWidth(Source->FDisplayWidth);
    SetEditMask(Source->GetEditMask());
    SetRequired(Source->GetRequired());
    SetVisible(Source->GetVisible());
    SetAutoIncrement(Source->GetAutoIncrement());
}

void TMTDataFieldEh::Assign(TPersistent* Source)
{
    if (auto* f = dynamic_cast<TMTDataFieldEh*>(Source)) {
        CopyBaseProps(f);
        return;
    }
    TComponent::Assign(Source);
}

void TMTDataFieldEh::AssignDataType(TFieldType)
{
    DatabaseError(QStringLiteral("Can't assign DataType from Field"));
}

namespace {
[[noreturn]] void CantAssignType()
{
    DatabaseError(QStringLiteral("Can not assign DataType from Field"));
}
}

// ---------------------------------------------------------------- string

DOV_PUBLISHED(TMTStringDataFieldEh)
{
    P.Prop("StringDataType", &TMTStringDataFieldEh::StringDataType, &TMTStringDataFieldEh::SetStringDataType);
    P.Prop("Alignment", &TMTDataFieldEh::GetAlignment, &TMTDataFieldEh::SetAlignment).Default(taLeftJustify);
    P.Prop("DefaultExpression", &TMTDataFieldEh::GetDefaultExpression, &TMTDataFieldEh::SetDefaultExpression);
    P.Prop("DisplayLabel", &TMTDataFieldEh::GetDisplayLabel, &TMTDataFieldEh::SetDisplayLabel);
    P.Prop("DisplayWidth", &TMTDataFieldEh::DisplayWidthProp, &TMTDataFieldEh::SetDisplayWidth)
        .Stored(&TMTDataFieldEh::IsDisplayWidthStored);
    P.Prop("EditMask", &TMTDataFieldEh::GetEditMask, &TMTDataFieldEh::SetEditMask);
    P.Prop("Required", &TMTDataFieldEh::GetRequired, &TMTDataFieldEh::SetRequired).Default(false);
    P.Prop("Visible", &TMTDataFieldEh::GetVisible, &TMTDataFieldEh::SetVisible).Default(true);
    P.Prop("FixedChar", &TMTStringDataFieldEh::FixedChar, &TMTStringDataFieldEh::SetFixedChar).Default(false);
    P.Prop("Size", &TMTDataFieldEh::GetSize, &TMTDataFieldEh::SetSize).Default(20);
    P.Prop("Transliterate", &TMTStringDataFieldEh::Transliterate, &TMTStringDataFieldEh::SetTransliterate).Default(false);
}

TMTStringDataFieldEh::TMTStringDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
    FSize = 20;
}

TFieldType TMTStringDataFieldEh::GetDataType() const
{
    static const TFieldType map[] = {ftString, ftFixedChar, ftWideString, ftGuid, ftFixedWideChar, ftOraInterval};
    return map[FStringDataType];
}

void TMTStringDataFieldEh::SetStringDataType(TMTStringDataTypeEh v)
{
    if (v == FStringDataType)
        return;
    FStringDataType = v;
    UpdateVarDataType();
    Changed();
}

void TMTStringDataFieldEh::SetFixedChar(bool v)
{
    if (v != FFixedChar) { FFixedChar = v; Changed(); }
}

void TMTStringDataFieldEh::SetTransliterate(bool v)
{
    if (v != FTransliterate) { FTransliterate = v; Changed(); }
}

void TMTStringDataFieldEh::AssignDataType(TFieldType FieldType)
{
    switch (FieldType) {
    case ftString: SetStringDataType(fdtStringEh); break;
    case ftFixedChar: SetStringDataType(fdtFixedCharEh); break;
    case ftWideString: SetStringDataType(fdtWideStringEh); break;
    case ftGuid: SetStringDataType(fdtGuidEh); break;
    case ftFixedWideChar: SetStringDataType(fdtFixedWideCharEh); break;
    case ftOraInterval: SetStringDataType(fdtOraIntervalEh); break;
    default: CantAssignType();
    }
}

void TMTStringDataFieldEh::Assign(TPersistent* Source)
{
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTStringDataFieldEh*>(Source)) {
        SetStringDataType(s->FStringDataType);
        SetFixedChar(s->FFixedChar);
        SetTransliterate(s->FTransliterate);
    }
}

// ---------------------------------------------------------------- numeric

DOV_PUBLISHED(TMTNumericDataFieldEh)
{
    P.Prop("NumericDataType", &TMTNumericDataFieldEh::NumericDataType, &TMTNumericDataFieldEh::SetNumericDataType);
    P.Prop("AutoIncrement", &TMTDataFieldEh::GetAutoIncrement, &TMTDataFieldEh::SetAutoIncrement);
    P.Prop("Alignment", &TMTDataFieldEh::GetAlignment, &TMTDataFieldEh::SetAlignment).Default(taRightJustify);
    P.Prop("DefaultExpression", &TMTDataFieldEh::GetDefaultExpression, &TMTDataFieldEh::SetDefaultExpression);
    P.Prop("DisplayLabel", &TMTDataFieldEh::GetDisplayLabel, &TMTDataFieldEh::SetDisplayLabel);
    P.Prop("DisplayWidth", &TMTDataFieldEh::DisplayWidthProp, &TMTDataFieldEh::SetDisplayWidth)
        .Stored(&TMTDataFieldEh::IsDisplayWidthStored);
    P.Prop("EditMask", &TMTDataFieldEh::GetEditMask, &TMTDataFieldEh::SetEditMask);
    P.Prop("Required", &TMTDataFieldEh::GetRequired, &TMTDataFieldEh::SetRequired).Default(false);
    P.Prop("Visible", &TMTDataFieldEh::GetVisible, &TMTDataFieldEh::SetVisible).Default(true);
    P.Prop("DisplayFormat", &TMTNumericDataFieldEh::DisplayFormat, &TMTNumericDataFieldEh::SetDisplayFormat);
    P.Prop("EditFormat", &TMTNumericDataFieldEh::EditFormat, &TMTNumericDataFieldEh::SetEditFormat);
    P.Prop("currency", &TMTNumericDataFieldEh::IsCurrency, &TMTNumericDataFieldEh::SetCurrency);
    P.Prop("MaxValue", &TMTNumericDataFieldEh::MaxValue, &TMTNumericDataFieldEh::SetMaxValue);
    P.Prop("MinValue", &TMTNumericDataFieldEh::MinValue, &TMTNumericDataFieldEh::SetMinValue);
    P.Prop("Precision", &TMTNumericDataFieldEh::Precision, &TMTNumericDataFieldEh::SetPrecision);
    P.Prop("Scale", &TMTNumericDataFieldEh::Scale, &TMTNumericDataFieldEh::SetScale)
        .Stored(&TMTNumericDataFieldEh::IsScaleStored);
}

TMTNumericDataFieldEh::TMTNumericDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
    FAlignment = taRightJustify;
}

TFieldType TMTNumericDataFieldEh::GetDataType() const
{
    static const TFieldType map[] = {ftSmallint, ftInteger, ftWord, ftFloat, ftCurrency, ftBCD, ftAutoInc,
                                     ftLargeint, ftFMTBcd, ftLongWord, ftShortint, ftByte, ftExtended};
    return map[FNumericDataType];
}

int TMTNumericDataFieldEh::GetDefaultWidth() const
{
    if (FNumericDataType == fdtLargeintEh)
        return 15;
    if ((FNumericDataType == fdtBCDEh || FNumericDataType == fdtFMTBcdEh) && FPrecision > 0)
        return FPrecision + 1;
    return 10;
}

void TMTNumericDataFieldEh::SetNumericDataType(TMTNumericDataTypeEh v)
{
    if (v == FNumericDataType)
        return;
    FNumericDataType = v;
    UpdateVarDataType();
    Changed();
}

#define DOV_NSETTER(Name, Type, Member)                       \
    void TMTNumericDataFieldEh::Set##Name(Type v)             \
    {                                                         \
        if (Member == v)                                      \
            return;                                           \
        Member = v;                                           \
        Changed();                                            \
    }
DOV_NSETTER(DisplayFormat, const QString&, FDisplayFormat)
DOV_NSETTER(EditFormat, const QString&, FEditFormat)
DOV_NSETTER(Currency, bool, FCurrency)
DOV_NSETTER(MaxValue, double, FMaxValue)
DOV_NSETTER(MinValue, double, FMinValue)
DOV_NSETTER(Precision, int, FPrecision)
#undef DOV_NSETTER

void TMTNumericDataFieldEh::AssignDataType(TFieldType FieldType)
{
    static const TFieldType map[] = {ftSmallint, ftInteger, ftWord, ftFloat, ftCurrency, ftBCD, ftAutoInc,
                                     ftLargeint, ftFMTBcd, ftLongWord, ftShortint, ftByte, ftExtended};
    for (int i = 0; i < 13; ++i)
        if (map[i] == FieldType) {
            SetNumericDataType(TMTNumericDataTypeEh(i));
            return;
        }
    CantAssignType();
}

void TMTNumericDataFieldEh::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TMTNumericDataFieldEh*>(Source);
    if (s)
        SetNumericDataType(s->FNumericDataType);   // first, so that Scale is sizable
    TMTDataFieldEh::Assign(Source);
    if (s) {
        SetDisplayFormat(s->FDisplayFormat);
        SetEditFormat(s->FEditFormat);
        SetCurrency(s->FCurrency);
        SetMaxValue(s->FMaxValue);
        SetMinValue(s->FMinValue);
        SetPrecision(s->FPrecision);
        if (CanDinaSize())
            SetScale(s->Scale());
    }
}

// ---------------------------------------------------------------- date/time

DOV_PUBLISHED(TMTDateTimeDataFieldEh)
{
    P.Prop("DateTimeDataType", &TMTDateTimeDataFieldEh::DateTimeDataType, &TMTDateTimeDataFieldEh::SetDateTimeDataType);
    P.Prop("Alignment", &TMTDataFieldEh::GetAlignment, &TMTDataFieldEh::SetAlignment).Default(taLeftJustify);
    P.Prop("DefaultExpression", &TMTDataFieldEh::GetDefaultExpression, &TMTDataFieldEh::SetDefaultExpression);
    P.Prop("DisplayLabel", &TMTDataFieldEh::GetDisplayLabel, &TMTDataFieldEh::SetDisplayLabel);
    P.Prop("DisplayWidth", &TMTDataFieldEh::DisplayWidthProp, &TMTDataFieldEh::SetDisplayWidth)
        .Stored(&TMTDataFieldEh::IsDisplayWidthStored);
    P.Prop("EditMask", &TMTDataFieldEh::GetEditMask, &TMTDataFieldEh::SetEditMask);
    P.Prop("Required", &TMTDataFieldEh::GetRequired, &TMTDataFieldEh::SetRequired).Default(false);
    P.Prop("Visible", &TMTDataFieldEh::GetVisible, &TMTDataFieldEh::SetVisible).Default(true);
    P.Prop("DisplayFormat", &TMTDateTimeDataFieldEh::DisplayFormat, &TMTDateTimeDataFieldEh::SetDisplayFormat);
}

TMTDateTimeDataFieldEh::TMTDateTimeDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
}

TFieldType TMTDateTimeDataFieldEh::GetDataType() const
{
    static const TFieldType map[] = {ftDate, ftTime, ftDateTime};
    return map[FDateTimeDataType];
}

void TMTDateTimeDataFieldEh::SetDateTimeDataType(TMTDateTimeDataTypeEh v)
{
    if (v == FDateTimeDataType)
        return;
    FDateTimeDataType = v;
    UpdateVarDataType();
    Changed();
}

void TMTDateTimeDataFieldEh::SetDisplayFormat(const QString& v)
{
    if (v != FDisplayFormat) { FDisplayFormat = v; Changed(); }
}

void TMTDateTimeDataFieldEh::AssignDataType(TFieldType FieldType)
{
    switch (FieldType) {
    case ftDate: SetDateTimeDataType(fdtDateEh); break;
    case ftTime: SetDateTimeDataType(fdtTimeEh); break;
    case ftDateTime: SetDateTimeDataType(fdtDateTimeEh); break;
    default: CantAssignType();
    }
}

void TMTDateTimeDataFieldEh::Assign(TPersistent* Source)
{
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTDateTimeDataFieldEh*>(Source)) {
        SetDateTimeDataType(s->FDateTimeDataType);
        SetDisplayFormat(s->FDisplayFormat);
    }
}

// ---------------------------------------------------------------- blob

DOV_PUBLISHED(TMTBlobDataFieldEh)
{
    P.Prop("Alignment", &TMTDataFieldEh::GetAlignment, &TMTDataFieldEh::SetAlignment).Default(taLeftJustify);
    P.Prop("DefaultExpression", &TMTDataFieldEh::GetDefaultExpression, &TMTDataFieldEh::SetDefaultExpression);
    P.Prop("DisplayLabel", &TMTDataFieldEh::GetDisplayLabel, &TMTDataFieldEh::SetDisplayLabel);
    P.Prop("DisplayWidth", &TMTDataFieldEh::DisplayWidthProp, &TMTDataFieldEh::SetDisplayWidth)
        .Stored(&TMTDataFieldEh::IsDisplayWidthStored);
    P.Prop("EditMask", &TMTDataFieldEh::GetEditMask, &TMTDataFieldEh::SetEditMask);
    P.Prop("Required", &TMTDataFieldEh::GetRequired, &TMTDataFieldEh::SetRequired).Default(false);
    P.Prop("Visible", &TMTDataFieldEh::GetVisible, &TMTDataFieldEh::SetVisible).Default(true);
    P.Prop("BlobType", &TMTBlobDataFieldEh::BlobType, &TMTBlobDataFieldEh::SetBlobType);
    P.Prop("GraphicHeader", &TMTBlobDataFieldEh::GraphicHeader, &TMTBlobDataFieldEh::SetGraphicHeader);
    P.Prop("Transliterate", &TMTBlobDataFieldEh::Transliterate, &TMTBlobDataFieldEh::SetTransliterate);
}

TMTBlobDataFieldEh::TMTBlobDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
}

void TMTBlobDataFieldEh::SetBlobType(TBlobType v)
{
    if (v == FBlobType)
        return;
    FBlobType = v;
    UpdateVarDataType();
    Changed();
}

void TMTBlobDataFieldEh::SetGraphicHeader(bool v)
{
    if (v != FGraphicHeader) { FGraphicHeader = v; Changed(); }
}

void TMTBlobDataFieldEh::SetTransliterate(bool v)
{
    if (v != FTransliterate) { FTransliterate = v; Changed(); }
}

void TMTBlobDataFieldEh::AssignDataType(TFieldType FieldType)
{
    if (FieldType > ftAutoInc && FieldType < ftOraTimeStamp)
        SetBlobType(FieldType);
}

void TMTBlobDataFieldEh::Assign(TPersistent* Source)
{
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTBlobDataFieldEh*>(Source)) {
        SetBlobType(s->FBlobType);
        SetGraphicHeader(s->FGraphicHeader);
        SetTransliterate(s->FTransliterate);
    }
}

// ---------------------------------------------------------------- Boolean

DOV_PUBLISHED(TMTBooleanDataFieldEh)
{
    P.Prop("Alignment", &TMTDataFieldEh::GetAlignment, &TMTDataFieldEh::SetAlignment).Default(taLeftJustify);
    P.Prop("DefaultExpression", &TMTDataFieldEh::GetDefaultExpression, &TMTDataFieldEh::SetDefaultExpression);
    P.Prop("DisplayLabel", &TMTDataFieldEh::GetDisplayLabel, &TMTDataFieldEh::SetDisplayLabel);
    P.Prop("DisplayWidth", &TMTDataFieldEh::DisplayWidthProp, &TMTDataFieldEh::SetDisplayWidth)
        .Stored(&TMTDataFieldEh::IsDisplayWidthStored);
    P.Prop("EditMask", &TMTDataFieldEh::GetEditMask, &TMTDataFieldEh::SetEditMask);
    P.Prop("Required", &TMTDataFieldEh::GetRequired, &TMTDataFieldEh::SetRequired).Default(false);
    P.Prop("Visible", &TMTDataFieldEh::GetVisible, &TMTDataFieldEh::SetVisible).Default(true);
    P.Prop("DisplayValues", &TMTBooleanDataFieldEh::DisplayValues, &TMTBooleanDataFieldEh::SetDisplayValues);
}

TMTBooleanDataFieldEh::TMTBooleanDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
}

int TMTBooleanDataFieldEh::GetDefaultWidth() const
{
    return int(std::max(QStringLiteral("True").size(), QStringLiteral("False").size()));
}

void TMTBooleanDataFieldEh::SetDisplayValues(const QString& v)
{
    if (v != FDisplayValues) { FDisplayValues = v; Changed(); }
}

void TMTBooleanDataFieldEh::Assign(TPersistent* Source)
{
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTBooleanDataFieldEh*>(Source))
        SetDisplayValues(s->FDisplayValues);
}

// ---------------------------------------------------------------- interface

DOV_PUBLISHED(TMTInterfaceDataFieldEh)
{
    P.Prop("Alignment", &TMTDataFieldEh::GetAlignment, &TMTDataFieldEh::SetAlignment).Default(taLeftJustify);
    P.Prop("DefaultExpression", &TMTDataFieldEh::GetDefaultExpression, &TMTDataFieldEh::SetDefaultExpression);
    P.Prop("DisplayLabel", &TMTDataFieldEh::GetDisplayLabel, &TMTDataFieldEh::SetDisplayLabel);
    P.Prop("DisplayWidth", &TMTDataFieldEh::DisplayWidthProp, &TMTDataFieldEh::SetDisplayWidth)
        .Stored(&TMTDataFieldEh::IsDisplayWidthStored);
    P.Prop("InterfaceDataType", &TMTInterfaceDataFieldEh::InterfaceDataType, &TMTInterfaceDataFieldEh::SetInterfaceDataType);
    P.Prop("Required", &TMTDataFieldEh::GetRequired, &TMTDataFieldEh::SetRequired).Default(false);
    P.Prop("Visible", &TMTDataFieldEh::GetVisible, &TMTDataFieldEh::SetVisible).Default(true);
}

TMTInterfaceDataFieldEh::TMTInterfaceDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
}

void TMTInterfaceDataFieldEh::SetInterfaceDataType(TMTInterfaceDataTypeEh v)
{
    if (v == FInterfaceDataType)
        return;
    FInterfaceDataType = v;
    UpdateVarDataType();
    Changed();
}

void TMTInterfaceDataFieldEh::AssignDataType(TFieldType FieldType)
{
    if (FieldType == ftInterface)
        SetInterfaceDataType(fdtInterfaceEh);
    else if (FieldType == ftIDispatch)
        SetInterfaceDataType(fdtIDispatchEh);
    else
        CantAssignType();
}

// ---------------------------------------------------------------- variant

DOV_PUBLISHED(TMTVariantDataFieldEh)
{
    P.Prop("Alignment", &TMTDataFieldEh::GetAlignment, &TMTDataFieldEh::SetAlignment).Default(taLeftJustify);
    P.Prop("DefaultExpression", &TMTDataFieldEh::GetDefaultExpression, &TMTDataFieldEh::SetDefaultExpression);
    P.Prop("DisplayLabel", &TMTDataFieldEh::GetDisplayLabel, &TMTDataFieldEh::SetDisplayLabel);
    P.Prop("DisplayWidth", &TMTDataFieldEh::DisplayWidthProp, &TMTDataFieldEh::SetDisplayWidth)
        .Stored(&TMTDataFieldEh::IsDisplayWidthStored);
    P.Prop("VariantDataType", &TMTVariantDataFieldEh::VariantDataType, &TMTVariantDataFieldEh::SetVariantDataType);
    P.Prop("Required", &TMTDataFieldEh::GetRequired, &TMTDataFieldEh::SetRequired).Default(false);
    P.Prop("Size", &TMTDataFieldEh::GetSize, &TMTDataFieldEh::SetSize).Stored(&TMTVariantDataFieldEh::IsSizeStored);
    P.Prop("Visible", &TMTDataFieldEh::GetVisible, &TMTDataFieldEh::SetVisible).Default(true);
}

TMTVariantDataFieldEh::TMTVariantDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
}

TFieldType TMTVariantDataFieldEh::GetDataType() const
{
    static const TFieldType map[] = {ftVariant, ftBytes, ftVarBytes};
    return map[FVariantDataType];
}

void TMTVariantDataFieldEh::SetVariantDataType(TMTVariantDataTypeEh v)
{
    if (v == FVariantDataType)
        return;
    FVariantDataType = v;
    UpdateVarDataType();
    Changed();
}

void TMTVariantDataFieldEh::AssignDataType(TFieldType FieldType)
{
    switch (FieldType) {
    case ftVariant: SetVariantDataType(fdtVariant); break;
    case ftBytes: SetVariantDataType(fdtBytes); break;
    case ftVarBytes: SetVariantDataType(fdtVarBytes); break;
    default: CantAssignType();
    }
}

// ---------------------------------------------------------------- object reference

DOV_PUBLISHED(TMTRefObjectFieldEh)
{
    P.Prop("Alignment", &TMTDataFieldEh::GetAlignment, &TMTDataFieldEh::SetAlignment).Default(taLeftJustify);
    P.Prop("DisplayLabel", &TMTDataFieldEh::GetDisplayLabel, &TMTDataFieldEh::SetDisplayLabel);
    P.Prop("DisplayWidth", &TMTDataFieldEh::DisplayWidthProp, &TMTDataFieldEh::SetDisplayWidth)
        .Stored(&TMTDataFieldEh::IsDisplayWidthStored);
    P.Prop("Required", &TMTDataFieldEh::GetRequired, &TMTDataFieldEh::SetRequired).Default(false);
    P.Prop("Visible", &TMTDataFieldEh::GetVisible, &TMTDataFieldEh::SetVisible).Default(true);
}

TMTRefObjectFieldEh::TMTRefObjectFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
}

void TMTRefObjectFieldEh::AssignDataType(TFieldType FieldType)
{
    if (FieldType != ftUnknown)
        CantAssignType();
}

// ---------------------------------------------------------------- SQL time stamp

DOV_PUBLISHED(TMTSQLTimeStampDataFieldEh)
{
    P.Prop("SQLTimeStampDataFieldType", &TMTSQLTimeStampDataFieldEh::SQLTimeStampDataFieldType,
           &TMTSQLTimeStampDataFieldEh::SetSQLTimeStampDataFieldType);
    P.Prop("Alignment", &TMTDataFieldEh::GetAlignment, &TMTDataFieldEh::SetAlignment).Default(taLeftJustify);
    P.Prop("DefaultExpression", &TMTDataFieldEh::GetDefaultExpression, &TMTDataFieldEh::SetDefaultExpression);
    P.Prop("DisplayLabel", &TMTDataFieldEh::GetDisplayLabel, &TMTDataFieldEh::SetDisplayLabel);
    P.Prop("DisplayWidth", &TMTDataFieldEh::DisplayWidthProp, &TMTDataFieldEh::SetDisplayWidth)
        .Stored(&TMTDataFieldEh::IsDisplayWidthStored);
    P.Prop("EditMask", &TMTDataFieldEh::GetEditMask, &TMTDataFieldEh::SetEditMask);
    P.Prop("Required", &TMTDataFieldEh::GetRequired, &TMTDataFieldEh::SetRequired).Default(false);
    P.Prop("Visible", &TMTDataFieldEh::GetVisible, &TMTDataFieldEh::SetVisible).Default(true);
    P.Prop("DisplayFormat", &TMTSQLTimeStampDataFieldEh::DisplayFormat, &TMTSQLTimeStampDataFieldEh::SetDisplayFormat);
}

TMTSQLTimeStampDataFieldEh::TMTSQLTimeStampDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
}

void TMTSQLTimeStampDataFieldEh::SetSQLTimeStampDataFieldType(TMTSQLTimeStampDataTypeEh v)
{
    if (v == FSQLTimeStampDataFieldType)
        return;
    FSQLTimeStampDataFieldType = v;
    UpdateVarDataType();
    Changed();
}

void TMTSQLTimeStampDataFieldEh::SetDisplayFormat(const QString& v)
{
    if (v != FDisplayFormat) { FDisplayFormat = v; Changed(); }
}

void TMTSQLTimeStampDataFieldEh::AssignDataType(TFieldType FieldType)
{
    if (FieldType == ftTimeStamp)
        SetSQLTimeStampDataFieldType(fdtTimeStampEh);
    else if (FieldType == ftOraTimeStamp)
        SetSQLTimeStampDataFieldType(fdtOraTimeStampEh);
    else
        CantAssignType();
}

void TMTSQLTimeStampDataFieldEh::Assign(TPersistent* Source)
{
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTSQLTimeStampDataFieldEh*>(Source)) {
        SetSQLTimeStampDataFieldType(s->FSQLTimeStampDataFieldType);
        SetDisplayFormat(s->FDisplayFormat);
    }
}
