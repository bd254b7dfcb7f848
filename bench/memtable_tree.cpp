// A table of 1,000,000 records shown as a tree (100 top nodes, ten children per node, five
// levels; records in shuffled order, no indexes): switching the tree view on, then expanding
// level by level down to the last and collapsing back level by level, each step ending with the
// shown row count and a move to the first row, as a grid would ask. The floor does the same
// work by hand: parent -> children vectors from a hash of the keys, and the list of shown rows
// walked anew after each level.
#include "components/memtable/MemTableEh.h"

#include <QHash>

#include <chrono>
#include <cstdio>
#include <functional>
#include <numeric>
#include <random>

namespace {

constexpr int kRows = 1000000;
constexpr int kTop = 100;
constexpr int kFan = 10;

struct Rec {
    int id, parent;   // parent 0: none
};

// Ids 1..kRows breadth-first: the first kTop are top nodes, the children of id p are the kFan
// ids after them; then shuffled.
std::vector<Rec> MakeRecs()
{
    std::vector<Rec> recs(kRows);
    for (int i = 0; i < kRows; ++i)
        recs[size_t(i)] = {i + 1, i < kTop ? 0 : (i - kTop) / kFan + 1};
    std::mt19937 rng(7);
    std::shuffle(recs.begin(), recs.end(), rng);
    return recs;
}

double Ms(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// ---- the floor

struct HandTree {
    std::vector<std::vector<int>> children;   // slot 0: the top nodes; else by position + 1
    std::vector<int> level;
    std::vector<char> expanded;
    std::vector<int> shown;

    void Build(const std::vector<Rec>& recs)
    {
        const int n = int(recs.size());
        QHash<int, int> byId;
        byId.reserve(n);
        for (int i = 0; i < n; ++i)
            byId.insert(recs[size_t(i)].id, i);
        children.assign(size_t(n) + 1, {});
        for (int i = 0; i < n; ++i) {
            const int p = recs[size_t(i)].parent ? byId.value(recs[size_t(i)].parent, -1) : -1;
            children[size_t(p + 1)].push_back(i);
        }
        level.assign(size_t(n), 0);
        expanded.assign(size_t(n), 0);
        std::vector<int> stack(children[0].rbegin(), children[0].rend());
        for (int i : children[0])
            level[size_t(i)] = 1;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            for (int c : children[size_t(i) + 1]) {
                level[size_t(c)] = level[size_t(i)] + 1;
                stack.push_back(c);
            }
        }
    }

    void Walk()
    {
        shown.clear();
        std::vector<int> stack(children[0].rbegin(), children[0].rend());
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            shown.push_back(i);
            if (expanded[size_t(i)])
                for (auto it = children[size_t(i) + 1].rbegin(); it != children[size_t(i) + 1].rend(); ++it)
                    stack.push_back(*it);
        }
    }

    void SetLevel(int L, bool Value)
    {
        for (size_t i = 0; i < level.size(); ++i)
            if (level[i] == L && !children[i + 1].empty())
                expanded[i] = Value;
        Walk();
    }
};

// ---- the table

std::vector<std::vector<TMemRecViewEh*>> NodesByLevel(TMemoryTreeListEh* tree)
{
    std::vector<std::vector<TMemRecViewEh*>> out;
    std::vector<TBaseTreeNodeEh*> stack(tree->Root()->Items().begin(), tree->Root()->Items().end());
    while (!stack.empty()) {
        auto* n = static_cast<TMemRecViewEh*>(stack.back());
        stack.pop_back();
        if (size_t(n->NodeLevel()) >= out.size())
            out.resize(size_t(n->NodeLevel()) + 1);
        if (n->NodesCount() > 0)
            out[size_t(n->NodeLevel())].push_back(n);
        stack.insert(stack.end(), n->Items().begin(), n->Items().end());
    }
    return out;
}

void SetLevel(TMemTableEh* t, const std::vector<TMemRecViewEh*>& nodes, bool Value)
{
    t->DisableControls();
    for (TMemRecViewEh* n : nodes)
        n->SetNodeExpanded(Value);
    t->EnableControls();
    t->First();
}

} // namespace

int main()
{
    const std::vector<Rec> recs = MakeRecs();
    std::printf("%d records, %d top nodes, %d children per node\n", kRows, kTop, kFan);
    std::printf("%-34s %10s %10s %8s\n", "step", "table ms", "floor ms", "rows");

    HandTree hand;
    const double handBuild = Ms([&] {
        hand.Build(recs);
        hand.Walk();
    });

    auto owner = CreateUnique<TComponent>(nullptr);
    TMemTableEh* t = Create<TMemTableEh>(owner.get());
    TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
    ds->BuildDataFieldForDef("Id", ftInteger, 0, 0);
    ds->BuildDataFieldForDef("ParentId", ftInteger, 0, 0);
    TRecordsListEh* list = t->RecordsStore()->RecordsList();
    for (const Rec& r : recs) {
        TMemoryRecordEh* m = list->NewRecord();
        m->SetDataValue(0, dvvValueEh, Variant(r.id));
        m->SetDataValue(1, dvvValueEh, r.parent ? Variant(r.parent) : Variant::Null());
        list->FetchRecord(m);
    }
    t->Open();
    t->TreeList()->SetKeyFieldName("Id");
    t->TreeList()->SetRefParentFieldName("ParentId");
    const double build = Ms([&] {
        t->TreeList()->SetActive(true);
        t->First();
    });
    std::printf("%-34s %10.0f %10.0f %8d\n", "tree view on", build, handBuild, t->RecordCount());

    const auto levels = NodesByLevel(t->RecordsView()->MemoryTreeList());
    const int deepest = int(levels.size()) - 1;
    double total = 0, handTotal = 0;
    for (int L = 1; L <= deepest; ++L) {
        const double ms = Ms([&] { SetLevel(t, levels[size_t(L)], true); });
        const double hm = Ms([&] { hand.SetLevel(L, true); });
        total += ms;
        handTotal += hm;
        std::printf("expand level %-21d %10.0f %10.0f %8d\n", L, ms, hm, t->RecordCount());
        if (t->RecordCount() != int(hand.shown.size()))
            std::printf("rows differ from the floor: %d\n", int(hand.shown.size()));
    }
    for (int L = deepest; L >= 1; --L) {
        const double ms = Ms([&] { SetLevel(t, levels[size_t(L)], false); });
        const double hm = Ms([&] { hand.SetLevel(L, false); });
        total += ms;
        handTotal += hm;
        std::printf("collapse level %-19d %10.0f %10.0f %8d\n", L, ms, hm, t->RecordCount());
    }
    std::printf("%-34s %10.0f %10.0f\n", "all expand and collapse steps", total, handTotal);
    const double full = Ms([&] { t->TreeList()->FullExpand(); });
    std::printf("%-34s %10.0f %10s %8d\n", "FullExpand", full, "", t->RecordCount());
    const double locate = Ms([&] {
        t->TreeList()->FullCollapse();
        t->TreeList()->Locate("Id", Variant(kRows), {});
    });
    std::printf("%-34s %10.0f %10s %8d\n", "FullCollapse, locate the last id", locate, "", t->RecordCount());
    return 0;
}
