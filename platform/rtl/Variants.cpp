#include "Variants.h"

#include <cfloat>
#include <climits>
#include <cmath>

// ---- payloads ----

namespace {

struct StrPayload final : Variant::Payload {
    explicit StrPayload(const QString& s) : Str(s) {}
    QString Str;
};
// Blank texts are common in table columns: they all share one block that is never freed.
StrPayload* NewStr(const QString& s)
{
    if (!s.isEmpty())
        return new StrPayload(s);
    static StrPayload* const blank = new StrPayload(QString());
    blank->Ref.fetch_add(1, std::memory_order_relaxed);
    return blank;
}

struct BcdPayload final : Variant::Payload {
    explicit BcdPayload(const TBcd& b) : Bcd(b) {}
    TBcd Bcd;
};
struct TimeStampPayload final : Variant::Payload {
    explicit TimeStampPayload(const TSQLTimeStamp& ts) : Ts(ts) {}
    TSQLTimeStamp Ts;
};

}  // namespace

struct Variant::ArrayData final : Variant::Payload {
    int Low = 0;
    TVarType ElemType = varVariant;
    std::vector<Variant> Items;
};

// Raw access for the routines below, which build and read values by tag.
struct VariantAccess {
    static Variant Make(TVarType t, int64_t i)
    {
        Variant v;
        v.FType = t;
        v.FInt = i;
        return v;
    }
    static Variant MakeDouble(TVarType t, double d)
    {
        Variant v;
        v.FType = t;
        v.FDouble = d;
        return v;
    }
    static Variant MakeRef(TVarType t, Variant::Payload* p)
    {
        Variant v;
        v.FType = t;
        v.FRef = p;
        return v;
    }
    static Variant NewArray(TVarType elemType, Variant::ArrayData*& a)
    {
        a = new Variant::ArrayData;
        a->ElemType = elemType;
        return MakeRef(TVarType(varArray | elemType), a);
    }
    static int64_t Int(const Variant& v) { return v.FInt; }
    static uint64_t UInt(const Variant& v) { return v.FUInt; }
    static double Dbl(const Variant& v) { return v.FDouble; }
    static const void* Ptr(const Variant& v) { return v.FPtr; }
    static const QString& Str(const Variant& v) { return static_cast<const StrPayload*>(v.FRef)->Str; }
    static const TBcd& Bcd(const Variant& v) { return static_cast<const BcdPayload*>(v.FRef)->Bcd; }
    static const TSQLTimeStamp& Ts(const Variant& v) { return static_cast<const TimeStampPayload*>(v.FRef)->Ts; }
    static const Variant::ArrayData& Arr(const Variant& v) { return *static_cast<const Variant::ArrayData*>(v.FRef); }
    static Variant::ArrayData& MutableArr(Variant& v)
    {
        auto* a = static_cast<Variant::ArrayData*>(v.FRef);
        if (a->Ref.load(std::memory_order_acquire) != 1) {
            auto* copy = new Variant::ArrayData;
            copy->Low = a->Low;
            copy->ElemType = a->ElemType;
            copy->Items = a->Items;
            v.Release();
            v.FRef = copy;
            a = copy;
        }
        return *a;
    }
};

using VA = VariantAccess;

void Variant::Release() noexcept
{
    if (FRef->Ref.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete FRef;
}

// ---- kinds and errors ----

namespace {

enum Kind { kEmpty, kNull, kInt, kUInt, kFloat, kCurr, kDate, kStr, kBool, kBcd, kTs, kErr, kObj, kArr, kOther };

Kind KindOf(TVarType t)
{
    if (t & varArray)
        return kArr;
    switch (t) {
    case varEmpty: return kEmpty;
    case varNull: return kNull;
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord:
    case varLongWord: case varInt64:
        return kInt;
    case varUInt64: return kUInt;
    case varSingle: case varDouble: return kFloat;
    case varCurrency: return kCurr;
    case varDate: return kDate;
    case varOleStr: case varString: case varUString: return kStr;
    case varBoolean: return kBool;
    case varFMTBcd: return kBcd;
    case varSQLTimeStamp: return kTs;
    case varError: return kErr;
    case varObject: return kObj;
    default: return kOther;
    }
}

inline Kind KindOf(const Variant& v) { return KindOf(v.VarType()); }

[[noreturn]] void CastError(TVarType from, TVarType to)
{
    throw EVariantTypeCastError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                                    .arg(VarTypeAsText(from), VarTypeAsText(to)));
}

[[noreturn]] void OverflowError(TVarType from, TVarType to)
{
    throw EVariantOverflowError(QStringLiteral("Overflow while converting variant of type (%1) into type (%2)")
                                    .arg(VarTypeAsText(from), VarTypeAsText(to)));
}

[[noreturn]] void InvalidOp()
{
    throw EVariantInvalidOpError(QStringLiteral("Invalid variant operation"));
}

[[noreturn]] void BadIndex()
{
    throw EVariantBadIndexError(QStringLiteral("Variant or safe array index out of bounds"));
}

[[noreturn]] void ZeroDivide()
{
    throw EZeroDivide(QStringLiteral("Floating point division by zero"));
}

// Text to a number: the regional number form, or the boolean words as -1 / 0.
bool TextToDouble(const QString& s, double& d)
{
    if (TryStrToFloat(s, d))
        return true;
    const QString t = s.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        d = -1;
        return true;
    }
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        d = 0;
        return true;
    }
    return false;
}

