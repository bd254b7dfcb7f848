// The drawing kit: text in cells, images, colours, gradients and clipping.
#include "ToolCtrlsEh.h"
#include "platform/rtl/Guards.h"
#include "PlatformBridgeEh.h"

#include <cfenv>
#include <cmath>

namespace {

constexpr UINT kPlainFlags[3] = {DT_NOPREFIX | DT_EXPANDTABS | DT_LEFT, DT_NOPREFIX | DT_EXPANDTABS | DT_RIGHT,
                                 DT_NOPREFIX | DT_EXPANDTABS | DT_CENTER};
constexpr UINT kWrapFlags[3] = {DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK | DT_LEFT,
                                DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK | DT_RIGHT,
                                DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER};

TBitmap* gWorkBitmap = nullptr;
int gWorkBitmapRefs = 0;

int Clamp255(double v) { return std::clamp(int(v), 0, 255); }

bool BrushColorExact(TCanvas* c)
{
    const COLORREF rgb = ColorToRGB(c->Brush()->GetColor());
    return GetNearestColor(c->Handle(), rgb) == rgb;
}

// Runs draw() on the shared work bitmap grown to the rectangle's size, with the target's font
// and brush, then copies the result onto the target rectangle.
template <typename F>
void ThroughWorkBitmap(TCanvas* target, const TRect& r, F draw)
{
    const bool temporary = gWorkBitmapRefs == 0;
    if (temporary)
        AcquireSharedWorkBitmap();
    auto release = Finally([temporary] {
        if (temporary)
            ReleaseSharedWorkBitmap();
    });
    TBitmap* bmp = gWorkBitmap;
    const int w = r.Width(), h = r.Height();
    if (bmp->Width() < w || bmp->Height() < h)
        bmp->SetSize(std::max(bmp->Width(), w), std::max(bmp->Height(), h));
    TCanvas* c = bmp->Canvas();
    TLockGuard lock(c);
    c->Font()->Assign(target->Font());
    c->Brush()->Assign(target->Brush());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(TRect(0, 0, w, h));
    c->RequirePenBrush();
    SetBkMode(c->Handle(), TRANSPARENT);
    draw(c, TRect(0, 0, w, h));
    target->CopyRect(r, c, TRect(0, 0, w, h));
}

// The DrawText path of a cell: flags, margins, layout and a clip when the text starts above.
void DrawTextPath(TCanvas* c, const TRect& ARect, int DX, int DY, const QString& Text, TAlignment Alignment,
                  TTextLayout Layout, bool WordWrap, bool EndEllipsis, int LeftMarg, int RightMarg, bool Rtl,
                  bool SingleLine)
{
    UINT flags = WordWrap ? UINT(DT_WORDBREAK) : (SingleLine ? UINT(DT_SINGLELINE) : 0u);
    if (EndEllipsis)
        flags |= DT_END_ELLIPSIS;
    flags |= kPlainFlags[int(Alignment)];
    if (Rtl)
        flags |= DT_RTLREADING;
    DRAWTEXTPARAMS p;
    p.cbSize = 20;
    p.iLeftMargin = LeftMarg;
    p.iRightMargin = Alignment == taRightJustify ? LeftMarg + DX : RightMarg;
    TRect target = ARect;
    target.Left += DX;
    if (Alignment == taCenter)
        target.Right -= DX;
    c->RequireFont();
    c->RequirePenBrush();
    HDC dc = c->Handle();
    int h = 0;
    if (Layout != tlTop) {
        TRect calc = target;
        h = WinDrawTextEx(dc, Text, -1, calc, flags | DT_CALCRECT, p);
    }
    TRect draw = target;
    switch (Layout) {
    case tlTop: draw.Top = target.Top + DY; break;
    case tlCenter: draw.Top = target.Top + (target.Bottom - target.Top) / 2 - h / 2; break;
    case tlBottom: draw.Top = target.Bottom - h - DY; break;
    }
    if (draw.Top < target.Top) {
        HRGN saved = SelectClipRectEh(c, target);
        auto cleanup = Finally([&] { RestoreClipRegionEh(c, saved); });
        WinDrawTextEx(dc, Text, -1, draw, flags, p);
    } else {
        WinDrawTextEx(dc, Text, -1, draw, flags, p);
    }
}

} // namespace

