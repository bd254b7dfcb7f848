// The main window: start-up, settings and the commands that start the jobs.
#include "uCompareMain.h"

#include "app/engine/uBaseCompThread.h"
#include "app/engine/uCompDM.h"
#include "app/engine/uCompareDataThread.h"
#include "app/engine/uLoadDararedState.h"
#include "app/engine/uLoadExcelThread.h"
#include "app/engine/uSaveDararedState.h"
#include "app/ui/uFilterSettings.h"
#include "app/ui/uZeroExcludeSettings.h"
#include "components/dbgrid/DBGridEh.h"
#include "components/lookup/DBLookupEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/IniFiles.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/PopupMenus.h"
#include "platform/vcl/StdCtrls.h"

TfrmComparer* frmComparer = nullptr;

static void InitComparerResource() { Q_INIT_RESOURCE(uCompareMain); }

DOV_PUBLISHED(TfrmComparer)
{
    // start-up, settings and jobs
    P.Prop("ClientHeight", [](TfrmComparer* f) { return f->ClientHeight(); },
           [](TfrmComparer* f, int v) { f->SetClientHeight(v); })
        .Stored(false);
    P.Prop("ClientWidth", [](TfrmComparer* f) { return f->ClientWidth(); },
           [](TfrmComparer* f, int v) { f->SetClientWidth(v); })
        .Stored(false);
    P.Field("TopPanel", &TfrmComparer::TopPanel);
    P.Field("FirstDTPLbl", &TfrmComparer::FirstDTPLbl);
    P.Field("SecondDTPLbl", &TfrmComparer::SecondDTPLbl);
    P.Field("PredprLbl", &TfrmComparer::PredprLbl);
    P.Field("FirstDTP", &TfrmComparer::FirstDTP);
    P.Field("SecondDTP", &TfrmComparer::SecondDTP);
    P.Field("PredprDBLCBEh", &TfrmComparer::PredprDBLCBEh);
    P.Field("SearchBtn", &TfrmComparer::SearchBtn);
    P.Field("UpdateBtn", &TfrmComparer::UpdateBtn);
    P.Field("LoadExcelFileBtn", &TfrmComparer::LoadExcelFileBtn);
    P.Field("MainProgressBar", &TfrmComparer::MainProgressBar);
    P.Field("SelfProvCB", &TfrmComparer::SelfProvCB);
    P.Field("MainPageControl", &TfrmComparer::MainPageControl);
    P.Field("InvTabSheet", &TfrmComparer::InvTabSheet);
    P.Field("DuplicatesFilialTabSheet", &TfrmComparer::DuplicatesFilialTabSheet);
    P.Field("DuplicatesOblpoTabSheet", &TfrmComparer::DuplicatesOblpoTabSheet);
    P.Field("InfoSheet", &TfrmComparer::InfoSheet);
    P.Field("InvDBGridEh", &TfrmComparer::InvDBGridEh);
    P.Field("SubInvDBGridEh", &TfrmComparer::SubInvDBGridEh);
    P.Field("DuplicatesFilialDBGridEh", &TfrmComparer::DuplicatesFilialDBGridEh);
    P.Field("DuplicatesOblpoDBGridEh", &TfrmComparer::DuplicatesOblpoDBGridEh);
    P.Field("SubDuplicatesOblpoDBGridEh", &TfrmComparer::SubDuplicatesOblpoDBGridEh);
    P.Field("InvoicesDuplDBGridEh", &TfrmComparer::InvoicesDuplDBGridEh);
    P.Field("InvoicesDuplGB", &TfrmComparer::InvoicesDuplGB);
    P.Field("FiltersPanel", &TfrmComparer::FiltersPanel);
    P.Field("FilialRG", &TfrmComparer::FilialRG);
    P.Field("ShowMatchesCB", &TfrmComparer::ShowMatchesCB);
    P.Field("FilterBtn", &TfrmComparer::FilterBtn);
    P.Field("ClearFilterBtn", &TfrmComparer::ClearFilterBtn);
    P.Field("InstrumentsPanel", &TfrmComparer::InstrumentsPanel);
    P.Field("ShowFiltersBtn", &TfrmComparer::ShowFiltersBtn);
    P.Field("MainStatusBar", &TfrmComparer::MainStatusBar);
    P.Field("XLSOpenDialog", &TfrmComparer::XLSOpenDialog);
    P.Field("XLSSaveDialog", &TfrmComparer::XLSSaveDialog);
    P.Field("CSVSaveDialog", &TfrmComparer::CSVSaveDialog);
    P.Field("StatePM", &TfrmComparer::StatePM);
    P.Field("SetHidePMBtn", &TfrmComparer::SetHidePMBtn);
    P.Field("SetNotHidePMBtn", &TfrmComparer::SetNotHidePMBtn);
    P.Field("ShowAllStatePMBtn", &TfrmComparer::ShowAllStatePMBtn);
    P.Field("ShowNotHideStatePMBtn", &TfrmComparer::ShowNotHideStatePMBtn);
    P.Field("MainMenu", &TfrmComparer::MainMenu);
    P.Field("StateMMBtn", &TfrmComparer::StateMMBtn);
    P.Field("SaveStateMMBtn", &TfrmComparer::SaveStateMMBtn);
    P.Field("LoadStateMMBtn", &TfrmComparer::LoadStateMMBtn);
    P.Field("ExportMMBtn", &TfrmComparer::ExportMMBtn);
    P.Field("ExportExcelMMBtn", &TfrmComparer::ExportExcelMMBtn);
    P.Field("ExportCSVMMBtn", &TfrmComparer::ExportCSVMMBtn);
    P.Field("ExportPrintMMBtn", &TfrmComparer::ExportPrintMMBtn);
    P.Field("SettingsMMBtn", &TfrmComparer::SettingsMMBtn);
    P.Field("FilterSettingsMMBtn", &TfrmComparer::FilterSettingsMMBtn);
    P.Field("ZeroExcludeMMBtn", &TfrmComparer::ZeroExcludeMMBtn);
    P.Method("FormCreate", &TfrmComparer::FormCreate);
    P.Method("FormClose", &TfrmComparer::FormClose);
    P.Method("UpdateBtnClick", &TfrmComparer::UpdateBtnClick);
    P.Method("LoadExcelFileBtnClick", &TfrmComparer::LoadExcelFileBtnClick);
    P.Method("SaveStateMMBtnClick", &TfrmComparer::SaveStateMMBtnClick);
    P.Method("LoadStateMMBtnClick", &TfrmComparer::LoadStateMMBtnClick);
    P.Method("SearchBtnClick", &TfrmComparer::SearchBtnClick);
    P.Method("FilterSettingsMMBtnClick", &TfrmComparer::FilterSettingsMMBtnClick);
    P.Method("ZeroExcludeMMBtnClick", &TfrmComparer::ZeroExcludeMMBtnClick);
    P.Method("MainPageControlChange", &TfrmComparer::MainPageControlChange);

    // result views, filters, sorting and check marks
    P.Method("FilterBtnClick", &TfrmComparer::FilterBtnClick);
    P.Method("ClearFilterBtnClick", &TfrmComparer::ClearFilterBtnClick);
    P.Method("ShowFiltersBtnClick", &TfrmComparer::ShowFiltersBtnClick);
    P.Method("InvDBGridEhSortMarkingChanged", &TfrmComparer::InvDBGridEhSortMarkingChanged);
    P.Method("StatePMPopup", &TfrmComparer::StatePMPopup);
    P.Method("SetHidePMBtnClick", &TfrmComparer::SetHidePMBtnClick);
    P.Method("SetNotHidePMBtnClick", &TfrmComparer::SetNotHidePMBtnClick);
    P.Method("ShowAllStatePMBtnClick", &TfrmComparer::ShowAllStatePMBtnClick);
    P.Method("ShowNotHideStatePMBtnClick", &TfrmComparer::ShowNotHideStatePMBtnClick);
    P.Method("InvDBGridEhCheckRowHaveDetailPanel", &TfrmComparer::InvDBGridEhCheckRowHaveDetailPanel);
    P.Method("InvDBGridEhRowDetailPanelShow", &TfrmComparer::InvDBGridEhRowDetailPanelShow);
    P.Method("DuplicatesOblpoDBGridEhRowDetailPanelShow", &TfrmComparer::DuplicatesOblpoDBGridEhRowDetailPanelShow);

    // export commands
    P.Method("ExportExcelMMBtnClick", &TfrmComparer::ExportExcelMMBtnClick);
    P.Method("ExportCSVMMBtnClick", &TfrmComparer::ExportCSVMMBtnClick);

}

