// Memory records: value versions, edit states, post and cancel.
#include "StoreFixture.h"

using RecordsTest = StoreFixture;

TEST_F(RecordsTest, CancelRestoresValuesFromBeforeTheFirstEdit)
{
    TMemoryRecordEh* r = Add(1, "one");
    r->Edit();
    r->SetDataValue(1, dvvValueEh, "two");
    r->Edit();   // already editing: no new copy
    r->SetDataValue(1, dvvValueEh, "three");
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvCurValueEh)), "one");
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvEditValueEh)), "three");
    r->Cancel();
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvValueEh)), "one");
    EXPECT_EQ(r->EditState(), resBrowseEh);
    EXPECT_EQ(ErrorOf([&] { r->GetDataValue(1, dvvEditValueEh); }),
              "TMemoryRecordEh.GetDataValues: Edit values is not accessible.");
    EXPECT_EQ(ErrorOf([&] { r->Cancel(); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf([&] { r->Post(); }), "Dataset not in edit or insert mode");
}

TEST_F(RecordsTest, CachedPostsKeepTheOldestValues)
{
    TMemoryRecordEh* r = Add(1, "one");
    list()->SetCachedUpdates(true);
    EXPECT_EQ(ErrorOf([&] { r->GetDataValues("Name", dvvOldValueEh); }),
              "TMemoryRecordEh.GetDataValues: Old values is not accessible.");
    for (const char* v : {"two", "three"}) {
        r->Edit();
        r->SetDataValue(1, dvvValueEh, v);
        r->Post();
    }
    EXPECT_EQ(r->UpdateStatus(), usModified);
    EXPECT_EQ(r->UpdateIndex(), 0);
    EXPECT_EQ(list()->DeltaList().size(), 1u);
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvOldValueEh)), "one");
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvOldestValue)), "one");
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvRefreshValue)), "one");
    r->RevertRecord();
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvValueEh)), "one");
    EXPECT_EQ(r->UpdateStatus(), usUnmodified);
    EXPECT_FALSE(r->HasOldData());
}

TEST_F(RecordsTest, ValuesTakeTheFieldsType)
{
    TMemoryRecordEh* r = list()->NewRecord();
    EXPECT_EQ(r->EditState(), resInsertEh);
    EXPECT_TRUE(r->GetDataValue(0, dvvValueEh).IsNull());
    r->SetDataValue(0, dvvValueEh, Variant::FromString("12"));
    EXPECT_EQ(r->GetDataValue(0, dvvValueEh).VarType(), varInteger);
    EXPECT_EQ(r->GetDataValue(0, dvvValueEh).AsInteger(), 12);
    r->SetDataValue(1, dvvValueEh, Variant(42));
    EXPECT_EQ(r->GetDataValue(1, dvvValueEh).VarType(), varString);
    r->SetDataValue(2, dvvValueEh, Variant(1.5));
    EXPECT_EQ(r->GetDataValue(2, dvvValueEh).VarType(), varCurrency);
    r->SetDataValue(2, dvvValueEh, Variant::Null());
    EXPECT_TRUE(r->GetDataValue(2, dvvValueEh).IsNull());
    EXPECT_THROW(r->SetDataValue(0, dvvValueEh, Variant::FromString("abc")), EVariantError);
    EXPECT_EQ(ErrorOf([&] { r->GetDataValue(3, dvvValueEh); }), "List index out of bounds (3)");
    EXPECT_EQ(ErrorOf([&] { r->SetDataValues("Nope", dvvValueEh, Variant(1)); }), "List index out of bounds (-1)");
    EXPECT_EQ(ErrorOf([&] { r->GetDataValues("Nope", dvvValueEh); }), "Field 'Nope' not found");
    r->Cancel();   // never attached: freed
}

TEST_F(RecordsTest, MultiFieldKeysAreArraysInRequestedOrder)
{
    TMemoryRecordEh* r = Add(7, "seven", Currency::FromInt(70));
    const Variant v = r->GetDataIndexValues({2, 0}, dvvValueEh);
    ASSERT_TRUE(v.IsArray());
    EXPECT_EQ(v.ArrayCount(), 2);
    EXPECT_EQ(v.GetElement(0).AsCurrency(), Currency::FromInt(70));
    EXPECT_EQ(v.GetElement(1).AsInteger(), 7);
    const Variant byName = r->GetDataValues("Name;Code", dvvValueEh);
    EXPECT_EQ(VarToStr(byName.GetElement(0)), "seven");
    r->SetDataValues("Code; Name", dvvValueEh, VarArrayOf({Variant(8), Variant("eight")}));
    EXPECT_EQ(r->GetDataValue(0, dvvValueEh).AsInteger(), 8);
    EXPECT_EQ(r->GetDataIndexValues({1}, dvvValueEh).IsArray(), false);
}

TEST_F(RecordsTest, RefreshEditIsRefusedDuringAnEdit)
{
    TMemoryRecordEh* r = Add(1, "one");
    r->Edit();
    EXPECT_EQ(ErrorOf([&] { r->EditForRefresh(); }),
              "procedure TMemoryRecordEh.EditForRefresh: The MemoryRecord is in resEditEh state.");
    r->Cancel();
    r->EditForRefresh();
    r->SetDataValue(1, dvvValueEh, "fresh");
    r->Cancel();   // a refresh has no copy to go back to: the values stay
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvValueEh)), "fresh");
}

TEST_F(RecordsTest, RefreshKeepsAPendingChange)
{
    TMemoryRecordEh* r = Add(1, "one");
    list()->SetCachedUpdates(true);
    r->Edit();
    r->SetDataValue(1, dvvValueEh, "mine");
    r->Post();
    TMemoryRecordEh* server = list()->NewRecord();
    server->SetDataValue(1, dvvValueEh, "server");
    r->RefreshRecord(server);
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvValueEh)), "mine");
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvOldValueEh)), "server");
    server->Cancel();
}
