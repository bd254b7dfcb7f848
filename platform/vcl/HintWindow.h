// Hints: the hint window and what a control may change about its hint before it shows.
#pragma once

#include "Controls.h"

// What the hint manager is about to show; a control gets it with CM_HINTSHOW (LParam points to
// it; a non-zero result cancels the hint) and the application's OnShowHint sees it last.
struct THintInfo {
    TControl* HintControl = nullptr;
    const TClassInfo* HintWindowClass = nullptr;   // a THintWindow class
    TPoint HintPos;            // screen position of the window's top-left corner
    int HintMaxWidth = 0;      // text wider than this wraps
    TColor HintColor = clInfoBk;
    TRect CursorRect;          // client coordinates of HintControl: the hint stays while the mouse is inside
    TPoint CursorPos;          // client coordinates of HintControl
    int ReshowTimeout = 0;     // > 0: the hint is asked for again after this many milliseconds
    int HideTimeout = 0;       // > 0: the hint hides after this many milliseconds
    QString HintStr;           // empty: nothing is shown
    void* HintData = nullptr;  // handed to the window's CalcHintRect and ActivateHintData
};

// A top-level window that never takes the focus, painting the hint text word-wrapped in its
// colour and font (the screen's hint font unless a descendant changes it).
class THintWindow : public TCustomControl {
    DOV_PERSISTENT(THintWindow, TCustomControl)
public:
    explicit THintWindow(TComponent* AOwner);
    void AfterConstruction() override;
    ~THintWindow() override;

    // Shows the window at the rectangle (screen coordinates, as CalcHintRect made it), kept
    // inside the work area of the monitor it starts on.
    virtual void ActivateHint(TRect Rect, const QString& AHint);
    virtual void ActivateHintData(TRect Rect, const QString& AHint, void* AData);
    // The window's rectangle at (0, 0) for the text wrapped at MaxWidth, measured with the canvas's font.
    virtual TRect CalcHintRect(int MaxWidth, const QString& AHint, void* AData);
    // Hides the window and frees its widget.
    void ReleaseHandle();
    bool IsShowing() const;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void WMNCCalcSize(TMessage& M) override;
    void WMNCPaint(TMessage& M) override;
    void WMNCHitTest(TMessage& M) override { M.Result = HTTRANSPARENT; }
    void CMTextChanged(TMessage& M) override;
};

// The class the hint manager creates its window of (THintWindow unless changed).
extern const TClassInfo* HintWindowClass;

// The part of a hint before the first '|', and the part after it (the whole hint when there is none).
QString GetShortHint(const QString& Hint);
QString GetLongHint(const QString& Hint);
// The hint text of a control: its own Hint, or the first non-empty one of its parents.
QString GetHint(TControl* Control);

// The application's hint manager (one per process, owned by TApplication).
class THintManager : public THintMessageListener {
public:
    THintManager();
    ~THintManager() override;

    void ControlMessage(TControl* Control, const TMessage& Message) override;
    void ControlDestroying(TControl* Control) override;

    // The mouse at a screen point over Control: restarts the pause when the control or the
    // cursor rectangle changed.
    void MouseMoved(TControl* Control, TPoint ScreenPos);
    // Shows the hint for the control under the point (or the current one) at once.
    void ActivateHint(TPoint CursorPos);
    void CancelHint();
    // Timer entries (the timers call them; tests may too): nothing unless that timer is running.
    void ShowTimerExpired();
    void HideTimerExpired();
    bool TimerPending(UINT_PTR Id) const;

    TControl* HintControl() const { return FControl; }
    THintWindow* Window() const { return FWindow; }
    bool HintShowing() const;
    bool HintActive() const { return FActive; }

private:
    void Activate();
    void HideWindow();
    void StartTimer(UINT_PTR Id, int Ms);
    void StopTimer(UINT_PTR Id);
    THintWindow* WindowOfClass(const TClassInfo* Class);

    struct TimerWnd;
    std::unique_ptr<TimerWnd> FTimerWnd;
    TControl* FControl = nullptr;
    THintWindow* FWindow = nullptr;
    bool FActive = false;      // a hint was shown and the mouse stayed on hinted controls since
    TRect FCursorRect;         // screen coordinates
    TPoint FCursorPos;         // screen coordinates
};
