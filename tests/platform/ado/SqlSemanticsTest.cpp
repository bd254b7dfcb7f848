// SQL Server semantics kept by the embedded engine.
#include <cmath>
#include "SqlFixture.h"

#include <atomic>
#include <thread>

namespace {

class Semantics : public SqlFolder {
protected:
    void SetUp() override
    {
        s = Create(QStringLiteral("maindatabase"));
        s->Execute(QStringLiteral(
            "CREATE TABLE DararedSigners(idRecord int IDENTITY(1,1) NOT NULL, filial smallint NOT NULL, fio varchar(100) NOT NULL,"
            " CONSTRAINT UQ_DararedSigners UNIQUE (filial, fio))"));
        s->Execute(QStringLiteral("CREATE TABLE amounts(id int, amount decimal(18, 3), cash money, d datetime, name varchar(20))"));
    }
    std::unique_ptr<TSqlSession> s;
};

TEST_F(Semantics, TextComparesWithoutCaseAndTrailingBlanks)
{
    s->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (1, 'Иванов И.И.')"));
    struct Case { const char* where; int count; };
    const Case cases[] = {
        {"fio = 'ИВАНОВ И.И.'", 1},
        {"fio = 'иванов и.и.   '", 1},
        {"fio = ' Иванов И.И.'", 0},            // leading blanks count
        {"UPPER(fio) = 'иванов и.и.'", 1},      // computed text compares the same way
        {"ISNULL(fio, '') = 'ИВАНОВ и.и.'", 1},
        {"fio IN ('ПЕТРОВ', 'иванов И.И.')", 1},
        {"fio LIKE 'иван%'", 1},
        {"fio LIKE '[И]%'", 1},
        {"fio > 'ИВАНОВ'", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        QStringList r = Query(*s, QStringLiteral("SELECT COUNT(*) FROM DararedSigners WHERE ") + QString::fromUtf8(c.where));
        EXPECT_EQ(r, QStringList{QString::number(c.count)});
    }
    // the unique key is case-insensitive too, as the server's
    try {
        s->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (1, 'ИВАНОВ И.И. ')"));
        FAIL() << "duplicate accepted";
    } catch (const ESqlError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("duplicate key"))) << e.Message().toStdString();
    }
}

TEST_F(Semantics, GroupingAndOrderingIgnoreCase)
{
    for (const char* n : {"б", "Б", "а", "ё", "е"})
        s->Execute(QStringLiteral("INSERT INTO amounts(id, name) VALUES (1, :n)"), {{"n", QString::fromUtf8(n)}});
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*) FROM (SELECT name FROM amounts GROUP BY name) g")), QStringList{"4"});
    QStringList ordered = Query(*s, QStringLiteral("SELECT DISTINCT UPPER(name) AS n FROM amounts ORDER BY n"));
    EXPECT_EQ(ordered, (QStringList{"А", "Б", "Е", "Ё"}));
}

TEST_F(Semantics, DecimalSumIsExact)
{
    auto ins = s->Prepare(QStringLiteral("INSERT INTO amounts(id, amount) VALUES (?, ?)"));
    s->BeginTrans();
    for (int i = 0; i < 10000; ++i) ins->Execute({{QString(), i}, {QString(), 0.1}});
    s->CommitTrans();
    auto r = s->Open(QStringLiteral("SELECT SUM(amount), SUM(amount) - 1000, AVG(amount), MAX(amount) FROM amounts"));
    ASSERT_EQ(r->Columns()[0].Type, TSqlDataType::Decimal);
    EXPECT_EQ(r->Columns()[0].Scale, 3);
    EXPECT_EQ(RenderAll(*r), QStringList{"1000.000|0.000|0.100000|0.100"});
    // equality with a literal and with a parameter of another kind stays exact
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*) FROM amounts WHERE amount = 0.1")), QStringList{"10000"});
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*) FROM amounts WHERE amount = :a"), {{"a", Currency::FromRaw(1000)}}),
              QStringList{"10000"});
}