// ---------------------------------------------------------------- work bitmap

void AcquireSharedWorkBitmap()
{
    if (gWorkBitmapRefs++ == 0)
        gWorkBitmap = new TBitmap;
}

void ReleaseSharedWorkBitmap()
{
    if (gWorkBitmapRefs <= 0)
        return;
    if (--gWorkBitmapRefs == 0) {
        delete gWorkBitmap;
        gWorkBitmap = nullptr;
    }
}

TBitmap* SharedWorkBitmap() { return gWorkBitmap; }
int SharedWorkBitmapRefCount() { return gWorkBitmapRefs; }

// ---------------------------------------------------------------- text

int RoundEh(double Value)
{
    // nearbyint follows the rounding mode, which is to-nearest-even unless someone changed it.
    return int(std::nearbyint(Value));
}

int DrawTextWidth(TCanvas* ACanvas, const QString& Text)
{
    ACanvas->RequireFont();
    TRect r(0, 0, 1, 0);
    DrawText(ACanvas->Handle(), Text, -1, r, DT_CALCRECT | DT_NOPREFIX);
    return r.Right - r.Left;
}

void WriteTextInRect(TCanvas* ACanvas, const TRect& ARect, bool FillRect, int DX, int DY, const QString& Text,
                     TAlignment Alignment, TTextLayout Layout, bool WordWrap, bool EndEllipsis, int LeftMarg,
                     int RightMarg, bool RightToLeftReading, bool SingleLine)
{
    if (!BrushColorExact(ACanvas)) {
        ThroughWorkBitmap(ACanvas, ARect, [&](TCanvas* c, const TRect& r) {
            DrawTextPath(c, r, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis, LeftMarg, RightMarg,
                         RightToLeftReading, SingleLine);
        });
        return;
    }
    TBrush* brush = ACanvas->Brush();
    if (WordWrap || LeftMarg != 0 || RightMarg != 0 || EndEllipsis || Text.size() > 32768 || !SingleLine) {
        const TBrushStyle oldStyle = brush->GetStyle();
        const TColor oldColor = brush->GetColor();
        if (FillRect)
            ACanvas->FillRect(ARect);
        else
            brush->SetStyle(bsClear);
        DrawTextPath(ACanvas, ARect, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis, LeftMarg, RightMarg,
                     RightToLeftReading, SingleLine);
        if (!FillRect) {
            brush->SetColor(oldColor);
            brush->SetStyle(oldStyle);
        }
        return;
    }
    // A simple single line: one TextRect.
    const TFontStyles fs = ACanvas->Font()->GetStyle();
    const int w = Alignment != taLeftJustify && (fs.Contains(fsBold) || fs.Contains(fsItalic))
        ? DrawTextWidth(ACanvas, Text)
        : ACanvas->TextWidth(Text);
    int x;
    switch (Alignment) {
    case taRightJustify: x = ARect.Right - w - 3; break;
    case taCenter: x = ARect.Left < ARect.Right ? ARect.Left + (ARect.Right - ARect.Left) / 2 - w / 2 : 0; break;
    default: x = ARect.Left + DX; break;
    }
    int y = ARect.Top + DY;
    if (Layout != tlTop) {
        const int h = ACanvas->TextHeight(Text);
        if (h < ARect.Bottom - ARect.Top - DY)
            y = Layout == tlCenter ? (ARect.Top + ARect.Bottom - h) / 2 : ARect.Bottom - h - DY;
    }
    if (FillRect) {
        ACanvas->TextRect(ARect, x, y, Text);
    } else {
        const TBrushStyle oldStyle = brush->GetStyle();
        const TColor oldColor = brush->GetColor();
        brush->SetStyle(bsClear);
        ACanvas->TextRect(ARect, x, y, Text);
        brush->SetColor(oldColor);
        brush->SetStyle(oldStyle);
    }
}

