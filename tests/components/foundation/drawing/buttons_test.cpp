#include "platform/vcl/VclTestSupport.h"

#include "components/foundation/ToolCtrlsEh.h"

using namespace vcltest;

namespace {
struct Surface {
    TBitmap Bmp;
    explicit Surface(int w, int h, TColor back = clWhite) : Bmp(w, h)
    {
        Bmp.Canvas()->Brush()->SetColor(back);
        Bmp.Canvas()->FillRect(TRect(0, 0, w, h));
    }
    TCanvas* C() { return Bmp.Canvas(); }
    uint32_t At(int x, int y) { return Rgb(Bmp.Image(), x, y); }
};
uint32_t SysRgb(int index) { return ToRgb(GetSysColor(index)); }

struct CacheFixture : ::testing::Test {
    void SetUp() override { ResetButtonsBitmapCache(); }
    void TearDown() override { ResetButtonsBitmapCache(); }
};
}

TEST_F(CacheFixture, SpinHalvesGetOneEntryPerPressedState)
{
    Surface s(40, 40);
    for (int part : {0, 1, 2, 1, 0})
        DrawEditButtonControl(s.C(), TRect(0, 0, 17, 20), clWindow, bcsUpDownEh, part, false, false, true, cbUnchecked);
    // Upper half: unpressed and pressed; lower half the same.
    EXPECT_EQ(ButtonsBitmapCache()->Count(), 4);
    ResetButtonsBitmapCache();
    EXPECT_EQ(ButtonsBitmapCache()->Count(), 0);
}

TEST_F(CacheFixture, NegativeSizeIsTakenAsZero)
{
    TButtonBitmapInfoEh k;
    k.Size = TPoint(-5, 3);
    TBitmap* a = ButtonsBitmapCache()->GetButtonBitmap(k);
    k.Size = TPoint(0, 3);
    TBitmap* b = ButtonsBitmapCache()->GetButtonBitmap(k);
    EXPECT_EQ(a, b);
    EXPECT_EQ(ButtonsBitmapCache()->Count(), 1);
    EXPECT_EQ(a->Width(), 0);
}

TEST_F(CacheFixture, KeysDifferingInAnyFieldAreDistinct)
{
    TButtonBitmapInfoEh k;
    k.Size = TPoint(15, 15);
    TButtonsBitmapCache* cache = ButtonsBitmapCache();
    cache->GetButtonBitmap(k);
    TButtonBitmapInfoEh other = k;
    other.DownDirect = true;
    cache->GetButtonBitmap(other);
    other = k;
    other.CheckState = cbGrayed;
    cache->GetButtonBitmap(other);
    cache->GetButtonBitmap(k);
    EXPECT_EQ(cache->Count(), 3);
}

TEST_F(CacheFixture, ClassicRaisedButtonWithEllipsis)
{
    Surface s(16, 16);
    DrawEditButtonControl(s.C(), TRect(0, 0, 16, 16), clWindow, bcsEllipsisEh, 0, false, false, true, cbUnchecked);
    EXPECT_EQ(s.At(0, 0), SysRgb(COLOR_3DLIGHT));
    EXPECT_EQ(s.At(15, 15), SysRgb(COLOR_3DDKSHADOW));
    EXPECT_EQ(s.At(1, 1), SysRgb(COLOR_BTNHIGHLIGHT));
    // Glyph area (2,2)-(14,14): W = 12, dots 2 x 2 with gap 2; middle at 2 + 6 - 1 = 7.
    for (int x : {3, 7, 11}) {
        EXPECT_EQ(s.At(x, 7), 0u) << x;
        EXPECT_EQ(s.At(x + 1, 8), 0u) << x;
    }
    EXPECT_EQ(s.At(5, 7), SysRgb(COLOR_BTNFACE));
}

TEST_F(CacheFixture, ClassicFlatFrameOnlyWhenActive)
{
    struct Case { bool Active, Pressed; uint32_t TopLeft, BottomRight; };
    const Case cases[] = {
        {false, false, SysRgb(COLOR_BTNFACE), SysRgb(COLOR_BTNFACE)},
        {true, false, SysRgb(COLOR_BTNHIGHLIGHT), SysRgb(COLOR_BTNSHADOW)},
        {true, true, SysRgb(COLOR_BTNSHADOW), SysRgb(COLOR_BTNHIGHLIGHT)},
    };
    for (const Case& k : cases) {
        Surface s(16, 16);
        DrawButtonByStyle(s.C(), bcsPlusEh, TRect(0, 0, 16, 16), false, k.Pressed, k.Active, true, true);
        EXPECT_EQ(s.At(0, 0), k.TopLeft) << k.Active << k.Pressed;
        EXPECT_EQ(s.At(15, 15), k.BottomRight) << k.Active << k.Pressed;
        EXPECT_EQ(s.At(1, 1), SysRgb(COLOR_BTNFACE));
    }
}