TEST_F(Semantics, DecimalsRoundToTheColumnScaleAndOverflowIsAnError)
{
    s->Execute(QStringLiteral("INSERT INTO amounts(id, amount, cash) VALUES (1, 2.0005, 3.14159)"));
    s->Execute(QStringLiteral("INSERT INTO amounts(id, amount, cash) VALUES (2, -2.0005, NULL)"));
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT amount, cash FROM amounts ORDER BY id")), (QStringList{"2.001|3.1416", "-2.001|NULL"}));
    EXPECT_THROW(s->Execute(QStringLiteral("INSERT INTO amounts(id, amount) VALUES (3, 1234567890123456)")), ESqlError);
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT CAST(amount * 3 AS decimal(18, 2)), amount / 4 FROM amounts WHERE id = 1")),
              QStringList{"6.00|0.500250"});   // decimal(18, 3) / 4 is decimal(21, 6)
}

TEST_F(Semantics, DatesFollowTheSessionDateFormat)
{
    auto r = s->Open(QStringLiteral(
        "SET DATEFORMAT DMY\n"
        "DECLARE @FirstDate DATETIME, @SecondDate DATETIME\n"
        "SET @FirstDate = CAST(:FirstDate AS DATETIME)\n"
        "SET @SecondDate = CAST(:SecondDate AS DATETIME)\n"
        "SELECT @FirstDate, @SecondDate, DATEADD(month, 1, '31.01.2024'), DATEADD(month, -1, @FirstDate), DATEADD(day, 1, @SecondDate),"
        " DATEDIFF(month, @FirstDate, @SecondDate), YEAR(@SecondDate), CONVERT(varchar(10), @SecondDate, 104)"),
        {{"FirstDate", "31.03.2024"}, {"SecondDate", "01.02.2024"}});
    EXPECT_EQ(r->Columns()[0].Type, TSqlDataType::DateTime);
    EXPECT_EQ(RenderAll(*r), QStringList{"2024-03-31|2024-02-01|2024-02-29|2024-02-29|2024-02-02|-1|2024|01.02.2024"});
    // MDY reads the same text the other way; a day 13 is then no month
    EXPECT_EQ(Query(*s, QStringLiteral("SET DATEFORMAT MDY SELECT CAST('02.01.2024' AS DATETIME)")), QStringList{"2024-02-01"});
    EXPECT_THROW(Query(*s, QStringLiteral("SET DATEFORMAT MDY SELECT CAST('13.01.2024' AS DATETIME)")), ESqlError);
    // the setting stays with the session until changed
    EXPECT_THROW(s->Execute(QStringLiteral("INSERT INTO amounts(id, d) VALUES (1, '15.02.2024 10:30')")), ESqlError);
    s->Execute(QStringLiteral("SET DATEFORMAT DMY"));
    // a date-time parameter compares with a stored date-time
    s->Execute(QStringLiteral("INSERT INTO amounts(id, d) VALUES (1, '15.02.2024 10:30')"));
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT id FROM amounts WHERE d = :d"), {{"d", Variant::FromDate(45337.4375)}}),
              QStringList{"1"});
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT id FROM amounts WHERE d BETWEEN '01.02.2024' AND '29.02.2024'")), QStringList{"1"});
}

TEST_F(Semantics, StrictCastsAndConcatenation)
{
    struct Case { const char* expr; const char* result; };
    const Case ok[] = {
        {"CAST('  42 ' AS int)", "42"},
        {"CAST('' AS int)", "0"},
        {"'A' + '-' + CAST(2024 AS VARCHAR) + '-' + RIGHT('0000000000' + CAST(15 AS VARCHAR), 10)", "A-2024-0000000015"},
        {"1 + 2", "3"},
        {"'5' + 1", "6"},
        {"CAST(NULL AS varchar(10)) + 'x'", "NULL"},
        {"ISNULL(CAST(NULL AS datetime), '')", "1900-01-01"},
        {"ISNULL(CAST(NULL AS decimal(18, 3)), 0)", "0.000"},
        {"LEN('abc   ')", "3"},
        {"SUBSTRING('000123', PATINDEX('%[^0]%', '000123'), 50)", "123"},
        {"SUBSTRING('0000', PATINDEX('%[^0]%', '0000'), 50)", "0000"},
        {"CASE WHEN RIGHT('12,', 1) IN ('.', ',') THEN SUBSTRING('12,', 1, LEN('12,') - 1) ELSE '12,' END", "12"},
        {"CAST(SUBSTRING('АБВ-ГДЕ-2024-0000000015', 16, 10) AS bigint)", "15"},
        {"CAST('ABCDEF' AS varchar(3))", "ABC"},
    };
    for (const Case& c : ok) {
        SCOPED_TRACE(c.expr);
        EXPECT_EQ(Query(*s, QStringLiteral("SELECT ") + QString::fromUtf8(c.expr)), QStringList{QString::fromUtf8(c.result)});
    }
    const char* bad[] = {"CAST('12x' AS int)", "CAST('1.5' AS int)", "CAST('abc' AS decimal(18, 3))", "CAST('31.02.2024' AS datetime)",
                         "'x' + 1", "CAST(300 AS tinyint)", "1 / 0"};
    for (const char* b : bad) {
        SCOPED_TRACE(b);
        EXPECT_THROW(Query(*s, QStringLiteral("SELECT ") + QString::fromLatin1(b)), ESqlError);
    }
    // too long text for a column is refused, as the server does
    try {
        s->Execute(QStringLiteral("INSERT INTO amounts(id, name) VALUES (1, REPLICATE('x', 21))"));
        FAIL();
    } catch (const ESqlError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("String or binary data would be truncated."));
    }
}

