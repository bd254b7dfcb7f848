// SQL Server through unixODBC and the FreeTDS driver: the T-SQL text goes to the server
// unchanged, ":name" parameters become "?" markers.
#include "SqlInternal.h"

#include <sql.h>
#include <sqlext.h>
#include <cmath>
#include <QFileInfo>

namespace {

using namespace sqlimpl;

QString diagnostics(SQLSMALLINT type, SQLHANDLE h)
{
    QStringList out;
    for (SQLSMALLINT i = 1; i < 10; ++i) {
        SQLWCHAR state[6] = {}, text[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT len = 0;
        SQLRETURN rc = SQLGetDiagRecW(type, h, i, state, &native, text, SQLSMALLINT(std::size(text)), &len);
        if (!SQL_SUCCEEDED(rc)) break;
        QString msg = QString::fromUtf16(reinterpret_cast<const char16_t*>(text), std::min<int>(len, 1023));
        // drop the driver's "[FreeTDS][SQL Server]" prefixes: callers look at the server's text
        while (msg.startsWith(u'[')) {
            int close = msg.indexOf(u']');
            if (close < 0) break;
            msg = msg.mid(close + 1);
        }
        out << msg.trimmed();
    }
    return out.isEmpty() ? QStringLiteral("Unknown ODBC error") : out.join(u'\n');
}

[[noreturn]] void raise(SQLSMALLINT type, SQLHANDLE h, const QString& prefix = QString())
{
    throw ESqlError(prefix + diagnostics(type, h));
}

// ":name" outside strings, brackets and comments become "?"; returns the names in order
QString markers(const QString& sql, QStringList& names)
{
    QString out;
    int n = sql.size();
    for (int i = 0; i < n;) {
        QChar c = sql[i];
        if (c == u'\'' || c == u'[' || c == u'"') {
            QChar close = c == u'[' ? u']' : c;
            int j = i + 1;
            while (j < n) {
                if (sql[j] == close) {
                    if (j + 1 < n && sql[j + 1] == close) { j += 2; continue; }
                    break;
                }
                ++j;
            }
            out += sql.mid(i, j + 1 - i);
            i = j + 1;
            continue;
        }
        if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            int j = sql.indexOf(u'\n', i);
            if (j < 0) j = n;
            out += sql.mid(i, j - i);
            i = j;
            continue;
        }
        if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            int j = sql.indexOf(QLatin1String("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            out += sql.mid(i, j - i);
            i = j;
            continue;
        }
        if (c == u':' && i + 1 < n && (sql[i + 1].isLetter() || sql[i + 1] == u'_') && (i == 0 || sql[i - 1] != u':')) {
            int j = i + 1;
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'_')) ++j;
            names << sql.mid(i + 1, j - i - 1);
            out += u'?';
            i = j;
            continue;
        }
        if (c == u'?') names << QString();
        out += c;
        ++i;
    }
    return out;
}

TSqlDataType mapType(SQLSMALLINT t, SQLULEN size, SQLSMALLINT scale)
{
    switch (t) {
    case SQL_BIT: return TSqlDataType::Bit;
    case SQL_TINYINT: return TSqlDataType::TinyInt;
    case SQL_SMALLINT: return TSqlDataType::SmallInt;
    case SQL_INTEGER: return TSqlDataType::Int;
    case SQL_BIGINT: return TSqlDataType::BigInt;
    case SQL_DECIMAL: case SQL_NUMERIC:
        // money reports as decimal(19,4)
        return (size == 19 || size == 10) && scale == 4 ? TSqlDataType::Money : TSqlDataType::Decimal;
    case SQL_FLOAT: case SQL_REAL: case SQL_DOUBLE: return TSqlDataType::Float;
    case SQL_CHAR: return TSqlDataType::Char;
    case SQL_VARCHAR: case SQL_LONGVARCHAR: return TSqlDataType::VarChar;
    case SQL_WCHAR: return TSqlDataType::NChar;
    case SQL_WVARCHAR: case SQL_WLONGVARCHAR: return TSqlDataType::NVarChar;
    case SQL_TYPE_DATE: return TSqlDataType::Date;
    case SQL_TYPE_TIMESTAMP: case SQL_DATETIME: return TSqlDataType::DateTime;
    case SQL_BINARY: case SQL_VARBINARY: case SQL_LONGVARBINARY: return TSqlDataType::Binary;
    default: return TSqlDataType::VarChar;
    }
}

class OdbcSession;

