#pragma once

#include "record/RecordReplay.h"
#include "record/RecordSummary.h"

#include <QString>

class QIODevice;

namespace pelorin::record {

struct VerifyReport
{
    enum class Outcome
    {
        Holds = 0, // the chain is whole and every event holds
        Broken = 1, // a record, but a line does not hold
        NotARecord = 2, // not a draw record at all (empty, binary, no JSON, a line too long)
    };

    Outcome outcome = Outcome::NotARecord;
    int line = 0; // the first line that does not hold, from 1; 0 for none
    QString reason; // in Chinese
    RecordSummary summary; // what was checked, up to the line that failed
};

// Reads a draw record line by line, never more than one line in memory, checks that each line is chained
// to the one before and written in its one compact form, and replays the events to rebuild and check every
// list, shuffle and stop; with a workbook check, every import's names against its workbook too.
VerifyReport verifyRecord(QIODevice& device, WorkbookCheck check = {});

} // namespace pelorin::record
