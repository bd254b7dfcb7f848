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

class TBaseCompThread : public TThread {
public:
    // The controls are the main window's; the job borrows them and never frees them.
    TBaseCompThread(bool CreateSuspended, TProgressBar* ProgressBar, TStatusBar* StatusBar, TPageControl* PageControl,
                    TButton* LoadExcelFileBtn, TButton* UpdateBtn, TPanel* InsPanel, TMainMenu* MainMenu);
    ~TBaseCompThread() override;

    // Every box a job shows goes through here (on the UI thread); empty: the application's
    // message box. Tests answer the boxes by setting it.
    using TMessageBoxRoutine = std::function<int(const QString& Text, const QString& Caption, UINT Flags)>;
    static TMessageBoxRoutine MessageBoxRoutine;
    static int ShowMessageBox(const QString& Text, const QString& Caption, UINT Flags);

protected:
    TProgressBar* ProgressBar;
    TStatusBar* StatusBar;
    TButton* LoadExcelFileBtn;
    TButton* UpdateBtn;
    TPageControl* PageControl;
    TPanel* InsPanel;
    TMainMenu* MainMenu;

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

private:
    void ReleaseControls();
    // Forgets a control the window frees while the job still runs.
    class TControlWatch;
    std::unique_ptr<TControlWatch> FWatch;
    friend class TControlWatch;
};
