// Paints 2,000 grid cells (single-line text in rectangles with clipping) into an offscreen
// image through the drawing kit and reports the time per cell.
#include "components/foundation/ToolCtrlsEh.h"

#include "QtBenchMain.h"

namespace {
void PaintCells(benchmark::State& state, bool fill)
{
    TBitmap bmp(1600, 1000);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(clWindow);
    c->Font()->SetColor(clWindowText);
    QStringList texts;
    for (int i = 0; i < 2000; ++i)
        texts << QStringLiteral("%1 Счёт-фактура № %2").arg(i).arg(i * 37 % 10007);
    const int cols = 20, cellW = 80, cellH = 18;
    for (auto _ : state) {
        for (int i = 0; i < 2000; ++i) {
            const int col = i % cols, row = i / cols;
            const TRect r = Bounds(col * cellW, row * cellH % 1000, cellW, cellH);
            WriteTextInRect(c, r, fill, 2, 1, texts[i], TAlignment(i % 3), tlCenter, false, false, 0, 0, false, true);
        }
    }
    state.SetItemsProcessed(state.iterations() * 2000);
    state.counters["time_per_cell"] = benchmark::Counter(double(state.iterations()) * 2000,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
}

static void BM_Cells2000_Filled(benchmark::State& state) { PaintCells(state, true); }
static void BM_Cells2000_Transparent(benchmark::State& state) { PaintCells(state, false); }
BENCHMARK(BM_Cells2000_Filled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cells2000_Transparent)->Unit(benchmark::kMillisecond);
DOVRELIN_BENCHMARK_MAIN_WITH_APP()
