#include "lists/ListCommands.h"
#include "lists/ListFixture.h"
#include "lists/ManualEntry.h"

#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

namespace {

const QStringList opened { u"open"_qs };
const QStringList closed { u"close"_qs };

} // namespace

class TestManualEntry : public QObject
{
    Q_OBJECT

private slots:
    void openingLaysOutThePanel_data();
    void openingLaysOutThePanel();
    void commitAppendsToTheOpenedList_data();
    void commitAppendsToTheOpenedList();
    void emptyTextKeepsThePanelOpen();
    void textSurvivesCommitAndClose();
    void closeChangesNoList();
    void commitStopsAtTheListLimit_data();
    void commitStopsAtTheListLimit();
    void brokenTextIsRefusedAndHiddenCharactersTold();
};

void TestManualEntry::openingLaysOutThePanel_data()
{
    QTest::addColumn<bool>("history");
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("target");

    QTest::newRow("candidates of 组长") << false << 0 << u"手工直接录入或者复制名单：   （当前录入对象为“组长”名单）"_qs
                                        << 1;
    QTest::newRow("candidates of 摇号名单")
        << false << 6 << u"手工直接录入或者复制名单：   （当前录入对象为“摇号名单”名单）"_qs << 1;
    QTest::newRow("history of 重点企业")
        << true << 3 << u"手工直接录入或者复制历史名单：   （当前录入对象为历史已摇出的“重点企业”名单）"_qs << 4;
}

void TestManualEntry::openingLaysOutThePanel()
{
    QFETCH(bool, history);
    QFETCH(int, category);
    QFETCH(QString, caption);
    QFETCH(int, target);

    ListFixture f;
    f.context.state.EntryTarget = history ? 1 : 4;
    f.entry.typed = u"上次的\r\n文字"_qs;
    ManualEntry entry(f.context);
    history ? entry.openForHistory(category) : entry.openForCandidates(category);

    QCOMPARE(f.context.session->currentCategory(), category);
    QCOMPARE(f.context.state.EntryTarget, target);
    QCOMPARE(f.entry.caption, caption);
    QCOMPARE(f.entry.log, opened);
    QCOMPARE(f.entry.typed, u"上次的\r\n文字"_qs);
}

void TestManualEntry::commitAppendsToTheOpenedList_data()
{
    QTest::addColumn<bool>("history");
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QStringList>("historyNames");
    QTest::addColumn<QString>("counter");

    const QStringList old { u"旧"_qs };
    const QStringList typed { u"旧"_qs, u"甲"_qs, QString(), u"乙"_qs };
    QTest::newRow("candidates") << false << typed << old << u"4"_qs;
    QTest::newRow("history") << true << old << typed << u"XXXX"_qs;
}

void TestManualEntry::commitAppendsToTheOpenedList()
{
    QFETCH(bool, history);
    QFETCH(QStringList, candidates);
    QFETCH(QStringList, historyNames);
    QFETCH(QString, counter);

    ListFixture f;
    fill(f.page(2).candidates, { u"旧"_qs });
    fill(f.page(2).history, { u"旧"_qs });
    ManualEntry entry(f.context);
    history ? entry.openForHistory(2) : entry.openForCandidates(2);
    f.entry.typed = u"甲\r\n\r\n乙\r\n"_qs;
    f.entry.log.clear();
    entry.commit();

    QCOMPARE(f.page(2).candidates.items(), candidates);
    QCOMPARE(f.page(2).history.items(), historyNames);
    QCOMPARE(f.page(2).candidateCounter.text(), counter);
    QCOMPARE(f.entry.log, closed);
    QVERIFY(f.messageBox.shown.isEmpty());
    QCOMPARE(f.page(0).candidates.count(), 0);
}

void TestManualEntry::emptyTextKeepsThePanelOpen()
{
    ListFixture f;
    ManualEntry entry(f.context);
    entry.openForCandidates(1);
    f.entry.typed = u" \t "_qs;
    f.entry.log.clear();
    entry.commit();

    QCOMPARE(f.messageBox.texts(), QStringList { u"当前还没有输入名单。"_qs });
    QCOMPARE(f.messageBox.shown.first().title, u"Pelorinv1.0_PC版"_qs);
    QCOMPARE(f.messageBox.shown.first().icon, IMessageBox::Icon::Information);
    QVERIFY(f.entry.log.isEmpty());
    QVERIFY(f.entry.visible);
    QCOMPARE(f.entry.typed, u" \t "_qs);
    QCOMPARE(f.page(1).candidates.count(), 0);
    QCOMPARE(f.page(1).candidateCounter.text(), u"XXXX"_qs);
}

