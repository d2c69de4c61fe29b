#include "workbook/xls/XlsReader.h"

#include "workbook/xls/BiffContinued.h"
#include "workbook/xls/BiffRecords.h"
#include "workbook/CellText.h"
#include "workbook/xls/CompoundFile.h"
#include "workbook/xls/XlsSharedStrings.h"

#include <QHash>
#include <cmath>
#include <cstring>

namespace pelorin::workbook {

namespace {

using Result = Expected<WorkbookData>;

struct SheetEntry
{
    quint32 offset = 0;
    QString name;
};

// What the workbook's global records say about every sheet.
struct Globals
{
    bool date1904 = false;
    std::vector<quint16> xfFormats; // number format of each cell format
    QHash<int, QString> formatCodes;
    SharedStringTable strings;
    std::vector<SheetEntry> sheets;
};

QString brokenRecords()
{
    return QStringLiteral("工作簿文件已损坏，无法读取（记录不完整）。");
}

QString oldFormat()
{
    return QStringLiteral(
        "该工作簿是 Excel 95 或更早版本的格式，无法读取；请在 Excel 中另存为“Excel 97-2003 工作簿”或 .xlsx 后再试。");
}

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QStringLiteral("#N/A");
    }
}

// An RK value packs a number in 32 bits: a 30-bit integer or the top of a double, optionally times 100.
double rkValue(quint32 rk)
{
    double value;
    if (rk & 0x02) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100.0 : value;
}

Expected<Globals> readGlobals(QByteArrayView stream)
{
    using GResult = Expected<Globals>;
    Globals g;
    BiffStream records(stream);
    BiffRecord r;
    if (!records.next(r) || r.type != biff::Bof)
        return GResult::failure(QStringLiteral("文件不是有效的 Excel 工作簿（缺少工作簿开头记录）。"));
    if (!isBiff8Bof(r.body))
        return GResult::failure(oldFormat());
    while (records.next(r)) {
        ByteReader body(r.body);
        switch (r.type) {
        case biff::Eof:
            return g;
        case biff::FilePass:
            return GResult::failure(
                QStringLiteral("该工作簿设有打开密码（已加密），无法读取；请在 Excel 中取消密码后再试。"));
        case biff::DateMode:
            g.date1904 = body.u16() == 1;
            break;
        case biff::Format: {
            const quint16 id = body.u16();
            ContinuedReader text({ r.body.sliced(2) });
            const QString code = text.unicodeString();
            if (text.ok())
                g.formatCodes.insert(id, code);
            break;
        }
        case biff::Xf:
            body.skip(2);
            g.xfFormats.push_back(body.u16());
            break;
        case biff::BoundSheet: {
            SheetEntry sheet;
            sheet.offset = body.u32();
            body.u8(); // visibility: hidden sheets are still sheets of the workbook
            const quint8 kind = body.u8();
            const quint8 length = body.u8();
            const quint8 flags = body.u8();
            if (!body.ok())
                return GResult::failure(brokenRecords());
            ContinuedReader name({ r.body.sliced(body.pos()) });
            sheet.name = name.characters(length, flags & 0x01);
            // Only worksheets hold cells; chart, macro and module sheets are passed over.
            if (kind == 0)
                g.sheets.push_back(sheet);
            break;
        }
        case biff::Sst: {
            ContinuedReader sst(r.body, records);
            g.strings = readSharedStrings(sst);
            break;
        }
        default:
            break;
        }
    }
    return GResult::failure(brokenRecords());
}

class SheetReader
{
public:
    SheetReader(const Globals& globals, SheetData& sheet)
        : m_globals(globals)
        , m_sheet(sheet)
    {
    }

    QString read(QByteArrayView stream, quint32 offset)
    {
        BiffStream records(stream, offset);
        BiffRecord r;
        if (offset >= quint32(stream.size()) || !records.next(r) || r.type != biff::Bof)
            return QStringLiteral("工作簿文件已损坏，无法读取（工作表“%1”的位置不正确）。").arg(m_sheet.name);
        if (!isBiff8Bof(r.body))
            return oldFormat();
        int depth = 0;
        while (records.next(r)) {
            // Charts embedded in a worksheet bring their own BOF ... EOF block.
            if (r.type == biff::Bof) {
                ++depth;
                continue;
            }
            if (r.type == biff::Eof) {
                if (depth == 0)
                    return {};
                --depth;
                continue;
            }
            if (depth == 0)
                cellRecord(r, records);
        }
        // A sheet whose last records are cut off still gives the cells before the cut.
        return {};
    }

private:
    void put(quint16 row, quint16 col, const QString& text)
    {
        if (text.isEmpty())
            m_sheet.cells.erase({ row, col });
        else
            m_sheet.cells[{ row, col }] = text;
    }

    QString numberText(double value, quint16 xf) const
    {
        if (xf < m_globals.xfFormats.size()) {
            const int format = m_globals.xfFormats[xf];
            if (isDateFormat(format, m_globals.formatCodes.value(format)))
                return dateText(value, m_globals.date1904);
        }
        return workbook::numberText(value);
    }

