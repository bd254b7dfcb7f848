// Controls: TControl, TWinControl (owns a QWidget), TCustomControl and TGraphicControl.
// Messages are TMessage records dispatched by number to virtual handlers; Qt's events are
// translated into them at the widget, and no exception crosses back into Qt.
#pragma once

#include "Graphics.h"
#include "platform/rtl/Threads.h"
#include "platform/winapi/WinUser.h"

#include <vector>

class QWidget;
class TWinControl;
class TCustomForm;
class TVclWidget;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
DOV_ENUM_INFO(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
DOV_ENUM_INFO(TAnchorKind, akLeft, akTop, akRight, akBottom)
using TAnchors = TSet<TAnchorKind>;
enum TScalingFlag { sfLeft, sfTop, sfWidth, sfHeight, sfFont };
DOV_ENUM_INFO(TScalingFlag, sfLeft, sfTop, sfWidth, sfHeight, sfFont)
using TScalingFlags = TSet<TScalingFlag>;
enum TTextLayout { tlTop, tlCenter, tlBottom };
DOV_ENUM_INFO(TTextLayout, tlTop, tlCenter, tlBottom)
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
DOV_ENUM_INFO(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)
// Input method settings a control asks for (kept and handed on; the platform input method
// decides by itself).
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
                imSHanguel, imHanguel };
DOV_ENUM_INFO(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
              imChinese, imSHanguel, imHanguel)
using TImeName = QString;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
DOV_ENUM_INFO(TMouseButton, mbLeft, mbRight, mbMiddle)
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
DOV_ENUM_INFO(TShiftStateItem, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = TSet<TShiftStateItem>;
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
DOV_ENUM_INFO(TBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
using TFormBorderStyle = TBorderStyle;
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
DOV_ENUM_INFO(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)

enum TControlStyleItem {
    csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption, csOpaque,
    csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents,
    csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint, csParentBackground,
    csPannable, csAlignWithMargins, csGestures, csPaintBlackOpaqueOnGlass, csOverrideStylePaint
};
DOV_ENUM_INFO(TControlStyleItem, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
              csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
              csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
              csParentBackground, csPannable, csAlignWithMargins, csGestures, csPaintBlackOpaqueOnGlass,
              csOverrideStylePaint)
using TControlStyle = TSet<TControlStyleItem>;
enum TControlStateItem {
    csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating, csPaintCopy,
    csCustomPaint, csDestroyingHandle, csDocking, csDesignerHide, csPanning, csRecreating, csAligning
};
DOV_ENUM_INFO(TControlStateItem, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
              csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking, csDesignerHide, csPanning,
              csRecreating, csAligning)
using TControlState = TSet<TControlStateItem>;

using TCursor = int16_t;
enum : TCursor {
    crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6, crSizeNS = -7,
    crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
    crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19,
    crHelp = -20, crHandPoint = -21, crSizeAll = -22, crSize = -22,
};

using TKeyEvent = Delegate<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = Delegate<void(TObject* Sender, QChar& Key)>;
using TMouseEvent = Delegate<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = Delegate<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent = Delegate<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = Delegate<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = Delegate<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// The shift state of key flags and mouse-key flags (MK_*).
TShiftState KeysToShiftState(UINT keys);
TShiftState KeyDataToShiftState(int32_t keyData);
// The shift state from the current key state.
TShiftState GetShiftState();

// A canvas that draws on a control while it paints.
class TControlCanvas : public TCanvas {
public:
    class TControl* Control = nullptr;

protected:
    // every drawing step passes here
    void Changing() override
    {
        DOV_ASSERT_UI_THREAD();
        TCanvas::Changing();
    }
};

class TPopupMenu;

// ---------------------------------------------------------------- TControl

class TControl : public TComponent {
    DOV_PERSISTENT(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // ---- messages ----
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    // The window procedure: every message enters here; the default dispatches.
    virtual void WndProc(TMessage& Message);
    // Calls the handler of the message number; unknown numbers go to DefaultHandler.
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // ---- tree and geometry ----
    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect ClientRect();
    int ClientWidth() { return ClientRect().Width(); }
    int ClientHeight() { return ClientRect().Height(); }
    void SetClientWidth(int v) { SetWidth(FWidth - ClientWidth() + v); }
    void SetClientHeight(int v) { SetHeight(FHeight - ClientHeight() + v); }
    virtual TPoint ClientOrigin();   // screen position of the client's (0, 0)
    TPoint ClientToScreen(TPoint p);
    TPoint ScreenToClient(TPoint p);
    TPoint ClientToParent(TPoint p, TWinControl* AParent = nullptr);
    TPoint ParentToClient(TPoint p, TWinControl* AParent = nullptr);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign v);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors v) { FAnchors = v; UpdateAnchorRules(); }
    // Scales position, size and own font by M/D (a change of screen density).
    void ScaleBy(int M, int D) { ChangeScale(M, D); }
    // What a reader that scales a control while loading it may scale; outside loading
    // everything is scaled.
    TScalingFlags ScalingFlags() const { return FScalingFlags; }
    void SetScalingFlags(TScalingFlags v) { FScalingFlags = v; }

    // ---- state ----
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible with every parent up to a shown window.
    virtual bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool v);
    QString Text() const { return FText; }
    void SetText(const QString& v);
    QString Caption() const { return FText; }
    void SetCaption(const QString& v) { SetText(v); }
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* v) { FFont->Assign(v); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool v);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);
    QString Hint;
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool v);
    TPopupMenu* PopupMenu = nullptr;
    // The menu a context request pops up (PopupMenu unless a descendant offers another).
    virtual TPopupMenu* GetPopupMenu() { return PopupMenu; }
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode v);
    // Controls whose alignment comes from elsewhere (a bound field) narrow this down.
    virtual bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
    bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    bool IsRightToLeft() const { return FBiDiMode != bdLeftToRight; }

    TControlStyle ControlStyle;
    TControlState ControlState;
    bool MouseCapture() const;
    void SetMouseCapture(bool v);

    // ---- painting ----
    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // The form the control is on (nullptr when none).
    TCustomForm* GetParentForm() const;
    virtual bool Focused() const { return false; }
    void Click() { DoClick(); }

    // ---- events ----
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TContextPopupEvent OnContextPopup;

