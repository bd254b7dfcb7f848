// Dates and times: days since 1899-12-30 with the time as the fraction, the date format
// language and the parsing of typed dates by the order of the short date format.
#include "SysUtils.h"

#include <QDateTime>
#include <cmath>

namespace {

constexpr int64_t kMSecsPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date.
constexpr int64_t DaysFromUnixCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr int64_t kEpoch = DaysFromUnixCivil(1899, 12, 30);

// The day number and the milliseconds of the day, rounded to the millisecond as a whole,
// so 23:59:59.9999 is the next day's midnight for the date and the time alike.
void Split(TDateTime dt, int64_t& day, int64_t& msOfDay)
{
    if (!std::isfinite(dt) || std::fabs(dt) > 1e8) {
        day = 0;
        msOfDay = 0;
        return;
    }
    const int64_t total = std::llround(dt * double(kMSecsPerDay));
    day = total / kMSecsPerDay;
    msOfDay = std::llabs(total % kMSecsPerDay);
}

// A date part and a time part combined the way negative dates keep their time: -1.25 is 29.12.1899 6:00.
TDateTime Combine(TDateTime date, TDateTime time)
{
    return date < 0 ? date - time : date + time;
}

} // namespace

int64_t DaysFromCivil(int y, int m, int d) { return DaysFromUnixCivil(y, m, d) - kEpoch; }

void CivilFromDays(int64_t z, int& y, int& m, int& d)
{
    z += kEpoch + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

// ---------------------------------------------------------------- encoding

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& d)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    d = double(DaysFromCivil(year, month, day));
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& t)
{
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000)
        return false;
    t = double(((int64_t(hour) * 60 + min) * 60 + sec) * 1000 + msec) / double(kMSecsPerDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime d = 0;
    if (!TryEncodeDate(year, month, day, d))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return d;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime t = 0;
    if (!TryEncodeTime(hour, min, sec, msec, t))
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    return t;
}

void DecodeDate(TDateTime d, int& year, int& month, int& day)
{
    int64_t dayNo = 0, ms = 0;
    Split(d, dayNo, ms);
    CivilFromDays(dayNo, year, month, day);
}

void DecodeTime(TDateTime d, int& hour, int& min, int& sec, int& msec)
{
    int64_t dayNo = 0, ms = 0;
    Split(d, dayNo, ms);
    msec = int(ms % 1000);
    sec = int(ms / 1000 % 60);
    min = int(ms / 60000 % 60);
    hour = int(ms / 3600000);
}

int DayOfWeek(TDateTime d)
{
    int64_t dayNo = 0, ms = 0;
    Split(d, dayNo, ms);
    const int w = int(((dayNo % 7) + 7) % 7);   // day 0, 30.12.1899, was a Saturday
    return w == 0 ? 7 : w;
}

TDateTime DateOf(TDateTime d)
{
    int64_t dayNo = 0, ms = 0;
    Split(d, dayNo, ms);
    return double(dayNo);
}

TDateTime TimeOf(TDateTime d)
{
    int64_t dayNo = 0, ms = 0;
    Split(d, dayNo, ms);
    return double(ms) / double(kMSecsPerDay);
}

TDateTime IncMonth(TDateTime d, int months)
{
    int y = 0, m = 0, day = 0;
    DecodeDate(d, y, m, day);
    int64_t index = int64_t(y) * 12 + (m - 1) + months;
    int64_t ny = index >= 0 ? index / 12 : (index - 11) / 12;
    const int nm = int(index - ny * 12) + 1;
    const int nd = std::min(day, DaysInAMonth(int(ny), nm));
    TDateTime date = 0;
    if (!TryEncodeDate(int(ny), nm, nd, date))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return Combine(date, TimeOf(d));
}

TDateTime Date()
{
    const QDate today = QDate::currentDate();
    return EncodeDate(today.year(), today.month(), today.day());
}

TDateTime Time()
{
    const QTime now = QTime::currentTime();
    return EncodeTime(now.hour(), now.minute(), now.second(), now.msec());
}

TDateTime Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return EncodeDate(d.year(), d.month(), d.day()) + EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
}

// ---------------------------------------------------------------- FormatDateTime

