#include "GridTestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

using namespace gridtest;

namespace {

// 1 fixed row of 20 and Rows rolling rows of 20 in a grid of the given client height.
struct ScrollFixture : GridFixture {
    void Setup(int rows, int height, bool smooth)
    {
        Grid->SetBounds(0, 0, 400, height);
        Grid->VertScrollBar()->SetSmoothStep(smooth);
        Grid->SetRowCount(rows + 1);
    }
    TGridAxisDataEh* V() { return Grid->VertAxis(); }
};

} // namespace

TEST_F(ScrollFixture, VerticalBarAppearsWhenRowsOverflowAndColumnsLoseItsWidth)
{
    Setup(5, 120, false);
    EXPECT_FALSE(Grid->VertScrollBar()->IsScrollBarShowing());
    EXPECT_EQ(Grid->HorzAxis()->GridClientStop(), 400);
    Grid->SetRowCount(7);
    EXPECT_TRUE(Grid->VertScrollBar()->IsScrollBarShowing());
    EXPECT_EQ(Grid->HorzAxis()->GridClientStop(), 400 - 17);
    EXPECT_EQ(Grid->VertScrollBarPanelControl()->Width(), 17);
    EXPECT_FALSE(Grid->HorzScrollBar()->IsScrollBarShowing());
    // The horizontal bar follows when the columns no longer fit (8 x 50 > 383).
    Grid->SetColCount(8);
    EXPECT_TRUE(Grid->HorzScrollBar()->IsScrollBarShowing());
    EXPECT_EQ(Grid->VertAxis()->GridClientStop(), 120 - 17);

    Grid->VertScrollBar()->SetVisibleMode(sbNeverShowEh);
    EXPECT_FALSE(Grid->VertScrollBar()->IsScrollBarShowing());
    TPoint p(10, 10);
    Grid->DoMouseWheelDown(TShiftState(), p);
    EXPECT_GT(Grid->VertScrollPos(), 0);
}

TEST_F(ScrollFixture, EveryScrollCodeByPixelAndByCell)
{
    // Client 100 rolling pixels (120 - 20 fixed), rows 0..19 of 20 pixels: RolLen 400, max 300.
    struct Case { bool Smooth; int64_t Start; int Code; int64_t Pos; int64_t Expected; };
    const Case cases[] = {
        {true, 50, 0, 0, 45}, {true, 50, 1, 0, 55}, {true, 150, 2, 0, 50}, {true, 150, 3, 0, 250},
        {true, 150, 4, 77, 77}, {true, 150, 5, 78, 78}, {true, 150, 6, 0, 0}, {true, 150, 7, 0, 300},
        {true, 150, 8, 0, 150}, {true, 290, 3, 0, 300},
        {false, 40, 0, 0, 20}, {false, 45, 0, 0, 40}, {false, 40, 1, 0, 60}, {false, 290, 1, 0, 300},
        {false, 200, 2, 0, 100}, {false, 210, 2, 0, 120}, {false, 100, 3, 0, 200}, {false, 105, 3, 0, 200},
        {false, 100, 4, 69, 60}, {false, 100, 4, 71, 80}, {false, 100, 4, 300, 300}, {false, 100, 6, 0, 0},
        {false, 100, 7, 0, 300},
    };
    for (const Case& c : cases) {
        Setup(20, 120 + 17, c.Smooth);
        Grid->VertScrollBar()->SetVisibleMode(sbNeverShowEh);
        Grid->HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
        Grid->SetBounds(0, 0, 400, 120);
        ASSERT_EQ(V()->RolClientLen(), 100);
        Grid->SetVertScrollPos(c.Start);
        Grid->ScrollByCode(true, c.Code, c.Pos, true);
        EXPECT_EQ(Grid->VertScrollPos(), c.Expected)
            << (c.Smooth ? "pixel" : "cell") << " start " << c.Start << " code " << c.Code;
    }
}

TEST_F(ScrollFixture, CellScrollingStopsAtTheEndWhileTheWheelStopsAtAWholeRow)
{
    Setup(20, 130, false);
    Grid->VertScrollBar()->SetVisibleMode(sbNeverShowEh);
    Grid->HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
    ASSERT_EQ(V()->RolClientLen(), 110);   // 5.5 rows
    for (int i = 0; i < 30; ++i)
        Grid->ScrollByCode(true, 1, 0, true);
    EXPECT_EQ(Grid->VertScrollPos(), 400 - 110);
    Grid->ScrollByCode(true, 6, 0, true);
    for (int i = 0; i < 30; ++i)
        Grid->DoMouseWheelDown(TShiftState(), TPoint(1, 1));
    EXPECT_EQ(Grid->VertScrollPos(), 300);   // row 15 on top: the last row whole, space below it

    Grid->ScrollByCode(true, 6, 0, true);
    Grid->DoMouseWheelDown(TShiftState{ssCtrl}, TPoint(1, 1));
    EXPECT_EQ(Grid->TopRow(), 1 + 5);   // a page of whole rows
}

