#include "workbook/xls/XlsReader.h"

#include "workbook/CellText.h"
#include "workbook/SheetCells.h"
#include "workbook/xls/BiffContinued.h"
#include "workbook/xls/BiffRecords.h"
#include "workbook/xls/CompoundFile.h"
#include "workbook/xls/XlsSharedStrings.h"

#include <QHash>
#include <cmath>
#include <cstring>
#include <memory>
#include <span>

namespace pelorin::workbook {

namespace {

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
    SharedStringIndex strings;
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

// The workbook stream with what its sheets' cells need to be shown.
struct Book
{
    QByteArray file; // the stream lies in it, or in copy when it is small
    QByteArray copy;
    StreamRuns stream;
    Globals globals;
    std::vector<bool> dateXf; // cell format index -> shows a date
};

// What a stored cell of a legacy workbook holds.
enum Kind : quint8
{
    Number, // value.number, shown by the cell format in style
    Shared, // value.index into the shared strings
    Characters, // value.characters: style characters inside a record, two bytes each when flags is 1
    Decoded, // value.index into the sheet's own decoded texts
    Boolean, // value.index 0 or 1
    Error, // value.index, the error code
    Empty
};

Expected<Globals> readGlobals(const StreamRuns& stream)
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
            g.strings = SharedStringIndex(sst);
            break;
        }
        default:
            break;
        }
    }
    return GResult::failure(brokenRecords());
}

// The cells of one worksheet, read from its substream and kept as stored.
class XlsSheetCells final : public SheetCells
{
public:
    explicit XlsSheetCells(std::shared_ptr<const Book> book)
        : m_book(std::move(book))
    {
    }

    QString read(quint32 offset)
    {
        const StreamRuns& stream = m_book->stream;
        BiffStream records(stream, offset);
        BiffRecord r;
        if (offset >= quint32(stream.size()) || !records.next(r) || r.type != biff::Bof)
            return QStringLiteral("工作簿文件已损坏，无法读取（工作表“%1”的位置不正确）。").arg(name);
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
                    break;
                --depth;
                continue;
            }
            if (depth == 0)
                cellRecord(r, records);
        }
        // A sheet whose last records are cut off still gives the cells before the cut.
        finish();
        return {};
    }

protected:
    QString show(const StoredCell& cell) const override
    {
        switch (cell.kind) {
        case Number:
            if (cell.style < m_book->dateXf.size() && m_book->dateXf[cell.style])
                return dateText(cell.value.number, m_book->globals.date1904);
            return numberText(cell.value.number);
        case Shared:
            return m_book->globals.strings.text(cell.value.index);
        case Characters: {
            const QByteArrayView bytes(cell.value.characters, qsizetype(cell.style) * (cell.flags + 1));
            ContinuedReader text(std::span(&bytes, 1), 0, 0);
            return text.characters(cell.style, cell.flags != 0);
        }
        case Decoded:
            return m_texts[cell.value.index];
        case Boolean:
            return cell.value.index ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        case Error:
            return errorText(quint8(cell.value.index));
        default:
            return {};
        }
    }

