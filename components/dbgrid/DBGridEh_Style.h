// The data grid's drawing style, shared by every grid that takes the process-wide default.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "platform/vcl/Themes.h"
#include "DBGridEh_Columns.h"

struct TDBGirdDrawTitleStateEh;

DOV_ENUM_INFO(TSortMarkerStyleEh, smstDefaultEh, smstClassicEh, smst3DFrameEh, smstFrameEh, smstSolidEh,
              smstThemeDefinedEh)


// The theme element a themed title cell imitates.
enum TGridThemeTitleFillElementEh { gtfeHeaderItemEh, gtfeSplitButtonEh };
DOV_ENUM_INFO(TGridThemeTitleFillElementEh, gtfeHeaderItemEh, gtfeSplitButtonEh)

// Where a cell lies: in the indicator column or a data column, and in which band of rows.
enum THorzCellAreaTypeEh : uint8_t { hctIndicatorEh, hctDataEh };
DOV_ENUM_INFO(THorzCellAreaTypeEh, hctIndicatorEh, hctDataEh)
enum TVertCellAreaTypeEh : uint8_t { vctTitleEh, vctSubTitleEh, vctDataEh, vctAboveFooterEh, vctFooterEh };
DOV_ENUM_INFO(TVertCellAreaTypeEh, vctTitleEh, vctSubTitleEh, vctDataEh, vctAboveFooterEh, vctFooterEh)
struct TCellAreaTypeEh {
    THorzCellAreaTypeEh HorzType = hctDataEh;
    TVertCellAreaTypeEh VertType = vctDataEh;
    bool operator==(const TCellAreaTypeEh&) const = default;
};

// How the background of a fixed cell (title, indicator, footer) is to be drawn.
struct TDBGirdDrawFixedStateEh {
    bool Pressed = false;
    bool Selected = false;
    bool HotTrack = false;
    bool The3DRect = false;
    TGridCellFillStyleEh FillStyle = cfstDefaultEh;
    TColor FillColor = clBtnFace;
    TColor StartGradientColor = clDefault;
    TColor EndGradientColor = clDefault;
    bool DrawByThemesOverLines = false;
    TColor FontColor = clWindowText;
    bool VertBorderInFillStyle = false;
    bool HorzBorderInFillStyle = false;
    TColor HorzLineColor = clNone;
    TColor VertLineColor = clNone;
    TRect ClipRect;
};

// The theme element of a themed title cell and the state it is drawn in.
struct TThemeTitleFillDetailsEh {
    TGridThemeTitleFillElementEh Element = gtfeHeaderItemEh;
    TThemedPartState State = tpsNormal;
    bool operator==(const TThemeTitleFillDetailsEh&) const = default;
};

using TDBGridEhGetColorEvent = Delegate<void(TCustomDBGridEh* Grid, TColor& Color)>;

// ============================================================================================
// TDBGridEhStyle (DBGridEh_Style.cpp)
// ============================================================================================

// The drawing decisions every data grid of the process shares: selection colours and the rules
// that colour selected, current and hot-tracked cells, sort markers, fixed-cell backgrounds and
// a few sizes. Grids register with it and are told of each change that affects painting.
class TDBGridEhStyle : public TComponent {
    DOV_PERSISTENT(TDBGridEhStyle, TComponent)
public:
    explicit TDBGridEhStyle(TComponent* AOwner);
    ~TDBGridEhStyle() override;
    void AfterConstruction() override;

    // ---- change notifications ----
    void Changed();
    void AddChangeNotification(TCustomDBGridEh* Grid);
    void RemoveChangeNotification(TCustomDBGridEh* Grid);
    bool GridInChangeNotification(TCustomDBGridEh* Grid) const;

