// The one value ordering of the store: sorting views, ordering tree siblings and indexes all
// go through it, so a record found by an index sorts where the view puts it.
#include "MemTableDataEh.h"

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
    if (ta == varFMTBcd || tb == varFMTBcd || ta == varSQLTimeStamp || tb == varSQLTimeStamp) {
        try {
            switch (VarCompareValue(a, b)) {
            case vrEqual: return 0;
            case vrLessThan: return -1;
            case vrGreaterThan: return 1;
            default: break;
            }
        } catch (const Exception&) {
        }
        return Sign(ta, tb);
    }
    const double x = a.AsDouble(), y = b.AsDouble();
    // NaN sorts after every number so the order stays total.
    const bool nx = x != x, ny = y != y;
    if (nx || ny)
        return Sign(int(nx), int(ny));
    return Sign(x, y);
}

} // namespace

int CompareValuesEh(const Variant& A, const Variant& B, bool CaseFold)
{
    const Kind ka = KindOf(A.VarType()), kb = KindOf(B.VarType());
    if (ka != kb)
        return ka < kb ? -1 : 1;
    switch (ka) {
    case kNull:
        return 0;
    case kNumber:
        return CompareNumbers(A, B);
    case kText: {
        const QString sa = A.AsString(), sb = B.AsString();
        const int r = CaseFold ? AnsiCompareText(sa, sb) : AnsiCompareStr(sa, sb);
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    case kArray: {
        const int na = A.ArrayCount(), nb = B.ArrayCount();
        const int la = A.ArrayLowBound(), lb = B.ArrayLowBound();
        for (int i = 0; i < na && i < nb; ++i) {
            const int r = CompareValuesEh(A.GetElement(la + i), B.GetElement(lb + i), CaseFold);
            if (r != 0)
                return r;
        }
        return Sign(na, nb);
    }
    default: {
        if (A.VarType() != B.VarType())
            return Sign(A.VarType(), B.VarType());
        if (A.VarType() == varObject)
            return Sign(reinterpret_cast<uintptr_t>(A.AsObject()), reinterpret_cast<uintptr_t>(B.AsObject()));
        return Sign(A.AsInt64(), B.AsInt64());
    }
    }
}

int CompareRecordsByOrderEh(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TOrderByList* OrderBy)
{
    if (OrderBy) {
        const int n = OrderBy->Count();
        for (int i = 0; i < n; ++i) {
            const TOrderByItemEh* item = OrderBy->GetItem(i);
            const size_t f = size_t(item->MTFieldIndex);
            // A key that names no slot (the structure changed under the order) reads as Null.
            static const Variant null = Variant::Null();
            const Variant& a = f < Rec1->Data().size() ? Rec1->ValueRef(int(f)) : null;
            const Variant& b = f < Rec2->Data().size() ? Rec2->ValueRef(int(f)) : null;
            int r = CompareValuesEh(a, b, item->CaseIns);
            if (r != 0)
                return item->Desc ? -r : r;
        }
    }
    return Rec1->Index() - Rec2->Index();
}
