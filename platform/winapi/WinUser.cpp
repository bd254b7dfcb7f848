// Window handles, the posted-message queue, timers, capture and focus.
#include "WinUser.h"
#include "DeviceContext.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <map>
#include <mutex>
#include <set>

HWND__::~HWND__() = default;

TRect HWND__::ClientBounds() const
{
    const QWidget* w = Widget();
    return w ? TRect(0, 0, w->width(), w->height()) : TRect();
}

namespace {

std::set<HWND>& LiveWindows()
{
    static std::set<HWND> s;
    return s;
}

std::deque<TMsg>& Queue()
{
    static std::deque<TMsg> q;
    return q;
}

// Worker threads may post (never send); the queue and the handle set are shared with them.
std::recursive_mutex& QueueLock()
{
    static std::recursive_mutex m;
    return m;
}

TThreadMessageHook gThreadHook = nullptr;
HWND gCapture = nullptr;
HWND gFocus = nullptr;

const QEvent::Type kPostedEvent = QEvent::Type(QEvent::User + 0x0401);

// Receives one Qt event per posted message and delivers the oldest one still queued.
class PostedDispatcher : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == kPostedEvent) {
            DispatchNextPostedMessage();
            return true;
        }
        return QObject::event(e);
    }
};

PostedDispatcher* Dispatcher()
{
    static QPointer<PostedDispatcher> d;
    if (!d && QCoreApplication::instance()) {
        d = new PostedDispatcher;
        d->moveToThread(QCoreApplication::instance()->thread());   // delivery on the UI thread
        QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] { Queue().clear(); });
    }
    return d.data();
}

struct TimerKey {
    HWND Wnd;
    UINT_PTR Id;
    bool operator<(const TimerKey& o) const { return Wnd != o.Wnd ? Wnd < o.Wnd : Id < o.Id; }
};
std::map<TimerKey, QTimer*>& Timers()
{
    static std::map<TimerKey, QTimer*> t;
    return t;
}

// What was invalidated through the window functions and not yet painted (Pending) and what
// was validated since the last paint (Validated), both in client coordinates.
struct UpdateState {
    QRegion Pending;
    QRegion Validated;
};
std::map<HWND, UpdateState>& Updates()
{
    static std::map<HWND, UpdateState> u;
    return u;
}

QRect ToQRect(const TRect& r)
{
    return r.Right > r.Left && r.Bottom > r.Top ? QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top) : QRect();
}

TRect FromQRect(const QRect& r) { return r.isEmpty() ? TRect() : TRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1); }

bool HasWidget(HWND wnd) { return IsWindow(wnd) && wnd->Widget(); }

// The client area's origin inside the widget and its extent, in client coordinates.
QPoint ClientOffset(HWND wnd) { const TRect b = wnd->ClientBounds(); return QPoint(b.Left, b.Top); }
QRect ClientArea(HWND wnd) { const TRect b = wnd->ClientBounds(); return ToQRect(TRect(0, 0, b.Width(), b.Height())); }

// A null area means the whole client area; anything else is cut to it.
QRegion ClientRegion(HWND wnd, const TRect* rect, HRGN rgn)
{
    const QRect area = ClientArea(wnd);
    if (rgn)
        return rgn->R.intersected(area);
    if (rect)
        return QRegion(ToQRect(*rect)).intersected(area);
    return QRegion(area);
}

void InvalidateClient(HWND wnd, const QRegion& r)
{
    if (r.isEmpty())
        return;
    UpdateState& u = Updates()[wnd];
    u.Pending += r;
    u.Validated -= r;
    wnd->Widget()->update(r.translated(ClientOffset(wnd)));
}

void ValidateClient(HWND wnd, const QRegion& r)
{
    if (r.isEmpty())
        return;
    UpdateState& u = Updates()[wnd];
    u.Pending -= r;
    u.Validated += r;
}

} // namespace

