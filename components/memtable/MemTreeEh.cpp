// The general ordered tree under the record tree and the grid's grouping tree.
#include "MemTreeEh.h"

#include <memory>

// ---------------------------------------------------------------- TBaseTreeNodeEh

TBaseTreeNodeEh::TBaseTreeNodeEh() = default;

TBaseTreeNodeEh::~TBaseTreeNodeEh()
{
    TNodeList items;
    items.swap(FItems);
    FVisibleItems.clear();
    for (TBaseTreeNodeEh* n : items)
        delete n;
}

TBaseTreeNodeEh* TBaseTreeNodeEh::GetItem(int Index) const
{
    if (Index < 0 || Index >= GetCount())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    return FItems[size_t(Index)];
}

void TBaseTreeNodeEh::BuildVisibleItems()
{
    FVisibleItems.clear();
    for (TBaseTreeNodeEh* n : FItems)
        if (n->FVisible) {
            n->FVisibleIndex = int(FVisibleItems.size());
            FVisibleItems.push_back(n);
        }
    FVisibleCount = int(FVisibleItems.size());
    FVisibleItemsObsolete = false;
    FHasVisibleChildren = FVisibleCount > 0;
}

int TBaseTreeNodeEh::GetVisibleCount()
{
    if (FVisibleItemsObsolete)
        BuildVisibleItems();
    return FVisibleCount == GetCount() ? GetCount() : int(FVisibleItems.size());
}

const TBaseTreeNodeEh::TNodeList& TBaseTreeNodeEh::GetVisibleItems()
{
    if (FVisibleItemsObsolete)
        BuildVisibleItems();
    return FVisibleCount == GetCount() ? FItems : FVisibleItems;
}

TBaseTreeNodeEh* TBaseTreeNodeEh::GetVisibleItem(int Index)
{
    const TNodeList& l = GetVisibleItems();
    if (Index < 0 || size_t(Index) >= l.size())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    return l[size_t(Index)];
}

bool TBaseTreeNodeEh::GetHasVisibleChildren()
{
    if (FVisibleItemsObsolete)
        BuildVisibleItems();
    return FHasVisibleChildren;
}

void TBaseTreeNodeEh::SetExpanded(bool Value)
{
    if (Value == FExpanded || !ExpandedChanging())
        return;
    FExpanded = Value;
    ExpandedChanged();
}

void TBaseTreeNodeEh::SetVisible(bool Value)
{
    if (Value == FVisible || !VisibleChanging())
        return;
    FVisible = Value;
    VisibleChanged();
}

bool TBaseTreeNodeEh::ExpandedChanging()
{
    return FOwner ? FOwner->ExpandedChanging(this) : true;
}

void TBaseTreeNodeEh::ExpandedChanged()
{
    if (FOwner)
        FOwner->ExpandedChanged(this);
}

void TBaseTreeNodeEh::VisibleChanged()
{
    if (FParent)
        FParent->ChildVisibleChanged(this);
}

void TBaseTreeNodeEh::ClearItems()
{
    FItems.clear();
    FVisibleItems.clear();
}

namespace {
[[noreturn]] void DifferentOwners()
{
    throw Exception(QStringLiteral("TBaseTreeNodeEh.Add: Tree nodes can not has different Owners"));
}
}

int TBaseTreeNodeEh::Add(TBaseTreeNodeEh* Node)
{
    if (Node->FOwner != FOwner)
        DifferentOwners();
    const int pos = GetCount();
    if (pos == FVisibleCount && Node->FVisible) {
        FItems.push_back(Node);
        Node->FVisibleIndex = pos;
        ++FVisibleCount;
    } else {
        FItems.push_back(Node);
    }
    VisibleItemsBecomeObsolete();
    return pos;
}

void TBaseTreeNodeEh::Insert(int Index, TBaseTreeNodeEh* Node)
{
    if (Node->FOwner != FOwner)
        DifferentOwners();
    if (Index < 0 || Index > GetCount())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    const bool allVisible = GetCount() == FVisibleCount && !FVisibleItemsObsolete;
    FItems.insert(FItems.begin() + Index, Node);
    if (allVisible && Node->FVisible)
        ++FVisibleCount;
    else
        VisibleItemsBecomeObsolete();
}

