// Speed buttons and bitmap buttons.
#include "Buttons.h"

#include "Forms.h"

#include <QImage>

// ---------------------------------------------------------------- glyph and caption

namespace {

// The glyph's image for a state, its transparent colour made see-through (nullptr when none).
std::unique_ptr<TBitmap> GlyphImage(TBitmap* Glyph, int NumGlyphs, TButtonState State)
{
    if (!Glyph || Glyph->Empty())
        return nullptr;
    const int count = std::clamp(NumGlyphs, 1, 4);
    const int w = Glyph->Width() / count;
    int index = int(State);
    if (index >= count)
        index = 0;
    const QImage& all = Glyph->Image();
    const TColor key = Glyph->TransparentColor();
    QImage part = all.copy(index * w, 0, w, all.height()).convertToFormat(QImage::Format_ARGB32);
    const QRgb k = qRgb(GetRValue(ColorToRGB(key)), GetGValue(ColorToRGB(key)), GetBValue(ColorToRGB(key)));
    for (int y = 0; y < part.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
        for (int x = 0; x < part.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (k & 0xFFFFFF))
                line[x] = 0;
            // A disabled face without an image of its own is the glyph greyed.
            else if (State == bsDisabled && count < 2)
                line[x] = qRgba(128, 128, 128, 255);
        }
    }
    auto b = std::make_unique<TBitmap>();
    b->SetImage(part);
    return b;
}

}  // namespace

