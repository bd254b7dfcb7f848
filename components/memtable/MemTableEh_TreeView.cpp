// The in-memory table as a tree: the TreeList settings, node state of the current record,
// expansion events, locating inside collapsed branches, and moving records (in a tree view by
// rewriting their parent reference).
#include "MemTableEh.h"

#include "platform/rtl/Guards.h"

#include <algorithm>

// ---------------------------------------------------------------- TMemTableTreeListEh

DOV_PUBLISHED(TMemTableTreeListEh)
{
    P.Prop("Active", &TMemTableTreeListEh::Active, &TMemTableTreeListEh::SetActive).Default(false);
    P.Prop("KeyFieldName", &TMemTableTreeListEh::KeyFieldName, &TMemTableTreeListEh::SetKeyFieldName);
    P.Prop("RefParentFieldName", &TMemTableTreeListEh::RefParentFieldName, &TMemTableTreeListEh::SetRefParentFieldName);
    P.Prop("DefaultNodeExpanded", &TMemTableTreeListEh::DefaultNodeExpanded, &TMemTableTreeListEh::SetDefaultNodeExpanded)
        .Default(false);
    P.Prop("DefaultNodeHasChildren", &TMemTableTreeListEh::DefaultNodeHasChildren,
           &TMemTableTreeListEh::SetDefaultNodeHasChildren)
        .Default(false);
    P.Prop("FullBuildCheck", &TMemTableTreeListEh::FullBuildCheck, &TMemTableTreeListEh::SetFullBuildCheck).Default(true);
    P.Prop("FilterNodeIfParentVisible", &TMemTableTreeListEh::FilterNodeIfParentVisible,
           &TMemTableTreeListEh::SetFilterNodeIfParentVisible)
        .Default(true);
}

TMemTableTreeListEh::TMemTableTreeListEh(TCustomMemTableEh* AMemTable) : FMemTable(AMemTable)
{
    TMemoryTreeListEh* tree = Tree();
    tree->FullBuildCheck = true;
    tree->OnExpandedChanging = TTreeNodeNotifyResultEvent(FMemTable, &TCustomMemTableEh::TreeNodeExpanding);
    tree->OnExpandedChanged = TTreeNodeNotifyEvent(FMemTable, &TCustomMemTableEh::TreeNodeExpandedChanged);
}

TMemoryTreeListEh* TMemTableTreeListEh::Tree() const
{
    return FMemTable->RecordsView()->MemoryTreeList();
}

TPersistent* TMemTableTreeListEh::GetOwner() const
{
    return FMemTable;
}

void TMemTableTreeListEh::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TMemTableTreeListEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    SetKeyFieldName(s->KeyFieldName());
    SetRefParentFieldName(s->RefParentFieldName());
    SetDefaultNodeExpanded(s->DefaultNodeExpanded());
    SetDefaultNodeHasChildren(s->DefaultNodeHasChildren());
    SetFullBuildCheck(s->FullBuildCheck());
    SetFilterNodeIfParentVisible(s->FilterNodeIfParentVisible());
    SetActive(s->Active());
}

bool TMemTableTreeListEh::Active() const
{
    if (FMemTable->ComponentState().Contains(csLoading))
        return FLoadingActive;
    return FMemTable->RecordsView()->ViewAsTreeList();
}

void TMemTableTreeListEh::SetActive(bool Value)
{
    if (FMemTable->ComponentState().Contains(csLoading)) {
        FLoadingActive = Value;
        return;
    }
    TRecordsViewEh* view = FMemTable->RecordsView();
    if (Value == view->ViewAsTreeList())
        return;
    TMemoryRecordEh* cur = nullptr;
    if (FMemTable->Active()) {
        FMemTable->CheckBrowseMode();
        cur = FMemTable->Rec();
    }
    FMemTable->DisableControls();
    auto enable = Finally([this] { FMemTable->EnableControls(); });
    view->SetViewAsTreeList(Value);
    FMemTable->TreeRowsChanged(cur);
}

QString TMemTableTreeListEh::KeyFieldName() const
{
    return FMemTable->RecordsView()->TreeViewKeyFieldName();
}

QString TMemTableTreeListEh::RefParentFieldName() const
{
    return FMemTable->RecordsView()->TreeViewRefParentFieldName();
}

namespace {
// A shown tree whose linking fields changed hangs its records anew.
void RebuildShownTree(TCustomMemTableEh* Table)
{
    TRecordsViewEh* view = Table->RecordsView();
    if (!view->ViewAsTreeList())
        return;
    view->RebuildMemoryTreeList();
    view->RefreshFilteredRecsList();
}
}

