#pragma once

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QString>

namespace pelorin::test {

// The first sheet's cells of a workbook as an independent reader (openpyxl, xlrd) sees them;
// an empty map with ok false when the reader is not installed or fails.
struct WorkbookCells
{
    bool ok = false;
    QString error;
    QMap<QString, QString> cells;

    static bool readerAvailable()
    {
        return QFile::exists(QStringLiteral("/usr/bin/python3"))
            && QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                 { QStringLiteral("-c"), QStringLiteral("import openpyxl, xlrd") })
            == 0;
    }

    static WorkbookCells read(const QString& path)
    {
        WorkbookCells result;
        QProcess process;
        process.start(QStringLiteral("/usr/bin/python3"),
                      { QStringLiteral(PELORIN_SOURCE_DIR "/tests/output/read_workbook.py"), path });
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            result.error = QString::fromUtf8(process.readAllStandardError());
            return result;
        }
        const QJsonObject object = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
        for (auto it = object.begin(); it != object.end(); ++it)
            result.cells.insert(it.key(), it.value().toString());
        result.ok = true;
        return result;
    }
};

} // namespace pelorin::test
