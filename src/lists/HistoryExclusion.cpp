#include "lists/HistoryExclusion.h"

#include "app/AppContext.h"
#include "app/AppText.h"
#include "app/CommandScope.h"
#include "lists/Exclusion.h"
#include "platform/IMessageBox.h"
#include "platform/INameList.h"
#include "platform/ITextControl.h"

#include <QJsonArray>

namespace pelorin {

HistoryExclusion::HistoryExclusion(AppContext& context)
    : m_context(context)
{
}

void HistoryExclusion::removeDrawnNames(Category i)
{
    CommandScope scope(m_context, QStringLiteral("exclude"), i);
    CategoryControls& page = m_context.category(i);
    IMessageBox& messageBox = *m_context.services.messageBox;
    if (page.candidates->count() == 0) {
        messageBox.information(QStringLiteral("还没有导入摇号对象名单（上面列表框内没有名单）。"),
                               text::windowCaption());
        return;
    }
    if (page.history->count() == 0) {
        messageBox.information(QStringLiteral("还没有导入历史摇出对象名单。"), text::windowCaption());
        return;
    }

    const QStringList candidates = page.candidates->items();
    const QStringList kept = excludeHistory(candidates, page.history->items());
    if (kept.size() != candidates.size()) {
        m_context.notes.note(QStringLiteral("removed"), QJsonArray::fromStringList(removedNames(candidates, kept)));
        page.candidates->setItems(kept);
    }
    page.candidateCounter->setText(QString::number(page.candidates->count()));
}

} // namespace pelorin