// One bound parameter's buffer, kept alive until the statement has run.
struct ParamBuf {
    QByteArray data;
    SQLLEN ind = 0;
};

class OdbcStatement {
public:
    OdbcStatement(SQLHDBC dbc, int timeout)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h))) raise(SQL_HANDLE_DBC, dbc);
        if (timeout > 0) SQLSetStmtAttr(h, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(timeout)), 0);
    }
    ~OdbcStatement() { if (h) SQLFreeHandle(SQL_HANDLE_STMT, h); }
    SQLHSTMT h = SQL_NULL_HSTMT;
    std::vector<ParamBuf> bufs;

    void bind(const QStringList& names, const TSqlParams& params)
    {
        bufs.assign(size_t(names.size()), {});
        int positional = 0;
        for (int i = 0; i < names.size(); ++i) {
            const TSqlParam* p = nullptr;
            if (names[i].isEmpty()) {
                if (size_t(positional) < params.size()) p = &params[size_t(positional)];
                ++positional;
            } else {
                for (const TSqlParam& q : params)
                    if (q.Name.compare(names[i], Qt::CaseInsensitive) == 0) { p = &q; break; }
            }
            if (!p) throw ESqlError(QStringLiteral("Parameter '%1' has no value.").arg(names[i]));
            bindOne(SQLUSMALLINT(i + 1), *p, bufs[size_t(i)]);
        }
    }

    void bindOne(SQLUSMALLINT n, const TSqlParam& p, ParamBuf& b)
    {
        const Variant& v = p.Value;
        SQLSMALLINT ctype = SQL_C_WCHAR, stype = SQL_WVARCHAR;
        SQLULEN colSize = 1;
        SQLSMALLINT digits = 0;
        TVarType t = v.VarType() & varTypeMask;
        if (t == varEmpty || t == varNull) {
            b.ind = SQL_NULL_DATA;
            b.data = QByteArray(2, '\0');
            stype = p.Type == TSqlDataType::Unknown ? SQL_VARCHAR : SQL_WVARCHAR;
        } else if (t == varBoolean || t == varSmallint || t == varInteger || t == varShortInt || t == varByte || t == varWord
                   || t == varLongWord || t == varInt64) {
            int64_t x = t == varBoolean ? (v.AsBoolean() ? 1 : 0) : v.AsInt64();
            b.data = QByteArray(reinterpret_cast<const char*>(&x), sizeof x);
            ctype = SQL_C_SBIGINT;
            stype = t == varBoolean ? SQL_BIT : SQL_BIGINT;
            colSize = 19;
        } else if (t == varSingle || t == varDouble) {
            double x = v.AsDouble();
            b.data = QByteArray(reinterpret_cast<const char*>(&x), sizeof x);
            ctype = SQL_C_DOUBLE;
            stype = SQL_DOUBLE;
            colSize = 15;
        } else if (t == varDate || t == varSQLTimeStamp) {
            double dt = t == varDate ? v.AsDateTime() : 0;
            SQL_TIMESTAMP_STRUCT ts{};
            if (t == varSQLTimeStamp) {
                TSQLTimeStamp s = v.AsSQLTimeStamp();
                ts.year = s.Year; ts.month = s.Month; ts.day = s.Day; ts.hour = s.Hour; ts.minute = s.Minute; ts.second = s.Second;
                ts.fraction = s.Fractions * 1000000;
            } else {
                const DateParts p = SplitDate(dt);
                ts.year = SQLSMALLINT(p.y); ts.month = SQLUSMALLINT(p.m); ts.day = SQLUSMALLINT(p.d);
                ts.hour = SQLUSMALLINT(p.h); ts.minute = SQLUSMALLINT(p.mi);
                ts.second = SQLUSMALLINT(p.s); ts.fraction = SQLUINTEGER(p.ms) * 1000000;
            }
            b.data = QByteArray(reinterpret_cast<const char*>(&ts), sizeof ts);
            ctype = SQL_C_TYPE_TIMESTAMP;
            stype = SQL_TYPE_TIMESTAMP;
            colSize = 23;
            digits = 3;
        } else if (t == varCurrency || t == varFMTBcd) {
            QString text;
            if (t == varCurrency) {
                Dec d; d.c = v.AsCurrency().Value; d.scale = 4;
                text = DecToText(d);
            } else {
                text = DecToText(BcdToDec(v.AsBcd()));
            }
            b.data = text.toLatin1();
            b.data.append('\0');
            ctype = SQL_C_CHAR;
            stype = SQL_DECIMAL;
            colSize = 38;
            int dot = text.indexOf(u'.');
            digits = SQLSMALLINT(dot < 0 ? 0 : text.size() - dot - 1);
            b.ind = SQL_NTS;
        } else {
            QString s = v.AsString();
            b.data = QByteArray(reinterpret_cast<const char*>(s.utf16()), (s.size() + 1) * 2);
            b.ind = s.size() * 2;
            colSize = SQLULEN(std::max<qsizetype>(1, s.size()));
            stype = colSize > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
        }
        if (b.ind == 0) b.ind = b.data.size();
        SQLRETURN rc = SQLBindParameter(h, n, SQL_PARAM_INPUT, ctype, stype, colSize, digits, b.data.data(),
                                        SQLLEN(b.data.size()), &b.ind);
        if (!SQL_SUCCEEDED(rc)) raise(SQL_HANDLE_STMT, h);
    }

    void execute(const QString& sql)
    {
        SQLRETURN rc = SQLExecDirectW(h, reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(sql.utf16())), SQL_NTS);
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) raise(SQL_HANDLE_STMT, h);
    }
};

