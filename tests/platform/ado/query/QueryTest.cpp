// Queries: lines and placeholders, parameters, the static cursor, errors, prepared commands.
#include "QueryFixture.h"

namespace {

TEST_F(QueryTest, APlaceholderLineIsOverwrittenInPlaceBeforeEachRun)
{
    conn->Execute(QStringLiteral("CREATE TABLE tbPredpr(idPredpr int, NamePredprShort varchar(50))\n"
                                 "INSERT INTO tbPredpr VALUES (1, 'Альфа')\nINSERT INTO tbPredpr VALUES (2, 'Бета')\n"
                                 "INSERT INTO tbPredpr VALUES (3, 'Гамма')"));
    // the last line is empty in the stored text and stays a line of its own
    TADOQuery* q = Q("ExcSumQ", {"SELECT idPredpr, NamePredprShort", "FROM tbPredpr", "-- Условие", ""});
    ASSERT_EQ(q->SQL()->Count(), 4);
    q->SetCursorType(ctStatic);
    q->Open();
    EXPECT_EQ(q->RecordCount(), 3);
    q->Close();

    struct Case { const char* line; QStringList rows; };
    const Case cases[] = {
        {"WHERE idPredpr=2", {"2|Бета"}},
        {"-- Условие филиал", {"1|Альфа", "2|Бета", "3|Гамма"}},
        {"WHERE idPredpr IN (1, 3) ORDER BY idPredpr DESC", {"3|Гамма", "1|Альфа"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        q->SQL()->SetStrings(q->SQL()->Count() - 1, QString::fromUtf8(c.line));
        EXPECT_EQ(q->SQL()->Count(), 4);
        q->Open();
        EXPECT_EQ(Rows(q), c.rows);
        q->Close();
    }
    // changing a line of an open query closes it (its rows belong to the old text)
    q->Open();
    q->SQL()->SetStrings(2, QStringLiteral("WHERE idPredpr=1"));
    EXPECT_FALSE(q->Active());
}

TEST_F(QueryTest, ABatchWithDateTextParametersAndAPlaceholderBeforeTheLastLine)
{
    conn->Execute(QStringLiteral("CREATE TABLE sp(mes datetime, Summ decimal(18, 3), idPredpr int)\n"
                                 "INSERT INTO sp VALUES ('20240115', 10.005, 1)\nINSERT INTO sp VALUES ('20240220', 2.5, 2)\n"
                                 "INSERT INTO sp VALUES ('20240301', 7, 1)"));
    TADOQuery* q = Q("SelectSprProvObj", {
        "SET DATEFORMAT DMY",
        "DECLARE @FirstDate DATETIME",
        "DECLARE @SecondDate DATETIME",
        "SET @FirstDate = CAST(:FirstDate AS DATETIME)",
        "SET @SecondDate = CAST(:SecondDate AS DATETIME)",
        "SELECT spr.idPredpr, SUM(spr.Summ) AS Summ",
        "FROM sp spr",
        "WHERE (mes BETWEEN @FirstDate and @SecondDate)",
        "-- Условие для предприятия",
        "GROUP BY spr.idPredpr ORDER BY spr.idPredpr"});
    q->SetCursorType(ctStatic);
    q->SetCommandTimeout(1200);
    for (const char* n : {"FirstDate", "SecondDate"}) {
        q->Parameters()->ParamByName(n)->SetDataType(ftString);
        q->Parameters()->ParamByName(n)->SetSize(10);
    }
    q->Parameters()->ParamByName("FirstDate")->SetValue(FormatDateTime(QStringLiteral("dd.mm.yyyy"), EncodeDate(2024, 1, 1)));
    q->Parameters()->ParamByName("SecondDate")->SetValue(QStringLiteral("29.02.2024"));
    struct Case { const char* line; QStringList rows; };
    const Case cases[] = {
        {"-- Условие для предприятия", {"1|10,005", "2|2,5"}},
        {"AND ISNULL(spr.idPredpr, '')='2'", {"2|2,5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        q->SQL()->SetStrings(q->SQL()->Count() - 2, QString::fromUtf8(c.line));
        q->Open();
        EXPECT_EQ(Rows(q), c.rows);
        q->Close();
    }
}

TEST_F(QueryTest, ParametersKeepNullApartFromEmptyTextAndTypedReadsOfNullGiveZeroValues)
{
    conn->Execute(QStringLiteral("CREATE TABLE #t(id int, txt varchar(20), d datetime, n decimal(18, 3))"));
    TADOQuery* ins = Q("InsQ", {"INSERT INTO #t(id, txt, d, n)", "VALUES (:id, :txt, :d, :n)"});
    ASSERT_EQ(ins->Parameters()->Count(), 4);
    ins->Parameters()->ParamByName("txt")->SetDataType(ftString);
    ins->Parameters()->ParamByName("txt")->SetSize(20);
    ins->Parameters()->ParamByName("d")->SetDataType(ftDateTime);
    ins->Parameters()->ParamByName("n")->SetDataType(ftBCD);

    struct Row { int id; Variant txt, d, n; };
    const Row rows[] = {
        {1, Null(), Null(), Null()},
        {2, Variant(QString()), Variant::FromDate(EncodeDate(2024, 3, 31)), Variant(Currency::FromDouble(12.5))},
        {3, Variant(QStringLiteral("текст")), Variant(QStringLiteral("01.02.2024")), Variant(QStringLiteral("0,125"))},
    };
    for (const Row& r : rows) {
        ins->Parameters()->ParamByName("ID")->SetValue(r.id);   // names match without case
        ins->Parameters()->ParamByName("txt")->SetValue(r.txt);
        ins->Parameters()->ParamByName("d")->SetValue(r.d);
        ins->Parameters()->ParamByName("n")->SetValue(r.n);
        EXPECT_EQ(ins->ExecSQL(), 1);
    }
    EXPECT_EQ(ins->PrepareCount(), 1);

    TADOQuery* sel = Q("SelQ", {"SELECT id, txt, d, n, CASE WHEN txt IS NULL THEN 'null' ELSE 'text' END AS kind",
                                "FROM #t ORDER BY id"});
    sel->Open();
    EXPECT_EQ(sel->FieldByName("n")->DataType(), ftBCD);
    EXPECT_EQ(sel->FieldByName("d")->DataType(), ftDateTime);
    sel->First();
    EXPECT_TRUE(sel->FieldByName("txt")->IsNull());
    EXPECT_EQ(sel->FieldByName("kind")->AsString(), QStringLiteral("null"));
    EXPECT_EQ(sel->FieldByName("txt")->AsString(), QString());
    EXPECT_EQ(sel->FieldByName("n")->AsInteger(), 0);
    EXPECT_EQ(sel->FieldByName("n")->AsCurrency(), Currency());
    EXPECT_EQ(sel->FieldByName("d")->AsDateTime(), 0.0);
    sel->Next();
    EXPECT_FALSE(sel->FieldByName("txt")->IsNull());
    EXPECT_EQ(sel->FieldByName("kind")->AsString(), QStringLiteral("text"));
    EXPECT_EQ(sel->FieldByName("d")->AsDateTime(), EncodeDate(2024, 3, 31));
    EXPECT_EQ(sel->FieldByName("n")->AsCurrency(), Currency::FromDouble(12.5));
    sel->Next();
    EXPECT_EQ(sel->FieldByName("txt")->AsString(), QStringLiteral("текст"));
    EXPECT_EQ(sel->FieldByName("d")->AsDateTime(), EncodeDate(2024, 2, 1));
    EXPECT_EQ(sel->FieldByName("n")->AsCurrency(), Currency::FromDouble(0.125));
}

TEST_F(QueryTest, TheStaticCursorNavigatesCountsLocatesAndKeepsBookmarks)
{
    conn->Execute(QStringLiteral("CREATE TABLE #s(id int, name varchar(20), grp int)"));
    TADOQuery* ins = Q("Ins", {"INSERT INTO #s VALUES (:id, :name, :grp)"});
    for (int i = 1; i <= 50; ++i) {
        ins->Parameters()->ParamByName("id")->SetValue(i);
        ins->Parameters()->ParamByName("name")->SetValue(QStringLiteral("Имя %1").arg(i));
        ins->Parameters()->ParamByName("grp")->SetValue(i % 3 == 0 ? Null() : Variant(i % 3));
        ins->ExecSQL();
    }
    TADOQuery* q = Q("Sel", {"SELECT id, name, grp FROM #s ORDER BY id"});
    q->SetCursorType(ctStatic);
    q->Open();
    EXPECT_FALSE(q->IsEmpty());
    EXPECT_EQ(q->RecordCount(), 50);
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 1);
    EXPECT_TRUE(q->Bof());
    q->Last();
    EXPECT_TRUE(q->Eof());
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 50);
    EXPECT_EQ(q->RecNo(), 50);
    q->SetRecNo(20);
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 20);
    const TBookmark bm = q->Bookmark();
    EXPECT_EQ(q->MoveBy(-5), -5);
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 15);
    EXPECT_EQ(q->CompareBookmarks(q->Bookmark(), bm), -1);
    q->GotoBookmark(bm);
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 20);

