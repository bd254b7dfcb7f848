// The floor a reconciliation run is measured against: the same steps on the same data, written
// by hand as plain sqlite3 statements. Each branch's "#inv_prov" is built by the same union
// and full join, the three row sets are read on the branch and written through prepared
// inserts into the summary's temporary tables in one transaction each (with the same
// conversions of missing values), then the comparison, the duplicate lists and the totals are
// read in full and the result is sorted by organisation and e-invoice number.
//
// The hand-written side stores what a native schema would: money as integer thousandths,
// date-times as ISO text, text under a small case- and trailing-blank-insensitive collation of
// its own (the signers of the workbook differ from the table's only in letter case), and the
// right side of the full join in an indexed temporary table.
#pragma once

#include "app/engine/DemoData.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace baseline {

struct TTimes {
    int64_t BranchInsertSelect = 0, CopyLedger = 0, CopyDuples = 0, CopyInvoices = 0, Comparison = 0, OpenAndSort = 0,
            DuplesAndTotals = 0, Whole = 0;
    int64_t Copying() const { return CopyLedger + CopyDuples + CopyInvoices; }
};

struct TResult {
    TTimes Times;
    int64_t ComparisonRows = 0, Duples = 0, ExcSum = 0, SprSum = 0;   // sums in thousandths
};

// The model's workbook, padded to size with rows the branches do not know.
inline std::vector<demo::TDemoWorkbookRow> PaddedWorkbook(const demo::TDemoModel& m, int rows)
{
    std::vector<demo::TDemoWorkbookRow> book = m.Workbook;
    for (int i = 0; int(book.size()) < rows; ++i) {
        demo::TDemoWorkbookRow w;
        w.Invoice = QStringLiteral("299999999-2024-%1").arg(i + 1, 10, 10, QLatin1Char('0'));
        w.SupplierUnn = QStringLiteral("299999999");
        w.SupplierName = QStringLiteral("ООО \"Неизвестный поставщик\"");
        w.DopUnn = m.Branches[size_t(i) % m.Branches.size()].Number;
        w.Recipient = m.Branches[size_t(i) % m.Branches.size()].Name;
        w.DateTransaction = m.FirstDate.addDays(i % 28);
        w.DocNumber = QString::number(i + 1);
        w.DocDate = w.DateTransaction;
        w.Cost = 1000000 + (i % 997) * 1000;
        w.Vat = w.Cost / 5;
        w.CostVat = w.Cost + w.Vat;
        book.push_back(w);
    }
    return book;
}

// ---- the collation: ASCII and Cyrillic letters fold to lower case, trailing blanks ignored

