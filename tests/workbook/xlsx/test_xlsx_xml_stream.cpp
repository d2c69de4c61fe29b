#include "workbook/xlsx/XlsxReader.h"
#include "workbook/xlsx/XlsxTestTools.h"
#include "workbook/xlsx/XlsxXml.h"
#include "workbook/xlsx/XlsxXmlStream.h"

#include <QElapsedTimer>
#include <QTest>

using namespace pelorin::workbook;
using namespace pelorin::workbook::xlsx;
using pelorin::Expected;

namespace {

// Writes every event down, with neighbouring texts joined, so two ways of feeding can be compared.
class Transcript final : public XmlStreamHandler
{
public:
    void startElement(std::string_view name, std::span<const XmlAttribute> attributes) override
    {
        // Appended piece by piece: GCC 12 at -O3 takes "<" + std::string(name) for an overlapping copy.
        out += '<';
        out += name;
        for (const XmlAttribute& a : attributes) {
            out += ' ';
            out += a.name;
            out += "=[";
            out += a.value;
            out += ']';
        }
        out += '>';
    }
    void endElement() override { out += "</>"; }
    void text(std::string_view utf8) override { out += utf8; }

    std::string out;
};

struct Outcome
{
    bool ok = false;
    std::string events;
    QString error;
};

// Feeds the pieces of bytes cut at the given offsets.
Outcome parsePieces(const QByteArray& bytes, const std::vector<qsizetype>& cuts)
{
    Transcript transcript;
    XmlStreamParser parser(transcript);
    qsizetype from = 0;
    bool ok = true;
    for (qsizetype cut : cuts) {
        ok = ok && parser.feed(bytes.constData() + from, cut - from);
        from = cut;
    }
    ok = ok && parser.feed(bytes.constData() + from, bytes.size() - from) && parser.finish();
    return { ok, transcript.out, parser.error(QStringLiteral("part.xml")) };
}

Outcome parseWhole(const QByteArray& bytes)
{
    return parsePieces(bytes, {});
}

// A sheet body whose first cell holds text, with padding before it so the text starts at a chosen offset.
QByteArray paddedSheet(qsizetype textAt, const QByteArray& cellXml)
{
    const QByteArray head = R"(<?xml version="1.0" encoding="UTF-8"?>)"
                            R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
                            "<!--";
    const QByteArray afterPadding = "--><sheetData>";
    const qsizetype padding = textAt - head.size() - afterPadding.size();
    return head + QByteArray(padding, 'p') + afterPadding + cellXml + "</sheetData></worksheet>";
}

} // namespace

// Slot bodies follow the class: moc cannot read some raw string literals they use.
class TestXlsxXmlStream : public QObject
{
    Q_OBJECT

private slots:
    void everyCutGivesTheSameEvents();
    void refusesBrokenDocumentsHoweverCut_data();
    void refusesBrokenDocumentsHoweverCut();
    void readsUtf16Parts();
    void longMarkupArrivingInSmallPiecesStaysLinear();
    void worksheetAcrossInflateChunks();
    void utf8DecodedAsQtDecodesIt();
};

