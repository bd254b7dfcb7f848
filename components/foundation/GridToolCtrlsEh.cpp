#include "GridToolCtrlsEh.h"

#include "platform/vcl/Forms.h"
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
    FScrollBar = Create<TControlScrollBarEh>(this);
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
    UpdateCursor();
    Invalidate();
}

void TSizeGripPanelEh::SetTriangleWindow(bool Value)
{
    if (FTriangleWindow == Value)
        return;
    FTriangleWindow = Value;
    FPassingMouse = false;
    UpdateCursor();
    Invalidate();
}

void TSizeGripPanelEh::SetGripActiveStatus(TGripActiveStatusEh Value)
{
    if (FGripActiveStatus == Value)
        return;
    FGripActiveStatus = Value;
    UpdateCursor();
    Invalidate();
}

TWinControl* TSizeGripPanelEh::HostWindow() const
{
    TWinControl* w = Parent();
    while (w && w->Parent())
        w = w->Parent();
    return w;
}

bool TSizeGripPanelEh::IsActive() const
{
    switch (FGripActiveStatus) {
    case gasNeverEh: return false;
    case gasAlwaysEh: return true;
    case gasAutoEh: break;
    }
    auto* host = dynamic_cast<TCustomForm*>(HostWindow());
    if (!host || !Parent() || (host->BorderStyle() != bsSizeable && host->BorderStyle() != bsSizeToolWin))
        return false;
    auto* self = const_cast<TSizeGripPanelEh*>(this);
    const bool rtl = UseRightToLeftAlignment();
    const TPoint corner = self->ClientToScreen(TPoint(rtl ? 0 : self->Width(), self->Height()));
    const TPoint hostCorner = host->ClientToScreen(TPoint(rtl ? 0 : host->ClientWidth(), host->ClientHeight()));
    return std::abs(corner.X - hostCorner.X) <= 3 && std::abs(corner.Y - hostCorner.Y) <= 3;
}

bool TSizeGripPanelEh::PtInGripRegion(int X, int Y) const
{
    const int w = Width(), h = Height();
    if (X < 0 || Y < 0 || X >= w || Y >= h)
        return false;
    if (!FTriangleWindow)
        return true;
    // Pixel centres against the triangle's long side; the corner triangles are (W, H the size):
    // bottom-right (0,H) (W,H) (W,0); bottom-left (W,H) (0,H) (0,0); top-left (W-1,0) (0,0)
    // (0,H-1); top-right (W,H-1) (W,0) (1,0).
    const double x = X + 0.5, y = Y + 0.5;
    switch (FPosition) {
    case sgpBottomRight: return x / w + y / h >= 1.0;
    case sgpBottomLeft: return y / h >= x / w;
    case sgpTopLeft: return w > 1 && h > 1 && x / (w - 1) + y / (h - 1) <= 1.0;
    case sgpTopRight: return w > 1 && h > 1 && (x - 1) / (w - 1) >= y / (h - 1);
    }
    return true;
}

// The window is not shaped (window masks do not work everywhere), so the triangle is kept by
// hit testing: the mouse outside it goes to the window beneath, the grid.
void TSizeGripPanelEh::WndProc(TMessage& Message)
{
    const UINT m = Message.Msg;
    const bool mouse = m == WM_MOUSEMOVE || (m >= WM_LBUTTONDOWN && m <= WM_MBUTTONDBLCLK);
    if (mouse && FTriangleWindow && FMouseMousePos.X == -1 && Parent()) {
        const TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
        const bool press = m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_LBUTTONDBLCLK ||
                           m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDBLCLK;
        const bool release = m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_MBUTTONUP;
        if (FPassingMouse || !PtInGripRegion(p.X, p.Y)) {
            if (press)
                FPassingMouse = true;
            else if (release)
                FPassingMouse = false;
            if (m == WM_MOUSEMOVE)
                SetCursor(crDefault);
            Message.Result = Parent()->Perform(m, Message.WParam, MAKELPARAM(WORD(int16_t(p.X + Left())), WORD(int16_t(p.Y + Top()))));
            return;
        }
        if (m == WM_MOUSEMOVE)
            UpdateCursor();
    }
    TCustomControl::WndProc(Message);
}

