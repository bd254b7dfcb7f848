// The main window over the data module on freshly written demo catalogs, as the program
// starts them: the data module first, then the window read from its form resource.
#pragma once

#include "app/engine/DemoData.h"
#include "app/engine/uBaseCompThread.h"
#include "app/engine/uCompDM.h"
#include "app/ui/uCompareMain.h"
#include "components/dbgrid/DBGridEh.h"
#include "components/lookup/DBLookupEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/ADODB.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Threads.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "support/AppEnvironment.h"
#include "support/DialogScript.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace mainwintest {

class MainWindow : public ::testing::Test {
protected:
    QTemporaryDir dir;
    demo::TDemoModel model;
    std::unique_ptr<TCompDM> dm;
    std::unique_ptr<TfrmComparer> w;
    testsupport::TDialogScript user;
    // false: the data module may come up with a start-up error (a test of such an error)
    bool RequireCleanStart = true;

    QString IniPath() const { return dir.filePath(QStringLiteral("Config.ini")); }

    // Writes the catalogs and "Config.ini" (edit may rewrite it), then creates the data
    // module and the window.
    void Start(const QString& Branch = QString(), const std::function<QString(QString)>& edit = {})
    {
        demo::TDemoOptions o;
        o.Size = 4;
        o.Filial = Branch;
        model = demo::BuildDemoModel(o);
        demo::WriteDemoDatabases(model, dir.path());
        if (edit) {
            const QString text = edit(demo::ConfigIniText(model, dir.path()));
            QFile f(IniPath());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(text.toUtf8());
        }
        TCompDM::ConfigPath = IniPath();
        dm = CreateUnique<TCompDM>(nullptr);
        if (RequireCleanStart) {
            ASSERT_EQ(dm->CreateError, QString());
        }
        CompDM = dm.get();
        OpenWindow();
    }
    void OpenWindow()
    {
        w = CreateUnique<TfrmComparer>(nullptr);
        frmComparer = w.get();
    }
    void TearDown() override
    {
        // a job still running reports to the state object, which goes with the window
        PumpUntil([&] { return !w || !w->JobState() || !w->JobState()->Running(); });
        w.reset();
        frmComparer = nullptr;
        CompDM = nullptr;
        dm.reset();
        TCompDM::ConfigPath.clear();
        TfrmComparer::ConfigPath.clear();
    }

    // Runs the UI side (synchronize requests and Qt events) until done() or the time is up.
    static bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 20000)
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > timeoutMs)
                return false;
            CheckSynchronize(5);
            QCoreApplication::processEvents();
        }
        return true;
    }
    // Waits for the job a command started to end.
    bool WaitForJob()
    {
        return PumpUntil([&] { return !w->JobState()->Running(); });
    }
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
