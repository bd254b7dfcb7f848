// Drop-down forms: borderless top-level windows that open under (or above) an edit control or
// a grid cell, let the user pick or edit something and hand values back through a named-value
// set. A drop-down never takes the keyboard from its owner: while it is open the keys the
// owner's window receives are handed to it, and a press outside it (or the focus moving
// elsewhere) closes it as a deactivation would.
#pragma once

#include "ToolCtrlsEh_DropDowns.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"

#include <memory>

class TDynVarsEh;
class TCustomDropDownFormEh;
class TDropDownKeyRedirectEh;

enum TDropDownFormElementEh { ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh };
DOV_ENUM_INFO(TDropDownFormElementEh, ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh)
using TDropDownFormElementsEh = TSet<TDropDownFormElementEh>;
enum TDropLayoutEh { dlAboveControlEh, dlUnderControlEh };
DOV_ENUM_INFO(TDropLayoutEh, dlAboveControlEh, dlUnderControlEh)

using TPutBackFormParamsEventEh = Delegate<void(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams)>;
using TInitDropDownFormEventEh = Delegate<void(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams)>;

// The close button in the form's corner: a flat caption close button filling the control.
class TDDFCloseButtonEh : public TWinControl {
    DOV_PERSISTENT(TDDFCloseButtonEh, TWinControl)
public:
    explicit TDDFCloseButtonEh(TComponent* AOwner);
    void AfterConstruction() override;
    TSpeedButtonEh* ButtonControl() const { return FButtonControl; }

protected:
    void ButtonClick(TObject* Sender);
    void PaintButton(TObject* Sender);
    TSpeedButtonEh* FButtonControl = nullptr;
};

// The bar along the form's free edge that resizes it vertically by dragging.
class TDDFSizingBarEh : public TPanel {
    DOV_PERSISTENT(TDDFSizingBarEh, TPanel)
public:
    explicit TDDFSizingBarEh(TComponent* AOwner);
    TWinControl* HostControl() const { return FHostControl; }
    void SetHostControl(TWinControl* Value) { FHostControl = Value; }
    int SizingArea() const { return FSizingArea; }
    // Whether the client point lies in the grab zone.
    bool InSizingArea(int Y);

protected:
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    TWinControl* FHostControl = nullptr;
    TPoint FMouseDownPos{-1, -1};   // screen point of the press; (-1, -1): no drag
    int FSizingArea = 0;
};

class TCustomDropDownFormEh : public TForm, public IDynParamsInteractableEh, public IDropDownFormEh {
    DOV_PERSISTENT(TCustomDropDownFormEh, TForm)
public:
    explicit TCustomDropDownFormEh(TComponent* AOwner);
    ~TCustomDropDownFormEh() override;
    void AfterConstruction() override;

    // ---- runs ----
    bool Execute(TControl* RelativePosControl, TControl* DownStateControl, TDropDownAlign Align,
                 TDynVarsEh* DynParams) override;
    void ExecuteNomodal(const TRect& RelativePosRect, TControl* DownStateControl, TDropDownAlign Align,
                        TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams,
                        const TDropDownFormCallbackProcEh& CallbackProc) override;
    void Close() override { TForm::Close(); }
    // An ordinary window: drop-down mode off.
    void Show();
    TModalResult ShowModal() override;

    virtual void InitForm(TWinControl* Host, TDynVarsEh* DynParams);
    virtual void InitElements();
    virtual void ReturnParams(TWinControl* Host, TDynVarsEh* DynParams);
    // The one shared instance of a form class (nullptr when it keeps none or has none yet).
    static TCustomDropDownFormEh* GetGlobalRef(const TClassInfo& FormClass);

    void SetDynParams(TDynVarsEh* DynParams) override { FDynParams = DynParams; }
    void GetDynParams(TDynVarsEh*& DynParams) override { DynParams = FDynParams; }
    bool GetReadOnly() const override { return FReadOnly; }
    void SetReadOnly(bool Value) override { FReadOnly = Value; }
    bool ReadOnly() const { return FReadOnly; }

