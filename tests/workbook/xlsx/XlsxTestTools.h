#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <optional>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace xlsxtest {

using Parts = QList<QPair<QString, QByteArray>>;

// A zip package made with QuaZip directly, independent of the code under test.
// method: Z_DEFLATED, or 0 to store the parts as they are.
inline QByteArray zip(const Parts& parts, int method = Z_DEFLATED)
{
    QByteArray out;
    QBuffer buffer(&out);
    QuaZip archive(&buffer);
    archive.open(QuaZip::mdCreate);
    for (const auto& [name, data] : parts) {
        QuaZipFile file(&archive);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, method, method == 0 ? 0 : 9);
        file.write(data);
        file.close();
    }
    archive.close();
    return out;
}

inline QByteArray contentTypes()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
           R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
           R"(<Default Extension="xml" ContentType="application/xml"/>)"
           R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
           R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
           R"(</Types>)";
}

inline QByteArray rootRels(const QByteArray& target = "xl/workbook.xml")
{
    return R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
           R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target=")"
        + target + R"("/></Relationships>)";
}

// A one-sheet package around a sheetData body, with optional shared strings and styles.
inline QByteArray simplePackage(const QByteArray& sheetData, const QByteArray& sharedStrings = {},
                                const QByteArray& styles = {}, const QByteArray& workbookPr = {},
                                const QByteArray& sheetProlog = {}, const QByteArray& beforeSheetData = {})
{
    const QByteArray ns = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    QByteArray rels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                      R"(<Relationship Id="rId1" Type=")"
        + ns + R"(worksheet" Target="worksheets/sheet1.xml"/>)";
    Parts parts { { QStringLiteral("[Content_Types].xml"), contentTypes() },
                  { QStringLiteral("_rels/.rels"), rootRels() },
                  { QStringLiteral("xl/workbook.xml"),
                    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r=")"
                        + ns.chopped(1) + R"(">)" + workbookPr
                        + R"(<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)" },
                  { QStringLiteral("xl/worksheets/sheet1.xml"),
                    sheetProlog + R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
                        + beforeSheetData + "<sheetData>" + sheetData + "</sheetData></worksheet>" } };
    if (!sharedStrings.isEmpty()) {
        rels += R"(<Relationship Id="rId2" Type=")" + ns + R"(sharedStrings" Target="sharedStrings.xml"/>)";
        parts.append({ QStringLiteral("xl/sharedStrings.xml"),
                       R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" + sharedStrings
                           + "</sst>" });
    }
    if (!styles.isEmpty()) {
        rels += R"(<Relationship Id="rId3" Type=")" + ns + R"(styles" Target="styles.xml"/>)";
        parts.append({ QStringLiteral("xl/styles.xml"),
                       R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" + styles
                           + "</styleSheet>" });
    }
    parts.append({ QStringLiteral("xl/_rels/workbook.xml.rels"), rels + "</Relationships>" });
    return zip(parts);
}

// Runs the openpyxl helper; nullopt when python3 or openpyxl is not installed.
inline std::optional<QByteArray> runTool(const QStringList& arguments, QString* error = nullptr)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python))
        return std::nullopt;
    QProcess process;
    process.start(python,
                  QStringList { QStringLiteral(PELORIN_SOURCE_DIR "/tests/workbook/xlsx/xlsx_tool.py") } + arguments);
    if (!process.waitForFinished(120000))
        return std::nullopt;
    if (process.exitCode() == 77)
        return std::nullopt;
    if (process.exitCode() != 0) {
        if (error)
            *error = QString::fromUtf8(process.readAllStandardError());
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

// Every sheet of a workbook as openpyxl reads it: [{name, cells{A1: text}, styles, merged, widths}].
inline std::optional<QJsonArray> dump(const QString& path, QString* error)
{
    const auto out = runTool({ QStringLiteral("dump"), path }, error);
    if (!out)
        return std::nullopt;
    return QJsonDocument::fromJson(*out).array();
}

} // namespace xlsxtest
