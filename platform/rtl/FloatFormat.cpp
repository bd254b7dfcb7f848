// Number to text and back: FloatToStrF, FormatFloat and their Currency twins, StrToFloat, StrToCurr.
#include "SysUtils.h"
#include "DecimalText.h"

#include <charconv>
#include <cmath>

// ---------------------------------------------------------------- exact decimal digits

static void StripTrailingZeros(TDecimal& d)
{
    size_t n = d.Digits.size();
    while (n > 0 && d.Digits[n - 1] == '0')
        --n;
    d.Digits.resize(n);
}

static void StripLeadingZeros(TDecimal& d)
{
    size_t n = 0;
    while (n < d.Digits.size() && d.Digits[n] == '0')
        ++n;
    d.Digits.erase(0, n);
    d.Exponent -= int(n);
    if (d.Digits.empty())
        d.Exponent = 0;
}

TDecimal DecimalFromDouble(double v)
{
    TDecimal d;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    const char* p = buf;
    const char* end = res.ptr;
    if (p < end && *p == '-') {
        d.Negative = true;
        ++p;
    }
    while (p < end && *p != 'e') {
        if (*p >= '0' && *p <= '9')
            d.Digits.push_back(*p);
        ++p;
    }
    int exp = 0;
    if (p < end && *p == 'e') {
        ++p;
        std::from_chars(*p == '+' ? p + 1 : p, end, exp);
    }
    d.Exponent = exp + 1;
    StripLeadingZeros(d);
    StripTrailingZeros(d);
    if (d.Digits.empty())
        d.Exponent = 0;
    return d;
}

TDecimal DecimalFromScaled(int64_t raw, int scale)
{
    TDecimal d;
    d.Negative = raw < 0;
    const uint64_t mag = raw < 0 ? uint64_t(0) - uint64_t(raw) : uint64_t(raw);
    if (mag == 0)
        return d;
    d.Digits = std::to_string(mag);
    d.Exponent = int(d.Digits.size()) - scale;
    StripTrailingZeros(d);
    return d;
}

static void RoundKeep(TDecimal& d, int keep, bool halfEven)
{
    if (d.Digits.empty() || keep >= int(d.Digits.size()))
        return;
    if (keep < 0) {
        d.Digits.clear();
        d.Exponent = 0;
        return;
    }
    const char next = d.Digits[size_t(keep)];
    bool up = next > '5';
    if (next == '5') {
        bool rest = false;
        for (size_t i = size_t(keep) + 1; i < d.Digits.size(); ++i)
            rest = rest || d.Digits[i] != '0';
        up = !halfEven || rest || (keep > 0 && (d.Digits[size_t(keep) - 1] - '0') % 2 == 1);
    }
    d.Digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[size_t(i)] == '9') {
            d.Digits[size_t(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exponent;
        } else {
            ++d.Digits[size_t(i)];
        }
    }
    StripTrailingZeros(d);
    if (d.Digits.empty())
        d.Exponent = 0;
}

void DecimalRoundDecimals(TDecimal& d, int decimals) { RoundKeep(d, d.Exponent + decimals, false); }
void DecimalRoundSignificant(TDecimal& d, int count) { RoundKeep(d, count, false); }
void DecimalRoundDecimalsEven(TDecimal& d, int decimals) { RoundKeep(d, d.Exponent + decimals, true); }

bool DecimalToScaled(const TDecimal& d, int scale, int64_t& raw)
{
    if (d.Digits.empty()) {
        raw = 0;
        return true;
    }
    const int total = d.Exponent + scale;   // digits of the scaled integer
    if (total > 19)
        return false;
    __int128 acc = 0;
    for (int i = 0; i < total; ++i) {
        const int digit = i < int(d.Digits.size()) ? d.Digits[size_t(i)] - '0' : 0;
        acc = acc * 10 + digit;
    }
    const __int128 limit = d.Negative ? (__int128(1) << 63) : ((__int128(1) << 63) - 1);
    if (acc > limit)
        return false;
    raw = d.Negative ? int64_t(-acc) : int64_t(acc);
    return true;
}

