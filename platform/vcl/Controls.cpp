// Controls over QWidget: message dispatch, Qt event translation, painting, focus and keys.
#include "Controls.h"
#include "Forms.h"
#include "PopupMenus.h"

#include "platform/rtl/Guards.h"
#include "platform/winapi/DCGuards.h"
#include "platform/winapi/DeviceContext.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPixmap>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

// ---------------------------------------------------------------- helpers

TShiftState KeysToShiftState(UINT keys)
{
    TShiftState s;
    if (keys & MK_SHIFT) s << ssShift;
    if (keys & MK_CONTROL) s << ssCtrl;
    if (keys & MK_LBUTTON) s << ssLeft;
    if (keys & MK_RBUTTON) s << ssRight;
    if (keys & MK_MBUTTON) s << ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s << ssAlt;
    return s;
}

TShiftState KeyDataToShiftState(int32_t keyData)
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
    if (keyData & 0x20000000) s << ssAlt;
    return s;
}

TShiftState GetShiftState()
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s << ssAlt;
    if (GetKeyState(VK_LBUTTON) < 0) s << ssLeft;
    if (GetKeyState(VK_RBUTTON) < 0) s << ssRight;
    if (GetKeyState(VK_MBUTTON) < 0) s << ssMiddle;
    return s;
}

void GuardedCall(const std::function<void()>& f)
{
    try {
        f();
    } catch (...) {
        if (Application)
            Application->HandleException(nullptr);
    }
}

int CursorToQtShape(TCursor c)
{
    switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: case crSQLWait: return Qt::WaitCursor;
    case crDrag: case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop: case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

QCursor CursorFor(TCursor c)
{
    // Cursors registered from resources (positive ids) come as pictures with the hot spot
    // in the middle; the rest map to Qt's shapes.
    if (Screen) {
        const QString res = Screen->CursorResource(c);
        if (!res.isEmpty()) {
            QPixmap pm;
            for (const QString& path : {res, QStringLiteral(":/") + res, QStringLiteral(":/cursors/") + res})
                if (pm.load(path))
                    return QCursor(pm);
        }
    }
    return QCursor(Qt::CursorShape(CursorToQtShape(c)));
}

Word QtKeyToVirtualKey(int k, bool keypad)
{
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return Word('A' + (k - Qt::Key_A));
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return keypad ? Word(VK_NUMPAD0 + (k - Qt::Key_0)) : Word('0' + (k - Qt::Key_0));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F12)
        return Word(VK_F1 + (k - Qt::Key_F1));
    // Cyrillic letters come from the same keys as the Latin ones on a Russian layout; Qt
    // reports the Latin key code for them only with some layouts, so map the common ones.
    switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Help: return VK_HELP;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_Asterisk: return keypad ? Word(VK_MULTIPLY) : Word('8');
    case Qt::Key_Plus: return keypad ? Word(VK_ADD) : Word(VK_OEM_PLUS);
    case Qt::Key_Minus: return keypad ? Word(VK_SUBTRACT) : Word(VK_OEM_MINUS);
    case Qt::Key_Period: return keypad ? Word(VK_DECIMAL) : Word(VK_OEM_PERIOD);
    case Qt::Key_Slash: return keypad ? Word(VK_DIVIDE) : Word(VK_OEM_2);
    case Qt::Key_Comma: return VK_OEM_COMMA;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal: return VK_OEM_PLUS;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash: case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return VK_OEM_7;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    default: return 0;
    }
}

namespace {
TControl* gCaptureControl = nullptr;

struct LastClick {
    HWND Wnd = nullptr;
    UINT Msg = 0;
    TPoint Pos;
    QElapsedTimer Clock;
};
LastClick& ClickMemory()
{
    static LastClick c;
    return c;
}
}

// ---------------------------------------------------------------- the widget

// The QWidget of a window control: translates Qt's events into messages.
class TVclWidget : public QWidget {
public:
    TVclWidget(TWinControl* control, QWidget* parent, Qt::WindowFlags flags)
        : QWidget(parent, flags), FControl(control)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setMouseTracking(true);
    }
    ~TVclWidget() override
    {
        // Qt may free the widget first (the application going down): the control lets go.
        if (FControl) {
            FControl->FHandleObj.reset();
            FControl->FWidget = nullptr;
        }
    }
    TWinControl* FControl;
    bool FInSetBounds = false;

protected:
    bool event(QEvent* e) override;

private:
    void Paint(QPaintEvent* e);
    void Mouse(QMouseEvent* e);
    void Wheel(QWheelEvent* e);
    void Key(QKeyEvent* e, bool press);
};

struct TWinControl::WndHandle : HWND__ {
    TWinControl* C;
    explicit WndHandle(TWinControl* c) : C(c) { RegisterWindowHandle(this); }
    ~WndHandle() override { UnregisterWindowHandle(this); }
    LRESULT DeliverMessage(UINT msg, WPARAM w, LPARAM l) override
    {
        LRESULT r = 0;
        GuardedCall([&] { r = C->Perform(msg, w, l); });
        return r;
    }
    QWidget* Widget() const override { return C->FWidget; }
    TRect ClientBounds() const override
    {
        const TRect nc = C->FNonClient;
        const int w = C->FWidget ? C->FWidget->width() : C->FWidth;
        const int h = C->FWidget ? C->FWidget->height() : C->FHeight;
        return TRect(nc.Left, nc.Top, std::max<int>(nc.Left, w - nc.Right), std::max<int>(nc.Top, h - nc.Bottom));
    }
};

TWinControl* FindControl(HWND Handle)
{
    if (!IsWindow(Handle))
        return nullptr;
    auto* h = dynamic_cast<TWinControl::WndHandle*>(Handle);
    return h ? h->C : nullptr;
}

TWinControl* FindVCLWindow(const TPoint& Pos)
{
    if (!QCoreApplication::instance())
        return nullptr;
    for (QWidget* w = QApplication::widgetAt(Pos.X, Pos.Y); w; w = w->parentWidget())
        if (auto* vw = dynamic_cast<TVclWidget*>(w); vw && vw->FControl)
            return vw->FControl;
    return nullptr;
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled)
{
    TWinControl* w = FindVCLWindow(Pos);
    if (!w)
        return nullptr;
    if (TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled))
        return c;
    return w;
}

bool TVclWidget::event(QEvent* e)
{
    if (!FControl)
        return QWidget::event(e);
    TWinControl* c = FControl;
    switch (e->type()) {
    case QEvent::Paint:
        GuardedCall([&] { Paint(static_cast<QPaintEvent*>(e)); });
        return true;
    case QEvent::Resize:
        GuardedCall([&] {
            if (!FInSetBounds && !c->Parent()) {
                c->FWidth = width();
                c->FHeight = height();
            }
            c->ReadNonClient();
            const TRect cr = c->ClientRect();
            c->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(cr.Width()), WORD(cr.Height())));
        });
        return QWidget::event(e);
    case QEvent::Move:
        GuardedCall([&] {
            if (!FInSetBounds && !c->Parent()) {
                c->FLeft = x();
                c->FTop = y();
            }
            c->Perform(WM_MOVE, 0, MAKELPARAM(WORD(x()), WORD(y())));
        });
        return QWidget::event(e);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        GuardedCall([&] { Mouse(static_cast<QMouseEvent*>(e)); });
        return true;
    case QEvent::Wheel:
        GuardedCall([&] { Wheel(static_cast<QWheelEvent*>(e)); });
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        GuardedCall([&] { Key(static_cast<QKeyEvent*>(e), e->type() == QEvent::KeyPress); });
        return true;
    case QEvent::ShortcutOverride:
        e->accept();   // every key goes to the control first
        return true;
    case QEvent::FocusIn:
        GuardedCall([&] {
            NoteFocusWindow(c->FHandleObj.get());
            c->Perform(WM_SETFOCUS, 0, 0);
        });
        return true;
    case QEvent::FocusOut:
        GuardedCall([&] { c->Perform(WM_KILLFOCUS, 0, 0); });
        return true;
    case QEvent::Enter:
        GuardedCall([&] { c->Perform(CM_MOUSEENTER, 0, 0); });
        return true;
    case QEvent::Leave:
        GuardedCall([&] { c->Perform(CM_MOUSELEAVE, 0, 0); });
        return true;
    case QEvent::Close:
        if (auto* form = dynamic_cast<TCustomForm*>(c)) {
            e->ignore();
            QPointer<QWidget> self(this);
            GuardedCall([&] { form->Close(); });
            return true;
        }
        return QWidget::event(e);
    case QEvent::WindowActivate:
        if (auto* form = dynamic_cast<TCustomForm*>(c))
            GuardedCall([&] { form->Perform(WM_ACTIVATE, WA_ACTIVE, 0); });
        return QWidget::event(e);
    case QEvent::WindowDeactivate:
        if (auto* form = dynamic_cast<TCustomForm*>(c))
            GuardedCall([&] { form->Perform(WM_ACTIVATE, WA_INACTIVE, 0); });
        return QWidget::event(e);
    default:
        return QWidget::event(e);
    }
}

