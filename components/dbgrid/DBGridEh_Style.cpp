#include "DBGridEh.h"

#include "platform/rtl/Guards.h"
#include "platform/winapi/Devices.h"

#include <algorithm>

namespace {

TDBGridEhStyle* gDefaultStyle = nullptr;
bool gDefaultStyleMade = false;
int gScreenNumColors = -1;

// A rich screen shows more than 256 colours; only there are cells tinted.
bool RichScreen() { return gScreenNumColors == -1; }

// 256/3 and 512/3: a third and two thirds of the way.
constexpr double OneThird = 256.0 / 3.0;
constexpr double TwoThirds = 512.0 / 3.0;

// The displayable colour nearest to Color on the grid's canvas.
TColor Nearest(TCustomDBGridEh* Grid, TColor Color)
{
    TCanvas* canvas = Grid->Canvas();
    if (!canvas->HandleAllocated())
        return Color;
    return TColor(GetNearestColor(canvas->Handle(), ColorToRGB(Color)));
}

void SetFontColor(TFont* AFont, TColor Color)
{
    if (AFont)
        AFont->SetColor(Color);
}

// The grid of a column and its line colours; a marker drawn for no column (a menu, a list)
// takes the default line colours.
TDBGridLineParamsEh* ColumnLineParams(TColumnEh* Column)
{
    auto* grid = Column ? dynamic_cast<TCustomDBGridEh*>(Column->Grid()) : nullptr;
    return grid ? grid->GridLineParams() : nullptr;
}

TColor LineDarkColor(TDBGridLineParamsEh* Lines) { return Lines ? Lines->DarkColor() : clGray; }
TColor LineBrightColor(TDBGridLineParamsEh* Lines) { return Lines ? Lines->BrightColor() : clSilver; }

}  // namespace

// ============================================================================================
// The hidden window
// ============================================================================================

struct TDBGridEhStyle::TStyleWindow : HWND__ {
    TDBGridEhStyle* Style;
    explicit TStyleWindow(TDBGridEhStyle* AStyle) : Style(AStyle) { RegisterWindowHandle(this); }
    ~TStyleWindow() override { UnregisterWindowHandle(this); }
    LRESULT DeliverMessage(UINT msg, WPARAM w, LPARAM l) override
    {
        TMessage m;
        m.Msg = msg;
        m.WParam = w;
        m.LParam = l;
        Style->WndProc(m);
        return m.Result;
    }
    QWidget* Widget() const override { return nullptr; }
};

// ============================================================================================
// TDBGridEhStyle
// ============================================================================================

DOV_PUBLISHED(TDBGridEhStyle)
{
    P.Prop("LuminateSelection", &TDBGridEhStyle::LuminateSelection, &TDBGridEhStyle::SetLuminateSelection)
        .Default(true);
    P.Prop("IsDrawFocusRect", &TDBGridEhStyle::IsDrawFocusRect, &TDBGridEhStyle::SetIsDrawFocusRect)
        .NoDefault()
        .Stored(&TDBGridEhStyle::IsDrawFocusRectStored);
    P.Prop("InTitleFitlerButtonStyle", &TDBGridEhStyle::InTitleFitlerButtonStyle,
           &TDBGridEhStyle::SetInTitleFitlerButtonStyle);
    P.Prop("ThemeTitleFillElement", &TDBGridEhStyle::ThemeTitleFillElement,
           &TDBGridEhStyle::SetThemeTitleFillElement);
    P.Event("OnGetSubtitleRowColor", &TDBGridEhStyle::OnGetSubtitleRowColor);
    P.Prop("SelectionColor", &TDBGridEhStyle::SelectionColor, &TDBGridEhStyle::SetSelectionColor)
        .Default(clDefault);
    P.Prop("SelectionFontColor", &TDBGridEhStyle::SelectionFontColor, &TDBGridEhStyle::SetSelectionFontColor)
        .Default(clDefault);
    P.Prop("SelectionInactiveColor", &TDBGridEhStyle::SelectionInactiveColor,
           &TDBGridEhStyle::SetSelectionInactiveColor)
        .Default(clDefault);
    P.Prop("SortMarkerStyle", &TDBGridEhStyle::SortMarkerStyle, &TDBGridEhStyle::SetSortMarkerStyle);
    P.Prop("DataCellHorzOffset", &TDBGridEhStyle::DataCellHorzOffset, &TDBGridEhStyle::SetDataCellHorzOffset)
        .Default(-1);
    P.Prop("GradientEnabledInClassicTheme", &TDBGridEhStyle::GradientEnabledInClassicTheme,
           &TDBGridEhStyle::SetGradientEnabledInClassicTheme)
        .Default(false);
    P.Prop("DefaultSortMarkerStyle", &TDBGridEhStyle::DefaultSortMarkerStyle,
           &TDBGridEhStyle::SetDefaultSortMarkerStyle)
        .Default(smstFrameEh);
    P.Prop("StartLoadingStatusRenderDuration", &TDBGridEhStyle::StartLoadingStatusRenderDuration,
           &TDBGridEhStyle::SetStartLoadingStatusRenderDuration);
    P.Prop("FinishLoadingStatusRenderDuration", &TDBGridEhStyle::FinishLoadingStatusRenderDuration,
           &TDBGridEhStyle::SetFinishLoadingStatusRenderDuration);
}

