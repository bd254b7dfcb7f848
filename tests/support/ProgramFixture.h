// The program as it starts, on freshly generated catalogs: the catalogs and "Config.ini"
// written to a temporary folder, the data module and then the main window read from its form
// resource. Window tests on either display take it in beside their gtest fixture.
#pragma once

#include "app/engine/DemoData.h"
#include "app/engine/uBaseCompThread.h"
#include "app/engine/uCompDM.h"
#include "app/ui/uCompareMain.h"
#include "platform/rtl/Threads.h"
#include "support/DialogScript.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

class TProgramUnderTest {
protected:
    QTemporaryDir dir;
    demo::TDemoModel model;
    std::unique_ptr<TCompDM> dm;
    std::unique_ptr<TfrmComparer> w;
    TDialogScript user;

    QString IniPath() const { return dir.filePath(QStringLiteral("Config.ini")); }

    // The catalogs of the organisation the options describe; Edit may rewrite "Config.ini".
    void WriteCatalogs(const demo::TDemoOptions& Options, const std::function<QString(QString)>& Edit = {})
    {
        model = demo::BuildDemoModel(Options);
        demo::WriteDemoDatabases(model, dir.path());
        if (Edit) {
            QFile f(IniPath());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(Edit(demo::ConfigIniText(model, dir.path())).toUtf8());
        }
    }
    // The data module over the written catalogs; RequireCleanStart false lets a test look at
    // a start-up error.
    void StartDataModule(bool RequireCleanStart = true)
    {
        TCompDM::ConfigPath = IniPath();
        dm = CreateUnique<TCompDM>(nullptr);
        if (RequireCleanStart) {
            ASSERT_EQ(dm->CreateError, QString());
        }
        CompDM = dm.get();
    }
    void OpenWindow()
    {
        w = CreateUnique<TfrmComparer>(nullptr);
        frmComparer = w.get();
    }
    // The window goes first (a job still running reports to the state object it owns), then
    // the data module.
    void CloseProgram()
    {
        PumpUntil([&] { return !w || !w->JobState() || !w->JobState()->Running(); });
        w.reset();
        frmComparer = nullptr;
        CompDM = nullptr;
        dm.reset();
        TCompDM::ConfigPath.clear();
        TfrmComparer::ConfigPath.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Runs the UI side (the jobs' synchronize requests and Qt events) until done() holds or
    // the time is up.
    static bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 60000)
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > timeoutMs)
                return false;
            CheckSynchronize(5);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }
    // Waits until the job a command started has handed the window back (a job counts as
    // running from the command that makes it).
    bool WaitForJob()
    {
        return PumpUntil([&] { return !w->JobState()->Running(); });
    }
};

}  // namespace testsupport
