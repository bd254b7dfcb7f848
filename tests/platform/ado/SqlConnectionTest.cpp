// Connection strings, the choice of provider and a clean failure without a server.
#include "SqlFixture.h"

#include <chrono>

namespace {

TEST(SqlConnection, ParsesTheDataModulesConnectionStrings)
{
    auto i = TSqlConnectionInfo::Parse(QStringLiteral(
        "Provider=SQLOLEDB.1;Password=morvelink;Persist Security Info=True;User ID=transport;Initial Catalog=maindatabase;Data Source=srv01"));
    EXPECT_EQ(i.Provider, QStringLiteral("SQLOLEDB.1"));
    EXPECT_EQ(i.Password, QStringLiteral("morvelink"));
    EXPECT_EQ(i.UserId, QStringLiteral("transport"));
    EXPECT_EQ(i.Catalog, QStringLiteral("maindatabase"));
    EXPECT_EQ(i.DataSource, QStringLiteral("srv01"));
    EXPECT_EQ(i.Port, 1433);
    EXPECT_EQ(i.Values.value(QStringLiteral("persist security info")), QStringLiteral("True"));
    EXPECT_FALSE(i.IsFolder());
    EXPECT_EQ(i.OdbcConnectionString(), QStringLiteral(
        "DRIVER={FreeTDS};SERVER=srv01;PORT=1433;DATABASE=maindatabase;UID=transport;PWD=morvelink;TDS_Version=7.4;ClientCharset=UTF-8;"));

    // keys without case, quoted values, a port after a comma, a named instance, an empty data source
    auto j = TSqlConnectionInfo::Parse(QStringLiteral("data source=10.0.0.5,1500; PASSWORD=\"a;b\" ;initial catalog=MainDataBase"));
    EXPECT_EQ(j.DataSource, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(j.Port, 1500);
    EXPECT_EQ(j.Password, QStringLiteral("a;b"));
    EXPECT_TRUE(j.OdbcConnectionString().contains(QLatin1String("PORT=1500;")));
    EXPECT_TRUE(j.OdbcConnectionString().contains(QLatin1String("PWD={a;b};")));
    auto k = TSqlConnectionInfo::Parse(QStringLiteral("Data Source=HOST\\SQLEXPRESS;Initial Catalog=x"));
    EXPECT_FALSE(k.IsFolder());
    EXPECT_FALSE(k.OdbcConnectionString().contains(QLatin1String("PORT=")));
    EXPECT_THROW(TSqlSession::Connect(QStringLiteral("Provider=SQLOLEDB.1;Initial Catalog=x;Data Source=")), ESqlError);
}

TEST(SqlConnection, AFolderSelectsTheEmbeddedEngine)
{
    QTemporaryDir dir;
    struct Case { QString source; bool folder; };
    const Case cases[] = {
        {dir.path(), true}, {QStringLiteral("./data"), true}, {QStringLiteral("../demo/db"), true}, {QStringLiteral("/no/such/folder"), true},
        {QStringLiteral("srv01"), false}, {QStringLiteral("192.168.0.10"), false}, {QStringLiteral("srv01\\INST"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.toStdString());
        TSqlConnectionInfo i;
        i.DataSource = c.source;
        EXPECT_EQ(i.IsFolder(), c.folder);
    }
    auto s = TSqlSession::Connect(ConnStr(dir.path(), QStringLiteral("MainDataBase"), true));
    EXPECT_EQ(s->ProviderName(), QStringLiteral("SQLite"));
    s.reset();
    // catalog files are found without case; a missing catalog or folder is an error
    EXPECT_NO_THROW(TSqlSession::Connect(ConnStr(dir.path(), QStringLiteral("maindatabase"))));
    EXPECT_THROW(TSqlSession::Connect(ConnStr(dir.path(), QStringLiteral("other"))), ESqlError);
    EXPECT_THROW(TSqlSession::Connect(ConnStr(dir.path() + QStringLiteral("/missing"), QStringLiteral("x"))), ESqlError);
}

TEST(SqlConnection, SiblingCatalogsByThreePartNames)
{
    QTemporaryDir dir;
    TSqlSession::Connect(ConnStr(dir.path(), QStringLiteral("Buh"), true))->Execute(QStringLiteral(
        "CREATE TABLE tbSpravka(NSF varchar(30), Summ decimal(18, 3))\nINSERT INTO tbSpravka VALUES ('x', 1.5)"));
    auto s = TSqlSession::Connect(ConnStr(dir.path(), QStringLiteral("MainDataBase"), true));
    s->Execute(QStringLiteral("CREATE TABLE dbo.tbPredpr(idPredpr int)"));
    s->Execute(QStringLiteral("INSERT INTO MainDataBase.dbo.tbPredpr VALUES (1)"));
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT spr.NSF, spr.Summ, p.idPredpr FROM buh.dbo.tbSpravka spr, maindatabase.dbo.tbPredpr p")),
              QStringList{"x|1.500|1"});
}

TEST(SqlConnection, AnUnreachableServerFailsWithAClearMessage)
{
    auto start = std::chrono::steady_clock::now();
    try {
        TSqlSession::Connect(QStringLiteral("Provider=SQLOLEDB.1;Password=p;User ID=u;Initial Catalog=maindatabase;Data Source=127.0.0.1,1"));
        FAIL() << "connected";
    } catch (const ESqlError& e) {
        EXPECT_TRUE(e.Message().startsWith(QLatin1String("Cannot connect to SQL Server '127.0.0.1': "))) << e.Message().toStdString();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

} // namespace

QString OdbcParameterMarkers(const QString& sql, QStringList& names);

TEST(SqlConnection, NamedParametersBecomeOdbcMarkers)
{
    QStringList names;
    QString sql = OdbcParameterMarkers(QStringLiteral(
        "SELECT ':not', [a:b], x FROM t -- :comment\nWHERE a=:numdoc AND b = ? AND c=:FirstDate /* :x */ AND d::int"), names);
    EXPECT_EQ(sql, QStringLiteral("SELECT ':not', [a:b], x FROM t -- :comment\nWHERE a=? AND b = ? AND c=? /* :x */ AND d::int"));
    EXPECT_EQ(names, (QStringList{"numdoc", "", "FirstDate"}));
}

#include "platform/ado/SqlFieldTypes.h"

TEST(SqlConnection, ColumnsMapToTheServersFieldTypes)
{
    QTemporaryDir dir;
    auto s = TSqlSession::Connect(ConnStr(dir.path(), QStringLiteral("m"), true));
    s->Execute(QStringLiteral("CREATE TABLE t(id int IDENTITY(1,1), b bit, st tinyint, f smallint, n int, g bigint, d decimal(18, 3),"
                              " w decimal(38, 10), c money, x float, s varchar(25), u nvarchar(10), dt datetime, sd smalldatetime)"));
    auto r = s->Open(QStringLiteral("SELECT *, s + 'x' AS s2, ISNULL(d, 0) AS d2, CAST(n AS varchar(max)) AS m FROM t"));
    std::vector<TFieldType> types;
    for (const TSqlColumn& c : r->Columns()) types.push_back(SqlFieldType(c));
    EXPECT_EQ(types, (std::vector<TFieldType>{ftAutoInc, ftBoolean, ftWord, ftSmallint, ftInteger, ftLargeint, ftBCD, ftFMTBcd, ftCurrency,
                                              ftFloat, ftString, ftWideString, ftDateTime, ftDateTime, ftString, ftBCD, ftMemo}));
    EXPECT_EQ(r->Columns()[14].Size, 26);
}