void TSizeGripPanelEh::UpdateCursor()
{
    if (!IsActive())
        SetCursor(crDefault);
    else if (FPosition == sgpTopLeft || FPosition == sgpBottomRight)
        SetCursor(crSizeNWSE);
    else
        SetCursor(crSizeNESW);
}

void TSizeGripPanelEh::Resize()
{
    TCustomControl::Resize();
    UpdateCursor();
}

void TSizeGripPanelEh::Paint()
{
    if (!IsActive()) {
        Canvas()->Brush()->SetColor(clBtnFace);
        Canvas()->FillRect(ClientRect());
        return;
    }
    Canvas()->Brush()->SetColor(clBtnFace);
    Canvas()->FillRect(ClientRect());
    TRect r = ClientRect();
    DrawFrameControl(Canvas()->Handle(), r, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
}

void TSizeGripPanelEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    TWinControl* host = HostWindow();
    if (Button != mbLeft || !IsActive() || !host)
        return;
    FInitFormSize = TPoint(host->Width(), host->Height());
    FInitFormPos = TPoint(host->Left(), host->Top());
    FMouseMousePos = ClientToScreen(TPoint(X, Y));
}

void TSizeGripPanelEh::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    TWinControl* host = HostWindow();
    if (FMouseMousePos.X == -1 || !host)
        return;
    const TPoint p = ClientToScreen(TPoint(X, Y));
    const int dx = p.X - FMouseMousePos.X, dy = p.Y - FMouseMousePos.Y;
    int l = FInitFormPos.X, t = FInitFormPos.Y, w = FInitFormSize.X, h = FInitFormSize.Y;
    switch (FPosition) {
    case sgpTopLeft: l += dx; t += dy; w -= dx; h -= dy; break;
    case sgpTopRight: t += dy; w += dx; h -= dy; break;
    case sgpBottomRight: w += dx; h += dy; break;
    case sgpBottomLeft: l += dx; w -= dx; h += dy; break;
    }
    host->SetBounds(l, t, w, h);
    host->Update();
}

void TSizeGripPanelEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    FMouseMousePos = TPoint(-1, -1);
}

// ---------------------------------------------------------------- drag feedback windows

TGridDragWinEh::TGridDragWinEh(TComponent* AOwner) : TCustomControl(AOwner)
{
    FVisible = false;
    FTabStop = false;
}

void TGridDragWinEh::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
}

void TGridDragWinEh::CreateWnd()
{
    TCustomControl::CreateWnd();
    if (HandleAllocated() && FAlphaBlendValue != 255)
        SetLayeredWindowAttributes(Handle(), 0, BYTE(FAlphaBlendValue), LWA_ALPHA);
}

void TGridDragWinEh::SetAlphaBlendValue(uint8_t Value)
{
    FAlphaBlendValue = Value;
    if (HandleAllocated())
        SetLayeredWindowAttributes(Handle(), 0, BYTE(Value), LWA_ALPHA);
}

void TGridDragWinEh::Paint()
{
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
}

void TGridDragWinEh::MoveToFor(TControl* Control, TPoint NewPos)
{
    const TPoint p = Control->ClientToScreen(NewPos);
    SetBounds(p.X, p.Y, Width(), Height());
}

void TGridDragWinEh::MoveToFor(TControl* Control, TPoint NewPos, int NewWidth, int NewHeight)
{
    const TPoint p = Control->ClientToScreen(NewPos);
    SetBounds(p.X, p.Y, NewWidth, NewHeight);
}

void TGridDragWinEh::StartShow(TControl* Control, TPoint Pos, int AWidth, int AHeight)
{
    const TPoint p = Control->ClientToScreen(Pos);
    SetBounds(p.X, p.Y, AWidth, AHeight);
    HandleNeeded();
    SetVisible(true);
    BringToFront();
}

void TGridDragWinEh::StartShow(TControl* Control, TPoint Pos, int AHeight)
{
    StartShow(Control, Pos, Width(), AHeight);
}

