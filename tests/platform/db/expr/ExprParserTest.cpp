#include "ExprDecoder.h"

#include <gtest/gtest.h>

using namespace exprtest;

namespace {

struct FieldRow {
    const char* Name;
    int No;
    TFieldType Type;
};
const FieldRow kFields[] = {
    {"Name", 1, ftString},     {"Amount", 2, ftCurrency}, {"Qty", 3, ftInteger},
    {"DocDate", 4, ftDate},    {"Stamp", 5, ftDateTime},  {"Flag", 6, ftBoolean},
    {"Наименование", 7, ftWideString}, {"Rate", 8, ftFloat}, {"Order No", 9, ftString},
    {"Big", 10, ftLargeint},   {"At", 11, ftTime},        {"Code", 12, ftString},
    // the result table's columns that the main window filters on
    {"ndsexcel", 13, ftBCD},   {"ndsspr", 14, ftBCD},     {"hide", 15, ftBoolean},
    {"filial", 16, ftSmallint}, {"signerfio", 17, ftString}, {"dopUNN", 18, ftSmallint},
};

bool Resolve(const QString& name, TExprFieldInfo& info)
{
    for (const FieldRow& f : kFields)
        if (name.compare(QString::fromUtf8(f.Name), Qt::CaseInsensitive) == 0) {
            info.FieldNo = f.No;
            info.DataType = f.Type;
            info.FieldName = QString::fromUtf8(f.Name);
            return true;
        }
    return false;
}

QString Compile(const QString& text, TFilterOptions fo = {}, TParserOptions po = {poExtSyntax})
{
    TExprParser p(Resolve, text, fo, po);
    return Dump(p.FilterData());
}

struct Case {
    const char* Text;
    const char* Expected;
    TFilterOptions Options;
};

TEST(ExprParser, CompiledFormOfEachConstruct)
{
    const Case cases[] = {
        {"Name = 'abc'", "CMP[ci=0,p=0](F1:Name = 'abc')", {}},
        {"name = 'abc'", "CMP[ci=1,p=0](F1:Name = 'abc')", {foCaseInsensitive}},
        {"Name = 'Ab*'", "CMP[ci=0,p=2](F1:Name = 'Ab')", {}},
        {"Name <> 'Ab*'", "CMP[ci=0,p=0](F1:Name <> 'Ab*')", {foNoPartialCompare}},
        {"[Order No] LIKE 'A%_'", "CMP[ci=0,p=0](F9:Order No LIKE 'A%_')", {}},
        {"Name NOT LIKE 'x%'", "NOT(CMP[ci=0,p=0](F1:Name LIKE 'x%'))", {}},
        {"Qty > 5 AND Qty <= 10", "((F3:Qty > i:5) AND (F3:Qty <= i:10))", {}},
        {"Qty >= -3 OR NOT Flag", "((F3:Qty >= i:-3) OR NOT(F6:Flag))", {}},
        {"Qty < '12'", "(F3:Qty < i:12)", {}},
        {"Big = 5000000000", "(F10:Big = l:5000000000)", {}},
        {"Rate = 1.5e2", "(F8:Rate = f:150)", {}},
        {"Rate < '2,5'", "(F8:Rate < f:2.5)", {}},
        {"Amount = 12.34", "(F2:Amount = bcd:12.34)", {}},
        {"Flag = 'True'", "(F6:Flag = b:1)", {}},
        {"Flag = FALSE", "(F6:Flag = b:0)", {}},
        {"DocDate >= '01.02.2024'", "(F4:DocDate >= d:738917)", {}},
        {"Stamp < '01.02.2024 10:30'", "(F5:Stamp < dt:63842466600000)", {}},
        {"At = '10:30:00'", "(F11:At = t:37800000)", {}},
        {"Name IS NULL", "ISBLANK(F1:Name)", {}},
        {"Name IS NOT NULL", "NOTBLANK(F1:Name)", {}},
        {"Qty = NULL", "ISBLANK(F3:Qty)", {}},
        {"Qty in (1, 2, '3')", "(F3:Qty IN [i:1, i:2, i:3])", {}},
        {"Name NOT IN ('a','b')", "NOT((F1:Name IN ['a', 'b']))", {}},
        {"(Qty + 1) * 2 - Rate / 4 > 0", "((((F3:Qty + i:1) * i:2) - (F8:Rate / i:4)) > i:0)", {}},
        {"-Qty < 0", "((i:0 - F3:Qty) < i:0)", {}},
        {"Name + 'x' = 'ax'", "CMP[ci=0,p=0]((F1:Name + 'x') = 'ax')", {}},
        {"UPPER(Name) = 'A'", "CMP[ci=0,p=0](UPPER(F1:Name) = 'A')", {}},
        {"lower(Name) = 'a'", "CMP[ci=0,p=0](LOWER(F1:Name) = 'a')", {}},
        {"SUBSTRING(Name, 2, 3) = 'bc'", "CMP[ci=0,p=0](SUBSTRING(F1:Name, i:2, i:3) = 'bc')", {}},
        {"TRIM(Code, '0') = '12'", "CMP[ci=0,p=0](TRIM(F12:Code, '0') = '12')", {}},
        {"YEAR(DocDate) = 2024", "(YEAR(F4:DocDate) = i:2024)", {}},
        {"'It''s' = Name", "CMP[ci=0,p=0]('It's' = F1:Name)", {}},
        {"Наименование = 'Счёт'", "CMP[ci=0,p=0](F7:Наименование = W'Счёт')", {}},
        {"\"Order No\" = 'x'", "CMP[ci=0,p=0](F9:Order No = 'x')", {}},
        // the grid's filter strings: numbers in the regional form, bracketed names, spaces around
        {" [Qty] > 5 AND ( [Name] Like 'a' OR [Name] Like 'b') ",
         "((F3:Qty > i:5) AND (CMP[ci=0,p=0](F1:Name LIKE 'a') OR CMP[ci=0,p=0](F1:Name LIKE 'b')))", {}},
        {" [Rate] > 12,5 ", "(F8:Rate > f:12.5)", {}},
        {" [Rate] < -0,25 ", "(F8:Rate < f:-0.25)", {}},
        {" Not ( [Name] Like 'x%')", "NOT(CMP[ci=0,p=0](F1:Name LIKE 'x%'))", {}},
        {" ( [Qty] = '1' OR [Qty] = '2')", "((F3:Qty = i:1) OR (F3:Qty = i:2))", {}},
        {"Qty in (1,2)", "(F3:Qty IN [i:1, i:2])", {}},
        {"SUBSTRING(Name, 2,3) = 'x'", "CMP[ci=0,p=0](SUBSTRING(F1:Name, i:2, i:3) = 'x')", {}},
        {"Rate in (1,5, 2)", "(F8:Rate IN [i:1, i:5, i:2])", {}},
        {"DocDate = '01.02.2024 0:00:00'", "(F4:DocDate = d:738917)", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(Compile(QString::fromUtf8(c.Text), c.Options), QString::fromUtf8(c.Expected));
    }
}

TEST(ExprParser, AggregatesOnlyWhenAskedFor)
{
    EXPECT_EQ(Compile("SUM(Amount) / COUNT(*)", {}, {poExtSyntax, poAggregate}), "(SUM(F2:Amount) / COUNT())");
    EXPECT_EQ(Compile("max(Qty)", {}, {poExtSyntax, poAggregate}), "MAX(F3:Qty)");
    EXPECT_THROW(Compile("SUM(Amount) > 0"), EExprParserError);
}

TEST(ExprParser, HeaderDescribesTheBlock)
{
    TExprParser p(Resolve, "Name = 'abc' AND Qty in (1,2)");
    const QByteArray& d = p.FilterData();
    auto word = [&](int at) { return uint8_t(d[at]) | (uint8_t(d[at + 1]) << 8); };
    EXPECT_EQ(word(0), d.size());
    EXPECT_EQ(word(4), ExprHeaderSize);
    EXPECT_EQ(word(8) + word(6), d.size());
    EXPECT_EQ(word(2), 10);  // AND, compare, field, const, IN, field, two list elements, two constants
}

struct BadCase {
    const char* Text;
    int Position;
    const char* MessagePart;
};

TEST(ExprParser, BadInputIsRefusedWithPosition)
{
    const BadCase cases[] = {
        {"Missing = 1", 1, "Field 'Missing' not found"},
        {"Name = 'abc", 8, "Unterminated string"},
        {"Qty = 'abc'", 7, "Type mismatch"},
        {"DocDate > '32.13.2024'", 11, "Type mismatch"},
        {"Name > 5", 8, "Type mismatch"},
        {"Qty LIKE 'a%'", 1, "Type mismatch"},
        {"Qty AND Flag", 1, "Type mismatch"},
        {"Name - 1 = 0", 1, "Type mismatch"},
        {"(Qty = 1", 9, "')' expected"},
        {"Qty = ", 7, "Expression expected"},
        {"", 1, "Expression expected"},
        {"Qty = 1 1", 9, "Unexpected"},
        {"[Name = 1", 1, "Missing ']'"},
        {"FOO(Qty) = 1", 1, "Unknown function"},
        {"SUBSTRING(Name) = 'a'", 1, "Incorrect number of arguments in function <SUBSTRING>"},
        {"Qty # 1", 5, "Invalid character"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.Text);
        try {
            Compile(QString::fromUtf8(c.Text));
            ADD_FAILURE() << "compiled";
        } catch (const EExprParserError& e) {
            EXPECT_EQ(e.Position, c.Position) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.MessagePart))) << e.Message().toStdString();
        }
    }
}