void TVclWidget::Paint(QPaintEvent* e)
{
    QPainter p(this);
    const TOwnedDC owned(CreateDCForPainter(&p));
    HDC dc = owned.get();
    // The context clips to the event's region, so GetClipBox tells the update area; what
    // was validated since the update was asked for stays as it is.
    QRegion region = e->region();
    BeginPaintRegion(FControl->FHandleObj.get(), region);
    if (region.isEmpty())
        return;
    dc->S.HasClip = true;
    dc->S.Clip = region;
    dc->ApplyClip();
    const TRect nc = FControl->FNonClient;
    if (nc.Left || nc.Top || nc.Right || nc.Bottom)
        FControl->Perform(WM_NCPAINT, 0, LPARAM(dc));
    SetViewportOrgEx(dc, nc.Left, nc.Top, nullptr);
    const TRect cr = FControl->ClientRect();
    // A frame-only update does not paint the client.
    if (region.intersects(QRect(nc.Left, nc.Top, cr.Width(), cr.Height()))) {
        IntersectClipRect(dc, 0, 0, cr.Width(), cr.Height());
        FControl->PaintHandler(dc);
    }
}

void TVclWidget::Mouse(QMouseEvent* e)
{
    TWinControl* c = FControl;
    const QPoint wp = e->position().toPoint();
    TPoint pt(wp.x() - c->FNonClient.Left, wp.y() - c->FNonClient.Top);
    const auto mods = e->modifiers();
    const auto buttons = e->buttons();
    SetKeyStateForInput(VK_SHIFT, mods & Qt::ShiftModifier);
    SetKeyStateForInput(VK_CONTROL, mods & Qt::ControlModifier);
    SetKeyStateForInput(VK_MENU, mods & Qt::AltModifier);
    SetKeyStateForInput(VK_LBUTTON, buttons & Qt::LeftButton);
    SetKeyStateForInput(VK_RBUTTON, buttons & Qt::RightButton);
    SetKeyStateForInput(VK_MBUTTON, buttons & Qt::MiddleButton);
    UINT keys = 0;
    if (mods & Qt::ShiftModifier) keys |= MK_SHIFT;
    if (mods & Qt::ControlModifier) keys |= MK_CONTROL;
    if (buttons & Qt::LeftButton) keys |= MK_LBUTTON;
    if (buttons & Qt::RightButton) keys |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) keys |= MK_MBUTTON;
    const LPARAM lp = MAKELPARAM(WORD(int16_t(pt.X)), WORD(int16_t(pt.Y)));

    if (e->type() == QEvent::MouseMove) {
        if (!GetCapture())
            c->Perform(WM_SETCURSOR, WPARAM(c->FHandleObj.get()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        c->Perform(WM_MOUSEMOVE, keys, lp);
        return;
    }
    const bool press = e->type() != QEvent::MouseButtonRelease;
    UINT msg;
    switch (e->button()) {
    case Qt::LeftButton: msg = press ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case Qt::RightButton: msg = press ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case Qt::MiddleButton: msg = press ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default: return;
    }
    const TRect cr = c->ClientRect();
    if (press && !PtInRect(cr, pt) && (c->FNonClient.Left || c->FNonClient.Top || c->FNonClient.Right || c->FNonClient.Bottom)) {
        const QPoint g = mapToGlobal(wp);
        c->Perform(WM_NCLBUTTONDOWN + (msg - WM_LBUTTONDOWN), HTBORDER, MAKELPARAM(WORD(g.x()), WORD(g.y())));
        return;
    }
    if (press) {
        // Double clicks by time and distance, our own, so that every control sees the same rule.
        LastClick& last = ClickMemory();
        HWND h = c->FHandleObj.get();
        const int dx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, dy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        const bool dbl = last.Wnd == h && last.Msg == msg && last.Clock.isValid()
            && last.Clock.elapsed() <= qint64(GetDoubleClickTime()) && std::abs(last.Pos.X - pt.X) <= dx
            && std::abs(last.Pos.Y - pt.Y) <= dy;
        if (dbl) {
            last.Wnd = nullptr;
            c->Perform(msg + 2, keys, lp);
        } else {
            last.Wnd = h;
            last.Msg = msg;
            last.Pos = pt;
            last.Clock.start();
            c->Perform(msg, keys, lp);
        }
    } else {
        c->Perform(msg, keys, lp);
    }
}

void TVclWidget::Wheel(QWheelEvent* e)
{
    const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
    if (delta == 0)
        return;
    UINT keys = 0;
    if (e->modifiers() & Qt::ShiftModifier) keys |= MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier) keys |= MK_CONTROL;
    const QPoint g = e->globalPosition().toPoint();
    FControl->Perform(WM_MOUSEWHEEL, MAKEWPARAM(WORD(keys), WORD(int16_t(delta))), MAKELPARAM(WORD(g.x()), WORD(g.y())));
}

void TVclWidget::Key(QKeyEvent* e, bool press)
{
    const auto mods = e->modifiers();
    TShiftState shift;
    if (mods & Qt::ShiftModifier) shift << ssShift;
    if (mods & Qt::ControlModifier) shift << ssCtrl;
    if (mods & Qt::AltModifier) shift << ssAlt;
    Word vk = QtKeyToVirtualKey(e->key(), mods & Qt::KeypadModifier);
    if (vk == 0 && e->nativeVirtualKey() >= 'a' && e->nativeVirtualKey() <= 'z')
        vk = Word(e->nativeVirtualKey() - 'a' + 'A');
    if (!press) {
        FControl->HandleKeyRelease(vk, shift);
        return;
    }
    QChar ch;
    switch (vk) {
    case VK_BACK: ch = QChar(8); break;
    case VK_TAB: ch = QChar(9); break;
    case VK_RETURN: ch = QChar(13); break;
    case VK_ESCAPE: ch = QChar(27); break;
    default:
        if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
            if (vk >= 'A' && vk <= 'Z')
                ch = QChar(vk - 'A' + 1);
        } else if (!e->text().isEmpty() && !(mods & Qt::ControlModifier) && e->text()[0] >= QChar(32) &&
                   e->text()[0] != QChar(127)) {
            // With Alt the character still comes, as WM_SYSCHAR: accelerators take it.
            ch = e->text()[0];
        }
    }
    FControl->HandleKeyPress(vk, ch, shift, e->isAutoRepeat());
}

// ---------------------------------------------------------------- TControl

