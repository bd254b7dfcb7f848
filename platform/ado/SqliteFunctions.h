// Registered SQLite functions and the runtime value conversions they share with the session.
#pragma once

#include "SqlInternal.h"

struct sqlite3;
struct sqlite3_value;
struct sqlite3_context;

namespace sqlimpl {

// A value as SQLite holds it, with exact decimals recognised.
struct V {
    enum K { Null, Int, Real, Text, Dec, Blob } k = Null;
    int64_t i = 0;
    double r = 0;
    QString s;
    sqlimpl::Dec d;
    QByteArray b;
};

// What the functions need of their session.
class FunctionHost {
public:
    virtual ~FunctionHost() = default;
    virtual const QString& DateFormat() const = 0;   // "dmy", "mdy", ...
    virtual int TranCount() const = 0;               // @@TRANCOUNT
    virtual double StatementTime() const = 0;        // GETDATE() of the running statement
    // SCOPE_IDENTITY() and @@IDENTITY; False for NULL.
    virtual bool ScopeIdentity(int64_t& Value) const = 0;
    virtual bool LastIdentity(int64_t& Value) const = 0;
};

V ValueOf(sqlite3_value* v);
void SetResult(sqlite3_context* ctx, const V& v);
int64_t ToInt64(const V& v, TSqlDataType to);
Dec ToDec(const V& v);
double ToReal(const V& v);
QString ToText(const V& v);
double ToDate(const V& v, const QString& dateFormat);
// Converts as an assignment (assign: too long text is an error) or a CAST (text cut).
V Convert(const V& v, const TSqlTypeInfo& t, bool assign, const QString& dateFormat);
int TsqlCompare(int n1, const void* a, int n2, const void* b);
void RegisterFunctions(sqlite3* db, FunctionHost* host);

} // namespace sqlimpl
