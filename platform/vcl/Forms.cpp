// Forms, the application object and the screen.
#include "Forms.h"
#include "Menus.h"
#include "PopupMenus.h"
#include "platform/rtl/Guards.h"
#include "platform/winapi/CommDlg.h"

#include "platform/rtl/DataModule.h"
#include "platform/rtl/ComponentRef.h"
#include "platform/rtl/Filer.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

static TApplication gApplicationObject(nullptr);
static TScreen gScreenObject(nullptr);
// The two live for the whole process, so they are made in place rather than by Create<T>.
[[maybe_unused]] static const bool gGlobalsConstructed = [] {
    gApplicationObject.AfterConstruction();
    gScreenObject.AfterConstruction();
    return true;
}();
// Colour names stand for their values in form resources.
[[maybe_unused]] static const bool gColorIdentsRegistered = [] {
    RegisterIntegerIdents([](const QString& ident, int64_t& value) {
        TColor c;
        if (!IdentToColor(ident, c))
            return false;
        value = c;
        return true;
    });
    return true;
}();
TApplication* Application = &gApplicationObject;
TScreen* Screen = &gScreenObject;

TCustomForm* GetParentForm(TControl* Control, bool TopForm)
{
    TCustomForm* found = nullptr;
    for (TControl* c = Control; c; c = c->Parent()) {
        if (auto* f = dynamic_cast<TCustomForm*>(c)) {
            found = f;
            if (!TopForm)
                return f;
        }
    }
    return found;
}

void ShowMessage(const QString& Msg) { Application->MessageBox(Msg, Application->Title, MB_OK); }

// ---------------------------------------------------------------- TCustomForm

