// Totals of a dataset's fields: the items, their collection and the producer that keeps them
// in step with the dataset's events.
#include "DBSumLst.h"

#include "components/memtable/MemTableEh.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Threads.h"

#include <cmath>

namespace {

// The nearest integer, ties to even, of an amount already scaled by 10000. Extended precision
// holds every 64-bit total exactly, so only the field's own value is ever rounded.
Currency RoundScaled(long double Scaled)
{
    const long double r = std::nearbyintl(Scaled);
    // 2^63 is exact in extended precision; the lower bound is itself a valid total.
    if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L))
        throw EOverflow(QStringLiteral("Floating point overflow"));
    return Currency::FromRaw(int64_t(r));
}

long double Scaled(TField* Field) { return static_cast<long double>(Field->AsFloat()) * 10000.0L; }

long double Raw(Currency Value) { return static_cast<long double>(Value.Value); }

// Text, dates and the like add nothing to a sum or an average: they count as null there.
bool NoAmount(TField* Field) { return Field->IsNull() || !dynamic_cast<TNumericField*>(Field); }

bool NullValue(const Variant& Value) { return Value.IsNull() || Value.IsEmpty(); }

// The average behind a running sum and its count; 0 for no values.
Currency AverageOf(Currency Sum, int Count)
{
    if (Count == 0)
        return Currency();
    return RoundScaled(Raw(Sum) / static_cast<long double>(Count));
}

const Currency OneRecord = Currency::FromRaw(10000);

}  // namespace

Currency AddToTotalEh(Currency Total, double FieldValue)
{
    return RoundScaled(static_cast<long double>(FieldValue) * 10000.0L + Raw(Total));
}

Currency SubFromTotalEh(Currency Total, double FieldValue)
{
    return RoundScaled(Raw(Total) - static_cast<long double>(FieldValue) * 10000.0L);
}

// ============================================================================================
// TDBSum
// ============================================================================================

DOV_PUBLISHED(TDBSum)
{
    P.Prop("FieldName", &TDBSum::FieldName, &TDBSum::SetFieldName);
    P.Prop("GroupOperation", &TDBSum::GroupOperation, &TDBSum::SetGroupOperation).Default(goSum);
}

TDBSum::TDBSum(TCollection* Collection) : TCollectionItem(Collection) {}

TDBSum::~TDBSum()
{
    if (auto* sums = dynamic_cast<TDBSumCollection*>(Collection()))
        std::erase(sums->FInMaking, this);
}

void TDBSum::AfterConstruction()
{
    TCollectionItem::AfterConstruction();
    auto* sums = dynamic_cast<TDBSumCollection*>(Collection());
    if (sums && std::erase(sums->FInMaking, this) > 0)
        Changed(false);
}

void TDBSum::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TDBSum*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetGroupOperation(src->GroupOperation());
    SetFieldName(src->FieldName());
    Value = src->Value;
    FSumValue = src->FSumValue;
}

void TDBSum::SetFieldName(const QString& Value)
{
    if (Value == FFieldName)
        return;
    FFieldName = Value;
    Changed(false);
}

void TDBSum::SetGroupOperation(TGroupOperation Value)
{
    if (Value == FGroupOperation)
        return;
    FGroupOperation = Value;
    Changed(false);
}

// ============================================================================================
// TDBSumCollection
// ============================================================================================

DOV_PUBLISHED(TDBSumCollection) {}

TDBSumCollection::TDBSumCollection(TDBSumListProducer* Producer)
    : TCollection(TDBSum::StaticClassInfo()), FProducer(Producer)
{
}

TDBSum* TDBSumCollection::GetSumByOpAndFName(TGroupOperation AGroupOperation, const QString& AFieldName) const
{
    for (int i = 0; i < Count(); ++i) {
        TDBSum* item = Items(i);
        if (item->GroupOperation() == AGroupOperation &&
            QString::compare(item->FieldName(), AFieldName, Qt::CaseInsensitive) == 0)
            return item;
    }
    return nullptr;
}