void TBaseTreeNodeEh::Delete(int Index)
{
    if (Index < 0 || Index >= GetCount())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    FItems.erase(FItems.begin() + Index);
    VisibleItemsBecomeObsolete();
}

void TBaseTreeNodeEh::SetLevel(int Level)
{
    if (Level == FLevel)
        return;
    if (FOwner && Level > FOwner->MaxLevel())
        throw Exception(QStringLiteral("TBaseTreeNodeEh.SetLevel: Max level exceed - ") + QString::number(FOwner->MaxLevel()));
    FLevel = Level;
    for (TBaseTreeNodeEh* n : FItems)
        n->SetLevel(Level + 1);
}

void TBaseTreeNodeEh::Exchange(int Index1, int Index2)
{
    if (Index1 == Index2)
        return;
    std::swap(FItems[size_t(Index1)], FItems[size_t(Index2)]);
    FItems[size_t(Index1)]->FIndex = Index1;
    FItems[size_t(Index2)]->FIndex = Index2;
}

void TBaseTreeNodeEh::QuickSort(int L, int R, const TCompareNodesEh& CompareProg, TObject* ParamSort)
{
    // A stable sort of the range: equal siblings keep their order, and any comparison that is a
    // strict weak ordering is safe.
    if (L < 0 || R >= GetCount() || L >= R)
        return;
    std::stable_sort(FItems.begin() + L, FItems.begin() + R + 1, [&](TBaseTreeNodeEh* a, TBaseTreeNodeEh* b) {
        return CompareProg(a, b, ParamSort) < 0;
    });
    for (int i = L; i <= R; ++i)
        FItems[size_t(i)]->FIndex = i;
    VisibleItemsBecomeObsolete();
}

void TBaseTreeNodeEh::SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse)
{
    if (FItems.empty())
        return;
    QuickSort(0, GetCount() - 1, CompareProg, ParamSort);
    if (ARecurse)
        for (TBaseTreeNodeEh* n : FItems)
            n->SortData(CompareProg, ParamSort, ARecurse);
}

bool TBaseTreeNodeEh::HasAncestor(TBaseTreeNodeEh* Node) const
{
    for (const TBaseTreeNodeEh* p = this; p && p->FParent; p = p->FParent)
        if (p == Node)
            return true;
    return false;
}

// ---------------------------------------------------------------- TTreeListEh

TTreeListEh::TTreeListEh(const TTreeNodeClassEh& ItemClass) : TComponent(nullptr), FItemClass(ItemClass)
{
    FRootNode.reset(FItemClass());
    FRoot = FRootNode.get();
    FRoot->FOwner = this;
    FRoot->FLevel = 0;
    FRoot->FExpanded = false;
}

TTreeListEh::~TTreeListEh()
{
    FRootNode.reset();
}

bool TTreeListEh::ExpandedChanging(TBaseTreeNodeEh* Node)
{
    return OnExpandedChanging ? OnExpandedChanging(Node) : true;
}

void TTreeListEh::ExpandedChanged(TBaseTreeNodeEh* Node)
{
    if (OnExpandedChanged)
        OnExpandedChanged(Node);
}

TBaseTreeNodeEh* TTreeListEh::CreateNodeApart(const QString& Text, TObject* Data)
{
    TBaseTreeNodeEh* n = FItemClass();
    n->FOwner = this;
    n->FData = Data;
    n->FText = Text;
    n->FLevel = 0;
    n->FIndex = -1;
    return n;
}

TBaseTreeNodeEh* TTreeListEh::AddChild(const QString& Text, TBaseTreeNodeEh* Parent, TObject* Data)
{
    std::unique_ptr<TBaseTreeNodeEh> n(CreateNodeApart(Text, Data));
    AddNode(n.get(), Parent ? Parent : FRoot, naAddChildEh, true);
    return n.release();
}

int TTreeListEh::SubtreeDepth(TBaseTreeNodeEh* Node)
{
    int d = Node->FLevel;
    for (TBaseTreeNodeEh* c : Node->FItems)
        d = std::max(d, SubtreeDepth(c));
    return d;
}

