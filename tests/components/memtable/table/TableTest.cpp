// Opening, cursor moves, bookmarks, field values and instant reading.
#include "TableFixture.h"

#include <atomic>
#include <functional>
#include <cstdlib>
#include <new>

// Allocation counter for the no-allocation checks of instant reading.
namespace {
std::atomic<long> gAllocs{0};
std::atomic<bool> gCounting{false};
}

void* operator new(std::size_t n)
{
    if (gCounting.load(std::memory_order_relaxed))
        gAllocs.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
// The non-throwing pair too (std::stable_sort takes its buffer from it): left alone, it is the
// address sanitizer's own, and its blocks would reach the free above.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    if (gCounting.load(std::memory_order_relaxed))
        gAllocs.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(n ? n : 1);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

TEST(TableOpen, WithoutDriverAStoreWithoutStructureIsRefusedAndAStructuredOneOpensEmpty)
{
    auto tHolder = CreateUnique<TMemTableEh>(nullptr);
    TMemTableEh& t = *tHolder;
    EXPECT_EQ(ErrorOf([&] { t.Open(); }), QStringLiteral("MemTable doesn't have data."));
    EXPECT_FALSE(t.Active());
    auto* f = t.RecordsStore()->DataStruct()->CreateField<TMTNumericDataFieldEh>();
    f->SetFieldName("Code");
    t.Open();
    EXPECT_TRUE(t.Active());
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_EQ(t.FieldCount(), 1);
    EXPECT_EQ(t.FieldByName("Code")->DataType(), ftInteger);
}

TEST_F(TableFixture, ClosingKeepsTheRecordsAndReopeningShowsThem)
{
    OpenWith(3);
    t->Close();
    EXPECT_EQ(t->RecordsStore()->RecordsList()->Count(), 3);
    t->Open();
    EXPECT_EQ(t->RecordCount(), 3);
    EXPECT_EQ(Cur(), QStringLiteral("n1"));
}

TEST_F(TableFixture, NavigationCountsRowsAndRecNoFollowsTheCursor)
{
    OpenWith(5);
    EXPECT_EQ(t->RecordCount(), 5);
    QStringList seen;
    for (t->First(); !t->Eof(); t->Next())
        seen << QStringLiteral("%1:%2").arg(t->RecNo()).arg(Cur());
    EXPECT_EQ(seen.join(u' '), QStringLiteral("1:n1 2:n2 3:n3 4:n4 5:n5"));
    t->Last();
    EXPECT_EQ(Cur(), QStringLiteral("n5"));
    t->Prior();
    EXPECT_EQ(t->RecNo(), 4);
    t->SetRecNo(2);
    EXPECT_EQ(Cur(), QStringLiteral("n2"));
}

TEST_F(TableFixture, RecNoOutsideTheRowsDoesNothingAndFiresNoScroll)
{
    OpenWith(3);
    t->SetRecNo(2);
    int scrolls = 0;
    t->AfterScroll = [&](TDataSet*) { ++scrolls; };
    for (int v : {0, -1, 4, 100})
        t->SetRecNo(v);
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(Cur(), QStringLiteral("n2"));
    t->SetRecNo(3);
    EXPECT_EQ(scrolls, 1);
}

// A bookmark the table hands out names its record: it follows the record when rows move, and is
// no longer valid once the record is gone or filtered out, whatever now stands in its row.
TEST_F(TableFixture, ABookmarkFollowsItsRecordAndFailsOnceTheRecordIsGone)
{
    struct Case {
        const char* what;
        std::function<void(TMemTableEh*)> change;
        const char* cur;   // the bookmarked record's name, or nullptr when it must be gone
    };
    const Case cases[] = {
        {"re-sorted", [](TMemTableEh* m) { m->SortByFields(QStringLiteral("Code DESC")); }, "n3"},
        {"row inserted above", [](TMemTableEh* m) { m->First(); m->Insert(); m->FieldByName("Name")->SetAsString("new"); m->Post(); }, "n3"},
        {"row deleted above", [](TMemTableEh* m) { m->First(); m->Delete(); }, "n3"},
        {"deleted", [](TMemTableEh* m) { m->SetRecNo(3); m->Delete(); }, nullptr},
        {"deleted, a record appended",
         [](TMemTableEh* m) { m->SetRecNo(3); m->Delete(); m->AppendRecord({Variant(9), Variant("n9")}); m->SetRecNo(3); m->Delete(); m->AppendRecord({Variant(8), Variant("n8")}); }, nullptr},
        {"filtered out",
         [](TMemTableEh* m) { m->SetFilter(QStringLiteral("Code <> 3")); m->SetFiltered(true); }, nullptr},
    };
    t->Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t->SetFiltered(false);
        t->SortByFields(QStringLiteral("Code"));
        t->EmptyTable();
        for (int i = 1; i <= 5; ++i)
            Add(i, QStringLiteral("n%1").arg(i));
        t->SetRecNo(3);
        const TBookmark bm = t->Bookmark();
        EXPECT_EQ(TCustomMemTableEh::BookmarkToRecNo(bm), 3);
        c.change(t);
        t->Last();
        if (c.cur) {
            ASSERT_TRUE(t->BookmarkValid(bm));
            t->GotoBookmark(bm);
            EXPECT_EQ(Cur(), QString::fromLatin1(c.cur));
            EXPECT_EQ(t->InstantReadIndexOfBookmark(bm), t->RecNo() - 1);
        } else {
            EXPECT_FALSE(t->BookmarkValid(bm));
            EXPECT_EQ(t->InstantReadIndexOfBookmark(bm), -1);
            EXPECT_EQ(ErrorOf([&] { t->GotoBookmark(bm); }), QStringLiteral("Record not found"));
        }
    }
    // a bookmark taken while reading a row without moving names that row's record too
    t->SetFiltered(false);
    TBookmark second;
    {
        TInstantReadGuardEh g(t, 1);
        second = t->Bookmark();
    }
    t->First();
    t->Delete();
    t->GotoBookmark(second);
    EXPECT_EQ(Cur(), QStringLiteral("n2"));
}

