// The records view: the filtered and sorted records a table shows, kept up to date with the
// records list change by change; a list-changed notice is the only thing that rebuilds it.
#include "MemTableDataEh.h"
#include "platform/rtl/Guards.h"

#include <atomic>

namespace {
uint32_t NextItemsGeneration()
{
    static std::atomic<uint32_t> next{1};
    uint32_t g = next.fetch_add(1);
    return g ? g : next.fetch_add(1);
}
}

TRecordsViewEh::TRecordsViewEh(TDataSet* ADataSet) : TRecordsListNotificatorEh(nullptr), FDataSet(ADataSet)
{
    FItemsGeneration = NextItemsGeneration();
    FOrderByList = std::make_unique<TRecordsViewOrderByList>(this);
    FMemoryTreeList = CreateUnique<TMemoryTreeListEh>(this);
    FAggregates = std::make_unique<TMTAggregatesEh>(this);
}

TRecordsViewEh::~TRecordsViewEh()
{
    // Going away is not a change the table or its grids should hear about.
    OnViewDataEvent = nullptr;
    OnViewRecordMovedEvent = nullptr;
    OnCalcLookupBuffer = nullptr;
    OnDataEvent = nullptr;
    FDisableFilterCount = 1;
    SetDataObject(nullptr);
    FreeViewItems();
    while (!FNotificators.empty())
        FNotificators.back()->SetDataObject(nullptr);
    FAggregates.reset();
    FMemoryTreeList.reset();
    FOrderByList.reset();
}

TRecordsListEh* TRecordsViewEh::RecordsList() const
{
    return FMemTableData ? FMemTableData->RecordsList() : nullptr;
}

int TRecordsViewEh::ViewItemsCount()
{
    return FViewAsTreeList ? FMemoryTreeList->VisibleExpandedCount() : FMemoryViewList.Size();
}

int TRecordsViewEh::AccountableItemsCount()
{
    return FViewAsTreeList ? FMemoryTreeList->AccountableCount() : FMemoryViewList.Size();
}

TMemRecViewEh* TRecordsViewEh::GetRecordView(int Index)
{
    if (FViewAsTreeList) {
        TMemRecViewEh* n = FMemoryTreeList->GetVisibleExpandedItem(Index);
        if (!n)
            throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
        return n;
    }
    return RowItem(GetViewRecord(Index));
}

TMemoryRecordEh* TRecordsViewEh::GetViewRecord(int Index)
{
    if (FViewAsTreeList)
        return GetRecordView(Index)->Rec();
    if (Index < 0 || Index >= FMemoryViewList.Size())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    return static_cast<TMemoryRecordEh*>(FMemoryViewList.At(Index));
}

TMemRecViewEh* TRecordsViewEh::RowItem(TMemoryRecordEh* Rec)
{
    std::unique_ptr<TMemRecViewEh>& slot = FRowItems[Rec];
    if (!slot) {
        slot = std::make_unique<TMemRecViewEh>();
        slot->SetRec(Rec);
        auto forget = OnFailure([&] { FRowItems.erase(Rec); });
        DoCalcLookupBuffer(slot.get());
    }
    return slot.get();
}

TMemRecViewEh* TRecordsViewEh::FindRowItem(TMemoryRecordEh* Rec) const
{
    const auto it = FRowItems.find(Rec);
    return it == FRowItems.end() ? nullptr : it->second.get();
}

void TRecordsViewEh::DropRowItem(TMemoryRecordEh* Rec)
{
    if (!FRowItems.empty())
        FRowItems.erase(Rec);
}

TMemoryRecordEh* TRecordsViewEh::GetAccountableRecord(int Index)
{
    if (FViewAsTreeList) {
        TMemRecViewEh* n = FMemoryTreeList->GetAccountableItem(Index);
        if (!n)
            throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
        return n->Rec();
    }
    return GetViewRecord(Index);
}

bool TRecordsViewEh::UsesRecTags() const
{
    return FMemTableData && FMemTableData->TagView() == this;
}

void TRecordsViewEh::TagRec(TMemoryRecordEh* Rec)
{
    if (UsesRecTags())
        Rec->FViewGeneration = FItemsGeneration;
}

