// Device contexts with a resolution: capabilities, fonts sized for the device, mapping modes,
// and recorded pages replayed at other resolutions.
#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Metafiles.h"
#include "platform/winapi/WinGdi.h"

#include <QFont>
#include <QPainter>

namespace {

TDeviceCaps PrinterLike(int dpi, int w, int h, int offX = 0, int offY = 0)
{
    TDeviceCaps c;
    c.Technology = DT_RASPRINTER;
    c.PixelsPerInchX = c.PixelsPerInchY = dpi;
    c.HorzRes = w;
    c.VertRes = h;
    c.PhysicalOffsetX = offX;
    c.PhysicalOffsetY = offY;
    return c;
}

using vcltest::WhiteImage;

// The box of every pixel that is not exactly the background.
QRect Ink(const QImage& img, QRgb background = qRgb(255, 255, 255))
{
    return vcltest::InkBox(img, QColor(background), 0);
}

// The box of the pixels of exactly one colour.
QRect ColourBox(const QImage& img, QRgb colour)
{
    QRect b;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                b |= QRect(x, y, 1, 1);
    return b;
}

} // namespace

TEST(DeviceCaps, ImagesAreScreensAndPrintersSayTheirOwn)
{
    QImage img = WhiteImage(300, 200);
    HDC dc = CreateDCForImage(&img);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 300);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 200);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 300);   // no unprintable margin
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 0);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), int(DT_RASDISPLAY));
    DeleteDC(dc);

    HDC pr = CreateDCForDevice(nullptr, PrinterLike(600, 4676, 6744, 130, 150));
    EXPECT_EQ(GetDeviceCaps(pr, LOGPIXELSX), 600);
    EXPECT_EQ(GetDeviceCaps(pr, HORZRES), 4676);
    EXPECT_EQ(GetDeviceCaps(pr, VERTRES), 6744);
    EXPECT_EQ(GetDeviceCaps(pr, PHYSICALOFFSETX), 130);
    EXPECT_EQ(GetDeviceCaps(pr, PHYSICALOFFSETY), 150);
    EXPECT_EQ(GetDeviceCaps(pr, PHYSICALWIDTH), 4676 + 2 * 130);
    EXPECT_EQ(GetDeviceCaps(pr, PHYSICALHEIGHT), 6744 + 2 * 150);
    EXPECT_EQ(GetDeviceCaps(pr, HORZSIZE), 198);   // millimetres of the printable width
    EXPECT_EQ(GetDeviceCaps(pr, 12345), 0);
    // An information context measures but draws nothing.
    TRect r(0, 0, 100, 100);
    EXPECT_EQ(FillRect(pr, r, CreateSolidBrush(0)), 1);
    DeleteDC(pr);
}

TEST(DeviceFonts, SizedForTheDeviceResolution)
{
    // The first font of a context is the same size on paper at any resolution.
    QImage img = WhiteImage(10, 10);
    HDC screen = CreateDCForImage(&img);
    HDC printer = CreateDCForDevice(nullptr, PrinterLike(600, 4000, 6000));
    TTextMetric s, p;
    GetTextMetrics(screen, s);
    GetTextMetrics(printer, p);
    EXPECT_NEAR(double(p.tmHeight) / s.tmHeight, 600.0 / 96, 0.5);
    EXPECT_EQ(p.tmDigitizedAspectY, 600);
    DeleteDC(screen);
    DeleteDC(printer);

    // A font keeps its point size when it goes to a device of another resolution.
    TFont screenFont;
    screenFont.SetSize(10);
    EXPECT_EQ(screenFont.GetHeight(), -13);
    TFont printerFont;
    printerFont.PixelsPerInch = 600;
    printerFont.Assign(&screenFont);
    EXPECT_EQ(printerFont.GetSize(), 10);
    EXPECT_EQ(printerFont.GetHeight(), -83);
    TFont again;
    again.Assign(&printerFont);
    EXPECT_EQ(again.GetHeight(), -13);
}