inline uint32_t NextCodePoint(const unsigned char*& p, const unsigned char* end)
{
    uint32_t c = *p++;
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    c &= more == 3 ? 0x07 : more == 2 ? 0x0F : 0x1F;
    while (more-- && p < end) c = (c << 6) | (*p++ & 0x3F);
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

inline int CiCompare(void*, int n1, const void* v1, int n2, const void* v2)
{
    auto a = static_cast<const unsigned char*>(v1), b = static_cast<const unsigned char*>(v2);
    while (n1 > 0 && a[n1 - 1] == ' ') --n1;
    while (n2 > 0 && b[n2 - 1] == ' ') --n2;
    const unsigned char *ae = a + n1, *be = b + n2;
    while (a < ae && b < be) {
        if (*a == *b && *a < 0x80) {
            ++a;
            ++b;
            continue;
        }
        const uint32_t x = NextCodePoint(a, ae), y = NextCodePoint(b, be);
        if (x != y) return x < y ? -1 : 1;
    }
    return a < ae ? 1 : b < be ? -1 : 0;
}

// ---- thin helpers over the C API

class Db {
public:
    explicit Db(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(FDb));
        sqlite3_create_collation(FDb, "CI", SQLITE_UTF8, nullptr, CiCompare);
        Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA temp_store=MEMORY");
    }
    ~Db() { sqlite3_close_v2(FDb); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    sqlite3* Handle() const { return FDb; }
    void Exec(const char* sql)
    {
        char* err = nullptr;
        if (sqlite3_exec(FDb, sql, nullptr, nullptr, &err) != SQLITE_OK) {
            const std::string m = err ? err : "error";
            sqlite3_free(err);
            throw std::runtime_error(m + " in: " + sql);
        }
    }
    void Exec(const QString& sql) { Exec(sql.toUtf8().constData()); }

private:
    sqlite3* FDb = nullptr;
};

class Stmt {
public:
    Stmt(const Db& db, const char* sql) : FDb(db.Handle())
    {
        if (sqlite3_prepare_v2(FDb, sql, -1, &FSt, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(FDb)) + " in: " + sql);
    }
    ~Stmt() { sqlite3_finalize(FSt); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    sqlite3_stmt* operator*() const { return FSt; }
    bool Step()
    {
        const int rc = sqlite3_step(FSt);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(FDb));
        return false;
    }
    void Run()
    {
        while (Step()) {}
        sqlite3_reset(FSt);
    }
    void Reset() { sqlite3_reset(FSt); }
    void Text(int i, const QString& s)
    {
        const QByteArray u = s.toUtf8();
        sqlite3_bind_text(FSt, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    void TextOrNull(int i, const QString& s) { s.isEmpty() ? Null(i) : Text(i, s); }
    void Int(int i, int64_t v) { sqlite3_bind_int64(FSt, i, v); }
    void IntOrNull(int i, int64_t v) { v ? Int(i, v) : Null(i); }
    void Null(int i) { sqlite3_bind_null(FSt, i); }
    void Date(int i, const QDate& d)
    {
        d.isValid() ? Text(i, d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00.000")) : Null(i);
    }

private:
    sqlite3* FDb;
    sqlite3_stmt* FSt = nullptr;
};

inline void InTransaction(Db& db, const std::function<void()>& body)
{
    db.Exec("BEGIN");
    try {
        body();
    } catch (...) {
        db.Exec("ROLLBACK");
        throw;
    }
    db.Exec("COMMIT");
}

// A row read in full, as a hand-written reader keeps it.
using Cell = std::variant<std::monostate, int64_t, double, std::string>;
using Row = std::vector<Cell>;

inline std::vector<Row> ReadAll(Stmt& q)
{
    std::vector<Row> rows;
    const int n = sqlite3_column_count(*q);
    while (q.Step()) {
        Row r(size_t(n), Cell{});
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(*q, i)) {
            case SQLITE_INTEGER: r[size_t(i)] = int64_t(sqlite3_column_int64(*q, i)); break;
            case SQLITE_FLOAT: r[size_t(i)] = sqlite3_column_double(*q, i); break;
            case SQLITE_NULL: break;
            default:
                r[size_t(i)] = std::string(reinterpret_cast<const char*>(sqlite3_column_text(*q, i)), size_t(sqlite3_column_bytes(*q, i)));
            }
        }
        rows.push_back(std::move(r));
    }
    q.Reset();
    return rows;
}

// ---- the catalogs, written from the same model (not timed)

inline QString Folder(const QString& root, const char* name) { return QDir(root).filePath(QString::fromLatin1(name)); }

inline void WriteCatalogs(const demo::TDemoModel& m, const QString& root)
{
    QDir().mkpath(root);
    {
        Db s(Folder(root, "svod.sqlite"));
        s.Exec("CREATE TABLE tbPredpr (idPredpr INTEGER PRIMARY KEY, NamePredprShort TEXT COLLATE CI, idPlat INTEGER,"
               " UNN TEXT COLLATE CI, dopUNN INTEGER, namePredpr TEXT COLLATE CI);"
               "CREATE TABLE tbNastrPredpr (idPredpr INTEGER NOT NULL);"
               "CREATE TABLE DararedSigners (idRecord INTEGER PRIMARY KEY, filial INTEGER NOT NULL, fio TEXT COLLATE CI NOT NULL,"
               " UNIQUE (filial, fio));"
               "CREATE TABLE DararedZeroExclude (idRecord INTEGER PRIMARY KEY, filial INTEGER NOT NULL, invoice TEXT COLLATE CI NOT NULL)");
        InTransaction(s, [&] {
            Stmt p(s, "INSERT INTO tbPredpr VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
            for (const auto& e : m.Enterprises) {
                p.Int(1, e.Id);
                p.Text(2, e.ShortName);
                p.Int(3, e.IdPlat);
                p.Text(4, e.Unn);
                p.IntOrNull(5, e.DopUnn);
                p.Text(6, e.Name);
                p.Run();
            }
            Stmt n(s, "INSERT INTO tbNastrPredpr VALUES (?1)");
            n.Int(1, m.OrgId);
            n.Run();
            Stmt g(s, "INSERT INTO DararedSigners (filial, fio) VALUES (?1, ?2)");
            for (const auto& x : m.Signers) {
                g.Int(1, x.Filial);
                g.Text(2, x.Fio);
                g.Run();
            }
            Stmt z(s, "INSERT INTO DararedZeroExclude (filial, invoice) VALUES (?1, ?2)");
            for (const auto& x : m.ZeroExcludes) {
                z.Int(1, x.Filial);
                z.Text(2, x.Invoice);
                z.Run();
            }
        });
    }
    for (const auto& b : m.Branches) {
        const QString dir = Folder(root, qPrintable(b.Folder));
        QDir().mkpath(dir);
        Db buh(Folder(dir, "buh.sqlite"));
        buh.Exec("CREATE TABLE tbSpravka (idSpravka INTEGER PRIMARY KEY, NSF TEXT COLLATE CI, Summ INTEGER, DataDoc TEXT,"
                 " NumDoc TEXT COLLATE CI, numDocPart TEXT COLLATE CI, NumBuhSpr TEXT COLLATE CI, idPredpr INTEGER, mes TEXT,"
                 " idSchetSubSchetDT INTEGER, PrizAUDT TEXT COLLATE CI, idSchetSubSchetKT INTEGER, PrizAUKT TEXT COLLATE CI,"
                 " PrizRej INTEGER, Sv INTEGER);"
                 "CREATE TABLE tbSFProvNDS (IdDt INTEGER NOT NULL, AuDt TEXT COLLATE CI, IdKt INTEGER NOT NULL, AuKt TEXT COLLATE CI)");
        InTransaction(buh, [&] {
            Stmt p(buh, "INSERT INTO tbSFProvNDS VALUES (?1, ?2, ?3, ?4)");
            for (const auto& a : m.AccountPairs) {
                p.Int(1, a.Dt);
                p.TextOrNull(2, a.AuDt);
                p.Int(3, a.Kt);
                p.TextOrNull(4, a.AuKt);
                p.Run();
            }
            Stmt e(buh, "INSERT INTO tbSpravka (NSF, Summ, DataDoc, NumDoc, numDocPart, NumBuhSpr, idPredpr, mes, idSchetSubSchetDT,"
                        " PrizAUDT, idSchetSubSchetKT, PrizAUKT, PrizRej, Sv) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)");
            for (const auto& x : m.Entries) {
                if (x.Branch != b.Number) continue;
                e.Text(1, x.Nsf);
                e.Int(2, x.Summ);
                e.Date(3, x.DataDoc);
                e.Text(4, x.NumDoc);
                e.Text(5, x.NumDocPart);
                e.Text(6, x.NumBuhSpr);
                e.IntOrNull(7, x.IdPredpr);
                e.Date(8, x.Mes);
                e.Int(9, x.Dt);
                e.TextOrNull(10, x.AuDt);
                e.Int(11, x.Kt);
                e.TextOrNull(12, x.AuKt);
                e.Int(13, x.PrizRej);
                e.Int(14, x.Sv);
                e.Run();
            }
        });
        Db main(Folder(dir, "main.sqlite"));
        main.Exec("CREATE TABLE tbPredpr (idPredpr INTEGER PRIMARY KEY, unn TEXT COLLATE CI, dopUNN INTEGER, globalcode TEXT COLLATE CI,"
                  " namePredpr TEXT COLLATE CI);"
                  "CREATE TABLE tbNastrPredpr (idPredpr INTEGER NOT NULL);"
                  "CREATE TABLE invoices (idSender INTEGER NOT NULL, compilingYear INTEGER NOT NULL, number INTEGER NOT NULL,"
                  " idProvider INTEGER, invoice TEXT COLLATE CI, documentType INTEGER, dateTransaction TEXT, sv INTEGER, totalVat INTEGER,"
                  " totalCost INTEGER, totalCostVat INTEGER, PRIMARY KEY (idSender, compilingYear, number));"
                  "CREATE TABLE history (idSender INTEGER NOT NULL, compilingYear INTEGER NOT NULL, number INTEGER NOT NULL,"
                  " invStatus INTEGER, PRIMARY KEY (idSender, compilingYear, number));"
                  "CREATE TABLE documents (idSender INTEGER NOT NULL, compilingYear INTEGER NOT NULL, number INTEGER NOT NULL,"
                  " docNumber TEXT COLLATE CI, docDate TEXT, PRIMARY KEY (idSender, compilingYear, number))");
        InTransaction(main, [&] {
            Stmt p(main, "INSERT INTO tbPredpr VALUES (?1, ?2, ?3, ?4, ?5)");
            for (const auto& e : b.Enterprises) {
                p.Int(1, e.LocalId);
                p.Text(2, e.Unn);
                p.IntOrNull(3, e.DopUnn);
                p.TextOrNull(4, e.GlobalCode);
                p.Text(5, e.Name);
                p.Run();
            }
            main.Exec("INSERT INTO tbNastrPredpr VALUES (1)");
            Stmt inv(main, "INSERT INTO invoices VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
            Stmt his(main, "INSERT INTO history VALUES (?1, ?2, ?3, ?4)");
            Stmt doc(main, "INSERT INTO documents VALUES (?1, ?2, ?3, ?4, ?5)");
            for (const auto& i : m.Invoices) {
                if (i.Branch != b.Number) continue;
                inv.Int(1, i.Sender);
                inv.Int(2, i.Year);
                inv.Int(3, i.Number);
                inv.Int(4, i.Sender);
                inv.TextOrNull(5, i.Original);
                inv.Int(6, i.DocumentType);
                inv.Date(7, i.DateTransaction);
                inv.Int(8, i.Sv ? 1 : 0);
                inv.Int(9, i.Vat);
                inv.Int(10, i.Cost);
                inv.Int(11, i.CostVat);
                inv.Run();
                his.Int(1, i.Sender);
                his.Int(2, i.Year);
                his.Int(3, i.Number);
                his.Int(4, i.Status);
                his.Run();
                if (!i.HasDocument) continue;
                doc.Int(1, i.Sender);
                doc.Int(2, i.Year);
                doc.Int(3, i.Number);
                doc.Text(4, i.DocNumber);
                doc.Date(5, i.DocDate);
                doc.Run();
            }
        });
    }
}

// ---- the run

// Text of a document number without a final "." or ","; leading zeros are dropped by the caller.
#define BASELINE_NO_DOT(x) "(CASE WHEN substr(" x ", -1) IN ('.', ',') THEN substr(" x ", 1, length(" x ") - 1) ELSE " x " END)"
#define BASELINE_SPR_FROM                                                                                                      \
    " FROM buh.tbSpravka spr"                                                                                                  \
    " JOIN buh.tbSFProvNDS prov ON spr.idSchetSubSchetDT = prov.IdDt AND ifnull(spr.PrizAUDT, '') = ifnull(prov.AuDt, '') COLLATE CI"   \
    "  AND spr.idSchetSubSchetKT = prov.IdKt AND ifnull(spr.PrizAUKT, '') = ifnull(prov.AuKt, '') COLLATE CI"                           \
    " LEFT JOIN tbPredpr pred ON spr.idPredpr = pred.idPredpr"                                                               \
    " WHERE spr.mes BETWEEN ?1 AND ?2 AND spr.PrizRej = 1 AND spr.Sv = 0 AND ((pred.unn <> ?3 AND ?4 = 1) OR ?4 = 0)"
#define BASELINE_INV_COLS                                                                                                         \
    "SELECT (prov.unn || '-' || inv.compilingYear || '-' || substr('0000000000' || inv.number, -10)) COLLATE CI AS Fullname,"  \
    " his.invStatus, ltrim(doc.docNumber, '0') COLLATE CI AS docNumber, doc.docDate, inv.totalVat, inv.totalCost, inv.totalCostVat, inv.documentType,"  \
    " inv.idSender, prov.globalcode, inv.dateTransaction"                                                                     \
    " FROM invoices inv"                                                                                                       \
    " JOIN history his ON his.idSender = inv.idSender AND his.compilingYear = inv.compilingYear AND his.number = inv.number" \
    " LEFT JOIN documents doc ON doc.idSender = inv.idSender AND doc.compilingYear = inv.compilingYear AND doc.number = inv.number" \
    " JOIN tbPredpr prov ON prov.idPredpr = inv.idProvider"

inline QString DateText(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00.000"); }

class Run {
public:
    Run(const demo::TDemoModel& m, const QString& root, const std::vector<demo::TDemoWorkbookRow>& book)
        : FModel(m), FRoot(root), FSvod(Folder(root, "svod.sqlite"))
    {
        FSvod.Exec("DROP TABLE IF EXISTS temp.svexceltmp;"
                   "CREATE TEMP TABLE svexceltmp (idPredpr INTEGER, namePredpr TEXT COLLATE CI, invoicefullname TEXT COLLATE CI PRIMARY KEY,"
                   " datetrans TEXT, status INTEGER, recipientname TEXT COLLATE CI, dopunn INTEGER, signerfio TEXT COLLATE CI,"
                   " docnumber TEXT COLLATE CI, docdate TEXT, ndsexcel INTEGER, totalcostinv INTEGER, totalcostvatinv INTEGER,"
                   " svplace TEXT COLLATE CI);"
                   "CREATE INDEX temp.EXCEL_TMP_IND_doc ON svexceltmp (docnumber, ndsexcel, docdate)");
        InTransaction(FSvod, [&] {
            Stmt ins(FSvod, "INSERT INTO svexceltmp VALUES (?1, ?2, ?3, ?4, 5, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, 'П')");
            for (const auto& w : book) {
                const QString branch = w.SupplierBranch ? QStringLiteral("%1").arg(w.SupplierBranch, 4, 10, QLatin1Char('0')) : QString();
                ins.Int(1, (w.SupplierUnn + (branch.isEmpty() ? QStringLiteral("0000") : branch)).toLongLong());
                ins.Text(2, w.SupplierUnn + (branch.isEmpty() ? QString() : u' ' + branch) + QStringLiteral(" - ") + w.SupplierName);
                ins.Text(3, w.Invoice);
                ins.Date(4, w.DateTransaction);
                ins.Text(5, w.Recipient);
                w.DopUnn ? ins.Text(6, QString::number(w.DopUnn)) : ins.Null(6);
                ins.Text(7, w.Signer);
                ins.Text(8, w.DocNumber);
                ins.Date(9, w.DocDate);
                ins.Int(10, w.Vat);
                ins.Int(11, w.Cost);
                ins.Int(12, w.CostVat);
                ins.Run();
            }
        });
    }

    TResult Go()
    {
        TResult r;
        QElapsedTimer whole;
        whole.start();
        FSvod.Exec("DROP TABLE IF EXISTS temp.svod_inv;"
                   "CREATE TEMP TABLE svod_inv (idPredpr INTEGER, invoicefullname TEXT COLLATE CI, datetrans TEXT, status INTEGER,"
                   " docnumber TEXT COLLATE CI, docdate TEXT, ndsspr INTEGER, ndsinvoice INTEGER, totalcostinv INTEGER,"
                   " totalcostvatinv INTEGER, filial INTEGER, svplace TEXT COLLATE CI, numbuhspr TEXT COLLATE CI, numdocpart TEXT COLLATE CI);"
                   "CREATE INDEX temp.SVODINV_TMP_IND_doc ON svod_inv (docnumber, ndsspr, docdate);"
                   "DROP TABLE IF EXISTS temp.svod_duples;"
                   "CREATE TEMP TABLE svod_duples (mes TEXT, numbuhdup TEXT COLLATE CI, docnumberdup TEXT COLLATE CI, docdatedup TEXT,"
                   " sumdup INTEGER, numbuhsv TEXT COLLATE CI, invfullname TEXT COLLATE CI, invtotalvat INTEGER, namepredpr TEXT COLLATE CI,"
                   " dopUNN INTEGER);"
                   "DROP TABLE IF EXISTS temp.svod_prov;"
                   "CREATE TEMP TABLE svod_prov (numbuhspr TEXT COLLATE CI, datadoc TEXT, numdoc TEXT COLLATE CI, numdocpart TEXT COLLATE CI,"
                   " summ INTEGER, globalcode TEXT COLLATE CI, filial INTEGER, NSF TEXT COLLATE CI, mes TEXT)");
        for (const auto& b : FModel.Branches) Branch(b, r.Times);
        Summary(r);
        r.Times.Whole = whole.nsecsElapsed();
        return r;
    }

private:
    struct Clock {
        explicit Clock(int64_t& sink) : FSink(sink) { FTimer.start(); }
        ~Clock() { FSink += FTimer.nsecsElapsed(); }
        int64_t& FSink;
        QElapsedTimer FTimer;
    };

    void BindPeriod(Stmt& q, const QString& unn) const
    {
        q.Text(1, DateText(FModel.FirstDate));
        q.Text(2, DateText(FModel.SecondDate));
        q.Text(3, unn);
        q.Int(4, 0);   // the run keeps the organisation's own entries
    }

    void Branch(const demo::TDemoBranch& b, TTimes& t)
    {
        const QString dir = Folder(FRoot, qPrintable(b.Folder));
        Db db(Folder(dir, "main.sqlite"));
        db.Exec(QStringLiteral("ATTACH DATABASE '%1' AS buh").arg(Folder(dir, "buh.sqlite")));
        QString unn;
        int64_t dopUnn = 0;
        {
            Stmt q(db, "SELECT unn, dopUNN FROM tbPredpr WHERE idPredpr = (SELECT idPredpr FROM tbNastrPredpr)");
            if (q.Step()) {
                unn = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(*q, 0)));
                dopUnn = sqlite3_column_int64(*q, 1);
            }
        }
        {
            Clock c(t.BranchInsertSelect);
            db.Exec("DROP TABLE IF EXISTS temp.inv_prov;"
                    "CREATE TEMP TABLE inv_prov (fullName TEXT COLLATE CI, documentType INTEGER, invStatus INTEGER, dateTrans TEXT,"
                    " docNumber TEXT COLLATE CI, docDate TEXT, sprSum INTEGER, totalVat INTEGER, totalCost INTEGER, totalCostVat INTEGER,"
                    " dopUnn INTEGER, NumBuhSpr TEXT COLLATE CI, idPredpr INTEGER, globalcode INTEGER, NumDocPart TEXT COLLATE CI, mes TEXT);"
                    "DROP TABLE IF EXISTS temp.spr_sums;"
                    "CREATE TEMP TABLE spr_sums (k TEXT COLLATE CI, NSF TEXT COLLATE CI, Summ INTEGER, DataDoc TEXT, NumDoc TEXT COLLATE CI,"
                    " numDocPart TEXT COLLATE CI, NumBuhSpr TEXT COLLATE CI, idPredpr INTEGER, globalcode TEXT COLLATE CI, mes TEXT)");
            Stmt sums(db, "INSERT INTO spr_sums SELECT substr(NSF, 3, 25), * FROM ("
                          "SELECT spr.NSF, SUM(spr.Summ) AS Summ, spr.DataDoc, ltrim(" BASELINE_NO_DOT("spr.NumDoc") ", '0') AS NumDoc, "
                          BASELINE_NO_DOT("spr.numDocPart") " AS numDocPart, spr.NumBuhSpr, spr.idPredpr, pred.globalcode, spr.mes"
                          BASELINE_SPR_FROM
                          " GROUP BY spr.NSF, spr.DataDoc, 4, 5, spr.NumBuhSpr, spr.idPredpr, pred.globalcode, spr.mes)");
            BindPeriod(sums, unn);
            sums.Run();
            db.Exec("CREATE INDEX temp.spr_sums_k ON spr_sums (k)");
            Stmt ins(db, "INSERT INTO inv_prov SELECT inv.Fullname, inv.documentType, inv.invStatus, inv.dateTransaction,"
                         " ifnull(inv.docNumber, spr.NumDoc), ifnull(inv.docDate, spr.DataDoc), spr.Summ, inv.totalVat, inv.totalCost,"
                         " inv.totalCostVat, ?5, spr.NumBuhSpr, ifnull(spr.idPredpr, inv.idSender),"
                         " CASE WHEN substr(ifnull(spr.globalcode, inv.globalcode), -1) = '*' THEN NULL"
                         "  ELSE CAST(ifnull(spr.globalcode, inv.globalcode) AS INTEGER) END, spr.numDocPart, spr.mes"
                         " FROM (" BASELINE_INV_COLS
                         " WHERE inv.sv = 1 AND inv.documentType IN (1, 4)"
                         "  AND (inv.dateTransaction BETWEEN ?6 AND ?7 OR doc.docDate BETWEEN ?6 AND ?7)"
                         " UNION " BASELINE_INV_COLS
                         " LEFT JOIN invoices invorg ON invorg.idSender = inv.idSender"
                         "  AND CAST(substr(inv.invoice, 11, 4) AS INTEGER) = invorg.compilingYear"
                         "  AND CAST(substr(inv.invoice, 16, 10) AS INTEGER) = invorg.number"
                         " LEFT JOIN documents docorg ON docorg.idSender = invorg.idSender AND docorg.compilingYear = invorg.compilingYear"
                         "  AND docorg.number = invorg.number"
                         " WHERE inv.sv = 1 AND inv.documentType IN (2, 3)"
                         "  AND (inv.dateTransaction BETWEEN ?6 AND ?7 OR doc.docDate BETWEEN ?6 AND ?7"
                         "   OR invorg.dateTransaction BETWEEN ?6 AND ?7 OR docorg.docDate BETWEEN ?6 AND ?7)"
                         ") inv FULL JOIN spr_sums spr ON inv.Fullname = spr.k"
                         " WHERE inv.dateTransaction BETWEEN ?1 AND ?2 OR inv.dateTransaction IS NULL"
                         "  OR (inv.dateTransaction NOT BETWEEN ?1 AND ?2 AND spr.Summ IS NOT NULL)"
                         " ORDER BY inv.Fullname");
            ins.Text(1, DateText(FModel.FirstDate));
            ins.Text(2, DateText(FModel.SecondDate));
            ins.Int(5, dopUnn);
            ins.Text(6, DateText(FModel.FirstDate.addMonths(-1)));
            ins.Text(7, DateText(FModel.SecondDate.addMonths(1)));
            ins.Run();
        }
        {
            Clock c(t.CopyLedger);
            Stmt q(db, "SELECT spr.Summ, spr.DataDoc, ltrim(" BASELINE_NO_DOT("spr.NumDoc") ", '0') AS NumDoc, "
                       BASELINE_NO_DOT("spr.numDocPart") " AS numDocPart, spr.mes, spr.NumBuhSpr, pred.globalcode, ?5 AS dopUNN, spr.NSF"
                       BASELINE_SPR_FROM);
            BindPeriod(q, unn);
            sqlite3_bind_int64(*q, 5, dopUnn);
            Stmt ins(FSvod, "INSERT INTO svod_prov (numbuhspr, mes, datadoc, numdoc, numdocpart, summ, globalcode, filial, NSF)"
                            " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
            InTransaction(FSvod, [&] {
                while (q.Step()) {
                    // missing texts go as "", dates as day 0, amounts and the branch as 0
                    CopyText(ins, 1, q, 5);
                    CopyDate(ins, 2, q, 4);
                    CopyDate(ins, 3, q, 1);
                    CopyText(ins, 4, q, 2);
                    CopyText(ins, 5, q, 3);
                    sqlite3_bind_int64(*ins, 6, sqlite3_column_int64(*q, 0));
                    sqlite3_bind_value(*ins, 7, sqlite3_column_value(*q, 6));
                    sqlite3_bind_int64(*ins, 8, sqlite3_column_int64(*q, 7));
                    CopyText(ins, 9, q, 8);
                    ins.Run();
                }
            });
        }
        {
            Clock c(t.CopyDuples);
            Stmt q(db, "SELECT main.mes, main.NumBuhSpr, main.docNumber, main.docDate, main.sprSum, esf.NumBuhSpr AS numBuhinv,"
                       " esf.fullName, esf.totalVat, pr.namePredpr, main.dopUnn"
                       " FROM inv_prov main"
                       " JOIN (SELECT docNumber, sprSum, idPredpr FROM inv_prov GROUP BY docNumber, sprSum, idPredpr HAVING COUNT(*) > 1) dup"
                       "  ON main.docNumber = dup.docNumber AND main.sprSum = dup.sprSum AND main.idPredpr = dup.idPredpr"
                       " LEFT JOIN inv_prov esf ON main.docNumber = esf.docNumber AND main.sprSum = esf.sprSum"
                       "  AND main.idPredpr = esf.idPredpr AND esf.fullName IS NOT NULL"
                       " LEFT JOIN tbPredpr pr ON main.idPredpr = pr.idPredpr"
                       " WHERE main.fullName IS NULL AND esf.fullName IS NOT NULL"
                       " ORDER BY main.docNumber, main.fullName");
            Stmt ins(FSvod, "INSERT INTO svod_duples (mes, numbuhdup, docnumberdup, docdatedup, sumdup, numbuhsv, invfullname,"
                            " invtotalvat, namepredpr, dopUNN) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
            InTransaction(FSvod, [&] {
                while (q.Step()) {
                    CopyDate(ins, 1, q, 0);
                    CopyText(ins, 2, q, 1);
                    CopyText(ins, 3, q, 2);
                    CopyDate(ins, 4, q, 3);
                    sqlite3_bind_int64(*ins, 5, sqlite3_column_int64(*q, 4));
                    CopyText(ins, 6, q, 5);
                    CopyText(ins, 7, q, 6);
                    sqlite3_bind_int64(*ins, 8, sqlite3_column_int64(*q, 7));
                    CopyText(ins, 9, q, 8);
                    sqlite3_bind_int64(*ins, 10, sqlite3_column_int64(*q, 9));
                    ins.Run();
                }
            });
        }
        {
            Clock c(t.CopyInvoices);
            Stmt q(db, "SELECT globalcode, fullName, dateTrans, invStatus, sprSum, totalVat, totalCost, totalCostVat, Svplace, NumBuhSpr,"
                       " NumDocPart, docNumber, docDate, dopUnn FROM ("
                       "SELECT fullName, dateTrans, invStatus, docNumber, docDate, sprSum, totalVat, totalCost, totalCostVat, dopUnn,"
                       " NumBuhSpr, globalcode, NULL AS Svplace, NumDocPart FROM inv_prov WHERE fullName IS NULL"
                       " UNION ALL SELECT fullName, dateTrans, invStatus, docNumber, docDate, sprSum, totalVat, totalCost, totalCostVat,"
                       " dopUnn, NumBuhSpr, globalcode, 'С', NumDocPart FROM inv_prov WHERE fullName IS NOT NULL) ORDER BY fullName");
            Stmt ins(FSvod, "INSERT INTO svod_inv (idPredpr, invoicefullname, datetrans, status, ndsspr, ndsinvoice, totalcostinv,"
                            " totalcostvatinv, svplace, numbuhspr, numdocpart, docnumber, docdate, filial)"
                            " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)");
            InTransaction(FSvod, [&] {
                while (q.Step()) {
                    for (int i = 0; i < 14; ++i) sqlite3_bind_value(*ins, i + 1, sqlite3_column_value(*q, i));
                    ins.Run();
                }
            });
        }
    }

    static void CopyText(Stmt& ins, int to, Stmt& q, int from)
    {
        if (sqlite3_column_type(*q, from) == SQLITE_NULL)
            sqlite3_bind_text(*ins, to, "", 0, SQLITE_STATIC);
        else
            sqlite3_bind_value(*ins, to, sqlite3_column_value(*q, from));
    }
    static void CopyDate(Stmt& ins, int to, Stmt& q, int from)
    {
        if (sqlite3_column_type(*q, from) == SQLITE_NULL)
            sqlite3_bind_text(*ins, to, "1899-12-30 00:00:00.000", -1, SQLITE_STATIC);
        else
            sqlite3_bind_value(*ins, to, sqlite3_column_value(*q, from));
    }

    static int64_t Sum(Db& db, const char* sql)
    {
        Stmt q(db, sql);
        return q.Step() ? sqlite3_column_int64(*q, 0) : 0;
    }

    void Summary(TResult& r)
    {
        TTimes& t = r.Times;
        std::vector<Row> result;
        {
            Clock c(t.Comparison);
            FSvod.Exec("DROP TABLE IF EXISTS temp.duples;"
                       "CREATE TEMP TABLE duples (invoicefullname TEXT COLLATE CI);"
                       "INSERT INTO duples SELECT invoicefullname FROM svod_inv WHERE invoicefullname IS NOT NULL"
                       " GROUP BY invoicefullname HAVING COUNT(invoicefullname) > 1");
            Stmt q(FSvod,
                   "SELECT ifnull(inv.idPredpr, exc.idPredpr) AS idPredpr, ifnull(inv.invoicefullname, exc.invoicefullname) AS invoicefullname,"
                   " ifnull(inv.datetrans, exc.datetrans) AS datetrans, ifnull(inv.status, exc.status) AS status, exc.recipientname,"
                   " exc.signerfio,"
                   " ifnull(pred.UNN || CASE WHEN pred.dopUNN > 1 THEN ' ' || pred.dopUNN ELSE '' END || ' - ' || pred.namePredpr,"
                   "  ifnull(excpred.UNN || CASE WHEN excpred.dopUNN > 1 THEN ' ' || excpred.dopUNN ELSE '' END || ' - ' || excpred.namePredpr,"
                   "  exc.namePredpr)) AS namepredpr,"
                   " ifnull(inv.docnumber, exc.docnumber) AS docnumber, ifnull(inv.docdate, exc.docdate) AS docdate,"
                   " CASE WHEN ?1 = 1 THEN exc.ndsexcel ELSE CASE WHEN cze.idRecord IS NULL THEN exc.ndsexcel ELSE 0 END END AS ndsexcel,"
                   " inv.ndsspr, inv.ndsinvoice, ifnull(inv.totalcostinv, exc.totalcostinv) AS totalcostinv,"
                   " ifnull(inv.totalcostvatinv, exc.totalcostvatinv) AS totalcostvatinv,"
                   " ifnull(ifnull(inv.filial, csig.filial), exc.dopunn) AS filial, ifnull(inv.svplace, exc.svplace) AS svplace,"
                   " inv.numbuhspr, inv.numdocpart"
                   " FROM svod_inv inv FULL JOIN svexceltmp exc ON inv.invoicefullname = exc.invoicefullname"
                   " LEFT JOIN tbPredpr pred ON inv.idPredpr = pred.idPredpr"
                   " LEFT JOIN tbPredpr excpred ON exc.idPredpr = excpred.idPredpr"
                   " LEFT JOIN DararedSigners csig ON exc.signerfio = csig.fio"
                   " LEFT JOIN duples dup ON dup.invoicefullname = ifnull(inv.invoicefullname, exc.invoicefullname) AND inv.ndsspr IS NULL"
                   " LEFT JOIN DararedZeroExclude cze ON exc.invoicefullname = cze.invoice"
                   "  AND ifnull(ifnull(inv.filial, csig.filial), exc.dopunn) = cze.filial"
                   " WHERE dup.invoicefullname IS NULL"
                   " ORDER BY namepredpr COLLATE CI, invoicefullname COLLATE CI");
            sqlite3_bind_int64(*q, 1, FModel.Options.Filial.isEmpty() ? 0 : 1);
            result = ReadAll(q);
            FSvod.Exec("DROP TABLE temp.duples");
        }
        Stmt duplesQ(FSvod, "SELECT * FROM svod_duples");
        const std::vector<Row> duples = ReadAll(duplesQ);
        {
            Clock c(t.OpenAndSort);
            // each key folded once, then a stable sort on the folded keys
            struct Key {
                std::string name, invoice;
                size_t row;
            };
            std::vector<Key> keys(result.size());
            for (size_t i = 0; i < result.size(); ++i) keys[i] = {Folded(result[i][6]), Folded(result[i][1]), i};
            std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
                const int k = a.name.compare(b.name);
                return k ? k < 0 : a.invoice < b.invoice;
            });
            std::vector<Row> table;
            table.reserve(result.size());
            for (const Key& k : keys) table.push_back(std::move(result[k.row]));
            r.ComparisonRows = int64_t(table.size());
        }
        {
            Clock c(t.DuplesAndTotals);
            Stmt oblpo(FSvod, "SELECT inv.idPredpr, inv.invoicefullname, inv.datetrans, inv.status, pred.namePredpr, inv.docnumber,"
                              " inv.docdate, inv.ndsspr, inv.ndsinvoice, inv.totalcostinv, inv.totalcostvatinv, inv.filial, inv.numbuhspr,"
                              " inv.numdocpart"
                              " FROM svod_inv inv LEFT JOIN tbPredpr pred ON inv.idPredpr = pred.idPredpr"
                              " JOIN (SELECT invoicefullname, docnumber, docdate, ndsspr, ndsinvoice FROM svod_inv"
                              "  WHERE ndsspr IS NOT NULL AND ndsinvoice IS NOT NULL"
                              "  GROUP BY invoicefullname, docnumber, docdate, ndsspr, ndsinvoice HAVING COUNT(*) > 1) dup"
                              "  ON ifnull(inv.invoicefullname, '') = ifnull(dup.invoicefullname, '') COLLATE CI"
                              "  AND ifnull(inv.docnumber, '') = ifnull(dup.docnumber, '') COLLATE CI AND ifnull(inv.docdate, '') = ifnull(dup.docdate, '')"
                              "  AND inv.ndsspr = dup.ndsspr AND inv.ndsinvoice = dup.ndsinvoice"
                              " ORDER BY inv.invoicefullname");
            r.Duples = int64_t(ReadAll(oblpo).size());
            Stmt numbers(FSvod, "SELECT datetrans, invoicefullname, filial FROM svod_inv WHERE invoicefullname IN"
                                " (SELECT invoicefullname FROM svod_inv WHERE invoicefullname IS NOT NULL GROUP BY invoicefullname"
                                "  HAVING COUNT(invoicefullname) > 1) ORDER BY datetrans, invoicefullname");
            r.Duples += int64_t(ReadAll(numbers).size());
            r.ExcSum = Sum(FSvod, "SELECT SUM(exc.ndsexcel) FROM svexceltmp exc LEFT JOIN DararedSigners csig ON exc.signerfio = csig.fio");
            r.SprSum = Sum(FSvod, "SELECT SUM(summ) FROM svod_prov");
        }
        r.Duples += int64_t(duples.size());
    }

    // Lower-case code points as UTF-8 without trailing blanks (byte order is code point order);
    // a missing value sorts first.
    static std::string Folded(const Cell& c)
    {
        const auto* s = std::get_if<std::string>(&c);
        if (!s) return std::string();
        std::string out(1, '\x01');
        auto p = reinterpret_cast<const unsigned char*>(s->data());
        const unsigned char* end = p + s->size();
        while (end > p && end[-1] == ' ') --end;
        while (p < end) {
            const uint32_t u = NextCodePoint(p, end);
            if (u < 0x80) out += char(u);
            else if (u < 0x800) { out += char(0xC0 | (u >> 6)); out += char(0x80 | (u & 0x3F)); }
            else if (u < 0x10000) { out += char(0xE0 | (u >> 12)); out += char(0x80 | ((u >> 6) & 0x3F)); out += char(0x80 | (u & 0x3F)); }
            else { out += char(0xF0 | (u >> 18)); out += char(0x80 | ((u >> 12) & 0x3F)); out += char(0x80 | ((u >> 6) & 0x3F)); out += char(0x80 | (u & 0x3F)); }
        }
        return out;
    }

    const demo::TDemoModel& FModel;
    QString FRoot;
    Db FSvod;
};

}  // namespace baseline