TDBGridEhStyle::TDBGridEhStyle(TComponent* AOwner) : TComponent(AOwner) {}

void TDBGridEhStyle::AfterConstruction()
{
    TComponent::AfterConstruction();
    FWindowHandle = std::make_unique<TStyleWindow>(this);
    SysColorChanged();
}

TDBGridEhStyle::~TDBGridEhStyle()
{
    FWindowHandle.reset();
    if (gDefaultStyle == this)
        gDefaultStyle = nullptr;
    // Each grid, last first, falls back to the default style (or to none when this was it).
    while (!FGrids.empty()) {
        TCustomDBGridEh* grid = FGrids.back();
        grid->SetStyle(nullptr);
        RemoveChangeNotification(grid);
    }
}

HWND TDBGridEhStyle::WindowHandle() const { return FWindowHandle.get(); }

void TDBGridEhStyle::Changed()
{
    const std::vector<TCustomDBGridEh*> grids = FGrids;
    for (TCustomDBGridEh* grid : grids)
        grid->DrawStyleChanged();
}

void TDBGridEhStyle::AddChangeNotification(TCustomDBGridEh* Grid)
{
    if (Grid && !GridInChangeNotification(Grid))
        FGrids.push_back(Grid);
}

void TDBGridEhStyle::RemoveChangeNotification(TCustomDBGridEh* Grid)
{
    FGrids.erase(std::remove(FGrids.begin(), FGrids.end(), Grid), FGrids.end());
}

bool TDBGridEhStyle::GridInChangeNotification(TCustomDBGridEh* Grid) const
{
    return std::find(FGrids.begin(), FGrids.end(), Grid) != FGrids.end();
}

// ---- properties ----

void TDBGridEhStyle::SetLuminateSelection(bool Value)
{
    if (FLuminateSelection == Value)
        return;
    FLuminateSelection = Value;
    Changed();
}

bool TDBGridEhStyle::IsDrawFocusRect() { return FIsDrawFocusRectStored ? FIsDrawFocusRect : DefaultIsDrawFocusRect(); }

void TDBGridEhStyle::SetIsDrawFocusRect(bool Value)
{
    FIsDrawFocusRectStored = true;
    if (FIsDrawFocusRect == Value)
        return;
    FIsDrawFocusRect = Value;
    Changed();
}

void TDBGridEhStyle::SetSelectionColor(TColor Value)
{
    if (FSelectionColor == Value)
        return;
    FSelectionColor = Value;
    Changed();
}

void TDBGridEhStyle::SetSelectionFontColor(TColor Value)
{
    if (FSelectionFontColor == Value)
        return;
    FSelectionFontColor = Value;
    Changed();
}

