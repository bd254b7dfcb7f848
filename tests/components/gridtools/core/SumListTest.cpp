// The footer totals engine over an in-memory table and over an ADO query: full passes,
// per-record adjustments, the dataset's own handlers, filters, masters, virtual records.
#include "components/gridtools/core/DBSumLst.h"
#include "support/ArrayDataSet.h"
#include "support/DBGridFixtures.h"

#include <thread>

using namespace testsupport;

void PrintTo(const Currency& Value, std::ostream* Out) { *Out << Value.Value; }

namespace {

Currency Raw(int64_t Value) { return Currency::FromRaw(Value); }

// Sum of Sum, average of Sum, record count, count of non-null Sum: the fixture's rows are
// 10.5, 20 and null.
template <class Regime>
class SumListRegimes : public Regime {
public:
    std::unique_ptr<TDBSumListProducer> sums = CreateUnique<TDBSumListProducer>(static_cast<TComponent*>(nullptr));
    TDBSum* sum = nullptr;
    TDBSum* avg = nullptr;
    TDBSum* records = nullptr;
    TDBSum* filled = nullptr;
    int changes = 0;

    void SetUp() override
    {
        Regime::SetUp();
        sum = Add(goSum, QStringLiteral("Sum"));
        avg = Add(goAvg, QStringLiteral("Sum"));
        records = Add(goCount, QString());
        filled = Add(goCount, QStringLiteral("Sum"));
        sums->SumListChanged = [this](TObject*) { ++changes; };
        sums->SetDataSet(this->DataSet());
    }
    void TearDown() override
    {
        sums.reset();
        Regime::TearDown();
    }
    TDBSum* Add(TGroupOperation Op, const QString& Field)
    {
        TDBSum* item = sums->SumCollection()->Add();
        item->SetGroupOperation(Op);
        item->SetFieldName(Field);
        return item;
    }
    // Moves to the row with that code.
    void Go(int Code)
    {
        ASSERT_TRUE(this->DataSet()->Locate(QStringLiteral("Code"), Variant(Code), TLocateOptions()));
    }
    void SetSum(int Code, const Variant& Value)
    {
        Go(Code);
        this->DataSet()->Edit();
        this->DataSet()->FieldByName(QStringLiteral("Sum"))->SetValue(Value);
        this->DataSet()->Post();
    }
    void Expect(int64_t Sum, int64_t Avg, int64_t Records, int64_t Filled)
    {
        EXPECT_EQ(sum->SumValue(), Raw(Sum));
        EXPECT_EQ(avg->SumValue(), Raw(Avg));
        EXPECT_EQ(records->SumValue(), Raw(Records));
        EXPECT_EQ(filled->SumValue(), Raw(Filled));
    }
};

using Regimes = ::testing::Types<DBGridOverMemTable, DBGridOverAdoQuery>;
TYPED_TEST_SUITE(SumListRegimes, Regimes);

TYPED_TEST(SumListRegimes, AFullPassTotalsSumsAveragesAndCounts)
{
    this->Expect(305000, 152500, 30000, 20000);
    EXPECT_GT(this->changes, 0);
    // The full pass keeps the cursor where it was.
    EXPECT_EQ(this->DataSet()->FieldByName(QStringLiteral("Code"))->AsInteger(), 1);
}

TYPED_TEST(SumListRegimes, EditsInsertsAndDeletesAdjustTheTotalsByTheRecord)
{
    // 10.5 to null and back.
    this->SetSum(1, Variant::Null());
    this->Expect(200000, 200000, 30000, 10000);
    this->SetSum(1, Variant(10.5));
    this->Expect(305000, 152500, 30000, 20000);

    // A new record with 4.5, and one with nothing.
    AddDBGridRow(this->DataSet(), 4, QStringLiteral("Дельта"), Variant(4.5), QStringLiteral("B"));
    this->Expect(350000, 116667, 40000, 30000);
    AddDBGridRow(this->DataSet(), 5, QStringLiteral("Эпсилон"), Variant::Null(), QStringLiteral("B"));
    this->Expect(350000, 116667, 50000, 30000);

    const int before = this->changes;
    this->Go(5);
    this->DataSet()->Delete();
    this->Expect(350000, 116667, 40000, 30000);
    EXPECT_GT(this->changes, before);
    this->Go(4);
    this->DataSet()->Delete();
    this->Go(2);
    this->DataSet()->Delete();
    this->Expect(105000, 105000, 20000, 10000);
    // The last value gone: an average of nothing is 0.
    this->Go(1);
    this->DataSet()->Delete();
    this->Expect(0, 0, 10000, 0);
}

TYPED_TEST(SumListRegimes, ClosingZeroesTheTotalsAndOpeningRecalculates)
{
    this->DataSet()->Close();
    this->Expect(0, 0, 0, 0);
    this->DataSet()->Open();
    this->Expect(305000, 152500, 30000, 20000);
}

TYPED_TEST(SumListRegimes, TheDatasetsOwnHandlersKeepRunningAndComeBack)
{
    this->sums->SetActive(false);
    int posts = 0;
    int deletes = 0;
    TDataSet* ds = this->DataSet();
    Currency atPost;
    ds->AfterPost = [&](TDataSet*) {
        atPost = this->sum->SumValue();
        ++posts;
    };
    ds->BeforeDelete = [&](TDataSet*) {
        // ... and not yet when it hears of a delete.
        EXPECT_EQ(this->records->SumValue(), Raw(30000));
        ++deletes;
    };
    this->sums->SetActive(true);
    this->SetSum(2, Variant(21.0));
    this->Go(3);
    ds->Delete();
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(deletes, 1);
    // The totals are already adjusted when the application hears of the post.
    EXPECT_EQ(atPost, Raw(315000));

    this->sums->SetActive(false);
    this->Expect(0, 0, 0, 0);
    EXPECT_TRUE(ds->AfterPost.Assigned());
    EXPECT_FALSE(ds->AfterEdit.Assigned());
    this->SetSum(2, Variant(22.0));
    EXPECT_EQ(posts, 2);
}

TYPED_TEST(SumListRegimes, ReplacingTheDatasetMovesTheTotals)
{
    auto* other = MakeDBGridTable(this->form.get());
    AddDBGridRow(other, 7, QStringLiteral("Дзета"), Variant(1.25), QStringLiteral("A"));
    this->sums->SetDataSet(other);
    this->Expect(12500, 12500, 10000, 10000);
    EXPECT_FALSE(this->DataSet()->AfterPost.Assigned());
    EXPECT_TRUE(other->AfterPost.Assigned());
    this->sums->SetDataSet(nullptr);
    this->Expect(0, 0, 0, 0);
    EXPECT_FALSE(other->AfterPost.Assigned());
}

// ---------------------------------------------------------------- fixed-point arithmetic

TEST(SumListArithmetic, RoundingTiesGoToEvenOnTheWholeNewTotal)
{
    struct Case {
        int64_t Total;
        double Field;
        int64_t Expected;
    } cases[] = {
        {0, 0.03125, 312},   // 312.5
        {1, 0.03125, 314},   // 313.5
        {0, 0.09375, 938},   // 937.5
        {0, -0.03125, -312},
        {305000, 10.5, 410000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AddToTotalEh(Raw(c.Total), c.Field), Raw(c.Expected)) << c.Total << " + " << c.Field;
    EXPECT_EQ(SubFromTotalEh(Raw(410000), 10.5), Raw(305000));
}

TEST(SumListArithmetic, ATotalBeyondTheRangeRaisesInsteadOfWrapping)
{
    const Currency nearTop = Raw(INT64_MAX - 5000);
    EXPECT_THROW(AddToTotalEh(nearTop, 1.0), EOverflow);
    EXPECT_THROW(SubFromTotalEh(Raw(INT64_MIN + 5000), 1.0), EOverflow);
    EXPECT_THROW(AddToTotalEh(Currency(), 1e300), EOverflow);
    EXPECT_EQ(AddToTotalEh(nearTop, 0.25), Raw(INT64_MAX - 2500));
}

class SumListOverflow : public DBGridOverMemTable {};

TEST_F(SumListOverflow, TotalsThatOverflowRaiseOnThePost)
{
    auto sums = CreateUnique<TDBSumListProducer>(static_cast<TComponent*>(nullptr));
    TDBSum* item = sums->SumCollection()->Add();
    item->SetFieldName(QStringLiteral("Sum"));
    sums->SetDataSet(table);
    table->Edit();
    table->FieldByName(QStringLiteral("Sum"))->SetAsFloat(9.0e14);
    EXPECT_NO_THROW(table->Post());
    table->Next();
    table->Edit();
    table->FieldByName(QStringLiteral("Sum"))->SetAsFloat(9.0e14);
    EXPECT_THROW(table->Post(), EOverflow);
    sums.reset();
}

// ---------------------------------------------------------------- the in-memory table

class SumListOverMemTable : public SumListRegimes<DBGridOverMemTable> {};

TEST_F(SumListOverMemTable, AveragesAfterATablePassKeepTheirRunningSumAndCount)
{
    // The table answered the totals; the edit that follows builds on its sum and count.
    EXPECT_EQ(avg->SumValueAsSum(), Raw(305000));
    EXPECT_EQ(avg->NotNullRecordCount(), 2);
    SetSum(3, Variant(3.0));
    EXPECT_EQ(avg->SumValue(), Raw(111667));
    EXPECT_EQ(avg->NotNullRecordCount(), 3);
}

TEST_F(SumListOverMemTable, AFilterChangeRecalculatesAtTheNextScrollAndPlainScrollsDoNot)
{
    int recalcs = 0;
    sums->OnRecalcAll = [&](TObject*) { ++recalcs; };
    table->Next();
    EXPECT_EQ(recalcs, 0);

    table->SetFilter(QStringLiteral("Kind = 'A'"));
    table->SetFiltered(true);
    table->First();
    EXPECT_EQ(recalcs, 1);
    Expect(105000, 105000, 20000, 10000);

    // Only the text changes: still noticed.
    table->SetFilter(QStringLiteral("Kind = 'B'"));
    table->First();
    EXPECT_EQ(recalcs, 2);
    Expect(200000, 200000, 10000, 10000);
    table->Last();
    EXPECT_EQ(recalcs, 2);
}

TEST_F(SumListOverMemTable, AMasterMovingRecalculates)
{
    auto* master = MakeDBGridTable(form.get());
    AddDBGridRow(master, 1, QStringLiteral("A"), Variant(0.0), QStringLiteral("A"));
    AddDBGridRow(master, 2, QStringLiteral("B"), Variant(0.0), QStringLiteral("B"));
    auto* masterSource = Create<TDataSource>(form.get());
    masterSource->SetDataSet(master);
    sums->SetDataSet(nullptr);
    table->SetMasterSource(masterSource);
    table->SetMasterFields(QStringLiteral("Kind"));
    table->SetDetailFields(QStringLiteral("Kind"));
    master->First();
    sums->SetDataSet(table);
    Expect(105000, 105000, 20000, 10000);
    master->Next();
    Expect(200000, 200000, 10000, 10000);
    sums->SetDataSet(nullptr);
    EXPECT_FALSE(master->AfterScroll.Assigned());
}

TEST_F(SumListOverMemTable, EventsFromAJobThreadOnlyMarkTheTotalsStale)
{
    const int before = changes;
    std::thread job([this] {
        table->DisableControls();
        AddDBGridRow(table, 4, QStringLiteral("Дельта"), Variant(4.5), QStringLiteral("B"));
    });
    job.join();
    EXPECT_EQ(changes, before);
    EXPECT_TRUE(sums->Stale());
    Expect(305000, 152500, 30000, 20000);
    table->EnableControls();
    EXPECT_TRUE(sums->RecalcAllIfStale());
    Expect(350000, 116667, 40000, 30000);
    EXPECT_FALSE(sums->RecalcAllIfStale());
}

TEST_F(SumListOverMemTable, ItemsAreFoundByOperationAndFieldIgnoringCase)
{
    EXPECT_EQ(sums->SumCollection()->GetSumByOpAndFName(goAvg, QStringLiteral("SUM")), avg);
    EXPECT_EQ(sums->SumCollection()->GetSumByOpAndFName(goCount, QString()), records);
    EXPECT_EQ(sums->SumCollection()->GetSumByOpAndFName(goCount, QStringLiteral("sum")), filled);
    EXPECT_EQ(sums->SumCollection()->GetSumByOpAndFName(goSum, QStringLiteral("Code")), nullptr);
    // A changed item recalculates at once.
    sum->SetFieldName(QStringLiteral("Code"));
    EXPECT_EQ(sum->SumValue(), Raw(60000));
}

// ---------------------------------------------------------------- the full pass

class SumListOverAdoQuery : public SumListRegimes<DBGridOverAdoQuery> {};

TEST_F(SumListOverAdoQuery, AnExternalRecalculationLeavesTheTotalsToTheApplication)
{
    sums->OnRecalcAll = [this](TObject*) { sum->SetSumValue(Raw(12345)); };
    sums->SetExternalRecalc(true);
    EXPECT_EQ(sum->SumValue(), Raw(12345));
    EXPECT_EQ(records->SumValue(), Raw(0));
}

TEST_F(SumListOverAdoQuery, AnUnknownFieldRaisesAndLeavesTheDatasetUsable)
{
    TDBSum* item = Add(goSum, QString());
    int after = 0;
    sums->OnAfterRecalcAll = [&](TObject*) { ++after; };
    const int before = changes;
    EXPECT_THROW(item->SetFieldName(QStringLiteral("Nope")), EDatabaseError);
    EXPECT_GT(changes, before);
    EXPECT_EQ(after, 0);
    EXPECT_FALSE(sums->Changing());
    EXPECT_FALSE(query->ControlsDisabled());
}

// ---------------------------------------------------------------- virtual records

// Rows in array order, with no record numbers of its own.
class TUnsequencedDataSet : public TArrayDataSet {
public:
    using TArrayDataSet::TArrayDataSet;
    bool IsSequenced() override { return false; }
};

class SumListVirtualRecords : public ::testing::Test {
public:
    std::unique_ptr<TUnsequencedDataSet> ds = CreateUnique<TUnsequencedDataSet>(nullptr);
    std::unique_ptr<TDBSumListProducer> sums = CreateUnique<TDBSumListProducer>(static_cast<TComponent*>(nullptr));

    void SetUp() override
    {
        ds->FieldDefs()->Add(QStringLiteral("V"), ftInteger);
        for (int v : {10, 20, 30, 40})
            ds->AddRow({Variant(v)});
        ds->Open();
        sums->SetVirtualRecords(true);
        sums->SetDataSet(ds.get());
    }
    void TearDown() override { sums.reset(); }
    // The list as values, in list order.
    std::vector<int> ListValues()
    {
        std::vector<int> out;
        const TBookmark saved = ds->Bookmark();
        for (int i = 0; i < sums->VirtualRecList()->Count(); ++i) {
            ds->GotoBookmark(sums->VirtualRecList()->GetItem(i));
            out.push_back(ds->FieldByName(QStringLiteral("V"))->AsInteger());
        }
        ds->GotoBookmark(saved);
        return out;
    }
};

TEST_F(SumListVirtualRecords, TheListAnswersRecordNumbersCountAndPositioning)
{
    EXPECT_TRUE(sums->IsSequenced());
    EXPECT_EQ(sums->RecordCount(), 4);
    ds->Last();
    EXPECT_EQ(sums->RecNo(), 4);
    sums->SetRecNo(2);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("V"))->AsInteger(), 20);
    EXPECT_EQ(sums->RecNo(), 2);
    EXPECT_THROW(sums->SetRecNo(5), EListError);
}

