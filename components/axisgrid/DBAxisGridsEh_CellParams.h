// The parameters of one data cell as the grid is about to paint, export or check it; the
// application's cell events may change them. One object per grid (and one per bar for its own
// checks), refilled for every cell.
#pragma once

#include "components/foundation/GridsEh.h"

class TAxisColCellParamsEh : public TObject {
public:
    TAxisColCellParamsEh() = default;

    TAlignment FAlignment = taLeftJustify;
    TColor FBackground = clWindow;
    bool FBlankCell = false;
    TCheckBoxState FCheckboxState = cbUnchecked;
    int FCol = 0;
    int FRow = 0;
    TFont* FFont = nullptr;   // not owned
    int FImageIndex = -1;
    bool FReadOnly = false;
    TGridDrawState FState;
    QString FText;
    bool FTextEditing = true;
    bool FSuppressActiveCellColor = false;
    TRect FCellRect;
    bool FThe3DRect = false;
    int FXFrameOffs = 0;
    int FYFrameOffs = 0;
    bool FDrawCellByThemes = false;
};
