// An in-memory table following the current record of a master: filtered in memory by the
// master's key, re-read from its provider with the master's values as parameters, or read once
// per master value and filtered in memory; with an in-memory table and an ADO query as master.
#include "components/memtable/DataDriverEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/query/QueryFixture.h"
#include "platform/rtl/DataModule.h"
#include "support/ErrorCapture.h"

namespace {

TMTDataFieldEh* AddIntField(TMemTableEh* t, const QString& name)
{
    auto* f = t->RecordsStore()->DataStruct()->CreateField<TMTNumericDataFieldEh>();
    f->SetFieldName(name);
    return f;
}

void AddTextField(TMemTableEh* t, const QString& name)
{
    auto* f = t->RecordsStore()->DataStruct()->CreateField<TMTStringDataFieldEh>();
    f->SetFieldName(name);
    f->SetSize(20);
}

// Orders 1..3 (order 3 has no lines) in the catalog and lines of orders 1 and 2.
class MasterDetailTest : public QueryTest {
protected:
    TMemTableEh* detail = nullptr;
    TDataSource* src = nullptr;

    void SetUp() override
    {
        QueryTest::SetUp();
        conn->Execute(QStringLiteral(
            "CREATE TABLE Orders(Id int PRIMARY KEY, Region int NOT NULL, Name varchar(20) NULL)\n"
            "CREATE TABLE Lines(LineId int IDENTITY(1,1) PRIMARY KEY, OrderId int NULL, Region int NULL, Item varchar(20) NULL)\n"
            "INSERT INTO Orders(Id, Region, Name) VALUES (1, 7, 'first')\n"
            "INSERT INTO Orders(Id, Region, Name) VALUES (2, 7, 'second')\n"
            "INSERT INTO Orders(Id, Region, Name) VALUES (3, 8, 'third')\n"
            "INSERT INTO Lines(OrderId, Region, Item) VALUES (1, 7, 'a1')\n"
            "INSERT INTO Lines(OrderId, Region, Item) VALUES (2, 7, 'b1')\n"
            "INSERT INTO Lines(OrderId, Region, Item) VALUES (1, 7, 'a2')\n"
            "INSERT INTO Lines(OrderId, Region, Item) VALUES (2, 7, 'b2')\n"
            "INSERT INTO Lines(OrderId, Region, Item) VALUES (1, 8, 'x1')"));
        src = Create<TDataSource>(&owner);
        detail = Create<TMemTableEh>(&owner);
        detail->SetName(QStringLiteral("Lines"));
    }

    // The master: an in-memory table or a query over Orders.
    TDataSet* OpenMaster(bool query)
    {
        TDataSet* m = nullptr;
        if (query) {
            TADOQuery* q = Q(QStringLiteral("OrdersQ"), {QStringLiteral("SELECT Id, Region, Name FROM Orders ORDER BY Id")});
            q->SetCursorType(ctStatic);
            m = q;
        } else {
            auto* t = Create<TMemTableEh>(&owner);
            t->SetName(QStringLiteral("Orders"));
            AddIntField(t, "Id");
            AddIntField(t, "Region");
            AddTextField(t, "Name");
            t->Open();
            t->AppendRecord({Variant(1), Variant(7), Variant(QStringLiteral("first"))});
            t->AppendRecord({Variant(2), Variant(7), Variant(QStringLiteral("second"))});
            t->AppendRecord({Variant(3), Variant(8), Variant(QStringLiteral("third"))});
            m = t;
        }
        src->SetDataSet(m);
        m->Open();
        m->First();
        return m;
    }

