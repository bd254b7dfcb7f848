// Edit formats, reading typed dates, composing values and stepping elements.
#include "components/editors/DBCtrlsEh.h"
#include "platform/rtl/SysUtils.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

// Restores the process-wide locale settings a test changes.
class FormatSettingsGuard {
public:
    FormatSettingsGuard() : FSaved(FormatSettings) {}
    ~FormatSettingsGuard() { FormatSettings = FSaved; }

private:
    TFormatSettings FSaved;
};

QString Msg(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

TDateTime Dt(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0)
{
    return EncodeDate(y, m, d) + EncodeTime(h, n, s, ms);
}

} // namespace

TEST(DateTimeEditFormat, MaskAndPositionsOfTheDefaultDate)
{
    TDateTimeElementsMaskPosEh p;
    EXPECT_EQ(ParseEditFormat(QStringLiteral("DD/MM/YYYY"), p), QStringLiteral("!99/99/9999;1; "));
    EXPECT_EQ(p.Day.Pos, 1);
    EXPECT_EQ(p.Month.Pos, 4);
    EXPECT_EQ(p.Year.Pos, 7);
    EXPECT_EQ(p.Year.Length, 4);
    EXPECT_FALSE(p.Hour.Present);
    EXPECT_EQ(p.Hour.Pos, -1);

    EXPECT_EQ(ParseEditFormat(QStringLiteral("DD/MM/YYYY HH:NN:SS"), p), QStringLiteral("!99/99/9999 99:99:99;1; "));
    EXPECT_EQ(p.Hour.Pos, 12);
    EXPECT_EQ(p.Min.Pos, 15);
    EXPECT_EQ(p.Sec.Pos, 18);
}

TEST(DateTimeEditFormat, LiteralsEscapesAndMaskCharacters)
{
    struct Case {
        const char16_t* Format;
        const char16_t* Mask;
        const char16_t* DateTimeFormat;
        const char16_t* Template;
    };
    const Case cases[] = {
        // dots stay plain literals of the mask and get quoted for formatting
        {u"dd.mm.yyyy", u"!99.99.9999;1; ", u"DD'.'MM'.'YYYY", u"DD MM YYYY"},
        // a zero is a mask digit: emitted as a fixed literal
        {u"HH0NN", u"!99\\099;1; ", u"HH'0'NN", u"HH NN"},
        // an escaped zero is a raw mask character; an escaped element letter is a literal
        {u"DD\\0\\D", u"!990D;1; ", u"DD'0D'", u"DD  "},
        // a quote in a literal run is doubled
        {u"YY'MM", u"!99'99;1; ", u"YY''''MM", u"YY MM"},
        {u"HH:NN", u"!99:99;1; ", u"HH:NN", u"HH:NN"},
    };
    for (const Case& c : cases) {
        const QString f = QString::fromUtf16(c.Format);
        TDateTimeElementsMaskPosEh p;
        EXPECT_EQ(ParseEditFormat(f, p), QString::fromUtf16(c.Mask)) << f.toStdString();
        EXPECT_EQ(EditFormatToDateTimeFormat(f), QString::fromUtf16(c.DateTimeFormat)) << f.toStdString();
        EXPECT_EQ(EditFormatToStepTemplate(f), QString::fromUtf16(c.Template)) << f.toStdString();
    }
}

TEST(DateTimeEditFormat, FormatErrors)
{
    struct Case {
        const char16_t* Format;
        const char16_t* Message;
    };
    const Case cases[] = {
        {u"DD/MM/YYY", u"Invalid datetime format element length: \"Y\""},
        {u"D/MM/YY", u"Invalid datetime format element length: \"D\""},
        {u"DD/MM/YYYYY", u"Element in EditFormat: \"DD/MM/YYYYY\" is too long. Pos: 11"},
        {u"DDD", u"Element in EditFormat: \"DDD\" is too long. Pos: 3"},
        {u"DD/MM/DD", u"Duplicating datetime format element: \"D\""},
    };
    for (const Case& c : cases) {
        TDateTimeElementsMaskPosEh p;
        EXPECT_EQ(Msg([&] { ParseEditFormat(QString::fromUtf16(c.Format), p); }), QString::fromUtf16(c.Message));
    }
}