bool DecimalParse(const QString& text, QChar decimalSeparator, TDecimal& d, bool allowExponent)
{
    d = TDecimal();
    int i = 0;
    int n = int(text.size());
    while (i < n && text[i].unicode() <= 32)
        ++i;
    while (n > i && text[n - 1].unicode() <= 32)
        --n;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        d.Negative = text[i] == u'-';
        ++i;
    }
    int intDigits = 0;
    int mantissaDigits = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        d.Digits.push_back(char(text[i].unicode()));
        ++intDigits;
        ++mantissaDigits;
        ++i;
    }
    if (i < n && text[i] == decimalSeparator) {
        ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            d.Digits.push_back(char(text[i].unicode()));
            ++mantissaDigits;
            ++i;
        }
    }
    if (mantissaDigits == 0)
        return false;
    long exp = 0;
    if (allowExponent && i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool negExp = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            negExp = text[i] == u'-';
            ++i;
        }
        int expDigits = 0;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            if (exp < 100000)
                exp = exp * 10 + (text[i].unicode() - '0');
            ++expDigits;
            ++i;
        }
        if (expDigits == 0)
            return false;
        if (negExp)
            exp = -exp;
    }
    if (i != n)
        return false;
    d.Exponent = intDigits + int(exp);
    StripLeadingZeros(d);
    StripTrailingZeros(d);
    if (d.Digits.empty())
        d.Exponent = 0;
    return true;
}

// ---------------------------------------------------------------- FloatToStrF

static QString Group(const QString& intPart, QChar sep)
{
    if (sep.isNull() || intPart.size() <= 3)
        return intPart;
    QString out;
    const int n = int(intPart.size());
    for (int i = 0; i < n; ++i) {
        out += intPart[i];
        const int fromRight = n - 1 - i;
        if (fromRight > 0 && fromRight % 3 == 0)
            out += sep;
    }
    return out;
}

static QString DigitsRange(const TDecimal& d, int from, int to)   // digit positions [from, to)
{
    QString s;
    for (int i = from; i < to; ++i)
        s += (i >= 0 && i < int(d.Digits.size())) ? QChar(d.Digits[size_t(i)]) : QChar(u'0');
    return s;
}

static QString ExponentText(int exp, int minDigits, bool plusSign)
{
    QString s = exp < 0 ? QStringLiteral("-") : (plusSign ? QStringLiteral("+") : QString());
    QString digits = QString::number(std::abs(exp));
    while (digits.size() < minDigits)
        digits.prepend(u'0');
    return s + digits;
}

// Fixed text of an already rounded value: integer digits (at least "0") and `decimals` decimals;
// decimals < 0 means exactly the digits there are.
static void FixedParts(const TDecimal& r, int decimals, QString& intPart, QString& fracPart)
{
    const int E = r.Digits.empty() ? 0 : r.Exponent;
    intPart = E > 0 ? DigitsRange(r, 0, E) : QStringLiteral("0");
    const int have = std::max(0, int(r.Digits.size()) - E);
    const int count = decimals < 0 ? have : decimals;
    fracPart = DigitsRange(r, E, E + count);
}

static QString GeneralText(const TDecimal& d, int precision, int digits, const TFormatSettings& fs)
{
    TDecimal r = d;
    DecimalRoundSignificant(r, precision);
    if (r.IsZero())
        return QStringLiteral("0");
    QString s = r.Negative ? QStringLiteral("-") : QString();
    const int E = r.Exponent;
    if (E > precision || E < -3) {
        s += QChar(r.Digits[0]);
        if (r.Digits.size() > 1)
            s += fs.DecimalSeparator + DigitsRange(r, 1, int(r.Digits.size()));
        s += u'E' + ExponentText(E - 1, std::clamp(digits, 0, 4), false);
        return s;
    }
    QString intPart, fracPart;
    FixedParts(r, -1, intPart, fracPart);
    s += intPart;
    if (!fracPart.isEmpty())
        s += fs.DecimalSeparator + fracPart;
    return s;
}