DOV_PUBLISHED(TControl)
{
    P.Prop("Left", &TControl::Left, &TControl::SetLeft);
    P.Prop("Top", &TControl::Top, &TControl::SetTop);
    P.Prop("Width", &TControl::Width, &TControl::SetWidth);
    P.Prop("Height", &TControl::Height, &TControl::SetHeight);
    P.Prop("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Prop("Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Prop("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Default(bdLeftToRight);
    P.Prop("Caption", &TControl::Text, &TControl::SetText);
    P.Prop("Color", &TControl::Color, &TControl::SetColor).Stored(false);
    P.Prop("Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault);
    P.Prop("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Prop("Font", &TControl::Font);
    P.Prop("Hint", &TControl::Hint);
    P.Prop("PopupMenu", &TControl::PopupMenu);
    P.Prop("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
    P.Prop("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Prop("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    P.Prop("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
    P.Prop("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Event("OnClick", &TControl::OnClick);
    P.Event("OnDblClick", &TControl::OnDblClick);
    P.Event("OnResize", &TControl::OnResize);
    P.Event("OnMouseDown", &TControl::OnMouseDown);
    P.Event("OnMouseUp", &TControl::OnMouseUp);
    P.Event("OnMouseMove", &TControl::OnMouseMove);
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>())
{
    FFont->SetName(QStringLiteral("Tahoma"));
    FFont->SetSize(8);
    FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
    ControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TControl::~TControl()
{
    if (HintMessageListener)
        HintMessageListener->ControlDestroying(this);
    if (gCaptureControl == this)
        gCaptureControl = nullptr;
    if (FParent)
        FParent->RemoveControl(this);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    DOV_ASSERT_UI_THREAD();
    TMessage m{Msg, WParam, LParam, 0};
    WndProc(m);
    return m.Result;
}

THintMessageListener* HintMessageListener = nullptr;

void TControl::WndProc(TMessage& Message)
{
    if (HintMessageListener) {
        switch (Message.Msg) {
        case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: case WM_MOUSEWHEEL:
        case WM_KEYDOWN: case WM_SYSKEYDOWN: case CN_KEYDOWN: case CN_SYSKEYDOWN: case CM_MOUSELEAVE:
            HintMessageListener->ControlMessage(this, Message);
            break;
        default: break;
        }
    }
    // A control without double clicks sees the second press as a plain press.
    if (!ControlStyle.Contains(csDoubleClicks) && (Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_RBUTTONDBLCLK ||
                                                   Message.Msg == WM_MBUTTONDBLCLK))
        Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& M)
{
    switch (M.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(M); break;
    case WM_LBUTTONUP: WMLButtonUp(M); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(M); break;
    case WM_RBUTTONDOWN: WMRButtonDown(M); break;
    case WM_RBUTTONUP: WMRButtonUp(M); break;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(M); break;
    case WM_MBUTTONDOWN: WMMButtonDown(M); break;
    case WM_MBUTTONUP: WMMButtonUp(M); break;
    case WM_MBUTTONDBLCLK: WMMButtonDblClk(M); break;
    case WM_MOUSEMOVE: WMMouseMove(M); break;
    case WM_MOUSEWHEEL: WMMouseWheel(M); break;
    case WM_CANCELMODE: WMCancelMode(M); break;
    case WM_CONTEXTMENU: WMContextMenu(M); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(M); break;
    case CM_MOUSEWHEEL: CMMouseWheel(M); break;
    case CM_MOUSEENTER: CMMouseEnter(M); break;
    case CM_MOUSELEAVE: CMMouseLeave(M); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(M); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(M); break;
    case CM_FONTCHANGED: CMFontChanged(M); break;
    case CM_COLORCHANGED: CMColorChanged(M); break;
    case CM_TEXTCHANGED: CMTextChanged(M); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(M); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(M); break;
    case CM_CURSORCHANGED: CMCursorChanged(M); break;
    case CM_HITTEST: CMHitTest(M); break;
    case CM_CANCELMODE: CMCancelMode(M); break;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(M); break;
    case CM_SYSCOLORCHANGE: CMSysColorChange(M); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(M); break;
    default: DefaultHandler(M); break;
    }
}

void TControl::DefaultHandler(TMessage& M)
{
    switch (M.Msg) {
    case WM_GETTEXTLENGTH: M.Result = FText.size(); break;
    // The text travels as a QString pointer; WM_GETTEXT copies at most WParam characters.
    case WM_SETTEXT:
        SetText(M.LParam ? *reinterpret_cast<const QString*>(M.LParam) : QString());
        M.Result = 1;
        break;
    case WM_GETTEXT:
        if (auto* out = reinterpret_cast<QString*>(M.LParam)) {
            *out = FText.left(qsizetype(M.WParam));
            M.Result = out->size();
        }
        break;
    default: break;
    }
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == FParent)
        return;
    if (AParent == this)
        throw EInvalidOperation(QStringLiteral("A control cannot have itself as its parent"));
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent) {
        AParent->InsertControl(this);
        Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    }
}

void TControl::SetShowHint(bool v)
{
    FParentShowHint = false;
    if (v == FShowHint)
        return;
    FShowHint = v;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (TControl* c : w->FControls)
            c->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool v)
{
    if (v == FParentShowHint)
        return;
    FParentShowHint = v;
    if (v)
        Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    // Follows the parent's setting while ParentShowHint holds (SetShowHint would clear it).
    if (!FParentShowHint || !FParent)
        return;
    SetShowHint(FParent->ShowHint());
    FParentShowHint = true;
}

TComponent* TControl::GetParentComponent() const { return FParent; }
void TControl::SetParentComponent(TComponent* Value)
{
    if (auto* w = dynamic_cast<TWinControl*>(Value))
        SetParent(w);
}

bool TControl::ScalesFonts() const
{
    return !ComponentState().Contains(csLoading) || FScalingFlags.Contains(sfFont);
}

void TControl::ChangeScale(int M, int D)
{
    if (M == D || D == 0)
        return;
    SetBounds(MulDiv(FLeft, M, D), MulDiv(FTop, M, D), MulDiv(FWidth, M, D), MulDiv(FHeight, M, D));
    // A parent's font reaches the control through its parent.
    if (!FParentFont && ScalesFonts())
        FFont->SetSize(MulDiv(FFont->GetSize(), M, D));
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    if (FParent && !dynamic_cast<TWinControl*>(this))
        FParent->Invalidate();
    const bool resized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = std::max(0, AWidth);
    FHeight = std::max(0, AHeight);
    UpdateAnchorRules();
    if (FParent && !dynamic_cast<TWinControl*>(this))
        Invalidate();
    if (resized && !dynamic_cast<TWinControl*>(this))
        Resize();
    RequestAlign();
}

TRect TControl::ClientRect() { return TRect(0, 0, FWidth, FHeight); }

TPoint TControl::ClientOrigin()
{
    if (!FParent)
        return TPoint(FLeft, FTop);
    const TPoint p = FParent->ClientOrigin();
    return TPoint(p.X + FLeft, p.Y + FTop);
}

TPoint TControl::ClientToScreen(TPoint p)
{
    const TPoint o = ClientOrigin();
    return TPoint(p.X + o.X, p.Y + o.Y);
}

TPoint TControl::ScreenToClient(TPoint p)
{
    const TPoint o = ClientOrigin();
    return TPoint(p.X - o.X, p.Y - o.Y);
}

TPoint TControl::ClientToParent(TPoint p, TWinControl* AParent)
{
    if (!AParent)
        AParent = FParent;
    if (!AParent)
        throw EInvalidOperation(QStringLiteral("Control has no parent window"));
    return AParent->ScreenToClient(ClientToScreen(p));
}

TPoint TControl::ParentToClient(TPoint p, TWinControl* AParent)
{
    if (!AParent)
        AParent = FParent;
    if (!AParent)
        throw EInvalidOperation(QStringLiteral("Control has no parent window"));
    return ScreenToClient(AParent->ClientToScreen(p));
}

void TControl::SetAlign(TAlign v)
{
    if (v == FAlign)
        return;
    FAlign = v;
    RequestAlign();
}

void TControl::UpdateAnchorRules()
{
    if (FParent) {
        const TRect pr = FParent->ClientRect();
        FAnchorRules = TPoint(pr.Width() - (FLeft + FWidth), pr.Height() - (FTop + FHeight));
        FOriginalParentSize = TPoint(pr.Width(), pr.Height());
    }
}

void TControl::RequestAlign()
{
    if (FParent && !FParent->ControlState.Contains(csAligning))
        FParent->Realign();
}

void TControl::SetVisible(bool v)
{
    if (v == FVisible)
        return;
    FVisible = v;
    Perform(CM_VISIBLECHANGED, v, 0);
    RequestAlign();
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool v)
{
    if (v == FEnabled)
        return;
    FEnabled = v;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetText(const QString& v)
{
    if (v == FText)
        return;
    FText = v;
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*)
{
    FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool v)
{
    FParentFont = v;
    if (v && FParent) {
        FFont->OnChange = nullptr;
        FFont->Assign(FParent->Font());
        FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
        Perform(CM_FONTCHANGED, 0, 0);
    }
}

void TControl::SetColor(TColor v)
{
    if (v == FColor)
        return;
    FColor = v;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool v)
{
    FParentColor = v;
    if (v && FParent) {
        FColor = FParent->Color();
        Perform(CM_COLORCHANGED, 0, 0);
    }
}

void TControl::SetCursor(TCursor v)
{
    if (v == FCursor)
        return;
    FCursor = v;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode v)
{
    if (v == FBiDiMode)
        return;
    FBiDiMode = v;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

bool TControl::MouseCapture() const { return gCaptureControl == this; }

void TControl::SetMouseCapture(bool v)
{
    if (v == MouseCapture())
        return;
    if (v) {
        gCaptureControl = this;
        TWinControl* w = dynamic_cast<TWinControl*>(this);
        if (!w)
            w = FParent;
        if (w && w->HandleAllocated())
            SetCapture(w->Handle());
    } else {
        gCaptureControl = nullptr;
        ReleaseCapture();
    }
}

void TControl::Invalidate()
{
    DOV_ASSERT_UI_THREAD();
    if (FParent && FParent->HandleAllocated() && FVisible) {
        const TRect r = BoundsRect();
        InvalidateRect(FParent->Handle(), &r, !ControlStyle.Contains(csOpaque));
    }
}

void TControl::Update()
{
    if (FParent)
        FParent->Update();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::BringToFront()
{
    if (!FParent)
        return;
    auto& v = FParent->FControls;
    v.erase(std::find(v.begin(), v.end(), this));
    v.push_back(this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        w->Widget()->raise();
    Invalidate();
}

void TControl::SendToBack()
{
    if (!FParent)
        return;
    auto& v = FParent->FControls;
    v.erase(std::find(v.begin(), v.end(), this));
    v.insert(v.begin(), this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        w->Widget()->lower();
    Invalidate();
}

TCustomForm* TControl::GetParentForm() const { return ::GetParentForm(const_cast<TControl*>(this)); }

void TControl::DoClick()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (!handled) {
        if (WheelDelta < 0)
            handled = DoMouseWheelDown(Shift, MousePos);
        else if (WheelDelta > 0)
            handled = DoMouseWheelUp(Shift, MousePos);
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, Shift, MousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    UpdateAnchorRules();
}

void TControl::DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Shift)
{
    TWMMouse m{M};
    if (ControlStyle.Contains(csCaptureMouse) && Button == mbLeft)
        SetMouseCapture(true);
    if (Button == mbLeft && ControlStyle.Contains(csClickEvents))
        ControlState << csClicked;
    MouseDown(Button, Shift | KeysToShiftState(m.Keys()), m.XPos(), m.YPos());
}

void TControl::DoMouseUp(TMessage& M, TMouseButton Button)
{
    TWMMouse m{M};
    if (Button == mbLeft && ControlState.Contains(csClicked)) {
        ControlState >> csClicked;
        if (PtInRect(ClientRect(), m.Pos()))
            DoClick();
    }
    if (Button == mbLeft)
        SetMouseCapture(false);
    MouseUp(Button, KeysToShiftState(m.Keys()), m.XPos(), m.YPos());
}

void TControl::WMLButtonDown(TMessage& M) { DoMouseDown(M, mbLeft, {}); }
void TControl::WMLButtonUp(TMessage& M) { DoMouseUp(M, mbLeft); }
void TControl::WMLButtonDblClk(TMessage& M)
{
    // The second press of a double click: the press, then the double-click event.
    DoMouseDown(M, mbLeft, {ssDouble});
    ControlState >> csClicked;
    DblClick();
}
void TControl::WMRButtonDown(TMessage& M) { DoMouseDown(M, mbRight, {}); }
void TControl::WMRButtonUp(TMessage& M)
{
    DoMouseUp(M, mbRight);
    TWMMouse m{M};
    const TPoint s = ClientToScreen(m.Pos());
    Perform(WM_CONTEXTMENU, 0, MAKELPARAM(WORD(s.X), WORD(s.Y)));
}
void TControl::WMRButtonDblClk(TMessage& M) { DoMouseDown(M, mbRight, {ssDouble}); }
void TControl::WMMButtonDown(TMessage& M) { DoMouseDown(M, mbMiddle, {}); }
void TControl::WMMButtonUp(TMessage& M) { DoMouseUp(M, mbMiddle); }
void TControl::WMMButtonDblClk(TMessage& M) { DoMouseDown(M, mbMiddle, {ssDouble}); }
void TControl::WMMouseMove(TMessage& M)
{
    TWMMouse m{M};
    MouseMove(KeysToShiftState(m.Keys()), m.XPos(), m.YPos());
}
void TControl::WMMouseWheel(TMessage& M)
{
    M.Result = Perform(CM_MOUSEWHEEL, M.WParam, M.LParam);
}
void TControl::CMMouseWheel(TMessage& M)
{
    const int delta = int16_t(HIWORD(M.WParam));
    const TPoint pos(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
    if (DoMouseWheel(KeysToShiftState(LOWORD(M.WParam)), delta, pos)) {
        M.Result = 1;
        return;
    }
    if (FParent)
        M.Result = FParent->Perform(CM_MOUSEWHEEL, M.WParam, M.LParam);
}
void TControl::WMCancelMode(TMessage&)
{
    if (MouseCapture()) {
        SetMouseCapture(false);
        ControlState >> csClicked;
    }
}
void TControl::WMContextMenu(TMessage& M)
{
    if (M.Result)
        return;
    const TPoint screen(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
    const bool fromKeyboard = screen.X == -1 && screen.Y == -1;
    bool handled = false;
    DoContextPopup(fromKeyboard ? screen : ScreenToClient(screen), handled);
    if (handled) {
        M.Result = 1;
        return;
    }
    // Unclaimed requests climb to the parent, as the system passes them on.
    if (FParent)
        M.Result = FParent->Perform(WM_CONTEXTMENU, M.WParam, M.LParam);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled)
{
    if (OnContextPopup)
        OnContextPopup(this, MousePos, Handled);
    if (Handled)
        return;
    TPopupMenu* menu = GetPopupMenu();
    if (!menu || !menu->AutoPopup)
        return;
    if (HWND cap = GetCapture())
        SendMessage(cap, WM_CANCELMODE, 0, 0);
    menu->PopupComponent = this;
    const TPoint at = MousePos.X == -1 && MousePos.Y == -1 ? ClientToScreen(TPoint(0, 0)) : ClientToScreen(MousePos);
    menu->Popup(at.X, at.Y);
    Handled = true;
}
void TControl::CMMouseEnter(TMessage&)
{
    FMouseInControl = true;
    if (OnMouseEnter)
        OnMouseEnter(this);
}
void TControl::CMMouseLeave(TMessage&)
{
    FMouseInControl = false;
    if (OnMouseLeave)
        OnMouseLeave(this);
}
void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMVisibleChanged(TMessage&)
{
    if (FParent)
        FParent->Invalidate();
}
void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }
void TControl::CMTextChanged(TMessage&) { Invalidate(); }
void TControl::CMParentFontChanged(TMessage&)
{
    if (FParentFont && FParent) {
        FFont->OnChange = nullptr;
        FFont->Assign(FParent->Font());
        FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
        Perform(CM_FONTCHANGED, 0, 0);
    }
}
void TControl::CMParentColorChanged(TMessage&)
{
    if (FParentColor && FParent) {
        FColor = FParent->Color();
        Perform(CM_COLORCHANGED, 0, 0);
    }
}
void TControl::CMCursorChanged(TMessage&)
{
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        w->Widget()->setCursor(CursorFor(FCursor));
}
void TControl::CMHitTest(TMessage& M) { M.Result = HTCLIENT; }

// ---------------------------------------------------------------- TWinControl

DOV_PUBLISHED(TWinControl)
{
    P.Prop("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Prop("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    P.Event("OnEnter", &TWinControl::OnEnter);
    P.Event("OnExit", &TWinControl::OnExit);
    P.Event("OnKeyDown", &TWinControl::OnKeyDown);
    P.Event("OnKeyPress", &TWinControl::OnKeyPress);
    P.Event("OnKeyUp", &TWinControl::OnKeyUp);
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    FComponentState.Include(csDestroying);
    if (auto* f = ::GetParentForm(this, false); f && f != this) {
        if (f->FActiveControl == this)
            f->FActiveControl = nullptr;
        if (f->FFocusedControl == this)
            f->FFocusedControl = nullptr;
    }
    // Children not owned by anyone still under us are detached, not freed.
    while (!FControls.empty())
        FControls.back()->SetParent(nullptr);
    DestroyHandle();
}

QWidget* TWinControl::Widget() const { return FWidget; }
HWND TWinControl::HandleIfAllocated() const { return FHandleObj.get(); }

HWND TWinControl::Handle()
{
    HandleNeeded();
    return FHandleObj.get();
}

void TWinControl::HandleNeeded()
{
    if (FWidget)
        return;
    if (FParent)
        FParent->HandleNeeded();
    CreateHandle();
}

void TWinControl::CreateHandle()
{
    if (FWidget)
        return;
    CreateWnd();
    ApplyWindowStyle();
    UpdateNonClient();
    UpdateWidgetBounds();
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->CreateHandle();
    if (FParent)
        FWidget->setVisible(FVisible);
}

void TWinControl::CreateParams(TCreateParams& Params)
{
    Params = TCreateParams();
    Params.Caption = FText;
    Params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (FParent)
        Params.Style |= WS_CHILD;
    if (FVisible)
        Params.Style |= WS_VISIBLE;
    if (!FEnabled)
        Params.Style |= WS_DISABLED;
    if (FTabStop)
        Params.Style |= WS_TABSTOP;
    Params.X = FLeft;
    Params.Y = FTop;
    Params.Width = FWidth;
    Params.Height = FHeight;
    Params.WndParent = FParent && FParent->FHandleObj ? FParent->FHandleObj.get() : FParentWindow;
    Params.WinClassName = ClassName();
}

void TWinControl::CreateWnd()
{
    TCreateParams p;
    CreateParams(p);
    CreateWindowHandle(p);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params)
{
    CreateWidget(Params);
    FHandleObj = std::make_unique<WndHandle>(this);
}

namespace {
// Cancel mode for popups: a press outside a shown popup, or focus moving elsewhere, sends it
// CM_CANCELMODE (drop-downs close themselves on it).
class TPopupWatcher : public QObject {
public:
    std::vector<TWinControl*> Popups;
    bool eventFilter(QObject* obj, QEvent* e) override
    {
        const auto t = e->type();
        if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonDblClick && t != QEvent::FocusIn)
            return false;
        auto* w = qobject_cast<QWidget*>(obj);
        if (!w)
            return false;
        const std::vector<TWinControl*> popups = Popups;
        for (TWinControl* p : popups) {
            QWidget* pw = p->Widget();
            if (!pw || !pw->isVisible() || pw == w || pw->isAncestorOf(w))
                continue;
            TWinControl* target = nullptr;
            for (QWidget* x = w; x && !target; x = x->parentWidget())
                if (auto* vw = dynamic_cast<TVclWidget*>(x))
                    target = vw->FControl;
            GuardedCall([&] { p->Perform(CM_CANCELMODE, 0, LPARAM(target)); });
        }
        return false;
    }
};
TPopupWatcher* PopupWatcher()
{
    static QPointer<TPopupWatcher> w;
    if (!w && QCoreApplication::instance()) {
        w = new TPopupWatcher;
        QCoreApplication::instance()->installEventFilter(w);
    }
    return w.data();
}
}

void TWinControl::CreateWidget(const TCreateParams& Params)
{
    QWidget* parentWidget = nullptr;
    if (FParent)
        parentWidget = FParent->FWidget;
    else if (FParentWindow && IsWindow(FParentWindow))
        parentWidget = FParentWindow->Widget();
    if (!FParent && (Params.Style & WS_POPUP)) {
        // Drop-downs: non-activating top-level tool windows above their owner.
        FWidget = new TVclWidget(this, parentWidget,
                                 Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
        FWidget->setAttribute(Qt::WA_ShowWithoutActivating);
        if (TPopupWatcher* pw = PopupWatcher())
            pw->Popups.push_back(this);
        return;
    }
    FWidget = new TVclWidget(this, parentWidget, parentWidget ? Qt::Widget : Qt::Window);
}

void TWinControl::ApplyWindowStyle()
{
    if (!FWidget)
        return;
    FWidget->setEnabled(FEnabled);
    if (FCursor != crDefault)
        FWidget->setCursor(CursorFor(FCursor));
}

void TWinControl::DestroyWnd() { DestroyWindowHandle(); }

void TWinControl::DestroyWindowHandle()
{
    if (!FWidget)
        return;
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->DestroyHandle();
    if (GetFocus() == FHandleObj.get())
        NoteFocusWindow(nullptr);
    if (TPopupWatcher* pw = PopupWatcher()) {
        auto it = std::find(pw->Popups.begin(), pw->Popups.end(), this);
        if (it != pw->Popups.end())
            pw->Popups.erase(it);
    }
    FHandleObj.reset();
    TVclWidget* w = FWidget;
    FWidget = nullptr;
    w->FControl = nullptr;
    w->hide();
    w->deleteLater();
    w->setParent(nullptr);
}

void TWinControl::DestroyHandle()
{
    if (!FWidget)
        return;
    ControlState << csDestroyingHandle;
    DestroyWnd();
    ControlState >> csDestroyingHandle;
}

void TWinControl::RecreateWnd()
{
    if (!FWidget)
        return;
    // Re-creating the window re-applies its style to the existing widget.
    ControlState << csRecreating;
    ApplyWindowStyle();
    UpdateNonClient();
    UpdateWidgetBounds();
    Invalidate();
    ControlState >> csRecreating;
}

void TWinControl::SetParentWindow(HWND w)
{
    FParentWindow = w;
    if (FWidget && !FParent && w && IsWindow(w)) {
        FWidget->setParent(w->Widget());
        FWidget->setVisible(FVisible);
    }
}

void TWinControl::ReadNonClient()
{
    // The frame's margins as WM_NCCALCSIZE leaves them.
    TRect wr(0, 0, FWidget ? FWidget->width() : FWidth, FWidget ? FWidget->height() : FHeight);
    TRect cr = wr;
    TMessage m{WM_NCCALCSIZE, 0, LPARAM(&cr), 0};
    WndProc(m);
    FNonClient = TRect(cr.Left - wr.Left, cr.Top - wr.Top, wr.Right - cr.Right, wr.Bottom - cr.Bottom);
}

void TWinControl::UpdateNonClient()
{
    ReadNonClient();
}

void TWinControl::UpdateWidgetBounds()
{
    if (!FWidget)
        return;
    FWidget->FInSetBounds = true;
    if (FParent)
        FWidget->setGeometry(FLeft + FParent->FNonClient.Left, FTop + FParent->FNonClient.Top, FWidth, FHeight);
    else
        FWidget->setGeometry(FLeft, FTop, std::max(1, FWidth), std::max(1, FHeight));
    FWidget->FInSetBounds = false;
}

void TWinControl::ChangeScale(int M, int D)
{
    if (M == D || D == 0)
        return;
    DisableAlign();
    auto enable = Finally([this] { EnableAlign(); });
    TControl::ChangeScale(M, D);
    for (TControl* c : std::vector<TControl*>(FControls))
        c->ChangeScale(M, D);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const bool resized = AWidth != FWidth || AHeight != FHeight;
    if (ALeft == FLeft && ATop == FTop && !resized)
        return;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = std::max(0, AWidth);
    FHeight = std::max(0, AHeight);
    UpdateAnchorRules();
    if (FWidget) {
        UpdateWidgetBounds();
        ReadNonClient();
    }
    if (resized) {
        if (!FWidget) {
            const TRect cr = ClientRect();
            Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(cr.Width()), WORD(cr.Height())));
        }
        // With a widget Qt reports the resize itself; realign now so children follow at once.
        Realign();
    }
    RequestAlign();
}

TRect TWinControl::ClientRect()
{
    const int w = FWidth - FNonClient.Left - FNonClient.Right;
    const int h = FHeight - FNonClient.Top - FNonClient.Bottom;
    return TRect(0, 0, std::max(0, w), std::max(0, h));
}

TPoint TWinControl::ClientOrigin()
{
    if (FWidget && FWidget->isVisible()) {
        const QPoint p = FWidget->mapToGlobal(QPoint(FNonClient.Left, FNonClient.Top));
        return TPoint(p.x(), p.y());
    }
    TPoint o = FParent ? FParent->ClientOrigin() : TPoint(0, 0);
    return TPoint(o.X + FLeft + FNonClient.Left, o.Y + FTop + FNonClient.Top);
}

void TWinControl::SetEnabled(bool v)
{
    TControl::SetEnabled(v);
    if (FWidget)
        FWidget->setEnabled(v);
}

bool TWinControl::Showing() const
{
    if (FWidget)
        return FWidget->isVisible();
    return false;
}

void TWinControl::Invalidate()
{
    // The frame is repainted with the client area: frames show focus and state.
    if (FWidget)
        RedrawWindow(FHandleObj.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TWinControl::Update()
{
    if (FWidget && FWidget->window())
        QCoreApplication::sendPostedEvents(FWidget->window(), QEvent::UpdateRequest);
}

void TWinControl::Repaint()
{
    if (FWidget)
        FWidget->repaint();
}

void TWinControl::PaintTo(TCanvas* Canvas, int X, int Y)
{
    HDC dc = Canvas->Handle();
    const TSaveDCGuard saved(dc);
    OffsetViewportOrgEx(dc, X, Y, nullptr);
    IntersectClipRect(dc, 0, 0, FWidth, FHeight);
    if (FNonClient.Left || FNonClient.Top || FNonClient.Right || FNonClient.Bottom)
        Perform(WM_NCPAINT, 0, LPARAM(dc));
    OffsetViewportOrgEx(dc, FNonClient.Left, FNonClient.Top, nullptr);
    const TRect cr = ClientRect();
    IntersectClipRect(dc, 0, 0, cr.Width(), cr.Height());
    PaintHandler(dc);
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible())
            w->PaintTo(Canvas, w->Left(), w->Top());
}

void TWinControl::PaintHandler(HDC DC)
{
    Perform(WM_ERASEBKGND, WPARAM(DC), 0);
    Perform(WM_PAINT, WPARAM(DC), 0);
}

void TWinControl::WMEraseBkgnd(TMessage& M)
{
    HDC dc = reinterpret_cast<HDC>(M.WParam);
    if (dc && !ControlStyle.Contains(csOpaque))
        FillRect(dc, ClientRect(), CreateSolidBrush(ColorToRGB(FColor)));
    M.Result = 1;
}

void TWinControl::WMPaint(TMessage& M)
{
    HDC dc = reinterpret_cast<HDC>(M.WParam);
    if (!dc) {
        Repaint();
        return;
    }
    PaintWindow(dc);
    PaintControls(dc, nullptr);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC DC, TControl* First)
{
    bool started = First == nullptr;
    for (TControl* c : FControls) {
        if (!started) {
            started = c == First;
            if (!started)
                continue;
        }
        auto* g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->Visible() || g->Width() <= 0 || g->Height() <= 0)
            continue;
        const TSaveDCGuard saved(DC);
        OffsetViewportOrgEx(DC, g->Left(), g->Top(), nullptr);
        IntersectClipRect(DC, 0, 0, g->Width(), g->Height());
        g->Perform(WM_PAINT, WPARAM(DC), 0);
    }
}

void TWinControl::WMSize(TMessage&)
{
    Realign();
    Resize();
}

void TWinControl::InsertControl(TControl* AControl)
{
    AControl->FParent = this;
    FControls.push_back(AControl);
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        FTabList.push_back(w);
        if (FWidget) {
            if (w->FWidget) {
                w->FWidget->setParent(FWidget);
                w->UpdateWidgetBounds();
                w->FWidget->setVisible(w->FVisible);
            } else {
                w->CreateHandle();
            }
        }
    }
    if (AControl->FParentFont) {
        AControl->FFont->OnChange = nullptr;
        AControl->FFont->Assign(FFont.get());
        AControl->FFont->OnChange = TNotifyEvent(AControl, &TControl::FontChanged);
    }
    if (AControl->FParentColor)
        AControl->FColor = FColor;
    AControl->UpdateAnchorRules();
    if (AControl->FAlign != alNone)
        Realign();
    AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl)
{
    AControl->Invalidate();
    auto it = std::find(FControls.begin(), FControls.end(), AControl);
    if (it != FControls.end())
        FControls.erase(it);
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        auto t = std::find(FTabList.begin(), FTabList.end(), w);
        if (t != FTabList.end())
            FTabList.erase(t);
        if (auto* f = ::GetParentForm(this, false)) {
            if (f->FActiveControl && (f->FActiveControl == w || w->ContainsControl(f->FActiveControl)))
                f->FActiveControl = nullptr;
            if (f->FFocusedControl && (f->FFocusedControl == w || w->ContainsControl(f->FFocusedControl)))
                f->FFocusedControl = nullptr;
        }
        if (w->FWidget) {
            w->FWidget->hide();
            w->FWidget->setParent(nullptr);
            w->DestroyHandle();
        }
    }
    if (gCaptureControl == AControl)
        gCaptureControl = nullptr;
    AControl->FParent = nullptr;
    if (AControl->FAlign != alNone)
        Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const
{
    while (Control && Control != this)
        Control = Control->Parent();
    return Control == this;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls)
{
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (!AllowWinControls && dynamic_cast<TWinControl*>(c))
            continue;
        if (!c->Visible() || (!AllowDisabled && !c->Enabled()))
            continue;
        if (PtInRect(c->BoundsRect(), Pos)) {
            const TPoint local(Pos.X - c->Left(), Pos.Y - c->Top());
            if (c->Perform(CM_HITTEST, 0, MAKELPARAM(WORD(local.X), WORD(local.Y))) != 0)
                return c;
        }
    }
    return nullptr;
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    for (TControl* c : FControls)
        if (c->Owner() == Root)
            Proc(c);
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    // Alignment waited for the end of loading; children loaded before us are placed now.
    Realign();
    for (TControl* c : FControls)
        c->UpdateAnchorRules();
}

void TWinControl::EnableAlign()
{
    if (--FAlignLevel == 0)
        Realign();
}

void TWinControl::Realign()
{
    if (FAlignLevel > 0 || ControlState.Contains(csAligning) || FComponentState.Contains(csLoading)
        || FComponentState.Contains(csDestroying))
        return;
    ControlState << csAligning;
    TRect r = ClientRect();
    AdjustClientRect(r);
    AlignControls(nullptr, r);
    ControlState >> csAligning;
}

void TWinControl::AlignControls(TControl*, TRect& Rect)
{
    // Anchors first (controls without alignment), then alTop, alBottom, alLeft, alRight, alClient.
    const TRect cr = ClientRect();
    for (TControl* c : FControls) {
        if (c->FAlign != alNone || !c->FVisible)
            continue;
        const TAnchors a = c->FAnchors;
        if (c->FOriginalParentSize.X == 0 && c->FOriginalParentSize.Y == 0)
            continue;
        int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
        if (a.Contains(akRight)) {
            if (a.Contains(akLeft))
                w = cr.Width() - c->FAnchorRules.X - l;
            else
                l = cr.Width() - c->FAnchorRules.X - w;
        }
        if (a.Contains(akBottom)) {
            if (a.Contains(akTop))
                h = cr.Height() - c->FAnchorRules.Y - t;
            else
                t = cr.Height() - c->FAnchorRules.Y - h;
        }
        if (l != c->FLeft || t != c->FTop || w != c->FWidth || h != c->FHeight) {
            const TPoint rules = c->FAnchorRules;
            c->SetBounds(l, t, w, h);
            c->FAnchorRules = rules;
        }
    }
    for (TAlign al : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : FControls) {
            if (c->FAlign != al || !c->FVisible)
                continue;
            switch (al) {
            case alTop:
                c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), c->FHeight);
                Rect.Top += c->FHeight;
                break;
            case alBottom:
                c->SetBounds(Rect.Left, Rect.Bottom - c->FHeight, Rect.Width(), c->FHeight);
                Rect.Bottom -= c->FHeight;
                break;
            case alLeft:
                c->SetBounds(Rect.Left, Rect.Top, c->FWidth, Rect.Height());
                Rect.Left += c->FWidth;
                break;
            case alRight:
                c->SetBounds(Rect.Right - c->FWidth, Rect.Top, c->FWidth, Rect.Height());
                Rect.Right -= c->FWidth;
                break;
            case alClient:
                c->SetBounds(Rect.Left, Rect.Top, std::max(0, Rect.Width()), std::max(0, Rect.Height()));
                break;
            default:
                break;
            }
        }
    }
}

int TWinControl::TabOrder() const
{
    if (!FParent)
        return -1;
    const auto& v = FParent->FTabList;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

void TWinControl::SetTabOrder(int v)
{
    if (!FParent)
        return;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    v = std::clamp(v, 0, int(list.size()));
    list.insert(list.begin() + v, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List)
{
    for (TWinControl* c : FTabList) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

bool TWinControl::CanFocus() const
{
    const TControl* c = this;
    while (c) {
        if (!c->Visible() || !c->Enabled())
            return false;
        if (!c->Parent())
            break;
        c = c->Parent();
    }
    return true;
}

bool TWinControl::Focused() const { return FHandleObj && GetFocus() == FHandleObj.get(); }

void TWinControl::SetFocus()
{
    if (TCustomForm* f = ::GetParentForm(this, false); f && f != this) {
        f->FocusControl(this);
        return;
    }
    if (FWidget)
        FWidget->setFocus(Qt::OtherFocusReason);
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent)
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    int start = -1;
    for (int i = 0; i < int(list.size()); ++i)
        if (list[size_t(i)] == CurControl)
            start = i;
    if (start < 0)
        start = GoForward ? int(list.size()) - 1 : 0;
    int i = start;
    const int n = int(list.size());
    for (int step = 0; step < n; ++step) {
        i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
        TWinControl* c = list[size_t(i)];
        if (c == CurControl && step > 0)
            break;
        if ((!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this) && c->CanFocus())
            return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
    if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
        c->SetFocus();
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::WMSetFocus(TMessage&)
{
    if (TCustomForm* f = ::GetParentForm(this, false); f && f != this)
        f->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage&) {}

void TWinControl::WMSetCursor(TMessage& M)
{
    TCursor c = Screen ? Screen->Cursor() : TCursor(crDefault);
    if (c == crDefault)
        c = FCursor;
    ShowWindowCursor(c);
    M.Result = 1;
}

void TWinControl::ShowWindowCursor(TCursor c)
{
    if (FWidget)
        FWidget->setCursor(CursorFor(c));
}

// ---- keyboard ----

void TWinControl::HandleKeyPress(Word Key, QChar Ch, TShiftState Shift, bool AutoRepeat)
{
    SetKeyStateForInput(VK_SHIFT, Shift.Contains(ssShift));
    SetKeyStateForInput(VK_CONTROL, Shift.Contains(ssCtrl));
    SetKeyStateForInput(VK_MENU, Shift.Contains(ssAlt));
    LPARAM keyData = 1;
    if (Shift.Contains(ssAlt))
        keyData |= 0x20000000;
    if (AutoRepeat)
        keyData |= 0x40000000;
    QPointer<QWidget> alive(FWidget);
    const bool hadWidget = FWidget != nullptr;
    if (Key != 0) {
        SetKeyStateForInput(Key, true);
        if (Perform(CN_KEYDOWN, Key, keyData) != 0)
            return;
        if (hadWidget && !alive)
            return;
        const bool sys = Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl);
        TMessage m{UINT(sys ? WM_SYSKEYDOWN : WM_KEYDOWN), Key, keyData, 0};
        WndProc(m);
        if (m.WParam == 0)
            return;   // the key was cleared: no character follows
        if (hadWidget && !alive)
            return;
    }
    if (!Ch.isNull()) {
        if (Perform(CN_CHAR, Ch.unicode(), keyData) != 0)
            return;
        Perform(Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl) ? WM_SYSCHAR : WM_CHAR, Ch.unicode(), keyData);
    }
}

void TWinControl::HandleKeyRelease(Word Key, TShiftState Shift)
{
    SetKeyStateForInput(Key, false);
    LPARAM keyData = LPARAM(0xC0000001);
    if (Shift.Contains(ssAlt))
        keyData |= 0x20000000;
    if (Key != 0)
        Perform(Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl) ? WM_SYSKEYUP : WM_KEYUP, Key, keyData);
    SetKeyStateForInput(VK_SHIFT, Shift.Contains(ssShift) && Key != VK_SHIFT);
    SetKeyStateForInput(VK_CONTROL, Shift.Contains(ssCtrl) && Key != VK_CONTROL);
    SetKeyStateForInput(VK_MENU, Shift.Contains(ssAlt) && Key != VK_MENU);
}

void TWinControl::CNKeyDown(TMessage& M)
{
    M.Result = 1;
    if (IsMenuKey(this, M))
        return;
    const Word key = Word(M.WParam);
    if (Perform(CM_CHILDKEY, key, LPARAM(this)) != 0)
        return;
    LRESULT mask = 0;
    switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, 0) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
        if (TCustomForm* f = ::GetParentForm(this); f && f->Perform(CM_DIALOGKEY, key, M.LParam) != 0)
            return;
    }
    M.Result = 0;
}

void TWinControl::CNChar(TMessage& M)
{
    M.Result = 0;
    if (M.WParam == 9 || M.WParam == 13 || M.WParam == 27) {
        // Characters of keys the control did not want went to the form as dialog keys.
        const Word key = M.WParam == 9 ? VK_TAB : M.WParam == 13 ? VK_RETURN : VK_ESCAPE;
        const LRESULT mask = key == VK_TAB ? DLGC_WANTTAB : DLGC_WANTALLKEYS;
        if (Perform(CM_WANTSPECIALKEY, key, 0) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & (mask | DLGC_WANTCHARS)) == 0)
            M.Result = 1;
        return;
    }
    // Accelerators: a character with Alt, or a plain one on a button-like control that takes
    // no characters, is offered to the form's controls first.
    if (M.WParam < 32)
        return;
    const bool alt = (M.LParam & 0x20000000) != 0;
    if (!alt) {
        const LRESULT code = Perform(WM_GETDLGCODE, 0, 0);
        if ((code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) != 0 || (code & (DLGC_BUTTON | DLGC_RADIOBUTTON | DLGC_STATIC)) == 0)
            return;
    }
    if (TCustomForm* f = ::GetParentForm(this); f && f->Perform(CM_DIALOGCHAR, M.WParam, M.LParam) != 0)
        M.Result = 1;
}

// A form that previews keys sees the key first; a key it clears goes no further.
bool TWinControl::DoKeyEvent(TMessage& M, void (TWinControl::*Handler)(Word&, TShiftState))
{
    const TShiftState shift = KeyDataToShiftState(int32_t(M.LParam));
    Word k = Word(M.WParam);
    if (TCustomForm* f = ::GetParentForm(this); f && f != this && f->KeyPreview) {
        (f->*Handler)(k, shift);
        M.WParam = k;
        if (k == 0)
            return true;
    }
    (this->*Handler)(k, shift);
    M.WParam = k;
    return k == 0;
}

bool TWinControl::DoKeyDown(TMessage& M) { return DoKeyEvent(M, &TWinControl::KeyDown); }

bool TWinControl::DoKeyPress(TMessage& M)
{
    if (TCustomForm* f = ::GetParentForm(this); f && f != this && f->KeyPreview) {
        QChar c(char16_t(M.WParam));
        f->KeyPress(c);
        M.WParam = c.unicode();
        if (c.isNull())
            return true;
    }
    QChar c(char16_t(M.WParam));
    KeyPress(c);
    M.WParam = c.unicode();
    return c.isNull();
}

bool TWinControl::DoKeyUp(TMessage& M) { return DoKeyEvent(M, &TWinControl::KeyUp); }

void TWinControl::KeyDown(Word& Key, TShiftState Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(QChar& Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift)
{
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TWinControl::WMKeyDown(TMessage& M) { DoKeyDown(M); }
void TWinControl::WMKeyUp(TMessage& M) { DoKeyUp(M); }
void TWinControl::WMChar(TMessage& M) { DoKeyPress(M); }

// Dialog keys and characters are offered to every shown, enabled child until one takes them.
// Characters go to graphic controls too (a label's accelerator focuses its control).
static void OfferToChildren(const std::vector<TControl*>& Controls, UINT Msg, TMessage& M)
{
    for (TControl* c : Controls) {
        if (Msg == CM_DIALOGCHAR && c->Visible() && c->Enabled() && !dynamic_cast<TWinControl*>(c)) {
            M.Result = c->Perform(Msg, M.WParam, M.LParam);
            if (M.Result != 0)
                return;
            continue;
        }
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible() && w->Enabled()) {
            M.Result = w->Perform(Msg, M.WParam, M.LParam);
            if (M.Result != 0)
                return;
        }
    }
}

void TWinControl::CMDialogKey(TMessage& M) { OfferToChildren(FControls, CM_DIALOGKEY, M); }
void TWinControl::CMDialogChar(TMessage& M) { OfferToChildren(FControls, CM_DIALOGCHAR, M); }

void TWinControl::CMFocusChanged(TMessage& M)
{
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->Perform(CM_FOCUSCHANGED, M.WParam, M.LParam);
}

void TWinControl::CMShowingChanged(TMessage&)
{
    if (FParent) {
        if (FWidget)
            FWidget->setVisible(FVisible);
        return;
    }
    // A top-level control that is not a form (a popup) shows and hides its own window.
    if (dynamic_cast<TCustomForm*>(this))
        return;
    if (FVisible) {
        HandleNeeded();
        UpdateWidgetBounds();
        FWidget->show();
    } else if (FWidget) {
        FWidget->hide();
    }
}

void TWinControl::WndProc(TMessage& M)
{
    // Mouse messages for a graphic child (captured, or under the pointer) go to it.
    if ((M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST && M.Msg != WM_MOUSEWHEEL && M.Msg != WM_MOUSEHWHEEL)) {
        TControl* target = nullptr;
        if (gCaptureControl && gCaptureControl->Parent() == this && dynamic_cast<TGraphicControl*>(gCaptureControl))
            target = gCaptureControl;
        else if (!gCaptureControl || gCaptureControl == this)
            target = ControlAtPos(TWMMouse{M}.Pos(), false);
        if (target) {
            const TPoint p = TWMMouse{M}.Pos();
            M.Result = target->Perform(M.Msg, M.WParam, MAKELPARAM(WORD(p.X - target->Left()), WORD(p.Y - target->Top())));
            return;
        }
    }
    TControl::WndProc(M);
}

void TWinControl::Dispatch(TMessage& M)
{
    switch (M.Msg) {
    case WM_PAINT: WMPaint(M); return;
    case WM_ERASEBKGND: WMEraseBkgnd(M); return;
    case WM_NCPAINT: WMNCPaint(M); return;
    case WM_NCCALCSIZE: WMNCCalcSize(M); return;
    case WM_NCHITTEST: WMNCHitTest(M); return;
    case WM_SIZE: WMSize(M); return;
    case WM_MOVE: WMMove(M); return;
    case WM_SETFOCUS: WMSetFocus(M); return;
    case WM_KILLFOCUS: WMKillFocus(M); return;
    case WM_KEYDOWN: WMKeyDown(M); return;
    case WM_KEYUP: WMKeyUp(M); return;
    case WM_CHAR: WMChar(M); return;
    case WM_SYSKEYDOWN: WMSysKeyDown(M); return;
    case WM_SYSKEYUP: WMSysKeyUp(M); return;
    case WM_GETDLGCODE: WMGetDlgCode(M); return;
    case WM_TIMER: WMTimer(M); return;
    case WM_SETCURSOR: WMSetCursor(M); return;
    case WM_HSCROLL: WMHScroll(M); return;
    case WM_VSCROLL: WMVScroll(M); return;
    case CN_KEYDOWN: case CN_SYSKEYDOWN: CNKeyDown(M); return;
    case CN_CHAR: case CN_SYSCHAR: CNChar(M); return;
    case CM_ENTER: CMEnter(M); return;
    case CM_EXIT: CMExit(M); return;
    case CM_DIALOGKEY: CMDialogKey(M); return;
    case CM_DIALOGCHAR: CMDialogChar(M); return;
    case CM_WANTSPECIALKEY: CMWantSpecialKey(M); return;
    case CM_CHILDKEY: CMChildKey(M); return;
    case CM_FOCUSCHANGED: CMFocusChanged(M); return;
    case CM_SHOWINGCHANGED: CMShowingChanged(M); return;
    case CM_RECREATEWND: CMRecreateWnd(M); return;
    case CM_VISIBLECHANGED:
        TControl::Dispatch(M);
        CMShowingChanged(M);
        return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED: {
        TControl::Dispatch(M);
        const UINT child = M.Msg == CM_FONTCHANGED ? CM_PARENTFONTCHANGED : CM_PARENTCOLORCHANGED;
        for (TControl* c : FControls)
            c->Perform(child, 0, 0);
        return;
    }
    default: TControl::Dispatch(M); return;
    }
}

void TWinControl::DefaultHandler(TMessage& M)
{
    TControl::DefaultHandler(M);
}

// ---------------------------------------------------------------- TCustomControl, TGraphicControl

DOV_PUBLISHED(TCustomControl) {}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>())
{
    FCanvas->Control = this;
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC DC)
{
    TCanvasPaintScope scope(FCanvas.get(), DC);
    FCanvas->Font()->Assign(FFont.get());
    FCanvas->Brush()->SetColor(FColor);
    Paint();
}

DOV_PUBLISHED(TGraphicControl) {}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>())
{
    FCanvas->Control = this;
}

TGraphicControl::~TGraphicControl()
{
    if (FParent)
        FParent->RemoveControl(this);
}

void TGraphicControl::Dispatch(TMessage& M)
{
    if (M.Msg == WM_PAINT) {
        WMPaint(M);
        return;
    }
    TControl::Dispatch(M);
}

void TGraphicControl::WMPaint(TMessage& M)
{
    HDC dc = reinterpret_cast<HDC>(M.WParam);
    if (!dc)
        return;
    TCanvasPaintScope scope(FCanvas.get(), dc);
    FCanvas->Font()->Assign(FFont.get());
    FCanvas->Brush()->SetColor(FColor);
    Paint();
}