void TDBGridEhStyle::SetSortMarkerStyle(TSortMarkerStyleEh Value)
{
    if (FSortMarkerStyle == Value)
        return;
    FSortMarkerStyle = Value;
    Changed();
}

void TDBGridEhStyle::SetGradientEnabledInClassicTheme(bool Value)
{
    if (FGradientEnabledInClassicTheme == Value)
        return;
    FGradientEnabledInClassicTheme = Value;
    Changed();
}

// ---- virtual operations ----

bool TDBGridEhStyle::HighlightDataCellColor(TCustomDBGridEh* Grid, int ACol, int ARow, int DataCol, int DataRow,
                                            const QString&, TGridDrawState AState, bool CellMultiSelected,
                                            TColor& AColor, TFont* AFont)
{
    const TColor orig = AColor;
    const TDBGridOptions options = Grid->Options();
    const TDBGridEhOptions optionsEh = Grid->OptionsEh();
    const bool rowSelect = options.Contains(dgRowSelect);
    const bool alwaysShowSelection = options.Contains(dgAlwaysShowSelection);
    bool focusHighlight = false;
    bool highlighted;
    if (Grid->DataLink()->Active() && CellMultiSelected) {
        highlighted = true;
        AState.Include(gdSelected);
    } else {
        focusHighlight = Grid->Focused() && optionsEh.Contains(dghHighlightFocus);
        const bool editorFocused = Grid->InplaceEditor() && Grid->InplaceEditor()->Focused();
        if (optionsEh.Contains(dghRowHighlight) && DataRow + Grid->TopDataOffset() == Grid->Row() &&
            DataCol != Grid->SelectedIndex() && (alwaysShowSelection || focusHighlight || editorFocused)) {
            focusHighlight = true;
            AState.Include(gdSelected);
        }
        highlighted = (AState.Contains(gdSelected) || (ARow == Grid->Row() && rowSelect)) &&
                      (alwaysShowSelection || focusHighlight) && (Grid->UpdateLock() == 0 || rowSelect);
    }
    const bool themed = Grid->IsThemedSelectionDataCell(ACol, ARow, AState);
    const TGridCoord hot = Grid->FHotTrackCell;
    const bool hotRow = hot.Y == ARow;
    const bool hotCol = hot.X == ACol;
    const bool currentCell = ARow == Grid->Row() && (ACol == Grid->Col() || rowSelect);
    const bool hotTrack = optionsEh.Contains(dghHotTrack);
    const TColor selColor = themed ? (CellMultiSelected ? BlendColors(AColor, GetSelectionColor(), OneThird) : orig)
                                   : GetSelectionColor();
    const TColor selFontColor = GetSelectionFontColor();

    if (!highlighted) {
        if (RichScreen() && hotTrack && hotRow && Grid->CellHotTrackable(ACol, ARow) &&
            hot.X >= Grid->IndicatorOffset()) {
            if (optionsEh.Contains(dghRowHighlight) || rowSelect) {
                AColor = Nearest(Grid, LightenColor(AColor, selColor, true));
                if (!(hotCol && !rowSelect))
                    AColor = BlendColors(AColor, orig, TwoThirds);
            } else if (hotCol) {
                AColor = Nearest(Grid, LightenColor(AColor, selColor, true));
            }
        }
        return false;
    }

    // The hot-tracked cell (or row) of an inactive grid is tinted toward the selection.
    const auto inactiveHotTrack = [&] {
        if (hotTrack && hotRow && (hotCol || rowSelect))
            AColor = BlendColors(AColor, LightenColor(AColor, selColor, true), TwoThirds);
    };
    if (Grid->GetSelectionActive()) {
        if (currentCell) {
            AColor = selColor;
            SetFontColor(AFont, selFontColor);
        } else if (FLuminateSelection && RichScreen()) {
            AColor = Nearest(Grid, LightenColor(AColor, selColor, true));
            if (hotTrack && optionsEh.Contains(dghRowHighlight) && hotRow && ((hotCol && ACol != Grid->Col()) || rowSelect))
                AColor = BlendColors(AColor, selColor, OneThird);
        } else {
            AColor = selColor;
            SetFontColor(AFont, selFontColor);
        }
    } else if (currentCell && (alwaysShowSelection || focusHighlight)) {
        if (!themed) {
            SetFontColor(AFont, selFontColor);
            AColor = GetSelectionInactiveColor();
            inactiveHotTrack();
        }
    } else if (RichScreen()) {
        AColor = Nearest(Grid, LightenColor(AColor, clBtnShadow, false));
        inactiveHotTrack();
    } else {
        AColor = clBtnFace;
    }
    return true;
}

