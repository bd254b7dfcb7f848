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

namespace {

using u128 = unsigned __int128;
constexpr uint64_t kP18 = 1000000000000000000ull;

u128 absU(i128 v) { return v < 0 ? u128(0) - u128(v) : u128(v); }
bool fits38(i128 v) { return absU(v) < u128(Pow10(kDecMaxDigits)); }
bool fitsI64(i128 v) { return v >= INT64_MIN && v <= INT64_MAX; }

// v / 10^k, k in 1..38, rounded half away from zero or cut
i128 dropDigits(i128 v, int k, bool cut)
{
    const i128 f = Pow10(k);
    i128 q = v / f;
    if (!cut && absU(v % f) * 2 >= u128(f)) q += v < 0 ? -1 : 1;
    return q;
}

// A value of up to 256 bits (little-endian limbs) and its sign: the exact intermediate of
// the rare sums, products and quotients that pass 128 bits before their result is rounded.
struct Wide {
    uint64_t w[4] = {};
    bool neg = false;
    bool over = false;   // passed 256 bits
};

Wide wideOf(i128 v)
{
    Wide r;
    const u128 m = absU(v);
    r.w[0] = uint64_t(m);
    r.w[1] = uint64_t(m >> 64);
    r.neg = v < 0;
    return r;
}

void mulSmall(Wide& x, uint64_t m)
{
    u128 carry = 0;
    for (uint64_t& l : x.w) {
        const u128 p = u128(l) * m + carry;
        l = uint64_t(p);
        carry = p >> 64;
    }
    if (carry) x.over = true;
}

void mulPow10(Wide& x, int k)
{
    for (; k > 0; k -= 19) mulSmall(x, uint64_t(Pow10(std::min(k, 19))));
}

uint64_t divSmall(Wide& x, uint64_t d)
{
    u128 rem = 0;
    for (int i = 3; i >= 0; --i) {
        const u128 cur = (rem << 64) | x.w[i];
        x.w[i] = uint64_t(cur / d);
        rem = cur % d;
    }
    return uint64_t(rem);
}

// x becomes the quotient (toward zero); returns the remainder's magnitude
u128 divWide(Wide& x, u128 d)
{
    if ((d >> 64) == 0) return divSmall(x, uint64_t(d));
    Wide q;
    q.neg = x.neg;
    u128 rem = 0;
    for (int bit = 255; bit >= 0; --bit) {
        const bool top = (rem >> 127) != 0;
        rem = (rem << 1) | ((x.w[bit / 64] >> (bit % 64)) & 1);
        if (top || rem >= d) {
            rem -= d;
            q.w[bit / 64] |= uint64_t(1) << (bit % 64);
        }
    }
    x = q;
    return rem;
}

int cmpMag(const Wide& a, const Wide& b)
{
    for (int i = 3; i >= 0; --i)
        if (a.w[i] != b.w[i]) return a.w[i] < b.w[i] ? -1 : 1;
    return 0;
}

void addMag(Wide& a, const Wide& b)
{
    u128 carry = 0;
    for (int i = 0; i < 4; ++i) {
        const u128 s = u128(a.w[i]) + b.w[i] + carry;
        a.w[i] = uint64_t(s);
        carry = s >> 64;
    }
    if (carry) a.over = true;
}

void subMag(Wide& a, const Wide& b)   // |a| >= |b|
{
    uint64_t borrow = 0;
    for (int i = 0; i < 4; ++i) {
        const u128 s = u128(a.w[i]) - b.w[i] - borrow;
        a.w[i] = uint64_t(s);
        borrow = (s >> 64) ? 1 : 0;
    }
}

Wide addWide(Wide a, const Wide& b)
{
    if (a.neg == b.neg) { addMag(a, b); return a; }
    if (cmpMag(a, b) >= 0) { subMag(a, b); return a; }
    Wide r = b;
    subMag(r, a);
    return r;
}

Wide mulWide(i128 a, i128 b)
{
    const u128 x = absU(a), y = absU(b);
    const uint64_t xs[2] = {uint64_t(x), uint64_t(x >> 64)}, ys[2] = {uint64_t(y), uint64_t(y >> 64)};
    Wide r;
    for (int i = 0; i < 2; ++i) {
        u128 carry = 0;
        for (int j = 0; j < 2; ++j) {
            const u128 p = u128(xs[i]) * ys[j] + r.w[i + j] + carry;
            r.w[i + j] = uint64_t(p);
            carry = p >> 64;
        }
        r.w[i + 2] = uint64_t(carry);
    }
    r.neg = (a < 0) != (b < 0);
    return r;
}

bool wideToDec(const Wide& x, int scale, Dec& r)
{
    if (x.over || x.w[2] || x.w[3]) return false;
    const u128 m = (u128(x.w[1]) << 64) | x.w[0];
    if (m >= u128(Pow10(kDecMaxDigits))) return false;
    r.c = x.neg ? -i128(m) : i128(m);
    r.scale = scale;
    return true;
}

// x has `have` places; the result gets `scale`
bool finish(Wide x, int have, int scale, Dec& r)
{
    if (have > scale) {
        int rest = have - scale - 1;   // all dropped digits but the first decide nothing
        for (; rest > 0; rest -= 19) divSmall(x, uint64_t(Pow10(std::min(rest, 19))));
        if (divSmall(x, 10) >= 5) {
            Wide one;
            one.w[0] = 1;
            addMag(x, one);
        }
    } else mulPow10(x, scale - have);
    return wideToDec(x, scale, r);
}

// c has `have` places (up to 76)
bool rescale(i128 c, int have, int scale, bool cut, Dec& r)
{
    if (have > scale) c = have - scale > kDecMaxDigits ? 0 : dropDigits(c, have - scale, cut);
    else if (have < scale && __builtin_mul_overflow(c, Pow10(scale - have), &c)) return false;
    if (!fits38(c)) return false;
    r.c = c;
    r.scale = scale;
    return true;
}

// digits without sign or point: the integer part (leading zeros allowed), then the fraction
bool decFromDigits(bool neg, const char* intPart, int ni, const char* frac, int nf, Dec& d)
{
    while (ni > 0 && *intPart == '0') { ++intPart; --ni; }
    if (ni > kDecMaxDigits) return false;
    const int keep = std::min(nf, kDecMaxDigits - ni);
    u128 c = 0;
    for (int i = 0; i < ni; ++i) c = c * 10 + u128(intPart[i] - '0');
    for (int i = 0; i < keep; ++i) c = c * 10 + u128(frac[i] - '0');
    int scale = keep;
    if (keep < nf && frac[keep] >= '5' && ++c == u128(Pow10(kDecMaxDigits))) {   // 0.99...9 past 38 digits
        if (scale == 0) return false;
        c /= 10;
        --scale;
    }
    d.c = neg ? -i128(c) : i128(c);
    d.scale = scale;
    return true;
}

// |c| as decimal digits
std::string digitsOf(i128 v)
{
    u128 u = absU(v);
    char buf[48];
    int n = 0;
    while (u >> 64) { buf[n++] = char('0' + int(u % 10)); u /= 10; }
    uint64_t s = uint64_t(u);
    do { buf[n++] = char('0' + int(s % 10)); s /= 10; } while (s);
    return std::string(std::make_reverse_iterator(buf + n), std::make_reverse_iterator(buf));
}

} // namespace

