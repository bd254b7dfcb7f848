#include "platform/rtl/Variants.h"
#include "support/ErrorCapture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(VariantLayout, IsSixteenBytesAndSharesTextBetweenCopies)
{
    static_assert(sizeof(Variant) == 16);
    Variant a(QStringLiteral("текст"));
    Variant b = a;
    a = 5;
    EXPECT_EQ(b.AsString(), QStringLiteral("текст"));
    EXPECT_EQ(a.VarType(), varInteger);
    Variant c = std::move(b);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(c.AsString(), QStringLiteral("текст"));
}

TEST(VariantLayout, BlankTextsOutliveEveryHolder)
{
    for (int round = 0; round < 3; ++round) {
        std::vector<Variant> blanks{Variant(QString()), Variant(""), Variant::FromOleStr(QString()),
                                    Variant::FromString(QString())};
        std::vector<Variant> copies = blanks;
        blanks.clear();
        EXPECT_EQ(copies[2].VarType(), varOleStr);
        for (const Variant& v : copies)
            EXPECT_EQ(v.AsString(), QString());
    }
    EXPECT_TRUE(Variant("") == Variant());
}

TEST(VariantTags, ConstructorsAndFactoriesSetThePlatformTags)
{
    struct Case { Variant v; TVarType tag; const char* name; };
    const Case cases[] = {
        {Variant(), varEmpty, "Empty"},
        {Variant::Null(), varNull, "Null"},
        {Variant(true), varBoolean, "Boolean"},
        {Variant(7), varInteger, "Integer"},
        {Variant(7u), varLongWord, "LongWord"},
        {Variant(int64_t(7)), varInt64, "Int64"},
        {Variant(uint64_t(7)), varUInt64, "UInt64"},
        {Variant(7.5), varDouble, "Double"},
        {Variant(Currency::FromInt(7)), varCurrency, "Currency"},
        {Variant(QStringLiteral("x")), varUString, "UnicodeString"},
        {Variant("x"), varUString, "UnicodeString"},
        {Variant(QChar(u'я')), varUString, "UnicodeString"},
        {Variant::FromString(QStringLiteral("x")), varString, "String"},
        {Variant::FromOleStr(QStringLiteral("x")), varOleStr, "OleStr"},
        {Variant::FromDate(1), varDate, "Date"},
        {Variant::FromSmallint(1), varSmallint, "Smallint"},
        {Variant::FromShortInt(1), varShortInt, "ShortInt"},
        {Variant::FromByte(1), varByte, "Byte"},
        {Variant::FromWord(1), varWord, "Word"},
        {Variant::FromSingle(1), varSingle, "Single"},
        {VarArrayOf({1, 2}), varArray | varVariant, "Array of Variant"},
        {VarArrayCreate(0, 1, varInteger), varArray | varInteger, "Array of Integer"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.v.VarType(), c.tag) << c.name;
        EXPECT_EQ(VarTypeAsText(c.v.VarType()), QString::fromLatin1(c.name));
    }
}

TEST(VariantConversion, EmptyIsZeroBlankAndFalse)
{
    const Variant e;
    EXPECT_EQ(e.AsInteger(), 0);
    EXPECT_EQ(e.AsDouble(), 0.0);
    EXPECT_EQ(e.AsCurrency(), Currency());
    EXPECT_EQ(e.AsString(), QString());
    EXPECT_FALSE(e.AsBoolean());
    EXPECT_EQ(VarToStr(e), QString());
}

TEST(VariantConversion, NullRaisesTypeCastNamingBothTypes)
{
    const Variant n = Variant::Null();
    EXPECT_EQ(ErrorOf<EVariantTypeCastError>([&] { n.AsInteger(); }),
              QStringLiteral("Could not convert variant of type (Null) into type (Integer)"));
    EXPECT_EQ(ErrorOf<EVariantTypeCastError>([&] { n.AsDouble(); }),
              QStringLiteral("Could not convert variant of type (Null) into type (Double)"));
    EXPECT_EQ(ErrorOf<EVariantTypeCastError>([&] { n.AsString(); }),
              QStringLiteral("Could not convert variant of type (Null) into type (UnicodeString)"));
    EXPECT_THROW(n.AsBoolean(), EVariantTypeCastError);
    EXPECT_THROW(n.AsDateTime(), EVariantTypeCastError);
    EXPECT_THROW(VarAsType(n, varSmallint), EVariantTypeCastError);
    EXPECT_EQ(VarToStr(n), QString());
    EXPECT_EQ(VarToStrDef(n, QStringLiteral("нет")), QStringLiteral("нет"));
    EXPECT_TRUE(VarIsNull(n));
    EXPECT_FALSE(VarIsEmpty(n));
}

TEST(VariantConversion, BooleansAreMinusOneAndZeroAsNumbersAndTrueFalseAsText)
{
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant(false).AsInteger(), 0);
    EXPECT_EQ(Variant(true).AsDouble(), -1.0);
    EXPECT_EQ(Variant(true).AsString(), QStringLiteral("True"));
    EXPECT_EQ(Variant(false).AsString(), QStringLiteral("False"));
    EXPECT_EQ(Variant("True").AsInteger(), -1);
    EXPECT_EQ(Variant("false").AsDouble(), 0.0);
    EXPECT_TRUE(Variant("True").AsBoolean());
    EXPECT_TRUE(Variant(2).AsBoolean());
    EXPECT_FALSE(Variant(0.0).AsBoolean());
}

