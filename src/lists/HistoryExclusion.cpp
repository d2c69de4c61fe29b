#include "lists/HistoryExclusion.h"

#include "commands/AppContext.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IMessageBox.h"

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

    Session::Command command(session, QStringLiteral("exclude"), i);
    session.excludeHistory(i);
}

} // namespace pelorin
