#include "FormatsTestUtil.h"

#include <cmath>
#include <limits>

namespace {

const TFormatSettings RU = TFormatSettings::Russian();
const TFormatSettings INV = TFormatSettings::Invariant();

struct FloatFmtCase {
    const char* Format;
    double Value;
    const char* Expected;
};

TEST(FormatFloat, RussianSettings)
{
    const FloatFmtCase cases[] = {
        {"#,##0.00", 1234.5, "1" NB "234,50"},
        {"#,##0.00", -1234567.891, "-1" NB "234" NB "567,89"},
        {"#,##0.00", 0, "0,00"},
        {"#,##0.00", 0.005, "0,01"},            // halves away from zero
        {"#,##0.00", 1.005, "1,01"},            // on the decimal digits, not the binary value
        {"#,##0.00", 2.675, "2,68"},
        {"#,##0.00", -2.675, "-2,68"},
        {"#,##0", 999.5, "1" NB "000"},
        {"#,##0.00", 123456789012.345, "123" NB "456" NB "789" NB "012,35"},
        {"0.###", 1.5, "1,5"},
        {"0.###", 2, "2"},                       // no decimal point without decimals
        {"0.###", 1.23456, "1,235"},
        {"0.###", 0.0004, "0"},
        {"0.0#", 3, "3,0"},
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"00000", 42, "00042"},
        {"#", 0, ""},
        {"#.##", 0.5, ",5"},
        {".00", 12.5, "12,50"},
        {"00-00", 1234, "12-34"},
        {"0.00", -0.001, "0,00"},                // what shows as zero has no minus
        {"0.00E+00", 1234.5, "1,23E+03"},
        {"0.00E+00", 0.000123, "1,23E-04"},
        {"0.00E+00", -98765, "-9,88E+04"},
        {"0.00E+00", 0, "0,00E+00"},
        {"0.0E-0", 12345, "1,2E4"},
        {"0.0E-0", 0.012, "1,2E-2"},
        {"0.000e+0000", 1, "1,000e+0000"},
        {"0.0E+0' шт.'0", 12, "1,2E+1 шт.0"},
        {"0.00;(0.00);'ноль'", 5, "5,00"},
        {"0.00;(0.00);'ноль'", -5, "(5,00)"},
        {"0.00;(0.00);'ноль'", 0, "ноль"},
        {"0.00;(0.00);'ноль'", -0.001, "ноль"},  // rounds to zero: the zero section
        {"0.00;(0.00)", -0.001, "0,00"},         // no zero section: the first one
        {"0.00;;'-'", -7, "-7,00"},              // an empty negative section falls back to the first
        {"0.00;;'-'", 0, "-"},
        {"'Итого: '#,##0.00' ₽'", 1500, "Итого: 1" NB "500,00 ₽"},
        {"\"x\"0\"%\"", 5, "x5%"},
        {"0' шт.'", 12, "12 шт."},
        {"", 1.5, "1,5"},
        {"", 1e20, "1E20"},
        {"0", 1e20, "1E20"},                     // too large for fixed digits: general format
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(Q(c.Format), c.Value, RU), Q(c.Expected)) << c.Format << " " << c.Value;
}

TEST(FormatFloat, UsesTheGivenSettingsAndTheGlobalOnes)
{
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, INV), "1,234.50");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), Q("1" NB "234,50"));
    EXPECT_EQ(FormatFloat("0.00", std::nan(""), RU), "NAN");
    EXPECT_EQ(FormatFloat("0.00", -std::numeric_limits<double>::infinity(), RU), "-INF");
}

TEST(FormatCurr, ExactDigitsOfMoney)
{
    EXPECT_EQ(FormatCurr("#,##0.00 ₽", Currency::FromRaw(12345678), RU), Q("1" NB "234,57 ₽"));
    EXPECT_EQ(FormatCurr("0.0000", Currency::FromRaw(-1), RU), "-0,0001");
    EXPECT_EQ(FormatCurr("0.00", Currency::FromRaw(-49), RU), "0,00");
    EXPECT_EQ(FormatCurr("#,##0.00", Currency::FromRaw(INT64_MAX), RU),
              Q("922" NB "337" NB "203" NB "685" NB "477,58"));
    EXPECT_EQ(FormatCurr("", Currency::FromRaw(INT64_MIN), RU), "-922337203685477,5808");
}

