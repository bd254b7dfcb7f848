// Integer and boolean text conversions and the 1251 code page.
#include "platform/rtl/SysUtils.h"
#include "TestPrint.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }
}

TEST(IntText, ToText)
{
    EXPECT_EQ(IntToStr(-5), U("-5"));
    EXPECT_EQ(IntToStr(LLONG_MIN), U("-9223372036854775808"));
    EXPECT_EQ(UIntToStr(ULLONG_MAX), U("18446744073709551615"));
    EXPECT_EQ(IntToHex(255, 4), U("00FF"));
    EXPECT_EQ(IntToHex(255, 1), U("FF"));
    EXPECT_EQ(IntToHex(0, 0), U("0"));
    EXPECT_EQ(IntToHex(-1, 2), U("FFFFFFFFFFFFFFFF"));
}

TEST(IntText, StrToIntTable)
{
    const struct {
        const char* s;
        std::optional<int> v;
    } cases[] = {
        {"0", 0},
        {"  12  ", 12},
        {"\t5", 5},
        {"+7", 7},
        {"-7", -7},
        {"007", 7},
        {"$1F", 31},
        {"$1f", 31},
        {"0x1f", 31},
        {"0X1F", 31},
        {"-$10", -16},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"$7FFFFFFF", INT_MAX},
        {"$FFFFFFFF", -1},              // hex is a bit pattern: IntToHex output reads back
        {"$80000000", INT_MIN},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {"--1", std::nullopt},
        {"1 2", std::nullopt},
        {"12a", std::nullopt},
        {"0x", std::nullopt},
        {"$", std::nullopt},
        {"0x-1", std::nullopt},
        {"$G", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"$100000000", std::nullopt},
        {"-$80000000", std::nullopt},
        {"1e3", std::nullopt},
        {"1.0", std::nullopt},
        {"1,0", std::nullopt},
        {"١٢", std::nullopt},           // only ASCII digits
        {"１２", std::nullopt},
        {"\xC2\xA0" "1", std::nullopt},    // no-break space is not a blank
    };
    for (const auto& c : cases) {
        const QString s = U(c.s);
        int v = 12345;
        EXPECT_EQ(TryStrToInt(s, v), c.v.has_value()) << c.s;
        EXPECT_EQ(StrToIntDef(s, -999), c.v.value_or(-999)) << c.s;
        if (c.v) {
            EXPECT_EQ(v, *c.v) << c.s;
            EXPECT_EQ(StrToInt(s), *c.v) << c.s;
        } else {
            EXPECT_THROW(StrToInt(s), EConvertError) << c.s;
        }
    }
}

TEST(IntText, StrToInt64Table)
{
    const struct {
        const char* s;
        std::optional<int64_t> v;
    } cases[] = {
        {"9223372036854775807", LLONG_MAX},
        {"-9223372036854775808", LLONG_MIN},
        {" 2147483648 ", 2147483648LL},
        {"$FFFFFFFF", 4294967295LL},
        {"$FFFFFFFFFFFFFFFF", -1},
        {"0x8000000000000000", LLONG_MIN},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"$10000000000000000", std::nullopt},
        {"x", std::nullopt},
    };
    for (const auto& c : cases) {
        const QString s = U(c.s);
        int64_t v = 0;
        EXPECT_EQ(TryStrToInt64(s, v), c.v.has_value()) << c.s;
        EXPECT_EQ(StrToInt64Def(s, 42), c.v.value_or(42)) << c.s;
        if (c.v) {
            EXPECT_EQ(v, *c.v) << c.s;
            EXPECT_EQ(StrToInt64(s), *c.v) << c.s;
        } else {
            EXPECT_THROW(StrToInt64(s), EConvertError) << c.s;
        }
    }
}

TEST(IntText, ErrorNamesTheTextExactly)
{
    for (const char* s : {"abc", " 12x ", "", "99999999999"}) {
        try {
            StrToInt(U(s));
            ADD_FAILURE() << s;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), U("'") + U(s) + U("' is not a valid integer value"));
        }
    }
    try {
        StrToInt64(U("сто"));
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), U("'сто' is not a valid integer value"));
    }
}

TEST(BoolText, TextsAndIntegers)
{
    const struct {
        const char* s;
        std::optional<bool> v;
    } cases[] = {
        {"True", true}, {"true", true}, {" FALSE ", false}, {"0", false}, {"1", true},
        {"-1", true},   {"$0", false},  {"yes", std::nullopt},  {"", std::nullopt},
        {"Истина", std::nullopt},
    };
    for (const auto& c : cases) {
        bool v = false;
        EXPECT_EQ(TryStrToBool(U(c.s), v), c.v.has_value()) << c.s;
        if (c.v) {
            EXPECT_EQ(v, *c.v) << c.s;
            EXPECT_EQ(StrToBool(U(c.s)), *c.v) << c.s;
        }
    }
    try {
        StrToBool(U("yes"));
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), U("'yes' is not a valid boolean value"));
    }
    EXPECT_EQ(BoolToStr(true), U("-1"));
    EXPECT_EQ(BoolToStr(false), U("0"));
    EXPECT_EQ(BoolToStr(true, true), U("True"));
    EXPECT_EQ(BoolToStr(false, true), U("False"));
}

TEST(CodePage1251, CyrillicLettersBothWays)
{
    // А..я are 0xC0..0xFF in alphabet order, Ё and ё sit apart.
    QString letters;
    QByteArray bytes;
    for (int i = 0; i < 64; ++i) {
        letters += QChar(0x0410 + i);
        bytes += char(0xC0 + i);
    }
    letters += U("Ёё");
    bytes += "\xA8\xB8";
    EXPECT_EQ(UnicodeToCP1251(letters), bytes);
    EXPECT_EQ(CP1251ToUnicode(bytes), letters);
}

TEST(CodePage1251, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = CP1251ToUnicode(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(UnicodeToCP1251(text), all);
    EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
}

TEST(CodePage1251, PunctuationAndOtherSlavicLetters)
{
    const struct {
        const char* text;
        QByteArray bytes;
    } cases[] = {
        {"€№«»—–…", QByteArray("\x88\xB9\xAB\xBB\x97\x96\x85")},
        {"ЂЃЉЊЌЋЏђѓљњќћџ", QByteArray("\x80\x81\x8A\x8C\x8D\x8E\x8F\x90\x83\x9A\x9C\x9D\x9E\x9F")},
        {"ЎўЈҐЄЇІіґєјЅѕї", QByteArray("\xA1\xA2\xA3\xA5\xAA\xAF\xB2\xB3\xB4\xBA\xBC\xBD\xBE\xBF")},
        {"\xC2\xA0§©®°±µ¶·", QByteArray("\xA0\xA7\xA9\xAE\xB0\xB1\xB5\xB6\xB7")},
        {"‚„†‡‰‹‘’“”•™›", QByteArray("\x82\x84\x86\x87\x89\x8B\x91\x92\x93\x94\x95\x99\x9B")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnicodeToCP1251(U(c.text)), c.bytes) << c.text;
        EXPECT_EQ(CP1251ToUnicode(c.bytes), U(c.text)) << c.text;
    }
}

TEST(CodePage1251, UnmappableCharactersBecomeQuestionMarks)
{
    // One '?' per character, also for a character outside the BMP; NUL is kept.
    const QString s = U("aä中Ж😀") + QChar(0) + QChar(0xD800) + U("z");
    EXPECT_EQ(UnicodeToCP1251(s), QByteArray("a??\xC6?", 5) + QByteArray(1, '\0') + QByteArray("?z"));
    EXPECT_EQ(UnicodeToCP1251(QString()), QByteArray());
}
