// Forms, the application object and the screen.
#pragma once

#include "Controls.h"
#include "HintWindow.h"

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
DOV_ENUM_INFO(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
DOV_ENUM_INFO(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
              poMainFormCenter, poOwnerFormCenter)
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
DOV_ENUM_INFO(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
DOV_ENUM_INFO(TWindowState, wsNormal, wsMinimized, wsMaximized)
enum TCloseAction { caNone, caHide, caFree, caMinimize };
DOV_ENUM_INFO(TCloseAction, caNone, caHide, caFree, caMinimize)

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrClose = 8, mrAll = 12, mrNoToAll = 13, mrYesToAll = 14;

class TMainMenu;
class QMenuBar;

using TCloseEvent = Delegate<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = Delegate<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
    DOV_PERSISTENT(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    // Reads the form's resources (LoadFromResource) once the whole class is constructed.
    void AfterConstruction() override;

    // Reads the form resources of the class chain not read yet, then fires OnCreate.
    void LoadFromResource();
    // Written with the form: its components that sit on no parent (menus, dialogs, image
    // lists), then its controls.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

    void Show();
    void Hide();
    // Runs a local event loop until ModalResult is set; returns it.
    virtual TModalResult ShowModal();
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages queued before are handled.
    void Release();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }
    bool Modal() const { return FModal; }
    bool Active() const { return FActive; }

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons v);
    TPosition Position = poDefaultPosOnly;
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle v);
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState v);
    bool KeyPreview = false;

    // The menu shown as the window's menu bar. Setting it keeps the client area's size: the
    // window grows by the bar.
    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* Value);
    // The bar showing Menu (nullptr without a menu or before the window exists).
    QMenuBar* MenuBar() const;
    // Clicks the item of Menu whose shortcut the key message (CN_KEYDOWN) is; true if one was.
    bool IsShortCut(const TMessage& Message);
    // Menu's items were enabled, shown, added or removed: the bar follows.
    void MenuChanged();

    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Control);
    // Records the focused control and sends CM_EXIT / CM_ENTER down the chain.
    bool SetFocusedControl(TWinControl* Control);
    void FocusControl(TWinControl* Control);
    void SetFocus() override;
    bool Showing() const override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void ApplyWindowStyle() override;
    void CreateWidget(const TCreateParams& Params) override;
    virtual void DoCreate();
    virtual void DoClose(TCloseAction& Action);
    virtual void DoShow();
    virtual void DoHide();
    virtual void Activate();
    virtual void Deactivate();
    void CMDialogKey(TMessage& M) override;
    void WMNCCalcSize(TMessage& M) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void PlaceWindow();
    void SetVisibleFromQt(bool v);

    TModalResult FModalResult = mrNone;
    bool FModal = false;
    bool FActive = false;
    TBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TFormStyle FFormStyle = fsNormal;
    TWindowState FWindowState = wsNormal;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    TMainMenu* FMenu = nullptr;
    struct TMenuBarLink;
    std::unique_ptr<TMenuBarLink> FMenuBar;
    void UpdateMenuBar(bool Rebuild);
    void PlaceMenuBar();
    const TClassInfo* FResourceClass = nullptr;
    bool FCreated = false;
    friend class TVclWidget;
    friend class TApplication;
    friend class TWinControl;
};

