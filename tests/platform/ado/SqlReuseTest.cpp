// What a statement run many times keeps between runs (how its parameters are bound) and the
// text comparison's shortcuts must not change any answer.
#include "SqlFixture.h"

#include "platform/ado/SqliteFunctions.h"

#include <sqlite3.h>

namespace {

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

TEST(TextCollation, AnswersDoNotDependOnWhereTheTextsDiffer)
{
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"abc", "ABC  ", 0},
        {"", "   ", 0},
        {"299999999-2024-000000000a", "299999999-2024-000000000A", 0},   // long common prefix, then case only
        {"299999999-2024-0000000001", "299999999-2024-0000000002", -1},
        {"299999999-2024-00000000", "299999999-2024-0000000", 1},
        // the first differing byte is inside a two-byte letter: б (D0 B1) against Б (D0 91)
        {"аб", "АБ", 0},
        {"Общество с ограниченной ответственностью б", "ОБЩЕСТВО С ОГРАНИЧЕННОЙ ОТВЕТСТВЕННОСТЬЮ Б", 0},
        {"Общество с ограниченной ответственностью а", "Общество с ограниченной ответственностью Б", -1},
        {"ёж", "ЕЖ", 1},   // ё sorts right after е
        {"ёж", "жа", -1},
        {"Ѐ", "ѐ", 0},
        {"x\xc3\xa9", "X\xc3\x89", 0},   // é and É beyond the Russian letters
        {"я", "Я ", 0},
        {"я", "а", 1},
    };
    for (const Case& c : cases) {
        const int n1 = int(std::strlen(c.a)), n2 = int(std::strlen(c.b));
        EXPECT_EQ(Sign(sqlimpl::TsqlCompare(n1, c.a, n2, c.b)), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(sqlimpl::TsqlCompare(n2, c.b, n1, c.a)), -c.expected) << c.b << " / " << c.a;
    }
}

class Reuse : public SqlFolder {
protected:
    void SetUp() override
    {
        s = Create(QStringLiteral("maindatabase"));
        s->Execute(QStringLiteral("CREATE TABLE t(a int, b varchar(10), d datetime, m decimal(18, 3))"));
    }
    std::unique_ptr<TSqlSession> s;
};

// The binding worked out at the first run is kept; later runs that give the parameters in
// another order, in other letter case or leave one out must still be bound by name.
TEST_F(Reuse, ACompiledInsertBindsByNameOnEveryRun)
{
    auto ins = s->Prepare(QStringLiteral("INSERT INTO t(a, b, d, m) VALUES (:a, :b, :d, :m)"));
    ins->Execute({{"a", 1}, {"b", "one"}, {"d", Variant::FromDate(45337)}, {"m", Bcd("1.5")}});
    ins->Execute({{"m", Bcd("2.25")}, {"D", Variant::FromDate(45338.25)}, {"B", "two"}, {"A", 2}});
    ins->Execute({{"a", 3}, {"m", Variant::Null()}, {"b", "three"}, {"d", Variant::Null()}});
    try {
        ins->Execute({{"a", 4}, {"b", "four"}, {"d", Variant::Null()}});
        FAIL() << "a missing parameter must be an error";
    } catch (const ESqlError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("'m'"))) << e.Message().toStdString();
    }
    ins->Execute({{"a", 5}, {"b", "five"}, {"d", Variant::FromDate(45339)}, {"m", Bcd("5")}});
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT a, b, d, m FROM t ORDER BY a")),
              (QStringList{"1|one|2024-02-15|1.500", "2|two|2024-02-16 06:00:00.000|2.250", "3|three|NULL|NULL",
                           "5|five|2024-02-17|5.000"}));
}