// Rounds ties to even; false when the result does not fit [lo, hi].
bool RoundToInt64(double d, int64_t lo, int64_t hi, int64_t& out)
{
    if (std::isnan(d))
        return false;
    const double r = std::nearbyint(d);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (r >= 9223372036854775808.0 || r < -9223372036854775808.0)
        return false;
    const int64_t i = int64_t(r);
    if (i < lo || i > hi)
        return false;
    out = i;
    return true;
}

// Currency raw value divided by 10000, ties to even.
int64_t CurrencyToInt(int64_t raw)
{
    int64_t q = raw / 10000;
    const int64_t r = raw % 10000;
    const int64_t ar = r < 0 ? -r : r;
    if (ar > 5000 || (ar == 5000 && (q & 1) != 0))
        q += raw < 0 ? -1 : 1;
    return q;
}

bool DoubleToCurrencyRaw(double d, int64_t& raw)
{
    return RoundToInt64(d * 10000.0, INT64_MIN, INT64_MAX, raw);
}

constexpr int64_t kMaxCurrencyUnits = INT64_MAX / 10000;

int64_t ToInt(const Variant& v, TVarType target, int64_t lo, int64_t hi)
{
    const TVarType t = v.VarType();
    int64_t r = 0;
    switch (KindOf(t)) {
    case kEmpty:
        return 0;
    case kInt:
    case kBool:
        r = VA::Int(v);
        break;
    case kUInt:
        if (VA::UInt(v) > uint64_t(INT64_MAX))
            OverflowError(t, target);
        r = int64_t(VA::UInt(v));
        break;
    case kFloat:
    case kDate:
        if (!RoundToInt64(VA::Dbl(v), lo, hi, r))
            OverflowError(t, target);
        return r;
    case kCurr:
        r = CurrencyToInt(VA::Int(v));
        break;
    case kStr: {
        const QString& s = VA::Str(v);
        if (TryStrToInt64(s, r))
            break;
        double d;
        if (!TextToDouble(s, d))
            CastError(t, target);
        if (!RoundToInt64(d, lo, hi, r))
            OverflowError(t, target);
        return r;
    }
    case kBcd: {
        const double d = BcdToDouble(VA::Bcd(v));
        if (!RoundToInt64(d, lo, hi, r))
            OverflowError(t, target);
        if (std::fabs(d) < 9.0e15)
            return r;
        r = BcdToInteger(VA::Bcd(v));
        break;
    }
    case kTs: {
        TDateTime d;
        if (!TrySQLTimeStampToDateTime(VA::Ts(v), d))
            CastError(t, target);
        if (!RoundToInt64(d, lo, hi, r))
            OverflowError(t, target);
        return r;
    }
    default:
        CastError(t, target);
    }
    if (r < lo || r > hi)
        OverflowError(t, target);
    return r;
}

QString BoolText(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }

}  // namespace

// ---- construction ----

Variant::Variant(bool v) : FType(varBoolean) { FInt = v ? -1 : 0; }
Variant::Variant(int v) : FType(varInteger) { FInt = v; }
Variant::Variant(unsigned v) : FType(varLongWord) { FInt = v; }
Variant::Variant(long v) : FType(varInt64) { FInt = v; }
Variant::Variant(long long v) : FType(varInt64) { FInt = v; }
Variant::Variant(unsigned long v) : FType(varUInt64) { FUInt = v; }
Variant::Variant(unsigned long long v) : FType(varUInt64) { FUInt = v; }
Variant::Variant(double v) : FType(varDouble) { FDouble = v; }
Variant::Variant(Currency v) : FType(varCurrency) { FInt = v.Value; }
Variant::Variant(const QString& v) : FType(varUString) { FRef = NewStr(v); }
Variant::Variant(const char* v) : FType(varUString) { FRef = NewStr(QString::fromUtf8(v)); }
Variant::Variant(QChar v) : FType(varUString) { FRef = NewStr(QString(v)); }
Variant::Variant(const TBcd& v) : FType(varFMTBcd) { FRef = new BcdPayload(v); }
Variant::Variant(const TSQLTimeStamp& v) : FType(varSQLTimeStamp) { FRef = new TimeStampPayload(v); }

Variant Variant::Null() { return VA::Make(varNull, 0); }
Variant Variant::FromDate(TDateTime d) { return VA::MakeDouble(varDate, d); }
Variant Variant::FromSmallint(int16_t v) { return VA::Make(varSmallint, v); }
Variant Variant::FromShortInt(int8_t v) { return VA::Make(varShortInt, v); }
Variant Variant::FromByte(uint8_t v) { return VA::Make(varByte, v); }
Variant Variant::FromWord(uint16_t v) { return VA::Make(varWord, v); }
Variant Variant::FromSingle(float v) { return VA::MakeDouble(varSingle, double(v)); }
Variant Variant::FromUInt64(uint64_t v) { return Variant(static_cast<unsigned long long>(v)); }
Variant Variant::FromOleStr(const QString& v) { return VA::MakeRef(varOleStr, NewStr(v)); }
Variant Variant::FromString(const QString& v) { return VA::MakeRef(varString, NewStr(v)); }
Variant Variant::FromError(int32_t scode) { return VA::Make(varError, scode); }
Variant Variant::FromObject(const void* p)
{
    Variant v;
    v.FType = varObject;
    v.FPtr = p;
    return v;
}

