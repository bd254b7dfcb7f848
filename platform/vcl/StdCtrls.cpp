#include "StdCtrls.h"

#include "Forms.h"
#include "ImgList.h"
#include "ScrollBars.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/ComponentRef.h"
#include "platform/rtl/Guards.h"

#include <QElapsedTimer>

namespace {

// Text metrics outside painting: a small bitmap's canvas measures with the control's font.
int FontTextHeight(TFont* Font)
{
    TBitmap b(1, 1);
    b.Canvas()->Font()->Assign(Font);
    return b.Canvas()->TextHeight(QStringLiteral("Wg"));
}

qint64 Tick()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

bool StartsWith(const QString& Text, const QString& Prefix)
{
    return Text.startsWith(Prefix, Qt::CaseInsensitive);
}

// The first item from Start (wrapping round) that starts with Prefix.
int FindPrefix(const TStrings* Items, const QString& Prefix, int Start)
{
    const int n = Items->Count();
    for (int k = 0; k < n; ++k) {
        const int i = ((Start < 0 ? 0 : Start) + k) % n;
        if (StartsWith(Items->Strings(i), Prefix))
            return i;
    }
    return -1;
}

// Colours of a row: highlighted, or the window's.
void PaintRow(TCanvas* C, const TRect& R, const QString& Text, bool Selected, TColor Back)
{
    C->Brush()->SetColor(Selected ? clHighlight : Back);
    C->FillRect(R);
    C->Font()->SetColor(Selected ? clHighlightText : clWindowText);
    TRect t = R;
    t.Left += 2;
    QString s = Text;
    C->Brush()->SetStyle(bsClear);
    C->TextRect(t, s, TTextFormat{tfSingleLine, tfVerticalCenter, tfNoPrefix});
    C->Brush()->SetStyle(bsSolid);
}

}  // namespace

bool IsAccel(QChar Key, const QString& Caption)
{
    for (qsizetype i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != u'&')
            continue;
        if (Caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return Caption[i + 1].toUpper() == Key.toUpper();
    }
    return false;
}

int TTypeAheadSearch::Type(QChar Key, const TStrings* Items, int Current)
{
    const qint64 now = Tick();
    if (now - FLastTick > TimeoutMs)
        FPrefix.clear();
    FLastTick = now;
    if (!Items || Items->Count() == 0)
        return -1;
    const QString typed = FPrefix + Key;
    // The same letter again steps to the next item that starts with it.
    bool repeat = !FPrefix.isEmpty();
    for (QChar c : typed)
        repeat = repeat && c.toUpper() == Key.toUpper();
    FPrefix = typed;
    if (repeat)
        return FindPrefix(Items, QString(Key), Current + 1);
    if (typed.size() > 1) {
        const int found = FindPrefix(Items, typed, std::max(Current, 0));
        if (found >= 0)
            return found;
        // Nothing goes on with what was typed: the letter starts a new search.
        FPrefix = QString(Key);
    }
    return FindPrefix(Items, QString(Key), Current + 1);
}

// ---------------------------------------------------------------- TButton

DOV_PUBLISHED(TButton)
{
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    P.Prop("Default", &TButton::Default).Default(false);
    P.Prop("Cancel", &TButton::Cancel).Default(false);
    P.Prop("ModalResult", &TButton::ModalResult).Default(0);
    P.Prop("Images", &TButton::Images, &TButton::SetImages);
    P.Prop("ImageIndex", &TButton::ImageIndex, &TButton::SetImageIndex).Default(-1);
    P.Prop("WordWrap", &TButton::WordWrap, &TButton::SetWordWrap).Default(false);
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
    c->Pen()->SetColor(FEnabled ? clBtnShadow : clGrayText);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(r);
    c->Brush()->SetStyle(bsSolid);
    InflateRect(r, -4, -2);
    if (FImages && FImageIndex >= 0 && FImageIndex < FImages->Count()) {
        FImages->Draw(c, r.Left, r.Top + (r.Height() - FImages->Height()) / 2, FImageIndex, FEnabled);
        r.Left += FImages->Width() + 4;
    }
    QString text = FText;
    if (FWordWrap)
        c->TextRect(r, text, TTextFormat{tfCenter, tfVerticalCenter, tfWordBreak});
    else
        c->TextRect(r, text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
}

void TButton::SetImages(TCustomImageList* Value)
{
    if (SetComponentRef(this, FImages, Value))
        Invalidate();
}

void TButton::SetImageIndex(int Value)
{
    FImageIndex = Value;
    Invalidate();
}

void TButton::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    Invalidate();
}

void TButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages)
        FImages = nullptr;
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

// ---------------------------------------------------------------- TCustomLabel

DOV_PUBLISHED(TCustomLabel) {}