class OdbcResult : public TSqlResult {
public:
    OdbcResult(std::shared_ptr<TSqlSession::Link> link, std::unique_ptr<OdbcStatement> st) : FLink(std::move(link)), FSt(std::move(st))
    {
        SQLSMALLINT n = 0;
        SQLNumResultCols(FSt->h, &n);
        for (SQLSMALLINT i = 1; i <= n; ++i) {
            SQLWCHAR name[256] = {};
            SQLSMALLINT nameLen = 0, type = 0, scale = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeColW(FSt->h, SQLUSMALLINT(i), name, 255, &nameLen, &type, &size, &scale, &nullable);
            TSqlColumn c;
            c.Name = QString::fromUtf16(reinterpret_cast<const char16_t*>(name), std::min<int>(nameLen, 255));
            c.Type = mapType(type, size, scale);
            TSqlTypeInfo ti{c.Type};
            if (ti.IsText()) c.Size = int(size);
            if (ti.IsExact()) { c.Precision = int(size); c.Scale = scale; }
            c.Nullable = nullable != SQL_NO_NULLS;
            auto attr = [&](SQLUSMALLINT field) {
                SQLWCHAR buf[256] = {};
                SQLSMALLINT len = 0;
                if (!SQL_SUCCEEDED(SQLColAttributeW(FSt->h, SQLUSMALLINT(i), field, buf, sizeof buf, &len, nullptr))) return QString();
                return QString::fromUtf16(reinterpret_cast<const char16_t*>(buf), std::min<int>(len / 2, 255));
            };
            c.BaseTable = attr(SQL_DESC_BASE_TABLE_NAME);
            c.BaseColumn = attr(SQL_DESC_BASE_COLUMN_NAME);
            SQLLEN autoInc = 0;
            if (SQL_SUCCEEDED(SQLColAttributeW(FSt->h, SQLUSMALLINT(i), SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &autoInc)))
                c.AutoIncrement = autoInc == SQL_TRUE;
            FColumns.push_back(c);
        }
    }

    ~OdbcResult() override
    {
        std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
        if (!FLink->Session && FSt) FSt->h = SQL_NULL_HSTMT;   // freed with the connection
        FSt.reset();
    }