// ---- conversions ----

int32_t Variant::AsInteger() const { return int32_t(ToInt(*this, varInteger, INT32_MIN, INT32_MAX)); }
int64_t Variant::AsInt64() const { return ToInt(*this, varInt64, INT64_MIN, INT64_MAX); }

uint64_t Variant::AsUInt64() const
{
    switch (KindOf(FType)) {
    case kUInt:
        return FUInt;
    case kFloat:
    case kDate: {
        const double r = std::nearbyint(FDouble);
        if (std::isnan(r) || r < 0 || r >= 18446744073709551616.0)
            OverflowError(FType, varUInt64);
        return uint64_t(r);
    }
    case kStr: {
        bool ok = false;
        const uint64_t u = VA::Str(*this).trimmed().toULongLong(&ok);
        if (ok)
            return u;
        break;
    }
    default:
        break;
    }
    const int64_t i = ToInt(*this, varUInt64, INT64_MIN, INT64_MAX);
    if (i < 0)
        OverflowError(FType, varUInt64);
    return uint64_t(i);
}

double Variant::AsDouble() const
{
    switch (KindOf(FType)) {
    case kEmpty: return 0;
    case kInt:
    case kBool: return double(FInt);
    case kUInt: return double(FUInt);
    case kFloat:
    case kDate: return FDouble;
    case kCurr: return double(FInt) / 10000.0;
    case kStr: {
        double d;
        if (!TextToDouble(VA::Str(*this), d))
            CastError(FType, varDouble);
        return d;
    }
    case kBcd: return BcdToDouble(VA::Bcd(*this));
    case kTs: {
        TDateTime d;
        if (!TrySQLTimeStampToDateTime(VA::Ts(*this), d))
            CastError(FType, varDouble);
        return d;
    }
    default:
        CastError(FType, varDouble);
    }
}

Currency Variant::AsCurrency() const
{
    int64_t raw = 0;
    switch (KindOf(FType)) {
    case kEmpty:
        return Currency();
    case kInt:
    case kBool:
        if (FInt > kMaxCurrencyUnits || FInt < -kMaxCurrencyUnits)
            OverflowError(FType, varCurrency);
        return Currency::FromRaw(FInt * 10000);
    case kUInt:
        if (FUInt > uint64_t(kMaxCurrencyUnits))
            OverflowError(FType, varCurrency);
        return Currency::FromRaw(int64_t(FUInt) * 10000);
    case kCurr:
        return Currency::FromRaw(FInt);
    case kFloat:
    case kDate:
        if (!DoubleToCurrencyRaw(FDouble, raw))
            OverflowError(FType, varCurrency);
        return Currency::FromRaw(raw);
    case kStr: {
        Currency c;
        if (TryStrToCurr(VA::Str(*this), c))
            return c;
        double d;
        if (!TextToDouble(VA::Str(*this), d))
            CastError(FType, varCurrency);
        if (!DoubleToCurrencyRaw(d, raw))
            OverflowError(FType, varCurrency);
        return Currency::FromRaw(raw);
    }
    case kBcd: {
        Currency c;
        if (!BcdToCurr(VA::Bcd(*this), c))
            OverflowError(FType, varCurrency);
        return c;
    }
    case kTs: {
        TDateTime d;
        if (!TrySQLTimeStampToDateTime(VA::Ts(*this), d))
            CastError(FType, varCurrency);
        if (!DoubleToCurrencyRaw(d, raw))
            OverflowError(FType, varCurrency);
        return Currency::FromRaw(raw);
    }
    default:
        CastError(FType, varCurrency);
    }
}

TDateTime Variant::AsDateTime() const
{
    switch (KindOf(FType)) {
    case kStr: {
        TDateTime d;
        if (!TryStrToDateTime(VA::Str(*this), d))
            CastError(FType, varDate);
        return d;
    }
    case kTs: {
        TDateTime d;
        if (!TrySQLTimeStampToDateTime(VA::Ts(*this), d))
            CastError(FType, varDate);
        return d;
    }
    case kEmpty: case kInt: case kBool: case kUInt: case kFloat: case kDate: case kCurr: case kBcd:
        return AsDouble();
    default:
        CastError(FType, varDate);
    }
}

bool Variant::AsBoolean() const
{
    switch (KindOf(FType)) {
    case kEmpty: return false;
    case kInt:
    case kBool:
    case kCurr: return FInt != 0;
    case kUInt: return FUInt != 0;
    case kFloat:
    case kDate: return FDouble != 0;
    case kStr: {
        bool b;
        if (!TryStrToBool(VA::Str(*this), b))
            CastError(FType, varBoolean);
        return b;
    }
    case kBcd: return BcdToDouble(VA::Bcd(*this)) != 0;
    default:
        CastError(FType, varBoolean);
    }
}

QString Variant::AsString() const
{
    switch (KindOf(FType)) {
    case kEmpty: return QString();
    case kInt: return IntToStr(FInt);
    case kUInt: return UIntToStr(FUInt);
    case kBool: return BoolText(FInt != 0);
    case kFloat:
        return FType == varSingle ? FloatToStrF(FDouble, ffGeneral, 7, 0) : FloatToStr(FDouble);
    case kCurr: return CurrToStr(Currency::FromRaw(FInt));
    case kDate: return DateTimeToStr(FDouble);
    case kStr: return VA::Str(*this);
    case kBcd: return BcdToStr(VA::Bcd(*this));
    case kTs: return SQLTimeStampToStr(QString(), VA::Ts(*this));
    default:
        CastError(FType, varUString);
    }
}

