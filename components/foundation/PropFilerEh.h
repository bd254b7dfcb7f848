// The registry of property interceptors: objects that stand in for a target while its stored
// properties are read back and then apply them in a controlled way. Forms are registered with
// the form interceptor, which restores position, size, state and active control, rescaled to
// the current screen resolution.
#pragma once

#include "platform/rtl/Persistent.h"
#include "platform/vcl/Forms.h"

#include <vector>

class TStoragePropertyInterceptor;
// The "class" of an interceptor: the function that makes one for a target.
using TStoragePropertyInterceptorClass = TStoragePropertyInterceptor* (*)(TPersistent* ATarget);

class TStoragePropertyInterceptor : public TPersistent {
    DOV_PERSISTENT(TStoragePropertyInterceptor, TPersistent)
public:
    explicit TStoragePropertyInterceptor(TPersistent* ATarget) : FTarget(ATarget) {}
    static TStoragePropertyInterceptor* CreateFor(TPersistent* ATarget);
    virtual bool NeedIntercept() { return true; }
    // Applies what was read to the target.
    virtual void Readed() {}
    TPersistent* Target() const { return FTarget; }

protected:
    TPersistent* FTarget;
};

class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
    DOV_PERSISTENT(TFormStoragePropertyInterceptor, TStoragePropertyInterceptor)
public:
    explicit TFormStoragePropertyInterceptor(TPersistent* ATarget);
    static TStoragePropertyInterceptor* CreateFor(TPersistent* ATarget);
    void Readed() override;
    TRect GetNotmalFormPlacement() const { return TRect(); }

    // Reads give the target form's current normal placement (0 without a form); writes store.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int Value) { FLeft = Value; FPosPresent = true; }
    void SetTop(int Value) { FTop = Value; FPosPresent = true; }
    void SetWidth(int Value) { FWidth = Value; }
    void SetHeight(int Value) { FHeight = Value; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value) { FWindowState = Value; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Value) { FActiveControl = Value; }
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }

protected:
    TCustomForm* Form() const { return dynamic_cast<TCustomForm*>(FTarget); }

    TWinControl* FActiveControl = nullptr;
    int FHeight = 0;
    int FLeft = 0;
    int FPixelsPerInch = 96;
    bool FPosPresent = false;
    int FTop = 0;
    int FWidth = 0;
    TWindowState FWindowState = wsNormal;
};

// The normal (restored) rectangle of a form.
TRect GetFormNormalPlacement(TCustomForm* Form);

// Replaces every earlier entry for the very same target class (descendants are separate).
void RegisterStoragePropertyInterceptor(const TClassInfo* TargetClass, TStoragePropertyInterceptorClass InterceptorClass);
// Removes the entries whose target and interceptor both match.
void UnregisterStoragePropertyInterceptor(const TClassInfo* TargetClass, TStoragePropertyInterceptorClass InterceptorClass);
// The interceptor registered for exactly this class, or nullptr.
TStoragePropertyInterceptorClass StoragePropertyInterceptorFor(const TClassInfo* TargetClass);
int StoragePropertyInterceptorCount();
