// Connection strings, provider choice and the helpers shared by both providers.
#include "SqlEngine.h"

#include <QDir>

bool TSqlTypeInfo::IsText() const
{
    return Type == TSqlDataType::Char || Type == TSqlDataType::VarChar || Type == TSqlDataType::NChar
           || Type == TSqlDataType::NVarChar;
}

bool TSqlTypeInfo::IsInteger() const
{
    return Type == TSqlDataType::Bit || Type == TSqlDataType::TinyInt || Type == TSqlDataType::SmallInt
           || Type == TSqlDataType::Int || Type == TSqlDataType::BigInt;
}

bool TSqlTypeInfo::IsExact() const { return Type == TSqlDataType::Decimal || Type == TSqlDataType::Money; }
bool TSqlTypeInfo::IsNumeric() const { return IsInteger() || IsExact() || Type == TSqlDataType::Float; }

bool TSqlTypeInfo::IsDate() const
{
    return Type == TSqlDataType::DateTime || Type == TSqlDataType::SmallDateTime || Type == TSqlDataType::Date;
}

QString TSqlTypeInfo::SqlName() const
{
    auto sized = [&](const char* n) {
        return Size > 0 ? QStringLiteral("%1(%2)").arg(QLatin1String(n)).arg(Size) : QStringLiteral("%1(max)").arg(QLatin1String(n));
    };
    switch (Type) {
    case TSqlDataType::Bit: return QStringLiteral("bit");
    case TSqlDataType::TinyInt: return QStringLiteral("tinyint");
    case TSqlDataType::SmallInt: return QStringLiteral("smallint");
    case TSqlDataType::Int: return QStringLiteral("int");
    case TSqlDataType::BigInt: return QStringLiteral("bigint");
    case TSqlDataType::Decimal: return QStringLiteral("decimal(%1, %2)").arg(Precision ? Precision : 18).arg(Scale);
    case TSqlDataType::Money: return QStringLiteral("money");
    case TSqlDataType::Float: return QStringLiteral("float");
    case TSqlDataType::Char: return sized("char");
    case TSqlDataType::VarChar: return sized("varchar");
    case TSqlDataType::NChar: return sized("nchar");
    case TSqlDataType::NVarChar: return sized("nvarchar");
    case TSqlDataType::DateTime: return QStringLiteral("datetime");
    case TSqlDataType::SmallDateTime: return QStringLiteral("smalldatetime");
    case TSqlDataType::Date: return QStringLiteral("date");
    case TSqlDataType::Binary: return QStringLiteral("varbinary(max)");
    default: return QStringLiteral("sql_variant");
    }
}

