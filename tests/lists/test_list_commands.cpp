#include "lists/ListCommands.h"
#include "lists/ListFixture.h"

#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

using Answer = IMessageBox::Answer;

namespace {

const QString withdrawQuestion = u"确定撤回已摇出结果到上面提供的名单列表？"_qs;
const QString clearQuestion = u"清空已摇出结果列表，其名单是否撤回到上面提供的名单列表？"_qs;

} // namespace

class TestListCommands : public QObject
{
    Q_OBJECT

private slots:
    void handBack_data();
    void handBack();
    void questionsAreYesNo();
    void deleteSelected_data();
    void deleteSelected();
    void returnSelectedResult();
    void clearCandidatesShowsNoCount();
    void clearHistoryKeepsCounters();
    void handBackStopsAtTheListLimit_data();
    void handBackStopsAtTheListLimit();
    void shuffleReordersOnlyItsCategory();
};

void TestListCommands::handBack_data()
{
    QTest::addColumn<bool>("clear"); // 清 rather than 撤
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QStringList>("candidatesAfter");
    QTest::addColumn<QStringList>("resultsAfter");
    QTest::addColumn<QString>("counterAfter");
    QTest::addColumn<QString>("drawnAfter");

    const QStringList ab { u"A"_qs, u"B"_qs };
    const QStringList x { u"X"_qs };
    const QStringList xab { u"X"_qs, u"A"_qs, u"B"_qs };
    const QStringList none;

    QTest::newRow("撤 Yes") << false << Answer::Yes << ab << xab << none << u"3"_qs << u"0"_qs;
    QTest::newRow("撤 No") << false << Answer::No << ab << x << ab << u"XXXX"_qs << u"2"_qs;
    QTest::newRow("撤 Yes, no results") << false << Answer::Yes << none << x << none << u"XXXX"_qs << u"2"_qs;
    QTest::newRow("撤 Yes, duplicate kept twice")
        << false << Answer::Yes << x << QStringList { u"X"_qs, u"X"_qs } << none << u"2"_qs << u"0"_qs;
    QTest::newRow("清 Yes") << true << Answer::Yes << ab << xab << none << u"3"_qs << u"0"_qs;
    QTest::newRow("清 No") << true << Answer::No << ab << x << none << u"XXXX"_qs << u"0"_qs;
    QTest::newRow("清 Yes, no results") << true << Answer::Yes << none << x << none << u"XXXX"_qs << u"0"_qs;
}

void TestListCommands::handBack()
{
    QFETCH(bool, clear);
    QFETCH(Answer, answer);
    QFETCH(QStringList, results);
    QFETCH(QStringList, candidatesAfter);
    QFETCH(QStringList, resultsAfter);
    QFETCH(QString, counterAfter);
    QFETCH(QString, drawnAfter);

    ListFixture f;
    ListFixture::Page& page = f.page(4);
    fill(page.candidates, { u"X"_qs });
    fill(page.results, results);
    // The counter shows no count yet and the drawn count was typed: what shows afterwards tells which
    // counters the command rewrote.
    page.drawnCount.setText(u"2"_qs);
    f.messageBox.answerNext(answer);

    ListCommands commands(f.context);
    clear ? commands.clearResults(4) : commands.withdrawResults(4);

    QCOMPARE(f.messageBox.texts(), QStringList { clear ? clearQuestion : withdrawQuestion });
    QCOMPARE(page.candidates.items(), candidatesAfter);
    QCOMPARE(page.results.items(), resultsAfter);
    QCOMPARE(page.candidateCounter.text(), counterAfter);
    QCOMPARE(page.drawnCount.text(), drawnAfter);
    QCOMPARE(f.page(3).candidates.count(), 0);
}

void TestListCommands::questionsAreYesNo()
{
    ListFixture f;
    ListCommands commands(f.context);
    commands.withdrawResults(0);
    commands.clearResults(0);

    QCOMPARE(f.messageBox.shown.size(), 2);
    for (const auto& shown : std::as_const(f.messageBox.shown)) {
        QCOMPARE(shown.title, u"Pelorinv1.0_PC版"_qs);
        QCOMPARE(shown.icon, IMessageBox::Icon::Question);
        QCOMPARE(shown.buttons, IMessageBox::Buttons::YesNo);
    }
}

void TestListCommands::deleteSelected_data()
{
    QTest::addColumn<bool>("history");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("counter");

    const QStringList abc { u"A"_qs, u"B"_qs, u"C"_qs };
    QTest::newRow("candidate selected") << false << 1 << QStringList { u"A"_qs, u"C"_qs } << u"2"_qs;
    QTest::newRow("candidate none selected") << false << -1 << abc << u"XXXX"_qs;
    QTest::newRow("history selected") << true << 2 << QStringList { u"A"_qs, u"B"_qs } << u"XXXX"_qs;
    QTest::newRow("history none selected") << true << -1 << abc << u"XXXX"_qs;
}

void TestListCommands::deleteSelected()
{
    QFETCH(bool, history);
    QFETCH(int, selected);
    QFETCH(QStringList, after);
    QFETCH(QString, counter);

    ListFixture f;
    SessionList& list = history ? f.page(6).history : f.page(6).candidates;
    fill(list, { u"A"_qs, u"B"_qs, u"C"_qs });
    list.setSelectedIndex(selected);

    ListCommands commands(f.context);
    history ? commands.deleteSelectedHistory(6, selected) : commands.deleteSelectedCandidate(6, selected);

    QCOMPARE(list.items(), after);
    QCOMPARE(f.page(6).candidateCounter.text(), counter);
    QVERIFY(f.messageBox.shown.isEmpty());
}