void TRecordsViewEh::SetItemBlock(void* Rec, TSeqBlockEh* Block)
{
    // A record leaving the view may be gone already (a cleared list): it is not touched then.
    if (!Block)
        return;
    auto* r = static_cast<TMemoryRecordEh*>(Rec);
    // Only the view the record is tagged for writes its block: other views hold it too.
    const TMemTableDataEh* d = r->FRecordsList ? r->FRecordsList->MemTableData() : nullptr;
    const TRecordsViewEh* tag = d ? d->TagView() : nullptr;
    if (tag && Block->Owner == &tag->FMemoryViewList)
        r->FViewBlock = Block;
}

int TRecordsViewEh::FindViewItem(TMemoryRecordEh* Rec) const
{
    if (FMemoryViewList.Empty())
        return -1;
    if (UsesRecTags()) {
        if (Rec->FViewGeneration != FItemsGeneration || !Rec->FViewBlock)
            return -1;
        return FMemoryViewList.PositionOf(Rec, Rec->FViewBlock);
    }
    if (FMemoryViewList.Back() == Rec)
        return FMemoryViewList.Size() - 1;
    int i = 0, found = -1;
    FMemoryViewList.ForEach([&](void* r) {
        if (found < 0 && r == Rec)
            found = i;
        ++i;
    });
    return found;
}

void TRecordsViewEh::ViewInsert(int Pos, TMemoryRecordEh* Rec)
{
    FMemoryViewList.Insert(Pos, Rec);
    TagRec(Rec);
}

TMemoryRecordEh* TRecordsViewEh::ViewErase(int Pos)
{
    auto* rec = static_cast<TMemoryRecordEh*>(FMemoryViewList.Erase(Pos));
    // the record is alive here: it is being changed or deleted
    if (UsesRecTags())
        rec->FViewBlock = nullptr;
    return rec;
}

void TRecordsViewEh::AssignView(const std::vector<TMemoryRecordEh*>& Recs)
{
    FMemoryViewList.Assign(reinterpret_cast<const std::vector<void*>&>(Recs));
    for (TMemoryRecordEh* r : Recs)
        TagRec(r);
}

std::vector<TMemoryRecordEh*> TRecordsViewEh::MemoryViewList() const
{
    std::vector<TMemoryRecordEh*> recs;
    recs.reserve(size_t(FMemoryViewList.Size()));
    FMemoryViewList.ForEach([&](void* r) { recs.push_back(static_cast<TMemoryRecordEh*>(r)); });
    return recs;
}

int TRecordsViewEh::IndexOf(TMemoryRecordEh* Rec)
{
    if (!FViewAsTreeList)
        return FindViewItem(Rec);
    const int n = ViewItemsCount();
    for (int i = n - 1; i >= 0; --i)
        if (FMemoryTreeList->GetVisibleExpandedItem(i)->Rec() == Rec)
            return i;
    return -1;
}

Variant TRecordsViewEh::GetValue(int RecNo, int ValNo)
{
    return GetViewRecord(RecNo)->GetDataValue(ValNo, dvvValueEh);
}

void TRecordsViewEh::SetValue(int RecNo, int ValNo, const Variant& Value)
{
    RecordsList()->SetValue(GetViewRecord(RecNo)->Index(), ValNo, Value);
}

void TRecordsViewEh::SetRec(int Index, TMemoryRecordEh* Rec)
{
    RecordsList()->SetRec(GetViewRecord(Index)->Index(), Rec);
}

void TRecordsViewEh::DeleteRecord(int Index)
{
    RecordsList()->DeleteRecord(GetViewRecord(Index)->Index());
}

void TRecordsViewEh::RevertRecord(int Index)
{
    RecordsList()->RevertRecord(GetViewRecord(Index)->Index());
}

void TRecordsViewEh::RefreshRecord(int Index, TMemoryRecordEh* Rec)
{
    RecordsList()->RefreshRecord(GetViewRecord(Index)->Index(), Rec);
}

TRecDataValues TRecordsViewEh::GetOldRecVals(int Index)
{
    return GetViewRecord(Index)->OldData();
}

TMemoryRecordEh* TRecordsViewEh::NewRecord()
{
    return RecordsList()->NewRecord();
}

int TRecordsViewEh::AddRecord(TMemoryRecordEh* Rec)
{
    return RecordsList()->AddRecord(Rec);
}

