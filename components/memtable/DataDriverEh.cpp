// Data drivers: reading a provider dataset into a record store and writing the store's changes
// back to it.
#include "DataDriverEh.h"

#include "MemTableEh.h"
#include "platform/rtl/Guards.h"

bool IsKeyCapableFieldTypeEh(TFieldType t)
{
    if (t >= ftUnknown && t <= ftAutoInc)
        return true;
    switch (t) {
    case ftFixedChar: case ftWideString: case ftLargeint: case ftADT: case ftArray: case ftReference:
        return true;
    default:
        return t >= ftVariant && t <= ftExtended;
    }
}

DOV_PUBLISHED(TDataDriverEh) {}

DOV_PUBLISHED(TDataSetDriverEh)
{
    P.Prop("KeyFields", &TDataSetDriverEh::KeyFields, &TDataSetDriverEh::SetKeyFields);
    P.Prop("ProviderDataSet", &TDataSetDriverEh::ProviderDataSet, &TDataSetDriverEh::SetProviderDataSet);
    P.Prop("ResolveToDataSet", &TDataSetDriverEh::ResolveToDataSet, &TDataSetDriverEh::SetResolveToDataSet).Default(true);
}

TDataDriverEh::TDataDriverEh(TComponent* AOwner) : TComponent(AOwner) {}

TDataDriverEh::~TDataDriverEh()
{
    SetProviderEOF(true);
    if (auto* t = dynamic_cast<TCustomMemTableEh*>(FDataDriverConsumer))
        t->SetDataDriver(nullptr);
    if (FProviderDataSet)
        FProviderDataSet->RemoveFreeNotification(this);
}

void TDataDriverEh::SetProviderDataSet(TDataSet* Value)
{
    if (Value == FProviderDataSet)
        return;
    if (auto* t = dynamic_cast<TCustomMemTableEh*>(Value); t && t->DataDriver() == this)
        DatabaseError(QStringLiteral("Circular of ProviderDataSet and TMemTableEh.DataDriver assigning is not allowed"), this);
    if (FProviderDataSet)
        FProviderDataSet->RemoveFreeNotification(this);
    if (FReaderDataSet == FProviderDataSet)
        FReaderDataSet = nullptr;
    FProviderDataSet = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TDataDriverEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FReaderDataSet) {
        FReaderDataSet = nullptr;
        FFieldMapBuilt = false;
    }
    if (AComponent == FProviderDataSet)
        FProviderDataSet = nullptr;
    if (AComponent == FDataDriverConsumer)
        FDataDriverConsumer = nullptr;
}

void TDataDriverEh::SetProviderEOF(bool Value)
{
    if (Value == FProviderEOF)
        return;
    FProviderEOF = Value;
    if (Value && FReaderDataSetFreeOnEof && FReaderDataSet) {
        TDataSet* r = FReaderDataSet;
        FReaderDataSet = nullptr;
        FReaderDataSetFreeOnEof = false;
        delete r;
    }
}

// ---------------------------------------------------------------- reader and structure

TDataSet* TDataDriverEh::GetDataReader()
{
    FDataToRecFields.clear();
    FFieldMapBuilt = false;
    if (FReaderDataSet && !FProviderEOF)
        return FReaderDataSet;
    bool freeOnEof = false;
    FProviderEOF = false;
    if (OnProduceDataReader)
        OnProduceDataReader(this, FReaderDataSet, freeOnEof);
    else
        DefaultProduceDataReader(FReaderDataSet, freeOnEof);
    FReaderDataSetFreeOnEof = freeOnEof;
    return FReaderDataSet;
}

void TDataDriverEh::DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof)
{
    if (!FProviderDataSet)
        return;
    if (!FProviderDataSet->Active())
        FProviderDataSet->Open();
    FProviderDataSet->First();
    FreeOnEof = false;
    DataSet = FProviderDataSet;
}

