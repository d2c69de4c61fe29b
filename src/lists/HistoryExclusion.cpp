#include "lists/HistoryExclusion.h"

#include "commands/AppContext.h"
#include "model/NameText.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IMessageBox.h"

#include <QSet>

namespace pelorin {

HistoryExclusion::HistoryExclusion(AppContext& context)
    : m_context(context)
{
}

void HistoryExclusion::removeDrawnNames(Category i)
{
    Session& session = *m_context.session;
    IMessageBox& messageBox = *m_context.services.messageBox;
    if (session.count(i, ListKind::Candidates) == 0) {
        messageBox.information(QStringLiteral("还没有导入摇号对象名单（上面列表框内没有名单）。"),
                               text::windowCaption());
        return;
    }
    if (session.count(i, ListKind::History) == 0) {
        messageBox.information(QStringLiteral("还没有导入历史摇出对象名单。"), text::windowCaption());
        return;
    }

    {
        Session::Command command(session, QStringLiteral("exclude"), i);
        session.excludeHistory(i);
    }
    tellLookAlikes(i);
}

void HistoryExclusion::tellLookAlikes(Category i)
{
    // Names are struck only when equal; a candidate that differs from a history name only by characters one
    // cannot see stays, and is named, so that it is not taken for one already drawn.
    Session& session = *m_context.session;
    const QStringList& history = session.names(i, ListKind::History);
    const QSet<QString> exact(history.cbegin(), history.cend());
    QSet<QString> seen;
    for (const QString& name : history)
        seen.insert(withoutInvisible(name));
    QStringList lookAlikes;
    for (const QString& name : session.names(i, ListKind::Candidates)) {
        if (!exact.contains(name) && seen.contains(withoutInvisible(name)) && lookAlikes.size() < 20
            && !lookAlikes.contains(withInvisibleShown(name)))
            lookAlikes.append(withInvisibleShown(name));
    }
    if (lookAlikes.isEmpty())
        return;
    m_context.services.messageBox->information(
        QStringLiteral("以下候选名称与历史名单中的名称只差看不见的字符（以 <U+…> 标出），没有去掉：\n")
            + lookAlikes.join(QLatin1Char('\n')) + QStringLiteral("\n如确是同一名称，请更正名单后重新去已摇。"),
        text::windowCaption());
}

} // namespace pelorin
