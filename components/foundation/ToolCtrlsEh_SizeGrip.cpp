// The size grip of drop-down windows.
#include "ToolCtrlsEh.h"

#include <QWidget>
#include <algorithm>

DOV_PUBLISHED(TSizeGripEh) {}

TSizeGripEh::TSizeGripEh(TComponent* AOwner) : TCustomControlEh(AOwner)
{
    ControlStyle << csCaptureMouse << csReplicatable << csParentBackground;
    FWidth = GetSystemMetrics(SM_CXVSCROLL);
    FHeight = GetSystemMetrics(SM_CYVSCROLL);
    FParentColor = false;
    FColor = clBtnFace;
    FCursor = crSizeNWSE;
    FTabStop = false;
}

void TSizeGripEh::SetPosition(TSizeGripPosition Value)
{
    if (FPosition == Value)
        return;
    FPosition = Value;
    if (HandleAllocated()) {
        RecreateWnd();
        UpdateWindowRegion();
    }
}

void TSizeGripEh::SetTriangleWindow(bool Value)
{
    if (FTriangleWindow == Value)
        return;
    FTriangleWindow = Value;
    UpdateWindowRegion();
}

bool TSizeGripEh::Visible() const
{
    return HandleAllocated() ? IsWindowVisible(HandleIfAllocated()) : TCustomControlEh::Visible();
}

void TSizeGripEh::SetVisible(bool Value)
{
    if (HandleAllocated())
        Widget()->setVisible(Value);
    else
        TCustomControlEh::SetVisible(Value);
}

void TSizeGripEh::CreateParams(TCreateParams& Params)
{
    TCustomControlEh::CreateParams(Params);
    // A host that is not the parent lends its window.
    if (!Parent() && FHostControl) {
        FParentWindow = FHostControl->Handle();
        Params.WndParent = FParentWindow;
    }
}

void TSizeGripEh::CreateWnd()
{
    TCustomControlEh::CreateWnd();
    if (!Parent() && FParentWindow)
        SetParentWindow(FParentWindow);
    UpdateWindowRegion();
}

void TSizeGripEh::UpdatePosition()
{
    TWinControl* host = HostControl();
    if (!HandleAllocated() || !host)
        return;
    const int cw = host->ClientWidth(), ch = host->ClientHeight();
    TPoint p;
    switch (FPosition) {
    case sgpTopLeft: p = TPoint(0, 0); break;
    case sgpTopRight: p = TPoint(cw - Width(), 0); break;
    case sgpBottomRight: p = TPoint(cw - Width(), ch - Height()); break;
    case sgpBottomLeft: p = TPoint(0, ch - Height()); break;
    }
    FInternalMove = true;
    TCustomControlEh::SetBounds(p.X, p.Y, Width(), Height());
    FInternalMove = false;
}

void TSizeGripEh::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TCustomControlEh::SetBounds(ALeft, ATop, AWidth, AHeight);
    // Moved by anything else, the grip snaps back into its corner.
    if (!FInternalMove)
        UpdatePosition();
}

void TSizeGripEh::UpdateWindowRegion()
{
    if (!HandleAllocated())
        return;
    if (FTriangleWindow) {
        const int w = Width(), h = Height();
        TPoint pts[3];
        switch (FPosition) {
        case sgpBottomRight: pts[0] = TPoint(0, h); pts[1] = TPoint(w, h); pts[2] = TPoint(w, 0); break;
        case sgpBottomLeft: pts[0] = TPoint(w, h); pts[1] = TPoint(0, h); pts[2] = TPoint(0, 0); break;
        case sgpTopLeft: pts[0] = TPoint(w - 1, 0); pts[1] = TPoint(0, 0); pts[2] = TPoint(0, h - 1); break;
        case sgpTopRight: pts[0] = TPoint(w, h - 1); pts[1] = TPoint(w, 0); pts[2] = TPoint(1, 0); break;
        }
        HRGN rgn = CreatePolygonRgn(pts, 3, WINDING);
        SetWindowRgn(Handle(), rgn, true);
        DeleteRgn(rgn);
    } else {
        SetWindowRgn(Handle(), nullptr, true);
    }
    UpdatePosition();
    SetCursor(FPosition == sgpTopLeft || FPosition == sgpBottomRight ? crSizeNWSE : crSizeNESW);
}

