// Job threads, the synchronous call to the UI thread, and a simple lock.
#pragma once

#include "SysUtils.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
using TThreadMethod = Delegate<void()>;

// A job thread. Create it, Start it, let Execute run; WaitFor returns ReturnValue.
// Execute cannot run before the derived constructor has finished, so a thread created
// with createSuspended false also waits for Start. An exception escaping Execute is kept as FatalException. OnTerminate runs
// on the UI thread after Execute; with FreeOnTerminate the object then deletes itself.
class TThread : public TObject {
public:
    explicit TThread(bool createSuspended);
    // Terminates and waits for a running thread. By then the derived part is gone, so a
    // descendant deleted while running should Terminate and WaitFor in its own destructor.
    // A started FreeOnTerminate thread deletes itself; never delete it.
    ~TThread() override;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();                         // EThread "Cannot call Start on a running or suspended thread"
    void Terminate();                     // sets Terminated; Execute is expected to check it
    // Waits for the end of Execute and returns ReturnValue. On the UI thread it keeps
    // running synchronize requests meanwhile, so a job that synchronizes never deadlocks.
    int WaitFor();

    bool Terminated() const { return FTerminated.load(); }
    bool Finished() const { return FFinished.load(); }
    bool Started() const { return FStarted; }
    bool FreeOnTerminate() const { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool v) { FFreeOnTerminate = v; }
    TThreadPriority Priority() const { return FPriority; }
    void SetPriority(TThreadPriority p) { FPriority = p; }
    int ReturnValue() const { return FReturnValue.load(); }
    // The Exception that ended Execute, or nullptr (also for a non-Exception throw, which
    // FatalExceptionPtr still holds). Valid while the thread object lives.
    Exception* FatalException() const { return FFatalException; }
    std::exception_ptr FatalExceptionPtr() const { return FFatalPtr; }

    TNotifyEvent OnTerminate;

    // Runs method on the UI thread and waits for it; runs it directly when called there.
    // An exception from method is re-raised in the caller. Once the application is shutting
    // down, raises EThread "Synchronize is not possible: the application is shutting down".
    static void Synchronize(TThread* thread, const TThreadMethod& method);

protected:
    virtual void Execute() = 0;
    virtual void DoTerminate();           // runs OnTerminate
    void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
    // Synchronize(&TMyJob::UpdateProgress) from inside the job.
    template <typename C>
        requires std::is_base_of_v<TThread, C>
    void Synchronize(void (C::*method)())
    {
        Synchronize(this, TThreadMethod(static_cast<C*>(this), method));
    }
    void SetReturnValue(int v) { FReturnValue.store(v); }

private:
    struct State;
    static void ThreadProc(TThread* self, std::shared_ptr<State> state);

    std::shared_ptr<State> FState;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::atomic<int> FReturnValue{0};
    bool FStarted = false;
    bool FFreeOnTerminate = false;
    TThreadPriority FPriority = tpNormal;
    std::exception_ptr FFatalPtr;
    Exception* FFatalException = nullptr;
};

// Runs the pending synchronize requests when called on the UI thread; waits up to
// timeoutMs for one to arrive. Returns whether any ran. Does nothing on other threads.
bool CheckSynchronize(int timeoutMs = 0);
// Runs Proc later on the UI thread, from its event loop (a posted message of the platform).
// Without an application object nothing runs.
void QueueOnUIThread(std::function<void()> Proc);
// True on the UI thread: the thread of the QCoreApplication, or without one the thread
// that started the program.
bool IsUIThread();

// Controls, canvases and data links belong to the UI thread: debug builds stop the program
// where one is used from another thread; release builds drop the check.
#ifdef NDEBUG
#define DOV_ASSERT_UI_THREAD() ((void)0)
#else
#define DOV_ASSERT_UI_THREAD() DovCheckUIThread(Q_FUNC_INFO)
#endif
void DovCheckUIThread(const char* Where);
// The application is quitting or gone: pending and new synchronize requests fail with
// EThread. Set automatically when the QCoreApplication is about to quit or is destroyed;
// a new QCoreApplication starts afresh.
void SetSynchronizeShutdown();
bool SynchronizeShutdown();

// A recursive lock.
class TCriticalSection : public TObject {
public:
    void Acquire() { FMutex.lock(); }
    void Release() { FMutex.unlock(); }
    void Enter() { Acquire(); }
    void Leave() { Release(); }
    bool TryEnter() { return FMutex.try_lock(); }

    // Scoped hold: TCriticalSection::Lock hold(cs);
    class Lock {
    public:
        explicit Lock(TCriticalSection& cs) : FCS(cs) { FCS.Acquire(); }
        ~Lock() { FCS.Release(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        TCriticalSection& FCS;
    };

private:
    std::recursive_mutex FMutex;
};
