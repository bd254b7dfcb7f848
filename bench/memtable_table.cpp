// The in-memory result table over 200,000 rows of a comparison-shaped query: opening it through
// its dataset driver, sorting by two fields, the main window's mismatch filter, reading every
// cell of a screen page by instant reading, posting one check mark written back at once, and a
// full walk First..Eof reading every field.
#include "components/memtable/DataDriverEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/ADODB.h"
#include "platform/ado/SqlEngine.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kRows = 200000;

const char* kMismatch =
    "(((ndsexcel IS NULL) OR (ndsspr IS NULL)) OR ((ndsspr IS NOT NULL) AND (ndsexcel IS NOT NULL) AND (ndsspr<>ndsexcel)))";

struct World {
    QTemporaryDir dir;
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& owner = *ownerHolder;
    TADOConnection* conn = nullptr;

    World()
    {
        conn = Create<TADOConnection>(&owner);
        conn->SetLoginPrompt(false);
        conn->SetConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Initial Catalog=maindatabase;Data Source=%1;Create Catalog=True")
                                      .arg(dir.path()));
        conn->Open();
        TSqlSession& s = conn->Session();
        s.Execute(QStringLiteral(
            "CREATE TABLE tmpDararedInv(idRecord int IDENTITY(1,1) PRIMARY KEY, idPredpr bigint, invoicefullname varchar(25),"
            " datetrans datetime, status smallint, signerfio varchar(70), namepredpr varchar(300), docnumber varchar(50),"
            " ndsexcel decimal(18, 3), ndsspr decimal(18, 3), filial smallint, hide bit NOT NULL DEFAULT 0)"));
        auto ins = s.Prepare(QStringLiteral(
            "INSERT INTO tmpDararedInv(idPredpr, invoicefullname, datetrans, status, signerfio, namepredpr, docnumber, ndsexcel,"
            " ndsspr, filial) VALUES (:idPredpr, :inv, :dt, :status, :signer, :name, :doc, :excel, :spr, :filial)"));
        TSqlParams p = {{"idPredpr", 0}, {"inv", ""}, {"dt", Variant::FromDate(45337)}, {"status", 1}, {"signer", ""},
                        {"name", ""}, {"doc", ""}, {"excel", Currency()}, {"spr", Currency()}, {"filial", 1}};
        s.BeginTrans();
        for (int i = 0; i < kRows; ++i) {
            p[0].Value = (long long)(5000 + i % 700);
            p[1].Value = QStringLiteral("200000002-2024-%1").arg((i * 7919) % kRows, 10, 10, QLatin1Char('0'));
            p[3].Value = i % 11;
            p[4].Value = QStringLiteral("Подписант %1").arg(i % 40);
            p[5].Value = QStringLiteral("Предприятие %1").arg((i * 31) % 700);
            p[6].Value = QString::number(i % 9000);
            p[7].Value = i % 5 == 0 ? Variant::Null() : Variant(Currency::FromRaw(int64_t(i) * 1230));
            p[8].Value = i % 7 == 0 ? Variant(Currency::FromRaw(int64_t(i) * 1000)) : Variant(Currency::FromRaw(int64_t(i) * 1230));
            p[9].Value = i % 9 == 0 ? Variant::Null() : Variant(1 + i % 12);
            ins->Execute(p);
        }
        s.CommitTrans();
    }

    struct Table {
        TADOQuery* q;
        TDataSetDriverEh* drv;
        TMemTableEh* t;
    };

    Table Make(TComponent* o)
    {
        Table r;
        r.q = Create<TADOQuery>(o);
        r.q->SetConnection(conn);
        r.q->SetCursorType(ctStatic);
        r.q->SQL()->Add(QStringLiteral("SELECT * FROM tmpDararedInv"));
        r.drv = Create<TDataSetDriverEh>(o);
        r.drv->SetProviderDataSet(r.q);
        r.drv->SetKeyFields(QStringLiteral("idRecord"));
        r.t = Create<TMemTableEh>(o);
        r.t->SetFetchAllOnOpen(true);
        r.t->SetDataDriver(r.drv);
        return r;
    }
};

World& TheWorld()
{
    static World w;
    return w;
}

// One open table shared by the benchmarks that do not open.
World::Table& Opened()
{
    static TComponent o{nullptr};
    static World::Table t = [] {
        World::Table r = TheWorld().Make(&o);
        r.t->Open();
        return r;
    }();
    return t;
}

void BM_OpenThroughDriver(benchmark::State& state)
{
    World& w = TheWorld();
    for (auto _ : state) {
        auto oHolder = CreateUnique<TComponent>(nullptr);
        TComponent& o = *oHolder;
        World::Table r = w.Make(&o);
        r.t->Open();
        benchmark::DoNotOptimize(r.t->RecordCount());
        state.PauseTiming();
        r.t->Close();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_OpenThroughDriver)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortByTwoFields(benchmark::State& state)
{
    TMemTableEh* t = Opened().t;
    for (auto _ : state) {
        state.PauseTiming();
        t->SortByFields(QStringLiteral("idRecord"));
        state.ResumeTiming();
        t->SortByFields(QStringLiteral("namepredpr,invoicefullname"));
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortByTwoFields)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MismatchFilter(benchmark::State& state)
{
    TMemTableEh* t = Opened().t;
    for (auto _ : state) {
        t->SetFilter(QString::fromLatin1(kMismatch));
        t->SetFiltered(true);
        benchmark::DoNotOptimize(t->RecordCount());
        state.PauseTiming();
        t->SetFiltered(false);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_MismatchFilter)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadScreenPage(benchmark::State& state)
{
    TMemTableEh* t = Opened().t;
    std::vector<TField*> fields(t->Fields()->List());
    Variant v;
    int top = 0;
    for (auto _ : state) {
        for (int row = top; row < top + 40; ++row) {
            t->InstantReadEnter(row);
            for (TField* f : fields)
                f->GetData(v);
            t->InstantReadLeave();
        }
        top = (top + 7919) % (kRows - 40);
    }
    state.SetItemsProcessed(state.iterations() * 40 * int64_t(fields.size()));
}
BENCHMARK(BM_ReadScreenPage)->Unit(benchmark::kMicrosecond);

void BM_PostCheckMark(benchmark::State& state)
{
    TMemTableEh* t = Opened().t;
    t->SetRecNo(kRows / 2);
    bool mark = true;
    for (auto _ : state) {
        t->Edit();
        t->FieldByName(QStringLiteral("hide"))->SetAsBoolean(mark);
        t->Post();
        mark = !mark;
    }
}
BENCHMARK(BM_PostCheckMark)->Unit(benchmark::kMillisecond);

void BM_WalkAllFields(benchmark::State& state)
{
    TMemTableEh* t = Opened().t;
    std::vector<TField*> fields(t->Fields()->List());
    Variant v;
    for (auto _ : state) {
        int64_t n = 0;
        for (t->First(); !t->Eof(); t->Next()) {
            for (TField* f : fields)
                f->GetData(v);
            ++n;
        }
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_WalkAllFields)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
