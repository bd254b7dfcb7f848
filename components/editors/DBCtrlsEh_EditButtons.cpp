// The data-aware edit's buttons: presses, clicks and shortcuts, the default actions of the
// button styles, and the drop-down forms a button opens with the control's value or record.
#include "components/editors/DBCtrlsEh.h"

#include "components/foundation/DropDownFormEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/PopupMenus.h"
#include "platform/winapi/WinUser.h"

TDefaultEditButtonActionProcEh DefaultDBEditEhButtonAction = &DefaultEditButtonAction;
const TClassInfo* DBEditEhMemoEditFormClass = nullptr;

// ============================================================================================
// The buttons and their controls
// ============================================================================================

void TCustomDBEditEh::SetEditButton(TEditButtonEh* Value)
{
    FEditButton->Assign(Value);
}

void TCustomDBEditEh::SetEditButtons(TEditButtonsEh* Value)
{
    FEditButtons->Assign(Value);
}

TEditButtonControlEh* TCustomDBEditEh::CreateEditButtonControl()
{
    auto* control = Create<TEditButtonControlEh>(this);
    control->ControlStyle.Include(csReplicatable);
    control->SetBounds(0, 0, 10, 17);
    control->SetVisible(true);
    return control;
}

void TCustomDBEditEh::CreateEditButtonControlEvent(TEditButtonControlEh*& EditButtonControl)
{
    EditButtonControl = CreateEditButtonControl();
}

TEditButtonEh* TCustomDBEditEh::ButtonOfLine(int Line) const
{
    if (Line == 0)
        return FEditButton;
    if (Line - 1 < FEditButtons->Count())
        return FEditButtons->Items(Line - 1);
    return nullptr;
}

int TCustomDBEditEh::LineOfButtonControl(TObject* ButtonControl)
{
    FlushEditButtonsChange();
    return FButtonsBox->LineOfControl(ButtonControl);
}

TEditButtonControlEh* TCustomDBEditEh::GetEditButtonControlByEditButton(TEditButtonEh* EditButton)
{
    FlushEditButtonsChange();
    for (int i = 0; i < FButtonsBox->ButtonsCount(); ++i)
        if (FButtonsBox->BtnCtlList()[size_t(i)].EditButton == EditButton)
            return FButtonsBox->BtnCtlList()[size_t(i)].EditButtonControl;
    return nullptr;
}

TEditButtonEh* TCustomDBEditEh::GetFirstDefaultActionEditButton()
{
    FlushEditButtonsChange();
    if (FEditButton->DefaultAction() && FEditButton->GetVisible())
        return FEditButton;
    for (int i = 0; i < FEditButtons->Count(); ++i) {
        TEditButtonEh* b = FEditButtons->Items(i);
        if (b->DefaultAction() && b->GetVisible())
            return b;
    }
    return nullptr;
}

bool TCustomDBEditEh::DefaultActionForButton(TEditButtonEh* Button)
{
    if (Button == FEditButton)
        return Button->GetVisible();
    TDropDownFormCallParamsEh* p = Button->DropDownFormParams();
    return !(Button->OnClick() || Button->OnDown() || (p && (p->DropDownForm() || !p->DropDownFormClassName().isEmpty())) ||
             Button->DropdownMenu());
}

void TCustomDBEditEh::UpdateEditButtonsState()
{
    if (!FButtonsBox)
        return;
    FlushEditButtonsChange();
    FButtonsBox->SetBorderActive(FBorderActive);
    FButtonsBox->UpdateEditButtonControlsState();
    FEditButton->SetParentDefinedDefaultAction(DefaultActionForButton(FEditButton));
    for (int i = 0; i < FEditButtons->Count(); ++i)
        FEditButtons->Items(i)->SetParentDefinedDefaultAction(DefaultActionForButton(FEditButtons->Items(i)));
}

void TCustomDBEditEh::EditButtonChanged(TObject*)
{
    // A new collection item reports itself from inside its construction: the box is rebuilt
    // when the buttons are next needed, not from here.
    FButtonsChangePending = true;
    Invalidate();
}

