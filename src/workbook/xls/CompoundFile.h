#pragma once

#include "workbook/Expected.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <vector>

namespace pelorin::workbook {

// One entry of a compound file's directory: a storage, a stream or the root. The tree links are kept as read,
// so that a container can be written back with the same shape.
struct CompoundEntry
{
    enum Type : quint8
    {
        Unused = 0,
        Storage = 1,
        Stream = 2,
        Root = 5
    };

    QString name;
    quint8 type = Unused;
    quint8 colour = 1;
    quint32 left = 0xFFFFFFFF;
    quint32 right = 0xFFFFFFFF;
    quint32 child = 0xFFFFFFFF;
    QByteArray clsid = QByteArray(16, '\0');
    quint32 stateBits = 0;
    QByteArray times = QByteArray(16, '\0');
    quint32 start = 0;
    quint64 size = 0;
};

// The container of legacy Office files: a small file system of sectors, chained through an allocation table.
// Reading checks every sector number and chain, since the bytes come from an untrusted file.
class CompoundFile
{
public:
    static Expected<CompoundFile> parse(const QByteArray& bytes);
    // A container whose root holds one stream.
    static CompoundFile withStream(const QString& name, const QByteArray& data);

    const std::vector<CompoundEntry>& entries() const { return m_entries; }
    // Index of the stream of this name (letter case ignored) directly inside the root; -1 when there is none.
    int rootStream(QStringView name) const;
    Expected<QByteArray> streamData(int index) const;
    // The same bytes without a copy: runs of them as they lie in the bytes the file was parsed from, or, for a
    // small or replaced stream, one run in storage, which then holds a copy.
    Expected<std::vector<QByteArrayView>> streamRuns(int index, QByteArray& storage) const;
    void replaceStream(int index, const QByteArray& data);

    // Writes the container anew (512-byte sectors); every stream keeps its bytes and its place in the tree.
    Expected<QByteArray> serialize() const;

private:
    Expected<QByteArray> readChain(quint32 start, quint64 size, bool mini) const;
    Expected<std::vector<QByteArrayView>> chainRuns(quint32 start, quint64 size, bool mini) const;

    QByteArray m_bytes;
    int m_sectorShift = 9;
    quint32 m_miniCutoff = 4096;
    std::vector<quint32> m_fat;
    std::vector<quint32> m_miniFat;
    QByteArray m_miniStream;
    std::vector<CompoundEntry> m_entries;
    std::vector<QByteArray> m_replaced; // streams given new bytes, by entry index
    std::vector<bool> m_isReplaced;
};

} // namespace pelorin::workbook
