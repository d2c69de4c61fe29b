// 检查任务分配 at its largest expected size: 2,000 enterprises, 60 组长, 60 副组长 and 180 成员 (groups of one
// of each and three 成员), 20,000 random 回避 pairs. A new seed every run. The impossible case adds 40 enterprises
// that only one 组长 may check, more than one group's places, so that all 100 formations are tried.
#include "fakes/CountingSeeds.h"
#include "model/SeededStream.h"
#include "model/TaskAssignment.h"

#include <benchmark/benchmark.h>

using namespace pelorin;

namespace {

TaskInput largest(bool impossible)
{
    TaskInput in;
    const auto names = [](const QString& label, int count) {
        QStringList list;
        for (int i = 0; i < count; ++i)
            list.append(label.arg(i));
        return list;
    };
    in.leaders = names(QStringLiteral("组长%1"), 60);
    in.deputies = names(QStringLiteral("副组长%1"), 60);
    in.members = names(QStringLiteral("成员%1"), 180);
    in.enterprises = names(QStringLiteral("某某市某某区第%1检查企业有限公司"), 2000);
    const QStringList inspectors = in.leaders + in.deputies + in.members;
    SeededStream pairs(test::numberedSeed(-1));
    while (in.avoidances.size() < 20000) {
        const int who = pairs.between(0, 299);
        const int what = pairs.between(0, 1999);
        if (!impossible || who != 0 || what >= 40) // 组长0 is the one who may check the 40
            in.avoidances.append({ inspectors[who], in.enterprises[what] });
    }
    if (impossible)
        for (int e = 0; e < 40; ++e)
            for (int g = 1; g < 60; ++g)
                in.avoidances.append({ in.leaders[g], in.enterprises[e] });
    in.settings = { 3, true, TaskSettings::ShareOut::Even, 1 };
    return in;
}

void assignLargest(benchmark::State& state, bool impossible)
{
    const TaskInput in = largest(impossible);
    int run = 0;
    for (auto _ : state) {
        SeededStream stream(test::numberedSeed(run++));
        const TaskAssignment out = assignTasks(in, stream);
        if (out.ok() == impossible)
            state.SkipWithError(out.ok() ? "assigned" : "not assigned");
        benchmark::DoNotOptimize(out);
    }
}

void BM_AssignTasks(benchmark::State& state)
{
    assignLargest(state, false);
}
BENCHMARK(BM_AssignTasks)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly();

void BM_AssignTasksImpossible(benchmark::State& state)
{
    assignLargest(state, true);
}
BENCHMARK(BM_AssignTasksImpossible)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace

BENCHMARK_MAIN();
