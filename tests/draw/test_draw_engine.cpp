#include "DrawFixture.h"

#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

namespace {

const QString NothingToDraw = QStringLiteral("当前还没有导入将要摇号名单。");
const QString AllDrawn = QStringLiteral("预设定摇取个数已摇完毕。");

} // namespace

class DrawEngineTest : public QObject
{
    Q_OBJECT

private slots:
    void nameBoxFollowsThePointer_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("angle");
        QTest::addColumn<QString>("nameBox");
        QTest::newRow("3/10 before the first sector") << 3 << QStringLiteral("10") << 110 << QString();
        QTest::newRow("3/10 first sector") << 3 << QStringLiteral("10") << 120 << QStringLiteral("1_c1");
        QTest::newRow("3/10 last sector") << 3 << QStringLiteral("10") << 360 << QStringLiteral("3_c3");
        QTest::newRow("12/15 at 15") << 12 << QStringLiteral("15") << 15 << QString();
        QTest::newRow("12/15 at 30") << 12 << QStringLiteral("15") << 30 << QStringLiteral("01_c1");
        QTest::newRow("12/15 at 45") << 12 << QStringLiteral("15") << 45 << QStringLiteral("01_c1");
        QTest::newRow("12/15 at 60") << 12 << QStringLiteral("15") << 60 << QStringLiteral("02_c2");
        QTest::newRow("12/15 at 75") << 12 << QStringLiteral("15") << 75 << QStringLiteral("02_c2");
        QTest::newRow("12/15 at 345") << 12 << QStringLiteral("15") << 345 << QStringLiteral("11_c11");
        QTest::newRow("12/15 at 360") << 12 << QStringLiteral("15") << 360 << QStringLiteral("12_c12");
        QTest::newRow("100/20 at 20") << 100 << QStringLiteral("20") << 20 << QStringLiteral("005_c5");
    }
    void nameBoxFollowsThePointer()
    {
        QFETCH(int, count);
        QFETCH(QString, speed);
        QFETCH(int, angle);
        QFETCH(QString, nameBox);
        DrawFixture f;
        f.fill(3, count);
        f.speedBox.setText(speed);
        f.controller.open(3);
        QVERIFY(f.context.session->progress().isRolling());
        QCOMPARE(f.context.session->progress().wheelCount(), count);
        QCOMPARE(f.timer.interval(), 10);
        QCOMPARE(f.nameBox.text(), QString());
        // Angle by angle from the start: the pointer only takes multiples of the speed.
        const int step = speed.toInt();
        for (int a = step; a <= angle; a += step) {
            f.timer.fire();
            QCOMPARE(f.context.session->progress().pointerAngle(), a);
        }
        QCOMPARE(f.nameBox.text(), nameBox);
    }

    void lapStartsAgainAtTheSpeed()
    {
        DrawFixture f;
        f.fill(0, 3);
        f.speedBox.setText(QStringLiteral("10"));
        f.controller.open(0);
        QVERIFY(f.rollTo(360));
        QCOMPARE(f.nameBox.text(), QStringLiteral("3_c3"));
        f.timer.fire();
        QCOMPARE(f.context.session->progress().pointerAngle(), 10);
        QCOMPARE(f.nameBox.text(), QStringLiteral("3_c3")); // no sector at 10: the box keeps its text
        // Every tick puts the wheel back before the pointer, whatever the list's length.
        QCOMPARE(f.surface.calls.at(f.surface.calls.size() - 6).op, QStringLiteral("restore"));
    }

    void badSpeedStartsNothing()
    {
        DrawFixture f;
        f.fill(0, 3);
        f.speedBox.setText(QStringLiteral("0"));
        f.controller.open(0);
        QCOMPARE(f.messages.lastText(), QStringLiteral("转速必须是1到360之间的整数。"));
        QCOMPARE(f.messages.shown.last().icon, IMessageBox::Icon::Information);
        QVERIFY(!f.context.session->progress().isRolling());
        QVERIFY(!f.timer.isEnabled());
        QCOMPARE(f.startStop.text(), QStringLiteral("开始摇号"));
        QCOMPARE(f.page(0).candidates.count(), 3);
        // The window stays open, so the speed can be corrected and the draw started.
        QVERIFY(f.window.isOpen());
        f.speedBox.setText(QStringLiteral("20"));
        f.controller.startStop();
        QVERIFY(f.context.session->progress().isRolling());
        QCOMPARE(f.context.session->progress().speed(), 20);
    }

    void speedIsReadAtEveryStart()
    {
        DrawFixture f;
        f.fill(0, 12);
        f.page(0).presetCount.setText(QStringLiteral("5"));
        f.controller.open(0);
        f.speedBox.setText(QStringLiteral("20"));
        f.timer.fire(2);
        QCOMPARE(f.context.session->progress().pointerAngle(), 30);
        f.controller.startStop();
        f.controller.startStop();
        f.timer.fire();
        QCOMPARE(f.context.session->progress().pointerAngle(), 20);
    }

    void oneCandidate()
    {
        DrawFixture f;
        f.page(2).candidates.setItems({ QStringLiteral("张三") });
        f.page(2).candidateCounter.setText(QStringLiteral("1"));
        f.controller.open(2);
        f.timer.fire(23); // 345 degrees: the only sector starts at 360
        f.controller.startStop();
        QVERIFY(f.context.session->progress().isRolling());
        QVERIFY(f.page(2).results.items().isEmpty());
        f.timer.fire();
        QCOMPARE(f.nameBox.text(), QStringLiteral("1_张三"));
        f.controller.startStop();
        QCOMPARE(f.page(2).results.items(), QStringList { QStringLiteral("张三") });
        QCOMPARE(f.page(2).drawnCount.text(), QStringLiteral("1"));
        QCOMPARE(f.drawnBox.text(), QStringLiteral("1"));
        QCOMPARE(f.page(2).candidateCounter.text(), QStringLiteral("0"));
        QCOMPARE(f.page(2).candidates.count(), 0);
        QCOMPARE(f.messages.texts(), QStringList { AllDrawn });
        QVERIFY(!f.window.isOpen());
        QVERIFY(!f.timer.isEnabled());
        QCOMPARE(f.startStop.text(), QStringLiteral("开始摇号"));
        QCOMPARE(f.currentDraw.count(), 0);
    }

    void threeCandidatesPresetTwo()
    {
        DrawFixture f;
        f.fill(4, 3);
        f.page(4).presetCount.setText(QStringLiteral("2"));
        f.random.picks.append({ 2, 0 }); // c3, c1, c2
        f.controller.open(4);
        QCOMPARE(f.page(4).candidates.items(), names({ "c3", "c1", "c2" }));
        f.drawAt(120);
        QCOMPARE(f.page(4).results.items(), QStringList { QStringLiteral("c3") });
        QCOMPARE(f.currentDraw.items(), QStringList { QStringLiteral("c3") });
        QCOMPARE(f.startStop.text(), QStringLiteral("开始摇号"));
        QVERIFY(f.window.isOpen());
        QVERIFY(f.window.wide);
        f.controller.startStop();
        QCOMPARE(f.context.session->progress().wheelCount(), 2);
        f.drawAt(360);
        QCOMPARE(f.page(4).results.items(), names({ "c3", "c2" }));
        QCOMPARE(f.page(4).candidates.items(), QStringList { QStringLiteral("c1") });
        QCOMPARE(f.page(4).candidateCounter.text(), QStringLiteral("1"));
        QCOMPARE(f.page(4).drawnCount.text(), QStringLiteral("2"));
        QCOMPARE(f.messages.texts(), QStringList { AllDrawn });
        QVERIFY(!f.window.isOpen());
    }

    void moreWantedThanThereAre()
    {
        DrawFixture f;
        f.fill(6, 5);
        f.page(6).presetCount.setText(QStringLiteral("9"));
        f.controller.open(6);
        for (int left = 5; left > 0; --left) {
            if (left < 5)
                f.controller.startStop();
            f.drawAt(360);
        }
        QCOMPARE(f.page(6).results.count(), 5);
        QCOMPARE(f.page(6).candidates.count(), 0);
        QCOMPARE(f.drawnBox.text(), QStringLiteral("5"));
        QVERIFY(f.messages.shown.isEmpty());
        f.controller.startStop();
        QCOMPARE(f.messages.texts(), QStringList { NothingToDraw });
        QVERIFY(f.window.isOpen());
        QVERIFY(!f.context.session->progress().isRolling());
        QVERIFY(!f.timer.isEnabled());
        QCOMPARE(f.startStop.text(), QStringLiteral("开始摇号"));
        f.controller.close();
        QVERIFY(!f.window.isOpen());
    }

    void takesEverythingAfterTheFirstUnderscore()
    {
        DrawFixture f;
        f.page(0).candidates.setItems({ QStringLiteral("甲"), QStringLiteral("王_五"), QStringLiteral("丙") });
        f.controller.open(0);
        f.rollTo(240);
        QCOMPARE(f.nameBox.text(), QStringLiteral("2_王_五"));
        f.controller.startStop();
        QCOMPARE(f.page(0).results.items(), QStringList { QStringLiteral("王_五") });
        QCOMPARE(f.page(0).candidates.items(), (QStringList { QStringLiteral("甲"), QStringLiteral("丙") }));
    }

    void duplicateRemovesTheFirst()
    {
        DrawFixture f;
        f.page(0).candidates.setItems(names({ "A", "B", "A" }));
        f.page(0).presetCount.setText(QStringLiteral("3"));
        f.controller.open(0);
        f.drawAt(360); // sector 3: the second "A"
        QCOMPARE(f.page(0).results.items(), names({ "A" }));
        QCOMPARE(f.page(0).candidates.items(), names({ "B", "A" }));
        QCOMPARE(f.page(0).candidateCounter.text(), QStringLiteral("2"));
    }

    void presetComparesAsNumber_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::newRow("leading zero") << QStringLiteral("03");
        QTest::newRow("leading space") << QStringLiteral(" 3");
        QTest::newRow("fraction") << QStringLiteral("3.0");
    }
    void presetComparesAsNumber()
    {
        QFETCH(QString, preset);
        DrawFixture f;
        f.fill(1, 6);
        f.page(1).presetCount.setText(preset);
        f.controller.open(1);
        QCOMPARE(f.presetBox.text(), preset);
        for (int n = 1; n <= 3; ++n) {
            if (n > 1)
                f.controller.startStop();
            QVERIFY(f.window.isOpen());
            f.drawAt(360);
            QCOMPARE(f.drawnBox.text(), QString::number(n));
        }
        QCOMPARE(f.messages.texts(), QStringList { AllDrawn });
        QVERIFY(!f.window.isOpen());
        QCOMPARE(f.page(1).results.count(), 3);
    }

    void resultsOfEarlierOpenings()
    {
        DrawFixture f;
        f.fill(5, 4);
        f.page(5).results.setItems(names({ "old1", "old2" }));
        f.page(5).drawnCount.setText(QStringLiteral("2"));
        f.page(5).presetCount.setText(QStringLiteral("4"));
        f.controller.open(5);
        QCOMPARE(f.drawnBox.text(), QStringLiteral("2"));
        f.drawAt(360);
        QCOMPARE(f.page(5).results.items(), names({ "old1", "old2", "c4" }));
        QCOMPARE(f.page(5).drawnCount.text(), QStringLiteral("3"));
        QCOMPARE(f.drawnBox.text(), QStringLiteral("3"));
        QCOMPARE(f.currentDraw.items(), names({ "c4" }));
        QVERIFY(f.window.isOpen());
    }

    void earlyStopIsIgnored()
    {
        DrawFixture f;
        f.fill(0, 4);
        f.page(0).presetCount.setText(QStringLiteral("3"));
        f.controller.open(0);
        f.controller.startStop(); // before any tick: the name box is still empty
        QVERIFY(f.context.session->progress().isRolling());
        QVERIFY(f.timer.isEnabled());
        QCOMPARE(f.startStop.text(), QStringLiteral("停止"));
        f.timer.fire(5); // 75 degrees, short of the first sector at 90
        f.controller.startStop();
        QVERIFY(f.context.session->progress().isRolling());
        QVERIFY(f.page(0).results.items().isEmpty());

        f.drawAt(180); // sector 2
        QCOMPARE(f.page(0).results.items(), names({ "c2" }));
        // The next draw starts with the last name still in the box; stopping now must not take it again.
        f.controller.startStop();
        QCOMPARE(f.nameBox.text(), QStringLiteral("2_c2"));
        f.controller.startStop();
        QVERIFY(f.context.session->progress().isRolling());
        QCOMPARE(f.page(0).results.items(), names({ "c2" }));
        QCOMPARE(f.currentDraw.items(), names({ "c2" }));
        QCOMPARE(f.drawnBox.text(), QStringLiteral("1"));
        f.drawAt(120); // three left: sector 1
        QCOMPARE(f.page(0).results.count(), 2);
    }

    void takesTheNameTheWheelShowed()
    {
        DrawFixture f;
        f.fill(0, 3);
        f.page(0).presetCount.setText(QStringLiteral("2"));
        f.controller.open(0);
        f.rollTo(240);
        f.nameBox.setText(QStringLiteral("9_外来"));
        f.controller.startStop();
        QCOMPARE(f.page(0).results.items(), names({ "c2" }));
    }

    void everyStartShufflesAgain()
    {
        DrawFixture f;
        f.fill(0, 4);
        f.page(0).presetCount.setText(QStringLiteral("3"));
        f.controller.open(0);
        QCOMPARE(f.random.ranges.size(), 3);
        f.drawAt(360);
        f.random.picks.append({ 2, 0 });
        f.controller.startStop();
        QCOMPARE(f.random.ranges.size(), 5);
        QCOMPARE(f.page(0).candidates.items(), names({ "c3", "c1", "c2" }));
        f.drawAt(120);
        QCOMPARE(f.page(0).results.items(), names({ "c4", "c3" }));
    }
};

QTEST_GUILESS_MAIN(DrawEngineTest)
#include "test_draw_engine.moc"
