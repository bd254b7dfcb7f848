#include "GridToolCtrlsEh.h"

#include "platform/winapi/WinUser.h"

#include <algorithm>
#include <climits>

// ---------------------------------------------------------------- TControlScrollBarEh

void TControlScrollBarEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    auto* panel = dynamic_cast<TGridScrollBarPanelControlEh*>(Parent());
    if (panel && !panel->ScrollBarMouseDownAllowed(this))
        return;
    TScrollBar::MouseDown(Button, Shift, X, Y);
}

// ---------------------------------------------------------------- TGridScrollBarPanelControlEh

TGridScrollBarPanelControlEh::TGridScrollBarPanelControlEh(TCustomGridEh* AGrid, TScrollBarKind AKind)
    : TCustomControl(AGrid), FKind(AKind), FGrid(AGrid)
{
    ControlStyle.Exclude(csSetCaption);
    ControlStyle.Exclude(csParentBackground);
    FTabStop = false;
    FScrollBar = new TControlScrollBarEh(this);
    FScrollBar->SetKind(AKind);
    FScrollBar->OnScroll = TScrollEvent(this, &TGridScrollBarPanelControlEh::ScrollBarScroll);
    FScrollBar->SetParent(this);
    FScrollBar->DoubleBuffered = false;
}

void TGridScrollBarPanelControlEh::SetKeepMaxSizeInDefault(bool Value)
{
    if (FKeepMaxSizeInDefault == Value)
        return;
    FKeepMaxSizeInDefault = Value;
    Resize();
}

void TGridScrollBarPanelControlEh::SetParams(int APosition, int AMin, int AMax, int APageSize)
{
    FScrollBar->SetEnabled(true);
    if (AMax < FScrollBar->PageSize())
        FScrollBar->SetPageSize(0);
    if (AMax < AMin)
        AMax = AMin;
    FScrollBar->SetParams(APosition, AMin, AMax);
    // The bar refuses a page larger than its range; such a bar is disabled anyway.
    FScrollBar->SetPageSize(std::clamp(APageSize, 0, int(std::min<int64_t>(INT_MAX, int64_t(AMax) - AMin + 1))));
    if (AMin >= AMax || int64_t(AMax) - AMin < APageSize)
        FScrollBar->SetEnabled(false);
}

int TGridScrollBarPanelControlEh::MaxSizeForExtraPanel()
{
    return Width() - 2 * GetSystemMetrics(SM_CYHSCROLL);
}

bool TGridScrollBarPanelControlEh::ScrollBarMouseDownAllowed(TScrollBar*)
{
    return FGrid->FocusGrid();
}

void TGridScrollBarPanelControlEh::Invalidate()
{
    TCustomControl::Invalidate();
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->Invalidate();
}

void TGridScrollBarPanelControlEh::Resize()
{
    TCustomControl::Resize();
    const TRect r = ClientRect();
    if (FKind == sbHorizontal) {
        const int h = FGrid->HorzScrollBar()->ActualScrollBarBoxSize();
        FScrollBar->SetBounds(0, r.Bottom - h, r.Width(), h);
    } else {
        const int w = FGrid->VertScrollBar()->ActualScrollBarBoxSize();
        FScrollBar->SetBounds(r.Right - w, 0, w, r.Height());
    }
}

void TGridScrollBarPanelControlEh::ScrollBarScroll(TObject*, TScrollCode ScrollCode, int& ScrollPos)
{
    int pos = ScrollPos;
    if (FKind == sbHorizontal && FGrid->UseRightToLeftAlignment())
        pos = FScrollBar->Max() - pos;
    // The bar holds scaled values; the grid works in pixels.
    TGridScrollBarEh* bar = FKind == sbHorizontal ? FGrid->HorzScrollBar() : FGrid->VertScrollBar();
    FGrid->ScrollByCode(FKind == sbVertical, int(ScrollCode), bar->FromBar(pos), true);
    ScrollPos = FScrollBar->Position();
}

// ---------------------------------------------------------------- TSizeGripPanelEh

TSizeGripPanelEh::TSizeGripPanelEh(TComponent* AOwner) : TCustomControl(AOwner)
{
    FTabStop = false;
}

void TSizeGripPanelEh::SetPosition(TSizeGripPosition Value)
{
    if (FPosition == Value)
        return;
    FPosition = Value;
    Invalidate();
}

void TSizeGripPanelEh::SetTriangleWindow(bool Value)
{
    if (FTriangleWindow == Value)
        return;
    FTriangleWindow = Value;
    Invalidate();
}

void TSizeGripPanelEh::SetGripActiveStatus(TGripActiveStatusEh Value)
{
    if (FGripActiveStatus == Value)
        return;
    FGripActiveStatus = Value;
    Invalidate();
}

void TSizeGripPanelEh::Paint()
{
    Canvas()->Brush()->SetColor(clBtnFace);
    Canvas()->FillRect(ClientRect());
}
