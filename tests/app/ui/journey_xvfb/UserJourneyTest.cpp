// A user's whole job on the real X server: the program started on generated catalogs, the
// desk-audit workbook loaded, the period reconciled and the result held against a reckoning
// made from the generated facts alone; then filtering, sorting, groups and the row detail,
// and a reconciliation saved, loaded and checked off row by row.
#include "support/ProgramOnXServer.h"

#include "app/engine/run/Reference.h"
#include "platform/rtl/VarOrder.h"
#include "platform/vcl/Menus.h"
#include "support/MenuWaiting.h"

#include <QMenu>
#include <algorithm>
#include <map>

using namespace journey;

namespace {

QString MoneyText(const runref::Money& m) { return m ? QString::number(*m) : QStringLiteral("-"); }
QString MoneyText(TField* f) { return f->IsNull() ? QStringLiteral("-") : QString::number(f->AsCurrency().Value / 10); }

QStringList Sorted(QStringList l)
{
    l.sort();
    return l;
}

// The rows a dataset lets through its filter, as the result rows of the reckoning are written.
QStringList ResultRows(TDataSet* t)
{
    QStringList rows;
    for (t->First(); !t->Eof(); t->Next()) {
        TField* filial = t->FieldByName(QStringLiteral("filial"));
        TField* id = t->FieldByName(QStringLiteral("idPredpr"));
        rows << QStringList{t->FieldByName(QStringLiteral("invoicefullname"))->AsString(),
                            MoneyText(t->FieldByName(QStringLiteral("ndsexcel"))),
                            MoneyText(t->FieldByName(QStringLiteral("ndsspr"))),
                            MoneyText(t->FieldByName(QStringLiteral("ndsinvoice"))),
                            filial->IsNull() ? QStringLiteral("-") : filial->AsString(),
                            id->IsNull() ? QStringLiteral("-") : id->AsString()}
                    .join(u'|');
    }
    t->First();
    return Sorted(rows);
}

QString RowText(const runref::TResultRow& r)
{
    return QStringList{r.Invoice, MoneyText(r.NdsExcel), MoneyText(r.NdsSpr), MoneyText(r.NdsInvoice),
                       r.Filial ? QString::number(*r.Filial) : QStringLiteral("-"),
                       r.IdPredpr ? QString::number(*r.IdPredpr) : QStringLiteral("-")}
        .join(u'|');
}

QStringList Expected(const std::vector<runref::TResultRow>& rows, const std::function<bool(const runref::TResultRow&)>& keep)
{
    QStringList out;
    for (const auto& r : rows)
        if (keep(r))
            out << RowText(r);
    return Sorted(out);
}

QStringList Column(TDataSet* q, const char* a, const char* b = nullptr)
{
    QStringList out;
    for (q->First(); !q->Eof(); q->Next())
        out << q->FieldByName(QString::fromLatin1(a))->AsString() +
                   (b ? u'|' + q->FieldByName(QString::fromLatin1(b))->AsString() : QString());
    q->First();
    return Sorted(out);
}

bool Mismatch(const runref::TResultRow& r) { return !r.NdsExcel || !r.NdsSpr || *r.NdsExcel != *r.NdsSpr; }

class UserJourney : public ProgramOnXServer {
protected:
    runref::TReference ref;

    // The generated period typed into the two date pickers.
    void SetPeriod()
    {
        TypeDate(w->FirstDTP, model.FirstDate);
        TypeDate(w->SecondDTP, model.SecondDate);
        ASSERT_EQ(w->FirstDTP->Date(), EncodeDate(model.FirstDate.year(), model.FirstDate.month(), model.FirstDate.day()));
        ASSERT_EQ(w->SecondDTP->Date(), EncodeDate(model.SecondDate.year(), model.SecondDate.month(), model.SecondDate.day()));
    }

    // "Загрузить файлы КК", the generated workbook chosen in the file dialog.
    void LoadWorkbook()
    {
        user.ThenFiles({dir.filePath(QStringLiteral("desk_audit.xlsx"))});
        Click(w->LoadExcelFileBtn);
        ASSERT_TRUE(WaitForJob());
        EXPECT_EQ(w->XLSOpenDialog->FileName(), dir.filePath(QStringLiteral("desk_audit.xlsx")));
        EXPECT_EQ(w->MainStatusBar->SimpleText(), QStringLiteral("Обработка завершена"));
        EXPECT_TRUE(w->UpdateBtn->Enabled());
    }

