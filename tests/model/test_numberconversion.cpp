#include "model/NumberConversion.h"

#include <QTest>

using namespace pelorin;

class NumberConversionTest : public QObject
{
    Q_OBJECT
private slots:
    void converts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << QStringLiteral("3") << true << 3;
        QTest::newRow("surrounding spaces") << QStringLiteral("  12 ") << true << 12;
        QTest::newRow("leading zero") << QStringLiteral("03") << true << 3;
        QTest::newRow("half rounds to even, down") << QStringLiteral("2.5") << true << 2;
        QTest::newRow("half rounds to even, up") << QStringLiteral("3.5") << true << 4;
        QTest::newRow("negative half") << QStringLiteral("-0.5") << true << 0;
        QTest::newRow("fraction below half") << QStringLiteral("32767.4") << true << 32767;
        QTest::newRow("lowest") << QStringLiteral("-32768") << true << -32768;
        QTest::newRow("plus sign") << QStringLiteral("+7") << true << 7;
        QTest::newRow("too large") << QStringLiteral("32768") << false << 0;
        QTest::newRow("rounds past the top") << QStringLiteral("32767.5") << false << 0;
        QTest::newRow("too small") << QStringLiteral("-32769") << false << 0;
        QTest::newRow("letters") << QStringLiteral("abc") << false << 0;
        QTest::newRow("empty") << QString() << false << 0;
        QTest::newRow("spaces only") << QStringLiteral("   ") << false << 0;
        QTest::newRow("inner space") << QStringLiteral("1 2") << false << 0;
        QTest::newRow("hex") << QStringLiteral("0x10") << false << 0;
        QTest::newRow("exponent") << QStringLiteral("1e3") << false << 0;
        QTest::newRow("infinity") << QStringLiteral("inf") << false << 0;
        QTest::newRow("two points") << QStringLiteral("1.2.3") << false << 0;
        QTest::newRow("point only") << QStringLiteral(".") << false << 0;
        QTest::newRow("full-width digit") << QStringLiteral("３") << true << 3;
        QTest::newRow("full-width with point, sign, space") << QStringLiteral("\u3000－１２．５") << true << -12;
        QTest::newRow("full-width mixed with plain") << QStringLiteral("1０") << true << 10;
    }
    void converts()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const auto result = toNumber(text);
        QCOMPARE(result.has_value(), valid);
        if (valid)
            QCOMPARE(int(*result), value);
    }

    // Only a well-formed number outside the range is out of range; anything else is no number at all.
    void outOfRange()
    {
        for (const char* text : { "32768", "-32769", "９９９９９", "99999999999999999999999999999999999999999999" })
            QVERIFY2(isOutOfRange(QString::fromUtf8(text)), text);
        for (const char* text : { "32767", "-32768", "", "abc", "1e9", "99 999" })
            QVERIFY2(!isOutOfRange(QString::fromUtf8(text)), text);
    }
};

QTEST_GUILESS_MAIN(NumberConversionTest)
#include "test_numberconversion.moc"
