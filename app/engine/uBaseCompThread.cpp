#include "uBaseCompThread.h"

#include "JobErrors.h"

#include "platform/ado/ADODB.h"
#include "platform/db/DB.h"
#include "platform/vcl/Forms.h"

TBaseCompThread::TMessageBoxRoutine TBaseCompThread::MessageBoxRoutine;

void TBaseCompThread::InTransaction(TADOConnection* Connection, const std::function<void()>& Work)
{
    CommitWhatWasWritten(*Connection, Work);
}

// Lives on the UI thread's side: the window frees its controls there, and the hand-off
// methods read the references there too, so a freed control is never reached.
class TBaseCompThread::TControlWatch : public TComponent {
public:
    explicit TControlWatch(TBaseCompThread* owner) : TComponent(nullptr), FOwner(owner) {}
    void Detach() { FOwner = nullptr; }
    void Watch(TComponent* c)
    {
        if (c)
            c->FreeNotification(this);
    }
    void Release(TComponent* c)
    {
        if (c)
            c->RemoveFreeNotification(this);
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation != opRemove || !FOwner)
            return;
        TBaseCompThread* t = FOwner;
        if (AComponent == t->ProgressBar) t->ProgressBar = nullptr;
        if (AComponent == t->StatusBar) t->StatusBar = nullptr;
        if (AComponent == t->LoadExcelFileBtn) t->LoadExcelFileBtn = nullptr;
        if (AComponent == t->UpdateBtn) t->UpdateBtn = nullptr;
        if (AComponent == t->PageControl) t->PageControl = nullptr;
        if (AComponent == t->InsPanel) t->InsPanel = nullptr;
        if (AComponent == t->MainMenu) t->MainMenu = nullptr;
    }

private:
    TBaseCompThread* FOwner;
};

TBaseCompThread::TBaseCompThread(bool CreateSuspended, TProgressBar* AProgressBar, TStatusBar* AStatusBar,
                                 TPageControl* APageControl, TButton* ALoadExcelFileBtn, TButton* AUpdateBtn,
                                 TPanel* AInsPanel, TMainMenu* AMainMenu)
    : TThread(CreateSuspended), ProgressBar(AProgressBar), StatusBar(AStatusBar), LoadExcelFileBtn(ALoadExcelFileBtn),
      UpdateBtn(AUpdateBtn), PageControl(APageControl), InsPanel(AInsPanel), MainMenu(AMainMenu),
      FWatch(std::make_unique<TControlWatch>(this))
{
    for (TComponent* c : {static_cast<TComponent*>(ProgressBar), static_cast<TComponent*>(StatusBar),
                          static_cast<TComponent*>(LoadExcelFileBtn), static_cast<TComponent*>(UpdateBtn),
                          static_cast<TComponent*>(PageControl), static_cast<TComponent*>(InsPanel),
                          static_cast<TComponent*>(MainMenu)})
        FWatch->Watch(c);
}

TBaseCompThread::~TBaseCompThread()
{
    if (!FWatch)
        return;
    if (IsUIThread()) {
        ReleaseControls();
        return;
    }
    // Only when the UI thread could not be reached at the end (the application going
    // down): the controls' lists cannot be touched from here, so the watch stays behind,
    // deaf, rather than pointing at a freed job.
    FWatch->Detach();
    (void)FWatch.release();
}

void TBaseCompThread::ReleaseControls()
{
    if (!FWatch)
        return;
    for (TComponent* c : {static_cast<TComponent*>(ProgressBar), static_cast<TComponent*>(StatusBar),
                          static_cast<TComponent*>(LoadExcelFileBtn), static_cast<TComponent*>(UpdateBtn),
                          static_cast<TComponent*>(PageControl), static_cast<TComponent*>(InsPanel),
                          static_cast<TComponent*>(MainMenu)})
        FWatch->Release(c);
    FWatch.reset();
}

void TBaseCompThread::DoTerminate()
{
    try {
        Synchronize(&TBaseCompThread::ReleaseControls);
    } catch (const EThread&) {
        // shutting down: the destructor leaves the watch behind
    }
    TThread::DoTerminate();
}

int TBaseCompThread::ShowMessageBox(const QString& Text, const QString& Caption, UINT Flags)
{
    if (MessageBoxRoutine)
        return MessageBoxRoutine(Text, Caption, Flags);
    return Application->MessageBox(Text, Caption, Flags);
}

void TBaseCompThread::SetControlsEnabled()
{
    if (LoadExcelFileBtn) LoadExcelFileBtn->SetEnabled(Enabled);
    if (UpdateBtn) UpdateBtn->SetEnabled(Enabled);
    if (PageControl) PageControl->SetEnabled(Enabled);
    if (InsPanel) InsPanel->SetEnabled(Enabled);
    if (MainMenu)
        for (int i = 0; i < MainMenu->Items()->Count(); ++i)
            MainMenu->Items()->Items(i)->SetEnabled(Enabled);
}

void TBaseCompThread::ShowStatusText()
{
    if (StatusBar)
        StatusBar->SetSimpleText(StatusText);
}

void TBaseCompThread::SetProgressBarStyle()
{
    if (ProgressBar)
        ProgressBar->SetStyle(PBStyle);
}

void TBaseCompThread::ShowErrorDialog()
{
    ShowMessageBox(DialogMessage, QStringLiteral("Ошибка"), MB_OK | MB_ICONERROR);
}

void TBaseCompThread::ShowInfoDialog()
{
    ShowMessageBox(DialogMessage, QStringLiteral("Информация"), MB_OK | MB_ICONINFORMATION);
}

void TBaseCompThread::SyncControlsEnabled(bool AEnabled)
{
    Enabled = AEnabled;
    Synchronize(&TBaseCompThread::SetControlsEnabled);
}

void TBaseCompThread::SyncStatusText(const QString& AText)
{
    StatusText = AText;
    Synchronize(&TBaseCompThread::ShowStatusText);
}

void TBaseCompThread::SyncProgressBarStyle(TProgressBarStyle AStyle)
{
    PBStyle = AStyle;
    Synchronize(&TBaseCompThread::SetProgressBarStyle);
}

void TBaseCompThread::SyncErrorDialog(const QString& AMessage)
{
    DialogMessage = AMessage;
    Synchronize(&TBaseCompThread::ShowErrorDialog);
}

void TBaseCompThread::SyncInfoDialog(const QString& AMessage)
{
    DialogMessage = AMessage;
    Synchronize(&TBaseCompThread::ShowInfoDialog);
}

void TBaseCompThread::SyncDisableControls(TDataSet* DataSet)
{
    Synchronize(TThreadMethod(DataSet, &TDataSet::DisableControls));
}

void TBaseCompThread::SyncEnableControls(TDataSet* DataSet)
{
    Synchronize(TThreadMethod(DataSet, &TDataSet::EnableControls));
}