void TTreeListEh::AddNode(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex)
{
    if (!Node || Node == FRoot)
        return;
    if (!Destination)
        Destination = FRoot;
    if (Destination == FRoot && Mode != naAddChildEh && Mode != naAddChildFirstEh)
        return;
    // The new parent and the node's level; checked against the limit before anything changes,
    // so a refused node is left unattached rather than half-attached.
    TBaseTreeNodeEh* parent = nullptr;
    switch (Mode) {
    case naAddChildEh: case naAddChildFirstEh: parent = Destination; break;
    default: parent = Destination->FParent; break;
    }
    if (!parent)
        return;
    const int newLevel = parent->FLevel + 1;
    const int depth = newLevel + (SubtreeDepth(Node) - Node->FLevel);
    if (depth > FMaxLevel)
        throw Exception(QStringLiteral("TBaseTreeNodeEh.SetLevel: Max level exceed - ") + QString::number(FMaxLevel));

    switch (Mode) {
    case naAddEh:
        AddNode(Node, parent, naAddChildEh, false);
        return;
    case naAddFirstEh:
        AddNode(Node, parent, naAddChildFirstEh, ReIndex);
        return;
    case naAddChildEh:
        Node->FParent = Destination;
        Destination->FHasChildren = true;
        Node->FIndex = Destination->Add(Node);
        Node->SetLevel(Destination->FLevel + 1);
        break;
    case naAddChildFirstEh:
        Node->FParent = Destination;
        Destination->FHasChildren = true;
        Destination->Insert(0, Node);
        Node->FIndex = 0;
        Node->SetLevel(Destination->FLevel + 1);
        if (ReIndex)
            UpdateNodeIndexes(Destination, false);
        break;
    case naInsertEh: {
        const int at = Destination->FIndex;
        Node->FParent = parent;
        parent->FHasChildren = true;
        parent->Insert(at, Node);
        Node->FIndex = at;
        Node->SetLevel(parent->FLevel + 1);
        if (ReIndex)
            UpdateNodeIndexes(parent, false, at, -1);
        break;
    }
    case naAddAfterEh:
        if (Destination->FIndex >= parent->GetCount() - 1)
            AddNode(Node, Destination, naAddEh, ReIndex);
        else
            AddNode(Node, parent->FItems[size_t(Destination->FIndex + 1)], naInsertEh, ReIndex);
        return;
    }
    NodeAttachmentChanged(Node, false, -1, nullptr);
}

void TTreeListEh::UpdateNodeIndexes(TBaseTreeNodeEh* Node, bool Recurse, int FromIndex, int ToIndex)
{
    if (!Node)
        Node = FRoot;
    Node->FVisibleItems.clear();
    if (FromIndex < 0)
        FromIndex = 0;
    if (ToIndex < 0 || ToIndex >= Node->GetCount())
        ToIndex = Node->GetCount() - 1;
    for (int i = FromIndex; i <= ToIndex; ++i) {
        TBaseTreeNodeEh* c = Node->FItems[size_t(i)];
        c->FIndex = i;
        if (Recurse)
            UpdateNodeIndexes(c, true);
    }
    Node->VisibleItemsBecomeObsolete();
}

void TTreeListEh::DetachNode(TBaseTreeNodeEh* Node, bool ReIndex)
{
    if (!Node || !Node->FParent)
        return;
    TBaseTreeNodeEh* parent = Node->FParent;
    const int oldIndex = Node->FIndex;
    int at = oldIndex;
    if (at < 0 || at >= parent->GetCount() || parent->FItems[size_t(at)] != Node) {
        const auto it = std::find(parent->FItems.begin(), parent->FItems.end(), Node);
        if (it == parent->FItems.end())
            return;
        at = int(it - parent->FItems.begin());
    }
    const bool notLast = at < parent->GetCount() - 1;
    parent->Delete(at);
    parent->FHasChildren = parent->GetCount() > 0;
    if (ReIndex && notLast)
        UpdateNodeIndexes(parent, false);
    NodeAttachmentChanged(Node, true, oldIndex, parent);
}

