#pragma once

#include "app/Categories.h"

namespace pelorin {

struct AppContext;

// The small editing buttons of a tab page: delete, clear, shuffle, hand back.
class ListCommands
{
public:
    explicit ListCommands(AppContext& context);

    void deleteSelectedCandidate(Category i); // 删选
    void clearCandidates(Category i); // 清空
    void shuffleCandidates(Category i); // 重排序
    void returnSelectedResult(Category i); // 删
    void withdrawResults(Category i); // 撤
    void clearResults(Category i); // 清
    void clearHistory(Category i); // 清空 (history)
    void deleteSelectedHistory(Category i); // 删选项

private:
    AppContext& m_context;
};

} // namespace pelorin