DOV_PUBLISHED(TCustomForm)
{
    P.Prop("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
        .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    P.Prop("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable);
    P.Prop("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
    P.Prop("KeyPreview", &TCustomForm::KeyPreview).Default(false);
    P.Prop("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu);
    P.Prop("Position", &TCustomForm::Position).Default(poDefaultPosOnly);
    P.Prop("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Default(wsNormal);
    P.Event("OnCreate", &TCustomForm::OnCreate);
    P.Event("OnDestroy", &TCustomForm::OnDestroy);
    P.Event("OnShow", &TCustomForm::OnShow);
    P.Event("OnHide", &TCustomForm::OnHide);
    P.Event("OnPaint", &TCustomForm::OnPaint);
    P.Event("OnActivate", &TCustomForm::OnActivate);
    P.Event("OnDeactivate", &TCustomForm::OnDeactivate);
    P.Event("OnClose", &TCustomForm::OnClose);
    P.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
}

DOV_PUBLISHED(TForm) {}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner)
{
    FVisible = false;
    FColor = clBtnFace;
    FParentColor = false;
    FWidth = 320;
    FHeight = 240;
    ControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    if (FCreated && OnDestroy)
        GuardedCall([&] { OnDestroy(this); });
    SetMenu(nullptr);
    Screen->RemoveForm(this);
    if (Application->MainForm() == this)
        Application->SetMainForm(nullptr);
    // Owned components (controls among them) go before the window.
    DestroyComponents();
}

void TCustomForm::AfterConstruction()
{
    TWinControl::AfterConstruction();
    if (!CreatingFromStream())
        LoadFromResource();
}

void TCustomForm::LoadFromResource()
{
    FResourceClass = InitInheritedComponent(this, TCustomForm::StaticClassInfo(), FResourceClass);
    DoCreate();
}

void TCustomForm::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    if (Root == this)
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->HasParent())
                Proc(Components(i));
    TWinControl::GetChildren(Proc, Root);
}

void TCustomForm::DoCreate()
{
    if (FCreated)
        return;
    FCreated = true;
    if (OnCreate)
        OnCreate(this);
}

void TCustomForm::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    Params.Style &= ~WS_CHILD;
    if (FFormStyle == fsStayOnTop)
        Params.ExStyle |= WS_EX_TOPMOST;
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
        Params.ExStyle |= WS_EX_TOOLWINDOW;
}

void TCustomForm::PaintWindow(HDC DC)
{
    TWinControl::PaintWindow(DC);
    if (OnPaint)
        OnPaint(this);
}

void TCustomForm::CreateWidget(const TCreateParams& Params)
{
    TWinControl::CreateWidget(Params);
    QWidget* w = Widget();
    w->setWindowTitle(FText);
    w->setFocusPolicy(Qt::StrongFocus);
    UpdateMenuBar(true);
}

// ---- the menu bar ----

struct TCustomForm::TMenuBarLink {
    QPointer<QMenuBar> Bar;
    std::vector<TMenuItem*> Shown;   // the top-level items the bar's actions stand for
};

namespace {
int MenuBarHeight()
{
    static int height = 0;
    if (height == 0) {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return 20;
        QMenuBar probe;
        probe.setNativeMenuBar(false);
        probe.addMenu(QStringLiteral("Ag"));
        height = probe.sizeHint().height();
    }
    return height;
}

// The shortcut a key message stands for, with the shift keys held with it.
TShortCut KeyShortCut(const TMessage& Message)
{
    const TShiftState shift = KeyDataToShiftState(int32_t(Message.LParam));
    TShortCut sc = TShortCut(Message.WParam & 0xFF);
    if (shift.Contains(ssShift))
        sc |= scShift;
    if (shift.Contains(ssCtrl))
        sc |= scCtrl;
    if (shift.Contains(ssAlt))
        sc |= scAlt;
    return sc;
}

TMenuItem* ItemOf(const QAction* a) { return static_cast<TMenuItem*>(a->data().value<void*>()); }

bool InTree(const TMenuItem* Root, const TMenuItem* Item)
{
    for (int i = 0; i < Root->Count(); ++i)
        if (Root->Items(i) == Item || InTree(Root->Items(i), Item))
            return true;
    return false;
}

std::vector<TMenuItem*> VisibleItems(const TMenuItem* Root)
{
    std::vector<TMenuItem*> items;
    for (int i = 0; i < Root->Count(); ++i)
        if (Root->Items(i)->Visible() && Root->Items(i)->Caption != QLatin1String("-"))
            items.push_back(Root->Items(i));
    return items;
}
}

QMenuBar* TCustomForm::MenuBar() const { return FMenuBar ? FMenuBar->Bar.data() : nullptr; }

void TCustomForm::SetMenu(TMainMenu* Value)
{
    if (Value == FMenu)
        return;
    if (Value && Value->FWindowForm)
        Value->FWindowForm->SetMenu(nullptr);
    const int clientHeight = ClientHeight();
    if (FMenu)
        FMenu->FWindowForm = nullptr;
    SetComponentRef(this, FMenu, Value);
    if (FMenu)
        FMenu->FWindowForm = this;
    if (ComponentState().Contains(csDestroying))
        return;
    ReadNonClient();
    if (!Parent())
        SetBounds(FLeft, FTop, FWidth, clientHeight + FNonClient.Top + FNonClient.Bottom);
    UpdateMenuBar(true);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMenu)
        SetMenu(nullptr);
}

void TCustomForm::WMNCCalcSize(TMessage& M)
{
    TWinControl::WMNCCalcSize(M);
    if (FMenu && !Parent()) {
        auto* r = reinterpret_cast<TRect*>(M.LParam);
        r->Top = std::min(r->Top + MenuBarHeight(), r->Bottom);
    }
}

void TCustomForm::MenuChanged()
{
    if (!ComponentState().Contains(csDestroying))
        UpdateMenuBar(false);
}

