// Windows the base grid places around its cells: the scroll-bar panels and the size-grip
// panel in the corner between the bars.
#pragma once

#include "GridsEh.h"
#include "platform/vcl/ScrollBars.h"

class TControlScrollBarEh : public TScrollBar {
public:
    explicit TControlScrollBarEh(TComponent* AOwner) : TScrollBar(AOwner) {}

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

// Holds one scroll bar of a grid; scroll events go to the grid's ScrollByCode.
class TGridScrollBarPanelControlEh : public TCustomControl {
public:
    TGridScrollBarPanelControlEh(TCustomGridEh* AGrid, TScrollBarKind AKind);

    TScrollBar* ScrollBar() const { return FScrollBar; }
    TScrollBarKind Kind() const { return FKind; }
    TCustomGridEh* Grid() const { return FGrid; }
    bool KeepMaxSizeInDefault() const { return FKeepMaxSizeInDefault; }
    void SetKeepMaxSizeInDefault(bool Value);
    // Enables the bar, sets its range, position and page; disables it when there is nothing
    // to scroll.
    void SetParams(int APosition, int AMin, int AMax, int APageSize);
    int MaxSizeForExtraPanel();
    virtual bool ScrollBarMouseDownAllowed(TScrollBar* ScrollBar);
    void Invalidate() override;

protected:
    void Resize() override;
    void ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos);

    TScrollBar* FScrollBar = nullptr;
    bool FKeepMaxSizeInDefault = true;
    TScrollBarKind FKind;
    TCustomGridEh* FGrid;
};

// The corner square between the bars; an active grip when the grid asks for one.
class TSizeGripPanelEh : public TCustomControl {
public:
    explicit TSizeGripPanelEh(TComponent* AOwner);
    TSizeGripPosition Position() const { return FPosition; }
    void SetPosition(TSizeGripPosition Value);
    bool TriangleWindow() const { return FTriangleWindow; }
    void SetTriangleWindow(bool Value);
    TGripActiveStatusEh GripActiveStatus() const { return FGripActiveStatus; }
    void SetGripActiveStatus(TGripActiveStatusEh Value);

    // The top-level window the grip resizes (nullptr when none).
    TWinControl* HostWindow() const;
    // Never, always, or (automatic) when the host is sizable and the grip sits in its corner.
    bool IsActive() const;
    // Whether a client point belongs to the grip's window: the triangle of its corner when
    // it is a triangle window, else the whole square.
    bool PtInGripRegion(int X, int Y) const;

protected:
    void WndProc(TMessage& Message) override;
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void UpdateCursor();
    bool FTriangleWindow = false;
    TGripActiveStatusEh FGripActiveStatus = gasAutoEh;
    TSizeGripPosition FPosition = sgpBottomRight;
    TPoint FInitFormSize;
    TPoint FInitFormPos;
    TPoint FMouseMousePos{-1, -1};
    bool FPassingMouse = false;   // a press outside the triangle went to the parent; so do the rest until release
};

// Top-most feedback windows that show where a dragged column or row will land.
class TGridDragWinEh : public TCustomControl {
public:
    explicit TGridDragWinEh(TComponent* AOwner);

    uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
    void SetAlphaBlendValue(uint8_t Value);
    TColor TransparentColorValue() const { return FTransparentColorValue; }
    void SetTransparentColorValue(TColor Value) { FTransparentColorValue = Value; }

    // Positions are client coordinates of Control.
    virtual void MoveToFor(TControl* Control, TPoint NewPos);
    virtual void MoveToFor(TControl* Control, TPoint NewPos, int NewWidth, int NewHeight);
    virtual void StartShow(TControl* Control, TPoint Pos, int AWidth, int AHeight);
    virtual void StartShow(TControl* Control, TPoint Pos, int AHeight);
    void Show() {}
    // Zero size at the same place: it stays visible, so a later move shows it again.
    void TemporaryHide();

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;
    uint8_t FAlphaBlendValue = 200;
    TColor FTransparentColorValue = 0;
};

class TGridDragBoxEh : public TGridDragWinEh {
public:
    explicit TGridDragBoxEh(TComponent* AOwner);
};

// The insertion line: red arrow heads and a one-pixel line; everything else is transparent.
class TGridMoveLineEh : public TGridDragWinEh {
public:
    explicit TGridMoveLineEh(TComponent* AOwner);
    bool IsVert() const { return FIsVert; }
    void MoveToFor(TControl* Control, TPoint NewPos) override;
    using TGridDragWinEh::MoveToFor;
    using TGridDragWinEh::StartShow;
    virtual void StartShow(TControl* Control, TPoint Pos, bool IsVertical, int ALength, TControl* Unused);
    // The red pixels of the line for the window's size (its shape).
    std::vector<TRect> Shapes() const;

protected:
    void Paint() override;
    void Resize() override;
    bool FIsVert = true;
};

TGridDragBoxEh* GetGridDragBox();
TGridMoveLineEh* GetGridMoveLine();