TPersistent* TDBSumCollection::GetOwner() const { return FProducer; }

void TDBSumCollection::Notify(TCollectionItem* Item, TCollectionNotification Action)
{
    if (Action == cnAdded)
        FInMaking.push_back(Item);
    else
        std::erase(FInMaking, Item);
}

void TDBSumCollection::Update(TCollectionItem*)
{
    if (!FInMaking.empty())
        return;
    if (FProducer && !FProducer->OwnerLoading() && !FProducer->OwnerDestroying())
        FProducer->RecalcAll();
}

// ============================================================================================
// TSLBookmarkListEh
// ============================================================================================

TDataSet* TSLBookmarkListEh::GetDataSet() const { return FSumListProducer->DataSet(); }

// ============================================================================================
// TDBSumListProducer: life, settings and owner state
// ============================================================================================

DOV_PUBLISHED(TDBSumListProducer) {}

TDBSumListProducer::TDBSumListProducer(TComponent* AOwner)
    : FOwner(AOwner), FSumCollection(new TDBSumCollection(this)), FVirtualRecList(new TSLBookmarkListEh(this))
{
}

TDBSumListProducer::~TDBSumListProducer()
{
    // Puts the dataset's events back; the totals go with the collection.
    Deactivate(false);
    FVirtualRecList.reset();
    // Items still held elsewhere (a footer) must not call back into a producer on its way out.
    FSumCollection->FProducer = nullptr;
    FSumCollection.reset();
}

TPersistent* TDBSumListProducer::GetOwner() const { return FOwner; }

bool TDBSumListProducer::OwnerLoading() const { return FOwner && FOwner->ComponentState().Contains(csLoading); }

bool TDBSumListProducer::OwnerDesigning() const
{
    return FOwner && FOwner->ComponentState().Contains(csDesigning);
}

bool TDBSumListProducer::OwnerDestroying() const
{
    return FOwner && FOwner->ComponentState().Contains(csDestroying);
}

void TDBSumListProducer::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TDBSumListProducer*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetActive(src->Active());
    SetDataSet(src->DataSet());
    SetExternalRecalc(src->ExternalRecalc());
    SetSumCollection(src->SumCollection());
    SumListChanged = src->SumListChanged;
    SetVirtualRecords(src->VirtualRecords());
    OnAfterRecalcAll = src->OnAfterRecalcAll;
    OnRecalcAll = src->OnRecalcAll;
}

void TDBSumListProducer::SetSumCollection(TDBSumCollection* Value) { FSumCollection->Assign(Value); }

void TDBSumListProducer::SetActive(bool Value)
{
    if (Value && !FActive)
        Activate(true);
    else if (!Value && FActive)
        Deactivate(true);
}

void TDBSumListProducer::Activate(bool ARecalcAll)
{
    FActive = true;
    if (OwnerLoading())
        return;
    SetDataSetEvents();
    if (ARecalcAll)
        RecalcAll();
}

void TDBSumListProducer::Deactivate(bool AClearSumValues)
{
    FActive = false;
    if (OwnerLoading())
        return;
    RestoreDataSetEvents();
    if (AClearSumValues && !FDataSetChanging)
        ClearSumValues();
}

void TDBSumListProducer::ActivateIfAssigned()
{
    if (FDataSet && FActive)
        Activate(true);
}

void TDBSumListProducer::SetDataSet(TDataSet* Value)
{
    if (Value == FDataSet && FDataSet && FDataSet->ComponentState().Contains(csDestroying)) {
        RestoreDataSetEvents();
        FDataSet = nullptr;
    }
    if (Value == FDataSet)
        return;
    if (OwnerLoading()) {
        FDataSet = Value;
        return;
    }
    const bool wasActive = FActive;
    {
        FDataSetChanging = true;
        auto endSwitch = Finally([this] { FDataSetChanging = false; });
        Deactivate(true);
        FDataSet = Value;
    }
    if (wasActive)
        Activate(true);
    // Totals of the dataset that went must not stay on show when no pass replaces them.
    if (!wasActive || !FDataSet || !FDataSet->Active())
        ClearSumValues();
}

