// The in-memory table: the standing sort order, one-off sorts of the records list by fields or
// by computed values, indexes from the index definitions and the aggregates switch.
#include "MemTableEh.h"

#include <climits>

namespace {
bool IsTextType(TFieldType t)
{
    return t == ftString || t == ftMemo || t == ftFmtMemo || t == ftFixedChar || t == ftWideString || t == ftOraClob
           || t == ftFixedWideChar || t == ftWideMemo;
}
}

int TMTOrderByList::GetFieldIndex(const QString& FieldName)
{
    TField* f = FTable->FindField(FieldName);
    return f ? f->Index() : -1;
}

void TCustomMemTableEh::SetSortOrder(const QString& Value)
{
    if (Value == FSortOrder)
        return;
    FSortOrder = Value;
    ApplySortOrder();
}

void TCustomMemTableEh::ApplySortOrder()
{
    FRecordsView->SetSortOrder(Active() ? FSortOrder : QString());
    if (Active()) {
        CursorPosChanged();
        UpdateCursorPos();
        TDataSet::Resync({});
    }
}

TOrderByList* TCustomMemTableEh::ParseOrderByText(const QString& Exp)
{
    auto list = std::make_unique<TMTOrderByList>(this);
    if (!Exp.trimmed().isEmpty())
        list->ParseOrderByStr(Exp);
    const bool ci = FilterOptions().Contains(foCaseInsensitive);
    for (int i = 0; i < list->Count(); ++i) {
        TOrderByItemEh* it = list->GetItem(i);
        it->CaseIns = ci;
        it->MTFieldIndex = 0;
        it->ExtObjIndex = 0;
    }
    return list.release();
}

TOrderByList* TCustomMemTableEh::ViewParseOrderBy(const QString& Text)
{
    return ParseOrderByText(Text);
}

void TCustomMemTableEh::SortByOrderText(const QString& OrderByStr)
{
    if (OrderByStr.isEmpty() || !Active())
        return;
    std::unique_ptr<TOrderByList> list(ParseOrderByText(OrderByStr));
    SortRecords(list.get());
}

void TCustomMemTableEh::SortWithExternalProc(const TGetOrderVarValueProcEh& OrderValueProc,
                                             const std::vector<bool>& DescDirections)
{
    const int n = int(DescDirections.size());
    auto list = std::make_unique<TMTOrderByList>(this);
    for (int i = 0; i < n; ++i) {
        auto* it = new TOrderByItemEh;
        it->FieldIndex = -1;
        it->Desc = DescDirections[size_t(i)];
        it->CaseIns = FilterOptions().Contains(foCaseInsensitive);
        it->ExtObjIndex = i;
        list->Add(it);
    }
    TRecordsListEh* rl = FInternMemTableData->RecordsList();
    FSortingValues.assign(size_t(rl->Count()), Variant::Null());
    for (int r = 0; r < rl->Count(); ++r) {
        TMemoryRecordEh* rec = rl->Rec(r);
        TMTRecBuf* b = Buf(AllocRecordBuffer());
        FInstantBuffers.push_back(b);
        FInstantReadMode = true;
        FillBufferFromRecord(b, rec, -1);
        try {
            if (n < 2) {
                Variant v = Variant::Null();
                OrderValueProc(v, 0);
                FSortingValues[size_t(r)] = v;
            } else {
                std::vector<Variant> vals(static_cast<size_t>(n));
                for (int k = 0; k < n; ++k) {
                    Variant v = Variant::Null();
                    OrderValueProc(v, k);
                    vals[size_t(k)] = v;
                }
                FSortingValues[size_t(r)] = VarArrayOf(vals);
            }
        } catch (...) {
            InstantReadLeave();
            FSortingValues.clear();
            throw;
        }
        InstantReadLeave();
    }
    FGetOrderVarValueProc = OrderValueProc;
    try {
        SortRecords(list.get());
    } catch (...) {
        FGetOrderVarValueProc = nullptr;
        FSortingValues.clear();
        throw;
    }
    FGetOrderVarValueProc = nullptr;
    FSortingValues.clear();
}