int DecToBytes(const Dec& d, char* buf)
{
    int n = 0;
    i128 ip;        // floor of the value
    u128 frac = 0;  // the rest times 10^scale
    const int s = std::clamp(d.scale, 0, kDecMaxDigits);
    if (s == 0) ip = d.c;
    else if (fitsI64(d.c) && s <= 18) {
        const int64_t c = int64_t(d.c), f = int64_t(Pow10(s));
        int64_t q = c / f, r = c % f;
        if (r < 0) { r += f; --q; }
        ip = q;
        frac = uint64_t(r);
    } else {
        const i128 f = Pow10(s);
        i128 q = d.c / f, r = d.c % f;
        if (r < 0) { r += f; --q; }
        ip = q;
        frac = u128(r);
    }
    if (fitsI64(ip)) {
        buf[n++] = 'N';
        const uint64_t u = uint64_t(int64_t(ip)) ^ (uint64_t(1) << 63);
        for (int i = 7; i >= 0; --i) buf[n++] = char(uint8_t(u >> (8 * i)));
    } else {
        buf[n++] = ip < 0 ? 'M' : 'O';
        const u128 u = u128(ip) ^ (u128(1) << 127);
        for (int i = 15; i >= 0; --i) buf[n++] = char(uint8_t(u >> (8 * i)));
    }
    if (frac) {
        int digits = s;
        if (digits % 2) { frac *= 10; ++digits; }
        int bytes = digits / 2;
        uint8_t fb[19];
        for (int i = bytes - 1; i >= 0;) {
            uint64_t chunk;
            if ((frac >> 64) == 0) { chunk = uint64_t(frac) % kP18; frac = uint64_t(frac) / kP18; }
            else { chunk = uint64_t(frac % kP18); frac /= kP18; }
            for (int k = 0; k < 9 && i >= 0; ++k, --i) { fb[i] = uint8_t(chunk % 100); chunk /= 100; }
        }
        while (bytes > 0 && fb[bytes - 1] == 0) --bytes;
        for (int i = 0; i < bytes; ++i) buf[n++] = char(fb[i]);
    }
    return n;
}

