#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "support/ArrayDataSet.h"

#include "support/StringsText.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Texts;

std::unique_ptr<TArrayDataSet> MakeNames(const QStringList& names)
{
    auto ds = CreateUnique<TArrayDataSet>(nullptr);
    ds->SetName("Names");
    ds->FieldDefs()->Add("Id", ftInteger);
    ds->FieldDefs()->Add("Name", ftString, 20);
    int id = 0;
    for (const QString& n : names)
        ds->AddRow({Variant(++id), Variant::FromString(n)});
    ds->Open();
    return ds;
}

TEST(FieldNameLists, BlanksAndDoubledSeparatorsAreSkipped)
{
    auto ds = MakeNames({"a"});
    const TFieldsArrEh f = GetFieldsArrayByNames(ds.get(), nullptr, QStringLiteral("  Name ;; ;Id;"));
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0], ds->FieldByName("Name"));
    EXPECT_EQ(f[1], ds->FieldByName("Id"));
    EXPECT_TRUE(GetFieldsArrayByNames(ds.get(), nullptr, QStringLiteral(" ; ;")).empty());
}

TEST(FieldNameLists, UnknownNameRaisesAndLeavesTheListAsItWas)
{
    auto ds = MakeNames({"a"});
    TFieldsArrEh list{ds->FieldByName("Id")};
    try {
        AddFieldsByNames(&list, ds.get(), ds.get(), QStringLiteral("Name;Nope;Id"));
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Names: Field 'Nope' not found"));
    }
    EXPECT_EQ(list.size(), 1u);
    // Only checking the names: no list at all.
    EXPECT_NO_THROW(AddFieldsByNames(nullptr, ds.get(), nullptr, QStringLiteral("id;NAME")));
}

TEST(FieldNameLists, SetValuesByNames)
{
    auto ds = MakeNames({"a"});
    ds->Edit();
    SetFieldValuesByNames(ds.get(), QStringLiteral("Id; Name"), VarArrayOf({Variant(7), Variant::FromString("z")}));
    EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 7);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), QStringLiteral("z"));
    SetFieldValuesByNames(ds.get(), QStringLiteral("Name"), Variant::FromString("y"));
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), QStringLiteral("y"));

    // Too few elements or a scalar for two fields: an error before anything is written.
    EXPECT_THROW(SetFieldValuesByNames(ds.get(), QStringLiteral("Id;Name"), VarArrayOf({Variant(9)})), EDatabaseError);
    EXPECT_THROW(SetFieldValuesByNames(ds.get(), QStringLiteral("Id;Name"), Variant(9)), EDatabaseError);
    EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 7);

    SetFieldValuesByNames(ds.get(), QStringLiteral("Id;Name"), Variant::Null());
    EXPECT_TRUE(ds->FieldByName("Id")->IsNull());
    EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
    ds->Cancel();
}

TEST(FieldNameLists, ArrayValues)
{
    auto ds = MakeNames({"a"});
    const TFieldsArrEh one = GetFieldsArrayByNames(ds.get(), nullptr, "Name");
    EXPECT_EQ(GetFieldsArrayValues(ds.get(), one).AsString(), QStringLiteral("a"));
    const Variant two = GetFieldsArrayValues(ds.get(), GetFieldsArrayByNames(ds.get(), nullptr, "Name;Id"));
    ASSERT_TRUE(two.IsArray());
    EXPECT_EQ(two.ArrayLowBound(), 0);
    EXPECT_EQ(two.ArrayHighBound(), 1);
    EXPECT_EQ(two.GetElement(1).AsInteger(), 1);
    EXPECT_THROW(GetFieldsArrayValues(ds.get(), {}), EDatabaseError);
}

TEST(DatasetFieldValueList, DistinctSortedTextsKeepingThePosition)
{
    auto ds = MakeNames({"b", "a", "B", "c", "a"});
    ds->MoveBy(3);
    TDatasetFieldValueListEh list;
    list.SetDataSet(ds.get());
    list.SetFieldName("Name");
    // Without regard to case "b" and "B" are one text; the first one met stays.
    EXPECT_EQ(Texts(list.Values()), (QStringList{"a", "b", "c"}));
    EXPECT_FALSE(list.DataObsoleted());
    EXPECT_EQ(ds->RecNo(), 4);
    EXPECT_FALSE(ds->ControlsDisabled());

    list.SetCaseSensitive(true);
    EXPECT_EQ(Texts(list.Values()).size(), 4);
    // The result is a sorted list: a search finds its texts.
    int index = -1;
    EXPECT_TRUE(static_cast<TStringList*>(list.Values())->Find("c", index));
}

TEST(DatasetFieldValueList, FollowsDataChanges)
{
    auto ds = MakeNames({"b", "a", "b"});
    TDatasetFieldValueListEh list;
    list.SetDataSet(ds.get());
    list.SetFieldName("Name");
    EXPECT_EQ(Texts(list.Values()), (QStringList{"a", "b"}));

    ds->Append();
    ds->FieldByName("Name")->SetAsString("0");
    ds->Post();
    EXPECT_TRUE(list.DataObsoleted());
    EXPECT_EQ(Texts(list.Values()), (QStringList{"0", "a", "b"}));

    ds->First();
    ds->Delete();
    ds->Refresh();
    EXPECT_EQ(Texts(list.Values()), (QStringList{"0", "a", "b"}));   // one "b" is left

    list.SetFieldName("Id");
    EXPECT_EQ(Texts(list.Values()), (QStringList{"", "2", "3"}));   // the appended row has no id

    // Closed or without the field: empty, and still obsolete so the next read tries again.
    ds->Close();
    EXPECT_TRUE(list.Values()->Count() == 0);
    EXPECT_TRUE(list.DataObsoleted());
    ds->Open();
    list.SetFieldName("Missing");
    EXPECT_EQ(list.Values()->Count(), 0);
    list.SetFieldName("Name");
    EXPECT_EQ(list.Values()->Count(), 3);
}

TEST(DatasetFieldValueList, DataSourceAndDataSetSwitch)
{
    auto a = MakeNames({"x"});
    auto b = MakeNames({"y", "z"});
    auto src = CreateUnique<TDataSource>(nullptr);
    src->SetDataSet(b.get());
    TDatasetFieldValueListEh list;
    list.SetFieldName("Name");
    list.SetDataSet(a.get());
    EXPECT_EQ(list.DataSet(), a.get());
    EXPECT_EQ(Texts(list.Values()), QStringList{"x"});
    list.SetDataSource(src.get());
    EXPECT_EQ(list.DataSource(), src.get());
    EXPECT_EQ(Texts(list.Values()), (QStringList{"y", "z"}));
    // A dataset again: back on the list's own source.
    list.SetDataSet(a.get());
    EXPECT_NE(list.DataSource(), src.get());
    EXPECT_EQ(Texts(list.Values()), QStringList{"x"});
}

TEST(DatasetFieldValueList, FreedBeforeItsDataSet)
{
    auto ds = MakeNames({"x"});
    {
        TDatasetFieldValueListEh list;
        list.SetDataSet(ds.get());
        list.SetFieldName("Name");
        list.Values();
    }
    ds->Append();   // no link of the freed list is told anything
    ds->Cancel();
}

}  // namespace