void TDataDriverEh::BuildDataStruct(TMTDataStructEh* DataStruct)
{
    if (OnBuildDataStruct)
        OnBuildDataStruct(this, DataStruct);
    else if (OnProduceDataReader) {
        if (TDataSet* r = GetDataReader())
            DataStruct->BuildStructFromFields(r->Fields());
    } else
        DefaultBuildDataStruct(DataStruct);
}

void TDataDriverEh::DefaultBuildDataStruct(TMTDataStructEh* DataStruct)
{
    if (FReaderDataSet) {
        DataStruct->BuildStructFromFields(FReaderDataSet->Fields());
        AdjustDataStruct(FReaderDataSet->Fields(), DataStruct);
    } else if (FProviderDataSet) {
        if (FProviderDataSet->FieldCount() == 0) {
            FProviderDataSet->Open();
            DataStruct->BuildStructFromFields(FProviderDataSet->Fields());
            FProviderDataSet->Close();
        } else {
            DataStruct->BuildStructFromFields(FProviderDataSet->Fields());
        }
        AdjustDataStruct(FProviderDataSet->Fields(), DataStruct);
    }
}

// ---------------------------------------------------------------- reading

int TDataDriverEh::ReadData(TMemTableDataEh* MemTableData, int Count)
{
    if (FProviderEOF || Count == 0)
        return 0;
    TRecordsListEh* list = MemTableData->RecordsList();
    int n = 0;
    for (;;) {
        TNewRecordEh rec(list->NewRecord());
        bool eof = false;
        if (OnReadRecord)
            OnReadRecord(this, MemTableData, rec.get(), eof);
        else
            DefaultReadRecord(MemTableData, rec.get(), eof);
        if (eof) {
            rec.reset();
            SetProviderEOF(true);
            break;
        }
        list->FetchRecord(rec.get());
        rec.release();   // the list owns it now
        ++n;
        if (Count > 0 && n >= Count)
            break;
    }
    return n;
}

void TDataDriverEh::DefaultReadRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, bool& ProviderEOF)
{
    TDataSet* r = FReaderDataSet;
    if (!r || !r->Active() || r->Eof()) {
        ProviderEOF = true;
        return;
    }
    const int n = MemTableData->DataStruct()->Count();
    for (int i = 0; i < n; ++i)
        AssignFieldValue(MemTableData, MemRec, i, dvvValueEh, r);
    r->Next();
    ProviderEOF = false;
}

void TDataDriverEh::AssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, int DataFieldIndex,
                                     TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet)
{
    if (OnAssignFieldValue)
        OnAssignFieldValue(this, MemTableData, MemRec, DataFieldIndex, DataValueVersion, ReaderDataSet);
    else
        DefaultAssignFieldValue(MemTableData, MemRec, DataFieldIndex, DataValueVersion, ReaderDataSet);
}

void TDataDriverEh::DefaultAssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                            int DataFieldIndex, TDataValueVersionEh DataValueVersion,
                                            TDataSet* ReaderDataSet)
{
    TMTDataStructEh* st = MemTableData->DataStruct();
    if (!FFieldMapBuilt || int(FDataToRecFields.size()) != st->Count()) {
        FDataToRecFields.assign(size_t(st->Count()), nullptr);
        for (int i = 0; i < st->Count(); ++i)
            FDataToRecFields[size_t(i)] = ReaderDataSet->FindField(st->DataFields(i)->GetFieldName());
        FFieldMapBuilt = true;
    }
    TField* f = DataFieldIndex >= 0 && DataFieldIndex < int(FDataToRecFields.size())
                    ? FDataToRecFields[size_t(DataFieldIndex)] : nullptr;
    if (f && f->DataSet() != ReaderDataSet)
        f = ReaderDataSet->FindField(st->DataFields(DataFieldIndex)->GetFieldName());
    if (!f)
        return;
    Variant v;
    if (!f->GetData(v))
        v = Variant::Null();
    MemRec->SetDataValue(DataFieldIndex, DataValueVersion, v);
}

// ---------------------------------------------------------------- writing back

