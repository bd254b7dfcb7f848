// The in-memory table: creation, opening and closing, record buffers, bookmarks, cursor moves
// and field values.
#include "MemTableEh.h"

#include "DataDriverEh.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <climits>
#include <cstring>

// ---------------------------------------------------------------- TMTRecBuf

int TMTRecBuf::Slot(TField* Field) const
{
    if (Field->IsDataField())
        return Field->FieldNo() - 1;
    const int off = Field->Offset();
    return off < 0 ? -1 : DataCount + off;
}

Variant TMTRecBuf::GetValue(TField* Field) const
{
    if (UseMemRec) {
        if (Field->IsDataField()) {
            const int i = Field->FieldNo() - 1;
            if (MemRec && i >= 0 && size_t(i) < MemRec->Data().size())
                return MemRec->ValueRef(i);
        } else if (RecView) {
            const int off = Field->Offset();
            TRecDataValues& lb = RecView->LookupBuffer();
            if (off >= 0 && size_t(off) < lb.size())
                return lb[size_t(off)];
        }
    }
    const int s = Slot(Field);
    if (s < 0 || size_t(s) >= Values.size())
        return Variant::Null();
    return Values[size_t(s)];
}

Variant TMTRecBuf::GetOldValue(TField* Field) const
{
    if (UseMemRec && MemRec && Field->IsDataField()) {
        const int i = Field->FieldNo() - 1;
        if (i < 0)
            return Variant::Null();
        if (MemRec->HasOldData())
            return MemRec->GetDataValue(i, dvvOldValueEh);
        return GetValue(Field);
    }
    const int s = Slot(Field);
    if (s < 0 || size_t(s) >= Values.size())
        return Variant::Null();
    return Values[size_t(s)];
}

void TMTRecBuf::SetValue(TField* Field, const Variant& v)
{
    if (UseMemRec && !Field->IsDataField()) {
        if (RecView) {
            const int off = Field->Offset();
            TRecDataValues& lb = RecView->LookupBuffer();
            if (off >= 0) {
                if (size_t(off) >= lb.size())
                    lb.resize(size_t(off) + 1);
                lb[size_t(off)] = v;
            }
        }
        return;
    }
    if (UseMemRec) {
        // Copy on first write: the record stays as it is until the post.
        if (MemRec) {
            const TRecDataValues& d = MemRec->Data();
            for (int i = 0; i < DataCount && size_t(i) < d.size(); ++i)
                Values[size_t(i)] = d[size_t(i)];
            if (RecView) {
                const TRecDataValues& lb = RecView->LookupBuffer();
                for (size_t k = 0; k < lb.size() && DataCount + k < Values.size(); ++k)
                    Values[DataCount + k] = lb[k];
            }
        }
        UseMemRec = false;
    }
    const int s = Slot(Field);
    if (s >= 0 && size_t(s) < Values.size())
        Values[size_t(s)] = v;
}

void TMTRecBuf::SetLength(int DataLen, int CalcLen)
{
    DataCount = DataLen;
    if (int(Values.size()) != DataLen + CalcLen)
        Values.resize(size_t(DataLen + CalcLen));
    Clear();
}

void TMTRecBuf::Clear()
{
    for (Variant& v : Values)
        v = Variant::Null();
}

TBookmark TMTRecBuf::BufBookmarkAsTBookmark() const
{
    return TCustomMemTableEh::RecordBookmark(Bookmark, Bookmark == INT_MIN ? nullptr : MemRec);
}

// ---------------------------------------------------------------- creation

DOV_PUBLISHED(TCustomMemTableEh) {}

TCustomMemTableEh::TCustomMemTableEh(TComponent* AOwner) : TDataSet(AOwner)
{
    FNoticeThread = std::this_thread::get_id();
    FInternMemTableData = CreateUnique<TMemTableDataEh>(nullptr);
    FInternMemTableData->SetName(QStringLiteral("MemTableData"));
    FMemData = FInternMemTableData.get();
    FRecordsView = CreateUnique<TRecordsViewEh>(this);
    TRecordsViewEh* v = FRecordsView.get();
    v->OnFilterRecord = TFilterRecordEventEh(this, &TCustomMemTableEh::FilterRecordForView);
    v->OnParseOrderByStr = TParseOrderByStrEventEh(this, &TCustomMemTableEh::ViewParseOrderBy);
    v->OnCompareRecords = TCompareRecords(this, &TCustomMemTableEh::CompareRecords);
    v->OnCompareIsStoreOrder = Delegate<bool()>(this, &TCustomMemTableEh::OwnRecordComparison);
    v->OnCompareTreeNode = TCompareTreeNodeEventEh(this, &TCustomMemTableEh::CompareTreeNodes);
    v->OnViewDataEvent = TViewDataEventEh(this, &TCustomMemTableEh::ViewDataEvent);
    v->OnViewRecordMovedEvent = TViewRecordMovedEventEh(this, &TCustomMemTableEh::ViewRecordMoved);
    v->OnCalcLookupBuffer = TCalcLookupBufferEventEh(this, &TCustomMemTableEh::CalcLookupBuffer);
    v->OnFetchRecords = TRecordsListFetchRecordsEventEh(this, &TCustomMemTableEh::ViewFetchRecords);
    v->OnStructChanged = TRecordsListApplyUpdatesEventEh(this, &TCustomMemTableEh::StoreStructChanged);
    FParams = std::make_unique<TParams>(this);
    FExtraFilters = std::make_unique<TMemTableFiltersEh>(this);
    InitMasterDetail();
    FTreeList = std::make_unique<TMemTableTreeListEh>(this);
    FInstantBuffers.reserve(8);
}

// Attaching the view to the store sends data events back into the table, which a descendant
// may handle: only once the whole table is constructed.
void TCustomMemTableEh::AfterConstruction()
{
    TDataSet::AfterConstruction();
    FRecordsView->SetDataObject(FInternMemTableData.get());
    FRecordsView->SetCachedUpdates(false);
}