bool TDBGridEhStyle::HighlightNonDataCellColor(TCustomDBGridEh* Grid, int, int, int, int, TCellAreaTypeEh CellType,
                                               TGridDrawState, bool CellMultiSelected, TColor& AColor, TFont* AFont)
{
    if (!CellMultiSelected)
        return false;
    const bool marked =
        (CellType.HorzType == hctIndicatorEh && CellType.VertType != vctAboveFooterEh) ||
        (CellType.HorzType == hctDataEh && (CellType.VertType == vctTitleEh || CellType.VertType == vctSubTitleEh)) ||
        (CellType.HorzType == hctDataEh && CellType.VertType == vctFooterEh &&
         Grid->FooterColor() == Grid->FixedColor());
    if (marked) {
        AColor = BlendColors(TColor(RGB(64, 64, 64)), clHighlight, 63);
        SetFontColor(AFont, clWhite);
    } else if (Grid->GetSelectionActive()) {
        if (FLuminateSelection && RichScreen()) {
            AColor = LightenColor(AColor, clHighlight, true);
        } else {
            AColor = clHighlight;
            SetFontColor(AFont, clHighlightText);
        }
    } else {
        AColor = RichScreen() ? LightenColor(AColor, clBtnShadow, false) : clBtnFace;
    }
    return true;
}

bool TDBGridEhStyle::DefaultIsDrawFocusRect()
{
    TGridDrawStyleEh* drawStyle = GetDefaultGridDrawStyle();
    return drawStyle ? drawStyle->DrawFocusFrame() : true;
}

void TDBGridEhStyle::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_SYSCOLORCHANGE)
        GuardedCall([this] { SysColorChanged(); });
    else
        Message.Result = 0;
}

void TDBGridEhStyle::SysColorChanged()
{
    HDC dc = CreateDCForDevice(nullptr, TDeviceCaps());
    const auto release = Finally([dc] { DeleteDC(dc); });
    int colors = GetDeviceCaps(dc, NUMCOLORS);
    if (colors > 1 && GetDeviceCaps(dc, BITSPIXEL) > 8)
        colors = -1;
    gScreenNumColors = colors;
    ResetButtonsBitmapCache();
}

TColor TDBGridEhStyle::LightenColor(TColor AColor, TColor GlassColor, bool Ungray)
{
    return BlendColorsLight(AColor, GlassColor, Ungray);
}

TColor TDBGridEhStyle::GetColumnFontColor(TColumnEh* Column, TGridDrawState) { return Column->Font()->GetColor(); }

TColor TDBGridEhStyle::GetColumnColor(TColumnEh* Column) { return Column->Color(); }

TColor TDBGridEhStyle::GetSubtitleRowColor(TCustomDBGridEh* Grid)
{
    TColor color = DefaultGetSubtitleRowColor(Grid);
    if (OnGetSubtitleRowColor)
        OnGetSubtitleRowColor(Grid, color);
    return color;
}

TColor TDBGridEhStyle::DefaultGetSubtitleRowColor(TCustomDBGridEh* Grid)
{
    return BlendColors(Grid->Color(), Grid->FixedColor(), 8);
}

TColor TDBGridEhStyle::GetGroupPanelColor(TCustomDBGridEh* Grid)
{
    return BlendColors(Grid->FixedColor(), Grid->GridLineParams()->BrightColor(), 128);
}

