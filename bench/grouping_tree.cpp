// The group data tree over a table of the reconciliation result's shape, 25,000 and 250,000
// records in random counterparty order, about 50 records per counterparty, grouped by the
// counterparty with one footer of sums under four amount columns shown in the group row:
// building the tree, expanding and collapsing every group, and one record's amount changed
// (the tree hears of it through the table's row event). No step may grow faster than n log n.
#include "components/dbgrid/DBGridEh.h"
#include "components/gridtools/core/DBGridEhGrouping.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"

#include "QtBenchMain.h"
#include "tests/support/GroupTreeFeed.h"

#include <random>

namespace {

using testsupport::TTreeFeedEh;

const char* const kAmounts[] = {"SumNoVat", "Vat", "SumWithVat", "Difference"};

struct GroupedResult {
    TForm* Form;
    TDBGridEh* Grid;
    TMemTableEh* Table;
    TDataSource* Source;
    TTreeFeedEh* Feed;
    TGridDataGroupsEh* Groups;

    explicit GroupedResult(int rows)
    {
        Form = Create<TForm>(nullptr);
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("Partner"), ftString, 120);
        Table->FieldDefs()->Add(QStringLiteral("Inn"), ftString, 12);
        Table->FieldDefs()->Add(QStringLiteral("DocNumber"), ftString, 50);
        Table->FieldDefs()->Add(QStringLiteral("DocDate"), ftDateTime);
        for (const char* a : kAmounts)
            Table->FieldDefs()->Add(QString::fromLatin1(a), ftFloat);
        Table->FieldDefs()->Add(QStringLiteral("Status"), ftInteger);
        Table->CreateDataSet();
        std::mt19937 rnd(20261211);
        const int partners = std::max(1, rows / 50);
        Table->DisableControls();
        for (int i = 0; i < rows; ++i) {
            const int p = int(rnd() % unsigned(partners));
            const double sum = double(rnd() % 1000000) / 100.0;
            Table->AppendRecord({Variant(QStringLiteral("ООО \"Контрагент %1\"").arg(p, 6, 10, QLatin1Char('0'))),
                                 Variant(QStringLiteral("77%1").arg(p, 8, 10, QLatin1Char('0'))),
                                 Variant(QStringLiteral("СФ-%1").arg(i)), Variant::FromDate(46000 + i % 90), Variant(sum),
                                 Variant(sum * 0.2), Variant(sum * 1.2), Variant(0.0), Variant(int(i % 4))});
        }
        Table->EnableControls();
        Table->First();
        Source = Create<TDataSource>(Form);
        Source->SetDataSet(Table);
        Grid = Create<TDBGridEh>(Form);
        Grid->SetParent(Form);
        Grid->SetDataSource(Source);
        Feed = Create<TTreeFeedEh>(Form);
        Table->RegisterEventReceiver(Feed);

        Groups = Create<TGridDataGroupsEh>(Grid);
        Groups->GroupLevels()->Add()->SetColumn(Grid->FindFieldColumn(QStringLiteral("Partner")));
        Groups->GroupRowDefValues()->SetFooterInGroupRow(true);
        TGridDataGroupFooterEh* footer = Groups->Footers()->Add();
        footer->SetVisible(true);
        for (const char* a : kAmounts)
            footer->ColumnItems()->Items(Grid->FindFieldColumn(QString::fromLatin1(a))->Index())->SetValueType(gfvSumEh);
        Groups->SetActive(true);
    }
    ~GroupedResult()
    {
        Feed->Groups = nullptr;
        delete Groups;
        delete Form;
    }
    TGridGroupDataTreeEh* Tree() const { return Groups->GroupDataTree(); }
    void Build() { Tree()->RebuildDataTreeEx(Grid->IntMemTable()); }
};

void BuildTree(benchmark::State& state)
{
    GroupedResult f(int(state.range(0)));
    for (auto _ : state) {
        f.Build();
        benchmark::DoNotOptimize(f.Tree()->FlatVisibleCount());
    }
}
BENCHMARK(BuildTree)->Arg(25000)->Arg(250000)->Iterations(4)->Unit(benchmark::kMillisecond);

void ExpandAll(benchmark::State& state)
{
    GroupedResult f(int(state.range(0)));
    f.Build();
    TGridDataGroupLevelEh* level = f.Groups->GroupLevels()->Items(0);
    for (auto _ : state) {
        state.PauseTiming();
        level->CollapseNodes();
        state.ResumeTiming();
        level->ExpandNodes();
    }
    state.counters["rows"] = f.Tree()->FlatVisibleCount();
}
BENCHMARK(ExpandAll)->Arg(25000)->Arg(250000)->Unit(benchmark::kMillisecond);

void CollapseAll(benchmark::State& state)
{
    GroupedResult f(int(state.range(0)));
    f.Build();
    TGridDataGroupLevelEh* level = f.Groups->GroupLevels()->Items(0);
    for (auto _ : state) {
        state.PauseTiming();
        level->ExpandNodes();
        state.ResumeTiming();
        level->CollapseNodes();
    }
    state.counters["rows"] = f.Tree()->FlatVisibleCount();
}
BENCHMARK(CollapseAll)->Arg(25000)->Arg(250000)->Unit(benchmark::kMillisecond);

// One check mark's worth of change: one record edited and posted; the footers follow.
void OneRowChanged(benchmark::State& state)
{
    GroupedResult f(int(state.range(0)));
    f.Build();
    f.Feed->Groups = f.Groups;
    f.Groups->GroupLevels()->Items(0)->ExpandNodes();
    f.Table->SetRecNo(f.Table->RecordCount() / 2);
    TField* status = f.Table->FieldByName(QStringLiteral("Status"));
    TField* amount = f.Table->FieldByName(QStringLiteral("Difference"));
    int n = 0;
    for (auto _ : state) {
        f.Table->Edit();
        status->SetAsInteger(++n % 4);
        amount->SetAsFloat(n % 7);
        f.Table->Post();
    }
}
BENCHMARK(OneRowChanged)->Arg(25000)->Arg(250000)->Unit(benchmark::kMillisecond);

}  // namespace

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
