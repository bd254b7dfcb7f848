#include "DBGridEh.h"

namespace {

const char* const SNodeNotInTree = "Node not in Tree";
const char* const SToNotInLevel = "ATo not in level";

// The header height a merge takes off the merged cells until the title height is computed.
constexpr int MergedHeaderHeight = 20;

THeadTreeNode* PriorSibling(THeadTreeNode* ANode)
{
    THeadTreeNode* p = ANode;
    while (p->Next != ANode)
        p = p->Next;
    return p;
}

} // namespace

THeadTreeNode::THeadTreeNode() : Next(this) {}

THeadTreeNode::THeadTreeNode(const QString& AText, int AWidth, int AHeight)
    : Height(AHeight), Next(this), Text(AText), Width(AWidth)
{
}

THeadTreeNode::~THeadTreeNode()
{
    if (!Host)
        FreeAllChild();
}

bool THeadTreeNode::Find(const THeadTreeNode* ANode) const
{
    const THeadTreeNode* n = this;
    do {
        if (n == ANode)
            return true;
        if (n->Child && n->Child->Find(ANode))
            return true;
        n = n->Next;
    } while (n != this);
    return false;
}

THeadTreeNode* THeadTreeNode::Add(THeadTreeNode* AAfter, const QString& AText, int AWidth, int AHeight)
{
    if (!AAfter || !Find(AAfter))
        throw Exception(QString::fromLatin1(SNodeNotInTree));
    THeadTreeNode* node = CreateText(AText, AWidth, AHeight);
    node->Host = AAfter->Host;
    node->Next = AAfter->Next;
    AAfter->Next = node;
    return node;
}

THeadTreeNode* THeadTreeNode::AddChild(THeadTreeNode* ANode, const QString& AText, int AWidth, int AHeight)
{
    if (!ANode || !Find(ANode))
        throw Exception(QString::fromLatin1(SNodeNotInTree));
    if (!ANode->Child) {
        THeadTreeNode* node = CreateText(AText, AWidth, AHeight);
        node->Host = ANode;
        ANode->Child = node;
        return node;
    }
    return Add(PriorSibling(ANode->Child), AText, AWidth, AHeight);
}

THeadTreeNode* THeadTreeNode::Union(THeadTreeNode* AFrom, THeadTreeNode* ATo, int AHeight, const QString& AText)
{
    if (!AFrom || !ATo || !Find(AFrom))
        throw Exception(QString::fromLatin1(SNodeNotInTree));
    if (AFrom != ATo) {
        // ATo must follow AFrom in the ring before the ring starts over at the first child.
        THeadTreeNode* first = AFrom->Host ? AFrom->Host->Child : AFrom;
        for (THeadTreeNode* n = AFrom->Next; n != ATo; n = n->Next)
            if (n == first || n == AFrom)
                throw Exception(QString::fromLatin1(SToNotInLevel));
        if (ATo == first)
            throw Exception(QString::fromLatin1(SToNotInLevel));
    }

    THeadTreeNode* header = Add(ATo, AText, 0, AHeight);
    header->VLineWidth = ATo->VLineWidth;

    THeadTreeNode* before = PriorSibling(AFrom);
    before->Next = header;
    header->Child = AFrom;
    if (AFrom->Host && AFrom->Host->Child == AFrom)
        AFrom->Host->Child = header;

    int width = 0;
    for (THeadTreeNode* n = AFrom;; n = n->Next) {
        n->Height -= AHeight;
        n->Host = header;
        width += n->Width + n->VLineWidth;
        if (n == ATo)
            break;
    }
    ATo->Next = AFrom;
    if (header->VLineWidth >= 1)
        width -= header->VLineWidth;
    header->Width = width;
    return header;
}

void THeadTreeNode::FreeAllChild()
{
    THeadTreeNode* first = Child;
    if (!first)
        return;
    Child = nullptr;
    THeadTreeNode* n = first;
    do {
        THeadTreeNode* next = n->Next;
        n->FreeAllChild();
        delete n;
        n = next;
    } while (n != first);
}

int THeadTreeNode::GetDepth(const THeadTreeNode* ANode) const
{
    int depth = 0;
    for (const THeadTreeNode* h = ANode ? ANode->Host : nullptr; h; h = h->Host)
        ++depth;
    return depth;
}

void THeadTreeNode::DoForAllNode(const std::function<void(THeadTreeNode*)>& Proc)
{
    THeadTreeNode* first = Child;
    if (!first)
        return;
    THeadTreeNode* n = first;
    do {
        Proc(n);
        n->DoForAllNode(Proc);
        n = n->Next;
    } while (n != first);
}

// ---------------------------------------------------------------- caption words

int HeadTextWordPosEh(const QString& Text, int N)
{
    int word = 0;
    for (int i = 0; i < Text.size(); ++i) {
        if (Text[i] == u'|')
            continue;
        if (i == 0 || Text[i - 1] == u'|') {
            if (++word == N)
                return i;
        }
    }
    return -1;
}

QString HeadTextWordEh(const QString& Text, int N)
{
    const int pos = HeadTextWordPosEh(Text, N);
    if (pos < 0)
        return QString();
    int end = Text.indexOf(u'|', pos);
    if (end < 0)
        end = int(Text.size());
    return Text.mid(pos, end - pos);
}

// ---------------------------------------------------------------- building the tree

void BuildHeadTreeEh(THeadTreeNode* ARoot, const std::vector<THeadLeafSourceEh>& Sources, TLeafFieldArrEh& Leaves)
{
    ARoot->FreeAllChild();
    Leaves.assign(Sources.size(), TLeafFieldRecEh{});
    for (size_t i = 0; i < Sources.size(); ++i) {
        const THeadLeafSourceEh& s = Sources[i];
        THeadTreeNode* leaf = ARoot->AddChild(ARoot, s.Text, s.Width, s.Height);
        leaf->Column = s.Column;
        leaf->WIndent = s.WIndent;
        leaf->VLineWidth = s.VLineWidth;
        Leaves[i] = TLeafFieldRecEh{leaf, s.Column};
    }

    const int count = int(Leaves.size());
    bool merged = true;
    while (merged) {
        merged = false;
        for (int i = 0; i < count && !merged; ++i) {
            THeadTreeNode* from = Leaves[size_t(i)].FLeaf;
            if (HeadTextWordPosEh(from->Text, 2) < 0)
                continue;
            const QString word = HeadTextWordEh(from->Text, 1);
            // The run stays under one host: neighbours of the same depth under other headers
            // keep their words (they get a header of their own under their host).
            int last = i;
            while (last + 1 < count) {
                THeadTreeNode* next = Leaves[size_t(last + 1)].FLeaf;
                if (next->Host != from->Host || HeadTextWordEh(next->Text, 1) != word)
                    break;
                ++last;
            }
            for (int k = i; k <= last; ++k) {
                THeadTreeNode* leaf = Leaves[size_t(k)].FLeaf;
                const int second = HeadTextWordPosEh(leaf->Text, 2);
                leaf->Text = second < 0 ? QString() : leaf->Text.mid(second);
            }
            ARoot->Union(from, Leaves[size_t(last)].FLeaf, MergedHeaderHeight, word);
            merged = true;
        }
    }
}
