#include "CalculatorEh.h"

#include "platform/rtl/DataModule.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/WinGdi.h"

#include <cmath>

static void InitCalculatorResource() { Q_INIT_RESOURCE(CalculatorEh); }

namespace {

constexpr QChar kEnter(VK_RETURN);
constexpr QChar kEscape(VK_ESCAPE);
constexpr QChar kBackspace(VK_BACK);
constexpr QChar kCopy(3);
constexpr QChar kPaste(22);

// The key each button sends, by its Tag.
const QChar kButtonKeys[] = {QChar(), u'7', u'8', u'9', u'/', u'S', u'C', u'4', u'5', u'6', u'*', u'%',
                             u'A',    u'1', u'2', u'3', u'-', u'R', kBackspace, u'0', u'I', u'.', u'+', u'='};

bool IsArithmetic(QChar Op)
{
    return Op == u'*' || Op == u'+' || Op == u'-' || Op == u'/';
}

bool IsOperatorKey(QChar Key)
{
    return IsArithmetic(Key) || Key == u'%' || Key == u'=' || Key == kEnter;
}

}  // namespace

// ---------------------------------------------------------------- TCalculatorEh

DOV_PUBLISHED(TCalculatorEh)
{
    P.Prop("BorderStyle", &TCalculatorEh::BorderStyle, &TCalculatorEh::SetBorderStyle).Default(bsNone);
    P.Prop("ClientHeight", [](TCalculatorEh* c) { return c->ClientHeight(); }, &TCalculatorEh::SetClientHeight)
        .Stored(false);
    P.Prop("ClientWidth", [](TCalculatorEh* c) { return c->ClientWidth(); }, &TCalculatorEh::SetClientWidth)
        .Stored(false);
    P.Prop("OldCreateOrder", &TCalculatorEh::FOldCreateOrder).Default(false);
    P.Prop("PixelsPerInch", &TCalculatorEh::PixelsPerInch, &TCalculatorEh::SetPixelsPerInch).Stored(false);
    P.Field("Panel1", &TCalculatorEh::Panel1);
    P.Field("SpeedButton1", &TCalculatorEh::SpeedButton1);
    P.Field("SpeedButton2", &TCalculatorEh::SpeedButton2);
    P.Field("SpeedButton3", &TCalculatorEh::SpeedButton3);
    P.Field("SpeedButton4", &TCalculatorEh::SpeedButton4);
    P.Field("SpeedButton5", &TCalculatorEh::SpeedButton5);
    P.Field("SpeedButton6", &TCalculatorEh::SpeedButton6);
    P.Field("SpeedButton7", &TCalculatorEh::SpeedButton7);
    P.Field("SpeedButton8", &TCalculatorEh::SpeedButton8);
    P.Field("SpeedButton9", &TCalculatorEh::SpeedButton9);
    P.Field("SpeedButton10", &TCalculatorEh::SpeedButton10);
    P.Field("SpeedButton11", &TCalculatorEh::SpeedButton11);
    P.Field("SpeedButton12", &TCalculatorEh::SpeedButton12);
    P.Field("SpeedButton13", &TCalculatorEh::SpeedButton13);
    P.Field("SpeedButton14", &TCalculatorEh::SpeedButton14);
    P.Field("SpeedButton15", &TCalculatorEh::SpeedButton15);
    P.Field("SpeedButton16", &TCalculatorEh::SpeedButton16);
    P.Field("SpeedButton18", &TCalculatorEh::SpeedButton18);
    P.Field("SpeedButton19", &TCalculatorEh::SpeedButton19);
    P.Field("SpeedButton20", &TCalculatorEh::SpeedButton20);
    P.Field("SpeedButton22", &TCalculatorEh::SpeedButton22);
    P.Field("SpeedButton23", &TCalculatorEh::SpeedButton23);
    P.Field("SpeedButton24", &TCalculatorEh::SpeedButton24);
    P.Field("spEqual", &TCalculatorEh::spEqual);
    P.Field("TextBox", &TCalculatorEh::TextBox);
    P.Method("SpeedButtonClick", &TCalculatorEh::SpeedButtonClick);
}

