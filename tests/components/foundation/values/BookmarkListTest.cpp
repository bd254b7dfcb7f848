#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "platform/db/DB.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Records are ids in ascending order; a bookmark is the id as 4 big-endian bytes, so the
// dataset's bookmark order is the id order.
class TIdDataSet : public TDataSet {
public:
    explicit TIdDataSet(std::vector<int> ids) : TDataSet(nullptr), Ids(std::move(ids)) {}
    ~TIdDataSet() override { Close(); }

    std::vector<int> Ids;
    int Compares = 0;

    static TBookmark Mark(int id)
    {
        TBookmark b(4, Qt::Uninitialized);
        for (int i = 0; i < 4; ++i)
            b[i] = char(uint8_t(uint32_t(id) >> (24 - 8 * i)));
        return b;
    }
    static int IdOf(const TBookmark& b)
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | uint8_t(b[i]);
        return int(v);
    }
    int CurrentId() const { return IdOf(Bookmark()); }
    void GoTo(int id) { GotoBookmark(Mark(id)); }

    bool BookmarkValid(const TBookmark& b) override
    {
        return std::find(Ids.begin(), Ids.end(), IdOf(b)) != Ids.end();
    }
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) override
    {
        ++Compares;
        return TDataSet::CompareBookmarks(a, b);
    }

protected:
    struct Buf { int Id = 0; TBookmarkFlag Flag = bfCurrent; };
    static Buf* B(TRecordBuffer b) { return reinterpret_cast<Buf*>(b); }
    int IndexOf(int id) const { return int(std::find(Ids.begin(), Ids.end(), id) - Ids.begin()); }

    TRecordBuffer AllocRecordBuffer() override { return TRecordBuffer(new Buf); }
    void FreeRecordBuffer(TRecordBuffer& b) override { delete B(b); b = 0; }
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool) override
    {
        const int n = int(Ids.size());
        switch (mode) {
        case gmNext:
            if (FCur >= n - 1) { FCur = n; return grEOF; }
            ++FCur;
            break;
        case gmPrior:
            if (FCur <= 0) { FCur = -1; return grBOF; }
            --FCur;
            break;
        case gmCurrent:
            if (FCur < 0 || FCur >= n) return grError;
            break;
        }
        B(buffer)->Id = Ids[size_t(FCur)];
        B(buffer)->Flag = bfCurrent;
        return grOK;
    }
    void InternalOpen() override { FOpen = true; FCur = -1; }
    void InternalClose() override { FOpen = false; }
    bool IsCursorOpen() const override { return FOpen; }
    void InternalFirst() override { FCur = -1; }
    void InternalLast() override { FCur = int(Ids.size()); }
    void InternalInitFieldDefs() override {}
    void InternalInitRecord(TRecordBuffer) override {}
    void InternalDelete() override { Ids.erase(Ids.begin() + FCur); }
    void InternalGotoBookmark(const TBookmark& b) override { FCur = IndexOf(IdOf(b)); }
    void InternalSetToRecord(TRecordBuffer b) override { FCur = IndexOf(B(b)->Id); }
    void GetBookmarkData(TRecordBuffer b, TBookmark& data) override { data = Mark(B(b)->Id); }
    void SetBookmarkData(TRecordBuffer b, const TBookmark& data) override { B(b)->Id = IdOf(data); }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer b) override { return B(b)->Flag; }
    void SetBookmarkFlag(TRecordBuffer b, TBookmarkFlag v) override { B(b)->Flag = v; }

private:
    bool FOpen = false;
    int FCur = -1;
};

class TTestBMList : public TBMListEh {
public:
    explicit TTestBMList(TDataSet* ds) : FDataSet(ds) {}
    int Invalidates = 0;
    int UpdateStates = 0;

protected:
    TDataSet* GetDataSet() const override { return FDataSet; }
    void Invalidate() override { ++Invalidates; }
    void UpdateState() override { ++UpdateStates; }

private:
    TDataSet* FDataSet;
};

std::vector<int> Items(const TBMListEh& list)
{
    std::vector<int> ids;
    for (int i = 0; i < list.Count(); ++i)
        ids.push_back(TIdDataSet::IdOf(list.GetItem(i)));
    return ids;
}

class BookmarkList : public ::testing::Test {
protected:
    std::unique_ptr<TIdDataSet> dsHolder = CreateUnique<TIdDataSet>(std::vector<int>{10, 20, 30, 40, 50});
    TIdDataSet& ds = *dsHolder;
    TTestBMList list{&ds};

    void SetUp() override
    {
        ds.Open();
        list.LinkActive(true);
    }
};

