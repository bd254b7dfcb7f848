// The table as the detail of a master dataset: the link to the master's data source, the choice
// of detail mode, the local restriction to the master's key (through an index over the detail
// fields), and the provider re-read with the master's values as parameters.
#include "MemTableEh.h"

#include "DataDriverEh.h"
#include "platform/rtl/Guards.h"

#include <algorithm>

// ---------------------------------------------------------------- TMasterDataLinkEh

void TMasterDataLinkEh::ResolveFields()
{
    auto clear = OnFailure([this] { FFields.clear(); });
    std::vector<TField*> list;
    if (Active() && DataSet() && !FFieldNames.isEmpty())
        DataSet()->GetFieldList(list, FFieldNames);
    FFields = std::move(list);
}

void TMasterDataLinkEh::ActiveChanged()
{
    ResolveFields();
    if (!FDataSet->Active() || FDataSet->ComponentState().Contains(csDestroying))
        return;
    if (Active()) {
        if (OnMasterChange)
            OnMasterChange(FDataSet);
    } else if (OnMasterDisable) {
        OnMasterDisable(FDataSet);
    }
}

void TMasterDataLinkEh::CheckBrowseMode()
{
    // the master leaves its record: a pending edit of the detail belongs to it
    if (FDataSet->Active())
        FDataSet->CheckBrowseMode();
}

void TMasterDataLinkEh::RecordChanged(TField* Field)
{
    if (!DataSource() || DataSource()->State() == dsSetKey || !FDataSet->Active())
        return;
    if (Field && std::find(FFields.begin(), FFields.end(), Field) == FFields.end())
        return;
    if (OnMasterChange)
        OnMasterChange(FDataSet);
}

void TMasterDataLinkEh::SetFieldNames(const QString& Value)
{
    if (Value == FFieldNames)
        return;
    const QString oldNames = FFieldNames;
    const std::vector<TField*> oldFields = FFields;
    FFieldNames = Value;
    auto undo = OnFailure([&] {
        FFieldNames = oldNames;
        FFields = oldFields;
    });
    ActiveChanged();
}

// ---------------------------------------------------------------- TSortedVarlistEh

bool TSortedVarlistEh::FindKeyValueIndex(const Variant& Value, int& Index) const
{
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        TVariantRelationship r = vrNotEqual;
        try {
            r = VarCompareEh(FItems[size_t(mid)]->Value, Value);
        } catch (const Exception&) {
            r = vrNotEqual;
        }
        if (r == vrNotEqual)
            throw Exception(QStringLiteral("TSortedVarlistEh.FindKeyValueIndex: values is not comparable."));
        if (r == vrLessThan) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (r == vrEqual) {
                lo = mid;
                found = true;
            }
        }
    }
    Index = lo;
    return found;
}

bool TSortedVarlistEh::Contains(const Variant& Value) const
{
    int i = 0;
    return FindKeyValueIndex(Value, i);
}

int TSortedVarlistEh::Add(TSortedVarItemEh* Item)
{
    std::unique_ptr<TSortedVarItemEh> owned(Item);
    int i = 0;
    FindKeyValueIndex(Item->Value, i);
    FItems.insert(FItems.begin() + i, std::move(owned));
    return i;
}

// ---------------------------------------------------------------- the table's own detail index

namespace {

// Keeps an index that is not one of the store's in step with the store's records.
class TDetailIndexKeeperEh : public TRecordsListNotificatorEh {
public:
    TDetailIndexKeeperEh(TComponent* AOwner, TMTIndexEh* Index) : TRecordsListNotificatorEh(AOwner), FIndex(Index) {}
    void DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action) override
    {
        if (MemTableData())
            FIndex->Notify(MemRec, Index, Action);
    }
    void RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex) override
    {
        if (MemTableData())
            FIndex->RecordMoved(MemRec, OldIndex, NewIndex);
    }

private:
    TMTIndexEh* FIndex;
};

QString JoinFieldNames(const std::vector<TField*>& Fields)
{
    QStringList names;
    for (TField* f : Fields)
        names << f->FieldName();
    return names.join(u';');
}

} // namespace

