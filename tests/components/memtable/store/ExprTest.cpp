// Filter and aggregate expressions: compiled by the dataset framework's compiler and evaluated
// on memory records and views; hand-made compiled blocks for what the compiler never emits.
#include "StoreFixture.h"

#include <QtEndian>

struct ExprTest : StoreFixture {
    TMemoryRecordEh* rec = nullptr;
    void SetUp() override
    {
        StoreFixture::SetUp();
        ds()->CreateField<TMTDateTimeDataFieldEh>()->SetFieldName("D");
        rec = Add(5, "Smith", Currency::FromInt(120));
        rec->Edit();
        rec->SetDataValue(3, dvvValueEh, Variant::FromDate(EncodeDate(2024, 3, 15) + 0.5));
        rec->Post();
    }
    Variant Eval(const QString& text, TFilterOptions options = {}, TMemoryRecordEh* r = nullptr)
    {
        TDataSetExprParserEh p(nullptr, dsptFilterEh);
        p.DataStruct = ds();
        p.FilterOptions = options;
        p.ParseExpression(text);
        return p.EvaluateCompiledExpression(nullptr, r ? r : rec, 0);
    }
};

TEST_F(ExprTest, TableOfFilterExpressions)
{
    TMemoryRecordEh* blank = Add(Variant::Null(), Variant::Null(), Variant::Null());
    struct Case { const char* text; TMemoryRecordEh* on; bool expected; bool caseIns; } cases[] = {
        {"Name LIKE 'S%'", nullptr, true, false},
        {"Name LIKE 's%'", nullptr, false, false},
        {"Name LIKE 's%'", nullptr, true, true},
        {"Name = 'smith'", nullptr, true, true},
        {"Amount > 100", nullptr, true, false},
        {"Amount > 100", blank, false, false},
        {"Amount < 100", blank, true, false},
        {"Name = ''", blank, true, false},
        {"Name IS NULL", blank, true, false},
        {"Name IS NOT NULL", nullptr, true, false},
        {"Code IN (1, 5, 9)", nullptr, true, false},
        {"Code IN (1, 2)", nullptr, false, false},
        {"NOT (Code = 5)", nullptr, false, false},
        {"Code * 2 = 10 AND Code - 1 = 4", nullptr, true, false},
        {"Amount + 10 >= 130", nullptr, true, false},
        {"Name + 'x' = 'Smithx'", nullptr, true, false},
        {"UPPER(Name) = 'SMITH'", nullptr, true, false},
        {"LOWER(Name) <> 'smith'", nullptr, false, false},
        {"SUBSTRING(Name, 2) = 'mith'", nullptr, true, false},
        {"SUBSTRING(Name, 2, 2) = 'mi'", nullptr, true, false},
        {"YEAR(D) = 2024 AND MONTH(D) = 3 AND DAY(D) = 15", nullptr, true, false},
        {"HOUR(D) = 12", nullptr, true, false},
        {"Code > 3 OR Name = 'x'", nullptr, true, false},
        {"Code >= 5 AND Code <= 5", nullptr, true, false},
    };
    for (const Case& c : cases) {
        TFilterOptions o;
        if (c.caseIns)
            o.Include(foCaseInsensitive);
        EXPECT_EQ(Eval(c.text, o, c.on).AsBoolean(), c.expected) << c.text;
    }
}

TEST_F(ExprTest, TextFunctions)
{
    rec->Edit();
    rec->SetDataValue(1, dvvValueEh, "000120");
    rec->Post();
    EXPECT_EQ(Eval("TRIM(Name, '0')").AsString(), "12");
    EXPECT_EQ(Eval("TRIMLEFT(Name, '0')").AsString(), "120");
    EXPECT_EQ(Eval("TRIM(Name, '00')").AsString(), "000120");
    TMemoryRecordEh* blank = Add(Variant::Null(), Variant::Null());
    EXPECT_TRUE(Eval("TRIM(Name)", {}, blank).IsNull());
    EXPECT_TRUE(Eval("SUBSTRING(Name, 2)", {}, blank).IsNull());
}

TEST_F(ExprTest, FilterVerdictOfNullIsAnError)
{
    ds()->CreateField<TMTBooleanDataFieldEh>()->SetFieldName("Flag");
    rec->Edit();
    rec->SetDataValue(4, dvvValueEh, true);
    rec->Post();
    TMemoryRecordEh* blank = Add(Variant::Null(), Variant::Null());
    TDataSetExprParserEh p(nullptr, dsptFilterEh);
    p.DataStruct = ds();
    EXPECT_FALSE(p.IsCurRecordInFilter(rec));   // nothing compiled
    p.ParseExpression("Flag AND Code > 3");
    EXPECT_TRUE(p.IsCurRecordInFilter(rec));
    EXPECT_THROW(p.IsCurRecordInFilter(blank), EVariantError);
}