TEST_F(ScrollFixture, CellIntoViewShowsTheStartOfAWideColumn)
{
    Setup(5, 120, false);
    Grid->SetColCount(6);
    Grid->SetColWidths(4, 500);
    Grid->ScrollCellIntoView(GridCoord(4, 1), true, false);
    EXPECT_EQ(Grid->LeftCol(), 4);
    EXPECT_EQ(Grid->LeftColOffset(), 0);
    Grid->SetCurrentCell(1, 1, true, true);
    EXPECT_EQ(Grid->HorzScrollPos(), 0);
}

TEST_F(ScrollFixture, BarRangeIsScaledAboveThirtyTwoBits)
{
    Grid->SetBounds(0, 0, 200, 220);
    Grid->VertScrollBar()->SetSmoothStep(true);
    Grid->SetDefaultRowHeight(3000);
    Grid->SetRowCount(1000001);   // about 3e9 pixels of rows
    const int64_t len = V()->RolLen();
    ASSERT_GT(len, int64_t(1) << 31);
    TScrollBar* bar = Grid->VertScrollBarPanelControl()->ScrollBar();
    EXPECT_GT(Grid->VertScrollBar()->Scale(), 1);
    EXPECT_LT(int64_t(bar->Max()) * Grid->VertScrollBar()->Scale(), len + Grid->VertScrollBar()->Scale());
    EXPECT_GT(int64_t(bar->Max()) * Grid->VertScrollBar()->Scale(), len - 2 * Grid->VertScrollBar()->Scale());

    // A thumb release in the middle of the bar lands in the middle of the rows.
    int pos = bar->Max() / 2;
    bar->Scroll(scPosition, pos);
    EXPECT_NEAR(double(Grid->VertScrollPos()), double(len) / 2, double(len) / 1000);
    EXPECT_EQ(bar->Position(), Grid->VertScrollBar()->ToBar(Grid->VertScrollPos()));
    Grid->ScrollByCode(true, 7, 0, true);
    EXPECT_EQ(Grid->VertScrollPos(), len - V()->RolClientLen());
}

TEST_F(ScrollFixture, VerticalScrollRepaintsOnlyTheUncoveredStrip)
{
    Setup(40, 300, true);
    Grid->Invalidate();
    Drain();
    Grid->Cells.clear();
    Grid->Invalidate();
    Drain();
    const size_t full = Grid->Cells.size();
    ASSERT_GT(full, 60u);
    Grid->Cells.clear();
    Grid->ScrollByCode(true, 1, 0, true);   // 14 pixels: one new row at the bottom
    Drain();
    EXPECT_GT(Grid->Cells.size(), 0u);
    EXPECT_LE(Grid->Cells.size(), full / 4);
    for (const auto& c : Grid->Cells)
        EXPECT_GE(c.Rect.Bottom, 300 - 14 - 20) << c.Col << "," << c.Row;
    // With a background picture the grid repaints everything instead.
    Grid->BackgroundData()->SetVisible(true);
    Drain();
    Grid->Cells.clear();
    Grid->ScrollByCode(true, 1, 0, true);
    Drain();
    EXPECT_GE(Grid->Cells.size(), full);
}

TEST_F(ScrollFixture, PanningOverAZeroHeightRowDoesNotDivideByZero)
{
    Setup(20, 120, false);
    Grid->SetRowHeights(1, 0);
    Grid->PanBy(TPoint(10, 100), true);
    Grid->PanBy(TPoint(10, 40), false);
    EXPECT_GT(Grid->VertScrollPos(), 0);
}

TEST_F(ScrollFixture, CornerGripResizesTheFormOnlyInItsCorner)
{
    // Both bars show; the corner panel sits between them.
    Grid->SetBounds(0, 0, 200, 100);
    Grid->SetRowCount(30);
    Grid->SetColCount(10);
    TSizeGripPanelEh* corner = Grid->CornerScrollBarPanelControl();
    EXPECT_EQ(corner->Width(), 17);
    EXPECT_EQ(corner->Height(), 17);
    EXPECT_EQ(corner->GripActiveStatus(), gasAutoEh);
    EXPECT_FALSE(corner->IsActive());   // the grid is not in the form's corner
    // A grid filling the form puts the grip in the form's corner.
    Grid->SetBounds(0, 0, Form->ClientWidth(), Form->ClientHeight());
    EXPECT_TRUE(corner->IsActive());
    const int w = Form->Width(), h = Form->Height();
    corner->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    corner->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(25, 15));
    corner->Perform(WM_LBUTTONUP, 0, MAKELPARAM(25, 15));
    EXPECT_EQ(Form->Width(), w + 20);
    EXPECT_EQ(Form->Height(), h + 10);
    Grid->SetSizeGripAlwaysShow(true);
    EXPECT_EQ(corner->GripActiveStatus(), gasAlwaysEh);
}

namespace {
// Logs the presses that reach it, in its client coordinates.
class TPressLog : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    QStringList Log;
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override { Log << QStringLiteral("down %1,%2").arg(X).arg(Y); }
    void MouseMove(TShiftState, int X, int Y) override { Log << QStringLiteral("move %1,%2").arg(X).arg(Y); }
    void MouseUp(TMouseButton, TShiftState, int X, int Y) override { Log << QStringLiteral("up %1,%2").arg(X).arg(Y); }
};
} // namespace

