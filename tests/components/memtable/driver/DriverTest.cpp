// The dataset driver between an in-memory table and a query over a real SQLite catalog:
// reading in full or on demand, and writing every post back at once by key.
#include "components/memtable/DataDriverEh.h"
#include "support/ErrorCapture.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/query/QueryFixture.h"

namespace {

class DriverTest : public QueryTest {
protected:
    TADOQuery* q = nullptr;
    TDataSetDriverEh* drv = nullptr;
    TMemTableEh* t = nullptr;

    void SetUp() override
    {
        QueryTest::SetUp();
        conn->Execute(QStringLiteral(
            "CREATE TABLE tmpDararedInv(idRecord int IDENTITY(1,1) PRIMARY KEY, invoicefullname varchar(25) NOT NULL, "
            "namepredpr varchar(300) NULL, hide bit NOT NULL DEFAULT 0)\n"
            "CREATE UNIQUE INDEX UX_Inv ON tmpDararedInv(invoicefullname)"));
        for (int i = 1; i <= 6; ++i)
            conn->Execute(QStringLiteral("INSERT INTO tmpDararedInv(invoicefullname, namepredpr) VALUES ('INV-%1', 'Предприятие %2')")
                              .arg(i).arg(i % 3));
        q = Create<TADOQuery>(&owner);
        q->SetConnection(conn);
        q->SetCursorType(ctStatic);
        q->SQL()->Add(QStringLiteral("SELECT idRecord, invoicefullname, namepredpr, hide FROM tmpDararedInv ORDER BY idRecord"));
        drv = Create<TDataSetDriverEh>(&owner);
        drv->SetProviderDataSet(q);
        t = Create<TMemTableEh>(&owner);
        t->SetDataDriver(drv);
    }

    QStringList Db()
    {
        auto r = conn->Session().Open(QStringLiteral("SELECT idRecord, invoicefullname, hide FROM tmpDararedInv ORDER BY idRecord"));
        return RenderAll(*r);
    }

    QString Names()
    {
        QStringList s;
        for (int i = 0; i < t->InstantReadRowCount(); ++i) {
            TInstantReadGuardEh g(t, i);
            s << t->FieldByName("invoicefullname")->AsString();
        }
        return s.join(u',');
    }

