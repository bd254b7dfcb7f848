// Variant: the runtime's tagged value (Empty, Null, numbers, money, dates, text, arrays, ...).
#pragma once

#include "SysUtils.h"
#include "FMTBcd.h"
#include "SqlTimSt.h"

#include <atomic>
#include <cstddef>
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

// 16 bytes: a tag and one 8-byte slot. Numbers, money, dates and booleans live in the slot;
// text, arrays, BCDs and time stamps live in one reference-counted block the slot points to,
// shared between copies (arrays are copied when written to while shared).
class Variant {
public:
    Variant() noexcept {}                      // Empty (unassigned)
    Variant(bool v);                           // stored as -1 / 0, as the platform's numbers see it
    Variant(int v);                            // varInteger
    Variant(unsigned v);                       // varLongWord
    Variant(long v);                           // varInt64
    Variant(long long v);                      // varInt64
    Variant(unsigned long v);                  // varUInt64
    Variant(unsigned long long v);             // varUInt64
    Variant(double v);                         // varDouble
    Variant(Currency v);                       // varCurrency
    Variant(const QString& v);                 // varUString
    Variant(const char* v);                    // varUString from UTF-8
    Variant(QChar v);                          // varUString of one character
    Variant(char) = delete;                    // 'a' would become the number 97: use QChar
    Variant(const TBcd& v);                    // varFMTBcd
    Variant(const TSQLTimeStamp& v);           // varSQLTimeStamp
    // A pointer would silently become a Boolean: use FromObject for object references.
    template <typename T> Variant(T*) = delete;
    Variant(std::nullptr_t) = delete;

    Variant(const Variant& o) noexcept : FType(o.FType), FInt(o.FInt)
    {
        if (IsRefType(FType))
            FRef->Ref.fetch_add(1, std::memory_order_relaxed);
    }
    Variant(Variant&& o) noexcept : FType(o.FType), FInt(o.FInt) { o.FType = varEmpty; o.FInt = 0; }
    Variant& operator=(const Variant& o) noexcept
    {
        Variant tmp(o);
        Swap(tmp);
        return *this;
    }
    Variant& operator=(Variant&& o) noexcept
    {
        Variant tmp(std::move(o));
        Swap(tmp);
        return *this;
    }
    ~Variant()
    {
        if (IsRefType(FType))
            Release();
    }
    void Swap(Variant& o) noexcept
    {
        std::swap(FType, o.FType);
        std::swap(FInt, o.FInt);
    }
    void Clear() noexcept { Variant().Swap(*this); }   // back to Empty

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
    void* AsObject() const;      // Empty and Null give nullptr; integers are taken as addresses
    int32_t AsError() const;

    // Arrays (one dimension, element type varVariant unless created otherwise).
    int ArrayLowBound() const;
    int ArrayHighBound() const;
    int ArrayCount() const;
    Variant GetElement(int index) const;          // EVariantBadIndexError outside the bounds
    void SetElement(int index, const Variant& v); // copy on write: arrays are values

    // The platform's operators. == and != use its equality (Null = Null, Empty as 0 or '');
    // incompatible kinds raise EVariantTypeCastError. Ordering with Null is False.
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

    // The shared block behind text, arrays, BCDs and time stamps.
    struct Payload {
        std::atomic<int> Ref{1};
        virtual ~Payload() = default;
    };
    struct ArrayData;   // opaque outside the runtime

private:
    friend struct VariantAccess;

    static constexpr bool IsRefType(TVarType t)
    {
        return (t & varArray) != 0 || t == varUString || t == varOleStr || t == varString
            || t == varFMTBcd || t == varSQLTimeStamp;
    }
    void Release() noexcept;

    TVarType FType = varEmpty;
    union {
        int64_t FInt = 0;   // every integer kind, booleans (-1/0), currency (raw), error codes
        uint64_t FUInt;     // varUInt64
        double FDouble;     // single, double, date
        const void* FPtr;   // varObject
        Payload* FRef;      // the reference types above
    };
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
QString VarTypeAsText(TVarType t);                         // "Integer", "Array of Variant", ...
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
TDateTime VarToDateTime(const Variant& v);                // AsDateTime
// Binary data as the platform's array of bytes (low bound 0), and back; ToBytes of a value
// that is not an array of bytes raises EVariantTypeCastError.
Variant VarArrayFromBytes(const QByteArray& bytes);
QByteArray VarArrayToBytes(const Variant& v);