void TDBSumListProducer::SetExternalRecalc(bool Value)
{
    FExternalRecalc = Value;
    RecalcAll();
}

void TDBSumListProducer::SetVirtualRecords(bool Value)
{
    if (Value == FVirtualRecords)
        return;
    FVirtualRecords = Value;
    if (Value)
        RecalcAll();
}

void TDBSumListProducer::DoSumListChanged()
{
    if (SumListChanged)
        SumListChanged(this);
}

void TDBSumListProducer::RecordFilterState()
{
    if (!FDataSet)
        return;
    FFiltered = FDataSet->Filtered();
    FFilter = FDataSet->Filter();
}

void TDBSumListProducer::ClearSumValues()
{
    for (int i = 0; i < FSumCollection->Count(); ++i) {
        TDBSum* item = FSumCollection->Items(i);
        item->FSumValue = Currency();
        item->Value = Currency();
        item->FSumValueAsSum = Currency();
        item->FNotNullRecordCount = 0;
    }
    DoSumListChanged();
}

bool TDBSumListProducer::RecalcAllIfStale()
{
    if (!FStale || !IsUIThread())
        return false;
    FStale = false;
    RecalcAll();
    return true;
}

bool TDBSumListProducer::OffThread()
{
    if (IsUIThread())
        return false;
    // A job fills the dataset: the totals are recomputed once the window hears of it again.
    FStale = true;
    return true;
}

// ============================================================================================
// Taking over the dataset's events
// ============================================================================================

void TDBSumListProducer::SetDataSetEvents()
{
    if (!FDataSet || FEventsOverloaded)
        return;
    FMasterDataset = nullptr;
    FMasterPropInfo = nullptr;
    try {
        const TPropInfo* info = GetPropInfo(FDataSet, QStringLiteral("MasterSource"));
        if (info && info->GetObj) {
            FMasterPropInfo = info;
            if (auto* source = dynamic_cast<TDataSource*>(info->GetObj(FDataSet)))
                FMasterDataset = source->DataSet();
        }
    } catch (const Exception&) {
        // A master that cannot be read counts as none.
        FMasterDataset = nullptr;
    }

    OldAfterEdit = FDataSet->AfterEdit;
    OldAfterInsert = FDataSet->AfterInsert;
    OldAfterOpen = FDataSet->AfterOpen;
    OldAfterPost = FDataSet->AfterPost;
    OldAfterScroll = FDataSet->AfterScroll;
    OldBeforeDelete = FDataSet->BeforeDelete;
    OldAfterClose = FDataSet->AfterClose;
    OldAfterCancel = FDataSet->AfterCancel;
    if (FMasterDataset)
        OldMasterAfterScroll = FMasterDataset->AfterScroll;

    FDataSet->AfterEdit = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterEdit);
    FDataSet->AfterInsert = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterInsert);
    FDataSet->AfterOpen = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterOpen);
    FDataSet->AfterPost = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterPost);
    FDataSet->AfterScroll = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterScroll);
    FDataSet->BeforeDelete = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetBeforeDelete);
    FDataSet->AfterClose = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterClose);
    FDataSet->AfterCancel = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterCancel);
    if (FMasterDataset)
        FMasterDataset->AfterScroll = TDataSetNotifyEvent(this, &TDBSumListProducer::MasterDataSetAfterScroll);
    FEventsOverloaded = true;
}

void TDBSumListProducer::RestoreDataSetEvents()
{
    if (!FDataSet || !FEventsOverloaded)
        return;
    FDataSet->AfterEdit = OldAfterEdit;
    FDataSet->AfterInsert = OldAfterInsert;
    FDataSet->AfterOpen = OldAfterOpen;
    FDataSet->AfterPost = OldAfterPost;
    FDataSet->AfterScroll = OldAfterScroll;
    FDataSet->BeforeDelete = OldBeforeDelete;
    FDataSet->AfterClose = OldAfterClose;
    FDataSet->AfterCancel = OldAfterCancel;
    if (FMasterDataset)
        FMasterDataset->AfterScroll = OldMasterAfterScroll;
    OldAfterEdit = OldAfterInsert = OldAfterOpen = OldAfterPost = OldAfterScroll = OldBeforeDelete = OldAfterClose =
        OldAfterCancel = OldMasterAfterScroll = nullptr;
    FMasterDataset = nullptr;
    FMasterPropInfo = nullptr;
    FEventsOverloaded = false;
    FVirtualRecList->Clear();
    FInsertedBookmark.clear();
}

