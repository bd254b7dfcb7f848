// The title tree built from captions with "|" levels, and the node operations it rests on.
#include "support/DBGridFixtures.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// The subtree under a node as text: each node's text, its children in brackets.
QString Shape(THeadTreeNode* Node)
{
    QString out;
    THeadTreeNode* first = Node->Child;
    if (!first)
        return out;
    THeadTreeNode* n = first;
    do {
        if (n != first)
            out += u',';
        out += n->Text;
        if (n->Child)
            out += u'[' + Shape(n) + u']';
        n = n->Next;
    } while (n != first);
    return out;
}

struct Built {
    std::unique_ptr<THeadTreeNode> root{THeadTreeNode::CreateText(QStringLiteral("Root"), 0, 10)};
    TLeafFieldArrEh leaves;
};

// Leaves 50 wide, 40 high, with a vertical line of 1 pixel each.
std::unique_ptr<Built> Build(const QStringList& captions, int width = 50)
{
    auto b = std::make_unique<Built>();
    std::vector<THeadLeafSourceEh> src;
    for (const QString& c : captions) {
        THeadLeafSourceEh s;
        s.Text = c;
        s.Width = width;
        s.Height = 40;
        s.VLineWidth = 1;
        src.push_back(s);
    }
    BuildHeadTreeEh(b->root.get(), src, b->leaves);
    return b;
}

} // namespace

TEST(TitleTree, CaptionsGiveSharedHeaders)
{
    struct Case {
        QStringList captions;
        QString shape;
    };
    const Case cases[] = {
        {{"НДС|КК - Excel", "НДС|Справка", "НДС|ЭСЧФ", "НДС|Разница"}, "НДС[КК - Excel,Справка,ЭСЧФ,Разница]"},
        // The same first word on both sides of another word: two headers.
        {{"A|x", "B|y", "A|z"}, "A[x],B[y],A[z]"},
        // One word, whatever the separators around it.
        {{"|A", "A|", "Plain"}, "|A,A|,Plain"},
        // Empty parts between separators are skipped.
        {{"A||B"}, "A[B]"},
        {{"A|B|x", "A|B|y", "A|z"}, "A[B[x,y],z]"},
        // Different depths never share a header, even when the next words agree.
        {{"A|B|x", "B|y"}, "A[B[x]],B[y]"},
        // The same depth under different headers: each keeps its own middle header.
        {{"A|B|x", "C|B|y"}, "A[B[x]],C[B[y]]"},
        // A caption ending where its neighbours go on: its leaf under the header is empty.
        {{"A|x", "A"}, "A[x,]"},
        // Many levels with empty parts anywhere.
        {{"|A||B|C|||x|", "A|B|C|y", "A|B|z"}, "A[B[C[x|,y],z]]"},
    };
    for (const Case& c : cases) {
        auto b = Build(c.captions);
        EXPECT_EQ(Shape(b->root.get()), c.shape) << c.captions.join(u';').toStdString();
        ASSERT_EQ(b->leaves.size(), size_t(c.captions.size()));
    }
}

TEST(TitleTree, HeaderSpansItsLeavesWithTheirLines)
{
    auto b = Build({"НДС|КК - Excel", "НДС|Справка", "НДС|ЭСЧФ", "НДС|Разница"}, 60);
    THeadTreeNode* header = b->root->Child;
    ASSERT_EQ(header->Text, QStringLiteral("НДС"));
    // Four widths plus their lines, less the header's own line.
    EXPECT_EQ(header->Width, 4 * (60 + 1) - 1);
    EXPECT_EQ(header->VLineWidth, 1);
    EXPECT_EQ(header->Height, 20);
    // Leaves keep the rest of the title height, in column order, under the header.
    for (size_t i = 0; i < b->leaves.size(); ++i) {
        EXPECT_EQ(b->leaves[i].FLeaf->Host, header);
        EXPECT_EQ(b->leaves[i].FLeaf->Height, 20);
        EXPECT_EQ(b->leaves[i].FLeaf->GetLevel(), 2);
    }
    EXPECT_EQ(b->leaves[3].FLeaf->Next, b->leaves[0].FLeaf);
}

TEST(TitleTree, HiddenColumnKeepsItsLeafInsideAHeader)
{
    auto b = std::make_unique<Built>();
    std::vector<THeadLeafSourceEh> src(3);
    src[0] = {QStringLiteral("A|x"), 50, 40, 1, 0, nullptr};
    src[1] = {QStringLiteral("A|hidden"), -1, 40, 1, 0, nullptr};  // hidden, with column lines
    src[2] = {QStringLiteral("A|y"), 30, 40, 1, 0, nullptr};
    BuildHeadTreeEh(b->root.get(), src, b->leaves);
    EXPECT_EQ(Shape(b->root.get()), QStringLiteral("A[x,hidden,y]"));
    EXPECT_EQ(b->root->Child->Width, (50 + 1) + (-1 + 1) + (30 + 1) - 1);
}

