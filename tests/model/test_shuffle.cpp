#include "PositionChiSquare.h"
#include "fakes/ScriptedRandom.h"
#include "model/SeededStream.h"
#include "model/Shuffle.h"
#include "model/UniformPick.h"
#include "platform/SystemRandom.h"

#include <QTest>
#include <algorithm>
#include <numeric>
#include <vector>

using namespace pelorin;
using namespace pelorin::test;

class ShuffleTest : public QObject
{
    Q_OBJECT
private slots:
    void scriptedPicksGiveTheDocumentedOrders_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QList<int>>("picks");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two, pick 0 keeps") << QStringList { "A", "B" } << QList<int> { 0 } << QStringList { "A", "B" };
        QTest::newRow("two, pick 1 swaps") << QStringList { "A", "B" } << QList<int> { 1 } << QStringList { "B", "A" };
        QTest::newRow("three, 2 then 0") << QStringList { "A", "B", "C" } << QList<int> { 2, 0 }
                                         << QStringList { "C", "A", "B" };
        QTest::newRow("positions taken in ascending order")
            << QStringList { "A", "B", "C", "D", "E" } << QList<int> { 1, 1, 1, 1 }
            << QStringList { "B", "C", "D", "E", "A" };
        QTest::newRow("last picks") << QStringList { "A", "B", "C", "D" } << QList<int> { 3, 2, 1 }
                                    << QStringList { "D", "C", "B", "A" };
    }
    void scriptedPicksGiveTheDocumentedOrders()
    {
        QFETCH(QStringList, items);
        QFETCH(QList<int>, picks);
        QFETCH(QStringList, expected);
        ScriptedRandom random;
        for (int p : picks)
            random.picks.enqueue(p);
        QStringList list = items;
        QVERIFY(ShuffleList(list, random));
        QCOMPARE(list, expected);
        // Each pick ranges over all positions not yet placed.
        QCOMPARE(random.ranges.size(), items.size() - 1);
        for (int k = 0; k < random.ranges.size(); ++k)
            QCOMPARE(random.ranges[k], qMakePair(0, int(items.size()) - 1 - k));
    }

    void fewerThanTwoItemsAreLeftAlone()
    {
        ScriptedRandom random;
        QStringList list;
        QVERIFY(!ShuffleList(list, random));
        list.append(QStringLiteral("A"));
        QVERIFY(!ShuffleList(list, random));
        QCOMPARE(list, QStringList { "A" });
        QVERIFY(random.ranges.isEmpty());
    }

    void resultIsAPermutation()
    {
        SystemRandom random(7);
        const QStringList items = { "张三", "李四", "张三", "", "王_五", "李四", "张三" };
        QStringList list = items;
        for (int round = 0; round < 50; ++round) {
            QVERIFY(ShuffleList(list, random));
            QStringList a = list, b = items;
            std::sort(a.begin(), a.end());
            std::sort(b.begin(), b.end());
            QCOMPARE(a, b);
        }
    }

    void everyPositionIsEquallyLikely()
    {
        // Five items, a fixed seed, so the outcome is fixed.
        SystemRandom random(20241207);
        const double chi = positionChiSquare(
            5, 100000, [&random](const QStringList& items) { return shuffledItems(items, random); });
        // Each position's column is a multinomial over n items (n - 1 degrees of freedom), so the sum over
        // the n positions has n(n - 1) = 20: the 0.999 quantile of chi-square with 20 is 45.31.
        QVERIFY2(chi < 45.31, qPrintable(QString::number(chi)));
    }

    void picksAreNotRepeatedBetweenShuffles()
    {
        // A generator re-seeded from the clock gives the same order for shuffles within one tick.
        SystemRandom random;
        QStringList items;
        for (int i = 0; i < 20; ++i)
            items.append(QString::number(i));
        QSet<QString> orders;
        for (int r = 0; r < 20; ++r)
            orders.insert(shuffledItems(items, random).join(QLatin1Char(',')));
        QCOMPARE(orders.size(), 20);
    }

    void picksRejectTheWordsThatWouldBiasThem()
    {
        // For a range of 3, 2^32 mod 3 = 1 word (0) lands short and must be drawn again; for a range of
        // 2^31 + 1 nearly half the words do. Scripted words show the redraw and the mapping of the rest.
        auto from = [](std::vector<std::uint32_t> words) {
            return [words, i = std::size_t(0)]() mutable { return words.at(i++); };
        };
        QCOMPARE(uniformBelow(3, from({ 0u, 0xFFFFFFFFu })), 2u);
        QCOMPARE(uniformBelow(3, from({ 0x55555556u })), 1u);
        QCOMPARE(uniformBelow(1, from({ 0u })), 0u);
        const std::uint32_t big = 0x80000001u;
        QCOMPARE(uniformBelow(big, from({ 2u, 0x7FFFFFFEu, 0xFFFFFFFFu })), big - 1);
        QCOMPARE(uniformBelow(big, from({ 1u })), 0u);

        SystemRandom random;
        for (int i = 0; i < 1000; ++i) {
            const int v = random.between(-2, 2);
            QVERIFY(v >= -2 && v <= 2);
        }
        QCOMPARE(random.between(5, 5), 5);
    }

    void quickPlacesAreThePlacesOfTheDefinition()
    {
        // The r-th of the positions not yet placed, in ascending order, taken out of a plain array: every
        // size around the words and groups the quick way counts in, the largest list, and one past it.
        ShuffleSeed seed;
        seed.bytes.fill(0x5A);
        for (const int n : { 2, 3, 63, 64, 65, 1023, 1024, 1025, 4097, 32767, 32768, 33000 }) {
            SeededStream stream(seed);
            const std::vector<int> quick = shuffledOrder(n, stream);
            SeededStream again(seed);
            std::vector<int> remaining(static_cast<std::size_t>(n));
            std::iota(remaining.begin(), remaining.end(), 0);
            std::vector<int> plain;
            for (int upper = n - 1; upper != 0; --upper) {
                const auto r = static_cast<std::size_t>(again.between(0, upper));
                plain.push_back(remaining[r]);
                remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(r));
            }
            plain.push_back(remaining.front());
            QVERIFY2(quick == plain, qPrintable(QString::number(n)));
        }
    }

    void largestListStaysAPermutation()
    {
        SystemRandom random(1);
        QStringList items;
        for (int i = 0; i < 32767; ++i)
            items.append(QString::number(i));
        const QStringList out = shuffledItems(items, random);
        QCOMPARE(out.size(), items.size());
        QSet<QString> distinct(out.cbegin(), out.cend());
        QCOMPARE(distinct.size(), items.size());
    }
};

QTEST_GUILESS_MAIN(ShuffleTest)
#include "test_shuffle.moc"
