#include "draw/RollingDisplay.h"

#include "app/AppContext.h"
#include "draw/DrawText.h"
#include "draw/WheelRenderer.h"
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
    WheelRenderer::DrawWheel(*m_context.controls.draw.surface, geometry(), s.WheelCount, s.WheelFont);
}

void RollingDisplay::tick()
{
    AppState& s = m_context.state;
    // The reset comes before the step, so the pointer never stands at 0.
    if (s.PointerAngle >= 360)
        s.PointerAngle = 0;
    s.PointerAngle += s.RollSpeed;

    const int sector = wheel::sectorAt(s.PointerAngle, s.WheelCount);
    const INameList& candidates = *m_context.category(s.CurCategory).candidates;
    if (sector > 0 && sector <= candidates.count()) {
        m_shownText = nameBoxText(sector, s.WheelCount, candidates.textAt(sector - 1));
        m_shown = true;
        m_context.controls.draw.nameBox->setText(m_shownText);
    }
    WheelRenderer::drawPointer(*m_context.controls.draw.surface, geometry(), s.PointerAngle);
}

} // namespace pelorin