    bool Next(std::vector<Variant>& row) override
    {
        std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
        if (!FSt) return false;
        if (!FLink->Session) throw ESqlError(QStringLiteral("The connection is closed."));
        SQLRETURN rc = SQLFetch(FSt->h);
        if (rc == SQL_NO_DATA) { FSt.reset(); return false; }
        if (!SQL_SUCCEEDED(rc)) raise(SQL_HANDLE_STMT, FSt->h);
        row.resize(FColumns.size());
        for (size_t i = 0; i < FColumns.size(); ++i) row[i] = read(SQLUSMALLINT(i + 1), FColumns[i]);
        return true;
    }

private:
    Variant read(SQLUSMALLINT col, const TSqlColumn& c)
    {
        SQLLEN ind = 0;
        using T = TSqlDataType;
        switch (c.Type) {
        case T::Bit: case T::TinyInt: case T::SmallInt: case T::Int: case T::BigInt: {
            int64_t x = 0;
            SQLGetData(FSt->h, col, SQL_C_SBIGINT, &x, sizeof x, &ind);
            if (ind == SQL_NULL_DATA) return Variant::Null();
            if (c.Type == T::Bit) return Variant(x != 0);
            if (c.Type == T::TinyInt) return Variant::FromByte(uint8_t(x));
            if (c.Type == T::SmallInt) return Variant::FromSmallint(int16_t(x));
            if (c.Type == T::Int) return Variant(int(x));
            return Variant((long long)x);
        }
        case T::Float: {
            double x = 0;
            SQLGetData(FSt->h, col, SQL_C_DOUBLE, &x, sizeof x, &ind);
            return ind == SQL_NULL_DATA ? Variant::Null() : Variant(x);
        }
        case T::DateTime: case T::SmallDateTime: case T::Date: {
            SQL_TIMESTAMP_STRUCT ts{};
            SQLGetData(FSt->h, col, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &ind);
            if (ind == SQL_NULL_DATA) return Variant::Null();
            double dt = double(DaysFromCivil(ts.year, ts.month, ts.day))
                        + (ts.hour * 3600000.0 + ts.minute * 60000.0 + ts.second * 1000.0 + ts.fraction / 1000000) / 86400000.0;
            return Variant::FromDate(dt);
        }
        default: break;
        }
        // text, decimals and the rest arrive as text
        QString text;
        char16_t buf[2048];
        for (;;) {
            SQLRETURN rc = SQLGetData(FSt->h, col, SQL_C_WCHAR, buf, sizeof buf, &ind);
            if (rc == SQL_NO_DATA) break;
            if (!SQL_SUCCEEDED(rc)) raise(SQL_HANDLE_STMT, FSt->h);
            if (ind == SQL_NULL_DATA) return Variant::Null();
            qsizetype got = (ind == SQL_NO_TOTAL || ind >= SQLLEN(sizeof buf)) ? qsizetype(std::size(buf) - 1) : qsizetype(ind / 2);
            text += QString::fromUtf16(buf, got);
            if (rc == SQL_SUCCESS) break;
        }
        if (c.Type == T::Decimal || c.Type == T::Money) {
            Dec d;
            if (!DecFromText(text, d)) return Variant(text);
            if (c.Type == T::Money) {
                Dec raw;
                if (!DecRescale(d, 4, raw) || raw.c > INT64_MAX || raw.c < INT64_MIN) return Variant(text);
                return Variant(Currency::FromRaw(int64_t(raw.c)));
            }
            return Variant(DecToBcd(d, c.Scale));
        }
        if (c.Type == T::NChar || c.Type == T::NVarChar) return Variant::FromOleStr(text);
        return Variant::FromString(text);
    }

    std::shared_ptr<TSqlSession::Link> FLink;
    std::unique_ptr<OdbcStatement> FSt;
};

class OdbcCommand : public TSqlCommand {
public:
    OdbcCommand(OdbcSession* s, const QString& sql);
    int64_t Execute(const TSqlParams& params) override;
    std::unique_ptr<TSqlResult> Open(const TSqlParams& params) override;
private:
    OdbcSession* session();
    std::shared_ptr<TSqlSession::Link> FLink;
    QString FSql;
    QStringList FNames;
};

class OdbcSession : public TSqlSession {
public:
    explicit OdbcSession(const TSqlConnectionInfo& info)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &FEnv)))
            throw ESqlError(QStringLiteral("The ODBC driver manager could not be initialised."));
        SQLSetEnvAttr(FEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, FEnv, &FDbc))) {
            SQLFreeHandle(SQL_HANDLE_ENV, FEnv);
            throw ESqlError(QStringLiteral("The ODBC driver manager could not allocate a connection."));
        }
        SQLSetConnectAttr(FDbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
        TSqlConnectionInfo ci = info;
        if (!driverRegistered(ci.Driver)) {
            // not in odbcinst.ini: name the driver library itself
            for (const char* lib : {"/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so",
                                    "/usr/lib/odbc/libtdsodbc.so", "/usr/local/lib/libtdsodbc.so"})
                if (QFileInfo::exists(QString::fromLatin1(lib))) { ci.Driver = QString::fromLatin1(lib); break; }
        }
        QString cs = ci.OdbcConnectionString();
        SQLWCHAR out[1024];
        SQLSMALLINT outLen = 0;
        SQLRETURN rc = SQLDriverConnectW(FDbc, nullptr, reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(cs.utf16())), SQL_NTS,
                                         out, 1024, &outLen, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            QString diag = diagnostics(SQL_HANDLE_DBC, FDbc);
            SQLFreeHandle(SQL_HANDLE_DBC, FDbc);
            SQLFreeHandle(SQL_HANDLE_ENV, FEnv);
            throw ESqlError(QStringLiteral("Cannot connect to SQL Server '%1': %2").arg(info.DataSource, diag));
        }
        FConnected = true;
    }
    ~OdbcSession() override
    {
        Unlink();
        if (FConnected) SQLDisconnect(FDbc);
        SQLFreeHandle(SQL_HANDLE_DBC, FDbc);
        SQLFreeHandle(SQL_HANDLE_ENV, FEnv);
    }
    std::unique_ptr<TSqlCommand> Prepare(const QString& sql) override { return std::make_unique<OdbcCommand>(this, sql); }
    void BeginTrans() override
    {
        std::lock_guard<std::recursive_mutex> g(Mutex());
        if (!SQL_SUCCEEDED(SQLSetConnectAttr(FDbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)))
            raise(SQL_HANDLE_DBC, FDbc);
        FInTrans = true;
    }
    void CommitTrans() override { endTrans(SQL_COMMIT); }
    void RollbackTrans() override { endTrans(SQL_ROLLBACK); }
    bool InTransaction() const override { return FInTrans; }
    QString ProviderName() const override { return QStringLiteral("ODBC"); }
    SQLHDBC dbc() const { return FDbc; }

