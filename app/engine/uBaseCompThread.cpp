#include "uBaseCompThread.h"

#include "JobErrors.h"

#include "platform/ado/ADODB.h"
#include "platform/db/DB.h"
#include "platform/vcl/Forms.h"

#include <algorithm>
#include <vector>

TBaseCompThread::TMessageBoxRoutine TBaseCompThread::MessageBoxRoutine;

void TBaseCompThread::InTransaction(TADOConnection* Connection, const std::function<void()>& Work)
{
    CommitWhatWasWritten(*Connection, Work);
}

TJobState::~TJobState()
{
    ForEachControl([this](TComponent* c) { c->RemoveFreeNotification(this); });
}

void TJobState::ForEachControl(const std::function<void(TComponent*)>& Proc) const
{
    for (TComponent* c : {static_cast<TComponent*>(FProgressBar), static_cast<TComponent*>(FStatusBar),
                          static_cast<TComponent*>(FPageControl), static_cast<TComponent*>(FLoadExcelFileBtn),
                          static_cast<TComponent*>(FUpdateBtn), static_cast<TComponent*>(FInsPanel),
                          static_cast<TComponent*>(FMainMenu)})
        if (c)
            Proc(c);
}

void TJobState::SetControls(TProgressBar* AProgressBar, TStatusBar* AStatusBar, TPageControl* APageControl,
                            TButton* ALoadExcelFileBtn, TButton* AUpdateBtn, TPanel* AInsPanel, TMainMenu* AMainMenu)
{
    DOV_ASSERT_UI_THREAD();
    ForEachControl([this](TComponent* c) { c->RemoveFreeNotification(this); });
    FProgressBar = AProgressBar;
    FStatusBar = AStatusBar;
    FPageControl = APageControl;
    FLoadExcelFileBtn = ALoadExcelFileBtn;
    FUpdateBtn = AUpdateBtn;
    FInsPanel = AInsPanel;
    FMainMenu = AMainMenu;
    ForEachControl([this](TComponent* c) { c->FreeNotification(this); });
}

void TJobState::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FProgressBar) FProgressBar = nullptr;
    if (AComponent == FStatusBar) FStatusBar = nullptr;
    if (AComponent == FPageControl) FPageControl = nullptr;
    if (AComponent == FLoadExcelFileBtn) FLoadExcelFileBtn = nullptr;
    if (AComponent == FUpdateBtn) FUpdateBtn = nullptr;
    if (AComponent == FInsPanel) FInsPanel = nullptr;
    if (AComponent == FMainMenu) FMainMenu = nullptr;
}

void TJobState::SetRunning(bool Value)
{
    DOV_ASSERT_UI_THREAD();
    const bool enabled = !Value;
    if (FLoadExcelFileBtn) FLoadExcelFileBtn->SetEnabled(enabled);
    if (FUpdateBtn) FUpdateBtn->SetEnabled(enabled);
    if (FPageControl) FPageControl->SetEnabled(enabled);
    if (FInsPanel) FInsPanel->SetEnabled(enabled);
    if (FMainMenu)
        for (int i = 0; i < FMainMenu->Items()->Count(); ++i)
            FMainMenu->Items()->Items(i)->SetEnabled(enabled);
    const bool was = Running();
    FRunning = Value;
    if (Running() != was && OnChange)
        OnChange(this);
}

void TJobState::AddJob(int Delta)
{
    DOV_ASSERT_UI_THREAD();
    const bool was = Running();
    FJobs += Delta;
    if (Running() != was && OnChange)
        OnChange(this);
}

void TJobState::ShowStatusText(const QString& Text)
{
    DOV_ASSERT_UI_THREAD();
    if (FStatusBar)
        FStatusBar->SetSimpleText(Text);
}

void TJobState::SetProgressBarStyle(TProgressBarStyle Style)
{
    DOV_ASSERT_UI_THREAD();
    if (FProgressBar)
        FProgressBar->SetStyle(Style);
}

// Lives on the UI thread's side: the window frees its state object and its parts there, and
// the hand-off methods reach them there too, so a freed one is never reached.
class TBaseCompThread::TControlWatch : public TComponent {
public:
    explicit TControlWatch(TBaseCompThread* owner) : TComponent(nullptr), FOwner(owner) {}
    void Detach() { FOwner = nullptr; }

    void Watch(TComponent* Part)
    {
        if (!Part || Watches(Part))
            return;
        Part->FreeNotification(this);
        FParts.push_back(Part);
    }
    bool Watches(const TComponent* Part) const { return std::find(FParts.begin(), FParts.end(), Part) != FParts.end(); }
    void Release()
    {
        for (TComponent* c : FParts)
            c->RemoveFreeNotification(this);
        FParts.clear();
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation != opRemove)
            return;
        std::erase(FParts, AComponent);
        if (FOwner && AComponent == FOwner->FState)
            FOwner->FState = nullptr;
    }

private:
    TBaseCompThread* FOwner;
    std::vector<TComponent*> FParts;
};

TBaseCompThread::TBaseCompThread(bool CreateSuspended, TJobState* State)
    : TThread(CreateSuspended), FState(State), FWatch(Create<TControlWatch>(this))
{
    FWatch->Watch(FState);
    if (FState)
        FState->AddJob(1);
}

TBaseCompThread::TBaseCompThread(bool CreateSuspended, TProgressBar* AProgressBar, TStatusBar* AStatusBar,
                                 TPageControl* APageControl, TButton* ALoadExcelFileBtn, TButton* AUpdateBtn,
                                 TPanel* AInsPanel, TMainMenu* AMainMenu)
    : TThread(CreateSuspended), FOwnState(CreateUnique<TJobState>(nullptr)), FWatch(Create<TControlWatch>(this))
{
    FOwnState->SetControls(AProgressBar, AStatusBar, APageControl, ALoadExcelFileBtn, AUpdateBtn, AInsPanel, AMainMenu);
    FState = FOwnState.get();
}

TBaseCompThread::~TBaseCompThread()
{
    if (!FWatch && !FOwnState)
        return;
    if (IsUIThread()) {
        ReleaseControls();
        return;
    }
    // Only when the UI thread could not be reached at the end (the application going
    // down): the controls' lists cannot be touched from here, so the watch and the state
    // stay behind, deaf, rather than pointing at a freed job.
    if (FWatch)
        FWatch->Detach();
    (void)FWatch.release();
    (void)FOwnState.release();
}

void TBaseCompThread::ReleaseControls()
{
    if (FState && !FOwnState)
        FState->AddJob(-1);
    if (FWatch)
        FWatch->Release();
    FWatch.reset();
    FOwnState.reset();
    FState = nullptr;
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

void TBaseCompThread::Borrow(TComponent* Part)
{
    DOV_ASSERT_UI_THREAD();
    if (FWatch)
        FWatch->Watch(Part);
}

bool TBaseCompThread::Alive(const TComponent* Part) const
{
    DOV_ASSERT_UI_THREAD();
    return FWatch && FWatch->Watches(Part);
}

int TBaseCompThread::ShowMessageBox(const QString& Text, const QString& Caption, UINT Flags)
{
    if (MessageBoxRoutine)
        return MessageBoxRoutine(Text, Caption, Flags);
    return Application->MessageBox(Text, Caption, Flags);
}

void TBaseCompThread::SetControlsEnabled()
{
    if (FState)
        FState->SetRunning(!Enabled);
}

void TBaseCompThread::ShowStatusText()
{
    if (FState)
        FState->ShowStatusText(StatusText);
}

void TBaseCompThread::SetProgressBarStyle()
{
    if (FState)
        FState->SetProgressBarStyle(PBStyle);
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
