// The start and the stop of a draw with the largest list a category can hold, through the real main
// window and the real session journal: 32,767 names imported from a workbook into category 3 (重点企业),
// shuffles seeded from the system's secure source, the journal (session.sqlite) in a temporary data
// folder opened by SessionSetup as the program opens it. Only the roll timer is a fake, so the wheel
// turns exactly as many ticks as the benchmark fires.
//
//   BM_DrawStart/0  commands().draw.open(3): checks, shuffle with a new seed, fingerprint, the start's
//                   journal transaction, the wheel picture; the window is then rolling.
//   BM_DrawStart/1  the same from a click on the page's draw button, and the events that follow it
//                   processed (the draw window painted on the offscreen screen).
//   BM_DrawStop/0   commands().draw.startStop() while rolling (after 24 to 84 ticks): the name taken,
//                   moved to the results, the stop's journal transaction; the window stays open.
//   BM_DrawStop/1   the stop that reaches the preset: as /0, plus the window closing (the close's
//                   transaction as well).
//   BM_StartWithoutWheel  the start's share without the wheel picture: a "start" command that only
//                   shuffles the page's list with a new seed (fingerprint, list views, journal transaction).
#include "fakes/CandidateWorkbook.h"
#include "fakes/FakeTimer.h"
#include "model/Session.h"
#include "platform/SystemRandom.h"
#include "platform/SystemSeedSource.h"
#include "platform/scripted/ScriptedFileDialog.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "session/SessionKeeper.h"
#include "ui/CategoryPage.h"
#include "ui/Commands.h"
#include "ui/DrawWindowPanel.h"
#include "ui/MainWindow.h"
#include "ui/SessionSetup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <memory>

using namespace pelorin;
using namespace pelorin::test;

namespace {

constexpr Category Drawn = 3; // 重点企业
constexpr int ListSize = 32767;

QStringList largeList()
{
    QStringList names;
    names.reserve(ListSize);
    for (int i = 1; i <= ListSize; ++i)
        names.append(QStringLiteral("某某市某某区第%1号企业有限公司").arg(i));
    return names;
}

// The program's window with its journal, as Startup builds them, and a full category 3.
struct Program
{
    Program()
    {
        qputenv("PELORIN_DATA", dir.filePath(QStringLiteral("data")).toUtf8());
        qputenv("PELORIN_SETTINGS", dir.filePath(QStringLiteral("settings.json")).toUtf8());
        window = std::make_unique<MainWindow>(services(), &timer);
        window->setExitHandler([] {});
        session = std::make_unique<SessionSetup>(*window, [](const QString&) { return false; });
        journalOpen = session->begin() && QFileInfo::exists(journalPath());
        window->show();
        QApplication::processEvents();

        const QString workbook = dir.filePath(QStringLiteral("重点企业名单.xlsx"));
        writeCandidateWorkbook(workbook, largeList());
        files.chooseNext(workbook);
        window->page(Drawn)->importCandidates->click();
        QApplication::processEvents();
    }

    ~Program()
    {
        session->end();
        session.reset();
        window.reset();
    }

    Services services()
    {
        Services s;
        s.messageBox = &messages;
        s.fileDialog = &files;
        s.random = &random;
        s.seeds = &seeds;
        return s;
    }

    QString journalPath() const { return QDir(SessionSetup::dataFolder()).filePath(SessionSetup::journalName()); }
    int candidates() { return window->session().count(Drawn, ListKind::Candidates); }
    int results() { return window->session().count(Drawn, ListKind::Results); }
    bool rolling() { return window->context().session->progress().isRolling(); }
    bool drawOpen() { return window->drawWindow()->isVisible(); }
    // The counts as typed, kept by the session as an edit before anything is timed.
    void setCounts(int preset, int drawn)
    {
        window->session().setPreset(Drawn, QString::number(preset));
        window->session().setDrawn(Drawn, QString::number(drawn));
    }

    // Names drawn go back to the candidates between runs ("撤", answered Yes), so every run draws from a
    // full list.
    void refill()
    {
        if (drawOpen())
            window->commands().draw.close();
        if (results() > 0)
            window->commands().lists.withdrawResults(Drawn);
        setCounts(1, 0);
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    ScriptedMessageBox messages;
    ScriptedFileDialog files;
    FakeTimer timer;
    SystemRandom random;
    SystemSeedSource seeds;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<SessionSetup> session;
    bool journalOpen = false;
};

// Made on first use, gone before the application object.
std::unique_ptr<Program> program;

Program& theProgram()
{
    if (!program)
        program = std::make_unique<Program>();
    return *program;
}

bool ready(benchmark::State& state, Program& p)
{
    if (!p.journalOpen) {
        state.SkipWithError("the journal did not open");
        return false;
    }
    if (p.candidates() + p.results() != ListSize) {
        state.SkipWithError("the import did not bring 32,767 names");
        return false;
    }
    return true;
}

void BM_DrawStart(benchmark::State& state)
{
    Program& p = theProgram();
    if (!ready(state, p))
        return;
    const bool byClick = state.range(0) != 0;
    p.refill();
    for (auto _ : state) {
        if (byClick) {
            p.window->page(Drawn)->drawButton->click();
            QApplication::processEvents();
        } else {
            p.window->commands().draw.open(Drawn);
        }
        state.PauseTiming();
        if (!p.rolling() || !p.drawOpen() || p.candidates() != ListSize) {
            state.SkipWithError("the draw did not start");
            state.ResumeTiming();
            break;
        }
        p.window->commands().draw.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["names"] = double(p.candidates());
}
BENCHMARK(BM_DrawStart)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_DrawStop(benchmark::State& state)
{
    Program& p = theProgram();
    if (!ready(state, p))
        return;
    const bool closing = state.range(0) != 0;
    p.refill();
    int ticks = 7;
    for (auto _ : state) {
        state.PauseTiming();
        const int drawnBefore = p.results();
        if (closing) {
            // A preset of one more than drawn: this stop ends the draw and closes the window.
            p.setCounts(drawnBefore + 1, drawnBefore);
            p.window->commands().draw.open(Drawn);
        } else if (!p.drawOpen()) {
            p.setCounts(ListSize, drawnBefore);
            p.window->commands().draw.open(Drawn);
        } else {
            p.window->commands().draw.startStop(); // the next start, in the open window
        }
        ticks = ticks * 7 % 61 + 24; // pointers stop all round the wheel
        p.timer.fire(ticks);
        const bool wasRolling = p.rolling();
        state.ResumeTiming();

        p.window->commands().draw.startStop();

        state.PauseTiming();
        if (!wasRolling || p.rolling() || p.results() != drawnBefore + 1 || p.drawOpen() == closing) {
            state.SkipWithError("the stop did not draw a name");
            state.ResumeTiming();
            break;
        }
        state.ResumeTiming();
    }
    state.counters["names"] = double(p.candidates());
    p.refill();
}
BENCHMARK(BM_DrawStop)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_StartWithoutWheel(benchmark::State& state)
{
    Program& p = theProgram();
    if (!ready(state, p))
        return;
    p.refill();
    Session& session = p.window->session();
    for (auto _ : state) {
        Session::Command command(session, QStringLiteral("start"), Drawn);
        session.setCurrentCategory(Drawn);
        session.shuffle(Drawn, p.seeds.newSeed());
    }
    state.counters["names"] = double(p.candidates());
}
BENCHMARK(BM_StartWithoutWheel)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    program.reset();
    return 0;
}