TColor TDBGridEhStyle::GetSelectionColor() { return FSelectionColor == clDefault ? clHighlight : FSelectionColor; }

TColor TDBGridEhStyle::GetSelectionFontColor()
{
    return FSelectionFontColor == clDefault ? clHighlightText : FSelectionFontColor;
}

TColor TDBGridEhStyle::GetSelectionInactiveColor()
{
    return FSelectionInactiveColor == clDefault ? GrayColor(GetSelectionColor()) : FSelectionInactiveColor;
}

TSortMarkerStyleEh TDBGridEhStyle::ActualSortMarkerStyle(TSortMarkerStyleEh SMStyle) const
{
    if (SMStyle == smstDefaultEh)
        SMStyle = FDefaultSortMarkerStyle;
    // The platform's themes have no header sort arrow: the frame marker stands in for it.
    if (SMStyle == smstThemeDefinedEh)
        SMStyle = smstFrameEh;
    return SMStyle;
}

TSize TDBGridEhStyle::GetSortMarkerSize(TCanvas*, TSortMarkerStyleEh SMStyle)
{
    switch (ActualSortMarkerStyle(SMStyle)) {
    case smstFrameEh: return TSize(7, 8);
    case smstSolidEh: return TSize(9, 5);
    default: return TSize(8, 7);
    }
}

int TDBGridEhStyle::GetDataCellHorzOffset(TCustomDBGridEh*, TColumnEh*)
{
    return FDataCellHorzOffset >= 0 ? FDataCellHorzOffset : 3;
}

TTreeViewGlyphStyleEh TDBGridEhStyle::GetActualTreeGlyphStyle()
{
    return ThemesEnabledEh() ? tvgsThemedEh : tvgsClassicEh;
}

void TDBGridEhStyle::DrawCustomStyleCellBackground(TCustomDBGridEh*, TCanvas* Canvas, const TRect& ARect,
                                                   TGridCellFillStyleEh, TColor AColor, TGridDrawState, int, int,
                                                   bool, const TRect&)
{
    Canvas->Brush()->SetColor(AColor);
    Canvas->FillRect(ARect);
}

void TDBGridEhStyle::DrawTitleCellBackground(TCustomDBGridEh* Grid, TColumnEh*, TCanvas* Canvas, const TRect& ARect,
                                             bool FillInside, TRect& InsideRect, TGridDrawState AState,
                                             const TDBGirdDrawTitleStateEh& ATitleState, const TRect& ClipRect)
{
    TDBGridTitleParamsEh* title = Grid->TitleParams();
    TDBGirdDrawFixedStateEh st;
    st.Pressed = ATitleState.Down;
    st.Selected = ATitleState.CellMultiSelected;
    st.HotTrack = AState.Contains(gdHotTrack);
    st.The3DRect = ATitleState.The3DRect;
    st.FillStyle = title->GetActualFillStyle();
    st.FillColor = ATitleState.BackColor;
    st.StartGradientColor = title->SecondColorStored() ? title->SecondColor() : clDefault;
    st.EndGradientColor = clDefault;
    st.DrawByThemesOverLines = ATitleState.DrawByThemesOverLines;
    st.FontColor = ATitleState.FontColor;
    st.VertBorderInFillStyle = ATitleState.VertBorderInFillStyle;
    st.HorzBorderInFillStyle = ATitleState.HorzBorderInFillStyle;
    st.HorzLineColor = title->GetHorzLineColor();
    st.VertLineColor = title->GetVertLineColor();
    st.ClipRect = ClipRect;
    DrawFixedCellBackground(Grid, Canvas, ARect, FillInside, InsideRect, AState, st);
}

