// Records views: incremental maintenance checked against a full rebuild, view events, filters
// and sorting.
#include "StoreFixture.h"

#include <random>

namespace {

// Mirrors the view from its events alone, so event positions are checked too.
struct Mirror {
    std::vector<TMemoryRecordEh*> rows;
    TRecordsViewEh* view = nullptr;
    QStringList kinds;
    void Attach(TRecordsViewEh* v)
    {
        view = v;
        v->OnViewDataEvent = [this](TMemoryRecordEh* r, int i, TRecordsListNotification a) {
            kinds << QString::number(int(a));
            const bool inside = i >= 0 && size_t(i) < rows.size();
            switch (a) {
            case rlnRecAddedEh:
                ASSERT_TRUE(i >= 0 && size_t(i) <= rows.size());
                rows.insert(rows.begin() + i, r);
                break;
            case rlnRecDeletedEh:
                ASSERT_TRUE(inside && rows[size_t(i)] == r) << "deleted at " << i;
                rows.erase(rows.begin() + i);
                break;
            case rlnRecChangedEh: case rlnRecMarkedForDelEh:
                ASSERT_TRUE(inside && rows[size_t(i)] == r) << "changed at " << i;
                break;
            default:
                Reload();
                break;
            }
        };
        v->OnViewRecordMovedEvent = [this](TMemoryRecordEh* r, int o, int n) {
            ASSERT_TRUE(o >= 0 && size_t(o) < rows.size() && rows[size_t(o)] == r) << "moved from " << o;
            rows.erase(rows.begin() + o);
            rows.insert(rows.begin() + n, r);
        };
        Reload();
    }
    void Reload()
    {
        rows.clear();
        for (int i = 0; i < view->Count(); ++i)
            rows.push_back(view->GetRec(i));
    }
};

} // namespace

struct ViewTest : StoreFixture {
    std::unique_ptr<TRecordsViewEh> view = CreateUnique<TRecordsViewEh>(nullptr);
    void SetUp() override
    {
        StoreFixture::SetUp();
        view->SetMemTableData(data.get());
    }
    QString ViewNames()
    {
        QStringList s;
        for (int i = 0; i < view->Count(); ++i)
            s << VarToStr(view->GetValue(i, 1));
        return s.join(u',');
    }
};

TEST_F(ViewTest, IncrementalMaintenanceMatchesAFullRebuild)
{
    view->OnFilterRecord = [](TMemoryRecordEh* r) {
        const Variant c = r->ValueRef(0);
        return c.IsNull() || c.AsInteger() % 3 != 0;
    };
    view->SetSortOrder("Name, Amount DESC");
    Mirror mirror;
    mirror.Attach(view.get());
    std::mt19937 rng(20261210);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const char* names[] = {"Иванов", "Петров", "abc", "ABC", "Сидоров", ""};
    auto randomName = [&]() -> Variant {
        const int i = pick(7);
        return i == 6 ? Variant::Null() : Variant(names[i]);
    };
    for (int step = 0; step < 1500; ++step) {
        const int n = list()->Count();
        switch (n == 0 ? 0 : pick(8)) {
        case 0: case 1:
            Add(pick(20), randomName(), Currency::FromInt(pick(5)));
            break;
        case 2: {
            TMemoryRecordEh* r = list()->NewRecord();
            r->SetDataValue(0, dvvValueEh, pick(20));
            r->SetDataValue(1, dvvValueEh, randomName());
            list()->InsertRecord(pick(n + 1), r);
            break;
        }
        case 3: case 4: {
            TMemoryRecordEh* r = list()->GetRec(pick(n));
            r->Edit();
            if (pick(2) == 0)
                r->SetDataValue(0, dvvValueEh, pick(20));
            else
                r->SetDataValue(1, dvvValueEh, randomName());
            if (pick(4) == 0)
                r->SetDataValue(2, dvvValueEh, Currency::FromInt(pick(5)));
            r->Post();
            break;
        }
        case 5: {
            const int at = pick(n);
            if (list()->CachedUpdates() && list()->GetRec(at)->UpdateStatus() == usDeleted)
                EXPECT_THROW(list()->DeleteRecord(at), Exception);
            else
                list()->DeleteRecord(at);
            break;
        }
        case 6:
            list()->Move(pick(n), pick(n));
            break;
        case 7:
            if (pick(10) == 0)
                list()->SetCachedUpdates(!list()->CachedUpdates());
            else if (pick(10) == 0)
                list()->SetValue(pick(n), 2, Variant(Currency::FromInt(pick(5))));
            break;
        }
        // The expected view: the records that pass, in the comparison's order.
        std::vector<TMemoryRecordEh*> expected;
        for (TMemoryRecordEh* r : list()->Records())
            if (view->RecordPassesFilter(r))
                expected.push_back(r);
        std::stable_sort(expected.begin(), expected.end(), [&](TMemoryRecordEh* a, TMemoryRecordEh* b) {
            return view->CompareViewRecords(a, b) < 0;
        });
        std::vector<TMemoryRecordEh*> actual;
        for (int i = 0; i < view->Count(); ++i)
            actual.push_back(view->GetRec(i));
        ASSERT_EQ(actual, expected) << "step " << step;
        ASSERT_EQ(mirror.rows, expected) << "step " << step;
    }
}