void TMemTableTreeListEh::SetKeyFieldName(const QString& Value)
{
    if (Value == KeyFieldName())
        return;
    TMemoryRecordEh* cur = FMemTable->Active() ? FMemTable->Rec() : nullptr;
    FMemTable->RecordsView()->SetTreeViewKeyFieldName(Value);
    RebuildShownTree(FMemTable);
    FMemTable->TreeRowsChanged(cur);
}

void TMemTableTreeListEh::SetRefParentFieldName(const QString& Value)
{
    if (Value == RefParentFieldName())
        return;
    TMemoryRecordEh* cur = FMemTable->Active() ? FMemTable->Rec() : nullptr;
    FMemTable->RecordsView()->SetTreeViewRefParentFieldName(Value);
    RebuildShownTree(FMemTable);
    FMemTable->TreeRowsChanged(cur);
}

bool TMemTableTreeListEh::DefaultNodeExpanded() const { return Tree()->DefaultNodeExpanded; }
void TMemTableTreeListEh::SetDefaultNodeExpanded(bool Value) { Tree()->DefaultNodeExpanded = Value; }
bool TMemTableTreeListEh::DefaultNodeHasChildren() const { return Tree()->DefaultNodeHasChildren; }
void TMemTableTreeListEh::SetDefaultNodeHasChildren(bool Value) { Tree()->DefaultNodeHasChildren = Value; }
bool TMemTableTreeListEh::FullBuildCheck() const { return Tree()->FullBuildCheck; }
void TMemTableTreeListEh::SetFullBuildCheck(bool Value) { Tree()->FullBuildCheck = Value; }
bool TMemTableTreeListEh::FilterNodeIfParentVisible() const { return Tree()->FilterNodeIfParentVisible; }
void TMemTableTreeListEh::SetFilterNodeIfParentVisible(bool Value) { Tree()->FilterNodeIfParentVisible = Value; }

void TMemTableTreeListEh::ExpandAll(bool Expand)
{
    TMemoryRecordEh* cur = FMemTable->Active() && FMemTable->State() == dsBrowse ? FMemTable->Rec() : nullptr;
    {
        // Each node's change only marks the rows obsolete; they are rebuilt once below.
        FMemTable->DisableControls();
        auto enable = Finally([this] { FMemTable->EnableControls(); });
        if (Expand)
            Tree()->Expand(nullptr, true);
        else
            Tree()->Collapse(nullptr, true);
        FMemTable->TreeRowsChanged(cur);
    }
    if (!Expand && FMemTable->Active())
        FMemTable->DoAfterScroll();
}

void TMemTableTreeListEh::FullCollapse()
{
    ExpandAll(false);
}

void TMemTableTreeListEh::FullExpand()
{
    ExpandAll(true);
}

bool TMemTableTreeListEh::Locate(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
    FMemTable->CheckBrowseMode();
    if (FMemTable->Bof() && FMemTable->Eof())
        return false;
    std::vector<TField*> fields;
    FMemTable->GetFieldList(fields, KeyFields);
    const int n = int(fields.size());
    const bool asText = !Options.Empty() && !KeyFields.contains(u';');
    TMemoryTreeListEh* tree = Tree();
    // Values are read as a buffer reading through to the node's record would read them, so
    // calculated key fields come from the node.
    TMTRecBuf b;
    b.UseMemRec = true;
    TMemRecViewEh* found = nullptr;
    const int count = tree->AccountableCount();
    for (int i = 0; i < count && !found; ++i) {
        TMemRecViewEh* node = tree->GetAccountableItem(i);
        b.MemRec = node->Rec();
        b.RecView = node;
        bool match = true;
        for (int k = 0; k < n && match; ++k) {
            const Variant v = b.GetValue(fields[size_t(k)]);
            const Variant key = LocateKeyAt(KeyValues, k, n);
            match = asText ? LocateValueMatches(v, key, true, Options) : VarEqualsEh(v, key);
        }
        if (match)
            found = node;
    }
    if (!found)
        return false;
    // Ancestors first, so each node is on a shown row when it expands.
    std::vector<TMemRecViewEh*> path;
    for (TMemRecViewEh* a = found; a && a != tree->Root() && a->Rec(); a = a->NodeParent())
        path.push_back(a);
    {
        FMemTable->DisableControls();
        auto enable = Finally([this] { FMemTable->EnableControls(); });
        for (auto it = path.rbegin(); it != path.rend(); ++it)
            tree->Expand(*it, false);
    }
    return FMemTable->GotoRec(found->Rec());
}

