// Cost of "Pelorin 大屏" at 1920x1080 beside the draw window: one roll tick with the mirror's repaint,
// and opening the mirror while the wheel turns, up to the largest list.
#include "commands/AppContext.h"
#include "fakes/FakeTimer.h"
#include "fakes/ScriptedRandom.h"
#include "model/Session.h"
#include "platform/INameList.h"
#include "platform/SystemRandom.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "ui/Commands.h"
#include "ui/MainWindow.h"
#include "ui/ProjectorControl.h"
#include "ui/ProjectorWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>

using namespace pelorin;
using namespace pelorin::test;

namespace {

QStringList candidates(int count)
{
    QStringList names;
    names.reserve(count);
    for (int i = 1; i <= count; ++i)
        names.append(QStringLiteral("候选单位%1").arg(i));
    return names;
}

struct RollingWindow
{
    explicit RollingWindow(int count)
    {
        Services services;
        services.messageBox = &messages;
        services.random = &random;
        window = std::make_unique<MainWindow>(services, &timer);
        window->setExitHandler([] {});
        window->show();
        window->session().replaceCandidates(3, candidates(count));
        window->findChild<QLineEdit*>(QStringLiteral("Text3_3"))->setText(QStringLiteral("3"));
        window->commands().draw.open(3);
        timer.fire(5);
    }
    ProjectorWindow* openMirror()
    {
        window->projector()->open();
        ProjectorWindow* mirror = window->projector()->window();
        mirror->showNormal();
        mirror->setGeometry(0, 0, 1920, 1080);
        mirror->sync();
        QApplication::processEvents();
        return mirror;
    }

    ScriptedMessageBox messages;
    SystemRandom random { 7u };
    FakeTimer timer;
    std::unique_ptr<MainWindow> window;
};

void BM_TickWithMirror(benchmark::State& state)
{
    RollingWindow w(int(state.range(0)));
    if (!w.openMirror()) {
        state.SkipWithError("the projector did not open");
        return;
    }
    for (auto _ : state) {
        w.timer.fire(); // the mirror follows the tick
        QApplication::processEvents(); // the repaint and its flush
    }
}
BENCHMARK(BM_TickWithMirror)->Arg(12)->Arg(2000)->Arg(32767)->Unit(benchmark::kMillisecond);

void BM_OpenMirrorWhileRolling(benchmark::State& state)
{
    RollingWindow w(int(state.range(0)));
    for (auto _ : state) {
        w.timer.fire();
        w.openMirror();
        state.PauseTiming();
        w.window->projector()->close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenMirrorWhileRolling)->Arg(12)->Arg(2000)->Arg(32767)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
