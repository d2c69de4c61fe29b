#include "workbook/xlsx/XlsxWriter.h"

#include "workbook/CellAddress.h"
#include "workbook/xlsx/XlsxPackage.h"
#include "workbook/xlsx/XlsxSheetFill.h"
#include "workbook/xlsx/XlsxXml.h"
#include "workbook/xlsx/ZipArchive.h"

#include <cstring>
#include <set>

namespace pelorin::workbook {

using namespace xlsx;

namespace {

const char* const kWorkbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";

struct StringWriter : pugi::xml_writer
{
    QByteArray out;
    void write(const void* data, size_t size) override
    {
        out.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
};

QByteArray serialise(const pugi::xml_document& doc)
{
    StringWriter writer;
    doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.out;
}

QString checkEdits(const CellEdits& edits)
{
    for (const auto& [key, text] : edits) {
        if (key.first < 0 || key.first >= kXlsxMaxRows || key.second < 0 || key.second >= kXlsxMaxColumns)
            return QStringLiteral("单元格位置超出了.xlsx工作表的范围（最多%1行、%2列）。")
                .arg(kXlsxMaxRows)
                .arg(kXlsxMaxColumns);
        if (text.size() > kMaxCellTextLength) {
            return QStringLiteral("单元格%1的文字有%2个字符，超过了Excel单元格的上限%3个字符。")
                .arg(toA1(key))
                .arg(text.size())
                .arg(kMaxCellTextLength);
        }
    }
    return {};
}

// The package parts as stored, with helpers to parse, replace and drop them.
class Package
{
public:
    std::vector<ZipEntry> entries;