    // Locate without case, by prefix, by several fields; a miss keeps the position
    EXPECT_TRUE(q->Locate(QStringLiteral("name"), Variant(QStringLiteral("имя 33")), {loCaseInsensitive}));
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 33);
    EXPECT_TRUE(q->Locate(QStringLiteral("name"), Variant(QStringLiteral("Имя 4")), {loPartialKey}));
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 4);
    EXPECT_FALSE(q->Locate(QStringLiteral("id"), Variant(77), {}));
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 4);
    EXPECT_TRUE(q->Locate(QStringLiteral("grp;id"), VarArrayOf({Null(), Variant(9)}), {}));
    EXPECT_EQ(q->RecNo(), 9);

    // filters: a text, an event, both; counts and record numbers follow
    struct Case { const char* filter; bool event; int count; int first; };
    const Case cases[] = {
        {"grp = 1", false, 17, 1},
        {"grp IS NULL", false, 16, 3},
        {"grp = 2 and id > 40", false, 4, 41},
        {"name = 'имя 1*'", false, 0, 0},
        {"", true, 25, 2},
        {"grp is not null", true, 17, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        q->SetFiltered(false);
        q->SetFilter(QString::fromUtf8(c.filter));
        q->SetOnFilterRecord(c.event ? TFilterRecordEvent([](TDataSet* ds, bool& accept) {
            accept = ds->FieldByName(QStringLiteral("id"))->AsInteger() % 2 == 0;
        }) : TFilterRecordEvent());
        q->SetFiltered(true);
        EXPECT_EQ(q->RecordCount(), c.count);
        EXPECT_EQ(q->IsEmpty(), c.count == 0);
        if (c.count) {
            EXPECT_EQ(q->FieldByName("id")->AsInteger(), c.first);
            EXPECT_EQ(q->RecNo(), 1);
        }
    }
    // under a filter only the rows it lets through are found
    q->SetOnFilterRecord(TFilterRecordEvent());
    q->SetFilter(QStringLiteral("grp = 1"));
    EXPECT_FALSE(q->Locate(QStringLiteral("id"), Variant(3), {}));
    EXPECT_TRUE(q->Locate(QStringLiteral("id"), Variant(4), {}));
    EXPECT_EQ(q->RecNo(), 2);
    q->SetFilterOptions({foCaseInsensitive});
    q->SetOnFilterRecord(TFilterRecordEvent());
    q->SetFilter(QStringLiteral("name = 'имя 1*'"));
    EXPECT_EQ(q->RecordCount(), 11);   // 1, 10..19
    q->SetFilterOptions({foCaseInsensitive, foNoPartialCompare});
    EXPECT_EQ(q->RecordCount(), 0);
    EXPECT_THROW(q->SetFilter(QStringLiteral("nosuch = 1")), EDatabaseError);
    q->SetFiltered(false);
    EXPECT_EQ(q->RecordCount(), 50);
}

