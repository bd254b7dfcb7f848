#include "Fixture.h"

#include <gtest/gtest.h>

using namespace dbtest;

namespace {

QString Name(TDataSet& ds) { return ds.FieldByName("Name")->AsString(); }

TEST(DataSetNavigation, FirstNextPriorLastAndTheCracks)
{
    auto ds = MakePeople();
    EXPECT_TRUE(ds->Bof());
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(Name(*ds), "Ann");
    ds->Next();
    EXPECT_EQ(Name(*ds), "Bob");
    EXPECT_FALSE(ds->Bof());
    ds->Prior();
    ds->Prior();  // stays on the first record and sets BOF
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(Name(*ds), "Ann");
    ds->Last();
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(Name(*ds), "Jon");
    ds->Next();
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(Name(*ds), "Jon");
    EXPECT_EQ(ds->RecNo(), 10);
    EXPECT_EQ(ds->RecordCount(), 10);
}

TEST(DataSetNavigation, MoveByReturnsTheDistanceMoved)
{
    auto ds = MakePeople();
    struct Step { int By, Moved; const char* Lands; };
    const Step steps[] = {{3, 3, "Dan"}, {-2, -2, "Bob"}, {20, 8, "Jon"}, {0, 0, "Jon"}, {-50, -9, "Ann"}, {1, 1, "Bob"}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.By);
        EXPECT_EQ(ds->MoveBy(s.By), s.Moved);
        EXPECT_EQ(Name(*ds), s.Lands);
    }
}

TEST(DataSetNavigation, EmptyAndClosedDataSets)
{
    auto ds = MakePeople(nullptr, false);
    try {
        ds->First();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "People: Cannot perform this operation on a closed dataset");
    }
    EXPECT_THROW(ds->RecordCount(), EDatabaseError);

    auto emptyHolder = CreateUnique<TArrayDataSet>();
    TArrayDataSet& empty = *emptyHolder;
    empty.FieldDefs()->Add("Name", ftString, 10);
    empty.Open();
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(empty.Bof() && empty.Eof());
    EXPECT_TRUE(empty.FieldByName("Name")->IsNull());
    EXPECT_EQ(empty.MoveBy(1), 0);
    EXPECT_THROW(empty.Delete(), EDatabaseError);
    EXPECT_TRUE(empty.Bookmark().isEmpty());
}

TEST(DataSetNavigation, FieldByNameIgnoresCaseAndNamesTheDataSetWhenMissing)
{
    auto ds = MakePeople();
    EXPECT_EQ(ds->FieldByName("nAmE"), ds->FindField("NAME"));
    EXPECT_EQ(ds->FindField("Nope"), nullptr);
    try {
        ds->FieldByName("Nope");
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "People: Field 'Nope' not found");
    }
    Variant both = ds->FieldValues("Id;Name");
    ASSERT_TRUE(both.IsArray());
    EXPECT_EQ(both.GetElement(1).AsString(), "Ann");
}

// Records every event of the dataset in order.
struct EventLog {
    QStringList Log;
    void Attach(TDataSet& ds)
    {
        auto rec = [this](const char* what) { return TDataSetNotifyEvent([this, what](TDataSet*) { Log << what; }); };
        ds.BeforeInsert = rec("BeforeInsert");
        ds.AfterInsert = rec("AfterInsert");
        ds.BeforeEdit = rec("BeforeEdit");
        ds.AfterEdit = rec("AfterEdit");
        ds.BeforePost = rec("BeforePost");
        ds.AfterPost = rec("AfterPost");
        ds.BeforeCancel = rec("BeforeCancel");
        ds.AfterCancel = rec("AfterCancel");
        ds.BeforeDelete = rec("BeforeDelete");
        ds.AfterDelete = rec("AfterDelete");
        ds.BeforeScroll = rec("BeforeScroll");
        ds.AfterScroll = rec("AfterScroll");
        ds.OnNewRecord = rec("NewRecord");
    }
};