TEST_F(Semantics, TempTablesBelongToTheirConnection)
{
    s->Execute(QStringLiteral("if object_id('tempdb..#x','U') is not NULL\ndrop table tempdb..#x\n\nCREATE TABLE tempdb..#x(a int)\n"
                              "INSERT INTO #x (a) VALUES (1)"));
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT a FROM #x")), QStringList{"1"});
    auto other = Connect(QStringLiteral("MAINDATABASE"));
    EXPECT_EQ(Query(*other, QStringLiteral("SELECT CASE WHEN OBJECT_ID('tempdb..#x') IS NULL THEN 0 ELSE 1 END")), QStringList{"0"});
    EXPECT_THROW(Query(*other, QStringLiteral("SELECT a FROM #x")), ESqlError);
    // the drop-and-create idiom empties the table on the owner
    s->Execute(QStringLiteral("if object_id('tempdb..#x','U') is not NULL\ndrop table tempdb..#x\n\nCREATE TABLE tempdb..#x(a int)"));
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*) FROM #x")), QStringList{"0"});
    // permanent tables are shared
    s->Execute(QStringLiteral("INSERT INTO amounts(id) VALUES (7)"));
    EXPECT_EQ(Query(*other, QStringLiteral("SELECT id FROM dbo.amounts")), QStringList{"7"});
}

TEST_F(Semantics, PreparedCommandsSurviveRecreatedTables)
{
    const QString create = QStringLiteral("if object_id('tempdb..#c','U') is not NULL\ndrop table tempdb..#c\n\nCREATE TABLE tempdb..#c(a int, b varchar(5))");
    auto cr = s->Prepare(create);
    auto ins = s->Prepare(QStringLiteral("INSERT INTO #c (a, b) VALUES (:a, :b)"));
    auto sel = s->Prepare(QStringLiteral("SELECT COUNT(*), MAX(b) FROM #c"));
    for (int run = 0; run < 3; ++run) {
        cr->Execute();
        for (int i = 0; i <= run; ++i) EXPECT_EQ(ins->Execute({{"a", i}, {"b", QString::number(run)}}), 1);
        EXPECT_EQ(RenderAll(*sel->Open()), QStringList{QStringLiteral("%1|%2").arg(run + 1).arg(run)});
    }
    // statements after the row set run once it has been read
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT a FROM #c WHERE a = 0\nDELETE FROM #c")), QStringList{"0"});
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*) FROM #c")), QStringList{"0"});
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT CASE WHEN GETDATE() > '01.01.2024' THEN 1 ELSE 0 END")), QStringList{"1"});
}

TEST_F(Semantics, BatchVariablesTableVariablesAndIf)
{
    QStringList r = Query(*s, QStringLiteral(
        "SET NOCOUNT ON\n"
        "DECLARE @n int, @t varchar(10)\n"
        "DECLARE @dup TABLE (v varchar(25))\n"
        "SET @n = 2\n"
        "INSERT INTO @dup (v) VALUES ('a')\n"
        "INSERT INTO @dup (v) SELECT 'b'\n"
        "IF @n > 1 SET @t = 'big' ELSE SET @t = 'small'\n"
        "IF NOT EXISTS (SELECT v FROM @dup WHERE v = 'c')\n"
        "BEGIN\n INSERT INTO @dup (v) VALUES ('c')\n SET @n = @n + 10\nEND\n"
        "SELECT @t AS t, @n AS n, (SELECT COUNT(*) FROM @dup) AS c"));
    EXPECT_EQ(r, QStringList{"big|12|3"});
    // table variables live for one batch only
    EXPECT_THROW(Query(*s, QStringLiteral("SELECT v FROM @dup")), ESqlError);
    EXPECT_THROW(Query(*s, QStringLiteral("SELECT @undeclared")), ESqlError);
}