    void cellRecord(const BiffRecord& r, BiffStream& records)
    {
        ByteReader body(r.body);
        switch (r.type) {
        case biff::LabelSst: {
            const quint16 row = body.u16(), col = body.u16();
            body.u16();
            const quint32 index = body.u32();
            if (body.ok() && index < m_globals.strings.strings.size())
                put(row, col, m_globals.strings.strings[index].text);
            break;
        }
        case biff::Label:
        case biff::RString: {
            const quint16 row = body.u16(), col = body.u16();
            body.u16();
            ContinuedReader text({ r.body.sliced(std::min<qsizetype>(6, r.body.size())) });
            const quint16 count = text.u16();
            const bool twoBytes = text.u8() & 0x01;
            const QString value = text.characters(count, twoBytes);
            if (body.ok() && text.ok())
                put(row, col, value);
            break;
        }
        case biff::Number: {
            const quint16 row = body.u16(), col = body.u16(), xf = body.u16();
            const double value = body.f64();
            if (body.ok())
                put(row, col, numberText(value, xf));
            break;
        }
        case biff::Rk: {
            const quint16 row = body.u16(), col = body.u16(), xf = body.u16();
            const quint32 rk = body.u32();
            if (body.ok())
                put(row, col, numberText(rkValue(rk), xf));
            break;
        }
        case biff::MulRk: {
            const quint16 row = body.u16();
            quint16 col = body.u16();
            // Pairs of (format, RK value), then the last column.
            while (body.remaining() >= 8) {
                const quint16 xf = body.u16();
                put(row, col, numberText(rkValue(body.u32()), xf));
                ++col;
            }
            break;
        }
        case biff::BoolErr: {
            const quint16 row = body.u16(), col = body.u16();
            body.u16();
            const quint8 value = body.u8();
            const quint8 isError = body.u8();
            if (body.ok())
                put(row, col, isError ? errorText(value) : (value ? QStringLiteral("TRUE") : QStringLiteral("FALSE")));
            break;
        }
        case biff::Formula:
            formula(r.body, records);
            break;
        case biff::ColInfo: {
            const quint16 first = body.u16(), last = body.u16(), width = body.u16();
            if (body.ok()) {
                for (int col = first; col <= std::min<int>(last, 255); ++col)
                    m_sheet.columnWidths[col] = width / 256.0;
            }
            break;
        }
        default:
            break;
        }
    }

    // The cached result of a formula: a number, or a marker whose first byte says string, boolean, error or
    // empty. A string result stands in the STRING record that follows.
    void formula(QByteArrayView data, BiffStream& records)
    {
        ByteReader body(data);
        const quint16 row = body.u16(), col = body.u16(), xf = body.u16();
        const QByteArrayView result = data.sliced(std::min<qsizetype>(6, data.size()));
        if (!body.ok() || result.size() < 8)
            return;
        const auto byte = [&](int i) { return quint8(result[i]); };
        if (byte(6) != 0xFF || byte(7) != 0xFF) {
            ByteReader value(result);
            put(row, col, numberText(value.f64(), xf));
            return;
        }
        switch (byte(0)) {
        case 0: {
            // SHRFMLA, ARRAY or TABLE may come between the formula and its string.
            BiffRecord next;
            while (records.peek(next)
                   && (next.type == biff::SharedFormula || next.type == biff::Array || next.type == biff::Table))
                records.next(next);
            if (records.peek(next) && next.type == biff::String) {
                records.next(next);
                ContinuedReader text(next.body, records);
                const quint16 count = text.u16();
                const bool twoBytes = text.u8() & 0x01;
                const QString value = text.characters(count, twoBytes);
                if (text.ok())
                    put(row, col, value);
            }
            break;
        }
        case 1:
            put(row, col, byte(2) ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
            break;
        case 2:
            put(row, col, errorText(byte(2)));
            break;
        default:
            put(row, col, QString());
            break;
        }
    }

    const Globals& m_globals;
    SheetData& m_sheet;
};

} // namespace

Expected<WorkbookData> readXls(const QByteArray& bytes, bool firstSheetOnly)
{
    auto file = CompoundFile::parse(bytes);
    if (!file)
        return Result::failure(file.error());
    int index = file->rootStream(u"Workbook");
    if (index < 0)
        index = file->rootStream(u"Book");
    if (index < 0)
        return Result::failure(QStringLiteral("文件中没有 Excel 工作簿数据，可能不是 Excel 97-2003 工作簿（.xls）。"));
    if (file->entries()[index].name.compare(QLatin1String("Book"), Qt::CaseInsensitive) == 0
        && file->rootStream(u"Workbook") < 0)
        return Result::failure(oldFormat());
    auto stream = file->streamData(index);
    if (!stream)
        return Result::failure(stream.error());

    auto globals = readGlobals(*stream);
    if (!globals)
        return Result::failure(globals.error());
    WorkbookData data;
    for (const SheetEntry& entry : globals->sheets) {
        SheetData sheet;
        sheet.name = entry.name;
        const QString error = SheetReader(*globals, sheet).read(*stream, entry.offset);
        if (!error.isEmpty())
            return Result::failure(error);
        data.sheets.push_back(std::move(sheet));
        if (firstSheetOnly)
            break;
    }
    if (data.sheets.empty())
        return Result::failure(QStringLiteral("工作簿中没有工作表。"));
    return data;
}

} // namespace pelorin::workbook