TEST(VariantConversion, FractionsRoundToEvenWhenMadeInteger)
{
    const struct { double in; int out; } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}, {-3.5, -4}};
    for (const auto& c : cases) {
        EXPECT_EQ(Variant(c.in).AsInteger(), c.out) << c.in;
        EXPECT_EQ(Variant(Currency::FromRaw(int64_t(c.in * 10000))).AsInteger(), c.out) << c.in;
    }
}

TEST(VariantConversion, OutOfRangeRaisesOverflowNotTypeCast)
{
    EXPECT_EQ(ErrorOf<EVariantOverflowError>([] { Variant(int64_t(5000000000)).AsInteger(); }),
              QStringLiteral("Overflow while converting variant of type (Int64) into type (Integer)"));
    EXPECT_THROW(Variant(1e300).AsCurrency(), EVariantOverflowError);
    EXPECT_THROW(Variant(1e20).AsInt64(), EVariantOverflowError);
    EXPECT_THROW(Variant(-1).AsUInt64(), EVariantOverflowError);
    EXPECT_THROW(Variant(std::numeric_limits<uint64_t>::max()).AsInt64(), EVariantOverflowError);
    EXPECT_THROW(VarAsType(Variant(40000), varSmallint), EVariantOverflowError);
    EXPECT_THROW(VarAsType(Variant(-1), varByte), EVariantOverflowError);
    EXPECT_THROW(VarAsType(Variant(1e40), varSingle), EVariantOverflowError);
    EXPECT_EQ(Variant(std::numeric_limits<uint64_t>::max()).AsUInt64(), std::numeric_limits<uint64_t>::max());
}

TEST(VariantConversion, TextUsesTheRegionalNumberForm)
{
    // The process-wide settings are Russian: decimal comma.
    EXPECT_DOUBLE_EQ(Variant("1,5").AsDouble(), 1.5);
    EXPECT_EQ(Variant("1,25").AsCurrency(), Currency::FromRaw(12500));
    EXPECT_EQ(Variant(" 42 ").AsInteger(), 42);
    EXPECT_EQ(Variant("2,5").AsInteger(), 2);
    EXPECT_EQ(Variant(1.5).AsString(), QStringLiteral("1,5"));
    EXPECT_EQ(Variant(-7).AsString(), QStringLiteral("-7"));
    EXPECT_EQ(Variant(Currency::FromRaw(12500)).AsString(), QStringLiteral("1,25"));
    EXPECT_EQ(ErrorOf<EVariantTypeCastError>([] { Variant("abc").AsDouble(); }),
              QStringLiteral("Could not convert variant of type (UnicodeString) into type (Double)"));
    EXPECT_EQ(ErrorOf<EVariantTypeCastError>([] { Variant::FromString("x1").AsInteger(); }),
              QStringLiteral("Could not convert variant of type (String) into type (Integer)"));
}

TEST(VariantConversion, DatesAreDaysAndShowAsRegionalDates)
{
    const TDateTime d = EncodeDate(2024, 3, 15);
    const Variant v = Variant::FromDate(d);
    EXPECT_EQ(v.AsDouble(), d);
    EXPECT_EQ(v.AsString(), QStringLiteral("15.03.2024"));
    EXPECT_EQ(Variant("15.03.2024").AsDateTime(), d);
    EXPECT_EQ(VarAsType(Variant("15.03.2024"), varDate).VarType(), varDate);
    EXPECT_THROW(Variant("не дата").AsDateTime(), EVariantTypeCastError);
}

TEST(VariantConversion, VarAsTypeKeepsValueUnderTheNewTag)
{
    EXPECT_EQ(VarAsType(Variant(5), varSmallint).VarType(), varSmallint);
    EXPECT_EQ(VarAsType(Variant(5), varUString).AsString(), QStringLiteral("5"));
    EXPECT_EQ(VarAsType(Variant("12"), varInteger).AsInteger(), 12);
    EXPECT_EQ(VarAsType(Variant(2.5), varCurrency).AsCurrency(), Currency::FromRaw(25000));
    EXPECT_EQ(VarAsType(Variant(1), varBoolean).AsBoolean(), true);
    EXPECT_TRUE(VarAsType(Variant(1), varNull).IsNull());
    EXPECT_TRUE(VarAsType(Variant(1), varEmpty).IsEmpty());
    EXPECT_THROW(VarAsType(VarArrayOf({1}), varInteger), EVariantTypeCastError);
}

TEST(VariantConversion, ObjectReferencesKeepTheWholePointer)
{
    int dummy = 0;
    const void* p = &dummy;
    const Variant v = Variant::FromObject(p);
    EXPECT_EQ(v.VarType(), varObject);
    EXPECT_EQ(v.AsObject(), p);
    EXPECT_EQ(Variant(reinterpret_cast<intptr_t>(p)).AsObject(), p);
    EXPECT_EQ(Variant().AsObject(), nullptr);
    EXPECT_THROW(v.AsString(), EVariantTypeCastError);
}

TEST(VariantPredicates, ClassifyByKind)
{
    EXPECT_TRUE(VarIsStr(Variant::FromOleStr("a")));
    EXPECT_TRUE(VarIsOrdinal(Variant(true)));
    EXPECT_TRUE(VarIsNumeric(Variant(Currency())));
    EXPECT_TRUE(VarIsFloat(Variant::FromSingle(1)));
    EXPECT_FALSE(VarIsNumeric(Variant::FromDate(1)));
    EXPECT_FALSE(VarIsNumeric(Variant("1")));
    EXPECT_TRUE(VarIsClear(Variant()));
    EXPECT_TRUE(VarIsType(Variant(1), varInteger));
}

}  // namespace
