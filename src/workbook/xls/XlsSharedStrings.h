#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace pelorin::workbook {

class BiffWriter;
class ContinuedReader;

// One entry of the shared string table, with its rich text runs and phonetic data kept as raw bytes.
struct SharedString
{
    QString text;
    QByteArray runs; // 4 bytes a run
    QByteArray phonetic;
};

struct SharedStringTable
{
    quint32 totalRefs = 0; // how many cells refer to the table
    std::vector<SharedString> strings;
};

// Reads an SST record and its CONTINUE records; stops early, keeping what it got, when the bytes run out.
SharedStringTable readSharedStrings(ContinuedReader& reader);

// Appends the SST with its CONTINUE records and the EXTSST index to writer. streamBase is the stream position
// at which the writer's bytes will stand, since the index holds absolute positions.
void writeSharedStrings(BiffWriter& writer, qsizetype streamBase, const SharedStringTable& table);

} // namespace pelorin::workbook
