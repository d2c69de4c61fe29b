#include "workbook/Spreadsheet.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWriter.h"
#include "workbook/xlsx/XlsxReader.h"
#include "workbook/xlsx/XlsxTestTools.h"
#include "workbook/xlsx/XlsxWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace pelorin;
using namespace pelorin::workbook;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray namesWorkbook()
{
    WorkbookData data;
    data.sheets.push_back({ QStringLiteral("名单"),
                            { { { 0, 1 }, QStringLiteral("企业") },
                              { { 1, 1 }, QStringLiteral("  甲公司  ") },
                              { { 2, 1 }, QStringLiteral("乙公司") } },
                            { { 1, 20 } } });
    data.sheets.push_back({ QStringLiteral("其它"), { { { 0, 0 }, QStringLiteral("second sheet") } }, {} });
    return *writeXlsx(data);
}

} // namespace

class TestSpreadsheet : public QObject
{
    Q_OBJECT

private slots:
    void openReportsWhyItCannot_data();
    void openReportsWhyItCannot();
    void formatComesFromContentNotExtension_data();
    void formatComesFromContentNotExtension();
    void editsShowInTheSheet();
    void opensSomeColumnsForReading();
    void fillsTheExportTemplate();
    void limitsOfTheTargetFormat_data();
    void limitsOfTheTargetFormat();
    void failedSaveLeavesNoFile();
    void convertsBetweenFormats();
};

void TestSpreadsheet::openReportsWhyItCannot_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("missing file") << QString() << QByteArray() << QStringLiteral("找不到");
    QTest::newRow("text named .xlsx") << QStringLiteral("list.xlsx") << QByteArray("甲\n乙\n")
                                      << QStringLiteral("不是Excel工作簿");
    QTest::newRow("empty file") << QStringLiteral("empty.xls") << QByteArray() << QStringLiteral("不是Excel工作簿");
    QTest::newRow("zip without a workbook")
        << QStringLiteral("a.xlsx") << xlsxtest::zip({ { QStringLiteral("x.txt"), "x" } })
        << QStringLiteral("不是Excel工作簿");
    QTest::newRow("broken compound file")
        << QStringLiteral("b.xls") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 garbage", 16)
        << QStringLiteral("不是Excel工作簿");
}

void TestSpreadsheet::openReportsWhyItCannot()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, errorPart);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("missing.xlsx"));
    if (!name.isEmpty()) {
        path = dir.filePath(name);
        QVERIFY(writeFile(path, content));
    }
    Spreadsheet spreadsheet;
    QString error;
    QVERIFY(!spreadsheet.open(path, &error));
    QVERIFY2(error.contains(errorPart), qPrintable(error));

    QVERIFY(!spreadsheet.open(dir.path(), &error));
    QVERIFY2(error.contains(QStringLiteral("文件夹")), qPrintable(error));
}

void TestSpreadsheet::formatComesFromContentNotExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow(".xlsx named .xls") << QStringLiteral("names.xls");
    QTest::newRow("no extension") << QStringLiteral("names");
    QTest::newRow("other extension") << QStringLiteral("names.dat");
}

void TestSpreadsheet::formatComesFromContentNotExtension()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(writeFile(path, namesWorkbook()));
    Spreadsheet spreadsheet;
    QString error;
    auto document = spreadsheet.open(path, &error);
    QVERIFY2(document, qPrintable(error));
    QCOMPARE(document->firstSheet()->cellText(QStringLiteral("B2")), QStringLiteral("  甲公司  "));
    QCOMPARE(document->firstSheet()->cellText(QStringLiteral("B4")), QString());
}

// Opened for some columns, a workbook shows theirs as opened whole; an .xlsx book keeps no other cell, and such a
// workbook is never saved.
void TestSpreadsheet::opensSomeColumnsForReading()
{
    WorkbookData data;
    data.sheets.push_back({ QStringLiteral("名单"),
                            { { { 1, 0 }, QStringLiteral("1") },
                              { { 1, 1 }, QStringLiteral("甲公司") },
                              { { 1, 2 }, QStringLiteral("餐饮类") },
                              { { 2, 1 }, QStringLiteral("乙公司") } },
                            {} });
    QTemporaryDir dir;
    const QString xlsx = dir.filePath(QStringLiteral("names.xlsx"));
    const QString xls = dir.filePath(QStringLiteral("names.xls"));
    QVERIFY(writeFile(xlsx, *writeXlsx(data)) && writeFile(xls, *writeXls(data)));
    Spreadsheet spreadsheet;
    for (const QString& path : { xlsx, xls }) {
        QString error;
        auto document = spreadsheet.openColumns(path, { 1 }, &error);
        QVERIFY2(document && document->firstSheet(), qPrintable(error));
        const ISheet& sheet = *document->firstSheet();
        QCOMPARE(sheet.cellText(QStringLiteral("B2")), QStringLiteral("甲公司"));
        QCOMPARE(sheet.cellText(QStringLiteral("B3")), QStringLiteral("乙公司"));
        if (path == xlsx)
            QCOMPARE(sheet.cellText(QStringLiteral("C2")) + sheet.cellText(QStringLiteral("A2")), QString());
        const QString copy = dir.filePath(QStringLiteral("copy.xlsx"));
        QVERIFY(!document->saveAs(copy, &error));
        QVERIFY(!error.isEmpty() && !QFileInfo::exists(copy));
    }
}