void TCustomMemTableEh::SortRecords(TOrderByList* OrderList)
{
    if (!Active() || ViewRowCount() == 0)
        return;
    CheckBrowseMode();
    if (FInstantReadMode)
        throw Exception(QStringLiteral("Sort data in InstantReadMode is not allowed."));
    // Keys that are not stored values (calculated fields) are read once per record before the
    // sort, not once per comparison.
    bool computed = false;
    auto* ml = dynamic_cast<TMTOrderByList*>(OrderList);
    if (!FGetOrderVarValueProc && ml) {
        for (int i = 0; i < ml->Count(); ++i) {
            const int fi = ml->GetItem(i)->FieldIndex;
            if (fi < 0 || fi >= FieldCount() || !Fields()->Fields(fi)->IsDataField()
                || Fields()->Fields(fi)->FieldNo() < 1)
                computed = true;
        }
    }
    if (computed) {
        TRecordsListEh* rl = FInternMemTableData->RecordsList();
        FSortingValues.assign(size_t(rl->Count()), Variant::Null());
        const int n = ml->Count();
        std::vector<char> done(size_t(rl->Count()), 0);
        auto readOne = [&](TMemoryRecordEh* rec, TMemRecViewEh* node) {
            TMTRecBuf* b = Buf(AllocRecordBuffer());
            FInstantBuffers.push_back(b);
            FInstantReadMode = true;
            FillBufferFromRecord(b, rec, -1);
            b->RecView = node;
            if (!node && CalcFieldsCount() > 0) {
                // a record the view does not show: compute its calculated values in the buffer
                b->UseMemRec = true;
                b->NeedUpdateCalcFields = true;
                try {
                    GetCalcFields(reinterpret_cast<TRecordBuffer>(b));
                } catch (...) {
                    InstantReadLeave();
                    throw;
                }
            }
            std::vector<Variant> vals(static_cast<size_t>(n));
            for (int k = 0; k < n; ++k) {
                const int fi = ml->GetItem(k)->FieldIndex;
                Variant v;
                if (fi >= 0 && fi < FieldCount())
                    Fields()->Fields(fi)->GetData(v);
                vals[size_t(k)] = v;
            }
            InstantReadLeave();
            FSortingValues[size_t(rec->Index())] = n == 1 ? vals[0] : VarArrayOf(vals);
            done[size_t(rec->Index())] = 1;
        };
        if (!FRecordsView->ViewAsTreeList())
            for (TMemRecViewEh* node : FRecordsView->MemoryViewList())
                readOne(node->Rec(), node);
        for (int r = 0; r < rl->Count(); ++r)
            if (!done[size_t(r)])
                readOne(rl->Rec(r), nullptr);
        FGetOrderVarValueProc = [](Variant&, int) {};
    }
    try {
        if (FRecordsView->ViewAsTreeList())
            FRecordsView->MemoryTreeList()->SortData(
                TCompareNodesEh(this, &TCustomMemTableEh::CompareTreeNodes), OrderList, true);
        else
            FInternMemTableData->RecordsList()->SortData(TCompareRecords(this, &TCustomMemTableEh::CompareRecords),
                                                         OrderList);
    } catch (...) {
        if (computed) {
            FGetOrderVarValueProc = nullptr;
            FSortingValues.clear();
        }
        throw;
    }
    if (computed) {
        FGetOrderVarValueProc = nullptr;
        FSortingValues.clear();
    }
    ClearBuffers();
    FRecordPos = -1;
    TDataSet::Resync({});
}

namespace {
int CompareSortValues(const Variant& A, const Variant& B, bool CaseFold)
{
    return CompareValuesEh(A, B, CaseFold);
}
}

