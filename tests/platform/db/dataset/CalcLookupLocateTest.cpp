#include "Fixture.h"

#include <gtest/gtest.h>

using namespace dbtest;

namespace {

// People with persistent fields: the data fields plus a calculated and a lookup field.
struct WithCalc {
    std::unique_ptr<TComponent> formHolder = CreateUnique<TComponent>(nullptr);
    TComponent& form = *formHolder;
    std::unique_ptr<TArrayDataSet> ds = MakePeople(&form, false);
    std::unique_ptr<TArrayDataSet> cities = CreateUnique<TArrayDataSet>(&form);
    TField* name;
    TField* label;
    TField* city;
    int calcRuns = 0;

    WithCalc(bool cached = false)
    {
        cities->FieldDefs()->Add("Code", ftInteger);
        cities->FieldDefs()->Add("City", ftWideString, 30);
        cities->AddRow({Variant(1), Variant::FromOleStr("Москва")});
        cities->AddRow({Variant(3), Variant::FromOleStr("Тверь")});
        cities->Open();

        auto add = [&](TField* f, const char* fieldName) {
            f->SetFieldName(fieldName);
            f->SetDataSet(ds.get());
            return f;
        };
        add(Create<TIntegerField>(&form), "Id");
        name = add(Create<TStringField>(&form), "Name");
        add(Create<TCurrencyField>(&form), "Amount");
        add(Create<TDateField>(&form), "Born");
        add(Create<TBooleanField>(&form), "Active");
        label = Create<TStringField>(&form);
        label->SetFieldKind(fkCalculated);
        add(label, "Label");
        city = Create<TWideStringField>(&form);
        city->SetFieldKind(fkLookup);
        city->SetKeyFields("Id");
        city->SetLookupDataSet(cities.get());
        city->SetLookupKeyFields("Code");
        city->SetLookupResultField("City");
        city->SetLookupCache(cached);
        add(city, "City");
        // Ann (Id 1) lives in Moscow, Cid (Id 3) in Tver, nobody else has a city.
        ds->OnCalcFields = [this](TDataSet* d) {
            ++calcRuns;
            label->SetAsString(d->FieldByName("Name")->AsString() + "#" + d->FieldByName("Id")->AsString());
        };
        ds->Open();
    }
};

TEST(CalculatedFields, ComputedPerRecordAndAfterEveryChange)
{
    WithCalc t;
    EXPECT_FALSE(t.ds->DefaultFields());
    EXPECT_EQ(t.ds->CalcFieldsCount(), 2);
    EXPECT_EQ(t.label->AsString(), "Ann#1");
    t.ds->Next();
    EXPECT_EQ(t.label->AsString(), "Bob#2");
    t.ds->Edit();
    t.name->SetAsString("Rob");
    EXPECT_EQ(t.label->AsString(), "Rob#2");  // recalculated while editing
    t.ds->Cancel();
    EXPECT_EQ(t.label->AsString(), "Bob#2");
    EXPECT_FALSE(t.label->CanModify());
    EXPECT_THROW(t.label->SetAsString("x"), EDatabaseError);  // only OnCalcFields writes it
}

TEST(CalculatedFields, EachBufferedRowKeepsItsOwnValues)
{
    WithCalc t;
    auto srcHolder = CreateUnique<TDataSource>(nullptr);
    TDataSource& src = *srcHolder;
    src.SetDataSet(t.ds.get());
    LogLink link;
    link.SetBufferCount(4);
    link.SetDataSource(&src);
    EXPECT_EQ(WindowNames(link, t.label), QStringList({"Ann#1", "Bob#2", "Cid#3", "Dan#4"}));
    t.ds->MoveBy(5);
    EXPECT_EQ(WindowNames(link, t.label), QStringList({"Cid#3", "Dan#4", "Eve#5", "Fay#6"}));
}

TEST(LookupFields, LookedUpThroughTheOtherDataSetOrItsCache)
{
    for (bool cached : {false, true}) {
        SCOPED_TRACE(cached);
        WithCalc t(cached);
        EXPECT_EQ(t.city->AsString(), QString::fromUtf8("Москва"));
        t.ds->Next();
        EXPECT_TRUE(t.city->IsNull());
        t.ds->Edit();
        t.ds->FieldByName("Id")->SetAsInteger(3);
        EXPECT_EQ(t.city->AsString(), QString::fromUtf8("Тверь"));
        EXPECT_TRUE(t.city->CanModify());  // its key field can be changed
        t.ds->Cancel();
        EXPECT_EQ(t.cities->FieldByName("City")->AsString(), QString::fromUtf8("Москва"));  // lookups leave it in place
    }
}

TEST(Locate, ByOneOrSeveralFieldsWithOptions)
{
    auto ds = MakePeople();
    struct Case {
        const char* Fields;
        Variant Keys;
        TLocateOptions Options;
        const char* Found;  // nullptr: not found
    };
    const Case cases[] = {
        {"Name", Variant("Eve"), {}, "Eve"},
        {"name", Variant("eve"), {}, nullptr},
        {"Name", Variant("eve"), {loCaseInsensitive}, "Eve"},
        {"Name", Variant("Iv"), {loPartialKey}, "Ivy"},
        {"Name", Variant("iv"), {loPartialKey, loCaseInsensitive}, "Ivy"},
        {"Id", Variant(7), {}, "Gus"},
        {"Id", Variant("7"), {}, "Gus"},
        {"Active;Id", VarArrayOf({Variant(false), Variant(4)}), {}, "Dan"},
        {"Active; Name", VarArrayOf({Variant(true), Variant("Dan")}), {}, nullptr},
        {"Amount", Variant(Currency::FromRaw(315000)), {}, "Cid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Fields);
        ds->MoveBy(1);  // somewhere else first
        const QString before = ds->FieldByName("Name")->AsString();
        bool found = ds->Locate(c.Fields, c.Keys, c.Options);
        EXPECT_EQ(found, c.Found != nullptr);
        EXPECT_EQ(ds->FieldByName("Name")->AsString(), c.Found ? QString(c.Found) : before);
    }
    EXPECT_THROW(ds->Locate("Nope", Variant(1), {}), EDatabaseError);
}

TEST(Locate, TheLinksHearOfItOnceAndNotAtAllWhenNotFound)
{
    auto ds = MakePeople();
    auto srcHolder = CreateUnique<TDataSource>(nullptr);
    TDataSource& src = *srcHolder;
    src.SetDataSet(ds.get());
    LogLink link;
    link.SetBufferCount(3);
    link.SetDataSource(&src);
    link.Log.clear();
    int scrolls = 0;
    ds->AfterScroll = [&](TDataSet*) { ++scrolls; };
    ASSERT_TRUE(ds->Locate("Name", Variant("Gus"), {}));
    EXPECT_EQ(link.Log, QStringList({"changed"}));
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(link.RecordCount(), 3);
    EXPECT_EQ(WindowNames(link, ds->FieldByName("Name")), QStringList({"Fay", "Gus", "Hal"}));
    link.Log.clear();
    EXPECT_FALSE(ds->Locate("Name", Variant("Nobody"), {}));
    EXPECT_TRUE(link.Log.isEmpty());
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Gus");
    ds->Next();  // the cursor is where the buffers say
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Hal");
}

TEST(Lookup, ReturnsValuesWithoutMoving)
{
    auto ds = MakePeople();
    ds->MoveBy(2);
    EXPECT_EQ(ds->Lookup("Id", Variant(5), "Name").AsString(), "Eve");
    Variant both = ds->Lookup("Name", Variant("Fay"), "Id;Active");
    ASSERT_TRUE(both.IsArray());
    EXPECT_EQ(both.GetElement(both.ArrayLowBound()).AsInteger(), 6);
    EXPECT_FALSE(both.GetElement(both.ArrayLowBound() + 1).AsBoolean());
    EXPECT_TRUE(ds->Lookup("Id", Variant(99), "Name").IsEmpty());
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Cid");
    ds->Next();
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Dan");
}

}  // namespace

#include "platform/db/DBCommon.h"

namespace {

TEST(ExprParserOverDataSet, NamesAndTypesComeFromTheFields)
{
    auto ds = MakePeople();
    TExprParser p(ds.get(), "amount > 100 and NAME like 'A%' and Born > '01.01.1990'", {foCaseInsensitive});
    EXPECT_EQ(p.FieldNames(), QStringList({"Amount", "Name", "Born"}));
    EXPECT_GT(p.DataSize(), ExprHeaderSize);
    EXPECT_THROW(TExprParser(ds.get(), "Nope = 1"), EExprParserError);
    EXPECT_THROW(TExprParser(ds.get(), "Born > 'soon'"), EExprParserError);
    EXPECT_THROW(TExprParser(ds.get(), "Active = 'perhaps'"), EExprParserError);
}

}  // namespace