void TRecordsViewEh::InsertRecord(int Index, TMemoryRecordEh* Rec)
{
    TRecordsListEh* list = RecordsList();
    if (FViewAsTreeList) {
        if (Index <= 0 || ViewItemsCount() == 0)
            list->InsertRecord(0, Rec);
        else
            list->InsertRecord(GetViewRecord(std::min(Index, ViewItemsCount()) - 1)->Index() + 1, Rec);
        return;
    }
    if (FMemoryViewList.Empty())
        list->InsertRecord(0, Rec);
    else if (Index >= FMemoryViewList.Size())
        list->InsertRecord(list->Count(), Rec);
    else
        list->InsertRecord(GetViewRecord(std::max(Index, 0))->Index(), Rec);
}

void TRecordsViewEh::MergeChangeLog()
{
    RecordsList()->MergeChangeLog();
}

void TRecordsViewEh::CancelUpdates()
{
    RecordsList()->CancelUpdates();
}

void TRecordsViewEh::SetCachedUpdates(bool v)
{
    FCachedUpdates = v;
    if (FCachedUpdatesLockCount == 0 && RecordsList())
        RecordsList()->SetCachedUpdates(v);
}

void TRecordsViewEh::LockCachedUpdates()
{
    ++FCachedUpdatesLockCount;
    if (RecordsList())
        RecordsList()->SetCachedUpdates(false);
}

void TRecordsViewEh::UnlockCachedUpdates()
{
    if (FCachedUpdatesLockCount > 0)
        --FCachedUpdatesLockCount;
    if (FCachedUpdatesLockCount == 0 && RecordsList())
        RecordsList()->SetCachedUpdates(FCachedUpdates);
}

bool TRecordsViewEh::RecordPassesFilter(TMemoryRecordEh* Rec)
{
    if (!FStatusFilter.Contains(Rec->UpdateStatus()))
        return false;
    return OnFilterRecord ? OnFilterRecord(Rec) : true;
}

void TRecordsViewEh::FreeViewItems()
{
    // Records may already be gone (a cleared list): forget every remembered block at once.
    FItemsGeneration = NextItemsGeneration();
    FMemoryViewList.Clear();
    FRowItems.clear();
}

void TRecordsViewEh::DoCalcLookupBuffer(TMemRecViewEh* Item)
{
    if (OnCalcLookupBuffer)
        OnCalcLookupBuffer(Item->Rec(), Item);
}

void TRecordsViewEh::UpdateAllLookupBuffer()
{
    auto recalc = [this](TMemRecViewEh* item) {
        for (Variant& v : item->LookupBuffer())
            v.Clear();
        DoCalcLookupBuffer(item);
    };
    if (FViewAsTreeList) {
        const int n = ViewItemsCount();
        for (int i = 0; i < n; ++i)
            recalc(GetRecordView(i));
        return;
    }
    // Rows without an item compute their buffer when the item is made.
    if (FRowItems.empty())
        return;
    for (TMemoryRecordEh* r : MemoryViewList())
        if (TMemRecViewEh* item = FindRowItem(r))
            recalc(item);
}

