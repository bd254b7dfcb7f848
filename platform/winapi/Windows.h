// The window system's basic types: rectangles, points, handles, colours, virtual keys and
// system metrics. Rectangles have right and bottom exclusive; an inverted one is empty.
#pragma once

#include "platform/rtl/System.h"

#include <cstdint>

using BOOL = int32_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using LONG = int32_t;
using WPARAM = uintptr_t;    // pointer wide: object references travel in messages
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = uint32_t;   // 0x00BBGGRR

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(int32_t x, int32_t y) : X(x), Y(y) {}
    friend constexpr bool operator==(TPoint a, TPoint b) { return a.X == b.X && a.Y == b.Y; }
};
using POINT = TPoint;

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    constexpr TSize() = default;
    constexpr TSize(int32_t w, int32_t h) : cx(w), cy(h) {}
    friend constexpr bool operator==(TSize a, TSize b) { return a.cx == b.cx && a.cy == b.cy; }
};
using SIZE = TSize;

struct TSmallPoint {
    int16_t x = 0;
    int16_t y = 0;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int32_t l, int32_t t, int32_t r, int32_t b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr TRect(TPoint tl, TPoint br) : Left(tl.X), Top(tl.Y), Right(br.X), Bottom(br.Y) {}
    constexpr int32_t Width() const { return Right - Left; }
    constexpr int32_t Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    friend constexpr bool operator==(const TRect& a, const TRect& b)
    {
        return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    }
};
using RECT = TRect;

constexpr TRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return TRect(l, t, r, b); }
constexpr TRect Bounds(int32_t l, int32_t t, int32_t w, int32_t h) { return TRect(l, t, l + w, t + h); }
constexpr TPoint Point(int32_t x, int32_t y) { return TPoint(x, y); }

bool IsRectEmpty(const TRect& r);                     // Right <= Left or Bottom <= Top
// The overlap; (0,0,0,0) and false when there is none.
bool IntersectRect(TRect& dst, const TRect& a, const TRect& b);
// The bounding box; an empty operand is ignored; false when both are empty.
bool UnionRect(TRect& dst, const TRect& a, const TRect& b);
bool OffsetRect(TRect& r, int dx, int dy);
bool InflateRect(TRect& r, int dx, int dy);
bool PtInRect(const TRect& r, TPoint p);              // left/top inclusive, right/bottom exclusive
bool SetRect(TRect& r, int l, int t, int rr, int b);
bool SetRectEmpty(TRect& r);
bool EqualRect(const TRect& a, const TRect& b);
bool CopyRect(TRect& dst, const TRect& src);
bool SubtractRect(TRect& dst, const TRect& a, const TRect& b);

// ---- words and packed values ----
constexpr WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr int32_t MAKELONG(WORD lo, WORD hi) { return int32_t(uint32_t(lo) | (uint32_t(hi) << 16)); }
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) { return LPARAM(MAKELONG(lo, hi)); }
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return WPARAM(uint32_t(MAKELONG(lo, hi))); }
constexpr int16_t GET_X_LPARAM(LPARAM lp) { return int16_t(LOWORD(uintptr_t(lp))); }
constexpr int16_t GET_Y_LPARAM(LPARAM lp) { return int16_t(HIWORD(uintptr_t(lp))); }
constexpr TPoint SmallPointToPoint(TSmallPoint p) { return TPoint(p.x, p.y); }
constexpr TSmallPoint PointToSmallPoint(TPoint p) { return TSmallPoint{int16_t(p.X), int16_t(p.Y)}; }
int MulDiv(int number, int numerator, int denominator);   // rounded; -1 on a zero denominator

// ---- colours ----
constexpr COLORREF RGB(int r, int g, int b) { return COLORREF((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16)); }
constexpr int GetRValue(COLORREF c) { return int(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return int((c >> 16) & 0xFF); }
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
constexpr COLORREF CLR_DEFAULT = 0xFF000000;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

enum : int {
    COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7, COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10, COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19, COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27, COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30,
    COLOR_3DFACE = COLOR_BTNFACE, COLOR_3DSHADOW = COLOR_BTNSHADOW, COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT,
    COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT, COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT, COLOR_DESKTOP = COLOR_BACKGROUND,
};
constexpr int SYS_COLOR_COUNT = 31;
// The fixed system colour table (the classic scheme); an index outside it gives 0.
COLORREF GetSysColor(int index);
// Tests and the style switch may replace entries; returns the previous value.
COLORREF SetSysColorForTesting(int index, COLORREF value);
void ResetSysColors();

// ---- system metrics (fixed, 96 dpi) ----
enum : int {
    SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
    SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CYVTHUMB = 9,
    SM_CXHTHUMB = 10, SM_CXICON = 11, SM_CYICON = 12, SM_CXCURSOR = 13, SM_CYCURSOR = 14,
    SM_CYMENU = 15, SM_CXFULLSCREEN = 16, SM_CYFULLSCREEN = 17, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21,
    SM_SWAPBUTTON = 23, SM_CXMIN = 28, SM_CYMIN = 29, SM_CXSIZE = 30, SM_CYSIZE = 31,
    SM_CXFRAME = 32, SM_CYFRAME = 33, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37,
    SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXSMICON = 49, SM_CYSMICON = 50, SM_CXSMSIZE = 52, SM_CYSMSIZE = 53, SM_CXMENUCHECK = 71,
    SM_CYMENUCHECK = 72, SM_CXDRAG = 68, SM_CYDRAG = 69, SM_MOUSEWHEELPRESENT = 75,
    SM_CMONITORS = 80, SM_CXVIRTUALSCREEN = 78, SM_CYVIRTUALSCREEN = 79,
};
int GetSystemMetrics(int index);
UINT GetDoubleClickTime();           // 500 ms
constexpr int WHEEL_DELTA = 120;

// ---- virtual keys ----
enum : WORD {
    VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08, VK_TAB = 0x09,
    VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23,
    VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SELECT = 0x29,
    VK_PRINT = 0x2A, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F,
    VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8,
    VK_F9, VK_F10, VK_F11, VK_F12, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU,
    VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
};

// Key state as the last translated input event left it (bit 0x8000 = down).
int16_t GetKeyState(int vk);
int16_t GetAsyncKeyState(int vk);
// Kept up to date by the event translation; tests may set it directly.
void SetKeyStateForInput(int vk, bool down);

// ---- opaque handles ----
struct HWND__;
using HWND = HWND__*;
struct HDC__;
using HDC = HDC__*;
struct HRGN__;
using HRGN = HRGN__*;
struct HFONT__;
using HFONT = HFONT__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
using HBRUSH = uintptr_t;      // 1..31: system colour index + 1; a solid brush is tagged above 32 bits
using HPEN = uintptr_t;
using HGDIOBJ = uintptr_t;
using HINSTANCE = uintptr_t;
using HMONITOR = uintptr_t;
using HCURSOR = uintptr_t;
using HICON = uintptr_t;
using HTHEME = uintptr_t;
constexpr HINSTANCE HInstance = 1;

// A solid brush of a colour, and its colour back.
HBRUSH CreateSolidBrush(COLORREF c);
HBRUSH GetSysColorBrush(int index);
COLORREF BrushColor(HBRUSH b);
bool DeleteObject(HGDIOBJ) ;

// The cursor position in screen coordinates (as the last mouse event left it).
bool GetCursorPos(TPoint& p);
bool SetCursorPos(int x, int y);
