#include "workbook/XlsxReader.h"

#include "workbook/CellText.h"
#include "workbook/XlsxPackage.h"
#include "workbook/XlsxXml.h"

#include <QDateTime>
#include <charconv>
#include <cstring>

namespace pelorin::workbook {

using namespace xlsx;

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

// The text of a string item (<si> or <is>): plain text or rich-text runs; phonetic runs are not part of it.
QString stringItemText(const pugi::xml_node& item)
{
    QString out;
    for (pugi::xml_node n = item.first_child(); n; n = n.next_sibling()) {
        if (isNamed(n, "t")) {
            out += text(n.child_value());
        } else if (isNamed(n, "r")) {
            for (pugi::xml_node t = n.first_child(); t; t = t.next_sibling()) {
                if (isNamed(t, "t"))
                    out += text(t.child_value());
            }
        }
    }
    return decodeEscapes(out);
}

// "B12" -> (11, 1); false for anything else. Works on the raw attribute bytes to stay fast.
bool parseReference(const char* s, CellKey& key)
{
    int column = 0;
    const char* p = s;
    for (; (*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z'); ++p) {
        column = column * 26 + ((*p | 0x20) - 'a' + 1);
        if (column > kMaxColumns)
            return false;
    }
    if (p == s || *p == 0)
        return false;
    int row = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        row = row * 10 + (*p - '0');
        if (row > kMaxRows)
            return false;
    }
    if (*p != 0 || row < 1)
        return false;
    key = { row - 1, column - 1 };
    return true;
}

bool parseNumber(const char* s, double& value)
{
    const char* end = s + std::strlen(s);
    while (s < end && (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\r'))
        ++s;
    while (end > s && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\n' || end[-1] == '\r'))
        --end;
    if (s < end && *s == '+')
        ++s;
    const auto result = std::from_chars(s, end, value);
    return result.ec == std::errc() && result.ptr == end && s != end;
}

QString isoDateText(const QString& iso)
{
    QDateTime when = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (!when.isValid())
        when = QDateTime(QDate::fromString(iso, Qt::ISODate), QTime(0, 0));
    if (!when.isValid())
        return iso;
    const QDate d = when.date();
    QString out = QStringLiteral("%1/%2/%3").arg(d.year()).arg(d.month()).arg(d.day());
    const QTime t = when.time();
    if (t.hour() != 0 || t.minute() != 0)
        out += QStringLiteral(" %1:%2").arg(t.hour()).arg(t.minute(), 2, 10, QLatin1Char('0'));
    return out;
}

struct Styles
{
    std::vector<bool> dateXf; // cell format index -> shows a date
};

Styles readStyles(const pugi::xml_document& doc)
{
    Styles styles;
    const pugi::xml_node root = doc.document_element();
    std::map<int, QString> codes;
    for (pugi::xml_node f = child(child(root, "numFmts"), "numFmt"); f; f = f.next_sibling()) {
        if (isNamed(f, "numFmt"))
            codes[attribute(f, "numFmtId").as_int(-1)] = text(attribute(f, "formatCode").value());
    }
    for (pugi::xml_node xf = child(child(root, "cellXfs"), "xf"); xf; xf = xf.next_sibling()) {
        if (!isNamed(xf, "xf"))
            continue;
        const int id = attribute(xf, "numFmtId").as_int(0);
        const auto code = codes.find(id);
        styles.dateXf.push_back(isDateFormat(id, code == codes.end() ? QString() : code->second));
    }
    return styles;
}

struct ReadContext
{
    std::vector<QString> sharedStrings;
    Styles styles;
    bool date1904 = false;
};

QString cellText(const pugi::xml_node& cell, const ReadContext& context)
{
    const char* type = attribute(cell, "t").value();
    pugi::xml_node valueNode;
    pugi::xml_node inlineNode;
    for (pugi::xml_node n = cell.first_child(); n; n = n.next_sibling()) {
        if (isNamed(n, "v"))
            valueNode = n;
        else if (isNamed(n, "is"))
            inlineNode = n;
    }
    if (std::strcmp(type, "inlineStr") == 0)
        return inlineNode ? stringItemText(inlineNode) : decodeEscapes(text(valueNode.child_value()));
    if (!valueNode)
        return {};
    const char* value = valueNode.child_value();
    if (std::strcmp(type, "s") == 0) {
        double index = -1;
        if (!parseNumber(value, index) || index < 0 || index >= static_cast<double>(context.sharedStrings.size()))
            return {};
        return context.sharedStrings[static_cast<size_t>(index)];
    }
    if (std::strcmp(type, "str") == 0)
        return decodeEscapes(text(value));
    if (std::strcmp(type, "b") == 0) {
        double b = 0;
        return parseNumber(value, b) && b != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    }
    if (std::strcmp(type, "e") == 0)
        return text(value);
    if (std::strcmp(type, "d") == 0)
        return isoDateText(text(value).trimmed());
    double number = 0;
    if (!parseNumber(value, number))
        return text(value);
    const int style = attribute(cell, "s").as_int(0);
    if (style >= 0 && static_cast<size_t>(style) < context.styles.dateXf.size() && context.styles.dateXf[style])
        return dateText(number, context.date1904);
    return numberText(number);
}

void readColumns(const pugi::xml_node& root, SheetData& sheet)
{
    for (pugi::xml_node cols = child(root, "cols"); cols; cols = cols.next_sibling()) {
        if (!isNamed(cols, "cols"))
            continue;
        for (pugi::xml_node col = cols.first_child(); col; col = col.next_sibling()) {
            const pugi::xml_attribute width = attribute(col, "width");
            if (!isNamed(col, "col") || !width)
                continue;
            const int first = std::max(1, attribute(col, "min").as_int(1));
            const int last = std::min(kMaxColumns, attribute(col, "max").as_int(first));
            for (int c = first; c <= last; ++c)
                sheet.columnWidths[c - 1] = width.as_double();
        }
    }
}

QString readSheet(ZipArchive& zip, const SheetRef& ref, const ReadContext& context, SheetData& sheet)
{
    QByteArray data;
    if (QString error = readPart(zip, ref.part, data); !error.isEmpty())
        return error;
    pugi::xml_document doc;
    if (QString error = parseInPlace(doc, data, ref.part); !error.isEmpty())
        return error;
    sheet.name = ref.name;
    const pugi::xml_node root = doc.document_element();
    readColumns(root, sheet);
    int rowIndex = -1;
    for (pugi::xml_node row = child(child(root, "sheetData"), "row"); row; row = row.next_sibling()) {
        if (!isNamed(row, "row"))
            continue;
        const int r = attribute(row, "r").as_int(0);
        rowIndex = (r >= 1 && r <= kMaxRows) ? r - 1 : rowIndex + 1;
        int columnIndex = -1;
        for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
            if (!isNamed(cell, "c"))
                continue;
            CellKey key;
            // A reference naming another row is as good as none; the cell follows the previous one.
            if (parseReference(attribute(cell, "r").value(), key) && key.first == rowIndex)
                columnIndex = key.second;
            else
                key = { rowIndex, ++columnIndex };
            if (key.first >= kMaxRows || key.second >= kMaxColumns)
                continue;
            QString value = cellText(cell, context);
            if (!value.isEmpty())
                sheet.cells.insert_or_assign(key, std::move(value));
        }
    }
    return {};
}

} // namespace

Expected<WorkbookData> readXlsx(const QByteArray& bytes, bool firstSheetOnly)
{
    using Result = Expected<WorkbookData>;
    ZipArchive zip(bytes);
    if (!zip.isOpen())
        return Result::failure(zip.error());
    Expected<PackageLayout> layout = locateParts(zip);
    if (!layout)
        return Result::failure(layout.error());

    ReadContext context;
    context.date1904 = layout->date1904;
    QByteArray data;
    if (!layout->sharedStringsPart.isEmpty()) {
        if (QString error = readPart(zip, layout->sharedStringsPart, data); !error.isEmpty())
            return Result::failure(error);
        pugi::xml_document doc;
        if (QString error = parse(doc, data, layout->sharedStringsPart); !error.isEmpty())
            return Result::failure(error);
        for (pugi::xml_node si = doc.document_element().first_child(); si; si = si.next_sibling()) {
            if (isNamed(si, "si"))
                context.sharedStrings.push_back(stringItemText(si));
        }
    }
    if (!layout->stylesPart.isEmpty()) {
        if (QString error = readPart(zip, layout->stylesPart, data); !error.isEmpty())
            return Result::failure(error);
        pugi::xml_document doc;
        if (QString error = parse(doc, data, layout->stylesPart); !error.isEmpty())
            return Result::failure(error);
        context.styles = readStyles(doc);
    }

    WorkbookData workbook;
    for (const SheetRef& ref : layout->worksheets) {
        SheetData sheet;
        if (QString error = readSheet(zip, ref, context, sheet); !error.isEmpty())
            return Result::failure(error);
        workbook.sheets.push_back(std::move(sheet));
        if (firstSheetOnly)
            break;
    }
    return workbook;
}

} // namespace pelorin::workbook
