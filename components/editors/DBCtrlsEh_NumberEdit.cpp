// The number edit: value and text, keys, steps, display and edit formats, the calculator.
#include "components/editors/DBCtrlsEh.h"

#include "components/editors/CalculatorEh.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/WinUser.h"

#include <cmath>

namespace {

// Beyond this a value scaled for rounding no longer fits the 64-bit integer rounding needs.
constexpr double kRoundLimit = 9.2e18;

bool IsCurrencyFieldOf(const TField* F, bool& Value)
{
    if (auto* f = dynamic_cast<const TFloatField*>(F)) {
        Value = f->GetCurrency();
        return true;
    }
    if (auto* f = dynamic_cast<const TBCDField*>(F)) {   // FMT BCD too
        Value = f->GetCurrency();
        return true;
    }
    return false;
}

}  // namespace

DOV_PUBLISHED(TCustomDBNumberEditEh) {}

DOV_PUBLISHED(TDBNumberEditEh)
{
    P.Prop("currency", &TDBNumberEditEh::currency, &TDBNumberEditEh::SetCurrency)
        .Stored(&TDBNumberEditEh::IsCurrencyStored);
    P.Prop("DecimalPlaces", &TDBNumberEditEh::DecimalPlaces, &TDBNumberEditEh::SetDecimalPlaces).Default(2);
    P.Prop("DisplayFormat", &TDBNumberEditEh::DisplayFormat, &TDBNumberEditEh::SetDisplayFormat)
        .Stored(&TDBNumberEditEh::IsDisplayFormatStored);
    P.Prop("Increment", &TDBNumberEditEh::Increment, &TDBNumberEditEh::SetIncrement)
        .Stored(&TDBNumberEditEh::IsIncrementStored);
    P.Prop("MaxValue", &TDBNumberEditEh::MaxValue, &TDBNumberEditEh::SetMaxValue)
        .Stored(&TDBNumberEditEh::IsMaxValueStored);
    P.Prop("MinValue", &TDBNumberEditEh::MinValue, &TDBNumberEditEh::SetMinValue)
        .Stored(&TDBNumberEditEh::IsMinValueStored);
    P.Prop("EditButton", &TDBNumberEditEh::EditButton, &TDBNumberEditEh::SetEditButton);
    P.Event("OnButtonClick", &TDBNumberEditEh::OnButtonClick);
    P.Event("OnButtonDown", &TDBNumberEditEh::OnButtonDown);
}

TCustomDBNumberEditEh::TCustomDBNumberEditEh(TComponent* AOwner) : TCustomDBEditEh(AOwner)
{
    // The control does not take its name for a caption.
    ControlStyle.Exclude(csSetCaption);
}

void TCustomDBNumberEditEh::AfterConstruction()
{
    TCustomDBEditEh::AfterConstruction();
    SetMaxLength(0);
    FDecimalPlaces = 2;
    FIncrement = 1;
    DataChanged();
}

TEditButtonEh* TCustomDBNumberEditEh::CreateEditButton()
{
    return Create<TDropDownEditButtonEh>(static_cast<TWinControl*>(this));
}

TAlignment TCustomDBNumberEditEh::DefaultAlignment() const
{
    if (TField* f = Field())
        return f->Alignment();
    return taRightJustify;
}

Variant TCustomDBNumberEditEh::InternalGetValue()
{
    return FValue;
}

// ---------------------------------------------------------------- settings

QString TCustomDBNumberEditEh::DisplayFormat() const
{
    if (FAssignedValues.Contains(evDisplayFormatEh))
        return FDisplayFormat;
    TField* f = Field();
    if (auto* n = dynamic_cast<TNumericField*>(f))
        return n->DisplayFormat();
    if (auto* a = dynamic_cast<TAggregateField*>(f))
        return a->DisplayFormat();
    if (auto* d = dynamic_cast<TDateTimeField*>(f))
        return d->DisplayFormat();
    if (auto* t = dynamic_cast<TSQLTimeStampField*>(f))
        return t->DisplayFormat();
    return QString();
}

void TCustomDBNumberEditEh::SetDisplayFormat(const QString& Value)
{
    if (FAssignedValues.Contains(evDisplayFormatEh) && FDisplayFormat == Value)
        return;
    FDisplayFormat = Value;
    FAssignedValues.Include(evDisplayFormatEh);
    Invalidate();
    DataChanged();
}

