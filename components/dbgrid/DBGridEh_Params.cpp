// The data grid's parameter objects: defaults derived from the grid, what each change makes
// the grid do, and the effective values the painting reads.
#include "DBGridEh.h"

#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/PopupMenus.h"

namespace {
// Writes a setting that follows a default until it is written; true when the value changed.
template <class T>
bool WriteStoredEh(T& Field, bool& Stored, const T& Value)
{
    if (Stored && Value == Field)
        return false;
    Stored = true;
    Field = Value;
    return true;
}

// The grid's options and style the parameter objects follow.
bool TitlesShown(const TCustomDBGridEh* Grid) { return Grid->Options().Contains(dgTitles); }
bool ColLinesOn(const TCustomDBGridEh* Grid) { return Grid->Options().Contains(dgColLines); }
bool RowLinesOn(const TCustomDBGridEh* Grid) { return Grid->Options().Contains(dgRowLines); }
bool Fixed3DOn(const TCustomDBGridEh* Grid) { return Grid->OptionsEh().Contains(dghFixed3D); }
bool Footer3DOn(const TCustomDBGridEh* Grid) { return Grid->OptionsEh().Contains(dghFooter3D); }
bool GradientInClassicTheme(const TCustomDBGridEh* Grid)
{
    return Grid->Style() && Grid->Style()->GradientEnabledInClassicTheme();
}
TSortMarkerStyleEh StyleSortMarkerStyle(const TCustomDBGridEh* Grid)
{
    return Grid->Style() ? Grid->Style()->SortMarkerStyle() : smstDefaultEh;
}
TTreeViewGlyphStyleEh StyleTreeGlyphStyle(const TCustomDBGridEh* Grid)
{
    if (Grid->Style())
        return Grid->Style()->GetActualTreeGlyphStyle();
    return ThemesEnabledEh() ? tvgsThemedEh : tvgsClassicEh;
}

// dghExtendVertLines on or off; the base grid's extended vertical lines follow it.
void SetExtendVertLines(TCustomDBGridEh* Grid, bool Value)
{
    TDBGridEhOptions opts = Grid->OptionsEh();
    if (Value)
        opts.Include(dghExtendVertLines);
    else
        opts.Exclude(dghExtendVertLines);
    Grid->SetOptionsEh(opts);
    TGridOptionsEh gridOpts = Grid->GetGridOptions();
    if (Grid->OptionsEh().Contains(dghExtendVertLines))
        gridOpts.Include(goExtendVertLinesEh);
    else
        gridOpts.Exclude(goExtendVertLinesEh);
    Grid->SetGridOptions(gridOpts);
}

// The base grid's options are derived from the grid's again.
void ReapplyOptions(TCustomDBGridEh* Grid) { Grid->SetOptions(Grid->Options()); }

}

// ============================================================================================
// TDBGridAreaParamsEh
// ============================================================================================

DOV_PUBLISHED(TDBGridAreaParamsEh) {}

TDBGridAreaParamsEh::TDBGridAreaParamsEh(TCustomDBGridEh* AGrid, bool WithFont) : FGrid(AGrid)
{
    if (!WithFont)
        return;
    FFont = new TFont;
    FFont->Assign(static_cast<TControl*>(AGrid)->Font());
    FFont->OnChange = TNotifyEvent(this, &TDBGridAreaParamsEh::OwnFontChanged);
}

TDBGridAreaParamsEh::~TDBGridAreaParamsEh()
{
    if (FFont)
        FFont->OnChange = nullptr;
    delete FFont;
}

TPersistent* TDBGridAreaParamsEh::GetOwner() const { return static_cast<TControl*>(FGrid); }

void TDBGridAreaParamsEh::AssignArea(const TDBGridAreaParamsEh* Source)
{
    SetVertLineColor(Source->FVertLineColor);
    SetHorzLineColor(Source->FHorzLineColor);
    if (Source->FVertLinesStored)
        SetVertLines(Source->FVertLines);
    if (Source->FHorzLinesStored)
        SetHorzLines(Source->FHorzLines);
    SetFillStyle(Source->FFillStyle);
    if (FFont && Source->FFont) {
        if (!Source->FParentFont)
            SetFont(Source->FFont);
        SetParentFont(Source->FParentFont);
    }
}

void TDBGridAreaParamsEh::Invalidate() const { static_cast<TCustomDBAxisGridEh*>(FGrid)->Invalidate(); }

void TDBGridAreaParamsEh::LayoutChanged() const { static_cast<TCustomDBAxisGridEh*>(FGrid)->LayoutChanged(); }

bool TDBGridAreaParamsEh::GridLoading() const
{
    return static_cast<TComponent*>(static_cast<TControl*>(FGrid))->ComponentState().Contains(csLoading);
}

