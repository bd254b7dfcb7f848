// Painting of the base grid: nine clipped regions in a fixed order, cell lines and their
// colours, contra boundary lines, margins, background and the empty space after the cells.
#include "GridsEh.h"

#include "platform/vcl/Themes.h"
#include "platform/winapi/WinUser.h"

#include <algorithm>

namespace {
// The luminance used to decide which of two line colours is darker.
int LineLuminance(TColor c)
{
    const COLORREF rgb = ColorToRGB(c);
    const int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    return (r * 299 + g * 587 + b * 114) / 1000;
}

// Clip to a rectangle for a scope, restoring the previous clip afterwards.
struct ClipScope {
    TCanvas* Canvas;
    HRGN Saved;
    ClipScope(TCanvas* c, TRect r) : Canvas(c), Saved(c->SaveClipRegion())
    {
        HRGN rgn = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
        ExtSelectClipRgn(c->Handle(), rgn, RGN_AND);
        DeleteRgn(rgn);
    }
    ~ClipScope() { Canvas->RestoreClipRegion(Saved); }
};
}

void TCustomGridEh::WMPaint(TMessage& M)
{
    if (FLockPaint > 0)
        return;
    // The window toolkit paints through its own back buffer; the flag tells descendants.
    if (NeedBufferedPaint() || DoubleBuffered)
        FBufferedPaint = true;
    TCustomControlEh::WMPaint(M);
}

void TCustomGridEh::SetCanvasRightToLeftReflected(bool Value)
{
    Canvas()->SetMirrored(Value);
    FCanvasRightToLeftReflected = Value;
}

void TCustomGridEh::PolylineRTL(const std::vector<TPoint>& Points)
{
    if (!UseRightToLeftAlignment()) {
        Canvas()->Polyline(Points);
        return;
    }
    std::vector<TPoint> p = Points;
    for (TPoint& pt : p)
        ++pt.X;
    Canvas()->Polyline(p);
}

void TCustomGridEh::UpdateInternalColors()
{
    FInternalColor = Color();
    FInternalFontColor = Font()->GetColor();
    FInternalFixedColor = FFixedColor;
    FInternalFixedFontColor = Font()->GetColor();
}

void TCustomGridEh::GetGridLineParams(int ACol, int ARow, TGridCellBorderTypeEh BorderType, bool& Visible,
                                      TColor& Color, bool& Extend)
{
    const bool fixedCell = ACol < FixedColCount() || ARow < FixedRowCount();
    if (BorderType == cbtLeftEh || BorderType == cbtRightEh)
        Visible = FOptions.Contains(fixedCell ? goFixedVertLineEh : goVertLineEh);
    else
        Visible = FOptions.Contains(fixedCell ? goFixedHorzLineEh : goHorzLineEh);
    Extend = true;
    const bool fixedArea = ACol < FixedColCount() - FrozenColCount() || ARow < FixedRowCount() - FrozenRowCount();
    if (fixedArea) {
        Color = FGridLineColors->GetDarkColor();
    } else if ((BorderType == cbtLeftEh && ACol == ColCount()) || (BorderType == cbtTopEh && ARow == RowCount())) {
        Color = FGridLineColors->GetDarkColor();
    } else if ((BorderType == cbtRightEh && FrozenColCount() > 0 && ACol == FixedColCount() - 1) ||
               (BorderType == cbtBottomEh && FrozenRowCount() > 0 && ARow == FixedRowCount() - 1)) {
        Color = FGridLineColors->GetDarkColor();
    } else {
        Color = FGridLineColors->GetBrightColor();
    }
}

bool TCustomGridEh::IsGridLineVisible(int ACol, int ARow, TGridCellBorderTypeEh BorderType)
{
    bool visible = false, extend = false;
    TColor color = clNone;
    GetGridLineParams(ACol, ARow, BorderType, visible, color, extend);
    return visible;
}

void TCustomGridEh::DrawCell(int ACol, int ARow, TGridDrawState State, const TRect& ARect)
{
    TRect r = ARect;
    DrawCellGridLines(ACol, ARow, State, r);
    DrawCellContent(ACol, ARow, State, r);
}