private:
    void put(quint16 row, quint16 col, Kind kind, quint32 index, quint16 xf = 0)
    {
        StoredCell cell;
        cell.row = row;
        cell.column = col;
        cell.kind = kind;
        cell.style = xf;
        cell.value.index = index;
        add(cell);
    }

    void putNumber(quint16 row, quint16 col, double value, quint16 xf)
    {
        StoredCell cell;
        cell.row = row;
        cell.column = col;
        cell.kind = Number;
        cell.style = xf;
        cell.value.number = value;
        add(cell);
    }

    void putText(quint16 row, quint16 col, QString text)
    {
        put(row, col, Decoded, quint32(m_texts.size()));
        m_texts.push_back(std::move(text));
    }

    void cellRecord(const BiffRecord& r, BiffStream& records)
    {
        ByteReader body(r.body);
        switch (r.type) {
        case biff::LabelSst: {
            const quint16 row = body.u16(), col = body.u16();
            body.u16();
            const quint32 index = body.u32();
            if (body.ok() && index < m_book->globals.strings.size())
                put(row, col, Shared, index);
            break;
        }
        case biff::Label:
        case biff::RString: {
            const quint16 row = body.u16(), col = body.u16();
            body.u16();
            // A length and a flags byte, then the characters, all inside this record.
            ByteReader text(r.body, body.pos());
            const quint16 count = text.u16();
            const quint8 flags = text.u8() & 0x01;
            if (body.ok() && text.ok() && text.remaining() >= qsizetype(count) * (flags + 1)) {
                StoredCell cell;
                cell.row = row;
                cell.column = col;
                cell.kind = Characters;
                cell.flags = flags;
                cell.style = count;
                cell.value.characters = r.body.data() + text.pos();
                add(cell);
            }
            break;
        }
        case biff::Number: {
            const quint16 row = body.u16(), col = body.u16(), xf = body.u16();
            const double value = body.f64();
            if (body.ok())
                putNumber(row, col, value, xf);
            break;
        }
        case biff::Rk: {
            const quint16 row = body.u16(), col = body.u16(), xf = body.u16();
            const quint32 rk = body.u32();
            if (body.ok())
                putNumber(row, col, rkValue(rk), xf);
            break;
        }
        case biff::MulRk: {
            const quint16 row = body.u16();
            quint16 col = body.u16();
            // Pairs of (format, RK value), then the last column.
            while (body.remaining() >= 8) {
                const quint16 xf = body.u16();
                putNumber(row, col, rkValue(body.u32()), xf);
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
                put(row, col, isError ? Error : Boolean, isError ? value : (value ? 1 : 0));
            break;
        }
        case biff::Formula:
            formula(r.body, records);
            break;
        case biff::ColInfo: {
            const quint16 first = body.u16(), last = body.u16(), width = body.u16();
            if (body.ok()) {
                for (int col = first; col <= std::min<int>(last, 255); ++col)
                    columnWidths[col] = width / 256.0;
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
            putNumber(row, col, value.f64(), xf);
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
                QString value = text.characters(count, twoBytes);
                if (text.ok())
                    putText(row, col, std::move(value));
            }
            break;
        }
        case 1:
            put(row, col, Boolean, byte(2) ? 1 : 0);
            break;
        case 2:
            put(row, col, Error, byte(2));
            break;
        default:
            put(row, col, Empty, 0);
            break;
        }
    }

    std::shared_ptr<const Book> m_book;
    std::vector<QString> m_texts;
};

using Sheets = std::vector<std::unique_ptr<SheetCells>>;

Expected<Sheets> readSheets(const QByteArray& bytes, bool firstSheetOnly)
{
    using Result = Expected<Sheets>;
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
    auto book = std::make_shared<Book>();
    book->file = bytes;
    auto runs = file->streamRuns(index, book->copy);
    if (!runs)
        return Result::failure(runs.error());
    book->stream = StreamRuns(std::move(*runs));
    auto globals = readGlobals(book->stream);
    if (!globals)
        return Result::failure(globals.error());
    book->globals = std::move(*globals);
    const Globals& g = book->globals;
    for (const quint16 format : g.xfFormats)
        book->dateXf.push_back(isDateFormat(format, g.formatCodes.value(format)));

    Sheets sheets;
    for (const SheetEntry& entry : g.sheets) {
        auto sheet = std::make_unique<XlsSheetCells>(book);
        sheet->name = entry.name;
        const QString error = sheet->read(entry.offset);
        if (!error.isEmpty())
            return Result::failure(error);
        sheets.push_back(std::move(sheet));
        if (firstSheetOnly)
            break;
    }
    if (sheets.empty())
        return Result::failure(QStringLiteral("工作簿中没有工作表。"));
    return sheets;
}

} // namespace

Expected<WorkbookData> readXls(const QByteArray& bytes, bool firstSheetOnly)
{
    auto sheets = readSheets(bytes, firstSheetOnly);
    if (!sheets)
        return Expected<WorkbookData>::failure(sheets.error());
    WorkbookData data;
    for (const auto& sheet : *sheets)
        data.sheets.push_back(sheet->toSheetData());
    return data;
}

Expected<std::unique_ptr<SheetCells>> readXlsFirstSheet(const QByteArray& bytes)
{
    auto sheets = readSheets(bytes, true);
    if (!sheets)
        return Expected<std::unique_ptr<SheetCells>>::failure(sheets.error());
    return std::move(sheets->front());
}

} // namespace pelorin::workbook