private:
    bool driverRegistered(const QString& name)
    {
        SQLWCHAR desc[256], attrs[1024];
        SQLSMALLINT dl = 0, al = 0;
        SQLUSMALLINT dir = SQL_FETCH_FIRST;
        while (SQL_SUCCEEDED(SQLDriversW(FEnv, dir, desc, 255, &dl, attrs, 1023, &al))) {
            dir = SQL_FETCH_NEXT;
            if (QString::fromUtf16(reinterpret_cast<const char16_t*>(desc), std::min<int>(dl, 255)).compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }
    void endTrans(SQLSMALLINT how)
    {
        std::lock_guard<std::recursive_mutex> g(Mutex());
        SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, FDbc, how);
        SQLSetConnectAttr(FDbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
        FInTrans = false;
        if (!SQL_SUCCEEDED(rc)) raise(SQL_HANDLE_DBC, FDbc);
    }
    SQLHENV FEnv = SQL_NULL_HENV;
    SQLHDBC FDbc = SQL_NULL_HDBC;
    bool FConnected = false;
    bool FInTrans = false;
};

OdbcCommand::OdbcCommand(OdbcSession* s, const QString& sql) : FLink(s->SessionLink()) { FSql = markers(sql, FNames); }

OdbcSession* OdbcCommand::session()
{
    if (!FLink->Session) throw ESqlError(QStringLiteral("The connection is closed."));
    return static_cast<OdbcSession*>(FLink->Session);
}

int64_t OdbcCommand::Execute(const TSqlParams& params)
{
    std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
    OdbcStatement st(session()->dbc(), FTimeout);
    st.bind(FNames, params);
    st.execute(FSql);
    int64_t rows = 0;
    for (;;) {
        SQLLEN n = -1;
        SQLRowCount(st.h, &n);
        if (n >= 0) rows = n;
        SQLRETURN rc = SQLMoreResults(st.h);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) raise(SQL_HANDLE_STMT, st.h);
    }
    return rows;
}

std::unique_ptr<TSqlResult> OdbcCommand::Open(const TSqlParams& params)
{
    std::lock_guard<std::recursive_mutex> g(FLink->Mutex);
    auto st = std::make_unique<OdbcStatement>(session()->dbc(), FTimeout);
    st->bind(FNames, params);
    st->execute(FSql);
    for (;;) {
        SQLSMALLINT cols = 0;
        SQLNumResultCols(st->h, &cols);
        if (cols > 0) break;
        SQLRETURN rc = SQLMoreResults(st->h);
        if (rc == SQL_NO_DATA) throw ESqlError(QStringLiteral("The command did not return a row set."));
        if (!SQL_SUCCEEDED(rc)) raise(SQL_HANDLE_STMT, st->h);
    }
    return std::make_unique<OdbcResult>(FLink, std::move(st));
}

} // namespace

std::unique_ptr<TSqlSession> CreateOdbcSession(const TSqlConnectionInfo& info)
{
    return std::make_unique<OdbcSession>(info);
}

// exposed for tests of the marker rewriting
QString OdbcParameterMarkers(const QString& sql, QStringList& names) { return markers(sql, names); }