TEST_F(Semantics, GeneratedTableScriptsAreAccepted)
{
    s->Execute(QStringLiteral(
        "CREATE TABLE [dbo].[DararedZeroExclude](\n"
        "  [idRecord] [int] IDENTITY(1,1) NOT NULL,\n"
        "  [filial] [smallint] NOT NULL,\n"
        "  [invoice] [varchar](25) COLLATE Cyrillic_General_CI_AS NOT NULL,\n"
        "  [hide] [bit] NOT NULL CONSTRAINT [DF_hide] DEFAULT ((0)),\n"
        " CONSTRAINT [PK_DararedZeroExclude] PRIMARY KEY CLUSTERED ([idRecord] ASC)\n"
        "  WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = OFF) ON [PRIMARY]\n"
        ") ON [PRIMARY]\n"
        "CREATE NONCLUSTERED INDEX [IX_invoice] ON [dbo].[DararedZeroExclude] ([invoice] ASC) WITH (SORT_IN_TEMPDB = OFF) ON [PRIMARY]"));
    s->Execute(QStringLiteral("INSERT INTO DararedZeroExclude(filial, invoice) VALUES (1, 'X')"));
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT * FROM [dbo].[DararedZeroExclude]")), QStringList{"1|1|X|0"});
}

TEST_F(Semantics, IdentityTopAndFullJoin)
{
    s->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (2, 'Б')"));
    s->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (1, 'А')"));
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT * FROM DararedSigners ORDER BY filial, fio")), (QStringList{"2|1|А", "1|2|Б"}));
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT TOP 1 fio FROM DararedSigners ORDER BY idRecord DESC")), QStringList{"А"});
    s->Execute(QStringLiteral("INSERT INTO amounts(id, name) VALUES (1, 'а')"));
    s->Execute(QStringLiteral("INSERT INTO amounts(id, name) VALUES (3, 'в')"));
    QStringList r = Query(*s, QStringLiteral(
        "SELECT ISNULL(sig.fio, a.name), sig.filial, a.id FROM DararedSigners sig FULL JOIN amounts a ON sig.fio = a.name ORDER BY 1"));
    EXPECT_EQ(r, (QStringList{"А|1|1", "Б|2|NULL", "в|NULL|3"}));
    auto cols = s->Open(QStringLiteral("SELECT * FROM DararedSigners"))->Columns();
    ASSERT_EQ(cols.size(), 3u);
    EXPECT_TRUE(cols[0].AutoIncrement);
    EXPECT_TRUE(cols[0].Key);
    EXPECT_FALSE(cols[2].Key);
    EXPECT_EQ(cols[2].BaseTable, QStringLiteral("DararedSigners"));
    EXPECT_EQ(cols[2].BaseColumn, QStringLiteral("fio"));
    // a computed column has no base; a derived table passes its base through
    auto d = s->Open(QStringLiteral("SELECT x.fio AS name, UPPER(x.fio) AS up FROM (SELECT fio FROM dbo.DararedSigners) x"))->Columns();
    EXPECT_EQ(d[0].Name, QStringLiteral("name"));
    EXPECT_EQ(d[0].BaseColumn, QStringLiteral("fio"));
    EXPECT_TRUE(d[1].BaseTable.isEmpty());
    EXPECT_EQ(cols[1].Type, TSqlDataType::SmallInt);
    EXPECT_EQ(cols[2].Type, TSqlDataType::VarChar);
    EXPECT_EQ(cols[2].Size, 100);
}

