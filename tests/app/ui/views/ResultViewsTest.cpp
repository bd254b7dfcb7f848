// The result grid over a real run: sorting the live result by the sort markers, check marks
// on the saved reconciliation (written at once, landing on the marked rows while the table is
// filtered and re-sorted), the popup's refusal over the live result, and the detail handlers.
#include "ViewsFixture.h"

#include "platform/ado/ADODB.h"

using namespace viewstests;

namespace {

class ResultViews : public MainWindowViews {
protected:
    void SetUp() override
    {
        Start();
        if (IsSkipped() || HasFatalFailure())
            return;
        Reconcile();
    }
    TDBGridColumnsEh* Columns() const { return w->InvDBGridEh->Columns(); }
    void Mark(int Column, TSortMarkerEh Marker, int Index)
    {
        Columns()->Items(Column)->Title()->SetSortIndex(Index);
        Columns()->Items(Column)->Title()->SetSortMarker(Marker);
    }
    void LoadSaved()
    {
        w->SaveStateMMBtnClick(w->SaveStateMMBtn);
        WaitForJob();
        ASSERT_EQ(JobBoxes, QStringList{QStringLiteral("Сохранение завершено")});
        JobBoxes.clear();
        w->LoadStateMMBtnClick(w->LoadStateMMBtn);
        WaitForJob();
        ASSERT_TRUE(JobBoxes.isEmpty()) << JobBoxes.join(u'\n').toStdString();
        ASSERT_TRUE(w->ShowsSavedResult());
        ASSERT_GT(dm->TmpDararedInvMemTableEh->RecordCount(), 4);
    }
    // idRecord of the saved rows whose check mark is set, as the database holds them.
    QStringList CheckedInDatabase()
    {
        TADOQuery* q = Create<TADOQuery>(dm.get());
        q->SetConnection(dm->SvodMDBConnection);
        q->SQL()->SetText(QStringLiteral("SELECT idRecord FROM tmpDararedInv WHERE hide=1 ORDER BY idRecord"));
        q->Open();
        QStringList ids;
        for (; !q->Eof(); q->Next())
            ids << q->FieldByName(QStringLiteral("idRecord"))->AsString();
        delete q;
        return ids;
    }
};

TEST_F(ResultViews, MarkersSortTheLiveResultByStatusCodeThenDescendingDate)
{
    TMemTableEh* t = dm->CompareMemTableEh;
    Mark(2, smUpEh, 1);     // "ЭСЧФ|Статус"
    Mark(7, smDownEh, 2);   // "Документ|Дата"
    ASSERT_EQ(w->InvDBGridEh->SortMarkedColumns()->Count(), 2);
    w->InvDBGridEhSortMarkingChanged(w->InvDBGridEh);

    const QStringList rows = Rows(t, {"status", "docdate"});
    std::vector<std::pair<int, double>> keys;
    for (t->First(); !t->Eof(); t->Next())
        // a missing status sorts first
        keys.push_back({t->FieldByName("status")->IsNull() ? -1 : t->FieldByName("status")->AsInteger(),
                        t->FieldByName("docdate")->IsNull() ? -1e9 : t->FieldByName("docdate")->AsFloat()});
    std::set<int> codes;
    for (const auto& k : keys) codes.insert(k.first);
    ASSERT_GE(codes.size(), 3u) << "the generated run should carry several statuses";
    for (size_t i = 1; i < keys.size(); ++i) {
        const auto& a = keys[i - 1];
        const auto& b = keys[i];
        EXPECT_TRUE(a.first < b.first || (a.first == b.first && a.second >= b.second)) << rows.join(u' ').toStdString();
    }
}

TEST_F(ResultViews, NoMarkersOrOnlyTheCheckMarkColumnLeaveTheOrder)
{
    TMemTableEh* t = dm->CompareMemTableEh;
    t->SortByFields(QStringLiteral("invoicefullname DESC"));
    const QStringList before = Rows(t, {"invoicefullname"});
    w->InvDBGridEhSortMarkingChanged(w->InvDBGridEh);
    EXPECT_EQ(Rows(t, {"invoicefullname"}), before);
    // the live result has no check-mark field: that marker is left out, not an error
    Mark(16, smUpEh, 1);
    w->InvDBGridEhSortMarkingChanged(w->InvDBGridEh);
    EXPECT_EQ(Rows(t, {"invoicefullname"}), before);
    Mark(1, smUpEh, 2);
    ASSERT_EQ(w->InvDBGridEh->SortMarkedColumns()->Count(), 2);
    w->InvDBGridEhSortMarkingChanged(w->InvDBGridEh);
    QStringList ascending = before;
    std::reverse(ascending.begin(), ascending.end());
    EXPECT_EQ(Rows(t, {"invoicefullname"}), ascending);
}

TEST_F(ResultViews, ThePopupNeverOpensOverTheLiveResult)
{
    EXPECT_THROW(w->StatePMPopup(w->StatePM), EAbort);
    LoadSaved();
    EXPECT_NO_THROW(w->StatePMPopup(w->StatePM));
}

TEST_F(ResultViews, CheckMarksWhileFilteredAndResortedLandOnTheMarkedRows)
{
    LoadSaved();
    TMemTableEh* t = dm->TmpDararedInvMemTableEh;
    w->ShowNotHideStatePMBtn->Checked = true;
    w->ShowAllStatePMBtn->Checked = false;
    w->FilterBtnClick(w->FilterBtn);
    ASSERT_EQ(t->Filter(), QStringLiteral("hide=0"));
    t->SortByFields(QStringLiteral("invoicefullname DESC"));
    const int total = t->RecordCount();

    // the second and the fourth row are selected; the cursor stays elsewhere
    QStringList marked;
    for (int row : {1, 3}) {
        t->First();
        t->MoveBy(row);
        marked << t->FieldByName("idRecord")->AsString();
        w->InvDBGridEh->SelectedRows()->SetCurrentRowSelected(true);
    }
    t->First();
    ASSERT_EQ(w->InvDBGridEh->SelectedRows()->Count(), 2);
    w->SetHidePMBtnClick(w->SetHidePMBtn);

    marked.sort();
    QStringList inDb = CheckedInDatabase();
    EXPECT_EQ(inDb, marked);
    EXPECT_EQ(t->RecordCount(), total - 2);
    EXPECT_EQ(w->InvDBGridEh->SelectedRows()->Count(), 0);
    EXPECT_FALSE(t->ControlsDisabled());

    // without a selection the current row alone is marked; then one is taken back
    t->First();
    const QString current = t->FieldByName("idRecord")->AsString();
    w->SetHidePMBtnClick(w->SetHidePMBtn);
    EXPECT_EQ(CheckedInDatabase().size(), 3);
    EXPECT_TRUE(CheckedInDatabase().contains(current));
    w->ShowAllStatePMBtn->Checked = true;
    w->ShowNotHideStatePMBtn->Checked = false;
    w->ShowAllStatePMBtnClick(w->ShowAllStatePMBtn);
    ASSERT_TRUE(t->Locate(QStringLiteral("idRecord"), Variant(current.toInt()), {}));
    w->SetNotHidePMBtnClick(w->SetNotHidePMBtn);
    inDb = CheckedInDatabase();
    EXPECT_EQ(inDb, marked);
}

TEST_F(ResultViews, AFailedCheckMarkLeavesTheTableUsable)
{
    LoadSaved();
    TMemTableEh* t = dm->TmpDararedInvMemTableEh;
    dm->SvodMDBConnection->Execute(QStringLiteral("DROP TABLE tmpDararedInv"));
    t->First();
    EXPECT_ANY_THROW(w->SetHidePMBtnClick(w->SetHidePMBtn));
    EXPECT_FALSE(t->ControlsDisabled());
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_FALSE(t->FieldByName("hide")->AsBoolean());
}

TEST_F(ResultViews, OnlyRowsWithCertificateVatOpenTheirLedgerEntries)
{
    TMemTableEh* t = dm->CompareMemTableEh;
    int without = 0, shown = 0;
    for (t->First(); !t->Eof(); t->Next()) {
        bool has = true;
        w->InvDBGridEhCheckRowHaveDetailPanel(w->InvDBGridEh, has);
        EXPECT_EQ(has, !t->FieldByName("ndsspr")->IsNull());
        if (!has) {
            ++without;
            continue;
        }
        bool canShow = true;
        w->InvDBGridEhRowDetailPanelShow(w->InvDBGridEh, canShow);
        EXPECT_TRUE(canShow);
        TADOQuery* q = dm->SelectSprProvQ;
        ASSERT_TRUE(q->Active());
        // the entries of this row's certificate for its e-invoice, and no other
        const QString inv = t->FieldByName("invoicefullname")->AsString();
        for (q->First(); !q->Eof(); q->Next()) {
            EXPECT_EQ(q->FieldByName("NSF")->AsString().mid(2), inv);
            ++shown;
        }
    }
    EXPECT_GT(without, 0);
    EXPECT_GT(shown, 0);
}

}  // namespace
