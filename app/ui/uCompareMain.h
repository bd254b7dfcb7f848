// The main window: the period, the counterparty and the jobs of the reconciliation engine
// (start-up, settings and jobs), and the result views with their filters, sorting and check
// marks.
#pragma once

#include "platform/vcl/Forms.h"

class TfrmComparer : public TForm {
    // ==== start-up, settings and jobs ====
    DOV_PERSISTENT(TfrmComparer, TForm)
public:
    explicit TfrmComparer(TComponent* AOwner);
    // ==== end of start-up, settings and jobs ====

    // ==== result views, filters, sorting and check marks ====
    // ==== end of result views, filters, sorting and check marks ====
};

extern TfrmComparer* frmComparer;