TEST(DateTimeEditFormat, DateOrderAndYearDigitsFollowTheLocale)
{
    FormatSettingsGuard guard;
    struct Case {
        const char* Short;
        bool Four;
        const char* Expected;
    };
    const Case cases[] = {
        {"dd.MM.yyyy", true, "DD/MM/YYYY"}, {"M/d/yy", false, "MM/DD/YY"},
        {"yyyy-MM-dd", true, "YYYY/MM/DD"}, {"yyy-MM-dd", true, "YYYY/MM/DD"},
        {"--", false, "DD/MM/YY"},
    };
    for (const Case& c : cases) {
        FormatSettings.ShortDateFormat = QString::fromLatin1(c.Short);
        EXPECT_EQ(LocaleHasFourDigitYear(), c.Four) << c.Short;
        EXPECT_EQ(DefaultDateEditFormat(LocaleHasFourDigitYear()), QString::fromLatin1(c.Expected)) << c.Short;
    }
}

TEST(DateTimeEditFormat, TwoDigitYearsUseASixtyYearWindow)
{
    EXPECT_EQ(ExpandTwoDigitYear(30, 2026), 2030);
    EXPECT_EQ(ExpandTwoDigitYear(65, 2026), 2065);
    EXPECT_EQ(ExpandTwoDigitYear(66, 2026), 1966);
    EXPECT_EQ(ExpandTwoDigitYear(70, 2026), 1970);
    EXPECT_EQ(ExpandTwoDigitYear(0, 2026), 2000);
    EXPECT_EQ(ExpandTwoDigitYear(100, 2026), 100);
    EXPECT_EQ(ExpandTwoDigitYear(1999, 2026), 1999);
}

TEST(DateTimeEditText, ReadingElements)
{
    TDateTimeElementsMaskPosEh p;
    ParseEditFormat(QStringLiteral("DD/MM/YYYY"), p);
    TDateTimePartsEh parts;
    EXPECT_TRUE(ParseTextByMask(QStringLiteral("05.03.2024"), p, parts));
    EXPECT_EQ(parts.Day, 5);
    EXPECT_EQ(parts.Month, 3);
    EXPECT_EQ(parts.Year, 2024);
    EXPECT_EQ(parts.Hour, -1);

    // inner spaces ignored, a two-digit year typed into a four-digit element expanded
    EXPECT_TRUE(ParseTextByMask(QStringLiteral(" 5.3 .30  "), p, parts));
    EXPECT_EQ(parts.Day, 5);
    EXPECT_EQ(parts.Month, 3);
    EXPECT_EQ(parts.Year, ExpandTwoDigitYear(30));

    // a blank month and a letter in the year
    EXPECT_FALSE(ParseTextByMask(QStringLiteral("05.  .2x24"), p, parts));
    EXPECT_EQ(parts.Day, 5);
    EXPECT_EQ(parts.Month, -1);
    EXPECT_EQ(parts.Year, -1);

    EXPECT_FALSE(ParseTextByMask(QStringLiteral("  .  .    "), p, parts));
    EXPECT_TRUE(parts.AllAbsent());
}

