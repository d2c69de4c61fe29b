#include "workbook/xlsx/XlsxPackage.h"

#include "workbook/xlsx/XlsxXml.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace pelorin::workbook::xlsx {

namespace {

const QString kNotWorkbook = QStringLiteral("不是Excel工作簿：文件中找不到工作簿部件。");

QString storedName(const ZipArchive& zip, const QString& part)
{
    return zip.find(part).value_or(QString());
}

// Inflated pieces on their way from the thread that inflates a part to the one that parses it: a few buffers
// that are filled, handed over, parsed and handed back, so memory stays the same however large the part.
class PieceQueue
{
public:
    // Where the next inflated bytes go, and how many fit there: the unfilled end of the buffer being filled,
    // waiting for free buffers when all are full or being parsed. The part inflates straight into the buffers.
    char* room(qsizetype& size)
    {
        std::unique_lock lock(m_mutex);
        // Once all are full it waits until half are free again, so that on a busy machine the two threads hand
        // over control seldom: each time one waits for the other, it may wait for its turn too.
        if (m_filled == kBuffers)
            m_space.wait(lock, [this] { return m_filled <= kBuffers / 2; });
        // The parsing thread never touches the buffers beyond the ones handed over.
        m_filling = &m_buffers[(m_first + m_filled) % kBuffers];
        lock.unlock();
        if (m_filling->bytes.empty())
            m_filling->bytes.resize(kBufferBytes);
        size = kBufferBytes - m_filling->size;
        return m_filling->bytes.data() + m_filling->size;
    }
    // So many bytes were written where room pointed.
    void filled(qsizetype size)
    {
        m_filling->size += size;
        // A buffer is handed over once full; the last one when the part ends.
        if (m_filling->size == kBufferBytes)
            publish();
    }
    // After the last piece.
    void close()
    {
        std::unique_lock lock(m_mutex);
        if (m_buffers[(m_first + m_filled) % kBuffers].size > 0 && m_filled < kBuffers)
            ++m_filled;
        m_closed = true;
        m_data.notify_one();
    }
    // Hands every piece to use, in order, until the queue is closed and empty.
    template <typename Use> void drain(Use&& use)
    {
        for (;;) {
            std::unique_lock lock(m_mutex);
            m_data.wait(lock, [this] { return m_filled > 0 || m_closed; });
            if (m_filled == 0)
                return;
            Buffer& buffer = m_buffers[m_first];
            lock.unlock();
            use(buffer.bytes.data(), buffer.size);
            buffer.size = 0;
            lock.lock();
            m_first = (m_first + 1) % kBuffers;
            if (--m_filled == kBuffers / 2)
                m_space.notify_one();
        }
    }

private:
    static constexpr int kBuffers = 16;
    static constexpr qsizetype kBufferBytes = 64 * 1024;

    struct Buffer
    {
        std::vector<char> bytes;
        qsizetype size = 0;
    };

    void publish()
    {
        std::lock_guard lock(m_mutex);
        ++m_filled;
        m_data.notify_one();
    }

    std::mutex m_mutex;
    std::condition_variable m_data; // a buffer was handed over, or the part ended
    std::condition_variable m_space; // half the buffers are free
    Buffer m_buffers[kBuffers];
    Buffer* m_filling = nullptr; // the buffer the inflating thread fills, its alone
    int m_first = 0; // the oldest buffer handed over
    int m_filled = 0; // buffers handed over and not yet parsed
    bool m_closed = false;
};

} // namespace

QString readPart(ZipArchive& zip, const QString& name, QByteArray& data)
{
    std::optional<QByteArray> bytes = zip.read(name);
    if (!bytes)
        return zip.error();
    data = std::move(*bytes);
    return {};
}

