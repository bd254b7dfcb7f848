// Drop-down forms as edit controls see them: what a drop-down form offers, the system
// parameters of a non-modal run, and the call parameters with which an edit button opens its
// form and writes the results back (ToolCtrlsEh_DropDowns.cpp).
#pragma once

#include "ToolCtrlsEh.h"

class TCustomForm;
class TDataLink;
class TDataSet;
class TDynVarsEh;
class TField;

enum TDropDownAlign { daLeft, daRight, daCenter };
DOV_ENUM_INFO(TDropDownAlign, daLeft, daRight, daCenter)
enum TDropDownPassParamsEh { pspByFieldNamesEh, pspFieldValueEh, pspRecordValuesEh, pspCustomValuesEh };
DOV_ENUM_INFO(TDropDownPassParamsEh, pspByFieldNamesEh, pspFieldValueEh, pspRecordValuesEh, pspCustomValuesEh)

// The caller's side of a non-modal run.
class TDropDownFormSysParams : public TPersistent {
    DOV_PERSISTENT(TDropDownFormSysParams, TPersistent)
public:
    TDropDownFormSysParams() = default;
    bool FreeFormOnClose() const { return FFreeFormOnClose; }
    void SetFreeFormOnClose(bool Value) { FFreeFormOnClose = Value; }

protected:
    bool FFreeFormOnClose = false;
};

// The same for a form opened from an edit control's button.
class TEditControlDropDownFormSysParams : public TDropDownFormSysParams {
    DOV_PERSISTENT(TEditControlDropDownFormSysParams, TDropDownFormSysParams)
public:
    TEditControlDropDownFormSysParams() = default;
    TControl* EditControl() const { return FEditControl; }
    void SetEditControl(TControl* Value) { FEditControl = Value; }
    TEditButtonEh* EditButton() const { return FEditButton; }
    void SetEditButton(TEditButtonEh* Value) { FEditButton = Value; }
    TObject* EditButtonObj() const { return FEditButtonObj; }
    void SetEditButtonObj(TObject* Value) { FEditButtonObj = Value; }

protected:
    TControl* FEditControl = nullptr;
    TEditButtonEh* FEditButton = nullptr;
    TObject* FEditButtonObj = nullptr;
};

// Called once when a non-modal run ends; Accept is True for a close with OK.
using TDropDownFormCallbackProcEh =
    Delegate<void(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams)>;

class IDynParamsInteractableEh {
public:
    virtual ~IDynParamsInteractableEh() = default;
    virtual void SetDynParams(TDynVarsEh* DynParams) = 0;
    virtual void GetDynParams(TDynVarsEh*& DynParams) = 0;
};

class IDropDownFormEh {
public:
    virtual ~IDropDownFormEh() = default;
    // A run with a loop of its own; True when the form closed with OK.
    virtual bool Execute(TControl* RelativePosControl, TControl* DownStateControl, TDropDownAlign Align,
                         TDynVarsEh* DynParams) = 0;
    virtual bool GetReadOnly() const = 0;
    // Opens the form and returns at once; CallbackProc hears how it ended.
    virtual void ExecuteNomodal(const TRect& RelativePosRect, TControl* DownStateControl, TDropDownAlign Align,
                                TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams,
                                const TDropDownFormCallbackProcEh& CallbackProc) = 0;
    virtual void Close() = 0;
    virtual void SetReadOnly(bool Value) = 0;
};

// The shared instance of a form class: forms that keep one put themselves here when made.
TCustomForm* DropDownFormGlobalRef(const TClassInfo& FormClass);
void SetDropDownFormGlobalRef(const TClassInfo& FormClass, TCustomForm* Form);

// Posted to the edit control's window when its drop-down form has closed: WParam is that
// window, LParam the edit button (or the edit control without one). The edit control releases
// its button on it; a press that arrives while it waits does not reopen the form. A number of
// its own: WM_USER itself is the first private message of every control class.
inline constexpr UINT WM_DROPDOWNFORMCLOSED_EH = WM_USER + 210;

// The closed notice for this edit and button is still waiting: the press that has just closed
// the form must not open it again.
bool DropDownFormClosedNoticePending(TWinControl* EditControl, TEditButtonEh* Button);
// Reports an error of a closing form through the application, keeping the form up meanwhile.
void ReportDropDownFormError(TCustomForm* Form, TObject* Sender);