TCustomMemTableEh::~TCustomMemTableEh()
{
    *FAlive = false;
    Destroying();
    Close();
    FMasterDataLink.reset();
    SetExternalMemData(nullptr);
    while (!FAttachedTables.empty())
        FAttachedTables.back()->SetExternalMemData(nullptr);
    if (FDataDriver) {
        FDataDriver->SetDataDriverConsumer(nullptr);
        FDataDriver->RemoveFreeNotification(this);
        FDataDriver = nullptr;
    }
    FExtraFilters.reset();
    FRecordsView.reset();
    FInternMemTableData.reset();
    FRecordCache.clear();
    FEventReceivers.clear();
}

TIndexDefs* TCustomMemTableEh::IndexDefs()
{
    if (!FIndexDefs)
        FIndexDefs = std::make_unique<TIndexDefs>(this);
    return FIndexDefs.get();
}

void TCustomMemTableEh::SetDataDriver(TDataDriverEh* Value)
{
    if (Value == FDataDriver)
        return;
    if (Value && FExternalMemData)
        throw Exception(QStringLiteral("Assigning to DataDriver is not allowed if ExternalMemData is assigned"));
    if (FDataDriver) {
        FDataDriver->SetDataDriverConsumer(nullptr);
        FDataDriver->RemoveFreeNotification(this);
    }
    if (Value) {
        if (auto* other = dynamic_cast<TCustomMemTableEh*>(Value->GetDataDriverConsumer()); other && other != this)
            other->SetDataDriver(nullptr);
        Value->SetDataDriverConsumer(this);
        Value->FreeNotification(this);
    }
    FDataDriver = Value;
    FRecordsView->OnApplyUpdates = Value ? TRecordsListApplyUpdatesEventEh(this, &TCustomMemTableEh::ViewApplyUpdates)
                                         : TRecordsListApplyUpdatesEventEh();
}

void TCustomMemTableEh::SetReadOnly(bool Value)
{
    if (Value == FReadOnly)
        return;
    FReadOnly = Value;
    DataEvent(deDataSetChange, 0);
}

void TCustomMemTableEh::SetOptions(TMemTableOptionsEh Value)
{
    if (Value == FOptions)
        return;
    FOptions = Value;
    TFilterOptions fo = FilterOptions();
    const bool ci = Value.Contains(mtoTextFieldsCaseInsensitive);
    if (ci)
        fo.Include(foCaseInsensitive);
    else
        fo.Exclude(foCaseInsensitive);
    SetFilterOptions(fo);
    FRecordsView->SetSortOrderCaseInsensitive(ci);
}

bool TCustomMemTableEh::CachedUpdates() const
{
    return FMemData->RecordsList()->CachedUpdates();
}

void TCustomMemTableEh::SetCachedUpdates(bool Value)
{
    FRecordsView->SetCachedUpdates(Value);
}

bool TCustomMemTableEh::HasCachedChanges() const
{
    return FMemData->RecordsList()->HasCachedChanges();
}

void TCustomMemTableEh::DriverStructChanged()
{
    DataEvent(deFieldListChange, 0);
}

void TCustomMemTableEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TDataSet::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FDataDriver)
        SetDataDriver(nullptr);
    if (AComponent == FDataSetReader)
        FDataSetReader = nullptr;
    if (AComponent == FExternalMemData)
        SetExternalMemData(nullptr);
    // a receiver that forgot to unregister is not called after it is gone
    UnregisterEventReceiver(AComponent);
}

// ---------------------------------------------------------------- opening and closing

void TCustomMemTableEh::OpenCursor(bool InfoQuery)
{
    if (!InfoQuery) {
        TMTDataStructEh* st = FMemData->DataStruct();
        if (FDataDriver) {
            if (MasterSource() && FMasterDetailSide != mdsOnSelfEh)
                SetReaderParamsFromMaster();
            FDataSetReader = FDataDriver->GetDataReader();
            if (FDataSetReader)
                FDataSetReader->FreeNotification(this);
            if (FOptions.Contains(mtoPersistentStructEh)) {
                FMemData->ResetRecords();
            } else {
                FMemData->ResetRecords();
                bool persistent = false;
                for (TField* f : Fields()->List())
                    if (f->FieldKind() == fkData)
                        persistent = true;
                st->BeginUpdate();
                auto endUpdate = Finally([st] { st->EndUpdate(true); });
                st->Clear();
                if (persistent)
                    st->BuildStructFromFields(Fields());
                else
                    FDataDriver->BuildDataStruct(st);
            }
        } else if (st->Count() == 0) {
            DatabaseError(QStringLiteral("MemTable doesn't have data."), this);
        }
        CreateIndexesFromDefs();
        FActive = true;
    }
    {
        auto undo = OnFailure([this] {
            FActive = false;
            const std::vector<TField*> made = std::move(FFieldsBesideAggregates);
            FFieldsBesideAggregates.clear();
            for (TField* f : made)
                delete f;
        });
        TDataSet::OpenCursor(InfoQuery);
    }
    if (!InfoQuery) {
        UpdateDetailMode(false);
        RefilterView();
    }
}

void TCustomMemTableEh::InternalInitFieldDefs()
{
    FieldDefs()->Clear();
    FMemData->DataStruct()->BuildFieldDefsFromStruct(FieldDefs());
}

