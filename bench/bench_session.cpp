// The cost of keeping the session: a stop committed, an import's journal share, a restore of seven
// full categories, and the size of a realistic day's journal.
#include "app/AppContext.h"
#include "app/CommandScope.h"
#include "draw/DrawEngine.h"
#include "fakes/MemoryControls.h"
#include "lists/ModelNameList.h"
#include "lists/SeededShuffle.h"
#include "lists/SessionLists.h"
#include "platform/SystemSeedSource.h"
#include "platform/qt/SqlJournal.h"
#include "session/SessionKeeper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <deque>

using namespace pelorin;

namespace {

QStringList names(int count, const QString& prefix)
{
    QStringList result;
    result.reserve(count);
    for (int k = 0; k < count; ++k)
        result.append(prefix + QString::number(k).rightJustified(5, u'0'));
    return result;
}

// A context whose lists are the session's models and whose fields are in memory.
struct Pages
{
    AppContext context;
    SessionLists lists;
    std::deque<ModelNameList> adapters;
    std::deque<test::MemoryTextControl> texts;

    Pages()
    {
        for (Category i = 0; i < CategoryCount; ++i) {
            CategoryControls& c = context.category(i);
            c.candidates = &adapters.emplace_back(lists.list(i, ListKind::Candidates));
            c.results = &adapters.emplace_back(lists.list(i, ListKind::Results));
            c.history = &adapters.emplace_back(lists.list(i, ListKind::History));
            c.candidateCounter = &texts.emplace_back(QStringLiteral("XXXX"));
            c.presetCount = &texts.emplace_back(QStringLiteral("1"));
            c.drawnCount = &texts.emplace_back(QStringLiteral("0"));
        }
    }
};

void import(AppContext& context, Category i, const QStringList& list)
{
    CommandScope scope(context, QStringLiteral("import"), i);
    context.category(i).candidates->setItems(list);
    context.category(i).candidateCounter->setText(QString::number(list.size()));
}

void stop(AppContext& context, Category i, int pick)
{
    CommandScope scope(context, QStringLiteral("stop"), i);
    CategoryControls& c = context.category(i);
    const QString name = c.candidates->textAt(pick);
    // What a stop notes for the record, so the journal grows as the program's does.
    const int count = c.candidates->count();
    context.notes.note(drawnotes::Name, name);
    context.notes.note(drawnotes::Sector, pick + 1);
    context.notes.note(drawnotes::WheelCount, count);
    context.notes.note(drawnotes::Speed, 15);
    context.notes.note(drawnotes::Angle, 345);
    context.notes.note(drawnotes::Steps, qint64(345) * count);
    context.notes.note(drawnotes::ShownSteps, qint64(345) * count);
    context.notes.note(drawnotes::SlowStop, false);
    c.candidates->removeAt(pick);
    c.results->append(name);
    c.candidateCounter->setText(QString::number(c.candidates->count()));
    c.drawnCount->setText(QString::number(c.results->count()));
}

qint64 journalBytes(const QString& path)
{
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}

void BM_StopCommitted(benchmark::State& state)
{
    QTemporaryDir dir;
    auto opened = SqlJournal::open(dir.filePath(QStringLiteral("j.sqlite")));
    Pages pages;
    SessionKeeper keeper(pages.context, pages.lists, opened.journal.get(), QDateTime::currentDateTimeUtc());
    import(pages.context, 0, names(32767, QStringLiteral("企业")));
    int n = 0;
    for (auto _ : state) {
        if (pages.context.category(0).candidates->count() < 2)
            state.SkipWithError("ran out of candidates");
        stop(pages.context, 0, (n++ * 7919) % pages.context.category(0).candidates->count());
    }
}
BENCHMARK(BM_StopCommitted)->Unit(benchmark::kMillisecond)->Iterations(500)->Repetitions(5)->ReportAggregatesOnly();

// Arg 0: the models and the keeper alone; arg 1: with the journal. The difference is the journal's share.
void BM_Import32767(benchmark::State& state)
{
    QTemporaryDir dir;
    auto opened = SqlJournal::open(dir.filePath(QStringLiteral("j.sqlite")));
    Pages pages;
    SessionKeeper keeper(pages.context, pages.lists, state.range(0) ? opened.journal.get() : nullptr,
                         QDateTime::currentDateTimeUtc());
    const QStringList lists[] = { names(32767, QStringLiteral("甲")), names(32767, QStringLiteral("乙")) };
    int n = 0;
    for (auto _ : state)
        import(pages.context, 1, lists[n++ % 2]);
}
BENCHMARK(BM_Import32767)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_RestoreSevenFullCategories(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("j.sqlite"));
    {
        auto opened = SqlJournal::open(path);
        Pages pages;
        SessionKeeper keeper(pages.context, pages.lists, opened.journal.get(), QDateTime::currentDateTimeUtc());
        for (Category i = 0; i < CategoryCount; ++i)
            import(pages.context, i, names(32767, QString::number(i)));
    }
    for (auto _ : state) {
        auto opened = SqlJournal::open(path);
        Pages pages;
        SessionKeeper keeper(pages.context, pages.lists, opened.journal.get(), QDateTime::currentDateTimeUtc());
        keeper.restore(*opened.journal->unfinishedSession());
        benchmark::DoNotOptimize(pages.lists.list(6, ListKind::Candidates).count());
    }
}
BENCHMARK(BM_RestoreSevenFullCategories)->Unit(benchmark::kMillisecond)->Iterations(5);

// Seven imports of 2,000 names and fifty draws (a start that shuffles, a stop, a close), then the journal's
// size on disk.
void BM_RealisticDay(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("j.sqlite"));
        auto opened = SqlJournal::open(path);
        Pages pages;
        SystemSeedSource seeds;
        pages.context.services.seeds = &seeds;
        SessionKeeper keeper(pages.context, pages.lists, opened.journal.get(), QDateTime::currentDateTimeUtc());
        for (Category i = 0; i < CategoryCount; ++i)
            import(pages.context, i, names(2000, QStringLiteral("某某市某某区企业名称")));
        for (int d = 0; d < 50; ++d) {
            const Category i = d % CategoryCount;
            {
                // The start's change: the candidates shuffled with a fresh seed, kept as that seed.
                CommandScope start(pages.context, QStringLiteral("start"), i);
                pages.context.state.CurCategory = static_cast<std::int16_t>(i);
                shuffleCandidatesWithNewSeed(pages.context, i);
            }
            stop(pages.context, i, (d * 37) % pages.context.category(i).candidates->count());
            {
                CommandScope close(pages.context, QStringLiteral("close"), i);
            }
        }
        keeper.endSession();
        state.counters["bytes"] = static_cast<double>(journalBytes(path));
    }
}
BENCHMARK(BM_RealisticDay)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