using TCheckDataIsReadOnlyEventEh = Delegate<void(TObject* Sender, bool& ReadOnly)>;
using TEditControlShowDropDownFormEventEh =
    Delegate<void(TControl* EditControl, TEditButtonEh* Button, TCustomForm*& DropDownForm, TDynVarsEh* DynParams)>;
using TEditControlCloseDropDownFormEventEh = Delegate<void(TControl* EditControl, TEditButtonEh* Button, bool Accept,
                                                           TCustomForm* DropDownForm, TDynVarsEh* DynParams)>;
using TSetVarValueProcEh = Delegate<void(const Variant& VarValue)>;
using TGetVarValueProcEh = Delegate<void(Variant& VarValue)>;
using TGetDropDownFormEventEh = Delegate<void(TCustomForm*& DropDownForm, bool& FreeFormOnClose)>;

// What an edit button opens and how values go in and come back; runs the whole
// open-and-close cycle for an edit control.
class TDropDownFormCallParamsEh : public TPersistent {
    DOV_PERSISTENT(TDropDownFormCallParamsEh, TPersistent)
public:
    TDropDownFormCallParamsEh() = default;
    void Assign(TPersistent* Source) override;

    virtual TWinControl* GetEditControl() const { return FEditControl; }
    virtual TEditButtonEh* GetEditButton() const { return FEditButton; }
    virtual TEditButtonControlEh* GetEditButtonControl() const { return FEditButtonControl; }
    // The form to open, and whether it goes when it closes. Raises for a class name that is
    // not registered.
    virtual TCustomForm* GetActualDropDownForm(bool& FreeFormOnClose);
    // The form the settings name: the form itself, else the shared one of the class, else a new
    // one owned by Owner (FreeFormOnClose). Raises for a class name that is not registered.
    TCustomForm* FormOfSettings(TComponent* Owner, bool& FreeFormOnClose);
    virtual TEditControlShowDropDownFormEventEh GetOnOpenDropDownFormProc() const { return FOnOpenDropDownFormProc; }
    virtual TEditControlCloseDropDownFormEventEh GetOnCloseDropDownFormProc() const { return FOnCloseDropDownFormProc; }
    virtual TSetVarValueProcEh GetOnSetVarValueProc() const { return FOnSetVarValueProc; }
    virtual TGetVarValueProcEh GetOnGetVarValueProc() const { return FOnGetVarValueProc; }
    virtual TDataLink* GetDataLink() const { return FDataLink; }
    virtual TField* GetField() const { return FField; }
    virtual void GetVarValue(Variant& Value);
    virtual bool CheckDataIsReadOnly();
    virtual void InitDynParams(TDynVarsEh* DynParams);
    // The values handed to the form as the settings ask: the fields named in PassFieldNames, the
    // one value under FieldName, or every field of DataSet.
    void FillDynParams(TDynVarsEh* DynParams, TDataSet* DataSet, const QString& FieldName,
                       const std::function<Variant()>& FieldValue) const;
    virtual void AssignBackDynParams(TDynVarsEh* DynParams);
    // The open half of the cycle.
    virtual void ShowDropDownForm(bool& Handled);
    // The close half: writes back on Accept, hides the form, tells the caller and releases the
    // button, also when writing back fails.
    virtual void DropDownFormCallbackProc(TCustomForm* Form, bool Accept, TDynVarsEh* DynParams,
                                          TDropDownFormSysParams* SysParams);
    virtual void SetVarValue(const Variant& Value);
    // With SaveFormSize: the form's size is remembered and the saved one applied before it
    // opens; the size it closes with is saved and the remembered one restored.
    void RememberFormSize(TCustomForm* Form);
    void StoreFormSize(TCustomForm* Form);

    // ---- the settings ----
    QString DropDownFormClassName() const { return FDropDownFormClassName; }
    void SetDropDownFormClassName(const QString& Value);
    QString AssignBackFieldNames() const { return FAssignBackFieldNames; }
    void SetAssignBackFieldNames(const QString& Value) { FAssignBackFieldNames = Value; }
    TDropDownAlign Align() const { return FAlign; }
    void SetAlign(TDropDownAlign Value) { FAlign = Value; }
    TDropDownPassParamsEh PassParams() const { return FPassParams; }
    void SetPassParams(TDropDownPassParamsEh Value) { FPassParams = Value; }
    QString PassFieldNames() const { return FPassFieldNames; }
    void SetPassFieldNames(const QString& Value) { FPassFieldNames = Value; }
    TCustomForm* DropDownForm() const { return FDropDownForm; }
    void SetDropDownForm(TCustomForm* Value);
    int FormHeight() const { return FFormHeight; }
    void SetFormHeight(int Value) { FFormHeight = Value; }
    bool SaveFormSize() const { return FSaveFormSize; }
    void SetSaveFormSize(bool Value) { FSaveFormSize = Value; }
    int FormWidth() const { return FFormWidth; }
    void SetFormWidth(int Value) { FFormWidth = Value; }

