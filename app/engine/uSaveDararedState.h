// Saving a reconciliation: the unchecked saved rows of tmpDararedInv go, every row of the
// current comparison that is not saved yet is added (checked rows and their marks stay),
// and the saved ledger entries in tmpDararedProv are replaced by the current run's.
#pragma once

#include "uBaseCompThread.h"

class TSaveDararedState : public TBaseCompThread {
public:
    using TBaseCompThread::TBaseCompThread;

protected:
    void Execute() override;

private:
    void SaveRows();
};
