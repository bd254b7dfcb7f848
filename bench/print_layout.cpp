// Laying a grouped reconciliation result out for print (groups of about 50 records, a group
// footer of sums, the grid's count and sum totals), at 25,000 and 250,000 records, on a printer
// that records each page and drops it at the next one: pages per second, and only one page's
// picture held at a time.
#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "components/output/PrnDbgeh.h"
#include "components/output/PrntsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Metafiles.h"

#include "QtBenchMain.h"
#include "tests/support/PageDroppingPrinter.h"

#include <QCoreApplication>
#include <memory>

namespace {

struct GroupedGrid {
    TForm* form = nullptr;
    TMemTableEh* table = nullptr;
    TDBGridEh* grid = nullptr;

    explicit GroupedGrid(int Rows)
    {
        form = Create<TForm>(nullptr);
        form->SetBounds(0, 0, 1000, 700);
        table = Create<TMemTableEh>(form);
        table->FieldDefs()->Add(QStringLiteral("Inn"), ftString, 12);
        table->FieldDefs()->Add(QStringLiteral("Number"), ftString, 30);
        table->FieldDefs()->Add(QStringLiteral("Vat"), ftFloat);
        table->FieldDefs()->Add(QStringLiteral("Total"), ftFloat);
        table->CreateDataSet();
        const int partners = std::max(1, Rows / 50);
        table->DisableControls();
        for (int i = 0; i < Rows; ++i)
            table->AppendRecord({Variant(QStringLiteral("77%1").arg((i * 7919) % partners, 8, 10, QLatin1Char('0'))),
                                 Variant(QStringLiteral("СФ-%1").arg(i)), Variant((i % 1000) * 0.25),
                                 Variant((i % 1000) * 1.25)});
        table->EnableControls();
        table->First();
        auto* source = Create<TDataSource>(form);
        grid = Create<TDBGridEh>(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 980, 680);
        form->Show();
        source->SetDataSet(table);
        grid->SetDataSource(source);
        grid->SetFooterRowCount(1);
        grid->Columns()->Items(1)->Footer()->SetValueType(fvtCount);
        for (int i = 2; i < 4; ++i)
            grid->Columns()->Items(i)->Footer()->SetValueType(fvtSum);
        TDBGridEhDataGroupsEh* groups = grid->DataGrouping();
        groups->SetDefaultStateExpanded(true);
        auto* footer = groups->Footers()->Add();
        footer->SetVisible(true);
        auto* level = static_cast<TDBGridEhDataGroupLevelEh*>(groups->GroupLevels()->Add());
        level->SetColumn(grid->Columns()->Items(0));
        for (int i = 2; i < 4; ++i)
            footer->ColumnItems()->Items(i)->SetValueType(gfvSumEh);
        groups->SetActive(true);
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    ~GroupedGrid() { delete form; }
};

void BM_PrintLayoutGrouped(benchmark::State& state)
{
    GroupedGrid g(int(state.range(0)));
    auto prn = CreateUnique<TPrintDBGridEh>(nullptr);
    prn->SetDBGridEh(g.grid);
    prn->SetOptions(TPrintDBGridEhOptions{pghFitGridToPageWidth, pghRowAutoStretch});
    prn->PageHeader()->CenterText()->Add(QStringLiteral("Лист &[Page] из &[Pages]"));
    TPageDroppingPrinter printer;
    int pages = 0;
    for (auto _ : state) {
        prn->PrintTo(&printer);
        pages = printer.Pages;
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] = benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PrintLayoutGrouped)->Arg(25000)->Arg(250000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