void TTreeListEh::DeleteNode(TBaseTreeNodeEh* Node, bool ReIndex)
{
    if (!Node || Node == FRoot)
        return;
    DeleteChildren(Node);
    DetachNode(Node, ReIndex);
    delete Node;
}

void TTreeListEh::DeleteChildren(TBaseTreeNodeEh* Node)
{
    if (!Node)
        Node = FRoot;
    TBaseTreeNodeEh::TNodeList items = Node->FItems;
    Node->ClearItems();
    for (TBaseTreeNodeEh* n : items)
        delete n;
}

void TTreeListEh::MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex)
{
    if (!Node || Node == FRoot || !Destination)
        return;
    if (Destination == FRoot && Mode != naAddChildEh && Mode != naAddChildFirstEh)
        return;
    if (Destination->HasAncestor(Node))
        throw Exception(QStringLiteral("Reference-loop found"));
    TBaseTreeNodeEh* target = (Mode == naAddChildEh || Mode == naAddChildFirstEh) ? Destination : Destination->FParent;
    if (!target)
        return;
    const int depth = target->FLevel + 1 + (SubtreeDepth(Node) - Node->FLevel);
    if (depth > FMaxLevel)
        throw Exception(QStringLiteral("TBaseTreeNodeEh.SetLevel: Max level exceed - ") + QString::number(FMaxLevel));
    // An unattached node has no parent list to leave.
    if (TBaseTreeNodeEh* old = Node->FParent) {
        const auto it = std::find(old->FItems.begin(), old->FItems.end(), Node);
        if (it != old->FItems.end()) {
            old->Delete(int(it - old->FItems.begin()));
            old->FHasChildren = old->GetCount() > 0;
            if (ReIndex)
                UpdateNodeIndexes(old, false);
        }
        Node->FParent = nullptr;
    }
    AddNode(Node, Destination, Mode, ReIndex);
}

void TTreeListEh::SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse)
{
    FRoot->SortData(CompareProg, ParamSort, ARecurse);
}

void TTreeListEh::Expand(TBaseTreeNodeEh* Node, bool Recurse)
{
    if (!Node)
        Node = FRoot;
    if (Node->GetCount() == 0)
        return;
    if (Node != FRoot)
        Node->SetExpanded(true);
    if (Recurse)
        for (TBaseTreeNodeEh* c : TBaseTreeNodeEh::TNodeList(Node->FItems))
            Expand(c, true);
}

void TTreeListEh::Collapse(TBaseTreeNodeEh* Node, bool Recurse)
{
    if (!Node)
        Node = FRoot;
    Node->SetExpanded(false);
    if (Recurse)
        for (TBaseTreeNodeEh* c : TBaseTreeNodeEh::TNodeList(Node->FItems))
            Collapse(c, true);
}