void TCustomForm::UpdateMenuBar(bool Rebuild)
{
    QWidget* w = Widget();
    if (!FMenu || !w || Parent()) {
        if (FMenuBar && FMenuBar->Bar)
            delete FMenuBar->Bar.data();
        FMenuBar.reset();
        return;
    }
    if (!FMenuBar)
        FMenuBar = std::make_unique<TMenuBarLink>();
    const std::vector<TMenuItem*> items = VisibleItems(FMenu->Items());
    QMenuBar* bar = FMenuBar->Bar;
    if (bar && !Rebuild && items == FMenuBar->Shown) {
        for (QAction* a : bar->actions()) {
            TMenuItem* item = ItemOf(a);
            a->setText(item->Caption);
            a->setEnabled(item->Enabled());
        }
        return;
    }
    if (!bar) {
        bar = new QMenuBar(w);
        bar->setNativeMenuBar(false);
        FMenuBar->Bar = bar;
    }
    bar->clear();
    FMenuBar->Shown = items;
    // A chosen item is clicked once the menu has closed, and only if it is still in the menu.
    auto clickLater = [this, bar](QAction* a) {
        TMenuItem* item = ItemOf(a);
        QTimer::singleShot(0, bar, [this, item] {
            if (FMenu && InTree(FMenu->Items(), item))
                GuardedCall([&] { item->Click(); });
        });
    };
    for (TMenuItem* item : items) {
        QAction* a;
        if (item->Count() > 0) {
            QMenu* sub = bar->addMenu(item->Caption);
            a = sub->menuAction();
            // Built as it opens, so it shows the items' states of that moment.
            QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, item, clickLater] {
                sub->clear();
                AddMenuItems(sub, item);
                std::vector<QMenu*> menus{sub};
                while (!menus.empty()) {
                    QMenu* m = menus.back();
                    menus.pop_back();
                    for (QAction* x : m->actions()) {
                        if (x->menu())
                            menus.push_back(x->menu());
                        else if (!x->isSeparator())
                            QObject::connect(x, &QAction::triggered, x, [x, clickLater] { clickLater(x); });
                    }
                }
            });
        } else {
            a = bar->addAction(item->Caption);
            QObject::connect(a, &QAction::triggered, a, [a, clickLater] { clickLater(a); });
        }
        a->setData(QVariant::fromValue(static_cast<void*>(item)));
        a->setEnabled(item->Enabled());
    }
    PlaceMenuBar();
    bar->setVisible(true);
}

void TCustomForm::PlaceMenuBar()
{
    if (QMenuBar* bar = MenuBar())
        bar->setGeometry(0, 0, Widget()->width(), MenuBarHeight());
}

bool TCustomForm::IsShortCut(const TMessage& Message)
{
    return FMenu && FMenu->IsShortCut(KeyShortCut(Message));
}

bool IsMenuKey(TWinControl* Control, const TMessage& Message)
{
    const TShortCut sc = KeyShortCut(Message);
    for (TControl* c = Control; c; c = c->Parent())
        if (c->PopupMenu && c->PopupMenu->IsShortCut(sc))
            return true;
    TCustomForm* f = GetParentForm(Control);
    return f && f->IsShortCut(Message);
}

void TCustomForm::ApplyWindowStyle()
{
    TWinControl::ApplyWindowStyle();
    QWidget* w = Widget();
    if (!w || Parent())
        return;
    TCreateParams params;
    CreateParams(params);
    if (params.Style & WS_POPUP) {
        // Drop-down forms keep the popup window kind they were created with.
        w->setWindowTitle(FText);
        return;
    }
    const bool wasVisible = w->isVisible();
    Qt::WindowFlags f = Qt::Window;
    switch (FBorderStyle) {
    case bsNone: f |= Qt::FramelessWindowHint; break;
    case bsDialog: f = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    case bsToolWindow: case bsSizeToolWin: f = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    default:
        f |= Qt::WindowTitleHint;
        if (FBorderIcons.Contains(biSystemMenu)) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (FBorderIcons.Contains(biMinimize)) f |= Qt::WindowMinimizeButtonHint;
        if (FBorderIcons.Contains(biMaximize) && FBorderStyle == bsSizeable) f |= Qt::WindowMaximizeButtonHint;
        break;
    }
    if (FFormStyle == fsStayOnTop)
        f |= Qt::WindowStaysOnTopHint;
    if (w->windowFlags() != f)
        w->setWindowFlags(f);
    if (FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin) {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        w->setFixedSize(std::max(1, FWidth), std::max(1, FHeight));
    }
    w->setWindowTitle(FText);
    if (wasVisible && !w->isVisible())
        w->show();
}

