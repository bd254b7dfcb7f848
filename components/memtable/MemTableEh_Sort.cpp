// The in-memory table: the standing sort order, one-off sorts of the records list by fields or
// by computed values, indexes from the index definitions and the aggregates switch.
#include "MemTableEh.h"
#include "platform/rtl/Guards.h"

#include <climits>
#include <typeinfo>

namespace {
bool IsTextValue(const Variant& v)
{
    const TVarType t = v.VarType();
    return t == varString || t == varOleStr || t == varUString;
}

int CompareSortValues(const Variant& A, const Variant& B, bool CaseFold)
{
    return CompareValuesEh(A, B, CaseFold);
}

bool IsTextType(TFieldType t)
{
    return t == ftString || t == ftMemo || t == ftFmtMemo || t == ftFixedChar || t == ftWideString || t == ftOraClob
           || t == ftFixedWideChar || t == ftWideMemo;
}

// The sort keys of one order item of a large sort, prepared once per record (by the record's
// position in the records list).
struct PreparedSort {
    struct Item {
        int DataIndex = -1;
        bool Text = false;
        bool Fold = false;   // compared without case: texts folded to lower case
        bool Desc = false;
        // Rank of each record's text among the distinct texts (-1: not a text); empty when
        // the texts hardly repeat.
        std::vector<int> Ranks;
        // Otherwise, for a key without case: each record's folded text.
        std::vector<QString> Folded;
        std::vector<char> IsText;
    };
    std::vector<Item> Items;
};

// A folded text compared under the collation orders as the case-insensitive comparison.
void PrepareTextKey(PreparedSort::Item& p, const std::vector<TMemoryRecordEh*>& recs)
{
    const int count = int(recs.size());
    // texts that repeat (names of enterprises, statuses) are folded and compared once each
    QHash<QString, int> idOfText, idOfKey;
    std::vector<QString> keys;
    std::vector<int> idOf(size_t(count), -1);
    const int limit = std::max(1024, count / 4);
    bool few = true;
    for (int r = 0; r < count && few; ++r) {
        const Variant& v = recs[size_t(r)]->ValueRef(p.DataIndex);
        if (!IsTextValue(v))
            continue;
        const QString t = v.AsString();
        auto it = idOfText.constFind(t);
        if (it == idOfText.constEnd()) {
            if (idOfText.size() >= limit) {
                few = false;
                break;
            }
            const QString key = p.Fold ? AnsiLowerCase(t) : t;
            auto k = idOfKey.constFind(key);
            if (k == idOfKey.constEnd()) {
                k = idOfKey.insert(key, int(keys.size()));
                keys.push_back(key);
            }
            it = idOfText.insert(t, k.value());
        }
        idOf[size_t(r)] = it.value();
    }
    if (few) {
        std::vector<int> order(keys.size());
        for (size_t k = 0; k < order.size(); ++k)
            order[k] = int(k);
        std::sort(order.begin(), order.end(), [&](int x, int y) { return AnsiCompareStr(keys[size_t(x)], keys[size_t(y)]) < 0; });
        std::vector<int> rankOfId(keys.size());
        for (size_t k = 0; k < order.size(); ++k)
            rankOfId[size_t(order[k])] = int(k);
        p.Ranks.assign(size_t(count), -1);
        for (int r = 0; r < count; ++r)
            if (idOf[size_t(r)] >= 0)
                p.Ranks[size_t(r)] = rankOfId[size_t(idOf[size_t(r)])];
        return;
    }
    if (!p.Fold)
        return;   // compared in place under the collation
    p.Folded.resize(size_t(count));
    p.IsText.assign(size_t(count), 0);
    for (int r = 0; r < count; ++r) {
        const Variant& v = recs[size_t(r)]->ValueRef(p.DataIndex);
        if (IsTextValue(v)) {
            p.Folded[size_t(r)] = AnsiLowerCase(v.AsString());
            p.IsText[size_t(r)] = 1;
        }
    }
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
    // The view parses first: a text it rejects is not kept.
    if (Active())
        FRecordsView->SetSortOrder(Value);
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
    TRecordsListEh* rl = FMemData->RecordsList();
    FSortingValues.assign(size_t(rl->Count()), Variant::Null());
    for (int r = 0; r < rl->Count(); ++r) {
        TMemoryRecordEh* rec = rl->Rec(r);
        TMTRecBuf* b = Buf(AllocRecordBuffer());
        FInstantBuffers.push_back(b);
        FInstantReadMode = true;
        FillBufferFromRecord(b, rec, -1);
        auto undo = OnFailure([this] { FSortingValues.clear(); });
        auto leave = Finally([this] { InstantReadLeave(); });
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
    }
    FGetOrderVarValueProc = OrderValueProc;
    auto values = Finally([this] {
        FGetOrderVarValueProc = nullptr;
        FSortingValues.clear();
    });
    SortRecords(list.get());
}

void TCustomMemTableEh::SortRecords(TOrderByList* OrderList)
{
    if (!Active() || ViewRowCount() == 0)
        return;
    CheckBrowseMode();
    if (FInstantReadMode)
        throw Exception(QStringLiteral("Sort data in InstantReadMode is not allowed."));
    FFilterError = nullptr;
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
        TRecordsListEh* rl = FMemData->RecordsList();
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
                auto leave = OnFailure([this] { InstantReadLeave(); });
                GetCalcFields(reinterpret_cast<TRecordBuffer>(b));
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
            for (TMemoryRecordEh* rec : FRecordsView->MemoryViewList())
                readOne(rec, FRecordsView->FindRowItem(rec));
        for (int r = 0; r < rl->Count(); ++r)
            if (!done[size_t(r)])
                readOne(rl->Rec(r), nullptr);
        FGetOrderVarValueProc = [](Variant&, int) {};
    }
    // Plain keys of a large list: every text key is prepared once (texts that repeat get their
    // rank among the distinct texts; without case each text is folded once), then the sort
    // compares prepared keys.
    std::unique_ptr<PreparedSort> prepared;
    TRecordsListEh* list = FMemData->RecordsList();
    if (!computed && !FGetOrderVarValueProc && ml && !FRecordsView->ViewAsTreeList() && list->Count() >= 512
        && OwnRecordComparison()) {
        prepared = std::make_unique<PreparedSort>();
        const std::vector<TMemoryRecordEh*>& recs = list->Records();
        for (int i = 0; i < ml->Count(); ++i) {
            TOrderByItemEh* it = ml->GetItem(i);
            TField* f = Fields()->Fields(it->FieldIndex);
            PreparedSort::Item p;
            p.DataIndex = f->FieldNo() - 1;
            p.Desc = it->Desc;
            p.Text = IsTextType(f->DataType());
            p.Fold = p.Text && it->CaseIns;
            if (p.Text)
                PrepareTextKey(p, recs);
            prepared->Items.push_back(std::move(p));
        }
    }
    {
        auto values = Finally([&] {
            if (computed) {
                FGetOrderVarValueProc = nullptr;
                FSortingValues.clear();
            }
        });
        if (prepared) {
            // Sort positions over the prepared keys, then write the order back as the records
            // list's own sort does (positions renumbered, one list-changed notice).
            const std::vector<TMemoryRecordEh*> recs = list->Records();
            const int count = int(recs.size());
            std::vector<int> pos(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i)
                pos[size_t(i)] = i;
            const std::vector<PreparedSort::Item>& items = prepared->Items;
            std::sort(pos.begin(), pos.end(), [&](int x, int y) {
                for (const PreparedSort::Item& p : items) {
                    int c;
                    const int rx = p.Ranks.empty() ? -1 : p.Ranks[size_t(x)];
                    const int ry = p.Ranks.empty() ? -1 : p.Ranks[size_t(y)];
                    if (rx >= 0 && ry >= 0)
                        c = rx < ry ? -1 : (rx > ry ? 1 : 0);
                    else if (!p.Folded.empty() && p.IsText[size_t(x)] && p.IsText[size_t(y)])
                        c = AnsiCompareStr(p.Folded[size_t(x)], p.Folded[size_t(y)]);
                    else
                        c = CompareSortValues(recs[size_t(x)]->ValueRef(p.DataIndex), recs[size_t(y)]->ValueRef(p.DataIndex), false);
                    if (c != 0)
                        return p.Desc ? c > 0 : c < 0;
                }
                return x < y;   // ties keep the previous order
            });
            prepared.reset();
            std::vector<TMemoryRecordEh*> sorted(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i)
                sorted[size_t(i)] = recs[size_t(pos[size_t(i)])];
            list->AssignOrder(sorted);
            list->Notify(nullptr, -1, rlnListChangedEh);
        } else if (FRecordsView->ViewAsTreeList())
            FRecordsView->MemoryTreeList()->SortData(
                TCompareNodesEh(this, &TCustomMemTableEh::CompareTreeNodes), OrderList, true);
        else
            FMemData->RecordsList()->SortData(TCompareRecords(this, &TCustomMemTableEh::CompareRecords),
                                                         OrderList);
    }
    ClearBuffers();
    FRecordPos = -1;
    TDataSet::Resync({});
    RaiseFilterError();
}


bool TCustomMemTableEh::OwnRecordComparison() const
{
    const std::type_info& t = typeid(*this);
    return t == typeid(TMemTableEh) || t == typeid(TCustomMemTableEh);
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
        } else if (di >= 0 && di < FMemData->DataStruct()->Count()) {
            text = IsTextType(FMemData->DataStruct()->DataFields(di)->DataType());
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
    TMTIndexesEh* idx = FMemData->RecordsList()->Indexes();
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
    auto resync = Finally([this] {
        for (const auto& [f, a] : FAggFields)
            static_cast<TAggregateField*>(f)->SetResultType(a->DataType());
        if (Active() && !FAggFields.empty()) {
            UpdateCursorPos();
            Resync({});
        }
    });
    FRecordsView->Aggregates()->SetActive(Value);
}
