#include "draw/DrawWindowView.h"

#include "commands/AppContext.h"
#include "draw/DrawText.h"
#include "draw/WheelRenderer.h"
#include "model/Session.h"
#include "model/WitnessSeed.h"
#include "platform/INameList.h"
#include "platform/ITextControl.h"

namespace pelorin {

namespace {

// Each hash in four lines of four groups, so it fits beside the wheel and reads aloud group by group.
QString ceremonyText(const DrawProgress::Ceremony& ceremony)
{
    using Stage = DrawProgress::Ceremony::Stage;
    if (ceremony.stage == Stage::None)
        return {};
    QString text = QStringLiteral("见证摇号（要摇 %1 个）\n承诺值：\n").arg(ceremony.draws)
        + witness::grouped(ceremony.commitment, 4);
    if (ceremony.stage != Stage::Committed)
        text += QStringLiteral("\n见证数字：") + ceremony.witnessText;
    if (ceremony.stage == Stage::Revealed)
        text += QStringLiteral("\n秘密值：\n") + witness::grouped(ceremony.secret.hex(), 4);
    return text;
}

} // namespace

DrawWindowView::DrawWindowView(AppContext& context)
    : m_context(context)
{
    if (m_context.session)
        QObject::connect(&m_context.session->progress(), &DrawProgress::changed,
                         [this](int aspects) { follow(aspects); });
}

void DrawWindowView::follow(int aspects)
{
    const DrawProgress& draw = m_context.session->progress();
    DrawWindowControls& controls = m_context.controls.draw;
    const AppState& s = m_context.state;
    const wheel::Geometry geometry { s.WheelCenterX, s.WheelCenterY, s.WheelRadius };
    if ((aspects & DrawProgress::Opening) && draw.isOpen()) {
        controls.nameBox->setText(QString());
        controls.presetBox->setText(draw.presetText());
    }
    if (aspects & (DrawProgress::Opening | DrawProgress::Drawn)) {
        if (draw.isOpen())
            controls.drawnBox->setText(draw.drawnText());
        if (controls.currentDraw && controls.currentDraw->items() != draw.drawnThisOpening())
            controls.currentDraw->setItems(draw.drawnThisOpening());
    }
    if ((aspects & DrawProgress::RecordCode) && controls.recordCode)
        controls.recordCode->setText(draw.recordCode().isEmpty() ? QString()
                                                                 : QStringLiteral("记录校验码：") + draw.recordCode());
    if ((aspects & DrawProgress::CeremonyStep) && controls.ceremony)
        controls.ceremony->setText(ceremonyText(draw.ceremony()));
    if ((aspects & DrawProgress::Wheel) && controls.surface)
        WheelRenderer::DrawWheel(*controls.surface, geometry, draw.wheelCount(), m_context.state.WheelFont);
    if (aspects & DrawProgress::Motion) {
        if (draw.isRunningOut())
            controls.startStop->setText(QStringLiteral("停止中…"));
        else
            controls.startStop->setText(draw.isRolling() ? QStringLiteral("停止") : QStringLiteral("开始摇号"));
    }
    // A new wheel shows no pointer until the first tick, as the rolling display always drew it.
    if ((aspects & DrawProgress::Pointer) && !(aspects & DrawProgress::Wheel)) {
        if (draw.hasShownSector())
            controls.nameBox->setText(nameBoxText(draw.shownSector(), draw.shownOf(), draw.shownName()));
        if (controls.surface)
            WheelRenderer::drawPointer(*controls.surface, geometry, draw.pointerDegrees());
    }
}

} // namespace pelorin
