#include "../SheetCellsCheck.h"
#include "XlsTestSupport.h"

#include "workbook/SheetCells.h"
#include "workbook/xls/CompoundFile.h"
#include "workbook/xls/XlsReader.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace pelorin::workbook;
using namespace xlstest;

namespace {

QByteArray cell(quint16 type, quint16 row, quint16 col, const QByteArray& rest, quint16 xf = 0)
{
    return record(type, u16(row) + u16(col) + u16(xf) + rest);
}

QByteArray number(double v)
{
    QByteArray b(8, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// A FORMULA record with a cached result that is not a number: kind 0 string, 1 boolean, 2 error, 3 empty.
QByteArray formula(quint16 row, quint16 col, quint8 kind, quint8 value)
{
    QByteArray result(8, '\0');
    result[0] = char(kind);
    result[2] = char(value);
    result[6] = result[7] = '\xFF';
    // Result, flags, reserved, then a formula of one token (integer 1).
    return cell(0x0006, row, col, result + u16(0) + u32(0) + u16(3) + QByteArray("\x1E\x01\x00", 3));
}

QByteArray sst(const QList<QByteArray>& parts)
{
    QByteArray out = record(0x00FC, parts.first());
    for (qsizetype i = 1; i < parts.size(); ++i)
        out += record(0x003C, parts[i]);
    return out;
}

QString cellsText(const WorkbookData& data)
{
    QStringList parts;
    for (const auto& [key, text] : data.sheets.at(0).cells)
        parts << QStringLiteral("%1,%2=%3").arg(key.first).arg(key.second).arg(text);
    return parts.join(u'|');
}

// The first sheet read for the import, its cells shown one by one, must agree with the whole read.
QString lazyDifference(const QByteArray& bytes)
{
    const auto whole = readXls(bytes, true);
    const auto first = readXlsFirstSheet(bytes);
    if (!whole || !first)
        return QStringLiteral("not read");
    if ((*first)->name != whole->sheets[0].name || (*first)->columnWidths != whole->sheets[0].columnWidths)
        return QStringLiteral("name or widths differ");
    return sheetcheck::differenceFromFullRead(**first, whole->sheets[0].cells);
}

quint32 le32(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}
void set32(QByteArray& b, qsizetype at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

// The same compound file with the sectors of its Workbook stream laid out backwards, so that no two of them
// follow one another and records cross from sector to sector everywhere. Empty when the stream is in the mini
// stream.
QByteArray scattered(const QByteArray& file)
{
    const qsizetype unit = 512;
    const auto sectorAt = [&](quint32 id) { return (qsizetype(id) + 1) * unit; };
    std::vector<quint32> fat;
    for (int i = 0; i < 109 && i < int(le32(file, 0x2C)); ++i) {
        for (qsizetype at = 0; at < unit; at += 4)
            fat.push_back(le32(file, sectorAt(le32(file, 0x4C + 4 * i)) + at));
    }
    qsizetype entry = sectorAt(le32(file, 0x30));
    while (QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + entry), 8)
           != QStringLiteral("Workbook"))
        entry += 128;
    if (le32(file, entry + 0x78) < 4096)
        return {};
    std::vector<quint32> chain;
    for (quint32 id = le32(file, entry + 0x74); id < 0xFFFFFFFA; id = fat[id])
        chain.push_back(id);
    QByteArray out = file;
    const std::size_t n = chain.size();
    // Logical sector i moves to where sector n - 1 - i was; the chain runs through the old places backwards.
    for (std::size_t i = 0; i < n; ++i)
        out.replace(sectorAt(chain[n - 1 - i]), unit, file.mid(sectorAt(chain[i]), unit));
    for (std::size_t i = 0; i < n; ++i)
        fat[chain[n - 1 - i]] = i + 1 < n ? chain[n - 2 - i] : 0xFFFFFFFE;
    set32(out, entry + 0x74, chain[n - 1]);
    for (int i = 0; i < 109 && i < int(le32(file, 0x2C)); ++i) {
        for (qsizetype at = 0; at < unit; at += 4)
            set32(out, sectorAt(le32(file, 0x4C + 4 * i)) + at, fat[std::size_t(i * unit / 4 + at / 4)]);
    }
    return out;
}

} // namespace

class TestXlsReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_haveTool = toolAvailable();
        if (m_haveTool)
            QVERIFY(runTool({ QStringLiteral("fixtures"), m_dir.path() }).has_value());
    }

    void matchesXlrd_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("names, numbers, booleans, dates, widths, two sheets") << QStringLiteral("basic.xls");
        QTest::newRow("1904 date system") << QStringLiteral("date1904.xls");
        QTest::newRow("3000 long strings across CONTINUE records") << QStringLiteral("sst_long.xls");
        QTest::newRow("formulas without cached values") << QStringLiteral("formulas.xls");
        QTest::newRow("blank cells, merged cells, three sheets") << QStringLiteral("template.xls");
    }

    void matchesXlrd()
    {
        if (!m_haveTool)
            QSKIP("python3 with xlrd and xlwt is not installed");
        QFETCH(QString, file);
        const QString path = m_dir.filePath(file);
        const auto ours = readXls(readFile(path), false);
        QVERIFY2(ours.ok(), qPrintable(ours.error()));
        const auto theirs = xlrdDump(path);
        QVERIFY(theirs.has_value());
        QCOMPARE(QJsonDocument(toJson(*ours)).toJson(), QJsonDocument(*theirs).toJson());

        const auto first = readXls(readFile(path), true);
        QVERIFY(first.ok());
        QCOMPARE(first->sheets.size(), std::size_t(1));
        QCOMPARE(first->sheets[0].cells, ours->sheets[0].cells);
        const QString difference = lazyDifference(readFile(path));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // Records xlwt never writes, built by hand; each workbook is small enough to live in the mini stream.
    void handBuilt_data()
    {
        QTest::addColumn<QByteArray>("globals");
        QTest::addColumn<QByteArray>("cells");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("xlrdReadsIt");

        const QByteArray stringResult = formula(0, 0, 0, 0) + record(0x0207, unicodeString(QStringLiteral("缓存结果")));
        QTest::newRow("formula with a cached string")
            << QByteArray() << stringResult << QStringLiteral("0,0=缓存结果") << true;
        QTest::newRow("shared formula between FORMULA and STRING") << QByteArray()
                                                                   << formula(1, 1, 0, 0)
                + record(0x04BC, QByteArray(10, '\0')) + record(0x0207, unicodeString(QStringLiteral("shared")))
                                                                   << QStringLiteral("1,1=shared") << true;
        QTest::newRow("cached boolean, error, empty string, number")
            << QByteArray()
            << formula(0, 0, 1, 1) + formula(1, 0, 2, 0x07) + formula(2, 0, 3, 0)
                + cell(0x0006, 3, 0, number(2.5) + u16(0) + u32(0) + u16(0))
            << QStringLiteral("0,0=TRUE|1,0=#DIV/0!|3,0=2.5") << true;
        // The cached string goes on in a CONTINUE record whose flags byte switches to two bytes a character.
        QTest::newRow("cached string continued with wider characters")
            << QByteArray()
            << formula(0, 1, 0, 0) + record(0x0207, u16(5) + QByteArray("\0abc", 4))
                + record(0x003C, QByteArray("\1", 1) + u16(0x540D) + u16(0x5B57))
            << QStringLiteral("0,1=abc名字") << true;
        QTest::newRow("RK numbers: integers, hundredths, doubles")
            << QByteArray()
            << record(0x00BD,
                      u16(4) + u16(1) + u16(0) + u32((12u << 2) | 2) + u16(0) + u32((1234u << 2) | 3) + u16(0)
                          + u32(0x3FF80000) + u16(0) + u32(quint32(-7 * 4) | 2) + u16(4))
                + cell(0x027E, 5, 0, u32(0x3FF00001))
            << QStringLiteral("4,1=12|4,2=12.34|4,3=1.5|4,4=-7|5,0=0.01") << true;
        QTest::newRow("booleans and errors")
            << QByteArray()
            << cell(0x0205, 0, 0, QByteArray("\0\0", 2)) + cell(0x0205, 0, 1, QByteArray("\x2A\1", 2))
                + cell(0x0205, 0, 2, QByteArray("\x17\1", 2)) + cell(0x0205, 0, 3, QByteArray("\1\0", 2))
            << QStringLiteral("0,0=FALSE|0,1=#N/A|0,2=#REF!|0,3=TRUE") << true;
        QTest::newRow("LABEL records") << QByteArray()
                                       << cell(0x0204, 2, 1, unicodeString(QStringLiteral(" 前后 ")))
                + cell(0x0204, 3, 1, unicodeString(QStringLiteral("plain")))
                                       << QStringLiteral("2,1= 前后 |3,1=plain") << true;

        // SST: a string cut by a CONTINUE record, first half one byte a character, then two; a rich string with
        // phonetic data; a header that ends its record so the characters start in the next one.
        const QByteArray first = u32(4) + u32(4) + u16(6) + QByteArray("\0abc", 4);
        const QByteArray second = QByteArray("\1", 1) + u16(0x4E2D) + u16(0x6587) + u16(0x5B57) + u16(2)
            + QByteArray("\x0C", 1) + u16(1) + u32(6) + QByteArray("xy", 2) + u32(0) + QByteArray(6, '\x55') + u16(3)
            + QByteArray("\1", 1);
        const QByteArray third = QByteArray("\0ok!", 4) + u16(1) + QByteArray("\0z", 2);
        QTest::newRow("shared strings across CONTINUE records")
            << sst({ first, second, third })
            << cell(0x00FD, 0, 0, u32(0)) + cell(0x00FD, 1, 0, u32(1)) + cell(0x00FD, 2, 0, u32(2))
                + cell(0x00FD, 3, 0, u32(3))
            << QStringLiteral("0,0=abc中文字|1,0=xy|2,0=ok!|3,0=z") << true;
        QTest::newRow("declared string count far above the real one, index past the table")
            << record(0x00FC, u32(1) + u32(0xFFFFFFFF) + unicodeString(QStringLiteral("only")))
            << cell(0x00FD, 0, 0, u32(0)) + cell(0x00FD, 1, 0, u32(99)) << QStringLiteral("0,0=only") << false;
        // Cells out of order, and places written twice: the later record counts, an empty one included.
        QTest::newRow("later records of a place replace earlier ones, empty ones too")
            << QByteArray()
            << cell(0x0204, 3, 1, unicodeString(QStringLiteral("late"))) + cell(0x0203, 1, 1, number(1.5))
                + cell(0x0204, 1, 1, unicodeString(QStringLiteral("second"))) + cell(0x0203, 2, 1, number(2))
                + cell(0x0204, 2, 1, unicodeString(QString())) + formula(0, 1, 0, 0)
                + record(0x0207, unicodeString(QStringLiteral("x"))) + formula(0, 1, 3, 0)
                + cell(0x0204, 0, 2, unicodeString(QStringLiteral("kept"))) + formula(0, 2, 0, 0)
            << QStringLiteral("0,2=kept|1,1=second|3,1=late") << false;
        QTest::newRow("LABEL shorter than its length is passed over")
            << QByteArray()
            << cell(0x0204, 0, 0, u16(5) + QByteArray("\0ab", 3)) + cell(0x0204, 1, 0, u16(2) + QByteArray("\1a", 2))
                + cell(0x0204, 2, 0, u16(0) + QByteArray("\0", 1))
            << QString() << false;
        QTest::newRow("chart block inside the sheet is passed over")
            << QByteArray()
            << cell(0x0204, 0, 0, unicodeString(QStringLiteral("a"))) + bof(0x0020) + record(0x000A, {})
                + cell(0x0204, 1, 0, unicodeString(QStringLiteral("b")))
            << QStringLiteral("0,0=a|1,0=b") << true;
    }

    void handBuilt()
    {
        QFETCH(QByteArray, globals);
        QFETCH(QByteArray, cells);
        QFETCH(QString, expected);
        QFETCH(bool, xlrdReadsIt);
        const QByteArray file = container(workbookStream(globals, cells));
        const auto data = readXls(file, true);
        QVERIFY2(data.ok(), qPrintable(data.error()));
        QCOMPARE(cellsText(*data), expected);
        const QString difference = lazyDifference(file);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));

        if (!m_haveTool || !xlrdReadsIt)
            return;
        const QString path = m_dir.filePath(QStringLiteral("hand.xls"));
        QVERIFY(writeFile(path, file));
        const auto theirs = xlrdDump(path);
        QVERIFY(theirs.has_value());
        QCOMPARE(QJsonDocument(toJson(*data)).toJson(), QJsonDocument(*theirs).toJson());
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fragment");

        const QByteArray cells = record(0x0204, u16(0) + u16(0) + u16(0) + unicodeString(QStringLiteral("x")));
        const QByteArray good = container(workbookStream({}, cells));
        // A stream of 5000 bytes lives in ordinary sectors; its chain starts where its directory entry says.
        const QByteArray bigStream = workbookStream({}, cells) + QByteArray(5000, '\0');
        const QByteArray big = container(bigStream);
        const quint32 dirStart = le32(big, 0x30);
        const qsizetype entry1 = (qsizetype(dirStart) + 1) * 512 + 128;
        const quint32 start = le32(big, entry1 + 0x74);
        const auto fatEntry = [](quint32 sector) { return 512 + 4 * qsizetype(sector); };

        QTest::newRow("empty") << QByteArray() << QStringLiteral("文件头");
        QTest::newRow("not a compound file") << QByteArray(1024, 'x') << QStringLiteral("文件头");
        QTest::newRow("header only") << good.left(512) << QStringLiteral("损坏");
        QTest::newRow("truncated in the middle") << big.left(big.size() / 2) << QStringLiteral("损坏");

        QByteArray loop = big;
        set32(loop, fatEntry(start + 1), start);
        QTest::newRow("sector chain loops back") << loop << QStringLiteral("循环");
        QByteArray outside = big;
        set32(outside, fatEntry(start), 0x00FFFFFF);
        QTest::newRow("sector number past the end") << outside << QStringLiteral("超出");
        QByteArray dirLoop = big;
        set32(dirLoop, fatEntry(dirStart), dirStart);
        QTest::newRow("directory chain loops") << dirLoop << QStringLiteral("循环");
        QByteArray hugeSize = big;
        set32(hugeSize, entry1 + 0x78, 0x7FFFFFFF);
        QTest::newRow("stream longer than the file") << hugeSize << QStringLiteral("损坏");
        QByteArray badFat = big;
        set32(badFat, 0x4C, 0x10000000);
        QTest::newRow("allocation table sector out of range") << badFat << QStringLiteral("超出");

        // A chain of allocation-table lists whose one sector names itself as the next.
        QByteArray difat = big;
        set32(difat, 0x2C, 100000);
        set32(difat, 0x44, start);
        set32(difat, (qsizetype(start) + 1) * 512 + 508, start);
        QTest::newRow("allocation list chain loops") << difat << QStringLiteral("循环");

        QByteArray miniLoop = good;
        const quint32 miniFatSector = le32(good, 0x3C);
        const quint32 miniStart = le32(good, (qsizetype(le32(good, 0x30)) + 1) * 512 + 128 + 0x74);
        set32(miniLoop, (qsizetype(miniFatSector) + 1) * 512 + 4 * (qsizetype(miniStart) + 1), miniStart);
        QTest::newRow("mini stream chain loops") << miniLoop << QStringLiteral("循环");

        QTest::newRow("encrypted") << container(workbookStream(record(0x002F, QByteArray(54, '\1')), cells))
                                   << QStringLiteral("密码");
        QByteArray biff5 = bof(0x0005, 0x0500) + record(0x000A, {});
        QTest::newRow("BIFF5 version in the BOF") << container(biff5) << QStringLiteral("Excel 95");
        QTest::newRow("BIFF5 Book stream")
            << *CompoundFile::withStream(QStringLiteral("Book"), biff5).serialize() << QStringLiteral("Excel 95");
        QTest::newRow("no workbook stream")
            << *CompoundFile::withStream(QStringLiteral("Other"), biff5).serialize() << QStringLiteral("97-2003");
        QTest::newRow("globals cut before their end")
            << container(bof(0x0005) + record(0x0042, u16(1200))) << QStringLiteral("记录不完整");
        QTest::newRow("sheet position past the stream") << container(
            bof(0x0005) + record(0x0085, u32(99999) + u16(0) + QByteArray("\1\0S", 3)) + record(0x000A, {}))
                                                        << QStringLiteral("位置不正确");
        QTest::newRow("record longer than the stream")
            << container(bof(0x0005) + u16(0x0042) + u16(500)) << QStringLiteral("记录不完整");
    }

    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fragment);
        const auto data = readXls(bytes, false);
        QVERIFY(!data.ok());
        QVERIFY2(data.error().contains(fragment), qPrintable(data.error()));
    }

    // Sectors of the workbook stream read where they lie: scattered all over the file, so that records and
    // strings cross from one to the next everywhere, they read as when they follow one another.
    void scatteredSectorsReadAlike()
    {
        if (!m_haveTool)
            QSKIP("python3 with xlrd and xlwt is not installed");
        for (const char* name : { "basic.xls", "sst_long.xls", "template.xls" }) {
            const QByteArray file = readFile(m_dir.filePath(QString::fromLatin1(name)));
            const QByteArray moved = scattered(file);
            QVERIFY2(!moved.isEmpty() && moved != file, name);
            const auto before = readXls(file, false);
            const auto after = readXls(moved, false);
            QVERIFY2(before.ok() && after.ok(), name);
            QCOMPARE(QJsonDocument(toJson(*after)).toJson(), QJsonDocument(toJson(*before)).toJson());
            const QString difference = lazyDifference(moved);
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
        }
    }

    // Every prefix of a real workbook either reads or fails with a text; none may crash or hang.
    void everyTruncationFailsCleanly()
    {
        if (!m_haveTool)
            QSKIP("python3 with xlrd and xlwt is not installed");
        const QByteArray whole = readFile(m_dir.filePath(QStringLiteral("basic.xls")));
        for (qsizetype size = 0; size < whole.size(); size += 97) {
            const auto data = readXls(whole.left(size), false);
            QVERIFY(data.ok() || !data.error().isEmpty());
        }
    }

private:
    QTemporaryDir m_dir;
    bool m_haveTool = false;
};

QTEST_GUILESS_MAIN(TestXlsReader)
#include "tst_xls_reader.moc"
