// Axis bars: one data column of the axis grid, bound to a field of the grid's dataset.
#pragma once

#include "platform/rtl/Persistent.h"

class TCustomDBAxisGridEh;
class TGridAxisBarsEh;

class TAxisBarEh : public TCollectionItem {
    // ==== field binding, values and texts ====


    // ==== end of field binding, values and texts ====



    // ==== appearance, edit buttons, drop-down and menu settings ====


    // ==== end of appearance, edit buttons, drop-down and menu settings ====
};
