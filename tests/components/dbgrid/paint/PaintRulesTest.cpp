// The painters' rules that need no grid: record numbers of the indicator, transparency of
// in-cell buttons, the room of a title's sort marker and the text offsets of data cells.
#include "components/dbgrid/DBGridEh_Paint.h"

#include <gtest/gtest.h>

namespace {

const QString Dot = QStringLiteral("\u00B7");

TEST(IndicatorRecNo, StepTenOverNinetyFiveRecords)
{
    // Numbers on 1, the multiples of 10, the last record and the current row; "-" half way.
    const int current = 37;
    for (int n = 1; n <= 95; ++n) {
        QString want;
        if (n == 1 || n % 10 == 0 || n == 95 || n == current)
            want = QString::number(n);
        else if (n % 10 == 5)
            want = QStringLiteral("-");
        else
            want = Dot;
        EXPECT_EQ(IndicatorRecNoTextEh(n, 10, 95, n == current), want) << n;
    }
}

TEST(IndicatorRecNo, Cases)
{
    struct Case {
        int RecNo, Step, Last;
        bool Current;
        QString Want;
    };
    const Case cases[] = {
        {0, 1, 10, true, QString()},          // below 1: nothing, also for the current row
        {-3, 1, 10, false, QString()},
        {7, 1, 10, false, QStringLiteral("7")},   // the default step numbers every row
        {4, 3, 10, false, Dot},               // odd steps have no half-step dash
        {5, 3, 10, false, Dot},
        {6, 3, 10, false, QStringLiteral("6")},
        {2, 4, 10, false, QStringLiteral("-")},
        {3, 4, 10, false, Dot},
        {10, 4, 10, false, QStringLiteral("10")},  // the last record
        // A step of 0 or below has no multiples: the other rows show dots, nothing is divided by it.
        {5, 0, 10, false, Dot},
        {6, 0, 10, false, Dot},
        {6, -2, 10, false, Dot},
        {1, 0, 10, false, QStringLiteral("1")},
        {4, 0, 10, true, QStringLiteral("4")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IndicatorRecNoTextEh(c.RecNo, c.Step, c.Last, c.Current), c.Want)
            << c.RecNo << " step " << c.Step;
}

TEST(DataCellButtons, Transparency)
{
    struct Case {
        bool Designing, FilterEditing, Focused, RowHighlight, Hot;
        int Want;
    };
    const Case cases[] = {
        {false, false, true, false, false, 0},    // the focused cell: opaque
        {false, false, false, true, false, 0},    // the highlighted current row: opaque
        {false, false, false, false, true, 30},   // under the mouse
        {false, false, false, false, false, 80},  // any other cell
        {false, true, true, false, false, 80},    // the filter row is being edited
        {false, true, true, false, true, 30},
        {true, false, true, false, false, 30},    // at design time always 30
    };
    for (const Case& c : cases)
        EXPECT_EQ(DataCellButtonTransparencyEh(c.Designing, c.FilterEditing, c.Focused, c.RowHighlight, c.Hot), c.Want);
}

TEST(TitleSortRoom, MarkerGoesFirstThenIndex)
{
    // A caption with room for everything keeps the marker and the index.
    TTitleSortRoomEh r = TitleSortRoomEh(0, 100, 7, 0);
    EXPECT_TRUE(r.DrawMarker);
    EXPECT_TRUE(r.DrawIndex);
    EXPECT_EQ(r.TextRight, 84);

    // A title whose 16-pixel image replaces the caption, in a 30-pixel cell: 14 left after the
    // marker's room, so the marker goes and the index (7 wide) stays: 14 + 14 - 7 = 21 >= 16.
    r = TitleSortRoomEh(0, 30, 7, 16);
    EXPECT_FALSE(r.DrawMarker);
    EXPECT_TRUE(r.DrawIndex);
    EXPECT_EQ(r.TextRight, 21);

    // Narrower still: the index goes too and all 16 pixels are given back.
    r = TitleSortRoomEh(0, 20, 7, 16);
    EXPECT_FALSE(r.DrawMarker);
    EXPECT_FALSE(r.DrawIndex);
    EXPECT_EQ(r.TextRight, 20);

    // A caption keeps its marker until the text width would become negative.
    r = TitleSortRoomEh(0, 16, 0, 0);
    EXPECT_TRUE(r.DrawMarker);
    r = TitleSortRoomEh(0, 15, 0, 0);
    EXPECT_FALSE(r.DrawMarker);
    EXPECT_EQ(r.TextRight, 13);
}

TEST(DataCellColours, OddAndEvenRows)
{
    const TColor odd = 0x111111, even = 0x222222;
    EXPECT_EQ(OddEvenRowColorEh(1, odd, even), odd);
    EXPECT_EQ(OddEvenRowColorEh(2, odd, even), even);
    EXPECT_EQ(OddEvenRowColorEh(3, odd, even), odd);
    EXPECT_EQ(OddEvenRowColorEh(0, odd, even), even);    // unknown number
    EXPECT_EQ(OddEvenRowColorEh(-1, odd, even), even);
}

TEST(DataCellOffsets, VerticalFromHorizontal)
{
    EXPECT_EQ(DataCellVertOffsetEh(3, false, false, false), 2);
    EXPECT_EQ(DataCellVertOffsetEh(1, false, false, false), 1);
    EXPECT_EQ(DataCellVertOffsetEh(3, true, true, false), 0);
    EXPECT_EQ(DataCellVertOffsetEh(3, true, false, true), 0);
    EXPECT_EQ(DataCellVertOffsetEh(3, false, true, false), 1);
    EXPECT_EQ(DataCellVertOffsetEh(0, true, true, true), 0);   // never below 0
}

}  // namespace
