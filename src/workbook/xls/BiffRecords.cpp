#include "workbook/xls/BiffRecords.h"

#include <QtEndian>
#include <cstring>

namespace pelorin::workbook {

bool ByteReader::take(qsizetype n)
{
    if (!m_ok || n < 0 || n > m_bytes.size() - m_pos) {
        m_ok = false;
        return false;
    }
    return true;
}

quint8 ByteReader::u8()
{
    if (!take(1))
        return 0;
    return quint8(m_bytes[m_pos++]);
}

quint16 ByteReader::u16()
{
    if (!take(2))
        return 0;
    const quint16 v = qFromLittleEndian<quint16>(m_bytes.data() + m_pos);
    m_pos += 2;
    return v;
}

quint32 ByteReader::u32()
{
    if (!take(4))
        return 0;
    const quint32 v = qFromLittleEndian<quint32>(m_bytes.data() + m_pos);
    m_pos += 4;
    return v;
}

double ByteReader::f64()
{
    if (!take(8))
        return 0;
    const quint64 bits = qFromLittleEndian<quint64>(m_bytes.data() + m_pos);
    m_pos += 8;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void ByteReader::skip(qsizetype n)
{
    if (take(n))
        m_pos += n;
}

bool BiffStream::peek(BiffRecord& record) const
{
    if (m_stream.size() - m_pos < 4)
        return false;
    const quint16 type = qFromLittleEndian<quint16>(m_stream.data() + m_pos);
    const quint16 length = qFromLittleEndian<quint16>(m_stream.data() + m_pos + 2);
    if (m_stream.size() - m_pos - 4 < length)
        return false;
    record.type = type;
    record.offset = m_pos;
    record.body = m_stream.sliced(m_pos + 4, length);
    return true;
}

bool BiffStream::next(BiffRecord& record)
{
    if (m_stream.size() - m_pos < 4) {
        m_truncated = m_pos < m_stream.size();
        m_pos = m_stream.size();
        return false;
    }
    if (!peek(record)) {
        m_truncated = true;
        m_pos = m_stream.size();
        return false;
    }
    m_pos = record.end();
    return true;
}

void BiffWriter::record(quint16 type, QByteArrayView body)
{
    char header[4];
    qToLittleEndian<quint16>(type, header);
    qToLittleEndian<quint16>(quint16(body.size()), header + 2);
    m_bytes.append(header, 4);
    m_bytes.append(body.data(), body.size());
}

BodyBuilder& BodyBuilder::u8(quint8 v)
{
    m_data.append(char(v));
    return *this;
}

BodyBuilder& BodyBuilder::u16(quint16 v)
{
    char b[2];
    qToLittleEndian<quint16>(v, b);
    m_data.append(b, 2);
    return *this;
}

BodyBuilder& BodyBuilder::u32(quint32 v)
{
    char b[4];
    qToLittleEndian<quint32>(v, b);
    m_data.append(b, 4);
    return *this;
}

BodyBuilder& BodyBuilder::f64(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    char b[8];
    qToLittleEndian<quint64>(bits, b);
    m_data.append(b, 8);
    return *this;
}

BodyBuilder& BodyBuilder::bytes(QByteArrayView v)
{
    m_data.append(v.data(), v.size());
    return *this;
}

void BodyBuilder::characters(const QString& text)
{
    if (fitsLatin1(text)) {
        u8(0);
        for (QChar c : text)
            m_data.append(char(c.unicode()));
    } else {
        u8(1);
        for (QChar c : text)
            u16(c.unicode());
    }
}

BodyBuilder& BodyBuilder::unicodeString(const QString& text)
{
    u16(quint16(text.size()));
    characters(text);
    return *this;
}

BodyBuilder& BodyBuilder::shortUnicodeString(const QString& text)
{
    u8(quint8(text.size()));
    characters(text);
    return *this;
}

bool fitsLatin1(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

bool isBiff8Bof(QByteArrayView body)
{
    ByteReader r(body);
    return r.u16() == 0x0600 && r.ok();
}

qsizetype walkSubstream(QByteArrayView stream, qsizetype offset,
                        const std::function<bool(const BiffRecord& record, int depth)>& visit)
{
    BiffStream records(stream, offset);
    BiffRecord r;
    int depth = 0;
    while (records.next(r)) {
        if (r.type == biff::Bof)
            ++depth;
        if (visit && !visit(r, depth))
            return -1;
        if (r.type == biff::Eof && --depth == 0)
            return r.end();
    }
    return -1;
}

} // namespace pelorin::workbook