void TCustomGridEh::DrawCellGridLines(int ACol, int ARow, TGridDrawState, TRect& ARect)
{
    bool rVis = false, bVis = false, rExt = true, bExt = true;
    TColor rCol = clNone, bCol = clNone;
    GetGridLineParams(ACol, ARow, cbtRightEh, rVis, rCol, rExt);
    GetGridLineParams(ACol, ARow, cbtBottomEh, bVis, bCol, bExt);
    if (rVis && bVis && rExt && bExt && rCol != bCol) {
        // The darker line keeps the shared corner pixel.
        if (LineLuminance(bCol) < LineLuminance(rCol))
            rExt = false;
        else
            bExt = false;
    }
    TCanvas* c = Canvas();
    if (rVis) {
        c->Pen()->SetColor(rCol);
        PolylineRTL({TPoint(ARect.Right - 1, ARect.Top), TPoint(ARect.Right - 1, rExt ? ARect.Bottom : ARect.Bottom - 1)});
    }
    if (bVis) {
        c->Pen()->SetColor(bCol);
        PolylineRTL({TPoint(ARect.Left, ARect.Bottom - 1), TPoint(bExt ? ARect.Right : ARect.Right - 1, ARect.Bottom - 1)});
    }
    if (rVis)
        --ARect.Right;
    if (bVis)
        --ARect.Bottom;
}

void TCustomGridEh::DrawCellContent(int ACol, int ARow, TGridDrawState State, const TRect& ARect)
{
    TCanvas* c = Canvas();
    const bool dataCell = ACol >= FixedColCount() - FrozenColCount() && ARow >= FixedRowCount() - FrozenRowCount();
    c->Font()->SetColor(clWindowText);
    c->Brush()->SetColor(dataCell ? clWindow : TColor(RGB(192, 220, 192)));
    if (State.Contains(gdSelected)) {
        if (IsActiveControl()) {
            c->Font()->SetColor(clHighlightText);
            c->Brush()->SetColor(clHighlight);
        } else {
            c->Brush()->SetColor(clBtnShadow);
        }
    }
    c->FillRect(ARect);
    c->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, QStringLiteral("%1:%2").arg(ACol).arg(ARow));
}

void TCustomGridEh::DrawEmptySpace(int, int, const TRect& ARect)
{
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ARect);
}

void TCustomGridEh::DrawOutBoundaryData()
{
    TRect r;
    if (FOutBoundaryData->GetOutBoundaryRect(r, cbtTopEh))
        DrawTopOutBoundary(r);
    if (FOutBoundaryData->GetOutBoundaryRect(r, cbtLeftEh))
        DrawLeftOutBoundary(r);
    if (FOutBoundaryData->GetOutBoundaryRect(r, cbtBottomEh))
        DrawBottomOutBoundary(r);
    if (FOutBoundaryData->GetOutBoundaryRect(r, cbtRightEh))
        DrawRightOutBoundary(r);
}

static void FillFixed(TCustomGridEh* g, const TRect& r)
{
    g->Canvas()->Brush()->SetColor(g->FixedColor());
    g->Canvas()->FillRect(r);
}

void TCustomGridEh::DrawTopOutBoundary(const TRect& ARect) { FillFixed(this, ARect); }
void TCustomGridEh::DrawLeftOutBoundary(const TRect& ARect) { FillFixed(this, ARect); }
void TCustomGridEh::DrawBottomOutBoundary(const TRect& ARect) { FillFixed(this, ARect); }
void TCustomGridEh::DrawRightOutBoundary(const TRect& ARect) { FillFixed(this, ARect); }

void TCustomGridEh::DrawCellsInRect(int FirstCol, int FirstRow, int ColLimit, int RowLimit, TGridDrawState InitState,
                                    int StartX, int StartY, int LimitX, int LimitY)
{
    const TGridRect sel = GetSelectionRect();
    const bool focused = Focused();
    const bool rowSelect = FOptions.Contains(goRowSelectEh);
    // Only cells that meet the area being painted are drawn (a scroll repaints a strip).
    const TRect clip = FPaintClip;
    const bool useClip = clip.Right > clip.Left && clip.Bottom > clip.Top;
    if (useClip) {
        LimitY = std::min(LimitY, clip.Bottom);
        LimitX = std::min(LimitX, clip.Right);
    }
    int y = StartY;
    for (int row = FirstRow; y < LimitY && row < RowLimit; ++row) {
        const int h = RowHeights(row);
        if (useClip && y + h <= clip.Top) {
            y += h;
            continue;
        }
        int x = StartX;
        for (int col = FirstCol; x < LimitX && col < ColLimit; ++col) {
            const int w = ColWidths(col);
            if (w > 0 && !(useClip && x + w <= clip.Left)) {
                TGridDrawState st = InitState;
                if (col == FCurCell.X && row == FCurCell.Y) {
                    st.Include(gdSelected);
                    st.Include(gdCurrent);
                }
                if (col == FHotTrackCell.X && row == FHotTrackCell.Y)
                    st.Include(gdHotTrack);
                if (focused && st.Contains(gdCurrent))
                    st.Include(gdFocused);
                if (rowSelect && row == FCurCell.Y)
                    st.Include(gdRowSelected);
                if (PointInGridRect(col, row, sel))
                    st.Include(gdSelected);
                DrawCell(col, row, st, TRect(x, y, x + w, y + h));
            }
            x += w;
        }
        y += h;
    }
}

