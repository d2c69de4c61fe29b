#include "workbook/xls/XlsSharedStrings.h"

#include "workbook/xls/BiffContinued.h"
#include "workbook/xls/BiffRecords.h"

#include <algorithm>

namespace pelorin::workbook {

namespace {

// The head of one string of the table: its character count, its flags, and the lengths of the rich-text
// runs and phonetic block that follow its characters.
struct StringHead
{
    quint16 count = 0;
    bool twoBytes = false;
    quint16 runs = 0;
    quint32 phonetic = 0;
};

StringHead readStringHead(ContinuedReader& reader)
{
    StringHead head;
    head.count = reader.u16();
    const quint8 flags = reader.u8();
    head.twoBytes = (flags & 0x01) != 0;
    head.runs = (flags & 0x08) ? reader.u16() : 0;
    head.phonetic = (flags & 0x04) ? reader.u32() : 0;
    return head;
}

} // namespace

SharedStringTable readSharedStrings(ContinuedReader& reader)
{
    SharedStringTable table;
    table.totalRefs = reader.u32();
    const quint32 unique = reader.u32();
    // The declared count is not trusted for allocation: the list grows as strings are actually read.
    for (quint32 i = 0; i < unique && reader.ok(); ++i) {
        const StringHead head = readStringHead(reader);
        SharedString s;
        s.text = reader.characters(head.count, head.twoBytes);
        s.runs = reader.bytes(qsizetype(head.runs) * 4);
        s.phonetic = reader.bytes(head.phonetic);
        if (!reader.ok())
            break;
        table.strings.push_back(std::move(s));
    }
    return table;
}

SharedStringIndex::SharedStringIndex(ContinuedReader& reader)
    : m_segments(reader.segments().begin(), reader.segments().end())
{
    reader.u32();
    const quint32 unique = reader.u32();
    for (quint32 i = 0; i < unique && reader.ok(); ++i) {
        const StringHead head = readStringHead(reader);
        const Entry entry { quint32(reader.segment()), quint32(reader.offset()), head.count, head.twoBytes };
        reader.skipCharacters(head.count, head.twoBytes);
        reader.skip(qsizetype(head.runs) * 4);
        reader.skip(head.phonetic);
        if (!reader.ok())
            break;
        m_entries.push_back(entry);
    }
}

QString SharedStringIndex::text(std::size_t i) const
{
    const Entry& entry = m_entries[i];
    ContinuedReader reader(m_segments, entry.segment, entry.offset);
    return reader.characters(entry.count, entry.twoBytes);
}

namespace {

// Cuts the table into records of at most the largest body a record may have.
class SstSplitter
{
public:
    SstSplitter(BiffWriter& writer, qsizetype streamBase)
        : m_writer(writer)
        , m_streamBase(streamBase)
    {
    }
    qsizetype room() const { return biff::MaxRecordBody - m_body.size(); }
    void flush()
    {
        m_writer.record(m_first ? biff::Sst : biff::Continue, m_body);
        m_first = false;
        m_body.clear();
    }
    // Stream position of the next byte written, and its offset from the start of its record.
    quint32 streamPosition() const { return quint32(m_streamBase + m_writer.size() + 4 + m_body.size()); }
    quint16 recordOffset() const { return quint16(4 + m_body.size()); }
    QByteArray& body() { return m_body; }

private:
    BiffWriter& m_writer;
    qsizetype m_streamBase;
    QByteArray m_body;
    bool m_first = true;
};

} // namespace

void writeSharedStrings(BiffWriter& writer, qsizetype streamBase, const SharedStringTable& table)
{
    const quint32 count = quint32(table.strings.size());
    const quint32 perBucket = std::max<quint32>(8, count / 128 + 1);
    BodyBuilder index;
    index.u16(quint16(perBucket));

    SstSplitter out(writer, streamBase);
    out.body() = BodyBuilder().u32(table.totalRefs).u32(count).data();
    for (quint32 i = 0; i < count; ++i) {
        const SharedString& s = table.strings[i];
        const bool twoBytes = !fitsLatin1(s.text);
        const int width = twoBytes ? 2 : 1;
        BodyBuilder header;
        header.u16(quint16(s.text.size()));
        header.u8(quint8((twoBytes ? 0x01 : 0) | (s.phonetic.isEmpty() ? 0 : 0x04) | (s.runs.isEmpty() ? 0 : 0x08)));
        if (!s.runs.isEmpty())
            header.u16(quint16(s.runs.size() / 4));
        if (!s.phonetic.isEmpty())
            header.u32(quint32(s.phonetic.size()));
        // A string's header never straddles two records, and neither does its first character.
        if (out.room() < header.data().size() + (s.text.isEmpty() ? 0 : width))
            out.flush();
        if (i % perBucket == 0)
            index.u32(out.streamPosition()).u16(out.recordOffset()).u16(0);
        out.body().append(header.data());

        qsizetype done = 0;
        while (done < s.text.size()) {
            qsizetype take = std::min<qsizetype>(out.room() / width, s.text.size() - done);
            // Keep the two halves of a surrogate pair in one record, so each record decodes on its own.
            if (take > 0 && done + take < s.text.size() && s.text[done + take - 1].isHighSurrogate())
                --take;
            if (take <= 0) {
                out.flush();
                out.body().append(char(twoBytes ? 0x01 : 0x00));
                continue;
            }
            for (qsizetype k = done; k < done + take; ++k) {
                const char16_t c = s.text[k].unicode();
                out.body().append(char(c & 0xFF));
                if (twoBytes)
                    out.body().append(char(c >> 8));
            }
            done += take;
        }
        for (const QByteArray* raw : { &s.runs, &s.phonetic }) {
            qsizetype at = 0;
            while (at < raw->size()) {
                if (out.room() == 0)
                    out.flush();
                const qsizetype take = std::min(out.room(), raw->size() - at);
                out.body().append(raw->sliced(at, take));
                at += take;
            }
        }
    }
    out.flush();
    writer.record(biff::ExtSst, index.data());
}

} // namespace pelorin::workbook