protected:
    virtual void DoClick();
    virtual void DblClick();
    // A context request at a client point ((-1, -1) from the keyboard): OnContextPopup, then
    // the popup menu with AutoPopup.
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    virtual void Resize();
    virtual void Changed() {}
    virtual void Loaded() override;
    virtual void AdjustSize() {}
    virtual void RequestAlign();
    virtual void ChangeScale(int M, int D);
    // Fonts follow a scaling: always, except while loading without sfFont.
    bool ScalesFonts() const;
    void UpdateAnchorRules();

    // ---- message handlers (by number in Dispatch) ----
    virtual void WMLButtonDown(TMessage& M);
    virtual void WMLButtonUp(TMessage& M);
    virtual void WMLButtonDblClk(TMessage& M);
    virtual void WMRButtonDown(TMessage& M);
    virtual void WMRButtonUp(TMessage& M);
    virtual void WMRButtonDblClk(TMessage& M);
    virtual void WMMButtonDown(TMessage& M);
    virtual void WMMButtonUp(TMessage& M);
    virtual void WMMButtonDblClk(TMessage& M);
    virtual void WMMouseMove(TMessage& M);
    virtual void WMMouseWheel(TMessage& M);
    virtual void WMCancelMode(TMessage& M);
    virtual void WMContextMenu(TMessage& M);
    virtual void WMWindowPosChanged(TMessage& M) {}
    virtual void CMMouseWheel(TMessage& M);
    virtual void CMMouseEnter(TMessage& M);
    virtual void CMMouseLeave(TMessage& M);
    virtual void CMEnabledChanged(TMessage& M);
    virtual void CMVisibleChanged(TMessage& M);
    virtual void CMFontChanged(TMessage& M);
    virtual void CMColorChanged(TMessage& M);
    virtual void CMTextChanged(TMessage& M);
    virtual void CMParentFontChanged(TMessage& M);
    virtual void CMParentColorChanged(TMessage& M);
    virtual void CMCursorChanged(TMessage& M);
    virtual void CMHitTest(TMessage& M);
    virtual void CMCancelMode(TMessage& M) {}
    virtual void CMBiDiModeChanged(TMessage& M) { Invalidate(); }
    virtual void CMParentShowHintChanged(TMessage& M);
    virtual void CMSysColorChange(TMessage& M) { Invalidate(); }

    void DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Shift);
    void DoMouseUp(TMessage& M, TMouseButton Button);
    void FontChanged(TObject* Sender);

    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TWinControl* FParent = nullptr;
    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    TPoint FAnchorRules;          // distance to the parent's right and bottom edges when anchored
    TPoint FOriginalParentSize;
    bool FVisible = true;
    bool FEnabled = true;
    QString FText;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    TColor FColor = clWindow;
    bool FParentColor = true;
    TCursor FCursor = crDefault;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FMouseInControl = false;
    TScalingFlags FScalingFlags;

    friend class TWinControl;
    friend class TVclWidget;
};

