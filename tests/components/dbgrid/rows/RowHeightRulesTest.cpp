// Row heights snapped to whole text lines.
#include "components/dbgrid/DBGridEh.h"

#include <gtest/gtest.h>

TEST(RowHeightRules, FitToTextRoundsToWholeLines)
{
    struct Case {
        int height, margin, text, fitted, lines;
    };
    const Case cases[] = {
        {30, 4, 16, 36, 2},  // 26 = 1 line + 10: more than half a line left, so 2 lines
        {27, 4, 16, 20, 1},  // 23 = 1 line + 7: dropped
        {28, 4, 16, 20, 1},  // exactly half a line left over is dropped
        {10, 4, 16, 20, 1},  // less than one line still holds one
        {36, 4, 16, 36, 2},  // already whole lines
    };
    for (const Case& c : cases) {
        int lines = -1;
        EXPECT_EQ(FitRowHeightToTextEh(c.height, c.margin, c.text, lines), c.fitted) << c.height;
        EXPECT_EQ(lines, c.lines) << c.height;
    }
}
