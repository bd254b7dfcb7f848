#include "ExtCtrls.h"

#include <QTimer>

DOV_PUBLISHED(TPanel)
{
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    P.Prop("BevelOuter", &TPanel::BevelOuter).Default(bvRaised);
    P.Prop("BevelInner", &TPanel::BevelInner).Default(bvNone);
    P.Prop("ShowCaption", &TPanel::ShowCaption).Default(true);
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 185;
    FHeight = 41;
    FParentColor = false;
    FColor = clBtnFace;
    ControlStyle = TControlStyle{csAcceptsControls, csSetCaption, csOpaque, csDoubleClicks};
}

void TPanel::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
    if (!ShowCaption || FText.isEmpty())
        return;
    c->Font()->Assign(Font());
    TRect r = ClientRect();
    QString text = FText;
    c->TextRect(r, text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
}

// ---------------------------------------------------------------- TTimer

DOV_PUBLISHED(TTimer)
{
    P.Prop("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
    P.Prop("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
    P.Prop("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}
TTimer::~TTimer() = default;

void TTimer::SetEnabled(bool Value)
{
    if (Value != FEnabled) {
        FEnabled = Value;
        UpdateTimer();
    }
}

void TTimer::SetInterval(unsigned Value)
{
    if (Value != FInterval) {
        FInterval = Value;
        UpdateTimer();
    }
}

void TTimer::SetOnTimer(TNotifyEvent Value)
{
    FOnTimer = Value;
    UpdateTimer();
}

bool TTimer::Running() const { return FTimer && FTimer->isActive(); }

void TTimer::Loaded()
{
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::Timer()
{
    if (FOnTimer)
        FOnTimer(this);
}

void TTimer::UpdateTimer()
{
    if (FTimer)
        FTimer->stop();
    if (!FEnabled || FInterval == 0 || !FOnTimer || ComponentState().Contains(csLoading))
        return;
    if (!FTimer) {
        FTimer = std::make_unique<QTimer>();
        QObject::connect(FTimer.get(), &QTimer::timeout, [this] { GuardedCall([this] { Timer(); }); });
    }
    FTimer->start(int(std::clamp(FInterval, 10u, unsigned(INT_MAX))));
}