void TDBGridEhStyle::DrawFixedCellBackground(TCustomDBGridEh* Grid, TCanvas* Canvas, const TRect& ARect,
                                             bool FillInside, TRect& InsideRect, TGridDrawState,
                                             TDBGirdDrawFixedStateEh& AFixedState)
{
    const TDBGirdDrawFixedStateEh& st = AFixedState;
    InsideRect = ARect;
    TRect& r = InsideRect;
    const bool clipped = !IsRectEmpty(st.ClipRect);
    HRGN savedClip = clipped ? SelectClipRectEh(Canvas, st.ClipRect) : nullptr;
    const auto restoreClip = Finally([&] {
        if (clipped)
            RestoreClipRegionEh(Canvas, savedClip);
    });
    const auto line = [&](TColor Color, int X1, int Y1, int X2, int Y2) {
        Canvas->Pen()->SetColor(Color);
        Grid->PolylineRTL({TPoint(X1, Y1), TPoint(X2, Y2)});
    };
    const bool bevelled = !Grid->Flat() && st.FillStyle != cfstGradientEh;
    const bool eitherBorder = st.VertBorderInFillStyle || st.HorzBorderInFillStyle;

    if (st.FillStyle == cfstThemedEh) {
        TRect fill = ARect;
        TRect clip;
        if (!(st.VertBorderInFillStyle && st.HorzBorderInFillStyle) && !st.DrawByThemesOverLines) {
            clip = ARect;
            GetThemeTitleFillRect(fill, !st.VertBorderInFillStyle, !st.HorzBorderInFillStyle);
        }
        Grid->FillCell(cfstThemedEh, fill, st.StartGradientColor, false, st.The3DRect, clip, st.Selected, st.Pressed);
        InflateRect(r, -2, -1);
        if (st.HorzBorderInFillStyle)
            --r.Bottom;
        return;
    }

    if (st.HorzBorderInFillStyle && st.HorzLineColor != clNone) {
        line(st.HorzLineColor, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
        --r.Bottom;
    }
    if (st.The3DRect) {
        Canvas->Brush()->SetColor(st.FillColor);
        if (eitherBorder) {
            Grid->DrawCellEdge(Canvas, r, !bevelled, false, false, st.Pressed, st.Pressed);
            ++r.Top;
            --r.Bottom;
        } else {
            Grid->DrawCellEdge(Canvas, r, !bevelled, bevelled, true, st.Pressed, st.Pressed);
            ++r.Top;
            --r.Bottom;
            ++r.Left;
            if (bevelled) {
                --r.Right;
            } else if (st.FillStyle == cfstSolidEh) {
                line(st.FillColor, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
                --r.Right;
            }
        }
    }
    const bool highlightEdge = st.The3DRect && !Grid->Flat() && st.FillStyle != cfstGradientEh;
    if (FillInside) {
        Canvas->Brush()->SetColor(st.FillColor);
        Grid->FillCell(st.FillStyle, r, st.StartGradientColor, false, false, TRect(), st.Selected, st.Pressed);
        if (st.VertBorderInFillStyle) {
            line(st.VertLineColor, r.Right - 1, r.Top + 2, r.Right - 1, r.Bottom - 2);
            --r.Right;
        }
        if (eitherBorder && highlightEdge)
            line(clBtnHighlight, r.Left, r.Top + 2, r.Left, r.Bottom - 2);
        ++r.Left;
        --r.Right;
        if (!bevelled) {
            --r.Right;
            if (!st.The3DRect)
                ++r.Left;
        }
        return;
    }
    // The caller fills the inside: only the border columns are drawn here.
    if (st.VertBorderInFillStyle) {
        const int x = r.Right - 1;
        line(st.FillColor, x, r.Top, x, r.Top + 2);
        line(st.FillColor, x, r.Bottom - 2, x, r.Bottom);
        line(st.VertLineColor, x, r.Top + 2, x, r.Bottom - 2);
        --r.Right;
    }
    if (eitherBorder) {
        const int x = r.Left;
        if (highlightEdge) {
            line(st.FillColor, x, r.Top, x, r.Top + 2);
            line(st.FillColor, x, r.Bottom - 2, x, r.Bottom);
            line(clBtnHighlight, x, r.Top + 2, x, r.Bottom - 2);
        } else {
            line(st.FillColor, x, r.Top, x, r.Bottom);
        }
        ++r.Left;
    }
}

void TDBGridEhStyle::GetSortMarkerColors(TSortMarkerStyleEh SMStyle, TColumnEh* Column, TSortMarkerEh, bool Selected,
                                         TColor& FrameBrightColor, TColor& FrameDarkColor, TColor& FillColor)
{
    FrameBrightColor = clDefault;
    FrameDarkColor = clDefault;
    FillColor = clDefault;
    TDBGridLineParamsEh* lines = ColumnLineParams(Column);
    switch (SMStyle) {
    case smstFrameEh:
        FrameDarkColor = Selected ? GetSelectionFontColor() : BlendColors(LineDarkColor(lines), cl3DDkShadow, 50);
        break;
    case smst3DFrameEh:
        FrameBrightColor = clWindow;
        FrameDarkColor = BlendColors(LineDarkColor(lines), cl3DDkShadow, 85);
        break;
    case smstSolidEh: {
        if (Selected) {
            FillColor = GetSelectionFontColor();
            break;
        }
        auto* grid = Column ? dynamic_cast<TCustomDBGridEh*>(Column->Grid()) : nullptr;
        const bool themedTitles = grid && grid->TitleParams()->GetActualFillStyle() == cfstThemedEh;
        if (themedTitles && lines->OwnDarkColor() == clDefault)
            FillColor = LineDarkColor(lines);
        else
            FillColor = BlendColors(LineDarkColor(lines), LineBrightColor(lines), 128);
        break;
    }
    default:
        break;
    }
}

void TDBGridEhStyle::DrawSortMarkerNew(TCanvas* Canvas, TSortMarkerStyleEh SMStyle, TSortMarkerEh Direction,
                                       bool Selected, const TRect& ARect, TColor FrameBrightColor,
                                       TColor FrameDarkColor, TColor FillColor)
{
    if (Direction == smNoneEh)
        return;
    SMStyle = ActualSortMarkerStyle(SMStyle);
    // Colours left to the style are those of a marker without a grid.
    TColor bright = clDefault, dark = clDefault, fill = clDefault;
    GetSortMarkerColors(SMStyle, nullptr, Direction, Selected, bright, dark, fill);
    DrawMarkerShape(Canvas, SMStyle, Direction, ARect, FrameBrightColor == clDefault ? bright : FrameBrightColor,
                    FrameDarkColor == clDefault ? dark : FrameDarkColor, FillColor == clDefault ? fill : FillColor);
}

void TDBGridEhStyle::GetDefaultFixedGradientColor(TColor& AStartColor, TColor& AEndColor, bool, bool)
{
    AStartColor = clNone;
    AEndColor = clNone;
}

void TDBGridEhStyle::GetCustomStyleFixedColors(TColor& AFillColor, TColor& ATextColor, TColor& AStartColor,
                                               TColor& AEndColor, TGridCellFillStyleEh, bool, bool)
{
    AFillColor = clNone;
    ATextColor = clNone;
    AStartColor = clNone;
    AEndColor = clNone;
}

// ---- static operations ----

bool TDBGridEhStyle::IsCustomStyleActive() { return CustomStyleActive(); }

TThemeTitleFillDetailsEh TDBGridEhStyle::GetThemeTitleFillElement(bool AIsDown, bool AIsSelected)
{
    TThemeTitleFillDetailsEh details;
    details.Element = FThemeTitleFillElement;
    if (AIsDown || AIsSelected)
        details.State = tpsPressed;
    else
        details.State = FThemeTitleFillElement == gtfeSplitButtonEh ? tpsHot : tpsNormal;
    return details;
}

void TDBGridEhStyle::GetThemeTitleFillRect(TRect& AFillRect, bool IncVerBoundary, bool IncHorzBoundary)
{
    if (FThemeTitleFillElement == gtfeSplitButtonEh) {
        InflateRect(AFillRect, 1, 1);
        return;
    }
    if (IncHorzBoundary)
        AFillRect.Bottom += 2;
    if (IncVerBoundary)
        AFillRect.Right += 2;
}

void TDBGridEhStyle::DrawSortMarker(TCanvas* Canvas, TSortMarkerStyleEh SMStyle, TColumnEh* Column,
                                    TSortMarkerEh Direction, bool Selected, const TRect& ARect)
{
    if (Direction == smNoneEh)
        return;
    SMStyle = ActualSortMarkerStyle(SMStyle);
    TColor bright = clDefault, dark = clDefault, fill = clDefault;
    GetSortMarkerColors(SMStyle, Column, Direction, Selected, bright, dark, fill);
    DrawMarkerShape(Canvas, SMStyle, Direction, ARect, bright, dark, fill);
}

void TDBGridEhStyle::DrawMarkerShape(TCanvas* Canvas, TSortMarkerStyleEh SMStyle, TSortMarkerEh Direction,
                                     const TRect& ARect, TColor FrameBrightColor, TColor FrameDarkColor,
                                     TColor FillColor)
{
    TPen* pen = Canvas->Pen();
    const TColor oldPen = pen->GetColor();
    const auto restorePen = Finally([&] { pen->SetColor(oldPen); });
    const int left = ARect.Left, top = ARect.Top, right = ARect.Right, bottom = ARect.Bottom;
    const int mid = (left + right) / 2;
    const bool up = Direction == smUpEh;
    switch (SMStyle) {
    case smstFrameEh:
        pen->SetColor(FrameDarkColor);
        if (up)
            Canvas->Polyline({TPoint(mid, top), TPoint(right, bottom), TPoint(left, bottom), TPoint(mid, top)});
        else
            Canvas->Polyline({TPoint(mid, bottom), TPoint(left, top), TPoint(right, top), TPoint(mid, bottom)});
        break;
    case smst3DFrameEh:
        if (up) {
            pen->SetColor(FrameBrightColor);
            Canvas->Polyline({TPoint(left + 1, bottom), TPoint(right, bottom), TPoint(mid + 1, top - 1)});
            pen->SetColor(FrameDarkColor);
            Canvas->Polyline({TPoint(left, bottom), TPoint(mid, top - 1)});
        } else {
            pen->SetColor(FrameDarkColor);
            Canvas->Polyline({TPoint(mid, bottom), TPoint(left, top), TPoint(right, top)});
            pen->SetColor(FrameBrightColor);
            Canvas->Polyline({TPoint(mid + 1, bottom), TPoint(right + 1, top - 1)});
        }
        break;
    case smstSolidEh: {
        // Five rows narrowing toward the point of the arrow.
        std::vector<TPoint> rows;
        for (int i = 0; i < 5; ++i) {
            const int y = up ? 4 - i : i;
            rows.push_back(TPoint(i, y));
            rows.push_back(TPoint(9 - i, y));
        }
        FillGradientByPoints(Canvas, TPoint(left, top), rows, FillColor, FillColor, int(rows.size()) - 1);
        break;
    }
    default:
        if (TCustomImageList* images = DBGridEhSortMarkerImages())
            images->Draw(Canvas, left, top, up ? 4 : 3, true);
        break;
    }
}

// ============================================================================================
// The process-wide default style and the screen's colours
// ============================================================================================

TDBGridEhStyle* DBGridEhDefaultStyle()
{
    if (!gDefaultStyleMade) {
        gDefaultStyleMade = true;
        gDefaultStyle = Create<TDBGridEhStyle>(nullptr);
    }
    return gDefaultStyle;
}

void SetDBGridEhDefaultStyle(TDBGridEhStyle* Value)
{
    gDefaultStyleMade = true;
    gDefaultStyle = Value;
}

void FreeDBGridEhDefaultStyle()
{
    gDefaultStyleMade = true;
    delete gDefaultStyle;
    gDefaultStyle = nullptr;
}

int ScreenNumColors() { return gScreenNumColors; }

void SetScreenNumColors(int Value) { gScreenNumColors = Value; }
