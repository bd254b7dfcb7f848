// The SQL engine under the data-access classes: one session per connection, running the
// data module's T-SQL batches either on embedded SQLite (a data source that names a folder)
// or on SQL Server through unixODBC + FreeTDS (anything else).
//
// On SQLite, SQL Server semantics are kept (see SqlInternal.h for the storage forms): text
// compares without case and trailing blanks, decimal/numeric/money are exact (stored as
// scaled 128-bit integers, summed and computed by the engine's own functions), date-times
// are one canonical text, "+" concatenates text, ISNULL takes the type of its first
// argument, casts are strict, "#temp" tables and the DATEFORMAT setting belong to the
// session, variables to the batch.
//
// Typical use by a query component:
//   auto s = TSqlSession::Connect("Provider=SQLOLEDB.1;...;Initial Catalog=maindatabase;Data Source=/data");
//   auto cmd = s->Prepare("INSERT INTO #t(a, b) VALUES (:a, :b)");   // reuse for many rows
//   cmd->Execute({{"a", 1}, {"b", "x"}});
//   auto r = s->Open("SELECT a, b FROM #t", {});
//   std::vector<Variant> row; while (r->Next(row)) { ... }
// Every call takes the session's lock, so the UI thread and one job thread may share it.
// Commands and results may outlive their session: once it is destroyed they raise
// "The connection is closed." (results of a SQL Server session must be read to their end,
// or destroyed, before the next statement runs on that session).
#pragma once

#include "platform/rtl/Variants.h"

#include <QMap>
#include <memory>
#include <mutex>
#include <vector>

// SQL Server column types as the engine reports them. The field type a dataset should
// make of each: Bit->Boolean, TinyInt->Word, SmallInt->Smallint, Int->Integer,
// BigInt->Largeint, Decimal->FMTBcd (BCD when precision <= 18 and scale <= 4 suits),
// Money->Currency, Float->Float, Char/VarChar->String, NChar/NVarChar->WideString,
// DateTime/SmallDateTime/Date->DateTime, Binary->Bytes.
enum class TSqlDataType : int {
    Unknown = 0, Bit, TinyInt, SmallInt, Int, BigInt, Decimal, Money, Float,
    Char, VarChar, NChar, NVarChar, DateTime, SmallDateTime, Date, Binary
};

struct TSqlTypeInfo {
    TSqlDataType Type = TSqlDataType::Unknown;
    int Size = 0;        // characters for text types (0: unknown or max)
    int Precision = 0;   // decimal digits
    int Scale = 0;       // decimal places
    bool IsText() const;
    bool IsInteger() const;   // Bit..BigInt
    bool IsExact() const;     // Decimal, Money
    bool IsNumeric() const;   // integers, exact, Float
    bool IsDate() const;
    QString SqlName() const;  // "decimal(18, 3)", "varchar(25)", ...
};

struct TSqlColumn {
    QString Name;
    TSqlDataType Type = TSqlDataType::Unknown;
    int Size = 0;
    int Precision = 0;
    int Scale = 0;
    bool Nullable = true;
    bool AutoIncrement = false;
    // Where a plain column of a result comes from (empty for computed ones), so that a
    // dataset can write a changed row back: table as named in the statement, its column,
    // and whether that column belongs to the table's key.
    QString BaseTable;
    QString BaseColumn;
    bool Key = false;
    TSqlTypeInfo TypeInfo() const { return {Type, Size, Precision, Scale}; }
};

// A parameter: named (":name" in the text, matched without case) or positional ("?",
// Name empty, in order). Type is an optional hint (what the query's parameter declares);
// the value is converted to it before binding. Null and Empty bind NULL.
struct TSqlParam {
    QString Name;
    Variant Value;
    TSqlDataType Type = TSqlDataType::Unknown;
    int Size = 0;
    int Precision = 0;
    int Scale = 0;
    TSqlParam() = default;
    TSqlParam(const QString& name, const Variant& value, TSqlDataType type = TSqlDataType::Unknown)
        : Name(name), Value(value), Type(type) {}
    TSqlParam(const char* name, const Variant& value, TSqlDataType type = TSqlDataType::Unknown)
        : Name(QString::fromUtf8(name)), Value(value), Type(type) {}
};
using TSqlParams = std::vector<TSqlParam>;

// Any error of the engine or the server; Message() is the engine's own text
// (constraint violations contain "duplicate key").
class ESqlError : public Exception {
public:
    explicit ESqlError(const QString& msg, int nativeError = 0)
        : Exception(msg), NativeError(nativeError) {}
    int NativeError = 0;
};