struct FloatToStrFCase {
    double Value;
    TFloatFormat Format;
    int Precision;
    int Digits;
    const char* Expected;
};

TEST(FloatToStrF, EveryFormat)
{
    const FloatToStrFCase cases[] = {
        {1234.5, ffGeneral, 15, 0, "1234,5"},
        {0.1 + 0.2, ffGeneral, 15, 0, "0,3"},
        {123456789012345.0, ffGeneral, 15, 0, "123456789012345"},
        {1e15, ffGeneral, 15, 0, "1E15"},
        {1e-5, ffGeneral, 15, 0, "1E-5"},
        {0.0001, ffGeneral, 15, 0, "0,0001"},
        {-1.5, ffGeneral, 15, 0, "-1,5"},
        {0, ffGeneral, 15, 0, "0"},
        {12345, ffGeneral, 4, 0, "1,235E4"},
        {12345, ffGeneral, 4, 2, "1,235E04"},
        {1234.5, ffExponent, 4, 2, "1,235E+03"},
        {-0.00012345, ffExponent, 3, 0, "-1,23E-4"},
        {1, ffExponent, 3, 4, "1,00E+0000"},
        {0, ffExponent, 3, 2, "0,00E+00"},
        {1234.567, ffFixed, 15, 2, "1234,57"},
        {-0.001, ffFixed, 15, 2, "0,00"},
        {123.456789, ffFixed, 4, 4, "123,5000"},   // precision limits the significant digits
        {12345.6, ffFixed, 3, 2, "1,23E4"},        // more integer digits than the precision
        {5, ffFixed, 15, 0, "5"},
        {1234567.891, ffNumber, 15, 2, "1" NB "234" NB "567,89"},
        {999.999, ffNumber, 15, 2, "1" NB "000,00"},
        {-12, ffNumber, 15, 0, "-12"},
        {1234.5, ffCurrency, 15, 2, "1" NB "234,50 ₽"},
        {-1234.5, ffCurrency, 15, 2, "-1" NB "234,50 ₽"},
        {0.5, ffCurrency, 15, 0, "1 ₽"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStrF(c.Value, c.Format, c.Precision, c.Digits, RU), Q(c.Expected))
            << c.Value << " format " << c.Format << " " << c.Precision << "/" << c.Digits;
}

TEST(FloatToStrF, NotANumberAndInfinity)
{
    EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FloatToStrF(-std::numeric_limits<double>::infinity(), ffFixed, 15, 2), "-INF");
}

TEST(FloatToStrF, NegativeCurrencyPlacements)
{
    TFormatSettings fs = INV;
    fs.CurrencyString = "$";
    fs.ThousandSeparator = QChar();
    const char* expected[16] = {"($1.00)", "-$1.00", "$-1.00", "$1.00-", "(1.00$)", "-1.00$",
                                "1.00-$",  "1.00$-", "-1.00 $", "-$ 1.00", "1.00 $-", "$ 1.00-",
                                "$ -1.00", "1.00- $", "($ 1.00)", "(1.00 $)"};
    for (int f = 0; f < 16; ++f) {
        fs.NegCurrFormat = uint8_t(f);
        EXPECT_EQ(FloatToStrF(-1, ffCurrency, 15, 2, fs), expected[f]) << "NegCurrFormat " << f;
    }
    const char* positive[4] = {"$1.00", "1.00$", "$ 1.00", "1.00 $"};
    for (int f = 0; f < 4; ++f) {
        fs.CurrencyFormat = uint8_t(f);
        EXPECT_EQ(FloatToStrF(1, ffCurrency, 15, 2, fs), positive[f]) << "CurrencyFormat " << f;
    }
}

