// The group data tree: building it from the table's rows, keeping it up to date on single-row
// changes, footer values and the flat list of visible rows.
#include "DBGridEhGrouping.h"

#include "components/axisgrid/DBAxisGridsEh_Bars.h"
#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "components/memtable/MemTableEh.h"
#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <climits>
#include <functional>

namespace {

// Unequal but unordered keys count as equal wherever the tree searches.
int CompareKeys(const Variant& A, const Variant& B)
{
    switch (VarCompareEh(A, B)) {
    case vrLessThan: return -1;
    case vrGreaterThan: return 1;
    default: return 0;
    }
}

// Row numbers of record nodes: plain integers, compared without the variant machinery.
// Takes a record's value V back out of a running value of that type; false when the value must
// be recomputed from the group's records (its maximum or minimum left, or V has no arithmetic).
bool TakeRecordValue(TGroupFooterValueTypeEh Type, Variant& AValue, int& Filled, const Variant& V)
{
    if (V.IsNull() || V.IsEmpty())
        return true;
    if (AValue.IsEmpty())
        return false;
    switch (Type) {
    case gfvSumEh:
        if (!VarIsNumeric(V))
            return false;
        // The last value gone: an empty sum is Null again, with no rounding residue.
        AValue = --Filled <= 0 ? Variant::Null() : AValue - V;
        return true;
    case gfvAvgEh: {
        if (!VarIsNumeric(V))
            return false;
        --Filled;
        const int count = AValue.GetElement(1).AsInteger() - 1;
        AValue.SetElement(0, count <= 0 ? Variant::Null() : AValue.GetElement(0) - V);
        AValue.SetElement(1, Variant(count));
        return true;
    }
    case gfvCountEh:
        --Filled;
        AValue = AValue - Variant(1);
        return true;
    case gfvMaxEh:
    case gfvMinEh: {
        if (--Filled <= 0) {
            AValue = Variant::Null();
            return true;
        }
        const TVariantRelationship r = VarCompareEh(AValue, V);
        return r == vrLessThan || r == vrGreaterThan;
    }
    default:
        return true;
    }
}

int CompareRowNumbers(const Variant& A, int B)
{
    const int a = A.AsInteger();
    return a < B ? -1 : (a > B ? 1 : 0);
}

Variant KeyWithRow(const Variant& Key, int Row)
{
    Variant k = Key;
    if (k.IsArray())
        k.SetElement(k.ArrayHighBound(), Variant(Row));
    return k;
}

}  // namespace

// ---------------------------------------------------------------- TGroupDataTreeNodeEh

TGroupDataTreeNodeEh::TGroupDataTreeNodeEh() = default;

TGridGroupDataTreeEh* TGroupDataTreeNodeEh::Tree() const { return static_cast<TGridGroupDataTreeEh*>(Owner()); }

int TGroupDataTreeNodeEh::Count() const { return std::max(0, GetCount() - FFooterItemCount); }

TGroupDataTreeNodeEh* TGroupDataTreeNodeEh::GetDataItem(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    return static_cast<TGroupDataTreeNodeEh*>(FItems[size_t(Index)]);
}

TGroupDataTreeNodeEh* TGroupDataTreeNodeEh::GetFooterItem(int Index) const
{
    if (Index < 0 || Index >= FFooterItemCount)
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    return static_cast<TGroupDataTreeNodeEh*>(FItems[size_t(Count() + Index)]);
}

bool TGroupDataTreeNodeEh::RecordNodeLastInGroup() const
{
    const TGroupDataTreeNodeEh* p = ParentNode();
    return FGroupDataTreeNodeType == dntDataSetRecordEh && p && p->Count() > 0 && p->GetDataItem(p->Count() - 1) == this;
}

int TGroupDataTreeNodeEh::RowHeight()
{
    if (FRowHeightNeedUpdate)
        if (TGridGroupDataTreeEh* tree = Tree())
            tree->UpdateRowHeight(this);
    return FRowHeight;
}

void TGroupDataTreeNodeEh::ResetFooters()
{
    TGridGroupDataTreeEh* tree = Tree();
    TGridDataGroupsEh* groups = tree ? tree->GridDataGroups() : nullptr;
    if (!groups)
        return;
    TGridDataGroupFootersEh* footers = nullptr;
    if (this == tree->Root())
        footers = groups->Footers();
    else if (FGroupDataTreeNodeType == dntDataGroupEh && FDataGroupLevel)
        footers = FDataGroupLevel->UsedFooters();
    const int wanted = footers ? footers->Count() : 0;
    // Footer nodes keep their objects where they can: removed from the end, added at the end.
    while (FFooterItemCount > wanted) {
        tree->DeleteNode(FItems.back(), false);
        --FFooterItemCount;
    }
    while (FFooterItemCount < wanted) {
        auto* f = static_cast<TGroupDataTreeNodeEh*>(tree->CreateNodeApart(QString(), nullptr));
        f->FGroupDataTreeNodeType = dntDataGroupFooterEh;
        tree->AddNode(f, this, naAddChildEh, false);
        ++FFooterItemCount;
    }
    for (int i = 0; i < wanted; ++i) {
        TGroupDataTreeNodeEh* f = GetFooterItem(i);
        f->FDataGroupFooter = footers->Items(i);
        const size_t items = size_t(footers->Items(i)->ColumnItems()->Count());
        f->FFooterValue.assign(items, Variant());
        f->FFooterAccum.assign(items, Variant());
        f->FFooterFilled.assign(items, 0);
        f->RowDataChanged();
    }
}

