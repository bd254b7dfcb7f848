// The embedded engine: a folder of SQLite files, one per catalog, run with SQL Server
// semantics through the translator and the registered functions.
#include "SqliteFunctions.h"
#include "platform/rtl/Guards.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStringEncoder>
#include <chrono>
#include <sqlite3.h>

namespace sqlimpl {

namespace {

// SQLite counts every allocation under one process-wide lock unless told not to; nothing here
// reads those counts. Must run before the library initialises, hence at start-up.
const int g_noMemStatus = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);

// How one parameter of a compiled statement is bound, worked out at its first binding: the
// names stay as they are for the statement's life, so a run looks nothing up by text.
struct BindSlot {
    enum Kind { None, Var, Named, Positional } kind = None;
    QString name;                           // variable: lower-cased with "@"; parameter: without ":"
    size_t index = 0;                       // positional number, or where the named one stood last
    const ParamTarget* target = nullptr;    // conversion to the column it goes to
    QByteArray bytes;                       // the text or decimal bound last, reused (see bind)
};
using BindPlan = std::vector<BindSlot>;     // by parameter number - 1

struct Node {
    const Step* step = nullptr;
    Translation tr;
    int ver = -1;
    std::vector<sqlite3_stmt*> stmts;
    std::vector<sqlite3_stmt*> pre;   // fill the statement's work tables (Translation::refresh)
    std::vector<std::pair<sqlite3_stmt*, BindPlan>> plans;   // of the statements above
    std::vector<Node> thenN, elseN;
    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    Node(Node&& o) noexcept { *this = std::move(o); }
    Node& operator=(Node&& o) noexcept
    {
        step = o.step; tr = std::move(o.tr); ver = o.ver; stmts = std::move(o.stmts); pre = std::move(o.pre);
        plans = std::move(o.plans);
        thenN = std::move(o.thenN); elseN = std::move(o.elseN);
        o.stmts.clear();
        o.pre.clear();
        return *this;
    }
    ~Node() { finalize(); }
    void finalize()
    {
        for (sqlite3_stmt* s : stmts) sqlite3_finalize(s);
        stmts.clear();
        for (sqlite3_stmt* s : pre) sqlite3_finalize(s);
        pre.clear();
        plans.clear();
    }
    BindPlan* plan(sqlite3_stmt* st)
    {
        for (auto& [k, p] : plans)
            if (k == st) return &p;
        return nullptr;
    }
};

struct Program {
    std::vector<Token> toks;
    std::vector<Step> steps;
    std::vector<Node> nodes;
};

void build(const std::vector<Step>& steps, std::vector<Node>& out)
{
    for (const Step& s : steps) {
        Node n;
        n.step = &s;
        build(s.thenSteps, n.thenN);
        build(s.elseSteps, n.elseN);
        out.push_back(std::move(n));
    }
}

struct VarSlot {
    TSqlTypeInfo type;
    sqlite3_value* val = nullptr;
};

struct RunCtx {
    QHash<QString, VarSlot> vars;   // lower-cased names
    // The caller's parameters: a run that ends within the call reads them where they are; a
    // row set that outlives the call keeps its own copy (see keepParams).
    const TSqlParams* params = &ownParams;
    TSqlParams ownParams;
    int64_t rows = 0;
    int tranAtStart = 0;
    QStringList tableVars;
    RunCtx() = default;
    RunCtx(const RunCtx&) = delete;
    RunCtx& operator=(const RunCtx&) = delete;
    ~RunCtx()
    {
        // read-only: walking a QHash for writing makes an empty one allocate
        for (const auto& v : std::as_const(vars)) sqlite3_value_free(v.val);
    }
    void keepParams(const TSqlParams& p)
    {
        ownParams = p;
        params = &ownParams;
    }
};

QString lowerName(const QString& s) { return s.toLower(); }

// ---- Variant <-> storage

double timeStampToDate(const TSQLTimeStamp& ts)
{
    return double(DaysFromCivil(ts.Year, ts.Month, ts.Day)) + (ts.Hour * 3600000.0 + ts.Minute * 60000.0 + ts.Second * 1000.0 + ts.Fractions) / 86400000.0;
}

V variantToV(const Variant& v)
{
    V r;
    switch (v.VarType() & varTypeMask) {
    case varEmpty: case varNull: return r;
    case varBoolean: r.k = V::Int; r.i = v.AsBoolean() ? 1 : 0; return r;
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord: case varInt64:
        r.k = V::Int; r.i = v.AsInt64(); return r;
    case varUInt64: {
        uint64_t u = v.AsUInt64();
        if (u > uint64_t(INT64_MAX)) { r.k = V::Dec; r.d.c = i128(u); }
        else { r.k = V::Int; r.i = int64_t(u); }
        return r;
    }
    case varSingle: case varDouble: r.k = V::Real; r.r = v.AsDouble(); return r;
    case varCurrency: r.k = V::Dec; r.d.c = v.AsCurrency().Value; r.d.scale = 4; return r;
    case varDate: r.k = V::Text; r.s = DateToCanon(v.AsDateTime()); return r;
    case varSQLTimeStamp: r.k = V::Text; r.s = DateToCanon(timeStampToDate(v.AsSQLTimeStamp())); return r;
    case varFMTBcd: r.k = V::Dec; r.d = BcdToDec(v.AsBcd()); return r;
    case varOleStr: case varString: case varUString: r.k = V::Text; r.s = v.AsString(); return r;
    default:
        throw ESqlError(QStringLiteral("A parameter value of Variant type %1 cannot be sent to the database.").arg(int(v.VarType())));
    }
}

QString columnText(sqlite3_stmt* st, int i)
{
    const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    return QString::fromUtf8(p, sqlite3_column_bytes(st, i));
}

// The column's value without the general value form on the usual paths (text as text,
// canonical dates, exact decimals); anything else goes through it.
Variant toVariant(sqlite3_stmt* st, int i, const TSqlColumn& c)
{
    int type = sqlite3_column_type(st, i);
    if (type == SQLITE_NULL) return Variant::Null();
    using T = TSqlDataType;
    auto asV = [&] { return ValueOf(sqlite3_column_value(st, i)); };
    switch (c.Type) {
    case T::Bit: return Variant(type == SQLITE_INTEGER ? sqlite3_column_int64(st, i) != 0 : ToInt64(asV(), T::Bit) != 0);
    case T::TinyInt: return Variant::FromByte(uint8_t(type == SQLITE_INTEGER ? sqlite3_column_int(st, i) : ToInt64(asV(), T::TinyInt)));
    case T::SmallInt: return Variant::FromSmallint(int16_t(type == SQLITE_INTEGER ? sqlite3_column_int(st, i) : ToInt64(asV(), T::SmallInt)));
    case T::Int: return Variant(int(type == SQLITE_INTEGER ? sqlite3_column_int(st, i) : ToInt64(asV(), T::Int)));
    case T::BigInt: return Variant((long long)(type == SQLITE_INTEGER ? sqlite3_column_int64(st, i) : ToInt64(asV(), T::BigInt)));
    case T::Decimal: {
        Dec d = type == SQLITE_BLOB && IsDecBlob(sqlite3_column_blob(st, i), sqlite3_column_bytes(st, i))
                    ? DecFromBlob(sqlite3_column_blob(st, i), sqlite3_column_bytes(st, i))
                    : ToDec(asV());
        return Variant(DecToBcd(d, std::max(c.Scale, d.scale)));   // never drop places the value has
    }
    case T::Money: {
        const Dec d = type == SQLITE_BLOB && IsDecBlob(sqlite3_column_blob(st, i), sqlite3_column_bytes(st, i))
                          ? DecFromBlob(sqlite3_column_blob(st, i), sqlite3_column_bytes(st, i))
                          : ToDec(asV());
        Dec raw;
        if (!DecRescale(d, 4, raw) || raw.c > INT64_MAX || raw.c < INT64_MIN)
            throw ESqlError(QStringLiteral("Arithmetic overflow error converting numeric to data type money."), 8115);
        return Variant(Currency::FromRaw(int64_t(raw.c)));
    }
    case T::Float: return Variant(type == SQLITE_FLOAT ? sqlite3_column_double(st, i) : ToReal(asV()));
    case T::Char: case T::VarChar: return Variant::FromString(type == SQLITE_TEXT ? columnText(st, i) : ToText(asV()));
    case T::NChar: case T::NVarChar: return Variant::FromOleStr(type == SQLITE_TEXT ? columnText(st, i) : ToText(asV()));
    case T::DateTime: case T::SmallDateTime: case T::Date: {
        if (type == SQLITE_TEXT) {
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            double canon;
            if (CanonBytesToDate(p, sqlite3_column_bytes(st, i), canon)) return Variant::FromDate(canon);
        }
        V v = asV();
        double dt = v.k == V::Text ? 0 : ToDate(v, QStringLiteral("ymd"));
        if (v.k == V::Text && !CanonToDate(v.s, dt)) return Variant::FromString(v.s);
        return Variant::FromDate(dt);
    }
    case T::Binary: {
        QByteArray b(static_cast<const char*>(sqlite3_column_blob(st, i)), sqlite3_column_bytes(st, i));
        return Variant::FromString(QString::fromLatin1(b.toHex()));
    }
    default: break;
    }
    V v = asV();
    switch (v.k) {
    case V::Int: return (v.i >= INT32_MIN && v.i <= INT32_MAX) ? Variant(int(v.i)) : Variant((long long)v.i);
    case V::Real: return Variant(v.r);
    case V::Dec: return Variant(DecToBcd(v.d, v.d.scale));
    case V::Text: return Variant(v.s);
    case V::Blob: return Variant::FromString(QString::fromLatin1(v.b.toHex()));
    default: return Variant::Null();
    }
}

void refineColumn(sqlite3_stmt* st, int i, TSqlColumn& c)
{
    if (c.Type != TSqlDataType::Unknown) return;
    if (const char* decl = sqlite3_column_decltype(st, i)) {
        TSqlTypeInfo t = ParseTypeName(QString::fromUtf8(decl));
        if (t.Type != TSqlDataType::Unknown) { c.Type = t.Type; c.Size = t.Size; c.Precision = t.Precision; c.Scale = t.Scale; return; }
    }
    V v = ValueOf(sqlite3_column_value(st, i));
    switch (v.k) {
    case V::Int: c.Type = TSqlDataType::BigInt; break;
    case V::Real: c.Type = TSqlDataType::Float; break;
    case V::Dec: c.Type = TSqlDataType::Decimal; c.Precision = 38; c.Scale = 0; break;
    case V::Text: {
        double dt;
        if (v.s.size() == 23 && CanonToDate(v.s, dt) && v.s[10] == u' ') c.Type = TSqlDataType::DateTime;
        else c.Type = TSqlDataType::VarChar;
        break;
    }
    default: break;
    }
}

// ---- the session

class SqliteSession;

class SqliteResult : public TSqlResult {
public:
    SqliteResult(std::shared_ptr<TSqlSession::Link> link, std::shared_ptr<Program> prog, std::shared_ptr<RunCtx> ctx, Node* node,
                 sqlite3_stmt* st, size_t nextTop, bool hasRow);
    ~SqliteResult() override;
    bool Next(std::vector<Variant>& row) override;
private:
    void finish();
    std::shared_ptr<TSqlSession::Link> FLink;
    std::shared_ptr<Program> FProg;
    std::shared_ptr<RunCtx> FCtx;
    Node* FNode;
    sqlite3_stmt* FStmt;
    size_t FNextTop;
    bool FPending;   // the first row is already stepped
    bool FDone = false;
};

class SqliteCommand;

class SqliteSession : public TSqlSession, public SchemaProvider, public FunctionHost {
public:
    explicit SqliteSession(const TSqlConnectionInfo& info);
    ~SqliteSession() override;

