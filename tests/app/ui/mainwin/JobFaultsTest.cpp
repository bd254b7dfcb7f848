// The window's jobs when things go wrong: a window closed under a running reconciliation,
// commands given while a job runs, and catalogs that cannot be read at start-up or in a run.
// Each time the job's own error box, the window usable again and the saved reconciliation
// untouched.
#include "MainWindowFixture.h"

#include "platform/rtl/Guards.h"
#include "platform/vcl/Controls.h"

#include <QDir>
#include <latch>

using namespace mainwintest;

namespace {

int64_t Count(TCompDM* dm, const QString& sql)
{
    auto r = dm->SvodMDBConnection->Session().Open(sql);
    return r->FetchAll().at(0).at(0).AsInt64();
}

// Every catalog file of a folder overwritten in place with bytes no database reads.
void SpoilCatalogs(const QString& folder)
{
    QDir d(folder);
    const QStringList files = d.entryList({QStringLiteral("*.sqlite")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << folder.toStdString();
    for (const QString& f : files) {
        QFile file(d.filePath(f));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(8192, 'x'));
    }
}

}  // namespace

class MainWindowJobs : public MainWindow {
protected:
    // The run stops in its last step, before the totals are read, until Release.
    std::latch reached{1}, release{1};
    bool held = false;

