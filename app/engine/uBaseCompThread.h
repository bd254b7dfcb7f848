// Base of the engine's long jobs (workbook import, reconciliation run, saving and loading a
// reconciliation). A job never touches a window control from its own thread: it sets one of
// the hand-off fields and runs the matching method on the UI thread through Synchronize.
#pragma once

#include "platform/rtl/Threads.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

#include <functional>
#include <memory>

class TDataSet;
class TADOConnection;

// The window's side of the jobs: the controls a job disables, enables and updates, and
// whether a job runs. The window's commands ask Running() before they start another job and
// hear OnChange when it changes. Used on the UI thread only (the jobs reach it through
// Synchronize); a control the window frees is forgotten.
class TJobState : public TComponent {
public:
    explicit TJobState(TComponent* AOwner) : TComponent(AOwner) {}
    ~TJobState() override;

    // Any of them may be nullptr.
    void SetControls(TProgressBar* AProgressBar, TStatusBar* AStatusBar, TPageControl* APageControl,
                     TButton* ALoadExcelFileBtn, TButton* AUpdateBtn, TPanel* AInsPanel, TMainMenu* AMainMenu);

    // From the moment a job is made over this state until its end is handed back to the UI
    // thread, and while a job has the controls disabled.
    bool Running() const { return FRunning || FJobs > 0; }
    // A job starts (the two buttons, the page control, the tool panel and every top-level
    // menu item disabled) or ends (all of them enabled again).
    void SetRunning(bool Value);
    void ShowStatusText(const QString& Text);
    void SetProgressBarStyle(TProgressBarStyle Style);

    TNotifyEvent OnChange;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TProgressBar* FProgressBar = nullptr;
    TStatusBar* FStatusBar = nullptr;
    TPageControl* FPageControl = nullptr;
    TButton* FLoadExcelFileBtn = nullptr;
    TButton* FUpdateBtn = nullptr;
    TPanel* FInsPanel = nullptr;
    TMainMenu* FMainMenu = nullptr;
    bool FRunning = false;
    int FJobs = 0;   // jobs made over this state that have not ended yet

    friend class TBaseCompThread;
    void AddJob(int Delta);
    void ForEachControl(const std::function<void(TComponent*)>& Proc) const;
};

class TBaseCompThread : public TThread {
public:
    // Publishes the job through the window's state object, which outlives the job or whose
    // end the job hears of.
    TBaseCompThread(bool CreateSuspended, TJobState* State);
    // The window's controls, borrowed (never freed): the job makes a state of its own over them.
    TBaseCompThread(bool CreateSuspended, TProgressBar* ProgressBar, TStatusBar* StatusBar, TPageControl* PageControl,
                    TButton* LoadExcelFileBtn, TButton* UpdateBtn, TPanel* InsPanel, TMainMenu* MainMenu);
    ~TBaseCompThread() override;

    // Every box a job shows goes through here (on the UI thread); empty: the application's
    // message box. Tests answer the boxes by setting it.
    using TMessageBoxRoutine = std::function<int(const QString& Text, const QString& Caption, UINT Flags)>;
    static TMessageBoxRoutine MessageBoxRoutine;
    static int ShowMessageBox(const QString& Text, const QString& Caption, UINT Flags);

protected:
    // Hand-off fields: written by the job just before the synchronous call that reads them.
    TProgressBarStyle PBStyle = pbstNormal;
    QString StatusText;
    bool Enabled = true;
    QString DialogMessage;

    // Hand-off methods; run them only through Synchronize.
    void SetControlsEnabled();
    void ShowStatusText();
    void SetProgressBarStyle();
    void ShowErrorDialog();
    void ShowInfoDialog();

    // The job-side calls of the frame: set the field, run the method on the UI thread.
    void SyncControlsEnabled(bool AEnabled);
    void SyncStatusText(const QString& AText);
    void SyncProgressBarStyle(TProgressBarStyle AStyle);
    void SyncErrorDialog(const QString& AMessage);
    void SyncInfoDialog(const QString& AMessage);
    // A dataset's data-aware controls are switched on the UI thread, so its grids learn of
    // the new rows there.
    void SyncDisableControls(TDataSet* DataSet);
    void SyncEnableControls(TDataSet* DataSet);

    // Runs Work in one transaction of Connection and commits what was written, also when
    // Work fails; a failed commit is the job's error (CommitWhatWasWritten).
    static void InTransaction(TADOConnection* Connection, const std::function<void()>& Work);

    // Lets go of the window's controls on the UI thread before the job ends.
    void DoTerminate() override;

    // A part of the window the job writes to besides the state's controls (call on the UI
    // thread, in the constructor). The window may free it while the job runs: ask Alive on
    // the UI thread before each write.
    void Borrow(TComponent* Part);
    bool Alive(const TComponent* Part) const;

private:
    TJobState* FState = nullptr;            // nullptr once the window has freed it
    std::unique_ptr<TJobState> FOwnState;   // made by the seven-control constructor
    void ReleaseControls();
    // Forgets the window's state object when the window frees it while the job still runs.
    class TControlWatch;
    std::unique_ptr<TControlWatch> FWatch;
    friend class TControlWatch;
};
