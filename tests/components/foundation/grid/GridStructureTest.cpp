#include "GridTestSupport.h"

#include "platform/rtl/Filer.h"

using namespace gridtest;

TEST_F(GridFixture, NewGridShape)
{
    auto gHolder = CreateUnique<TTestGrid>(nullptr);
    TTestGrid& g = *gHolder;
    EXPECT_EQ(g.ColCount(), 6);
    EXPECT_EQ(g.RowCount(), 6);
    EXPECT_EQ(g.Width(), 300);
    EXPECT_EQ(g.Height(), 120);
    EXPECT_EQ(g.CurCell(), GridCoord(1, 1));
    EXPECT_EQ(g.AnchorCell(), GridCoord(1, 1));
    EXPECT_EQ(g.DefaultColWidth(), 50);
    EXPECT_EQ(g.DefaultRowHeight(), 20);
    EXPECT_TRUE(g.Options().Contains(goContraHorzBoundaryLineEh));
    EXPECT_FALSE(g.Options().Contains(goRangeSelectEh));
    EXPECT_EQ(g.HorzScrollBarPanelControl()->Name(), "HorzScrollBarPanelControl");
    EXPECT_EQ(g.CornerScrollBarPanelControl()->Name(), "CornerScrollBarPanelControl");
}

TEST_F(GridFixture, CurrentCellChecksAndRefusals)
{
    EXPECT_EQ(ErrorOf([&] { Grid->SetCurrentCell(Grid->ColCount(), 1, false, false); }), "Grid index out of range");
    EXPECT_THROW(Grid->SetCurrentCell(1, -1, false, false), EInvalidGridOperationEh);
    Grid->Selectable = [](int c, int) { return c != 3; };
    Grid->SetCurrentCell(3, 2, true, true);
    EXPECT_EQ(Grid->CurCell(), GridCoord(1, 1));
    Grid->SetCurrentCell(2, 3, true, true);
    EXPECT_EQ(Grid->CurCell(), GridCoord(2, 3));
    EXPECT_EQ(Grid->AnchorCell(), GridCoord(2, 3));

    // The anchor reaches contra cells, the current cell does not.
    Grid->SetContraColCount(2);
    Grid->SetAnchorCell(Grid->FullColCount() - 1, 2);
    EXPECT_EQ(Grid->AnchorCell().X, 7);
    EXPECT_TRUE(Grid->HasRangeSelection());
    EXPECT_EQ(ErrorOf([&] { Grid->SetAnchorCell(Grid->FullColCount(), 2); }),
              "TCustomGridEh.SetAnchorCell: Grid index out of range");
    EXPECT_THROW(Grid->SetCurrentCell(Grid->ColCount(), 2, false, false), EInvalidGridOperationEh);
}

TEST_F(GridFixture, RowSelectDropsAlwaysShowEditor)
{
    TGridOptionsEh o = Grid->Options();
    o.Include(goRowSelectEh);
    o.Include(goAlwaysShowEditorEh);
    Grid->SetOptions(o);
    EXPECT_TRUE(Grid->Options().Contains(goRowSelectEh));
    EXPECT_FALSE(Grid->Options().Contains(goAlwaysShowEditorEh));
}

TEST_F(GridFixture, FrozenColumnsStayReachable)
{
    Grid->SetFixedColCount(2);
    Grid->SetFrozenColCount(1);
    Grid->SetCurrentCell(0, 1, false, false);
    Grid->ClampCurrentCell();
    EXPECT_EQ(Grid->Col(), 1);
    // Fewer fixed cells than frozen ones: the frozen count follows.
    EXPECT_THROW(Grid->SetFrozenColCount(3), EInvalidGridOperationEh);
    Grid->SetFixedColCount(0);
    EXPECT_EQ(Grid->FrozenColCount(), 0);
    EXPECT_EQ(ErrorOf([&] { Grid->SetFixedRowCount(-1); }), "RolRowCount can be less then 0");
}