    // "Обновить" over the generated period; the reckoning of the same period beside it.
    void Reconcile()
    {
        ASSERT_FALSE(w->SelfProvCB->Checked());
        ASSERT_NO_FATAL_FAILURE(SetPeriod());
        Click(w->UpdateBtn);
        ASSERT_TRUE(WaitForJob());
        ref = runref::Compute(model, {});
        ASSERT_FALSE(ref.Result.empty());
    }

    // What the result tab and the three footer totals show, and the duplicate lists.
    void ExpectResultAgreesWithTheReckoning()
    {
        ASSERT_EQ(Grid()->DataSource(), dm->CompareMemTableEhDS);
        EXPECT_EQ(ResultRows(GridData(Grid())), Expected(ref.Result, [](const auto&) { return true; }));
        EXPECT_EQ(w->MainStatusBar->SimpleText(),
                  QStringLiteral("Формирование завершено. Количество записей: %1. Количество дубликатов: %2.")
                      .arg(qulonglong(ref.Result.size()))
                      .arg(qulonglong(ref.Duples.size())));

        // the group rows hold every row of the result once
        ASSERT_TRUE(Grid()->GroupingRowsShown());
        std::map<QString, int> perGroup;
        for (TDataSet* t = GridData(Grid()); !t->Eof(); t->Next())
            ++perGroup[t->FieldByName(QStringLiteral("namepredpr"))->AsString()];
        GridData(Grid())->First();
        int groups = 0, records = 0;
        for (TGroupDataTreeNodeEh* n = Tree()->GetFirst(); n; n = Tree()->GetNext(n)) {
            if (n->NodeType() == dntDataGroupEh) {
                ++groups;
                EXPECT_EQ(n->Count(), perGroup[n->DisplayValue()]) << n->DisplayValue().toStdString();
            } else if (n->NodeType() == dntDataSetRecordEh) {
                ++records;
            }
        }
        EXPECT_EQ(groups, int(perGroup.size()));
        EXPECT_EQ(records, int(ref.Result.size()));

        // the totals of the period in the footers of "НДС|КК - Excel", "НДС|Справка", "НДС|Разница"
        TDBGridColumnsEh* cols = Grid()->Columns();
        const Currency exc = Currency::FromRaw(ref.ExcSum * 10), spr = Currency::FromRaw(ref.SprSum * 10);
        ASSERT_TRUE(ref.HasExcSum && ref.HasSprSum);
        EXPECT_EQ(StrToCurr(cols->Items(8)->Footer()->Value()), exc) << cols->Items(8)->Footer()->Value().toStdString();
        EXPECT_EQ(StrToCurr(cols->Items(9)->Footer()->Value()), spr) << cols->Items(9)->Footer()->Value().toStdString();
        EXPECT_EQ(cols->Items(11)->Footer()->Value(), CurrToStr(exc - spr));

        // the duplicate tabs
        QStringList duples, oblpo, numbers;
        for (const auto& d : ref.Duples)
            duples << d.InvFullName + u'|' + QString::number(d.Filial);
        for (const auto& n : ref.OblpoInvoices)
            oblpo << n;
        for (const auto& [n, f] : ref.InvoiceNumberDuples)
            numbers << n + u'|' + QString::number(f);
        ASSERT_FALSE(duples.isEmpty());
        EXPECT_EQ(Column(GridData(w->DuplicatesFilialDBGridEh), "invfullname", "dopUNN"), Sorted(duples));
        EXPECT_EQ(Column(GridData(w->DuplicatesOblpoDBGridEh), "invoicefullname"), Sorted(oblpo));
        EXPECT_EQ(Column(GridData(w->InvoicesDuplDBGridEh), "invoicefullname", "filial"), Sorted(numbers));
    }