    void HoldTheRunBeforeItsTotals()
    {
        held = true;
        dm->SprSumQ->BeforeOpen = [this](TDataSet*) {
            reached.count_down();
            release.wait();
        };
    }
    void Release()
    {
        if (held) {
            held = false;
            release.count_down();
        }
    }
    // The run's end: it gives every dataset it held back to the grids.
    bool RunEnded()
    {
        return PumpUntil([&] {
            for (TDataSet* ds : {static_cast<TDataSet*>(dm->CompareMemTableEh), static_cast<TDataSet*>(dm->SelectSvodDuplesFilial),
                                 static_cast<TDataSet*>(dm->SelectSvodDuplesOblpo),
                                 static_cast<TDataSet*>(dm->SelectSvodDuplesInvoiceNumbers)})
                if (ds->ControlsDisabled())
                    return false;
            return true;
        });
    }
    void TearDown() override
    {
        Release();
        MainWindow::TearDown();
    }
};

TEST_F(MainWindowJobs, ClosingTheWindowUnderARunningRunLeavesTheWindowAlone)
{
    Start();
    ImportWorkbook();
    ChooseGeneratedPeriod();
    HoldTheRunBeforeItsTotals();
    w->UpdateBtnClick(w->UpdateBtn);
    ASSERT_TRUE(PumpUntil([&] { return reached.try_wait(); }));

    TCloseAction action = caFree;
    w->FormClose(w.get(), action);
    w.reset();
    frmComparer = nullptr;
    Release();
    // the totals, the status text and the controls of the freed window are left alone
    ASSERT_TRUE(RunEnded());
    EXPECT_TRUE(dm->CompareMemTableEh->Active());
    EXPECT_GT(dm->CompareMemTableEh->RecordCount(), 0);
    EXPECT_EQ(user.Calls.size(), 1u);   // the file dialog of the import only
}

TEST_F(MainWindowJobs, TheTotalsReachOnlyTheColumnsThatStillHoldThem)
{
    Start();
    ImportWorkbook();
    ChooseGeneratedPeriod();
    HoldTheRunBeforeItsTotals();
    w->UpdateBtnClick(w->UpdateBtn);
    ASSERT_TRUE(PumpUntil([&] { return reached.try_wait(); }));
    // the grid is rebuilt under the run: its old columns and their footers are gone
    TDBGridColumnsEh* cols = w->InvDBGridEh->Columns();
    TColumnEh* kept = cols->Items(9);
    kept->Footer()->SetValue(QStringLiteral("before"));
    delete cols->Items(11);
    delete cols->Items(8);
    Release();
    ASSERT_TRUE(WaitForJob());
    // the certificate total's column stayed and got its total
    EXPECT_NE(kept->Footer()->Value(), QStringLiteral("before"));
    EXPECT_TRUE(w->UpdateBtn->Enabled());
}

TEST_F(MainWindowJobs, CommandsGivenWhileAJobRunsStartNothing)
{
    Start();
    ImportWorkbook();
    ChooseGeneratedPeriod();
    HoldTheRunBeforeItsTotals();
    w->UpdateBtnClick(w->UpdateBtn);
    ASSERT_TRUE(PumpUntil([&] { return reached.try_wait(); }));
    const size_t boxes = user.Calls.size();

    w->LoadStateMMBtnClick(w->LoadStateMMBtn);
    w->SaveStateMMBtnClick(w->SaveStateMMBtn);
    w->LoadExcelFileBtnClick(w->LoadExcelFileBtn);
    w->UpdateBtnClick(w->UpdateBtn);
    EXPECT_EQ(user.Calls.size(), boxes);
    EXPECT_EQ(w->InvDBGridEh->DataSource(), dm->CompareMemTableEhDS);
    EXPECT_FALSE(dm->TmpDararedInvMemTableEh->Active());

    Release();
    ASSERT_TRUE(WaitForJob());
    EXPECT_TRUE(w->UpdateBtn->Enabled());
    EXPECT_TRUE(w->LoadExcelFileBtn->Enabled());
}

// A branch catalog that cannot be read, from before start-up or spoilt after it: the window
// opens without a word (branches are read by the run only), the run says which branch failed,
// the window comes back, and the reconciliation saved before is as it was.
class UnreadableBranch : public MainWindowJobs, public ::testing::WithParamInterface<bool> {};

TEST_P(UnreadableBranch, EndsTheRunWithItsBoxAndLeavesTheSavedReconciliation)
{
    const bool atStartUp = GetParam();
    Start();
    const demo::TDemoBranch& branch = model.Branches.back();
    ImportWorkbook();
    ChooseGeneratedPeriod();
    w->UpdateBtnClick(w->UpdateBtn);
    ASSERT_TRUE(WaitForJob());
    user.Then(IDOK);   // "Сохранение завершено"
    w->SaveStateMMBtnClick(w->SaveStateMMBtn);
    ASSERT_TRUE(WaitForJob());
    const int64_t saved = Count(dm.get(), QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv"));
    ASSERT_GT(saved, 0);

    SpoilCatalogs(dir.filePath(branch.Folder));
    if (atStartUp) {
        w.reset();
        OpenWindow();
        ChooseGeneratedPeriod();
    }
    const size_t before = user.Calls.size();
    user.Then(IDOK);
    w->UpdateBtnClick(w->UpdateBtn);
    ASSERT_TRUE(WaitForJob());
    ASSERT_EQ(user.Calls.size(), before + 1);
    EXPECT_EQ(user.Calls.back().Caption, QStringLiteral("Ошибка"));
    EXPECT_TRUE(user.Calls.back().Text.contains(branch.Name)) << user.Calls.back().Text.toStdString();
    EXPECT_TRUE(w->MainStatusBar->SimpleText().contains(branch.Name)) << w->MainStatusBar->SimpleText().toStdString();
    EXPECT_TRUE(w->UpdateBtn->Enabled());
    EXPECT_TRUE(w->LoadExcelFileBtn->Enabled());
    EXPECT_TRUE(w->MainPageControl->Enabled());
    EXPECT_TRUE(w->StateMMBtn->Enabled());

    // the failed run left nothing to save, and the saved reconciliation stands
    user.Then(IDOK);
    w->SaveStateMMBtnClick(w->SaveStateMMBtn);
    EXPECT_EQ(user.Calls.back().Text, QStringLiteral("Данные для сохранения не найдены."));
    EXPECT_EQ(Count(dm.get(), QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv")), saved);
}

INSTANTIATE_TEST_SUITE_P(When, UnreadableBranch, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "AtStartUp" : "AfterStartUp"; });

// Without the summary database the window still opens after the application's error box,
// and the import job reports its own failure and gives the window back.
TEST_F(MainWindowJobs, WithoutTheSummaryDatabaseTheWindowOpensAndTheJobsSaySo)
{
    RequireCleanStart = false;
    user.Then(IDOK);
    Start(QString(), [this](QString ini) {
        return ini.replace(dir.filePath(demo::SummaryFolderName()), dir.filePath(QStringLiteral("gone")));
    });
    ASSERT_FALSE(dm->CreateError.isEmpty());
    ASSERT_EQ(user.Calls.size(), 1u);
    ASSERT_NE(w->JobState(), nullptr);

    user.ThenFiles({dir.filePath(QStringLiteral("desk_audit.xlsx"))}).Then(IDOK);
    w->LoadExcelFileBtnClick(w->LoadExcelFileBtn);
    ASSERT_TRUE(WaitForJob());
    ASSERT_EQ(user.Calls.size(), 3u);
    EXPECT_EQ(user.Calls[2].Caption, QStringLiteral("Ошибка"));
    EXPECT_TRUE(user.Calls[2].Text.startsWith(QStringLiteral("Произошла ошибка с текстом: "))) << user.Calls[2].Text.toStdString();
    EXPECT_TRUE(w->LoadExcelFileBtn->Enabled());
    EXPECT_TRUE(w->UpdateBtn->Enabled());

    // the refresh cannot read the signers list: the application's error box, no job
    user.Then(IDOK);
    GuardedCall([&] { w->UpdateBtnClick(w->UpdateBtn); });
    EXPECT_EQ(user.Calls.size(), 4u);
    EXPECT_FALSE(w->JobState()->Running());
    EXPECT_TRUE(w->UpdateBtn->Enabled());
}
