// The grid's own border: when a flat grid draws it, on which edges, in which colour, and what
// that does to the client area and the window.
#include "DrawFixture.h"
#include "platform/vcl/Forms.h"
#include "support/AppEnvironment.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// The completed axis grid, counting its window's re-creations.
class TBorderGrid : public TDrawTestGrid {
public:
    using TDrawTestGrid::TDrawTestGrid;
    int Recreations = 0;

protected:
    void ApplyWindowStyle() override
    {
        if (ControlState.Contains(csRecreating))
            ++Recreations;
        TDrawTestGrid::ApplyWindowStyle();
    }
};

class BorderTest : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TBorderGrid* grid = nullptr;

    void SetUp() override
    {
        form->SetBounds(0, 0, 320, 240);
        grid = Create<TBorderGrid>(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(10, 10, 200, 100);
        grid->SetFlat(true);
        grid->SetCtl3D(false);
        grid->SetColor(clWhite);
        grid->HandleNeeded();
    }

    QImage Paint()
    {
        TBitmap bmp(grid->Width(), grid->Height());
        bmp.Canvas()->Brush()->SetColor(clWhite);
        bmp.Canvas()->FillRect(TRect(0, 0, grid->Width(), grid->Height()));
        grid->PaintTo(bmp.Canvas(), 0, 0);
        return bmp.Image().convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(BorderTest, AFlatGridWithoutColourDrawsNoBorderOfItsOwn)
{
    EXPECT_FALSE(grid->Border()->ExtendedDraw());
    EXPECT_EQ(grid->BorderWidthDrawn(), 0);
    EXPECT_EQ(grid->ClientWidth(), 200);
    EXPECT_EQ(grid->ClientHeight(), 100);
}

TEST_F(BorderTest, AColourMakesItDrawAOnePixelBorderAndRemakesTheWindow)
{
    const int before = grid->Recreations;
    grid->Border()->SetColor(clRed);
    EXPECT_TRUE(grid->Border()->ExtendedDraw());
    EXPECT_EQ(grid->BorderWidthDrawn(), 1);
    EXPECT_GT(grid->Recreations, before);
    EXPECT_EQ(grid->ClientWidth(), 198);
    EXPECT_EQ(grid->ClientHeight(), 98);

    const QImage img = Paint();
    const QRgb red = qRgb(255, 0, 0);
    for (int y : {0, 50, 99}) {
        EXPECT_EQ(img.pixel(0, y), red) << y;
        EXPECT_EQ(img.pixel(199, y), red) << y;
    }
    for (int x : {0, 100, 199}) {
        EXPECT_EQ(img.pixel(x, 0), red) << x;
        EXPECT_EQ(img.pixel(x, 99), red) << x;
    }
    EXPECT_NE(img.pixel(1, 50), red) << "one pixel wide";

    // The same colour again changes nothing.
    const int after = grid->Recreations;
    grid->Border()->SetColor(clRed);
    EXPECT_EQ(grid->Recreations, after);
}

TEST_F(BorderTest, AnEdgeLeftOutIsNeitherReservedNorDrawn)
{
    grid->Border()->SetColor(clRed);
    grid->Border()->SetEdgeBorders(TEdgeBorders{ebTop, ebRight, ebBottom});
    EXPECT_EQ(grid->ClientWidth(), 199);
    const QImage img = Paint();
    EXPECT_NE(img.pixel(0, 50), qRgb(255, 0, 0)) << "no left line";
    EXPECT_EQ(img.pixel(199, 50), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0)) << "the top line runs from the left edge";
}

TEST_F(BorderTest, NotAllFourEdgesOrCtl3DAlsoMakeAFlatGridDrawItsOwnBorder)
{
    grid->Border()->SetEdgeBorders(TEdgeBorders{ebLeft, ebTop});
    EXPECT_TRUE(grid->Border()->ExtendedDraw());
    EXPECT_EQ(grid->ClientWidth(), 199);
    EXPECT_EQ(grid->ClientHeight(), 99);
    grid->Border()->SetEdgeBorders(TEdgeBorders{ebLeft, ebTop, ebRight, ebBottom});
    EXPECT_FALSE(grid->Border()->ExtendedDraw());
    EXPECT_EQ(grid->ClientWidth(), 200);
    grid->SetCtl3D(true);
    EXPECT_TRUE(grid->Border()->ExtendedDraw());
    EXPECT_EQ(grid->ClientWidth(), 198);
    // Without a colour the edge is the platform's sunken one: not the grid's white.
    const QImage img = Paint();
    EXPECT_NE(img.pixel(0, 50), qRgb(255, 255, 255));
}

TEST_F(BorderTest, ARaisedGridOrASingleStyleDecideTheWidth)
{
    grid->Border()->SetColor(clRed);
    grid->SetBorderStyle(bsNone);
    grid->RecreateBorderWnd();
    EXPECT_EQ(grid->BorderWidthDrawn(), 0) << "only a single border is drawn";
    EXPECT_EQ(grid->ClientWidth(), 200);
    grid->SetBorderStyle(bsSingle);
    grid->SetFlat(false);
    grid->RecreateBorderWnd();
    EXPECT_FALSE(grid->Border()->ExtendedDraw()) << "not flat: the platform's frame";
    EXPECT_EQ(grid->BorderWidthDrawn(), 0);
}

TEST_F(BorderTest, ExtendedDrawWrittenStaysUntilUnstored)
{
    grid->Border()->SetExtendedDraw(true);
    EXPECT_TRUE(grid->Border()->ExtendedDrawStored());
    EXPECT_EQ(grid->BorderWidthDrawn(), 1);
    grid->Border()->SetExtendedDrawStored(false);
    EXPECT_FALSE(grid->Border()->ExtendedDraw()) << "back to the default of a flat 2-D grid";
}

}  // namespace