namespace {

struct Decoded {
    int Year, Month, Day, Hour, Min, Sec, MSec, Dow;
    bool HasTime;
};

QString Pad(int v, int width)
{
    QString s = QString::number(v);
    while (s.size() < width)
        s.prepend(u'0');
    return s;
}

char16_t Upper(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') ? char16_t(u - 32) : u;
}

bool MatchesAt(const QString& s, int i, const char* text)
{
    const int n = int(std::strlen(text));
    if (i + n > s.size())
        return false;
    for (int k = 0; k < n; ++k)
        if (Upper(s[i + k]) != char16_t(std::toupper(static_cast<unsigned char>(text[k]))))
            return false;
    return true;
}

// Whether an am/pm marker follows: then h and hh use the 12-hour clock.
bool AmPmFollows(const QString& s, int i)
{
    const int n = int(s.size());
    while (i < n) {
        const QChar c = s[i];
        if (c == u'\'' || c == u'"') {
            const int close = int(s.indexOf(c, i + 1));
            i = close < 0 ? n : close + 1;
            continue;
        }
        if (MatchesAt(s, i, "am/pm") || MatchesAt(s, i, "a/p") || MatchesAt(s, i, "ampm"))
            return true;
        ++i;
    }
    return false;
}

void AppendFormat(QString& out, const QString& fmt, const Decoded& v, const TFormatSettings& fs, int level)
{
    if (level >= 2)   // a format naming itself through c, t or ddddd stops here
        return;
    const int n = int(fmt.size());
    char16_t lastToken = u' ';
    int i = 0;
    while (i < n) {
        const QChar starter = fmt[i];
        char16_t token = Upper(starter);
        if (token >= u'A' && token <= u'Z') {
            if (token == u'M' && lastToken == u'H')
                token = u'N';
            lastToken = token;
        }
        int count = 1;
        auto takeRun = [&]() {
            const char16_t letter = Upper(starter);
            count = 1;
            while (i + count < n && Upper(fmt[i + count]) == letter)
                ++count;
            i += count;
        };
        switch (token) {
        case u'Y':
            takeRun();
            out += count <= 2 ? Pad(v.Year % 100, 2) : Pad(v.Year, 4);
            break;
        case u'M':
            takeRun();
            if (count <= 2)
                out += Pad(v.Month, count);
            else if (count == 3)
                out += fs.ShortMonthNames[v.Month - 1];
            else
                out += fs.LongMonthNames[v.Month - 1];
            break;
        case u'D':
            takeRun();
            switch (count) {
            case 1: out += QString::number(v.Day); break;
            case 2: out += Pad(v.Day, 2); break;
            case 3: out += fs.ShortDayNames[v.Dow - 1]; break;
            case 4: out += fs.LongDayNames[v.Dow - 1]; break;
            case 5: AppendFormat(out, fs.ShortDateFormat, v, fs, level + 1); break;
            default: AppendFormat(out, fs.LongDateFormat, v, fs, level + 1); break;
            }
            break;
        case u'H': {
            takeRun();
            int h = v.Hour;
            if (AmPmFollows(fmt, i)) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += Pad(h, count >= 2 ? 2 : 1);
            break;
        }
        case u'N':
            takeRun();
            out += Pad(v.Min, count >= 2 ? 2 : 1);
            break;
        case u'S':
            takeRun();
            out += Pad(v.Sec, count >= 2 ? 2 : 1);
            break;
        case u'Z':
            takeRun();
            out += Pad(v.MSec, count >= 3 ? 3 : 1);
            break;
        case u'T':
            takeRun();
            AppendFormat(out, count == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, v, fs, level + 1);
            break;
        case u'C':
            ++i;
            AppendFormat(out, fs.ShortDateFormat, v, fs, level + 1);
            if (v.HasTime) {
                out += u' ';
                AppendFormat(out, fs.LongTimeFormat, v, fs, level + 1);
            }
            break;
        case u'A': {
            const bool pm = v.Hour >= 12;
            if (MatchesAt(fmt, i, "am/pm")) {
                out += fmt.mid(pm ? i + 3 : i, 2);
                i += 5;
            } else if (MatchesAt(fmt, i, "a/p")) {
                out += fmt.mid(pm ? i + 2 : i, 1);
                i += 3;
            } else if (MatchesAt(fmt, i, "ampm")) {
                out += pm ? fs.TimePMString : fs.TimeAMString;
                i += 4;
            } else {
                out += starter;
                ++i;
            }
            break;
        }
        case u'/':
            out += fs.DateSeparator;
            ++i;
            break;
        case u':':
            out += fs.TimeSeparator;
            ++i;
            break;
        case u'\'':
        case u'"': {
            const int close = int(fmt.indexOf(starter, i + 1));
            const int end = close < 0 ? n : close;
            out += fmt.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            break;
        }
        default:
            out += starter;
            ++i;
            break;
        }
    }
}

Decoded DecodeAll(TDateTime d)
{
    Decoded v{};
    int64_t dayNo = 0, ms = 0;
    Split(d, dayNo, ms);
    CivilFromDays(dayNo, v.Year, v.Month, v.Day);
    if (v.Month < 1 || v.Month > 12) {
        v.Month = 1;
        v.Day = 1;
    }
    v.MSec = int(ms % 1000);
    v.Sec = int(ms / 1000 % 60);
    v.Min = int(ms / 60000 % 60);
    v.Hour = int(ms / 3600000);
    const int w = int(((dayNo % 7) + 7) % 7);
    v.Dow = w == 0 ? 7 : w;
    v.HasTime = ms != 0;
    return v;
}

} // namespace