    // The detail over the lines kept in memory.
    void OpenLocalDetail(bool index)
    {
        AddIntField(detail, "LineId");
        AddIntField(detail, "OrderId");
        AddIntField(detail, "Region");
        AddTextField(detail, "Item");
        if (index)
            detail->IndexDefs()->Add(QStringLiteral("ixOrder"), QStringLiteral("OrderId"), {});
        detail->Open();
        auto r = conn->Session().Open(QStringLiteral("SELECT LineId, OrderId, Region, Item FROM Lines ORDER BY LineId"));
        for (const QString& row : RenderAll(*r)) {
            const QStringList c = row.split(u'|');
            detail->AppendRecord({Variant(c[0].toInt()), Variant(c[1].toInt()), Variant(c[2].toInt()), Variant(c[3])});
        }
        detail->First();
    }

    QString Items()
    {
        QStringList s;
        for (int i = 0; i < detail->InstantReadRowCount(); ++i) {
            TInstantReadGuardEh g(detail, i);
            s << detail->FieldByName("Item")->AsString();
        }
        return s.join(u',');
    }

    QStringList Db()
    {
        auto r = conn->Session().Open(QStringLiteral("SELECT LineId, OrderId, Item FROM Lines ORDER BY LineId"));
        return RenderAll(*r);
    }

    void Link(const QString& masterFields = QStringLiteral("Id"), const QString& detailFields = QStringLiteral("OrderId"))
    {
        detail->SetMasterSource(src);
        detail->SetMasterFields(masterFields);
        detail->SetDetailFields(detailFields);
    }
};

// ---------------------------------------------------------------- in memory

// master kind (query or table) x an index over the detail fields in IndexDefs or not
class SelfSideTest : public MasterDetailTest, public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(SelfSideTest, TheDetailFollowsTheMasterAndNewRecordsTakeItsKey)
{
    const auto [query, index] = GetParam();
    TDataSet* m = OpenMaster(query);
    OpenLocalDetail(index);
    ASSERT_EQ(Items(), QStringLiteral("a1,b1,a2,b2,x1"));
    Link();
    EXPECT_TRUE(detail->DetailMode());
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));
    EXPECT_EQ(detail->FieldByName("Item")->AsString(), QStringLiteral("a1"));   // the cursor on the first
    m->Next();
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));
    m->Next();
    EXPECT_EQ(Items(), QString());   // a master without details
    EXPECT_TRUE(detail->IsEmpty());

    detail->Append();
    EXPECT_EQ(detail->FieldByName("OrderId")->AsInteger(), 3);
    detail->FieldByName("Item")->SetAsString("c1");
    detail->Post();
    EXPECT_EQ(Items(), QStringLiteral("c1"));

    // a record moved to another master leaves this one's view and shows under the other
    m->First();
    ASSERT_EQ(Items(), QStringLiteral("a1,a2,x1"));
    detail->Locate("Item", Variant(QStringLiteral("a2")), {});
    detail->Edit();
    detail->FieldByName("OrderId")->SetAsInteger(2);
    detail->Post();
    EXPECT_EQ(Items(), QStringLiteral("a1,x1"));
    m->Next();
    EXPECT_EQ(Items(), QStringLiteral("b1,a2,b2"));
    m->Next();
    EXPECT_EQ(Items(), QStringLiteral("c1"));
    m->Prior();
    m->Prior();
    EXPECT_EQ(Items(), QStringLiteral("a1,x1"));
}

