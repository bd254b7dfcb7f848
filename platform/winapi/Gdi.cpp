// Device contexts over QPainter: state, regions, pixel-exact primitives, blits and text output.
#include "DCGuards.h"
#include "DeviceContext.h"
#include "PageRecording.h"

#include <QGuiApplication>
#include <QPaintDevice>
#include <QScreen>
#include <QPolygon>
#include <algorithm>
#include <atomic>
#include <cmath>

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

HDC__::HDC__() = default;
HDC__::~HDC__() = default;

QSize HDC__::DeviceSize() const
{
    if (Image)
        return Image->size();
    if (Caps.HorzRes > 0 && Caps.VertRes > 0)
        return QSize(Caps.HorzRes, Caps.VertRes);
    if (Painter && Painter->device())
        return QSize(Painter->device()->width(), Painter->device()->height());
    return QSize(0, 0);
}

int HDC__::DX(int x) const
{
    x = MapX(x);
    if (S.Layout & LAYOUT_RTL)
        x = DeviceWidth() - 1 - x;
    return x;
}

int HDC__::DevLength(int n) const
{
    if (!S.Scaled)
        return std::max(1, n);
    return std::max(1, int(std::lround(n * (std::abs(ScaleX()) + std::abs(ScaleY())) / 2)));
}

void HDC__::UpdateScaled() { S.Scaled = S.WinExt.cx != S.VpExt.cx || S.WinExt.cy != S.VpExt.cy; }

void HDC__::BeginLogicalFrame(int x, int y)
{
    Painter->save();
    Painter->translate(DX(x), DY(y));
    if (S.Scaled)
        Painter->scale(std::abs(ScaleX()), std::abs(ScaleY()));
}

QRect HDC__::DevRect(const TRect& r) const
{
    if (!S.Scaled) {
        if (IsRectEmpty(r))
            return QRect();
    } else if ((S.VpExt.cx < 0) == (S.WinExt.cx < 0) && (S.VpExt.cy < 0) == (S.WinExt.cy < 0) && IsRectEmpty(r)) {
        // An inverted rectangle is empty unless an axis of the mapping runs the other way.
        return QRect();
    }
    int l = MapX(r.Left), rr = MapX(r.Right), t = MapY(r.Top), b = MapY(r.Bottom);
    if (l > rr)
        std::swap(l, rr);
    if (t > b)
        std::swap(t, b);
    if (S.Layout & LAYOUT_RTL) {
        const int w = DeviceWidth();
        const int nl = w - rr;
        rr = w - l;
        l = nl;
    }
    return QRect(l, t, rr - l, b - t);
}

void HDC__::ApplyClip()
{
    if (!Painter)
        return;
    if (S.HasClip)
        Painter->setClipRegion(S.Clip);
    else
        Painter->setClipping(false);
}

void HDC__::ApplyFont()
{
    if (!FontApplied && Painter) {
        Painter->setFont(S.Font);
        FontApplied = true;
    }
}

void HDC__::FillDev(const QRect& r, COLORREF c)
{
    if (Painter && !r.isEmpty())
        Painter->fillRect(r, ToQColor(c));
}

