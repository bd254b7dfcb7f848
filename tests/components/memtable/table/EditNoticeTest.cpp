// Editing without a driver, and the row notices receivers get, held while controls are disabled.
#include "TableFixture.h"

#include <thread>

namespace {

struct NoticeFixture : TableFixture {
    TNoticeReceiver* rcv = Create<TNoticeReceiver>(&owner);
    void SetUp() override
    {
        TableFixture::SetUp();
        t->RegisterEventReceiver(rcv);
    }
    std::vector<Notice> Take()
    {
        std::vector<Notice> g;
        g.swap(rcv->Got);
        rcv->Threads.clear();
        return g;
    }
};

const Notice WholeData{-1, mtViewDataChangedEh, -1};

TEST_F(TableFixture, InsertPutsTheRecordAtTheCursorAndAppendAtTheEnd)
{
    OpenWith(3);
    t->SetRecNo(2);
    t->Insert();
    t->FieldByName("Name")->SetAsString(QStringLiteral("ins"));
    t->Post();
    EXPECT_EQ(Cur(), QStringLiteral("ins"));
    EXPECT_EQ(t->RecNo(), 2);
    t->Append();
    t->FieldByName("Name")->SetAsString(QStringLiteral("app"));
    t->Post();
    EXPECT_EQ(t->RecNo(), 5);
    EXPECT_EQ(Names(), QStringLiteral("n1,ins,n2,n3,app"));
    EXPECT_FALSE(t->HasCachedChanges());
}

TEST_F(TableFixture, DeletingTheLastRowLeavesTheCursorOnTheNewLastRow)
{
    OpenWith(3);
    t->Last();
    t->Delete();
    EXPECT_EQ(Cur(), QStringLiteral("n2"));
    EXPECT_EQ(t->RecNo(), 2);
    EXPECT_EQ(t->RecordCount(), 2);
    t->First();
    t->Delete();
    EXPECT_EQ(Cur(), QStringLiteral("n2"));
}

TEST_F(TableFixture, WithCachedUpdatesChangesAreLoggedUntilMergedOrCancelled)
{
    OpenWith(2);
    t->SetCachedUpdates(true);
    t->Edit();
    t->FieldByName("Name")->SetAsString(QStringLiteral("x"));
    t->Post();
    EXPECT_TRUE(t->HasCachedChanges());
    EXPECT_EQ(t->UpdateStatus(), usModified);
    t->CancelUpdates();
    EXPECT_EQ(Names(), QStringLiteral("n1,n2"));
    EXPECT_FALSE(t->HasCachedChanges());
    t->Edit();
    t->FieldByName("Name")->SetAsString(QStringLiteral("y"));
    t->Post();
    EXPECT_EQ(t->ApplyUpdates(-1), 0);   // no driver: the log is merged
    EXPECT_FALSE(t->HasCachedChanges());
    EXPECT_EQ(Names(), QStringLiteral("y,n2"));
}

TEST_F(NoticeFixture, OpeningSendsOneWholeDataNotice)
{
    TMemoryRecordEh* r = t->RecordsStore()->RecordsList()->NewRecord();
    r->SetDataValue(0, dvvValueEh, Variant(1));
    r->Post();   // closed: no notice
    EXPECT_TRUE(rcv->Got.empty());
    t->Open();
    EXPECT_EQ(Take(), std::vector<Notice>{WholeData});
}

TEST_F(NoticeFixture, InsertCancelAndPostInTheMiddleOfTheView)
{
    OpenWith(5);
    t->SetRecNo(3);
    Take();
    t->Insert();
    EXPECT_EQ(Take(), (std::vector<Notice>{{2, mtRowInsertedEh, -1}}));
    t->Cancel();
    EXPECT_EQ(Take(), (std::vector<Notice>{{2, mtRowDeletedEh, -1}}));
    t->Insert();
    t->FieldByName("Name")->SetAsString(QStringLiteral("new"));
    Take();
    t->Post();
    // the stored record while the insert row still counts, then the insert row going away
    EXPECT_EQ(Take(), (std::vector<Notice>{{3, mtRowInsertedEh, -1}, {2, mtRowDeletedEh, -1}}));
    EXPECT_EQ(Names(), QStringLiteral("n1,n2,new,n3,n4,n5"));
}

TEST_F(NoticeFixture, EditAndDeleteTellTheirRows)
{
    OpenWith(4);
    t->SetRecNo(2);
    Take();
    t->Edit();
    t->FieldByName("Name")->SetAsString(QStringLiteral("x"));
    t->Post();
    EXPECT_EQ(Take(), (std::vector<Notice>{{1, mtRowChangedEh, -1}}));
    t->Delete();
    EXPECT_EQ(Take(), (std::vector<Notice>{{1, mtRowDeletedEh, -1}}));
}

TEST_F(NoticeFixture, HeldNoticesWhileControlsAreDisabled)
{
    OpenWith(3);
    t->SortByFields("Code");
    t->SetSortOrder("Code");
    struct Case {
        const char* name;
        std::function<void()> change;
        std::vector<Notice> want;
    } cases[] = {
        {"three appends merge", [&] { Add(7, "a"); Add(8, "b"); Add(9, "c"); }, {WholeData}},
        {"one change arrives unchanged",
         [&] {
             t->SetRecNo(2);
             t->Edit();
             t->FieldByName("Name")->SetAsString("z");
             t->Post();
         },
         {{1, mtRowChangedEh, -1}}},
        // a move cannot be told later: it counts, so the change after it merges
        {"a move and a change merge",
         [&] {
             t->First();
             t->Edit();
             t->FieldByName("Code")->SetAsInteger(100);
             t->Post();
         },
         {WholeData}},
    };
    for (const Case& c : cases) {
        Take();
        t->DisableControls();
        c.change();
        EXPECT_TRUE(rcv->Got.empty()) << c.name;
        t->EnableControls();
        EXPECT_EQ(Take(), c.want) << c.name;
    }
}

TEST_F(NoticeFixture, AMoveWithControlsEnabledTellsBothRows)
{
    OpenWith(3);
    t->SetSortOrder("Code");
    t->First();
    Take();
    t->Edit();
    t->FieldByName("Code")->SetAsInteger(100);
    t->Post();
    EXPECT_EQ(Take(), (std::vector<Notice>{{2, mtRowMovedEh, 0}, {2, mtRowChangedEh, -1}}));
    EXPECT_EQ(Names(), QStringLiteral("n2,n3,n1"));
    EXPECT_EQ(Cur(), QStringLiteral("n1"));
}

TEST_F(NoticeFixture, AnOutermostDisableEnablePairOfTheInterfaceSendsAWholeDataNotice)
{
    OpenWith(2);
    Take();
    t->MTDisableControls();
    t->MTDisableControls();
    t->MTEnableControls(false);
    EXPECT_TRUE(rcv->Got.empty());
    t->MTEnableControls(true);
    EXPECT_EQ(Take(), std::vector<Notice>{WholeData});
}

TEST_F(NoticeFixture, AJobThreadFillingTheTableIsHeardOnlyOnTheThreadThatEnablesControls)
{
    OpenWith(1);
    Take();
    t->DisableControls();
    EXPECT_TRUE(t->DataRefilling());
    std::thread job([&] {
        t->Close();
        t->Open();
        for (int i = 0; i < 100; ++i)
            Add(10 + i, "job");
        t->SortByFields("Code DESC");
    });
    job.join();
    EXPECT_TRUE(rcv->Got.empty());
    t->EnableControls();
    EXPECT_FALSE(t->DataRefilling());
    ASSERT_EQ(rcv->Threads.size(), 1u);
    EXPECT_EQ(rcv->Threads[0], std::this_thread::get_id());
    EXPECT_EQ(Take(), std::vector<Notice>{WholeData});
    EXPECT_EQ(t->RecordCount(), 101);
}

TEST_F(NoticeFixture, UnregisteredReceiversHearNothing)
{
    OpenWith(1);
    t->UnregisterEventReceiver(rcv);
    Take();
    Add(2, "b");
    EXPECT_TRUE(rcv->Got.empty());
    EXPECT_EQ(t->EventReceiverCount(), 0);
}

}  // namespace

namespace {

TEST_F(NoticeFixture, AReceiverDestroyedWithoutUnregisteringIsNotCalled)
{
    OpenWith(1);
    auto* gone = Create<TNoticeReceiver>(nullptr);
    t->RegisterEventReceiver(gone);
    EXPECT_EQ(t->EventReceiverCount(), 2);
    delete gone;
    EXPECT_EQ(t->EventReceiverCount(), 1);
    Take();
    Add(2, "b");
    EXPECT_FALSE(Take().empty());   // the remaining receiver still hears
}

}  // namespace
