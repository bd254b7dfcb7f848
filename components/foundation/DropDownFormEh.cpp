#include "DropDownFormEh.h"

#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/winapi/WinGdi.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

// ---------------------------------------------------------------- keys of the owner

// While a drop-down is open its owner keeps the keyboard focus; the keys the owner's window
// receives go to the drop-down instead. Keys for any other window (an error box, say) are left
// alone.
class TDropDownKeyRedirectEh : public QObject {
public:
    TDropDownKeyRedirectEh(QWidget* OwnerWindow, TCustomDropDownFormEh* Form) : FOwnerWindow(OwnerWindow), FForm(Form)
    {
        qApp->installEventFilter(this);
    }
    ~TDropDownKeyRedirectEh() override
    {
        if (qApp)
            qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* Obj, QEvent* E) override
    {
        const auto t = E->type();
        if (t != QEvent::KeyPress && t != QEvent::KeyRelease && t != QEvent::ShortcutOverride)
            return false;
        auto* w = qobject_cast<QWidget*>(Obj);
        if (!w || !FOwnerWindow || w->window() != FOwnerWindow)
            return false;
        QWidget* formWidget = FForm->Widget();
        if (!formWidget || !formWidget->isVisible())
            return false;
        if (t == QEvent::ShortcutOverride) {
            E->accept();   // the key comes as a key press, which goes to the drop-down
            return true;
        }
        TWinControl* target = FForm->KeyTarget();
        if (target && target->Widget())
            QApplication::sendEvent(target->Widget(), E);
        return true;
    }

private:
    QPointer<QWidget> FOwnerWindow;
    TCustomDropDownFormEh* FForm;
};

// ---------------------------------------------------------------- TDDFCloseButtonEh

DOV_PUBLISHED(TDDFCloseButtonEh) {}

TDDFCloseButtonEh::TDDFCloseButtonEh(TComponent* AOwner) : TWinControl(AOwner)
{
    FTabStop = false;
}

void TDDFCloseButtonEh::AfterConstruction()
{
    TWinControl::AfterConstruction();
    const int size = GetSystemMetrics(SM_CYSMSIZE);
    SetBounds(0, 0, size, size);
    FButtonControl = Create<TSpeedButtonEh>(this);
    FButtonControl->SetParent(this);
    FButtonControl->SetAlign(alClient);
    FButtonControl->SetFlat(true);
    FButtonControl->OnClick = TNotifyEvent(this, &TDDFCloseButtonEh::ButtonClick);
    FButtonControl->OnPaint = TNotifyEvent(this, &TDDFCloseButtonEh::PaintButton);
}

void TDDFCloseButtonEh::ButtonClick(TObject*)
{
    if (TCustomForm* f = ::GetParentForm(this))
        f->Close();
}

void TDDFCloseButtonEh::PaintButton(TObject*)
{
    TCanvas* c = FButtonControl->Canvas();
    const TRect cr = FButtonControl->ClientRect();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(cr);
    const int size = GetSystemMetrics(SM_CYSMSIZE);
    TRect r = Bounds(cr.Left + (cr.Width() - size) / 2, cr.Top + (cr.Height() - size) / 2, size, size);
    UINT state = DFCS_CAPTIONCLOSE | DFCS_FLAT;
    if (FButtonControl->MouseInControl())
        state |= DFCS_HOT;
    if (FButtonControl->PushState() == bsDownEh || FButtonControl->Down())
        state |= DFCS_CHECKED;
    DrawFrameControl(c->Handle(), r, DFC_CAPTION, state);
}

// ---------------------------------------------------------------- TDDFSizingBarEh

DOV_PUBLISHED(TDDFSizingBarEh) {}

TDDFSizingBarEh::TDDFSizingBarEh(TComponent* AOwner) : TPanel(AOwner)
{
    ControlStyle.Include(csCaptureMouse);
    BevelOuter = bvNone;
    ShowCaption = false;
    FTabStop = false;
}

void TDDFSizingBarEh::Resize()
{
    TPanel::Resize();
    FSizingArea = Height() >= 10 ? 10 : Height() / 2;
}

bool TDDFSizingBarEh::InSizingArea(int Y)
{
    if (Align() == alBottom)
        return Y >= Height() - FSizingArea && Y < Height();
    if (Align() == alTop)
        return Y >= 0 && Y < FSizingArea;
    return false;
}

void TDDFSizingBarEh::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    // The bevel faces the form's content.
    DrawEdge(c->Handle(), r, BDR_RAISEDINNER, Align() == alTop ? BF_BOTTOM : BF_TOP);
}

void TDDFSizingBarEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TPanel::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && InSizingArea(Y))
        FMouseDownPos = TPoint(X, Y);
}

void TDDFSizingBarEh::MouseMove(TShiftState Shift, int X, int Y)
{
    TPanel::MouseMove(Shift, X, Y);
    const bool dragging = FMouseDownPos.X != -1 || FMouseDownPos.Y != -1;
    SetCursor(dragging || InSizingArea(Y) ? crSizeNS : crDefault);
    if (!dragging || !Shift.Contains(ssLeft) || !FHostControl)
        return;
    // The bar moves with the edge it sits on, so the travel is measured from the press point.
    const int dy = Y - FMouseDownPos.Y;
    if (dy == 0)
        return;
    if (Align() == alBottom)
        FHostControl->SetHeight(FHostControl->Height() + dy);
    else if (Align() == alTop)
        FHostControl->SetBounds(FHostControl->Left(), FHostControl->Top() + dy, FHostControl->Width(),
                                FHostControl->Height() - dy);
}

void TDDFSizingBarEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TPanel::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft)
        FMouseDownPos = TPoint(-1, -1);
}

// ---------------------------------------------------------------- TCustomDropDownFormEh

DOV_PUBLISHED(TCustomDropDownFormEh) {}

TCustomDropDownFormEh::TCustomDropDownFormEh(TComponent* AOwner) : TForm(AOwner) {}

TCustomDropDownFormEh::~TCustomDropDownFormEh()
{
    FKeyRedirect.reset();
    if (FGlobalRefClass && DropDownFormGlobalRef(*FGlobalRefClass) == this)
        SetDropDownFormGlobalRef(*FGlobalRefClass, nullptr);
}

void TCustomDropDownFormEh::AfterConstruction()
{
    FCloseButton = Create<TDDFCloseButtonEh>(this);
    FCloseButton->SetVisible(false);
    FCloseButton->SetParent(this);
    FCloseButton->SetAnchors(TAnchors{akTop, akRight});
    FSizingBar = Create<TDDFSizingBarEh>(this);
    FSizingBar->SetVisible(false);
    FSizingBar->SetParent(this);
    FSizingBar->SetHostControl(this);
    FSizeGrip = CreateSizeGrip(sgpBottomRight);
    FSizeGrip2 = CreateSizeGrip(sgpBottomLeft);
    for (TWinControl* g : {FSizeGrip, FSizeGrip2})
        if (g)
            g->SetVisible(false);
    FFormElements = TDropDownFormElementsEh{ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh};
    SetBorderIcons(TBorderIcons{});
    SetBorderStyle(bsNone);
    FDropDownMode = true;
    TForm::AfterConstruction();
    if (KeepsGlobalRef() && !DropDownFormGlobalRef(ClassInfo())) {
        // Kept apart: the destructor no longer knows the most derived class.
        FGlobalRefClass = &ClassInfo();
        SetDropDownFormGlobalRef(ClassInfo(), this);
        // The shared instance is the process's: it goes with the application.
        FreeWhenApplicationGoesEh([Class = FGlobalRefClass] { delete DropDownFormGlobalRef(*Class); });
    }
}

TCustomDropDownFormEh* TCustomDropDownFormEh::GetGlobalRef(const TClassInfo& FormClass)
{
    return dynamic_cast<TCustomDropDownFormEh*>(DropDownFormGlobalRef(FormClass));
}

TWinControl* TCustomDropDownFormEh::CreateSizeGrip(TSizeGripPosition Position)
{
    TSizeGripEh* Grip = Create<TSizeGripEh>(this);
    Grip->SetParent(this);
    Grip->SetHostControl(this);
    Grip->SetPosition(Position);
    return Grip;
}

void TCustomDropDownFormEh::SetSizeGripPosition(TWinControl* Grip, TSizeGripPosition Position)
{
    if (auto* SizeGrip = dynamic_cast<TSizeGripEh*>(Grip))
        SizeGrip->SetPosition(Position);
}

void TCustomDropDownFormEh::SetGripCorners(bool AtBottom)
{
    FRightGripPosition = AtBottom ? sgpBottomRight : sgpTopRight;
    FLeftGripPosition = AtBottom ? sgpBottomLeft : sgpTopLeft;
    if (FSizeGrip)
        SetSizeGripPosition(FSizeGrip, FRightGripPosition);
    if (FSizeGrip2)
        SetSizeGripPosition(FSizeGrip2, FLeftGripPosition);
}

