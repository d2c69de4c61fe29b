#include "../SheetCellsCheck.h"
#include "workbook/CellAddress.h"
#include "workbook/SheetCells.h"
#include "workbook/xlsx/XlsxReader.h"
#include "workbook/xlsx/XlsxTestTools.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace pelorin::workbook;
using namespace xlsxtest;
using pelorin::Expected;

using Texts = QMap<QString, QString>;

namespace {

Texts textsOf(const SheetData& sheet)
{
    Texts texts;
    for (const auto& [key, text] : sheet.cells)
        texts.insert(toA1(key), text);
    return texts;
}

const QByteArray kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// The package with the checksum of one part changed in its local and its central header.
QByteArray withWrongChecksum(QByteArray package, const QByteArray& part)
{
    for (qsizetype at = package.indexOf(part); at >= 0; at = package.indexOf(part, at + 1)) {
        const bool central = package.mid(at - 46, 4) == "PK\x01\x02";
        const qsizetype crc = central ? at - 46 + 16 : at - 30 + 14;
        package[crc] = char(package[crc] ^ 0x5A);
    }
    return package;
}

// The package with one part's inflated size changed by delta in its local and its central header.
QByteArray withWrongSize(QByteArray package, const QByteArray& part, int delta)
{
    for (qsizetype at = package.indexOf(part); at >= 0; at = package.indexOf(part, at + 1)) {
        const bool central = package.mid(at - 46, 4) == "PK\x01\x02";
        const qsizetype size = central ? at - 46 + 24 : at - 30 + 22;
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(package.constData() + size) + delta, package.data() + size);
    }
    return package;
}

// The same package with every part stored as it is, not deflated.
QByteArray stored(const QByteArray& package)
{
    QByteArray in = package;
    QBuffer source(&in);
    QuaZip from(&source);
    from.open(QuaZip::mdUnzip);
    Parts parts;
    for (bool more = from.goToFirstFile(); more; more = from.goToNextFile()) {
        QuaZipFile file(&from);
        file.open(QIODevice::ReadOnly);
        parts.append({ from.getCurrentFileName(), file.readAll() });
    }
    return zip(parts, 0);
}

} // namespace

// Slot bodies follow the class: moc cannot read some raw string literals they use.
class TestXlsxReader : public QObject
{
    Q_OBJECT

private slots:
    void cellValues_data();
    void cellValues();
    void firstWorksheetThroughRelationships_data();
    void firstWorksheetThroughRelationships();
    void refusesHostileOrBrokenInput_data();
    void refusesHostileOrBrokenInput();
    void formulasWithoutResults();
    void columnWidthsLaterElementsWin();
    void manyFullWidthColumnElementsReadQuickly();
    void zipBombIsRefusedWithoutExhaustingMemory();
    void largePartsReadAsSmallOnes();
    void tooManyEntriesAreRefused();
    void agreesWithOpenpyxl();
};

