#include "GridTestSupport.h"

#include "platform/vcl/Themes.h"

using namespace gridtest;

TEST_F(GridFixture, LineColourDefaults)
{
    TGridLineColorsEh* lc = Grid->GridLineColors();
    EXPECT_EQ(lc->GetBrightColor(), TColor(RGB(192, 192, 192)));
    EXPECT_EQ(lc->GetDarkColor(), TColor(RGB(128, 128, 128)));
    EXPECT_EQ(lc->GetAreaLineColor(2, 2), lc->GetBrightColor());
    EXPECT_EQ(lc->GetAreaLineColor(0, 2), lc->GetDarkColor());
    EXPECT_EQ(lc->GetFixedVertColor(), lc->GetDarkColor());
    lc->SetDarkColor(clRed);
    EXPECT_EQ(lc->GetVertAreaContraBorderColor(), clRed);
    Grid->SetColor(clSilver);
    EXPECT_EQ(lc->GetBrightColor(), TColor(RGB(128, 128, 128)));
    lc->SetBrightColor(clBlue);
    EXPECT_EQ(lc->GetDataVertColor(), clBlue);
}

TEST_F(GridFixture, MarginRectangles)
{
    Grid->SetBounds(0, 0, 300, 200);
    TGridOutBoundaryDataEh* m = Grid->OutBoundaryData();
    TRect r(1, 2, 3, 4);
    EXPECT_FALSE(m->GetOutBoundaryRect(r, cbtTopEh));
    EXPECT_EQ(r, TRect(1, 2, 3, 4));
    m->SetTopIndent(10);
    m->SetLeftIndent(5);
    ASSERT_TRUE(m->GetOutBoundaryRect(r, cbtTopEh));
    EXPECT_EQ(r, TRect(0, 0, 300, 10));
    ASSERT_TRUE(m->GetOutBoundaryRect(r, cbtLeftEh));
    EXPECT_EQ(r, TRect(0, 10, 5, 200));
    m->SetLeftTopDrawPriority(crpVerticalDataPriorityEh);
    m->GetOutBoundaryRect(r, cbtTopEh);
    EXPECT_EQ(r, TRect(5, 0, 300, 10));
    m->GetOutBoundaryRect(r, cbtLeftEh);
    EXPECT_EQ(r, TRect(0, 0, 5, 200));
    EXPECT_FALSE(m->GetOutBoundaryRect(r, cbtRightEh));
    EXPECT_EQ(Grid->HorzAxis()->GridClientStart(), 5);
    EXPECT_EQ(Grid->VertAxis()->GridClientStart(), 10);
}

TEST(GridBackground, ImagePlacement)
{
    const TRect area(0, 0, 400, 300);
    struct Case { TImagePlacementEh P; int W, H; TRect Expected; };
    const Case cases[] = {
        {ipFillEh, 200, 100, TRect(-100, 0, 500, 300)},
        {ipFitEh, 200, 100, TRect(0, 50, 400, 250)},
        {ipReduceFitEh, 200, 100, TRect(100, 100, 300, 200)},
        {ipReduceFitEh, 800, 200, TRect(0, 100, 400, 200)},
        {ipStretchEh, 200, 100, TRect(0, 0, 400, 300)},
        {ipBottomRightEh, 200, 100, TRect(200, 200, 400, 300)},
        {ipTopCenterEh, 200, 100, TRect(100, 0, 300, 100)},
        {ipFillEh, 0, 0, TRect(0, 0, 400, 300)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TGridBackgroundDataEh::CalcImageRectFor(area, c.W, c.H, c.P, 0, 0), c.Expected) << int(c.P);
    EXPECT_EQ(TGridBackgroundDataEh::CalcImageRectFor(area, 10, 10, ipTopLeftEh, 3, 4), TRect(3, 4, 13, 14));
}

TEST_F(GridFixture, SelectionStylesWithoutThemes)
{
    SetStyleServicesEnabled(false);
    TGridDrawStyleEh* ds = GetDefaultGridDrawStyle();
    ds->SetSelectionStyle(gsdsListViewThemedEh);
    EXPECT_EQ(ds->GetActualSelectionStyle(), gsdsClassicEh);
    EXPECT_TRUE(ds->DrawFocusFrame());
    Grid->SelectionDrawParams()->SetSelectionStyle(gsdsGridThemedEh);
    EXPECT_EQ(Grid->SelectionDrawParams()->GetActualSelectionStyle(), gsdsGridThemedEh);
    EXPECT_FALSE(Grid->SelectionDrawParams()->DrawFocusFrame());
    ds->SetSelectionStyle(gsdsDefaultEh);
    ds->SetDrawFocusFrame(false);
    EXPECT_FALSE(ds->DrawFocusFrame());
    ds->SetDrawFocusFrameStored(false);
    EXPECT_TRUE(ds->DrawFocusFrame());
}
