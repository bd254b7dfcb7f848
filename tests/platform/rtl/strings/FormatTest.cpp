// Format's integer, string and pointer forms and its errors. Float forms: FormatFloatTest.cpp.
#include "platform/rtl/SysUtils.h"
#include "TestPrint.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

QString F(const char* fmt, TVarRecs args) { return Format(QString::fromUtf8(fmt), args); }

} // namespace

TEST(Format, IntegerStringAndPointerForms)
{
    const struct {
        QString got;
        const char* expected;
    } cases[] = {
        {F("%d", {42}), "42"},
        {F("%5d|", {42}), "   42|"},
        {F("%-5d|", {42}), "42   |"},
        {F("%.5d", {-42}), "-00042"},           // zeros after the sign
        {F("%8.5d|", {-42}), "  -00042|"},
        {F("%.1d", {123}), "123"},              // precision never truncates numbers
        {F("%3d", {-12345}), "-12345"},         // width never truncates either
        {F("%d", {LLONG_MIN}), "-9223372036854775808"},
        {F("%d", {4000000000u}), "4000000000"},
        {F("%u", {-1}), "4294967295"},
        {F("%u", {-1LL}), "18446744073709551615"},
        {F("%x", {255}), "FF"},
        {F("%.4x", {255}), "00FF"},
        {F("%x", {-1}), "FFFFFFFF"},
        {F("%x", {-1LL}), "FFFFFFFFFFFFFFFF"},
        {F("%s", {"абв"}), "абв"},
        {F("%.2s", {"абв"}), "аб"},
        {F("%5.2s|", {"абв"}), "   аб|"},
        {F("%-4s|", {"я"}), "я   |"},
        {F("%s", {QChar(u'ё')}), "ё"},
        {F("%.0s|", {"abc"}), "|"},
        {F("%1:s %0:s", {"a", "b"}), "b a"},
        {F("%1:s %s", {"a", "b", "c"}), "b c"},  // numbering continues after an index
        {F("%0:s%0:s", {"x"}), "xx"},
        {F("%0:-3s|", {"x"}), "x  |"},
        {F("%*d", {4, 7}), "   7"},
        {F("%-*d|", {3, 7}), "7  |"},
        {F("%.*d", {3, 7}), "007"},
        {F("%*.*s", {5, 2, "abcdef"}), "   ab"},
        {F("%*d|", {-4, 7}), "7|"},              // negative width: no padding
        {F("%.*s", {-1, "abc"}), "abc"},          // negative precision: none
        {F("%*:s", {1, "a", "b"}), "a"},
        {F("100%%", {}), "100%"},
        {F("%%d", {}), "%d"},
        {F("%D %S %X", {10, "q", 10}), "10 q A"},
        {F("%p", {static_cast<const void*>(reinterpret_cast<char*>(0x1234))}), "0000000000001234"},
        {F("", {}), ""},
        {F("ничего", {1}), "ничего"},             // surplus arguments are ignored
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, QString::fromUtf8(c.expected));
}

TEST(Format, BadFormatOrArgumentRaisesConvertError)
{
    const struct {
        const char* fmt;
        std::function<QString(const QString&)> call;
    } cases[] = {
        {"%d", [](const QString& f) { return Format(f, {"x"}); }},
        {"%d", [](const QString& f) { return Format(f, {1.5}); }},
        {"%d", [](const QString& f) { return Format(f, {true}); }},
        {"%s", [](const QString& f) { return Format(f, {1}); }},
        {"%s", [](const QString& f) { return Format(f, {true}); }},
        {"%x", [](const QString& f) { return Format(f, {"ff"}); }},
        {"%p", [](const QString& f) { return Format(f, {1}); }},
        {"%f", [](const QString& f) { return Format(f, {1}); }},
        {"%m", [](const QString& f) { return Format(f, {"1"}); }},
        {"%d", [](const QString& f) { return Format(f, {}); }},
        {"%d %d", [](const QString& f) { return Format(f, {1}); }},
        {"%2:d", [](const QString& f) { return Format(f, {1, 2}); }},
        {"%*d", [](const QString& f) { return Format(f, {"x", 1}); }},
        {"%*d", [](const QString& f) { return Format(f, {5}); }},
        {"%*d", [](const QString& f) { return Format(f, {INT_MAX, 1}); }},
        {"%*:d", [](const QString& f) { return Format(f, {-1, 1}); }},
        {"%", [](const QString& f) { return Format(f, {1}); }},
        {"abc%", [](const QString& f) { return Format(f, {1}); }},
        {"%5", [](const QString& f) { return Format(f, {1}); }},
        {"%k", [](const QString& f) { return Format(f, {1}); }},
        {"%5-d", [](const QString& f) { return Format(f, {1}); }},
        {"%99999999d", [](const QString& f) { return Format(f, {1}); }},
        {"%.99999999s", [](const QString& f) { return Format(f, {"a"}); }},
    };
    for (const auto& c : cases) {
        const QString fmt = QString::fromUtf8(c.fmt);
        try {
            c.call(fmt);
            ADD_FAILURE() << "no error for " << c.fmt;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Format '") + fmt
                                       + QStringLiteral("' invalid or incompatible with argument"));
        }
    }
}
