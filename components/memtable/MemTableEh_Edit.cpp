// The in-memory table: fetching from the data driver on demand, insert, edit, post, cancel and
// delete on the memory records, and writing changes through the driver.
#include "MemTableEh.h"

#include "DataDriverEh.h"
#include "platform/rtl/Guards.h"

int TCustomMemTableEh::FetchFromDriver(int Count)
{
    if (!FDataDriver)
        return 0;
    FFilterError = nullptr;
    const int before = ViewRowCount();
    int n = FDataDriver->ReadData(FInternMemTableData.get(), Count);
    // records the view filters out do not count
    while (Count > 0 && !FDataDriver->ProviderEOF() && ViewRowCount() < before + Count)
        n += FDataDriver->ReadData(FInternMemTableData.get(), 1);
    RaiseFilterError();
    return n;
}

int TCustomMemTableEh::ViewFetchRecords(int Count)
{
    return FetchFromDriver(Count);
}

int TCustomMemTableEh::FetchRecords(int Count)
{
    if (!Active())
        return 0;
    BeginViewUpdate();
    int n = 0;
    auto endUpdate = Finally([&] { EndViewUpdate(n > 0); });
    n = FMemData->FetchRecords(Count);
    return n;
}

int TCustomMemTableEh::ApplyUpdatesToDriver(TMemTableDataEh* Store, int)
{
    if (FDataDriver)
        return FDataDriver->ApplyUpdates(Store);
    FRecordsView->MergeChangeLog();
    return 0;
}

void TCustomMemTableEh::ViewApplyUpdates(TMemTableDataEh* Store)
{
    ApplyUpdatesToDriver(Store, -1);
}

int TCustomMemTableEh::ApplyUpdates(int MaxErrors)
{
    CheckActive();
    const int n = ApplyUpdatesToDriver(FInternMemTableData.get(), MaxErrors);
    UpdateCursorPos();
    Resync({});
    return n;
}

void TCustomMemTableEh::CancelUpdates()
{
    FRecordsView->CancelUpdates();
    if (Active())
        Resync({});
}

void TCustomMemTableEh::MergeChangeLog()
{
    FRecordsView->MergeChangeLog();
}

void TCustomMemTableEh::RevertRecord()
{
    Cancel();
    CheckBrowseMode();
    if (IsEmpty())
        throw Exception(QStringLiteral("There are no records."));
    if (!FRecordsView->ViewAsTreeList())
        FRecordsView->RevertRecord(RecNo() - 1);
    Resync({});
}

void TCustomMemTableEh::RefreshRecord()
{
    CheckActive();
    if (FDataDriver && ViewRowCount() > 0) {
        UpdateCursorPos();
        if (FRecordPos >= 0 && FRecordPos < ViewRowCount())
            FDataDriver->RefreshRecord(FRecordsView->GetViewRecord(FRecordPos));
    }
    Resync({});
}

void TCustomMemTableEh::CopyBufferToRecord(TMTRecBuf* Buffer, TMemoryRecordEh* R)
{
    if (State() == dsFilter)
        DatabaseError(QString::fromLatin1(DBMsg::NotEditing), this);
    for (TField* f : Fields()->List()) {
        if (f->FieldKind() != fkData)
            continue;
        const int i = f->FieldNo() - 1;
        if (i >= 0 && size_t(i) < R->Data().size())
            R->SetDataValue(i, dvvValueEh, Buffer->GetValue(f));
    }
}

void TCustomMemTableEh::InternalInsert()
{
    if (Eof()) {
        if (FDataDriver && !FDataDriver->ProviderEOF()) {
            Resync({});
            throw Exception(QStringLiteral("Attempt to append a record before all records have been read from DataDriver."));
        }
        FInstantReadCurRowNum = ViewRowCount();
    }
}

void TCustomMemTableEh::DoOnNewRecord()
{
    for (TField* f : Fields()->List())
        if (!f->DefaultExpression().isEmpty() && f->CanModify())
            f->SetAsString(f->DefaultExpression());
    AssignMasterValuesToNewRecord();
    TDataSet::DoOnNewRecord();
}

void TCustomMemTableEh::InternalPost()
{
    FFilterError = nullptr;
    {
        BeginViewUpdate();
        auto endUpdate = Finally([this] { EndViewUpdate(false); });
        TDataSet::InternalPost();   // required fields
        if (State() == dsEdit) {
            TMemoryRecordEh* r = FRecordsView->GetViewRecord(FRecordPos);
            r->Edit();
            CopyBufferToRecord(Buf(ActiveBuffer()), r);
            // Without cached updates the records list hands the change to the driver here.
            r->Post();
            const int pos = FRecordsView->IndexOf(r);
            if (pos >= 0)
                FRecordPos = pos;
            else if (FRecordPos >= ViewRowCount())
                FRecordPos = ViewRowCount() - 1;
        } else {
            InternalAddRecord(ActiveBuffer(), Eof());
        }
    }
    RaiseFilterError();
}

void TCustomMemTableEh::InternalAddRecord(TRecordBuffer Buffer, bool Append)
{
    TNewRecordEh owned(FRecordsView->NewRecord());
    TMemoryRecordEh* r = owned.get();
    CopyBufferToRecord(Buf(Buffer), r);
    if (Append)
        FRecordsView->AddRecord(r);
    else
        FRecordsView->InsertRecord(std::max(FRecordPos, 0), r);
    owned.release();   // the records list owns it now
    ApplyNewTreeNodeState(Buf(Buffer), r);
    const int pos = FRecordsView->IndexOf(r);
    if (pos >= 0)
        FRecordPos = pos;
}

void TCustomMemTableEh::InternalDelete()
{
    BeginViewUpdate();
    auto endUpdate = Finally([this] { EndViewUpdate(false); });
    FRecordsView->DeleteRecord(FRecordPos);
    if (FRecordPos >= ViewRowCount())
        FRecordPos = ViewRowCount() - 1;
}

void TCustomMemTableEh::InternalCancel()
{
    {
        BeginViewUpdate();
        auto endUpdate = Finally([this] { EndViewUpdate(false); });
        if (State() == dsEdit && FRecordPos >= 0 && FRecordPos < ViewRowCount()) {
            TMemoryRecordEh* r = FRecordsView->GetViewRecord(FRecordPos);
            if (r->EditState() == resEditEh)
                r->Cancel();
        }
        if (!CachedUpdates() && HasCachedChanges())
            FRecordsView->CancelUpdates();
    }
    if (State() == dsEdit) {
        TMTRecBuf* b = Buf(ActiveBuffer());
        if (b && b->MemRec)
            b->UseMemRec = true;
    }
}

void TCustomMemTableEh::InternalRefresh()
{
    TDisableControlsGuard controls(this);
    if (FDataDriver) {
        FDataDriver->RefreshReader();
        if (MasterSource() && FMasterDetailSide != mdsOnSelfEh)
            SetReaderParamsFromMaster();
        FDataSetReader = FDataDriver->GetDataReader();
        BeginViewUpdate();
        auto endUpdate = Finally([this] { EndViewUpdate(false); });
        FMemData->RecordsList()->Clear();
        FMemData->AutoIncrement()->Reset();
        FRecordPos = -1;
        FInstantReadCurRowNum = -1;
        FetchFromDriver(FFetchAllOnOpen ? -1 : 1);
    }
    RefilterView();
}
