// The in-memory table: its filter, extra filters of grid-side components, and searching
// (FindRec, Locate, Lookup, LookupAll).
#include "MemTableEh.h"

#include "DataDriverEh.h"
#include "platform/rtl/Guards.h"

// ---------------------------------------------------------------- TMemTableFilterItemEh

DOV_PUBLISHED(TMemTableFilterItemEh)
{
    P.Prop("Active", &TMemTableFilterItemEh::Active, &TMemTableFilterItemEh::SetActive).Default(false);
    P.Prop("Filter", &TMemTableFilterItemEh::Filter, &TMemTableFilterItemEh::SetFilter);
}

TMemTableFilterItemEh::TMemTableFilterItemEh(TCollection* Collection) : TCollectionItem(Collection) {}

TMemTableFilterItemEh::~TMemTableFilterItemEh() = default;

TMemTableFiltersEh* TMemTableFilterItemEh::MemTableFilters() const
{
    return static_cast<TMemTableFiltersEh*>(Collection());
}

bool TMemTableFilterItemEh::IsCurRecordInFilter(TMemoryRecordEh* Rec)
{
    bool accept = FFilterExpr && FFilterExpr->HasData() ? FFilterExpr->IsCurRecordInFilter(Rec) : true;
    if (FActive && FOnFilterRecord) {
        TMemTableFiltersEh* c = MemTableFilters();
        FOnFilterRecord(c ? c->MemTable() : nullptr, accept);
    }
    return accept;
}

void TMemTableFilterItemEh::RecreateFilterExpr()
{
    TMemTableFiltersEh* c = MemTableFilters();
    TCustomMemTableEh* t = c ? c->MemTable() : nullptr;
    if (FActive && !FFilter.isEmpty() && t && t->FActive) {
        auto p = std::make_unique<TDataSetExprParserEh>(t, dsptFilterEh);
        p->DataStruct = t->RecordsStore()->DataStruct();
        p->ParseExpression(FFilter);
        FFilterExpr = std::move(p);
    } else {
        FFilterExpr.reset();
    }
}

void TMemTableFilterItemEh::FilterProcChanged()
{
    if (FActive)
        Changed(false);
}

void TMemTableFilterItemEh::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    Changed(false);
}

void TMemTableFilterItemEh::SetFilter(const QString& Value)
{
    if (Value == FFilter)
        return;
    FFilter = Value;
    if (FActive)
        Changed(false);
}

void TMemTableFilterItemEh::SetOnFilterRecord(const TFilterRecordEvent& Value)
{
    if (Value == FOnFilterRecord)
        return;
    FOnFilterRecord = Value;
    if (FActive)
        Changed(false);
}

void TMemTableFilterItemEh::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TMemTableFilterItemEh*>(Source)) {
        FFilter = s->FFilter;
        FOnFilterRecord = s->FOnFilterRecord;
        FActive = s->FActive;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

// ---------------------------------------------------------------- TMemTableFiltersEh

DOV_PUBLISHED(TMemTableFiltersEh) {}

TMemTableFiltersEh::TMemTableFiltersEh(TCustomMemTableEh* AMemTable)
    : TOwnedCollection(AMemTable, TMemTableFilterItemEh::StaticClassInfo()), FMemTable(AMemTable)
{
}

bool TMemTableFiltersEh::HasTextActiveFilter() const
{
    for (TMemTableFilterItemEh* i : FActiveFilterItems)
        if (!i->Filter().isEmpty())
            return true;
    return false;
}

bool TMemTableFiltersEh::HasEventActiveFilter() const
{
    for (TMemTableFilterItemEh* i : FActiveFilterItems)
        if (i->OnFilterRecord())
            return true;
    return false;
}

int TMemTableFiltersEh::IndexOfFilter(TMemTableFilterItemEh* FilterItem) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i) == FilterItem)
            return i;
    return -1;
}

bool TMemTableFiltersEh::IsCurRecordInFilter(TMemoryRecordEh* Rec)
{
    for (TMemTableFilterItemEh* i : FActiveFilterItems)
        if (!i->IsCurRecordInFilter(Rec))
            return false;
    return true;
}

void TMemTableFiltersEh::RecreateFilterExpr()
{
    for (int i = 0; i < Count(); ++i)
        FilterItem(i)->RecreateFilterExpr();
}

