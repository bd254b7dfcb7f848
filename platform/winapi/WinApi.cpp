// Rectangles, colours, fixed metrics and key state.
#include "Windows.h"

#include <QCursor>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cmath>

bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

bool IntersectRect(TRect& dst, const TRect& a, const TRect& b)
{
    TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom));
    if (IsRectEmpty(r)) {
        dst = TRect();
        return false;
    }
    dst = r;
    return true;
}

bool UnionRect(TRect& dst, const TRect& a, const TRect& b)
{
    const bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
    if (ea && eb) {
        dst = TRect();
        return false;
    }
    if (ea) {
        dst = b;
        return true;
    }
    if (eb) {
        dst = a;
        return true;
    }
    dst = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom));
    return true;
}

bool OffsetRect(TRect& r, int dx, int dy)
{
    r.Left += dx; r.Right += dx; r.Top += dy; r.Bottom += dy;
    return true;
}

bool InflateRect(TRect& r, int dx, int dy)
{
    r.Left -= dx; r.Right += dx; r.Top -= dy; r.Bottom += dy;
    return true;
}

bool PtInRect(const TRect& r, TPoint p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }
bool SetRect(TRect& r, int l, int t, int rr, int b) { r = TRect(l, t, rr, b); return true; }
bool SetRectEmpty(TRect& r) { r = TRect(); return true; }
bool EqualRect(const TRect& a, const TRect& b) { return a == b; }
bool CopyRect(TRect& dst, const TRect& src) { dst = src; return true; }

bool SubtractRect(TRect& dst, const TRect& a, const TRect& b)
{
    // Only a whole side can be cut away; otherwise a stays.
    TRect i;
    dst = a;
    if (!IntersectRect(i, a, b)) {
        return !IsRectEmpty(dst);
    }
    if (i.Top == a.Top && i.Bottom == a.Bottom) {
        if (i.Left == a.Left) dst.Left = i.Right;
        else if (i.Right == a.Right) dst.Right = i.Left;
    } else if (i.Left == a.Left && i.Right == a.Right) {
        if (i.Top == a.Top) dst.Top = i.Bottom;
        else if (i.Bottom == a.Bottom) dst.Bottom = i.Top;
    }
    if (IsRectEmpty(dst)) {
        dst = TRect();
        return false;
    }
    return true;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const int64_t p = int64_t(number) * numerator;
    int64_t q = p / denominator;
    const int64_t rem = p % denominator;
    // Rounded half away from zero.
    if (2 * std::llabs(rem) >= std::llabs(int64_t(denominator)))
        q += ((p < 0) != (denominator < 0)) ? -1 : 1;
    return int(q);
}

// ---- colours ----
namespace {
constexpr std::array<COLORREF, SYS_COLOR_COUNT> kClassicColors = {
    RGB(212, 208, 200), // scroll bar
    RGB(58, 110, 165),  // desktop
    RGB(10, 36, 106),   // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(212, 208, 200), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(212, 208, 200), // active border
    RGB(212, 208, 200), // inactive border
    RGB(128, 128, 128), // app workspace
    RGB(10, 36, 106),   // highlight
    RGB(255, 255, 255), // highlight text
    RGB(212, 208, 200), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(212, 208, 200), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(64, 64, 64),    // 3D dark shadow
    RGB(212, 208, 200), // 3D light
    RGB(0, 0, 0),       // info text
    RGB(255, 255, 225), // info background
    RGB(181, 181, 181), // (unused)
    RGB(0, 0, 128),     // hot light
    RGB(166, 202, 240), // gradient active caption
    RGB(192, 192, 192), // gradient inactive caption
    RGB(10, 36, 106),   // menu highlight
    RGB(212, 208, 200), // menu bar
};
std::array<COLORREF, SYS_COLOR_COUNT> gSysColors = kClassicColors;
}

COLORREF GetSysColor(int index)
{
    if (index < 0 || index >= SYS_COLOR_COUNT)
        return 0;
    return gSysColors[size_t(index)];
}

COLORREF SetSysColorForTesting(int index, COLORREF value)
{
    if (index < 0 || index >= SYS_COLOR_COUNT)
        return 0;
    std::swap(gSysColors[size_t(index)], value);
    return value;
}

void ResetSysColors() { gSysColors = kClassicColors; }

namespace {
constexpr HBRUSH kSolidTag = HBRUSH(1) << 40;
}

HBRUSH CreateSolidBrush(COLORREF c) { return kSolidTag | HBRUSH(c & 0xFFFFFF); }
HBRUSH GetSysColorBrush(int index) { return CreateSolidBrush(GetSysColor(index)); }
COLORREF BrushColor(HBRUSH b)
{
    if (b & kSolidTag)
        return COLORREF(b & 0xFFFFFF);
    if (b >= 1 && b <= HBRUSH(SYS_COLOR_COUNT))
        return GetSysColor(int(b) - 1);
    return 0;
}
bool DeleteObject(HGDIOBJ) { return true; }

// ---- metrics ----
int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: case SM_CXVIRTUALSCREEN: return 1920;
    case SM_CYSCREEN: case SM_CYVIRTUALSCREEN: return 1080;
    case SM_CYFULLSCREEN: return 1017;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 17;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CXSMSIZE: case SM_CYSMSIZE: return 16;   // small caption buttons
    case SM_CYMENU: return 20;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXMIN: return 136;
    case SM_CYMIN: return 39;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_CMONITORS: return 1;
    case SM_SWAPBUTTON: return 0;
    default: return 0;
    }
}

UINT GetDoubleClickTime() { return 500; }

// ---- keys ----
namespace {
std::array<bool, 256> gKeyDown{};
}

void SetKeyStateForInput(int vk, bool down)
{
    if (vk >= 0 && vk < 256)
        gKeyDown[size_t(vk)] = down;
}

int16_t GetKeyState(int vk)
{
    if (vk < 0 || vk >= 256)
        return 0;
    return gKeyDown[size_t(vk)] ? int16_t(0x8000) : 0;
}

int16_t GetAsyncKeyState(int vk) { return GetKeyState(vk); }

bool GetCursorPos(TPoint& p)
{
    if (!qGuiApp) {
        p = TPoint();
        return false;
    }
    const QPoint q = QCursor::pos();
    p = TPoint(q.x(), q.y());
    return true;
}

bool SetCursorPos(int x, int y)
{
    if (!qGuiApp)
        return false;
    QCursor::setPos(x, y);
    return true;
}
