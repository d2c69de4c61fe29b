// Workbooks we write must open in another spreadsheet program: LibreOffice converts each one to CSV
// headless (a file it would have to repair fails to convert), and the values must come back as written.
#include "workbook/Spreadsheet.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace pelorin;

namespace {

QString soffice()
{
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

// The first sheet as CSV rows, read by LibreOffice; empty when it could not convert the file.
QList<QStringList> convertedRows(const QString& path, const QString& workDir)
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(soffice(),
                  { QStringLiteral("-env:UserInstallation=file://") + workDir + QStringLiteral("/profile"),
                    QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                    QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"),
                    workDir + QStringLiteral("/csv"), path });
    if (!process.waitForFinished(180000))
        return {};
    QFile csv(workDir + QStringLiteral("/csv/") + QFileInfo(path).completeBaseName() + QStringLiteral(".csv"));
    if (!csv.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> rows;
    // The written texts hold no comma, quote or line break, so a plain split reads the CSV.
    for (const QString& line : QString::fromUtf8(csv.readAll()).split(QStringLiteral("\n"))) {
        QString l = line;
        l.remove(QLatin1Char('\r'));
        QStringList cells = l.split(QLatin1Char(','));
        for (QString& cell : cells)
            if (cell.startsWith(QLatin1Char('"')) && cell.endsWith(QLatin1Char('"')) && cell.size() >= 2)
                cell = cell.mid(1, cell.size() - 2);
        rows.append(cells);
    }
    return rows;
}

} // namespace

class LibreOfficeTest : public QObject
{
    Q_OBJECT
private slots:
    void writtenWorkbooksOpenElsewhere_data()
    {
        QTest::addColumn<QString>("templateName");
        QTest::addColumn<QString>("outputName");
        QTest::newRow("xls to xls") << "export.xls"
                                    << "out-a.xls";
        QTest::newRow("xls to xlsx") << "export.xls"
                                     << "out-b.xlsx";
        QTest::newRow("xlsx to xlsx") << "export.xlsx"
                                      << "out-c.xlsx";
        QTest::newRow("xlsx to xls") << "export.xlsx"
                                     << "out-d.xls";
    }
    void writtenWorkbooksOpenElsewhere()
    {
        if (soffice().isEmpty())
            QSKIP("LibreOffice (soffice) is not installed");
        QFETCH(QString, templateName);
        QFETCH(QString, outputName);
        QTemporaryDir dir;
        const QStringList names
            = { "重点企业名单：", "甲公司", " 乙公司 ", "😀表情企业", QString(300, QChar(u'长')), "Smith & Co." };
        workbook::Spreadsheet spreadsheet;
        QString error;
        auto document = spreadsheet.open(QStringLiteral(PELORIN_SOURCE_DIR "/data/") + templateName, &error);
        QVERIFY2(document, qPrintable(error));
        ISheet* sheet = document->firstSheet();
        sheet->setCellText(QStringLiteral("A1"), names[0]);
        for (int k = 1; k < names.size(); ++k)
            sheet->setCellText(QStringLiteral("B%1").arg(k), names[k]);
        sheet->autoFitColumns();
        const QString path = dir.filePath(outputName);
        QVERIFY2(document->saveAs(path, &error), qPrintable(error));

        const QList<QStringList> rows = convertedRows(path, dir.path());
        QVERIFY2(!rows.isEmpty(), "LibreOffice could not open the file");
        QCOMPARE(rows.value(0).value(0), names[0]);
        for (int k = 1; k < names.size(); ++k)
            QCOMPARE(rows.value(k - 1).value(1), names[k]);
    }
};

QTEST_GUILESS_MAIN(LibreOfficeTest)
#include "test_libreoffice.moc"
