// The records list: the change log of cached updates, immediate apply, auto-increment, moves
// and sorting.
#include "StoreFixture.h"

namespace {
struct Recorder : TRecordsListNotificatorEh {
    explicit Recorder(TMemTableDataEh* d) : TRecordsListNotificatorEh(nullptr) { SetDataObject(d); log.clear(); }
    QStringList log;
    void DataEvent(TMemoryRecordEh* r, int i, TRecordsListNotification a) override
    {
        TRecordsListNotificatorEh::DataEvent(r, i, a);
        log << QStringLiteral("%1@%2").arg(int(a)).arg(i);
    }
    void RecordMoved(TMemoryRecordEh*, int o, int n) override { log << QStringLiteral("move %1->%2").arg(o).arg(n); }
};
}

using ListTest = StoreFixture;

TEST_F(ListTest, CachedInsertThenDeleteLeavesAnEmptySlot)
{
    list()->SetCachedUpdates(true);
    TMemoryRecordEh* r = Add(1, "a");
    EXPECT_EQ(r->UpdateStatus(), usInserted);
    list()->DeleteRecord(r->Index());
    EXPECT_EQ(list()->Count(), 0);
    ASSERT_EQ(list()->DeltaList().size(), 1u);
    EXPECT_EQ(list()->DeltaList()[0], nullptr);
    EXPECT_TRUE(list()->HasCachedChanges());
    list()->CleanupChangedRecs();
    EXPECT_FALSE(list()->HasCachedChanges());
}

TEST_F(ListTest, ModifyThenDeleteThenCancelKeepsTheModifiedValues)
{
    TMemoryRecordEh* r = Add(1, "a");
    list()->SetCachedUpdates(true);
    r->Edit();
    r->SetDataValue(1, dvvValueEh, "b");
    r->Post();
    list()->DeleteRecord(0);
    EXPECT_EQ(list()->Count(), 1);
    EXPECT_EQ(r->UpdateStatus(), usDeleted);
    EXPECT_FALSE(r->HasOldData());
    ASSERT_EQ(list()->DeltaList().size(), 2u);
    EXPECT_EQ(list()->DeltaList()[0], nullptr);
    EXPECT_EQ(list()->DeltaList()[1], r);
    EXPECT_EQ(ErrorOf([&] { list()->DeleteRecord(0); }), "Can't MarkDel the Deleted record");
    list()->CancelUpdates();
    EXPECT_EQ(r->UpdateStatus(), usUnmodified);
    EXPECT_EQ(r->UpdateIndex(), -1);
    EXPECT_EQ(Names(), "b");
    EXPECT_FALSE(list()->HasCachedChanges());
}

TEST_F(ListTest, CancelUpdatesRestoresEveryKindOfChange)
{
    Add(1, "a");
    Add(2, "b");
    list()->SetCachedUpdates(true);
    TMemoryRecordEh* b = list()->GetRec(1);
    b->Edit();
    b->SetDataValue(1, dvvValueEh, "B");
    b->Post();
    list()->DeleteRecord(0);
    Add(3, "c");
    EXPECT_EQ(Names(), "a,B,c");
    list()->CancelUpdates();
    EXPECT_EQ(Names(), "a,b");
    EXPECT_EQ(list()->GetRec(1)->Index(), 1);
}

TEST_F(ListTest, MergingACachedDeleteRemovesTheRecord)
{
    Add(1, "a");
    Add(2, "b");
    auto recHolder = CreateUnique<Recorder>(data.get());
    Recorder& rec = *recHolder;
    list()->SetCachedUpdates(true);
    list()->DeleteRecord(0);
    rec.log.clear();
    list()->MergeChangeLog();
    EXPECT_EQ(rec.log, QStringList({"4@0", "5@0"}));
    EXPECT_EQ(Names(), "b");
    EXPECT_FALSE(list()->HasCachedChanges());
    EXPECT_TRUE(list()->DeletedList().empty());
}

TEST_F(ListTest, AutoIncrementGivesOneValueToEveryIncField)
{
    auto* a = ds()->CreateField<TMTNumericDataFieldEh>();
    a->SetNumericDataType(fdtAutoIncEh);
    a->SetFieldName("Id");
    auto* b = ds()->CreateField<TMTNumericDataFieldEh>();
    b->SetFieldName("Id2");
    b->SetAutoIncrement(true);
    for (int i = 0; i < 3; ++i)
        Add(i, "x");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list()->GetRec(i)->GetDataValue(3, dvvValueEh).AsInteger(), -1 - i);
        EXPECT_EQ(list()->GetRec(i)->GetDataValue(4, dvvValueEh).AsInteger(), -1 - i);
    }
    // Fetched records keep their own values.
    TMemoryRecordEh* f = list()->NewRecord();
    f->SetDataValue(3, dvvValueEh, 100);
    list()->FetchRecord(f);
    EXPECT_EQ(f->GetDataValue(3, dvvValueEh).AsInteger(), 100);
    EXPECT_EQ(data->AutoIncrement()->CurValue(), -4);
}

