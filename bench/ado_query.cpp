// The query component on the embedded engine: single-row inserts through a parameterised
// query (prepared once and run again per row, as the data module's insert operations do) and
// a static cursor over 200,000 rows of the comparison's shape (open, walk, locate, filter).
#include "platform/ado/ADODB.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const char* kCreate =
    "if object_id('tempdb..#svod_inv','U') is not NULL\ndrop table tempdb..#svod_inv\n\n"
    "CREATE TABLE tempdb..#svod_inv(idPredpr bigint, invoicefullname varchar(25), datetrans datetime, status tinyint,"
    " docnumber varchar(50), docdate datetime, ndsspr decimal(18, 3), ndsinvoice decimal(18, 3), totalcostinv decimal(18, 3),"
    " totalcostvatinv decimal(18, 3), filial smallint, svplace varchar(1), numbuhspr varchar(10), numdocpart varchar(50))";
const QStringList kInsert = {
    "INSERT INTO #svod_inv (idPredpr, invoicefullname, datetrans, status, docnumber, docdate, ndsspr, ndsinvoice, totalcostinv,",
    " totalcostvatinv, filial, svplace, numbuhspr, numdocpart) VALUES (:idPredpr, :invoicefullname, :datetrans, :status, :docnumber,",
    " :docdate, :ndsspr, :ndsinvoice, :totalcostinv, :totalcostvatinv, :filial, :svplace, :numbuhspr, :numdocpart)"};

struct Setup {
    QTemporaryDir dir;
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& owner = *ownerHolder;
    TADOConnection* conn;
    TADOQuery* ins;
    Setup()
    {
        conn = Create<TADOConnection>(&owner);
        conn->SetConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Initial Catalog=maindatabase;Data Source=%1;Create Catalog=True")
                                      .arg(dir.path()));
        conn->Open();
        conn->Execute(QString::fromLatin1(kCreate));
        ins = Create<TADOQuery>(&owner);
        ins->SetConnection(conn);
        ins->SetCommandTimeout(900);
        ins->SQL()->AddStrings(kInsert);
        const struct { const char* name; TFieldType type; int size; } params[] = {
            {"idPredpr", ftLargeint, 0}, {"invoicefullname", ftString, 25}, {"datetrans", ftDateTime, 0}, {"status", ftWord, 0},
            {"docnumber", ftString, 50}, {"docdate", ftDateTime, 0}, {"ndsspr", ftBCD, 0}, {"ndsinvoice", ftBCD, 0},
            {"totalcostinv", ftBCD, 0}, {"totalcostvatinv", ftBCD, 0}, {"filial", ftSmallint, 0}, {"svplace", ftString, 1},
            {"numbuhspr", ftString, 10}, {"numdocpart", ftString, 50}};
        for (const auto& p : params) {
            TParameter* q = ins->Parameters()->ParamByName(QString::fromLatin1(p.name));
            q->SetDataType(p.type);
            q->SetSize(p.size);
        }
    }
    void Insert(int i)
    {
        TParameters& p = *ins->Parameters();
        p[0]->SetValue(Variant(int64_t(5000 + i % 700)));
        p[1]->SetValue(QStringLiteral("200000002-2024-%1").arg(i, 10, 10, QLatin1Char('0')));
        p[2]->SetValue(Variant::FromDate(45337));
        p[3]->SetValue(5);
        p[4]->SetValue(QString::number(i % 9000));
        p[5]->SetValue(Variant::FromDate(45336));
        p[6]->SetValue(Currency::FromRaw(int64_t(i) * 1230));
        p[7]->SetValue(i % 5 ? Variant(Currency::FromRaw(int64_t(i) * 1230)) : Null());
        p[8]->SetValue(Currency::FromRaw(int64_t(i) * 6150));
        p[9]->SetValue(Currency::FromRaw(int64_t(i) * 7380));
        p[10]->SetValue(Variant::FromSmallint(int16_t(2 + i % 4)));
        p[11]->SetValue(QStringLiteral("С"));
        p[12]->SetValue(QString::number(i % 100));
        p[13]->SetValue(QStringLiteral("7"));
        ins->ExecSQL();
    }
};

// One ExecSQL of the prepared insert per row, outside any transaction (each statement commits).
void BM_AdoInsertTempRows(benchmark::State& state)
{
    const int rows = int(state.range(0));
    Setup s;
    for (auto _ : state) {
        state.PauseTiming();
        s.conn->Execute(QString::fromLatin1(kCreate));
        state.ResumeTiming();
        for (int i = 0; i < rows; ++i)
            s.Insert(i);
    }
    if (s.ins->PrepareCount() != 1)
        state.SkipWithError("the insert was compiled more than once");
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_AdoInsertTempRows)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

struct Filled : Setup {
    TADOQuery* q;
    explicit Filled(int rows)
    {
        conn->BeginTrans();
        for (int i = 0; i < rows; ++i)
            Insert(i);
        conn->CommitTrans();
        q = Create<TADOQuery>(&owner);
        q->SetConnection(conn);
        q->SetCursorType(ctStatic);
        q->SetCommandTimeout(1200);
        q->SQL()->Add(QStringLiteral("SELECT * FROM #svod_inv"));
    }
};

// Open and close alone: reading the rows into the cursor's block.
void BM_AdoStaticOpen(benchmark::State& state)
{
    Filled s(int(state.range(0)));
    for (auto _ : state) {
        s.q->Open();
        s.q->Close();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AdoStaticOpen)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Open a static cursor over the rows, walk it to the end reading two fields, locate the last
// row by its number, and count the rows of one branch by a filter.
void BM_AdoStaticCursor(benchmark::State& state)
{
    const int rows = int(state.range(0));
    Filled s(rows);
    TADOQuery* q = s.q;
    const QString last = QStringLiteral("200000002-2024-%1").arg(rows - 1, 10, 10, QLatin1Char('0'));
    for (auto _ : state) {
        q->Open();
        TField* f = q->FieldByName(QStringLiteral("ndsspr"));
        TField* name = q->FieldByName(QStringLiteral("invoicefullname"));
        Currency sum;
        int n = 0;
        q->DisableControls();
        while (!q->Eof()) {
            sum = Currency::FromRaw(sum.Value + f->AsCurrency().Value);
            n += name->AsString().size() > 0;
            q->Next();
        }
        q->EnableControls();
        if (!q->Locate(QStringLiteral("invoicefullname"), Variant(last), {}))
            state.SkipWithError("locate failed");
        q->SetFilter(QStringLiteral("filial = 3"));
        q->SetFiltered(true);
        benchmark::DoNotOptimize(q->RecordCount());
        q->SetFiltered(false);
        q->Close();
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_AdoStaticCursor)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
