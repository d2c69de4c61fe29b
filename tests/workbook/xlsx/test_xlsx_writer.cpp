#include "workbook/CellAddress.h"
#include "workbook/xlsx/XlsxReader.h"
#include "workbook/xlsx/XlsxWriter.h"
#include "workbook/xlsx/XlsxTestTools.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace pelorin::workbook;
using namespace xlsxtest;
using pelorin::Expected;

namespace {

CellKey at(const char* a1)
{
    return *parseA1(QString::fromLatin1(a1));
}

QByteArray entry(const QByteArray& package, const QString& name)
{
    QByteArray bytes = package;
    QBuffer buffer(&bytes);
    QuaZip archive(&buffer);
    if (!archive.open(QuaZip::mdUnzip) || !archive.setCurrentFile(name, QuaZip::csInsensitive))
        return {};
    QuaZipFile file(&archive);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QStringList entryNames(const QByteArray& package)
{
    QByteArray bytes = package;
    QBuffer buffer(&bytes);
    QuaZip archive(&buffer);
    archive.open(QuaZip::mdUnzip);
    return archive.getFileNameList();
}

bool save(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray load(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Slot bodies follow the class: moc cannot read some raw string literals they use.
class TestXlsxWriter : public QObject
{
    Q_OBJECT

private slots:
    void fillKeepsTheRestOfTheTemplate();
    void awkwardTextsRoundTrip_data();
    void awkwardTextsRoundTrip();
    void rowsAndCellsStaySortedAndUnique();
    void columnWidthsSplitExistingRanges();
    void packageCleanUp();
    void refusesWhatACellCannotHold();
    void refusesADamagedTemplate();
    void newWorkbookReadByOpenpyxl();
};

// Everything in the template but the written cells comes through, as openpyxl sees it.
void TestXlsxWriter::fillKeepsTheRestOfTheTemplate()
{
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(QStringLiteral("template.xlsx"));
    QString error;
    if (!runTool({ QStringLiteral("template"), templatePath }, &error))
        QSKIP("python3 with openpyxl is not installed");
    QVERIFY2(error.isEmpty(), qPrintable(error));

    const CellEdits edits {
        { at("A1"), QStringLiteral("重点企业名单：") },     { at("B1"), QString(300, QChar(u'名')) },
        { at("B2"), QStringLiteral("  前后空格  ") },       { at("B3"), QStringLiteral("emoji 😀 名") },
        { at("C3"), QStringLiteral("replaces a formula") }, { at("B12"), QStringLiteral("below the rest") }
    };
    const Expected<QByteArray> out = fillXlsxTemplate(load(templatePath), edits, { { 0, 16 }, { 1, 40.5 } });
    QVERIFY2(out.ok(), qPrintable(out.error()));
    const QString outPath = dir.filePath(QStringLiteral("out.xlsx"));
    QVERIFY(save(outPath, *out));

    const auto before = dump(templatePath, &error);
    QVERIFY2(before, qPrintable(error));
    const auto after = dump(outPath, &error);
    QVERIFY2(after && !after->isEmpty(), qPrintable(error));
    QCOMPARE(after->size(), before->size());

    QJsonObject expectedFirst = before->at(0).toObject();
    QJsonObject cells = expectedFirst.value(QStringLiteral("cells")).toObject();
    for (const auto& [key, text] : edits)
        cells.insert(toA1(key), text);
    expectedFirst.insert(QStringLiteral("cells"), cells);
    QJsonObject widths = expectedFirst.value(QStringLiteral("widths")).toObject();
    widths.insert(QStringLiteral("A"), 16.0);
    widths.insert(QStringLiteral("B"), 40.5);
    expectedFirst.insert(QStringLiteral("widths"), widths);
    // Styles of overwritten cells (a bold heading font, a fill) stay; nothing else changes.
    QCOMPARE(after->at(0).toObject(), expectedFirst);
    for (qsizetype i = 1; i < before->size(); ++i)
        QCOMPARE(after->at(i).toObject(), before->at(i).toObject());

    const QStringList names = entryNames(*out);
    for (const QString& name : entryNames(load(templatePath)))
        QVERIFY2(names.contains(name), qPrintable(name));
    QVERIFY(entry(*out, QStringLiteral("xl/workbook.xml")).contains(R"(fullCalcOnLoad="1")"));
}

void TestXlsxWriter::awkwardTextsRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("control characters") << QStringLiteral("a\x01"
                                                          "b\x1f"
                                                          "c\x0b");
    QTest::newRow("NUL") << QString(QChar(0)) + QStringLiteral("x");
    QTest::newRow("carriage return and line feed") << QStringLiteral("line1\r\nline2\rline3");
    QTest::newRow("literal escape sequence") << QStringLiteral("_x0041_ and _x005F_ and _xABCD_");
    QTest::newRow("lone surrogate and non-character") << QString(QChar(0xD800)) + QChar(0xFFFE) + QStringLiteral("z");
    QTest::newRow("markup characters") << QStringLiteral("<a href=\"x\">&amp;</a> ]]>");
    QTest::newRow("only spaces") << QStringLiteral("   ");
    QTest::newRow("tab and emoji") << QStringLiteral("\t😀\t");
}

void TestXlsxWriter::awkwardTextsRoundTrip()
{
    QFETCH(QString, text);
    const QByteArray templ = simplePackage(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>head</t></is></c></row>)");
    const Expected<QByteArray> out = fillXlsxTemplate(templ, { { at("B2"), text } }, {});
    QVERIFY2(out.ok(), qPrintable(out.error()));
    const Expected<WorkbookData> back = readXlsx(*out, true);
    QVERIFY2(back.ok(), qPrintable(back.error()));
    QCOMPARE(back->sheets.front().cells.at(at("B2")), text);
    QCOMPARE(back->sheets.front().cells.at(at("A1")), QStringLiteral("head"));

    // The file must stay well-formed for an independent reader too.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.xlsx"));
    QVERIFY(save(path, *out));
    QString error;
    const auto sheets = dump(path, &error);
    if (!sheets)
        return;
    QVERIFY2(!sheets->isEmpty(), qPrintable(error));
}

void TestXlsxWriter::rowsAndCellsStaySortedAndUnique()
{
    const QByteArray templ = simplePackage(R"(<row r="2" spans="3:3"><c r="C2" s="4"><v>1</v></c></row>)"
                                           R"(<row><c t="inlineStr"><is><t>r3</t></is></c></row>)"
                                           R"(<row r="5"><c r="A5"><v>5</v></c><c r="E5"><v>6</v></c></row>)");
    const CellEdits edits { { at("D2"), QStringLiteral("d2") },
                            { at("C2"), QStringLiteral("c2") },
                            { at("A4"), QStringLiteral("a4") },
                            { at("B5"), QStringLiteral("b5") },
                            { at("B3"), QStringLiteral("b3") },
                            { at("A1"), QStringLiteral("a1") },
                            { at("C9"), QString() } };
    const Expected<QByteArray> out = fillXlsxTemplate(templ, edits, {});
    QVERIFY2(out.ok(), qPrintable(out.error()));
    const QString sheet = QString::fromUtf8(entry(*out, QStringLiteral("xl/worksheets/sheet1.xml")));

    QList<int> rows;
    for (const auto& m : QRegularExpression(QStringLiteral(R"re(<row r="(\d+)")re")).globalMatch(sheet))
        rows.append(m.captured(1).toInt());
    QCOMPARE(rows, (QList<int> { 1, 2, 3, 4, 5, 9 }));
    QStringList cells;
    for (const auto& m : QRegularExpression(QStringLiteral(R"re(<c r="([A-Z]+\d+)")re")).globalMatch(sheet))
        cells.append(m.captured(1));
    QCOMPARE(cells,
             (QStringList { QStringLiteral("A1"), QStringLiteral("C2"), QStringLiteral("D2"), QStringLiteral("A3"),
                            QStringLiteral("B3"), QStringLiteral("A4"), QStringLiteral("A5"), QStringLiteral("B5"),
                            QStringLiteral("E5"), QStringLiteral("C9") }));
    QVERIFY(sheet.contains(QStringLiteral(R"(<c r="C2" s="4" t="inlineStr">)")));
    QVERIFY(sheet.contains(QStringLiteral(R"(<dimension ref="A1:E9"/>)")));
    QVERIFY(!sheet.contains(QStringLiteral("spans=")));

    const Expected<WorkbookData> back = readXlsx(*out, true);
    QVERIFY(back.ok());
    QCOMPARE(back->sheets.front().cells.at(at("A3")), QStringLiteral("r3"));
    QCOMPARE(back->sheets.front().cells.at(at("C2")), QStringLiteral("c2"));
    QCOMPARE(back->sheets.front().cells.size(), size_t(9));
}

void TestXlsxWriter::columnWidthsSplitExistingRanges()
{
    const QByteArray templ
        = simplePackage({}, {}, {}, {}, {}, R"(<cols><col min="1" max="5" width="9" style="2"/></cols>)");
    const Expected<QByteArray> out
        = fillXlsxTemplate(templ, { { at("C1"), QStringLiteral("x") } }, { { 2, 12 }, { 6, 300 } });
    QVERIFY2(out.ok(), qPrintable(out.error()));
    const QByteArray sheet = entry(*out, QStringLiteral("xl/worksheets/sheet1.xml"));
    QVERIFY2(sheet.contains(R"(<cols><col min="1" max="2" width="9" style="2"/>)"
                            R"(<col min="3" max="3" width="12" style="2" customWidth="1"/>)"
                            R"(<col min="4" max="5" width="9" style="2"/>)"
                            R"(<col min="7" max="7" width="255" customWidth="1"/></cols><sheetData>)"),
             sheet.constData());
}

// The calculation chain goes (with its relationship and content type); a macro-enabled template
// becomes a plain workbook without its macro project; shared formulas that lose their master
// keep their values.
void TestXlsxWriter::packageCleanUp()
{
    const QByteArray ns = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    const QByteArray templ = zip(
        { { QStringLiteral("[Content_Types].xml"),
            R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
            R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
            R"(<Default Extension="xml" ContentType="application/xml"/><Default Extension="bin" ContentType="application/vnd.ms-office.vbaProject"/>)"
            R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.ms-excel.template.macroEnabled.main+xml"/>)"
            R"(<Override PartName="/xl/calcChain.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml"/>)"
            R"(</Types>)" },
          { QStringLiteral("_rels/.rels"), rootRels() },
          { QStringLiteral("xl/workbook.xml"),
            R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r=")" + ns.chopped(1)
                + R"("><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets><definedNames/><oleSize ref="A1"/></workbook>)" },
          { QStringLiteral("xl/_rels/workbook.xml.rels"),
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
            R"(<Relationship Id="rId1" Type=")"
                + ns + R"(worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type=")" + ns
                + R"(calcChain" Target="calcChain.xml"/>)"
                  R"(<Relationship Id="rId3" Type="http://schemas.microsoft.com/office/2006/relationships/vbaProject" Target="vbaProject.bin"/>)"
                  R"(</Relationships>)" },
          { QStringLiteral("xl/worksheets/sheet1.xml"),
            R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1">)"
            R"(<c r="A1"><v>1</v></c><c r="C1"><f t="shared" ref="C1:C2" si="0">A1*2</f><v>2</v></c></row>)"
            R"(<row r="2"><c r="A2"><v>3</v></c><c r="C2"><f t="shared" si="0"/><v>6</v></c></row></sheetData></worksheet>)" },
          { QStringLiteral("xl/calcChain.xml"), R"(<calcChain><c r="C1" i="1"/></calcChain>)" },
          { QStringLiteral("xl/vbaProject.bin"), "binary" } });
    const Expected<QByteArray> out = fillXlsxTemplate(templ, { { at("C1"), QStringLiteral("text") } }, {});
    QVERIFY2(out.ok(), qPrintable(out.error()));
    QCOMPARE(entryNames(*out).filter(QRegularExpression(QStringLiteral("calcChain|vbaProject"))), QStringList());
    const QByteArray types = entry(*out, QStringLiteral("[Content_Types].xml"));
    QVERIFY(!types.contains("calcChain"));
    QVERIFY(
        types.contains(R"(ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml")"));
    const QByteArray rels = entry(*out, QStringLiteral("xl/_rels/workbook.xml.rels"));
    QVERIFY(!rels.contains("calcChain") && !rels.contains("vbaProject"));
    QVERIFY2(entry(*out, QStringLiteral("xl/workbook.xml"))
                 .contains(R"(<definedNames/><calcPr fullCalcOnLoad="1"/><oleSize)"),
             entry(*out, QStringLiteral("xl/workbook.xml")).constData());
    const QByteArray sheet = entry(*out, QStringLiteral("xl/worksheets/sheet1.xml"));
    QVERIFY2(sheet.contains(R"(<c r="C2"><v>6</v></c>)"), sheet.constData());
    const Expected<WorkbookData> back = readXlsx(*out, true);
    QVERIFY(back.ok());
    QCOMPARE(back->sheets.front().cells.at(at("C2")), QStringLiteral("6"));
}

void TestXlsxWriter::refusesWhatACellCannotHold()
{
    const QByteArray templ = simplePackage({});
    const Expected<QByteArray> longText = fillXlsxTemplate(templ, { { at("B2"), QString(32768, u'x') } }, {});
    QVERIFY(!longText.ok());
    QVERIFY2(longText.error().contains(QStringLiteral("32767")), qPrintable(longText.error()));
    QVERIFY(fillXlsxTemplate(templ, { { at("B2"), QString(32767, u'x') } }, {}).ok());
    QVERIFY(!fillXlsxTemplate(QByteArray("not a zip"), {}, {}).ok());
}

void TestXlsxWriter::newWorkbookReadByOpenpyxl()
{
    WorkbookData data;
    data.sheets.push_back({ QStringLiteral("名单"),
                            { { at("A1"), QStringLiteral("标题") },
                              { at("B2"), QStringLiteral("  甲 & <乙>  ") },
                              { at("C70000"), QStringLiteral("far") } },
                            { { 1, 30 } } });
    data.sheets.push_back({ QStringLiteral("名单"), { { at("A1"), QStringLiteral("dup") } }, {} });
    data.sheets.push_back({ QStringLiteral("a/b:c?*[]") + QString(40, u'x'), {}, {} });
    const Expected<QByteArray> out = writeXlsx(data);
    QVERIFY2(out.ok(), qPrintable(out.error()));

    const Expected<WorkbookData> back = readXlsx(*out, false);
    QVERIFY2(back.ok(), qPrintable(back.error()));
    QCOMPARE(back->sheets.size(), size_t(3));
    QCOMPARE(back->sheets[0].cells, data.sheets[0].cells);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.xlsx"));
    QVERIFY(save(path, *out));
    QString error;
    const auto sheets = dump(path, &error);
    if (!sheets)
        QSKIP("python3 with openpyxl is not installed");
    QVERIFY2(sheets->size() == 3, qPrintable(error));
    const QJsonObject first = sheets->at(0).toObject();
    QCOMPARE(first.value(QStringLiteral("name")).toString(), QStringLiteral("名单"));
    QCOMPARE(first.value(QStringLiteral("cells")).toObject().value(QStringLiteral("B2")).toString(),
             QStringLiteral("  甲 & <乙>  "));
    QCOMPARE(first.value(QStringLiteral("cells")).toObject().value(QStringLiteral("C70000")).toString(),
             QStringLiteral("far"));
    QCOMPARE(first.value(QStringLiteral("widths")).toObject().value(QStringLiteral("B")).toDouble(), 30.0);
    QCOMPARE(sheets->at(1).toObject().value(QStringLiteral("name")).toString(), QStringLiteral("名单(2)"));
    QCOMPARE(sheets->at(2).toObject().value(QStringLiteral("name")).toString(),
             QStringLiteral("abc") + QString(28, u'x'));
}

// A part whose compressed stream ends early (found by fuzzing) must not be copied on as if whole.
void TestXlsxWriter::refusesADamagedTemplate()
{
    const QByteArray damaged = load(QStringLiteral(PELORIN_SOURCE_DIR "/tests/workbook/xlsx/damaged_part.xlsx"));
    QVERIFY(!damaged.isEmpty());
    const Expected<QByteArray> out = fillXlsxTemplate(damaged, { { at("B2"), QStringLiteral("x") } }, {});
    QVERIFY(!out.ok());
    QVERIFY2(out.error().contains(QStringLiteral("损坏")), qPrintable(out.error()));
}

QTEST_GUILESS_MAIN(TestXlsxWriter)
#include "test_xlsx_writer.moc"