    int Loaded() { return t->RecordsStore()->RecordsList()->Count(); }
};

TEST_F(DriverTest, OpeningReadsEveryRowAndTheQueryOpensAndClosesWithTheTable)
{
    t->SetFetchAllOnOpen(true);
    t->Open();
    EXPECT_TRUE(q->Active());
    EXPECT_EQ(Loaded(), 6);
    EXPECT_TRUE(drv->ProviderEOF());
    EXPECT_EQ(t->FieldByName("idRecord")->DataType(), ftAutoInc);
    EXPECT_EQ(t->FieldByName("namepredpr")->Size(), 300);
    EXPECT_EQ(t->FieldByName("invoicefullname")->AsString(), QStringLiteral("INV-1"));
    t->Close();
    EXPECT_FALSE(q->Active());
    t->Open();   // a second open reads the rows again, not in addition
    EXPECT_EQ(Loaded(), 6);
}

TEST_F(DriverTest, OnDemandRowsComeAsTheCursorMovesAndLastReadsTheRest)
{
    t->Open();
    EXPECT_LT(Loaded(), 6);
    t->Next();
    t->Next();
    EXPECT_EQ(t->FieldByName("invoicefullname")->AsString(), QStringLiteral("INV-3"));
    EXPECT_LE(Loaded(), 4);
    t->Last();
    EXPECT_EQ(Loaded(), 6);
    EXPECT_EQ(t->FieldByName("invoicefullname")->AsString(), QStringLiteral("INV-6"));
}

TEST_F(DriverTest, ReadDataWithCountOneSetsTheEndOnTheCallThatFindsItWithoutARecord)
{
    TMemTableDataEh* store = t->RecordsStore();
    drv->BuildDataStruct(store->DataStruct());
    drv->GetDataReader();
    std::vector<int> got;
    for (int i = 0; i < 8; ++i)
        got.push_back(drv->ReadData(store, 1));
    EXPECT_EQ(got, (std::vector<int>{1, 1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(store->RecordsList()->Count(), 6);
    EXPECT_TRUE(drv->ProviderEOF());
}

TEST_F(DriverTest, LocateFetchesUntilTheRowIsRead)
{
    t->Open();
    ASSERT_LT(Loaded(), 5);
    EXPECT_TRUE(t->Locate("invoicefullname", Variant("INV-5"), {}));
    EXPECT_EQ(t->FieldByName("idRecord")->AsInteger(), 5);
    EXPECT_EQ(Loaded(), 5);
    EXPECT_FALSE(t->Locate("invoicefullname", Variant("INV-99"), {}));
    EXPECT_EQ(Loaded(), 6);
    EXPECT_EQ(t->FieldByName("idRecord")->AsInteger(), 5);
}

TEST_F(DriverTest, AppendingReadsTheRemainingRowsFirstSoTheNewRowComesLast)
{
    t->Open();
    ASSERT_LT(Loaded(), 6);
    t->Append();
    EXPECT_EQ(Loaded(), 6);
    t->FieldByName("invoicefullname")->SetAsString("INV-7");
    t->Post();
    EXPECT_EQ(t->FieldByName("idRecord")->AsInteger(), 7);   // the identity came back
    EXPECT_EQ(t->RecNo(), 7);
    EXPECT_EQ(Db().last(), QStringLiteral("7|INV-7|0"));
}

TEST_F(DriverTest, ACheckMarkPostedReachesTheTableAtOnceThroughTheKey)
{
    drv->SetKeyFields("idRecord");
    t->SetFetchAllOnOpen(true);
    t->Open();
    t->SetRecNo(3);
    t->Edit();
    t->FieldByName("hide")->SetAsBoolean(true);
    t->Post();
    EXPECT_EQ(Db()[2], QStringLiteral("3|INV-3|1"));
    EXPECT_FALSE(t->HasCachedChanges());
    EXPECT_EQ(t->UpdateStatus(), usUnmodified);
    EXPECT_TRUE(t->FieldByName("hide")->AsBoolean());
    EXPECT_EQ(t->RecNo(), 3);
}

TEST_F(DriverTest, InsertAndDeleteReachTheProviderAtOnce)
{
    t->SetFetchAllOnOpen(true);
    t->Open();
    t->SetRecNo(2);
    t->Insert();
    t->FieldByName("invoicefullname")->SetAsString("INV-X");
    t->Post();
    EXPECT_EQ(t->FieldByName("idRecord")->AsInteger(), 7);
    EXPECT_EQ(Db().size(), 7);
    t->SetRecNo(1);
    t->Delete();
    EXPECT_EQ(Db().first(), QStringLiteral("2|INV-2|0"));
    EXPECT_EQ(t->RecordCount(), 6);
    EXPECT_EQ(Names(), QStringLiteral("INV-X,INV-2,INV-3,INV-4,INV-5,INV-6"));
}

TEST_F(DriverTest, APostOfARowGoneFromTheProviderRaisesAndTheEditStaysUntilCancelled)
{
    t->SetFetchAllOnOpen(true);
    drv->SetKeyFields("idRecord");
    t->Open();
    ASSERT_TRUE(q->Locate("idRecord", Variant(2), {}));
    q->Delete();
    t->SetRecNo(2);
    t->Edit();
    t->FieldByName("hide")->SetAsBoolean(true);
    EXPECT_EQ(ErrorOf([&] { t->Post(); }), QStringLiteral("record not found"));
    EXPECT_EQ(t->State(), dsEdit);
    EXPECT_TRUE(t->FieldByName("hide")->AsBoolean());
    EXPECT_EQ(q->State(), dsBrowse);
    t->Cancel();
    EXPECT_FALSE(t->FieldByName("hide")->AsBoolean());
    EXPECT_FALSE(t->HasCachedChanges());
}

TEST_F(DriverTest, AProviderErrorCancelsTheProvidersEditAndLeavesTheTableEditing)
{
    t->SetFetchAllOnOpen(true);
    t->Open();
    t->SetRecNo(2);
    t->Edit();
    t->FieldByName("invoicefullname")->SetAsString("INV-1");   // the unique index refuses it
    EXPECT_TRUE(ErrorOf([&] { t->Post(); }).contains(QStringLiteral("duplicate key")));
    EXPECT_EQ(q->State(), dsBrowse);
    EXPECT_EQ(t->State(), dsEdit);
    t->Cancel();
    EXPECT_EQ(t->FieldByName("invoicefullname")->AsString(), QStringLiteral("INV-2"));
    EXPECT_EQ(Db()[1], QStringLiteral("2|INV-2|0"));
}

TEST_F(DriverTest, WithCachedUpdatesAnUpdateErrorActionKeepsTheFailedChangePending)
{
    t->SetFetchAllOnOpen(true);
    t->SetCachedUpdates(true);
    drv->SetKeyFields("idRecord");
    std::vector<TUpdateErrorActionEh> actions{ueaCountinueSkip};
    drv->OnUpdateError = [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, TUpdateErrorActionEh& a) { a = actions[0]; };
    t->Open();
    ASSERT_TRUE(q->Locate("idRecord", Variant(1), {}));
    q->Delete();   // row 1 is gone from the provider
    for (int row : {1, 3}) {
        t->SetRecNo(row);
        t->Edit();
        t->FieldByName("hide")->SetAsBoolean(true);
        t->Post();
    }
    EXPECT_TRUE(t->HasCachedChanges());
    EXPECT_EQ(t->ApplyUpdates(-1), 1);
    EXPECT_EQ(Db()[1], QStringLiteral("3|INV-3|1"));
    ASSERT_EQ(t->RecordsStore()->RecordsList()->DeltaList().size(), 1u);
    TMemoryRecordEh* failed = t->RecordsStore()->RecordsList()->DeltaList()[0];
    ASSERT_NE(failed->UpdateError(), nullptr);
    EXPECT_TRUE(failed->UpdateError()->GetException()->Message().contains(QStringLiteral("record not found")));
    // the default action raises and the change stays pending
    drv->OnUpdateError = {};
    EXPECT_TRUE(ErrorOf([&] { t->ApplyUpdates(-1); }).contains(QStringLiteral("record not found")));
    EXPECT_TRUE(t->HasCachedChanges());
}

TEST_F(DriverTest, FieldsAreMatchedByNameIgnoringCaseAndFieldsWithoutAReaderFieldKeepTheirValue)
{
    TMemTableDataEh* store = t->RecordsStore();
    store->DataStruct()->BuildDataFieldForDef("IDRECORD", ftInteger, 0, 0);
    store->DataStruct()->BuildDataFieldForDef("Extra", ftString, 10, 0);
    drv->GetDataReader();
    TMemoryRecordEh* r = store->RecordsList()->NewRecord();
    r->SetDataValue(1, dvvValueEh, Variant("keep"));
    bool eof = false;
    drv->DefaultReadRecord(store, r, eof);
    EXPECT_FALSE(eof);
    EXPECT_EQ(r->GetDataValue(0, dvvValueEh).AsInteger(), 1);
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvValueEh)), QStringLiteral("keep"));
    delete r;
}

TEST_F(DriverTest, RefreshRecordNeedsKeyFieldsAndReReadsTheRow)
{
    t->SetFetchAllOnOpen(true);
    t->Open();
    t->SetRecNo(4);
    EXPECT_EQ(ErrorOf([&] { t->RefreshRecord(); }),
              QStringLiteral("It is required to set DataDriver.KeyFields to refresh record values"));
    drv->SetKeyFields("idRecord");
    ASSERT_TRUE(q->Locate("idRecord", Variant(4), {}));
    q->Edit();
    q->FieldByName("namepredpr")->SetAsString("new name");
    q->Post();
    t->RefreshRecord();
    EXPECT_EQ(t->FieldByName("namepredpr")->AsString(), QStringLiteral("new name"));
}

TEST_F(DriverTest, AssigningADriverThatServesAnotherTableDetachesItThere)
{
    auto otherHolder = CreateUnique<TMemTableEh>(&owner);
    TMemTableEh& other = *otherHolder;
    other.SetDataDriver(drv);
    EXPECT_EQ(t->DataDriver(), nullptr);
    EXPECT_EQ(other.DataDriver(), drv);
    EXPECT_EQ(ErrorOf([&] { drv->SetProviderDataSet(&other); }),
              QStringLiteral("Circular of ProviderDataSet and TMemTableEh.DataDriver assigning is not allowed"));
}

}  // namespace
