// The data grid grouped by counterparty with a footer in the group row: one full 1920 x 1080
// frame at 25,000 and at 250,000 records (the frame only reads the rows it shows, so both
// must cost the same within noise), and a re-sort of the level as a click on its box does.
#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"

#include "QtBenchMain.h"

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

namespace {

struct GroupedGrid {
    TForm* form = nullptr;
    TMemTableEh* table = nullptr;
    TDBGridEh* grid = nullptr;

    explicit GroupedGrid(int Rows)
    {
        form = Create<TForm>(nullptr);
        form->SetBounds(0, 0, 1940, 1120);
        table = Create<TMemTableEh>(form);
        table->FieldDefs()->Add(QStringLiteral("Inn"), ftString, 12);
        table->FieldDefs()->Add(QStringLiteral("Number"), ftString, 30);
        table->FieldDefs()->Add(QStringLiteral("Vat"), ftFloat);
        table->FieldDefs()->Add(QStringLiteral("Total"), ftFloat);
        table->CreateDataSet();
        table->DisableControls();
        for (int i = 0; i < Rows; ++i)
            table->AppendRecord({Variant(QStringLiteral("77%1").arg((i * 7919) % 2000, 8, 10, QLatin1Char('0'))),
                                 Variant(QStringLiteral("СФ-%1").arg(i)), Variant(i * 0.2), Variant(i * 1.2)});
        table->EnableControls();
        table->First();
        auto* source = Create<TDataSource>(form);
        grid = Create<TDBGridEh>(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 1920, 1080);
        form->Show();
        source->SetDataSet(table);
        grid->SetDataSource(source);
        TDBGridEhDataGroupsEh* groups = grid->DataGrouping();
        groups->SetDefaultStateExpanded(true);
        auto* footer = groups->Footers()->Add();
        footer->SetVisible(true);
        groups->GroupRowDefValues()->SetFooterInGroupRow(true);
        auto* level = static_cast<TDBGridEhDataGroupLevelEh*>(groups->GroupLevels()->Add());
        level->SetColumn(grid->Columns()->Items(0));
        for (int i = 2; i < 4; ++i)
            footer->ColumnItems()->Items(i)->SetValueType(gfvSumEh);
        groups->SetActive(true);
        table->MoveBy(Rows / 2);
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    ~GroupedGrid() { delete form; }
};

void GroupedFrame(benchmark::State& state)
{
    GroupedGrid g(int(state.range(0)));
    QImage frame(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        g.grid->Widget()->render(&frame);
        benchmark::DoNotOptimize(frame.bits());
    }
}
BENCHMARK(GroupedFrame)->Arg(25000)->Arg(250000)->Unit(benchmark::kMillisecond);

void GroupedResort(benchmark::State& state)
{
    GroupedGrid g(int(state.range(0)));
    auto* level = g.grid->DataGrouping()->DBGroupLevel(0);
    for (auto _ : state)
        level->SetSortOrder(level->SortOrder() == soAscEh ? soDescEh : soAscEh);
}
BENCHMARK(GroupedResort)->Arg(25000)->Arg(250000)->Unit(benchmark::kMillisecond);

}  // namespace

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