QByteArray DecToBlob(const Dec& d)
{
    char buf[kDecBlobMax];
    return QByteArray(buf, DecToBytes(d, buf));
}

bool IsDecBlob(const void* p, int n)
{
    if (!p || n < 9) return false;
    const uint8_t* b = static_cast<const uint8_t*>(p);
    int head;
    switch (b[0]) {
    case 'N': head = 9; break;
    case 'M': case 'O': head = 17; break;
    case 'D': return n == 18 && b[17] == 0;   // the form of earlier builds
    default: return false;
    }
    return n == head || (n > head && n <= head + 19 && b[n - 1] != 0 && b[n - 1] < 100);
}

Dec DecFromBlob(const void* p, int n)
{
    const uint8_t* b = static_cast<const uint8_t*>(p);
    Dec d;
    if (b[0] == 'D') {   // value * 10^8 of earlier builds
        u128 u = 0;
        for (int i = 1; i <= 16; ++i) u = (u << 8) | b[i];
        d.c = i128(u ^ (u128(1) << 127));
        d.scale = 8;
        while (d.scale > 0 && d.c % 10 == 0) { d.c /= 10; --d.scale; }
        return d;
    }
    int pos;
    i128 ip;
    if (b[0] == 'N') {
        uint64_t u = 0;
        for (int i = 1; i <= 8; ++i) u = (u << 8) | b[i];
        ip = int64_t(u ^ (uint64_t(1) << 63));
        pos = 9;
    } else {
        u128 u = 0;
        for (int i = 1; i <= 16; ++i) u = (u << 8) | b[i];
        ip = i128(u ^ (u128(1) << 127));
        pos = 17;
    }
    const int k = n - pos;
    if (k <= 0) { d.c = ip; return d; }
    u128 f;
    if (k <= 9) {
        uint64_t g = 0;
        for (int i = pos; i < n; ++i) g = g * 100 + b[i];
        if (b[n - 1] % 10 == 0) g /= 10;
        f = g;
    } else {
        f = 0;
        for (int i = pos; i < n; ++i) f = f * 100 + b[i];
        if (b[n - 1] % 10 == 0) f /= 10;
    }
    d.scale = 2 * k - (b[n - 1] % 10 == 0 ? 1 : 0);
    d.c = ip * Pow10(d.scale) + i128(f);
    return d;
}

bool DecFromText(const QString& text, Dec& d)
{
    const QString s = text.trimmed();
    int i = 0;
    const int n = int(s.size());
    bool neg = false;
    if (i < n && (s[i] == u'-' || s[i] == u'+')) { neg = s[i] == u'-'; ++i; }
    std::string ip, fp;
    bool dot = false;
    for (; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c == u'.' && !dot) { dot = true; continue; }
        if (c < u'0' || c > u'9') return false;
        (dot ? fp : ip) += char(c);
    }
    if (ip.empty() && fp.empty()) return false;
    return decFromDigits(neg, ip.data(), int(ip.size()), fp.data(), int(fp.size()), d);
}

QString DecToText(const Dec& d)
{
    const int scale = std::clamp(d.scale, 0, kDecMaxDigits);
    std::string digits = digitsOf(d.c);
    if (int(digits.size()) <= scale) digits.insert(0, size_t(scale + 1) - digits.size(), '0');
    if (scale > 0) digits.insert(digits.size() - size_t(scale), 1, '.');
    if (d.c < 0) digits.insert(0, 1, '-');
    return QString::fromLatin1(digits.data(), qsizetype(digits.size()));
}

Dec DecFromInt(int64_t v)
{
    Dec d;
    d.c = v;
    return d;
}

Dec DecFromDouble(double v)
{
    Dec d;
    if (!std::isfinite(v) || !DecFromText(QString::number(v, 'f', QLocale::FloatingPointShortest), d))
        throw ESqlError(QStringLiteral("Arithmetic overflow error converting float to data type numeric."), 8115);
    return d;
}

double DecToDouble(const Dec& d)
{
    if (d.scale == 0 && fitsI64(d.c) && (d.c < 0 ? -d.c : d.c) < (int64_t(1) << 53)) return double(int64_t(d.c));
    return DecToText(d).toDouble();
}

bool DecRescale(const Dec& d, int scale, Dec& out, bool cut)
{
    return rescale(d.c, d.scale, std::clamp(scale, 0, kDecMaxDigits), cut, out);
}

bool DecFits(const Dec& d, int precision, int scale)
{
    if (precision <= 0) return true;
    const int e = precision - scale + d.scale;   // digits of the coefficient allowed
    if (e >= kDecMaxDigits) return fits38(d.c);
    return e >= 0 && absU(d.c) < u128(Pow10(e));
}

