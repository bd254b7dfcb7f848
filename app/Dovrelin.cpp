// Program entry: the application object, the data module, then the main window, which
// refers to the data module's data sources and image lists by name.
#include "app/engine/uCompDM.h"
#include "app/ui/uCompareMain.h"

int main(int, char**)
{
    Application->Initialize();
    Application->MainFormOnTaskbar = true;
    TCompDM::HandleCreateError = [](const Exception& e) { Application->ShowException(const_cast<Exception*>(&e)); };
    CompDM = Create<TCompDM>(Application);
    Application->CreateForm(frmComparer);
    Application->Run();
    return 0;
}
