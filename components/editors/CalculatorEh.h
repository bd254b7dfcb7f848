// A small four-function calculator built from its form resource "TCALCULATOREH", and the
// drop-down variant that number editors open under themselves. The calculator works on the
// text of its display: digits are typed into it, the value is read back from it and results
// are written into it with 15 significant digits.
#pragma once

#include "components/foundation/ToolCtrlsEh.h"

class TPanel;
class TLabel;

enum TCalcStateEh { csFirstEh, csValidEh, csErrorEh };
DOV_ENUM_INFO(TCalcStateEh, csFirstEh, csValidEh, csErrorEh)

// What the owner of a drop-down calculator asks of it.
class IPopupCalculatorEh {
public:
    // True while the equal button reads "Ok": Enter would close and accept.
    virtual bool GetReadyToAccept() = 0;
    virtual bool GetFlat() = 0;
    // The display value as a double; in the error state an error Variant (code -1).
    virtual Variant GetValue() = 0;
    virtual void SetFlat(bool Value) = 0;
    // Clears the calculator and shows the value.
    virtual void SetValue(const Variant& Value) = 0;

protected:
    ~IPopupCalculatorEh() = default;
};

class TCalculatorEh : public TCustomControlEh {
    DOV_PERSISTENT(TCalculatorEh, TCustomControlEh)
public:
    explicit TCalculatorEh(TComponent* AOwner);
    // Reads the children from the form resource (a virtual step, so not in the constructor).
    void AfterConstruction() override;

    // The calculator's keys: digits, the decimal separator ("," or "." too), the operators
    // "+ - * / % =" and Enter, Backspace, "C" and Escape (clear), "I" (sign), "R" (1/x),
    // "S" (square root), Ctrl+C and Ctrl+V. Other keys change nothing.
    virtual void ProcessKey(QChar Key);

    QString DisplayText() const;
    void SetDisplayText(const QString& Value);
    // 0 in the error state; else the display read back (a text that is no number raises the
    // platform's conversion error).
    double DisplayValue() const;
    // A value that is not finite puts the calculator into the error state.
    void SetDisplayValue(double Value);
    void DoCopy();
    void Paste();

    TCalcStateEh Status() const { return FStatus; }
    // The pending operator (one of "* + - / % =", Enter, or none before the first).
    QChar Operator() const { return FOperator; }
    double Operand() const { return FOperand; }

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool Ctl3D() const { return FCtl3D; }
    virtual void SetCtl3D(bool Value);
    // The client size the calculator keeps (its auto-size adds the frame to it).
    void SetClientWidth(int Value);
    void SetClientHeight(int Value);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value);

    // The form resource's components.
    TPanel* Panel1 = nullptr;
    TSpeedButtonEh* SpeedButton1 = nullptr;
    TSpeedButtonEh* SpeedButton2 = nullptr;
    TSpeedButtonEh* SpeedButton3 = nullptr;
    TSpeedButtonEh* SpeedButton4 = nullptr;
    TSpeedButtonEh* SpeedButton5 = nullptr;
    TSpeedButtonEh* SpeedButton6 = nullptr;
    TSpeedButtonEh* SpeedButton7 = nullptr;
    TSpeedButtonEh* SpeedButton8 = nullptr;
    TSpeedButtonEh* SpeedButton9 = nullptr;
    TSpeedButtonEh* SpeedButton10 = nullptr;
    TSpeedButtonEh* SpeedButton11 = nullptr;
    TSpeedButtonEh* SpeedButton12 = nullptr;
    TSpeedButtonEh* SpeedButton13 = nullptr;
    TSpeedButtonEh* SpeedButton14 = nullptr;
    TSpeedButtonEh* SpeedButton15 = nullptr;
    TSpeedButtonEh* SpeedButton16 = nullptr;
    TSpeedButtonEh* SpeedButton18 = nullptr;
    TSpeedButtonEh* SpeedButton19 = nullptr;
    TSpeedButtonEh* SpeedButton20 = nullptr;
    TSpeedButtonEh* SpeedButton22 = nullptr;
    TSpeedButtonEh* SpeedButton23 = nullptr;
    TSpeedButtonEh* SpeedButton24 = nullptr;
    TSpeedButtonEh* spEqual = nullptr;
    TLabel* TextBox = nullptr;

    // Every button's click: the key of its Tag goes to ProcessKey.
    void SpeedButtonClick(TObject* Sender);

protected:
    void Loaded() override;
    void DefineProperties(TFiler* Filer) override;
    void AdjustSize() override;
    // The frame the window style adds around the client, on each side.
    virtual int FrameWidth() const;
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void WMNCCalcSize(TMessage& M) override;
    void WMNCPaint(TMessage& M) override;
    void WMGetDlgCode(TMessage& M) override;
    void CMBiDiModeChanged(TMessage& M) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

    void BeginEntry();
    void Error();
    void Clear();
    void UpdateEqualButton();
    void UpdateDisplayAlignment();
    // The children and the kept client size scaled by M / D.
    void ScaleContents(int M, int D);

    TBorderStyle FBorderStyle = bsNone;
    int FClientHeight = 0;
    int FClientWidth = 0;
    double FOperand = 0;
    QChar FOperator;
    int FPixelsPerInch = 0;
    TCalcStateEh FStatus = csFirstEh;
    int FTextHeight = 0;
    bool FCtl3D = true;
    bool FClientWidthSet = false;
    bool FClientHeightSet = false;
    bool FOldCreateOrder = false;
};

// The calculator under a number editor: a top-most tool window that never takes the focus;
// it closes through its owner's IComboEditEh.
class TPopupCalculatorEh : public TCalculatorEh, public IPopupCalculatorEh {
    DOV_PERSISTENT(TPopupCalculatorEh, TCalculatorEh)
public:
    explicit TPopupCalculatorEh(TComponent* AOwner);
    void AfterConstruction() override;

    bool GetReadyToAccept() override;
    bool GetFlat() override { return FFlat; }
    Variant GetValue() override;
    void SetFlat(bool Value) override;
    void SetValue(const Variant& Value) override;

    void ProcessKey(QChar Key) override;
    bool CanFocus() const override { return false; }
    void SetCtl3D(bool Value) override;
    int BorderWidthEh() const { return FBorderWidth; }

protected:
    int FrameWidth() const override;
    void CreateParams(TCreateParams& Params) override;
    void WMNCPaint(TMessage& M) override;
    void WMGetDlgCode(TMessage& M) override;
    void CMWantSpecialKey(TMessage& M) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    // Through the owner's IComboEditEh, when it has one.
    void OwnerCloseUp(bool Accept);

    int FBorderWidth = 2;
    bool FFlat = true;
};

// Puts the calculator classes (and the classes of its resource) into the class registry.
void RegisterCalculatorClasses();