TEST(TitleTree, RebuildFreesTheOldTree)
{
    auto b = Build({"A|x", "A|y"});
    std::vector<THeadLeafSourceEh> src(1);
    src[0] = {QStringLiteral("Z"), 50, 40, 0, 0, nullptr};
    BuildHeadTreeEh(b->root.get(), src, b->leaves);
    EXPECT_EQ(Shape(b->root.get()), QStringLiteral("Z"));
    ASSERT_EQ(b->leaves.size(), 1u);
    EXPECT_EQ(b->leaves[0].FLeaf, b->root->Child);
}

TEST(TitleTree, NodesFromAnotherTreeAreRefused)
{
    std::unique_ptr<THeadTreeNode> root(THeadTreeNode::CreateText(QStringLiteral("Root"), 0, 10));
    std::unique_ptr<THeadTreeNode> other(THeadTreeNode::CreateText(QStringLiteral("Other"), 0, 10));
    THeadTreeNode* stranger = other->AddChild(other.get(), QStringLiteral("s"), 10, 10);
    THeadTreeNode* a = root->AddChild(root.get(), QStringLiteral("a"), 10, 10);
    THeadTreeNode* b = root->AddChild(root.get(), QStringLiteral("b"), 10, 10);

    auto message = [](auto&& call) {
        try {
            call();
        } catch (const Exception& e) {
            return e.Message();
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(message([&] { root->Add(stranger, "x", 1, 1); }), QStringLiteral("Node not in Tree"));
    EXPECT_EQ(message([&] { root->AddChild(stranger, "x", 1, 1); }), QStringLiteral("Node not in Tree"));
    EXPECT_EQ(message([&] { root->Union(stranger, stranger, 1, "x"); }), QStringLiteral("Node not in Tree"));
    // b comes after a; a is not reached from b before the ring starts over.
    EXPECT_EQ(message([&] { root->Union(b, a, 1, "x"); }), QStringLiteral("ATo not in level"));
    EXPECT_EQ(Shape(root.get()), QStringLiteral("a,b"));
}

TEST(TitleTree, WalksEveryNodeDepthFirst)
{
    auto b = Build({"A|B|x", "A|B|y", "A|z", "w"});
    QStringList seen;
    b->root->DoForAllNode([&](THeadTreeNode* n) { seen << n->Text; });
    EXPECT_EQ(seen.join(u' '), QStringLiteral("A B x y z w"));
    EXPECT_TRUE(b->root->Find(b->leaves[1].FLeaf));
    EXPECT_EQ(b->root->GetDepth(b->leaves[0].FLeaf), 3);
}

// The grid builds the tree from its columns' captions at each layout: hidden columns keep
// their leaf, and each leaf knows its column.
class GridTitleTree : public testsupport::DBGridOverMemTable {};

TEST_F(GridTitleTree, LayoutBuildsTheTreeFromColumnCaptions)
{
    const char* fields[] = {"Code", "Name", "Sum", "Kind"};
    const char* captions[] = {"Код", "НДС|Справка", "НДС|ЭСЧФ", "НДС|Разница"};
    grid->Columns()->Clear();
    for (int i = 0; i < 4; ++i) {
        TColumnEh* c = grid->Columns()->Add();
        c->SetFieldName(QString::fromLatin1(fields[i]));
        c->Title()->SetCaption(QString::fromUtf8(captions[i]));
        c->SetWidth(60);
    }
    grid->Columns()->Items(2)->SetVisible(false);
    grid->TitleParams()->SetMultiTitle(true);
    grid->LayoutChanged();

    EXPECT_EQ(Shape(grid->HeadTree()), QStringLiteral("Код,НДС[Справка,ЭСЧФ,Разница]"));
    ASSERT_EQ(grid->LeafFieldArr().size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(grid->LeafFieldArr()[size_t(i)].FColumn, grid->Columns()->Items(i));
        EXPECT_EQ(grid->LeafFieldArr()[size_t(i)].FLeaf->Column, grid->Columns()->Items(i));
    }
    THeadTreeNode* hidden = grid->LeafFieldArr()[2].FLeaf;
    EXPECT_LE(hidden->Width, 0);

    // Switching multi-line titles off leaves the single-line title height.
    grid->TitleParams()->SetMultiTitle(false);
    grid->LayoutChanged();
    EXPECT_FALSE(grid->IsUseMultiTitle());
    EXPECT_GT(grid->TitleRowHeight(), 0);
}
