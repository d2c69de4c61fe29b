#pragma once

#include "platform/IJournal.h"
#include "session/ISessionHistory.h"

#include <QObject>
#include <functional>

namespace pelorin {

class IClock;
class Session;

// Follows the session and keeps each change it announces: in memory for the draw record, and in the
// journal when there is one.
class SessionKeeper : public QObject, public ISessionHistory
{
    Q_OBJECT
public:
    // journal may be null: the session is then kept in memory only. clock null: the system's. started
    // invalid: now, by that clock.
    SessionKeeper(Session& session, IJournal* journal, IClock* clock, QDateTime started);

    QDateTime sessionStarted() const override { return m_started; }
    std::vector<SessionChange> commands() const override { return m_records; }
    const record::Chain& chain() const override { return m_chain; }

    // 0 when the kept session's record lines hold: the header names its start, and every line is the line
    // of its command and carries the hash of the line before. Otherwise the number of the first line that
    // does not hold (the header is line 1). A session kept without record lines holds.
    static int chainBreak(const KeptSession& session);
    // Puts the session back as the kept changes left it and continues that session and its record. The
    // chain must hold. A session kept without record lines of this format (by an earlier version) gets the
    // record its changes make; the result is then true, so that the user can be told.
    bool restore(const KeptSession& session);
    // The user ended the program normally.
    void endSession();

    bool journalling() const { return m_journal != nullptr; }
    // Called once, with the reason, if the journal stops taking records; the session goes on in memory.
    void setJournalFailedHandler(std::function<void(const QString&)> handler) { m_failed = std::move(handler); }

private:
    static record::RecordHeader header(const QDateTime& started);
    void resumeCeremonies();
    void keep(const SessionChange& change);
    QDateTime now() const;

    Session& m_session;
    IJournal* m_journal;
    IClock* m_clock;
    QDateTime m_started;
    std::function<void(const QString&)> m_failed;
    std::vector<SessionChange> m_records;
    record::Chain m_chain;
    qint64 m_sequence = 0;
};

} // namespace pelorin