int TCustomMemTableEh::CompareRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TObject* ParamSort)
{
    auto* list = dynamic_cast<TOrderByList*>(ParamSort);
    if (!list || list->Count() == 0 || FieldCount() == 0)
        return Rec1->Index() - Rec2->Index();
    auto* ml = dynamic_cast<TMTOrderByList*>(list);
    if (!ml)
        return CompareRecordsByOrderEh(Rec1, Rec2, list);
    const int n = ml->Count();
    if (FGetOrderVarValueProc) {
        const Variant& a = FSortingValues[size_t(Rec1->Index())];
        const Variant& b = FSortingValues[size_t(Rec2->Index())];
        for (int k = 0; k < n; ++k) {
            TOrderByItemEh* it = ml->GetItem(k);
            const Variant va = n == 1 ? a : (a.IsArray() ? a.GetElement(a.ArrayLowBound() + k) : Variant());
            const Variant vb = n == 1 ? b : (b.IsArray() ? b.GetElement(b.ArrayLowBound() + k) : Variant());
            bool fold = false;
            if (it->CaseIns) {
                const int fi = it->FieldIndex;
                fold = fi < 0 || (fi < FieldCount() && IsTextType(Fields()->Fields(fi)->DataType()));
            }
            int c = CompareSortValues(va, vb, fold);
            if (it->Desc)
                c = -c;
            if (c != 0)
                return c;
        }
        return Rec1->Index() - Rec2->Index();
    }
    for (int k = 0; k < n; ++k) {
        TOrderByItemEh* it = ml->GetItem(k);
        int di = it->MTFieldIndex;
        bool text = false;
        if (it->FieldIndex >= 0 && it->FieldIndex < FieldCount() && Active()) {
            TField* f = Fields()->Fields(it->FieldIndex);
            di = f->FieldNo() - 1;
            text = IsTextType(f->DataType());
        } else if (di >= 0 && di < FInternMemTableData->DataStruct()->Count()) {
            text = IsTextType(FInternMemTableData->DataStruct()->DataFields(di)->DataType());
        }
        if (di < 0)
            continue;
        int c = CompareSortValues(Rec1->ValueRef(di), Rec2->ValueRef(di), it->CaseIns && text);
        if (it->Desc)
            c = -c;
        if (c != 0)
            return c;
    }
    return Rec1->Index() - Rec2->Index();
}

int TCustomMemTableEh::CompareTreeNodes(TBaseTreeNodeEh* Node1, TBaseTreeNodeEh* Node2, TObject* ParamSort)
{
    return CompareRecords(static_cast<TMemRecViewEh*>(Node1)->Rec(), static_cast<TMemRecViewEh*>(Node2)->Rec(),
                          ParamSort);
}

void TCustomMemTableEh::CreateIndexesFromDefs()
{
    if (!FIndexDefs || FIndexDefs->Count() == 0)
        return;
    TMTIndexesEh* idx = FInternMemTableData->RecordsList()->Indexes();
    for (int i = 0; i < FIndexDefs->Count(); ++i) {
        TIndexDef* d = FIndexDefs->Items(i);
        TMTIndexEh* existing = idx->GetIndexForFields(d->Fields);
        TMTIndexEh* x = existing ? existing : idx->Add();
        if (!existing)
            x->SetFields(d->Fields);
        x->SetUnical(d->Options.Contains(ixUnique));
        x->SetPrimary(d->Options.Contains(ixPrimary));
        x->SetActive(true);
    }
}

bool TCustomMemTableEh::AggregatesActive() const
{
    return FRecordsView->Aggregates()->Active();
}

void TCustomMemTableEh::SetAggregatesActive(bool Value)
{
    if (Value == AggregatesActive())
        return;
    FRecordsView->Aggregates()->SetActive(Value);
    if (Active()) {
        UpdateCursorPos();
        Resync({});
    }
}
