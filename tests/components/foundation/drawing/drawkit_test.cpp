#include "platform/vcl/VclTestSupport.h"

#include "components/foundation/ToolCtrlsEh.h"

using namespace vcltest;

TEST(DrawKitColors, BlendsAndLuminance)
{
    EXPECT_EQ(BlendColors(TColor(RGB(10, 20, 30)), TColor(RGB(200, 100, 0)), 0), TColor(RGB(10, 20, 30)));
    // Per channel c1 + (c2 - c1) / 255 * alpha, truncated toward zero.
    EXPECT_EQ(BlendColors(TColor(RGB(0, 255, 100)), TColor(RGB(255, 0, 101)), 128), TColor(RGB(128, 127, 100)));
    EXPECT_EQ(BlendColorsPercent(clRed, clBlue, 0), TColor(ColorToRGB(clRed)));
    EXPECT_EQ(BlendColorsPercent(clRed, clBlue, 100), TColor(ColorToRGB(clBlue)));
    // Halves to even: 0 + 50% of 5 = 2.5 -> 2; of 7 = 3.5 -> 4.
    EXPECT_EQ(BlendColorsPercent(TColor(RGB(0, 0, 0)), TColor(RGB(5, 7, 0)), 50), TColor(RGB(2, 4, 0)));
    EXPECT_EQ(BlendColorsPercent(clWhite, clBlack, -10), clWhite);   // clamped
    // System colours are resolved first.
    EXPECT_EQ(ColorLuminance(clBtnFace), (77 * 212 + 150 * 208 + 29 * 200) >> 8);
    EXPECT_EQ(GrayColor(clWhite), TColor(0xFFFFFF));
    const TColor a = TColor(RGB(0, 0, 255)), b = TColor(RGB(0, 0, 255));
    EXPECT_EQ(DarkerColor(a, b), a);
    EXPECT_EQ(DarkerColor(clWhite, clBlack), clBlack);
    EXPECT_EQ(ColorToImageListColor(clNone), 0xFFFFFFFFu);
    EXPECT_EQ(ColorToImageListColor(clDefault), 0xFF000000u);
    EXPECT_EQ(ColorToImageListColor(clBtnFace), GetSysColor(COLOR_BTNFACE));
}

TEST(DrawKitHelpers, SmallRoutines)
{
    EXPECT_EQ(ScaleByFourThirds(3, true), 4);
    EXPECT_EQ(ScaleByFourThirds(3, false), 3);
    EXPECT_EQ(ScaleByFourThirds(15, true), 20);
    EXPECT_EQ(RoundEh(2.5), 2);
    EXPECT_EQ(RoundEh(3.5), 4);
    EXPECT_TRUE(PointInRectInclusive(TPoint(10, 10), TRect(0, 0, 10, 10)));
    EXPECT_FALSE(PointInRectInclusive(TPoint(11, 10), TRect(0, 0, 10, 10)));
    int x = 1, y = 2;
    SwapIntegers(x, y);
    EXPECT_EQ(x * 10 + y, 21);
    EXPECT_EQ(IfThenInt(false, 1, 2), 2);
}

TEST(DrawKitClip, SelectAndRestore)
{
    const int regions = LiveRegionCount();
    TBitmap bmp(40, 40);
    TCanvas* c = bmp.Canvas();
    HRGN saved = SelectClipRectEh(c, TRect(5, 5, 15, 15));
    EXPECT_EQ(saved, nullptr);   // there was no clip
    EXPECT_EQ(c->ClipRect(), TRect(5, 5, 15, 15));
    HRGN inner = SelectClipRectEh(c, TRect(10, 0, 40, 40));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(c->ClipRect(), TRect(10, 5, 15, 15));   // intersected with the old clip
    RestoreClipRegionEh(c, inner);
    EXPECT_EQ(c->ClipRect(), TRect(5, 5, 15, 15));
    RestoreClipRegionEh(c, saved);
    EXPECT_EQ(c->ClipRect(), TRect(0, 0, 40, 40));
    EXPECT_EQ(LiveRegionCount(), regions);   // nothing leaked
}

namespace {
struct Cell {
    TRecordingCanvas RC{200, 60};
    TCanvas* C() { return RC.Canvas(); }
    Cell()
    {
        C()->Brush()->SetColor(clWhite);
        C()->FillRect(TRect(0, 0, 200, 60));
        C()->Font()->SetColor(clBlack);
        RC.ClearLog();
    }
    int Count(const QString& prefix) const
    {
        int n = 0;
        for (const QString& l : RC.Log)
            n += l.startsWith(prefix);
        return n;
    }
};
}

