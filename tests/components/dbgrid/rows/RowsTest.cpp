// The data grid's rows over both data regimes: the row layout and cell kinds, the row count,
// the current row following the cursor, reading rows in place, position save and restore, the
// wheel, rows taller than the window and a table that a job fills with its controls disabled.
#include "support/DBGridFixtures.h"

using namespace testsupport;

namespace {

template <class T>
class GridRows : public T {};

using Regimes = ::testing::Types<DBGridOverMemTable, DBGridOverAdoQuery>;
TYPED_TEST_SUITE(GridRows, Regimes);

QString CodeAt(TDataSet* ds) { return ds->FieldByName(QStringLiteral("Code"))->AsString(); }

} // namespace

TYPED_TEST(GridRows, RowsFollowTheDataset)
{
    TCustomDBGridEh* g = this->grid;
    const int top = g->TopDataOffset();
    EXPECT_EQ(top, 1);
    EXPECT_EQ(g->RowCount(), top + 3);
    EXPECT_EQ(g->DataRowCount(), 3);

    this->DataSet()->Last();
    PumpDBGrid();
    EXPECT_EQ(g->Row(), top + 2);
    this->DataSet()->First();
    PumpDBGrid();
    EXPECT_EQ(g->Row(), top);

    // A closed dataset still leaves one empty data row.
    this->DataSet()->Close();
    PumpDBGrid();
    EXPECT_EQ(g->RowCount(), top + 1);
    this->DataSet()->Open();
    PumpDBGrid();
    EXPECT_EQ(g->RowCount(), top + 3);
}

TYPED_TEST(GridRows, CellKindsFollowTheLayout)
{
    TCustomDBGridEh* g = this->grid;
    g->SetFooterRowCount(2);
    g->LayoutChanged();
    using G = TCustomDBGridEh;
    const int last = g->RowCount() - 1;
    struct Case {
        int col, row;
        G::TCellAreaHorzTypeEh horz;
        G::TCellAreaVertTypeEh vert;
        int colIndex, rowIndex;
    };
    const Case cases[] = {
        {0, 0, G::hctIndicatorEh, G::vctTitleEh, 0, 0},
        {1, 0, G::hctDataEh, G::vctTitleEh, 0, 0},
        {2, 1, G::hctDataEh, G::vctDataEh, 1, 0},
        {1, last, G::hctDataEh, G::vctDataEh, 0, last - 1},
        {1, last + 1, G::hctDataEh, G::vctFooterEh, 0, 0},
        {1, last + 2, G::hctDataEh, G::vctFooterEh, 0, 1},
    };
    for (const Case& c : cases) {
        G::TCellAreaHorzTypeEh horz{};
        G::TCellAreaVertTypeEh vert{};
        int ci = -1, ri = -1;
        g->GetCellType(c.col, c.row, horz, vert, ci, ri);
        EXPECT_EQ(horz, c.horz) << c.col << "," << c.row;
        EXPECT_EQ(vert, c.vert) << c.col << "," << c.row;
        EXPECT_EQ(ci, c.colIndex) << c.col << "," << c.row;
        EXPECT_EQ(ri, c.rowIndex) << c.col << "," << c.row;
    }
    EXPECT_EQ(g->ContraRowCount(), 2);

    // Without titles the data starts at the first row.
    g->SetOptions(g->Options() - TDBGridOptions{dgTitles});
    g->LayoutChanged();
    EXPECT_EQ(g->TopDataOffset(), 0);
    G::TCellAreaHorzTypeEh horz{};
    G::TCellAreaVertTypeEh vert{};
    int ci = -1, ri = -1;
    g->GetCellType(1, 0, horz, vert, ci, ri);
    EXPECT_EQ(vert, G::vctDataEh);
    EXPECT_EQ(ri, 0);
}

TYPED_TEST(GridRows, ReadsAnyRowWithoutMovingTheCursor)
{
    TCustomDBGridEh* g = this->grid;
    TDataSet* ds = this->DataSet();
    ds->First();
    ds->Next();
    PumpDBGrid();
    ASSERT_EQ(CodeAt(ds), QStringLiteral("2"));

    QStringList seen;
    for (int r = 0; r < g->InstantReadRecordCount(); ++r) {
        g->InstantReadRecordEnter(r);
        seen << CodeAt(ds);
        g->InstantReadRecordLeave();
    }
    EXPECT_EQ(seen.join(u','), QStringLiteral("1,2,3"));
    EXPECT_EQ(CodeAt(ds), QStringLiteral("2"));
    EXPECT_EQ(g->DataRowToRecNo(2), 3);
    EXPECT_TRUE(g->IsCurrentDataRow(1));
    EXPECT_FALSE(g->IsCurrentDataRow(0));
}

TYPED_TEST(GridRows, BookmarkRestoresTheRecord)
{
    TCustomDBGridEh* g = this->grid;
    TDataSet* ds = this->DataSet();
    ds->Last();
    PumpDBGrid();
    g->SaveBookmark();
    ds->First();
    g->RestoreBookmark();
    PumpDBGrid();
    EXPECT_EQ(CodeAt(ds), QStringLiteral("3"));
    EXPECT_EQ(g->Row(), g->TopDataOffset() + 2);

    // A record that is gone leaves the position alone, also when another record now stands
    // in its row.
    ds->First();
    ds->Next();
    PumpDBGrid();
    g->SaveBookmark();
    ds->Delete();
    ds->First();
    g->RestoreBookmark();
    EXPECT_EQ(CodeAt(ds), QStringLiteral("1"));
}