TBcd Variant::AsBcd() const
{
    switch (KindOf(FType)) {
    case kEmpty: return IntegerToBcd(0);
    case kInt:
    case kBool: return IntegerToBcd(FInt);
    case kUInt:
        if (FUInt > uint64_t(INT64_MAX)) {
            TBcd b;
            if (!TryStrToBcd(QString::number(FUInt), b))
                OverflowError(FType, varFMTBcd);
            return b;
        }
        return IntegerToBcd(int64_t(FUInt));
    case kFloat:
    case kDate: return DoubleToBcd(FDouble);
    case kCurr: return CurrToBcd(Currency::FromRaw(FInt));
    case kStr: {
        TBcd b;
        if (!TryStrToBcd(VA::Str(*this), b))
            CastError(FType, varFMTBcd);
        return b;
    }
    case kBcd: return VA::Bcd(*this);
    case kTs: return DoubleToBcd(AsDouble());
    default:
        CastError(FType, varFMTBcd);
    }
}

TSQLTimeStamp Variant::AsSQLTimeStamp() const
{
    switch (KindOf(FType)) {
    case kTs: return VA::Ts(*this);
    case kEmpty: case kInt: case kBool: case kUInt: case kFloat: case kDate: case kCurr: case kBcd: case kStr:
        try {
            return DateTimeToSQLTimeStamp(AsDateTime());
        } catch (const EVariantTypeCastError&) {
            CastError(FType, varSQLTimeStamp);
        }
    default:
        CastError(FType, varSQLTimeStamp);
    }
}

void* Variant::AsObject() const
{
    switch (KindOf(FType)) {
    case kEmpty:
    case kNull: return nullptr;
    case kObj: return const_cast<void*>(FPtr);
    case kInt: return reinterpret_cast<void*>(static_cast<intptr_t>(FInt));
    case kUInt: return reinterpret_cast<void*>(static_cast<uintptr_t>(FUInt));
    default:
        CastError(FType, varObject);
    }
}

int32_t Variant::AsError() const
{
    if (FType != varError)
        CastError(FType, varError);
    return int32_t(FInt);
}

// ---- arrays ----

int Variant::ArrayLowBound() const
{
    if (!IsArray())
        InvalidOp();
    return VA::Arr(*this).Low;
}

int Variant::ArrayHighBound() const
{
    if (!IsArray())
        InvalidOp();
    const auto& a = VA::Arr(*this);
    return a.Low + int(a.Items.size()) - 1;
}

int Variant::ArrayCount() const
{
    if (!IsArray())
        InvalidOp();
    return int(VA::Arr(*this).Items.size());
}

Variant Variant::GetElement(int index) const
{
    if (!IsArray())
        InvalidOp();
    const auto& a = VA::Arr(*this);
    const int64_t i = int64_t(index) - a.Low;
    if (i < 0 || i >= int64_t(a.Items.size()))
        BadIndex();
    return a.Items[size_t(i)];
}

void Variant::SetElement(int index, const Variant& v)
{
    if (!IsArray())
        InvalidOp();
    {
        const auto& a = VA::Arr(*this);
        const int64_t i = int64_t(index) - a.Low;
        if (i < 0 || i >= int64_t(a.Items.size()))
            BadIndex();
    }
    // Convert before detaching, so a failed conversion leaves the array untouched.
    const TVarType et = VA::Arr(*this).ElemType;
    Variant value = et == varVariant ? v : VarAsType(v, et);
    auto& a = VA::MutableArr(*this);
    a.Items[size_t(int64_t(index) - a.Low)] = std::move(value);
}

Variant VarArrayCreate(int low, int high, TVarType elementType)
{
    if (int64_t(high) < int64_t(low) - 1)
        throw EVariantError(QStringLiteral("Error creating variant or safe array"));
    if ((elementType & ~varTypeMask) != 0 || elementType == varNull)
        throw EVariantError(QStringLiteral("Error creating variant or safe array"));
    const Variant init = elementType == varVariant ? Variant() : VarAsType(Variant(), elementType);
    Variant::ArrayData* a;
    Variant r = VA::NewArray(elementType, a);
    a->Low = low;
    a->Items.assign(size_t(int64_t(high) - low + 1), init);
    return r;
}

Variant VarArrayOf(std::initializer_list<Variant> values)
{
    Variant::ArrayData* a;
    Variant r = VA::NewArray(varVariant, a);
    a->Items.assign(values.begin(), values.end());
    return r;
}

Variant VarArrayOf(const std::vector<Variant>& values)
{
    Variant::ArrayData* a;
    Variant r = VA::NewArray(varVariant, a);
    a->Items = values;
    return r;
}

int VarArrayDimCount(const Variant& v) { return v.IsArray() ? 1 : 0; }

int VarArrayLowBound(const Variant& v, int dim)
{
    if (!v.IsArray())
        InvalidOp();
    if (dim != 1)
        BadIndex();
    return v.ArrayLowBound();
}

int VarArrayHighBound(const Variant& v, int dim)
{
    if (!v.IsArray())
        InvalidOp();
    if (dim != 1)
        BadIndex();
    return v.ArrayHighBound();
}