void TCustomDBEditEh::FlushEditButtonsChange()
{
    if (!FButtonsChangePending || !HandleAllocated())
        return;
    FButtonsChangePending = false;
    UpdateEditButtons();
    UpdateEditButtonsState();
    UpdateTextRect();
}

namespace {
void ClearImagesOf(TEditButtonEh* Button, TComponent* AComponent)
{
    TEditButtonImagesEh* im = Button->Images();
    if (im->NormalImages() == AComponent)
        im->SetNormalImages(nullptr);
    if (im->HotImages() == AComponent)
        im->SetHotImages(nullptr);
    if (im->PressedImages() == AComponent)
        im->SetPressedImages(nullptr);
    if (im->DisabledImages() == AComponent)
        im->SetDisabledImages(nullptr);
}
bool UsesImages(TEditButtonEh* Button, TComponent* AComponent)
{
    TEditButtonImagesEh* im = Button->Images();
    return AComponent && (im->NormalImages() == AComponent || im->HotImages() == AComponent ||
                          im->PressedImages() == AComponent || im->DisabledImages() == AComponent);
}
}

void TCustomDBEditEh::ClearButtonImagesOf(TComponent* AComponent)
{
    if (FEditButton)
        ClearImagesOf(FEditButton, AComponent);
    if (FEditButtons)
        for (int i = 0; i < FEditButtons->Count(); ++i)
            ClearImagesOf(FEditButtons->Items(i), AComponent);
}

void TCustomDBEditEh::EditButtonImagesRefComponentNotifyEvent(TObject*, TComponent* RefComponent)
{
    Invalidate();
    if (!RefComponent)
        return;
    bool used = UsesImages(FEditButton, RefComponent);
    for (int i = 0; i < FEditButtons->Count() && !used; ++i)
        used = UsesImages(FEditButtons->Items(i), RefComponent);
    if (used)
        RefComponent->FreeNotification(this);
}

// ============================================================================================
// Presses and clicks
// ============================================================================================

int TEditButtonsBoxEh::LineOfControl(const TObject* ButtonControl) const
{
    for (size_t i = 0; i < FBtnCtlList.size(); ++i)
        if (FBtnCtlList[i].EditButtonControl == ButtonControl)
            return int(i);
    return -1;
}

void PressEditButtonEh(TEditButtonEh* Button, TEditButtonControlEh* Control, bool& Handled,
                       const std::function<void(bool& Handled)>& Down,
                       const std::function<void(bool& Handled)>& DropDownForm,
                       const std::function<void(bool& Handled)>& DefaultAction)
{
    Down(Handled);
    if (!Handled)
        DropDownForm(Handled);
    if (Handled)
        return;
    if (TPopupMenu* menu = Button->DropdownMenu()) {
        // Under the control, and the button goes up at once.
        TPoint p = Control->ClientToScreen(TPoint(0, Control->Height()));
        if (menu->Alignment == paRight)
            p.X += Control->Width();
        menu->Popup(p.X, p.Y);
        LeftClickPending(Control);
        Control->Perform(WM_LBUTTONUP, 0, 0);
        Handled = true;
    } else if (Button->DefaultAction()) {
        DefaultAction(Handled);
    }
}

void TCustomDBEditEh::EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)
{
    if (CanFocus() && !Focused())
        SetFocus();
    Handled = false;
    auto* control = dynamic_cast<TEditButtonControlEh*>(Sender);
    const int line = LineOfButtonControl(Sender);
    if (!control || line < 0)
        return;
    TEditButtonEh* button = ButtonOfLine(line);
    if (!button || (line == 0 && !control->Enabled()))
        return;
    PressEditButtonEh(
        button, control, Handled,
        [&](bool& handled) {
            if (line == 0) {
                if (OnButtonDown)
                    OnButtonDown(this, TopButton, AutoRepeat, handled);
            } else if (button->OnDown()) {
                button->OnDown()(button, TopButton, AutoRepeat, handled);
            }
        },
        // The open event goes through the edit's opening step, so that a read-only edit opens
        // the form read-only here too.
        [&](bool& handled) {
            ShowEditButtonDropDownForm(
                this, FDataLink, Field(), handled,
                TDropDownFormCallbackProcEh(this, &TCustomDBEditEh::EditButtonDropDownFormCallback),
                TEditControlShowDropDownFormEventEh(this, &TCustomDBEditEh::EditButtonDropDownFormOpening), control,
                button, Variant(Text()));
        },
        [&](bool& handled) {
            if (line != 0 || !button->Action())
                EditButtonDownDefaultAction(button, control, TopButton, AutoRepeat, handled);
        });
}

