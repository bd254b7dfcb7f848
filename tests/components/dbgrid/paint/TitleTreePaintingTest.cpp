// Multi-line titles are painted from the title tree: each column shows its leaf at the bottom
// of the title row, and a group caption is drawn once across the columns that share it.
#include "support/DBGridFixtures.h"
#include "components/dbgrid/DBGridEh_TitleTree.h"
#include "components/foundation/ToolCtrlsEh.h"

#include <QImage>
#include <QWidget>

using namespace testsupport;

namespace {

class TitleTreePainting : public DBGridOverMemTable {
protected:
    void SetUp() override
    {
        DBGridOverMemTable::SetUp();
        grid->BeginLayout();
        const char* captions[] = {"Суммы|Код", "Суммы|Имя", "Итог|Сумма", "Итог|Вид"};
        for (const char* text : captions) {
            TColumnEh* c = grid->Columns()->Add();
            c->Title()->SetCaption(QString::fromUtf8(text));
            c->SetWidth(90);
        }
        grid->Columns()->Items(0)->SetFieldName(QStringLiteral("Code"));
        grid->Columns()->Items(1)->SetFieldName(QStringLiteral("Name"));
        grid->Columns()->Items(2)->SetFieldName(QStringLiteral("Sum"));
        grid->Columns()->Items(3)->SetFieldName(QStringLiteral("Kind"));
        grid->EndLayout();
        grid->TitleParams()->SetMultiTitle(true);
        grid->TitleParams()->SetVertLines(true);
        PumpDBGrid();
    }
    QImage Painted()
    {
        PumpDBGrid();
        return grid->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // Dark pixels of the band [top, bottom) between x0 and x1, and the mean x of them.
    static int Ink(const QImage& img, int x0, int x1, int top, int bottom, double* meanX = nullptr)
    {
        int n = 0;
        double sum = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = x0; x < x1; ++x)
                if (qGray(img.pixel(x, y)) < 110) {
                    ++n;
                    sum += x;
                }
        if (meanX)
            *meanX = n ? sum / n : -1;
        return n;
    }
};

}  // namespace

TEST_F(TitleTreePainting, AGroupCaptionIsCentredOverItsColumnsAndLinesStopAtTheLeaves)
{
    ASSERT_EQ(grid->LeafFieldArr().size(), 4u);
    THeadTreeNode* leaf = grid->LeafFieldArr()[0].FLeaf;
    ASSERT_NE(leaf->Host, nullptr);
    ASSERT_EQ(leaf->Host->Text, QStringLiteral("Суммы"));
    const QImage img = Painted();
    const int off = grid->IndicatorOffset();
    const TRect a = grid->CellRect(off, 0), b = grid->CellRect(off + 1, 0), c = grid->CellRect(off + 2, 0);
    // each band is as tall as its text
    const int textHeight = MeasureCanvasEh(grid->TitleFont())->TextHeight(QStringLiteral("Ay"));
    EXPECT_GE(leaf->Height, textHeight);
    EXPECT_GE(leaf->Host->Height, textHeight);
    ASSERT_GT(a.Height(), leaf->Height + 4) << "the title row holds the header band above the leaves";
    const int leafTop = a.Bottom - leaf->Height + 1;

    // The header band: one caption, centred over the two columns, with no line between them.
    double mean = 0;
    ASSERT_GT(Ink(img, a.Left, b.Right - 2, a.Top + 1, leafTop - 1, &mean), 10);
    EXPECT_NEAR(mean, (a.Left + b.Right) / 2.0, 6.0);
    // the leaf band: each column its own caption, and the vertical line between them
    EXPECT_GT(Ink(img, a.Left, a.Right - 2, leafTop, a.Bottom - 1), 10);
    EXPECT_GT(Ink(img, b.Left, b.Right - 2, leafTop, b.Bottom - 1), 10);
    const TColor line = grid->TitleParams()->GetVertLineColor();
    const uint32_t ref = ColorToRGB(line);
    const uint32_t rgb = ((ref & 0xFF) << 16) | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
    const int x = a.Right - 1;
    EXPECT_EQ(img.pixel(x, a.Bottom - 3) & 0xFFFFFF, rgb);
    EXPECT_NE(img.pixel(x, a.Top + 2) & 0xFFFFFF, rgb);
    // the two groups are apart: the second group's caption sits over its own columns
    const TRect d = grid->CellRect(off + 3, 0);
    // (short of the last column's own title line, whose ink would pull the mean right)
    ASSERT_GT(Ink(img, c.Left, d.Right - 2, c.Top + 1, leafTop - 1, &mean), 10);
    EXPECT_NEAR(mean, (c.Left + d.Right) / 2.0, 6.0);
}

TEST_F(TitleTreePainting, EveryPaintDrawsTheGroupsAgain)
{
    const QImage first = Painted();
    grid->Invalidate();
    const QImage second = Painted();
    const int off = grid->IndicatorOffset();
    const TRect a = grid->CellRect(off, 0);
    THeadTreeNode* leaf = grid->LeafFieldArr()[0].FLeaf;
    const int leafTop = a.Bottom - leaf->Height + 1;
    EXPECT_EQ(Ink(first, a.Left, grid->CellRect(off + 1, 0).Right, a.Top + 1, leafTop - 1),
              Ink(second, a.Left, grid->CellRect(off + 1, 0).Right, a.Top + 1, leafTop - 1));
}
