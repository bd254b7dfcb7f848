// The commands that start jobs: their refusals, the workbook question asked the second time,
// the result grid bound to the live or the saved table, and the tab change that closes the
// detail panels.
#include "MainWindowFixture.h"

#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"

using namespace mainwintest;

TEST_F(MainWindow, RefreshRefusesAPeriodEndingBeforeItStarts)
{
    Start();
    w->SecondDTP->SetDateTime(w->FirstDTP->DateTime() - 1);
    user.Then(mrOk);
    w->UpdateBtnClick(w->UpdateBtn);
    ASSERT_EQ(user.Calls.size(), 1u);
    EXPECT_EQ(user.Calls[0].Text, QStringLiteral("Диапазон дат выбран неверно."));
    EXPECT_FALSE(w->JobState()->Running());
    EXPECT_FALSE(dm->CompareMemTableEh->Active());
}

TEST_F(MainWindow, RefreshRefusesDuplicateSignersNamingEach)
{
    Start();
    dm->InsertDararedSigner(1, QStringLiteral("Иванов И.И."));
    dm->InsertDararedSigner(2, QStringLiteral("Иванов И.И."));
    user.Then(mrOk);
    w->UpdateBtnClick(w->UpdateBtn);
    ASSERT_EQ(user.Calls.size(), 1u);
    EXPECT_TRUE(user.Calls[0].Text.startsWith(QStringLiteral("В настройке фильтров присутствуют дубликаты ФИО.\n\r")));
    EXPECT_TRUE(user.Calls[0].Text.contains(QStringLiteral(" Иванов И.И."))) << user.Calls[0].Text.toStdString();
    EXPECT_FALSE(w->JobState()->Running());
}

TEST_F(MainWindow, SavingBeforeAnyRefreshFindsNothingToSave)
{
    Start();
    user.Then(mrOk);
    w->SaveStateMMBtnClick(w->SaveStateMMBtn);
    ASSERT_EQ(user.Calls.size(), 1u);
    EXPECT_EQ(user.Calls[0].Text, QStringLiteral("Данные для сохранения не найдены."));
    EXPECT_FALSE(w->JobState()->Running());
}

TEST_F(MainWindow, EmptyCounterpartyTextMeansEveryCounterparty)
{
    Start();
    EXPECT_EQ(w->SelectedPredprId(), 0);
    const demo::TDemoEnterprise& e = model.Enterprises.front();
    w->PredprDBLCBEh->SetKeyValue(Variant(e.Id));
    EXPECT_EQ(w->PredprDBLCBEh->Text(), e.ShortName);
    EXPECT_EQ(w->SelectedPredprId(), e.Id);
}

TEST_F(MainWindow, ChoosingWorkbooksASecondTimeAsksFirstAndNoLeavesAllAsItWas)
{
    Start();
    ImportWorkbook();
    const QString book = dir.filePath(QStringLiteral("desk_audit.xlsx"));
    EXPECT_TRUE(w->UpdateBtn->Enabled());
    const size_t before = user.Calls.size();

    user.Then(IDNO);
    w->LoadExcelFileBtnClick(w->LoadExcelFileBtn);
    ASSERT_EQ(user.Calls.size(), before + 1);
    EXPECT_EQ(user.Calls.back().Caption, QStringLiteral("Загрузка файла"));
    EXPECT_TRUE(user.Calls.back().Text.contains(QStringLiteral("Продолжить?")));
    EXPECT_FALSE(w->JobState()->Running());
    EXPECT_EQ(w->XLSOpenDialog->FileName(), book);
}

TEST_F(MainWindow, LoadingBindsTheSavedTableAndRefreshTheLiveResult)
{
    Start();
    QStringList jobBoxes;
    TBaseCompThread::MessageBoxRoutine = [&](const QString& t, const QString&, UINT) {
        jobBoxes << t;
        return IDOK;
    };
    auto restore = Finally([] { TBaseCompThread::MessageBoxRoutine = nullptr; });
    w->LoadStateMMBtnClick(w->LoadStateMMBtn);
    EXPECT_EQ(w->InvDBGridEh->DataSource(), dm->TmpDararedInvMemTableEhDS);
    EXPECT_EQ(w->SubInvDBGridEh->DataSource(), dm->SelectTmpDararedProvDS);
    EXPECT_TRUE(w->InvDBGridEh->Columns()->Items(16)->Visible());
    EXPECT_TRUE(w->InvDBGridEh->DataGrouping()->Active());
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(jobBoxes, QStringList{QStringLiteral("Сохранённые данные не найдены.")});
}

TEST_F(MainWindow, ChangingTabsClosesOpenDetailPanels)
{
    Start();
    w->InvDBGridEh->RowDetailPanel()->SetVisible(true);
    w->DuplicatesOblpoDBGridEh->RowDetailPanel()->SetVisible(true);
    w->MainPageControl->SetActivePageIndex(1);
    w->MainPageControlChange(w->MainPageControl);
    EXPECT_FALSE(w->InvDBGridEh->RowDetailPanel()->Visible());
    EXPECT_FALSE(w->DuplicatesOblpoDBGridEh->RowDetailPanel()->Visible());
}
