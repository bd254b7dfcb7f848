// The records list with its change log, the data container, the auto-increment counter and
// the listeners of the container.
#include "MemTableDataEh.h"
#include "platform/rtl/Guards.h"

// ---------------------------------------------------------------- TRecordsListEh

DOV_PUBLISHED(TRecordsListEh) {}

TRecordsListEh::TRecordsListEh(TComponent* AMemTableData) : TComponent(nullptr)
{
    FMemTableData = dynamic_cast<TMemTableDataEh*>(AMemTableData);
    if (!FMemTableData)
        throw Exception(AMemTableData ? AMemTableData->ClassName() : QStringLiteral("nil"));
    ChangeName(QStringLiteral("RecordsList"));
    FIndexes = std::make_unique<TMTIndexesEh>(this);
}

TRecordsListEh::~TRecordsListEh()
{
    for (TMemoryRecordEh* r : FDeltaList)
        if (r)
            r->FUpdateIndex = -1;
    FDeltaList.clear();
    FIndexes.reset();
    // the active and the deleted records go with their owners
}

TMTDataStructEh* TRecordsListEh::DataStruct() const
{
    return FMemTableData->DataStruct();
}

int TRecordsListEh::RecValCount() const
{
    return DataStruct()->Count();
}

TMemoryRecordEh* TRecordsListEh::NewRecord()
{
    auto* r = new TMemoryRecordEh();
    r->FHashCode = FNewHashCode++;
    r->FRecordsList = this;
    r->FData.assign(size_t(RecValCount()), Variant::Null());
    return r;
}

void TRecordsListEh::Notify(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)
{
    if (FUpdateCount > 0)
        return;
    if (FIndexes)
        FIndexes->Notify(MemRec, Index, Action);
    FMemTableData->NotifyDataEvent(MemRec, Index, Action);
}

void TRecordsListEh::SetRecBlock(void* Rec, TSeqBlockEh* Block)
{
    static_cast<TMemoryRecordEh*>(Rec)->FBlock = Block;
}

void TRecordsListEh::DeleteRec(void* Rec)
{
    TMemoryRecordOwnerEh gone(static_cast<TMemoryRecordEh*>(Rec));
}

std::vector<TMemoryRecordOwnerEh> TRecordsListEh::KeepOnly(const std::vector<TMemoryRecordEh*>& Keep,
                                                            const std::vector<TMemoryRecordEh*>& Gone)
{
    std::vector<TMemoryRecordOwnerEh> owners;
    owners.reserve(Gone.size());
    for (TMemoryRecordEh* r : Gone) {
        r->FIndex = -1;
        r->FBlock = nullptr;
        DropFromDelta(r);
        owners.emplace_back(r);
    }
    AssignOrder(Keep);
    return owners;
}

void TRecordsListEh::Shifted()
{
    if (++FStamp == 0)
        FStamp = 1;
    FSlowIndexReads = 0;
    FRecVecValid = false;
}

void TRecordsListEh::RenumberAll() const
{
    int i = 0;
    FRecSeq.ForEach([&](void* p) {
        auto* r = static_cast<TMemoryRecordEh*>(p);
        r->FIndex = i++;
        r->FIndexStamp = FStamp;
    });
}

int TRecordsListEh::FindIndex(const TMemoryRecordEh* Rec) const
{
    // Many reads after one change (a walk, a sort): number everything once instead.
    if (++FSlowIndexReads > 256) {
        RenumberAll();
        return Rec->FIndex;
    }
    Rec->FIndex = FRecSeq.PositionOf(Rec, Rec->FBlock);
    Rec->FIndexStamp = FStamp;
    return Rec->FIndex;
}

const std::vector<TMemoryRecordEh*>& TRecordsListEh::Records() const
{
    if (!FRecVecValid) {
        FRecVec.clear();
        FRecVec.reserve(size_t(Count()));
        ForEachRecord([this](TMemoryRecordEh* r) { FRecVec.push_back(r); });
        FRecVecValid = true;
    }
    return FRecVec;
}

