// Which grid lines the data grid draws and in which colour, per area, with boundaries; the
// tree elements of a table shown as a tree.
#include "support/DBGridFixtures.h"

#include "components/dbgrid/DBGridEh.h"
#include "platform/vcl/Graphics.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

struct Line {
    bool Visible = false;
    TColor Color = clNone;
};

class GridLines : public DBGridOverMemTable {
public:
    Line Ask(int ACol, int ARow, TGridCellBorderTypeEh Kind)
    {
        Line l;
        bool extend = false;
        grid->GetGridLineParams(ACol, ARow, Kind, l.Visible, l.Color, extend);
        return l;
    }
    int DataCol(int Index) { return grid->DataToRawColumn(Index); }
    int DataRow(int Index) { return grid->TopDataOffset() + Index; }
    int LastCol() { return grid->ColCount() - 1; }
};

TEST_F(GridLines, DataLinesFollowTheLineParameters)
{
    TDBGridLineParamsEh* lines = grid->GridLineParams();
    lines->SetDataVertColor(clRed);
    lines->SetDataHorzColor(clBlue);
    lines->SetDataVertLines(true);
    lines->SetDataHorzLines(true);
    Line right = Ask(DataCol(0), DataRow(0), cbtRightEh);
    Line bottom = Ask(DataCol(0), DataRow(0), cbtBottomEh);
    EXPECT_TRUE(right.Visible);
    EXPECT_EQ(right.Color, clRed);
    EXPECT_TRUE(bottom.Visible);
    EXPECT_EQ(bottom.Color, clBlue);

    lines->SetDataVertLines(false);
    lines->SetDataHorzLines(false);
    EXPECT_FALSE(Ask(DataCol(0), DataRow(0), cbtRightEh).Visible);
    EXPECT_FALSE(Ask(DataCol(0), DataRow(0), cbtBottomEh).Visible);
}

TEST_F(GridLines, ZeroWidthColumnShowsNoVerticalLine)
{
    grid->GridLineParams()->SetDataVertLines(true);
    grid->SetColWidths(DataCol(1), 0);
    EXPECT_FALSE(Ask(DataCol(1), DataRow(0), cbtRightEh).Visible);
    EXPECT_FALSE(Ask(DataCol(1), 0, cbtRightEh).Visible);
    EXPECT_TRUE(Ask(DataCol(0), DataRow(0), cbtRightEh).Visible);
}

TEST_F(GridLines, TitleLinesAndBorderInFillStyle)
{
    TDBGridTitleParamsEh* title = grid->TitleParams();
    title->SetVertLines(true);
    title->SetHorzLines(true);
    title->SetVertLineColor(clGreen);
    title->SetHorzLineColor(clMaroon);
    EXPECT_EQ(Ask(DataCol(0), 0, cbtRightEh).Color, clGreen);
    EXPECT_TRUE(Ask(DataCol(0), 0, cbtRightEh).Visible);
    EXPECT_EQ(Ask(DataCol(0), 0, cbtBottomEh).Color, clMaroon);
    title->SetVertLines(false);
    EXPECT_FALSE(Ask(DataCol(0), 0, cbtRightEh).Visible);
    title->SetVertLines(true);

    // Drawn in the fill style, the data columns' titles show no lines and the indicator
    // corner keeps only its vertical one.
    title->SetBorderInFillStyle(true);
    EXPECT_FALSE(Ask(DataCol(0), 0, cbtRightEh).Visible);
    EXPECT_FALSE(Ask(DataCol(0), 0, cbtBottomEh).Visible);
    EXPECT_TRUE(Ask(0, 0, cbtRightEh).Visible);
    EXPECT_FALSE(Ask(0, 0, cbtBottomEh).Visible);
}

TEST_F(GridLines, BoundaryLines)
{
    TDBGridLineParamsEh* lines = grid->GridLineParams();
    lines->SetDataVertLines(false);
    // Without boundaries the last column's right line in the data rows follows the data lines.
    EXPECT_FALSE(Ask(LastCol(), DataRow(0), cbtRightEh).Visible);

    lines->SetGridBoundaries(true);
    lines->SetDataBoundaryColor(clRed);
    const Line boundary = Ask(LastCol(), DataRow(0), cbtRightEh);
    EXPECT_TRUE(boundary.Visible);
    EXPECT_EQ(boundary.Color, clRed);
    // Only the last column is a boundary.
    EXPECT_FALSE(Ask(DataCol(0), DataRow(0), cbtRightEh).Visible);
    // The left line of the area past the columns is one in every row, in the title rows in
    // the darker of the title's colours.
    TDBGridTitleParamsEh* title = grid->TitleParams();
    title->SetVertLineColor(clWhite);
    title->SetHorzLineColor(clNavy);
    const Line trailing = Ask(grid->ColCount(), 0, cbtLeftEh);
    EXPECT_TRUE(trailing.Visible);
    EXPECT_EQ(trailing.Color, clNavy);
}

// ---- tree elements ----

struct TreeRow {
    int Id;
    Variant Parent;
    const char* Name;
};

// a -> b -> c -> x;  a -> d;  e.  With c collapsed, c is the last child of b, at level 3.
const TreeRow kTree[] = {{1, Variant::Null(), "a"}, {2, 1, "b"}, {3, 2, "c"}, {7, 3, "x"},
                         {4, 1, "d"},               {5, Variant::Null(), "e"}};

class TreeElements : public DBGridOnForm {
public:
    TMemTableEh* table = nullptr;

