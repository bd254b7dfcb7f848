// The hint window and the application's hint manager.
#include "HintWindow.h"
#include "platform/rtl/Guards.h"
#include "Forms.h"

#include "platform/winapi/DCGuards.h"

#include <QGuiApplication>
#include <QImage>
#include <QWidget>

DOV_PUBLISHED(THintWindow) {}

const TClassInfo* HintWindowClass = &THintWindow::StaticClassInfo();

namespace {
// Below the pointer by about the height of the arrow cursor.
constexpr int kCursorHeightMargin = 20;
constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kHideTimer = 2;
}

QString GetShortHint(const QString& Hint)
{
    const int bar = Hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? Hint : Hint.left(bar);
}

QString GetLongHint(const QString& Hint)
{
    const int bar = Hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? Hint : Hint.mid(bar + 1);
}

QString GetHint(TControl* Control)
{
    for (TControl* c = Control; c; c = c->Parent())
        if (!c->Hint.isEmpty())
            return c->Hint;
    return QString();
}

// ---------------------------------------------------------------- THintWindow

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    FVisible = false;
    FColor = Application->HintColor;
    FParentColor = false;
}

// The font's change reaches the control's handlers, a descendant's among them.
void THintWindow::AfterConstruction()
{
    TCustomControl::AfterConstruction();
    Font()->Assign(Screen->HintFont());
    FParentFont = false;
    Canvas()->Font()->Assign(Screen->HintFont());
}

THintWindow::~THintWindow() = default;

void THintWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
}

void THintWindow::WMNCCalcSize(TMessage& M)
{
    InflateRect(*reinterpret_cast<TRect*>(M.LParam), -1, -1);
}

void THintWindow::WMNCPaint(TMessage& M)
{
    HDC dc = reinterpret_cast<HDC>(M.LParam);
    const TRect r(0, 0, FWidth, FHeight);
    HBRUSH b = CreateSolidBrush(ColorToRGB(clWindowFrame));
    FrameRect(dc, r, b);
    DeleteObject(b);
}

void THintWindow::CMTextChanged(TMessage&) { Invalidate(); }

void THintWindow::Paint()
{
    TRect r = ClientRect();
    Canvas()->Brush()->SetColor(FColor);
    Canvas()->FillRect(r);
    r.Left += 2;
    r.Top += 2;
    Canvas()->RequireFont();
    HDC dc = Canvas()->Handle();
    SetBkMode(dc, TRANSPARENT);
    DrawText(dc, Caption(), -1, r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | (UseRightToLeftReading() ? UINT(DT_RTLREADING) : 0u));
}

