// The distinct-value list of one text field of an open in-memory table: 250,000 and 1,000,000
// rows, every value distinct (shuffled invoice numbers, half of them upper case), plus a run of
// 1,000,000 rows holding only 1,000 distinct values. Prints the build time of the list, the
// heap it holds, and the floor: the same texts copied out and sorted once under the same
// collation. Time per row must stay flat from 250,000 to 1,000,000 rows (no quadratic step).
#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "components/memtable/MemTableEh.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <random>

namespace {

size_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

double Seconds(const std::chrono::steady_clock::time_point& a)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
}

std::vector<QString> MakeTexts(int rows, int distinct)
{
    std::vector<int> keys(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i)
        keys[size_t(i)] = i % distinct;
    std::mt19937 rng(11);
    std::shuffle(keys.begin(), keys.end(), rng);
    std::vector<QString> texts;
    texts.reserve(size_t(rows));
    for (int k : keys)
        texts.push_back(QStringLiteral("%1-%2").arg(k % 2 ? QStringLiteral("Счёт") : QStringLiteral("СЧЁТ")).arg(k, 7, 10, QLatin1Char('0')));
    return texts;
}

void Run(int rows, int distinct)
{
    const std::vector<QString> texts = MakeTexts(rows, distinct);

    // the floor
    std::vector<QString> copy = texts;
    auto t0 = std::chrono::steady_clock::now();
    std::stable_sort(copy.begin(), copy.end(), [](const QString& a, const QString& b) { return AnsiCompareText(a, b) < 0; });
    const double floor = Seconds(t0);
    copy.clear();
    copy.shrink_to_fit();

    TComponent owner{nullptr};
    auto* t = Create<TMemTableEh>(&owner);
    TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
    ds->BuildDataFieldForDef("inv", ftString, 30, 0);
    TRecordsListEh* list = t->RecordsStore()->RecordsList();
    for (const QString& s : texts) {
        TMemoryRecordEh* r = list->NewRecord();
        r->SetDataValue(0, dvvValueEh, s);
        list->FetchRecord(r);
    }
    t->Open();

    const size_t before = HeapInUse();
    TDatasetFieldValueListEh values;
    values.SetDataSet(t);
    values.SetFieldName("inv");
    t0 = std::chrono::steady_clock::now();
    const int count = values.Values()->Count();
    const double built = Seconds(t0);
    const double heap = double(HeapInUse() - before);
    std::printf("%8d rows, %8d distinct: list %6.2f s (%5.2f us/row), floor sort %6.2f s, %.2fx; list heap %.1f MB (%.0f bytes/value)\n",
                rows, count, built, built * 1e6 / rows, floor, built / floor, heap / 1048576.0, heap / std::max(count, 1));
    // A second read is served from the list.
    t0 = std::chrono::steady_clock::now();
    values.Values();
    std::printf("          second read %.6f s\n", Seconds(t0));
}

}  // namespace

int main()
{
    Run(250000, 250000);
    Run(1000000, 1000000);
    Run(1000000, 1000);
    return 0;
}
