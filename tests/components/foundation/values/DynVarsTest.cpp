#include "components/foundation/core/DynVarsEh.h"

#include <gtest/gtest.h>

namespace {

template <typename F>
QString MessageOf(F f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

TEST(DynVars, NamesMatchWithoutCaseAndStayUnique)
{
    TDynVarsEh vars(nullptr);
    TDynVarEh* v = vars.CreateDynVar(QStringLiteral("сумма"), 5);
    EXPECT_EQ(vars.FindDynVar(QStringLiteral("СУММА")), v);
    EXPECT_TRUE(vars.VarExists(QStringLiteral("Сумма")));
    EXPECT_EQ(vars.FindDynVar(QStringLiteral("сумма2")), nullptr);
    EXPECT_EQ(MessageOf([&] { vars.CreateDynVar(QStringLiteral("СУММА"), 1); }),
              QStringLiteral("Переменная с именем 'СУММА' уже присутствует в Коллекции"));
    EXPECT_EQ(vars.Count(), 1);

    TDynVarEh* w = vars.CreateDynVar(QStringLiteral("Другая"), 1);
    EXPECT_THROW(w->SetName(QStringLiteral("СуммА")), Exception);
    EXPECT_EQ(w->Name(), QStringLiteral("Другая"));
    v->SetName(QStringLiteral("СУММА"));  // renaming to itself in other case is fine
    EXPECT_EQ(v->Name(), QStringLiteral("СУММА"));
    // Letters that only collate alike are different names.
    EXPECT_NO_THROW(vars.CreateDynVar(QStringLiteral("ёлка"), 1));
    EXPECT_NO_THROW(vars.CreateDynVar(QStringLiteral("елка"), 1));
}

TEST(DynVars, StandByVariableBecomesMemberOnFirstWrite)
{
    TDynVarsEh vars(nullptr);
    int changes = 0;
    vars.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &vars);
        ++changes;
    };
    TDynVarEh* a = vars.GetDynVar(QStringLiteral("A"));
    TDynVarEh* again = vars.GetDynVar(QStringLiteral("B"));
    EXPECT_EQ(a, again);
    EXPECT_EQ(a->Name(), QStringLiteral("B"));
    EXPECT_TRUE(a->Value().IsEmpty());
    EXPECT_EQ(vars.Count(), 0);
    EXPECT_EQ(changes, 0);

    a->SetAsString(QStringLiteral("x"));
    EXPECT_EQ(vars.Count(), 1);
    EXPECT_EQ(vars.GetItem(0), a);
    EXPECT_FALSE(a->IsDummy());
    EXPECT_EQ(vars.GetDynVar(QStringLiteral("b")), a);
    TDynVarEh* c = vars.GetDynVar(QStringLiteral("C"));
    EXPECT_NE(c, a);
    EXPECT_TRUE(c->IsDummy());

    c->SetAsInteger(3);
    EXPECT_EQ(vars.Count(), 2);
    EXPECT_EQ(vars.FindDynVar(QStringLiteral("c"))->AsInteger(), 3);
    EXPECT_GT(changes, 0);
}

TEST(DynVars, RenamingTheStandByChecksTheKeepingCollection)
{
    TDynVarsEh vars(nullptr);
    TDynVarEh* dummy = vars.GetDynVar(QStringLiteral("A"));
    dummy->SetValue(1);                                // realized; the collection has a new stand-by
    TDynVarEh* stale = vars.GetDynVar(QStringLiteral("B"));   // the new stand-by
    vars.RemoveDynVar(dummy);
    delete dummy;
    // Renaming a stand-by checks the collection that keeps it.
    vars.CreateDynVar(QStringLiteral("Taken"), 0);
    EXPECT_THROW(stale->SetName(QStringLiteral("TAKEN")), Exception);
    EXPECT_TRUE(stale->IsDummy());
    stale->SetName(QStringLiteral("Free"));
    EXPECT_EQ(vars.FindDynVar(QStringLiteral("free")), stale);
}

TEST(DynVars, TypedReadsOfNullAndUnassigned)
{
    TDynVarsEh vars(nullptr);
    TDynVarEh* v = vars.CreateDynVar(QStringLiteral("v"), Variant::Null());
    EXPECT_TRUE(v->IsNull());
    EXPECT_EQ(v->AsInteger(), 0);
    EXPECT_EQ(v->AsFloat(), 0.0);
    EXPECT_FALSE(v->AsBoolean());
    EXPECT_EQ(v->AsString(), QString());
    EXPECT_EQ(v->AsRefObject(), nullptr);

    v->SetValue(0);
    EXPECT_TRUE(v->IsNull());   // equal to Unassigned under Variant comparison
    EXPECT_EQ(v->AsString(), QStringLiteral("0"));
    v->SetValue(VarArrayOf({1}));
    EXPECT_FALSE(v->IsNull());

    v->SetValue("12");
    EXPECT_EQ(v->AsInteger(), 12);
    v->SetValue("abc");
    EXPECT_THROW(v->AsInteger(), EVariantTypeCastError);

    TObject obj;
    v->SetAsRefObject(&obj);
    EXPECT_EQ(v->Value().VarType(), varObject);
    EXPECT_EQ(v->AsRefObject(), &obj);
    EXPECT_EQ(vars.CreateDynVar(QStringLiteral("ref"), &obj)->AsRefObject(), &obj);

    v->SetAsCurrency(Currency::FromRaw(12345));
    EXPECT_EQ(v->Value().VarType(), varCurrency);
    v->SetAsDateTime(45000);
    EXPECT_EQ(v->Value().VarType(), varDate);
}