TColor TDBGridAreaParamsEh::DefaultVertLineColor() const
{
    return static_cast<TCustomDBAxisGridEh*>(FGrid)->GridLineParams()->DarkColor();
}

TColor TDBGridAreaParamsEh::DefaultHorzLineColor() const { return DefaultVertLineColor(); }

TColor TDBGridAreaParamsEh::GetVertLineColor() const
{
    return FVertLineColor == clDefault ? DefaultVertLineColor() : FVertLineColor;
}

TColor TDBGridAreaParamsEh::GetHorzLineColor() const
{
    return FHorzLineColor == clDefault ? DefaultHorzLineColor() : FHorzLineColor;
}

void TDBGridAreaParamsEh::SetVertLineColor(TColor Value)
{
    if (Value == FVertLineColor)
        return;
    FVertLineColor = Value;
    Invalidate();
}

void TDBGridAreaParamsEh::SetHorzLineColor(TColor Value)
{
    if (Value == FHorzLineColor)
        return;
    FHorzLineColor = Value;
    Invalidate();
}

bool TDBGridAreaParamsEh::DefaultVertLines() const { return ColLinesOn(FGrid); }
bool TDBGridAreaParamsEh::DefaultHorzLines() const { return RowLinesOn(FGrid); }
bool TDBGridAreaParamsEh::VertLines() const { return FVertLinesStored ? FVertLines : DefaultVertLines(); }
bool TDBGridAreaParamsEh::HorzLines() const { return FHorzLinesStored ? FHorzLines : DefaultHorzLines(); }

void TDBGridAreaParamsEh::SetVertLines(bool Value)
{
    if (WriteStoredEh(FVertLines, FVertLinesStored, Value))
        LinesChanged();
}

void TDBGridAreaParamsEh::SetHorzLines(bool Value)
{
    if (WriteStoredEh(FHorzLines, FHorzLinesStored, Value))
        LinesChanged();
}

void TDBGridAreaParamsEh::SetVertLinesStored(bool Value)
{
    FVertLines = DefaultVertLines();
    FVertLinesStored = Value;
    LinesChanged();
}

void TDBGridAreaParamsEh::SetHorzLinesStored(bool Value)
{
    FHorzLines = DefaultHorzLines();
    FHorzLinesStored = Value;
    LinesChanged();
}

void TDBGridAreaParamsEh::LinesChanged() { Invalidate(); }

void TDBGridAreaParamsEh::SetFillStyle(TGridCellFillStyleEh Value)
{
    if (Value == FFillStyle)
        return;
    FFillStyle = Value;
    Invalidate();
}

bool TDBGridAreaParamsEh::Raised3D() const { return Fixed3DOn(FGrid); }

TGridCellFillStyleEh TDBGridAreaParamsEh::ResolveFillStyle(TGridCellFillStyleEh Own) const
{
    const bool themes = ThemesEnabledEh();
    if (Own != cfstDefaultEh) {
        if (Own == cfstGradientEh && !themes && !GradientInClassicTheme(FGrid))
            return cfstSolidEh;
        return Own;
    }
    if (Raised3D() && themes)
        return static_cast<TCustomGridEh*>(FGrid)->Flat() ? cfstGradientEh : cfstThemedEh;
    return cfstSolidEh;
}

TGridCellFillStyleEh TDBGridAreaParamsEh::GetActualFillStyle() const { return ResolveFillStyle(FFillStyle); }

TFont* TDBGridAreaParamsEh::Font() const
{
    if (FFont && FParentFont)
        CopyDefaultFont(FFont, static_cast<TControl*>(FGrid)->Font());
    return FFont;
}

void TDBGridAreaParamsEh::SetFont(TFont* Value)
{
    if (FFont)
        FFont->Assign(Value);
}

void TDBGridAreaParamsEh::SetParentFont(bool Value)
{
    if (!FFont || Value == FParentFont)
        return;
    FParentFont = Value;
    RefreshDefaultFont();
    Invalidate();
}

void TDBGridAreaParamsEh::RefreshDefaultFont()
{
    if (FFont && FParentFont)
        CopyDefaultFont(FFont, static_cast<TControl*>(FGrid)->Font());
}

void TDBGridAreaParamsEh::OwnFontChanged(TObject*)
{
    if (!GridLoading())
        FParentFont = false;
    FontChanged();
}

void TDBGridAreaParamsEh::FontChanged() { LayoutChanged(); }

// ============================================================================================
// TDBGridTitleParamsEh
// ============================================================================================

