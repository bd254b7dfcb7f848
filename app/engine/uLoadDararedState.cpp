#include "uLoadDararedState.h"

#include "JobErrors.h"
#include "uCompDM.h"

#include "components/memtable/MemTableEh.h"

TLoadDararedState::TLoadDararedState(bool CreateSuspended, int64_t AidPredpr, TProgressBar* ProgressBar, TStatusBar* StatusBar,
                                     TPageControl* PageControl, TButton* LoadExcelFileBtn, TButton* UpdateBtn, TPanel* InsPanel,
                                     TMainMenu* MainMenu)
    : TBaseCompThread(CreateSuspended, ProgressBar, StatusBar, PageControl, LoadExcelFileBtn, UpdateBtn, InsPanel, MainMenu),
      idPredpr(AidPredpr)
{
}

TLoadDararedState::TLoadDararedState(bool CreateSuspended, int64_t AidPredpr, TJobState* State)
    : TBaseCompThread(CreateSuspended, State), idPredpr(AidPredpr)
{
}

void TLoadDararedState::Execute()
{
    TMemTableEh* table = CompDM->TmpDararedInvMemTableEh;
    TADOQuery* q = CompDM->SelectTmpDararedInv;
    bool controlsDisabled = false;
    try {
        SyncControlsEnabled(false);
        SyncProgressBarStyle(pbstMarquee);
        try {
            SyncDisableControls(table);
            controlsDisabled = true;
            table->Close();
            q->Close();
            q->SQL()->SetStrings(2, idPredpr > 0 ? QStringLiteral("WHERE ISNULL(idPredpr,0)=") + QString::number(idPredpr)
                                                 : QStringLiteral("-- Условие для предприятия"));
            q->Open();
            if (!q->IsEmpty()) {
                table->Open();
                table->SortByFields(QStringLiteral("namepredpr,invoicefullname"));
                table->First();
            } else
                SyncInfoDialog(QStringLiteral("Сохранённые данные не найдены."));
        } catch (const EThread&) {
            throw;
        } catch (...) {
            // the saved table could not be read: say so and give the window back
            SyncErrorDialog(QStringLiteral("Ошибка загрузки сохранённой сверки с текстом: ") + CurrentErrorText());
        }
        if (controlsDisabled)
            SyncEnableControls(table);
        SyncProgressBarStyle(pbstNormal);
        SyncControlsEnabled(true);
    } catch (const EThread&) {
        // the application is going down: nothing left to show
    }
}
