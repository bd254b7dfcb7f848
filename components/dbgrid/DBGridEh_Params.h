// The data grid's parameter objects: title, indicator and footer parameters, tree view,
// empty-data text, highlight requests and the other small settings objects of the grid.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"

#include <memory>

class TCustomDBGridEh;
class TColumnsEhList;
class TCustomImageList;
class TPopupMenu;

// ============================================================================================
// What the title, indicator and footer parameters share: their lines, fill style and font
// ============================================================================================

// A setting that follows a default derived from the grid until it is written ("stored").
// The switch itself never goes into a form stream; the setting only while the switch is on.
// Line colours read their default while they are clDefault; the default is the grid line
// parameters' DarkColor.
class TDBGridAreaParamsEh : public TPersistent {
    DOV_PERSISTENT(TDBGridAreaParamsEh, TPersistent)
public:
    // WithFont: the area has a font that follows the grid's while ParentFont.
    TDBGridAreaParamsEh(TCustomDBGridEh* AGrid, bool WithFont);
    ~TDBGridAreaParamsEh() override;

    TCustomDBGridEh* Grid() const { return FGrid; }
    TPersistent* GetOwner() const override;

    TColor VertLineColor() const { return GetVertLineColor(); }
    void SetVertLineColor(TColor Value);
    TColor GetVertLineColor() const;
    TColor DefaultVertLineColor() const;
    bool IsVertLineColorStored() const { return FVertLineColor != clDefault; }
    TColor HorzLineColor() const { return GetHorzLineColor(); }
    void SetHorzLineColor(TColor Value);
    TColor GetHorzLineColor() const;
    TColor DefaultHorzLineColor() const;
    bool IsHorzLineColorStored() const { return FHorzLineColor != clDefault; }

    bool VertLines() const;
    void SetVertLines(bool Value);
    bool VertLinesStored() const { return FVertLinesStored; }
    void SetVertLinesStored(bool Value);
    bool DefaultVertLines() const;
    bool HorzLines() const;
    void SetHorzLines(bool Value);
    bool HorzLinesStored() const { return FHorzLinesStored; }
    void SetHorzLinesStored(bool Value);
    bool DefaultHorzLines() const;

    TGridCellFillStyleEh FillStyle() const { return FFillStyle; }
    void SetFillStyle(TGridCellFillStyleEh Value);
    // The style the area is actually filled with (own style resolved against themes and options).
    virtual TGridCellFillStyleEh GetActualFillStyle() const;

    // nullptr for an area without a font.
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    bool IsFontStored() const { return !FParentFont; }
    // While ParentFont, the font takes the grid's again (the grid's font changed).
    void RefreshDefaultFont();

protected:
    // The grid option that raises the area (dghFixed3D, or dghFooter3D for the footer).
    virtual bool Raised3D() const;
    // A line switch changed: repaint; the title relayouts with multi-line titles.
    virtual void LinesChanged();
    // The own font changed: relayout.
    virtual void FontChanged();
    // Copies the shared settings: own line colours, stored line switches, fill style, own font.
    void AssignArea(const TDBGridAreaParamsEh* Source);
    void Invalidate() const;
    void LayoutChanged() const;
    bool GridLoading() const;
    // The fill style without the title's conversion of an own themed style.
    TGridCellFillStyleEh ResolveFillStyle(TGridCellFillStyleEh Own) const;

    TCustomDBGridEh* FGrid;

private:
    void OwnFontChanged(TObject* Sender);

    TColor FVertLineColor = clDefault;
    TColor FHorzLineColor = clDefault;
    bool FVertLines = false;
    bool FVertLinesStored = false;
    bool FHorzLines = false;
    bool FHorzLinesStored = false;
    TGridCellFillStyleEh FFillStyle = cfstDefaultEh;
    TFont* FFont = nullptr;
    bool FParentFont = true;
    bool FFontFromGrid = false;
};

// ============================================================================================
// TDBGridTitleParamsEh (grid property TitleParams)
// ============================================================================================

// The popup menu and the image list are dropped when they are freed.
class TDBGridTitleParamsEh : public TDBGridAreaParamsEh {
    DOV_PERSISTENT(TDBGridTitleParamsEh, TDBGridAreaParamsEh)
public:
    explicit TDBGridTitleParamsEh(TCustomDBGridEh* AGrid);
    ~TDBGridTitleParamsEh() override;

    void Assign(TPersistent* Source) override;
    TGridCellFillStyleEh GetActualFillStyle() const override;