TEST(WriteTextInRect, SimpleLineIsOneTextRect)
{
    Cell cell;
    WriteTextInRect(cell.C(), TRect(10, 10, 110, 30), true, 2, 1, QStringLiteral("Счёт-фактура"), taLeftJustify, tlTop,
                    false, false, 0, 0, false, true);
    EXPECT_EQ(cell.Count(QStringLiteral("TextOut(12,11;")), 1) << cell.RC.Log.join(u'\n').toStdString();
    EXPECT_EQ(cell.Count(QStringLiteral("DrawText")), 0);
}

TEST(WriteTextInRect, FeaturesTakeTheDrawTextPath)
{
    struct Case { bool Wrap, Ellipsis; int LeftMarg; bool Single; int Length; };
    const Case cases[] = {{true, false, 0, true, 5}, {false, true, 0, true, 5}, {false, false, 2, true, 5},
                          {false, false, 0, false, 5}, {false, false, 0, true, 32769}};
    for (const Case& k : cases) {
        Cell cell;
        WriteTextInRect(cell.C(), TRect(0, 0, 100, 20), false, 0, 0, QString(k.Length, u'x'), taLeftJustify, tlTop,
                        k.Wrap, k.Ellipsis, k.LeftMarg, 0, false, k.Single);
        EXPECT_EQ(cell.Count(QStringLiteral("DrawText(")), 1) << k.Length << k.Wrap << k.Ellipsis;
        EXPECT_EQ(cell.Count(QStringLiteral("TextOut(")), 0);
    }
}

TEST(WriteTextInRect, RightAlignmentEndsThreePixelsBeforeTheEdgeAndIgnoresDX)
{
    for (int dx : {0, 7}) {
        TBitmap bmp(120, 20);
        bmp.Canvas()->Brush()->SetColor(clWhite);
        bmp.Canvas()->FillRect(TRect(0, 0, 120, 20));
        const int w = bmp.Canvas()->TextWidth(QStringLiteral("1234"));
        WriteTextInRect(bmp.Canvas(), TRect(0, 0, 100, 20), true, dx, 2, QStringLiteral("1234"), taRightJustify, tlTop,
                        false, false, 0, 0, false, true);
        const QRect ink = InkBox(bmp.Image());
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), 100 - w - 3);
        EXPECT_LE(ink.right(), 100 - 3 - 1);
        EXPECT_GE(ink.right(), 100 - 3 - 3);
    }
}

TEST(WriteTextInRect, TallTextInCentreLayoutIsClippedToTheCell)
{
    TBitmap bmp(100, 80);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 100, 80));
    WriteTextInRect(c, TRect(0, 30, 100, 45), false, 0, 0, QStringLiteral("one two three four five six"), taLeftJustify,
                    tlCenter, true, false, 0, 0, false, false);
    const QRect ink = InkBox(bmp.Image());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.top(), 30);
    EXPECT_LT(ink.bottom(), 45);
    EXPECT_EQ(c->ClipRect(), TRect(0, 0, 100, 80));   // the caller's clip is back
}

TEST(WriteTextInRect, BottomLayoutOfASimpleLine)
{
    Cell cell;
    const int h = cell.C()->TextHeight(QStringLiteral("x"));
    WriteTextInRect(cell.C(), TRect(0, 0, 100, 40), true, 0, 3, QStringLiteral("x"), taLeftJustify, tlBottom, false,
                    false, 0, 0, false, true);
    EXPECT_EQ(cell.Count(QStringLiteral("TextOut(0,%1;").arg(40 - h - 3)), 1) << cell.RC.Log.join(u'\n').toStdString();
}

TEST(WriteTextHighlighted, OccurrencesAndNone)
{
    Cell none;
    WriteTextHighlighted(none.C(), TRect(0, 0, 100, 20), 2, 0, QStringLiteral("abc"), taLeftJustify, false, false, 0, 0,
                         0, 0, QStringLiteral("zz"), false, clYellow, 0, 0);
    EXPECT_TRUE(none.RC.Log.isEmpty());

    Cell two;
    const int wa = two.C()->TextWidth(QStringLiteral("a"));
    WriteTextHighlighted(two.C(), TRect(10, 5, 100, 25), 2, 0, QStringLiteral("aaa"), taLeftJustify, false, false, 0, 0,
                         0, 0, QStringLiteral("aa"), false, clYellow, 0, 0);
    ASSERT_EQ(two.Count(QStringLiteral("TextOut(")), 2) << two.RC.Log.join(u'\n').toStdString();
    EXPECT_TRUE(two.RC.Log.join(u'\n').contains(QStringLiteral("TextOut(12,5;aa")));
    EXPECT_TRUE(two.RC.Log.join(u'\n').contains(QStringLiteral("TextOut(%1,5;aa").arg(12 + wa)));
    EXPECT_EQ(two.C()->Brush()->GetColor(), clWhite);   // colours restored
}

