// Device contexts and the drawing calls the component library makes on them: text with our
// own DrawText engine, edges and frame controls drawn pixel for pixel, regions and blits.
#pragma once

#include "Windows.h"

#include <QString>
#include <functional>

class QPainter;
class QImage;
class QFont;

// ---- device contexts ----
// A context over a painter that the caller keeps alive (a paint event's, an image's).
HDC CreateDCForPainter(QPainter* painter);
// A context that owns a painter on the image (the image must outlive it).
HDC CreateDCForImage(QImage* image);
void DeleteDC(HDC dc);
QPainter* DCPainter(HDC dc);
// The image a memory context draws on, or nullptr.
QImage* DCImage(HDC dc);
// Every drawing call on the context is also described to the recorder (tests' recording canvas).
void SetDCRecorder(HDC dc, std::function<void(const QString& call)> recorder);
int SaveDC(HDC dc);                  // pushes font, colours, pen, brush, clip and origin
bool RestoreDC(HDC dc, int saved);   // -1: the last saved state

// Selected objects (the context keeps its own copies).
void DCSetFont(HDC dc, const QFont& font);
const QFont& DCFont(HDC dc);
// The selected font's escapement: text turns counter-clockwise about its reference point by
// tenths of a degree (900 runs upward). Returns the previous one.
int DCSetFontEscapement(HDC dc, int tenths);
COLORREF SetTextColor(HDC dc, COLORREF c);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF c);
COLORREF GetBkColor(HDC dc);
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
enum : int { PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5, PS_INSIDEFRAME = 6 };
void DCSetPen(HDC dc, COLORREF color, int width, int style);
enum : int { BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1 };
void DCSetBrush(HDC dc, COLORREF color, int style);
COLORREF DCBrushColor(HDC dc);
int DCBrushStyle(HDC dc);
COLORREF GetNearestColor(HDC dc, COLORREF c);   // true colour: the colour itself

// Origin: logical (0,0) maps to device (x, y).
bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old);
bool GetViewportOrgEx(HDC dc, TPoint& p);
bool OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old);
bool LPtoDP(HDC dc, TPoint* points, int count);
bool DPtoLP(HDC dc, TPoint* points, int count);

// Right-to-left mirroring: x becomes width - 1 - x for the whole device.
enum : DWORD { LAYOUT_RTL = 0x00000001 };
DWORD SetLayout(HDC dc, DWORD layout);
DWORD GetLayout(HDC dc);

// ---- regions (device coordinates) ----
HRGN CreateRectRgn(int l, int t, int r, int b);
HRGN CreateRectRgnIndirect(const TRect& r);
enum : int { ALTERNATE = 1, WINDING = 2 };
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode);
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
bool PtInRegion(HRGN rgn, int x, int y);
bool RectInRegion(HRGN rgn, const TRect& r);
int GetRgnBox(HRGN rgn, TRect& r);
bool EqualRgn(HRGN a, HRGN b);
bool OffsetRgn(HRGN rgn, int dx, int dy);
void DeleteRgn(HRGN rgn);
int LiveRegionCount();                 // regions not yet deleted (leak checks in tests)
// 1 and the clip copied into rgn; 0 when the context has no clip; -1 on error.
int GetClipRgn(HDC dc, HRGN rgn);
// nullptr removes clipping. The region is copied.
int SelectClipRgn(HDC dc, HRGN rgn);
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
int IntersectClipRect(HDC dc, int l, int t, int r, int b);   // logical coordinates
int ExcludeClipRect(HDC dc, int l, int t, int r, int b);
int GetClipBox(HDC dc, TRect& r);      // logical coordinates

// ---- simple drawing ----
int FillRect(HDC dc, const TRect& r, HBRUSH brush);
int FrameRect(HDC dc, const TRect& r, HBRUSH brush);
bool InvertRect(HDC dc, const TRect& r);
bool DrawFocusRect(HDC dc, const TRect& r);     // dotted, inverting
bool Rectangle(HDC dc, int l, int t, int r, int b);
bool Ellipse(HDC dc, int l, int t, int r, int b);
bool MoveToEx(HDC dc, int x, int y, TPoint* old);
bool LineTo(HDC dc, int x, int y);              // the end point is not drawn
bool Polyline(HDC dc, const TPoint* points, int count);
bool PolyPolyline(HDC dc, const TPoint* points, const DWORD* counts, int polylines);
bool Polygon(HDC dc, const TPoint* points, int count);
bool SetPixel(HDC dc, int x, int y, COLORREF c);
COLORREF GetPixel(HDC dc, int x, int y);
// Gradient of two colours over a rectangle, vertical or horizontal.
bool GradientFillRect(HDC dc, const TRect& r, COLORREF c1, COLORREF c2, bool vertical);

// ---- blits ----
enum : DWORD { SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
               PATCOPY = 0x00F00021, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062, DSTINVERT = 0x00550009 };
bool BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
bool StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop);
// Source pixels blended over the destination with a constant alpha (0..255) and the
// source's own alpha when perPixel is set.
bool AlphaBlendDC(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                  int constantAlpha, bool perPixel);

