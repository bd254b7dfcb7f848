#include "FormatsTestUtil.h"

#include <QDate>

namespace {

const TFormatSettings RU = TFormatSettings::Russian();
const TFormatSettings INV = TFormatSettings::Invariant();

TDateTime Dt(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0)
{
    return EncodeDate(y, m, d) + EncodeTime(h, n, s, ms);
}

TEST(EncodeDate, AgreesWithTheCalendarOverCenturies)
{
    const QDate epoch(1899, 12, 30);
    for (QDate d(1, 1, 1); d.year() <= 9999; d = d.addDays(d.year() < 1800 ? 997 : 13)) {
        const double expected = double(epoch.daysTo(d));
        ASSERT_EQ(EncodeDate(d.year(), d.month(), d.day()), expected) << d.toString(Qt::ISODate).toStdString();
        int y = 0, m = 0, day = 0;
        DecodeDate(expected, y, m, day);
        ASSERT_EQ(QDate(y, m, day), d);
        ASSERT_EQ(DayOfWeek(expected), d.dayOfWeek() % 7 + 1);   // 1 = Sunday
    }
}

TEST(EncodeDate, BadArgumentsRaiseThePlatformText)
{
    EXPECT_EQ(ConvertErrorOf([] { EncodeDate(2025, 2, 29); }), "Invalid argument to date encode");
    EXPECT_EQ(ConvertErrorOf([] { EncodeDate(0, 1, 1); }), "Invalid argument to date encode");
    EXPECT_EQ(ConvertErrorOf([] { EncodeDate(2026, 13, 1); }), "Invalid argument to date encode");
    EXPECT_EQ(ConvertErrorOf([] { EncodeTime(24, 0, 0, 0); }), "Invalid argument to time encode");
    EXPECT_EQ(ConvertErrorOf([] { EncodeTime(1, 60, 0, 0); }), "Invalid argument to time encode");
    EXPECT_EQ(ConvertErrorOf([] { EncodeTime(1, 0, 0, 1000); }), "Invalid argument to time encode");
    TDateTime d = 5;
    EXPECT_FALSE(TryEncodeDate(2026, 4, 31, d));
    EXPECT_EQ(d, 5);
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29, d));
}

TEST(DecodeTime, RoundsToTheMillisecondAcrossMidnight)
{
    int h, n, s, ms, y, m, d;
    const TDateTime almost = 46086.0 + 0.99999999999;   // a few microseconds before midnight
    DecodeTime(almost, h, n, s, ms);
    DecodeDate(almost, y, m, d);
    EXPECT_EQ(QDate(y, m, d), QDate(2026, 3, 6));
    EXPECT_EQ(h + n + s + ms, 0);
    DecodeTime(Dt(2026, 3, 5, 7, 4, 9, 45), h, n, s, ms);
    EXPECT_EQ(std::make_tuple(h, n, s, ms), std::make_tuple(7, 4, 9, 45));
    // Before 1899-12-30 the time is still a positive fraction: -1.25 is 29.12.1899 6:00.
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(QDate(y, m, d), QDate(1899, 12, 29));
    EXPECT_EQ(h, 6);
}

TEST(Calendar, LeapYearsAndMonthLengths)
{
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2026));
    EXPECT_EQ(DaysInAMonth(2024, 2), 29);
    EXPECT_EQ(DaysInAMonth(2026, 2), 28);
    EXPECT_EQ(DaysInAMonth(2026, 4), 30);
    EXPECT_EQ(DaysInAMonth(2026, 12), 31);
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 10)), 5);   // Thursday
}

TEST(IncMonth, ClampsTheDayToTheMonthsEnd)
{
    const struct {
        QDate From;
        int Months;
        QDate Expected;
    } cases[] = {
        {{2024, 1, 31}, 1, {2024, 2, 29}},  {{2023, 1, 31}, 1, {2023, 2, 28}},
        {{2024, 3, 31}, -1, {2024, 2, 29}}, {{2026, 11, 15}, 3, {2027, 2, 15}},
        {{2026, 1, 31}, -13, {2024, 12, 31}}, {{2026, 5, 31}, 0, {2026, 5, 31}},
        {{2026, 8, 31}, 1, {2026, 9, 30}},  {{2024, 2, 29}, 12, {2025, 2, 28}},
    };
    for (const auto& c : cases) {
        const TDateTime r = IncMonth(EncodeDate(c.From.year(), c.From.month(), c.From.day()), c.Months);
        int y, m, d;
        DecodeDate(r, y, m, d);
        EXPECT_EQ(QDate(y, m, d), c.Expected) << c.From.toString().toStdString() << " + " << c.Months;
    }
    EXPECT_DOUBLE_EQ(TimeOf(IncMonth(Dt(2026, 1, 31, 18, 30), 1)), EncodeTime(18, 30, 0, 0));
    EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
}

