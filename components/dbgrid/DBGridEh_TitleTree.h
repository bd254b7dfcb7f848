// The multi-line title tree: titles split by "|" into levels shared by neighbouring columns.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"

#include <functional>
#include <vector>

class TColumnEh;
class TCustomDBGridEh;
class THeadTreeNode;

// One title cell. Siblings form a ring: the last one's Next is the host's first child, and a
// single node's Next is itself. A node owns its children; only a root frees them itself, a
// child is freed by its host's FreeAllChild.
class THeadTreeNode : public TObject {
public:
    THeadTreeNode();
    THeadTreeNode(const QString& AText, int AWidth, int AHeight);
    ~THeadTreeNode() override;
    THeadTreeNode(const THeadTreeNode&) = delete;
    THeadTreeNode& operator=(const THeadTreeNode&) = delete;

    static THeadTreeNode* CreateText(const QString& AText, int AWidth, int AHeight)
    {
        return Create<THeadTreeNode>(AText, AWidth, AHeight);
    }

    // A new node after AAfter in its ring (same host).
    THeadTreeNode* Add(THeadTreeNode* AAfter, const QString& AText, int AWidth, int AHeight);
    // A new last child of ANode.
    THeadTreeNode* AddChild(THeadTreeNode* ANode, const QString& AText, int AWidth, int AHeight);
    // Puts the siblings AFrom..ATo under a new header node taking AHeight off each of them.
    THeadTreeNode* Union(THeadTreeNode* AFrom, THeadTreeNode* ATo, int AHeight, const QString& AText);
    // Whether ANode is this node, one of its ring siblings or a descendant of any of them.
    bool Find(const THeadTreeNode* ANode) const;
    void FreeAllChild();
    int GetLevel() const { return GetDepth(this); }
    int GetDepth(const THeadTreeNode* ANode) const;
    // Every descendant, pre-order: a node, its subtree, then its next sibling.
    void DoForAllNode(const std::function<void(THeadTreeNode*)>& Proc);
    // Rebuilds the tree under this root from the grid's columns.
    void CreateFieldTree(TCustomDBGridEh* AGrid);

    THeadTreeNode* Child = nullptr;
    TColumnEh* Column = nullptr;
    bool Drawn = false;
    int Height = 0;
    int HeightPrn = 0;
    THeadTreeNode* Host = nullptr;
    THeadTreeNode* Next = nullptr;
    QString Text;
    int VLineWidth = 0;
    int Width = 0;
    int WidthPrn = 0;
    int WIndent = 0;
};

// One title leaf per column, in column order.
struct TLeafFieldRecEh {
    THeadTreeNode* FLeaf = nullptr;
    TColumnEh* FColumn = nullptr;
};
using TLeafFieldArrEh = std::vector<TLeafFieldRecEh>;

// What a leaf is made of, gathered from a column and the grid's line settings.
struct THeadLeafSourceEh {
    QString Text;
    int Width = 0;
    int Height = 0;
    int VLineWidth = 0;
    int WIndent = 0;
    TColumnEh* Column = nullptr;
};

// Lays the leaves under ARoot (whose old children are freed) and merges neighbouring leaves
// whose captions start with the same word into shared headers; Leaves gets one entry per
// source, in order.
void BuildHeadTreeEh(THeadTreeNode* ARoot, const std::vector<THeadLeafSourceEh>& Sources, TLeafFieldArrEh& Leaves);

// Words of a caption: maximal runs of characters other than "|", counted from 1. The start
// is a 0-based position, -1 when there is no such word.
int HeadTextWordPosEh(const QString& Text, int N);
QString HeadTextWordEh(const QString& Text, int N);
