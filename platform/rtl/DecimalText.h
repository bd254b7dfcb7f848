// Exact decimal digits behind the number formats: doubles, Currency and BCD values are all
// turned into one digit string first, so every format rounds on decimal digits the same way.
#pragma once

#include "SysUtils.h"

#include <string>

// value = 0.Digits × 10^Exponent; Digits has no leading or trailing zeros, empty means zero.
struct TDecimal {
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;

    bool IsZero() const { return Digits.empty(); }
    // Digits before the decimal point (0 for |value| < 1).
    int IntDigits() const { return Digits.empty() ? 0 : std::max(Exponent, 0); }
};

// The shortest digits that read back as the same double (finite values only).
TDecimal DecimalFromDouble(double v);
// raw × 10^-scale, exact.
TDecimal DecimalFromScaled(int64_t raw, int scale);
// Keep `decimals` digits after the point (may be negative), halves away from zero.
void DecimalRoundDecimals(TDecimal& d, int decimals);
// Keep `count` significant digits, halves away from zero.
void DecimalRoundSignificant(TDecimal& d, int count);
// Same as above, halves to the even neighbour.
void DecimalRoundDecimalsEven(TDecimal& d, int decimals);
// Scaled integer raw = value × 10^scale (value must already be rounded to `scale` decimals);
// false when it does not fit 64 bits.
bool DecimalToScaled(const TDecimal& d, int scale, int64_t& raw);

// Parses [blanks][sign]digits[sep digits][(e|E)[sign]digits][blanks]; false on anything else.
bool DecimalParse(const QString& s, QChar decimalSeparator, TDecimal& d, bool allowExponent = true);

// FloatToStrF / FormatFloat on exact digits; the double forms only add NAN/INF handling.
QString DecimalToTextF(const TDecimal& d, TFloatFormat format, int precision, int digits,
                       const TFormatSettings& fs);
QString DecimalFormat(const QString& format, const TDecimal& d, int generalPrecision,
                      const TFormatSettings& fs);
