// The data structure: names, positions, defaults and conversion of stored values on restructure.
#include "StoreFixture.h"

using StructTest = StoreFixture;

TEST_F(StructTest, FieldNamesAreUniqueIgnoringCase)
{
    EXPECT_EQ(ErrorOf([&] { ds()->CreateField<TMTNumericDataFieldEh>()->SetFieldName("code"); }),
              "Duplicate field name 'code'");
    ds()->GetDataField(3)->SetFieldName("Other");
    EXPECT_EQ(ErrorOf([&] { ds()->GetDataField(3)->SetFieldName(""); }), "Field name missing");
    // Renaming a field to another spelling of its own name is no clash.
    ds()->GetDataField(0)->SetFieldName("CODE");
    EXPECT_EQ(ds()->GetDataField(0)->GetFieldName(), "CODE");
}

TEST_F(StructTest, FieldsIndexByNameList)
{
    EXPECT_EQ(ds()->FieldsIndex("Amount; Code"), (TIntArray{2, 0}));
    EXPECT_EQ(ds()->FieldsIndex("Missing"), TIntArray{});
    EXPECT_EQ(ErrorOf([&] { ds()->FieldsIndex("Code;Missing"); }), "Field 'Missing' not found");
    EXPECT_EQ(ds()->FieldIndex("NAME"), 1);
    EXPECT_EQ(ds()->FindField("nope"), nullptr);
}

TEST_F(StructTest, ComponentNamesAreIdentifiers)
{
    auto* a = ds()->CreateField<TMTStringDataFieldEh>();
    a->SetFieldName("Order No.");
    auto* b = ds()->CreateField<TMTStringDataFieldEh>();
    b->SetFieldName("Order-No");
    auto* c = ds()->CreateField<TMTNumericDataFieldEh>();
    c->SetFieldName("1");
    EXPECT_EQ(a->Name(), "OrderNo");
    EXPECT_EQ(b->Name(), "OrderNo2");
    EXPECT_EQ(c->Name(), "MTNumericDataFieldEh1");
}

TEST_F(StructTest, DefaultWidthsAndSizes)
{
    auto* s = ds()->CreateField<TMTStringDataFieldEh>();
    EXPECT_EQ(s->GetSize(), 20);
    s->SetSize(250);
    EXPECT_EQ(s->DisplayWidth(), 100);
    auto* n = ds()->CreateField<TMTNumericDataFieldEh>();
    EXPECT_EQ(n->GetAlignment(), taRightJustify);
    n->SetNumericDataType(fdtBCDEh);
    n->SetPrecision(12);
    EXPECT_EQ(n->DisplayWidth(), 13);
    auto* i = ds()->CreateField<TMTNumericDataFieldEh>();
    EXPECT_EQ(ErrorOf([&] { i->SetSize(5); }), "Invalid field size");
    EXPECT_EQ(ErrorOf([&] { i->AssignDataType(ftString); }), "Can not assign DataType from Field");
    EXPECT_EQ(ds()->CreateField<TMTBooleanDataFieldEh>()->DisplayWidth(), 5);
}

TEST_F(StructTest, VariantTypesFollowDataType)
{
    struct Case { TFieldType type; TVarType var; } cases[] = {
        {ftString, varString}, {ftWideString, varOleStr}, {ftInteger, varInteger}, {ftLargeint, varInt64},
        {ftCurrency, varCurrency}, {ftBCD, varCurrency}, {ftFMTBcd, varFMTBcd}, {ftDate, varDate},
        {ftBoolean, varBoolean}, {ftFloat, varDouble}, {ftBlob, varByteArrayEh}, {ftMemo, varString},
        {ftTimeStamp, varSQLTimeStamp}, {ftVariant, varVariant}, {ftUnknown, varObject}};   // object references stay pointer wide
    for (const Case& c : cases) {
        TMTDataFieldEh* f = ds()->BuildDataFieldForDef(QStringLiteral("F%1").arg(int(c.type)), c.type, 10, 0);
        EXPECT_EQ(f->DataType(), c.type) << FieldTypeName(c.type);
        EXPECT_EQ(f->VarDataType(), c.var) << FieldTypeName(c.type);
    }
    EXPECT_THROW(ds()->BuildDataFieldForDef("X", ftCursor, 0, 0), EDatabaseError);
    EXPECT_EQ(ds()->Count(), 3 + int(std::size(cases)));
}

