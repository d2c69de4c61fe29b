#include "workbook/ColumnFit.h"

#include <QTest>

using namespace pelorin::workbook;

class TestColumnFit : public QObject
{
    Q_OBJECT

private slots:
    void displayWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("latin") << QStringLiteral("abc 12") << 6;
        QTest::newRow("CJK counts double") << QStringLiteral("重点企业") << 8;
        QTest::newRow("mixed") << QStringLiteral("A公司1") << 6;
        QTest::newRow("full-width forms") << QStringLiteral("ＡＢ（）") << 8;
        QTest::newRow("hangul and kana") << QStringLiteral("한글カナ") << 8;
        QTest::newRow("emoji is one wide character, not two halves") << QStringLiteral("😀") << 2;
        QTest::newRow("supplementary CJK") << QString::fromUcs4(U"\U00020000") << 2;
        QTest::newRow("longest line counts") << QStringLiteral("ab\r\n名名名\nx") << 6;
    }
    void displayWidth()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QCOMPARE(pelorin::workbook::displayWidth(text), width);
    }

    void fitsOnlyTheGivenColumns()
    {
        const std::map<CellKey, QString> cells { { { 0, 0 }, QStringLiteral("重点企业名单：") },
                                                 { { 0, 1 }, QStringLiteral("abc") },
                                                 { { 5, 1 }, QStringLiteral("abcdefgh") },
                                                 { { 1, 2 }, QStringLiteral("not fitted") },
                                                 { { 0, 3 }, QString(400, u'x') } };
        const auto widths = fitColumns(cells, { 0, 1, 3, 4 });
        QCOMPARE(widths.size(), size_t(3)); // column 4 has no text and keeps its width
        QCOMPARE(widths.at(0), 15.0);
        QCOMPARE(widths.at(1), 9.0);
        QCOMPARE(widths.at(3), 255.0);
    }
};

QTEST_GUILESS_MAIN(TestColumnFit)
#include "test_column_fit.moc"