void TRecordsViewEh::RefreshFilteredRecsList()
{
    FreeViewItems();
    if (FMemTableData && !FViewAsTreeList) {
        const std::vector<TMemoryRecordEh*>* candidates = nullptr;
        if (OnGetPrefilteredList)
            candidates = OnGetPrefilteredList();
        if (!candidates)
            candidates = &FMemTableData->RecordsList()->Records();
        std::vector<TMemoryRecordEh*> recs;
        recs.reserve(candidates->size());
        for (TMemoryRecordEh* r : *candidates)
            if (RecordPassesFilter(r))
                recs.push_back(r);
        AssignView(recs);
    }
    if (FViewAsTreeList) {
        FMemoryTreeList->UpdateNodesState(nullptr);
        if (!FMemoryTreeList->FilterNodeIfParentVisible)
            FMemoryTreeList->ShowChildrenOfVisibleNodes(nullptr);
        FMemoryTreeList->VisibleItemsBecomeObsolete();
    }
    if (!FSortOrder.isEmpty())
        SortView();
    else
        ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

TRecordsViewEh::TViewSnapshot TRecordsViewEh::TakeSnapshot()
{
    TViewSnapshot s;
    s.Flat = MemoryViewList();
    if (FViewAsTreeList) {
        std::vector<TBaseTreeNodeEh*> stack(FMemoryTreeList->Root()->Items().begin(), FMemoryTreeList->Root()->Items().end());
        while (!stack.empty()) {
            auto* n = static_cast<TMemRecViewEh*>(stack.back());
            stack.pop_back();
            s.TreeVisible.emplace_back(n, n->NodeVisible());
            stack.insert(stack.end(), n->Items().begin(), n->Items().end());
        }
    }
    return s;
}

void TRecordsViewEh::RestoreSnapshot(const TViewSnapshot& Snapshot)
{
    FreeViewItems();
    AssignView(Snapshot.Flat);
    if (FViewAsTreeList) {
        for (const auto& [node, visible] : Snapshot.TreeVisible)
            node->SetVisible(visible);
        FMemoryTreeList->VisibleItemsBecomeObsolete();
    }
    ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsViewEh::SetSortOrder(const QString& Value)
{
    if (Value == FSortOrder)
        return;
    FOrderByList->ParseOrderByStr(Value);
    for (int i = 0; i < FOrderByList->Count(); ++i) {
        TOrderByItemEh* item = FOrderByList->GetItem(i);
        item->MTFieldIndex = item->FieldIndex;
        item->CaseIns = FSortOrderCaseInsensitive;
    }
    FSortOrder = Value;
    SortView();
}

void TRecordsViewEh::SetSortOrderCaseInsensitive(bool Value)
{
    if (Value == FSortOrderCaseInsensitive)
        return;
    FSortOrderCaseInsensitive = Value;
    for (int i = 0; i < FOrderByList->Count(); ++i)
        FOrderByList->GetItem(i)->CaseIns = Value;
    SortView();
}

int TRecordsViewEh::CompareViewRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2)
{
    if (!FSortOrder.isEmpty()) {
        if (OnCompareRecords)
            return OnCompareRecords(Rec1, Rec2, FOrderByList.get());
        return CompareRecordsByOrderEh(Rec1, Rec2, FOrderByList.get());
    }
    return Rec1->Index() - Rec2->Index();
}

void TRecordsViewEh::SortView()
{
    if (OnCompareRecords && !(OnCompareIsStoreOrder && OnCompareIsStoreOrder())) {
        SortData(OnCompareRecords, FOrderByList.get());
    } else {
        SortByKeySnapshot(FOrderByList.get());
        ViewDataEvent(nullptr, -1, rlnListChangedEh);
    }
    if (FViewAsTreeList)
        FMemoryTreeList->SetSortOrder(FSortOrder);
}

void TRecordsViewEh::SortData(const TCompareRecords& Compare, TObject* ParamSort)
{
    // A stable sort over a snapshot of the items; the comparison is only ever asked "less".
    if (FMemoryViewList.Size() > 1) {
        std::vector<TMemoryRecordEh*> snapshot = MemoryViewList();
        std::stable_sort(snapshot.begin(), snapshot.end(), [&](TMemoryRecordEh* a, TMemoryRecordEh* b) {
            return Compare(a, b, ParamSort) < 0;
        });
        AssignView(snapshot);
    }
    ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

int TRecordsViewEh::FindInsertPosition(TMemoryRecordEh* Rec, int Hint)
{
    const int n = FMemoryViewList.Size();
    auto recAt = [this](int i) { return static_cast<TMemoryRecordEh*>(FMemoryViewList.At(i)); };
    if (n == 0)
        return 0;
    // a changed record whose key did not move keeps its place without a search
    if (Hint >= 0 && Hint <= n && (Hint == 0 || CompareViewRecords(Rec, recAt(Hint - 1)) >= 0)
        && (Hint == n || CompareViewRecords(Rec, recAt(Hint)) <= 0))
        return Hint;
    return FMemoryViewList.PartitionPoint(
        [&](void* r) { return CompareViewRecords(static_cast<TMemoryRecordEh*>(r), Rec) < 0; });
}

void TRecordsViewEh::SetStatusFilter(TUpdateStatusSet Value)
{
    if (Value == FStatusFilter)
        return;
    FStatusFilter = Value;
    RefreshFilteredRecsList();
}

void TRecordsViewEh::SetViewAsTreeList(bool Value)
{
    if (Value == FViewAsTreeList)
        return;
    FViewAsTreeList = Value;
    if (Value) {
        FreeViewItems();
        RebuildMemoryTreeList();
    } else {
        FMemoryTreeList->Clear();
    }
    RefreshFilteredRecsList();
}

void TRecordsViewEh::RebuildMemoryTreeList()
{
    if (!FMemTableData) {
        FMemoryTreeList->Clear();
        return;
    }
    FMemoryTreeList->BuildFromRecords(FMemTableData->RecordsList()->Records());
}

void TRecordsViewEh::SetTreeViewKeyFieldName(const QString& Value)
{
    FTreeViewKeyFieldName = Value;
    UpdateFields();
}

void TRecordsViewEh::SetTreeViewRefParentFieldName(const QString& Value)
{
    FTreeViewRefParentFieldName = Value;
    UpdateFields();
}

void TRecordsViewEh::UpdateFields()
{
    FTreeViewKeyFields.clear();
    FTreeViewRefParentFields.clear();
    if (!FMemTableData)
        return;
    if (!FTreeViewKeyFieldName.isEmpty())
        FTreeViewKeyFields = FMemTableData->DataStruct()->FieldsIndex(FTreeViewKeyFieldName);
    if (!FTreeViewRefParentFieldName.isEmpty())
        FTreeViewRefParentFields = FMemTableData->DataStruct()->FieldsIndex(FTreeViewRefParentFieldName);
}

void TRecordsViewEh::StructChanged(TMemTableDataEh* AMemTableData)
{
    TRecordsListNotificatorEh::StructChanged(AMemTableData);
    UpdateFields();
}

void TRecordsViewEh::AddNotificator(TRecordsListNotificatorEh* RecordsListNotificator)
{
    if (std::find(FNotificators.begin(), FNotificators.end(), RecordsListNotificator) == FNotificators.end())
        FNotificators.push_back(RecordsListNotificator);
}

void TRecordsViewEh::RemoveNotificator(TRecordsListNotificatorEh* RecordsListNotificator)
{
    const auto it = std::find(FNotificators.begin(), FNotificators.end(), RecordsListNotificator);
    if (it != FNotificators.end())
        FNotificators.erase(it);
}

void TRecordsViewEh::ViewDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)
{
    FCatchChanged = true;
    FAggregates->Recalc();
    if (OnViewDataEvent)
        OnViewDataEvent(MemRec, Index, Action);
    const auto listeners = FNotificators;
    for (TRecordsListNotificatorEh* n : listeners)
        n->DataEvent(MemRec, Index, Action);
}

void TRecordsViewEh::ViewRecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex)
{
    if (OnViewRecordMovedEvent)
        OnViewRecordMovedEvent(MemRec, OldIndex, NewIndex);
    const auto listeners = FNotificators;
    for (TRecordsListNotificatorEh* n : listeners)
        n->RecordMoved(MemRec, OldIndex, NewIndex);
}

