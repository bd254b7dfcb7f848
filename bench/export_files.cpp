// Exporting 65,000 rows x 20 columns: the BIFF worksheet against libxlsxwriter writing the same
// cells to .xlsx, and CSV against the same text written with plain buffered output. The goal is
// that each of ours is not slower than its reference.
#include "QtBenchMain.h"
#include "components/memtable/MemTableEh.h"
#include "components/output/DBGridEhImpExp.h"
#include "platform/vcl/Forms.h"

#include <QTemporaryDir>
#include <cstdio>
#include <xlsxwriter.h>

namespace {

constexpr int kRows = 65000;
constexpr int kCols = 20;

struct GridFixture {
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TDBGridEh* grid = Create<TDBGridEh>(form.get());
    TMemTableEh* table = Create<TMemTableEh>(form.get());
    TDataSource* src = Create<TDataSource>(form.get());
    QTemporaryDir dir;

    GridFixture()
    {
        for (int c = 0; c < kCols; ++c)
            table->FieldDefs()->Add(QStringLiteral("F%1").arg(c), c % 3 == 0 ? ftInteger : c % 3 == 1 ? ftFloat : ftString, c % 3 == 2 ? 20 : 0);
        table->CreateDataSet();
        table->DisableControls();
        for (int r = 0; r < kRows; ++r) {
            table->Append();
            for (int c = 0; c < kCols; ++c) {
                TField* f = table->Fields()->Fields(c);
                if (c % 3 == 0)
                    f->SetAsInteger(r * kCols + c);
                else if (c % 3 == 1)
                    f->SetAsFloat(r * 0.25 + c);
                else
                    f->SetAsString(QStringLiteral("Текст %1").arg(r));
            }
            table->Post();
        }
        table->EnableControls();
        grid->SetParent(form.get());
        src->SetDataSet(table);
        grid->SetDataSource(src);
    }
    // The same cells as the grid shows them.
    QString Text(int c) { return table->Fields()->Fields(c)->DisplayText(); }
};

GridFixture& Fixture()
{
    static GridFixture* f = new GridFixture;
    return *f;
}

void BM_ExportXls(benchmark::State& state)
{
    GridFixture& f = Fixture();
    for (auto _ : state)
        ExportGridToFile(MakeExporter<TDBGridEhExportAsXLS>, f.grid, f.dir.filePath(QStringLiteral("a.xls")), true);
}
BENCHMARK(BM_ExportXls)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_XlsxWriterSameCells(benchmark::State& state)
{
    GridFixture& f = Fixture();
    for (auto _ : state) {
        lxw_workbook* wb = workbook_new(QFile::encodeName(f.dir.filePath(QStringLiteral("a.xlsx"))).constData());
        lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
        for (int c = 0; c < kCols; ++c)
            worksheet_write_string(ws, 0, lxw_col_t(c), f.table->Fields()->Fields(c)->FieldName().toUtf8().constData(), nullptr);
        int r = 1;
        f.table->DisableControls();
        for (f.table->First(); !f.table->Eof(); f.table->Next(), ++r)
            for (int c = 0; c < kCols; ++c) {
                TField* fld = f.table->Fields()->Fields(c);
                if (c % 3 == 2)
                    worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), fld->DisplayText().toUtf8().constData(), nullptr);
                else
                    worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), fld->AsFloat(), nullptr);
            }
        f.table->EnableControls();
        workbook_close(wb);
    }
}
BENCHMARK(BM_XlsxWriterSameCells)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportCsv(benchmark::State& state)
{
    GridFixture& f = Fixture();
    for (auto _ : state)
        ExportGridToFile(MakeExporter<TDBGridEhExportAsCSV>, f.grid, f.dir.filePath(QStringLiteral("a.csv")), true);
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BufferedSameText(benchmark::State& state)
{
    GridFixture& f = Fixture();
    for (auto _ : state) {
        FILE* out = std::fopen(QFile::encodeName(f.dir.filePath(QStringLiteral("b.csv"))).constData(), "wb");
        f.table->DisableControls();
        for (f.table->First(); !f.table->Eof(); f.table->Next()) {
            for (int c = 0; c < kCols; ++c) {
                QString t = f.Text(c);
                t.replace(u'"', QStringLiteral("\"\""));
                const QByteArray b = UnicodeToCP1251(u'"' + t + u'"');
                std::fwrite(b.constData(), 1, size_t(b.size()), out);
                if (c + 1 < kCols)
                    std::fputc(';', out);
            }
            std::fputs("\r\n", out);
        }
        f.table->EnableControls();
        std::fclose(out);
    }
}
BENCHMARK(BM_BufferedSameText)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
