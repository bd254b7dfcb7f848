// Published properties of the framework's classes: what form resources and stored
// collections read and write.
#include "DB.h"

DOV_PUBLISHED(TFieldDef)
{
    P.Prop("Name", &TFieldDef::Name, &TFieldDef::SetName);
    P.Prop("Attributes", &TFieldDef::Attributes, &TFieldDef::SetAttributes).Default(TFieldAttributes{});
    P.Prop("ChildDefs", &TFieldDef::ChildDefs).Stored(&TFieldDef::HasChildDefs);
    P.Prop("DataType", &TFieldDef::DataType, &TFieldDef::SetDataType).Default(ftUnknown);
    P.Prop("Precision", &TFieldDef::Precision, &TFieldDef::SetPrecision).Default(0);
    P.Prop("Size", &TFieldDef::Size, &TFieldDef::SetSize).Default(0);
}

DOV_PUBLISHED(TFieldDefs) {}

DOV_PUBLISHED(TIndexDef)
{
    P.Prop("Name", &TIndexDef::GetName, &TIndexDef::SetName);
    P.Prop("DescFields", &TIndexDef::GetDescFields, &TIndexDef::SetDescFields);
    P.Prop("Expression", &TIndexDef::GetExpression, &TIndexDef::SetExpression);
    P.Prop("Fields", &TIndexDef::GetFields, &TIndexDef::SetFields);
    P.Prop("CaseInsFields", &TIndexDef::GetCaseInsFields, &TIndexDef::SetCaseInsFields);
    P.Prop("GroupingLevel", &TIndexDef::GetGroupingLevel, &TIndexDef::SetGroupingLevel).Default(0);
    P.Prop("Options", &TIndexDef::GetOptions, &TIndexDef::SetOptions).Default(TIndexOptions{});
}

DOV_PUBLISHED(TIndexDefs) {}

DOV_PUBLISHED(TParam)
{
    P.Prop("DataType", &TParam::DataType, &TParam::SetDataType).Default(ftUnknown);
    P.Prop("Name", &TParam::Name, &TParam::SetName);
    P.Prop("NumericScale", &TParam::NumericScale, &TParam::SetNumericScale).Default(0);
    P.Prop("ParamType", &TParam::ParamType, &TParam::SetParamType).Default(ptUnknown);
    P.Prop("Precision", &TParam::Precision, &TParam::SetPrecision).Default(0);
    P.Prop("Size", &TParam::Size, &TParam::SetSize).Default(0);
}

DOV_PUBLISHED(TParams) {}