void HDC__::PixelLine(int x1, int y1, int x2, int y2)
{
    if (!Painter || S.PenStyle == PS_NULL)
        return;
    const QColor col = ToQColor(S.PenColor);
    const QPoint a(LineDX(x1), DY(y1)), b(LineDX(x2), DY(y2));
    if (S.PenWidth > 1) {
        QPen pen(col, DevLength(S.PenWidth), Qt::SolidLine, S.PenEndCap, S.PenJoin);
        Painter->setPen(pen);
        Painter->setBrush(Qt::NoBrush);
        Painter->drawLine(a, b);
        return;
    }
    // In device pixels: horizontal and vertical lines as rectangles, others by Bresenham; the
    // last point is left out.
    if (a.y() == b.y()) {
        if (a.x() == b.x())
            return;
        const int l = b.x() > a.x() ? a.x() : b.x() + 1, r = b.x() > a.x() ? b.x() : a.x() + 1;
        FillDev(QRect(l, a.y(), r - l, 1), S.PenColor);
        return;
    }
    if (a.x() == b.x()) {
        const int t = b.y() > a.y() ? a.y() : b.y() + 1, bt = b.y() > a.y() ? b.y() : a.y() + 1;
        FillDev(QRect(a.x(), t, 1, bt - t), S.PenColor);
        return;
    }
    int dx = std::abs(b.x() - a.x()), sx = a.x() < b.x() ? 1 : -1;
    int dy = -std::abs(b.y() - a.y()), sy = a.y() < b.y() ? 1 : -1;
    int err = dx + dy;
    int x = a.x(), y = a.y();
    Painter->setPen(col);
    while (!(x == b.x() && y == b.y())) {
        Painter->drawPoint(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
}

// ---- contexts ----
namespace {
std::atomic<int> liveDCs{0};
}

int LiveDCCount()
{
    return liveDCs.load();
}

namespace {
// The system font, 11 pixels at 96 pixels per inch, sized for the context's resolution.
void SetDefaultFont(HDC dc)
{
    dc->S.Font = QFont(QStringLiteral("DejaVu Sans"));
    dc->S.Font.setPixelSize(std::max(1, MulDiv(11, dc->Caps.PixelsPerInchY, 96)));
    dc->Metrics.reset();
    dc->FontApplied = false;
}
}

HDC CreateDCForPainter(QPainter* painter)
{
    auto* dc = new HDC__;
    ++liveDCs;
    dc->Painter = painter;
    SetDefaultFont(dc);
    if (painter)
        dc->ApplyClip();
    return dc;
}

HDC CreateDCForImage(QImage* image)
{
    auto* dc = new HDC__;
    ++liveDCs;
    dc->Image = image;
    dc->OwnPainter = std::make_unique<QPainter>(image);
    dc->Painter = dc->OwnPainter.get();
    SetDefaultFont(dc);
    return dc;
}

HDC CreateDCForDevice(QPainter* painter, const TDeviceCaps& caps)
{
    auto* dc = new HDC__;
    ++liveDCs;
    dc->Painter = painter;
    dc->Caps = caps;
    SetDefaultFont(dc);
    if (painter)
        dc->ApplyClip();
    return dc;
}

void DeleteDC(HDC dc)
{
    if (!dc)
        return;
    if (dc->OwnPainter && dc->OwnPainter->isActive())
        dc->OwnPainter->end();
    delete dc;
    --liveDCs;
}

TDeviceCaps DCDeviceCaps(HDC dc)
{
    TDeviceCaps c = dc->Caps;
    if (c.HorzRes <= 0)
        c.HorzRes = dc->DeviceWidth();
    if (c.VertRes <= 0)
        c.VertRes = dc->DeviceHeight();
    if (c.PhysicalWidth <= 0)
        c.PhysicalWidth = c.HorzRes + 2 * c.PhysicalOffsetX;
    if (c.PhysicalHeight <= 0)
        c.PhysicalHeight = c.VertRes + 2 * c.PhysicalOffsetY;
    return c;
}

int GetDeviceCaps(HDC dc, int index)
{
    if (!dc)
        return 0;
    const TDeviceCaps c = DCDeviceCaps(dc);
    switch (index) {
    case TECHNOLOGY: return c.Technology;
    case HORZSIZE: return MulDiv(c.HorzRes, 254, c.PixelsPerInchX * 10);
    case VERTSIZE: return MulDiv(c.VertRes, 254, c.PixelsPerInchY * 10);
    case HORZRES: return c.HorzRes;
    case VERTRES: return c.VertRes;
    case BITSPIXEL: return 32;
    case NUMCOLORS: return -1;
    case PLANES: return 1;
    case LOGPIXELSX: return c.PixelsPerInchX;
    case LOGPIXELSY: return c.PixelsPerInchY;
    case PHYSICALWIDTH: return c.PhysicalWidth;
    case PHYSICALHEIGHT: return c.PhysicalHeight;
    case PHYSICALOFFSETX: return c.PhysicalOffsetX;
    case PHYSICALOFFSETY: return c.PhysicalOffsetY;
    default: return 0;
    }
}

QPainter* DCPainter(HDC dc) { return dc ? dc->Painter : nullptr; }
QImage* DCImage(HDC dc) { return dc ? dc->Image : nullptr; }

void SetDCRecorder(HDC dc, std::function<void(const QString&)> recorder) { dc->Recorder = std::move(recorder); }

namespace {
QString RectText(const TRect& r) { return QStringLiteral("%1,%2,%3,%4").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom); }
QString ColText(COLORREF c) { return QStringLiteral("$%1").arg(c, 6, 16, QLatin1Char('0')).toUpper(); }
}

int SaveDC(HDC dc)
{
    dc->Saved.push_back(dc->S);
    return int(dc->Saved.size());
}

bool RestoreDC(HDC dc, int saved)
{
    if (dc->Saved.empty())
        return false;
    if (saved < 0)
        saved = int(dc->Saved.size()) + 1 + saved;
    if (saved < 1 || saved > int(dc->Saved.size()))
        return false;
    dc->S = dc->Saved[size_t(saved - 1)];
    dc->Saved.resize(size_t(saved - 1));
    dc->Metrics.reset();
    dc->FontApplied = false;
    dc->ApplyClip();
    return true;
}

void DCSetFont(HDC dc, const QFont& font)
{
    if (dc->S.Font == font)
        return;
    dc->S.Font = font;
    dc->Metrics.reset();
    dc->FontApplied = false;
}
const QFont& DCFont(HDC dc) { return dc->S.Font; }
int DCSetFontEscapement(HDC dc, int tenths) { std::swap(dc->S.Escapement, tenths); return tenths; }
COLORREF SetTextColor(HDC dc, COLORREF c) { std::swap(dc->S.TextColor, c); return c; }
COLORREF GetTextColor(HDC dc) { return dc->S.TextColor; }
COLORREF SetBkColor(HDC dc, COLORREF c) { std::swap(dc->S.BkColor, c); return c; }
COLORREF GetBkColor(HDC dc) { return dc->S.BkColor; }
int SetBkMode(HDC dc, int mode) { std::swap(dc->S.BkMode, mode); return mode; }
int GetBkMode(HDC dc) { return dc->S.BkMode; }
void DCSetPen(HDC dc, COLORREF color, int width, int style)
{
    dc->S.PenColor = color;
    dc->S.PenWidth = std::max(1, width);
    dc->S.PenStyle = style & PS_STYLE_MASK;
    if (style & PS_GEOMETRIC) {
        const int cap = style & PS_ENDCAP_MASK, join = style & PS_JOIN_MASK;
        dc->S.PenEndCap = cap == PS_ENDCAP_SQUARE ? Qt::SquareCap : cap == PS_ENDCAP_FLAT ? Qt::FlatCap : Qt::RoundCap;
        dc->S.PenJoin = join == PS_JOIN_MITER ? Qt::MiterJoin : join == PS_JOIN_BEVEL ? Qt::BevelJoin : Qt::RoundJoin;
    } else {
        dc->S.PenEndCap = Qt::SquareCap;
        dc->S.PenJoin = Qt::MiterJoin;
    }
}
void DCSetBrush(HDC dc, COLORREF color, int style)
{
    dc->S.BrushColor = color;
    dc->S.BrushStyle = style;
}
COLORREF DCBrushColor(HDC dc) { return dc->S.BrushColor; }
int DCBrushStyle(HDC dc) { return dc->S.BrushStyle; }
COLORREF GetNearestColor(HDC, COLORREF c) { return c & 0xFFFFFF; }

namespace {
// Fixed mapping modes: logical units per inch; the y axis runs up.
int UnitsPerInch(int mode)
{
    switch (mode) {
    case MM_LOMETRIC: return 254;
    case MM_HIMETRIC: return 2540;
    case MM_LOENGLISH: return 100;
    case MM_HIENGLISH: return 1000;
    case MM_TWIPS: return 1440;
    default: return 0;
    }
}

// Isotropic: one logical unit is as long across as it is down. The axis with the larger
// scale gives way to the other; the signs stay.
void FixIsotropic(HDC dc)
{
    DCState& s = dc->S;
    const TDeviceCaps c = DCDeviceCaps(dc);
    const double ux = std::abs(double(s.VpExt.cx) / s.WinExt.cx) / std::max(1, c.PixelsPerInchX);
    const double uy = std::abs(double(s.VpExt.cy) / s.WinExt.cy) / std::max(1, c.PixelsPerInchY);
    if (ux < uy) {
        const int v = int(std::lround(std::abs(double(s.WinExt.cy)) * ux * c.PixelsPerInchY));
        s.VpExt.cy = (s.VpExt.cy < 0) != (s.WinExt.cy < 0) ? -v : v;
    } else if (uy < ux) {
        const int v = int(std::lround(std::abs(double(s.WinExt.cx)) * uy * c.PixelsPerInchX));
        s.VpExt.cx = (s.VpExt.cx < 0) != (s.WinExt.cx < 0) ? -v : v;
    }
    if (s.VpExt.cx == 0)
        s.VpExt.cx = s.WinExt.cx < 0 ? -1 : 1;
    if (s.VpExt.cy == 0)
        s.VpExt.cy = s.WinExt.cy < 0 ? -1 : 1;
}
}

int SetMapMode(HDC dc, int mode)
{
    if (!dc || mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return 0;
    const int old = dc->S.MapMode;
    DCState& s = dc->S;
    s.MapMode = mode;
    if (mode == MM_TEXT) {
        s.WinExt = TSize(1, 1);
        s.VpExt = TSize(1, 1);
    } else if (const int upi = UnitsPerInch(mode)) {
        const TDeviceCaps c = DCDeviceCaps(dc);
        s.WinExt = TSize(upi, upi);
        s.VpExt = TSize(c.PixelsPerInchX, -c.PixelsPerInchY);
    } else if (old != MM_ISOTROPIC && old != MM_ANISOTROPIC && UnitsPerInch(old) == 0) {
        // From the text mode the metric page is the starting point, as from the fixed modes.
        const TDeviceCaps c = DCDeviceCaps(dc);
        s.WinExt = TSize(254, 254);
        s.VpExt = TSize(c.PixelsPerInchX, -c.PixelsPerInchY);
    }
    if (mode == MM_ISOTROPIC)
        FixIsotropic(dc);
    dc->UpdateScaled();
    return old;
}

int GetMapMode(HDC dc) { return dc ? dc->S.MapMode : 0; }

bool SetWindowExtEx(HDC dc, int x, int y, TSize* old)
{
    if (old)
        *old = dc->S.WinExt;
    if (dc->S.MapMode != MM_ISOTROPIC && dc->S.MapMode != MM_ANISOTROPIC)
        return true;   // fixed modes keep their extents
    if (x == 0 || y == 0)
        return false;
    dc->S.WinExt = TSize(x, y);
    if (dc->S.MapMode == MM_ISOTROPIC)
        FixIsotropic(dc);
    dc->UpdateScaled();
    return true;
}

bool SetViewportExtEx(HDC dc, int x, int y, TSize* old)
{
    if (old)
        *old = dc->S.VpExt;
    if (dc->S.MapMode != MM_ISOTROPIC && dc->S.MapMode != MM_ANISOTROPIC)
        return true;
    if (x == 0 || y == 0)
        return false;
    dc->S.VpExt = TSize(x, y);
    if (dc->S.MapMode == MM_ISOTROPIC)
        FixIsotropic(dc);
    dc->UpdateScaled();
    return true;
}

bool GetWindowExtEx(HDC dc, TSize& size) { size = dc->S.WinExt; return true; }
bool GetViewportExtEx(HDC dc, TSize& size) { size = dc->S.VpExt; return true; }

bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old)
{
    if (old)
        *old = dc->S.WinOrg;
    dc->S.WinOrg = TPoint(x, y);
    return true;
}
bool GetWindowOrgEx(HDC dc, TPoint& p) { p = dc->S.WinOrg; return true; }

bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old)
{
    if (old)
        *old = dc->S.Origin;
    dc->S.Origin = TPoint(x, y);
    return true;
}
bool GetViewportOrgEx(HDC dc, TPoint& p) { p = dc->S.Origin; return true; }
bool OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old)
{
    if (old)
        *old = dc->S.Origin;
    dc->S.Origin.X += dx;
    dc->S.Origin.Y += dy;
    return true;
}
bool LPtoDP(HDC dc, TPoint* points, int count)
{
    for (int i = 0; i < count; ++i)
        points[i] = TPoint(dc->DX(points[i].X), dc->DY(points[i].Y));
    return true;
}
bool DPtoLP(HDC dc, TPoint* points, int count)
{
    const DCState& s = dc->S;
    for (int i = 0; i < count; ++i) {
        int x = points[i].X;
        if (s.Layout & LAYOUT_RTL)
            x = dc->DeviceWidth() - 1 - x;
        int y = points[i].Y;
        if (s.Scaled) {
            x = HDC__::MulDivRound(x - s.Origin.X, s.WinExt.cx, s.VpExt.cx) + s.WinOrg.X;
            y = HDC__::MulDivRound(y - s.Origin.Y, s.WinExt.cy, s.VpExt.cy) + s.WinOrg.Y;
        } else {
            x = x - s.Origin.X + s.WinOrg.X;
            y = y - s.Origin.Y + s.WinOrg.Y;
        }
        points[i] = TPoint(x, y);
    }
    return true;
}
DWORD SetLayout(HDC dc, DWORD layout) { std::swap(dc->S.Layout, layout); return layout; }
DWORD GetLayout(HDC dc) { return dc->S.Layout; }