QString TDataDriverEh::UpdateKeyFields() const
{
    if (!FKeyFields.isEmpty() || !FProviderDataSet)
        return FKeyFields;
    QStringList names;
    for (TField* f : FProviderDataSet->Fields()->List())
        if (f->FieldKind() == fkData && IsKeyCapableFieldTypeEh(f->DataType()))
            names << f->FieldName();
    return names.join(u';');
}

int TDataDriverEh::UpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)
{
    if (OnUpdateRecord) {
        OnUpdateRecord(this, MemTableData, MemRec);
        return 1;
    }
    return DefaultUpdateRecord(MemTableData, MemRec);
}

int TDataDriverEh::ApplyUpdates(TMemTableDataEh* MemTableData)
{
    TRecordsListEh* list = MemTableData->RecordsList();
    int count = 0;
    // The list shrinks as records merge: walk a copy.
    const std::vector<TMemoryRecordEh*> delta = list->DeltaList();
    for (TMemoryRecordEh* rec : delta) {
        if (!rec)
            continue;
        TUpdateErrorActionEh action = ueaBreakRaiseEh;
        for (;;) {
            try {
                UpdateRecord(MemTableData, rec);
                ++count;
                action = ueaCountinueEh;
                break;
            } catch (EDatabaseError& e) {
                action = ueaBreakRaiseEh;
                if (OnUpdateError)
                    OnUpdateError(this, MemTableData, rec, action);
                else
                    DefaultUpdateError(MemTableData, rec, action);
                if (action == ueaBreakRaiseEh)
                    throw;
                rec->SetUpdateError(new TUpdateErrorEh(new EDatabaseError(e.Message())));
                if (action == ueaRetryEh)
                    continue;
                break;
            }
        }
        if (action == ueaBreakAbortEh)
            break;
        if (action != ueaCountinueSkip)
            rec->MergeChanges();
    }
    list->CleanupChangedRecs();
    return count;
}

void TDataDriverEh::DefaultUpdateError(TMemTableDataEh*, TMemoryRecordEh*, TUpdateErrorActionEh& Action)
{
    Action = ueaBreakRaiseEh;
}

int TDataDriverEh::DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)
{
    TDataSet* p = FProviderDataSet;
    if (!FResolveToDataSet || !p)
        return 0;
    if (!p->Active())
        p->Open();
    TBookmark saved = p->Bookmark();
    TMTDataStructEh* st = MemTableData->DataStruct();
    const TUpdateStatus status = MemRec->UpdateStatus();
    auto restore = [&] {
        if (!saved.isEmpty() && p->Active() && p->BookmarkValid(saved)) {
            try {
                p->GotoBookmark(saved);
            } catch (...) {
            }
        }
    };
    auto back = Finally(restore);
    auto cancel = OnFailure([p] {
        if (p->State() == dsEdit || p->State() == dsInsert)
            p->Cancel();
    });
    const QString keys = UpdateKeyFields();
    if (status == usModified || status == usDeleted) {
        std::vector<int> idx;
        for (const QString& k : SplitFieldNames(keys)) {
            const int i = st->FieldIndex(k);
            if (i < 0)
                DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {k}, this);
            idx.push_back(i);
        }
        Variant keyValues;
        if (idx.size() == 1)
            keyValues = MemRec->GetDataValue(idx[0], dvvOldestValue);
        else {
            std::vector<Variant> vals;
            for (int i : idx)
                vals.push_back(MemRec->GetDataValue(i, dvvOldestValue));
            keyValues = VarArrayOf(vals);
        }
        // A row that is gone is an update error, not a success: the change stays pending
        // unless the error action says otherwise.
        if (idx.empty() || !p->Locate(keys, keyValues, {}))
            DatabaseError(QString::fromLatin1(DataDriverRecordNotFound), this);
        if (status == usDeleted && p->CompareBookmarks(p->Bookmark(), saved) == 0)
            saved.clear();
    }
    if (status == usDeleted) {
        p->Delete();
    } else {
        if (status == usModified)
            p->Edit();
        else
            p->Insert();
        for (int i = 0; i < st->Count(); ++i) {
            TField* f = p->FindField(st->DataFields(i)->GetFieldName());
            if (!f || f->ReadOnly() || f->FieldKind() != fkData)
                continue;
            f->SetAsVariant(MemRec->GetDataValue(i, dvvValueEh));
        }
        p->Post();
        // values the provider gave the row (identities, defaults) come back into the record
        MemRec->EditForRefresh();
        for (int i = 0; i < st->Count(); ++i)
            if (TField* f = p->FindField(st->DataFields(i)->GetFieldName())) {
                Variant v;
                if (!f->GetData(v))
                    v = Variant::Null();
                MemRec->SetDataValue(i, dvvValueEh, v);
            }
        MemRec->Post();
    }
    return 1;
}