INSTANTIATE_TEST_SUITE_P(MastersAndIndexes, SelfSideTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

TEST_F(MasterDetailTest, TwoKeyFieldsMatchTogetherAndInsertsTakeBoth)
{
    TDataSet* m = OpenMaster(false);
    OpenLocalDetail(false);
    Link(QStringLiteral("Id;Region"), QStringLiteral("OrderId;Region"));
    EXPECT_EQ(Items(), QStringLiteral("a1,a2"));   // x1 is of order 1 but region 8
    detail->Insert();
    EXPECT_EQ(detail->FieldByName("OrderId")->AsInteger(), 1);
    EXPECT_EQ(detail->FieldByName("Region")->AsInteger(), 7);
    detail->Cancel();
    m->Last();
    detail->Append();
    EXPECT_EQ(detail->FieldByName("Region")->AsInteger(), 8);
    detail->Post();
    EXPECT_EQ(detail->RecordCount(), 1);
}

TEST_F(MasterDetailTest, OnNewRecordSeesTheMastersValuesAlreadyInPlace)
{
    OpenMaster(false);
    OpenLocalDetail(false);
    Link();
    int seen = -1;
    detail->OnNewRecord = TDataSetNotifyEvent([&](TDataSet* ds) { seen = ds->FieldByName("OrderId")->AsInteger(); });
    detail->Append();
    EXPECT_EQ(seen, 1);
    detail->Cancel();
}

TEST_F(MasterDetailTest, ClearingTheLinkShowsEveryRecordAndSettingItAgainFilters)
{
    TDataSet* m = OpenMaster(false);
    OpenLocalDetail(false);
    Link();
    m->Next();
    detail->SetMasterFields(QString());
    EXPECT_FALSE(detail->DetailMode());
    EXPECT_EQ(Items(), QStringLiteral("a1,b1,a2,b2,x1"));
    detail->SetMasterFields(QStringLiteral("Id"));
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));
    detail->SetDetailFields(QString());
    EXPECT_EQ(Items(), QStringLiteral("a1,b1,a2,b2,x1"));
    detail->SetDetailFields(QStringLiteral("OrderId"));
    detail->SetMasterSource(nullptr);
    EXPECT_EQ(Items(), QStringLiteral("a1,b1,a2,b2,x1"));
}

TEST_F(MasterDetailTest, SortingAndEmptyingTheDetailKeepTheRestrictionRight)
{
    TDataSet* m = OpenMaster(false);
    OpenLocalDetail(false);
    Link();
    detail->SortByFields(QStringLiteral("Item DESC"));
    EXPECT_EQ(Items(), QStringLiteral("x1,a2,a1"));
    m->Next();
    EXPECT_EQ(Items(), QStringLiteral("b2,b1"));
    detail->EmptyTable();
    EXPECT_EQ(Items(), QString());
    m->Prior();
    EXPECT_EQ(Items(), QString());
    detail->Append();
    detail->FieldByName("Item")->SetAsString("a9");
    detail->Post();
    m->Next();
    m->Prior();
    EXPECT_EQ(Items(), QStringLiteral("a9"));
}

TEST_F(MasterDetailTest, AReopenedDetailFiltersAtOnce)
{
    TDataSet* m = OpenMaster(true);
    OpenLocalDetail(false);
    Link();
    m->Next();
    detail->Close();
    detail->Open();
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));
    detail->SetMasterDetailSide(mdsOnSelfAfterProviderEh);   // no driver: the local restriction stays
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));
}

// ---------------------------------------------------------------- bad input

TEST_F(MasterDetailTest, FieldsTheMasterOrTheDetailLackAreNamedAndNothingChanges)
{
    TDataSet* m = OpenMaster(true);
    OpenLocalDetail(true);
    Link();
    m->Next();
    const QString err = ErrorOf([&] { detail->SetMasterFields(QStringLiteral("Id;Nomer")); });
    EXPECT_TRUE(err.contains(QStringLiteral("Nomer"))) << err.toStdString();
    EXPECT_EQ(detail->MasterFields(), QStringLiteral("Id"));
    EXPECT_EQ(detail->MasterDataLink()->Fields().size(), 1u);
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));

    const QString err2 = ErrorOf([&] { detail->SetDetailFields(QStringLiteral("Order")); });
    EXPECT_TRUE(err2.contains(QStringLiteral("Order"))) << err2.toStdString();
    EXPECT_EQ(detail->DetailFields(), QStringLiteral("OrderId"));
    m->Prior();
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));
}