// ---------------------------------------------------------------- the table: loading

void TCustomMemTableEh::Loaded()
{
    TDataSet::Loaded();
    if (FTreeList->FLoadingActive) {
        FTreeList->FLoadingActive = false;
        FTreeList->SetActive(true);
    }
}

// ---------------------------------------------------------------- node state of the current record

TMemRecViewEh* TCustomMemTableEh::TreeNode()
{
    CheckActive();
    return RecView();
}

int TCustomMemTableEh::TreeNodeChildCount()
{
    CheckActive();
    TMemRecViewEh* n = RecView();
    return n ? n->VisibleNodesCount() : -1;
}

bool TCustomMemTableEh::TreeNodeHasChildren()
{
    CheckActive();
    TMemRecViewEh* n = RecView();
    return n && n->NodeHasChildren();
}

void TCustomMemTableEh::SetTreeNodeExpanded(bool Value)
{
    CheckActive();
    TMTRecBuf* b = nullptr;
    if (!GetCurrentRecBuf(b) || !b)
        return;
    TMemRecViewEh* node = BufNode(b);
    if (!node) {
        b->NewTreeNodeExpanded = Value;
        return;
    }
    TMemoryRecordEh* cur = b->MemRec;
    // The expansion events run once, from the node's own change.
    {
        TRestoreGuard<bool> quiet(FTreeRowsQuiet, true);
        node->SetNodeExpanded(Value);
    }
    TreeRowsChanged(cur);
}

void TCustomMemTableEh::SetTreeNodeHasVisibleChildren(bool Value)
{
    CheckActive();
    TMTRecBuf* b = nullptr;
    if (!GetCurrentRecBuf(b) || !b)
        return;
    TMemRecViewEh* node = BufNode(b);
    if (!node) {
        b->NewTreeNodeHasChildren = Value;
        return;
    }
    node->SetNodeHasVisibleChildren(Value);
    Resync({});
}

void TCustomMemTableEh::ApplyNewTreeNodeState(TMTRecBuf* Buffer, TMemoryRecordEh* Rec)
{
    if (!FRecordsView->ViewAsTreeList() || !Buffer)
        return;
    TMemRecViewEh* node = FRecordsView->MemoryTreeList()->GetNode(nullptr, Rec);
    if (!node)
        return;
    if (Buffer->NewTreeNodeHasChildren)
        node->SetNodeHasVisibleChildren(true);
    if (Buffer->NewTreeNodeExpanded) {
        TRestoreGuard<bool> quiet(FTreeRowsQuiet, true);
        node->SetNodeExpanded(true);
    }
}

// ---------------------------------------------------------------- expansion callbacks

bool TCustomMemTableEh::TreeNodeExpanding(TBaseTreeNodeEh* Node)
{
    auto* node = static_cast<TMemRecViewEh*>(Node);
    bool allow = true;
    if (node->NodeExpanded())
        return allow;
    if (OnRecordsViewTreeNodeExpanding)
        OnRecordsViewTreeNodeExpanding(this, node, allow);
    if (!Active() || !OnTreeNodeExpanding)
        return allow;
    // The row as shown now: the cursor's buffer may not have caught up with earlier changes.
    const int row = TreeRowOfNode(node);
    if (node == RecView()) {
        OnTreeNodeExpanding(this, row >= 0 ? row + 1 : RecNo(), allow);
        return allow;
    }
    if (row >= 0 && ViewNodeAt(row) == node) {
        TInstantReadGuardEh g(this, row);
        OnTreeNodeExpanding(this, row + 1, allow);
    } else {
        // A node on no shown row has no record number to read it by.
        OnTreeNodeExpanding(this, -1, allow);
    }
    return allow;
}

void TCustomMemTableEh::TreeNodeExpandedChanged(TBaseTreeNodeEh* Node)
{
    if (OnRecordsViewTreeNodeExpanded)
        OnRecordsViewTreeNodeExpanded(this, static_cast<TMemRecViewEh*>(Node));
    if (!Active())
        return;
    if (ControlsDisabled() || FTreeRowsQuiet) {
        FRecordsView->MemoryTreeList()->VisibleItemsBecomeObsolete();
    } else {
        TreeRowsChanged(State() == dsBrowse ? Rec() : nullptr);
        DoAfterScroll();
    }
    NotifyEventReceivers(-1, mtViewDataChangedEh, -1);
}