// The right side of a FULL JOIN is read from an indexed copy (SQLite indexes nothing
// there by itself): the copy follows the data and parameters of every run, keeps text
// keys case- and trailing-blank-insensitive and decimals exact, and is made again after
// a rolled-back transaction took it away.
TEST_F(Semantics, FullJoinOnAComputedKeyOfADerivedTable)
{
    s->Execute(QStringLiteral("CREATE TABLE refs(nsf varchar(30), summ decimal(18, 3), mes datetime)"));
    s->Execute(QStringLiteral("INSERT INTO amounts(id, name) VALUES (1, 'ab-1'), (2, 'AB-2  '), (3, 'ab-3')"));
    s->Execute(QStringLiteral("INSERT INTO refs(nsf, summ, mes) VALUES ('1-ab-1', 1.105, '01.02.2024'), ('1-AB-1', 2.2, '01.02.2024'),"
                              " ('1-ab-2', 0.001, '01.02.2024'), ('1-zz-9', 5, '01.02.2024'), ('1-ab-3', 7, '01.03.2024')"));
    const QString sql = QStringLiteral(
        "SELECT a.id, spr.Summ, spr.NSF FROM amounts a\n"
        "FULL JOIN (SELECT r.NSF, SUM(r.summ) AS Summ FROM refs r WHERE r.mes = CAST(:mes AS DATETIME) GROUP BY r.NSF) spr\n"
        "ON a.name = SUBSTRING(spr.NSF, 3, 25)\n"
        "ORDER BY 1, 3");
    auto q = s->Prepare(sql);
    const QStringList feb{"NULL|5.000|1-zz-9", "1|3.305|1-ab-1", "2|0.001|1-ab-2", "3|NULL|NULL"};
    EXPECT_EQ(RenderAll(*q->Open({{"mes", "01.02.2024"}})), feb);
    EXPECT_EQ(RenderAll(*q->Open({{"mes", "01.03.2024"}})), (QStringList{"1|NULL|NULL", "2|NULL|NULL", "3|7.000|1-ab-3"}));
    s->Execute(QStringLiteral("DELETE FROM refs WHERE nsf = '1-zz-9'"));
    EXPECT_EQ(RenderAll(*q->Open({{"mes", "01.02.2024"}})), feb.mid(1));
    // a RIGHT JOIN compiled in a transaction that is rolled back
    auto right = s->Prepare(QString(sql).replace(QLatin1String("FULL JOIN"), QLatin1String("RIGHT JOIN")));
    const QStringList matched{"1|3.305|1-ab-1", "2|0.001|1-ab-2"};
    s->BeginTrans();
    EXPECT_EQ(RenderAll(*right->Open({{"mes", "01.02.2024"}})), matched);
    s->RollbackTrans();
    EXPECT_EQ(RenderAll(*right->Open({{"mes", "01.02.2024"}})), matched);
    // the same through INSERT..SELECT
    s->Execute(QStringLiteral("CREATE TABLE #r(id int, summ decimal(18, 3))"));
    EXPECT_EQ(s->Execute(QStringLiteral("INSERT INTO #r (id, summ) ") + sql.left(sql.indexOf(QLatin1String("ORDER"))).replace(
                             QLatin1String(", spr.NSF"), QString()), {{"mes", "01.02.2024"}}), 3);
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT id, summ FROM #r ORDER BY id")), (QStringList{"1|3.305", "2|0.001", "3|NULL"}));
    // and through SELECT..INTO, which runs in parts
    s->Execute(sql.left(sql.indexOf(QLatin1String("ORDER"))).replace(QLatin1String(" FROM amounts"), QLatin1String(" INTO #si FROM amounts")),
               {{"mes", "01.03.2024"}});
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT id, Summ FROM #si ORDER BY id")), (QStringList{"1|NULL", "2|NULL", "3|7.000"}));
}