QString FormatDateTime(const QString& format, TDateTime d) { return FormatDateTime(format, d, FormatSettings); }

QString FormatDateTime(const QString& format, TDateTime d, const TFormatSettings& fs)
{
    QString out;
    AppendFormat(out, format.isEmpty() ? QStringLiteral("c") : format, DecodeAll(d), fs, 0);
    return out;
}

void DateTimeToString(QString& result, const QString& format, TDateTime d)
{
    result = FormatDateTime(format, d, FormatSettings);
}

void DateTimeToString(QString& result, const QString& format, TDateTime d, const TFormatSettings& fs)
{
    result = FormatDateTime(format, d, fs);
}

QString DateTimeToStr(TDateTime d) { return DateTimeToStr(d, FormatSettings); }
QString DateToStr(TDateTime d) { return DateToStr(d, FormatSettings); }
QString TimeToStr(TDateTime d) { return TimeToStr(d, FormatSettings); }
QString DateTimeToStr(TDateTime d, const TFormatSettings& fs) { return FormatDateTime(QStringLiteral("c"), d, fs); }
QString DateToStr(TDateTime d, const TFormatSettings& fs) { return FormatDateTime(fs.ShortDateFormat, d, fs); }
QString TimeToStr(TDateTime d, const TFormatSettings& fs) { return FormatDateTime(fs.LongTimeFormat, d, fs); }

// ---------------------------------------------------------------- parsing

namespace {

class Scanner {
public:
    Scanner(const QString& s, const TFormatSettings& fs) : S(s), FS(fs) {}

    const QString& S;
    const TFormatSettings& FS;
    int Pos = 0;

    void SkipBlanks()
    {
        while (Pos < S.size() && S[Pos].unicode() <= 32)
            ++Pos;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return Pos >= S.size();
    }
    bool Number(int& value, int& length)
    {
        const int save = Pos;
        SkipBlanks();
        const int start = Pos;
        value = 0;
        while (Pos < S.size() && S[Pos] >= u'0' && S[Pos] <= u'9') {
            if (Pos - start >= 9) {   // nothing we read has that many digits
                Pos = save;
                return false;
            }
            value = value * 10 + (S[Pos].unicode() - u'0');
            ++Pos;
        }
        length = Pos - start;
        if (length == 0)
            Pos = save;
        return length > 0;
    }
    bool Char(QChar c)
    {
        const int save = Pos;
        SkipBlanks();
        if (Pos < S.size() && S[Pos] == c) {
            ++Pos;
            return true;
        }
        Pos = save;
        return false;
    }
    bool Text(const QString& t)
    {
        if (t.isEmpty())
            return false;
        const int save = Pos;
        SkipBlanks();
        if (QStringView(S).mid(Pos, t.size()).compare(t, Qt::CaseInsensitive) == 0) {
            Pos += int(t.size());
            return true;
        }
        Pos = save;
        return false;
    }
    // -1 when there is no marker, else 0 (am) or 12 (pm).
    int AmPm()
    {
        if (Text(FS.TimeAMString) || Text(QStringLiteral("AM")))
            return 0;
        if (Text(FS.TimePMString) || Text(QStringLiteral("PM")))
            return 12;
        return -1;
    }
};

// The order of day, month and year in the short date format, e.g. "DMY".
QString DateOrder(const QString& fmt)
{
    QString order;
    const int n = int(fmt.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = fmt[i];
        if (c == u'\'' || c == u'"') {
            const int close = int(fmt.indexOf(c, i + 1));
            i = close < 0 ? n : close;
            continue;
        }
        const QChar u = QChar(Upper(c));
        if ((u == u'D' || u == u'M' || u == u'Y') && !order.contains(u))
            order += u;
    }
    for (QChar c : {QChar(u'D'), QChar(u'M'), QChar(u'Y')})
        if (!order.contains(c))
            order += c;
    return order;
}

bool ScanDate(Scanner& sc, TDateTime& date)
{
    const QChar sep = sc.FS.DateSeparator;
    int n[3] = {0, 0, 0};
    int len[3] = {0, 0, 0};
    if (!sc.Number(n[0], len[0]) || !sc.Char(sep) || !sc.Number(n[1], len[1]))
        return false;
    int count = 2;
    if (sc.Char(sep)) {
        if (!sc.Number(n[2], len[2]))
            return false;
        count = 3;
    }
    QString order = DateOrder(sc.FS.ShortDateFormat);
    int year = 0, month = 0, day = 0, yearLen = 4;
    if (count == 3) {
        if (len[0] > 2 && order[0] != u'Y')   // a four-digit year typed first
            order = QStringLiteral("YMD");
        for (int k = 0; k < 3; ++k) {
            if (order[k] == u'D')
                day = n[k];
            else if (order[k] == u'M')
                month = n[k];
            else {
                year = n[k];
                yearLen = len[k];
            }
        }
    } else {
        order.remove(u'Y');
        year = QDate::currentDate().year();
        day = order[0] == u'D' ? n[0] : n[1];
        month = order[0] == u'D' ? n[1] : n[0];
    }
    if (yearLen <= 2 && year <= 99) {
        const int base = QDate::currentDate().year() - sc.FS.TwoDigitYearCenturyWindow;
        year += base / 100 * 100;
        if (sc.FS.TwoDigitYearCenturyWindow > 0 && year < base)
            year += 100;
    }
    return TryEncodeDate(year, month, day, date);
}

bool ScanTime(Scanner& sc, TDateTime& time)
{
    int baseHour = sc.AmPm();
    int hour = 0, min = 0, sec = 0, msec = 0, len = 0;
    if (!sc.Number(hour, len))
        return false;
    if (sc.Char(sc.FS.TimeSeparator)) {
        if (!sc.Number(min, len))
            return false;
        if (sc.Char(sc.FS.TimeSeparator)) {
            if (!sc.Number(sec, len))
                return false;
            if (sc.Char(sc.FS.DecimalSeparator) && !sc.Number(msec, len))
                return false;
        }
    }
    if (baseHour < 0)
        baseHour = sc.AmPm();
    if (baseHour >= 0) {
        if (hour == 0 || hour > 12)
            return false;
        if (hour == 12)
            hour = 0;
        hour += baseHour;
    }
    return TryEncodeTime(hour, min, sec, msec, time);
}

} // namespace

