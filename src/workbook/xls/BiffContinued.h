#pragma once

#include <QByteArrayView>
#include <QString>
#include <span>
#include <vector>

namespace pelorin::workbook {

class BiffStream;

// Reads the body of a record together with the CONTINUE records after it as one run of bytes. Characters of a
// string cut by a CONTINUE boundary go on after a fresh flags byte that says whether they take one or two bytes.
class ContinuedReader
{
public:
    // Takes the record just read from stream and moves stream past the CONTINUE records that follow it.
    ContinuedReader(QByteArrayView first, BiffStream& stream);
    explicit ContinuedReader(std::vector<QByteArrayView> segments);
    // Reads segments kept elsewhere, from a position an earlier reader took.
    ContinuedReader(std::span<const QByteArrayView> segments, std::size_t segment, qsizetype offset);
    ContinuedReader(const ContinuedReader&) = delete;
    ContinuedReader& operator=(const ContinuedReader&) = delete;

    quint8 u8()
    {
        if (m_ok && m_segment < m_segments.size() && m_offset < m_segments[m_segment].size())
            return quint8(m_segments[m_segment][m_offset++]);
        return nextSegmentU8();
    }
    quint16 u16();
    quint32 u32();
    void skip(qsizetype n);
    // n bytes as they stand, crossing CONTINUE boundaries without flags bytes (rich text runs, phonetic data).
    QByteArray bytes(qsizetype n);
    // count characters; the flags byte before them has already been read.
    QString characters(quint32 count, bool twoBytes);
    // Moves past count characters as characters() reads them, without keeping them.
    void skipCharacters(quint32 count, bool twoBytes);
    // A string with a 16-bit length and a flags byte; rich text runs and phonetic data are skipped.
    QString unicodeString();
    bool ok() const { return m_ok; }
    // True when the next byte starts a CONTINUE record.
    bool atSegmentStart() const { return m_offset == 0; }
    // Position as (segment, offset in segment).
    std::size_t segment() const { return m_segment; }
    qsizetype offset() const { return m_offset; }
    std::span<const QByteArrayView> segments() const { return m_segments; }

private:
    bool advanceIfEmpty();
    quint8 nextSegmentU8();
    template <typename Take> void walkCharacters(quint32 count, bool twoBytes, Take&& take);

    std::vector<QByteArrayView> m_owned;
    std::span<const QByteArrayView> m_segments;
    std::size_t m_segment = 0;
    qsizetype m_offset = 0;
    bool m_ok = true;
};

} // namespace pelorin::workbook
