// The record tree of a view: parents found by key, reference loops, filtering and ordering.
#include "components/memtable/MemTableDataEh.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {
struct RecordTree : ::testing::Test {
    std::unique_ptr<TMemTableDataEh> dataHolder = CreateUnique<TMemTableDataEh>(nullptr);
    TMemTableDataEh& data = *dataHolder;
    std::unique_ptr<TRecordsViewEh> view = CreateUnique<TRecordsViewEh>(nullptr);
    void SetUp() override
    {
        TMTDataStructEh* ds = data.DataStruct();
        ds->CreateField<TMTNumericDataFieldEh>()->SetFieldName("Id");
        ds->CreateField<TMTNumericDataFieldEh>()->SetFieldName("ParentId");
        ds->CreateField<TMTStringDataFieldEh>()->SetFieldName("Name");
        view->SetMemTableData(&data);
        view->SetTreeViewKeyFieldName("Id");
        view->SetTreeViewRefParentFieldName("ParentId");
        view->MemoryTreeList()->DefaultNodeExpanded = true;
    }
    TMemoryRecordEh* Add(int id, const Variant& parent, const QString& name = QString())
    {
        TMemoryRecordEh* r = data.RecordsList()->NewRecord();
        r->SetDataValue(0, dvvValueEh, id);
        r->SetDataValue(1, dvvValueEh, parent);
        r->SetDataValue(2, dvvValueEh, name.isEmpty() ? QString::number(id) : name);
        r->Post();
        return r;
    }
    void Set(TMemoryRecordEh* r, int field, const Variant& v)
    {
        r->Edit();
        r->SetDataValue(field, dvvValueEh, v);
        r->Post();
    }
    // The tree as text: "1(2(3) 4) 5".
    QString Shape(TBaseTreeNodeEh* node = nullptr)
    {
        if (!node)
            node = view->MemoryTreeList()->Root();
        QStringList parts;
        for (TBaseTreeNodeEh* c : node->Items()) {
            auto* m = static_cast<TMemRecViewEh*>(c);
            QString s = VarToStr(m->Rec()->GetDataValue(2, dvvValueEh));
            if (m->NodesCount() > 0)
                s += "(" + Shape(m) + ")";
            parts << s;
        }
        return parts.join(u' ');
    }
    QString Shown()
    {
        QStringList s;
        for (int i = 0; i < view->Count(); ++i)
            s << VarToStr(view->GetValue(i, 2));
        return s.join(u' ');
    }
};
}

TEST_F(RecordTree, DepthFirstRecordsBuildTheTree)
{
    view->SetViewAsTreeList(true);
    Add(1, Variant::Null());
    Add(2, 1);
    Add(3, 2);
    Add(4, 1);
    Add(5, 99);   // names no record
    EXPECT_EQ(Shape(), "1(2(3) 4) 5");
    EXPECT_EQ(Shown(), "1 2 3 4 5");
    auto* tree = view->MemoryTreeList();
    EXPECT_EQ(tree->GetVisibleExpandedItem(5), nullptr);
    tree->Collapse(tree->GetNode(nullptr, data.RecordsList()->GetRec(1)), false);
    tree->VisibleItemsBecomeObsolete();
    EXPECT_EQ(Shown(), "1 2 4 5");
    EXPECT_EQ(view->AccountableItemsCount(), 5);
}

TEST_F(RecordTree, RebuildFromExistingRecordsWithAnIndex)
{
    Add(4, 1);
    Add(1, Variant::Null());
    Add(3, 2);
    Add(2, 1);
    TMTIndexEh* idx = data.RecordsList()->Indexes()->Add();
    idx->SetFields("Id");
    idx->SetActive(true);
    view->SetViewAsTreeList(true);
    // Children seen before their parent stay at the root without a full build check...
    EXPECT_EQ(Shape(), "4 1(2) 3");
    view->MemoryTreeList()->FullBuildCheck = true;
    view->RebuildMemoryTreeList();
    // ...and are gathered under it, ordered by record position, with one.
    EXPECT_EQ(Shape(), "1(4 2(3))");
}