TEST_F(GridFixture, ColumnMoveKeepsTheLogicalCurrentColumn)
{
    struct Case { int Current, From, To, Expected; };
    const Case cases[] = {{3, 2, 5, 2}, {2, 2, 5, 5}, {4, 5, 2, 5}, {1, 2, 5, 1}};
    for (const Case& c : cases) {
        Grid->SetColCount(8);
        Grid->SetCurrentCell(c.Current, 1, false, false);
        Grid->MoveColExtent(c.From, c.To);
        EXPECT_EQ(Grid->Col(), c.Expected) << c.Current << " " << c.From << "->" << c.To;
        EXPECT_EQ(Grid->AnchorCell(), Grid->CurCell());
    }
}

TEST_F(GridFixture, DeletingRowsAndColumnsOnlyFromTheRollingArea)
{
    Grid->SetRowCount(4);
    Grid->SetRowHeights(2, 33);
    Grid->DeleteRow(2);
    EXPECT_EQ(Grid->RowCount(), 3);
    EXPECT_EQ(Grid->RowHeights(2), 20);
    Grid->SetContraRowCount(1);
    for (int bad : {0, 3, 4, -1})
        EXPECT_EQ(ErrorOf([&] { Grid->DeleteRow(bad); }), "Grid index out of range") << bad;
    Grid->DeleteRow(2);
    EXPECT_EQ(ErrorOf([&] { Grid->DeleteRow(1); }), "Grid index out of range");   // the last rolling row
    EXPECT_EQ(Grid->RowCount(), 2);

    Grid->SetColWidths(2, 70);
    Grid->DeleteCol(2);
    EXPECT_EQ(Grid->ColCount(), 5);
    EXPECT_EQ(Grid->ColWidths(2), 50);
    EXPECT_THROW(Grid->DeleteCol(0), EInvalidGridOperationEh);
    EXPECT_THROW(Grid->SetLeftCol(0), EInvalidGridOperationEh);
    EXPECT_THROW(Grid->SetTopRow(Grid->RowCount()), EInvalidGridOperationEh);
}

TEST_F(GridFixture, CellRectanglesOverAreas)
{
    Grid->SetBounds(0, 0, 300, 140);
    Grid->SetColCount(10);
    Grid->SetContraColCount(1);
    Grid->SetColWidths(10, 30);
    // Contra area: 30 pixels plus the boundary line at the right edge.
    EXPECT_EQ(Grid->HorzAxis()->ContraStart(), 300 - 31 - (Grid->VertScrollBar()->IsScrollBarShowing() ? 17 : 0));
    EXPECT_EQ(Grid->CellRectEx(0, 0), TRect(0, 0, 50, 20));
    EXPECT_EQ(Grid->CellRectEx(2, 1), TRect(100, 20, 150, 40));
    const int cs = Grid->HorzAxis()->ContraStart();
    EXPECT_EQ(Grid->CellRectEx(10, 1), TRect(cs, 20, cs + 30, 40));
    // A column cut by the contra area is clipped to it.
    const TRect cut = Grid->CellRectEx(5, 1);
    EXPECT_EQ(cut.Right, cs);
    Grid->SetLeftCol(3);
    EXPECT_EQ(Grid->CellRectEx(3, 1).Left, 50);
    EXPECT_LE(Grid->CellRectEx(2, 1).Width(), 0);   // scrolled out to the left
    EXPECT_EQ(Grid->CellAtPoint(60, 25), GridCoord(3, 1));
    EXPECT_EQ(Grid->CellAtPoint(cs + 1, 25), GridCoord(10, 1));
    EXPECT_EQ(Grid->CellAtPoint(-1, 25), GridCoord(-1, 1));
}

TEST_F(GridFixture, DrawStyleAttachment)
{
    TGridDrawStyleEh* def = GetDefaultGridDrawStyle();
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(Grid->DrawStyle(), def);
    EXPECT_TRUE(def->GridInChangeNotification(Grid));
    auto* own = Create<TGridDrawStyleEh>(nullptr);
    Grid->SetDrawStyle(own);
    EXPECT_FALSE(def->GridInChangeNotification(Grid));
    EXPECT_TRUE(own->GridInChangeNotification(Grid));
    delete own;   // the grid goes back to the default style
    EXPECT_EQ(Grid->DrawStyle(), def);
    EXPECT_TRUE(def->GridInChangeNotification(Grid));
}

