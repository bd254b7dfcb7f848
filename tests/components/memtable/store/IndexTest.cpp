// Indexes over a records list: unique keys, maintenance on every change, lookups.
#include "StoreFixture.h"

#include <random>

struct IndexTest : StoreFixture {
    TMTIndexEh* AddIndex(const QString& fields, bool unique)
    {
        TMTIndexEh* i = list()->Indexes()->Add();
        i->SetFields(fields);
        i->SetUnical(unique);
        i->SetActive(true);
        return i;
    }
    // Every item names the record at its position and the items are in key order.
    void CheckConsistent(TMTIndexEh* idx)
    {
        ASSERT_EQ(idx->Count(), list()->Count());
        std::vector<int> seen(size_t(list()->Count()), 0);
        for (int i = 0; i < idx->Count(); ++i) {
            TIndexItemEh* it = idx->Items(i);
            ASSERT_GE(it->RecIndex, 0);
            ASSERT_LT(it->RecIndex, list()->Count());
            ++seen[size_t(it->RecIndex)];
            EXPECT_TRUE(VarEqualsEh(it->Value, list()->GetRec(it->RecIndex)->GetDataValues(idx->Fields(), dvvValueEh)));
            if (i > 0) {
                ASSERT_LE(CompareValuesEh(idx->Items(i - 1)->Value, it->Value), 0);
            }
        }
        for (int s : seen)
            ASSERT_EQ(s, 1);
    }
};

TEST_F(IndexTest, UniqueIndexRefusesAnExistingKey)
{
    AddIndex("Code", true);
    Add(5, "a");
    Add(Variant::Null(), "n");
    TMemoryRecordEh* r = list()->NewRecord();
    r->SetDataValue(0, dvvValueEh, 5);
    EXPECT_EQ(ErrorOf([&] { r->Post(); }), "Unique key violation \r FieldNames: Code\r Value: \"5\"");
    EXPECT_FALSE(r->Attached());
    r->SetDataValue(0, dvvValueEh, Variant::Null());
    EXPECT_THROW(r->Post(), EDatabaseError);
    r->Cancel();
    EXPECT_EQ(list()->Count(), 2);
}

TEST_F(IndexTest, ChangingToAnotherRecordsKeyIsRefused)
{
    AddIndex("Code", true);
    Add(5, "a");
    TMemoryRecordEh* b = Add(6, "b");
    b->Edit();
    b->SetDataValue(0, dvvValueEh, 5);
    EXPECT_EQ(ErrorOf([&] { b->Post(); }), "Unical key violation 5");
    b->SetDataValue(0, dvvValueEh, 6);
    b->Post();
    EXPECT_EQ(b->EditState(), resBrowseEh);
}

TEST_F(IndexTest, MatchedRecordsOfAKey)
{
    TMTIndexEh* idx = AddIndex("Code", false);
    for (int i = 0; i < 11; ++i)
        Add(i == 4 || i == 7 || i == 9 ? 42 : i, QString::number(i));
    std::vector<TMemoryRecordEh*> recs;
    idx->FillMatchedRecsList(Variant(42), recs);
    std::vector<int> positions;
    for (TMemoryRecordEh* r : recs)
        positions.push_back(r->Index());
    std::sort(positions.begin(), positions.end());
    EXPECT_EQ(positions, (std::vector<int>{4, 7, 9}));
    int at = 0;
    EXPECT_TRUE(idx->FindRecordIndexByKey(Variant(3), at));
    EXPECT_EQ(at, 3);
    EXPECT_FALSE(idx->FindKeyValueIndex(Variant(100), at));
    EXPECT_EQ(at, idx->Count());
    EXPECT_EQ(ErrorOf([&] { idx->FindKeyValueIndex(VarArrayOf({Variant(1), Variant(2)}), at); }),
              "TMTIndexEh.FindKeyValueIndex: values is not comparable.");
}

TEST_F(IndexTest, StaysConsistentThroughEveryKindOfChange)
{
    TMTIndexEh* byCode = AddIndex("Code", false);
    TMTIndexEh* byPair = AddIndex("Name;Code", false);
    std::mt19937 rng(7);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    for (int step = 0; step < 800; ++step) {
        const int n = list()->Count();
        switch (n == 0 ? 0 : pick(7)) {
        case 0: Add(pick(10), QString::number(pick(4))); break;
        case 1: {
            TMemoryRecordEh* r = list()->NewRecord();
            r->SetDataValue(0, dvvValueEh, pick(10));
            list()->InsertRecord(pick(n + 1), r);
            break;
        }
        case 2: {
            TMemoryRecordEh* r = list()->GetRec(pick(n));
            r->Edit();
            r->SetDataValue(0, dvvValueEh, pick(10));
            r->Post();
            break;
        }
        case 3: list()->DeleteRecord(pick(n)); break;
        case 4: list()->Move(pick(n), pick(n)); break;
        case 5: list()->SetValue(pick(n), 1, Variant::FromString(QString::number(pick(4)))); break;
        case 6:
            if (pick(4) == 0)
                list()->SortData([](TMemoryRecordEh* a, TMemoryRecordEh* b, TObject*) {
                    return CompareValuesEh(a->ValueRef(1), b->ValueRef(1));
                }, nullptr);
            else if (n > 2)
                list()->DeleteRecords({{0, pick(2)}});
            break;
        }
        ASSERT_NO_FATAL_FAILURE(CheckConsistent(byCode)) << "step " << step;
        ASSERT_NO_FATAL_FAILURE(CheckConsistent(byPair)) << "step " << step;
    }
}

TEST_F(IndexTest, IndexApartAndLookupByFields)
{
    Add(3, "c");
    Add(1, "a");
    std::unique_ptr<TMTIndexEh> idx(TMTIndexEh::CreateApart(list()));
    idx->SetFields("Name");
    EXPECT_EQ(idx->Count(), 2);
    EXPECT_EQ(VarToStr(idx->GetKeyValue(0)), "a");
    AddIndex("Code", false);
    EXPECT_NE(list()->Indexes()->GetIndexForFields("CODE"), nullptr);
    EXPECT_EQ(list()->Indexes()->GetIndexForFields("Name"), nullptr);
    data->ResetRecords();
    EXPECT_EQ(list()->Indexes()->Count(), 0);
}
