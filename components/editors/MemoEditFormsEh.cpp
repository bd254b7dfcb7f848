#include "MemoEditFormsEh.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"

#include <memory>

static void InitMemoEditFormsResource() { Q_INIT_RESOURCE(MemoEditFormsEh); }

TEditMemoTextProcEh EditMemoTextHook = nullptr;

DOV_PUBLISHED(TMemoEditWinEh)
{
    P.Prop("ClientHeight", [](TMemoEditWinEh* f) { return f->ClientHeight(); },
           [](TMemoEditWinEh* f, int v) { f->SetClientHeight(v); })
        .Stored(false);
    P.Prop("ClientWidth", [](TMemoEditWinEh* f) { return f->ClientWidth(); },
           [](TMemoEditWinEh* f, int v) { f->SetClientWidth(v); })
        .Stored(false);
    P.Event("OnInitForm", &TMemoEditWinEh::OnInitForm);
    P.Event("OnReturnParams", &TMemoEditWinEh::OnReturnParams);
    P.Field("Memo1", &TMemoEditWinEh::Memo1);
    P.Field("Panel1", &TMemoEditWinEh::Panel1);
    P.Field("sbOk", &TMemoEditWinEh::sbOk);
    P.Field("SpeedButton2", &TMemoEditWinEh::SpeedButton2);
    P.Field("Bevel1", &TMemoEditWinEh::Bevel1);
    P.Method("CustomDropDownFormEhInitForm", &TMemoEditWinEh::CustomDropDownFormEhInitForm);
    P.Method("CustomDropDownFormEhReturnParams", &TMemoEditWinEh::CustomDropDownFormEhReturnParams);
    P.Method("sbOkClick", &TMemoEditWinEh::sbOkClick);
    P.Method("SpeedButton2Click", &TMemoEditWinEh::SpeedButton2Click);
}

TMemoEditWinEh::TMemoEditWinEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner) {}

void TMemoEditWinEh::AfterConstruction()
{
    MemoEditFormsUnitStartUp();
    TCustomDropDownFormEh::AfterConstruction();
}

TMemoEditWinEh* TMemoEditWinEh::GetGlobalRef()
{
    if (auto* f = dynamic_cast<TMemoEditWinEh*>(TCustomDropDownFormEh::GetGlobalRef(StaticClassInfo())))
        return f;
    return Create<TMemoEditWinEh>(Application);
}

void TMemoEditWinEh::CustomDropDownFormEhInitForm(TCustomDropDownFormEh*, TDynVarsEh* DynParams)
{
    const int count = DynParams ? DynParams->Count() : 0;
    FPassParams = count == 0 ? pspByFieldNamesEh : count == 1 ? pspFieldValueEh : pspRecordValuesEh;
    if (count > 0)
        Memo1->SetText(DynParams->GetItem(0)->AsString());
    sbOk->SetEnabled(!ReadOnly());
    Memo1->SetReadOnly(ReadOnly());
    // The memo takes the keys, also those a drop-down's owner hands on; the form is not up
    // yet, so it is noted as a loaded form would note it.
    if (Showing() && Memo1->CanFocus())
        SetActiveControl(Memo1);
    else
        FActiveControl = Memo1;
}

void TMemoEditWinEh::CustomDropDownFormEhReturnParams(TCustomDropDownFormEh*, TDynVarsEh* DynParams)
{
    if (DynParams && DynParams->Count() > 0)
        DynParams->GetItem(0)->SetValue(Variant(Memo1->Text()));
}

void TMemoEditWinEh::sbOkClick(TObject*)
{
    if (ReadOnly())
        return;
    SetModalResult(mrOk);
    if (DropDownMode() && !ModalMode())
        Close();
}

void TMemoEditWinEh::SpeedButton2Click(TObject*)
{
    SetModalResult(mrCancel);
    if (DropDownMode() && !ModalMode())
        Close();
}

void TMemoEditWinEh::KeyDown(Word& Key, TShiftState Shift)
{
    // The memo wants every key, Escape too; the form sees it first and cancels.
    if (Key == VK_ESCAPE && Shift.Empty()) {
        Key = 0;
        SpeedButton2Click(this);
        return;
    }
    TCustomDropDownFormEh::KeyDown(Key, Shift);
}

bool ShowMemoEditor(QString& Text, const TRect&, bool ReadOnly)
{
    TMemoEditWinEh* form = TMemoEditWinEh::GetGlobalRef();
    auto* interactable = dynamic_cast<IDynParamsInteractableEh*>(form);
    if (!interactable)
        return false;
    auto params = std::make_unique<TDynVarsEh>(nullptr);
    params->CreateDynVar(QString(), Variant(Text));
    interactable->SetDynParams(params.get());
    auto detach = Finally([&] { interactable->SetDynParams(nullptr); });
    form->SetReadOnly(ReadOnly);
    if (form->ShowModal() != mrOk)
        return false;
    TDynVarsEh* back = nullptr;
    interactable->GetDynParams(back);
    if (!back || back->Count() == 0)
        return false;
    Text = back->GetItem(0)->AsString();
    return true;
}

void MemoEditFormsUnitStartUp()
{
    static const bool done = [] {
        InitMemoEditFormsResource();
        RegisterClasses<TMemo, TBevel, TPanel, TSpeedButton, TMemoEditWinEh>();
        EditMemoTextHook = &ShowMemoEditor;
        DBEditEhMemoEditFormClass = &TMemoEditWinEh::StaticClassInfo();
        return true;
    }();
    (void)done;
}

namespace {
// The hook is there before any code of the program runs, as other units expect.
const bool gMemoEditFormsStarted = [] {
    MemoEditFormsUnitStartUp();
    return true;
}();
}  // namespace
