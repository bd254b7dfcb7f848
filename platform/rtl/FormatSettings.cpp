// Regional settings: Russian ones for the process, invariant ones for machine-readable text.
#include "SysUtils.h"

TFormatSettings TFormatSettings::Russian()
{
    TFormatSettings fs;   // the field defaults are the Russian values
    static const char16_t* const shortMonths[12] = {u"янв", u"фев", u"мар", u"апр", u"май", u"июн",
                                                    u"июл", u"авг", u"сен", u"окт", u"ноя", u"дек"};
    // Long month names in the genitive: "10 декабря 2026 г."
    static const char16_t* const longMonths[12] = {u"января", u"февраля", u"марта", u"апреля",
                                                   u"мая", u"июня", u"июля", u"августа",
                                                   u"сентября", u"октября", u"ноября", u"декабря"};
    static const char16_t* const shortDays[7] = {u"Вс", u"Пн", u"Вт", u"Ср", u"Чт", u"Пт", u"Сб"};
    static const char16_t* const longDays[7] = {u"воскресенье", u"понедельник", u"вторник", u"среда",
                                                u"четверг", u"пятница", u"суббота"};
    for (int i = 0; i < 12; ++i) {
        fs.ShortMonthNames[i] = QString::fromUtf16(shortMonths[i]);
        fs.LongMonthNames[i] = QString::fromUtf16(longMonths[i]);
    }
    for (int i = 0; i < 7; ++i) {
        fs.ShortDayNames[i] = QString::fromUtf16(shortDays[i]);
        fs.LongDayNames[i] = QString::fromUtf16(longDays[i]);
    }
    return fs;
}

TFormatSettings TFormatSettings::Invariant()
{
    TFormatSettings fs;
    fs.DecimalSeparator = u'.';
    fs.ThousandSeparator = u',';
    fs.DateSeparator = u'/';
    fs.TimeSeparator = u':';
    fs.ListSeparator = u',';
    fs.ShortDateFormat = QStringLiteral("MM/dd/yyyy");
    fs.LongDateFormat = QStringLiteral("dddd, dd MMMM yyyy");
    fs.ShortTimeFormat = QStringLiteral("HH:mm");
    fs.LongTimeFormat = QStringLiteral("HH:mm:ss");
    fs.TimeAMString = QStringLiteral("AM");
    fs.TimePMString = QStringLiteral("PM");
    fs.CurrencyString = QString(QChar(0x00A4));
    fs.CurrencyFormat = 0;
    fs.NegCurrFormat = 0;
    fs.CurrencyDecimals = 2;
    fs.TwoDigitYearCenturyWindow = 50;
    static const char* const shortMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const longMonths[12] = {"January", "February", "March", "April", "May", "June",
                                               "July", "August", "September", "October", "November",
                                               "December"};
    static const char* const shortDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const longDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday",
                                            "Friday", "Saturday"};
    for (int i = 0; i < 12; ++i) {
        fs.ShortMonthNames[i] = QString::fromLatin1(shortMonths[i]);
        fs.LongMonthNames[i] = QString::fromLatin1(longMonths[i]);
    }
    for (int i = 0; i < 7; ++i) {
        fs.ShortDayNames[i] = QString::fromLatin1(shortDays[i]);
        fs.LongDayNames[i] = QString::fromLatin1(longDays[i]);
    }
    return fs;
}

TFormatSettings FormatSettings = TFormatSettings::Russian();
