// The row detail panel under the current row and the row panel mode.
#pragma once

#include "platform/vcl/ExtCtrls.h"

class TCustomDBGridEh;
class TColumnEh;

// ============================================================================================
// Bevel settings of the detail panel's window
// ============================================================================================

enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
DOV_ENUM_INFO(TBevelKind, bkNone, bkTile, bkSoft, bkFlat)
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
DOV_ENUM_INFO(TBevelEdge, beLeft, beTop, beRight, beBottom)
using TBevelEdges = TSet<TBevelEdge>;

// The room of the expand glyph at the leading edge of the first visible column.
inline constexpr int RowDetailGlyphWidthEh = 18;

// ============================================================================================
// TRowDetailPanelControlEh: the window under the current row that holds the detail controls
// ============================================================================================

class TRowDetailPanelControlEh : public TCustomControl {
    DOV_PERSISTENT(TRowDetailPanelControlEh, TCustomControl)
public:
    explicit TRowDetailPanelControlEh(TComponent* AOwner);

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool ParentPopupMenu() const { return FParentPopupMenu; }
    void SetParentPopupMenu(bool Value) { FParentPopupMenu = Value; }
    bool VertSizing() const { return FVertSizing; }
    void SetVertSizing(bool Value);
    int SizingBarHeight() const { return FSizingBarHeight; }
    void SetSizingBarHeight(int Value);
    bool SizingBarBeveled() const { return FSizingBarBeveled; }
    void SetSizingBarBeveled(bool Value);
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);
    // Height limits while the user drags the sizing bar (0: no maximum).
    int MinHeight() const { return FMinHeight; }
    int MaxHeight() const { return FMaxHeight; }
    void SetHeightConstraints(int MinHeight, int MaxHeight);

    // The grid whose detail window this is (nullptr when it has none).
    TCustomDBGridEh* Grid() const;
    // The sizing bar under the client area, in window coordinates (empty without sizing).
    TRect SizingBarRect() const;
    // Whether a window point lies where a drag sizes the panel (the bar and as much above it).
    bool InSizingArea(int X, int Y) const;
    // Starts sizing from a press at a window point.
    void BeginSizing(TPoint WindowPos);
    bool Sizing() const { return FSizing; }

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void WMContextMenu(TMessage& M) override;
    void CMChildKey(TMessage& M) override;
    void WMSetCursor(TMessage& M) override;
    void WMNCHitTest(TMessage& M) override;
    void WMNCCalcSize(TMessage& M) override;
    void WMNCPaint(TMessage& M) override;
    // The frame's width on each side, and the bar's height.
    int FrameWidth() const;
    int BarHeight() const;
    TPoint WindowPoint(TPoint ClientPoint) const;
    void FrameChanged();
    // Gives the focus back to the grid; false when it cannot take it.
    bool FocusGrid();

    TBorderStyle FBorderStyle = bsSingle;
    bool FParentPopupMenu = true;
    bool FVertSizing = false;
    int FSizingBarHeight = 8;
    bool FSizingBarBeveled = true;
    TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    TBevelKind FBevelKind = bkNone;
    int FBevelWidth = 1;
    int FMinHeight = 1;
    int FMaxHeight = 0;
    // Sizing by the bar: the press point and its offset from the window height.
    TPoint FDownPos{0, 0};
    int FDownHeightOffset = 0;
    bool FSizing = false;
    TPoint FLastHitPoint{0, 0};
};

// ============================================================================================
// TRowDetailPanelEh: the grid's detail panel settings
// ============================================================================================

class TRowDetailPanelEh : public TPersistent {
    DOV_PERSISTENT(TRowDetailPanelEh, TPersistent)
public:
    explicit TRowDetailPanelEh(TCustomDBGridEh* AGrid);
    // Copies Active only.
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override;
    TCustomDBGridEh* Grid() const { return FGrid; }

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value);
    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value);
    bool VertSizing() const { return FVertSizing; }
    void SetVertSizing(bool Value);
    int SizingBarHeight() const { return FSizingBarHeight; }
    void SetSizingBarHeight(int Value);
    bool SizingBarBeveled() const { return FSizingBarBeveled; }
    void SetSizingBarBeveled(bool Value);
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Value);
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // The grid's colour while ParentColor; setting it clears ParentColor.
    TColor Color() const;
    void SetColor(TColor Value);
    bool IsColorStored() const;
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool ParentPopupMenu() const { return FParentPopupMenu; }
    void SetParentPopupMenu(bool Value);

    // True while the panel of the current row is open.
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);

private:
    // Layout-relevant settings changed: the grid places its window again.
    void Changed();
    // The height kept inside MinHeight and MaxHeight.
    int ClampHeight(int Value) const;

    TCustomDBGridEh* FGrid;
    bool FActive = false;
    int FWidth = 0;
    int FHeight = 120;
    int FMinHeight = 1;
    int FMaxHeight = 0;
    bool FVertSizing = false;
    int FSizingBarHeight = 8;
    bool FSizingBarBeveled = true;
    TWinControl* FActiveControl = nullptr;
    TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    TBevelKind FBevelKind = bkNone;
    int FBevelWidth = 1;
    TBorderStyle FBorderStyle = bsSingle;
    TColor FColor;
    bool FParentColor = false;
    bool FParentPopupMenu = true;
    bool FVisible = false;
};

// ============================================================================================
// Row panel mode: each record shown as one panel of its columns
// ============================================================================================

enum TRowPanelNavKeysNavigationTypeEh { rpntRowToRowEh, rpntCellToCellEh };
DOV_ENUM_INFO(TRowPanelNavKeysNavigationTypeEh, rpntRowToRowEh, rpntCellToCellEh)
enum TRowPanelTabNavigationTypeEh { rpntUpToDownPriorityEh, rpntLeftToRightPriorityEh };
DOV_ENUM_INFO(TRowPanelTabNavigationTypeEh, rpntUpToDownPriorityEh, rpntLeftToRightPriorityEh)

class TGridRowPanelEh : public TPersistent {
    DOV_PERSISTENT(TGridRowPanelEh, TPersistent)
public:
    explicit TGridRowPanelEh(TCustomDBGridEh* AGrid);
    // Copies Active only.
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TRowPanelNavKeysNavigationTypeEh NavKeysNavigationType() const { return FNavKeysNavigationType; }
    void SetNavKeysNavigationType(TRowPanelNavKeysNavigationTypeEh Value) { FNavKeysNavigationType = Value; }
    TRowPanelTabNavigationTypeEh TabNavigationType() const { return FTabNavigationType; }
    void SetTabNavigationType(TRowPanelTabNavigationTypeEh Value) { FTabNavigationType = Value; }

private:
    TCustomDBGridEh* FGrid;
    bool FActive = false;
    TRowPanelNavKeysNavigationTypeEh FNavKeysNavigationType = rpntRowToRowEh;
    TRowPanelTabNavigationTypeEh FTabNavigationType = rpntUpToDownPriorityEh;
};

// Where a column sits inside the panel cell (pixels from the cell's top-left corner): its
// title and footer place, and its data cell, which differs only for a column at the left edge.
struct TColumnEhInRowPanelPlacement {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int DataCellLeft = 0;
    int DataCellWidth = 0;
};
