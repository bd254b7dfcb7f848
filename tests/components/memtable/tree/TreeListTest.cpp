// The general tree: attaching, levels, moving, visibility, expansion and walking.
#include "components/memtable/MemTreeEh.h"
#include "support/ErrorCapture.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {
struct Tree : ::testing::Test {
    std::unique_ptr<TTreeListEh> treeHolder = CreateUnique<TTreeListEh>(TreeNodeClass<TBaseTreeNodeEh>());
    TTreeListEh& tree = *treeHolder;
    TBaseTreeNodeEh* Add(const char* text, TBaseTreeNodeEh* parent = nullptr)
    {
        return tree.AddChild(text, parent, nullptr);
    }
    QString Walk()
    {
        QStringList s;
        for (TBaseTreeNodeEh* n = tree.GetFirst(); n; n = tree.GetNext(n))
            s << n->Text();
        return s.join(u' ');
    }
};
}

TEST_F(Tree, AttachModesRelativeToTheRoot)
{
    TBaseTreeNodeEh* n = tree.CreateNodeApart("n", nullptr);
    tree.AddNode(n, tree.Root(), naAddEh, true);
    EXPECT_EQ(n->Parent(), nullptr);
    tree.AddNode(n, tree.Root(), naAddChildEh, true);
    EXPECT_EQ(n->Parent(), tree.Root());
    EXPECT_EQ(n->Level(), 1);
    TBaseTreeNodeEh* first = tree.CreateNodeApart("first", nullptr);
    tree.AddNode(first, n, naAddFirstEh, true);
    TBaseTreeNodeEh* after = tree.CreateNodeApart("after", nullptr);
    tree.AddNode(after, first, naAddAfterEh, true);
    TBaseTreeNodeEh* child = tree.CreateNodeApart("child", nullptr);
    tree.AddNode(child, n, naAddChildFirstEh, true);
    EXPECT_EQ(Walk(), "first after n child");
    EXPECT_EQ(after->Index(), 1);
}

TEST_F(Tree, InsertWithoutReIndexLeavesStaleIndexes)
{
    TBaseTreeNodeEh* a = Add("a");
    Add("b");
    Add("c");
    TBaseTreeNodeEh* x = tree.CreateNodeApart("x", nullptr);
    tree.AddNode(x, a, naInsertEh, false);
    EXPECT_EQ(x->Index(), 0);
    EXPECT_EQ(a->Index(), 0);
    tree.UpdateNodeIndexes(nullptr, false);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(tree.Root()->GetItem(i)->Index(), i);
    TBaseTreeNodeEh* y = tree.CreateNodeApart("y", nullptr);
    tree.AddNode(y, x, naInsertEh, true);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(tree.Root()->GetItem(i)->Index(), i);
}

TEST_F(Tree, LevelLimitIsCheckedBeforeAttaching)
{
    TBaseTreeNodeEh* n = nullptr;
    for (int i = 0; i < 1000; ++i)
        n = Add("n", n);
    EXPECT_EQ(n->Level(), 1000);
    TBaseTreeNodeEh* extra = tree.CreateNodeApart("extra", nullptr);
    EXPECT_EQ(ErrorOf([&] { tree.AddNode(extra, n, naAddChildEh, true); }),
              "TBaseTreeNodeEh.SetLevel: Max level exceed - 1000");
    EXPECT_EQ(extra->Parent(), nullptr);
    EXPECT_EQ(n->Count(), 0);
    delete extra;
    // A subtree that would pass the limit when moved deeper is refused whole.
    TBaseTreeNodeEh* top = Add("top");
    Add("leaf", top);
    EXPECT_THROW(tree.MoveTo(top, n->Parent(), naAddChildEh, true), Exception);
    EXPECT_EQ(top->Parent(), tree.Root());
    EXPECT_EQ(top->Level(), 1);
}

TEST_F(Tree, MovesRefuseReferenceLoops)
{
    TBaseTreeNodeEh* a = Add("a");
    TBaseTreeNodeEh* b = Add("b", a);
    TBaseTreeNodeEh* c = Add("c", b);
    TBaseTreeNodeEh* s = Add("s");
    EXPECT_EQ(ErrorOf([&] { tree.MoveTo(a, c, naAddChildEh, true); }), "Reference-loop found");
    EXPECT_EQ(ErrorOf([&] { tree.MoveTo(a, a, naAddChildEh, true); }), "Reference-loop found");
    EXPECT_EQ(Walk(), "a b c s");
    tree.MoveTo(a, s, naAddChildEh, true);
    EXPECT_EQ(Walk(), "s a b c");
    EXPECT_EQ(a->Level(), 2);
    EXPECT_EQ(c->Level(), 4);
    EXPECT_EQ(s->Index(), 0);
    // A node that was never attached is simply attached.
    TBaseTreeNodeEh* loose = tree.CreateNodeApart("loose", nullptr);
    tree.MoveTo(loose, s, naAddChildFirstEh, true);
    EXPECT_EQ(Walk(), "s loose a b c");
}