void TCustomMemTableEh::DropOwnDetailIndex()
{
    FOwnDetailIndexKeeper.reset();
    FOwnDetailIndex.reset();
}

// ---------------------------------------------------------------- properties

void TCustomMemTableEh::InitMasterDetail()
{
    FMasterDataLink = std::make_unique<TMasterDataLinkEh>(this);
    FMasterDataLink->OnMasterChange = TNotifyEvent(this, &TCustomMemTableEh::MasterChanged);
    // a master that closes ends detail mode like one that goes away
    FMasterDataLink->OnMasterDisable = TNotifyEvent(this, &TCustomMemTableEh::MasterChanged);
    FRecordsView->OnGetPrefilteredList = TGetPrefilteredListEventEh(this, &TCustomMemTableEh::DetailPrefilteredList);
}

void TCustomMemTableEh::CheckDetailLink(TDataSet* Master, const QString& MasterNames, const QString& DetailNames)
{
    int masterCount = 0;
    if (Master && Master->Active() && !MasterNames.isEmpty()) {
        std::vector<TField*> list;
        Master->GetFieldList(list, MasterNames);
        masterCount = int(list.size());
    } else {
        masterCount = int(SplitFieldNames(MasterNames).size());
    }
    int detailCount = 0;
    if (FActive && !DetailNames.isEmpty()) {
        std::vector<TField*> list;
        GetFieldList(list, DetailNames);
        for (TField* f : list)
            if (!f->IsDataField() || f->FieldNo() < 1)
                DatabaseError(QStringLiteral("Detail field '%1' is not a data field").arg(f->DisplayName()), this);
        detailCount = int(list.size());
    } else {
        detailCount = int(SplitFieldNames(DetailNames).size());
    }
    if (masterCount > 0 && detailCount > 0 && masterCount != detailCount)
        DatabaseError(QStringLiteral("MasterFields \"%1\" and DetailFields \"%2\" name different numbers of fields")
                          .arg(MasterNames, DetailNames),
                      this);
}

void TCustomMemTableEh::SetMasterSource(TDataSource* Value)
{
    if (Value == MasterSource())
        return;
    if (Value && Value->IsLinkedTo(this))
        DatabaseError(QString::fromLatin1(DBMsg::CircularDataLink), this);
    CheckDetailLink(Value ? Value->DataSet() : nullptr, MasterFields(), FDetailFields);
    FMasterDataLink->SetDataSource(Value);
    UpdateDetailMode(true);
}

void TCustomMemTableEh::SetMasterFields(const QString& Value)
{
    if (Value == MasterFields())
        return;
    CheckDetailLink(FMasterDataLink->Active() ? FMasterDataLink->DataSet() : nullptr, Value, FDetailFields);
    FMasterDataLink->SetFieldNames(Value);
    UpdateDetailMode(true);
}

void TCustomMemTableEh::SetDetailFields(const QString& Value)
{
    if (Value == FDetailFields)
        return;
    CheckDetailLink(FMasterDataLink->Active() ? FMasterDataLink->DataSet() : nullptr, MasterFields(), Value);
    FDetailFields = Value;
    UpdateDetailMode(true);
}

void TCustomMemTableEh::SetMasterDetailSide(TMasterDetailSideEh Value)
{
    if (Value == FMasterDetailSide)
        return;
    FMasterDetailSide = Value;
    UpdateDetailMode(false);
    if (!FDetailMode || !FActive)
        return;
    if (Value == mdsOnProviderEh) {
        Close();
        Open();
    } else {
        FMasterValues = MasterFieldValues();
        RefilterView();
    }
}

// ---------------------------------------------------------------- detail mode

bool TCustomMemTableEh::MasterHasRecord() const
{
    TDataSet* m = FMasterDataLink->Active() ? FMasterDataLink->DataSet() : nullptr;
    return m && m->Active() && !m->IsEmpty();
}

// Empty (not Null) when the master has no current record: then no detail record matches.
Variant TCustomMemTableEh::MasterFieldValues() const
{
    const std::vector<TField*>& fields = FMasterDataLink->Fields();
    if (fields.empty() || !MasterHasRecord())
        return Variant();
    if (fields.size() == 1)
        return fields[0]->Value();
    std::vector<Variant> values;
    values.reserve(fields.size());
    for (TField* f : fields)
        values.push_back(f->Value());
    return VarArrayOf(values);
}

