// Lookup data of a grid column: display texts resolved from a list dataset, with and without
// the cache, following both datasets, on in-memory tables and on a query over a catalog.
#include "components/editors/DBLookupUtilsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/query/QueryFixture.h"
#include "platform/rtl/Guards.h"
#include "support/ErrorCapture.h"

#include <gtest/gtest.h>
#include <memory>
#include <functional>
#include <random>

namespace {

// A grid with one column, as far as the lookup data sees them.
class TTestGrid : public TComponent {
public:
    explicit TTestGrid(TComponent* AOwner) : TComponent(AOwner) {}
    TDataSource* DataSource = nullptr;
    class TTestColumn* Column = nullptr;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
};

class TTestColumn : public TCollectionItem, public IDBLookupColumnEh {
public:
    explicit TTestColumn(TTestGrid* AGrid) : TCollectionItem(nullptr), Grid(AGrid), Lookup(this) {}
    TTestGrid* Grid;
    TField* BoundField = nullptr;
    int Changes = 0;
    TDBLookupDataEh Lookup;

    TComponent* LookupGrid() const override { return Grid; }
    TDataSource* LookupGridDataSource() const override { return Grid->DataSource; }
    TField* LookupBoundField() const override { return BoundField; }
    void LookupDataChanged() override { ++Changes; }
};

void TTestGrid::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && Column && Column->Lookup.LookupDataSet() == AComponent)
        Column->Lookup.SetLookupDataSet(nullptr);
}

QString Text(const Variant& v)
{
    if (v.IsNull())
        return QStringLiteral("<null>");
    if (v.IsEmpty())
        return QStringLiteral("<empty>");
    return v.AsString();
}

class LookupDataTest : public ::testing::Test {
protected:
    std::unique_ptr<TComponent> owner = CreateUnique<TComponent>(nullptr);
    TMemTableEh* orders = nullptr;
    TMemTableEh* customers = nullptr;
    TDataSource* ordersSource = nullptr;
    TTestGrid* grid = nullptr;
    std::unique_ptr<TTestColumn> column;

    void SetUp() override
    {
        orders = Create<TMemTableEh>(owner.get());
        orders->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
        orders->FieldDefs()->Add(QStringLiteral("CustId"), ftInteger);
        orders->CreateDataSet();
        const Variant custIds[] = {Variant(2), Variant(1), Variant(7), Variant::Null(), Variant(3)};
        int id = 1;
        for (const Variant& c : custIds)
            orders->AppendRecord({Variant(id++), c});
        orders->First();

        customers = Create<TMemTableEh>(owner.get());
        customers->SetName(QStringLiteral("Customers"));
        customers->FieldDefs()->Add(QStringLiteral("CustId"), ftInteger);
        customers->FieldDefs()->Add(QStringLiteral("Name"), ftString, 40);
        customers->CreateDataSet();
        customers->AppendRecord({Variant(3), Variant(QStringLiteral("ООО «Ромашка»"))});
        customers->AppendRecord({Variant(1), Variant(QStringLiteral("АО «Север»"))});
        customers->AppendRecord({Variant(2), Variant(QStringLiteral("ИП Иванов"))});
        customers->First();

        ordersSource = Create<TDataSource>(owner.get());
        ordersSource->SetDataSet(orders);
        grid = Create<TTestGrid>(owner.get());
        grid->SetName(QStringLiteral("InvoicesGrid"));
        grid->DataSource = ordersSource;
        column = std::make_unique<TTestColumn>(grid);
        grid->Column = column.get();
    }

    void TearDown() override
    {
        grid->Column = nullptr;
        column.reset();
    }

    void SetUpLookup(TDBLookupDataEh& l, TDataSet* list)
    {
        l.SetKeyFieldNames(QStringLiteral("CustId"));
        l.SetLookupDataSet(list);
        l.SetLookupKeyFieldNames(QStringLiteral("CustId"));
        l.SetLookupDisplayFieldName(QStringLiteral("Name"));
    }

