// Sorting 1,000,000 rows by two Cyrillic text fields without regard to case ("name,inv"), three
// ways in one run: the floor (each key folded once, then std::stable_sort on the two folded
// keys under the collation, ties by previous position), the in-memory table's SortByFields with
// case-insensitive text fields, and a proxy model of the toolkit sorting one column of the same
// rows, locale-aware and case-insensitive. Prints seconds and the ratios, and checks that the
// table's order is the floor's.
#include "components/memtable/MemTableEh.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <random>

namespace {

constexpr int kRows = 1000000;

const char* const kNames[] = {"ООО «Северная звезда»", "АО «Ромашка»", "Филиал №3 г. Тюмень", "Филиал №7 г. Сургут",
                              "ПАО «Нефтегазстрой»", "Обособленное подразделение Уфа", "Филиал Омск",
                              "Головное отделение", "ООО «Вектор»", "Филиал Пермь", "ЗАО «Ёлка»", "ИП Щукин"};

struct Row {
    QString name, inv;
};

std::vector<Row> MakeRows()
{
    std::mt19937 rng(7);
    std::vector<Row> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        QString name = QString::fromUtf8(kNames[rng() % 12]) + QStringLiteral(" %1").arg(rng() % 60);
        switch (rng() % 3) {
        case 0: name = AnsiUpperCase(name); break;
        case 1: name = AnsiLowerCase(name); break;
        default: break;
        }
        QString inv = QStringLiteral("%1-%2").arg(rng() % 2 ? QStringLiteral("Счёт") : QStringLiteral("СЧЁТ")).arg(rng() % 400000);
        rows.push_back({name, inv});
    }
    return rows;
}

double Seconds(const std::chrono::steady_clock::time_point& a)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
}

class OneColumn : public QAbstractTableModel {
public:
    explicit OneColumn(const std::vector<Row>& Rows) : FRows(Rows) {}
    int rowCount(const QModelIndex& p) const override { return p.isValid() ? 0 : int(FRows.size()); }
    int columnCount(const QModelIndex& p) const override { return p.isValid() ? 0 : 1; }
    QVariant data(const QModelIndex& i, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(FRows[size_t(i.row())].name) : QVariant();
    }

private:
    const std::vector<Row>& FRows;
};

}  // namespace

int main()
{
    const std::vector<Row> rows = MakeRows();

    // the floor
    auto t0 = std::chrono::steady_clock::now();
    struct Key {
        QString a, b;
        int pos;
    };
    std::vector<Key> keys(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        keys[i] = {AnsiLowerCase(rows[i].name), AnsiLowerCase(rows[i].inv), int(i)};
    std::stable_sort(keys.begin(), keys.end(), [](const Key& x, const Key& y) {
        int c = AnsiCompareStr(x.a, y.a);
        if (c == 0)
            c = AnsiCompareStr(x.b, y.b);
        return c < 0;
    });
    const double floor = Seconds(t0);

    // the table
    TComponent owner{nullptr};
    auto* t = Create<TMemTableEh>(&owner);
    TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
    ds->BuildDataFieldForDef("id", ftInteger, 0, 0);
    ds->BuildDataFieldForDef("name", ftString, 100, 0);
    ds->BuildDataFieldForDef("inv", ftString, 50, 0);
    TRecordsListEh* list = t->RecordsStore()->RecordsList();
    for (int i = 0; i < kRows; ++i) {
        TMemoryRecordEh* r = list->NewRecord();
        r->SetDataValue(0, dvvValueEh, i);
        r->SetDataValue(1, dvvValueEh, Variant::FromString(rows[size_t(i)].name));
        r->SetDataValue(2, dvvValueEh, Variant::FromString(rows[size_t(i)].inv));
        list->FetchRecord(r);
    }
    t->SetOptions(TMemTableOptionsEh{mtoTextFieldsCaseInsensitive});
    t->Open();
    t0 = std::chrono::steady_clock::now();
    t->SortByFields("name,inv");
    const double ours = Seconds(t0);
    bool same = true;
    for (int i = 0; i < kRows && same; ++i)
        same = list->GetRec(i)->ValueRef(0).AsInteger() == keys[size_t(i)].pos;

    // the proxy model, one column
    OneColumn model(rows);
    QSortFilterProxyModel proxy;
    proxy.setSortCaseSensitivity(Qt::CaseInsensitive);
    proxy.setSortLocaleAware(true);
    proxy.setSourceModel(&model);
    t0 = std::chrono::steady_clock::now();
    proxy.sort(0);
    const double byProxy = Seconds(t0);

    std::printf("sort of %d rows by \"name,inv\", case-insensitive (seconds)\n", kRows);
    std::printf("  floor (fold once, std::stable_sort)      %8.3f\n", floor);
    std::printf("  in-memory table SortByFields              %8.3f   %.2fx the floor\n", ours, ours / floor);
    std::printf("  proxy model, one column                   %8.3f   %.2fx the floor\n", byProxy, byProxy / floor);
    std::printf("  table order equals the floor's: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}
