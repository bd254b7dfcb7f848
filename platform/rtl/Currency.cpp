// Checked money arithmetic: an overflow raises instead of wrapping, as amounts must never go silently wrong.
#include "SysUtils.h"
#include "DecimalText.h"

#include <cmath>

static const char* const kOverflow = "Floating point overflow";
static const char* const kZeroDivide = "Floating point division by zero";

[[noreturn]] static void RaiseOverflow() { throw EOverflow(QString::fromLatin1(kOverflow)); }

static Currency Checked(__int128 raw)
{
    if (raw > INT64_MAX || raw < INT64_MIN)
        RaiseOverflow();
    return Currency::FromRaw(int64_t(raw));
}

// q = n / d rounded to the nearest, ties to the even neighbour.
static __int128 DivideEven(__int128 n, __int128 d)
{
    __int128 q = n / d;
    __int128 r = n % d;
    if (r != 0) {
        const __int128 twice = (r < 0 ? -r : r) * 2;
        const __int128 ad = d < 0 ? -d : d;
        const bool negative = (n < 0) != (d < 0);
        if (twice > ad || (twice == ad && (q % 2 != 0)))
            q += negative ? -1 : 1;
    }
    return q;
}

Currency Currency::FromDouble(double d)
{
    if (!std::isfinite(d))
        RaiseOverflow();
    // Round on the decimal digits the double stands for, so 0.00015 gives 0.0002 as written.
    TDecimal x = DecimalFromDouble(d);
    DecimalRoundDecimalsEven(x, 4);
    int64_t raw = 0;
    if (!DecimalToScaled(x, 4, raw))
        RaiseOverflow();
    return FromRaw(raw);
}

Currency operator+(Currency a, Currency b) { return Checked(__int128(a.Value) + b.Value); }
Currency operator-(Currency a, Currency b) { return Checked(__int128(a.Value) - b.Value); }
Currency Currency::operator-() const { return Checked(-__int128(Value)); }
Currency operator*(Currency a, Currency b) { return Checked(DivideEven(__int128(a.Value) * b.Value, 10000)); }

Currency operator/(Currency a, Currency b)
{
    if (b.Value == 0)
        throw EZeroDivide(QString::fromLatin1(kZeroDivide));
    return Checked(DivideEven(__int128(a.Value) * 10000, b.Value));
}
