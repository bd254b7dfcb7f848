#include "GridTestSupport.h"

using namespace gridtest;

TEST_F(GridFixture, SizingLinesAndTheirTolerances)
{
    Grid->SetBounds(0, 0, 400, 200);
    // Column 1 ends at 100 (title row 0..20); column lines are hit from 97 to 104.
    for (int x = 90; x <= 110; ++x) {
        const TGridStateEh s = Grid->GetSizingStateAt(x, 10);
        EXPECT_EQ(s == gsColSizingEh, x >= 97 && x <= 104) << x;
    }
    // Not over the data rows.
    EXPECT_EQ(Grid->GetSizingStateAt(100, 30), gsNormalEh);
    // Row 1 ends at 40 in the fixed column; rows are hit from 38 to 43.
    for (int y = 32; y <= 48; ++y) {
        const TGridStateEh s = Grid->GetSizingStateAt(20, y);
        EXPECT_EQ(s == gsRowSizingEh, y >= 38 && y <= 43) << y;
    }
    EXPECT_EQ(Grid->GetSizingStateAt(70, 40), gsNormalEh);
    TGridOptionsEh o = Grid->Options();
    o.Exclude(goColSizingEh);
    Grid->SetOptions(o);
    EXPECT_EQ(Grid->GetSizingStateAt(100, 10), gsNormalEh);
}

TEST_F(GridFixture, DraggingASizingLine)
{
    Grid->SetBounds(0, 0, 400, 200);
    Mouse(WM_LBUTTONDOWN, 101, 10, MK_LBUTTON);
    EXPECT_EQ(Grid->GridState(), gsColSizingEh);
    EXPECT_EQ(Grid->SizingIndex(), 1);
    Mouse(WM_MOUSEMOVE, 131, 10, MK_LBUTTON);
    // The line follows the mouse (keeping the press's offset from the column edge).
    EXPECT_EQ(Grid->SizingLineRect(), TRect(130, 0, 131, 200));
    Mouse(WM_LBUTTONUP, 131, 10);
    EXPECT_EQ(Grid->SizingLineRect(), TRect(0, 0, 0, 0));
    EXPECT_EQ(Grid->ColWidths(1), 80);
    EXPECT_EQ(Grid->GridState(), gsNormalEh);
    // Down to one pixel: refused.
    Mouse(WM_LBUTTONDOWN, 130, 10, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 51, 10, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 51, 10);
    EXPECT_EQ(Grid->ColWidths(1), 80);
    // Rows by the fixed column.
    Mouse(WM_LBUTTONDOWN, 20, 40, MK_LBUTTON);
    EXPECT_EQ(Grid->GridState(), gsRowSizingEh);
    Mouse(WM_MOUSEMOVE, 20, 55, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 20, 55);
    EXPECT_EQ(Grid->RowHeights(1), 35);
}

TEST_F(GridFixture, ContraColumnIsSizedByItsLeadingEdge)
{
    Grid->SetBounds(0, 0, 300, 200);
    Grid->SetColCount(10);
    Grid->SetContraColCount(1);
    Grid->SetColWidths(10, 40);
    const int cs = Grid->HorzAxis()->ContraStart();
    EXPECT_EQ(Grid->GetSizingStateAt(cs + 2, 10), gsColSizingEh);
    Mouse(WM_LBUTTONDOWN, cs + 1, 10, MK_LBUTTON);
    ASSERT_EQ(Grid->GridState(), gsColSizingEh);
    EXPECT_EQ(Grid->SizingIndex(), 10);
    Mouse(WM_MOUSEMOVE, cs - 29, 10, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, cs - 29, 10);
    EXPECT_EQ(Grid->ColWidths(10), 70);
}

TEST_F(GridFixture, MovingAColumnByItsTitle)
{
    Grid->SetBounds(0, 0, 400, 200);
    Grid->SetColWidths(2, 60);
    // Dropping a column on itself changes nothing.
    Mouse(WM_LBUTTONDOWN, 125, 10, MK_LBUTTON);
    EXPECT_EQ(Grid->GridState(), gsColMovingEh);
    EXPECT_EQ(Grid->MoveIndex(), 2);
    Mouse(WM_LBUTTONUP, 125, 10);
    EXPECT_EQ(Grid->ColWidths(2), 60);
    EXPECT_EQ(Grid->MoveLineRect(), TRect(0, 0, 0, 0));
    // Dropped on the right half of column 4: it lands after it.
    Mouse(WM_LBUTTONDOWN, 125, 10, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 250, 10, MK_LBUTTON);
    EXPECT_EQ(Grid->MovePos(), 4);
    EXPECT_TRUE(Grid->MovePosRightSite());
    EXPECT_EQ(Grid->MoveLineRect().Left, 260);
    Mouse(WM_LBUTTONUP, 250, 10);
    EXPECT_EQ(Grid->ColWidths(4), 60);
    EXPECT_EQ(Grid->ColWidths(2), 50);
}

TEST_F(GridFixture, ColumnMovingTimerSpeedsUpWithDistance)
{
    Grid->SetBounds(0, 0, 400, 200);
    Grid->SetColCount(20);
    Mouse(WM_LBUTTONDOWN, 125, 10, MK_LBUTTON);
    ASSERT_EQ(Grid->GridState(), gsColMovingEh);
    // Fixed boundary at client 50; the client starts at screen 250, so the boundary is at 300.
    EXPECT_EQ(Grid->ColMoveTimerInterval(-50, 200, 1920, false), 63);
    EXPECT_EQ(Grid->ColMoveTimerInterval(49, 299, 1920, false), 360);
    EXPECT_EQ(Grid->ColMoveTimerInterval(200, 450, 1920, true), 360);
    EXPECT_EQ(Grid->ColMoveTimerInterval(200, 450, 1920, false), 60);
    Grid->Perform(WM_CANCELMODE, 0, 0);
    EXPECT_EQ(Grid->GridState(), gsNormalEh);
}

TEST_F(GridFixture, MoveLineWindowFollowsTheTarget)
{
    Grid->SetBounds(0, 0, 400, 200);
    Mouse(WM_LBUTTONDOWN, 125, 10, MK_LBUTTON);
    TGridMoveLineEh* line = GetGridMoveLine();
    ASSERT_TRUE(line->Visible());
    EXPECT_TRUE(line->IsVert());
    EXPECT_EQ(line->Width(), 7);
    EXPECT_EQ(line->Height(), Grid->VertAxis()->GridClientLen() + 8);
    const TPoint origin = Grid->ClientToScreen(TPoint(Grid->MoveLineRect().Left - 3, -4));
    EXPECT_EQ(line->Left(), origin.X);
    EXPECT_EQ(line->Top(), origin.Y);
    Mouse(WM_MOUSEMOVE, 240, 10, MK_LBUTTON);   // right half of column 4: the line at its right edge
    EXPECT_EQ(line->Left(), Grid->ClientToScreen(TPoint(250 - 3, 0)).X);
    Mouse(WM_LBUTTONUP, 240, 10);
    EXPECT_FALSE(line->Visible());
    // The arrow heads and the line: 7 shapes inside the window.
    const auto shapes = line->Shapes();
    EXPECT_EQ(shapes.size(), 7u);
    EXPECT_EQ(shapes[3], TRect(3, 3, 4, line->Height() - 3));
}
