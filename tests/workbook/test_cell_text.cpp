#include "workbook/CellText.h"

#include <QTest>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

using namespace pelorin::workbook;

namespace {

// The number text as it was first written: the lowest precision from 1 to 15 whose %g form reads back as the
// value. The shortest round-trip form must give the same text for every value.
QString referenceText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == 0.0)
        return QStringLiteral("0");
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(static_cast<long long>(value));
    char buffer[40];
    for (int precision = 1; precision <= 15; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (std::strtod(buffer, nullptr) == value)
            break;
    }
    QString text = QString::fromLatin1(buffer);
    text.replace(QLatin1String("e"), QLatin1String("E"));
    return text;
}

// Compares both ways of writing value and -value; the first difference is reported.
bool sameText(double value, QString& report)
{
    for (const double v : { value, -value }) {
        const QString expected = referenceText(v);
        const QString actual = numberText(v);
        if (actual != expected) {
            report = QStringLiteral("%1: %2, expected %3").arg(v, 0, 'g', 17).arg(actual, expected);
            return false;
        }
    }
    return true;
}

} // namespace

class TestCellText : public QObject
{
    Q_OBJECT

private slots:
    void numberTextExamples_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 12.0 << "12";
        QTest::newRow("negative whole") << -3.0 << "-3";
        QTest::newRow("half") << 2.5 << "2.5";
        QTest::newRow("tenth") << 0.1 << "0.1";
        QTest::newRow("sum that is not 0.3") << 0.1 + 0.2 << "0.3";
        QTest::newRow("one third rounds to 15 digits") << 1.0 / 3 << "0.333333333333333";
        QTest::newRow("small stays fixed") << 0.0001 << "0.0001";
        QTest::newRow("smaller turns scientific") << 0.00001 << "1E-05";
        QTest::newRow("1e15 is no longer whole text") << 1e15 << "1E+15";
        QTest::newRow("16 digits round to 15") << 1234567890123456.0 << "1.23456789012346E+15";
        QTest::newRow("large") << 1.5e300 << "1.5E+300";
        QTest::newRow("smallest subnormal") << 5e-324 << "5E-324";
        QTest::newRow("date with time") << 45000.375 << "45000.375";
        QTest::newRow("infinity") << HUGE_VAL << "#NUM!";
        QTest::newRow("negative zero") << -0.0 << "0";
    }
    void numberTextExamples()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(numberText(value), text);
    }

    void numberTextAgreesWithTheSearchForAPrecision()
    {
        QString report;
        // Integers, halves and quarters, tenths and hundredths, and thirds that need all 17 digits.
        for (int k = 1; k <= 50000; ++k) {
            for (const double v : { double(k), k + 0.5, k + 0.25, k / 10.0, k / 100.0, k / 1000.0, k / 3.0, k * 1.1 })
                QVERIFY2(sameText(v, report), qPrintable(report));
        }
        // Every power of ten and its neighbours, around the switch between fixed and scientific.
        for (int e = -320; e <= 308; ++e) {
            const double p = std::pow(10.0, e);
            for (const double v : { p, std::nextafter(p, 0.0), std::nextafter(p, HUGE_VAL), 1.5 * p, 9.99 * p })
                QVERIFY2(sameText(v, report), qPrintable(report));
        }
        // Whole numbers from 1e15 on, where the whole-number form stops.
        for (double v = 1e15 - 5; v < 1e15 + 5; ++v)
            QVERIFY2(sameText(v, report), qPrintable(report));
        for (int k = -20; k <= 20; ++k)
            QVERIFY2(sameText(9007199254740992.0 + 2.0 * k, report), qPrintable(report));
        // Date serials with times of day, as dates that are not formatted show.
        for (int day = 1; day <= 60000; day += 37) {
            for (int minute = 0; minute < 24 * 60; minute += 97)
                QVERIFY2(sameText(day + minute / 1440.0, report), qPrintable(report));
        }
        // Any bit pattern at all, and decimals of a few digits at every scale.
        std::mt19937_64 random(20240305);
        for (int k = 0; k < 100000; ++k) {
            const quint64 bits = random();
            double v;
            std::memcpy(&v, &bits, sizeof v);
            QVERIFY2(sameText(v, report), qPrintable(report));
            const double decimal = double(random() % 100000) * std::pow(10.0, int(random() % 40) - 20);
            QVERIFY2(sameText(decimal, report), qPrintable(report));
        }
    }
};

QTEST_APPLESS_MAIN(TestCellText)
#include "test_cell_text.moc"
