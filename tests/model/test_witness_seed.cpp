#include "PositionChiSquare.h"
#include "fakes/CountingSeeds.h"
#include "model/ListFingerprint.h"
#include "model/SlowStop.h"
#include "model/WitnessSeed.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace pelorin;

class WitnessSeedTest : public QObject
{
    Q_OBJECT

private slots:
    // The values Python's hashlib gives for the same bytes (the README's construction).
    void seedFollowsFromSecretTextAndList()
    {
        ShuffleSeed secret;
        for (std::size_t i = 0; i < secret.bytes.size(); ++i)
            secret.bytes[i] = static_cast<std::uint8_t>(i);
        const QString emptyList = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
        QCOMPARE(witness::commitmentOf(secret), "630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd");
        const std::optional<ShuffleSeed> seed = witness::seedOf(secret, "3 5 1 6 2 4 ６", emptyList);
        QVERIFY(seed);
        QCOMPARE(seed->hex(), "26afe0163afbf6c872e34afa3822d4f0ce282006920a6fe9d22497463f71035c");
        // Another text, another seed; a fingerprint in another spelling is no fingerprint.
        QVERIFY(witness::seedOf(secret, "3 5 1 6 2 5 ６", emptyList) != seed);
        QVERIFY(!witness::seedOf(secret, "351624", emptyList.toUpper()));
        QCOMPARE(witness::digitCount("3 5 1 6 2 4 ６"), 7);
        QCOMPARE(witness::grouped(emptyList).count(' '), 15);
        QCOMPARE(witness::grouped(emptyList, 4).split('\n').size(), 4);
    }

    // The README's recomputation, Python's standard library alone, draws the same names as the program.
    void recomputationAgrees_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("draws");
        QTest::newRow("duplicates and empty names") << QStringList { "甲", "", "乙", "甲", "", "丙", "甲" } << 7;
        QTest::newRow("one name") << QStringList { "独一" } << 1;
        QStringList largest;
        for (int i = 0; i < 32767; ++i)
            largest << QString("企业%1").arg(i % 30000);
        QTest::newRow("32767 names") << largest << 2;
    }
    void recomputationAgrees()
    {
        QFETCH(QStringList, names);
        QFETCH(int, draws);
        ShuffleSeed secret;
        secret.bytes.fill(7);
        const QString text = "6 2 5 1 3 3";
        const std::optional<ShuffleSeed> seed = witness::seedOf(secret, text, listFingerprint(names));
        QVERIFY(seed);
        const int substitutes = names.size() > draws ? 1 : 0;
        const QStringList drawn = witness::drawnNames(names, *seed, draws, substitutes);
        QCOMPARE(drawn.size(), draws + substitutes);

#ifdef Q_OS_WIN
        QSKIP("the recomputation runs the system's python3, which the Windows build of the tests has not");
#endif
        // The script exactly as the README prints it.
        QFile readme(PELORIN_SOURCE_DIR "/README.md");
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString readmeText = QString::fromUtf8(readme.readAll());
        const qsizetype from = readmeText.indexOf("```python\n# 见证摇号, recomputed");
        QVERIFY(from > 0);
        const QString script = readmeText.mid(from + 10, readmeText.indexOf("```", from + 10) - from - 10);
        QProcess python;
        python.start("/usr/bin/python3",
                     { "-c", script, secret.hex(), QString::number(draws), QString::number(substitutes) });
        QVERIFY(python.waitForStarted());
        python.write((QStringList { text } + names).join('\n').toUtf8() + '\n');
        python.closeWriteChannel();
        QVERIFY(python.waitForFinished(120000));
        QCOMPARE(python.exitCode(), 0);
        QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.takeFirst(), "承诺值 " + witness::commitmentOf(secret));
        QStringList recomputed;
        for (const QString& line : lines)
            recomputed << line.section(' ', 1);
        QCOMPARE(recomputed, drawn);
        QCOMPARE(lines.last().section(' ', 0, 0), substitutes ? "替补" : "摇出");
    }

    // Over many seeds every name is drawn first, second ... equally often.
    void picksAreUniform()
    {
        int run = 0;
        const double chi = test::positionChiSquare(5, 20000, [&run](const QStringList& items) {
            return witness::drawnNames(items, test::numberedSeed(run++), 5);
        });
        QVERIFY2(chi < 45.3, qPrintable(QString::number(chi))); // 20 degrees of freedom, p = 0.001
    }

    // The run-out only shows a sector chosen before: it rests in that sector's middle, a lap or more on.
    void runOutRestsOnTheChosenSector()
    {
        for (const int count : { 1, 7, 360, 32767 }) {
            for (const int press : { 15, 180, 360 }) {
                for (const int sector : { 1, (count + 1) / 2, count }) {
                    SlowStop stop;
                    stop.beginTo(press, 20, count, sector);
                    const std::int64_t lap = 360LL * count;
                    QVERIFY(stop.turnSteps() >= lap && stop.turnSteps() < 2 * lap);
                    while (!stop.step()) { }
                    QCOMPARE(stop.sector(), sector);
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(WitnessSeedTest)
#include "test_witness_seed.moc"