TEST_F(Tree, VisibleChildren)
{
    TBaseTreeNodeEh* a = Add("a");
    TBaseTreeNodeEh* b = Add("b");
    TBaseTreeNodeEh* c = Add("c");
    TBaseTreeNodeEh* root = tree.Root();
    b->SetVisible(false);
    EXPECT_EQ(root->GetVisibleCount(), 2);
    EXPECT_EQ(root->GetVisibleItem(1), c);
    EXPECT_EQ(tree.GetNextVisibleSibling(a), c);
    b->SetVisible(true);
    EXPECT_EQ(&root->GetVisibleItems(), &root->Items());
    EXPECT_EQ(root->GetVisibleCount(), 3);
}

TEST_F(Tree, ExpandAndCollapse)
{
    TBaseTreeNodeEh* a = Add("a");
    TBaseTreeNodeEh* leaf = Add("leaf", a);
    QStringList events;
    tree.OnExpandedChanged = [&](TBaseTreeNodeEh* n) { events << n->Text(); };
    tree.Expand(leaf, false);
    EXPECT_FALSE(leaf->Expanded());
    tree.Collapse(leaf, false);
    EXPECT_FALSE(leaf->Expanded());
    tree.Expand(nullptr, true);
    EXPECT_TRUE(a->Expanded());
    EXPECT_EQ(events, QStringList({"a"}));
    tree.OnExpandedChanging = [](TBaseTreeNodeEh*) { return false; };
    tree.Collapse(a, false);
    EXPECT_TRUE(a->Expanded());
    EXPECT_EQ(events.size(), 1);
}

TEST_F(Tree, WalkingForwardAndBackward)
{
    TBaseTreeNodeEh* a = Add("a");
    TBaseTreeNodeEh* b = Add("b", a);
    Add("c", b);
    Add("d", a);
    Add("e");
    EXPECT_EQ(Walk(), "a b c d e");
    QStringList back;
    for (TBaseTreeNodeEh* n = tree.GetLast(); n; n = tree.GetPrevious(n))
        back << n->Text();
    EXPECT_EQ(back.join(u' '), "e d c b a");
    EXPECT_EQ(tree.GetLast(a)->Text(), "d");
    EXPECT_EQ(tree.FindNode(nullptr, nullptr), a);
    // Visible walking: a collapsed node hides its children.
    QStringList shown;
    for (TBaseTreeNodeEh* n = tree.GetFirstVisible(); n; n = tree.GetNextVisible(n, true))
        shown << n->Text();
    EXPECT_EQ(shown.join(u' '), "a e");
    tree.Expand(nullptr, true);
    b->SetVisible(false);
    shown.clear();
    for (TBaseTreeNodeEh* n = tree.GetFirstVisible(); n; n = tree.GetNextVisible(n, true))
        shown << n->Text();
    EXPECT_EQ(shown.join(u' '), "a d e");
}

TEST_F(Tree, NodesOfAnotherTreeAreRefused)
{
    auto otherHolder = CreateUnique<TTreeListEh>(TreeNodeClass<TBaseTreeNodeEh>());
    TTreeListEh& other = *otherHolder;
    TBaseTreeNodeEh* foreign = other.CreateNodeApart("f", nullptr);
    EXPECT_EQ(ErrorOf([&] { tree.Root()->Add(foreign); }), "TBaseTreeNodeEh.Add: Tree nodes can not has different Owners");
    delete foreign;
}

TEST_F(Tree, SortingSiblingsIsStable)
{
    for (const char* t : {"b2", "a1", "b1", "a2"})
        Add(t);
    tree.SortData([](TBaseTreeNodeEh* x, TBaseTreeNodeEh* y, TObject*) {
        return int(x->Text()[0].unicode()) - int(y->Text()[0].unicode());
    }, nullptr, true);
    EXPECT_EQ(Walk(), "a1 a2 b2 b1");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(tree.Root()->GetItem(i)->Index(), i);
}
