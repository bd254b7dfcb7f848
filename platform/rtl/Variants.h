// Variant: the runtime's tagged value (Empty, Null, numbers, money, dates, text, arrays, ...).
#pragma once

#include "SysUtils.h"
#include "FMTBcd.h"
#include "SqlTimSt.h"

#include <initializer_list>
#include <memory>
#include <vector>

using TVarType = uint16_t;
constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varDispatch = 0x0009;
constexpr TVarType varError = 0x000A;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;
constexpr TVarType varUnknown = 0x000D;
constexpr TVarType varShortInt = 0x0010;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varWord = 0x0012;
constexpr TVarType varLongWord = 0x0013;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varUInt64 = 0x0015;
constexpr TVarType varObject = 0x0049;     // an object reference, pointer wide
constexpr TVarType varSQLTimeStamp = 0x010F;
constexpr TVarType varFMTBcd = 0x0110;
constexpr TVarType varString = 0x0100;
constexpr TVarType varUString = 0x0102;
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;

enum TVariantRelationship { vrEqual = 0, vrLessThan = 1, vrGreaterThan = 2, vrNotEqual = 3 };

class Variant {
public:
    Variant() = default;                       // Empty (unassigned)
    Variant(bool v);
    Variant(int v);                            // varInteger
    Variant(unsigned v);                       // varLongWord
    Variant(long v);                           // varInt64
    Variant(long long v);                      // varInt64
    Variant(double v);                         // varDouble
    Variant(Currency v);                       // varCurrency
    Variant(const QString& v);                 // varUString
    Variant(const char* v);                    // varUString from UTF-8
    Variant(const TBcd& v);                    // varFMTBcd
    Variant(const TSQLTimeStamp& v);           // varSQLTimeStamp

    static Variant Null();
    static Variant FromDate(TDateTime d);      // varDate
    static Variant FromSmallint(int16_t v);
    static Variant FromShortInt(int8_t v);
    static Variant FromByte(uint8_t v);
    static Variant FromWord(uint16_t v);
    static Variant FromSingle(float v);
    static Variant FromUInt64(uint64_t v);
    static Variant FromOleStr(const QString& v); // varOleStr, same text, other tag
    static Variant FromString(const QString& v); // varString (the 8-bit text tag)
    static Variant FromError(int32_t scode);
    static Variant FromObject(const void* p);    // varObject

    TVarType VarType() const { return FType; }
    bool IsEmpty() const { return FType == varEmpty; }
    bool IsNull() const { return FType == varNull; }
    bool IsArray() const { return (FType & varArray) != 0; }

    // Conversions by the platform's rules. Text that does not convert, and Null to a
    // number, raise EVariantTypeCastError; values out of range raise EVariantOverflowError.
    int32_t AsInteger() const;
    int64_t AsInt64() const;
    uint64_t AsUInt64() const;
    double AsDouble() const;
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    QString AsString() const;    // Null raises; use VarToStr for '' on Null
    TBcd AsBcd() const;
    TSQLTimeStamp AsSQLTimeStamp() const;
    void* AsObject() const;
    int32_t AsError() const;

    // Arrays (one dimension, element type varVariant unless created otherwise).
    int ArrayLowBound() const;
    int ArrayHighBound() const;
    int ArrayCount() const;
    Variant GetElement(int index) const;          // EVariantBadIndexError outside the bounds
    void SetElement(int index, const Variant& v); // copy on write: arrays are values

    // The platform's operators. == and != use its equality (Null = Null, Empty as 0 or '');
    // incompatible kinds raise EVariantTypeCastError.
    friend bool operator==(const Variant& a, const Variant& b);
    friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
    friend bool operator<(const Variant& a, const Variant& b);
    friend bool operator>(const Variant& a, const Variant& b);
    friend bool operator<=(const Variant& a, const Variant& b);
    friend bool operator>=(const Variant& a, const Variant& b);
    friend Variant operator+(const Variant& a, const Variant& b);  // text + text concatenates
    friend Variant operator-(const Variant& a, const Variant& b);
    friend Variant operator*(const Variant& a, const Variant& b);
    friend Variant operator/(const Variant& a, const Variant& b);
    Variant operator-() const;

private:
    friend struct VariantAccess;
    struct ArrayData;
    TVarType FType = varEmpty;
    union {
        int64_t FInt = 0;
        uint64_t FUInt;
        double FDouble;
        bool FBool;
        const void* FPtr;
    };
    QString FStr;
    std::shared_ptr<ArrayData> FArray;
    std::shared_ptr<const TBcd> FBcd;
    std::shared_ptr<const TSQLTimeStamp> FTimeStamp;
};

inline Variant Null() { return Variant::Null(); }
inline Variant Unassigned() { return Variant(); }

bool VarIsNull(const Variant& v);
bool VarIsEmpty(const Variant& v);
bool VarIsClear(const Variant& v);
bool VarIsArray(const Variant& v);
bool VarIsStr(const Variant& v);
bool VarIsNumeric(const Variant& v);
bool VarIsOrdinal(const Variant& v);
bool VarIsFloat(const Variant& v);
bool VarIsType(const Variant& v, TVarType t);
TVarType VarType(const Variant& v);
QString VarToStr(const Variant& v);                       // '' for Null and Empty
QString VarToStrDef(const Variant& v, const QString& def);
Variant VarAsType(const Variant& v, TVarType t);
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
bool VarSameValue(const Variant& a, const Variant& b);
Variant VarArrayOf(std::initializer_list<Variant> values);
Variant VarArrayOf(const std::vector<Variant>& values);
Variant VarArrayCreate(int low, int high, TVarType elementType = varVariant);
int VarArrayDimCount(const Variant& v);
int VarArrayLowBound(const Variant& v, int dim);
int VarArrayHighBound(const Variant& v, int dim);
Variant VarSQLTimeStampCreate(const TSQLTimeStamp& ts);
Variant VarSQLTimeStampCreate(TDateTime d);
bool VarIsSQLTimeStamp(const Variant& v);
Variant VarFMTBcdCreate(const TBcd& b);
Variant VarFMTBcdCreate(const QString& s, int precision, int scale);
bool VarIsFMTBcd(const Variant& v);
TBcd VarToBcd(const Variant& v);