bool DecAdd(const Dec& a, const Dec& b, int scale, Dec& r)
{
    const int m = std::max(a.scale, b.scale);
    i128 x, y, s;
    if (!__builtin_mul_overflow(a.c, Pow10(m - a.scale), &x) && !__builtin_mul_overflow(b.c, Pow10(m - b.scale), &y) &&
        !__builtin_add_overflow(x, y, &s))
        return rescale(s, m, scale, false, r);
    Wide wx = wideOf(a.c), wy = wideOf(b.c);
    mulPow10(wx, m - a.scale);
    mulPow10(wy, m - b.scale);
    return finish(addWide(wx, wy), m, scale, r);
}

bool DecMul(const Dec& a, const Dec& b, int scale, Dec& r)
{
    i128 p;
    if (!__builtin_mul_overflow(a.c, b.c, &p)) return rescale(p, a.scale + b.scale, scale, false, r);
    return finish(mulWide(a.c, b.c), a.scale + b.scale, scale, r);
}

bool DecDiv(const Dec& a, const Dec& b, int scale, Dec& r)
{
    const int e = scale - a.scale + b.scale;   // the dividend's coefficient is scaled by 10^e
    r.scale = scale;
    if (e < 0) {
        i128 dv;
        r.c = -e > kDecMaxDigits || __builtin_mul_overflow(b.c, Pow10(-e), &dv) ? 0 : a.c / dv;
        return true;
    }
    i128 n;
    if (e <= kDecMaxDigits && !__builtin_mul_overflow(a.c, Pow10(e), &n)) {
        r.c = n / b.c;
        return fits38(r.c);
    }
    Wide w = wideOf(a.c);
    mulPow10(w, e);
    if (w.over) return false;
    const bool neg = w.neg != (b.c < 0);
    divWide(w, absU(b.c));
    w.neg = neg;
    return wideToDec(w, scale, r);
}

bool DecMod(const Dec& a, const Dec& b, Dec& r)
{
    const int m = std::max(a.scale, b.scale);
    i128 x, y;
    const bool ox = __builtin_mul_overflow(a.c, Pow10(m - a.scale), &x), oy = __builtin_mul_overflow(b.c, Pow10(m - b.scale), &y);
    r.scale = m;
    if (oy) r.c = a.c;   // the divisor is beyond the dividend: the dividend stays (with m places, it fits)
    else if (!ox) r.c = x % y;
    else {
        Wide w = wideOf(a.c);
        mulPow10(w, m - a.scale);
        const i128 rem = i128(divWide(w, absU(y)));
        r.c = a.c < 0 ? -rem : rem;
    }
    return fits38(r.c);
}

// ---- the runtime's BCD

TBcd DecToBcd(const Dec& d, int scale)
{
    Dec x;
    if (!DecRescale(d, scale, x)) x = d;
    // |c|'s digits, last first, without a string (one per decimal cell read)
    uint8_t rev[48];
    int n = 0;
    u128 u = absU(x.c);
    while (u >> 64) { rev[n++] = uint8_t(u % 10); u /= 10; }
    uint64_t low = uint64_t(u);
    do { rev[n++] = uint8_t(low % 10); low /= 10; } while (low);
    const int lead = std::max(0, x.scale + 1 - n);   // at least one integer digit
    TBcd b;
    b.Precision = uint8_t(n + lead);
    b.SignSpecialPlaces = uint8_t((x.c < 0 ? 0x80 : 0) | x.scale);
    for (int k = 0; k < n + lead; ++k) {
        const uint8_t dg = k < lead ? 0 : rev[n - 1 - (k - lead)];
        if (k % 2 == 0) b.Fraction[k / 2] = uint8_t(dg << 4);
        else b.Fraction[k / 2] |= dg;
    }
    return b;
}

Dec BcdToDec(const TBcd& b)
{
    const int places = b.SignSpecialPlaces & 0x3F;
    const int n = std::min<int>(b.Precision, 64);
    char digits[64];
    for (int k = 0; k < n; ++k) {
        const uint8_t byte = b.Fraction[k / 2];
        digits[k] = char('0' + ((k % 2 == 0) ? (byte >> 4) : (byte & 0x0F)));
    }
    const int ni = std::max(0, n - places);
    std::string frac(size_t(std::max(0, places - n)), '0');   // places beyond the digits are leading zeros
    frac.append(digits + ni, size_t(n - ni));
    Dec d;
    if (!decFromDigits((b.SignSpecialPlaces & 0x80) != 0, digits, ni, frac.data(), int(frac.size()), d))
        throw ESqlError(QStringLiteral("Arithmetic overflow error converting numeric to data type numeric."), 8115);
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