void TGridDragWinEh::TemporaryHide()
{
    SetBounds(Left(), Top(), 0, 0);
}

TGridDragBoxEh::TGridDragBoxEh(TComponent* AOwner) : TGridDragWinEh(AOwner)
{
    FColor = cl3DDkShadow;
    FParentColor = false;
    FAlphaBlendValue = 200;
}

TGridMoveLineEh::TGridMoveLineEh(TComponent* AOwner) : TGridDragWinEh(AOwner)
{
    FColor = clWhite;
    FParentColor = false;
    FTransparentColorValue = clWhite;
    FAlphaBlendValue = 255;
}

std::vector<TRect> TGridMoveLineEh::Shapes() const
{
    std::vector<TRect> r;
    const int w = Width(), h = Height();
    if (FIsVert) {
        // Rows of 7, 5, 3 pixels at the top, the line down the middle, 3, 5, 7 at the bottom.
        r.push_back(TRect(0, 0, 7, 1));
        r.push_back(TRect(1, 1, 6, 2));
        r.push_back(TRect(2, 2, 5, 3));
        r.push_back(TRect(3, 3, 4, h - 3));
        r.push_back(TRect(2, h - 3, 5, h - 2));
        r.push_back(TRect(1, h - 2, 6, h - 1));
        r.push_back(TRect(0, h - 1, 7, h));
    } else {
        r.push_back(TRect(0, 0, 1, 7));
        r.push_back(TRect(1, 1, 2, 6));
        r.push_back(TRect(2, 2, 3, 5));
        r.push_back(TRect(3, 3, w - 3, 4));
        r.push_back(TRect(w - 3, 2, w - 2, 5));
        r.push_back(TRect(w - 2, 1, w - 1, 6));
        r.push_back(TRect(w - 1, 0, w, 7));
    }
    return r;
}

void TGridMoveLineEh::Resize()
{
    TGridDragWinEh::Resize();
    // The white of the window is its transparent colour: only the red shapes show.
    if (HandleAllocated() && Width() > 0 && Height() > 0) {
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        for (const TRect& t : Shapes())
            if (t.Right > t.Left && t.Bottom > t.Top) {
                HRGN part = CreateRectRgnIndirect(t);
                CombineRgn(rgn, rgn, part, RGN_OR);
                DeleteRgn(part);
            }
        SetWindowRgn(Handle(), rgn, true);
        DeleteRgn(rgn);
    }
}

void TGridMoveLineEh::Paint()
{
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->FillRect(ClientRect());
    Canvas()->Brush()->SetColor(clRed);
    for (const TRect& t : Shapes())
        Canvas()->FillRect(t);
}

void TGridMoveLineEh::MoveToFor(TControl* Control, TPoint NewPos)
{
    TGridDragWinEh::MoveToFor(Control, TPoint(NewPos.X - 3, NewPos.Y - 4));
}

void TGridMoveLineEh::StartShow(TControl* Control, TPoint Pos, bool IsVertical, int ALength, TControl*)
{
    FIsVert = IsVertical;
    if (IsVertical)
        TGridDragWinEh::StartShow(Control, TPoint(Pos.X - 3, Pos.Y - 4), 7, ALength + 8);
    else
        TGridDragWinEh::StartShow(Control, TPoint(Pos.X - 3, Pos.Y - 4), ALength + 8, 7);
    Resize();
    Invalidate();
}

// One of each for the whole program, created on first use. They live as long as the program:
// freeing windows during static destruction would come after the widget toolkit is gone.
static TGridDragBoxEh* GDragBox = nullptr;
static TGridMoveLineEh* GMoveLine = nullptr;

TGridDragBoxEh* GetGridDragBox()
{
    if (!GDragBox)
        GDragBox = Create<TGridDragBoxEh>(nullptr);
    return GDragBox;
}

TGridMoveLineEh* GetGridMoveLine()
{
    if (!GMoveLine)
        GMoveLine = Create<TGridMoveLineEh>(nullptr);
    return GMoveLine;
}