// ---- regions ----
namespace {
std::atomic<int> gLiveRegions{0};
HRGN NewRgn(const QRegion& r)
{
    ++gLiveRegions;
    return new HRGN__{r};
}
int RgnKind(const QRegion& r)
{
    if (r.isEmpty())
        return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
}

HRGN CreateRectRgn(int l, int t, int r, int b)
{
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    return NewRgn(QRegion(l, t, r - l, b - t));
}
HRGN CreateRectRgnIndirect(const TRect& r) { return CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom); }
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode)
{
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << QPoint(points[i].X, points[i].Y);
    return NewRgn(QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode)
{
    if (!dst || !a)
        return RGN_ERROR;
    QRegion r;
    switch (mode) {
    case RGN_AND: r = a->R.intersected(b->R); break;
    case RGN_OR: r = a->R.united(b->R); break;
    case RGN_XOR: r = a->R.xored(b->R); break;
    case RGN_DIFF: r = a->R.subtracted(b->R); break;
    case RGN_COPY: r = a->R; break;
    default: return RGN_ERROR;
    }
    dst->R = r;
    return RgnKind(r);
}
bool PtInRegion(HRGN rgn, int x, int y) { return rgn && rgn->R.contains(QPoint(x, y)); }
bool RectInRegion(HRGN rgn, const TRect& r) { return rgn && rgn->R.intersects(QRect(r.Left, r.Top, r.Width(), r.Height())); }
int GetRgnBox(HRGN rgn, TRect& r)
{
    const QRect b = rgn->R.boundingRect();
    r = b.isEmpty() ? TRect() : TRect(b.left(), b.top(), b.right() + 1, b.bottom() + 1);
    return RgnKind(rgn->R);
}
bool EqualRgn(HRGN a, HRGN b) { return a && b && a->R == b->R; }
bool OffsetRgn(HRGN rgn, int dx, int dy) { rgn->R.translate(dx, dy); return true; }
void DeleteRgn(HRGN rgn)
{
    if (rgn) {
        --gLiveRegions;
        delete rgn;
    }
}
int LiveRegionCount() { return gLiveRegions.load(); }

int GetClipRgn(HDC dc, HRGN rgn)
{
    if (!dc || !rgn)
        return -1;
    if (!dc->S.HasClip)
        return 0;
    rgn->R = dc->S.Clip;
    return 1;
}
int SelectClipRgn(HDC dc, HRGN rgn)
{
    if (dc->Recorder) {
        TRect b;
        if (rgn)
            GetRgnBox(rgn, b);
        dc->Record(rgn ? QStringLiteral("SelectClip(%1)").arg(RectText(b)) : QStringLiteral("SelectClip(nil)"));
    }
    if (!rgn) {
        dc->S.HasClip = false;
        dc->S.Clip = QRegion();
    } else {
        dc->S.HasClip = true;
        dc->S.Clip = rgn->R;
    }
    dc->ApplyClip();
    return dc->S.HasClip ? RgnKind(dc->S.Clip) : SIMPLEREGION;
}
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode)
{
    if (mode == RGN_COPY)
        return SelectClipRgn(dc, rgn);
    if (!rgn)
        return RGN_ERROR;
    QRegion cur = dc->S.HasClip ? dc->S.Clip : QRegion(0, 0, 1 << 24, 1 << 24);
    switch (mode) {
    case RGN_AND: cur = cur.intersected(rgn->R); break;
    case RGN_OR: cur = cur.united(rgn->R); break;
    case RGN_XOR: cur = cur.xored(rgn->R); break;
    case RGN_DIFF: cur = cur.subtracted(rgn->R); break;
    default: return RGN_ERROR;
    }
    dc->S.HasClip = true;
    dc->S.Clip = cur;
    dc->ApplyClip();
    return RgnKind(cur);
}
int IntersectClipRect(HDC dc, int l, int t, int r, int b)
{
    if (dc->Recorder)
        dc->Record(QStringLiteral("IntersectClip(%1)").arg(RectText(TRect(l, t, r, b))));
    const QRect d = dc->DevRect(TRect(l, t, r, b));
    dc->S.Clip = dc->S.HasClip ? dc->S.Clip.intersected(d) : QRegion(d);
    dc->S.HasClip = true;
    dc->ApplyClip();
    return RgnKind(dc->S.Clip);
}
int ExcludeClipRect(HDC dc, int l, int t, int r, int b)
{
    const QRect d = dc->DevRect(TRect(l, t, r, b));
    QRegion cur = dc->S.HasClip ? dc->S.Clip : QRegion(0, 0, 1 << 24, 1 << 24);
    dc->S.Clip = cur.subtracted(d);
    dc->S.HasClip = true;
    dc->ApplyClip();
    return RgnKind(dc->S.Clip);
}
int GetClipBox(HDC dc, TRect& r)
{
    QRect b;
    if (dc->S.HasClip)
        b = dc->S.Clip.boundingRect();
    else
        b = QRect(0, 0, dc->DeviceWidth(), dc->DeviceHeight());
    if (b.isEmpty()) {
        r = TRect();
        return NULLREGION;
    }
    TPoint pts[2] = {TPoint(b.left(), b.top()), TPoint(b.right() + 1, b.bottom() + 1)};
    DPtoLP(dc, pts, 2);
    if (dc->S.Layout & LAYOUT_RTL)
        std::swap(pts[0].X, pts[1].X), pts[0].X += 1, pts[1].X += 1;
    if (pts[0].X > pts[1].X)
        std::swap(pts[0].X, pts[1].X);
    if (pts[0].Y > pts[1].Y)
        std::swap(pts[0].Y, pts[1].Y);
    r = TRect(pts[0], pts[1]);
    return dc->S.HasClip ? RgnKind(dc->S.Clip) : SIMPLEREGION;
}