TEST(ExprParser, RefusesExpressionsPastTheSizeLimit)
{
    QString small = "Qty in (1";
    for (int i = 2; i < 1000; ++i)
        small += QStringLiteral(",%1").arg(i);
    EXPECT_NO_THROW(Compile(small + ")"));

    QString big = "Qty in (1";
    for (int i = 2; i < 5000; ++i)
        big += QStringLiteral(",%1").arg(i);
    EXPECT_THROW(Compile(big + ")"), EExprParserError);
    EXPECT_THROW(Compile("Name = '" + QString(70000, u'x') + "'"), EDatabaseError);
}

struct EvalCase {
    const char* Text;
    bool Expected;
    TFilterOptions Options;
};

TEST(ExprParser, CompiledFormEvaluatesAsWritten)
{
    Record rec;
    rec["NAME"] = Variant("Smith");
    rec["AMOUNT"] = Variant(Currency::FromRaw(123400));
    rec["QTY"] = Variant(7);
    rec["DOCDATE"] = Variant::FromDate(45323);  // 01.02.2024
    rec["STAMP"] = Variant::FromDate(45323.5);
    rec["FLAG"] = Variant(true);
    rec["НАИМЕНОВАНИЕ"] = Variant(QStringLiteral("Счёт-фактура"));
    rec["RATE"] = Variant(2.5);
    rec["ORDER NO"] = Null();
    rec["BIG"] = Variant((long long)5000000000LL);
    rec["AT"] = Variant::FromDate(0.4375);
    rec["CODE"] = Variant("000120");

    const EvalCase cases[] = {
        {"Name = 'Smith'", true, {}},
        {"Name = 'smith'", false, {}},
        {"Name = 'smith'", true, {foCaseInsensitive}},
        {"Name = 'Sm*'", true, {}},
        {"Name = 'Sm*'", false, {foNoPartialCompare}},
        {"Name LIKE 'S%h'", true, {}},
        {"Name LIKE 's%'", true, {foCaseInsensitive}},
        {"Qty in (1, 7)", true, {}},
        {"Qty in (1, 8)", false, {}},
        {"Qty * 2 + 1 = 15", true, {}},
        {"Amount = 12.34", true, {}},
        {"Amount > '12,3'", true, {}},
        {"DocDate = '01.02.2024'", true, {}},
        {"DocDate > '01.02.2024'", false, {}},
        {"Stamp > '01.02.2024 11:59'", true, {}},
        {"YEAR(DocDate) = 2024 AND MONTH(DocDate) = 2", true, {}},
        {"[Order No] IS NULL", true, {}},
        {"Наименование LIKE 'Счёт%'", true, {}},
        {"UPPER(Наименование) = 'СЧЁТ-ФАКТУРА'", true, {}},
        {"SUBSTRING(Name, 2) = 'mith'", true, {}},
        {"TRIM(Code, '0') = '12'", true, {}},
        {"NOT Flag OR Rate < 2", false, {}},
        {"Big > 4000000000", true, {}},
        {"At = '10:30'", true, {}},
    };
    for (const EvalCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TExprParser p(Resolve, QString::fromUtf8(c.Text), c.Options);
        Variant v = Eval(p.FilterData(), rec);
        ASSERT_FALSE(v.IsNull());
        EXPECT_EQ(v.AsBoolean(), c.Expected);
    }
}