DOV_PUBLISHED(TLabel)
{
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    P.Prop("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Default(taLeftJustify);
    P.Prop("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
    P.Prop("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(false);
    P.Prop("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize).Default(true);
    P.Prop("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true);
    P.Prop("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(false);
    P.Prop("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
}

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    FWidth = 65;
    FHeight = 17;
    ControlStyle = TControlStyle{csReplicatable, csSetCaption};
}

void TCustomLabel::AfterConstruction()
{
    TGraphicControl::AfterConstruction();
    AdjustBounds();
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment Value)
{
    if (FAlignment == Value)
        return;
    FAlignment = Value;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value)
{
    if (FLayout == Value)
        return;
    FLayout = Value;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value)
{
    if (FWordWrap == Value)
        return;
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value)
{
    if (FAutoSize == Value)
        return;
    FAutoSize = Value;
    AdjustBounds();
}

void TCustomLabel::SetShowAccelChar(bool Value)
{
    if (FShowAccelChar == Value)
        return;
    FShowAccelChar = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool Value)
{
    if (FTransparent == Value)
        return;
    FTransparent = Value;
    if (Value)
        ControlStyle >> csOpaque;
    else
        ControlStyle << csOpaque;
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) { SetComponentRef(this, FFocusControl, Value); }

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

UINT TCustomLabel::TextFlags() const
{
    UINT flags = DT_EXPANDTABS;
    if (FWordWrap)
        flags |= DT_WORDBREAK;
    if (!FShowAccelChar)
        flags |= DT_NOPREFIX;
    if (FAlignment == taRightJustify)
        flags |= DT_RIGHT;
    else if (FAlignment == taCenter)
        flags |= DT_CENTER;
    return flags;
}

void TCustomLabel::DoDrawText(TRect& R, UINT Flags)
{
    QString text = FText;
    // An empty caption measures as one line, so an auto-sized label keeps its height.
    if ((Flags & DT_CALCRECT) && (text.isEmpty() || (FShowAccelChar && text == QStringLiteral("&"))))
        text = QStringLiteral(" ");
    HDC dc = Canvas()->Handle();
    if (!FEnabled && !(Flags & DT_CALCRECT)) {
        TRect shadow = R;
        OffsetRect(shadow, 1, 1);
        SetTextColor(dc, ColorToRGB(clBtnHighlight));
        DrawText(dc, text, -1, shadow, Flags);
        SetTextColor(dc, ColorToRGB(clBtnShadow));
    }
    DrawText(dc, text, -1, R, Flags);
}

void TCustomLabel::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (!FTransparent) {
        c->Brush()->SetColor(FColor);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(r);
    }
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    HDC dc = c->Handle();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font()->GetColor()));
    if (FLayout != tlTop) {
        TRect calc = r;
        DoDrawText(calc, TextFlags() | DT_CALCRECT);
        const int free = r.Height() - calc.Height();
        r.Top += FLayout == tlBottom ? free : free / 2;
    }
    DoDrawText(r, TextFlags());
}

void TCustomLabel::AdjustBounds()
{
    if (!FAutoSize || ComponentState().Contains(csLoading))
        return;
    TBitmap b(1, 1);
    b.Canvas()->Font()->Assign(Font());
    TRect r(0, 0, FWordWrap ? FWidth : 0, 0);
    QString text = FText;
    if (text.isEmpty() || (FShowAccelChar && text == QStringLiteral("&")))
        text = QStringLiteral(" ");
    DrawText(b.Canvas()->Handle(), text, -1, r, (TextFlags() & ~UINT(DT_RIGHT | DT_CENTER)) | DT_CALCRECT);
    int left = FLeft;
    // A right-aligned label grows to the left, a centred one to both sides.
    if (!FWordWrap) {
        if (FAlignment == taRightJustify)
            left += FWidth - r.Width();
        else if (FAlignment == taCenter)
            left += (FWidth - r.Width()) / 2;
    }
    SetBounds(left, FTop, r.Width(), r.Height());
}

void TCustomLabel::CMTextChanged(TMessage& M)
{
    TGraphicControl::CMTextChanged(M);
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::CMFontChanged(TMessage& M)
{
    TGraphicControl::CMFontChanged(M);
    AdjustBounds();
}

void TCustomLabel::CMDialogChar(TMessage& M)
{
    M.Result = 0;
    if (!FFocusControl || !FEnabled || !FShowAccelChar || !IsAccel(QChar(char16_t(M.WParam)), FText))
        return;
    if (FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        M.Result = 1;
    }
}

void TCustomLabel::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_DIALOGCHAR) {
        CMDialogChar(Message);
        return;
    }
    TGraphicControl::Dispatch(Message);
}

// ---------------------------------------------------------------- TCustomCheckBox

namespace {
constexpr int CheckSize = 13;

// A caption beside a glyph: the glyph's rectangle and the caption's, for a left or right box.
void SplitGlyphAndCaption(const TRect& Client, bool BoxLeft, TRect& Box, TRect& Text)
{
    const int top = Client.Top + (Client.Height() - CheckSize) / 2;
    if (BoxLeft) {
        Box = TRect(Client.Left, top, Client.Left + CheckSize, top + CheckSize);
        Text = TRect(Box.Right + 4, Client.Top, Client.Right, Client.Bottom);
    } else {
        Box = TRect(Client.Right - CheckSize, top, Client.Right, top + CheckSize);
        Text = TRect(Client.Left, Client.Top, Box.Left - 4, Client.Bottom);
    }
}

// Draws a caption with its accelerator in Text, a focus frame round it when focused.
void PaintCaption(TCanvas* C, TRect Text, const QString& Caption, bool Enabled, bool Focused)
{
    HDC dc = C->Handle();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Enabled ? C->Font()->GetColor() : clGrayText));
    TRect calc = Text;
    DrawText(dc, Caption, -1, calc, DT_SINGLELINE | DT_CALCRECT);
    TRect r(Text.Left, Text.Top + (Text.Height() - calc.Height()) / 2, std::min(Text.Right, Text.Left + calc.Width()),
            Text.Top + (Text.Height() - calc.Height()) / 2 + calc.Height());
    DrawText(dc, Caption, -1, r, DT_SINGLELINE | DT_END_ELLIPSIS);
    if (Focused) {
        InflateRect(r, 1, 1);
        DrawFocusRect(dc, r);
    }
}
}  // namespace

// ---------------------------------------------------------------- TButtonControl

DOV_PUBLISHED(TButtonControl) {}

TButtonControl::TButtonControl(TComponent* AOwner) : TCustomControl(AOwner)
{
    FTabStop = true;
}

void TButtonControl::WndProc(TMessage& Message)
{
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK)
        && !ComponentState().Contains(csDesigning) && !Focused()) {
        FClicksDisabled = true;
        {
            auto restore = Finally([this] { FClicksDisabled = false; });
            if (CanFocus())
                SetFocus();
        }
        if (!Focused())
            return;
    }
    TCustomControl::WndProc(Message);
}

void TButtonControl::CMDialogChar(TMessage& M)
{
    M.Result = 0;
    if (!IsAccel(QChar(char16_t(M.WParam)), FText) || !CanFocus())
        return;
    SetFocus();
    if (Focused())
        Toggle();
    M.Result = 1;
}

void TButtonControl::CMTextChanged(TMessage& M)
{
    TCustomControl::CMTextChanged(M);
    Invalidate();
}

void TButtonControl::CMEnabledChanged(TMessage& M)
{
    TCustomControl::CMEnabledChanged(M);
    Invalidate();
}

DOV_PUBLISHED(TCustomCheckBox) {}