void TCustomDBEditEh::EditButtonClick(TObject* Sender)
{
    auto* control = dynamic_cast<TEditButtonControlEh*>(Sender);
    const int line = LineOfButtonControl(Sender);
    TEditButtonEh* button = line >= 0 ? ButtonOfLine(line) : nullptr;
    bool handled = false;
    if (button) {
        button->Click(this, handled);
        if (!handled && line == 0 && OnButtonClick)
            OnButtonClick(this, handled);
        if (!handled && button->DefaultAction() && DefaultDBEditEhButtonAction)
            EditButtonClickDefaultAction(button, control, handled);
    }
    if (!handled && FDroppedDown && !FNoClickCloseUp && control && control == FDroppedDownButtonControl)
        CloseUp(false);
    FNoClickCloseUp = false;
}

void TCustomDBEditEh::EditButtonMouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y)
{
    if (ButtonReleasedOutside(Sender, X, Y))
        FNoClickCloseUp = false;
}

void TCustomDBEditEh::EditButtonMouseMove(TObject*, TShiftState, int, int) {}

void TCustomDBEditEh::EditButtonDownDefaultAction(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                                  bool, bool&, bool& Handled)
{
    if (DefaultDBEditEhButtonAction)
        DefaultDBEditEhButtonAction(this, EditButton, EditButtonControl, Handled, true);
}

void TCustomDBEditEh::EditButtonClickDefaultAction(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                                   bool& Handled)
{
    if (DefaultDBEditEhButtonAction)
        DefaultDBEditEhButtonAction(this, EditButton, EditButtonControl, Handled, false);
}

void TCustomDBEditEh::DropDownButtonDown(TEditButtonControlEh*)
{
    if (FMRUList->DroppedDown())
        FMRUList->CloseUp(false);
}

void TCustomDBEditEh::SetDropDownState(TEditButtonEh* Button, TEditButtonControlEh* ButtonControl)
{
    FDroppedDown = true;
    FDroppedDownButton = Button;
    FDroppedDownButtonControl = ButtonControl;
    if (ButtonControl)
        ButtonControl->SetAlwaysDown(true);
}

void TCustomDBEditEh::ClearDropDownState()
{
    if (FDroppedDownButtonControl)
        FDroppedDownButtonControl->SetAlwaysDown(false);
    FDroppedDown = false;
    FDroppedDownButton = nullptr;
    FDroppedDownButtonControl = nullptr;
}

void TCustomDBEditEh::CloseUp(bool) {}

// ============================================================================================
// Drop-down forms
// ============================================================================================

bool TCustomDBEditEh::DataReadOnlyForForms() const
{
    // A closed dataset or a field that went away takes nothing back either.
    return FReadOnly || !FDataLink->Active() || !FDataLink->CanModify();
}

void TCustomDBEditEh::CheckDataIsReadOnly(TObject*, bool& ReadOnly)
{
    ReadOnly = ReadOnly || DataReadOnlyForForms();
}

void TCustomDBEditEh::EditButtonDropDownFormOpening(TControl*, TEditButtonEh* Button, TCustomForm*& DropDownForm,
                                                    TDynVarsEh* DynParams)
{
    if (auto* form = dynamic_cast<TCustomDropDownFormEh*>(DropDownForm))
        form->SetReadOnly(FReadOnly || !FDataLink->CanModify());
    if (OnOpenDropDownForm)
        OnOpenDropDownForm(this, Button, DropDownForm, DynParams);
}

void TCustomDBEditEh::GetActualDropDownForm(TCustomForm*& DropDownForm, bool& FreeFormOnClose)
{
    DropDownForm = DBEditEhMemoEditFormClass ? DropDownFormGlobalRef(*DBEditEhMemoEditFormClass) : nullptr;
    if (DropDownForm)
        FreeFormOnClose = false;
}

