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

// The draw record of a session's commands, each line chained to the one before.
WrittenRecord writeRecord(const RecordHeader& header, const std::vector<SessionChange>& commands);

// One command as the object of its event line, without "prev".
QJsonObject eventObject(const SessionChange& command);

} // namespace pelorin::record
