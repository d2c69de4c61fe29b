#include "draw/DrawEngine.h"

#include "commands/AppContext.h"
#include "draw/DrawText.h"
#include "lists/ListCommands.h"
#include "model/ChangeNotes.h"
#include "model/NumberConversion.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IDrawWindow.h"
#include "platform/IMessageBox.h"
#include "platform/ITextControl.h"
#include "platform/ITimer.h"

namespace pelorin {

namespace {

constexpr int RollInterval = 10; // milliseconds

} // namespace

DrawEngine::DrawEngine(AppContext& context)
    : m_context(context)
{
}

void DrawEngine::notify(const QString& text)
{
    m_context.services.messageBox->information(text, text::windowCaption());
}

bool DrawEngine::start(bool slowStopOn)
{
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

    shuffleWithNewSeed(m_context, category);
    session.note(drawnotes::Speed, int(*speed));
    session.progress().start(*speed, slowStopOn, session.takeShuffleStream());
    draw.timer->setInterval(RollInterval);
    draw.timer->setOnTick([this] { tick(); });
    draw.timer->setEnabled(true);
    draw.window->widen();
    return true;
}

void DrawEngine::tick()
{
    if (m_context.session->progress().tick() && m_onRest)
        m_onRest();
}

void DrawEngine::halt()
{
    m_context.controls.draw.timer->setEnabled(false);
    m_context.session->progress().halt();
}

DrawEngine::StopOutcome DrawEngine::stop()
{
    Session& session = *m_context.session;
    const DrawProgress& progress = session.progress();
    // Until a sector has been shown nothing of this draw is on view: the name box is empty or holds the
    // name drawn last time, which is already among the results.
    if (!progress.hasShownSector())
        return StopOutcome::Ignored;
    const Category category = session.currentCategory();
    const int sector = progress.shownSector();
    if (sector < 1 || sector > session.count(category, ListKind::Candidates))
        return StopOutcome::Ignored;

    halt();
    // The name comes from the wheel's list, never from the name box's text.
    const QString name = session.names(category, ListKind::Candidates).at(sector - 1);
    // Where the pointer stood and what the wheel showed, so that a record of this stop can be checked
    // against the shuffled list.
    session.note(drawnotes::Name, name);
    session.note(drawnotes::Sector, sector);
    session.note(drawnotes::WheelCount, progress.wheelCount());
    session.note(drawnotes::Speed, int(progress.speed()));
    session.note(drawnotes::Angle, progress.pointerDegrees());
    session.note(drawnotes::Steps, qint64(progress.pointerSteps()));
    session.note(drawnotes::ShownSteps, qint64(progress.shownSteps()));
    session.draw(category, sector);
    session.progress().noteDrawn(name);

    // As numbers, so that a preset typed "03" or " 3" ends the draw after the third name.
    const std::optional<std::int16_t> drawnNow = toNumber(progress.drawnText());
    const std::optional<std::int16_t> preset = toNumber(progress.presetText());
    if (drawnNow && preset && *drawnNow == *preset) {
        notify(QStringLiteral("预设定摇取个数已摇完毕。"));
        return StopOutcome::Finished;
    }
    return StopOutcome::Drawn;
}

} // namespace pelorin
