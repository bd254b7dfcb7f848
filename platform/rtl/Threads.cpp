#include "Threads.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <malloc.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

namespace {

// Static initialisation runs on the thread that starts the program.
const std::thread::id g_startThread = std::this_thread::get_id();

// A job allocates its rows on its own thread and the UI thread frees most of them. With a heap
// per thread the job's heap is trimmed and faulted in again on every step, which made a whole
// reconciliation run about twice as slow; one shared heap keeps those pages. Set before any
// thread starts.
const int g_oneHeap = mallopt(M_ARENA_MAX, 1);

struct SyncRequest {
    const TThreadMethod* Method = nullptr;
    std::exception_ptr Error;
    bool Done = false;
    bool Refused = false;   // the application shut down before it ran
};

// One lock and one condition for everything: queued requests, finished requests and
// finished threads. notify_all keeps it simple; waiters re-check their own condition.
struct SyncState {
    std::mutex M;
    std::condition_variable Changed;
    std::deque<SyncRequest*> Queue;
    bool Shutdown = false;
    QCoreApplication* HookedApp = nullptr;
};

SyncState& Sync()
{
    static SyncState* s = new SyncState;   // never destroyed: job threads may outlive statics
    return *s;
}

// Under Sync().M.
void RefusePendingLocked(SyncState& s)
{
    for (SyncRequest* r : s.Queue) {
        r->Refused = true;
        r->Done = true;
    }
    s.Queue.clear();
}

void ShutdownNow()
{
    SyncState& s = Sync();
    {
        std::lock_guard lk(s.M);
        s.Shutdown = true;
        RefusePendingLocked(s);
    }
    s.Changed.notify_all();
}

// Runs at the start of the application object's destruction, before it is gone.
void OnAppDestroying()
{
    SyncState& s = Sync();
    {
        std::lock_guard lk(s.M);
        s.Shutdown = true;
        s.HookedApp = nullptr;
        RefusePendingLocked(s);
    }
    s.Changed.notify_all();
}

// Watches the current application object; a new one starts with a clean state.
void EnsureHookedLocked(SyncState& s)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || s.HookedApp == app || QCoreApplication::closingDown())
        return;
    s.HookedApp = app;
    s.Shutdown = false;
    qAddPostRoutine(&OnAppDestroying);
    QObject::connect(app, &QCoreApplication::aboutToQuit, [] { ShutdownNow(); });
}

std::thread::id UIThreadId()
{
    return g_startThread;
}

[[noreturn]] void RaiseShutdown()
{
    throw EThread(QStringLiteral("Synchronize is not possible: the application is shutting down"));
}

}  // namespace

void QueueOnUIThread(std::function<void()> Proc)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(Proc), Qt::QueuedConnection);
}

bool IsUIThread()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        return QThread::currentThread() == app->thread();
    return std::this_thread::get_id() == UIThreadId();
}

void DovCheckUIThread(const char* Where)
{
    if (!IsUIThread())
        qFatal("%s: used off the UI thread", Where);
}

void SetSynchronizeShutdown()
{
    ShutdownNow();
}

bool SynchronizeShutdown()
{
    SyncState& s = Sync();
    std::lock_guard lk(s.M);
    EnsureHookedLocked(s);
    return s.Shutdown;
}

bool CheckSynchronize(int timeoutMs)
{
    if (!IsUIThread())
        return false;
    SyncState& s = Sync();
    std::deque<SyncRequest*> batch;
    {
        std::unique_lock lk(s.M);
        if (s.Queue.empty() && timeoutMs > 0)
            s.Changed.wait_for(lk, std::chrono::milliseconds(timeoutMs), [&] { return !s.Queue.empty(); });
        batch.swap(s.Queue);
    }
    for (SyncRequest* r : batch) {
        try {
            (*r->Method)();
        } catch (...) {
            r->Error = std::current_exception();
        }
        {
            std::lock_guard lk(s.M);
            r->Done = true;   // r belongs to the waiting job; do not touch it after this
        }
        s.Changed.notify_all();
    }
    return !batch.empty();
}