void TCustomMemTableEh::UpdateDetailMode(bool Refresh)
{
    bool mode = false;
    std::vector<TField*> detail;
    std::vector<int> dataIdx;
    if (FActive && FieldCount() > 0) {
        CheckDetailLink(FMasterDataLink->Active() ? FMasterDataLink->DataSet() : nullptr, MasterFields(), FDetailFields);
        if (!FDetailFields.isEmpty())
            GetFieldList(detail, FDetailFields);
        for (TField* f : detail)
            dataIdx.push_back(f->FieldNo() - 1);
        if (FMasterDetailSide == mdsOnProviderEh)
            mode = FMasterDataLink->Active();
        else
            mode = !detail.empty() && FMasterDataLink->Active() && !FMasterDataLink->Fields().empty();
    }
    const bool fieldsChanged = detail != FDetailFieldList;
    FDetailFieldList = std::move(detail);
    FDetailDataIdx = std::move(dataIdx);
    if (fieldsChanged || !mode || FMasterDetailSide == mdsOnProviderEh)
        DropOwnDetailIndex();
    if (mode != FDetailMode) {
        FDetailMode = mode;
        FMasterValues = mode && FMasterDetailSide != mdsOnProviderEh ? MasterFieldValues() : Variant();
        if (Refresh && FActive) {
            if (FMasterDetailSide == mdsOnSelfEh)
                RefilterView();
            else
                RefreshDetailFromProvider();
        }
    } else if (Refresh && FActive && mode && fieldsChanged && LocalDetailFilter()) {
        // other detail fields in force: the rows shown must follow them
        FMasterValues = MasterFieldValues();
        RefilterView();
    }
}

void TCustomMemTableEh::MasterChanged(TObject*)
{
    if (!FActive)
        return;
    // a pending edit of the detail belongs to the former master record
    if (State() == dsEdit || State() == dsInsert)
        CheckBrowseMode();
    const bool oldMode = FDetailMode;
    UpdateDetailMode(false);
    switch (FMasterDetailSide) {
    case mdsOnSelfEh:
    case mdsOnSelfAfterProviderEh: {
        const Variant values = MasterFieldValues();
        if (oldMode == FDetailMode && (!FDetailMode || VarEqualsEh(values, FMasterValues)))
            return;
        FMasterValues = values;
        if (FMasterDetailSide == mdsOnSelfEh)
            RefilterView();
        else
            RefreshDetailFromProvider();
        break;
    }
    case mdsOnProviderEh:
        RefreshDetailFromProvider();
        break;
    }
}

void TCustomMemTableEh::SetReaderParamsFromMaster()
{
    TDataSet* m = MasterSource() ? MasterSource()->DataSet() : nullptr;
    if (!m || !m->Active() || m->State() == dsSetKey || !FDataDriver)
        return;
    FDataDriver->SetReaderParamsFromCursor(m);
    if (FMasterDetailSide == mdsOnSelfAfterProviderEh) {
        const Variant v = MasterFieldValues();
        if (!v.IsEmpty() && !FMasterValList.Contains(v))
            FMasterValList.Add(new TSortedVarItemEh(v));
    }
}

void TCustomMemTableEh::RefreshDetailFromProvider()
{
    TDataSet* m = MasterSource() ? MasterSource()->DataSet() : nullptr;
    const bool served = m && m->Active() && m->State() != dsSetKey && FDataDriver;
    if (!served) {
        // without the provider's answer the local restriction still follows the mode
        if (FActive && FMasterDetailSide == mdsOnSelfAfterProviderEh)
            RefilterView();
        return;
    }
    TDisableControlsGuard<TCustomMemTableEh> controls(this);
    if (FMasterDetailSide == mdsOnProviderEh) {
        if (FDataDriver->RefreshReaderParamsFromCursor(m)) {
            Close();
            Open();
        }
        return;
    }
    if (FMasterDetailSide != mdsOnSelfAfterProviderEh)
        return;
    const Variant v = MasterFieldValues();
    if (!v.IsEmpty() && !FMasterValList.Contains(v)) {
        // what the former reader still holds stays in the store; the next reader serves this master
        FetchFromDriver(-1);
        FDataDriver->ConsumerClosed(this);
        if (FDataSetReader)
            FDataSetReader->RemoveFreeNotification(this);
        SetReaderParamsFromMaster();
        FDataSetReader = FDataDriver->GetDataReader();
        if (FDataSetReader)
            FDataSetReader->FreeNotification(this);
    }
    RefilterView();
}