void TestManualEntry::textSurvivesCommitAndClose()
{
    ListFixture f;
    ManualEntry entry(f.context);
    entry.openForCandidates(0);
    f.entry.typed = u"甲\r\n乙"_qs;
    entry.commit();
    entry.openForHistory(5);
    QCOMPARE(f.entry.typed, u"甲\r\n乙"_qs);
    entry.close();
    entry.openForCandidates(0);
    entry.commit();

    QCOMPARE(f.entry.typed, u"甲\r\n乙"_qs);
    QCOMPARE(f.page(0).candidates.items(), (QStringList { u"甲"_qs, u"乙"_qs, u"甲"_qs, u"乙"_qs }));
    QCOMPARE(f.page(0).candidateCounter.text(), u"4"_qs);
    QCOMPARE(f.page(5).history.count(), 0);
}

void TestManualEntry::closeChangesNoList()
{
    ListFixture f;
    ManualEntry entry(f.context);
    entry.openForHistory(4);
    f.entry.typed = u"甲"_qs;
    f.entry.log.clear();
    entry.close();

    QCOMPARE(f.entry.log, closed);
    QCOMPARE(f.page(4).history.count(), 0);
    QCOMPARE(f.page(4).candidates.count(), 0);
    QCOMPARE(f.context.state.EntryTarget, 4);
    QCOMPARE(f.context.session->currentCategory(), 4);
    QCOMPARE(f.entry.typed, u"甲"_qs);
}

void TestManualEntry::commitStopsAtTheListLimit_data()
{
    QTest::addColumn<bool>("history");
    QTest::addColumn<int>("existing");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("candidates filled to the limit") << false << MaxListNames - 3 << true;
    QTest::newRow("candidates one past the limit") << false << MaxListNames - 2 << false;
    QTest::newRow("history one past the limit") << true << MaxListNames << false;
}

void TestManualEntry::commitStopsAtTheListLimit()
{
    QFETCH(bool, history);
    QFETCH(int, existing);
    QFETCH(bool, accepted);

    ListFixture f;
    SessionList& list = history ? f.page(0).history : f.page(0).candidates;
    fill(list, QStringList(existing, u"名"_qs));
    ManualEntry entry(f.context);
    history ? entry.openForHistory(0) : entry.openForCandidates(0);
    f.entry.typed = u"甲\r\n乙\r\n丙"_qs;
    entry.commit();

    QCOMPARE(list.count(), accepted ? existing + 3 : existing);
    QCOMPARE(f.entry.visible, !accepted);
    QCOMPARE(f.messageBox.texts(), accepted ? QStringList() : QStringList { u"名单数量不能超过32767个。"_qs });
    QCOMPARE(f.page(0).candidateCounter.text(), accepted ? QString::number(MaxListNames) : u"XXXX"_qs);
    QCOMPARE(f.entry.typed, u"甲\r\n乙\r\n丙"_qs);
}

QTEST_GUILESS_MAIN(TestManualEntry)
#include "test_manual_entry.moc"

void TestManualEntry::brokenTextIsRefusedAndHiddenCharactersTold()
{
    ListFixture f;
    ManualEntry entry(f.context);
    entry.openForCandidates(1);
    // An unpaired surrogate: nothing is entered.
    f.entry.typed = u"甲\r\n乙"_qs + QChar(0xD800);
    entry.commit();
    QCOMPARE(f.messageBox.texts(),
             QStringList { u"第 2 个名称含有无效的字符（不成对的代理项），无法录入。请更正后重新录入。"_qs });
    QCOMPARE(f.page(1).candidates.count(), 0);
    QVERIFY(f.entry.visible);
    // A zero-width space: entered as typed, and told.
    f.messageBox.shown.clear();
    f.entry.typed = u"甲\r\n乙"_qs + QChar(0x200B) + u"公司"_qs;
    entry.commit();
    QCOMPARE(f.page(1).candidates.count(), 2);
    QCOMPARE(f.messageBox.texts().size(), 1);
    QVERIFY2(f.messageBox.texts().front().contains(u"乙<U+200B>公司"_qs), qPrintable(f.messageBox.texts().front()));
}