// ============================================================================================
// Incremental updates
// ============================================================================================

void TDBSumListProducer::DataSetAfterEdit(TDataSet* DataSet)
{
    if (FActive && !OffThread()) {
        for (int i = 0; i < FSumCollection->Count(); ++i) {
            TDBSum* item = FSumCollection->Items(i);
            if (!item->TakesPart())
                continue;
            switch (item->GroupOperation()) {
            case goSum: {
                TField* f = DataSet->FieldByName(item->FieldName());
                item->Value = NoAmount(f) ? Currency() : RoundScaled(Scaled(f));
                break;
            }
            case goAvg: {
                TField* f = DataSet->FieldByName(item->FieldName());
                item->Value = NoAmount(f) ? Currency() : RoundScaled(Scaled(f));
                item->VarValue = NoAmount(f) ? Variant::Null() : f->Value();
                break;
            }
            case goCount:
                item->Value = OneRecord;
                if (!item->FieldName().isEmpty() && DataSet->FieldByName(item->FieldName())->IsNull())
                    item->Value = Currency();
                break;
            }
        }
    }
    if (OldAfterEdit)
        OldAfterEdit(DataSet);
}

void TDBSumListProducer::DataSetAfterInsert(TDataSet* DataSet)
{
    if (FActive && !OffThread()) {
        for (int i = 0; i < FSumCollection->Count(); ++i) {
            TDBSum* item = FSumCollection->Items(i);
            if (!item->TakesPart())
                continue;
            item->Value = Currency();
            if (item->GroupOperation() == goAvg)
                item->VarValue = Variant::Null();
            else if (item->GroupOperation() == goCount && !item->FieldName().isEmpty() &&
                     !DataSet->FieldByName(item->FieldName())->IsNull())
                item->Value = OneRecord;
        }
        if (!DataSet->IsSequenced() && FVirtualRecords) {
            const TBookmark bm = DataSet->Bookmark();
            if (bm.isEmpty()) {
                FTryedInsert = true;
            } else {
                FVirtualRecList->AppendItem(bm);
                FInsertedBookmark = bm;
            }
        }
    }
    if (OldAfterInsert)
        OldAfterInsert(DataSet);
}

void TDBSumListProducer::DataSetAfterPost(TDataSet* DataSet)
{
    if (FActive && !OffThread()) {
        for (int i = 0; i < FSumCollection->Count(); ++i) {
            TDBSum* item = FSumCollection->Items(i);
            if (!item->TakesPart())
                continue;
            switch (item->GroupOperation()) {
            case goSum: {
                TField* f = DataSet->FieldByName(item->FieldName());
                if (NoAmount(f))
                    item->FSumValue -= item->Value;
                else
                    item->FSumValue = RoundScaled(Scaled(f) + Raw(item->FSumValue - item->Value));
                break;
            }
            case goAvg: {
                TField* f = DataSet->FieldByName(item->FieldName());
                if (NoAmount(f)) {
                    if (!NullValue(item->VarValue))
                        --item->FNotNullRecordCount;
                    item->FSumValueAsSum -= item->Value;
                } else {
                    if (NullValue(item->VarValue))
                        ++item->FNotNullRecordCount;
                    item->FSumValueAsSum = RoundScaled(Scaled(f) + Raw(item->FSumValueAsSum - item->Value));
                }
                item->FSumValue = AverageOf(item->FSumValueAsSum, item->FNotNullRecordCount);
                break;
            }
            case goCount:
                if (!item->FieldName().isEmpty() && DataSet->FieldByName(item->FieldName())->IsNull())
                    item->FSumValue -= item->Value;
                else
                    item->FSumValue = item->FSumValue - item->Value + OneRecord;
                break;
            }
        }
        if (!DataSet->IsSequenced() && FVirtualRecords && FTryedInsert) {
            InsertVirtualBookmark(DataSet->Bookmark());
            FTryedInsert = false;
        }
        FInsertedBookmark.clear();
        DoSumListChanged();
    }
    if (OldAfterPost)
        OldAfterPost(DataSet);
}

