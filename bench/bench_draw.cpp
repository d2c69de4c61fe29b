// Cost of the draw window's wheel on the real drawing surface: one tick of the roll timer, and the
// wheel drawn at a start, for lists from a handful of names to the largest a list can hold.
#include "commands/AppContext.h"
#include "draw/DrawWindowController.h"
#include "draw/WheelRenderer.h"
#include "fakes/FakeTimer.h"
#include "fakes/MemoryControls.h"
#include "fakes/MemoryPages.h"
#include "platform/SystemRandom.h"
#include "platform/qt/QtDrawingSurface.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "ui/Layout.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace pelorin;
using namespace pelorin::test;

namespace {

QSize surfaceSize()
{
    return QSize(layout::px(layout::DrawWindowWideWidth), layout::px(layout::DrawWindowHeight));
}

QStringList candidates(int count)
{
    QStringList names;
    names.reserve(count);
    for (int i = 1; i <= count; ++i)
        names.append(QStringLiteral("候选单位%1").arg(i));
    return names;
}

// The draw window with its lists in memory and the real surface, opened on category 0 and rolling.
struct OpenDrawWindow
{
    explicit OpenDrawWindow(int count)
    {
        pages[0].candidates.setItems(candidates(count));
        DrawWindowControls& d = context.controls.draw;
        d.window = &window;
        d.presetBox = &boxes[0];
        d.drawnBox = &boxes[1];
        d.nameBox = &boxes[2];
        d.startStop = &boxes[3];
        d.speedBox = &boxes[4];
        boxes[4].setText(QStringLiteral("15"));
        d.currentDraw = &currentDraw;
        d.surface = &surface;
        d.timer = &timer;
        context.services.messageBox = &messages;
        context.services.random = &random;
        controller.open(0);
    }

    std::array<MemoryTextControl, 5> boxes;
    MemoryDrawWindow window;
    MemoryNameList currentDraw;
    QtDrawingSurface surface { surfaceSize() };
    FakeTimer timer;
    ScriptedMessageBox messages;
    SystemRandom random { 7 };
    AppContext context;
    MemoryPages pages { context };
    DrawWindowController controller { context };
};

void BM_Tick(benchmark::State& state)
{
    OpenDrawWindow draw(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        draw.timer.fire();
        benchmark::DoNotOptimize(draw.surface.image().constBits());
    }
}
BENCHMARK(BM_Tick)->Arg(10)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);

void BM_DrawWheel(benchmark::State& state)
{
    QtDrawingSurface surface(surfaceSize());
    const wheel::Geometry geometry { 3500.0 / 15.0, 220.0, 2500.0 };
    std::shared_ptr<APIFont> font;
    for (auto _ : state) {
        WheelRenderer::DrawWheel(surface, geometry, static_cast<int>(state.range(0)), font);
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}
BENCHMARK(BM_DrawWheel)->Arg(120)->Arg(32767)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