namespace {

// The classes the form resource names, registered once before the first window is read.
void RegisterComparerClasses()
{
    static const bool done = [] {
        RegisterClasses<TPanel, TLabel, TDateTimePicker, TDBLookupComboboxEh, TButton, TProgressBar, TCheckBox,
                        TPageControl, TTabSheet, TDBGridEh, TGroupBox, TRadioGroup, TStatusBar, TOpenDialog,
                        TSaveDialog, TPopupMenu, TMainMenu, TMenuItem, TRowDetailPanelControlEh, TfrmComparer>();
        InitComparerResource();
        return true;
    }();
    (void)done;
}

const QString kSettings = QStringLiteral("Settings");
const QString kSelfProv = QStringLiteral("SelfProv");

}  // namespace

TfrmComparer::TfrmComparer(TComponent* AOwner) : TForm(AOwner)
{
    RegisterComparerClasses();
}

void TfrmComparer::DoCreate()
{
    try {
        TForm::DoCreate();
    } catch (...) {
        Application->HandleException(this);
    }
}

QString TfrmComparer::ConfigPath;

QString TfrmComparer::ConfigFileName() const
{
    if (!ConfigPath.isEmpty())
        return ConfigPath;
    return TCompDM::ConfigPath.isEmpty() ? DefaultConfigPath() : TCompDM::ConfigPath;
}