void TestXlsxReader::cellValues_data()
{
    QTest::addColumn<QByteArray>("package");
    QTest::addColumn<Texts>("expected");

    QTest::newRow("shared strings: runs joined, phonetic runs skipped, empty item keeps its index")
        << simplePackage(R"(<row r="2"><c r="B2" t="s"><v>0</v></c><c r="C2" t="s"><v>1</v></c>)"
                         R"(<c r="D2" t="s"><v>2</v></c><c r="E2" t="s"><v>9</v></c></row>)",
                         R"(<si><r><t>東京</t></r><r><rPr><b/></rPr><t xml:space="preserve"> 都</t></r>)"
                         R"(<rPh sb="0" eb="2"><t>トウキョウ</t></rPh></si><si/><si><t>第三</t></si>)")
        << Texts { { QStringLiteral("B2"), QStringLiteral("東京 都") },
                   { QStringLiteral("D2"), QStringLiteral("第三") } };
    QTest::newRow("inline strings, plain and with runs, spaces kept")
        << simplePackage(R"(<row r="1"><c r="A1" t="inlineStr"><is><t xml:space="preserve">  a b  </t></is></c>)"
                         R"(<c r="B1" t="inlineStr"><is><r><t>x</t></r><r><t>y</t></r></is></c>)"
                         R"(<c r="C1" t="inlineStr"><is><t>   </t></is></c></row>)")
        << Texts { { QStringLiteral("A1"), QStringLiteral("  a b  ") },
                   { QStringLiteral("B1"), QStringLiteral("xy") },
                   { QStringLiteral("C1"), QStringLiteral("   ") } };
    QTest::newRow("rows and cells without references follow the previous ones")
        << simplePackage(R"(<row><c t="inlineStr"><is><t>a</t></is></c><c t="inlineStr"><is><t>b</t></is></c></row>)"
                         R"(<row r="4"><c r="C4"><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c></row>)")
        << Texts { { QStringLiteral("A1"), QStringLiteral("a") },
                   { QStringLiteral("B1"), QStringLiteral("b") },
                   { QStringLiteral("C4"), QStringLiteral("1") },
                   { QStringLiteral("D4"), QStringLiteral("2") },
                   { QStringLiteral("A5"), QStringLiteral("3") } };
    QTest::newRow("numbers, booleans, errors, formula strings, ISO dates")
        << simplePackage(
               R"(<row r="1"><c r="A1"><v>12</v></c><c r="B1"><v>12.50</v></c><c r="C1"><v>0.1</v></c>)"
               R"(<c r="D1"><v>1E+20</v></c><c r="E1"><v>-3</v></c><c r="F1"><v>0.30000000000000004</v></c>)"
               R"(<c r="G1" t="b"><v>1</v></c><c r="H1" t="b"><v>0</v></c><c r="I1" t="e"><v>#N/A</v></c>)"
               R"(<c r="J1" t="str"><f>A1&amp;"x"</f><v>12x</v></c><c r="K1" t="d"><v>2024-03-05T00:00:00</v></c>)"
               R"(<c r="L1" t="d"><v>2024-03-05T14:07:00</v></c><c r="M1"><f>1/0</f></c>)"
               R"(<c r="N1"><v>123456789012345678</v></c></row>)")
        << Texts { { QStringLiteral("A1"), QStringLiteral("12") },
                   { QStringLiteral("B1"), QStringLiteral("12.5") },
                   { QStringLiteral("C1"), QStringLiteral("0.1") },
                   { QStringLiteral("D1"), QStringLiteral("1E+20") },
                   { QStringLiteral("E1"), QStringLiteral("-3") },
                   { QStringLiteral("F1"), QStringLiteral("0.3") },
                   { QStringLiteral("G1"), QStringLiteral("TRUE") },
                   { QStringLiteral("H1"), QStringLiteral("FALSE") },
                   { QStringLiteral("I1"), QStringLiteral("#N/A") },
                   { QStringLiteral("J1"), QStringLiteral("12x") },
                   { QStringLiteral("K1"), QStringLiteral("2024/3/5") },
                   { QStringLiteral("L1"), QStringLiteral("2024/3/5 14:07") },
                   { QStringLiteral("N1"), QStringLiteral("1.23456789012346E+17") } };
    QTest::newRow("escapes decoded, an escaped underscore stays literal") << simplePackage(
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="inlineStr"><is><t>a_x000D__x000A_b</t></is></c></row>)",
        R"(<si><t>_x005F_x0041_ and _x0041_ and _x12_</t></si>)")
                                                                          << Texts { { QStringLiteral("A1"),
                                                                                       QStringLiteral(
                                                                                           "_x0041_ and A and _x12_") },
                                                                                     { QStringLiteral("B1"),
                                                                                       QStringLiteral("a\r\nb") } };
    const QByteArray styles
        = R"(<numFmts count="2"><numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;"/>)"
          R"(<numFmt numFmtId="165" formatCode="&quot;d&quot;0.00;[Red]0"/></numFmts>)"
          R"(<cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="165"/></cellXfs>)";
    QTest::newRow("date formats from built-in and custom codes; quoted letters are not dates") << simplePackage(
        R"(<row r="1"><c r="A1" s="1"><v>45356</v></c><c r="B1" s="2"><v>45356.5</v></c>)"
        R"(<c r="C1" s="3"><v>45356</v></c><c r="D1" s="0"><v>45356</v></c><c r="E1" s="99"><v>1</v></c><c r="F1" s="1"><v>45356.9999999</v></c></row>)",
        {}, styles) << Texts { { QStringLiteral("A1"), QStringLiteral("2024/3/5") },
                               { QStringLiteral("B1"), QStringLiteral("2024/3/5 12:00") },
                               { QStringLiteral("C1"), QStringLiteral("45356") },
                               { QStringLiteral("D1"), QStringLiteral("45356") },
                               { QStringLiteral("E1"), QStringLiteral("1") },
                               { QStringLiteral("F1"), QStringLiteral("2024/3/6") } };
    QTest::newRow("1904 date system") << simplePackage(
        R"(<row r="1"><c r="A1" s="1"><v>0</v></c><c r="B1" s="1"><v>43894</v></c></row>)", {},
        R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="14"/></cellXfs>)", R"(<workbookPr date1904="1"/>)")
                                      << Texts { { QStringLiteral("A1"), QStringLiteral("1904/1/1") },
                                                 { QStringLiteral("B1"), QStringLiteral("2024/3/5") } };
    // An empty cell never replaces an earlier one of the same place; rows and cells may come out of order.
    QTest::newRow("places written twice, rows out of order, items that show nothing")
        << simplePackage(
               R"(<row r="3"><c r="B3" t="inlineStr"><is><t>first</t></is><is><t>last</t></is></c></row>)"
               R"(<row r="2"><c r="B2"><v>7</v></c><c r="B2" t="s"><v>1</v></c><c r="C2" t="s"><v>0</v></c>)"
               R"(<c r="C2"/><c r="C2" t="s"><v>2</v></c><c r="D2" t="str"><v>x</v></c><c r="D2" t="inlineStr"/>)"
               R"(<c r="E2" t="d"><v> </v></c><c r="F2" t="s"><v> 0 </v></c><c r="G2" t="s"><v>0.5</v></c></row>)",
               R"(<si><t>zero</t></si><si><t>&#xFEFF;</t></si><si><t></t></si>)")
        << Texts { { QStringLiteral("B3"), QStringLiteral("last") }, { QStringLiteral("B2"), QStringLiteral("7") },
                   { QStringLiteral("C2"), QStringLiteral("zero") }, { QStringLiteral("D2"), QStringLiteral("x") },
                   { QStringLiteral("F2"), QStringLiteral("zero") }, { QStringLiteral("G2"), QStringLiteral("zero") } };
    QTest::newRow("shared string index out of range and garbage numbers do not crash") << simplePackage(
        R"(<row r="1"><c r="A1" t="s"><v>5</v></c><c r="B1" t="s"><v>-1</v></c><c r="C1"><v>abc</v></c></row>)",
        R"(<si><t>only</t></si>)") << Texts { { QStringLiteral("C1"), QStringLiteral("abc") } };
}

