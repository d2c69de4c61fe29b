#include "workbook/xls/BiffRecords.h"

#include <QtEndian>
#include <cstring>

namespace pelorin::workbook {

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