static QString PlaceCurrency(const QString& num, bool negative, const TFormatSettings& fs)
{
    const QString& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 0: return c + num;
        case 1: return num + c;
        case 2: return c + u' ' + num;
        default: return num + u' ' + c;
        }
    }
    switch (fs.NegCurrFormat) {
    case 0: return u'(' + c + num + u')';
    case 1: return u'-' + c + num;
    case 2: return c + u'-' + num;
    case 3: return c + num + u'-';
    case 4: return u'(' + num + c + u')';
    case 5: return u'-' + num + c;
    case 6: return num + u'-' + c;
    case 7: return num + c + u'-';
    case 8: return u'-' + num + u' ' + c;
    case 9: return u'-' + c + u' ' + num;
    case 10: return num + u' ' + c + u'-';
    case 11: return c + u' ' + num + u'-';
    case 12: return c + u' ' + u'-' + num;
    case 13: return num + u'-' + u' ' + c;
    case 14: return u'(' + c + u' ' + num + u')';
    default: return u'(' + num + u' ' + c + u')';
    }
}

QString DecimalToTextF(const TDecimal& d, TFloatFormat format, int precision, int digits,
                       const TFormatSettings& fs)
{
    precision = std::clamp(precision, 1, 20);
    switch (format) {
    case ffGeneral:
        return GeneralText(d, precision, digits, fs);
    case ffExponent: {
        TDecimal r = d;
        DecimalRoundSignificant(r, precision);
        QString s = (r.Negative && !r.IsZero()) ? QStringLiteral("-") : QString();
        s += r.IsZero() ? QStringLiteral("0") : QString(QChar(r.Digits[0]));
        if (precision > 1)
            s += fs.DecimalSeparator + DigitsRange(r, 1, precision);
        s += u'E' + ExponentText(r.IsZero() ? 0 : r.Exponent - 1, std::clamp(digits, 0, 4), true);
        return s;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        int decimals = digits;
        if (format == ffCurrency && decimals < 0)
            decimals = fs.CurrencyDecimals;
        decimals = std::clamp(decimals, 0, 18);
        if (d.IntDigits() > precision)
            return GeneralText(d, precision, 0, fs);
        TDecimal r = d;
        DecimalRoundSignificant(r, std::min(precision, r.Exponent + decimals));
        QString intPart, fracPart;
        FixedParts(r, decimals, intPart, fracPart);
        if (format != ffFixed)
            intPart = Group(intPart, fs.ThousandSeparator);
        QString num = intPart;
        if (decimals > 0)
            num += fs.DecimalSeparator + fracPart;
        const bool negative = r.Negative && !r.IsZero();
        if (format == ffCurrency)
            return PlaceCurrency(num, negative, fs);
        return negative ? u'-' + num : num;
    }
    }
    return QString();
}

// ---------------------------------------------------------------- FormatFloat

namespace {

struct SectionInfo {
    int IntCount = 0;       // digit placeholders before the decimal point
    int FirstIntZero = -1;  // index of the first '0' among them
    int DecCount = 0;       // digit placeholders after the point
    int LastDecZero = -1;   // index of the last '0' among them
    bool Point = false;
    bool Thousands = false;
    bool Scientific = false;
    int ExpDigits = 0;

