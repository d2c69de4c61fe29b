#include "workbook/xls/XlsSheetRewriter.h"

#include "workbook/xls/BiffRecords.h"
#include "workbook/CellAddress.h"
#include "workbook/xls/XlsSharedStrings.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace pelorin::workbook {

namespace {

constexpr int MaxRows = 65536;
constexpr int MaxColumns = 256;
constexpr int MaxTextLength = 32767;
constexpr int MaxLabelLength = 255;
constexpr quint16 DefaultCellXf = 15;

struct Rec
{
    quint16 type;
    QByteArray body;
};

struct ColumnInfo
{
    quint16 width = 0;
    quint16 xf = DefaultCellXf;
    quint16 flags = 0;
    bool operator==(const ColumnInfo&) const = default;
};

quint16 get16(const QByteArray& b, qsizetype at)
{
    return at + 2 <= b.size() ? qFromLittleEndian<quint16>(b.constData() + at) : 0;
}
void set16(QByteArray& b, qsizetype at, quint16 v)
{
    if (at + 2 <= b.size())
        qToLittleEndian<quint16>(v, b.data() + at);
}

bool isCellRecord(quint16 type)
{
    switch (type) {
    case biff::Blank:
    case biff::Number:
    case biff::Label:
    case biff::LabelSst:
    case biff::Rk:
    case biff::BoolErr:
    case biff::Formula:
    case biff::RString:
        return true;
    default:
        return false;
    }
}

// Records that belong to the formula just before them.
bool isFormulaTail(quint16 type)
{
    return type == biff::String || type == biff::SharedFormula || type == biff::Array || type == biff::Table;
}

// The cell a formula's tExp token points at: the first cell of the shared or array formula it belongs to.
std::optional<CellKey> expAnchor(const QByteArray& formula)
{
    if (formula.size() < 27 || quint8(formula[22]) != 0x01)
        return std::nullopt;
    return CellKey { get16(formula, 23), get16(formula, 25) };
}

} // namespace

QString checkEdits(const CellEdits& edits)
{
    for (const auto& [key, text] : edits) {
        if (key.first < 0 || key.first >= MaxRows)
            return QStringLiteral(
                       "第 %1 行超出了 Excel 97-2003 工作簿的最大行数 65536，无法保存为 .xls；请改用 .xlsx 格式。")
                .arg(key.first + 1);
        if (key.second < 0 || key.second >= MaxColumns)
            return QStringLiteral("第 %1 列超出了 Excel 97-2003 工作簿的最大列数 256（IV 列），无法保存为 .xls。")
                .arg(key.second + 1);
        if (text.size() > MaxTextLength)
            return QStringLiteral("单元格 %1 的文字有 %2 个字符，超过了 Excel 单元格最多 32767 个字符的限制。")
                .arg(toA1(key))
                .arg(text.size());
    }
    return {};
}