TEST_F(TableFixture, BookmarksCompareByRowAndAreValidOnlyInsideTheRows)
{
    OpenWith(3);
    const TBookmark empty, b1 = TCustomMemTableEh::RecNoToBookmark(1), b3 = TCustomMemTableEh::RecNoToBookmark(3);
    struct Case { TBookmark a, b; int want; } cases[] = {
        {empty, empty, 0}, {empty, b1, -1}, {b1, empty, 1}, {b1, b3, -1}, {b3, b1, 1}, {b3, b3, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(t->CompareBookmarks(c.a, c.b), c.want);
    EXPECT_FALSE(t->BookmarkValid(TCustomMemTableEh::RecNoToBookmark(0)));
    EXPECT_FALSE(t->BookmarkValid(TCustomMemTableEh::RecNoToBookmark(4)));
    EXPECT_TRUE(t->BookmarkValid(b3));
    EXPECT_FALSE(t->BookmarkValid(empty));
    EXPECT_EQ(t->InstantReadIndexOfBookmark(b3), 2);
    EXPECT_EQ(t->InstantReadIndexOfBookmark(empty), -1);
    EXPECT_EQ(ErrorOf([&] { t->GotoBookmark(TCustomMemTableEh::RecNoToBookmark(9)); }), QStringLiteral("Record not found"));

    // two records that stood in the same row are not the same bookmark
    t->SetRecNo(2);
    const TBookmark before = t->Bookmark();
    t->Delete();
    t->SetRecNo(2);
    const TBookmark after = t->Bookmark();
    EXPECT_NE(t->CompareBookmarks(before, after), 0);
    EXPECT_EQ(t->CompareBookmarks(before, after), -t->CompareBookmarks(after, before));
    EXPECT_EQ(t->CompareBookmarks(after, t->Bookmark()), 0);
}

TEST_F(TableFixture, AWriteCopiesTheRecordIntoTheBufferAndTheRecordChangesOnlyAtPost)
{
    OpenWith(2);
    TMemoryRecordEh* r = t->Rec();
    ASSERT_NE(r, nullptr);
    t->Edit();
    t->FieldByName("Name")->SetAsString(QStringLiteral("changed"));
    EXPECT_EQ(Cur(), QStringLiteral("changed"));
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvValueEh)), QStringLiteral("n1"));
    EXPECT_EQ(t->FieldByName("Code")->AsInteger(), 1);   // the other fields came with the copy
    t->Post();
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvValueEh)), QStringLiteral("changed"));
    t->Edit();
    t->FieldByName("Name")->SetAsString(QStringLiteral("again"));
    t->Cancel();
    EXPECT_EQ(Cur(), QStringLiteral("changed"));
    EXPECT_EQ(VarToStr(r->GetDataValue(1, dvvValueEh)), QStringLiteral("changed"));
}