void TCustomMemTableEh::CloseMasterDetail()
{
    FMasterValList.Clear();
    FDetailMode = false;
    FMasterValues = Variant();
    FDetailFieldList.clear();
    FDetailDataIdx.clear();
    FDetailRecList.clear();
    FDetailRecListActive = false;
    DropOwnDetailIndex();
}

// ---------------------------------------------------------------- the local restriction

bool TCustomMemTableEh::RecordMatchesMaster(TMemoryRecordEh* Rec) const
{
    if (FMasterValues.IsEmpty() || FDetailDataIdx.empty())
        return false;
    const size_t n = FDetailDataIdx.size();
    if (n == 1)
        return VarEqualsEh(Rec->ValueRef(FDetailDataIdx[0]), FMasterValues);
    if (!FMasterValues.IsArray() || FMasterValues.ArrayCount() != int(n))
        return false;
    const int lo = FMasterValues.ArrayLowBound();
    for (size_t i = 0; i < n; ++i)
        if (!VarEqualsEh(Rec->ValueRef(FDetailDataIdx[i]), FMasterValues.GetElement(lo + int(i))))
            return false;
    return true;
}

void TCustomMemTableEh::PrepareDetailRecList()
{
    FDetailRecList.clear();
    FDetailRecListActive = false;
    if (!FActive || !LocalDetailFilter() || FDetailFieldList.empty() || FRecordsView->ViewAsTreeList())
        return;
    if (FMasterValues.IsEmpty()) {
        // no master record: the empty list shows nothing
        FDetailRecListActive = true;
        return;
    }
    const QString names = JoinFieldNames(FDetailFieldList);
    TRecordsListEh* list = FInternMemTableData->RecordsList();
    TMTIndexEh* index = list->Indexes()->GetIndexForFields(names);
    if (index && index->Active()) {
        DropOwnDetailIndex();
    } else {
        if (!FOwnDetailIndex) {
            std::unique_ptr<TMTIndexEh> own(TMTIndexEh::CreateApart(list));
            own->SetActive(true);
            FOwnDetailIndexKeeper = CreateUnique<TDetailIndexKeeperEh>(nullptr, own.get());
            FOwnDetailIndexKeeper->SetDataObject(FInternMemTableData.get());
            FOwnDetailIndex = std::move(own);
            // built once, after the keeper's attach notice
            FOwnDetailIndex->SetFields(names);
        }
        index = FOwnDetailIndex.get();
    }
    // the view shows the matching records in the order of the records list
    std::vector<TIndexItemEh*> items;
    items.reserve(128);
    index->FillMatchedKeyList(FMasterValues, items);
    std::sort(items.begin(), items.end(), [](const TIndexItemEh* a, const TIndexItemEh* b) { return a->RecIndex < b->RecIndex; });
    FDetailRecList.reserve(items.size());
    for (TIndexItemEh* i : items)
        FDetailRecList.push_back(list->GetRec(i->RecIndex));
    FDetailRecListActive = true;
}

const std::vector<TMemoryRecordEh*>* TCustomMemTableEh::DetailPrefilteredList()
{
    return FDetailRecListActive ? &FDetailRecList : nullptr;
}

void TCustomMemTableEh::AssignMasterValuesToNewRecord()
{
    if (!FDetailMode || FDetailFieldList.empty())
        return;
    const std::vector<TField*>& master = FMasterDataLink->Fields();
    if (master.size() != FDetailFieldList.size())
        return;
    // a record without its master would vanish from the view at its post
    if (!MasterHasRecord())
        DatabaseError(QStringLiteral("Cannot insert a detail record: the master has no current record"), this);
    for (size_t i = 0; i < master.size(); ++i)
        FDetailFieldList[i]->SetValue(master[i]->Value());
}