void TestSpreadsheet::editsShowInTheSheet()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("n.xlsx"));
    QVERIFY(writeFile(path, namesWorkbook()));
    Spreadsheet spreadsheet;
    auto document = spreadsheet.open(path, nullptr);
    QVERIFY(document);
    ISheet* sheet = document->firstSheet();
    QCOMPARE(sheet->cellText(QStringLiteral("b3")), QStringLiteral("乙公司"));
    QVERIFY(sheet->setCellText(QStringLiteral("B3"), QStringLiteral("丙")));
    QCOMPARE(sheet->cellText(QStringLiteral("B3")), QStringLiteral("丙"));
    QVERIFY(sheet->setCellText(QStringLiteral("B2"), QString()));
    QCOMPARE(sheet->cellText(QStringLiteral("B2")), QString());
    for (const char* bad : { "", "B0", "3B", "XFE1", "B1048577", "B 2" }) {
        QVERIFY2(!sheet->setCellText(QString::fromLatin1(bad), QStringLiteral("x")), bad);
        QCOMPARE(sheet->cellText(QString::fromLatin1(bad)), QString());
    }
}

// The shipped template, filled the way the export fills it, read back by openpyxl.
void TestSpreadsheet::fillsTheExportTemplate()
{
    Spreadsheet spreadsheet;
    QString error;
    auto document = spreadsheet.open(QStringLiteral(PELORIN_SOURCE_DIR "/data/export.xlsx"), &error);
    QVERIFY2(document, qPrintable(error));
    ISheet* sheet = document->firstSheet();
    QVERIFY(sheet);
    sheet->autoFitColumns();
    QVERIFY(sheet->setCellText(QStringLiteral("A1"), QStringLiteral("重点企业名单：")));
    const QStringList names { QString(300, u'名'), QStringLiteral(" 前后空格 "), QStringLiteral("emoji 😀"),
                              QStringLiteral("甲公司") };
    for (int i = 0; i < names.size(); ++i)
        QVERIFY(sheet->setCellText(QStringLiteral("B%1").arg(i + 1), names[i]));
    sheet->autoFitColumns();

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("企业_摇号导出（重点企业）名单_20240305140709.xlsx"));
    QVERIFY2(document->saveAs(out, &error), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    auto reopened = spreadsheet.open(out, &error);
    QVERIFY2(reopened, qPrintable(error));
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(reopened->firstSheet()->cellText(QStringLiteral("B%1").arg(i + 1)), names[i]);

    const auto sheets = xlsxtest::dump(out, &error);
    if (!sheets)
        QSKIP("python3 with openpyxl is not installed");
    QVERIFY2(sheets->size() == 1, qPrintable(error));
    const QJsonObject first = sheets->at(0).toObject();
    const QJsonObject cells = first.value(QStringLiteral("cells")).toObject();
    QCOMPARE(cells.size(), 5);
    QCOMPARE(cells.value(QStringLiteral("A1")).toString(), QStringLiteral("重点企业名单："));
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(cells.value(QStringLiteral("B%1").arg(i + 1)).toString(), names[i]);
    const QJsonObject widths = first.value(QStringLiteral("widths")).toObject();
    QCOMPARE(widths.value(QStringLiteral("A")).toDouble(), 15.0);
    QCOMPARE(widths.value(QStringLiteral("B")).toDouble(), 255.0);
}

void TestSpreadsheet::limitsOfTheTargetFormat_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("row past .xls") << QStringLiteral("B65537") << 1 << QStringLiteral("xls") << QStringLiteral("65536");
    QTest::newRow("column past .xls") << QStringLiteral("IW1") << 1 << QStringLiteral("xls") << QStringLiteral("256");
    QTest::newRow("text too long for .xlsx")
        << QStringLiteral("B2") << 32768 << QStringLiteral("xlsx") << QStringLiteral("32767");
    QTest::newRow("text too long for .xls")
        << QStringLiteral("B2") << 32768 << QStringLiteral("xls") << QStringLiteral("32767");
}

