// The in-place data editor of the axis grid and its drop-down lists and forms.
#pragma once

#include "components/foundation/GridsEh.h"

class TDBAxisGridInplaceEdit : public TInplaceEdit {
    // ==== editor: edit styles, buttons, keys, pasting, stepping, image, MRU list ====


    // ==== end of editor ====



    // ==== drop-down lists and forms ====


    // ==== end of drop-down lists and forms ====
};