int TSqlResult::FieldIndex(const QString& name) const
{
    for (size_t i = 0; i < FColumns.size(); ++i)
        if (FColumns[i].Name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

std::vector<std::vector<Variant>> TSqlResult::FetchAll()
{
    std::vector<std::vector<Variant>> rows;
    std::vector<Variant> row;
    while (Next(row)) rows.push_back(row);
    return rows;
}

// ---- connection strings

TSqlConnectionInfo TSqlConnectionInfo::Parse(const QString& cs)
{
    TSqlConnectionInfo info;
    // key=value pairs separated by ';'; a value may be quoted with " or '
    int i = 0, n = cs.size();
    while (i < n) {
        int eq = cs.indexOf(u'=', i);
        if (eq < 0) break;
        QString key = cs.mid(i, eq - i).trimmed().toLower();
        int j = eq + 1;
        while (j < n && cs[j] == u' ') ++j;
        QString value;
        if (j < n && (cs[j] == u'"' || cs[j] == u'\'')) {
            QChar q = cs[j++];
            while (j < n) {
                if (cs[j] == q) {
                    if (j + 1 < n && cs[j + 1] == q) { value += q; j += 2; continue; }
                    ++j;
                    break;
                }
                value += cs[j++];
            }
            while (j < n && cs[j] != u';') ++j;
        } else {
            int semi = cs.indexOf(u';', j);
            if (semi < 0) semi = n;
            value = cs.mid(j, semi - j).trimmed();
            j = semi;
        }
        if (!key.isEmpty()) info.Values.insert(key, value);
        i = j + 1;
    }
    auto get = [&](std::initializer_list<const char*> keys) {
        for (const char* k : keys) {
            auto it = info.Values.find(QString::fromLatin1(k));
            if (it != info.Values.end()) return it.value();
        }
        return QString();
    };
    info.Provider = get({"provider"});
    info.DataSource = get({"data source", "server", "address", "addr"});
    info.Catalog = get({"initial catalog", "database"});
    info.UserId = get({"user id", "uid", "user"});
    info.Password = get({"password", "pwd"});
    QString port = get({"port"});
    // "host,port" as SQL Server clients write it
    int comma = info.DataSource.lastIndexOf(u',');
    if (comma > 0) {
        bool ok;
        int p = info.DataSource.mid(comma + 1).trimmed().toInt(&ok);
        if (ok) { info.Port = p; info.DataSource = info.DataSource.left(comma).trimmed(); }
    }
    if (!port.isEmpty()) info.Port = port.toInt();
    return info;
}

bool TSqlConnectionInfo::IsFolder() const
{
    const QString& ds = DataSource;
    if (ds.isEmpty()) return false;
    if (ds.startsWith(u'/') || ds.startsWith(QLatin1String("./")) || ds.startsWith(QLatin1String("../"))
        || ds.startsWith(u'~') || ds == QLatin1String("."))
        return true;
    if (ds.contains(u'/')) return true;
    return QDir(ds).exists() && !ds.contains(u'\\');
}

static QString odbcValue(const QString& v)
{
    if (v.contains(u';') || v.contains(u'{') || v.contains(u'}') || v.startsWith(u' ') || v.endsWith(u' ')) {
        QString e = v;
        e.replace(u'}', QLatin1String("}}"));
        return u'{' + e + u'}';
    }
    return v;
}

QString TSqlConnectionInfo::OdbcConnectionString() const
{
    QString server = DataSource;
    // a named instance ("host\INSTANCE") goes to FreeTDS as the server name with the instance
    QStringList parts;
    parts << QStringLiteral("DRIVER={") + Driver + u'}';
    parts << QStringLiteral("SERVER=") + odbcValue(server);
    if (!server.contains(u'\\')) parts << QStringLiteral("PORT=%1").arg(Port);
    if (!Catalog.isEmpty()) parts << QStringLiteral("DATABASE=") + odbcValue(Catalog);
    if (!UserId.isEmpty()) parts << QStringLiteral("UID=") + odbcValue(UserId);
    if (!Password.isEmpty()) parts << QStringLiteral("PWD=") + odbcValue(Password);
    parts << QStringLiteral("TDS_Version=7.4") << QStringLiteral("ClientCharset=UTF-8");
    return parts.join(u';') + u';';
}

std::unique_ptr<TSqlSession> TSqlSession::Connect(const QString& connectionString)
{
    TSqlConnectionInfo info = TSqlConnectionInfo::Parse(connectionString);
    if (info.DataSource.isEmpty()) throw ESqlError(QStringLiteral("No data source is given in the connection string."));
    return info.IsFolder() ? CreateSqliteSession(info) : CreateOdbcSession(info);
}

int64_t TSqlSession::Execute(const QString& sql, const TSqlParams& params, int timeout)
{
    std::lock_guard<std::recursive_mutex> g(Mutex());
    auto cmd = Prepare(sql);
    cmd->SetTimeout(timeout);
    return cmd->Execute(params);
}

std::unique_ptr<TSqlResult> TSqlSession::Open(const QString& sql, const TSqlParams& params, int timeout)
{
    std::lock_guard<std::recursive_mutex> g(Mutex());
    auto cmd = Prepare(sql);
    cmd->SetTimeout(timeout);
    return cmd->Open(params);
}
