// The call parameters of an edit button's drop-down form: which form, how values go in and
// come back, and the open-and-close cycle for an edit control.
#include "ToolCtrlsEh_DropDowns.h"

#include "DropDownFormEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"

#include <map>

DOV_PUBLISHED(TDropDownFormSysParams) {}
DOV_PUBLISHED(TEditControlDropDownFormSysParams) {}

DOV_PUBLISHED(TDropDownFormCallParamsEh)
{
    P.Prop("Align", &TDropDownFormCallParamsEh::Align, &TDropDownFormCallParamsEh::SetAlign).Default(daCenter);
    P.Prop("AssignBackFieldNames", &TDropDownFormCallParamsEh::AssignBackFieldNames,
           &TDropDownFormCallParamsEh::SetAssignBackFieldNames);
    P.Prop("DropDownFormClassName", &TDropDownFormCallParamsEh::DropDownFormClassName,
           &TDropDownFormCallParamsEh::SetDropDownFormClassName);
    P.Prop("FormHeight", &TDropDownFormCallParamsEh::FormHeight, &TDropDownFormCallParamsEh::SetFormHeight).Default(-1);
    P.Prop("FormWidth", &TDropDownFormCallParamsEh::FormWidth, &TDropDownFormCallParamsEh::SetFormWidth).Default(-1);
    P.Prop("PassFieldNames", &TDropDownFormCallParamsEh::PassFieldNames,
           &TDropDownFormCallParamsEh::SetPassFieldNames);
    P.Prop("PassParams", &TDropDownFormCallParamsEh::PassParams, &TDropDownFormCallParamsEh::SetPassParams)
        .Default(pspFieldValueEh);
    P.Prop("SaveFormSize", &TDropDownFormCallParamsEh::SaveFormSize, &TDropDownFormCallParamsEh::SetSaveFormSize)
        .Default(true);
}

// ---------------------------------------------------------------- shared form instances

namespace {
std::map<const TClassInfo*, TCustomForm*>& GlobalRefs()
{
    // Never destroyed: shared forms are freed by the application, which outlives every
    // function-local static, and their destructors still clear their slot here.
    static auto* refs = new std::map<const TClassInfo*, TCustomForm*>;
    return *refs;
}
}

TCustomForm* DropDownFormGlobalRef(const TClassInfo& FormClass)
{
    auto& refs = GlobalRefs();
    auto it = refs.find(&FormClass);
    return it == refs.end() ? nullptr : it->second;
}

void SetDropDownFormGlobalRef(const TClassInfo& FormClass, TCustomForm* Form)
{
    if (Form)
        GlobalRefs()[&FormClass] = Form;
    else
        GlobalRefs().erase(&FormClass);
}

// ---------------------------------------------------------------- settings

void TDropDownFormCallParamsEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TDropDownFormCallParamsEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetDropDownFormClassName(src->FDropDownFormClassName);
    FAssignBackFieldNames = src->FAssignBackFieldNames;
    FAlign = src->FAlign;
    FPassParams = src->FPassParams;
    FPassFieldNames = src->FPassFieldNames;
    SetDropDownForm(src->FDropDownForm);
    FFormHeight = src->FFormHeight;
    FSaveFormSize = src->FSaveFormSize;
    FFormWidth = src->FFormWidth;
}

void TDropDownFormCallParamsEh::Changed()
{
    if (OnChanged)
        OnChanged(this);
}

void TDropDownFormCallParamsEh::SetDropDownFormClassName(const QString& Value)
{
    if (FDropDownFormClassName == Value)
        return;
    FDropDownFormClassName = Value;
    Changed();
}

void TDropDownFormCallParamsEh::SetDropDownForm(TCustomForm* Value)
{
    if (FDropDownForm == Value)
        return;
    FDropDownForm = Value;
    Changed();
}

TDataSet* TDropDownFormCallParamsEh::DataSet() const
{
    TDataLink* link = GetDataLink();
    return link ? link->DataSet() : nullptr;
}

// ---------------------------------------------------------------- the form and its values