void TRecordsViewEh::CheckTreeReferenceLoop(TMemoryRecordEh* MemRec)
{
    if (FMemoryTreeList->CheckReferenceLoop(MemRec, Variant()))
        throw Exception(QStringLiteral("Reference-loop found"));
}

void TRecordsViewEh::FlatDataEvent(TMemoryRecordEh* MemRec, int, TRecordsListNotification Action)
{
    switch (Action) {
    case rlnRecAddedEh:
        if (RecordPassesFilter(MemRec)) {
            const int pos = FindInsertPosition(MemRec, -1);
            ViewInsert(pos, MemRec);
            ViewDataEvent(MemRec, pos, rlnRecAddedEh);
        }
        break;
    case rlnRecChangedEh:
    case rlnRecMarkedForDelEh: {
        const int oldPos = FindViewItem(MemRec);
        if (oldPos >= 0)
            ViewErase(oldPos);
        const bool passes = RecordPassesFilter(MemRec);
        int newPos = -1;
        if (passes) {
            newPos = FindInsertPosition(MemRec, oldPos);
            ViewInsert(newPos, MemRec);
        } else {
            DropRowItem(MemRec);
        }
        if (oldPos >= 0 && passes) {
            if (oldPos != newPos)
                ViewRecordMoved(MemRec, oldPos, newPos);
            ViewDataEvent(MemRec, newPos, Action);
        } else if (passes) {
            ViewDataEvent(MemRec, newPos, rlnRecAddedEh);
        } else if (oldPos >= 0) {
            ViewDataEvent(MemRec, oldPos, rlnRecDeletedEh);
        }
        break;
    }
    case rlnRecDeletedEh: {
        const int oldPos = FindViewItem(MemRec);
        if (oldPos >= 0) {
            ViewErase(oldPos);
            DropRowItem(MemRec);
            ViewDataEvent(MemRec, oldPos, rlnRecDeletedEh);
        }
        break;
    }
    case rlnListChangedEh:
        RefreshFilteredRecsList();
        break;
    default:
        break;
    }
}

