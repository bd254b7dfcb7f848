// Row-at-a-time changes of an in-memory table at 50,000 and 800,000 rows, side by side: a check
// mark posted (Edit, change, Post) on a table shown sorted by name, a post that moves the row
// (its name changes), an append and an insert at the current row, and a delete of the current
// row. Each line gives microseconds per row at both sizes and their ratio; a cost that grows no
// faster than log n keeps the ratio near log(800,000) / log(50,000) = 1.26, a linear one near 16.
#include "components/memtable/MemTableEh.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>

namespace {

struct Table {
    TComponent owner{nullptr};
    TMemTableEh* t = Create<TMemTableEh>(&owner);
    std::mt19937 rng{42};

    explicit Table(int rows)
    {
        TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
        ds->BuildDataFieldForDef("id", ftInteger, 0, 0);
        ds->BuildDataFieldForDef("name", ftString, 100, 0);
        ds->BuildDataFieldForDef("amount", ftCurrency, 0, 0);
        ds->BuildDataFieldForDef("hide", ftBoolean, 0, 0);
        TRecordsListEh* list = t->RecordsStore()->RecordsList();
        for (int i = 0; i < rows; ++i) {
            TMemoryRecordEh* r = list->NewRecord();
            r->SetDataValue(0, dvvValueEh, i);
            r->SetDataValue(1, dvvValueEh, Name());
            r->SetDataValue(2, dvvValueEh, Currency::FromRaw(int64_t(rng() % 10000000)));
            r->SetDataValue(3, dvvValueEh, false);
            list->FetchRecord(r);
        }
        t->Open();
        t->SetSortOrder("name");
    }

    QString Name() { return QStringLiteral("Предприятие %1").arg(rng() % 100000, 6, 10, QLatin1Char('0')); }
    void ToRandomRow() { t->SetRecNo(1 + int(rng() % unsigned(t->RecordCount()))); }
};

// Microseconds per operation over Count operations (the cursor is placed outside the timing).
double PerOp(Table& tb, int Count, const std::function<void()>& Place, const std::function<void()>& Op)
{
    double total = 0;
    for (int i = 0; i < Count; ++i) {
        Place();
        const auto a = std::chrono::steady_clock::now();
        Op();
        total += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - a).count();
    }
    (void)tb;
    return total / Count;
}

struct Figures {
    double mark, move, append, insert, del;
};

Figures Measure(int rows)
{
    constexpr int ops = 2000;
    Figures f{};
    {
        Table tb(rows);
        TField* hide = tb.t->FieldByName("hide");
        TField* name = tb.t->FieldByName("name");
        f.mark = PerOp(tb, ops, [&] { tb.ToRandomRow(); }, [&] {
            tb.t->Edit();
            hide->SetAsBoolean(!hide->AsBoolean());
            tb.t->Post();
        });
        f.move = PerOp(tb, ops, [&] { tb.ToRandomRow(); }, [&] {
            const QString n = tb.Name();
            tb.t->Edit();
            name->SetAsString(n);
            tb.t->Post();
        });
        f.append = PerOp(tb, ops, [] {}, [&] {
            tb.t->AppendRecord({Variant(-1), Variant(tb.Name()), Variant(Currency::FromInt(1)), Variant(false)});
        });
        f.insert = PerOp(tb, ops, [&] { tb.ToRandomRow(); }, [&] {
            tb.t->InsertRecord({Variant(-2), Variant(tb.Name()), Variant(Currency::FromInt(2)), Variant(false)});
        });
        f.del = PerOp(tb, ops, [&] { tb.ToRandomRow(); }, [&] { tb.t->Delete(); });
    }
    return f;
}

}  // namespace

int main()
{
    const int small = 50000, large = 800000;
    const Figures a = Measure(small), b = Measure(large);
    std::printf("%-34s %12s %12s %8s\n", "per row (microseconds)", "50,000 rows", "800,000 rows", "ratio");
    auto line = [](const char* what, double x, double y) { std::printf("%-34s %12.2f %12.2f %8.2f\n", what, x, y, y / x); };
    line("check mark: Edit, change, Post", a.mark, b.mark);
    line("Post moving the row (new name)", a.move, b.move);
    line("Append", a.append, b.append);
    line("Insert at the current row", a.insert, b.insert);
    line("Delete the current row", a.del, b.del);
    std::printf("log(800,000) / log(50,000) = %.2f; linear growth = %.1f\n", std::log(double(large)) / std::log(double(small)),
                double(large) / small);
    return 0;
}