void TCustomMemTableEh::InternalOpen()
{
    FBookmarkSize = 4;
    InternalInitFieldDefs();
    FieldDefs()->SetUpdated(true);
    const std::vector<TField*> own = Fields()->List();
    const bool onlyAggregates = !own.empty()
        && std::all_of(own.begin(), own.end(), [](TField* f) { return f->FieldKind() == fkAggregate; });
    if (DefaultFields() || onlyAggregates) {
        // Aggregate fields alone do not describe the records: the data fields are made as for a
        // table without persistent fields, and the aggregates follow them.
        CreateFields();
        if (onlyAggregates) {
            for (TField* f : Fields()->List())
                if (std::find(own.begin(), own.end(), f) == own.end())
                    FFieldsBesideAggregates.push_back(f);
            for (TField* f : own)
                f->SetIndex(FieldCount() - 1);
        }
        TMTDataStructEh* st = FMemData->DataStruct();
        for (TField* f : Fields()->List())
            if (TMTDataFieldEh* df = st->FindField(f->FieldName()))
                df->AssignPropsTo(f);
        MarkProviderKeyFields();
    }
    BindFields(true);
    if (FieldCount() == 0)
        DatabaseError(QStringLiteral("No fields defined. Cannot create dataset."), this);
    UpdateCalcSlots();
    FRecBufSize = -1;
    FRecordPos = -1;
    FInstantReadCurRowNum = -1;
    RecreateFilterExpr();
    FRecordsView->UpdateFields();
    ResetAggregates();
    // set while closed and not a sort over these fields: the open fails once and the
    // text is dropped, so the next open is not refused for it again
    auto dropOrder = OnFailure([this] { FSortOrder.clear(); });
    FRecordsView->SetSortOrder(FSortOrder);
}

void TCustomMemTableEh::UpdateCalcSlots()
{
    FDataCount = FMemData->DataStruct()->Count();
    FCalcCount = CalcFieldsCount();
    FCalcFieldIndexes.assign(size_t(FieldCount()), -1);
    int n = 0;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields()->Fields(i);
        if (!f->IsDataField())
            FCalcFieldIndexes[size_t(i)] = n++;
    }
}

void TCustomMemTableEh::InternalClose()
{
    CloseMasterDetail();
    FActive = false;
    FFilterExpr.reset();
    FAutoInc = 1;
    ResetAggregates();
    BindFields(false);
    if (DefaultFields())
        DestroyFields();
    const std::vector<TField*> made = std::move(FFieldsBesideAggregates);
    FFieldsBesideAggregates.clear();
    for (TField* f : made)
        delete f;
    FRecordPos = -1;
    FInstantReadCurRowNum = -1;
    if (FDataSetReader) {
        FDataSetReader->RemoveFreeNotification(this);
        FDataSetReader = nullptr;
    }
    if (FDataDriver)
        FDataDriver->ConsumerClosed(this);
}

void TCustomMemTableEh::CreateDataSet()
{
    CheckInactive();
    TMTDataStructEh* st = FMemData->DataStruct();
    if (FieldDefs()->Count() > 0) {
        FMemData->ResetRecords();
        st->BeginUpdate();
        st->Clear();
        st->BuildStructFromFieldDefs(FieldDefs());
        st->EndUpdate(true);
    } else if (FieldCount() > 0) {
        FMemData->ResetRecords();
        st->BeginUpdate();
        st->Clear();
        st->BuildStructFromFields(Fields());
        st->EndUpdate(true);
    }
    Open();
}

void TCustomMemTableEh::EmptyTable()
{
    if (Active())
        CheckBrowseMode();
    {
        BeginViewUpdate();
        bool done = false;
        auto endUpdate = Finally([&] { EndViewUpdate(done); });
        FMemData->RecordsList()->Clear();
        FMemData->AutoIncrement()->Reset();
        FRecordPos = -1;
        done = true;
    }
    if (Active()) {
        ClearBuffers();
        Resync({});
    }
}

void TCustomMemTableEh::StoreStructChanged(TMemTableDataEh*)
{
    if (!FActive || State() == dsOpening || State() == dsInactive)
        return;
    TRestoreGuard<TDataDriverEh*> keepDriver(FDataDriver, nullptr);
    Close();
    if (FMemData->DataStruct()->Count() > 0)
        Open();
}

// ---------------------------------------------------------------- buffers

TRecordBuffer TCustomMemTableEh::AllocRecordBuffer()
{
    TMTRecBuf* b = nullptr;
    for (auto& c : FRecordCache)
        if (!c->InUse) {
            b = c.get();
            break;
        }
    if (!b) {
        FRecordCache.push_back(std::make_unique<TMTRecBuf>());
        b = FRecordCache.back().get();
    }
    b->InUse = true;
    b->RecordNumber = -2;
    b->RecView = nullptr;
    b->MemRec = nullptr;
    b->UseMemRec = false;
    b->IsInsertRow = false;
    b->NeedUpdateCalcFields = false;
    b->SetLength(FMemData->DataStruct()->Count(), CalcFieldsCount());
    return reinterpret_cast<TRecordBuffer>(b);
}

void TCustomMemTableEh::FreeRecordBuffer(TRecordBuffer& Buffer)
{
    TMTRecBuf* b = Buf(Buffer);
    if (b) {
        b->InUse = false;
        b->RecordNumber = -1;
        b->Clear();
        b->RecView = nullptr;
        b->MemRec = nullptr;
        b->UseMemRec = false;
        b->IsInsertRow = false;
    }
    Buffer = 0;
}

void TCustomMemTableEh::FreeBufferCache()
{
    for (auto& c : FRecordCache)
        if (c->InUse)
            return;
    FRecordCache.clear();
}

void TCustomMemTableEh::FillBufferFromRecord(TMTRecBuf* B, TMemoryRecordEh* Rec, int ViewRow)
{
    B->Bookmark = ViewRow + 1;
    B->RecordNumber = ViewRow;
    B->BookmarkFlag = bfCurrent;
    B->MemRec = Rec;
    B->RecView = nullptr;
    B->UseMemRec = true;
    B->IsInsertRow = false;
    B->NeedUpdateCalcFields = false;
}

TMemRecViewEh* TCustomMemTableEh::ViewNodeAt(int Row)
{
    return FRecordsView->GetRecordView(Row);
}

void TCustomMemTableEh::FillBufferFromRow(TMTRecBuf* B, int Row)
{
    FillBufferFromRecord(B, FRecordsView->GetViewRecord(Row), Row);
    // A flat row gets its item only for calculated values; the others on demand (BufNode).
    if (FRecordsView->ViewAsTreeList() || CalcFieldsCount() > 0)
        B->RecView = ViewNodeAt(Row);
}