TEST(MappingModes, LogicalToDevice)
{
    struct Case {
        const char* Name;
        int Mode;
        TSize WinExt, VpExt;
        TPoint WinOrg, VpOrg;
        TPoint Logical, Device;
    };
    const Case cases[] = {
        {"text mode ignores extents", MM_TEXT, {1000, 1000}, {10, 10}, {5, 5}, {20, 30}, {5, 5}, {20, 30}},
        {"anisotropic halves x, quarters y", MM_ANISOTROPIC, {1000, 1000}, {500, 250}, {0, 0}, {0, 0}, {1000, 1000}, {500, 250}},
        {"isotropic takes the smaller scale", MM_ISOTROPIC, {1000, 1000}, {500, 250}, {0, 0}, {0, 0}, {1000, 1000}, {250, 250}},
        {"origins move both spaces", MM_ANISOTROPIC, {200, 200}, {100, 100}, {100, 100}, {10, 20}, {300, 100}, {110, 20}},
        {"negative extent turns the axis", MM_ANISOTROPIC, {100, 100}, {100, -100}, {0, 0}, {0, 500}, {10, 10}, {10, 490}},
        {"isotropic keeps the axis direction", MM_ISOTROPIC, {100, 100}, {400, -200}, {0, 0}, {0, 0}, {100, 100}, {200, -200}},
    };
    QImage img = WhiteImage(50, 50);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        HDC dc = CreateDCForImage(&img);
        EXPECT_EQ(SetMapMode(dc, c.Mode), int(MM_TEXT));
        EXPECT_TRUE(SetWindowExtEx(dc, c.WinExt.cx, c.WinExt.cy, nullptr));
        EXPECT_TRUE(SetViewportExtEx(dc, c.VpExt.cx, c.VpExt.cy, nullptr));
        SetWindowOrgEx(dc, c.WinOrg.X, c.WinOrg.Y, nullptr);
        SetViewportOrgEx(dc, c.VpOrg.X, c.VpOrg.Y, nullptr);
        TPoint p = c.Logical;
        LPtoDP(dc, &p, 1);
        EXPECT_EQ(p, c.Device);
        DPtoLP(dc, &p, 1);
        EXPECT_EQ(p, c.Logical);
        DeleteDC(dc);
    }
}

TEST(MappingModes, FixedModesRunUpAndRefuseZeroExtents)
{
    QImage img = WhiteImage(50, 50);
    HDC dc = CreateDCForImage(&img);
    SetMapMode(dc, MM_LOMETRIC);   // tenths of a millimetre at 96 pixels per inch
    TPoint p(254, -254);
    LPtoDP(dc, &p, 1);
    EXPECT_EQ(p, TPoint(96, 96));
    SetMapMode(dc, MM_ANISOTROPIC);
    EXPECT_FALSE(SetWindowExtEx(dc, 0, 10, nullptr));
    EXPECT_FALSE(SetViewportExtEx(dc, 10, 0, nullptr));
    EXPECT_EQ(SetMapMode(dc, 99), 0);
    EXPECT_EQ(GetMapMode(dc), int(MM_ANISOTROPIC));
    // Back to text mode: 1:1 again.
    SetMapMode(dc, MM_TEXT);
    p = TPoint(7, 8);
    LPtoDP(dc, &p, 1);
    EXPECT_EQ(p, TPoint(7, 8));
    DeleteDC(dc);
}

TEST(MappingModes, DrawingFollowsTheMapping)
{
    // A grid drawn 1000 units wide onto 100 pixels: fills land scaled, lines stay one pixel,
    // text shrinks with the mapping.
    QImage img = WhiteImage(120, 120);
    HDC dc = CreateDCForImage(&img);
    SetMapMode(dc, MM_ISOTROPIC);
    SetWindowExtEx(dc, 1000, 1000, nullptr);
    SetViewportExtEx(dc, 100, 100, nullptr);
    FillRect(dc, TRect(100, 100, 500, 300), CreateSolidBrush(RGB(255, 0, 0)));
    EXPECT_EQ(Ink(img), QRect(10, 10, 40, 20));
    DCSetPen(dc, 0, 1, PS_SOLID);
    MoveToEx(dc, 0, 900, nullptr);
    LineTo(dc, 1000, 900);
    EXPECT_EQ(img.pixel(50, 90), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(50, 89), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(50, 91), qRgb(255, 255, 255));
    TRect clip;
    GetClipBox(dc, clip);
    EXPECT_EQ(clip, TRect(0, 0, 1200, 1200));

    QImage big = WhiteImage(400, 200), small = WhiteImage(400, 200);
    for (QImage* target : {&big, &small}) {
        HDC t = CreateDCForImage(target);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(40);
        DCSetFont(t, f);
        SetBkMode(t, TRANSPARENT);
        if (target == &small) {
            SetMapMode(t, MM_ANISOTROPIC);
            SetWindowExtEx(t, 2, 2, nullptr);
            SetViewportExtEx(t, 1, 1, nullptr);
        }
        TextOut(t, 20, 20, QStringLiteral("Сумма"));
        DeleteDC(t);
    }
    const QRect b = Ink(big), s = Ink(small);
    EXPECT_NEAR(s.width() * 2, b.width(), 4);
    EXPECT_NEAR(s.height() * 2, b.height(), 4);
    EXPECT_NEAR(s.left() * 2, b.left(), 3);
    DeleteDC(dc);
}

