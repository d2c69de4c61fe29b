#include "workbook/xlsx/ZipArchive.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>
#include <quazip/quazipnewinfo.h>

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
    if (!m_zip->setCurrentFile(name, QuaZip::csSensitive)) {
        m_error = QStringLiteral("工作簿中缺少部件“%1”。").arg(name);
        return false;
    }
    QuaZipFile file(m_zip.get());
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("无法解压工作簿部件“%1”（文件已损坏或已加密）。").arg(name);
        return false;
    }
    qint64 size = 0;
    for (;;) {
        qsizetype space = 0;
        char* const at = room(space);
        const qint64 n = file.read(at, space);
        if (n < 0) {
            m_error = QStringLiteral("解压工作簿部件“%1”时出错，文件已损坏。").arg(name);
            return false;
        }
        if (n == 0)
            break;
        size += n;
        const qint64 total = *m_totalRead += n;
        if (size > m_limits.maxEntryBytes || total > m_limits.maxTotalBytes) {
            m_error = QStringLiteral("工作簿解压后过大（部件“%1”超过限制），疑似压缩炸弹，已拒绝读取。").arg(name);
            return false;
        }
        filled(n);
    }
    // A damaged stream can end early without a checksum error; the declared size tells.
    const bool complete = size == file.usize();
    file.close();
    if (!complete || file.getZipError() != 0) {
        m_error = QStringLiteral("工作簿部件“%1”校验失败，文件已损坏。").arg(name);
        return false;
    }
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