TCalculatorEh::TCalculatorEh(TComponent* AOwner) : TCustomControlEh(AOwner)
{
    FTabStop = true;
    FColor = clBtnFace;
    FParentColor = false;
    ControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks};
}

void TCalculatorEh::AfterConstruction()
{
    TCustomControlEh::AfterConstruction();
    RegisterCalculatorClasses();
    FPixelsPerInch = Screen->PixelsPerInch;
    if (!CreatingFromStream())
        InitInheritedComponent(this, TCustomControlEh::StaticClassInfo());
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButtonEh*>(Components(i))) {
            b->SetStyle(ebsGlyphEh);
            b->SetActive(true);
        }
    UpdateEqualButton();
    AdjustSize();
}

void TCalculatorEh::DefineProperties(TFiler* Filer)
{
    TCustomControlEh::DefineProperties(Filer);
    Filer->DefineProperty(
        QStringLiteral("TextHeight"), [this](TReader* r) { FTextHeight = r->ReadInteger(); },
        [this](TWriter* w) { w->WriteInteger(FTextHeight); }, FTextHeight != 0);
}

void TCalculatorEh::SetClientWidth(int Value)
{
    FClientWidth = Value;
    if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) {
        FClientWidthSet = true;
        return;
    }
    AdjustSize();
}

void TCalculatorEh::SetClientHeight(int Value)
{
    FClientHeight = Value;
    if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) {
        FClientHeightSet = true;
        return;
    }
    AdjustSize();
}

void TCalculatorEh::SetPixelsPerInch(int Value)
{
    if (Value == FPixelsPerInch || (Value != 0 && Value <= 35))
        return;
    if (ComponentState().Contains(csLoading) && FPixelsPerInch == 0)
        return;
    FPixelsPerInch = Value;
}

void TCalculatorEh::ScaleContents(int M, int D)
{
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TControl*>(Components(i))) {
            c->SetBounds(MulDiv(c->Left(), M, D), MulDiv(c->Top(), M, D), MulDiv(c->Width(), M, D),
                         MulDiv(c->Height(), M, D));
            if (!c->ParentFont())
                c->Font()->SetHeight(MulDiv(c->Font()->GetHeight(), M, D));
        }
    if (FClientWidthSet)
        FClientWidth = MulDiv(FClientWidth, M, D);
    if (FClientHeightSet)
        FClientHeight = MulDiv(FClientHeight, M, D);
}

void TCalculatorEh::Loaded()
{
    TCustomControlEh::Loaded();
    const int screenPpi = Screen->PixelsPerInch;
    if (FPixelsPerInch > 0 && FTextHeight > 0) {
        // The resource was laid out for its own density and font; follow the screen's.
        if (FPixelsPerInch != screenPpi)
            Font()->SetHeight(MulDiv(Font()->GetHeight(), screenPpi, FPixelsPerInch));
        const int textHeight = MeasureCanvasEh(Font())->TextHeight(QStringLiteral("0"));
        if (textHeight > 0 && textHeight != FTextHeight) {
            ScaleContents(textHeight, FTextHeight);
            FTextHeight = textHeight;
        }
        FPixelsPerInch = screenPpi;
    }
    UpdateDisplayAlignment();
    AdjustSize();
}

int TCalculatorEh::FrameWidth() const
{
    if (FBorderStyle != bsSingle)
        return 0;
    return FCtl3D ? 2 : 1;
}

void TCalculatorEh::AdjustSize()
{
    if (ComponentState().Contains(csLoading) || FClientWidth <= 0 || FClientHeight <= 0)
        return;
    const int frame = 2 * FrameWidth();
    SetBounds(Left(), Top(), FClientWidth + frame, FClientHeight + frame);
}

void TCalculatorEh::SetBorderStyle(TBorderStyle Value)
{
    if (FBorderStyle == Value)
        return;
    FBorderStyle = Value;
    if (HandleAllocated())
        RecreateWnd();
    AdjustSize();
}

