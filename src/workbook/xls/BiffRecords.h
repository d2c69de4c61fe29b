#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtEndian>
#include <cstring>
#include <deque>
#include <functional>
#include <vector>

namespace pelorin::workbook {

// Record types of the BIFF8 workbook stream used by the reader and the writer.
namespace biff {
enum : quint16
{
    Formula = 0x0006,
    Eof = 0x000A,
    Index = 0x020B,
    CalcMode = 0x000D,
    DateMode = 0x0022,
    FilePass = 0x002F,
    Continue = 0x003C,
    Window1 = 0x003D,
    CodePage = 0x0042,
    DefColWidth = 0x0055,
    ColInfo = 0x007D,
    BoundSheet = 0x0085,
    MulRk = 0x00BD,
    MulBlank = 0x00BE,
    RString = 0x00D6,
    DbCell = 0x00D7,
    Xf = 0x00E0,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    ExtSst = 0x00FF,
    Dimensions = 0x0200,
    Blank = 0x0201,
    Number = 0x0203,
    Label = 0x0204,
    BoolErr = 0x0205,
    String = 0x0207,
    Row = 0x0208,
    Array = 0x0221,
    DefaultRowHeight = 0x0225,
    Font = 0x0031,
    Table = 0x0236,
    Window2 = 0x023E,
    Rk = 0x027E,
    Style = 0x0293,
    Format = 0x041E,
    SharedFormula = 0x04BC,
    Bof = 0x0809,
};
constexpr qsizetype MaxRecordBody = 8224;
} // namespace biff

// Reads little-endian numbers from a byte range; reading past its end gives zeros and clears ok(). Defined here,
// since a sheet's records are read a few bytes at a time.
class ByteReader
{
public:
    explicit ByteReader(QByteArrayView bytes, qsizetype pos = 0)
        : m_bytes(bytes)
        , m_pos(pos)
    {
    }
    quint8 u8()
    {
        if (!take(1))
            return 0;
        return quint8(m_bytes[m_pos++]);
    }
    quint16 u16() { return take(2) ? qFromLittleEndian<quint16>(advance(2)) : 0; }
    quint32 u32() { return take(4) ? qFromLittleEndian<quint32>(advance(4)) : 0; }
    double f64()
    {
        if (!take(8))
            return 0;
        const quint64 bits = qFromLittleEndian<quint64>(advance(8));
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    void skip(qsizetype n)
    {
        if (take(n))
            m_pos += n;
    }
    bool ok() const { return m_ok; }
    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_ok ? m_bytes.size() - m_pos : 0; }

private:
    bool take(qsizetype n)
    {
        if (!m_ok || n < 0 || n > m_bytes.size() - m_pos) {
            m_ok = false;
            return false;
        }
        return true;
    }
    const char* advance(qsizetype n)
    {
        const char* at = m_bytes.data() + m_pos;
        m_pos += n;
        return at;
    }

    QByteArrayView m_bytes;
    qsizetype m_pos;
    bool m_ok = true;
};

struct BiffRecord
{
    quint16 type = 0;
    qsizetype offset = 0; // where the record's header starts in the stream
    QByteArrayView body;
    qsizetype end() const { return offset + 4 + body.size(); }
};

// The bytes of a workbook stream as they lie in the file: runs of sectors that follow one another there. Bytes
// asked for across the end of a run are copied into a piece of their own, kept as long as this object, so every
// record reads as one run of bytes and stays readable while the object lives.
class StreamRuns
{
public:
    StreamRuns() = default;
    explicit StreamRuns(std::vector<QByteArrayView> runs);

    qsizetype size() const { return m_size; }
    // n bytes from pos on, as one view; pos + n must not pass size().
    QByteArrayView bytes(qsizetype pos, qsizetype n) const
    {
        if (m_last < m_runs.size() && pos >= m_starts[m_last] && pos + n <= m_starts[m_last] + m_runs[m_last].size())
            return m_runs[m_last].sliced(pos - m_starts[m_last], n);
        return bytesElsewhere(pos, n);
    }

private:
    QByteArrayView bytesElsewhere(qsizetype pos, qsizetype n) const;