void TfrmComparer::FormCreate(TObject*)
{
    FJobState = Create<TJobState>(this);
    FJobState->SetControls(MainProgressBar, MainStatusBar, MainPageControl, LoadExcelFileBtn, UpdateBtn, InstrumentsPanel,
                           MainMenu);

    CompDM->SelectPlatPredpr->Close();
    CompDM->SelectPlatPredpr->Open();

    CompDM->SelectOblDopUnn->Close();
    CompDM->SelectOblDopUnn->Open();
    for (CompDM->SelectOblDopUnn->First(); !CompDM->SelectOblDopUnn->Eof(); CompDM->SelectOblDopUnn->Next())
        FilialRG->Items()->Add(CompDM->SelectOblDopUnn->FieldByName(QStringLiteral("dopUnn"))->AsString());

    DuplicatesOblpoTabSheet->TabVisible = !CompDM->IsFilial;
    FilialRG->SetEnabled(!CompDM->IsFilial);
    SaveStateMMBtn->SetEnabled(!CompDM->IsFilial);
    if (CompDM->IsFilial)
        SetCaption(Caption() + QStringLiteral(" - ") + CompDM->Filial);

    const TDateTime now = Now();
    FirstDTP->SetDateTime(now);
    SecondDTP->SetDateTime(now);

    MainPageControl->SetActivePageIndex(0);

    StateMMBtn->ImageIndex = 5;
    ExportMMBtn->ImageIndex = 8;
    SettingsMMBtn->ImageIndex = 10;

    const QString ini = ConfigFileName();
    if (FileExists(ini)) {
        TIniFile file(ini);
        SelfProvCB->SetChecked(StrToBool(file.ReadString(kSettings, kSelfProv, QStringLiteral("0"))));
    }
}

void TfrmComparer::FormClose(TObject*, TCloseAction&)
{
    const QString ini = ConfigFileName();
    if (FileExists(ini)) {
        TIniFile file(ini);
        file.WriteString(kSettings, kSelfProv, BoolToStr(SelfProvCB->Checked()));
    }
}

int64_t TfrmComparer::SelectedPredprId() const
{
    if (PredprDBLCBEh->Text().isEmpty())
        return 0;
    return StrToInt64(VarToStr(PredprDBLCBEh->KeyValue()));
}

