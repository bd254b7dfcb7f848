// Row panel mode: the places of the columns inside the panel cell from their lines, hidden
// columns, scaling that keeps neighbours touching, and hit-testing inside the cell.
#include "support/DBGridFixtures.h"

using namespace testsupport;

namespace {

class RowPanel : public DBGridOnForm {
public:
    // Columns with the given widths, line positions and line heights.
    void MakeColumns(std::initializer_list<std::array<int, 3>> Specs)
    {
        grid->BeginLayout();
        grid->Columns()->Clear();
        for (const auto& s : Specs) {
            TColumnEh* c = grid->Columns()->Add();
            c->SetWidth(s[0]);
            c->SetInRowLinePos(s[1]);
            c->SetInRowLineHeight(s[2]);
        }
        grid->EndLayout();
        grid->Columns()->RelayoutCellsInRowPanel();
    }
    const TColumnEhInRowPanelPlacement& At(int I) { return grid->Columns()->Items(I)->InRowPanelPlacement(); }
    int Line() { return grid->GridLineWidth(); }
};

}  // namespace

TEST_F(RowPanel, ColumnsTakeTheirLinesLeftToRight)
{
    // Two side by side on line 0, one at the left of line 1, and one over lines 0 and 1 that
    // starts right of the wider of them.
    MakeColumns({{50, 0, 1}, {60, 0, 1}, {150, 1, 1}, {40, 0, 2}});
    const int g = Line();
    const int h = grid->InRowPanelLineHeight();
    struct Expected {
        int left, top, width, height;
    };
    const Expected expected[] = {
        {0, 0, 50, (g + h) - 1},
        {50 + g, 0, 60, (g + h) - 1},
        {0, g + h, 150, (g + h) - 1},
        {150 + g, 0, 40, 2 * (g + h) - 1},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(At(i).Left, expected[i].left) << i;
        EXPECT_EQ(At(i).Top, expected[i].top) << i;
        EXPECT_EQ(At(i).Width, expected[i].width) << i;
        EXPECT_EQ(At(i).Height, expected[i].height) << i;
        EXPECT_EQ(At(i).DataCellLeft, At(i).Left) << i;
        EXPECT_EQ(At(i).DataCellWidth, At(i).Width) << i;
    }
    EXPECT_EQ(grid->RowPanelMasterCellWidth(), 150 + g + 40);
    EXPECT_EQ(grid->RowPanelMasterCellHeight(), 2 * (g + h) - 1);
}

TEST_F(RowPanel, AHiddenColumnTakesNoRoomAndOddLinesReadAsTheFirst)
{
    MakeColumns({{50, 0, 1}, {70, 0, 1}, {30, 0, 1}});
    grid->Columns()->Items(1)->SetVisible(false);
    grid->Columns()->RelayoutCellsInRowPanel();
    EXPECT_EQ(At(1).Width, 0);
    EXPECT_EQ(At(2).Left, At(1).Left);
    EXPECT_EQ(At(2).Left, 50 + Line());

    TColumnEh* c = grid->Columns()->Items(0);
    c->SetInRowLinePos(-3);
    c->SetInRowLineHeight(0);
    EXPECT_EQ(c->InRowLinePos(), 0);
    EXPECT_EQ(c->InRowLineHeight(), 1);
    c->SetInRowLineHeight(-2);
    EXPECT_EQ(c->InRowLineHeight(), 1);
}

TEST_F(RowPanel, ScalingKeepsTouchingColumnsTouching)
{
    MakeColumns({{50, 0, 1}, {50, 0, 1}, {33, 0, 1}});
    const int g = Line();
    for (const auto& ratio : {std::pair{2, 3}, std::pair{3, 7}, std::pair{7, 5}}) {
        grid->Columns()->ScaleWidths(ratio.first, ratio.second);
        for (int i = 0; i + 1 < 3; ++i)
            EXPECT_EQ(At(i).Left + At(i).Width + g, At(i + 1).Left) << ratio.first << "/" << ratio.second;
    }
}

TEST_F(RowPanel, HitTestingFindsTheColumnUnderAPoint)
{
    MakeColumns({{50, 0, 1}, {60, 0, 1}, {150, 1, 1}});
    const int h = grid->InRowPanelLineHeight();
    EXPECT_EQ(grid->GetColumnInRowPanelAtPos(TPoint(10, 2), true), grid->Columns()->Items(0));
    EXPECT_EQ(grid->GetColumnInRowPanelAtPos(TPoint(60, 2), false), grid->Columns()->Items(1));
    EXPECT_EQ(grid->GetColumnInRowPanelAtPos(TPoint(100, h + 3), false), grid->Columns()->Items(2));
    // Right of the second column on line 0 nothing lies.
    EXPECT_EQ(grid->GetColumnInRowPanelAtPos(TPoint(140, 2), true), nullptr);
    TRect r;
    EXPECT_EQ(grid->GetCellRectInRowPanelAtPos(TPoint(100, h + 3), r, false), grid->Columns()->Items(2));
    EXPECT_EQ(r, TRect(0, At(2).Top, 150, At(2).Top + At(2).Height));
    EXPECT_EQ(grid->GetCellRectInRowPanelAtPos(TPoint(140, 2), r, false), nullptr);
    EXPECT_EQ(r, TRect(0, 0, 0, 0));
}

TEST_F(RowPanel, SwitchingTheModeOnMakesTheFirstColumnCurrent)
{
    MakeColumns({{50, 0, 1}, {60, 0, 1}});
    grid->SetCol(grid->IndicatorOffset() + 1);
    grid->RowPanel()->SetActive(true);
    EXPECT_TRUE(grid->RowPanelActive());
    EXPECT_EQ(grid->Col(), grid->IndicatorOffset());
    // Another row panel copies Active alone.
    auto other = std::make_unique<TGridRowPanelEh>(grid);
    other->SetNavKeysNavigationType(rpntCellToCellEh);
    grid->SetRowPanel(other.get());
    EXPECT_FALSE(grid->RowPanelActive());
    EXPECT_EQ(grid->RowPanel()->NavKeysNavigationType(), rpntRowToRowEh);
}