void WriteTextAligned(TCanvas* ACanvas, const TRect& ARect, int DX, int DY, const QString& Text, TAlignment Alignment)
{
    if (BrushColorExact(ACanvas)) {
        ACanvas->RequireFont();
        ACanvas->RequirePenBrush();
        int x;
        switch (Alignment) {
        case taRightJustify: x = ARect.Right - ACanvas->TextWidth(Text) - 3; break;
        case taCenter: x = ARect.Left + ((ARect.Right - ARect.Left) >> 1) - ACanvas->TextWidth(Text) / 2; break;
        default: x = ARect.Left + DX; break;
        }
        SetBkColor(ACanvas->Handle(), ColorToRGB(ACanvas->Brush()->GetColor()));
        WinExtTextOut(ACanvas->Handle(), x, ARect.Top + DY, ETO_OPAQUE | ETO_CLIPPED, &ARect, Text, int(Text.size()));
        return;
    }
    ThroughWorkBitmap(ACanvas, ARect, [&](TCanvas* c, const TRect& r) {
        TRect t(DX, DY, r.Width() - 1, r.Height() - 1);
        c->RequireFont();
        DrawText(c->Handle(), Text, -1, t, kWrapFlags[int(Alignment)]);
    });
}

struct TRotatedFontEh {
    TFont Font;
    int Escapement = 900;
};

TRotatedFontEh* CreateRotatedFont(TFont* Font)
{
    auto* f = new TRotatedFontEh;
    f->Font.Assign(Font);
    return f;
}

void DeleteRotatedFont(TRotatedFontEh* Font) { delete Font; }

int WriteRotatedText(TCanvas* ACanvas, const TRect& ARect, bool FillRect, int DX, int DY, const QString& Text,
                     TAlignment Alignment, TTextLayout Layout, bool, bool MeasureOnly)
{
    std::unique_ptr<TRotatedFontEh> font(CreateRotatedFont(ACanvas->Font()));
    HDC dc = ACanvas->Handle();
    // Metrics of the turned font are those of the upright one along the baseline.
    const int saved = SaveDC(dc);
    DCSetFont(dc, font->Font.QtFont());
    TTextMetric tm;
    GetTextMetrics(dc, tm);
    TSize sz;
    GetTextExtentPoint32(dc, Text, sz);
    int overhang = tm.tmOverhang;
    if (font->Font.GetStyle().Contains(fsItalic)) {
        TOutlineTextMetric otm;
        if (GetOutlineTextMetrics(dc, sizeof(otm), &otm) && otm.otmsCharSlopeRise != 0)
            overhang = (tm.tmHeight - tm.tmInternalLeading) * otm.otmsCharSlopeRun / otm.otmsCharSlopeRise;
    }
    const int extent = sz.cx + overhang;
    RestoreDC(dc, saved);
    if (MeasureOnly)
        return extent;
    const int T = ARect.Top, B = ARect.Bottom;
    int x;
    switch (Alignment) {
    case taRightJustify: x = ARect.Right - tm.tmHeight; break;
    case taCenter: x = ARect.Left + ((ARect.Right - ARect.Left) >> 1) - ((tm.tmHeight + tm.tmOverhang) >> 1); break;
    default: x = ARect.Left + DX; break;
    }
    int y;
    switch (Layout) {
    case tlTop: y = T + extent; break;
    case tlBottom: y = B - DY; break;
    default: y = B + (extent >> 1) - ((B - T) >> 1); break;
    }
    ACanvas->RequirePenBrush();
    if (FillRect)
        ACanvas->FillRect(ARect);
    SaveDC(dc);
    IntersectClipRect(dc, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
    DCSetFont(dc, font->Font.QtFont());
    DCSetFontEscapement(dc, font->Escapement);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(ACanvas->Font()->GetColor()));
    TextOut(dc, x, y, Text);
    RestoreDC(dc, saved);
    return extent;
}