    // The display text of every order in turn.
    QString Column()
    {
        QStringList out;
        for (orders->First(); !orders->Eof(); orders->Next())
            out << Text(column->Lookup.GetLookupValue());
        orders->First();
        return out.join(u'|');
    }
};

TEST_F(LookupDataTest, ResolvesDisplayTextsWithAndWithoutTheCache)
{
    TDBLookupDataEh& l = column->Lookup;
    EXPECT_FALSE(l.LookupIsSetUp());
    EXPECT_TRUE(l.GetLookupValue().IsNull());
    SetUpLookup(l, customers);
    EXPECT_TRUE(l.LookupIsSetUp());
    EXPECT_TRUE(l.LookupActive());
    EXPECT_EQ(l.LookupDisplayField(), customers->FieldByName(QStringLiteral("Name")));
    ASSERT_EQ(l.KeyFields().size(), 1u);
    EXPECT_EQ(l.KeyFields()[0], orders->FieldByName(QStringLiteral("CustId")));
    ASSERT_EQ(l.LookupListCache()->Count(), 3);

    // 7 is not in the list; the fourth order has no customer
    const QString expected = QStringLiteral("ИП Иванов|АО «Север»|<null>|<null>|ООО «Ромашка»");
    EXPECT_EQ(Column(), expected);
    l.SetLookupCache(false);
    EXPECT_EQ(l.LookupListCache()->Count(), 0);
    EXPECT_EQ(Column(), expected);
}

TEST_F(LookupDataTest, AClosedListGivesNullButStaysSetUp)
{
    TDBLookupDataEh& l = column->Lookup;
    SetUpLookup(l, customers);
    l.SetLookupCache(false);
    customers->Close();
    EXPECT_TRUE(l.LookupIsSetUp());
    EXPECT_FALSE(l.LookupActive());
    EXPECT_TRUE(l.GetLookupValue().IsNull());
    customers->Open();
    EXPECT_TRUE(l.LookupActive());
    EXPECT_EQ(Text(l.GetLookupValue()), QStringLiteral("ИП Иванов"));
}

TEST_F(LookupDataTest, ClosingTheGridDataSetDeactivatesWithoutError)
{
    TDBLookupDataEh& l = column->Lookup;
    SetUpLookup(l, customers);
    orders->Close();
    EXPECT_FALSE(l.LookupActive());
    EXPECT_TRUE(l.KeyFields().empty());
    EXPECT_TRUE(l.GetLookupValue().IsNull());
    orders->Open();
    EXPECT_TRUE(l.LookupActive());
    EXPECT_EQ(Text(l.GetLookupValue()), QStringLiteral("ИП Иванов"));
}

TEST_F(LookupDataTest, ListChangesReachTheCacheWhenItIsRefreshed)
{
    TDBLookupDataEh& l = column->Lookup;
    SetUpLookup(l, customers);
    ASSERT_TRUE(customers->Locate(QStringLiteral("CustId"), Variant(2), {}));
    customers->Edit();
    customers->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("ИП Петров"));
    customers->Post();
    customers->AppendRecord({Variant(7), Variant(QStringLiteral("ЗАО «Юг»"))});

    // the cache keeps what it read until it is refreshed; without it the list is read each time
    EXPECT_EQ(Text(l.GetLookupValue()), QStringLiteral("ИП Иванов"));
    l.RefreshLookupListCache();
    EXPECT_EQ(Column(), QStringLiteral("ИП Петров|АО «Север»|ЗАО «Юг»|<null>|ООО «Ромашка»"));
    customers->Edit();
    customers->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("ЗАО «Восток»"));
    customers->Post();
    l.SetLookupCache(false);
    EXPECT_EQ(Column(), QStringLiteral("ИП Петров|АО «Север»|ЗАО «Восток»|<null>|ООО «Ромашка»"));
}

TEST_F(LookupDataTest, RefreshingTheCacheKeepsTheListCursor)
{
    TDBLookupDataEh& l = column->Lookup;
    SetUpLookup(l, customers);
    customers->First();
    customers->Next();
    ASSERT_EQ(customers->FieldByName(QStringLiteral("CustId"))->AsInteger(), 1);
    l.RefreshLookupListCache();
    EXPECT_FALSE(customers->Eof());
    EXPECT_EQ(customers->FieldByName(QStringLiteral("CustId"))->AsInteger(), 1);
    EXPECT_FALSE(customers->ControlsDisabled());
    EXPECT_EQ(l.LookupListCache()->Count(), 3);
}