void TCustomForm::SetBorderStyle(TBorderStyle v)
{
    if (v == FBorderStyle)
        return;
    FBorderStyle = v;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons v)
{
    if (v == FBorderIcons)
        return;
    FBorderIcons = v;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle v)
{
    if (v == FFormStyle)
        return;
    FFormStyle = v;
    RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState v)
{
    FWindowState = v;
    if (QWidget* w = Widget(); w && w->isVisible()) {
        if (v == wsMaximized) w->showMaximized();
        else if (v == wsMinimized) w->showMinimized();
        else w->showNormal();
    }
}

bool TCustomForm::Showing() const
{
    if (Parent())
        return TWinControl::Showing();
    return Widget() && Widget()->isVisible();
}

void TCustomForm::PlaceWindow()
{
    TRect area = Screen->WorkAreaRect();
    TRect ref = area;
    if (Position == poMainFormCenter || Position == poOwnerFormCenter) {
        TCustomForm* other = Position == poMainFormCenter ? Application->MainForm() : dynamic_cast<TCustomForm*>(Owner());
        if (other && other != this && other->Showing())
            ref = other->BoundsRect();
    }
    if (Position == poScreenCenter || Position == poDesktopCenter || Position == poMainFormCenter || Position == poOwnerFormCenter)
        SetBounds(ref.Left + (ref.Width() - FWidth) / 2, ref.Top + (ref.Height() - FHeight) / 2, FWidth, FHeight);
}

void TCustomForm::Show()
{
    HandleNeeded();
    // Captions and images are plain fields of the items: the bar takes them as it shows.
    UpdateMenuBar(false);
    if (!FVisible) {
        PlaceWindow();
        FVisible = true;
    }
    QWidget* w = Widget();
    if (FWindowState == wsMaximized)
        w->showMaximized();
    else
        w->show();
    w->raise();
    if (!w->testAttribute(Qt::WA_ShowWithoutActivating))
        w->activateWindow();
    DoShow();
    if (FActiveControl && FActiveControl->CanFocus())
        FocusControl(FActiveControl);
}

void TCustomForm::Hide()
{
    if (!FVisible)
        return;
    FVisible = false;
    if (QWidget* w = Widget())
        w->hide();
    DoHide();
}

void TCustomForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

TModalResult TCustomForm::ShowModal()
{
    if (FVisible || FModal)
        throw EInvalidOperation(QStringLiteral("Cannot make a visible window modal"));
    FModal = true;
    FModalResult = mrNone;
    ++Application->FModalLevel;
    QPointer<QWidget> guard;
    auto leave = Finally([&] {
        --Application->FModalLevel;
        if (guard)
            guard->setWindowModality(Qt::NonModal);
        Hide();
        FModal = false;
    });
    Show();
    guard = Widget();
    if (guard)
        guard->setWindowModality(Qt::ApplicationModal);
    while (true) {
        // A scripted user answers first: the form is up, so the hook may work its controls.
        if (FModalResult == mrNone) {
            TDialogCall call;
            call.Kind = TDialogKind::ModalForm;
            call.Caption = FText;
            call.Form = this;
            if (auto answer = CallDialogHook(call)) {
                if (*answer != mrNone)
                    FModalResult = *answer;
                else if (FModalResult == mrNone)
                    FModalResult = mrCancel;
            }
        }
        while (FModalResult == mrNone && !Application->Terminated())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 50);
        if (Application->Terminated()) {
            if (FModalResult == mrNone)
                FModalResult = mrCancel;
            break;
        }
        // Closing a modal form asks as closing any form does; refusing keeps it open.
        if (!CloseQuery()) {
            FModalResult = mrNone;
            continue;
        }
        TCloseAction action = caHide;
        DoClose(action);
        if (action == caNone) {
            FModalResult = mrNone;
            continue;
        }
        break;
    }
    return FModalResult;
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action)
{
    if (OnClose)
        OnClose(this, Action);
}