TBaseTreeNodeEh* TTreeListEh::GetFirstChild(TBaseTreeNodeEh* Node) const
{
    return Node && !Node->FItems.empty() ? Node->FItems.front() : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetLastChild(TBaseTreeNodeEh* Node) const
{
    return Node && !Node->FItems.empty() ? Node->FItems.back() : nullptr;
}

namespace {
int PositionInParent(TBaseTreeNodeEh* Node)
{
    TBaseTreeNodeEh* p = Node->Parent();
    const int i = Node->Index();
    if (i >= 0 && i < p->Count() && p->Items()[size_t(i)] == Node)
        return i;
    const auto& items = p->Items();
    const auto it = std::find(items.begin(), items.end(), Node);
    return it == items.end() ? -1 : int(it - items.begin());
}
}

TBaseTreeNodeEh* TTreeListEh::GetPrevSibling(TBaseTreeNodeEh* Node) const
{
    if (!Node || !Node->FParent)
        return nullptr;
    const int i = PositionInParent(Node);
    return i > 0 ? Node->FParent->FItems[size_t(i - 1)] : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetNextSibling(TBaseTreeNodeEh* Node) const
{
    if (!Node || !Node->FParent)
        return nullptr;
    const int i = PositionInParent(Node);
    return i >= 0 && i + 1 < Node->FParent->GetCount() ? Node->FParent->FItems[size_t(i + 1)] : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetFirst() const
{
    return GetFirstChild(FRoot);
}

TBaseTreeNodeEh* TTreeListEh::GetNext(TBaseTreeNodeEh* Node) const
{
    if (!Node || Node == FRoot)
        return Node;
    if (!Node->FItems.empty())
        return Node->FItems.front();
    for (TBaseTreeNodeEh* n = Node; n && n != FRoot; n = n->FParent)
        if (TBaseTreeNodeEh* s = GetNextSibling(n))
            return s;
    return nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetPrevious(TBaseTreeNodeEh* Node) const
{
    if (!Node || Node == FRoot)
        return Node;
    if (TBaseTreeNodeEh* s = GetPrevSibling(Node)) {
        while (!s->FItems.empty())
            s = s->FItems.back();
        return s;
    }
    return Node->FParent == FRoot ? nullptr : Node->FParent;
}

TBaseTreeNodeEh* TTreeListEh::GetLast(TBaseTreeNodeEh* Node) const
{
    if (!Node)
        Node = FRoot;
    if (Node->FItems.empty())
        return nullptr;
    while (!Node->FItems.empty())
        Node = Node->FItems.back();
    return Node;
}

bool TTreeListEh::HasChildNodes(TBaseTreeNodeEh* Node) const
{
    return !(Node ? Node : FRoot)->FItems.empty();
}

TBaseTreeNodeEh* TTreeListEh::FindNode(TBaseTreeNodeEh* Node, TObject* Data) const
{
    for (TBaseTreeNodeEh* c : (Node ? Node : FRoot)->FItems) {
        if (c->FData == Data)
            return c;
        if (TBaseTreeNodeEh* f = FindNode(c, Data))
            return f;
    }
    return nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetFirstVisible() const
{
    for (TBaseTreeNodeEh* c : FRoot->FItems)
        if (c->FVisible)
            return c;
    return nullptr;
}

bool TTreeListEh::GetPathVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const
{
    if (!Node || Node == FRoot)
        return false;
    for (TBaseTreeNodeEh* p = Node->FParent; p; p = p->FParent) {
        if (p == FRoot)
            return true;
        if (!p->FVisible || (ConsiderCollapsed && !p->FExpanded))
            return false;
    }
    return false;
}

TBaseTreeNodeEh* TTreeListEh::GetVisibleAncestor(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const
{
    // The nearest ancestor that is itself shown.
    for (TBaseTreeNodeEh* a = Node ? Node->FParent : nullptr; a; a = a->FParent) {
        if (a == FRoot)
            return FRoot;
        if (a->FVisible && GetPathVisible(a, ConsiderCollapsed))
            return a;
    }
    return FRoot;
}

TBaseTreeNodeEh* TTreeListEh::GetNextVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const
{
    if (!Node || Node == FRoot)
        return nullptr;
    TBaseTreeNodeEh* n = Node;
    if (!Node->FVisible || !GetPathVisible(Node, ConsiderCollapsed))
        n = GetVisibleAncestor(Node, ConsiderCollapsed);
    TBaseTreeNodeEh* cur = n;
    if (!n->FItems.empty() && (n == FRoot || n->FExpanded || !ConsiderCollapsed)) {
        cur = n->FItems.front();
        if (cur->FVisible)
            return cur;
    }
    if (cur == FRoot)
        return nullptr;
    while (cur && cur != FRoot) {
        for (TBaseTreeNodeEh* s = GetNextSibling(cur); s; s = GetNextSibling(s))
            if (s->FVisible)
                return s;
        cur = cur->FParent;
    }
    return nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetNextVisibleSibling(TBaseTreeNodeEh* Node) const
{
    if (!Node || !Node->FParent)
        return nullptr;
    TBaseTreeNodeEh* p = Node->FParent;
    if (p->GetVisibleCount() == p->GetCount())
        return GetNextSibling(Node);
    const auto& vis = p->GetVisibleItems();
    const int i = Node->FVisibleIndex + 1;
    return i >= 0 && size_t(i) < vis.size() ? vis[size_t(i)] : nullptr;
}