TEST_F(LookupDataTest, ChangingTheListDataSetOrItsFieldsRebinds)
{
    TDBLookupDataEh& l = column->Lookup;
    SetUpLookup(l, customers);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { l.SetLookupDisplayFieldName(QStringLiteral("Title")); }),
              QStringLiteral("InvoicesGrid: Field 'Title' not found"));

    l.SetLookupDisplayFieldName(QStringLiteral("Name"));
    EXPECT_TRUE(l.LookupActive());
    delete customers;   // the grid hears of it and lets go
    customers = nullptr;
    EXPECT_EQ(l.LookupDataSet(), nullptr);
    EXPECT_FALSE(l.LookupActive());
    EXPECT_FALSE(l.LookupIsSetUp());
    EXPECT_TRUE(l.GetLookupValue().IsNull());
}

TEST_F(LookupDataTest, SeveralKeyFieldsAreMatchedAsArrays)
{
    auto* rates = Create<TMemTableEh>(owner.get());
    rates->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
    rates->FieldDefs()->Add(QStringLiteral("Year"), ftInteger);
    rates->FieldDefs()->Add(QStringLiteral("Kind"), ftString, 10);
    rates->CreateDataSet();
    rates->AppendRecord({Variant(1), Variant(2024), Variant(QStringLiteral("НДС"))});
    rates->AppendRecord({Variant(2), Variant(2025), Variant(QStringLiteral("НДС"))});
    rates->AppendRecord({Variant(3), Variant(2025), Variant(QStringLiteral("НДФЛ"))});
    auto* list = Create<TMemTableEh>(owner.get());
    list->FieldDefs()->Add(QStringLiteral("Y"), ftInteger);
    list->FieldDefs()->Add(QStringLiteral("K"), ftString, 10);
    list->FieldDefs()->Add(QStringLiteral("Rate"), ftString, 10);
    list->CreateDataSet();
    list->AppendRecord({Variant(2025), Variant(QStringLiteral("НДС")), Variant(QStringLiteral("20%"))});
    list->AppendRecord({Variant(2024), Variant(QStringLiteral("НДС")), Variant(QStringLiteral("20%*"))});
    list->AppendRecord({Variant(2025), Variant(QStringLiteral("НДФЛ")), Variant(QStringLiteral("13%"))});
    ordersSource->SetDataSet(rates);

    TDBLookupDataEh& l = column->Lookup;
    l.SetKeyFieldNames(QStringLiteral("Year;Kind"));
    l.SetLookupDataSet(list);
    l.SetLookupKeyFieldNames(QStringLiteral("Y;K"));
    l.SetLookupDisplayFieldName(QStringLiteral("Rate"));
    ASSERT_TRUE(l.LookupActive());
    ASSERT_EQ(l.LookupListCache()->Count(), 3);
    EXPECT_TRUE(l.LookupListCache()->Items(0).KeyValue.IsArray());
    for (bool cache : {true, false}) {
        l.SetLookupCache(cache);
        QStringList out;
        for (rates->First(); !rates->Eof(); rates->Next())
            out << Text(l.GetLookupValue());
        EXPECT_EQ(out.join(u'|'), QStringLiteral("20%*|20%|13%")) << cache;
    }
}