TEST_F(GridFixture, CellExtentsGoWithTheComponentWhenAsked)
{
    Grid->SetSaveCellExtents(true);
    Grid->SetColWidths(2, 77);
    Grid->SetRowHeights(3, 33);
    TMemoryStream s;
    {
        TWriter w(&s);
        w.WriteProperties(Grid);
        w.WriteListEnd();
    }
    s.SetPosition(0);
    auto otherHolder = CreateUnique<TTestGrid>(nullptr);
    TTestGrid& other = *otherHolder;
    other.SetSaveCellExtents(true);
    {
        TReader r(&s);
        while (!r.EndOfList())
            r.ReadProperty(&other);
    }
    EXPECT_EQ(other.ColWidths(2), 77);
    EXPECT_EQ(other.RowHeights(3), 33);
    EXPECT_EQ(other.ColWidths(1), 50);
}

TEST_F(GridFixture, RightToLeftMirrorsHitsAndRectangles)
{
    Grid->SetBounds(0, 0, 400, 200);
    Grid->SetBiDiMode(bdRightToLeft);
    // Column 0 is at the right edge: client 350..400.
    EXPECT_EQ(Grid->CellAtPoint(390, 10), GridCoord(0, 0));
    EXPECT_EQ(Grid->CellAtPoint(340, 30), GridCoord(1, 1));
    EXPECT_EQ(Grid->CellRectEx(1, 1), TRect(300, 20, 350, 40));
    Grid->Render();
    const auto* c = Grid->Find(1, 1);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Rect, TRect(50, 20, 100, 40));   // drawn on the mirrored canvas
    Grid->LockPaint();
    Grid->Render();
    EXPECT_TRUE(Grid->Cells.empty());
    Grid->UnlockPaint();
    Grid->UnlockPaint();   // never below zero
    EXPECT_EQ(Grid->PaintLockCount(), 0);
}

namespace {

// A descendant that supplies its own parts, as the data-aware grid does.
class TOwnPartsGrid : public TTestGrid {
public:
    explicit TOwnPartsGrid(TComponent* AOwner) : TTestGrid(AOwner) {}
    struct TMyScrollBar : TGridScrollBarEh {
        using TGridScrollBarEh::TGridScrollBarEh;
    };
    struct TMyLineColors : TGridLineColorsEh {
        using TGridLineColorsEh::TGridLineColorsEh;
    };
    QStringList Made;
    TGridScrollBarEh* CreateScrollBar(TScrollBarKind AKind) override
    {
        Made << (AKind == sbHorizontal ? QStringLiteral("horz bar") : QStringLiteral("vert bar"));
        return new TMyScrollBar(this, AKind);
    }
    TGridLineColorsEh* CreateGridLineColors() override
    {
        Made << QStringLiteral("line colors");
        return new TMyLineColors(this);
    }
    TGridScrollBarPanelControlEh* CreateHorzScrollBarPanel() override
    {
        Made << QStringLiteral("horz panel");
        return TTestGrid::CreateHorzScrollBarPanel();
    }
    TSizeGripPanelEh* CreateCornerPanel() override
    {
        Made << QStringLiteral("corner");
        return TTestGrid::CreateCornerPanel();
    }
    bool LaidOut = false;
    void UpdateBoundaries() override
    {
        LaidOut = true;
        TTestGrid::UpdateBoundaries();
    }
};

}  // namespace

TEST_F(GridFixture, DescendantFactoriesRunWhileTheGridIsCreated)
{
    auto g = CreateUnique<TOwnPartsGrid>(Form);
    EXPECT_EQ(g->Made, QStringList({"horz bar", "vert bar", "line colors", "horz panel", "corner"}));
    EXPECT_TRUE(g->LaidOut);
    EXPECT_NE(dynamic_cast<TOwnPartsGrid::TMyScrollBar*>(g->HorzScrollBar()), nullptr);
    EXPECT_NE(dynamic_cast<TOwnPartsGrid::TMyScrollBar*>(g->VertScrollBar()), nullptr);
    EXPECT_NE(dynamic_cast<TOwnPartsGrid::TMyLineColors*>(g->GridLineColors()), nullptr);
    EXPECT_EQ(g->HorzScrollBarPanelControl()->Parent(), g.get());
    EXPECT_EQ(g->CornerScrollBarPanelControl()->Name(), "CornerScrollBarPanelControl");
}
