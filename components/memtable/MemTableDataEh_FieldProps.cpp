// Copying properties between data fields and the dataset framework's field objects, and the
// registry of dataset-features objects consulted while a structure is built from fields.
#include "MemTableDataEh.h"

#include <cmath>
#include <map>

namespace {
template <typename T> T* As(TField* f)
{
    return dynamic_cast<T*>(f);
}
}

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
    Field->SetAlignment(GetAlignment());
    Field->SetDefaultExpression(GetDefaultExpression());
    Field->SetDisplayLabel(GetDisplayLabel());
    if (FDisplayWidth > 0)
        Field->SetDisplayWidth(FDisplayWidth);
    Field->SetEditMask(GetEditMask());
    Field->SetRequired(GetRequired());
    if (GetAutoIncrement())
        Field->SetAutoGenerateValue(arAutoInc);
    if (CanDinaSize())
        Field->SetSize(GetSize());
    Field->SetVisible(GetVisible());
}

void TMTStringDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (auto* f = As<TStringField>(Field)) {
        SetFixedChar(f->FixedChar());
        SetTransliterate(f->Transliterate());
    }
}

void TMTStringDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* f = As<TStringField>(Field)) {
        f->SetFixedChar(FFixedChar);
        f->SetTransliterate(FTransliterate);
    }
}

void TMTNumericDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (auto* n = As<TNumericField>(Field)) {
        SetDisplayFormat(n->DisplayFormat());
        SetEditFormat(n->EditFormat());
    }
    if (auto* f = As<TLargeintField>(Field)) {
        SetMaxValue(double(f->LargeMaxValue()));
        SetMinValue(double(f->LargeMinValue()));
    } else if (auto* i = As<TIntegerField>(Field)) {
        SetMaxValue(i->MaxValue());
        SetMinValue(i->MinValue());
    } else if (auto* fl = As<TFloatField>(Field)) {
        SetCurrency(fl->GetCurrency());
        SetMaxValue(fl->MaxValue());
        SetMinValue(fl->MinValue());
        SetPrecision(fl->Precision());
    } else if (auto* fmt = As<TFMTBCDField>(Field)) {
        SetCurrency(fmt->GetCurrency());
        SetPrecision(fmt->Precision());
        if (CanDinaSize())
            SetScale(fmt->Size());
    } else if (auto* bcd = As<TBCDField>(Field)) {
        SetCurrency(bcd->GetCurrency());
        // The field keeps its limits as money; the data field as plain numbers.
        SetMaxValue(bcd->MaxValue().ToDouble());
        SetMinValue(bcd->MinValue().ToDouble());
        SetPrecision(bcd->Precision());
        if (CanDinaSize())
            SetScale(bcd->Size());
    }
}

void TMTNumericDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* n = As<TNumericField>(Field)) {
        n->SetDisplayFormat(FDisplayFormat);
        n->SetEditFormat(FEditFormat);
    }
    if (auto* f = As<TLargeintField>(Field)) {
        f->SetLargeMaxValue(int64_t(FMaxValue));
        f->SetLargeMinValue(int64_t(FMinValue));
    } else if (auto* i = As<TIntegerField>(Field)) {
        i->SetMaxValue(int(FMaxValue));
        i->SetMinValue(int(FMinValue));
    } else if (auto* fl = As<TFloatField>(Field)) {
        fl->SetCurrency(FCurrency);
        fl->SetMaxValue(FMaxValue);
        fl->SetMinValue(FMinValue);
        fl->SetPrecision(FPrecision);
    } else if (auto* bcd = As<TBCDField>(Field)) {
        bcd->SetCurrency(FCurrency);
        bcd->SetPrecision(FPrecision);
        if (!As<TFMTBCDField>(Field)) {
            bcd->SetMaxValue(Currency::FromRaw(int64_t(std::llround(FMaxValue * 10000))));
            bcd->SetMinValue(Currency::FromRaw(int64_t(std::llround(FMinValue * 10000))));
        }
    }
}

void TMTDateTimeDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (auto* f = As<TDateTimeField>(Field))
        SetDisplayFormat(f->DisplayFormat());
}

void TMTDateTimeDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* f = As<TDateTimeField>(Field))
        f->SetDisplayFormat(FDisplayFormat);
}

void TMTSQLTimeStampDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (auto* f = As<TSQLTimeStampField>(Field))
        SetDisplayFormat(f->DisplayFormat());
}

void TMTSQLTimeStampDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* f = As<TSQLTimeStampField>(Field))
        f->SetDisplayFormat(FDisplayFormat);
}

void TMTBlobDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (auto* f = As<TBlobField>(Field)) {
        AssignDataType(f->BlobType());
        SetGraphicHeader(f->GraphicHeader());
        SetTransliterate(f->Transliterate());
    }
}

void TMTBlobDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* f = As<TBlobField>(Field)) {
        f->SetGraphicHeader(FGraphicHeader);
        f->SetTransliterate(FTransliterate);
    }
}

void TMTBooleanDataFieldEh::AssignProps(TField* Field)
{
    TMTDataFieldEh::AssignProps(Field);
    if (auto* f = As<TBooleanField>(Field))
        SetDisplayValues(f->DisplayValues());
}

void TMTBooleanDataFieldEh::AssignPropsTo(TField* Field)
{
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* f = As<TBooleanField>(Field))
        f->SetDisplayValues(FDisplayValues);
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
