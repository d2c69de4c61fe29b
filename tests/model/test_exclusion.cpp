#include "lists/HistoryExclusion.h"
#include "lists/ListFixture.h"
#include "model/Exclusion.h"
#include "model/LiteralExclusion.h"

#include <QRandomGenerator>
#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

namespace {

const QString noCandidates = u"还没有导入摇号对象名单（上面列表框内没有名单）。"_qs;
const QString noHistory = u"还没有导入历史摇出对象名单。"_qs;

QStringList randomNames(QRandomGenerator& random, int count, int distinct)
{
    static const QStringList pool { u"张三"_qs, u"李四"_qs, u"王五"_qs, u"a"_qs,    u"A"_qs,    u"a "_qs,
                                    QString(),  u"赵六"_qs, u"孙七"_qs, u"周八"_qs, u"吴九"_qs, u"郑十"_qs };
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(pool.at(random.bounded(std::min(distinct, static_cast<int>(pool.size())))));
    return names;
}

} // namespace

class TestExclusion : public QObject
{
    Q_OBJECT

private slots:
    void removesFirstEqualCandidates_data();
    void removesFirstEqualCandidates();
    void agreesWithTheScan();
    void commandRewritesTheCounter_data();
    void commandRewritesTheCounter();
    void emptyListsAreReported_data();
    void emptyListsAreReported();
    void lookAlikesStayAndAreNamed();
};

void TestExclusion::removesFirstEqualCandidates_data()
{
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QStringList>("kept");

    QTest::newRow("first copy goes") << QStringList { u"张三"_qs, u"李四"_qs, u"张三"_qs } << QStringList { u"张三"_qs }
                                     << QStringList { u"李四"_qs, u"张三"_qs };
    QTest::newRow("twice in history takes two")
        << QStringList { u"张三"_qs, u"李四"_qs, u"张三"_qs } << QStringList { u"张三"_qs, u"张三"_qs, u"张三"_qs }
        << QStringList { u"李四"_qs };
    QTest::newRow("trailing space differs")
        << QStringList { u"张三 "_qs } << QStringList { u"张三"_qs } << QStringList { u"张三 "_qs };
    QTest::newRow("letter case differs") << QStringList { u"Acme"_qs, u"acme"_qs }
                                         << QStringList { u"ACME"_qs, u"acme"_qs } << QStringList { u"Acme"_qs };
    QTest::newRow("full-width differs") << QStringList { u"Ａ"_qs } << QStringList { u"A"_qs }
                                        << QStringList { u"Ａ"_qs };
    QTest::newRow("empty names match") << QStringList { QString(), u"甲"_qs, QString() } << QStringList { QString() }
                                       << QStringList { u"甲"_qs, QString() };
}

void TestExclusion::removesFirstEqualCandidates()
{
    QFETCH(QStringList, candidates);
    QFETCH(QStringList, history);
    QFETCH(QStringList, kept);

    QCOMPARE(excludeHistory(candidates, history), kept);
    QCOMPARE(excludeHistoryByScan(candidates, history), kept);
}

void TestExclusion::agreesWithTheScan()
{
    QRandomGenerator random(20240305);
    for (int round = 0; round < 5000; ++round) {
        const int distinct = 1 + random.bounded(12);
        const QStringList candidates = randomNames(random, random.bounded(40), distinct);
        const QStringList history = randomNames(random, random.bounded(40), distinct);
        const QStringList expected = excludeHistoryByScan(candidates, history);
        const QStringList kept = excludeHistory(candidates, history);
        if (kept != expected)
            QFAIL(qPrintable(
                u"round %1: candidates %2, history %3"_qs.arg(round).arg(candidates.join(u'|'), history.join(u'|'))));
    }
}

void TestExclusion::commandRewritesTheCounter_data()
{
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QString>("counter");

    QTest::newRow("one removed") << QStringList { u"张三"_qs } << QStringList { u"李四"_qs, u"张三"_qs } << u"2"_qs;
    QTest::newRow("nothing removed") << QStringList { u"王五"_qs } << QStringList { u"张三"_qs, u"李四"_qs, u"张三"_qs }
                                     << u"3"_qs;
}

void TestExclusion::commandRewritesTheCounter()
{
    QFETCH(QStringList, history);
    QFETCH(QStringList, kept);
    QFETCH(QString, counter);

    ListFixture f;
    ListFixture::Page& page = f.page(3);
    fill(page.candidates, { u"张三"_qs, u"李四"_qs, u"张三"_qs });
    fill(page.history, history);
    fill(page.results, { u"张三"_qs });
    HistoryExclusion(f.context).removeDrawnNames(3);

    QCOMPARE(page.candidates.items(), kept);
    QCOMPARE(page.candidateCounter.text(), counter);
    QCOMPARE(page.history.items(), history);
    QCOMPARE(page.results.items(), QStringList { u"张三"_qs });
    QVERIFY(f.messageBox.shown.isEmpty());
}

void TestExclusion::emptyListsAreReported_data()
{
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QString>("message");

    QTest::newRow("both empty") << QStringList() << QStringList() << noCandidates;
    QTest::newRow("no candidates") << QStringList() << QStringList { u"甲"_qs } << noCandidates;
    QTest::newRow("no history") << QStringList { u"甲"_qs } << QStringList() << noHistory;
}

void TestExclusion::emptyListsAreReported()
{
    QFETCH(QStringList, candidates);
    QFETCH(QStringList, history);
    QFETCH(QString, message);

    ListFixture f;
    fill(f.page(0).candidates, candidates);
    fill(f.page(0).history, history);
    HistoryExclusion(f.context).removeDrawnNames(0);

    QCOMPARE(f.messageBox.texts(), QStringList { message });
    QCOMPARE(f.messageBox.shown.first().title, u"Pelorinv1.0_PC版"_qs);
    QCOMPARE(f.messageBox.shown.first().icon, IMessageBox::Icon::Information);
    QCOMPARE(f.page(0).candidates.items(), candidates);
    QCOMPARE(f.page(0).candidateCounter.text(), u"XXXX"_qs);
}

void TestExclusion::lookAlikesStayAndAreNamed()
{
    // A zero-width space in a candidate, a byte-order mark in a history name: neither is struck, both told.
    ListFixture f;
    const QString spaced = u"乙"_qs + QChar(0x200B) + u"公司"_qs;
    fill(f.page(3).candidates, { u"甲公司"_qs, spaced, u"丙公司"_qs });
    fill(f.page(3).history, { u"甲公司"_qs, u"乙公司"_qs, QChar(0xFEFF) + u"丙公司"_qs });
    HistoryExclusion(f.context).removeDrawnNames(3);
    QCOMPARE(f.page(3).candidates.items(), QStringList({ spaced, u"丙公司"_qs }));
    QCOMPARE(f.messageBox.texts().size(), 1);
    QVERIFY2(f.messageBox.texts().front().contains(u"乙<U+200B>公司\n丙公司\n"_qs),
             qPrintable(f.messageBox.texts().front()));
}

QTEST_GUILESS_MAIN(TestExclusion)
#include "test_exclusion.moc"