void TMemTableFiltersEh::Notify(TCollectionItem* Item, TCollectionNotification Action)
{
    // New items start inactive; the update that follows their insertion comes from inside the
    // item's base constructor.
    if (Action == cnAdded)
        FAdding = true;
    if (Action == cnDeleting || Action == cnExtracting) {
        const auto it = std::find(FActiveFilterItems.begin(), FActiveFilterItems.end(), Item);
        if (it != FActiveFilterItems.end()) {
            FActiveFilterItems.erase(it);
            FDirty = true;
        }
    }
}

void TMemTableFiltersEh::Update(TCollectionItem* Item)
{
    if (FAdding) {
        FAdding = false;
        return;
    }
    std::vector<TMemTableFilterItemEh*> now;
    for (int i = 0; i < Count(); ++i)
        if (FilterItem(i)->Filtered())
            now.push_back(FilterItem(i));
    if (!Item && !FDirty && now == FActiveFilterItems)
        return;
    FDirty = false;
    FActiveFilterItems.clear();
    RecreateFilterExpr();
    FActiveFilterItems = now;
    if (OnChanged)
        OnChanged(this);
    if (FMemTable && FMemTable->FActive && !FMemTable->ComponentState().Contains(csDestroying)
        && FMemTable->State() != dsOpening)
        FMemTable->RefilterView();
}

// ---------------------------------------------------------------- the table's filter

void TCustomMemTableEh::RecreateFilterExpr()
{
    FFilterExpr.reset();
    if (FActive && Filtered() && !Filter().isEmpty()) {
        auto p = std::make_unique<TDataSetExprParserEh>(this, dsptFilterEh);
        p->DataStruct = FMemData->DataStruct();
        p->ParseExpression(Filter());
        FFilterExpr = std::move(p);
    }
    FExtraFilters->RecreateFilterExpr();
}

void TCustomMemTableEh::AfterFilterChange()
{
    RefilterView();
}

void TCustomMemTableEh::SetFilterText(const QString& Value)
{
    if (!Active()) {
        TDataSet::SetFilterText(Value);
        return;
    }
    if (Value == Filter())
        return;
    CheckBrowseMode();
    const QString old = Filter();
    TDataSet::SetFilterText(Value);
    // a text that does not compile or fails on a record changes nothing
    auto undo = OnFailure([&] {
        TDataSet::SetFilterText(old);
        RecreateFilterExpr();
    });
    RecreateFilterExpr();
    AfterFilterChange();
}

void TCustomMemTableEh::SetFiltered(bool Value)
{
    if (!Active()) {
        TDataSet::SetFiltered(Value);
        return;
    }
    CheckBrowseMode();
    if (Value == Filtered())
        return;
    TDataSet::SetFiltered(Value);
    auto undo = OnFailure([&] {
        TDataSet::SetFiltered(!Value);
        RecreateFilterExpr();
    });
    RecreateFilterExpr();
    AfterFilterChange();
}

void TCustomMemTableEh::SetOnFilterRecord(const TFilterRecordEvent& Value)
{
    if (!Active()) {
        TDataSet::SetOnFilterRecord(Value);
        return;
    }
    CheckBrowseMode();
    const TFilterRecordEvent old = OnFilterRecord();
    TDataSet::SetOnFilterRecord(Value);
    if (!Filtered())
        return;
    auto undo = OnFailure([&] { TDataSet::SetOnFilterRecord(old); });
    AfterFilterChange();
}

void TCustomMemTableEh::SetStatusFilter(TUpdateStatusSet Value)
{
    FRecordsView->SetStatusFilter(Value);
    if (Active()) {
        FRecordPos = -1;
        ClearBuffers();
        TDataSet::Resync({});
    }
}