// A compiled statement keeps the bytes of its texts and decimals between runs: a shorter
// value after a longer one, an empty text and Cyrillic must each arrive as given.
TEST_F(Reuse, EveryRunStoresItsOwnTextsAndDecimals)
{
    auto ins = s->Prepare(QStringLiteral("INSERT INTO t(a, b, m) VALUES (:a, :b, :m)"));
    struct Row {
        int a;
        const char* b;
        const char* m;
        const char* stored;
    };
    const Row rows[] = {
        {1, "Ёлки-палки", "-12345678901234.125", "1|Ёлки-палки|-12345678901234.125"},
        {2, "ab", "0.5", "2|ab|0.500"},
        {3, "", "7", "3||7.000"},
        {4, "Я", "-0.001", "4|Я|-0.001"},
        {5, "abcdefghij", "999999999999999.999", "5|abcdefghij|999999999999999.999"},
        {6, "ab", "0.5", "6|ab|0.500"},
    };
    QStringList expected;
    for (const Row& r : rows) {
        ins->Execute({{"a", r.a}, {"b", QString::fromUtf8(r.b)}, {"m", Bcd(r.m)}});
        expected << QString::fromUtf8(r.stored);
    }
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT a, b, m FROM t ORDER BY a")), expected);
}

// A row set still being read keeps the parameters of its own run while its command runs
// again with others (no ORDER BY: each row is tested against the parameter as it is read).
TEST_F(Reuse, AnOpenRowSetKeepsItsParametersWhenItsCommandRunsAgain)
{
    s->Execute(QStringLiteral("INSERT INTO t(a, b) VALUES (1, 'икс'), (2, 'игр'), (3, 'икс'), (4, 'игр'), (5, 'икс')"));
    auto sel = s->Prepare(QStringLiteral("SELECT a FROM t WHERE b = :b"));
    auto first = sel->Open({{"b", QStringLiteral("икс")}});
    std::vector<Variant> row;
    QStringList firstRows;
    ASSERT_TRUE(first->Next(row));
    firstRows << row[0].AsString();
    QStringList second;
    {
        auto other = sel->Open({{"b", QStringLiteral("игр")}});
        while (other->Next(row)) second << row[0].AsString();
    }
    second.sort();
    EXPECT_EQ(second, (QStringList{"2", "4"}));
    while (first->Next(row)) firstRows << row[0].AsString();
    firstRows.sort();
    EXPECT_EQ(firstRows, (QStringList{"1", "3", "5"}));
}

TEST_F(Reuse, BatchVariablesAreReboundOnEveryRun)
{
    auto cmd = s->Prepare(QStringLiteral("DECLARE @x int\nSET @x = :v * 2\nINSERT INTO t(a) VALUES (@x)"));
    for (int v = 1; v <= 3; ++v) cmd->Execute({{"v", v}});
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT a FROM t ORDER BY a")), (QStringList{"2", "4", "6"}));
}

// A date-time column holding its canonical text reads as a date; a text there that is not
// one is handed over as it is.
TEST_F(Reuse, DateColumnsReadTheirCanonicalTextAsDates)
{
    s->Execute(QStringLiteral("INSERT INTO t(a, d) VALUES (1, '2024-02-29 23:59:59.997')"));
    auto r = s->Open(QStringLiteral("SELECT d FROM t"));
    std::vector<Variant> row;
    ASSERT_TRUE(r->Next(row));
    EXPECT_EQ(row[0].VarType(), varDate);
    EXPECT_EQ(Render(row[0]), QStringLiteral("2024-02-29 23:59:59.997"));
}

}  // namespace

