// The table shown as a tree: expansion and the rows it shows, locating into collapsed
// branches, loops and dangling parent references, deleting a parent, and moving records.
#include "TableFixture.h"

namespace {

struct Row {
    int id;
    Variant parent;
    const char* name;
};

// a(1) -> b(2) -> c(3); a -> d(4); e(5) -> f(6)
const std::vector<Row> kTree = {{1, Variant::Null(), "a"}, {2, 1, "b"}, {3, 2, "c"},
                                {4, 1, "d"}, {5, Variant::Null(), "e"}, {6, 5, "f"}};

struct TreeView : ::testing::Test {
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& owner = *ownerHolder;
    TMemTableEh* t = Create<TMemTableEh>(&owner);

    void SetUp() override
    {
        TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
        ds->CreateField<TMTNumericDataFieldEh>()->SetFieldName("Id");
        ds->CreateField<TMTNumericDataFieldEh>()->SetFieldName("ParentId");
        auto* name = ds->CreateField<TMTStringDataFieldEh>();
        name->SetFieldName("Name");
        name->SetSize(20);
    }

    // Opens over the rows and shows them as a tree.
    void Show(const std::vector<Row>& rows, bool expanded)
    {
        t->Open();
        for (const Row& r : rows)
            t->AppendRecord({Variant(r.id), r.parent, Variant(QString::fromLatin1(r.name))});
        t->TreeList()->SetKeyFieldName("Id");
        t->TreeList()->SetRefParentFieldName("ParentId");
        t->TreeList()->SetDefaultNodeExpanded(expanded);
        t->TreeList()->SetActive(true);
        t->First();
    }

    // The shown rows, one dot per level below the top: "a,.b,..c".
    QString Rows()
    {
        QStringList s;
        for (int i = 0; i < t->InstantReadRowCount(); ++i) {
            TInstantReadGuardEh g(t, i);
            s << QString(std::max(0, t->GetTreeNodeLevel() - 1), u'.') + t->FieldByName("Name")->AsString();
        }
        return s.join(u',');
    }

    QString Cur() { return t->FieldByName("Name")->AsString(); }
    void GoTo(const QString& name)
    {
        ASSERT_TRUE(t->Locate("Name", Variant(name), {})) << name.toStdString();
    }
};

} // namespace

TEST_F(TreeView, ExpandingAndCollapsingChangesTheShownRows)
{
    Show(kTree, false);
    TNoticeReceiver& rec = *Create<TNoticeReceiver>(&owner);
    t->RegisterEventReceiver(&rec);
    EXPECT_EQ(Rows(), "a,e");
    EXPECT_EQ(t->RecordCount(), 2);
    EXPECT_EQ(Cur(), "a");
    EXPECT_TRUE(t->TreeNodeHasChildren());
    EXPECT_FALSE(t->TreeNodeExpanded());
    EXPECT_EQ(t->TreeNodeLevel(), 1);

    t->SetTreeNodeExpanded(true);
    EXPECT_EQ(Rows(), "a,.b,.d,e");
    EXPECT_TRUE(t->TreeNodeExpanded());
    EXPECT_EQ(t->TreeNodeChildCount(), 2);
    EXPECT_EQ(Cur(), "a");
    ASSERT_FALSE(rec.Got.empty());
    EXPECT_EQ(rec.Got.back(), Notice(-1, mtViewDataChangedEh, -1));

    t->Next();
    EXPECT_EQ(Cur(), "b");
    t->SetTreeNodeExpanded(true);
    EXPECT_EQ(Rows(), "a,.b,..c,.d,e");
    t->Next();
    EXPECT_EQ(Cur(), "c");
    EXPECT_EQ(t->TreeNodeLevel(), 3);
    EXPECT_EQ(t->TreeNodeChildCount(), 0);

    // Collapsing hides the current record: the cursor goes to its nearest shown ancestor.
    t->TreeList()->FullCollapse();
    EXPECT_EQ(Rows(), "a,e");
    EXPECT_EQ(Cur(), "a");
    t->Last();
    EXPECT_EQ(Cur(), "e");
    t->TreeList()->FullExpand();
    EXPECT_EQ(Rows(), "a,.b,..c,.d,e,.f");
    EXPECT_EQ(Cur(), "e");
    EXPECT_EQ(t->RecNo(), 5);

    // Collapsing an ancestor of the current row through the grid's entry point.
    GoTo("c");
    EXPECT_EQ(t->SetTreeNodeExpandedAtRow(0, false), 1);
    EXPECT_EQ(Rows(), "a,e,.f");
    EXPECT_EQ(Cur(), "a");

    t->TreeList()->SetActive(false);
    EXPECT_EQ(Rows(), "a,b,c,d,e,f");
    EXPECT_EQ(Cur(), "a");
}