void TRecordsListEh::AssignOrder(const std::vector<TMemoryRecordEh*>& Recs)
{
    FRecSeq.Assign(reinterpret_cast<const std::vector<void*>&>(Recs));
    Shifted();
    RenumberAll();
    FRecVec = Recs;
    FRecVecValid = true;
}

void TRecordsListEh::AddToDelta(TMemoryRecordEh* Rec)
{
    Rec->FUpdateIndex = int(FDeltaList.size());
    FDeltaList.push_back(Rec);
}

void TRecordsListEh::DropFromDelta(TMemoryRecordEh* Rec)
{
    if (Rec->FUpdateIndex >= 0 && size_t(Rec->FUpdateIndex) < FDeltaList.size()
        && FDeltaList[size_t(Rec->FUpdateIndex)] == Rec)
        FDeltaList[size_t(Rec->FUpdateIndex)] = nullptr;
    Rec->FUpdateIndex = -1;
}

void TRecordsListEh::FreeRecord(TMemoryRecordEh* Rec)
{
    if (std::any_of(FDeletedList.begin(), FDeletedList.end(), [Rec](const TMemoryRecordOwnerEh& d) { return d.get() == Rec; }))
        throw Exception(QStringLiteral("Can not delete Record if it present in DeletedList."));
    if (Rec->FUpdateIndex >= 0)
        throw Exception(QStringLiteral("Can not delete Record if it present in CachedUpdate pending list."));
    if (FRecSeq.Owns(Rec->FBlock))
        throw Exception(QStringLiteral("Can not delete Record if it present in active list."));
    TMemoryRecordOwnerEh gone(Rec);
}

void TRecordsListEh::ApplyImmediate(TMemoryRecordEh* Rec, TUpdateKind Kind)
{
    if (!FMemTableData->HasApplyUpdatesListener())
        return;
    auto shadow = CreateUnique<TMemTableDataShadowEh>(FMemTableData);
    TRecordsListEh* sl = shadow->RecordsList();
    sl->SetCachedUpdates(true);
    TNewRecordEh owned(sl->NewRecord());
    TMemoryRecordEh* s = owned.get();
    switch (Kind) {
    case ukModify:
        s->FData = Rec->ArrayFor(dvvOldestValue);
        sl->FetchRecord(s);
        s->Edit();
        s->FData = Rec->FData;
        s->Post();
        break;
    case ukInsert:
        s->FData = Rec->FData;
        s->Post();
        break;
    case ukDelete:
        s->FData = Rec->ArrayFor(dvvOldestValue);
        sl->FetchRecord(s);
        sl->DeleteRecord(s->Index());
        break;
    }
    // attached: the shadow's list owns it now (and may free it while applying)
    owned.release();
    FMemTableData->NotifyApplyUpdates(shadow.get());
    if (Kind != ukDelete && s->Attached())
        Rec->FData = s->FData;
}

void TRecordsListEh::InternTexts(TMemoryRecordEh* Rec)
{
    constexpr int kMaxDistinct = 1024;
    TMTDataStructEh* ds = DataStruct();
    const int n = std::min(ds->Count(), int(Rec->FData.size()));
    if (int(FTextIntern.size()) != n)
        FTextIntern.assign(size_t(n), TextIntern());
    for (int i = 0; i < n; ++i) {
        TextIntern& t = FTextIntern[size_t(i)];
        if (t.Off)
            continue;
        Variant& v = Rec->FData[size_t(i)];
        const TVarType vt = v.VarType();
        if (vt != varString && vt != varOleStr && vt != varUString)
            continue;
        const QString s = v.AsString();
        const auto it = t.Map.constFind(s);
        if (it != t.Map.constEnd()) {
            if (it.value().VarType() == vt)
                v = it.value();
        } else if (t.Map.size() >= kMaxDistinct) {
            t.Off = true;
            t.Map = QHash<QString, Variant>();
        } else {
            t.Map.insert(s, v);
        }
    }
}

