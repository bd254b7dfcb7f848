#include "platform/vcl/VclTestSupport.h"

#include "platform/winapi/WinGdi.h"

#include <QFont>
#include <QPainter>

using namespace vcltest;

TEST(Rects, OperationsFollowExclusiveEdges)
{
    TRect r;
    EXPECT_TRUE(IsRectEmpty(TRect(0, 0, 0, 10)));
    EXPECT_TRUE(IsRectEmpty(TRect(5, 5, 4, 9)));   // inverted
    EXPECT_FALSE(IsRectEmpty(TRect(0, 0, 1, 1)));
    EXPECT_TRUE(IntersectRect(r, TRect(0, 0, 10, 10), TRect(5, 5, 20, 20)));
    EXPECT_EQ(r, TRect(5, 5, 10, 10));
    EXPECT_FALSE(IntersectRect(r, TRect(0, 0, 10, 10), TRect(10, 0, 20, 10)));   // touching only
    EXPECT_EQ(r, TRect());
    EXPECT_TRUE(UnionRect(r, TRect(0, 0, 0, 0), TRect(3, 4, 5, 6)));             // empty ignored
    EXPECT_EQ(r, TRect(3, 4, 5, 6));
    EXPECT_TRUE(UnionRect(r, TRect(0, 0, 2, 2), TRect(3, 4, 5, 6)));
    EXPECT_EQ(r, TRect(0, 0, 5, 6));
    EXPECT_TRUE(PtInRect(TRect(0, 0, 10, 10), TPoint(0, 9)));
    EXPECT_FALSE(PtInRect(TRect(0, 0, 10, 10), TPoint(10, 5)));
    r = TRect(1, 1, 3, 3);
    InflateRect(r, 1, 2);
    OffsetRect(r, 10, 0);
    EXPECT_EQ(r, TRect(10, -1, 14, 5));
    EXPECT_EQ(MulDiv(8, 96, 72), 11);
    EXPECT_EQ(MulDiv(-8, 96, 72), -11);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

TEST(Colours, SystemTableAndBrushes)
{
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(99), 0u);
    EXPECT_EQ(BrushColor(HBRUSH(COLOR_BTNSHADOW + 1)), GetSysColor(COLOR_BTNSHADOW));
    // A small RGB value is not mistaken for a system colour index.
    EXPECT_EQ(BrushColor(CreateSolidBrush(RGB(5, 0, 0))), RGB(5, 0, 0));
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
}

namespace {
struct Canvas {
    QImage Img;
    HDC DC;
    explicit Canvas(int w = 200, int h = 100) : Img(WhiteImage(w, h)), DC(CreateDCForImage(&Img))
    {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(11);
        DCSetFont(DC, f);
        SetBkMode(DC, TRANSPARENT);
    }
    ~Canvas() { DeleteDC(DC); }
    QImage Done()
    {
        DeleteDC(DC);
        DC = nullptr;
        return Img;
    }
    int LineH()
    {
        TTextMetric tm;
        GetTextMetrics(DC, tm);
        return tm.tmHeight;
    }
    int W(const QString& s)
    {
        TSize sz;
        GetTextExtentPoint32(DC, s, sz);
        return sz.cx;
    }
};
}

