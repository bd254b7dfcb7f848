// The data grid's scroll-bar settings: the vertical one mirrors the dataset cursor where the
// grid does not scroll rows by pixels.
#pragma once

#include "components/foundation/GridsEh.h"

class TVertDBGridEhScrollBar : public TGridScrollBarEh {
public:
    using TGridScrollBarEh::TGridScrollBarEh;
};

class THorzDBGridEhScrollBar : public TGridScrollBarEh {
public:
    using TGridScrollBarEh::TGridScrollBarEh;
};

// A row height snapped to whole lines of text: the content (Height - Margin) is rounded to a
// number of TextHeight lines, up when more than half a line is left over or when it holds
// none. Lines gets that number of lines.
int FitRowHeightToTextEh(int Height, int Margin, int TextHeight, int& Lines);