DOV_PUBLISHED(TDBGridTitleParamsEh)
{
    using T = TDBGridTitleParamsEh;
    P.Prop("Color", &T::Color, &T::SetColor).NoDefault().Stored(&T::ColorStored);
    P.Prop("Font", &T::Font, &T::SetFont).Stored(&T::IsFontStored);
    P.Prop("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    P.Prop("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    P.Prop("SecondColor", &T::SecondColor, &T::SetSecondColor).NoDefault().Stored(&T::SecondColorStored);
    P.Prop("Images", &T::Images, &T::SetImages);
    P.Prop("MultiTitle", &T::MultiTitle, &T::SetMultiTitle).Default(false);
    P.Prop("RowHeight", &T::RowHeight, &T::SetRowHeight).Default(0);
    P.Prop("RowLines", &T::RowLines, &T::SetRowLines).Default(0);
    P.Prop("SortMarkerStyle", &T::SortMarkerStyle, &T::SetSortMarkerStyle).NoDefault().Stored(&T::SortMarkerStyleStored);
    P.Prop("VTitleMargin", &T::VTitleMargin, &T::SetVTitleMargin).Default(10);
    P.Prop("VertLineColor", &T::VertLineColor, &T::SetVertLineColor).NoDefault().Stored(&T::IsVertLineColorStored);
    P.Prop("VertLines", &T::VertLines, &T::SetVertLines).NoDefault().Stored(&T::VertLinesStored);
    P.Prop("HorzLineColor", &T::HorzLineColor, &T::SetHorzLineColor).NoDefault().Stored(&T::IsHorzLineColorStored);
    P.Prop("HorzLines", &T::HorzLines, &T::SetHorzLines).NoDefault().Stored(&T::HorzLinesStored);
    P.Prop("FillStyle", &T::FillStyle, &T::SetFillStyle).Default(cfstDefaultEh);
    P.Prop("BorderInFillStyle", &T::BorderInFillStyle, &T::SetBorderInFillStyle).Default(false);
}

// Tells the title parameters when the menu or image list they name is freed.
class TDBGridTitleParamsEh::TRefWatcher : public TComponent {
public:
    explicit TRefWatcher(TDBGridTitleParamsEh* AParams) : TComponent(nullptr), Params(AParams) {}
    TDBGridTitleParamsEh* Params;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove)
            Params->ComponentRemoved(AComponent);
    }
};

TDBGridTitleParamsEh::TDBGridTitleParamsEh(TCustomDBGridEh* AGrid)
    : TDBGridAreaParamsEh(AGrid, true), FWatcher(new TRefWatcher(this))
{
}

TDBGridTitleParamsEh::~TDBGridTitleParamsEh() { delete FWatcher; }

void TDBGridTitleParamsEh::Watch(TComponent* Old, TComponent* New)
{
    if (Old && Old != FPopupMenu && Old != FImages)
        Old->RemoveFreeNotification(FWatcher);
    if (New) {
        New->FreeNotification(FWatcher);
        New->FreeNotification(static_cast<TControl*>(FGrid));
    }
}

void TDBGridTitleParamsEh::ComponentRemoved(TComponent* AComponent)
{
    if (AComponent == FPopupMenu)
        FPopupMenu = nullptr;
    if (AComponent == FImages)
        SetImages(nullptr);
}

void TDBGridTitleParamsEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TDBGridTitleParamsEh*>(Source);
    if (!src) {
        TDBGridAreaParamsEh::Assign(Source);
        return;
    }
    if (src->ColorStored())
        SetColor(src->Color());
    AssignArea(src);
    SetPopupMenu(src->PopupMenu());
    if (src->SecondColorStored())
        SetSecondColor(src->SecondColor());
    SetImages(src->Images());
    SetMultiTitle(src->MultiTitle());
    SetRowHeight(src->RowHeight());
    SetRowLines(src->RowLines());
    if (src->SortMarkerStyleStored())
        SetSortMarkerStyle(src->SortMarkerStyle());
    SetVTitleMargin(src->VTitleMargin());
    SetBorderInFillStyle(src->BorderInFillStyle());
}

TGridCellFillStyleEh TDBGridTitleParamsEh::GetActualFillStyle() const
{
    TGridCellFillStyleEh own = FillStyle();
    if (own == cfstThemedEh && !ThemesEnabledEh())
        own = Raised3D() ? cfstGradientEh : cfstSolidEh;
    return ResolveFillStyle(own);
}

TColor TDBGridTitleParamsEh::DefaultColor() const { return static_cast<TCustomGridEh*>(FGrid)->FixedColor(); }
TColor TDBGridTitleParamsEh::Color() const { return FColorStored ? FColor : DefaultColor(); }

void TDBGridTitleParamsEh::SetColor(TColor Value)
{
    if (WriteStoredEh(FColor, FColorStored, Value))
        Invalidate();
}

void TDBGridTitleParamsEh::SetColorStored(bool Value)
{
    FColor = DefaultColor();
    FColorStored = Value;
    Invalidate();
}

void TDBGridTitleParamsEh::SetPopupMenu(TPopupMenu* Value)
{
    if (Value == FPopupMenu)
        return;
    TPopupMenu* old = FPopupMenu;
    FPopupMenu = Value;
    Watch(old, Value);
}

