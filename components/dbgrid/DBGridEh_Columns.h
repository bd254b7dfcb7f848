// Columns of the data grid: the column, its title, default values and the column collection.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "DBGridEh_CellParams.h"
#include "DBGridEh_Footers.h"

class TCustomDBGridEh;

// ============================================================================================
// TColumnEh
// ============================================================================================

class TColumnEh : public TBaseColumnEh {
    // ==== columns ====
    // ==== end of columns ====

    // ==== footers ====
    // ==== end of footers ====

    // ==== cell painting ====
public:
    TDBGridEhAdvDrawColumnDataEvent OnAdvDrawDataCell;
    TOnColumnCheckDrawRequiredStateEventEh OnCheckDrawRequiredState;
    TDBGridEhColumnGroupGetKeyValueEvent OnGetHideDuplicatesValue;
    // During one paint: the line above the visible row (index from the first visible data row)
    // is already painted over by duplicate hiding.
    std::vector<bool> FCheckedDuplicates;
    // ==== end of cell painting ====
};