void TThread::Synchronize(TThread*, const TThreadMethod& method)
{
    if (!method)
        return;
    SyncState& s = Sync();
    {
        std::lock_guard lk(s.M);
        EnsureHookedLocked(s);
    }
    if (IsUIThread()) {
        method();
        return;
    }
    SyncRequest req;
    req.Method = &method;
    {
        std::unique_lock lk(s.M);
        EnsureHookedLocked(s);
        if (s.Shutdown)
            RaiseShutdown();
        s.Queue.push_back(&req);
        // Posted under the lock: the application cannot start going away meanwhile,
        // because its destruction first takes the lock in OnAppDestroying.
        if (QCoreApplication* app = s.HookedApp)
            QMetaObject::invokeMethod(app, [] { CheckSynchronize(0); }, Qt::QueuedConnection);
    }
    s.Changed.notify_all();
    {
        std::unique_lock lk(s.M);
        s.Changed.wait(lk, [&] { return req.Done; });
    }
    if (req.Refused)
        RaiseShutdown();
    if (req.Error)
        std::rethrow_exception(req.Error);
}

// ---------------------------------------------------------------- TThread

struct TThread::State {
    std::mutex StartGate;
    std::thread Worker;
    std::thread::id WorkerId;
    bool Finished = false;   // under Sync().M
};

TThread::TThread(bool createSuspended) : FState(std::make_shared<State>())
{
    // Execute cannot run before the derived constructor has finished, so a thread
    // created running still waits for Start.
    (void)createSuspended;
    SyncState& s = Sync();
    std::lock_guard lk(s.M);
    EnsureHookedLocked(s);
}

TThread::~TThread()
{
    if (FState->Worker.joinable()) {
        if (std::this_thread::get_id() == FState->WorkerId) {
            FState->Worker.detach();   // freed on terminate, from its own thread
        } else {
            if (!FFinished.load()) {
                Terminate();
                try {
                    WaitFor();
                } catch (...) {
                }
            }
            if (FState->Worker.joinable())
                FState->Worker.join();
        }
    }
}

void TThread::Start()
{
    if (FStarted)
        throw EThread(QStringLiteral("Cannot call Start on a running or suspended thread"));
    FStarted = true;
    std::lock_guard gate(FState->StartGate);
    FState->Worker = std::thread(&TThread::ThreadProc, this, FState);
    FState->WorkerId = FState->Worker.get_id();
}

void TThread::Terminate()
{
    FTerminated.store(true);
}

void TThread::DoTerminate()
{
    if (OnTerminate)
        Synchronize(TThreadMethod([this] { OnTerminate(this); }));
}

void TThread::ThreadProc(TThread* self, std::shared_ptr<State> state)
{
    {
        std::lock_guard gate(state->StartGate);   // Start has stored the worker
    }
    try {
        self->Execute();
    } catch (...) {
        self->FFatalPtr = std::current_exception();
        try {
            std::rethrow_exception(self->FFatalPtr);
        } catch (Exception& e) {
            self->FFatalException = &e;   // the object the exception_ptr keeps alive
        } catch (...) {
        }
    }
    try {
        self->DoTerminate();
    } catch (...) {
        // OnTerminate failed or the application is gone: nothing left to report to.
    }
    const bool freeSelf = self->FFreeOnTerminate;
    SyncState& s = Sync();
    {
        std::lock_guard lk(s.M);
        self->FFinished.store(true);
        state->Finished = true;
    }
    s.Changed.notify_all();
    if (freeSelf)
        delete self;
}

int TThread::WaitFor()
{
    if (!FStarted)
        throw EThread(QStringLiteral("Cannot wait for a thread that has not been started"));
    if (std::this_thread::get_id() == FState->WorkerId)
        throw EThread(QStringLiteral("A thread cannot wait for itself"));
    SyncState& s = Sync();
    if (IsUIThread()) {
        for (;;) {
            bool finished;
            {
                std::unique_lock lk(s.M);
                s.Changed.wait(lk, [&] { return !s.Queue.empty() || FState->Finished; });
                finished = FState->Finished && s.Queue.empty();
            }
            CheckSynchronize(0);
            if (finished)
                break;
        }
    } else {
        std::unique_lock lk(s.M);
        s.Changed.wait(lk, [&] { return FState->Finished; });
    }
    if (FState->Worker.joinable())
        FState->Worker.join();
    return ReturnValue();
}