TEST_F(ListTest, MoveRenumbersAndSendsOneNotice)
{
    for (int i = 0; i < 7; ++i)
        Add(i, QString::number(i));
    auto recHolder = CreateUnique<Recorder>(data.get());
    Recorder& rec = *recHolder;
    list()->Move(5, 2);
    EXPECT_EQ(Names(), "0,1,5,2,3,4,6");
    EXPECT_EQ(rec.log, QStringList({"move 5->2"}));
    for (int i = 0; i < list()->Count(); ++i)
        EXPECT_EQ(list()->GetRec(i)->Index(), i);
    list()->Move(3, 3);
    EXPECT_EQ(rec.log.size(), 1);
}

TEST_F(ListTest, SortKeepsTheOrderOfEqualRecords)
{
    const int codes[] = {2, 1, 2, 1, 2};
    for (int i = 0; i < 5; ++i)
        Add(codes[i], QString::number(i));
    list()->SortData([](TMemoryRecordEh* a, TMemoryRecordEh* b, TObject*) {
        return CompareValuesEh(a->ValueRef(0), b->ValueRef(0));
    }, nullptr);
    EXPECT_EQ(Names(), "1,3,0,2,4");
}

TEST_F(ListTest, ImmediateApplySeesTheChangeAndCanFillValues)
{
    Add(1, "a");
    auto applierHolder = CreateUnique<TRecordsListNotificatorEh>(nullptr);
    TRecordsListNotificatorEh& applier = *applierHolder;
    QStringList seen;
    bool fail = false;
    applier.OnApplyUpdates = [&](TMemTableDataEh* shadow) {
        TRecordsListEh* l = shadow->RecordsList();
        for (TMemoryRecordEh* r : l->DeltaList()) {
            seen << QStringLiteral("%1:%2").arg(int(r->UpdateStatus())).arg(VarToStr(r->GetDataValue(1, dvvOldestValue)));
            if (fail)
                throw Exception("server refused");
            if (r->UpdateStatus() == usInserted)
                r->SetDataValue(0, dvvValueEh, 99);   // a key made by the server
        }
    };
    applier.SetDataObject(data.get());
    TMemoryRecordEh* r = list()->GetRec(0);
    r->Edit();
    r->SetDataValue(1, dvvValueEh, "A");
    r->Post();
    TMemoryRecordEh* n = Add(Variant::Null(), "new");
    EXPECT_EQ(n->GetDataValue(0, dvvValueEh).AsInteger(), 99);
    list()->DeleteRecord(0);
    EXPECT_EQ(seen, QStringList({"1:a", "2:new", "3:A"}));
    EXPECT_FALSE(list()->HasCachedChanges());

    fail = true;
    r = list()->GetRec(0);
    r->Edit();
    r->SetDataValue(1, dvvValueEh, "changed");
    EXPECT_EQ(ErrorOf([&] { r->Post(); }), "server refused");
    EXPECT_EQ(r->EditState(), resEditEh);
    r->Cancel();
    EXPECT_EQ(Names(), "new");
    TMemoryRecordEh* refused = list()->NewRecord();
    EXPECT_THROW(list()->AddRecord(refused), Exception);
    EXPECT_FALSE(refused->Attached());
    EXPECT_EQ(list()->Count(), 1);
    refused->Cancel();
}

TEST_F(ListTest, RangeDeletesAndAttachErrors)
{
    for (int i = 0; i < 6; ++i)
        Add(i, QString::number(i));
    list()->DeleteRecords({{1, 2}, {4, 4}});
    EXPECT_EQ(Names(), "0,3,5");
    EXPECT_EQ(list()->GetRec(2)->Index(), 2);
    EXPECT_THROW(list()->DeleteRecords({{2, 9}}), EListError);
    EXPECT_EQ(Names(), "0,3,5");
    list()->SetCachedUpdates(true);
    EXPECT_EQ(ErrorOf([&] { list()->DeleteRecords({{0, 0}}); }),
              "Delete a range of record in CachedUpdates mode is not supported");
    TMemoryRecordEh* r = list()->GetRec(0);
    EXPECT_EQ(ErrorOf([&] { list()->AddRecord(r); }), "The record is already attached to RecordsList.");
    auto otherHolder = CreateUnique<TMemTableDataEh>(nullptr);
    TMemTableDataEh& other = *otherHolder;
    TMemoryRecordEh* foreign = other.RecordsList()->NewRecord();
    EXPECT_EQ(ErrorOf([&] { list()->AddRecord(foreign); }), "Record.RecordsList is not the same.");
    delete foreign;
    auto notAContainerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& notAContainer = *notAContainerHolder;
    EXPECT_EQ(ErrorOf([&] { TRecordsListEh l(&notAContainer); }), "TComponent");
    data->BeginRestruct();
    EXPECT_EQ(ErrorOf([&] { data->BeginRestruct(); }), "MemTableData already in RestructMode.");
    data->CancelRestruct();
}