void TCalculatorEh::SetCtl3D(bool Value)
{
    if (FCtl3D == Value)
        return;
    FCtl3D = Value;
    if (HandleAllocated())
        RecreateWnd();
    AdjustSize();
}

void TCalculatorEh::CreateParams(TCreateParams& Params)
{
    TCustomControlEh::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TCalculatorEh::WMNCCalcSize(TMessage& M)
{
    const int frame = FrameWidth();
    InflateRect(*reinterpret_cast<TRect*>(M.LParam), -frame, -frame);
}

void TCalculatorEh::WMNCPaint(TMessage& M)
{
    if (FBorderStyle != bsSingle)
        return;
    HDC dc = reinterpret_cast<HDC>(M.LParam);
    TRect r(0, 0, Width(), Height());
    if (FCtl3D) {
        DrawEdge(dc, r, EDGE_SUNKEN, BF_RECT);
    } else {
        HBRUSH b = CreateSolidBrush(ColorToRGB(clWindowFrame));
        FrameRect(dc, r, b);
        DeleteObject(b);
    }
}

void TCalculatorEh::Paint()
{
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
}

void TCalculatorEh::WMGetDlgCode(TMessage& M)
{
    M.Result = DLGC_WANTCHARS;
}

void TCalculatorEh::CMBiDiModeChanged(TMessage& M)
{
    TCustomControlEh::CMBiDiModeChanged(M);
    UpdateDisplayAlignment();
}

void TCalculatorEh::UpdateDisplayAlignment()
{
    if (TextBox)
        TextBox->SetAlignment(UseRightToLeftReading() ? taLeftJustify : taRightJustify);
}

QString TCalculatorEh::DisplayText() const
{
    return TextBox ? TextBox->Caption() : QString();
}

void TCalculatorEh::SetDisplayText(const QString& Value)
{
    if (TextBox)
        TextBox->SetCaption(Value);
}

double TCalculatorEh::DisplayValue() const
{
    if (FStatus == csErrorEh)
        return 0;
    return StrToFloat(DisplayText().trimmed());
}

void TCalculatorEh::SetDisplayValue(double Value)
{
    // An overflow shows as the error, never as a text that cannot be read back.
    if (!std::isfinite(Value)) {
        Error();
        return;
    }
    SetDisplayText(FloatToStrF(Value + 0.0, ffGeneral, 15, 0));
}

void TCalculatorEh::DoCopy()
{
    Clipboard()->SetAsText(DisplayText());
}

void TCalculatorEh::Paste()
{
    if (Clipboard()->HasFormat(CF_TEXT))
        SetDisplayValue(StrToFloat(Clipboard()->AsText().trimmed()));
}

void TCalculatorEh::BeginEntry()
{
    if (FStatus != csFirstEh)
        return;
    FStatus = csValidEh;
    SetDisplayText(QStringLiteral("0"));
}

void TCalculatorEh::Error()
{
    FStatus = csErrorEh;
    SetDisplayText(QStringLiteral("Error"));
}

void TCalculatorEh::Clear()
{
    FStatus = csFirstEh;
    SetDisplayValue(0);
    FOperator = u'=';
    FOperand = 0;
}

void TCalculatorEh::ProcessKey(QChar Key)
{
    Key = Key.toUpper();
    if (FStatus == csErrorEh && Key != u'C' && Key != kEscape)
        Key = QChar();
    const QChar decimal = FormatSettings.DecimalSeparator;
    if (Key == decimal || Key == u',' || Key == u'.') {
        BeginEntry();
        if (!DisplayText().contains(decimal))
            SetDisplayText(DisplayText() + decimal);
        return;
    }
    if (Key == kCopy) {
        DoCopy();
    } else if (Key == kPaste) {
        Paste();
    } else if (Key == kBackspace) {
        BeginEntry();
        const QString text = DisplayText();
        if (text.size() == 1 || (text.size() == 2 && text.startsWith(u'-')))
            SetDisplayText(QStringLiteral("0"));
        else
            SetDisplayText(text.left(text.size() - 1));
    } else if (IsOperatorKey(Key)) {
        if (FStatus == csValidEh) {
            FStatus = csFirstEh;
            double a = DisplayValue();
            if (Key == u'%') {
                if (FOperator == u'*' || FOperator == u'/')
                    a = a / 100;
                else if (FOperator == u'+' || FOperator == u'-')
                    a = FOperand * a / 100;
            }
            if (FOperator == u'*')
                SetDisplayValue(FOperand * a);
            else if (FOperator == u'+')
                SetDisplayValue(FOperand + a);
            else if (FOperator == u'-')
                SetDisplayValue(FOperand - a);
            else if (FOperator == u'/') {
                if (a == 0)
                    Error();
                else
                    SetDisplayValue(FOperand / a);
            }
        }
        FOperator = Key;
        FOperand = DisplayValue();
    } else if (Key == kEscape || Key == u'C') {
        Clear();
    } else if (Key >= u'0' && Key <= u'9') {
        BeginEntry();
        QString text = DisplayText();
        if (text == QStringLiteral("0"))
            text.clear();
        // A leading minus does not count against the length.
        if (!text.contains(u'E') && text.size() < 15 + (text.indexOf(u'-') + 1))
            text += Key;
        SetDisplayText(text.isEmpty() ? QStringLiteral("0") : text);
    } else if (Key == u'I') {
        SetDisplayValue(-DisplayValue());
    } else if (Key == u'R' || Key == u'S') {
        if (FStatus == csFirstEh || FStatus == csValidEh) {
            FStatus = csFirstEh;
            const double v = DisplayValue();
            if (Key == u'R') {
                if (v == 0)
                    Error();
                else
                    SetDisplayValue(1 / v);
            } else {
                if (v < 0)
                    Error();
                else
                    SetDisplayValue(std::sqrt(v));
            }
        }
    }
    UpdateEqualButton();
}

void TCalculatorEh::UpdateEqualButton()
{
    if (!spEqual)
        return;
    // "=" while a number is typed after an operator, whatever the left operand: "0 - 3"
    // must compute, not accept the 3 shown.
    const bool pending = FStatus == csValidEh && IsArithmetic(FOperator);
    spEqual->SetCaption(pending ? QStringLiteral("=") : QStringLiteral("Ok"));
}

void TCalculatorEh::SpeedButtonClick(TObject* Sender)
{
    auto* c = dynamic_cast<TComponent*>(Sender);
    if (!c)
        return;
    const int tag = int(c->Tag());
    if (tag > 0 && tag < int(std::size(kButtonKeys)))
        ProcessKey(kButtonKeys[tag]);
}

void TCalculatorEh::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControlEh::KeyDown(Key, Shift);
    if (Key == VK_DELETE) {
        ProcessKey(u'C');
        Key = 0;
    }
}