TMemRecViewEh* TCustomMemTableEh::BufNode(TMTRecBuf* B)
{
    if (B && !B->RecView && B->MemRec && !B->IsInsertRow && !FRecordsView->ViewAsTreeList()
        && FRecordsView->IndexOf(B->MemRec) >= 0)
        B->RecView = FRecordsView->RowItem(B->MemRec);
    return B ? B->RecView : nullptr;
}

TGetResult TCustomMemTableEh::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck)
{
    TGetResult result = grOK;
    int rows = ViewRowCount();
    switch (GetMode) {
    case gmCurrent:
        if (FRecordPos < 0 || FRecordPos >= rows)
            result = grError;
        break;
    case gmNext:
        if (FRecordPos >= rows - 1 && FDataDriver && !FDataDriver->ProviderEOF()) {
            {
                BeginViewUpdate();
                auto endUpdate = Finally([this] { EndViewUpdate(false); });
                FetchFromDriver(FFetchAllOnOpen ? -1 : 1);
            }
            rows = ViewRowCount();
        }
        if (FRecordPos < rows - 1) {
            ++FRecordPos;
        } else {
            FRecordPos = rows;
            result = grEOF;
        }
        break;
    case gmPrior:
        if (FRecordPos > 0) {
            FRecordPos = std::min(FRecordPos, rows) - 1;
            if (FRecordPos < 0) {
                FRecordPos = -1;
                FInstantReadCurRowNum = 0;
                result = grBOF;
            }
        } else {
            FRecordPos = -1;
            FInstantReadCurRowNum = 0;
            result = grBOF;
        }
        break;
    }
    if (FRecordPos >= 0)
        FInstantReadCurRowNum = FRecordPos;
    if (result == grOK) {
        FillBufferFromRow(Buf(Buffer), FRecordPos);
    } else if (result == grError && DoCheck) {
        DatabaseError(QString::fromLatin1(DBMsg::NoDataFound), this);
    }
    return result;
}

void TCustomMemTableEh::InternalFirst()
{
    FRecordPos = -1;
    FInstantReadCurRowNum = 0;
}

void TCustomMemTableEh::InternalLast()
{
    if (FDataDriver && !FDataDriver->ProviderEOF()) {
        BeginViewUpdate();
        auto endUpdate = Finally([this] { EndViewUpdate(false); });
        FetchFromDriver(-1);
    }
    const int rows = ViewRowCount();
    FRecordPos = rows;
    const TDataSetState s = State();
    FInstantReadCurRowNum = (s == dsEdit || s == dsInsert || s == dsSetKey) ? rows : rows - 1;
}

void TCustomMemTableEh::InternalInitRecord(TRecordBuffer Buffer)
{
    TMTRecBuf* b = Buf(Buffer);
    b->Clear();
    b->RecView = nullptr;
    b->MemRec = nullptr;
    b->UseMemRec = false;
    b->IsInsertRow = false;
    b->NewTreeNodeExpanded = b->NewTreeNodeHasChildren = false;
    b->Bookmark = INT_MIN;
    b->BookmarkFlag = bfInserted;
    b->RecordNumber = -1;
}

void TCustomMemTableEh::ClearCalcFields(TRecordBuffer Buffer)
{
    TMTRecBuf* b = Buf(Buffer);
    if (!b)
        return;
    if (b->UseMemRec && b->RecView) {
        for (Variant& v : b->RecView->LookupBuffer())
            v = Variant::Null();
        return;
    }
    for (size_t i = size_t(b->DataCount); i < b->Values.size(); ++i)
        b->Values[i] = Variant::Null();
}

void TCustomMemTableEh::CalculateFields(TRecordBuffer Buffer)
{
    TMTRecBuf* b = Buf(Buffer);
    // A buffer reading through to a record takes its calculated values from the view node.
    if (b && b->UseMemRec && b->RecView && !b->NeedUpdateCalcFields)
        return;
    TDataSet::CalculateFields(Buffer);
}

void TCustomMemTableEh::CalcLookupBuffer(TMemoryRecordEh* MemRec, TMemRecViewEh* Node)
{
    if (!FActive || CalcFieldsCount() == 0 || !TempBuffer() || !Node)
        return;
    Node->SetLookupBufferLength(CalcFieldsCount());
    TMTRecBuf* tb = Buf(TempBuffer());
    const TDataSetState old = SetTempState(dsFilter);
    FillBufferFromRecord(tb, MemRec, -1);
    tb->RecView = Node;
    tb->NeedUpdateCalcFields = true;
    auto restore = Finally([&] {
        tb->NeedUpdateCalcFields = false;
        RestoreState(old);
    });
    GetCalcFields(TempBuffer());
}

// ---------------------------------------------------------------- bookmarks

int TCustomMemTableEh::BookmarkToRecNo(const TBookmark& Bookmark)
{
    if (Bookmark.size() < 4)
        return -1;
    int32_t n = 0;
    std::memcpy(&n, Bookmark.constData(), 4);
    return n;
}

TBookmark TCustomMemTableEh::RecNoToBookmark(int RecNo)
{
    const int32_t n = RecNo;
    return TBookmark(reinterpret_cast<const char*>(&n), 4);
}

namespace {

// After the row number: the record's serial in its list and its address. The address is only
// compared, never followed, since the record may be freed; the serial tells apart a new record
// that was given a freed one's address.
struct BookmarkedRecord {
    uint32_t Serial = 0;
    quintptr Address = 0;
};
constexpr qsizetype RecordBookmarkSize = 4 + sizeof(uint32_t) + sizeof(quintptr);

bool ReadBookmarkedRecord(const TBookmark& Bookmark, BookmarkedRecord& Out)
{
    if (Bookmark.size() < RecordBookmarkSize)
        return false;
    // Byte by byte: the compiler cannot see the size check and warns about the empty array.
    uchar bytes[sizeof(Out.Serial) + sizeof(Out.Address)];
    for (qsizetype i = 0; i < qsizetype(sizeof(bytes)); ++i)
        bytes[i] = uchar(Bookmark.at(4 + i));
    std::memcpy(&Out.Serial, bytes, sizeof(Out.Serial));
    std::memcpy(&Out.Address, bytes + sizeof(Out.Serial), sizeof(Out.Address));
    return true;
}

bool IsBookmarkedRecord(const TMemoryRecordEh* Rec, const BookmarkedRecord& B)
{
    return reinterpret_cast<quintptr>(Rec) == B.Address && Rec->HashCode() == B.Serial;
}

}  // namespace