void TDBSumListProducer::DataSetBeforeDelete(TDataSet* DataSet)
{
    if (OldBeforeDelete)
        OldBeforeDelete(DataSet);
    if (!FActive || OffThread())
        return;
    for (int i = 0; i < FSumCollection->Count(); ++i) {
        TDBSum* item = FSumCollection->Items(i);
        if (!item->TakesPart())
            continue;
        switch (item->GroupOperation()) {
        case goSum: {
            TField* f = DataSet->FieldByName(item->FieldName());
            if (!NoAmount(f))
                item->FSumValue = RoundScaled(Raw(item->FSumValue) - Scaled(f));
            break;
        }
        case goAvg: {
            TField* f = DataSet->FieldByName(item->FieldName());
            if (!NoAmount(f)) {
                item->FSumValueAsSum = RoundScaled(Raw(item->FSumValueAsSum) - Scaled(f));
                --item->FNotNullRecordCount;
            }
            item->FSumValue = AverageOf(item->FSumValueAsSum, item->FNotNullRecordCount);
            break;
        }
        case goCount:
            if (item->FieldName().isEmpty() || !DataSet->FieldByName(item->FieldName())->IsNull())
                item->FSumValue -= OneRecord;
            break;
        }
    }
    if (!DataSet->IsSequenced() && FVirtualRecords) {
        const int index = FindVirtualRecNo(DataSet->Bookmark());
        if (index >= 0)
            FVirtualRecList->DeleteItem(index);
    }
    DoSumListChanged();
}

void TDBSumListProducer::DataSetAfterCancel(TDataSet* DataSet)
{
    if (OldAfterCancel)
        OldAfterCancel(DataSet);
    FTryedInsert = false;
    // An insert that never got posted leaves no entry behind.
    if (!FInsertedBookmark.isEmpty()) {
        for (int i = FVirtualRecList->Count() - 1; i >= 0; --i)
            if (FVirtualRecList->GetItem(i) == FInsertedBookmark) {
                FVirtualRecList->DeleteItem(i);
                break;
            }
        FInsertedBookmark.clear();
    }
}

void TDBSumListProducer::DataSetAfterClose(TDataSet* DataSet)
{
    if (FActive && !OffThread()) {
        ClearSumValues();
        FChanging = false;
    }
    FVirtualRecList->Clear();
    FInsertedBookmark.clear();
    if (OldAfterClose)
        OldAfterClose(DataSet);
}

void TDBSumListProducer::DataSetAfterOpen(TDataSet* DataSet)
{
    if (FActive && !OffThread())
        RecalcAll();
    if (OldAfterOpen)
        OldAfterOpen(DataSet);
}

void TDBSumListProducer::DataSetAfterScroll(TDataSet* DataSet)
{
    if (OldAfterScroll)
        OldAfterScroll(DataSet);
    if (!FActive || FChanging || OffThread())
        return;
    if (DataSet->Filtered() != FFiltered || (DataSet->Filtered() && DataSet->Filter() != FFilter))
        RecalcAll();
}

void TDBSumListProducer::MasterDataSetAfterScroll(TDataSet* DataSet)
{
    if (OldMasterAfterScroll)
        OldMasterAfterScroll(DataSet);
    if (FActive && !FChanging && !OffThread())
        RecalcAll();
}

// ============================================================================================
// Full recalculation
// ============================================================================================