// The filter texts the main window builds, on rows of the result table.
TEST(ExprParser, TheMainWindowsFilterTexts)
{
    const QString mismatch = "(((ndsexcel IS NULL) OR (ndsspr IS NULL)) OR ((ndsspr IS NOT NULL) AND "
                             "(ndsexcel IS NOT NULL) AND (ndsspr<>ndsexcel)))";
    const QString branch = "(filial=7 OR (filial is NULL AND signerfio in ('Иванов И.И.','O''Neil'))"
                           " OR (filial is NULL AND signerfio IS NULL))";
    auto row = [](Variant excel, Variant spr, bool hide, Variant filial, Variant signer) {
        Record r;
        r["NDSEXCEL"] = excel;
        r["NDSSPR"] = spr;
        r["HIDE"] = Variant(hide);
        r["FILIAL"] = filial;
        r["SIGNERFIO"] = signer;
        r["DOPUNN"] = filial;
        return r;
    };
    const Variant money = Variant(Currency::FromRaw(1234500));
    const Variant other = Variant(Currency::FromRaw(1234600));
    struct Case {
        QString Text;
        Record Row;
        bool Expected;
    };
    const Case cases[] = {
        {mismatch, row(money, money, false, Variant(7), Null()), false},
        {mismatch, row(money, other, false, Variant(7), Null()), true},
        {mismatch, row(Null(), money, false, Variant(7), Null()), true},
        {mismatch + " AND (hide=0)", row(money, other, true, Variant(7), Null()), false},
        {mismatch + " AND (hide=0)", row(money, other, false, Variant(7), Null()), true},
        {"hide=1", row(money, money, true, Variant(7), Null()), true},
        {"hide=0", row(money, money, true, Variant(7), Null()), false},
        {branch, row(money, money, false, Variant(7), Null()), true},
        {branch, row(money, money, false, Variant(8), Null()), false},
        {branch, row(money, money, false, Null(), Variant(QString::fromUtf8("Иванов И.И."))), true},
        {branch, row(money, money, false, Null(), Variant("O'Neil")), true},
        {branch, row(money, money, false, Null(), Variant("Smith")), false},
        {branch, row(money, money, false, Null(), Null()), true},
        {branch + " AND hide=0", row(money, money, true, Variant(7), Null()), false},
        {"filial=7 OR filial is NULL", row(money, money, false, Null(), Null()), true},
        {"dopUNN=7", row(money, money, false, Variant(7), Null()), true},
        {"Filial=8", row(money, money, false, Variant(7), Null()), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text.toStdString());
        TExprParser p(Resolve, c.Text);
        Variant v = Eval(p.FilterData(), c.Row);
        ASSERT_FALSE(v.IsNull());
        EXPECT_EQ(v.AsBoolean(), c.Expected);
    }
    EXPECT_EQ(Compile("hide=0"), "(F15:hide = b:0)");
    EXPECT_EQ(Compile("ndsspr<>ndsexcel"), "(F14:ndsspr <> F13:ndsexcel)");
}

