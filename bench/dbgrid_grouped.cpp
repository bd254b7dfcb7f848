// A reconciliation result shown in the data grid grouped by counterparty (about 50 records per
// counterparty), with a group footer of sums in the group row and the grid's three totals
// (two sums and a record count) kept by its sum list, at 25,000 and 250,000 records:
// - one full 1920 x 1080 frame (it reads only the rows it shows: both sizes cost the same);
// - grouping switched on, every group expanded, every group collapsed;
// - reversing the level's order (a click on its box) and re-sorting by a title click;
// - one check mark (edit and post of one record): the group footers and the totals follow the
//   record without reading the others;
// - one record inserted and deleted again.
// No step may grow faster than n log n.
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
    TDBGridEhDataGroupsEh* groups = nullptr;

    explicit GroupedGrid(int Rows, bool Expanded = true)
    {
        form = Create<TForm>(nullptr);
        form->SetBounds(0, 0, 1940, 1120);
        table = Create<TMemTableEh>(form);
        table->FieldDefs()->Add(QStringLiteral("Inn"), ftString, 12);
        table->FieldDefs()->Add(QStringLiteral("Number"), ftString, 30);
        table->FieldDefs()->Add(QStringLiteral("Vat"), ftFloat);
        table->FieldDefs()->Add(QStringLiteral("Total"), ftFloat);
        table->FieldDefs()->Add(QStringLiteral("Checked"), ftBoolean);
        table->CreateDataSet();
        const int partners = std::max(1, Rows / 50);
        table->DisableControls();
        for (int i = 0; i < Rows; ++i)
            table->AppendRecord({Variant(QStringLiteral("77%1").arg((i * 7919) % partners, 8, 10, QLatin1Char('0'))),
                                 Variant(QStringLiteral("СФ-%1").arg(i)), Variant((i % 1000) * 0.25),
                                 Variant((i % 1000) * 1.25), Variant(false)});
        table->EnableControls();
        table->First();
        auto* source = Create<TDataSource>(form);
        grid = Create<TDBGridEh>(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 1920, 1080);
        form->Show();
        source->SetDataSet(table);
        grid->SetDataSource(source);
        grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghAutoSortMarking});
        grid->OnSortMarkingChanged = [this](TObject*) { SortByMarkers(); };
        grid->SetFooterRowCount(1);
        grid->SumList()->SetActive(true);
        grid->Columns()->Items(1)->Footer()->SetValueType(fvtCount);
        for (int i = 2; i < 4; ++i)
            grid->Columns()->Items(i)->Footer()->SetValueType(fvtSum);

        groups = grid->DataGrouping();
        groups->SetDefaultStateExpanded(Expanded);
        auto* footer = groups->Footers()->Add();
        footer->SetVisible(true);
        groups->GroupRowDefValues()->SetFooterInGroupRow(true);
        auto* level = static_cast<TDBGridEhDataGroupLevelEh*>(groups->GroupLevels()->Add());
        level->SetColumn(grid->Columns()->Items(0));
        for (int i = 2; i < 4; ++i)
            footer->ColumnItems()->Items(i)->SetValueType(gfvSumEh);
        groups->SetActive(true);
        table->MoveBy(Rows / 2);
        Settle();
    }
    ~GroupedGrid() { delete form; }

    static void Settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // What the main window does when the sort markers change.
    void SortByMarkers()
    {
        QStringList parts;
        TColumnsEhList* marked = grid->SortMarkedColumns();
        for (int i = 0; marked && i < marked->Count(); ++i)
            parts << marked->Items(i)->FieldName() +
                         (marked->Items(i)->Title()->SortMarker() == smUpEh ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
        if (!parts.isEmpty())
            table->SortByFields(parts.join(QStringLiteral(", ")));
    }
    TGridDataGroupLevelEh* Level() const { return groups->GroupLevels()->Items(0); }
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

void GroupingOn(benchmark::State& state)
{
    GroupedGrid g(int(state.range(0)), false);
    for (auto _ : state) {
        state.PauseTiming();
        g.groups->SetActive(false);
        state.ResumeTiming();
        g.groups->SetActive(true);
    }
    state.counters["rows"] = g.groups->GroupDataTree()->FlatVisibleCount();
}
BENCHMARK(GroupingOn)->Arg(25000)->Arg(250000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Every group expanded (Expand) or collapsed, from the opposite state.
void ExpandOrCollapseAll(benchmark::State& state, bool Expand)
{
    GroupedGrid g(int(state.range(0)), false);
    for (auto _ : state) {
        state.PauseTiming();
        Expand ? g.Level()->CollapseNodes() : g.Level()->ExpandNodes();
        state.ResumeTiming();
        Expand ? g.Level()->ExpandNodes() : g.Level()->CollapseNodes();
    }
    state.counters["rows"] = g.groups->GroupDataTree()->FlatVisibleCount();
}
BENCHMARK_CAPTURE(ExpandOrCollapseAll, ExpandAll, true)->Arg(25000)->Arg(250000)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ExpandOrCollapseAll, CollapseAll, false)->Arg(25000)->Arg(250000)->Iterations(5)->Unit(benchmark::kMillisecond);

void GroupedResort(benchmark::State& state)
{
    GroupedGrid g(int(state.range(0)));
    auto* level = g.groups->DBGroupLevel(0);
    for (auto _ : state)
        level->SetSortOrder(level->SortOrder() == soAscEh ? soDescEh : soAscEh);
}
BENCHMARK(GroupedResort)->Arg(25000)->Arg(250000)->Unit(benchmark::kMillisecond);

// A click on the Total title: the marker turns and the table is sorted by it.
void TitleClickSort(benchmark::State& state)
{
    GroupedGrid g(int(state.range(0)));
    const int col = g.grid->DataToRawColumn(3);
    for (auto _ : state)
        g.grid->TitleButtonClicked(col, TShiftState());
}
BENCHMARK(TitleClickSort)->Arg(25000)->Arg(250000)->Iterations(4)->Unit(benchmark::kMillisecond);

// One check mark in the middle of the expanded result, with its amount changed too.
void CheckMark(benchmark::State& state)
{
    GroupedGrid g(int(state.range(0)));
    TField* checked = g.table->FieldByName(QStringLiteral("Checked"));
    TField* vat = g.table->FieldByName(QStringLiteral("Vat"));
    int n = 0;
    for (auto _ : state) {
        g.table->Edit();
        checked->SetAsBoolean(!checked->AsBoolean());
        vat->SetAsFloat(++n % 7);
        g.table->Post();
    }
}
BENCHMARK(CheckMark)->Arg(25000)->Arg(250000)->Unit(benchmark::kMillisecond);

// One record inserted in the middle of the expanded result and deleted again.
void InsertAndDeleteRow(benchmark::State& state)
{
    GroupedGrid g(int(state.range(0)));
    int n = 0;
    for (auto _ : state) {
        g.table->Insert();
        g.table->FieldByName(QStringLiteral("Inn"))->SetAsString(QStringLiteral("7700000001"));
        g.table->FieldByName(QStringLiteral("Number"))->SetAsString(QStringLiteral("СФ-новая-%1").arg(++n));
        g.table->FieldByName(QStringLiteral("Vat"))->SetAsFloat(n % 7);
        g.table->Post();
        g.table->Delete();
    }
}
BENCHMARK(InsertAndDeleteRow)->Arg(25000)->Arg(250000)->Unit(benchmark::kMillisecond);

}  // namespace

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
