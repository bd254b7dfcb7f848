// A user's whole job on the real X server: the program started on generated catalogs, the
// desk-audit workbook loaded, the period reconciled and the result held against a reckoning
// made from the generated facts alone; then filtering, sorting, groups and the row detail,
// and a reconciliation saved, loaded and checked off row by row.
#include "JourneyFixture.h"

#include "app/engine/run/Reference.h"
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
};

TEST_F(UserJourney, ReconcilesThePeriodAndLooksIntoTheResult)
{
    StartProgram();
    ASSERT_TRUE(w->Widget()->isVisible());
    EXPECT_FALSE(w->UpdateBtn->Enabled());
    ASSERT_NO_FATAL_FAILURE(LoadWorkbook());
    ASSERT_NO_FATAL_FAILURE(Reconcile());
    ASSERT_NO_FATAL_FAILURE(ExpectResultAgreesWithTheReckoning());
    EXPECT_TRUE(user.Calls.size() == 1u);
}

}  // namespace