TEST_F(LookupDataTest, ALookupFieldOfTheColumnDefinesTheSettings)
{
    auto* lookupField = Create<TStringField>(owner.get());
    lookupField->SetFieldName(QStringLiteral("CustName"));
    lookupField->SetFieldKind(fkLookup);
    lookupField->SetKeyFields(QStringLiteral("CustId"));
    lookupField->SetLookupDataSet(customers);
    lookupField->SetLookupKeyFields(QStringLiteral("CustId"));
    lookupField->SetLookupResultField(QStringLiteral("Name"));

    TDBLookupDataEh& l = column->Lookup;
    column->BoundField = lookupField;
    l.UpdateLookupState();
    EXPECT_FALSE(l.LookupDataIsStored());
    EXPECT_EQ(l.KeyFieldNames(), QStringLiteral("CustId"));
    EXPECT_EQ(l.LookupDataSet(), customers);
    EXPECT_EQ(l.LookupDisplayFieldName(), QStringLiteral("Name"));
    EXPECT_TRUE(l.LookupIsSetUp());
    EXPECT_TRUE(l.LookupActive());
    EXPECT_EQ(Text(l.GetLookupValue()), QStringLiteral("ИП Иванов"));
    for (auto set : std::initializer_list<std::function<void()>>{
             [&] { l.SetKeyFieldNames(QStringLiteral("Id")); },
             [&] { l.SetLookupKeyFieldNames(QStringLiteral("Id")); },
             [&] { l.SetLookupDisplayFieldName(QStringLiteral("CustId")); },
             [&] { l.SetLookupDataSet(orders); }})
        EXPECT_EQ(ErrorOf<EDatabaseError>(set), QStringLiteral("Property already defined by lookup field"));

    // an ordinary field again: the own (empty) settings are back
    column->BoundField = orders->FieldByName(QStringLiteral("CustId"));
    l.UpdateLookupState();
    EXPECT_TRUE(l.LookupDataIsStored());
    EXPECT_EQ(l.KeyFieldNames(), QString());
    EXPECT_FALSE(l.LookupIsSetUp());
    EXPECT_TRUE(l.GetLookupValue().IsNull());
}

TEST_F(LookupDataTest, AnActiveLookupNotifiesOnEveryUpdateAnInactiveOneOnce)
{
    TDBLookupDataEh& l = column->Lookup;
    SetUpLookup(l, customers);
    int before = column->Changes;
    l.UpdateLookupState();
    EXPECT_GT(column->Changes, before);
    before = column->Changes;
    l.UpdateLookupState();
    EXPECT_GT(column->Changes, before);

    l.SetLookupDisplayFieldName(QString());   // not set up, not active
    before = column->Changes;
    l.UpdateLookupState();
    EXPECT_EQ(column->Changes, before);
}

TEST_F(LookupDataTest, ListDataSetDependingOnTheGridSourceIsRefused)
{
    auto* detail = Create<TMemTableEh>(owner.get());
    detail->FieldDefs()->Add(QStringLiteral("CustId"), ftInteger);
    detail->FieldDefs()->Add(QStringLiteral("Name"), ftString, 40);
    detail->CreateDataSet();
    detail->SetMasterSource(ordersSource);
    TDBLookupDataEh& l = column->Lookup;
    l.SetKeyFieldNames(QStringLiteral("CustId"));
    l.SetLookupKeyFieldNames(QStringLiteral("CustId"));
    l.SetLookupDisplayFieldName(QStringLiteral("Name"));
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { l.SetLookupDataSet(detail); }),
              QStringLiteral("Circular datalinks are not allowed"));
}

TEST_F(LookupDataTest, AssignCopiesTheSettings)
{
    SetUpLookup(column->Lookup, customers);
    column->Lookup.SetLookupCache(false);
    TTestColumn other(grid);
    other.Lookup.Assign(&column->Lookup);
    EXPECT_EQ(other.Lookup.KeyFieldNames(), QStringLiteral("CustId"));
    EXPECT_EQ(other.Lookup.LookupDataSet(), customers);
    EXPECT_EQ(other.Lookup.LookupKeyFieldNames(), QStringLiteral("CustId"));
    EXPECT_EQ(other.Lookup.LookupDisplayFieldName(), QStringLiteral("Name"));
    EXPECT_FALSE(other.Lookup.LookupCache());
    EXPECT_EQ(Text(other.Lookup.GetLookupValue()), QStringLiteral("ИП Иванов"));
}

// ---------------------------------------------------------------- the cache list