TEST_F(ViewTest, CachedDeleteHidesTheRecordUntilCancel)
{
    Add(1, "a");
    Add(2, "b");
    Add(3, "c");
    Mirror m;
    m.Attach(view.get());
    list()->SetCachedUpdates(true);
    m.kinds.clear();
    list()->DeleteRecord(1);
    EXPECT_EQ(m.kinds, QStringList({QString::number(rlnRecDeletedEh)}));
    EXPECT_EQ(ViewNames(), "a,c");
    view->SetStatusFilter({usDeleted});
    EXPECT_EQ(ViewNames(), "b");
    view->SetStatusFilter({usUnmodified, usModified, usInserted});
    list()->CancelUpdates();
    EXPECT_EQ(ViewNames(), "a,b,c");
}

TEST_F(ViewTest, FilterChangesShowAndHideRecords)
{
    view->OnFilterRecord = [](TMemoryRecordEh* r) { return VarToStr(r->ValueRef(1)) != "hidden"; };
    TMemoryRecordEh* r = Add(1, "shown");
    Add(2, "other");
    Mirror m;
    m.Attach(view.get());
    m.kinds.clear();
    list()->SetValue(0, 1, Variant::FromString("hidden"));
    EXPECT_EQ(m.kinds, QStringList({QString::number(rlnRecDeletedEh)}));
    m.kinds.clear();
    r->Edit();
    r->SetDataValue(1, dvvValueEh, "again");
    r->Post();
    EXPECT_EQ(m.kinds, QStringList({QString::number(rlnRecAddedEh)}));
    EXPECT_EQ(ViewNames(), "again,other");
}

TEST_F(ViewTest, UnsortedViewFollowsListOrder)
{
    Add(1, "a");
    Add(2, "b");
    TMemoryRecordEh* r = list()->NewRecord();
    r->SetDataValue(1, dvvValueEh, "first");
    list()->InsertRecord(0, r);
    Add(3, "last");
    EXPECT_EQ(ViewNames(), "first,a,b,last");
    view->InsertRecord(2, list()->NewRecord());
    EXPECT_EQ(list()->GetRec(2)->GetDataValue(1, dvvValueEh).IsNull(), true);
}

TEST_F(ViewTest, SortIsStableAndABadSortTextChangesNothing)
{
    Add(2, "b");
    Add(1, "a");
    Add(2, "a");
    Add(1, "B");
    view->SetSortOrder("Code DESC");
    EXPECT_EQ(ViewNames(), "b,a,a,B");
    view->SetSortOrderCaseInsensitive(true);
    view->SetSortOrder("Name");
    EXPECT_EQ(ViewNames(), "a,a,b,B");
    EXPECT_THROW(view->SetSortOrder("Name, Nope"), Exception);
    EXPECT_EQ(view->SortOrder(), "Name");
    EXPECT_EQ(ViewNames(), "a,a,b,B");
}

TEST_F(ViewTest, NullsSortFirstAscendingAndLastDescending)
{
    Add(1, "x", Currency::FromInt(5));
    Add(2, "y", Variant::Null());
    Add(3, "z", Currency::FromInt(-5));
    view->SetSortOrder("Amount");
    EXPECT_EQ(ViewNames(), "y,z,x");
    view->SetSortOrder("Amount DESC");
    EXPECT_EQ(ViewNames(), "x,z,y");
}

TEST_F(ViewTest, DirectAggregatesOverShownRecords)
{
    EXPECT_EQ(view->CalcAggrFieldFunc("Amount", "SUM").AsInteger(), 0);
    EXPECT_TRUE(view->CalcAggrFieldFunc("Amount", "MIN").IsNull());
    Add(1, "a", Currency::FromInt(10));
    Add(2, "b", Variant::Null());
    Add(3, "c", Currency::FromInt(20));
    EXPECT_EQ(view->CalcAggrFieldFunc("Amount", "SUM").AsCurrency(), Currency::FromInt(30));
    EXPECT_EQ(view->CalcAggrFieldFunc("Amount", "AVG").AsDouble(), 10.0);
    EXPECT_EQ(view->CalcAggrFieldFunc("Amount", "COUNT").AsInteger(), 2);
    EXPECT_EQ(view->CalcAggrFieldFunc("*", "COUNT").AsInteger(), 3);
    EXPECT_EQ(view->CalcAggrFieldFunc("Amount", "MAX").AsCurrency(), Currency::FromInt(20));
    EXPECT_EQ(view->CalcAggrFieldFunc("Name", "MIN").AsString(), "a");
    EXPECT_EQ(ErrorOf([&] { view->CalcAggrFieldFunc("Amount", "sum"); }), "Unsupported aggrigate function: sum");
    EXPECT_EQ(ErrorOf([&] { view->CalcAggrFieldFunc("Nope", "SUM"); }), "Invalid field name: Nope");
}

TEST_F(ViewTest, ListenersOfTheViewAndPrefilteredLists)
{
    Add(1, "a");
    Add(2, "b");
    std::vector<TMemoryRecordEh*> only{list()->GetRec(1)};
    view->OnGetPrefilteredList = [&]() -> const std::vector<TMemoryRecordEh*>* { return &only; };
    view->RefreshFilteredRecsList();
    EXPECT_EQ(ViewNames(), "b");
    auto listenerHolder = CreateUnique<TRecordsListNotificatorEh>(nullptr);
    TRecordsListNotificatorEh& listener = *listenerHolder;
    QStringList seen;
    listener.OnDataEvent = [&](TMemoryRecordEh*, int i, TRecordsListNotification a) {
        seen << QStringLiteral("%1@%2").arg(int(a)).arg(i);
    };
    listener.SetDataObject(view.get());
    EXPECT_EQ(listener.MemTableData(), data.get());
    Add(3, "c");
    EXPECT_EQ(seen.last(), QStringLiteral("%1@1").arg(int(rlnRecAddedEh)));
    view.reset();   // the listener is let go, not left pointing at a dead view
    EXPECT_EQ(listener.DataObject(), nullptr);
}
