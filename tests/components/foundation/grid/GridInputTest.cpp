#include "GridTestSupport.h"

using namespace gridtest;

TEST_F(GridFixture, TabWrapsAroundTheGridBothWays)
{
    Grid->SetCurrentCell(5, 5, false, false);
    Key(VK_TAB);
    EXPECT_EQ(Grid->CurCell(), GridCoord(1, 1));
    Key(VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(Grid->CurCell(), GridCoord(5, 5));
    Key(VK_TAB);
    Key(VK_TAB);
    EXPECT_EQ(Grid->CurCell(), GridCoord(2, 1));
}

TEST_F(GridFixture, ShiftTabKeepsGoingBackOverColumnsThatAreNoTabStops)
{
    Grid->TabStop = [](int c) { return c != 3 && c != 4; };
    Grid->SetCurrentCell(5, 2, false, false);
    Key(VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(Grid->CurCell(), GridCoord(2, 2));
    Key(VK_TAB);
    EXPECT_EQ(Grid->CurCell(), GridCoord(5, 2));
}

TEST_F(GridFixture, PageKeysReachTheEnds)
{
    Grid->SetBounds(0, 0, 400, 120);   // 5 rolling rows visible
    Grid->SetRowCount(31);
    Key(VK_NEXT);
    const int afterOne = Grid->Row();
    EXPECT_GT(afterOne, 5);
    for (int i = 0; i < 10; ++i)
        Key(VK_NEXT);
    EXPECT_EQ(Grid->Row(), 30);
    Key(VK_NEXT);
    EXPECT_EQ(Grid->Row(), 30);
    EXPECT_EQ(Grid->LastFullVisibleRow(), 30);
    for (int i = 0; i < 10; ++i)
        Key(VK_PRIOR);
    EXPECT_EQ(Grid->Row(), 1);
    EXPECT_EQ(Grid->TopRow(), 1);
    Key(VK_END, TShiftState{ssCtrl});
    EXPECT_EQ(Grid->CurCell(), GridCoord(5, 30));
    Key(VK_HOME, TShiftState{ssCtrl});
    EXPECT_EQ(Grid->CurCell(), GridCoord(1, 1));
}

TEST_F(GridFixture, ArrowsAndRightToLeft)
{
    struct Case { bool Rtl; Word Key; TShiftState Shift; TGridCoord Expected; };
    const Case cases[] = {
        {false, VK_RIGHT, {}, {3, 2}}, {false, VK_LEFT, {}, {1, 2}}, {false, VK_DOWN, {}, {2, 3}},
        {false, VK_UP, {}, {2, 1}},    {true, VK_RIGHT, {}, {1, 2}},  {true, VK_LEFT, {}, {3, 2}},
        {false, VK_LEFT, {ssCtrl}, {2, 2}}, {false, VK_RIGHT, {ssCtrl}, {2, 2}},
        {false, VK_HOME, {}, {1, 2}}, {false, VK_END, {}, {5, 2}},
    };
    for (const Case& c : cases) {
        Grid->SetBiDiMode(c.Rtl ? bdRightToLeft : bdLeftToRight);
        Grid->SetCurrentCell(2, 2, false, false);
        Key(c.Key, c.Shift);
        EXPECT_EQ(Grid->CurCell(), c.Expected) << c.Key << (c.Rtl ? " rtl" : "");
    }
    Grid->SetBiDiMode(bdLeftToRight);
    Grid->SetCurrentCell(1, 1, false, false);
    Key(VK_UP);
    Key(VK_LEFT);
    EXPECT_EQ(Grid->CurCell(), GridCoord(1, 1));   // never into the fixed cells
}

TEST_F(GridFixture, ShiftArrowsMoveTheAnchorWithRangeSelect)
{
    TGridOptionsEh o = Grid->Options();
    o.Include(goRangeSelectEh);
    Grid->SetOptions(o);
    Grid->SetCurrentCell(2, 2, false, false);
    Key(VK_DOWN, TShiftState{ssShift});
    Key(VK_RIGHT, TShiftState{ssShift});
    EXPECT_EQ(Grid->CurCell(), GridCoord(2, 2));
    EXPECT_EQ(Grid->AnchorCell(), GridCoord(3, 3));
    EXPECT_TRUE(Grid->HasRangeSelection());
    EXPECT_EQ(Grid->GetSelectionRect(), (TGridRect{2, 2, 3, 3}));
    Key(VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(Grid->CurCell(), GridCoord(2, 2));
    Key(VK_DOWN);
    EXPECT_FALSE(Grid->HasRangeSelection());
}

TEST_F(GridFixture, CellMouseEventsAndClickSelection)
{
    QStringList log;
    Grid->OnCellMouseDown = [&](TCustomGridEh*, TGridCoord c, TMouseButton, TShiftState, int x, int y, bool&) {
        log << QStringLiteral("down %1,%2 at %3,%4").arg(c.X).arg(c.Y).arg(x).arg(y);
    };
    Grid->OnCellMouseClick = [&](TCustomGridEh*, TGridCoord c, TMouseButton, TShiftState, int, int, bool&) {
        log << QStringLiteral("click %1,%2").arg(c.X).arg(c.Y);
    };
    Grid->SetBounds(0, 0, 400, 200);
    Mouse(WM_LBUTTONDOWN, 130, 50, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 131, 51);
    EXPECT_EQ(log, QStringList({"down 2,2 at 30,10", "click 2,2"}));
    EXPECT_EQ(Grid->CurCell(), GridCoord(2, 2));
    EXPECT_EQ(Grid->GridState(), gsNormalEh);

    // Right of the last column: a down event without column, no click.
    log.clear();
    Mouse(WM_LBUTTONDOWN, 350, 50, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 350, 50);
    EXPECT_EQ(log, QStringList({"down -1,2 at 350,50"}));
    EXPECT_EQ(Grid->CurCell(), GridCoord(2, 2));
}

TEST_F(GridFixture, DoubleClicksOfEveryButtonReachTheCellUnlessTheCellRefuses)
{
    QStringList log;
    auto name = [](TMouseButton b, TShiftState s) {
        return QString(b == mbLeft ? "L" : b == mbRight ? "R" : "M") + (s.Contains(ssDouble) ? "2" : "");
    };
    Grid->OnCellMouseDown = [&](TCustomGridEh*, TGridCoord c, TMouseButton b, TShiftState s, int, int, bool&) {
        log << QStringLiteral("down %1 %2,%3").arg(name(b, s)).arg(c.X).arg(c.Y);
    };
    Grid->OnCellMouseClick = [&](TCustomGridEh*, TGridCoord c, TMouseButton b, TShiftState s, int, int, bool&) {
        log << QStringLiteral("click %1 %2,%3").arg(name(b, s)).arg(c.X).arg(c.Y);
    };
    Grid->SetBounds(0, 0, 400, 200);
    struct Case {
        UINT Down, Up, Dbl;
        WPARAM Key;
        const char* B;
    } cases[] = {
        {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, MK_LBUTTON, "L"},
        {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, MK_RBUTTON, "R"},
        {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, MK_MBUTTON, "M"},
    };
    for (const Case& k : cases) {
        for (bool refuse : {false, true}) {
            Grid->DblClickable = [&](TGridCoord, TMouseButton) { return !refuse; };
            log.clear();
            Mouse(k.Down, 130, 50, k.Key);
            Mouse(k.Up, 130, 50);
            Mouse(k.Dbl, 130, 50, k.Key);
            Mouse(k.Up, 130, 50);
            const QString b = k.B;
            // A refused double click arrives as a second plain press.
            const QStringList want = refuse ? QStringList{"down " + b + " 2,2", "click " + b + " 2,2", "down " + b + " 2,2", "click " + b + " 2,2"}
                                            : QStringList{"down " + b + " 2,2", "click " + b + " 2,2", "click " + b + "2 2,2", "click " + b + " 2,2"};
            EXPECT_EQ(log, want) << k.B << " refused " << refuse;
            Grid->Perform(WM_CANCELMODE, 0, 0);
        }
    }
}

TEST_F(GridFixture, DraggingSelectsARange)
{
    TGridOptionsEh o = Grid->Options();
    o.Include(goRangeSelectEh);
    o.Exclude(goEditingEh);
    Grid->SetOptions(o);
    Grid->SetBounds(0, 0, 400, 200);
    Mouse(WM_LBUTTONDOWN, 60, 25, MK_LBUTTON);
    EXPECT_EQ(Grid->GridState(), gsSelectingEh);
    Mouse(WM_MOUSEMOVE, 160, 70, MK_LBUTTON);
    EXPECT_EQ(Grid->AnchorCell(), GridCoord(3, 3));
    Mouse(WM_LBUTTONUP, 160, 70);
    EXPECT_EQ(Grid->GridState(), gsNormalEh);
    EXPECT_EQ(Grid->GetSelectionRect(), (TGridRect{1, 1, 3, 3}));
    // Timer ticks with the mouse below the rows move the anchor down.
    Grid->SetRowCount(30);
    Mouse(WM_LBUTTONDOWN, 60, 25, MK_LBUTTON);
    const int rows = Grid->AnchorCell().Y;
    Grid->TimerTick(TPoint(60, 500));
    EXPECT_EQ(Grid->AnchorCell().Y, rows + 1);
    Grid->Perform(WM_CANCELMODE, 0, 0);
    EXPECT_EQ(Grid->GridState(), gsNormalEh);
}

namespace {
class THotGrid : public TTestGrid {
public:
    using TTestGrid::TTestGrid;
    bool CellHotTrackable(int c, int r) override { return c >= 1 && r >= 1; }
};
}

TEST_F(GridFixture, HotTrackSpotCountsFromTheCellsRealStart)
{
    auto* g = Create<THotGrid>(Form);
    g->SetBorderStyle(bsNone);
    g->SetParent(Form);
    g->SetBounds(0, 0, 200, 120);
    g->HorzScrollBar()->SetSmoothStep(true);
    g->SetColCount(10);
    g->SetHorzScrollPos(30);   // column 1 starts 30 pixels before the fixed boundary
    TGridHotTrackSpotEh spot;
    g->GetHotTrackSpotAt(&spot, 60, 30);
    EXPECT_EQ(spot.Col, 1);
    EXPECT_EQ(spot.Row, 1);
    EXPECT_EQ(spot.InCellX, 40);
    EXPECT_EQ(spot.InCellY, 10);
    g->GetHotTrackSpotAt(&spot, 10, 30);
    EXPECT_EQ(spot.Col, -1);
    g->UpdateHotTrack(60, 30);
    g->Render();
    ASSERT_NE(g->Find(1, 1), nullptr);
    EXPECT_TRUE(g->Find(1, 1)->State.Contains(gdHotTrack));
}
