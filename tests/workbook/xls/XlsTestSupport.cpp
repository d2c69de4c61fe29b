#include "XlsTestSupport.h"

#include "workbook/xls/CompoundFile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtEndian>

namespace xlstest {

std::optional<QByteArray> runTool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"),
                  QStringList { QStringLiteral(PELORIN_SOURCE_DIR "/tests/workbook/xls/xls_tool.py") } + arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

bool toolAvailable()
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral("-c"), QStringLiteral("import xlrd, xlwt") });
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

std::optional<QJsonArray> xlrdDump(const QString& path)
{
    const auto out = runTool({ QStringLiteral("dump"), path });
    if (!out)
        return std::nullopt;
    return QJsonDocument::fromJson(*out).array();
}

QJsonArray toJson(const pelorin::workbook::WorkbookData& data)
{
    QJsonArray sheets;
    for (const auto& sheet : data.sheets) {
        QJsonObject cells;
        for (const auto& [key, text] : sheet.cells)
            cells.insert(QStringLiteral("%1,%2").arg(key.first).arg(key.second), text);
        QJsonObject widths;
        for (const auto& [col, width] : sheet.columnWidths)
            widths.insert(QString::number(col), width);
        sheets.append(QJsonObject { { QStringLiteral("name"), sheet.name },
                                    { QStringLiteral("cells"), cells },
                                    { QStringLiteral("widths"), widths } });
    }
    return sheets;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray u16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray u32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray record(quint16 type, const QByteArray& body)
{
    return u16(type) + u16(quint16(body.size())) + body;
}

QByteArray bof(quint16 kind, quint16 version)
{
    return record(0x0809, u16(version) + u16(kind) + u16(0x0DBB) + u16(0x07CC) + u32(0) + u32(6));
}

QByteArray unicodeString(const QString& text)
{
    bool wide = false;
    for (QChar c : text)
        wide = wide || c.unicode() > 0xFF;
    QByteArray b = u16(quint16(text.size())) + QByteArray(1, wide ? '\1' : '\0');
    for (QChar c : text)
        b += wide ? u16(c.unicode()) : QByteArray(1, char(c.unicode()));
    return b;
}

QByteArray workbookStream(const QByteArray& globals, const QByteArray& cellRecords)
{
    // BOUNDSHEET: position of the sheet's BOF, visible worksheet, name "S".
    const QByteArray head = bof(0x0005) + globals;
    const QByteArray boundSheetWithoutPos = u16(0) + QByteArray("\1\0S", 3);
    const QByteArray tail = record(0x000A, {});
    const qsizetype sheetPos = head.size() + 4 + 4 + boundSheetWithoutPos.size() + tail.size();
    const QByteArray sheet = bof(0x0010) + cellRecords + record(0x000A, {});
    return head + record(0x0085, u32(quint32(sheetPos)) + boundSheetWithoutPos) + tail + sheet;
}

QByteArray container(const QByteArray& stream)
{
    return *pelorin::workbook::CompoundFile::withStream(QStringLiteral("Workbook"), stream).serialize();
}

} // namespace xlstest
