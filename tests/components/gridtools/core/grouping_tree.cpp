// The group data tree over an in-memory table: building, ordering, keys, single-row changes,
// expanding and the flat list of visible rows.
#include "grouping_support.h"

#include "components/foundation/core/ToolCtrlsEh_Core.h"

using namespace groupingtest;

namespace {

class GroupTree : public GroupingFixture {};

TEST_F(GroupTree, GroupsFollowTheLevelOrderAndKeepRecordsInRowOrder)
{
    struct Case {
        TSortOrderEh order;
        const char* flat;
    };
    for (const Case& c : {Case{soAscEh, "G:A R1 G:B R0 R2"}, Case{soDescEh, "G:B R0 R2 G:A R1"}}) {
        SCOPED_TRACE(c.flat);
        table->EmptyTable();
        AddRow("B");
        AddRow("A");
        AddRow("B");
        groups = CreateUnique<TGridDataGroupsEh>(grid);
        groups->SetDefaultStateExpanded(true);
        TGridDataGroupLevelEh* level = groups->GroupLevels()->Add();
        level->SetSortOrder(c.order);
        level->SetColumn(Column("Partner"));
        Rebuild();
        EXPECT_EQ(Flat(), c.flat);
        // A group remembers the first record that came into it.
        EXPECT_EQ(GroupNode({"B"})->DataSetRecordViewNo(), 0);
        EXPECT_EQ(GroupNode({"B"})->Count(), 2);
    }
}

TEST_F(GroupTree, NullKeyGroupComesFirstInAscendingOrder)
{
    AddRow("B");
    AddRow(Variant::Null());
    AddRow("A");
    Group({"Partner"});
    EXPECT_EQ(Flat(), "G: R1 G:A R2 G:B R0");
    EXPECT_TRUE(Tree()->GetFlatVisibleItem(0)->KeyValue().IsNull());
}

TEST_F(GroupTree, TwoLevelsNestAndTheKeyHoldsEveryLevelAndTheRow)
{
    AddRow("B", "y");
    AddRow("A", "x");
    AddRow("B", "x");
    AddRow("A", "x");
    Group({"Partner", "Kind"});
    EXPECT_EQ(Shape(), "{A: {x: R1 R3}} {B: {x: R2} {y: R0}}");
    const Variant key = Tree()->GetKeyValueForViewRecNo(2);
    ASSERT_TRUE(key.IsArray());
    EXPECT_EQ(key.ArrayCount(), 3);
    EXPECT_EQ(key.GetElement(key.ArrayLowBound()).AsString(), "B");
    EXPECT_EQ(key.GetElement(key.ArrayLowBound() + 1).AsString(), "x");
    EXPECT_EQ(key.GetElement(key.ArrayLowBound() + 2).AsInteger(), 2);
    // Building reads rows without moving the cursor.
    table->First();
    table->Next();
    Rebuild();
    EXPECT_EQ(table->RecNo(), 2);
}

TEST_F(GroupTree, EmptyTableGivesAnEmptyFlatList)
{
    Group({"Partner"});
    EXPECT_EQ(Tree()->FlatVisibleCount(), 0);
    EXPECT_EQ(Tree()->Root()->FullItemCount(), 0);
}

// The search for a key among the data items of a parent: the place found and what to do there.
TEST_F(GroupTree, SearchForKeyFindsThePlaceOrTheEqualItem)
{
    for (const char* p : {"b", "d", "f", "h", "j"})
        AddRow(p);
    Group({"Partner"});
    TGroupDataTreeNodeEh* root = Tree()->Root();
    struct Case {
        const char* key;
        TSortOrderEh order;
        int index;
        TNodeAttachModeEh mode;
    };
    const Case cases[] = {
        {"a", soAscEh, 0, naInsertEh},   {"b", soAscEh, 0, naAddChildEh}, {"c", soAscEh, 1, naInsertEh},
        {"d", soAscEh, 1, naAddChildEh}, {"e", soAscEh, 2, naInsertEh},   {"f", soAscEh, 2, naAddChildEh},
        {"g", soAscEh, 3, naInsertEh},   {"h", soAscEh, 3, naAddChildEh}, {"i", soAscEh, 4, naInsertEh},
        {"j", soAscEh, 4, naAddChildEh}, {"k", soAscEh, 4, naAddEh},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        TNodeAttachModeEh mode = naAddFirstEh;
        TGroupDataTreeNodeEh* n = Tree()->GetNodeToInsertForKey1(root, Variant(QString::fromUtf8(c.key)), mode, c.order);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n, root->GetDataItem(c.index));
        EXPECT_EQ(mode, c.mode);
    }
    // Against a descending order the same items read backwards.
    TNodeAttachModeEh mode = naAddFirstEh;
    EXPECT_EQ(Tree()->GetNodeToInsertForKey1(root, Variant(QStringLiteral("k")), mode, soDescEh), root->GetDataItem(0));
    EXPECT_EQ(mode, naInsertEh);
}

