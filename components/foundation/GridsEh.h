// The base grid of the component library: axis geometry with fixed, rolling and contra cells,
// 64-bit pixel scroll positions, painting in nine regions, scrolling, keyboard and mouse,
// sizing and moving of rows and columns, and the in-place editor.
// The unit is split: GridsEh_Axis.cpp (geometry), GridsEh_Params.cpp (parameter objects and
// draw style), GridsEh_Grid.cpp (structure), GridsEh_Scroll.cpp, GridsEh_Paint.cpp, ...
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"
#include "PlatformBridgeEh.h"
#include "ToolCtrlsEh.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/ScrollBars.h"

#include <cstdint>
#include <memory>
#include <vector>

class TCustomGridEh;
class TGridAxisDataEh;

using TIntegerDynArray = std::vector<int32_t>;
using TInt64DynArray = std::vector<int64_t>;

struct TGridCoord {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TGridCoord&) const = default;
};

struct TGridRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

TGridCoord GridCoord(int ACol, int ARow);
TGridRect NormalizedGridRect(TGridCoord Coord1, TGridCoord Coord2);
bool PointInGridRect(int Col, int Row, const TGridRect& Rect);

// Extents routines on integer arrays; errors are raised before anything changes.
void ArrayFillRange(TIntegerDynArray& Extents, int StartIndex, int Count, int Value);
// Takes the element at FromIndex out and puts it at ToIndex, shifting the ones between.
void ArrayMoveExtent(TIntegerDynArray& Extents, int FromIndex, int ToIndex);
// The last cell whose start is <= Pos and the offset of Pos in it (see TGridAxisDataEh).
void FindPosInPosArray(const TInt64DynArray& PosArr, int64_t Pos, int& ACel, int& ACelOffset);
bool AxisCelLensEqual(TGridAxisDataEh* Axis1, TGridAxisDataEh* Axis2);

// Bad cell indexes of a grid.
class EInvalidGridOperationEh : public Exception {
public:
    using Exception::Exception;
};

enum TScrollStepTypeEh { sstByPixelEh, sstByCellEh };

// What an axis tells its grid. The grid implements it; tests can supply their own.
class TGridAxisOwnerEh {
public:
    virtual ~TGridAxisOwnerEh() = default;
    virtual void AxisExtentChanged(TGridAxisDataEh* Axis, int Index) = 0;
    virtual void ClampCurrentCell() = 0;
    virtual void UpdateBoundaries() = 0;
    virtual void CelMoved(TGridAxisDataEh* Axis, int FromIndex, int ToIndex) = 0;
    virtual void AxisScrollPosChanged(TGridAxisDataEh* Axis, int64_t OldPos) = 0;
    virtual void CellPositionsUpdated() = 0;
    virtual void CheckUpdateCellPositions() = 0;
};

// Geometry of one axis: fixed cells, rolling (scrollable) cells, contra (trailing) cells.
// Rolling positions are 64-bit prefix sums rebuilt lazily from the lowest changed index.
class TGridAxisDataEh : public TPersistent {
public:
    explicit TGridAxisDataEh(TGridAxisOwnerEh* AGrid);
    ~TGridAxisDataEh() override = default;

    TGridAxisOwnerEh* Grid() const { return FGrid; }

    // ---- lengths ----
    int GetCelLens(int Index) const;
    void SetCelLens(int Index, int Value);
    int CelLens(int Index) const { return GetCelLens(Index); }
    int GetFixedCelLens(int Index) const { return FFixedCelLens[size_t(Index)]; }
    int GetRolCelLens(int Index) const { return FRolCelLens[size_t(Index)]; }
    int GetContraCelLens(int Index) const { return FContraCelLens[size_t(Index)]; }
    int FixedCelLens(int Index) const { return GetFixedCelLens(Index); }
    int RolCelLens(int Index) const { return GetRolCelLens(Index); }
    int ContraCelLens(int Index) const { return GetContraCelLens(Index); }
    void SetFixedCelLens(int Index, int Value);
    void SetRolCelLens(int Index, int Value);
    void SetContraCelLens(int Index, int Value);
    int64_t GetRolLocCelPosArr(int Index);
    int64_t RolLocCelPosArr(int Index) { return GetRolLocCelPosArr(Index); }

    // ---- counts ----
    int FixedCelCount() const { return FFixedCelCount; }
    int FrozenCelCount() const { return FFrozenCelCount; }
    void SetFrozenCelCount(int Value);
    int RolCelCount() const { return FRolCelCount; }
    void SetRolCelCount(int Value);
    int ContraCelCount() const { return FContraCelCount; }
    void SetContraCelCount(int Value);
    int GetCelCount() const { return FFixedCelCount + FRolCelCount; }
    int CelCount() const { return GetCelCount(); }
    int FullCelCount() const { return GetCelCount() + FContraCelCount; }
    // Used by the grid's fixed-count setters: resizes the fixed lengths, new cells get Len.
    void SetFixedCelCountInternal(int Value, int Len);

    // Every cell, fixed, rolling and contra, takes the length Value, which becomes the default.
    void SetAllCelLens(int Value);
    void InsertRolCels(int Index, int Count);
    void DeleteRolCels(int Index, int Count);
    void MoveCel(int FromIndex, int ToIndex);

    // ---- client coordinates (written by the grid's UpdateBoundaries) ----
    int WinClientBoundSta() const { return FWinClientBoundSta; }
    int WinClientBoundSto() const { return FWinClientBoundSto; }
    int GetGridClientStart();
    int GetGridClientStop();
    int GridClientStart() { return GetGridClientStart(); }
    int GridClientStop() { return GetGridClientStop(); }
    int GetGridClientLen() { return GetGridClientStop() - GetGridClientStart(); }
    int GridClientLen() { return GetGridClientLen(); }
    int FixedBoundary() const { return FFixedBoundary; }
    int GetRolClientLen() const;
    int RolClientLen() const { return GetRolClientLen(); }
    int ContraStart() const { return FContraStart; }
    int ContraLen() const { return FContraLen; }
    int FrozenLen() const { return FFrozenLen; }

    // ---- scrolling ----
    int64_t RolStartVisPos() const { return FRolStartVisPos; }
    void SetRolStartVisPos(int64_t Value);
    int64_t RolStopVisPos() { return GetRolLen() + FRolStartVisPos; }
    int64_t GetRolLen();
    int64_t RolLen() { return GetRolLen(); }
    int RolInClientBoundary();
    int RolStartVisCel() { CheckUpdateRolCelPosArr(); return FRolStartVisCel; }
    int RolStartVisCelOfst() { CheckUpdateRolCelPosArr(); return FRolStartVisCelOfst; }
    int RolLastVisCel() { CheckUpdateRolCelPosArr(); return FRolLastVisCel; }
    int RolLastFullVisCel() { CheckUpdateRolCelPosArr(); return FRolLastFullVisCel; }
    int GetStartVisCel() { return RolStartVisCel() + FFixedCelCount; }
    int StartVisCel() { return GetStartVisCel(); }
    int DefaultCelLen() const { return FDefaultCelLen; }
    void SetDefaultCelLen(int Value) { FDefaultCelLen = Value; }
    int GetScrollStep() const;
    void RolCellAtPos(int64_t Pos, int& ACel, int& ACelOffset);
    int64_t CheckRolStartVisPos(int64_t ARolStartVisPos);
    int CalcMaxStartCellFor(int RolFinishCell);
    void SafeSetRolStartVisCel(int NewStartCell, TScrollStepTypeEh ScrollStepType);

    int RightToLeftReflect(int APos) const { return (FWinClientBoundSto - FWinClientBoundSta) - APos; }
    void SwapRightToLeftPoses(int& Pos1, int& Pos2) const;

    // ---- upkeep ----
    bool RolLocCelPosArrObsolete() const { return FRolLocCelPosArrObsolete; }
    void CheckUpdateRolCelPosArr();
    void UpdateRolCelPosArr();
    void UpdateVisCells();
    void CalcRolLastVisCels();
    void CheckUpdateAxises();