    // ---- properties ----
    bool LuminateSelection() const { return FLuminateSelection; }
    void SetLuminateSelection(bool Value);
    bool IsDrawFocusRect();
    void SetIsDrawFocusRect(bool Value);
    bool IsDrawFocusRectStored() const { return FIsDrawFocusRectStored; }
    TEditButtonStyleEh InTitleFitlerButtonStyle() const { return FInTitleFitlerButtonStyle; }
    void SetInTitleFitlerButtonStyle(TEditButtonStyleEh Value) { FInTitleFitlerButtonStyle = Value; }
    TGridThemeTitleFillElementEh ThemeTitleFillElement() const { return FThemeTitleFillElement; }
    void SetThemeTitleFillElement(TGridThemeTitleFillElementEh Value) { FThemeTitleFillElement = Value; }
    TDBGridEhGetColorEvent OnGetSubtitleRowColor;
    TColor SelectionColor() const { return FSelectionColor; }
    void SetSelectionColor(TColor Value);
    TColor SelectionFontColor() const { return FSelectionFontColor; }
    void SetSelectionFontColor(TColor Value);
    TColor SelectionInactiveColor() const { return FSelectionInactiveColor; }
    void SetSelectionInactiveColor(TColor Value) { FSelectionInactiveColor = Value; }
    TSortMarkerStyleEh SortMarkerStyle() const { return FSortMarkerStyle; }
    void SetSortMarkerStyle(TSortMarkerStyleEh Value);
    int DataCellHorzOffset() const { return FDataCellHorzOffset; }
    void SetDataCellHorzOffset(int Value) { FDataCellHorzOffset = Value; }
    bool GradientEnabledInClassicTheme() const { return FGradientEnabledInClassicTheme; }
    void SetGradientEnabledInClassicTheme(bool Value);
    TSortMarkerStyleEh DefaultSortMarkerStyle() const { return FDefaultSortMarkerStyle; }
    void SetDefaultSortMarkerStyle(TSortMarkerStyleEh Value) { FDefaultSortMarkerStyle = Value; }
    int StartLoadingStatusRenderDuration() const { return FStartLoadingStatusRenderDuration; }
    void SetStartLoadingStatusRenderDuration(int Value) { FStartLoadingStatusRenderDuration = Value; }
    int FinishLoadingStatusRenderDuration() const { return FFinishLoadingStatusRenderDuration; }
    void SetFinishLoadingStatusRenderDuration(int Value) { FFinishLoadingStatusRenderDuration = Value; }

    // The hidden window that hears of system colour changes.
    HWND WindowHandle() const;

    // ---- virtual operations, in slot order ----
    // Colours a data cell; True when it is drawn highlighted (selected, current or in the
    // current row). Value is the cell's text (not used).
    virtual bool HighlightDataCellColor(TCustomDBGridEh* Grid, int ACol, int ARow, int DataCol, int DataRow,
                                        const QString& Value, TGridDrawState AState, bool CellMultiSelected,
                                        TColor& AColor, TFont* AFont);
    // Colours a title, sub-title, indicator or footer cell that the selection holds.
    virtual bool HighlightNonDataCellColor(TCustomDBGridEh* Grid, int ACol, int ARow, int DataCol, int DataRow,
                                           TCellAreaTypeEh CellType, TGridDrawState AState,
                                           bool CellMultiSelected, TColor& AColor, TFont* AFont);
    virtual bool DefaultIsDrawFocusRect();
    virtual void WndProc(TMessage& Message);
    virtual void SysColorChanged();
    virtual TColor LightenColor(TColor AColor, TColor GlassColor, bool Ungray);
    virtual TColor GetColumnFontColor(TColumnEh* Column, TGridDrawState AState);
    virtual TColor GetColumnColor(TColumnEh* Column);
    virtual TColor GetSubtitleRowColor(TCustomDBGridEh* Grid);
    virtual TColor DefaultGetSubtitleRowColor(TCustomDBGridEh* Grid);
    virtual TColor GetGroupPanelColor(TCustomDBGridEh* Grid);
    virtual TColor GetSelectionColor();
    virtual TColor GetSelectionFontColor();
    virtual TColor GetSelectionInactiveColor();
    virtual TSize GetSortMarkerSize(TCanvas* Canvas, TSortMarkerStyleEh SMStyle);
    virtual int GetDataCellHorzOffset(TCustomDBGridEh* Grid, TColumnEh* Column);
    virtual TTreeViewGlyphStyleEh GetActualTreeGlyphStyle();
    virtual void DrawCustomStyleCellBackground(TCustomDBGridEh* Grid, TCanvas* Canvas, const TRect& ARect,
                                               TGridCellFillStyleEh FillStyle, TColor AColor,
                                               TGridDrawState AState, int ACol, int ARow, bool CellPressed,
                                               const TRect& ClipRect);
    virtual void DrawTitleCellBackground(TCustomDBGridEh* Grid, TColumnEh* Column, TCanvas* Canvas,
                                         const TRect& ARect, bool FillInside, TRect& InsideRect,
                                         TGridDrawState AState, const TDBGirdDrawTitleStateEh& ATitleState,
                                         const TRect& ClipRect);
    virtual void DrawFixedCellBackground(TCustomDBGridEh* Grid, TCanvas* Canvas, const TRect& ARect,
                                         bool FillInside, TRect& InsideRect, TGridDrawState AState,
                                         TDBGirdDrawFixedStateEh& AFixedState);
    virtual void GetSortMarkerColors(TSortMarkerStyleEh SMStyle, TColumnEh* Column, TSortMarkerEh Direction,
                                     bool Selected, TColor& FrameBrightColor, TColor& FrameDarkColor,
                                     TColor& FillColor);
    virtual void DrawSortMarkerNew(TCanvas* Canvas, TSortMarkerStyleEh SMStyle, TSortMarkerEh Direction,
                                   bool Selected, const TRect& ARect, TColor FrameBrightColor,
                                   TColor FrameDarkColor, TColor FillColor);
    virtual void GetDefaultFixedGradientColor(TColor& AStartColor, TColor& AEndColor, bool IsTrack,
                                              bool IsPressed);
    virtual void GetCustomStyleFixedColors(TColor& AFillColor, TColor& ATextColor, TColor& AStartColor,
                                           TColor& AEndColor, TGridCellFillStyleEh FillStyle, bool IsTrack,
                                           bool IsPressed);

