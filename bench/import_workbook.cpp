// The workbook import of a 100,000-row desk-audit workbook on the embedded engine, measured
// in parts: reading (open, used range, and the per-row cell conversions the import makes),
// inserting (the single-row inserts into "#svexceltmp" of values ready to go), and the whole
// job. Reading should stay well under inserting.
#include "app/engine/DemoData.h"
#include "app/engine/uCompDM.h"
#include "app/engine/uLoadExcelThread.h"
#include "platform/sheets/Workbook.h"
#include "platform/sheets/XlsxWriter.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

namespace {

constexpr int kRows = 100000;

QTemporaryDir& Dir()
{
    static QTemporaryDir dir;
    return dir;
}

QString Workbook()
{
    static const QString path = [] {
        const QString p = Dir().filePath(QStringLiteral("kk.xlsx"));
        TXlsxWriter w(p);
        const int dateStyle = w.DateStyle();
        w.BeginSheet(QStringLiteral("Лист1"));
        std::vector<TXlsxCell> cells;
        cells.push_back(TXlsxCell::MakeText(1, QStringLiteral("Код страны поставщика")));
        cells.push_back(TXlsxCell::MakeText(15, QStringLiteral("Номер ЭСЧФ")));
        w.WriteRow(1, cells);
        std::mt19937 rnd(7);
        for (int r = 0; r < kRows; ++r) {
            cells.clear();
            const qint64 unn = 100000000 + qint64(rnd() % 800000000);
            const int branch = int(rnd() % 5);
            const double cost = double(rnd() % 10000000) / 100.0;
            for (int c = 1; c <= 44; ++c) {
                switch (c) {
                case 1: cells.push_back(TXlsxCell::MakeText(c, QStringLiteral("112"))); break;
                case 2: cells.push_back(TXlsxCell::MakeText(c, QString::number(unn))); break;
                case 3:
                    if (branch)
                        cells.push_back(TXlsxCell::MakeText(c, QStringLiteral("%1").arg(branch, 4, 10, QLatin1Char('0'))));
                    break;
                case 4: cells.push_back(TXlsxCell::MakeText(c, QStringLiteral("ООО \"Поставщик %1\"").arg(unn % 1000))); break;
                case 10:
                    if (branch)
                        cells.push_back(TXlsxCell::MakeText(c, QString::number(branch + 1)));
                    break;
                case 14: cells.push_back(TXlsxCell::MakeText(c, QStringLiteral("Иванов И.И. %1").arg(rnd() % 50))); break;
                case 15:
                    cells.push_back(TXlsxCell::MakeText(c, QStringLiteral("%1-2024-%2").arg(unn).arg(r + 1, 10, 10, QLatin1Char('0'))));
                    break;
                case 20: case 39: cells.push_back(TXlsxCell::MakeNumber(c, 45292 + r % 365, dateStyle)); break;
                case 41: cells.push_back(TXlsxCell::MakeNumber(c, cost)); break;
                case 43: cells.push_back(TXlsxCell::MakeNumber(c, cost / 5)); break;
                case 44: cells.push_back(TXlsxCell::MakeNumber(c, cost * 1.2)); break;
                default: cells.push_back(TXlsxCell::MakeText(c, QStringLiteral("знач %1").arg(c))); break;
                }
            }
            w.WriteRow(r + 2, cells);
        }
        w.EndSheet();
        w.Close();
        return p;
    }();
    return path;
}

TCompDM* DataModule()
{
    static TCompDM* dm = [] {
        demo::TDemoOptions o;
        o.Size = 1;
        demo::WriteDemoDatabases(demo::BuildDemoModel(o), Dir().path());
        TCompDM::ConfigPath = Dir().filePath(QStringLiteral("Config.ini"));
        auto* m = Create<TCompDM>(nullptr);
        CompDM = m;
        return m;
    }();
    return dm;
}

struct TRowValues {
    int64_t IdPredpr;
    QString Name, Invoice, DocNumber, Recipient, Signer;
    TDateTime DateTrans;
    Currency Vat, Cost, CostVat;
    Variant DocDate, DopUnn;
};

// What the import takes from one row, converted as it converts it.
TRowValues Convert(const TVariantMatrix& v, int row)
{
    TRowValues r;
    const QString unn = VarToStr(v(row, 2)).trimmed(), branch = VarToStr(v(row, 3)).trimmed();
    r.IdPredpr = StrToInt64(unn + (branch.isEmpty() ? QStringLiteral("0000") : branch));
    r.Name = unn + u' ' + branch + QStringLiteral(" - ") + VarToStr(v(row, 4)).trimmed();
    r.Invoice = VarToStr(v(row, 15));
    r.DocNumber = VarToStr(v(row, 38));
    r.Recipient = VarToStr(v(row, 11));
    r.Signer = VarToStr(v(row, 14));
    const QString dop = VarToStr(v(row, 10)).trimmed();
    r.DopUnn = dop.isEmpty() ? Variant::Null() : Variant(dop);
    r.DocDate = VarToStr(v(row, 39)).trimmed().isEmpty() ? Variant::Null() : Variant::FromDate(VarToDateTime(v(row, 39)));
    r.DateTrans = VarToDateTime(v(row, 20));
    r.Vat = TLoadExcelProcess::CellToCurrency(v(row, 43));
    r.Cost = TLoadExcelProcess::CellToCurrency(v(row, 41));
    r.CostVat = TLoadExcelProcess::CellToCurrency(v(row, 44));
    return r;
}

std::vector<TRowValues> ReadAll()
{
    TExcelApplication excel;
    excel.SetDisplayAlerts(false);
    excel.Workbooks().Open(Workbook(), true);
    TExcelWorksheet& sheet = excel.Workbooks(1).Worksheets(1);
    const int rows = sheet.UsedRange().Rows().Count();
    const TVariantMatrix values = sheet.UsedRange().Value();
    std::vector<TRowValues> out;
    out.reserve(size_t(rows));
    for (int row = 2; row <= rows; ++row)
        out.push_back(Convert(values, row));
    excel.Workbooks().Close();
    excel.Quit();
    return out;
}

void BM_ImportRead(benchmark::State& state)
{
    Workbook();
    for (auto _ : state) {
        std::vector<TRowValues> rows = ReadAll();
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ImportRead)->Unit(benchmark::kMillisecond)->Iterations(3);

// Only the spreadsheet side: open and take the used range's values.
void BM_WorkbookOpen(benchmark::State& state)
{
    Workbook();
    for (auto _ : state) {
        TExcelApplication excel;
        excel.Workbooks().Open(Workbook(), true);
        const TVariantMatrix values = excel.Workbooks(1).Worksheets(1).UsedRange().Value();
        benchmark::DoNotOptimize(values.RowCount());
        excel.Quit();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_WorkbookOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportInsert(benchmark::State& state)
{
    TCompDM* dm = DataModule();
    const std::vector<TRowValues> rows = ReadAll();
    for (auto _ : state) {
        dm->CrExcelTemp->ExecSQL();
        for (const TRowValues& r : rows)
            dm->InsertExcelTemp(r.IdPredpr, r.Name, r.Invoice, r.DocNumber, QStringLiteral("П"), r.Recipient, r.Signer,
                                r.DateTrans, 5, r.Vat, r.Cost, r.CostVat, r.DocDate, r.DopUnn);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ImportInsert)->Unit(benchmark::kMillisecond)->Iterations(1);

// The job itself, without a window: its controls are absent and boxes answered at once.
void BM_ImportJob(benchmark::State& state)
{
    DataModule();
    Workbook();
    int boxes = 0;
    TBaseCompThread::MessageBoxRoutine = [&](const QString&, const QString&, UINT) {
        ++boxes;
        return IDOK;
    };
    for (auto _ : state) {
        TStringList files;
        files.Add(Workbook());
        auto* job = new TLoadExcelProcess(true, &files, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        job->Start();
        job->WaitFor();
        delete job;
    }
    TBaseCompThread::MessageBoxRoutine = nullptr;
    state.counters["boxes"] = boxes;
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ImportJob)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