TEST_F(QueryTest, RequeryReadsTheRowsAgainAndKeepsTheRowNumber)
{
    conn->Execute(QStringLiteral("CREATE TABLE r(a int)\nINSERT INTO r VALUES (1)\nINSERT INTO r VALUES (2)\nINSERT INTO r VALUES (3)"));
    TADOQuery* q = Q("R", {"SELECT a FROM r ORDER BY a"});
    q->Open();
    q->SetRecNo(2);
    conn->Execute(QStringLiteral("UPDATE r SET a = a * 10\nINSERT INTO r VALUES (40)"));
    EXPECT_EQ(q->FieldByName("a")->AsInteger(), 2);   // the static cursor does not see the server
    q->Requery();
    EXPECT_EQ(q->RecordCount(), 4);
    EXPECT_EQ(q->RecNo(), 2);
    EXPECT_EQ(q->FieldByName("a")->AsInteger(), 20);
    EXPECT_EQ(Rows(q), (QStringList{"10", "20", "30", "40"}));
}

TEST_F(QueryTest, AnEmptyResultIsEmptyAndDefaultFieldsFollowTheServerTypes)
{
    conn->Execute(QStringLiteral("CREATE TABLE t(a tinyint, b smallint, c int, d bigint, e decimal(18, 3), f decimal(28, 6), "
                                 "g money, h float, i varchar(25), j nvarchar(10), k datetime, l bit, m char(3))"));
    TADOQuery* q = Q("Q", {"SELECT * FROM t"});
    q->Open();
    EXPECT_TRUE(q->IsEmpty());
    EXPECT_TRUE(q->Eof());
    EXPECT_EQ(q->RecordCount(), 0);
    const TFieldType want[] = {ftWord, ftSmallint, ftInteger, ftLargeint, ftBCD, ftFMTBcd, ftCurrency, ftFloat,
                               ftString, ftWideString, ftDateTime, ftBoolean, ftFixedChar};
    ASSERT_EQ(q->FieldCount(), 13);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(q->Fields()->Fields(i)->DataType(), want[i]) << i;
    EXPECT_EQ(q->FieldByName("i")->Size(), 25);
    EXPECT_EQ(q->FieldByName("e")->Size(), 3);
    EXPECT_EQ(static_cast<TBCDField*>(q->FieldByName("e"))->Precision(), 18);
    q->Close();
    EXPECT_EQ(q->FieldCount(), 0);   // default fields go with the cursor
}

