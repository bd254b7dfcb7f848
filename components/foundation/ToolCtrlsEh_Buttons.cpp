// Button faces, glyphs, check boxes, tree glyphs and the button bitmap cache.
#include "ToolCtrlsEh.h"

#include "platform/vcl/Themes.h"

#include <cmath>

namespace {

COLORREF Sys(int i) { return GetSysColor(i); }

void Fill(HDC dc, const TRect& r, COLORREF c) { FillRect(dc, r, CreateSolidBrush(c)); }

TRect Inset(TRect r, int d)
{
    InflateRect(r, -d, -d);
    return r;
}

TThemedPartState PartState(bool enabled, bool pressed, bool active)
{
    if (!enabled)
        return tpsDisabled;
    if (pressed)
        return tpsPressed;
    return active ? tpsHot : tpsNormal;
}

// Colours of a themed glyph from its top row (first) to its bottom row (second).
void GradientColors(bool enabled, COLORREF& first, COLORREF& second)
{
    if (enabled) {
        first = ColorToRGB(BlendColorsPercent(cl3DDkShadow, clBlack, 30));
        second = ColorToRGB(cl3DDkShadow);
    } else {
        first = ColorToRGB(clGrayText);
        second = ColorToRGB(BlendColorsPercent(clGrayText, clWhite, 30));
    }
}

COLORREF RowColor(COLORREF a, COLORREF b, int row, int rows)
{
    if (rows <= 1)
        return a;
    auto ch = [&](int x, int y) { return std::clamp(RoundEh(x + double(y - x) * row / (rows - 1)), 0, 255); };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

// A set of horizontal runs (x, y, width) forming one glyph shape.
struct Run { int X, Y, W; };

void PaintRuns(HDC dc, const std::vector<Run>& runs, int dx, int dy, COLORREF c)
{
    for (const Run& r : runs)
        Fill(dc, TRect(r.X + dx, r.Y + dy, r.X + dx + r.W, r.Y + dy + 1), c);
}

// Classic: one colour (disabled: highlight copy at +1,+1 then shadow). Themed: a gradient by row.
void PaintShape(HDC dc, const std::vector<Run>& runs, bool enabled, bool themed, COLORREF classicColor)
{
    if (runs.empty())
        return;
    if (themed) {
        int top = runs.front().Y, bottom = runs.front().Y;
        for (const Run& r : runs) {
            top = std::min(top, r.Y);
            bottom = std::max(bottom, r.Y);
        }
        COLORREF a, b;
        GradientColors(enabled, a, b);
        for (const Run& r : runs)
            Fill(dc, TRect(r.X, r.Y, r.X + r.W, r.Y + 1), RowColor(a, b, r.Y - top, bottom - top + 1));
        return;
    }
    if (!enabled) {
        PaintRuns(dc, runs, 1, 1, Sys(COLOR_BTNHIGHLIGHT));
        PaintRuns(dc, runs, 0, 0, Sys(COLOR_BTNSHADOW));
        return;
    }
    PaintRuns(dc, runs, 0, 0, classicColor);
}

void AddBlock(std::vector<Run>& runs, int x, int y, int w, int h)
{
    for (int i = 0; i < h; ++i)
        runs.push_back(Run{x, y + i, w});
}

void EllipsisGlyph(HDC dc, const TRect& g, bool pressed, bool enabled, bool themed)
{
    const int W = g.Width(), H = g.Height(), p = pressed ? 1 : 0;
    const int d = W > 7 ? 2 : 1;
    const int gap = W < 12 ? 1 : 2;
    const int x = g.Left + W / 2 + p - d / 2, y = g.Top + H / 2 + p - d / 2;
    std::vector<Run> runs;
    for (int dx : {-(gap + d), 0, gap + d})
        AddBlock(runs, x + dx, y, d, d);
    PaintShape(dc, runs, enabled, themed, Sys(COLOR_BTNTEXT));
}

void PlusMinusGlyph(HDC dc, const TRect& g, bool plus, bool pressed, bool flat, bool enabled, bool themed)
{
    const int W = g.Width(), H = g.Height(), p = pressed ? 1 : 0;
    const int m = std::min(W, H);
    const int L = std::max(1, m * 4 / 7);
    const int T = std::max(1, L / 3);
    int w;
    if (!flat)
        w = (L % 2) != (m % 2) ? L + 1 : L;
    else
        w = ((L - 1) % 2 + 2) % 2 == (m % 2) ? L - 1 : L;
    if (plus && (w % 2) != (T % 2))
        w += m < 12 ? 1 : -1;
    const int x = g.Left + (W - w) / 2 + p, y = g.Top + (H - T) / 2 + p;
    std::vector<Run> runs;
    if (plus) {
        const int vx = x + w / 2 - T / 2, above = w / 2 - T / 2;
        AddBlock(runs, vx, y - above, T, above);
        AddBlock(runs, x, y, w, T);
        AddBlock(runs, vx, y + T, T, w - above - T);
    } else {
        AddBlock(runs, x, y, w, T);
    }
    PaintShape(dc, runs, enabled, themed, Sys(COLOR_BTNTEXT));
}

int TriangleWidth(int m, bool themed)
{
    if (m >= 19) return 9;
    if (m >= 16) return 7;
    if (m >= 12) return 5;
    return themed ? 5 : 3;
}

void TriangleGlyph(HDC dc, const TRect& r, bool down, bool pressed, bool enabled, bool themed)
{
    const int m = std::min(r.Width(), r.Height());
    const int t = TriangleWidth(m, themed);
    const int rows = t / 2 + 1;
    const int p = pressed ? 1 : 0;
    const int ox = ((r.Left + r.Right - t) >> 1) + p, oy = ((r.Top + r.Bottom - rows) >> 1) + p;
    std::vector<Run> runs;
    for (int i = 0; i < rows; ++i) {
        if (down)
            runs.push_back(Run{ox + i, oy + i, t - 2 * i});
        else
            runs.push_back(Run{ox + t / 2 - i, oy + i, 2 * i + 1});
    }
    if (themed) {
        // The base is always the darker row: a down triangle starts dark, an up one ends dark.
        COLORREF a, b;
        GradientColors(enabled, a, b);
        for (int i = 0; i < rows; ++i) {
            const int k = down ? i : rows - 1 - i;
            const Run& run = runs[size_t(i)];
            Fill(dc, TRect(run.X, run.Y, run.X + run.W, run.Y + 1), RowColor(a, b, k, rows));
        }
        return;
    }
    PaintRuns(dc, runs, 0, 0, ColorToRGB(enabled ? clWindowText : clGrayText));
}

// The face of a button; returns the glyph area.
TRect Face(HDC dc, const TRect& r, bool pressed, bool flat, bool active, bool enabled, bool themed)
{
    if (themed) {
        const TThemedPartState st = PartState(enabled, pressed, active);
        if (!flat)
            DrawThemedPart(dc, tpPushButton, st, r);
        else
            DrawThemedPart(dc, tpToolButton, st == tpsNormal ? tpsHot : st, r);
        return Inset(r, 2);
    }
    if (flat) {
        Fill(dc, r, Sys(COLOR_BTNFACE));
        return Inset(r, 1);
    }
    TRect e = r;
    DrawEdge(dc, e, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
    return Inset(r, 2);
}

// The classic flat face with its one-pixel frame when active, none otherwise.
TRect ClassicFlatFace(HDC dc, const TRect& r, bool pressed, bool active)
{
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, saved) != 1) {
        DeleteRgn(saved);
        saved = nullptr;
    }
    if (active) {
        const TRect in = Inset(r, 1);
        IntersectClipRect(dc, in.Left, in.Top, in.Right, in.Bottom);
        Fill(dc, Inset(r, -1), Sys(COLOR_BTNFACE));
        SelectClipRgn(dc, saved);
        TRect frame = r;
        DrawEdge(dc, frame, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
        IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
        Fill(dc, Inset(r, -2), Sys(COLOR_BTNFACE));
        SelectClipRgn(dc, saved);
    }
    if (saved)
        DeleteRgn(saved);
    return Inset(r, 1);
}

TButtonsBitmapCache* gCache = nullptr;
TSize gCheckBoxCell;
int gDefaultButtonWidth = -1;

} // namespace

bool ThemesEnabledEh() { return StyleServicesEnabled(); }
bool CustomStyleActive() { return CustomStyleActiveFlag(); }

// ---------------------------------------------------------------- faces and glyphs

void DrawButtonByStyle(TCanvas* Canvas, TDrawButtonControlStyleEh Style, const TRect& ARect, bool DownDirect,
                       bool Pressed, bool Active, bool Flat, bool Enabled)
{
    HDC dc = Canvas->Handle();
    const bool themed = ThemesEnabledEh();
    if (!themed && (Style == bcsDropDownEh || Style == bcsUpDownEh)) {
        // The classic frame control paints its own face.
        UINT state = Style == bcsDropDownEh ? DFCS_SCROLLCOMBOBOX : (DownDirect ? DFCS_SCROLLDOWN : DFCS_SCROLLUP);
        if (Pressed) state |= DFCS_PUSHED;
        if (Flat) state |= DFCS_FLAT;
        if (!Enabled) state |= DFCS_INACTIVE;
        TRect r = ARect;
        if (Flat) {
            ClassicFlatFace(dc, ARect, Pressed, Active);
            r = Inset(ARect, 1);
            HRGN saved = SelectClipRectEh(Canvas, r);
            DrawFrameControl(dc, r, DFC_SCROLL, state);
            RestoreClipRegionEh(Canvas, saved);
        } else {
            DrawFrameControl(dc, r, DFC_SCROLL, state);
        }
        return;
    }
    if (themed && (Style == bcsDropDownEh || Style == bcsUpDownEh)) {
        const TThemedPart part = Style == bcsDropDownEh ? tpComboDropDown : (DownDirect ? tpSpinDown : tpSpinUp);
        DrawThemedPart(dc, part, PartState(Enabled, Pressed, Active), ARect);
        return;
    }
    if (Style == bcsCheckboxEh) {
        DrawCheckBoxGlyph(dc, ARect, cbUnchecked, Active, Pressed, Flat, Enabled);
        return;
    }
    TRect g = !themed && Flat ? ClassicFlatFace(dc, ARect, Pressed, Active)
                              : Face(dc, ARect, Pressed, Flat, Active, Enabled, themed);
    switch (Style) {
    case bcsEllipsisEh: EllipsisGlyph(dc, g, Pressed, Enabled, themed); break;
    case bcsPlusEh: PlusMinusGlyph(dc, g, true, Pressed, Flat, Enabled, themed); break;
    case bcsMinusEh: PlusMinusGlyph(dc, g, false, Pressed, Flat, Enabled, themed); break;
    case bcsAltDropDownEh: TriangleGlyph(dc, ARect, true, Pressed, Enabled, themed); break;
    case bcsAltUpDownEh: TriangleGlyph(dc, ARect, DownDirect, Pressed, Enabled, themed); break;
    default: break;
    }
}

void DrawEditButtonFace(TCanvas* Canvas, const TRect& ARect, TColor BackColor, bool Pressed, bool Flat, bool Active,
                        bool Enabled, int)
{
    HDC dc = Canvas->Handle();
    const bool themed = ThemesEnabledEh();
    if (themed) {
        if (BackColor != clNone)
            Fill(dc, ARect, ColorToRGB(BackColor));
        Face(dc, ARect, Pressed, Flat, Active, Enabled, true);
        return;
    }
    if (Flat)
        ClassicFlatFace(dc, ARect, Pressed, Active);
    else
        Face(dc, ARect, Pressed, false, Active, Enabled, false);
}

void DrawFrameButton(TCanvas* Canvas, const TRect& ARect, TColor Color, bool Enabled, bool Active, bool Flat,
                     bool Pressed)
{
    HDC dc = Canvas->Handle();
    const bool themed = ThemesEnabledEh();
    if (themed)
        Fill(dc, ARect, ColorToRGB(Color));
    Face(dc, ARect, Pressed, Flat, Active, Enabled, themed);
}

void DrawCheckBoxGlyph(HDC DC, const TRect& ARect, TCheckBoxState State, bool Active, bool Pressed, bool Flat,
                       bool Enabled)
{
    const int side = std::min(ARect.Width(), ARect.Height());
    if (side <= 0)
        return;
    const TRect square = Bounds(ARect.Left + (ARect.Width() - side) / 2, ARect.Top + (ARect.Height() - side) / 2, side, side);
    const bool themed = ThemesEnabledEh();
    UINT state = DFCS_BUTTONCHECK;
    if (State == cbChecked) state |= DFCS_CHECKED;
    if (State == cbGrayed) state |= DFCS_CHECKED | DFCS_BUTTON3STATE;
    if (!Enabled) state |= DFCS_INACTIVE;
    if (Pressed) state |= DFCS_PUSHED;
    auto draw = [&](const TRect& r) {
        TRect rr = r;
        if (themed)
            DrawThemedPart(DC, tpCheckBox, PartState(Enabled, Pressed, Active), rr, State == cbChecked ? 1 : State == cbGrayed ? 2 : 0);
        else
            DrawFrameControl(DC, rr, DFC_BUTTON, state);
    };
    if (!Flat) {
        draw(themed ? ARect : square);
        return;
    }
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(DC, saved) != 1) {
        DeleteRgn(saved);
        saved = nullptr;
    }
    const TRect clip = Inset(square, themed ? 2 : 1);
    IntersectClipRect(DC, clip.Left, clip.Top, clip.Right, clip.Bottom);
    draw(themed ? ARect : Inset(square, -1));
    SelectClipRgn(DC, saved);
    if (saved)
        DeleteRgn(saved);
    FrameRect(DC, square, CreateSolidBrush(Sys(!themed && Active ? COLOR_BTNFACE : COLOR_BTNSHADOW)));
}

