// Classic three-dimensional edges and frame controls, drawn pixel for pixel with the system
// colours so that button faces look the same on every machine.
#include "DeviceContext.h"

#include <algorithm>

namespace {

// One one-pixel ring: left and top in lt, then right and bottom in rb (so the top-right and
// bottom-left corners take rb).
void Ring(HDC dc, const TRect& r, UINT sides, COLORREF lt, COLORREF rb)
{
    if (IsRectEmpty(r))
        return;
    if (sides & BF_LEFT)
        dc->FillDev(dc->DevRect(TRect(r.Left, r.Top, r.Left + 1, r.Bottom)), lt);
    if (sides & BF_TOP)
        dc->FillDev(dc->DevRect(TRect(r.Left, r.Top, r.Right, r.Top + 1)), lt);
    if (sides & BF_RIGHT)
        dc->FillDev(dc->DevRect(TRect(r.Right - 1, r.Top, r.Right, r.Bottom)), rb);
    if (sides & BF_BOTTOM)
        dc->FillDev(dc->DevRect(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom)), rb);
}

void Shrink(TRect& r, UINT sides)
{
    if (sides & BF_LEFT) ++r.Left;
    if (sides & BF_TOP) ++r.Top;
    if (sides & BF_RIGHT) --r.Right;
    if (sides & BF_BOTTOM) --r.Bottom;
}

COLORREF Sys(int i) { return GetSysColor(i); }

// A filled triangle pointing down (rows shrink) or up, 'width' odd, width/2+1 rows.
void Arrow(HDC dc, int x0, int y0, int width, bool down, bool upDownVertical, COLORREF c, int dir)
{
    const int rows = width / 2 + 1;
    for (int i = 0; i < rows; ++i) {
        const int k = (dir == 0 || dir == 2) ? i : rows - 1 - i;   // 0 down-ish, 1 up-ish
        (void)down; (void)upDownVertical;
        if (dir == 0 || dir == 1) {   // vertical arrows: rows are horizontal spans
            const int inset = (dir == 0) ? i : rows - 1 - i;
            dc->FillDev(dc->DevRect(TRect(x0 + inset, y0 + i, x0 + width - inset, y0 + i + 1)), c);
        } else {                        // horizontal arrows: columns are vertical spans
            const int inset = (dir == 3) ? i : rows - 1 - i;
            dc->FillDev(dc->DevRect(TRect(x0 + i, y0 + inset, x0 + i + 1, y0 + width - inset)), c);
        }
        (void)k;
    }
}

void CheckMark(HDC dc, int x0, int y0, COLORREF c)
{
    // A 7 x 7 tick, three pixels thick.
    static const int tops[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int x = 0; x < 7; ++x)
        dc->FillDev(dc->DevRect(TRect(x0 + x, y0 + tops[x], x0 + x + 1, y0 + tops[x] + 3)), c);
}

} // namespace