TColor TDBGridTitleParamsEh::DefaultSecondColor() const { return static_cast<TControl*>(FGrid)->Color(); }
TColor TDBGridTitleParamsEh::SecondColor() const { return FSecondColorStored ? FSecondColor : DefaultSecondColor(); }

void TDBGridTitleParamsEh::SetSecondColor(TColor Value)
{
    if (WriteStoredEh(FSecondColor, FSecondColorStored, Value))
        Invalidate();
}

void TDBGridTitleParamsEh::SetSecondColorStored(bool Value)
{
    FSecondColor = DefaultSecondColor();
    FSecondColorStored = Value;
    Invalidate();
}

void TDBGridTitleParamsEh::SetImages(TCustomImageList* Value)
{
    if (Value == FImages)
        return;
    TCustomImageList* old = FImages;
    FImages = Value;
    Watch(old, Value);
    LayoutChanged();
}

void TDBGridTitleParamsEh::SetMultiTitle(bool Value)
{
    if (Value == FMultiTitle)
        return;
    FMultiTitle = Value;
    LayoutChanged();
}

void TDBGridTitleParamsEh::SetRowHeight(int Value)
{
    if (Value == FRowHeight)
        return;
    FRowHeight = Value;
    LayoutChanged();
}

void TDBGridTitleParamsEh::SetRowLines(int Value)
{
    if (Value == FRowLines)
        return;
    FRowLines = Value;
    LayoutChanged();
}

TSortMarkerStyleEh TDBGridTitleParamsEh::DefaultSortMarkerStyle() const { return StyleSortMarkerStyle(FGrid); }

TSortMarkerStyleEh TDBGridTitleParamsEh::SortMarkerStyle() const
{
    return FSortMarkerStyleStored ? FSortMarkerStyle : DefaultSortMarkerStyle();
}

void TDBGridTitleParamsEh::SetSortMarkerStyle(TSortMarkerStyleEh Value)
{
    if (WriteStoredEh(FSortMarkerStyle, FSortMarkerStyleStored, Value))
        Invalidate();
}

void TDBGridTitleParamsEh::SetSortMarkerStyleStored(bool Value)
{
    FSortMarkerStyle = DefaultSortMarkerStyle();
    FSortMarkerStyleStored = Value;
    Invalidate();
}

void TDBGridTitleParamsEh::SetVTitleMargin(int Value)
{
    if (Value == FVTitleMargin)
        return;
    FVTitleMargin = Value;
    LayoutChanged();
}

void TDBGridTitleParamsEh::SetBorderInFillStyle(bool Value)
{
    if (Value == FBorderInFillStyle)
        return;
    FBorderInFillStyle = Value;
    LayoutChanged();
}

void TDBGridTitleParamsEh::LinesChanged()
{
    if (FMultiTitle)
        LayoutChanged();
    else
        Invalidate();
}

void TDBGridTitleParamsEh::FontChanged()
{
    if (TitlesShown(FGrid))
        LayoutChanged();
}

// ============================================================================================
// TDBGridIndicatorParamsEh
// ============================================================================================

DOV_PUBLISHED(TDBGridIndicatorParamsEh)
{
    using T = TDBGridIndicatorParamsEh;
    P.Prop("Color", &T::Color, &T::SetColor).NoDefault().Stored(&T::ColorStored);
    P.Prop("HorzLineColor", &T::HorzLineColor, &T::SetHorzLineColor).NoDefault().Stored(&T::IsHorzLineColorStored);
    P.Prop("HorzLines", &T::HorzLines, &T::SetHorzLines).NoDefault().Stored(&T::HorzLinesStored);
    P.Prop("VertLineColor", &T::VertLineColor, &T::SetVertLineColor).NoDefault().Stored(&T::IsVertLineColorStored);
    P.Prop("VertLines", &T::VertLines, &T::SetVertLines).NoDefault().Stored(&T::VertLinesStored);
    P.Prop("FillStyle", &T::FillStyle, &T::SetFillStyle).Default(cfstDefaultEh);
    P.Prop("RecNoShowStep", &T::RecNoShowStep, &T::SetRecNoShowStep).Default(1);
}

TDBGridIndicatorParamsEh::TDBGridIndicatorParamsEh(TCustomDBGridEh* AGrid) : TDBGridAreaParamsEh(AGrid, false) {}

void TDBGridIndicatorParamsEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TDBGridIndicatorParamsEh*>(Source);
    if (!src) {
        TDBGridAreaParamsEh::Assign(Source);
        return;
    }
    if (src->ColorStored())
        SetColor(src->Color());
    AssignArea(src);
    SetRecNoShowStep(src->RecNoShowStep());
}

TColor TDBGridIndicatorParamsEh::DefaultColor() const { return static_cast<TCustomGridEh*>(FGrid)->FixedColor(); }
TColor TDBGridIndicatorParamsEh::Color() const { return FColorStored ? FColor : DefaultColor(); }