DOV_PUBLISHED(TField)
{
    P.Prop("Alignment", &TField::Alignment, &TField::SetAlignment).Default(taLeftJustify);
    P.Prop("AutoGenerateValue", &TField::AutoGenerateValue, &TField::SetAutoGenerateValue).Default(arNone);
    P.Prop("ConstraintErrorMessage", &TField::ConstraintErrorMessage, &TField::SetConstraintErrorMessage);
    P.Prop("DefaultExpression", &TField::DefaultExpression, &TField::SetDefaultExpression);
    P.Prop("DisplayLabel", &TField::GetDisplayLabelProp, &TField::SetDisplayLabel);
    P.Prop("DisplayWidth", &TField::GetDisplayWidthProp, &TField::SetDisplayWidth).Stored(&TField::IsDisplayWidthStored);
    P.Prop("EditMask", &TField::EditMask, &TField::SetEditMask);
    P.Prop("FieldKind", &TField::GetFieldKindProp, &TField::SetFieldKind).Default(fkData);
    P.Prop("FieldName", &TField::GetFieldNameProp, &TField::SetFieldName);
    P.Prop("KeyFields", &TField::KeyFields, &TField::SetKeyFields);
    P.Prop("LookupCache", &TField::LookupCache, &TField::SetLookupCache).Default(false);
    P.Prop("LookupDataSet", &TField::GetLookupDataSetProp, &TField::SetLookupDataSet);
    P.Prop("LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields);
    P.Prop("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField);
    P.Prop("Origin", &TField::Origin, &TField::SetOrigin);
    P.Prop("ProviderFlags", &TField::ProviderFlags, &TField::SetProviderFlags).Default(TProviderFlags{pfInUpdate, pfInWhere});
    P.Prop("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(false);
    P.Prop("Required", &TField::Required, &TField::SetRequired).Default(false);
    P.Prop("Visible", &TField::Visible, &TField::SetVisible).Default(true);
    P.Event("OnChange", &TField::OnChange);
    P.Event("OnGetText", &TField::OnGetText);
    P.Event("OnSetText", &TField::OnSetText);
    P.Event("OnValidate", &TField::OnValidate);
}

DOV_PUBLISHED(TStringField)
{
    P.Prop("FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar).Default(false);
    P.Prop("Size", &TStringField::GetSizeProp, &TStringField::SetSizeProp).Default(20);
    P.Prop("Transliterate", &TStringField::Transliterate, &TStringField::SetTransliterate).Default(true);
}

DOV_PUBLISHED(TWideStringField) {}

DOV_PUBLISHED(TGuidField)
{
    P.Prop("Size", &TGuidField::GetSizeProp, &TGuidField::SetSizeProp).Default(38);
}

DOV_PUBLISHED(TNumericField)
{
    P.Prop("Alignment", &TNumericField::Alignment, &TNumericField::SetAlignment).Default(taRightJustify);
    P.Prop("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
    P.Prop("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
}

DOV_PUBLISHED(TIntegerField)
{
    P.Prop("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue).Default(0);
    P.Prop("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue).Default(0);
}

DOV_PUBLISHED(TSmallintField) {}
DOV_PUBLISHED(TShortintField) {}
DOV_PUBLISHED(TByteField) {}
DOV_PUBLISHED(TWordField) {}
DOV_PUBLISHED(TAutoIncField) {}
DOV_PUBLISHED(TLongWordField) {}

DOV_PUBLISHED(TLargeintField)
{
    P.Prop("MaxValue", &TLargeintField::LargeMaxValue, &TLargeintField::SetLargeMaxValue).Default(0);
    P.Prop("MinValue", &TLargeintField::LargeMinValue, &TLargeintField::SetLargeMinValue).Default(0);
}

DOV_PUBLISHED(TFloatField)
{
    P.Prop("currency", &TFloatField::GetCurrency, &TFloatField::SetCurrency).Default(false);
    P.Prop("MaxValue", &TFloatField::MaxValue, &TFloatField::SetMaxValue);
    P.Prop("MinValue", &TFloatField::MinValue, &TFloatField::SetMinValue);
    P.Prop("Precision", &TFloatField::Precision, &TFloatField::SetPrecision).Default(15);
}

DOV_PUBLISHED(TCurrencyField)
{
    P.Prop("currency", &TCurrencyField::GetCurrency, &TCurrencyField::SetCurrency).Default(true);
}

DOV_PUBLISHED(TExtendedField) {}
DOV_PUBLISHED(TSingleField)
{
    P.Prop("Precision", &TSingleField::Precision, &TSingleField::SetPrecision).Default(7);
}

DOV_PUBLISHED(TBCDField)
{
    P.Prop("currency", &TBCDField::GetCurrency, &TBCDField::SetCurrency).Default(false);
    P.Prop("MaxValue", &TBCDField::MaxValue, &TBCDField::SetMaxValue);
    P.Prop("MinValue", &TBCDField::MinValue, &TBCDField::SetMinValue);
    P.Prop("Precision", &TBCDField::Precision, &TBCDField::SetPrecision).Default(0);
    P.Prop("Size", &TBCDField::GetSizeProp, &TBCDField::SetSizeProp).Default(4);
}

DOV_PUBLISHED(TFMTBCDField)
{
    P.Prop("Size", &TFMTBCDField::GetSizeProp, &TFMTBCDField::SetSizeProp).Default(8);
}

DOV_PUBLISHED(TBooleanField)
{
    P.Prop("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues);
}

DOV_PUBLISHED(TDateTimeField)
{
    P.Prop("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
}

DOV_PUBLISHED(TDateField) {}
DOV_PUBLISHED(TTimeField) {}

DOV_PUBLISHED(TSQLTimeStampField)
{
    P.Prop("DisplayFormat", &TSQLTimeStampField::DisplayFormat, &TSQLTimeStampField::SetDisplayFormat);
}

DOV_PUBLISHED(TBinaryField)
{
    P.Prop("Size", &TBinaryField::GetSizeProp, &TBinaryField::SetSizeProp).Default(16);
}

DOV_PUBLISHED(TBytesField) {}
DOV_PUBLISHED(TVarBytesField) {}

DOV_PUBLISHED(TBlobField)
{
    P.Prop("BlobType", &TBlobField::BlobType, &TBlobField::SetBlobType);
    P.Prop("GraphicHeader", &TBlobField::GraphicHeader, &TBlobField::SetGraphicHeader).Default(true);
    P.Prop("Transliterate", &TBlobField::Transliterate, &TBlobField::SetTransliterate);
}

DOV_PUBLISHED(TMemoField) {}
DOV_PUBLISHED(TWideMemoField) {}
DOV_PUBLISHED(TGraphicField) {}
DOV_PUBLISHED(TVariantField) {}

DOV_PUBLISHED(TAggregateField)
{
    P.Prop("Active", &TAggregateField::Active, &TAggregateField::SetActive).Default(false);
    P.Prop("DisplayFormat", &TAggregateField::DisplayFormat, &TAggregateField::SetDisplayFormat);
    P.Prop("Expression", &TAggregateField::Expression, &TAggregateField::SetExpression);
    P.Prop("ResultType", &TAggregateField::ResultType, &TAggregateField::SetResultType).Default(ftUnknown);
}

DOV_PUBLISHED(TDataSource)
{
    P.Prop("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true);
    P.Prop("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    P.Prop("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
    P.Event("OnStateChange", &TDataSource::OnStateChange);
    P.Event("OnDataChange", &TDataSource::OnDataChange);
    P.Event("OnUpdateData", &TDataSource::OnUpdateData);
}

DOV_PUBLISHED(TDataSet) {}

// Field classes are found by name when form resources are read.
static const bool kFieldClassesRegistered = [] {
    RegisterClasses<TStringField, TWideStringField, TGuidField, TIntegerField, TSmallintField, TShortintField,
                    TByteField, TWordField, TAutoIncField, TLongWordField, TLargeintField, TFloatField,
                    TCurrencyField, TExtendedField, TSingleField, TBCDField, TFMTBCDField, TBooleanField,
                    TDateTimeField, TDateField, TTimeField, TSQLTimeStampField, TBytesField, TVarBytesField,
                    TBlobField, TMemoField, TWideMemoField, TGraphicField, TVariantField, TAggregateField,
                    TDataSource>();
    return true;
}();
