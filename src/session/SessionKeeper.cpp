#include "session/SessionKeeper.h"

#include "model/SeededStream.h"
#include "model/Session.h"
#include "model/Shuffle.h"
#include "platform/IClock.h"
#include "record/RecordFormat.h"
#include "record/RecordVerifier.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace pelorin {

SessionKeeper::SessionKeeper(Session& session, IJournal* journal, IClock* clock, QDateTime started)
    : m_session(session)
    , m_journal(journal)
    , m_clock(clock)
    , m_started(started.isValid() ? started.toUTC() : now())
{
    connect(&m_session, &Session::changed, this, &SessionKeeper::keep);
    m_chain.head = record::headLine(header(m_started));
    if (m_journal)
        m_journal->startSession(m_started, m_chain.head);
}

record::RecordHeader SessionKeeper::header(const QDateTime& started)
{
    // The header is written when the session begins.
    return { started, started, QStringLiteral(PELORIN_VERSION) };
}

void SessionKeeper::keep(const SessionChange& change)
{
    SessionChange record = change;
    record.sequence = ++m_sequence;
    // A clock set back (by hand, or by the network's time) never makes the record run backwards.
    const QDateTime latest = m_records.empty() ? m_started : m_records.back().time;
    record.time = std::max(now(), latest);
    m_records.push_back(record);
    QByteArray line;
    if (record::recordsAnything(record)) {
        line = record::commandLine(record, m_chain.last(), int(m_chain.lines.size()) + 1);
        m_chain.lines.push_back(line);
        m_session.progress().noteRecordCode(record::roomCode(line));
    }
    if (m_journal && !m_journal->append(record, line)) {
        const QString reason = m_journal->lastError();
        m_journal = nullptr;
        if (m_failed)
            m_failed(reason);
    }
}

namespace {

// Lines of another format than this program writes come from an earlier version of it, which kept the same
// changes: their record is made again, as for a journal that kept no lines.
bool keptInThisFormat(const KeptSession& session)
{
    if (session.head.isEmpty() && session.lines.empty())
        return false;
    const QJsonObject head = QJsonDocument::fromJson(session.head).object();
    return head.isEmpty() || head.value(QStringLiteral("formatVersion")).toInt(-1) == record::FormatVersion;
}

} // namespace

int SessionKeeper::chainBreak(const KeptSession& session)
{
    if (!keptInThisFormat(session))
        return 0;
    const QJsonObject head = QJsonDocument::fromJson(session.head).object();
    if (head.isEmpty() || record::canonicalLine(head) != session.head
        || head.value(QStringLiteral("sessionStarted")).toString() != record::utcText(session.started))
        return 1;
    return record::firstBreak({ session.head, session.lines }, session.commands);
}

bool SessionKeeper::restore(const KeptSession& session)
{
    const bool remade = !keptInThisFormat(session);
    m_session.restore(session.commands);
    m_records = session.commands;
    if (remade)
        m_chain = record::chainOf(header(session.started), session.commands);
    else
        m_chain = { session.head, session.lines };
    if (!m_chain.lines.empty())
        m_session.progress().noteRecordCode(record::roomCode(m_chain.lines.back()));
    resumeCeremonies();
    m_sequence = m_records.empty() ? 0 : m_records.back().sequence;
    m_started = session.started;
    if (m_journal)
        m_journal->continueSession(session.id);
    return remade;
}

void SessionKeeper::resumeCeremonies()
{
    // A completed 见证摇号 goes on after a restart: its stream draws the next substitute where the record's
    // replay leaves it, and its seed is the next task assignment's. Only a record that revealed a seed is
    // replayed for it.
    const QByteArray reveal = QByteArrayLiteral("\"kind\":\"reveal\"");
    if (std::none_of(m_chain.lines.begin(), m_chain.lines.end(),
                     [&reveal](const QByteArray& line) { return line.contains(reveal); }))
        return;
    QBuffer buffer;
    buffer.setData(record::closeChain(m_chain).bytes);
    buffer.open(QIODevice::ReadOnly);
    const record::VerifyReport report = record::verifyRecord(buffer);
    if (report.outcome != record::VerifyReport::Outcome::Holds)
        return;
    for (const record::WitnessedDraw& draw : report.summary.witnessed) {
        const std::optional<ShuffleSeed> seed = ShuffleSeed::fromHex(draw.seed);
        if (seed && draw.end == record::WitnessedDraw::End::Completed)
            m_session.progress().adoptCompletedSeed(*seed);
        if (!draw.substitutesOpen || !seed)
            continue;
        auto stream = std::make_unique<SeededStream>(*seed);
        for (const record::WitnessedDraw::Step& step : draw.steps) {
            if (step.shuffle)
                shuffledOrder(step.count, *stream);
            else
                stream->between(1, step.count);
        }
        m_session.progress().adoptSubstituteStream(draw.category, std::move(stream));
    }
}

void SessionKeeper::endSession()
{
    if (m_journal && !m_journal->endSession(now()))
        m_journal = nullptr;
}

QDateTime SessionKeeper::now() const
{
    return (m_clock ? m_clock->now() : QDateTime::currentDateTime()).toUTC();
}

} // namespace pelorin