bool TCustomDBNumberEditEh::currency() const
{
    if (FAssignedValues.Contains(evCurrencyEh))
        return FCurrency;
    bool value = false;
    if (IsCurrencyFieldOf(Field(), value))
        return value;
    return false;
}

void TCustomDBNumberEditEh::SetCurrency(bool Value)
{
    if (FAssignedValues.Contains(evCurrencyEh) && FCurrency == Value)
        return;
    FCurrency = Value;
    FAssignedValues.Include(evCurrencyEh);
    Invalidate();
    DataChanged();
}

double TCustomDBNumberEditEh::MaxValue() const
{
    if (FAssignedValues.Contains(evMaxValueEh))
        return FMaxValue;
    TField* f = Field();
    if (auto* i = dynamic_cast<TIntegerField*>(f))
        return i->MaxValue();
    if (auto* b = dynamic_cast<TBCDField*>(f))
        return b->MaxValue().ToDouble();
    if (auto* d = dynamic_cast<TFloatField*>(f))
        return d->MaxValue();
    return 0;
}

void TCustomDBNumberEditEh::SetMaxValue(double Value)
{
    if (FAssignedValues.Contains(evMaxValueEh) && FMaxValue == Value)
        return;
    FMaxValue = Value;
    if (!ComponentState().Contains(csLoading) && DataIndepended())
        UpdateData();
    FAssignedValues.Include(evMaxValueEh);
}

double TCustomDBNumberEditEh::MinValue() const
{
    if (FAssignedValues.Contains(evMinValueEh))
        return FMinValue;
    TField* f = Field();
    if (auto* i = dynamic_cast<TIntegerField*>(f))
        return i->MinValue();
    if (auto* b = dynamic_cast<TBCDField*>(f))
        return b->MinValue().ToDouble();
    if (auto* d = dynamic_cast<TFloatField*>(f))
        return d->MinValue();
    return 0;
}

void TCustomDBNumberEditEh::SetMinValue(double Value)
{
    if (FAssignedValues.Contains(evMinValueEh) && FMinValue == Value)
        return;
    FMinValue = Value;
    if (!ComponentState().Contains(csLoading) && DataIndepended())
        UpdateData();
    FAssignedValues.Include(evMinValueEh);
}

void TCustomDBNumberEditEh::SetDecimalPlaces(unsigned Value)
{
    if (FDecimalPlaces == Value)
        return;
    FDecimalPlaces = Value;
    DataChanged();
    Invalidate();
}

// ---------------------------------------------------------------- text helpers

QString TCustomDBNumberEditEh::FilterNumberText(const QString& Text)
{
    const QChar decimal = FormatSettings.DecimalSeparator;
    QString out;
    bool hasDecimal = false, hasSign = false, hasExponent = false, hasDigit = false;
    for (QChar c : Text) {
        if (c == decimal) {
            if (!hasDecimal)
                out += c;
            hasDecimal = true;
        } else if (c == u'+' || c == u'-') {
            if (!hasSign && !hasDigit) {
                out += c;
                hasSign = true;
            }
        } else if (c == u'E' || c == u'e') {
            if (!hasExponent)
                out += c;
            hasExponent = true;
        } else if (c >= u'0' && c <= u'9') {
            out += c;
            hasDigit = true;
        }
    }
    return out;
}

QString TCustomDBNumberEditEh::EditFormatFromDisplayFormat(const QString& Format)
{
    QString out;
    QChar quote;             // the quote that opened the current literal
    bool exponent = false;   // an "E" seen, waiting for "+"
    bool exponentDone = false;
    int skipped = 0;
    for (QChar c : Format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            exponent = exponentDone = false;
            continue;
        }
        if (c == u';')
            break;
        if (exponent && c == u'+') {
            out += c;
            exponent = false;
            exponentDone = true;
            continue;
        }
        if (c == u'E' || c == u'e') {
            out += c;
            exponent = true;
            exponentDone = false;
            continue;
        }
        if (c == u'#' || c == u',' || c == u'.' || c == u'0') {
            if (exponentDone && c == u'0') {
                exponentDone = false;
                if (++skipped > 4)
                    break;
                continue;
            }
            out += c;
            exponent = exponentDone = false;
            continue;
        }
        exponent = exponentDone = false;
    }
    return out;
}