TEST_F(StructTest, CopyKeepsGuidsAssignDoesNot)
{
    std::unique_ptr<TMTDataStructEh> copy(ds()->GetCopy());
    ASSERT_EQ(copy->Count(), 3);
    EXPECT_EQ(copy->GetDataField(1)->GUID(), ds()->GetDataField(1)->GUID());
    EXPECT_EQ(copy->GetDataField(1)->GetSize(), 40);
    auto otherHolder = CreateUnique<TMTDataStructEh>(nullptr);
    TMTDataStructEh& other = *otherHolder;
    other.Assign(copy.get());
    EXPECT_EQ(other.GetDataField(2)->GetFieldName(), "Amount");
    EXPECT_NE(other.GetDataField(2)->GUID(), copy->GetDataField(2)->GUID());
}

TEST_F(StructTest, RestructureConvertsStoredValuesByGuid)
{
    Add(12345, Variant::FromString("abcdef"), Currency::FromInt(5));
    Add(7, Variant::FromString("xyz"), Variant::Null());
    TMTDataStructEh* next = ds()->BeginRestructure();
    // Code becomes a 3-character text, Name a 3-character text, Amount is dropped, Extra is new.
    next->ChangeFieldType("Code", &TMTStringDataFieldEh::StaticClassInfo())->SetSize(3);
    static_cast<TMTStringDataFieldEh*>(next->FieldByName("Name"))->SetSize(3);
    delete next->FieldByName("Amount");   // leaves the structure as it goes
    next->CreateField<TMTNumericDataFieldEh>()->SetFieldName("Extra");
    ds()->EndRestructure(next, true);
    EXPECT_EQ(next, nullptr);
    ASSERT_EQ(ds()->Count(), 3);
    TMemoryRecordEh* r = list()->GetRec(0);
    EXPECT_EQ(VarToStr(r->GetDataValue(0, dvvValueEh)), "123");
    EXPECT_EQ(r->GetDataValue(0, dvvValueEh).VarType(), varString);
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvValueEh)), "abc");
    EXPECT_TRUE(r->GetDataValue(2, dvvValueEh).IsNull());
}

TEST_F(StructTest, UnconvertibleValueBecomesNullOnRestructure)
{
    auto* text = ds()->CreateField<TMTStringDataFieldEh>();
    text->SetFieldName("Text");
    TMemoryRecordEh* r = Add(1, Variant::FromString("a"));
    r->SetDataValue(3, dvvValueEh, Variant::FromString("not a number"));
    TMTDataStructEh* next = ds()->BeginRestructure();
    next->ChangeFieldType("Text", &TMTNumericDataFieldEh::StaticClassInfo());
    ds()->EndRestructure(next, true);
    EXPECT_TRUE(list()->GetRec(0)->GetDataValue(3, dvvValueEh).IsNull());
    EXPECT_EQ(ds()->GetDataField(3)->GetAlignment(), taRightJustify);
}

TEST_F(StructTest, StructureChangesReachListeners)
{
    int changes = 0;
    auto nHolder = CreateUnique<TRecordsListNotificatorEh>(nullptr);
    TRecordsListNotificatorEh& n = *nHolder;
    n.OnStructChanged = [&](TMemTableDataEh*) { ++changes; };
    n.SetDataObject(data.get());
    ds()->BeginUpdate();
    ds()->CreateField<TMTStringDataFieldEh>()->SetFieldName("A");
    ds()->CreateField<TMTNumericDataFieldEh>()->SetFieldName("B");
    EXPECT_EQ(changes, 0);
    ds()->EndUpdate(true);
    EXPECT_EQ(changes, 1);
    ds()->GetDataField(3)->SetDisplayLabel("Label");
    EXPECT_EQ(changes, 2);
    auto* inc = ds()->CreateField<TMTNumericDataFieldEh>();
    inc->SetNumericDataType(fdtAutoIncEh);
    EXPECT_EQ(data->IncFieldIndexes(), TIntArray{5});
}

TEST(DataSetFeatures, NothingRegisteredMeansNothingFound)
{
    EXPECT_EQ(LookupDataSetFeatures(nullptr), nullptr);
}