TEST(ExprParser, ReportsTheFieldsItReads)
{
    TExprParser p(Resolve, "qty > 1 AND (QTY < 5 OR name = 'x')");
    EXPECT_EQ(p.FieldNames(), QStringList({"Qty", "Name"}));
}

}  // namespace

namespace {

// Random texts built from the grammar's own pieces: each either compiles into a block that
// decodes cleanly or is refused with the parser's error; nothing else may happen.
TEST(ExprParser, RandomTextsCompileOrAreRefused)
{
    const char* pieces[] = {"Name", "[Order No]", "Qty", "Amount", "DocDate", "Flag", "Наименование", "'abc'",
                            "'a''b'", "'01.02.2024'", "'", "12", "-3", "1.5", "(", ")", ",", "=", "<>", "<", ">=",
                            "+", "-", "*", "/", "AND", "OR", "NOT", "LIKE", "IN", "IS", "NULL", "TRUE",
                            "UPPER(", "SUBSTRING(", "YEAR(", "SUM(", "COUNT(*)", "[", "]", "\"", "#", "'x*'"};
    const int n = int(sizeof pieces / sizeof *pieces);
    uint32_t seed = 12345;
    auto next = [&] { seed = seed * 1103515245u + 12345u; return (seed >> 8) % 1000000u; };
    int compiled = 0;
    for (int round = 0; round < 4000; ++round) {
        QString text;
        const int len = 1 + int(next() % 9);
        for (int i = 0; i < len; ++i)
            text += QString::fromUtf8(pieces[next() % n]) + (next() % 3 ? " " : "");
        try {
            TExprParser p(Resolve, text, next() % 2 ? TFilterOptions{foCaseInsensitive} : TFilterOptions{},
                          {poExtSyntax, poAggregate});
            ASSERT_NO_THROW(Dump(p.FilterData())) << text.toStdString();
            ++compiled;
        } catch (const EExprParserError& e) {
            EXPECT_GE(e.Position, 1) << text.toStdString();
            EXPECT_LE(e.Position, text.size() + 1) << text.toStdString();
        }
    }
    EXPECT_GT(compiled, 20);  // the generator does produce valid expressions
}

}  // namespace