void TestXlsxReader::cellValues()
{
    QFETCH(QByteArray, package);
    QFETCH(Texts, expected);
    const Expected<WorkbookData> data = readXlsx(package, true);
    QVERIFY2(data.ok(), qPrintable(data.error()));
    QCOMPARE(data->sheets.size(), size_t(1));
    QCOMPARE(textsOf(data->sheets.front()), expected);

    // The first sheet read for the import, its cells shown one by one, agrees with the whole read.
    const Expected<std::unique_ptr<SheetCells>> first = readXlsxFirstSheet(package);
    QVERIFY2(first.ok() && *first, qPrintable(first.error()));
    const QString difference = sheetcheck::differenceFromFullRead(**first, data->sheets.front().cells);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestXlsxReader::firstWorksheetThroughRelationships_data()
{
    QTest::addColumn<QByteArray>("package");
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("firstA1");

    const auto sheet = [](const char* text) {
        return QByteArray(R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
                          R"(<row r="1"><c r="A1" t="inlineStr"><is><t>)")
            + text + "</t></is></c></row></sheetData></worksheet>";
    };
    // The chart sheet comes first, the part of the first worksheet is sheet7.xml under an absolute, upper-case
    // target, and sheet1.xml belongs to the second worksheet.
    const QByteArray rels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                            R"(<Relationship Id="rIdC" Type=")"
        + kRelNs + R"(chartsheet" Target="chartsheets/sheet1.xml"/><Relationship Id="rIdA" Type=")" + kRelNs
        + R"(worksheet" Target="/XL/Worksheets/Sheet7.xml"/><Relationship Id="rIdB" Type=")" + kRelNs
        + R"(worksheet" Target="worksheets/sheet1.xml"/></Relationships>)";
    const QByteArray workbook
        = R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r=")" + kRelNs
        + R"("><sheets><sheet name="Chart" sheetId="3" r:id="rIdC"/><sheet name="First" sheetId="9" r:id="rIdA"/>)"
          R"(<sheet name="Second" sheetId="1" r:id="rIdB"/></sheets></workbook>)";
    QTest::newRow("chart sheet first, absolute target, case-insensitive part names")
        << zip({ { QStringLiteral("[Content_Types].xml"), contentTypes() },
                 { QStringLiteral("_rels/.rels"), rootRels("/xl/workbook.xml") },
                 { QStringLiteral("xl/workbook.xml"), workbook },
                 { QStringLiteral("xl/_rels/workbook.xml.rels"), rels },
                 { QStringLiteral("xl/chartsheets/sheet1.xml"), "<chartsheet/>" },
                 { QStringLiteral("xl/worksheets/sheet1.xml"), sheet("second") },
                 { QStringLiteral("xl/worksheets/sheet7.xml"), sheet("first") } })
        << QStringLiteral("First") << QStringLiteral("first");

    // Strict OOXML: other namespaces, and prefixed element names.
    const QByteArray strictRel = "http://purl.oclc.org/ooxml/officeDocument/relationships/";
    QTest::newRow("strict namespaces with prefixes") << zip(
        { { QStringLiteral("[Content_Types].xml"), contentTypes() },
          { QStringLiteral("_rels/.rels"),
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="r1" Type=")"
                + strictRel + R"(officeDocument" Target="xl/book.xml"/></Relationships>)" },
          { QStringLiteral("xl/book.xml"),
            R"(<x:workbook xmlns:x="http://purl.oclc.org/ooxml/spreadsheetml/main" xmlns:rel=")" + strictRel
                + R"("><x:sheets><x:sheet name="Strict" sheetId="1" rel:id="s1"/></x:sheets></x:workbook>)" },
          { QStringLiteral("xl/_rels/book.xml.rels"),
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="s1" Type=")"
                + strictRel + R"(worksheet" Target="data/one.xml"/></Relationships>)" },
          { QStringLiteral("xl/data/one.xml"),
            R"(<x:worksheet xmlns:x="http://purl.oclc.org/ooxml/spreadsheetml/main"><x:sheetData><x:row r="1">)"
            R"(<x:c r="A1" t="inlineStr"><x:is><x:t>strict</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>)" } })
                                                     << QStringLiteral("Strict") << QStringLiteral("strict");
}

