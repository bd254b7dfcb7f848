// Case mapping, comparison, trimming, searching, quoting and replacing.
#include "platform/rtl/SysUtils.h"
#include "TestPrint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }
}

TEST(Strings, AsciiCaseLeavesOtherLettersAlone)
{
    EXPECT_EQ(UpperCase(U("привет abc_z")), U("привет ABC_Z"));
    EXPECT_EQ(LowerCase(U("ПРИВЕТ ABC")), U("ПРИВЕТ abc"));
}

TEST(Strings, AnsiCaseMapsEveryLetterAndKeepsLength)
{
    const struct {
        const char* in;
        const char* upper;
        const char* lower;
    } cases[] = {
        {"ёлка Ёж", "ЁЛКА ЁЖ", "ёлка ёж"},
        {"Привет, World 1", "ПРИВЕТ, WORLD 1", "привет, world 1"},
        {"straße", "STRAßE", "straße"},       // never "SS": positions must survive
        {"ﬁx", "ﬁX", "ﬁx"},                   // ligature has no one-character upper form
        {"ÄöÜ", "ÄÖÜ", "äöü"},
        {"\xF0\x90\x90\xA8x", "\xF0\x90\x90\x80X", "\xF0\x90\x90\xA8x"},  // outside the BMP
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const QString in = U(c.in);
        EXPECT_EQ(AnsiUpperCase(in), U(c.upper)) << c.in;
        EXPECT_EQ(AnsiLowerCase(in), U(c.lower)) << c.in;
        EXPECT_EQ(AnsiUpperCase(in).size(), in.size()) << c.in;
        EXPECT_EQ(AnsiLowerCase(in).size(), in.size()) << c.in;
    }
}

TEST(Strings, OrdinalComparisons)
{
    const struct {
        const char* a;
        const char* b;
        int str;
        int text;
    } cases[] = {
        {"a", "b", -1, -1},
        {"b", "a", 1, 1},
        {"abc", "abc", 0, 0},
        {"A", "a", -1, 0},
        {"ab", "a", 1, 1},
        {"", "", 0, 0},
        {"", "a", -1, -1},
        {"a", "_", 1, -1},    // text is folded to upper case: 'A' < '_' < 'a'
        {"я", "а", 1, 1},     // code order, not the alphabet's
        {"Я", "я", -1, -1},   // only ASCII letters are folded
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareStr(U(c.a), U(c.b)), c.str) << c.a << " / " << c.b;
        EXPECT_EQ(CompareText(U(c.a), U(c.b)), c.text) << c.a << " / " << c.b;
        EXPECT_EQ(SameText(U(c.a), U(c.b)), c.text == 0) << c.a << " / " << c.b;
    }
}

TEST(Strings, RussianCollationOrder)
{
    QStringList words = {U("Я"), U("ж"), U("Ё"), U("ёлка"), U("ель"), U("Е"), U("ё"), U("А"), U("е"),
                         U("еда"), U("ёж")};
    std::sort(words.begin(), words.end(),
              [](const QString& a, const QString& b) { return AnsiCompareStr(a, b) < 0; });
    // "ё" is "е" with a lesser difference: after "е", before "ж"; lower case before upper.
    const QStringList expected = {U("А"), U("е"), U("Е"), U("ё"), U("Ё"), U("еда"), U("ёж"),
                                  U("ёлка"), U("ель"), U("ж"), U("Я")};
    EXPECT_EQ(words, expected);
}