void TCustomDBEditEh::ReleaseButtonControls()
{
    for (int i = 0; i < FButtonsBox->ButtonsCount(); ++i)
        if (TEditButtonControlEh* c = FButtonsBox->BtnCtlList()[size_t(i)].EditButtonControl)
            c->SetAlwaysDown(false);
}

void TCustomDBEditEh::DropDownFormCloseProc(TControl* EditControl, TEditButtonEh* Button, bool Accept,
                                            TCustomForm* DropDownForm, TDynVarsEh* DynParams)
{
    ReleaseButtonControls();
    if (OnCloseDropDownForm)
        OnCloseDropDownForm(EditControl, Button, Accept, DropDownForm, DynParams);
}

void TCustomDBEditEh::EditButtonDropDownFormCallback(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams,
                                                     TDropDownFormSysParams* SysParams)
{
    ReleaseButtonControls();
    CloseEditButtonDropDownForm(this, FDataLink, DropDownForm, OnCloseDropDownForm,
                                TSetVarValueProcEh(this, &TCustomDBEditEh::SetVarValue), SysParams, DynParams, Accept,
                                DataReadOnlyForForms());
}

void TCustomDBEditEh::RefreshButtonFormParams()
{
    // A form may be open on a button: its parameters must never keep a field that went away.
    auto refresh = [&](TEditButtonEh* b) {
        if (TDropDownFormCallParamsEh* p = b->DropDownFormParams()) {
            p->SetDataLink(FDataLink);
            p->SetField(Field());
        }
    };
    if (FEditButton)
        refresh(FEditButton);
    if (FEditButtons)
        for (int i = 0; i < FEditButtons->Count(); ++i)
            refresh(FEditButtons->Items(i));
}

void DefaultEditButtonAction(TWinControl* EditControl, TEditButtonEh* Button, TEditButtonControlEh* ButtonControl,
                             bool& Handled, bool FromDown)
{
    auto* edit = dynamic_cast<TCustomDBEditEh*>(EditControl);
    if (!edit || !Button)
        return;
    const TEditButtonStyleEh style = Button->Style();
    if ((style == ebsDropDownEh || style == ebsAltDropDownEh) && FromDown) {
        TDropDownFormCallParamsEh* p = Button->DropDownFormParams();
        if (!p)
            return;
        p->SetEditButton(Button);
        p->SetEditButtonControl(ButtonControl);
        p->SetEditControl(edit);
        p->SetOnOpenDropDownFormProc(
            TEditControlShowDropDownFormEventEh(edit, &TCustomDBEditEh::EditButtonDropDownFormOpening));
        p->SetOnCloseDropDownFormProc(
            TEditControlCloseDropDownFormEventEh(edit, &TCustomDBEditEh::DropDownFormCloseProc));
        p->SetDataLink(edit->FDataLink);
        p->SetField(edit->Field());
        p->SetOnSetVarValueProc(TSetVarValueProcEh(edit, &TCustomDBEditEh::SetVarValue));
        p->SetOnGetVarValueProc(TGetVarValueProcEh(edit, &TCustomDBEditEh::GetVarValue));
        p->SetOnGetActualDropDownFormProc(TGetDropDownFormEventEh(edit, &TCustomDBEditEh::GetActualDropDownForm));
        p->OnCheckDataIsReadOnly = TCheckDataIsReadOnlyEventEh(edit, &TCustomDBEditEh::CheckDataIsReadOnly);
        p->ShowDropDownForm(Handled);
    } else if ((style == ebsEllipsisEh || style == ebsGlyphEh) && !FromDown) {
        TCustomForm* form =
            DBEditEhMemoEditFormClass ? DropDownFormGlobalRef(*DBEditEhMemoEditFormClass) : nullptr;
        auto* interact = dynamic_cast<IDynParamsInteractableEh*>(form);
        if (!interact)
            return;
        const bool readOnly = edit->DataReadOnlyForForms();
        if (auto* dd = dynamic_cast<IDropDownFormEh*>(form))
            dd->SetReadOnly(readOnly);
        auto params = CreateUnique<TDynVarsEh>(edit);
        params->CreateDynVar(QString(), Variant(edit->Text()));
        interact->SetDynParams(params.get());
        if (form->ShowModal() == mrOk && !readOnly) {
            TDynVarsEh* back = params.get();
            interact->GetDynParams(back);
            if (back && back->Count() > 0)
                edit->SetText(SafeVarToStr(back->GetItem(0)->Value()));
        }
        interact->SetDynParams(nullptr);
        Handled = true;
    }
}