void TestXlsxReader::firstWorksheetThroughRelationships()
{
    QFETCH(QByteArray, package);
    QFETCH(QString, firstName);
    QFETCH(QString, firstA1);
    const Expected<WorkbookData> data = readXlsx(package, true);
    QVERIFY2(data.ok(), qPrintable(data.error()));
    QCOMPARE(data->sheets.size(), size_t(1));
    QCOMPARE(data->sheets.front().name, firstName);
    QCOMPARE(data->sheets.front().cells.at({ 0, 0 }), firstA1);
}

void TestXlsxReader::refusesHostileOrBrokenInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("errorPart");

    QTest::newRow("DOCTYPE with entities")
        << simplePackage(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>&b;</t></is></c></row>)", {}, {}, {},
                         R"(<?xml version="1.0"?><!DOCTYPE worksheet [<!ENTITY a "aaaa"><!ENTITY b "&a;&a;&a;">]>)")
        << QStringLiteral("DOCTYPE");
    QTest::newRow("not a zip") << QByteArray("PK\x03\x04 not really a zip at all", 28) << QStringLiteral("压缩包");
    QTest::newRow("zip without a workbook")
        << zip({ { QStringLiteral("readme.txt"), "hello" } }) << QStringLiteral("不是Excel工作簿");
    QTest::newRow("worksheet part missing") << zip(
        { { QStringLiteral("_rels/.rels"), rootRels() },
          { QStringLiteral("xl/workbook.xml"),
            R"(<workbook xmlns:r="r"><sheets><sheet name="Gone" sheetId="1" r:id="rId1"/></sheets></workbook>)" },
          { QStringLiteral("xl/_rels/workbook.xml.rels"),
            R"(<Relationships><Relationship Id="rId1" Type=")" + kRelNs
                + R"(worksheet" Target="nowhere.xml"/></Relationships>)" } })
                                            << QStringLiteral("Gone");
    QTest::newRow("malformed XML") << simplePackage("<row><c>") << QStringLiteral("XML");

    QByteArray truncated = simplePackage(R"(<row r="1"><c r="A1"><v>1</v></c></row>)");
    truncated.chop(truncated.size() / 2);
    QTest::newRow("truncated package") << truncated << QString();
}

