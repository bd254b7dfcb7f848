// Binary-coded decimals: exact amounts of up to 64 digits, packed two digits a byte.
#include "FMTBcd.h"
#include "DecimalText.h"

#include <charconv>
#include <cmath>

namespace {

constexpr int kMaxDigits = 64;
constexpr int kMaxPlaces = 63;   // six bits of SignSpecialPlaces

// value = Digits × 10^-Scale; Digits may have leading zeros and is never empty.
struct Num {
    bool Negative = false;
    std::string Digits = "0";
    int Scale = 0;

    int IntDigits() const { return int(Digits.size()) - Scale; }
    bool IsZero() const { return Digits.find_first_not_of('0') == std::string::npos; }
};

[[noreturn]] void RaiseOverflow() { throw EBcdOverflowException(QStringLiteral("BCD overflow")); }

void StripLeading(Num& n)   // leading zeros of the integer part, keeping one digit
{
    size_t k = 0;
    while (k + 1 < n.Digits.size() && int(n.Digits.size() - k) > n.Scale && n.Digits[k] == '0')
        ++k;
    n.Digits.erase(0, k);
    if (int(n.Digits.size()) <= n.Scale)
        n.Digits.insert(0, size_t(n.Scale + 1 - int(n.Digits.size())), '0');
}

void StripTrailing(Num& n)   // trailing zeros of the fraction
{
    while (n.Scale > 0 && n.Digits.back() == '0') {
        n.Digits.pop_back();
        --n.Scale;
    }
}

// Magnitude +1 in the last place.
void Increment(std::string& digits)
{
    int i = int(digits.size()) - 1;
    while (i >= 0 && digits[size_t(i)] == '9') {
        digits[size_t(i)] = '0';
        --i;
    }
    if (i < 0)
        digits.insert(digits.begin(), '1');
    else
        ++digits[size_t(i)];
}

// Keeps `places` decimals, halves away from zero; more places are padded with zeros.
void Rescale(Num& n, int places)
{
    if (places >= n.Scale) {
        n.Digits.append(size_t(places - n.Scale), '0');
        n.Scale = places;
        return;
    }
    const size_t drop = size_t(n.Scale - places);
    if (drop > n.Digits.size())
        n.Digits.insert(0, drop - n.Digits.size(), '0');
    const bool up = n.Digits[n.Digits.size() - drop] >= '5';
    n.Digits.erase(n.Digits.size() - drop);
    n.Scale = places;
    if (n.Digits.empty())
        n.Digits = "0";
    if (up)
        Increment(n.Digits);
}

// Fits the 64 digits: integer digits must fit, decimals are rounded off as far as needed.
void Fit(Num& n)
{
    StripLeading(n);
    const int intDigits = std::max(1, n.IntDigits());
    if (n.IntDigits() > kMaxDigits)
        RaiseOverflow();
    const int maxPlaces = std::min(kMaxPlaces, kMaxDigits - intDigits);
    if (n.Scale > maxPlaces) {
        Rescale(n, maxPlaces);
        StripLeading(n);
        if (n.IntDigits() > kMaxDigits)
            RaiseOverflow();
    }
    if (int(n.Digits.size()) > kMaxDigits) {   // the "0" kept before a 64-place fraction
        n.Digits.erase(0, 1);
    }
}

Num FromBcd(const TBcd& b)
{
    Num n;
    const int precision = std::min<int>(b.Precision, kMaxDigits);
    if (precision == 0)
        return n;
    n.Digits.clear();
    for (int i = 0; i < precision; ++i) {
        const uint8_t byte = b.Fraction[i / 2];
        int digit = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
        if (digit > 9)
            digit = 0;
        n.Digits.push_back(char('0' + digit));
    }
    n.Scale = std::min(int(b.SignSpecialPlaces & 0x3F), precision);
    n.Negative = (b.SignSpecialPlaces & 0x80) != 0;
    return n;
}

TBcd ToBcd(Num n)
{
    Fit(n);
    TBcd b;
    b.Precision = uint8_t(n.Digits.size());
    b.SignSpecialPlaces = uint8_t(n.Scale & 0x3F);
    if (n.Negative && !n.IsZero())
        b.SignSpecialPlaces |= 0x80;
    for (size_t i = 0; i < n.Digits.size(); ++i) {
        const uint8_t digit = uint8_t(n.Digits[i] - '0');
        b.Fraction[i / 2] |= (i % 2 == 0) ? uint8_t(digit << 4) : digit;
    }
    return b;
}

TDecimal ToDecimal(const Num& n)
{
    TDecimal d;
    d.Negative = n.Negative;
    d.Digits = n.Digits;
    d.Exponent = n.IntDigits();
    size_t lead = 0;
    while (lead < d.Digits.size() && d.Digits[lead] == '0')
        ++lead;
    d.Digits.erase(0, lead);
    d.Exponent -= int(lead);
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    if (d.Digits.empty()) {
        d.Exponent = 0;
        d.Negative = false;
    }
    return d;
}

Num FromDecimal(const TDecimal& d)
{
    Num n;
    if (d.IsZero())
        return n;
    n.Negative = d.Negative;
    const int len = int(d.Digits.size());
    if (d.Exponent >= len) {
        if (d.Exponent > kMaxDigits)
            RaiseOverflow();
        n.Digits = d.Digits + std::string(size_t(d.Exponent - len), '0');
        n.Scale = 0;
    } else if (d.Exponent > 0) {
        n.Digits = d.Digits;
        n.Scale = len - d.Exponent;
    } else {
        if (-d.Exponent > kMaxPlaces)   // far below the smallest place: zero
            return Num();
        n.Digits = std::string(size_t(-d.Exponent), '0') + d.Digits;
        n.Scale = len - d.Exponent;
    }
    return n;
}

// ---- magnitudes as digit strings

int CompareMag(std::string a, std::string b)
{
    a.erase(0, std::min(a.find_first_not_of('0'), a.size()));
    b.erase(0, std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string AddMag(const std::string& a, const std::string& b)
{
    std::string r;
    int carry = 0;
    int i = int(a.size()) - 1, j = int(b.size()) - 1;
    while (i >= 0 || j >= 0 || carry) {
        int s = carry + (i >= 0 ? a[size_t(i--)] - '0' : 0) + (j >= 0 ? b[size_t(j--)] - '0' : 0);
        r.push_back(char('0' + s % 10));
        carry = s / 10;
    }
    std::reverse(r.begin(), r.end());
    return r.empty() ? "0" : r;
}

std::string SubMag(const std::string& a, const std::string& b)   // a >= b
{
    std::string r;
    int borrow = 0;
    int i = int(a.size()) - 1, j = int(b.size()) - 1;
    while (i >= 0) {
        int s = (a[size_t(i--)] - '0') - borrow - (j >= 0 ? b[size_t(j--)] - '0' : 0);
        borrow = s < 0;
        if (s < 0)
            s += 10;
        r.push_back(char('0' + s));
    }
    std::reverse(r.begin(), r.end());
    return r.empty() ? "0" : r;
}

std::string MulMag(const std::string& a, const std::string& b)
{
    std::vector<int> acc(a.size() + b.size(), 0);
    for (int i = int(a.size()) - 1; i >= 0; --i)
        for (int j = int(b.size()) - 1; j >= 0; --j)
            acc[size_t(i + j + 1)] += (a[size_t(i)] - '0') * (b[size_t(j)] - '0');
    for (int k = int(acc.size()) - 1; k > 0; --k) {
        acc[size_t(k - 1)] += acc[size_t(k)] / 10;
        acc[size_t(k)] %= 10;
    }
    std::string r;
    for (int v : acc)
        r.push_back(char('0' + v));
    return r;
}

Num Add(const Num& x, const Num& y, bool negateY)
{
    Num a = x, b = y;
    if (negateY)
        b.Negative = !b.Negative;
    const int scale = std::max(a.Scale, b.Scale);
    Rescale(a, scale);
    Rescale(b, scale);
    Num r;
    r.Scale = scale;
    if (a.Negative == b.Negative) {
        r.Digits = AddMag(a.Digits, b.Digits);
        r.Negative = a.Negative;
    } else if (CompareMag(a.Digits, b.Digits) >= 0) {
        r.Digits = SubMag(a.Digits, b.Digits);
        r.Negative = a.Negative;
    } else {
        r.Digits = SubMag(b.Digits, a.Digits);
        r.Negative = b.Negative;
    }
    return r;
}

int Compare(const Num& a, const Num& b)
{
    const bool az = a.IsZero(), bz = b.IsZero();
    const bool an = a.Negative && !az, bn = b.Negative && !bz;
    if (an != bn)
        return an ? -1 : 1;
    Num x = a, y = b;
    const int scale = std::max(x.Scale, y.Scale);
    Rescale(x, scale);
    Rescale(y, scale);
    const int c = CompareMag(x.Digits, y.Digits);
    return an ? -c : c;
}

bool ParseBcdText(const QString& text, QChar sep, Num& n)
{
    int i = 0;
    int end = int(text.size());
    while (i < end && text[i].unicode() <= 32)
        ++i;
    while (end > i && text[end - 1].unicode() <= 32)
        --end;
    n = Num();
    if (i < end && (text[i] == u'-' || text[i] == u'+')) {
        n.Negative = text[i] == u'-';
        ++i;
    }
    std::string digits;
    int scale = 0;
    bool point = false;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            digits.push_back(char(c.unicode()));
            if (point)
                ++scale;
        } else if (c == sep && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits.empty())
        return false;
    n.Digits = digits;
    n.Scale = scale;
    StripLeading(n);
    if (n.IntDigits() > kMaxDigits)
        return false;
    return true;
}

} // namespace

bool operator==(const TBcd& a, const TBcd& b) { return Compare(FromBcd(a), FromBcd(b)) == 0; }
int BcdCompare(const TBcd& a, const TBcd& b) { return Compare(FromBcd(a), FromBcd(b)); }
int BcdScale(const TBcd& b) { return FromBcd(b).Scale; }

int BcdPrecision(const TBcd& b)
{
    Num n = FromBcd(b);
    StripLeading(n);
    return std::max(0, n.IntDigits() == 1 && n.Digits[0] == '0' ? n.Scale : int(n.Digits.size()));
}

bool IsBcdNegative(const TBcd& b)
{
    const Num n = FromBcd(b);
    return n.Negative && !n.IsZero();
}

TBcd NullBcd() { return TBcd(); }

bool TryStrToBcd(const QString& s, TBcd& b) { return TryStrToBcd(s, b, FormatSettings); }

bool TryStrToBcd(const QString& s, TBcd& b, const TFormatSettings& fs)
{
    Num n;
    if (!ParseBcdText(s, fs.DecimalSeparator, n))
        return false;
    b = ToBcd(n);
    return true;
}

TBcd StrToBcd(const QString& s) { return StrToBcd(s, FormatSettings); }

TBcd StrToBcd(const QString& s, const TFormatSettings& fs)
{
    TBcd b;
    if (!TryStrToBcd(s, b, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid BCD value").arg(s));
    return b;
}

QString BcdToStr(const TBcd& b) { return BcdToStr(b, FormatSettings); }

QString BcdToStr(const TBcd& b, const TFormatSettings& fs)
{
    Num n = FromBcd(b);
    StripLeading(n);
    StripTrailing(n);
    const int intLen = n.IntDigits();
    QString s = (n.Negative && !n.IsZero()) ? QStringLiteral("-") : QString();
    s += QString::fromLatin1(n.Digits.data(), intLen);
    if (n.Scale > 0)
        s += fs.DecimalSeparator + QString::fromLatin1(n.Digits.data() + intLen, n.Scale);
    return s;
}

QString BcdToStrF(const TBcd& b, TFloatFormat format, int precision, int digits)
{
    return BcdToStrF(b, format, precision, digits, FormatSettings);
}

QString BcdToStrF(const TBcd& b, TFloatFormat format, int precision, int digits, const TFormatSettings& fs)
{
    return DecimalToTextF(ToDecimal(FromBcd(b)), format, precision, digits, fs);
}

TBcd DoubleToBcd(double v)
{
    if (!std::isfinite(v))
        RaiseOverflow();
    return ToBcd(FromDecimal(DecimalFromDouble(v)));
}

double BcdToDouble(const TBcd& b)
{
    const Num n = FromBcd(b);
    const std::string text = n.Digits + "e-" + std::to_string(n.Scale);
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return n.Negative ? -v : v;
}

TBcd IntegerToBcd(int64_t v)
{
    Num n;
    n.Negative = v < 0;
    n.Digits = std::to_string(v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v));
    return ToBcd(n);
}

int64_t BcdToInteger(const TBcd& b, bool truncate)
{
    Num n = FromBcd(b);
    if (truncate) {
        n.Digits.resize(n.Digits.size() - size_t(n.Scale));
        if (n.Digits.empty())
            n.Digits = "0";
        n.Scale = 0;
    } else {
        Rescale(n, 0);
    }
    TDecimal d = ToDecimal(n);
    int64_t raw = 0;
    if (!DecimalToScaled(d, 0, raw))
        RaiseOverflow();
    return raw;
}

TBcd CurrToBcd(Currency c)
{
    Num n;
    n.Negative = c.Value < 0;
    n.Digits = std::to_string(c.Value < 0 ? uint64_t(0) - uint64_t(c.Value) : uint64_t(c.Value));
    n.Scale = 4;
    return ToBcd(n);
}

bool BcdToCurr(const TBcd& b, Currency& c)
{
    // the usual case (money and decimal(18, 4) columns): up to 18 digits and 4 places need no
    // rounding and fit 64 bits before scaling, so the digits are read straight off
    const int places = b.SignSpecialPlaces & 0x3F;
    if (b.Precision <= 18 && places <= 4 && places <= b.Precision) {
        int64_t v = 0;
        for (int i = 0; i < b.Precision; ++i) {
            const uint8_t byte = b.Fraction[i / 2];
            const int digit = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
            v = v * 10 + (digit > 9 ? 0 : digit);
        }
        static constexpr int64_t kScale[] = {10000, 1000, 100, 10, 1};
        int64_t raw;
        if (!__builtin_mul_overflow(v, kScale[places], &raw)) {
            c = Currency::FromRaw((b.SignSpecialPlaces & 0x80) ? -raw : raw);
            return true;
        }
    }
    TDecimal d = ToDecimal(FromBcd(b));
    DecimalRoundDecimalsEven(d, 4);   // money rounds halves to even
    int64_t raw = 0;
    if (!DecimalToScaled(d, 4, raw))
        return false;
    c = Currency::FromRaw(raw);
    return true;
}

bool NormalizeBcd(const TBcd& in, TBcd& out, int precision, int places)
{
    if (precision < 1 || precision > kMaxDigits || places < 0 || places > std::min(kMaxPlaces, precision))
        return false;
    Num n = FromBcd(in);
    Rescale(n, places);
    StripLeading(n);
    const int intDigits = (n.IntDigits() == 1 && n.Digits[0] == '0') ? 0 : n.IntDigits();
    if (intDigits > precision - places)
        return false;
    if (int(n.Digits.size()) < precision)
        n.Digits.insert(0, size_t(precision - int(n.Digits.size())), '0');
    else if (int(n.Digits.size()) > precision)   // only the "0" before a fraction that fills the precision
        n.Digits.erase(0, n.Digits.size() - size_t(precision));
    TBcd r;
    r.Precision = uint8_t(precision);
    r.SignSpecialPlaces = uint8_t(places);
    if (n.Negative && !n.IsZero())
        r.SignSpecialPlaces |= 0x80;
    for (size_t i = 0; i < n.Digits.size(); ++i) {
        const uint8_t digit = uint8_t(n.Digits[i] - '0');
        r.Fraction[i / 2] |= (i % 2 == 0) ? uint8_t(digit << 4) : digit;
    }
    out = r;
    return true;
}

void BcdAdd(const TBcd& a, const TBcd& b, TBcd& r) { r = ToBcd(Add(FromBcd(a), FromBcd(b), false)); }
void BcdSubtract(const TBcd& a, const TBcd& b, TBcd& r) { r = ToBcd(Add(FromBcd(a), FromBcd(b), true)); }

void BcdMultiply(const TBcd& a, const TBcd& b, TBcd& r)
{
    const Num x = FromBcd(a), y = FromBcd(b);
    Num p;
    p.Digits = MulMag(x.Digits, y.Digits);
    p.Scale = x.Scale + y.Scale;
    p.Negative = x.Negative != y.Negative;
    r = ToBcd(p);
}

void BcdDivide(const TBcd& a, const TBcd& b, TBcd& r)
{
    const Num x = FromBcd(a), y = FromBcd(b);
    if (y.IsZero())
        throw EZeroDivide(QStringLiteral("Floating point division by zero"));
    // Quotient truncated at 64 places: the first dropped digit is all that rounding half away needs.
    const int places = kMaxDigits;
    std::string dividend = x.Digits + std::string(size_t(places + y.Scale), '0');
    std::string divisor = y.Digits;
    divisor.erase(0, std::min(divisor.find_first_not_of('0'), divisor.size() - 1));
    std::string quotient;
    std::string rem = "0";
    for (char c : dividend) {
        rem.push_back(c);
        rem.erase(0, std::min(rem.find_first_not_of('0'), rem.size() - 1));
        int q = 0;
        while (CompareMag(rem, divisor) >= 0) {
            rem = SubMag(rem, divisor);
            ++q;
        }
        quotient.push_back(char('0' + q));
    }
    Num n;
    n.Digits = quotient;
    n.Scale = places + x.Scale;
    n.Negative = x.Negative != y.Negative;
    StripLeading(n);
    if (n.IntDigits() > kMaxDigits)
        RaiseOverflow();
    const int maxPlaces = std::min(kMaxPlaces, kMaxDigits - std::max(1, n.IntDigits()));
    if (n.Scale > maxPlaces)
        Rescale(n, maxPlaces);
    StripTrailing(n);
    r = ToBcd(n);
}