void TCustomForm::Close()
{
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = Application->MainForm() == this ? caFree : caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application->MainForm() == this) {
        Application->Terminate();
        Hide();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
    }
}

void TCustomForm::Release()
{
    PostMessage(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::Dispatch(TMessage& M)
{
    switch (M.Msg) {
    case CM_RELEASE: {
        // Freed from the event loop, after the handler that posted the notice has returned.
        TCustomForm* self = this;
        QTimer::singleShot(0, [self] { delete self; });
        return;
    }
    case WM_ACTIVATE:
        if (LOWORD(M.WParam) != WA_INACTIVE)
            Activate();
        else
            Deactivate();
        return;
    case WM_CLOSE:
        Close();
        return;
    case CM_TEXTCHANGED:
        if (Widget() && !Parent())
            Widget()->setWindowTitle(FText);
        TWinControl::Dispatch(M);
        return;
    case WM_SIZE:
        PlaceMenuBar();
        TWinControl::Dispatch(M);
        return;
    default:
        TWinControl::Dispatch(M);
    }
}

void TCustomForm::Activate()
{
    if (FActive)
        return;
    FActive = true;
    if (OnActivate)
        OnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (!FActive)
        return;
    FActive = false;
    if (OnDeactivate)
        OnDeactivate(this);
}

void TCustomForm::SetActiveControl(TWinControl* Control)
{
    if (Control == FActiveControl)
        return;
    if (Control && (Control == this || !ContainsControl(Control) || !Control->CanFocus()))
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    FActiveControl = Control;
    if (Control && Showing())
        FocusControl(Control);
}

void TCustomForm::FocusControl(TWinControl* Control)
{
    if (!Control)
        return;
    FActiveControl = Control;
    if (Control->HandleAllocated() || Showing())
        Control->Handle();
    if (QWidget* w = Control->Widget())
        w->setFocus(Qt::OtherFocusReason);
    // The offscreen and headless platforms may not deliver focus events; record it ourselves.
    SetFocusedControl(Control);
}

namespace {
int gFocusChanges = 0;   // counts focus changes, to notice one made by an exit or enter handler
}

// Refused (False) while the form is going away, or when an exit or enter handler moved the
// focus somewhere else meanwhile.
bool TCustomForm::SetFocusedControl(TWinControl* Control)
{
    if (ComponentState().Contains(csDestroying))
        return false;
    const int change = ++gFocusChanges;
    if (Control == FFocusedControl) {
        if (Control && Control->HandleIfAllocated())
            NoteFocusWindow(Control->HandleIfAllocated());
        return true;
    }
    // Exit up the old chain to the common parent, enter down the new one.
    TWinControl* old = FFocusedControl;
    FFocusedControl = Control;
    FActiveControl = Control;
    if (Control && Control->HandleIfAllocated())
        NoteFocusWindow(Control->HandleIfAllocated());
    for (TWinControl* c = old; c && c != this && !(Control && c->ContainsControl(Control)); c = c->Parent()) {
        c->Perform(CM_EXIT, 0, 0);
        if (change != gFocusChanges)
            return false;
    }
    std::vector<TWinControl*> chain;
    for (TWinControl* c = Control; c && c != this && !(old && c->ContainsControl(old)); c = c->Parent())
        chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        (*it)->Perform(CM_ENTER, 0, 0);
        if (change != gFocusChanges)
            return false;
    }
    Perform(CM_FOCUSCHANGED, 0, LPARAM(Control));
    return true;
}

void TCustomForm::SetFocus()
{
    if (QWidget* w = Widget()) {
        w->activateWindow();
        w->setFocus(Qt::OtherFocusReason);
    }
}

void TCustomForm::CMDialogKey(TMessage& M)
{
    const Word key = Word(M.WParam);
    if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
        SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
        M.Result = 1;
        return;
    }
    if ((key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) && FActiveControl && FActiveControl->Parent()) {
        FActiveControl->Parent()->SelectNext(FActiveControl, key == VK_RIGHT || key == VK_DOWN, false);
        M.Result = 1;
        return;
    }
    TWinControl::CMDialogKey(M);
}

