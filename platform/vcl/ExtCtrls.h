// Extra controls: the panel and the timer.
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

class QTimer;

// Fires OnTimer every Interval milliseconds while enabled, on the UI thread. It runs only with an
// interval above 0 and a handler; intervals below 10 ms run at 10 ms. Changing the interval
// restarts the count. An exception from the handler goes to the application's error box.
class TTimer : public TComponent {
    DOV_PERSISTENT(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned Value);
    TNotifyEvent OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent Value);
    // True while the timer is counting.
    bool Running() const;

protected:
    void Loaded() override;
    virtual void Timer();

private:
    void UpdateTimer();
    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
    std::unique_ptr<QTimer> FTimer;
};
