#pragma once

#include "app/Categories.h"

#include <QString>

namespace pelorin {

struct AppContext;

// Lists count and index their items with 16-bit signed numbers.
constexpr int MaxListNames = 32767;

// Shown instead of adding names to a list that would then hold more than MaxListNames.
inline QString listFullMessage()
{
    return QStringLiteral("名单数量不能超过32767个。");
}

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
    // False, after telling the user, when the candidates cannot take that many more names.
    bool roomForCandidates(Category i, int added);

    AppContext& m_context;
};

} // namespace pelorin
