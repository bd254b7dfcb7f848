// The axis grid: locks, data link and editing protocol.
#pragma once

#include "components/foundation/GridsEh.h"
#include "DBAxisGridsEh_Bars.h"

class TCustomDBAxisGridEh : public TCustomGridEh {
    // ==== locks, data link and editing protocol ====


    // ==== end of locks, data link and editing protocol ====



    // ==== data cell drawing, hints, line parameters, border and default actions ====


    // ==== end of data cell drawing, hints, line parameters, border and default actions ====



    // ==== in-place editor and its drop-downs ====
    // The editor's lists write the chosen text and key straight into the edit state.
    friend class TDBAxisGridInplaceEdit;

    // ==== end of in-place editor and its drop-downs ====
};
