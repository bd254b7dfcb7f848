// Data cell drawing and hints of the axis grid, and the unit's small routines.
#include "DBAxisGridsEh.h"

#include "platform/vcl/Forms.h"
#include "platform/winapi/DCGuards.h"
#include "platform/winapi/Devices.h"
#include "platform/winapi/WinUser.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QFile>

// ============================================================================================
// Unit routines
// ============================================================================================

TColor BlendColorsLight(TColor Color1, TColor Color2, bool Ungray)
{
    const COLORREF a = ColorToRGB(Color1), b = ColorToRGB(Color2);
    const auto channel = [Ungray](int c1, int c2) {
        const double m = c1 + (c2 - c1) * 0.5;
        double v = m + (225 - m) * 0.6;
        if (Ungray)
            v = v - (122 - v) * 0.25;
        return std::clamp(RoundEh(v), 0, 255);
    };
    return TColor(RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
                      channel(GetBValue(a), GetBValue(b))));
}

void AssignFontToFontData(TFont* Font, TFontDataEh& FontData)
{
    FontData.Height = Font->GetHeight();
    FontData.Pitch = Font->GetPitch();
    FontData.Style = Font->GetStyle();
    FontData.Charset = Font->GetCharset();
    FontData.Name = Font->GetName();
    FontData.Color = Font->GetColor();
}

void AssignFontDataToFont(const TFontDataEh& FontData, TFont* Font)
{
    if (Font->GetHeight() != FontData.Height)
        Font->SetHeight(FontData.Height);
    if (Font->GetPitch() != FontData.Pitch)
        Font->SetPitch(FontData.Pitch);
    if (!(Font->GetStyle() == FontData.Style))
        Font->SetStyle(FontData.Style);
    if (Font->GetCharset() != FontData.Charset)
        Font->SetCharset(FontData.Charset);
    if (Font->GetName() != FontData.Name)
        Font->SetName(FontData.Name);
    if (Font->GetColor() != FontData.Color)
        Font->SetColor(FontData.Color);
}

void SetCanvasRightToLeft(TCanvas* Canvas, bool RightToLeft, int Width, int Height)
{
    HDC dc = Canvas->Handle();
    SetMapMode(dc, MM_ANISOTROPIC);
    if (RightToLeft) {
        SetWindowOrgEx(dc, Width, 0, nullptr);
        SetWindowExtEx(dc, -Width, Height, nullptr);
    } else {
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetWindowExtEx(dc, Width, Height, nullptr);
    }
    SetViewportExtEx(dc, Width, Height, nullptr);
}

int FieldAsInteger(TField* Field, int Default)
{
    if (!Field)
        return Default;
    constexpr double Lo = -2147483648.0, Hi = 2147483647.0;
    switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
        return Field->AsInteger();
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd: {
        // A value that rounds outside the 32-bit range would wrap: such a value has no index.
        if (Field->IsNull())
            return Field->DataType() == ftFloat || Field->DataType() == ftCurrency ? Field->AsInteger() : Default;
        const double v = Field->AsFloat();
        if (std::isnan(v) || std::nearbyint(v) < Lo || std::nearbyint(v) > Hi)
            return Default;
        return Field->AsInteger();
    }
    default:
        break;
    }
    if (auto* big = dynamic_cast<TLargeintField*>(Field)) {
        const int64_t v = big->AsLargeInt();
        if (v >= INT32_MIN && v <= INT32_MAX)
            return int(v);
    }
    return Default;
}

TGridRect GridRect(int Left, int Top, int Right, int Bottom) { return TGridRect{Left, Top, Right, Bottom}; }

void RaiseGridError(const QString& Message) { throw EInvalidGridOperationEh(Message); }

void KillMessage(HWND Wnd, UINT Msg)
{
    TMsg m;
    if (PeekMessage(m, Wnd, Msg, Msg, PM_REMOVE) && m.message == WM_QUIT)
        PostThreadMessage(WM_QUIT, m.wParam, 0);
}