// ---------------------------------------------------------------- TApplication

DOV_PUBLISHED(TApplication) {}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner)
{
    HintMessageListener = HintManager();
    ApplicationHandleException = TNotifyEvent(this, &TApplication::HandleException);
}

THintManager* TApplication::HintManager()
{
    // Made on first use and kept for the life of the process: it is reached from control
    // destructors that may run during static destruction.
    if (!FHintManager)
        FHintManager = new THintManager;
    return FHintManager;
}

void TApplication::ActivateHint(TPoint CursorPos) { HintManager()->ActivateHint(CursorPos); }
void TApplication::CancelHint()
{
    if (FHintManager)
        FHintManager->CancelHint();
}
TApplication::~TApplication()
{
    ApplicationHandleException = TNotifyEvent();
    // Forms still owned by the application go before Qt does.
    DestroyComponents();
}

void TApplication::Initialize()
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "dovrelin";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    FTerminated = false;
}

bool TApplication::Active() const { return QApplication::activeWindow() != nullptr; }

void TApplication::Run()
{
    FRunning = true;
    if (FMainForm && ShowMainForm)
        FMainForm->Show();
    while (!FTerminated) {
        HandleMessage();
        if (!FMainForm && !FTerminated && QApplication::topLevelWidgets().isEmpty())
            break;
    }
    FRunning = false;
}

void TApplication::ProcessMessages()
{
    GuardedCall([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}

void TApplication::HandleMessage()
{
    GuardedCall([] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 100); });
    if (OnIdle) {
        bool done = true;
        GuardedCall([&] { OnIdle(this, done); });
    }
}

void TApplication::Terminate()
{
    FTerminated = true;
    if (QCoreApplication::instance())
        QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::None));   // wakes the loop
}

void TApplication::HandleException(TObject* Sender)
{
    std::exception_ptr p = std::current_exception();
    if (!p)
        return;
    try {
        std::rethrow_exception(p);
    } catch (EAbort&) {
        // silent
    } catch (Exception& e) {
        if (OnException)
            OnException(Sender, &e);
        else
            ShowException(&e);
    } catch (std::exception& e) {
        Exception wrapped(QString::fromUtf8(e.what()));
        if (OnException)
            OnException(Sender, &wrapped);
        else
            ShowException(&wrapped);
    } catch (...) {
        Exception wrapped(QStringLiteral("Unknown error"));
        ShowException(&wrapped);
    }
}

void TApplication::ShowException(Exception* E)
{
    QString msg = E->Message();
    if (!msg.isEmpty() && msg.back() > QChar(u'.'))
        msg += u'.';
    ShowErrorBox(msg);
}

