// The in-memory record store under a reconciliation result table: 20 fields (texts, dates,
// money, integers). Measures building the store (time and bytes per record), sorting a view by
// two text fields and by a money field against std::stable_sort of the same keys in plain
// vectors, a filter through the evaluator over all records, index lookups, and an insert and a
// change in a sorted view. Run with --benchmark_filter to pick; sizes are 200,000 and 1,000,000.
#include "components/memtable/MemTableDataEh.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <map>
#include <random>

namespace {

const char* const kBranches[] = {"ООО «Северная звезда»", "АО «Ромашка»", "Филиал №3 г. Тюмень",
                                 "Филиал №7 г. Сургут", "ПАО «Нефтегазстрой»", "Обособленное подразделение Уфа",
                                 "Филиал Омск", "Головное отделение", "ООО «Вектор»", "Филиал Пермь"};
const char* const kStatuses[] = {"Совпадает", "Расхождение", "Нет в книге", "Нет в выписке"};

struct Store {
    std::unique_ptr<TMemTableDataEh> data;
    size_t bytes = 0;
};

void BuildStruct(TMTDataStructEh* ds)
{
    auto text = [&](const char* name, int size) {
        auto* f = ds->CreateField<TMTStringDataFieldEh>();
        f->SetFieldName(name);
        f->SetSize(size);
    };
    auto money = [&](const char* name) {
        auto* f = ds->CreateField<TMTNumericDataFieldEh>();
        f->SetNumericDataType(fdtBCDEh);
        f->SetPrecision(18);
        f->SetSize(2);
        f->SetFieldName(name);
    };
    auto integer = [&](const char* name) { ds->CreateField<TMTNumericDataFieldEh>()->SetFieldName(name); };
    auto date = [&](const char* name) {
        auto* f = ds->CreateField<TMTDateTimeDataFieldEh>();
        f->SetDateTimeDataType(fdtDateEh);
        f->SetFieldName(name);
    };
    ds->BeginUpdate();
    text("namepredpr", 150);     // 0
    text("inn", 12);             // 1
    text("kpp", 9);              // 2
    text("invoicenumber", 50);   // 3
    text("invoicefullname", 200);// 4
    text("status", 50);          // 5
    date("invoicedate");         // 6
    date("periodstart");         // 7
    date("periodend");           // 8
    money("ndsexcel");           // 9
    money("ndsspr");             // 10
    money("ndsdiff");            // 11
    money("sumexcel");           // 12
    money("sumspr");             // 13
    money("sumdiff");            // 14
    integer("idpredpr");         // 15
    integer("idfilial");         // 16
    integer("id");               // 17
    integer("kind");             // 18
    integer("checked");          // 19
    ds->EndUpdate(true);
}

// Every text is a fresh string, as a reader of query results hands them over; the store keeps
// repeated texts once.
Variant Fresh(const Variant& v)
{
    const QString s = v.AsString();
    return Variant::FromString(QString(s.constData(), s.size()));
}

void FillRecord(TMemoryRecordEh* r, int i, std::mt19937& rng, const std::vector<Variant>& branches,
                const std::vector<Variant>& statuses, const std::vector<Variant>& inns)
{
    const int b = int(rng() % 10);
    r->SetDataValue(0, dvvValueEh, Fresh(branches[size_t(b)]));
    r->SetDataValue(1, dvvValueEh, Fresh(inns[size_t(b)]));
    r->SetDataValue(2, dvvValueEh, Variant::FromString("720301001"));
    r->SetDataValue(3, dvvValueEh, Variant::FromString(QString::number(100000000 + (i * 7919) % 99999989)));
    r->SetDataValue(4, dvvValueEh,
                    Variant::FromString(QStringLiteral("Счет-фактура № %1 от %2.03.2024").arg(rng() % 50000).arg(1 + i % 28)));
    r->SetDataValue(5, dvvValueEh, Fresh(statuses[rng() % 4]));
    r->SetDataValue(6, dvvValueEh, Variant::FromDate(45292 + int(rng() % 365)));
    r->SetDataValue(7, dvvValueEh, Variant::FromDate(45292));
    r->SetDataValue(8, dvvValueEh, Variant::FromDate(45382));
    for (int m = 9; m <= 14; ++m)
        r->SetDataValue(m, dvvValueEh, Currency::FromRaw(int64_t(rng() % 100000000) - 50000000));
    r->SetDataValue(15, dvvValueEh, 1000 + b);
    r->SetDataValue(16, dvvValueEh, b);
    r->SetDataValue(17, dvvValueEh, i);
    r->SetDataValue(18, dvvValueEh, int(rng() % 3));
    r->SetDataValue(19, dvvValueEh, 0);
}

std::unique_ptr<TMemTableDataEh> BuildStore(int n)
{
    auto data = CreateUnique<TMemTableDataEh>(nullptr);
    BuildStruct(data->DataStruct());
    std::vector<Variant> branches, statuses, inns;
    for (const char* s : kBranches)
        branches.push_back(Variant::FromString(QString::fromUtf8(s)));
    for (const char* s : kStatuses)
        statuses.push_back(Variant::FromString(QString::fromUtf8(s)));
    for (int i = 0; i < 10; ++i)
        inns.push_back(Variant::FromString(QString::number(7203000000LL + i * 1234)));
    std::mt19937 rng(42);
    TRecordsListEh* list = data->RecordsList();
    for (int i = 0; i < n; ++i) {
        TMemoryRecordEh* r = list->NewRecord();
        FillRecord(r, i, rng, branches, statuses, inns);
        list->FetchRecord(r);
    }
    return data;
}

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

Store& Shared(int n)
{
    static std::map<int, Store> stores;
    Store& s = stores[n];
    if (!s.data) {
        const size_t before = HeapInUse();
        s.data = BuildStore(n);
        s.bytes = HeapInUse() - before;
    }
    return s;
}

void BM_BuildStore(benchmark::State& state)
{
    const int n = int(state.range(0));
    size_t bytes = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        auto data = BuildStore(n);
        bytes = HeapInUse() - before;
        benchmark::DoNotOptimize(data.get());
        state.PauseTiming();
        data.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_record"] = double(bytes) / n;
    state.counters["records"] = n;
}

// Sorting a view: the comparison over stored values, stable over a snapshot of the items.
void SortViewBy(benchmark::State& state, const char* order)
{
    Store& s = Shared(int(state.range(0)));
    auto viewHolder = CreateUnique<TRecordsViewEh>(nullptr);
    TRecordsViewEh& view = *viewHolder;
    view.SetMemTableData(s.data.get());
    for (auto _ : state) {
        view.SetSortOrder(order);
        state.PauseTiming();
        view.SetSortOrder("id");   // back to the loaded order for the next round
        state.ResumeTiming();
    }
    state.counters["records"] = double(view.Count());
}

void BM_SortViewByTwoTexts(benchmark::State& state) { SortViewBy(state, "namepredpr, invoicefullname"); }
void BM_SortViewByMoney(benchmark::State& state) { SortViewBy(state, "sumdiff"); }

// The physical floor: std::stable_sort of the same keys held in plain vectors.
void BM_FloorStableSortTwoTexts(benchmark::State& state)
{
    Store& s = Shared(int(state.range(0)));
    struct Key { QString a, b; int i; };
    std::vector<Key> base;
    for (TMemoryRecordEh* r : s.data->RecordsList()->Records())
        base.push_back({r->ValueRef(0).AsString(), r->ValueRef(4).AsString(), r->Index()});
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<Key> keys = base;
        state.ResumeTiming();
        std::stable_sort(keys.begin(), keys.end(), [](const Key& x, const Key& y) {
            int c = AnsiCompareStr(x.a, y.a);
            if (c == 0)
                c = AnsiCompareStr(x.b, y.b);
            return c < 0 || (c == 0 && x.i < y.i);
        });
        benchmark::DoNotOptimize(keys.data());
    }
}