TEST_F(MasterDetailTest, ATableCannotBeItsOwnMaster)
{
    OpenMaster(false);
    OpenLocalDetail(false);
    Link();
    auto* own = Create<TDataSource>(&owner);
    own->SetDataSet(detail);
    EXPECT_EQ(ErrorOf([&] { detail->SetMasterSource(own); }), QStringLiteral("Lines: Circular datalinks are not allowed"));
    EXPECT_EQ(detail->MasterSource(), src);
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));
}

TEST_F(MasterDetailTest, ListsOfDifferentLengthAreRefusedNamingBoth)
{
    OpenMaster(false);
    OpenLocalDetail(false);
    Link();
    const QString err = ErrorOf([&] { detail->SetMasterFields(QStringLiteral("Id;Region")); });
    EXPECT_TRUE(err.contains(QStringLiteral("\"Id;Region\"")) && err.contains(QStringLiteral("\"OrderId\""))) << err.toStdString();
    EXPECT_EQ(detail->MasterFields(), QStringLiteral("Id"));
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));
    EXPECT_NE(ErrorOf([&] { detail->SetDetailFields(QStringLiteral("OrderId;Region;Item")); }), QStringLiteral("<no error>"));
    EXPECT_EQ(detail->DetailFields(), QStringLiteral("OrderId"));

    // closed, the lists are still held against each other
    detail->Close();
    EXPECT_TRUE(ErrorOf([&] { detail->SetDetailFields(QStringLiteral("OrderId;Region")); }).contains(QStringLiteral("different numbers")));
    detail->Open();
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));
}

TEST_F(MasterDetailTest, AClosedMasterEndsDetailModeAndAnEmptyMasterShowsNothing)
{
    TDataSet* m = OpenMaster(false);
    OpenLocalDetail(false);
    Link();
    m->Next();
    m->Close();
    EXPECT_FALSE(detail->DetailMode());
    EXPECT_EQ(Items(), QStringLiteral("a1,b1,a2,b2,x1"));
    m->Open();
    EXPECT_TRUE(detail->DetailMode());
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));

    // a Null key is still a key: only the master without a record matches nothing
    static_cast<TMemTableEh*>(m)->EmptyTable();
    EXPECT_TRUE(m->IsEmpty());
    EXPECT_EQ(Items(), QString());
    EXPECT_TRUE(ErrorOf([&] { detail->Append(); }).contains(QStringLiteral("no current record")));
    EXPECT_EQ(detail->State(), dsBrowse);
}

TEST_F(MasterDetailTest, AnEditOfTheDetailIsPostedBeforeTheMasterMoves)
{
    TDataSet* m = OpenMaster(false);
    OpenLocalDetail(true);
    Link();
    detail->Edit();
    detail->FieldByName("Item")->SetAsString("a1*");
    m->Next();
    EXPECT_EQ(detail->State(), dsBrowse);
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));
    m->Prior();
    EXPECT_EQ(Items(), QStringLiteral("a1*,a2,x1"));

    // a post that fails keeps the master where it was and the edit open
    detail->FieldByName("Item")->SetRequired(true);
    detail->Append();
    detail->FieldByName("Region")->SetAsInteger(5);
    EXPECT_NE(ErrorOf([&] { m->Next(); }), QStringLiteral("<no error>"));
    EXPECT_EQ(m->FieldByName("Id")->AsInteger(), 1);
    EXPECT_EQ(detail->State(), dsInsert);
    EXPECT_EQ(detail->FieldByName("OrderId")->AsInteger(), 1);
    detail->Cancel();
    m->Next();
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));
}

