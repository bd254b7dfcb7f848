// The distinct values of one field of the in-memory table, kept up as records change.
#include "MemTableEh.h"

#include "platform/rtl/Guards.h"

#include <QHash>

#include <algorithm>

namespace {

// The types whose values a value list shows; the others (blobs, cursors, object kinds) give
// an empty list.
bool ListableType(TFieldType t)
{
    switch (t) {
    case ftUnknown: case ftString: case ftSmallint: case ftInteger: case ftWord: case ftBoolean: case ftFloat:
    case ftCurrency: case ftBCD: case ftDate: case ftTime: case ftDateTime: case ftBytes: case ftVarBytes:
    case ftAutoInc: case ftMemo: case ftFmtMemo: case ftFixedChar: case ftWideString: case ftLargeint: case ftADT:
    case ftOraClob: case ftInterface: case ftIDispatch: case ftGuid: case ftTimeStamp: case ftFMTBcd:
    case ftFixedWideChar: case ftWideMemo: case ftOraTimeStamp: case ftOraInterval: case ftLongWord:
    case ftShortint: case ftByte: case ftExtended:
        return true;
    default:
        return false;
    }
}

bool TextType(TFieldType t)
{
    return t == ftString || t == ftWideString;
}

// A sorted list filled in order by its owner, which knows the texts are sorted and distinct.
class TCountedStringsEh : public TStringList {
public:
    void AppendInOrder(const QString& s) { InsertItem(Count(), s, nullptr); }
};

}  // namespace

TMemTableDataFieldValueListEh::TMemTableDataFieldValueListEh(TCustomMemTableEh* ADataSet) : FDataSet(ADataSet)
{
    FValues = new TCountedStringsEh;
    FValues->SetDuplicates(dupIgnore);
    FNotificator = CreateUnique<TRecordsListNotificatorEh>(nullptr);
    FNotificator->OnDataEvent = TRecordsListNotificatorDataEventEh(this, &TMemTableDataFieldValueListEh::DataEvent);
}

TMemTableDataFieldValueListEh::~TMemTableDataFieldValueListEh()
{
    FNotificator.reset();
    FFilterExpr.reset();
    delete FValues;
}

void TMemTableDataFieldValueListEh::Invalidate()
{
    FDataObsoleted = true;
    FPending.clear();
}

TComponent* TMemTableDataFieldValueListEh::DataObject() const
{
    return FNotificator->DataObject();
}

void TMemTableDataFieldValueListEh::SetDataObject(TComponent* Value)
{
    FNotificator->SetDataObject(Value);
    Invalidate();
}

void TMemTableDataFieldValueListEh::SetFieldName(const QString& Value)
{
    if (Value == FFieldName)
        return;
    Invalidate();
    FFieldName = Value;
    RefreshValues();
}

void TMemTableDataFieldValueListEh::SetFilter(const QString& Filter)
{
    if (Filter == FFilter)
        return;
    std::unique_ptr<TDataSetExprParserEh> expr;
    if (!Filter.isEmpty()) {
        expr = std::make_unique<TDataSetExprParserEh>(FDataSet, dsptFilterEh);
        if (TMemTableDataEh* store = FNotificator->MemTableData())
            expr->DataStruct = store->DataStruct();
        expr->ParseExpression(Filter);
    }
    FFilterExpr = std::move(expr);
    FFilter = Filter;
    Invalidate();
}

bool TMemTableDataFieldValueListEh::CaseInsensitive() const
{
    return FDataSet && FDataSet->FilterOptions().Contains(foCaseInsensitive);
}

TStrings* TMemTableDataFieldValueListEh::GetValues()
{
    if (FTextField && CaseInsensitive() != FBuiltCaseInsensitive)
        Invalidate();
    if (FDataObsoleted)
        RefreshValues();
    else if (FKeysChanged)
        LoadKeyTexts();
    return FValues;
}

// ---------------------------------------------------------------- building

void TMemTableDataFieldValueListEh::RefreshValues()
{
    FPending.clear();
    FTextCounts.clear();
    FKeys.clear();
    FKeysChanged = false;
    FFieldIndex = -1;
    FTextField = false;
    {
        TUpdateGuard update(FValues);
        FValues->SetSorted(false);
        FValues->Clear();
    }
    if (auto* store = dynamic_cast<TMemTableDataEh*>(DataObject()))
        RefreshFromStore(store);
    else if (auto* view = dynamic_cast<TRecordsViewEh*>(DataObject()))
        RefreshFromView(view);
    FDataObsoleted = false;
}

