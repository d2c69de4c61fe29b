#pragma once

#include "model/Categories.h"

#include <QString>
#include <cstdint>

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
    void open(Category i, std::int16_t target, const QString& captionPrefix);

    AppContext& m_context;
};

} // namespace pelorin