void TestXlsxXmlStream::everyCutGivesTheSameEvents()
{
    const QByteArray document
        = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- a comment with <tags> & -- dashes -->"
          R"(<x:root xmlns:x="urn:x" a='1 &gt; 0' b="tab	and&#10;line" c="&#x4E2D;&#25991;&unknown;">)"
          "<x:t xml:space=\"preserve\">  &lt;&amp;&gt;&quot;&apos; &#x1F600; \xE4\xB8\xAD _x000D_ a\r\nb\rc </x:t>"
          "<e/><e  z = \"x/y>z\"  /><![CDATA[<raw> &amp; \r\n]]><?pi stays out?>"
          "<t>&#0; &#xD800; &#1114112; &#12 3; &#x4e2d; &#X41; &#; &#x; &#65; &amp &#x41</t>"
          // Names and values long and short, with marks that look like the end of a name, quotes, references,
          // tabs, spaces around '=': read a block of sixteen bytes at once when that much has arrived. Names of 15
          // and 16 bytes, and values with spaces or longer than a block, on either side of the quick reading's limits.
          "<long-element.name.with_marks a-b.c:d=\"0123456789abcdefghij0123456789abcdefghij\" d='x\"y' e=\"a&amp;b\" "
          "f=\"t\tab\" g =  \"sp\" h=\"\xE4\xB8\xADtext\"></long-element.name.with_marks>"
          R"(<abcdefghijklmno v="Noto Sans CJK SC" w="0123456789abcdef0123"></abcdefghijklmno><abcdefghijklmnop q="1"/>)"
          // Runs of short attributes, several read from one look at their bytes.
          R"(<row r="1" spans="1:4" ht="15" customHeight="1" x14ac:dyDescent="0.25" b=""><c r="A1" s="0" t="n"/>)"
          "</row></x:root>\r\n<!-- after "
          "-->";
    const Outcome whole = parseWhole(document);
    QVERIFY2(whole.ok, qPrintable(whole.error));
    QCOMPARE(QString::fromStdString(whole.events),
             QString::fromUtf8(
                 "<root xmlns:x=[urn:x] a=[1 > 0] b=[tab and\nline] c=[中文&unknown;]>"
                 "<t xml:space=[preserve]>  <&>\"' \xF0\x9F\x98\x80 中 _x000D_ a\nb\nc </><e></>"
                 "<e z=[x/y>z]></><raw> &amp; \n<t>&#0; &#xD800; &#1114112; &#12 3; 中 &#X41; &#; &#x; A &amp &#x41</>"
                 "<long-element.name.with_marks a-b.c:d=[0123456789abcdefghij0123456789abcdefghij] d=[x\"y] e=[a&b] "
                 "f=[t ab] g=[sp] h=[中text]></>"
                 "<abcdefghijklmno v=[Noto Sans CJK SC] w=[0123456789abcdef0123]></><abcdefghijklmnop q=[1]></>"
                 "<row r=[1] spans=[1:4] ht=[15] customHeight=[1] x14ac:dyDescent=[0.25] b=[]><c r=[A1] s=[0] "
                 "t=[n]></></></>"));

    std::vector<qsizetype> bytewise;
    for (qsizetype i = 1; i < document.size(); ++i)
        bytewise.push_back(i);
    const Outcome oneByOne = parsePieces(document, bytewise);
    QVERIFY2(oneByOne.ok, qPrintable(oneByOne.error));
    QCOMPARE(oneByOne.events, whole.events);
    for (qsizetype i = 1; i < document.size(); ++i) {
        for (qsizetype j = i; j < document.size(); j += 7) {
            const Outcome cut = parsePieces(document, { i, j });
            QVERIFY2(cut.ok, qPrintable(QStringLiteral("cut at %1, %2: %3").arg(i).arg(j).arg(cut.error)));
            QVERIFY2(cut.events == whole.events, qPrintable(QStringLiteral("cut at %1, %2").arg(i).arg(j)));
        }
    }
}

void TestXlsxXmlStream::refusesBrokenDocumentsHoweverCut_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("errorPart");

    QTest::newRow("document type declaration")
        << QByteArray(R"(<?xml version="1.0"?><!DOCTYPE r [<!ENTITY a "aaaa">]><r>&a;</r>)")
        << QStringLiteral("DOCTYPE");
    QTest::newRow("unclosed element") << QByteArray("<r><c>") << QStringLiteral("<c>没有结束");
    QTest::newRow("mismatched tags") << QByteArray("<r><c></r></c>") << QStringLiteral("不配对");
    QTest::newRow("end tag with nothing open") << QByteArray("<r/></r>") << QStringLiteral("多余的结束标签");
    QTest::newRow("stops inside a tag") << QByteArray(R"(<r a="1)") << QStringLiteral("中途结束");
    QTest::newRow("stops inside a comment") << QByteArray("<r><!-- no end") << QStringLiteral("中途结束");
    QTest::newRow("NUL character") << QByteArray("<r>a\0b</r>", 10) << QStringLiteral("空字符");
    QTest::newRow("attribute without quotes") << QByteArray("<r a=1/>") << QStringLiteral("引号");
    QTest::newRow("attribute without value") << QByteArray("<r a/>") << QStringLiteral("属性无效");
    QTest::newRow("bad element name") << QByteArray("<r><1/></r>") << QStringLiteral("名称无效");
    // Long enough for the quick reading of tags, which leaves each of these to the general one.
    QTest::newRow("bad attribute name in a long tag")
        << QByteArray(R"(<r><c a="1" 1b="2" padding="0123456789abcdef"/></r>)") << QStringLiteral("属性无效");
    QTest::newRow("value without quotes in a long tag")
        << QByteArray(R"(<r><c name=value padding="0123456789abcdef"/></r>)") << QStringLiteral("引号");
    QTest::newRow("mismatched long tags")
        << QByteArray("<r><abcdefghijklmn></abcdefghijklmo></r>") << QStringLiteral("不配对");
    QTest::newRow("unknown declaration") << QByteArray("<r><!ELEMENT r ANY></r>") << QStringLiteral("无法识别");
    QTest::newRow("only a comment") << QByteArray("<!-- nothing -->  ") << QStringLiteral("是空的");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("是空的");
    QByteArray deep;
    for (int i = 0; i < 1001; ++i)
        deep += "<a>";
    QTest::newRow("nested too deep") << deep << QStringLiteral("嵌套");
}