bool IsWindow(HWND wnd)
{
    std::lock_guard<std::recursive_mutex> lock(QueueLock());
    return wnd && LiveWindows().count(wnd) != 0;
}

void RegisterWindowHandle(HWND wnd)
{
    std::lock_guard<std::recursive_mutex> lock(QueueLock());
    LiveWindows().insert(wnd);
}

void UnregisterWindowHandle(HWND wnd)
{
    {
        std::lock_guard<std::recursive_mutex> lock(QueueLock());
        LiveWindows().erase(wnd);
        auto& q = Queue();
        q.erase(std::remove_if(q.begin(), q.end(), [wnd](const TMsg& m) { return m.hwnd == wnd; }), q.end());
    }
    auto& t = Timers();
    for (auto it = t.begin(); it != t.end();) {
        if (it->first.Wnd == wnd) {
            delete it->second;
            it = t.erase(it);
        } else {
            ++it;
        }
    }
    Updates().erase(wnd);
    if (gCapture == wnd)
        gCapture = nullptr;
    if (gFocus == wnd)
        gFocus = nullptr;
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow(wnd))
        return 0;
    return wnd->DeliverMessage(msg, wParam, lParam);
}

bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard<std::recursive_mutex> lock(QueueLock());
        if (wnd && !IsWindow(wnd))
            return false;
        Queue().push_back(TMsg{wnd, msg, wParam, lParam});
        if (auto* d = Dispatcher())
            QCoreApplication::postEvent(d, new QEvent(kPostedEvent));
    }
    return true;
}

bool PostThreadMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return PostMessage(nullptr, msg, wParam, lParam); }

bool PeekMessage(TMsg& msg, HWND wnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    std::lock_guard<std::recursive_mutex> lock(QueueLock());
    auto& q = Queue();
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (wnd && it->hwnd != wnd)
            continue;
        if ((filterMin || filterMax) && (it->message < filterMin || it->message > filterMax))
            continue;
        msg = *it;
        if (removeFlags & PM_REMOVE)
            q.erase(it);
        return true;
    }
    return false;
}

int PendingMessageCount()
{
    std::lock_guard<std::recursive_mutex> lock(QueueLock());
    return int(Queue().size());
}

bool DispatchNextPostedMessage()
{
    TMsg m;
    {
        std::lock_guard<std::recursive_mutex> lock(QueueLock());
        auto& q = Queue();
        if (q.empty())
            return false;
        m = q.front();
        q.pop_front();
    }
    if (!m.hwnd) {
        if (gThreadHook)
            gThreadHook(m);
    } else if (IsWindow(m.hwnd)) {
        m.hwnd->DeliverMessage(m.message, m.wParam, m.lParam);
    }
    return true;
}

void SetThreadMessageHook(TThreadMessageHook hook) { gThreadHook = hook; }

UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT intervalMs)
{
    if (!IsWindow(wnd))
        return 0;
    QTimer*& t = Timers()[TimerKey{wnd, id}];
    if (!t) {
        t = new QTimer;
        QObject::connect(t, &QTimer::timeout, [wnd, id] {
            if (IsWindow(wnd))
                wnd->DeliverMessage(WM_TIMER, id, 0);
        });
    }
    t->start(int(std::max<UINT>(10, intervalMs)));
    return id;
}

bool KillTimer(HWND wnd, UINT_PTR id)
{
    auto& t = Timers();
    auto it = t.find(TimerKey{wnd, id});
    if (it == t.end())
        return false;
    it->second->deleteLater();
    it->second->stop();
    t.erase(it);
    return true;
}

bool TimerActive(HWND wnd, UINT_PTR id) { return Timers().count(TimerKey{wnd, id}) != 0; }

bool InvalidateRect(HWND wnd, const TRect* rect, bool)
{
    if (!HasWidget(wnd))
        return false;
    InvalidateClient(wnd, ClientRegion(wnd, rect, nullptr));
    return true;
}

