// Scope guards: cleanup that runs when a scope ends, in place of catch-all blocks that clean up
// and rethrow.
//
// A guard's step runs in its destructor. When the scope ends normally an exception from the
// step reaches the caller, as it would from code written after the block; when the scope is
// already ending by an exception, the step still runs and an exception of its own is dropped,
// so the first error is the one reported (and the program is not terminated).
#pragma once

#include <exception>
#include <utility>

namespace GuardsDetail {

class TScopeEnd {
protected:
    TScopeEnd() : FUncaught(std::uncaught_exceptions()) {}
    bool Unwinding() const { return std::uncaught_exceptions() > FUncaught; }
    template <typename F>
    void Run(F&& step) const
    {
        if (!Unwinding()) {
            step();
            return;
        }
        try {
            step();
        } catch (...) {   // the error that is unwinding wins
        }
    }

private:
    int FUncaught;
};

}  // namespace GuardsDetail

// Runs a step when the scope ends: always, or only when it ends by an exception (undoing
// what a failed step had begun).
template <typename F, bool OnlyOnFailure>
class [[nodiscard]] TScopeStep : GuardsDetail::TScopeEnd {
public:
    explicit TScopeStep(F step) : FStep(std::move(step)) {}
    TScopeStep(const TScopeStep&) = delete;
    TScopeStep& operator=(const TScopeStep&) = delete;
    ~TScopeStep() noexcept(false)
    {
        if (FArmed && (!OnlyOnFailure || Unwinding()))
            Run(FStep);
    }
    // The step will not run.
    void Dismiss() { FArmed = false; }

private:
    F FStep;
    bool FArmed = true;
};

template <typename F> using TFinally = TScopeStep<F, false>;
template <typename F> using TOnFailure = TScopeStep<F, true>;

template <typename F>
TFinally<F> Finally(F step)
{
    return TFinally<F>(std::move(step));
}

template <typename F>
TOnFailure<F> OnFailure(F step)
{
    return TOnFailure<F>(std::move(step));
}

// Brackets: the opening call now, the closing call when the scope ends.
template <typename T, typename Steps>
class [[nodiscard]] TBracketGuard : GuardsDetail::TScopeEnd {
public:
    explicit TBracketGuard(T* obj) : FObj(obj) { Steps::Open(FObj); }
    TBracketGuard(const TBracketGuard&) = delete;
    TBracketGuard& operator=(const TBracketGuard&) = delete;
    ~TBracketGuard() noexcept(false) { Run([this] { Steps::Close(FObj); }); }

private:
    T* FObj;
};

namespace GuardsDetail {
struct UpdateSteps {
    template <typename T> static void Open(T* o) { o->BeginUpdate(); }
    template <typename T> static void Close(T* o) { o->EndUpdate(); }
};
struct ControlsSteps {
    template <typename T> static void Open(T* o) { o->DisableControls(); }
    template <typename T> static void Close(T* o) { o->EnableControls(); }
};
struct LockSteps {
    template <typename T> static void Open(T* o) { o->Lock(); }
    template <typename T> static void Close(T* o) { o->Unlock(); }
};
}  // namespace GuardsDetail

// BeginUpdate / EndUpdate.
template <typename T> using TUpdateGuard = TBracketGuard<T, GuardsDetail::UpdateSteps>;
// A dataset's controls stay disabled for the scope.
template <typename T> using TDisableControlsGuard = TBracketGuard<T, GuardsDetail::ControlsSteps>;
// A canvas (or anything with Lock/Unlock) held locked for the scope.
template <typename T> using TLockGuard = TBracketGuard<T, GuardsDetail::LockSteps>;

// A value restored when the scope ends (a flag or state set for the duration of a step).
template <typename T>
class [[nodiscard]] TRestoreGuard {
public:
    explicit TRestoreGuard(T& place) : FPlace(place), FSaved(place) {}
    TRestoreGuard(T& place, T value) : FPlace(place), FSaved(place) { FPlace = std::move(value); }
    TRestoreGuard(const TRestoreGuard&) = delete;
    TRestoreGuard& operator=(const TRestoreGuard&) = delete;
    ~TRestoreGuard() { FPlace = std::move(FSaved); }

private:
    T& FPlace;
    T FSaved;
};
