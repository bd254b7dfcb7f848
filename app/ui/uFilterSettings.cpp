// The signers list dialog.
#include "uFilterSettings.h"

#include "uAddUpdDararedSigner.h"

#include "app/engine/uCompDM.h"
#include "components/dbgrid/DBGridEh.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/PopupMenus.h"

#include <memory>

static void InitFilterSettingsResource() { Q_INIT_RESOURCE(uFilterSettings); }

// The form resource and the classes it names, once.
static void FilterSettingsUnitStartUp()
{
    static const bool done = [] {
        InitFilterSettingsResource();
        RegisterClasses<TToolBar, TToolButton, TDBGridEh, TPopupMenu, TMenuItem>();
        return true;
    }();
    (void)done;
}

namespace {

// The database turns a repeated entry away with this text (the data module's translation).
const QString DuplicateEntryText = QStringLiteral("Запись с заданными значениями уже существует.");

}  // namespace

DOV_PUBLISHED(TfrmFilterSettings)
{
    P.Prop("ClientHeight", [](TfrmFilterSettings* f) { return f->ClientHeight(); },
           [](TfrmFilterSettings* f, int v) { f->SetClientHeight(v); })
        .Stored(false);
    P.Prop("ClientWidth", [](TfrmFilterSettings* f) { return f->ClientWidth(); },
           [](TfrmFilterSettings* f, int v) { f->SetClientWidth(v); })
        .Stored(false);
    P.Field("FilterSettingsToolBar", &TfrmFilterSettings::FilterSettingsToolBar);
    P.Field("AddToolBtn", &TfrmFilterSettings::AddToolBtn);
    P.Field("EditToolBtn", &TfrmFilterSettings::EditToolBtn);
    P.Field("DeleteToolBtn", &TfrmFilterSettings::DeleteToolBtn);
    P.Field("ToolButton1", &TfrmFilterSettings::ToolButton1);
    P.Field("FillSprToolBtn", &TfrmFilterSettings::FillSprToolBtn);
    P.Field("FilterSettingsDBGridEh", &TfrmFilterSettings::FilterSettingsDBGridEh);
    P.Field("FilterSettingPM", &TfrmFilterSettings::FilterSettingPM);
    P.Field("AddPMBtn", &TfrmFilterSettings::AddPMBtn);
    P.Field("EditPMBtn", &TfrmFilterSettings::EditPMBtn);
    P.Field("DeletePMBtn", &TfrmFilterSettings::DeletePMBtn);
    P.Method("FormCreate", &TfrmFilterSettings::FormCreate);
    P.Method("AddToolBtnClick", &TfrmFilterSettings::AddToolBtnClick);
    P.Method("EditToolBtnClick", &TfrmFilterSettings::EditToolBtnClick);
    P.Method("DeleteToolBtnClick", &TfrmFilterSettings::DeleteToolBtnClick);
    P.Method("FillSprToolBtnClick", &TfrmFilterSettings::FillSprToolBtnClick);
    P.Method("AddPMBtnClick", &TfrmFilterSettings::AddPMBtnClick);
    P.Method("EditPMBtnClick", &TfrmFilterSettings::EditPMBtnClick);
    P.Method("DeletePMBtnClick", &TfrmFilterSettings::DeletePMBtnClick);
}

