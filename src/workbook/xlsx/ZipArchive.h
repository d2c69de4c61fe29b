#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QuaZip;

namespace pelorin::workbook {

// Caps that keep a hostile or damaged package from exhausting memory: inflated bytes are
// counted while they stream, so a declared size is never trusted.
struct ZipLimits
{
    qint64 maxEntryBytes = 128LL * 1024 * 1024;
    qint64 maxTotalBytes = 256LL * 1024 * 1024;
    int maxEntries = 10000;
};

// Read access to the parts of a zip package held in memory.
class ZipArchive
{
public:
    explicit ZipArchive(const QByteArray& bytes, ZipLimits limits = {});
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool isOpen() const { return m_open; }
    // Why the package could not be opened or the last part not read.
    const QString& error() const { return m_error; }
    // Entry names in the order they are stored.
    const QStringList& names() const { return m_names; }
    // The stored name of a part, compared without case; a leading "/" is ignored.
    std::optional<QString> find(const QString& partName) const;
    // The size an entry says it inflates to, capped at the limit for one entry; 0 when there is no such entry. Good
    // for sizing buffers, never for trusting: read() and stream() count the bytes themselves.
    qint64 declaredSize(const QString& name);
    // The inflated bytes of one entry; nullopt with error() set when it fails or passes a limit.
    std::optional<QByteArray> read(const QString& name);
    // Hands the inflated bytes of one entry to sink piece by piece, under the same limits and checks as
    // read(); false with error() set when it fails. Pieces already handed over are not taken back.
    bool stream(const QString& name, const std::function<void(const char*, qsizetype)>& sink);
    // The same, inflating straight into memory the caller lends: room gives a place and how many bytes fit there,
    // filled says how many were written to the last place it gave.
    bool streamInto(const QString& name, const std::function<char*(qsizetype& size)>& room,
                    const std::function<void(qsizetype)>& filled);
    // From now on the bytes this archive inflates count towards the limit in all of other's, and theirs towards
    // this one's: two archives over one package, read on two threads, stay under one limit.
    void shareTotalWith(const ZipArchive& other) { m_totalRead = other.m_totalRead; }

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    std::unique_ptr<QuaZip> m_zip;
    ZipLimits m_limits;
    QStringList m_names;
    QHash<QString, QString> m_byNormalisedName;
    QString m_error;
    std::shared_ptr<std::atomic<qint64>> m_totalRead = std::make_shared<std::atomic<qint64>>(0);
    bool m_open = false;
};

struct ZipEntry
{
    QString name;
    QByteArray data;
};

// A new zip package holding these entries in this order.
std::optional<QByteArray> writeZip(const std::vector<ZipEntry>& entries);

} // namespace pelorin::workbook