int TCustomDBNumberEditEh::IntegerDigitCount() const
{
    const QString text = EditText();
    const int end = int(text.indexOf(FormatSettings.DecimalSeparator));
    int count = 0;
    for (int i = 0; i < (end < 0 ? int(text.size()) : end); ++i)
        if (text[i].isDigit())
            ++count;
    return count;
}

// ---------------------------------------------------------------- value

double TCustomDBNumberEditEh::NormalizeValue(double X) const
{
    const double mn = FMinValue, mx = FMaxValue;
    if (mn < mx)
        X = std::clamp(X, mn, mx);
    else if (mn > mx) {
        if (mx == 0)
            X = std::max(X, mn);
        else if (mn == 0)
            X = std::min(X, mx);
    }
    if (FDecimalPlaces > 37 || !std::isfinite(X))
        return X;
    double scale = 1;
    for (unsigned i = 0; i < FDecimalPlaces; ++i)
        scale *= 10;
    const double scaled = X * scale;
    // A number too large for the 64-bit rounding has no decimals left to round anyway.
    if (std::fabs(scaled) >= kRoundLimit)
        return X;
    return double(std::llrint(scaled)) / scale;
}

QString TCustomDBNumberEditEh::FormatDisplayValue(double X) const
{
    const QString format = DisplayFormat();
    if (!format.isEmpty())
        return FormatFloat(format, X);
    if (currency()) {
        // Past the range of the 4-decimal currency type the number is formatted as itself.
        if (std::isfinite(X) && std::fabs(X) * 10000 < kRoundLimit)
            return CurrToStrF(Currency::FromDouble(X), ffCurrency, FormatSettings.CurrencyDecimals);
        return FloatToStrF(X, ffCurrency, 18, FormatSettings.CurrencyDecimals);
    }
    return FloatToStr(X);
}

QString TCustomDBNumberEditEh::GetDisplayText() const
{
    if (FValue.IsNull() || FValue.IsEmpty())
        return QString();
    return FormatDisplayValue(FValue.AsDouble());
}

void TCustomDBNumberEditEh::SetTextGuarded(const QString& Text)
{
    if (FInternalTextSetting)
        return;
    FInternalTextSetting = true;
    auto reset = Finally([this] { FInternalTextSetting = false; });
    TCustomDBEditEh::InternalSetText(Text);
}

void TCustomDBNumberEditEh::SetGroupedText(const QString& AText)
{
    QString text = AText;
    if (!text.isEmpty() && text != QStringLiteral("-"))
        text = FilterNumberText(text);
    text = InsertThousandSeparators(text, FEditFormat.contains(u','));
    if (text == EditText())
        return;
    const int fromEnd = int(EditText().size()) - SelStart();
    SetTextGuarded(text);
    if (Focused() && !ComponentState().Contains(csDesigning))
        SetSelStart(std::max(0, int(text.size()) - fromEnd));
}

void TCustomDBNumberEditEh::ValueFromText()
{
    const QString text = FilterNumberText(EditText());
    if (text.isEmpty()) {
        FValue = Variant::Null();
        SetTextGuarded(QString());
    } else if (text == QStringLiteral("+") || text == QStringLiteral("-")) {
        FValue = Variant(NormalizeValue(0));
    } else {
        double v = 0;
        if (TryTextToFloatEh(text, v))
            FValue = Variant(NormalizeValue(v));
    }
}

void TCustomDBNumberEditEh::InternalSetText(const QString& AText)
{
    // A text that is no number is refused; the control shows the field's value again.
    auto reset = OnFailure([this] { FDataLink->Reset(); });
    if (AText.isEmpty()) {
        InternalSetValue(Variant::Null());
        return;
    }
    InternalSetValue(Variant(StrToFloat(FilterNumberText(AText))));
}

void TCustomDBNumberEditEh::InternalSetValue(const Variant& AValue)
{
    if (AValue.IsNull() || AValue.IsEmpty()) {
        SetTextGuarded(QString());
        FValue = Variant::Null();
        return;
    }
    FValue = Variant(AValue.AsDouble());
    FDataLink->Modified();
    if (Focused() && FDataLink->CanModify())
        SetGroupedText(FormatFloat(FEditFormat, FValue.AsDouble()));
    else
        SetTextGuarded(GetDisplayText());
}