bool TGroupDataTreeNodeEh::CanAppendDataRec() const
{
    const TGroupDataTreeNodeEh* group = this;
    if (FGroupDataTreeNodeType == dntDataGroupFooterEh) {
        group = ParentNode();
        if (!group || group->FFooterItemCount == 0 || group->GetFooterItem(0) != this)
            return false;
    }
    if (!group || group->FGroupDataTreeNodeType != dntDataGroupEh || !group->FDataGroupLevel)
        return false;
    TGridDataGroupsEh* groups = Tree() ? Tree()->GridDataGroups() : nullptr;
    const int n = groups ? groups->ActiveGroupLevelsCount() : 0;
    return n > 0 && groups->ActiveGroupLevels(n - 1) == group->FDataGroupLevel;
}

void TGroupDataTreeNodeEh::AppendDataRec(IMemTableEh* AIntMemTable, TDataSet* ADataSet)
{
    TGridDataGroupsEh* groups = Tree() ? Tree()->GridDataGroups() : nullptr;
    if (!groups || !AIntMemTable || !ADataSet || Count() == 0)
        return;
    TGroupDataTreeNodeEh* last = GetDataItem(Count() - 1);
    if (last->FGroupDataTreeNodeType != dntDataSetRecordEh)
        return;
    // The new record takes this group's keys and lands after its last record.
    groups->SetInsertingKeyValue(KeyWithRow(last->FFullKey, INT_MAX));
    const bool moveFlagSet = groups->BeginGridDataSetMove();
    auto done = Finally([&] {
        if (moveFlagSet)
            groups->EndGridDataSetMove();
    });
    if (last->FDataSetRecordViewNo >= AIntMemTable->InstantReadRowCount() - 1) {
        ADataSet->Append();
    } else {
        TBookmark bm;
        {
            TInstantReadGuardEh read(AIntMemTable, last->FDataSetRecordViewNo);
            bm = ADataSet->Bookmark();
        }
        ADataSet->GotoBookmark(bm);
        ADataSet->Next();
        ADataSet->Insert();
    }
}

void TGroupDataTreeNodeEh::SortDataItems(TSortOrderEh SortOrder)
{
    const int n = Count();
    if (n < 2)
        return;
    std::stable_sort(FItems.begin(), FItems.begin() + n, [SortOrder](TBaseTreeNodeEh* a, TBaseTreeNodeEh* b) {
        return TGridGroupDataTreeEh::CompareNodes(static_cast<TGroupDataTreeNodeEh*>(a),
                                                  static_cast<TGroupDataTreeNodeEh*>(b), SortOrder) < 0;
    });
    for (int i = 0; i < n; ++i)
        static_cast<TGroupDataTreeNodeEh*>(FItems[size_t(i)])->FIndex = i;
    VisibleItemsBecomeObsolete();
}

void TGroupDataTreeNodeEh::DropRecordChildren()
{
    // Records are leaves; everything else keeps its order.
    TNodeList kept;
    kept.reserve(FItems.size());
    TNodeList dropped;
    for (TBaseTreeNodeEh* n : FItems)
        (static_cast<TGroupDataTreeNodeEh*>(n)->FGroupDataTreeNodeType == dntDataSetRecordEh ? dropped : kept).push_back(n);
    if (dropped.empty())
        return;
    FItems.swap(kept);
    for (size_t i = 0; i < FItems.size(); ++i)
        static_cast<TGroupDataTreeNodeEh*>(FItems[i])->FIndex = int(i);
    FHasChildren = !FItems.empty();
    VisibleItemsBecomeObsolete();
    for (TBaseTreeNodeEh* n : dropped)
        delete n;
}

// ---------------------------------------------------------------- TGridGroupDataTreeEh

TGridGroupDataTreeEh::TGridGroupDataTreeEh(TGridDataGroupsEh* AGridDataGroups)
    : TTreeListEh(TreeNodeClass<TGroupDataTreeNodeEh>()), FGridDataGroups(AGridDataGroups)
{
}

TGridGroupDataTreeEh::~TGridGroupDataTreeEh() = default;

void TGridGroupDataTreeEh::Clear()
{
    FFootersIncremental = false;
    DropFlatList();
    InvalidateRecordIndex();
    TTreeListEh::Clear();
    Root()->FFooterItemCount = 0;
}

void TGridGroupDataTreeEh::NodeAttachmentChanged(TBaseTreeNodeEh* Node, bool Detached, int OldIndex, TBaseTreeNodeEh* OldParent)
{
    InvalidateRecordIndex();
    TTreeListEh::NodeAttachmentChanged(Node, Detached, OldIndex, OldParent);
}

IMemTableEh* TGridGroupDataTreeEh::IntMemTable() const
{
    return FGridDataGroups ? FGridDataGroups->IntMemTable() : nullptr;
}

// ---- keys

Variant TGridGroupDataTreeEh::KeyOfReadRecord(int Row)
{
    const int n = FGridDataGroups ? FGridDataGroups->ActiveGroupLevelsCount() : 0;
    std::vector<Variant> key;
    key.reserve(size_t(n) + 1);
    for (int i = 0; i < n; ++i)
        key.push_back(FGridDataGroups->ActiveGroupLevels(i)->GetKeyValue());
    key.push_back(Variant(Row));
    return VarArrayOf(key);
}