void TMemTableDataFieldValueListEh::RefreshFromStore(TMemTableDataEh* Store)
{
    TMTDataFieldEh* df = Store->DataStruct()->FindField(FFieldName);
    if (!df || !ListableType(df->DataType()))
        return;
    FFieldIndex = df->Index();
    FTextField = TextType(df->DataType());
    const std::vector<TMemoryRecordEh*>& recs = Store->RecordsList()->Records();
    const auto passes = [this](TMemoryRecordEh* r) {
        return r->UpdateStatus() != usDeleted && (!FFilterExpr || !FFilterExpr->HasData() || FFilterExpr->IsCurRecordInFilter(r));
    };
    if (FTextField) {
        // Exact repeats are counted in a hash first, so the collation only sorts distinct texts.
        QHash<QString, int> counts;
        std::vector<QString> order;
        for (TMemoryRecordEh* r : recs) {
            if (!passes(r))
                continue;
            const Variant& v = r->ValueRef(FFieldIndex);
            const QString text = v.IsNull() || v.IsEmpty() ? QString() : VarToStr(v);
            auto it = counts.find(text);
            if (it == counts.end()) {
                counts.insert(text, 1);
                order.push_back(text);
            } else {
                ++*it;
            }
        }
        FBuiltCaseInsensitive = CaseInsensitive();
        FValues->SetCaseSensitive(!FBuiltCaseInsensitive);
        const bool ci = FBuiltCaseInsensitive;
        const auto cmp = [ci](const QString& a, const QString& b) { return ci ? AnsiCompareText(a, b) : AnsiCompareStr(a, b); };
        std::stable_sort(order.begin(), order.end(), [&](const QString& a, const QString& b) { return cmp(a, b) < 0; });
        TUpdateGuard update(FValues);
        FValues->SetSorted(true);
        FValues->SetCapacity(int(order.size()));
        auto* list = static_cast<TCountedStringsEh*>(FValues);
        for (const QString& s : order) {
            const int n = counts.value(s);
            if (list->Count() > 0 && cmp(list->Strings(list->Count() - 1), s) == 0) {
                FTextCounts.back() += n;   // spellings equal under the collation are one line
                continue;
            }
            list->AppendInOrder(s);
            FTextCounts.push_back(n);
        }
        return;
    }
    // Values copied side by side sort much faster than through pointers into the records.
    std::vector<Variant> values;
    values.reserve(recs.size());
    for (TMemoryRecordEh* r : recs)
        if (passes(r) && !r->ValueRef(FFieldIndex).IsNull() && !r->ValueRef(FFieldIndex).IsEmpty())
            values.push_back(r->ValueRef(FFieldIndex));
    std::sort(values.begin(), values.end(), [](const Variant& a, const Variant& b) { return CompareValuesEh(a, b) < 0; });
    for (Variant& v : values) {
        if (!FKeys.empty() && CompareValuesEh(FKeys.back().first, v) == 0)
            ++FKeys.back().second;
        else
            FKeys.emplace_back(std::move(v), 1);
    }
    LoadKeyTexts();
}

// Values in order; neighbours that read the same appear once.
void TMemTableDataFieldValueListEh::LoadKeyTexts()
{
    TUpdateGuard update(FValues);
    FValues->SetSorted(false);
    FValues->Clear();
    FValues->SetCapacity(int(FKeys.size()));
    QString last;
    for (const auto& k : FKeys) {
        QString text = VarToStr(k.first);
        if (text == last)
            continue;
        FValues->Add(text);
        last = std::move(text);
    }
    FKeysChanged = false;
}

void TMemTableDataFieldValueListEh::RefreshFromView(TRecordsViewEh* View)
{
    TMemTableDataEh* store = View->MemTableData();
    TMTDataFieldEh* df = store ? store->DataStruct()->FindField(FFieldName) : nullptr;
    if (!df)
        return;
    const int fi = df->Index();
    std::vector<QString> texts;
    const int n = View->ViewItemsCount();
    texts.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        texts.push_back(VarToStr(View->GetViewRecord(i)->ValueRef(fi)));
    std::stable_sort(texts.begin(), texts.end(), [](const QString& a, const QString& b) { return AnsiCompareStr(a, b) < 0; });
    TUpdateGuard update(FValues);
    for (size_t i = 0; i < texts.size(); ++i)
        if (i == 0 || texts[i] != texts[i - 1])
            FValues->Add(texts[i]);
}

// ---------------------------------------------------------------- following the records