TEST(DynVars, EqualityAssignmentAndValueCopy)
{
    TDynVarsEh a(nullptr), b(nullptr);
    a.CreateDynVar(QStringLiteral("x"), 1);
    a.CreateDynVar(QStringLiteral("y"), "t");
    b.CreateDynVar(QStringLiteral("y"), "t");
    b.CreateDynVar(QStringLiteral("x"), 1);
    EXPECT_FALSE(a.IsEqual(&b));   // order matters

    TDynVarsEh c(nullptr);
    c.Assign(&a);
    ASSERT_EQ(c.Count(), 2);
    EXPECT_TRUE(c.IsEqual(&a));
    EXPECT_EQ(c.GetItem(1)->AsString(), QStringLiteral("t"));
    c.GetItem(0)->SetValue(int64_t(1));   // same value, other type
    EXPECT_FALSE(c.IsEqual(&a));
    c.GetItem(0)->SetName(QStringLiteral("X"));
    c.GetItem(0)->SetValue(1);
    EXPECT_FALSE(c.IsEqual(&a));   // names compare with case here

    TDynVarsEh d(nullptr);
    d.CreateDynVar(QStringLiteral("X"), 0);
    d.CreateDynVar(QStringLiteral("z"), 0);
    d.AssignValues(&b);
    EXPECT_EQ(d.Count(), 2);
    EXPECT_EQ(d.GetItem(0)->Name(), QStringLiteral("x"));
    EXPECT_EQ(d.GetItem(0)->AsInteger(), 1);
    EXPECT_EQ(d.GetItem(1)->AsInteger(), 0);

    d.DeleteDynVar(QStringLiteral("Z"));
    EXPECT_EQ(d.Count(), 1);
}

TEST(DynVars, MovingVariablesBetweenCollections)
{
    TDynVarsEh a(nullptr), b(nullptr);
    TDynVarEh* v = a.CreateDynVar(QStringLiteral("v"), 1);
    b.CreateDynVar(QStringLiteral("V"), 2);
    EXPECT_THROW(b.AddDynVar(v), Exception);
    EXPECT_EQ(v->VarCollection(), &a);
    b.DeleteDynVar(QStringLiteral("v"));
    b.AddDynVar(v);
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(b.GetItem(0), v);
    a.RemoveDynVar(v);   // not a's: nothing happens
    EXPECT_EQ(b.Count(), 1);
}

TEST(StringVars, TextFormRoundTrip)
{
    TStringVarsEh vars(nullptr);
    vars.CreateDynVar(QStringLiteral("Имя"), QStringLiteral("Иван"));
    vars.CreateDynVar(QStringLiteral("Формула"), QStringLiteral("a=b"));
    const QString text = vars.GetAsTextString();
    EXPECT_EQ(text, QStringLiteral("Имя=Иван\r\nФормула=a=b\r\n"));

    TStringVarsEh copy(nullptr);
    copy.CreateDynVar(QStringLiteral("old"), QStringLiteral("gone"));
    copy.SetFromTextString(text);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.GetVarValue(QStringLiteral("имя")), QStringLiteral("Иван"));
    EXPECT_EQ(copy.GetItem(1)->Value(), QStringLiteral("a=b"));
    EXPECT_EQ(copy.GetItem(1)->Value(), copy.GetItem(1)->AsString());
    EXPECT_FALSE(copy.VarExists(QStringLiteral("old")));
}

TEST(StringVars, DuplicateLinesKeepWhatWasReadAndMissingNamesRaise)
{
    TStringVarsEh vars(nullptr);
    EXPECT_EQ(MessageOf([&] { vars.SetFromTextString(QStringLiteral("a=1\nb=2\nA=3\nc=4")); }),
              QStringLiteral("Переменная с именем 'A' уже присутствует в Коллекции"));
    EXPECT_EQ(vars.Count(), 2);
    EXPECT_EQ(vars.UpdateCount(), 0);

    EXPECT_EQ(MessageOf([&] { vars.GetVarValue(QStringLiteral("нет")); }),
              QStringLiteral("A Variable named 'нет' doesn't exist in the Collection 'TStringVarsEh'"));
    EXPECT_THROW(vars.SetVarValue(QStringLiteral("нет"), QStringLiteral("1")), Exception);
    vars.SetVarValue(QStringLiteral("B"), QStringLiteral("22"));
    EXPECT_EQ(vars.GetVarValue(QStringLiteral("b")), QStringLiteral("22"));
    EXPECT_EQ(vars.FindDynVar(QStringLiteral("b"))->Value(), QStringLiteral("22"));
}

}  // namespace