// A contra boundary line in segments: vertical at ContraStart(h) per row band, or horizontal
// at ContraStart(v) per column band, each in the colour of the first contra cell's border.
void TCustomGridEh::DrawRegionLines(bool Vert, int FirstIndex, int IndexLimit, int Start, int Limit)
{
    TGridAxisDataEh* along = Vert ? FVertAxis.get() : FHorzAxis.get();
    const int at = Vert ? FHorzAxis->ContraStart() : FVertAxis->ContraStart();
    int p = Start;
    for (int i = FirstIndex; i < IndexLimit && p < Limit; ++i) {
        const int len = along->CelLens(i);
        bool visible = false, extend = false;
        TColor color = clNone;
        if (Vert)
            GetGridLineParams(ColCount(), i, cbtLeftEh, visible, color, extend);
        else
            GetGridLineParams(i, RowCount(), cbtTopEh, visible, color, extend);
        if (visible && len > 0) {
            Canvas()->Pen()->SetColor(color);
            if (Vert)
                PolylineRTL({TPoint(at, p), TPoint(at, p + len)});
            else
                PolylineRTL({TPoint(p, at), TPoint(p + len, at)});
        }
        p += len;
    }
}

void TCustomGridEh::Paint()
{
    if (FLockPaint > 0)
        return;
    const bool rtl = UseRightToLeftAlignment();
    if (rtl)
        SetCanvasRightToLeftReflected(true);
    CheckUpdateCellPositions();
    // The update area in client coordinates (mirrored like the drawing when right-to-left).
    FPaintClip = Canvas()->ClipRect();
    if (FPaintClip.Right <= FPaintClip.Left || FPaintClip.Bottom <= FPaintClip.Top)
        FPaintClip = TRect(0, 0, 1, 1);
    UpdateInternalColors();
    if (FBackgroundData->Showing())
        FBackgroundData->PaintBackgroundData();
    DrawOutBoundaryData();

    TGridAxisDataEh* h = FHorzAxis.get();
    TGridAxisDataEh* v = FVertAxis.get();
    const int leftCol = LeftCol(), topRow = TopRow();
    const int rolX = h->FixedBoundary() - h->RolStartVisCelOfst();
    const int rolY = v->FixedBoundary() - v->RolStartVisCelOfst();
    const int gcsH = h->GridClientStart(), gcsV = v->GridClientStart();
    const int gceH = h->GridClientStop(), gceV = v->GridClientStop();
    const int fbH = h->FixedBoundary(), fbV = v->FixedBoundary();
    const int csH = h->ContraStart(), csV = v->ContraStart();
    const TGridDrawState fixedState{gdFixed};
    auto clipRect = [&](int l, int t, int r, int b) {
        if (rtl) {
            const int l2 = h->RightToLeftReflect(r), r2 = h->RightToLeftReflect(l);
            l = l2;
            r = r2;
        }
        return TRect(l, t, r, b);
    };
    const bool vLine = FOptions.Contains(goContraVertBoundaryLineEh);
    const bool hLine = FOptions.Contains(goContraHorzBoundaryLineEh);
    const int cc = ColCount(), rc = RowCount(), fcc = FullColCount(), frc = FullRowCount();

    // 1-4: fixed and rolling
    DrawCellsInRect(0, 0, FixedColCount(), FixedRowCount(), fixedState, gcsH, gcsV, csH, csV);
    {
        ClipScope cs(Canvas(), clipRect(fbH, 0, csH, csV));
        DrawCellsInRect(leftCol, 0, cc, FixedRowCount(), fixedState, rolX, gcsV, csH, fbV);
    }
    {
        ClipScope cs(Canvas(), clipRect(0, fbV, csH, csV));
        DrawCellsInRect(0, topRow, FixedColCount(), rc, fixedState, gcsH, rolY, fbH, csV);
    }
    {
        ClipScope cs(Canvas(), clipRect(fbH, fbV, csH, csV));
        DrawCellsInRect(leftCol, topRow, cc, rc, TGridDrawState(), rolX, rolY, csH, csV);
    }
    const int contraX = csH + (vLine ? 1 : 0);
    const int contraY = csV + (hLine ? 1 : 0);
    // 5-6: contra columns
    if (ContraColCount() > 0) {
        if (vLine)
            DrawRegionLines(true, 0, FixedRowCount(), gcsV, fbV);
        DrawCellsInRect(cc, 0, fcc, FixedRowCount(), fixedState, contraX, gcsV, gceH, fbV);
        ClipScope cs(Canvas(), clipRect(csH, fbV, gceH, csV));
        if (vLine)
            DrawRegionLines(true, topRow, rc, rolY, csV);
        DrawCellsInRect(cc, topRow, fcc, rc, fixedState, contraX, rolY, gceH, csV);
    }
    // 7-8: contra rows
    if (ContraRowCount() > 0) {
        if (hLine)
            DrawRegionLines(false, 0, FixedColCount(), gcsH, fbH);
        DrawCellsInRect(0, rc, FixedColCount(), frc, fixedState, gcsH, contraY, fbH, gceV);
        ClipScope cs(Canvas(), clipRect(fbH, csV, csH, gceV));
        if (hLine)
            DrawRegionLines(false, leftCol, cc, rolX, csH);
        DrawCellsInRect(leftCol, rc, cc, frc, fixedState, rolX, contraY, csH, gceV);
    }
    // 9: the corner
    if (ContraColCount() > 0 && ContraRowCount() > 0) {
        if (vLine)
            DrawRegionLines(true, rc, frc, contraY, gceV);
        if (hLine)
            DrawRegionLines(false, cc, fcc, contraX, gceH);
        if (vLine && hLine) {
            bool visible = false, extend = false;
            TColor color = clNone;
            GetGridLineParams(cc, rc, cbtTopEh, visible, color, extend);
            if (visible)
                Canvas()->SetPixels(csH, csV, color);
        }
        DrawCellsInRect(cc, rc, fcc, frc, fixedState, contraX, contraY, gceH, gceV);
    }
    DrawEmptySpaceAreas();
    FPaintClip = TRect(0, 0, 0, 0);
    if (rtl)
        SetCanvasRightToLeftReflected(false);
}