// ---------------------------------------------------------------- refresh, parameters, closing

void TDataDriverEh::RefreshRecord(TMemoryRecordEh* MemRecord)
{
    if (OnRefreshRecord)
        OnRefreshRecord(this, MemRecord->RecordsList()->MemTableData(), MemRecord);
    else
        DefaultRefreshRecord(MemRecord);
}

void TDataDriverEh::DefaultRefreshRecord(TMemoryRecordEh* MemRecord)
{
    TDataSet* p = FProviderDataSet;
    if (!p)
        return;
    if (FKeyFields.isEmpty())
        throw Exception(QStringLiteral("It is required to set DataDriver.KeyFields to refresh record values"));
    TMemTableDataEh* data = MemRecord->RecordsList()->MemTableData();
    TMTDataStructEh* st = data->DataStruct();
    const TBookmark saved = p->Bookmark();
    const TDataValueVersionEh ver = MemRecord->UpdateStatus() == usModified ? dvvOldValueEh : dvvValueEh;
    std::vector<Variant> vals;
    for (const QString& k : SplitFieldNames(FKeyFields))
        vals.push_back(MemRecord->GetDataValue(st->FieldIndex(k), ver));
    const Variant key = vals.size() == 1 ? vals[0] : VarArrayOf(vals);
    if (!p->Locate(FKeyFields, key, {}))
        throw Exception(QStringLiteral("Key is not found in ProviderDataSet"));
    FFieldMapBuilt = false;
    auto back = Finally([&] {
        if (!saved.isEmpty() && p->BookmarkValid(saved))
            p->GotoBookmark(saved);
    });
    for (int i = 0; i < st->Count(); ++i)
        AssignFieldValue(data, MemRecord, i, dvvRefreshValue, p);
    FFieldMapBuilt = false;
}

void TDataDriverEh::ConsumerClosed(TObject*)
{
    if (FProviderDataSet)
        FProviderDataSet->Close();
    SetProviderEOF(true);
}

void TDataDriverEh::RefreshReader()
{
    if (FProviderDataSet && FProviderDataSet->Active()) {
        FProviderDataSet->Refresh();
        FProviderDataSet->First();
    }
}

bool TDataDriverEh::RefreshReaderParamsFromCursor(TDataSet* DataSet)
{
    auto* ps = dynamic_cast<IProviderSupportNG*>(FProviderDataSet);
    TParams* params = ps && DataSet ? ps->PSGetParams() : nullptr;
    if (!params)
        return false;
    for (int i = 0; i < params->Count(); ++i) {
        TParam* p = params->Items(i);
        if (TField* f = DataSet->FindField(p->Name()))
            if (!VarEqualsEh(p->Value(), f->AsVariant()))
                return true;
    }
    return false;
}

void TDataDriverEh::SetReaderParamsFromCursor(TDataSet* DataSet)
{
    auto* ps = dynamic_cast<IProviderSupportNG*>(FProviderDataSet);
    TParams* params = ps && DataSet ? ps->PSGetParams() : nullptr;
    if (!params)
        return;
    for (int i = 0; i < params->Count(); ++i) {
        TParam* p = params->Items(i);
        if (p->Bound())
            continue;
        // a parameter the master has no field for is an error in the link, not a Null key
        TField* f = DataSet->FieldByName(p->Name());
        p->AssignFieldValue(f, f->AsVariant());
        p->SetBound(false);
    }
    ps->PSSetParams(params);
}