    // The filter panel: mismatches only, then one branch, then "Сброс".
    void Filter()
    {
        TDataSet* t = GridData(Grid());
        Click(w->ShowFiltersBtn);
        ASSERT_TRUE(w->FiltersPanel->Visible());
        EXPECT_EQ(w->ShowFiltersBtn->Caption(), QStringLiteral("Скрыть фильтры"));

        Click(w->ShowMatchesCB);
        ASSERT_FALSE(w->ShowMatchesCB->Checked());
        Click(w->FilterBtn);
        const QStringList mismatches = Expected(ref.Result, Mismatch);
        ASSERT_LT(mismatches.size(), qsizetype(ref.Result.size()));
        EXPECT_EQ(ResultRows(t), mismatches);

        // the second branch: its rows and the rows without a branch, mismatching ones only
        const int branch = model.Branches.at(1).Number;
        const int index = w->FilialRG->Items()->IndexOf(QString::number(branch));
        ASSERT_GE(index, 0);
        const TRect box = w->FilialRG->ButtonRect(index);
        Click(w->FilialRG, TPoint(box.Left + 6, (box.Top + box.Bottom) / 2));
        ASSERT_EQ(w->FilialRG->ItemIndex(), index);
        Click(w->FilterBtn);
        const QStringList shown = ResultRows(t);
        const QStringList ofBranch = Expected(ref.Result, [&](const auto& r) { return Mismatch(r) && r.Filial == branch; });
        ASSERT_FALSE(ofBranch.isEmpty());
        for (const QString& row : ofBranch)
            EXPECT_TRUE(shown.contains(row)) << row.toStdString();
        for (const QString& row : shown) {
            EXPECT_TRUE(mismatches.contains(row)) << row.toStdString();
            const QString filial = row.section(u'|', 4, 4);
            EXPECT_TRUE(filial == QString::number(branch) || filial == QStringLiteral("-")) << row.toStdString();
        }
        for (const QString& d : Column(GridData(w->DuplicatesFilialDBGridEh), "dopUNN"))
            EXPECT_EQ(d, QString::number(branch));

        Click(w->ClearFilterBtn);
        EXPECT_EQ(w->FilialRG->ItemIndex(), -1);
        EXPECT_EQ(ResultRows(t).size(), qsizetype(ref.Result.size()));
        Click(w->ShowMatchesCB);
        Click(w->ShowFiltersBtn);
        EXPECT_FALSE(w->FiltersPanel->Visible());
    }

