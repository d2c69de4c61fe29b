#include "XlsTestSupport.h"

#include "workbook/xls/BiffRecords.h"
#include "workbook/xls/CompoundFile.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWriter.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace pelorin::workbook;
using namespace xlstest;

namespace {

QByteArray workbookStreamOf(const QByteArray& file)
{
    auto cfb = CompoundFile::parse(file);
    return cfb ? cfb->streamData(cfb->rootStream(u"Workbook")).value() : QByteArray();
}

// Each sheet's substream, from its BOF to its EOF, in BOUNDSHEET order.
QList<QByteArray> substreams(const QByteArray& stream)
{
    QList<QByteArray> out;
    BiffStream records(stream);
    BiffRecord r;
    while (records.next(r) && r.type != biff::Eof) {
        if (r.type != biff::BoundSheet)
            continue;
        const quint32 at = qFromLittleEndian<quint32>(r.body.data());
        BiffStream sheet(stream, at);
        BiffRecord s;
        while (sheet.next(s) && s.type != biff::Eof) { }
        out << stream.mid(at, sheet.pos() - at);
    }
    return out;
}

QString longName(int i, int length)
{
    QString s = QStringLiteral("名称%1-").arg(i);
    while (s.size() < length)
        s += QStringLiteral("长名字abc");
    return s.left(length);
}

} // namespace

class TestXlsWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_haveTool = toolAvailable();
        if (m_haveTool) {
            QVERIFY(runTool({ QStringLiteral("fixtures"), m_dir.path() }).has_value());
            m_template = readFile(m_dir.filePath(QStringLiteral("template.xls")));
        }
    }

    void fillTemplate_data()
    {
        QTest::addColumn<CellEdits>("edits");
        CellEdits export_;
        export_[{ 0, 0 }] = QStringLiteral("重点企业名单：");
        for (int r = 0; r < 60; ++r)
            export_[{ r, 1 }] = QStringLiteral("企业%1").arg(r + 1);
        QTest::newRow("heading and names over bordered blanks, a number and a formula") << export_;

        CellEdits odd;
        odd[{ 0, 1 }] = longName(1, 300);
        odd[{ 1, 1 }] = QStringLiteral("  前后空格  ");
        odd[{ 2, 1 }] = QStringLiteral("控制\x01字符\x07\t");
        odd[{ 3, 1 }] = QStringLiteral("表情😀🎉名");
        odd[{ 4, 1 }] = QString(255, u'界');
        odd[{ 5, 1 }] = QString(256, u'x');
        odd[{ 3, 2 }] = QStringLiteral("replaces C4");
        odd[{ 60, 0 }] = QStringLiteral("合并区域左上角");
        odd[{ 70, 5 }] = QStringLiteral("replaces a number");
        odd[{ 200, 7 }] = QStringLiteral("新行");
        QTest::newRow("long, spaced, control, emoji texts, other columns, merged cell") << odd;

        CellEdits many;
        for (int r = 0; r < 400; ++r)
            many[{ r, 1 }] = longName(r, 256 + r % 300);
        QTest::newRow("400 long names through the shared string table") << many;
    }

    void fillTemplate()
    {
        if (!m_haveTool)
            QSKIP("python3 with xlrd and xlwt is not installed");
        QFETCH(CellEdits, edits);
        const auto out = fillXlsTemplate(m_template, edits, { { 0, 20 }, { 1, 35.5 } });
        QVERIFY2(out.ok(), qPrintable(out.error()));
        const QString outPath = m_dir.filePath(QStringLiteral("out.xls"));
        const QString editsPath = m_dir.filePath(QStringLiteral("edits.json"));
        QVERIFY(writeFile(outPath, *out));
        QJsonObject json;
        for (const auto& [key, text] : edits)
            json.insert(QStringLiteral("%1,%2").arg(key.first).arg(key.second), text);
        QVERIFY(writeFile(editsPath, QJsonDocument(json).toJson()));
        const auto verdict = runTool(
            { QStringLiteral("compare"), m_dir.filePath(QStringLiteral("template.xls")), outPath, editsPath });
        QVERIFY(verdict.has_value());
        QCOMPARE(QString::fromUtf8(*verdict).trimmed(), QStringLiteral("OK"));

        const auto theirs = xlrdDump(outPath);
        QVERIFY(theirs.has_value());
        const QJsonObject widths = theirs->at(0).toObject().value(QStringLiteral("widths")).toObject();
        QCOMPARE(widths.value(QStringLiteral("0")).toDouble(), 20.0);
        QCOMPARE(widths.value(QStringLiteral("1")).toDouble(), 35.5);
        const auto ours = readXls(*out, false);
        QVERIFY2(ours.ok(), qPrintable(ours.error()));
        QCOMPARE(QJsonDocument(toJson(*ours)).toJson(), QJsonDocument(*theirs).toJson());

        // Sheets after the first are carried over byte for byte.
        const QList<QByteArray> before = substreams(workbookStreamOf(m_template));
        const QList<QByteArray> after = substreams(workbookStreamOf(*out));
        QCOMPARE(after.size(), before.size());
        for (qsizetype i = 1; i < before.size(); ++i)
            QVERIFY(after[i] == before[i]);
    }

    void shippedTemplateTakesAnExport()
    {
        const QByteArray templ = readFile(QStringLiteral(PELORIN_SOURCE_DIR "/data/export.xls"));
        const CellEdits edits { { { 0, 0 }, QStringLiteral("组长名单：") },
                                { { 0, 1 }, QStringLiteral("张三") },
                                { { 1, 1 }, QStringLiteral("李四") } };
        const auto out = fillXlsTemplate(templ, edits, { { 1, 12 } });
        QVERIFY2(out.ok(), qPrintable(out.error()));
        const auto back = readXls(*out, true);
        QVERIFY2(back.ok(), qPrintable(back.error()));
        QCOMPARE(back->sheets[0].cells, edits);
        QCOMPARE(back->sheets[0].columnWidths.at(1), 12.0);
    }

    // The EXTSST index must point at the first string of every bucket, or Excel finds the wrong strings.
    void sharedStringIndexPointsAtStrings()
    {
        WorkbookData data;
        data.sheets.push_back({ QStringLiteral("S"), {}, {} });
        QStringList texts;
        for (int r = 0; r < 3000; ++r) {
            texts << (r % 2 ? longName(r, 1 + r % 70) : QStringLiteral("ascii text %1 ").repeated(1 + r % 9));
            data.sheets[0].cells[{ r, 1 }] = texts.last();
        }
        const auto out = writeXls(data);
        QVERIFY(out.ok());
        const QByteArray stream = workbookStreamOf(*out);
        BiffStream records(stream);
        BiffRecord r;
        while (records.next(r) && r.type != biff::ExtSst) { }
        QCOMPARE(r.type, quint16(biff::ExtSst));
        const quint16 perBucket = qFromLittleEndian<quint16>(r.body.data());
        const qsizetype buckets = (r.body.size() - 2) / 8;
        QCOMPARE(buckets, qsizetype((texts.size() + perBucket - 1) / perBucket));
        for (qsizetype b = 0; b < buckets; ++b) {
            const quint32 at = qFromLittleEndian<quint32>(r.body.data() + 2 + 8 * b);
            const quint16 inRecord = qFromLittleEndian<quint16>(r.body.data() + 6 + 8 * b);
            const QString& text = texts[b * perBucket];
            QCOMPARE(qFromLittleEndian<quint16>(stream.constData() + at), quint16(text.size()));
            // The record holding the string starts inRecord bytes earlier and is an SST or CONTINUE.
            const quint16 type = qFromLittleEndian<quint16>(stream.constData() + at - inRecord);
            QVERIFY(type == biff::Sst || type == biff::Continue);
        }
        const auto back = readXls(*out, true);
        QVERIFY(back.ok());
        QCOMPARE(back->sheets[0].cells, data.sheets[0].cells);
    }

    void writeXlsMatchesXlrd()
    {
        WorkbookData data;
        SheetData first { QStringLiteral("名单"), {}, { { 1, 30 }, { 3, 8.5 } } };
        first.cells[{ 0, 1 }] = QStringLiteral("企业名称");
        first.cells[{ 1, 1 }] = QStringLiteral(" 甲 ");
        first.cells[{ 2, 1 }] = longName(7, 400);
        first.cells[{ 3, 1 }] = QStringLiteral("😀");
        first.cells[{ 65535, 255 }] = QString(32767, u'z');
        SheetData second { QStringLiteral("Sheet2"), {}, {} };
        second.cells[{ 0, 0 }] = QStringLiteral("12");
        SheetData empty { QStringLiteral("空"), {}, {} };
        data.sheets = { first, second, empty };
        const auto out = writeXls(data);
        QVERIFY2(out.ok(), qPrintable(out.error()));
        const auto ours = readXls(*out, false);
        QVERIFY2(ours.ok(), qPrintable(ours.error()));
        QCOMPARE(QJsonDocument(toJson(*ours)).toJson(), QJsonDocument(toJson(data)).toJson());
        if (!m_haveTool)
            QSKIP("python3 with xlrd and xlwt is not installed");
        const QString path = m_dir.filePath(QStringLiteral("fresh.xls"));
        QVERIFY(writeFile(path, *out));
        const auto theirs = xlrdDump(path);
        QVERIFY(theirs.has_value());
        QCOMPARE(QJsonDocument(*theirs).toJson(), QJsonDocument(toJson(data)).toJson());
    }

    void limits_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("row 65537") << 65536 << 1 << 3 << QStringLiteral("65536");
        QTest::newRow("column IW") << 0 << 256 << 3 << QStringLiteral("IV");
        QTest::newRow("32768 characters") << 1 << 1 << 32768 << QStringLiteral("32767");
    }

    void limits()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, length);
        QFETCH(QString, fragment);
        const CellEdits edits { { { row, column }, QString(length, u'a') } };
        const QByteArray templ = *writeXls(WorkbookData {});
        const auto filled = fillXlsTemplate(templ, edits, {});
        QVERIFY(!filled.ok());
        QVERIFY2(filled.error().contains(fragment), qPrintable(filled.error()));
        WorkbookData data;
        data.sheets.push_back({ QStringLiteral("S"), edits, {} });
        const auto fresh = writeXls(data);
        QVERIFY(!fresh.ok());
        QVERIFY2(fresh.error().contains(fragment), qPrintable(fresh.error()));
    }

    void refusesBadTemplates_data()
    {
        QTest::addColumn<QByteArray>("templ");
        QTest::addColumn<QString>("fragment");
        const QByteArray cells = record(0x0204, u16(0) + u16(0) + u16(0) + unicodeString(QStringLiteral("x")));
        QTest::newRow("encrypted") << container(workbookStream(record(0x002F, QByteArray(54, '\1')), cells))
                                   << QStringLiteral("密码");
        QTest::newRow("BIFF5") << container(bof(0x0005, 0x0500) + record(0x000A, {})) << QStringLiteral("Excel 95");
        QByteArray oldSheet = workbookStream({}, cells);
        oldSheet.replace(oldSheet.indexOf(bof(0x0010)) + 4, 2, u16(0x0500));
        QTest::newRow("BIFF5 sheet in a BIFF8 workbook") << container(oldSheet) << QStringLiteral("97-2003");
        QTest::newRow("not a workbook") << QByteArray("PK\3\4 a zip file") << QStringLiteral("export.xls");
        QTest::newRow("chart sheet only")
            << container(bof(0x0005) + record(0x0085, u32(0) + QByteArray("\0\2\1\0C", 5)) + record(0x000A, {}))
            << QStringLiteral("没有工作表");
    }

    void refusesBadTemplates()
    {
        QFETCH(QByteArray, templ);
        QFETCH(QString, fragment);
        const auto out = fillXlsTemplate(templ, { { { 0, 0 }, QStringLiteral("a") } }, {});
        QVERIFY(!out.ok());
        QVERIFY2(out.error().contains(fragment), qPrintable(out.error()));
    }

    // A shared formula's definition survives when the cell that carried it is overwritten.
    void sharedFormulaMovesOn()
    {
        const auto formulaCell = [](quint16 row, quint16 col) {
            QByteArray result(8, '\0');
            return record(0x0006,
                          u16(row) + u16(col) + u16(15) + result + u16(0x0008) + u32(0) + u16(5) + QByteArray("\x01", 1)
                              + u16(0) + u16(1));
        };
        const QByteArray shared
            = record(0x04BC, u16(0) + u16(1) + QByteArray("\1\1", 2) + u16(0) + u16(3) + QByteArray("\x1E\x07\x00", 3));
        const QByteArray templ = container(workbookStream({}, formulaCell(0, 1) + shared + formulaCell(1, 1)));
        const auto out = fillXlsTemplate(templ, { { { 0, 1 }, QStringLiteral("新") } }, {});
        QVERIFY2(out.ok(), qPrintable(out.error()));
        const QByteArray stream = workbookStreamOf(*out);
        BiffStream records(stream);
        BiffRecord r;
        QList<quint16> types;
        while (records.next(r))
            types << r.type;
        const qsizetype at = types.indexOf(quint16(0x04BC));
        QVERIFY(at > 0);
        QCOMPARE(types[at - 1], quint16(0x0006));
    }

private:
    QTemporaryDir m_dir;
    bool m_haveTool = false;
    QByteArray m_template;
};

QTEST_GUILESS_MAIN(TestXlsWriter)
#include "tst_xls_writer.moc"
