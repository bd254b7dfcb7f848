// What a device is (resolution, page, unprintable margins), how logical units map onto its
// pixels, and metafiles: pages recorded for a device and replayed onto any other.
#pragma once

#include "WinGdi.h"

class QPaintDevice;

// ---- capabilities ----
// Screens and images are 96 pixels per inch and as large as their pixels; printers say so
// themselves.
enum : int { DT_PLOTTER = 0, DT_RASDISPLAY = 1, DT_RASPRINTER = 2, DT_METAFILE = 5 };
struct TDeviceCaps {
    int Technology = DT_RASDISPLAY;
    int PixelsPerInchX = 96, PixelsPerInchY = 96;
    int HorzRes = 0, VertRes = 0;                 // the printable area in pixels (0: the device's size)
    int PhysicalWidth = 0, PhysicalHeight = 0;    // the whole page (0: printable area and offsets)
    int PhysicalOffsetX = 0, PhysicalOffsetY = 0; // printable area from the page's corner
};
enum : int {
    TECHNOLOGY = 2, HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14,
    NUMCOLORS = 24,
    LOGPIXELSX = 88, LOGPIXELSY = 90, PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111, PHYSICALOFFSETX = 112,
    PHYSICALOFFSETY = 113,
};
// HORZSIZE and VERTSIZE in millimetres, the others in pixels; 0 for an unknown index. Every
// device is true colour: NUMCOLORS answers -1, as a palette-less device does.
int GetDeviceCaps(HDC dc, int index);
TDeviceCaps DCDeviceCaps(HDC dc);
// A context over a painter on a device of the given capabilities (a printer). The painter may be
// nullptr: an information context that measures but draws nothing. Its first font is the system
// font sized for the device's resolution.
HDC CreateDCForDevice(QPainter* painter, const TDeviceCaps& caps);
// Fonts of the context are measured for this device (a printer's, also before it paints).
void SetDCMetricsDevice(HDC dc, QPaintDevice* device);

// ---- geometric pens ----
// Extra bits of DCSetPen's style: a geometric pen takes the end cap and join given here (a
// cosmetic pen wider than 1 has square ends and mitred joins). Widths are logical units.
enum : int {
    PS_STYLE_MASK = 0xF,
    PS_ENDCAP_ROUND = 0x000, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200, PS_ENDCAP_MASK = 0xF00,
    PS_JOIN_ROUND = 0x0000, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000,
    PS_COSMETIC = 0x00000, PS_GEOMETRIC = 0x10000,
};

// ---- mapping modes ----
// device = (logical - window origin) * viewport extent / window extent + viewport origin.
// MM_TEXT is 1:1; the fixed modes (tenths and hundredths of a millimetre, hundredths and
// thousandths of an inch, twips) run the y axis up and ignore extents; MM_ISOTROPIC keeps a
// logical unit as long across as down (the viewport extent gives way); MM_ANISOTROPIC takes the
// extents as given. Extents of 0 are refused. Text stays upright and scales with the mapping.
enum : int { MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5, MM_TWIPS = 6,
             MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8 };
int SetMapMode(HDC dc, int mode);   // the previous mode; 0 when refused
int GetMapMode(HDC dc);
bool SetWindowExtEx(HDC dc, int x, int y, TSize* old);
bool GetWindowExtEx(HDC dc, TSize& size);
bool SetViewportExtEx(HDC dc, int x, int y, TSize* old);
bool GetViewportExtEx(HDC dc, TSize& size);
bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old);
bool GetWindowOrgEx(HDC dc, TPoint& p);
// (SetViewportOrgEx and the point conversions are with the other context calls.)

// ---- metafiles ----
// A recorded page: what was drawn on a metafile context, replayable onto any context at any size.
struct HENHMETAFILE__;
using HENHMETAFILE = HENHMETAFILE__*;
// A context that records a page for the reference device (nullptr: the screen): it has the
// device's resolution and measures text as the device does (the device must outlive the
// recording). The page is width x height reference pixels, or the device's printable area when
// either is 0.
HDC CreateEnhMetaFile(HDC reference, int width, int height);
// Ends the recording; the context is gone and the page is the caller's.
HENHMETAFILE CloseEnhMetaFile(HDC dc);
// Plays the page stretched onto the rectangle (logical units of dc, through its mapping and
// inside its clip). Text stays text, so a page played onto a PDF printer keeps its words.
bool PlayEnhMetaFile(HDC dc, HENHMETAFILE page, const TRect& rect);
HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE page);
bool DeleteEnhMetaFile(HENHMETAFILE page);
// The page's size in reference pixels, and the reference device it was recorded for.
TSize EnhMetaFileSize(HENHMETAFILE page);
TDeviceCaps EnhMetaFileDeviceCaps(HENHMETAFILE page);