void TCalculatorEh::KeyPress(QChar& Key)
{
    TCustomControlEh::KeyPress(Key);
    if (!Key.isNull())
        ProcessKey(Key);
}

bool TCalculatorEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    if (!TCustomControlEh::DoMouseWheelDown(Shift, MousePos) && FStatus != csErrorEh)
        SetDisplayValue(DisplayValue() - 1);
    return true;
}

bool TCalculatorEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    if (!TCustomControlEh::DoMouseWheelUp(Shift, MousePos) && FStatus != csErrorEh)
        SetDisplayValue(DisplayValue() + 1);
    return true;
}

// ---------------------------------------------------------------- TPopupCalculatorEh

DOV_PUBLISHED(TPopupCalculatorEh) {}

TPopupCalculatorEh::TPopupCalculatorEh(TComponent* AOwner) : TCalculatorEh(AOwner)
{
    ControlStyle.Include(csReplicatable);
    FTabStop = false;
    FVisible = false;   // its owner shows it
    FCtl3D = true;
    FBorderWidth = 2;
    FFlat = true;
}

void TPopupCalculatorEh::AfterConstruction()
{
    TCalculatorEh::AfterConstruction();
    if (Panel1)
        Panel1->ControlStyle.Exclude(csParentBackground);
}

int TPopupCalculatorEh::FrameWidth() const
{
    // Without the 3-D frame a plain one-pixel border.
    return FCtl3D ? FBorderWidth : 1;
}