TEST_F(Semantics, SelectIntoIdentityValuesAndHints)
{
    s->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (1, 'Иванов')"));
    EXPECT_EQ(Query(*s, QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (2, 'Петров')\nSELECT SCOPE_IDENTITY(), @@IDENTITY")),
              QStringList{"2|2"});
    s->Execute(QStringLiteral("SELECT filial, fio, CAST(filial * 2 AS decimal(10, 2)) AS dbl INTO #copy FROM DararedSigners (NOLOCK) WHERE filial > 0"));
    auto r = s->Open(QStringLiteral("SELECT * FROM #copy c WITH (NOLOCK) WHERE fio = 'ПЕТРОВ'"));
    EXPECT_EQ(r->Columns()[1].Type, TSqlDataType::VarChar);
    EXPECT_EQ(r->Columns()[1].Size, 100);
    EXPECT_EQ(r->Columns()[2].Type, TSqlDataType::Decimal);
    EXPECT_EQ(RenderAll(*r), QStringList{"2|Петров|4.00"});
    s->Execute(QStringLiteral("CREATE TABLE #other(a int)"));
    s->Execute(QStringLiteral("DROP TABLE #copy, #other"));
    EXPECT_THROW(Query(*s, QStringLiteral("SELECT * FROM #other")), ESqlError);
}

TEST_F(Semantics, ParametersByNameAndPosition)
{
    s->Execute(QStringLiteral("INSERT INTO amounts(id, amount, cash, d, name) VALUES (:id, :amount, :cash, :d, :name)"),
               {{"NAME", "Текст"}, {"id", 1}, {"amount", Bcd("12.345")},
                {"cash", Currency::FromRaw(123456)}, {"d", Variant::FromDate(45337.5)}});
    s->Execute(QStringLiteral("INSERT INTO amounts(id, amount, cash, d, name) VALUES (?, ?, ?, ?, ?)"),
               {{QString(), 2}, {QString(), Variant::Null()}, {QString(), Variant()}, {QString(), Variant::Null()}, {QString(), ""}});
    auto r = s->Open(QStringLiteral("SELECT id, amount, cash, d, name FROM amounts ORDER BY id"));
    EXPECT_EQ(r->Columns()[1].Type, TSqlDataType::Decimal);
    EXPECT_EQ(r->Columns()[2].Type, TSqlDataType::Money);
    EXPECT_EQ(r->Columns()[3].Type, TSqlDataType::DateTime);
    std::vector<Variant> row;
    ASSERT_TRUE(r->Next(row));
    EXPECT_EQ(row[0].VarType(), varInteger);
    EXPECT_EQ(row[1].VarType(), varFMTBcd);
    EXPECT_EQ(row[2].VarType(), varCurrency);
    EXPECT_EQ(row[3].VarType(), varDate);
    EXPECT_EQ(RenderRow(row), QStringLiteral("1|12.345|12.3456|2024-02-15 12:00:00.000|Текст"));
    ASSERT_TRUE(r->Next(row));
    EXPECT_EQ(RenderRow(row), QStringLiteral("2|NULL|NULL|NULL|"));   // an empty text stays empty, not NULL
    EXPECT_FALSE(r->Next(row));
    r.reset();
    // type hints convert the value first: text to a date under the session's format, a double to an exact decimal
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT :d, :n, :m"), {{"d", "15.02.2024", TSqlDataType::DateTime}, {"n", 2.675, TSqlDataType::Decimal},
                                                              {"m", "1.23456", TSqlDataType::Money}}),
              QStringList{"2024-02-15|2.675|1.2346"});
    // a parameter without a value is an error, named in the message
    try {
        s->Execute(QStringLiteral("DELETE FROM amounts WHERE id = :missing"));
        FAIL();
    } catch (const ESqlError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("missing")));
    }
}