TEST_F(CacheFixture, FlatInactiveEditButtonIsFramedWithTheBackground)
{
    Surface s(20, 20, clBlack);
    DrawEditButtonControl(s.C(), TRect(0, 0, 16, 16), clWindow, bcsPlusEh, 0, true, false, true, cbUnchecked);
    EXPECT_EQ(s.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(s.At(15, 8), 0xFFFFFFu);
    EXPECT_EQ(s.At(1, 1), SysRgb(COLOR_BTNFACE));
}

TEST_F(CacheFixture, PlusAndMinusBars)
{
    // 16 x 16 raised: glyph 12 x 12; m = 12, L = 6, T = 2; w = 6 (same parity as m), plus keeps 6.
    Surface s(16, 16);
    DrawButtonByStyle(s.C(), bcsMinusEh, TRect(0, 0, 16, 16), false, false, false, false, true);
    EXPECT_EQ(InkBox(s.Bmp.Image().copy(2, 2, 12, 12), QColor(212, 208, 200)), QRect(3, 5, 6, 2));
    Surface p(16, 16);
    DrawButtonByStyle(p.C(), bcsPlusEh, TRect(0, 0, 16, 16), false, true, false, false, true);   // pressed: +1,+1
    EXPECT_EQ(InkBox(p.Bmp.Image().copy(2, 2, 12, 12), QColor(212, 208, 200)), QRect(4, 4, 6, 6));
}

TEST_F(CacheFixture, TriangleWidthsByButtonSize)
{
    struct Case { int Size; int Width; };
    for (const Case& k : {Case{10, 3}, Case{12, 5}, Case{16, 7}, Case{19, 9}}) {
        Surface s(k.Size, k.Size);
        DrawButtonByStyle(s.C(), bcsAltDropDownEh, TRect(0, 0, k.Size, k.Size), false, false, false, true, true);
        const QRect ink = InkBox(s.Bmp.Image(), QColor(212, 208, 200));
        EXPECT_EQ(ink.width(), k.Width) << k.Size;
        EXPECT_EQ(ink.height(), k.Width / 2 + 1) << k.Size;
    }
}

TEST_F(CacheFixture, ClassicCheckBoxes)
{
    Surface s(60, 16);
    DrawEditButtonControl(s.C(), TRect(0, 0, 16, 16), clWindow, bcsCheckboxEh, 0, false, false, true, cbChecked);
    DrawEditButtonControl(s.C(), TRect(20, 0, 36, 16), clWindow, bcsCheckboxEh, 0, false, false, true, cbUnchecked);
    DrawEditButtonControl(s.C(), TRect(40, 0, 56, 16), clWindow, bcsCheckboxEh, 0, true, true, true, cbGrayed);
    EXPECT_EQ(s.At(0, 0), SysRgb(COLOR_BTNSHADOW));      // sunken edge
    EXPECT_EQ(s.At(1, 1), SysRgb(COLOR_3DDKSHADOW));
    // 12 x 12 interior: tick at (2 + 2, 2 + 2); its low point at x + 2, rows +4..+6.
    EXPECT_EQ(s.At(2 + 2 + 2, 2 + 2 + 5), 0u);
    EXPECT_EQ(s.At(20 + 6, 8), 0xFFFFFFu);
    // Flat and active: a sunken one-pixel frame, grey tick on face colour.
    EXPECT_EQ(s.At(40, 0), SysRgb(COLOR_BTNSHADOW));
    EXPECT_EQ(s.At(55, 15), SysRgb(COLOR_BTNHIGHLIGHT));
}

TEST(CheckBoxGlyph, FlatFrameColours)
{
    Surface a(13, 13), b(13, 13);
    DrawCheckBoxGlyph(a.C()->Handle(), TRect(0, 0, 13, 13), cbUnchecked, false, false, true, true);
    DrawCheckBoxGlyph(b.C()->Handle(), TRect(0, 0, 13, 13), cbUnchecked, true, false, true, true);
    EXPECT_EQ(a.At(0, 0), SysRgb(COLOR_BTNSHADOW));
    EXPECT_EQ(b.At(0, 0), SysRgb(COLOR_BTNFACE));
    EXPECT_EQ(a.At(1, 1), 0xFFFFFFu);   // the sunken edge is clipped away
}

TEST(AlignedCheckBoxRect, PlacementAndSmallRectangles)
{
    TRect r;
    GetAlignedCheckBoxRect(TRect(0, 0, 100, 30), taCenter, tlCenter, r);
    EXPECT_EQ(r, TRect(44, 9, 57, 22));
    GetAlignedCheckBoxRect(TRect(0, 0, 100, 30), taRightJustify, tlBottom, r);
    EXPECT_EQ(r, TRect(87, 17, 100, 30));
    GetAlignedCheckBoxRect(TRect(0, 0, 100, 30), taLeftJustify, tlTop, r);
    EXPECT_EQ(r, TRect(0, 0, 13, 13));
    GetAlignedCheckBoxRect(TRect(5, 5, 15, 12), taCenter, tlCenter, r);   // smaller than the cell
    EXPECT_EQ(r, TRect(5, 5, 15, 12));
}

TEST(TreeViewGlyph, ClassicCollapsedBoxWithLines)
{
    TRecordingCanvas rc(20, 20);
    TCanvas* c = rc.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 20, 20));
    DrawTreeViewGlyph(c, TRect(0, 0, 19, 19), 4, 0, 1.0, 1.0, false, true, tvgsClassicEh);
    const QImage& img = rc.Bitmap()->Image();
    // Box (5,5)-(14,14), plus sign from 7 to 12.
    EXPECT_EQ(Rgb(img, 5, 5), SysRgb(COLOR_BTNSHADOW));
    EXPECT_EQ(Rgb(img, 13, 13), SysRgb(COLOR_BTNSHADOW));
    EXPECT_EQ(Rgb(img, 7, 9), 0u);
    EXPECT_EQ(Rgb(img, 11, 9), 0u);
    EXPECT_EQ(Rgb(img, 9, 7), 0u);
    EXPECT_EQ(Rgb(img, 9, 11), 0u);
    EXPECT_EQ(Rgb(img, 6, 9), 0xFFFFFFu);
    // Dotted lines right, above and below, and the caller's colours back.
    EXPECT_TRUE(rc.Log.join(u' ').contains(QStringLiteral("Rectangle(5,5,14,14)")));
    EXPECT_EQ(c->Brush()->GetColor(), clWhite);
    // The line above starts at (9, 0); x + y is odd and the phase even, so the first dot is at y = 1.
    EXPECT_EQ(Rgb(img, 9, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(img, 9, 1), SysRgb(COLOR_BTNSHADOW));
    EXPECT_EQ(Rgb(img, 9, 3), SysRgb(COLOR_BTNSHADOW));
}