    int MinInt() const { return FirstIntZero < 0 ? 0 : IntCount - FirstIntZero; }
    int MinDec() const { return LastDecZero + 1; }
};

bool IsExponentAt(const QString& s, int i)
{
    return (s[i] == u'E' || s[i] == u'e') && i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-');
}

int SkipQuoted(const QString& s, int i)   // i at the opening quote; returns the index after the closing one
{
    const int close = int(s.indexOf(s[i], i + 1));
    return close < 0 ? int(s.size()) : close + 1;
}

SectionInfo Analyze(const QString& s)
{
    SectionInfo a;
    const int n = int(s.size());
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c == u'\'' || c == u'"') {
            i = SkipQuoted(s, i);
            continue;
        }
        if (c == u'0' || c == u'#') {
            if (!a.Point) {
                if (c == u'0' && a.FirstIntZero < 0)
                    a.FirstIntZero = a.IntCount;
                ++a.IntCount;
            } else {
                if (c == u'0')
                    a.LastDecZero = a.DecCount;
                ++a.DecCount;
            }
        } else if (c == u'.') {
            a.Point = true;
        } else if (c == u',') {
            if (!a.Point)
                a.Thousands = true;
        } else if (IsExponentAt(s, i)) {
            a.Scientific = true;
            i += 2;
            while (i < n && s[i] == u'0' && a.ExpDigits < 4) {
                ++a.ExpDigits;
                ++i;
            }
            break;   // the rest of the section is copied as it stands
        }
        ++i;
    }
    return a;
}

QStringList SplitSections(const QString& format)
{
    QStringList sections;
    QString cur;
    const int n = int(format.size());
    int i = 0;
    while (i < n) {
        const QChar c = format[i];
        if (c == u'\'' || c == u'"') {
            const int next = SkipQuoted(format, i);
            cur += format.mid(i, next - i);
            i = next;
            continue;
        }
        if (c == u';') {
            sections << cur;
            cur.clear();
            if (sections.size() == 3)
                return sections;
        } else {
            cur += c;
        }
        ++i;
    }
    sections << cur;
    return sections;
}

struct Rendered {
    QString IntDigits;   // integer digits to show, zero-padded to the minimum
    QString FracDigits;  // decimals to show
    int Exp = 0;
};

// Rounds `d` as the section asks; the result tells whether it became zero.
TDecimal RoundForSection(const TDecimal& d, const SectionInfo& a)
{
    TDecimal r = d;
    if (a.Scientific)
        DecimalRoundSignificant(r, std::max(1, a.IntCount + a.DecCount));
    else
        DecimalRoundDecimals(r, a.DecCount);
    return r;
}

Rendered Prepare(const TDecimal& r, const SectionInfo& a)
{
    Rendered out;
    if (a.Scientific) {
        if (!r.IsZero()) {
            out.Exp = r.Exponent - a.IntCount;
            out.IntDigits = DigitsRange(r, 0, a.IntCount);
            const int have = int(r.Digits.size()) - a.IntCount;
            out.FracDigits = DigitsRange(r, a.IntCount, a.IntCount + std::max(0, have));
        }
    } else if (!r.IsZero()) {
        const int E = r.Exponent;
        if (E > 0)
            out.IntDigits = DigitsRange(r, 0, E);
        out.FracDigits = DigitsRange(r, std::max(E, 0), int(r.Digits.size()));
        // digits between the point and the first significant one
        if (E < 0)
            out.FracDigits = QString(-E, u'0') + out.FracDigits;
    }
    while (out.IntDigits.size() < a.MinInt())
        out.IntDigits.prepend(u'0');
    while (out.FracDigits.size() < a.MinDec())
        out.FracDigits += u'0';
    return out;
}