// ---- tests and names ----

bool VarIsNull(const Variant& v) { return v.VarType() == varNull; }
bool VarIsEmpty(const Variant& v) { return v.VarType() == varEmpty; }
bool VarIsClear(const Variant& v) { return v.VarType() == varEmpty; }
bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsStr(const Variant& v) { return KindOf(v) == kStr; }
bool VarIsOrdinal(const Variant& v)
{
    const Kind k = KindOf(v);
    return k == kInt || k == kUInt || k == kBool;
}
bool VarIsFloat(const Variant& v)
{
    const Kind k = KindOf(v);
    return k == kFloat || k == kCurr || k == kBcd;
}
bool VarIsNumeric(const Variant& v) { return VarIsOrdinal(v) || VarIsFloat(v); }
bool VarIsType(const Variant& v, TVarType t) { return v.VarType() == t; }
TVarType VarType(const Variant& v) { return v.VarType(); }
bool VarIsSQLTimeStamp(const Variant& v) { return v.VarType() == varSQLTimeStamp; }
bool VarIsFMTBcd(const Variant& v) { return v.VarType() == varFMTBcd; }

QString VarTypeAsText(TVarType t)
{
    if (t & varArray)
        return QStringLiteral("Array of ") + VarTypeAsText(TVarType(t & varTypeMask));
    switch (t) {
    case varEmpty: return QStringLiteral("Empty");
    case varNull: return QStringLiteral("Null");
    case varSmallint: return QStringLiteral("Smallint");
    case varInteger: return QStringLiteral("Integer");
    case varSingle: return QStringLiteral("Single");
    case varDouble: return QStringLiteral("Double");
    case varCurrency: return QStringLiteral("Currency");
    case varDate: return QStringLiteral("Date");
    case varOleStr: return QStringLiteral("OleStr");
    case varDispatch: return QStringLiteral("Dispatch");
    case varError: return QStringLiteral("Error");
    case varBoolean: return QStringLiteral("Boolean");
    case varVariant: return QStringLiteral("Variant");
    case varUnknown: return QStringLiteral("Unknown");
    case varShortInt: return QStringLiteral("ShortInt");
    case varByte: return QStringLiteral("Byte");
    case varWord: return QStringLiteral("Word");
    case varLongWord: return QStringLiteral("LongWord");
    case varInt64: return QStringLiteral("Int64");
    case varUInt64: return QStringLiteral("UInt64");
    case varObject: return QStringLiteral("Object");
    case varString: return QStringLiteral("String");
    case varUString: return QStringLiteral("UnicodeString");
    case varSQLTimeStamp: return QStringLiteral("SQLTimeStamp");
    case varFMTBcd: return QStringLiteral("FMTBcd");
    default: return QStringLiteral("$%1").arg(t, 4, 16, QLatin1Char('0')).toUpper();
    }
}

QString VarToStr(const Variant& v) { return v.IsNull() ? QString() : v.AsString(); }
QString VarToStrDef(const Variant& v, const QString& def) { return v.IsNull() ? def : v.AsString(); }

Variant VarAsType(const Variant& v, TVarType t)
{
    const TVarType from = v.VarType();
    if (from == t)
        return v;
    if (t == varEmpty)
        return Variant();
    if (t == varNull)
        return Variant::Null();
    if (from == varNull || v.IsArray() || (t & varArray))
        CastError(from, t);
    switch (t) {
    case varSmallint: return Variant::FromSmallint(int16_t(ToInt(v, t, INT16_MIN, INT16_MAX)));
    case varShortInt: return Variant::FromShortInt(int8_t(ToInt(v, t, INT8_MIN, INT8_MAX)));
    case varByte: return Variant::FromByte(uint8_t(ToInt(v, t, 0, UINT8_MAX)));
    case varWord: return Variant::FromWord(uint16_t(ToInt(v, t, 0, UINT16_MAX)));
    case varLongWord: return Variant(unsigned(ToInt(v, t, 0, UINT32_MAX)));
    case varInteger: return Variant(int(ToInt(v, t, INT32_MIN, INT32_MAX)));
    case varInt64: return Variant(static_cast<long long>(ToInt(v, t, INT64_MIN, INT64_MAX)));
    case varUInt64: return Variant::FromUInt64(v.AsUInt64());
    case varSingle: {
        const double d = v.AsDouble();
        if (std::isfinite(d) && std::fabs(d) > FLT_MAX)
            OverflowError(from, t);
        return Variant::FromSingle(float(d));
    }
    case varDouble: return Variant(v.AsDouble());
    case varCurrency: return Variant(v.AsCurrency());
    case varDate: return Variant::FromDate(v.AsDateTime());
    case varBoolean: return Variant(v.AsBoolean());
    case varUString: return Variant(v.AsString());
    case varOleStr: return Variant::FromOleStr(v.AsString());
    case varString: return Variant::FromString(v.AsString());
    case varFMTBcd: return Variant(v.AsBcd());
    case varSQLTimeStamp: return Variant(v.AsSQLTimeStamp());
    case varObject: return Variant::FromObject(v.AsObject());
    case varVariant: return v;
    default:
        CastError(from, t);
    }
}

Variant VarSQLTimeStampCreate(const TSQLTimeStamp& ts) { return Variant(ts); }
Variant VarSQLTimeStampCreate(TDateTime d) { return Variant(DateTimeToSQLTimeStamp(d)); }
Variant VarFMTBcdCreate(const TBcd& b) { return Variant(b); }