// ---- primitives ----
int FillRect(HDC dc, const TRect& r, HBRUSH brush)
{
    if (dc->Recorder)
        dc->Record(QStringLiteral("FillRect(%1;%2)").arg(RectText(r), ColText(BrushColor(brush))));
    dc->FillDev(dc->DevRect(r), BrushColor(brush));
    return 1;
}

int FrameRect(HDC dc, const TRect& r, HBRUSH brush)
{
    if (dc->Recorder)
        dc->Record(QStringLiteral("FrameRect(%1;%2)").arg(RectText(r), ColText(BrushColor(brush))));
    if (IsRectEmpty(r))
        return 0;
    const COLORREF c = BrushColor(brush);
    dc->FillDev(dc->DevRect(TRect(r.Left, r.Top, r.Right, r.Top + 1)), c);
    dc->FillDev(dc->DevRect(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom)), c);
    dc->FillDev(dc->DevRect(TRect(r.Left, r.Top, r.Left + 1, r.Bottom)), c);
    dc->FillDev(dc->DevRect(TRect(r.Right - 1, r.Top, r.Right, r.Bottom)), c);
    return 1;
}

bool InvertRect(HDC dc, const TRect& r)
{
    if (!dc->Painter)
        return false;
    const auto mode = dc->Painter->compositionMode();
    dc->Painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    dc->Painter->fillRect(dc->DevRect(r), Qt::black);
    dc->Painter->setCompositionMode(mode);
    return true;
}