    // ---- static operations ----
    bool IsCustomStyleActive();
    TThemeTitleFillDetailsEh GetThemeTitleFillElement(bool AIsDown, bool AIsSelected);
    void GetThemeTitleFillRect(TRect& AFillRect, bool IncVerBoundary, bool IncHorzBoundary);
    void DrawSortMarker(TCanvas* Canvas, TSortMarkerStyleEh SMStyle, TColumnEh* Column, TSortMarkerEh Direction,
                        bool Selected, const TRect& ARect);

private:
    struct TStyleWindow;
    // The style a marker is actually drawn in, with the grid of the column for the colours.
    TSortMarkerStyleEh ActualSortMarkerStyle(TSortMarkerStyleEh SMStyle) const;
    void DrawMarkerShape(TCanvas* Canvas, TSortMarkerStyleEh SMStyle, TSortMarkerEh Direction, const TRect& ARect,
                         TColor FrameBrightColor, TColor FrameDarkColor, TColor FillColor);

    std::vector<TCustomDBGridEh*> FGrids;
    bool FLuminateSelection = true;
    std::unique_ptr<TStyleWindow> FWindowHandle;
    bool FIsDrawFocusRect = true;
    TEditButtonStyleEh FInTitleFitlerButtonStyle = ebsDropDownEh;
    TGridThemeTitleFillElementEh FThemeTitleFillElement = gtfeHeaderItemEh;
    TColor FSelectionColor = clDefault;
    TColor FSelectionFontColor = clDefault;
    TColor FSelectionInactiveColor = clDefault;
    TSortMarkerStyleEh FSortMarkerStyle = smstDefaultEh;
    bool FGradientEnabledInClassicTheme = false;
    int FDataCellHorzOffset = -1;
    TSortMarkerStyleEh FDefaultSortMarkerStyle = smstFrameEh;
    int FFinishLoadingStatusRenderDuration = 500;
    int FStartLoadingStatusRenderDuration = 300;
    bool FIsDrawFocusRectStored = false;
};

// The process-wide default style: made on first use (or by the unit's start-up), freed by
// FreeDBGridEhDefaultStyle; destroying it some other way clears the reference.
TDBGridEhStyle* DBGridEhDefaultStyle();
// Replaces the default (tests); the caller keeps ownership of Value.
void SetDBGridEhDefaultStyle(TDBGridEhStyle* Value);
void FreeDBGridEhDefaultStyle();

// The screen's colour count as the style last measured it: -1 for more than 256 colours, where
// the tints of the selection rules apply; any other value means plain system colours.
int ScreenNumColors();
// Overrides the measured value until the next system colour change (tests of poor screens).
void SetScreenNumColors(int Value);