Expected<QByteArray> XlsSheetRewriter::rewrite(QByteArrayView substream, const CellEdits& edits,
                                               const std::map<int, double>& columnWidths)
{
    using Result = Expected<QByteArray>;
    std::vector<Rec> kept;
    std::map<CellKey, std::vector<Rec>> cells;
    std::map<int, QByteArray> rows;
    std::map<int, ColumnInfo> columns;
    qsizetype tablePos = -1, colInfoPos = -1, dimensionsPos = -1, window2Pos = -1;
    quint16 defaultRowHeight = 0x00FF;
    std::vector<Rec>* lastFormula = nullptr;

    BiffStream records(substream);
    BiffRecord r;
    if (!records.peek(r) || r.type != biff::Bof || !isBiff8Bof(r.body))
        return Result::failure(QStringLiteral("第一个工作表不是 Excel 97-2003 格式。"));
    int depth = 0;
    while (records.next(r)) {
        Rec rec { r.type, r.body.toByteArray() };
        if (r.type == biff::Bof)
            ++depth;
        if (depth != 1 || r.type == biff::Bof || r.type == biff::Eof) {
            if (r.type == biff::Eof)
                --depth;
            kept.push_back(std::move(rec));
            if (depth == 0)
                break;
            continue;
        }
        const quint16 row = get16(rec.body, 0), col = get16(rec.body, 2);
        if (r.type == biff::Index || r.type == biff::DbCell)
            continue; // they hold stream positions; the rewritten table goes without them
        if (r.type == biff::Row || isCellRecord(r.type) || r.type == biff::MulRk || r.type == biff::MulBlank
            || isFormulaTail(r.type)) {
            if (tablePos < 0)
                tablePos = qsizetype(kept.size());
        }
        if (r.type == biff::Row) {
            rows[row] = rec.body;
        } else if (isCellRecord(r.type)) {
            if (rec.body.size() < 6)
                continue;
            auto& group = cells[{ row, col }];
            group.assign(1, rec);
            lastFormula = r.type == biff::Formula ? &group : nullptr;
        } else if (isFormulaTail(r.type)) {
            if (lastFormula)
                lastFormula->push_back(rec);
        } else if (r.type == biff::MulRk || r.type == biff::MulBlank) {
            // Split into one record a cell, so that any single cell can be replaced.
            const int width = r.type == biff::MulRk ? 6 : 2;
            qsizetype at = 4;
            for (int c = col; at + width + 2 <= rec.body.size() && c < MaxColumns; ++c, at += width) {
                Rec single { quint16(r.type == biff::MulRk ? biff::Rk : biff::Blank),
                             rec.body.left(2) + QByteArray(2, '\0') + rec.body.mid(at, width) };
                set16(single.body, 2, quint16(c));
                cells[{ row, c }].assign(1, single);
            }
            lastFormula = nullptr;
        } else if (r.type == biff::ColInfo) {
            if (colInfoPos < 0)
                colInfoPos = qsizetype(kept.size());
            const ColumnInfo info { get16(rec.body, 4), get16(rec.body, 6), get16(rec.body, 8) };
            const int first = row, last = col; // a COLINFO starts with its column range
            for (int c = first; c <= std::min(last, MaxColumns - 1); ++c)
                columns[c] = info;
        } else {
            if (r.type == biff::Dimensions)
                dimensionsPos = qsizetype(kept.size());
            if (r.type == biff::Window2 && window2Pos < 0)
                window2Pos = qsizetype(kept.size());
            if (r.type == biff::DefaultRowHeight && rec.body.size() >= 4)
                defaultRowHeight = get16(rec.body, 2);
            kept.push_back(std::move(rec));
        }
    }
    if (depth != 0 || kept.empty())
        return Result::failure(QStringLiteral("模板工作簿已损坏：第一个工作表的记录不完整。"));

    for (const auto& [key, text] : edits) {
        const auto [row, col] = key;
        quint16 xf = DefaultCellXf;
        auto found = cells.find(key);
        const auto rowFound = rows.find(row);
        if (found != cells.end()) {
            xf = get16(found->second.front().body, 4);
        } else if (rowFound != rows.end() && (get16(rowFound->second, 12) & 0x80)) {
            xf = get16(rowFound->second, 14) & 0x0FFF;
        } else if (columns.contains(col)) {
            xf = columns[col].xf;
        }
        std::vector<Rec> replaced;
        if (found != cells.end()) {
            replaced = std::move(found->second);
            cells.erase(found);
            if (replaced.front().type == biff::LabelSst && m_strings.totalRefs > 0)
                --m_strings.totalRefs;
        }
        // A shared or array formula's definition follows its first cell; when that cell is overwritten, the
        // definition moves on to the next formula cell that still refers to it.
        std::vector<Rec> definitions;
        for (const Rec& tail : replaced) {
            if (tail.type == biff::SharedFormula || tail.type == biff::Array || tail.type == biff::Table)
                definitions.push_back(tail);
        }
        if (!definitions.empty()) {
            for (auto& [otherKey, group] : cells) {
                if (group.front().type == biff::Formula && expAnchor(group.front().body) == key) {
                    group.insert(group.begin() + 1, definitions.begin(), definitions.end());
                    break;
                }
            }
        }

        const QByteArray head = BodyBuilder().u16(quint16(row)).u16(quint16(col)).u16(xf).data();
        if (text.isEmpty()) {
            if (found != cells.end() || xf != DefaultCellXf)
                cells[key] = { Rec { biff::Blank, head } };
            continue;
        }
        if (text.size() <= MaxLabelLength && !m_allShared) {
            cells[key] = { Rec { biff::Label, BodyBuilder().bytes(head).unicodeString(text).data() } };
        } else {
            const quint32 index = quint32(m_strings.strings.size());
            m_strings.strings.push_back({ text, {}, {} });
            ++m_strings.totalRefs;
            cells[key] = { Rec { biff::LabelSst, BodyBuilder().bytes(head).u32(index).data() } };
        }
        if (!rows.contains(row)) {
            rows[row] = BodyBuilder()
                            .u16(quint16(row))
                            .u16(quint16(col))
                            .u16(quint16(col + 1))
                            .u16(defaultRowHeight)
                            .u16(0)
                            .u16(0)
                            .u16(0x0100)
                            .u16(DefaultCellXf)
                            .data();
        }
    }

    // Row records say which columns hold cells; formulas are marked for recalculation, since the values they
    // may depend on have changed.
    for (auto& [key, group] : cells) {
        auto rowFound = rows.find(key.first);
        if (rowFound != rows.end()) {
            QByteArray& body = rowFound->second;
            set16(body, 2, std::min<quint16>(get16(body, 2), quint16(key.second)));
            set16(body, 4, std::max<quint16>(get16(body, 4), quint16(key.second + 1)));
        }
        if (group.front().type == biff::Formula)
            set16(group.front().body, 14, get16(group.front().body, 14) | 0x0001);
    }
    for (const auto& [col, width] : columnWidths) {
        if (col < 0 || col >= MaxColumns)
            continue;
        const double characters = std::clamp(std::isfinite(width) ? width : 8.43, 0.0, 255.0);
        columns[col].width = quint16(std::lround(characters * 256));
    }

    BiffWriter table;
    auto rowIt = rows.begin();
    auto cellIt = cells.begin();
    while (rowIt != rows.end() || cellIt != cells.end()) {
        // Blocks of 32 rows: their ROW records, then their cells.
        const int firstRow = rowIt != rows.end() && (cellIt == cells.end() || rowIt->first <= cellIt->first.first)
            ? rowIt->first
            : cellIt->first.first;
        const int blockEnd = (firstRow / 32 + 1) * 32;
        for (; rowIt != rows.end() && rowIt->first < blockEnd; ++rowIt)
            table.record(biff::Row, rowIt->second);
        for (; cellIt != cells.end() && cellIt->first.first < blockEnd; ++cellIt) {
            for (const Rec& rec : cellIt->second)
                table.record(rec.type, rec.body);
        }
    }
    BiffWriter colInfo;
    for (auto it = columns.begin(); it != columns.end();) {
        auto last = it;
        while (std::next(last) != columns.end() && std::next(last)->first == last->first + 1
               && std::next(last)->second == it->second)
            ++last;
        colInfo.record(biff::ColInfo,
                       BodyBuilder()
                           .u16(quint16(it->first))
                           .u16(quint16(last->first))
                           .u16(it->second.width)
                           .u16(it->second.xf)
                           .u16(it->second.flags)
                           .u16(0)
                           .data());
        it = std::next(last);
    }
    QByteArray dimensions;
    {
        int rowMin = 0, rowMax = 0, colMin = 0, colMax = 0;
        if (!cells.empty()) {
            rowMin = cells.begin()->first.first;
            rowMax = cells.rbegin()->first.first + 1;
            colMin = MaxColumns;
            for (const auto& [key, group] : cells) {
                colMin = std::min(colMin, key.second);
                colMax = std::max(colMax, key.second + 1);
            }
        }
        dimensions = BodyBuilder()
                         .u32(quint32(rowMin))
                         .u32(quint32(rowMax))
                         .u16(quint16(colMin))
                         .u16(quint16(colMax))
                         .u16(0)
                         .data();
    }

    // Where the new pieces go when the sheet had none of them: column widths before DIMENSIONS, the cell table
    // after it, both before the window settings.
    const qsizetype fallback = window2Pos >= 0 ? window2Pos : qsizetype(kept.size()) - 1;
    if (dimensionsPos < 0) {
        kept.insert(kept.begin() + fallback, Rec { biff::Dimensions, {} });
        dimensionsPos = fallback;
        if (tablePos >= fallback)
            ++tablePos;
        if (colInfoPos >= fallback)
            ++colInfoPos;
    }
    if (colInfoPos < 0)
        colInfoPos = dimensionsPos;
    if (tablePos < 0)
        tablePos = dimensionsPos + 1;

    BiffWriter out;
    for (qsizetype i = 0; i <= qsizetype(kept.size()); ++i) {
        if (i == colInfoPos)
            out.bytes().append(colInfo.bytes());
        if (i == tablePos)
            out.bytes().append(table.bytes());
        if (i == qsizetype(kept.size()))
            break;
        if (i == dimensionsPos)
            out.record(biff::Dimensions, dimensions);
        else
            out.record(kept[i].type, kept[i].body);
    }
    return out.bytes();
}

} // namespace pelorin::workbook
