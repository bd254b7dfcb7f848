// The one ordering and equality of values. Every dataset, index, sort, locate and grouping
// comes here, so the same rows order alike whatever dataset holds them.
#include "VarOrder.h"

namespace {

// Kinds in the order in which values of different kinds sort against each other.
enum Kind { kNull = 0, kNumber = 1, kText = 2, kArray = 3, kOther = 4 };

Kind KindOf(TVarType t)
{
    if (t & varArray)
        return kArray;
    switch (t) {
    case varEmpty: case varNull:
        return kNull;
    case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency: case varDate:
    case varBoolean: case varShortInt: case varByte: case varWord: case varLongWord: case varInt64:
    case varUInt64: case varFMTBcd: case varSQLTimeStamp:
        return kNumber;
    case varOleStr: case varString: case varUString:
        return kText;
    default:
        return kOther;
    }
}

bool IsIntegerType(TVarType t)
{
    switch (t) {
    case varSmallint: case varInteger: case varBoolean: case varShortInt: case varByte: case varWord:
    case varLongWord: case varInt64:
        return true;
    default:
        return false;
    }
}

template <typename T> int Sign(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

int FromRelation(TVariantRelationship r)
{
    return r == vrLessThan ? -1 : r == vrGreaterThan ? 1 : 0;
}

TVariantRelationship ToRelation(int c)
{
    return c < 0 ? vrLessThan : c > 0 ? vrGreaterThan : vrEqual;
}

int CompareNumbers(const Variant& a, const Variant& b)
{
    const TVarType ta = a.VarType(), tb = b.VarType();
    if (ta == tb) {
        if (ta == varCurrency)
            return Sign(a.AsCurrency().Value, b.AsCurrency().Value);
        if (ta == varDouble || ta == varDate || ta == varSingle) {
            const double x = a.AsDouble(), y = b.AsDouble();
            if (x == x && y == y)
                return Sign(x, y);
        }
    }
    if (IsIntegerType(ta) && IsIntegerType(tb))
        return Sign(a.AsInt64(), b.AsInt64());
    if (ta == varFMTBcd || tb == varFMTBcd || ta == varSQLTimeStamp || tb == varSQLTimeStamp
        || ta == varCurrency || tb == varCurrency || ta == varUInt64 || tb == varUInt64) {
        try {
            const TVariantRelationship r = VarCompareValue(a, b);
            if (r != vrNotEqual)
                return FromRelation(r);
        } catch (const Exception&) {
        }
        if (ta != tb)
            return Sign(ta, tb);
    }
    const double x = a.AsDouble(), y = b.AsDouble();
    // NaN sorts after every number so the order stays total.
    const bool nx = x != x, ny = y != y;
    if (nx || ny)
        return Sign(int(nx), int(ny));
    return Sign(x, y);
}

bool SameArrayShape(const Variant& a, const Variant& b)
{
    return VarArrayDimCount(a) == VarArrayDimCount(b)
        && VarArrayLowBound(a, 1) == VarArrayLowBound(b, 1)
        && VarArrayHighBound(a, 1) == VarArrayHighBound(b, 1);
}

// The platform's relation of two single values, Null first.
TVariantRelationship ConvertingScalars(const Variant& a, const Variant& b, TVarCollation collation)
{
    const bool na = a.IsNull(), nb = b.IsNull();
    if (na && nb)
        return vrEqual;
    if (na)
        return vrLessThan;
    if (nb)
        return vrGreaterThan;
    if (collation != vcLocale && VarIsStr(a) && VarIsStr(b))
        return ToRelation(CompareTextAs(a.AsString(), b.AsString(), collation));
    return VarCompareValue(a, b);
}

TVariantRelationship ConvertingRelation(const Variant& a, const Variant& b, const TVarOrderOptions& o)
{
    const bool aa = a.IsArray(), ba = b.IsArray();
    if (aa != ba)
        return vrNotEqual;
    if (aa && SameArrayShape(a, b)) {
        const int low = a.ArrayLowBound(), high = a.ArrayHighBound();
        if (high < low)
            return vrNotEqual;
        for (int i = low; i <= high; ++i) {
            const TVariantRelationship r = ConvertingScalars(a.GetElement(i), b.GetElement(i), o.Collation);
            if (r != vrEqual)
                return r;
        }
        return vrEqual;
    }
    if (o.EmptyApart && a.IsEmpty() != b.IsEmpty())
        return vrNotEqual;
    return ConvertingScalars(a, b, o.Collation);
}

}  // namespace

int CompareTextAs(const QString& a, const QString& b, TVarCollation collation)
{
    int r;
    switch (collation) {
    case vcOrdinal: r = CompareStr(a, b); break;
    case vcLocaleNoCase: r = AnsiCompareText(a, b); break;
    default: r = AnsiCompareStr(a, b); break;
    }
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int VarOrder(const Variant& a, const Variant& b, TVarCollation collation)
{
    const Kind ka = KindOf(a.VarType()), kb = KindOf(b.VarType());
    if (ka != kb)
        return ka < kb ? -1 : 1;
    switch (ka) {
    case kNull:
        return 0;
    case kNumber:
        return CompareNumbers(a, b);
    case kText:
        return CompareTextAs(a.AsString(), b.AsString(), collation);
    case kArray: {
        const int na = a.ArrayCount(), nb = b.ArrayCount();
        const int la = a.ArrayLowBound(), lb = b.ArrayLowBound();
        for (int i = 0; i < na && i < nb; ++i) {
            const int r = VarOrder(a.GetElement(la + i), b.GetElement(lb + i), collation);
            if (r != 0)
                return r;
        }
        return Sign(na, nb);
    }
    default: {
        if (a.VarType() != b.VarType())
            return Sign(a.VarType(), b.VarType());
        if (a.VarType() == varObject)
            return Sign(reinterpret_cast<uintptr_t>(a.AsObject()), reinterpret_cast<uintptr_t>(b.AsObject()));
        return Sign(a.AsInt64(), b.AsInt64());
    }
    }
}

TVariantRelationship VarOrderRelation(const Variant& a, const Variant& b, const TVarOrderOptions& options)
{
    if (options.ConvertKinds)
        return ConvertingRelation(a, b, options);
    return ToRelation(VarOrder(a, b, options.Collation));
}

bool VarOrderEquals(const Variant& a, const Variant& b, const TVarOrderOptions& options)
{
    if (!options.ConvertKinds)
        return VarOrder(a, b, options.Collation) == 0;
    try {
        return ConvertingRelation(a, b, options) == vrEqual;
    } catch (...) {
        return false;
    }
}
