// The data grid over an in-memory table: one row per record of the whole table, heights per
// row, the screen position kept around a re-sort, many rows, and no reading while a job
// fills the table with its controls disabled.
#include "support/DBGridFixtures.h"

using namespace testsupport;

namespace {

// Counts every row read through the instant-read road and every row count asked.
class TCountingTableEh : public TMemTableEh {
public:
    using TMemTableEh::TMemTableEh;
    int Reads = 0;
    void InstantReadEnter(int RowNum) override
    {
        ++Reads;
        TMemTableEh::InstantReadEnter(RowNum);
    }
};

class GridOverTable : public DBGridOnForm {
public:
    TCountingTableEh* table = nullptr;

    void Open(int Rows)
    {
        table = Create<TCountingTableEh>(form.get());
        table->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
        table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        table->CreateDataSet();
        table->DisableControls();
        for (int i = 1; i <= Rows; ++i)
            table->AppendRecord({Variant(i), Variant(QStringLiteral("Запись %1").arg(i))});
        table->EnableControls();
        table->First();
        Bind(table);
    }
    int Code() { return table->FieldByName(QStringLiteral("Code"))->AsInteger(); }
};

} // namespace

TEST_F(GridOverTable, EmptyTableShowsOneEmptyRowUntilTheSecondRecord)
{
    Open(0);
    const int top = grid->TopDataOffset();
    EXPECT_EQ(grid->RowCount(), top + 1);
    table->AppendRecord({Variant(1), Variant(QStringLiteral("a"))});
    EXPECT_EQ(grid->RowCount(), top + 1);
    table->AppendRecord({Variant(2), Variant(QStringLiteral("b"))});
    EXPECT_EQ(grid->RowCount(), top + 2);
    table->EmptyTable();
    PumpDBGrid();
    EXPECT_EQ(grid->RowCount(), top + 1);
}

TEST_F(GridOverTable, RowsAreTheWholeTableAndScrollWithoutMovingTheCursor)
{
    Open(500);
    const int top = grid->TopDataOffset();
    EXPECT_EQ(grid->RowCount(), top + 500);
    EXPECT_TRUE(grid->IsExtendedScrolling());

    table->Last();
    PumpDBGrid();
    EXPECT_EQ(grid->Row(), top + 499);
    EXPECT_GE(grid->LastFullVisibleRow(), top + 499);

    // Scrolling the rows leaves the record where it is.
    grid->SetTopRow(top);
    PumpDBGrid();
    EXPECT_EQ(Code(), 500);

    // Shift+wheel moves a record, with Ctrl a page of visible rows.
    table->First();
    EXPECT_TRUE(grid->DoMouseWheelDown(TShiftState{ssShift}, TPoint{10, 10}));
    EXPECT_EQ(Code(), 2);
    const int page = grid->VisibleDataRowCount();
    ASSERT_GT(page, 1);
    EXPECT_TRUE(grid->DoMouseWheelDown(TShiftState{ssShift, ssCtrl}, TPoint{10, 10}));
    EXPECT_EQ(Code(), 2 + page);
}

TEST_F(GridOverTable, VerticalPositionSurvivesAResort)
{
    Open(300);
    const int top = grid->TopDataOffset();
    table->MoveBy(149);   // record 150
    PumpDBGrid();
    grid->SetTopRow(top + 140);
    PumpDBGrid();
    const int screenRow = grid->Row() - grid->TopRow();
    ASSERT_EQ(Code(), 150);

    grid->SaveVertPos(QStringLiteral("Code"));
    table->SetSortOrder(QStringLiteral("Code DESC"));
    PumpDBGrid();
    grid->RestoreVertPos(QStringLiteral("Code"));
    PumpDBGrid();
    EXPECT_EQ(Code(), 150);
    EXPECT_EQ(grid->Row() - grid->TopRow(), screenRow);
    EXPECT_EQ(grid->Row(), top + 300 - 150);
}

TEST_F(GridOverTable, RowHeightsFitTheirContentOnlyWhenAsked)
{
    Open(20);
    const int top = grid->TopDataOffset();
    const int std = grid->StdDefaultRowHeight();
    grid->OnGetRowHeight = [this](TObject*, int& h) {
        // Every third record is twice as tall.
        if (Code() % 3 == 0)
            h *= 2;
    };
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghAutoFitRowHeight});
    grid->UpdateAllDataRowHeights();
    const int tall = grid->GridRowHeightWithoutLine(top + 2);
    EXPECT_GT(tall, grid->GridRowHeightWithoutLine(top + 1));
    EXPECT_EQ(grid->GridRowHeightWithoutLine(top + 5), tall);
    EXPECT_EQ(Code(), 1);

    // Without the option every row shares the standard height again.
    grid->SetOptionsEh(grid->OptionsEh() - TDBGridEhOptions{dghAutoFitRowHeight});
    grid->UpdateAllDataRowHeights();
    for (int r = top; r < grid->RowCount(); ++r)
        ASSERT_EQ(grid->GridRowHeightWithoutLine(r), std) << r;
}

// While a job fills the table (its controls disabled) the grid must not read rows; it keeps
// what it showed and catches up when the controls are enabled again.
TEST_F(GridOverTable, NoReadsWhileAJobFillsTheTable)
{
    Open(30);
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghAutoFitRowHeight});
    grid->UpdateAllDataRowHeights();
    const int rowsBefore = grid->RowCount();

    table->DisableControls();
    for (int i = 31; i <= 60; ++i)
        table->AppendRecord({Variant(i), Variant(QStringLiteral("x"))});
    table->Reads = 0;
    grid->LayoutChanged();
    grid->UpdateAllDataRowHeights();
    grid->SetBounds(5, 5, 560, 300);
    PumpDBGrid();
    EXPECT_EQ(table->Reads, 0);
    EXPECT_EQ(grid->RowCount(), rowsBefore);

    table->EnableControls();
    PumpDBGrid();
    EXPECT_EQ(grid->RowCount(), grid->TopDataOffset() + 60);
    EXPECT_GT(table->Reads, 0);
}

// The row count of a million records follows the table, and the last record can be reached.
TEST_F(GridOverTable, MillionRows)
{
    Open(1000000);
    const int top = grid->TopDataOffset();
    EXPECT_EQ(grid->RowCount(), top + 1000000);
    table->Last();
    PumpDBGrid();
    EXPECT_EQ(grid->Row(), top + 999999);
    EXPECT_EQ(grid->LastFullVisibleRow(), top + 999999);
    EXPECT_EQ(grid->DataRowToRecNo(999999), 1000000);
    grid->InstantReadRecordEnter(999998);
    EXPECT_EQ(Code(), 999999);
    grid->InstantReadRecordLeave();
    EXPECT_EQ(Code(), 1000000);
}