bool DrawFocusRect(HDC dc, const TRect& r)
{
    if (!dc->Painter || IsRectEmpty(r))
        return false;
    const auto mode = dc->Painter->compositionMode();
    dc->Painter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    dc->Painter->setPen(Qt::white);
    // Every other pixel along the border, starting at the top-left corner.
    auto dot = [&](int x, int y) { dc->Painter->drawPoint(dc->DX(x), dc->DY(y)); };
    for (int x = r.Left; x < r.Right; x += 2) {
        dot(x, r.Top);
    }
    for (int x = r.Left + ((r.Height() - 1) & 1); x < r.Right; x += 2)
        if (r.Height() > 1)
            dot(x, r.Bottom - 1);
    for (int y = r.Top + 2; y < r.Bottom - 1; y += 2)
        dot(r.Left, y);
    for (int y = r.Top + ((r.Width() - 1) & 1) + 0; y < r.Bottom - 1; y += 2)
        if (y > r.Top && r.Width() > 1)
            dot(r.Right - 1, y);
    dc->Painter->setCompositionMode(mode);
    return true;
}

bool Rectangle(HDC dc, int l, int t, int r, int b)
{
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    if (dc->Recorder)
        dc->Record(QStringLiteral("Rectangle(%1)").arg(RectText(TRect(l, t, r, b))));
    if (dc->S.BrushStyle != BS_NULL)
        dc->FillDev(dc->DevRect(TRect(l, t, r, b)), dc->S.BrushColor);
    if (dc->S.PenStyle != PS_NULL) {
        // The frame in device pixels, its width scaled like the rest.
        const int w = dc->DevLength(dc->S.PenWidth);
        const COLORREF c = dc->S.PenColor;
        const QRect d = dc->DevRect(TRect(l, t, r, b));
        if (!d.isEmpty()) {
            const int wx = std::min(w, d.width()), wy = std::min(w, d.height());
            dc->FillDev(QRect(d.left(), d.top(), d.width(), wy), c);
            dc->FillDev(QRect(d.left(), d.bottom() + 1 - wy, d.width(), wy), c);
            dc->FillDev(QRect(d.left(), d.top(), wx, d.height()), c);
            dc->FillDev(QRect(d.right() + 1 - wx, d.top(), wx, d.height()), c);
        }
    }
    return true;
}