TEST(LookupListTest, SortsAndFindsKeysIncludingNullAndDuplicates)
{
    TLookupListEh list;
    EXPECT_TRUE(list.ValueOfKey(Variant(1)).IsNull());   // empty: no error
    std::mt19937 rnd(7);
    std::vector<int> keys;
    for (int i = 0; i < 500; ++i)
        keys.push_back(int(rnd() % 200));
    for (int k : keys)
        list.Add(Variant(k), Variant(QStringLiteral("v%1").arg(k)));
    list.Add(Variant::Null(), Variant(QStringLiteral("none")));
    list.SortData();
    for (int i = 1; i < list.Count(); ++i)
        ASSERT_NE(VarCompareEh(list.Items(i - 1).KeyValue, list.Items(i).KeyValue), vrGreaterThan) << i;
    EXPECT_TRUE(list.Items(0).KeyValue.IsNull());
    for (int k : keys)
        EXPECT_EQ(list.ValueOfKey(Variant(k)).AsString(), QStringLiteral("v%1").arg(k));
    EXPECT_TRUE(list.ValueOfKey(Variant(1000)).IsNull());
    EXPECT_EQ(list.ValueOfKey(Variant::Null()).AsString(), QStringLiteral("none"));
    int index = -1;
    EXPECT_FALSE(list.FindKey(Variant(-5), index));
    EXPECT_EQ(index, 1);   // after the Null key
}

TEST(LookupListTest, IncomparableKeysRaise)
{
    TLookupListEh list;
    list.Add(VarArrayOf({Variant(1), Variant(2)}), Variant(QStringLiteral("a")));
    EXPECT_EQ(ErrorOf([&] { list.ValueOfKey(Variant(1)); }),
              QStringLiteral("TMTIndexEh.FindKeyValueIndex: values is not comparable."));
}

// ---------------------------------------------------------------- a list read by a query

class LookupQueryTest : public QueryTest {};

TEST_F(LookupQueryTest, ResolvesDisplayTextsFromAQueryOnACatalog)
{
    conn->Execute(QStringLiteral(
        "CREATE TABLE enterprises(kodpredpr int PRIMARY KEY, namepredpr varchar(300) NULL)\n"
        "INSERT INTO enterprises VALUES (10, 'Филиал «Центр»')\n"
        "INSERT INTO enterprises VALUES (20, 'Филиал «Восток»')\n"
        "INSERT INTO enterprises VALUES (30, NULL)"));
    TADOQuery* q = Q(QStringLiteral("qEnterprises"), {QStringLiteral("SELECT kodpredpr, namepredpr FROM enterprises")});
    q->SetCursorType(ctStatic);
    q->Open();

    auto* rows = Create<TMemTableEh>(&owner);
    rows->FieldDefs()->Add(QStringLiteral("kodpredpr"), ftInteger);
    rows->CreateDataSet();
    for (const Variant& k : {Variant(20), Variant(10), Variant(30), Variant(40), Variant::Null()})
        rows->AppendRecord({k});
    auto* source = Create<TDataSource>(&owner);
    source->SetDataSet(rows);
    auto* grid = Create<TTestGrid>(&owner);
    grid->DataSource = source;
    TTestColumn column(grid);
    grid->Column = &column;
    auto forget = Finally([&] { grid->Column = nullptr; });
    TDBLookupDataEh& l = column.Lookup;
    l.SetKeyFieldNames(QStringLiteral("kodpredpr"));
    l.SetLookupDataSet(q);
    l.SetLookupKeyFieldNames(QStringLiteral("kodpredpr"));
    l.SetLookupDisplayFieldName(QStringLiteral("namepredpr"));
    ASSERT_TRUE(l.LookupActive());

    q->First();
    q->Next();
    for (bool cache : {true, false}) {
        l.SetLookupCache(cache);
        QStringList out;
        for (rows->First(); !rows->Eof(); rows->Next())
            out << Text(l.GetLookupValue());
        EXPECT_EQ(out.join(u'|'), QStringLiteral("Филиал «Восток»|Филиал «Центр»|<null>|<null>|<null>")) << cache;
    }
    EXPECT_EQ(q->FieldByName(QStringLiteral("kodpredpr"))->AsInteger(), 20);   // the query's cursor stayed
}

}  // namespace
