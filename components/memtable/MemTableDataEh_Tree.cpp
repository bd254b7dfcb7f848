// The record tree of a view: records hang under the record whose key their parent reference
// names; visibility follows the view's filter; two flat lists (displayed and accountable nodes)
// are rebuilt lazily.
#include "MemTableDataEh.h"

#include <algorithm>

namespace {

Variant ValuesAt(TMemoryRecordEh* Rec, const TIntArray& Fields)
{
    return Rec->GetDataIndexValues(Fields, dvvValueEh);
}

// A parent reference that is Null (or holds a Null) names no record.
bool IsNullRef(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        return true;
    if (v.IsArray()) {
        for (int i = v.ArrayLowBound(); i <= v.ArrayHighBound(); ++i)
            if (v.GetElement(i).IsNull())
                return true;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------- TMemRecViewEh

TMemRecViewEh::~TMemRecViewEh()
{
    if (auto* t = dynamic_cast<TMemoryTreeListEh*>(FOwner))
        t->NodeDestroying(this);
}

TMemoryTreeListEh* TMemRecViewEh::NodeOwner() const
{
    return dynamic_cast<TMemoryTreeListEh*>(FOwner);
}

void TMemRecViewEh::SortByFields(const QString& SortByStr)
{
    TMemoryTreeListEh* tree = NodeOwner();
    if (!tree || !tree->RecordsView()->OnParseOrderByStr)
        return;
    TRecordsViewEh* view = tree->RecordsView();
    std::unique_ptr<TOrderByList> list(view->OnParseOrderByStr(SortByStr));
    if (!view->OnCompareTreeNode || !list)
        return;
    TBaseTreeNodeEh::SortData(TCompareNodesEh(view->OnCompareTreeNode), list.get(), false);
}

// ---------------------------------------------------------------- TMemoryTreeListEh

TMemoryTreeListEh::TMemoryTreeListEh(TRecordsViewEh* ARecordsViewEh)
    : TTreeListEh(TreeNodeClass<TMemRecViewEh>()), FRecordsViewEh(ARecordsViewEh)
{
    FOrderByList = std::make_unique<TMemoryTreeListOrderByList>(this);
}

TMemoryTreeListEh::~TMemoryTreeListEh()
{
    FInsertedNodeStack.clear();
    Clear();
    FNodeOfRec.clear();
}

QString TMemoryTreeListEh::KeyFieldNames() const
{
    return FRecordsViewEh->TreeViewKeyFieldName();
}

QString TMemoryTreeListEh::ParentFieldNames() const
{
    return FRecordsViewEh->TreeViewRefParentFieldName();
}

void TMemoryTreeListEh::NodeDestroying(TMemRecViewEh* Node)
{
    FVisibleItemsObsolete = true;
    const auto it = FNodeOfRec.find(Node->Rec());
    if (it != FNodeOfRec.end() && it.value() == Node)
        FNodeOfRec.erase(it);
    if (std::find(FInsertedNodeStack.begin(), FInsertedNodeStack.end(), Node) != FInsertedNodeStack.end())
        FInsertedNodeStack.clear();
}

bool TMemoryTreeListEh::HasSortOrder() const
{
    return !FRecordsViewEh->SortOrder().isEmpty();
}

bool TMemoryTreeListEh::Matches(TMemoryRecordEh* MemRecord, TMemRecViewEh* Node) const
{
    if (!Node || Node == FRoot || !Node->Rec())
        return false;
    const TIntArray& keys = FRecordsViewEh->TreeViewKeyFields();
    const TIntArray& parents = FRecordsViewEh->TreeViewRefParentFields();
    if (keys.empty() || keys.size() != parents.size())
        return false;
    const Variant ref = ValuesAt(MemRecord, parents);
    if (IsNullRef(ref))
        return false;
    return VarEqualsEh(ref, ValuesAt(Node->Rec(), keys));
}

TMTIndexEh* TMemoryTreeListEh::ActiveIndexFor(const QString& FieldNames) const
{
    TRecordsListEh* list = FRecordsViewEh->RecordsList();
    if (!list || FieldNames.isEmpty())
        return nullptr;
    TMTIndexEh* i = list->Indexes()->GetIndexForFields(FieldNames);
    return i && i->Active() && !i->Fields().isEmpty() ? i : nullptr;
}

TMemRecViewEh* TMemoryTreeListEh::GetNode(TMemRecViewEh* StartNode, TMemoryRecordEh* MemRecord) const
{
    if (!StartNode || StartNode == FRoot)
        return FNodeOfRec.value(MemRecord, nullptr);
    TBaseTreeNodeEh* start = StartNode;
    return static_cast<TMemRecViewEh*>(FindNode(start, MemRecord));
}

namespace {
// The first node below Start (pre-order) that satisfies Test.
TMemRecViewEh* FindPreOrder(TBaseTreeNodeEh* Start, const std::function<bool(TMemRecViewEh*)>& Test)
{
    for (TBaseTreeNodeEh* c : Start->Items()) {
        auto* m = static_cast<TMemRecViewEh*>(c);
        if (Test(m))
            return m;
        if (TMemRecViewEh* f = FindPreOrder(c, Test))
            return f;
    }
    return nullptr;
}
}

TMemRecViewEh* TMemoryTreeListEh::GetNodeAtValue(TMemRecViewEh* StartNode, const QString& FieldNames,
                                                 const Variant& Value) const
{
    return FindPreOrder(StartNode ? StartNode : FRoot, [&](TMemRecViewEh* m) {
        return VarEqualsEh(m->Rec()->GetDataValues(FieldNames, dvvValueEh), Value);
    });
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeAtKeyValue(TMemRecViewEh* StartNode, const QString& KeyFieldNames,
                                                          const QString&, const Variant& RefKeyValue) const
{
    if (IsNullRef(RefKeyValue) || KeyFieldNames.isEmpty())
        return Root();
    TMemRecViewEh* n = GetNodeAtValue(StartNode, KeyFieldNames, RefKeyValue);
    return n ? n : Root();
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeAtKey(TMemRecViewEh* StartNode, const QString& KeyFieldNames,
                                                     const QString& ParentFieldNames, TMemoryRecordEh* MemRecord) const
{
    if (!StartNode || StartNode == FRoot) {
        if (TMTIndexEh* idx = ActiveIndexFor(KeyFieldNames)) {
            const Variant ref = ValuesAt(MemRecord, FRecordsViewEh->TreeViewRefParentFields());
            int i = 0;
            if (!IsNullRef(ref) && idx->FindRecordIndexByKey(ref, i)) {
                TMemRecViewEh* n = GetNode(nullptr, idx->RecordsList()->GetRec(i));
                return n ? n : Root();
            }
            return Root();
        }
    }
    TMemRecViewEh* n = FindPreOrder(StartNode ? StartNode : FRoot,
                                    [&](TMemRecViewEh* m) { return Matches(MemRecord, m); });
    if (n)
        return n;
    return Root();
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeForRec(TMemoryRecordEh* MemRecord) const
{
    if (FInsertedNodeStack.empty())
        return nullptr;
    if (TMTIndexEh* idx = ActiveIndexFor(KeyFieldNames())) {
        const Variant ref = ValuesAt(MemRecord, FRecordsViewEh->TreeViewRefParentFields());
        int i = 0;
        if (!IsNullRef(ref) && idx->FindRecordIndexByKey(ref, i))
            return GetNode(nullptr, idx->RecordsList()->GetRec(i));
        return nullptr;
    }
    return GetParentNodeAtKey(nullptr, KeyFieldNames(), ParentFieldNames(), MemRecord);
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeForRefValue(const Variant& RefValue) const
{
    if (TMTIndexEh* idx = ActiveIndexFor(KeyFieldNames())) {
        int i = 0;
        if (!IsNullRef(RefValue) && idx->FindRecordIndexByKey(RefValue, i))
            return GetNode(nullptr, idx->RecordsList()->GetRec(i));
        return nullptr;
    }
    return GetParentNodeAtKeyValue(nullptr, KeyFieldNames(), ParentFieldNames(), RefValue);
}

void TMemoryTreeListEh::GetChildNodesForKey(TMemRecViewEh* StartNode, const QString&, const QString&,
                                            TMemoryRecordEh* MemRecord, std::vector<TMemRecViewEh*>& ChildList) const
{
    const TIntArray& keys = FRecordsViewEh->TreeViewKeyFields();
    const TIntArray& parents = FRecordsViewEh->TreeViewRefParentFields();
    if (keys.empty() || keys.size() != parents.size())
        return;
    const Variant key = ValuesAt(MemRecord, keys);
    if (IsNullRef(key))
        return;
    std::function<void(TBaseTreeNodeEh*)> walk = [&](TBaseTreeNodeEh* node) {
        for (TBaseTreeNodeEh* c : node->Items()) {
            auto* m = static_cast<TMemRecViewEh*>(c);
            if (m->Rec() != MemRecord && VarEqualsEh(ValuesAt(m->Rec(), parents), key))
                ChildList.push_back(m);
            else
                walk(c);
        }
    };
    walk(StartNode ? StartNode : FRoot);
}

void TMemoryTreeListEh::GetRecordsList(std::vector<TMemoryRecordEh*>& List, TMemRecViewEh* Node, bool ARecurse) const
{
    TBaseTreeNodeEh* n = Node ? Node : FRoot;
    for (TBaseTreeNodeEh* c : n->Items()) {
        List.push_back(static_cast<TMemRecViewEh*>(c)->Rec());
        if (ARecurse)
            GetRecordsList(List, static_cast<TMemRecViewEh*>(c), true);
    }
}

int TMemoryTreeListEh::SortedPosition(TMemoryRecordEh* Rec, TMemRecViewEh* Parent, int Count) const
{
    // First position whose record sorts after Rec, over the first Count children.
    int lo = 0, hi = Count;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (FRecordsViewEh->CompareViewRecords(Parent->NodeItems(mid)->Rec(), Rec) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int TMemoryTreeListEh::GetIndexForNode(TMemoryRecordEh* Rec, TMemRecViewEh* ParentNode) const
{
    if (!ParentNode || ParentNode->NodesCount() == 0)
        return -1;
    const int n = ParentNode->NodesCount();
    if (HasSortOrder())
        return SortedPosition(Rec, ParentNode, n);
    if (ParentNode->NodeItems(n - 1)->Rec()->Index() < Rec->Index())
        return -1;
    for (int i = n - 1; i >= 0; --i)
        if (ParentNode->NodeItems(i)->Rec()->Index() < Rec->Index())
            return i + 1;
    return 0;
}

TMemRecViewEh* TMemoryTreeListEh::AddChild(const QString& Name, TMemRecViewEh* Parent, TMemoryRecordEh* MemRecord)
{
    TMemRecViewEh* p = Parent ? Parent : Root();
    std::unique_ptr<TMemRecViewEh> owned(static_cast<TMemRecViewEh*>(CreateNodeApart(Name, MemRecord)));
    const int pos = GetIndexForNode(MemRecord, p);
    if (pos < 0 || pos >= p->NodesCount())
        AddNode(owned.get(), p, naAddChildEh, true);
    else
        AddNode(owned.get(), p->NodeItems(pos), naInsertEh, true);
    TMemRecViewEh* node = owned.release();
    FNodeOfRec.insert(MemRecord, node);
    node->SetExpanded(DefaultNodeExpanded);
    node->SetNodeHasVisibleChildren(DefaultNodeHasChildren);
    FVisibleItemsObsolete = true;
    return node;
}

void TMemoryTreeListEh::BuildFromRecords(const std::vector<TMemoryRecordEh*>& Recs)
{
    FInsertedNodeStack.clear();
    Clear();
    FNodeOfRec.clear();
    const int n = int(Recs.size());
    const TIntArray& keys = FRecordsViewEh->TreeViewKeyFields();
    const TIntArray& parents = FRecordsViewEh->TreeViewRefParentFields();
    // The parent of each record by position in Recs, -1 for the root.
    std::vector<int> parentOf(static_cast<size_t>(n), -1);
    if (!keys.empty() && keys.size() == parents.size()) {
        std::vector<Variant> keyVals;
        keyVals.resize(size_t(n));
        std::vector<int> byKey;
        byKey.reserve(size_t(n));
        for (int i = 0; i < n; ++i) {
            keyVals[size_t(i)] = ValuesAt(Recs[size_t(i)], keys);
            if (!IsNullRef(keyVals[size_t(i)]))
                byKey.push_back(i);
        }
        std::stable_sort(byKey.begin(), byKey.end(),
                         [&](int a, int b) { return CompareValuesEh(keyVals[size_t(a)], keyVals[size_t(b)]) < 0; });
        for (int i = 0; i < n; ++i) {
            const Variant ref = ValuesAt(Recs[size_t(i)], parents);
            if (IsNullRef(ref))
                continue;
            auto it = std::lower_bound(byKey.begin(), byKey.end(), ref, [&](int a, const Variant& v) {
                return CompareValuesEh(keyVals[size_t(a)], v) < 0;
            });
            for (; it != byKey.end() && CompareValuesEh(keyVals[size_t(*it)], ref) == 0; ++it)
                if (*it != i && VarEqualsEh(keyVals[size_t(*it)], ref)) {
                    parentOf[size_t(i)] = *it;
                    break;
                }
            // Without the check a record finds only a parent that came before it.
            if (!FullBuildCheck && parentOf[size_t(i)] > i)
                parentOf[size_t(i)] = -1;
        }
        // Cut every loop of references at its first record in the list.
        std::vector<char> state(static_cast<size_t>(n), 0);   // 0 unseen, 1 on the current path, 2 done
        std::vector<int> path;
        for (int s = 0; s < n; ++s) {
            if (state[size_t(s)])
                continue;
            path.clear();
            int c = s;
            while (c >= 0 && state[size_t(c)] == 0) {
                state[size_t(c)] = 1;
                path.push_back(c);
                c = parentOf[size_t(c)];
            }
            if (c >= 0 && state[size_t(c)] == 1) {
                const auto from = std::find(path.begin(), path.end(), c);
                parentOf[size_t(*std::min_element(from, path.end()))] = -1;
            }
            for (int p : path)
                state[size_t(p)] = 2;
        }
    }
    // Children of each record (slot n: the root's) in list order, then in the sort order.
    std::vector<int> start(size_t(n) + 2, 0);
    for (int i = 0; i < n; ++i)
        ++start[size_t(parentOf[size_t(i)] < 0 ? n : parentOf[size_t(i)]) + 1];
    for (int i = 0; i <= n; ++i)
        start[size_t(i) + 1] += start[size_t(i)];
    std::vector<int> children(static_cast<size_t>(n));
    {
        std::vector<int> fill(start.begin(), start.end() - 1);
        for (int i = 0; i < n; ++i)
            children[size_t(fill[size_t(parentOf[size_t(i)] < 0 ? n : parentOf[size_t(i)])]++)] = i;
    }
    if (HasSortOrder())
        for (int p = 0; p <= n; ++p)
            std::stable_sort(children.begin() + start[size_t(p)], children.begin() + start[size_t(p) + 1],
                             [&](int a, int b) {
                                 return FRecordsViewEh->CompareViewRecords(Recs[size_t(a)], Recs[size_t(b)]) < 0;
                             });
    // Nodes top-down, so every attach is of a leaf to a placed parent.
    std::vector<TMemRecViewEh*> nodeOf(static_cast<size_t>(n), nullptr);
    std::vector<int> queue;
    queue.reserve(size_t(n));
    auto attach = [&](int i, TBaseTreeNodeEh* parent) {
        if (parent->Level() >= FMaxLevel)
            parent = FRoot;
        auto* node = static_cast<TMemRecViewEh*>(CreateNodeApart(QString(), Recs[size_t(i)]));
        AddNode(node, parent, naAddChildEh, false);
        nodeOf[size_t(i)] = node;
        FNodeOfRec.insert(Recs[size_t(i)], node);
        node->SetExpanded(DefaultNodeExpanded);
        node->SetNodeHasVisibleChildren(DefaultNodeHasChildren);
        queue.push_back(i);
    };
    for (int k = start[size_t(n)]; k < start[size_t(n) + 1]; ++k)
        attach(children[size_t(k)], FRoot);
    for (size_t q = 0; q < queue.size(); ++q) {
        const int p = queue[q];
        for (int k = start[size_t(p)]; k < start[size_t(p) + 1]; ++k)
            attach(children[size_t(k)], nodeOf[size_t(p)]);
    }
    FVisibleItemsObsolete = true;
}

TMemRecViewEh* TMemoryTreeListEh::AddChildAtKey(const QString& Name, const QString& KeyFieldNames,
                                                const QString& ParentFieldNames, TMemoryRecordEh* MemRecord)
{
    TMemRecViewEh* parent = nullptr;
    bool push = true;
    if (FInsertedNodeStack.size() >= 2) {
        TMemRecViewEh* below = FInsertedNodeStack[FInsertedNodeStack.size() - 2];
        TMemRecViewEh* top = FInsertedNodeStack.back();
        if (Matches(MemRecord, below)) {
            parent = below;
            push = false;
        } else if (Matches(MemRecord, top)) {
            parent = top;
        } else {
            FInsertedNodeStack.pop_back();
            FInsertedNodeStack.pop_back();
            while (!FInsertedNodeStack.empty()) {
                if (Matches(MemRecord, FInsertedNodeStack.back())) {
                    parent = FInsertedNodeStack.back();
                    break;
                }
                FInsertedNodeStack.pop_back();
            }
        }
    }
    if (!parent) {
        TMemRecViewEh* p = GetParentNodeAtKey(nullptr, KeyFieldNames, ParentFieldNames, MemRecord);
        parent = p == Root() ? nullptr : p;
    }
    TMemRecViewEh* node = AddChild(Name, parent, MemRecord);
    if (FullBuildCheck) {
        std::vector<TMemRecViewEh*> children;
        if (TMTIndexEh* idx = ActiveIndexFor(ParentFieldNames)) {
            const Variant key = ValuesAt(MemRecord, FRecordsViewEh->TreeViewKeyFields());
            std::vector<TMemoryRecordEh*> recs;
            if (!IsNullRef(key))
                idx->FillMatchedRecsList(key, recs);
            for (TMemoryRecordEh* r : recs)
                if (r != MemRecord)
                    if (TMemRecViewEh* n = GetNode(nullptr, r))
                        children.push_back(n);
        } else {
            GetChildNodesForKey(nullptr, KeyFieldNames, ParentFieldNames, MemRecord, children);
        }
        std::stable_sort(children.begin(), children.end(), [](TMemRecViewEh* a, TMemRecViewEh* b) {
            return a->Rec()->Index() < b->Rec()->Index();
        });
        for (TMemRecViewEh* c : children)
            if (c != node && !node->HasAncestor(c))
                MoveTo(c, node, naAddChildEh, true);
    }
    if (push || FInsertedNodeStack.empty())
        FInsertedNodeStack.push_back(node);
    else
        FInsertedNodeStack.back() = node;
    return node;
}

TMemRecViewEh* TMemoryTreeListEh::UpdateParent(TMemRecViewEh* Node, const QString& KeyFieldNames,
                                               const QString& ParentFieldNames, TMemoryRecordEh* MemRecord, bool ReIndex)
{
    TMemRecViewEh* parentNode = GetParentNodeAtKey(nullptr, KeyFieldNames, ParentFieldNames, MemRecord);
    if (parentNode != Node->NodeParent()) {
        const int p = GetIndexForNode(Node->Rec(), parentNode);
        if (p < 0 || p >= parentNode->NodesCount())
            MoveTo(Node, parentNode, naAddChildEh, true);
        else
            MoveTo(Node, parentNode->NodeItems(p), naInsertEh, true);
        FVisibleItemsObsolete = true;
        return parentNode;
    }
    if (!HasSortOrder())
        return parentNode;
    const int oldIndex = Node->NodeIndex();
    DetachNode(Node, true);
    const int p = GetIndexForNode(Node->Rec(), parentNode);
    // A position at the end (or no children left) appends.
    if (p < 0 || p >= parentNode->NodesCount())
        AddNode(Node, parentNode, naAddChildEh, ReIndex);
    else
        AddNode(Node, parentNode->NodeItems(p), naInsertEh, ReIndex);
    if (p != oldIndex)
        FVisibleItemsObsolete = true;
    return parentNode;
}

bool TMemoryTreeListEh::CheckReferenceLoop(TMemoryRecordEh* MemRecord, const Variant& NewRefValue)
{
    const TIntArray& keys = FRecordsViewEh->TreeViewKeyFields();
    const TIntArray& parents = FRecordsViewEh->TreeViewRefParentFields();
    if (keys.empty() || keys.size() != parents.size())
        return false;
    const Variant ref = NewRefValue.IsEmpty() ? ValuesAt(MemRecord, parents) : NewRefValue;
    if (IsNullRef(ref))
        return false;
    const Variant ownKey = ValuesAt(MemRecord, keys);
    // Follow the parent references through the records themselves, not only through the
    // tree: a record whose parent was missing hangs at the root, yet its reference can close
    // a loop once that parent arrives.
    TRecordsListEh* list = FRecordsViewEh->RecordsList();
    TMTIndexEh* idx = ActiveIndexFor(KeyFieldNames());
    Variant cur = ref;
    const int limit = list ? list->Count() + 1 : 0;
    for (int step = 0; step <= limit; ++step) {
        if (IsNullRef(cur))
            return false;
        if (VarEqualsEh(cur, ownKey))
            return true;
        if (!list)
            return false;
        TMemoryRecordEh* next = nullptr;
        int at = 0;
        if (idx && idx->FindRecordIndexByKey(cur, at)) {
            next = list->GetRec(at);
        } else if (!idx) {
            for (TMemoryRecordEh* r : list->Records())
                if (r != MemRecord && VarEqualsEh(ValuesAt(r, keys), cur)) {
                    next = r;
                    break;
                }
        }
        if (!next || next == MemRecord)
            return next == MemRecord;
        cur = ValuesAt(next, parents);
    }
    return false;
}

void TMemoryTreeListEh::UpdateNodeState(TMemRecViewEh* Node, bool IsUpdateParent)
{
    FVisibleItemsObsolete = true;
    if (!Node || Node == FRoot)
        return;
    if (!Node->GetHasVisibleChildren())
        Node->SetVisible(FRecordsViewEh->RecordPassesFilter(Node->Rec()));
    else
        Node->SetVisible(true);
    if (FRecordsViewEh->OnCalcLookupBuffer)
        FRecordsViewEh->OnCalcLookupBuffer(Node->Rec(), Node);
    TMemRecViewEh* parent = Node->NodeParent();
    if (IsUpdateParent && parent && parent != FRoot && parent->NodeVisible() != Node->NodeVisible())
        UpdateNodeState(parent, true);
}

void TMemoryTreeListEh::UpdateNodesState(TMemRecViewEh* Parent)
{
    TBaseTreeNodeEh* p = Parent ? Parent : FRoot;
    for (TBaseTreeNodeEh* c : p->Items()) {
        UpdateNodesState(static_cast<TMemRecViewEh*>(c));
        UpdateNodeState(static_cast<TMemRecViewEh*>(c), false);
    }
    FVisibleItemsObsolete = true;
}

void TMemoryTreeListEh::SetNodesVisible(TMemRecViewEh* Node, bool Visible, bool Recurse)
{
    for (TBaseTreeNodeEh* c : Node->Items()) {
        c->SetVisible(Visible);
        if (Recurse)
            SetNodesVisible(static_cast<TMemRecViewEh*>(c), Visible, true);
    }
}

void TMemoryTreeListEh::ShowChildrenOfVisibleNodes(TMemRecViewEh* Node)
{
    TBaseTreeNodeEh* n = Node ? Node : FRoot;
    for (TBaseTreeNodeEh* c : n->Items()) {
        auto* m = static_cast<TMemRecViewEh*>(c);
        if (m->NodeVisible() && !m->GetHasVisibleChildren())
            SetNodesVisible(m, true, true);
        else if (m->NodeVisible())
            ShowChildrenOfVisibleNodes(m);
    }
    FVisibleItemsObsolete = true;
}

void TMemoryTreeListEh::BuildVisibleItems()
{
    FVisibleExpandedItems.clear();
    FVisibleItems.clear();
    std::function<void(TBaseTreeNodeEh*, bool)> walk = [&](TBaseTreeNodeEh* node, bool displayed) {
        for (TBaseTreeNodeEh* c : node->Items()) {
            if (!c->Visible())
                continue;
            auto* m = static_cast<TMemRecViewEh*>(c);
            FVisibleItems.push_back(m);
            if (displayed)
                FVisibleExpandedItems.push_back(m);
            walk(c, displayed && c->Expanded());
        }
    };
    walk(FRoot, true);
    FVisibleItemsObsolete = false;
}

int TMemoryTreeListEh::AccountableCount()
{
    if (FVisibleItemsObsolete)
        BuildVisibleItems();
    return int(FVisibleItems.size());
}

int TMemoryTreeListEh::VisibleExpandedCount()
{
    if (FVisibleItemsObsolete)
        BuildVisibleItems();
    return int(FVisibleExpandedItems.size());
}

TMemRecViewEh* TMemoryTreeListEh::GetAccountableItem(int Index)
{
    if (FVisibleItemsObsolete)
        BuildVisibleItems();
    return Index >= 0 && size_t(Index) < FVisibleItems.size() ? FVisibleItems[size_t(Index)] : nullptr;
}

TMemRecViewEh* TMemoryTreeListEh::GetVisibleExpandedItem(int Index)
{
    if (FVisibleItemsObsolete)
        BuildVisibleItems();
    return Index >= 0 && size_t(Index) < FVisibleExpandedItems.size() ? FVisibleExpandedItems[size_t(Index)] : nullptr;
}

void TMemoryTreeListEh::SetSortOrder(const QString& Value)
{
    if (Value == FSortOrder)
        return;
    FOrderByList->ParseOrderByStr(Value);
    for (int i = 0; i < FOrderByList->Count(); ++i) {
        TOrderByItemEh* item = FOrderByList->GetItem(i);
        item->MTFieldIndex = item->FieldIndex;
        item->CaseIns = FRecordsViewEh->SortOrderCaseInsensitive();
    }
    FSortOrder = Value;
    Resort();
}

void TMemoryTreeListEh::Resort()
{
    SortData(TCompareNodesEh(this, &TMemoryTreeListEh::CompareTreeNodes), FOrderByList.get(), true);
    BuildVisibleItems();
}

void TMemoryTreeListEh::SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse)
{
    TTreeListEh::SortData(CompareProg, ParamSort, ARecurse);
    BuildVisibleItems();
    FRecordsViewEh->ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

int TMemoryTreeListEh::CompareTreeNodes(TBaseTreeNodeEh* Rec1, TBaseTreeNodeEh* Rec2, TObject* ParamSort)
{
    auto* a = static_cast<TMemRecViewEh*>(Rec1)->Rec();
    auto* b = static_cast<TMemRecViewEh*>(Rec2)->Rec();
    if (FRecordsViewEh->OnCompareRecords)
        return FRecordsViewEh->OnCompareRecords(a, b, ParamSort);
    return CompareRecordsByOrderEh(a, b, static_cast<TOrderByList*>(ParamSort));
}

void TMemoryTreeListEh::MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex)
{
    TTreeListEh::MoveTo(Node, Destination, Mode, ReIndex);
    FVisibleItemsObsolete = true;
}

int TMemoryTreeListOrderByList::GetFieldIndex(const QString& FieldName)
{
    TMemTableDataEh* d = FTreeList->RecordsView()->MemTableData();
    return d ? d->DataStruct()->FieldIndex(FieldName) : -1;
}