    ZipEntry* find(const QString& name)
    {
        for (ZipEntry& e : entries) {
            if (e.name == name)
                return &e;
        }
        return nullptr;
    }
    void remove(const std::set<QString>& lowerNames)
    {
        std::erase_if(entries, [&](const ZipEntry& e) {
            QString name = e.name.toLower();
            if (name.startsWith(u'/'))
                name.remove(0, 1);
            return lowerNames.count(name) > 0;
        });
    }
};

QString partKey(const QString& part)
{
    QString name = part.toLower();
    if (name.startsWith(u'/'))
        name.remove(0, 1);
    return name;
}

void setCalcOnLoad(pugi::xml_document& workbook)
{
    pugi::xml_node root = workbook.document_element();
    pugi::xml_node calcPr = child(root, "calcPr");
    if (!calcPr) {
        static const char* const before[]
            = { "fileVersion", "fileSharing",    "workbookPr",         "workbookProtection", "bookViews",
                "sheets",      "functionGroups", "externalReferences", "definedNames" };
        pugi::xml_node after;
        for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
            for (const char* name : before) {
                if (isNamed(n, name))
                    after = n;
            }
        }
        const char* name = root.name();
        const std::string tag = std::string(name, localName(name)) + "calcPr";
        calcPr = after ? root.insert_child_after(tag.c_str(), after) : root.append_child(tag.c_str());
    }
    pugi::xml_attribute full = attribute(calcPr, "fullCalcOnLoad");
    if (!full)
        full = calcPr.append_attribute("fullCalcOnLoad");
    full.set_value("1");
}

} // namespace

Expected<QByteArray> fillXlsxTemplate(const QByteArray& templ, const CellEdits& edits,
                                      const std::map<int, double>& columnWidths)
{
    using Result = Expected<QByteArray>;
    if (QString error = checkEdits(edits); !error.isEmpty())
        return Result::failure(error);
    ZipArchive zip(templ);
    if (!zip.isOpen())
        return Result::failure(zip.error());
    Expected<PackageLayout> layout = locateParts(zip);
    if (!layout)
        return Result::failure(layout.error());
    if (layout->worksheets.empty())
        return Result::failure(QStringLiteral("模板工作簿中没有工作表，无法写入。"));

    Package package;
    for (const QString& name : zip.names()) {
        if (name.endsWith(u'/'))
            continue; // folder entries carry nothing
        std::optional<QByteArray> data = zip.read(name);
        if (!data)
            return Result::failure(zip.error());
        package.entries.push_back({ name, std::move(*data) });
    }

    const QString sheetPart = layout->worksheets.front().part;
    pugi::xml_document sheet;
    if (QString error = parse(sheet, package.find(sheetPart)->data, sheetPart, pugi::parse_declaration);
        !error.isEmpty())
        return Result::failure(error);
    fillSheet(sheet, edits, columnWidths);
    package.find(sheetPart)->data = serialise(sheet);

    pugi::xml_document workbook;
    if (QString error
        = parse(workbook, package.find(layout->workbookPart)->data, layout->workbookPart, pugi::parse_declaration);
        !error.isEmpty())
        return Result::failure(error);
    setCalcOnLoad(workbook);
    package.find(layout->workbookPart)->data = serialise(workbook);

    // The calculation chain lists formula cells; an overwritten formula would leave it wrong, and
    // the full recalculation rebuilds it. A macro project cannot live in a plain workbook.
    std::set<QString> dropped;
    if (ZipEntry* rels = layout->workbookRelsPart.isEmpty() ? nullptr : package.find(layout->workbookRelsPart)) {
        pugi::xml_document doc;
        if (QString error = parse(doc, rels->data, rels->name, pugi::parse_declaration); !error.isEmpty())
            return Result::failure(error);
        pugi::xml_node root = doc.document_element();
        for (pugi::xml_node n = root.first_child(); n;) {
            const pugi::xml_node next = n.next_sibling();
            const QString type = text(attribute(n, "Type").value());
            if (typeIs(type, QLatin1String("calcChain")) || typeIs(type, QLatin1String("vbaProject"))) {
                const QString target = resolveTarget(layout->workbookPart, text(attribute(n, "Target").value()));
                dropped.insert(partKey(target));
                dropped.insert(partKey(relsPartName(target)));
                root.remove_child(n);
            }
            n = next;
        }
        rels->data = serialise(doc);
    }
    package.remove(dropped);

    if (ZipEntry* types = package.find(zip.find(QStringLiteral("[Content_Types].xml")).value_or(QString()))) {
        pugi::xml_document doc;
        if (QString error = parse(doc, types->data, types->name, pugi::parse_declaration); !error.isEmpty())
            return Result::failure(error);
        pugi::xml_node root = doc.document_element();
        for (pugi::xml_node n = root.first_child(); n;) {
            const pugi::xml_node next = n.next_sibling();
            if (isNamed(n, "Override")) {
                const QString part = partKey(text(attribute(n, "PartName").value()));
                if (dropped.count(part)) {
                    root.remove_child(n);
                } else if (part == partKey(layout->workbookPart)) {
                    attribute(n, "ContentType").set_value(kWorkbookType);
                }
            }
            n = next;
        }
        types->data = serialise(doc);
    }

    std::optional<QByteArray> out = writeZip(package.entries);
    if (!out)
        return Result::failure(QStringLiteral("生成.xlsx文件内容时出错。"));
    return *out;
}

namespace {

QByteArray xmlEscaped(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

// Sheet names are unique without case, at most 31 characters, and free of []:*?/\.
std::vector<QString> sheetNames(const WorkbookData& data)
{
    std::vector<QString> names;
    std::set<QString> taken;
    for (size_t i = 0; i < std::max<size_t>(1, data.sheets.size()); ++i) {
        QString name = i < data.sheets.size() ? data.sheets[i].name : QString();
        static const QString forbidden = QStringLiteral("[]:*?/\\");
        name.removeIf([](QChar c) { return forbidden.contains(c) || c.unicode() < 0x20; });
        while (name.startsWith(u'\''))
            name.remove(0, 1);
        name = name.left(31);
        while (name.endsWith(u'\''))
            name.chop(1);
        if (name.isEmpty())
            name = QStringLiteral("Sheet%1").arg(i + 1);
        QString unique = name;
        for (int n = 2; taken.count(unique.toLower()); ++n) {
            const QString suffix = QStringLiteral("(%1)").arg(n);
            unique = name.left(31 - suffix.size()) + suffix;
        }
        taken.insert(unique.toLower());
        names.push_back(unique);
    }
    return names;
}

QByteArray sheetXml(const SheetData* sheet)
{
    QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                     R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)";
    QString dimension = QStringLiteral("A1");
    if (sheet && !sheet->cells.empty()) {
        int maxColumn = 0;
        for (const auto& [key, text] : sheet->cells)
            maxColumn = std::max(maxColumn, key.second);
        dimension = QStringLiteral("A1:") + toA1({ sheet->cells.rbegin()->first.first, maxColumn });
    }
    xml += "<dimension ref=\"" + dimension.toLatin1() + "\"/>";
    if (sheet && !sheet->columnWidths.empty()) {
        xml += "<cols>";
        for (const auto& [column, width] : sheet->columnWidths) {
            if (column < 0 || column >= kXlsxMaxColumns)
                continue;
            const QByteArray index = QByteArray::number(column + 1);
            xml += "<col min=\"" + index + "\" max=\"" + index + "\" width=\""
                + QByteArray::number(std::clamp(width, 0.0, kMaxColumnWidth), 'g', 6) + "\" customWidth=\"1\"/>";
        }
        xml += "</cols>";
    }
    xml += "<sheetData>";
    if (sheet) {
        int currentRow = -1;
        for (const auto& [key, text] : sheet->cells) {
            if (key.first != currentRow) {
                if (currentRow >= 0)
                    xml += "</row>";
                currentRow = key.first;
                xml += "<row r=\"" + QByteArray::number(currentRow + 1) + "\">";
            }
            xml += "<c r=\"" + toA1(key).toLatin1() + "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">"
                + xmlEscaped(encodeEscapes(text)) + "</t></is></c>";
        }
        if (currentRow >= 0)
            xml += "</row>";
    }
    xml += "</sheetData></worksheet>";
    return xml;
}

} // namespace

Expected<QByteArray> writeXlsx(const WorkbookData& data)
{
    using Result = Expected<QByteArray>;
    for (const SheetData& sheet : data.sheets) {
        if (QString error = checkEdits(sheet.cells); !error.isEmpty())
            return Result::failure(QStringLiteral("工作表“%1”：%2").arg(sheet.name, error));
    }
    const std::vector<QString> names = sheetNames(data);
    const QByteArray declaration = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";
    QByteArray types = declaration
        + R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
          R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
          R"(<Default Extension="xml" ContentType="application/xml"/>)"
          R"(<Override PartName="/xl/workbook.xml" ContentType=")"
        + kWorkbookType
        + R"("/><Override PartName="/xl/styles.xml" )"
          R"(ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)";
    QByteArray workbook = declaration
        + R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
          R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)";
    QByteArray workbookRels = declaration
        + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
          R"(<Relationship Id="rIdStyles" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)";
    std::vector<ZipEntry> entries;
    for (size_t i = 0; i < names.size(); ++i) {
        const QByteArray n = QByteArray::number(static_cast<qulonglong>(i + 1));
        types += R"(<Override PartName="/xl/worksheets/sheet)" + n
            + R"(.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)";
        workbook += R"(<sheet name=")" + xmlEscaped(names[i]) + R"(" sheetId=")" + n + R"(" r:id="rId)" + n + R"("/>)";
        workbookRels += R"(<Relationship Id="rId)" + n
            + R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet)"
            + n + R"(.xml"/>)";
        entries.push_back({ QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1),
                            sheetXml(i < data.sheets.size() ? &data.sheets[i] : nullptr) });
    }
    types += "</Types>";
    workbook += R"(</sheets><calcPr fullCalcOnLoad="1"/></workbook>)";
    workbookRels += "</Relationships>";
    const QByteArray rootRels = declaration
        + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
          R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
          R"(</Relationships>)";
    const QByteArray styles = declaration
        + R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
          R"(<fonts count="1"><font><sz val="12"/><name val="宋体"/><family val="3"/><charset val="134"/></font></fonts>)"
          R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
          R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
          R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
          R"(<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>)"
          R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles></styleSheet>)";
    entries.insert(entries.begin(),
                   { { QStringLiteral("[Content_Types].xml"), types },
                     { QStringLiteral("_rels/.rels"), rootRels },
                     { QStringLiteral("xl/workbook.xml"), workbook },
                     { QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRels },
                     { QStringLiteral("xl/styles.xml"), styles } });
    std::optional<QByteArray> out = writeZip(entries);
    if (!out)
        return Result::failure(QStringLiteral("生成.xlsx文件内容时出错。"));
    return *out;
}

} // namespace pelorin::workbook
