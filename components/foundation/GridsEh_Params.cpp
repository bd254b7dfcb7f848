// The grid's parameter objects: line colours, margins, hot-track spot, background picture,
// the application-wide draw style and the per-grid selection drawing settings.
#include "GridsEh.h"

#include "platform/vcl/Themes.h"

#include <algorithm>
#include <cmath>

static constexpr TColor GrayLine = TColor(RGB(128, 128, 128));
static constexpr TColor SilverLine = TColor(RGB(192, 192, 192));

// ---------------------------------------------------------------- TGridLineColorsEh

TColor TGridLineColorsEh::GetAreaLineColor(int ACol, int ARow)
{
    const int cc = FGrid->ColCount(), rc = FGrid->RowCount();
    const int dataCol = FGrid->FixedColCount() - FGrid->FrozenColCount();
    const int dataRow = FGrid->FixedRowCount() - FGrid->FrozenRowCount();
    if (ACol >= dataCol && ARow >= dataRow && ACol < cc && ARow < rc)
        return GetBrightColor();
    if (ACol >= cc && ARow >= dataRow && ARow < rc)
        return GetHorzAreaContraHorzColor();
    if (ARow >= rc)
        return GetVertAreaContraVertColor();
    return GetDarkColor();
}

TColor TGridLineColorsEh::GetVertLineColor(int ACol)
{
    return ACol == FGrid->ColCount() ? GetVertAreaContraBorderColor() : GetBrightColor();
}

TColor TGridLineColorsEh::GetHorzLineColor(int ARow)
{
    return ARow == FGrid->RowCount() ? GetHorzAreaContraBorderColor() : GetBrightColor();
}

TColor TGridLineColorsEh::GetFrozenVertLineColor(int ACol)
{
    if (FGrid->FrozenColCount() > 0 && ACol == FGrid->FixedColCount() - 1)
        return GetVertAreaFrozenBorderColor();
    return GetBrightColor();
}

TColor TGridLineColorsEh::GetFrozenHorzLineColor(int ARow)
{
    if (FGrid->FrozenRowCount() > 0 && ARow == FGrid->FixedRowCount() - 1)
        return GetDarkColor();
    return GetBrightColor();
}

TColor TGridLineColorsEh::GetDarkColor()
{
    return Or(FDarkColor, GrayLine);
}

TColor TGridLineColorsEh::GetBrightColor()
{
    if (FBrightColor != clDefault)
        return FBrightColor;
    // Lines stay visible on a silver grid.
    if (FGrid && TColor(ColorToRGB(FGrid->Color())) == SilverLine)
        return GrayLine;
    return SilverLine;
}

void TGridLineColorsEh::SetColorField(TColor& Field, TColor Value)
{
    if (Field == Value)
        return;
    Field = Value;
    if (FGrid)
        FGrid->Invalidate();
}

void TGridLineColorsEh::SetBrightColor(TColor Value) { SetColorField(FBrightColor, Value); }
void TGridLineColorsEh::SetDarkColor(TColor Value) { SetColorField(FDarkColor, Value); }
void TGridLineColorsEh::SetDataHorzColor(TColor Value) { SetColorField(FDataHorzColor, Value); }
void TGridLineColorsEh::SetDataVertColor(TColor Value) { SetColorField(FDataVertColor, Value); }

void TGridLineColorsEh::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TGridLineColorsEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    TCustomGridEh* grid = FGrid;
    FBrightColor = s->FBrightColor; FDarkColor = s->FDarkColor;
    FDataHorzColor = s->FDataHorzColor; FDataVertColor = s->FDataVertColor;
    FFixedHorzColor = s->FFixedHorzColor; FFixedVertColor = s->FFixedVertColor;
    FHorzAreaContraBorderColor = s->FHorzAreaContraBorderColor;
    FHorzAreaContraHorzColor = s->FHorzAreaContraHorzColor;
    FHorzAreaContraVertColor = s->FHorzAreaContraVertColor;
    FHorzAreaFrozenBorderColor = s->FHorzAreaFrozenBorderColor;
    FHorzAreaFrozenHorzColor = s->FHorzAreaFrozenHorzColor;
    FHorzAreaFrozenVertColor = s->FHorzAreaFrozenVertColor;
    FVertAreaContraBorderColor = s->FVertAreaContraBorderColor;
    FVertAreaContraHorzColor = s->FVertAreaContraHorzColor;
    FVertAreaContraVertColor = s->FVertAreaContraVertColor;
    FVertAreaFrozenBorderColor = s->FVertAreaFrozenBorderColor;
    FVertAreaFrozenHorzColor = s->FVertAreaFrozenHorzColor;
    FVertAreaFrozenVertColor = s->FVertAreaFrozenVertColor;
    if (grid)
        grid->Invalidate();
}