void TPopupCalculatorEh::SetCtl3D(bool Value)
{
    if (FCtl3D == Value)
        return;
    FBorderWidth = Value ? 2 : 0;
    TCalculatorEh::SetCtl3D(Value);
}

void TPopupCalculatorEh::CreateParams(TCreateParams& Params)
{
    TCalculatorEh::CreateParams(Params);
    Params.Style &= ~(WS_CHILD | WS_TABSTOP | WS_BORDER);
    Params.Style |= WS_POPUP;
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
    if (!FCtl3D)
        Params.Style |= WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
}

void TPopupCalculatorEh::WMNCPaint(TMessage& M)
{
    HDC dc = reinterpret_cast<HDC>(M.LParam);
    TRect r(0, 0, Width(), Height());
    if (!FCtl3D) {
        HBRUSH b = CreateSolidBrush(ColorToRGB(clWindowFrame));
        FrameRect(dc, r, b);
        DeleteObject(b);
        return;
    }
    // A dark frame with a raised edge inside it.
    HBRUSH b = CreateSolidBrush(ColorToRGB(cl3DDkShadow));
    FrameRect(dc, r, b);
    DeleteObject(b);
    InflateRect(r, -1, -1);
    DrawEdge(dc, r, BDR_RAISEDINNER, BF_RECT);
}

void TPopupCalculatorEh::WMGetDlgCode(TMessage& M)
{
    M.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
}

void TPopupCalculatorEh::OwnerCloseUp(bool Accept)
{
    if (auto* combo = dynamic_cast<IComboEditEh*>(Owner()))
        combo->CloseUp(Accept);
}

void TPopupCalculatorEh::CMWantSpecialKey(TMessage& M)
{
    // Enter and Escape are the calculator's; the key itself then closes the owner (Escape), or
    // computes a pending operation or accepts (Enter, as ProcessKey decides). Closing here
    // already would accept the number shown before the pending operation is applied.
    if (M.WParam == VK_ESCAPE || M.WParam == VK_RETURN)
        M.Result = 1;
    else
        TCalculatorEh::CMWantSpecialKey(M);
}

void TPopupCalculatorEh::KeyDown(Word& Key, TShiftState Shift)
{
    if (Key == VK_ESCAPE) {
        Key = 0;
        OwnerCloseUp(false);
        return;
    }
    TCalculatorEh::KeyDown(Key, Shift);
}

void TPopupCalculatorEh::ProcessKey(QChar Key)
{
    if ((Key == kEnter || Key == u'=') && GetReadyToAccept()) {
        OwnerCloseUp(true);
        return;
    }
    TCalculatorEh::ProcessKey(Key);
}

bool TPopupCalculatorEh::GetReadyToAccept()
{
    return spEqual && spEqual->Caption() == QStringLiteral("Ok");
}

Variant TPopupCalculatorEh::GetValue()
{
    if (FStatus == csErrorEh)
        return Variant::FromError(-1);
    return Variant(DisplayValue());
}

void TPopupCalculatorEh::SetFlat(bool Value)
{
    if (FFlat == Value)
        return;
    FFlat = Value;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButtonEh*>(Components(i)))
            b->SetFlat(Value);
}

void TPopupCalculatorEh::SetValue(const Variant& Value)
{
    Clear();
    SetDisplayValue(Value.IsNull() || Value.IsEmpty() ? 0.0 : Value.AsDouble());
    UpdateEqualButton();
}

// ---------------------------------------------------------------- registration

void RegisterCalculatorClasses()
{
    static const bool done = [] {
        InitCalculatorResource();
        RegisterClasses<TPanel, TLabel, TSpeedButtonEh, TCalculatorEh, TPopupCalculatorEh>();
        return true;
    }();
    (void)done;
}
