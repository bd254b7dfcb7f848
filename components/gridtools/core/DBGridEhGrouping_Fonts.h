// Fonts that follow a parent's font: the copy is made silently, so it does not count as the
// user's own change.
#pragma once

#include "platform/vcl/Graphics.h"

inline void CopyParentFontEh(TFont* Own, TFont* Parent, bool& Changing)
{
    if (!Parent || Parent == Own || Own->Equals(Parent))
        return;
    Changing = true;
    Own->Assign(Parent);
    Changing = false;
}
