#include "draw/RollingDisplay.h"

#include "commands/AppContext.h"
#include "draw/DrawText.h"
#include "draw/WheelRenderer.h"
#include "model/Session.h"
#include "model/SlowStop.h"
#include "platform/INameList.h"
#include "platform/ITextControl.h"

namespace pelorin {

RollingDisplay::RollingDisplay(AppContext& context)
    : m_context(context)
{
}

wheel::Geometry RollingDisplay::geometry() const
{
    const AppState& s = m_context.state;
    return { s.WheelCenterX, s.WheelCenterY, s.WheelRadius };
}

void RollingDisplay::DrawWheel()
{
    AppState& s = m_context.state;
    m_shown = false;
    m_shownText.clear();
    m_shownSector = 0;
    m_shownSteps = 0;
    m_pointerDegrees = s.PointerAngle;
    m_pointerSteps = std::int64_t(s.PointerAngle) * s.WheelCount;
    ++m_generation;
    WheelRenderer::DrawWheel(*m_context.controls.draw.surface, geometry(), s.WheelCount, s.WheelFont);
}

void RollingDisplay::tick()
{
    AppState& s = m_context.state;
    // The reset comes before the step, so the pointer never stands at 0.
    if (s.PointerAngle >= 360)
        s.PointerAngle = 0;
    s.PointerAngle += s.RollSpeed;

    m_pointerDegrees = s.PointerAngle;
    m_pointerSteps = std::int64_t(s.PointerAngle) * s.WheelCount;
    showSector(wheel::sectorAt(s.PointerAngle, s.WheelCount));
    WheelRenderer::drawPointer(*m_context.controls.draw.surface, geometry(), s.PointerAngle);
}

void RollingDisplay::showSector(int sector)
{
    const AppState& s = m_context.state;
    const QStringList& candidates
        = m_context.session->names(m_context.session->currentCategory(), ListKind::Candidates);
    if (sector > 0 && sector <= candidates.size()) {
        m_shownText = nameBoxText(sector, s.WheelCount, candidates.at(sector - 1));
        m_shown = true;
        m_shownSector = sector;
        m_shownSteps = m_pointerSteps;
        m_context.controls.draw.nameBox->setText(m_shownText);
    }
}

void RollingDisplay::showAtStep(std::int64_t step)
{
    AppState& s = m_context.state;
    const int count = s.WheelCount < 1 ? 1 : s.WheelCount;
    m_pointerSteps = step;
    showSector(SlowStop::sectorAtStep(step, count));
    const std::int64_t lap = std::int64_t(360) * count;
    std::int64_t inLap = ((step % lap) + lap) % lap;
    if (inLap == 0)
        inLap = lap;
    m_pointerDegrees = double(inLap) / count;
    // Whole degrees within the lap, 1 to 360, as the rolling pointer counts them.
    s.PointerAngle = static_cast<std::int32_t>(inLap / count);
    if (s.PointerAngle == 0)
        s.PointerAngle = 360;
    WheelRenderer::drawPointer(*m_context.controls.draw.surface, geometry(), m_pointerDegrees);
}

} // namespace pelorin