namespace {

// One page: filled cells, frame lines, a clip that the page sets and removes, and text.
void DrawPage(HDC dc)
{
    FillRect(dc, TRect(20, 20, 220, 60), CreateSolidBrush(RGB(200, 220, 255)));
    FillRect(dc, TRect(20, 60, 220, 100), CreateSolidBrush(RGB(255, 240, 200)));
    DCSetPen(dc, RGB(0, 0, 0), 1, PS_SOLID);
    const TPoint frame[] = {{20, 20}, {220, 20}, {220, 100}, {20, 100}, {20, 20}};
    Polyline(dc, frame, 5);
    IntersectClipRect(dc, 20, 110, 120, 200);
    FillRect(dc, TRect(0, 110, 400, 140), CreateSolidBrush(RGB(0, 128, 0)));
    SelectClipRgn(dc, nullptr);
    FillRect(dc, TRect(300, 160, 380, 200), CreateSolidBrush(RGB(128, 0, 0)));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(24);
    DCSetFont(dc, f);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOut(dc, 30, 28, QStringLiteral("Итого"));
}

HENHMETAFILE RecordPage(HDC reference)
{
    HDC rec = CreateEnhMetaFile(reference, 0, 0);
    DrawPage(rec);
    return CloseEnhMetaFile(rec);
}

QImage Region(const QImage& img, const QRect& r) { return img.copy(r); }

} // namespace

TEST(Metafile, ReplaysPixelForPixelAtItsOwnResolution)
{
    HDC ref = CreateDCForDevice(nullptr, PrinterLike(200, 400, 300));
    HENHMETAFILE page = RecordPage(ref);
    EXPECT_EQ(EnhMetaFileSize(page), TSize(400, 300));
    EXPECT_EQ(EnhMetaFileDeviceCaps(page).PixelsPerInchX, 200);

    QImage direct = WhiteImage(400, 300), replay = WhiteImage(400, 300);
    HDC d = CreateDCForImage(&direct);
    DrawPage(d);
    DeleteDC(d);
    HDC r = CreateDCForImage(&replay);
    EXPECT_TRUE(PlayEnhMetaFile(r, page, TRect(0, 0, 400, 300)));
    DeleteDC(r);
    EXPECT_EQ(vcltest::MaxDiff(direct, replay), 0);
    DeleteEnhMetaFile(page);
    DeleteDC(ref);
}

