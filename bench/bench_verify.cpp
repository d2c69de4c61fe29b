// Verifying the record of a long session: 1,000 to 5,000 draws from a list of 32,767 names, every tenth a
// slow stop, as `pelorin --verify` reads the file (PELORIN_BENCH_KEEP=DIR keeps a copy of each record there). The
// session is made through the session model's commands as the draw window makes them (a start's shuffle with a fresh
// seed, the stop's notes, the draw), and the record is the program's writer's; a record of fewer draws is the same
// session cut short. The time should grow in step with the draws.
#include "model/ChangeNotes.h"
#include "model/SeededStream.h"
#include "model/Session.h"
#include "model/Sha256.h"
#include "model/Shuffle.h"
#include "record/RecordFormat.h"
#include "record/RecordVerifier.h"
#include "record/RecordWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>

using namespace pelorin;

namespace {

constexpr int ListSize = 32767;
constexpr int MostDraws = 5000;

constexpr int Speed = 15;

ShuffleSeed seedNumber(int k)
{
    ShuffleSeed seed;
    for (std::size_t i = 0; i < seed.bytes.size(); ++i)
        seed.bytes[i] = static_cast<std::uint8_t>(i < 4 ? quint32(k) >> (8 * i) : i * 7 + 1);
    return seed;
}

struct LongSession
{
    LongSession()
    {
        QObject::connect(&session, &Session::changed,
                         [this](const SessionChange& change) { commands.push_back(change); });
        QStringList names;
        names.reserve(ListSize);
        for (int i = 1; i <= ListSize; ++i)
            names.append(QStringLiteral("某某市某某区第%1号企业有限公司").arg(i));
        Session::Command command(session, QStringLiteral("import"), 3);
        session.note(listnotes::File, QStringLiteral("重点企业名单.xlsx"));
        session.note(listnotes::Sha256, QString(64, QLatin1Char('0')));
        session.replaceCandidates(3, names);
    }

    // Draws on until the session holds draws of them, as the draw window would.
    void drawUntil(int draws)
    {
        for (int k = this->draws; k < draws; ++k) {
            const bool slow = k % 10 == 9;
            const ShuffleSeed seed = seedNumber(k + 1);
            {
                Session::Command command(session, QStringLiteral("start"), 3);
                session.shuffle(3, seed);
                session.note(drawnotes::Speed, Speed);
                session.note(drawnotes::SlowStopOption, slow);
            }
            const int n = session.count(3, ListKind::Candidates);
            const qint64 lap = qint64(360) * n;
            const qint64 angle = Speed * (1 + k * 7 % 24);
            qint64 position = record::wheelsteps::shownAngle(angle, Speed, n) * n;
            qint64 turn = 0;
            if (slow) {
                SeededStream stream(seed);
                shuffledOrder(n, stream);
                turn = stream.between(static_cast<int>(lap), static_cast<int>(3 * lap - 1));
                position = angle * n + turn;
            }
            const int sector = record::wheelsteps::sectorAt(position, n);
            Session::Command command(session, QStringLiteral("stop"), 3);
            session.note(drawnotes::Name, session.names(3, ListKind::Candidates).at(sector - 1));
            session.note(drawnotes::Sector, sector);
            session.note(drawnotes::WheelCount, n);
            session.note(drawnotes::Speed, Speed);
            session.note(drawnotes::Angle, slow ? double(position % lap) / n : double(angle));
            session.note(drawnotes::Steps, slow ? position : angle * n);
            session.note(drawnotes::ShownSteps, position);
            session.note(drawnotes::SlowStop, slow);
            if (slow) {
                session.note(drawnotes::SlowStopPressAngle, angle);
                session.note(drawnotes::SlowStopTurn, turn);
            }
            session.draw(3, sector);
        }
        this->draws = std::max(this->draws, draws);
    }

    // The record of the first draws of the session, written once.
    const QString& recordOf(int draws)
    {
        drawUntil(draws);
        QString& path = paths[draws];
        if (path.isEmpty()) {
            std::vector<SessionChange> first(commands.begin(),
                                             commands.begin() + 1 + 2 * static_cast<std::ptrdiff_t>(draws));
            const QDateTime begun = QDateTime(QDate(2026, 12, 9), QTime(9, 0), Qt::UTC);
            for (std::size_t i = 0; i < first.size(); ++i) {
                first[i].sequence = static_cast<qint64>(i) + 1;
                first[i].time = begun.addMSecs(static_cast<qint64>(i) * 500);
            }
            const record::WrittenRecord written = record::writeRecord({ begun, begun, QStringLiteral("1.0.0") }, first);
            path = dir.filePath(QStringLiteral("摇号记录_%1.jsonl").arg(draws));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(written.bytes);
            if (qEnvironmentVariableIsSet("PELORIN_BENCH_KEEP"))
                QFile::copy(
                    path, qEnvironmentVariable("PELORIN_BENCH_KEEP") + QStringLiteral("/摇号记录_%1.jsonl").arg(draws));
        }
        return path;
    }

    Session session;
    std::vector<SessionChange> commands;
    int draws = 0;
    QTemporaryDir dir;
    std::map<int, QString> paths;
};

std::unique_ptr<LongSession> longSession;

void BM_VerifyLongSession(benchmark::State& state)
{
    if (!longSession)
        longSession = std::make_unique<LongSession>();
    const int draws = static_cast<int>(state.range(0));
    const QString& path = longSession->recordOf(draws);
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const record::VerifyReport report = record::verifyRecord(file);
        if (report.outcome != record::VerifyReport::Outcome::Holds || report.summary.stops != draws) {
            state.SkipWithError(qPrintable(QStringLiteral("line %1: %2").arg(report.line).arg(report.reason)));
            break;
        }
    }
    state.counters["draws"] = draws;
    state.counters["per_draw"] = benchmark::Counter(
        static_cast<double>(draws), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["MB"] = static_cast<double>(QFile(path).size()) / 1e6;
    state.SetLabel(Sha256::usesShaExtensions() ? "SHA extensions" : "libsodium SHA-256");
}
BENCHMARK(BM_VerifyLongSession)
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(MostDraws)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime() // the wait on the clock; a large list's fingerprint is hashed on a second thread
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(false);

// A record given in PELORIN_BENCH_RECORD, for a profile of the check alone.
void BM_VerifyGivenRecord(benchmark::State& state)
{
    const QString path = qEnvironmentVariable("PELORIN_BENCH_RECORD");
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)
            || record::verifyRecord(file).outcome != record::VerifyReport::Outcome::Holds) {
            state.SkipWithError("the record given does not hold");
            break;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsSet("PELORIN_BENCH_RECORD"))
        benchmark::RegisterBenchmark("BM_VerifyGivenRecord", BM_VerifyGivenRecord)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    longSession.reset();
    benchmark::Shutdown();
    return 0;
}