void TestListCommands::returnSelectedResult()
{
    ListFixture f;
    ListFixture::Page& page = f.page(0);
    fill(page.candidates, { u"X"_qs });
    fill(page.results, { u"A"_qs, u"B"_qs, u"C"_qs });
    page.drawnCount.setText(u"3"_qs);
    ListCommands commands(f.context);

    commands.returnSelectedResult(0, page.results.selectedIndex());
    QCOMPARE(page.results.count(), 3);
    QCOMPARE(page.drawnCount.text(), u"3"_qs);

    page.results.setSelectedIndex(1);
    commands.returnSelectedResult(0, page.results.selectedIndex());
    QCOMPARE(page.candidates.items(), (QStringList { u"X"_qs, u"B"_qs }));
    QCOMPARE(page.results.items(), (QStringList { u"A"_qs, u"C"_qs }));
    QCOMPARE(page.drawnCount.text(), u"2"_qs);
    QCOMPARE(page.candidateCounter.text(), u"2"_qs);
    QVERIFY(f.messageBox.shown.isEmpty());
}

void TestListCommands::clearCandidatesShowsNoCount()
{
    ListFixture f;
    f.page(2).candidateCounter.setText(u"5"_qs);
    ListCommands commands(f.context);
    commands.clearCandidates(2);
    QCOMPARE(f.page(2).candidateCounter.text(), u"XXXX"_qs);

    fill(f.page(2).candidates, { u"A"_qs });
    f.page(2).candidateCounter.setText(u"1"_qs);
    commands.clearCandidates(2);
    QCOMPARE(f.page(2).candidates.count(), 0);
    QCOMPARE(f.page(2).candidateCounter.text(), u"XXXX"_qs);
}

void TestListCommands::clearHistoryKeepsCounters()
{
    ListFixture f;
    fill(f.page(1).history, { u"A"_qs, u"B"_qs });
    fill(f.page(1).candidates, QStringList(9, u"名"_qs));
    f.page(1).candidateCounter.setText(u"9"_qs);
    f.page(1).drawnCount.setText(u"4"_qs);
    ListCommands(f.context).clearHistory(1);
    QCOMPARE(f.page(1).history.count(), 0);
    QCOMPARE(f.page(1).candidateCounter.text(), u"9"_qs);
    QCOMPARE(f.page(1).drawnCount.text(), u"4"_qs);
}

void TestListCommands::handBackStopsAtTheListLimit_data()
{
    QTest::addColumn<int>("command"); // 0: 删, 1: 撤, 2: 清
    QTest::addColumn<int>("candidates");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("删 at the limit") << 0 << MaxListNames << false;
    QTest::newRow("删 filling the limit") << 0 << MaxListNames - 1 << true;
    QTest::newRow("撤 one past") << 1 << MaxListNames - 2 << false;
    QTest::newRow("撤 filling the limit") << 1 << MaxListNames - 3 << true;
    QTest::newRow("清 one past keeps the results") << 2 << MaxListNames - 2 << false;
    QTest::newRow("清 filling the limit") << 2 << MaxListNames - 3 << true;
}

void TestListCommands::handBackStopsAtTheListLimit()
{
    QFETCH(int, command);
    QFETCH(int, candidates);
    QFETCH(bool, accepted);

    ListFixture f;
    ListFixture::Page& page = f.page(3);
    fill(page.candidates, QStringList(candidates, u"名"_qs));
    fill(page.results, { u"A"_qs, u"B"_qs, u"C"_qs });
    page.results.setSelectedIndex(0);
    page.drawnCount.setText(u"3"_qs);
    const int handedBack = command == 0 ? 1 : 3;

    ListCommands commands(f.context);
    switch (command) {
    case 0:
        commands.returnSelectedResult(3, page.results.selectedIndex());
        break;
    case 1:
        commands.withdrawResults(3);
        break;
    default:
        commands.clearResults(3);
    }

    QCOMPARE(page.candidates.count(), accepted ? candidates + handedBack : candidates);
    QCOMPARE(page.results.count(), accepted ? 3 - handedBack : 3);
    QCOMPARE(page.drawnCount.text(), QString::number(page.results.count()));
    QCOMPARE(f.messageBox.lastText() == u"名单数量不能超过32767个。"_qs, !accepted);
}

void TestListCommands::shuffleReordersOnlyItsCategory()
{
    ListFixture f;
    fill(f.page(5).candidates, { u"A"_qs, u"B"_qs, u"C"_qs });
    fill(f.page(4).candidates, { u"A"_qs, u"B"_qs, u"C"_qs });
    f.random.picks.enqueue(2);
    f.random.picks.enqueue(0);
    ListCommands(f.context).shuffleCandidates(5);

    QCOMPARE(f.page(5).candidates.items(), (QStringList { u"C"_qs, u"A"_qs, u"B"_qs }));
    QCOMPARE(f.page(4).candidates.items(), (QStringList { u"A"_qs, u"B"_qs, u"C"_qs }));
    QCOMPARE(f.page(5).candidateCounter.text(), u"XXXX"_qs);
}

QTEST_GUILESS_MAIN(TestListCommands)
#include "test_list_commands.moc"