bool TCustomMemTableEh::FilterRecordForView(TMemoryRecordEh* R)
{
    if (!FActive)
        return true;
    const bool own = Filtered() && (OnFilterRecord() || (FFilterExpr && FFilterExpr->HasData()));
    const bool extra = FExtraFilters->ActiveFilterCount() > 0;
    const bool detail = LocalDetailFilter();
    if (!own && !extra && !detail)
        return true;
    bool accept = true;
    const bool needBuf = ((Filtered() && OnFilterRecord()) || FExtraFilters->HasEventActiveFilter()) && TempBuffer();
    TDataSetState old = State();
    if (needBuf) {
        old = SetTempState(dsFilter);
        TMTRecBuf* tb = Buf(TempBuffer());
        FillBufferFromRecord(tb, R, -1);
        tb->NeedUpdateCalcFields = true;
    }
    try {
        if (needBuf && CalcFieldsCount() > 0)
            GetCalcFields(TempBuffer());
        if (Filtered() && FFilterExpr && FFilterExpr->HasData())
            accept = FFilterExpr->IsCurRecordInFilter(R);
        if (Filtered() && OnFilterRecord())
            OnFilterRecord()(this, accept);
        // the detail record list holds exactly the matching records
        if (accept && detail)
            accept = FDetailRecListActive || RecordMatchesMaster(R);
        if (accept && extra)
            accept = FExtraFilters->IsCurRecordInFilter(R);
    } catch (...) {
        if (!FFilterError)
            FFilterError = std::current_exception();
    }
    if (needBuf) {
        Buf(TempBuffer())->NeedUpdateCalcFields = false;
        RestoreState(old);
    }
    // A refilter stops at its first failure; the refilter undoes what it did and raises the
    // error once, on the caller's thread.
    if (FFilterError && FInRefilter)
        RaiseFilterError();
    return accept;
}

void TCustomMemTableEh::RaiseFilterError()
{
    if (!FFilterError)
        return;
    std::exception_ptr e = FFilterError;
    FFilterError = nullptr;
    std::rethrow_exception(e);
}