TEST_F(GroupTree, CollapsedGroupHidesItsRowsAndStaysCollapsedAfterRefresh)
{
    AddRow("A", "x", 1.0);
    AddRow("B", "x", 2.0);
    AddRow("A", "x", 3.0);
    Group({"Partner"});
    TGridDataGroupFooterEh* footer = groups->Footers()->Add();
    footer->SetVisible(true);
    EXPECT_EQ(Flat(), "G:A R0 R2 F G:B R1 F");
    GroupNode({"A"})->SetExpanded(false);
    EXPECT_EQ(Flat(), "G:A G:B R1 F");

    // New data: A still occurs and keeps its state; C is new and takes the default.
    table->First();
    table->Edit();
    table->FieldByName(QStringLiteral("Partner"))->SetAsString(QStringLiteral("C"));
    table->Post();
    table->MTDisableControls();
    table->MTEnableControls(true);   // everything changed
    EXPECT_EQ(Flat(), "G:A G:B R1 F G:C R0 F");
    EXPECT_FALSE(GroupNode({"A"})->Expanded());
}

TEST_F(GroupTree, ExpandingAndCollapsingALevel)
{
    AddRow("A", "x");
    AddRow("A", "y");
    AddRow("B", "x");
    Group({"Partner", "Kind"}, false);
    EXPECT_EQ(Flat(), "G:A G:B");
    Level(0)->ExpandNodes();
    EXPECT_EQ(Flat(), "G:A G:x G:y G:B G:x");
    Level(1)->ExpandNodes();
    EXPECT_EQ(Flat(), "G:A G:x R0 G:y R1 G:B G:x R2");
    Level(0)->CollapseNodes();
    EXPECT_EQ(Flat(), "G:A G:B");
    // The path to a record opens all its groups at once.
    Tree()->ExpandNodePathToView(Tree()->GetNodeByRecordViewNo(2));
    EXPECT_EQ(Flat(), "G:A G:B G:x R2");
    EXPECT_EQ(Tree()->IndexOfVisibleNode(Tree()->GetNodeByRecordViewNo(2)), 3);
    // A group row stands for the first record added to it, and comes first.
    EXPECT_EQ(Tree()->IndexOfVisibleRecordViewNo(2), 1);
    EXPECT_EQ(Tree()->IndexOfVisibleRecordViewNo(0), 0);
    EXPECT_EQ(Tree()->IndexOfVisibleNode(GroupNode({"A", "x"})), -1);
}

TEST_F(GroupTree, ReversingALevelReordersItsGroupsAndKeepsTheirState)
{
    AddRow("A", "x");
    AddRow("B", "y");
    AddRow("B", "x");
    Group({"Partner", "Kind"});
    GroupNode({"B", "y"})->SetExpanded(false);
    Level(1)->SetSortOrder(soDescEh);
    EXPECT_EQ(Flat(), "G:A G:x R0 G:B G:y G:x R2");
    Level(0)->SetSortOrder(soDescEh);
    EXPECT_EQ(Flat(), "G:B G:y G:x R2 G:A G:x R0");
}

