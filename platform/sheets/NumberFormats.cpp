#include "NumberFormats.h"

#include <QDate>
#include <QRegularExpression>

bool IsBuiltinDateFormat(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

bool IsDateFormatCode(const QString& code)
{
    const int n = int(code.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = code[i];
        switch (c.unicode()) {
        case u';':
            return false;   // only the first (positive numbers') section decides
        case u'"': {
            const int close = int(code.indexOf(u'"', i + 1));
            if (close < 0)
                return false;
            i = close;
            break;
        }
        case u'\\':
        case u'_':
        case u'*':
            ++i;   // the next character is literal, a padding width or a fill
            break;
        case u'[': {
            const int close = int(code.indexOf(u']', i + 1));
            if (close < 0)
                return false;
            const QString inner = code.mid(i + 1, close - i - 1).toLower();
            // Elapsed time ([h]:mm), and the system long-date and time locale codes.
            static const QRegularExpression elapsed(QStringLiteral("^(h+|m+|s+)$"));
            if (elapsed.match(inner).hasMatch() || inner.startsWith(QLatin1String("$-f800"))
                || inner.startsWith(QLatin1String("$-f400")))
                return true;
            i = close;
            break;
        }
        default:
            switch (c.toLower().unicode()) {
            case u'd': case u'm': case u'y': case u'h': case u's':
                return true;
            default:
                break;
            }
        }
    }
    return false;
}

bool SerialToDateTime(double serial, bool date1904, TDateTime& out)
{
    if (!(serial >= 0))
        return false;
    double d = serial;
    if (date1904)
        d += 1462;
    else if (serial >= 1 && serial < 60)
        d += 1;
    if (d >= 2958466)   // 1 Jan 10000
        return false;
    out = d;
    return true;
}

bool MakeDateTime(int year, int month, int day, int hour, int min, int sec, int msec, TDateTime& out)
{
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1 || year > 9999 || hour < 0 || hour > 23 || min < 0 || min > 59
        || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        return false;
    const double days = double(QDate(1899, 12, 30).daysTo(date));
    const double frac = (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / 86400000.0;
    // Before the epoch the runtime keeps the time as a positive fraction of a negative day.
    out = days >= 0 ? days + frac : days - frac;
    return true;
}

bool IsoTextToDateTime(const QString& text, TDateTime& out)
{
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{4})-(\\d{2})-(\\d{2})(?:[T ](\\d{2}):(\\d{2})(?::(\\d{2})(?:[.,](\\d{1,9}))?)?)?Z?$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return false;
    int msec = 0;
    if (m.hasCaptured(7))
        msec = int(QStringView(m.captured(7) + QStringLiteral("00")).left(3).toInt());
    return MakeDateTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt(),
                        m.captured(5).toInt(), m.captured(6).toInt(), msec, out);
}
