// Currency, BCD values and SQL time stamps.
#include "FormatsTestUtil.h"

#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/SqlTimSt.h"

#include <cmath>

namespace {

const TFormatSettings RU = TFormatSettings::Russian();

TBcd B(const char* text) { return StrToBcd(Q(text), RU); }
QString S(const TBcd& b) { return BcdToStr(b, RU); }

TEST(Currency, FromDoubleRoundsHalvesToEven)
{
    const struct {
        double Value;
        int64_t Raw;
    } cases[] = {
        {0.00005, 0}, {0.00015, 2}, {0.00025, 2}, {-0.00015, -2}, {1.23455, 12346}, {1.23445, 12344},
        {0.1, 1000}, {1234.5678, 12345678}, {-0.00004, 0}, {922337203685477.0, 9223372036854770000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Currency::FromDouble(c.Value).Value, c.Raw) << c.Value;
    EXPECT_THROW(Currency::FromDouble(1e15), EOverflow);
    EXPECT_THROW(Currency::FromDouble(-1e300), EOverflow);
    EXPECT_THROW(Currency::FromDouble(std::nan("")), EOverflow);
    EXPECT_THROW(Currency::FromDouble(INFINITY), EOverflow);
}

TEST(Currency, CheckedArithmetic)
{
    const Currency max = Currency::FromRaw(INT64_MAX);
    const Currency min = Currency::FromRaw(INT64_MIN);
    const Currency tick = Currency::FromRaw(1);
    try {
        (void)(max + tick);
        ADD_FAILURE() << "no overflow";
    } catch (const EOverflow& e) {
        EXPECT_EQ(e.Message(), "Floating point overflow");
    }
    EXPECT_THROW((void)(min - tick), EOverflow);
    EXPECT_THROW((void)(Currency::FromInt(10000000000) * Currency::FromInt(10000000000)), EOverflow);
    EXPECT_THROW((void)(max / Currency::FromRaw(5000)), EOverflow);
    try {
        (void)(Currency::FromInt(1) / Currency());
        ADD_FAILURE() << "no division error";
    } catch (const EZeroDivide& e) {
        EXPECT_EQ(e.Message(), "Floating point division by zero");
    }
    Currency sum = max;
    EXPECT_THROW(sum += tick, EOverflow);
    EXPECT_EQ(sum, max) << "a failed addition leaves the amount alone";

    EXPECT_EQ((Currency::FromInt(10) / Currency::FromInt(3)).Value, 33333);
    EXPECT_EQ((Currency::FromInt(2) / Currency::FromInt(3)).Value, 6667);
    EXPECT_EQ((Currency::FromInt(-2) / Currency::FromInt(3)).Value, -6667);
    EXPECT_EQ((Currency::FromRaw(5) * Currency::FromRaw(5000)).Value, 2);    // 0,00025 -> even
    EXPECT_EQ((Currency::FromRaw(15) * Currency::FromRaw(5000)).Value, 8);   // 0,00075 -> even
    EXPECT_EQ((Currency::FromRaw(12345678) * Currency::FromInt(-2)).Value, -24691356);
    EXPECT_EQ((max - max).Value, 0);
    EXPECT_EQ((min + max).Value, -1);
}

TEST(Bcd, PackedLayout)
{
    const TBcd b = B("1234,567");
    EXPECT_EQ(b.Precision, 7);
    EXPECT_EQ(b.SignSpecialPlaces, 3);
    EXPECT_EQ(b.Fraction[0], 0x12);
    EXPECT_EQ(b.Fraction[1], 0x34);
    EXPECT_EQ(b.Fraction[2], 0x56);
    EXPECT_EQ(b.Fraction[3], 0x70);
    EXPECT_EQ(b.Fraction[4], 0x00);

    const TBcd n = B("-0,5");
    EXPECT_EQ(n.SignSpecialPlaces, 0x81);
    EXPECT_TRUE(IsBcdNegative(n));
    EXPECT_EQ(BcdScale(n), 1);

    TBcd raw;   // a value built by hand, as a driver hands it over: 18 digits, 3 places
    raw.Precision = 18;
    raw.SignSpecialPlaces = 3;
    raw.Fraction[6] = 0x01;   // 000000000000012345: thirteen zeros, then 12,345
    raw.Fraction[7] = 0x23;
    raw.Fraction[8] = 0x45;
    EXPECT_EQ(S(raw), "12,345");
    EXPECT_EQ(BcdPrecision(raw), 5);
}

TEST(Bcd, TextRoundTrips)
{
    for (const char* text : {"1234,567", "-0,5", "0", "1", "-1", "0,001",
                             "1234567890123456789012345678901234567890123456789012345678901234",
                             "0,123456789012345678901234567890123456789012345678901234567890123"}) {
        EXPECT_EQ(S(B(text)), Q(text));
    }
    EXPECT_EQ(S(B("1,50")), "1,5");
    EXPECT_EQ(S(B("-0,00")), "0");
    EXPECT_EQ(S(B(" +007,10 ")), "7,1");
    EXPECT_EQ(BcdToStr(StrToBcd("3.25", TFormatSettings::Invariant()), TFormatSettings::Invariant()), "3.25");
    EXPECT_EQ(S(NullBcd()), "0");
}

TEST(Bcd, BadTextRaisesWithTheText)
{
    for (const char* text : {"", "-", "1,2,3", "abc", "1e5", "--1", "1.5", "1 000", "0x1",
                             "12345678901234567890123456789012345678901234567890123456789012345"}) {
        EXPECT_EQ(ConvertErrorOf([&] { StrToBcd(Q(text), RU); }),
                  Q("'%1' is not a valid BCD value").replace("%1", Q(text)));
        TBcd b;
        EXPECT_FALSE(TryStrToBcd(Q(text), b, RU)) << text;
    }
}

TEST(Bcd, ComparesByValue)
{
    EXPECT_TRUE(B("1,50") == B("1,5"));
    EXPECT_TRUE(B("-0") == B("0"));
    EXPECT_TRUE(NullBcd() == B("0"));
    EXPECT_FALSE(B("1,5") == B("-1,5"));
    EXPECT_EQ(BcdCompare(B("2"), B("10")), -1);
    EXPECT_EQ(BcdCompare(B("-2"), B("-10")), 1);
    EXPECT_EQ(BcdCompare(B("0,001"), B("0")), 1);
    EXPECT_EQ(BcdCompare(B("-0,001"), B("0")), -1);
    EXPECT_EQ(BcdCompare(B("007"), B("7,000")), 0);
}

TEST(Bcd, Arithmetic)
{
    const struct {
        const char* A;
        char Op;
        const char* B;
        const char* Expected;
    } cases[] = {
        {"0,1", '+', "0,2", "0,3"},
        {"1", '-', "2,5", "-1,5"},
        {"-1", '-', "-1", "0"},
        {"999,999", '+', "0,001", "1000"},
        {"1,5", '*', "-2", "-3"},
        {"-0,5", '*', "-0,5", "0,25"},
        {"123456789", '*', "987654321", "121932631112635269"},
        {"10", '/', "4", "2,5"},
        {"1", '/', "8", "0,125"},
        {"-7", '/', "2", "-3,5"},
        {"0", '/', "3", "0"},
        {"1000", '/', "0,001", "1000000"},
    };
    for (const auto& c : cases) {
        TBcd r;
        switch (c.Op) {
        case '+': BcdAdd(B(c.A), B(c.B), r); break;
        case '-': BcdSubtract(B(c.A), B(c.B), r); break;
        case '*': BcdMultiply(B(c.A), B(c.B), r); break;
        default: BcdDivide(B(c.A), B(c.B), r); break;
        }
        EXPECT_EQ(S(r), Q(c.Expected)) << c.A << c.Op << c.B;
    }
    TBcd third;
    BcdDivide(B("1"), B("3"), third);
    EXPECT_EQ(BcdScale(third), 63);
    EXPECT_TRUE(S(third).startsWith("0,333333333333"));
    TBcd twoThirds;
    BcdDivide(B("2"), B("3"), twoThirds);
    EXPECT_TRUE(S(twoThirds).endsWith("67")) << "the last place is rounded";
    TBcd sum;
    BcdAdd(B("1,50"), B("1,50"), sum);
    EXPECT_EQ(BcdScale(sum), 2);
}

TEST(Bcd, OverflowAndDivisionByZeroRaise)
{
    const TBcd nines = B("9999999999999999999999999999999999999999999999999999999999999999");
    TBcd r;
    EXPECT_THROW(BcdAdd(nines, B("1"), r), EBcdOverflowException);
    EXPECT_THROW(BcdMultiply(nines, B("10"), r), EBcdOverflowException);
    EXPECT_THROW(BcdDivide(nines, B("0,1"), r), EBcdOverflowException);
    EXPECT_THROW(BcdDivide(B("1"), B("0,000"), r), EZeroDivide);
    // A product with too many places keeps the integer digits and rounds the places off.
    BcdMultiply(B("0,5"), B("0,000000000000000000000000000000000000000000000000000000000000001"), r);
    EXPECT_EQ(S(r), "0,000000000000000000000000000000000000000000000000000000000000001");
    EXPECT_THROW(DoubleToBcd(1e100), EBcdOverflowException);
    EXPECT_THROW(DoubleToBcd(std::nan("")), EBcdOverflowException);
}

TEST(Bcd, CurrencyAndNumberRoundTrips)
{
    for (int64_t raw : {int64_t(0), int64_t(-12345678), int64_t(1), INT64_MAX, INT64_MIN}) {
        Currency back;
        ASSERT_TRUE(BcdToCurr(CurrToBcd(Currency::FromRaw(raw)), back));
        EXPECT_EQ(back.Value, raw);
    }
    EXPECT_EQ(S(CurrToBcd(Currency::FromRaw(-12345678))), "-1234,5678");
    Currency c;
    // what database columns hand over: up to 18 digits and at most 4 places, and the edges of
    // the currency range
    const std::pair<const char*, int64_t> exact[] = {
        {"-1234,567", -12345670}, {"12345678901234,5678", 123456789012345678}, {"0", 0}, {"-0,0001", -1}, {"1", 10000},
        {"922337203685477", 9223372036854770000}, {"-922337203685477,5808", INT64_MIN}, {"922337203685477,5807", INT64_MAX},
    };
    for (const auto& [text, raw] : exact) {
        ASSERT_TRUE(BcdToCurr(B(text), c)) << text;
        EXPECT_EQ(c.Value, raw) << text;
    }
    EXPECT_FALSE(BcdToCurr(B("922337203685478"), c));
    ASSERT_TRUE(BcdToCurr(NullBcd(), c));
    EXPECT_EQ(c.Value, 0);
    EXPECT_FALSE(BcdToCurr(B("922337203685477,5808"), c));
    EXPECT_FALSE(BcdToCurr(B("100000000000000000000"), c));
    ASSERT_TRUE(BcdToCurr(B("0,00005"), c));
    EXPECT_EQ(c.Value, 0);
    ASSERT_TRUE(BcdToCurr(B("0,00015"), c));
    EXPECT_EQ(c.Value, 2);

    EXPECT_EQ(S(DoubleToBcd(0.1)), "0,1");
    EXPECT_EQ(S(DoubleToBcd(-1234.5678)), "-1234,5678");
    EXPECT_EQ(S(DoubleToBcd(1e-70)), "0");
    EXPECT_EQ(BcdToDouble(B("1234,5678")), 1234.5678);
    EXPECT_EQ(BcdToDouble(B("-0,1")), -0.1);

    EXPECT_EQ(S(IntegerToBcd(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(BcdToInteger(IntegerToBcd(INT64_MIN)), INT64_MIN);
    EXPECT_EQ(BcdToInteger(B("2,5")), 3);
    EXPECT_EQ(BcdToInteger(B("-2,5")), -3);
    EXPECT_EQ(BcdToInteger(B("2,9"), true), 2);
    EXPECT_EQ(BcdToInteger(B("-2,9"), true), -2);
    EXPECT_THROW(BcdToInteger(B("9223372036854775808")), EBcdOverflowException);
}

TEST(Bcd, NormalizeToAFieldsSize)
{
    TBcd out;
    ASSERT_TRUE(NormalizeBcd(B("12,3456"), out, 18, 3));
    EXPECT_EQ(out.Precision, 18);
    EXPECT_EQ(BcdScale(out), 3);
    EXPECT_EQ(S(out), "12,346");
    ASSERT_TRUE(NormalizeBcd(B("-0,0005"), out, 18, 3));
    EXPECT_EQ(S(out), "-0,001");
    ASSERT_TRUE(NormalizeBcd(B("2"), out, 5, 2));
    EXPECT_EQ(out.Fraction[0], 0x00);
    EXPECT_EQ(out.Fraction[1], 0x20);
    EXPECT_EQ(out.Fraction[2], 0x00);
    EXPECT_EQ(S(out), "2");
    EXPECT_TRUE(NormalizeBcd(B("999999999999999,999"), out, 18, 3));
    EXPECT_FALSE(NormalizeBcd(B("999999999999999,9996"), out, 18, 3)) << "rounding carries past the size";
    EXPECT_FALSE(NormalizeBcd(B("1234567890123456"), out, 18, 3));
    EXPECT_FALSE(NormalizeBcd(B("1"), out, 0, 0));
    EXPECT_FALSE(NormalizeBcd(B("1"), out, 5, 6));
}

TEST(Bcd, FormattedLikeNumbers)
{
    EXPECT_EQ(BcdToStrF(B("1234,567"), ffNumber, 18, 2, RU), Q("1" NB "234,57"));
    EXPECT_EQ(BcdToStrF(B("-1234,565"), ffCurrency, 18, 2, RU), Q("-1" NB "234,57 ₽"));
    EXPECT_EQ(BcdToStrF(B("0,5"), ffFixed, 18, 0, RU), "1");
    EXPECT_EQ(BcdToStrF(B("1234,5"), ffGeneral, 18, 0, RU), "1234,5");
}

TEST(SQLTimeStamp, RoundTripsAndChecks)
{
    const TDateTime d = EncodeDate(2026, 3, 5) + EncodeTime(7, 4, 9, 45);
    const TSQLTimeStamp ts = DateTimeToSQLTimeStamp(d);
    EXPECT_EQ(ts.Year, 2026);
    EXPECT_EQ(ts.Month, 3);
    EXPECT_EQ(ts.Day, 5);
    EXPECT_EQ(ts.Hour, 7);
    EXPECT_EQ(ts.Minute, 4);
    EXPECT_EQ(ts.Second, 9);
    EXPECT_EQ(ts.Fractions, 45u);
    EXPECT_DOUBLE_EQ(SQLTimeStampToDateTime(ts), d);
    EXPECT_EQ(SQLTimeStampToStr("dd.mm.yyyy hh:nn:ss.zzz", ts), "05.03.2026 07:04:09.045");
    EXPECT_EQ(SQLTimeStampToStr("", ts), "05.03.2026 7:04:09");
    EXPECT_EQ(StrToSQLTimeStamp("05.03.2026 7:04:09"), DateTimeToSQLTimeStamp(EncodeDate(2026, 3, 5) + EncodeTime(7, 4, 9, 0)));

    TSQLTimeStamp bad = ts;
    bad.Month = 13;
    EXPECT_EQ(ConvertErrorOf([&] { SQLTimeStampToDateTime(bad); }), "Invalid SQL date/time values");
    bad = ts;
    bad.Fractions = 1000;
    TDateTime out = 1;
    EXPECT_FALSE(TrySQLTimeStampToDateTime(bad, out));
    bad = ts;
    bad.Day = 29;
    bad.Month = 2;
    bad.Year = 2025;
    EXPECT_FALSE(TrySQLTimeStampToDateTime(bad, out));

    EXPECT_EQ(SQLTimeStampToDateTime(TSQLTimeStamp()), 0);   // an empty stamp: no date
    EXPECT_EQ(SQLTimeStampToStr("dd.mm.yyyy", TSQLTimeStamp()), "");
    EXPECT_THROW(StrToSQLTimeStamp("31.02.2026"), EConvertError);
}

} // namespace