void TCustomDropDownFormEh::ShowGrips()
{
    for (TWinControl* g : {FSizeGrip, FSizeGrip2})
        if (g && g->Visible()) {
            SetSizeGripPosition(g, g == FSizeGrip ? FRightGripPosition : FLeftGripPosition);
            g->BringToFront();
        }
}

void TCustomDropDownFormEh::SetDropDownMode(bool Value)
{
    if (FDropDownMode == Value)
        return;
    FDropDownMode = Value;
    // A drop-down and an ordinary window are different kinds of window: make it anew.
    if (HandleAllocated()) {
        if (Showing())
            Hide();
        DestroyHandle();
    }
}

void TCustomDropDownFormEh::CreateParams(TCreateParams& Params)
{
    TForm::CreateParams(Params);
    if (FDropDownMode && !ComponentState().Contains(csDesigning)) {
        Params.Style |= WS_POPUP;
        Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    }
}

void TCustomDropDownFormEh::CreateHandle()
{
    FBorderWidth = 3;
    TForm::CreateHandle();
    ShowGrips();
}

void TCustomDropDownFormEh::Loaded()
{
    TForm::Loaded();
    ShowGrips();
}

void TCustomDropDownFormEh::WMSize(TMessage& M)
{
    TForm::WMSize(M);
    if (FDropDownMode)
        Invalidate();
    ShowGrips();
}

void TCustomDropDownFormEh::WMNCCalcSize(TMessage& M)
{
    if (!FDropDownMode || ComponentState().Contains(csDesigning))
        return;
    auto* r = reinterpret_cast<TRect*>(M.LParam);
    InflateRect(*r, -FBorderWidth, -FBorderWidth);
}

void TCustomDropDownFormEh::WMNCPaint(TMessage& M)
{
    if (FDropDownMode && !ComponentState().Contains(csDesigning))
        PaintBorder(reinterpret_cast<HDC>(M.LParam));
}

void TCustomDropDownFormEh::PaintBorder(HDC DC)
{
    // Three nested frames: the outer dark, the inner two light.
    TRect r(0, 0, Width(), Height());
    const TColor colors[] = {cl3DDkShadow, cl3DLight, cl3DLight};
    for (int i = 0; i < FBorderWidth && i < 3; ++i) {
        HBRUSH b = CreateSolidBrush(ColorToRGB(colors[i]));
        FrameRect(DC, r, b);
        DeleteObject(b);
        InflateRect(r, -1, -1);
    }
}

bool TCustomDropDownFormEh::PlaceAgainst(const TRect& R, TDropDownAlign Align)
{
    const TAlignment a = Align == daRight ? taRightJustify : Align == daCenter ? taCenter : taLeftJustify;
    TPoint pos;
    // The placement also tells the form, by the size-grip notice, which corners face away.
    PlaceDropDownInWorkArea(R, this, a, pos);
    SetBounds(pos.X, pos.Y, Width(), Height());
    const bool below = pos.Y >= R.Bottom;
    FDropLayout = below ? dlUnderControlEh : dlAboveControlEh;
    return below;
}

namespace {
TRect ControlWindowScreenRect(TControl* Control)
{
    TPoint p(Control->Left(), Control->Top());
    if (Control->Parent())
        p = Control->Parent()->ClientToScreen(p);
    return Bounds(p.X, p.Y, Control->Width(), Control->Height());
}
}

bool TCustomDropDownFormEh::Execute(TControl* RelativePosControl, TControl*, TDropDownAlign Align, TDynVarsEh* DynParams)
{
    FModalMode = true;
    FDynParams = DynParams;
    if (Showing())
        Hide();
    PlaceAgainst(ControlWindowScreenRect(RelativePosControl), Align);
    InitForm(nullptr, DynParams);
    SetModalResult(mrNone);
    FModalCancelled = false;
    auto done = Finally([this] {
        StopKeyRedirect();
        Hide();
        FModalMode = false;
        FKeyOwner = nullptr;
    });
    FKeyOwner = dynamic_cast<TWinControl*>(RelativePosControl);
    if (!FKeyOwner)
        FKeyOwner = RelativePosControl->Parent();
    TForm::Show();
    StartKeyRedirect();
    // A press outside ends the run as a deactivation would.
    while (Showing() && ModalResult() == mrNone && !FModalCancelled && !Application->Terminated())
        Application->HandleMessage();
    StopKeyRedirect();
    Hide();
    if (ModalResult() != mrOk)
        return false;
    ReturnParams(nullptr, DynParams);
    return true;
}

