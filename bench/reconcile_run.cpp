// A whole reconciliation run on generated catalogs, timed per step: the branch
// INSERT..SELECT building "#inv_prov", the copying of the three row sets into the summary
// connection, the final comparison, opening and sorting the result table, the duplicate
// lists with the totals, and saving the reconciliation afterwards. The same steps written by
// hand as plain sqlite3 statements (ReconcileBaseline.h) run on the same data in the same
// process, and the ratios of the whole run, the joins and the copying are printed.
//
//   reconcile_run [--no-save] [--rounds N] [branches e-invoices-per-branch workbook-rows] ...
//   (default: 2 2000 5000; the target size is 5 40000 200000; with N rounds, run and floor
//   alternate and the fastest of each counts)
//
// The workbook rows go straight into "#svexceltmp" through the module's insert (the import
// itself has its own benchmark).
#include "ReconcileBaseline.h"
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

void LoadWorkbook(const std::vector<demo::TDemoWorkbookRow>& book)
{
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

struct TRunFigures {
    TCompareStepTimes Steps;
    int64_t Whole = 0;
    int Rows = -1;
    QString Exc, Spr, Diff;
};

TRunFigures RunJob(const demo::TDemoModel& model)
{
    TRunFigures f;
    TColumnFooterEh exc, spr, diff;
    auto* job = new TCompareData(true, 0, Day(model.FirstDate), Day(model.SecondDate), false, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, &exc, &spr, &diff);
    QElapsedTimer t;
    t.start();
    job->Start();
    job->WaitFor();
    f.Whole = t.nsecsElapsed();
    f.Steps = job->StepTimes();
    delete job;
    f.Rows = CompDM->CompareMemTableEh->Active() ? CompDM->CompareMemTableEh->RecordCount() : -1;
    f.Exc = exc.Value();
    f.Spr = spr.Value();
    f.Diff = diff.Value();
    return f;
}

int64_t Joins(const TCompareStepTimes& s) { return s.BranchInsertSelect + s.Comparison + s.DuplesAndTotals; }
int64_t Joins(const baseline::TTimes& s) { return s.BranchInsertSelect + s.Comparison + s.DuplesAndTotals; }
double Ratio(int64_t a, int64_t b) { return b > 0 ? double(a) / double(b) : 0; }

int RunOne(int branches, int size, int workbookRows, bool withSave, int rounds)
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
    const std::vector<demo::TDemoWorkbookRow> book = baseline::PaddedWorkbook(model, workbookRows);
    const QString floorRoot = dir.filePath(QStringLiteral("floor"));
    baseline::WriteCatalogs(model, floorRoot);
    std::printf("%d branches x %d e-invoices, workbook %d rows: catalogs generated in %.1f s\n", branches, size, int(book.size()),
                Seconds(t.nsecsElapsed()));

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
    LoadWorkbook(book);
    std::printf("  workbook rows inserted       %8.2f s\n", Seconds(t.nsecsElapsed()));

    baseline::Run floor(model, floorRoot, book);
    TRunFigures best;
    baseline::TResult bestFloor;
    for (int r = 0; r < rounds; ++r) {
        const TRunFigures f = RunJob(model);
        if (r == 0 || f.Whole < best.Whole) best = f;
        const baseline::TResult b = floor.Go();
        if (r == 0 || b.Times.Whole < bestFloor.Times.Whole) bestFloor = b;
    }
    const TCompareStepTimes& s = best.Steps;
    const baseline::TTimes& h = bestFloor.Times;
    std::printf("                                   run     floor\n");
    std::printf("  branch INSERT..SELECT        %8.2f s %8.2f s\n", Seconds(s.BranchInsertSelect), Seconds(h.BranchInsertSelect));
    std::printf("  copying (all three sets)     %8.2f s %8.2f s   ledger %.2f / %.2f, duplicates %.2f / %.2f, e-invoices %.2f / %.2f\n",
                Seconds(s.Copying()), Seconds(h.Copying()), Seconds(s.CopyLedger), Seconds(h.CopyLedger), Seconds(s.CopyDuples),
                Seconds(h.CopyDuples), Seconds(s.CopyInvoices), Seconds(h.CopyInvoices));
    std::printf("  comparison query             %8.2f s %8.2f s\n", Seconds(s.Comparison), Seconds(h.Comparison));
    std::printf("  result opened and sorted     %8.2f s %8.2f s   (%d / %lld rows)\n", Seconds(s.OpenAndSort), Seconds(h.OpenAndSort),
                best.Rows, (long long)bestFloor.ComparisonRows);
    std::printf("  duplicate lists and totals   %8.2f s %8.2f s\n", Seconds(s.DuplesAndTotals), Seconds(h.DuplesAndTotals));
    std::printf("  whole run                    %8.2f s %8.2f s   totals %s / %s / %s (floor %.3f / %.3f)\n", Seconds(best.Whole),
                Seconds(h.Whole), qPrintable(best.Exc), qPrintable(best.Spr), qPrintable(best.Diff), double(bestFloor.ExcSum) / 1000,
                double(bestFloor.SprSum) / 1000);
    std::printf("  ratio to the floor: whole run %.2f, joins %.2f, copying %.2f (ledger %.2f, e-invoices %.2f)\n",
                Ratio(best.Whole, h.Whole), Ratio(Joins(s), Joins(h)), Ratio(s.Copying(), h.Copying()), Ratio(s.CopyLedger, h.CopyLedger),
                Ratio(s.CopyInvoices, h.CopyInvoices));

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
    int rounds = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-save") == 0)
            withSave = false;
        else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            a.push_back(std::atoi(argv[i]));
    }
    if (a.empty()) a = {2, 2000, 5000};
    if (a.size() % 3 != 0) {
        std::fprintf(stderr, "usage: reconcile_run [--no-save] [--rounds N] [branches e-invoices-per-branch workbook-rows] ...\n");
        return 2;
    }
    for (size_t i = 0; i < a.size(); i += 3)
        if (int rc = RunOne(a[i], a[i + 1], a[i + 2], withSave, rounds)) return rc;
    return 0;
}
