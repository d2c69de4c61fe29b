#include "draw/SlowStopRun.h"

#include "commands/AppContext.h"
#include "draw/DrawText.h"
#include "draw/RollingDisplay.h"
#include "model/NumberConversion.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IMessageBox.h"
#include "platform/INameList.h"
#include "platform/ITextControl.h"
#include "platform/ITimer.h"
#include "platform/IToggle.h"

namespace pelorin {

SlowStopRun::SlowStopRun(AppContext& context, RollingDisplay& display)
    : m_context(context)
    , m_display(display)
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

bool SlowStopRun::begin(std::function<void()> onRest)
{
    const AppState& s = m_context.state;
    if (!m_onForThisDraw || !m_display.hasShownSector() || s.WheelCount < 1)
        return false;
    // A draw started at a lower speed before the option was ticked still runs out at a sensible pace.
    const int speed = s.RollSpeed < SlowStop::MinimumSpeed ? SlowStop::MinimumSpeed : s.RollSpeed;
    m_motion.begin(s.PointerAngle, speed, s.WheelCount, *m_context.services.random);
    m_onRest = std::move(onRest);
    DrawWindowControls& draw = m_context.controls.draw;
    draw.startStop->setText(QStringLiteral("停止中…"));
    draw.timer->setOnTick([this] { tick(); });
    return true;
}

void SlowStopRun::tick()
{
    if (!m_motion.isRunning())
        return;
    const bool rested = m_motion.step();
    m_display.showAtStep(m_motion.position());
    if (rested && m_onRest)
        m_onRest();
}

} // namespace pelorin
