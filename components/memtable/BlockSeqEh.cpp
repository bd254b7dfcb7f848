#include "BlockSeqEh.h"

#include <algorithm>
#include <stdexcept>

int TBlockSeqEh::Prefix(int Ordinal) const
{
    int s = 0;
    for (int i = Ordinal; i > 0; i -= i & -i)
        s += FTree[size_t(i)];
    return s;
}

void TBlockSeqEh::AddToTree(int Ordinal, int Delta)
{
    for (size_t i = size_t(Ordinal) + 1; i < FTree.size(); i += i & (~i + 1))
        FTree[i] += Delta;
}

void TBlockSeqEh::RebuildTree()
{
    const size_t n = FBlocks.size();
    FTree.assign(n + 1, 0);
    for (size_t i = 0; i < n; ++i) {
        FBlocks[i]->Ordinal = int(i);
        FTree[i + 1] += int(FBlocks[i]->Items.size());
        const size_t up = (i + 1) + ((i + 1) & (~(i + 1) + 1));
        if (up <= n)
            FTree[up] += FTree[i + 1];
    }
}

int TBlockSeqEh::Find(int& Pos) const
{
    // Descend the Fenwick tree: the last block whose prefix is at most Pos.
    size_t at = 0;
    int rest = Pos;
    size_t step = 1;
    while (step * 2 < FTree.size())
        step *= 2;
    for (; step > 0; step /= 2)
        if (at + step < FTree.size() && FTree[at + step] <= rest) {
            at += step;
            rest -= FTree[at];
        }
    Pos = rest;
    return int(at);   // blocks 0 .. at-1 hold Pos - rest elements
}

void* TBlockSeqEh::At(int Pos) const
{
    if (Pos < 0 || Pos >= FSize)
        throw std::out_of_range("block sequence position");
    const int b = Find(Pos);
    return FBlocks[size_t(b)]->Items[size_t(Pos)];
}

void TBlockSeqEh::Set(int Pos, void* Element)
{
    if (Pos < 0 || Pos >= FSize)
        throw std::out_of_range("block sequence position");
    const int b = Find(Pos);
    TSeqBlockEh* block = FBlocks[size_t(b)].get();
    block->Items[size_t(Pos)] = Element;
    FSetBlock(Element, block);
}

void TBlockSeqEh::Insert(int Pos, void* Element)
{
    if (Pos < 0 || Pos > FSize)
        throw std::out_of_range("block sequence position");
    if (FBlocks.empty()) {
        auto b = std::make_unique<TSeqBlockEh>();
        b->Owner = this;
        b->Items.reserve(16);
        FBlocks.push_back(std::move(b));
        RebuildTree();
    }
    int b;
    if (Pos == FSize) {
        b = int(FBlocks.size()) - 1;
        Pos = int(FBlocks.back()->Items.size());
    } else {
        b = Find(Pos);
    }
    TSeqBlockEh* block = FBlocks[size_t(b)].get();
    block->Items.insert(block->Items.begin() + Pos, Element);
    FSetBlock(Element, block);
    ++FSize;
    AddToTree(b, 1);
    if (block->Items.size() > kMaxBlock)
        Split(b);
}

void TBlockSeqEh::Split(int Ordinal)
{
    TSeqBlockEh* block = FBlocks[size_t(Ordinal)].get();
    auto next = std::make_unique<TSeqBlockEh>();
    next->Owner = this;
    const size_t half = block->Items.size() / 2;
    next->Items.reserve(kMaxBlock + 1);
    next->Items.assign(block->Items.begin() + std::ptrdiff_t(half), block->Items.end());
    block->Items.resize(half);
    for (void* e : next->Items)
        FSetBlock(e, next.get());
    FBlocks.insert(FBlocks.begin() + Ordinal + 1, std::move(next));
    // Once per kMaxBlock / 2 inserts: renumbering the blocks is amortised over them.
    RebuildTree();
}

void TBlockSeqEh::RemoveBlock(int Ordinal)
{
    FBlocks.erase(FBlocks.begin() + Ordinal);
    RebuildTree();
}

void* TBlockSeqEh::Erase(int Pos)
{
    if (Pos < 0 || Pos >= FSize)
        throw std::out_of_range("block sequence position");
    const int b = Find(Pos);
    TSeqBlockEh* block = FBlocks[size_t(b)].get();
    void* e = block->Items[size_t(Pos)];
    block->Items.erase(block->Items.begin() + Pos);
    FSetBlock(e, nullptr);
    --FSize;
    if (block->Items.empty())
        RemoveBlock(b);
    else
        AddToTree(b, -1);
    return e;
}

int TBlockSeqEh::PositionOf(const void* Element, const TSeqBlockEh* Block) const
{
    if (!Owns(Block))
        return -1;
    const auto it = std::find(Block->Items.begin(), Block->Items.end(), Element);
    if (it == Block->Items.end())
        return -1;
    return Prefix(Block->Ordinal) + int(it - Block->Items.begin());
}

void TBlockSeqEh::Assign(const std::vector<void*>& Elements)
{
    FBlocks.clear();
    constexpr size_t fill = kMaxBlock / 2;
    for (size_t i = 0; i < Elements.size(); i += fill) {
        auto b = std::make_unique<TSeqBlockEh>();
        b->Owner = this;
        const size_t end = std::min(Elements.size(), i + fill);
        b->Items.reserve(kMaxBlock + 1);
        b->Items.assign(Elements.begin() + std::ptrdiff_t(i), Elements.begin() + std::ptrdiff_t(end));
        for (void* e : b->Items)
            FSetBlock(e, b.get());
        FBlocks.push_back(std::move(b));
    }
    FSize = int(Elements.size());
    RebuildTree();
}

void TBlockSeqEh::Clear()
{
    ForEach([this](void* e) {
        FSetBlock(e, nullptr);
        if (FFree)
            FFree(e);
    });
    FBlocks.clear();
    FTree.clear();
    FSize = 0;
}

void TBlockSeqEh::ToVector(std::vector<void*>& Out) const
{
    Out.clear();
    Out.reserve(size_t(FSize));
    ForEach([&](void* e) { Out.push_back(e); });
}