    std::unique_ptr<TSqlCommand> Prepare(const QString& sql) override;
    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;
    bool InTransaction() const override { return !sqlite3_get_autocommit(FDb); }
    QString ProviderName() const override { return QStringLiteral("SQLite"); }

    // SchemaProvider
    bool TableColumns(const QString& schema, const QString& table, std::vector<TSqlColumn>& cols) override;
    QString CatalogSchema(const QString& catalog) override;
    bool VariableType(const QString& name, TSqlTypeInfo& t) override;
    TSqlTypeInfo ParamType(const QString& name) override;
    bool HasIndexOn(const QString& schema, const QString& table, const QString& column, const QString& collation) override;
    // FunctionHost
    const QString& DateFormat() const override { return FDateFormat; }
    int TranCount() const override { return FTranCount; }
    double StatementTime() const override;
    bool ScopeIdentity(int64_t& Value) const override { Value = FScopeIdentity; return FHasScopeIdentity; }
    bool LastIdentity(int64_t& Value) const override { Value = FLastIdentity; return FHasLastIdentity; }
    // After an INSERT ran: a table with an identity column gave the values, one without
    // leaves SCOPE_IDENTITY() as it was and makes @@IDENTITY NULL.
    void noteInsert(const Translation& tr, int64_t rows);
    int64_t FScopeIdentity = 0, FLastIdentity = 0;
    bool FHasScopeIdentity = false, FHasLastIdentity = false;
    // a statement starts: its GETDATE() is read when it first asks
    void stampStatement() { FStatementTime = 0; }

