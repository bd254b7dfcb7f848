// The grid's drawing services on a bitmap: in-cell buttons blended by their transparency and
// clipped to the cell, gradient fills, and text of a right-to-left grid on a mirrored canvas.
#include "DrawFixture.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"
#include "support/AppEnvironment.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

class DrawServicesTest : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TDrawTestGrid* grid = nullptr;
    void SetUp() override
    {
        form->SetBounds(0, 0, 320, 240);
        grid = Create<TDrawTestGrid>(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 200, 100);
    }
    static QImage Image(TBitmap& b) { return b.Image().convertToFormat(QImage::Format_RGB32); }
    static void Fill(TBitmap& b, TColor c)
    {
        b.Canvas()->Brush()->SetColor(c);
        b.Canvas()->Brush()->SetStyle(bsSolid);
        b.Canvas()->FillRect(TRect(0, 0, b.Width(), b.Height()));
    }
    // A drop-down button in a white cell of a green bitmap.
    QImage Button(int Transparency, const TRect& Cell, const TRect& ButtonRect)
    {
        TBitmap b(200, 100);
        Fill(b, clLime);
        b.Canvas()->Brush()->SetColor(clWhite);
        b.Canvas()->FillRect(Cell);
        grid->PaintCellEditButton(nullptr, b.Canvas(), -1, nullptr, Transparency, nullptr, clWhite, false, false,
                                  false, false, Cell, ButtonRect, ebsDropDownEh);
        return Image(b);
    }

    // Every pixel of the blended button is the opaque one mixed with the cell by the alpha.
    void ExpectBlendOf(const QImage& opaque, const QImage& blended, const TRect& button, int alpha)
    {
        const auto mix = [alpha](int fg) { return (fg * alpha + 255 * (255 - alpha)) / 255; };
        for (int y = button.Top; y < button.Bottom; ++y)
            for (int x = button.Left; x < button.Right; ++x) {
                const QColor o = opaque.pixelColor(x, y), b = blended.pixelColor(x, y);
                ASSERT_NEAR(b.red(), mix(o.red()), 2) << alpha << " at " << x << "," << y;
                ASSERT_NEAR(b.green(), mix(o.green()), 2) << alpha << " at " << x << "," << y;
                ASSERT_NEAR(b.blue(), mix(o.blue()), 2) << alpha << " at " << x << "," << y;
            }
    }
};

TEST_F(DrawServicesTest, ASemiTransparentButtonIsTheOpaqueOneBlendedOverTheCell)
{
    const TRect cell(20, 10, 120, 30), button(100, 10, 120, 30);
    const QImage opaque = Button(0, cell, button);
    // The opaque button is really drawn (dark arrow pixels), so the comparison means something.
    int dark = 0;
    for (int y = button.Top; y < button.Bottom; ++y)
        for (int x = button.Left; x < button.Right; ++x)
            dark += qGray(opaque.pixel(x, y)) < 100;
    EXPECT_GT(dark, 3);
    ExpectBlendOf(opaque, Button(30, cell, button), button, 178);
    ExpectBlendOf(opaque, Button(80, cell, button), button, 51);
}

TEST_F(DrawServicesTest, AButtonReachingOutOfItsCellIsClippedToIt)
{
    const TRect cell(20, 10, 110, 30), button(100, 10, 120, 30);
    for (int transparency : {0, 80}) {
        const QImage img = Button(transparency, cell, button);
        for (int y = 10; y < 30; ++y)
            for (int x = 110; x < 120; ++x)
                ASSERT_EQ(img.pixel(x, y), qRgb(0, 255, 0)) << transparency << " at " << x << "," << y;
        // The canvas keeps no clip of the button afterwards.
        EXPECT_NE(img.pixel(105, 20), qRgb(0, 255, 0));
    }
}

TEST_F(DrawServicesTest, AButtonOutsideTheGridsSizeStillBlends)
{
    // The work bitmap grows to the grid's size; a bigger canvas must not read outside it.
    grid->SetBounds(0, 0, 50, 20);
    const TRect cell(20, 10, 120, 30), button(100, 10, 120, 30);
    ExpectBlendOf(Button(0, cell, button), Button(80, cell, button), button, 51);
}

