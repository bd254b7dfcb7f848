// SQL time stamps: the field-by-field form in which date-time values travel to and from the database.
#include "SqlTimSt.h"

static bool IsNullTimeStamp(const TSQLTimeStamp& ts) { return ts == TSQLTimeStamp(); }

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime d)
{
    TSQLTimeStamp ts;
    int y = 0, m = 0, day = 0, h = 0, n = 0, s = 0, ms = 0;
    DecodeDate(d, y, m, day);
    DecodeTime(d, h, n, s, ms);
    ts.Year = int16_t(y);
    ts.Month = uint16_t(m);
    ts.Day = uint16_t(day);
    ts.Hour = uint16_t(h);
    ts.Minute = uint16_t(n);
    ts.Second = uint16_t(s);
    ts.Fractions = uint32_t(ms);
    return ts;
}

bool TrySQLTimeStampToDateTime(const TSQLTimeStamp& ts, TDateTime& d)
{
    if (IsNullTimeStamp(ts)) {   // an empty stamp stands for no date
        d = 0;
        return true;
    }
    TDateTime date = 0, time = 0;
    if (ts.Fractions >= 1000 || !TryEncodeDate(ts.Year, ts.Month, ts.Day, date)
        || !TryEncodeTime(ts.Hour, ts.Minute, ts.Second, int(ts.Fractions), time))
        return false;
    d = date < 0 ? date - time : date + time;
    return true;
}

TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& ts)
{
    TDateTime d = 0;
    if (!TrySQLTimeStampToDateTime(ts, d))
        throw EConvertError(QStringLiteral("Invalid SQL date/time values"));
    return d;
}

QString SQLTimeStampToStr(const QString& format, const TSQLTimeStamp& ts)
{
    if (IsNullTimeStamp(ts))
        return QString();
    return FormatDateTime(format.isEmpty() ? QStringLiteral("c") : format, SQLTimeStampToDateTime(ts));
}

TSQLTimeStamp StrToSQLTimeStamp(const QString& s)
{
    return DateTimeToSQLTimeStamp(StrToDateTime(s));
}