TYPED_TEST(GridRows, WheelMovesTheRecordUnlessHandled)
{
    TCustomDBGridEh* g = this->grid;
    TDataSet* ds = this->DataSet();
    ds->First();
    // Over an in-memory table a plain turn scrolls rows; with Shift it moves the record.
    const TShiftState shift = TypeParam::HasMemTable ? TShiftState{ssShift} : TShiftState{};
    EXPECT_TRUE(g->DoMouseWheelDown(shift, TPoint{10, 10}));
    EXPECT_EQ(CodeAt(ds), QStringLiteral("2"));
    EXPECT_TRUE(g->DoMouseWheelUp(shift, TPoint{10, 10}));
    EXPECT_EQ(CodeAt(ds), QStringLiteral("1"));

    int fired = 0;
    g->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& Handled) {
        ++fired;
        Handled = true;
    };
    EXPECT_TRUE(g->DoMouseWheelDown(shift, TPoint{10, 10}));
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(CodeAt(ds), QStringLiteral("1"));
}

TYPED_TEST(GridRows, RowsTallerThanTheWindow)
{
    TCustomDBGridEh* g = this->grid;
    TDataSet* ds = this->DataSet();
    g->SetRowHeight(2 * g->ClientHeight());
    g->LayoutChanged();
    PumpDBGrid();
    EXPECT_GE(g->RowHeights(g->TopDataOffset()), 2 * g->ClientHeight());
    // Every record can still be reached and becomes the current row.
    for (int i = 0; i < 2; ++i) {
        ds->Next();
        PumpDBGrid();
    }
    EXPECT_EQ(CodeAt(ds), QStringLiteral("3"));
    EXPECT_TRUE(g->IsCurrentDataRow(g->Row() - g->TopDataOffset()));
    g->Repaint();
}

TYPED_TEST(GridRows, StandardHeightSnapsToWholeLines)
{
    TCustomDBGridEh* g = this->grid;
    g->SetRowLines(1);
    g->SetRowHeight(0);
    g->LayoutChanged();
    const int oneLine = g->StdDefaultRowHeight();
    ASSERT_GT(oneLine, 0);
    EXPECT_EQ(oneLine, g->StdDefaultTextHeight());

    // A height of one line and a bit more than half snaps to two lines plus the margin.
    const int text = g->StdDefaultTextHeight();
    g->SetRowLines(0);
    g->SetRowHeight(4 + text + text / 2 + 1);
    g->SetOptionsEh(g->OptionsEh() | TDBGridEhOptions{dghFitRowHeightToText});
    g->LayoutChanged();
    EXPECT_EQ(g->StdDefaultRowHeight(), 2 * text + 4);
    EXPECT_EQ(g->RowLines(), 2);
    EXPECT_EQ(g->GridRowHeightWithoutLine(g->TopDataOffset()), 2 * text + 4);
}

// The query reopened with other fields and fewer records: rows and columns follow.
class GridRowsOverQuery : public DBGridOverAdoQuery {};

TEST_F(GridRowsOverQuery, ReopenedWithOtherFields)
{
    const int top = grid->TopDataOffset();
    query->Close();
    query->SQL()->Clear();
    query->SQL()->Add(QStringLiteral("SELECT Name FROM rows_t WHERE Code > 1 ORDER BY Code"));
    query->Open();
    PumpDBGrid();
    EXPECT_EQ(grid->RowCount(), top + 2);
    EXPECT_EQ(grid->ColCount(), grid->IndicatorOffset() + 1);
    query->Last();
    PumpDBGrid();
    EXPECT_EQ(grid->Row(), top + 1);
    grid->InstantReadRecordEnter(0);
    EXPECT_EQ(query->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Бета"));
    grid->InstantReadRecordLeave();
    EXPECT_EQ(query->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Гамма"));
}

// More records than the window holds: the data link's buffer is the window's rows, and
// scrolling moves the cursor.
TEST_F(GridRowsOverQuery, BufferHoldsTheRowsThatFit)
{
    for (int i = 4; i <= 200; ++i)
        conn->Execute(QStringLiteral("INSERT INTO rows_t VALUES (%1, 'r', 1, 'A')").arg(i));
    query->Close();
    query->Open();
    PumpDBGrid();
    const int top = grid->TopDataOffset();
    const int rows = grid->DataRowCount();
    EXPECT_GT(rows, 3);
    EXPECT_LT(rows, 200);
    EXPECT_EQ(grid->DataLink()->BufferCount(), rows);
    // The data rows fill the client, none is cut off.
    EXPECT_LE(grid->CellRectEx(1, top + rows - 1).Bottom, grid->ClientHeight());

    query->Last();
    PumpDBGrid();
    EXPECT_EQ(grid->Row(), top + rows - 1);
    EXPECT_EQ(grid->DataRowToRecNo(rows - 1), 200);
    int64_t pos = 0, mn = 0, page = 0, mx = 0;
    grid->GetVertScrollBarParams(pos, mn, page, mx);
    EXPECT_EQ(pos, 200);
    EXPECT_EQ(mn, 1);
    EXPECT_EQ(mx, 200 + page - 1);
}