bool DrawGridText(UINT BiDiFlags, TCanvas* Canvas, int RightMargin, bool EndEllipsis, TAlignment Alignment,
                  int& TextHeight, int& TextWidth, bool SingleLine, bool WordWrap, const TRect& ARect,
                  const QString& Text, int Interlinear)
{
    UINT flags = DT_CALCRECT | DT_NOPREFIX | BiDiFlags;
    if (WordWrap)
        flags |= DT_WORDBREAK;
    else if (SingleLine)
        flags |= DT_SINGLELINE;
    TRect measure(0, 0, std::max(1, ARect.Width() - RightMargin - 4), 0);
    int available = ARect.Width();
    if (EndEllipsis && Alignment != taLeftJustify)
        available -= 3;
    Canvas->RequireFont();
    DrawText(Canvas->Handle(), Text, -1, measure, flags);
    TextWidth = measure.Width();
    TextHeight = measure.Height();
    return available - RightMargin - 4 < TextWidth || ARect.Height() - Interlinear + 1 < TextHeight;
}

TEditButtonStyleEh EditStyleButtonStyleEh(TEditStyle Style)
{
    switch (Style) {
    case esEllipsis:
        return ebsEllipsisEh;
    case esUpDown:
        return ebsUpDownEh;
    case esAltUpDown:
        return ebsAltUpDownEh;
    case esAltDropDown:
    case esAltCalendar:
    case esAltPickList:
    case esAltLookupDataList:
    case esAltDataList:
        return ebsAltDropDownEh;
    case esSimple:
    case esPickList:
    case esLookupDataList:
    case esDateCalendar:
    case esDropDown:
    case esDataList:
        break;
    }
    return ebsDropDownEh;
}

TSize ScaledPictureSize(int PictureWidth, int PictureHeight, const TRect& ARect)
{
    const int w = ARect.Width(), h = ARect.Height();
    // Nothing fits into an empty rectangle (and the ratios below would divide by zero).
    if (w <= 0 || h <= 0 || PictureWidth <= 0 || PictureHeight <= 0)
        return TSize(0, 0);
    if (PictureWidth <= w && PictureHeight <= h)
        return TSize(PictureWidth, PictureHeight);
    const double rx = double(PictureWidth) / w, ry = double(PictureHeight) / h;
    if (rx > ry)
        return TSize(w, RoundEh(PictureHeight / rx));
    return TSize(RoundEh(PictureWidth / ry), h);
}

int EditButtonAlphaEh(int Transparency)
{
    const long double alpha = (100 - Transparency) * 2.55L;
    return std::clamp(int(alpha), 0, 255);
}

// ============================================================================================
// The hint window
// ============================================================================================

DOV_PUBLISHED(TGridToolTipsWindowEh) {}

TRect TGridToolTipsWindowEh::CalcHintRect(int MaxWidth, const QString& AHint, void* AData)
{
    if (AData)
        Canvas()->Font()->Assign(static_cast<TFont*>(AData));
    Canvas()->Font()->SetColor(clWindowText);
    return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
}

void TGridToolTipsWindowEh::ActivateHintData(TRect Rect, const QString& AHint, void* AData)
{
    if (AData)
        Font()->Assign(static_cast<TFont*>(AData));
    THintWindow::ActivateHintData(Rect, AHint, AData);
}

void TGridToolTipsWindowEh::Paint()
{
    // The text in the font the hint was activated with (the hint data), not the screen's.
    Canvas()->Font()->Assign(Font());
    THintWindow::Paint();
}

// ============================================================================================
// Right-to-left drawing on an unmirrored canvas
// ============================================================================================