void TDBGridIndicatorParamsEh::SetColor(TColor Value)
{
    if (WriteStoredEh(FColor, FColorStored, Value))
        Invalidate();
}

void TDBGridIndicatorParamsEh::SetColorStored(bool Value)
{
    FColor = DefaultColor();
    FColorStored = Value;
    Invalidate();
}

void TDBGridIndicatorParamsEh::SetRecNoShowStep(int Value)
{
    if (Value == FRecNoShowStep)
        return;
    FRecNoShowStep = Value;
    Invalidate();
}

// ============================================================================================
// TDBGridFooterParamsEh
// ============================================================================================

DOV_PUBLISHED(TDBGridFooterParamsEh)
{
    using T = TDBGridFooterParamsEh;
    P.Prop("Color", &T::Color, &T::SetColor).NoDefault().Stored(&T::IsColorStored);
    P.Prop("FillStyle", &T::FillStyle, &T::SetFillStyle).Default(cfstDefaultEh);
    P.Prop("Font", &T::Font, &T::SetFont).Stored(&T::IsFontStored);
    P.Prop("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    P.Prop("RowHeight", &T::RowHeight, &T::SetRowHeight).Default(0);
    P.Prop("RowLines", &T::RowLines, &T::SetRowLines).Default(0);
    P.Prop("HorzLineColor", &T::HorzLineColor, &T::SetHorzLineColor).NoDefault().Stored(&T::IsHorzLineColorStored);
    P.Prop("HorzLines", &T::HorzLines, &T::SetHorzLines).NoDefault().Stored(&T::HorzLinesStored);
    P.Prop("VertLineColor", &T::VertLineColor, &T::SetVertLineColor).NoDefault().Stored(&T::IsVertLineColorStored);
    P.Prop("VertLines", &T::VertLines, &T::SetVertLines).NoDefault().Stored(&T::VertLinesStored);
}

TDBGridFooterParamsEh::TDBGridFooterParamsEh(TCustomDBGridEh* AGrid) : TDBGridAreaParamsEh(AGrid, true) {}

void TDBGridFooterParamsEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TDBGridFooterParamsEh*>(Source);
    if (!src) {
        TDBGridAreaParamsEh::Assign(Source);
        return;
    }
    SetColor(src->FColor);
    AssignArea(src);
    SetRowHeight(src->RowHeight());
    SetRowLines(src->RowLines());
}

TColor TDBGridFooterParamsEh::GetColor() const
{
    return FColor == clDefault ? static_cast<TControl*>(FGrid)->Color() : FColor;
}

void TDBGridFooterParamsEh::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    Invalidate();
}

void TDBGridFooterParamsEh::SetRowHeight(int Value)
{
    if (Value == FRowHeight)
        return;
    FRowHeight = Value;
    LayoutChanged();
}

void TDBGridFooterParamsEh::SetRowLines(int Value)
{
    if (Value == FRowLines)
        return;
    FRowLines = Value;
    LayoutChanged();
}

bool TDBGridFooterParamsEh::Raised3D() const { return Footer3DOn(FGrid); }

// ============================================================================================
// TDBGridLineParamsEh
// ============================================================================================

DOV_PUBLISHED(TDBGridLineParamsEh) {}

TDBGridLineParamsEh::TDBGridLineParamsEh(TCustomDBGridEh* AGrid) : TDBAxisGridLineParamsEh(AGrid) {}

TCustomDBGridEh* TDBGridLineParamsEh::Grid() const { return static_cast<TCustomDBGridEh*>(TDBAxisGridLineParamsEh::Grid()); }

bool TDBGridLineParamsEh::DefaultDataHorzLines() { return RowLinesOn(Grid()); }
bool TDBGridLineParamsEh::DefaultDataVertLines() { return ColLinesOn(Grid()); }

TDBGridLinesColorSchemeEh TDBGridLineParamsEh::GetActualColorScheme()
{
    if (ColorScheme() != glcsDefaultEh)
        return ColorScheme();
    if (Grid()->TitleParams()->GetActualFillStyle() == cfstThemedEh)
        return glcsThemedEh;
    if (ThemesEnabledEh() || static_cast<TCustomGridEh*>(Grid())->Flat())
        return glcsFlatEh;
    return glcsClassicEh;
}

TColor TDBGridLineParamsEh::GetVertAreaContraVertColor()
{
    if (FVertAreaContraVertColor != clDefault)
        return FVertAreaContraVertColor;
    if (!Footer3DOn(Grid()) && Grid()->FooterParams()->Color() == clWindow)
        return GetBrightColor();
    return GetDarkColor();
}

void TDBGridLineParamsEh::SetGridBoundaries(bool Value)
{
    const bool changed = Value != GridBoundaries();
    TDBAxisGridLineParamsEh::SetGridBoundaries(Value);
    if (changed)
        ReapplyOptions(Grid());
}

