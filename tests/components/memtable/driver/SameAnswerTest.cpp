// The same rows sort, filter and locate alike whether a grid shows them from an in-memory table
// or straight from a query: both go through the one ordering of values and the one filter
// language.
#include "components/memtable/DataDriverEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/query/QueryFixture.h"

namespace {

class SameAnswerTest : public QueryTest {
protected:
    TADOQuery* q = nullptr;
    TMemTableEh* t = nullptr;

    TADOQuery* Query()
    {
        auto* r = Create<TADOQuery>(&owner);
        r->SetConnection(conn);
        r->SetCursorType(ctStatic);
        r->SQL()->Add(QStringLiteral("SELECT id, txt, amt, qty, d FROM vals ORDER BY id"));
        return r;
    }

    void SetUp() override
    {
        QueryTest::SetUp();
        conn->Execute(QStringLiteral(
            "CREATE TABLE vals(id int PRIMARY KEY, txt nvarchar(20) NULL, amt money NULL, qty int NULL, d datetime NULL)\n"
            "INSERT INTO vals VALUES (1, NULL, NULL, NULL, NULL)\n"
            "INSERT INTO vals VALUES (2, '', 0, 0, '01.01.2024')\n"
            "INSERT INTO vals VALUES (3, 'abc', 1.5, 2, '29.02.2024')\n"
            "INSERT INTO vals VALUES (4, 'ABC', -3, 10, '31.12.2023')\n"
            "INSERT INTO vals VALUES (5, 'abc ', 2.0001, -1, '01.01.2024 12:00')\n"
            "INSERT INTO vals VALUES (6, N'Ёлка', 100, 3, '05.05.2025')\n"
            "INSERT INTO vals VALUES (7, N'елка', 0.5, 3, NULL)\n"
            "INSERT INTO vals VALUES (8, N'ель', 99.99, NULL, '01.01.2024')\n"
            "INSERT INTO vals VALUES (9, N'Абв', 1.5, 2, '15.06.2024')\n"
            "INSERT INTO vals VALUES (10, 'b', NULL, 1, '29.02.2024')"));
        q = Query();
        q->Open();
        auto* drv = Create<TDataSetDriverEh>(&owner);
        drv->SetProviderDataSet(Query());
        t = Create<TMemTableEh>(&owner);
        t->SetDataDriver(drv);
        t->SetFetchAllOnOpen(true);
        t->Open();
    }

    static QString Ids(TDataSet* ds)
    {
        QStringList s;
        for (ds->First(); !ds->Eof(); ds->Next())
            s << ds->FieldByName(QStringLiteral("id"))->AsString();
        return s.join(u',');
    }