namespace {

// The process-wide bitmap semi-transparent buttons are drawn into first.
TBitmap* gWorkBitmap = nullptr;

TBitmap* WorkBitmapAtLeast(int Width, int Height)
{
    if (!gWorkBitmap)
        gWorkBitmap = new TBitmap(std::max(1, Width), std::max(1, Height));
    else if (gWorkBitmap->Width() < Width || gWorkBitmap->Height() < Height)
        gWorkBitmap->SetSize(std::max(gWorkBitmap->Width(), Width), std::max(gWorkBitmap->Height(), Height));
    return gWorkBitmap;
}

TRect Intersection(const TRect& A, const TRect& B)
{
    TRect r;
    if (!IntersectRect(r, A, B))
        return TRect();
    return r;
}

}  // namespace

TUnmirroredScope::TUnmirroredScope(TCanvas* Canvas, bool RightToLeft, TRect& ARect) : FCanvas(Canvas)
{
    if (!RightToLeft || !Canvas->Mirrored())
        return;
    HDC dc = Canvas->Handle();
    // The pixel columns the rectangle covers, as the device shows them.
    TPoint p[2] = {TPoint(ARect.Left, ARect.Top), TPoint(ARect.Right - 1, ARect.Bottom)};
    LPtoDP(dc, p, 2);
    Canvas->SetMirrored(false);
    FActive = true;
    DPtoLP(dc, p, 2);
    ARect = TRect(p[1].X, p[0].Y, p[0].X + 1, p[1].Y);
}

TUnmirroredScope::~TUnmirroredScope()
{
    if (FActive)
        FCanvas->SetMirrored(true);
}

TBitmap* DBAxisGridsEhWorkBitmap() { return gWorkBitmap; }

// ============================================================================================
// Drawing services of the grid
// ============================================================================================

void TCustomDBAxisGridEh::WriteCellText(TAxisBarEh* Bar, TCanvas* ACanvas, bool SingleLine, int TextLeftMargin,
                                        int TextRightMargin, bool EndEllipsis, bool WordWrap, TTextLayout Layout,
                                        TAlignment Alignment, const QString& Text, int TopMargin, int LeftMargin,
                                        bool FillRect, const TRect& ARect)
{
    const bool barRightToLeft = Bar ? Bar->UseRightToLeftAlignment() : UseRightToLeftAlignment();
    TRect r = ARect;
    const TUnmirroredScope unmirrored(ACanvas, UseRightToLeftAlignment(), r);
    if (unmirrored.Active()) {
        if (barRightToLeft) {
            if (Alignment == taLeftJustify)
                Alignment = taRightJustify;
            else if (Alignment == taRightJustify)
                Alignment = taLeftJustify;
        }
        std::swap(TextLeftMargin, TextRightMargin);
    }
    WriteTextInRect(ACanvas, r, FillRect, LeftMargin, TopMargin, Text, Alignment, Layout, WordWrap, EndEllipsis,
                    TextLeftMargin, TextRightMargin, barRightToLeft, SingleLine);
}

void TCustomDBAxisGridEh::CanvasDrawTextRTL(TCanvas* ACanvas, const TRect& ARect, TCheckBoxState State,
                                            bool Enabled, bool Pressed, bool IsFlat, bool Hot,
                                            TDrawButtonControlStyleEh Style, TColor AColor)
{
    TRect r = ARect;
    const TUnmirroredScope unmirrored(ACanvas, UseRightToLeftAlignment(), r);
    DrawEditButtonControl(ACanvas, r, AColor, Style, Pressed ? 1 : 0, IsFlat, Hot, Enabled, State);
}