namespace {

// The stored decimal compares by its bytes: byte order must be numeric order across the
// sizes of the integer part and the lengths of the fraction, and equal values must be equal
// bytes whatever their places.
TEST(DecimalStorage, ByteOrderIsNumericOrderAndValuesRoundTrip)
{
    const char* const ascending[] = {
        "-99999999999999999999999999999999999999", "-9223372036854775809", "-9223372036854775808.5", "-9223372036854775808",
        "-1.0000000000000000000000000000000000001", "-1", "-0.99999999999999999999999999999999999999", "-0.5",
        "-0.00000000000000000000000000000000000001", "0", "0.00000000000000000000000000000000000001", "0.01", "0.1",
        "0.10000000000000000000000000000000000001", "0.123", "0.5", "1", "1.05", "1.5", "9223372036854775807.99",
        "9223372036854775808", "9223372036854775808.0000000000000000001", "99999999999999999999999999999999999999",
    };
    std::vector<QByteArray> blobs;
    for (const char* text : ascending) {
        SCOPED_TRACE(text);
        sqlimpl::Dec d;
        ASSERT_TRUE(sqlimpl::DecFromText(QString::fromLatin1(text), d));
        const QByteArray b = sqlimpl::DecToBlob(d);
        ASSERT_TRUE(sqlimpl::IsDecBlob(b.constData(), int(b.size())));
        const sqlimpl::Dec back = sqlimpl::DecFromBlob(b.constData(), int(b.size()));
        EXPECT_EQ(sqlimpl::DecToText(back), QString::fromLatin1(text));
        sqlimpl::Dec wider;   // more places, same value, same bytes
        if (sqlimpl::DecRescale(d, d.scale + 1, wider)) {
            EXPECT_EQ(sqlimpl::DecToBlob(wider), b);
        }
        if (!blobs.empty()) {
            EXPECT_LT(blobs.back(), b) << "after " << blobs.size();
        }
        blobs.push_back(b);
    }
}

// Catalogs written by earlier builds hold the value times 10^8 in 18 bytes.
TEST(DecimalStorage, TheEarlierFormIsRead)
{
    auto old = [](sqlimpl::i128 scaled) {
        QByteArray b(18, '\0');
        b[0] = 'D';
        unsigned __int128 u = static_cast<unsigned __int128>(scaled) ^ (static_cast<unsigned __int128>(1) << 127);
        for (int i = 16; i >= 1; --i, u >>= 8) b[i] = char(uint8_t(u & 0xFF));
        return b;
    };
    for (auto [scaled, text] : {std::pair<sqlimpl::i128, const char*>{123450000000, "1234.5"}, {-1, "-0.00000001"}, {0, "0"}}) {
        const QByteArray b = old(scaled);
        ASSERT_TRUE(sqlimpl::IsDecBlob(b.constData(), int(b.size())));
        EXPECT_EQ(sqlimpl::DecToText(sqlimpl::DecFromBlob(b.constData(), int(b.size()))), QString::fromLatin1(text));
    }
}

} // namespace

namespace {

class DecimalUpgrade : public SqlFolder {};

// A catalog written by an earlier build: its decimals are rewritten when it is opened, so they
// order, compare and sum with the values written since.
TEST_F(DecimalUpgrade, ACatalogOfTheEarlierFormIsRewrittenOnOpen)
{
    Create(QStringLiteral("maindatabase"))->Execute(QStringLiteral("CREATE TABLE t(id int, v decimal(18, 3))"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QDir(Path()).absoluteFilePath(QStringLiteral("maindatabase.sqlite")).toUtf8().constData(), &db), SQLITE_OK);
    // whole values times 10^8, big-endian with the sign bit flipped, then a zero byte
    auto blob = [](long long scaled) {
        unsigned __int128 u = static_cast<unsigned __int128>(static_cast<__int128>(scaled) * 100000000) ^ (static_cast<unsigned __int128>(1) << 127);
        QByteArray b(18, '\0');
        b[0] = 'D';
        for (int i = 16; i >= 1; --i, u >>= 8) b[i] = char(uint8_t(u & 0xFF));
        return QStringLiteral("X'%1'").arg(QString::fromLatin1(b.toHex()));
    };
    const QString sql = QStringLiteral("INSERT INTO t VALUES (1, %1), (2, %2), (3, %3), (4, %4); PRAGMA user_version = 0")
                            .arg(blob(2), blob(10), blob(0), blob(-1));
    ASSERT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    auto s = Connect(QStringLiteral("maindatabase"));
    s->Execute(QStringLiteral("INSERT INTO t VALUES (5, 2.5), (6, 2)"));
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT id, v FROM t ORDER BY v, id")),
              (QStringList{"4|-1.000", "3|0.000", "1|2.000", "6|2.000", "5|2.500", "2|10.000"}));
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(DISTINCT v), SUM(v) FROM t")), QStringList{"5|15.500"});
    EXPECT_EQ(Query(*s, QStringLiteral("SELECT COUNT(*) FROM t WHERE v = 2")), QStringList{"2"});
}

} // namespace
