// The number edit: a data-aware edit that keeps a number (or Null), accepts only keys that
// leave a valid number, groups the integer digits while typing, clamps and rounds to its
// range and decimal places, steps with arrows, wheel and up/down buttons, shows a display
// format when not edited, and drops the calculator down from its main button.
// Included at the end of DBCtrlsEh.h.
#pragma once

#include "components/editors/DBCtrlsEh_Edit.h"

class TPopupCalculatorEh;

enum TDBNumberValue { evDisplayFormatEh, evCurrencyEh, evMaxValueEh, evMinValueEh };
DOV_ENUM_INFO(TDBNumberValue, evDisplayFormatEh, evCurrencyEh, evMaxValueEh, evMinValueEh)
using TDBNumberValues = TSet<TDBNumberValue>;

using TCloseUpEventEh = Delegate<void(TObject* Sender, bool Accept)>;

class TCustomDBNumberEditEh : public TCustomDBEditEh {
    DOV_PERSISTENT(TCustomDBNumberEditEh, TCustomDBEditEh)
public:
    explicit TCustomDBNumberEditEh(TComponent* AOwner);
    void AfterConstruction() override;

    // ---- settings (the effective ones fall back to the bound field's) ----
    QString DisplayFormat() const;
    void SetDisplayFormat(const QString& Value);
    bool currency() const;
    void SetCurrency(bool Value);
    double MaxValue() const;
    void SetMaxValue(double Value);
    double MinValue() const;
    void SetMinValue(double Value);
    unsigned DecimalPlaces() const { return FDecimalPlaces; }
    void SetDecimalPlaces(unsigned Value);
    double Increment() const { return FIncrement; }
    void SetIncrement(double Value) { FIncrement = Value; }
    TDBNumberValues AssignedValues() const { return FAssignedValues; }
    // Only what was set on the control itself is stored with a form.
    bool IsCurrencyStored() const { return FAssignedValues.Contains(evCurrencyEh); }
    bool IsDisplayFormatStored() const { return FAssignedValues.Contains(evDisplayFormatEh); }
    bool IsMaxValueStored() const { return FAssignedValues.Contains(evMaxValueEh); }
    bool IsMinValueStored() const { return FAssignedValues.Contains(evMinValueEh); }
    bool IsIncrementStored() const { return FIncrement != 1; }
    // The format used while the control has the focus (derived from the display format).
    QString EditFormat() const { return FEditFormat; }

    // Empty while the value is Null; else the value through the display format.
    QString DisplayText() const { return GetDisplayText(); }
    virtual QString GetDisplayText() const;
    // Steps the value by Increment (from Null: to +Increment either way).
    void IncrementValue(bool IsIncrease);
    // Clamped to the control's own range, then rounded to DecimalPlaces.
    double NormalizeValue(double X) const;
    QString FormatDisplayValue(double X) const;

    // ---- the calculator ----
    virtual TWinControl* GetDropDownCalculator();
    virtual void DropDown();
    void CloseUp(bool Accept) override;
    bool CalculatorVisible() const { return FCalculatorVisible; }

    // ---- text helpers ----
    // Only the first decimal separator, one sign before any digit, the first exponent letter
    // and the digits are kept.
    static QString FilterNumberText(const QString& Text);
    // The placeholders of a display format's first section, without literals and without the
    // first digit of an exponent.
    static QString EditFormatFromDisplayFormat(const QString& Format);

    TCloseUpEventEh OnCloseUp;
    TNotifyEvent OnDropDown;

protected:
    TEditButtonEh* CreateEditButton() override;
    TAlignment DefaultAlignment() const override;
    Variant InternalGetValue() override;
    bool IsValidChar(QChar Key) override;
    void DataChanged() override;
    void DropDownButtonDown(TEditButtonControlEh* ButtonControl) override;
    void EditButtonDownDefaultAction(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                     bool TopButton, bool& AutoRepeat, bool& Handled) override;
    void EditButtonClickDefaultAction(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                      bool& Handled) override;
    void InternalSetText(const QString& AText) override;
    void InternalSetValue(const Variant& AValue) override;
    void UpdateFieldFromText() override;
    // The text as the user typed it, grouped; the caret keeps its distance from the end.
    virtual void SetGroupedText(const QString& Text);

    void Change() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void WndProc(TMessage& Message) override;
    void WMPaste(TMessage& M) override;
    void CMWantSpecialKey(TMessage& M) override;
    void CMCancelMode(TMessage& M) override;
    void CMMouseWheel(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void CMExit(TMessage& M) override;

    void ValueFromText();
    void SetTextGuarded(const QString& Text);
    int IntegerDigitCount() const;
    // The dataset may be put into edit state (or there is none).
    bool CanEditData();
    bool IsDataReadOnly() const;
    bool StepByWheel(bool Up, TShiftState Shift);

    TDBNumberValues FAssignedValues;
    bool FCalculatorVisible = false;
    bool FCurrency = false;
    unsigned FDecimalPlaces = 2;
    QString FDisplayFormat;
    TPopupCalculatorEh* FDropDownCalculator = nullptr;
    QString FEditFormat;
    double FIncrement = 1;
    bool FInternalTextSetting = false;
    double FMinValue = 0;
    double FMaxValue = 0;
    Variant FValue = Variant::Null();
};

class TDBNumberEditEh : public TCustomDBNumberEditEh {
    DOV_PERSISTENT(TDBNumberEditEh, TCustomDBNumberEditEh)
public:
    explicit TDBNumberEditEh(TComponent* AOwner) : TCustomDBNumberEditEh(AOwner) {}
};