void BM_FloorStableSortMoney(benchmark::State& state)
{
    Store& s = Shared(int(state.range(0)));
    std::vector<std::pair<int64_t, int>> base;
    for (TMemoryRecordEh* r : s.data->RecordsList()->Records())
        base.push_back({r->ValueRef(14).AsCurrency().Value, r->Index()});
    for (auto _ : state) {
        state.PauseTiming();
        auto keys = base;
        state.ResumeTiming();
        std::stable_sort(keys.begin(), keys.end());
        benchmark::DoNotOptimize(keys.data());
    }
}

void BM_FilterThroughEvaluator(benchmark::State& state)
{
    Store& s = Shared(int(state.range(0)));
    TDataSetExprParserEh p(nullptr, dsptFilterEh);
    p.DataStruct = s.data->DataStruct();
    p.ParseExpression("ndsdiff <> 0 AND status = 'Расхождение' AND kind IN (1, 2)");
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (TMemoryRecordEh* r : s.data->RecordsList()->Records())
            hits += p.IsCurRecordInFilter(r) ? 1 : 0;
    }
    state.counters["hits"] = hits;
}

void BM_IndexLookup(benchmark::State& state)
{
    Store& s = Shared(int(state.range(0)));
    std::unique_ptr<TMTIndexEh> idx(TMTIndexEh::CreateApart(s.data->RecordsList()));
    idx->SetFields("invoicenumber");
    std::vector<Variant> keys;
    std::mt19937 rng(5);
    for (int i = 0; i < 1000; ++i)
        keys.push_back(s.data->RecordsList()->GetRec(int(rng() % unsigned(s.data->RecordsList()->Count())))->ValueRef(3));
    for (auto _ : state)
        for (const Variant& k : keys) {
            int at = 0;
            benchmark::DoNotOptimize(idx->FindRecordIndexByKey(k, at));
        }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(keys.size()));
}

