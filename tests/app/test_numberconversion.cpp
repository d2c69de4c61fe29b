#include "app/NumberConversion.h"

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
        QTest::newRow("full-width digit") << QStringLiteral("３") << false << 0;
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
};

QTEST_GUILESS_MAIN(NumberConversionTest)
#include "test_numberconversion.moc"