// ISNULL(column, literal) = value is run in an index-friendly form; it must keep the
// server's truth values, NULL included, for text and exact numbers, also under NOT.
TEST_F(Semantics, IsNullEqualityKeepsItsTruthValues)
{
    s->Execute(QStringLiteral("CREATE INDEX IX_amounts_name ON amounts (name)"));
    s->Execute(QStringLiteral("INSERT INTO amounts(id, amount, name) VALUES (1, NULL, NULL), (2, 0, ''), (3, 5.5, 'Абв'), (4, NULL, 'абв ')"));
    struct Case { const char* isnull; const char* reference; };
    const Case forms[] = {
        {"ISNULL(name, '') = ISNULL(:p, '')", "(CASE WHEN name IS NULL THEN '' ELSE name END) = (CASE WHEN :p IS NULL THEN '' ELSE :p END)"},
        {"ISNULL(name, '') = :p", "(CASE WHEN name IS NULL THEN '' ELSE name END) = :p"},
        {":p = ISNULL(name, 'x')", ":p = (CASE WHEN name IS NULL THEN 'x' ELSE name END)"},
        {"NOT (ISNULL(name, '') = :p)", "NOT ((CASE WHEN name IS NULL THEN '' ELSE name END) = :p)"},
        {"ISNULL(amount, 0) = ISNULL(:n, 0)", "(CASE WHEN amount IS NULL THEN 0 ELSE amount END) = (CASE WHEN :n IS NULL THEN 0 ELSE :n END)"},
        {"NOT (ISNULL(amount, 0) = :n)", "NOT ((CASE WHEN amount IS NULL THEN 0 ELSE amount END) = :n)"},
        // built on the ISNULL: compared as a whole
        {"ISNULL(name, '') + 'в' = :p", "(CASE WHEN name IS NULL THEN '' ELSE name END) + 'в' = :p"},
        {"ISNULL(amount, 0) - 5.5 = :n", "(CASE WHEN amount IS NULL THEN 0 ELSE amount END) - 5.5 = :n"},
        {"ISNULL(id, 0) | 1 = 3", "(CASE WHEN id IS NULL THEN 0 ELSE id END) | 1 = 3"},
    };
    const Variant texts[] = {Variant::Null(), Variant(QString()), Variant(QStringLiteral("АБВ")), Variant(QStringLiteral("x")),
                             Variant(QStringLiteral("в")), Variant(QStringLiteral("абвв"))};
    const Variant numbers[] = {Variant::Null(), Bcd("0"), Bcd("5.500"), Bcd("7"), Bcd("-5.5"), Bcd("4")};
    auto ids = [&](const char* where, const Variant& p, const Variant& n) {
        return Query(*s, QStringLiteral("SELECT id FROM amounts WHERE ") + QString::fromUtf8(where) + QStringLiteral(" ORDER BY id"),
                     {{"p", p, TSqlDataType::VarChar}, {"n", n, TSqlDataType::Decimal}});
    };
    for (const Case& c : forms)
        for (const Variant& p : texts)
            for (const Variant& n : numbers) {
                SCOPED_TRACE(std::string(c.isnull) + " p=" + Render(p).toStdString() + " n=" + Render(n).toStdString());
                EXPECT_EQ(ids(c.isnull, p, n), ids(c.reference, p, n));
            }
    EXPECT_EQ(ids("ISNULL(name, '') = ISNULL(:p, '')", Variant::Null(), Variant::Null()), (QStringList{"1", "2"}));
    EXPECT_EQ(ids("ISNULL(name, '') = ISNULL(:p, '')", QStringLiteral("абв"), Variant::Null()), (QStringList{"3", "4"}));
}

TEST_F(Semantics, BadSqlRaisesTheEnginesMessage)
{
    struct Case { const char* sql; const char* message; };
    const Case cases[] = {
        {"SELEC 1", "Incorrect syntax near 'SELEC'."},
        {"SELECT nosuch FROM amounts", "Invalid column name 'nosuch'."},
        {"SELECT * FROM nosuch", "Invalid object name 'nosuch'."},
        {"SELECT x.id FROM amounts a", "The multi-part identifier \"x.id\" could not be bound."},
        {"SELECT * FROM other.dbo.t", "Database 'other' does not exist. Make sure that the name is entered correctly."},
        {"SELECT 'abc", "Unclosed quotation mark after the character string 'abc'."},
        {"SELECT NOFUNC(1)", "'NOFUNC' is not a recognized built-in function name."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        try {
            Query(*s, QString::fromUtf8(c.sql));
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(c.message));
        }
    }
}

TEST_F(Semantics, TwoThreadsShareOneConnection)
{
    s->Execute(QStringLiteral("CREATE TABLE counter(n int)"));
    s->Execute(QStringLiteral("INSERT INTO counter(n) VALUES (0)"));
    std::atomic<int> errors{0};
    auto work = [&] {
        try {
            for (int i = 0; i < 200; ++i) {
                // read-modify-write under the session's lock: no update is lost
                std::lock_guard<std::recursive_mutex> g(s->Mutex());
                auto r = s->Open(QStringLiteral("SELECT n FROM counter"));
                std::vector<Variant> row;
                r->Next(row);
                int n = row[0].AsInteger();
                r.reset();
                s->Execute(QStringLiteral("UPDATE counter SET n = :n"), {{"n", n + 1}});
                s->Execute(QStringLiteral("INSERT INTO #t_%1 VALUES (1)").arg(0), {});
            }
        } catch (...) {
            ++errors;
        }
    };
    s->Execute(QStringLiteral("CREATE TABLE #t_0(a int)"));
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(errors.load(), 0);
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT n FROM counter")), QStringList{"400"});
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*) FROM #t_0")), QStringList{"400"});
}

