// Optimal column widths of the data grid over an in-memory table of 10,000 and 1,000,000
// records: every record of three columns measured, and the same with a limit of 1,000
// records. The full scan grows with the row count; the limited one must not.
#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"

#include "QtBenchMain.h"

#include <QCoreApplication>

namespace {

struct GridOverTable {
    TForm* Form;
    TDBGridEh* Grid;
    TMemTableEh* Table;

    explicit GridOverTable(int rows)
    {
        Form = Create<TForm>(nullptr);
        Form->SetBounds(0, 0, 1000, 700);
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
        Table->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
        Table->CreateDataSet();
        Table->DisableControls();
        for (int i = 0; i < rows; ++i)
            Table->AppendRecord({Variant(i), Variant(QStringLiteral("Контрагент %1").arg(i % 977)), Variant(i * 1.5)});
        Table->EnableControls();
        Table->First();
        auto* source = Create<TDataSource>(Form);
        source->SetDataSet(Table);
        Grid = Create<TDBGridEh>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 980, 680);
        Grid->SetDataSource(source);
        Grid->Columns()->AddAllColumns(true);
        Form->Show();
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    ~GridOverTable() { delete Form; }
};

void OptimizeAllRows(benchmark::State& state)
{
    GridOverTable f(int(state.range(0)));
    for (auto _ : state)
        f.Grid->OptimizeAllColsWidth(-1, 0);
    state.counters["rows/s"] = benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(OptimizeAllRows)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void OptimizeFirstThousand(benchmark::State& state)
{
    GridOverTable f(int(state.range(0)));
    for (auto _ : state)
        f.Grid->OptimizeAllColsWidth(1000, 0);
}
BENCHMARK(OptimizeFirstThousand)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