TEST_F(TableFixture, WritesOutsideEditAndToReadOnlyFieldsAreRefused)
{
    OpenWith(1);
    EXPECT_EQ(ErrorOf([&] { t->FieldByName("Name")->SetAsString("x"); }), QStringLiteral("Dataset not in edit or insert mode"));
    t->FieldByName("Code")->SetReadOnly(true);
    t->Edit();
    EXPECT_EQ(ErrorOf([&] { t->FieldByName("Code")->SetAsInteger(5); }), QStringLiteral("Field 'Code' cannot be modified"));
    t->Cancel();
}

TEST_F(TableFixture, InstantReadingInInsertStateCountsTheInsertRowAtTheCursor)
{
    OpenWith(3);
    t->SetRecNo(3);   // the cursor on row 2 (0-based)
    t->Insert();
    t->FieldByName("Name")->SetAsString(QStringLiteral("new"));
    EXPECT_EQ(t->InstantReadRowCount(), 4);
    QStringList names, rows;
    for (int i = 0; i < 4; ++i) {
        TInstantReadGuardEh g(t, i);
        names << t->FieldByName("Name")->AsString();
        rows << QString::number(t->InstantReadViewRow());
        if (i == 2) {
            EXPECT_EQ(t->GetRec(), nullptr);
        }
    }
    EXPECT_EQ(names.join(u','), QStringLiteral("n1,n2,new,n3"));
    EXPECT_EQ(rows.join(u','), QStringLiteral("0,1,2,3"));
    t->Cancel();
    EXPECT_EQ(t->InstantReadRowCount(), 3);
}

TEST_F(TableFixture, InstantReadingLeavesTheCursorAndNestsAndAnUnpairedLeaveRaises)
{
    OpenWith(4);
    t->SetRecNo(2);
    {
        TInstantReadGuardEh a(t, 3);
        EXPECT_EQ(Cur(), QStringLiteral("n4"));
        EXPECT_EQ(t->RecNo(), 4);
        {
            TInstantReadGuardEh b(t, 0);
            EXPECT_EQ(Cur(), QStringLiteral("n1"));
            EXPECT_EQ(TCustomMemTableEh::BookmarkToRecNo(t->Bookmark()), 1);
        }
        EXPECT_EQ(Cur(), QStringLiteral("n4"));
    }
    EXPECT_EQ(Cur(), QStringLiteral("n2"));
    EXPECT_EQ(t->GetInstantReadCurRow(), 1);
    EXPECT_EQ(ErrorOf([&] { t->InstantReadLeave(); }), QStringLiteral("TCustomMemTableEh not in instant read mode."));
}

TEST_F(TableFixture, InstantReadingAnEmptyTableGivesAnEmptyRecord)
{
    t->Open();
    EXPECT_EQ(t->InstantReadRowCount(), 0);
    TInstantReadGuardEh g(t, 0);
    EXPECT_TRUE(t->FieldByName("Name")->IsNull());
    EXPECT_EQ(t->GetRec(), nullptr);
}

TEST_F(TableFixture, ReadingEveryCellOfARowByInstantReadingDoesNotAllocate)
{
    OpenWith(50);
    std::vector<TField*> fields(t->Fields()->List());
    Variant v;
    { TInstantReadGuardEh warm(t, 0); }
    gAllocs = 0;
    gCounting = true;
    for (int row = 0; row < 50; ++row) {
        t->InstantReadEnter(row);
        for (TField* f : fields)
            f->GetData(v);
        t->InstantReadLeave();
    }
    gCounting = false;
    EXPECT_EQ(gAllocs.load(), 0);
}

TEST_F(TableFixture, CalculatedValuesAreComputedOncePerRowAndReadThroughTheNode)
{
    auto* code = Create<TIntegerField>(t);
    code->SetFieldName("Code");
    code->SetDataSet(t);
    auto* name = Create<TStringField>(t);
    name->SetFieldName("Name");
    name->SetSize(40);
    name->SetDataSet(t);
    auto* amount = Create<TCurrencyField>(t);
    amount->SetFieldName("Amount");
    amount->SetDataSet(t);
    auto* calc = Create<TStringField>(t);
    calc->SetFieldName("Label");
    calc->SetFieldKind(fkCalculated);
    calc->SetSize(20);
    calc->SetDataSet(t);
    int calls = 0;
    t->OnCalcFields = [&](TDataSet* ds) {
        ++calls;
        ds->FieldByName("Label")->SetAsString(QStringLiteral("#") + ds->FieldByName("Code")->AsString());
    };
    OpenWith(3);
    const int afterOpen = calls;
    EXPECT_EQ(Names(), QStringLiteral("n1,n2,n3"));
    QStringList labels;
    for (int i = 0; i < 3; ++i) {
        TInstantReadGuardEh g(t, i);
        labels << t->FieldByName("Label")->AsString();
    }
    EXPECT_EQ(labels.join(u','), QStringLiteral("#1,#2,#3"));
    for (t->First(); !t->Eof(); t->Next())
        t->FieldByName("Label")->AsString();
    EXPECT_EQ(calls, afterOpen);   // reads take the stored values
    t->SetRecNo(2);
    EXPECT_EQ(t->FieldByName("Label")->AsString(), QStringLiteral("#2"));
}

