#include "ComCtrls.h"

#include <algorithm>

DOV_PUBLISHED(TTabSheet)
{
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    P.Prop("TabVisible", &TTabSheet::TabVisible).Default(true);
}

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomControl(AOwner)
{
    FParentColor = false;
    FColor = clBtnFace;
    ControlStyle = TControlStyle{csAcceptsControls, csOpaque};
}

TTabSheet::~TTabSheet() { SetPageControl(nullptr); }

void TTabSheet::SetPageControl(TPageControl* v)
{
    if (v == FPageControl)
        return;
    if (FPageControl)
        FPageControl->RemovePage(this);
    FPageControl = v;
    if (v) {
        SetParent(v);
        v->InsertPage(this);
    }
}

int TTabSheet::PageIndex() const
{
    if (!FPageControl)
        return -1;
    const auto& pages = FPageControl->FPages;
    return int(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

DOV_PUBLISHED(TPageControl) { P.Event("OnChange", &TPageControl::OnChange); }

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 289;
    FHeight = 193;
    FTabStop = true;
    FParentColor = false;
    FColor = clBtnFace;
    ControlStyle = TControlStyle{csDoubleClicks, csOpaque};
}

TPageControl::~TPageControl()
{
    for (TTabSheet* p : FPages)
        p->FPageControl = nullptr;
}

void TPageControl::InsertPage(TTabSheet* p)
{
    FPages.push_back(p);
    if (!FActivePage)
        SetActivePage(p);
    else
        p->SetVisible(false);
}

void TPageControl::RemovePage(TTabSheet* p)
{
    FPages.erase(std::remove(FPages.begin(), FPages.end(), p), FPages.end());
    if (FActivePage == p)
        SetActivePage(FPages.empty() ? nullptr : FPages.front());
}

void TPageControl::SetActivePage(TTabSheet* v)
{
    if (v && v->FPageControl != this)
        return;
    if (v == FActivePage)
        return;
    FActivePage = v;
    for (TTabSheet* p : FPages)
        p->SetVisible(p == v);
    if (OnChange)
        OnChange(this);
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int v)
{
    SetActivePage(v >= 0 && v < PageCount() ? FPages[size_t(v)] : nullptr);
}

void TPageControl::Paint()
{
    Canvas()->Brush()->SetColor(FColor);
    Canvas()->FillRect(ClientRect());
}

TStatusPanel* TStatusPanels::Add()
{
    FItems.push_back(std::make_unique<TStatusPanel>());
    return FItems.back().get();
}

DOV_PUBLISHED(TStatusBar)
{
    P.Prop("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
    P.Prop("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel).Default(false);
}

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FHeight = 19;
    FWidth = 200;
    FParentColor = false;
    FColor = clBtnFace;
    FAlign = alBottom;
    ControlStyle = TControlStyle{csOpaque};
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimpleText(const QString& v)
{
    if (v == FSimpleText)
        return;
    FSimpleText = v;
    Invalidate();
}

void TStatusBar::SetSimplePanel(bool v)
{
    if (v == FSimplePanel)
        return;
    FSimplePanel = v;
    Invalidate();
}

void TStatusBar::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
    c->Font()->Assign(Font());
    TRect r = ClientRect();
    if (FSimplePanel || FPanels.Count() == 0) {
        r.Left += 2;
        QString t = FSimpleText;
        c->TextRect(r, t, TTextFormat{tfVerticalCenter, tfSingleLine});
        return;
    }
    int x = 0;
    for (int i = 0; i < FPanels.Count(); ++i) {
        TStatusPanel* p = FPanels[i];
        const bool last = i == FPanels.Count() - 1;
        TRect pr(x + 2, r.Top, last ? r.Right : x + p->Width, r.Bottom);
        QString t = p->Text;
        c->TextRect(pr, t, TTextFormat{tfVerticalCenter, tfSingleLine});
        x += p->Width;
    }
}

DOV_PUBLISHED(TProgressBar)
{
    P.Prop("Style", &TProgressBar::Style, &TProgressBar::SetStyle).Default(pbstNormal);
    P.Prop("Min", &TProgressBar::Min).Default(0);
    P.Prop("Max", &TProgressBar::Max).Default(100);
    P.Prop("Position", &TProgressBar::Position, &TProgressBar::SetPosition).Default(0);
    P.Prop("MarqueeInterval", &TProgressBar::MarqueeInterval).Default(10);
}

TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 150;
    FHeight = 17;
    FParentColor = false;
    FColor = clBtnFace;
    ControlStyle = TControlStyle{csOpaque};
}

TProgressBar::~TProgressBar() = default;

void TProgressBar::SetStyle(TProgressBarStyle v)
{
    if (v == FStyle)
        return;
    FStyle = v;
    Invalidate();
}

void TProgressBar::SetPosition(int v)
{
    v = std::clamp(v, Min, std::max(Min, Max));
    if (v == FPosition)
        return;
    FPosition = v;
    Invalidate();
}

void TProgressBar::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(FColor);
    c->FillRect(r);
    if (FStyle != pbstNormal || Max <= Min)
        return;
    TRect done = r;
    done.Right = r.Left + int(int64_t(r.Width()) * (FPosition - Min) / (Max - Min));
    c->Brush()->SetColor(clHighlight);
    c->FillRect(done);
}