TEST(DateTimeEditText, ComposingWithoutCompletion)
{
    TDateTimeElementsMaskPosEh date, time;
    ParseEditFormat(QStringLiteral("DD/MM/YYYY"), date);
    ParseEditFormat(QStringLiteral("HH:NN:SS"), time);

    // a date mask keeps the time of the previous value, a time mask its date
    Variant v = Variant::FromDate(Dt(2020, 1, 2, 13, 45, 10, 500));
    TDateTimePartsEh parts;
    ParseTextByMask(QStringLiteral("28.02.2024"), date, parts);
    ASSERT_TRUE(ComposeDateTimeValue(parts, date, v, false));
    EXPECT_DOUBLE_EQ(v.AsDateTime(), Dt(2024, 2, 28, 13, 45, 10, 500));

    ParseTextByMask(QStringLiteral("08:05:00"), time, parts);
    ASSERT_TRUE(ComposeDateTimeValue(parts, time, v, false));
    EXPECT_DOUBLE_EQ(v.AsDateTime(), Dt(2024, 2, 28, 8, 5, 0, 500));

    // a time typed into an empty time edit is a pure time
    v = Variant::Null();
    ASSERT_TRUE(ComposeDateTimeValue(parts, time, v, false));
    EXPECT_DOUBLE_EQ(v.AsDateTime(), EncodeTime(8, 5, 0, 0));

    // a partial date mask lands in 1900 when there is no previous value
    TDateTimeElementsMaskPosEh dayMonth;
    ParseEditFormat(QStringLiteral("DD.MM"), dayMonth);
    v = Variant::Null();
    ParseTextByMask(QStringLiteral("03.04"), dayMonth, parts);
    ASSERT_TRUE(ComposeDateTimeValue(parts, dayMonth, v, false));
    EXPECT_DOUBLE_EQ(v.AsDateTime(), Dt(1900, 4, 3));

    // incomplete or impossible: Null and a failure
    for (const char* t : {"05.  .2024", "31.04.2024", "29.02.2023", "00.13.2024"}) {
        v = Variant::FromDate(Dt(2020, 1, 2));
        ParseTextByMask(QString::fromLatin1(t), date, parts);
        EXPECT_FALSE(ComposeDateTimeValue(parts, date, v, false)) << t;
        EXPECT_TRUE(v.IsNull()) << t;
    }

    // an empty text is Null and a success
    v = Variant::FromDate(Dt(2020, 1, 2));
    ParseTextByMask(QStringLiteral("  .  .    "), date, parts);
    EXPECT_TRUE(ComposeDateTimeValue(parts, date, v, false));
    EXPECT_TRUE(v.IsNull());
}

TEST(DateTimeEditText, CompletionFromToday)
{
    TDateTimeElementsMaskPosEh date, dt;
    ParseEditFormat(QStringLiteral("DD/MM/YYYY"), date);
    ParseEditFormat(QStringLiteral("DD/MM/YYYY HH:NN:SS"), dt);
    const QDate today = QDate::currentDate();

    struct Case {
        const char* Text;
        int Year, Month, Day;   // 0: today's
    };
    const Case cases[] = {
        {"15.  .    ", 0, 0, 15},   // day only
        {"15.03.    ", 0, 3, 15},   // day and month
        {"15.03.30  ", 0, 3, 15},   // two-digit year (checked below)
        {"31.02.2023", 2023, 2, 28},   // past the month's end: its last day
        {"10.14.2023", 2023, 12, 10},  // month above 12
        {"  .  .1999", 1999, 0, 0},
    };
    for (const Case& c : cases) {
        Variant v = Variant::Null();
        TDateTimePartsEh parts;
        ParseTextByMask(QString::fromLatin1(c.Text), date, parts);
        ASSERT_TRUE(ComposeDateTimeValue(parts, date, v, true)) << c.Text;
        int y = 0, m = 0, d = 0;
        DecodeDate(v.AsDateTime(), y, m, d);
        const int expectYear = QByteArray(c.Text).mid(6).trimmed().size() == 2 ? ExpandTwoDigitYear(30)
                                                                                : (c.Year ? c.Year : today.year());
        EXPECT_EQ(y, expectYear) << c.Text;
        EXPECT_EQ(m, c.Month ? c.Month : today.month()) << c.Text;
        EXPECT_EQ(d, c.Day ? std::min(c.Day, DaysInAMonth(y, m)) : today.day()) << c.Text;
    }

    // hours, minutes and seconds are clamped, not refused
    Variant v = Variant::Null();
    TDateTimePartsEh parts;
    ParseTextByMask(QStringLiteral("01.02.2024 25:61:  "), dt, parts);
    ASSERT_TRUE(ComposeDateTimeValue(parts, dt, v, true));
    EXPECT_DOUBLE_EQ(v.AsDateTime(), Dt(2024, 2, 1, 23, 59, 0));
}