// ---------------------------------------------------------------- TGridOutBoundaryDataEh

void TGridOutBoundaryDataEh::SetLayoutValue(int& Field, int Value)
{
    if (Field == Value)
        return;
    Field = Value;
    if (FGrid)
        FGrid->LayoutChanged();
}

static void SetPriority(TCornerDrawPriorityEh& Field, TCornerDrawPriorityEh Value, TCustomGridEh* Grid)
{
    if (Field == Value)
        return;
    Field = Value;
    if (Grid)
        Grid->LayoutChanged();
}

void TGridOutBoundaryDataEh::SetLeftTopDrawPriority(TCornerDrawPriorityEh Value) { SetPriority(FLeftTopDrawPriority, Value, FGrid); }
void TGridOutBoundaryDataEh::SetRightTopDrawPriority(TCornerDrawPriorityEh Value) { SetPriority(FRightTopDrawPriority, Value, FGrid); }
void TGridOutBoundaryDataEh::SetLeftBottomDrawPriority(TCornerDrawPriorityEh Value) { SetPriority(FLeftBottomDrawPriority, Value, FGrid); }
void TGridOutBoundaryDataEh::SetRightBottomDrawPriority(TCornerDrawPriorityEh Value) { SetPriority(FRightBottomDrawPriority, Value, FGrid); }

bool TGridOutBoundaryDataEh::GetOutBoundaryRect(TRect& ARect, TGridCellBorderTypeEh OutBoundaryType)
{
    const int w = FGrid->ClientWidth(), h = FGrid->ClientHeight();
    const bool ltV = FLeftTopDrawPriority == crpVerticalDataPriorityEh;
    const bool rtV = FRightTopDrawPriority == crpVerticalDataPriorityEh;
    const bool lbV = FLeftBottomDrawPriority == crpVerticalDataPriorityEh;
    const bool rbV = FRightBottomDrawPriority == crpVerticalDataPriorityEh;
    switch (OutBoundaryType) {
    case cbtTopEh:
        if (FTopIndent < 1)
            return false;
        ARect = TRect(ltV ? FLeftIndent : 0, 0, rtV ? w - FRightIndent : w, FTopIndent);
        return true;
    case cbtBottomEh:
        if (FBottomIndent <= 0)
            return false;
        ARect = TRect(lbV ? FLeftIndent : 0, h - FBottomIndent, rbV ? w - FRightIndent : w, h);
        return true;
    case cbtLeftEh:
        if (FLeftIndent <= 0)
            return false;
        ARect = TRect(0, ltV ? 0 : FTopIndent, FLeftIndent, lbV ? h : h - FBottomIndent);
        return true;
    case cbtRightEh:
        if (FRightIndent < 1)
            return false;
        ARect = TRect(w - FRightIndent, rtV ? 0 : FTopIndent, w, rbV ? h : h - FBottomIndent);
        return true;
    }
    return false;
}

void TGridOutBoundaryDataEh::InvalidateOutBoundary(TGridCellBorderTypeEh OutBoundaryType)
{
    TRect r;
    if (GetOutBoundaryRect(r, OutBoundaryType) && FGrid->HandleAllocated())
        InvalidateRect(FGrid->Handle(), &r, false);
}

// ---------------------------------------------------------------- TGridHotTrackSpotEh

void TGridHotTrackSpotEh::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TGridHotTrackSpotEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    Col = s->Col;
    Row = s->Row;
    InCellX = s->InCellX;
    InCellY = s->InCellY;
}

// ---------------------------------------------------------------- TGridBackgroundDataEh

TGridBackgroundDataEh::TGridBackgroundDataEh(TCustomGridEh* AGrid) : FPicture(std::make_unique<TPicture>()), FGrid(AGrid)
{
    FPicture->OnChange = TNotifyEvent(this, &TGridBackgroundDataEh::PictureChanged);
}

TGridBackgroundDataEh::~TGridBackgroundDataEh() = default;

void TGridBackgroundDataEh::PictureChanged(TObject*)
{
    if (FGrid)
        FGrid->Invalidate();
}