void TCustomDBAxisGridEh::DrawCellEdge(TCanvas* ACanvas, const TRect& ARect, bool IsFlat, bool RightSide,
                                       bool LeftSide, bool /*Selected*/, bool Sunken)
{
    TRect r = ARect;
    const bool rtl = UseRightToLeftAlignment();
    const TUnmirroredScope unmirrored(ACanvas, rtl, r);
    const UINT first = unmirrored.Active() ? UINT(BF_TOP | BF_RIGHT) : UINT(BF_LEFT | BF_TOP);
    const UINT second = unmirrored.Active() ? UINT(BF_LEFT | BF_BOTTOM) : UINT(BF_RIGHT | BF_BOTTOM);
    const UINT edge = Sunken ? BDR_SUNKENINNER : BDR_RAISEDINNER;
    HDC dc = ACanvas->Handle();
    ACanvas->RequirePenBrush();
    if (!IsFlat) {
        if (RightSide && LeftSide) {
            TRect e = r;
            DrawEdge(dc, e, edge, BF_RECT);
            return;
        }
        TRect e1 = r;
        DrawEdge(dc, e1, edge, LeftSide ? first : UINT(BF_TOP));
        TRect e2 = r;
        DrawEdge(dc, e2, edge, RightSide ? second : UINT(BF_BOTTOM));
        return;
    }
    ACanvas->Pen()->SetColor(ACanvas->Brush()->GetColor());
    if (!unmirrored.Active()) {
        if (RightSide)
            ACanvas->Polyline({TPoint(r.Left, r.Bottom - 1), TPoint(r.Right - 1, r.Bottom - 1),
                               TPoint(r.Right - 1, r.Top - 1)});
        else
            ACanvas->Polyline({TPoint(r.Left, r.Bottom - 1), TPoint(r.Right, r.Bottom - 1)});
        TRect e = r;
        DrawEdge(ACanvas->Handle(), e, edge, LeftSide ? first : UINT(BF_TOP));
        return;
    }
    ACanvas->Polyline({TPoint(r.Left, r.Bottom - 1), TPoint(r.Right, r.Bottom - 1)});
    TRect e = r;
    DrawEdge(ACanvas->Handle(), e, edge, RightSide ? UINT(BF_LEFT | BF_TOP) : UINT(BF_TOP));
    if (LeftSide)
        ACanvas->Polyline({TPoint(r.Right - 1, r.Top), TPoint(r.Right - 1, r.Bottom)});
}

void TCustomDBAxisGridEh::FillCell(TGridCellFillStyleEh FillStyle, const TRect& ARect, TColor GradientColor,
                                   bool /*Focused*/, bool /*Frame3D*/, const TRect& ClipRect, bool Selected, bool Hot)
{
    TCanvas* c = Canvas();
    if (FillStyle == cfstThemedEh && ThemesEnabledEh()) {
        c->FillRect(IsRectEmpty(ClipRect) ? ARect : ClipRect);
        HRGN saved = nullptr;
        const bool clip = !IsRectEmpty(ClipRect);
        if (clip)
            saved = SelectClipRectEh(c, ClipRect);
        DrawFrameButton(c, ARect, c->Brush()->GetColor(), true, Selected || Hot, Flat(), Selected || Hot);
        if (clip)
            RestoreClipRegionEh(c, saved);
        return;
    }
    if (FillStyle == cfstGradientEh) {
        const TColor brush = c->Brush()->GetColor();
        TColor toColor;
        if (Selected)
            toColor = BlendColors(brush, clWindow, 127);
        else if (GradientColor == clDefault)
            toColor = GrayColor(BlendColors(brush, Color(), 240));
        else
            toColor = GradientColor;
        FillGradientRect(c, ARect, toColor, brush);
        return;
    }
    c->FillRect(ARect);
}

