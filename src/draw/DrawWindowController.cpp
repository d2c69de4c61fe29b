#include "draw/DrawWindowController.h"

#include "commands/AppContext.h"
#include "lists/ListCommands.h"
#include "model/ChangeNotes.h"
#include "model/NumberConversion.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IDrawWindow.h"
#include "platform/IMessageBox.h"
#include "platform/ITextControl.h"

namespace pelorin {

DrawWindowController::DrawWindowController(AppContext& context)
    : m_context(context)
    , m_view(context)
    , m_engine(context)
    , m_slowStop(context)
{
    m_engine.setOnRest([this] { takeStop(true); });
}

namespace {

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
    Session::Command command(session, QStringLiteral("start"), i);
    if (!passesChecks(i))
        return;
    DrawWindowControls& draw = m_context.controls.draw;
    session.setCurrentCategory(i);

    draw.window->open();
    if (draw.setBackgroundEnabled)
        draw.setBackgroundEnabled(false);
    session.progress().open();
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
    m_engine.halt();
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
    if (m_slowStop.isRunning())
        return;
    Session& session = *m_context.session;
    const bool rolling = session.progress().isRolling();
    Session::Command command(session, rolling ? QStringLiteral("stop") : QStringLiteral("start"),
                             session.currentCategory());
    if (!rolling) {
        if (m_slowStop.allowsStart() && m_engine.start(m_slowStop.isOnForThisDraw()))
            session.note(drawnotes::SlowStopOption, m_slowStop.isOnForThisDraw());
        return;
    }
    if (m_slowStop.begin())
        return;
    takeStop(false);
}

void DrawWindowController::takeStop(bool ranOut)
{
    // A stop after the run-out arrives from the timer, outside the press's command: it is a command of its own.
    Session& session = *m_context.session;
    Session::Command command(session, QStringLiteral("stop"), session.currentCategory());
    const DrawProgress& progress = session.progress();
    if (progress.hasShownSector()) {
        session.note(drawnotes::SlowStop, ranOut);
        if (ranOut) {
            session.note(drawnotes::SlowStopPressAngle, progress.slowStop().pressAngle());
            session.note(drawnotes::SlowStopTurn, qint64(progress.slowStop().turnSteps()));
        }
    }
    if (m_engine.stop() == DrawEngine::StopOutcome::Finished)
        close();
}

} // namespace pelorin
