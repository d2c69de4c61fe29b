// The cost of keeping the session: a stop committed, an import's journal share, a restore of seven
// full categories, and the size of a realistic day's journal.
#include "model/ChangeNotes.h"
#include "model/Session.h"
#include "platform/SystemSeedSource.h"
#include "platform/qt/SqlJournal.h"
#include "session/SessionKeeper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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

void import(Session& session, Category i, const QStringList& list)
{
    Session::Command command(session, QStringLiteral("import"), i);
    session.replaceCandidates(i, list);
}

void stop(Session& session, Category i, int pick)
{
    Session::Command command(session, QStringLiteral("stop"), i);
    const QString name = session.names(i, ListKind::Candidates).at(pick);
    // What a stop notes for the record, so the journal grows as the program's does.
    const int count = session.count(i, ListKind::Candidates);
    session.note(drawnotes::Name, name);
    session.note(drawnotes::Sector, pick + 1);
    session.note(drawnotes::WheelCount, count);
    session.note(drawnotes::Speed, 15);
    session.note(drawnotes::Angle, 345);
    session.note(drawnotes::Steps, qint64(345) * count);
    session.note(drawnotes::ShownSteps, qint64(345) * count);
    session.note(drawnotes::SlowStop, false);
    session.draw(i, pick + 1);
}

qint64 journalBytes(const QString& path)
{
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}

void BM_StopCommitted(benchmark::State& state)
{
    QTemporaryDir dir;
    auto opened = SqlJournal::open(dir.filePath(QStringLiteral("j.sqlite")));
    Session session;
    SessionKeeper keeper(session, opened.journal.get(), nullptr, QDateTime::currentDateTimeUtc());
    import(session, 0, names(32767, QStringLiteral("企业")));
    int n = 0;
    for (auto _ : state) {
        if (session.count(0, ListKind::Candidates) < 2)
            state.SkipWithError("ran out of candidates");
        stop(session, 0, (n++ * 7919) % session.count(0, ListKind::Candidates));
    }
}
BENCHMARK(BM_StopCommitted)->Unit(benchmark::kMillisecond)->Iterations(500)->Repetitions(5)->ReportAggregatesOnly();

// Arg 0: the models and the keeper alone; arg 1: with the journal. The difference is the journal's share.
void BM_Import32767(benchmark::State& state)
{
    QTemporaryDir dir;
    auto opened = SqlJournal::open(dir.filePath(QStringLiteral("j.sqlite")));
    Session session;
    SessionKeeper keeper(session, state.range(0) ? opened.journal.get() : nullptr, nullptr,
                         QDateTime::currentDateTimeUtc());
    const QStringList lists[] = { names(32767, QStringLiteral("甲")), names(32767, QStringLiteral("乙")) };
    int n = 0;
    for (auto _ : state)
        import(session, 1, lists[n++ % 2]);
}
BENCHMARK(BM_Import32767)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_RestoreSevenFullCategories(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("j.sqlite"));
    {
        auto opened = SqlJournal::open(path);
        Session session;
        SessionKeeper keeper(session, opened.journal.get(), nullptr, QDateTime::currentDateTimeUtc());
        for (Category i = 0; i < CategoryCount; ++i)
            import(session, i, names(32767, QString::number(i)));
    }
    for (auto _ : state) {
        auto opened = SqlJournal::open(path);
        Session session;
        SessionKeeper keeper(session, opened.journal.get(), nullptr, QDateTime::currentDateTimeUtc());
        keeper.restore(*opened.journal->unfinishedSession());
        benchmark::DoNotOptimize(session.count(6, ListKind::Candidates));
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
        Session session;
        SystemSeedSource seeds;
        SessionKeeper keeper(session, opened.journal.get(), nullptr, QDateTime::currentDateTimeUtc());
        for (Category i = 0; i < CategoryCount; ++i)
            import(session, i, names(2000, QStringLiteral("某某市某某区企业名称")));
        for (int d = 0; d < 50; ++d) {
            const Category i = d % CategoryCount;
            {
                // The start's change: the candidates shuffled with a fresh seed, kept as that seed.
                Session::Command start(session, QStringLiteral("start"), i);
                session.setCurrentCategory(i);
                session.shuffle(i, seeds.newSeed());
            }
            stop(session, i, (d * 37) % session.count(i, ListKind::Candidates));
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
