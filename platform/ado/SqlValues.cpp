// Exact decimals and date-times in the embedded engine's storage forms.
#include "SqlInternal.h"

#include <array>
#include <cmath>
#include <QLocale>

namespace sqlimpl {

i128 Pow10(int n)
{
    static const auto table = [] {
        std::array<i128, 39> t{};
        t[0] = 1;
        for (size_t i = 1; i < t.size(); ++i) t[i] = t[i - 1] * 10;
        return t;
    }();
    return n >= 0 && n < 39 ? table[size_t(n)] : table[38];
}

QByteArray DecToBlob(const Dec& d)
{
    QByteArray b(kDecBlobSize, '\0');
    b[0] = 'D';
    unsigned __int128 u = static_cast<unsigned __int128>(d.v) ^ (static_cast<unsigned __int128>(1) << 127);
    for (int i = 16; i >= 1; --i) {
        b[i] = char(uint8_t(u & 0xFF));
        u >>= 8;
    }
    return b;
}

bool IsDecBlob(const void* p, int n)
{
    return n == kDecBlobSize && p && static_cast<const char*>(p)[0] == 'D';
}

Dec DecFromBlob(const void* p)
{
    const uint8_t* b = static_cast<const uint8_t*>(p);
    unsigned __int128 u = 0;
    for (int i = 1; i <= 16; ++i) u = (u << 8) | b[i];
    u ^= (static_cast<unsigned __int128>(1) << 127);
    Dec d;
    d.v = static_cast<i128>(u);
    // the smallest scale that shows the value exactly
    int s = kDecScale;
    i128 v = d.v;
    while (s > 0 && v % 10 == 0) { v /= 10; --s; }
    d.scale = s;
    return d;
}

i128 RoundToScale(i128 v, int scale)
{
    if (scale >= kDecScale) return v;
    i128 f = Pow10(kDecScale - scale);
    i128 q = v / f, r = v % f;
    if (r < 0) r = -r;
    if (r * 2 >= f) q += v < 0 ? -1 : 1;
    return q * f;
}

bool DecFromText(const QString& text, Dec& d)
{
    QString s = text.trimmed();
    int i = 0, n = s.size();
    bool neg = false;
    if (i < n && (s[i] == u'-' || s[i] == u'+')) { neg = s[i] == u'-'; ++i; }
    i128 v = 0;
    int digits = 0, frac = 0;
    bool dot = false, roundUp = false;
    for (; i < n; ++i) {
        QChar c = s[i];
        if (c == u'.' && !dot) { dot = true; continue; }
        if (!c.isDigit()) return false;
        int dg = c.digitValue();
        ++digits;
        if (dot) {
            if (frac >= kDecScale) { if (frac == kDecScale) roundUp = dg >= 5; ++frac; continue; }
            ++frac;
        }
        if (v > Pow10(37)) return false;
        v = v * 10 + dg;
    }
    if (digits == 0) return false;
    if (__builtin_mul_overflow(v, Pow10(kDecScale - std::min(frac, kDecScale)), &v)) return false;   // beyond the digits kept
    if (roundUp) v += 1;
    d.v = neg ? -v : v;
    d.scale = std::min(frac, kDecScale);
    return true;
}

QString DecToText(const Dec& d)
{
    int scale = std::clamp(d.scale, 0, kDecScale);
    i128 v = RoundToScale(d.v, scale) / Pow10(kDecScale - scale);
    bool neg = v < 0;
    unsigned __int128 u = neg ? static_cast<unsigned __int128>(-v) : static_cast<unsigned __int128>(v);
    std::string digits;
    do { digits.insert(digits.begin(), char('0' + int(u % 10))); u /= 10; } while (u);
    while (int(digits.size()) <= scale) digits.insert(digits.begin(), '0');
    if (scale > 0) digits.insert(digits.size() - scale, 1, '.');
    return (neg ? QStringLiteral("-") : QString()) + QString::fromLatin1(digits.c_str());
}

Dec DecFromInt(int64_t v)
{
    Dec d;
    d.v = static_cast<i128>(v) * Pow10(kDecScale);
    return d;
}

Dec DecFromDouble(double v)
{
    Dec d;
    if (!std::isfinite(v)) throw ESqlError(QStringLiteral("Arithmetic overflow error converting float to data type numeric."));
    QString s = QString::number(v, 'f', QLocale::FloatingPointShortest);
    if (!DecFromText(s, d)) throw ESqlError(QStringLiteral("Arithmetic overflow error converting float to data type numeric."));
    return d;
}

double DecToDouble(const Dec& d)
{
    Dec x = d;
    x.scale = kDecScale;
    return DecToText(x).toDouble();
}

bool DecFits(const Dec& d, int precision, int scale)
{
    if (precision <= 0) return true;
    i128 v = d.v < 0 ? -d.v : d.v;
    i128 limit = Pow10(precision - scale + kDecScale);
    return v < limit;
}

// ---- the runtime's BCD

TBcd DecToBcd(const Dec& d, int scale)
{
    scale = std::clamp(scale, 0, kDecScale);
    i128 v = RoundToScale(d.v, scale) / Pow10(kDecScale - scale);
    bool neg = v < 0;
    unsigned __int128 u = neg ? static_cast<unsigned __int128>(-v) : static_cast<unsigned __int128>(v);
    uint8_t digits[64];
    int n = 0;
    do { digits[n++] = uint8_t(u % 10); u /= 10; } while (u && n < 64);
    while (n < scale + 1 && n < 64) digits[n++] = 0;   // at least one integer digit
    TBcd b;
    b.Precision = uint8_t(n);
    b.SignSpecialPlaces = uint8_t((neg ? 0x80 : 0) | scale);
    for (int k = 0; k < n; ++k) {
        uint8_t dg = digits[n - 1 - k];
        if (k % 2 == 0) b.Fraction[k / 2] = uint8_t(dg << 4);
        else b.Fraction[k / 2] |= dg;
    }
    return b;
}

Dec BcdToDec(const TBcd& b)
{
    int places = b.SignSpecialPlaces & 0x3F;
    i128 v = 0;
    for (int k = 0; k < b.Precision && k < 64; ++k) {
        uint8_t byte = b.Fraction[k / 2];
        v = v * 10 + ((k % 2 == 0) ? (byte >> 4) : (byte & 0x0F));
        if (v > Pow10(37)) throw ESqlError(QStringLiteral("Arithmetic overflow error converting numeric to data type numeric."));
    }
    Dec d;
    if (places <= kDecScale) d.v = v * Pow10(kDecScale - places);
    else {   // more places than kept: rounded half away from zero
        i128 f = Pow10(places - kDecScale), q = v / f, r = v % f;
        if (r * 2 >= f) ++q;
        d.v = q;
    }
    if (b.SignSpecialPlaces & 0x80) d.v = -d.v;
    d.scale = std::min(places, kDecScale);
    return d;
}

// ---- dates

DateParts SplitDate(double dt)
{
    // 0001-01-01 .. 9999-12-31 23:59:59.999 as days since 1899-12-30
    if (!std::isfinite(dt) || dt < -693593.0 || dt >= 2958466.0)
        throw ESqlError(QStringLiteral("The conversion of a date value to a datetime data type resulted in an out-of-range value."));
    int64_t ms = llround(dt * 86400000.0);
    int64_t day = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    int64_t rest = ms - day * 86400000;
    DateParts p{};
    CivilFromDays(day, p.y, p.m, p.d);
    p.h = int(rest / 3600000); p.mi = int(rest / 60000 % 60); p.s = int(rest / 1000 % 60); p.ms = int(rest % 1000);
    return p;
}

QString DateToCanon(double dt)
{
    const DateParts p = SplitDate(dt);
    const int y = p.y, m = p.m, d = p.d, h = p.h, mi = p.mi, s = p.s, z = p.ms;
    char16_t buf[23];
    auto put = [&](int at, int v, int width) {
        for (int k = width - 1; k >= 0; --k) { buf[at + k] = char16_t(u'0' + v % 10); v /= 10; }
    };
    put(0, y, 4); buf[4] = u'-'; put(5, m, 2); buf[7] = u'-'; put(8, d, 2); buf[10] = u' ';
    put(11, h, 2); buf[13] = u':'; put(14, mi, 2); buf[16] = u':'; put(17, s, 2); buf[19] = u'.'; put(20, z, 3);
    return QString(reinterpret_cast<const QChar*>(buf), 23);
}

namespace {

bool validDate(int y, int m, int d)
{
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    static const int dim[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int maxd = dim[m - 1] + (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0) ? 1 : 0);
    return d <= maxd;
}

// The canonical form over any text: at(i) gives the i-th character's code.
template <typename At>
bool isCanon(int n, At at)
{
    if (n != 23) return false;
    static const char pattern[] = "dddd-dd-dd dd:dd:dd.ddd";
    for (int i = 0; i < 23; ++i) {
        const unsigned c = at(i);
        if (pattern[i] == 'd' ? (c < '0' || c > '9') : c != unsigned(pattern[i])) return false;
    }
    return true;
}

// A canonical text (checked by the caller) as a date-time; false when the day does not exist.
template <typename At>
bool canonValue(At at, double& dt)
{
    auto num = [&](int from, int width) {
        int v = 0;
        for (int k = 0; k < width; ++k) v = v * 10 + int(at(from + k) - '0');
        return v;
    };
    int y = num(0, 4), m = num(5, 2), d = num(8, 2);
    if (!validDate(y, m, d)) return false;
    dt = double(DaysFromCivil(y, m, d)) + (num(11, 2) * 3600000.0 + num(14, 2) * 60000.0 + num(17, 2) * 1000.0 + num(20, 3)) / 86400000.0;
    return true;
}

// time part "hh:mm[:ss[.fff]]" with optional AM/PM
bool parseTime(const QString& s, double& frac)
{
    QString t = s.trimmed();
    frac = 0;
    if (t.isEmpty()) return true;
    bool pm = false, am = false;
    if (t.endsWith(QLatin1String("PM"), Qt::CaseInsensitive)) { pm = true; t.chop(2); t = t.trimmed(); }
    else if (t.endsWith(QLatin1String("AM"), Qt::CaseInsensitive)) { am = true; t.chop(2); t = t.trimmed(); }
    QStringList hm = t.split(u':');
    if (hm.size() < 2 || hm.size() > 3) return false;
    bool ok1, ok2, ok3 = true;
    int h = hm[0].toInt(&ok1), mi = hm[1].toInt(&ok2);
    double sec = 0;
    if (hm.size() == 3) { QString ss = hm[2]; ss.replace(u',', u'.'); sec = ss.toDouble(&ok3); }
    if (!ok1 || !ok2 || !ok3 || h < 0 || h > 23 || mi < 0 || mi > 59 || sec < 0 || sec >= 60) return false;
    if (pm && h < 12) h += 12;
    if (am && h == 12) h = 0;
    frac = (h * 3600 + mi * 60) / 86400.0 + std::round(sec * 1000) / 86400000.0;
    return true;
}

}  // namespace

bool IsCanonDate(const QString& s)
{
    return isCanon(int(s.size()), [&](int i) { return unsigned(s[i].unicode()); });
}

bool CanonToDate(const QString& s, double& dt)
{
    auto at = [&](int i) { return unsigned(s[i].unicode()); };
    if (isCanon(int(s.size()), at)) return canonValue(at, dt);
    return ParseDateText(s, QStringLiteral("ymd"), dt);
}

bool CanonBytesToDate(const char* p, int n, double& dt)
{
    auto at = [&](int i) { return unsigned(static_cast<unsigned char>(p[i])); };
    return isCanon(n, at) && canonValue(at, dt);
}

bool ParseDateText(const QString& text, const QString& fmt, double& dt)
{
    QString s = text.trimmed();
    if (s.isEmpty()) { dt = 2; return true; }   // 1900-01-01
    QString datePart = s, timePart;
    int sp = s.indexOf(u' ');
    int tpos = s.indexOf(u'T');
    if (tpos == 10) sp = 10;
    if (sp >= 0) { datePart = s.left(sp); timePart = s.mid(sp + 1); }
    if (datePart.contains(u':')) { timePart = s; datePart.clear(); }
    double frac = 0;
    if (!parseTime(timePart, frac)) return false;
    if (datePart.isEmpty()) { dt = 2 + frac; return true; }
    int y = 0, m = 0, d = 0;
    bool allDigits = std::all_of(datePart.begin(), datePart.end(), [](QChar c) { return c.isDigit(); });
    if (allDigits && datePart.size() == 8) {
        y = datePart.left(4).toInt(); m = datePart.mid(4, 2).toInt(); d = datePart.mid(6, 2).toInt();
    } else {
        QString norm = datePart;
        norm.replace(u'/', u'.').replace(u'-', u'.');
        QStringList parts = norm.split(u'.');
        if (parts.size() != 3) return false;
        int a[3];
        for (int i = 0; i < 3; ++i) {
            bool ok;
            a[i] = parts[i].toInt(&ok);
            if (!ok || parts[i].isEmpty()) return false;
        }
        QString order = fmt.toLower();
        if (parts[0].size() == 4) order = QStringLiteral("ymd");   // a leading four-digit year
        for (int i = 0; i < 3; ++i) {
            QChar c = i < order.size() ? order[i] : QChar(u'd');
            if (c == u'y') y = a[i];
            else if (c == u'm') m = a[i];
            else d = a[i];
            if (c == u'y' && parts[i].size() <= 2) y = a[i] + (a[i] < 50 ? 2000 : 1900);
        }
    }
    if (!validDate(y, m, d)) return false;
    dt = double(DaysFromCivil(y, m, d)) + frac;
    return true;
}

} // namespace sqlimpl