TEST_F(TreeView, ExpansionEventsSeeTheNodeAndMayRefuse)
{
    Show(kTree, false);
    QStringList asked, expanded;
    t->OnTreeNodeExpanding = [&](TObject*, int RecNo, bool& Allow) {
        // the node's own record is readable while the event runs
        asked << QStringLiteral("%1:%2").arg(Cur()).arg(RecNo);
        if (Cur() == "e")
            Allow = false;
    };
    t->OnRecordsViewTreeNodeExpanded = [&](TObject*, TMemRecViewEh* Node) {
        expanded << VarToStr(Node->Rec()->GetDataValues("Name", dvvValueEh));
    };
    t->Last();
    t->SetTreeNodeExpanded(true);
    EXPECT_FALSE(t->TreeNodeExpanded());
    EXPECT_EQ(Rows(), "a,e");
    EXPECT_EQ(asked.join(u' '), "e:2");

    asked.clear();
    t->TreeList()->FullExpand();
    EXPECT_EQ(Rows(), "a,.b,..c,.d,e");
    EXPECT_EQ(asked.join(u' '), "a:1 b:2 e:5");
    EXPECT_EQ(expanded.join(u' '), "a b");
    EXPECT_EQ(Cur(), "e");

    // The view-level event may refuse as well.
    t->TreeList()->FullCollapse();
    t->OnTreeNodeExpanding = nullptr;
    t->OnRecordsViewTreeNodeExpanding = [](TObject*, TMemRecViewEh*, bool& Allow) { Allow = false; };
    t->First();
    t->SetTreeNodeExpanded(true);
    EXPECT_EQ(Rows(), "a,e");
}

TEST_F(TreeView, LocateExpandsTheCollapsedBranchOfItsMatch)
{
    Show(kTree, false);
    // The table's own search sees only the shown rows.
    EXPECT_FALSE(t->Locate("Name", Variant("c"), {}));
    EXPECT_EQ(Rows(), "a,e");

    EXPECT_TRUE(t->TreeList()->Locate("Name", Variant("c"), {}));
    EXPECT_EQ(Cur(), "c");
    EXPECT_EQ(Rows(), "a,.b,..c,.d,e");

    EXPECT_TRUE(t->TreeList()->Locate("Name", Variant("F"), {loCaseInsensitive}));
    EXPECT_EQ(Cur(), "f");
    EXPECT_EQ(Rows(), "a,.b,..c,.d,e,.f");

    EXPECT_TRUE(t->TreeList()->Locate("Id;ParentId", VarArrayOf({Variant(4), Variant(1)}), {}));
    EXPECT_EQ(Cur(), "d");
    EXPECT_FALSE(t->TreeList()->Locate("Name", Variant("zz"), {}));
    EXPECT_EQ(Cur(), "d");
}

TEST_F(TreeView, LoopsAndDanglingReferencesHangAtTheRoot)
{
    // a -> c -> b -> a is a loop: it is cut at its first record, a; d names no record; e names
    // itself.
    Show({{1, 3, "a"}, {2, 1, "b"}, {3, 2, "c"}, {4, 99, "d"}, {5, 5, "e"}}, true);
    EXPECT_EQ(Rows(), "a,.b,..c,d,e");
    EXPECT_EQ(t->RecordCount(), 5);

    // A change that would close another loop is refused and leaves the table usable.
    GoTo("d");
    t->Edit();
    t->FieldByName("ParentId")->SetAsInteger(4);
    EXPECT_EQ(ErrorOf([&] { t->Post(); }), "Reference-loop found");
    t->Cancel();
    EXPECT_EQ(Rows(), "a,.b,..c,d,e");
    t->Edit();
    t->FieldByName("ParentId")->SetAsInteger(3);
    t->Post();
    EXPECT_EQ(Rows(), "a,.b,..c,...d,e");
}