void ShowEditButtonDropDownForm(TWinControl* EditControl, TFieldDataLinkEh* DataLink, TField* Field, bool& Handled,
                                const TDropDownFormCallbackProcEh& CallbackProc,
                                const TEditControlShowDropDownFormEventEh& OpenEvent,
                                TEditButtonControlEh* ButtonControl, TEditButtonEh* Button, const Variant& Value)
{
    if (ButtonControl && ButtonControl->AlwaysDown())
        return;
    if (DropDownFormClosedNoticePending(EditControl, Button)) {
        Handled = true;
        return;
    }
    TDropDownFormCallParamsEh* q = Button ? Button->DropDownFormParams() : nullptr;
    if (!q)
        return;
    // The button's own form or form class (a default action may have left its own getter).
    q->SetEditControl(EditControl);
    q->SetOnGetActualDropDownFormProc(TGetDropDownFormEventEh());
    bool freeFormOnClose = false;
    TCustomForm* form = q->FormOfSettings(EditControl, freeFormOnClose);
    TDropDownFormOpeningEh opening(EditControl, ButtonControl, Button);
    q->SetDataLink(DataLink);
    q->SetField(Field);
    opening.InitDynParams = [&](TDynVarsEh* DynParams) {
        q->FillDynParams(DynParams, DataLink ? DataLink->DataSet() : nullptr, Field ? Field->FieldName() : QString(),
                         [&] { return Value; });
    };
    opening.DataReadOnly = [&] { return Field && Field->ReadOnly(); };
    if (OpenEvent)
        opening.Opening = [&](TCustomForm*& Form, TDynVarsEh* DynParams) {
            OpenEvent(EditControl, Button, Form, DynParams);
        };
    GetControlScreenRect(EditControl, opening.Bounds);
    opening.Callback = CallbackProc;
    OpenDropDownFormEh(*q, form, freeFormOnClose, opening, Handled);
}

void CloseEditButtonDropDownForm(TWinControl* EditControl, TFieldDataLinkEh* DataLink, TCustomForm* DropDownForm,
                                 const TEditControlCloseDropDownFormEventEh& CloseEvent,
                                 const TSetVarValueProcEh& SetVarValue, TDropDownFormSysParams* SysParams,
                                 TDynVarsEh* DynParams, bool Accept, bool ReadOnly)
{
    auto* editSys = dynamic_cast<TEditControlDropDownFormSysParams*>(SysParams);
    TEditButtonEh* button = editSys ? editSys->EditButton() : nullptr;
    TDropDownFormCallParamsEh* q = button ? button->DropDownFormParams() : nullptr;
    // The closed notice and the parameters go whatever happens below: otherwise a failed
    // write-back would leave the form unopenable.
    auto finish = Finally([&] {
        if (EditControl && EditControl->HandleAllocated())
            PostMessage(EditControl->Handle(), WM_DROPDOWNFORMCLOSED_EH, WPARAM(EditControl->Handle()),
                        button ? LPARAM(button) : LPARAM(EditControl));
        delete DynParams;
        delete SysParams;
    });
    try {
        // Hidden in every case, also when writing back fails.
        auto hide = Finally([&] {
            if (DropDownForm)
                DropDownForm->Hide();
            if (q && q->SaveFormSize() && DropDownForm)
                q->StoreFormSize(DropDownForm);
        });
        if (Accept && q && !ReadOnly && DynParams) {
            q->SetDataLink(DataLink);
            q->SetField(DataLink ? DataLink->Field() : nullptr);
            q->SetOnSetVarValueProc(SetVarValue);
            q->AssignBackDynParams(DynParams);
        }
    } catch (...) {
        ReportDropDownFormError(DropDownForm, EditControl);
    }
    try {
        if (CloseEvent)
            CloseEvent(EditControl, nullptr, Accept, q ? q->DropDownForm() : nullptr, DynParams);
    } catch (...) {
        Application->HandleException(EditControl);
    }
}