void TRecordsListEh::AttachRecord(TMemoryRecordEh* Rec, int Index, bool Fetching)
{
    if (Rec->FRecordsList != this)
        throw Exception(QStringLiteral("Record.RecordsList is not the same."));
    if (Rec->Attached())
        throw Exception(QStringLiteral("The record is already attached to RecordsList."));
    if (Index < 0 || Index > Count())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    if (Rec->FData.size() != size_t(RecValCount()))
        Rec->FData.resize(size_t(RecValCount()), Variant::Null());
    InternTexts(Rec);
    Notify(Rec, Index, rlnRecAddingEh);
    if (!Fetching) {
        FMemTableData->AssignAutoIncValues(Rec);
        if (!FCachedUpdates)
            ApplyImmediate(Rec, ukInsert);
    }
    const bool append = Index == Count();
    FRecSeq.Insert(Index, Rec);
    if (append) {
        if (FRecVecValid)
            FRecVec.push_back(Rec);
    } else {
        Shifted();
    }
    Rec->FIndex = Index;
    Rec->FIndexStamp = FStamp;
    if (FCachedUpdates) {
        Rec->FUpdateStatus = usInserted;
        if (Rec->FUpdateIndex < 0)
            AddToDelta(Rec);
    } else {
        Rec->FUpdateStatus = usUnmodified;
    }
    Rec->FEditState = resBrowseEh;
    Notify(Rec, Index, rlnRecAddedEh);
}

int TRecordsListEh::AddRecord(TMemoryRecordEh* Rec)
{
    const int index = Count();
    AttachRecord(Rec, index, false);
    return index;
}

void TRecordsListEh::InsertRecord(int Index, TMemoryRecordEh* Rec)
{
    AttachRecord(Rec, Index, false);
}

int TRecordsListEh::FetchRecord(TMemoryRecordEh* Rec)
{
    TRestoreGuard keepCached(FCachedUpdates, false);
    const int index = Count();
    AttachRecord(Rec, index, true);
    return index;
}

TMemoryRecordEh* TRecordsListEh::GetRec(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    return static_cast<TMemoryRecordEh*>(FRecSeq.At(Index));
}

void TRecordsListEh::SetRec(int Index, TMemoryRecordEh* Rec)
{
    GetRec(Index);
    FRecSeq.Set(Index, Rec);
    if (FRecVecValid)
        FRecVec[size_t(Index)] = Rec;
    Rec->FIndex = Index;
    Rec->FIndexStamp = FStamp;
}

int TRecordsListEh::IndexOf(TMemoryRecordEh* Rec) const
{
    if (!Rec)
        return -1;
    if (Rec->FRecordsList == this && FRecSeq.Owns(Rec->FBlock)) {
        const int i = Rec->Index();
        if (i >= 0 && GetRec(i) == Rec)
            return i;
    }
    const std::vector<TMemoryRecordEh*>& all = Records();
    const auto it = std::find(all.begin(), all.end(), Rec);
    return it == all.end() ? -1 : int(it - all.begin());
}

Variant TRecordsListEh::GetValue(int RecNo, int ValNo) const
{
    return GetRec(RecNo)->GetDataValue(ValNo, dvvValueEh);
}

void TRecordsListEh::SetValue(int Index, int ValNo, const Variant& Value)
{
    TMemoryRecordEh* r = GetRec(Index);
    if (ValNo < 0 || size_t(ValNo) >= r->FData.size())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {ValNo});
    Notify(r, Index, rlnRecChangingEh);
    r->FData[size_t(ValNo)] = Value;
    Notify(r, Index, rlnRecChangedEh);
}

void TRecordsListEh::DeleteRecord(int Index)
{
    TMemoryRecordEh* r = GetRec(Index);
    if (FCachedUpdates) {
        if (r->FUpdateStatus == usDeleted)
            throw Exception(QStringLiteral("Can't MarkDel the Deleted record"));
        if (r->FUpdateStatus != usInserted) {
            Notify(r, Index, rlnRecMarkingForDelEh);
            r->MergeChanges();
            r->FUpdateStatus = usDeleted;
            if (r->FUpdateIndex < 0)
                AddToDelta(r);
            Notify(r, Index, rlnRecMarkedForDelEh);
            return;
        }
        DropFromDelta(r);
    }
    PersistDeleteRecord(Index);
}