    void SetUp() override
    {
        DBGridOnForm::SetUp();
        table = Create<TMemTableEh>(form.get());
        table->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
        table->FieldDefs()->Add(QStringLiteral("ParentId"), ftInteger);
        table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 10);
        table->CreateDataSet();
        for (const TreeRow& r : kTree)
            table->AppendRecord({Variant(r.Id), r.Parent, Variant(QString::fromLatin1(r.Name))});
        table->TreeList()->SetKeyFieldName(QStringLiteral("Id"));
        table->TreeList()->SetRefParentFieldName(QStringLiteral("ParentId"));
        table->TreeList()->SetDefaultNodeExpanded(true);
        table->TreeList()->SetActive(true);
        ASSERT_TRUE(table->Locate(QStringLiteral("Name"), Variant(QStringLiteral("c")), {}));
        table->SetTreeNodeExpanded(false);
        Bind(table);
        ASSERT_TRUE(grid->HasIntMemTable());
        ASSERT_TRUE(table->Locate(QStringLiteral("Name"), Variant(QStringLiteral("c")), {}));
        ASSERT_EQ(table->GetTreeNodeLevel(), 3);
    }

    // The elements as the grid draws them into a bitmap of its own.
    QImage Drawn(bool LinesOnly = false)
    {
        TBitmap bmp(80, 20);
        bmp.Canvas()->Brush()->SetColor(clYellow);
        bmp.Canvas()->FillRect(TRect(0, 0, 80, 20));
        bmp.Canvas()->Brush()->SetColor(clAqua);
        grid->DrawTreeElements(bmp.Canvas(), TRect(0, 0, 80, 20), LinesOnly, false);
        return bmp.ToImage();
    }
    // Three boxes of 18 pixels on yellow; an element kind per box (-1: only the fill).
    QImage Expected(std::initializer_list<int> Kinds)
    {
        TBitmap bmp(80, 20);
        TCanvas* c = bmp.Canvas();
        c->Brush()->SetColor(clYellow);
        c->FillRect(TRect(0, 0, 80, 20));
        c->Brush()->SetColor(clAqua);
        c->FillRect(TRect(0, 0, 18 * int(Kinds.size()), 20));
        const int phase = (grid->DefaultRowHeight() % 2 != 0 && grid->TopRow() % 2 != 0) ? 1 : 0;
        int left = 0;
        for (int kind : Kinds) {
            if (kind >= 0)
                DrawTreeViewGlyph(c, TRect(left, 0, left + 18, 20), kind, phase, 1, 1, false, true,
                                  grid->TreeViewParams()->GetActualGlyphStyle());
            left += 18;
        }
        return bmp.ToImage();
    }
};

TEST_F(TreeElements, CollapsedLastChildWithChildren)
{
    // The ancestors a and b have siblings below: their lines run through.
    EXPECT_EQ(Drawn(), Expected({11, 11, 5}));
    grid->TreeViewParams()->SetShowTreeLines(false);
    EXPECT_EQ(Drawn(), Expected({-1, -1, 7}));
}

TEST_F(TreeElements, LeafAndLinesOnly)
{
    ASSERT_TRUE(table->Locate(QStringLiteral("Name"), Variant(QStringLiteral("d")), {}));
    EXPECT_EQ(Drawn(), Expected({11, 9}));   // d: a leaf, the last child of a
    ASSERT_TRUE(table->Locate(QStringLiteral("Name"), Variant(QStringLiteral("b")), {}));
    EXPECT_EQ(Drawn(), Expected({11, 0}));   // b: expanded, with d after it

    // Under the row only the lines that go on downward continue.
    EXPECT_EQ(Drawn(true), Expected({11, 11}));
}

}  // namespace

namespace {

// A right-to-left grid paints on a mirrored canvas; found text is written unmirrored, and a
// column that reads right to left has its left alignment shown at the right.
class RightToLeftText : public DBGridOnForm {
public:
    // The device columns of the highlight colour in the rectangle's row band.
    std::pair<int, int> HighlightSpan(bool RightToLeftColumn)
    {
        TBitmap bmp(200, 20);
        TCanvas* canvas = grid->Canvas();
        canvas->SetHandle(bmp.Canvas()->Handle());
        canvas->Brush()->SetColor(clWhite);
        canvas->FillRect(TRect(0, 0, 200, 20));
        canvas->SetMirrored(true);
        canvas->Font()->SetColor(clBlack);
        grid->WriteTextHighlightedRTL(canvas, TRect(0, 0, 100, 20), 2, 2, QStringLiteral("abc"), taLeftJustify,
                                      false, false, QStringLiteral("abc"), true, clYellow, RightToLeftColumn);
        canvas->SetMirrored(false);
        canvas->SetHandle(nullptr);
        int first = -1, last = -1;
        for (int x = 0; x < 200; ++x)
            if (TColor(ColorToRGB(bmp.Canvas()->Pixels(x, 10))) == clYellow) {
                if (first < 0)
                    first = x;
                last = x;
            }
        return {first, last};
    }
};

TEST_F(RightToLeftText, ColumnAlignmentSwapsOnTheScreen)
{
    grid->SetBiDiMode(bdRightToLeft);
    // The logical rectangle 0..100 is the device's right half.
    const auto rtlColumn = HighlightSpan(true);
    ASSERT_GE(rtlColumn.first, 0);
    EXPECT_GT(rtlColumn.first, 150);
    EXPECT_LT(rtlColumn.second, 200);
    const auto plainColumn = HighlightSpan(false);
    ASSERT_GE(plainColumn.first, 0);
    EXPECT_GE(plainColumn.first, 100);
    EXPECT_LT(plainColumn.second, 150);
}

}  // namespace