void TestSpreadsheet::limitsOfTheTargetFormat()
{
    QFETCH(QString, cell);
    QFETCH(int, length);
    QFETCH(QString, extension);
    QFETCH(QString, errorPart);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("n.xlsx"));
    QVERIFY(writeFile(path, namesWorkbook()));
    Spreadsheet spreadsheet;
    auto document = spreadsheet.open(path, nullptr);
    QVERIFY(document->firstSheet()->setCellText(cell, QString(length, u'x')));
    const QString out = dir.filePath(QStringLiteral("out.") + extension);
    QString error;
    QVERIFY(!document->saveAs(out, &error));
    QVERIFY2(error.contains(errorPart), qPrintable(error));
    QVERIFY(!QFile::exists(out));
}

void TestSpreadsheet::failedSaveLeavesNoFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("n.xlsx"));
    QVERIFY(writeFile(path, namesWorkbook()));
    Spreadsheet spreadsheet;
    auto document = spreadsheet.open(path, nullptr);
    QVERIFY(document);
    QString error;

    QVERIFY(!document->saveAs(dir.filePath(QStringLiteral("no/such/folder/out.xlsx")), &error));
    QVERIFY2(error.contains(QStringLiteral("不存在")), qPrintable(error));
    QVERIFY(!document->saveAs(dir.path(), &error));
    QVERIFY(!error.isEmpty());

    // An existing file stays as it was when a save over it fails.
    const QString existing = dir.filePath(QStringLiteral("existing.xlsx"));
    QVERIFY(writeFile(existing, "old"));
    QVERIFY(document->firstSheet()->setCellText(QStringLiteral("B2"), QString(40000, u'x')));
    QVERIFY(!document->saveAs(existing, &error));
    QCOMPARE(readFile(existing), QByteArray("old"));
    QVERIFY(document->firstSheet()->setCellText(QStringLiteral("B2"), QStringLiteral("ok")));

    // A folder nobody may create files in, not even root.
    if (QFileInfo(QStringLiteral("/proc/self")).exists()) {
        QVERIFY(!document->saveAs(QStringLiteral("/proc/pelorin-out.xlsx"), &error));
        QVERIFY2(error.contains(QStringLiteral("无法保存")), qPrintable(error));
        QVERIFY(!QFile::exists(QStringLiteral("/proc/pelorin-out.xlsx")));
    }

    const QString locked = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    // Root, and Windows (whose folders have no owner permission bits), may still write there.
    if (QFile probe(locked + QStringLiteral("/probe")); probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("a read-only folder is still writable here (root, or Windows)");
    }
    QVERIFY(!document->saveAs(locked + QStringLiteral("/out.xlsx"), &error));
    QVERIFY2(!error.isEmpty(), qPrintable(error));
    QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden).size(), 0);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestSpreadsheet::convertsBetweenFormats()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("n.xlsx"));
    QVERIFY(writeFile(path, namesWorkbook()));
    Spreadsheet spreadsheet;
    auto document = spreadsheet.open(path, nullptr);
    QVERIFY(document);
    QVERIFY(document->firstSheet()->setCellText(QStringLiteral("A1"), QStringLiteral("重点企业名单：")));
    QVERIFY(document->firstSheet()->setCellText(QStringLiteral("B3"), QStringLiteral("丙")));
    QString error;
    const QString xls = dir.filePath(QStringLiteral("out.xls"));
    QVERIFY2(document->saveAs(xls, &error), qPrintable(error));
    QVERIFY(readFile(xls).startsWith("\xD0\xCF\x11\xE0"));

    const Expected<WorkbookData> back = readXls(readFile(xls), false);
    QVERIFY2(back.ok(), qPrintable(back.error()));
    QCOMPARE(back->sheets.size(), size_t(2));
    QCOMPARE(back->sheets[0].name, QStringLiteral("名单"));
    const std::map<CellKey, QString> expected { { { 0, 0 }, QStringLiteral("重点企业名单：") },
                                                { { 0, 1 }, QStringLiteral("企业") },
                                                { { 1, 1 }, QStringLiteral("  甲公司  ") },
                                                { { 2, 1 }, QStringLiteral("丙") } };
    QCOMPARE(back->sheets[0].cells, expected);
    QCOMPARE(back->sheets[1].cells.at({ 0, 0 }), QStringLiteral("second sheet"));

    // And back again from the .xls copy to .xlsx.
    auto fromXls = spreadsheet.open(xls, &error);
    QVERIFY2(fromXls, qPrintable(error));
    const QString xlsx = dir.filePath(QStringLiteral("again.xlsx"));
    QVERIFY2(fromXls->saveAs(xlsx, &error), qPrintable(error));
    const Expected<WorkbookData> again = readXlsx(readFile(xlsx), false);
    QVERIFY(again.ok());
    QCOMPARE(again->sheets[0].cells, expected);
    QCOMPARE(again->sheets.size(), size_t(2));
}

QTEST_GUILESS_MAIN(TestSpreadsheet)
#include "test_spreadsheet.moc"