TEST(DateOf, SplitsDateAndTime)
{
    const TDateTime d = Dt(2026, 3, 5, 7, 4, 9, 45);
    EXPECT_EQ(DateOf(d), 46086.0);
    EXPECT_DOUBLE_EQ(TimeOf(d), EncodeTime(7, 4, 9, 45));
    EXPECT_GE(Now(), Date());
    EXPECT_LT(Now() - Date(), 1.0);
    EXPECT_LT(Time(), 1.0);
}

TEST(FormatDateTime, Tokens)
{
    const TDateTime d = Dt(2026, 3, 5, 7, 4, 9, 45);   // a Thursday
    const TDateTime evening = Dt(2026, 3, 5, 19, 0, 0, 0);
    const struct {
        const char* Format;
        TDateTime Value;
        const char* Expected;
    } cases[] = {
        {"dd.MM.yyyy", d, "05.03.2026"},
        {"d.m.yy", d, "5.3.26"},
        {"y", d, "26"},
        {"ddd", d, "Чт"},
        {"dddd", d, "четверг"},
        {"mmm", d, "мар"},
        {"d mmmm yyyy", d, "5 марта 2026"},
        {"ddddd", d, "05.03.2026"},
        {"dddddd", d, "5 марта 2026 г."},
        {"h:nn:ss", d, "7:04:09"},
        {"hh:mm:ss.zzz", d, "07:04:09.045"},   // m after h is minutes
        {"hh:MM", d, "07:04"},
        {"h:m", d, "7:4"},
        {"nn mm", d, "04 03"},                  // not after h: the month
        {"z", d, "45"},
        {"t", d, "7:04"},
        {"tt", d, "7:04:09"},
        {"c", d, "05.03.2026 7:04:09"},
        {"c", EncodeDate(2026, 3, 5), "05.03.2026"},
        {"h:nn am/pm", d, "7:04 am"},
        {"h AM/PM", evening, "7 PM"},
        {"h a/p", d, "7 a"},
        {"hh A/P", EncodeDate(2026, 3, 5), "12 A"},
        {"hh", evening, "19"},
        {"hh 'ч' nn 'мин'", d, "07 ч 04 мин"},
        {"yyyy/mm/dd", d, "2026.03.05"},        // '/' is the settings' date separator
        {"\"yy\"yy", d, "yy26"},
        {"'unclosed", d, "unclosed"},
        {"x-q", d, "x-q"},
        {"", d, "05.03.2026 7:04:09"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(Q(c.Format), c.Value, RU), Q(c.Expected)) << c.Format;
}

TEST(FormatDateTime, FormatsThatNameThemselvesStop)
{
    TFormatSettings fs = RU;
    fs.ShortDateFormat = "c|ddddd";
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 3, 5), fs), "|");
}

TEST(DateTimeToStr, ShortDateThenLongTimeUnlessMidnight)
{
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 3, 5)), "05.03.2026");
    EXPECT_EQ(DateTimeToStr(Dt(2026, 3, 5, 7, 4, 9)), "05.03.2026 7:04:09");
    EXPECT_EQ(DateToStr(Dt(2026, 3, 5, 7, 4, 9)), "05.03.2026");
    EXPECT_EQ(TimeToStr(Dt(2026, 3, 5, 7, 4, 9)), "7:04:09");
    EXPECT_EQ(DateToStr(EncodeDate(2026, 3, 5), INV), "03/05/2026");
    EXPECT_EQ(FormatDateTime("dddd, d mmmm", EncodeDate(2026, 3, 5), INV), "Thursday, 5 March");
    EXPECT_EQ(TimeToStr(Dt(2026, 3, 5, 19, 4, 9), INV), "19:04:09");
    QString s;
    DateTimeToString(s, "yyyymmdd", EncodeDate(2026, 3, 5));
    EXPECT_EQ(s, "20260305");
}

