// A component's reference to another component that it must hear of when that one is freed.
#pragma once

#include "Persistent.h"

// Points Field at Value and moves Self's free notification from the old component to the new
// one, so Self hears when the one it refers to is freed. False when Field already was Value.
template <typename T> bool SetComponentRef(TComponent* Self, T*& Field, T* Value)
{
    if (Field == Value)
        return false;
    if (Field)
        Field->RemoveFreeNotification(Self);
    Field = Value;
    if (Value)
        Value->FreeNotification(Self);
    return true;
}