    // the server's nesting count: only the outermost BEGIN and COMMIT reach SQLite
    void beginTran();
    void commitTran();
    void rollbackTran();
    // after a failed batch: the transactions it opened are rolled back, the caller's stay
    void endFailedBatch(const RunCtx& ctx);

    [[noreturn]] void fail(int rc, const QString& context = QString());
    void exec(const QString& sql);
    void upgradeDecimals(const QString& schema);
    void startDeadline(int seconds);
    void stopDeadline() { FDeadlineOn = false; }

    // runs steps; returns true when it stopped at a row set (out: node, statement)
    bool runNodes(Program& prog, std::vector<Node>& nodes, size_t from, RunCtx& ctx, bool wantRows, Node** outNode, sqlite3_stmt** outSt, size_t* outNext, bool& hasRow);
    void runRest(Program& prog, size_t from, RunCtx& ctx);
    void cleanup(RunCtx& ctx);
    bool stepRow(sqlite3_stmt* st);   // raises on error

    sqlite3* FDb = nullptr;
    int FTranCount = 0;
    mutable double FStatementTime = 0;
    QString FDateFormat = QStringLiteral("dmy");
    int FVersion = 0;
    QString FFolder, FCatalog;
    QHash<QString, QString> FCatalogs;   // lower catalog -> schema
    QHash<QString, std::vector<TSqlColumn>> FColCache;
    RunCtx* FCtx = nullptr;              // the batch being translated
    bool FDeadlineOn = false;
    std::chrono::steady_clock::time_point FDeadline;
    QStringEncoder FUtf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};

private:
    void translate(Node& n, RunCtx& ctx, Program& prog);
    static BindPlan planBinding(sqlite3_stmt* st, const Translation& tr);
    // binds the batch's variables and the caller's parameters; with the node, the plan of
    // each of its statements is kept for the next run, and texts and decimals are bound from
    // the plan's own buffers instead of copies (not for a statement lent to a row set, which
    // may outlive the plan)
    void bind(sqlite3_stmt* st, RunCtx& ctx, const Translation& tr, Node* node, bool lent = false);
    void runNode(Node& n, RunCtx& ctx, Program& prog);
    sqlite3_value* evalScalar(Node& n, RunCtx& ctx, Program& prog);
};

SqliteSession* liveSession(const std::shared_ptr<TSqlSession::Link>& link)
{
    if (!link->Session) throw ESqlError(QStringLiteral("The connection is closed."));
    return static_cast<SqliteSession*>(link->Session);
}

class SqliteCommand : public TSqlCommand {
public:
    SqliteCommand(SqliteSession* s, const QString& sql) : FLink(s->SessionLink())
    {
        FProg = std::make_shared<Program>();
        FProg->toks = Tokenize(sql);
        FProg->steps = SplitBatch(FProg->toks);
        build(FProg->steps, FProg->nodes);
    }
    ~SqliteCommand() override
    {
        std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
        FProg.reset();
    }
    int64_t Execute(const TSqlParams& params) override
    {
        std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
        SqliteSession* FSession = liveSession(FLink);
        RunCtx ctx;
        ctx.params = &params;
        ctx.tranAtStart = FSession->FTranCount;
        FSession->startDeadline(FTimeout);
        {
            auto cleanup = Finally([&] { FSession->cleanup(ctx); });
            auto failed = OnFailure([&] { FSession->endFailedBatch(ctx); });
            auto deadline = Finally([&] { FSession->stopDeadline(); });
            FSession->runRest(*FProg, 0, ctx);
        }
        return ctx.rows;
    }
    std::unique_ptr<TSqlResult> Open(const TSqlParams& params) override
    {
        std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
        SqliteSession* FSession = liveSession(FLink);
        auto ctx = std::make_shared<RunCtx>();
        ctx->keepParams(params);
        ctx->tranAtStart = FSession->FTranCount;
        FSession->startDeadline(FTimeout);
        Node* node = nullptr;
        sqlite3_stmt* st = nullptr;
        size_t next = 0;
        bool hasRow = false;
        bool found;
        {
            auto undo = OnFailure([&] {
                FSession->stopDeadline();
                FSession->endFailedBatch(*ctx);
                FSession->cleanup(*ctx);
            });
            found = FSession->runNodes(*FProg, FProg->nodes, 0, *ctx, true, &node, &st, &next, hasRow);
        }
        FSession->stopDeadline();
        if (!found) {
            FSession->cleanup(*ctx);
            throw ESqlError(QStringLiteral("The command did not return a row set."));
        }
        return std::make_unique<SqliteResult>(FLink, FProg, ctx, node, st, next, hasRow);
    }
private:
    std::shared_ptr<TSqlSession::Link> FLink;
    std::shared_ptr<Program> FProg;
};

// ---------------------------------------------------------------- session

int progress(void* p)
{
    auto* s = static_cast<SqliteSession*>(p);
    return s->FDeadlineOn && std::chrono::steady_clock::now() > s->FDeadline ? 1 : 0;
}

