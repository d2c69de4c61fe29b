#include "DrawFixture.h"
#include "fakes/CountingSeeds.h"
#include "model/ChangeNotes.h"
#include "model/ListFingerprint.h"
#include "model/SlowStop.h"
#include "model/WitnessSeed.h"
#include "platform/IToggle.h"
#include "platform/SystemRandom.h"
#include "platform/scripted/ScriptedInputBox.h"

#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

namespace {

class MemoryToggle : public IToggle
{
public:
    bool isChecked() const override { return checked; }
    void setChecked(bool on) override { checked = on; }
    bool checked = false;
};

// The draw fixture with the option box wired in and ticked.
struct SlowStopFixture : DrawFixture
{
    SlowStopFixture()
    {
        context.controls.draw.slowStop = &option;
        option.checked = true;
    }
    // Ticks until the run-out is over; the number of ticks it took.
    int runOut()
    {
        int ticks = 0;
        while (controller.isRunningOut() && ticks < 100000) {
            timer.fire();
            ++ticks;
        }
        return ticks;
    }
    MemoryToggle option;
};

} // namespace

class SlowStopTest : public QObject
{
    Q_OBJECT

private slots:
    // 见证摇号: the commitment comes before the witnesses' text, the secret after it, and the names drawn are
    // the seed's, wherever the pointer stood at the presses. Without the witnesses' text nothing is drawn.
    void aWitnessedOpeningDrawsWhatItsSeedSays()
    {
        SlowStopFixture f;
        MemoryToggle witnessed;
        witnessed.checked = true;
        CountingSeeds seeds;
        ScriptedInputBox witnesses;
        f.context.controls.draw.witnessed = &witnessed;
        f.context.services.seeds = &seeds;
        f.context.services.inputBox = &witnesses;
        QStringList kinds;
        QObject::connect(&f.pages.session, &Session::changed,
                         [&kinds](const SessionChange& change) { kinds << change.kind; });
        const QStringList names { "甲", "乙", "丙", "丁", "甲" };
        f.page(4).candidates.setItems(names);
        f.pages.session.setPreset(4, "2");
        witnesses.answers.enqueue(QString("12")); // too few digits
        witnesses.answers.enqueue(QString("3 5 1 6 2 4"));
        // 大屏显示 from the commitment's box opens the projector, and the box comes back for 继续.
        int projectorToggles = 0;
        f.context.controls.draw.toggleProjector = [&projectorToggles] { ++projectorToggles; };
        f.messages.answerNext(IMessageBox::Answer::No);
        f.controller.open(4);
        QCOMPARE(projectorToggles, 1);
        QCOMPARE(f.messages.shown[0].buttons, IMessageBox::Buttons::NoticeOrContinue);
        QCOMPARE(f.messages.shown[1].buttons, IMessageBox::Buttons::NoticeOrContinue);
        for (int press : { 3, 11 }) {
            if (!f.pages.session.progress().isRolling())
                f.controller.startStop();
            f.timer.fire(press);
            f.controller.startStop();
            f.runOut();
        }
        const std::optional<ShuffleSeed> seed
            = witness::seedOf(seeds.given.first(), "3 5 1 6 2 4", listFingerprint(names));
        QVERIFY(seed);
        QCOMPARE(f.page(4).results.items(), witness::drawnNames(names, *seed, 2));
        QCOMPARE(kinds.mid(kinds.indexOf("commit"), 4), QStringList({ "commit", "witness", "reveal", "start" }));
        QVERIFY(!f.window.isOpen());
        QVERIFY(!f.lastNotes.contains(witnessnotes::Abandoned));

        // Cancelled at the witnesses' text: the window closes and the ceremony shows as abandoned.
        f.pages.session.setPreset(3, "1");
        f.fill(3, 4);
        f.controller.open(3);
        QVERIFY(!f.window.isOpen());
        QCOMPARE(kinds.last(), "close");
        QCOMPARE(f.lastNotes.value(witnessnotes::Abandoned).toInt(), 0);
        QCOMPARE(f.page(3).results.count(), 0);
    }

