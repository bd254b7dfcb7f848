// Scrolling a master of 10,000 records over an in-memory detail of 1,000,000 records (100 per
// master, spread through the store): time per master step, with an index over the detail field
// from IndexDefs and with the table's own index, against the floor of looking the same keys up
// in a std::multimap and collecting the 100 records; a few steps of a full scan for scale.
#include "components/memtable/MemTableEh.h"

#include <chrono>
#include <cstdio>
#include <map>

namespace {

constexpr int kMasters = 10000;
constexpr int kPerMaster = 100;

using Clock = std::chrono::steady_clock;

double UsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

TMemTableEh* MakeMaster(TComponent* owner)
{
    auto* m = Create<TMemTableEh>(owner);
    m->RecordsStore()->DataStruct()->BuildDataFieldForDef("Id", ftInteger, 0, 0);
    TRecordsListEh* list = m->RecordsStore()->RecordsList();
    for (int i = 0; i < kMasters; ++i) {
        TMemoryRecordEh* rec = list->NewRecord();
        rec->Data() = {Variant(i)};
        list->FetchRecord(rec);
    }
    m->Open();
    return m;
}

// Record i belongs to master i % kMasters, so one master's records are far apart.
TMemTableEh* MakeDetail(TComponent* owner, bool indexDefs)
{
    auto* d = Create<TMemTableEh>(owner);
    TMTDataStructEh* ds = d->RecordsStore()->DataStruct();
    ds->BuildDataFieldForDef("Id", ftInteger, 0, 0);
    ds->BuildDataFieldForDef("MasterId", ftInteger, 0, 0);
    ds->BuildDataFieldForDef("Amount", ftCurrency, 0, 0);
    TRecordsListEh* list = d->RecordsStore()->RecordsList();
    for (int i = 0; i < kMasters * kPerMaster; ++i) {
        TMemoryRecordEh* rec = list->NewRecord();
        rec->Data() = {Variant(i), Variant(i % kMasters), Variant(Currency::FromInt(i % 1000))};
        list->FetchRecord(rec);
    }
    if (indexDefs)
        d->IndexDefs()->Add(QStringLiteral("ixMaster"), QStringLiteral("MasterId"), {});
    return d;
}

void Scroll(const char* title, bool indexDefs, int rounds = 3)
{
    auto owner = CreateUnique<TComponent>(nullptr);
    TMemTableEh* m = MakeMaster(owner.get());
    TMemTableEh* d = MakeDetail(owner.get(), indexDefs);
    auto* src = Create<TDataSource>(owner.get());
    src->SetDataSet(m);
    d->Open();
    auto t0 = Clock::now();
    d->SetMasterSource(src);
    d->SetMasterFields(QStringLiteral("Id"));
    d->SetDetailFields(QStringLiteral("MasterId"));
    const double linkUs = UsSince(t0);
    long rows = 0;
    t0 = Clock::now();
    for (int r = 0; r < rounds; ++r)
        for (m->First(); !m->Eof(); m->Next())
            rows += d->RecordCount();
    const double us = UsSince(t0);
    std::printf("%-34s %8.2f us per master step  (link %.0f ms, %ld detail rows seen)\n", title, us / kMasters / rounds,
                linkUs / 1000.0, rows);
}

void Floor()
{
    auto owner = CreateUnique<TComponent>(nullptr);
    TMemTableEh* d = MakeDetail(owner.get(), false);
    std::multimap<int, TMemoryRecordEh*> map;
    for (TMemoryRecordEh* r : d->RecordsStore()->RecordsList()->Records())
        map.emplace(r->ValueRef(1).AsInteger(), r);
    std::vector<TMemoryRecordEh*> view;
    // the lookup alone, then with one read of each found record (they lie far apart in memory)
    for (const bool touch : {false, true}) {
        long rows = 0, sum = 0;
        const auto t0 = Clock::now();
        for (int k = 0; k < kMasters; ++k) {
            view.clear();
            const auto [lo, hi] = map.equal_range(k);
            for (auto it = lo; it != hi; ++it) {
                view.push_back(it->second);
                if (touch)
                    sum += it->second->ValueRef(0).AsInteger();
            }
            rows += long(view.size());
        }
        std::printf("%-34s %8.2f us per master step  (%ld detail rows seen%s)\n",
                    touch ? "floor: multimap, each record read" : "floor: std::multimap lookup", UsSince(t0) / kMasters,
                    rows, sum == 42 ? " " : "");
    }
}

// The detail compared record by record at every step, as without any index.
void FullScan()
{
    auto owner = CreateUnique<TComponent>(nullptr);
    TMemTableEh* d = MakeDetail(owner.get(), false);
    const std::vector<TMemoryRecordEh*>& recs = d->RecordsStore()->RecordsList()->Records();
    constexpr int steps = 50;
    std::vector<TMemoryRecordEh*> view;
    const auto t0 = Clock::now();
    for (int k = 0; k < steps; ++k) {
        view.clear();
        const Variant key(k);
        for (TMemoryRecordEh* r : recs)
            if (VarEqualsEh(r->ValueRef(1), key))
                view.push_back(r);
    }
    std::printf("%-34s %8.2f us per master step  (%d steps)\n", "reference: full scan per step", UsSince(t0) / steps,
                steps);
}

}  // namespace

int main()
{
    std::printf("%d masters x %d details\n", kMasters, kPerMaster);
    Floor();
    Scroll("in memory, index from IndexDefs", true);
    Scroll("in memory, the table's own index", false);
    FullScan();
    return 0;
}
