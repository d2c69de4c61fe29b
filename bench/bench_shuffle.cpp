// Shuffle of the largest list a category can hold.
#include "model/Shuffle.h"
#include "platform/SystemRandom.h"

#include <benchmark/benchmark.h>

using namespace pelorin;

namespace {

QStringList names(int n)
{
    QStringList items;
    items.reserve(n);
    for (int i = 0; i < n; ++i)
        items.append(QStringLiteral("企业名称%1").arg(i));
    return items;
}

// The same picks with the remaining positions kept in an array that closes its gap after every pick.
QStringList shuffledByArrayRemoval(const QStringList& items, IRandom& random)
{
    std::vector<int> remaining(static_cast<std::size_t>(items.size()));
    for (int k = 0; k < items.size(); ++k)
        remaining[static_cast<std::size_t>(k)] = k;
    QStringList result;
    for (int upper = static_cast<int>(items.size()) - 1; upper != 0; --upper) {
        const int r = RandomBetween(0, upper, random);
        result.append(items[remaining[static_cast<std::size_t>(r)]]);
        RemoveAtIndex(remaining, r);
    }
    result.append(items[remaining[0]]);
    return result;
}

void BM_ShuffleList(benchmark::State& state)
{
    SystemRandom random(1);
    QStringList list = names(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ShuffleList(list, random));
}
BENCHMARK(BM_ShuffleList)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);

void BM_ShuffleByArrayRemoval(benchmark::State& state)
{
    SystemRandom random(1);
    const QStringList items = names(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(shuffledByArrayRemoval(items, random));
}
BENCHMARK(BM_ShuffleByArrayRemoval)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
