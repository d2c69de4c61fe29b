#pragma once

#include "model/SessionChange.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace pelorin {

// A session as the journal kept it.
struct KeptSession
{
    qint64 id = 0;
    QDateTime started; // UTC
    std::vector<SessionChange> commands;
    // The draw record's header line and the record lines written with the commands, in order; both empty
    // for a session kept by an earlier program, which wrote no record lines.
    QByteArray head;
    std::vector<QByteArray> lines;
};

// Where the session's commands are kept as they happen. Every call that writes is durable when it
// returns true; false means nothing of that call was kept and lastError() says why.
class IJournal
{
public:
    virtual ~IJournal() = default;

    // The newest session that neither ended normally nor was declined and that holds a command.
    virtual std::optional<KeptSession> unfinishedSession() = 0;
    // Commands appended from now on belong to a new session begun at started, whose record begins with
    // head; it is written with its first command, so a run that changes nothing leaves nothing behind.
    virtual void startSession(const QDateTime& started, const QByteArray& head) = 0;
    // Commands appended from now on continue session id.
    virtual void continueSession(qint64 id) = 0;
    // Marks a session the user chose not to restore; it stays kept.
    virtual bool declineSession(qint64 id) = 0;
    // Keeps one command and its record line, all of it or nothing, in the current session.
    virtual bool append(const SessionChange& record, const QByteArray& line) = 0;
    // Marks the current session as ended normally at ended (nothing happens if it was never written).
    virtual bool endSession(const QDateTime& ended) = 0;
    virtual QString lastError() const = 0;
};

} // namespace pelorin