    // ---- state ----
    bool DropDownMode() const { return FDropDownMode; }
    void SetDropDownMode(bool Value);
    TBorderStyle BorderStyle() const { return BorderStyle(); }
    TDropDownFormElementsEh FormElements() const { return FFormElements; }
    void SetFormElements(TDropDownFormElementsEh Value) { FFormElements = Value; }
    TDropLayoutEh DropLayout() const { return FDropLayout; }
    bool ModalMode() const { return FModalMode; }
    bool KeepFormVisible() const { return FKeepFormVisible; }
    void SetKeepFormVisible(bool Value) { FKeepFormVisible = Value; }
    int BorderWidthEh() const { return FBorderWidth; }
    TDropDownFormSysParams* SysParams() const { return FSysParams; }
    TCustomForm* MasterForm() const { return FMasterForm; }
    TDDFCloseButtonEh* CloseButton() const { return FCloseButton; }
    TDDFSizingBarEh* SizingBar() const { return FSizingBar; }
    // The corner grips (nullptr while no grip control is linked in, see CreateSizeGrip) and
    // the corners they were last given.
    TWinControl* SizeGrip() const { return FSizeGrip; }
    TWinControl* SizeGrip2() const { return FSizeGrip2; }
    TSizeGripPosition RightGripPosition() const { return FRightGripPosition; }
    TSizeGripPosition LeftGripPosition() const { return FLeftGripPosition; }

    // Where keys the owner receives go while the form is open: its active control, or itself.
    TWinControl* KeyTarget();
    void Dispatch(TMessage& Message) override;

    TPutBackFormParamsEventEh OnReturnParams;
    TInitDropDownFormEventEh OnInitForm;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void Loaded() override;
    void DoClose(TCloseAction& Action) override;
    void Deactivate() override;
    void CMDialogKey(TMessage& M) override;
    void CMCancelMode(TMessage& M) override;
    void WMSize(TMessage& M) override;
    void WMNCCalcSize(TMessage& M) override;
    void WMNCPaint(TMessage& M) override;
    virtual void PaintBorder(HDC DC);
    // Forms that keep one shared instance answer True: their first instance becomes it.
    virtual bool KeepsGlobalRef() const { return false; }

    // The seam to the corner grip control: makes one grip hosted by the form (none here), and
    // moves it to its corner.
    virtual TWinControl* CreateSizeGrip(TSizeGripPosition Position);
    virtual void SetSizeGripPosition(TWinControl* Grip, TSizeGripPosition Position);
    void SetGripCorners(bool AtBottom);
    void ShowGrips();

    // Places the form against the screen rectangle; True when it is below it.
    bool PlaceAgainst(const TRect& R, TDropDownAlign Align);
    // The close step of a non-modal run: the callback once, then the focus home.
    void CloseDeactivated();
    void StartKeyRedirect();
    void StopKeyRedirect();

    TWinControl* FSizeGrip = nullptr;
    TWinControl* FSizeGrip2 = nullptr;
    int FBorderWidth = 3;
    TDropDownFormCallbackProcEh FCallbackProc;
    bool FKeepFormVisible = false;
    TDropDownFormElementsEh FFormElements{ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh};
    bool FReadOnly = false;
    bool FDropDownMode = true;
    TDropLayoutEh FDropLayout = dlUnderControlEh;
    TDynVarsEh* FDynParams = nullptr;
    TDropDownFormSysParams* FSysParams = nullptr;
    bool FModalMode = false;
    bool FActivateClosing = false;
    TDDFCloseButtonEh* FCloseButton = nullptr;
    TDDFSizingBarEh* FSizingBar = nullptr;
    TCustomForm* FMasterForm = nullptr;

    TSizeGripPosition FRightGripPosition = sgpBottomRight;
    TSizeGripPosition FLeftGripPosition = sgpBottomLeft;
    bool FModalCancelled = false;   // a press outside ended the modal run
    TWinControl* FKeyOwner = nullptr;
    const TClassInfo* FGlobalRefClass = nullptr;   // the class this form is the shared instance of
    std::unique_ptr<TDropDownKeyRedirectEh> FKeyRedirect;
};

// Puts the drop-down form classes into the class registry (by name); the unit does it at
// start-up.
void RegisterDropDownFormClasses();
void UnregisterDropDownFormClasses();