Variant TGridGroupDataTreeEh::GetKeyValueForViewRecNo(int ViewRecNo)
{
    IMemTableEh* table = IntMemTable();
    if (!table || table->GetInstantReadCurRow() == ViewRecNo)
        return KeyOfReadRecord(ViewRecNo);
    TInstantReadGuardEh read(table, ViewRecNo);
    return KeyOfReadRecord(ViewRecNo);
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::GetNodeToInsertForKey1(TGroupDataTreeNodeEh* ParentNode, const Variant& Key,
                                                                   TNodeAttachModeEh& InsertMode, TSortOrderEh SortOrder)
{
    const int count = ParentNode->Count();
    if (count == 0) {
        InsertMode = naAddChildEh;
        return nullptr;
    }
    // > 0 when the item comes after Key in this order.
    auto order = [&](TGroupDataTreeNodeEh* item) {
        const int c = item->FGroupDataTreeNodeType == dntDataSetRecordEh && !Key.IsArray() && VarIsOrdinal(Key)
                          ? CompareRowNumbers(item->FKeyValue, Key.AsInteger())
                          : CompareKeys(item->FKeyValue, Key);
        return SortOrder == soAscEh ? c : -c;
    };
    TGroupDataTreeNodeEh* first = ParentNode->GetDataItem(0);
    if (order(first) > 0) {
        InsertMode = naInsertEh;
        return first;
    }
    TGroupDataTreeNodeEh* last = ParentNode->GetDataItem(count - 1);
    if (order(last) < 0) {
        InsertMode = naAddEh;
        return last;
    }
    int lo = 0;
    int hi = count - 1;
    int mid = hi / 2;
    for (;;) {
        TGroupDataTreeNodeEh* item = ParentNode->GetDataItem(mid);
        const int c = order(item);
        if (c > 0)
            hi = mid;
        else if (c < 0)
            lo = mid;
        else {
            InsertMode = naAddChildEh;
            return item;
        }
        const int next = (hi + lo) / 2;
        if (next == mid) {
            TGroupDataTreeNodeEh* after = ParentNode->GetDataItem(mid + 1);
            InsertMode = order(after) == 0 ? naAddChildEh : naInsertEh;
            return after;
        }
        mid = next;
    }
}

// ---- building

void TGridGroupDataTreeEh::AttachDataNode(TGroupDataTreeNodeEh* Node, TGroupDataTreeNodeEh* Parent,
                                          TGroupDataTreeNodeEh* Place, TNodeAttachModeEh Mode)
{
    // Footers stay last: "as the last data item" means before the parent's first footer.
    if (Place && Mode == naInsertEh) {
        AddNode(Node, Place, naInsertEh, true);
        return;
    }
    if (Parent->FFooterItemCount > 0)
        AddNode(Node, Parent->GetFooterItem(0), naInsertEh, true);
    else
        AddNode(Node, Parent, naAddChildEh, true);
}

void TGridGroupDataTreeEh::PlaceRecordNode(TGroupDataTreeNodeEh* Rec, const Variant& AKey, int RecViewNo)
{
    TGroupDataTreeNodeEh* parent = Root();
    bool searched = true;
    const int levels = FGridDataGroups ? FGridDataGroups->ActiveGroupLevelsCount() : 0;
    const int low = AKey.IsArray() ? AKey.ArrayLowBound() : 0;
    for (int i = 0; i < levels; ++i) {
        TGridDataGroupLevelEh* level = FGridDataGroups->ActiveGroupLevels(i);
        const Variant k = AKey.IsArray() ? AKey.GetElement(low + i) : Variant();
        TGroupDataTreeNodeEh* place = nullptr;
        TNodeAttachModeEh mode = naAddChildEh;
        if (searched) {
            place = GetNodeToInsertForKey1(parent, k, mode, level->SortOrder());
            if (place && mode == naAddChildEh) {
                if (place->FDataSetRecordViewNo == -1)
                    place->FDataSetRecordViewNo = RecViewNo;
                parent = place;
                continue;
            }
        }
        auto* group = static_cast<TGroupDataTreeNodeEh*>(CreateNodeApart(QString(), nullptr));
        AttachDataNode(group, parent, place, mode);
        group->FDataGroupLevel = level;
        group->FGroupDataTreeNodeType = dntDataGroupEh;
        group->FDataSetRecordViewNo = RecViewNo;
        group->FKeyValue = k;
        group->FDisplayValue = level->GetKeyValueAsText(group);
        group->FExpanded = FGridDataGroups->DefaultStateExpanded();
        group->RowDataChanged();
        group->ResetFooters();
        searched = false;
        parent = group;
    }
    TGroupDataTreeNodeEh* place = nullptr;
    TNodeAttachModeEh mode = naAddChildEh;
    if (searched)
        place = GetNodeToInsertForKey1(parent, Variant(RecViewNo), mode, soAscEh);
    // An equal row number goes before the existing record.
    if (place && mode == naAddChildEh)
        mode = naInsertEh;
    AttachDataNode(Rec, parent, place, mode);
    Rec->FDataGroupLevel = nullptr;
    Rec->FDataGroupFooter = nullptr;
    Rec->FGroupDataTreeNodeType = dntDataSetRecordEh;
    Rec->FDataSetRecordViewNo = RecViewNo;
    Rec->FFullKey = AKey;
    Rec->FKeyValue = Variant(RecViewNo);
    Rec->RowDataChanged();
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::AddRecordNodeForKey(const Variant& AKey, int RecViewNo)
{
    auto* rec = static_cast<TGroupDataTreeNodeEh*>(CreateNodeApart(QString(), nullptr));
    auto undo = OnFailure([&] {
        if (!rec->Parent())
            delete rec;
    });
    PlaceRecordNode(rec, AKey, RecViewNo);
    return rec;
}

void TGridGroupDataTreeEh::RebuildDataTreeEx(IMemTableEh* AIntMemTable)
{
    {
        BeginUpdate();
        auto done = Finally([&] { EndUpdate(); });
        DeleteRecordNodes();
        if (AIntMemTable) {
            const int rows = AIntMemTable->InstantReadRowCount();
            for (int row = 0; row < rows; ++row) {
                TInstantReadGuardEh read(AIntMemTable, row);
                const Variant key = KeyOfReadRecord(row);
                AddRecordNodeForKey(key, row);
            }
        }
        DeleteEmptyNodes();
    }
    RecalcValuesAndHeights();
    RebuildFlatVisibleList();
}

void TGridGroupDataTreeEh::DropFlatList()
{
    // The list would point at deleted nodes; it stays empty until it is rebuilt.
    FFlatVisibleList.clear();
    FFlatByViewNo.clear();
    ++FFlatGeneration;
}

void TGridGroupDataTreeEh::DeleteRecordNodes()
{
    InvalidateRecordIndex();
    DropFlatList();
    const int levels = FGridDataGroups ? FGridDataGroups->ActiveGroupLevelsCount() : 0;
    // Groups first lose their records; then a group without data items goes when its level is
    // no longer the active level at its depth.
    std::function<void(TGroupDataTreeNodeEh*)> walk = [&](TGroupDataTreeNodeEh* node) {
        node->DropRecordChildren();
        node->FDataSetRecordViewNo = -1;
        for (int i = node->Count() - 1; i >= 0; --i) {
            TGroupDataTreeNodeEh* child = node->GetDataItem(i);
            walk(child);
            if (child->FGroupDataTreeNodeType != dntDataGroupEh || child->Count() > 0)
                continue;
            const int depth = child->Level();
            if (depth > levels || FGridDataGroups->ActiveGroupLevels(depth - 1) != child->FDataGroupLevel)
                DeleteNode(child, true);
        }
    };
    walk(Root());
}

void TGridGroupDataTreeEh::DeleteEmptyNodes()
{
    DropFlatList();
    // Children first, so a group left with only empty groups goes too.
    std::function<void(TGroupDataTreeNodeEh*)> walk = [&](TGroupDataTreeNodeEh* node) {
        for (int i = node->Count() - 1; i >= 0; --i) {
            TGroupDataTreeNodeEh* child = node->GetDataItem(i);
            if (child->FGroupDataTreeNodeType != dntDataGroupEh)
                continue;
            walk(child);
            if (child->Count() == 0)
                DeleteNode(child, true);
        }
    };
    walk(Root());
}

void TGridGroupDataTreeEh::DeleteRecordNodesUpToLevel(int Level)
{
    if (Level < 1)
        Level = 1;
    std::function<void(TGroupDataTreeNodeEh*)> walk = [&](TGroupDataTreeNodeEh* node) {
        if (node->Level() == Level - 1) {
            for (int i = node->Count() - 1; i >= 0; --i)
                DeleteNode(node->GetDataItem(i), false);
            UpdateNodeIndexes(node, false);
            return;
        }
        for (int i = 0; i < node->Count(); ++i)
            if (node->GetDataItem(i)->FGroupDataTreeNodeType == dntDataGroupEh)
                walk(node->GetDataItem(i));
    };
    walk(Root());
    RebuildFlatVisibleList();
}

void TGridGroupDataTreeEh::ResortLevel(int LevelIndex, TSortOrderEh SortOrder)
{
    {
        BeginUpdate();
        auto done = Finally([&] { EndUpdate(); });
        if (LevelIndex == 0)
            Root()->SortDataItems(SortOrder);
        else
            for (TGroupDataTreeNodeEh* n = GetFirstNodeAtLevel(LevelIndex); n; n = GetNextNodeAtLevel(n, LevelIndex))
                n->SortDataItems(SortOrder);
    }
    RebuildFlatVisibleList();
}

// ---- single-row changes

void TGridGroupDataTreeEh::ShiftRowNumbers(int From, int Delta)
{
    InvalidateRecordIndex();
    std::function<void(TGroupDataTreeNodeEh*)> walk = [&](TGroupDataTreeNodeEh* node) {
        for (TBaseTreeNodeEh* b : node->Items()) {
            auto* n = static_cast<TGroupDataTreeNodeEh*>(b);
            if (n->FDataSetRecordViewNo >= From) {
                n->FDataSetRecordViewNo += Delta;
                if (n->FGroupDataTreeNodeType == dntDataSetRecordEh) {
                    n->FKeyValue = Variant(n->FDataSetRecordViewNo);
                    // In place: a copy of the key per record made one row's insert cost a copy
                    // of every key.
                    if (n->FFullKey.IsArray())
                        n->FFullKey.SetElement(n->FFullKey.ArrayHighBound(), n->FKeyValue);
                }
            }
            if (n->FGroupDataTreeNodeType == dntDataGroupEh)
                walk(n);
        }
    };
    walk(Root());
}

void TGridGroupDataTreeEh::RecordInserted(int RecNum)
{
    IMemTableEh* table = IntMemTable();
    if (!table)
        return;
    ShiftRowNumbers(RecNum, 1);
    const bool incremental = IncrementalNow();
    TDataSet* ds = FGridDataGroups->DataSet();
    bool inserting = false;
    TGroupDataTreeNodeEh* node = nullptr;
    {
        TInstantReadGuardEh read(table, RecNum);
        Variant key = KeyOfReadRecord(RecNum);
        Variant placeKey = key;
        inserting = ds && ds->State() == dsInsert && table->GetInstantReadCurRow() == RecNum;
        if (inserting && !FGridDataGroups->InsertingKeyValue().IsEmpty()) {
            placeKey = FGridDataGroups->InsertingKeyValue();
            FGridDataGroups->SetInsertingKeyValue(Variant());
            FGridDataGroups->SetDataSetkeyValue(placeKey);
            key = KeyOfReadRecord(RecNum);
        }
        node = AddRecordNodeForKey(placeKey, RecNum);
        // The node keeps the record's real key, so a later change compares against the truth.
        node->FFullKey = key;
        if (incremental)
            ReadAggrSource(node);
    }
    if (inserting)
        ExpandNodePathToView(node);
    if (incremental && ApplyRecordToFooters(node, node->ParentNode(), 1)) {
        FinishTouchedFooters();
        UpdateRowHeight(node);
    } else {
        RecalcValuesAndHeights();
    }
    RebuildFlatVisibleList();
}

void TGridGroupDataTreeEh::RecordChanged(int RecordViewNo)
{
    TGroupDataTreeNodeEh* node = GetNodeByRecordViewNo(RecordViewNo);
    if (!node)
        return;
    bool incremental = IncrementalNow();
    Variant key;
    std::unique_ptr<Variant[]> before;
    auto readRow = [&] {
        key = KeyOfReadRecord(RecordViewNo);
        if (incremental) {
            before = std::move(node->FAggrSource);
            ReadAggrSource(node);
        }
    };
    IMemTableEh* table = IntMemTable();
    if (!table || table->GetInstantReadCurRow() == RecordViewNo) {
        readRow();
    } else {
        TInstantReadGuardEh read(table, RecordViewNo);
        readRow();
    }
    const bool moved = !VarEqualsEh(key, node->FFullKey);
    if (incremental) {
        // The old values leave the footers the record leaves; the new ones enter where it lands.
        std::swap(before, node->FAggrSource);
        incremental = ApplyRecordToFooters(node, moved ? SurvivingAncestor(node) : node->ParentNode(), -1);
        std::swap(before, node->FAggrSource);
    }
    if (moved) {
        node->FFullKey = key;
        UpdateRecordNodePosInTree(node);
    }
    if (incremental)
        incremental = ApplyRecordToFooters(node, node->ParentNode(), 1);
    node->RowDataChanged();
    if (incremental) {
        FinishTouchedFooters();
        if (moved) {
            RebuildFlatVisibleList();
        } else if (FGridDataGroups) {
            // Same rows, new values in the group and footer rows.
            FGridDataGroups->GridRowValuesChanged();
            const int flat = IndexOfVisibleNode(node);
            if (flat >= 0)
                FGridDataGroups->GridRowHeightChanged(flat);
        }
        return;
    }
    if (RecalculateFootersValues())
        return;
    if (moved) {
        RebuildFlatVisibleList();
        return;
    }
    const int flat = IndexOfVisibleNode(node);
    if (flat >= 0)
        FGridDataGroups->GridRowHeightChanged(flat);
}

void TGridGroupDataTreeEh::RecordDeleted(int RecNum)
{
    TGroupDataTreeNodeEh* node = GetNodeByRecordViewNo(RecNum);
    bool incremental = node && IncrementalNow();
    if (incremental)
        incremental = ApplyRecordToFooters(node, SurvivingAncestor(node), -1);
    if (node)
        DeleteRecordNode(node);
    ShiftRowNumbers(RecNum + 1, -1);
    if (incremental)
        FinishTouchedFooters();
    else
        RecalcValuesAndHeights();
    RebuildFlatVisibleList();
}

void TGridGroupDataTreeEh::DetachRecordNode(TGroupDataTreeNodeEh* Node)
{
    DropFlatList();
    auto* parent = Node->ParentNode();
    DetachNode(Node, true);
    while (parent && parent != Root() && parent->Count() == 0) {
        auto* up = parent->ParentNode();
        DeleteNode(parent, true);
        parent = up;
    }
}

void TGridGroupDataTreeEh::DeleteRecordNode(TGroupDataTreeNodeEh* Node)
{
    if (!Node || Node == Root())
        return;
    DetachRecordNode(Node);
    delete Node;
}

void TGridGroupDataTreeEh::UpdateRecordNodePosInTree(TGroupDataTreeNodeEh* Node)
{
    // The node object moves, so whoever holds it (the grid's current node) stays valid.
    const Variant key = Node->FFullKey;
    const int row = Node->FDataSetRecordViewNo;
    DetachRecordNode(Node);
    auto undo = OnFailure([&] { delete Node; });
    IMemTableEh* table = IntMemTable();
    if (table) {
        TInstantReadGuardEh read(table, row);
        PlaceRecordNode(Node, key, row);
    } else {
        PlaceRecordNode(Node, key, row);
    }
}

// ---- footers

void TGridGroupDataTreeEh::RebuildFooters()
{
    std::function<void(TGroupDataTreeNodeEh*)> walk = [&](TGroupDataTreeNodeEh* node) {
        for (int i = 0; i < node->Count(); ++i) {
            TGroupDataTreeNodeEh* child = node->GetDataItem(i);
            if (child->FGroupDataTreeNodeType == dntDataGroupEh) {
                child->ResetFooters();
                walk(child);
            }
        }
    };
    walk(Root());
    Root()->ResetFooters();
    RecalcValuesAndHeights();
    RebuildFlatVisibleList();
}

bool TGridGroupDataTreeEh::HasFooters() const
{
    if (!FGridDataGroups)
        return false;
    if (FGridDataGroups->Footers()->Count() > 0)
        return true;
    TGridDataGroupLevelsEh* levels = FGridDataGroups->GroupLevels();
    for (int i = 0; i < levels->Count(); ++i)
        if (!levels->Items(i)->ParentFooters() && levels->Items(i)->Footers()->Count() > 0)
            return true;
    return false;
}

namespace {
template <typename F>
void ForEachFooterNode(TGroupDataTreeNodeEh* Node, F&& Step)
{
    for (int i = 0; i < Node->FooterItemCount(); ++i)
        Step(Node->GetFooterItem(i));
}
}

bool TGridGroupDataTreeEh::CalcFooterValues(bool AndRowHeights)
{
    FFootersIncremental = false;
    FTouchedFooters.clear();
    FFooterItemsToRecompute.clear();
    if (!HasFooters())
        return false;
    const bool incremental = CanKeepFootersIncremental();
    if (incremental)
        PlanFooters();
    // Every footer node starts empty.
    std::vector<TGroupDataTreeNodeEh*> records;
    std::function<void(TGroupDataTreeNodeEh*)> clear = [&](TGroupDataTreeNodeEh* node) {
        ForEachFooterNode(node, [](TGroupDataTreeNodeEh* f) {
            const size_t items = size_t(f->FDataGroupFooter ? f->FDataGroupFooter->ColumnItems()->Count() : 0);
            f->FFooterValue.assign(items, Variant());
            f->FFooterAccum.assign(items, Variant());
            f->FFooterFilled.assign(items, 0);
        });
        for (int i = 0; i < node->Count(); ++i) {
            TGroupDataTreeNodeEh* child = node->GetDataItem(i);
            if (child->FGroupDataTreeNodeType == dntDataSetRecordEh)
                records.push_back(child);
            else
                clear(child);
        }
    };
    clear(Root());

    // Each record is read once: into the footers of every enclosing group and of the root,
    // and, while it is read, its row height.
    IMemTableEh* table = IntMemTable();
    for (TGroupDataTreeNodeEh* rec : records) {
        rec->FAggrSource.reset();
        if (!table || rec->FDataSetRecordViewNo < 0) {
            if (AndRowHeights)
                UpdateRowHeight(rec);
            continue;
        }
        TInstantReadGuardEh read(table, rec->FDataSetRecordViewNo);
        if (incremental) {
            ReadAggrSource(rec);
            for (TGroupDataTreeNodeEh* p = rec->ParentNode(); p; p = p->ParentNode())
                ForEachFooterNode(p, [&](TGroupDataTreeNodeEh* f) {
                    if (const FooterPlan* plan = PlanOf(f))
                        AddToFooterNode(f, *plan, rec, 1);
                });
        } else {
            for (TGroupDataTreeNodeEh* p = rec->ParentNode(); p; p = p->ParentNode())
                ForEachFooterNode(p, [&](TGroupDataTreeNodeEh* f) {
                    if (!f->FDataGroupFooter)
                        return;
                    TGridDataGroupFooterColumnItemsEh* items = f->FDataGroupFooter->ColumnItems();
                    const int n = std::min(items->Count(), int(f->FFooterAccum.size()));
                    for (int j = 0; j < n; ++j)
                        items->Items(j)->AggregateValue(f->FFooterAccum[size_t(j)], rec);
                });
        }
        if (AndRowHeights) {
            rec->FRowHeightNeedUpdate = false;
            rec->FRowHeight = FGridDataGroups->GridDataRowHeight();
        }
    }

    std::function<void(TGroupDataTreeNodeEh*)> finish = [&](TGroupDataTreeNodeEh* node) {
        ForEachFooterNode(node, [&](TGroupDataTreeNodeEh* f) {
            FinalizeFooterNode(f);
            if (AndRowHeights && node != Root())
                UpdateRowHeight(f);
        });
        for (int i = 0; i < node->Count(); ++i) {
            TGroupDataTreeNodeEh* child = node->GetDataItem(i);
            if (child->FGroupDataTreeNodeType == dntDataGroupEh) {
                if (AndRowHeights)
                    UpdateRowHeight(child);
                finish(child);
            }
        }
    };
    finish(Root());
    FFootersIncremental = incremental;
    return true;
}

// ---- incremental footers

bool TGridGroupDataTreeEh::CanKeepFootersIncremental() const
{
    return FGridDataGroups && IntMemTable() && !FGridDataGroups->FooterValueHooksAssigned();
}

bool TGridGroupDataTreeEh::IncrementalNow() const
{
    return FFootersIncremental && CanKeepFootersIncremental() && HasFooters();
}

void TGridGroupDataTreeEh::PlanFooters()
{
    FAggrColumns.clear();
    FFooterPlans.clear();
    auto plan = [&](TGridDataGroupFootersEh* footers) {
        for (int i = 0; footers && i < footers->Count(); ++i) {
            TGridDataGroupFooterEh* footer = footers->Items(i);
            if (std::any_of(FFooterPlans.begin(), FFooterPlans.end(), [&](const FooterPlan& p) { return p.Footer == footer; }))
                continue;
            FooterPlan p{footer, {}};
            TGridDataGroupFooterColumnItemsEh* items = footer->ColumnItems();
            for (int j = 0; j < items->Count(); ++j) {
                TGridDataGroupFooterColumnItemEh* item = items->Items(j);
                TAxisBarEh* column = item->Column();
                if (!TGridDataGroupFooterColumnItemEh::IsAggregateType(item->ValueType())) {
                    p.Slots.push_back(-2);
                } else if (!column || !item->Field()) {
                    p.Slots.push_back(-1);
                } else {
                    auto at = std::find(FAggrColumns.begin(), FAggrColumns.end(), column);
                    p.Slots.push_back(int(at - FAggrColumns.begin()));
                    if (at == FAggrColumns.end())
                        FAggrColumns.push_back(column);
                }
            }
            FFooterPlans.push_back(std::move(p));
        }
    };
    plan(FGridDataGroups->Footers());
    for (int i = 0; i < FGridDataGroups->ActiveGroupLevelsCount(); ++i)
        plan(FGridDataGroups->ActiveGroupLevels(i)->UsedFooters());
}

const TGridGroupDataTreeEh::FooterPlan* TGridGroupDataTreeEh::PlanOf(TGroupDataTreeNodeEh* FooterNode) const
{
    TGridDataGroupFooterEh* footer = FooterNode->FDataGroupFooter;
    if (!footer)
        return nullptr;
    for (const FooterPlan& p : FFooterPlans)
        if (p.Footer == footer)
            return int(p.Slots.size()) == footer->ColumnItems()->Count() &&
                           p.Slots.size() == FooterNode->FFooterAccum.size()
                       ? &p
                       : nullptr;
    return nullptr;
}

void TGridGroupDataTreeEh::ReadAggrSource(TGroupDataTreeNodeEh* Rec)
{
    const size_t n = FAggrColumns.size();
    if (n == 0) {
        Rec->FAggrSource.reset();
        return;
    }
    Rec->FAggrSource.reset(new Variant[n]);
    for (size_t i = 0; i < n; ++i) {
        TField* f = FAggrColumns[i]->Field();
        Rec->FAggrSource[i] = f ? f->AsVariant() : Variant::Null();
    }
}

void TGridGroupDataTreeEh::AddToFooterNode(TGroupDataTreeNodeEh* F, const FooterPlan& Plan, TGroupDataTreeNodeEh* Rec, int Sign)
{
    TGridDataGroupFooterColumnItemsEh* items = F->FDataGroupFooter->ColumnItems();
    const int n = int(Plan.Slots.size());
    for (int j = 0; j < n; ++j) {
        TGridDataGroupFooterColumnItemEh* item = items->Items(j);
        Variant& accum = F->FFooterAccum[size_t(j)];
        const int slot = Plan.Slots[size_t(j)];
        int& filled = F->FFooterFilled[size_t(j)];
        if (slot == -2) {
            // Values that read no record depend only on how many records there are (one or more).
            if (Sign > 0) {
                item->AggregateValue(accum, Rec);
                ++filled;
            } else {
                accum = Variant();
                for (int k = std::min(--filled, 2); k > 0; --k)
                    item->AggregateValue(accum, Rec);
            }
            continue;
        }
        const Variant v = slot >= 0 && Rec->FAggrSource ? Rec->FAggrSource[size_t(slot)] : Variant::Null();
        if (Sign > 0) {
            TGridDataGroupFooterColumnItemEh::AddRecordValue(item->ValueType(), accum, v);
            if (!v.IsNull() && !v.IsEmpty())
                ++filled;
        } else if (!TakeRecordValue(item->ValueType(), accum, filled, v)) {
            FFooterItemsToRecompute.emplace_back(F, j);
        }
    }
}

bool TGridGroupDataTreeEh::ApplyRecordToFooters(TGroupDataTreeNodeEh* Rec, TGroupDataTreeNodeEh* From, int Sign)
{
    for (TGroupDataTreeNodeEh* p = From; p; p = p->ParentNode())
        for (int i = 0; i < p->FooterItemCount(); ++i) {
            TGroupDataTreeNodeEh* f = p->GetFooterItem(i);
            if (!f->FDataGroupFooter)
                continue;
            const FooterPlan* plan = PlanOf(f);
            if (!plan)
                return false;
            AddToFooterNode(f, *plan, Rec, Sign);
            if (std::find(FTouchedFooters.begin(), FTouchedFooters.end(), f) == FTouchedFooters.end())
                FTouchedFooters.push_back(f);
        }
    return true;
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::SurvivingAncestor(TGroupDataTreeNodeEh* Rec) const
{
    TGroupDataTreeNodeEh* p = Rec->ParentNode();
    while (p && p != Root() && p->Count() <= 1)
        p = p->ParentNode();
    return p;
}

void TGridGroupDataTreeEh::FinalizeFooterNode(TGroupDataTreeNodeEh* F)
{
    if (!F->FDataGroupFooter)
        return;
    TGridDataGroupFooterColumnItemsEh* items = F->FDataGroupFooter->ColumnItems();
    const int n = std::min(items->Count(), int(F->FFooterAccum.size()));
    F->FFooterValue.resize(F->FFooterAccum.size());
    for (int j = 0; j < n; ++j) {
        Variant value = F->FFooterAccum[size_t(j)];
        items->Items(j)->FinalizeValue(value);
        F->FFooterValue[size_t(j)] = std::move(value);
    }
}

void TGridGroupDataTreeEh::FinishTouchedFooters()
{
    // A maximum or minimum that left is found again among its own group's kept values.
    for (auto [f, j] : FFooterItemsToRecompute) {
        const FooterPlan* plan = PlanOf(f);
        if (!plan)
            continue;
        const int slot = plan->Slots[size_t(j)];
        const TGroupFooterValueTypeEh type = f->FDataGroupFooter->ColumnItems()->Items(j)->ValueType();
        Variant& accum = f->FFooterAccum[size_t(j)];
        int& filled = f->FFooterFilled[size_t(j)];
        accum = Variant();
        filled = 0;
        std::vector<TGroupDataTreeNodeEh*> stack{f->ParentNode()};
        while (!stack.empty()) {
            TGroupDataTreeNodeEh* node = stack.back();
            stack.pop_back();
            for (int i = node->Count() - 1; i >= 0; --i) {
                TGroupDataTreeNodeEh* child = node->GetDataItem(i);
                if (child->FGroupDataTreeNodeType != dntDataSetRecordEh) {
                    stack.push_back(child);
                    continue;
                }
                const Variant v = slot >= 0 && child->FAggrSource ? child->FAggrSource[size_t(slot)] : Variant::Null();
                TGridDataGroupFooterColumnItemEh::AddRecordValue(type, accum, v);
                if (!v.IsNull() && !v.IsEmpty())
                    ++filled;
            }
        }
    }
    for (TGroupDataTreeNodeEh* f : FTouchedFooters) {
        FinalizeFooterNode(f);
        f->RowDataChanged();
        if (f->ParentNode() && f->ParentNode() != Root())
            f->ParentNode()->RowDataChanged();
    }
    FTouchedFooters.clear();
    FFooterItemsToRecompute.clear();
}

bool TGridGroupDataTreeEh::RecalculateFootersValues()
{
    if (!CalcFooterValues(true))
        return false;
    RebuildFlatVisibleList();
    return true;
}

// Footer values and, in the same pass over the records, all row heights.
void TGridGroupDataTreeEh::RecalcValuesAndHeights()
{
    if (!CalcFooterValues(true))
        UpdateAllDataRowHeights();
}

// ---- row heights

void TGridGroupDataTreeEh::UpdateRowHeight(TGroupDataTreeNodeEh* Node)
{
    Node->FRowHeightNeedUpdate = false;
    if (!FGridDataGroups) {
        Node->FRowHeight = 0;
        return;
    }
    if (Node->FGroupDataTreeNodeType != dntDataSetRecordEh) {
        Node->FRowHeight = FGridDataGroups->GridGroupNodeRowHeight(Node);
        return;
    }
    IMemTableEh* table = IntMemTable();
    if (!table || Node->FDataSetRecordViewNo < 0) {
        Node->FRowHeight = 0;
        return;
    }
    TInstantReadGuardEh read(table, Node->FDataSetRecordViewNo);
    Node->FRowHeight = FGridDataGroups->GridDataRowHeight();
}

void TGridGroupDataTreeEh::UpdateAllDataRowHeights()
{
    for (TGroupDataTreeNodeEh* n = GetFirst(); n; n = GetNext(n))
        UpdateRowHeight(n);
}

// ---- the flat list

void TGridGroupDataTreeEh::RebuildFlatVisibleList()
{
    FFlatVisibleList.clear();
    FFlatByViewNo.clear();
    const int gen = ++FFlatGeneration;
    TGroupDataTreeNodeEh* root = Root();
    std::function<void(TGroupDataTreeNodeEh*)> walk = [&](TGroupDataTreeNodeEh* node) {
        const int data = node->Count();
        for (int i = 0; i < node->GetCount(); ++i) {
            auto* n = static_cast<TGroupDataTreeNodeEh*>(node->Items()[size_t(i)]);
            if (!n->Visible())
                continue;
            if (n->FGroupDataTreeNodeType == dntDataGroupFooterEh) {
                // The table's totals are not rows; a level may show its first footer in the
                // group row; hidden footers keep their nodes but are no rows.
                if (node == root)
                    continue;
                if (i == data && node->FDataGroupLevel && node->FDataGroupLevel->FooterInGroupRow())
                    continue;
                if (!n->FDataGroupFooter || !n->FDataGroupFooter->Visible())
                    continue;
            }
            n->FFlatIndex = int(FFlatVisibleList.size());
            n->FFlatGeneration = gen;
            FFlatVisibleList.push_back(n);
            if (n->FDataSetRecordViewNo >= 0) {
                const size_t vn = size_t(n->FDataSetRecordViewNo);
                if (vn >= FFlatByViewNo.size())
                    FFlatByViewNo.resize(vn + 1, -1);
                if (FFlatByViewNo[vn] < 0)
                    FFlatByViewNo[vn] = n->FFlatIndex;
            }
            if (n->Expanded() && n->GetCount() > 0)
                walk(n);
        }
    };
    walk(root);
    if (FGridDataGroups)
        FGridDataGroups->GridFlatListChanged();
}

// ---- expanding

void TGridGroupDataTreeEh::ExpandedChanged(TBaseTreeNodeEh* Node)
{
    TTreeListEh::ExpandedChanged(Node);
    if (FUpateCount == 0)
        RebuildFlatVisibleList();
}

void TGridGroupDataTreeEh::ExpandNodePathToView(TGroupDataTreeNodeEh* Node)
{
    if (!Node)
        return;
    bool changed = false;
    {
        BeginUpdate();
        auto done = Finally([&] { EndUpdate(); });
        for (TGroupDataTreeNodeEh* p = Node->ParentNode(); p && p != Root(); p = p->ParentNode())
            if (!p->Expanded()) {
                p->SetExpanded(true);
                changed = true;
            }
    }
    if (changed && FUpateCount == 0)
        RebuildFlatVisibleList();
}

// ---- search

void TGridGroupDataTreeEh::InvalidateRecordIndex()
{
    FRecordIndexValid = false;
    FRecordIndex.clear();
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::GetNodeByRecordViewNo(int RecordViewNo)
{
    if (RecordViewNo < 0)
        return nullptr;
    if (!FRecordIndexValid) {
        FRecordIndex.clear();
        for (TGroupDataTreeNodeEh* n = GetFirst(); n; n = GetNext(n)) {
            if (n->FGroupDataTreeNodeType != dntDataSetRecordEh || n->FDataSetRecordViewNo < 0)
                continue;
            const size_t vn = size_t(n->FDataSetRecordViewNo);
            if (vn >= FRecordIndex.size())
                FRecordIndex.resize(vn + 1, nullptr);
            if (!FRecordIndex[vn])
                FRecordIndex[vn] = n;
        }
        FRecordIndexValid = true;
    }
    return size_t(RecordViewNo) < FRecordIndex.size() ? FRecordIndex[size_t(RecordViewNo)] : nullptr;
}

int TGridGroupDataTreeEh::IndexOfVisibleNode(TGroupDataTreeNodeEh* Node) const
{
    if (!Node || Node->FFlatGeneration != FFlatGeneration)
        return -1;
    const int i = Node->FFlatIndex;
    return i >= 0 && size_t(i) < FFlatVisibleList.size() && FFlatVisibleList[size_t(i)] == Node ? i : -1;
}

int TGridGroupDataTreeEh::IndexOfVisibleRecordViewNo(int RecordViewNo)
{
    return RecordViewNo >= 0 && size_t(RecordViewNo) < FFlatByViewNo.size() ? FFlatByViewNo[size_t(RecordViewNo)] : -1;
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::GetFirstNodeAtLevel(int Level) const
{
    for (TGroupDataTreeNodeEh* n = GetFirst(); n; n = GetNext(n))
        if (n->Level() == Level && n->FGroupDataTreeNodeType == dntDataGroupEh)
            return n;
    return nullptr;
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::GetNextNodeAtLevel(TGroupDataTreeNodeEh* ANode, int Level) const
{
    // Pre-order, never below Level.
    TBaseTreeNodeEh* n = ANode;
    while (n) {
        if (n->Level() < Level && n->GetCount() > 0) {
            n = n->Items().front();
        } else {
            while (n != FRoot && !GetNextSibling(n))
                n = n->Parent();
            if (n == FRoot)
                return nullptr;
            n = GetNextSibling(n);
        }
        auto* g = static_cast<TGroupDataTreeNodeEh*>(n);
        if (g->Level() == Level && g->FGroupDataTreeNodeType == dntDataGroupEh)
            return g;
    }
    return nullptr;
}

int TGridGroupDataTreeEh::CompareNodes(TGroupDataTreeNodeEh* Node1, TGroupDataTreeNodeEh* Node2, TSortOrderEh SortOrder)
{
    if (Node1->FGroupDataTreeNodeType != dntDataGroupEh)
        return 0;
    const int c = CompareKeys(Node1->FKeyValue, Node2->FKeyValue);
    return SortOrder == soDescEh ? -c : c;
}