void TRecordsViewEh::TreeDataEvent(TMemoryRecordEh* MemRec, int, TRecordsListNotification Action)
{
    TMemoryTreeListEh* tree = FMemoryTreeList.get();
    const QString keys = FTreeViewKeyFieldName, parents = FTreeViewRefParentFieldName;
    switch (Action) {
    case rlnRecAddingEh:
    case rlnRecChangingEh:
        CheckTreeReferenceLoop(MemRec);
        return;
    case rlnRecAddedEh: {
        TMemRecViewEh* node = tree->AddChildAtKey(QString(), keys, parents, MemRec);
        tree->UpdateNodeState(node, true);
        break;
    }
    case rlnRecChangedEh: {
        TMemRecViewEh* node = tree->GetNode(nullptr, MemRec);
        // A record that lost its node (marked deleted, then reverted) comes back.
        if (!node)
            node = tree->AddChildAtKey(QString(), keys, parents, MemRec);
        else
            tree->UpdateParent(node, keys, parents, MemRec, true);
        tree->UpdateNodeState(node, true);
        break;
    }
    case rlnRecDeletedEh:
    case rlnRecMarkedForDelEh: {
        TMemRecViewEh* node = tree->GetNode(nullptr, MemRec);
        if (!node)
            return;
        std::vector<TMemoryRecordEh*> recs;
        tree->GetRecordsList(recs, node, true);
        TMemRecViewEh* parent = node->NodeParent();
        tree->DeleteNode(node, true);
        for (TMemoryRecordEh* r : recs) {
            TMemRecViewEh* n = tree->AddChildAtKey(QString(), keys, parents, r);
            tree->UpdateNodeState(n, true);
        }
        if (parent && parent != tree->Root())
            tree->UpdateNodeState(parent, true);
        break;
    }
    case rlnListChangedEh:
        RebuildMemoryTreeList();
        RefreshFilteredRecsList();
        return;
    default:
        return;
    }
    tree->VisibleItemsBecomeObsolete();
    ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsViewEh::DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)
{
    TRecordsListNotificatorEh::DataEvent(MemRec, Index, Action);
    if (FDisableFilterCount > 0)
        return;
    if (FViewAsTreeList)
        TreeDataEvent(MemRec, Index, Action);
    else
        FlatDataEvent(MemRec, Index, Action);
    switch (Action) {
    case rlnRecAddedEh: case rlnRecChangedEh: case rlnRecDeletedEh: case rlnListChangedEh: case rlnRecMarkedForDelEh:
        FAggregates->Recalc();
        break;
    default:
        break;
    }
}

void TRecordsViewEh::RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex)
{
    TRecordsListNotificatorEh::RecordMoved(MemRec, OldIndex, NewIndex);
    if (FDisableFilterCount > 0)
        return;
    if (FViewAsTreeList) {
        TMemRecViewEh* node = FMemoryTreeList->GetNode(nullptr, MemRec);
        if (!node || !node->NodeParent())
            return;
        TMemRecViewEh* parent = node->NodeParent();
        TMemRecViewEh* before = nullptr;
        for (int i = 0; i < parent->NodesCount(); ++i) {
            TMemRecViewEh* s = parent->NodeItems(i);
            if (s != node && s->Rec()->Index() > MemRec->Index()) {
                before = s;
                break;
            }
        }
        if (before)
            FMemoryTreeList->MoveTo(node, before, naInsertEh, true);
        else
            FMemoryTreeList->MoveTo(node, parent, naAddChildEh, true);
        ViewDataEvent(nullptr, -1, rlnListChangedEh);
        return;
    }
    // The other items kept their relative list order, so the item's place follows from the
    // view's own ordering (list order when unsorted).
    const int oldPos = FindViewItem(MemRec);
    if (oldPos < 0)
        return;
    ViewErase(oldPos);
    const int newPos = FindInsertPosition(MemRec, oldPos);
    ViewInsert(newPos, MemRec);
    ViewDataEvent(nullptr, -1, rlnListChangingEh);
}

