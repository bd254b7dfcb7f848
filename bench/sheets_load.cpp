// Loading a large desk-audit workbook: 200,000 rows of 44 columns, as xlsx and as csv.
// Reports the time per load and the process's peak resident memory afterwards.
#include "platform/sheets/Workbook.h"
#include "platform/sheets/XlsxWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kRows = 200000;
constexpr int kCols = 44;

QTemporaryDir& Dir()
{
    static QTemporaryDir dir;
    return dir;
}

QString Xlsx()
{
    static const QString path = [] {
        const QString p = Dir().filePath("big.xlsx");
        TXlsxWriter w(p);
        const int dateStyle = w.DateStyle();
        std::vector<TXlsxCell> cells;
        for (int r = 1; r <= kRows; ++r) {
            cells.clear();
            for (int c = 1; c <= kCols; ++c) {
                if (c == 20 || c == 39)
                    cells.push_back(TXlsxCell::MakeNumber(c, 45292 + r % 365, dateStyle));
                else if (c >= 40)
                    cells.push_back(TXlsxCell::MakeNumber(c, r * 1.25 + c));
                else if (c == 15)
                    cells.push_back(TXlsxCell::MakeText(c, QStringLiteral("190000001-2024-%1").arg(r, 10, 10, QLatin1Char('0'))));
                else
                    cells.push_back(TXlsxCell::MakeText(c, QStringLiteral("значение %1").arg(c * 7 + r % 13)));
            }
            w.WriteRow(r, cells);
        }
        w.Close();
        return p;
    }();
    return path;
}

QString Csv()
{
    static const QString path = [] {
        const QString p = Dir().filePath("big.csv");
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            return p;
        QByteArray line;
        for (int r = 1; r <= kRows; ++r) {
            line.clear();
            for (int c = 1; c <= kCols; ++c) {
                if (c > 1)
                    line += ';';
                if (c == 20 || c == 39)
                    line += "15.03.2024";
                else if (c >= 40)
                    line += QByteArray::number(r * 1.25 + c, 'f', 2).replace('.', ',');
                else if (c == 15)
                    line += "190000001-2024-" + QByteArray::number(r).rightJustified(10, '0');
                else
                    line += "значение " + QByteArray::number(c * 7 + r % 13);
            }
            line += "\r\n";
            f.write(line);
        }
        return p;
    }();
    return path;
}

void Report(benchmark::State& state, const TSheetCells& cells)
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["rows"] = cells.RowCount();
    state.counters["peak_rss_MiB"] = double(ru.ru_maxrss) / 1024.0;
}

void BM_LoadXlsx(benchmark::State& state)
{
    const QString path = Xlsx();
    for (auto _ : state) {
        TSheetCells cells = ReadFirstWorksheet(path);
        benchmark::DoNotOptimize(cells.CellCount());
        state.PauseTiming();
        Report(state, cells);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadXlsx)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_LoadCsv(benchmark::State& state)
{
    const QString path = Csv();
    for (auto _ : state) {
        TSheetCells cells = ReadFirstWorksheet(path);
        benchmark::DoNotOptimize(cells.CellCount());
        state.PauseTiming();
        Report(state, cells);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadCsv)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
