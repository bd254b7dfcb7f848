// Extra controls: the panel.
#pragma once

#include "Controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
DOV_ENUM_INFO(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)

class TPanel : public TCustomControl {
    DOV_PERSISTENT(TPanel, TCustomControl)
public:
    explicit TPanel(TComponent* AOwner);
    TBevelCut BevelOuter = bvRaised;
    TBevelCut BevelInner = bvNone;
    bool ShowCaption = true;

protected:
    void Paint() override;
};