Variant TRecordsViewEh::CalcAggrFieldFunc(const QString& FieldName, const QString& AggrFuncName)
{
    if (FieldName == QStringLiteral("*") && AggrFuncName == QStringLiteral("COUNT"))
        return Variant(Count());
    const int field = FMemTableData ? FMemTableData->DataStruct()->FieldIndex(FieldName) : -1;
    if (field < 0)
        throw Exception(QStringLiteral("Invalid field name: ") + FieldName);
    enum { fSum, fCount, fMin, fMax, fAvg } fn;
    if (AggrFuncName == QStringLiteral("SUM")) fn = fSum;
    else if (AggrFuncName == QStringLiteral("COUNT")) fn = fCount;
    else if (AggrFuncName == QStringLiteral("MIN")) fn = fMin;
    else if (AggrFuncName == QStringLiteral("MAX")) fn = fMax;
    else if (AggrFuncName == QStringLiteral("AVG")) fn = fAvg;
    else throw Exception(QStringLiteral("Unsupported aggrigate function: ") + AggrFuncName);
    Variant result(0);
    Variant best = Variant::Null();
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        const Variant v = GetValue(i, field);
        if (v.IsNull() || v.IsEmpty())
            continue;
        switch (fn) {
        case fSum: case fAvg: result = result + v; break;
        case fCount: result = result + Variant(1); break;
        case fMin: if (best.IsNull() || CompareValuesEh(v, best) < 0) best = v; break;
        case fMax: if (best.IsNull() || CompareValuesEh(v, best) > 0) best = v; break;
        }
    }
    switch (fn) {
    case fMin: case fMax: return best;
    // An empty view has no average.
    case fAvg: return n == 0 ? Variant::Null() : result / Variant(n);
    default: return result;
    }
}

namespace {

// One sort key of every shown record, side by side, in the cheapest form that orders it.
struct KeyColumn {
    enum Form { fInt, fDouble, fText, fVariant } form = fVariant;
    bool desc = false, caseIns = false;
    std::vector<int64_t> ints;
    std::vector<double> doubles;
    std::vector<QString> texts;
    std::vector<Variant> values;
    std::vector<uint8_t> nulls;

    void Fill(const std::vector<TMemoryRecordEh*>& recs, int field)
    {
        const size_t n = recs.size();
        nulls.assign(n, 0);
        static const Variant null = Variant::Null();
        auto at = [&](TMemoryRecordEh* r) -> const Variant& {
            return field >= 0 && size_t(field) < r->Data().size() ? r->ValueRef(field) : null;
        };
        bool allInt = true, allCurr = true, allDouble = true, allText = true;
        for (TMemoryRecordEh* r : recs) {
            const Variant& v = at(r);
            switch (v.VarType()) {
            case varNull: case varEmpty: break;
            case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
            case varInt64:
                allCurr = allDouble = allText = false; break;
            case varCurrency: allInt = allDouble = allText = false; break;
            case varDouble: case varDate: allInt = allCurr = allText = false; break;
            case varString: case varOleStr: case varUString: allInt = allCurr = allDouble = false; break;
            default: allInt = allCurr = allDouble = allText = false; break;
            }
        }
        form = (allInt || allCurr) ? fInt : allDouble ? fDouble : allText ? fText : fVariant;
        switch (form) {
        case fInt: ints.resize(n); break;
        case fDouble: doubles.resize(n); break;
        case fText: texts.resize(n); break;
        case fVariant: values.resize(n); break;
        }
        for (size_t i = 0; i < n; ++i) {
            const Variant& v = at(recs[i]);
            if (v.IsNull() || v.IsEmpty()) {
                nulls[i] = 1;
                if (form == fVariant)
                    values[i] = v;
                continue;
            }
            switch (form) {
            case fInt: ints[i] = v.VarType() == varCurrency ? v.AsCurrency().Value : v.AsInt64(); break;
            case fDouble: doubles[i] = v.AsDouble(); break;
            case fText: texts[i] = v.AsString(); break;
            case fVariant: values[i] = v; break;
            }
        }
        // NaN would break the ordering of doubles: leave such columns to the general comparison.
        if (form == fDouble)
            for (double d : doubles)
                if (d != d) {
                    form = fVariant;
                    values.resize(n);
                    for (size_t i = 0; i < n; ++i)
                        values[i] = at(recs[i]);
                    break;
                }
    }

