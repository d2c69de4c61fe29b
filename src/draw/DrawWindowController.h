#pragma once

#include "draw/DrawEngine.h"
#include "draw/DrawWindowView.h"
#include "draw/SlowStopRun.h"
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

    DrawEngine& engine() { return m_engine; }
    SlowStopRun& slowStop() { return m_slowStop; }

private:
    bool passesChecks(Category i);
    // The stop taking effect: the name under the pointer is drawn; ranOut after a slow stop's run-out.
    void takeStop(bool ranOut);

    AppContext& m_context;
    DrawWindowView m_view;
    DrawEngine m_engine;
    SlowStopRun m_slowStop;
};

} // namespace pelorin
