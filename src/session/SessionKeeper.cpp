#include "session/SessionKeeper.h"

#include "model/Session.h"
#include "platform/IClock.h"

namespace pelorin {

SessionKeeper::SessionKeeper(Session& session, IJournal* journal, IClock* clock, QDateTime started)
    : m_session(session)
    , m_journal(journal)
    , m_clock(clock)
    , m_started(started.toUTC())
{
    connect(&m_session, &Session::changed, this, &SessionKeeper::keep);
    if (m_journal)
        m_journal->startSession(m_started);
}

void SessionKeeper::keep(const SessionChange& change)
{
    SessionChange record = change;
    record.sequence = ++m_sequence;
    record.time = now();
    m_records.push_back(record);
    if (m_journal && !m_journal->append(record)) {
        const QString reason = m_journal->lastError();
        m_journal = nullptr;
        if (m_failed)
            m_failed(reason);
    }
}

void SessionKeeper::restore(const KeptSession& session)
{
    m_session.restore(session.commands);
    m_records = session.commands;
    m_sequence = m_records.empty() ? 0 : m_records.back().sequence;
    m_started = session.started;
    if (m_journal)
        m_journal->continueSession(session.id);
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
