// The zero-exclusion list dialog; it works as the signers list without the fill command.
#include "uZeroExcludeSettings.h"

#include "uAddUpdZeroExclude.h"
#include "uFilterSettings.h"

#include "app/engine/uCompDM.h"
#include "components/dbgrid/DBGridEh.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/PopupMenus.h"

#include <memory>

static void InitZeroExcludeSettingsResource() { Q_INIT_RESOURCE(uZeroExcludeSettings); }

// The form resource and the classes it names, once.
static void ZeroExcludeSettingsUnitStartUp()
{
    static const bool done = [] {
        InitZeroExcludeSettingsResource();
        RegisterClasses<TToolBar, TToolButton, TDBGridEh, TPopupMenu, TMenuItem>();
        return true;
    }();
    (void)done;
}

DOV_PUBLISHED(TfrmZeroExcludeSettings)
{
    P.Prop("ClientHeight", [](TfrmZeroExcludeSettings* f) { return f->ClientHeight(); },
           [](TfrmZeroExcludeSettings* f, int v) { f->SetClientHeight(v); })
        .Stored(false);
    P.Prop("ClientWidth", [](TfrmZeroExcludeSettings* f) { return f->ClientWidth(); },
           [](TfrmZeroExcludeSettings* f, int v) { f->SetClientWidth(v); })
        .Stored(false);
    P.Field("ZeroExcludeToolBar", &TfrmZeroExcludeSettings::ZeroExcludeToolBar);
    P.Field("AddToolBtn", &TfrmZeroExcludeSettings::AddToolBtn);
    P.Field("EditToolBtn", &TfrmZeroExcludeSettings::EditToolBtn);
    P.Field("DeleteToolBtn", &TfrmZeroExcludeSettings::DeleteToolBtn);
    P.Field("ZeroExcludeDBGridEh", &TfrmZeroExcludeSettings::ZeroExcludeDBGridEh);
    P.Field("ZeroExcludePM", &TfrmZeroExcludeSettings::ZeroExcludePM);
    P.Field("AddPMBtn", &TfrmZeroExcludeSettings::AddPMBtn);
    P.Field("EditPMBtn", &TfrmZeroExcludeSettings::EditPMBtn);
    P.Field("DeletePMBtn", &TfrmZeroExcludeSettings::DeletePMBtn);
    P.Method("FormCreate", &TfrmZeroExcludeSettings::FormCreate);
    P.Method("AddToolBtnClick", &TfrmZeroExcludeSettings::AddToolBtnClick);
    P.Method("EditToolBtnClick", &TfrmZeroExcludeSettings::EditToolBtnClick);
    P.Method("DeleteToolBtnClick", &TfrmZeroExcludeSettings::DeleteToolBtnClick);
    P.Method("AddPMBtnClick", &TfrmZeroExcludeSettings::AddPMBtnClick);
    P.Method("EditPMBtnClick", &TfrmZeroExcludeSettings::EditPMBtnClick);
    P.Method("DeletePMBtnClick", &TfrmZeroExcludeSettings::DeletePMBtnClick);
}

TfrmZeroExcludeSettings::TfrmZeroExcludeSettings(TComponent* AOwner) : TForm(AOwner) { ZeroExcludeSettingsUnitStartUp(); }

void TfrmZeroExcludeSettings::FormCreate(TObject*)
{
    listdialogs::EnableCommands({AddToolBtn, EditToolBtn, DeleteToolBtn}, {AddPMBtn, EditPMBtn, DeletePMBtn}, !CompDM->IsFilial);
    RefreshZeroExcludes();
}

void TfrmZeroExcludeSettings::RefreshZeroExcludes()
{
    TDataSet* list = CompDM->SelectZeroExcludeQ;
    list->Close();
    list->Open();
    if (!CompDM->IsFilial)
        listdialogs::EnableCommands({EditToolBtn, DeleteToolBtn}, {EditPMBtn, DeletePMBtn}, !list->IsEmpty());
}

void TfrmZeroExcludeSettings::AddToolBtnClick(TObject*)
{
    auto dialog = std::unique_ptr<TfrmAddUpdZeroExclude>(Create<TfrmAddUpdZeroExclude>(this));
    if (dialog->ShowModal() == mrOk)
        RefreshZeroExcludes();
}

void TfrmZeroExcludeSettings::EditToolBtnClick(TObject*)
{
    TDataSet* list = CompDM->SelectZeroExcludeQ;
    if (list->IsEmpty())
        return;
    auto dialog = std::unique_ptr<TfrmAddUpdZeroExclude>(
        Create<TfrmAddUpdZeroExclude>(this, list->FieldByName(QStringLiteral("invoice"))->AsString(),
                                      list->FieldByName(QStringLiteral("filial"))->AsInteger(),
                                      list->FieldByName(QStringLiteral("idRecord"))->AsInteger()));
    if (dialog->ShowModal() == mrOk)
        RefreshZeroExcludes();
}

void TfrmZeroExcludeSettings::DeleteToolBtnClick(TObject*)
{
    TDataSet* list = CompDM->SelectZeroExcludeQ;
    if (list->IsEmpty())
        return;
    const int id = list->FieldByName(QStringLiteral("idRecord"))->AsInteger();
    listdialogs::ConfirmAndDelete([id] { CompDM->DeleteZeroExclude(id); }, [this] { RefreshZeroExcludes(); });
}

void TfrmZeroExcludeSettings::AddPMBtnClick(TObject*) { AddToolBtn->Click(); }
void TfrmZeroExcludeSettings::EditPMBtnClick(TObject*) { EditToolBtn->Click(); }
void TfrmZeroExcludeSettings::DeletePMBtnClick(TObject*) { DeleteToolBtn->Click(); }
