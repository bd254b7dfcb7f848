// Binary-coded decimals (up to 64 digits) and their conversions.
#pragma once
#include "SysUtils.h"

DOV_DECLARE_EXCEPTION(EBcdException, Exception);
DOV_DECLARE_EXCEPTION(EBcdOverflowException, EBcdException);   // "BCD overflow"

struct TBcd {
    uint8_t Precision = 0;          // 1..64 digits
    uint8_t SignSpecialPlaces = 0;  // bit 7 sign, bits 0..5 decimal places
    uint8_t Fraction[32] = {};      // packed digits, two per byte, high nibble first
};

bool operator==(const TBcd& a, const TBcd& b);   // by value: 1.50 equals 1.5
int BcdCompare(const TBcd& a, const TBcd& b);     // -1, 0, 1
int BcdScale(const TBcd& b);
int BcdPrecision(const TBcd& b);                 // significant digits: integer digits without leading zeros + scale
bool IsBcdNegative(const TBcd& b);
TBcd NullBcd();                                  // Precision 0: reads as zero

TBcd StrToBcd(const QString& s);                 // EConvertError "'%s' is not a valid BCD value"
TBcd StrToBcd(const QString& s, const TFormatSettings& fs);
bool TryStrToBcd(const QString& s, TBcd& b);
bool TryStrToBcd(const QString& s, TBcd& b, const TFormatSettings& fs);
QString BcdToStr(const TBcd& b);
QString BcdToStr(const TBcd& b, const TFormatSettings& fs);
QString BcdToStrF(const TBcd& b, TFloatFormat format, int precision, int digits);
QString BcdToStrF(const TBcd& b, TFloatFormat format, int precision, int digits, const TFormatSettings& fs);
TBcd DoubleToBcd(double v);
double BcdToDouble(const TBcd& b);
TBcd IntegerToBcd(int64_t v);
int64_t BcdToInteger(const TBcd& b, bool truncate = false);   // else halves away from zero; EBcdOverflowException
TBcd CurrToBcd(Currency c);
bool BcdToCurr(const TBcd& b, Currency& c);       // False when out of range
bool NormalizeBcd(const TBcd& in, TBcd& out, int precision, int places);  // rounds half away from zero
// Sums and products keep every decimal that fits 64 digits; quotients drop trailing zeros.
// A result with more than 64 integer digits raises EBcdOverflowException.
void BcdAdd(const TBcd& a, const TBcd& b, TBcd& r);
void BcdSubtract(const TBcd& a, const TBcd& b, TBcd& r);
void BcdMultiply(const TBcd& a, const TBcd& b, TBcd& r);
void BcdDivide(const TBcd& a, const TBcd& b, TBcd& r);   // EZeroDivide on zero
