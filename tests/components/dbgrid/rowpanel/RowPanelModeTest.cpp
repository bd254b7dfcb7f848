// Row panel mode switched on in a grid over a table: one panel cell per record, as wide and as
// high as the columns' places make it, the columns ordered by their places, and each column's
// title, data and footer painted at its place with the lines between the places.
#include "support/DBGridFixtures.h"

#include "components/foundation/ToolCtrlsEh.h"

#include <QImage>
#include <QWidget>

using namespace testsupport;

namespace {

class RowPanelMode : public DBGridOverMemTable {
public:
    TColumnEh* Col(const QString& FieldName) { return grid->FindFieldColumn(FieldName); }
    // Code and Name side by side on line 0, Sum under them on line 1, Kind over both lines.
    void PlaceColumns()
    {
        grid->Columns()->BeginUpdate();
        grid->Columns()->Clear();
        struct Spec {
            const char* field;
            int width, line, lines;
        };
        for (const Spec& s : {Spec{"Code", 50, 0, 1}, Spec{"Name", 80, 0, 1}, Spec{"Sum", 150, 1, 1},
                              Spec{"Kind", 40, 0, 2}}) {
            TColumnEh* c = grid->Columns()->Add();
            c->SetFieldName(QString::fromLatin1(s.field));
            c->SetWidth(s.width);
            c->SetInRowLinePos(s.line);
            c->SetInRowLineHeight(s.lines);
        }
        grid->Columns()->EndUpdate();
        PumpDBGrid();
    }
    void Activate()
    {
        grid->RowPanel()->SetActive(true);
        PumpDBGrid();
    }
    QStringList Order()
    {
        QStringList out;
        for (int i = 0; i < grid->Columns()->Count(); ++i)
            out << grid->Columns()->Items(i)->FieldName();
        return out;
    }
    int g() { return grid->GridLineWidth(); }
    int h() { return grid->InRowPanelLineHeight(); }
    QImage Painted()
    {
        PumpDBGrid();
        grid->Repaint();
        return grid->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static uint32_t Rgb(TColor c)
    {
        const uint32_t ref = ColorToRGB(c);
        return ((ref & 0xFF) << 16) | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
    }
    static uint32_t Pixel(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
    static int Colours(const QImage& img, const TRect& r)
    {
        QSet<uint32_t> seen;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                seen.insert(Pixel(img, x, y));
        return int(seen.size());
    }
    // A column's data place in the panel cell of a grid row.
    TRect DataPlace(TColumnEh* c, int GridRow)
    {
        const TRect cell = grid->CellRect(grid->IndicatorOffset(), GridRow);
        const TColumnEhInRowPanelPlacement& p = c->InRowPanelPlacement();
        return TRect(cell.Left + p.DataCellLeft, cell.Top + p.Top, cell.Left + p.DataCellLeft + p.DataCellWidth,
                     cell.Top + p.Top + p.Height);
    }
};

}  // namespace

TEST_F(RowPanelMode, OneCellPerRecordSizedByThePlacesAndBackWhenSwitchedOff)
{
    PlaceColumns();
    const int offset = grid->IndicatorOffset();
    const int stdHeight = grid->RowHeights(grid->TopDataOffset());
    // What a data row adds to the standard height in this regime.
    const int rowExtra = stdHeight - grid->StdDefaultRowHeight();
    ASSERT_EQ(grid->ColCount(), offset + 4);
    Activate();

    EXPECT_EQ(grid->ColCount(), offset + 1);
    const int width = 150 + g() + 40;
    const int height = 2 * (g() + h()) - 1;
    EXPECT_EQ(grid->RowPanelMasterCellWidth(), width);
    EXPECT_EQ(grid->RowPanelMasterCellHeight(), height);
    // The cell, the title and every row carry their own line after the panel.
    EXPECT_EQ(grid->ColWidths(offset), width + g());
    EXPECT_EQ(grid->RowHeights(0), height + g());
    EXPECT_EQ(grid->StdDefaultRowHeight(), height + g());
    for (int r = grid->TopDataOffset(); r < grid->TopDataOffset() + 3; ++r)
        EXPECT_EQ(grid->RowHeights(r), height + g() + rowExtra) << r;
    // Left to right, then top to bottom.
    EXPECT_EQ(Order(), QStringList({"Code", "Sum", "Name", "Kind"}));

    // A wider column widens the panel at once.
    Col(QStringLiteral("Kind"))->SetWidth(70);
    PumpDBGrid();
    EXPECT_EQ(grid->ColWidths(offset), 150 + g() + 70 + g());

    grid->RowPanel()->SetActive(false);
    PumpDBGrid();
    EXPECT_EQ(grid->ColCount(), offset + 4);
    EXPECT_EQ(grid->ColWidths(offset + 3), 70 + g());
    EXPECT_EQ(grid->RowHeights(grid->TopDataOffset()), stdHeight);
}

TEST_F(RowPanelMode, EachRecordShowsItsValuesAtTheColumnsPlaces)
{
    PlaceColumns();
    Activate();
    table->Last();
    const int top = grid->TopDataOffset();
    const QImage img = Painted();
    // Sum sits on the second line: 10.5 and 20 show there, the third record's is empty.
    TColumnEh* sum = Col(QStringLiteral("Sum"));
    EXPECT_GT(Colours(img, DataPlace(sum, top)), 1);
    EXPECT_GT(Colours(img, DataPlace(sum, top + 1)), 1);
    TRect empty = DataPlace(sum, top + 2);
    EXPECT_EQ(Colours(img, empty), 1);
    // Name "Альфа" is wider text than the code 1, in its own place right of Code.
    TColumnEh* name = Col(QStringLiteral("Name"));
    EXPECT_GT(Colours(img, DataPlace(name, top)), 1);
}

TEST_F(RowPanelMode, LinesBetweenPlacesArePalerInOtherRecords)
{
    PlaceColumns();
    Activate();
    const int top = grid->TopDataOffset();
    ASSERT_EQ(grid->Row(), top);
    const QImage img = Painted();
    TColumnEh* name = Col(QStringLiteral("Name"));
    const TColumnEhInRowPanelPlacement& p = name->InRowPanelPlacement();
    const TColor bright = grid->GridLineParams()->GetBrightColor();
    const TColor pale = BlendColorsPercent(bright, clWindow, 66);
    ASSERT_NE(Rgb(bright), Rgb(pale));
    // The line at Name's trailing edge, halfway down line 0, and the one under Code.
    for (int row : {top, top + 1}) {
        const TRect cell = grid->CellRect(grid->IndicatorOffset(), row);
        const uint32_t expected = Rgb(row == grid->Row() ? bright : pale);
        EXPECT_EQ(Pixel(img, cell.Left + p.Left + p.Width, cell.Top + p.Height / 2), expected) << row;
        EXPECT_EQ(Pixel(img, cell.Left + 10, cell.Top + h() + g() - 1), expected) << row;
    }
    // Titles keep the dark line colour.
    const TRect title = grid->CellRect(grid->IndicatorOffset(), 0);
    EXPECT_EQ(Pixel(img, title.Left + p.Left + p.Width, title.Top + p.Height / 2),
              Rgb(grid->GridLineParams()->GetDarkColor()));
}

TEST_F(RowPanelMode, APressPicksTheRecordAndTheColumnUnderIt)
{
    PlaceColumns();
    Activate();
    const int top = grid->TopDataOffset();
    TColumnEh* sum = Col(QStringLiteral("Sum"));
    TColumnEh* kind = Col(QStringLiteral("Kind"));
    struct Case {
        int row;
        TColumnEh* column;
        int code;
    };
    for (const Case& c : {Case{top + 1, sum, 2}, Case{top + 2, kind, 3}, Case{top, sum, 1}}) {
        const TRect place = DataPlace(c.column, c.row);
        const int x = place.Left + 5, y = place.Top + 5;
        grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(x), WORD(y)));
        grid->Perform(WM_LBUTTONUP, 0, MAKELPARAM(WORD(x), WORD(y)));
        PumpDBGrid();
        EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->AsInteger(), c.code);
        EXPECT_EQ(grid->InRowPanelCol(), c.column->Index()) << c.code;
    }
}