    // "ЭСЧФ|Дата соверш." clicked, then "ЭСЧФ|Номер" with Ctrl: the table follows both markers.
    void SortByTwoTitles()
    {
        Grid()->SetFocus();
        testsupport::WaitEvents(50);
        Click(Grid(), TitlePoint(3));
        Click(Grid(), TitlePoint(1), Qt::LeftButton, Qt::ControlModifier);
        ReleaseCtrl();
        TColumnsEhList* marked = Grid()->SortMarkedColumns();
        ASSERT_EQ(marked->Count(), 2);
        EXPECT_EQ(marked->Items(0), Grid()->Columns()->Items(3));
        EXPECT_EQ(marked->Items(1), Grid()->Columns()->Items(1));

        TMemTableEh* t = dm->CompareMemTableEh;
        std::vector<std::pair<Variant, Variant>> order;
        for (t->First(); !t->Eof(); t->Next())
            order.emplace_back(t->FieldByName(QStringLiteral("datetrans"))->Value(),
                               t->FieldByName(QStringLiteral("invoicefullname"))->Value());
        t->First();
        // a date title starts descending, a text title ascending
        EXPECT_EQ(Grid()->Columns()->Items(3)->Title()->SortMarker(), smDownEh);
        EXPECT_EQ(Grid()->Columns()->Items(1)->Title()->SortMarker(), smUpEh);
        auto sorted = order;
        std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
            const int c = VarOrder(a.first, b.first);
            return c != 0 ? c > 0 : VarOrder(a.second, b.second) < 0;
        });
        auto text = [](const std::vector<std::pair<Variant, Variant>>& rows) {
            QStringList l;
            for (const auto& [date, invoice] : rows)
                l << VarToStr(date) + u'|' + VarToStr(invoice);
            return l;
        };
        EXPECT_EQ(text(order), text(sorted));
    }

    // The group of the first counterparty with a certificate row: expanded by its box and
    // collapsed again.
    QString GroupWithEntries()
    {
        TDataSet* d = GridData(Grid());
        d->First();
        for (TDataSet* t = d; !t->Eof(); t->Next())
            if (!t->FieldByName(QStringLiteral("ndsspr"))->IsNull() &&
                !t->FieldByName(QStringLiteral("namepredpr"))->AsString().isEmpty()) {
                const QString name = t->FieldByName(QStringLiteral("namepredpr"))->AsString();
                t->First();
                return name;
            }
        d->First();
        return QString();
    }
    void ToggleGroup(const QString& Name)
    {
        const int at = FlatIndexOfGroup(Name);
        ASSERT_GE(at, 0) << Name.toStdString();
        const TPoint box = FindInRow(RowOfFlatIndex(at), [&](int X, int Y) {
            bool onBox = false;
            return Grid()->GroupRowAt(X, Y, onBox) && onBox;
        });
        ASSERT_GE(box.X, 0) << "no expand box in the group row";
        Click(Grid(), box);
    }
    void ExpandAndCollapseAGroup(const QString& Name)
    {
        const int at = FlatIndexOfGroup(Name);
        ASSERT_GE(at, 0);
        TGroupDataTreeNodeEh* node = Tree()->GetFlatVisibleItem(at);
        const bool wasExpanded = node->Expanded();
        const int rowsBefore = Tree()->FlatVisibleCount();
        ToggleGroup(Name);
        EXPECT_NE(node->Expanded(), wasExpanded);
        EXPECT_NE(Tree()->FlatVisibleCount(), rowsBefore);
        ToggleGroup(Name);
        EXPECT_EQ(node->Expanded(), wasExpanded);
        EXPECT_EQ(Tree()->FlatVisibleCount(), rowsBefore);
        if (!node->Expanded())
            ToggleGroup(Name);
        ASSERT_TRUE(node->Expanded());
    }

    // A row with certificate VAT clicked, then its row-detail glyph: the ledger entries of
    // the row, whose amounts make up its certificate VAT.
    void OpenRowDetail(const QString& Group)
    {
        const int at = FlatIndexOfGroup(Group);
        ASSERT_GE(at, 0);
        TDataSet* t = GridData(Grid());
        int row = -1;
        for (int i = at + 1; i < Tree()->FlatVisibleCount() && Tree()->GetFlatVisibleItem(i)->NodeType() == dntDataSetRecordEh; ++i) {
            ClickRow(i, 1);
            if (!t->FieldByName(QStringLiteral("ndsspr"))->IsNull()) {
                row = i;
                break;
            }
        }
        ASSERT_GE(row, 0) << "no row with certificate VAT in " << Group.toStdString();
        const QString invoice = t->FieldByName(QStringLiteral("invoicefullname"))->AsString();
        const Currency spr = t->FieldByName(QStringLiteral("ndsspr"))->AsCurrency();
        const TPoint glyph = FindInRow(RowOfFlatIndex(row), [&](int X, int Y) { return Grid()->IsPointInRowDetailGlyph(X, Y); });
        ASSERT_GE(glyph.X, 0) << "no row-detail glyph";
        Click(Grid(), glyph);
        ASSERT_TRUE(Grid()->RowDetailPanel()->Visible());
        EXPECT_EQ(t->FieldByName(QStringLiteral("invoicefullname"))->AsString(), invoice);

        TDataSet* entries = GridData(w->SubInvDBGridEh);
        ASSERT_TRUE(entries && entries->Active());
        ASSERT_GT(entries->RecordCount(), 0);
        Currency sum;
        for (entries->First(); !entries->Eof(); entries->Next()) {
            EXPECT_EQ(entries->FieldByName(QStringLiteral("NSF"))->AsString().mid(2), invoice);
            sum = sum + entries->FieldByName(QStringLiteral("summ"))->AsCurrency();
        }
        EXPECT_EQ(sum, spr) << invoice.toStdString();
        EXPECT_TRUE(w->SubInvDBGridEh->Widget()->isVisible());
    }

    // Another tab and back, by clicks on the tab strip: the open row detail closes.
    void ClickTab(TTabSheet* Sheet)
    {
        const TRect r = w->MainPageControl->TabRect(Sheet->PageIndex());
        ASSERT_FALSE(IsRectEmpty(r));
        Click(w->MainPageControl, TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        testsupport::WaitEvents(50);
        ASSERT_EQ(w->MainPageControl->ActivePage(), Sheet);
    }
    void SwitchTabs()
    {
        ASSERT_TRUE(Grid()->RowDetailPanel()->Visible());
        ASSERT_NO_FATAL_FAILURE(ClickTab(w->DuplicatesFilialTabSheet));
        EXPECT_FALSE(Grid()->RowDetailPanel()->Visible());
        EXPECT_TRUE(w->DuplicatesFilialDBGridEh->Widget()->isVisible());
        EXPECT_FALSE(Grid()->Widget()->isVisible());
        ASSERT_NO_FATAL_FAILURE(ClickTab(w->InvTabSheet));
        EXPECT_TRUE(Grid()->Widget()->isVisible());
        EXPECT_FALSE(Grid()->RowDetailPanel()->Visible());
    }
};

