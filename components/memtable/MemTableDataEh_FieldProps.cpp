// Copying properties between data fields and the dataset framework's field objects, and the
// registry of dataset-features objects consulted while a structure is built from fields.
#include "MemTableDataEh.h"

#include <cmath>
#include <map>

namespace {

bool Is(const TPersistent* obj, const char* className)
{
    return obj && obj->ClassInfo().InheritsFrom(QString::fromLatin1(className));
}

// Framework setters that live out of line are reached through the published properties.
void SetOrd(TPersistent* obj, const char* name, int64_t v)
{
    const QString n = QString::fromLatin1(name);
    if (const TPropInfo* p = GetPropInfo(obj, n); p && p->SetOrd)
        p->SetOrd(obj, v);
}

void SetStr(TPersistent* obj, const char* name, const QString& v)
{
    const QString n = QString::fromLatin1(name);
    if (const TPropInfo* p = GetPropInfo(obj, n); p && p->SetStr)
        p->SetStr(obj, v);
}

void SetFloat(TPersistent* obj, const char* name, double v)
{
    const QString n = QString::fromLatin1(name);
    if (const TPropInfo* p = GetPropInfo(obj, n); p && p->SetFloat)
        p->SetFloat(obj, v);
}

void SetCurr(TPersistent* obj, const char* name, Currency v)
{
    const QString n = QString::fromLatin1(name);
    if (const TPropInfo* p = GetPropInfo(obj, n); p && p->SetCurr)
        p->SetCurr(obj, v);
}

} // namespace

void TMTDataFieldEh::AssignProps(TField* Field)
{
    SetAlignment(Field->Alignment());
    SetDefaultExpression(Field->DefaultExpression());
    SetDisplayLabel(Field->GetDisplayLabelProp());
    SetDisplayWidth(Field->IsDisplayWidthStored() ? Field->DisplayWidth() : 0);
    SetEditMask(Field->EditMask());
    SetRequired(Field->Required());
    if (Field->AutoGenerateValue() == arAutoInc)
        SetAutoIncrement(true);
    if (CanDinaSize())
        SetSize(Field->Size());
    SetVisible(Field->Visible());
}

void TMTDataFieldEh::AssignPropsTo(TField* Field)
{
    SetOrd(Field, "Alignment", GetAlignment());
    Field->SetDefaultExpression(GetDefaultExpression());
    SetStr(Field, "DisplayLabel", GetDisplayLabel());
    if (FDisplayWidth > 0)
        SetOrd(Field, "DisplayWidth", FDisplayWidth);
    Field->SetEditMask(GetEditMask());
    Field->SetRequired(GetRequired());
    if (GetAutoIncrement())
        Field->SetAutoGenerateValue(arAutoInc);
    if (CanDinaSize())
        SetOrd(Field, "Size", GetSize());
    SetOrd(Field, "Visible", GetVisible());
}

void TMTStringDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (Is(Field, "TStringField")) {
        auto* f = static_cast<TStringField*>(Field);
        SetFixedChar(f->FixedChar());
        SetTransliterate(f->Transliterate());
    }
}

void TMTStringDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    if (Is(Field, "TStringField")) {
        auto* f = static_cast<TStringField*>(Field);
        f->SetFixedChar(FFixedChar);
        f->SetTransliterate(FTransliterate);
    }
}

void TMTNumericDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (Is(Field, "TNumericField")) {
        auto* n = static_cast<TNumericField*>(Field);
        SetDisplayFormat(n->DisplayFormat());
        SetEditFormat(n->EditFormat());
    }
    if (Is(Field, "TLargeintField")) {
        auto* f = static_cast<TLargeintField*>(Field);
        SetMaxValue(double(f->LargeMaxValue()));
        SetMinValue(double(f->LargeMinValue()));
    } else if (Is(Field, "TIntegerField")) {
        auto* f = static_cast<TIntegerField*>(Field);
        SetMaxValue(f->MaxValue());
        SetMinValue(f->MinValue());
    } else if (Is(Field, "TFloatField")) {
        auto* f = static_cast<TFloatField*>(Field);
        SetCurrency(f->GetCurrency());
        SetMaxValue(f->MaxValue());
        SetMinValue(f->MinValue());
        SetPrecision(f->Precision());
    } else if (Is(Field, "TFMTBCDField")) {
        auto* f = static_cast<TBCDField*>(Field);
        SetCurrency(f->GetCurrency());
        SetPrecision(f->Precision());
        if (CanDinaSize())
            SetScale(f->Size());
    } else if (Is(Field, "TBCDField")) {
        auto* f = static_cast<TBCDField*>(Field);
        SetCurrency(f->GetCurrency());
        SetMaxValue(f->MaxValue().ToDouble());
        SetMinValue(f->MinValue().ToDouble());
        SetPrecision(f->Precision());
        if (CanDinaSize())
            SetScale(f->Size());
    }
}

void TMTNumericDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    SetStr(Field, "DisplayFormat", FDisplayFormat);
    SetStr(Field, "EditFormat", FEditFormat);
    if (Is(Field, "TLargeintField")) {
        auto* f = static_cast<TLargeintField*>(Field);
        f->SetLargeMaxValue(int64_t(FMaxValue));
        f->SetLargeMinValue(int64_t(FMinValue));
    } else if (Is(Field, "TIntegerField")) {
        auto* f = static_cast<TIntegerField*>(Field);
        f->SetMaxValue(int(FMaxValue));
        f->SetMinValue(int(FMinValue));
    } else if (Is(Field, "TFloatField")) {
        auto* f = static_cast<TFloatField*>(Field);
        SetOrd(Field, "currency", FCurrency);
        f->SetMaxValue(FMaxValue);
        f->SetMinValue(FMinValue);
        SetOrd(Field, "Precision", FPrecision);
    } else if (Is(Field, "TBCDField")) {
        SetOrd(Field, "currency", FCurrency);
        SetOrd(Field, "Precision", FPrecision);
        if (!Is(Field, "TFMTBCDField")) {
            auto* f = static_cast<TBCDField*>(Field);
            f->SetMaxValue(Currency::FromRaw(int64_t(std::llround(FMaxValue * 10000))));
            f->SetMinValue(Currency::FromRaw(int64_t(std::llround(FMinValue * 10000))));
        }
    }
}

void TMTDateTimeDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (Is(Field, "TDateTimeField"))
        SetDisplayFormat(static_cast<TDateTimeField*>(Field)->DisplayFormat());
}

void TMTDateTimeDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    SetStr(Field, "DisplayFormat", FDisplayFormat);
}

void TMTSQLTimeStampDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (Is(Field, "TSQLTimeStampField"))
        SetDisplayFormat(static_cast<TSQLTimeStampField*>(Field)->DisplayFormat());
}

void TMTSQLTimeStampDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    SetStr(Field, "DisplayFormat", FDisplayFormat);
}

void TMTBlobDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (Is(Field, "TBlobField")) {
        AssignDataType(Field->DataType());
        if (const TPropInfo* p = GetPropInfo(Field, QStringLiteral("GraphicHeader")); p && p->GetOrd)
            SetGraphicHeader(p->GetOrd(Field) != 0);
        if (const TPropInfo* p = GetPropInfo(Field, QStringLiteral("Transliterate")); p && p->GetOrd)
            SetTransliterate(p->GetOrd(Field) != 0);
    }
}

void TMTBlobDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    SetOrd(Field, "BlobType", FBlobType);
    SetOrd(Field, "GraphicHeader", FGraphicHeader);
    SetOrd(Field, "Transliterate", FTransliterate);
}

void TMTBooleanDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (Is(Field, "TBooleanField"))
        SetDisplayValues(static_cast<TBooleanField*>(Field)->DisplayValues());
}

void TMTBooleanDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    SetStr(Field, "DisplayValues", FDisplayValues);
}

// ---------------------------------------------------------------- dataset features

namespace {
std::map<const TClassInfo*, TDataSetFeaturesEh*>& FeaturesRegistry()
{
    static std::map<const TClassInfo*, TDataSetFeaturesEh*> r;
    return r;
}
}

void RegisterDataSetFeaturesEh(const TClassInfo& DataSetClass, TDataSetFeaturesEh* Features)
{
    if (Features)
        FeaturesRegistry()[&DataSetClass] = Features;
    else
        FeaturesRegistry().erase(&DataSetClass);
}

TDataSetFeaturesEh* LookupDataSetFeatures(TDataSet* DataSet)
{
    if (!DataSet)
        return nullptr;
    // The nearest registered class up the inheritance chain (fewest steps).
    for (const TClassInfo* c = &DataSet->ClassInfo(); c; c = c->Parent) {
        const auto it = FeaturesRegistry().find(c);
        if (it != FeaturesRegistry().end())
            return it->second;
    }
    return nullptr;
}
