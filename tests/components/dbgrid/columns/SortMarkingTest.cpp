// Sort markers in the titles and the grid's list of sort-marked columns.
#include "ColumnsFixtures.h"

#include "platform/rtl/Streams.h"

using namespace testsupport;

using Cols = std::vector<TColumnEh*>;

class SortMarking : public ColumnsOverMemTable {
public:
    void SetUp() override
    {
        ColumnsOverMemTable::SetUp();
        a = Col("Code");
        b = Col("Name");
        c = Col("Sum");
    }
    void Multi(bool On)
    {
        TDBGridEhOptions o = grid->OptionsEh();
        if (On)
            o.Include(dghMultiSortMarking);
        else
            o.Exclude(dghMultiSortMarking);
        grid->SetOptionsEh(o);
    }
    std::vector<int> Indexes() const
    {
        return {a->Title()->SortIndex(), b->Title()->SortIndex(), c->Title()->SortIndex()};
    }
    TColumnEh *a = nullptr, *b = nullptr, *c = nullptr;
};

TEST_F(SortMarking, MultiMarkingNumbersRenumbersAndExchanges)
{
    Multi(true);
    a->Title()->SetSortMarker(smDownEh);
    b->Title()->SetSortMarker(smUpEh);
    c->Title()->SetSortMarker(smDownEh);
    EXPECT_EQ(Indexes(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(SortList(), (Cols{a, b, c}));

    b->Title()->SetSortMarker(smDownEh);   // direction only
    EXPECT_EQ(b->Title()->SortIndex(), 2);

    b->Title()->SetSortMarker(smNoneEh);
    EXPECT_EQ(Indexes(), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(SortList(), (Cols{a, c}));

    c->Title()->SetSortIndex(1);
    EXPECT_EQ(Indexes(), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(SortList(), (Cols{c, a}));
}

TEST_F(SortMarking, SortIndexNobodyHoldsIsIgnored)
{
    Multi(true);
    a->Title()->SetSortMarker(smDownEh);
    c->Title()->SetSortMarker(smUpEh);
    c->Title()->SetSortIndex(5);
    b->Title()->SetSortIndex(1);   // no marker
    EXPECT_EQ(Indexes(), (std::vector<int>{1, 0, 2}));
    c->Title()->SetSortIndex(-3);  // becomes 0, which nobody holds
    EXPECT_EQ(c->Title()->SortIndex(), 2);
}

TEST_F(SortMarking, SingleMarkingKeepsOneColumn)
{
    Multi(false);
    a->Title()->SetSortMarker(smDownEh);
    b->Title()->SetSortMarker(smUpEh);
    EXPECT_EQ(a->Title()->SortMarker(), smNoneEh);
    EXPECT_EQ(Indexes(), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(SortList(), (Cols{b}));
    b->Title()->SetSortMarker(smNoneEh);
    EXPECT_EQ(Indexes(), (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(SortList().empty());
}

struct NextMarkerCase {
    const char* Name;
    const char* Field;   // Code: first state down; Name (text): first state up
    bool KeepMulti;
    std::vector<TSortMarkerEh> Steps;
};

class NextSortMarker : public SortMarking, public ::testing::WithParamInterface<NextMarkerCase> {};

TEST_P(NextSortMarker, ClicksRunThroughTheMarkers)
{
    const NextMarkerCase& p = GetParam();
    Multi(true);
    TColumnEh* col = Col(p.Field);
    for (TSortMarkerEh expected : p.Steps) {
        col->Title()->SetNextSortMarkerValue(p.KeepMulti);
        EXPECT_EQ(col->Title()->SortMarker(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NextSortMarker,
    ::testing::Values(NextMarkerCase{"number_keep", "Code", true, {smDownEh, smUpEh, smNoneEh, smDownEh}},
                      NextMarkerCase{"text_keep", "Name", true, {smUpEh, smDownEh, smNoneEh}},
                      NextMarkerCase{"number_plain", "Code", false, {smDownEh, smUpEh, smDownEh, smUpEh}},
                      NextMarkerCase{"text_plain", "Name", false, {smUpEh, smDownEh, smUpEh}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(SortMarking, PlainClickClearsOtherMarkers)
{
    Multi(true);
    a->Title()->SetSortMarker(smDownEh);
    b->Title()->SetSortMarker(smDownEh);
    c->Title()->SetNextSortMarkerValue(false);
    EXPECT_EQ(a->Title()->SortMarker(), smNoneEh);
    EXPECT_EQ(b->Title()->SortMarker(), smNoneEh);
    EXPECT_EQ(Indexes(), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(SortList(), (Cols{c}));
}

// Indexes set inside an update may leave gaps or repeat; the list the grid gets is dense.
TEST_F(SortMarking, RebuildAfterUpdateClosesGaps)
{
    Multi(true);
    TColumnEh* d = Col("Kind");
    grid->Cols()->BeginUpdate();
    a->Title()->SetSortMarker(smDownEh);
    a->Title()->SetSortIndex(4);
    c->Title()->SetSortMarker(smUpEh);
    c->Title()->SetSortIndex(2);
    d->Title()->SetSortMarker(smUpEh);
    d->Title()->SetSortIndex(2);
    grid->Cols()->EndUpdate();
    EXPECT_EQ(SortList(), (Cols{c, d, a}));
    EXPECT_EQ(c->Title()->SortIndex(), 1);
    EXPECT_EQ(d->Title()->SortIndex(), 2);
    EXPECT_EQ(a->Title()->SortIndex(), 3);
    // Later marking continues from the dense numbering.
    b->Title()->SetSortMarker(smDownEh);
    EXPECT_EQ(b->Title()->SortIndex(), 4);
}

TEST_F(SortMarking, DeletedColumnLeavesTheList)
{
    Multi(true);
    a->Title()->SetSortMarker(smDownEh);
    b->Title()->SetSortMarker(smDownEh);
    delete a;
    EXPECT_EQ(SortList(), (Cols{b}));
}

TEST_F(SortMarking, MarkersSurviveStreamingAndRebuildTheList)
{
    Multi(true);
    b->Title()->SetSortMarker(smUpEh);
    a->Title()->SetSortMarker(smDownEh);
    TMemoryStream stream;
    grid->Cols()->SaveToStream(&stream);

    a->Title()->SetSortMarker(smNoneEh);
    b->Title()->SetSortMarker(smNoneEh);
    stream.SetPosition(0);
    grid->Cols()->LoadFromStream(&stream);
    TColumnEh* name = Col("Name");
    TColumnEh* code = Col("Code");
    EXPECT_EQ(name->Title()->SortMarker(), smUpEh);
    EXPECT_EQ(code->Title()->SortMarker(), smDownEh);
    EXPECT_EQ(SortList(), (Cols{name, code}));
}

TEST_F(SortMarking, TitleShowImageAndTextFollowsDefaultsUntilWritten)
{
    auto* defs = static_cast<TColumnDefValuesEh*>(grid->AxisBarDefValues());
    TColumnTitleEh* t = a->Title();
    EXPECT_FALSE(t->ShowImageAndText());
    defs->Title()->SetShowImageAndText(true);
    EXPECT_TRUE(t->ShowImageAndText());
    EXPECT_FALSE(t->ShowImageAndTextStored());
    t->SetShowImageAndText(true);   // equal to the default, still own from now on
    EXPECT_TRUE(t->ShowImageAndTextStored());
    defs->Title()->SetShowImageAndText(false);
    EXPECT_TRUE(t->ShowImageAndText());
}