void TDBGridLineParamsEh::SetVertEmptySpaceStyle(TDrawEmptySpaceStyle Value)
{
    if (Value == VertEmptySpaceStyle())
        return;
    TDBAxisGridLineParamsEh::SetVertEmptySpaceStyle(Value);
    SetExtendVertLines(Grid(), Value != dessNonEh);
    InvalidateGrid();
}

// ============================================================================================
// TGridTreeViewParamsEh
// ============================================================================================

DOV_PUBLISHED(TGridTreeViewParamsEh)
{
    using T = TGridTreeViewParamsEh;
    P.Prop("GlyphStyle", &T::GlyphStyle, &T::SetGlyphStyle).Default(tvgsDefaultEh);
    P.Prop("ShowTreeLines", &T::ShowTreeLines, &T::SetShowTreeLines).Default(true);
}

void TGridTreeViewParamsEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TGridTreeViewParamsEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetGlyphStyle(src->GlyphStyle());
    SetShowTreeLines(src->ShowTreeLines());
}

TPersistent* TGridTreeViewParamsEh::GetOwner() const { return static_cast<TControl*>(FGrid); }

void TGridTreeViewParamsEh::SetGlyphStyle(TTreeViewGlyphStyleEh Value)
{
    if (Value == FGlyphStyle)
        return;
    FGlyphStyle = Value;
    static_cast<TCustomDBAxisGridEh*>(FGrid)->Invalidate();
}

void TGridTreeViewParamsEh::SetShowTreeLines(bool Value)
{
    if (Value == FShowTreeLines)
        return;
    FShowTreeLines = Value;
    static_cast<TCustomDBAxisGridEh*>(FGrid)->Invalidate();
}

TTreeViewGlyphStyleEh TGridTreeViewParamsEh::GetActualGlyphStyle() const
{
    return FGlyphStyle != tvgsDefaultEh ? FGlyphStyle : StyleTreeGlyphStyle(FGrid);
}

// ============================================================================================
// TDBGridBackgroundDataEh
// ============================================================================================

DOV_PUBLISHED(TDBGridBackgroundDataEh)
{
    using T = TDBGridBackgroundDataEh;
    P.Prop("ExcludeTitle", &T::ExcludeTitle, &T::SetExcludeTitle).Default(false);
    P.Prop("ExcludeIndicator", &T::ExcludeIndicator, &T::SetExcludeIndicator).Default(false);
    P.Prop("ExcludeFooter", &T::ExcludeFooter, &T::SetExcludeFooter).Default(false);
}

TDBGridBackgroundDataEh::TDBGridBackgroundDataEh(TCustomDBGridEh* AGrid) : TGridBackgroundDataEh(AGrid) {}

void TDBGridBackgroundDataEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TDBGridBackgroundDataEh*>(Source);
    if (!src) {
        TGridBackgroundDataEh::Assign(Source);
        return;
    }
    SetPicture(src->Picture());
    SetPlacement(src->Placement());
    SetHorzMargin(src->HorzMargin());
    SetVertMargin(src->VertMargin());
    SetVisible(src->Visible());
    SetExcludeTitle(src->ExcludeTitle());
    SetExcludeIndicator(src->ExcludeIndicator());
    SetExcludeFooter(src->ExcludeFooter());
}

TRect TDBGridBackgroundDataEh::BoundRect()
{
    TRect r = TGridBackgroundDataEh::BoundRect();
    TGridAxisDataEh* horz = FGrid->HorzAxis();
    TGridAxisDataEh* vert = FGrid->VertAxis();
    // The axes' boundaries are client positions that already include the grid's margins.
    if (FExcludeFooter)
        r.Bottom = vert->ContraStart();
    if (FExcludeIndicator)
        r.Left = horz->FixedBoundary() - horz->FrozenLen();
    if (FExcludeTitle)
        r.Top = vert->FixedBoundary();
    return r;
}

void TDBGridBackgroundDataEh::SetExcludeTitle(bool Value)
{
    if (Value == FExcludeTitle)
        return;
    FExcludeTitle = Value;
    PictureChanged(nullptr);
}

void TDBGridBackgroundDataEh::SetExcludeIndicator(bool Value)
{
    if (Value == FExcludeIndicator)
        return;
    FExcludeIndicator = Value;
    PictureChanged(nullptr);
}

void TDBGridBackgroundDataEh::SetExcludeFooter(bool Value)
{
    if (Value == FExcludeFooter)
        return;
    FExcludeFooter = Value;
    PictureChanged(nullptr);
}

// ============================================================================================
// TDBGridEhIndicatorTitle
// ============================================================================================