void TCustomDBNumberEditEh::UpdateFieldFromText()
{
    // An integer field cannot take a number past 64 bits; it is refused as out of range
    // instead of arriving wrapped.
    if (auto* f = dynamic_cast<TIntegerField*>(Field()); f && !FValue.IsNull() && !FValue.IsEmpty()) {
        const double v = FValue.AsDouble();
        if (!(std::fabs(v) < kRoundLimit))
            DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldRangeError),
                             {FloatToStr(v), f->DisplayName(), FloatToStr(double(INT64_MIN)),
                              FloatToStr(double(INT64_MAX))});
    }
    FDataLink->SetValue(FValue);
}

void TCustomDBNumberEditEh::Change()
{
    if (!FInternalTextSetting) {
        SetGroupedText(EditText());
        ValueFromText();
    }
    TCustomDBEditEh::Change();
}

void TCustomDBNumberEditEh::DataChanged()
{
    if (DisplayFormat().isEmpty() && currency())
        FEditFormat = DefaultNumberDisplayFormat();
    else
        FEditFormat = EditFormatFromDisplayFormat(DisplayFormat());
    if (!FDataLink)
        return;
    Variant value = Variant::Null();
    if (TField* f = FDataLink->Field()) {
        bool handled = false;
        Variant offered;
        if (OnGetFieldData)
            OnGetFieldData(this, offered, handled);
        if (handled) {
            value = offered;
        } else {
            if (!TCustomDBEditEh::AssignedValues().Contains(evAlignmentEh) && f->Alignment() != FAlignment) {
                FAlignment = f->Alignment();
                RecreateWindow();
            }
            value = f->Value();
        }
    } else if (DataIndepended()) {
        value = FDataLink->DataIndependentValue;
    }
    InternalSetValue(value);
    UpdateReadOnlyState();
    Modified = false;
}

// ---------------------------------------------------------------- keys

bool TCustomDBNumberEditEh::IsValidChar(QChar Key)
{
    const QChar decimal = FormatSettings.DecimalSeparator;
    if (SelLength() == 0 && Key.isDigit() && IntegerDigitCount() >= 17 - int(FDecimalPlaces))
        return false;
    if (Key == decimal && FDecimalPlaces == 0)
        return false;
    QString candidate = EditText();
    const int start = std::min(SelStart(), SelStart() + SelLength());
    candidate.replace(start, std::abs(SelLength()), Key);
    candidate = FilterNumberText(candidate);
    const int p = int(candidate.indexOf(decimal));
    if (p >= 0) {
        int end = int(candidate.size());
        for (int i = p + 1; i < int(candidate.size()); ++i)
            if (candidate[i] == u'E' || candidate[i] == u'e') {
                end = i;
                break;
            }
        if (end - p - 1 > int(FDecimalPlaces))
            return false;
    }
    if (candidate.isEmpty())
        return true;
    double v = 0;
    if (!TryTextToFloatEh(candidate, v))
        return false;
    if (FMinValue >= 0 && FMaxValue > 0 && (v < 0 || candidate.startsWith(u'-')))
        return false;
    return true;
}

void TCustomDBNumberEditEh::KeyPress(QChar& Key)
{
    if (FCalculatorVisible && (Key == QChar(VK_RETURN) || Key == QChar(VK_ESCAPE))) {
        CloseUp(Key == QChar(VK_RETURN));
        Key = QChar();
        return;
    }
    if (Key == QChar(VK_BACK) && SelLength() == 0 && SelStart() > 0 &&
        EditText()[SelStart() - 1] == FormatSettings.ThousandSeparator) {
        SetSelStart(SelStart() - 1);
        Key = QChar();
        return;
    }
    if (Key == QChar(VK_ESCAPE)) {
        Reset();
        Key = QChar();
        return;
    }
    if (Key == u',' || Key == u'.')
        Key = FormatSettings.DecimalSeparator;
    if (Key.unicode() >= 32 && !IsValidChar(Key)) {
        Key = QChar();
        return;
    }
    TCustomDBEditEh::KeyPress(Key);
}

void TCustomDBNumberEditEh::KeyDown(Word& Key, TShiftState Shift)
{
    if (FCalculatorVisible && Key == VK_ESCAPE) {
        CloseUp(false);
        Key = 0;
        return;
    }
    TCustomDBEditEh::KeyDown(Key, Shift);
    if ((Key == VK_UP || Key == VK_DOWN) && !ReadOnly()) {
        IncrementValue(Key == VK_UP);
        Key = 0;
    }
}

