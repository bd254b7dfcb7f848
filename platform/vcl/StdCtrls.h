// Standard controls: the push button.
#pragma once

#include "Controls.h"

class TButton : public TCustomControl {
    DOV_PERSISTENT(TButton, TCustomControl)
public:
    explicit TButton(TComponent* AOwner);
    bool Default = false;
    bool Cancel = false;
    int ModalResult = 0;

protected:
    void Paint() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};
