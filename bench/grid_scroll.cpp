// The base grid with 10,000 and 1,000,000 rows of 20 columns on a 1920 x 1080 client:
// setting the row count, appending rows with reads in between, the first full paint, line and
// page scrolling with paint, random thumb jumps and Down keys. Times per frame must not grow
// with the row count.
#include "components/foundation/GridsEh.h"
#include "platform/vcl/Forms.h"

#include "QtBenchMain.h"

#include <QCoreApplication>
#include <random>

namespace {
// Counts the cells painted, so a run shows that painting really happened.
class TCountingGrid : public TCustomGridEh {
public:
    using TCustomGridEh::TCustomGridEh;
    int64_t CellsPainted = 0;
    void DrawCell(int c, int r, TGridDrawState s, const TRect& rect) override
    {
        ++CellsPainted;
        TCustomGridEh::DrawCell(c, r, s, rect);
    }
};

struct GridOnForm {
    TForm* Form;
    TCountingGrid* Grid;
    explicit GridOnForm(int rows)
    {
        Form = Create<TForm>(nullptr);
        Form->SetBounds(0, 0, 1940, 1120);
        Grid = Create<TCountingGrid>(Form);
        Grid->SetBorderStyle(bsNone);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 1920, 1080);
        Grid->SetColCount(21);
        Grid->SetRowCount(rows + 1);
        Form->Show();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    ~GridOnForm() { delete Form; }
    void Report(benchmark::State& state, int frames)
    {
        state.counters["cells_per_frame"] = double(Grid->CellsPainted) / std::max<double>(1, double(state.iterations()) * frames);
    }
    // Paints what is invalid now (the strip a scroll uncovered, or everything).
    void Paint() { QCoreApplication::processEvents(); }
};

void SetRowCount(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto* g = Create<TCustomGridEh>(nullptr);
        g->SetColCount(21);
        state.ResumeTiming();
        g->SetRowCount(int(state.range(0)) + 1);
        benchmark::DoNotOptimize(g->VertAxis()->RolLen());
        state.PauseTiming();
        delete g;
        state.ResumeTiming();
    }
}
BENCHMARK(SetRowCount)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Rows appended one at a time with a read of the axis length after each: linear, not quadratic.
void AppendRowsWithReads(benchmark::State& state)
{
    for (auto _ : state) {
        auto gHolder = CreateUnique<TCustomGridEh>(nullptr);
        TCustomGridEh& g = *gHolder;
        for (int i = 0; i < state.range(0); ++i) {
            g.SetRowCount(g.RowCount() + 1);
            benchmark::DoNotOptimize(g.VertAxis()->RolLen());
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(AppendRowsWithReads)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void FirstFullPaint(benchmark::State& state)
{
    GridOnForm f(int(state.range(0)));
    for (auto _ : state) {
        f.Grid->Invalidate();
        f.Paint();
    }
    f.Report(state, 1);
}
BENCHMARK(FirstFullPaint)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void LineDownsWithPaint(benchmark::State& state)
{
    GridOnForm f(int(state.range(0)));
    f.Grid->VertScrollBar()->SetSmoothStep(true);
    for (auto _ : state) {
        f.Grid->SetVertScrollPos(0);
        f.Paint();
        for (int i = 0; i < 1000; ++i) {
            f.Grid->ScrollByCode(true, 1, 0, true);
            f.Paint();
        }
    }
    f.Report(state, 1000);
    state.counters["per_step"] = benchmark::Counter(double(state.iterations()) * 1000,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(LineDownsWithPaint)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void PageDownsWithPaint(benchmark::State& state)
{
    GridOnForm f(int(state.range(0)));
    for (auto _ : state) {
        f.Grid->SetVertScrollPos(0);
        for (int i = 0; i < 1000; ++i) {
            f.Grid->ScrollByCode(true, 3, 0, true);
            f.Paint();
        }
    }
    f.Report(state, 1000);
    state.counters["per_page"] = benchmark::Counter(double(state.iterations()) * 1000,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(PageDownsWithPaint)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void RandomThumbJumps(benchmark::State& state)
{
    GridOnForm f(int(state.range(0)));
    std::mt19937_64 rng(1);
    const int64_t len = f.Grid->VertAxis()->RolLen();
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            f.Grid->ScrollByCode(true, 4, int64_t(rng() % uint64_t(len)), true);
            f.Paint();
        }
    }
    f.Report(state, 100);
    state.counters["per_jump"] = benchmark::Counter(double(state.iterations()) * 100,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(RandomThumbJumps)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void DownKeys(benchmark::State& state)
{
    GridOnForm f(int(state.range(0)));
    for (auto _ : state) {
        f.Grid->SetCurrentCell(1, 1, true, true);
        for (int i = 0; i < 10000; ++i) {
            Word k = VK_DOWN;
            f.Grid->KeyDown(k, TShiftState());
        }
        f.Paint();
    }
    state.counters["per_key"] = benchmark::Counter(double(state.iterations()) * 10000,
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(DownKeys)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
} // namespace

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
