#include "draw/SlowStopRun.h"

#include "commands/AppContext.h"
#include "draw/DrawText.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IMessageBox.h"
#include "platform/ITextControl.h"
#include "platform/IToggle.h"

namespace pelorin {

SlowStopRun::SlowStopRun(AppContext& context)
    : m_context(context)
{
}

bool SlowStopRun::isOptionOn() const
{
    const IToggle* option = m_context.controls.draw.slowStop;
    return option && option->isChecked();
}

bool SlowStopRun::allowsStart()
{
    m_onForThisDraw = isOptionOn();
    if (!m_onForThisDraw)
        return true;
    // An empty list or an unreadable speed is the start's own notice.
    if (m_context.session->count(m_context.session->currentCategory(), ListKind::Candidates) == 0)
        return true;
    const std::optional<std::int16_t> speed = rollSpeedFrom(m_context.controls.draw.speedBox->text());
    if (!speed || *speed >= SlowStop::MinimumSpeed)
        return true;
    m_context.services.messageBox->information(QStringLiteral("开启随机缓停时转速不能低于10。"), text::windowCaption());
    return false;
}

bool SlowStopRun::begin()
{
    return m_context.session->progress().beginRunOut(*m_context.services.random);
}

bool SlowStopRun::isRunning() const
{
    return m_context.session->progress().isRunningOut();
}

} // namespace pelorin