TEST(Strings, AnsiComparisonsWithAndWithoutCase)
{
    const struct {
        const char* a;
        const char* b;
        int str;
        int text;
    } cases[] = {
        {"ПРИВЕТ", "привет", 1, 0},
        {"Ёлка", "ёлка", 1, 0},
        {"ёлка", "елка", 1, 1},     // "ё" stays distinct from "е" in both
        {"а", "Б", -1, -1},
        {"Я", "а", 1, 1},
        {"10", "9", -1, -1},        // no numeric ordering
        {"", "а", -1, -1},
        {"abc", "abc", 0, 0},
        {"Zeta", "Альфа", -1, -1},  // Latin names sort before Cyrillic ones
    };
    for (const auto& c : cases) {
        const QString a = U(c.a), b = U(c.b);
        EXPECT_EQ(AnsiCompareStr(a, b), c.str) << c.a << " / " << c.b;
        EXPECT_EQ(AnsiCompareStr(b, a), -c.str) << c.a << " / " << c.b;
        EXPECT_EQ(AnsiCompareText(a, b), c.text) << c.a << " / " << c.b;
        EXPECT_EQ(AnsiCompareText(b, a), -c.text) << c.a << " / " << c.b;
        EXPECT_EQ(AnsiSameText(a, b), c.text == 0) << c.a << " / " << c.b;
        EXPECT_EQ(AnsiSameStr(a, b), c.str == 0) << c.a << " / " << c.b;
    }
}

TEST(Strings, AnsiSameTextFoldsLettersOutsideTheBmp)
{
    EXPECT_TRUE(AnsiSameText(U("\xF0\x90\x90\xA8ж"), U("\xF0\x90\x90\x80Ж")));
    EXPECT_FALSE(AnsiSameStr(U("\xF0\x90\x90\xA8ж"), U("\xF0\x90\x90\x80Ж")));
}

TEST(Strings, AnsiCompareIsATotalOrderEvenForTextsTheCollatorIgnores)
{
    // Control characters weigh nothing to the collator; sorted lists still need them apart.
    const QString a = U("ab"), b = QStringLiteral("a\u0001b");
    EXPECT_NE(AnsiCompareStr(a, b), 0);
    EXPECT_EQ(AnsiCompareStr(a, b), -AnsiCompareStr(b, a));
    EXPECT_NE(AnsiCompareText(a, b), 0);
    EXPECT_EQ(AnsiCompareText(a, b), -AnsiCompareText(b, a));
}

TEST(Strings, CollationIsUsableFromSeveralThreads)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                if (AnsiCompareText(U("Ёлка"), U("ЁЛКА")) != 0 || AnsiCompareStr(U("А"), U("Я")) != -1)
                    ++wrong;
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(Strings, TrimDropsControlsAndSpacesOnly)
{
    const QString s = QStringLiteral(" \t\n\u0001абв \r");
    EXPECT_EQ(Trim(s), U("абв"));
    EXPECT_EQ(TrimLeft(s), QStringLiteral("абв \r"));
    EXPECT_EQ(TrimRight(s), QStringLiteral(" \t\n\u0001абв"));
    const QString nbsp = QStringLiteral("\u00A0x\u00A0");
    EXPECT_EQ(Trim(nbsp), nbsp);
    EXPECT_EQ(Trim(U("   ")), QString());
    EXPECT_EQ(TrimLeft(U("")), QString());
}

TEST(Strings, PositionsAreOneBasedAndEmptyFindsNothing)
{
    const struct {
        const char* sub;
        const char* s;
        int offset;
        int expected;
    } cases[] = {
        {"b", "abc", 1, 2},
        {"a", "abc", 1, 1},
        {"c", "abc", 1, 3},
        {"x", "abc", 1, 0},
        {"", "abc", 1, 0},
        {"a", "", 1, 0},
        {"", "", 1, 0},
        {"abcd", "abc", 1, 0},
        {"ё", "елка ёлка", 1, 6},
        {"a", "aXa", 2, 3},
        {"a", "aXa", 3, 3},
        {"a", "aXa", 4, 0},
        {"a", "aXa", 0, 0},
        {"a", "aXa", -1, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PosEx(U(c.sub), U(c.s), c.offset), c.expected) << c.sub << " in " << c.s << " @" << c.offset;
        if (c.offset == 1) {
            EXPECT_EQ(Pos(U(c.sub), U(c.s)), c.expected) << c.sub << " in " << c.s;
            EXPECT_EQ(AnsiPos(U(c.sub), U(c.s)), c.expected) << c.sub << " in " << c.s;
        }
    }
}