void TRecordsListEh::PersistDeleteRecord(int Index)
{
    TMemoryRecordEh* r = GetRec(Index);
    Notify(r, Index, rlnRecDeletingEh);
    if (!FCachedUpdates)
        ApplyImmediate(r, ukDelete);
    FRecSeq.Erase(Index);
    Shifted();
    r->FIndex = -1;
    Notify(r, Index, rlnRecDeletedEh);
    DropFromDelta(r);
    FreeRecord(r);
}

void TRecordsListEh::PersistRemoveRecord(int Index)
{
    TMemoryRecordEh* r = GetRec(Index);
    Notify(r, Index, rlnRecDeletingEh);
    FDeletedList.emplace_back(r);
    FRecSeq.Erase(Index);
    Shifted();
    r->FIndex = -1;
    Notify(r, Index, rlnRecDeletedEh);
}

namespace {
// Marks the records of the ranges; checks every range before anything changes.
std::vector<char> MarkRanges(const TRecordsRangesEh& ranges, int count)
{
    for (const auto& [first, last] : ranges)
        if (first < 0 || last >= count || first > last)
            throw EListError(QStringLiteral("List index out of bounds (%d)"), {first < 0 || first > last ? first : last});
    std::vector<char> marks(size_t(count), 0);
    for (const auto& [first, last] : ranges)
        for (int i = first; i <= last; ++i)
            marks[size_t(i)] = 1;
    return marks;
}
}

void TRecordsListEh::DeleteRecords(const TRecordsRangesEh& RecordsRanges)
{
    if (FCachedUpdates)
        throw Exception(QStringLiteral("Delete a range of record in CachedUpdates mode is not supported"));
    const std::vector<char> marks = MarkRanges(RecordsRanges, Count());
    const std::vector<TMemoryRecordEh*> all = Records();
    for (size_t i = 0; i < marks.size(); ++i)
        if (marks[i])
            ApplyImmediate(all[i], ukDelete);
    PersistDeleteRecords(RecordsRanges);
}

void TRecordsListEh::PersistDeleteRecords(const TRecordsRangesEh& RecordsRanges)
{
    const std::vector<char> marks = MarkRanges(RecordsRanges, Count());
    const std::vector<TMemoryRecordEh*> all = Records();
    std::vector<TMemoryRecordEh*> keep, gone;
    keep.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i)
        (marks[i] ? gone : keep).push_back(all[i]);
    // freed once the listeners have let go of them
    const std::vector<TMemoryRecordOwnerEh> freed = KeepOnly(keep, gone);
    Notify(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    TMemoryRecordEh* r = GetRec(CurIndex);
    GetRec(NewIndex);
    FRecSeq.Erase(CurIndex);
    FRecSeq.Insert(NewIndex, r);
    Shifted();
    if (FUpdateCount > 0)
        return;
    FIndexes->RecordMoved(r, CurIndex, NewIndex);
    FMemTableData->NotifyRecordMoved(r, CurIndex, NewIndex);
}