DOV_PUBLISHED(TDBGridEhIndicatorTitle)
{
    using T = TDBGridEhIndicatorTitle;
    P.Prop("ShowDropDownSign", &T::ShowDropDownSign, &T::SetShowDropDownSign).Default(false);
    P.Prop("TitleButton", &T::TitleButton).Default(false);
    P.Prop("UseGlobalMenu", &T::UseGlobalMenu).Default(true);
}

TPersistent* TDBGridEhIndicatorTitle::GetOwner() const { return static_cast<TControl*>(FGrid); }

void TDBGridEhIndicatorTitle::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TDBGridEhIndicatorTitle*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetShowDropDownSign(src->ShowDropDownSign());
    TitleButton = src->TitleButton;
    UseGlobalMenu = src->UseGlobalMenu;
}

void TDBGridEhIndicatorTitle::SetShowDropDownSign(bool Value)
{
    if (Value == FShowDropDownSign)
        return;
    FShowDropDownSign = Value;
    static_cast<TCustomGridEh*>(FGrid)->InvalidateCell(0, 0);
}

// ============================================================================================
// TGridEmptyDataInfoEh
// ============================================================================================

DOV_PUBLISHED(TGridEmptyDataInfoEh)
{
    using T = TGridEmptyDataInfoEh;
    P.Prop("Active", &T::Active, &T::SetActive).Default(false);
    P.Prop("Font", &T::Font, &T::SetFont).Stored(&T::IsFontStored);
    P.Prop("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    P.Prop("Text", &T::Text, &T::SetText);
}

TGridEmptyDataInfoEh::TGridEmptyDataInfoEh(TCustomDBGridEh* AGrid) : FGrid(AGrid)
{
    FFont = new TFont;
    FFont->Assign(static_cast<TControl*>(AGrid)->Font());
    FFont->SetColor(clGray);
    FFont->OnChange = TNotifyEvent(this, &TGridEmptyDataInfoEh::OwnFontChanged);
}

TGridEmptyDataInfoEh::~TGridEmptyDataInfoEh()
{
    FFont->OnChange = nullptr;
    delete FFont;
}

TPersistent* TGridEmptyDataInfoEh::GetOwner() const { return static_cast<TControl*>(FGrid); }

void TGridEmptyDataInfoEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TGridEmptyDataInfoEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetActive(src->Active());
    if (!src->ParentFont())
        SetFont(src->Font());
    SetParentFont(src->ParentFont());
    SetText(src->Text());
}

void TGridEmptyDataInfoEh::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    static_cast<TCustomDBAxisGridEh*>(FGrid)->Invalidate();
}

TFont* TGridEmptyDataInfoEh::Font() const
{
    RefreshDefaultFont();
    return FFont;
}

void TGridEmptyDataInfoEh::SetFont(TFont* Value) { FFont->Assign(Value); }

void TGridEmptyDataInfoEh::SetParentFont(bool Value)
{
    if (Value == FParentFont)
        return;
    FParentFont = Value;
    RefreshDefaultFont();
    static_cast<TCustomDBAxisGridEh*>(FGrid)->Invalidate();
}

void TGridEmptyDataInfoEh::SetText(const QString& Value)
{
    if (Value == FText)
        return;
    FText = Value;
    static_cast<TCustomDBAxisGridEh*>(FGrid)->Invalidate();
}

void TGridEmptyDataInfoEh::OwnFontChanged(TObject*)
{
    FParentFont = false;
    static_cast<TCustomDBAxisGridEh*>(FGrid)->Invalidate();
}

void TGridEmptyDataInfoEh::RefreshDefaultFont() const
{
    if (!FParentFont)
        return;
    TFont* gridFont = static_cast<TControl*>(FGrid)->Font();
    if (FFont->GetHeight() == gridFont->GetHeight() && FFont->GetName() == gridFont->GetName() &&
        FFont->GetCharset() == gridFont->GetCharset())
        return;
    TNotifyEvent saved = FFont->OnChange;
    FFont->OnChange = nullptr;
    auto restore = Finally([&] { FFont->OnChange = saved; });
    FFont->SetHeight(gridFont->GetHeight());
    FFont->SetName(gridFont->GetName());
    FFont->SetCharset(gridFont->GetCharset());
}

QString TGridEmptyDataInfoEh::EffectiveText() const
{
    return FText.isEmpty() ? QStringLiteral("Нет данных") : FText;
}

bool TGridEmptyDataInfoEh::Showing() const
{
    if (!FActive || EffectiveText().isEmpty())
        return false;
    TDataSource* ds = static_cast<TCustomDBAxisGridEh*>(FGrid)->DataSource();
    TDataSet* dataSet = ds ? ds->DataSet() : nullptr;
    // While another thread fills the dataset its controls are disabled: it is not read then.
    return dataSet && dataSet->Active() && !dataSet->ControlsDisabled() && dataSet->IsEmpty();
}

