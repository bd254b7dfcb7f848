// A sequence of element pointers kept in blocks of at most a few hundred, with a Fenwick tree
// over the block sizes. Inserting or removing in the middle moves one block, not the whole
// array; an element finds its position from the block it records in itself. Access by
// position, insert, erase and position-of cost O(B + log n) for the block size B.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

struct TSeqBlockEh {
    std::vector<void*> Items;
    int Ordinal = 0;              // position among the sequence's blocks
    const void* Owner = nullptr;  // the sequence
};

class TBlockSeqEh {
public:
    // Tells an element which block now holds it (nullptr when it leaves the sequence).
    using SetBlockFn = void (*)(void* Element, TSeqBlockEh* Block);
    // Frees an element the sequence owns.
    using FreeFn = void (*)(void* Element);
    // With Free, the sequence owns its elements: Clear and destruction free those it holds;
    // Erase hands the erased one to the caller.
    explicit TBlockSeqEh(SetBlockFn SetBlock, FreeFn Free = nullptr) : FSetBlock(SetBlock), FFree(Free) {}
    ~TBlockSeqEh() { Clear(); }
    TBlockSeqEh(const TBlockSeqEh&) = delete;
    TBlockSeqEh& operator=(const TBlockSeqEh&) = delete;

    int Size() const { return FSize; }
    bool Empty() const { return FSize == 0; }
    void* At(int Pos) const;
    void* Front() const { return FBlocks.front()->Items.front(); }
    void* Back() const { return FBlocks.back()->Items.back(); }
    void Insert(int Pos, void* Element);
    void PushBack(void* Element) { Insert(FSize, Element); }
    void* Erase(int Pos);
    void Set(int Pos, void* Element);
    // The position of an element held by Block; -1 when Block is not one of this sequence's.
    int PositionOf(const void* Element, const TSeqBlockEh* Block) const;
    bool Owns(const TSeqBlockEh* Block) const { return Block && Block->Owner == this; }
    // Replaces the whole content (elements of the old content that are not in the new one are
    // neither told nor freed: callers free or re-add them).
    void Assign(const std::vector<void*>& Elements);
    void Clear();
    void ToVector(std::vector<void*>& Out) const;

    // The first position whose element is not "before" the target, for a predicate that is
    // True for a prefix of the sequence and False after it: O(log n) predicate calls.
    template <typename Before>
    int PartitionPoint(Before&& IsBefore) const
    {
        // Blocks whose last element is before the target lie wholly before the point.
        size_t lo = 0, hi = FBlocks.size();
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (IsBefore(FBlocks[mid]->Items.back()))
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo == FBlocks.size())
            return FSize;
        const std::vector<void*>& items = FBlocks[lo]->Items;
        size_t a = 0, b = items.size();
        while (a < b) {
            const size_t mid = a + (b - a) / 2;
            if (IsBefore(items[mid]))
                a = mid + 1;
            else
                b = mid;
        }
        return Prefix(int(lo)) + int(a);
    }

    template <typename F>
    void ForEach(F&& Fn) const
    {
        for (const auto& b : FBlocks)
            for (void* e : b->Items)
                Fn(e);
    }

private:
    static constexpr size_t kMaxBlock = 512;
    // Sum of the sizes of the blocks before block Ordinal.
    int Prefix(int Ordinal) const;
    void AddToTree(int Ordinal, int Delta);
    // The block holding Pos; Pos becomes the offset in it.
    int Find(int& Pos) const;
    void RebuildTree();
    void Split(int Ordinal);
    void RemoveBlock(int Ordinal);

    std::vector<std::unique_ptr<TSeqBlockEh>> FBlocks;
    std::vector<int> FTree;   // 1-based Fenwick tree over the block sizes
    int FSize = 0;
    SetBlockFn FSetBlock;
    FreeFn FFree;
};
