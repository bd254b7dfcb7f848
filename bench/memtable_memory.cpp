// Memory of an open in-memory table of 1,000,000 rows with 10 mixed fields (texts, integers,
// money, dates, a Boolean), against the floor: a plain vector of structs holding the same
// values, each text its own string. Prints heap bytes per row of both, their ratio, and the
// sizes of the parts a row is made of. Heap bytes count the blocks malloc maps on its own too:
// a large array (the floor's whole vector) is one of those and would otherwise not be seen.
#include "components/memtable/MemTableEh.h"

#include <QHash>

#include <malloc.h>

#include <cstdio>
#include <random>

namespace {

constexpr int kRows = 1000000;

size_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

struct Values {
    int id;
    QString name, inn, doc, status;
    int64_t excel, spr;
    double date;
    int filial;
    bool hide;
};

Values Make(int i, std::mt19937& rng)
{
    return {i,
            QStringLiteral("Предприятие %1").arg(rng() % 700),
            QString::number(7203000000LL + rng() % 700),
            QStringLiteral("200000002-2024-%1").arg(rng() % 1000000, 10, 10, QLatin1Char('0')),
            QString::fromUtf8("Совпадает"),
            int64_t(rng() % 100000000),
            int64_t(rng() % 100000000),
            45292.0 + rng() % 365,
            int(rng() % 12),
            rng() % 2 == 0};
}

}  // namespace

int main()
{
    // the floor
    size_t before = HeapInUse();
    std::vector<Values> plain;
    plain.reserve(kRows);
    {
        std::mt19937 rng(1);
        for (int i = 0; i < kRows; ++i)
            plain.push_back(Make(i, rng));
    }
    const double floor = double(HeapInUse() - before) / kRows;
    plain.clear();
    plain.shrink_to_fit();
    // the same with repeated texts shared, as the table keeps them
    before = HeapInUse();
    plain.reserve(kRows);
    {
        std::mt19937 rng(1);
        QHash<QString, QString> shared;
        auto share = [&](const QString& s) {
            const auto it = shared.constFind(s);
            return it != shared.constEnd() ? it.value() : *shared.insert(s, s);
        };
        for (int i = 0; i < kRows; ++i) {
            Values v = Make(i, rng);
            v.name = share(v.name);
            v.inn = share(v.inn);
            v.status = share(v.status);
            plain.push_back(std::move(v));
        }
    }
    const double floorShared = double(HeapInUse() - before) / kRows;
    plain.clear();
    plain.shrink_to_fit();

    before = HeapInUse();
    {
        TComponent owner{nullptr};
        auto* t = Create<TMemTableEh>(&owner);
        TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
        ds->BuildDataFieldForDef("id", ftInteger, 0, 0);
        ds->BuildDataFieldForDef("name", ftString, 300, 0);
        ds->BuildDataFieldForDef("inn", ftString, 12, 0);
        ds->BuildDataFieldForDef("doc", ftString, 50, 0);
        ds->BuildDataFieldForDef("status", ftString, 50, 0);
        ds->BuildDataFieldForDef("excel", ftCurrency, 0, 0);
        ds->BuildDataFieldForDef("spr", ftCurrency, 0, 0);
        ds->BuildDataFieldForDef("date", ftDateTime, 0, 0);
        ds->BuildDataFieldForDef("filial", ftSmallint, 0, 0);
        ds->BuildDataFieldForDef("hide", ftBoolean, 0, 0);
        TRecordsListEh* list = t->RecordsStore()->RecordsList();
        std::mt19937 rng(1);
        for (int i = 0; i < kRows; ++i) {
            const Values v = Make(i, rng);
            TMemoryRecordEh* r = list->NewRecord();
            r->SetDataValue(0, dvvValueEh, v.id);
            r->SetDataValue(1, dvvValueEh, v.name);
            r->SetDataValue(2, dvvValueEh, v.inn);
            r->SetDataValue(3, dvvValueEh, v.doc);
            r->SetDataValue(4, dvvValueEh, v.status);
            r->SetDataValue(5, dvvValueEh, Currency::FromRaw(v.excel));
            r->SetDataValue(6, dvvValueEh, Currency::FromRaw(v.spr));
            r->SetDataValue(7, dvvValueEh, Variant::FromDate(v.date));
            r->SetDataValue(8, dvvValueEh, v.filial);
            r->SetDataValue(9, dvvValueEh, v.hide);
            list->FetchRecord(r);
        }
        t->Open();
        const double ours = double(HeapInUse() - before) / kRows;
        std::printf("heap bytes per row, %d rows of 10 fields\n", kRows);
        std::printf("  plain vector of structs (floor)   %8.1f\n", floor);
        std::printf("  the same, repeated texts shared   %8.1f\n", floorShared);
        std::printf("  open in-memory table              %8.1f   %.2fx the floor, %.2fx the shared floor\n", ours,
                    ours / floor, ours / floorShared);
        std::printf("  sizes: Variant %zu, record %zu, view item %zu\n", sizeof(Variant), sizeof(TMemoryRecordEh),
                    sizeof(TMemRecViewEh));
    }
    return 0;
}