TEST(WriteTextHighlighted, PaintsTheHighlightBehindTheMatch)
{
    TBitmap bmp(100, 20);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 100, 20));
    WriteTextHighlighted(c, TRect(0, 0, 100, 20), 2, 0, QStringLiteral("Иванов"), taLeftJustify, false, false, 0, 0, 0, 0,
                         QStringLiteral("ИВ"), true, clYellow, 0, 0);
    const QRect box = InkBox(bmp.Image());
    ASSERT_FALSE(box.isEmpty());
    EXPECT_EQ(box.left(), 2);
    EXPECT_EQ(Rgb(bmp.Image(), 2, 1), 0xFFFF00u);
}

TEST(FillGradientRect, RowsStepFromFirstToSecondColour)
{
    TBitmap bmp(10, 11);
    FillGradientRect(bmp.Canvas(), TRect(0, 0, 10, 11), TColor(RGB(0, 0, 0)), TColor(RGB(100, 200, 0)));
    EXPECT_EQ(Rgb(bmp.Image(), 5, 0), 0x000000u);
    EXPECT_EQ(Rgb(bmp.Image(), 5, 10), 0x64C800u);
    EXPECT_EQ(Rgb(bmp.Image(), 0, 5), 0x326400u);   // half way
    TBitmap empty(4, 4);
    FillGradientRect(empty.Canvas(), TRect(2, 2, 2, 4), clBlack, clBlack);
    EXPECT_TRUE(InkBox(empty.Image()).isEmpty());
}

TEST(FillGradientByPoints, PairsFromSecondColourToFirst)
{
    TRecordingCanvas rc(20, 20);
    FillGradientByPoints(rc.Canvas(), TPoint(1, 1), {TPoint(0, 0), TPoint(5, 0), TPoint(0, 1), TPoint(5, 1)}, clRed,
                         clBlue, 3);
    ASSERT_EQ(rc.Log.size(), 2);
    EXPECT_EQ(rc.Log[0], QStringLiteral("Line(1,1,6,1;$FF0000)"));   // colour 2 first
    EXPECT_EQ(rc.Log[1], QStringLiteral("Line(1,2,6,2;$0000FF)"));
}

TEST(DrawClippedImage, ClipsToTheCellAndSkipsInvisibleCells)
{
    TBitmap glyph(20, 20);
    glyph.Canvas()->Brush()->SetColor(clBlack);
    glyph.Canvas()->FillRect(TRect(0, 0, 20, 20));
    TBitmap target(60, 40);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 60, 40));
    DrawClippedImage(nullptr, &glyph, target.Canvas(), TRect(10, 10, 22, 22), 0, 0, taCenter, TRect(0, 0, 60, 40));
    EXPECT_EQ(InkBox(target.Image()), QRect(10, 10, 12, 12));
    DrawClippedImage(nullptr, &glyph, target.Canvas(), TRect(40, 0, 60, 20), 0, 0, taLeftJustify, TRect(0, 0, 30, 40));
    EXPECT_EQ(InkBox(target.Image()), QRect(10, 10, 12, 12));
    EXPECT_EQ(target.Canvas()->ClipRect(), TRect(0, 0, 60, 40));
}

TEST(SharedWorkBitmap, HeldFromStartUpCountedAndOnlyGrows)
{
    // The unit's start-up holds one reference for the life of the application.
    ASSERT_TRUE(ToolCtrlsUnitStarted());
    EXPECT_EQ(SharedWorkBitmapRefCount(), 1);
    TBitmap* b = SharedWorkBitmap();
    ASSERT_NE(b, nullptr);
    AcquireSharedWorkBitmap();
    EXPECT_EQ(SharedWorkBitmapRefCount(), 2);
    ReleaseSharedWorkBitmap();
    EXPECT_EQ(SharedWorkBitmap(), b);
    // The last reference frees it; the count never goes below zero.
    ReleaseSharedWorkBitmap();
    EXPECT_EQ(SharedWorkBitmap(), nullptr);
    ReleaseSharedWorkBitmap();
    EXPECT_EQ(SharedWorkBitmapRefCount(), 0);
    AcquireSharedWorkBitmap();   // the unit's reference back
}

TEST(WriteRotatedText, MeasureOnlyDrawsNothing)
{
    Cell cell;
    const int extent = WriteRotatedText(cell.C(), TRect(0, 0, 20, 100), false, 0, 0, QStringLiteral("Итого"), taLeftJustify,
                                        tlBottom, false, true);
    EXPECT_EQ(extent, cell.C()->TextWidth(QStringLiteral("Итого")));
    EXPECT_TRUE(cell.RC.Log.isEmpty());
    TBitmap bmp(20, 100);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect(0, 0, 20, 100));
    WriteRotatedText(bmp.Canvas(), TRect(0, 0, 20, 100), false, 2, 2, QStringLiteral("Итого"), taLeftJustify, tlBottom,
                     false, false);
    const QRect ink = InkBox(bmp.Image());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), ink.width());   // runs upward
    EXPECT_LE(ink.bottom(), 98);
}
