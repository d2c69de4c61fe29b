#include "draw/DrawWindowController.h"

#include "commands/AppContext.h"
#include "draw/DrawText.h"
#include "lists/ListCommands.h"
#include "model/ChangeNotes.h"
#include "model/ListFingerprint.h"
#include "model/NumberConversion.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IDrawWindow.h"
#include "platform/IMessageBox.h"
#include "platform/ITextControl.h"
#include "platform/ITimer.h"
#include "platform/IToggle.h"

namespace pelorin {

DrawWindowController::DrawWindowController(AppContext& context)
    : m_context(context)
    , m_view(context)
{
}

namespace {

constexpr int RollInterval = 10; // milliseconds

QString outOfRange(const QString& field)
{
    return QStringLiteral("%1内的数字超出范围，必须是0到%2之间的数字。").arg(field).arg(MaxListNames);
}

} // namespace

bool DrawWindowController::passesChecks(Category i)
{
    IMessageBox& messages = *m_context.services.messageBox;
    Session& session = *m_context.session;
    if (session.count(i, ListKind::Candidates) < 1) {
        messages.information(QStringLiteral("当前还没有导入将要摇号名单。"), text::windowCaption());
        return false;
    }
    const QString presetText = session.presetText(i);
    const QString drawnText = session.drawnText(i);
    const QString presetMissing = QStringLiteral("预设摇号数据框内不能为空，必须为0以上数字。");
    const QString drawnMissing = QStringLiteral("已摇号数据统计框内不能为空，必须为0以上数字。");
    if (presetText.trimmed().isEmpty()) {
        messages.information(presetMissing, text::windowCaption());
        return false;
    }
    if (drawnText.trimmed().isEmpty()) {
        messages.information(drawnMissing, text::windowCaption());
        return false;
    }
    // A count that is no number is refused with the same words as an empty one; a number too large for a
    // count is told the range.
    const std::optional<std::int16_t> preset = toNumber(presetText);
    if (!preset) {
        messages.information(isOutOfRange(presetText) ? outOfRange(QStringLiteral("预设摇号数据框")) : presetMissing,
                             text::windowCaption());
        return false;
    }
    const std::optional<std::int16_t> drawn = toNumber(drawnText);
    if (!drawn) {
        messages.information(isOutOfRange(drawnText) ? outOfRange(QStringLiteral("已摇号数据统计框")) : drawnMissing,
                             text::windowCaption());
        return false;
    }
    if (*drawn >= *preset) {
        if (!messages.question(QStringLiteral("当前预设数量已摇出。\n\n确定是否需要对本项进行重新摇号？"),
                               text::windowCaption()))
            return false;
        // The same limit as handing back with "撤": refuse and move nothing.
        if (!session.handBackAll(i)) {
            messages.information(listFullMessage(), text::windowCaption());
            return false;
        }
    }
    return true;
}

void DrawWindowController::open(Category i)
{
    // One draw at a time: while the window is open (or the pointer turns) no other category may open it,
    // or a name of one category would land among the results of another.
    Session& session = *m_context.session;
    if (session.progress().isRolling() || session.progress().isOpen())
        return;
    std::optional<Session::Command> command(std::in_place, session, QStringLiteral("start"), i);
    if (!passesChecks(i))
        return;
    DrawWindowControls& draw = m_context.controls.draw;
    session.setCurrentCategory(i);

    draw.window->open();
    if (draw.setBackgroundEnabled)
        draw.setBackgroundEnabled(false);
    session.progress().open();
    if (m_witnessed.isOptionOn()) {
        // The witnessed draw's steps are commands of their own, between what the checks did and the start.
        command.reset();
        if (!m_witnessed.hold(i)) {
            close();
            return;
        }
    }
    startStop();
    if (draw.focusStartStop)
        draw.focusStartStop();
}

void DrawWindowController::close()
{
    Session& session = *m_context.session;
    Session::Command command(session, QStringLiteral("close"), session.currentCategory());
    DrawWindowControls& draw = m_context.controls.draw;
    const bool wasOpen = session.progress().isOpen();
    m_witnessed.noteEnd();
    halt();
    draw.window->close();
    session.progress().close();
    if (draw.setBackgroundEnabled)
        draw.setBackgroundEnabled(true);
    if (wasOpen && draw.focusPage)
        draw.focusPage(session.currentCategory());
}

void DrawWindowController::startStop()
{
    // Only the open draw window starts or stops a draw; a key that reaches a hidden button does nothing.
    if (!m_context.session->progress().isOpen())
        return;
    // While the pointer runs out, further presses are ignored.
    if (m_context.session->progress().isRunningOut())
        return;
    Session& session = *m_context.session;
    if (!session.progress().isRolling()) {
        Session::Command command(session, QStringLiteral("start"), session.currentCategory());
        // The option as it stands now holds for this draw's stop.
        const bool slowStopOn = slowStopOptionOn();
        if (slowStopAllowsStart(slowStopOn) && start(slowStopOn))
            session.note(drawnotes::SlowStopOption, slowStopOn);
        return;
    }
    // With 随机缓停 on for this draw the pointer runs out first; the stop follows where it rests.
    // A witnessed draw's stop rests where the opening's stream says, whenever the press came.
    if (IRandom* stream = session.progress().witnessedStream()) {
        session.progress().beginRunOutTo(stream->between(1, session.progress().wheelCount()));
        return;
    }
    if (session.progress().beginRunOut(*m_context.services.random))
        return;
    takeStop(false);
}

void DrawWindowController::takeStop(bool ranOut)
{
    // The stop is a command of its own; the closing after the last name is another, after it.
    Session& session = *m_context.session;
    StopOutcome outcome = StopOutcome::Ignored;
    {
        Session::Command command(session, QStringLiteral("stop"), session.currentCategory());
        const DrawProgress& progress = session.progress();
        if (progress.hasShownSector()) {
            session.note(drawnotes::SlowStop, ranOut);
            if (ranOut) {
                session.note(drawnotes::SlowStopPressAngle, progress.slowStop().pressAngle());
                session.note(drawnotes::SlowStopTurn, qint64(progress.slowStop().turnSteps()));
            }
            if (progress.witnessedStream())
                session.note(witnessnotes::Witnessed, true);
        }
        outcome = stop();
    }
    if (outcome == StopOutcome::Finished)
        close();
}

void DrawWindowController::notify(const QString& text)
{
    m_context.services.messageBox->information(text, text::windowCaption());
}

bool DrawWindowController::start(bool slowStopOn)
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