TEST_F(SumListVirtualRecords, APostedInsertLandsAtItsPlaceAndACancelledOneLeavesNoTrace)
{
    // The last search ended behind the place of the new record.
    ds->Last();
    EXPECT_EQ(sums->RecNo(), 4);
    ds->First();
    ds->Next();
    ds->Insert();
    ds->FieldByName(QStringLiteral("V"))->SetAsInteger(15);
    ds->Post();
    EXPECT_EQ(ListValues(), (std::vector<int>{10, 15, 20, 30, 40}));

    ds->Insert();
    ds->FieldByName(QStringLiteral("V"))->SetAsInteger(99);
    ds->Cancel();
    EXPECT_EQ(ListValues(), (std::vector<int>{10, 15, 20, 30, 40}));

    sums->SetRecNo(3);
    ds->Delete();
    EXPECT_EQ(ListValues(), (std::vector<int>{10, 15, 30, 40}));
    ds->Close();
    EXPECT_EQ(sums->VirtualRecList()->Count(), 0);
}

// A dataset that already names the record it is inserting.
class TEagerBookmarkDataSet : public TUnsequencedDataSet {
public:
    using TUnsequencedDataSet::TUnsequencedDataSet;
    TBookmark GetBookmark() override
    {
        if (State() == dsInsert)
            return QByteArrayLiteral("new!");
        return TUnsequencedDataSet::GetBookmark();
    }
};

TEST(SumListVirtualRecordsEager, ACancelledInsertTakesItsEntryBackOut)
{
    auto ds = CreateUnique<TEagerBookmarkDataSet>(nullptr);
    ds->FieldDefs()->Add(QStringLiteral("V"), ftInteger);
    ds->AddRow({Variant(1)});
    ds->Open();
    auto sums = CreateUnique<TDBSumListProducer>(static_cast<TComponent*>(nullptr));
    sums->SetVirtualRecords(true);
    sums->SetDataSet(ds.get());
    ds->Append();
    EXPECT_EQ(sums->VirtualRecList()->Count(), 2);
    ds->Cancel();
    EXPECT_EQ(sums->VirtualRecList()->Count(), 1);
    sums.reset();
}

}  // namespace