TEST_F(RecordTree, ReferenceLoopsAreRefused)
{
    view->SetViewAsTreeList(true);
    TMemoryRecordEh* a = Add(1, Variant::Null());
    TMemoryRecordEh* b = Add(2, 1);
    Add(3, 2);
    auto* tree = view->MemoryTreeList();
    EXPECT_TRUE(tree->CheckReferenceLoop(a, Variant(3)));
    EXPECT_TRUE(tree->CheckReferenceLoop(a, Variant(1)));
    EXPECT_FALSE(tree->CheckReferenceLoop(b, Variant::Null()));
    a->Edit();
    a->SetDataValue(1, dvvValueEh, 3);
    try {
        a->Post();
        FAIL() << "a loop was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Reference-loop found");
    }
    a->Cancel();
    EXPECT_EQ(Shape(), "1(2(3))");
    TMemoryRecordEh* self = data.RecordsList()->NewRecord();
    self->SetDataValue(0, dvvValueEh, 9);
    self->SetDataValue(1, dvvValueEh, 9);
    EXPECT_THROW(self->Post(), Exception);
    self->Cancel();
}

TEST_F(RecordTree, ChangesMoveNodesAndDeletesFreeChildren)
{
    view->SetViewAsTreeList(true);
    Add(1, Variant::Null());
    TMemoryRecordEh* b = Add(2, 1);
    Add(3, 2);
    Add(4, Variant::Null());
    Set(b, 1, 4);
    EXPECT_EQ(Shape(), "1 4(2(3))");
    data.RecordsList()->DeleteRecord(b->Index());
    EXPECT_EQ(Shape(), "1 3 4");   // siblings in record order
}

TEST_F(RecordTree, SiblingsFollowTheSortOrder)
{
    view->SetViewAsTreeList(true);
    Add(1, Variant::Null(), "root");
    TMemoryRecordEh* c = Add(2, 1, "c");
    Add(3, 1, "a");
    Add(4, 1, "b");
    EXPECT_EQ(Shape(), "root(c a b)");
    view->SetSortOrder("Name");
    EXPECT_EQ(Shape(), "root(a b c)");
    Set(c, 2, "0");
    EXPECT_EQ(Shape(), "root(0 a b)");
    Add(5, 1, "aa");
    EXPECT_EQ(Shape(), "root(0 a aa b)");
    EXPECT_EQ(Shown(), "root 0 a aa b");
    // A change that sorts after every sibling goes to the end.
    Set(c, 2, "zz");
    EXPECT_EQ(Shape(), "root(a aa b zz)");
    view->SetSortOrder("");   // back to record order
    EXPECT_EQ(Shape(), "root(zz a b aa)");
    Set(c, 2, "c");
    EXPECT_EQ(Shape(), "root(c a b aa)");
}

TEST_F(RecordTree, CachedDeleteAndRevertInTreeMode)
{
    view->SetViewAsTreeList(true);
    Add(1, Variant::Null());
    TMemoryRecordEh* b = Add(2, 1);
    Add(3, 2);
    data.RecordsList()->SetCachedUpdates(true);
    data.RecordsList()->DeleteRecord(b->Index());
    EXPECT_EQ(Shape(), "1 3");
    EXPECT_EQ(Shown(), "1 3");
    data.RecordsList()->RevertRecord(b->Index());
    EXPECT_EQ(Shape(), "1(2) 3");
    data.RecordsList()->CancelUpdates();
    EXPECT_EQ(Shape(), "1(2(3))");
}

TEST_F(RecordTree, FilterShowsAncestorsOfMatches)
{
    view->OnFilterRecord = [](TMemoryRecordEh* r) { return VarToStr(r->GetDataValue(2, dvvValueEh)).startsWith("hit"); };
    Add(1, Variant::Null(), "g");
    Add(2, 1, "p");
    Add(3, 2, "hit");
    Add(4, 2, "miss");
    Add(5, 1, "other");
    Add(6, Variant::Null(), "hit top");
    Add(7, 6, "below");
    view->SetViewAsTreeList(true);
    EXPECT_EQ(Shown(), "g p hit hit top");
    view->MemoryTreeList()->FilterNodeIfParentVisible = false;
    view->RefreshFilteredRecsList();
    EXPECT_EQ(Shown(), "g p hit hit top below");
}