// ---- text ----
struct TTextMetric {
    int tmHeight = 0, tmAscent = 0, tmDescent = 0, tmInternalLeading = 0, tmExternalLeading = 0;
    int tmAveCharWidth = 0, tmMaxCharWidth = 0, tmWeight = 400, tmOverhang = 0;
    int tmDigitizedAspectX = 96, tmDigitizedAspectY = 96;
    uint16_t tmFirstChar = 0x20, tmLastChar = 0xFFFC, tmDefaultChar = 0x1F, tmBreakChar = 0x20;
    uint8_t tmItalic = 0, tmUnderlined = 0, tmStruckOut = 0, tmPitchAndFamily = 0, tmCharSet = 1;
};
using TEXTMETRIC = TTextMetric;
bool GetTextMetrics(HDC dc, TTextMetric& tm);
struct TOutlineTextMetric {
    UINT otmSize = 0;
    TTextMetric otmTextMetrics;
    int otmsCharSlopeRise = 1, otmsCharSlopeRun = 0;
    int otmAscent = 0, otmDescent = 0;
    UINT otmEMSquare = 2048;
};
// The size needed when buf is nullptr; 0 on failure.
UINT GetOutlineTextMetrics(HDC dc, UINT size, TOutlineTextMetric* buf);
bool GetTextExtentPoint32(HDC dc, const QString& text, TSize& size);
// Characters that fit into maxExtent and the cumulative widths of all characters.
bool GetTextExtentExPoint(HDC dc, const QString& text, int maxExtent, int* fit, int* dx, TSize& size);

enum : UINT { TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256 };
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
enum : UINT { ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004, ETO_RTLREADING = 0x0080 };
// count -1: the whole text. dx (optional) gives the advance of every character.
bool ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* rect, const QString& text, int count, const int* dx);
bool TextOut(HDC dc, int x, int y, const QString& text);

enum : UINT {
    DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80, DT_NOCLIP = 0x100,
    DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_INTERNAL = 0x1000,
    DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000, DT_MODIFYSTRING = 0x10000,
    DT_RTLREADING = 0x20000, DT_WORD_ELLIPSIS = 0x40000, DT_NOFULLWIDTHCHARBREAK = 0x80000,
    DT_HIDEPREFIX = 0x100000, DT_PREFIXONLY = 0x200000,
};
struct DRAWTEXTPARAMS {
    UINT cbSize = sizeof(DRAWTEXTPARAMS);
    int iTabLength = 0;        // in average character widths; 0 means 8
    int iLeftMargin = 0;
    int iRightMargin = 0;
    UINT uiLengthDrawn = 0;    // out: characters processed
};
using TDrawTextParams = DRAWTEXTPARAMS;
// count -1: the whole text. Returns the height of the text (0 on failure); with DT_VCENTER or
// DT_BOTTOM the offset from the rectangle's top plus the height. DT_CALCRECT measures only and
// sets the rectangle's right and bottom.
int DrawText(HDC dc, const QString& text, int count, TRect& rect, UINT format);
int DrawTextEx(HDC dc, const QString& text, int count, TRect& rect, UINT format, DRAWTEXTPARAMS* params);

// ---- edges and frame controls (classic look) ----
enum : UINT {
    BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
    BDR_OUTER = 0x3, BDR_INNER = 0xC, BDR_RAISED = 0x5, BDR_SUNKEN = 0xA,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
};
enum : UINT {
    BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_TOPLEFT = 0x3, BF_TOPRIGHT = 0x6,
    BF_BOTTOMLEFT = 0x9, BF_BOTTOMRIGHT = 0xC, BF_RECT = 0xF, BF_DIAGONAL = 0x10, BF_MIDDLE = 0x800,
    BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000,
};
bool DrawEdge(HDC dc, TRect& rect, UINT edge, UINT flags);

enum : UINT { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4 };
enum : UINT {
    DFCS_BUTTONCHECK = 0x0000, DFCS_BUTTONRADIOIMAGE = 0x0001, DFCS_BUTTONRADIOMASK = 0x0002,
    DFCS_BUTTONRADIO = 0x0004, DFCS_BUTTON3STATE = 0x0008, DFCS_BUTTONPUSH = 0x0010,
    DFCS_CAPTIONCLOSE = 0x0000, DFCS_SCROLLUP = 0x0000, DFCS_SCROLLDOWN = 0x0001, DFCS_SCROLLLEFT = 0x0002,
    DFCS_SCROLLRIGHT = 0x0003, DFCS_SCROLLCOMBOBOX = 0x0005, DFCS_SCROLLSIZEGRIP = 0x0008,
    DFCS_INACTIVE = 0x0100, DFCS_PUSHED = 0x0200, DFCS_CHECKED = 0x0400, DFCS_TRANSPARENT = 0x0800,
    DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000,
};
bool DrawFrameControl(HDC dc, TRect& rect, UINT type, UINT state);

// ---- bitmaps ----
enum : int { OBM_CHECKBOXES = 32759 };
// A bitmap resource: OBM_CHECKBOXES (4 x 3 cells of 13 x 13 check boxes), or a Qt resource by name.
HBITMAP LoadBitmap(HINSTANCE instance, int id);
HBITMAP LoadBitmap(HINSTANCE instance, const QString& name);
bool GetBitmapSize(HBITMAP bitmap, TSize& size);
QImage* BitmapImage(HBITMAP bitmap);
void DeleteBitmap(HBITMAP bitmap);