// A streaming row set. Next fills `row` with one Variant per column (Null for NULL):
// Bit->Boolean, TinyInt->Byte, SmallInt->Smallint, Int->Integer, BigInt->Int64,
// Decimal->FMTBcd (with the column's scale), Money->Currency, Float->Double,
// text->String/OleStr, dates->Date. Rows are read from the engine one at a time.
class TSqlResult {
public:
    virtual ~TSqlResult() = default;
    const std::vector<TSqlColumn>& Columns() const { return FColumns; }
    int FieldIndex(const QString& name) const;   // -1 when absent; case-insensitive
    virtual bool Next(std::vector<Variant>& row) = 0;
    // Reads every remaining row; convenient for small results and tests.
    std::vector<std::vector<Variant>> FetchAll();
protected:
    std::vector<TSqlColumn> FColumns;
};

// A batch compiled once and run many times (parameters rebound on each run).
class TSqlCommand {
public:
    virtual ~TSqlCommand() = default;
    // Runs the batch; returns the rows affected by its last data-changing statement.
    virtual int64_t Execute(const TSqlParams& params = {}) = 0;
    // Runs the batch up to its first row-returning SELECT and streams that row set; the
    // statements after it run when the result is exhausted or destroyed.
    virtual std::unique_ptr<TSqlResult> Open(const TSqlParams& params = {}) = 0;
    void SetTimeout(int seconds) { FTimeout = seconds; }   // 0: none
    int Timeout() const { return FTimeout; }
protected:
    int FTimeout = 30;
};

// Connection-string keys (case-insensitive) and what the engine makes of them.
// "Data Source" names the server (optionally "host,port") or, for the embedded engine, a
// folder holding "<catalog>.sqlite" per catalog; "Initial Catalog" the database; "User ID"
// and "Password" the login. The embedded engine also takes "Create Catalog=True" to create
// a missing catalog file (demo and test set-up); without it a missing catalog is an error.
struct TSqlConnectionInfo {
    QMap<QString, QString> Values;   // keys lower-cased
    QString Provider, DataSource, Catalog, UserId, Password;
    int Port = 1433;
    QString Driver = QStringLiteral("FreeTDS");   // a registered ODBC driver name or the driver library's path
    static TSqlConnectionInfo Parse(const QString& connectionString);
    // A data source naming a folder (an existing directory, or an absolute or
    // relative path) selects the embedded engine; anything else is a server name.
    bool IsFolder() const;
    // DSN-less ODBC string for the FreeTDS driver: server, port 1433 unless given as
    // "host,port", catalog, login, TDS 7.4, UTF-8.
    QString OdbcConnectionString() const;
};

class TSqlSession {
public:
    virtual ~TSqlSession() = default;
    // Opens a session for an OLE DB style connection string; the provider follows the
    // data source. Errors (unreachable server, missing folder) raise ESqlError.
    static std::unique_ptr<TSqlSession> Connect(const QString& connectionString);

    virtual std::unique_ptr<TSqlCommand> Prepare(const QString& sql) = 0;
    int64_t Execute(const QString& sql, const TSqlParams& params = {}, int timeout = 30);
    std::unique_ptr<TSqlResult> Open(const QString& sql, const TSqlParams& params = {}, int timeout = 30);

    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void RollbackTrans() = 0;
    virtual bool InTransaction() const = 0;
    virtual QString ProviderName() const = 0;   // "SQLite" or "ODBC"

    // Held by every call of the session, its commands and results.
    std::recursive_mutex& Mutex() const { return FLink->Mutex; }

    // What commands and results keep of their session: its lock, and the session itself
    // until it is destroyed (then they raise "The connection is closed.").
    struct Link {
        std::recursive_mutex Mutex;
        TSqlSession* Session = nullptr;
    };
    std::shared_ptr<Link> SessionLink() const { return FLink; }
protected:
    TSqlSession() { FLink->Session = this; }
    void Unlink()
    {
        std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
        FLink->Session = nullptr;
    }
    std::shared_ptr<Link> FLink = std::make_shared<Link>();
};

// Sessions of each provider (used by Connect; exposed for tests).
std::unique_ptr<TSqlSession> CreateSqliteSession(const TSqlConnectionInfo& info);
std::unique_ptr<TSqlSession> CreateOdbcSession(const TSqlConnectionInfo& info);