void TCustomDBAxisGridEh::PaintCellEditButton(TAxisBarEh* /*Bar*/, TCanvas* ACanvas, int ImageIndex,
                                              TCustomImageList* Images, int Transparency, TBitmap* Glyph,
                                              TColor AColor, bool Active, bool IsFlat, bool Hot, bool Pressed,
                                              const TRect& CellRect, const TRect& ButtonRect,
                                              TEditButtonStyleEh ButtonStyle)
{
    const bool blended = Transparency > 0;
    const TRect visible = Intersection(ButtonRect, CellRect);
    TCanvas* target = ACanvas;
    if (blended) {
        // The grid's size, or more when the canvas is bigger than the grid (a print, a picture).
        target = WorkBitmapAtLeast(std::max(Width(), visible.Right), std::max(Height(), visible.Bottom))->Canvas();
        ACanvas->Brush()->SetColor(AColor);
        ACanvas->Brush()->SetStyle(bsSolid);
        ACanvas->FillRect(visible);
    }
    HRGN savedClip = nullptr;
    const bool clipped = !EqualRect(visible, ButtonRect);
    if (clipped)
        savedClip = SelectClipRectEh(target, CellRect);
    TRect r = ButtonRect;
    if (IsFlat && !ThemesEnabledEh()) {
        // A one-pixel separator at the button's left edge.
        const TRect sep(r.Left, r.Top, r.Left + 1, r.Bottom);
        target->Brush()->SetColor(Hot ? clBtnFace : AColor);
        target->Brush()->SetStyle(bsSolid);
        target->FrameRect(sep);
        ++r.Left;
    }
    {
        std::optional<TUnmirroredScope> unmirrored;
        if (!blended)
            unmirrored.emplace(target, UseRightToLeftAlignment(), r);
        if (ButtonStyle == ebsGlyphEh) {
            if (!IsFlat || ThemesEnabledEh()) {
                DrawFrameButton(target, r, clWindow, true, Active, IsFlat, Pressed);
                InflateRect(r, -2, -2);
            } else {
                target->Brush()->SetColor(AColor);
                target->FrameRect(r);
                InflateRect(r, -1, -1);
                target->Brush()->SetColor(clBtnFace);
                target->FillRect(r);
            }
            if (Images)
                DrawClippedImage(Images, nullptr, target, r, ImageIndex, 0, taCenter, r);
            else if (Glyph && !Glyph->Empty())
                DrawClippedImage(nullptr, Glyph, target, r, -1, 0, taCenter, r);
        } else {
            DrawEditButtonControl(target, r, AColor, EditButtonDrawStyleEh(ButtonStyle), Pressed ? 1 : 0, IsFlat,
                                  Active || Hot, true, cbUnchecked);
        }
    }
    if (clipped)
        RestoreClipRegionEh(target, savedClip);
    if (blended && !IsRectEmpty(visible)) {
        HDC src = target->Handle();
        AlphaBlendDC(ACanvas->Handle(), visible.Left, visible.Top, visible.Width(), visible.Height(), src,
                     visible.Left, visible.Top, visible.Width(), visible.Height(), EditButtonAlphaEh(Transparency),
                     false);
    }
}

std::unique_ptr<TPicture> TCustomDBAxisGridEh::GetPictureFromBlob(TField* Field)
{
    auto picture = std::make_unique<TPicture>();
    auto* blob = dynamic_cast<TBlobField*>(Field);
    if (!blob)
        return picture;
    if (GraphicProvidersCount() == 0) {
        picture->Assign(blob);
        return picture;
    }
    const QByteArray bytes = blob->AsBytes();
    const char* data = bytes.constData();
    int64_t size = bytes.size();
    TPersistentClass cls = GetGraphicClassForStream(data, size);
    int64_t start = 0;
    if (!cls && blob->GraphicHeader()) {
        const auto u = [&bytes](int i) { return uint32_t(uchar(bytes.at(i))); };
        if (size > 7 && (u(0) | u(1) << 8) == 1 && (u(2) | u(3) << 8) == 256 &&
            int64_t(u(4) | u(5) << 8 | u(6) << 16 | u(7) << 24) == size - 8) {
            start = 8;
            cls = GetGraphicClassForStream(data + 8, size - 8);
        } else {
            cls = GetGraphicClassForStream(data, size);
        }
    }
    if (!cls || !cls->CreatePersistent || !cls->InheritsFrom(&TGraphic::StaticClassInfo())) {
        picture->Assign(blob);
        return picture;
    }
    std::unique_ptr<TGraphic> graphic(static_cast<TGraphic*>(cls->CreatePersistent()));
    TMemoryStream stream;
    if (size > start)
        stream.WriteBuffer(data + start, size - start);
    stream.SetPosition(0);
    graphic->LoadFromStream(&stream);
    picture->SetGraphic(graphic.get());
    return picture;
}

