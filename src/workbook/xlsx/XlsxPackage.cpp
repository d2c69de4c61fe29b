#include "workbook/xlsx/XlsxPackage.h"

#include "workbook/xlsx/XlsxXml.h"

namespace pelorin::workbook::xlsx {

namespace {

const QString kNotWorkbook = QStringLiteral("不是Excel工作簿：文件中找不到工作簿部件。");

QString storedName(const ZipArchive& zip, const QString& part)
{
    return zip.find(part).value_or(QString());
}

} // namespace

QString readPart(ZipArchive& zip, const QString& name, QByteArray& data)
{
    std::optional<QByteArray> bytes = zip.read(name);
    if (!bytes)
        return zip.error();
    data = std::move(*bytes);
    return {};
}

QString streamPart(ZipArchive& zip, const QString& name, XmlStreamHandler& handler)
{
    XmlStreamParser parser(handler);
    bool parsed = true;
    // After a parse error the rest still inflates, so a damaged part is reported as damaged, not as bad XML.
    const bool inflated = zip.stream(name, [&](const char* piece, qsizetype size) {
        if (parsed)
            parsed = parser.feed(piece, size);
    });
    if (!inflated)
        return zip.error();
    if (!parsed || !parser.finish())
        return parser.error(name);
    return {};
}

Expected<PackageLayout> locateParts(ZipArchive& zip)
{
    PackageLayout layout;
    if (const auto rootRels = zip.find(QStringLiteral("_rels/.rels"))) {
        QByteArray data;
        if (QString error = readPart(zip, *rootRels, data); !error.isEmpty())
            return Expected<PackageLayout>::failure(error);
        pugi::xml_document doc;
        if (QString error = parse(doc, data, *rootRels); !error.isEmpty())
            return Expected<PackageLayout>::failure(error);
        for (const Relationship& rel : readRelationships(doc, QString())) {
            if (!rel.external && typeIs(rel.type, QLatin1String("officeDocument"))) {
                layout.workbookPart = storedName(zip, rel.target);
                break;
            }
        }
    }
    if (layout.workbookPart.isEmpty())
        layout.workbookPart = storedName(zip, QStringLiteral("xl/workbook.xml"));
    if (layout.workbookPart.isEmpty())
        return Expected<PackageLayout>::failure(kNotWorkbook);

    QByteArray data;
    if (QString error = readPart(zip, layout.workbookPart, data); !error.isEmpty())
        return Expected<PackageLayout>::failure(error);
    pugi::xml_document workbook;
    if (QString error = parse(workbook, data, layout.workbookPart); !error.isEmpty())
        return Expected<PackageLayout>::failure(error);
    const pugi::xml_node root = workbook.document_element();
    if (!isNamed(root, "workbook"))
        return Expected<PackageLayout>::failure(kNotWorkbook);
    const QString date1904 = text(attribute(child(root, "workbookPr"), "date1904").value());
    layout.date1904
        = date1904 == QLatin1String("1") || date1904.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;

    std::vector<Relationship> rels;
    layout.workbookRelsPart = storedName(zip, relsPartName(layout.workbookPart));
    if (!layout.workbookRelsPart.isEmpty()) {
        if (QString error = readPart(zip, layout.workbookRelsPart, data); !error.isEmpty())
            return Expected<PackageLayout>::failure(error);
        pugi::xml_document doc;
        if (QString error = parse(doc, data, layout.workbookRelsPart); !error.isEmpty())
            return Expected<PackageLayout>::failure(error);
        rels = readRelationships(doc, layout.workbookPart);
    }
    for (const Relationship& rel : rels) {
        if (rel.external)
            continue;
        if (typeIs(rel.type, QLatin1String("sharedStrings")) && layout.sharedStringsPart.isEmpty())
            layout.sharedStringsPart = storedName(zip, rel.target);
        else if (typeIs(rel.type, QLatin1String("styles")) && layout.stylesPart.isEmpty())
            layout.stylesPart = storedName(zip, rel.target);
    }
    for (pugi::xml_node sheet = child(child(root, "sheets"), "sheet"); sheet; sheet = sheet.next_sibling()) {
        if (!isNamed(sheet, "sheet"))
            continue;
        const QString id = text(attribute(sheet, "id", true).value());
        for (const Relationship& rel : rels) {
            if (rel.id != id || rel.external || !typeIs(rel.type, QLatin1String("worksheet")))
                continue;
            const QString part = storedName(zip, rel.target);
            if (part.isEmpty()) {
                return Expected<PackageLayout>::failure(QStringLiteral("工作簿已损坏：找不到工作表“%1”的部件。")
                                                            .arg(text(attribute(sheet, "name").value())));
            }
            layout.worksheets.push_back({ text(attribute(sheet, "name").value()), part });
            break;
        }
    }
    return layout;
}

} // namespace pelorin::workbook::xlsx
