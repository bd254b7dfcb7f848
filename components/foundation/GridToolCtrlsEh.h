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

protected:
    void Paint() override;
    bool FTriangleWindow = false;
    TGripActiveStatusEh FGripActiveStatus = gasAutoEh;
    TSizeGripPosition FPosition = sgpBottomRight;
};