int TCustomMemTableEh::TreeRowOfNode(TMemRecViewEh* Node)
{
    TMemoryTreeListEh* tree = FRecordsView->MemoryTreeList();
    TMemRecViewEh* n = Node;
    while (n && n != tree->Root() && !(n->NodeVisible() && tree->GetPathVisible(n, true)))
        n = n->NodeParent();
    if (!n || n == tree->Root())
        return -1;
    const int count = tree->VisibleExpandedCount();
    for (int i = 0; i < count; ++i)
        if (tree->GetVisibleExpandedItem(i) == n)
            return i;
    return -1;
}

void TCustomMemTableEh::TreeRowsChanged(TMemoryRecordEh* Current)
{
    if (!Active())
        return;
    const bool tree = FRecordsView->ViewAsTreeList();
    if (tree)
        FRecordsView->MemoryTreeList()->BuildVisibleItems();
    if (State() != dsBrowse || FInstantReadMode)
        return;
    int row = -1;
    if (Current)
        row = tree ? TreeRowOfNode(FRecordsView->MemoryTreeList()->GetNode(nullptr, Current))
                   : FRecordsView->IndexOf(Current);
    const int rows = ViewRowCount();
    if (row < 0)
        row = std::min(std::max(FRecordPos, 0), rows - 1);
    FRecordPos = row;
    if (row >= 0)
        FInstantReadCurRowNum = row;
    TDataSet::Resync({});
    FRecordsViewUpdated = false;
}

// ---------------------------------------------------------------- moving records

bool TCustomMemTableEh::MoveRecord(int FromIndex, int ToIndex, int TreeLevel, bool CheckOnly)
{
    return MoveRecordStep(FromIndex, ToIndex, TreeLevel, CheckOnly) > 0;
}

