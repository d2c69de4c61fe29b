#include "draw/DrawEngine.h"

#include "app/AppContext.h"
#include "app/AppText.h"
#include "app/Layout.h"
#include "app/NumberConversion.h"
#include "draw/DrawText.h"
#include "lists/SeededShuffle.h"
#include "platform/IMessageBox.h"
#include "platform/INameList.h"
#include "platform/IPanel.h"
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
    INameList& candidates = *m_context.category(s.CurCategory).candidates;
    if (candidates.count() == 0) {
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
    shuffleCandidatesWithNewSeed(m_context, s.CurCategory);
    s.WheelCount = candidates.count();
    s.RollSpeed = *speed;
    m_context.notes.note(drawnotes::Speed, int(*speed));
    s.PointerAngle = 0;
    m_display.DrawWheel();

    const QRect bounds = draw.window->bounds();
    draw.window->setBounds(QRect((layout::WindowWidth - layout::DrawWindowWideWidth) / 2, bounds.top(),
                                 layout::DrawWindowWideWidth, bounds.height()));
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
    const std::optional<QString> drawn = drawnNameOf(m_display.shownText());
    if (!drawn)
        return StopOutcome::Ignored;

    halt();
    const QString& name = *drawn;
    // Where the pointer stood and what the wheel showed, so that a record of this stop can be checked
    // against the shuffled list.
    CommandNotes& notes = m_context.notes;
    notes.note(drawnotes::Name, name);
    notes.note(drawnotes::Sector, m_display.shownSector());
    notes.note(drawnotes::WheelCount, int(m_context.state.WheelCount));
    notes.note(drawnotes::Speed, int(m_context.state.RollSpeed));
    notes.note(drawnotes::Angle, m_display.pointerDegrees());
    notes.note(drawnotes::Steps, qint64(m_display.pointerSteps()));
    notes.note(drawnotes::ShownSteps, qint64(m_display.shownSteps()));
    DrawWindowControls& draw = m_context.controls.draw;
    CategoryControls& page = m_context.category(m_context.state.CurCategory);
    page.results->append(name);
    draw.currentDraw->append(name);
    page.drawnCount->setText(QString::number(page.results->count()));
    if (const std::optional<std::int16_t> drawnSoFar = toNumber(draw.drawnBox->text()))
        draw.drawnBox->setText(QString::number(static_cast<int>(*drawnSoFar) + 1));

    const int count = page.candidates->count();
    for (int i = 0; i < count; ++i) {
        if (page.candidates->textAt(i) == name) {
            page.candidates->removeAt(i);
            page.candidateCounter->setText(QString::number(page.candidates->count()));
            break;
        }
    }

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
