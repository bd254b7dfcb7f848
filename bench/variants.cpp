// Variants as the in-memory table keeps them: a column of 200,000 values per kind.
// Reports the time to fill, copy, compare and total a column, and the size of one Variant.
#include "platform/rtl/Variants.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 200000;

std::vector<Variant> Column(TVarType kind)
{
    std::vector<Variant> col;
    col.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        switch (kind) {
        case varInteger: col.emplace_back(i); break;
        case varCurrency: col.emplace_back(Currency::FromRaw(int64_t(i) * 137)); break;
        case varDate: col.push_back(Variant::FromDate(45000 + i % 365)); break;
        default: col.emplace_back(QStringLiteral("ООО Ромашка %1").arg(i % 5000)); break;
        }
    }
    return col;
}

void BM_Fill(benchmark::State& state)
{
    const auto kind = TVarType(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(Column(kind));
    state.counters["bytes_per_value"] = double(sizeof(Variant));
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Fill)->Arg(varInteger)->Arg(varCurrency)->Arg(varDate)->Arg(varUString);

void BM_Copy(benchmark::State& state)
{
    const auto col = Column(TVarType(state.range(0)));
    for (auto _ : state) {
        std::vector<Variant> copy = col;
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Copy)->Arg(varInteger)->Arg(varUString);

void BM_CompareNeighbours(benchmark::State& state)
{
    const auto col = Column(TVarType(state.range(0)));
    for (auto _ : state) {
        int less = 0;
        for (int i = 1; i < kRows; ++i)
            less += VarCompareValue(col[i - 1], col[i]) == vrLessThan;
        benchmark::DoNotOptimize(less);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_CompareNeighbours)->Arg(varInteger)->Arg(varCurrency)->Arg(varDate)->Arg(varUString);

void BM_SumCurrency(benchmark::State& state)
{
    const auto col = Column(varCurrency);
    for (auto _ : state) {
        Variant sum;
        for (const Variant& v : col)
            sum = sum + v;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SumCurrency);

}  // namespace

BENCHMARK_MAIN();
