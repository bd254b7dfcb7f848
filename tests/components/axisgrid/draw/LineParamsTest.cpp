// Line parameters: data lines that follow the grid's option until written, the colour scheme's
// dark and bright colours, and the colour of the data area's boundary.
#include "components/axisgrid/DBAxisGridsEh.h"
#include "support/AppEnvironment.h"

#include <gtest/gtest.h>

namespace {

// What a descendant grid supplies: the defaults from its options and its actual scheme.
class TOptionLineParams : public TDBAxisGridLineParamsEh {
public:
    TOptionLineParams() : TDBAxisGridLineParamsEh(nullptr) {}
    bool RowLines = true;
    bool ColLines = false;
    TDBGridLinesColorSchemeEh Scheme = glcsClassicEh;
    bool DefaultDataHorzLines() override { return RowLines; }
    bool DefaultDataVertLines() override { return ColLines; }
    TDBGridLinesColorSchemeEh GetActualColorScheme() override { return Scheme; }
};

TEST(LineParams, DataLinesFollowTheOptionUntilWrittenAndAgainWhenUnstored)
{
    TOptionLineParams p;
    EXPECT_TRUE(p.DataHorzLines());
    p.RowLines = false;
    EXPECT_FALSE(p.DataHorzLines()) << "not stored: the option decides";

    p.SetDataHorzLines(true);
    EXPECT_TRUE(p.DataHorzLinesStored());
    p.RowLines = false;
    EXPECT_TRUE(p.DataHorzLines()) << "written: the option no longer decides";

    p.SetDataHorzLinesStored(false);
    EXPECT_FALSE(p.DataHorzLinesStored());
    EXPECT_FALSE(p.DataHorzLines()) << "back to the option";

    // Storing keeps the value the option gave at that moment.
    p.RowLines = true;
    p.SetDataHorzLinesStored(true);
    p.RowLines = false;
    EXPECT_TRUE(p.DataHorzLines());

    // The vertical lines are kept apart.
    EXPECT_FALSE(p.DataVertLines());
    p.SetDataVertLines(true);
    p.ColLines = false;
    EXPECT_TRUE(p.DataVertLines());
    EXPECT_TRUE(p.DataHorzLinesStored());
}

TEST(LineParams, TheBaseAsksForADescendant)
{
    TDBAxisGridLineParamsEh p(nullptr);
    const auto message = [](auto f) {
        try {
            f();
        } catch (const Exception& e) {
            return e.Message();
        }
        return QString();
    };
    EXPECT_EQ(message([&] { p.DataHorzLines(); }), QStringLiteral("Realize DefaultDataHorzLines in an inherited class"));
    EXPECT_EQ(message([&] { p.DataVertLines(); }), QStringLiteral("Realize DefaultDataVertLines in an inherited class"));
    EXPECT_EQ(message([&] { p.GetActualColorScheme(); }),
              QStringLiteral("Realize GetActualColorScheme in an inherited class"));
    // A value written stands without asking.
    p.SetDataHorzLines(false);
    EXPECT_FALSE(p.DataHorzLines());
}

TEST(LineParams, DarkColourByScheme)
{
    TOptionLineParams p;
    const struct {
        TDBGridLinesColorSchemeEh scheme;
        TColor dark;
    } cases[] = {
        {glcsFlatEh, TColor(RGB(128, 128, 128))},
        {glcsThemedEh, TColor(RGB(203, 199, 184))},
        {glcsClassicEh, clBlack},   // styles off in tests
        {glcsDefaultEh, clBlack},
    };
    for (const auto& c : cases) {
        p.Scheme = c.scheme;
        EXPECT_EQ(p.GetDarkColor(), c.dark) << int(c.scheme);
    }
    p.SetDarkColor(clRed);
    EXPECT_EQ(p.GetDarkColor(), clRed) << "the user's colour wins";
}

TEST(LineParams, BoundaryIsTheDarkColourForEqualLinesAndTheDarkerOtherwise)
{
    TOptionLineParams p;
    p.Scheme = glcsFlatEh;
    // Both lines derived from the bright colour: equal.
    EXPECT_EQ(p.GetDataBoundaryColor(), TColor(RGB(128, 128, 128)));
    p.SetDataVertColor(clYellow);
    p.SetDataHorzColor(clYellow);
    EXPECT_EQ(p.GetDataBoundaryColor(), TColor(RGB(128, 128, 128)));

    p.SetDataHorzColor(clNavy);
    EXPECT_EQ(p.GetDataBoundaryColor(), clNavy) << "the darker of the two";
    p.SetDataVertColor(clMaroon);
    p.SetDataHorzColor(clSilver);
    EXPECT_EQ(p.GetDataBoundaryColor(), clMaroon);
    // Equal luminance: the vertical colour.
    p.SetDataHorzColor(TColor(RGB(10, 0, 0)));
    p.SetDataVertColor(TColor(RGB(10, 0, 1)));
    EXPECT_EQ(ColorLuminance(TColor(RGB(10, 0, 0))), ColorLuminance(TColor(RGB(10, 0, 1))));
    EXPECT_EQ(p.GetDataBoundaryColor(), TColor(RGB(10, 0, 1)));

    p.SetDataBoundaryColor(clGreen);
    EXPECT_EQ(p.GetDataBoundaryColor(), clGreen) << "set by the user";
}

TEST(LineParams, SettersKeepTheirValues)
{
    TOptionLineParams p;
    EXPECT_EQ(p.ColorScheme(), glcsDefaultEh);
    EXPECT_EQ(p.VertEmptySpaceStyle(), dessGradiendEh);
    EXPECT_FALSE(p.GridBoundaries());
    p.SetColorScheme(glcsFlatEh);
    p.SetVertEmptySpaceStyle(dessSolidEh);
    p.SetGridBoundaries(true);
    TOptionLineParams copy;
    copy.Assign(&p);
    EXPECT_EQ(copy.ColorScheme(), glcsFlatEh);
    EXPECT_EQ(copy.VertEmptySpaceStyle(), dessSolidEh);
    EXPECT_TRUE(copy.GridBoundaries());
}

}  // namespace