void TCustomDBAxisGridEh::DrawGraphicFieldData(TAxisBarEh* Bar, const TRect& ARect, bool FillRect, TColor AColor)
{
    TCanvas* c = Canvas();
    TField* field = Bar ? Bar->Field() : nullptr;
    const auto writeCentred = [&](const QString& Text) {
        c->Font()->Assign(Font());
        const TSize ext = c->TextExtent(Text);
        c->Brush()->SetColor(AColor);
        c->TextRect(ARect, (ARect.Left + ARect.Right - ext.cx) / 2, (ARect.Top + ARect.Bottom - ext.cy) / 2, Text);
    };
    if (!DrawGraphicData()) {
        writeCentred(field ? field->DisplayText() : QString());
        return;
    }
    std::unique_ptr<TPicture> picture;
    try {
        picture = GetPictureFromBlob(field);
    } catch (const EInvalidGraphic& e) {
        writeCentred(e.Message() + QStringLiteral(" - Incorrect image format."));
        return;
    }
    c->Brush()->SetColor(AColor);
    const TSize size = picture->HasImage() ? ScaledPictureSize(picture->Width(), picture->Height(), ARect) : TSize();
    if (FillRect)
        c->FillRect(ARect);
    if (size.cx <= 0 || size.cy <= 0)
        return;
    const int left = ARect.Left + (ARect.Width() - size.cx) / 2;
    const int top = ARect.Top + (ARect.Height() - size.cy) / 2;
    c->StretchDraw(TRect(left, top, left + size.cx, top + size.cy), picture->Graphic());
}

TGridCellFillStyleEh TCustomDBAxisGridEh::GetFixedCellFillStyle()
{
    if (Flat())
        return cfstSolidEh;
    return ThemesEnabledEh() ? cfstThemedEh : cfstSolidEh;
}

int TCustomDBAxisGridEh::GetEditButtonTransparency(int, int, TAxisColCellParamsEh*, const TRect&) { return 0; }

void TCustomDBAxisGridEh::DrawBlankCell(int, int, const TRect& ARect, TGridDrawState)
{
    Canvas()->Brush()->SetColor(FixedColor());
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->FillRect(ARect);
}

void TCustomDBAxisGridEh::GetStyleGradientColors(TColor&, TColor&) {}
void TCustomDBAxisGridEh::GetStyleElementColors(TColor&, TColor&) {}

bool TCustomDBAxisGridEh::CheckFillDataCell(TGridCoord, TGridCoord, TAxisBarEh*, const TRect& AreaRect,
                                            TAxisColCellParamsEh*)
{
    Canvas()->FillRect(AreaRect);
    return true;
}

bool TCustomDBAxisGridEh::HighlightDataCellColor(int, int, const QString&, TGridDrawState State, TColor& AColor,
                                                 TFont* AFont)
{
    if (!State.Contains(gdSelected))
        return false;
    AColor = clHighlight;
    if (AFont)
        AFont->SetColor(clHighlightText);
    return true;
}

void TCustomDBAxisGridEh::DefaultDrawDataCell(const TRect& ARect, TAxisBarEh* Bar, TGridDrawState)
{
    const QString text = Bar && Bar->Field() ? Bar->DisplayText() : QString();
    const TAlignment alignment = Bar ? Bar->Alignment() : taLeftJustify;
    WriteCellText(Bar, Canvas(), true, 0, 0, false, false, tlTop, alignment, text, 2, 2, true, ARect);
}

