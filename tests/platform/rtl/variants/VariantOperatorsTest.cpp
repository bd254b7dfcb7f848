#include "platform/rtl/Variants.h"

#include <gtest/gtest.h>

namespace {

const char* RelName(TVariantRelationship r)
{
    switch (r) {
    case vrEqual: return "equal";
    case vrLessThan: return "less";
    case vrGreaterThan: return "greater";
    default: return "not equal";
    }
}

TEST(VariantCompare, RelationshipsAcrossKinds)
{
    const uint64_t big = std::numeric_limits<uint64_t>::max();
    struct Case { Variant a, b; TVariantRelationship r; const char* what; };
    const Case cases[] = {
        {Variant::Null(), Variant::Null(), vrEqual, "Null, Null"},
        {Variant::Null(), 5, vrNotEqual, "Null, number"},
        {"a", Variant::Null(), vrNotEqual, "text, Null"},
        {Variant::Null(), Variant(), vrNotEqual, "Null, Empty"},
        {Variant(), 0, vrEqual, "Empty as zero"},
        {Variant(), "", vrEqual, "Empty as blank"},
        {Variant(), "a", vrLessThan, "Empty before text"},
        {Variant(), -1, vrGreaterThan, "Empty above negatives"},
        {"b", "a", vrGreaterThan, "texts"},
        {"Б", "а", vrGreaterThan, "Cyrillic texts by collation, not code"},
        {Variant::FromString("abc"), Variant("abc"), vrEqual, "text tags compare alike"},
        {"10", 9, vrGreaterThan, "text against number is numeric"},
        {"1,5", 1.5, vrEqual, "text in the regional number form"},
        {2, 2.5, vrLessThan, "integer against double"},
        {Variant::FromByte(200), Variant::FromShortInt(-1), vrGreaterThan, "small integer kinds"},
        {Variant(big), -1, vrGreaterThan, "UInt64 max above a negative"},
        {Variant(big), Variant(int64_t(INT64_MAX)), vrGreaterThan, "UInt64 beyond Int64"},
        {Variant(Currency::FromRaw(10001)), 1, vrGreaterThan, "money against integer, exactly"},
        {Variant(Currency::FromInt(3)), Variant(Currency::FromInt(3)), vrEqual, "money"},
        {Variant::FromDate(45000.5), 45000.5, vrEqual, "date as its day number"},
        {Variant::FromDate(45000), Variant::FromDate(45001), vrLessThan, "dates"},
        {false, true, vrLessThan, "False before True"},
        {true, -1, vrEqual, "True is -1 among numbers"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(RelName(VarCompareValue(c.a, c.b)), RelName(c.r)) << c.what;
}

TEST(VariantCompare, IncompatibleKindsRaise)
{
    EXPECT_THROW(VarCompareValue("abc", 5), EVariantTypeCastError);
    EXPECT_THROW((void)(Variant("abc") == Variant(5)), EVariantTypeCastError);
    EXPECT_THROW(VarCompareValue(VarArrayOf({1}), VarArrayOf({1})), EVariantError);
}

TEST(VariantCompare, EqualityAndOrderingOperators)
{
    EXPECT_TRUE(Variant::Null() == Variant::Null());
    EXPECT_FALSE(Variant::Null() == Variant());
    EXPECT_FALSE(Variant::Null() == 0);
    EXPECT_TRUE(Variant() == 0);
    EXPECT_TRUE(Variant(5) == Variant(int64_t(5)));
    EXPECT_TRUE(Variant(5) == 5.0);
    EXPECT_TRUE(Variant("x") != Variant("X"));
    EXPECT_FALSE(Variant::Null() < 1);
    EXPECT_FALSE(Variant::Null() > 1);
    EXPECT_TRUE(Variant::Null() <= Variant::Null());
    EXPECT_TRUE(Variant(1) < 2);
    EXPECT_TRUE(Variant("b") >= "a");
}

TEST(VariantCompare, SameValueTellsEmptyAndNullApart)
{
    EXPECT_TRUE(VarSameValue(Variant(), Variant()));
    EXPECT_FALSE(VarSameValue(Variant(), 0));
    EXPECT_FALSE(VarSameValue(Variant(), Variant::Null()));
    EXPECT_TRUE(VarSameValue(Variant::Null(), Variant::Null()));
    EXPECT_TRUE(VarSameValue(3, 3.0));
}

TEST(VariantArithmetic, ResultKindsAndValues)
{
    struct Case { Variant r; TVarType tag; Variant expected; const char* what; };
    const Variant day = Variant::FromDate(45000);
    const Case cases[] = {
        {Variant(2) + 3, varInteger, 5, "integers"},
        {Variant::FromSmallint(2) * Variant::FromByte(3), varInteger, 6, "small kinds widen"},
        {Variant(INT32_MAX) + 1, varInt64, Variant(int64_t(INT32_MAX) + 1), "Integer overflow widens"},
        {Variant(int64_t(INT64_MAX)) + 1, varDouble, 9223372036854775808.0, "Int64 overflow goes to Double"},
        {Variant(7) - Variant(int64_t(2)), varInt64, 5, "Int64 stays Int64"},
        {Variant(1) / 4, varDouble, 0.25, "division is floating"},
        {Variant(1) + 0.5, varDouble, 1.5, "integer and double"},
        {Variant(Currency::FromRaw(15000)) + Variant(Currency::FromRaw(2500)), varCurrency,
         Variant(Currency::FromRaw(17500)), "money plus money"},
        {Variant(Currency::FromRaw(15000)) * 3, varCurrency, Variant(Currency::FromRaw(45000)), "money times count"},
        {Variant(Currency::FromRaw(1)) * Variant(Currency::FromRaw(5000)), varCurrency,
         Variant(Currency()), "money product rounds half to even"},
        {Variant(Currency::FromRaw(3)) * Variant(Currency::FromRaw(5000)), varCurrency,
         Variant(Currency::FromRaw(2)), "money product rounds half to even, upwards"},
        {Variant(Currency::FromInt(10)) / 4, varCurrency, Variant(Currency::FromRaw(25000)), "money by count"},
        {Variant(Currency::FromInt(10)) / Variant(Currency::FromInt(4)), varDouble, 2.5, "money ratio"},
        {day + 1, varDate, Variant::FromDate(45001), "date plus days"},
        {1.5 + day, varDate, Variant::FromDate(45001.5), "days plus date"},
        {day - Variant::FromDate(44990), varDouble, 10, "date difference"},
        {Variant("ab") + Variant("вг"), varUString, "abвг", "texts concatenate"},
        {Variant::FromString("a") + Variant(), varString, "a", "text plus Empty"},
        {Variant("2") + 3, varDouble, 5, "text plus number converts the text"},
        {Variant("2") * Variant("3"), varDouble, 6, "texts multiply as numbers"},
        {Variant() + Variant(Currency::FromInt(2)), varCurrency, Variant(Currency::FromInt(2)), "Empty is zero"},
        {Variant(true) + 1, varInteger, 0, "True is -1"},
        {Variant::Null() + 1, varNull, Variant::Null(), "Null absorbs"},
        {Variant("a") * Variant::Null(), varNull, Variant::Null(), "Null absorbs text"},
        {-Variant(5), varInteger, -5, "negation"},
        {-Variant(Currency::FromInt(5)), varCurrency, Variant(Currency::FromInt(-5)), "money negation"},
        {-Variant::Null(), varNull, Variant::Null(), "negated Null"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.r.VarType(), c.tag) << c.what;
        EXPECT_TRUE(c.r == c.expected) << c.what << ": " << VarToStr(c.r).toStdString();
    }
}

TEST(VariantArithmetic, FailuresRaise)
{
    EXPECT_THROW(Variant(1) / 0, EZeroDivide);
    EXPECT_THROW(Variant(Currency::FromInt(1)) / 0, EZeroDivide);
    EXPECT_THROW(Variant(1e308) * 10, EOverflow);
    EXPECT_THROW(Variant(Currency::FromRaw(INT64_MAX)) + Variant(Currency::FromRaw(1)), EVariantOverflowError);
    EXPECT_THROW(Variant("abc") - 1, EVariantTypeCastError);
    EXPECT_THROW(VarArrayOf({1}) + 1, EVariantInvalidOpError);
}

TEST(VariantArray, BoundsElementsAndErrors)
{
    Variant a = VarArrayCreate(1, 3, varInteger);
    EXPECT_EQ(VarArrayDimCount(a), 1);
    EXPECT_EQ(VarArrayLowBound(a, 1), 1);
    EXPECT_EQ(VarArrayHighBound(a, 1), 3);
    EXPECT_EQ(a.ArrayCount(), 3);
    EXPECT_EQ(a.GetElement(1).VarType(), varInteger);  // typed elements start at zero
    a.SetElement(2, "42");                               // and convert on write
    EXPECT_EQ(a.GetElement(2).VarType(), varInteger);
    EXPECT_EQ(a.GetElement(2).AsInteger(), 42);
    EXPECT_THROW(a.SetElement(3, "x"), EVariantTypeCastError);
    EXPECT_EQ(a.GetElement(3).AsInteger(), 0);
    EXPECT_THROW(a.GetElement(0), EVariantBadIndexError);
    EXPECT_THROW(a.SetElement(4, 1), EVariantBadIndexError);
    EXPECT_THROW(VarArrayLowBound(a, 2), EVariantBadIndexError);
    EXPECT_THROW(Variant(1).ArrayCount(), EVariantError);
    EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);

    const Variant empty = VarArrayCreate(0, -1);
    EXPECT_EQ(empty.ArrayCount(), 0);
    EXPECT_THROW(VarArrayCreate(0, -2), EVariantError);
    EXPECT_THROW(a.AsInteger(), EVariantTypeCastError);
}

TEST(VariantArray, CopiesAreIndependentValues)
{
    Variant a = VarArrayOf({1, "два", Variant::Null()});
    Variant b = a;
    b.SetElement(0, 10);
    EXPECT_EQ(a.GetElement(0).AsInteger(), 1);
    EXPECT_EQ(b.GetElement(0).AsInteger(), 10);
    EXPECT_EQ(b.GetElement(1).AsString(), QStringLiteral("два"));
    EXPECT_TRUE(b.GetElement(2).IsNull());
    EXPECT_EQ(a.ArrayLowBound(), 0);
    EXPECT_EQ(a.ArrayHighBound(), 2);
}

TEST(VariantArray, BytesRoundTrip)
{
    const QByteArray bytes("\x00\xFF\x7F a", 5);
    const Variant v = VarArrayFromBytes(bytes);
    EXPECT_EQ(v.VarType(), varArray | varByte);
    EXPECT_EQ(v.ArrayCount(), 5);
    EXPECT_EQ(v.GetElement(1).AsInteger(), 255);
    EXPECT_EQ(VarArrayToBytes(v), bytes);
    EXPECT_EQ(VarArrayToBytes(VarArrayFromBytes(QByteArray())), QByteArray());
    EXPECT_THROW(VarArrayToBytes(VarArrayOf({1})), EVariantTypeCastError);
}

TEST(VariantCustomTypes, TimeStampConvertsToAndFromDates)
{
    const TDateTime d = EncodeDate(2023, 12, 31) + EncodeTime(23, 59, 58, 500);
    const Variant ts = VarSQLTimeStampCreate(d);
    EXPECT_TRUE(VarIsSQLTimeStamp(ts));
    const TSQLTimeStamp raw = ts.AsSQLTimeStamp();
    EXPECT_EQ(raw.Year, 2023);
    EXPECT_EQ(raw.Month, 12);
    EXPECT_EQ(raw.Second, 58);
    EXPECT_EQ(raw.Fractions, 500u);
    EXPECT_NEAR(ts.AsDateTime(), d, 1e-9);
    EXPECT_TRUE(ts == Variant::FromDate(d));
    EXPECT_TRUE(ts > Variant::FromDate(EncodeDate(2023, 12, 31)));
    const Variant next = ts + 1;
    EXPECT_EQ(next.VarType(), varSQLTimeStamp);
    EXPECT_EQ(next.AsSQLTimeStamp().Year, 2024);
    EXPECT_EQ(VarAsType(Variant::FromDate(d), varSQLTimeStamp).AsSQLTimeStamp(), raw);
}

TEST(VariantCustomTypes, BcdConvertsAndComparesExactly)
{
    const Variant b = VarFMTBcdCreate(QStringLiteral("12345678901234,5678"), 20, 4);
    EXPECT_TRUE(VarIsFMTBcd(b));
    EXPECT_EQ(b.AsCurrency(), Currency::FromRaw(123456789012345678));
    EXPECT_EQ(b.AsString(), QStringLiteral("12345678901234,5678"));
    EXPECT_TRUE(b > Variant(int64_t(12345678901234)));
    EXPECT_TRUE(VarFMTBcdCreate(QStringLiteral("1,50"), 10, 2) == Variant(1.5));
    const Variant sum = VarFMTBcdCreate(QStringLiteral("0,1"), 10, 1) + 2;
    EXPECT_EQ(sum.VarType(), varFMTBcd);
    EXPECT_EQ(sum.AsString(), QStringLiteral("2,1"));
    EXPECT_EQ(VarAsType(Variant(Currency::FromRaw(12345)), varFMTBcd).AsString(), QStringLiteral("1,2345"));
    EXPECT_THROW(Variant("12x").AsBcd(), EVariantTypeCastError);
}

}  // namespace