// ---------------------------------------------------------------- the cache

TButtonsBitmapCache::~TButtonsBitmapCache() { Clear(); }

TBitmap* TButtonsBitmapCache::GetButtonBitmap(TButtonBitmapInfoEh Info)
{
    Info.Size.X = std::max(0, Info.Size.X);
    Info.Size.Y = std::max(0, Info.Size.Y);
    for (int i = 0; i < Count(); ++i)
        if (Get(i)->BitmapInfo == Info)
            return Get(i)->Bitmap;
    auto* entry = new TButtonBitmapInfoBitmapEh;
    entry->BitmapInfo = Info;
    entry->Bitmap = new TBitmap(Info.Size.X, Info.Size.Y);
    Add(entry);
    if (Info.Size.X > 0 && Info.Size.Y > 0) {
        const TRect r(0, 0, Info.Size.X, Info.Size.Y);
        if (Info.BitmapType == bcsCheckboxEh)
            DrawCheckBoxGlyph(entry->Bitmap->Canvas()->Handle(), r, Info.CheckState, Info.Active, Info.Pressed,
                              Info.Flat, Info.Enabled);
        else if (int(Info.BitmapType) >= int(bcsDropDownEh) && int(Info.BitmapType) <= int(bcsAltUpDownEh))
            DrawButtonByStyle(entry->Bitmap->Canvas(), Info.BitmapType, r, Info.DownDirect, Info.Pressed, Info.Active,
                              Info.Flat, Info.Enabled);
    }
    return entry->Bitmap;
}

