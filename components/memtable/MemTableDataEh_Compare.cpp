// The one value ordering of the store: sorting views, ordering tree siblings and indexes all
// go through it, so a record found by an index sorts where the view puts it.
#include "MemTableDataEh.h"

int CompareValuesEh(const Variant& A, const Variant& B, bool CaseFold)
{
    return VarOrder(A, B, CaseFold ? vcLocaleNoCase : vcLocale);
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