void BM_IndexBuild(benchmark::State& state)
{
    Store& s = Shared(int(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<TMTIndexEh> idx(TMTIndexEh::CreateApart(s.data->RecordsList()));
        idx->SetFields("invoicenumber");
        benchmark::DoNotOptimize(idx->Count());
    }
}

struct SortedView {
    std::unique_ptr<TRecordsViewEh> viewHolder = CreateUnique<TRecordsViewEh>(nullptr);
    TRecordsViewEh& view = *viewHolder;
    explicit SortedView(TMemTableDataEh* d)
    {
        view.SetMemTableData(d);
        view.SetSortOrder("namepredpr, invoicefullname");
    }
};

void BM_InsertIntoSortedView(benchmark::State& state)
{
    Store& s = Shared(int(state.range(0)));
    SortedView sv(s.data.get());
    TRecordsListEh* list = s.data->RecordsList();
    std::mt19937 rng(9);
    for (auto _ : state) {
        TMemoryRecordEh* r = list->NewRecord();
        r->SetDataValue(0, dvvValueEh, Variant::FromString(QString::fromUtf8(kBranches[rng() % 10])));
        r->SetDataValue(4, dvvValueEh, Variant::FromString(QStringLiteral("Счет-фактура № %1").arg(rng() % 50000)));
        r->Post();
        state.PauseTiming();
        list->DeleteRecord(r->Index());
        state.ResumeTiming();
    }
}

void BM_ChangeInSortedView(benchmark::State& state)
{
    Store& s = Shared(int(state.range(0)));
    SortedView sv(s.data.get());
    TRecordsListEh* list = s.data->RecordsList();
    std::mt19937 rng(11);
    for (auto _ : state) {
        TMemoryRecordEh* r = list->GetRec(int(rng() % unsigned(list->Count())));
        r->Edit();
        r->SetDataValue(4, dvvValueEh, Variant::FromString(QStringLiteral("Счет-фактура № %1").arg(rng() % 50000)));
        r->Post();
    }
}

} // namespace

BENCHMARK(BM_BuildStore)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SortViewByTwoTexts)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FloorStableSortTwoTexts)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SortViewByMoney)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FloorStableSortMoney)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FilterThroughEvaluator)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_IndexBuild)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_IndexLookup)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertIntoSortedView)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_ChangeInSortedView)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->Iterations(200);

BENCHMARK_MAIN();