void TGridBackgroundDataEh::SetHorzMargin(int Value)
{
    if (FImageHorzMargin != Value) {
        FImageHorzMargin = Value;
        PictureChanged(nullptr);
    }
}

void TGridBackgroundDataEh::SetVertMargin(int Value)
{
    if (FImageVertMargin != Value) {
        FImageVertMargin = Value;
        PictureChanged(nullptr);
    }
}

void TGridBackgroundDataEh::SetPlacement(TImagePlacementEh Value)
{
    if (FImagePlacement != Value) {
        FImagePlacement = Value;
        PictureChanged(nullptr);
    }
}

void TGridBackgroundDataEh::SetVisible(bool Value)
{
    if (FVisible != Value) {
        FVisible = Value;
        PictureChanged(nullptr);
    }
}

TRect TGridBackgroundDataEh::BoundRect()
{
    return TRect(FGrid->HorzAxis()->GridClientStart(), FGrid->VertAxis()->GridClientStart(),
                 FGrid->HorzAxis()->GridClientStop(), FGrid->VertAxis()->GridClientStop());
}

TRect TGridBackgroundDataEh::CalcImageRectFor(const TRect& Bound, int w, int h, TImagePlacementEh Placement,
                                              int HorzMargin, int VertMargin)
{
    TRect r = ImagePlacementRect(Bound, w, h, Placement);
    OffsetRect(r, HorzMargin, VertMargin);
    return r;
}

TRect TGridBackgroundDataEh::CalcImageRect()
{
    return CalcImageRectFor(BoundRect(), FPicture->Width(), FPicture->Height(), FImagePlacement, FImageHorzMargin,
                            FImageVertMargin);
}

void TGridBackgroundDataEh::PaintBackgroundData()
{
    TCanvas* c = FGrid->Canvas();
    c->Pen()->SetStyle(psSolid);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(FGrid->Color());
    c->FillRect(FGrid->ClientRect());
    if (!FPicture->Graphic())
        return;
    const TRect r = CalcImageRect();
    if (FImagePlacement == ipTileEh && FPicture->Width() > 0 && FPicture->Height() > 0) {
        const int cw = FGrid->ClientWidth(), ch = FGrid->ClientHeight();
        for (int y = r.Top; y < ch; y += FPicture->Height())
            for (int x = r.Left; x < cw; x += FPicture->Width())
                c->Draw(x, y, FPicture->Graphic());
    } else {
        c->StretchDraw(r, FPicture->Graphic());
    }
}

// ---------------------------------------------------------------- TGridDrawStyleEh

// The default in use, and the one created here: it lives until program exit even when
// replaced, since grids attached to it keep pointing at it.
static TGridDrawStyleEh* GDefaultDrawStyle = nullptr;
static std::unique_ptr<TGridDrawStyleEh> GCreatedDrawStyle;
static bool GDefaultDrawStyleCreated = false;

TGridDrawStyleEh* GetDefaultGridDrawStyle()
{
    if (!GDefaultDrawStyleCreated) {
        GDefaultDrawStyleCreated = true;
        GCreatedDrawStyle = CreateUnique<TGridDrawStyleEh>(nullptr);
        GDefaultDrawStyle = GCreatedDrawStyle.get();
    }
    return GDefaultDrawStyle;
}

void SetDefaultGridDrawStyle(TGridDrawStyleEh* Value)
{
    GDefaultDrawStyleCreated = true;
    GDefaultDrawStyle = Value;
}

bool ListViewThemedSelectionAvailable()
{
    return StyleServicesEnabled();
}

TGridDrawStyleEh::TGridDrawStyleEh(TComponent* AOwner) : TComponent(AOwner) {}

TGridDrawStyleEh::~TGridDrawStyleEh()
{
    if (GDefaultDrawStyle == this)
        GDefaultDrawStyle = nullptr;
    if (GCreatedDrawStyle.get() == this)
        (void)GCreatedDrawStyle.release();   // freed by someone else
    const std::vector<TCustomGridEh*> grids = FGrids;
    FGrids.clear();
    for (TCustomGridEh* g : grids)
        g->SetDrawStyle(nullptr);
}

void TGridDrawStyleEh::AddChangeNotification(TCustomGridEh* Grid)
{
    if (!GridInChangeNotification(Grid))
        FGrids.push_back(Grid);
}

void TGridDrawStyleEh::RemoveChangeNotification(TCustomGridEh* Grid)
{
    FGrids.erase(std::remove(FGrids.begin(), FGrids.end(), Grid), FGrids.end());
}