void TButtonsBitmapCache::Clear()
{
    for (int i = 0; i < Count(); ++i) {
        delete Get(i)->Bitmap;
        delete Get(i);
    }
    TList::Clear();
}

TButtonsBitmapCache* ButtonsBitmapCache()
{
    if (!gCache)
        gCache = new TButtonsBitmapCache;
    return gCache;
}

void ResetButtonsBitmapCache() { ButtonsBitmapCache()->Clear(); }

void FreeButtonsBitmapCache()
{
    delete gCache;
    gCache = nullptr;
}

bool ButtonsBitmapCacheExists() { return gCache != nullptr; }

// ---------------------------------------------------------------- edit buttons

namespace {
void CopyImage(TCanvas* Canvas, TBitmap* bmp, const TRect& r)
{
    if (bmp->Width() <= 0 || bmp->Height() <= 0 || IsRectEmpty(r))
        return;
    StretchBlt(Canvas->Handle(), r.Left, r.Top, r.Width(), r.Height(), bmp->Canvas()->Handle(), 0, 0, bmp->Width(),
               bmp->Height(), SRCCOPY);
}
}

void DrawEditButtonControl(TCanvas* Canvas, const TRect& ARect, TColor BackColor, TDrawButtonControlStyleEh Style,
                           int PressedPart, bool Flat, bool Active, bool Enabled, TCheckBoxState State)
{
    const bool pressed = PressedPart != 0;
    const bool themed = ThemesEnabledEh();
    TButtonsBitmapCache* cache = ButtonsBitmapCache();
    const HBRUSH back = CreateSolidBrush(ColorToRGB(BackColor));
    if (Style == bcsCheckboxEh) {
        TRect sq = ARect;
        const int w = sq.Width(), h = sq.Height();
        if (w > h) {
            sq.Left += (w - h) / 2;
            sq.Right = sq.Left + h;
        } else if (h > w) {
            sq.Top += (h - w) / 2;
            sq.Bottom = sq.Top + w;
        }
        if (Flat && !themed)
            sq = Inset(sq, 1);
        TButtonBitmapInfoEh key;
        key.Size = TPoint(sq.Width(), sq.Height());
        key.BitmapType = Style;
        key.Flat = Flat;
        key.Pressed = pressed;
        key.Active = Active;
        key.Enabled = Enabled;
        key.CheckState = State;
        CopyImage(Canvas, cache->GetButtonBitmap(key), sq);
        if (!Flat)
            return;
        if (!themed) {
            sq = Inset(sq, -1);
            if (Active) {
                DrawEdge(Canvas->Handle(), sq, BDR_SUNKENOUTER, BF_RECT);
                return;
            }
        }
        FrameRect(Canvas->Handle(), sq, back);
        return;
    }

    const bool framed = Flat && !Active && !themed;
    TRect r = ARect;
    if (framed)
        r = Inset(r, 1);
    TButtonBitmapInfoEh key;
    key.BitmapType = Style;
    key.Flat = Flat;
    key.Active = Active;
    key.Enabled = Enabled;
    if (Style == bcsUpDownEh || Style == bcsAltUpDownEh) {
        const int h = ARect.Height();
        TRect upper(ARect.Left, ARect.Top, ARect.Right, ARect.Top + h / 2);
        TRect lower(ARect.Left, ARect.Bottom - h / 2, ARect.Right, ARect.Bottom);
        if (framed) {
            upper = Inset(upper, 1);
            lower = Inset(lower, 1);
        }
        if (themed && Style == bcsAltUpDownEh) {
            upper.Bottom += 1;
            lower.Top -= 1;
        }
        key.Size = TPoint(upper.Width(), upper.Height());
        key.Pressed = PressedPart == 1;
        key.DownDirect = false;
        CopyImage(Canvas, cache->GetButtonBitmap(key), upper);
        key.Size = TPoint(lower.Width(), lower.Height());
        key.Pressed = PressedPart == 2;
        key.DownDirect = true;
        CopyImage(Canvas, cache->GetButtonBitmap(key), lower);
        if ((h % 2) != 0 || framed) {
            const int mid = ARect.Top + h / 2;
            const TRect line(ARect.Left, mid - (framed ? 1 : 0), ARect.Right, mid + (h % 2) + (framed ? 1 : 0));
            FillRect(Canvas->Handle(), line, back);
        }
    } else {
        key.Size = TPoint(r.Width(), r.Height());
        key.Pressed = pressed;
        key.DownDirect = false;
        key.CheckState = cbUnchecked;
        CopyImage(Canvas, cache->GetButtonBitmap(key), r);
    }
    if (framed)
        FrameRect(Canvas->Handle(), ARect, back);
}

