#include "output/ClipboardCopy.h"

#include "app/AppContext.h"
#include "app/AppText.h"
#include "platform/IClipboard.h"
#include "platform/IMessageBox.h"
#include "platform/INameList.h"

namespace pelorin {

ClipboardCopy::ClipboardCopy(AppContext& context)
    : m_context(context)
{
}

QString ClipboardCopy::textOf(const INameList& results)
{
    QString text;
    for (int k = 0; k < results.count(); ++k)
        text += results.textAt(k) + QStringLiteral("\r\n");
    return text;
}

void ClipboardCopy::copyResults(Category i)
{
    const INameList& results = *m_context.category(i).results;
    IMessageBox& box = *m_context.services.messageBox;
    if (results.count() == 0) {
        box.information(QStringLiteral("还没有内容可以复制。"), text::windowCaption());
        return;
    }
    m_context.services.clipboard->clear();
    m_context.services.clipboard->setText(textOf(results));
    box.information(QStringLiteral("摇出的“") + categoryName(i) + QStringLiteral("”名单已复制到电脑粘贴板。"),
                    text::windowCaption());
}

} // namespace pelorin