TMemTableDataFieldValueListEh::Share TMemTableDataFieldValueListEh::ShareOf(TMemoryRecordEh* Rec, TDataValueVersionEh Version)
{
    Share s;
    if (!Rec || FFieldIndex < 0 || Rec->UpdateStatus() == usDeleted)
        return s;
    if (FFilterExpr && FFilterExpr->HasData() && !FFilterExpr->IsCurRecordInFilter(Rec))
        return s;
    const Variant v = Rec->GetDataValue(FFieldIndex, Version);
    if (FTextField) {
        s.Counted = true;
        s.Text = v.IsNull() || v.IsEmpty() ? QString() : VarToStr(v);
    } else if (!v.IsNull() && !v.IsEmpty()) {
        s.Counted = true;
        s.Key = v;
    }
    return s;
}

void TMemTableDataFieldValueListEh::AddShare(const Share& S)
{
    if (!S.Counted)
        return;
    if (FTextField) {
        int at = 0;
        if (FValues->Find(S.Text, at)) {
            ++FTextCounts[size_t(at)];
        } else {
            at = FValues->Add(S.Text);
            FTextCounts.insert(FTextCounts.begin() + at, 1);
        }
        return;
    }
    const auto it = std::lower_bound(FKeys.begin(), FKeys.end(), S.Key,
                                     [](const std::pair<Variant, int>& k, const Variant& v) { return CompareValuesEh(k.first, v) < 0; });
    if (it != FKeys.end() && CompareValuesEh(it->first, S.Key) == 0) {
        ++it->second;
    } else {
        FKeys.emplace(it, S.Key, 1);
        FKeysChanged = true;
    }
}

void TMemTableDataFieldValueListEh::RemoveShare(const Share& S)
{
    if (!S.Counted)
        return;
    if (FTextField) {
        int at = 0;
        if (!FValues->Find(S.Text, at)) {
            Invalidate();
            return;
        }
        if (--FTextCounts[size_t(at)] == 0) {
            FValues->Delete(at);
            FTextCounts.erase(FTextCounts.begin() + at);
        }
        return;
    }
    const auto it = std::lower_bound(FKeys.begin(), FKeys.end(), S.Key,
                                     [](const std::pair<Variant, int>& k, const Variant& v) { return CompareValuesEh(k.first, v) < 0; });
    if (it == FKeys.end() || CompareValuesEh(it->first, S.Key) != 0) {
        Invalidate();
        return;
    }
    if (--it->second == 0) {
        FKeys.erase(it);
        FKeysChanged = true;
    }
}

void TMemTableDataFieldValueListEh::DataEvent(TMemoryRecordEh* MemRec, int, TRecordsListNotification Action)
{
    if (Action == rlnListChangingEh || Action == rlnRecAddingEh || Action == rlnRecDeletingEh)
        return;
    if (FDataObsoleted)
        return;
    // A view reorders, filters and regroups its rows without record notices; a list over it
    // is built anew.
    if (!dynamic_cast<TMemTableDataEh*>(DataObject()) || FFieldIndex < 0) {
        Invalidate();
        return;
    }
    switch (Action) {
    case rlnRecAddedEh:
        AddShare(ShareOf(MemRec, dvvValueEh));
        break;
    case rlnRecDeletedEh:
        RemoveShare(ShareOf(MemRec, dvvValueEh));
        break;
    case rlnRecChangingEh: case rlnRecMarkingForDelEh:
        // The filter reads the record's present values, which a post has already replaced:
        // the old share of a filtered list is not known.
        if (FFilterExpr && FFilterExpr->HasData()) {
            Invalidate();
            return;
        }
        FPending.emplace_back(MemRec, ShareOf(MemRec, dvvCurValueEh));
        break;
    case rlnRecChangedEh: case rlnRecMarkedForDelEh: {
        const auto it = std::find_if(FPending.begin(), FPending.end(), [MemRec](const auto& p) { return p.first == MemRec; });
        if (it == FPending.end()) {
            Invalidate();
            return;
        }
        const Share old = std::move(it->second);
        FPending.erase(it);
        RemoveShare(old);
        if (!FDataObsoleted)
            AddShare(ShareOf(MemRec, dvvValueEh));
        break;
    }
    default:
        Invalidate();
        break;
    }
}

// ---------------------------------------------------------------- the table's lists

IMemTableDataFieldValueListEh* TCustomMemTableEh::GetFieldValueList(const QString& FieldName)
{
    TField* f = FindField(FieldName);
    if (!f)
        return nullptr;
    if (f->FieldKind() == fkLookup) {
        auto list = std::make_unique<TDatasetFieldValueListEh>();
        list->SetDataSet(f->LookupDataSet());
        list->SetFieldName(f->LookupResultField());
        return list.release();
    }
    auto list = std::make_unique<TMemTableDataFieldValueListEh>(this);
    list->SetDataObject(FMemData);
    list->SetFieldName(FieldName);
    return list.release();
}