namespace listdialogs {

void EnableCommands(std::initializer_list<TControl*> Buttons, std::initializer_list<TMenuItem*> Items, bool Enabled)
{
    for (TControl* b : Buttons)
        if (b)
            b->SetEnabled(Enabled);
    for (TMenuItem* i : Items)
        if (i)
            i->SetEnabled(Enabled);
}

void ConfirmAndDelete(const std::function<void()>& Delete, const std::function<void()>& Refresh)
{
    if (Application->MessageBox(QStringLiteral("Вы действительно хотите удалить запись?"), QStringLiteral("Удаление записи"),
                                MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    try {
        Delete();
        Refresh();
    } catch (const EDBOperationException& e) {
        Application->MessageBox(e.Message(), QStringLiteral("Внимание"), MB_OK | MB_ICONWARNING);
    }
}

}  // namespace listdialogs

TfrmFilterSettings::TfrmFilterSettings(TComponent* AOwner) : TForm(AOwner) { FilterSettingsUnitStartUp(); }

void TfrmFilterSettings::FormCreate(TObject*)
{
    listdialogs::EnableCommands({AddToolBtn, EditToolBtn, DeleteToolBtn, FillSprToolBtn}, {AddPMBtn, EditPMBtn, DeletePMBtn},
                                !CompDM->IsFilial);
    RefreshSigners();
}

void TfrmFilterSettings::RefreshSigners()
{
    TDataSet* list = CompDM->SelectDararedSingersQ;
    list->Close();
    list->Open();
    if (!CompDM->IsFilial)
        listdialogs::EnableCommands({EditToolBtn, DeleteToolBtn}, {EditPMBtn, DeletePMBtn}, !list->IsEmpty());
}

void TfrmFilterSettings::AddToolBtnClick(TObject*)
{
    auto dialog = std::unique_ptr<TfrmAddUpdDararedSigner>(Create<TfrmAddUpdDararedSigner>(this));
    if (dialog->ShowModal() == mrOk)
        RefreshSigners();
}

void TfrmFilterSettings::EditToolBtnClick(TObject*)
{
    TDataSet* list = CompDM->SelectDararedSingersQ;
    if (list->IsEmpty())
        return;
    auto dialog = std::unique_ptr<TfrmAddUpdDararedSigner>(
        Create<TfrmAddUpdDararedSigner>(this, list->FieldByName(QStringLiteral("fio"))->AsString(),
                                        list->FieldByName(QStringLiteral("filial"))->AsInteger(),
                                        list->FieldByName(QStringLiteral("idRecord"))->AsInteger()));
    if (dialog->ShowModal() == mrOk)
        RefreshSigners();
}

void TfrmFilterSettings::DeleteToolBtnClick(TObject*)
{
    TDataSet* list = CompDM->SelectDararedSingersQ;
    if (list->IsEmpty())
        return;
    const int id = list->FieldByName(QStringLiteral("idRecord"))->AsInteger();
    listdialogs::ConfirmAndDelete([id] { CompDM->DeleteDararedSigner(id); }, [this] { RefreshSigners(); });
}

void TfrmFilterSettings::FillSprToolBtnClick(TObject*)
{
    // A signer already on the list is turned away by the database and skipped; any other
    // refusal is collected and shown, so a failed fill never passes for a finished one.
    QStringList errors;
    TDataSet* saved = CompDM->SelectTmpDararedInv;
    saved->Close();
    saved->Open();
    for (saved->First(); !saved->Eof(); saved->Next()) {
        TField* filial = saved->FieldByName(QStringLiteral("filial"));
        const QString fio = saved->FieldByName(QStringLiteral("signerfio"))->AsString().trimmed();
        if (filial->IsNull() || fio.isEmpty())
            continue;
        try {
            CompDM->InsertDararedSigner(int16_t(filial->AsInteger()), fio);
        } catch (const EDBOperationException& e) {
            if (e.Message() != DuplicateEntryText && !errors.contains(e.Message()))
                errors.append(e.Message());
        }
    }
    RefreshSigners();
    if (errors.isEmpty())
        Application->MessageBox(QStringLiteral("Обработка завершена"), QStringLiteral("Информация"), MB_OK | MB_ICONINFORMATION);
    else
        Application->MessageBox(errors.join(u'\n'), QStringLiteral("Ошибка"), MB_OK | MB_ICONERROR);
}

void TfrmFilterSettings::AddPMBtnClick(TObject*) { AddToolBtn->Click(); }
void TfrmFilterSettings::EditPMBtnClick(TObject*) { EditToolBtn->Click(); }
void TfrmFilterSettings::DeletePMBtnClick(TObject*) { DeleteToolBtn->Click(); }
