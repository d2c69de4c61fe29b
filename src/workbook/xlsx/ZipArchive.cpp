#include "workbook/xlsx/ZipArchive.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>
#include <quazip/quazipnewinfo.h>
#include <quazip/unzip.h>

#include <libdeflate.h>
#include <zlib.h>
#if defined(PELORIN_HAVE_ISAL)
#include <isa-l/igzip_lib.h>
#endif

#include <QDateTime>
#include <algorithm>

namespace pelorin::workbook {

namespace {

QString normalised(QString name)
{
    if (name.startsWith(u'/'))
        name.remove(0, 1);
    return name.toLower();
}

} // namespace

ZipArchive::ZipArchive(const QByteArray& bytes, ZipLimits limits)
    : m_bytes(bytes)
    , m_limits(limits)
{
    m_buffer.setBuffer(&m_bytes);
    m_zip = std::make_unique<QuaZip>(&m_buffer);
    if (!m_zip->open(QuaZip::mdUnzip)) {
        m_error = QStringLiteral("文件不是有效的压缩包，无法作为Excel工作簿读取。");
        return;
    }
    if (m_zip->getEntriesCount() > m_limits.maxEntries) {
        m_error = QStringLiteral("工作簿包含的部件过多（超过%1个），已拒绝读取。").arg(m_limits.maxEntries);
        return;
    }
    for (bool more = m_zip->goToFirstFile(); more; more = m_zip->goToNextFile()) {
        if (m_names.size() >= m_limits.maxEntries) {
            m_error = QStringLiteral("工作簿包含的部件过多（超过%1个），已拒绝读取。").arg(m_limits.maxEntries);
            return;
        }
        const QString name = m_zip->getCurrentFileName();
        m_names.append(name);
        // As when reading, the first entry of a name counts.
        if (const QString key = normalised(name); !m_byNormalisedName.contains(key))
            m_byNormalisedName.insert(key, name);
    }
    if (m_zip->getZipError() != 0) {
        m_error = QStringLiteral("工作簿的压缩目录已损坏。");
        return;
    }
    m_open = true;
}

ZipArchive::~ZipArchive() = default;

std::optional<QString> ZipArchive::find(const QString& partName) const
{
    const auto it = m_byNormalisedName.constFind(normalised(partName));
    if (it == m_byNormalisedName.constEnd())
        return std::nullopt;
    return *it;
}

qint64 ZipArchive::declaredSize(const QString& name)
{
    QuaZipFileInfo64 info;
    if (!m_open || !m_zip->setCurrentFile(name, QuaZip::csSensitive) || !m_zip->getCurrentFileInfo(&info))
        return 0;
    return std::min<qint64>(qint64(info.uncompressedSize), m_limits.maxEntryBytes);
}

std::optional<QByteArray> ZipArchive::read(const QString& name)
{
    QByteArray data;
    if (!stream(name, [&data](const char* piece, qsizetype size) { data.append(piece, size); }))
        return std::nullopt;
    return data;
}

bool ZipArchive::stream(const QString& name, const std::function<void(const char*, qsizetype)>& sink)
{
    char chunk[65536];
    return streamInto(
        name,
        [&chunk](qsizetype& size) {
            size = sizeof chunk;
            return chunk;
        },
        [&](qsizetype n) { sink(chunk, n); });
}

bool ZipArchive::streamInto(const QString& name, const std::function<char*(qsizetype& size)>& room,
                            const std::function<void(qsizetype)>& filled)
{
    if (!m_open)
        return false;
    const auto refuse = [this](const QString& error) {
        m_error = error;
        return false;
    };
    const QString damaged = QStringLiteral("工作簿部件“%1”校验失败，文件已损坏。").arg(name);
    const QString unreadable = QStringLiteral("无法解压工作簿部件“%1”（文件已损坏或已加密）。").arg(name);
    if (!m_zip->setCurrentFile(name, QuaZip::csSensitive))
        return refuse(QStringLiteral("工作簿中缺少部件“%1”。").arg(name));
    QuaZipFileInfo64 info;
    constexpr quint16 kEncrypted = 1;
    if (!m_zip->getCurrentFileInfo(&info) || (info.flags & kEncrypted) != 0
        || (info.method != 0 && info.method != Z_DEFLATED))
        return refuse(unreadable);
    // Opened raw, the entry's local header is checked against the directory; the compressed bytes are then inflated
    // where they lie in the package, and their checksum taken as they come out.
    QuaZipFile file(m_zip.get());
    int method = 0;
    int level = 0;
    if (!file.open(QIODevice::ReadOnly, &method, &level, true))
        return refuse(unreadable);
    const quint64 at = unzGetCurrentFileZStreamPos64(m_zip->getUnzFile());
    file.close();
    if (at > quint64(m_bytes.size()) || info.compressedSize > quint64(m_bytes.size()) - at)
        return refuse(damaged);
    const auto* const in = reinterpret_cast<const uchar*>(m_bytes.constData() + at);

    qint64 size = 0;
    quint32 crc = 0;
    // Takes n bytes just written where room pointed: counted against the limits as they come, never trusting the
    // size the directory declares.
    const auto take = [&](char* place, qsizetype n, bool checksummed) {
        size += n;
        const qint64 total = *m_totalRead += n;
        if (size > m_limits.maxEntryBytes || total > m_limits.maxTotalBytes) {
            return refuse(QStringLiteral("工作簿解压后过大（部件“%1”超过限制），疑似压缩炸弹，已拒绝读取。").arg(name));
        }
        if (!checksummed)
            crc = libdeflate_crc32(crc, place, size_t(n));
        filled(n);
        return true;
    };
    if (info.method == 0) {
        for (quint64 done = 0; done < info.compressedSize;) {
            qsizetype space = 0;
            char* const place = room(space);
            const auto n = qsizetype(std::min<quint64>(quint64(space), info.compressedSize - done));
            std::copy_n(in + done, n, place);
            done += quint64(n);
            if (!take(place, n, false))
                return false;
        }
    } else {
        const QString broken = QStringLiteral("解压工作簿部件“%1”时出错，文件已损坏。").arg(name);
        // Either inflater counts its input and output in 32 bits: the input is handed over a piece at a time, and
        // the output goes where room points. False when the input has run out, which before the stream ends is a
        // part cut short.
        quint64 left = info.compressedSize;
        const auto nextPiece = [&left, &room](auto& z, char*& place, qsizetype& space) {
            if (z.avail_in == 0) {
                if (left == 0)
                    return false;
                z.avail_in = quint32(std::min<quint64>(left, 1U << 30));
                left -= z.avail_in;
            }
            place = room(space);
            z.next_out = reinterpret_cast<unsigned char*>(place);
            z.avail_out = quint32(space);
            return true;
        };
        char* place = nullptr;
        qsizetype space = 0;
#if defined(PELORIN_HAVE_ISAL)
        // ISA-L takes the CRC-32 as it inflates.
        inflate_state z {};
        isal_inflate_init(&z);
        z.crc_flag = ISAL_GZIP_NO_HDR;
        z.next_in = const_cast<uchar*>(in);
        while (z.block_state != ISAL_BLOCK_FINISH) {
            if (!nextPiece(z, place, space))
                return refuse(damaged);
            const quint32 before = z.avail_in;
            if (isal_inflate(&z) != ISAL_DECOMP_OK)
                return refuse(broken);
            const qsizetype made = space - qsizetype(z.avail_out);
            if (made == 0 && z.avail_in == before && z.block_state != ISAL_BLOCK_FINISH)
                return refuse(damaged);
            if (!take(place, made, true))
                return false;
        }
        crc = z.crc;
#else
        z_stream z {};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return refuse(unreadable);
        const std::unique_ptr<z_stream, int (*)(z_stream*)> ending(&z, inflateEnd);
        z.next_in = const_cast<uchar*>(in);
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (!nextPiece(z, place, space))
                return refuse(damaged);
            status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END)
                return refuse(status == Z_BUF_ERROR ? damaged : broken);
            if (!take(place, space - qsizetype(z.avail_out), false))
                return false;
        }
#endif
    }
    // A stream that ends early or late, or bytes that changed, show in the declared size and checksum.
    if (quint64(size) != info.uncompressedSize || crc != info.crc)
        return refuse(damaged);
    return true;
}

std::optional<QByteArray> writeZip(const std::vector<ZipEntry>& entries)
{
    QByteArray out;
    QBuffer buffer(&out);
    QuaZip zip(&buffer);
    zip.setUtf8Enabled(true);
    if (!zip.open(QuaZip::mdCreate))
        return std::nullopt;
    // A fixed time stamp keeps the same content producing the same bytes.
    const QDateTime stamp(QDate(2000, 1, 1), QTime(0, 0));
    for (const ZipEntry& entry : entries) {
        QuaZipNewInfo info(entry.name);
        info.dateTime = stamp;
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, 6))
            return std::nullopt;
        if (file.write(entry.data) != entry.data.size())
            return std::nullopt;
        file.close();
        if (file.getZipError() != 0)
            return std::nullopt;
    }
    zip.close();
    if (zip.getZipError() != 0)
        return std::nullopt;
    return out;
}

} // namespace pelorin::workbook