DOV_PUBLISHED(TCheckBox)
{
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    P.Prop("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed).Default(false);
    P.Prop("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState).Default(cbUnchecked);
    P.Prop("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked).Default(false);
    P.Prop("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment).Default(taRightJustify);
}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner)
{
    FWidth = 97;
    FHeight = 17;
    FTabStop = true;
    ControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
}

void TCustomCheckBox::SetState(TCheckBoxState Value)
{
    if (FState == Value)
        return;
    FState = Value;
    Invalidate();
    if (!ComponentState().Contains(csLoading))
        Click();
}

void TCustomCheckBox::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    Invalidate();
}

void TCustomCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

TRect TCustomCheckBox::BoxRect()
{
    TRect box, text;
    SplitGlyphAndCaption(ClientRect(), FAlignment == taRightJustify, box, text);
    return box;
}

void TCustomCheckBox::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
    TRect box, text;
    SplitGlyphAndCaption(ClientRect(), FAlignment == taRightJustify, box, text);
    UINT state = DFCS_BUTTONCHECK;
    if (FState == cbChecked)
        state |= DFCS_CHECKED;
    else if (FState == cbGrayed)
        state |= DFCS_CHECKED | DFCS_BUTTON3STATE;
    if (!FEnabled)
        state |= DFCS_INACTIVE;
    if (FPressed)
        state |= DFCS_PUSHED;
    DrawFrameControl(c->Handle(), box, DFC_BUTTON, state);
    c->Font()->Assign(Font());
    PaintCaption(c, text, FText, FEnabled, Focused());
}

void TCustomCheckBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FEnabled) {
        if (!Focused() && CanFocus())
            SetFocus();
        FTracking = true;
        FPressed = true;
        Invalidate();
    }
    TButtonControl::MouseDown(Button, Shift, X, Y);
}

void TCustomCheckBox::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FTracking) {
        const bool inside = PtInRect(ClientRect(), TPoint{X, Y});
        if (inside != FPressed) {
            FPressed = inside;
            Invalidate();
        }
    }
    TButtonControl::MouseMove(Shift, X, Y);
}

void TCustomCheckBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const bool click = FTracking && Button == mbLeft && PtInRect(ClientRect(), TPoint{X, Y});
    if (Button == mbLeft) {
        FTracking = false;
        FPressed = false;
        Invalidate();
    }
    TButtonControl::MouseUp(Button, Shift, X, Y);
    if (click)
        Toggle();
}

void TCustomCheckBox::KeyDown(Word& Key, TShiftState Shift)
{
    TButtonControl::KeyDown(Key, Shift);
    if (Key == VK_SPACE && FEnabled) {
        FSpaceDown = true;
        FPressed = true;
        Invalidate();
    }
}

void TCustomCheckBox::KeyUp(Word& Key, TShiftState Shift)
{
    TButtonControl::KeyUp(Key, Shift);
    if (Key == VK_SPACE && FSpaceDown) {
        FSpaceDown = false;
        FPressed = false;
        Invalidate();
        Toggle();
    }
}

void TCustomCheckBox::WMKillFocus(TMessage& M)
{
    TButtonControl::WMKillFocus(M);
    FSpaceDown = false;
    FPressed = false;
    Invalidate();
}

void TCustomCheckBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case BM_GETCHECK:
        Message.Result = FState == cbChecked ? BST_CHECKED : FState == cbGrayed ? BST_INDETERMINATE : BST_UNCHECKED;
        return;
    case BM_SETCHECK:
        SetState(Message.WParam == BST_CHECKED ? cbChecked : Message.WParam == BST_INDETERMINATE ? cbGrayed : cbUnchecked);
        Message.Result = 0;
        return;
    case BM_CLICK:
        if (FEnabled)
            Toggle();
        return;
    default: TButtonControl::Dispatch(Message);
    }
}

// ---------------------------------------------------------------- TCustomGroupBox

DOV_PUBLISHED(TCustomGroupBox) {}

DOV_PUBLISHED(TGroupBox)
{
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
}

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 185;
    FHeight = 105;
    ControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                 csReplicatable, csParentBackground};
}

int TCustomGroupBox::CaptionHeight() { return FontTextHeight(Font()); }

void TCustomGroupBox::AdjustClientRect(TRect& Rect)
{
    TCustomControl::AdjustClientRect(Rect);
    Rect.Top += CaptionHeight();
    InflateRect(Rect, -1, -1);
}

void TCustomGroupBox::Paint()
{
    TCanvas* c = Canvas();
    const TRect client = ClientRect();
    c->Brush()->SetColor(FColor);
    c->FillRect(client);
    c->Font()->Assign(Font());
    const int h = CaptionHeight();
    TRect frame(client.Left, client.Top + h / 2, client.Right, client.Bottom);
    DrawEdge(c->Handle(), frame, EDGE_ETCHED, BF_RECT);
    if (FText.isEmpty())
        return;
    HDC dc = c->Handle();
    TRect t(8, 0, client.Right - 8, h);
    DrawText(dc, FText, -1, t, DT_SINGLELINE | DT_CALCRECT);
    t.Right = std::min(t.Right, client.Right - 8);
    c->Brush()->SetColor(FColor);
    c->FillRect(TRect(t.Left - 2, t.Top, t.Right + 2, t.Bottom));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(FEnabled ? Font()->GetColor() : clGrayText));
    DrawText(dc, FText, -1, t, DT_SINGLELINE);
}

void TCustomGroupBox::CMTextChanged(TMessage& M)
{
    TCustomControl::CMTextChanged(M);
    Invalidate();
}

void TCustomGroupBox::CMFontChanged(TMessage& M)
{
    TCustomControl::CMFontChanged(M);
    Realign();
}

// ---------------------------------------------------------------- TCustomComboBox

DOV_PUBLISHED(TCustomComboBox) {}