bool TryStrToDate(const QString& s, TDateTime& d) { return TryStrToDate(s, d, FormatSettings); }

bool TryStrToDate(const QString& s, TDateTime& d, const TFormatSettings& fs)
{
    Scanner sc(s, fs);
    TDateTime date = 0;
    if (!ScanDate(sc, date) || !sc.AtEnd())
        return false;
    d = date;
    return true;
}

bool TryStrToTime(const QString& s, TDateTime& d) { return TryStrToTime(s, d, FormatSettings); }

bool TryStrToTime(const QString& s, TDateTime& d, const TFormatSettings& fs)
{
    Scanner sc(s, fs);
    TDateTime time = 0;
    if (!ScanTime(sc, time) || !sc.AtEnd())
        return false;
    d = time;
    return true;
}

bool TryStrToDateTime(const QString& s, TDateTime& d) { return TryStrToDateTime(s, d, FormatSettings); }

bool TryStrToDateTime(const QString& s, TDateTime& d, const TFormatSettings& fs)
{
    Scanner sc(s, fs);
    TDateTime date = 0, time = 0;
    if (ScanDate(sc, date)) {
        if (!sc.AtEnd() && (!ScanTime(sc, time) || !sc.AtEnd()))
            return false;
        d = Combine(date, time);
        return true;
    }
    return TryStrToTime(s, d, fs);
}

TDateTime StrToDate(const QString& s) { return StrToDate(s, FormatSettings); }

TDateTime StrToDate(const QString& s, const TFormatSettings& fs)
{
    TDateTime d = 0;
    if (!TryStrToDate(s, d, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(s));
    return d;
}

TDateTime StrToTime(const QString& s) { return StrToTime(s, FormatSettings); }

TDateTime StrToTime(const QString& s, const TFormatSettings& fs)
{
    TDateTime d = 0;
    if (!TryStrToTime(s, d, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(s));
    return d;
}

TDateTime StrToDateTime(const QString& s) { return StrToDateTime(s, FormatSettings); }

TDateTime StrToDateTime(const QString& s, const TFormatSettings& fs)
{
    TDateTime d = 0;
    if (!TryStrToDateTime(s, d, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(s));
    return d;
}

TDateTime StrToDateDef(const QString& s, TDateTime def)
{
    TDateTime d = 0;
    return TryStrToDate(s, d, FormatSettings) ? d : def;
}

TDateTime StrToDateTimeDef(const QString& s, TDateTime def)
{
    TDateTime d = 0;
    return TryStrToDateTime(s, d, FormatSettings) ? d : def;
}