TEST_F(GroupTree, ChangingALevelValueMovesTheSameNodeToItsNewGroup)
{
    AddRow("A", "x");
    AddRow("B", "x");
    AddRow("A", "y");
    Group({"Partner", "Kind"});
    TGroupDataTreeNodeEh* moved = Tree()->GetNodeByRecordViewNo(1);
    table->SetRecNo(2);
    table->Edit();
    table->FieldByName(QStringLiteral("Partner"))->SetAsString(QStringLiteral("C"));
    table->Post();
    // B lost its only record and went; C was made for it.
    EXPECT_EQ(Shape(), "{A: {x: R0} {y: R2}} {C: {x: R1}}");
    EXPECT_EQ(Shape(), FreshShape());
    // The grid may hold the node as its current one: it is still the record's node.
    EXPECT_EQ(Tree()->GetNodeByRecordViewNo(1), moved);
    EXPECT_EQ(moved->FullKey().GetElement(moved->FullKey().ArrayLowBound()).AsString(), "C");

    // A change that leaves the key alone keeps the place.
    table->Edit();
    table->FieldByName(QStringLiteral("Amount"))->SetAsFloat(5);
    table->Post();
    EXPECT_EQ(Tree()->GetNodeByRecordViewNo(1), moved);
    EXPECT_EQ(Shape(), "{A: {x: R0} {y: R2}} {C: {x: R1}}");
}

TEST_F(GroupTree, DeletingTheOnlyRecordRemovesItsGroupsAndShiftsRowNumbers)
{
    AddRow("A", "x");
    AddRow("B", "y");
    AddRow("A", "x");
    AddRow("C", "z");
    Group({"Partner", "Kind"});
    table->SetRecNo(2);
    table->Delete();
    EXPECT_EQ(Shape(), "{A: {x: R0 R1}} {C: {z: R2}}");
    EXPECT_EQ(Shape(), FreshShape());
    TGroupDataTreeNodeEh* last = Tree()->GetNodeByRecordViewNo(2);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->FullKey().GetElement(last->FullKey().ArrayHighBound()).AsInteger(), 2);
    EXPECT_EQ(last->KeyValue().AsInteger(), 2);
}

TEST_F(GroupTree, InsertedRecordsJoinTheirGroupsAtTheirRowNumbers)
{
    AddRow("A");
    AddRow("B");
    AddRow("A");
    Group({"Partner"});
    table->SetRecNo(2);
    table->Insert();
    table->FieldByName(QStringLiteral("Partner"))->SetAsString(QStringLiteral("A"));
    table->Post();
    table->Last();
    table->Append();
    table->FieldByName(QStringLiteral("Partner"))->SetAsString(QStringLiteral("B"));
    table->Post();
    EXPECT_EQ(Shape(), FreshShape());
    EXPECT_EQ(Shape(), "{A: R0 R1 R3} {B: R2 R4}");
}

TEST_F(GroupTree, AppendingIntoAGroupPrefillsItsKeysAndPlacesTheRecordLast)
{
    AddRow("A", "x");
    AddRow("B", "x");
    AddRow("A", "x");
    AddRow("C", "x");
    Group({"Partner", "Kind"}, false);
    TGroupDataTreeNodeEh* ax = GroupNode({"A", "x"});
    ASSERT_TRUE(ax->CanAppendDataRec());
    EXPECT_FALSE(GroupNode({"A"})->CanAppendDataRec());
    ax->AppendDataRec(grid->IntMemTable(), table);
    ASSERT_EQ(table->State(), dsInsert);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Partner"))->AsString(), "A");
    EXPECT_EQ(table->FieldByName(QStringLiteral("Kind"))->AsString(), "x");
    // Right after the group's last record (row 2), and its groups opened.
    EXPECT_EQ(ax->GetDataItem(ax->Count() - 1)->DataSetRecordViewNo(), 3);
    EXPECT_TRUE(ax->Expanded());
    EXPECT_TRUE(GroupNode({"A"})->Expanded());
    table->Post();
    EXPECT_EQ(Shape(), FreshShape());
    EXPECT_EQ(Shape(), "{A: {x: R0 R2 R3}} {B: {x: R1}} {C: {x: R4}}");
    // The node keeps the record's real key, not the placing one.
    TGroupDataTreeNodeEh* added = Tree()->GetNodeByRecordViewNo(3);
    EXPECT_EQ(added->FullKey().GetElement(added->FullKey().ArrayHighBound()).AsInteger(), 3);
}