void TDBSumListProducer::RecalcAll()
{
    if (!OwnerLoading() && FActive && FDataSet && FDataSet->Active() && dynamic_cast<IMemTableEh*>(FDataSet)) {
        // Calculated values exist only under the cursor: such a total needs the walk below.
        bool calculated = false;
        for (int i = 0; i < FSumCollection->Count() && !calculated; ++i) {
            TField* f = FDataSet->FindField(FSumCollection->Items(i)->FieldName());
            calculated = f && f->Calculated();
        }
        if (!calculated) {
            RecalcAllForIntMemTable();
            RecordFilterState();
            return;
        }
    }
    if ((OwnerDesigning() && !FDesignTimeWork) || OwnerLoading() || !FActive || !FDataSet || !FDataSet->Active() ||
        !FEventsOverloaded)
        return;
    FStale = false;

    auto finish = Finally([this] {
        RecordFilterState();
        FChanging = false;
        DoSumListChanged();
    });
    ClearSumValues();
    FOldRecNo = -1;
    if (OnRecalcAll)
        OnRecalcAll(this);
    if (FExternalRecalc)
        return;

    const bool keepList = !FDataSet->IsSequenced() && FVirtualRecords;
    std::vector<std::pair<TDBSum*, TField*>> items;
    for (int i = 0; i < FSumCollection->Count(); ++i) {
        TDBSum* item = FSumCollection->Items(i);
        if (item->TakesPart())
            items.emplace_back(item, item->FieldName().isEmpty() ? nullptr : FDataSet->FieldByName(item->FieldName()));
    }
    if (!items.empty() || keepList) {
        const TBookmark saved = FDataSet->Bookmark();
        FDataSet->DisableControls();
        auto enable = Finally([this] { FDataSet->EnableControls(); });
        FVirtualRecList->Clear();
        FInsertedBookmark.clear();
        FChanging = true;
        FDataSet->First();
        while (!FDataSet->Eof()) {
            for (auto& [item, f] : items) {
                switch (item->GroupOperation()) {
                case goSum:
                    if (!NoAmount(f))
                        item->FSumValue = RoundScaled(Scaled(f) + Raw(item->FSumValue));
                    break;
                case goAvg:
                    if (!NoAmount(f)) {
                        ++item->FNotNullRecordCount;
                        item->FSumValueAsSum = RoundScaled(Scaled(f) + Raw(item->FSumValueAsSum));
                    }
                    break;
                case goCount:
                    if (!f || !f->IsNull())
                        item->FSumValue += OneRecord;
                    break;
                }
            }
            if (keepList)
                FVirtualRecList->AppendItem(FDataSet->Bookmark());
            FDataSet->Next();
        }
        if (!saved.isEmpty())
            FDataSet->GotoBookmark(saved);
        else
            FDataSet->First();
        for (auto& [item, f] : items)
            if (item->GroupOperation() == goAvg)
                item->FSumValue = AverageOf(item->FSumValueAsSum, item->FNotNullRecordCount);
    }
    if (OnAfterRecalcAll)
        OnAfterRecalcAll(this);
}

void TDBSumListProducer::RecalcAllForIntMemTable()
{
    auto* table = dynamic_cast<IMemTableEh*>(FDataSet);
    if (OwnerLoading() || !FActive || !FDataSet || !FDataSet->Active() || !table)
        return;
    FStale = false;
    table->FetchRecords(-1);
    if (OnRecalcAll)
        OnRecalcAll(this);
    for (int i = 0; i < FSumCollection->Count(); ++i) {
        TDBSum* item = FSumCollection->Items(i);
        if (!item->TakesPart())
            continue;
        TAggrResultArr result;
        switch (item->GroupOperation()) {
        case goSum:
            table->GetAggregatedValuesForRange(TBookmark(), TBookmark(), item->FieldName(), result, {agfSumEh});
            item->FSumValue = NullValue(result[agfSumEh]) ? Currency() : result[agfSumEh].AsCurrency();
            break;
        case goAvg:
            // The running sum and count too, so the edits that follow build on this pass.
            table->GetAggregatedValuesForRange(TBookmark(), TBookmark(), item->FieldName(), result,
                                               {agfSumEh, agfCountEh, agfAvg});
            item->FSumValue = NullValue(result[agfAvg]) ? Currency() : result[agfAvg].AsCurrency();
            item->FSumValueAsSum = NullValue(result[agfSumEh]) ? Currency() : result[agfSumEh].AsCurrency();
            item->FNotNullRecordCount = NullValue(result[agfCountEh]) ? 0 : result[agfCountEh].AsInteger();
            break;
        case goCount:
            table->GetAggregatedValuesForRange(TBookmark(), TBookmark(), item->FieldName(), result, {agfCountEh});
            item->FSumValue =
                NullValue(result[agfCountEh]) ? Currency() : Currency::FromInt(result[agfCountEh].AsInt64());
            break;
        }
    }
    if (OnAfterRecalcAll)
        OnAfterRecalcAll(this);
    DoSumListChanged();
}