    // ---- written by the grid's UpdateBoundaries ----
    int FContraStart = 0;
    int FGridClientStop = 0;
    int FGridClientStart = 0;
    int FFixedBoundary = 0;
    int FWinClientBoundSto = 0;
    int FWinClientBoundSta = 0;
    int FFrozenLen = 0;
    int FContraLen = 0;

protected:
    void MarkPositionsObsolete(int FromIndex);

    TGridAxisOwnerEh* FGrid;
    TIntegerDynArray FFixedCelLens;
    TIntegerDynArray FRolCelLens;
    TIntegerDynArray FContraCelLens;
    TInt64DynArray FRolLocCelPosArr;
    bool FRolLocCelPosArrObsolete = false;
    // Positions below this index are still valid while the array is obsolete.
    int FObsoleteFrom = 0;
    int FContraCelCount = 0;
    int FFixedCelCount = 0;
    int FRolCelCount = 0;
    int64_t FRolStartVisPos = 0;
    int FRolStartVisCel = 0;
    int FRolStartVisCelOfst = 0;
    int FDefaultCelLen = 0;
    int FFrozenCelCount = 0;
    int FRolLastFullVisCel = -1;
    int FRolLastVisCel = -1;
};

// ============================================================================================
// Grid types
// ============================================================================================

enum TGridOptionEh {
    goFixedVertLineEh, goFixedHorzLineEh, goVertLineEh, goHorzLineEh, goDrawFocusSelectedEh, goRowSizingEh,
    goColSizingEh, goRowMovingEh, goColMovingEh, goEditingEh, goTabsEh, goRowSelectEh, goAlwaysShowEditorEh,
    goThumbTrackingEh, goExtendVertLinesEh, goContraVertBoundaryLineEh, goContraHorzBoundaryLineEh, goRangeSelectEh
};
DOV_ENUM_INFO(TGridOptionEh, goFixedVertLineEh, goFixedHorzLineEh, goVertLineEh, goHorzLineEh, goDrawFocusSelectedEh,
              goRowSizingEh, goColSizingEh, goRowMovingEh, goColMovingEh, goEditingEh, goTabsEh, goRowSelectEh,
              goAlwaysShowEditorEh, goThumbTrackingEh, goExtendVertLinesEh, goContraVertBoundaryLineEh,
              goContraHorzBoundaryLineEh, goRangeSelectEh)
using TGridOptionsEh = TSet<TGridOptionEh>;

enum TGridStateEh { gsNormalEh, gsSelectingEh, gsRowSizingEh, gsColSizingEh, gsRowMovingEh, gsColMovingEh };
DOV_ENUM_INFO(TGridStateEh, gsNormalEh, gsSelectingEh, gsRowSizingEh, gsColSizingEh, gsRowMovingEh, gsColMovingEh)

#ifndef DOV_TGRIDDRAWSTATE_DECLARED
#define DOV_TGRIDDRAWSTATE_DECLARED
enum TGridDrawStateItem { gdSelected, gdFocused, gdCurrent, gdFixed, gdRowSelected, gdHotTrack, gdPressed };
DOV_ENUM_INFO(TGridDrawStateItem, gdSelected, gdFocused, gdCurrent, gdFixed, gdRowSelected, gdHotTrack, gdPressed)
using TGridDrawState = TSet<TGridDrawStateItem>;
#endif

enum TGridCellBorderTypeEh { cbtTopEh, cbtLeftEh, cbtBottomEh, cbtRightEh };
DOV_ENUM_INFO(TGridCellBorderTypeEh, cbtTopEh, cbtLeftEh, cbtBottomEh, cbtRightEh)

#ifndef DOV_TSIZEGRIPPOSITION_DECLARED
#define DOV_TSIZEGRIPPOSITION_DECLARED
enum TSizeGripPosition { sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft };
DOV_ENUM_INFO(TSizeGripPosition, sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft)
#endif
#ifndef DOV_TGRIPACTIVESTATUSEH_DECLARED
#define DOV_TGRIPACTIVESTATUSEH_DECLARED
enum TGripActiveStatusEh { gasNeverEh, gasAutoEh, gasAlwaysEh };
DOV_ENUM_INFO(TGripActiveStatusEh, gasNeverEh, gasAutoEh, gasAlwaysEh)
#endif

using TGridEhCellMouseEvent = Delegate<void(TCustomGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                            TShiftState Shift, int X, int Y, bool& Processed)>;

// ============================================================================================
// Parameter objects and the draw style (GridsEh_Params.cpp)
// ============================================================================================

class TGridLineColorsEh : public TPersistent {
public:
    explicit TGridLineColorsEh(TCustomGridEh* AGrid) : FGrid(AGrid) {}

    virtual TColor GetAreaLineColor(int ACol, int ARow);
    virtual TColor GetVertLineColor(int ACol);
    virtual TColor GetHorzLineColor(int ARow);
    virtual TColor GetFrozenVertLineColor(int ACol);
    virtual TColor GetFrozenHorzLineColor(int ARow);
    virtual TColor GetVertAreaFrozenVertColor() { return Or(FVertAreaFrozenVertColor, GetBrightColor()); }
    virtual TColor GetVertAreaFrozenHorzColor() { return Or(FVertAreaFrozenHorzColor, GetBrightColor()); }
    virtual TColor GetHorzAreaFrozenVertColor() { return Or(FHorzAreaFrozenVertColor, GetBrightColor()); }
    virtual TColor GetHorzAreaFrozenHorzColor() { return Or(FHorzAreaFrozenHorzColor, GetBrightColor()); }
    virtual TColor GetVertAreaFrozenBorderColor() { return Or(FVertAreaFrozenBorderColor, GetDarkColor()); }
    virtual TColor GetHorzAreaFrozenBorderColor() { return Or(FHorzAreaFrozenBorderColor, GetDarkColor()); }
    virtual TColor GetDataVertColor() { return Or(FDataVertColor, GetBrightColor()); }
    virtual TColor GetDataHorzColor() { return Or(FDataHorzColor, GetBrightColor()); }
    virtual TColor GetDarkColor();
    virtual TColor GetBrightColor();
    virtual TColor GetFixedVertColor() { return Or(FFixedVertColor, GetDarkColor()); }
    virtual TColor GetFixedHorzColor() { return Or(FFixedHorzColor, GetDarkColor()); }
    virtual TColor GetVertAreaContraVertColor() { return Or(FVertAreaContraVertColor, GetBrightColor()); }
    virtual TColor GetVertAreaContraHorzColor() { return Or(FVertAreaContraHorzColor, GetBrightColor()); }
    virtual TColor GetHorzAreaContraVertColor() { return Or(FHorzAreaContraVertColor, GetBrightColor()); }
    virtual TColor GetHorzAreaContraHorzColor() { return Or(FHorzAreaContraHorzColor, GetBrightColor()); }
    virtual TColor GetVertAreaContraBorderColor() { return Or(FVertAreaContraBorderColor, GetDarkColor()); }
    virtual TColor GetHorzAreaContraBorderColor() { return Or(FHorzAreaContraBorderColor, GetDarkColor()); }

    TColor BrightColor() { return GetBrightColor(); }
    TColor DarkColor() { return GetDarkColor(); }
    // The dark colour as set (clDefault: derived), not as drawn.
    TColor OwnDarkColor() const { return FDarkColor; }
    void SetBrightColor(TColor Value);
    void SetDarkColor(TColor Value);
    void SetDataHorzColor(TColor Value);
    void SetDataVertColor(TColor Value);
    // Copies every colour from another line-colours object.
    void Assign(TPersistent* Source) override;

protected:
    static TColor Or(TColor c, TColor fallback) { return c == clDefault ? fallback : c; }
    void SetColorField(TColor& Field, TColor Value);

    TCustomGridEh* FGrid;
    TColor FBrightColor = clDefault, FDarkColor = clDefault, FDataHorzColor = clDefault, FDataVertColor = clDefault;
    TColor FFixedHorzColor = clDefault, FFixedVertColor = clDefault;
    TColor FHorzAreaContraBorderColor = clDefault, FHorzAreaContraHorzColor = clDefault,
           FHorzAreaContraVertColor = clDefault;
    TColor FHorzAreaFrozenBorderColor = clDefault, FHorzAreaFrozenHorzColor = clDefault,
           FHorzAreaFrozenVertColor = clDefault;
    TColor FVertAreaContraBorderColor = clDefault, FVertAreaContraHorzColor = clDefault,
           FVertAreaContraVertColor = clDefault;
    TColor FVertAreaFrozenBorderColor = clDefault, FVertAreaFrozenHorzColor = clDefault,
           FVertAreaFrozenVertColor = clDefault;
};

