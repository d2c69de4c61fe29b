#pragma once

#include "model/SessionChange.h"
#include "record/RecordWriter.h"

#include <QDateTime>
#include <vector>

namespace pelorin {

// The commands of the session in progress, as they were kept, for the draw record.
class ISessionHistory
{
public:
    virtual ~ISessionHistory() = default;

    // When the session began, UTC.
    virtual QDateTime sessionStarted() const = 0;
    // Every command of the session so far, in order, those of a restored session included.
    virtual std::vector<SessionChange> commands() const = 0;
    // The session's draw record as it was written with the commands.
    virtual const record::Chain& chain() const = 0;
};

} // namespace pelorin
