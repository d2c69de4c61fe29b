#pragma once

#include "draw/DrawWindowView.h"
#include "draw/WitnessedOpening.h"
#include "model/Categories.h"

namespace pelorin {

struct AppContext;

// Opens the draw window for a category after its checks, runs start and stop, and closes it.
class DrawWindowController
{
public:
    explicit DrawWindowController(AppContext& context);

    void open(Category i); // the draw button, or Enter in the preset field
    void close(); // 关闭摇窗
    void startStop(); // 开始摇号 / 停止; ignored while the pointer runs out after a slow stop
    void substitute(Category i, int selected) { m_witnessed.substitute(i, selected); } // 替补

    // True while the pointer runs out after a stop pressed with 随机缓停 on.
    bool isRunningOut() const;

private:
    enum class StopOutcome
    {
        Ignored, // no sector shown yet in this draw: the wheel keeps turning
        Drawn, // a name was taken; the window waits for the next start
        Finished, // a name was taken and the preset count is reached; the window is to close
    };

    // Shuffles the candidates, draws the wheel and sets the pointer turning; slowStopOn holds for this
    // draw's stop. False, with a notice, when there is nothing to draw or the speed box holds no usable speed.
    bool start(bool slowStopOn);
    StopOutcome stop();
    // Stops the pointer without taking a name.
    void halt();
    void tick();
    void notify(const QString& text);
    bool slowStopOptionOn() const;
    // False, with a notice, when 随机缓停 is on and the speed box asks for less than the slowest run-out
    // speed; other faults of the speed box are left to the start. Otherwise the option as it stands now
    // holds for this draw's stop: ticking the box while the wheel turns changes the next draw, not this one.
    bool slowStopAllowsStart(bool slowStopOn);
    bool passesChecks(Category i);
    // The stop taking effect: the name under the pointer is drawn; ranOut after a slow stop's run-out.
    void takeStop(bool ranOut);

    AppContext& m_context;
    DrawWindowView m_view;
    WitnessedOpening m_witnessed { m_context };
};

} // namespace pelorin