enum TCornerDrawPriorityEh { crpHorizontalDataPriorityEh, crpVerticalDataPriorityEh };
DOV_ENUM_INFO(TCornerDrawPriorityEh, crpHorizontalDataPriorityEh, crpVerticalDataPriorityEh)

// Margins around the cell area.
class TGridOutBoundaryDataEh : public TPersistent {
public:
    explicit TGridOutBoundaryDataEh(TCustomGridEh* AGrid) : FGrid(AGrid) {}
    int LeftIndent() const { return FLeftIndent; }
    int TopIndent() const { return FTopIndent; }
    int RightIndent() const { return FRightIndent; }
    int BottomIndent() const { return FBottomIndent; }
    void SetLeftIndent(int Value) { SetLayoutValue(FLeftIndent, Value); }
    void SetTopIndent(int Value) { SetLayoutValue(FTopIndent, Value); }
    void SetRightIndent(int Value) { SetLayoutValue(FRightIndent, Value); }
    void SetBottomIndent(int Value) { SetLayoutValue(FBottomIndent, Value); }
    TCornerDrawPriorityEh LeftTopDrawPriority() const { return FLeftTopDrawPriority; }
    TCornerDrawPriorityEh RightTopDrawPriority() const { return FRightTopDrawPriority; }
    TCornerDrawPriorityEh LeftBottomDrawPriority() const { return FLeftBottomDrawPriority; }
    TCornerDrawPriorityEh RightBottomDrawPriority() const { return FRightBottomDrawPriority; }
    void SetLeftTopDrawPriority(TCornerDrawPriorityEh Value);
    void SetRightTopDrawPriority(TCornerDrawPriorityEh Value);
    // Re-lays out like the other corners (a change shows at once).
    void SetLeftBottomDrawPriority(TCornerDrawPriorityEh Value);
    void SetRightBottomDrawPriority(TCornerDrawPriorityEh Value);

    bool GetOutBoundaryRect(TRect& ARect, TGridCellBorderTypeEh OutBoundaryType);
    void InvalidateOutBoundary(TGridCellBorderTypeEh OutBoundaryType);

private:
    void SetLayoutValue(int& Field, int Value);
    int FLeftIndent = 0, FTopIndent = 0, FRightIndent = 0, FBottomIndent = 0;
    TCornerDrawPriorityEh FLeftTopDrawPriority = crpHorizontalDataPriorityEh;
    TCornerDrawPriorityEh FRightTopDrawPriority = crpHorizontalDataPriorityEh;
    TCornerDrawPriorityEh FLeftBottomDrawPriority = crpHorizontalDataPriorityEh;
    TCornerDrawPriorityEh FRightBottomDrawPriority = crpHorizontalDataPriorityEh;
    TCustomGridEh* FGrid;
};

class TGridHotTrackSpotEh : public TPersistent {
public:
    TGridHotTrackSpotEh() = default;
    int Col = -1;
    int Row = -1;
    int InCellX = 0;
    int InCellY = 0;
    void Assign(TPersistent* Source) override;
};

class TGridBackgroundDataEh : public TPersistent {
public:
    explicit TGridBackgroundDataEh(TCustomGridEh* AGrid);
    ~TGridBackgroundDataEh() override;

    virtual bool Showing() { return FVisible; }
    virtual TRect BoundRect();
    virtual void PaintBackgroundData();
    TRect CalcImageRect();
    // The image rectangle for an area and a picture size (pure geometry).
    static TRect CalcImageRectFor(const TRect& Bound, int PicW, int PicH, TImagePlacementEh Placement,
                                  int HorzMargin, int VertMargin);

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
    int HorzMargin() const { return FImageHorzMargin; }
    int VertMargin() const { return FImageVertMargin; }
    TImagePlacementEh Placement() const { return FImagePlacement; }
    bool Visible() const { return FVisible; }
    void SetHorzMargin(int Value);
    void SetVertMargin(int Value);
    void SetPlacement(TImagePlacementEh Value);
    void SetVisible(bool Value);

protected:
    void PictureChanged(TObject* Sender);
    std::unique_ptr<TPicture> FPicture;
    int FImageHorzMargin = 0;
    int FImageVertMargin = 0;
    TImagePlacementEh FImagePlacement = ipCenterCenterEh;
    TCustomGridEh* FGrid;
    bool FVisible = false;
};

enum TGridSelectionDrawStyleEh { gsdsDefaultEh, gsdsClassicEh, gsdsGridThemedEh, gsdsListViewThemedEh };
DOV_ENUM_INFO(TGridSelectionDrawStyleEh, gsdsDefaultEh, gsdsClassicEh, gsdsGridThemedEh, gsdsListViewThemedEh)

// The application-wide drawing settings the grids follow.
class TGridDrawStyleEh : public TComponent {
public:
    explicit TGridDrawStyleEh(TComponent* AOwner);
    ~TGridDrawStyleEh() override;

    void AddChangeNotification(TCustomGridEh* Grid);
    void RemoveChangeNotification(TCustomGridEh* Grid);
    bool GridInChangeNotification(TCustomGridEh* Grid) const;
    void Changed();

    virtual TGridSelectionDrawStyleEh GetDefaultActualSelectionStyle();
    TGridSelectionDrawStyleEh GetActualSelectionStyle();
    TGridSelectionDrawStyleEh SelectionStyle() const { return FSelectionStyle; }
    void SetSelectionStyle(TGridSelectionDrawStyleEh Value);
    virtual bool DefaultDrawFocusFrame();
    bool DrawFocusFrame();
    void SetDrawFocusFrame(bool Value);
    bool DrawFocusFrameStored() const { return FDrawFocusFrameStored; }
    void SetDrawFocusFrameStored(bool Value);
    static bool IsCustomStyleActive();

protected:
    std::vector<TCustomGridEh*> FGrids;
    TGridSelectionDrawStyleEh FSelectionStyle = gsdsDefaultEh;
    bool FDrawFocusFrame = false;
    bool FDrawFocusFrameStored = false;
};

// The default draw style (created with the first grid, freed at program exit).
TGridDrawStyleEh* GetDefaultGridDrawStyle();
// Replaces the default instance (tests; nullptr leaves grids without a default).
void SetDefaultGridDrawStyle(TGridDrawStyleEh* Value);
// Whether the themed list-view style is available (themes on in a new-enough system).
bool ListViewThemedSelectionAvailable();

class TGridSelectionDrawParamsEh : public TPersistent {
public:
    explicit TGridSelectionDrawParamsEh(TCustomGridEh* AGrid) : FGrid(AGrid) {}
    virtual bool DefaultDrawFocusFrame();
    TGridSelectionDrawStyleEh GetActualSelectionStyle();
    TGridSelectionDrawStyleEh SelectionStyle() const { return FSelectionStyle; }
    void SetSelectionStyle(TGridSelectionDrawStyleEh Value);
    bool DrawFocusFrame();
    void SetDrawFocusFrame(bool Value);
    bool DrawFocusFrameStored() const { return FDrawFocusFrameStored; }
    void SetDrawFocusFrameStored(bool Value);
    // Copies the style and the focus-frame settings.
    void Assign(TPersistent* Source) override;

protected:
    TCustomGridEh* FGrid;
    TGridSelectionDrawStyleEh FSelectionStyle = gsdsDefaultEh;
    bool FDrawFocusFrame = false;
    bool FDrawFocusFrameStored = false;
};

// ============================================================================================
// Scroll-bar settings (GridsEh_Scroll.cpp)
// ============================================================================================

enum TScrollBarVisibleModeEh { sbAlwaysShowEh, sbNeverShowEh, sbAutoShowEh };
DOV_ENUM_INFO(TScrollBarVisibleModeEh, sbAlwaysShowEh, sbNeverShowEh, sbAutoShowEh)