TEST_F(TableFixture, AFlatRowGetsItsNodeOnlyWhenAskedAndLosesItWithTheRow)
{
    OpenWith(3);
    TRecordsViewEh* v = t->RecordsView();
    std::vector<TMemoryRecordEh*> recs = v->MemoryViewList();
    ASSERT_EQ(recs.size(), 3u);
    // reading every row goes straight to the records
    for (t->First(); !t->Eof(); t->Next())
        Cur();
    EXPECT_EQ(Names(), QStringLiteral("n1,n2,n3"));
    for (TMemoryRecordEh* r : recs)
        EXPECT_EQ(v->FindRowItem(r), nullptr);
    // asking the current row for its node makes one, as flat as before
    t->SetRecNo(2);
    TMemRecViewEh* node = t->TreeNode();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Rec(), recs[1]);
    EXPECT_EQ(t->TreeNodeLevel(), 0);
    EXPECT_EQ(v->FindRowItem(recs[1]), node);
    EXPECT_EQ(v->FindRowItem(recs[0]), nullptr);
    // a row that leaves the view takes its node along; the others keep their places
    t->Delete();
    EXPECT_EQ(v->FindRowItem(recs[1]), nullptr);
    EXPECT_EQ(Names(), QStringLiteral("n1,n3"));
    EXPECT_EQ(v->IndexOf(recs[2]), 1);
}

TEST_F(TableFixture, RangeAggregatesSkipNullsAndCountRowsWithoutAField)
{
    t->Open();
    Add(1, "a", Variant(Currency::FromInt(10)));
    Add(2, "b", Variant::Null());
    Add(3, "c", Variant(Currency::FromInt(30)));
    Add(4, "d", Variant(Currency::FromInt(5)));
    TAggrResultArr r;
    const TAggrFunctionsEh all{agfSumEh, agfCountEh, agfAvg, agfMin, agfMax};
    t->GetAggregatedValuesForRange({}, {}, QStringLiteral("Amount"), r, all);
    EXPECT_EQ(r[agfSumEh].AsCurrency(), Currency::FromInt(45));
    EXPECT_EQ(r[agfCountEh].AsInteger(), 3);
    EXPECT_EQ(r[agfAvg].AsCurrency(), Currency::FromInt(15));
    EXPECT_EQ(r[agfMin].AsCurrency(), Currency::FromInt(5));
    EXPECT_EQ(r[agfMax].AsCurrency(), Currency::FromInt(30));
    t->GetAggregatedValuesForRange(TCustomMemTableEh::RecNoToBookmark(2), TCustomMemTableEh::RecNoToBookmark(3),
                                   QStringLiteral("Amount"), r, {agfSumEh});
    EXPECT_EQ(r[agfSumEh].AsCurrency(), Currency::FromInt(30));
    t->GetAggregatedValuesForRange({}, {}, QString(), r, {agfCountEh});
    EXPECT_EQ(r[agfCountEh].AsInteger(), 4);
    // a bookmark outside the rows leaves the initial results
    t->GetAggregatedValuesForRange(TCustomMemTableEh::RecNoToBookmark(9), {}, QStringLiteral("Amount"), r, all);
    EXPECT_TRUE(r[agfSumEh].IsNull());
    EXPECT_EQ(r[agfCountEh].AsInteger(), 0);
}

TEST_F(TableFixture, TheTableAnswersTheInterfaceQueryAndClosedChecksRaise)
{
    TDataSet* ds = t;
    IMemTableEh* mt = dynamic_cast<IMemTableEh*>(ds);
    ASSERT_NE(mt, nullptr);
    EXPECT_EQ(ErrorOf([&] { mt->GetTreeNodeLevel(); }),
              QStringLiteral("Cannot perform this operation on a closed dataset"));
    EXPECT_EQ(mt->FetchRecords(10), 0);
    EXPECT_EQ(mt->GetLikeWildcardAnyChars(), QStringLiteral("%"));
    EXPECT_EQ(mt->GetFieldValueList(QStringLiteral("NoSuchField")), nullptr);
}

}  // namespace