bool DrawEdge(HDC dc, TRect& rect, UINT edge, UINT flags)
{
    if (!dc)
        return false;
    if (dc->Recorder)
        dc->Record(QStringLiteral("DrawEdge(%1,%2,%3,%4;$%5;$%6)").arg(rect.Left).arg(rect.Top).arg(rect.Right).arg(rect.Bottom).arg(edge, 0, 16).arg(flags, 0, 16));
    TRect r = rect;
    const UINT sides = flags & BF_RECT;
    const bool soft = flags & BF_SOFT;
    const UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
    if (flags & BF_MONO) {
        if (outer || inner) {
            Ring(dc, r, sides, Sys(COLOR_WINDOWFRAME), Sys(COLOR_WINDOWFRAME));
            Shrink(r, sides);
        }
        if (outer && inner) {
            Ring(dc, r, sides, Sys(COLOR_WINDOW), Sys(COLOR_WINDOW));
            Shrink(r, sides);
        }
    } else if (flags & BF_FLAT) {
        if (outer || inner) {
            Ring(dc, r, sides, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW));
            Shrink(r, sides);
        }
        if (outer && inner) {
            Ring(dc, r, sides, Sys(COLOR_BTNFACE), Sys(COLOR_BTNFACE));
            Shrink(r, sides);
        }
    } else {
        if (outer) {
            if (outer & BDR_RAISEDOUTER)
                Ring(dc, r, sides, Sys(soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT), Sys(COLOR_3DDKSHADOW));
            else
                Ring(dc, r, sides, Sys(soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT));
            Shrink(r, sides);
        }
        if (inner) {
            if (inner & BDR_RAISEDINNER)
                Ring(dc, r, sides, Sys(soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW));
            else
                Ring(dc, r, sides, Sys(soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW), Sys(COLOR_3DLIGHT));
            Shrink(r, sides);
        }
    }
    if (flags & BF_MIDDLE)
        dc->FillDev(dc->DevRect(r), Sys((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
    if (flags & BF_ADJUST)
        rect = r;
    return true;
}

bool DrawFrameControl(HDC dc, TRect& rect, UINT type, UINT state)
{
    if (!dc || IsRectEmpty(rect))
        return false;
    if (dc->Recorder)
        dc->Record(QStringLiteral("DrawFrameControl(%1,%2,%3,%4;%5;$%6)").arg(rect.Left).arg(rect.Top).arg(rect.Right).arg(rect.Bottom).arg(type).arg(state, 0, 16));
    const bool pushed = state & DFCS_PUSHED;
    const bool inactive = state & DFCS_INACTIVE;
    const bool flat = state & (DFCS_FLAT | DFCS_MONO);

    if (type == DFC_BUTTON && (state & 0x1F & ~DFCS_BUTTON3STATE) == DFCS_BUTTONCHECK) {
        // The box is the centred square of the shorter side.
        const int side = std::min(rect.Width(), rect.Height());
        TRect box = Bounds(rect.Left + (rect.Width() - side) / 2, rect.Top + (rect.Height() - side) / 2, side, side);
        if (flat) {
            Ring(dc, box, BF_RECT, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW));
            Shrink(box, BF_RECT);
        } else {
            DrawEdge(dc, box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        }
        const bool grayed = (state & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED);
        dc->FillDev(dc->DevRect(box), Sys(pushed || inactive || grayed ? COLOR_BTNFACE : COLOR_WINDOW));
        if (state & DFCS_CHECKED) {
            const COLORREF c = Sys(inactive || grayed ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT);
            CheckMark(dc, box.Left + (box.Width() - 7) / 2, box.Top + (box.Height() - 7) / 2, c);
        }
        return true;
    }

    if (type == DFC_BUTTON && (state & 0x1F) == DFCS_BUTTONRADIO) {
        // The classic 12 x 12 circle, row by row: the ring's upper half in shadow, its lower
        // half in highlight, the inside in the window colour, a 4 x 4 dot when checked.
        static const int outer[12][2] = {{4, 8}, {2, 10}, {1, 11}, {1, 11}, {0, 12}, {0, 12},
                                         {0, 12}, {0, 12}, {1, 11}, {1, 11}, {2, 10}, {4, 8}};
        static const int inner[12][2] = {{0, 0}, {4, 8}, {2, 10}, {2, 10}, {1, 11}, {1, 11},
                                         {1, 11}, {1, 11}, {2, 10}, {2, 10}, {4, 8}, {0, 0}};
        static const int dot[12][2] = {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {5, 7}, {4, 8},
                                       {4, 8}, {5, 7}, {0, 0}, {0, 0}, {0, 0}, {0, 0}};
        const int x0 = rect.Left + (rect.Width() - 12) / 2, y0 = rect.Top + (rect.Height() - 12) / 2;
        const COLORREF face = Sys(pushed || inactive ? COLOR_BTNFACE : COLOR_WINDOW);
        const COLORREF mark = Sys(inactive ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT);
        for (int y = 0; y < 12; ++y) {
            const COLORREF ring = flat ? Sys(COLOR_BTNSHADOW) : Sys(y < 6 ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
            dc->FillDev(dc->DevRect(TRect(x0 + outer[y][0], y0 + y, x0 + outer[y][1], y0 + y + 1)), ring);
            if (inner[y][1] > inner[y][0])
                dc->FillDev(dc->DevRect(TRect(x0 + inner[y][0], y0 + y, x0 + inner[y][1], y0 + y + 1)), face);
            if ((state & DFCS_CHECKED) && dot[y][1] > dot[y][0])
                dc->FillDev(dc->DevRect(TRect(x0 + dot[y][0], y0 + y, x0 + dot[y][1], y0 + y + 1)), mark);
        }
        return true;
    }

    if (type == DFC_BUTTON && (state & 0x1F) == DFCS_BUTTONPUSH) {
        TRect r = rect;
        if (flat) {
            Ring(dc, r, BF_RECT, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW));
            Shrink(r, BF_RECT);
            dc->FillDev(dc->DevRect(r), Sys(COLOR_BTNFACE));
        } else {
            DrawEdge(dc, r, (pushed || (state & DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
        }
        if (state & DFCS_ADJUSTRECT)
            rect = r;
        return true;
    }

    if (type == DFC_SCROLL) {
        const UINT kind = state & 0x1F;
        TRect r = rect;
        if (pushed || flat) {
            Ring(dc, r, BF_RECT, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW));
            Shrink(r, BF_RECT);
            dc->FillDev(dc->DevRect(r), Sys(COLOR_BTNFACE));
        } else {
            DrawEdge(dc, r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        }
        if (kind == DFCS_SCROLLSIZEGRIP)
            return true;
        const int s = std::min(rect.Width(), rect.Height());
        const int width = std::max(3, ((s - 3) / 2) | 1);
        const int rows = width / 2 + 1;
        int dir = 0;   // 0 down, 1 up, 2 left, 3 right
        switch (kind) {
        case DFCS_SCROLLUP: dir = 1; break;
        case DFCS_SCROLLDOWN: case DFCS_SCROLLCOMBOBOX: dir = 0; break;
        case DFCS_SCROLLLEFT: dir = 2; break;
        case DFCS_SCROLLRIGHT: dir = 3; break;
        default: return false;
        }
        const bool vertical = dir < 2;
        const int aw = vertical ? width : rows, ah = vertical ? rows : width;
        const int off = pushed ? 1 : 0;
        const int x0 = rect.Left + (rect.Width() - aw) / 2 + off;
        const int y0 = rect.Top + (rect.Height() - ah) / 2 + off;
        if (inactive) {
            Arrow(dc, x0 + 1, y0 + 1, width, false, vertical, Sys(COLOR_BTNHIGHLIGHT), dir);
            Arrow(dc, x0, y0, width, false, vertical, Sys(COLOR_BTNSHADOW), dir);
        } else {
            Arrow(dc, x0, y0, width, false, vertical, Sys(COLOR_BTNTEXT), dir);
        }
        return true;
    }
    return false;
}

HBITMAP LoadBitmap(HINSTANCE, int id)
{
    if (id != OBM_CHECKBOXES)
        return nullptr;
    auto* b = new HBITMAP__;
    b->Image = QImage(4 * 13, 3 * 13, QImage::Format_RGB32);
    b->Image.fill(ToQColor(GetSysColor(COLOR_BTNFACE)));
    HDC dc = CreateDCForImage(&b->Image);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            UINT state = DFCS_BUTTONCHECK;
            if (col & 1) state |= DFCS_CHECKED;
            if (col & 2) state |= DFCS_PUSHED;
            if (row == 2) state |= DFCS_BUTTON3STATE;
            TRect r = Bounds(col * 13, row * 13, 13, 13);
            DrawFrameControl(dc, r, DFC_BUTTON, state);
        }
    DeleteDC(dc);
    return b;
}

HBITMAP LoadBitmap(HINSTANCE instance, const QString& name)
{
    if (name.startsWith(u'#'))
        return LoadBitmap(instance, name.mid(1).toInt());
    QImage img;
    for (const QString& path : {name, QStringLiteral(":/") + name, QStringLiteral(":/bitmaps/") + name})
        if (img.load(path))
            break;
    if (img.isNull())
        return nullptr;
    return new HBITMAP__{img};
}

bool GetBitmapSize(HBITMAP bitmap, TSize& size)
{
    if (!bitmap)
        return false;
    size = TSize(bitmap->Image.width(), bitmap->Image.height());
    return true;
}

QImage* BitmapImage(HBITMAP bitmap) { return bitmap ? &bitmap->Image : nullptr; }
void DeleteBitmap(HBITMAP bitmap) { delete bitmap; }