TEST_F(DrawServicesTest, GradientFillRunsFromTheEndColourToTheBrush)
{
    TBitmap b(200, 100);
    grid->Canvas()->SetHandle(b.Canvas()->Handle());
    grid->Canvas()->Brush()->SetColor(TColor(RGB(100, 100, 100)));
    const TRect r(0, 0, 50, 40);
    grid->FillCell(cfstGradientEh, r, clDefault, false, false, TRect(), true, false);
    grid->FillCell(cfstGradientEh, TRect(60, 0, 110, 40), clRed, false, false, TRect(), false, false);
    grid->FillCell(cfstSolidEh, TRect(120, 0, 170, 40), clRed, false, false, TRect(), false, false);
    grid->Canvas()->SetHandle(nullptr);
    const QImage img = Image(b);
    const COLORREF selTop = ColorToRGB(BlendColors(TColor(RGB(100, 100, 100)), clWindow, 127));
    EXPECT_EQ(QColor(img.pixel(10, 0)).red(), int(GetRValue(selTop)));
    EXPECT_EQ(QColor(img.pixel(10, 39)).red(), 100);
    EXPECT_EQ(img.pixel(70, 0), qRgb(255, 0, 0)) << "an explicit gradient colour on top";
    EXPECT_EQ(img.pixel(130, 0), qRgb(100, 100, 100)) << "solid: the brush";
    EXPECT_EQ(img.pixel(130, 39), qRgb(100, 100, 100));
}

TEST_F(DrawServicesTest, LeftAlignedTextOfARightToLeftGridStandsAtTheCellsMirroredRight)
{
    grid->SetBiDiMode(bdRightToLeft);
    TBitmap b(200, 40);
    Fill(b, clWhite);
    TCanvas* c = b.Canvas();
    c->Font()->SetName(QStringLiteral("DejaVu Sans"));
    c->Font()->SetHeight(-12);
    c->Font()->SetColor(clBlack);
    c->SetMirrored(true);
    // Logical cell 10..60 of a mirrored 200 wide canvas: device 140..190.
    grid->WriteCellText(nullptr, c, true, 0, 0, false, false, tlTop, taLeftJustify, QStringLiteral("Итог"), 2, 2,
                        false, TRect(10, 0, 60, 20));
    EXPECT_TRUE(c->Mirrored()) << "the mirroring comes back";
    c->SetMirrored(false);
    const QImage img = Image(b);
    int first = -1, last = -1;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 20; ++y)
            if (qGray(img.pixel(x, y)) < 128) {
                if (first < 0)
                    first = x;
                last = x;
            }
    ASSERT_GE(first, 0);
    EXPECT_GE(first, 140);
    EXPECT_LT(last, 190);
    EXPECT_GT(last, 175) << "against the cell's right edge, as its reading order starts there";
}

}  // namespace

namespace {

// The edges DrawCellEdge draws, against the platform's own edge drawing of the expected sides.
class CellEdgeTest : public DrawServicesTest {
protected:
    QImage Edge(bool Flat, bool Right, bool Left, bool Sunken)
    {
        TBitmap b(60, 40);
        Fill(b, clWhite);
        b.Canvas()->Brush()->SetColor(clBtnFace);
        grid->DrawCellEdge(b.Canvas(), TRect(10, 10, 50, 30), Flat, Right, Left, false, Sunken);
        return Image(b);
    }
    QImage Expected(UINT Edge1, UINT Flags1, UINT Edge2 = 0, UINT Flags2 = 0)
    {
        TBitmap b(60, 40);
        Fill(b, clWhite);
        TRect r(10, 10, 50, 30);
        DrawEdge(b.Canvas()->Handle(), r, Edge1, Flags1);
        if (Flags2) {
            TRect r2(10, 10, 50, 30);
            DrawEdge(b.Canvas()->Handle(), r2, Edge2, Flags2);
        }
        return Image(b);
    }
};

TEST_F(CellEdgeTest, RaisedOrSunkenOnTheSidesAsked)
{
    EXPECT_EQ(Edge(false, true, true, false), Expected(BDR_RAISEDINNER, BF_RECT));
    EXPECT_EQ(Edge(false, true, true, true), Expected(BDR_SUNKENINNER, BF_RECT));
    // Left only: left and top, and the bottom of the second pair.
    EXPECT_EQ(Edge(false, false, true, false), Expected(BDR_RAISEDINNER, BF_LEFT | BF_TOP, BDR_RAISEDINNER, BF_BOTTOM));
    // Right only: right and bottom, and the top of the first pair.
    EXPECT_EQ(Edge(false, true, false, false), Expected(BDR_RAISEDINNER, BF_TOP, BDR_RAISEDINNER, BF_RIGHT | BF_BOTTOM));
}

TEST_F(CellEdgeTest, AFlatCellPaintsItsRightAndBottomInTheBrushColour)
{
    const QImage img = Edge(true, true, false, false);
    const QRgb face = 0xFF000000u | vcltest::ToRgb(ColorToRGB(clBtnFace));
    EXPECT_EQ(img.pixel(30, 29), face) << "bottom line";
    EXPECT_EQ(img.pixel(49, 20), face) << "right line";
    EXPECT_EQ(img.pixel(30, 20), qRgb(255, 255, 255)) << "the inside stays";
}

}  // namespace