bool Ellipse(HDC dc, int l, int t, int r, int b)
{
    if (!dc->Painter)
        return false;
    dc->Painter->setPen(dc->S.PenStyle == PS_NULL ? QPen(Qt::NoPen) : QPen(ToQColor(dc->S.PenColor), dc->DevLength(dc->S.PenWidth)));
    dc->Painter->setBrush(dc->S.BrushStyle == BS_NULL ? QBrush(Qt::NoBrush) : QBrush(ToQColor(dc->S.BrushColor)));
    const QRect d = dc->DevRect(TRect(l, t, r, b));
    dc->Painter->drawEllipse(d.adjusted(0, 0, -1, -1));
    return true;
}

bool MoveToEx(HDC dc, int x, int y, TPoint* old)
{
    if (old)
        *old = dc->S.PenPos;
    dc->S.PenPos = TPoint(x, y);
    return true;
}

bool LineTo(HDC dc, int x, int y)
{
    if (dc->Recorder)
        dc->Record(QStringLiteral("Line(%1,%2,%3,%4;%5)").arg(dc->S.PenPos.X).arg(dc->S.PenPos.Y).arg(x).arg(y).arg(ColText(dc->S.PenColor)));
    dc->PixelLine(dc->S.PenPos.X, dc->S.PenPos.Y, x, y);
    dc->S.PenPos = TPoint(x, y);
    return true;
}

bool Polyline(HDC dc, const TPoint* points, int count)
{
    if (dc->Recorder) {
        QString pts;
        for (int i = 0; i < count; ++i)
            pts += QStringLiteral("%1(%2,%3)").arg(i ? QStringLiteral(" ") : QString()).arg(points[i].X).arg(points[i].Y);
        dc->Record(QStringLiteral("Polyline(%1;%2)").arg(pts, ColText(dc->S.PenColor)));
    }
    for (int i = 1; i < count; ++i)
        dc->PixelLine(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y);
    return count >= 2;
}

bool PolyPolyline(HDC dc, const TPoint* points, const DWORD* counts, int polylines)
{
    for (int k = 0; k < polylines; ++k) {
        Polyline(dc, points, int(counts[k]));
        points += counts[k];
    }
    return true;
}

bool Polygon(HDC dc, const TPoint* points, int count)
{
    if (!dc->Painter || count < 2)
        return false;
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << QPoint(dc->DX(points[i].X), dc->DY(points[i].Y));
    dc->Painter->setPen(dc->S.PenStyle == PS_NULL ? QPen(Qt::NoPen) : QPen(ToQColor(dc->S.PenColor), dc->DevLength(dc->S.PenWidth)));
    dc->Painter->setBrush(dc->S.BrushStyle == BS_NULL ? QBrush(Qt::NoBrush) : QBrush(ToQColor(dc->S.BrushColor)));
    dc->Painter->drawPolygon(poly);
    return true;
}

bool SetPixel(HDC dc, int x, int y, COLORREF c)
{
    dc->FillDev(dc->DevRect(TRect(x, y, x + 1, y + 1)), c);
    return true;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    if (!dc->Image)
        return CLR_INVALID;
    const int dx = dc->DX(x), dy = dc->DY(y);
    if (!dc->Image->rect().contains(dx, dy))
        return CLR_INVALID;
    return FromQColor(dc->Image->pixelColor(dx, dy));
}

bool GradientFillRect(HDC dc, const TRect& r, COLORREF c1, COLORREF c2, bool vertical)
{
    const int n = vertical ? r.Height() : r.Width();
    if (n <= 0 || IsRectEmpty(r))
        return false;
    for (int k = 0; k < n; ++k) {
        auto ch = [&](int a, int b) { return n == 1 ? a : int(std::lround(a + double(b - a) * k / (n - 1))); };
        const COLORREF c = RGB(ch(GetRValue(c1), GetRValue(c2)), ch(GetGValue(c1), GetGValue(c2)), ch(GetBValue(c1), GetBValue(c2)));
        const TRect line = vertical ? TRect(r.Left, r.Top + k, r.Right, r.Top + k + 1) : TRect(r.Left + k, r.Top, r.Left + k + 1, r.Bottom);
        dc->FillDev(dc->DevRect(line), c);
    }
    return true;
}

// ---- blits ----
bool StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop)
{
    if (!dst || !dst->Painter)
        return false;
    if (dst->Recorder)
        dst->Record(QStringLiteral("StretchBlt(%1;%2,%3,%4,%5)").arg(RectText(Bounds(x, y, w, h))).arg(sx).arg(sy).arg(sw).arg(sh));
    const QRect target = dst->DevRect(TRect(x, y, x + w, y + h));
    if (rop == BLACKNESS || rop == WHITENESS) {
        dst->FillDev(target, rop == BLACKNESS ? 0 : 0xFFFFFF);
        return true;
    }
    if (rop == PATCOPY) {
        dst->FillDev(target, dst->S.BrushColor);
        return true;
    }
    if (!src || !src->Image)
        return false;
    const QRect from(src->DX(sx), src->DY(sy), sw, sh);
    const auto mode = dst->Painter->compositionMode();
    switch (rop) {
    case SRCPAINT: dst->Painter->setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
    case SRCAND: dst->Painter->setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
    case SRCINVERT: dst->Painter->setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
    default: dst->Painter->setCompositionMode(QPainter::CompositionMode_Source); break;
    }
    dst->Painter->drawImage(target, *src->Image, from);
    dst->Painter->setCompositionMode(mode);
    return true;
}

bool BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop)
{
    return StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, rop);
}