SqliteSession::SqliteSession(const TSqlConnectionInfo& info)
{
    QDir dir(info.DataSource);
    if (!dir.exists()) throw ESqlError(QStringLiteral("The database folder '%1' does not exist.").arg(info.DataSource));
    FFolder = dir.absolutePath();
    FCatalog = info.Catalog;
    QStringList files = dir.entryList({QStringLiteral("*.sqlite")}, QDir::Files, QDir::Name);
    QString mainFile;
    for (const QString& f : files)
        if (QFileInfo(f).completeBaseName().compare(info.Catalog, Qt::CaseInsensitive) == 0) mainFile = f;
    if (info.Catalog.isEmpty()) throw ESqlError(QStringLiteral("No catalog is given in the connection string."));
    if (mainFile.isEmpty()) {
        QString create = info.Values.value(QStringLiteral("create catalog"));
        if (create.compare(QLatin1String("true"), Qt::CaseInsensitive) != 0)
            throw ESqlError(QStringLiteral("Cannot open database \"%1\" requested by the login. The login failed.").arg(info.Catalog));
        mainFile = info.Catalog + QStringLiteral(".sqlite");
    }
    QByteArray path = dir.absoluteFilePath(mainFile).toUtf8();
    // every use of the connection holds the session's lock (commands, results and their
    // destruction included), so SQLite's own lock around each call would only be paid twice
    int rc = sqlite3_open_v2(path.constData(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        QString msg = FDb ? QString::fromUtf8(sqlite3_errmsg(FDb)) : QStringLiteral("out of memory");
        if (FDb) sqlite3_close(FDb);
        FDb = nullptr;
        throw ESqlError(QStringLiteral("Cannot open database \"%1\": %2").arg(info.Catalog, msg));
    }
    sqlite3_extended_result_codes(FDb, 1);
    // SQLite's Bloom filters on join keys hash text by its bytes, not by its collation:
    // a join on text would lose the pairs that differ only in case or trailing blanks
    constexpr unsigned kBloomFilter = 0x00080000, kBloomPulldown = 0x00100000;   // SQLITE_BloomFilter, SQLITE_BloomPulldown
    sqlite3_test_control(SQLITE_TESTCTRL_OPTIMIZATIONS, FDb, kBloomFilter | kBloomPulldown);
    sqlite3_busy_timeout(FDb, 30000);
    RegisterFunctions(FDb, this);
    sqlite3_progress_handler(FDb, 2000, progress, this);
    auto undo = OnFailure([&] {
        sqlite3_close(FDb);
        FDb = nullptr;
    });
    exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
    FCatalogs.insert(info.Catalog.toLower(), QStringLiteral("main"));
    // sibling catalogs, reachable by three-part names
    int attached = 0;
    for (const QString& f : files) {
        if (f == mainFile || attached >= 9) continue;
        QString cat = QFileInfo(f).completeBaseName();
        QString schema = cat.toLower();
        if (FCatalogs.contains(schema)) continue;
        QString p = dir.absoluteFilePath(f);
        p.replace(u'\'', QLatin1String("''"));
        exec(QStringLiteral("ATTACH DATABASE '%1' AS %2").arg(p, QuoteId(schema)));
        FCatalogs.insert(schema, schema);
        ++attached;
    }
    for (const QString& schema : FCatalogs) upgradeDecimals(schema);
}

// Catalogs of earlier builds hold decimals in an 18-byte form that does not order against
// the present one: they are rewritten once, and user_version 1 marks the catalog as done.
void SqliteSession::upgradeDecimals(const QString& schema)
{
    const QString s = QuoteId(schema);
    auto column = [&](const QString& sql, int col) {
        QStringList out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(FDb, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col)));
        sqlite3_finalize(st);
        return out;
    };
    if (sqlite3_db_readonly(FDb, schema.toUtf8().constData()) == 1) return;   // read as it is
    if (column(QStringLiteral("PRAGMA %1.user_version").arg(s), 0).value(0).toInt() >= 1) return;
    exec(QStringLiteral("BEGIN"));
    auto rollback = OnFailure([&] { sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr); });
    for (const QString& table : column(QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'").arg(s), 0)) {
        const QString t = s + u'.' + QuoteId(table);
        const QStringList names = column(QStringLiteral("PRAGMA %1.table_info(%2)").arg(s, QuoteId(table)), 1);
        const QStringList types = column(QStringLiteral("PRAGMA %1.table_info(%2)").arg(s, QuoteId(table)), 2);
        for (int i = 0; i < names.size() && i < types.size(); ++i)
            if (ParseTypeName(types[i]).IsExact())
                exec(QStringLiteral("UPDATE %1 SET %2 = tsql_decform(%2) WHERE typeof(%2) = 'blob' AND length(%2) = 18 AND substr(%2, 1, 1) = X'44'")
                         .arg(t, QuoteId(names[i])));
    }
    exec(QStringLiteral("PRAGMA %1.user_version = 1").arg(s));
    exec(QStringLiteral("COMMIT"));
}

SqliteSession::~SqliteSession()
{
    std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
    Unlink();
    if (FDb) sqlite3_close_v2(FDb);   // statements still held by commands finish closing it
}

void SqliteSession::fail(int rc, const QString& context)
{
    QString msg = QString::fromUtf8(sqlite3_errmsg(FDb));
    int ext = sqlite3_extended_errcode(FDb);
    if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY) {
        QString obj = msg.section(u':', 1).trimmed().section(u'.', 0, 0);
        throw ESqlError(QStringLiteral("Violation of %1 constraint. Cannot insert duplicate key in object 'dbo.%2'. (%3)")
                            .arg(ext == SQLITE_CONSTRAINT_PRIMARYKEY ? QStringLiteral("PRIMARY KEY") : QStringLiteral("UNIQUE KEY"), obj, msg),
                        2627);
    }
    if (ext == SQLITE_CONSTRAINT_NOTNULL) {
        QString col = msg.section(u':', 1).trimmed();
        throw ESqlError(QStringLiteral("Cannot insert the value NULL into column '%1'; column does not allow nulls. INSERT fails.").arg(col), 515);
    }
    if (rc == SQLITE_INTERRUPT || ext == SQLITE_INTERRUPT) throw ESqlError(QStringLiteral("Query timeout expired"), -2);
    if (!context.isEmpty() && qEnvironmentVariableIsSet("DOVRELIN_SQL_TRACE")) msg += QStringLiteral("\n") + context;
    throw ESqlError(msg, rc);
}

