#pragma once

#include <QString>

class QTextStream;

namespace pelorin::record {

// pelorin --verify FILE: checks a draw record and writes in Chinese what it checked. Returns the exit code:
// 0 when everything holds, 1 naming the first line that does not hold, 2 for a file that is no record.
int runVerify(const QString& path, QTextStream& out);
// pelorin --verify FILE --workbooks DIR: also reads every import's workbook, found in DIR by the SHA-256 of its
// bytes, as the import reads it, and compares its names with the record's; 1 when one is missing or differs.
int runVerify(const QString& path, const QString& workbooks, QTextStream& out);

// A recorded time ("2026-12-08T15:01:02.345+08:00") as the sheet and the report show it: "2026-12-08 15:01:02".
QString shownTime(const QString& recorded);

} // namespace pelorin::record
