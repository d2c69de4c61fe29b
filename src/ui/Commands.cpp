#include "ui/Commands.h"

#include "commands/AppContext.h"
#include "platform/IMessageBox.h"

namespace pelorin {

Commands::Commands(AppContext& context)
    : lists(context)
    , entry(context)
    , exclusion(context)
    , import(context)
    , draw(context)
    , exporter(context)
    , clipboard(context)
    , record(context)
    , tasks(context)
    , m_context(context)
{
}

bool Commands::confirmExit()
{
    return m_context.services.messageBox->question(QStringLiteral("退出并关闭当前程序吗"),
                                                   QStringLiteral("退出并关闭当前程序提示："));
}

} // namespace pelorin