TRect THintWindow::CalcHintRect(int MaxWidth, const QString& AHint, void*)
{
    TRect r(0, 0, MaxWidth, 0);
    // Measured on a scratch context when the window is not painting.
    QImage scratch(1, 1, QImage::Format_RGB32);
    TOwnedDC own;
    if (!Canvas()->HandleAllocated()) {
        own.reset(CreateDCForImage(&scratch));
        Canvas()->SetHandle(own.get());
    }
    {
        auto detach = Finally([&] {
            if (own)
                Canvas()->SetHandle(nullptr);
        });
        Canvas()->RequireFont();
        DrawText(Canvas()->Handle(), AHint, -1, r,
                 DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | (UseRightToLeftReading() ? UINT(DT_RTLREADING) : 0u));
    }
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void THintWindow::ActivateHint(TRect Rect, const QString& AHint)
{
    SetCaption(AHint);
    // Room for the border and the text's top and bottom margins.
    Rect.Bottom += 4;
    const TRect area = Screen->MonitorFromPoint(Rect.TopLeft())->WorkareaRect;
    if (Rect.Right > area.Right)
        OffsetRect(Rect, area.Right - Rect.Right, 0);
    if (Rect.Left < area.Left)
        OffsetRect(Rect, area.Left - Rect.Left, 0);
    if (Rect.Bottom > area.Bottom)
        OffsetRect(Rect, 0, area.Bottom - Rect.Bottom);
    if (Rect.Top < area.Top)
        OffsetRect(Rect, 0, area.Top - Rect.Top);
    SetBoundsRect(Rect);
    if (!FVisible)
        SetVisible(true);
    else if (!HandleAllocated() || !Widget()->isVisible())
        Perform(CM_SHOWINGCHANGED, 0, 0);
    if (QWidget* w = Widget()) {
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            w->raise();
    }
    Invalidate();
}

void THintWindow::ActivateHintData(TRect Rect, const QString& AHint, void*) { ActivateHint(Rect, AHint); }

void THintWindow::ReleaseHandle()
{
    SetVisible(false);
    DestroyHandle();
}

bool THintWindow::IsShowing() const { return FVisible && HandleAllocated() && Widget()->isVisible(); }

// ---------------------------------------------------------------- THintManager

// The window the manager's timers are delivered to.
struct THintManager::TimerWnd : HWND__ {
    THintManager* M;
    bool Running[3] = {false, false, false};
    explicit TimerWnd(THintManager* m) : M(m) { RegisterWindowHandle(this); }
    ~TimerWnd() override { UnregisterWindowHandle(this); }
    LRESULT DeliverMessage(UINT msg, WPARAM w, LPARAM) override
    {
        if (msg != WM_TIMER)
            return 0;
        GuardedCall([&] {
            if (w == kShowTimer)
                M->ShowTimerExpired();
            else if (w == kHideTimer)
                M->HideTimerExpired();
        });
        return 0;
    }
    QWidget* Widget() const override { return nullptr; }
};

THintManager::THintManager() = default;

THintManager::~THintManager()
{
    delete FWindow;
}

void THintManager::StartTimer(UINT_PTR Id, int Ms)
{
    if (!FTimerWnd)
        FTimerWnd = std::make_unique<TimerWnd>(this);
    FTimerWnd->Running[Id] = true;
    SetTimer(FTimerWnd.get(), Id, UINT(std::max(1, Ms)));
}

void THintManager::StopTimer(UINT_PTR Id)
{
    if (!FTimerWnd || !FTimerWnd->Running[Id])
        return;
    FTimerWnd->Running[Id] = false;
    KillTimer(FTimerWnd.get(), Id);
}

bool THintManager::HintShowing() const { return FWindow && FWindow->IsShowing(); }

void THintManager::ControlMessage(TControl* Control, const TMessage& M)
{
    switch (M.Msg) {
    case WM_MOUSEMOVE: {
        const TPoint p(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
        MouseMoved(Control, Control->ClientToScreen(p));
        break;
    }
    case CM_MOUSELEAVE:
        // The window holding the hinted control lost the mouse.
        for (TControl* c = FControl; c; c = c->Parent())
            if (c == Control) {
                CancelHint();
                break;
            }
        break;
    default:
        // Presses, the wheel and keys put the hint away.
        if (FControl || HintShowing())
            CancelHint();
        break;
    }
}

void THintManager::ControlDestroying(TControl* Control)
{
    if (Control == FWindow) {
        FWindow = nullptr;
        return;
    }
    for (TControl* c = FControl; c; c = c->Parent())
        if (c == Control) {
            CancelHint();
            return;
        }
}

void THintManager::MouseMoved(TControl* Control, TPoint ScreenPos)
{
    FCursorPos = ScreenPos;
    if (!Application->ShowHint || !Control || !Control->ShowHint()) {
        if (FControl || HintShowing())
            CancelHint();
        return;
    }
    if (Control == FControl && PtInRect(FCursorRect, ScreenPos))
        return;
    // A new control or a new part of it: a short pause while hints are on the move.
    int pause = FActive ? Application->HintShortPause : Application->HintPause;
    Control->Perform(CM_HINTSHOWPAUSE, WPARAM(FActive), LPARAM(&pause));
    HideWindow();
    StopTimer(kHideTimer);
    FControl = Control;
    const TPoint o = Control->ClientToScreen(TPoint(0, 0));
    FCursorRect = Bounds(o.X, o.Y, Control->ClientWidth(), Control->ClientHeight());
    if (pause <= 0) {
        StopTimer(kShowTimer);
        Activate();
    } else {
        StartTimer(kShowTimer, pause);
    }
}

void THintManager::ActivateHint(TPoint CursorPos)
{
    FCursorPos = CursorPos;
    if (TControl* c = FindDragTarget(CursorPos, true))
        if (c->ShowHint())
            FControl = c;
    if (!FControl)
        return;
    StopTimer(kShowTimer);
    Activate();
}

bool THintManager::TimerPending(UINT_PTR Id) const { return FTimerWnd && FTimerWnd->Running[Id]; }

void THintManager::ShowTimerExpired()
{
    if (!TimerPending(kShowTimer))
        return;
    StopTimer(kShowTimer);
    Activate();
}

void THintManager::HideTimerExpired()
{
    // The hint goes, the control stays: it does not come back until the mouse moves on.
    if (!TimerPending(kHideTimer))
        return;
    StopTimer(kHideTimer);
    HideWindow();
    FActive = false;
}

THintWindow* THintManager::WindowOfClass(const TClassInfo* Class)
{
    if (!Class || !Class->CreateComponent || !Class->InheritsFrom(&THintWindow::StaticClassInfo()))
        Class = &THintWindow::StaticClassInfo();
    if (FWindow && &FWindow->ClassInfo() != Class) {
        THintWindow* old = FWindow;
        FWindow = nullptr;
        delete old;
    }
    if (!FWindow)
        FWindow = static_cast<THintWindow*>(Class->CreateComponent(nullptr));
    return FWindow;
}

void THintManager::Activate()
{
    TControl* control = FControl;
    if (!control)
        return;
    THintInfo info;
    info.HintControl = control;
    info.HintWindowClass = HintWindowClass;
    info.HintPos = TPoint(FCursorPos.X, FCursorPos.Y + kCursorHeightMargin);
    info.HintMaxWidth = Screen->Width();
    info.HintColor = Application->HintColor;
    info.CursorRect = control->ClientRect();
    info.CursorPos = control->ScreenToClient(FCursorPos);
    info.HideTimeout = Application->HintHidePause;
    info.HintStr = GetShortHint(GetHint(control));

    bool canShow = control->Perform(CM_HINTSHOW, 0, LPARAM(&info)) == 0;
    if (canShow && Application->OnShowHint)
        Application->OnShowHint(info.HintStr, canShow, info);
    if (FControl != control)   // the handlers moved the hint elsewhere
        return;
    FActive = canShow;
    TControl* owner = info.HintControl ? info.HintControl : control;
    const TPoint o = owner->ClientToScreen(info.CursorRect.TopLeft());
    FCursorRect = Bounds(o.X, o.Y, info.CursorRect.Width(), info.CursorRect.Height());

    if (canShow && !info.HintStr.isEmpty()) {
        THintWindow* w = WindowOfClass(info.HintWindowClass);
        w->SetColor(info.HintColor);
        TRect r = w->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
        OffsetRect(r, info.HintPos.X, info.HintPos.Y);
        w->ActivateHintData(r, info.HintStr, info.HintData);
        StopTimer(kHideTimer);
        if (info.HideTimeout > 0)
            StartTimer(kHideTimer, info.HideTimeout);
    } else {
        HideWindow();
    }
    if (canShow && info.ReshowTimeout > 0)
        StartTimer(kShowTimer, info.ReshowTimeout);
}

void THintManager::HideWindow()
{
    if (FWindow && FWindow->HandleAllocated())
        FWindow->ReleaseHandle();
}

void THintManager::CancelHint()
{
    StopTimer(kShowTimer);
    StopTimer(kHideTimer);
    HideWindow();
    FControl = nullptr;
    FActive = false;
    FCursorRect = TRect();
}
