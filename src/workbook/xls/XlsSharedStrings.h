#pragma once

#include <QByteArray>
#include <QByteArrayView>
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

// Where each string of an SST stands, so that a string is decoded only when a cell shows it. The bytes the
// reader's segments point into must outlive the index.
class SharedStringIndex
{
public:
    SharedStringIndex() = default;
    // Walks the SST the way readSharedStrings reads it, stopping where it stops.
    explicit SharedStringIndex(ContinuedReader& reader);

    std::size_t size() const { return m_entries.size(); }
    QString text(std::size_t i) const;

private:
    struct Entry
    {
        quint32 segment;
        quint32 offset; // of the first character, after the string's header
        quint16 count;
        bool twoBytes;
    };
    std::vector<QByteArrayView> m_segments;
    std::vector<Entry> m_entries;
};

// Appends the SST with its CONTINUE records and the EXTSST index to writer. streamBase is the stream position
// at which the writer's bytes will stand, since the index holds absolute positions.
void writeSharedStrings(BiffWriter& writer, qsizetype streamBase, const SharedStringTable& table);

} // namespace pelorin::workbook
