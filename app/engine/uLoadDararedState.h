// Loading a saved reconciliation (of one counterparty or all) into TmpDararedInvMemTableEh.
// The query over tmpDararedInv stays open afterwards: check marks are written through it.
#pragma once

#include "uBaseCompThread.h"

#include <cstdint>

class TLoadDararedState : public TBaseCompThread {
public:
    TLoadDararedState(bool CreateSuspended, int64_t idPredpr, TProgressBar* ProgressBar, TStatusBar* StatusBar,
                      TPageControl* PageControl, TButton* LoadExcelFileBtn, TButton* UpdateBtn, TPanel* InsPanel,
                      TMainMenu* MainMenu);
    TLoadDararedState(bool CreateSuspended, int64_t idPredpr, TJobState* State);

protected:
    void Execute() override;

private:
    int64_t idPredpr;   // 0 or less: all counterparties
};