void WriteTextHighlighted(TCanvas* ACanvas, const TRect& ARect, int HorzMargin, int TopOffset, const QString& Text,
                          TAlignment Alignment, bool CenterVert, bool MultyL, int, int, int, int,
                          const QString& SearchText, bool IgnoreCase, TColor HighlightColor, int, int)
{
    std::vector<int> hits;
    if (SearchText.isEmpty() || !FindTextOccurrences(Text, SearchText, hits, IgnoreCase) || hits.empty())
        return;
    const bool rtl = IsRightToLeftText(Text, false);
    ACanvas->RequireFont();
    HDC dc = ACanvas->Handle();
    const int rectW = ARect.Width(), rectH = ARect.Height();
    int voff = TopOffset;
    if (CenterVert) {
        TRect calc(0, 0, rectW, 0);
        const int h = DrawText(dc, Text, -1, calc, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        voff = rectH / 2 - h / 2;
    }
    const int n = int(Text.size());
    std::vector<int> cum(size_t(n) + 1, 0);
    TSize ext;
    GetTextExtentExPoint(dc, Text, 10000, nullptr, cum.data(), ext);
    std::vector<int> widths(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        widths[size_t(i)] = cum[size_t(i)] - (i > 0 ? cum[size_t(i) - 1] : 0);
    const int lineH = ext.cy;

    struct Line { int Start, Length, Width; };
    std::vector<Line> lines;
    const int room = rectW - 2 * HorzMargin;
    int start = 0;
    while (start < n || (start == 0 && n == 0)) {
        int i = start, acc = 0, lastSpace = -1, next = n, len = n - start;
        while (i < n) {
            const QChar c = Text[i];
            if (MultyL && (c == u'\r' || c == u'\n')) {
                len = i - start;
                next = (c == u'\r' && i + 1 < n && Text[i + 1] == u'\n') ? i + 2 : i + 1;
                break;
            }
            acc += widths[size_t(i)];
            if (c == u' ')
                lastSpace = i;
            if (acc > room && lastSpace >= 0) {
                if (MultyL) {
                    len = lastSpace + 1 - start;
                    next = lastSpace + 1;
                } else {
                    len = i - start;
                    next = n;
                }
                break;
            }
            ++i;
        }
        if (i >= n) {
            len = n - start;
            next = n;
        }
        int w = 0;
        for (int k = start; k < start + len; ++k)
            w += widths[size_t(k)];
        lines.push_back(Line{start, len, w});
        if (!MultyL || next >= n)
            break;
        start = next;
    }

    TBrush* brush = ACanvas->Brush();
    const TColor oldBrush = brush->GetColor();
    const TColor oldFont = ACanvas->Font()->GetColor();
    brush->SetColor(HighlightColor);
    ACanvas->Font()->SetColor(clWindowText);
    ACanvas->RequireFont();
    ACanvas->RequirePenBrush();
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(HighlightColor));
    const int searchLen = int(SearchText.size());
    for (int pos : hits) {
        for (size_t li = 0; li < lines.size(); ++li) {
            const Line& l = lines[li];
            if (pos < l.Start || pos >= l.Start + std::max(1, l.Length))
                continue;
            int lineX;
            switch (Alignment) {
            case taRightJustify: lineX = rectW - l.Width - HorzMargin; break;
            case taCenter: lineX = (rectW - l.Width) / 2; break;
            default: lineX = HorzMargin; break;
            }
            int before = 0;
            for (int k = l.Start; k < pos; ++k)
                before += widths[size_t(k)];
            int occW = 0;
            for (int k = pos; k < std::min(n, pos + searchLen); ++k)
                occW += widths[size_t(k)];
            int x = lineX + before;
            if (rtl)
                x = lineX + l.Width - before - occW;
            const TRect hr = Bounds(ARect.Left + x, ARect.Top + voff + int(li) * lineH, occW, lineH);
            ExtTextOut(dc, hr.Left, hr.Top, ETO_CLIPPED, &hr, Text.mid(pos, searchLen), -1, nullptr);
        }
    }
    brush->SetColor(oldBrush);
    ACanvas->Font()->SetColor(oldFont);
}

// ---------------------------------------------------------------- images

void DrawClippedImage(TCustomImageList* ImageList, TBitmap* Bitmap, TCanvas* ACanvas, const TRect& ARect,
                      int ImageIndex, int Offset, TAlignment Alignment, const TRect& VisibleRect)
{
    TRect common;
    if (!IntersectRect(common, ARect, VisibleRect))
        return;
    if (!ImageList && !Bitmap)
        return;
    const int w = ImageList ? ImageList->Width() : Bitmap->Width();
    const int h = ImageList ? ImageList->Height() : Bitmap->Height();
    int x;
    switch (Alignment) {
    case taRightJustify: x = ARect.Right - w + Offset; break;
    case taCenter: x = (ARect.Left + ARect.Right - w) / 2 + Offset; break;
    default: x = ARect.Left + Offset; break;
    }
    const int y = (ARect.Top + ARect.Bottom - h) / 2;
    auto draw = [&] {
        if (ImageList)
            ImageList->Draw(ACanvas, x, y, ImageIndex, true);
        else
            ACanvas->Draw(x, y, Bitmap);
    };
    if (x >= ARect.Left && y >= ARect.Top && x + w <= ARect.Right && y + h <= ARect.Bottom) {
        draw();
        return;
    }
    HRGN saved = SelectClipRectEh(ACanvas, ARect);
    auto cleanup = Finally([&] { RestoreClipRegionEh(ACanvas, saved); });
    draw();
}

COLORREF ColorToImageListColor(TColor Color)
{
    if (Color == clNone)
        return CLR_NONE;
    if (Color == clDefault)
        return CLR_DEFAULT;
    return ColorToRGB(Color);
}

void DrawImageCentered(HDC DC, const TRect& ARect, TCustomImageList* ImageList, int ImageIndex, bool Selected)
{
    if (!ImageList || !ImageList->HandleAllocated() || !DC)
        return;
    const int w = ImageList->Width(), h = ImageList->Height();
    const int x = (ARect.Left + ARect.Right - w) / 2, y = (ARect.Top + ARect.Bottom - h) / 2;
    const bool fits = x >= ARect.Left && y >= ARect.Top && x + w <= ARect.Right && y + h <= ARect.Bottom;
    HRGN saved = nullptr;
    bool clipped = false;
    if (!fits) {
        saved = CreateRectRgn(0, 0, 0, 0);
        if (GetClipRgn(DC, saved) != 1) {
            DeleteRgn(saved);
            saved = nullptr;
        }
        IntersectClipRect(DC, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
        clipped = true;
    }
    const COLORREF bk = ColorToImageListColor(ImageList->BkColor);
    const COLORREF fg = Selected ? ColorToImageListColor(clHighlight) : ColorToImageListColor(ImageList->BlendColor);
    UINT style = ImageList->ImageType == itImage ? ILD_NORMAL : ILD_MASK;
    if (Selected)
        style |= ILD_BLEND50;
    ImageList->DrawEx(DC, ImageIndex, x, y, 0, 0, bk, fg, style);
    if (clipped) {
        SelectClipRgn(DC, saved);
        if (saved)
            DeleteRgn(saved);
    }
}

// ---------------------------------------------------------------- colours

TColor BlendColors(TColor Color1, TColor Color2, double Alpha)
{
    const COLORREF a = ColorToRGB(Color1), b = ColorToRGB(Color2);
    auto ch = [&](int c1, int c2) { return Clamp255(std::trunc(c1 + (c2 - c1) / 255.0 * Alpha)); };
    return TColor(RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b))));
}