int TCustomMemTableEh::MoveRecordStep(int FromIndex, int ToIndex, int TreeLevel, bool CheckOnly)
{
    if (!Active())
        return 0;
    if (!CheckOnly)
        CheckBrowseMode();
    const int rows = ViewRowCount();
    if (FromIndex < 0 || FromIndex >= rows || ToIndex < 0 || ToIndex > rows)
        return 0;
    TRecordsListEh* list = FRecordsView->RecordsList();
    TMemoryRecordEh* cur = Rec();

    if (!FRecordsView->ViewAsTreeList()) {
        if (ToIndex >= rows || FromIndex == ToIndex)
            return 0;
        if (CheckOnly)
            return 1;
        TMemoryRecordEh* moved = FRecordsView->GetViewRecord(FromIndex);
        BeginViewUpdate();
        auto endUpdate = Finally([this] { EndViewUpdate(false); });
        list->Move(moved->Index(), FRecordsView->GetViewRecord(ToIndex)->Index());
        const int now = FRecordsView->IndexOf(moved);
        if (now >= 0 && now != FromIndex)
            NotifyEventReceivers(ViewRowToRowNum(now), mtRowMovedEh, ViewRowToRowNum(FromIndex));
        TreeRowsChanged(cur);
        return 1;
    }

    TMemoryTreeListEh* tree = FRecordsView->MemoryTreeList();
    const TIntArray& keyFields = FRecordsView->TreeViewKeyFields();
    const TIntArray& refFields = FRecordsView->TreeViewRefParentFields();
    if (keyFields.empty() || keyFields.size() != refFields.size())
        return 0;
    auto nodeAt = [&](int i) { return i >= 0 && i < rows ? ViewNodeAt(i) : nullptr; };
    TMemRecViewEh* node = ViewNodeAt(FromIndex);
    TMemRecViewEh *prev = nullptr, *next = nullptr;
    if (FromIndex < ToIndex) {
        prev = nodeAt(ToIndex);
        // moving down, the last row is never the one to go before
        next = ToIndex + 1 < rows - 1 ? nodeAt(ToIndex + 1) : nullptr;
    } else {
        prev = ToIndex > 0 ? nodeAt(ToIndex - 1) : nullptr;
        next = nodeAt(ToIndex);
    }
    enum { After, Before, Child } how;
    TMemRecViewEh* target = nullptr;
    if (prev && prev->NodeLevel() == TreeLevel) {
        how = After;
        target = prev;
    } else if (next && next->NodeLevel() == TreeLevel) {
        how = Before;
        target = next;
    } else if (prev && prev->NodeLevel() < TreeLevel) {
        how = Child;
        target = prev;
    } else if (prev && prev->NodeLevel() > TreeLevel) {
        TMemRecViewEh* a = prev;
        while (a->NodeLevel() > TreeLevel) {
            if (a->NodeParent() == tree->Root())
                return 0;
            a = a->NodeParent();
        }
        how = After;
        target = a;
    } else {
        return 0;
    }
    if (target == node)
        return 0;

    TMemoryRecordEh* rec = node->Rec();
    TMemoryRecordEh* targetRec = target->Rec();
    const int recPos = rec->Index(), targetPos = targetRec->Index();
    Variant newRef;
    TMemRecViewEh* appointedParent = nullptr;
    int appointedIndex = 0;
    int newPos = recPos;   // the record's place in the records list after the move
    switch (how) {
    case After:
        newRef = targetRec->GetDataIndexValues(refFields, dvvValueEh);
        appointedParent = target->NodeParent();
        appointedIndex = targetPos + (recPos >= targetPos ? 1 : 0);
        newPos = recPos < targetPos ? targetPos : targetPos + 1;
        break;
    case Before:
        newRef = targetRec->GetDataIndexValues(refFields, dvvValueEh);
        appointedParent = target->NodeParent();
        appointedIndex = targetPos - (recPos < targetPos ? 1 : 0);
        newPos = recPos < targetPos ? targetPos - 1 : targetPos;
        break;
    case Child:
        newRef = targetRec->GetDataIndexValues(keyFields, dvvValueEh);
        appointedParent = target;
        appointedIndex = 0;
        break;
    }
    const bool sameRef = VarEqualsEh(rec->GetDataIndexValues(refFields, dvvValueEh), newRef);
    if (sameRef && newPos == recPos)
        return 0;
    if (OnRecordsViewCheckMoveNode && !OnRecordsViewCheckMoveNode(this, node, appointedParent, appointedIndex))
        return -1;
    if (tree->CheckReferenceLoop(rec, newRef))
        return -1;
    if (CheckOnly)
        return 1;

    BeginViewUpdate();
    auto endUpdate = Finally([this] { EndViewUpdate(false); });
    if (!sameRef) {
        rec->Edit();
        auto undo = OnFailure([rec] { rec->Cancel(); });
        rec->SetDataValues(FRecordsView->TreeViewRefParentFieldName(), dvvValueEh, newRef);
        rec->Post();
    }
    if (newPos != recPos)
        list->Move(rec->Index(), std::min(newPos, list->Count() - 1));
    TreeRowsChanged(cur);
    return 1;
}

bool TCustomMemTableEh::MoveRecords(TBMListEh* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly)
{
    if (!Active() || !BookmarkList)
        return false;
    const int rows = ViewRowCount();
    std::vector<TMemoryRecordEh*> recs;
    for (int i = 0; i < BookmarkList->Count(); ++i) {
        const int n = BookmarkToRecNo(BookmarkList->GetItem(i));
        if (n >= 1 && n <= rows)
            recs.push_back(FRecordsView->GetViewRecord(n - 1));
    }
    if (recs.empty())
        return false;
    if (!CheckOnly) {
        CheckBrowseMode();
        BeginViewUpdate();
    }
    auto endUpdate = Finally([&] {
        if (!CheckOnly)
            EndViewUpdate(true);
    });
    int to = ToRecNo - 1;
    bool refused = false, moved = false;
    for (int k = int(recs.size()) - 1; k >= 0; --k) {
        const int from = FRecordsView->IndexOf(recs[size_t(k)]);
        if (k != int(recs.size()) - 1 && from < to)
            --to;
        const int r = MoveRecordStep(from, to, TreeLevel, CheckOnly);
        if (r < 0) {
            refused = true;
            break;
        }
        moved = moved || r > 0;
    }
    if (!CheckOnly) {
        for (int i = BookmarkList->Count() - 1; i >= 0; --i)
            BookmarkList->DeleteItem(i);
        for (TMemoryRecordEh* r : recs) {
            const int row = FRecordsView->IndexOf(r);
            if (row >= 0)
                BookmarkList->AppendItem(RecNoToBookmark(row + 1));
        }
        BookmarkList->CustomSort(this, [](TBMListEh* l, TDataSet* ds, int a, int b) {
            return ds->CompareBookmarks(l->GetItem(a), l->GetItem(b));
        });
    }
    return !refused && moved;
}
