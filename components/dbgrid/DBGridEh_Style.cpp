#include "DBGridEh.h"

#include "platform/rtl/Guards.h"
#include "platform/winapi/Devices.h"

#include <algorithm>

namespace {

TDBGridEhStyle* gDefaultStyle = nullptr;
bool gDefaultStyleMade = false;
int gScreenNumColors = -1;

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
    // Each grid falls back to the default style (or to none when this was the default).
    while (!FGrids.empty()) {
        TCustomDBGridEh* grid = FGrids.back();
        FGrids.pop_back();
        (void)grid;
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

bool TDBGridEhStyle::HighlightDataCellColor(TCustomDBGridEh*, int, int, int, int, const QString&, TGridDrawState,
                                            bool, TColor&, TFont*)
{
    return false;
}

bool TDBGridEhStyle::HighlightNonDataCellColor(TCustomDBGridEh*, int, int, int, int, TCellAreaTypeEh,
                                               TGridDrawState, bool, TColor&, TFont*)
{
    return false;
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

void TDBGridEhStyle::DrawTitleCellBackground(TCustomDBGridEh*, TColumnEh*, TCanvas*, const TRect& ARect, bool,
                                             TRect& InsideRect, TGridDrawState, const TDBGirdDrawTitleStateEh&,
                                             const TRect&)
{
    InsideRect = ARect;
}

void TDBGridEhStyle::DrawFixedCellBackground(TCustomDBGridEh*, TCanvas*, const TRect& ARect, bool,
                                             TRect& InsideRect, TGridDrawState, TDBGirdDrawFixedStateEh&)
{
    InsideRect = ARect;
}

void TDBGridEhStyle::GetSortMarkerColors(TSortMarkerStyleEh, TColumnEh*, TSortMarkerEh, bool,
                                         TColor& FrameBrightColor, TColor& FrameDarkColor, TColor& FillColor)
{
    FrameBrightColor = clDefault;
    FrameDarkColor = clDefault;
    FillColor = clDefault;
}

void TDBGridEhStyle::DrawSortMarkerNew(TCanvas*, TSortMarkerStyleEh, TSortMarkerEh, bool, const TRect&, TColor,
                                       TColor, TColor)
{
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

void TDBGridEhStyle::DrawSortMarker(TCanvas*, TSortMarkerStyleEh, TColumnEh*, TSortMarkerEh, bool, const TRect&) {}

void TDBGridEhStyle::DrawMarkerShape(TCanvas*, TSortMarkerStyleEh, TSortMarkerEh, const TRect&, TColor, TColor,
                                     TColor)
{
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