TEST(SortedVarlistTest, KeepsValuesInOrderAndRefusesValuesThatCannotBeCompared)
{
    TSortedVarlistEh l;
    for (int v : {5, 1, 3})
        l.Add(new TSortedVarItemEh(Variant(v)));
    l.Add(new TSortedVarItemEh(Variant::Null()));
    ASSERT_EQ(l.Count(), 4);
    EXPECT_TRUE(l.Items(0)->Value.IsNull());
    EXPECT_EQ(l.Items(1)->Value.AsInteger(), 1);
    EXPECT_EQ(l.Items(3)->Value.AsInteger(), 5);
    int at = -1;
    EXPECT_TRUE(l.FindKeyValueIndex(Variant(3), at));
    EXPECT_EQ(at, 2);
    EXPECT_FALSE(l.FindKeyValueIndex(Variant(4), at));
    EXPECT_EQ(at, 3);
    EXPECT_EQ(ErrorOf([&] { l.Contains(VarArrayOf({Variant(1), Variant(2)})); }),
              QStringLiteral("TSortedVarlistEh.FindKeyValueIndex: values is not comparable."));
}

// ---------------------------------------------------------------- through the provider

class ProviderSideTest : public MasterDetailTest {
protected:
    TADOQuery* lines = nullptr;
    TDataSetDriverEh* drv = nullptr;
    int opens = 0;

    void SetUp() override
    {
        MasterDetailTest::SetUp();
        lines = Q(QStringLiteral("LinesQ"), {QStringLiteral("SELECT LineId, OrderId, Item FROM Lines WHERE OrderId = :Id ORDER BY LineId")});
        lines->SetCursorType(ctStatic);
        lines->AfterOpen = TDataSetNotifyEvent([this](TDataSet*) { ++opens; });
        drv = Create<TDataSetDriverEh>(&owner);
        drv->SetProviderDataSet(lines);
        drv->SetKeyFields(QStringLiteral("LineId"));
        detail->SetDataDriver(drv);
        detail->SetFetchAllOnOpen(true);
    }
};

TEST_F(ProviderSideTest, TheProviderIsQueriedWithEachMastersKey)
{
    TDataSet* m = OpenMaster(true);
    detail->SetMasterDetailSide(mdsOnProviderEh);
    Link();
    detail->Open();
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));
    EXPECT_EQ(opens, 1);
    m->Next();
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));
    EXPECT_EQ(detail->RecordsStore()->RecordsList()->Count(), 2);   // only this master's rows
    EXPECT_EQ(opens, 2);

    // a change of a field that is not the key reads nothing again
    m->Edit();
    m->FieldByName("Name")->SetAsString("second*");
    m->Post();
    EXPECT_EQ(opens, 2);

    detail->Append();
    EXPECT_EQ(detail->FieldByName("OrderId")->AsInteger(), 2);
    detail->FieldByName("Item")->SetAsString("b3");
    detail->Post();
    EXPECT_EQ(Db().last(), QStringLiteral("6|2|b3"));

    m->Next();
    EXPECT_EQ(Items(), QString());
    m->First();
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));
}

TEST_F(ProviderSideTest, AnEditPendingWhenTheMasterMovesReachesTheProviderFirst)
{
    TDataSet* m = OpenMaster(true);
    detail->SetMasterDetailSide(mdsOnProviderEh);
    Link();
    detail->Open();
    detail->Edit();
    detail->FieldByName("Item")->SetAsString("a1*");
    m->Next();
    EXPECT_EQ(Db().first(), QStringLiteral("1|1|a1*"));
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));
}

TEST_F(ProviderSideTest, AMasterRecordWithTheSameKeyDoesNotReopenTheDetail)
{
    auto* m = static_cast<TMemTableEh*>(OpenMaster(false));
    m->AppendRecord({Variant(2), Variant(9), Variant(QStringLiteral("second again"))});
    m->SetRecNo(2);
    detail->SetMasterDetailSide(mdsOnProviderEh);
    Link();
    detail->Open();
    ASSERT_EQ(Items(), QStringLiteral("b1,b2"));
    const int before = opens;
    m->SetRecNo(4);
    EXPECT_EQ(opens, before);
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));
}