void DrawButtonGlyphAndCaption(TCanvas* Canvas, const TRect& Client, TBitmap* Glyph, int NumGlyphs,
                               TButtonState State, TButtonLayout Layout, int Margin, int Spacing,
                               const QString& Caption, TFont* Font)
{
    auto image = GlyphImage(Glyph, NumGlyphs, State);
    Canvas->Font()->Assign(Font);
    if (State == bsDisabled)
        Canvas->Font()->SetColor(clGrayText);
    const TSize glyph = image ? TSize{image->Width(), image->Height()} : TSize{0, 0};
    const TSize text = Caption.isEmpty() ? TSize{0, 0} : Canvas->TextExtent(Caption);
    const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    const int space = (glyph.cx == 0 || text.cx == 0) ? 0 : Spacing;
    const int along = horizontal ? glyph.cx + space + text.cx : glyph.cy + space + text.cy;
    const int room = horizontal ? Client.Width() : Client.Height();
    const int start = Margin < 0 ? (room - along) / 2 : Margin;
    const int shift = (State == bsDown || State == bsExclusive) ? 1 : 0;
    TPoint g, t;
    switch (Layout) {
    case blGlyphLeft:
        g = {Client.Left + start, Client.Top + (Client.Height() - glyph.cy) / 2};
        t = {g.X + glyph.cx + space, Client.Top + (Client.Height() - text.cy) / 2};
        break;
    case blGlyphRight:
        t = {Client.Left + start, Client.Top + (Client.Height() - text.cy) / 2};
        g = {t.X + text.cx + space, Client.Top + (Client.Height() - glyph.cy) / 2};
        break;
    case blGlyphTop:
        g = {Client.Left + (Client.Width() - glyph.cx) / 2, Client.Top + start};
        t = {Client.Left + (Client.Width() - text.cx) / 2, g.Y + glyph.cy + space};
        break;
    case blGlyphBottom:
        t = {Client.Left + (Client.Width() - text.cx) / 2, Client.Top + start};
        g = {Client.Left + (Client.Width() - glyph.cx) / 2, t.Y + text.cy + space};
        break;
    }
    if (image)
        Canvas->Draw(g.X + shift, g.Y + shift, image.get());
    if (!Caption.isEmpty()) {
        TRect r(t.X + shift, t.Y + shift, t.X + shift + text.cx, t.Y + shift + text.cy);
        QString s = Caption;
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->TextRect(r, s, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
    }
}

// ---------------------------------------------------------------- TGlyphFace

TGlyphFace::TGlyphFace(TControl* AControl) : FFaceControl(AControl), FGlyph(std::make_unique<TBitmap>())
{
    FGlyph->OnChange = TNotifyEvent([this](TObject*) { FFaceControl->Invalidate(); });
}

TGlyphFace::~TGlyphFace() = default;

void TGlyphFace::SetNumGlyphs(TNumGlyphs Value)
{
    FNumGlyphs = std::clamp(Value, 1, 4);
    FFaceControl->Invalidate();
}
void TGlyphFace::SetLayout(TButtonLayout Value)
{
    FLayout = Value;
    FFaceControl->Invalidate();
}
void TGlyphFace::SetMargin(int Value)
{
    FMargin = std::max(Value, -1);
    FFaceControl->Invalidate();
}
void TGlyphFace::SetSpacing(int Value)
{
    FSpacing = Value;
    FFaceControl->Invalidate();
}

void TGlyphFace::DrawFace(TCanvas* Canvas, const TRect& Client, TButtonState State)
{
    DrawButtonGlyphAndCaption(Canvas, Client, FGlyph.get(), FNumGlyphs, State, FLayout, FMargin, FSpacing,
                              FFaceControl->Caption(), FFaceControl->Font());
}

// ---------------------------------------------------------------- TSpeedButton

DOV_PUBLISHED(TSpeedButton)
{
    P.Prop("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
    P.Prop("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
    P.Prop("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false);
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    P.Prop("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false);
    P.Prop("Glyph", &TSpeedButton::Glyph);
    P.Prop("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
    P.Prop("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
    P.Prop("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
    P.Prop("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
    P.Prop("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent).Default(true);
}

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), TGlyphFace(this)
{
    FWidth = 23;
    FHeight = 22;
    FParentColor = false;
    FColor = clBtnFace;
    ControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks, csSetCaption};
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetDown(bool Value)
{
    if (FGroupIndex == 0)
        Value = false;
    if (Value == FDown)
        return;
    if (FDown && !FAllowAllUp)
        return;
    FDown = Value;
    if (Value) {
        if (FState == bsUp)
            Invalidate();
        FState = bsExclusive;
    } else {
        FState = bsUp;
        Invalidate();
    }
    if (Value)
        UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value)
{
    if (Value != FFlat) {
        FFlat = Value;
        Invalidate();
    }
}

void TSpeedButton::SetGroupIndex(int Value)
{
    if (Value != FGroupIndex) {
        FGroupIndex = Value;
        UpdateExclusive();
    }
}

void TSpeedButton::SetTransparent(bool Value)
{
    FTransparent = Value;
    Invalidate();
}

void TSpeedButton::UpdateExclusive()
{
    if (FGroupIndex == 0 || !FParent)
        return;
    TMessage m{CM_BUTTONPRESSED, WPARAM(FGroupIndex), LPARAM(reinterpret_cast<intptr_t>(this)), 0};
    for (int i = 0; i < FParent->ControlCount(); ++i)
        if (FParent->Controls(i) != this)
            FParent->Controls(i)->Perform(m.Msg, m.WParam, m.LParam);
}

void TSpeedButton::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_BUTTONPRESSED)
        CMButtonPressed(Message);
    else
        TGraphicControl::Dispatch(Message);
}

void TSpeedButton::CMButtonPressed(TMessage& M)
{
    if (int(M.WParam) != FGroupIndex)
        return;
    auto* sender = reinterpret_cast<TSpeedButton*>(M.LParam);
    if (sender == this)
        return;
    if (sender->Down() && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
    }
    FAllowAllUp = sender->AllowAllUp();
}

void TSpeedButton::CMMouseEnter(TMessage& M)
{
    TGraphicControl::CMMouseEnter(M);
    if (FFlat && FEnabled && !FDown)
        Invalidate();
}

void TSpeedButton::CMMouseLeave(TMessage& M)
{
    TGraphicControl::CMMouseLeave(M);
    if (FFlat && FEnabled && !FDragging)
        Invalidate();
}

void TSpeedButton::CMEnabledChanged(TMessage& M)
{
    if (!FEnabled) {
        FMouseInControl = false;
        FState = bsDisabled;
    } else if (FState == bsDisabled) {
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    }
    TGraphicControl::CMEnabledChanged(M);
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && FEnabled) {
        if (!FDown) {
            FState = bsDown;
            Invalidate();
        }
        FDragging = true;
    }
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging)
        return;
    TButtonState state = FDown ? bsExclusive : bsUp;
    if (X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight())
        state = FDown ? bsExclusive : bsDown;
    if (state != FState) {
        FState = state;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging)
        return;
    FDragging = false;
    const bool doClick = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
    if (FGroupIndex == 0) {
        FState = bsUp;
        Invalidate();
    } else if (doClick) {
        SetDown(!FDown);
        if (FDown)
            Invalidate();
    } else {
        if (FDown)
            FState = bsExclusive;
        Invalidate();
    }
    if (doClick)
        Click();
}

void TSpeedButton::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (!FEnabled)
        FState = bsDisabled;
    else if (FState == bsDisabled)
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    const bool pressed = FState == bsDown || FState == bsExclusive;
    if (!FFlat || !FTransparent) {
        c->Brush()->SetColor(FColor);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(r);
    }
    if (FFlat) {
        TRect edge = r;
        if (pressed)
            DrawEdge(c->Handle(), edge, BDR_SUNKENOUTER, BF_RECT);
        else if (FMouseInControl && FEnabled)
            DrawEdge(c->Handle(), edge, BDR_RAISEDINNER, BF_RECT);
    } else {
        TRect face = r;
        UINT state = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (pressed)
            state |= DFCS_PUSHED;
        DrawFrameControl(c->Handle(), face, DFC_BUTTON, state);
    }
    DrawFace(c, r, FState);
}

// ---------------------------------------------------------------- TBitBtn

DOV_PUBLISHED(TBitBtn)
{
    P.Prop("Glyph", &TBitBtn::Glyph);
    P.Prop("Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom);
    P.Prop("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
    P.Prop("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
    P.Prop("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
    P.Prop("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
}

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), TGlyphFace(this) {}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetKind(TBitBtnKind Value)
{
    FKind = Value;
    if (Value == bkCustom)
        return;
    struct K { const char16_t* Caption; int Result; };
    static const K kinds[] = {{u"", mrNone},          {u"OK", mrOk},          {u"Отмена", mrCancel},
                              {u"&Справка", mrNone},  {u"&Да", mrYes},        {u"&Нет", mrNo},
                              {u"&Закрыть", mrNone},  {u"Прервать", mrAbort}, {u"&Повтор", mrRetry},
                              {u"&Игнорировать", mrIgnore}, {u"&Все", mrAll}};
    SetCaption(QString::fromUtf16(kinds[Value].Caption));
    ModalResult = kinds[Value].Result;
    Default = Value == bkOK || Value == bkYes;
    Cancel = Value == bkCancel || Value == bkNo;
}

void TBitBtn::Dispatch(TMessage& Message)
{
    if (Message.Msg == CN_DRAWITEM) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam));
        Message.Result = 1;
        return;
    }
    TButton::Dispatch(Message);
}

void TBitBtn::Paint()
{
    DRAWITEMSTRUCT ds;
    ds.CtlType = ODT_BUTTON;
    ds.itemAction = ODA_DRAWENTIRE;
    if (FPressed)
        ds.itemState |= ODS_SELECTED;
    if (!FEnabled)
        ds.itemState |= ODS_DISABLED;
    if (Focused())
        ds.itemState |= ODS_FOCUS;
    if (Default)
        ds.itemState |= ODS_DEFAULT;
    if (FMouseInControl)
        ds.itemState |= ODS_HOTLIGHT;
    ds.hwndItem = HandleIfAllocated();
    ds.hDC = Canvas()->Handle();
    ds.rcItem = ClientRect();
    Perform(CN_DRAWITEM, 0, LPARAM(reinterpret_cast<intptr_t>(&ds)));
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& DrawItemStruct)
{
    TCanvas* c = Canvas();
    TRect r = DrawItemStruct.rcItem;
    const bool pressed = DrawItemStruct.itemState & ODS_SELECTED;
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    TRect face = r;
    if (DrawItemStruct.itemState & (ODS_DEFAULT | ODS_FOCUS)) {
        c->Brush()->SetColor(clWindowFrame);
        c->FrameRect(face);
        InflateRect(face, -1, -1);
    }
    DrawFrameControl(DrawItemStruct.hDC, face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? UINT(DFCS_PUSHED) : 0u));
    const TButtonState state = !FEnabled ? bsDisabled : pressed ? bsDown : bsUp;
    DrawFace(c, r, state);
    if (DrawItemStruct.itemState & ODS_FOCUS) {
        TRect focus = r;
        InflateRect(focus, -4, -4);
        c->DrawFocusRect(focus);
    }
}

void TBitBtn::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TButton::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && FEnabled) {
        FTracking = true;
        FPressed = true;
        Invalidate();
    }
}

void TBitBtn::MouseMove(TShiftState Shift, int X, int Y)
{
    TButton::MouseMove(Shift, X, Y);
    if (!FTracking)
        return;
    const bool inside = PtInRect(ClientRect(), TPoint{X, Y});
    if (inside != FPressed) {
        FPressed = inside;
        Invalidate();
    }
}

void TBitBtn::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FTracking && Button == mbLeft) {
        FTracking = false;
        FPressed = false;
        Invalidate();
    }
    TButton::MouseUp(Button, Shift, X, Y);
}