TCustomForm* TDropDownFormCallParamsEh::GetActualDropDownForm(bool& FreeFormOnClose)
{
    if (FOnGetActualDropDownFormProc) {
        TCustomForm* form = nullptr;
        FreeFormOnClose = false;
        FOnGetActualDropDownFormProc(form, FreeFormOnClose);
        return form;
    }
    return FormOfSettings(GetEditControl(), FreeFormOnClose);
}

TCustomForm* TDropDownFormCallParamsEh::FormOfSettings(TComponent* Owner, bool& FreeFormOnClose)
{
    FreeFormOnClose = false;
    if (FDropDownForm)
        return FDropDownForm;
    if (FDropDownFormClassName.isEmpty())
        return nullptr;
    TPersistentClass cls = GetClass(FDropDownFormClassName);
    if (!cls || !cls->InheritsFrom(&TCustomForm::StaticClassInfo()) || !cls->CreateComponent)
        throw Exception(QStringLiteral("Class '") + FDropDownFormClassName + QStringLiteral("' is not registered"));
    if (TCustomForm* shared = DropDownFormGlobalRef(*cls))
        return shared;
    auto* form = static_cast<TCustomForm*>(cls->CreateComponent(Owner));
    // A class that keeps a shared instance made this one it; any other goes when it closes.
    FreeFormOnClose = DropDownFormGlobalRef(*cls) == nullptr;
    return form;
}

void TDropDownFormCallParamsEh::GetVarValue(Variant& Value)
{
    Value = Variant();
    if (FOnGetVarValueProc)
        FOnGetVarValueProc(Value);
}

void TDropDownFormCallParamsEh::SetVarValue(const Variant& Value)
{
    if (FOnSetVarValueProc)
        FOnSetVarValueProc(Value);
}

void TDropDownFormCallParamsEh::RememberFormSize(TCustomForm* Form)
{
    FOldFormWidth = Form->Width();
    FOldFormHeight = Form->Height();
    if (FFormWidth > 0)
        Form->SetWidth(FFormWidth);
    if (FFormHeight > 0)
        Form->SetHeight(FFormHeight);
}

void TDropDownFormCallParamsEh::StoreFormSize(TCustomForm* Form)
{
    FFormWidth = Form->Width();
    FFormHeight = Form->Height();
    if (FOldFormWidth > 0)
        Form->SetWidth(FOldFormWidth);
    if (FOldFormHeight > 0)
        Form->SetHeight(FOldFormHeight);
}

bool TDropDownFormCallParamsEh::CheckDataIsReadOnly()
{
    TField* f = GetField();
    bool readOnly = f && f->ReadOnly();
    if (OnCheckDataIsReadOnly)
        OnCheckDataIsReadOnly(this, readOnly);
    return readOnly;
}

void TDropDownFormCallParamsEh::InitDynParams(TDynVarsEh* DynParams)
{
    FillDynParams(DynParams, DataSet(), GetField() ? GetField()->FieldName() : QString(), [this] {
        Variant v;
        GetVarValue(v);
        return v;
    });
}

void TDropDownFormCallParamsEh::FillDynParams(TDynVarsEh* DynParams, TDataSet* DataSet, const QString& FieldName,
                                              const std::function<Variant()>& FieldValue) const
{
    if (!FPassFieldNames.isEmpty()) {
        if (DataSet) {
            std::vector<TField*> fields;
            DataSet->GetFieldList(fields, FPassFieldNames);
            for (TField* f : fields)
                DynParams->CreateDynVar(f->FieldName(), f->Value());
        }
        return;
    }
    switch (FPassParams) {
    case pspFieldValueEh: DynParams->CreateDynVar(FieldName, FieldValue()); break;
    case pspRecordValuesEh:
        if (DataSet)
            for (int i = 0; i < DataSet->FieldCount(); ++i) {
                TField* f = DataSet->Fields()->Fields(i);
                DynParams->CreateDynVar(f->FieldName(), f->Value());
            }
        break;
    case pspByFieldNamesEh:
    case pspCustomValuesEh: break;
    }
}