// ---------------------------------------------------------------- TWinControl

struct TCreateParams {
    QString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    QString WinClassName;
};
enum : DWORD {
    WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_BORDER = 0x00800000, WS_CAPTION = 0x00C00000,
    WS_TABSTOP = 0x00010000, WS_CLIPCHILDREN = 0x02000000, WS_CLIPSIBLINGS = 0x04000000, WS_VSCROLL = 0x00200000,
    WS_HSCROLL = 0x00100000, WS_POPUP = 0x80000000, WS_THICKFRAME = 0x00040000, WS_SYSMENU = 0x00080000,
    WS_DISABLED = 0x08000000,
    WS_EX_CLIENTEDGE = 0x00000200, WS_EX_TOOLWINDOW = 0x00000080, WS_EX_TOPMOST = 0x00000008,
    WS_EX_LAYOUTRTL = 0x00400000, WS_EX_RIGHT = 0x00001000, WS_EX_RTLREADING = 0x00002000,
    WS_EX_LEFTSCROLLBAR = 0x00004000, WS_EX_NOACTIVATE = 0x08000000,
};

class TWinControl : public TControl {
    DOV_PERSISTENT(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // ---- the window ----
    HWND Handle();                       // creates the window when needed
    bool HandleAllocated() const { return FWidget != nullptr; }
    HWND HandleIfAllocated() const;     // nullptr without creating one
    void HandleNeeded();
    QWidget* Widget() const;
    void RecreateWnd();
    void DestroyHandle();
    // Another control's window to live in without being its child control.
    void SetParentWindow(HWND w);
    HWND ParentWindow() const { return FParentWindow; }

    // ---- children ----
    int ControlCount() const { return int(FControls.size()); }
    TControl* Controls(int Index) const { return FControls[size_t(Index)]; }
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(TControl* Control) const;
    // The child control at a client point (visible and, unless AllowDisabled, enabled ones).
    TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false);
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();
    void Realign();

    // ---- focus ----
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v) { FTabStop = v; }
    int TabOrder() const;
    void SetTabOrder(int v);
    void GetTabOrderList(std::vector<TWinControl*>& List);
    virtual bool CanFocus() const;
    bool Focused() const override;
    virtual void SetFocus();
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    TRect ClientRect() override;
    TPoint ClientOrigin() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetEnabled(bool v) override;
    bool Showing() const override;
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    void PaintTo(TCanvas* Canvas, int X, int Y);
    bool DoubleBuffered = false;
    int BorderWidth = 0;

    // ---- keyboard ----
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // Entry of a Qt key press / release (used by the widget; tests call them too).
    void HandleKeyPress(Word Key, QChar Ch, TShiftState Shift, bool AutoRepeat = false);
    void HandleKeyRelease(Word Key, TShiftState Shift);

    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

