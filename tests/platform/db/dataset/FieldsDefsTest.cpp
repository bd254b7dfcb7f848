#include "Fixture.h"

#include <gtest/gtest.h>

using namespace dbtest;

namespace {

TEST(Fields, DefaultFieldsFollowTheDefinitions)
{
    auto ds = MakePeople();
    ASSERT_TRUE(ds->DefaultFields());
    EXPECT_EQ(ds->FieldCount(), 5);
    EXPECT_TRUE(dynamic_cast<TIntegerField*>(ds->FieldByName("Id")));
    EXPECT_TRUE(dynamic_cast<TCurrencyField*>(ds->FieldByName("Amount")));
    EXPECT_TRUE(dynamic_cast<TDateField*>(ds->FieldByName("Born")));
    EXPECT_EQ(ds->FieldByName("Name")->Size(), 20);
    EXPECT_EQ(ds->FieldByName("Born")->FieldNo(), 4);
    EXPECT_EQ(ds->FieldByName("Born")->Index(), 3);
    EXPECT_EQ(ds->FieldByName("Amount")->Alignment(), taRightJustify);
    EXPECT_EQ(ds->FieldByName("Name")->DisplayLabel(), "Name");
    EXPECT_EQ(ds->FieldByName("Name")->DisplayWidth(), 20);
    ds->Close();
    EXPECT_EQ(ds->FieldCount(), 0);  // default fields go with the cursor

    auto withObjectHolder = CreateUnique<TArrayDataSet>();
    TArrayDataSet& withObject = *withObjectHolder;
    withObject.FieldDefs()->Add("Address", ftADT);
    withObject.FieldDefs()->Add("Code", ftGuid);
    withObject.Open();  // a kind without a field class gets no field
    ASSERT_EQ(withObject.FieldCount(), 1);
    EXPECT_TRUE(dynamic_cast<TGuidField*>(withObject.Fields()->Fields(0)));
    EXPECT_EQ(withObject.Fields()->Fields(0)->FieldNo(), 2);
}

TEST(Fields, ValuesTravelInTheFieldsVariantType)
{
    auto ds = MakePeople();
    ds->Edit();
    ds->FieldByName("Name")->SetAsVariant(Variant(42));
    ds->FieldByName("Id")->SetAsString(" 17 ");
    ds->FieldByName("Amount")->SetAsFloat(1.25);
    ds->FieldByName("Born")->SetAsDateTime(40000.75);
    ds->Post();
    const auto& row = ds->Row(0);
    EXPECT_EQ(row[0].VarType(), varInteger);
    EXPECT_EQ(row[0].AsInteger(), 17);
    EXPECT_EQ(row[1].VarType(), varString);
    EXPECT_EQ(row[1].AsString(), "42");
    EXPECT_EQ(row[2].VarType(), varCurrency);
    EXPECT_EQ(row[2].AsCurrency().Value, 12500);
    EXPECT_EQ(row[3].AsDateTime(), 40000.0);  // a date field keeps the day only
}

TEST(Fields, NullsReadAsEmptyValues)
{
    auto ds = MakePeople();
    ds->Edit();
    for (int i = 0; i < ds->FieldCount(); ++i)
        ds->Fields()->Fields(i)->Clear();
    for (int i = 0; i < ds->FieldCount(); ++i) {
        TField* f = ds->Fields()->Fields(i);
        SCOPED_TRACE(f->FieldName().toStdString());
        EXPECT_TRUE(f->IsNull());
        EXPECT_TRUE(f->Value().IsNull());
        EXPECT_EQ(f->AsString(), "");
        EXPECT_EQ(f->DisplayText(), "");
        EXPECT_EQ(f->AsInteger(), 0);
        EXPECT_FALSE(f->AsBoolean());
    }
    ds->Cancel();
}

TEST(Fields, BadValuesAndRangesAreRefused)
{
    auto dsHolder = CreateUnique<TArrayDataSet>();
    TArrayDataSet& ds = *dsHolder;
    ds.SetName("T");
    ds.FieldDefs()->Add("S", ftSmallint);
    ds.FieldDefs()->Add("I", ftInteger);
    ds.FieldDefs()->Add("F", ftFloat);
    ds.FieldDefs()->Add("B", ftBoolean);
    ds.Open();
    ds.Append();
    EXPECT_THROW(ds.FieldByName("I")->SetAsString("12a"), EConvertError);
    EXPECT_THROW(ds.FieldByName("F")->SetAsString("1.2.3"), EConvertError);
    try {
        ds.FieldByName("S")->SetAsInteger(40000);
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("40000 is not a valid value for field 'S'. The allowed range is -32768 to 32767"))
            << e.Message().toStdString();
    }
    auto* i = static_cast<TIntegerField*>(ds.FieldByName("I"));
    i->SetMinValue(1);
    i->SetMaxValue(9);
    EXPECT_THROW(i->SetAsInteger(10), EDatabaseError);
    i->SetAsInteger(9);
    EXPECT_EQ(i->AsInteger(), 9);
    auto* b = static_cast<TBooleanField*>(ds.FieldByName("B"));
    b->SetDisplayValues(QString::fromUtf8("Да;Нет"));
    b->SetAsString(QString::fromUtf8("н"));
    EXPECT_FALSE(b->AsBoolean());
    EXPECT_EQ(b->AsString(), QString::fromUtf8("Нет"));
    b->SetAsString(QString::fromUtf8("ДА"));
    EXPECT_TRUE(b->AsBoolean());
    EXPECT_THROW(b->SetAsString("maybe"), EDatabaseError);
    EXPECT_TRUE(i->IsValidChar(u'7'));
    EXPECT_FALSE(i->IsValidChar(u'x'));
    EXPECT_TRUE(ds.FieldByName("F")->IsValidChar(FormatSettings.DecimalSeparator));
    ds.Cancel();
}