TEST(DataSetEditing, EditPostAndCancelWithTheirEvents)
{
    auto ds = MakePeople();
    EventLog log;
    log.Attach(*ds);
    ds->Next();
    log.Log.clear();

    ds->Edit();
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_FALSE(ds->Modified());
    ds->FieldByName("Name")->SetAsString("Bobby");
    EXPECT_TRUE(ds->Modified());
    EXPECT_EQ(ds->Row(1)[1].AsString(), "Bob");  // not stored before post
    EXPECT_EQ(ds->FieldByName("Name")->OldValue().AsString(), "Bob");
    ds->Post();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->Row(1)[1].AsString(), "Bobby");
    EXPECT_EQ(log.Log, QStringList({"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost"}));

    log.Log.clear();
    ds->Edit();
    ds->FieldByName("Name")->SetAsString("Nobody");
    ds->Cancel();
    EXPECT_EQ(Name(*ds), "Bobby");
    EXPECT_EQ(log.Log, QStringList({"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel"}));
}

TEST(DataSetEditing, InsertGoesBeforeTheCurrentRecordAndCancelRestoresIt)
{
    auto ds = MakePeople();
    EventLog log;
    log.Attach(*ds);
    ds->MoveBy(2);  // Cid
    log.Log.clear();
    ds->Insert();
    EXPECT_FALSE(ds->InsertSawEof);
    EXPECT_EQ(log.Log, QStringList({"BeforeInsert", "BeforeScroll", "NewRecord", "AfterInsert", "AfterScroll"}));
    EXPECT_EQ(ds->State(), dsInsert);
    EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
    ds->Cancel();
    EXPECT_EQ(Name(*ds), "Cid");
    EXPECT_EQ(ds->RowCount(), 10);

    ds->Insert();
    ds->FieldByName("Id")->SetAsInteger(99);
    ds->FieldByName("Name")->SetAsString("New");
    ds->Post();
    EXPECT_EQ(Name(*ds), "New");
    EXPECT_EQ(ds->Row(2)[1].AsString(), "New");
    EXPECT_EQ(ds->Row(3)[1].AsString(), "Cid");
    ds->Next();
    EXPECT_EQ(Name(*ds), "Cid");
}

TEST(DataSetEditing, AppendAddsAtTheEndAndDeleteOfTheLastKeepsTheNewLast)
{
    auto ds = MakePeople();
    ds->Append();
    EXPECT_TRUE(ds->InsertSawEof);
    EXPECT_TRUE(ds->Eof());
    ds->FieldByName("Name")->SetAsString("Zed");
    ds->Post();
    EXPECT_EQ(ds->RowCount(), 11);
    EXPECT_EQ(ds->Row(10)[1].AsString(), "Zed");
    EXPECT_EQ(Name(*ds), "Zed");
    ds->Delete();
    EXPECT_EQ(ds->RowCount(), 10);
    EXPECT_EQ(Name(*ds), "Jon");
    ds->First();
    ds->Delete();
    EXPECT_EQ(Name(*ds), "Bob");
}

TEST(DataSetEditing, EditOnAnEmptyDataSetInserts)
{
    auto dsHolder = CreateUnique<TArrayDataSet>();
    TArrayDataSet& ds = *dsHolder;
    ds.FieldDefs()->Add("Name", ftString, 10);
    ds.Open();
    ds.Edit();
    EXPECT_EQ(ds.State(), dsInsert);
    ds.FieldByName("Name")->SetAsString("One");
    ds.Post();
    EXPECT_EQ(ds.RowCount(), 1);
    EXPECT_FALSE(ds.IsEmpty());
    ds.Delete();
    EXPECT_TRUE(ds.IsEmpty());
    ds.Insert();
    ds.Cancel();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST(DataSetEditing, ScrollingPostsAModifiedRecordAndCancelsAnUntouchedOne)
{
    auto ds = MakePeople();
    ds->Edit();
    ds->FieldByName("Name")->SetAsString("Anna");
    ds->Next();
    EXPECT_EQ(ds->Row(0)[1].AsString(), "Anna");
    ds->Insert();
    ds->Next();  // nothing was typed: the new record goes away
    EXPECT_EQ(ds->RowCount(), 10);
}

TEST(DataSetEditing, WritesOutsideEditStateAndToReadOnlyFieldsAreRefused)
{
    auto ds = MakePeople();
    try {
        ds->FieldByName("Name")->SetAsString("X");
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "People: Dataset not in edit or insert mode");
    }
    ds->FieldByName("Id")->SetReadOnly(true);
    ds->Edit();
    EXPECT_THROW(ds->FieldByName("Id")->SetAsInteger(5), EDatabaseError);
    ds->Cancel();
    ds->SetReadOnly(true);
    EXPECT_THROW(ds->Edit(), EDatabaseError);
    EXPECT_FALSE(ds->FieldByName("Name")->CanModify());
}

