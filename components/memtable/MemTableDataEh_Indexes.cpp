// Indexes of a records list: sorted (key, record position) items kept in step with every change
// of the list; unique and primary indexes refuse a key that exists.
#include "MemTableDataEh.h"

namespace {

int CompareKeys(const Variant& a, const Variant& b)
{
    if (a.IsArray() != b.IsArray() || (a.IsArray() && a.ArrayCount() != b.ArrayCount()))
        throw Exception(QStringLiteral("TMTIndexEh.FindKeyValueIndex: values is not comparable."));
    return CompareValuesEh(a, b);
}

// Items in key order, equal keys by record position.
bool ItemLess(const TIndexItemEh* x, const Variant& key, int recIndex)
{
    const int r = CompareKeys(x->Value, key);
    return r < 0 || (r == 0 && x->RecIndex < recIndex);
}

} // namespace

DOV_PUBLISHED(TMTIndexEh) {}

TMTIndexEh::TMTIndexEh(TCollection* Collection) : TCollectionItem(Collection) {}

TMTIndexEh* TMTIndexEh::CreateApart(TRecordsListEh* ARecordsList)
{
    auto* i = new TMTIndexEh(nullptr);
    i->FRecordsList = ARecordsList;
    return i;
}

TMTIndexEh::~TMTIndexEh() = default;

TRecordsListEh* TMTIndexEh::RecordsList() const
{
    if (FRecordsList)
        return FRecordsList;
    auto* c = dynamic_cast<TMTIndexesEh*>(Collection());
    return c ? c->RecList() : nullptr;
}

void TMTIndexEh::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    if (Value)
        RebuildIndex();
    else
        ClearIndex();
}

void TMTIndexEh::SetFields(const QString& Value)
{
    if (Value == FFields)
        return;
    FFields = Value;
    RebuildIndex();
}

void TMTIndexEh::SetPrimary(bool Value)
{
    if (Value == FPrimary)
        return;
    FPrimary = Value;
    RebuildIndex();
}

void TMTIndexEh::SetUnical(bool Value)
{
    if (Value == FUnical)
        return;
    FUnical = Value;
    RebuildIndex();
}

void TMTIndexEh::ClearIndex()
{
    FRecList.clear();
}

Variant TMTIndexEh::KeyOf(TMemoryRecordEh* Rec, TDataValueVersionEh Version) const
{
    return Rec->GetDataValues(FFields, Version);
}

void TMTIndexEh::RebuildIndex()
{
    ClearIndex();
    TRecordsListEh* list = RecordsList();
    if (FFields.isEmpty() || !list)
        return;
    FRecList.reserve(size_t(list->Count()));
    const TIntArray fields = list->DataStruct()->FieldsIndex(FFields);
    for (TMemoryRecordEh* r : list->Records()) {
        const Variant key = fields.size() == 1 && !FFields.contains(u';') ? r->GetDataValue(fields[0], dvvValueEh)
                                                                       : KeyOf(r, dvvValueEh);
        FRecList.push_back(std::make_unique<TIndexItemEh>(key, r->Index()));
    }
    std::stable_sort(FRecList.begin(), FRecList.end(), [](const TIndexItemOwnerEh& a, const TIndexItemOwnerEh& b) {
        return CompareKeys(a->Value, b->Value) < 0;
    });
}

TIndexItemEh* TMTIndexEh::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    return FRecList[size_t(Index)].get();
}

bool TMTIndexEh::FindKeyValueIndex(const Variant& Value, int& Index) const
{
    int low = 0, high = Count() - 1;
    bool found = false;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const int c = CompareKeys(FRecList[size_t(middle)]->Value, Value);
        if (c < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (c == 0) {
                low = middle;
                found = true;
                break;
            }
        }
    }
    Index = low;
    return found;
}

bool TMTIndexEh::FindRecordIndexByKey(const Variant& Value, int& Index) const
{
    const bool found = FindKeyValueIndex(Value, Index);
    if (found)
        Index = FRecList[size_t(Index)]->RecIndex;
    return found;
}

void TMTIndexEh::FillMatchedKeyList(const Variant& Value, std::vector<TIndexItemEh*>& List) const
{
    int i = 0;
    if (!FindKeyValueIndex(Value, i))
        return;
    for (int j = i - 1; j >= 0 && CompareKeys(FRecList[size_t(j)]->Value, Value) == 0; --j)
        List.push_back(FRecList[size_t(j)].get());
    for (int j = i; j < Count() && CompareKeys(FRecList[size_t(j)]->Value, Value) == 0; ++j)
        List.push_back(FRecList[size_t(j)].get());
}

void TMTIndexEh::FillMatchedRecsList(const Variant& Value, std::vector<TMemoryRecordEh*>& List) const
{
    std::vector<TIndexItemEh*> items;
    FillMatchedKeyList(Value, items);
    TRecordsListEh* list = RecordsList();
    for (TIndexItemEh* i : items)
        List.push_back(list->GetRec(i->RecIndex));
}