TEST(Strings, CopyIsClamped)
{
    const QString s = U("abcdef");
    const struct {
        int index, count;
        const char* expected;
    } cases[] = {
        {2, 3, "bcd"}, {1, 6, "abcdef"}, {0, 3, "abc"}, {-5, 2, "ab"}, {5, 100, "ef"},
        {6, 1, "f"},   {7, 1, ""},       {2, 0, ""},    {2, -1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Copy(s, c.index, c.count), U(c.expected)) << c.index << "," << c.count;
    EXPECT_EQ(StringOfChar(u'ж', 3), U("жжж"));
    EXPECT_EQ(StringOfChar(u'ж', -1), QString());
}

TEST(Strings, Quoting)
{
    EXPECT_EQ(QuotedStr(U("It's")), U("'It''s'"));
    EXPECT_EQ(QuotedStr(U("")), U("''"));
    EXPECT_EQ(AnsiQuotedStr(U("a\"b"), u'"'), U("\"a\"\"b\""));

    const struct {
        const char* in;
        const char* out;
    } dequoted[] = {
        {"'It''s'", "It's"},
        {"''", ""},
        {"''''", "'"},
        {"'a'b", "a"},      // text after the closing quote is not part of the value
        {"abc", "abc"},     // not quoted: unchanged
        {"'abc", "'abc"},   // never closed: unchanged
        {"", ""},
    };
    for (const auto& c : dequoted)
        EXPECT_EQ(AnsiDequotedStr(U(c.in), u'\''), U(c.out)) << c.in;

    for (const char* s : {"", "'", "''", "a'b''c'", "ООО \"Ромашка\""}) {
        EXPECT_EQ(AnsiDequotedStr(QuotedStr(U(s)), u'\''), U(s)) << s;
        EXPECT_EQ(AnsiDequotedStr(AnsiQuotedStr(U(s), u'"'), u'"'), U(s)) << s;
    }
}

TEST(Strings, StringReplace)
{
    const struct {
        const char* s;
        const char* from;
        const char* to;
        int flags;
        const char* expected;
    } cases[] = {
        {"aaa", "a", "b", 0, "baa"},
        {"aaa", "a", "b", rfReplaceAll, "bbb"},
        {"aaaa", "aa", "a", rfReplaceAll, "aa"},     // matches do not overlap
        {"abc", "", "x", rfReplaceAll, "abc"},
        {"", "a", "x", rfReplaceAll, ""},
        {"abc", "B", "x", rfReplaceAll, "abc"},
        {"abc", "B", "x", rfReplaceAll | rfIgnoreCase, "axc"},
        {"Ёлка и ёлка", "ЁЛКА", "ель", rfReplaceAll | rfIgnoreCase, "ель и ель"},
        {"Ёлка и ёлка", "ЁЛКА", "ель", rfIgnoreCase, "ель и ёлка"},
        {"ßa", "A", "b", rfIgnoreCase, "ßb"},           // positions line up after case mapping
        {"straße", "SSE", "x", rfReplaceAll | rfIgnoreCase, "straße"},
        {"a.b.c", ".", "", rfReplaceAll, "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StringReplace(U(c.s), U(c.from), U(c.to), c.flags), U(c.expected)) << c.s << " " << c.from;
}

TEST(Strings, StartsAndEndsTextIgnoreCase)
{
    EXPECT_TRUE(StartsText(U("ПРИ"), U("привет")));
    EXPECT_TRUE(EndsText(U("ВЕТ"), U("привет")));
    EXPECT_TRUE(StartsText(U(""), U("x")));
    EXPECT_TRUE(EndsText(U(""), U("")));
    EXPECT_FALSE(StartsText(U("abc"), U("ab")));
    EXPECT_FALSE(EndsText(U("ё"), U("е")));
    EXPECT_FALSE(StartsText(U("вет"), U("привет")));
}