TEST(LikePattern, Cases)
{
    struct Case { const char* text; const char* pattern; bool expected; } cases[] = {
        {"abc", "a_c", true}, {"abc", "a%b%b%c", false}, {"abc", "abc%", true}, {"", "%", true},
        {"", "a%", false}, {"abc", "%c", true}, {"abc", "%b%", true}, {"abc", "a%%c", true},
        {"abcd", "a_%_d", true}, {"abc", "b%", false}, {"abc", "%x", false}, {"abc", "ab", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TDataSetExprParserEh::MatchLikePattern(c.text, c.pattern, false), c.expected)
            << c.text << " LIKE " << c.pattern;
    EXPECT_TRUE(TDataSetExprParserEh::MatchLikePattern("Иванов", "ив%", true));
}

namespace {
// A compiled block made by hand: header, nodes (class, operator, words), literal pool.
struct Block {
    QByteArray nodes, pool;
    int Node(int cls, int op, std::initializer_list<int> words)
    {
        const int at = int(nodes.size());
        auto put32 = [&](int v) { char b[4]; qToLittleEndian<int32_t>(v, b); nodes.append(b, 4); };
        put32(cls);
        put32(op);
        for (int w : words) {
            char b[2];
            qToLittleEndian<uint16_t>(uint16_t(w), b);
            nodes.append(b, 2);
        }
        return at;
    }
    int Name(const char* s)
    {
        const int at = int(pool.size());
        pool.append(s);
        pool.append('\0');
        return at;
    }
    QByteArray Bytes() const
    {
        QByteArray h(10, '\0');
        qToLittleEndian<uint16_t>(uint16_t(10 + nodes.size()), h.data() + 8);
        return h + nodes + pool;
    }
};
}

TEST_F(ExprTest, WhatTheEvaluatorRefuses)
{
    auto run = [&](const Block& b) {
        TDataSetExprParserEh p(nullptr, dsptFilterEh);
        p.SetCompiled(b.Bytes());
        return ErrorOf([&] { p.EvaluateCompiledExpression(nullptr, rec, 0); });
    };
    Block unary;
    unary.Node(ncUnary, coGT, {12});
    unary.Node(ncConst, coCONST2, {ecInteger, 4, 0});
    unary.pool.append(QByteArray(4, '\0'));
    EXPECT_EQ(run(unary), "Operator <1:5> not supported.");
    Block unknownType;
    unknownType.Node(ncConst, coCONST2, {0, 4, 0});
    unknownType.pool.append(QByteArray(4, '\0'));
    EXPECT_EQ(run(unknownType), "Unsupported data type: [0].");
    Block func;
    func.Node(ncFunc, coFUNC2, {func.Name("FOO"), 0});
    EXPECT_EQ(run(func), "Unsupported function: FOO");
    Block args;
    args.Node(ncFunc, coFUNC2, {args.Name("upper"), 0});
    EXPECT_EQ(run(args), "Incorrect number of arguments in function <UPPER>");
    Block other;
    other.Node(ncTuple, coTUPLE2, {});
    TDataSetExprParserEh p(nullptr, dsptFilterEh);
    p.SetCompiled(other.Bytes());
    EXPECT_TRUE(p.EvaluateCompiledExpression(nullptr, rec, 0).IsNull());
}

struct AggregateTest : StoreFixture {
    std::unique_ptr<TRecordsViewEh> view = CreateUnique<TRecordsViewEh>(nullptr);
    void SetUp() override
    {
        StoreFixture::SetUp();
        view->SetMemTableData(data.get());
    }
    Variant Calc(const QString& text)
    {
        TDataSetExprParserEh p(nullptr, dsptAggregateEh);
        p.DataStruct = ds();
        p.ParseExpression(text);
        return p.CalcAggregateValue(view.get());
    }
};

TEST_F(AggregateTest, AggregateFunctionsOverTheView)
{
    EXPECT_TRUE(Calc("SUM(Amount)").IsNull());
    EXPECT_EQ(Calc("COUNT(*)").AsInteger(), 0);
    Add(1, "b", Currency::FromInt(10));
    Add(2, Variant::Null(), Variant::Null());
    Add(3, "a", Currency::FromInt(20));
    EXPECT_EQ(Calc("SUM(Amount)").AsDouble(), 30.0);
    EXPECT_EQ(Calc("AVG(Amount)").AsDouble(), 10.0);
    EXPECT_EQ(Calc("COUNT(Amount)").AsInteger(), 2);
    EXPECT_EQ(Calc("COUNT(*)").AsInteger(), 3);
    EXPECT_EQ(Calc("MAX(Amount)").AsDouble(), 20.0);
    EXPECT_TRUE(Calc("MIN(Amount)").IsNull());   // Null is the smallest value
    EXPECT_EQ(Calc("MAX(Name)").AsString(), "b");
    EXPECT_EQ(Calc("SUM(Amount) * 2").AsDouble(), 60.0);
}

TEST_F(AggregateTest, AggregatesFollowTheView)
{
    TMTAggregatesEh* aggs = view->Aggregates();
    TMTAggregateEh* sum = aggs->Add();
    sum->SetExpression("SUM(Amount)");
    sum->SetActive(true);
    TMTAggregateEh* empty = aggs->Add();
    empty->SetActive(true);
    EXPECT_TRUE(sum->Value().IsNull());   // the collection is not active yet
    aggs->SetActive(true);
    Add(1, "a", Currency::FromInt(10));
    EXPECT_EQ(sum->Value().AsDouble(), 10.0);
    Add(2, "b", Currency::FromInt(5));
    EXPECT_EQ(sum->Value().AsDouble(), 15.0);
    list()->DeleteRecord(0);
    EXPECT_EQ(sum->Value().AsDouble(), 5.0);
    EXPECT_TRUE(empty->Value().IsNull());
    EXPECT_EQ(sum->DataType(), ftFloat);
    EXPECT_EQ(sum->DisplayName(), "SUM(Amount)");
    aggs->SetActive(false);
    EXPECT_TRUE(sum->Value().IsNull());
    aggs->SetActive(true);
    TMTAggregateEh* bad = aggs->Add();
    bad->SetExpression("SUM(Nope)");
    EXPECT_THROW(bad->SetActive(true), Exception);
    EXPECT_FALSE(bad->Active());
}