TEST(StrToDate, ParsesByTheShortDateOrder)
{
    const int thisYear = QDate::currentDate().year();
    const struct {
        const char* Text;
        QDate Expected;
    } cases[] = {
        {"05.03.2026", {2026, 3, 5}},
        {" 5.3.2026 ", {2026, 3, 5}},
        {"5 . 3 . 2026", {2026, 3, 5}},
        {"5.3.26", {2026, 3, 5}},
        {"5.3.99", {1999, 3, 5}},                 // two-digit years by the century window
        {"5.3.30", {2030, 3, 5}},
        {"29.02.2024", {2024, 2, 29}},
        {"2026.03.05", {2026, 3, 5}},             // a four-digit year first reads as year-month-day
        {"5.3", {thisYear, 3, 5}},
    };
    for (const auto& c : cases) {
        int y, m, d;
        DecodeDate(StrToDate(Q(c.Text), RU), y, m, d);
        EXPECT_EQ(QDate(y, m, d), c.Expected) << c.Text;
    }
    int y, m, d;
    DecodeDate(StrToDate("03/05/2026", INV), y, m, d);
    EXPECT_EQ(QDate(y, m, d), QDate(2026, 3, 5));
}

TEST(StrToDate, BadTextRaisesWithTheText)
{
    const char* bad[] = {"", "  ", "abc", "32.01.2026", "29.02.2025", "1.13.2026", "05-03-2026",
                         "05.03.2026x", "05..2026", "0.0.0", "5.", "5", "9999999999.1.1",
                         "05.03.2026 10:00", "05.03.-2026", "05.03.10000"};
    for (const char* text : bad) {
        EXPECT_EQ(ConvertErrorOf([&] { StrToDate(Q(text), RU); }),
                  Q("'%1' is not a valid date").replace("%1", Q(text)));
        TDateTime v = 7;
        EXPECT_FALSE(TryStrToDate(Q(text), v, RU)) << text;
        EXPECT_EQ(v, 7);
    }
    EXPECT_EQ(StrToDateDef("x", 3), 3);
}

TEST(StrToTime, HoursMinutesSecondsAndMarkers)
{
    const struct {
        const char* Text;
        int H, N, S, Ms;
    } cases[] = {
        {"7:04:09", 7, 4, 9, 0}, {"7:04", 7, 4, 0, 0},      {"19:00:00,5", 19, 0, 0, 5},
        {"7 PM", 19, 0, 0, 0},   {"12:00 AM", 0, 0, 0, 0},  {"12:30 pm", 12, 30, 0, 0},
        {" 23:59:59 ", 23, 59, 59, 0}, {"10", 10, 0, 0, 0},
    };
    for (const auto& c : cases) {
        int h, n, s, ms;
        DecodeTime(StrToTime(Q(c.Text)), h, n, s, ms);
        EXPECT_EQ(std::make_tuple(h, n, s, ms), std::make_tuple(c.H, c.N, c.S, c.Ms)) << c.Text;
    }
    for (const char* text : {"25:00", "7:60", "7:", "13 PM", "0 AM", "x", "", "7:00:00,1000", "7-00"}) {
        EXPECT_EQ(ConvertErrorOf([&] { StrToTime(Q(text)); }), Q("'%1' is not a valid time").replace("%1", Q(text)));
    }
}

TEST(StrToDateTime, DateTimeOrTimeAlone)
{
    EXPECT_DOUBLE_EQ(StrToDateTime("05.03.2026 7:04:09"), Dt(2026, 3, 5, 7, 4, 9));
    EXPECT_DOUBLE_EQ(StrToDateTime("05.03.2026"), EncodeDate(2026, 3, 5));
    EXPECT_DOUBLE_EQ(StrToDateTime("10:30"), EncodeTime(10, 30, 0, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime("29.12.1899 6:00"), -1.25);
    for (const char* text : {"05.03.2026 25:00", "05.03.2026 x", "x", "", "05.03.2026 7:04 8"}) {
        EXPECT_EQ(ConvertErrorOf([&] { StrToDateTime(Q(text)); }),
                  Q("'%1' is not a valid date and time").replace("%1", Q(text)));
    }
    EXPECT_EQ(StrToDateTimeDef("x", 4), 4);
}

TEST(StrToDateTime, ReadsBackWhatDateTimeToStrWrote)
{
    for (const TFormatSettings* fs : {&RU, &INV}) {
        for (TDateTime d : {Dt(2026, 3, 5, 7, 4, 9), Dt(1999, 12, 31, 23, 59, 59), Dt(1, 1, 1), Dt(9999, 12, 31, 12)}) {
            EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(d, *fs), *fs), d);
        }
    }
}

} // namespace