TEST_F(BookmarkList, FindGivesThePlaceOfMissingItems)
{
    int index = -1;
    EXPECT_FALSE(list.Find(TIdDataSet::Mark(20), index));
    EXPECT_EQ(index, 0);
    list.AppendItem(TIdDataSet::Mark(10));
    list.AppendItem(TIdDataSet::Mark(30));
    EXPECT_FALSE(list.Find(TIdDataSet::Mark(20), index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(list.Find(TIdDataSet::Mark(30), index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Find(TIdDataSet::Mark(40), index));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(list.IndexOf(TIdDataSet::Mark(10)), 0);
    EXPECT_EQ(list.IndexOf(TIdDataSet::Mark(50)), -1);
}

TEST_F(BookmarkList, SelectingTheCurrentRowKeepsOrderAndIgnoresRepeats)
{
    ds.GoTo(40);
    list.SetCurrentRowSelected(true);
    list.SetCurrentRowSelected(true);
    ds.GoTo(20);
    EXPECT_FALSE(list.CurrentRowSelected());
    list.SetCurrentRowSelected(true);
    EXPECT_TRUE(list.CurrentRowSelected());
    EXPECT_EQ(Items(list), (std::vector<int>{20, 40}));
    ds.GoTo(30);
    list.SetCurrentRowSelected(false);
    EXPECT_EQ(list.Count(), 2);
    ds.GoTo(40);
    list.SetCurrentRowSelected(false);
    EXPECT_EQ(Items(list), (std::vector<int>{20}));
}

TEST_F(BookmarkList, RepeatedFindOfTheSameBytesIsAnsweredFromTheCache)
{
    for (int id : {10, 30, 50})
        list.AppendItem(TIdDataSet::Mark(id));
    const TBookmark probe = TIdDataSet::Mark(30);
    int index;
    list.Find(probe, index);
    ds.Compares = 0;
    EXPECT_TRUE(list.Find(probe, index));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(ds.Compares, 0);

    list.Find(TIdDataSet::Mark(30), index);   // equal bytes, other array: searched
    EXPECT_GT(ds.Compares, 0);

    // Every edit, including raw overwrites and sorting, forgets the answer.
    const auto searchesAgainAfter = [&](const std::function<void()>& edit) {
        list.Find(probe, index);
        edit();
        ds.Compares = 0;
        list.Find(probe, index);
        return ds.Compares > 0;
    };
    EXPECT_TRUE(searchesAgainAfter([&] { list.InsertItem(0, TIdDataSet::Mark(5)); }));
    EXPECT_TRUE(searchesAgainAfter([&] { list.DeleteItem(0); }));
    EXPECT_TRUE(searchesAgainAfter([&] { list.SetItem(1, TIdDataSet::Mark(30)); }));
    EXPECT_TRUE(searchesAgainAfter([&] {
        list.CustomSort(&ds, [](TBMListEh* l, TDataSet*, int a, int b) {
            return -l->CompareItems(l->GetItem(a), l->GetItem(b));
        });
    }));
    EXPECT_EQ(Items(list), (std::vector<int>{50, 30, 10}));
}

TEST_F(BookmarkList, ClearNotifiesOnlyWhenSomethingWentAway)
{
    list.Clear();
    EXPECT_EQ(list.Invalidates, 0);
    list.AppendItem(TIdDataSet::Mark(10));
    list.Clear();
    EXPECT_EQ(list.Invalidates, 1);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(BookmarkList, RefreshDropsBookmarksOfRecordsDeletedElsewhere)
{
    for (int id : {10, 30, 50})
        list.AppendItem(TIdDataSet::Mark(id));
    list.UpdateStates = 0;
    EXPECT_FALSE(list.Refresh());
    EXPECT_EQ(list.Invalidates, 0);
    EXPECT_EQ(list.UpdateStates, 1);

    ds.Ids = {20, 30, 40};
    EXPECT_TRUE(list.Refresh());
    EXPECT_EQ(list.Invalidates, 1);
    EXPECT_EQ(Items(list), (std::vector<int>{30}));
}

TEST_F(BookmarkList, DeleteRemovesTheListedRecords)
{
    for (int id : {20, 40})
        list.AppendItem(TIdDataSet::Mark(id));
    list.UpdateStates = 0;
    list.Delete();
    EXPECT_EQ(ds.Ids, (std::vector<int>{10, 30, 50}));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.UpdateStates, 1);
    EXPECT_FALSE(ds.ControlsDisabled());
}

TEST_F(BookmarkList, SelectAllTakesEveryRecordAndReturnsToTheCurrentOne)
{
    ds.GoTo(30);
    list.SelectAll();
    EXPECT_EQ(Items(list), (std::vector<int>{10, 20, 30, 40, 50}));
    EXPECT_EQ(ds.CurrentId(), 30);
    EXPECT_FALSE(ds.ControlsDisabled());
}

TEST_F(BookmarkList, ClosedLinkAndBadIndexesRaise)
{
    list.AppendItem(TIdDataSet::Mark(10));
    list.LinkActive(false);
    EXPECT_EQ(list.Count(), 0);
    try {
        list.GetCurrentBookmark();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot perform this operation on a closed dataset"));
    }
    list.SelectAll();   // nothing to do while the link is closed
    EXPECT_EQ(list.Count(), 0);
    try {
        list.InsertItem(2, TIdDataSet::Mark(1));
        FAIL() << "no error";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("List index out of bounds (2)"));
    }
    EXPECT_THROW(list.DeleteItem(0), EListError);
    EXPECT_THROW(list.InsertItem(-1, TIdDataSet::Mark(1)), EListError);
}

}  // namespace