TEST_F(TreeView, DeletingAParentPutsItsChildrenAtTheRoot)
{
    Show(kTree, true);
    GoTo("b");
    t->Delete();
    EXPECT_EQ(Rows(), "a,.d,c,e,.f");
    EXPECT_EQ(t->RecordCount(), 5);
    EXPECT_FALSE(Cur().isEmpty());
    GoTo("e");
    t->Delete();
    EXPECT_EQ(Rows(), "a,.d,c,f");
}

TEST_F(TreeView, MovingARecordReparentsIt)
{
    // Rows when fully expanded: 0 a, 1 .b, 2 ..c, 3 .d, 4 e, 5 .f
    struct Case {
        int from, to, level;
        bool result;
        const char* rows;
    };
    const Case cases[] = {
        {5, 1, 2, true, "a,.f,.b,..c,.d,e"},         // before the next node of that level
        {3, 2, 3, true, "a,.b,..d,..c,e,.f"},        // before c: under c's parent
        {1, 4, 1, true, "a,.d,e,.f,b,.c"},           // down, after e at the top
        {4, 3, 3, true, "a,.b,..c,..e,...f,.d"},     // up, after the node above at its level
        {4, 3, 4, true, "a,.b,..c,...e,....f,.d"},   // up, a child of the node above
        {5, 3, 1, true, "a,.b,..c,.d,f,e"},          // deeper node above: after its top ancestor
        {5, 5, 2, false, "a,.b,..c,.d,e,.f"},        // onto itself: nothing moves
        {2, 3, 0, false, "a,.b,..c,.d,e,.f"},        // no level 0 to climb to
        {0, 2, 4, false, "a,.b,..c,.d,e,.f"},        // under its own grandchild
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        t->Close();
        t->TreeList()->SetActive(false);
        t->RecordsStore()->RecordsList()->Clear();
        Show(kTree, true);
        TNoticeReceiver& rec = *Create<TNoticeReceiver>(&owner);
        t->RegisterEventReceiver(&rec);
        EXPECT_EQ(t->MoveRecord(c.from, c.to, c.level, true), c.result);
        EXPECT_TRUE(rec.Got.empty());
        EXPECT_EQ(Rows(), "a,.b,..c,.d,e,.f");
        EXPECT_EQ(t->MoveRecord(c.from, c.to, c.level, false), c.result);
        EXPECT_EQ(Rows(), c.rows);
        EXPECT_EQ(Cur(), "a");
        EXPECT_EQ(t->State(), dsBrowse);
        t->UnregisterEventReceiver(&rec);
    }
}

TEST_F(TreeView, TheCheckEventMayRefuseAMove)
{
    Show(kTree, true);
    QString seen;
    t->OnRecordsViewCheckMoveNode = [&](TObject*, TMemRecViewEh* Node, TMemRecViewEh* Parent, int Index) {
        seen = QStringLiteral("%1 under %2 at %3")
                   .arg(VarToStr(Node->Rec()->GetDataValues("Name", dvvValueEh)))
                   .arg(Parent->Rec() ? VarToStr(Parent->Rec()->GetDataValues("Name", dvvValueEh)) : QStringLiteral("top"))
                   .arg(Index);
        return false;
    };
    EXPECT_FALSE(t->MoveRecord(5, 1, 2, false));
    EXPECT_EQ(seen, "f under a at 1");
    EXPECT_FALSE(t->MoveRecord(4, 3, 4, false));
    EXPECT_EQ(seen, "e under c at 0");
    EXPECT_EQ(Rows(), "a,.b,..c,.d,e,.f");
}

