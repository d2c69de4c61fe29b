#include "workbook/xls/BiffContinued.h"

#include "workbook/xls/BiffRecords.h"

namespace pelorin::workbook {

ContinuedReader::ContinuedReader(QByteArrayView first, BiffStream& stream)
{
    m_owned.push_back(first);
    BiffRecord next;
    while (stream.peek(next) && next.type == biff::Continue) {
        stream.next(next);
        m_owned.push_back(next.body);
    }
    m_segments = m_owned;
}

ContinuedReader::ContinuedReader(std::vector<QByteArrayView> segments)
    : m_owned(std::move(segments))
    , m_segments(m_owned)
{
}

ContinuedReader::ContinuedReader(std::span<const QByteArrayView> segments, std::size_t segment, qsizetype offset)
    : m_segments(segments)
    , m_segment(segment)
    , m_offset(offset)
{
}

bool ContinuedReader::advanceIfEmpty()
{
    while (m_ok && m_segment < m_segments.size() && m_offset >= m_segments[m_segment].size()) {
        ++m_segment;
        m_offset = 0;
    }
    if (m_segment >= m_segments.size())
        m_ok = false;
    return m_ok;
}

quint8 ContinuedReader::nextSegmentU8()
{
    if (!advanceIfEmpty())
        return 0;
    return quint8(m_segments[m_segment][m_offset++]);
}

quint16 ContinuedReader::u16()
{
    const quint16 lo = u8();
    return quint16(lo | (u8() << 8));
}

quint32 ContinuedReader::u32()
{
    const quint32 lo = u16();
    return lo | (quint32(u16()) << 16);
}

void ContinuedReader::skip(qsizetype n)
{
    while (n > 0 && advanceIfEmpty()) {
        const qsizetype step = std::min(n, m_segments[m_segment].size() - m_offset);
        m_offset += step;
        n -= step;
    }
}

QByteArray ContinuedReader::bytes(qsizetype n)
{
    QByteArray out;
    while (n > 0 && advanceIfEmpty()) {
        const qsizetype step = std::min(n, m_segments[m_segment].size() - m_offset);
        out.append(m_segments[m_segment].sliced(m_offset, step));
        m_offset += step;
        n -= step;
    }
    return out;
}

template <typename Take> void ContinuedReader::walkCharacters(quint32 count, bool twoBytes, Take&& take)
{
    while (count > 0 && m_ok) {
        if (m_segment < m_segments.size() && m_offset >= m_segments[m_segment].size()) {
            // The string goes on in the next CONTINUE record, which starts with its own flags byte.
            ++m_segment;
            m_offset = 0;
            if (m_segment >= m_segments.size()) {
                m_ok = false;
                break;
            }
            twoBytes = (u8() & 0x01) != 0;
            continue;
        }
        if (m_segment >= m_segments.size()) {
            m_ok = false;
            break;
        }
        const QByteArrayView seg = m_segments[m_segment];
        const qsizetype width = twoBytes ? 2 : 1;
        const qsizetype fit = std::min<qsizetype>(count, (seg.size() - m_offset) / width);
        if (fit == 0) {
            m_ok = false; // half a character before the boundary
            break;
        }
        take(reinterpret_cast<const uchar*>(seg.data() + m_offset), fit, twoBytes);
        m_offset += fit * width;
        count -= quint32(fit);
    }
}

QString ContinuedReader::characters(quint32 count, bool twoBytes)
{
    if (count == 0)
        return {};
    // Sized for every character at once (counts are 16-bit, so a false one costs little), cut to what was read.
    QString text(qsizetype(std::min<quint32>(count, 0xFFFF)), Qt::Uninitialized);
    qsizetype written = 0;
    walkCharacters(count, twoBytes, [&](const uchar* in, qsizetype fit, bool wide) {
        if (written + fit > text.size())
            text.resize(written + fit);
        QChar* out = text.data() + written;
        if (wide) {
            for (qsizetype i = 0; i < fit; ++i)
                out[i] = QChar(char16_t(in[2 * i] | (in[2 * i + 1] << 8)));
        } else {
            for (qsizetype i = 0; i < fit; ++i)
                out[i] = QChar(char16_t(in[i]));
        }
        written += fit;
    });
    text.truncate(written);
    return text;
}

void ContinuedReader::skipCharacters(quint32 count, bool twoBytes)
{
    walkCharacters(count, twoBytes, [](const uchar*, qsizetype, bool) {});
}

QString ContinuedReader::unicodeString()
{
    const quint16 count = u16();
    const quint8 flags = u8();
    quint16 runs = 0;
    quint32 extra = 0;
    if (flags & 0x08)
        runs = u16();
    if (flags & 0x04)
        extra = u32();
    QString text = characters(count, flags & 0x01);
    skip(qsizetype(runs) * 4);
    skip(extra);
    return text;
}

} // namespace pelorin::workbook