void TestXlsxXmlStream::refusesBrokenDocumentsHoweverCut()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, errorPart);
    for (qsizetype i = 0; i <= document.size(); ++i) {
        const Outcome outcome = i == 0 ? parseWhole(document) : parsePieces(document, { i });
        QVERIFY2(!outcome.ok, qPrintable(QStringLiteral("cut at %1").arg(i)));
        QVERIFY2(outcome.error.contains(errorPart) && outcome.error.contains(QStringLiteral("part.xml")),
                 qPrintable(QStringLiteral("cut at %1: %2").arg(i).arg(outcome.error)));
    }
}

void TestXlsxXmlStream::readsUtf16Parts()
{
    const QString text = QStringLiteral(R"(<r a="中"><t>文 &amp; x</t></r>)");
    const Outcome utf8 = parseWhole(text.toUtf8());
    QVERIFY(utf8.ok);
    for (const auto encoding : { QStringConverter::Utf16LE, QStringConverter::Utf16BE }) {
        for (const bool bom : { true, false }) {
            QStringEncoder encoder(encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
            const QByteArray bytes = encoder(text);
            for (qsizetype i = 1; i < bytes.size(); ++i) {
                const Outcome cut = parsePieces(bytes, { i });
                QVERIFY2(cut.ok, qPrintable(cut.error));
                QCOMPARE(cut.events, utf8.events);
            }
        }
    }
}

// A tag or comment that arrives over thousands of pieces is searched on, not searched again from its start.
void TestXlsxXmlStream::longMarkupArrivingInSmallPiecesStaysLinear()
{
    for (const QByteArray& open : { QByteArray(R"(<r a=")"), QByteArray("<r><!--") }) {
        const QByteArray document = open + QByteArray(8 * 1024 * 1024, 'x') + (open.endsWith('"') ? "\"/>" : "--></r>");
        std::vector<qsizetype> cuts;
        for (qsizetype i = 4096; i < document.size(); i += 4096)
            cuts.push_back(i);
        QElapsedTimer timer;
        timer.start();
        const Outcome outcome = parsePieces(document, cuts);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        // Searching again from the start each time would scan about 8 GB.
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }
}

// The worksheet inflates in pieces of 64 KiB; whatever falls on a boundary (a tag, a reference, an escape,
// a line end, a multi-byte character) reads the same.
void TestXlsxXmlStream::worksheetAcrossInflateChunks()
{
    const QByteArray cells
        = R"(<row r="1"><c r="A1" t="inlineStr"><is><r><t>ab&amp;c</t></r><r><t xml:space="preserve">)"
          "_x000D_\xE4\xB8\xAD\r\n&#x4E2D;_x005F_x0041_</t></r><rPh><t>x</t></rPh></is></c>"
          R"(<c r="B1" t="str"><v>_x0041__x0042_</v></c><c t="b"><v> 1 </v></c></row>)";
    const QString a1 = QStringLiteral("ab&c\r中\n中_x0041_");
    for (const qsizetype boundary : { 65536, 2 * 65536 }) {
        for (qsizetype at = boundary - cells.size(); at <= boundary; ++at) {
            // The whole worksheet part, written directly so the padding puts the cell where it should be.
            const QByteArray sheet = paddedSheet(at, cells);
            const QByteArray package = xlsxtest::zip(
                { { QStringLiteral("_rels/.rels"), xlsxtest::rootRels() },
                  { QStringLiteral("xl/workbook.xml"),
                    R"(<workbook xmlns:r="r"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)" },
                  { QStringLiteral("xl/_rels/workbook.xml.rels"),
                    R"(<Relationships><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)" },
                  { QStringLiteral("xl/worksheets/sheet1.xml"), sheet } });
            const Expected<WorkbookData> data = readXlsx(package, true);
            QVERIFY2(data.ok(), qPrintable(data.error()));
            const auto& read = data->sheets.front().cells;
            QCOMPARE(read.size(), size_t(3));
            QCOMPARE(read.at({ 0, 0 }), a1);
            QCOMPARE(read.at({ 0, 1 }), QStringLiteral("AB"));
            QCOMPARE(read.at({ 0, 2 }), QStringLiteral("TRUE"));
        }
    }
}

void TestXlsxXmlStream::utf8DecodedAsQtDecodesIt()
{
    for (const char* bytes :
         { "", "abc", "\xE4\xB8\xAD\xE6\x96\x87", "\xEF\xBC\x88\xE6\x9C\x89\xEF\xBC\x89", "\xC3\xA9t\xC3\xA9",
           "\xEF\xBB\xBF"
           "a",
           "a\xEF\xBB\xBF", "\xED\xA0\x80", "\xE0\x80\x80", "\xC0\xAF", "\xF0\x9F\x98\x80", "\xE4\xB8",
           "a\xE4\xB8\xAD\xFF"
           "b",
           "\xEF\xBF\xBE", "\xEF\xB7\x90", "\xEF\xB7\xB0", "\xE4\x38\xAD" }) {
        QCOMPARE(fromUtf8(bytes), QString::fromUtf8(bytes));
    }
}

QTEST_GUILESS_MAIN(TestXlsxXmlStream)
#include "test_xlsx_xml_stream.moc"
