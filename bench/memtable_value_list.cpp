// The in-memory table's value list of one field: 1,000,000 rows holding 10,000 distinct values,
// for a text field and an integer field. Prints the build time of the list against a floor
// (the same values put in a std::set, and sorted once with duplicates dropped, under the
// same ordering), then the cost of keeping the list up after single edits, inserts and
// deletes: the time of the post with the list listening minus without, and of the next read.
#include "components/memtable/MemTableEh.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a)
{
    return std::chrono::duration<double>(Clock::now() - a).count();
}

constexpr int Rows = 1000000;
constexpr int Distinct = 10000;
constexpr int Edits = 2000;

QString TextOf(int k)
{
    return QStringLiteral("%1-%2").arg(k % 2 ? QStringLiteral("Филиал") : QStringLiteral("ФИЛИАЛ")).arg(k, 6, 10, QLatin1Char('0'));
}

void Floor(const std::vector<int>& keys, bool text)
{
    if (text) {
        std::vector<QString> v;
        v.reserve(keys.size());
        for (int k : keys)
            v.push_back(TextOf(k));
        const auto less = [](const QString& a, const QString& b) { return AnsiCompareStr(a, b) < 0; };
        auto t0 = Clock::now();
        std::set<QString, decltype(less)> s(less);
        for (const QString& x : v)
            s.insert(x);
        const double set = Seconds(t0);
        t0 = Clock::now();
        std::sort(v.begin(), v.end(), less);
        v.erase(std::unique(v.begin(), v.end()), v.end());
        std::printf("  floor: std::set %.3f s, sort+unique %.3f s (%zu values)\n", set, Seconds(t0), s.size());
        return;
    }
    std::vector<Variant> v;
    v.reserve(keys.size());
    for (int k : keys)
        v.emplace_back(k);
    const auto less = [](const Variant& a, const Variant& b) { return CompareValuesEh(a, b) < 0; };
    auto t0 = Clock::now();
    std::set<Variant, decltype(less)> s(less);
    for (const Variant& x : v)
        s.insert(x);
    const double set = Seconds(t0);
    t0 = Clock::now();
    std::sort(v.begin(), v.end(), less);
    v.erase(std::unique(v.begin(), v.end(), [](const Variant& a, const Variant& b) { return CompareValuesEh(a, b) == 0; }),
            v.end());
    std::printf("  floor: std::set %.3f s, sort+unique %.3f s (%zu values)\n", set, Seconds(t0), s.size());
}

// Posts Edits single-record edits (each a new value for the field), inserts and deletes.
double Churn(TMemTableEh* t, const char* field, bool text, IMemTableDataFieldValueListEh* list, double* readTime)
{
    std::mt19937 rng(3);
    TField* f = t->FieldByName(field);
    double reads = 0;
    auto t0 = Clock::now();
    for (int i = 0; i < Edits; ++i) {
        t->SetRecNo(1 + int(rng() % unsigned(t->RecordCount())));
        const int k = int(rng() % (Distinct + 100));
        switch (i % 4) {
        case 0: case 1:
            t->Edit();
            text ? f->SetAsString(TextOf(k)) : f->SetAsInteger(k);
            t->Post();
            break;
        case 2:
            t->Insert();
            text ? f->SetAsString(TextOf(k)) : f->SetAsInteger(k);
            t->Post();
            break;
        default:
            t->Delete();
            break;
        }
        if (list) {
            const auto r0 = Clock::now();
            list->GetValues();
            reads += Seconds(r0);
        }
    }
    if (readTime)
        *readTime = reads;
    return Seconds(t0) - reads;
}

void Run(bool text)
{
    std::printf("%s field, %d rows, %d distinct values\n", text ? "text" : "integer", Rows, Distinct);
    std::vector<int> keys(static_cast<size_t>(Rows));
    for (int i = 0; i < Rows; ++i)
        keys[size_t(i)] = i % Distinct;
    std::mt19937 rng(11);
    std::shuffle(keys.begin(), keys.end(), rng);
    Floor(keys, text);

    TComponent owner{nullptr};
    auto* t = Create<TMemTableEh>(&owner);
    TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
    ds->BuildDataFieldForDef("v", text ? ftString : ftInteger, 30, 0);
    TRecordsListEh* records = t->RecordsStore()->RecordsList();
    for (int k : keys) {
        TMemoryRecordEh* r = records->NewRecord();
        r->SetDataValue(0, dvvValueEh, text ? Variant(TextOf(k)) : Variant(k));
        records->FetchRecord(r);
    }
    t->Open();

    auto t0 = Clock::now();
    std::unique_ptr<IMemTableDataFieldValueListEh> list(t->GetFieldValueList("v"));   // built at once
    const int count = list->GetValues()->Count();
    std::printf("  list build %.3f s (%d values)\n", Seconds(t0), count);

    const double without = Churn(t, "v", text, nullptr, nullptr);
    double reads = 0;
    const double with = Churn(t, "v", text, list.get(), &reads);
    std::printf("  %d posts: %.1f us each without a list, %.1f us with it (+%.1f us); next read %.1f us each\n", Edits,
                without * 1e6 / Edits, with * 1e6 / Edits, (with - without) * 1e6 / Edits, reads * 1e6 / Edits);

    // Check: the kept list reads as one built afresh.
    std::unique_ptr<IMemTableDataFieldValueListEh> fresh(t->GetFieldValueList("v"));
    const bool same = fresh->GetValues()->Text() == list->GetValues()->Text();
    std::printf("  kept list equals a fresh build: %s\n", same ? "yes" : "NO");
}

}  // namespace

int main()
{
    Run(true);
    Run(false);
    return 0;
}