DOV_PUBLISHED(TComboBox)
{
    P.Prop("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle).Default(csDropDown);
    P.Prop("Items", &TCustomComboBox::Items);
    P.Prop("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
    P.Prop("Text", &TCustomComboBox::Text, &TCustomComboBox::SetText);
    P.Prop("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount).Default(8);
    P.Prop("AutoComplete", &TCustomComboBox::AutoComplete, &TCustomComboBox::SetAutoComplete).Default(true);
    P.Event("OnChange", &TCustomComboBox::OnChange);
    P.Event("OnSelect", &TCustomComboBox::OnSelect);
    P.Event("OnDropDown", &TCustomComboBox::OnDropDown);
    P.Event("OnCloseUp", &TCustomComboBox::OnCloseUp);
}

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TCustomControl(AOwner), FItems(std::make_unique<TStringList>())
{
    FWidth = 145;
    FHeight = 21;
    FTabStop = true;
    ControlStyle = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csOpaque};
}

TCustomComboBox::~TCustomComboBox() = default;

void TCustomComboBox::AfterConstruction()
{
    TCustomControl::AfterConstruction();
    FItems->OnChange = TNotifyEvent(this, &TCustomComboBox::ItemsChanged);
}

TStrings* TCustomComboBox::Items() const { return FItems.get(); }

void TCustomComboBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TCustomComboBox::ItemsChanged(TObject*)
{
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    // In a list-only box the text is always the current item's.
    if (FStyle == csDropDownList)
        SetEditText(FItemIndex >= 0 ? FItems->Strings(FItemIndex) : QString(), 0, 0);
    if (FList && FList->Visible())
        FList->Place();
    Invalidate();
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value)
{
    if (FStyle == Value)
        return;
    FStyle = Value;
    if (FStyle == csDropDownList && FItems->IndexOf(FText) < 0)
        SetEditText(QString(), 0, 0);
    Invalidate();
}

void TCustomComboBox::SetItemIndex(int Value)
{
    if (Value < -1 || Value >= FItems->Count())
        Value = -1;
    FItemIndex = Value;
    SetEditText(Value >= 0 ? FItems->Strings(Value) : QString(), 0, 0);
    Invalidate();
}

void TCustomComboBox::SetText(const QString& Value)
{
    if (FStyle == csDropDownList) {
        SetItemIndex(FItems->IndexOf(Value));
        return;
    }
    FItemIndex = FItems->IndexOf(Value);
    SetEditText(Value, int(Value.size()), 0);
}

void TCustomComboBox::SetEditText(const QString& Value, int SelStart, int SelLength)
{
    FSelStart = std::clamp(SelStart, 0, int(Value.size()));
    FSelLength = std::clamp(SelLength, 0, int(Value.size()) - FSelStart);
    FInTextChange = true;
    TControl::SetText(Value);
    FInTextChange = false;
    Invalidate();
}

void TCustomComboBox::SelectAll() { SetEditText(FText, 0, int(FText.size())); }

void TCustomComboBox::CMTextChanged(TMessage& M)
{
    TCustomControl::CMTextChanged(M);
    // A text set from outside (a message, the form file) finds its item; OnChange is the
    // user's edits only.
    if (!FInTextChange) {
        FItemIndex = FItems->IndexOf(FText);
        FSelStart = int(FText.size());
        FSelLength = 0;
    }
    Invalidate();
}

void TCustomComboBox::CMEnabledChanged(TMessage& M)
{
    TCustomControl::CMEnabledChanged(M);
    if (!FEnabled)
        CloseList(false);
    Invalidate();
}

void TCustomComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::Select()
{
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown()
{
    if (OnDropDown)
        OnDropDown(this);
}

void TCustomComboBox::CloseUp()
{
    if (OnCloseUp)
        OnCloseUp(this);
}

void TCustomComboBox::ChooseItem(int Index)
{
    if (Index < 0 || Index >= FItems->Count() || Index == FItemIndex)
        return;
    FItemIndex = Index;
    const QString text = FItems->Strings(Index);
    SetEditText(text, 0, FStyle == csDropDown ? int(text.size()) : 0);
    Click();
    Select();
}

bool TCustomComboBox::DroppedDown() const { return FList && FList->Visible(); }

void TCustomComboBox::SetDroppedDown(bool Value)
{
    if (Value)
        OpenList();
    else
        CloseList(false);
}

int TCustomComboBox::HighlightIndex() const { return DroppedDown() ? FList->Highlight() : -1; }

void TCustomComboBox::OpenList()
{
    if (DroppedDown() || !FEnabled)
        return;
    DropDown();
    if (!FList) {
        FList = Create<TComboListWindow>(this);
        FList->SetVisible(false);
        FList->SetParentWindow(Handle());
    }
    FList->Place();
    FList->SetHighlight(FItemIndex);
    FList->SetVisible(true);
    Invalidate();
}

void TCustomComboBox::CloseList(bool Accept)
{
    if (!DroppedDown())
        return;
    const int chosen = FList->Highlight();
    FList->SetVisible(false);
    Invalidate();
    if (Accept)
        ChooseItem(chosen);
    CloseUp();
}

TRect TCustomComboBox::ButtonRect()
{
    const TRect c = ClientRect();
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    return TRect(c.Right - 2 - w, c.Top + 2, c.Right - 2, c.Bottom - 2);
}

TRect TCustomComboBox::TextRect()
{
    const TRect c = ClientRect();
    return TRect(c.Left + 3, c.Top + 3, ButtonRect().Left - 1, c.Bottom - 3);
}

void TCustomComboBox::Paint()
{
    TCanvas* c = Canvas();
    TRect client = ClientRect();
    c->Brush()->SetColor(FEnabled ? FColor : clBtnFace);
    c->FillRect(client);
    DrawEdge(c->Handle(), client, EDGE_SUNKEN, BF_RECT);
    TRect button = ButtonRect();
    UINT state = DFCS_SCROLLCOMBOBOX;
    if (DroppedDown())
        state |= DFCS_PUSHED | DFCS_FLAT;
    if (!FEnabled)
        state |= DFCS_INACTIVE;
    DrawFrameControl(c->Handle(), button, DFC_SCROLL, state);
    c->Font()->Assign(Font());
    const TRect t = TextRect();
    HDC dc = c->Handle();
    SetBkMode(dc, TRANSPARENT);
    const bool focused = Focused() && FEnabled;
    if (FStyle == csDropDownList) {
        if (focused && !DroppedDown()) {
            c->Brush()->SetColor(clHighlight);
            c->FillRect(t);
            DrawFocusRect(dc, t);
        }
        SetTextColor(dc, ColorToRGB(!FEnabled ? clGrayText : focused && !DroppedDown() ? clHighlightText : Font()->GetColor()));
        TRect r = t;
        r.Left += 1;
        DrawText(dc, FText, -1, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        return;
    }
    // An edit field: text, its selection while focused and the caret.
    TSize before{0, 0}, sel{0, 0};
    const QString head = FText.left(FSelStart);
    const QString mid = FText.mid(FSelStart, FSelLength);
    TSize full;
    GetTextExtentPoint32(dc, FText, full);
    GetTextExtentPoint32(dc, head, before);
    GetTextExtentPoint32(dc, mid, sel);
    const int y = t.Top + (t.Height() - full.cy) / 2;
    SetTextColor(dc, ColorToRGB(FEnabled ? Font()->GetColor() : clGrayText));
    TRect r = t;
    DrawText(dc, FText, -1, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (!focused)
        return;
    if (FSelLength > 0) {
        TRect s(t.Left + before.cx, y, std::min(t.Left + before.cx + sel.cx, t.Right), y + full.cy);
        c->Brush()->SetColor(clHighlight);
        c->FillRect(s);
        SetTextColor(dc, ColorToRGB(clHighlightText));
        DrawText(dc, mid, -1, s, DT_SINGLELINE | DT_NOPREFIX);
    } else {
        c->Brush()->SetColor(Font()->GetColor());
        c->FillRect(TRect(t.Left + before.cx, y, t.Left + before.cx + 1, y + std::max(full.cy, 1)));
    }
}

void TCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !FEnabled)
        return;
    if (!Focused() && CanFocus())
        SetFocus();
    const bool onButton = PtInRect(ButtonRect(), TPoint{X, Y});
    if (FStyle == csDropDown && !onButton) {
        // A click in the text places the caret at the nearest character.
        TBitmap b(1, 1);
        b.Canvas()->Font()->Assign(Font());
        int pos = int(FText.size());
        for (int i = 0; i <= FText.size(); ++i)
            if (TextRect().Left + b.Canvas()->TextWidth(FText.left(i)) >= X) {
                pos = i;
                break;
            }
        SetEditText(FText, pos, 0);
        return;
    }
    if (FClosedByThisPress) {
        FClosedByThisPress = false;
        return;
    }
    if (DroppedDown())
        CloseList(false);
    else
        OpenList();
}

bool TCustomComboBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    if (DroppedDown() || !Focused() || FItems->Count() == 0)
        return false;
    const int step = WheelDelta > 0 ? -1 : 1;
    ChooseItem(std::clamp(FItemIndex < 0 ? 0 : FItemIndex + step, 0, FItems->Count() - 1));
    return true;
}

void TCustomComboBox::WMGetDlgCode(TMessage& M)
{
    M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (DroppedDown())
        M.Result |= DLGC_WANTALLKEYS;
}

void TCustomComboBox::WMSetFocus(TMessage& M)
{
    TCustomControl::WMSetFocus(M);
    if (FStyle == csDropDown)
        SelectAll();
    Invalidate();
}

void TCustomComboBox::WMKillFocus(TMessage& M)
{
    TCustomControl::WMKillFocus(M);
    CloseList(false);
    FSearch.Reset();
    Invalidate();
}

// The form reports the focus leaving even where the window system does not.
void TCustomComboBox::CMExit(TMessage& M)
{
    CloseList(false);
    TCustomControl::CMExit(M);
}

void TCustomComboBox::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0)
        return;
    const bool alt = Shift.Contains(ssAlt);
    if ((Key == VK_F4 && !alt) || (alt && (Key == VK_DOWN || Key == VK_UP))) {
        if (DroppedDown())
            CloseList(true);
        else
            OpenList();
        Key = 0;
        return;
    }
    const int count = FItems->Count();
    if (DroppedDown()) {
        int h = FList->Highlight();
        const int page = std::max(FList->Rows() - 1, 1);
        switch (Key) {
        case VK_RETURN: CloseList(true); Key = 0; return;
        case VK_ESCAPE: CloseList(false); Key = 0; return;
        case VK_UP: h = h < 0 ? 0 : h - 1; break;
        case VK_DOWN: h = h + 1; break;
        case VK_PRIOR: h = h - page; break;
        case VK_NEXT: h = h < 0 ? page : h + page; break;
        case VK_HOME: h = 0; break;
        case VK_END: h = count - 1; break;
        default: return;
        }
        if (count > 0)
            FList->SetHighlight(std::clamp(h, 0, count - 1));
        Key = 0;
        return;
    }
    int next = -2;
    switch (Key) {
    case VK_UP: next = FItemIndex - 1; break;
    case VK_DOWN: next = FItemIndex + 1; break;
    case VK_PRIOR: next = FItemIndex - std::max(FDropDownCount - 1, 1); break;
    case VK_NEXT: next = FItemIndex + std::max(FDropDownCount - 1, 1); break;
    case VK_HOME: if (FStyle == csDropDownList) next = 0; break;
    case VK_END: if (FStyle == csDropDownList) next = count - 1; break;
    default: break;
    }
    if (next != -2) {
        if (count > 0)
            ChooseItem(std::clamp(next, 0, count - 1));
        Key = 0;
        return;
    }
    if (FStyle == csDropDown)
        EditKey(Key, Shift);
}