TEST(DateTimeEditText, NegativeDatesKeepTheirTime)
{
    TDateTimeElementsMaskPosEh date;
    ParseEditFormat(QStringLiteral("DD/MM/YYYY"), date);
    Variant v = Variant::FromDate(Dt(2000, 1, 1, 6, 0, 0));
    TDateTimePartsEh parts;
    ParseTextByMask(QStringLiteral("29.12.1899"), date, parts);
    ASSERT_TRUE(ComposeDateTimeValue(parts, date, v, false));
    EXPECT_DOUBLE_EQ(v.AsDateTime(), -1.25);
    const TDateTimePartsEh back = DecomposeDateTimeValue(v);
    EXPECT_EQ(back.Day, 29);
    EXPECT_EQ(back.Hour, 6);
}

TEST(DateTimeEditStep, FindingTheElementAtTheCaret)
{
    const QString t = EditFormatToStepTemplate(QStringLiteral("DD/MM/YYYY HH:NN"));
    QChar letter;
    int s = 0, r = 0;
    ASSERT_TRUE(FindDateTimeElement(t, 2, letter, s, r));
    EXPECT_EQ(letter, u'D');
    EXPECT_EQ(s, 1);
    // on a separator: the element after it
    ASSERT_TRUE(FindDateTimeElement(t, 3, letter, s, r));
    EXPECT_EQ(letter, u'M');
    EXPECT_EQ(s, 4);
    ASSERT_TRUE(FindDateTimeElement(t, 9, letter, s, r));
    EXPECT_EQ(letter, u'Y');
    EXPECT_EQ(s, 7);
    EXPECT_EQ(r, 4);
    EXPECT_FALSE(FindDateTimeElement(t, 11, letter, s, r));   // the space before the hour
    EXPECT_FALSE(FindDateTimeElement(t, 17, letter, s, r));   // past the end
}

TEST(DateTimeEditStep, WrapsWithinTheElement)
{
    struct Case {
        const char* Text;
        char Letter;
        int S, R;
        bool Up;
        const char* Expected;
    };
    const Case cases[] = {
        {"31.04.2024", 'D', 1, 2, true, "01.04.2024"},   // 31 wraps even in a 30-day month
        {"01.04.2024", 'D', 1, 2, false, "31.04.2024"},
        {"  .12.2024", 'D', 1, 2, true, "01.12.2024"},   // blank reads as 0
        {"10.12.2024", 'M', 4, 2, true, "10.01.2024"},
        {"10.01.2024", 'M', 4, 2, false, "10.12.2024"},
        {"10.01.9999", 'Y', 7, 4, true, "10.01.0001"},
        {"10.01.0001", 'Y', 7, 4, false, "10.01.9999"},
        {"10.01.99", 'Y', 7, 2, true, "10.01.00"},
        {"10.01.00", 'Y', 7, 2, false, "10.01.99"},
        {"23:59", 'H', 1, 2, true, "00:59"},
        {"00:59", 'H', 1, 2, false, "23:59"},
        {"23:59", 'N', 4, 2, true, "23:00"},
        {"23:00", 'S', 4, 2, false, "23:59"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StepDateTimeElementText(QString::fromLatin1(c.Text), QLatin1Char(c.Letter), c.S, c.R, c.Up),
                  QString::fromLatin1(c.Expected))
            << c.Text << " " << c.Letter;
}

TEST(DateTimeEditText, PlatformRange)
{
    EXPECT_TRUE(IsDateTimeInRangeEh(EncodeDate(1, 1, 1)));
    EXPECT_TRUE(IsDateTimeInRangeEh(EncodeDate(9999, 12, 31) + 0.999));
    EXPECT_FALSE(IsDateTimeInRangeEh(EncodeDate(9999, 12, 31) + 1));
    EXPECT_TRUE(IsDateTimeInRangeEh(EncodeDate(1, 1, 1) - 0.5));   // its noon
    EXPECT_FALSE(IsDateTimeInRangeEh(EncodeDate(1, 1, 1) - 1));
    EXPECT_FALSE(IsDateTimeInRangeEh(std::nan("")));
}