void TCustomDropDownFormEh::ExecuteNomodal(const TRect& RelativePosRect, TControl*, TDropDownAlign Align,
                                           TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams,
                                           const TDropDownFormCallbackProcEh& CallbackProc)
{
    // A run still open ends first, as a cancel, so its caller hears of it exactly once.
    if (FCallbackProc && Showing())
        CloseDeactivated();
    SetBorderStyle(bsNone);
    SetDropDownMode(true);
    FModalMode = false;
    FDynParams = DynParams;
    FSysParams = SysParams;
    FMasterForm = Screen->ActiveForm();
    FKeyOwner = nullptr;
    if (auto* sys = dynamic_cast<TEditControlDropDownFormSysParams*>(SysParams))
        FKeyOwner = dynamic_cast<TWinControl*>(sys->EditControl());
    if (!FMasterForm && FKeyOwner)
        FMasterForm = ::GetParentForm(FKeyOwner);
    if (Showing())
        Hide();
    PlaceAgainst(RelativePosRect, Align);
    InitElements();
    InitForm(nullptr, DynParams);
    SetModalResult(mrNone);
    TForm::Show();
    // Showing the form noted its active control as focused; the owner keeps the keyboard.
    if (FMasterForm && FMasterForm->ActiveControl())
        FMasterForm->FocusControl(FMasterForm->ActiveControl());
    FCallbackProc = CallbackProc;
    StartKeyRedirect();
}

void TCustomDropDownFormEh::Show()
{
    SetDropDownMode(false);
    TForm::Show();
}

TModalResult TCustomDropDownFormEh::ShowModal()
{
    SetDropDownMode(false);
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    InitForm(nullptr, FDynParams);
    const TModalResult result = TForm::ShowModal();
    if (result == mrOk)
        ReturnParams(nullptr, FDynParams);
    return result;
}

void TCustomDropDownFormEh::InitForm(TWinControl*, TDynVarsEh* DynParams)
{
    if (OnInitForm)
        OnInitForm(this, DynParams);
}

void TCustomDropDownFormEh::ReturnParams(TWinControl*, TDynVarsEh* DynParams)
{
    if (OnReturnParams)
        OnReturnParams(this, DynParams);
}

void TCustomDropDownFormEh::InitElements()
{
    const bool under = FDropLayout == dlUnderControlEh;
    if (FFormElements.Contains(ddfeSizingBarEh)) {
        FSizingBar->SetVisible(false);
        FSizingBar->BringToFront();
        if (under) {
            FSizingBar->SetTop(Height() + 1);
            FSizingBar->SetAlign(alBottom);
        } else {
            FSizingBar->SetTop(-1);
            FSizingBar->SetAlign(alTop);
        }
        FSizingBar->SetHeight(GetSystemMetrics(SM_CYVSCROLL) + 3);
        FSizingBar->SetVisible(true);
    } else {
        FSizingBar->SetVisible(false);
    }
    if (FFormElements.Contains(ddfeCloseButtonEh)) {
        TDDFCloseButtonEh* b = FCloseButton;
        b->BringToFront();
        b->SetBounds(ClientWidth() - b->Width() - 3, 2, b->Width(), b->Height());
        b->SetVisible(true);
        if (!under) {
            b->SetBounds(ClientWidth() - b->Width() - 17, 1, b->Width(), b->Height());
            b->SetAnchors(TAnchors{akTop, akRight});
        } else if (FFormElements.Contains(ddfeSizingBarEh)) {
            b->SetBounds(FFormElements.Contains(ddfeLeftGripEh) ? 17 : 2, ClientHeight() - b->Height() - 1, b->Width(),
                         b->Height());
            b->SetAnchors(TAnchors{akLeft, akBottom});
        } else {
            b->SetBounds(ClientWidth() - b->Width() - 3, b->Top(), b->Width(), b->Height());
            b->SetAnchors(TAnchors{akTop, akRight});
        }
    } else {
        FCloseButton->SetVisible(false);
    }
    if (FSizeGrip)
        FSizeGrip->SetVisible(FFormElements.Contains(ddfeRightGripEh));
    if (FSizeGrip2)
        FSizeGrip2->SetVisible(FFormElements.Contains(ddfeLeftGripEh));
}

