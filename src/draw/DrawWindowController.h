#pragma once

#include "app/Categories.h"
#include "draw/DrawEngine.h"

namespace pelorin {

struct AppContext;

// Opens the draw window for a category after its checks, runs start and stop, and closes it.
class DrawWindowController
{
public:
    explicit DrawWindowController(AppContext& context);

    void open(Category i); // the draw button, or Enter in the preset field
    void close(); // 关闭摇窗
    void startStop(); // 开始摇号 / 停止

    DrawEngine& engine() { return m_engine; }

private:
    bool passesChecks(Category i);

    AppContext& m_context;
    DrawEngine m_engine;
};

} // namespace pelorin