int TMTIndexEh::FindItemOfRecord(const Variant& Key, int RecIndex) const
{
    // Equal keys are many in a non-unique index: take the item of this very record.
    int i = 0;
    if (FindKeyValueIndex(Key, i)) {
        for (int j = i; j >= 0 && CompareKeys(FRecList[size_t(j)]->Value, Key) == 0; --j)
            if (FRecList[size_t(j)]->RecIndex == RecIndex)
                return j;
        for (int j = i + 1; j < Count() && CompareKeys(FRecList[size_t(j)]->Value, Key) == 0; ++j)
            if (FRecList[size_t(j)]->RecIndex == RecIndex)
                return j;
    }
    for (int j = 0; j < Count(); ++j)
        if (FRecList[size_t(j)]->RecIndex == RecIndex)
            return j;
    return -1;
}

void TMTIndexEh::RemoveAt(int Pos)
{
    FRecList.erase(FRecList.begin() + Pos);
}

void TMTIndexEh::ShiftRecIndexes(int FromRecIndex, int Delta)
{
    for (const TIndexItemOwnerEh& i : FRecList)
        if (i->RecIndex >= FromRecIndex)
            i->RecIndex += Delta;
}

void TMTIndexEh::InsertItem(int Pos, TIndexItemOwnerEh Item)
{
    if (Pos >= Count())
        FRecList.push_back(std::move(Item));
    else
        FRecList.insert(FRecList.begin() + Pos, std::move(Item));
}

void TMTIndexEh::InsertSorted(TIndexItemOwnerEh Item)
{
    const auto it = std::lower_bound(FRecList.begin(), FRecList.end(), Item,
                                     [](const TIndexItemOwnerEh& x, const TIndexItemOwnerEh& k) {
                                         return ItemLess(x.get(), k->Value, k->RecIndex);
                                     });
    InsertItem(int(it - FRecList.begin()), std::move(Item));
}

void TMTIndexEh::Notify(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)
{
    if (!FActive || FFields.isEmpty())
        return;
    switch (Action) {
    case rlnRecAddingEh:
        if (FUnical || FPrimary) {
            const Variant key = KeyOf(MemRec, dvvValueEh);
            int pos = 0;
            if (FindKeyValueIndex(key, pos))
                DatabaseError(QStringLiteral("Unique key violation \r FieldNames: ") + FFields
                              + QStringLiteral("\r Value: \"") + VarArrayToText(key) + u'"');
        }
        break;
    case rlnRecAddedEh: {
        TRecordsListEh* list = RecordsList();
        if (!list || Index < list->Count() - 1)
            ShiftRecIndexes(Index, 1);
        InsertSorted(std::make_unique<TIndexItemEh>(KeyOf(MemRec, dvvValueEh), Index));
        break;
    }
    case rlnRecChangingEh:
        FOldValue = KeyOf(MemRec, dvvCurValueEh);
        if (FUnical || FPrimary) {
            const Variant key = KeyOf(MemRec, dvvValueEh);
            int pos = 0;
            if (CompareKeys(key, FOldValue) != 0 && FindKeyValueIndex(key, pos))
                DatabaseError(QStringLiteral("Unical key violation ") + VarArrayToText(key));
        }
        break;
    case rlnRecChangedEh: {
        const int recIndex = MemRec->Index();
        const int at = FindItemOfRecord(FOldValue, recIndex);
        TIndexItemOwnerEh item;
        if (at >= 0) {
            item = std::move(FRecList[size_t(at)]);
            FRecList.erase(FRecList.begin() + at);
            item->Value = KeyOf(MemRec, dvvValueEh);
        } else {
            item = std::make_unique<TIndexItemEh>(KeyOf(MemRec, dvvValueEh), recIndex);
        }
        InsertSorted(std::move(item));
        break;
    }
    case rlnRecDeletedEh: {
        const int at = FindItemOfRecord(KeyOf(MemRec, dvvValueEh), Index);
        if (at >= 0)
            RemoveAt(at);
        ShiftRecIndexes(Index + 1, -1);
        break;
    }
    case rlnRecMarkedForDelEh: {
        const int at = FindItemOfRecord(KeyOf(MemRec, dvvValueEh), Index);
        if (at >= 0)
            RemoveAt(at);
        break;
    }
    case rlnListChangedEh:
        RebuildIndex();
        break;
    default:
        break;
    }
}

void TMTIndexEh::RecordMoved(TMemoryRecordEh*, int OldIndex, int NewIndex)
{
    if (!FActive)
        return;
    for (const TIndexItemOwnerEh& i : FRecList) {
        if (i->RecIndex == OldIndex)
            i->RecIndex = NewIndex;
        else if (NewIndex < OldIndex && i->RecIndex >= NewIndex && i->RecIndex < OldIndex)
            ++i->RecIndex;
        else if (NewIndex > OldIndex && i->RecIndex > OldIndex && i->RecIndex <= NewIndex)
            --i->RecIndex;
    }
}

// ---------------------------------------------------------------- TMTIndexesEh

DOV_PUBLISHED(TMTIndexesEh) {}

TMTIndexesEh::TMTIndexesEh(TRecordsListEh* ARecList)
    : TCollection(TMTIndexEh::StaticClassInfo()), FRecList(ARecList)
{
}

TMTIndexEh* TMTIndexesEh::GetIndexForFields(const QString& Fields) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items(i)->Fields(), Fields))
            return Items(i);
    return nullptr;
}

void TMTIndexesEh::Notify(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->Notify(MemRec, Index, Action);
}

void TMTIndexesEh::RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex)
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->RecordMoved(MemRec, OldIndex, NewIndex);
}