TRect TGridEmptyDataInfoEh::InfoRect() const
{
    auto* grid = static_cast<TCustomDBAxisGridEh*>(FGrid);
    TCanvas* canvas = MeasureCanvasEh(Font());
    const QString text = EffectiveText();
    const int w = canvas->TextWidth(text);
    const int h = canvas->TextHeight(text) + 2;
    const TRect client = grid->ClientRect();
    TRect r;
    r.Left = client.Left + (client.Width() - w) / 2;
    r.Top = client.Top + (client.Height() - h) / 2;
    r.Right = r.Left + w;
    r.Bottom = r.Top + h;
    return TRect(r.Left - 5, r.Top - 5, r.Right + 5, r.Bottom + 5);
}

void TGridEmptyDataInfoEh::PaintEmptyDataInfo()
{
    auto* grid = static_cast<TCustomDBAxisGridEh*>(FGrid);
    const TRect r = InfoRect();
    TCanvas* canvas = grid->Canvas();
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetColor(grid->Color());
    canvas->FillRect(r);
    WriteTextInRect(canvas, r, false, 6, 6, EffectiveText(), taCenter, tlCenter, false, false, 0, 0, false, true);
    if (static_cast<TCustomGridEh*>(grid)->Options().Contains(goExtendVertLinesEh)) {
        canvas->Brush()->SetColor(BlendColors(FFont->GetColor(), grid->Color(), 192));
        canvas->FrameRect(TRect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1));
    }
}

// ============================================================================================
// TGridHighlightTextParamsEh
// ============================================================================================

DOV_PUBLISHED(TGridHighlightTextParamsEh) {}

TGridHighlightTextParamsEh::TGridHighlightTextParamsEh() : FColumnsList(std::make_unique<TColumnsEhList>()) {}
TGridHighlightTextParamsEh::~TGridHighlightTextParamsEh() = default;

void TGridHighlightTextParamsEh::SetColumnsList(TColumnsEhList* Value)
{
    if (Value == FColumnsList.get())
        return;
    FColumnsList->Clear();
    if (Value)
        for (int i = 0; i < Value->Count(); ++i)
            FColumnsList->Add(Value->Items(i));
}

// ============================================================================================
// TCustomDBGridEh: parameter objects
// ============================================================================================

TDBGridLineParamsEh* TCustomDBGridEh::GridLineParams() const
{
    return static_cast<TDBGridLineParamsEh*>(GridLineColors());
}

void TCustomDBGridEh::SetGridLineParams(TDBGridLineParamsEh* Value) { SetGridLineColors(Value); }

TDBGridBackgroundDataEh* TCustomDBGridEh::BackgroundData() const
{
    return static_cast<TDBGridBackgroundDataEh*>(TCustomGridEh::BackgroundData());
}

void TCustomDBGridEh::SetBackgroundData(TDBGridBackgroundDataEh* Value) { BackgroundData()->Assign(Value); }

TFont* TCustomDBGridEh::FooterFont() const { return FFooterParams->Font(); }
void TCustomDBGridEh::SetFooterFont(TFont* Value) { FFooterParams->SetFont(Value); }
TColor TCustomDBGridEh::FooterColor() const { return FFooterParams->Color(); }
void TCustomDBGridEh::SetFooterColor(TColor Value) { FFooterParams->SetColor(Value); }
TCustomImageList* TCustomDBGridEh::TitleImages() const { return FTitleParams->Images(); }
void TCustomDBGridEh::SetTitleImages(TCustomImageList* Value) { FTitleParams->SetImages(Value); }
bool TCustomDBGridEh::UseMultiTitle() const { return FTitleParams->MultiTitle(); }
void TCustomDBGridEh::SetUseMultiTitle(bool Value) { FTitleParams->SetMultiTitle(Value); }
int TCustomDBGridEh::VTitleMargin() const { return FTitleParams->VTitleMargin(); }
void TCustomDBGridEh::SetVTitleMargin(int Value) { FTitleParams->SetVTitleMargin(Value); }
int TCustomDBGridEh::TitleHeight() const { return FTitleParams->RowHeight(); }
void TCustomDBGridEh::SetTitleHeight(int Value) { FTitleParams->SetRowHeight(Value); }
int TCustomDBGridEh::TitleLines() const { return FTitleParams->RowLines(); }
void TCustomDBGridEh::SetTitleLines(int Value) { FTitleParams->SetRowLines(Value); }
void TCustomDBGridEh::SetTitleFont(TFont* Value) { FTitleParams->SetFont(Value); }
TFont* TCustomDBGridEh::GetTitleFont() { return FTitleParams->Font(); }

TGridLineColorsEh* TCustomDBGridEh::CreateGridLineColors() { return new TDBGridLineParamsEh(this); }
TGridBackgroundDataEh* TCustomDBGridEh::CreateBackgroundData() { return new TDBGridBackgroundDataEh(this); }