TEST(DataSetEditing, RequiredFieldsAreCheckedOnPost)
{
    auto ds = MakePeople();
    ds->FieldByName("Name")->SetRequired(true);
    ds->Append();
    try {
        ds->Post();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "People: Field 'Name' must have a value");
    }
    EXPECT_EQ(ds->State(), dsInsert);
    ds->Cancel();
}

TEST(DataSetEditing, ErrorEventsChooseFailAbortOrRetry)
{
    auto ds = MakePeople();
    ds->FieldByName("Name")->SetRequired(true);
    int calls = 0;
    ds->OnPostError = [&](TDataSet* d, EDatabaseError&, TDataAction& action) {
        ++calls;
        if (calls == 1) {  // mend the record and try again
            d->FieldByName("Name")->SetAsString("Mended");
            action = daRetry;
        }
    };
    ds->Append();
    ds->Post();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ds->Row(10)[1].AsString(), "Mended");

    ds->OnPostError = [](TDataSet*, EDatabaseError&, TDataAction& action) { action = daAbort; };
    ds->Append();
    EXPECT_THROW(ds->Post(), EAbort);
}

TEST(DataSetBookmarks, GotoCompareAndValidity)
{
    auto ds = MakePeople();
    ds->MoveBy(4);
    const TBookmark eve = ds->Bookmark();
    ds->Last();
    const TBookmark jon = ds->Bookmark();
    ds->GotoBookmark(eve);
    EXPECT_EQ(Name(*ds), "Eve");
    EXPECT_EQ(ds->CompareBookmarks(eve, jon), -1);
    EXPECT_EQ(ds->CompareBookmarks(jon, eve), 1);
    EXPECT_EQ(ds->CompareBookmarks(eve, eve), 0);
    EXPECT_EQ(ds->CompareBookmarks(TBookmark(), eve), -1);
    EXPECT_EQ(ds->CompareBookmarks(TBookmark(), TBookmark()), 0);
    EXPECT_TRUE(ds->BookmarkValid(eve));

    ds->Delete();  // Eve
    EXPECT_FALSE(ds->BookmarkValid(eve));
    EXPECT_EQ(Name(*ds), "Fay");
    EXPECT_THROW(ds->GotoBookmark(eve), EDatabaseError);
    ds->SetBookmark(jon);
    EXPECT_EQ(Name(*ds), "Jon");
}

TEST(DataSetNavigation, ResyncFallsBackWhenTheRecordIsGone)
{
    auto ds = MakePeople();
    ds->Last();
    ds->RemoveSourceRow(9);  // Jon goes away behind the dataset's back
    EXPECT_THROW(ds->Resync({rmExact}), EDatabaseError);
    ds->Resync({});
    EXPECT_EQ(Name(*ds), "Ivy");  // neither current nor next: the prior one

    ds->SourceRow(2)[1] = Variant::FromString("Cyd");
    ds->First();
    ds->MoveBy(2);
    EXPECT_EQ(Name(*ds), "Cyd");
    ds->SourceRow(2)[1] = Variant::FromString("Kid");
    EXPECT_EQ(Name(*ds), "Cyd");  // the buffer holds what was read
    ds->Refresh();
    EXPECT_EQ(Name(*ds), "Kid");
}

TEST(DataSetEditing, AppendRecordAndInsertRecordFillTheFields)
{
    auto ds = MakePeople();
    ds->AppendRecord({Variant(11), Variant("Kim")});
    EXPECT_EQ(ds->Row(10)[1].AsString(), "Kim");
    ds->First();
    ds->InsertRecord({Variant(0), Variant("Abe")});
    EXPECT_EQ(ds->Row(0)[1].AsString(), "Abe");
    EXPECT_EQ(Name(*ds), "Abe");
}

TEST(DataSetFilter, OnFilterRecordHidesRecords)
{
    auto ds = MakePeople();
    ds->SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName("Active")->AsBoolean(); });
    ds->SetFiltered(true);
    QStringList seen;
    for (ds->First(); !ds->Eof(); ds->Next())
        seen << Name(*ds);
    EXPECT_EQ(seen, QStringList({"Ann", "Cid", "Eve", "Gus", "Ivy"}));
    EXPECT_EQ(ds->RecordCount(), 5);
    ds->SetFiltered(false);
    EXPECT_EQ(ds->RecordCount(), 10);
}

}  // namespace