    void BothOptions(TFilterOptions o)
    {
        q->SetFilterOptions(o);
        t->SetFilterOptions(o);
    }
};

TEST_F(SameAnswerTest, SortOrdersAlike)
{
    struct Case { const char* order; bool caseIns; const char* ids; };
    const Case cases[] = {
        // Null first, '' next; lower case before upper, a trailing blank after both
        {"txt", false, "1,2,3,4,5,10,9,7,6,8"},
        {"txt", true, "1,2,3,4,5,10,9,7,6,8"},
        {"txt DESC, id", false, "8,6,7,9,10,5,4,3,2,1"},
        {"amt", false, "1,10,4,2,7,3,9,5,8,6"},
        {"qty DESC, amt", false, "4,7,6,3,9,10,2,5,1,8"},
        {"d, id", false, "1,7,4,2,8,5,3,10,9,6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        BothOptions(c.caseIns ? TFilterOptions{foCaseInsensitive} : TFilterOptions{});
        t->SetSortOrder(QString::fromUtf8(c.order));
        q->SetSort(QString::fromUtf8(c.order));
        EXPECT_EQ(Ids(t), QString::fromLatin1(c.ids));
        EXPECT_EQ(Ids(q), Ids(t));
    }
    q->SetSort(QString());
    EXPECT_EQ(Ids(q), QStringLiteral("1,2,3,4,5,6,7,8,9,10"));
    EXPECT_THROW(q->SetSort(QStringLiteral("nosuch")), EDatabaseError);
}

TEST_F(SameAnswerTest, FiltersAcceptAlike)
{
    struct Case { const char* filter; bool caseIns; const char* ids; };
    const Case cases[] = {
        {"txt = 'abc'", false, "3"},
        {"txt = 'abc'", true, "3,4"},
        {"txt = 'abc '", false, "5"},
        {"txt = ''", false, "1,2"},        // a Null text reads as ''
        {"txt IS NULL", false, "1,2"},     // an empty text is blank
        {"txt IS NOT NULL", false, "3,4,5,6,7,8,9,10"},
        {"txt <> 'abc'", false, "1,2,4,5,6,7,8,9,10"},
        {"txt > 'b'", false, "6,7,8,9"},
        {"txt = 'ab*'", false, "3,5"},
        {"txt = 'абв'", true, "9"},
        {"txt = 'ёлка'", true, "6"},
        {"txt LIKE 'е%'", false, "7,8"},
        {"amt > 1", false, "3,5,6,8,9"},
        {"amt = 1.5", false, "3,9"},
        {"amt >= 2", false, "5,6,8"},
        {"qty = 3", false, "6,7"},
        {"qty < 2.5", false, "1,2,3,5,8,9,10"},   // Null is less than any value
        {"qty IN (2, 10)", false, "3,4,9"},
        {"d >= '01.01.2024'", false, "2,3,5,6,8,9,10"},
        {"d < '01.01.2024'", false, "1,4,7"},
        {"qty = 3 OR txt = 'b'", false, "6,7,10"},
        {"NOT (amt > 0) AND d IS NOT NULL", false, "2,4,10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        BothOptions(c.caseIns ? TFilterOptions{foCaseInsensitive} : TFilterOptions{});
        for (TDataSet* ds : {static_cast<TDataSet*>(q), static_cast<TDataSet*>(t)}) {
            ds->SetFiltered(false);
            ds->SetFilter(QString::fromUtf8(c.filter));
            ds->SetFiltered(true);
        }
        EXPECT_EQ(Ids(t), QString::fromLatin1(c.ids));
        EXPECT_EQ(Ids(q), Ids(t));
    }
}

TEST_F(SameAnswerTest, LocateFindsAlike)
{
    struct Case { const char* field; Variant key; TLocateOptions options; int id; };
    const Case cases[] = {
        {"txt", Variant(QStringLiteral("abc")), {}, 3},
        {"txt", Variant(QStringLiteral("ABC")), {loCaseInsensitive}, 3},
        {"txt", Variant(QStringLiteral("abc ")), {}, 5},
        // a Null text reads as '' when texts are compared (without options the table matches
        // its stored values exactly, so the key '' is not asked that way here)
        {"txt", Variant(QStringLiteral("")), {loCaseInsensitive}, 1},
        {"txt", Variant::Null(), {}, 1},
        {"amt", Variant::Null(), {}, 1},
        {"amt", Variant(0), {}, 2},
        {"txt", Variant(QStringLiteral("Ёл")), {loPartialKey}, 6},
        {"txt", Variant(QStringLiteral("ЕЛЬ")), {loCaseInsensitive}, 8},
        {"txt", Variant(QStringLiteral("ель ")), {}, 0},
        {"amt", Variant(1.5), {}, 3},
        {"amt", Variant(100), {}, 6},
        {"qty", Variant(QStringLiteral("10")), {}, 4},
        {"qty", Variant(3.0), {}, 6},
        {"d", Variant::FromDate(EncodeDate(2024, 2, 29)), {}, 3},
        {"d", Variant::FromDate(EncodeDate(2024, 1, 1) + 0.5), {}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + VarToStr(c.key).toStdString());
        for (TDataSet* ds : {static_cast<TDataSet*>(q), static_cast<TDataSet*>(t)}) {
            ds->Last();
            const bool found = ds->Locate(QString::fromLatin1(c.field), c.key, c.options);
            EXPECT_EQ(found ? ds->FieldByName(QStringLiteral("id"))->AsInteger() : 0, c.id) << ds->ClassName().toStdString();
        }
    }
}

}  // namespace