TEST(Fields, TextAndDisplayText)
{
    auto ds = MakePeople();
    auto* amount = static_cast<TFloatField*>(ds->FieldByName("Amount"));
    auto* born = static_cast<TDateTimeField*>(ds->FieldByName("Born"));
    EXPECT_EQ(born->AsString(), "02.01.1990");
    born->SetDisplayFormat("yyyy-mm-dd");
    EXPECT_EQ(born->DisplayText(), "1990-01-02");
    EXPECT_EQ(born->Text(), "02.01.1990");
    amount->SetCurrency(false);
    amount->SetDisplayFormat("0.000");
    EXPECT_EQ(amount->DisplayText(), "10,500");
    EXPECT_EQ(amount->Text(), "10,500");  // the edit text falls back to the display format
    amount->SetEditFormat("0.#");
    EXPECT_EQ(amount->Text(), "10,5");

    QStringList validated;
    TField* name = ds->FieldByName("Name");
    name->OnGetText = [](TField* f, QString& text, bool display) { text = (display ? "<" : "") + f->AsString(); };
    name->OnSetText = [](TField* f, const QString& text) { f->SetAsString(text.toUpper()); };
    name->OnValidate = [&](TField* f) {
        validated << f->AsString();  // sees the value being written
        if (f->AsString() == "BAD")
            throw EDatabaseError("refused");
    };
    int changes = 0;
    name->OnChange = [&](TField*) { ++changes; };
    EXPECT_EQ(name->DisplayText(), "<Ann");
    EXPECT_EQ(name->Text(), "Ann");
    ds->Edit();
    name->SetText("anna");
    EXPECT_EQ(name->AsString(), "ANNA");
    EXPECT_THROW(name->SetText("bad"), EDatabaseError);
    EXPECT_EQ(name->AsString(), "ANNA");
    EXPECT_EQ(validated, QStringList({"ANNA", "BAD"}));
    EXPECT_EQ(changes, 1);
    ds->Cancel();
}

TEST(Fields, PersistentFieldsMustMatchTheDefinitions)
{
    auto formHolder = CreateUnique<TComponent>(nullptr);
    TComponent& form = *formHolder;
    auto ds = MakePeople(&form, false);
    auto* f = Create<TIntegerField>(&form);
    f->SetFieldName("Missing");
    f->SetDataSet(ds.get());
    EXPECT_THROW(ds->Open(), EDatabaseError);
    EXPECT_FALSE(ds->Active());
    f->SetFieldName("Name");  // a string column read as an integer
    EXPECT_THROW(ds->Open(), EDatabaseError);
    delete f;
    auto* g = Create<TStringField>(&form);
    g->SetFieldName("Name");
    g->SetDataSet(ds.get());
    ds->Open();
    EXPECT_EQ(ds->FieldCount(), 1);
    EXPECT_EQ(g->AsString(), "Ann");
    EXPECT_THROW(g->SetDataSet(nullptr), EDatabaseError);  // not while open
    auto* dup = Create<TStringField>(&form);
    dup->SetFieldName("name");
    ds->Close();
    EXPECT_THROW(dup->SetDataSet(ds.get()), EDatabaseError);
}