    // ---- filled by the caller before each open ----
    void SetEditButton(TEditButtonEh* Value) { FEditButton = Value; }
    void SetEditButtonControl(TEditButtonControlEh* Value) { FEditButtonControl = Value; }
    void SetEditControl(TWinControl* Value) { FEditControl = Value; }
    void SetDataLink(TDataLink* Value) { FDataLink = Value; }
    void SetField(TField* Value) { FField = Value; }
    void SetOnOpenDropDownFormProc(const TEditControlShowDropDownFormEventEh& Value) { FOnOpenDropDownFormProc = Value; }
    void SetOnCloseDropDownFormProc(const TEditControlCloseDropDownFormEventEh& Value)
    {
        FOnCloseDropDownFormProc = Value;
    }
    void SetOnSetVarValueProc(const TSetVarValueProcEh& Value) { FOnSetVarValueProc = Value; }
    void SetOnGetVarValueProc(const TGetVarValueProcEh& Value) { FOnGetVarValueProc = Value; }
    void SetOnGetActualDropDownFormProc(const TGetDropDownFormEventEh& Value) { FOnGetActualDropDownFormProc = Value; }

    TNotifyEvent OnChanged;
    TCheckDataIsReadOnlyEventEh OnCheckDataIsReadOnly;

protected:
    void Changed();
    TDataSet* DataSet() const;

    QString FDropDownFormClassName;
    QString FAssignBackFieldNames;
    TDropDownAlign FAlign = daCenter;
    TDropDownPassParamsEh FPassParams = pspFieldValueEh;
    QString FPassFieldNames;
    TCustomForm* FDropDownForm = nullptr;
    int FFormHeight = -1;
    bool FSaveFormSize = true;
    int FFormWidth = -1;
    int FOldFormWidth = -1;
    int FOldFormHeight = -1;
    TEditButtonEh* FEditButton = nullptr;
    TEditButtonControlEh* FEditButtonControl = nullptr;
    TWinControl* FEditControl = nullptr;
    TEditControlShowDropDownFormEventEh FOnOpenDropDownFormProc;
    TEditControlCloseDropDownFormEventEh FOnCloseDropDownFormProc;
    TDataLink* FDataLink = nullptr;
    TField* FField = nullptr;
    TSetVarValueProcEh FOnSetVarValueProc;
    TGetVarValueProcEh FOnGetVarValueProc;
    TGetDropDownFormEventEh FOnGetActualDropDownFormProc;
};

// What differs between the controls that open a drop-down form non-modally; empty hooks take
// the call parameters' own steps.
struct TDropDownFormOpeningEh {
    TDropDownFormOpeningEh(TWinControl* AEditControl, TEditButtonControlEh* AButtonControl,
                           std::unique_ptr<TDropDownFormSysParams> ASysParams);
    // For an edit control and its button (TEditControlDropDownFormSysParams).
    TDropDownFormOpeningEh(TWinControl* AEditControl, TEditButtonControlEh* AButtonControl, TEditButtonEh* Button);

    TWinControl* EditControl;             // owns the values handed to the form
    TEditButtonControlEh* ButtonControl;  // held down while the form is open
    std::unique_ptr<TDropDownFormSysParams> SysParams;
    TRect Bounds;  // on the screen; the form opens against it
    std::function<void(TDynVarsEh* DynParams)> InitDynParams;
    std::function<bool()> DataReadOnly;
    std::function<void(TCustomForm*& Form, TDynVarsEh* DynParams)> Opening;  // the open event
    std::function<void()> Starting;  // the form opens next
    TDropDownFormCallbackProcEh Callback;
};

// The one opening of a drop-down form: the values, read-only state and open event, the saved
// size, the held button, then the non-modal run, which owns the values and system parameters
// from there. A form made for this opening (FreeFormOnClose) is freed when it does not open.
// Handled when the form opened.
void OpenDropDownFormEh(TDropDownFormCallParamsEh& Params, TCustomForm* Form, bool FreeFormOnClose,
                        TDropDownFormOpeningEh& Opening, bool& Handled);