TEST_F(Semantics, AJobThreadAndTheUiThreadInterleaveStatements)
{
    // no lock taken by the callers: each call is serialised by the session itself
    s->Execute(QStringLiteral("CREATE TABLE #job(a int, b varchar(10))"));
    std::atomic<int> errors{0};
    std::thread job([&] {
        try {
            auto ins = s->Prepare(QStringLiteral("INSERT INTO #job (a, b) VALUES (?, ?)"));
            for (int i = 0; i < 1000; ++i) ins->Execute({{QString(), i}, {QString(), QString::number(i)}});
        } catch (...) {
            ++errors;
        }
    });
    int reads = 0;
    try {
        for (int i = 0; i < 200; ++i) {
            auto r = s->Open(QStringLiteral("SELECT fio FROM DararedSigners WHERE filial = :f"), {{"f", i}});
            std::vector<Variant> row;
            while (r->Next(row)) {}
            ++reads;
        }
    } catch (...) {
        ++errors;
    }
    job.join();
    EXPECT_EQ(errors.load(), 0);
    EXPECT_EQ(reads, 200);
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*), SUM(a) FROM #job")), QStringList{"1000|499500"});
}

TEST_F(Semantics, CommandsAndResultsOutlivingTheirSession)
{
    s->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (1, 'a')"));
    s->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (1, 'b')"));
    auto cmd = s->Prepare(QStringLiteral("SELECT fio FROM DararedSigners"));
    auto r = cmd->Open();
    std::vector<Variant> row;
    ASSERT_TRUE(r->Next(row));
    s.reset();
    try {
        r->Next(row);
        FAIL();
    } catch (const ESqlError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("The connection is closed."));
    }
    EXPECT_THROW(cmd->Execute(), ESqlError);
    r.reset();
    cmd.reset();
}

TEST_F(Semantics, TimeOutInterruptsALongQuery)
{
    auto cmd = s->Prepare(QStringLiteral(
        "SELECT COUNT(*) FROM DararedSigners a, DararedSigners b, DararedSigners c, DararedSigners d, DararedSigners e"));
    for (int i = 0; i < 60; ++i)
        s->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (1, :f)"), {{"f", QString::number(i)}});
    cmd->SetTimeout(1);
    try {
        auto r = cmd->Open();
        FAIL() << "finished";
    } catch (const ESqlError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Query timeout expired"));
    }
}

} // namespace

namespace {

// A statement that fails part-way leaves nothing behind: the rows it wrote before the
// failing one are gone with it.
TEST_F(Semantics, AFailedStatementWritesNothing)
{
    s->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (1, 'Петров')"));
    s->Execute(QStringLiteral("INSERT INTO amounts(id, name) VALUES (1, 'Иванов'), (2, 'Сидоров'), (3, 'ПЕТРОВ'), (4, 'Орлов')"));
    try {
        s->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) SELECT 1, name FROM amounts ORDER BY id"));
        FAIL() << "duplicate accepted";
    } catch (const ESqlError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("duplicate key"))) << e.Message().toStdString();
    }
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*) FROM DararedSigners")), QStringList{"1"});
    try {
        s->Execute(QStringLiteral("UPDATE amounts SET amount = CAST(CASE WHEN id < 3 THEN '1' ELSE 'x' END AS decimal(18, 3))"));
        FAIL() << "bad cast accepted";
    } catch (const ESqlError&) {
    }
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*) FROM amounts WHERE amount IS NOT NULL")), QStringList{"0"});
}

} // namespace

// A date parameter the calendar cannot hold is refused, never wrapped into a garbage date.
TEST_F(Semantics, DateParametersOutsideTheCalendarAreRefused)
{
    for (double dt : {std::nan(""), 1e308, -1e308, 3000000.0, -693594.0}) {
        SCOPED_TRACE(dt);
        EXPECT_THROW(s->Execute(QStringLiteral("INSERT INTO amounts(id, d) VALUES (9, :d)"), {{"d", Variant::FromDate(dt)}}), ESqlError);
    }
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*) FROM amounts WHERE id = 9")), QStringList{"0"});
    // the first and last days of the calendar still pass
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT :a, :b"), {{"a", Variant::FromDate(-693593.0)}, {"b", Variant::FromDate(2958465.0)}}),
              QStringList{"0001-01-01|9999-12-31"});
}