QString streamPart(ZipArchive& zip, const QString& name, XmlStreamHandler& handler)
{
    XmlStreamParser parser(handler);
    bool parsed = true;
    const auto parse = [&](const char* piece, qsizetype size) {
        if (parsed)
            parsed = parser.feed(piece, size);
    };
    // After a parse error the rest still inflates, so a damaged part is reported as damaged, not as bad XML.
    bool inflated = false;
    if (zip.declaredSize(name) < kLargePartBytes) {
        inflated = zip.stream(name, parse);
    } else {
        // A large part inflates on a second thread while this one parses what has arrived; the two take about
        // as long. The archive is used by that thread alone until it ends, the parser by this one alone.
        PieceQueue pieces;
        std::thread inflater([&] {
            inflated = zip.streamInto(
                name, [&pieces](qsizetype& size) { return pieces.room(size); },
                [&pieces](qsizetype size) { pieces.filled(size); });
            pieces.close();
        });
        pieces.drain(parse);
        inflater.join();
    }
    if (!inflated)
        return zip.error();
    if (!parsed || !parser.finish())
        return parser.error(name);
    return {};
}

Expected<PackageLayout> locateParts(ZipArchive& zip)
{
    PackageLayout layout;
    if (const auto rootRels = zip.find(QStringLiteral("_rels/.rels"))) {
        QByteArray data;
        if (QString error = readPart(zip, *rootRels, data); !error.isEmpty())
            return Expected<PackageLayout>::failure(error);
        pugi::xml_document doc;
        if (QString error = parse(doc, data, *rootRels); !error.isEmpty())
            return Expected<PackageLayout>::failure(error);
        for (const Relationship& rel : readRelationships(doc, QString())) {
            if (!rel.external && typeIs(rel.type, QLatin1String("officeDocument"))) {
                layout.workbookPart = storedName(zip, rel.target);
                break;
            }
        }
    }
    if (layout.workbookPart.isEmpty())
        layout.workbookPart = storedName(zip, QStringLiteral("xl/workbook.xml"));
    if (layout.workbookPart.isEmpty())
        return Expected<PackageLayout>::failure(kNotWorkbook);

    QByteArray data;
    if (QString error = readPart(zip, layout.workbookPart, data); !error.isEmpty())
        return Expected<PackageLayout>::failure(error);
    pugi::xml_document workbook;
    if (QString error = parse(workbook, data, layout.workbookPart); !error.isEmpty())
        return Expected<PackageLayout>::failure(error);
    const pugi::xml_node root = workbook.document_element();
    if (!isNamed(root, "workbook"))
        return Expected<PackageLayout>::failure(kNotWorkbook);
    const QString date1904 = text(attribute(child(root, "workbookPr"), "date1904").value());
    layout.date1904
        = date1904 == QLatin1String("1") || date1904.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;

    std::vector<Relationship> rels;
    layout.workbookRelsPart = storedName(zip, relsPartName(layout.workbookPart));
    if (!layout.workbookRelsPart.isEmpty()) {
        if (QString error = readPart(zip, layout.workbookRelsPart, data); !error.isEmpty())
            return Expected<PackageLayout>::failure(error);
        pugi::xml_document doc;
        if (QString error = parse(doc, data, layout.workbookRelsPart); !error.isEmpty())
            return Expected<PackageLayout>::failure(error);
        rels = readRelationships(doc, layout.workbookPart);
    }
    for (const Relationship& rel : rels) {
        if (rel.external)
            continue;
        if (typeIs(rel.type, QLatin1String("sharedStrings")) && layout.sharedStringsPart.isEmpty())
            layout.sharedStringsPart = storedName(zip, rel.target);
        else if (typeIs(rel.type, QLatin1String("styles")) && layout.stylesPart.isEmpty())
            layout.stylesPart = storedName(zip, rel.target);
    }
    for (pugi::xml_node sheet = child(child(root, "sheets"), "sheet"); sheet; sheet = sheet.next_sibling()) {
        if (!isNamed(sheet, "sheet"))
            continue;
        const QString id = text(attribute(sheet, "id", true).value());
        for (const Relationship& rel : rels) {
            if (rel.id != id || rel.external || !typeIs(rel.type, QLatin1String("worksheet")))
                continue;
            const QString part = storedName(zip, rel.target);
            if (part.isEmpty()) {
                return Expected<PackageLayout>::failure(QStringLiteral("工作簿已损坏：找不到工作表“%1”的部件。")
                                                            .arg(text(attribute(sheet, "name").value())));
            }
            layout.worksheets.push_back({ text(attribute(sheet, "name").value()), part });
            break;
        }
    }
    return layout;
}

} // namespace pelorin::workbook::xlsx