TEST_F(UserJourney, ReconcilesThePeriodAndLooksIntoTheResult)
{
    StartProgram();
    ASSERT_TRUE(w->Widget()->isVisible());
    EXPECT_FALSE(w->UpdateBtn->Enabled());
    ASSERT_NO_FATAL_FAILURE(LoadWorkbook());
    ASSERT_NO_FATAL_FAILURE(Reconcile());
    ASSERT_NO_FATAL_FAILURE(ExpectResultAgreesWithTheReckoning());
    ASSERT_NO_FATAL_FAILURE(Filter());
    ASSERT_NO_FATAL_FAILURE(SortByTwoTitles());
    const QString group = GroupWithEntries();
    ASSERT_FALSE(group.isEmpty());
    ASSERT_NO_FATAL_FAILURE(ExpandAndCollapseAGroup(group));
    ASSERT_NO_FATAL_FAILURE(OpenRowDetail(group));
    ASSERT_NO_FATAL_FAILURE(SwitchTabs());
    EXPECT_TRUE(user.Calls.size() == 1u);
}

// F5 saves the reconciliation, F6 loads it again; check marks set and cleared through the
// grid's popup menu reach the saved rows at once.
TEST_F(UserJourney, SavesLoadsAndChecksOffRows)
{
    StartProgram();
    ASSERT_NO_FATAL_FAILURE(LoadWorkbook());
    ASSERT_NO_FATAL_FAILURE(Reconcile());
    const QStringList all = Expected(ref.Result, [](const auto&) { return true; });

    user.Then(IDOK);
    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitForJob());
    ASSERT_EQ(user.Calls.size(), 2u);
    EXPECT_EQ(user.Calls.back().Text, QStringLiteral("Сохранение завершено"));
    EXPECT_EQ(SqlColumn(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv")).at(0).AsInt64(), int64_t(ref.Result.size()));

    Key(Qt::Key_F6);
    ASSERT_TRUE(WaitForJob());
    ASSERT_EQ(Grid()->DataSource(), dm->TmpDararedInvMemTableEhDS);
    EXPECT_TRUE(Grid()->Columns()->Items(16)->Visible());
    EXPECT_EQ(ResultRows(GridData(Grid())), all);
    EXPECT_EQ(user.Calls.size(), 2u);

    // one row: clicked, then "Отметить проверенным" from the popup menu
    const QString group = GroupWithEntries();
    ASSERT_FALSE(group.isEmpty());
    const int at = FlatIndexOfGroup(group);
    ASSERT_GE(at, 0);
    if (!Tree()->GetFlatVisibleItem(at)->Expanded()) {
        ASSERT_NO_FATAL_FAILURE(ToggleGroup(group));
    }
    ASSERT_TRUE(Tree()->GetFlatVisibleItem(at)->Expanded());
    ASSERT_EQ(Tree()->GetFlatVisibleItem(at + 1)->NodeType(), dntDataSetRecordEh);
    TDataSet* t = GridData(Grid());
    auto chooseFromPopup = [&](int FlatIndex, const QString& Caption) {
        const TRect r = Grid()->CellRect(Grid()->DataToRawColumn(1), RowOfFlatIndex(FlatIndex));
        bool shown = false;
        testsupport::WhenMenuShows([&](QMenu* m) {
            shown = true;
            for (QAction* a : m->actions())
                if (a->text().remove(u'&') == Caption) {
                    testsupport::ClickMenuAction(m, a);
                    return;
                }
            m->close();
        });
        Click(Grid(), TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2), Qt::RightButton);
        testsupport::WaitEvents(100);
        return shown;
    };
    auto savedHide = [&](const Variant& key) {
        return SqlColumn(QStringLiteral("SELECT hide FROM tmpDararedInv WHERE idRecord = ") + VarToStr(key)).at(0).AsBoolean();
    };
    ClickRow(at + 1, 1);
    const Variant first = t->FieldByName(QStringLiteral("idRecord"))->Value();
    ASSERT_FALSE(savedHide(first));
    ASSERT_TRUE(chooseFromPopup(at + 1, QStringLiteral("Отметить проверенным")));
    EXPECT_TRUE(savedHide(first));
    EXPECT_TRUE(t->FieldByName(QStringLiteral("hide"))->AsBoolean());

    // and cleared again
    ASSERT_TRUE(chooseFromPopup(at + 1, QStringLiteral("Отметить непроверенным")));
    EXPECT_FALSE(savedHide(first));
    EXPECT_EQ(SqlColumn(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv WHERE hide <> 0")).at(0).AsInt64(), 0);
}

}  // namespace