// ---------------------------------------------------------------- check-box placement

void InitCheckBoxGlyphMetrics()
{
    HBITMAP b = LoadBitmap(0, OBM_CHECKBOXES);
    TSize s;
    if (GetBitmapSize(b, s))
        gCheckBoxCell = TSize(s.cx / 4, s.cy / 3);
    DeleteBitmap(b);
}

TSize CheckBoxGlyphSize()
{
    if (gCheckBoxCell.cx == 0)
        InitCheckBoxGlyphMetrics();
    return gCheckBoxCell;
}

void GetAlignedCheckBoxRect(const TRect& ARect, TAlignment Alignment, TTextLayout Layout, TRect& OutRect)
{
    const TSize cell = CheckBoxGlyphSize();
    const int w = ARect.Width(), h = ARect.Height();
    const int gw = std::min(cell.cx, w), gh = std::min(cell.cy, h);
    OutRect = ARect;
    if (cell.cx < w) {
        if (Alignment == taRightJustify)
            OutRect.Left = ARect.Right - gw;
        else if (Alignment == taCenter)
            OutRect.Left = ARect.Left + w / 2 - gw / 2;
        OutRect.Right = OutRect.Left + gw;
    }
    if (cell.cy < h) {
        if (Layout == tlCenter)
            OutRect.Top = ARect.Top + h / 2 - gh / 2;
        else if (Layout == tlBottom)
            OutRect.Top = ARect.Bottom - gh;
        OutRect.Bottom = OutRect.Top + gh;
    }
}

