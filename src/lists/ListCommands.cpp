#include "lists/ListCommands.h"

#include "app/AppContext.h"
#include "app/AppText.h"
#include "app/CommandScope.h"
#include "lists/SeededShuffle.h"
#include "platform/IMessageBox.h"
#include "platform/INameList.h"
#include "platform/ITextControl.h"

namespace pelorin {

namespace {

void showCount(ITextControl& counter, const INameList& list)
{
    counter.setText(QString::number(list.count()));
}

int selectedItem(const INameList& list)
{
    const int selected = list.selectedIndex();
    return selected >= 0 && selected < list.count() ? selected : -1;
}

} // namespace

ListCommands::ListCommands(AppContext& context)
    : m_context(context)
{
}

void ListCommands::deleteSelectedCandidate(Category i)
{
    CommandScope scope(m_context, QStringLiteral("delete"), i);
    CategoryControls& page = m_context.category(i);
    const int selected = selectedItem(*page.candidates);
    if (selected < 0)
        return;
    page.candidates->removeAt(selected);
    showCount(*page.candidateCounter, *page.candidates);
}

void ListCommands::clearCandidates(Category i)
{
    CommandScope scope(m_context, QStringLiteral("clear"), i);
    CategoryControls& page = m_context.category(i);
    page.candidates->clear();
    page.candidateCounter->setText(QStringLiteral("XXXX"));
}

void ListCommands::shuffleCandidates(Category i)
{
    CommandScope scope(m_context, QStringLiteral("shuffle"), i);
    shuffleCandidatesWithNewSeed(m_context, i);
}

void ListCommands::returnSelectedResult(Category i)
{
    CommandScope scope(m_context, QStringLiteral("handBack"), i);
    CategoryControls& page = m_context.category(i);
    const int selected = selectedItem(*page.results);
    if (selected < 0)
        return;
    if (!roomForCandidates(i, 1))
        return;
    page.candidates->append(page.results->textAt(selected));
    page.results->removeAt(selected);
    showCount(*page.drawnCount, *page.results);
    showCount(*page.candidateCounter, *page.candidates);
}

void ListCommands::withdrawResults(Category i)
{
    CommandScope scope(m_context, QStringLiteral("handBack"), i);
    if (!m_context.services.messageBox->question(QStringLiteral("确定撤回已摇出结果到上面提供的名单列表？"),
                                                 text::windowCaption()))
        return;
    CategoryControls& page = m_context.category(i);
    if (page.results->count() == 0)
        return;
    if (!roomForCandidates(i, page.results->count()))
        return;
    page.candidates->appendItems(page.results->items());
    page.results->clear();
    showCount(*page.drawnCount, *page.results);
    showCount(*page.candidateCounter, *page.candidates);
}

void ListCommands::clearResults(Category i)
{
    CommandScope scope(m_context, QStringLiteral("clear"), i);
    const bool handBack = m_context.services.messageBox->question(
        QStringLiteral("清空已摇出结果列表，其名单是否撤回到上面提供的名单列表？"), text::windowCaption());
    CategoryControls& page = m_context.category(i);
    if (handBack && page.results->count() > 0) {
        // Clearing the results after a refused hand-back would lose the names: keep them instead.
        if (!roomForCandidates(i, page.results->count()))
            return;
        page.candidates->appendItems(page.results->items());
        showCount(*page.candidateCounter, *page.candidates);
    }
    page.results->clear();
    showCount(*page.drawnCount, *page.results);
}

void ListCommands::clearHistory(Category i)
{
    CommandScope scope(m_context, QStringLiteral("clear"), i);
    m_context.category(i).history->clear();
}

void ListCommands::deleteSelectedHistory(Category i)
{
    CommandScope scope(m_context, QStringLiteral("delete"), i);
    INameList& history = *m_context.category(i).history;
    const int selected = selectedItem(history);
    if (selected >= 0)
        history.removeAt(selected);
}

bool ListCommands::roomForCandidates(Category i, int added)
{
    if (m_context.category(i).candidates->count() + added <= MaxListNames)
        return true;
    m_context.services.messageBox->information(listFullMessage(), text::windowCaption());
    return false;
}

} // namespace pelorin