TEST_F(TreeView, MovingBookmarkedRecordsKeepsTheirBookmarksInOrder)
{
    Show(kTree, true);
    TBMListEh list;
    list.AppendItem(t->RecNoToBookmark(4));   // d
    list.AppendItem(t->RecNoToBookmark(6));   // f
    EXPECT_TRUE(t->MoveRecords(&list, 2, 2, true));
    EXPECT_EQ(Rows(), "a,.b,..c,.d,e,.f");
    EXPECT_TRUE(t->MoveRecords(&list, 2, 2, false));
    EXPECT_EQ(Rows(), "a,.d,.f,.b,..c,e");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(t->BookmarkToRecNo(list.GetItem(0)), 2);
    EXPECT_EQ(t->BookmarkToRecNo(list.GetItem(1)), 3);

    // Checking a drop of a onto its own descendant tells False and changes nothing.
    TBMListEh top;
    top.AppendItem(t->RecNoToBookmark(1));
    EXPECT_FALSE(t->MoveRecords(&top, 5, 4, true));
    EXPECT_FALSE(t->MoveRecords(&top, 5, 4, false));
    EXPECT_EQ(Rows(), "a,.d,.f,.b,..c,e");
}

TEST_F(TreeView, MovingRecordsOfAPlainView)
{
    t->Open();
    for (int i = 1; i <= 5; ++i)
        t->AppendRecord({Variant(i), Variant::Null(), Variant(QStringLiteral("n%1").arg(i))});
    t->First();
    TBMListEh list;
    list.AppendItem(t->RecNoToBookmark(2));
    list.AppendItem(t->RecNoToBookmark(3));
    EXPECT_TRUE(t->MoveRecords(&list, 5, 0, false));
    EXPECT_EQ(Rows(), "n1,n4,n5,n2,n3");
    EXPECT_EQ(t->BookmarkToRecNo(list.GetItem(0)), 4);
    EXPECT_EQ(t->BookmarkToRecNo(list.GetItem(1)), 5);
    EXPECT_EQ(Cur(), "n1");
    EXPECT_FALSE(t->MoveRecord(2, 2, 0, false));
    EXPECT_TRUE(t->MoveRecord(0, 1, 0, false));
    EXPECT_EQ(Rows(), "n4,n1,n5,n2,n3");
    EXPECT_EQ(Cur(), "n1");
}

TEST_F(TreeView, ANewRecordTakesTheNodeStateAskedBeforeItsPost)
{
    Show(kTree, true);
    t->TreeList()->SetDefaultNodeExpanded(false);
    t->Append();
    t->SetTreeNodeExpanded(true);
    EXPECT_FALSE(t->TreeNodeExpanded());   // no node yet
    t->FieldByName("Id")->SetAsInteger(7);
    t->FieldByName("ParentId")->SetAsInteger(6);
    t->FieldByName("Name")->SetAsString("g");
    t->Post();
    EXPECT_EQ(Rows(), "a,.b,..c,.d,e,.f,..g");
    GoTo("g");
    EXPECT_TRUE(t->TreeNodeExpanded());
    t->AppendRecord({Variant(8), Variant(7), Variant("h")});
    EXPECT_EQ(Rows(), "a,.b,..c,.d,e,.f,..g,...h");
}

TEST_F(TreeView, TheTreeSwitchedOnInAFormComesOnAfterLoading)
{
    Show(kTree, true);
    t->SetName("Tree");
    const QString form = ComponentToText(t);
    // Active comes before the linking fields in the form: it waits for the end of loading.
    EXPECT_LT(form.indexOf("TreeList.Active = True"), form.indexOf("TreeList.KeyFieldName")) << form.toStdString();
    auto* copy = Create<TMemTableEh>(&owner);
    ReadComponentRes(form.toUtf8(), copy);
    EXPECT_TRUE(copy->Active());
    EXPECT_TRUE(copy->TreeList()->Active());
    EXPECT_EQ(copy->RecordCount(), 6);
    EXPECT_EQ(copy->TreeList()->KeyFieldName(), "Id");
    t = copy;
    EXPECT_EQ(Rows(), "a,.b,..c,.d,e,.f");
}