namespace {
TDBAxisGridEhCenter* CenterOf(TCustomDBAxisGridEh* Grid)
{
    TDBAxisGridEhCenter* c = Grid->GetCenter();
    return c ? c : DBAxisGridEhDefaultCenter();
}
}  // namespace

void TCustomDBAxisGridEh::EditButtonDefaultAction(TAxisBarEh* AxisBar, bool& Handled, bool IsMouseDown,
                                                  TEditButtonControlEh* EditButtonControl, TEditButtonEh* EditButton,
                                                  TWinControl* EditControl)
{
    CenterOf(this)->EditButtonDefaultAction(this, AxisBar, Handled, IsMouseDown, EditButtonControl, EditButton,
                                            EditControl);
}

void TCustomDBAxisGridEh::FormColumnSystemPopupMenu(TAxisBarEh* AxisBar, TPopupMenu* APopupMenu)
{
    CenterOf(this)->FormSystemPopupMenuForColumn(this, AxisBar, APopupMenu);
}

TGridLineColorsEh* TCustomDBAxisGridEh::CreateGridLineColors() { return new TDBAxisGridLineParamsEh(this); }

TDBAxisGridLineParamsEh* TCustomDBAxisGridEh::GridLineParams() const
{
    return static_cast<TDBAxisGridLineParamsEh*>(GridLineColors());
}

// ============================================================================================
// Data hints
// ============================================================================================

namespace {

// What a data hint shows for the current row of a bar.
QString BarHintText(TAxisBarEh* Bar)
{
    const TAxisBarEhType type = Bar->GetBarType();
    if (type == ctKeyImageList || type == ctCheckboxes) {
        int index = -1;
        if (type == ctKeyImageList)
            index = Bar->Field() ? Bar->KeyList()->IndexOf(Bar->Field()->Text()) : -1;
        else
            index = int(Bar->CheckboxState());
        TStrings* pick = Bar->PickList();
        return index >= 0 && index < pick->Count() ? pick->Strings(index) : QString();
    }
    return Bar->Field() ? Bar->DisplayText() : QString();
}

}  // namespace

void TCustomDBAxisGridEh::DefaultFillDataHintShowInfo(TPoint /*CursorPos*/, TGridCoord Cell,
                                                      TDBAxisGridDataHintParamsEh& Params, TAxisBarEh* AxisBar)
{
    QString text = BarHintText(AxisBar);
    const TAxisBarEhType type = AxisBar->GetBarType();
    const bool pictureLike = type == ctKeyImageList || type == ctCheckboxes;

    TRect textArea = Params.CursorRect;
    AxisBar->SetTextArea(textArea);
    const int R = textArea.Right;
    TRect hintRect = Params.CursorRect;
    if (AxisBar->AlwaysShowEditButton()) {
        hintRect.Right = std::min(hintRect.Right, R);
        if (FHitTest.X > hintRect.Right)
            text.clear();
    }
    hintRect.Left = textArea.Left;

    TAlignment alignment = pictureLike ? taLeftJustify : AxisBar->Alignment();
    const bool wordWrap = AxisBar->WordWrap() && AxisBar->CurLineWordWrap(textArea.Height());

    if (!FHintFont)
        FHintFont = new TFont();
    FHintFont->Assign(AxisBar->Font());
    TAxisColCellParamsEh* params = GetSharedColCellParams();
    AxisBar->FillColCellParams(params);
    params->FBackground = Canvas()->Brush()->GetColor();
    params->FFont = FHintFont;
    params->FState = TGridDrawState();
    params->FAlignment = alignment;
    params->FText = text;
    params->FCol = Cell.X;
    params->FRow = Cell.Y;
    GetCellParams(AxisBar, FHintFont, params->FBackground, params->FState);
    AxisBar->GetColCellParams(false, params);
    FHintFont->SetColor(clWindowText);
    text = params->FText;
    alignment = params->FAlignment;
    Canvas()->Font()->Assign(FHintFont);
    // Hints are asked for between paints, when the grid's canvas has no context to measure on.
    TCanvas* canvas = Canvas()->HandleAllocated() ? Canvas() : MeasureCanvasEh(FHintFont);

    int textWidth = 0, textHeight = 0;
    const bool notFit = pictureLike ||
        DrawGridText(AxisBar->DrawTextBiDiModeFlagsReadingOnly(), canvas, wordWrap ? 2 : 0, AxisBar->EndEllipsis(),
                     alignment, textHeight, textWidth, !wordWrap, wordWrap, hintRect, text, FInterlinear);

    if (!(notFit || (alignment == taRightJustify && R - hintRect.Right > 2))) {
        Params.HintStr.clear();
        return;
    }
    Params.HintStr = text;
    Params.CursorRect = hintRect;
    const int dy = Flat() ? 2 : 1;
    int x;
    if (alignment == taRightJustify)
        x = R - textWidth - 6;
    else if (alignment == taCenter)
        x = R - textWidth + textWidth / 2 - (R - hintRect.Left - 4) / 2 - 5;
    else
        x = hintRect.Left - 1;
    Params.HintPos = TPoint(x + 1, hintRect.Top - dy);
    if (AxisBar->UseRightToLeftAlignment())
        Params.HintPos.X = ClientWidth() - Params.HintPos.X;
    if (wordWrap)
        Params.HintMaxWidth = hintRect.Width() - 4;
}