// Caret keys of the edit field; the text itself changes by characters (KeyPress).
void TCustomComboBox::EditKey(Word& Key, TShiftState Shift)
{
    const int len = int(FText.size());
    const int caret = FSelStart + FSelLength;
    switch (Key) {
    case VK_LEFT: SetEditText(FText, FSelLength > 0 ? FSelStart : std::max(caret - 1, 0), 0); break;
    case VK_RIGHT: SetEditText(FText, FSelLength > 0 ? caret : std::min(caret + 1, len), 0); break;
    case VK_HOME: SetEditText(FText, 0, Shift.Contains(ssShift) ? caret : 0); break;
    case VK_END:
        if (Shift.Contains(ssShift))
            SetEditText(FText, FSelStart, len - FSelStart);
        else
            SetEditText(FText, len, 0);
        break;
    case VK_DELETE: {
        QString t = FText;
        if (FSelLength > 0)
            t.remove(FSelStart, FSelLength);
        else if (FSelStart < len)
            t.remove(FSelStart, 1);
        else
            break;
        FItemIndex = FItems->IndexOf(t);
        SetEditText(t, FSelStart, 0);
        Change();
        break;
    }
    default: return;
    }
    Key = 0;
}

void TCustomComboBox::KeyPress(QChar& Key)
{
    TCustomControl::KeyPress(Key);
    if (Key.isNull())
        return;
    const char16_t k = Key.unicode();
    if (k == 13 || k == 27 || k == 9)
        return;
    if (FStyle == csDropDownList) {
        if (k >= 32) {
            const int found = FSearch.Type(Key, FItems.get(), DroppedDown() ? FList->Highlight() : FItemIndex);
            if (found >= 0) {
                if (DroppedDown())
                    FList->SetHighlight(found);
                else
                    ChooseItem(found);
            }
        }
        Key = QChar();
        return;
    }
    if (k == 8 || k >= 32)
        TypeChar(Key);
    Key = QChar();
}

// Typing into the edit field: the character replaces the selection; at the end of the text
// the first item that starts with what was typed completes it, its rest selected.
void TCustomComboBox::TypeChar(QChar Key)
{
    QString t = FText;
    int caret = FSelStart;
    if (Key.unicode() == 8) {
        if (FSelLength > 0)
            t.remove(FSelStart, FSelLength);
        else if (caret > 0)
            t.remove(--caret, 1);
        else
            return;
        FItemIndex = FItems->IndexOf(t);
        SetEditText(t, caret, 0);
        Change();
        return;
    }
    t.remove(FSelStart, FSelLength);
    t.insert(caret++, Key);
    int selLength = 0;
    int index = FItems->IndexOf(t);
    if (FAutoComplete && caret == t.size()) {
        const int found = FindPrefix(FItems.get(), t, 0);
        if (found >= 0) {
            index = found;
            const QString item = FItems->Strings(found);
            t += item.mid(t.size());
            selLength = int(t.size()) - caret;
        }
    }
    FItemIndex = index;
    if (DroppedDown() && index >= 0)
        FList->SetHighlight(index);
    SetEditText(t, caret, selLength);
    Change();
}

void TCustomComboBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CB_SHOWDROPDOWN: SetDroppedDown(Message.WParam != 0); Message.Result = 1; return;
    case CB_GETDROPPEDSTATE: Message.Result = DroppedDown() ? 1 : 0; return;
    case CB_GETCOUNT: Message.Result = FItems->Count(); return;
    case CB_GETCURSEL: Message.Result = FItemIndex; return;
    case CB_SETCURSEL:
        SetItemIndex(int(intptr_t(Message.WParam)));
        Message.Result = FItemIndex >= 0 ? FItemIndex : CB_ERR;
        return;
    case CB_FINDSTRING: case CB_SELECTSTRING: {
        const QString* s = reinterpret_cast<const QString*>(Message.LParam);
        const int start = int(intptr_t(Message.WParam));
        const int found = s ? FindPrefix(FItems.get(), *s, start < 0 || start >= FItems->Count() ? 0 : start + 1) : -1;
        if (Message.Msg == CB_SELECTSTRING && found >= 0)
            SetItemIndex(found);
        Message.Result = found >= 0 ? found : CB_ERR;
        return;
    }
    default: TCustomControl::Dispatch(Message);
    }
}

// ---------------------------------------------------------------- TComboListWindow

DOV_PUBLISHED(TComboListWindow) {}

TComboListWindow::TComboListWindow(TComponent* AOwner)
    : TCustomControl(AOwner), FCombo(dynamic_cast<TCustomComboBox*>(AOwner))
{
    ControlStyle = TControlStyle{csCaptureMouse, csOpaque};
    FColor = clWindow;
    FParentColor = false;
}

void TComboListWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style &= ~(WS_CHILD | WS_TABSTOP);
    Params.Style |= WS_POPUP | WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

int TComboListWindow::ItemHeight() { return FontTextHeight(FCombo->Font()) + 2; }

void TComboListWindow::Place()
{
    const int count = FCombo->FItems->Count();
    FRows = std::clamp(count, 1, FCombo->FDropDownCount);
    const int h = FRows * ItemHeight() + 2;
    TPoint p = FCombo->ClientToScreen(TPoint{0, FCombo->Height()});
    if (Screen) {
        const TRect work = Screen->WorkAreaRect();
        // No room below: open upwards.
        if (p.Y + h > work.Bottom && p.Y - FCombo->Height() - h >= work.Top)
            p.Y -= FCombo->Height() + h;
    }
    SetBounds(p.X, p.Y, FCombo->Width(), h);
    const bool needBar = count > FRows;
    if (needBar && !FScrollBar) {
        FScrollBar = Create<TScrollBar>(this);
        FScrollBar->SetKind(sbVertical);
        FScrollBar->SetTabStop(false);
        FScrollBar->SetParent(this);
        FScrollBar->OnChange = TNotifyEvent([this](TObject*) { ScrollTo(FScrollBar->Position()); });
    }
    if (FScrollBar) {
        FScrollBar->SetVisible(needBar);
        const int w = GetSystemMetrics(SM_CXVSCROLL);
        FScrollBar->SetBounds(ClientWidth() - w, 0, w, ClientHeight());
        if (needBar) {
            FScrollBar->SetParams(FTopIndex, 0, count - 1);
            FScrollBar->SetPageSize(FRows);
            FScrollBar->LargeChange = FRows;
        }
    }
    ScrollTo(FTopIndex);
}

void TComboListWindow::ScrollTo(int Top)
{
    const int count = FCombo->FItems->Count();
    Top = std::clamp(Top, 0, std::max(count - FRows, 0));
    if (Top == FTopIndex && (!FScrollBar || FScrollBar->Position() == Top))
        return;
    FTopIndex = Top;
    if (FScrollBar && FScrollBar->Position() != Top)
        FScrollBar->SetPosition(Top);
    Invalidate();
}

void TComboListWindow::SetHighlight(int Value)
{
    FHighlight = Value;
    if (Value >= 0) {
        if (Value < FTopIndex)
            ScrollTo(Value);
        else if (Value >= FTopIndex + FRows)
            ScrollTo(Value - FRows + 1);
    }
    Invalidate();
}

int TComboListWindow::ItemAt(int Y)
{
    const int i = FTopIndex + Y / std::max(ItemHeight(), 1);
    return Y >= 0 && i < FCombo->FItems->Count() ? i : -1;
}

void TComboListWindow::Paint()
{
    TCanvas* c = Canvas();
    c->Font()->Assign(FCombo->Font());
    const TRect client = ClientRect();
    const int barWidth = FScrollBar && FScrollBar->Visible() ? FScrollBar->Width() : 0;
    c->Brush()->SetColor(clWindow);
    c->FillRect(client);
    const int h = ItemHeight();
    for (int row = 0; row < FRows; ++row) {
        const int i = FTopIndex + row;
        if (i >= FCombo->FItems->Count())
            break;
        TRect r(0, row * h, client.Right - barWidth, (row + 1) * h);
        PaintRow(c, r, FCombo->FItems->Strings(i), i == FHighlight, clWindow);
    }
}

void TComboListWindow::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    const int i = ItemAt(Y);
    if (i >= 0 && i != FHighlight && PtInRect(ClientRect(), TPoint{X, Y}))
        SetHighlight(i);
}

void TComboListWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !PtInRect(ClientRect(), TPoint{X, Y}))
        return;
    const int i = ItemAt(Y);
    if (i < 0)
        return;
    FHighlight = i;
    FCombo->CloseList(true);
}

bool TComboListWindow::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    ScrollTo(FTopIndex + (WheelDelta > 0 ? -3 : 3));
    return true;
}

// A press outside closes the list; a press on the combo's own button must not reopen it.
void TComboListWindow::CMCancelMode(TMessage& M)
{
    TCustomControl::CMCancelMode(M);
    if (!Visible())
        return;
    if (reinterpret_cast<TWinControl*>(M.LParam) == FCombo)
        FCombo->FClosedByThisPress = true;
    FCombo->CloseList(false);
}

// ---------------------------------------------------------------- TCustomListBox

DOV_PUBLISHED(TCustomListBox) {}