void TestXlsxReader::refusesHostileOrBrokenInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, errorPart);
    const Expected<WorkbookData> data = readXlsx(bytes, true);
    QVERIFY(!data.ok());
    QVERIFY(!data.error().isEmpty());
    QVERIFY2(data.error().contains(errorPart), qPrintable(data.error()));
}

// openpyxl writes a formula with an empty <v>; a text result may be empty (t="str"), no other result can.
void TestXlsxReader::formulasWithoutResults()
{
    const QByteArray package = simplePackage(
        R"(<row r="1"><c r="A1"><f>1+2</f><v></v></c><c r="B1"><f>1+2</f></c><c r="C1" t="str"><f>""</f><v></v></c>)"
        R"(<c r="D1" t="str"><f>A1</f></c><c r="E1"><f>1+2</f><v>3</v></c><c r="F1" t="b"><f>TRUE()</f><v/></c>)"
        R"(<c r="G1" t="inlineStr"><is><t>g</t></is></c></row>)");
    const Expected<std::unique_ptr<SheetCells>> sheet = readXlsxFirstSheet(package);
    QVERIFY2(sheet.ok() && *sheet, qPrintable(sheet.error()));
    QString lacking;
    for (int column = 0; column < 8; ++column) {
        if ((*sheet)->lacksResult({ 0, column }))
            lacking += QChar(u'A' + column);
        QVERIFY(!(*sheet)->lacksResult({ 1, column }));
    }
    QCOMPARE(lacking, QStringLiteral("ABDF"));
    QCOMPARE((*sheet)->texts(),
             (std::map<CellKey, QString> { { { 0, 4 }, QStringLiteral("3") }, { { 0, 6 }, QStringLiteral("g") } }));
}

void TestXlsxReader::columnWidthsLaterElementsWin()
{
    const QByteArray cols
        = R"(<cols><col min="1" max="10" width="5"/><col min="3" max="4" width="7"/>)"
          R"(<col min="4" max="12" width="9"/><col min="2" max="2" width="1"/><col min="8" max="6" width="3"/>)"
          R"(<col min="20" max="20"/></cols><cols><col min="11" max="11" width="2.5"/></cols>)";
    const Expected<WorkbookData> data = readXlsx(simplePackage({}, {}, {}, {}, {}, cols), true);
    QVERIFY2(data.ok(), qPrintable(data.error()));
    const std::map<int, double> expected { { 0, 5 }, { 1, 1 }, { 2, 7 }, { 3, 9 }, { 4, 9 },    { 5, 9 },
                                           { 6, 9 }, { 7, 9 }, { 8, 9 }, { 9, 9 }, { 10, 2.5 }, { 11, 9 } };
    QCOMPARE(data->sheets.front().columnWidths, expected);
}

