// A whole reconciliation run on generated catalogs, timed per step: the branch
// INSERT..SELECT building "#inv_prov", the copying of the three row sets into the summary
// connection, the final comparison, opening and sorting the result table, the duplicate
// lists with the totals, and saving the reconciliation afterwards.
//
//   reconcile_run [--no-save] [branches e-invoices-per-branch workbook-rows] ...
//   (default: 2 2000 5000; the target size is 5 40000 200000)
//
// The workbook rows go straight into "#svexceltmp" through the module's insert (the import
// itself has its own benchmark); rows the branches do not know pad the workbook to size.
#include "app/engine/DemoData.h"
#include "app/engine/uCompDM.h"
#include "app/engine/uCompareDataThread.h"
#include "app/engine/uSaveDararedState.h"
#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

namespace {

double Seconds(int64_t ns) { return double(ns) / 1e9; }
TDateTime Day(const QDate& d) { return double(QDate(1899, 12, 30).daysTo(d)); }
Currency Money(int64_t thousandths) { return Currency::FromRaw(thousandths * 10); }

void LoadWorkbook(const demo::TDemoModel& m, int rows)
{
    std::vector<demo::TDemoWorkbookRow> book = m.Workbook;
    for (int i = 0; int(book.size()) < rows; ++i) {
        demo::TDemoWorkbookRow w;
        w.Invoice = QStringLiteral("299999999-2024-%1").arg(i + 1, 10, 10, QLatin1Char('0'));
        w.SupplierUnn = QStringLiteral("299999999");
        w.SupplierName = QStringLiteral("ООО \"Неизвестный поставщик\"");
        w.DopUnn = m.Branches[size_t(i) % m.Branches.size()].Number;
        w.Recipient = m.Branches[size_t(i) % m.Branches.size()].Name;
        w.DateTransaction = m.FirstDate.addDays(i % 28);
        w.DocNumber = QString::number(i + 1);
        w.DocDate = w.DateTransaction;
        w.Cost = 1000000 + (i % 997) * 1000;
        w.Vat = w.Cost / 5;
        w.CostVat = w.Cost + w.Vat;
        book.push_back(w);
    }
    CompDM->CrExcelTemp->ExecSQL();
    TADOConnection* c = CompDM->SvodMDBConnection;
    c->BeginTrans();
    for (const auto& w : book) {
        const QString branch = w.SupplierBranch ? QStringLiteral("%1").arg(w.SupplierBranch, 4, 10, QLatin1Char('0')) : QString();
        const int64_t id = (w.SupplierUnn + (branch.isEmpty() ? QStringLiteral("0000") : branch)).toLongLong();
        const QString name = w.SupplierUnn + (branch.isEmpty() ? QString() : u' ' + branch) + QStringLiteral(" - ") + w.SupplierName;
        CompDM->InsertExcelTemp(id, name, w.Invoice, w.DocNumber, QStringLiteral("П"), w.Recipient, w.Signer, Day(w.DateTransaction), 5,
                                Money(w.Vat), Money(w.Cost), Money(w.CostVat),
                                w.DocDate.isValid() ? Variant::FromDate(Day(w.DocDate)) : Variant::Null(),
                                w.DopUnn ? Variant(QString::number(w.DopUnn)) : Variant::Null());
    }
    c->CommitTrans();
}

int RunOne(int branches, int size, int workbookRows, bool withSave)
{
    QTemporaryDir dir;
    QElapsedTimer t;
    t.start();
    demo::TDemoOptions o;
    o.Branches = branches;
    o.Size = size;
    o.Seed = 11;
    const demo::TDemoModel model = demo::BuildDemoModel(o);
    demo::WriteDemoDatabases(model, dir.path());
    std::printf("%d branches x %d e-invoices, workbook %d rows: catalogs generated in %.1f s\n", branches, size,
                std::max(workbookRows, int(model.Workbook.size())), Seconds(t.nsecsElapsed()));

    TCompDM::ConfigPath = dir.filePath(QStringLiteral("Config.ini"));
    auto dmHolder = CreateUnique<TCompDM>(nullptr);
    TCompDM& dm = *dmHolder;
    if (!dm.CreateError.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(dm.CreateError));
        return 1;
    }
    CompDM = &dm;
    TBaseCompThread::MessageBoxRoutine = [](const QString& text, const QString&, UINT) {
        std::printf("  box: %s\n", qPrintable(text));
        return IDOK;
    };
    t.restart();
    LoadWorkbook(model, workbookRows);
    std::printf("  workbook rows inserted       %8.2f s\n", Seconds(t.nsecsElapsed()));

    TColumnFooterEh exc, spr, diff;
    auto* job = new TCompareData(true, 0, Day(model.FirstDate), Day(model.SecondDate), false, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, &exc, &spr, &diff);
    t.restart();
    job->Start();
    job->WaitFor();
    const int64_t total = t.nsecsElapsed();
    const TCompareStepTimes s = job->StepTimes();
    delete job;
    std::printf("  branch INSERT..SELECT        %8.2f s\n", Seconds(s.BranchInsertSelect));
    std::printf("  copying (all three sets)     %8.2f s   ledger %.2f, duplicates %.2f, e-invoices %.2f\n",
                Seconds(s.Copying()), Seconds(s.CopyLedger), Seconds(s.CopyDuples), Seconds(s.CopyInvoices));
    std::printf("  comparison query             %8.2f s\n", Seconds(s.Comparison));
    std::printf("  result opened and sorted     %8.2f s   (%d rows)\n", Seconds(s.OpenAndSort),
                dm.CompareMemTableEh->Active() ? dm.CompareMemTableEh->RecordCount() : -1);
    std::printf("  duplicate lists and totals   %8.2f s\n", Seconds(s.DuplesAndTotals));
    std::printf("  whole run                    %8.2f s   totals %s / %s / %s\n", Seconds(total), qPrintable(exc.Value()),
                qPrintable(spr.Value()), qPrintable(diff.Value()));

    if (!withSave) {
        TBaseCompThread::MessageBoxRoutine = nullptr;
        CompDM = nullptr;
        return 0;
    }
    auto* save = new TSaveDararedState(true, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    t.restart();
    save->Start();
    save->WaitFor();
    delete save;
    std::printf("  saving the reconciliation    %8.2f s\n", Seconds(t.nsecsElapsed()));
    TBaseCompThread::MessageBoxRoutine = nullptr;
    CompDM = nullptr;
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> a;
    bool withSave = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-save") == 0)
            withSave = false;
        else
            a.push_back(std::atoi(argv[i]));
    }
    if (a.empty()) a = {2, 2000, 5000};
    if (a.size() % 3 != 0) {
        std::fprintf(stderr, "usage: reconcile_run [--no-save] [branches e-invoices-per-branch workbook-rows] ...\n");
        return 2;
    }
    for (size_t i = 0; i < a.size(); i += 3)
        if (int rc = RunOne(a[i], a[i + 1], a[i + 2], withSave)) return rc;
    return 0;
}