QString Render(const QString& s, const SectionInfo& a, const Rendered& v, bool negative,
               const TFormatSettings& fs)
{
    QString out;
    if (negative)
        out += u'-';
    const QString& I = v.IntDigits;
    const int len = int(I.size());
    const QChar sep = a.Thousands ? fs.ThousandSeparator : QChar();
    auto emitInt = [&](int fromRightHi, int fromRightLo) {   // digits whose position from the right is in [lo, hi]
        for (int p = std::min(fromRightHi, len - 1); p >= fromRightLo; --p) {
            out += I[len - 1 - p];
            if (!sep.isNull() && p > 0 && p % 3 == 0)
                out += sep;
        }
    };
    const int n = int(s.size());
    int k = 0;
    int j = 0;
    bool point = false;
    bool afterExponent = false;
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c == u'\'' || c == u'"') {
            const int next = SkipQuoted(s, i);
            const bool closed = next <= n && s[next - 1] == c && next - 1 > i;
            out += s.mid(i + 1, next - i - 1 - (closed ? 1 : 0));
            i = next;
            continue;
        }
        if (afterExponent) {
            out += c;
        } else if (c == u'0' || c == u'#') {
            if (!point) {
                const int p = a.IntCount - 1 - k;
                if (k == 0)
                    emitInt(len - 1, a.IntCount);
                emitInt(p, p);
                ++k;
            } else {
                if (j < v.FracDigits.size())
                    out += v.FracDigits[j];
                ++j;
            }
        } else if (c == u'.') {
            if (!point) {
                point = true;
                if (a.IntCount == 0)
                    emitInt(len - 1, 0);
                if (!v.FracDigits.isEmpty())
                    out += fs.DecimalSeparator;
            }
        } else if (c == u',') {
            // a switch, not a character of the output
        } else if (IsExponentAt(s, i)) {
            out += c;
            if (s[i + 1] == u'+' || v.Exp < 0)
                out += v.Exp < 0 ? u'-' : u'+';
            QString e = QString::number(std::abs(v.Exp));
            while (e.size() < a.ExpDigits)
                e.prepend(u'0');
            out += e;
            i += 2 + a.ExpDigits;
            afterExponent = true;   // what follows the exponent is copied as it stands
            continue;
        } else {
            out += c;
        }
        ++i;
    }
    return out;
}

} // namespace

QString DecimalFormat(const QString& format, const TDecimal& d, int generalPrecision, const TFormatSettings& fs)
{
    const QStringList sections = SplitSections(format);
    auto usable = [&](int idx) { return idx < sections.size() && !sections[idx].isEmpty(); };
    int idx = d.IsZero() ? (usable(2) ? 2 : 0) : (d.Negative ? (usable(1) ? 1 : 0) : 0);
    if (!usable(idx))
        return DecimalToTextF(d, ffGeneral, generalPrecision, 0, fs);
    SectionInfo a = Analyze(sections[idx]);
    TDecimal r = RoundForSection(d, a);
    if (r.IsZero() && !d.IsZero()) {
        // what shows as zero is formatted as zero, never as "-0"
        idx = usable(2) ? 2 : 0;
        if (!usable(idx))
            return DecimalToTextF(TDecimal(), ffGeneral, generalPrecision, 0, fs);
        a = Analyze(sections[idx]);
        r = TDecimal();
    }
    if (!a.Scientific && r.IntDigits() > 18)
        return DecimalToTextF(d, ffGeneral, generalPrecision, 0, fs);
    const bool negative = idx == 0 && r.Negative && !r.IsZero();
    return Render(sections[idx], a, Prepare(r, a), negative, fs);
}

// ---------------------------------------------------------------- public forms

static QString NonFinite(double v)
{
    if (std::isnan(v))
        return QStringLiteral("NAN");
    return v > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
}

QString FloatToStr(double v) { return FloatToStrF(v, ffGeneral, 15, 0, FormatSettings); }
QString FloatToStr(double v, const TFormatSettings& fs) { return FloatToStrF(v, ffGeneral, 15, 0, fs); }

QString FloatToStrF(double v, TFloatFormat format, int precision, int digits)
{
    return FloatToStrF(v, format, precision, digits, FormatSettings);
}

QString FloatToStrF(double v, TFloatFormat format, int precision, int digits, const TFormatSettings& fs)
{
    if (!std::isfinite(v))
        return NonFinite(v);
    return DecimalToTextF(DecimalFromDouble(v), format, precision, digits, fs);
}