    TColor Color() const;
    void SetColor(TColor Value);
    bool ColorStored() const { return FColorStored; }
    void SetColorStored(bool Value);
    TColor DefaultColor() const;
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    TColor SecondColor() const;
    void SetSecondColor(TColor Value);
    bool SecondColorStored() const { return FSecondColorStored; }
    void SetSecondColorStored(bool Value);
    TColor DefaultSecondColor() const;
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    bool MultiTitle() const { return FMultiTitle; }
    void SetMultiTitle(bool Value);
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int Value);
    int RowLines() const { return FRowLines; }
    void SetRowLines(int Value);
    TSortMarkerStyleEh SortMarkerStyle() const;
    void SetSortMarkerStyle(TSortMarkerStyleEh Value);
    bool SortMarkerStyleStored() const { return FSortMarkerStyleStored; }
    void SetSortMarkerStyleStored(bool Value);
    TSortMarkerStyleEh DefaultSortMarkerStyle() const;
    int VTitleMargin() const { return FVTitleMargin; }
    void SetVTitleMargin(int Value);
    bool BorderInFillStyle() const { return FBorderInFillStyle; }
    void SetBorderInFillStyle(bool Value);

protected:
    void LinesChanged() override;
    void FontChanged() override;

private:
    class TRefWatcher;
    friend class TRefWatcher;
    void Watch(TComponent* Old, TComponent* New);
    void ComponentRemoved(TComponent* AComponent);

    TRefWatcher* FWatcher;
    TColor FColor = clBtnFace;
    bool FColorStored = false;
    TPopupMenu* FPopupMenu = nullptr;
    TColor FSecondColor = clWindow;
    bool FSecondColorStored = false;
    TCustomImageList* FImages = nullptr;
    bool FMultiTitle = false;
    int FRowHeight = 0;
    int FRowLines = 0;
    TSortMarkerStyleEh FSortMarkerStyle = smstDefaultEh;
    bool FSortMarkerStyleStored = false;
    int FVTitleMargin = 10;
    bool FBorderInFillStyle = false;
};

// ============================================================================================
// TDBGridIndicatorParamsEh (grid property IndicatorParams)
// ============================================================================================

class TDBGridIndicatorParamsEh : public TDBGridAreaParamsEh {
    DOV_PERSISTENT(TDBGridIndicatorParamsEh, TDBGridAreaParamsEh)
public:
    explicit TDBGridIndicatorParamsEh(TCustomDBGridEh* AGrid);

    void Assign(TPersistent* Source) override;

    TColor Color() const;
    void SetColor(TColor Value);
    bool ColorStored() const { return FColorStored; }
    void SetColorStored(bool Value);
    TColor DefaultColor() const;
    // The step between rows whose record number the indicator shows. Kept as written: the
    // painting treats a step below 1 as 1.
    int RecNoShowStep() const { return FRecNoShowStep; }
    void SetRecNoShowStep(int Value);

private:
    TColor FColor = clBtnFace;
    bool FColorStored = false;
    int FRecNoShowStep = 1;
};

// ============================================================================================
// TDBGridFooterParamsEh (grid property FooterParams)
// ============================================================================================

class TDBGridFooterParamsEh : public TDBGridAreaParamsEh {
    DOV_PERSISTENT(TDBGridFooterParamsEh, TDBGridAreaParamsEh)
public:
    explicit TDBGridFooterParamsEh(TCustomDBGridEh* AGrid);

    void Assign(TPersistent* Source) override;

    // clDefault: the grid's Color. GetColor is also the default colour of every column footer.
    TColor Color() const { return GetColor(); }
    void SetColor(TColor Value);
    TColor GetColor() const;
    bool IsColorStored() const { return FColor != clDefault; }
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int Value);
    int RowLines() const { return FRowLines; }
    void SetRowLines(int Value);

protected:
    bool Raised3D() const override;

private:
    TColor FColor = clDefault;
    int FRowHeight = 0;
    int FRowLines = 0;
};

// ============================================================================================
// TDBGridLineParamsEh (grid property GridLineParams)
// ============================================================================================

// The axis grid's line parameters with the data grid's defaults.
class TDBGridLineParamsEh : public TDBAxisGridLineParamsEh {
    DOV_PERSISTENT(TDBGridLineParamsEh, TDBAxisGridLineParamsEh)
public:
    explicit TDBGridLineParamsEh(TCustomDBGridEh* AGrid);

    TCustomDBGridEh* Grid() const;
    bool DefaultDataHorzLines() override;
    bool DefaultDataVertLines() override;
    TDBGridLinesColorSchemeEh GetActualColorScheme() override;
    TColor GetVertAreaContraVertColor() override;
    // The grid's options are applied again, so the base grid's options follow the boundaries.
    void SetGridBoundaries(bool Value) override;
    // Leaving dessNonEh turns dghExtendVertLines on, returning to it turns it off.
    void SetVertEmptySpaceStyle(TDrawEmptySpaceStyle Value) override;
};

