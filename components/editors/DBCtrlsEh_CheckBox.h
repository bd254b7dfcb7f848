// The data-aware check box (DBCtrlsEh_CheckBox.cpp). Included at the end of DBCtrlsEh.h.
#pragma once

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/StdCtrls.h"

class TFieldDataLinkEh;
class TDynVarsEh;
class TDataSource;
class TField;

// Replaces the writing of the field when the handler sets Handled.
using TUpdateDataEventEh = Delegate<void(TObject* Sender, bool& Handled)>;

// A check box that paints itself like the library's edit buttons and shows a field: checked,
// unchecked or grayed by the field's text matched against two ";"-separated lists, or by a
// Boolean field directly. Without a data source and field name it keeps its own value.
class TCustomDBCheckBoxEh : public TButtonControl {
    DOV_PERSISTENT(TCustomDBCheckBoxEh, TButtonControl)
public:
    explicit TCustomDBCheckBoxEh(TComponent* AOwner);
    ~TCustomDBCheckBoxEh() override;
    void AfterConstruction() override;

    // taLeftJustify puts the caption left of the glyph, taRightJustify (default) right of it.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
    void SetAlwaysShowBorder(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    void SetChecked(bool Value) override;
    TCheckBoxState State() const { return FState; }
    // Bound: puts the dataset into edit state and writes the field at once.
    void SetState(TCheckBoxState Value);
    bool IsStateStored() const;
    QString ValueChecked() const { return FValueCheck; }
    void SetValueChecked(const QString& Value);
    QString ValueUnchecked() const { return FValueUncheck; }
    void SetValueUnchecked(const QString& Value);

    QString DataField() const;
    void SetDataField(const QString& Value);
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    TField* Field() const;
    TFieldDataLinkEh* DataLink() const { return FDataLink; }
    bool Modified() const { return FModified; }
    TDynVarsEh* DynProps() const { return FDynProps; }
    void SetDynProps(TDynVarsEh* Value);

    // The state the data gives.
    TCheckBoxState GetFieldState();
    // Text is one of the ";"-separated items of List (trimmed, compared without case).
    static bool ValueMatches(const QString& List, const QString& Text);

    TUpdateDataEventEh OnUpdateData;

    void Dispatch(TMessage& Message) override;

protected:
    virtual void Paint() override;
    virtual bool DataIndepended() const;
    virtual void DrawCaption(TCanvas* Canvas, const TRect& ARect, bool IsFocused);
    virtual void DrawCheckGlyph(TCanvas* Canvas, const TRect& ARect, TCheckBoxState AState, bool IsActive,
                                bool IsPressed);
    virtual void DrawCheckBox(TCanvas* Canvas, TCheckBoxState AState, bool IsFocused, bool IsHot, bool IsPressed);
    virtual void InternalSetState(TCheckBoxState Value);
    virtual void UpdateFieldState();
    void Toggle() override;
    virtual void UpdateData(TObject* Sender);

    bool GetChecked() const override { return FState == cbChecked; }
    void DataChange(TObject* Sender);
    void DoClick() override;
    void DefineProperties(TFiler* Filer) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;

    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMCancelMode(TMessage& M) override;
    void WMSetFocus(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void WMSize(TMessage& M) override;
    void CMExit(TMessage& M) override;
    void CMWantSpecialKey(TMessage& M) override;
    void CMMouseEnter(TMessage& M) override;
    void CMMouseLeave(TMessage& M) override;

    TAlignment FAlignment = taRightJustify;
    bool FAllowGrayed = false;
    bool FAlwaysShowBorder = false;
    TDynVarsEh* FDynProps = nullptr;
    TFieldDataLinkEh* FDataLink = nullptr;
    bool FFlat = false;
    bool FModified = false;
    bool FMouseAboveControl = false;
    TCheckBoxState FState = cbUnchecked;
    QString FValueCheck;
    QString FValueUncheck;
    bool FDataPosting = false;
    bool FToggleKeyDown = false;
};

class TDBCheckBoxEh : public TCustomDBCheckBoxEh {
    DOV_PERSISTENT(TDBCheckBoxEh, TCustomDBCheckBoxEh)
public:
    using TCustomDBCheckBoxEh::TCustomDBCheckBoxEh;
};