void TCustomGridEh::DrawEmptySpaceAreas()
{
    TGridAxisDataEh* h = FHorzAxis.get();
    TGridAxisDataEh* v = FVertAxis.get();
    const int ribH = h->RolInClientBoundary(), ribV = v->RolInClientBoundary();
    const int csH = h->ContraStart(), csV = v->ContraStart();
    const bool hLine = FOptions.Contains(goContraHorzBoundaryLineEh);
    const bool vLine = FOptions.Contains(goContraVertBoundaryLineEh);
    if (ribH < csH) {
        int y = v->GridClientStart();
        for (int r = 0; r < FixedRowCount(); ++r) {
            DrawEmptySpace(-1, r, TRect(ribH, y, csH, y + RowHeights(r)));
            y += RowHeights(r);
        }
        y = v->FixedBoundary() - v->RolStartVisCelOfst();
        for (int r = TopRow(); r < RowCount() && y <= csV; ++r) {
            const int top = std::max(y, v->FixedBoundary());
            const int bottom = std::min(y + RowHeights(r), csV);
            if (bottom > top)
                DrawEmptySpace(-1, r, TRect(ribH, top, csH, bottom));
            y += RowHeights(r);
        }
        DrawEmptySpace(-1, -1, TRect(ribH, ribV, csH, csV));
        y = csV;
        for (int r = RowCount(); r < FullRowCount(); ++r) {
            const int hgt = RowHeights(r) + (r == RowCount() && hLine ? 1 : 0);
            DrawEmptySpace(-1, r, TRect(ribH, y, csH, y + hgt));
            y += hgt;
        }
    }
    if (ribV < csV) {
        int x = h->GridClientStart();
        for (int c = 0; c < FixedColCount(); ++c) {
            DrawEmptySpace(c, -1, TRect(x, ribV, x + ColWidths(c), csV));
            x += ColWidths(c);
        }
        {
            TRect clip(h->FixedBoundary(), v->GridClientStart(), csH, v->GridClientStop());
            if (UseRightToLeftAlignment())
                h->SwapRightToLeftPoses(clip.Left, clip.Right);
            ClipScope cs(Canvas(), clip);
            x = h->FixedBoundary() - h->RolStartVisCelOfst();
            for (int c = LeftCol(); c < ColCount() && x <= csH; ++c) {
                DrawEmptySpace(c, -1, TRect(x, ribV, x + ColWidths(c), csV));
                x += ColWidths(c);
            }
        }
        x = csH;
        for (int c = ColCount(); c < FullColCount(); ++c) {
            const int w = ColWidths(c) + (c == ColCount() && vLine ? 1 : 0);
            DrawEmptySpace(c, -1, TRect(x, ribV, x + w, csV));
            x += w;
        }
    }
}