    void sectorOfAStep_data()
    {
        QTest::addColumn<qint64>("step");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("sector");
        // 12 sectors: one degree is 12 steps, a sector 360 steps.
        QTest::newRow("30 degrees") << qint64(30 * 12) << 12 << 1;
        QTest::newRow("just below 30") << qint64(30 * 12 - 1) << 12 << 12;
        QTest::newRow("360 degrees") << qint64(360 * 12) << 12 << 12;
        QTest::newRow("a lap later") << qint64((360 + 75) * 12) << 12 << 2;
        QTest::newRow("three laps later") << qint64((1080 + 345) * 12) << 12 << 11;
        QTest::newRow("one sector") << qint64(12345) << 1 << 1;
        QTest::newRow("largest list, last step") << qint64(360) * 32767 * 3 - 1 << 32767 << 32766;
        QTest::newRow("no sectors") << qint64(5) << 0 << 0;
    }
    void sectorOfAStep()
    {
        QFETCH(qint64, step);
        QFETCH(int, count);
        QFETCH(int, sector);
        QCOMPARE(SlowStop::sectorAtStep(step, count), sector);
    }

    // The resting sector is the press angle plus the drawn turn, and the turn is asked for as 1 to 3 laps.
    void restFollowsPressAndTurn_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("turn");
        QTest::addColumn<int>("sector");
        QTest::newRow("12, one lap exactly") << 12 << 30 << 360 * 12 << 1;
        QTest::newRow("12, a lap and a half sector") << 12 << 30 << 360 * 12 + 180 << 1;
        QTest::newRow("12, a lap and one sector") << 12 << 30 << 360 * 12 + 360 << 2;
        QTest::newRow("12, just under three laps") << 12 << 30 << 3 * 360 * 12 - 1 << 12;
        QTest::newRow("2000, press at 360") << 2000 << 360 << 360 * 2000 + 7 * 360 << 7;
        QTest::newRow("32767, finer than a degree") << 32767 << 15 << 360 * 32767 + 12345 * 360 + 359 << 1366 + 12345;
    }
    void restFollowsPressAndTurn()
    {
        QFETCH(int, count);
        QFETCH(int, press);
        QFETCH(int, turn);
        QFETCH(int, sector);
        ScriptedRandom random;
        random.picks.enqueue(turn);
        SlowStop run;
        run.begin(press, 15, count, random);
        QCOMPARE(random.ranges.size(), 1);
        QCOMPARE(random.ranges[0].first, 360 * count);
        QCOMPARE(random.ranges[0].second, 3 * 360 * count - 1);
        int ticks = 0;
        while (!run.step())
            QVERIFY(++ticks < 100000);
        QVERIFY(!run.isRunning());
        QCOMPARE(run.position(), qint64(press) * count + turn);
        QCOMPARE(run.sector(), sector);
    }

    // Even slowing: it sets off at no more than the rolling speed, never speeds up, never turns back.
    void slowsDownSmoothly()
    {
        ScriptedRandom random;
        random.picks.enqueue(2 * 360 * 50 + 123);
        SlowStop run;
        run.begin(100, 20, 50, random);
        qint64 last = run.position();
        qint64 lastStep = 20 * 50;
        QVERIFY(run.duration() > 1);
        while (run.isRunning()) {
            run.step();
            const qint64 moved = run.position() - last;
            QVERIFY(moved >= 0);
            QVERIFY2(moved <= lastStep + 1, qPrintable(QString::number(run.ticksDone())));
            lastStep = moved;
            last = run.position();
        }
        // The last steps are small: the pointer creeps to rest, it does not halt from speed.
        QVERIFY(lastStep < 20 * 50 / 10);
        // Two laps and a bit at 20 degrees a tick: about twice the ticks of the full speed.
        QCOMPARE(run.duration(), int(std::ceil(2.0 * (2 * 360 * 50 + 123) / (20.0 * 50))));
    }

    // From one fixed press angle, every resting sector is equally likely (chi-square, fixed seed).
    void restingSectorIsUniform_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("7 sectors, not dividing 360") << 7;
        QTest::newRow("500 sectors, under a degree") << 500;
    }
    void restingSectorIsUniform()
    {
        QFETCH(int, count);
        SystemRandom random(20261207u);
        const int perSector = 200;
        const int presses = count * perSector;
        QList<int> hits(count + 1, 0);
        for (int i = 0; i < presses; ++i) {
            SlowStop run;
            run.begin(45, 15, count, random);
            while (!run.step()) { }
            ++hits[run.sector()];
        }
        QCOMPARE(hits[0], 0);
        double chi = 0;
        for (int k = 1; k <= count; ++k)
            chi += double(hits[k] - perSector) * (hits[k] - perSector) / perSector;
        // Upper 0.1% points of chi-square with 6 and 499 degrees of freedom.
        const double limit = count == 7 ? 22.46 : 603.0;
        QVERIFY2(chi < limit, qPrintable(QString::number(chi)));
    }

    void optionOffStopsAtOnce()
    {
        SlowStopFixture f;
        f.option.checked = false;
        f.fill(3, 12);
        f.page(3).presetCount.setText(QStringLiteral("3"));
        f.page(3).drawnCount.setText(QStringLiteral("0"));
        f.controller.open(3);
        const qsizetype asked = f.random.ranges.size(); // by the shuffle
        f.drawAt(60);
        QVERIFY(!f.context.session->progress().isRolling());
        QCOMPARE(f.page(3).results.items(), names({ "c2" }));
        QCOMPARE(f.startStop.text(), QStringLiteral("开始摇号"));
        QCOMPARE(f.random.ranges.size(), asked);
        QCOMPARE(f.lastNotes.value(QStringLiteral("slowStop")).toBool(true), false);
    }

    void theBoxTickedWhileTheWheelTurnsHoldsFromTheNextDraw()
    {
        // The rules of a draw are set at its start: ticking the box mid-roll does not turn this stop into a
        // run-out, and unticking it does not let this stop be aimed.
        SlowStopFixture f;
        f.option.checked = false;
        f.fill(3, 12);
        f.page(3).presetCount.setText(QStringLiteral("3"));
        f.page(3).drawnCount.setText(QStringLiteral("0"));
        f.controller.open(3);
        QVERIFY(f.rollTo(60));
        f.option.checked = true;
        f.controller.startStop();
        QVERIFY(!f.controller.isRunningOut());
        QCOMPARE(f.page(3).results.count(), 1);
        QCOMPARE(f.lastNotes.value(QStringLiteral("slowStop")).toBool(true), false);

        f.controller.startStop(); // the next draw starts with the box ticked
        QVERIFY(f.rollTo(90));
        f.option.checked = false;
        f.controller.startStop();
        QVERIFY(f.controller.isRunningOut());
        f.runOut();
        QCOMPARE(f.page(3).results.count(), 2);
        QCOMPARE(f.lastNotes.value(QStringLiteral("slowStop")).toBool(), true);
    }

    void optionOnTakesTheNameWhereThePointerRests()
    {
        SlowStopFixture f;
        f.fill(3, 12);
        f.page(3).presetCount.setText(QStringLiteral("2"));
        f.page(3).drawnCount.setText(QStringLiteral("0"));
        f.controller.open(3);
        QVERIFY(f.rollTo(60));
        f.random.picks.enqueue(360 * 12 + 5 * 360 + 100); // a lap and five sectors further: sector 7
        f.controller.startStop();
        QVERIFY(f.context.session->progress().isRolling());
        QVERIFY(f.controller.isRunningOut());
        QCOMPARE(f.startStop.text(), QStringLiteral("停止中…"));
        QCOMPARE(f.page(3).results.count(), 0);
        // Presses during the run-out change nothing.
        f.timer.fire(3);
        f.controller.startStop();
        QVERIFY(f.controller.isRunningOut());
        QCOMPARE(f.page(3).results.count(), 0);
        const int ticks = f.runOut();
        QVERIFY(ticks > 10);
        QVERIFY(!f.context.session->progress().isRolling());
        QVERIFY(!f.timer.isEnabled());
        QCOMPARE(f.nameBox.text(), QStringLiteral("07_c7"));
        QCOMPARE(f.page(3).results.items(), names({ "c7" }));
        QCOMPARE(f.currentDraw.items(), names({ "c7" }));
        QCOMPARE(f.page(3).candidates.count(), 11);
        QCOMPARE(f.page(3).candidateCounter.text(), QStringLiteral("11"));
        QCOMPARE(f.drawnBox.text(), QStringLiteral("1"));
        QCOMPARE(f.startStop.text(), QStringLiteral("开始摇号"));
        const QJsonObject notes = f.lastNotes;
        QCOMPARE(notes.value(QStringLiteral("slowStop")).toBool(), true);
        QCOMPARE(notes.value(QStringLiteral("slowStopPressAngle")).toInt(), 60);
        QCOMPARE(notes.value(QStringLiteral("slowStopTurn")).toInteger(), 360 * 12 + 5 * 360 + 100);
        // Rest = press + turn, in steps of 1/12 degree.
        QCOMPARE(notes.value(QStringLiteral("steps")).toInteger(), 60 * 12 + 360 * 12 + 5 * 360 + 100);
        QCOMPARE(notes.value(QStringLiteral("sector")).toInt(), 7);

        // The next draw rolls again with ticks of the rolling speed, and ends the opening at the preset.
        f.controller.startStop();
        QVERIFY(f.context.session->progress().isRolling());
        QVERIFY(f.rollTo(75));
        f.random.picks.enqueue(360 * 11);
        f.controller.startStop();
        f.runOut();
        QCOMPARE(f.page(3).results.count(), 2);
        QCOMPARE(f.messages.lastText(), QStringLiteral("预设定摇取个数已摇完毕。"));
        QVERIFY(!f.window.isOpen());
    }

    void closingDuringTheRunOutTakesNoName()
    {
        SlowStopFixture f;
        f.fill(3, 12);
        f.page(3).presetCount.setText(QStringLiteral("2"));
        f.page(3).drawnCount.setText(QStringLiteral("0"));
        f.controller.open(3);
        QVERIFY(f.rollTo(90));
        f.controller.startStop();
        f.timer.fire(5);
        f.controller.close();
        QVERIFY(!f.controller.isRunningOut());
        QVERIFY(!f.context.session->progress().isRolling());
        QVERIFY(!f.timer.isEnabled());
        f.timer.fire(500);
        QCOMPARE(f.page(3).results.count(), 0);
        QCOMPARE(f.page(3).candidates.count(), 12);
        QCOMPARE(f.page(3).drawnCount.text(), QStringLiteral("0"));
        QCOMPARE(f.startStop.text(), QStringLiteral("开始摇号"));
    }

    // A stop before any sector was shown is ignored, with the option on as without it.
    void earlyStopIsIgnored()
    {
        SlowStopFixture f;
        f.fill(3, 3);
        f.speedBox.setText(QStringLiteral("10"));
        f.page(3).presetCount.setText(QStringLiteral("1"));
        f.page(3).drawnCount.setText(QStringLiteral("0"));
        f.controller.open(3);
        f.timer.fire(2);
        f.controller.startStop();
        QVERIFY(!f.controller.isRunningOut());
        QVERIFY(f.context.session->progress().isRolling());
        QCOMPARE(f.page(3).results.count(), 0);
    }

    void slowSpeedsAreRefusedWithTheOptionOn_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<bool>("starts");
        QTest::newRow("on, 9") << true << QStringLiteral("9") << false;
        QTest::newRow("on, 1") << true << QStringLiteral("1") << false;
        QTest::newRow("on, 10") << true << QStringLiteral("10") << true;
        QTest::newRow("on, 360") << true << QStringLiteral("360") << true;
        QTest::newRow("off, 1") << false << QStringLiteral("1") << true;
    }
    void slowSpeedsAreRefusedWithTheOptionOn()
    {
        QFETCH(bool, on);
        QFETCH(QString, speed);
        QFETCH(bool, starts);
        SlowStopFixture f;
        f.option.checked = on;
        f.fill(3, 5);
        f.speedBox.setText(speed);
        f.page(3).presetCount.setText(QStringLiteral("1"));
        f.page(3).drawnCount.setText(QStringLiteral("0"));
        f.controller.open(3);
        QCOMPARE(f.context.session->progress().isRolling(), starts);
        if (!starts)
            QCOMPARE(f.messages.lastText(), QStringLiteral("开启随机缓停时转速不能低于10。"));
    }

    // The start's own notices come first: an empty list and an unreadable speed keep their words.
    void startNoticesComeFirst()
    {
        SlowStopFixture f;
        f.fill(3, 2);
        f.speedBox.setText(QStringLiteral("abc"));
        f.page(3).presetCount.setText(QStringLiteral("1"));
        f.page(3).drawnCount.setText(QStringLiteral("0"));
        f.controller.open(3);
        QCOMPARE(f.messages.lastText(), QStringLiteral("转速必须是1到360之间的整数。"));
    }
};

QTEST_GUILESS_MAIN(SlowStopTest)
#include "test_slow_stop.moc"