TEST_F(QueryTest, ACommandIsPreparedOncePerTextAndSession)
{
    conn->Execute(QStringLiteral("CREATE TABLE #p(a int)"));
    TADOQuery* q = Q("InsQ", {"INSERT INTO #p(a)", "VALUES (:a)"});
    for (int i = 0; i < 20; ++i) {
        q->Parameters()->ParamByName("a")->SetValue(i);
        q->ExecSQL();
    }
    EXPECT_EQ(q->PrepareCount(), 1);
    EXPECT_EQ(q->RowsAffected(), 1);
    q->SQL()->SetStrings(1, QStringLiteral("VALUES (:a + 100)"));
    q->ExecSQL();
    EXPECT_EQ(q->PrepareCount(), 2);
    // a new session compiles again (and its temporary tables are new)
    conn->Close();
    conn->Open();
    conn->Execute(QStringLiteral("CREATE TABLE #p(a int)"));
    q->ExecSQL();
    EXPECT_EQ(q->PrepareCount(), 3);
    EXPECT_EQ(conn->Execute(QStringLiteral("DELETE FROM #p")), 1);
}

TEST_F(QueryTest, BadInputRaisesClearErrors)
{
    conn->Execute(QStringLiteral("CREATE TABLE tbPredpr(idPredpr int PRIMARY KEY, n varchar(5))"));
    TADOQuery* q = Q("InsertPredprQ", {"INSERT INTO tbPredpr(idPredpr, n) VALUES (:id, :n)"});
    q->Parameters()->ParamByName("id")->SetDataType(ftInteger);

    auto message = [](const std::function<void()>& f) -> QString {
        try {
            f();
        } catch (const Exception& e) {
            return e.Message();
        }
        return QStringLiteral("(no error)");
    };
    // unknown parameter and a value of the wrong type name the query
    EXPECT_EQ(message([&] { q->Parameters()->ParamByName("nosuch"); }),
              QStringLiteral("InsertPredprQ: Parameter 'nosuch' not found"));
    q->Parameters()->ParamByName("id")->SetValue(QStringLiteral("abc"));
    EXPECT_EQ(message([&] { q->ExecSQL(); }),
              QStringLiteral("InsertPredprQ: Parameter 'id': the value 'abc' is not a valid Integer"));
    // the engine's own messages come through unchanged
    q->Parameters()->ParamByName("id")->SetValue(1);
    q->Parameters()->ParamByName("n")->SetValue(QStringLiteral("a"));
    q->ExecSQL();
    EXPECT_TRUE(message([&] { q->ExecSQL(); }).contains(QLatin1String("duplicate key")));
    q->Parameters()->ParamByName("id")->SetValue(2);
    q->Parameters()->ParamByName("n")->SetValue(QStringLiteral("toolong"));
    EXPECT_TRUE(message([&] { q->ExecSQL(); }).contains(QLatin1String("truncated")));
    EXPECT_EQ(conn->Execute(QStringLiteral("UPDATE tbPredpr SET n = n")), 1);   // nothing of the failed ones was written
    TADOQuery* bad = Q("BadQ", {"SELECT * FROM nosuchtable"});
    EXPECT_TRUE(message([&] { bad->Open(); }).contains(QLatin1String("nosuchtable")));
    EXPECT_FALSE(bad->Active());
    EXPECT_EQ(bad->FieldCount(), 0);

    // no connection, an empty connection string, a missing catalog
    auto* lone = Create<TADOQuery>(&owner);
    lone->SetName(QStringLiteral("LoneQ"));
    lone->SQL()->Add(QStringLiteral("SELECT 1 AS x"));
    EXPECT_EQ(message([&] { lone->Open(); }), QStringLiteral("LoneQ: Missing Connection or ConnectionString"));
    auto* other = Create<TADOConnection>(&owner);
    lone->SetConnection(other);
    EXPECT_EQ(message([&] { lone->Open(); }), QStringLiteral("LoneQ: Missing Connection or ConnectionString"));
    other->SetConnectionString(ConnStr(dir.path(), QStringLiteral("nosuchcatalog")));
    const QString missing = message([&] { lone->Open(); });
    EXPECT_TRUE(missing.startsWith(QLatin1String("LoneQ: ")) && missing.contains(QLatin1String("nosuchcatalog"))) << missing.toStdString();
    EXPECT_FALSE(other->Connected());
    // closing the connection closes its queries
    TADOQuery* open = Q("OpenQ", {"SELECT idPredpr FROM tbPredpr"});
    open->Open();
    conn->Close();
    EXPECT_FALSE(open->Active());
    EXPECT_EQ(message([&] { conn->Session(); }), QStringLiteral("SvodMDBConnection: Connection is closed"));
}