TEST(CurrToStrF, EveryFormat)
{
    const Currency c = Currency::FromRaw(12345678);   // 1234,5678
    EXPECT_EQ(CurrToStrF(c, ffGeneral, 0, RU), "1234,5678");
    EXPECT_EQ(CurrToStrF(c, ffFixed, 2, RU), "1234,57");
    EXPECT_EQ(CurrToStrF(c, ffNumber, 2, RU), Q("1" NB "234,57"));
    EXPECT_EQ(CurrToStrF(c, ffCurrency, 2, RU), Q("1" NB "234,57 ₽"));
    EXPECT_EQ(CurrToStrF(-c, ffCurrency, 0, RU), Q("-1" NB "235 ₽"));
    EXPECT_EQ(CurrToStrF(c, ffExponent, 2, RU), "1,234567800000000000E+03");
    EXPECT_EQ(CurrToStr(Currency::FromInt(5)), "5");
    EXPECT_EQ(CurrToStr(Currency::FromRaw(1)), "0,0001");
    EXPECT_EQ(CurrToStr(Currency::FromRaw(INT64_MAX)), "922337203685477,5807");
    EXPECT_EQ(CurrToStr(Currency::FromRaw(INT64_MIN)), "-922337203685477,5808");
}

TEST(StrToFloat, AcceptsTheSettingsForm)
{
    const struct {
        const char* Text;
        double Expected;
    } cases[] = {
        {"1,5", 1.5},         {"  -2,5e3 ", -2500},  {",5", 0.5},    {"5,", 5},
        {"+7", 7},            {"1E-2", 0.01},        {"0", 0},       {"1e-400", 0},
        {"007,250", 7.25},    {"\t3\n", 3},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(StrToFloat(Q(c.Text), RU), c.Expected) << c.Text;
    EXPECT_DOUBLE_EQ(StrToFloat("1.5", INV), 1.5);
}

TEST(StrToFloat, BadTextRaisesWithTheText)
{
    const char* bad[] = {"", " ", "abc", "1.5", "1,2,3", "1e", "e5", "-", "+,", "1 000", "1e400",
                         "1,5x", "--1", "1e+-2", "NAN", "0x10", "١"};
    for (const char* text : bad) {
        EXPECT_EQ(ConvertErrorOf([&] { StrToFloat(Q(text), RU); }),
                  Q("'%1' is not a valid floating point value").replace("%1", Q(text)))
            << text;
        double v = 42;
        EXPECT_FALSE(TryStrToFloat(Q(text), v, RU)) << text;
        EXPECT_EQ(v, 42) << "a failed Try form leaves the value alone";
    }
    EXPECT_EQ(StrToFloatDef("x", 7), 7);
}

TEST(StrToCurr, RoundsToFourDecimalsHalvesToEven)
{
    const struct {
        const char* Text;
        int64_t Raw;
    } cases[] = {
        {"1,23456", 12346}, {"0,00005", 0}, {"0,00015", 2}, {"-0,00025", -2},
        {"922337203685477,5807", INT64_MAX}, {"-922337203685477,5808", INT64_MIN}, {"1e3", 10000000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToCurr(Q(c.Text), RU).Value, c.Raw) << c.Text;
    for (const char* text : {"922337203685477,5808", "1e20", "1.5", ""}) {
        EXPECT_EQ(ConvertErrorOf([&] { StrToCurr(Q(text), RU); }),
                  Q("'%1' is not a valid floating point value").replace("%1", Q(text)));
    }
    EXPECT_EQ(StrToCurrDef("x", Currency::FromInt(3)), Currency::FromInt(3));
}

TEST(FormatSettings, RussianDefaults)
{
    EXPECT_EQ(FormatSettings.DecimalSeparator, u',');
    EXPECT_EQ(FormatSettings.ThousandSeparator, QChar(0x00A0));
    EXPECT_EQ(FormatSettings.ShortDateFormat, "dd.MM.yyyy");
    EXPECT_EQ(FormatSettings.CurrencyString, Q("₽"));
    EXPECT_EQ(FormatSettings.LongMonthNames[0], Q("января"));
    EXPECT_EQ(FormatSettings.LongMonthNames[4], Q("мая"));
    EXPECT_EQ(FormatSettings.ShortMonthNames[11], Q("дек"));
    EXPECT_EQ(FormatSettings.LongDayNames[0], Q("воскресенье"));
    EXPECT_EQ(INV.DecimalSeparator, u'.');
    EXPECT_EQ(INV.LongMonthNames[11], "December");
}

} // namespace