// ---------------------------------------------------------------- tree glyphs

void DrawDottedLine(TCanvas* Canvas, TPoint Start, int Length, int Phase, bool Horizontal)
{
    const int step = 2 * std::max(1, Canvas->Pen()->GetWidth());
    if (((Start.X + Start.Y) & 1) != (Phase & 1)) {
        if (Horizontal)
            ++Start.X;
        else
            ++Start.Y;
        --Length;
    }
    const int count = Length / step + ((Length & 1) ? 1 : 0);
    if (count <= 0)
        return;
    std::vector<TPoint> pts;
    std::vector<DWORD> counts;
    pts.reserve(size_t(count) * 2);
    for (int i = 0; i < count; ++i) {
        const TPoint p = Horizontal ? TPoint(Start.X + i * step, Start.Y) : TPoint(Start.X, Start.Y + i * step);
        pts.push_back(p);
        pts.push_back(Horizontal ? TPoint(p.X + 1, p.Y) : TPoint(p.X, p.Y + 1));
        counts.push_back(2);
    }
    Canvas->PolyPolyline(pts.data(), counts.data(), int(counts.size()));
}

void DrawTreeViewGlyph(TCanvas* Canvas, const TRect& ARect, int Kind, int DotPhase, double ScaleX, double ScaleY,
                       bool RightToLeft, bool UseSystemColors, TTreeViewGlyphStyleEh GlyphStyle)
{
    const int cx = (ARect.Left + ARect.Right) / 2, cy = (ARect.Top + ARect.Bottom) / 2;
    const int hx = int(std::trunc(4 * ScaleX)), hy = int(std::trunc(4 * ScaleY));
    const TRect box(cx - hx, cy - hy, cx + hx + 1, cy + hy + 1);
    TPen* pen = Canvas->Pen();
    TBrush* brush = Canvas->Brush();
    const TColor oldPen = pen->GetColor();
    const TPenStyle oldPenStyle = pen->GetStyle();
    const TColor oldBrush = brush->GetColor();
    const TBrushStyle oldBrushStyle = brush->GetStyle();
    auto shadowPen = [&] {
        if (UseSystemColors) {
            pen->SetColor(clBtnShadow);
            pen->SetStyle(psSolid);
        }
    };

    if (Kind >= 8 && Kind <= 11) {
        shadowPen();
        if (Kind == 8 || Kind == 11)
            DrawDottedLine(Canvas, TPoint(cx, ARect.Top), ARect.Height(), DotPhase, false);
        else if (Kind == 9)
            DrawDottedLine(Canvas, TPoint(cx, ARect.Top), cy - ARect.Top, DotPhase, false);
        else
            DrawDottedLine(Canvas, TPoint(cx, cy), ARect.Bottom - cy, DotPhase, false);
        if (Kind != 11)
            DrawDottedLine(Canvas, TPoint(cx, cy), ARect.Right - cx, 0, true);
        pen->SetColor(oldPen);
        pen->SetStyle(oldPenStyle);
        return;
    }
    if (Kind < 0 || Kind > 11)
        return;

    const bool expanded = Kind <= 3;
    if (UseSystemColors) {
        brush->SetColor(clWindow);
        shadowPen();
    }
    const bool themedGlyph = (GlyphStyle == tvgsThemedEh || GlyphStyle == tvgsExplorerThemedEh) && ThemesEnabledEh();
    if (themedGlyph) {
        TRect r = box;
        if (GlyphStyle == tvgsExplorerThemedEh) {
            const int side = std::min(ARect.Width(), ARect.Height());
            r = Bounds(ARect.Left + (ARect.Width() - side) / 2, ARect.Top + (ARect.Height() - side) / 2, side, side);
            if (side <= 15)
                r = Inset(r, -(17 - side));
        }
        HRGN saved = SelectClipRectEh(Canvas, ARect);
        DrawThemedPart(Canvas->Handle(), expanded ? tpTreeOpened : tpTreeClosed, tpsNormal, r);
        RestoreClipRegionEh(Canvas, saved);
    } else {
        if (GlyphStyle == tvgsClassicEh) {
            TRect b = box;
            if (RightToLeft)
                OffsetRect(b, -1, 0);
            Canvas->Rectangle(b);
        }
        if (UseSystemColors)
            pen->SetColor(clWindowText);
        Canvas->MoveTo(box.Left + int(std::trunc(2 * ScaleX)), cy);
        Canvas->LineTo(box.Right - int(std::trunc(2 * ScaleX)), cy);
        if (!expanded) {
            Canvas->MoveTo(cx, box.Top + int(std::trunc(2 * ScaleY)));
            Canvas->LineTo(cx, box.Bottom - int(std::trunc(2 * ScaleY)));
        }
    }
    shadowPen();
    if (!UseSystemColors)
        pen->SetColor(oldPen);
    if (Kind != 3 && Kind != 7) {
        const int from = box.Right + int(std::trunc(ScaleX));
        DrawDottedLine(Canvas, TPoint(from, cy), ARect.Right - from, 0, true);
    }
    if (Kind == 0 || Kind == 1 || Kind == 4 || Kind == 5)
        DrawDottedLine(Canvas, TPoint(cx, ARect.Top), box.Top - ARect.Top, DotPhase, false);
    if (Kind == 0 || Kind == 2 || Kind == 4 || Kind == 6) {
        const int from = box.Bottom + int(std::trunc(ScaleY));
        DrawDottedLine(Canvas, TPoint(cx, from), ARect.Bottom - from, DotPhase, false);
    }
    pen->SetColor(oldPen);
    pen->SetStyle(oldPenStyle);
    brush->SetColor(oldBrush);
    brush->SetStyle(oldBrushStyle);
}

int DefaultEditButtonWidth()
{
    if (gDefaultButtonWidth >= 0)
        return gDefaultButtonWidth;
    TBitmap screen(1, 1);
    TFont font;
    screen.Canvas()->SetFont(&font);
    screen.Canvas()->RequireFont();
    TTextMetric tm;
    GetTextMetrics(screen.Canvas()->Handle(), tm);
    int w = RoundEh(tm.tmHeight * 2 / 3.0);
    const bool even = ThemesEnabledEh();
    if ((w % 2 == 0) != even)
        ++w;
    gDefaultButtonWidth = std::min(w, GetSystemMetrics(SM_CXVSCROLL));
    return gDefaultButtonWidth;
}
