#include "lists/ListCommands.h"

#include "commands/AppContext.h"
#include "model/NameText.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IMessageBox.h"
#include "platform/ISeedSource.h"

namespace pelorin {

ListCommands::ListCommands(AppContext& context)
    : m_context(context)
{
}

void tellInvisible(const QStringList& names, IMessageBox& messageBox)
{
    const QStringList shown = invisibleNamesShown(names);
    if (shown.isEmpty())
        return;
    messageBox.information(
        QStringLiteral("以下名称含有看不见的字符或控制字符（以 <U+…> 标出），打印出来会与别的名称相似，"
                       "去已摇时也不会与看起来相同的名称相配：\n")
            + shown.join(QLatin1Char('\n')) + QStringLiteral("\n名单已照原样录入；如需更正，请删去后重新录入或导入。"),
        text::windowCaption());
}

void shuffleWithNewSeed(AppContext& context, Category i)
{
    if (ISeedSource* seeds = context.services.seeds)
        context.session->shuffle(i, seeds->newSeed());
    else
        context.session->shuffle(i, *context.services.random);
}

void ListCommands::deleteSelectedCandidate(Category i, int selected)
{
    Session::Command command(*m_context.session, QStringLiteral("delete"), i);
    m_context.session->removeAt(i, ListKind::Candidates, selected);
}

void ListCommands::clearCandidates(Category i)
{
    Session::Command command(*m_context.session, QStringLiteral("clear"), i);
    m_context.session->clearCandidates(i);
}

void ListCommands::shuffleCandidates(Category i)
{
    Session::Command command(*m_context.session, QStringLiteral("shuffle"), i);
    shuffleWithNewSeed(m_context, i);
}

void ListCommands::returnSelectedResult(Category i, int selected)
{
    Session& session = *m_context.session;
    if (selected < 0 || selected >= session.count(i, ListKind::Results))
        return;
    Session::Command command(session, QStringLiteral("handBack"), i);
    if (!session.handBack(i, selected))
        tellListFull();
}

void ListCommands::withdrawResults(Category i)
{
    if (!m_context.services.messageBox->question(QStringLiteral("确定撤回已摇出结果到上面提供的名单列表？"),
                                                 text::windowCaption()))
        return;
    Session::Command command(*m_context.session, QStringLiteral("handBack"), i);
    if (!m_context.session->handBackAll(i))
        tellListFull();
}

void ListCommands::clearResults(Category i)
{
    const bool handBack = m_context.services.messageBox->question(
        QStringLiteral("清空已摇出结果列表，其名单是否撤回到上面提供的名单列表？"), text::windowCaption());
    Session::Command command(*m_context.session, QStringLiteral("clear"), i);
    // Clearing the results after a refused hand-back would lose the names: they are kept instead.
    if (!m_context.session->clearResults(i, handBack))
        tellListFull();
}

void ListCommands::clearHistory(Category i)
{
    Session::Command command(*m_context.session, QStringLiteral("clear"), i);
    m_context.session->clearHistory(i);
}

void ListCommands::deleteSelectedHistory(Category i, int selected)
{
    Session::Command command(*m_context.session, QStringLiteral("delete"), i);
    m_context.session->removeAt(i, ListKind::History, selected);
}

void ListCommands::tellListFull()
{
    m_context.services.messageBox->information(listFullMessage(), text::windowCaption());
}

} // namespace pelorin