class TForm : public TCustomForm {
    DOV_PERSISTENT(TForm, TCustomForm)
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

using TExceptionEvent = Delegate<void(TObject* Sender, Exception* E)>;
using TIdleEvent = Delegate<void(TObject* Sender, bool& Done)>;
using TShowHintEvent = Delegate<void(QString& HintStr, bool& CanShow, THintInfo& HintInfo)>;

class TApplication : public TComponent {
    DOV_PERSISTENT(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Creates the Qt application when none exists (arguments of the process).
    void Initialize();
    // Creates a form owned by the application; the first becomes the main form.
    template <typename T> T* CreateForm(T*& Reference)
    {
        T* f = Create<T>(this);
        Reference = f;
        if (!FMainForm)
            FMainForm = f;
        return f;
    }
    void Run();
    void ProcessMessages();
    // Waits for and handles one event.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Shows the error box (nothing for EAbort); OnException replaces it.
    void HandleException(TObject* Sender);
    void ShowException(Exception* E);
    int MessageBox(const QString& Text, const QString& Caption, UINT Flags = MB_OK);

    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* f) { FMainForm = f; }
    bool ShowMainForm = true;
    bool MainFormOnTaskbar = true;
    QString Title;
    bool ShowHint = true;
    int HintPause = 500;
    int HintShortPause = 50;
    int HintHidePause = 2500;
    TColor HintColor = clInfoBk;
    // Shows the hint of the control under the screen point at once.
    void ActivateHint(TPoint CursorPos);
    // Hides the hint and forgets the control it was for.
    void CancelHint();
    THintManager* HintManager();
    bool Active() const;
    // Counts modal loops (the application is modal while > 0).
    int ModalLevel() const { return FModalLevel; }

    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    // Last word on a hint about to show (after the control's CM_HINTSHOW).
    TShowHintEvent OnShowHint;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // The exception being handled (during OnException and the box).
    static void ShowErrorBox(const QString& Message);

private:
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    bool FRunning = false;
    int FModalLevel = 0;
    THintManager* FHintManager = nullptr;
    friend class TCustomForm;
};

class TMonitor : public TObject {
public:
    int MonitorNum = 0;
    bool Primary = true;
    TRect BoundsRect;
    TRect WorkareaRect;
    int PixelsPerInch = 96;
    int Left() const { return BoundsRect.Left; }
    int Top() const { return BoundsRect.Top; }
    int Width() const { return BoundsRect.Width(); }
    int Height() const { return BoundsRect.Height(); }
};

class TScreen : public TComponent {
    DOV_PERSISTENT(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    int FormCount() const { return int(FForms.size()); }
    TCustomForm* Forms(int i) const { return FForms[size_t(i)]; }
    TCustomForm* ActiveForm() const;
    TWinControl* ActiveControl() const;
    int MonitorCount();
    TMonitor* Monitors(int i);
    TMonitor* MonitorFromPoint(TPoint p);
    TMonitor* MonitorFromRect(const TRect& r);
    TRect WorkAreaRect();
    TRect DesktopRect();
    int Width();
    int Height();
    int PixelsPerInch = 96;
    // The application-wide cursor (crDefault: each control's own).
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor c);
    // A cursor loaded from resources, by id (positive ids).
    void SetCursors(TCursor id, const QString& resourceName);
    QStringList Fonts();
    TFont* IconFont() const { return FIconFont.get(); }
    TFont* MenuFont() const { return FMenuFont.get(); }
    TFont* HintFont() const { return FHintFont.get(); }
    TNotifyEvent OnActiveControlChange;
    TNotifyEvent OnActiveFormChange;

    void AddForm(TCustomForm* f);
    void RemoveForm(TCustomForm* f);
    void UpdateMonitors();
    // Custom cursors by id (crDefault... and registered ones).
    QString CursorResource(TCursor id) const;

private:
    std::vector<TCustomForm*> FForms;
    std::vector<std::unique_ptr<TMonitor>> FMonitors;
    TCursor FCursor = crDefault;
    std::vector<std::pair<TCursor, QString>> FCursorResources;
    std::unique_ptr<TFont> FIconFont, FMenuFont, FHintFont;
};

extern TApplication* Application;
extern TScreen* Screen;

// The form a control is on.
TCustomForm* GetParentForm(TControl* Control, bool TopForm = true);
// A key (CN_KEYDOWN) that is the shortcut of a menu item, of a popup menu of the control or
// of a control it sits on, or of its form's menu: the item is clicked and the key goes no
// further.
bool IsMenuKey(TWinControl* Control, const TMessage& Message);
// Shows the text in a box (buttons OK).
void ShowMessage(const QString& Msg);