TBookmark TCustomMemTableEh::RecordBookmark(int RecNo, const TMemoryRecordEh* Rec)
{
    TBookmark bm = RecNoToBookmark(RecNo);
    if (!Rec)
        return bm;
    BookmarkedRecord b{Rec->HashCode(), reinterpret_cast<quintptr>(Rec)};
    bm.append(reinterpret_cast<const char*>(&b.Serial), sizeof(b.Serial));
    bm.append(reinterpret_cast<const char*>(&b.Address), sizeof(b.Address));
    return bm;
}

int TCustomMemTableEh::BookmarkRow(const TBookmark& Bookmark)
{
    if (!Active() || Bookmark.isEmpty())
        return -1;
    const int count = ViewRowCount();
    const int row = BookmarkToRecNo(Bookmark) - 1;
    BookmarkedRecord b;
    if (!ReadBookmarkedRecord(Bookmark, b))
        return row >= 0 && row < count ? row : -1;
    if (row >= 0 && row < count && IsBookmarkedRecord(FRecordsView->GetViewRecord(row), b))
        return row;
    // Rows inserted, deleted or re-sorted since: look outwards from where it was, nearest first.
    const int from = std::clamp(row, 0, std::max(count - 1, 0));
    for (int d = 0; from - d >= 0 || from + d < count; ++d) {
        if (from - d >= 0 && IsBookmarkedRecord(FRecordsView->GetViewRecord(from - d), b))
            return from - d;
        if (d > 0 && from + d < count && IsBookmarkedRecord(FRecordsView->GetViewRecord(from + d), b))
            return from + d;
    }
    return -1;
}

TMemRecViewEh* TCustomMemTableEh::BookmarkToRec(const TBookmark& Bookmark)
{
    const int row = BookmarkRow(Bookmark);
    return row < 0 ? nullptr : ViewNodeAt(row);
}

bool TCustomMemTableEh::BookmarkValid(const TBookmark& Bookmark)
{
    return BookmarkRow(Bookmark) >= 0;
}

int TCustomMemTableEh::CompareBookmarks(const TBookmark& B1, const TBookmark& B2)
{
    const bool e1 = B1.isEmpty(), e2 = B2.isEmpty();
    if (e1 || e2)
        return e1 && e2 ? 0 : (e1 ? -1 : 1);
    const int a = BookmarkToRecNo(B1), b = BookmarkToRecNo(B2);
    if (a != b)
        return a < b ? -1 : 1;
    // the same row held by two records at different times: they are not the same bookmark
    BookmarkedRecord r1, r2;
    ReadBookmarkedRecord(B1, r1);
    ReadBookmarkedRecord(B2, r2);
    if (r1.Serial != r2.Serial)
        return r1.Serial < r2.Serial ? -1 : 1;
    return r1.Address < r2.Address ? -1 : (r1.Address > r2.Address ? 1 : 0);
}

TBookmark TCustomMemTableEh::GetBookmark()
{
    if (FInstantReadMode)
        return FInstantBuffers.back()->BufBookmarkAsTBookmark();
    return TDataSet::GetBookmark();
}

void TCustomMemTableEh::GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data)
{
    Data = Buf(Buffer)->BufBookmarkAsTBookmark();
}

void TCustomMemTableEh::SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data)
{
    if (Data.size() >= 4)
        Buf(Buffer)->Bookmark = BookmarkToRecNo(Data);
}

TBookmarkFlag TCustomMemTableEh::GetBookmarkFlag(TRecordBuffer Buffer)
{
    return Buf(Buffer)->BookmarkFlag;
}

void TCustomMemTableEh::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value)
{
    Buf(Buffer)->BookmarkFlag = Value;
}

void TCustomMemTableEh::InternalGotoBookmark(const TBookmark& Bookmark)
{
    const int row = BookmarkRow(Bookmark);
    if (row < 0)
        DatabaseError(QString::fromLatin1(DBMsg::RecordNotFound), this);
    FRecordPos = row;
    FInstantReadCurRowNum = FRecordPos;
}

void TCustomMemTableEh::InternalSetToRecord(TRecordBuffer Buffer)
{
    const int n = Buf(Buffer)->Bookmark;
    if (n == INT_MIN)
        return;   // a new record has no row yet
    if (n < 1 || n > ViewRowCount()) {
        // the row went away meanwhile (deleted or filtered out): stand after the last one
        FRecordPos = std::min(std::max(n - 1, -1), ViewRowCount());
        return;
    }
    FRecordPos = n - 1;
    FInstantReadCurRowNum = FRecordPos;
}

// ---------------------------------------------------------------- cursor and counts

int TCustomMemTableEh::RecordCount() const
{
    CheckActive();
    return const_cast<TCustomMemTableEh*>(this)->ViewRowCount();
}

int TCustomMemTableEh::RecNo() const
{
    CheckActive();
    TMTRecBuf* b = nullptr;
    if (!GetCurrentRecBuf(b) || !b)
        return -1;
    return b->RecordNumber + 1;
}

void TCustomMemTableEh::SetRecNo(int Value)
{
    CheckBrowseMode();
    if (Value < 1 || Value > ViewRowCount())
        return;
    DoBeforeScroll();
    FRecordPos = Value - 1;
    FInstantReadCurRowNum = FRecordPos;
    Resync({});
    DoAfterScroll();
}

TUpdateStatus TCustomMemTableEh::UpdateStatus() const
{
    CheckActive();
    const int r = RecNo();
    if (r < 1)
        return usUnmodified;
    auto* self = const_cast<TCustomMemTableEh*>(this);
    if (r > self->ViewRowCount())
        return usUnmodified;
    return self->FRecordsView->GetViewRecord(r - 1)->UpdateStatus();
}

