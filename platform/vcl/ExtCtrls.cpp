#include "ExtCtrls.h"

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