DOV_PUBLISHED(TListBox)
{
    P.Prop("Items", &TCustomListBox::Items);
    P.Prop("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex).Default(-1);
    P.Prop("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect).Default(false);
    P.Prop("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect).Default(true);
    P.Prop("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Default(false);
}

TCustomListBox::TCustomListBox(TComponent* AOwner) : TCustomControl(AOwner), FItems(std::make_unique<TStringList>())
{
    FWidth = 121;
    FHeight = 97;
    FTabStop = true;
    FColor = clWindow;
    FParentColor = false;
    ControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csOpaque, csCaptureMouse};
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::AfterConstruction()
{
    TCustomControl::AfterConstruction();
    FItems->OnChange = TNotifyEvent(this, &TCustomListBox::ItemsChanged);
    FScrollBar = Create<TScrollBar>(this);
    FScrollBar->SetKind(sbVertical);
    FScrollBar->SetTabStop(false);
    FScrollBar->SetVisible(false);
    FScrollBar->SetParent(this);
    FScrollBar->OnChange = TNotifyEvent([this](TObject*) { SetTopIndex(FScrollBar->Position()); });
}

TStrings* TCustomListBox::Items() const { return FItems.get(); }
void TCustomListBox::SetItems(TStrings* Value) { FItems->Assign(Value); }
bool TCustomListBox::Sorted() const { return FItems->Sorted(); }
void TCustomListBox::SetSorted(bool Value) { FItems->SetSorted(Value); }

void TCustomListBox::ItemsChanged(TObject*)
{
    // Selection flags follow the count; a changed list keeps no stale selection past its end.
    FSelected.resize(size_t(FItems->Count()), false);
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    if (FAnchor >= FItems->Count())
        FAnchor = -1;
    UpdateScrollBar();
    Invalidate();
}

int TCustomListBox::ItemHeight() { return FontTextHeight(Font()) + 1; }

int TCustomListBox::VisibleRows() { return std::max((ClientHeight() - 4) / std::max(ItemHeight(), 1), 1); }

TRect TCustomListBox::ItemRect(int Index)
{
    const int h = ItemHeight();
    const int right = ClientWidth() - 2 - (FScrollBar && FScrollBar->Visible() ? FScrollBar->Width() : 0);
    const int top = 2 + (Index - FTopIndex) * h;
    return TRect(2, top, right, top + h);
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing)
{
    if (Pos.Y < 2)
        return Existing ? -1 : FTopIndex;
    const int i = FTopIndex + (Pos.Y - 2) / std::max(ItemHeight(), 1);
    if (i < FItems->Count())
        return i;
    return Existing ? -1 : FItems->Count();
}

void TCustomListBox::SetItemIndex(int Value)
{
    if (Value < -1 || Value >= FItems->Count())
        Value = -1;
    if (!FMultiSelect) {
        FItemIndex = Value;
    } else {
        FItemIndex = Value;
        if (Value >= 0)
            FSelected[size_t(Value)] = true;
    }
    FAnchor = Value;
    MakeVisible(Value);
    Invalidate();
}

void TCustomListBox::SetMultiSelect(bool Value)
{
    if (FMultiSelect == Value)
        return;
    FMultiSelect = Value;
    std::fill(FSelected.begin(), FSelected.end(), false);
    if (Value && FItemIndex >= 0)
        FSelected[size_t(FItemIndex)] = true;
    Invalidate();
}

bool TCustomListBox::Selected(int Index) const
{
    if (Index < 0 || Index >= FItems->Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return FMultiSelect ? bool(FSelected[size_t(Index)]) : Index == FItemIndex;
}

void TCustomListBox::SetSelected(int Index, bool Value)
{
    if (Index < 0 || Index >= FItems->Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    if (FMultiSelect)
        FSelected[size_t(Index)] = Value;
    else if (Value)
        FItemIndex = Index;
    else if (FItemIndex == Index)
        FItemIndex = -1;
    Invalidate();
}

int TCustomListBox::SelCount() const
{
    if (!FMultiSelect)
        return -1;
    return int(std::count(FSelected.begin(), FSelected.end(), true));
}

void TCustomListBox::ClearSelection()
{
    std::fill(FSelected.begin(), FSelected.end(), false);
    if (!FMultiSelect)
        FItemIndex = -1;
    Invalidate();
}

void TCustomListBox::SelectRange(int From, int To)
{
    std::fill(FSelected.begin(), FSelected.end(), false);
    for (int i = std::min(From, To); i <= std::max(From, To); ++i)
        if (i >= 0 && i < int(FSelected.size()))
            FSelected[size_t(i)] = true;
}

void TCustomListBox::SetTopIndex(int Value)
{
    Value = std::clamp(Value, 0, std::max(FItems->Count() - VisibleRows(), 0));
    if (Value == FTopIndex)
        return;
    FTopIndex = Value;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::MakeVisible(int Index)
{
    if (Index < 0)
        return;
    if (Index < FTopIndex)
        SetTopIndex(Index);
    else if (Index >= FTopIndex + VisibleRows())
        SetTopIndex(Index - VisibleRows() + 1);
}

void TCustomListBox::UpdateScrollBar()
{
    if (!FScrollBar)
        return;
    const int rows = VisibleRows();
    const int count = FItems->Count();
    const bool need = count > rows;
    FScrollBar->SetVisible(need);
    if (!need) {
        FTopIndex = 0;
        return;
    }
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    FScrollBar->SetBounds(ClientWidth() - 2 - w, 2, w, std::max(ClientHeight() - 4, 0));
    FScrollBar->SetPageSize(0);
    FScrollBar->SetParams(FTopIndex, 0, count - 1);
    FScrollBar->SetPageSize(rows);
    FScrollBar->LargeChange = rows;
}

void TCustomListBox::Resize()
{
    TCustomControl::Resize();
    UpdateScrollBar();
    SetTopIndex(FTopIndex);
}

void TCustomListBox::Paint()
{
    TCanvas* c = Canvas();
    TRect client = ClientRect();
    c->Brush()->SetColor(FColor);
    c->FillRect(client);
    DrawEdge(c->Handle(), client, EDGE_SUNKEN, BF_RECT);
    c->Font()->Assign(Font());
    const int rows = VisibleRows() + 1;
    const bool focused = Focused();
    for (int i = FTopIndex; i < FItems->Count() && i < FTopIndex + rows; ++i) {
        TRect r = ItemRect(i);
        r.Bottom = std::min(r.Bottom, client.Bottom - 2);
        if (r.Top >= r.Bottom)
            break;
        const bool selected = FMultiSelect ? bool(FSelected[size_t(i)]) : i == FItemIndex;
        PaintRow(c, r, FItems->Strings(i), selected && FEnabled, FColor);
        if (focused && i == FItemIndex)
            DrawFocusRect(c->Handle(), r);
    }
}

void TCustomListBox::MoveCaret(int Index, TShiftState Shift, bool Toggle)
{
    if (FItems->Count() == 0)
        return;
    Index = std::clamp(Index, 0, FItems->Count() - 1);
    const int oldIndex = FItemIndex;
    const std::vector<bool> oldSelected = FSelected;
    FItemIndex = Index;
    if (FMultiSelect) {
        if (!FExtendedSelect || Toggle) {
            // Plain multi-select toggles the item; Ctrl toggles in extended mode.
            if (Toggle || !FExtendedSelect)
                FSelected[size_t(Index)] = !FSelected[size_t(Index)];
            FAnchor = Index;
        } else if (Shift.Contains(ssShift) && FAnchor >= 0) {
            SelectRange(FAnchor, Index);
        } else {
            SelectRange(Index, Index);
            FAnchor = Index;
        }
    } else {
        FAnchor = Index;
    }
    MakeVisible(Index);
    Invalidate();
    if (oldIndex != FItemIndex || oldSelected != FSelected)
        Click();
}

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FEnabled) {
        if (!Focused() && CanFocus())
            SetFocus();
        const int i = ItemAtPos(TPoint{X, Y});
        if (i >= 0 && !Shift.Contains(ssDouble)) {
            FTracking = true;
            MoveCaret(i, Shift, FMultiSelect && Shift.Contains(ssCtrl));
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    // Dragging with the button down moves the current item (extends the range when extended).
    if (FTracking && (!FMultiSelect || FExtendedSelect)) {
        const int i = ItemAtPos(TPoint{X, std::clamp(Y, 2, std::max(ClientHeight() - 3, 2))});
        if (i >= 0 && i != FItemIndex)
            MoveCaret(i, FMultiSelect ? TShiftState{ssShift} : TShiftState{}, false);
    }
}

void TCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft)
        FTracking = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    SetTopIndex(FTopIndex + (WheelDelta > 0 ? -3 : 3));
    return true;
}

void TCustomListBox::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const int count = FItems->Count();
    if (Key == 0 || count == 0)
        return;
    const int page = std::max(VisibleRows() - 1, 1);
    const int cur = FItemIndex;
    int next = -2;
    switch (Key) {
    case VK_UP: case VK_LEFT: next = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: case VK_RIGHT: next = cur + 1; break;
    case VK_PRIOR: next = cur - page; break;
    case VK_NEXT: next = cur < 0 ? page : cur + page; break;
    case VK_HOME: next = 0; break;
    case VK_END: next = count - 1; break;
    case VK_SPACE:
        // Space (Ctrl+Space in extended mode) toggles the current item of a multi-select list.
        if (FMultiSelect && cur >= 0 && (!FExtendedSelect || Shift.Contains(ssCtrl))) {
            MoveCaret(cur, Shift, true);
            Key = 0;
        }
        return;
    default: return;
    }
    // Ctrl moves the caret alone in an extended list.
    if (FMultiSelect && FExtendedSelect && Shift.Contains(ssCtrl) && !Shift.Contains(ssShift)) {
        FItemIndex = std::clamp(next, 0, count - 1);
        MakeVisible(FItemIndex);
        Invalidate();
    } else if (FMultiSelect && !FExtendedSelect) {
        FItemIndex = std::clamp(next, 0, count - 1);
        MakeVisible(FItemIndex);
        Invalidate();
    } else {
        MoveCaret(next, Shift, false);
    }
    Key = 0;
}

void TCustomListBox::KeyPress(QChar& Key)
{
    TCustomControl::KeyPress(Key);
    if (Key.isNull() || Key.unicode() < 32)
        return;
    if (FMultiSelect && !FExtendedSelect && Key == u' ')
        return;
    const int found = FSearch.Type(Key, FItems.get(), FItemIndex);
    if (found >= 0)
        MoveCaret(found, TShiftState{}, false);
    Key = QChar();
}

void TCustomListBox::WMSetFocus(TMessage& M)
{
    TCustomControl::WMSetFocus(M);
    Invalidate();
}

void TCustomListBox::WMKillFocus(TMessage& M)
{
    TCustomControl::WMKillFocus(M);
    FSearch.Reset();
    Invalidate();
}

void TCustomListBox::Dispatch(TMessage& Message)
{
    const int count = FItems->Count();
    auto index = [&] { return int(intptr_t(Message.WParam)); };
    switch (Message.Msg) {
    case LB_GETCOUNT: Message.Result = count; return;
    case LB_GETCURSEL: Message.Result = FMultiSelect ? FItemIndex : (FItemIndex >= 0 ? FItemIndex : LB_ERR); return;
    case LB_SETCURSEL:
        if (FMultiSelect) {
            Message.Result = LB_ERR;
            return;
        }
        SetItemIndex(index());
        Message.Result = FItemIndex >= 0 ? FItemIndex : LB_ERR;
        return;
    case LB_GETSEL: {
        const int i = int(intptr_t(Message.WParam));
        Message.Result = i >= 0 && i < count ? (Selected(i) ? 1 : 0) : LB_ERR;
        return;
    }
    case LB_SETSEL: {
        // WParam the flag, LParam the item (-1: every item).
        const int i = int(intptr_t(Message.LParam));
        if (!FMultiSelect || i < -1 || i >= count) {
            Message.Result = LB_ERR;
            return;
        }
        if (i == -1)
            std::fill(FSelected.begin(), FSelected.end(), Message.WParam != 0);
        else
            FSelected[size_t(i)] = Message.WParam != 0;
        Invalidate();
        Message.Result = 0;
        return;
    }
    case LB_GETSELCOUNT: Message.Result = FMultiSelect ? SelCount() : LB_ERR; return;
    case LB_GETTOPINDEX: Message.Result = FTopIndex; return;
    case LB_SETTOPINDEX: SetTopIndex(index()); Message.Result = 0; return;
    case LB_GETITEMHEIGHT: Message.Result = ItemHeight(); return;
    case LB_FINDSTRING: case LB_SELECTSTRING: {
        // Searching starts after the WParam item (-1: from the top) and wraps round.
        const QString* s = reinterpret_cast<const QString*>(Message.LParam);
        const int start = index();
        const int found = s && count > 0 ? FindPrefix(FItems.get(), *s, start < 0 || start >= count ? 0 : start + 1) : -1;
        if (Message.Msg == LB_SELECTSTRING && found >= 0 && !FMultiSelect)
            SetItemIndex(found);
        Message.Result = found >= 0 ? found : LB_ERR;
        return;
    }
    default: TCustomControl::Dispatch(Message);
    }
}
