// Bounded random inputs: nothing may crash, and the only error that escapes is EConvertError.
#include "platform/rtl/SysUtils.h"
#include "TestPrint.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <vector>

namespace {

TVarRec RandomArg(std::mt19937& rng)
{
    static const int kInts[] = {0, 1, -1, 7, 12, -3, 40, INT_MAX, INT_MIN, 1000000, 2000000};
    switch (rng() % 9) {
    case 0:
    case 1: return TVarRec(kInts[rng() % std::size(kInts)]);
    case 2: return TVarRec(static_cast<long long>(rng()) * (rng() % 2 ? 1 : -1) * 100000LL);
    case 3: return TVarRec(std::ldexp(double(int(rng() % 2000) - 1000), int(rng() % 140) - 70));
    case 4: return TVarRec(Currency::FromRaw(static_cast<int64_t>(rng()) - INT32_MAX));
    case 5: return TVarRec(QStringLiteral("текст%d"));
    case 6: return TVarRec(QChar(u'ж'));
    case 7: return TVarRec(rng() % 2 == 0);
    default: return TVarRec(static_cast<const void*>(&rng));
    }
}

QString RandomFormat(std::mt19937& rng)
{
    static const char16_t kPieces[] = u"%%%%%%dusxpefgnmDSXk0123456789:-.*ая ";
    const int len = int(rng() % 16);
    QString f;
    for (int i = 0; i < len; ++i)
        f += QChar(kPieces[rng() % (std::size(kPieces) - 1)]);
    return f;
}

} // namespace

TEST(Fuzz, FormatRaisesOnlyConvertError)
{
    std::mt19937 rng(20261210);
    int ok = 0, rejected = 0;
    for (int i = 0; i < 5000; ++i) {
        const QString fmt = RandomFormat(rng);
        std::vector<TVarRec> argv;
        const int n = int(rng() % 5);
        for (int k = 0; k < n; ++k)
            argv.push_back(RandomArg(rng));
        try {
            // Format takes an initializer list; pass up to four through a switch.
            QString r;
            switch (n) {
            case 0: r = Format(fmt, {}); break;
            case 1: r = Format(fmt, {argv[0]}); break;
            case 2: r = Format(fmt, {argv[0], argv[1]}); break;
            case 3: r = Format(fmt, {argv[0], argv[1], argv[2]}); break;
            default: r = Format(fmt, {argv[0], argv[1], argv[2], argv[3]}); break;
            }
            ASSERT_LT(r.size(), 3000000) << fmt.toStdString();
            ++ok;
        } catch (const EConvertError&) {
            ++rejected;
        } catch (const std::exception& e) {
            FAIL() << fmt.toStdString() << ": " << e.what();
        }
    }
    // Both paths must have been exercised for the loop to mean anything.
    EXPECT_GT(ok, 100);
    EXPECT_GT(rejected, 100);
}

TEST(Fuzz, IntegerParsingAgreesWithItself)
{
    std::mt19937 rng(1251);
    static const char16_t kChars[] = u" \t+-$0xX123456789aAfFgG.,ё\u00A0";
    for (int i = 0; i < 5000; ++i) {
        QString s;
        const int len = int(rng() % 22);
        for (int k = 0; k < len; ++k)
            s += QChar(kChars[rng() % (std::size(kChars) - 1)]);

        int64_t v64 = 0;
        const bool ok64 = TryStrToInt64(s, v64);
        try {
            EXPECT_EQ(StrToInt64(s), v64) << s.toStdString();
            EXPECT_TRUE(ok64) << s.toStdString();
        } catch (const EConvertError&) {
            EXPECT_FALSE(ok64) << s.toStdString();
        }
        int v32 = 0;
        const bool ok32 = TryStrToInt(s, v32);
        try {
            EXPECT_EQ(StrToInt(s), v32) << s.toStdString();
            EXPECT_TRUE(ok32) << s.toStdString();
        } catch (const EConvertError&) {
            EXPECT_FALSE(ok32) << s.toStdString();
        }
        if (ok64) {
            EXPECT_EQ(StrToInt64(IntToStr(v64)), v64);
        }
        // Decimal values that fit 32 bits read the same either way; hex differs by design.
        if (!s.contains(u'$') && !s.contains(u'x') && !s.contains(u'X') && ok64
            && v64 >= INT_MIN && v64 <= INT_MAX) {
            EXPECT_TRUE(ok32) << s.toStdString();
            EXPECT_EQ(v32, v64) << s.toStdString();
        }
    }
}