void TCustomMemTableEh::RefilterView()
{
    FFilterError = nullptr;
    PrepareDetailRecList();
    const TRecordsViewEh::TViewSnapshot before = FRecordsView->TakeSnapshot();
    std::exception_ptr failure;
    BeginViewUpdate();
    FInRefilter = true;
    try {
        FRecordsView->RefreshFilteredRecsList();
    } catch (...) {
        failure = std::current_exception();
    }
    FDetailRecListActive = false;
    FDetailRecList.clear();
    FInRefilter = false;
    FFilterError = nullptr;
    // A half-done refilter is worse than none: show what was shown before.
    if (failure)
        FRecordsView->RestoreSnapshot(before);
    EndViewUpdate(false);
    if (FActive) {
        ClearBuffers();
        FRecordPos = -1;
        FInstantReadCurRowNum = 0;
        TDataSet::Resync({});
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TCustomMemTableEh::ResyncAfterViewChange()
{
    if (Active() && State() == dsBrowse && !FInstantReadMode) {
        CursorPosChanged();
        UpdateCursorPos();
        TDataSet::Resync({});
    }
}

// ---------------------------------------------------------------- extra filters through the interface

TMemTableFilterItemEh* TCustomMemTableEh::AddExtraFilter(const QString& Filter, const TFilterRecordProcEh& FilterProc)
{
    TMemTableFilterItemEh* item = FExtraFilters->Add();
    item->SetFilter(Filter);
    item->SetOnFilterRecord(FilterProc);
    item->SetActive(true);
    return static_cast<TMemTableFilterItemEh*>(FExtraFilters->Items(FExtraFilters->Count() - 1));
}

bool TCustomMemTableEh::UpdateExtraFilter(TMemTableFilterItemEh* FilterItem, const QString& Filter,
                                          const TFilterRecordProcEh& FilterProc)
{
    if (FExtraFilters->IndexOfFilter(FilterItem) < 0)
        return false;
    if (Filter != FilterItem->Filter()) {
        FExtraFilters->BeginUpdate();
        FilterItem->SetFilter(Filter);
        FilterItem->SetOnFilterRecord(FilterProc);
        FExtraFilters->EndUpdate();
        // the whole-collection update sees the same items: refilter for the new text
        if (FActive)
            FExtraFilters->Update(FilterItem);
    } else if (FilterProc == FilterItem->OnFilterRecord()) {
        FilterItem->FilterProcChanged();
    } else {
        FilterItem->SetOnFilterRecord(FilterProc);
    }
    return true;
}

bool TCustomMemTableEh::RemoveExtraFilter(TMemTableFilterItemEh* FilterItem)
{
    if (FExtraFilters->IndexOfFilter(FilterItem) < 0)
        return false;
    delete FilterItem;
    return true;
}

// ---------------------------------------------------------------- search

bool TCustomMemTableEh::RecordMatchesKeys(int Row, const std::vector<TField*>& Fields, const Variant& KeyValues,
                                          TLocateOptions Options)
{
    TInstantReadGuardEh g(this, Row);
    const int n = int(Fields.size());
    for (int i = 0; i < n; ++i) {
        TField* f = Fields[size_t(i)];
        Variant v;
        f->GetData(v);
        if (!LocateValueMatches(v, LocateKeyAt(KeyValues, i, n), IsLocateTextType(f->DataType()), Options))
            return false;
    }
    return true;
}

bool TCustomMemTableEh::StoredValuesMatch(TMemoryRecordEh* R, const std::vector<int>& DataIdx, const Variant& KeyValues)
{
    const int n = int(DataIdx.size());
    for (int i = 0; i < n; ++i)
        if (!VarEqualsEh(R->ValueRef(DataIdx[size_t(i)]), LocateKeyAt(KeyValues, i, n)))
            return false;
    return true;
}

int TCustomMemTableEh::FindRec(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options,
                               int StartRecIndex, bool TryUseIndex)
{
    std::vector<TField*> fields;
    GetFieldList(fields, KeyFields);
    bool byFields = !Options.Empty();
    for (TField* f : fields)
        if (f->FieldKind() != fkData || f->FieldNo() < 1)
            byFields = true;
    int result = -1;
    const int start = std::max(StartRecIndex, 0);
    int rows = ViewRowCount();
    if (byFields) {
        for (int row = start; row < rows && result < 0; ++row)
            if (RecordMatchesKeys(row, fields, KeyValues, Options))
                result = row;
    } else {
        TMTIndexEh* idx = TryUseIndex ? FMemData->RecordsList()->Indexes()->GetIndexForFields(KeyFields) : nullptr;
        if (idx && idx->Active()) {
            // every record with the key: a hidden one must not hide a visible one
            std::vector<TMemoryRecordEh*> matches;
            idx->FillMatchedRecsList(KeyValues, matches);
            for (TMemoryRecordEh* r : matches) {
                const int row = FRecordsView->IndexOf(r);
                if (row >= start && (result < 0 || row < result))
                    result = row;
            }
        } else {
            std::vector<int> dataIdx;
            for (TField* f : fields)
                dataIdx.push_back(f->FieldNo() - 1);
            for (int row = start; row < rows && result < 0; ++row)
                if (StoredValuesMatch(FRecordsView->GetViewRecord(row), dataIdx, KeyValues))
                    result = row;
        }
    }
    while (result < 0 && FDataDriver && !FDataDriver->ProviderEOF()) {
        {
            BeginViewUpdate();
            auto endUpdate = Finally([this] { EndViewUpdate(false); });
            FetchFromDriver(1);
        }
        const int now = ViewRowCount();
        if (now > rows && RecordMatchesKeys(now - 1, fields, KeyValues, Options))
            result = now - 1;
        rows = now;
    }
    return result;
}

bool TCustomMemTableEh::Locate(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
    CheckBrowseMode();
    if (Bof() && Eof())
        return false;
    int r = -1;
    BeginViewUpdate();
    bool done = false;
    auto endUpdate = Finally([&] { EndViewUpdate(done); });
    r = FindRec(KeyFields, KeyValues, Options, 0, true);
    if (r >= 0) {
        FRecordPos = r;
        FInstantReadCurRowNum = r;
        TDataSet::Resync({rmExact, rmCenter});
        FRecordsViewUpdated = false;
    }
    done = true;
    return r >= 0;
}

Variant TCustomMemTableEh::ResultFieldValues(const QString& ResultFields)
{
    return FieldValues(ResultFields);
}

Variant TCustomMemTableEh::Lookup(const QString& KeyFields, const Variant& KeyValues, const QString& ResultFields)
{
    Variant result;
    FRecordsView->SetCatchChanged(false);
    const int r = FindRec(KeyFields, KeyValues, {}, 0, true);
    if (r >= 0) {
        TInstantReadGuardEh g(this, r);
        result = ResultFieldValues(ResultFields);
    }
    if (FRecordsView->CatchChanged())
        ResyncAfterViewChange();
    return result;
}

Variant TCustomMemTableEh::LookupAll(const QString& KeyFields, const Variant& KeyValues, const QString& ResultFields,
                                     TLocateOptions)
{
    Variant result;
    FRecordsView->SetCatchChanged(false);
    std::vector<Variant> found;
    int start = 0;
    for (;;) {
        const int r = FindRec(KeyFields, KeyValues, {}, start, false);
        if (r < 0)
            break;
        {
            TInstantReadGuardEh g(this, r);
            found.push_back(ResultFieldValues(ResultFields));
        }
        start = r + 1;
    }
    if (found.size() == 1)
        result = found[0];
    else if (found.size() > 1)
        result = VarArrayOf(found);
    if (FRecordsView->CatchChanged())
        ResyncAfterViewChange();
    return result;
}