void TSizeGripEh::ChangePosition(TSizeGripChangePosition NewPosition)
{
    SetPosition(MovedSizeGripPosition(FPosition, NewPosition));
}

void TSizeGripEh::ParentResized()
{
    if (OnParentResized)
        OnParentResized(this);
}

void TSizeGripEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControlEh::MouseDown(Button, Shift, X, Y);
    TWinControl* host = HostControl();
    if (Button != mbLeft || !host)
        return;
    FInitScreenMousePos = ClientToScreen(TPoint(X, Y));
    FOldMouseMovePos = FInitScreenMousePos;
    FParentRect = TRect(host->ClientWidth(), host->ClientHeight(), host->Width(), host->Height());
    FDragging = true;
}

void TSizeGripEh::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControlEh::MouseMove(Shift, X, Y);
    TWinControl* host = HostControl();
    if (!FDragging || !Shift.Contains(ssLeft) || !MouseCapture() || FInternalMove || !host || !host->HandleAllocated())
        return;
    const TPoint p = ClientToScreen(TPoint(X, Y));
    if (p == FOldMouseMovePos)
        return;
    TRect hostRect;
    GetWindowRect(host->Handle(), hostRect);
    const TRect wa = WorkAreaNearestToRect(hostRect);
    const int oldClientW = host->ClientWidth(), oldClientH = host->ClientHeight();
    const int frameW = FParentRect.Right - FParentRect.Left, frameH = FParentRect.Bottom - FParentRect.Top;
    // The host never gets smaller than the grip, which stays reachable.
    const int minClientW = Width(), minClientH = Height();

    if (FPosition == sgpTopRight || FPosition == sgpBottomRight) {
        int w = FParentRect.Left + (p.X - FInitScreenMousePos.X);
        const int right = hostRect.Left + frameW + w;
        if (right > wa.Right)
            w -= right - wa.Right;
        host->SetClientWidth(std::max(w, minClientW));
    } else {
        int w = FParentRect.Right - (p.X - FInitScreenMousePos.X);
        const int left = hostRect.Right - w;
        if (left < wa.Left)
            w -= wa.Left - left;
        w = std::max(w, minClientW + frameW);
        const int change = w - host->Width();
        host->SetBounds(host->Left() - change, host->Top(), w, host->Height());
    }
    if (FPosition == sgpBottomLeft || FPosition == sgpBottomRight) {
        int h = FParentRect.Top + (p.Y - FInitScreenMousePos.Y);
        const int bottom = hostRect.Top + frameH + h;
        if (bottom > wa.Bottom)
            h -= bottom - wa.Bottom;
        host->SetClientHeight(std::max(h, minClientH));
    } else {
        int h = FParentRect.Bottom - (p.Y - FInitScreenMousePos.Y);
        const int top = hostRect.Bottom - h;
        if (top < wa.Top)
            h -= wa.Top - top;
        h = std::max(h, minClientH + frameH);
        const int change = h - host->Height();
        host->SetBounds(host->Left(), host->Top() - change, host->Width(), h);
    }
    FOldMouseMovePos = p;
    if (host->ClientWidth() != oldClientW || host->ClientHeight() != oldClientH)
        ParentResized();
    UpdatePosition();
}

void TSizeGripEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControlEh::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft)
        FDragging = false;
}

void TSizeGripEh::Paint()
{
    TCanvas* c = Canvas();
    const int w = Width(), h = Height();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
    // Mirrors a bottom-right drawing into the grip's corner.
    auto map = [&](int x, int y) {
        if (FPosition == sgpBottomLeft || FPosition == sgpTopLeft)
            x = w - 1 - x;
        if (FPosition == sgpTopLeft || FPosition == sgpTopRight)
            y = h - 1 - y;
        return TPoint(x, y);
    };
    const TColor colors[4] = {clBtnHighlight, clBtnShadow, clBtnShadow, clBtnFace};
    // Lines parallel to the triangle's long side, one pixel nearer the corner each.
    for (int i = 1; i < w; i += 4)
        for (int k = 0; k < 4; ++k) {
            const int o = i - 1 + k;
            if (o >= std::min(w, h))
                break;
            c->Pen()->SetColor(colors[k]);
            const TPoint a = map(w - 1, o), b = map(o, h - 1);
            c->MoveTo(a.X, a.Y);
            c->LineTo(b.X, b.Y);
            c->SetPixels(b.X, b.Y, colors[k]);
        }
}