TEST_F(QueryTest, AStatementPastItsTimeOutIsInterrupted)
{
    conn->Execute(QStringLiteral("CREATE TABLE big(a int)"));
    TADOQuery* ins = Q("Ins", {"INSERT INTO big VALUES (:a)"});
    for (int i = 0; i < 80; ++i) {
        ins->Parameters()->ParamByName("a")->SetValue(i);
        ins->ExecSQL();
    }
    TADOQuery* q = Q("SlowQ", {"SELECT COUNT(*) AS n FROM big a, big b, big c, big d, big e"});
    q->SetCommandTimeout(1);
    const auto start = std::chrono::steady_clock::now();
    try {
        q->Open();
        FAIL() << "finished";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Query timeout expired"));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    // the connection goes on working
    EXPECT_EQ(conn->Execute(QStringLiteral("DELETE FROM big WHERE a < 10")), 10);
}

}  // namespace

TEST_F(QueryTest, ThirtyEightDigitDecimalsRoundTripThroughParametersIntoFields)
{
    conn->Execute(QStringLiteral("CREATE TABLE #w(id int, n decimal(38, 10), f decimal(38, 38), m money)"));
    TADOQuery* ins = Q("InsQ", {"INSERT INTO #w(id, n, f, m) VALUES (:id, :n, :f, :m)"});
    ins->Parameters()->ParamByName("n")->SetDataType(ftFMTBcd);
    ins->Parameters()->ParamByName("f")->SetDataType(ftFMTBcd);
    ins->Parameters()->ParamByName("m")->SetDataType(ftCurrency);
    // n, f, m, and n * 1: decimal(38, 10) * numeric(1, 0) has 40 digits, so the server makes it
    // decimal(38, 8) (the scale gives way to the 30 integer digits), rounded
    const char* const values[][4] = {
        {"1234567890123456789012345678.9012345678", "0.12345678901234567890123456789012345678", "922337203685477.5807",
         "1234567890123456789012345678.90123457"},
        {"-9999999999999999999999999999.9999999999", "-0.99999999999999999999999999999999999999", "-0.0001",
         "-10000000000000000000000000000.00000000"},
    };
    int id = 0;
    for (const auto& v : values) {
        ins->Parameters()->ParamByName("id")->SetValue(++id);
        ins->Parameters()->ParamByName("n")->SetValue(Bcd(v[0]));
        ins->Parameters()->ParamByName("f")->SetValue(Bcd(v[1]));
        ins->Parameters()->ParamByName("m")->SetValue(Variant(Currency::FromRaw(QString::fromLatin1(v[2]).remove(u'.').toLongLong())));
        EXPECT_EQ(ins->ExecSQL(), 1);
    }
    TADOQuery* sel = Q("SelQ", {"SELECT n, f, m, n * 1 AS product FROM #w ORDER BY id"});
    sel->Open();
    EXPECT_EQ(sel->FieldByName("n")->DataType(), ftFMTBcd);
    EXPECT_EQ(static_cast<TBCDField*>(sel->FieldByName("n"))->Precision(), 38);
    EXPECT_EQ(sel->FieldByName("n")->Size(), 10);
    EXPECT_EQ(sel->FieldByName("m")->DataType(), ftCurrency);
    for (const auto& v : values) {
        SCOPED_TRACE(v[0]);
        EXPECT_EQ(Render(sel->FieldByName("n")->AsVariant()), QString::fromLatin1(v[0]));
        EXPECT_EQ(Render(sel->FieldByName("f")->AsVariant()), QString::fromLatin1(v[1]));
        EXPECT_EQ(Render(sel->FieldByName("m")->AsVariant()), QString::fromLatin1(v[2]));
        EXPECT_EQ(sel->FieldByName("n")->AsBCD(), Bcd(v[0]).AsBcd());
        EXPECT_EQ(Render(sel->FieldByName("product")->AsVariant()), QString::fromLatin1(v[3]));
        sel->Next();
    }
}