void TRecordsListEh::SortData(const TCompareRecords& Compare, TObject* ParamSort)
{
    if (FRecSeq.Empty())
        return;
    // Sort a snapshot: the comparison breaks ties by the records' positions, which stay as
    // they were until the sorted order is written back.
    RenumberAll();
    std::vector<TMemoryRecordEh*> snapshot(Records());
    std::stable_sort(snapshot.begin(), snapshot.end(), [&](TMemoryRecordEh* a, TMemoryRecordEh* b) {
        return Compare(a, b, ParamSort) < 0;
    });
    AssignOrder(snapshot);
    Notify(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::CancelUpdates()
{
    const std::vector<TMemoryRecordEh*> all = Records();
    std::vector<TMemoryRecordEh*> keep, gone;
    keep.reserve(all.size());
    for (int i = int(all.size()) - 1; i >= 0; --i) {
        TMemoryRecordEh* r = all[size_t(i)];
        switch (r->FUpdateStatus) {
        case usModified:
            if (r->HasOldData())
                r->FData.swap(r->FExtra->OldData);
            r->ClearOldData();
            r->FUpdateStatus = usUnmodified;
            r->FUpdateIndex = -1;
            break;
        case usInserted:
            gone.push_back(r);
            continue;
        case usDeleted:
            r->FUpdateStatus = usUnmodified;
            r->FUpdateIndex = -1;
            break;
        default:
            break;
        }
        r->SetUpdateError(nullptr);
        keep.push_back(r);
    }
    std::reverse(keep.begin(), keep.end());
    // freed once the listeners have let go of them
    const std::vector<TMemoryRecordOwnerEh> freed = KeepOnly(keep, gone);
    for (TMemoryRecordEh* r : FDeltaList)
        if (r)
            r->FUpdateIndex = -1;
    FDeltaList.clear();
    Notify(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::MergeChangeLog()
{
    for (size_t i = 0; i < FDeltaList.size(); ++i)
        if (TMemoryRecordEh* r = FDeltaList[i])
            r->MergeChanges();
    FDeletedList.clear();
    FDeltaList.clear();
}

void TRecordsListEh::CleanupChangedRecs()
{
    std::vector<TMemoryRecordOwnerEh> deleted;
    deleted.swap(FDeletedList);
    for (const TMemoryRecordOwnerEh& r : deleted)
        DropFromDelta(r.get());
    std::vector<TMemoryRecordEh*> keep;
    for (TMemoryRecordEh* r : FDeltaList)
        if (r) {
            r->FUpdateIndex = int(keep.size());
            keep.push_back(r);
        }
    FDeltaList.swap(keep);
}

void TRecordsListEh::RevertRecord(int Index)
{
    TMemoryRecordEh* r = GetRec(Index);
    if (r->FUpdateStatus == usInserted) {
        DropFromDelta(r);
        PersistDeleteRecord(Index);
    } else {
        r->RevertRecord();
    }
}

void TRecordsListEh::RefreshRecord(int Index, TMemoryRecordEh* FromRec)
{
    GetRec(Index)->RefreshRecord(FromRec);
}

void TRecordsListEh::Clear()
{
    FDeletedList.clear();
    for (TMemoryRecordEh* r : FDeltaList)
        if (r)
            r->FUpdateIndex = -1;
    FDeltaList.clear();
    for (int i = 0; i < FIndexes->Count(); ++i)
        FIndexes->Items(i)->ClearIndex();
    FRecSeq.Clear();   // frees the records
    Shifted();
    ResetTextIntern();
    Notify(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::EndUpdate()
{
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount == 0)
        Notify(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::SetAutoIncValue(TMemoryRecordEh* Rec)
{
    FMemTableData->AssignAutoIncValues(Rec);
}

// ---------------------------------------------------------------- TAutoIncrementEh

DOV_PUBLISHED(TAutoIncrementEh)
{
    P.Prop("InitValue", &TAutoIncrementEh::InitValue, &TAutoIncrementEh::SetInitValue).Default(-1);
    P.Prop("Step", &TAutoIncrementEh::Step, &TAutoIncrementEh::SetStep).Default(-1);
}

void TAutoIncrementEh::SetInitValue(int v)
{
    if (FCurValue == FInitValue)
        FCurValue = v;
    FInitValue = v;
}

void TAutoIncrementEh::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TAutoIncrementEh*>(Source)) {
        SetStep(s->FStep);
        SetInitValue(s->FInitValue);
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------- TMemTableDataEh

DOV_PUBLISHED(TMemTableDataEh) {}

TMemTableDataEh::TMemTableDataEh(TComponent* AOwner) : TComponent(AOwner)
{
    FDataStruct = Create<TMTDataStructEh>(this);
    FDataStruct->SetName(QStringLiteral("DataStruct"));
    FNewDataStruct = Create<TMTDataStructEh>(this);
    FRecordsList = CreateUnique<TRecordsListEh>(this);
    FAutoIncrement = std::make_unique<TAutoIncrementEh>();
}

TMemTableDataEh::~TMemTableDataEh()
{
    while (!FNotificators.empty())
        FNotificators.back()->SetDataObject(nullptr);
    FRecordsList.reset();
    delete FDataStruct;
    FDataStruct = nullptr;
    delete FNewDataStruct;
    FNewDataStruct = nullptr;
    FAutoIncrement.reset();
}

void TMemTableDataEh::AddNotificator(TRecordsListNotificatorEh* RecordsListNotificator)
{
    if (std::find(FNotificators.begin(), FNotificators.end(), RecordsListNotificator) == FNotificators.end())
        FNotificators.push_back(RecordsListNotificator);
    if (!FTagView)
        FTagView = dynamic_cast<TRecordsViewEh*>(RecordsListNotificator);
}

void TMemTableDataEh::RemoveNotificator(TRecordsListNotificatorEh* RecordsListNotificator)
{
    if (RecordsListNotificator == FTagView)
        FTagView = nullptr;
    const auto it = std::find(FNotificators.begin(), FNotificators.end(), RecordsListNotificator);
    if (it != FNotificators.end())
        FNotificators.erase(it);
}

bool TMemTableDataEh::HasApplyUpdatesListener() const
{
    for (TRecordsListNotificatorEh* n : FNotificators)
        if (n->OnApplyUpdates)
            return true;
    return false;
}

void TMemTableDataEh::NotifyApplyUpdates(TMemTableDataEh* AMemTableData)
{
    const auto listeners = FNotificators;
    for (TRecordsListNotificatorEh* n : listeners)
        n->ApplyUpdates(AMemTableData);
}

void TMemTableDataEh::NotifyDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)
{
    const auto listeners = FNotificators;
    for (TRecordsListNotificatorEh* n : listeners)
        n->DataEvent(MemRec, Index, Action);
}

void TMemTableDataEh::NotifyRecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex)
{
    const auto listeners = FNotificators;
    for (TRecordsListNotificatorEh* n : listeners)
        n->RecordMoved(MemRec, OldIndex, NewIndex);
}

void TMemTableDataEh::SetAutoIncrement(TAutoIncrementEh* Value)
{
    FAutoIncrement->Assign(Value);
}

void TMemTableDataEh::AssignAutoIncValues(TMemoryRecordEh* Rec)
{
    TMTDataStructEh* ds = DataStruct();
    bool any = false;
    for (int i = 0; i < ds->Count() && !any; ++i) {
        TMTDataFieldEh* f = ds->GetDataField(i);
        any = f->DataType() == ftAutoInc || f->GetAutoIncrement();
    }
    if (!any)
        return;
    const int value = AutoIncrement()->Promote();
    for (int i = 0; i < ds->Count(); ++i) {
        TMTDataFieldEh* f = ds->GetDataField(i);
        if (f->DataType() == ftAutoInc || f->GetAutoIncrement())
            Rec->SetDataValue(i, dvvValueEh, Variant(value));
    }
}

void TMemTableDataEh::NotifyStructChanged()
{
    FIncFieldIndexes.clear();
    for (int i = 0; i < FDataStruct->Count(); ++i)
        if (FDataStruct->GetDataField(i)->DataType() == ftAutoInc)
            FIncFieldIndexes.push_back(i);
    // Records always have one slot per field, so positions never read past a record's values.
    if (FRecordsList) {
        FRecordsList->ResetTextIntern();
        const size_t n = size_t(FDataStruct->Count());
        for (TMemoryRecordEh* r : FRecordsList->Records())
            if (r->Data().size() != n)
                r->Data().resize(n, Variant::Null());
    }
    const auto listeners = FNotificators;
    for (TRecordsListNotificatorEh* n : listeners)
        n->StructChanged(this);
}

TMTDataStructEh* TMemTableDataEh::BeginRestruct()
{
    if (FRestructMode)
        throw Exception(QStringLiteral("MemTableData already in RestructMode."));
    FNewDataStruct->BeginUpdate();
    FNewDataStruct->Clear();
    for (TMTDataFieldEh* f : FDataStruct->FList) {
        TMTDataFieldEh* nf = FNewDataStruct->CreateField(&f->ClassInfo());
        nf->Assign(f);
        nf->FGUID = f->FGUID;
    }
    FNewDataStruct->EndUpdate(false);
    FRestructMode = true;
    return FNewDataStruct;
}

void TMemTableDataEh::CancelRestruct()
{
    FRestructMode = false;
    FNewDataStruct->Clear();
}

void TMemTableDataEh::CommitRestruct()
{
    // The prepared structure replaces the current one; records are converted by field GUID.
    FRestructMode = false;
    FDataStruct->Assign(FNewDataStruct);
    FNewDataStruct->Clear();
}

int TMemTableDataEh::FetchRecords(int Count)
{
    int total = 0;
    const auto listeners = FNotificators;
    for (TRecordsListNotificatorEh* n : listeners)
        total += n->DoFetchRecords(Count);
    return total;
}

void TMemTableDataEh::DestroyTable()
{
    ResetRecords();
    FDataStruct->Clear();
}

void TMemTableDataEh::ResetRecords()
{
    FRecordsList->Indexes()->Clear();
    FRecordsList->Clear();
    FAutoIncrement->Reset();
}

// ---------------------------------------------------------------- shadow container

TMemTableDataShadowEh::TMemTableDataShadowEh(TMemTableDataEh* AMasterTable)
    : TMemTableDataEh(nullptr), FMasterTable(AMasterTable)
{
}

TMTDataStructEh* TMemTableDataShadowEh::GetDataStruct() const
{
    return FMasterTable->DataStruct();
}

// ---------------------------------------------------------------- TRecordsListNotificatorEh

TRecordsListNotificatorEh::TRecordsListNotificatorEh(TComponent* AOwner) : TComponent(AOwner) {}

TRecordsListNotificatorEh::~TRecordsListNotificatorEh() { Detach(); }

void TRecordsListNotificatorEh::Detach()
{
    if (FDataObject) {
        if (auto* c = dynamic_cast<TMemTableDataEh*>(FDataObject))
            c->RemoveNotificator(this);
        else if (auto* v = dynamic_cast<TRecordsViewEh*>(FDataObject))
            v->RemoveNotificator(this);
        RemoveFreeNotification(FDataObject);
    }
    FDataObject = nullptr;
    FMemTableData = nullptr;
}

void TRecordsListNotificatorEh::SetDataObject(TComponent* Value)
{
    if (Value == FDataObject)
        return;
    DataEvent(nullptr, -1, rlnListChangingEh);
    Detach();
    if (Value) {
        if (auto* c = dynamic_cast<TMemTableDataEh*>(Value)) {
            c->AddNotificator(this);
            FMemTableData = c;
        } else if (auto* v = dynamic_cast<TRecordsViewEh*>(Value)) {
            v->AddNotificator(this);
            FMemTableData = v->MemTableData();
        }
        FreeNotification(Value);
        FDataObject = Value;
    }
    DataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsListNotificatorEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataObject)
        SetDataObject(nullptr);
}

int TRecordsListNotificatorEh::DoFetchRecords(int Count)
{
    return OnFetchRecords ? OnFetchRecords(Count) : 0;
}

void TRecordsListNotificatorEh::AfterDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)
{
    if (OnAfterDataEvent)
        OnAfterDataEvent(MemRec, Index, Action);
}

void TRecordsListNotificatorEh::DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)
{
    if (OnDataEvent)
        OnDataEvent(MemRec, Index, Action);
    switch (Action) {
    case rlnRecAddedEh: RecordAdded(MemRec, Index); break;
    case rlnRecChangedEh: RecordChanged(MemRec, Index); break;
    case rlnRecDeletedEh: RecordDeleted(MemRec, Index); break;
    case rlnListChangedEh: ListChanged(); break;
    default: break;
    }
}

void TRecordsListNotificatorEh::RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex)
{
    if (OnRecordMoved)
        OnRecordMoved(MemRec, OldIndex, NewIndex);
}

void TRecordsListNotificatorEh::StructChanged(TMemTableDataEh* AMemTableData)
{
    if (OnStructChanged)
        OnStructChanged(AMemTableData);
}

void TRecordsListNotificatorEh::ApplyUpdates(TMemTableDataEh* AMemTableData)
{
    if (OnApplyUpdates)
        OnApplyUpdates(AMemTableData);
}