TEST(DrawText, CalcRectGivesLineHeightsAndWidths)
{
    Canvas c;
    const int h = c.LineH();
    ASSERT_GT(h, 8);
    struct Case { const char* Text; UINT Flags; int Width; int Lines; };
    const Case cases[] = {
        {"one", DT_SINGLELINE, 100, 1},
        {"one\r\ntwo\nthree", 0, 100, 3},
        {"one\r\ntwo", DT_SINGLELINE, 100, 1},
        {"alpha beta gamma delta", DT_WORDBREAK, 1000, 1},
        {"", 0, 100, 1},
    };
    for (const Case& k : cases) {
        TRect r(10, 20, 10 + k.Width, 20);
        const int got = DrawText(c.DC, QString::fromUtf8(k.Text), -1, r, k.Flags | DT_CALCRECT | DT_NOPREFIX);
        EXPECT_EQ(got, k.Lines * h) << k.Text;
        EXPECT_EQ(r.Bottom, 20 + k.Lines * h) << k.Text;
        EXPECT_EQ(r.Top, 20);
    }
    TRect r(0, 0, 1, 0);
    DrawText(c.DC, QStringLiteral("abc"), -1, r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(r.Right, c.W(QStringLiteral("abc")));
}

TEST(DrawText, WordBreakSplitsAtBlanksAndCutsLongWords)
{
    Canvas c;
    const int h = c.LineH();
    const int wAlpha = c.W(QStringLiteral("alpha beta"));
    TRect r(0, 0, wAlpha + 2, 0);
    // "alpha beta" fits, "gamma" goes to the next line.
    EXPECT_EQ(DrawText(c.DC, QStringLiteral("alpha beta gamma"), -1, r, DT_WORDBREAK | DT_CALCRECT), 2 * h);
    EXPECT_LE(r.Right, wAlpha + 2);
    // A word wider than the room is cut by characters, never lost.
    TRect narrow(0, 0, c.W(QStringLiteral("WW")) + 1, 0);
    EXPECT_EQ(DrawText(c.DC, QStringLiteral("WWWWWW"), -1, narrow, DT_WORDBREAK | DT_CALCRECT), 3 * h);
    // Margins take room away.
    DRAWTEXTPARAMS p;
    p.iLeftMargin = 5;
    p.iRightMargin = 5;
    TRect m(0, 0, wAlpha + 2, 0);
    EXPECT_EQ(DrawTextEx(c.DC, QStringLiteral("alpha beta"), -1, m, DT_WORDBREAK | DT_CALCRECT, &p), 2 * h);
    EXPECT_EQ(p.uiLengthDrawn, 10u);
}

TEST(DrawText, AlignmentPlacesInk)
{
    for (UINT align : {UINT(DT_LEFT), UINT(DT_CENTER), UINT(DT_RIGHT)}) {
        Canvas c(200, 40);
        const int w = c.W(QStringLiteral("Test"));
        TRect r(10, 5, 190, 35);
        const int ret = DrawText(c.DC, QStringLiteral("Test"), -1, r, align | DT_SINGLELINE | DT_VCENTER);
        const int h = c.LineH();
        EXPECT_EQ(ret, (30 - h) / 2 + h);
        const QRect ink = InkBox(c.Done());
        ASSERT_FALSE(ink.isEmpty());
        const int start = align == DT_LEFT ? 10 : align == DT_RIGHT ? 190 - w : 10 + (180 - w) / 2;
        EXPECT_NEAR(ink.left(), start, 2) << align;
        EXPECT_LE(ink.right(), start + w) << align;
        EXPECT_GE(ink.top(), 5 + (30 - h) / 2);
    }
}

TEST(DrawText, EveryClippedCallDrawsInTheContextsFont)
{
    // The first call's clip is undone after it; later calls must not fall back to the
    // painter's own font.
    Canvas c(300, 60);
    const QString text = QStringLiteral("Дубликаты проводок филиал");
    const int w = c.W(text);
    for (int top : {0, 30}) {
        TRect r(0, top, 300, top + 30);
        DrawText(c.DC, text, -1, r, DT_SINGLELINE | DT_VCENTER);
    }
    const QImage img = c.Done();
    const QRect first = InkBox(img.copy(0, 0, 300, 30));
    const QRect second = InkBox(img.copy(0, 30, 300, 30));
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(second.width(), first.width());
    EXPECT_EQ(second.height(), first.height());
    EXPECT_LE(second.right(), w);
}

TEST(DrawText, EndEllipsisFitsTheRoom)
{
    Canvas c(300, 30);
    const int room = c.W(QStringLiteral("abcdef"));
    TRect calc(0, 0, room, 0);
    DrawText(c.DC, QStringLiteral("abcdefghijklmnop"), -1, calc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(calc.Width(), room);
    EXPECT_GT(calc.Width(), c.W(QStringLiteral("...")));
    // Without the flag the text keeps its full width and is clipped when drawn.
    TRect r(0, 0, room, 20);
    DrawText(c.DC, QStringLiteral("abcdefghijklmnop"), -1, r, DT_SINGLELINE);
    EXPECT_LE(InkBox(c.Done()).right(), room - 1);
}

TEST(DrawText, TabsExpandToStopsAndPrefixesUnderline)
{
    Canvas c;
    TTextMetric tm;
    GetTextMetrics(c.DC, tm);
    TRect r(0, 0, 400, 0);
    DrawText(c.DC, QStringLiteral("a\tb"), -1, r, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE);
    EXPECT_EQ(r.Width(), 8 * tm.tmAveCharWidth + c.W(QStringLiteral("b")));
    DRAWTEXTPARAMS p;
    p.iTabLength = 2;
    TRect r2(0, 0, 400, 0);
    DrawTextEx(c.DC, QStringLiteral("a\tb"), -1, r2, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE, &p);
    EXPECT_EQ(r2.Width(), 2 * tm.tmAveCharWidth + c.W(QStringLiteral("b")));
    // "&&" is one ampersand; a single '&' takes no room.
    TRect a(0, 0, 400, 0), b(0, 0, 400, 0);
    DrawText(c.DC, QStringLiteral("&Save && go"), -1, a, DT_CALCRECT | DT_SINGLELINE);
    DrawText(c.DC, QStringLiteral("Save & go"), -1, b, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(a.Width(), b.Width());
}

TEST(DrawEdge, RaisedAndSunkenRings)
{
    Canvas c(20, 20);
    TRect r(0, 0, 10, 10);
    DrawEdge(c.DC, r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    TRect s(10, 10, 20, 20);
    DrawEdge(c.DC, s, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    EXPECT_EQ(s, TRect(12, 12, 18, 18));
    const QImage img = c.Done();
    struct Probe { int X, Y; int Color; };
    const Probe probes[] = {
        {0, 0, COLOR_3DLIGHT}, {0, 8, COLOR_3DLIGHT}, {9, 0, COLOR_3DDKSHADOW}, {0, 9, COLOR_3DDKSHADOW},
        {9, 9, COLOR_3DDKSHADOW}, {1, 1, COLOR_BTNHIGHLIGHT}, {8, 1, COLOR_BTNSHADOW}, {1, 8, COLOR_BTNSHADOW},
        {5, 5, COLOR_BTNFACE},
        {10, 10, COLOR_BTNSHADOW}, {19, 19, COLOR_BTNHIGHLIGHT}, {11, 11, COLOR_3DDKSHADOW}, {18, 18, COLOR_3DLIGHT},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(Rgb(img, p.X, p.Y), ToRgb(GetSysColor(p.Color))) << p.X << "," << p.Y;
    EXPECT_EQ(Rgb(img, 15, 15), 0xFFFFFFu);   // no middle asked
}

TEST(DrawFrameControl, CheckBoxStates)
{
    Canvas c(60, 13);
    TRect a(0, 0, 13, 13), b(20, 0, 33, 13), g(40, 0, 53, 13);
    DrawFrameControl(c.DC, a, DFC_BUTTON, DFCS_BUTTONCHECK);
    DrawFrameControl(c.DC, b, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    DrawFrameControl(c.DC, g, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_BUTTON3STATE);
    const QImage img = c.Done();
    EXPECT_EQ(Rgb(img, 0, 0), ToRgb(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_EQ(Rgb(img, 6, 6), 0xFFFFFFu);                     // empty box
    EXPECT_EQ(Rgb(img, 20 + 2 + 1 + 3, 2 + 1 + 4), 0x000000u);  // tick's low point
    EXPECT_EQ(Rgb(img, 40 + 2 + 1 + 3, 2 + 1 + 4), ToRgb(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_EQ(Rgb(img, 40 + 3, 3), ToRgb(GetSysColor(COLOR_BTNFACE)));
}

TEST(DrawFrameControl, ComboArrowIsCentredTriangle)
{
    Canvas c(17, 17);
    TRect r(0, 0, 17, 17);
    DrawFrameControl(c.DC, r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
    const QImage img = c.Done();
    // 7 wide, 4 rows, starting at (5, 6).
    EXPECT_EQ(Rgb(img, 5, 6), 0u);
    EXPECT_EQ(Rgb(img, 11, 6), 0u);
    EXPECT_EQ(Rgb(img, 8, 9), 0u);
    EXPECT_NE(Rgb(img, 7, 9), 0u);
    EXPECT_NE(Rgb(img, 4, 6), 0u);
}

TEST(Clip, SaveIntersectRestore)
{
    Canvas c(40, 40);
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(c.DC, saved), 0);
    IntersectClipRect(c.DC, 10, 10, 20, 20);
    FillRect(c.DC, TRect(0, 0, 40, 40), CreateSolidBrush(0));
    SelectClipRgn(c.DC, nullptr);
    FillRect(c.DC, TRect(30, 30, 31, 31), CreateSolidBrush(0));
    DeleteRgn(saved);
    const QImage img = c.Done();
    EXPECT_EQ(InkBox(img.copy(0, 0, 29, 29)), QRect(10, 10, 10, 10));
    EXPECT_EQ(Rgb(img, 30, 30), 0u);
}

TEST(Lines, LineToLeavesOutTheEndPoint)
{
    Canvas c(10, 10);
    DCSetPen(c.DC, 0, 1, PS_SOLID);
    MoveToEx(c.DC, 1, 1, nullptr);
    LineTo(c.DC, 5, 1);
    LineTo(c.DC, 5, 5);
    const QImage img = c.Done();
    EXPECT_EQ(Rgb(img, 1, 1), 0u);
    EXPECT_EQ(Rgb(img, 4, 1), 0u);
    EXPECT_EQ(Rgb(img, 5, 1), 0u);   // start of the second segment
    EXPECT_EQ(Rgb(img, 5, 4), 0u);
    EXPECT_EQ(Rgb(img, 5, 5), 0xFFFFFFu);
}

TEST(Layout, RightToLeftMirrorsFills)
{
    Canvas c(20, 4);
    SetLayout(c.DC, LAYOUT_RTL);
    FillRect(c.DC, TRect(0, 0, 3, 4), CreateSolidBrush(0));
    const QImage img = c.Done();
    EXPECT_EQ(InkBox(img), QRect(17, 0, 3, 4));
}

// A pen line at x + 1 in a mirrored context covers the pixels a fill of column x covers; unmirrored
// it is x itself. Every pen path (single line, polyline, poly-polyline, wide pen, diagonal) agrees.
TEST(Layout, MirroredPenLinesLandOnePixelRightOfFills)
{
    enum Kind { Line, Poly, PolyPoly, WidePen, Diagonal };
    struct Case {
        Kind K;
        bool Rtl;
        TRect Fill;   // what the line must cover
    } cases[] = {
        {Line, false, TRect(5, 1, 6, 7)},     {Line, true, TRect(5, 1, 6, 7)},
        {Poly, false, TRect(5, 1, 6, 7)},     {Poly, true, TRect(5, 1, 6, 7)},
        {PolyPoly, false, TRect(5, 1, 6, 7)}, {PolyPoly, true, TRect(5, 1, 6, 7)},
        {Line, true, TRect(0, 3, 20, 4)},     {Line, true, TRect(19, 0, 20, 8)},   // edge columns
        {WidePen, true, TRect(5, 1, 6, 7)},   {Diagonal, true, TRect(5, 1, 6, 7)},
    };
    for (const Case& k : cases) {
        const int shift = k.Rtl ? 1 : 0;
        Canvas fill(20, 8);
        if (k.Rtl)
            SetLayout(fill.DC, LAYOUT_RTL);
        FillRect(fill.DC, k.Fill, CreateSolidBrush(0));
        const QRect want = InkBox(fill.Done());

        Canvas line(20, 8);
        if (k.Rtl)
            SetLayout(line.DC, LAYOUT_RTL);
        DCSetPen(line.DC, 0, 1, PS_SOLID);
        const bool vert = k.Fill.Width() == 1;
        const TPoint a(k.Fill.Left + shift, k.Fill.Top);
        const TPoint b = vert ? TPoint(a.X, k.Fill.Bottom) : TPoint(k.Fill.Right + shift, a.Y);
        const TPoint pts[2] = {a, b};
        const DWORD counts[1] = {2};
        QRect got;
        switch (k.K) {
        case Line:
            MoveToEx(line.DC, a.X, a.Y, nullptr);
            LineTo(line.DC, b.X, b.Y);
            break;
        case Poly:
            Polyline(line.DC, pts, 2);
            break;
        case PolyPoly:
            PolyPolyline(line.DC, pts, counts, 1);
            break;
        case WidePen:
            // Its centre follows the same mapping: a two-pixel pen is centred on the one-pixel line.
            DCSetPen(line.DC, 0, 2, PS_SOLID);
            MoveToEx(line.DC, a.X, a.Y + 1, nullptr);
            LineTo(line.DC, b.X, b.Y - 1);
            break;
        case Diagonal:
            MoveToEx(line.DC, a.X, a.Y, nullptr);
            LineTo(line.DC, a.X + 3, a.Y + 3);
            break;
        }
        got = InkBox(line.Done());
        if (k.K == WidePen)
            EXPECT_TRUE(got.contains(want.center())) << k.K << " " << got.x() << " want " << want.x();
        else if (k.K == Diagonal)
            EXPECT_EQ(got.topRight(), want.topLeft()) << "starts on the fill's column, runs leftwards on the device";
        else
            EXPECT_EQ(got, want) << k.K << " rtl " << k.Rtl;
    }
}

TEST(FocusRect, DottedAndUndoneByASecondCall)
{
    Canvas c(10, 6);
    DrawFocusRect(c.DC, TRect(0, 0, 10, 6));
    const QImage once = c.Img.copy();
    DrawFocusRect(c.DC, TRect(0, 0, 10, 6));
    const QImage img = c.Done();
    EXPECT_EQ(Rgb(once, 0, 0), 0u);
    EXPECT_EQ(Rgb(once, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(once, 2, 0), 0u);
    EXPECT_EQ(Rgb(once, 5, 3), 0xFFFFFFu);   // inside untouched
    EXPECT_TRUE(InkBox(img).isEmpty());      // XOR: drawn twice is gone
}

TEST(AlphaBlend, ConstantAlphaMixesHalfWay)
{
    QImage src = WhiteImage(4, 4);
    src.fill(Qt::black);
    HDC s = CreateDCForImage(&src);
    Canvas c(4, 4);
    AlphaBlendDC(c.DC, 0, 0, 4, 4, s, 0, 0, 4, 4, 128, false);
    DeleteDC(s);
    const QImage img = c.Done();
    EXPECT_NEAR(int(Rgb(img, 1, 1) & 0xFF), 127, 2);
}
