// Painting one full 1920 x 1080 frame of the data grid over an in-memory table of 10,000 and
// of 1,000,000 records, in the middle of the table: the rows are read without moving the
// cursor, so the time per frame must not grow with the number of records.
#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"

#include "QtBenchMain.h"

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

namespace {

void PaintFrame(benchmark::State& state)
{
    const int rows = int(state.range(0));
    TForm* form = Create<TForm>(nullptr);
    form->SetBounds(0, 0, 1940, 1120);
    auto* table = Create<TMemTableEh>(form);
    table->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
    table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
    table->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
    table->CreateDataSet();
    table->DisableControls();
    for (int i = 0; i < rows; ++i)
        table->AppendRecord({Variant(i), Variant(QStringLiteral("Строка %1").arg(i)), Variant(i * 1.5)});
    table->EnableControls();
    table->First();
    table->MoveBy(rows / 2);
    auto* source = Create<TDataSource>(form);
    auto* grid = Create<TDBGridEh>(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 1920, 1080);
    form->Show();
    source->SetDataSet(table);
    grid->SetDataSource(source);
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QImage frame(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        grid->Widget()->render(&frame);
        benchmark::DoNotOptimize(frame.bits());
    }
    delete form;
}
BENCHMARK(PaintFrame)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
