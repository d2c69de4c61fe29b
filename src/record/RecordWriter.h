#pragma once

#include "model/SessionChange.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

namespace pelorin::record {

struct RecordHeader
{
    QDateTime sessionStarted;
    QDateTime written;
    QString programVersion;
};

struct WrittenRecord
{
    QByteArray bytes; // the whole file
    QString checkCode; // the hash of its last line
    int events = 0;
};

// The record as it grows with the session: the header line, written when the session begins, and one line
// per command, written with it, each carrying the hash of the line before. The record file is a copy of
// it closed by an end line.
struct Chain
{
    QByteArray head;
    std::vector<QByteArray> lines;

    const QByteArray& last() const { return lines.empty() ? head : lines.back(); }
};

QByteArray headLine(const RecordHeader& header);
// Whether a command leaves a line in the record: one that changed only texts of the window (folders,
// paths) leaves nothing a record holds.
bool recordsAnything(const SessionChange& command);
// The line of a command that follows previous as the record's event number seq (1, 2, ...).
QByteArray commandLine(const SessionChange& command, const QByteArray& previous, int seq);
// The chain of a session's commands under the header.
Chain chainOf(const RecordHeader& header, const std::vector<SessionChange>& commands);
// The record file: the chain and its end line.
WrittenRecord closeChain(const Chain& chain);
// The draw record of a session's commands, each line chained to the one before.
WrittenRecord writeRecord(const RecordHeader& header, const std::vector<SessionChange>& commands);

// 0 when every line of the chain is the line of its command (of those that leave one) and carries the hash
// of the line before; otherwise the line number (the header is line 1) where that first fails. A chain with
// another number of lines than such commands breaks where the shorter ends.
int firstBreak(const Chain& chain, const std::vector<SessionChange>& commands);

// What the room is shown when a line has been written: the first 8 hex digits of its hash, in two groups
// of four ("1a2b 3c4d").
QString roomCode(const QByteArray& line);

// One command as the object of its event line, without "prev".
QJsonObject eventObject(const SessionChange& command);

} // namespace pelorin::record
