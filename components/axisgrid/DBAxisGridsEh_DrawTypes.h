// The drawing types the axis grid's class needs before the drawing header (which includes the
// grid's): fill styles and the classes of the drawing area the grid refers to.
#pragma once

#include "platform/rtl/Persistent.h"

enum TGridCellFillStyleEh { cfstDefaultEh, cfstThemedEh, cfstSolidEh, cfstGradientEh };
DOV_ENUM_INFO(TGridCellFillStyleEh, cfstDefaultEh, cfstThemedEh, cfstSolidEh, cfstGradientEh)

class TControlBorderEh;
class TDBAxisGridDataHintParamsEh;
class TDBAxisGridEhCenter;
class TDBAxisGridLineParamsEh;