bool TCustomDBNumberEditEh::CanEditData()
{
    if (DataIndepended())
        return true;
    TDataSet* ds = FDataLink->DataSet();
    return ds && FDataLink->CanModify() && (ds->State() == dsEdit || ds->State() == dsInsert || ds->CanModify());
}

bool TCustomDBNumberEditEh::StepByWheel(bool Up, TShiftState Shift)
{
    if (!Shift.Empty() || ReadOnly() || !CanEditData())
        return false;
    IncrementValue(Up);
    return true;
}

bool TCustomDBNumberEditEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    if (TCustomDBEditEh::DoMouseWheelDown(Shift, MousePos))
        return true;
    return StepByWheel(false, Shift);
}

bool TCustomDBNumberEditEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    if (TCustomDBEditEh::DoMouseWheelUp(Shift, MousePos))
        return true;
    return StepByWheel(true, Shift);
}

void TCustomDBNumberEditEh::IncrementValue(bool IsIncrease)
{
    if (FIncrement == 0 || !EditCanModify())
        return;
    const Variant current = Value();
    double v;
    if (current.IsNull() || current.IsEmpty())
        v = FIncrement;
    else
        v = current.AsDouble() + (IsIncrease ? FIncrement : -FIncrement);
    InternalSetValue(Variant(NormalizeValue(v)));
    if (Focused())
        SelectAll();
}

void TCustomDBNumberEditEh::WMPaste(TMessage& M)
{
    if (!EditCanModify())
        return;
    const QString old = EditText();
    try {
        const QString text = FilterNumberText(Clipboard()->AsText());
        SetValue(Variant(NormalizeValue(StrToFloat(text))));
        ValueFromText();
    } catch (const Exception&) {
        // A paste that is no number leaves the text as it was.
        SetTextGuarded(old);
        SelectAll();
        if (CanFocus())
            SetFocus();
    }
    M.Result = 0;
}

// ---------------------------------------------------------------- buttons

void TCustomDBNumberEditEh::EditButtonDownDefaultAction(TEditButtonEh* EditButton,
                                                        TEditButtonControlEh* EditButtonControl, bool TopButton,
                                                        bool&, bool& Handled)
{
    if (EditButton->Style() == ebsUpDownEh || EditButton->Style() == ebsAltUpDownEh) {
        if (!ReadOnly() && CanEditData())
            IncrementValue(TopButton);
        Handled = true;
        return;
    }
    if (!FCalculatorVisible) {
        DropDownButtonDown(EditButtonControl);
        FNoClickCloseUp = true;
    }
    Handled = true;
}

void TCustomDBNumberEditEh::EditButtonClickDefaultAction(TEditButtonEh*, TEditButtonControlEh*, bool&) {}

void TCustomDBNumberEditEh::DropDownButtonDown(TEditButtonControlEh* ButtonControl)
{
    if (ButtonControl)
        ButtonControl->SetAlwaysDown(true);
    TCustomDBEditEh::DropDownButtonDown(ButtonControl);
    DropDown();
    if (FCalculatorVisible)
        SetDropDownState(FEditButton, ButtonControl);
    else if (ButtonControl)
        ButtonControl->SetAlwaysDown(false);
}

// ---------------------------------------------------------------- the calculator

TWinControl* TCustomDBNumberEditEh::GetDropDownCalculator()
{
    if (!FDropDownCalculator) {
        FDropDownCalculator = Create<TPopupCalculatorEh>(this);
        FDropDownCalculator->SetVisible(false);
        if (HandleAllocated())
            FDropDownCalculator->HandleNeeded();
    }
    return FDropDownCalculator;
}

void TCustomDBNumberEditEh::DropDown()
{
    if (FCalculatorVisible)
        return;
    if (OnDropDown)
        OnDropDown(this);
    auto* calc = static_cast<TPopupCalculatorEh*>(GetDropDownCalculator());
    IPopupCalculatorEh* intf = calc;
    const Variant v = Value();
    intf->SetValue(v.IsNull() || v.IsEmpty() ? Variant(0.0) : v);
    intf->SetFlat(Flat());
    calc->HandleNeeded();
    TPoint p;
    PlaceDropDownUnderControl(this, calc, UseRightToLeftAlignment() ? taRightJustify : taLeftJustify, p);
    calc->SetBounds(p.X, p.Y, calc->Width(), calc->Height());
    calc->SetVisible(true);
    FCalculatorVisible = true;
    FDroppedDown = true;
    if (HandleAllocated())
        HideCaret(Handle());
    SetSelLength(0);
}