// Each element spanning every column once cost a write per column: hours for a sheet of them.
void TestXlsxReader::manyFullWidthColumnElementsReadQuickly()
{
    QByteArray cols = "<cols>";
    for (int i = 0; i < 200000; ++i)
        cols += R"(<col min="1" max="16384" width=")" + QByteArray::number(i % 50) + R"("/>)";
    cols += R"(<col min="2" max="3" width="77"/></cols>)";
    const QByteArray package = simplePackage({}, {}, {}, {}, {}, cols);
    QElapsedTimer timer;
    timer.start();
    const Expected<WorkbookData> data = readXlsx(package, true);
    QVERIFY2(data.ok(), qPrintable(data.error()));
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    const auto& widths = data->sheets.front().columnWidths;
    QCOMPARE(widths.size(), size_t(16384));
    QCOMPARE(widths.at(0), 49.0);
    QCOMPARE(widths.at(1), 77.0);
    QCOMPARE(widths.at(2), 77.0);
    QCOMPARE(widths.at(16383), 49.0);
}

void TestXlsxReader::zipBombIsRefusedWithoutExhaustingMemory()
{
    // 300 MB of spaces inside the worksheet compress to a few hundred kilobytes.
    QByteArray out;
    QBuffer buffer(&out);
    QuaZip archive(&buffer);
    archive.open(QuaZip::mdCreate);
    const auto add = [&archive](const QString& name, const QByteArray& data, int repeat) {
        QuaZipFile file(&archive);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, Z_DEFLATED, 9);
        for (int i = 0; i < repeat; ++i)
            file.write(data);
        file.close();
    };
    const QByteArray base = simplePackage({});
    add(QStringLiteral("_rels/.rels"), rootRels(), 1);
    add(QStringLiteral("xl/workbook.xml"),
        R"(<workbook xmlns:r="r"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)", 1);
    add(QStringLiteral("xl/_rels/workbook.xml.rels"),
        R"(<Relationships><Relationship Id="rId1" Type=")" + kRelNs
            + R"(worksheet" Target="worksheets/sheet1.xml"/></Relationships>)",
        1);
    add(QStringLiteral("xl/worksheets/sheet1.xml"), QByteArray(1024 * 1024, ' '), 300);
    archive.close();
    QVERIFY(out.size() < 2 * 1024 * 1024);

    const Expected<WorkbookData> data = readXlsx(out, true);
    QVERIFY(!data.ok());
    QVERIFY2(data.error().contains(QStringLiteral("过大")), qPrintable(data.error()));
}

// Parts of more than a megabyte inflate on one thread while another parses them: the cells, and the reasons a
// part is refused, come out as from small parts.
void TestXlsxReader::largePartsReadAsSmallOnes()
{
    QByteArray rows;
    QByteArray strings;
    for (int r = 1; r <= 30000; ++r) {
        const QByteArray n = QByteArray::number(r);
        rows += R"(<row r=")" + n + R"("><c r="A)" + n + R"("><v>)" + n + R"(.25</v></c><c r="B)" + n + R"(" t="s"><v>)"
            + QByteArray::number(r - 1) + R"(</v></c><c r="C)" + n + R"(" t="inlineStr"><is><t>行)" + n
            + "</t></is></c></row>";
        strings += "<si><r><t>第" + n + "</t></r><r><rPr><b/></rPr><t>号</t></r></si>";
    }
    QVERIFY(rows.size() > 2 * 1024 * 1024 && strings.size() > 1024 * 1024);
    const QByteArray package = simplePackage(rows, strings);
    const Expected<WorkbookData> data = readXlsx(package, true);
    QVERIFY2(data.ok(), qPrintable(data.error()));
    const auto& cells = data->sheets.front().cells;
    QCOMPARE(cells.size(), size_t(90000));
    QCOMPARE(cells.at({ 0, 0 }), QStringLiteral("1.25"));
    // Shared and inline strings are kept, and made text, in runs: every cell finds its own string.
    for (int r = 0; r < 30000; ++r) {
        QCOMPARE(cells.at({ r, 1 }), QStringLiteral("第%1号").arg(r + 1));
        QCOMPARE(cells.at({ r, 2 }), QStringLiteral("行%1").arg(r + 1));
    }
    const Expected<std::unique_ptr<SheetCells>> first = readXlsxFirstSheet(package);
    QVERIFY(first.ok() && *first);
    QCOMPARE((*first)->texts(), cells);

    // Cut short, the sheet is bad XML; with a wrong checksum as well, it is a damaged part, since the rest still
    // inflates after the parser gave up.
    const QByteArray cut = simplePackage(rows.chopped(7), strings);
    const Expected<WorkbookData> malformed = readXlsx(cut, true);
    QVERIFY(!malformed.ok());
    QVERIFY2(malformed.error().contains(QStringLiteral("XML")), qPrintable(malformed.error()));
    for (const QByteArray& broken : { package, cut }) {
        for (const QByteArray& part : { QByteArray("xl/worksheets/sheet1.xml"), QByteArray("xl/sharedStrings.xml") }) {
            const Expected<WorkbookData> damaged = readXlsx(withWrongChecksum(broken, part), true);
            QVERIFY(!damaged.ok());
            QVERIFY2(damaged.error().contains(QStringLiteral("校验失败"))
                         && damaged.error().contains(QString::fromLatin1(part)),
                     qPrintable(damaged.error()));
        }
    }

    // Stored parts read as deflated ones; a part longer or shorter than its headers say is damaged, stored or not.
    const Expected<WorkbookData> plain = readXlsx(stored(package), true);
    QVERIFY2(plain.ok(), qPrintable(plain.error()));
    QCOMPARE(plain->sheets.front().cells, cells);
    for (const QByteArray& form : { package, stored(package) }) {
        for (const int delta : { -1, 1 }) {
            const Expected<WorkbookData> damaged = readXlsx(withWrongSize(form, "xl/sharedStrings.xml", delta), true);
            QVERIFY(!damaged.ok());
            QVERIFY2(damaged.error().contains(QStringLiteral("损坏")), qPrintable(damaged.error()));
        }
    }
}