bool InvalidateRgn(HWND wnd, HRGN rgn, bool)
{
    if (!HasWidget(wnd))
        return false;
    InvalidateClient(wnd, ClientRegion(wnd, nullptr, rgn));
    return true;
}

bool ValidateRect(HWND wnd, const TRect* rect)
{
    if (!HasWidget(wnd))
        return false;
    ValidateClient(wnd, ClientRegion(wnd, rect, nullptr));
    return true;
}

bool ValidateRgn(HWND wnd, HRGN rgn)
{
    if (!HasWidget(wnd))
        return false;
    ValidateClient(wnd, ClientRegion(wnd, nullptr, rgn));
    return true;
}

bool GetUpdateRect(HWND wnd, TRect* rect, bool)
{
    if (!HasWidget(wnd)) {
        if (rect)
            *rect = TRect();
        return false;
    }
    auto it = Updates().find(wnd);
    const QRect b = it == Updates().end() ? QRect() : it->second.Pending.boundingRect();
    if (rect)
        *rect = FromQRect(b);
    return !b.isEmpty();
}

void BeginPaintRegion(HWND wnd, QRegion& region)
{
    auto it = Updates().find(wnd);
    if (it == Updates().end())
        return;
    if (!it->second.Validated.isEmpty())
        region -= it->second.Validated.translated(ClientOffset(wnd));
    Updates().erase(it);
}

bool UpdateWindow(HWND wnd)
{
    if (!IsWindow(wnd) || !wnd->Widget())
        return false;
    wnd->Widget()->repaint();
    return true;
}

bool RedrawWindow(HWND wnd, const TRect* rect, HRGN rgn, UINT flags)
{
    if (!HasWidget(wnd))
        return false;
    QWidget* w = wnd->Widget();
    const QPoint o = ClientOffset(wnd);
    if (flags & RDW_INVALIDATE) {
        InvalidateClient(wnd, ClientRegion(wnd, rect, rgn));
        if (flags & RDW_FRAME) {
            // The frame lies around the client area: in client coordinates it is the window less
            // the client area.
            const QRect window = QRect(QPoint(0, 0), w->size()).translated(-o);
            QRegion frame = rgn ? rgn->R : rect ? QRegion(ToQRect(*rect)) : QRegion(window);
            frame = frame.intersected(window).subtracted(ClientArea(wnd));
            if (!frame.isEmpty())
                w->update(frame.translated(o));
        }
    } else if (flags & RDW_VALIDATE) {
        ValidateClient(wnd, ClientRegion(wnd, rect, rgn));
    }
    if ((flags & (RDW_UPDATENOW | RDW_ERASENOW)) && w->window())
        QCoreApplication::sendPostedEvents(w->window(), QEvent::UpdateRequest);
    return true;
}