bool TGridDrawStyleEh::GridInChangeNotification(TCustomGridEh* Grid) const
{
    return std::find(FGrids.begin(), FGrids.end(), Grid) != FGrids.end();
}

void TGridDrawStyleEh::Changed()
{
    for (TCustomGridEh* g : FGrids)
        g->DrawStyleChanged();
}

TGridSelectionDrawStyleEh TGridDrawStyleEh::GetDefaultActualSelectionStyle()
{
    if (StyleServicesEnabled() && CustomStyleActiveFlag())
        return gsdsGridThemedEh;
    if (ListViewThemedSelectionAvailable())
        return gsdsListViewThemedEh;
    return gsdsClassicEh;
}

TGridSelectionDrawStyleEh TGridDrawStyleEh::GetActualSelectionStyle()
{
    if (FSelectionStyle == gsdsDefaultEh ||
        (FSelectionStyle == gsdsListViewThemedEh && !ListViewThemedSelectionAvailable()))
        return GetDefaultActualSelectionStyle();
    return FSelectionStyle;
}

void TGridDrawStyleEh::SetSelectionStyle(TGridSelectionDrawStyleEh Value)
{
    if (FSelectionStyle == Value)
        return;
    FSelectionStyle = Value;
    Changed();
}

bool TGridDrawStyleEh::DefaultDrawFocusFrame()
{
    return GetActualSelectionStyle() == gsdsClassicEh && !IsCustomStyleActive();
}

bool TGridDrawStyleEh::DrawFocusFrame()
{
    return FDrawFocusFrameStored ? FDrawFocusFrame : DefaultDrawFocusFrame();
}

void TGridDrawStyleEh::SetDrawFocusFrame(bool Value)
{
    if (FDrawFocusFrameStored && FDrawFocusFrame == Value)
        return;
    FDrawFocusFrameStored = true;
    FDrawFocusFrame = Value;
    Changed();
}

void TGridDrawStyleEh::SetDrawFocusFrameStored(bool Value)
{
    if (FDrawFocusFrameStored == Value)
        return;
    FDrawFocusFrameStored = Value;
    FDrawFocusFrame = DefaultDrawFocusFrame();
    Changed();
}

bool TGridDrawStyleEh::IsCustomStyleActive()
{
    return CustomStyleActiveFlag();
}

// ---------------------------------------------------------------- TGridSelectionDrawParamsEh

TGridSelectionDrawStyleEh TGridSelectionDrawParamsEh::GetActualSelectionStyle()
{
    if (FSelectionStyle == gsdsDefaultEh ||
        (FSelectionStyle == gsdsListViewThemedEh && !ListViewThemedSelectionAvailable()))
        return FGrid->GetSelectionStyle();
    return FSelectionStyle;
}

bool TGridSelectionDrawParamsEh::DefaultDrawFocusFrame()
{
    if (FSelectionStyle != gsdsDefaultEh)
        return GetActualSelectionStyle() == gsdsClassicEh;
    return FGrid->GetDrawFocusFrame();
}

void TGridSelectionDrawParamsEh::SetSelectionStyle(TGridSelectionDrawStyleEh Value)
{
    if (FSelectionStyle == Value)
        return;
    FSelectionStyle = Value;
    FGrid->Invalidate();
}

bool TGridSelectionDrawParamsEh::DrawFocusFrame()
{
    return FDrawFocusFrameStored ? FDrawFocusFrame : DefaultDrawFocusFrame();
}

void TGridSelectionDrawParamsEh::SetDrawFocusFrame(bool Value)
{
    if (FDrawFocusFrameStored && FDrawFocusFrame == Value)
        return;
    FDrawFocusFrameStored = true;
    FDrawFocusFrame = Value;
    FGrid->Invalidate();
}

void TGridSelectionDrawParamsEh::SetDrawFocusFrameStored(bool Value)
{
    if (FDrawFocusFrameStored == Value)
        return;
    FDrawFocusFrameStored = Value;
    FDrawFocusFrame = DefaultDrawFocusFrame();
    FGrid->Invalidate();
}

void TGridSelectionDrawParamsEh::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TGridSelectionDrawParamsEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FSelectionStyle = s->FSelectionStyle;
    FDrawFocusFrame = s->FDrawFocusFrame;
    FDrawFocusFrameStored = s->FDrawFocusFrameStored;
    FGrid->Invalidate();
}
