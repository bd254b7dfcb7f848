// The main window: start-up, settings and the commands that start the jobs.
#include "uCompareMain.h"

TfrmComparer* frmComparer = nullptr;

DOV_PUBLISHED(TfrmComparer)
{
    // start-up, settings and jobs

    // result views, filters, sorting and check marks

}

TfrmComparer::TfrmComparer(TComponent* AOwner) : TForm(AOwner) {}