QString CurrToStr(Currency v) { return CurrToStrF(v, ffGeneral, 0, FormatSettings); }
QString CurrToStr(Currency v, const TFormatSettings& fs) { return CurrToStrF(v, ffGeneral, 0, fs); }
QString CurrToStrF(Currency v, TFloatFormat format, int digits)
{
    return CurrToStrF(v, format, digits, FormatSettings);
}

QString CurrToStrF(Currency v, TFloatFormat format, int digits, const TFormatSettings& fs)
{
    return DecimalToTextF(DecimalFromScaled(v.Value, 4), format, 19, digits, fs);
}

QString FormatFloat(const QString& format, double v) { return FormatFloat(format, v, FormatSettings); }

QString FormatFloat(const QString& format, double v, const TFormatSettings& fs)
{
    if (!std::isfinite(v))
        return NonFinite(v);
    return DecimalFormat(format, DecimalFromDouble(v), 15, fs);
}

QString FormatCurr(const QString& format, Currency v) { return FormatCurr(format, v, FormatSettings); }

QString FormatCurr(const QString& format, Currency v, const TFormatSettings& fs)
{
    return DecimalFormat(format, DecimalFromScaled(v.Value, 4), 19, fs);
}

// ---------------------------------------------------------------- text to numbers

static bool DecimalToDouble(const TDecimal& d, double& v)
{
    if (d.IsZero()) {
        v = d.Negative ? -0.0 : 0.0;
        return true;
    }
    if (d.Exponent < -400) {   // far below the smallest double
        v = d.Negative ? -0.0 : 0.0;
        return true;
    }
    if (d.Exponent > 400)
        return false;
    const std::string text = "0." + d.Digits + "e" + std::to_string(d.Exponent);
    double r = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), r);
    if (res.ec == std::errc::result_out_of_range) {
        if (d.Exponent > 0)
            return false;
        r = 0;
    } else if (res.ec != std::errc()) {
        return false;
    }
    v = d.Negative ? -r : r;
    return std::isfinite(v);
}

bool TryStrToFloat(const QString& s, double& v) { return TryStrToFloat(s, v, FormatSettings); }

bool TryStrToFloat(const QString& s, double& v, const TFormatSettings& fs)
{
    TDecimal d;
    double r = 0;
    if (!DecimalParse(s, fs.DecimalSeparator, d) || !DecimalToDouble(d, r))
        return false;
    v = r;
    return true;
}

double StrToFloat(const QString& s) { return StrToFloat(s, FormatSettings); }

double StrToFloat(const QString& s, const TFormatSettings& fs)
{
    double v = 0;
    if (!TryStrToFloat(s, v, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
    return v;
}

double StrToFloatDef(const QString& s, double def)
{
    double v = 0;
    return TryStrToFloat(s, v, FormatSettings) ? v : def;
}

double StrToFloatDef(const QString& s, double def, const TFormatSettings& fs)
{
    double v = 0;
    return TryStrToFloat(s, v, fs) ? v : def;
}

bool TryStrToCurr(const QString& s, Currency& v) { return TryStrToCurr(s, v, FormatSettings); }

bool TryStrToCurr(const QString& s, Currency& v, const TFormatSettings& fs)
{
    TDecimal d;
    if (!DecimalParse(s, fs.DecimalSeparator, d))
        return false;
    DecimalRoundDecimalsEven(d, 4);
    int64_t raw = 0;
    if (!DecimalToScaled(d, 4, raw))
        return false;
    v = Currency::FromRaw(raw);
    return true;
}

Currency StrToCurr(const QString& s) { return StrToCurr(s, FormatSettings); }

Currency StrToCurr(const QString& s, const TFormatSettings& fs)
{
    Currency v;
    if (!TryStrToCurr(s, v, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
    return v;
}

Currency StrToCurrDef(const QString& s, Currency def)
{
    Currency v;
    return TryStrToCurr(s, v, FormatSettings) ? v : def;
}