Variant VarFMTBcdCreate(const QString& s, int precision, int scale)
{
    TBcd normalized;
    if (!NormalizeBcd(StrToBcd(s), normalized, precision, scale))
        OverflowError(varUString, varFMTBcd);
    return Variant(normalized);
}

TBcd VarToBcd(const Variant& v) { return v.AsBcd(); }
TDateTime VarToDateTime(const Variant& v) { return v.AsDateTime(); }

Variant VarArrayFromBytes(const QByteArray& bytes)
{
    Variant::ArrayData* a;
    Variant r = VA::NewArray(varByte, a);
    a->Items.reserve(size_t(bytes.size()));
    for (char c : bytes)
        a->Items.push_back(Variant::FromByte(uint8_t(c)));
    return r;
}

QByteArray VarArrayToBytes(const Variant& v)
{
    if (v.VarType() != (varArray | varByte))
        CastError(v.VarType(), varArray | varByte);
    const auto& items = VA::Arr(v).Items;
    QByteArray bytes(qsizetype(items.size()), Qt::Uninitialized);
    for (size_t i = 0; i < items.size(); ++i)
        bytes[qsizetype(i)] = char(uint8_t(VA::Int(items[i])));
    return bytes;
}

// ---- comparison ----

namespace {

TVariantRelationship Rel(int c) { return c < 0 ? vrLessThan : c > 0 ? vrGreaterThan : vrEqual; }

TVariantRelationship RelDouble(double a, double b)
{
    if (a < b) return vrLessThan;
    if (a > b) return vrGreaterThan;
    if (a == b) return vrEqual;
    return vrNotEqual;  // NaN
}

bool IsIntLike(Kind k) { return k == kInt || k == kBool || k == kEmpty || k == kUInt; }

TVariantRelationship CompareInts(const Variant& a, const Variant& b)
{
    const Kind ka = KindOf(a), kb = KindOf(b);
    if (ka == kUInt || kb == kUInt) {
        // Unsigned against signed: a negative signed value is always the smaller one.
        auto split = [](const Variant& v, Kind k, bool& neg, uint64_t& mag) {
            if (k == kUInt) { neg = false; mag = VA::UInt(v); return; }
            const int64_t i = k == kEmpty ? 0 : VA::Int(v);
            neg = i < 0;
            mag = neg ? uint64_t(0) - uint64_t(i) : uint64_t(i);
        };
        bool na, nb;
        uint64_t ma, mb;
        split(a, ka, na, ma);
        split(b, kb, nb, mb);
        if (na != nb) return na ? vrLessThan : vrGreaterThan;
        if (ma == mb) return vrEqual;
        return (ma < mb) != na ? vrLessThan : vrGreaterThan;
    }
    const int64_t x = ka == kEmpty ? 0 : VA::Int(a);
    const int64_t y = kb == kEmpty ? 0 : VA::Int(b);
    return x < y ? vrLessThan : x > y ? vrGreaterThan : vrEqual;
}

// Money against money or integers, exactly.
__int128 CurrencyRaw128(const Variant& v, Kind k)
{
    switch (k) {
    case kCurr: return VA::Int(v);
    case kUInt: return __int128(VA::UInt(v)) * 10000;
    case kEmpty: return 0;
    default: return __int128(VA::Int(v)) * 10000;
    }
}

}  // namespace

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b)
{
    const Kind ka = KindOf(a), kb = KindOf(b);
    // Same kind of number or date: the column case, compared without conversions.
    if (ka == kb) {
        switch (ka) {
        case kInt:
        case kCurr: {
            const int64_t x = VA::Int(a), y = VA::Int(b);
            return x < y ? vrLessThan : x > y ? vrGreaterThan : vrEqual;
        }
        case kFloat:
        case kDate:
            return RelDouble(VA::Dbl(a), VA::Dbl(b));
        default:
            break;
        }
    }
    if (ka == kNull || kb == kNull)
        return ka == kb ? vrEqual : vrNotEqual;
    if (ka == kArr || kb == kArr || ka == kOther || kb == kOther)
        InvalidOp();
    if (ka == kEmpty && kb == kEmpty)
        return vrEqual;
    if ((ka == kStr || ka == kEmpty) && (kb == kStr || kb == kEmpty)) {
        const QString sa = ka == kStr ? VA::Str(a) : QString();
        const QString sb = kb == kStr ? VA::Str(b) : QString();
        if (sa == sb)
            return vrEqual;
        return Rel(AnsiCompareStr(sa, sb));
    }
    if (ka == kErr || kb == kErr) {
        if (ka != kb)
            CastError(ka == kErr ? b.VarType() : a.VarType(), varError);
        return Rel(VA::Int(a) < VA::Int(b) ? -1 : VA::Int(a) > VA::Int(b) ? 1 : 0);
    }
    if (ka == kObj || kb == kObj) {
        const auto pa = reinterpret_cast<uintptr_t>(a.AsObject());
        const auto pb = reinterpret_cast<uintptr_t>(b.AsObject());
        return pa < pb ? vrLessThan : pa > pb ? vrGreaterThan : vrEqual;
    }
    if (ka == kBcd || kb == kBcd)
        return Rel(BcdCompare(a.AsBcd(), b.AsBcd()));
    if (ka == kTs || kb == kTs || ka == kDate || kb == kDate)
        return RelDouble(a.AsDateTime(), b.AsDateTime());
    if (ka == kBool && kb == kBool)  // False sorts before True
        return Rel(int(VA::Int(a) == 0 ? 0 : 1) - int(VA::Int(b) == 0 ? 0 : 1));
    if (ka == kStr || kb == kStr) {
        const Kind other = ka == kStr ? kb : ka;
        if (other == kBool)
            return Rel(int(a.AsBoolean() ? 1 : 0) - int(b.AsBoolean() ? 1 : 0));
        if (other == kCurr) {
            const Currency x = a.AsCurrency(), y = b.AsCurrency();
            return x < y ? vrLessThan : x > y ? vrGreaterThan : vrEqual;
        }
        return RelDouble(a.AsDouble(), b.AsDouble());
    }
    if (ka == kFloat || kb == kFloat)
        return RelDouble(a.AsDouble(), b.AsDouble());
    if (ka == kCurr || kb == kCurr) {
        const __int128 x = CurrencyRaw128(a, ka), y = CurrencyRaw128(b, kb);
        return x < y ? vrLessThan : x > y ? vrGreaterThan : vrEqual;
    }
    if (IsIntLike(ka) && IsIntLike(kb))
        return CompareInts(a, b);
    CastError(b.VarType(), a.VarType());
}