int ScrollWindowEx(HWND wnd, int dx, int dy, const TRect* scroll, const TRect* clip, HRGN update, TRect* updateRect,
                   UINT)
{
    if (!HasWidget(wnd))
        return RGN_ERROR;
    QWidget* w = wnd->Widget();
    // Pixels move only inside the scroll rectangle and within the clip; both are client areas.
    QRect area = ClientArea(wnd);
    if (scroll)
        area &= ToQRect(*scroll);
    if (clip)
        area &= ToQRect(*clip);
    QRegion uncovered;
    if (!area.isEmpty() && (dx || dy)) {
        w->scroll(dx, dy, area.translated(ClientOffset(wnd)));   // Qt repaints the uncovered part itself
        uncovered = QRegion(area).subtracted(QRegion(area.translated(dx, dy)));
        // An area still waiting for paint moves with the pixels.
        auto it = Updates().find(wnd);
        if (it != Updates().end()) {
            UpdateState& u = it->second;
            const QRegion inside = u.Pending.intersected(area);
            u.Pending = u.Pending.subtracted(area) + inside.translated(dx, dy).intersected(area) + uncovered;
            u.Validated -= area;
        } else if (!uncovered.isEmpty()) {
            Updates()[wnd].Pending = uncovered;
        }
    }
    if (update)
        update->R = uncovered;
    if (updateRect)
        *updateRect = FromQRect(uncovered.boundingRect());
    if (uncovered.isEmpty())
        return NULLREGION;
    return uncovered.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool ScrollWindow(HWND wnd, int dx, int dy, const TRect* scroll, const TRect* clip)
{
    return ScrollWindowEx(wnd, dx, dy, scroll, clip, nullptr, nullptr, SW_INVALIDATE) != RGN_ERROR;
}

bool GetClientRect(HWND wnd, TRect& r)
{
    if (!HasWidget(wnd))
        return false;
    const TRect b = wnd->ClientBounds();
    r = TRect(0, 0, std::max(0, b.Width()), std::max(0, b.Height()));
    return true;
}

bool GetWindowRect(HWND wnd, TRect& r)
{
    if (!IsWindow(wnd) || !wnd->Widget())
        return false;
    const QPoint p = wnd->Widget()->mapToGlobal(QPoint(0, 0));
    r = Bounds(p.x(), p.y(), wnd->Widget()->width(), wnd->Widget()->height());
    return true;
}

bool ClientToScreen(HWND wnd, TPoint& p)
{
    if (!IsWindow(wnd) || !wnd->Widget())
        return false;
    const QPoint q = wnd->Widget()->mapToGlobal(QPoint(p.X, p.Y) + ClientOffset(wnd));
    p = TPoint(q.x(), q.y());
    return true;
}

bool ScreenToClient(HWND wnd, TPoint& p)
{
    if (!IsWindow(wnd) || !wnd->Widget())
        return false;
    const QPoint q = wnd->Widget()->mapFromGlobal(QPoint(p.X, p.Y)) - ClientOffset(wnd);
    p = TPoint(q.x(), q.y());
    return true;
}

bool IsWindowVisible(HWND wnd) { return IsWindow(wnd) && wnd->Widget() && wnd->Widget()->isVisible(); }
bool IsWindowEnabled(HWND wnd) { return IsWindow(wnd) && wnd->Widget() && wnd->Widget()->isEnabled(); }

bool SetWindowRgn(HWND wnd, HRGN rgn, bool redraw)
{
    if (!IsWindow(wnd) || !wnd->Widget())
        return false;
    QWidget* w = wnd->Widget();
    if (rgn)
        w->setMask(rgn->R);
    else
        w->clearMask();
    if (redraw)
        w->update();
    return true;
}

bool SetLayeredWindowAttributes(HWND wnd, COLORREF, BYTE alpha, DWORD flags)
{
    if (!IsWindow(wnd) || !wnd->Widget())
        return false;
    // A colour key has no counterpart here; callers shape the window with SetWindowRgn instead.
    if (flags & LWA_ALPHA)
        wnd->Widget()->setWindowOpacity(alpha / 255.0);
    return true;
}

HWND GetFocus() { return IsWindow(gFocus) ? gFocus : nullptr; }

HWND SetFocus(HWND wnd)
{
    HWND old = GetFocus();
    if (IsWindow(wnd) && wnd->Widget()) {
        wnd->Widget()->setFocus(Qt::OtherFocusReason);
        gFocus = wnd;
    }
    return old;
}

void NoteFocusWindow(HWND wnd) { gFocus = wnd; }

HWND GetCapture() { return IsWindow(gCapture) ? gCapture : nullptr; }

HWND SetCapture(HWND wnd)
{
    HWND old = GetCapture();
    if (old && old != wnd)
        old->DeliverMessage(WM_CAPTURECHANGED, 0, LPARAM(wnd));
    gCapture = IsWindow(wnd) ? wnd : nullptr;
    return old;
}

bool ReleaseCapture()
{
    HWND old = GetCapture();
    gCapture = nullptr;
    if (old)
        old->DeliverMessage(WM_CAPTURECHANGED, 0, 0);
    return true;
}

void MessageBeep(UINT) {}
