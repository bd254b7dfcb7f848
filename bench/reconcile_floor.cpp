// The floor of a reconciliation run alone: the steps of bench/reconcile_run written by hand as
// plain sqlite3 statements (ReconcileBaseline.h), on the same generated data. reconcile_run
// measures both side by side; this one times the floor without the program's layers.
//
//   reconcile_floor [branches e-invoices-per-branch workbook-rows]   (default: 2 2000 5000)
#include "ReconcileBaseline.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int branches = argc > 3 ? std::atoi(argv[1]) : 2, size = argc > 3 ? std::atoi(argv[2]) : 2000,
              rows = argc > 3 ? std::atoi(argv[3]) : 5000;
    demo::TDemoOptions o;
    o.Branches = branches;
    o.Size = size;
    o.Seed = 11;
    const demo::TDemoModel model = demo::BuildDemoModel(o);
    const std::vector<demo::TDemoWorkbookRow> book = baseline::PaddedWorkbook(model, rows);
    QTemporaryDir dir;
    baseline::WriteCatalogs(model, dir.path());
    baseline::Run run(model, dir.path(), book);
    const baseline::TResult r = run.Go();
    const baseline::TTimes& t = r.Times;
    auto s = [](int64_t ns) { return double(ns) / 1e9; };
    std::printf("%d branches x %d e-invoices, workbook %d rows\n", branches, size, int(book.size()));
    std::printf("  branch INSERT..SELECT        %8.2f s\n", s(t.BranchInsertSelect));
    std::printf("  copying (all three sets)     %8.2f s   ledger %.2f, duplicates %.2f, e-invoices %.2f\n", s(t.Copying()),
                s(t.CopyLedger), s(t.CopyDuples), s(t.CopyInvoices));
    std::printf("  comparison query             %8.2f s   (%lld rows)\n", s(t.Comparison), (long long)r.ComparisonRows);
    std::printf("  result sorted                %8.2f s\n", s(t.OpenAndSort));
    std::printf("  duplicate lists and totals   %8.2f s   totals %.3f / %.3f\n", s(t.DuplesAndTotals), double(r.ExcSum) / 1000,
                double(r.SprSum) / 1000);
    std::printf("  whole run                    %8.2f s\n", s(t.Whole));
    return 0;
}