TMemoryRecordEh* TCustomMemTableEh::Rec()
{
    TMTRecBuf* b = nullptr;
    return GetCurrentRecBuf(b) && b ? b->MemRec : nullptr;
}

TMemRecViewEh* TCustomMemTableEh::RecView()
{
    TMTRecBuf* b = nullptr;
    return GetCurrentRecBuf(b) && b ? BufNode(b) : nullptr;
}

TUpdateErrorEh* TCustomMemTableEh::UpdateError()
{
    TMemoryRecordEh* r = Rec();
    return r ? r->UpdateError() : nullptr;
}

bool TCustomMemTableEh::GetCurrentRecBuf(TMTRecBuf*& Buffer, bool IgnoreInstantRead) const
{
    Buffer = nullptr;
    if (FInstantReadMode && !IgnoreInstantRead) {
        Buffer = FInstantBuffers.back();
        return true;
    }
    TRecordBuffer b = 0;
    switch (State()) {
    case dsBrowse:
        if (IsEmpty())
            return false;
        b = ActiveBuffer();
        break;
    case dsEdit: case dsInsert: case dsNewValue: case dsOldValue: case dsCurValue:
        b = ActiveBuffer();
        break;
    case dsCalcFields: case dsInternalCalc:
        b = CalcBuffer();
        break;
    case dsFilter:
        b = TempBuffer();
        break;
    default:
        return false;
    }
    Buffer = Buf(b);
    return Buffer != nullptr;
}

// ---------------------------------------------------------------- field values

bool TCustomMemTableEh::GetFieldData(TField* Field, Variant& Value)
{
    TMTRecBuf* b = nullptr;
    if (!GetCurrentRecBuf(b)) {
        Value = Variant::Null();
        return false;
    }
    if (Field->FieldKind() == fkAggregate)
        Value = AggregateFieldValue(Field);
    else
        Value = State() == dsOldValue ? b->GetOldValue(Field) : b->GetValue(Field);
    if (OnGetFieldValue)
        OnGetFieldValue(this, Field, Value);
    return !(Value.IsNull() || Value.IsEmpty());
}

void TCustomMemTableEh::SetFieldData(TField* Field, const Variant& Value)
{
    // Aggregate values are computed from the rows, never written.
    if (Field->FieldKind() == fkAggregate)
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldReadOnly), {Field->DisplayName()}, this);
    const TDataSetState s = State();
    const bool quiet = s == dsCalcFields || s == dsFilter || s == dsNewValue || s == dsInternalCalc;
    if (Field->IsDataField() || (s != dsCalcFields && s != dsInternalCalc && s != dsFilter))
        CheckFieldWrite(Field);
    TMTRecBuf* b = nullptr;
    if (!GetCurrentRecBuf(b, true) || !b)
        return;
    Field->Validate(Value);
    Variant v = Value;
    if (OnSetFieldValue)
        OnSetFieldValue(this, Field, v);
    b->SetValue(Field, v);
    if (!quiet)
        DataEvent(deFieldChange, NativeInt(Field));
}

bool TCustomMemTableEh::GetFieldDataAsObject(TField* Field, TObject*& Value)
{
    Variant v;
    const bool r = GetFieldData(Field, v);
    Value = r ? static_cast<TObject*>(v.AsObject()) : nullptr;
    return r;
}

void TCustomMemTableEh::SetFieldDataAsObject(TField* Field, TObject* Value)
{
    SetFieldData(Field, Value ? Variant::FromObject(Value) : Variant::Null());
}

// ---------------------------------------------------------------- instant reading

void TCustomMemTableEh::InstantReadEnter(int RowNum)
{
    TMTRecBuf* b = Buf(AllocRecordBuffer());
    FInstantBuffers.push_back(b);
    FInstantReadMode = true;
    const TDataSetState s = State();
    const int cur = GetInstantReadCurRow();
    if ((s == dsEdit || s == dsInsert) && RowNum == cur) {
        TMTRecBuf* a = Buf(ActiveBuffer());
        b->Values = a->Values;
        b->DataCount = a->DataCount;
        b->UseMemRec = a->UseMemRec;
        b->MemRec = a->MemRec;
        b->RecView = a->RecView;
        b->Bookmark = a->Bookmark;
        b->BookmarkFlag = a->BookmarkFlag;
        b->RecordNumber = a->RecordNumber;
        if (s == dsInsert) {
            b->IsInsertRow = true;
            b->MemRec = nullptr;
            b->RecView = nullptr;
            b->RecordNumber = -1;
        }
        return;
    }
    const int rows = ViewRowCount();
    if (rows == 0)
        return;   // an empty record
    int row = RowNum;
    if (s == dsInsert && RowNum > cur)
        row = RowNum - 1;
    if (row < 0 || row >= rows)
        return;
    FillBufferFromRow(b, row);
}

void TCustomMemTableEh::InstantReadLeave()
{
    if (FInstantBuffers.empty())
        throw Exception(QStringLiteral("TCustomMemTableEh not in instant read mode."));
    TRecordBuffer h = reinterpret_cast<TRecordBuffer>(FInstantBuffers.back());
    FInstantBuffers.pop_back();
    FreeRecordBuffer(h);
    FInstantReadMode = !FInstantBuffers.empty();
}

int TCustomMemTableEh::GetInstantReadCurRow()
{
    if (Active() && !FInstantReadMode)
        UpdateCursorPos();
    return FInstantReadCurRowNum;
}

int TCustomMemTableEh::InstantReadIndexOfBookmark(const TBookmark& Bookmark)
{
    return BookmarkRow(Bookmark);
}

int TCustomMemTableEh::InstantReadRowCount()
{
    if (FRecordsViewUpdating == 0 && Active() && !FInstantReadMode)
        UpdateCursorPos();
    return ViewRowCount() + (State() == dsInsert ? 1 : 0);
}