class TGridScrollBarPanelControlEh;
class TSizeGripPanelEh;
class TInplaceEdit;

class TGridScrollBarEh : public TPersistent {
public:
    TGridScrollBarEh(TCustomGridEh* AGrid, TScrollBarKind AKind);

    virtual void SmoothStepChanged() {}
    virtual void UpdateScrollBar();
    virtual bool IsScrollBarNeeded();
    virtual bool IsScrollBarShowing() { return IsScrollBarNeeded(); }
    virtual bool IsKeepMaxSizeInDefault() { return false; }
    virtual bool ScrollBarPanel() { return true; }
    virtual int ActualSize();
    virtual int ActualScrollBarBoxSize();

    void Assign(TPersistent* Source) override;
    bool CheckHideScrollBar() { return !IsScrollBarShowing(); }
    // The panel's bar values (32-bit, scaled) and back.
    void GetScrollBarParams(int& APosition, int& AMin, int& AMax, int& APageSize);
    void SetScrollBarParams(int APosition, int AMin, int AMax, int APageSize);

    TCustomGridEh* Grid() const { return FGrid; }
    TScrollBarKind Kind() const { return FKind; }
    bool Tracking() const { return FTracking; }
    void SetTracking(bool Value) { FTracking = Value; }
    TScrollBarVisibleModeEh VisibleMode() const { return FVisibleMode; }
    void SetVisibleMode(TScrollBarVisibleModeEh Value);
    bool GetVisible() const { return FVisibleMode != sbNeverShowEh; }
    void SetVisible(bool Value) { SetVisibleMode(Value ? sbAutoShowEh : sbNeverShowEh); }
    bool SmoothStep() const { return FSmoothStep; }
    void SetSmoothStep(bool Value);
    int Size() const { return FSize; }
    void SetSize(int Value);

    // Pixels per scroll-bar unit: 1 until the axis is longer than a 32-bit bar can hold.
    int64_t Scale() const { return FScale; }
    // Chooses the scale for an axis length and converts positions both ways.
    void UpdateScale(int64_t AxisLen);
    int ToBar(int64_t Pos) const { return int(Pos / FScale); }
    int64_t FromBar(int BarPos) const { return int64_t(BarPos) * FScale; }

protected:
    TCustomGridEh* FGrid;
    TScrollBarKind FKind;
    bool FTracking = true;
    TScrollBarVisibleModeEh FVisibleMode = sbAutoShowEh;
    bool FSmoothStep = false;
    int FSize = 0;
    int64_t FScale = 1;
};

// ============================================================================================
// TCustomGridEh: structure (GridsEh_Grid.cpp), scrolling (GridsEh_Scroll.cpp), painting
// (GridsEh_Paint.cpp), keyboard and mouse (GridsEh_Input.cpp), sizing and moving
// (GridsEh_Sizing.cpp), the editor's side (GridsEh_Editor.cpp)
// ============================================================================================

class TCustomGridEh : public TCustomControlEh, public TGridAxisOwnerEh {
    DOV_PERSISTENT(TCustomGridEh, TCustomControlEh)
public:
    explicit TCustomGridEh(TComponent* AOwner);
    ~TCustomGridEh() override;
    void AfterConstruction() override;

    // ---- counts and lengths ----
    int GetColCount() const { return FHorzAxis->CelCount(); }
    void SetColCount(int Value) { SetRolColCount(Value - FHorzAxis->FixedCelCount()); }
    int RowCount() const { return FVertAxis->CelCount(); }
    void SetRowCount(int Value) { SetRolRowCount(Value - FVertAxis->FixedCelCount()); }
    int ColCount() const { return GetColCount(); }
    int GetFixedColCount() const { return FHorzAxis->FixedCelCount(); }
    int GetFixedRowCount() const { return FVertAxis->FixedCelCount(); }
    int FixedColCount() const { return GetFixedColCount(); }
    int FixedRowCount() const { return GetFixedRowCount(); }
    void SetFixedColCount(int Value);
    void SetFixedRowCount(int Value);
    int GetContraColCount() const { return FHorzAxis->ContraCelCount(); }
    int GetContraRowCount() const { return FVertAxis->ContraCelCount(); }
    int ContraColCount() const { return GetContraColCount(); }
    int ContraRowCount() const { return GetContraRowCount(); }
    void SetContraColCount(int Value) { FHorzAxis->SetContraCelCount(Value); }
    void SetContraRowCount(int Value) { FVertAxis->SetContraCelCount(Value); }
    int GetFrozenColCount() const { return FHorzAxis->FrozenCelCount(); }
    int GetFrozenRowCount() const { return FVertAxis->FrozenCelCount(); }
    int FrozenColCount() const { return GetFrozenColCount(); }
    int FrozenRowCount() const { return GetFrozenRowCount(); }
    void SetFrozenColCount(int Value) { FHorzAxis->SetFrozenCelCount(Value); }
    void SetFrozenRowCount(int Value) { FVertAxis->SetFrozenCelCount(Value); }
    int GetRolColCount() const { return FHorzAxis->RolCelCount(); }
    int GetRolRowCount() const { return FVertAxis->RolCelCount(); }
    void SetRolColCount(int Value) { FHorzAxis->SetRolCelCount(Value); }
    void SetRolRowCount(int Value) { FVertAxis->SetRolCelCount(Value); }
    int FullColCount() const { return FHorzAxis->FullCelCount(); }
    int FullRowCount() const { return FVertAxis->FullCelCount(); }
    int DefaultColWidth() const { return FHorzAxis->DefaultCelLen(); }
    int DefaultRowHeight() const { return FVertAxis->DefaultCelLen(); }
    void SetDefaultColWidth(int Value) { FHorzAxis->SetDefaultCelLen(Value); }
    void SetDefaultRowHeight(int Value) { FVertAxis->SetDefaultCelLen(Value); }
    int ColWidths(int Index) const { return FHorzAxis->CelLens(Index); }
    int RowHeights(int Index) const { return FVertAxis->CelLens(Index); }
    void SetColWidths(int Index, int Value) { FHorzAxis->SetCelLens(Index, Value); }
    void SetRowHeights(int Index, int Value) { FVertAxis->SetCelLens(Index, Value); }

    // ---- scroll positions and visible cells ----
    int64_t HorzScrollPos() const { return FHorzAxis->RolStartVisPos(); }
    int64_t VertScrollPos() const { return FVertAxis->RolStartVisPos(); }
    void SetHorzScrollPos(int64_t Value) { FHorzAxis->SetRolStartVisPos(Value); }
    void SetVertScrollPos(int64_t Value) { FVertAxis->SetRolStartVisPos(Value); }
    int LeftCol() { return FHorzAxis->StartVisCel(); }
    int TopRow() { return FVertAxis->StartVisCel(); }
    void SetLeftCol(int Value);
    void SetTopRow(int Value);
    int LeftColOffset() { return FHorzAxis->RolStartVisCelOfst(); }
    int LastFullVisibleCol() { return FHorzAxis->RolLastFullVisCel() + FixedColCount(); }
    int LastFullVisibleRow() { return FVertAxis->RolLastFullVisCel() + FixedRowCount(); }
    int VisibleColCount() { return FHorzAxis->RolLastFullVisCel() - FHorzAxis->RolStartVisCel() + 1; }
    int VisibleRowCount() { return FVertAxis->RolLastFullVisCel() - FVertAxis->RolStartVisCel() + 1; }
    int GridClientWidth() { return FHorzAxis->GridClientLen(); }
    int GridClientHeight() { return FVertAxis->GridClientLen(); }
    void SafeSetTopRow(int ARow);

    TGridAxisDataEh* HorzAxis() const { return FHorzAxis.get(); }
    TGridAxisDataEh* VertAxis() const { return FVertAxis.get(); }