TEST_F(ProviderSideTest, ReadingOncePerMasterValueKeepsWhatWasReadAndFiltersIt)
{
    TDataSet* m = OpenMaster(true);
    detail->SetMasterDetailSide(mdsOnSelfAfterProviderEh);
    Link();
    detail->Open();
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));
    m->Next();
    EXPECT_EQ(Items(), QStringLiteral("b1,b2"));
    m->Prior();
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));
    EXPECT_EQ(opens, 2);   // A and B, A again from memory
    EXPECT_EQ(detail->RecordsStore()->RecordsList()->Count(), 5);
    EXPECT_EQ(detail->MasterValList().Count(), 2);

    detail->Append();
    EXPECT_EQ(detail->FieldByName("OrderId")->AsInteger(), 1);
    detail->Cancel();

    // a reopened table asks for every master value again
    detail->Close();
    EXPECT_EQ(detail->MasterValList().Count(), 0);
    detail->Open();
    EXPECT_EQ(Items(), QStringLiteral("a1,a2,x1"));
    EXPECT_EQ(opens, 3);
}

TEST_F(ProviderSideTest, AProviderParameterTheMasterLacksIsAnError)
{
    OpenMaster(true);
    lines->SQL()->Clear();
    lines->SQL()->Add(QStringLiteral("SELECT LineId, OrderId, Item FROM Lines WHERE OrderId = :OrderNo"));
    detail->SetMasterDetailSide(mdsOnProviderEh);
    Link();
    EXPECT_TRUE(ErrorOf([&] { detail->Open(); }).contains(QStringLiteral("OrderNo")));
    EXPECT_FALSE(detail->Active());
}

TEST_F(ProviderSideTest, TheLinkComesFromAFormResource)
{
    const QByteArray form = QStringLiteral(R"(object OrdersDM: TDataModule
  object OrdersQ: TADOQuery
    CursorType = ctStatic
    SQL.Strings = (
      'SELECT Id, Region, Name FROM Orders ORDER BY Id')
  end
  object OrdersDS: TDataSource
    DataSet = OrdersQ
  end
  object LinesFQ: TADOQuery
    CursorType = ctStatic
    SQL.Strings = (
      'SELECT LineId, OrderId, Item FROM Lines WHERE OrderId = :Id')
  end
  object LinesDrv: TDataSetDriverEh
    ProviderDataSet = LinesFQ
  end
  object LinesMT: TMemTableEh
    DataDriver = LinesDrv
    DetailFields = 'OrderId'
    FetchAllOnOpen = True
    MasterDetailSide = mdsOnProviderEh
    MasterFields = 'Id'
    MasterSource = OrdersDS
  end
end
)").toUtf8();
    RegisterClasses<TDataModule, TADOQuery, TDataSource, TDataSetDriverEh, TMemTableEh>();
    auto* dm = Create<TDataModule>(&owner);
    ReadComponentRes(form, dm, QStringLiteral("OrdersDM"));
    auto* orders = dynamic_cast<TADOQuery*>(dm->FindComponent(QStringLiteral("OrdersQ")));
    auto* linesQ = dynamic_cast<TADOQuery*>(dm->FindComponent(QStringLiteral("LinesFQ")));
    auto* mt = dynamic_cast<TMemTableEh*>(dm->FindComponent(QStringLiteral("LinesMT")));
    ASSERT_TRUE(orders && linesQ && mt);
    EXPECT_EQ(mt->MasterDetailSide(), mdsOnProviderEh);
    EXPECT_EQ(mt->MasterSource(), dm->FindComponent(QStringLiteral("OrdersDS")));
    orders->SetConnection(conn);
    linesQ->SetConnection(conn);
    orders->Open();
    orders->Next();
    mt->Open();
    QStringList items;
    for (mt->First(); !mt->Eof(); mt->Next())
        items << mt->FieldByName("Item")->AsString();
    EXPECT_EQ(items.join(u','), QStringLiteral("b1,b2"));
}

} // namespace