void TDropDownFormCallParamsEh::AssignBackDynParams(TDynVarsEh* DynParams)
{
    if ((FPassParams == pspByFieldNamesEh || FPassParams == pspCustomValuesEh) && FAssignBackFieldNames.isEmpty())
        return;
    // Read-only data takes nothing back, whatever the form returned.
    if (CheckDataIsReadOnly())
        return;
    TDataSet* ds = DataSet();
    // By field names the fields are looked up in the dataset; without one there is nothing
    // to write into.
    if (!FAssignBackFieldNames.isEmpty() && !ds)
        return;
    bool startedEdit = false;
    if (ds && ds->State() != dsEdit && ds->State() != dsInsert) {
        ds->Edit();
        startedEdit = true;
    }
    if (!FAssignBackFieldNames.isEmpty()) {
        std::vector<TField*> fields;
        ds->GetFieldList(fields, FAssignBackFieldNames);
        // A field the form returned nothing for keeps its value.
        for (TField* f : fields)
            if (TDynVarEh* v = DynParams->FindDynVar(f->FieldName()))
                f->SetValue(v->Value());
    } else {
        // The value named after the control's field, else the only (first) one; no value at
        // all is the collection's index error.
        TDynVarEh* v = GetField() ? DynParams->FindDynVar(GetField()->FieldName()) : nullptr;
        if (!v)
            v = DynParams->GetItem(0);
        SetVarValue(v->Value());
    }
    if (startedEdit)
        ds->Post();
}

// ---------------------------------------------------------------- the cycle

bool DropDownFormClosedNoticePending(TWinControl* EditControl, TEditButtonEh* Button)
{
    if (!EditControl || !EditControl->HandleAllocated())
        return false;
    TMsg msg;
    const HWND wnd = EditControl->Handle();
    const LPARAM tag = Button ? LPARAM(Button) : LPARAM(EditControl);
    return PeekMessage(msg, wnd, WM_DROPDOWNFORMCLOSED_EH, WM_DROPDOWNFORMCLOSED_EH, PM_NOREMOVE) &&
           msg.wParam == WPARAM(wnd) && msg.lParam == tag;
}

void ReportDropDownFormError(TCustomForm* Form, TObject* Sender)
{
    // The message box must not close the form under it.
    auto* dd = dynamic_cast<TCustomDropDownFormEh*>(Form);
    const bool keep = dd && dd->KeepFormVisible();
    if (dd)
        dd->SetKeepFormVisible(true);
    auto restore = Finally([&] {
        if (dd)
            dd->SetKeepFormVisible(keep);
    });
    Application->HandleException(Sender);
}

TDropDownFormOpeningEh::TDropDownFormOpeningEh(TWinControl* AEditControl, TEditButtonControlEh* AButtonControl,
                                               std::unique_ptr<TDropDownFormSysParams> ASysParams)
    : EditControl(AEditControl), ButtonControl(AButtonControl), SysParams(std::move(ASysParams))
{
}

TDropDownFormOpeningEh::TDropDownFormOpeningEh(TWinControl* AEditControl, TEditButtonControlEh* AButtonControl,
                                               TEditButtonEh* Button)
    : EditControl(AEditControl), ButtonControl(AButtonControl)
{
    auto sys = CreateUnique<TEditControlDropDownFormSysParams>();
    sys->SetEditControl(AEditControl);
    sys->SetEditButton(Button);
    SysParams = std::move(sys);
}