namespace {
// The tree of a view as text, by record ids.
QString ShapeOf(TBaseTreeNodeEh* node)
{
    QStringList parts;
    for (TBaseTreeNodeEh* c : node->Items()) {
        auto* m = static_cast<TMemRecViewEh*>(c);
        QString s = VarToStr(m->Rec()->GetDataValue(0, dvvValueEh));
        if (m->NodesCount() > 0)
            s += "(" + ShapeOf(m) + ")";
        parts << s;
    }
    return parts.join(u' ');
}
}

TEST_F(RecordTree, IncrementalTreeMatchesARebuild)
{
    view->MemoryTreeList()->FullBuildCheck = true;
    view->SetViewAsTreeList(true);
    std::mt19937 rng(77);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    int nextId = 1;
    TRecordsListEh* list = data.RecordsList();
    for (int step = 0; step < 1000; ++step) {
        const int n = list->Count();
        const Variant parent = n == 0 || pick(4) == 0 ? Variant::Null()
                                                     : list->GetRec(pick(n))->GetDataValue(0, dvvValueEh);
        switch (n < 3 ? 0 : pick(5)) {
        case 0: case 1: {
            TMemoryRecordEh* r = list->NewRecord();
            r->SetDataValue(0, dvvValueEh, nextId++);
            r->SetDataValue(1, dvvValueEh, pick(5) == 0 ? Variant(nextId + 3) : parent);   // sometimes ahead
            r->SetDataValue(2, dvvValueEh, "x");
            try {
                list->InsertRecord(pick(n + 1), r);
            } catch (const Exception& e) {
                EXPECT_EQ(e.Message(), "Reference-loop found");
                r->Cancel();
            }
            break;
        }
        case 2: {
            TMemoryRecordEh* r = list->GetRec(pick(n));
            r->Edit();
            r->SetDataValue(1, dvvValueEh, parent);
            try {
                r->Post();
            } catch (const Exception&) {
                r->Cancel();
            }
            break;
        }
        case 3: list->DeleteRecord(pick(n)); break;
        case 4: list->Move(pick(n), pick(n)); break;
        }
        auto freshHolder = CreateUnique<TRecordsViewEh>(nullptr);
        TRecordsViewEh& fresh = *freshHolder;
        fresh.SetMemTableData(&data);
        fresh.SetTreeViewKeyFieldName("Id");
        fresh.SetTreeViewRefParentFieldName("ParentId");
        fresh.MemoryTreeList()->FullBuildCheck = true;
        fresh.SetViewAsTreeList(true);
        ASSERT_EQ(ShapeOf(view->MemoryTreeList()->Root()), ShapeOf(fresh.MemoryTreeList()->Root())) << "step " << step;
        ASSERT_EQ(view->AccountableItemsCount(), list->Count());
    }
}

TEST_F(RecordTree, AChainDeeperThanTheLevelLimitGoesOnFromTheRoot)
{
    // Records arrive deepest first, so the tree is built from existing records in one pass.
    for (int id = 1005; id >= 1; --id)
        Add(id, id == 1 ? Variant::Null() : Variant(id - 1));
    view->MemoryTreeList()->FullBuildCheck = true;
    view->SetViewAsTreeList(true);
    TMemoryTreeListEh* tree = view->MemoryTreeList();
    ASSERT_EQ(tree->Root()->NodesCount(), 2);
    EXPECT_EQ(VarToStr(tree->Root()->NodeItems(0)->Rec()->GetDataValue(0, dvvValueEh)), "1");
    EXPECT_EQ(VarToStr(tree->Root()->NodeItems(1)->Rec()->GetDataValue(0, dvvValueEh)), "1001");
    EXPECT_EQ(tree->AccountableCount(), 1005);
    EXPECT_EQ(tree->GetAccountableItem(999)->NodeLevel(), 1000);
    EXPECT_EQ(tree->GetAccountableItem(1004)->NodeLevel(), 5);
}
