// Painting with the row detail panel: the glyph strip in the first column (a glyph only for
// rows that have a panel, another glyph for the open one) and the grid's colour under the open
// row's data.
#include "support/DBGridFixtures.h"

#include <QImage>
#include <QWidget>

using namespace testsupport;

namespace {

QImage Painted(TDBGridEh* grid)
{
    PumpDBGrid();
    grid->Repaint();
    return grid->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

uint32_t Rgb(TColor c)
{
    const uint32_t ref = ColorToRGB(c);
    return ((ref & 0xFF) << 16) | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
}

// The strip's pixels above the row line.
QImage Strip(const QImage& img, const TRect& cell)
{
    return img.copy(cell.Left, cell.Top, RowDetailGlyphWidthEh, cell.Height() - 1);
}

int DistinctColours(const QImage& img)
{
    QSet<uint32_t> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            colours.insert(img.pixel(x, y) & 0xFFFFFF);
    return int(colours.size());
}

class RowDetailPaint : public DBGridOverMemTable {};

}  // namespace

TEST_F(RowDetailPaint, GlyphsOnlyForRowsWithAPanelAndAnotherOneWhenOpen)
{
    // Code 2 has no panel.
    grid->OnCheckRowHaveDetailPanel = [this](TCustomDBGridEh*, bool& Has) {
        Has = table->FieldByName(QStringLiteral("Code"))->AsInteger() != 2;
    };
    grid->RowDetailPanel()->SetActive(true);
    const int top = grid->TopDataOffset();
    // The current row shows the selection colour: the rows compared are the other two.
    table->Last();
    const QImage closed = Painted(grid);
    const QImage first = Strip(closed, grid->CellRect(1, top));
    const QImage second = Strip(closed, grid->CellRect(1, top + 1));
    EXPECT_GT(DistinctColours(first), 1);
    EXPECT_EQ(DistinctColours(second), 1);
    table->First();
    PumpDBGrid();
    const QImage before = Strip(Painted(grid), grid->CellRect(1, top));
    grid->RowDetailPanel()->SetVisible(true);
    const QImage after = Painted(grid);
    const TRect cell = grid->CellRect(1, top);
    const int dataBottom = cell.Top + grid->GetDataRowHeight(0);
    const QImage open = after.copy(cell.Left, cell.Top, RowDetailGlyphWidthEh, dataBottom - cell.Top);
    EXPECT_NE(open, before.copy(0, 0, open.width(), open.height()));
    // Under the open row's data, left of the window, the grid's own colour.
    EXPECT_EQ(after.pixel(cell.Left + 4, dataBottom + 10) & 0xFFFFFF, Rgb(grid->InternalColor()));
    EXPECT_EQ(grid->RowDetailPanelControl()->Top(), dataBottom);
}