void TCustomDBNumberEditEh::CloseUp(bool Accept)
{
    if (!FCalculatorVisible)
        return;
    if (FDropDownCalculator && FDropDownCalculator->MouseCapture())
        FDropDownCalculator->Perform(CM_CANCELMODE, 0, 0);
    FDropDownCalculator->SetVisible(false);
    FCalculatorVisible = false;
    if (HandleAllocated())
        ShowCaret(Handle());
    FDroppedDown = false;
    TCustomDBEditEh::CloseUp(Accept);
    if (Accept && !ReadOnly() && CanEditData()) {
        IPopupCalculatorEh* intf = FDropDownCalculator;
        const Variant v = intf->GetValue();
        const TVarType t = v.VarType();
        // The calculator's error state is never taken over.
        if (t == varSmallint || t == varInteger || t == varSingle || t == varDouble || t == varCurrency) {
            if (!DataIndepended())
                if (TDataSet* ds = FDataLink->DataSet())
                    ds->Edit();
            InternalSetValue(Variant(NormalizeValue(v.AsDouble())));
            if (Focused())
                SelectAll();
        }
    }
    if (OnCloseUp)
        OnCloseUp(this, Accept);
    ClearDropDownState();
}

void TCustomDBNumberEditEh::WndProc(TMessage& Message)
{
    if (FCalculatorVisible && FDropDownCalculator) {
        const UINT msg = Message.Msg;
        const WPARAM key = Message.WParam;
        const bool keyMsg = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
        const bool routed = (keyMsg && (key == VK_BACK || key == VK_RETURN)) ||
                            (msg == WM_CHAR && (key == VK_BACK || key == VK_RETURN || (key >= 32 && key <= 126)));
        if (routed) {
            FDropDownCalculator->Perform(msg, key, Message.LParam);
            Message.Result = 0;
            return;
        }
    }
    TCustomDBEditEh::WndProc(Message);
}

void TCustomDBNumberEditEh::CMWantSpecialKey(TMessage& M)
{
    if (FCalculatorVisible && (M.WParam == VK_RETURN || M.WParam == VK_ESCAPE)) {
        M.Result = 1;
        return;
    }
    TCustomDBEditEh::CMWantSpecialKey(M);
}

void TCustomDBNumberEditEh::CMMouseWheel(TMessage& M)
{
    if (FCalculatorVisible && FDropDownCalculator) {
        FDropDownCalculator->Perform(CM_MOUSEWHEEL, M.WParam, M.LParam);
        M.Result = 1;
        return;
    }
    TCustomDBEditEh::CMMouseWheel(M);
}

void TCustomDBNumberEditEh::WMKillFocus(TMessage& M)
{
    TCustomDBEditEh::WMKillFocus(M);
    const HWND to = HWND(M.WParam);
    if (FCalculatorVisible && !(FDropDownCalculator && to && to == FDropDownCalculator->HandleIfAllocated()))
        CloseUp(false);
}

void TCustomDBNumberEditEh::CMExit(TMessage& M)
{
    // The focus went to another control of the form: the calculator never takes it.
    if (FCalculatorVisible)
        CloseUp(false);
    TCustomDBEditEh::CMExit(M);
}

void TCustomDBNumberEditEh::CMCancelMode(TMessage& M)
{
    TCustomDBEditEh::CMCancelMode(M);
    if (!FCalculatorVisible)
        return;
    auto* sender = reinterpret_cast<TControl*>(M.LParam);
    if (sender == this || sender == FDropDownCalculator)
        return;
    if (sender && (ContainsControl(sender) || (FDropDownCalculator && FDropDownCalculator->ContainsControl(sender))))
        return;
    // A press on one of the calculator's buttons belongs to it.
    if (sender && FDropDownCalculator)
        for (TControl* c = sender; c; c = c->Parent())
            if (c == FDropDownCalculator || c == this)
                return;
    CloseUp(false);
}
