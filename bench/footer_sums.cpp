// Footer totals over an in-memory table of 25,000 and 250,000 rows, side by side: a full
// recalculation (the table's own range aggregates, the cursor left alone), and a check mark
// (Edit, change, Post of one row) with a sum, an average and two counts kept. A check mark
// must not walk the table: its ratio stays near 1, where a walk would give 10.
#include "components/gridtools/core/DBSumLst.h"
#include "components/memtable/MemTableEh.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>

namespace {

struct Table {
    TComponent owner{nullptr};
    TMemTableEh* t = Create<TMemTableEh>(&owner);
    std::unique_ptr<TDBSumListProducer> sums = CreateUnique<TDBSumListProducer>(static_cast<TComponent*>(nullptr));
    std::mt19937 rng{42};

    explicit Table(int rows)
    {
        TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
        ds->BuildDataFieldForDef("id", ftInteger, 0, 0);
        ds->BuildDataFieldForDef("amount", ftCurrency, 0, 0);
        ds->BuildDataFieldForDef("vat", ftFloat, 0, 0);
        ds->BuildDataFieldForDef("hide", ftBoolean, 0, 0);
        TRecordsListEh* list = t->RecordsStore()->RecordsList();
        for (int i = 0; i < rows; ++i) {
            TMemoryRecordEh* r = list->NewRecord();
            r->SetDataValue(0, dvvValueEh, i);
            r->SetDataValue(1, dvvValueEh, Currency::FromRaw(int64_t(rng() % 10000000)));
            if (i % 7)
                r->SetDataValue(2, dvvValueEh, double(rng() % 100000) / 100);
            r->SetDataValue(3, dvvValueEh, false);
            list->FetchRecord(r);
        }
        t->Open();
        Add(goSum, "amount");
        Add(goAvg, "vat");
        Add(goCount, "");
        Add(goCount, "vat");
    }
    ~Table() { sums.reset(); }
    void Add(TGroupOperation Op, const char* Field)
    {
        TDBSum* s = sums->SumCollection()->Add();
        s->SetGroupOperation(Op);
        s->SetFieldName(QString::fromLatin1(Field));
    }
    void Start() { sums->SetDataSet(t); }
    void ToRandomRow() { t->SetRecNo(1 + int(rng() % unsigned(t->RecordCount()))); }
};

double Microseconds(const std::function<void()>& Op)
{
    const auto a = std::chrono::steady_clock::now();
    Op();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - a).count();
}

struct Figures {
    double recalc, mark;
};

Figures Measure(int rows)
{
    Figures f{};
    Table tb(rows);
    tb.Start();
    constexpr int recalcs = 20;
    for (int i = 0; i < recalcs; ++i)
        f.recalc += Microseconds([&] { tb.sums->RecalcAll(); }) / recalcs;
    TField* hide = tb.t->FieldByName("hide");
    TField* vat = tb.t->FieldByName("vat");
    constexpr int marks = 2000;
    for (int i = 0; i < marks; ++i) {
        tb.ToRandomRow();
        f.mark += Microseconds([&] {
                      tb.t->Edit();
                      hide->SetAsBoolean(!hide->AsBoolean());
                      vat->SetAsFloat(vat->AsFloat() + 0.01);
                      tb.t->Post();
                  }) /
                  marks;
    }
    return f;
}

}  // namespace

int main()
{
    const int small = 25000, large = 250000;
    const Figures a = Measure(small), b = Measure(large);
    std::printf("%-44s %12s %12s %8s\n", "microseconds", "25,000 rows", "250,000 rows", "ratio");
    auto line = [](const char* what, double x, double y) { std::printf("%-44s %12.1f %12.1f %8.2f\n", what, x, y, y / x); };
    line("full recalculation (4 totals)", a.recalc, b.recalc);
    line("check mark: Edit, change, Post, 4 totals kept", a.mark, b.mark);
    std::printf("linear growth = %.1f\n", double(large) / small);
    return 0;
}
