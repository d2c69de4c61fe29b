#pragma once

#include "app/Categories.h"

namespace pelorin {

struct AppContext;

// The manual entry panel: typed or pasted names appended to a candidate or history list.
class ManualEntry
{
public:
    explicit ManualEntry(AppContext& context);

    void openForCandidates(Category i); // 手工录入 (candidates)
    void openForHistory(Category i); // 手工录入 (history)
    void commit(); // 确定录入
    void close(); // 关闭输入窗口

private:
    AppContext& m_context;
};

} // namespace pelorin