bool AlphaBlendDC(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, int constantAlpha, bool perPixel)
{
    if (!dst || !dst->Painter || !src || !src->Image)
        return false;
    QImage part = src->Image->copy(src->DX(sx), src->DY(sy), sw, sh);
    if (!perPixel)
        part = part.convertToFormat(QImage::Format_RGB32);
    const qreal old = dst->Painter->opacity();
    dst->Painter->setOpacity(std::clamp(constantAlpha, 0, 255) / 255.0);
    dst->Painter->drawImage(dst->DevRect(TRect(x, y, x + w, y + h)), part);
    dst->Painter->setOpacity(old);
    return true;
}

// ---- text metrics and output ----
bool GetTextMetrics(HDC dc, TTextMetric& tm)
{
    const QFontMetrics& fm = dc->FM();
    tm = TTextMetric();
    tm.tmAscent = fm.ascent();
    tm.tmDescent = fm.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    const int em = dc->S.Font.pixelSize() > 0 ? dc->S.Font.pixelSize()
                                              : int(std::lround(dc->S.Font.pointSizeF() * dc->Caps.PixelsPerInchY / 72));
    tm.tmInternalLeading = std::max(0, tm.tmHeight - em);
    tm.tmExternalLeading = std::max(0, fm.leading());
    tm.tmAveCharWidth = fm.averageCharWidth();
    tm.tmMaxCharWidth = fm.maxWidth();
    tm.tmWeight = dc->S.Font.bold() ? 700 : 400;
    tm.tmItalic = dc->S.Font.italic();
    tm.tmUnderlined = dc->S.Font.underline();
    tm.tmStruckOut = dc->S.Font.strikeOut();
    tm.tmPitchAndFamily = dc->S.Font.fixedPitch() ? 0 : 1;   // bit 0 set: variable pitch
    tm.tmDigitizedAspectX = dc->Caps.PixelsPerInchX;
    tm.tmDigitizedAspectY = dc->Caps.PixelsPerInchY;
    return true;
}

UINT GetOutlineTextMetrics(HDC dc, UINT size, TOutlineTextMetric* buf)
{
    if (!buf)
        return sizeof(TOutlineTextMetric);
    if (size < sizeof(TOutlineTextMetric))
        return 0;
    *buf = TOutlineTextMetric();
    buf->otmSize = sizeof(TOutlineTextMetric);
    GetTextMetrics(dc, buf->otmTextMetrics);
    buf->otmAscent = buf->otmTextMetrics.tmAscent;
    buf->otmDescent = buf->otmTextMetrics.tmDescent;
    if (dc->S.Font.italic()) {
        // A slope of about 12 degrees, as oblique faces have.
        buf->otmsCharSlopeRise = 100;
        buf->otmsCharSlopeRun = 21;
    }
    return sizeof(TOutlineTextMetric);
}

bool GetTextExtentPoint32(HDC dc, const QString& text, TSize& size)
{
    const QFontMetrics& fm = dc->FM();
    size = TSize(fm.horizontalAdvance(text), fm.ascent() + fm.descent());
    return true;
}

bool GetTextExtentExPoint(HDC dc, const QString& text, int maxExtent, int* fit, int* dx, TSize& size)
{
    const QFontMetrics& fm = dc->FM();
    int total = 0, n = 0;
    for (int i = 0; i < text.size(); ++i) {
        total = fm.horizontalAdvance(text.left(i + 1));
        if (dx)
            dx[i] = total;
        if (total <= maxExtent)
            n = i + 1;
    }
    if (fit)
        *fit = n;
    size = TSize(total, fm.ascent() + fm.descent());
    return true;
}

UINT SetTextAlign(HDC dc, UINT align) { std::swap(dc->S.TextAlign, align); return align; }
UINT GetTextAlign(HDC dc) { return dc->S.TextAlign; }

