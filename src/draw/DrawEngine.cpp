#include "draw/DrawEngine.h"

#include "commands/AppContext.h"
#include "draw/DrawText.h"
#include "lists/ListCommands.h"
#include "model/NumberConversion.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IDrawWindow.h"
#include "platform/IMessageBox.h"
#include "platform/INameList.h"
#include "platform/ITextControl.h"
#include "platform/ITimer.h"

namespace pelorin {

namespace {

constexpr int RollInterval = 10; // milliseconds

} // namespace

DrawEngine::DrawEngine(AppContext& context)
    : m_context(context)
    , m_display(context)
{
}

void DrawEngine::notify(const QString& text)
{
    m_context.services.messageBox->information(text, text::windowCaption());
}

bool DrawEngine::start()
{
    AppState& s = m_context.state;
    DrawWindowControls& draw = m_context.controls.draw;
    Session& session = *m_context.session;
    const Category category = session.currentCategory();
    if (session.count(category, ListKind::Candidates) == 0) {
        notify(QStringLiteral("当前还没有导入将要摇号名单。"));
        return false;
    }
    const std::optional<std::int16_t> speed = rollSpeedFrom(draw.speedBox->text());
    if (!speed) {
        notify(QStringLiteral("转速必须是1到360之间的整数。"));
        return false;
    }

    s.IsRolling = true;
    draw.timer->setInterval(RollInterval);
    draw.timer->setOnTick([this] { m_display.tick(); });
    draw.timer->setEnabled(true);
    draw.startStop->setText(QStringLiteral("停止"));
    shuffleWithNewSeed(m_context, category);
    s.WheelCount = session.count(category, ListKind::Candidates);
    s.RollSpeed = *speed;
    session.note(drawnotes::Speed, int(*speed));
    s.PointerAngle = 0;
    m_display.DrawWheel();
    draw.window->widen();
    return true;
}

void DrawEngine::halt()
{
    m_context.state.IsRolling = false;
    m_context.controls.draw.timer->setEnabled(false);
    m_context.controls.draw.startStop->setText(QStringLiteral("开始摇号"));
}

DrawEngine::StopOutcome DrawEngine::stop()
{
    // Until a sector has been shown the name box holds nothing of this draw: an empty text, or the
    // name drawn last time, which is already among the results.
    if (!m_display.hasShownSector())
        return StopOutcome::Ignored;
    Session& session = *m_context.session;
    const Category category = session.currentCategory();
    const int sector = m_display.shownSector();
    if (sector < 1 || sector > session.count(category, ListKind::Candidates))
        return StopOutcome::Ignored;

    halt();
    // The name comes from the wheel's list, never from the name box's text.
    const QString name = session.names(category, ListKind::Candidates).at(sector - 1);
    // Where the pointer stood and what the wheel showed, so that a record of this stop can be checked
    // against the shuffled list.
    session.note(drawnotes::Name, name);
    session.note(drawnotes::Sector, m_display.shownSector());
    session.note(drawnotes::WheelCount, int(m_context.state.WheelCount));
    session.note(drawnotes::Speed, int(m_context.state.RollSpeed));
    session.note(drawnotes::Angle, m_display.pointerDegrees());
    session.note(drawnotes::Steps, qint64(m_display.pointerSteps()));
    session.note(drawnotes::ShownSteps, qint64(m_display.shownSteps()));
    DrawWindowControls& draw = m_context.controls.draw;
    session.draw(category, sector);
    draw.currentDraw->append(name);
    if (const std::optional<std::int16_t> drawnSoFar = toNumber(draw.drawnBox->text()))
        draw.drawnBox->setText(QString::number(static_cast<int>(*drawnSoFar) + 1));

    // As numbers, so that a preset typed "03" or " 3" ends the draw after the third name.
    const std::optional<std::int16_t> drawnNow = toNumber(draw.drawnBox->text());
    const std::optional<std::int16_t> preset = toNumber(draw.presetBox->text());
    if (drawnNow && preset && *drawnNow == *preset) {
        notify(QStringLiteral("预设定摇取个数已摇完毕。"));
        return StopOutcome::Finished;
    }
    return StopOutcome::Drawn;
}

} // namespace pelorin
