// The data grid at the keyboard over an in-memory table of 10,000 and 1,000,000 records:
// Down, Page Down and Tab across 20 columns per key, and one keystroke of the incremental
// search that finds a record near the end or finds nothing (the whole table read). Per-key
// costs must not grow with the row count; a keystroke of the search stays under 100 ms.
#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/Messages.h"

#include "QtBenchMain.h"

#include <QCoreApplication>

namespace {

struct KeysGrid {
    TForm* Form;
    TDBGridEh* Grid;
    TMemTableEh* Table;

    explicit KeysGrid(int rows, int extraColumns = 0)
    {
        Form = Create<TForm>(nullptr);
        Form->SetBounds(0, 0, 1940, 1120);
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
        for (int c = 0; c < extraColumns; ++c)
            Table->FieldDefs()->Add(QStringLiteral("C%1").arg(c), ftInteger);
        Table->CreateDataSet();
        Table->DisableControls();
        for (int i = 0; i < rows; ++i) {
            Table->Append();
            Table->Fields()->Fields(0)->SetAsString(QStringLiteral("Строка %1").arg(i, 7, 10, QChar('0')));
            Table->Post();
        }
        Table->EnableControls();
        Table->First();
        auto* src = Create<TDataSource>(Form);
        src->SetDataSet(Table);
        Grid = Create<TDBGridEh>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 1920, 1080);
        Grid->SetDataSource(src);
        Form->Show();
        Pump();
    }
    ~KeysGrid() { delete Form; }
    void Key(Word K)
    {
        Grid->Perform(WM_KEYDOWN, K, 0);
        Grid->Perform(WM_KEYUP, K, 0);
        QCoreApplication::processEvents();
    }
    static void Pump()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
};

void PerKey(benchmark::State& state, Word K, int Columns)
{
    KeysGrid f(int(state.range(0)), Columns);
    if (K == VK_TAB)
        f.Grid->SetOptions(f.Grid->Options() | TDBGridOptions{dgTabs});
    for (auto _ : state) {
        f.Table->First();
        for (int i = 0; i < 100; ++i)
            f.Key(K);
    }
    state.counters["per_key"] = benchmark::Counter(double(state.iterations()) * 100,
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void DownKey(benchmark::State& state) { PerKey(state, VK_DOWN, 0); }
void PageDownKey(benchmark::State& state) { PerKey(state, VK_NEXT, 0); }
void TabAcross20Columns(benchmark::State& state) { PerKey(state, VK_TAB, 19); }
BENCHMARK(DownKey)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(PageDownKey)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(TabAcross20Columns)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One keystroke from the first record: Text near the end, or one that matches nothing.
void SearchKeystroke(benchmark::State& state, bool Found)
{
    const int rows = int(state.range(0));
    KeysGrid f(rows);
    const QString text = Found ? QStringLiteral("Строка %1").arg(rows - 10, 7, 10, QChar('0')) : QStringLiteral("Ж");
    for (auto _ : state) {
        state.PauseTiming();
        f.Grid->StopInplaceSearch();
        f.Table->First();
        state.ResumeTiming();
        f.Grid->StartInplaceSearch(text, -1, ltdAllEh);
    }
}
void SearchFindsNearTheEnd(benchmark::State& state) { SearchKeystroke(state, true); }
void SearchFindsNothing(benchmark::State& state) { SearchKeystroke(state, false); }
BENCHMARK(SearchFindsNearTheEnd)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchFindsNothing)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
DOVRELIN_BENCHMARK_MAIN_WITH_APP()
