#include "workbook/xls/BiffRecords.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace pelorin::workbook {

StreamRuns::StreamRuns(std::vector<QByteArrayView> runs)
    : m_runs(std::move(runs))
{
    for (const QByteArrayView run : m_runs) {
        m_starts.push_back(m_size);
        m_size += run.size();
    }
}

QByteArrayView StreamRuns::bytesElsewhere(qsizetype pos, qsizetype n) const
{
    // The run holding pos: the last one starting at or before it.
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), pos);
    const std::size_t run = std::size_t(after - m_starts.begin()) - 1;
    if (pos + n <= m_starts[run] + m_runs[run].size()) {
        m_last = run;
        return m_runs[run].sliced(pos - m_starts[run], n);
    }
    // A record read twice (looked at, then taken) is copied once: the header and the body are the last two pieces.
    for (auto it = m_bridges.rbegin(); it != m_bridges.rend() && it - m_bridges.rbegin() < 2; ++it) {
        if (it->first == pos && it->second.size() == n)
            return QByteArrayView(it->second);
    }
    QByteArray bridge(n, Qt::Uninitialized);
    qsizetype filled = 0;
    for (std::size_t r = run; filled < n; ++r) {
        const qsizetype from = r == run ? pos - m_starts[r] : 0;
        const qsizetype take = std::min(n - filled, m_runs[r].size() - from);
        std::memcpy(bridge.data() + filled, m_runs[r].data() + from, size_t(take));
        filled += take;
    }
    m_bridges.emplace_back(pos, std::move(bridge));
    return QByteArrayView(m_bridges.back().second);
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