void TApplication::ShowErrorBox(const QString& Message)
{
    ::MessageBox(nullptr, Message, Application->Title, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const QString& Text, const QString& Caption, UINT Flags)
{
    HWND owner = FMainForm && FMainForm->HandleAllocated() ? FMainForm->Handle() : nullptr;
    return ::MessageBox(owner, Text, Caption, Flags);
}

// ---------------------------------------------------------------- TScreen

DOV_PUBLISHED(TScreen) {}

TScreen::TScreen(TComponent* AOwner)
    : TComponent(AOwner), FIconFont(std::make_unique<TFont>()), FMenuFont(std::make_unique<TFont>()),
      FHintFont(std::make_unique<TFont>())
{
    FHintFont->SetColor(clInfoText);
}
TScreen::~TScreen() = default;

void TScreen::AddForm(TCustomForm* f) { FForms.push_back(f); }
void TScreen::RemoveForm(TCustomForm* f)
{
    auto it = std::find(FForms.begin(), FForms.end(), f);
    if (it != FForms.end())
        FForms.erase(it);
}

TCustomForm* TScreen::ActiveForm() const
{
    QWidget* a = QCoreApplication::instance() ? QApplication::activeWindow() : nullptr;
    for (TCustomForm* f : FForms)
        if (f->HandleAllocated() && f->Widget() == a)
            return f;
    for (TCustomForm* f : FForms)
        if (f->Active())
            return f;
    return nullptr;
}

TWinControl* TScreen::ActiveControl() const
{
    if (HWND h = GetFocus())
        return FindControl(h);
    return nullptr;
}

void TScreen::UpdateMonitors()
{
    FMonitors.clear();
    const auto screens = qGuiApp ? QGuiApplication::screens() : QList<QScreen*>();
    int n = 0;
    for (QScreen* s : screens) {
        auto m = std::make_unique<TMonitor>();
        m->MonitorNum = n++;
        m->Primary = s == QGuiApplication::primaryScreen();
        const QRect g = s->geometry(), a = s->availableGeometry();
        m->BoundsRect = Bounds(g.x(), g.y(), g.width(), g.height());
        m->WorkareaRect = Bounds(a.x(), a.y(), a.width(), a.height());
        FMonitors.push_back(std::move(m));
    }
    if (FMonitors.empty()) {
        auto m = std::make_unique<TMonitor>();
        m->BoundsRect = TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        m->WorkareaRect = TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - 40);
        FMonitors.push_back(std::move(m));
    }
}

int TScreen::MonitorCount()
{
    UpdateMonitors();
    return int(FMonitors.size());
}

TMonitor* TScreen::Monitors(int i)
{
    UpdateMonitors();
    return FMonitors.at(size_t(i)).get();
}

TMonitor* TScreen::MonitorFromPoint(TPoint p)
{
    UpdateMonitors();
    for (auto& m : FMonitors)
        if (PtInRect(m->BoundsRect, p))
            return m.get();
    for (auto& m : FMonitors)
        if (m->Primary)
            return m.get();
    return FMonitors.front().get();
}

TMonitor* TScreen::MonitorFromRect(const TRect& r)
{
    UpdateMonitors();
    TMonitor* best = nullptr;
    int bestArea = -1;
    for (auto& m : FMonitors) {
        TRect i;
        const int area = IntersectRect(i, m->BoundsRect, r) ? i.Width() * i.Height() : 0;
        if (area > bestArea) {
            bestArea = area;
            best = m.get();
        }
    }
    return bestArea > 0 ? best : MonitorFromPoint(r.TopLeft());
}

TRect TScreen::WorkAreaRect()
{
    UpdateMonitors();
    for (auto& m : FMonitors)
        if (m->Primary)
            return m->WorkareaRect;
    return FMonitors.front()->WorkareaRect;
}

TRect TScreen::DesktopRect()
{
    UpdateMonitors();
    TRect r;
    for (auto& m : FMonitors)
        UnionRect(r, r, m->BoundsRect);
    return r;
}

int TScreen::Width() { return Monitors(0)->Width(); }
int TScreen::Height() { return Monitors(0)->Height(); }

void TScreen::SetCursor(TCursor c)
{
    if (c == FCursor)
        return;
    FCursor = c;
    if (qGuiApp) {
        if (c == crDefault)
            while (QGuiApplication::overrideCursor())
                QGuiApplication::restoreOverrideCursor();
        else {
            if (QGuiApplication::overrideCursor())
                QGuiApplication::changeOverrideCursor(CursorFor(c));
            else
                QGuiApplication::setOverrideCursor(CursorFor(c));
        }
    }
}

void TScreen::SetCursors(TCursor id, const QString& resourceName)
{
    for (auto& p : FCursorResources)
        if (p.first == id) {
            p.second = resourceName;
            return;
        }
    FCursorResources.emplace_back(id, resourceName);
}

QString TScreen::CursorResource(TCursor id) const
{
    for (auto& p : FCursorResources)
        if (p.first == id)
            return p.second;
    return QString();
}

QStringList TScreen::Fonts() { return qGuiApp ? QFontDatabase::families() : QStringList(); }