TEST_F(GroupTree, AddingALevelKeepsTheOuterGroupsAndTheirState)
{
    AddRow("A", "x");
    AddRow("B", "y");
    Group({"Partner"}, false);
    TGroupDataTreeNodeEh* a = GroupNode({"A"});
    a->SetExpanded(true);
    groups->GroupLevels()->Add()->SetColumn(Column("Kind"));
    Rebuild();
    EXPECT_EQ(GroupNode({"A"}), a);
    EXPECT_TRUE(a->Expanded());
    EXPECT_EQ(Shape(), "{A: {x: R0}} {B: {y: R1}}");
    // The outer level losing its column regroups by the inner one alone.
    Level(0)->SetColumn(nullptr);
    Rebuild();
    EXPECT_EQ(Shape(), "{x: R0} {y: R1}");
    EXPECT_EQ(groups->ActiveGroupLevelsCount(), 1);
    EXPECT_EQ(groups->ActiveGroupLevels(0), Level(1));
}

TEST_F(GroupTree, GroupEmptiedByARefreshGoesWithItsEmptyParent)
{
    AddRow("A", "x");
    AddRow("B", "y");
    Group({"Partner", "Kind"});
    table->SetRecNo(2);
    table->Edit();
    table->FieldByName(QStringLiteral("Partner"))->SetAsString(QStringLiteral("A"));
    table->Post();
    table->MTDisableControls();
    table->MTEnableControls(true);
    EXPECT_EQ(Shape(), "{A: {x: R0} {y: R1}}");
    EXPECT_EQ(Flat(), "G:A G:x R0 G:y R1");
}

}  // namespace

namespace {

// A grouping whose grid hooks answer row heights from the record being read.
class THeightGroupsEh : public TGridDataGroupsEh {
public:
    using TGridDataGroupsEh::TGridDataGroupsEh;
    TDataSet* Table = nullptr;
    int FlatRebuilds = 0;
    std::vector<int> HeightChanged;
    int GridGroupNodeRowHeight(TGroupDataTreeNodeEh* Node) override
    {
        return Node->NodeType() == dntDataGroupEh ? 30 : 40;
    }
    int GridDataRowHeight() override { return 10 + Table->FieldByName(QStringLiteral("Amount"))->AsInteger(); }
    void GridFlatListChanged() override { ++FlatRebuilds; }
    void GridRowHeightChanged(int FlatIndex) override { HeightChanged.push_back(FlatIndex); }
};

class GroupTreeHeights : public GroupingFixture {
public:
    THeightGroupsEh* hooks = nullptr;
    void SetUp() override
    {
        GroupingFixture::SetUp();
        AddRow("B", "x", 5.0);
        AddRow("A", "x", 7.0);
        AddRow("B", "x", 9.0);
        groups = CreateUnique<THeightGroupsEh>(grid);
        hooks = static_cast<THeightGroupsEh*>(groups.get());
        hooks->Table = table;
        groups->SetDefaultStateExpanded(true);
        groups->GroupLevels()->Add()->SetColumn(Column("Partner"));
        groups->SetActive(true);
        Rebuild();
        feed->Groups = groups.get();
    }
    std::vector<int> Heights()
    {
        std::vector<int> h;
        for (TGroupDataTreeNodeEh* n : Tree()->FlatVisibleList())
            h.push_back(n->RowHeight());
        return h;
    }
};

TEST_F(GroupTreeHeights, RecordRowsAreMeasuredWhileTheirOwnRowIsRead)
{
    EXPECT_EQ(Flat(), "G:A R1 G:B R0 R2");
    EXPECT_EQ(Heights(), (std::vector<int>{30, 17, 30, 15, 19}));
    // One changed amount, the key unchanged and no footers: only that row's height is told.
    hooks->FlatRebuilds = 0;
    table->SetRecNo(3);
    table->Edit();
    table->FieldByName(QStringLiteral("Amount"))->SetAsFloat(20);
    table->Post();
    EXPECT_EQ(hooks->HeightChanged, std::vector<int>{4});
    EXPECT_EQ(hooks->FlatRebuilds, 0);
    EXPECT_EQ(Heights(), (std::vector<int>{30, 17, 30, 15, 30}));

    // With footers the heights come from the same pass as the values.
    TGridDataGroupFooterEh* footer = groups->Footers()->Add();
    footer->SetVisible(true);
    table->Edit();
    table->FieldByName(QStringLiteral("Amount"))->SetAsFloat(1);
    table->Post();
    EXPECT_EQ(Flat(), "G:A R1 F G:B R0 R2 F");
    EXPECT_EQ(Heights(), (std::vector<int>{30, 17, 40, 30, 15, 11, 40}));
}

}  // namespace
