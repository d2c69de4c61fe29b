#include "draw/DrawText.h"
#include "model/WheelGeometry.h"

#include <QTest>

using namespace pelorin;

namespace {

// The sector scan as the tick describes it: every sector tested, bounds as double quotients.
int scannedSector(int angle, int count)
{
    int found = 0;
    for (int i = 1; i <= count; ++i) {
        if (360.0 * i / count <= angle && angle < 360.0 * (i + 1) / count)
            found = i;
    }
    return found;
}

} // namespace

class WheelRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void sectorMatchesTheScan()
    {
        for (int count = 0; count <= 400; ++count) {
            for (int angle = 0; angle <= 380; ++angle) {
                if (wheel::sectorAt(angle, count) != scannedSector(angle, count))
                    QFAIL(qPrintable(QStringLiteral("N=%1 angle=%2: %3 instead of %4")
                                         .arg(count)
                                         .arg(angle)
                                         .arg(wheel::sectorAt(angle, count))
                                         .arg(scannedSector(angle, count))));
            }
        }
    }

    void sectorOfLargeWheels()
    {
        // Where 360 has no common factor with N the bounds are never whole; N = 32767 is the largest list.
        for (int count : { 7001, 32749, 32767 }) {
            for (int angle = 0; angle <= 720; ++angle)
                QCOMPARE(wheel::sectorAt(angle, count), scannedSector(angle, count));
        }
        QCOMPARE(wheel::sectorAt(-10, 12), 0);
    }

    void zeroPad_data()
    {
        QTest::addColumn<int>("i");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one digit") << 3 << 9 << QStringLiteral("3");
        QTest::newRow("two digits") << 1 << 12 << QStringLiteral("01");
        QTest::newRow("full width") << 12 << 12 << QStringLiteral("12");
        QTest::newRow("120") << 7 << 120 << QStringLiteral("007");
        QTest::newRow("largest list") << 5 << 32767 << QStringLiteral("00005");
    }
    void zeroPad()
    {
        QFETCH(int, i);
        QFETCH(int, count);
        QFETCH(QString, expected);
        QCOMPARE(pelorin::zeroPad(i, count), expected);
    }

    void rollSpeed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // 0: refused
        QTest::newRow("15") << QStringLiteral("15") << 15;
        QTest::newRow("spaces") << QStringLiteral(" 20 ") << 20;
        QTest::newRow("lowest") << QStringLiteral("1") << 1;
        QTest::newRow("highest") << QStringLiteral("360") << 360;
        QTest::newRow("whole with point") << QStringLiteral("10.0") << 10;
        QTest::newRow("zero") << QStringLiteral("0") << 0;
        QTest::newRow("negative") << QStringLiteral("-15") << 0;
        QTest::newRow("above a lap") << QStringLiteral("361") << 0;
        QTest::newRow("fraction") << QStringLiteral("12.5") << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("text") << QStringLiteral("快") << 0;
        QTest::newRow("beyond 16 bits") << QStringLiteral("70000") << 0;
        QTest::newRow("full-width") << QStringLiteral("２０") << 20;
        QTest::newRow("full-width fraction") << QStringLiteral("１２．５") << 0;
    }
    void rollSpeed()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const std::optional<std::int16_t> speed = rollSpeedFrom(text);
        QCOMPARE(speed.value_or(0), expected);
    }

    void escapement_data()
    {
        QTest::addColumn<int>("i");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("expected");
        QTest::newRow("quarter of 4") << 1 << 4 << -900;
        QTest::newRow("12 sectors") << 5 << 12 << -1500;
        QTest::newRow("third") << 1 << 7 << -514; // -514.28...
        QTest::newRow("half to even, down") << 1 << 7200 << 0; // -0.5
        QTest::newRow("half to even, up") << 3 << 7200 << -2; // -1.5
        QTest::newRow("full turn") << 120 << 120 << -3600;
    }
    void escapement()
    {
        QFETCH(int, i);
        QFETCH(int, count);
        QFETCH(int, expected);
        QCOMPARE(wheel::numberEscapement(i, count), expected);
    }

    void pointsUse314()
    {
        const wheel::Geometry g { 3500.0f / 15.0f, 220.0f, 2500.0f };
        // With pi itself the rim point at 90 degrees would lie exactly below the centre.
        const QPointF rim = wheel::rimPoint(g, 90);
        QVERIFY(qAbs(rim.x() - (g.centreX + 2500.0 * std::cos(1.57) / 15.0)) < 1e-9);
        QVERIFY(rim.x() - g.centreX > 0.13);
        QVERIFY(qAbs(rim.y() - (220.0 + 2500.0 / 15.0)) < 0.01);
        const QPointF tip = wheel::tipPoint(g, 0);
        QCOMPARE(tip, QPointF(g.centreX + 2320.0 / 15.0, 220.0));
        QCOMPARE(wheel::spokeAngle(5, 12), 150.0);
    }
};

QTEST_GUILESS_MAIN(WheelRulesTest)
#include "test_wheel_rules.moc"
