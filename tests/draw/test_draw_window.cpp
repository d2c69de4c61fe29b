#include "DrawFixture.h"

#include "platform/AppText.h"

#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

namespace {

const QString NothingToDraw = QStringLiteral("当前还没有导入将要摇号名单。");
const QString PresetMissing = QStringLiteral("预设摇号数据框内不能为空，必须为0以上数字。");
const QString DrawnMissing = QStringLiteral("已摇号数据统计框内不能为空，必须为0以上数字。");
const QString PresetRange = QStringLiteral("预设摇号数据框内的数字超出范围，必须是0到32767之间的数字。");
const QString DrawnRange = QStringLiteral("已摇号数据统计框内的数字超出范围，必须是0到32767之间的数字。");
const QString DrawAgain = QStringLiteral("当前预设数量已摇出。\n\n确定是否需要对本项进行重新摇号？");

} // namespace

class DrawWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void checksRefuseToOpen_data()
    {
        QTest::addColumn<int>("candidates");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("drawn");
        QTest::addColumn<QString>("message");
        QTest::newRow("no candidates") << 0 << QStringLiteral("1") << QStringLiteral("0") << NothingToDraw;
        QTest::newRow("no candidates comes first") << 0 << QString() << QString() << NothingToDraw;
        QTest::newRow("preset empty") << 3 << QString() << QStringLiteral("0") << PresetMissing;
        QTest::newRow("preset blank") << 3 << QStringLiteral("   ") << QString() << PresetMissing;
        QTest::newRow("drawn empty") << 3 << QStringLiteral("1") << QStringLiteral(" ") << DrawnMissing;
        QTest::newRow("emptiness before numbers") << 3 << QStringLiteral("abc") << QString() << DrawnMissing;
        QTest::newRow("preset no number") << 3 << QStringLiteral("两个") << QStringLiteral("0") << PresetMissing;
        QTest::newRow("preset too large") << 3 << QStringLiteral("99999") << QStringLiteral("0") << PresetRange;
        QTest::newRow("full-width preset too large")
            << 3 << QStringLiteral("９９９９９") << QStringLiteral("0") << PresetRange;
        QTest::newRow("drawn too large") << 3 << QStringLiteral("2") << QStringLiteral("-40000") << DrawnRange;
        QTest::newRow("drawn no number") << 3 << QStringLiteral("2") << QStringLiteral("1x") << DrawnMissing;
    }
    void checksRefuseToOpen()
    {
        QFETCH(int, candidates);
        QFETCH(QString, preset);
        QFETCH(QString, drawn);
        QFETCH(QString, message);
        DrawFixture f;
        f.fill(3, candidates);
        f.page(3).presetCount.setText(preset);
        f.page(3).drawnCount.setText(drawn);
        f.controller.open(3);
        QCOMPARE(f.messages.texts(), QStringList { message });
        QCOMPARE(f.messages.shown.first().title, text::windowCaption());
        QCOMPARE(f.messages.shown.first().icon, IMessageBox::Icon::Information);
        QCOMPARE(f.context.session->currentCategory(), 0);
        QVERIFY(f.log.isEmpty());
        QVERIFY(!f.timer.isEnabled());
        QCOMPARE(f.page(3).candidates.count(), candidates);
        QCOMPARE(f.page(3).presetCount.text(), preset);
        QCOMPARE(f.page(3).drawnCount.text(), drawn);
    }

    void openingPlacesAndStarts()
    {
        DrawFixture f;
        f.fill(3, 2);
        f.page(3).presetCount.setText(QStringLiteral(" 3"));
        f.nameBox.setText(QStringLiteral("1_旧"));
        f.controller.open(3);
        QCOMPARE(f.context.session->currentCategory(), 3);
        // Opened narrow, then widened by the start.
        QVERIFY(f.window.wide);
        QCOMPARE(f.log,
                 (QStringList { QStringLiteral("backdrop+"), QStringLiteral("window+"), QStringLiteral("bg-"),
                                QStringLiteral("focus(rolling)") }));
        QCOMPARE(f.nameBox.text(), QString());
        QCOMPARE(f.presetBox.text(), QStringLiteral(" 3"));
        QCOMPARE(f.drawnBox.text(), QStringLiteral("0"));
        QCOMPARE(f.startStop.text(), QStringLiteral("停止"));
        QVERIFY(f.timer.isEnabled());
        QVERIFY(f.messages.shown.isEmpty());
    }

    void drawAgainQuestion_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("drawn");
        QTest::addColumn<bool>("yes");
        QTest::newRow("2 of 2, no") << QStringLiteral("2") << QStringLiteral("2") << false;
        QTest::newRow("2 of 2, yes") << QStringLiteral("2") << QStringLiteral("2") << true;
        QTest::newRow("nothing wanted, yes") << QStringLiteral("0") << QStringLiteral("0") << true;
        QTest::newRow("more drawn than wanted, no") << QStringLiteral("1") << QStringLiteral("2") << false;
    }
    void drawAgainQuestion()
    {
        QFETCH(QString, preset);
        QFETCH(QString, drawn);
        QFETCH(bool, yes);
        DrawFixture f;
        f.fill(2, 3);
        f.page(2).results.setItems(names({ "r1", "r2" }));
        f.page(2).presetCount.setText(preset);
        f.page(2).drawnCount.setText(drawn);
        f.messages.answerNext(yes ? IMessageBox::Answer::Yes : IMessageBox::Answer::No);
        f.controller.open(2);
        QCOMPARE(f.messages.texts(), QStringList { DrawAgain });
        QCOMPARE(f.messages.shown.first().icon, IMessageBox::Icon::Question);
        QCOMPARE(f.messages.shown.first().buttons, IMessageBox::Buttons::YesNo);
        if (!yes) {
            QCOMPARE(f.page(2).candidates.items(), names({ "c1", "c2", "c3" }));
            QCOMPARE(f.page(2).results.items(), names({ "r1", "r2" }));
            QCOMPARE(f.page(2).drawnCount.text(), drawn);
            QCOMPARE(f.page(2).candidateCounter.text(), QStringLiteral("3"));
            QVERIFY(!f.window.isOpen());
            QVERIFY(f.log.isEmpty());
            return;
        }
        QCOMPARE(f.page(2).candidates.items(), names({ "c1", "c2", "c3", "r1", "r2" }));
        QVERIFY(f.page(2).results.items().isEmpty());
        QCOMPARE(f.page(2).drawnCount.text(), QStringLiteral("0"));
        QCOMPARE(f.page(2).candidateCounter.text(), QStringLiteral("5"));
        QVERIFY(f.window.isOpen());
        QCOMPARE(f.presetBox.text(), preset);
        QCOMPARE(f.drawnBox.text(), QStringLiteral("0"));
        QCOMPARE(f.context.session->progress().wheelCount(), 5);
    }

    void closeWhileRolling()
    {
        DrawFixture f;
        f.fill(0, 4);
        f.page(0).presetCount.setText(QStringLiteral("3"));
        f.controller.open(0);
        f.drawAt(90);
        f.controller.startStop();
        f.rollTo(240);
        const QString shown = f.nameBox.text();
        QCOMPARE(shown, QStringLiteral("2_c3"));
        f.log.clear();
        f.controller.close();
        QVERIFY(!f.context.session->progress().isRolling());
        QVERIFY(!f.timer.isEnabled());
        QCOMPARE(f.startStop.text(), QStringLiteral("开始摇号"));
        QVERIFY(!f.window.isOpen());
        QVERIFY(!f.window.wide);
        QCOMPARE(f.currentDraw.count(), 0);
        QCOMPARE(f.log,
                 (QStringList { QStringLiteral("window-"), QStringLiteral("backdrop-"), QStringLiteral("bg+"),
                                QStringLiteral("focus page 0") }));
        // Nothing was taken by the close.
        QCOMPARE(f.page(0).results.items(), names({ "c1" }));
        QCOMPARE(f.page(0).candidates.count(), 3);
        QCOMPARE(f.page(0).drawnCount.text(), QStringLiteral("1"));
        QCOMPARE(f.page(0).candidateCounter.text(), QStringLiteral("3"));
        f.timer.fire();
        QCOMPARE(f.nameBox.text(), shown);

        f.log.clear();
        f.controller.open(0);
        QCOMPARE(f.log.mid(0, 2), (QStringList { QStringLiteral("backdrop+"), QStringLiteral("window+") }));
        QCOMPARE(f.drawnBox.text(), QStringLiteral("1"));
        QCOMPARE(f.currentDraw.count(), 0);
    }

    void drawAgainKeepsTheListLimit()
    {
        // 32,767 candidates and one result would make 32,768: refused with the hand-back's words.
        DrawFixture f;
        f.fill(4, 32767);
        f.page(4).results.setItems(names({ "r1" }));
        f.page(4).presetCount.setText(QStringLiteral("1"));
        f.page(4).drawnCount.setText(QStringLiteral("1"));
        f.messages.answerNext(IMessageBox::Answer::Yes);
        f.controller.open(4);
        QCOMPARE(f.messages.texts(), (QStringList { DrawAgain, QStringLiteral("名单数量不能超过32767个。") }));
        QCOMPARE(f.page(4).candidates.count(), 32767);
        QCOMPARE(f.page(4).results.items(), names({ "r1" }));
        QCOMPARE(f.page(4).drawnCount.text(), QStringLiteral("1"));
        QVERIFY(!f.window.isOpen());

        // One name fewer fits exactly.
        f.page(4).candidates.removeAt(0);
        f.messages.answerNext(IMessageBox::Answer::Yes);
        f.controller.open(4);
        QCOMPARE(f.page(4).candidates.count(), 32767);
        QVERIFY(f.window.isOpen());
    }

    void startStopAndOpenNeedTheRightWindowState()
    {
        // Start/stop with the window closed is a key that reached a hidden button: nothing happens.
        DrawFixture f;
        f.fill(1, 4);
        f.page(1).presetCount.setText(QStringLiteral("1"));
        f.controller.startStop();
        f.controller.startStop();
        QVERIFY(!f.context.session->progress().isRolling());
        QVERIFY(!f.timer.isEnabled());
        QCOMPARE(f.page(1).candidates.count(), 4);

        // While one category's draw runs, another category's draw button opens nothing.
        f.fill(5, 3);
        f.controller.open(1);
        QVERIFY(f.context.session->progress().isRolling());
        f.controller.open(5);
        QCOMPARE(f.context.session->currentCategory(), 1);
        QCOMPARE(f.context.session->progress().wheelCount(), 4);
        // Between two draws of the open window the same holds.
        f.drawAt(90);
        f.messages.shown.clear();
        QVERIFY(!f.window.isOpen()); // preset 1: the first stop ends the draw
        f.controller.startStop();
        f.controller.startStop();
        QCOMPARE(f.page(1).results.count(), 1);
        QCOMPARE(f.page(1).candidates.count(), 3);
        QCOMPARE(f.page(1).drawnCount.text(), QStringLiteral("1"));
        QCOMPARE(f.page(5).results.count(), 0);
    }
};

QTEST_GUILESS_MAIN(DrawWindowTest)
#include "test_draw_window.moc"
