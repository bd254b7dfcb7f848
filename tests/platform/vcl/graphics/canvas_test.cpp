#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Graphics.h"

#include <QFont>

using namespace vcltest;

TEST(Colors, ToRgbResolvesSystemColoursAndKeepsSpecials)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
    EXPECT_EQ(ColorToRGB(TColor(0x02123456)), 0x123456u);   // palette-relative bits dropped
    EXPECT_EQ(ColorToRGB(clNone), COLORREF(clNone));
    EXPECT_EQ(ColorToRGB(clDefault), COLORREF(clDefault));
    EXPECT_EQ(ColorToString(clBtnFace), QStringLiteral("clBtnFace"));
    TColor c = 0;
    EXPECT_TRUE(IdentToColor(QStringLiteral("clwindowtext"), c));
    EXPECT_EQ(c, clWindowText);
}

TEST(Font, SizeAndHeightAt96Dpi)
{
    TFont f;
    f.SetSize(8);
    EXPECT_EQ(f.GetHeight(), -11);
    EXPECT_EQ(f.GetSize(), 8);
    f.SetName(QStringLiteral("No Such Face"));
    EXPECT_EQ(f.QtFont().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(f.QtFont().pixelSize(), 11);
    int changes = 0;
    f.OnChange = [&](TObject*) { ++changes; };
    f.SetStyle({fsBold});
    f.SetStyle({fsBold});
    EXPECT_EQ(changes, 1);
}

TEST(Canvas, FillFrameAndTextRectClipToTheRectangle)
{
    TBitmap bmp(60, 30);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(clYellow);
    c->FillRect(TRect(0, 0, 60, 30));
    c->Brush()->SetColor(clBlue);
    c->FrameRect(TRect(1, 1, 10, 10));
    c->Brush()->SetColor(clWhite);
    c->Font()->SetColor(clBlack);
    c->TextRect(TRect(20, 5, 30, 25), 20, 5, QStringLiteral("WWWWWWWW"));
    const QImage& img = bmp.Image();
    EXPECT_EQ(Rgb(img, 0, 0), 0xFFFF00u);
    EXPECT_EQ(Rgb(img, 1, 1), 0x0000FFu);
    EXPECT_EQ(Rgb(img, 9, 9), 0x0000FFu);
    EXPECT_EQ(Rgb(img, 5, 5), 0xFFFF00u);
    const QRect ink = InkBox(img.copy(15, 0, 45, 30), QColor(Qt::yellow));
    EXPECT_EQ(ink, QRect(5, 5, 10, 20));   // opaque white box, nothing outside it
}

TEST(Canvas, ClearBrushTextLeavesBackground)
{
    TBitmap bmp(60, 20);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(clLime);
    c->FillRect(TRect(0, 0, 60, 20));
    c->Brush()->SetStyle(bsClear);
    c->TextRect(TRect(0, 0, 60, 20), 2, 2, QStringLiteral("."));
    EXPECT_EQ(Rgb(bmp.Image(), 40, 10), 0x00FF00u);
}

TEST(Canvas, ClipSaveAndRestore)
{
    TBitmap bmp(40, 40);
    TCanvas* c = bmp.Canvas();
    EXPECT_EQ(c->SaveClipRegion(), nullptr);
    IntersectClipRect(c->Handle(), 5, 5, 15, 15);
    HRGN saved = c->SaveClipRegion();
    ASSERT_NE(saved, nullptr);
    IntersectClipRect(c->Handle(), 10, 10, 40, 40);
    c->RestoreClipRegion(saved);
    EXPECT_EQ(c->ClipRect(), TRect(5, 5, 15, 15));
    c->RestoreClipRegion(nullptr);
    EXPECT_EQ(c->ClipRect(), TRect(0, 0, 40, 40));
}

TEST(Canvas, RecordingCanvasLogsCalls)
{
    TRecordingCanvas rc(50, 50);
    rc.Canvas()->Brush()->SetColor(clRed);
    rc.Canvas()->FillRect(TRect(1, 2, 3, 4));
    rc.Canvas()->MoveTo(0, 0);
    rc.Canvas()->LineTo(5, 0);
    ASSERT_EQ(rc.Log.size(), 2);
    EXPECT_EQ(rc.Log[0], QStringLiteral("FillRect(1,2,3,4;$0000FF)"));
    EXPECT_EQ(rc.Log[1], QStringLiteral("Line(0,0,5,0;$000000)"));
}

TEST(Bitmap, ResizeKeepsPixelsAndCanvasStillDraws)
{
    TBitmap bmp(10, 10);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(TRect(0, 0, 10, 10));
    bmp.SetSize(20, 10);
    EXPECT_EQ(Rgb(bmp.Image(), 5, 5), 0xFF0000u);
    bmp.Canvas()->FillRect(TRect(15, 0, 20, 10));   // the brush survives the new context
    EXPECT_EQ(Rgb(bmp.Image(), 17, 5), 0xFF0000u);
}

TEST(Bitmap, TransparentDrawSkipsTheKeyColour)
{
    TBitmap glyph(4, 4);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(TRect(0, 0, 4, 4));
    glyph.Canvas()->Brush()->SetColor(clBlack);
    glyph.Canvas()->FillRect(TRect(1, 1, 3, 3));
    glyph.SetTransparent(true);
    EXPECT_EQ(ColorToRGB(glyph.TransparentColor()), ColorToRGB(clFuchsia));
    TBitmap target(4, 4);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 4, 4));
    target.Canvas()->Draw(0, 0, &glyph);
    EXPECT_EQ(Rgb(target.Image(), 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(target.Image(), 1, 1), 0x000000u);
}

TEST(Canvas, CopyRectStretches)
{
    TBitmap src(2, 2), dst(8, 8);
    src.Canvas()->Brush()->SetColor(clBlue);
    src.Canvas()->FillRect(TRect(0, 0, 2, 2));
    dst.Canvas()->CopyRect(TRect(2, 2, 6, 6), src.Canvas(), TRect(0, 0, 2, 2));
    EXPECT_EQ(InkBox(dst.Image()), QRect(2, 2, 4, 4));
}
