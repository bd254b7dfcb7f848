// Format's float and money forms: they follow the process-wide regional settings.
#include "platform/rtl/SysUtils.h"
#include "TestPrint.h"

#include <gtest/gtest.h>

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }
QString F(const char* fmt, TVarRecs args) { return Format(U(fmt), args); }

// Restores the process-wide settings however the test ends.
struct SettingsGuard {
    TFormatSettings saved = FormatSettings;
    ~SettingsGuard() { FormatSettings = saved; }
};

const Currency kMinus1234_5 = Currency::FromRaw(-12345000);

} // namespace

TEST(FormatFloat, RussianSettings)
{
    SettingsGuard guard;
    FormatSettings = TFormatSettings::Russian();
    const struct {
        QString got;
        const char* expected;
    } cases[] = {
        {F("%f", {1234.5}), "1234,50"},                      // two decimals by default
        {F("%.3f", {2.0}), "2,000"},
        {F("%.0f", {1234.4}), "1234"},
        {F("%.2f", {1.005}), "1,01"},                         // 15 digits: no binary noise
        {F("%8.1f|", {-2.26}), "    -2,3|"},
        {F("%-8.1f|", {2.26}), "2,3     |"},
        {F("%n", {1234567.891}), "1\u00A0234\u00A0567,89"},  // thousands by no-break space
        {F("%.0n", {1234.6}), "1\u00A0235"},
        {F("%m", {1234.5}), "1\u00A0234,50 ₽"},              // currency decimals by default
        {F("%.0m", {1234.5}), "1\u00A0235 ₽"},
        {F("%m", {kMinus1234_5}), "-1\u00A0234,50 ₽"},
        {F("%n", {Currency::FromRaw(12345678900)}), "1\u00A0234\u00A0567,89"},
        {F("%.4f", {Currency::FromRaw(12345)}), "1,2345"},
        {F("%e", {1234.5}), "1,23450000000000E+003"},
        {F("%.3e", {1234.5}), "1,23E+003"},
        {F("%e", {Currency::FromRaw(12345000)}), "1,23450000000000E+003"},
        {F("%g", {0.5}), "0,5"},
        {F("%g", {1234.5}), "1234,5"},
        {F("%1:s: %0:.2f", {3.14159, "пи"}), "пи: 3,14"},
        {F("%*.*f", {7, 1, 2.26}), "    2,3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, U(c.expected));
}

TEST(FormatFloat, FollowsChangedSettings)
{
    SettingsGuard guard;
    FormatSettings.DecimalSeparator = u'.';
    FormatSettings.ThousandSeparator = u',';
    FormatSettings.CurrencyDecimals = 3;
    EXPECT_EQ(F("%n", {1234.5}), U("1,234.50"));
    EXPECT_EQ(F("%f", {0.25}), U("0.25"));
    EXPECT_EQ(F("%m", {1.5}), U("1.500 ₽"));
}

TEST(FormatFloat, HugePrecisionIsClampedNotHonoured)
{
    EXPECT_EQ(F("%.50f", {0.5}).size(), 2 + 18);
    EXPECT_NO_THROW(F("%.50e", {0.5}));
    EXPECT_NO_THROW(F("%.0e", {0.5}));
    EXPECT_NO_THROW(F("%.0g", {0.5}));
}

TEST(FormatFloat, FloatArgumentsFitNoOtherForm)
{
    for (const char* fmt : {"%d", "%s", "%x", "%u", "%p"})
        EXPECT_THROW(F(fmt, {1.5}), EConvertError) << fmt;
    EXPECT_THROW(F("%d", {kMinus1234_5}), EConvertError);
}

TEST(FormatFloat, StrToBoolAcceptsRussianDecimals)
{
    SettingsGuard guard;
    FormatSettings = TFormatSettings::Russian();
    bool v = false;
    ASSERT_TRUE(TryStrToBool(U("0,5"), v));
    EXPECT_TRUE(v);
    ASSERT_TRUE(TryStrToBool(U("0,0"), v));
    EXPECT_FALSE(v);
}
