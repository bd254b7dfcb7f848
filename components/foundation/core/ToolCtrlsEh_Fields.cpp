#include "ToolCtrlsEh_Core.h"

#include "platform/db/DB.h"

namespace {

QString NumericDisplayFormat(const TField* f)
{
    const auto* n = dynamic_cast<const TNumericField*>(f);
    return n ? n->DisplayFormat() : QString();
}

}  // namespace

QString FormatVariantByField(const Variant& Value, TField* Field, const QString& Format)
{
    if (Value.IsEmpty() || Value.IsNull())
        return QString();
    const bool hasFormat = !Format.isEmpty();
    switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc: {
        if (hasFormat)
            return FormatFloat(Format, Value.AsDouble());
        const QString df = NumericDisplayFormat(Field);
        return df.isEmpty() ? IntToStr(Value.AsInt64()) : FormatFloat(df, Value.AsDouble());
    }
    case ftFloat:
    case ftCurrency: {
        if (hasFormat)
            return FormatFloat(Format, Value.AsDouble());
        const QString df = NumericDisplayFormat(Field);
        if (!df.isEmpty())
            return FormatFloat(df, Value.AsDouble());
        const auto* ff = dynamic_cast<const TFloatField*>(Field);
        const int precision = ff ? ff->Precision() : 15;
        if (ff && ff->GetCurrency())
            return FloatToStrF(Value.AsDouble(), ffCurrency, precision, FormatSettings.CurrencyDecimals);
        return FloatToStrF(Value.AsDouble(), ffGeneral, precision, 0);
    }
    case ftBCD:
    case ftFMTBcd: {
        if (hasFormat)
            return FormatFloat(Format, Value.AsDouble());
        const QString df = NumericDisplayFormat(Field);
        if (!df.isEmpty())
            return FormatCurr(df, Value.AsCurrency());
        const auto* bf = dynamic_cast<const TBCDField*>(Field);
        if (bf && bf->GetCurrency())
            return CurrToStrF(Value.AsCurrency(), ffCurrency, FormatSettings.CurrencyDecimals);
        return CurrToStrF(Value.AsCurrency(), ffGeneral, 0);
    }
    case ftDate:
    case ftTime:
    case ftDateTime: {
        QString text;
        QString fmt = Format;
        if (!hasFormat) {
            if (Field->DataType() == ftDate)
                fmt = FormatSettings.ShortDateFormat;
            else if (Field->DataType() == ftTime)
                fmt = FormatSettings.LongTimeFormat;
        }
        DateTimeToString(text, fmt, Value.AsDateTime());
        return text;
    }
    default:
        return VarToStr(Value);
    }
}

void FormatVariantByField(const Variant& Value, TField* Field, const QString& Format, QString& Text)
{
    Text = FormatVariantByField(Value, Field, Format);
}

bool FieldsCanModify(const std::vector<TField*>& Fields)
{
    for (const TField* f : Fields)
        if (!f->CanModify())
            return false;
    return true;
}

bool FieldsArrayCanModify(const TFieldsArrEh& Fields)
{
    return FieldsCanModify(Fields);
}

// ---------------------------------------------------------------- field-name lists

void AddFieldsByNames(TFieldsArrEh* List, TDataSet* DataSet, TComponent* Component, const QString& FieldNames)
{
    // Every name is resolved first, so an unknown one leaves the caller's list as it was.
    TFieldsArrEh found;
    for (const QString& name : SplitFieldNames(FieldNames)) {
        TField* f = DataSet->FindField(name);
        if (!f)
            DatabaseErrorFmt(QStringLiteral("Field '%s' not found"), {name}, Component);
        found.push_back(f);
    }
    if (List)
        List->insert(List->end(), found.begin(), found.end());
}

TFieldsArrEh GetFieldsArrayByNames(TDataSet* DataSet, TComponent* Component, const QString& FieldNames)
{
    TFieldsArrEh result;
    AddFieldsByNames(&result, DataSet, Component, FieldNames);
    return result;
}

void SetFieldValuesByNames(TDataSet* DataSet, const QString& FieldNames, const Variant& Value)
{
    const TFieldsArrEh fields = GetFieldsArrayByNames(DataSet, nullptr, FieldNames);
    if (Value.IsNull()) {
        for (TField* f : fields)
            f->Clear();
        return;
    }
    if (fields.size() == 1) {
        fields[0]->SetValue(Value);
        return;
    }
    if (fields.empty())
        return;
    if (!Value.IsArray() || Value.ArrayHighBound() - Value.ArrayLowBound() + 1 < int(fields.size()))
        DatabaseErrorFmt(QStringLiteral("%d fields need an array of as many values"), {int(fields.size())});
    for (size_t i = 0; i < fields.size(); ++i)
        fields[i]->SetValue(Value.GetElement(Value.ArrayLowBound() + int(i)));
}

Variant GetFieldsArrayValues(TDataSet*, const TFieldsArrEh& Fields)
{
    if (Fields.empty())
        DatabaseError(QStringLiteral("No fields to read values from"));
    if (Fields.size() == 1)
        return Fields[0]->Value();
    std::vector<Variant> values;
    values.reserve(Fields.size());
    for (TField* f : Fields)
        values.push_back(f->Value());
    return VarArrayOf(values);
}