    if (IRandom* stream = session.progress().witnessedStream()) {
        const QStringList& before = session.names(category, ListKind::Candidates);
        session.note(shufflenotes::Count, int(before.size()));
        session.note(shufflenotes::Fingerprint, listFingerprint(before));
        session.shuffle(category, *stream);
        session.note(witnessnotes::Witnessed, true);
    } else {
        shuffleWithNewSeed(m_context, category);
    }
    session.note(drawnotes::Speed, int(*speed));
    std::unique_ptr<IRandom> stream = session.takeShuffleStream();
    session.progress().start(*speed, slowStopOn, session.progress().witnessedStream() ? nullptr : std::move(stream));
    draw.timer->setInterval(RollInterval);
    draw.timer->setOnTick([this] { tick(); });
    draw.timer->setEnabled(true);
    draw.window->widen();
    return true;
}

void DrawWindowController::tick()
{
    if (m_context.session->progress().tick())
        takeStop(true);
}

void DrawWindowController::halt()
{
    m_context.controls.draw.timer->setEnabled(false);
    m_context.session->progress().halt();
}

DrawWindowController::StopOutcome DrawWindowController::stop()
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

bool DrawWindowController::slowStopOptionOn() const
{
    const IToggle* option = m_context.controls.draw.slowStop;
    return option && option->isChecked();
}

bool DrawWindowController::slowStopAllowsStart(bool slowStopOn)
{
    if (!slowStopOn)
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

bool DrawWindowController::isRunningOut() const
{
    return m_context.session->progress().isRunningOut();
}

} // namespace pelorin