    std::vector<QByteArrayView> m_runs;
    std::vector<qsizetype> m_starts; // stream position of each run
    qsizetype m_size = 0;
    mutable std::size_t m_last = 0; // the run read last
    mutable std::deque<std::pair<qsizetype, QByteArray>> m_bridges; // copies across runs, by position
};

// Walks the records of a workbook stream from a position on.
class BiffStream
{
public:
    explicit BiffStream(QByteArrayView stream, qsizetype pos = 0)
        : m_stream(stream)
        , m_size(stream.size())
        , m_pos(pos)
    {
    }
    BiffStream(const StreamRuns& runs, qsizetype pos = 0)
        : m_runs(&runs)
        , m_size(runs.size())
        , m_pos(pos)
    {
    }
    // The next record; false at the end of the stream or when a record runs past it (then truncated() is true).
    bool next(BiffRecord& record)
    {
        if (m_size - m_pos < 4) {
            m_truncated = m_pos < m_size;
            m_pos = m_size;
            return false;
        }
        if (!peek(record)) {
            m_truncated = true;
            m_pos = m_size;
            return false;
        }
        m_pos = record.end();
        return true;
    }
    // The record after the current one, without moving on.
    bool peek(BiffRecord& record) const
    {
        if (m_size - m_pos < 4)
            return false;
        const char* head = bytes(m_pos, 4).data();
        const quint16 type = qFromLittleEndian<quint16>(head);
        const quint16 length = qFromLittleEndian<quint16>(head + 2);
        if (m_size - m_pos - 4 < length)
            return false;
        record.type = type;
        record.offset = m_pos;
        record.body = bytes(m_pos + 4, length);
        return true;
    }
    bool truncated() const { return m_truncated; }
    qsizetype pos() const { return m_pos; }

private:
    QByteArrayView bytes(qsizetype pos, qsizetype n) const
    {
        return m_runs ? m_runs->bytes(pos, n) : m_stream.sliced(pos, n);
    }

    QByteArrayView m_stream;
    const StreamRuns* m_runs = nullptr;
    qsizetype m_size;
    qsizetype m_pos;
    bool m_truncated = false;
};

// Walks the substream that starts with the BOF at offset, nested substreams included, calling visit with
// each record and its nesting depth (1 for the substream's own records) until visit returns false.
// Returns where the substream ends (just past its EOF), or -1 when it runs off the stream or is stopped.
qsizetype walkSubstream(QByteArrayView stream, qsizetype offset,
                        const std::function<bool(const BiffRecord& record, int depth)>& visit = {});

// Appends records to a workbook stream.
class BiffWriter
{
public:
    void record(quint16 type, QByteArrayView body);
    qsizetype size() const { return m_bytes.size(); }
    QByteArray& bytes() { return m_bytes; }

private:
    QByteArray m_bytes;
};

// Builds a record body field by field.
class BodyBuilder
{
public:
    BodyBuilder& u8(quint8 v);
    BodyBuilder& u16(quint16 v);
    BodyBuilder& u32(quint32 v);
    BodyBuilder& f64(double v);
    BodyBuilder& bytes(QByteArrayView v);
    // A string with a 16-bit length, a flags byte and its characters, one byte each when they all fit.
    BodyBuilder& unicodeString(const QString& text);
    // The same with an 8-bit length (sheet names).
    BodyBuilder& shortUnicodeString(const QString& text);
    const QByteArray& data() const { return m_data; }

private:
    void characters(const QString& text);
    QByteArray m_data;
};

// True when every character fits in one byte, so the string can be stored compressed.
bool fitsLatin1(QStringView text);

// Sheet substream offsets of a BOF record body: the version field says which BIFF generation wrote the stream.
bool isBiff8Bof(QByteArrayView body);

} // namespace pelorin::workbook