TColor BlendColorsPercent(TColor Color1, TColor Color2, int Percent)
{
    const COLORREF a = ColorToRGB(Color1), b = ColorToRGB(Color2);
    auto ch = [&](int c1, int c2) { return std::clamp(RoundEh(c1 + Percent * (c2 - c1) / 100.0), 0, 255); };
    return TColor(RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b))));
}

int ColorLuminance(TColor Color)
{
    const COLORREF c = ColorToRGB(Color);
    return (77 * GetRValue(c) + 150 * GetGValue(c) + 29 * GetBValue(c)) >> 8;
}

TColor GrayColor(TColor Color) { return TColor(ColorLuminance(Color) * 0x010101); }

TColor DarkerColor(TColor A, TColor B) { return ColorLuminance(B) < ColorLuminance(A) ? B : A; }

void FillGradientRect(TCanvas* ACanvas, const TRect& ARect, TColor Color1, TColor Color2)
{
    if (IsRectEmpty(ARect))
        return;
    const COLORREF a = ColorToRGB(Color1), b = ColorToRGB(Color2);
    const int n = ARect.Height();
    const double sr = n > 1 ? double(GetRValue(a) - GetRValue(b)) / (n - 1) : 0;
    const double sg = n > 1 ? double(GetGValue(a) - GetGValue(b)) / (n - 1) : 0;
    const double sb = n > 1 ? double(GetBValue(a) - GetBValue(b)) / (n - 1) : 0;
    TPen* pen = ACanvas->Pen();
    const TColor oldPen = pen->GetColor();
    const TBrushStyle oldBrush = ACanvas->Brush()->GetStyle();
    ACanvas->Brush()->SetStyle(bsClear);
    for (int k = 0; k < n; ++k) {
        const int r = std::clamp(RoundEh(GetRValue(a) - k * sr), 0, 255);
        const int g = std::clamp(RoundEh(GetGValue(a) - k * sg), 0, 255);
        const int bl = std::clamp(RoundEh(GetBValue(a) - k * sb), 0, 255);
        pen->SetColor(TColor(RGB(r, g, bl)));
        const int y = ARect.Top + k;
        if (ARect.Width() <= 1) {
            ACanvas->MoveTo(ARect.Left, y);
            ACanvas->LineTo(ARect.Left + 1, y);
        } else {
            ACanvas->Rectangle(ARect.Left, y, ARect.Right, y + 1);
        }
    }
    pen->SetColor(oldPen);
    ACanvas->Brush()->SetStyle(oldBrush);
}

