#include "workbook/xls/XlsWriter.h"

#include "workbook/xls/BiffContinued.h"
#include "workbook/xls/BiffRecords.h"
#include "workbook/xls/CompoundFile.h"
#include "workbook/xls/XlsSharedStrings.h"
#include "workbook/xls/XlsSheetRewriter.h"

#include <QSet>
#include <QtEndian>

namespace pelorin::workbook {

namespace {

using Result = Expected<QByteArray>;

// Excel and other readers expect a workbook stream of at least 4096 bytes; what follows the last sheet's EOF
// is never read.
constexpr qsizetype MinStreamSize = 4096;

struct GlobalRecord
{
    quint16 type;
    QByteArray body;
};

struct SheetPlace
{
    qsizetype recordIndex; // of its BOUNDSHEET among the globals
    quint32 offset;
    quint8 kind;
};

QString badTemplate(const QString& detail)
{
    return QStringLiteral("导出模板 export.xls 无法使用：%1").arg(detail);
}

// The INDEX record of a sheet holds stream positions; a sheet that moves takes them along.
void shiftIndexRecord(QByteArray& stream, qsizetype sheetOffset, qint64 shift)
{
    char* data = stream.data();
    walkSubstream(stream, sheetOffset, [&](const BiffRecord& r, int depth) {
        if (r.type != biff::Index || depth != 1)
            return true;
        char* body = data + r.offset + 4;
        for (qsizetype at = 12; at + 4 <= r.body.size(); at += 4) {
            const quint32 pos = qFromLittleEndian<quint32>(body + at);
            if (pos != 0)
                qToLittleEndian<quint32>(quint32(qint64(pos) + shift), body + at);
        }
        return false;
    });
}

QByteArray boundSheetBody(const QString& name)
{
    return BodyBuilder().u32(0).u8(0).u8(0).shortUnicodeString(name).data();
}

QByteArray xfBody(bool style)
{
    // Font 0, General format, locked; a style format has no parent, a cell format has the Normal style.
    return BodyBuilder()
        .u16(0)
        .u16(0)
        .u16(style ? 0xFFF5 : 0x0001)
        .u8(0x20)
        .u8(0)
        .u8(0)
        .u8(style ? 0 : 0xF8)
        .u32(0)
        .u32(0)
        .u16(0x20C0)
        .data();
}

QByteArray fontBody()
{
    return BodyBuilder()
        .u16(240) // 12 pt, in twentieths of a point
        .u16(0)
        .u16(0x7FFF)
        .u16(400)
        .u16(0)
        .u8(0)
        .u8(0)
        .u8(134) // GB2312 character set
        .u8(0)
        .shortUnicodeString(QStringLiteral("宋体"))
        .data();
}

QString uniqueSheetName(QString name, QSet<QString>& used)
{
    // Sheet names: 1 to 31 characters, none of : \ / ? * [ ], unique without regard to case.
    static const QString forbidden = QStringLiteral(":\\/?*[]");
    for (QChar& c : name) {
        if (forbidden.contains(c))
            c = u'_';
    }
    name = name.left(31);
    if (name.isEmpty())
        name = QStringLiteral("Sheet");
    QString candidate = name;
    for (int n = 2; used.contains(candidate.toLower()); ++n) {
        const QString suffix = QStringLiteral("(%1)").arg(n);
        candidate = name.left(31 - suffix.size()) + suffix;
    }
    used.insert(candidate.toLower());
    return candidate;
}

} // namespace

Expected<QByteArray> fillXlsTemplate(const QByteArray& templ, const CellEdits& edits,
                                     const std::map<int, double>& columnWidths)
{
    if (const QString problem = checkEdits(edits); !problem.isEmpty())
        return Result::failure(problem);
    auto file = CompoundFile::parse(templ);
    if (!file)
        return Result::failure(badTemplate(file.error()));
    const int index = file->rootStream(u"Workbook");
    if (index < 0)
        return Result::failure(badTemplate(QStringLiteral("它不是 Excel 97-2003 工作簿（.xls）。")));
    auto streamData = file->streamData(index);
    if (!streamData)
        return Result::failure(badTemplate(streamData.error()));
    const QByteArray& stream = *streamData;

    BiffStream records(stream);
    BiffRecord r;
    if (!records.next(r) || r.type != biff::Bof)
        return Result::failure(badTemplate(QStringLiteral("工作簿数据开头不正确。")));
    if (!isBiff8Bof(r.body))
        return Result::failure(
            badTemplate(QStringLiteral("它是 Excel 95 或更早版本的格式，请另存为 Excel 97-2003 工作簿。")));
    std::vector<GlobalRecord> globals { { r.type, r.body.toByteArray() } };
    std::vector<SheetPlace> sheets;
    SharedStringTable strings;
    bool haveStrings = false;
    qsizetype globalsEnd = -1;
    while (records.next(r)) {
        if (r.type == biff::FilePass)
            return Result::failure(badTemplate(QStringLiteral("它设有打开密码（已加密）。")));
        if (r.type == biff::Sst) {
            const qsizetype start = r.offset;
            ContinuedReader reader(r.body, records);
            strings = readSharedStrings(reader);
            haveStrings = true;
            // Kept as written unless strings are added; then the table and its index are written anew.
            globals.push_back({ biff::Sst, {} });
            globals.push_back({ 0xFFFF, stream.sliced(start, records.pos() - start) });
            continue;
        }
        if (r.type == biff::BoundSheet) {
            ByteReader body(r.body);
            const quint32 offset = body.u32();
            body.u8();
            sheets.push_back({ qsizetype(globals.size()), offset, body.u8() });
        }
        globals.push_back({ r.type, r.body.toByteArray() });
        if (r.type == biff::Eof) {
            globalsEnd = records.pos();
            break;
        }
    }
    if (globalsEnd < 0)
        return Result::failure(badTemplate(QStringLiteral("工作簿记录不完整。")));
    auto first = std::find_if(sheets.begin(), sheets.end(), [](const SheetPlace& s) { return s.kind == 0; });
    if (first == sheets.end())
        return Result::failure(badTemplate(QStringLiteral("其中没有工作表。")));
    const qsizetype sheetStart = first->offset;
    const qsizetype sheetEnd = sheetStart >= globalsEnd ? walkSubstream(stream, sheetStart) : -1;
    if (sheetEnd < 0)
        return Result::failure(badTemplate(QStringLiteral("第一个工作表的位置不正确。")));
    for (const SheetPlace& s : sheets) {
        const qsizetype o = s.offset;
        if (o < globalsEnd || o >= stream.size() || (o > sheetStart && o < sheetEnd))
            return Result::failure(badTemplate(QStringLiteral("工作表的位置不正确。")));
    }

    const std::size_t stringsBefore = strings.strings.size();
    auto sheet = XlsSheetRewriter(strings, false)
                     .rewrite(stream.sliced(sheetStart, sheetEnd - sheetStart), edits, columnWidths);
    if (!sheet)
        return Result::failure(badTemplate(sheet.error()));
    const bool stringsAdded = strings.strings.size() != stringsBefore;

    // The shared string table: the old bytes (SST, CONTINUE, EXTSST) stay unless strings were added.
    std::vector<GlobalRecord> out;
    for (std::size_t i = 0; i < globals.size(); ++i) {
        const GlobalRecord& g = globals[i];
        if (g.type == biff::Sst) {
            if (stringsAdded)
                out.push_back(g);
            continue;
        }
        if (g.type == 0xFFFF) {
            if (!stringsAdded)
                out.push_back(g);
            continue;
        }
        if (g.type == biff::ExtSst && stringsAdded)
            continue;
        if (g.type == biff::Eof && stringsAdded && !haveStrings)
            out.push_back({ biff::Sst, {} });
        out.push_back(g);
    }
    BiffWriter globalBytes;
    std::vector<qsizetype> boundSheetAt;
    for (const GlobalRecord& g : out) {
        if (g.type == 0xFFFF) {
            globalBytes.bytes().append(g.body);
        } else if (g.type == biff::Sst) {
            writeSharedStrings(globalBytes, 0, strings);
        } else {
            if (g.type == biff::BoundSheet)
                boundSheetAt.push_back(globalBytes.size() + 4);
            globalBytes.record(g.type, g.body);
        }
    }

    QByteArray newStream = globalBytes.bytes();
    const qint64 globalsShift = newStream.size() - globalsEnd;
    newStream.append(stream.sliced(globalsEnd, sheetStart - globalsEnd));
    newStream.append(*sheet);
    const qint64 sheetShift = qint64(sheet->size()) - (sheetEnd - sheetStart);
    newStream.append(stream.sliced(sheetEnd));
    for (std::size_t i = 0; i < sheets.size() && i < boundSheetAt.size(); ++i) {
        const qint64 old = sheets[i].offset;
        const qint64 shift = old < sheetStart ? globalsShift
            : old == sheetStart               ? globalsShift
                                              : globalsShift + sheetShift;
        qToLittleEndian<quint32>(quint32(old + shift), newStream.data() + boundSheetAt[i]);
        if (old != sheetStart && shift != 0)
            shiftIndexRecord(newStream, old + shift, shift);
    }
    if (newStream.size() < MinStreamSize)
        newStream.append(QByteArray(MinStreamSize - newStream.size(), '\0'));
    if (newStream.size() > std::numeric_limits<qint32>::max())
        return Result::failure(QStringLiteral("要导出的内容太多，超出了 .xls 文件的大小限制。"));

    file->replaceStream(index, newStream);
    auto bytes = file->serialize();
    if (!bytes)
        return Result::failure(badTemplate(bytes.error()));
    return bytes;
}

Expected<QByteArray> writeXls(const WorkbookData& data)
{
    for (const SheetData& sheet : data.sheets) {
        if (const QString problem = checkEdits(sheet.cells); !problem.isEmpty())
            return Result::failure(QStringLiteral("工作表“%1”：%2").arg(sheet.name, problem));
    }
    std::vector<SheetData> sheets = data.sheets;
    if (sheets.empty())
        sheets.push_back(SheetData { QStringLiteral("Sheet1"), {}, {} });

    SharedStringTable strings;
    std::vector<QByteArray> substreams;
    for (const SheetData& sheet : sheets) {
        BiffWriter empty;
        empty.record(biff::Bof, BodyBuilder().u16(0x0600).u16(0x0010).u16(0x0DBB).u16(0x07CC).u32(0).u32(6).data());
        empty.record(biff::DefColWidth, BodyBuilder().u16(8).data());
        empty.record(biff::Dimensions, QByteArray(14, '\0'));
        const bool firstSheet = substreams.empty();
        empty.record(
            biff::Window2,
            BodyBuilder().u16(firstSheet ? 0x06B6 : 0x00B6).u16(0).u16(0).u16(0x40).u16(0).u16(0).u16(0).u32(0).data());
        empty.record(biff::Eof, {});
        auto written = XlsSheetRewriter(strings, true).rewrite(empty.bytes(), sheet.cells, sheet.columnWidths);
        if (!written)
            return Result::failure(written.error());
        substreams.push_back(*written);
    }

    BiffWriter globals;
    globals.record(biff::Bof, BodyBuilder().u16(0x0600).u16(0x0005).u16(0x0DBB).u16(0x07CC).u32(0).u32(6).data());
    globals.record(biff::CodePage, BodyBuilder().u16(1200).data());
    globals.record(
        biff::Window1,
        BodyBuilder().u16(0).u16(0).u16(0x4000).u16(0x2000).u16(0x0038).u16(0).u16(0).u16(1).u16(0x0258).data());
    globals.record(biff::DateMode, BodyBuilder().u16(0).data());
    // Font 4 is never referred to in BIFF8, so four fonts make the usual table.
    for (int i = 0; i < 4; ++i)
        globals.record(biff::Font, fontBody());
    for (int i = 0; i < 15; ++i)
        globals.record(biff::Xf, xfBody(true));
    globals.record(biff::Xf, xfBody(false));
    globals.record(biff::Style, BodyBuilder().u16(0x8000).u8(0).u8(0xFF).data());
    std::vector<qsizetype> boundSheetAt;
    QSet<QString> usedNames;
    for (const SheetData& sheet : sheets) {
        boundSheetAt.push_back(globals.size() + 4);
        globals.record(biff::BoundSheet, boundSheetBody(uniqueSheetName(sheet.name, usedNames)));
    }
    writeSharedStrings(globals, 0, strings);
    globals.record(biff::Eof, {});

    QByteArray stream = globals.bytes();
    for (std::size_t i = 0; i < substreams.size(); ++i) {
        qToLittleEndian<quint32>(quint32(stream.size()), stream.data() + boundSheetAt[i]);
        stream.append(substreams[i]);
    }
    if (stream.size() < MinStreamSize)
        stream.append(QByteArray(MinStreamSize - stream.size(), '\0'));
    return CompoundFile::withStream(QStringLiteral("Workbook"), stream).serialize();
}

} // namespace pelorin::workbook
