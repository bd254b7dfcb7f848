// The filter panel: the texts the filter command gives each table, what "Сброс" leaves, the
// panel's button, and a table a job is filling keeping its filter.
#include "ViewsFixture.h"

using namespace viewstests;

namespace {

const QString kMismatch = QStringLiteral(
    "(((ndsexcel IS NULL) OR (ndsspr IS NULL)) OR ((ndsspr IS NOT NULL) AND (ndsexcel IS NOT NULL) AND (ndsspr<>ndsexcel)))");

class FilterPanel : public MainWindowViews {
protected:
    QString Branch, Other;   // a branch with two signers and one without any

    void SetUp() override
    {
        Start();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_GE(w->FilialRG->Items()->Count(), 2);
        Branch = w->FilialRG->Items()->Strings(0);
        Other = w->FilialRG->Items()->Strings(1);
        dm->SvodMDBConnection->Execute(QStringLiteral("DELETE FROM DararedSigners"));
        dm->InsertDararedSigner(int16_t(Branch.toInt()), QStringLiteral("Иванов И.И."));
        dm->InsertDararedSigner(int16_t(Branch.toInt()), QStringLiteral("Д'Артаньян Ш."));
    }
    TDataSet* Result() const { return w->InvDBGridEh->DataSource()->DataSet(); }
    void ShowSaved() { w->InvDBGridEh->SetDataSource(dm->TmpDararedInvMemTableEhDS); }
    // "Скрыть проверенные" or "Показать все" as the radio pair leaves them.
    void HideChecked(bool Value)
    {
        w->ShowNotHideStatePMBtn->Checked = Value;
        w->ShowAllStatePMBtn->Checked = !Value;
    }
    QString State(TDataSet* ds) const { return ds->Filtered() ? ds->Filter() : QStringLiteral("<off>"); }
};

TEST_F(FilterPanel, TheCommandBuildsEachTextExactly)
{
    const QString withSigners = QStringLiteral("(filial=") + Branch +
                                QStringLiteral(" OR (filial is NULL AND signerfio in ('Д''Артаньян Ш.','Иванов И.И.')) OR "
                                               "(filial is NULL AND signerfio IS NULL))");
    const QString without = QStringLiteral("filial=") + Other + QStringLiteral(" OR filial is NULL");
    struct Case {
        const char* name;
        bool saved, showMatches, hide;
        int branch;   // -1 none, 0 with signers, 1 without
        QString expected;
    } cases[] = {
        {"live, mismatches", false, false, false, -1, kMismatch},
        {"live, mismatches, hide has no say", false, false, true, -1, kMismatch},
        {"saved, hide checked", true, true, true, -1, QStringLiteral("hide=0")},
        {"saved, mismatches, hide checked", true, false, true, -1, kMismatch + QStringLiteral(" AND (hide=0)")},
        {"saved, show all", true, true, false, -1, QStringLiteral("<off>")},
        {"saved, mismatches, show all", true, false, false, -1, kMismatch},
        {"live, branch with signers", false, true, false, 0, withSigners},
        {"live, branch without signers", false, true, false, 1, without},
        {"saved, branch with signers, hide", true, true, true, 0, withSigners + QStringLiteral(" AND hide=0")},
        {"saved, branch without signers, hide", true, true, true, 1, u'(' + without + QStringLiteral(") AND hide=0")},
        {"live, mismatches within a branch", false, false, false, 1, kMismatch + QStringLiteral(" AND (") + without + u')'},
        {"saved, mismatches within a branch, hide", true, false, true, 0,
         kMismatch + QStringLiteral(" AND ") + withSigners + QStringLiteral(" AND hide=0")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w->InvDBGridEh->SetDataSource(c.saved ? dm->TmpDararedInvMemTableEhDS : dm->CompareMemTableEhDS);
        Result()->SetFiltered(false);
        Result()->SetFilter(QString());
        w->ShowMatchesCB->SetChecked(c.showMatches);
        HideChecked(c.hide);
        w->FilialRG->SetItemIndex(c.branch);
        w->FilterBtnClick(w->FilterBtn);
        EXPECT_EQ(State(Result()), c.expected);
        const QString n = c.branch == 0 ? Branch : Other;
        EXPECT_EQ(State(dm->SelectSvodDuplesFilial), c.branch < 0 ? QStringLiteral("<off>") : QStringLiteral("dopUNN=") + n);
        EXPECT_EQ(State(dm->SelectSvodDuplesOblpo), c.branch < 0 ? QStringLiteral("<off>") : QStringLiteral("Filial=") + n);
        dm->SelectSvodDuplesFilial->SetFiltered(false);
        dm->SelectSvodDuplesOblpo->SetFiltered(false);
    }
}

TEST_F(FilterPanel, LiveResultShowingMatchesWithoutBranchLeavesFiltersAndClearRemovesThem)
{
    w->FilialRG->SetItemIndex(1);
    w->ShowMatchesCB->SetChecked(false);
    w->FilterBtnClick(w->FilterBtn);
    const QString before = Result()->Filter();
    ASSERT_TRUE(Result()->Filtered());

    w->ShowMatchesCB->SetChecked(true);
    w->FilialRG->SetItemIndex(-1);
    w->FilterBtnClick(w->FilterBtn);
    EXPECT_EQ(State(Result()), before);
    EXPECT_TRUE(dm->SelectSvodDuplesFilial->Filtered());

    w->FilialRG->SetItemIndex(1);
    w->ClearFilterBtnClick(w->ClearFilterBtn);
    EXPECT_EQ(w->FilialRG->ItemIndex(), -1);
    EXPECT_TRUE(w->ShowMatchesCB->Checked());
    EXPECT_FALSE(Result()->Filtered());
    EXPECT_FALSE(dm->SelectSvodDuplesFilial->Filtered());
    EXPECT_FALSE(dm->SelectSvodDuplesOblpo->Filtered());
}

TEST_F(FilterPanel, ClearKeepsTheSavedTablesCheckMarkFilter)
{
    ShowSaved();
    HideChecked(true);
    w->FilialRG->SetItemIndex(0);
    w->FilterBtnClick(w->FilterBtn);
    w->ClearFilterBtnClick(w->ClearFilterBtn);
    EXPECT_EQ(State(Result()), QStringLiteral("hide=0"));
    HideChecked(false);
    w->ClearFilterBtnClick(w->ClearFilterBtn);
    EXPECT_EQ(State(Result()), QStringLiteral("<off>"));
}

TEST_F(FilterPanel, ThePopupsRadioItemsRunTheFilterCommand)
{
    ShowSaved();
    // the item has checked itself when its handler runs
    HideChecked(true);
    w->ShowNotHideStatePMBtnClick(w->ShowNotHideStatePMBtn);
    EXPECT_EQ(State(Result()), QStringLiteral("hide=0"));
    HideChecked(false);
    w->ShowAllStatePMBtnClick(w->ShowAllStatePMBtn);
    EXPECT_EQ(State(Result()), QStringLiteral("<off>"));
}

TEST_F(FilterPanel, TheButtonShowsAndHidesThePanel)
{
    EXPECT_FALSE(w->FiltersPanel->Visible());
    w->ShowFiltersBtnClick(w->ShowFiltersBtn);
    EXPECT_TRUE(w->FiltersPanel->Visible());
    EXPECT_EQ(w->ShowFiltersBtn->Caption(), QStringLiteral("Скрыть фильтры"));
    w->ShowFiltersBtnClick(w->ShowFiltersBtn);
    EXPECT_FALSE(w->FiltersPanel->Visible());
    EXPECT_EQ(w->ShowFiltersBtn->Caption(), QStringLiteral("Показать фильтры"));
}

TEST_F(FilterPanel, ATableAJobIsFillingKeepsItsFilter)
{
    dm->CompareMemTableEh->DisableControls();
    w->ShowMatchesCB->SetChecked(false);
    w->FilialRG->SetItemIndex(0);
    w->FilterBtnClick(w->FilterBtn);
    EXPECT_EQ(State(dm->CompareMemTableEh), QStringLiteral("<off>"));
    // the tables the job does not own follow the command
    EXPECT_EQ(State(dm->SelectSvodDuplesFilial), QStringLiteral("dopUNN=") + Branch);
    dm->CompareMemTableEh->EnableControls();
    w->FilterBtnClick(w->FilterBtn);
    EXPECT_TRUE(dm->CompareMemTableEh->Filtered());
}

}  // namespace
