#include "workbook/xls/CompoundFile.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace pelorin::workbook {

namespace {

constexpr quint32 FreeSector = 0xFFFFFFFF;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FatSector = 0xFFFFFFFD;
constexpr quint32 DifatSector = 0xFFFFFFFC;
constexpr quint32 NoStream = 0xFFFFFFFF;
constexpr int HeaderDifatCount = 109;
constexpr int WriteSectorSize = 512;
constexpr quint32 MiniCutoff = 4096;
constexpr int MiniSectorSize = 64;

const char Signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

quint16 u16At(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32At(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}
void putU16(QByteArray& b, qsizetype at, quint16 v)
{
    qToLittleEndian<quint16>(v, b.data() + at);
}
void putU32(QByteArray& b, qsizetype at, quint32 v)
{
    qToLittleEndian<quint32>(v, b.data() + at);
}

QString damaged(const QString& detail)
{
    return QStringLiteral("工作簿文件已损坏，无法读取（%1）。").arg(detail);
}

// Walks a chain of sectors in table, refusing numbers outside it and chains that come back on themselves.
Expected<std::vector<quint32>> followChain(const std::vector<quint32>& table, quint32 start, quint32 limit)
{
    std::vector<quint32> chain;
    std::vector<bool> seen(std::min<std::size_t>(table.size(), limit), false);
    quint32 sector = start;
    while (sector != EndOfChain) {
        if (sector >= seen.size())
            return Expected<std::vector<quint32>>::failure(damaged(QStringLiteral("扇区编号超出文件范围")));
        if (seen[sector])
            return Expected<std::vector<quint32>>::failure(damaged(QStringLiteral("扇区链出现循环")));
        seen[sector] = true;
        chain.push_back(sector);
        sector = table[sector];
    }
    return chain;
}

} // namespace

Expected<CompoundFile> CompoundFile::parse(const QByteArray& bytes)
{
    using Result = Expected<CompoundFile>;
    if (bytes.size() < 512 || !bytes.startsWith(QByteArray::fromRawData(Signature, 8)))
        return Result::failure(QStringLiteral("文件不是有效的 Excel 97-2003 工作簿（文件头不正确）。"));
    CompoundFile file;
    file.m_bytes = bytes;
    const quint16 major = u16At(bytes, 0x1A);
    const quint16 shift = u16At(bytes, 0x1E);
    if (u16At(bytes, 0x1C) != 0xFFFE || !((major == 3 && shift == 9) || (major == 4 && shift == 12))
        || u16At(bytes, 0x20) != 6)
        return Result::failure(damaged(QStringLiteral("文件头参数不正确")));
    file.m_sectorShift = shift;
    file.m_miniCutoff = u32At(bytes, 0x38);
    const qsizetype sectorSize = qsizetype(1) << shift;
    // A last sector cut short is read as if padded with zeros.
    const quint32 sectorCount = quint32((bytes.size() - 1) / sectorSize);
    const auto sector = [&](quint32 id) {
        QByteArray s = bytes.mid((qsizetype(id) + 1) * sectorSize, sectorSize);
        if (s.size() < sectorSize)
            s.append(QByteArray(sectorSize - s.size(), '\0'));
        return s;
    };

    // The allocation table's own sectors are listed in the header and then in a chain of list sectors.
    const quint32 fatCount = u32At(bytes, 0x2C);
    std::vector<quint32> fatSectors;
    for (int i = 0; i < HeaderDifatCount && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(u32At(bytes, 0x4C + 4 * i));
    quint32 difat = u32At(bytes, 0x44);
    std::vector<bool> seenDifat(sectorCount, false);
    while (fatSectors.size() < fatCount && difat != EndOfChain && difat != FreeSector) {
        if (difat >= sectorCount)
            return Result::failure(damaged(QStringLiteral("扇区编号超出文件范围")));
        if (seenDifat[difat])
            return Result::failure(damaged(QStringLiteral("扇区链出现循环")));
        seenDifat[difat] = true;
        const QByteArray s = sector(difat);
        const int perSector = int(sectorSize / 4) - 1;
        for (int i = 0; i < perSector && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(u32At(s, 4 * i));
        difat = u32At(s, sectorSize - 4);
    }
    if (fatSectors.size() < fatCount)
        return Result::failure(damaged(QStringLiteral("分配表不完整")));
    std::vector<bool> seenFat(sectorCount, false);
    for (quint32 id : fatSectors) {
        if (id >= sectorCount)
            return Result::failure(damaged(QStringLiteral("扇区编号超出文件范围")));
        if (seenFat[id])
            return Result::failure(damaged(QStringLiteral("分配表扇区重复")));
        seenFat[id] = true;
        const QByteArray s = sector(id);
        for (qsizetype i = 0; i < sectorSize; i += 4)
            file.m_fat.push_back(u32At(s, i));
    }

    auto dirChain = followChain(file.m_fat, u32At(bytes, 0x30), sectorCount);
    if (!dirChain)
        return Result::failure(dirChain.error());
    for (quint32 id : *dirChain) {
        const QByteArray s = sector(id);
        for (qsizetype at = 0; at + 128 <= sectorSize; at += 128) {
            CompoundEntry e;
            const int nameBytes = std::min<int>(u16At(s, at + 0x40), 64);
            const int nameUnits = std::max(0, nameBytes / 2 - 1);
            e.name.resize(nameUnits);
            for (int i = 0; i < nameUnits; ++i)
                e.name[i] = QChar(u16At(s, at + 2 * i));
            e.type = quint8(s[at + 0x42]);
            e.colour = quint8(s[at + 0x43]);
            e.left = u32At(s, at + 0x44);
            e.right = u32At(s, at + 0x48);
            e.child = u32At(s, at + 0x4C);
            e.clsid = s.mid(at + 0x50, 16);
            e.stateBits = u32At(s, at + 0x60);
            e.times = s.mid(at + 0x64, 16);
            e.start = u32At(s, at + 0x74);
            e.size = u32At(s, at + 0x78);
            if (major == 4)
                e.size |= quint64(u32At(s, at + 0x7C)) << 32;
            if (e.type != CompoundEntry::Storage && e.type != CompoundEntry::Stream && e.type != CompoundEntry::Root)
                e = CompoundEntry {};
            file.m_entries.push_back(e);
        }
    }
    if (file.m_entries.empty() || file.m_entries[0].type != CompoundEntry::Root)
        return Result::failure(damaged(QStringLiteral("目录中没有根条目")));

    const CompoundEntry& root = file.m_entries[0];
    if (root.size > 0) {
        auto mini = file.readChain(root.start, root.size, false);
        if (!mini)
            return Result::failure(mini.error());
        file.m_miniStream = *mini;
        auto miniFatChain = followChain(file.m_fat, u32At(bytes, 0x3C), sectorCount);
        if (miniFatChain) {
            for (quint32 id : *miniFatChain) {
                const QByteArray s = sector(id);
                for (qsizetype i = 0; i < sectorSize; i += 4)
                    file.m_miniFat.push_back(u32At(s, i));
            }
        }
    }
    file.m_replaced.resize(file.m_entries.size());
    file.m_isReplaced.assign(file.m_entries.size(), false);
    return file;
}

CompoundFile CompoundFile::withStream(const QString& name, const QByteArray& data)
{
    CompoundFile file;
    CompoundEntry root;
    root.name = QStringLiteral("Root Entry");
    root.type = CompoundEntry::Root;
    root.child = 1;
    CompoundEntry stream;
    stream.name = name;
    stream.type = CompoundEntry::Stream;
    stream.size = quint64(data.size());
    file.m_entries = { root, stream };
    file.m_replaced = { QByteArray(), data };
    file.m_isReplaced = { false, true };
    return file;
}

Expected<std::vector<QByteArrayView>> CompoundFile::chainRuns(quint32 start, quint64 size, bool mini) const
{
    using Result = Expected<std::vector<QByteArrayView>>;
    const std::vector<quint32>& table = mini ? m_miniFat : m_fat;
    const qsizetype unit = mini ? MiniSectorSize : qsizetype(1) << m_sectorShift;
    const quint32 available
        = mini ? quint32(m_miniStream.size() / MiniSectorSize) : quint32((m_bytes.size() - 1) / unit);
    // A stream can never be longer than the file holding it.
    if (size > quint64(m_bytes.size()))
        return Result::failure(damaged(QStringLiteral("数据流长度超出文件大小")));
    auto chain = followChain(table, start, available);
    if (!chain)
        return Result::failure(chain.error());
    // The stream is its sectors' bytes one after the other; sectors that follow one another in the file make one
    // run, as they mostly do.
    const QByteArrayView source = mini ? QByteArrayView(m_miniStream) : QByteArrayView(m_bytes);
    std::vector<QByteArrayView> runs;
    qsizetype left = qsizetype(size);
    for (quint32 id : *chain) {
        if (left == 0)
            break;
        const qsizetype offset = mini ? qsizetype(id) * unit : (qsizetype(id) + 1) * unit;
        if (offset >= source.size())
            continue;
        const qsizetype n = std::min({ unit, source.size() - offset, left });
        left -= n;
        if (!runs.empty() && runs.back().data() + runs.back().size() == source.data() + offset)
            runs.back() = QByteArrayView(runs.back().data(), runs.back().size() + n);
        else
            runs.push_back(source.sliced(offset, n));
    }
    if (left > 0)
        return Result::failure(damaged(QStringLiteral("数据流被截断")));
    return runs;
}

Expected<QByteArray> CompoundFile::readChain(quint32 start, quint64 size, bool mini) const
{
    const auto runs = chainRuns(start, size, mini);
    if (!runs)
        return Expected<QByteArray>::failure(runs.error());
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    qsizetype filled = 0;
    for (const QByteArrayView run : *runs) {
        std::memcpy(data.data() + filled, run.data(), size_t(run.size()));
        filled += run.size();
    }
    return data;
}

int CompoundFile::rootStream(QStringView name) const
{
    if (m_entries.empty())
        return -1;
    std::vector<quint32> pending { m_entries[0].child };
    std::vector<bool> seen(m_entries.size(), false);
    while (!pending.empty()) {
        const quint32 id = pending.back();
        pending.pop_back();
        if (id >= m_entries.size() || seen[id])
            continue;
        seen[id] = true;
        const CompoundEntry& e = m_entries[id];
        if (e.type == CompoundEntry::Stream && e.name.compare(name, Qt::CaseInsensitive) == 0)
            return int(id);
        pending.push_back(e.left);
        pending.push_back(e.right);
    }
    return -1;
}

Expected<std::vector<QByteArrayView>> CompoundFile::streamRuns(int index, QByteArray& storage) const
{
    using Result = Expected<std::vector<QByteArrayView>>;
    if (index < 0 || std::size_t(index) >= m_entries.size())
        return Result::failure(damaged(QStringLiteral("找不到数据流")));
    const CompoundEntry& e = m_entries[index];
    const bool copied
        = m_isReplaced[index] || (e.type == CompoundEntry::Stream && e.size != 0 && e.size < m_miniCutoff);
    if (!copied) {
        if (e.type != CompoundEntry::Stream || e.size == 0)
            return std::vector<QByteArrayView>();
        return chainRuns(e.start, e.size, false);
    }
    // Small streams live in the mini stream, which this object owns: they are copied out.
    auto data = streamData(index);
    if (!data)
        return Result::failure(data.error());
    storage = std::move(*data);
    return std::vector<QByteArrayView> { QByteArrayView(storage) };
}

Expected<QByteArray> CompoundFile::streamData(int index) const
{
    if (index < 0 || std::size_t(index) >= m_entries.size())
        return Expected<QByteArray>::failure(damaged(QStringLiteral("找不到数据流")));
    if (m_isReplaced[index])
        return m_replaced[index];
    const CompoundEntry& e = m_entries[index];
    if (e.type != CompoundEntry::Stream || e.size == 0)
        return QByteArray();
    return readChain(e.start, e.size, e.size < m_miniCutoff);
}

void CompoundFile::replaceStream(int index, const QByteArray& data)
{
    if (index < 0 || std::size_t(index) >= m_entries.size())
        return;
    m_replaced[index] = data;
    m_isReplaced[index] = true;
    m_entries[index].size = quint64(data.size());
}

Expected<QByteArray> CompoundFile::serialize() const
{
    using Result = Expected<QByteArray>;
    const std::size_t count = m_entries.size();
    std::vector<QByteArray> data(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (m_entries[i].type != CompoundEntry::Stream)
            continue;
        auto bytes = streamData(int(i));
        if (!bytes)
            return Result::failure(bytes.error());
        data[i] = *bytes;
    }

    // Small streams share the mini stream in 64-byte pieces; the others get whole sectors.
    std::vector<CompoundEntry> entries = m_entries;
    QByteArray miniStream;
    std::vector<quint32> miniFat;
    for (std::size_t i = 0; i < count; ++i) {
        CompoundEntry& e = entries[i];
        if (e.type == CompoundEntry::Stream || e.type == CompoundEntry::Root) {
            e.start = EndOfChain;
            e.size = e.type == CompoundEntry::Stream ? quint64(data[i].size()) : 0;
        }
        if (e.type != CompoundEntry::Stream || data[i].isEmpty() || data[i].size() >= qsizetype(MiniCutoff))
            continue;
        const quint32 first = quint32(miniFat.size());
        const quint32 blocks = quint32((data[i].size() + MiniSectorSize - 1) / MiniSectorSize);
        for (quint32 b = 0; b < blocks; ++b)
            miniFat.push_back(b + 1 < blocks ? first + b + 1 : EndOfChain);
        e.start = first;
        miniStream.append(data[i]);
        miniStream.append(QByteArray(qsizetype(blocks) * MiniSectorSize - data[i].size(), '\0'));
    }
    const auto sectorsFor = [](qsizetype bytes) { return quint32((bytes + WriteSectorSize - 1) / WriteSectorSize); };
    const quint32 dirSectors = sectorsFor(qsizetype(count) * 128);
    const quint32 miniFatSectors = sectorsFor(qsizetype(miniFat.size()) * 4);
    const quint32 miniStreamSectors = sectorsFor(miniStream.size());
    quint32 dataSectors = dirSectors + miniFatSectors + miniStreamSectors;
    for (std::size_t i = 0; i < count; ++i) {
        if (entries[i].type == CompoundEntry::Stream && data[i].size() >= qsizetype(MiniCutoff))
            dataSectors += sectorsFor(data[i].size());
    }
    quint32 fatSectors = 1;
    quint32 difatSectors = 0;
    for (;;) {
        difatSectors = fatSectors > HeaderDifatCount ? (fatSectors - HeaderDifatCount + 126) / 127 : 0;
        if (quint64(fatSectors) * 128 >= quint64(dataSectors) + fatSectors + difatSectors)
            break;
        ++fatSectors;
    }
    const quint32 total = fatSectors + difatSectors + dataSectors;
    std::vector<quint32> fat(std::size_t(fatSectors) * 128, FreeSector);
    for (quint32 i = 0; i < fatSectors; ++i)
        fat[i] = FatSector;
    for (quint32 i = 0; i < difatSectors; ++i)
        fat[fatSectors + i] = DifatSector;
    quint32 next = fatSectors + difatSectors;
    const auto allocate = [&](quint32 sectors) {
        if (sectors == 0)
            return EndOfChain;
        const quint32 first = next;
        for (quint32 s = 0; s < sectors; ++s)
            fat[first + s] = s + 1 < sectors ? first + s + 1 : EndOfChain;
        next += sectors;
        return first;
    };
    const quint32 dirStart = allocate(dirSectors);
    const quint32 miniFatStart = allocate(miniFatSectors);
    entries[0].start = allocate(miniStreamSectors);
    entries[0].size = quint64(miniStream.size());
    QByteArray out(qsizetype(total + 1) * WriteSectorSize, '\0');
    const auto sectorData = [&](quint32 id) { return out.data() + qsizetype(id + 1) * WriteSectorSize; };
    for (std::size_t i = 0; i < count; ++i) {
        if (entries[i].type != CompoundEntry::Stream || data[i].size() < qsizetype(MiniCutoff))
            continue;
        entries[i].start = allocate(sectorsFor(data[i].size()));
        std::copy(data[i].cbegin(), data[i].cend(), sectorData(entries[i].start));
    }
    if (entries[0].start != EndOfChain)
        std::copy(miniStream.cbegin(), miniStream.cend(), sectorData(entries[0].start));
    if (miniFatStart != EndOfChain) {
        QByteArray table(qsizetype(miniFatSectors) * WriteSectorSize, '\xFF');
        for (std::size_t i = 0; i < miniFat.size(); ++i)
            putU32(table, qsizetype(i) * 4, miniFat[i]);
        std::copy(table.cbegin(), table.cend(), sectorData(miniFatStart));
    }

    QByteArray dir(qsizetype(dirSectors) * WriteSectorSize, '\0');
    for (quint32 slot = 0; slot < dirSectors * 4; ++slot) {
        const qsizetype at = qsizetype(slot) * 128;
        if (slot >= count) {
            putU32(dir, at + 0x44, NoStream);
            putU32(dir, at + 0x48, NoStream);
            putU32(dir, at + 0x4C, NoStream);
            continue;
        }
        const CompoundEntry& e = entries[slot];
        if (e.type == CompoundEntry::Unused) {
            putU32(dir, at + 0x44, NoStream);
            putU32(dir, at + 0x48, NoStream);
            putU32(dir, at + 0x4C, NoStream);
            continue;
        }
        const QString name = e.name.left(31);
        for (int i = 0; i < name.size(); ++i)
            putU16(dir, at + 2 * i, name[i].unicode());
        putU16(dir, at + 0x40, quint16((name.size() + 1) * 2));
        dir[at + 0x42] = char(e.type);
        dir[at + 0x43] = char(e.colour);
        putU32(dir, at + 0x44, e.left);
        putU32(dir, at + 0x48, e.right);
        putU32(dir, at + 0x4C, e.child);
        std::copy_n(e.clsid.cbegin(), std::min<qsizetype>(16, e.clsid.size()), dir.begin() + at + 0x50);
        putU32(dir, at + 0x60, e.stateBits);
        std::copy_n(e.times.cbegin(), std::min<qsizetype>(16, e.times.size()), dir.begin() + at + 0x64);
        putU32(dir, at + 0x74, e.type == CompoundEntry::Storage ? 0 : e.start);
        putU32(dir, at + 0x78, quint32(e.size));
    }
    std::copy(dir.cbegin(), dir.cend(), sectorData(dirStart));

    for (quint32 i = 0; i < fatSectors; ++i) {
        char* s = sectorData(i);
        for (int k = 0; k < 128; ++k)
            qToLittleEndian<quint32>(fat[std::size_t(i) * 128 + k], s + 4 * k);
    }
    for (quint32 d = 0; d < difatSectors; ++d) {
        char* s = sectorData(fatSectors + d);
        for (int k = 0; k < 127; ++k) {
            const quint32 index = HeaderDifatCount + d * 127 + quint32(k);
            qToLittleEndian<quint32>(index < fatSectors ? index : FreeSector, s + 4 * k);
        }
        qToLittleEndian<quint32>(d + 1 < difatSectors ? fatSectors + d + 1 : EndOfChain, s + 508);
    }

    std::copy_n(Signature, 8, out.data());
    putU16(out, 0x18, 0x003E);
    putU16(out, 0x1A, 3);
    putU16(out, 0x1C, 0xFFFE);
    putU16(out, 0x1E, 9);
    putU16(out, 0x20, 6);
    putU32(out, 0x2C, fatSectors);
    putU32(out, 0x30, dirStart);
    putU32(out, 0x38, MiniCutoff);
    putU32(out, 0x3C, miniFatStart);
    putU32(out, 0x40, miniFatSectors);
    putU32(out, 0x44, difatSectors ? fatSectors : EndOfChain);
    putU32(out, 0x48, difatSectors);
    for (int i = 0; i < HeaderDifatCount; ++i)
        putU32(out, 0x4C + 4 * i, quint32(i) < fatSectors ? quint32(i) : FreeSector);
    return out;
}

} // namespace pelorin::workbook