protected:
    void Loaded() override;
    virtual void CreateParams(TCreateParams& Params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void CreateHandle();
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    // Style, colour and geometry re-applied to the existing widget.
    virtual void ApplyWindowStyle();
    virtual void CreateWidget(const TCreateParams& Params);
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect) {}
    virtual void Paint() {}
    virtual void PaintWindow(HDC DC);
    void PaintControls(HDC DC, TControl* First);
    void PaintHandler(HDC DC);

    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    // The control itself, then its children.
    void ChangeScale(int M, int D) override;
    bool DoKeyDown(TMessage& M);
    bool DoKeyPress(TMessage& M);
    bool DoKeyUp(TMessage& M);
    bool DoKeyEvent(TMessage& M, void (TWinControl::*Handler)(Word&, TShiftState));
    virtual void DoEnter();
    virtual void DoExit();

    virtual void WMPaint(TMessage& M);
    virtual void WMEraseBkgnd(TMessage& M);
    virtual void WMNCPaint(TMessage& M) {}
    virtual void WMNCCalcSize(TMessage& M) {}
    virtual void WMNCHitTest(TMessage& M) { M.Result = HTCLIENT; }
    virtual void WMSize(TMessage& M);
    virtual void WMMove(TMessage& M) {}
    virtual void WMSetFocus(TMessage& M);
    virtual void WMKillFocus(TMessage& M);
    virtual void WMKeyDown(TMessage& M);
    virtual void WMKeyUp(TMessage& M);
    virtual void WMChar(TMessage& M);
    virtual void WMSysKeyDown(TMessage& M) { WMKeyDown(M); }
    virtual void WMSysKeyUp(TMessage& M) { WMKeyUp(M); }
    virtual void WMGetDlgCode(TMessage& M) { M.Result = 0; }
    virtual void WMTimer(TMessage& M) {}
    virtual void WMSetCursor(TMessage& M);
    // Shows the cursor over the window now (what an answer to WM_SETCURSOR does).
    void ShowWindowCursor(TCursor c);
    virtual void WMHScroll(TMessage& M) {}
    virtual void WMVScroll(TMessage& M) {}
    virtual void CNKeyDown(TMessage& M);
    virtual void CNChar(TMessage& M);
    virtual void CMEnter(TMessage& M) { DoEnter(); }
    virtual void CMExit(TMessage& M) { DoExit(); }
    virtual void CMDialogKey(TMessage& M);
    virtual void CMDialogChar(TMessage& M);
    virtual void CMWantSpecialKey(TMessage& M) { M.Result = 0; }
    virtual void CMChildKey(TMessage& M) { M.Result = 0; }
    virtual void CMFocusChanged(TMessage& M);
    virtual void CMShowingChanged(TMessage& M);
    virtual void CMRecreateWnd(TMessage& M) { RecreateWnd(); }

    // The widget's geometry in the parent's widget, from the control's bounds.
    void UpdateWidgetBounds();
    // Non-client margins as the last WM_NCCALCSIZE left them (window minus client).
    TRect FNonClient;
    void UpdateNonClient();
    void ReadNonClient();

    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    bool FTabStop = false;
    int FAlignLevel = 0;
    HWND FParentWindow = nullptr;
    TVclWidget* FWidget = nullptr;

public:
    struct WndHandle;

protected:
    std::unique_ptr<WndHandle> FHandleObj;
    TControlCanvas* FPaintCanvas = nullptr;

    friend class TControl;
    friend class TVclWidget;
    friend class TCustomForm;
    friend class TApplication;
};

// ---------------------------------------------------------------- TCustomControl, TGraphicControl

class TCustomControl : public TWinControl {
    DOV_PERSISTENT(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() { return FCanvas.get(); }

protected:
    void PaintWindow(HDC DC) override;
    std::unique_ptr<TControlCanvas> FCanvas;
};

class TGraphicControl : public TControl {
    DOV_PERSISTENT(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() { return FCanvas.get(); }

protected:
    virtual void Paint() {}
    virtual void WMPaint(TMessage& M);
    void Dispatch(TMessage& Message) override;
    std::unique_ptr<TControlCanvas> FCanvas;
    friend class TWinControl;
};

// Finds the control of a window handle (nullptr when the handle is not ours).
TWinControl* FindControl(HWND Handle);
// The window control under a screen point, and the innermost control there (graphic ones too).
TWinControl* FindVCLWindow(const TPoint& Pos);
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);

// The application's hint manager hears the mouse and key messages controls receive, and of
// controls going away (set by the application).
class THintMessageListener {
public:
    virtual ~THintMessageListener() = default;
    virtual void ControlMessage(TControl* Control, const TMessage& Message) = 0;
    virtual void ControlDestroying(TControl* Control) = 0;
};
extern THintMessageListener* HintMessageListener;
// Runs f; exceptions go to Application->HandleException (used at every entry from Qt).
void GuardedCall(const std::function<void()>& f);
// The widget cursor for a cursor id (a shape, or a picture registered with Screen->SetCursors).
int CursorToQtShape(TCursor c);
class QCursor;
QCursor CursorFor(TCursor c);
// Qt key code to a virtual-key code (0 when none).
Word QtKeyToVirtualKey(int qtKey, bool keypad);
