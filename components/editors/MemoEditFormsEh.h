// The drop-down memo editor: one text in a plain multi-line memo with OK and Cancel, passed
// in and back through the form's named values. One shared instance serves the process.
#pragma once

#include "components/foundation/DropDownFormEh.h"

class TMemo;
class TBevel;
class TSpeedButton;

class TMemoEditWinEh : public TCustomDropDownFormEh {
    DOV_PERSISTENT(TMemoEditWinEh, TCustomDropDownFormEh)
public:
    explicit TMemoEditWinEh(TComponent* AOwner);
    void AfterConstruction() override;

    // The shared instance: made on first use, owned by the application, reused.
    static TMemoEditWinEh* GetGlobalRef();

    // The form resource's components.
    TMemo* Memo1 = nullptr;
    TPanel* Panel1 = nullptr;
    TSpeedButton* sbOk = nullptr;
    TSpeedButton* SpeedButton2 = nullptr;
    TBevel* Bevel1 = nullptr;

    // How the parameters came in: none, one value, or a record's values.
    TDropDownPassParamsEh PassParams() const { return FPassParams; }

    void CustomDropDownFormEhInitForm(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams);
    void CustomDropDownFormEhReturnParams(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams);
    void sbOkClick(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);

protected:
    bool KeepsGlobalRef() const override { return true; }
    void KeyDown(Word& Key, TShiftState Shift) override;

    TDropDownPassParamsEh FPassParams = pspByFieldNamesEh;
};

// Lets the user edit a string modally: True, with Text changed, when the user closed the
// editor with OK. The rectangle is not used.
using TEditMemoTextProcEh = bool (*)(QString& Text, const TRect& Rect, bool ReadOnly);
// Set at the unit's start-up to ShowMemoEditor.
extern TEditMemoTextProcEh EditMemoTextHook;
bool ShowMemoEditor(QString& Text, const TRect& Rect, bool ReadOnly);

// The unit's start-up: the form class registered by name and the hook set; once.
void MemoEditFormsUnitStartUp();