void TfrmComparer::BindResultGrid(bool Saved)
{
    InvDBGridEh->DataGrouping()->SetActive(false);
    InvDBGridEh->SetDataSource(Saved ? CompDM->TmpDararedInvMemTableEhDS : CompDM->CompareMemTableEhDS);
    InvDBGridEh->DataGrouping()->SetActive(true);
    InvDBGridEh->Columns()->Items(16)->SetVisible(Saved);
    SubInvDBGridEh->SetDataSource(Saved ? CompDM->SelectTmpDararedProvDS : CompDM->SelectSprProvDS);
}

bool TfrmComparer::JobRunning() const
{
    return FJobState && FJobState->Running();
}

void TfrmComparer::UpdateBtnClick(TObject*)
{
    if (JobRunning())
        return;
    if (SecondDTP->Date() < FirstDTP->Date()) {
        MessageDlg(QStringLiteral("Диапазон дат выбран неверно."), mtError, {mbOK});
        return;
    }
    QString fios;
    if (CompDM->CheckDararedSignersDuplicates(fios)) {
        MessageDlg(QStringLiteral("В настройке фильтров присутствуют дубликаты ФИО.\n\r") + fios, mtError, {mbOK});
        return;
    }
    const int64_t idPredpr = SelectedPredprId();
    BindResultGrid(false);

    TDBGridColumnsEh* cols = InvDBGridEh->Columns();
    auto* job = new TCompareData(true, idPredpr, FirstDTP->DateTime(), SecondDTP->DateTime(), SelfProvCB->Checked(),
                                 FJobState, cols->Items(8)->Footer(), cols->Items(9)->Footer(), cols->Items(11)->Footer());
    job->SetFreeOnTerminate(true);
    job->SetPriority(tpNormal);
    job->Start();
}

void TfrmComparer::LoadExcelFileBtnClick(TObject*)
{
    if (JobRunning())
        return;
    if (!XLSOpenDialog->FileName().isEmpty()) {
        const int answer = MessageBox(Handle(),
                                      QStringLiteral("Файл камерального контроля уже был загружен в программу.\n\rПродолжить?"),
                                      QStringLiteral("Загрузка файла"), MB_ICONWARNING | MB_YESNO);
        if (answer == IDNO)
            return;
    }
    if (!XLSOpenDialog->Execute())
        return;
    // the job keeps its own copy of the list: the dialog may be shown again while it runs
    auto* job = new TLoadExcelProcess(true, XLSOpenDialog->Files(), FJobState);
    job->SetFreeOnTerminate(true);
    job->SetPriority(tpNormal);
    job->Start();
}

void TfrmComparer::SaveStateMMBtnClick(TObject*)
{
    if (JobRunning())
        return;
    if (!CompDM->CompareMemTableEh->Active()) {
        MessageDlg(QStringLiteral("Данные для сохранения не найдены."), mtWarning, {mbOK});
        return;
    }
    auto* job = new TSaveDararedState(true, FJobState);
    job->SetFreeOnTerminate(true);
    job->SetPriority(tpNormal);
    job->Start();
}

void TfrmComparer::LoadStateMMBtnClick(TObject*)
{
    if (JobRunning())
        return;
    BindResultGrid(true);
    auto* job = new TLoadDararedState(true, SelectedPredprId(), FJobState);
    job->SetFreeOnTerminate(true);
    job->SetPriority(tpNormal);
    job->Start();
}

void TfrmComparer::SearchBtnClick(TObject*) {}

namespace {

// A dialog owned by the window, shown modally and freed when it closes.
template <typename TDialog> void ShowDialog(TComponent* Owner)
{
    std::unique_ptr<TDialog> dialog(Create<TDialog>(Owner));
    dialog->ShowModal();
}

}  // namespace

void TfrmComparer::FilterSettingsMMBtnClick(TObject*) { ShowDialog<TfrmFilterSettings>(this); }

void TfrmComparer::ZeroExcludeMMBtnClick(TObject*) { ShowDialog<TfrmZeroExcludeSettings>(this); }

void TfrmComparer::MainPageControlChange(TObject*)
{
    // both detail grids of the live result read one query
    for (TDBGridEh* grid : {InvDBGridEh, DuplicatesOblpoDBGridEh})
        if (grid->RowDetailPanel()->Visible())
            grid->RowDetailPanel()->SetVisible(false);
}