int TCustomMemTableEh::InstantReadViewRow()
{
    if (!FInstantReadMode)
        return GetInstantReadCurRow();
    TMTRecBuf* b = FInstantBuffers.back();
    if (State() == dsInsert) {
        const int cur = FInstantReadCurRowNum;
        if (b->IsInsertRow)
            return cur;
        return b->RecordNumber >= cur ? b->RecordNumber + 1 : b->RecordNumber;
    }
    return b->RecordNumber;
}

TMemoryRecordEh* TCustomMemTableEh::GetRec()
{
    CheckActive();
    return Rec();
}

// ---------------------------------------------------------------- tree state of the current row

bool TCustomMemTableEh::GetViewAsTreeList()
{
    return FRecordsView->ViewAsTreeList();
}

bool TCustomMemTableEh::GetTreeNodeExpanded()
{
    CheckActive();
    TMemRecViewEh* n = RecView();
    return n && n->NodeExpanded();
}

bool TCustomMemTableEh::GetTreeNodeHasVisibleChildren()
{
    CheckActive();
    TMemRecViewEh* n = RecView();
    return n && n->NodeHasVisibleChildren();
}

int TCustomMemTableEh::GetTreeNodeLevel()
{
    CheckActive();
    TMemRecViewEh* n = RecView();
    return n ? n->NodeLevel() : -1;
}

int TCustomMemTableEh::GetPrevTreeNodeLevel()
{
    CheckActive();
    const int r = RecNo();
    if (!FRecordsView->ViewAsTreeList() || r <= 1)
        return -1;
    return ViewNodeAt(r - 2)->NodeLevel();
}

int TCustomMemTableEh::GetNextTreeNodeLevel()
{
    CheckActive();
    const int r = RecNo();
    if (!FRecordsView->ViewAsTreeList() || r >= ViewRowCount())
        return -1;
    return ViewNodeAt(r)->NodeLevel();
}

bool TCustomMemTableEh::TreeNodeAncestorHasNextSibling(int Level)
{
    CheckActive();
    TMemRecViewEh* n = RecView();
    if (Level <= 0 || !n)
        return false;
    while (n && n->NodeLevel() > Level)
        n = n->NodeParent();
    if (!n)
        return false;
    TMemRecViewEh* p = n->NodeParent();
    if (!p)
        return false;
    for (int i = n->NodeIndex() + 1; i < p->NodesCount(); ++i)
        if (p->NodeItems(i)->NodeVisible())
            return true;
    return false;
}

int TCustomMemTableEh::SetTreeNodeExpandedAtRow(int RowNum, bool Value)
{
    CheckActive();
    TMemRecViewEh* cur = RecView();
    TMemRecViewEh* node = nullptr;
    {
        TInstantReadGuardEh g(this, RowNum);
        node = RecView();
    }
    if (!node)
        return -1;
    {
        TRestoreGuard<bool> quiet(FTreeRowsQuiet, true);
        node->SetNodeExpanded(Value);
    }
    FRecordsView->MemoryTreeList()->BuildVisibleItems();
    int result = -1;
    if (cur && FRecordsView->IndexOf(cur->Rec()) < 0) {
        TMemRecViewEh* a = cur;
        while (a && FRecordsView->IndexOf(a->Rec()) < 0 && a->NodeLevel() > 1)
            a = a->NodeParent();
        if (a && a->Rec()) {
            const int row = FRecordsView->IndexOf(a->Rec());
            if (row >= 0) {
                result = row + 1;
                FRecordPos = row;
            }
        }
    } else if (cur) {
        FRecordPos = FRecordsView->IndexOf(cur->Rec());
    }
    NotifyEventReceivers(-1, mtViewDataChangedEh, -1);
    Resync({});
    DoAfterScroll();
    return result;
}

bool TCustomMemTableEh::GotoRec(TMemoryRecordEh* ARec)
{
    CheckActive();
    const int n = ViewRowCount();
    for (int i = 0; i < n; ++i)
        if (FRecordsView->GetViewRecord(i) == ARec) {
            SetRecNo(i + 1);
            return true;
        }
    return false;
}

void TCustomMemTableEh::GetAggregatedValuesForRange(const TBookmark& FromBM, const TBookmark& ToBM,
                                                    const QString& FieldName, TAggrResultArr& R,
                                                    TAggrFunctionsEh AggrFuncs)
{
    R[agfSumEh] = Variant::Null();
    R[agfCountEh] = Variant(0);
    R[agfAvg] = Variant::Null();
    R[agfMin] = Variant::Null();
    R[agfMax] = Variant::Null();
    if (!Active())
        return;
    const int count = ViewRowCount();
    int from = 1, to = count;
    if (!FromBM.isEmpty()) {
        from = BookmarkToRecNo(FromBM);
        if (from < 1 || from > count)
            return;
    }
    if (!ToBM.isEmpty()) {
        to = BookmarkToRecNo(ToBM);
        if (to < 1 || to > count)
            return;
    }
    if (FieldName.isEmpty() && AggrFuncs == TAggrFunctionsEh{agfCountEh}) {
        R[agfCountEh] = Variant(to - from + 1);
        return;
    }
    TMTDataFieldEh* df = FMemData->DataStruct()->FindField(FieldName);
    if (!df)
        return;
    const int fi = df->Index();
    const TFieldType t = df->DataType();
    const bool isDate = t == ftDate || t == ftTime || t == ftDateTime;
    const bool numeric = isDate || IsNumericFieldType(t) || t == ftFMTBcd || t == ftBCD;
    int cnt = 0;
    for (int row = from; row <= to; ++row) {
        const Variant& v = FRecordsView->GetViewRecord(row - 1)->ValueRef(fi);
        if (v.IsNull() || v.IsEmpty())
            continue;
        if (AggrFuncs.Contains(agfCountEh) || AggrFuncs.Contains(agfAvg))
            ++cnt;
        if (!numeric)
            continue;
        if ((AggrFuncs.Contains(agfSumEh) || AggrFuncs.Contains(agfAvg)) && !isDate)
            R[agfSumEh] = R[agfSumEh].IsNull() ? v : R[agfSumEh] + v;
        if (AggrFuncs.Contains(agfMin) && (R[agfMin].IsNull() || CompareValuesEh(R[agfMin], v) > 0))
            R[agfMin] = v;
        if (AggrFuncs.Contains(agfMax) && (R[agfMax].IsNull() || CompareValuesEh(R[agfMax], v) < 0))
            R[agfMax] = v;
    }
    R[agfCountEh] = Variant(cnt);
    if (AggrFuncs.Contains(agfAvg) && !R[agfSumEh].IsNull() && cnt > 0)
        R[agfAvg] = R[agfSumEh] / Variant(cnt);
}