    // ---- current cell and selection ----
    int Col() const { return FCurCell.X; }
    int Row() const { return FCurCell.Y; }
    void SetCol(int Value);
    void SetRow(int Value);
    TGridCoord CurCell() const { return FCurCell; }
    TGridCoord AnchorCell() const { return FAnchorCell; }
    void SetCurrentCell(int ACol, int ARow, bool ScrollHorz, bool ScrollVert);
    void FocusCell(int ACol, int ARow, bool ScrollHorz, bool ScrollVert) { SetCurrentCell(ACol, ARow, ScrollHorz, ScrollVert); }
    virtual void MoveToCell(int ACol, int ARow);
    virtual void SetAnchorCell(int ACol, int ARow);
    virtual void MoveAnchorBy(int Flags);
    TGridRect GetSelectionRect() const { return NormalizedGridRect(FCurCell, FAnchorCell); }
    virtual bool HasRangeSelection() { return !(FAnchorCell == FCurCell); }
    void ClampCurrentCell() override;
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void RowMoved(int, int) {}
    bool IsActiveControl();
    bool ThemedDrawingActive() const { return false; }

    // ---- options and appearance ----
    TGridOptionsEh Options() const { return FOptions; }
    void SetOptions(TGridOptionsEh Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    int GridLineWidth() const { return FGridLineWidth; }
    TColor FixedLineColor() const { return FFixedLineColor; }
    bool SizeGripAlwaysShow() const { return FSizeGripAlwaysShow; }
    void SetSizeGripAlwaysShow(bool Value);
    TSizeGripPosition SizeGripPostion() const { return FSizeGripPostion; }
    void SetSizeGripPostion(TSizeGripPosition Value);
    TGridScrollBarEh* VertScrollBar() const { return FVertScrollBar.get(); }
    TGridScrollBarEh* HorzScrollBar() const { return FHorzScrollBar.get(); }
    void SetVertScrollBar(TGridScrollBarEh* Value) { FVertScrollBar->Assign(Value); }
    void SetHorzScrollBar(TGridScrollBarEh* Value) { FHorzScrollBar->Assign(Value); }
    TGridLineColorsEh* GridLineColors() const { return FGridLineColors.get(); }
    void SetGridLineColors(TGridLineColorsEh* Value) { FGridLineColors->Assign(Value); }
    TGridSelectionDrawParamsEh* SelectionDrawParams() const { return FSelectionDrawParams.get(); }
    void SetSelectionDrawParams(TGridSelectionDrawParamsEh* Value) { FSelectionDrawParams->Assign(Value); }
    TGridOutBoundaryDataEh* OutBoundaryData() const { return FOutBoundaryData.get(); }
    TGridBackgroundDataEh* BackgroundData() const { return FBackgroundData.get(); }
    TGridDrawStyleEh* DrawStyle() const { return FDrawStyle; }
    void SetDrawStyle(TGridDrawStyleEh* Value);
    void UseDefaultDrawStyle();
    bool BufferedPaint() const { return FBufferedPaint; }
    bool CanvasRightToLeftReflected() const { return FCanvasRightToLeftReflected; }
    TGridStateEh GridState() const { return FGridState; }
    int ScrollBarSize() const { return FScrollBarSize; }
    TGridScrollBarPanelControlEh* HorzScrollBarPanelControl() const { return FHorzScrollBarPanelControl; }
    TGridScrollBarPanelControlEh* VertScrollBarPanelControl() const { return FVertScrollBarPanelControl; }
    TSizeGripPanelEh* CornerScrollBarPanelControl() const { return FCornerScrollBarPanelControl; }
    TSizeGripPanelEh* ExtraSizeGripControl() const { return FExtraSizeGripControl; }

    TGridEhCellMouseEvent OnCellMouseClick;
    TGridEhCellMouseEvent OnCellMouseDown;

    // ---- cell rectangles ----
    TRect CalcCellRangeRect(const TGridRect& AGridRect, bool Clip);
    TRect CellRangeRect(int ACol, int ARow, int ACol2, int ARow2)
    {
        return CalcCellRangeRect(TGridRect{ACol, ARow, ACol2, ARow2}, true);
    }
    TRect CellRectEx(int ACol, int ARow) { return CellRangeRect(ACol, ARow, ACol, ARow); }
    void InvalidateCell(int ACol, int ARow);
    void InvalidateCol(int ACol);
    void InvalidateRow(int ARow);
    void InvalidateGridRect(const TGridRect& R);
    TGridCoord CellAtPoint(int X, int Y);
    TGridCoord MouseCoord(int X, int Y);

    // ---- locks ----
    void LockPaint() { ++FLockPaint; }
    void UnlockPaint() { if (FLockPaint > 0) --FLockPaint; }
    int PaintLockCount() const { return FLockPaint; }
    void BeginBoundariesUpdate() { ++FBoundariesUpdateCount; }
    void EndBoundariesUpdate() { if (FBoundariesUpdateCount > 0) --FBoundariesUpdateCount; }

    // ---- axis owner ----
    void AxisExtentChanged(TGridAxisDataEh* Axis, int Index) override;
    void UpdateBoundaries() override;
    void CelMoved(TGridAxisDataEh* Axis, int FromIndex, int ToIndex) override;
    void AxisScrollPosChanged(TGridAxisDataEh* Axis, int64_t OldPos) override;
    void CellPositionsUpdated() override { UpdateBoundaries(); }
    void CheckUpdateCellPositions() override;

    // ---- scrolling ----
    virtual void ScrollByCode(bool IsVert, int Code, int64_t Pos, bool MirrorRTL);
    virtual void ScrollHorz(int Code, int64_t Pos);
    virtual void ScrollVert(int Code, int64_t Pos);
    void SetLeftPos(int64_t ALeftPos) { FHorzAxis->SetRolStartVisPos(FHorzAxis->CheckRolStartVisPos(ALeftPos)); }
    void SetTopPos(int64_t ATopPos) { FVertAxis->SetRolStartVisPos(FVertAxis->CheckRolStartVisPos(ATopPos)); }
    void ScrollCellIntoView(TGridCoord ACoord, bool Horz, bool Vert);
    virtual void ScrollToPos(bool AlignHorz, bool AlignVert);
    virtual void CalcScrollToPos(bool AlignHorz, bool AlignVert, int64_t& X, int64_t& Y);
    virtual void UpdateScrollBars();
    // Axis positions: 64-bit; the bar's own values are scaled by the settings.
    virtual void GetHorzScrollBarParams(int64_t& APosition, int64_t& AMin, int64_t& APageSize, int64_t& AMax);
    virtual void GetVertScrollBarParams(int64_t& APosition, int64_t& AMin, int64_t& APageSize, int64_t& AMax);
    virtual void LayoutScrollBarPanels();
    // Factories of the scroll-bar settings and panels, called once while the grid is created.
    virtual TGridScrollBarEh* CreateScrollBar(TScrollBarKind AKind);
    virtual TGridScrollBarPanelControlEh* CreateHorzScrollBarPanel();
    virtual TGridScrollBarPanelControlEh* CreateVertScrollBarPanel();
    virtual TSizeGripPanelEh* CreateCornerPanel();
    // The grid's own parts (scroll bar panels, size grips, editor) never go into a stream: every
    // grid makes them again. Children the form owns are streamed as usual.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    virtual void ScrollPositionChanged(int64_t OldHorzPos, int64_t OldVertPos);
    virtual void AfterScrollPositionChanged() {}
    virtual void ScrollBarShowingChanged() {}
    virtual void ScrollBarSizeChanged(TGridScrollBarEh*) { UpdateBoundaries(); }
    virtual bool FullRepaintOnScroll();
    virtual int VertScrollStep() { return FVertAxis->GetScrollStep(); }
    virtual int VertWheelStep() { return VertScrollStep(); }
    virtual bool HorzSmoothStep() { return FHorzScrollBar->SmoothStep(); }
    virtual bool VertSmoothStep() { return FVertScrollBar->SmoothStep(); }
    // The grid's pan-gesture step: dy/dx since the pan point (for the gesture handling).
    void PanBy(TPoint Current, bool Begin);

    // ---- virtual operations of the grid ----
    virtual bool CanEditAcceptKey(QChar) { return true; }
    virtual bool CanEditModify() { return FCanEditModify; }
    virtual bool CanEditShow();
    virtual TRect GetEditRect(int ACol, int ARow);
    virtual bool CanFireCellMouseEvent(TMessage& Message);
    virtual bool CanStartColMove(int&, int&, TPoint) { return true; }
    virtual bool CanStartRowMove(int&, int&, TPoint) { return true; }
    virtual bool CanMoveColTo(int, int&, TPoint) { return true; }
    virtual bool CanMoveRowTo(int, int&, TPoint) { return true; }
    virtual bool CanCellDblClick(TGridCoord, TMouseButton, TPoint, TPoint, TShiftState) { return true; }
    virtual bool AdjustMoveIndexes(int& FromIndex, int& ToIndex, TPoint MousePos);
    virtual bool CanFinishRowMove(int&, int&, TPoint) { return true; }
    virtual bool CanSizeAxis(bool Flag);
    virtual bool FocusGrid();
    virtual TInplaceEdit* CreateEditor();
    virtual TGridLineColorsEh* CreateGridLineColors() { return new TGridLineColorsEh(this); }
    virtual TGridBackgroundDataEh* CreateBackgroundData() { return new TGridBackgroundDataEh(this); }
    virtual bool GetDrawFocusFrame();
    virtual TGridSelectionDrawStyleEh GetSelectionStyle();
    virtual int GetEditLimit(int, int) { return 0; }
    virtual QString GetEditMask(int, int) { return QString(); }
    virtual QString GetEditText(int, int) { return QString(); }
    virtual void SetEditText(int, int, const QString&) {}
    virtual bool BackgroundShowing() { return FBackgroundData->Showing(); }
    virtual bool IsThemedSelectionCell(TGridDrawState State);
    virtual bool CellHotTrackable(int, int) { return false; }
    virtual bool CanSelectCell(int, int) { return true; }
    virtual TGridHotTrackSpotEh* CreateHotTrackSpot() { return new TGridHotTrackSpotEh(); }
    virtual bool SameHotTrackSpot(TGridHotTrackSpotEh* Spot1, TGridHotTrackSpotEh* Spot2);
    virtual bool EditorKeyNavigates(Word Key, TShiftState Shift);
    virtual bool NeedBufferedPaint() { return false; }
    virtual bool IsTabStopCol(int) { return true; }
    virtual void CancelGridState();
    virtual void CellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, const TRect& ACellRect,
                                TPoint GridMousePos, TPoint CellMousePos);
    virtual void CellMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, const TRect& ACellRect,
                               TPoint GridMousePos, TPoint CellMousePos);
    virtual void DefaultCellMouseClick(TGridCoord, TMouseButton, TShiftState, const TRect&, TPoint, TPoint) {}
    virtual void DefaultCellMouseDown(TGridCoord, TMouseButton, TShiftState, const TRect&, TPoint, TPoint) {}
    virtual void GetGridLineParams(int ACol, int ARow, TGridCellBorderTypeEh BorderType, bool& Visible,
                                   TColor& Color, bool& Extend);
    bool IsGridLineVisible(int ACol, int ARow, TGridCellBorderTypeEh BorderType);
    virtual void HorzAxisChanged();
    virtual void VertAxisChanged();
    virtual void CurrentCellMoved(TGridCoord) {}
    virtual void DeleteCol(int ACol);
    virtual void DeleteRow(int ARow);
    virtual void FlatChanged() {}
    virtual void HideEdit();
    virtual void InvalidateEditor();
    virtual void InvalidateSpotCell(TGridHotTrackSpotEh* Spot);
    virtual void LayoutChanged() { UpdateBoundaries(); }
    virtual void ShowEditor();
    virtual void DrawStyleChanged() { Invalidate(); }
    virtual void UpdateFixedLineColor();
    virtual void UpdateEditor();
    virtual void UpdateEditText();
    virtual void UpdateHotTrack(int X, int Y);
    virtual void GetHotTrackSpotAt(TGridHotTrackSpotEh* Spot, int X, int Y);
    virtual void SelectionChanged(const TGridRect&) { Invalidate(); }
    virtual bool CanSizeFixedCols() { return false; }
    virtual bool CanSizeFixedRows() { return false; }
    void MoveColExtent(int FromIndex, int ToIndex) { FHorzAxis->MoveCel(FromIndex, ToIndex); }
    void MoveRowExtent(int FromIndex, int ToIndex) { FVertAxis->MoveCel(FromIndex, ToIndex); }

    // ---- painting ----
    virtual void DrawCell(int ACol, int ARow, TGridDrawState State, const TRect& ARect);
    virtual void DrawCellGridLines(int ACol, int ARow, TGridDrawState State, TRect& ARect);
    virtual void DrawCellContent(int ACol, int ARow, TGridDrawState State, const TRect& ARect);
    virtual void DrawThemedSelection(int, int, TGridDrawState, const TRect&) {}
    virtual void DrawEmptySpace(int ACol, int ARow, const TRect& ARect);
    virtual void DrawOutBoundaryData();
    virtual void DrawTopOutBoundary(const TRect& ARect);
    virtual void DrawLeftOutBoundary(const TRect& ARect);
    virtual void DrawBottomOutBoundary(const TRect& ARect);
    virtual void DrawRightOutBoundary(const TRect& ARect);
    void UpdateInternalColors();
    void SetCanvasRightToLeftReflected(bool Value);
    void PolylineRTL(const std::vector<TPoint>& Points);
    TColor InternalColor() const { return FInternalColor; }
    TColor InternalFontColor() const { return FInternalFontColor; }
    TColor InternalFixedColor() const { return FInternalFixedColor; }
    TColor InternalFixedFontColor() const { return FInternalFixedFontColor; }

    // ---- sizing and moving ----
    virtual void CalcSizingState(int X, int Y, TGridStateEh& State, int& SizingIndex, int& SizingPos, int& SizingOfs);
    virtual TGridStateEh GetSizingStateAt(int X, int Y);
    virtual bool IsSizingPos(int X, int Y) { return GetSizingStateAt(X, Y) != gsNormalEh; }
    virtual void GetSizingBounds(int& Start, int& Stop);
    virtual void DrawSizingLine();
    int CalcSizingLength(TGridAxisDataEh* Axis);
    virtual void BeginMoveAt(int MoveIndex, int X, int Y);
    virtual void BeginRowMove(int Index);
    void TrackMoveLine(int Pos, int Target, TPoint Point, bool IsVert);
    virtual void DrawMoveLine();
    virtual void HideMoveLine();
    // The span of the move feedback line while moving (client coordinates; empty when hidden).
    TRect MoveLineRect() const { return FMoveLineRect; }
    int MoveIndex() const { return FMoveIndex; }
    int MovePos() const { return FMovePos; }
    bool MovePosRightSite() const { return FMovePosRightSite; }
    int SizingIndex() const { return FSizingIndex; }
    int SizingPos() const { return FSizingPos; }
    // The sizing feedback line while it shows (client coordinates; empty when hidden).
    TRect SizingLineRect() const;
    // The column-moving timer interval for the pointer (client X and screen X of the pointer).
    int ColMoveTimerInterval(int X, int ScreenX, int DesktopWidth, bool ScrolledRight);

    // ---- editor ----
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool Value);
    bool EnsureInplaceEdit();
    void HideEditor();
    void ShowEditorChar(QChar Ch);
    int InplaceCol() const { return FInplaceCol; }
    // The editor's selection and text length; False when there is no editor.
    bool EditorSelection(int& SelStart, int& SelEnd, int& Len);
    bool EditorOwnsWindow(HWND W);
    void EditorFontChanged();
    // The grid's wheel handling for the editor.
    bool EditorMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) { return DoMouseWheel(Shift, WheelDelta, MousePos); }
    // Message time of the last button press on the grid (ms of a monotonic clock).
    int LastClickTime() const { return FLastClickTime; }
    int InplaceRow() const { return FInplaceRow; }

    // The keyboard and mouse entries (public for the editor and the tests).
    void KeyDown(Word& Key, TShiftState Shift) override;
    // The moves of the keys, without the application's OnKeyDown (KeyDown fires it first).
    void NavigationKeyDown(Word& Key, TShiftState Shift);
    void KeyPress(QChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override { TCustomControlEh::KeyUp(Key, Shift); }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    // One tick of timer 1 with the cursor at a client point (the timer passes the cursor).
    void TimerTick(TPoint CursorPos);
    void DblClickPublic() { DblClick(); }

    // Whether ColWidths and RowHeights go with the component into form streams.
    bool SaveCellExtents() const { return FSaveCellExtents; }
    void SetSaveCellExtents(bool Value) { FSaveCellExtents = Value; }

protected:
    void DefineProperties(TFiler* Filer) override;
    void Paint() override;
    void Resize() override;
    void Loaded() override;
    void CreateParams(TCreateParams& Params) override;
    void DoExit() override;
    void WndProc(TMessage& Message) override;
    void WMChar(TMessage& M) override;
    void WMGetDlgCode(TMessage& M) override;
    void CMWantSpecialKey(TMessage& M) override;
    void WMTimer(TMessage& M) override;
    void WMSetCursor(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void WMSetFocus(TMessage& M) override;
    void WMCancelMode(TMessage& M) override;
    void CMCancelMode(TMessage& M) override;
    void CMMouseLeave(TMessage& M) override;
    void CMFontChanged(TMessage& M) override;
    void WMLButtonDown(TMessage& M) override;
    void WMRButtonDown(TMessage& M) override;
    void WMMButtonDown(TMessage& M) override;
    void WMLButtonUp(TMessage& M) override;
    void WMRButtonUp(TMessage& M) override;
    void WMMButtonUp(TMessage& M) override;
    void WMLButtonDblClk(TMessage& M) override;
    void WMRButtonDblClk(TMessage& M) override;
    void WMMButtonDblClk(TMessage& M) override;
    void WMEraseBkgnd(TMessage& M) override { M.Result = 1; }
    void WMPaint(TMessage& M) override;
    bool CanDblClickAtMessage(TMessage& Message);

    void ButtonDown(TMessage& M, TMouseButton Button);
    void ButtonUp(TMessage& M, TMouseButton Button, bool Double);
    // Asks whether the press belongs to a cell before the inherited handler runs, then ends it.
    template <class F> void CellButtonUp(TMessage& M, TMouseButton Button, bool Double, F Inherited);
    void DrawCellsInRect(int FirstCol, int FirstRow, int ColLimit, int RowLimit, TGridDrawState InitState,
                         int StartX, int StartY, int LimitX, int LimitY);
    void DrawRegionLines(bool Vert, int FirstIndex, int IndexLimit, int Start, int Limit);
    void DrawEmptySpaceAreas();
    void LineSearch(TGridAxisDataEh* Axis, int Pos, TGridStateEh AState, bool IncludeFixed, int Tolerance,
                    TGridStateEh& State, int& SizingIndex, int& SizingPos, int& SizingOfs);
    void ScrollAxisByPixel(TGridAxisDataEh* Axis, TGridScrollBarEh* Bar, int Code, int64_t Pos);
    void ScrollAxisByCell(TGridAxisDataEh* Axis, TGridScrollBarEh* Bar, int Code, int64_t Pos);
    int64_t AlignedScrollPos(TGridAxisDataEh* Axis, int64_t Pos, bool ToNext);
    void RaiseIndexError(const char* Msg);
    bool Designing() const { return ComponentState().Contains(csDesigning); }
    void ShowMoveLineWindow(TPoint Pos, bool Vert, int Length);
    void StartGridTimer(int Interval);
    void StopGridTimer();

    TBorderStyle FBorderStyle = bsSingle;
    bool FCanEditModify = true;
    TRect FWinClientBoundary;
    TGridCoord FCurCell{0, 0};
    TGridCoord FAnchorCell{0, 0};
    std::unique_ptr<TGridAxisDataEh> FHorzAxis;
    std::unique_ptr<TGridAxisDataEh> FVertAxis;
    TGridScrollBarPanelControlEh* FVertScrollBarPanelControl = nullptr;
    TGridScrollBarPanelControlEh* FHorzScrollBarPanelControl = nullptr;
    TSizeGripPanelEh* FCornerScrollBarPanelControl = nullptr;
    TSizeGripPanelEh* FExtraSizeGripControl = nullptr;
    std::unique_ptr<TGridScrollBarEh> FVertScrollBar;
    std::unique_ptr<TGridScrollBarEh> FHorzScrollBar;
    bool FVertScrollBarIsShowing = false;
    bool FHorzScrollBarIsShowing = false;
    bool FEditorMode = false;
    TColor FFixedColor = clBtnFace;
    bool FFlat = false;
    std::unique_ptr<TGridLineColorsEh> FGridLineColors;
    int FGridLineWidth = 1;
    int FScrollBarSize = 0;
    TPoint FHitTest;
    int FInplaceCol = -1;
    int FInplaceRow = -1;
    TInplaceEdit* FInplaceEdit = nullptr;
    TGridOptionsEh FOptions;
    TPoint FPanPoint;
    std::unique_ptr<TGridOutBoundaryDataEh> FOutBoundaryData;
    std::unique_ptr<TGridBackgroundDataEh> FBackgroundData;
    bool FBufferedPaint = false;
    TGridDrawStyleEh* FDrawStyle = nullptr;
    std::unique_ptr<TGridSelectionDrawParamsEh> FSelectionDrawParams;
    bool FSizeGripAlwaysShow = false;
    TSizeGripPosition FSizeGripPostion = sgpBottomRight;
    bool FCanvasRightToLeftReflected = false;
    int FBoundariesUpdateCount = 0;
    TGridOptionsEh FDesignOptionsBoost;
    TColor FFixedLineColor = clBlack;
    TGridStateEh FGridState = gsNormalEh;
    int FLockPaint = 0;
    TGridCoord FMouseDownCell{-1, -1};
    bool FSaveCellExtents = false;
    int FSizingIndex = -1, FSizingPos = 0, FSizingOfs = 0;
    TGridCoord FHotTrackCell{-1, -1};
    TPoint FHotTrackInCellPos;
    int FMoveIndex = -1, FMovePos = -1;
    bool FMovePosRightSite = false;
    TColor FInternalColor = clWindow, FInternalFontColor = clWindowText;
    TColor FInternalFixedColor = clBtnFace, FInternalFixedFontColor = clWindowText;
    std::unique_ptr<TGridHotTrackSpotEh> FOldHotTrackSpot;
    std::unique_ptr<TGridHotTrackSpotEh> FNewHotTrackSpot;
    TRect FMoveLineRect;
    bool FTimerActive = false;
    int FLastClickTime = 0;
    TRect FPaintClip;
    TCustomControl* FSizingLineControl = nullptr;   // the sizing feedback line over the cells
    bool FConstructed = false;
    bool FSizingLineShown = false;
    int64_t FLastMoveTickLeftCol = 0, FLastMoveTickHorzPos = 0;
};

// ============================================================================================
// The in-place editor (GridsEh_Editor.cpp)
// ============================================================================================

class TInplaceEdit : public TCustomMaskEdit {
public:
    explicit TInplaceEdit(TComponent* AOwner);

    TCustomGridEh* Grid() const { return FGrid; }
    void SetGrid(TCustomGridEh* AGrid) { FGrid = AGrid; }
    void Invalidate() override;
    void Hide();
    void Move(const TRect& Loc);
    void UpdateLoc(const TRect& Loc);
    bool PosEqual(const TRect& Rect);
    void SetFocus() override;
    void Deselect();
    virtual void BoundsChanged();
    virtual void UpdateContents();
    bool EditCanModify() override;
    int FClickTime = 0;

    // Key entries (public for the tests, as the grid's are).
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Change() override;
    void DblClick() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void WMGetDlgCode(TMessage& M) override;
    void WndProc(TMessage& Message) override;
    void WMSetFocus(TMessage& M) override;
    void CMShowingChanged(TMessage&) override {}
    void InternalMove(const TRect& Loc, bool Redraw);

    TCustomGridEh* FGrid = nullptr;
};

// Milliseconds of a monotonic clock (message times of button presses).
int GridMessageTime();

// ============================================================================================
// List boxes drawn on the grid: one column as wide as the client, one row per item
// (GridsEh_Listbox.cpp)
// ============================================================================================

class TCustomListboxEh;
int GridMessageTime();

using TLBGetDataEvent = Delegate<void(TWinControl* Control, int Index, QString& Data)>;
using TLBGetDataObjectEvent = Delegate<void(TWinControl* Control, int Index, TObject*& DataObject)>;
using TListGetImageIndexEventEh = Delegate<void(TObject* Sender, int ItemIndex, int& ImageIndex)>;

// An item that draws itself and takes its own input (select-all rows, commands, separators).
// It lives in the object slot of its line; a line with an integer slot is a plain item.
class TCustomListboxItemEh : public TObject {
public:
    virtual bool IsGenericItem() { return true; }
    virtual void GetDisplayText(TCustomListboxEh* Listbox, int Index, QString& Text);
    virtual void DrawItem(TCustomListboxEh* Listbox, int Index, const TRect& ARect, TGridDrawState State);
    virtual void MouseDown(TCustomListboxEh*, int, TMouseButton, TShiftState, TPoint) {}
    virtual void MouseMove(TCustomListboxEh*, int, TShiftState, TPoint) {}
    virtual void MouseUp(TCustomListboxEh*, int, TShiftState, TMouseButton, TPoint) {}
    virtual void KeyPress(TCustomListboxEh*, int, bool&, TShiftState, QChar&) {}
    virtual bool IsDataItem() { return true; }
    virtual void Execute(TCustomListboxEh*, int, TShiftState, TPoint) {}
};

class TCustomListboxEh : public TCustomGridEh {
    DOV_PERSISTENT(TCustomListboxEh, TCustomGridEh)
public:
    explicit TCustomListboxEh(TComponent* AOwner);
    ~TCustomListboxEh() override;
    void AfterConstruction() override;

    virtual TStrings* GetItems();
    virtual void SetItems(TStrings* Value);
    TStrings* Items() { return GetItems(); }
    int Count();
    // Raises "Can't assign Count when list is not virtual" on a list that is not virtual.
    void SetCount(int Value);
    bool VirtualItems() const { return FVirtualItems; }
    void SetVirtualItems(bool Value);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    int ItemIndex() const { return FRowSeleced ? Row() : -1; }
    void SetItemIndex(int Value);
    TCustomImageList* ImageList() const { return FImageList; }
    void SetImageList(TCustomImageList* Value) { FImageList = Value; }
    bool UseItemObjects() const { return FUseItemObjects; }
    void SetUseItemObjects(bool Value) { FUseItemObjects = Value; }
    bool Sorted() const { return FSorted; }
    int TopIndex() { return TopRow(); }
    void SetTopIndex(int Value) { SetTopRow(Value); }

    // The row under a client point, or -1.
    int ItemAtPos(TPoint Pos, bool Existing);
    // A row for any point: outside the width counts as inside, above the rows the top one,
    // below them the row at the last client line.
    int StrictIndexToClient(int X, int Y);
    void InvalidateIndex(int Index);
    virtual int GetTextHeight();
    // The item object of a row, or nullptr (never an integer slot taken for an object).
    TCustomListboxItemEh* ItemObject(int Index);

    virtual void GetItemDisplayText(int Index, QString& Text);
    virtual void DrawItem(int Index, const TRect& ARect, TGridDrawState State);
    virtual void GetItemText(int Index, QString& Text);
    virtual void DefaultDrawItem(int Index, const TRect& ARect, TGridDrawState State);

    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MoveToCell(int ACol, int ARow) override;

    TLBGetDataEvent OnData;
    TLBGetDataObjectEvent OnDataObject;
    TListGetImageIndexEventEh OnGetImageIndex;

protected:
    void DrawCellContent(int ACol, int ARow, TGridDrawState State, const TRect& ARect) override;
    void Resize() override;
    void ItemsChanged(TObject* Sender);
    void UpdateRowCount();
    // The owner of events that name a sender (the editor owning a drop-down list).
    TObject* EventSender() { return Owner() ? static_cast<TObject*>(Owner()) : this; }

    std::unique_ptr<TStringList> FItems;
    bool FSorted = false;
    bool FVirtualItems = false;
    int FVirtualRowCount = 0;
    int FItemHeight = 0;
    bool FRowSeleced = false;
    TCustomImageList* FImageList = nullptr;
    bool FUseItemObjects = false;
};

// The item of a drop-down list that decides whether a click closes the list.
class TPopupListboxItemEh : public TCustomListboxItemEh {
public:
    void Execute(TCustomListboxEh*, int, TShiftState, TPoint) override {}
    virtual void MouseUp(TCustomListboxEh* Listbox, int Index, bool& CloseListbox, TShiftState Shift,
                         TMouseButton Button, TPoint Pos);
    using TCustomListboxItemEh::MouseUp;
    virtual bool CloseOnExecute(TCustomListboxEh*, int) { return true; }
};
// The shared plain item of drop-down lists (made at start-up, freed at exit).
TPopupListboxItemEh* PopupListboxItemEh();

// The drop-down form of a list box: a non-activating top-level window with a raised border,
// hover tracking, heights in whole rows and a size grip in the corner away from its owner.
class TPopupListboxEh : public TCustomListboxEh {
    DOV_PERSISTENT(TPopupListboxEh, TCustomListboxEh)
public:
    explicit TPopupListboxEh(TComponent* AOwner);

    TStrings* GetItems() override;
    void SetItems(TStrings* Value) override;
    void GetItemText(int Index, QString& Text) override;
    virtual void GetItemDataObject(TWinControl* Control, int Index, TObject*& DataObject);
    TStrings* ExtItems() const { return FExtItems; }
    void SetExtItems(TStrings* Value);

    int GetBorderSize();
    // Whole rows that fit (the grid's own row count is TCustomGridEh::RowCount).
    int FittingRowCount() const { return FRowCount; }
    // The height of Value whole rows.
    void SetRowCount(int Value);
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    bool CanFocus() const override { return false; }
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    int MouseIndex() const { return FMouseIndex; }
    bool IsMouseUpCloseListbox() const { return FIsMouseUpCloseListbox; }
    QString SearchText() const { return FSearchText; }
    bool SizeGripResized() const { return FSizeGripResized; }
    // Cleared by the owner once the list is shown: from then on only the user's grip sets it.
    void SetSizeGripResized(bool Value) { FSizeGripResized = Value; }

    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void WndProc(TMessage& Message) override;
    void WMNCCalcSize(TMessage& M) override;
    void WMNCPaint(TMessage& M) override;
    void WMSize(TMessage& M) override;
    void CMMouseEnter(TMessage& M) override;
    void CMMouseLeave(TMessage& M) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    virtual void PaintBorder(HDC DC);
    // The size-grip notice of the placement routine: the side the list opened to.
    virtual void WMSizeGripNotify(TMessage& M);
    // Selects the first item that starts with the typed text (without regard to case).
    virtual void SelectBySearchText();
    // Milliseconds between typed characters are measured on this clock.
    virtual int SearchClock() { return GridMessageTime(); }

    int FBorderWidth = 2;
    bool FCtl3D = true;
    TPoint FMousePos{-1, -1};
    int FRowCount = 0;
    QString FSearchText;
    int FSearchTickCount = 0;
    bool FSizeGripResized = false;
    TStrings* FExtItems = nullptr;
    int FMouseIndex = -1;
    bool FIsMouseUpCloseListbox = false;
};

// The drop-down list of recently used texts, with its own scroll bar at the right.
class TMRUListboxEh : public TPopupListboxEh {
    DOV_PERSISTENT(TMRUListboxEh, TPopupListboxEh)
public:
    explicit TMRUListboxEh(TComponent* AOwner);
    void AfterConstruction() override;
    void SetSorted(bool Value) { FSorted = Value; }
    TScrollBar* ScrollBar() const { return FScrollBar; }
    // Range, page and position from the items and the top row; the bar shows only when
    // the items do not fit.
    void UpdateScrollBar();
    // Puts the bar at the client's right edge, clear of the size grip.
    void UpdateScrollBarPos();

protected:
    void Resize() override;
    void WMSizeGripNotify(TMessage& M) override;
    void AfterScrollPositionChanged() override { UpdateScrollBar(); }
    void BarScroll(TObject* Sender, TScrollCode Code, int& Pos);

    TScrollBar* FScrollBar = nullptr;
    bool FScrollBarLockMove = false;
};