TEST_F(GridFixture, TriangleGripTakesOnlyTheMouseInsideItsTriangle)
{
    auto* under = Create<TPressLog>(Form);
    under->SetParent(Form);
    under->SetBounds(0, 0, 300, 200);
    auto* grip = Create<TSizeGripPanelEh>(Form);
    grip->SetParent(under);
    grip->SetBounds(100, 50, 17, 17);
    grip->SetGripActiveStatus(gasAlwaysEh);
    grip->SetTriangleWindow(true);
    struct Case {
        TSizeGripPosition Pos;
        TPoint Corner, Opposite;
    } cases[] = {
        {sgpBottomRight, TPoint(16, 16), TPoint(0, 0)},
        {sgpBottomLeft, TPoint(0, 16), TPoint(16, 0)},
        {sgpTopLeft, TPoint(0, 0), TPoint(16, 16)},
        {sgpTopRight, TPoint(16, 0), TPoint(0, 16)},
    };
    for (const Case& k : cases) {
        grip->SetPosition(k.Pos);
        EXPECT_TRUE(grip->PtInGripRegion(k.Corner.X, k.Corner.Y)) << int(k.Pos);
        EXPECT_FALSE(grip->PtInGripRegion(k.Opposite.X, k.Opposite.Y)) << int(k.Pos);
        int inside = 0;
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 17; ++x)
                inside += grip->PtInGripRegion(x, y) ? 1 : 0;
        EXPECT_GT(inside, 17 * 17 * 2 / 5) << int(k.Pos);   // about half the square
        EXPECT_LT(inside, 17 * 17 * 3 / 5) << int(k.Pos);

        // Outside the triangle the press, the moves and the release go to the window beneath,
        // even when the mouse then crosses into the triangle.
        under->Log.clear();
        grip->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(k.Opposite.X, k.Opposite.Y));
        grip->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(k.Corner.X, k.Corner.Y));
        grip->Perform(WM_LBUTTONUP, 0, MAKELPARAM(k.Corner.X, k.Corner.Y));
        EXPECT_EQ(under->Log, QStringList({QStringLiteral("down %1,%2").arg(100 + k.Opposite.X).arg(50 + k.Opposite.Y),
                                           QStringLiteral("move %1,%2").arg(100 + k.Corner.X).arg(50 + k.Corner.Y),
                                           QStringLiteral("up %1,%2").arg(100 + k.Corner.X).arg(50 + k.Corner.Y)}))
            << int(k.Pos);
        // Inside, the grip keeps the mouse.
        under->Log.clear();
        grip->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(k.Corner.X, k.Corner.Y));
        EXPECT_TRUE(under->Log.isEmpty()) << int(k.Pos);
        EXPECT_EQ(grip->Cursor(), k.Pos == sgpTopLeft || k.Pos == sgpBottomRight ? crSizeNWSE : crSizeNESW);
        grip->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(k.Opposite.X, k.Opposite.Y));
        EXPECT_EQ(grip->Cursor(), crDefault);
    }
    // A square grip takes the whole square.
    grip->SetTriangleWindow(false);
    EXPECT_TRUE(grip->PtInGripRegion(16, 0) && grip->PtInGripRegion(0, 16));
    under->Log.clear();
    grip->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
    grip->Perform(WM_LBUTTONUP, 0, MAKELPARAM(0, 0));
    EXPECT_TRUE(under->Log.isEmpty());
}

// What is on the screen after a scroll (moved pixels plus the repainted strip) must be what a
// full repaint gives, in both reading directions (right to left the lines are drawn on a mirrored
// canvas and the scrolled block is mirrored too).
TEST_F(ScrollFixture, ScrolledPictureEqualsAFullRepaint)
{
    for (const bool rtl : {false, true}) {
        Setup(40, 300, true);
        Grid->SetBiDiMode(rtl ? bdRightToLeft : bdLeftToRight);
        Grid->SetColCount(12);   // wider than the grid: both bars
        Drain();
        auto shot = [&] { return QGuiApplication::primaryScreen()->grabWindow(Form->Widget()->winId()).toImage(); };
        struct Case {
            bool Vert;
            int Code;
        };
        // Right to left the bar's left arrow scrolls forward.
        const int forward = rtl ? SB_LINELEFT : SB_LINERIGHT, back = rtl ? SB_LINERIGHT : SB_LINELEFT;
        const Case cases[] = {{true, SB_LINEDOWN}, {true, SB_PAGEDOWN}, {true, SB_LINEUP}, {false, forward}, {false, back}};
        for (const Case& k : cases) {
            const QImage before = shot();
            Grid->ScrollByCode(k.Vert, k.Code, 0, true);
            Drain();
            const QImage scrolled = shot();
            Grid->Invalidate();
            Drain();
            const QImage full = shot();
            EXPECT_NE(before, full) << "rtl " << rtl << " " << k.Vert << " " << k.Code;   // the scroll moved something
            EXPECT_EQ(scrolled, full) << "rtl " << rtl << " " << k.Vert << " " << k.Code;
        }
    }
}
