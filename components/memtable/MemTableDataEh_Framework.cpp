// Building a structure from the framework's fields and field definitions from a structure.
#include "MemTableDataEh.h"
#include "platform/rtl/Guards.h"

TMTDataFieldEh* TMTDataStructEh::BuildDataFieldForField(TField* AField)
{
    TMTDataFieldClassEh cls = DefaultDataFieldClassForType(AField->DataType());
    if (!cls)
        DatabaseErrorFmt(QStringLiteral("Field '%s' is of an unsupported type (%s)"),
                         {AField->FieldName(), FieldTypeName(AField->DataType())});
    TMTDataFieldEh* f = CreateField(cls);
    auto drop = OnFailure([f] { delete f; });
    f->AssignDataType(AField->DataType());
    return f;
}

TMTDataFieldEh* TMTDataStructEh::BuildAndCopyDataFieldForField(TField* AField)
{
    TMTDataFieldEh* f = BuildDataFieldForField(AField);
    auto drop = OnFailure([f] { delete f; });
    f->SetFieldName(AField->FieldName());
    f->AssignProps(AField);
    return f;
}

void TMTDataStructEh::BuildStructFromFields(TFields* Fields)
{
    if (FMemTableData)
        FMemTableData->DestroyTable();
    BeginUpdate();
    auto endUpdate = Finally([this] { EndUpdate(true); });
    for (TField* field : Fields->List()) {
        if (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc)
            continue;
        if (TDataSetFeaturesEh* features = LookupDataSetFeatures(field->DataSet()))
            features->BuildDataStructFieldForField(this, field);
        else
            BuildAndCopyDataFieldForField(field);
    }
}

void TMTDataStructEh::BuildFieldDefsFromStruct(TFieldDefs* FieldDefs)
{
    TUpdateGuard update(FieldDefs);
    FieldDefs->Clear();
    for (TMTDataFieldEh* f : FList) {
        TFieldDef* def = FieldDefs->AddFieldDef();
        def->SetName(f->GetFieldName());
        def->SetDataType(f->DataType());
        def->SetSize(f->GetSize());
        if (f->GetRequired())
            def->SetRequired(true);
        if (auto* n = dynamic_cast<TMTNumericDataFieldEh*>(f))
            def->SetPrecision(n->Precision());
    }
}
