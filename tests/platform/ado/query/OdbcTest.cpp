// The ODBC route of the query components. There is no SQL Server here, so the mechanics
// (markers, binding, fetching, types, NULL, errors, time-out, writing back) run against the
// SQLite ODBC driver with plain SQL; the tests skip when that driver is not installed.
#include "QueryFixture.h"

#include <QFileInfo>
#include <sql.h>
#include <sqlext.h>

namespace {

bool SqliteOdbcInstalled()
{
    for (const char* lib : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so"})
        if (QFileInfo::exists(QString::fromLatin1(lib)))
            return true;
    return false;
}

class OdbcTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& owner = *ownerHolder;
    TADOConnection* conn = nullptr;

    void SetUp() override
    {
        if (!SqliteOdbcInstalled())
            GTEST_SKIP() << "the SQLite ODBC driver (libsqliteodbc) is not installed";
        conn = Create<TADOConnection>(&owner);
        conn->SetName(QStringLiteral("OdbcConnection"));
        conn->SetConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Driver={SQLite3};Data Source=localhost;Initial Catalog=%1/odbc.db")
                                      .arg(dir.path()));
        conn->Open();
        ASSERT_EQ(conn->ProviderName(), QStringLiteral("ODBC"));
        conn->Execute(QStringLiteral("CREATE TABLE inv(id integer PRIMARY KEY AUTOINCREMENT, num varchar(25) UNIQUE, "
                                     "status smallint, dt datetime, sum numeric(18, 3), rate double, note varchar(50))"));
    }
    TADOQuery* Q(const QString& name, const QStringList& lines)
    {
        auto* q = Create<TADOQuery>(&owner);
        q->SetName(name);
        q->SetConnection(conn);
        q->SQL()->AddStrings(lines);
        return q;
    }
};

TEST_F(OdbcTest, ParametersBindAndRowsComeBackTyped)
{
    TADOQuery* ins = Q("InsQ", {"INSERT INTO inv(num, status, dt, sum, rate, note)",
                                "VALUES (:num, :status, :dt, :sum, :rate, :note)  -- a :comment is no marker",
                                "", ""});
    ASSERT_EQ(ins->Parameters()->Count(), 6);
    ins->Parameters()->ParamByName("sum")->SetDataType(ftBCD);
    ins->Parameters()->ParamByName("note")->SetDataType(ftString);
    struct Row { const char* num; Variant status, dt, sum, rate, note; };
    const Row rows[] = {
        {"A-1", Variant(5), Variant::FromDate(EncodeDate(2024, 3, 31) + 0.5), Variant(Currency::FromRaw(123450)), Variant(0.25),
         Variant(QStringLiteral("Счёт ':x'"))},
        {"A-2", Null(), Null(), Null(), Null(), Variant(QString())},
    };
    for (const Row& r : rows) {
        ins->Parameters()->ParamByName("num")->SetValue(QString::fromLatin1(r.num));
        ins->Parameters()->ParamByName("status")->SetValue(r.status);
        ins->Parameters()->ParamByName("dt")->SetValue(r.dt);
        ins->Parameters()->ParamByName("sum")->SetValue(r.sum);
        ins->Parameters()->ParamByName("rate")->SetValue(r.rate);
        ins->Parameters()->ParamByName("note")->SetValue(r.note);
        EXPECT_EQ(ins->ExecSQL(), 1);
    }
    EXPECT_EQ(ins->PrepareCount(), 1);

    TADOQuery* sel = Q("SelQ", {"SELECT id, num, status, dt, sum, rate, note, note IS NULL AS nullnote FROM inv ORDER BY id"});
    sel->SetCursorType(ctStatic);
    sel->Open();
    EXPECT_EQ(sel->RecordCount(), 2);
    EXPECT_EQ(sel->FieldByName("num")->DataType(), ftString);
    EXPECT_EQ(sel->FieldByName("status")->DataType(), ftSmallint);
    EXPECT_EQ(sel->FieldByName("dt")->DataType(), ftDateTime);
    EXPECT_EQ(sel->FieldByName("rate")->DataType(), ftFloat);
    EXPECT_EQ(sel->FieldByName("id")->AsInteger(), 1);
    EXPECT_EQ(sel->FieldByName("status")->AsInteger(), 5);
    EXPECT_EQ(sel->FieldByName("dt")->AsDateTime(), EncodeDate(2024, 3, 31) + 0.5);
    EXPECT_EQ(sel->FieldByName("sum")->AsCurrency(), Currency::FromRaw(123450));
    EXPECT_EQ(sel->FieldByName("rate")->AsFloat(), 0.25);
    EXPECT_EQ(sel->FieldByName("note")->AsString(), QStringLiteral("Счёт ':x'"));
    sel->Next();
    for (const char* f : {"status", "dt", "sum", "rate"})
        EXPECT_TRUE(sel->FieldByName(f)->IsNull()) << f;
    EXPECT_FALSE(sel->FieldByName("note")->IsNull());   // empty text is not NULL
    EXPECT_EQ(sel->FieldByName("nullnote")->AsInteger(), 0);
    EXPECT_EQ(sel->FieldByName("status")->AsInteger(), 0);
    EXPECT_EQ(sel->FieldByName("dt")->AsDateTime(), 0.0);
}

TEST_F(OdbcTest, ErrorsCarryTheDriversMessage)
{
    auto message = [](const std::function<void()>& f) -> QString {
        try {
            f();
        } catch (const Exception& e) {
            return e.Message();
        }
        return QStringLiteral("(no error)");
    };
    TADOQuery* bad = Q("BadQ", {"SELECT * FROM nosuchtable"});
    EXPECT_TRUE(message([&] { bad->Open(); }).contains(QLatin1String("nosuchtable"))) << message([&] { bad->Open(); }).toStdString();
    TADOQuery* ins = Q("InsQ", {"INSERT INTO inv(num) VALUES (:num)"});
    ins->Parameters()->ParamByName("num")->SetValue(QStringLiteral("X"));
    ins->ExecSQL();
    EXPECT_TRUE(message([&] { ins->ExecSQL(); }).contains(QLatin1String("UNIQUE"), Qt::CaseInsensitive));
    TADOQuery* count = Q("CountQ", {"SELECT COUNT(*) AS n FROM inv"});
    count->Open();
    EXPECT_EQ(count->FieldByName("n")->AsInteger(), 1);
}

TEST_F(OdbcTest, ASingleTableResultIsWrittenBackThroughTheDriver)
{
    // SQLite has no identity function the way the server has, so the table here keys by text
    conn->Execute(QStringLiteral("CREATE TABLE doc(num varchar(25) PRIMARY KEY, status smallint)"));
    conn->Execute(QStringLiteral("INSERT INTO doc(num, status) VALUES ('N-1', 1)"));
    TADOQuery* q = Q("EditQ", {"SELECT num, status FROM doc"});
    q->SetCursorType(ctStatic);
    q->Open();
    EXPECT_EQ(q->UpdateTableName(), QStringLiteral("doc"));
    q->Edit();
    q->FieldByName("status")->SetAsInteger(7);
    q->Post();
    q->Append();
    q->FieldByName("num")->SetAsString(QStringLiteral("N-2"));
    q->Post();
    q->First();
    q->Delete();
    TADOQuery* check = Q("CheckQ", {"SELECT num, status FROM doc"});
    check->Open();
    EXPECT_EQ(check->RecordCount(), 1);
    EXPECT_EQ(check->FieldByName("num")->AsString(), QStringLiteral("N-2"));
    EXPECT_TRUE(check->FieldByName("status")->IsNull());
}

}  // namespace
