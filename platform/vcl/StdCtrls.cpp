#include "StdCtrls.h"

#include "Forms.h"

DOV_PUBLISHED(TButton)
{
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    P.Prop("Default", &TButton::Default).Default(false);
    P.Prop("Cancel", &TButton::Cancel).Default(false);
    P.Prop("ModalResult", &TButton::ModalResult).Default(0);
}

TButton::TButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 75;
    FHeight = 25;
    FTabStop = true;
    FParentColor = false;
    FColor = clBtnFace;
    ControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csOpaque};
}

void TButton::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
    c->Font()->Assign(Font());
    if (!FEnabled)
        c->Font()->SetColor(clGrayText);
    TRect r = ClientRect();
    QString text = FText;
    c->TextRect(r, text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && FEnabled && PtInRect(ClientRect(), TPoint{X, Y})) {
        if (ModalResult != 0)
            if (TCustomForm* f = GetParentForm())
                f->SetModalResult(ModalResult);
        Click();
    }
}
