// The main window over the data module on freshly written demo catalogs, as the program
// starts them: the data module first, then the window read from its form resource.
#pragma once

#include "components/dbgrid/DBGridEh.h"
#include "components/lookup/DBLookupEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/ADODB.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "support/AppEnvironment.h"
#include "support/ProgramFixture.h"

#include <functional>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace mainwintest {

class MainWindow : public ::testing::Test, protected testsupport::TProgramUnderTest {
protected:
    // false: the data module may come up with a start-up error (a test of such an error)
    bool RequireCleanStart = true;

    // Writes the catalogs and "Config.ini" (edit may rewrite it), then creates the data
    // module and the window.
    void Start(const QString& Branch = QString(), const std::function<QString(QString)>& edit = {})
    {
        demo::TDemoOptions o;
        o.Size = 4;
        o.Filial = Branch;
        ASSERT_NO_FATAL_FAILURE(WriteCatalogs(o, edit));
        ASSERT_NO_FATAL_FAILURE(StartDataModule(RequireCleanStart));
        OpenWindow();
    }
    void TearDown() override { CloseProgram(); }

    // Imports the generated workbook through the window's command.
    void ImportWorkbook()
    {
        user.ThenFiles({dir.filePath(QStringLiteral("desk_audit.xlsx"))});
        w->LoadExcelFileBtnClick(w->LoadExcelFileBtn);
        ASSERT_TRUE(WaitForJob());
    }
    // The generated period into the pickers.
    void ChooseGeneratedPeriod()
    {
        w->FirstDTP->SetDateTime(EncodeDate(model.FirstDate.year(), model.FirstDate.month(), model.FirstDate.day()));
        w->SecondDTP->SetDateTime(EncodeDate(model.SecondDate.year(), model.SecondDate.month(), model.SecondDate.day()));
    }
};

}  // namespace mainwintest