void FillGradientByPoints(TCanvas* ACanvas, TPoint Origin, const std::vector<TPoint>& Points, TColor Color1,
                          TColor Color2, int HighIndex)
{
    const int count = std::min(int(Points.size()), HighIndex + 1);
    const int pairs = count / 2;
    if (pairs <= 0)
        return;
    const COLORREF a = ColorToRGB(Color1), b = ColorToRGB(Color2);
    TPen* pen = ACanvas->Pen();
    const TColor oldPen = pen->GetColor();
    for (int k = 0; k < pairs; ++k) {
        const double f = double(k) / std::max(1, pairs - 1);
        auto ch = [&](int c1, int c2) { return std::clamp(RoundEh(c2 - (c2 - c1) * f), 0, 255); };
        pen->SetColor(TColor(RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)))));
        const TPoint s = Points[size_t(2 * k)], e = Points[size_t(2 * k + 1)];
        ACanvas->MoveTo(Origin.X + s.X, Origin.Y + s.Y);
        ACanvas->LineTo(Origin.X + e.X, Origin.Y + e.Y);
    }
    pen->SetColor(oldPen);
}

// ---------------------------------------------------------------- clipping and small helpers

HRGN SelectClipRectEh(TCanvas* ACanvas, const TRect& ARect)
{
    HDC dc = ACanvas->Handle();
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, saved) != 1) {
        DeleteRgn(saved);
        saved = nullptr;
    }
    IntersectClipRect(dc, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
    return saved;
}

void RestoreClipRegionEh(TCanvas* ACanvas, HRGN SavedRgn)
{
    SelectClipRgn(ACanvas->Handle(), SavedRgn);
    if (SavedRgn)
        DeleteRgn(SavedRgn);
}

bool PointInRectInclusive(TPoint P, const TRect& R)
{
    return P.X >= R.Left && P.X <= R.Right && P.Y >= R.Top && P.Y <= R.Bottom;
}

void SwapIntegers(int& A, int& B) { std::swap(A, B); }
int IfThenInt(bool Flag, int A, int B) { return Flag ? A : B; }
int ScaleByFourThirds(int Value, bool Flag) { return Flag ? RoundEh(Value * 4 / 3.0) : Value; }

namespace {
TBitmap* g_measureBitmap = nullptr;
}

TCanvas* MeasureCanvasEh(TFont* Font)
{
    if (!g_measureBitmap) {
        g_measureBitmap = new TBitmap(1, 1);
        FreeWhenApplicationGoesEh([] {
            delete g_measureBitmap;
            g_measureBitmap = nullptr;
        });
    }
    TCanvas* c = g_measureBitmap->Canvas();
    c->Font()->Assign(Font);
    c->RequireFont();
    return c;
}