// ============================================================================================
// TGridTreeViewParamsEh (grid property TreeViewParams)
// ============================================================================================

class TGridTreeViewParamsEh : public TPersistent {
    DOV_PERSISTENT(TGridTreeViewParamsEh, TPersistent)
public:
    explicit TGridTreeViewParamsEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}

    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override;

    TTreeViewGlyphStyleEh GlyphStyle() const { return FGlyphStyle; }
    void SetGlyphStyle(TTreeViewGlyphStyleEh Value);
    bool ShowTreeLines() const { return FShowTreeLines; }
    void SetShowTreeLines(bool Value);
    // GlyphStyle unless tvgsDefaultEh, else the grid style's.
    TTreeViewGlyphStyleEh GetActualGlyphStyle() const;

private:
    TCustomDBGridEh* FGrid;
    TTreeViewGlyphStyleEh FGlyphStyle = tvgsDefaultEh;
    bool FShowTreeLines = true;
};

// ============================================================================================
// TDBGridBackgroundDataEh (grid property BackgroundData)
// ============================================================================================

class TDBGridBackgroundDataEh : public TGridBackgroundDataEh {
    DOV_PERSISTENT(TDBGridBackgroundDataEh, TGridBackgroundDataEh)
public:
    explicit TDBGridBackgroundDataEh(TCustomDBGridEh* AGrid);

    void Assign(TPersistent* Source) override;
    // The base rectangle less the areas excluded: titles, indicator, footer rows.
    TRect BoundRect() override;

    bool ExcludeTitle() const { return FExcludeTitle; }
    void SetExcludeTitle(bool Value);
    bool ExcludeIndicator() const { return FExcludeIndicator; }
    void SetExcludeIndicator(bool Value);
    bool ExcludeFooter() const { return FExcludeFooter; }
    void SetExcludeFooter(bool Value);

private:
    bool FExcludeTitle = false;
    bool FExcludeIndicator = false;
    bool FExcludeFooter = false;
};

// ============================================================================================
// TGridEmptyDataInfoEh (grid property EmptyDataInfo)
// ============================================================================================

// The text painted in the middle of a grid whose dataset is open and empty.
class TGridEmptyDataInfoEh : public TPersistent {
    DOV_PERSISTENT(TGridEmptyDataInfoEh, TPersistent)
public:
    explicit TGridEmptyDataInfoEh(TCustomDBGridEh* AGrid);
    ~TGridEmptyDataInfoEh() override;

    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    // While ParentFont, refreshed from the grid's font on every read.
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    bool IsFontStored() const { return !FParentFont; }
    QString Text() const { return FText; }
    void SetText(const QString& Value);

    // Text, or "Нет данных" when it is empty.
    QString EffectiveText() const;
    // Active, a text to show, and the grid's dataset open and empty (a dataset whose controls
    // are disabled is not read: nothing shows).
    bool Showing() const;
    // The text centred in the grid's client area on its own background.
    void PaintEmptyDataInfo();
    // The rectangle PaintEmptyDataInfo fills (without the frame).
    TRect InfoRect() const;
    // While ParentFont: the grid font's size, name and character set (not its colour).
    void RefreshDefaultFont() const;

private:
    void OwnFontChanged(TObject* Sender);

    TCustomDBGridEh* FGrid;
    bool FActive = false;
    TFont* FFont = nullptr;
    bool FParentFont = true;
    bool FFontFromGrid = false;
    QString FText;
};

// ============================================================================================
// TDBGridEhIndicatorTitle
// ============================================================================================

// The indicator's title cell: whether it acts as a button that opens the indicator menu.
class TDBGridEhIndicatorTitle : public TPersistent {
    DOV_PERSISTENT(TDBGridEhIndicatorTitle, TPersistent)
public:
    explicit TDBGridEhIndicatorTitle(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}

    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override;

    bool ShowDropDownSign() const { return FShowDropDownSign; }
    void SetShowDropDownSign(bool Value);
    bool TitleButton = false;
    bool UseGlobalMenu = true;

private:
    TCustomDBGridEh* FGrid;
    bool FShowDropDownSign = false;
};

// ============================================================================================
// TGridHighlightTextParamsEh
// ============================================================================================

// A request to highlight matching text in some columns (the lookup grid makes them).
class TGridHighlightTextParamsEh : public TPersistent {
    DOV_PERSISTENT(TGridHighlightTextParamsEh, TPersistent)
public:
    TGridHighlightTextParamsEh();
    ~TGridHighlightTextParamsEh() override;

    TColumnsEhList* ColumnsList() const { return FColumnsList.get(); }
    // Copies the items of Value.
    void SetColumnsList(TColumnsEhList* Value);

private:
    std::unique_ptr<TColumnsEhList> FColumnsList;
};
