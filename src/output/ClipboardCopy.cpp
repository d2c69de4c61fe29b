#include "output/ClipboardCopy.h"

#include "commands/AppContext.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IClipboard.h"
#include "platform/IMessageBox.h"

namespace pelorin {

ClipboardCopy::ClipboardCopy(AppContext& context)
    : m_context(context)
{
}

QString ClipboardCopy::textOf(const QStringList& results)
{
    QString text;
    for (const QString& name : results)
        text += name + QStringLiteral("\r\n");
    return text;
}

void ClipboardCopy::copyResults(Category i)
{
    const QStringList& results = m_context.session->names(i, ListKind::Results);
    IMessageBox& box = *m_context.services.messageBox;
    if (results.isEmpty()) {
        box.information(QStringLiteral("还没有内容可以复制。"), text::windowCaption());
        return;
    }
    m_context.services.clipboard->clear();
    m_context.services.clipboard->setText(textOf(results));
    box.information(QStringLiteral("摇出的“") + categoryName(i) + QStringLiteral("”名单已复制到电脑粘贴板。"),
                    text::windowCaption());
}

} // namespace pelorin