    int Compare(int a, int b) const
    {
        int r;
        if (form == fVariant) {
            r = CompareValuesEh(values[size_t(a)], values[size_t(b)], caseIns);
        } else if (nulls[size_t(a)] || nulls[size_t(b)]) {
            r = int(nulls[size_t(b)]) - int(nulls[size_t(a)]);
        } else {
            switch (form) {
            case fInt: r = ints[size_t(a)] < ints[size_t(b)] ? -1 : (ints[size_t(b)] < ints[size_t(a)] ? 1 : 0); break;
            case fDouble: r = doubles[size_t(a)] < doubles[size_t(b)] ? -1 : (doubles[size_t(b)] < doubles[size_t(a)] ? 1 : 0); break;
            default: {
                const int c = caseIns ? AnsiCompareText(texts[size_t(a)], texts[size_t(b)])
                                      : AnsiCompareStr(texts[size_t(a)], texts[size_t(b)]);
                r = c < 0 ? -1 : (c > 0 ? 1 : 0);
            }
            }
        }
        return desc ? -r : r;
    }
};

} // namespace

void TRecordsViewEh::SortByKeySnapshot(TOrderByList* OrderBy)
{
    const std::vector<TMemoryRecordEh*> recs = MemoryViewList();
    const size_t n = recs.size();
    if (n < 2)
        return;
    // Same order as CompareRecordsByOrderEh, on keys copied once into contiguous columns, so
    // the sort touches no record; ties fall back to the list positions, which stay put here.
    std::vector<KeyColumn> cols(size_t(OrderBy ? OrderBy->Count() : 0));
    for (size_t c = 0; c < cols.size(); ++c) {
        const TOrderByItemEh* item = OrderBy->GetItem(int(c));
        cols[c].desc = item->Desc;
        cols[c].caseIns = item->CaseIns;
        cols[c].Fill(recs, item->MTFieldIndex);
    }
    std::vector<int> listIndex(n);
    for (size_t i = 0; i < n; ++i)
        listIndex[i] = recs[i]->Index();
    std::vector<int> perm(n);
    for (size_t i = 0; i < n; ++i)
        perm[i] = int(i);
    if (cols.size() == 1 && cols[0].form == KeyColumn::fInt) {
        // One numeric key (money, integers): sort plain tuples, nulls first.
        struct K { int64_t key; int list; int pos; uint8_t notNull; };
        const KeyColumn& c = cols[0];
        std::vector<K> keys(n);
        for (size_t i = 0; i < n; ++i)
            keys[i] = {c.nulls[i] ? 0 : c.ints[i], listIndex[i], int(i), uint8_t(c.nulls[i] ? 0 : 1)};
        const bool desc = c.desc;
        std::stable_sort(keys.begin(), keys.end(), [desc](const K& a, const K& b) {
            if (a.notNull != b.notNull)
                return desc ? a.notNull > b.notNull : a.notNull < b.notNull;
            if (a.key != b.key)
                return desc ? a.key > b.key : a.key < b.key;
            return a.list < b.list;
        });
        for (size_t i = 0; i < n; ++i)
            perm[i] = keys[i].pos;
    } else
    std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
        for (const KeyColumn& c : cols)
            if (const int r = c.Compare(a, b))
                return r < 0;
        return listIndex[size_t(a)] < listIndex[size_t(b)];
    });
    std::vector<TMemoryRecordEh*> sorted(n);
    for (size_t i = 0; i < n; ++i)
        sorted[i] = recs[size_t(perm[i])];
    AssignView(sorted);
}

int TRecordsViewOrderByList::GetFieldIndex(const QString& FieldName)
{
    TMemTableDataEh* d = FRecordsView->MemTableData();
    return d ? d->DataStruct()->FieldIndex(FieldName) : -1;
}