TWinControl* TCustomDropDownFormEh::KeyTarget()
{
    TWinControl* c = ActiveControl();
    if (c && c != this && c->Visible() && c->Enabled() && ContainsControl(c))
        return c;
    return this;
}

void TCustomDropDownFormEh::StartKeyRedirect()
{
    FKeyRedirect.reset();
    QWidget* owner = nullptr;
    if (FKeyOwner && FKeyOwner->Widget())
        owner = FKeyOwner->Widget()->window();
    else if (FMasterForm && FMasterForm->Widget())
        owner = FMasterForm->Widget()->window();
    if (owner && Widget() && owner != Widget()->window())
        FKeyRedirect = std::make_unique<TDropDownKeyRedirectEh>(owner, this);
}

void TCustomDropDownFormEh::StopKeyRedirect()
{
    FKeyRedirect.reset();
}

void TCustomDropDownFormEh::DoClose(TCloseAction& Action)
{
    if (!ComponentState().Contains(csDesigning)) {
        if (FSysParams && FSysParams->FreeFormOnClose())
            Action = caFree;
        if (!FModalMode && FCallbackProc) {
            // Keys typed from here on belong to the owner again.
            StopKeyRedirect();
            bool accept = ModalResult() == mrOk;
            if (accept) {
                try {
                    ReturnParams(nullptr, FDynParams);
                } catch (...) {
                    // Values that could not be read out are not written back; the caller still
                    // hears that the run ended.
                    accept = false;
                    const bool keep = FKeepFormVisible;
                    FKeepFormVisible = true;
                    auto restore = Finally([&] { FKeepFormVisible = keep; });
                    Application->HandleException(this);
                }
            }
            const TDropDownFormCallbackProcEh callback = FCallbackProc;
            TDynVarsEh* dynParams = FDynParams;
            TDropDownFormSysParams* sysParams = FSysParams;
            FCallbackProc = nullptr;
            FSysParams = nullptr;
            FDynParams = nullptr;
            callback(this, accept, dynParams, sysParams);
        }
    }
    TForm::DoClose(Action);
    TCustomForm* master = FMasterForm;
    FMasterForm = nullptr;
    if (master && !FActivateClosing) {
        if (master->ActiveControl())
            master->FocusControl(master->ActiveControl());
        else
            master->SetFocus();
    }
}

void TCustomDropDownFormEh::CloseDeactivated()
{
    if (FActivateClosing)
        return;
    FActivateClosing = true;
    auto reset = Finally([this] { FActivateClosing = false; });
    Close();
}

void TCustomDropDownFormEh::Deactivate()
{
    TForm::Deactivate();
    if (FDropDownMode && !ComponentState().Contains(csDesigning) && !FModalMode && !FKeepFormVisible)
        CloseDeactivated();
}

void TCustomDropDownFormEh::CMCancelMode(TMessage& M)
{
    TForm::CMCancelMode(M);
    // The platform's word for a press outside or the focus moving elsewhere.
    if (!FDropDownMode || ComponentState().Contains(csDesigning) || !Showing() || FKeepFormVisible)
        return;
    if (FModalMode)
        FModalCancelled = true;
    else
        CloseDeactivated();
}

void TCustomDropDownFormEh::CMDialogKey(TMessage& M)
{
    if (FDropDownMode && Word(M.WParam) == VK_ESCAPE && Showing()) {
        SetModalResult(mrCancel);
        if (!FModalMode)
            Close();
        M.Result = 1;
        return;
    }
    TForm::CMDialogKey(M);
}

void TCustomDropDownFormEh::Dispatch(TMessage& M)
{
    if (M.Msg == WM_SIZEGRIPNOTIFY_EH) {
        const auto where = TSizeGripChangePosition(M.WParam);
        if (where == sgcpToTop || where == sgcpToBottom)
            SetGripCorners(where == sgcpToBottom);
        return;
    }
    TForm::Dispatch(M);
}

// ---------------------------------------------------------------- registration

void RegisterDropDownFormClasses()
{
    RegisterClasses<TCustomDropDownFormEh>();
}

void UnregisterDropDownFormClasses()
{
    UnRegisterClass(TCustomDropDownFormEh::StaticClassInfo());
}

namespace {
// Unit start-up and close-down: forms can be found by class name in between.
struct TDropDownFormUnit {
    TDropDownFormUnit() { RegisterDropDownFormClasses(); }
    ~TDropDownFormUnit() { UnregisterDropDownFormClasses(); }
};
const TDropDownFormUnit gDropDownFormUnit;
}