bool operator==(const Variant& a, const Variant& b)
{
    const TVarType ta = a.VarType(), tb = b.VarType();
    // Fast paths for the common same-kind cases.
    if (ta == tb) {
        switch (KindOf(ta)) {
        case kEmpty:
        case kNull: return true;
        case kInt:
        case kBool:
        case kCurr: return VA::Int(a) == VA::Int(b);
        case kFloat:
        case kDate: return VA::Dbl(a) == VA::Dbl(b);
        default: break;
        }
    }
    if (ta == varNull || tb == varNull)
        return false;
    return VarCompareValue(a, b) == vrEqual;
}

bool operator<(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrLessThan; }
bool operator>(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrGreaterThan; }
bool operator<=(const Variant& a, const Variant& b)
{
    const auto r = VarCompareValue(a, b);
    return r == vrLessThan || r == vrEqual;
}
bool operator>=(const Variant& a, const Variant& b)
{
    const auto r = VarCompareValue(a, b);
    return r == vrGreaterThan || r == vrEqual;
}

bool VarSameValue(const Variant& a, const Variant& b)
{
    const Kind ka = KindOf(a), kb = KindOf(b);
    if (ka == kEmpty || ka == kNull || kb == kEmpty || kb == kNull)
        return ka == kb;
    return a == b;
}

// ---- arithmetic ----

