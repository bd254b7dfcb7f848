// Aggregate fields of the in-memory table: computed over the rows the table shows, following
// inserts, edits, deletes and filters, read through the field with its display format.
#include "TableFixture.h"

namespace {

struct AggFixture : TableFixture {
    TAggregateField* Agg(const QString& name, const QString& expr, bool active = true)
    {
        auto* f = Create<TAggregateField>(&owner);
        f->SetFieldName(name);
        f->SetExpression(expr);
        f->SetActive(active);
        f->SetDataSet(t);
        return f;
    }

    // Persistent data fields for the store's fields, so the aggregate fields are not alone.
    void SetUp() override
    {
        TableFixture::SetUp();
        t->FieldDefs()->Update();
        for (int i = 0; i < t->FieldDefs()->Count(); ++i)
            t->FieldDefs()->Items(i)->CreateField(&owner);
    }

    void Post(const QString& name, const Variant& amount)
    {
        ASSERT_TRUE(t->Locate("Name", Variant(name), {}));
        t->Edit();
        t->FieldByName("Amount")->SetValue(amount);
        t->Post();
    }

    static QString V(TField* f) { return f->IsNull() ? QStringLiteral("null") : f->AsString(); }
};

TEST_F(AggFixture, AggregatesFollowInsertsEditsDeletesAndFilters)
{
    TAggregateField* sum = Agg("Total", "SUM(Amount)");
    TAggregateField* cnt = Agg("Rows", "COUNT(*)");
    TAggregateField* cntA = Agg("WithAmount", "COUNT(Amount)");
    TAggregateField* avg = Agg("Mean", "AVG(Amount)");
    TAggregateField* mn = Agg("Least", "MIN(Code)");
    TAggregateField* mx = Agg("Most", "MAX(Amount)");
    t->SetAggregatesActive(true);
    OpenWith(3);   // amounts 10, 20, 30
    auto all = [&] {
        return QStringList{V(sum), V(cnt), V(cntA), V(avg), V(mn), V(mx)}.join(u' ');
    };
    EXPECT_EQ(all(), "60 3 3 20 1 30");

    Add(4, "n4", Currency::FromInt(40));
    EXPECT_EQ(all(), "100 4 4 25 1 40");

    Post("n2", Variant(Currency::FromInt(60)));
    EXPECT_EQ(all(), "140 4 4 35 1 60");

    // A Null amount counts as a row but adds nothing; the mean divides by every shown row.
    Post("n4", Variant::Null());
    EXPECT_EQ(all(), "100 4 3 25 1 60");

    ASSERT_TRUE(t->Locate("Name", Variant("n1"), {}));
    t->Delete();
    EXPECT_EQ(all(), "90 3 2 30 2 60");

    // The same numbers as above with a fresh edit cancelled: nothing changes.
    t->Edit();
    t->FieldByName("Amount")->SetValue(Variant(Currency::FromInt(1000)));
    t->Cancel();
    EXPECT_EQ(all(), "90 3 2 30 2 60");

    t->SetFilter("Code <> 2");
    t->SetFiltered(true);
    EXPECT_EQ(all(), "30 2 1 15 3 30");
    t->SetFiltered(false);
    EXPECT_EQ(all(), "90 3 2 30 2 60");
}

TEST_F(AggFixture, AverageStaysRightThroughChangesThatUndoEachOther)
{
    // The mean is worked out from the whole shown set each time, not patched from the last mean.
    TAggregateField* avg = Agg("Mean", "AVG(Amount)");
    t->SetAggregatesActive(true);
    OpenWith(2);   // 10, 20
    for (int i = 0; i < 3; ++i) {
        Add(10 + i, "x", Currency::FromInt(100));
        ASSERT_TRUE(t->Locate("Code", Variant(10 + i), {}));
        t->Delete();
    }
    EXPECT_EQ(avg->AsFloat(), 15.0);
    Post("n1", Variant(Currency::FromInt(0)));
    EXPECT_EQ(avg->AsFloat(), 10.0);
}

TEST_F(AggFixture, ValuesReadNullUntilSwitchedOnAndWithoutRows)
{
    TAggregateField* sum = Agg("Total", "SUM(Amount)");
    TAggregateField* off = Agg("Off", "SUM(Amount)", false);
    TAggregateField* empty = Agg("Empty", "");
    OpenWith(2);
    EXPECT_TRUE(sum->IsNull());   // aggregates are off by default
    t->SetAggregatesActive(true);
    EXPECT_EQ(sum->AsFloat(), 30.0);
    EXPECT_TRUE(off->IsNull());
    EXPECT_TRUE(empty->IsNull());
    EXPECT_EQ(sum->ResultType(), ftFloat);

    t->SetAggregatesActive(false);
    EXPECT_TRUE(sum->IsNull());
    t->SetAggregatesActive(true);

    // Every amount Null: the sum has nothing to add.
    Post("n1", Variant::Null());
    Post("n2", Variant::Null());
    EXPECT_EQ(V(sum), "0");

    // No rows at all: no current record, so nothing to read.
    t->EmptyTable();
    EXPECT_TRUE(sum->IsNull());

    t->Close();
    EXPECT_TRUE(sum->IsNull());
    t->Open();
    Add(1, "a", Currency::FromInt(7));
    EXPECT_EQ(sum->AsFloat(), 7.0);
}

TEST_F(AggFixture, DisplayTextUsesTheDisplayFormat)
{
    TAggregateField* sum = Agg("Total", "SUM(Amount) / 3");
    sum->SetDisplayFormat("#,##0.00");
    t->SetAggregatesActive(true);
    OpenWith(2);
    Add(3, "n3", Currency::FromInt(3000));   // 3030 / 3
    const QString expected = QStringLiteral("1") + FormatSettings.ThousandSeparator + "010" + FormatSettings.DecimalSeparator + "00";
    EXPECT_EQ(sum->DisplayText(), expected);
    EXPECT_EQ(sum->AsFloat(), 1010.0);
}

TEST_F(AggFixture, ChangingTheExpressionOfAnOpenTableRecomputes)
{
    TAggregateField* agg = Agg("A", "SUM(Amount)");
    t->SetAggregatesActive(true);
    OpenWith(3);
    EXPECT_EQ(agg->AsFloat(), 60.0);
    agg->SetExpression("MAX(Code)");
    EXPECT_EQ(agg->AsFloat(), 3.0);
    agg->SetActive(false);
    EXPECT_TRUE(agg->IsNull());
    agg->SetActive(true);
    EXPECT_EQ(agg->AsFloat(), 3.0);

    t->Edit();
    EXPECT_EQ(ErrorOf([&] { agg->SetValue(Variant(5)); }), "Field 'A' cannot be modified");
    t->Cancel();
    EXPECT_EQ(agg->AsFloat(), 3.0);
}

TEST_F(AggFixture, ARejectedExpressionRaisesAndLeavesTheOthersWorking)
{
    TAggregateField* good = Agg("Good", "SUM(Amount)");
    TAggregateField* bad = Agg("Bad", "SUM(Nope)");
    TAggregateField* after = Agg("After", "COUNT(*)");
    OpenWith(2);
    const QString err = ErrorOf([&] { t->SetAggregatesActive(true); });
    EXPECT_EQ(err, "Field 'Nope' not found at position 5");
    EXPECT_TRUE(t->AggregatesActive());
    EXPECT_TRUE(bad->IsNull());
    EXPECT_EQ(good->AsFloat(), 30.0);
    EXPECT_EQ(after->AsInteger(), 2);
    Add(3, "n3", Currency::FromInt(30));
    EXPECT_EQ(good->AsFloat(), 60.0);
    EXPECT_TRUE(bad->IsNull());

    // Mending the expression of the open table brings the field back.
    bad->SetExpression("MIN(Amount)");
    EXPECT_EQ(bad->AsFloat(), 10.0);

    // Breaking a working one raises at once with the compiler's message and the field reads Null.
    struct Case { const char* expr; const char* error; };
    const Case cases[] = {
        {"SUM(Nope)", "Field 'Nope' not found at position 5"},
        {"SUM(", "Expression expected at position 5"},
        {"SUM(Name)", "Type mismatch in expression at position 5"},
        {"COUNT()", "Incorrect number of arguments in function <COUNT> at position 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expr);
        good->SetExpression("SUM(Amount)");
        ASSERT_EQ(good->AsFloat(), 60.0);
        EXPECT_EQ(ErrorOf([&] { good->SetExpression(c.expr); }), c.error);
        EXPECT_TRUE(good->IsNull());
        EXPECT_EQ(after->AsInteger(), 3);
        Add(9, "n9", Currency::FromInt(1));   // later changes leave it Null and keep the others going
        EXPECT_TRUE(good->IsNull());
        EXPECT_EQ(after->AsInteger(), 4);
        ASSERT_TRUE(t->Locate("Code", Variant(9), {}));
        t->Delete();
    }
}

}  // namespace

namespace {

TEST_F(TableFixture, AggregateFieldsAloneStillGetTheDataFieldsAtOpen)
{
    auto* sum = Create<TAggregateField>(&owner);
    sum->SetFieldName("Total");
    sum->SetExpression("SUM(Amount)");
    sum->SetActive(true);
    sum->SetDataSet(t);
    t->SetAggregatesActive(true);
    for (int round = 0; round < 2; ++round) {
        OpenWith(2);
        ASSERT_EQ(t->FieldCount(), 4);
        EXPECT_EQ(t->Fields()->Fields(0)->FieldName(), "Code");
        EXPECT_EQ(t->Fields()->Fields(3), sum);
        EXPECT_EQ(Cur(), "n1");
        EXPECT_EQ(sum->AsFloat(), 30.0 * (round + 1));   // the store keeps its records while closed
        t->Close();
        ASSERT_EQ(t->FieldCount(), 1);
        EXPECT_EQ(t->Fields()->Fields(0), sum);
    }
}

// Values by position skip aggregate fields, wherever they stand in the field list.
TEST_F(TableFixture, AppendRecordPassesOverAnAggregateFieldBeforeTheDataFields)
{
    auto* sum = Create<TAggregateField>(&owner);
    sum->SetFieldName("Total");
    sum->SetExpression("SUM(Amount)");
    sum->SetActive(true);
    sum->SetDataSet(t);
    t->FieldDefs()->Update();
    for (int i = 0; i < t->FieldDefs()->Count(); ++i)
        t->FieldDefs()->Items(i)->CreateField(&owner);
    ASSERT_EQ(t->Fields()->Fields(0), sum);
    t->SetAggregatesActive(true);
    OpenWith(2);
    t->Last();
    EXPECT_EQ(t->FieldByName("Code")->AsInteger(), 2);
    EXPECT_EQ(t->FieldByName("Name")->AsString(), "n2");
    EXPECT_EQ(sum->AsFloat(), 30.0);
}

}  // namespace
