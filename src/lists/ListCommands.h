#pragma once

#include "model/Categories.h"

#include <QString>
#include <QStringList>

namespace pelorin {

struct AppContext;
class IMessageBox;

// Tells which of names hold invisible or control characters, if any; changes nothing.
void tellInvisible(const QStringList& names, IMessageBox& messageBox);

// Shown instead of adding names to a list that would then hold more than MaxListNames.
inline QString listFullMessage()
{
    return QStringLiteral("名单数量不能超过32767个。");
}

// The small editing buttons of a tab page: delete, clear, shuffle, hand back. selected is the row the
// list's view has selected, -1 for none.
class ListCommands
{
public:
    explicit ListCommands(AppContext& context);

    void deleteSelectedCandidate(Category i, int selected); // 删选
    void clearCandidates(Category i); // 清空
    void shuffleCandidates(Category i); // 重排序
    void returnSelectedResult(Category i, int selected); // 删
    void withdrawResults(Category i); // 撤
    void clearResults(Category i); // 清
    void clearHistory(Category i); // 清空 (history)
    void deleteSelectedHistory(Category i, int selected); // 删选项

private:
    void tellListFull();

    AppContext& m_context;
};

// Shuffles the candidates of category i with a fresh seed of the seed source, or, without one, with the
// picks of the random source.
void shuffleWithNewSeed(AppContext& context, Category i);

} // namespace pelorin
