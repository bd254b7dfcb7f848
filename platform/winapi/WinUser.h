// Windows and their messages: sending, posting with a queue that can be asked what is
// pending, timers by id, capture, focus and coordinate mapping.
#pragma once

#include "Messages.h"

#include <QString>

class QWidget;
class QRegion;
class QObject;

// What a window handle stands for. The class library's window control implements it.
struct HWND__ {
    virtual ~HWND__();
    // Delivers a message synchronously and returns its result.
    virtual LRESULT DeliverMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual QWidget* Widget() const = 0;
    // The client area inside the widget (the frame is emulated around it); by default the whole widget.
    virtual TRect ClientBounds() const;
};

bool IsWindow(HWND wnd);     // a handle that was created and not yet destroyed
// Registration of live handles (called by the implementer on creation and destruction;
// destruction also drops the window's posted messages and timers).
void RegisterWindowHandle(HWND wnd);
void UnregisterWindowHandle(HWND wnd);

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queued for the event loop. False for an invalid window.
bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// nullptr window: the thread's own queue (delivered to the hook below).
bool PostThreadMessage(UINT msg, WPARAM wParam, LPARAM lParam);

struct TMsg {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
enum : UINT { PM_NOREMOVE = 0, PM_REMOVE = 1 };
// Looks for a posted message for wnd (nullptr: any window) with a number in [min, max]
// (both 0: any); with PM_REMOVE it leaves the queue.
bool PeekMessage(TMsg& msg, HWND wnd, UINT filterMin, UINT filterMax, UINT removeFlags);
int PendingMessageCount();
// Delivers the oldest posted message; false when the queue is empty.
bool DispatchNextPostedMessage();
// Thread messages (posted to no window) go here; WM_QUIT is kept as a flag.
using TThreadMessageHook = void (*)(const TMsg& msg);
void SetThreadMessageHook(TThreadMessageHook hook);

// Timers: WM_TIMER with the id in WParam every interval ms (at least 10).
using UINT_PTR = uintptr_t;
UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT intervalMs);
bool KillTimer(HWND wnd, UINT_PTR id);
bool TimerActive(HWND wnd, UINT_PTR id);

// Painting. Rectangles and regions are in client coordinates and are cut to the client area;
// a null rectangle or region means the whole client area. Only RedrawWindow with RDW_FRAME
// reaches the frame.
bool InvalidateRect(HWND wnd, const TRect* rect, bool erase);
bool InvalidateRgn(HWND wnd, HRGN rgn, bool erase);
bool ValidateRect(HWND wnd, const TRect* rect);
bool ValidateRgn(HWND wnd, HRGN rgn);
// The bounds of what was invalidated through these functions and not yet painted or validated.
bool GetUpdateRect(HWND wnd, TRect* rect, bool erase);
bool UpdateWindow(HWND wnd);
enum : UINT {
    RDW_INVALIDATE = 0x1, RDW_INTERNALPAINT = 0x2, RDW_ERASE = 0x4, RDW_VALIDATE = 0x8,
    RDW_NOINTERNALPAINT = 0x10, RDW_NOERASE = 0x20, RDW_NOCHILDREN = 0x40, RDW_ALLCHILDREN = 0x80,
    RDW_UPDATENOW = 0x100, RDW_ERASENOW = 0x200, RDW_FRAME = 0x400, RDW_NOFRAME = 0x800,
};
// rgn wins over rect; with RDW_FRAME the part of the area outside the client (or, for a null
// area, the whole window) gets its frame repainted too.
bool RedrawWindow(HWND wnd, const TRect* rect, HRGN rgn, UINT flags);
enum : UINT { SW_SCROLLCHILDREN = 0x1, SW_INVALIDATE = 0x2, SW_ERASE = 0x4 };
// Moves the pixels of scroll (null: the client area) by (dx, dy), only inside clip (null: the
// client area); the uncovered part is repainted and returned through update / updateRect.
int ScrollWindowEx(HWND wnd, int dx, int dy, const TRect* scroll, const TRect* clip, HRGN update,
                   TRect* updateRect, UINT flags);
bool ScrollWindow(HWND wnd, int dx, int dy, const TRect* scroll, const TRect* clip);
// Called by the implementer as a paint starts, with the event's region in widget coordinates:
// takes out what was validated since the last paint and clears the pending update area.
void BeginPaintRegion(HWND wnd, QRegion& region);

// Geometry.
bool GetClientRect(HWND wnd, TRect& r);
bool GetWindowRect(HWND wnd, TRect& r);
bool ClientToScreen(HWND wnd, TPoint& p);
bool ScreenToClient(HWND wnd, TPoint& p);
bool IsWindowVisible(HWND wnd);
bool IsWindowEnabled(HWND wnd);
// The part of the window that shows (client coordinates; nullptr: all of it). The region is copied.
bool SetWindowRgn(HWND wnd, HRGN rgn, bool redraw);
// The whole window drawn with a constant opacity (0 transparent .. 255 opaque).
enum : DWORD { LWA_COLORKEY = 0x1, LWA_ALPHA = 0x2 };
bool SetLayeredWindowAttributes(HWND wnd, COLORREF key, BYTE alpha, DWORD flags);

// Focus and capture.
HWND GetFocus();
HWND SetFocus(HWND wnd);
HWND GetCapture();
HWND SetCapture(HWND wnd);
bool ReleaseCapture();
// Set by the implementer when Qt focus or capture moves.
void NoteFocusWindow(HWND wnd);

// Message boxes (modal, with Russian button captions; the buttons as the platform numbers them).
// They pass the dialog hook of CommDlg.h first.
enum : UINT {
    MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5, MB_ICONERROR = 0x10, MB_ICONSTOP = 0x10, MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30, MB_ICONEXCLAMATION = 0x30, MB_ICONINFORMATION = 0x40, MB_ICONASTERISK = 0x40,
    MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };
int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type);

void MessageBeep(UINT type);
