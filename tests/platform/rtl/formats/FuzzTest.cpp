// Random formats and random text: every call either succeeds or raises EConvertError; round trips hold.
#include "FormatsTestUtil.h"

#include "platform/rtl/FMTBcd.h"

#include <cmath>
#include <random>

namespace {

const TFormatSettings RU = TFormatSettings::Russian();

QString RandomText(std::mt19937& rng, const char16_t* alphabet, int maxLen)
{
    const int n = int(std::char_traits<char16_t>::length(alphabet));
    const int len = int(rng() % unsigned(maxLen + 1));
    QString s;
    for (int i = 0; i < len; ++i)
        s += QChar(alphabet[rng() % unsigned(n)]);
    return s;
}

double RandomDouble(std::mt19937& rng)
{
    switch (rng() % 5) {
    case 0: return double(int(rng() % 2000001) - 1000000) / 100.0;
    case 1: return std::ldexp(double(rng()) - 2147483648.0, int(rng() % 140) - 70);
    case 2: return 0.0;
    case 3: return std::uniform_real_distribution<double>(-1e18, 1e18)(rng);
    default: {
        const double specials[] = {1e300, -1e-300, 5e-324, 1.7976931348623157e308, 0.5, -0.5, 999.995};
        return specials[rng() % 7];
    }
    }
}

TEST(Fuzz, RandomNumberFormatsNeverCrash)
{
    std::mt19937 rng(20261210);
    for (int i = 0; i < 4000; ++i) {
        const QString fmt = RandomText(rng, u"0#.,;E+-e'\"x ₽", 14);
        const double v = RandomDouble(rng);
        const QString s = FormatFloat(fmt, v, RU);
        EXPECT_LT(s.size(), 400) << fmt.toStdString();
        FormatCurr(fmt, Currency::FromRaw(int64_t((uint64_t(rng()) << 32) | rng())), RU);
    }
}

TEST(Fuzz, RandomDateFormatsNeverCrash)
{
    std::mt19937 rng(7);
    for (int i = 0; i < 4000; ++i) {
        const QString fmt = RandomText(rng, u"dmyhnsztcaAMP/:'\" .-", 16);
        const TDateTime d = double(int(rng() % 3000000) - 693593) + double(rng() % 86400000) / 86400000.0;
        FormatDateTime(fmt, d, RU);
    }
    FormatDateTime("dd.mm.yyyy", 1e300, RU);
    FormatDateTime("dd.mm.yyyy", std::nan(""), RU);
}

template <typename F>
void OnlyConvertErrors(const QString& text, F&& f)
{
    try {
        f();
    } catch (const EConvertError&) {
    } catch (const std::exception& e) {
        ADD_FAILURE() << "'" << text.toStdString() << "' raised " << e.what();
    }
}

TEST(Fuzz, RandomTextParsesOrRaisesConvertError)
{
    std::mt19937 rng(99);
    for (int i = 0; i < 4000; ++i) {
        const QString text = RandomText(rng, u"0123456789,.:-+eE AMP\t", 20);
        OnlyConvertErrors(text, [&] { StrToFloat(text, RU); });
        OnlyConvertErrors(text, [&] { StrToCurr(text, RU); });
        OnlyConvertErrors(text, [&] { StrToDate(text, RU); });
        OnlyConvertErrors(text, [&] { StrToDateTime(text, RU); });
        OnlyConvertErrors(text, [&] { StrToBcd(text, RU); });
    }
}

TEST(Fuzz, NumbersReadBackWhatTheyWrote)
{
    std::mt19937 rng(3);
    for (int i = 0; i < 3000; ++i) {
        const double v = RandomDouble(rng);
        if (!std::isfinite(v))
            continue;
        const double back = StrToFloat(FloatToStrF(v, ffGeneral, 17, 0, RU), RU);
        ASSERT_EQ(back, v) << FloatToStrF(v, ffGeneral, 17, 0, RU).toStdString();
        const Currency c = Currency::FromRaw(int64_t(rng() % 2000000000) * 7919 - 7919000000000);
        ASSERT_EQ(StrToCurr(CurrToStr(c, RU), RU), c);
        ASSERT_EQ(StrToCurr(FormatCurr("0.0000", c, RU), RU), c);
        const TBcd b = CurrToBcd(c);
        ASSERT_TRUE(StrToBcd(BcdToStr(b, RU), RU) == b);
    }
}

TEST(Fuzz, DatesReadBackWhatTheyWrote)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 3000; ++i) {
        const TDateTime d = double(int(rng() % 2900000)) - 693000 + double(rng() % 86400) / 86400.0;
        const TDateTime back = StrToDateTime(DateTimeToStr(d, RU), RU);
        ASSERT_NEAR(back, d, 1e-9) << DateTimeToStr(d, RU).toStdString();
    }
}

} // namespace
