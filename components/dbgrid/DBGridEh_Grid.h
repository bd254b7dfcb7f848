// The data grid: construction, options and data notifications; rows, heights and scrolling;
// the title tree; cell, title and fixed-cell painting; lines and right-to-left mapping.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "DBGridEh_Columns.h"

// ============================================================================================
// TCustomDBGridEh
// ============================================================================================

class TCustomDBGridEh : public TCustomDBAxisGridEh {
    // ==== construction, options and data notifications ====
    // ==== end of construction, options and data notifications ====

    // ==== rows, heights, scrolling and title tree ====
    // ==== end of rows, heights, scrolling and title tree ====

    // ==== data cell, title, indicator and fixed-cell painting ====
    // ==== end of data cell, title, indicator and fixed-cell painting ====

    // ==== grid lines, right-to-left mapping and tree elements ====
    // ==== end of grid lines, right-to-left mapping and tree elements ====

    // ==== parameter objects ====
    // ==== end of parameter objects ====
};