void OpenDropDownFormEh(TDropDownFormCallParamsEh& Params, TCustomForm* Form, bool FreeFormOnClose,
                        TDropDownFormOpeningEh& Opening, bool& Handled)
{
    // A form made for this opening goes again when it does not open.
    TCustomForm* madeHere = FreeFormOnClose ? Form : nullptr;
    auto dropMade = Finally([&] { delete madeHere; });
    auto dynParams = CreateUnique<TDynVarsEh>(Opening.EditControl);
    std::unique_ptr<TDropDownFormSysParams> sysParams = std::move(Opening.SysParams);
    sysParams->SetFreeFormOnClose(FreeFormOnClose);
    if (Opening.InitDynParams)
        Opening.InitDynParams(dynParams.get());
    else
        Params.InitDynParams(dynParams.get());
    if (auto* dd = dynamic_cast<IDropDownFormEh*>(Form))
        dd->SetReadOnly(Opening.DataReadOnly ? Opening.DataReadOnly() : Params.CheckDataIsReadOnly());
    if (Opening.Opening)
        Opening.Opening(Form, dynParams.get());
    auto* dd = dynamic_cast<IDropDownFormEh*>(Form);
    if (!dd)
        return;
    if (Params.SaveFormSize())
        Params.RememberFormSize(Form);
    TEditButtonControlEh* buttonControl = Opening.ButtonControl;
    if (buttonControl)
        buttonControl->SetAlwaysDown(true);
    auto releaseButton = OnFailure([&] {
        if (buttonControl)
            buttonControl->SetAlwaysDown(false);
    });
    if (Opening.Starting)
        Opening.Starting();
    // From here the run owns the parameters and frees them in its close half.
    TDynVarsEh* dyn = dynParams.release();
    TDropDownFormSysParams* sys = sysParams.release();
    auto reclaim = OnFailure([&] {
        delete dyn;
        delete sys;
    });
    madeHere = nullptr;
    dd->ExecuteNomodal(Opening.Bounds, nullptr, Params.Align(), dyn, sys, Opening.Callback);
    Handled = true;
}

void TDropDownFormCallParamsEh::ShowDropDownForm(bool& Handled)
{
    TEditButtonControlEh* buttonControl = GetEditButtonControl();
    if (buttonControl && buttonControl->AlwaysDown())
        return;   // the form is open
    TWinControl* edit = GetEditControl();
    TEditButtonEh* button = GetEditButton();
    if (DropDownFormClosedNoticePending(edit, button)) {
        Handled = true;
        return;
    }
    bool freeFormOnClose = false;
    TCustomForm* form = GetActualDropDownForm(freeFormOnClose);
    TDropDownFormOpeningEh opening(edit, buttonControl, button);
    if (FOnOpenDropDownFormProc)
        opening.Opening = [&](TCustomForm*& Form, TDynVarsEh* DynParams) {
            FOnOpenDropDownFormProc(edit, button, Form, DynParams);
        };
    if (edit) {
        TPoint p(edit->Left(), edit->Top());
        if (edit->Parent())
            p = edit->Parent()->ClientToScreen(p);
        opening.Bounds = Bounds(p.X, p.Y, edit->Width(), edit->Height());
    }
    opening.Callback = TDropDownFormCallbackProcEh(this, &TDropDownFormCallParamsEh::DropDownFormCallbackProc);
    OpenDropDownFormEh(*this, form, freeFormOnClose, opening, Handled);
}

void TDropDownFormCallParamsEh::DropDownFormCallbackProc(TCustomForm* Form, bool Accept, TDynVarsEh* DynParams,
                                                         TDropDownFormSysParams* SysParams)
{
    auto* editSys = dynamic_cast<TEditControlDropDownFormSysParams*>(SysParams);
    TControl* edit = editSys ? editSys->EditControl() : GetEditControl();
    TEditButtonEh* button = editSys ? editSys->EditButton() : GetEditButton();
    // The release notice goes out and the parameters go whatever happens below: otherwise a
    // failed write-back would leave the button held and the form unopenable.
    auto finish = Finally([&] {
        auto* editWnd = dynamic_cast<TWinControl*>(edit);
        if (editWnd && editWnd->HandleAllocated())
            PostMessage(editWnd->Handle(), WM_DROPDOWNFORMCLOSED_EH, WPARAM(editWnd->Handle()),
                        button ? LPARAM(button) : LPARAM(edit));
        delete DynParams;
        delete SysParams;
    });
    try {
        if (Accept)
            AssignBackDynParams(DynParams);
        Form->Hide();
        if (FSaveFormSize)
            StoreFormSize(Form);
        if (FOnCloseDropDownFormProc)
            FOnCloseDropDownFormProc(edit, nullptr, Accept, Form, DynParams);
    } catch (...) {
        ReportDropDownFormError(Form, this);
    }
}