// ============================================================================================
// Virtual records
// ============================================================================================

bool TDBSumListProducer::VirtualMode()
{
    return FDataSet && FVirtualRecords && FActive && !FDataSet->IsSequenced();
}

int TDBSumListProducer::FindVirtualRecNo(const TBookmark& Bookmark)
{
    const int count = FVirtualRecList->Count();
    if (FOldRecNo == -1)
        FOldRecNo = 0;
    if (count == 0)
        return -1;
    if (FOldRecNo >= count)
        FOldRecNo = 0;
    const int first = FDataSet->CompareBookmarks(FVirtualRecList->GetItem(FOldRecNo), Bookmark);
    if (first == 0)
        return FOldRecNo;
    const int step = first > 0 ? -1 : 1;
    for (int i = FOldRecNo + step; i >= 0 && i < count; i += step)
        if (FDataSet->CompareBookmarks(FVirtualRecList->GetItem(i), Bookmark) == 0) {
            FOldRecNo = i;
            return i;
        }
    return -1;
}

void TDBSumListProducer::InsertVirtualBookmark(const TBookmark& Bookmark)
{
    const int count = FVirtualRecList->Count();
    if (count == 0) {
        FVirtualRecList->InsertItem(0, Bookmark);
        return;
    }
    const int start = FOldRecNo < 0 || FOldRecNo >= count ? 0 : FOldRecNo;
    const int first = FDataSet->CompareBookmarks(FVirtualRecList->GetItem(start), Bookmark);
    int at = start;
    if (first > 0) {
        int i = start;
        while (i >= 0 && FDataSet->CompareBookmarks(FVirtualRecList->GetItem(i), Bookmark) > 0)
            --i;
        at = i + 1;
    } else if (first < 0) {
        int i = start;
        while (i < count && FDataSet->CompareBookmarks(FVirtualRecList->GetItem(i), Bookmark) < 0)
            ++i;
        at = i;
    }
    FVirtualRecList->InsertItem(at, Bookmark);
}

int TDBSumListProducer::GetRecNo()
{
    if (VirtualMode())
        return FindVirtualRecNo(FDataSet->Bookmark()) + 1;
    return FDataSet ? FDataSet->RecNo() : 0;
}

void TDBSumListProducer::SetRecNo(int Value)
{
    if (VirtualMode()) {
        if (Value < 1 || Value > FVirtualRecList->Count())
            throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Value - 1));
        FDataSet->GotoBookmark(FVirtualRecList->GetItem(Value - 1));
    } else if (FDataSet) {
        FDataSet->SetRecNo(Value);
    }
}

int TDBSumListProducer::RecordCount()
{
    if (VirtualMode())
        return FVirtualRecList->Count();
    return FDataSet ? FDataSet->RecordCount() : 0;
}

bool TDBSumListProducer::IsSequenced()
{
    if (FDataSet && FDataSet->IsSequenced())
        return true;
    if (FDataSet && FVirtualRecords && FActive)
        return FVirtualRecList->Count() > 0 || (FDataSet->Bof() && FDataSet->Eof());
    return false;
}