bool ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* rect, const QString& text, int count, const int* dx)
{
    if (!dc->Painter)
        return false;
    const QString s = count < 0 || count >= text.size() ? text : text.left(count);
    if (dc->Recorder)
        dc->Record(QStringLiteral("TextOut(%1,%2;%3%4)").arg(x).arg(y).arg(s, rect ? QStringLiteral(";") + RectText(*rect) : QString()));
    const QFontMetrics& fm = dc->FM();
    int w = 0;
    if (dx) {
        for (int i = 0; i < s.size(); ++i)
            w += dx[i];
    } else {
        w = fm.horizontalAdvance(s);
    }
    const int h = fm.ascent() + fm.descent();
    // The text box relative to the reference point, along the baseline.
    int ox = 0, oy = 0;
    const UINT ha = dc->S.TextAlign & 6;
    if (ha == TA_RIGHT)
        ox = -w;
    else if (ha == TA_CENTER)
        ox = -(w / 2);
    if ((dc->S.TextAlign & TA_BASELINE) == TA_BASELINE)
        oy = -fm.ascent();
    else if (dc->S.TextAlign & TA_BOTTOM)
        oy = -h;
    if (dc->S.Escapement != 0 || dc->S.Scaled) {
        // Turned or scaled text is drawn in a frame of logical units at the reference point.
        QPainter* p = dc->Painter;
        p->save();
        if (rect && (options & ETO_CLIPPED))
            p->setClipRegion(dc->S.HasClip ? dc->S.Clip.intersected(dc->DevRect(*rect)) : QRegion(dc->DevRect(*rect)));
        if (rect && (options & ETO_OPAQUE))
            dc->FillDev(dc->DevRect(*rect), dc->S.BkColor);
        p->translate(dc->DX(x), dc->DY(y));
        if (dc->S.Scaled)
            p->scale(std::abs(dc->ScaleX()), std::abs(dc->ScaleY()));
        if (dc->S.Escapement != 0)
            p->rotate(-dc->S.Escapement / 10.0);
        if (dc->S.BkMode == OPAQUE && !(rect && (options & ETO_OPAQUE)))
            p->fillRect(QRect(ox, oy, w, h), ToQColor(dc->S.BkColor));
        p->setFont(dc->S.Font);
        p->setPen(ToQColor(dc->S.TextColor));
        if (dx) {
            int cx = ox;
            for (int i = 0; i < s.size(); ++i) {
                p->drawText(QPoint(cx, oy + fm.ascent()), QString(s[i]));
                cx += dx[i];
            }
        } else {
            p->drawText(QPoint(ox, oy + fm.ascent()), s);
        }
        p->restore();
        dc->FontApplied = false;
        return true;
    }
    x += ox;
    y += oy;

    const bool clipped = rect && (options & ETO_CLIPPED);
    if (clipped) {
        // Clip for this call only; the context's own clip is put back below (no painter
        // state push, so a cell's text costs no allocation of ours).
        const QRect c = dc->DevRect(*rect);
        if (dc->S.HasClip)
            dc->Painter->setClipRegion(dc->S.Clip.intersected(c));
        else
            dc->Painter->setClipRect(c);
    }
    if (rect && (options & ETO_OPAQUE))
        dc->FillDev(dc->DevRect(*rect), dc->S.BkColor);
    const QRect box = dc->DevRect(TRect(x, y, x + w, y + h));
    if (dc->S.BkMode == OPAQUE && !(rect && (options & ETO_OPAQUE)))
        dc->FillDev(box, dc->S.BkColor);
    if (!s.isEmpty()) {
        dc->ApplyFont();
        dc->Painter->setPen(ToQColor(dc->S.TextColor));
        if (dx) {
            int cx = box.left();
            for (int i = 0; i < s.size(); ++i) {
                dc->Painter->drawText(QPoint(cx, box.top() + fm.ascent()), QString(s[i]));
                cx += dx[i];
            }
        } else {
            dc->Painter->drawText(QPoint(box.left(), box.top() + fm.ascent()), s);
        }
    }
    if (clipped)
        dc->ApplyClip();
    return true;
}

bool TextOut(HDC dc, int x, int y, const QString& text) { return ExtTextOut(dc, x, y, 0, nullptr, text, -1, nullptr); }

// ---- metafiles ----
void SetDCMetricsDevice(HDC dc, QPaintDevice* device)
{
    dc->MetricsDevice = device;
    dc->Metrics.reset();
}

HDC CreateEnhMetaFile(HDC reference, int width, int height)
{
    auto* page = new HENHMETAFILE__;
    if (reference) {
        page->Caps = DCDeviceCaps(reference);
    } else {
        page->Caps = TDeviceCaps();
    }
    if (width <= 0 || height <= 0) {
        width = page->Caps.HorzRes;
        height = page->Caps.VertRes;
        if (!reference) {
            const QScreen* screen = QGuiApplication::primaryScreen();
            const QSize size = screen ? screen->size() : QSize(1024, 768);
            width = size.width();
            height = size.height();
        }
    }
    page->Frame = TSize(std::max(1, width), std::max(1, height));
    auto* dc = new HDC__;
    ++liveDCs;
    dc->Caps = page->Caps;
    dc->Caps.HorzRes = page->Frame.cx;
    dc->Caps.VertRes = page->Frame.cy;
    dc->Recording = std::make_unique<TRecordingDevice>(page);
    dc->OwnPainter = std::make_unique<QPainter>(dc->Recording.get());
    dc->Painter = dc->OwnPainter.get();
    if (reference)
        dc->MetricsDevice = reference->MetricsDevice ? reference->MetricsDevice
                          : reference->Painter ? reference->Painter->device() : nullptr;
    SetDefaultFont(dc);
    return dc;
}

HENHMETAFILE CloseEnhMetaFile(HDC dc)
{
    if (!dc || !dc->Recording)
        return nullptr;
    dc->OwnPainter->end();
    HENHMETAFILE page = dc->Recording->TakePage();
    DeleteDC(dc);
    return page;
}

bool PlayEnhMetaFile(HDC dc, HENHMETAFILE page, const TRect& rect)
{
    if (!dc || !dc->Painter || !page)
        return false;
    if (dc->Recorder)
        dc->Record(QStringLiteral("PlayMetafile(%1)").arg(RectText(rect)));
    const QRect d = dc->DevRect(rect);
    if (d.isEmpty())
        return true;
    const QTransform toDevice(double(d.width()) / page->Frame.cx, 0, 0, double(d.height()) / page->Frame.cy, d.left(), d.top());
    page->Play(*dc->Painter, toDevice, dc->S.HasClip ? &dc->S.Clip : nullptr);
    dc->ApplyClip();
    dc->FontApplied = false;
    return true;
}

HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE page) { return page ? new HENHMETAFILE__(*page) : nullptr; }

bool DeleteEnhMetaFile(HENHMETAFILE page)
{
    delete page;
    return page != nullptr;
}

TSize EnhMetaFileSize(HENHMETAFILE page) { return page ? page->Frame : TSize(); }
TDeviceCaps EnhMetaFileDeviceCaps(HENHMETAFILE page) { return page ? page->Caps : TDeviceCaps(); }