TEST_F(ListTest, CommittedRestructureReachesTheRecords)
{
    Add(5, "five");
    TMTDataStructEh* next = data->BeginRestruct();
    delete next->FieldByName("Code");
    data->CommitRestruct();
    ASSERT_EQ(ds()->Count(), 2);
    EXPECT_EQ(VarToStr(list()->GetRec(0)->GetDataValue(0, dvvValueEh)), "five");
}

TEST_F(ListTest, RepeatedTextsAreKeptOnce)
{
    auto fresh = [](const char* s) {
        const QString t = QString::fromUtf8(s);
        return Variant::FromString(QString(t.constData(), t.size()));   // its own buffer
    };
    Add(1, fresh("Филиал Пермь"));
    Add(2, fresh("Филиал Пермь"));
    Add(3, fresh("Другой"));
    const QString a = list()->GetRec(0)->ValueRef(1).AsString();
    const QString b = list()->GetRec(1)->ValueRef(1).AsString();
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.constData(), b.constData());
    EXPECT_EQ(list()->GetRec(1)->ValueRef(1).VarType(), varString);
    // A column of distinct texts is left alone after a while, and values stay right.
    for (int i = 0; i < 1100; ++i)
        Add(i, Variant::FromString(QString::number(i)));
    EXPECT_EQ(VarToStr(list()->GetRec(1102)->ValueRef(1)), "1099");
}

namespace {

// Thousands of inserts, deletes and moves at random places (the list keeps its records in
// blocks and its positions lazily): every record's Index, the list's order and a sorted view's
// rows stay those of a plain vector doing the same.
TEST_F(StoreFixture, PositionsAndViewRowsFollowManyChangesInTheMiddle)
{
    auto viewHolder = CreateUnique<TRecordsViewEh>(nullptr);
    TRecordsViewEh& view = *viewHolder;
    view.SetMemTableData(data.get());
    view.SetSortOrder("Name");
    std::vector<TMemoryRecordEh*> mirror;
    uint32_t seed = 3;
    auto next = [&](uint32_t n) { seed = seed * 1103515245u + 12345u; return (seed >> 8) % n; };
    for (int step = 0; step < 6000; ++step) {
        const uint32_t what = next(10);
        if (what < 6 || mirror.size() < 10) {
            TMemoryRecordEh* r = list()->NewRecord();
            r->SetDataValue(0, dvvValueEh, step);
            r->SetDataValue(1, dvvValueEh, QStringLiteral("n%1").arg(next(500)));
            const int at = int(next(uint32_t(mirror.size() + 1)));
            list()->InsertRecord(at, r);
            mirror.insert(mirror.begin() + at, r);
        } else if (what < 8) {
            const int at = int(next(uint32_t(mirror.size())));
            list()->DeleteRecord(at);
            mirror.erase(mirror.begin() + at);
        } else if (what < 9) {
            const int from = int(next(uint32_t(mirror.size()))), to = int(next(uint32_t(mirror.size())));
            list()->Move(from, to);
            TMemoryRecordEh* r = mirror[size_t(from)];
            mirror.erase(mirror.begin() + from);
            mirror.insert(mirror.begin() + to, r);
        } else {
            TMemoryRecordEh* r = mirror[next(uint32_t(mirror.size()))];
            r->Edit();
            r->SetDataValue(1, dvvValueEh, QStringLiteral("n%1").arg(next(500)));
            r->Post();
        }
        if (step % 500 == 0 || step == 5999) {
            ASSERT_EQ(list()->Records(), mirror) << step;
            for (size_t i = 0; i < mirror.size(); ++i)
                ASSERT_EQ(mirror[i]->Index(), int(i)) << step;
            ASSERT_EQ(view.Count(), int(mirror.size()));
            for (int row = 0; row < view.Count(); ++row) {
                ASSERT_EQ(view.IndexOf(view.GetRec(row)), row) << step;
                if (row > 0) {
                    ASSERT_LT(view.CompareViewRecords(view.GetRec(row - 1), view.GetRec(row)), 0) << step;
                }
            }
        }
    }
}

}  // namespace