void TestXlsxReader::tooManyEntriesAreRefused()
{
    Parts parts { { QStringLiteral("_rels/.rels"), rootRels() } };
    for (int i = 0; i < 10001; ++i)
        parts.append({ QStringLiteral("x/%1").arg(i), QByteArray() });
    const Expected<WorkbookData> data = readXlsx(zip(parts), true);
    QVERIFY(!data.ok());
    QVERIFY2(data.error().contains(QStringLiteral("过多")), qPrintable(data.error()));
}

// A workbook written by openpyxl reads the same through us as through openpyxl, sheet by sheet.
void TestXlsxReader::agreesWithOpenpyxl()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fixture.xlsx"));
    QString error;
    const auto made = runTool({ QStringLiteral("fixture"), path }, &error);
    if (!made)
        QSKIP("python3 with openpyxl is not installed");
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const auto reference = dump(path, &error);
    QVERIFY2(reference && !reference->isEmpty(), qPrintable(error));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const Expected<WorkbookData> all = readXlsx(bytes, false);
    QVERIFY2(all.ok(), qPrintable(all.error()));
    QCOMPARE(all->sheets.size(), size_t(reference->size()));
    for (qsizetype i = 0; i < reference->size(); ++i) {
        const QJsonObject sheet = reference->at(i).toObject();
        QCOMPARE(all->sheets[i].name, sheet.value(QStringLiteral("name")).toString());
        Texts expected;
        const QJsonObject cells = sheet.value(QStringLiteral("cells")).toObject();
        for (auto it = cells.begin(); it != cells.end(); ++it)
            expected.insert(it.key(), it.value().toString());
        QCOMPARE(textsOf(all->sheets[i]), expected);
    }
    const Expected<WorkbookData> first = readXlsx(bytes, true);
    QVERIFY(first.ok());
    QCOMPARE(first->sheets.size(), size_t(1));
    QCOMPARE(first->sheets.front().name, QStringLiteral("名单"));
    const Expected<std::unique_ptr<SheetCells>> lazy = readXlsxFirstSheet(bytes);
    QVERIFY(lazy.ok() && *lazy);
    QCOMPARE((*lazy)->columnWidths, first->sheets.front().columnWidths);
    const QString difference = sheetcheck::differenceFromFullRead(**lazy, first->sheets.front().cells);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QTEST_GUILESS_MAIN(TestXlsxReader)
#include "test_xlsx_reader.moc"
