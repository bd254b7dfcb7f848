// The grid's selection: which kind is active, how the kinds replace each other, the rectangle's
// and the columns' rules, and the questions and tests other parts of the grid ask of it.
#include "support/DBGridFixtures.h"
#include "support/DialogScript.h"

#include "platform/vcl/Dialogs.h"

using namespace testsupport;

namespace {

template <class Fixture>
class Selection : public Fixture {
public:
    void SetUp() override
    {
        Fixture::SetUp();
        this->grid->SetOptions(this->grid->Options() | TDBGridOptions{dgMultiSelect});
    }
    TDBGridEhSelection* sel() { return this->grid->Selection(); }
    TBookmark BookmarkOf(int Code)
    {
        TDataSet* ds = this->DataSet();
        ds->Locate(QStringLiteral("Code"), Variant(Code), {});
        return ds->Bookmark();
    }
    TColumnEh* Col(int i) { return this->grid->Columns()->Items(i); }
};

using Regimes = ::testing::Types<DBGridOverMemTable, DBGridOverAdoQuery>;
TYPED_TEST_SUITE(Selection, Regimes);

TYPED_TEST(Selection, ARectangleOfOneCellIsNoSelectionAndTwoCellsSpanTheirRange)
{
    TDBGridEhSelectionRect* rect = this->sel()->Rect();
    const TBookmark b1 = this->BookmarkOf(1), b2 = this->BookmarkOf(2), b3 = this->BookmarkOf(3);
    rect->Select(1, b2, false);
    EXPECT_EQ(this->sel()->SelectionType(), gstNon);

    rect->Select(2, b3, true);
    ASSERT_EQ(this->sel()->SelectionType(), gstRectangle);
    EXPECT_EQ(rect->LeftCol(), 1);
    EXPECT_EQ(rect->RightCol(), 2);
    EXPECT_TRUE(this->sel()->DataCellSelected(1, b3));
    EXPECT_TRUE(this->sel()->DataCellSelected(2, b2));
    EXPECT_FALSE(this->sel()->DataCellSelected(0, b2));
    EXPECT_FALSE(this->sel()->DataCellSelected(1, b1));
    EXPECT_FALSE(this->sel()->DataCellSelected(-1, b2)) << "the indicator is outside a rectangle";

    // Back onto the anchor: the rectangle is gone.
    rect->Select(1, b2, true);
    EXPECT_EQ(this->sel()->SelectionType(), gstNon);
}

TYPED_TEST(Selection, TheRectangleCornersRaiseOnAClosedDataSet)
{
    this->sel()->Rect()->Select(0, this->BookmarkOf(1), false);
    this->sel()->Rect()->Select(1, this->BookmarkOf(2), true);
    this->DataSet()->Close();
    TDBGridEhSelectionRect* rect = this->sel()->Rect();
    EXPECT_THROW(rect->TopRow(), EInvalidGridOperationEh);
    EXPECT_THROW(rect->LeftCol(), EInvalidGridOperationEh);
    try {
        rect->DataCellSelected(0, TBookmark());
        FAIL();
    } catch (const EInvalidGridOperationEh& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Error in function TDBGridEhSelectionRect.CellSelected"));
    }
}

TYPED_TEST(Selection, SelectingARecordReplacesARectangle)
{
    this->sel()->Rect()->Select(0, this->BookmarkOf(1), false);
    this->sel()->Rect()->Select(1, this->BookmarkOf(2), true);
    ASSERT_EQ(this->sel()->SelectionType(), gstRectangle);

    this->BookmarkOf(3);
    this->grid->SelectedRows()->SetCurrentRowSelected(true);
    EXPECT_EQ(this->sel()->SelectionType(), gstRecordBookmarks);
    EXPECT_EQ(this->sel()->Rect()->Anchor().Col, -1) << "the rectangle was cleared";
    EXPECT_TRUE(this->sel()->DataCellSelected(-1, this->BookmarkOf(3)));
    EXPECT_FALSE(this->sel()->DataCellSelected(0, this->BookmarkOf(1)));

    // Emptying the list ends the kind.
    this->BookmarkOf(3);
    this->grid->SelectedRows()->SetCurrentRowSelected(false);
    EXPECT_EQ(this->sel()->SelectionType(), gstNon);
}

TYPED_TEST(Selection, ClosingTheDataSetClearsEveryKind)
{
    this->grid->SelectedRows()->SetCurrentRowSelected(true);
    ASSERT_EQ(this->grid->SelectedRows()->Count(), 1);
    this->DataSet()->Close();
    EXPECT_EQ(this->grid->SelectedRows()->Count(), 0);
    EXPECT_EQ(this->sel()->SelectionType(), gstNon);
}

TYPED_TEST(Selection, EverythingSelectsFixedAndDataCellsAlike)
{
    this->sel()->SelectAll();
    EXPECT_EQ(this->sel()->SelectionType(), gstAll);
    EXPECT_TRUE(this->sel()->DataCellSelected(-1, TBookmark()));
    EXPECT_TRUE(this->grid->CellMultiSelected(0, 0, TBookmark(), -1));
    this->grid->SelectedRows()->SetCurrentRowSelected(true);
    EXPECT_EQ(this->sel()->SelectionType(), gstRecordBookmarks);
}

class SelectionCols : public Selection<DBGridOverMemTable> {};

TEST_F(SelectionCols, RemovingTheLastColumnEndsTheKindAndTitlesOfListedColumnsAreSelected)
{
    TDBGridEhSelectionCols* cols = sel()->Columns();
    cols->InvertSelect(Col(2));
    cols->InvertSelect(Col(0));
    ASSERT_EQ(sel()->SelectionType(), gstColumns);
    ASSERT_EQ(cols->Count(), 2);
    EXPECT_EQ(cols->Items(0), Col(0)) << "kept in column order";
    EXPECT_TRUE(grid->CellMultiSelected(grid->DataToRawColumn(2), 0, TBookmark(), 2));
    EXPECT_FALSE(grid->CellMultiSelected(grid->DataToRawColumn(1), 0, TBookmark(), 1));
    EXPECT_FALSE(sel()->DataCellSelected(-1, BookmarkOf(1)));

    cols->InvertSelect(Col(0));
    cols->InvertSelect(Col(2));
    EXPECT_EQ(sel()->SelectionType(), gstNon);
}

TEST_F(SelectionCols, ShiftBackTowardTheAnchorRestoresOnlyWhatTheExtensionChanged)
{
    TDBGridEhSelectionCols* cols = sel()->Columns();
    // Column 2 chosen alone by a Ctrl-click; then a plain selection of 0 and Shift out to 3.
    cols->InvertSelect(Col(2));
    cols->Select(Col(0), true);
    cols->SelectShift(Col(3));
    EXPECT_EQ(cols->Count(), 4);
    // Back to column 1: columns 2 and 3 fall out of the range; only 3 was added by the extension.
    cols->SelectShift(Col(1));
    ASSERT_EQ(cols->Count(), 3);
    EXPECT_GE(cols->IndexOf(Col(2)), 0) << "chosen on its own, kept";
    EXPECT_LT(cols->IndexOf(Col(3)), 0);

    // With an unselected anchor the extension removes, and going back puts them back.
    cols->InvertSelect(Col(0));
    ASSERT_LT(cols->IndexOf(Col(0)), 0);
    cols->SelectShift(Col(2));
    EXPECT_EQ(cols->Count(), 0);
    EXPECT_EQ(sel()->SelectionType(), gstNon);
    cols->SelectShift(Col(0));
    EXPECT_GE(cols->IndexOf(Col(1)), 0);
    EXPECT_GE(cols->IndexOf(Col(2)), 0);
    EXPECT_EQ(sel()->SelectionType(), gstColumns);
}

class SelectionGrid : public DBGridOverMemTable {};

TEST_F(SelectionGrid, KindsAreAllowedByMultiSelectTheAllowedSetAndRowSelect)
{
    struct Case {
        TDBGridOptions options;
        TDBGridEhAllowedSelections allowed;
        TDBGridEhSelectionType kind;
        bool expected;
    };
    const TDBGridOptions base = grid->Options();
    const TDBGridOptions multi = base | TDBGridOptions{dgMultiSelect};
    const TDBGridOptions rows = multi | TDBGridOptions{dgRowSelect};
    const Case cases[] = {
        {base, DBGridEhAllSelections, gstNon, true},
        {base, DBGridEhAllSelections, gstRecordBookmarks, false},
        {multi, DBGridEhAllSelections, gstRectangle, true},
        {multi, TDBGridEhAllowedSelections{gstRecordBookmarks}, gstRectangle, false},
        {rows, DBGridEhAllSelections, gstRecordBookmarks, true},
        {rows, DBGridEhAllSelections, gstRectangle, false},
        {rows, DBGridEhAllSelections, gstColumns, false},
        {rows, DBGridEhAllSelections, gstAll, true},
    };
    for (const Case& c : cases) {
        grid->SetOptions(c.options);
        grid->SetAllowedSelections(c.allowed);
        EXPECT_EQ(grid->SelectionAllowed(c.kind), c.expected) << int(c.kind);
    }
}

TEST_F(SelectionGrid, DeleteConfirmationAsksAboutOneOrAllSelectedRecords)
{
    grid->SetOptions(grid->Options() | TDBGridOptions{dgMultiSelect});
    QStringList asked;
    TDialogScript script;
    script.Then([&](TDialogCall& c) {
        asked << c.Text;
        return mrOk;
    });
    script.Then([&](TDialogCall& c) {
        asked << c.Text;
        return mrCancel;
    });
    grid->SelectedRows()->SetCurrentRowSelected(true);
    EXPECT_TRUE(grid->ConfirmDelete());
    table->Next();
    grid->SelectedRows()->SetCurrentRowSelected(true);
    EXPECT_FALSE(grid->ConfirmDelete());
    EXPECT_EQ(asked, (QStringList{QStringLiteral("Delete record?"), QStringLiteral("Delete all selected records?")}));

    grid->SetOptions(grid->Options() - TDBGridOptions{dgConfirmDelete});
    EXPECT_TRUE(grid->ConfirmDelete()) << "no question without the option";
}

TEST(SelectionRects, TheDifferenceOfTwoRangesCoversWhatChangedOnly)
{
    TRect out[4];
    // Apart: both as they are.
    EXPECT_EQ(SelectionRectsDifferenceEh(TRect(0, 0, 10, 10), TRect(20, 20, 30, 30), out), 2);
    EXPECT_EQ(out[0], TRect(0, 0, 10, 10));
    EXPECT_EQ(out[1], TRect(20, 20, 30, 30));
    // A range grown downward: only the new strip.
    EXPECT_EQ(SelectionRectsDifferenceEh(TRect(0, 0, 10, 10), TRect(0, 0, 10, 15), out), 1);
    EXPECT_EQ(out[3], TRect(0, 10, 10, 15));
    // Equal ranges: nothing.
    EXPECT_EQ(SelectionRectsDifferenceEh(TRect(0, 0, 10, 10), TRect(0, 0, 10, 10), out), 0);
    // Shifted diagonally: pieces stay inside A or B, never the union's empty corners.
    SelectionRectsDifferenceEh(TRect(0, 0, 10, 10), TRect(5, 5, 15, 15), out);
    for (const TRect& r : out) {
        if (IsRectEmpty(r))
            continue;
        TRect a, b;
        EXPECT_TRUE(IntersectRect(a, r, TRect(0, 0, 10, 10)) || IntersectRect(b, r, TRect(5, 5, 15, 15)));
        EXPECT_FALSE(PtInRect(r, TPoint(12, 2))) << "the corner outside both";
    }
}

}  // namespace