// ============================================================================================
// The unit's start-up and close-down
// ============================================================================================

static void InitDBAxisGridsResource() { Q_INIT_RESOURCE(DBAxisGridsEh); }

namespace {
TDBAxisGridEhCenter* gDefaultCenter = nullptr;
bool gCursorsLoaded = false;

const QStringList& CursorResourceNames()
{
    static const QStringList names{QStringLiteral("DOWNCUREH"), QStringLiteral("RIGHTCUREH"),
                                   QStringLiteral("LEFTCUREH")};
    return names;
}

// The screen exists only once the application does: the cursors wait for it.
void LoadCursorsWhenScreenExists()
{
    if (gCursorsLoaded || !Screen)
        return;
    gCursorsLoaded = true;
    LoadDBAxisGridsEhCursors(CursorResourceNames());
}
}  // namespace

void LoadDBAxisGridsEhCursors(const QStringList& ResourceNames)
{
    const TCursor ids[] = {crDownArrowEh, crRightArrowEh, crLeftArrowEh};
    for (int i = 0; i < ResourceNames.size() && i < 3; ++i) {
        const QString path = QStringLiteral(":/cursors/") + ResourceNames[i] + QStringLiteral(".png");
        if (!QFile::exists(path))
            throw EOutOfResources(QStringLiteral("Cannot load cursor resource"));
        if (Screen)
            Screen->SetCursors(ids[i], path);
    }
}

TDBAxisGridEhCenter* DBAxisGridEhDefaultCenter()
{
    DBAxisGridsEhUnitStartUp();
    LoadCursorsWhenScreenExists();
    return gDefaultCenter;
}

void DBAxisGridsEhUnitStartUp()
{
    static const bool done = [] {
        InitDBAxisGridsResource();
        gDefaultCenter = new TDBAxisGridEhCenter();
        LoadCursorsWhenScreenExists();
        return true;
    }();
    (void)done;
}

void DBAxisGridsEhUnitCloseDown()
{
    delete gWorkBitmap;
    gWorkBitmap = nullptr;
    delete gDefaultCenter;
    gDefaultCenter = nullptr;
}

namespace {
struct TDBAxisGridsUnit {
    TDBAxisGridsUnit() { DBAxisGridsEhUnitStartUp(); }
    ~TDBAxisGridsUnit() { DBAxisGridsEhUnitCloseDown(); }
} gDBAxisGridsUnit;
}  // namespace