void TCustomMemTableEh::RegisterEventReceiver(TComponent* Receiver)
{
    if (!Receiver)
        return;
    if (std::find(FEventReceivers.begin(), FEventReceivers.end(), Receiver) == FEventReceivers.end())
        FEventReceivers.push_back(Receiver);
    Receiver->FreeNotification(this);
}

void TCustomMemTableEh::UnregisterEventReceiver(TComponent* Receiver)
{
    const auto it = std::find(FEventReceivers.begin(), FEventReceivers.end(), Receiver);
    if (it != FEventReceivers.end())
        FEventReceivers.erase(it);
}

// ---------------------------------------------------------------- TMemTableEh

DOV_PUBLISHED(TMemTableEh)
{
    P.Prop("Active", &TMemTableEh::Active, &TMemTableEh::SetActive).Default(false);
    P.Prop("AutoCalcFields", &TMemTableEh::AutoCalcFields, &TMemTableEh::SetAutoCalcFields).Default(true);
    P.Prop("AggregatesActive", &TMemTableEh::AggregatesActive, &TMemTableEh::SetAggregatesActive).Default(false);
    P.Prop("AutoIncrement", &TMemTableEh::AutoIncrement);
    P.Prop("CachedUpdates", &TMemTableEh::CachedUpdates, &TMemTableEh::SetCachedUpdates).Default(false);
    P.Prop("DataDriver", &TMemTableEh::GetDataDriverProp, &TMemTableEh::SetDataDriver);
    P.Prop("DetailFields", &TMemTableEh::DetailFields, &TMemTableEh::SetDetailFields);
    P.Prop("ExternalMemData", &TMemTableEh::ExternalMemData, &TMemTableEh::SetExternalMemData);
    P.Prop("FieldDefs", &TMemTableEh::FieldDefsProp).Stored(&TMemTableEh::IsFieldDefsStored);
    P.Prop("FetchAllOnOpen", &TMemTableEh::FetchAllOnOpen, &TMemTableEh::SetFetchAllOnOpen).Default(false);
    P.Prop("Filter", &TMemTableEh::Filter, &TMemTableEh::SetFilter);
    P.Prop("Filtered", &TMemTableEh::Filtered, &TMemTableEh::SetFiltered).Default(false);
    P.Prop("MasterDetailSide", &TMemTableEh::MasterDetailSide, &TMemTableEh::SetMasterDetailSide).Default(mdsOnSelfEh);
    P.Prop("MasterFields", &TMemTableEh::MasterFields, &TMemTableEh::SetMasterFields);
    P.Prop("MasterSource", &TMemTableEh::MasterSource, &TMemTableEh::SetMasterSource);
    P.Prop("IndexDefs", &TMemTableEh::IndexDefsProp).Stored(&TMemTableEh::IsFieldDefsStored);
    P.Prop("Options", &TMemTableEh::Options, &TMemTableEh::SetOptions).Default(TMemTableOptionsEh{});
    P.Prop("Params", &TMemTableEh::Params);
    P.Prop("ReadOnly", &TMemTableEh::ReadOnly, &TMemTableEh::SetReadOnly).Default(false);
    P.Prop("SortOrder", &TMemTableEh::SortOrder, &TMemTableEh::SetSortOrder);
    P.Prop("StoreDefs", &TMemTableEh::StoreDefs, &TMemTableEh::SetStoreDefs).Default(false);
    P.Prop("TreeList", &TMemTableEh::TreeList);
    P.Event("AfterCancel", &TMemTableEh::AfterCancel);
    P.Event("AfterClose", &TMemTableEh::AfterClose);
    P.Event("AfterDelete", &TMemTableEh::AfterDelete);
    P.Event("AfterEdit", &TMemTableEh::AfterEdit);
    P.Event("AfterInsert", &TMemTableEh::AfterInsert);
    P.Event("AfterOpen", &TMemTableEh::AfterOpen);
    P.Event("AfterPost", &TMemTableEh::AfterPost);
    P.Event("AfterRefresh", &TMemTableEh::AfterRefresh);
    P.Event("AfterScroll", &TMemTableEh::AfterScroll);
    P.Event("BeforeCancel", &TMemTableEh::BeforeCancel);
    P.Event("BeforeClose", &TMemTableEh::BeforeClose);
    P.Event("BeforeDelete", &TMemTableEh::BeforeDelete);
    P.Event("BeforeEdit", &TMemTableEh::BeforeEdit);
    P.Event("BeforeInsert", &TMemTableEh::BeforeInsert);
    P.Event("BeforeOpen", &TMemTableEh::BeforeOpen);
    P.Event("BeforePost", &TMemTableEh::BeforePost);
    P.Event("BeforeRefresh", &TMemTableEh::BeforeRefresh);
    P.Event("BeforeScroll", &TMemTableEh::BeforeScroll);
    P.Event("OnCalcFields", &TMemTableEh::OnCalcFields);
    P.Event("OnDeleteError", &TMemTableEh::OnDeleteError);
    P.Event("OnEditError", &TMemTableEh::OnEditError);
    P.Prop("OnFilterRecord", &TMemTableEh::OnFilterRecord, &TMemTableEh::SetOnFilterRecord);
    P.Event("OnGetFieldValue", &TMemTableEh::OnGetFieldValue);
    P.Event("OnNewRecord", &TMemTableEh::OnNewRecord);
    P.Event("OnPostError", &TMemTableEh::OnPostError);
    P.Event("OnSetFieldValue", &TMemTableEh::OnSetFieldValue);
}
