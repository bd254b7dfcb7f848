// The data grid paints its cells from the dataset: over an in-memory table and over an ADO
// query alike, rows are read without moving the cursor, odd and even rows take their colours,
// cell events can take over, repeated values are hidden, footers show their texts, and a table
// being filled by a job (controls disabled) is not read at all.
#include "support/DBGridFixtures.h"

#include <QImage>
#include <QWidget>

using namespace testsupport;

namespace {

QImage Painted(TDBGridEh* grid)
{
    PumpDBGrid();
    return grid->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

uint32_t Rgb(TColor c)
{
    const uint32_t ref = ColorToRGB(c);
    return ((ref & 0xFF) << 16) | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
}

// The pixel near the bottom right inside a cell (away from text and lines).
uint32_t CellPixel(const QImage& img, TDBGridEh* grid, int ACol, int ARow)
{
    const TRect r = grid->CellRect(ACol, ARow);
    return img.pixel(r.Right - 3, r.Bottom - 3) & 0xFFFFFF;
}

// Dark pixels (text) inside a cell.
int InkIn(const QImage& img, const TRect& r)
{
    int ink = 0;
    for (int y = std::max(0, r.Top); y < std::min(img.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(img.width(), r.Right); ++x)
            ink += qGray(img.pixel(x, y)) < 110;
    return ink;
}

template <class F>
class CellPainting : public F {};
using Regimes = ::testing::Types<DBGridOverMemTable, DBGridOverAdoQuery>;
TYPED_TEST_SUITE(CellPainting, Regimes);

TYPED_TEST(CellPainting, PaintingReadsRowsWithoutMovingTheCursor)
{
    TDataSet* ds = this->DataSet();
    ds->Last();
    int scrolls = 0;
    ds->AfterScroll = [&](TDataSet*) { ++scrolls; };
    const int recNo = ds->RecNo();
    const QImage img = Painted(this->grid);
    EXPECT_EQ(ds->RecNo(), recNo);
    EXPECT_EQ(scrolls, 0);
    // Every row's text was read: each data cell of the name column has ink.
    const int off = this->grid->TopDataOffset();
    for (int row = 0; row < 3; ++row)
        EXPECT_GT(InkIn(img, this->grid->CellRect(this->grid->DataToRawColumn(1), row + off)), 0) << row;
}

TYPED_TEST(CellPainting, OddAndEvenRowsTakeTheirColours)
{
    const TColor odd = TColor(0x00C0FFC0), even = TColor(0x00FFC0C0);
    this->grid->SetOddRowColor(odd);
    this->grid->SetEvenRowColor(even);
    const QImage img = Painted(this->grid);
    const int col = this->grid->DataToRawColumn(3);
    const int off = this->grid->TopDataOffset();
    // Record 1 is odd; rows other than the current one show their plain colour.
    EXPECT_EQ(CellPixel(img, this->grid, col, off + 1), Rgb(even));
    EXPECT_EQ(CellPixel(img, this->grid, col, off + 2), Rgb(odd));

    // A column with a colour of its own keeps it on every row.
    this->grid->Columns()->Items(3)->SetColor(TColor(0x00E0E0E0));
    const QImage own = Painted(this->grid);
    EXPECT_EQ(CellPixel(own, this->grid, col, off + 1), Rgb(TColor(0x00E0E0E0)));
    EXPECT_EQ(CellPixel(own, this->grid, col, off + 2), Rgb(TColor(0x00E0E0E0)));
}

TYPED_TEST(CellPainting, ATableBeingFilledIsNotRead)
{
    TDataSet* ds = this->DataSet();
    const int off = this->grid->TopDataOffset();
    const TRect name = this->grid->CellRect(this->grid->DataToRawColumn(1), off + 1);
    ASSERT_GT(InkIn(Painted(this->grid), name), 0);

    ds->DisableControls();
    int reads = 0;
    ds->AfterScroll = [&](TDataSet*) { ++reads; };
    this->grid->Invalidate();
    const QImage img = Painted(this->grid);
    EXPECT_EQ(InkIn(img, name), 0);
    EXPECT_EQ(reads, 0);
    ds->EnableControls();
    EXPECT_GT(InkIn(Painted(this->grid), name), 0);
}

TYPED_TEST(CellPainting, AdvancedDrawingEventsTakeOverInOrder)
{
    TColumnEh* name = this->grid->Columns()->Items(1);
    QStringList calls;
    this->grid->OnAdvDrawDataCell = [&](TCustomDBGridEh*, TGridCoord, TGridCoord AreaCell, TColumnEh* Column,
                                        const TRect& R, TColCellParamsEh*, bool& Processed) {
        if (Column != name)
            return;
        calls << QStringLiteral("grid %1").arg(AreaCell.Y);
        if (AreaCell.Y == 0) {   // the grid takes the first row itself
            this->grid->Canvas()->Brush()->SetColor(clWhite);
            this->grid->Canvas()->FillRect(R);
            Processed = true;
        }
    };
    name->OnAdvDrawDataCell = [&](TCustomDBGridEh*, TGridCoord, TGridCoord AreaCell, TColumnEh*, const TRect& R,
                                  TColCellParamsEh* Params, bool& Processed) {
        calls << QStringLiteral("column %1").arg(AreaCell.Y);
        if (AreaCell.Y == 1) {
            Params->SetText(QString());   // the default painting then writes no text
        } else {
            this->grid->Canvas()->Brush()->SetColor(clWhite);
            this->grid->Canvas()->FillRect(R);
            Processed = true;
        }
    };
    const QImage img = Painted(this->grid);
    EXPECT_TRUE(calls.contains(QStringLiteral("grid 0")));
    EXPECT_FALSE(calls.contains(QStringLiteral("column 0")));
    EXPECT_LT(calls.indexOf(QStringLiteral("grid 1")), calls.indexOf(QStringLiteral("column 1")));
    const int off = this->grid->TopDataOffset();
    const int col = this->grid->DataToRawColumn(1);
    EXPECT_EQ(InkIn(img, this->grid->CellRect(col, off + 0)), 0);   // processed by the grid: only its own fill
    EXPECT_EQ(InkIn(img, this->grid->CellRect(col, off + 1)), 0);   // text emptied by the column
    EXPECT_EQ(InkIn(img, this->grid->CellRect(col, off + 2)), 0);   // processed by the column
}

TYPED_TEST(CellPainting, HiddenDuplicatesShowTheFirstValueOnly)
{
    TColumnEh* kind = this->grid->Columns()->Items(3);
    kind->SetHideDuplicates(true);
    kind->SetColor(TColor(0x00F0F0F0));
    TDataSet* ds = this->DataSet();
    // Make the three kinds equal.
    for (ds->First(); !ds->Eof(); ds->Next()) {
        ds->Edit();
        ds->FieldByName(QStringLiteral("Kind"))->SetAsString(QStringLiteral("A"));
        ds->Post();
    }
    ds->First();
    this->grid->SetCol(this->grid->DataToRawColumn(0));
    const QImage img = Painted(this->grid);
    const int off = this->grid->TopDataOffset();
    const int col = this->grid->DataToRawColumn(3);
    EXPECT_GT(InkIn(img, this->grid->CellRect(col, off + 0)), 0);
    EXPECT_EQ(InkIn(img, this->grid->CellRect(col, off + 1)), 0);
    EXPECT_EQ(InkIn(img, this->grid->CellRect(col, off + 2)), 0);
    // The row lines between the equal cells are painted over in the column's colour.
    const TRect second = this->grid->CellRect(col, off + 1);
    const int midX = (second.Left + second.Right) / 2;
    EXPECT_EQ(img.pixel(midX, second.Top - 1) & 0xFFFFFF, Rgb(TColor(0x00F0F0F0)));
    EXPECT_EQ(img.pixel(midX, second.Bottom) & 0xFFFFFF, Rgb(TColor(0x00F0F0F0)));
}

TYPED_TEST(CellPainting, FooterShowsItsTextAndTheEventsColour)
{
    this->grid->SetFooterRowCount(1);
    this->grid->Columns()->Items(1)->Footer()->SetValue(QStringLiteral("Итого"));
    int drawn = 0;
    this->grid->OnGetFooterParams = [](TObject*, int DataCol, int, TColumnEh*, TFont*, TColor& Background,
                                       TAlignment&, TGridDrawState, QString&) {
        if (DataCol == 2)
            Background = TColor(0x0000C0FF);
    };
    this->grid->OnDrawFooterCell = [&](TObject*, int, int, TColumnEh*, const TRect&, TGridDrawState) { ++drawn; };
    PumpDBGrid();
    const QImage img = Painted(this->grid);
    const int footerRow = this->grid->RowCount();
    const TRect nameFooter = this->grid->CellRect(this->grid->DataToRawColumn(1), footerRow);
    ASSERT_FALSE(IsRectEmpty(nameFooter));
    EXPECT_GT(InkIn(img, nameFooter), 0);
    EXPECT_EQ(CellPixel(img, this->grid, this->grid->DataToRawColumn(2), footerRow), Rgb(TColor(0x0000C0FF)));
    EXPECT_GE(drawn, 4);
}

TEST_F(DBGridOverMemTable, RecordNumbersWithAZeroStepPaint)
{
    TDBGridEhOptions o = grid->OptionsEh();
    o.Include(dghShowRecNo);
    grid->SetOptionsEh(o);
    grid->IndicatorParams()->SetRecNoShowStep(0);
    table->Last();
    const QImage img = Painted(grid);
    // The current (last) row shows its number in the indicator.
    EXPECT_GT(InkIn(img, grid->CellRect(0, grid->TopDataOffset() + 2)), 0);
}

}  // namespace