TEST(Metafile, ReplaysAtTwiceAndHalfTheResolution)
{
    HDC ref = CreateDCForDevice(nullptr, PrinterLike(200, 400, 300));
    HENHMETAFILE page = RecordPage(ref);
    QImage one = WhiteImage(400, 300);
    HDC o = CreateDCForImage(&one);
    PlayEnhMetaFile(o, page, TRect(0, 0, 400, 300));
    DeleteDC(o);

    // Twice: stretched onto a rectangle twice the size.
    QImage two = WhiteImage(800, 600);
    HDC t = CreateDCForImage(&two);
    PlayEnhMetaFile(t, page, TRect(0, 0, 800, 600));
    DeleteDC(t);
    // Half: the target maps the whole page onto half its pixels, as a preview does.
    QImage half = WhiteImage(200, 150);
    HDC h = CreateDCForImage(&half);
    SetMapMode(h, MM_ANISOTROPIC);
    SetWindowExtEx(h, 400, 300, nullptr);
    SetViewportExtEx(h, 200, 150, nullptr);
    PlayEnhMetaFile(h, page, TRect(0, 0, 400, 300));
    DeleteDC(h);

    // Every filled area lands where the scale puts it, with its colour.
    struct Probe { int X, Y; QRgb Colour; };
    const Probe probes[] = {
        {200, 40, qRgb(200, 220, 255)}, {200, 80, qRgb(255, 240, 200)}, {60, 125, qRgb(0, 128, 0)},
        {200, 125, qRgb(255, 255, 255)},   // cut by the page's own clip
        {340, 180, qRgb(128, 0, 0)},       // drawn after the page removed its clip
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(one.pixel(p.X, p.Y), p.Colour) << p.X << "," << p.Y;
        EXPECT_EQ(two.pixel(p.X * 2, p.Y * 2), p.Colour) << p.X << "," << p.Y;
        EXPECT_EQ(half.pixel(p.X / 2, p.Y / 2), p.Colour) << p.X << "," << p.Y;
    }
    // Edges scale exactly: the dark red block is 80 x 40 at 1:1.
    const QRgb red = qRgb(128, 0, 0);
    EXPECT_EQ(ColourBox(one, red), QRect(300, 160, 80, 40));
    EXPECT_EQ(ColourBox(two, red), QRect(600, 320, 160, 80));
    EXPECT_EQ(ColourBox(half, red), QRect(150, 80, 40, 20));
    // The text scales with the page.
    const QRect text1 = Ink(Region(one, QRect(25, 22, 190, 36)), qRgb(200, 220, 255));
    const QRect text2 = Ink(Region(two, QRect(50, 44, 380, 72)), qRgb(200, 220, 255));
    ASSERT_FALSE(text1.isEmpty());
    EXPECT_NEAR(text2.width(), 2 * text1.width(), 4);
    EXPECT_NEAR(text2.height(), 2 * text1.height(), 4);
    DeleteEnhMetaFile(page);
    DeleteDC(ref);
}

TEST(Metafile, StaysInsideTheTargetClipAndRectangle)
{
    HENHMETAFILE page = RecordPage(nullptr);   // the screen as reference: its size, 1:1
    const TSize size = EnhMetaFileSize(page);
    QImage img = WhiteImage(400, 300);
    HDC dc = CreateDCForImage(&img);
    IntersectClipRect(dc, 0, 0, 200, 300);
    PlayEnhMetaFile(dc, page, TRect(0, 0, size.cx, size.cy));
    DeleteDC(dc);
    EXPECT_EQ(img.pixel(340, 180), qRgb(255, 255, 255));   // outside the target's clip
    EXPECT_EQ(img.pixel(180, 40), qRgb(200, 220, 255));
    DeleteEnhMetaFile(page);
}

TEST(Metafile, GraphicRecordsThroughACanvasForAReferenceDevice)
{
    HDC ref = CreateDCForDevice(nullptr, PrinterLike(300, 600, 450));
    TMetafile mf;
    EXPECT_TRUE(mf.Empty());
    {
        TMetafileCanvas canvas(&mf, ref);
        EXPECT_EQ(GetDeviceCaps(canvas.Handle(), LOGPIXELSY), 300);
        canvas.Brush()->SetColor(clNavy);
        canvas.FillRect(TRect(0, 0, 300, 150));
        canvas.Font()->PixelsPerInch = 300;
        canvas.Font()->SetSize(10);
        canvas.Brush()->SetStyle(bsClear);
        canvas.TextOut(10, 200, QStringLiteral("Лист"));
        EXPECT_GT(canvas.TextHeight(QStringLiteral("Лист")), 35);   // 10 points at 300 per inch
    }
    ASSERT_FALSE(mf.Empty());
    EXPECT_EQ(mf.Width(), 600);
    EXPECT_EQ(mf.Height(), 450);
    EXPECT_EQ(mf.MMWidth(), 5080);
    TMetafile copy;
    copy.Assign(&mf);
    TBitmap bmp(300, 225);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect(0, 0, 300, 225));
    bmp.Canvas()->StretchDraw(TRect(0, 0, 300, 225), &copy);
    EXPECT_EQ(bmp.Image().pixel(10, 10) & 0xFFFFFF, qRgb(0, 0, 128) & 0xFFFFFF);
    EXPECT_EQ(bmp.Image().pixel(160, 10) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_FALSE(Ink(bmp.Image().copy(0, 90, 300, 40).convertToFormat(QImage::Format_RGB32)).isEmpty());
    DeleteDC(ref);
}