TEST(DottedLine, PhaseShiftsTheStart)
{
    TRecordingCanvas even(20, 4), odd(20, 4);
    DrawDottedLine(even.Canvas(), TPoint(0, 0), 7, 0, true);
    DrawDottedLine(odd.Canvas(), TPoint(0, 0), 7, 1, true);
    EXPECT_EQ(even.Log.size(), 4);   // 7 div 2 + 1
    EXPECT_TRUE(even.Log[0].startsWith(QStringLiteral("Polyline((0,0) (1,0)")));
    EXPECT_EQ(odd.Log.size(), 3);    // moved to x = 1, length 6
    EXPECT_TRUE(odd.Log[0].startsWith(QStringLiteral("Polyline((1,0) (2,0)")));
    TRecordingCanvas none(4, 4);
    DrawDottedLine(none.Canvas(), TPoint(0, 0), -3, 0, true);
    EXPECT_TRUE(none.Log.isEmpty());
}

TEST(EditButtonWidth, OddWithoutStylesAndBounded)
{
    const int w = DefaultEditButtonWidth();
    EXPECT_EQ(w % 2, 1);
    EXPECT_LE(w, GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_GE(w, 7);
    EXPECT_FALSE(ThemesEnabledEh());
    EXPECT_EQ(CheckBoxGlyphSize(), TSize(13, 13));
}
