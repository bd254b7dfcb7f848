#include "GridTestSupport.h"

using namespace gridtest;

namespace {

int RegionOf(TCustomGridEh* g, int c, int r)
{
    const int cx = c < g->FixedColCount() ? 0 : c < g->ColCount() ? 1 : 2;
    const int ry = r < g->FixedRowCount() ? 0 : r < g->RowCount() ? 1 : 2;
    static const int order[3][3] = {{1, 3, 7}, {2, 4, 8}, {5, 6, 9}};
    return order[cx][ry];
}

} // namespace

TEST_F(GridFixture, RegionsPaintInOrderWithFixedStates)
{
    Grid->SetBounds(0, 0, 500, 300);
    Grid->SetContraColCount(1);
    Grid->SetContraRowCount(2);
    Grid->Render();
    ASSERT_FALSE(Grid->Cells.empty());
    int last = 0;
    std::set<int> seen;
    for (const auto& c : Grid->Cells) {
        const int region = RegionOf(Grid, c.Col, c.Row);
        EXPECT_GE(region, last) << c.Col << "," << c.Row;
        last = region;
        seen.insert(region);
        EXPECT_EQ(c.State.Contains(gdFixed), region != 4) << c.Col << "," << c.Row;
    }
    EXPECT_EQ(seen.size(), 9u);

    // Without contra cells only the first four regions paint.
    Grid->SetContraColCount(0);
    Grid->SetContraRowCount(0);
    Grid->Render();
    for (const auto& c : Grid->Cells)
        EXPECT_LE(RegionOf(Grid, c.Col, c.Row), 4);
}

TEST_F(GridFixture, CellStatesAndZeroWidthColumns)
{
    Grid->SetColWidths(2, 0);
    Grid->SetCurrentCell(3, 2, false, false);
    Grid->Render();
    EXPECT_EQ(Grid->Find(2, 1), nullptr);
    const auto* cur = Grid->Find(3, 2);
    ASSERT_NE(cur, nullptr);
    EXPECT_TRUE(cur->State.Contains(gdCurrent));
    EXPECT_TRUE(cur->State.Contains(gdSelected));
    EXPECT_EQ(cur->State.Contains(gdFocused), Grid->Focused());
    EXPECT_FALSE(Grid->Find(4, 2)->State.Contains(gdRowSelected));

    TGridOptionsEh o = Grid->Options();
    o.Include(goRowSelectEh);
    Grid->SetOptions(o);
    Grid->Render();
    for (int c = 0; c < Grid->ColCount(); ++c)
        if (const auto* k = Grid->Find(c, 2)) {
            EXPECT_TRUE(k->State.Contains(gdRowSelected)) << c;
        }
    EXPECT_FALSE(Grid->Find(3, 1)->State.Contains(gdRowSelected));
}

TEST_F(GridFixture, EmptySpaceBandsPerRowAndTheCorner)
{
    Grid->SetBounds(0, 0, 400, 200);   // 6 x 50 columns and 6 x 20 rows end early
    Grid->SetContraRowCount(1);
    Grid->Render();
    // Columns end at 300, the contra row starts at 200 - 20 - 1 (boundary line).
    const QStringList expected = {
        "-1,0 300,0,400,20",   "-1,1 300,20,400,40",   "-1,2 300,40,400,60",  "-1,3 300,60,400,80",
        "-1,4 300,80,400,100", "-1,5 300,100,400,120", "-1,-1 300,120,400,179", "-1,6 300,179,400,200",
    };
    ASSERT_GE(Grid->Empty.size(), expected.size());
    EXPECT_EQ(Grid->Empty.mid(0, expected.size()), expected);
    // Then the bands below the last row, one per column.
    EXPECT_TRUE(Grid->Empty.contains("0,-1 0,120,50,179"));
    EXPECT_TRUE(Grid->Empty.contains("5,-1 250,120,300,179"));
}

namespace {
class TLineGrid : public TTestGrid {
public:
    using TTestGrid::TTestGrid;
    TColor Right = clRed, Bottom = clNavy;
    void GetGridLineParams(int c, int r, TGridCellBorderTypeEh t, bool& v, TColor& col, bool& ext) override
    {
        TTestGrid::GetGridLineParams(c, r, t, v, col, ext);
        if (c >= FixedColCount() && r >= FixedRowCount())
            col = t == cbtRightEh ? Right : Bottom;
    }
};
}

TEST_F(GridFixture, CornerPixelTakesTheDarkerLine)
{
    auto* g = Create<TLineGrid>(Form);
    g->SetBorderStyle(bsNone);
    g->SetParent(Form);
    g->SetBounds(0, 0, 300, 120);
    QImage img = g->Render();
    // Cell (1,1) spans 50..100 x 20..40: its corner pixel is (99, 39).
    EXPECT_EQ(vcltest::Rgb(img, 99, 39), vcltest::ToRgb(ColorToRGB(clNavy)));
    EXPECT_EQ(vcltest::Rgb(img, 99, 30), vcltest::ToRgb(ColorToRGB(clRed)));
    g->Right = clBlack;
    img = g->Render();
    EXPECT_EQ(vcltest::Rgb(img, 99, 39), 0u);
}

TEST_F(GridFixture, DataLinesTurnGrayOnASilverGrid)
{
    Grid->SetBounds(0, 0, 300, 120);
    QImage img = Grid->Render();
    EXPECT_EQ(vcltest::Rgb(img, 99, 30), 0xC0C0C0u);
    EXPECT_EQ(vcltest::Rgb(img, 49, 30), 0x808080u);   // the fixed column's line
    Grid->SetColor(clSilver);
    img = Grid->Render();
    EXPECT_EQ(vcltest::Rgb(img, 99, 30), 0x808080u);
}

TEST_F(GridFixture, MarginsPaintWithTheFixedColour)
{
    Grid->SetBounds(0, 0, 300, 150);
    Grid->OutBoundaryData()->SetTopIndent(10);
    Grid->OutBoundaryData()->SetLeftIndent(5);
    EXPECT_EQ(Grid->CellRectEx(0, 0), TRect(5, 10, 55, 30));
    const QImage img = Grid->Render();
    EXPECT_EQ(vcltest::Rgb(img, 200, 5), vcltest::ToRgb(ColorToRGB(clBtnFace)));
    EXPECT_EQ(vcltest::Rgb(img, 2, 100), vcltest::ToRgb(ColorToRGB(clBtnFace)));
}

// Where both contra boundary lines meet, the corner pixel closes the cross; right to left the
// picture around it is the mirror of the left-to-right one.
TEST_F(GridFixture, ContraBoundaryCornerIsMirroredRightToLeft)
{
    Grid->SetBounds(0, 0, 400, 200);
    Grid->SetColCount(12);
    Grid->SetRowCount(14);
    Grid->SetContraColCount(1);
    Grid->SetContraRowCount(1);
    TGridOptionsEh o = Grid->Options();
    o.Include(goContraVertBoundaryLineEh);
    o.Include(goContraHorzBoundaryLineEh);
    Grid->SetOptions(o);
    const QImage ltr = Grid->Render();
    Grid->SetBiDiMode(bdRightToLeft);
    const QImage rtl = Grid->Render();
    const int x = Grid->HorzAxis()->ContraStart(), y = Grid->VertAxis()->ContraStart();
    const int w = ltr.width();
    EXPECT_NE(ltr.pixel(x, y), ltr.pixel(x - 1, y - 1));   // the corner is painted
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            EXPECT_EQ(rtl.pixel(w - 1 - (x + dx), y + dy), ltr.pixel(x + dx, y + dy)) << dx << "," << dy;
}
