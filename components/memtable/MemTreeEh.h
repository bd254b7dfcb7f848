// A general ordered tree: nodes keep their children in order with a lazily rebuilt list of the
// visible ones; the tree owns an invisible root and attaches, moves, walks and sorts nodes.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/Persistent.h"

#include <memory>
#include <vector>

class TTreeListEh;
class TBaseTreeNodeEh;

using TCompareNodesEh = Delegate<int(TBaseTreeNodeEh* Node1, TBaseTreeNodeEh* Node2, TObject* ParamSort)>;
using TTreeNodeNotifyEvent = Delegate<void(TBaseTreeNodeEh* Node)>;
using TTreeNodeNotifyResultEvent = Delegate<bool(TBaseTreeNodeEh* Node)>;

enum TNodeAttachModeEh { naAddEh, naAddFirstEh, naAddChildEh, naAddChildFirstEh, naInsertEh, naAddAfterEh };

class TBaseTreeNodeEh : public TPersistent {
public:
    using TNodeList = std::vector<TBaseTreeNodeEh*>;

    TBaseTreeNodeEh();
    ~TBaseTreeNodeEh() override;

    TObject* Data() const { return FData; }
    void SetData(TObject* v) { FData = v; }
    bool Expanded() const { return FExpanded; }
    void SetExpanded(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool HasChildren() const { return FHasChildren; }
    int Index() const { return FIndex; }
    int Level() const { return FLevel; }
    TTreeListEh* Owner() const { return FOwner; }
    TBaseTreeNodeEh* Parent() const { return FParent; }
    QString Text() const { return FText; }
    void SetText(const QString& v) { FText = v; }
    int VisibleIndex() const { return FVisibleIndex; }

    int GetCount() const { return int(FItems.size()); }
    int Count() const { return GetCount(); }
    TBaseTreeNodeEh* GetItem(int Index) const;   // EListError outside the range
    int GetVisibleCount();
    TBaseTreeNodeEh* GetVisibleItem(int Index);
    const TNodeList& GetVisibleItems();
    bool GetHasVisibleChildren();
    const TNodeList& Items() const { return FItems; }

    int Add(TBaseTreeNodeEh* Node);
    void Insert(int Index, TBaseTreeNodeEh* Node);
    void Delete(int Index);
    void SetLevel(int Level);
    void Exchange(int Index1, int Index2);
    void QuickSort(int L, int R, const TCompareNodesEh& CompareProg, TObject* ParamSort);
    bool HasAncestor(TBaseTreeNodeEh* Node) const;
    void BuildVisibleItems();

    virtual bool ExpandedChanging();
    virtual bool VisibleChanging() { return true; }
    virtual void VisibleItemsBecomeObsolete() { FVisibleItemsObsolete = true; }
    virtual void ChildVisibleChanged(TBaseTreeNodeEh* Child) { VisibleItemsBecomeObsolete(); }
    virtual void ClearItems();
    virtual void ExpandedChanged();
    virtual void SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse);
    virtual void VisibleChanged();

protected:
    TObject* FData = nullptr;
    bool FExpanded = false;
    bool FHasChildren = false;
    bool FHasVisibleChildren = false;
    int FIndex = -1;
    TNodeList FItems;
    int FLevel = 0;
    TTreeListEh* FOwner = nullptr;
    TBaseTreeNodeEh* FParent = nullptr;
    QString FText;
    bool FVisible = true;
    int FVisibleCount = 0;
    int FVisibleIndex = -1;
    TNodeList FVisibleItems;
    bool FVisibleItemsObsolete = false;

    friend class TTreeListEh;
};

// Makes a node of the tree's node class (the virtual constructor of the node class).
using TTreeNodeClassEh = std::function<TBaseTreeNodeEh*()>;

template <typename N> TTreeNodeClassEh TreeNodeClass() { return [] { return new N(); }; }

class TTreeListEh : public TComponent {
public:
    explicit TTreeListEh(const TTreeNodeClassEh& ItemClass);
    ~TTreeListEh() override;

    TBaseTreeNodeEh* Root() const { return FRoot; }
    int MaxLevel() const { return FMaxLevel; }
    void SetMaxLevel(int v) { FMaxLevel = v; }
    TTreeNodeNotifyResultEvent OnExpandedChanging;
    TTreeNodeNotifyEvent OnExpandedChanged;

    TBaseTreeNodeEh* CreateNodeApart(const QString& Text, TObject* Data);
    TBaseTreeNodeEh* AddChild(const QString& Text, TBaseTreeNodeEh* Parent, TObject* Data);
    void AddNode(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex);
    void DetachNode(TBaseTreeNodeEh* Node, bool ReIndex);
    void DeleteNode(TBaseTreeNodeEh* Node, bool ReIndex);
    void DeleteChildren(TBaseTreeNodeEh* Node);
    void Clear() { DeleteChildren(FRoot); }
    void Expand(TBaseTreeNodeEh* Node, bool Recurse);
    void Collapse(TBaseTreeNodeEh* Node, bool Recurse);
    void UpdateNodeIndexes(TBaseTreeNodeEh* Node, bool Recurse, int FromIndex = -1, int ToIndex = -1);

    TBaseTreeNodeEh* GetFirstChild(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetLastChild(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetPrevSibling(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetNextSibling(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetFirst() const;
    TBaseTreeNodeEh* GetNext(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetPrevious(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetLast(TBaseTreeNodeEh* Node = nullptr) const;
    bool HasChildNodes(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* FindNode(TBaseTreeNodeEh* Node, TObject* Data) const;
    TBaseTreeNodeEh* GetFirstVisible() const;
    bool GetPathVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const;
    TBaseTreeNodeEh* GetVisibleAncestor(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const;
    TBaseTreeNodeEh* GetNextVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const;
    TBaseTreeNodeEh* GetNextVisibleSibling(TBaseTreeNodeEh* Node) const;

    virtual bool ExpandedChanging(TBaseTreeNodeEh* Node);
    virtual void ExpandedChanged(TBaseTreeNodeEh* Node);
    virtual int CompareTreeNodes(TBaseTreeNodeEh* Rec1, TBaseTreeNodeEh* Rec2, TObject* ParamSort) { return 0; }
    virtual void MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex);
    virtual void SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse);
    virtual void NodeAttachmentChanged(TBaseTreeNodeEh* Node, bool Detached, int OldIndex, TBaseTreeNodeEh* OldParent) {}

protected:
    TTreeNodeClassEh FItemClass;
    int FMaxLevel = 1000;
    TBaseTreeNodeEh* FRoot = nullptr;   // the node FRootNode holds

private:
    std::unique_ptr<TBaseTreeNodeEh> FRootNode;
    // The deepest level below Node (Node's own level when it has no children).
    static int SubtreeDepth(TBaseTreeNodeEh* Node);
};