TEST(Fields, PublishedForFormResources)
{
    ASSERT_NE(GetClass("TStringField"), nullptr);
    ASSERT_NE(GetClass("TBCDField"), nullptr);
    // Each class's own declarations, ancestors first as the loader reads them.
    auto own = [](const TClassInfo& ci, const char* name) -> const TPropInfo* {
        for (const TPropInfo& p : ci.OwnProps)
            if (p.Name == QLatin1String(name))
                return &p;
        return nullptr;
    };
    for (const char* p : {"FieldName", "DisplayLabel", "Alignment", "Visible", "ProviderFlags", "LookupDataSet",
                          "OnGetText", "OnValidate"})
        EXPECT_NE(own(TField::StaticClassInfo(), p), nullptr) << p;
    for (const char* p : {"currency", "Precision", "MaxValue"})
        EXPECT_NE(own(TFloatField::StaticClassInfo(), p), nullptr) << p;
    const TPropInfo* align = own(TNumericField::StaticClassInfo(), "Alignment");
    ASSERT_TRUE(align && align->Default.has_value());
    EXPECT_EQ(*align->Default, int64_t(taRightJustify));
    EXPECT_EQ(TFloatField::StaticClassInfo().Parent, &TNumericField::StaticClassInfo());

    auto ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& owner = *ownerHolder;
    auto fHolder = CreateUnique<TFloatField>(&owner);
    TFloatField& f = *fHolder;
    own(TField::StaticClassInfo(), "FieldName")->SetStr(&f, "Sum");
    own(TField::StaticClassInfo(), "Alignment")->SetOrd(&f, taCenter);
    EXPECT_EQ(f.FieldName(), "Sum");
    EXPECT_EQ(f.Alignment(), taCenter);
    EXPECT_EQ(own(TField::StaticClassInfo(), "ProviderFlags")->GetOrd(&f), int64_t(TProviderFlags{pfInUpdate, pfInWhere}.Bits()));
    // the numeric class's redeclared default replaces the field's in the full list
    const TPropInfo* full = GetPropInfo(&f, "alignment");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(*full->Default, int64_t(taRightJustify));
    EXPECT_NE(GetPropInfo(&f, "OnChange"), nullptr);
}

TEST(FieldDefs, AddFindAndDuplicates)
{
    auto dsHolder = CreateUnique<TArrayDataSet>();
    TArrayDataSet& ds = *dsHolder;
    ds.SetName("T");
    TFieldDefs* defs = ds.FieldDefs();
    defs->Add("Code", ftString, 10, true);
    TFieldDef* money = defs->Add("Money", ftBCD);
    EXPECT_EQ(money->Size(), 4);
    EXPECT_EQ(money->FieldNo(), 2);
    EXPECT_TRUE(defs->Find("code")->Required());
    EXPECT_EQ(defs->IndexOf("MONEY"), 1);
    EXPECT_THROW(defs->Add("code", ftInteger), EDatabaseError);
    try {
        defs->Find("None");
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "T: Field 'None' not found");
    }
    TFieldDef* addr = defs->Add("Address", ftADT);
    addr->ChildDefs()->Add("Street", ftString, 30);
    EXPECT_TRUE(addr->HasChildDefs());
    EXPECT_EQ(addr->ChildDefs()->DataSet(), &ds);
}

TEST(IndexDefs, FindByNameAndByFields)
{
    auto dsHolder = CreateUnique<TArrayDataSet>();
    TArrayDataSet& ds = *dsHolder;
    TIndexDefs idx(&ds);
    idx.Add("ByName", "Name", {ixCaseInsensitive});
    idx.Add("ByKey", "Branch;Id", {ixPrimary, ixUnique});
    EXPECT_EQ(idx.GetIndexForFields("branch; id", false)->Name, "ByKey");
    EXPECT_EQ(idx.GetIndexForFields("Name", false), nullptr);
    EXPECT_EQ(idx.GetIndexForFields("Name", true)->Name, "ByName");
    EXPECT_EQ(idx.FindIndexForFields("Branch")->Name, "ByKey");
    EXPECT_THROW(idx.FindIndexForFields("Id"), EDatabaseError);
    EXPECT_THROW(idx.Find("None"), EDatabaseError);
}

TEST(Params, ParsedFromSqlAndFoundByName)
{
    TParams params;
    params.ParseSQL("select * from t where a = :Branch and b = ':text' and c = :Date1 and d = x::int -- :comment\n"
                    "and e = :branch",
                    true);
    ASSERT_EQ(params.Count(), 2);
    EXPECT_EQ(params[0]->Name(), "Branch");
    EXPECT_EQ(params[1]->Name(), "Date1");
    params.ParamByName("branch")->SetAsInteger(7);
    EXPECT_EQ(params[0]->DataType(), ftInteger);
    EXPECT_TRUE(params[0]->Bound());
    params.SetParamValues("Branch;Date1", VarArrayOf({Variant(8), Variant::FromDate(45000)}));
    EXPECT_EQ(params.ParamValues("Date1").AsDateTime(), 45000.0);
    EXPECT_EQ(params[1]->DataType(), ftDateTime);
    try {
        params.ParamByName("Nope");
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Parameter 'Nope' not found");
    }
    TParams copy;
    copy.CreateParam(ftUnknown, "Date1", ptInput);
    copy.AssignValues(&params);
    EXPECT_EQ(copy[0]->AsDateTime(), 45000.0);
    params[0]->Clear();
    EXPECT_TRUE(params[0]->IsNull());
    EXPECT_EQ(params[0]->DataType(), ftInteger);
}

}  // namespace
