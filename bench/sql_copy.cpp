// Copying 200,000 rows between two embedded connections the way a reconciliation run does:
// a row set of the branch connection read row by row and written through a prepared,
// parameterised insert into a temporary table of the summary connection.
#include "platform/ado/SqlEngine.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const char* kCreate =
    "if object_id('tempdb..#svod_inv','U') is not NULL\ndrop table tempdb..#svod_inv\n\n"
    "CREATE TABLE tempdb..#svod_inv(idPredpr bigint, invoicefullname varchar(25), datetrans datetime, status tinyint,"
    " docnumber varchar(50), docdate datetime, ndsspr decimal(18, 3), ndsinvoice decimal(18, 3), totalcostinv decimal(18, 3),"
    " totalcostvatinv decimal(18, 3), filial smallint, svplace varchar(1), numbuhspr varchar(10), numdocpart varchar(50))";
const char* kInsert =
    "INSERT INTO #svod_inv (idPredpr, invoicefullname, datetrans, status, docnumber, docdate, ndsspr, ndsinvoice, totalcostinv,"
    " totalcostvatinv, filial, svplace, numbuhspr, numdocpart) VALUES (:idPredpr, :invoicefullname, :datetrans, :status, :docnumber,"
    " :docdate, :ndsspr, :ndsinvoice, :totalcostinv, :totalcostvatinv, :filial, :svplace, :numbuhspr, :numdocpart)";

QString conn(const QString& dir, const char* catalog)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Initial Catalog=%1;Data Source=%2;Create Catalog=True").arg(QLatin1String(catalog), dir);
}

void fill(TSqlSession& s, int rows)
{
    s.Execute(QString::fromLatin1(kCreate));
    auto ins = s.Prepare(QString::fromLatin1(kInsert));
    s.BeginTrans();
    TSqlParams p = {{"idPredpr", 0}, {"invoicefullname", ""}, {"datetrans", Variant::FromDate(45337)}, {"status", 5},
                    {"docnumber", ""}, {"docdate", Variant::FromDate(45336)}, {"ndsspr", Currency()}, {"ndsinvoice", Currency()},
                    {"totalcostinv", Currency()}, {"totalcostvatinv", Currency()}, {"filial", 2}, {"svplace", "С"},
                    {"numbuhspr", "15"}, {"numdocpart", "7"}};
    for (int i = 0; i < rows; ++i) {
        p[0].Value = (long long)(5000 + i % 700);
        p[1].Value = QStringLiteral("200000002-2024-%1").arg(i, 10, 10, QLatin1Char('0'));
        p[4].Value = QString::number(i % 9000);
        p[6].Value = Currency::FromRaw(int64_t(i) * 1230);
        p[7].Value = Currency::FromRaw(int64_t(i) * 1230);
        p[8].Value = Currency::FromRaw(int64_t(i) * 6150);
        p[9].Value = Currency::FromRaw(int64_t(i) * 7380);
        ins->Execute(p);
    }
    s.CommitTrans();
}

void BM_CopyRowsBetweenConnections(benchmark::State& state)
{
    const int rows = int(state.range(0));
    QTemporaryDir branchDir, summaryDir;
    auto branch = TSqlSession::Connect(conn(branchDir.path(), "MainDataBase"));
    auto summary = TSqlSession::Connect(conn(summaryDir.path(), "maindatabase"));
    fill(*branch, rows);
    for (auto _ : state) {
        summary->Execute(QString::fromLatin1(kCreate));
        auto ins = summary->Prepare(QString::fromLatin1(kInsert));
        auto src = branch->Open(QStringLiteral("SELECT * FROM #svod_inv"));
        TSqlParams p;
        for (const TSqlColumn& c : src->Columns()) p.push_back({c.Name, Variant()});
        std::vector<Variant> row;
        summary->BeginTrans();
        int n = 0;
        while (src->Next(row)) {
            for (size_t i = 0; i < row.size(); ++i) p[i].Value = row[i];
            ins->Execute(p);
            ++n;
        }
        summary->CommitTrans();
        if (n != rows) state.SkipWithError("rows lost");
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_CopyRowsBetweenConnections)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ExactSumOverRows(benchmark::State& state)
{
    QTemporaryDir dir;
    auto s = TSqlSession::Connect(conn(dir.path(), "maindatabase"));
    fill(*s, int(state.range(0)));
    for (auto _ : state) {
        auto r = s->Open(QStringLiteral("SELECT SUM(ndsspr), COUNT(*) FROM #svod_inv GROUP BY filial"));
        std::vector<Variant> row;
        while (r->Next(row)) benchmark::DoNotOptimize(row);
    }
}
BENCHMARK(BM_ExactSumOverRows)->Arg(200000)->Unit(benchmark::kMillisecond);

// The final comparison's shape: a full join of the branches' rows with the workbook rows by
// e-invoice number, plus lookups, over 200,000 rows on each side.
void BM_FullJoinComparison(benchmark::State& state)
{
    const int rows = int(state.range(0));
    QTemporaryDir dir;
    auto s = TSqlSession::Connect(conn(dir.path(), "maindatabase"));
    fill(*s, rows);
    s->Execute(QStringLiteral("CREATE TABLE tbPredpr(idPredpr bigint PRIMARY KEY, UNN varchar(20), dopUNN smallint, namePredpr varchar(300))"));
    auto pred = s->Prepare(QStringLiteral("INSERT INTO tbPredpr VALUES (?, ?, NULL, ?)"));
    s->BeginTrans();
    for (int i = 0; i < 700; ++i) pred->Execute({{QString(), 5000 + i}, {QString(), QString::number(100000000 + i)}, {QString(), QStringLiteral("Предприятие %1").arg(i)}});
    s->CommitTrans();
    s->Execute(QStringLiteral(
        "CREATE TABLE #svexceltmp(idPredpr bigint, invoicefullname varchar(25) PRIMARY KEY, ndsexcel decimal(18, 3), signerfio varchar(70))"));
    auto ins = s->Prepare(QStringLiteral("INSERT INTO #svexceltmp VALUES (?, ?, ?, ?)"));
    s->BeginTrans();
    for (int i = rows / 2; i < rows + rows / 2; ++i)
        ins->Execute({{QString(), 5000 + i % 700}, {QString(), QStringLiteral("200000002-2024-%1").arg(i, 10, 10, QLatin1Char('0'))},
                      {QString(), Currency::FromRaw(int64_t(i) * 1230)}, {QString(), QStringLiteral("Подписант %1").arg(i % 50)}});
    s->CommitTrans();
    const QString sql = QStringLiteral(
        "SELECT ISNULL(inv.idPredpr, exc.idPredpr) AS idPredpr, ISNULL(inv.invoicefullname, exc.invoicefullname) AS invoicefullname,\n"
        "  ISNULL(pred.UNN+' - '+pred.namePredpr, exc.signerfio) AS namepredpr, exc.ndsexcel, inv.ndsspr\n"
        "FROM #svod_inv inv\n"
        "FULL JOIN #svexceltmp exc ON (inv.invoicefullname=exc.invoicefullname)\n"
        "LEFT JOIN tbPredpr pred ON inv.idPredpr=pred.idPredpr\n"
        "ORDER BY namepredpr, invoicefullname");
    for (auto _ : state) {
        auto r = s->Open(sql);
        std::vector<Variant> row;
        int n = 0;
        while (r->Next(row)) ++n;
        if (n != rows + rows / 2) state.SkipWithError("row count");
    }
}
BENCHMARK(BM_FullJoinComparison)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