void SqliteSession::exec(const QString& sql)
{
    char* err = nullptr;
    int rc = sqlite3_exec(FDb, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (err) sqlite3_free(err);
    if (rc != SQLITE_OK) fail(rc, sql);
}

void SqliteSession::startDeadline(int seconds)
{
    FDeadlineOn = seconds > 0;
    FDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
}

std::unique_ptr<TSqlCommand> SqliteSession::Prepare(const QString& sql)
{
    std::lock_guard<std::recursive_mutex> g(Mutex());
    return std::make_unique<SqliteCommand>(this, sql);
}

void SqliteSession::BeginTrans()
{
    std::lock_guard<std::recursive_mutex> g(Mutex());
    beginTran();
}

void SqliteSession::CommitTrans()
{
    std::lock_guard<std::recursive_mutex> g(Mutex());
    commitTran();
}

void SqliteSession::RollbackTrans()
{
    std::lock_guard<std::recursive_mutex> g(Mutex());
    rollbackTran();
}

void SqliteSession::beginTran()
{
    if (sqlite3_get_autocommit(FDb)) {
        exec(QStringLiteral("BEGIN"));
        FTranCount = 0;
    }
    ++FTranCount;
}

void SqliteSession::commitTran()
{
    if (sqlite3_get_autocommit(FDb)) FTranCount = 0;   // SQLite rolled it back by itself
    if (FTranCount == 0)
        throw ESqlError(QStringLiteral("The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."), 3902);
    if (FTranCount == 1) exec(QStringLiteral("COMMIT"));
    --FTranCount;
}

void SqliteSession::rollbackTran()
{
    if (sqlite3_get_autocommit(FDb)) FTranCount = 0;
    if (FTranCount == 0)
        throw ESqlError(QStringLiteral("The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION."), 3903);
    FTranCount = 0;
    exec(QStringLiteral("ROLLBACK"));
}

void SqliteSession::endFailedBatch(const RunCtx& ctx)
{
    if (sqlite3_get_autocommit(FDb)) { FTranCount = 0; return; }
    if (FTranCount <= ctx.tranAtStart) return;
    if (ctx.tranAtStart == 0) {
        FTranCount = 0;
        try { exec(QStringLiteral("ROLLBACK")); } catch (...) {}
    } else FTranCount = ctx.tranAtStart;
}

void SqliteSession::noteInsert(const Translation& tr, int64_t rows)
{
    if (tr.insertKind == Translation::PlainInsert) {
        FHasLastIdentity = false;
    } else if (tr.insertKind == Translation::IdentityInsert && rows > 0) {
        FScopeIdentity = FLastIdentity = sqlite3_last_insert_rowid(FDb);
        FHasScopeIdentity = FHasLastIdentity = true;
    }
}

double SqliteSession::StatementTime() const
{
    if (FStatementTime == 0) {
        const QDateTime now = QDateTime::currentDateTime();
        const QDate d = now.date();
        FStatementTime = double(DaysFromCivil(d.year(), d.month(), d.day())) + now.time().msecsSinceStartOfDay() / 86400000.0;
    }
    return FStatementTime;
}

bool SqliteSession::HasIndexOn(const QString& schema, const QString& table, const QString& column, const QString& collation)
{
    sqlite3_stmt* st = nullptr;
    const char* sql = "SELECT 1 FROM pragma_index_list(?1, ?2) AS il JOIN pragma_index_xinfo(il.name, ?2) AS ix"
                      " WHERE ix.seqno = 0 AND ix.name = ?3 COLLATE NOCASE AND ix.coll = ?4 COLLATE NOCASE";
    if (sqlite3_prepare_v2(FDb, sql, -1, &st, nullptr) != SQLITE_OK) { sqlite3_finalize(st); return false; }
    const QByteArray t = table.toUtf8(), s = (schema.isEmpty() ? QStringLiteral("main") : schema).toUtf8(), c = column.toUtf8(),
                     k = collation.toUtf8();
    sqlite3_bind_text(st, 1, t.constData(), t.size(), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, s.constData(), s.size(), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 3, c.constData(), c.size(), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 4, k.constData(), k.size(), SQLITE_TRANSIENT);
    const bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    return found;
}

bool SqliteSession::TableColumns(const QString& schema, const QString& table, std::vector<TSqlColumn>& cols)
{
    QString key = schema.toLower() + u'.' + table.toLower();
    auto it = FColCache.find(key);
    if (it != FColCache.end()) { cols = *it; return !cols.empty(); }
    cols.clear();
    QString sql = QStringLiteral("PRAGMA %1.table_info(%2)").arg(QuoteId(schema), QuoteId(table));
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(FDb, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) { sqlite3_finalize(st); return false; }
    while (sqlite3_step(st) == SQLITE_ROW) {
        TSqlColumn c;
        c.Name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        QString decl = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
        TSqlTypeInfo t = ParseTypeName(decl);
        c.Type = t.Type; c.Size = t.Size; c.Precision = t.Precision; c.Scale = t.Scale;
        c.Nullable = sqlite3_column_int(st, 3) == 0;
        c.BaseTable = table;
        c.BaseColumn = c.Name;
        c.Key = sqlite3_column_int(st, 5) > 0;
        if (sqlite3_column_int(st, 5) == 1 && decl.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0) {
            c.AutoIncrement = true;
            c.Nullable = false;
        }
        cols.push_back(c);
    }
    sqlite3_finalize(st);
    FColCache.insert(key, cols);
    return !cols.empty();
}

QString SqliteSession::CatalogSchema(const QString& catalog)
{
    auto it = FCatalogs.find(catalog.toLower());
    if (it == FCatalogs.end())
        throw ESqlError(QStringLiteral("Database '%1' does not exist. Make sure that the name is entered correctly.").arg(catalog), 911);
    return *it;
}

bool SqliteSession::VariableType(const QString& name, TSqlTypeInfo& t)
{
    if (!FCtx) return false;
    auto it = FCtx->vars.find(lowerName(name));
    if (it == FCtx->vars.end()) return false;
    t = it->type;
    return true;
}

TSqlTypeInfo SqliteSession::ParamType(const QString& name)
{
    if (!FCtx) return {};
    if (name.startsWith(QLatin1String("__p"))) {
        size_t k = size_t(name.mid(3).toInt());
        const TSqlParams& ps = *FCtx->params;
        if (k < ps.size()) return {ps[k].Type, ps[k].Size, ps[k].Precision, ps[k].Scale};
        return {};
    }
    for (const TSqlParam& p : *FCtx->params)
        if (p.Name.compare(name, Qt::CaseInsensitive) == 0) return {p.Type, p.Size, p.Precision, p.Scale};
    return {};
}

void SqliteSession::translate(Node& n, RunCtx& ctx, Program& prog)
{
    if (n.ver == FVersion && (!n.stmts.empty() || n.tr.sql.contains(kStmtSeparator))) return;
    n.finalize();
    FCtx = &ctx;
    const Step& s = *n.step;
    int qm = 0;
    for (int i = 0; i < s.begin && i < int(prog.toks.size()); ++i)
        if (prog.toks[i].kind == Token::QMark) ++qm;
    {
        auto cleanup = Finally([&] { FCtx = nullptr; });
        switch (s.kind) {
        case Step::If: n.tr = TranslateCondition(*this, prog.toks, s.begin, s.end, &qm); break;
        case Step::SetVar: {
            auto it = ctx.vars.find(lowerName(s.var));
            if (it == ctx.vars.end()) throw ESqlError(QStringLiteral("Must declare the scalar variable \"%1\".").arg(s.var));
            n.tr = TranslateValue(*this, prog.toks, s.begin, s.end, it->type, &qm);
            break;
        }
        case Step::Declare: {
            if (s.isTable) {
                std::vector<Token> t;
                Token k; k.kind = Token::Ident; k.text = QStringLiteral("CREATE"); t.push_back(k);
                k.text = QStringLiteral("TABLE"); t.push_back(k);
                k.kind = Token::Var; k.text = s.var; t.push_back(k);
                t.insert(t.end(), prog.toks.begin() + s.begin, prog.toks.begin() + s.end);
                n.tr = Translate(*this, t, 0, int(t.size()), &qm);
            } else {
                n.tr = TranslateValue(*this, prog.toks, s.initBegin, s.initEnd, s.type, &qm);
            }
            break;
        }
        default: n.tr = Translate(*this, prog.toks, s.begin, s.end, &qm); break;
        }
    }
    for (const QString& q : n.tr.setup) exec(q);
    for (const QString& q : n.tr.refresh) {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v3(FDb, q.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
        if (rc != SQLITE_OK) { sqlite3_finalize(st); fail(rc, q); }
        n.pre.push_back(st);
    }
    n.ver = FVersion;
    if (n.tr.sql.contains(kStmtSeparator)) return;   // run part by part, see runNodes
    QByteArray sql = n.tr.sql.toUtf8();
    const char* tail = sql.constData();
    const char* end = tail + sql.size();
    while (tail < end) {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v3(FDb, tail, int(end - tail), SQLITE_PREPARE_PERSISTENT, &st, &tail);
        if (rc != SQLITE_OK) { sqlite3_finalize(st); fail(rc, n.tr.sql); }
        if (st) n.stmts.push_back(st);
        while (tail < end && (*tail == ';' || *tail == ' ' || *tail == '\n')) ++tail;
    }
    n.ver = FVersion;
}

namespace {

// A parameter's name as SQLite reports it against a name the caller gave, without case and
// without making strings (names are ASCII almost always).
bool sameName(const QString& given, const QString& name)
{
    return given.size() == name.size() && (given == name || given.compare(name, Qt::CaseInsensitive) == 0);
}

}  // namespace

BindPlan SqliteSession::planBinding(sqlite3_stmt* st, const Translation& tr)
{
    BindPlan plan(size_t(sqlite3_bind_parameter_count(st)));
    for (size_t i = 0; i < plan.size(); ++i) {
        const char* raw = sqlite3_bind_parameter_name(st, int(i + 1));
        if (!raw) continue;
        BindSlot& slot = plan[i];
        const QString name = QString::fromUtf8(raw);
        if (name.startsWith(u'@')) {
            slot.kind = BindSlot::Var;
            slot.name = lowerName(name);
            continue;
        }
        slot.name = name.mid(1);
        if (slot.name.startsWith(QLatin1String("__p"))) {
            slot.kind = BindSlot::Positional;
            slot.index = size_t(slot.name.mid(3).toInt());
        } else {
            slot.kind = BindSlot::Named;
            slot.index = i;   // parameters usually come in the order of the text
        }
        auto t = tr.paramTargets.constFind(name);
        if (t != tr.paramTargets.constEnd()) slot.target = &t.value();
    }
    return plan;
}

void SqliteSession::bind(sqlite3_stmt* st, RunCtx& ctx, const Translation& tr, Node* node, bool lent)
{
    sqlite3_reset(st);
    BindPlan local;
    BindPlan* plan = node ? node->plan(st) : nullptr;
    if (!plan) {
        local = planBinding(st, tr);
        if (node) {
            node->plans.emplace_back(st, std::move(local));
            plan = &node->plans.back().second;
        } else
            plan = &local;
    }
    const bool keep = node && !lent;
    for (size_t k = 0; k < plan->size(); ++k) {
        BindSlot& slot = (*plan)[k];
        const int i = int(k + 1);
        int rc = SQLITE_OK;
        if (slot.kind == BindSlot::None) continue;
        if (slot.kind == BindSlot::Var) {
            auto it = ctx.vars.constFind(slot.name);
            if (it == ctx.vars.constEnd()) throw ESqlError(QStringLiteral("Must declare the scalar variable \"%1\".").arg(QString::fromUtf8(sqlite3_bind_parameter_name(st, i))));
            rc = it->val ? sqlite3_bind_value(st, i, it->val) : sqlite3_bind_null(st, i);
            if (rc != SQLITE_OK) fail(rc);
            continue;
        }
        const TSqlParam* p = nullptr;
        const TSqlParams& params = *ctx.params;
        if (slot.kind == BindSlot::Positional) {
            if (slot.index < params.size()) p = &params[slot.index];
            else throw ESqlError(QStringLiteral("No value given for one or more required parameters."));
        } else {
            if (slot.index < params.size() && sameName(params[slot.index].Name, slot.name)) p = &params[slot.index];
            else
                for (size_t j = 0; j < params.size(); ++j)
                    if (sameName(params[j].Name, slot.name)) {
                        p = &params[j];
                        slot.index = j;
                        break;
                    }
            if (!p) throw ESqlError(QStringLiteral("Parameter '%1' has no value.").arg(slot.name));
        }
        V v = variantToV(p->Value);
        if (p->Type == TSqlDataType::Decimal && p->Precision == 0 && v.k != V::Null) {
            Dec d = ToDec(v);   // no declared precision: the value keeps its places
            v = V();
            v.k = V::Dec;
            v.d = d;
        } else if (p->Type != TSqlDataType::Unknown && v.k != V::Null)
            v = Convert(v, {p->Type, p->Size, p->Precision, p->Scale}, false, FDateFormat);
        if (slot.target && v.k != V::Null) v = Convert(v, slot.target->type, slot.target->assign, FDateFormat);
        switch (v.k) {
        case V::Null: rc = sqlite3_bind_null(st, i); break;
        case V::Int: rc = sqlite3_bind_int64(st, i, v.i); break;
        case V::Real: rc = sqlite3_bind_double(st, i, v.r); break;
        case V::Text:
            if (keep) {
                // encoded into the slot's buffer, which SQLite reads in place until the next bind
                QByteArray& b = slot.bytes;
                b.resize(FUtf8.requiredSpace(v.s.size()));
                char* end = FUtf8.appendToBuffer(b.data(), v.s);
                rc = sqlite3_bind_text(st, i, b.constData(), int(end - b.constData()), SQLITE_STATIC);
            } else {
                QByteArray u = v.s.toUtf8();
                rc = sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
            }
            break;
        case V::Dec:
            if (keep) {
                QByteArray& b = slot.bytes;
                b.resize(kDecBlobMax);
                rc = sqlite3_bind_blob(st, i, b.constData(), DecToBytes(v.d, b.data()), SQLITE_STATIC);
            } else {
                char b[kDecBlobMax];
                rc = sqlite3_bind_blob(st, i, b, DecToBytes(v.d, b), SQLITE_TRANSIENT);
            }
            break;
        case V::Blob: rc = sqlite3_bind_blob(st, i, v.b.constData(), int(v.b.size()), SQLITE_TRANSIENT); break;
        }
        if (rc != SQLITE_OK) fail(rc);
    }
}

bool SqliteSession::stepRow(sqlite3_stmt* st)
{
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(st);
    fail(rc, QString::fromUtf8(sqlite3_sql(st)));
}

sqlite3_value* SqliteSession::evalScalar(Node& n, RunCtx& ctx, Program& prog)
{
    translate(n, ctx, prog);
    sqlite3_stmt* st = n.stmts.at(0);
    bind(st, ctx, n.tr, &n);
    sqlite3_value* v = nullptr;
    if (stepRow(st)) v = sqlite3_value_dup(sqlite3_column_value(st, 0));
    sqlite3_reset(st);
    return v;
}

void SqliteSession::runNode(Node& n, RunCtx& ctx, Program& prog)
{
    const Step& s = *n.step;
    switch (s.kind) {
    case Step::Noop: return;
    case Step::Option:
        if (s.option == QLatin1String("DATEFORMAT")) {
            QString f = s.value.toLower();
            static const QStringList ok = {"dmy", "mdy", "ymd", "ydm", "myd", "dym"};
            if (!ok.contains(f)) throw ESqlError(QStringLiteral("'%1' is not a valid DATEFORMAT.").arg(s.value));
            FDateFormat = f;
        }
        return;   // NOCOUNT, ANSI_* and the like change nothing here
    case Step::Begin: beginTran(); return;
    case Step::Commit: commitTran(); return;
    case Step::Rollback: rollbackTran(); return;
    case Step::Declare: {
        if (s.isTable) {
            exec(QStringLiteral("DROP TABLE IF EXISTS temp.%1").arg(QuoteId(s.var)));
            ++FVersion;
            FColCache.clear();
            translate(n, ctx, prog);
            for (sqlite3_stmt* st : n.stmts) { bind(st, ctx, n.tr, &n); while (stepRow(st)) {} sqlite3_reset(st); }
            ++FVersion;
            FColCache.clear();
            ctx.tableVars << s.var;
            return;
        }
        VarSlot slot;
        slot.type = s.type;
        QString key = lowerName(s.var);
        if (ctx.vars.contains(key)) throw ESqlError(QStringLiteral("The variable name '%1' has already been declared.").arg(s.var));
        ctx.vars.insert(key, slot);
        if (s.initBegin >= 0) ctx.vars[key].val = evalScalar(n, ctx, prog);
        return;
    }
    case Step::SetVar: {
        sqlite3_value* v = evalScalar(n, ctx, prog);
        VarSlot& slot = ctx.vars[lowerName(s.var)];
        sqlite3_value_free(slot.val);
        slot.val = v;
        return;
    }
    default: break;
    }
}

bool SqliteSession::runNodes(Program& prog, std::vector<Node>& nodes, size_t from, RunCtx& ctx, bool wantRows, Node** outNode,
                             sqlite3_stmt** outSt, size_t* outNext, bool& hasRow)
{
    for (size_t i = from; i < nodes.size(); ++i) {
        Node& n = nodes[i];
        const Step& s = *n.step;
        if (s.kind == Step::Block) {
            size_t dummy;
            if (runNodes(prog, n.thenN, 0, ctx, wantRows, outNode, outSt, &dummy, hasRow)) { if (outNext) *outNext = i + 1; return true; }
            continue;
        }
        if (s.kind == Step::If) {
            stampStatement();
            sqlite3_value* v = evalScalar(n, ctx, prog);
            bool cond = v && sqlite3_value_int(v) != 0;
            sqlite3_value_free(v);
            size_t dummy;
            if (runNodes(prog, cond ? n.thenN : n.elseN, 0, ctx, wantRows, outNode, outSt, &dummy, hasRow)) { if (outNext) *outNext = i + 1; return true; }
            continue;
        }
        stampStatement();
        if (s.kind != Step::Stmt) { runNode(n, ctx, prog); continue; }
        translate(n, ctx, prog);
        // again on every run: a rolled-back transaction takes tables it created with it
        if (!n.pre.empty())
            for (const QString& q : n.tr.setup) exec(q);
        for (sqlite3_stmt* st : n.pre) {
            bind(st, ctx, n.tr, &n);
            while (stepRow(st)) {}
            sqlite3_reset(st);
        }
        if (n.tr.returnsRows && wantRows) {
            sqlite3_stmt* st = n.stmts.at(0);
            n.stmts.erase(n.stmts.begin());   // the result owns it while open
            n.ver = -1;
            {
                auto undo = OnFailure([&] { sqlite3_finalize(st); });
                bind(st, ctx, n.tr, &n, true);
                hasRow = stepRow(st);
            }
            *outNode = &n;
            *outSt = st;
            if (outNext) *outNext = i + 1;
            return true;
        }
        if (!n.tr.assignVars.empty()) {
            sqlite3_stmt* st = n.stmts.at(0);
            bind(st, ctx, n.tr, &n);
            while (stepRow(st)) {
                for (size_t c = 0; c < n.tr.assignVars.size(); ++c) {
                    VarSlot& slot = ctx.vars[lowerName(n.tr.assignVars[c])];
                    sqlite3_value_free(slot.val);
                    slot.val = sqlite3_value_dup(sqlite3_column_value(st, int(c)));
                }
            }
            sqlite3_reset(st);
            continue;
        }
        if (n.stmts.empty()) {
            for (const QString& part : n.tr.sql.split(kStmtSeparator)) {
                sqlite3_stmt* st = nullptr;
                int rc = sqlite3_prepare_v2(FDb, part.toUtf8().constData(), -1, &st, nullptr);
                if (rc != SQLITE_OK) { sqlite3_finalize(st); fail(rc, part); }
                {
                    auto undo = OnFailure([&] { sqlite3_finalize(st); });
                    bind(st, ctx, n.tr, nullptr);
                    while (stepRow(st)) {}
                }
                ctx.rows = sqlite3_changes64(FDb);
                sqlite3_finalize(st);
            }
            noteInsert(n.tr, ctx.rows);
        }
        for (sqlite3_stmt* st : n.stmts) {
            bind(st, ctx, n.tr, &n);
            while (stepRow(st)) {}
            if (!n.tr.returnsRows && !n.tr.changesSchema) ctx.rows = sqlite3_changes64(FDb);
            noteInsert(n.tr, sqlite3_changes64(FDb));
            sqlite3_reset(st);
        }
        if (n.tr.changesSchema) {
            ++FVersion;
            FColCache.clear();
            n.ver = -1;
        }
    }
    return false;
}

void SqliteSession::runRest(Program& prog, size_t from, RunCtx& ctx)
{
    Node* node = nullptr;
    sqlite3_stmt* st = nullptr;
    bool hasRow = false;
    runNodes(prog, prog.nodes, from, ctx, false, &node, &st, nullptr, hasRow);
}

void SqliteSession::cleanup(RunCtx& ctx)
{
    for (const QString& t : ctx.tableVars) {
        try { exec(QStringLiteral("DROP TABLE IF EXISTS temp.%1").arg(QuoteId(t))); } catch (...) {}
    }
    if (!ctx.tableVars.isEmpty()) { ++FVersion; FColCache.clear(); }
    ctx.tableVars.clear();
}

// ---------------------------------------------------------------- results

SqliteResult::SqliteResult(std::shared_ptr<TSqlSession::Link> link, std::shared_ptr<Program> prog, std::shared_ptr<RunCtx> ctx,
                           Node* node, sqlite3_stmt* st, size_t nextTop, bool hasRow)
    : FLink(std::move(link)), FProg(std::move(prog)), FCtx(std::move(ctx)), FNode(node), FStmt(st), FNextTop(nextTop), FPending(hasRow)
{
    FColumns = node->tr.columns;
    int n = sqlite3_column_count(st);
    FColumns.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        if (hasRow) refineColumn(st, i, FColumns[size_t(i)]);
        else if (FColumns[size_t(i)].Type == TSqlDataType::Unknown) {
            refineColumn(st, i, FColumns[size_t(i)]);
            if (FColumns[size_t(i)].Type == TSqlDataType::Unknown) FColumns[size_t(i)].Type = TSqlDataType::VarChar;
        }
    }
    if (!hasRow) finish();
}

SqliteResult::~SqliteResult()
{
    std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
    // the batch's statements may be released here, with the last holder: under the lock
    auto release = Finally([&] {
        FProg.reset();
        FCtx.reset();
    });
    if (!FLink->Session) {
        // the session is gone: only the statement is left to release
        if (!FDone) sqlite3_finalize(FStmt);
        return;
    }
    try { finish(); } catch (...) {}
}

void SqliteResult::finish()
{
    if (FDone) return;
    FDone = true;
    SqliteSession* FSession = liveSession(FLink);
    sqlite3_reset(FStmt);
    // give the statement back for the next run unless the node was re-prepared meanwhile
    if (FNode->stmts.empty() && FNode->ver == -1) {
        FNode->stmts.push_back(FStmt);
        FNode->ver = FSession->FVersion;
    } else sqlite3_finalize(FStmt);
    FStmt = nullptr;
    auto cleanup = Finally([&] { FSession->cleanup(*FCtx); });
    auto failed = OnFailure([&] { FSession->endFailedBatch(*FCtx); });
    FSession->runRest(*FProg, FNextTop, *FCtx);
}

bool SqliteResult::Next(std::vector<Variant>& row)
{
    std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
    if (FDone) return false;
    SqliteSession* FSession = liveSession(FLink);
    if (!FPending) {
        if (!FSession->stepRow(FStmt)) { finish(); return false; }
    }
    FPending = false;
    row.resize(FColumns.size());
    for (size_t i = 0; i < FColumns.size(); ++i) row[i] = toVariant(FStmt, int(i), FColumns[i]);
    return true;
}

} // namespace

} // namespace sqlimpl

std::unique_ptr<TSqlSession> CreateSqliteSession(const TSqlConnectionInfo& info)
{
    return std::make_unique<sqlimpl::SqliteSession>(info);
}
