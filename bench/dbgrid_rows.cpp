// The data grid over an in-memory table of 10,000 and 1,000,000 records on a 1920 x 1080
// client: binding the open table (row count and layout), a relayout, moving the record down
// one at a time with the grid following, page scrolls of the rows with paint, and jumps to
// the last and first record. Times per step must not grow with the row count.
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
    TDataSource* Source;

    explicit GridOverTable(int rows)
    {
        Form = Create<TForm>(nullptr);
        Form->SetBounds(0, 0, 1940, 1120);
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
        Table->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
        Table->CreateDataSet();
        Table->DisableControls();
        for (int i = 0; i < rows; ++i)
            Table->AppendRecord({Variant(i), Variant(QStringLiteral("Строка %1").arg(i)), Variant(i * 1.5)});
        Table->EnableControls();
        Table->First();
        Source = Create<TDataSource>(Form);
        Grid = Create<TDBGridEh>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 1920, 1080);
        Form->Show();
        Pump();
    }
    ~GridOverTable() { delete Form; }
    void Bind()
    {
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
    }
    void Unbind() { Grid->SetDataSource(nullptr); }
    static void Pump()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
};

void BindOpenTable(benchmark::State& state)
{
    GridOverTable f(int(state.range(0)));
    for (auto _ : state) {
        f.Bind();
        benchmark::DoNotOptimize(f.Grid->RowCount());
        state.PauseTiming();
        f.Unbind();
        state.ResumeTiming();
    }
}
BENCHMARK(BindOpenTable)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void Relayout(benchmark::State& state)
{
    GridOverTable f(int(state.range(0)));
    f.Bind();
    for (auto _ : state)
        f.Grid->LayoutChanged();
}
BENCHMARK(Relayout)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void NextRecordWithPaint(benchmark::State& state)
{
    GridOverTable f(int(state.range(0)));
    f.Bind();
    for (auto _ : state) {
        f.Table->First();
        for (int i = 0; i < 200; ++i) {
            f.Table->Next();
            QCoreApplication::processEvents();
        }
    }
    state.counters["per_step"] = benchmark::Counter(double(state.iterations()) * 200,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(NextRecordWithPaint)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void PageScrollsWithPaint(benchmark::State& state)
{
    GridOverTable f(int(state.range(0)));
    f.Bind();
    for (auto _ : state) {
        f.Grid->SetVertScrollPos(0);
        for (int i = 0; i < 200; ++i) {
            f.Grid->ScrollByCode(true, 3, 0, true);
            QCoreApplication::processEvents();
        }
    }
    state.counters["per_page"] = benchmark::Counter(double(state.iterations()) * 200,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(PageScrollsWithPaint)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void LastAndFirst(benchmark::State& state)
{
    GridOverTable f(int(state.range(0)));
    f.Bind();
    for (auto _ : state) {
        f.Table->Last();
        QCoreApplication::processEvents();
        f.Table->First();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(LastAndFirst)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