namespace {

enum Op { opAdd, opSub, opMul, opDiv };

Variant IntResult(int64_t r, bool wide)
{
    if (!wide && r >= INT32_MIN && r <= INT32_MAX)
        return Variant(int(r));
    return Variant(static_cast<long long>(r));
}

Variant DoubleResult(double r, double x, double y)
{
    if (std::isinf(r) && std::isfinite(x) && std::isfinite(y))
        throw EOverflow(QStringLiteral("Floating point overflow"));
    return Variant(r);
}

Variant DoubleOp(Op op, double x, double y)
{
    switch (op) {
    case opAdd: return DoubleResult(x + y, x, y);
    case opSub: return DoubleResult(x - y, x, y);
    case opMul: return DoubleResult(x * y, x, y);
    case opDiv:
        if (y == 0)
            ZeroDivide();
        return DoubleResult(x / y, x, y);
    }
    return Variant();
}

[[noreturn]] void CurrencyOverflow()
{
    throw EVariantOverflowError(QStringLiteral("Arithmetic overflow occurred"));
}

Currency CurrencyFrom128(__int128 raw)
{
    if (raw > INT64_MAX || raw < INT64_MIN)
        CurrencyOverflow();
    return Currency::FromRaw(int64_t(raw));
}

// n / d rounded ties to even.
__int128 DivRound(__int128 n, __int128 d)
{
    __int128 q = n / d;
    __int128 r = n % d;
    if (r < 0) r = -r;
    __int128 ad = d < 0 ? -d : d;
    if (2 * r > ad || (2 * r == ad && (q & 1) != 0))
        q += ((n < 0) != (d < 0)) ? -1 : 1;
    return q;
}

Variant CurrencyOp(Op op, const Variant& a, Kind ka, const Variant& b, Kind kb)
{
    // Text meets money as money.
    auto raw = [](const Variant& v, Kind& k) -> __int128 {
        if (k != kStr)
            return CurrencyRaw128(v, k);
        k = kCurr;
        return v.AsCurrency().Value;
    };
    const __int128 x = raw(a, ka);
    const __int128 y = raw(b, kb);
    switch (op) {
    case opAdd: return Variant(CurrencyFrom128(x + y));
    case opSub: return Variant(CurrencyFrom128(x - y));
    case opMul:
        if (ka == kCurr && kb == kCurr)
            return Variant(CurrencyFrom128(DivRound(x * y, 10000)));
        // Money times a count: exact.
        return Variant(CurrencyFrom128(ka == kCurr ? x * (y / 10000) : (x / 10000) * y));
    case opDiv:
        if (y == 0)
            ZeroDivide();
        if (ka == kCurr && kb != kCurr)
            return Variant(CurrencyFrom128(DivRound(x, y / 10000)));
        return DoubleOp(opDiv, a.AsDouble(), b.AsDouble());
    }
    return Variant();
}

Variant IntOp(Op op, const Variant& a, Kind ka, const Variant& b, Kind kb)
{
    auto fitsInt64 = [](const Variant& v, Kind k) { return k != kUInt || VA::UInt(v) <= uint64_t(INT64_MAX); };
    if (op == opDiv || !fitsInt64(a, ka) || !fitsInt64(b, kb))
        return DoubleOp(op, a.AsDouble(), b.AsDouble());
    const int64_t x = ka == kEmpty ? 0 : VA::Int(a);
    const int64_t y = kb == kEmpty ? 0 : VA::Int(b);
    const bool wide = a.VarType() == varInt64 || b.VarType() == varInt64 || ka == kUInt || kb == kUInt;
    int64_t r;
    bool overflow = false;
    switch (op) {
    case opAdd: overflow = __builtin_add_overflow(x, y, &r); break;
    case opSub: overflow = __builtin_sub_overflow(x, y, &r); break;
    default: overflow = __builtin_mul_overflow(x, y, &r); break;
    }
    if (overflow)
        return DoubleOp(op, double(x), double(y));
    return IntResult(r, wide);
}

Variant DateOp(Op op, const Variant& a, Kind ka, const Variant& b, Kind kb)
{
    const double x = a.AsDateTime(), y = b.AsDateTime();
    const bool da = ka == kDate || ka == kTs, db = kb == kDate || kb == kTs;
    const bool toTs = ka == kTs || kb == kTs;
    auto result = [toTs](double d) {
        return toTs ? Variant(DateTimeToSQLTimeStamp(d)) : Variant::FromDate(d);
    };
    switch (op) {
    case opAdd: return result(x + y);
    case opSub: return da && db ? Variant(x - y) : result(x - y);
    default: return DoubleOp(op, x, y);
    }
}

Variant BcdOp(Op op, const Variant& a, const Variant& b)
{
    const TBcd x = a.AsBcd(), y = b.AsBcd();
    TBcd r;
    switch (op) {
    case opAdd: BcdAdd(x, y, r); break;
    case opSub: BcdSubtract(x, y, r); break;
    case opMul: BcdMultiply(x, y, r); break;
    case opDiv: BcdDivide(x, y, r); break;
    }
    return Variant(r);
}

Variant BinaryOp(Op op, const Variant& a, const Variant& b)
{
    const Kind ka = KindOf(a), kb = KindOf(b);
    if (ka == kNull || kb == kNull)
        return Variant::Null();
    if (ka == kArr || kb == kArr || ka >= kErr || kb >= kErr)
        InvalidOp();
    if (ka == kEmpty && kb == kEmpty)
        return Variant();
    if (op == opAdd && (ka == kStr || kb == kStr) && (ka == kStr || ka == kEmpty) && (kb == kStr || kb == kEmpty)) {
        const QString s = (ka == kStr ? VA::Str(a) : QString()) + (kb == kStr ? VA::Str(b) : QString());
        const TVarType t = ka == kStr ? a.VarType() : b.VarType();
        if (t == varOleStr) return Variant::FromOleStr(s);
        if (t == varString) return Variant::FromString(s);
        return Variant(s);
    }
    if (ka == kBcd || kb == kBcd)
        return BcdOp(op, a, b);
    if (ka == kTs || kb == kTs || ka == kDate || kb == kDate)
        return DateOp(op, a, ka, b, kb);
    if (ka == kFloat || kb == kFloat)
        return DoubleOp(op, a.AsDouble(), b.AsDouble());
    if (ka == kCurr || kb == kCurr)
        return CurrencyOp(op, a, ka, b, kb);
    if (ka == kStr || kb == kStr)
        return DoubleOp(op, a.AsDouble(), b.AsDouble());
    return IntOp(op, a, ka, b, kb);
}

}  // namespace

Variant operator+(const Variant& a, const Variant& b) { return BinaryOp(opAdd, a, b); }
Variant operator-(const Variant& a, const Variant& b) { return BinaryOp(opSub, a, b); }
Variant operator*(const Variant& a, const Variant& b) { return BinaryOp(opMul, a, b); }
Variant operator/(const Variant& a, const Variant& b) { return BinaryOp(opDiv, a, b); }

Variant Variant::operator-() const
{
    switch (KindOf(FType)) {
    case kEmpty:
    case kNull: return *this;
    case kInt:
    case kBool:
        if (FInt == INT64_MIN)
            return Variant(-double(FInt));
        return IntResult(-FInt, FType == varInt64);
    case kUInt:
        if (FUInt <= uint64_t(INT64_MAX))
            return Variant(static_cast<long long>(-int64_t(FUInt)));
        return Variant(-double(FUInt));
    case kFloat:
    case kDate: return VA::MakeDouble(FType, -FDouble);
    case kCurr:
        if (FInt == INT64_MIN)
            CurrencyOverflow();
        return Variant(Currency::FromRaw(-FInt));
    case kStr: return Variant(-AsDouble());
    case kBcd: {
        TBcd r;
        BcdSubtract(IntegerToBcd(0), VA::Bcd(*this), r);
        return Variant(r);
    }
    default:
        InvalidOp();
    }
}
