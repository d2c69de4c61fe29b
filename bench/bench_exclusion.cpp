// Removing a full history list from a full candidate list: the counting pass against the literal scan.
#include "model/Exclusion.h"
#include "model/LiteralExclusion.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int FullList = 32767;

// Candidates 0..32766; history holds every other candidate from the bottom up, half of them twice, and names
// that are not candidates at all, so that most scans run far down the list or to its end.
struct Lists
{
    QStringList candidates;
    QStringList history;

    Lists()
    {
        for (int i = 0; i < FullList; ++i)
            candidates.append(QStringLiteral("企业%1").arg(i, 5, 10, QLatin1Char('0')));
        for (int i = FullList - 1; history.size() < FullList; i -= 2) {
            if (i < 0) {
                history.append(QStringLiteral("未列入%1").arg(history.size()));
                continue;
            }
            history.append(candidates.at(i));
            if (i % 4 == 0 && history.size() < FullList)
                history.append(candidates.at(i));
        }
    }
};

const Lists& lists()
{
    static const Lists l;
    return l;
}

void BM_CountingPass(benchmark::State& state)
{
    const Lists& l = lists();
    for (auto _ : state)
        benchmark::DoNotOptimize(pelorin::excludeHistory(l.candidates, l.history));
}

void BM_LiteralScan(benchmark::State& state)
{
    const Lists& l = lists();
    for (auto _ : state)
        benchmark::DoNotOptimize(pelorin::test::excludeHistoryByScan(l.candidates, l.history));
}

} // namespace

BENCHMARK(BM_CountingPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralScan)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
