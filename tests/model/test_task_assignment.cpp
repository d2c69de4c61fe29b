#include "fakes/CountingSeeds.h"
#include "model/SeededStream.h"
#include "model/TaskAssignment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <functional>

using namespace pelorin;

namespace {

TaskAssignment assigned(const TaskInput& input, int run = 0)
{
    SeededStream stream(test::numberedSeed(run));
    return assignTasks(input, stream);
}

// Whether every enterprise went to exactly one group with nobody who avoids it, every group has its
// people, and every inspector drawn is either in one group or spare.
bool holds(const TaskInput& in, const TaskAssignment& out)
{
    QSet<QPair<QString, QString>> avoided;
    for (const Avoidance& pair : in.avoidances)
        avoided.insert({ pair.inspector, pair.enterprise });
    QStringList enterprises, inspectors;
    for (const TaskGroup& group : out.groups) {
        QStringList crew = QStringList { group.leader } + group.members;
        if (in.settings.withDeputy)
            crew.append(group.deputy);
        if (group.members.size() != in.settings.membersPerGroup || group.enterprises.isEmpty())
            return false;
        for (const QString& who : crew)
            for (const QString& what : group.enterprises)
                if (avoided.contains({ who, what }))
                    return false;
        enterprises += group.enterprises;
        inspectors += crew;
    }
    for (const SpareInspector& spare : out.spare)
        inspectors.append(spare.name);
    QStringList drawn = in.leaders + in.deputies + in.members;
    QStringList given = in.enterprises;
    for (QStringList* list : { &drawn, &given, &enterprises, &inspectors })
        list->sort();
    return enterprises == given && inspectors == drawn;
}

// 100 enterprises, each of which only two of ten 组长 may check.
TaskInput twoGroupsEach()
{
    SeededStream other(test::numberedSeed(5));
    TaskInput in;
    for (int g = 0; g < 10; ++g) {
        in.leaders << QString("组长%1").arg(g);
        in.members << QString("成员%1").arg(g);
    }
    for (int e = 0; e < 100; ++e) {
        in.enterprises << QString("企业%1").arg(e);
        const int second = (e + other.between(1, 9)) % 10;
        for (int g = 0; g < 10; ++g)
            if (g != e % 10 && g != second)
                in.avoidances.append({ in.leaders[g], in.enterprises[e] });
    }
    return in;
}

QJsonObject asJson(const TaskInput& in)
{
    QJsonArray avoid;
    for (const Avoidance& pair : in.avoidances)
        avoid.append(QJsonArray { pair.inspector, pair.enterprise });
    return { { "leaders", QJsonArray::fromStringList(in.leaders) },
             { "deputies", QJsonArray::fromStringList(in.deputies) },
             { "members", QJsonArray::fromStringList(in.members) },
             { "enterprises", QJsonArray::fromStringList(in.enterprises) },
             { "avoid", avoid },
             { "m", in.settings.membersPerGroup },
             { "deputy", in.settings.withDeputy },
             { "k", in.settings.shareOut == TaskSettings::ShareOut::PerGroup ? in.settings.enterprisesPerGroup : 0 } };
}

double chiSquare(const std::vector<std::vector<int>>& counts, const std::vector<double>& expected)
{
    double chi = 0;
    for (const auto& row : counts)
        for (std::size_t c = 0; c < row.size(); ++c)
            chi += (row[c] - expected[c]) * (row[c] - expected[c]) / expected[c];
    return chi;
}

} // namespace

class TaskAssignmentTest : public QObject
{
    Q_OBJECT

private slots:
    // The README's recomputation, Python's standard library alone, forms the same groups.
    void recomputationAgrees_data()
    {
        QTest::addColumn<TaskInput>("input");
        TaskInput shared;
        shared.leaders = { "张三", "李四", "张三", "王五" };
        shared.deputies = { "赵六", "钱七", "孙八" };
        shared.members = { "周一", "吴二", "周一", "郑三", "冯四", "陈五", "褚六" };
        for (int i = 0; i < 23; ++i)
            shared.enterprises << QString("企业%1").arg(i % 19);
        shared.avoidances = { { "张三", "企业3" }, { "周一", "企业5" }, { "钱七", "企业3" }, { "无此人", "企业1" },
                              { "吴二", "企业7" }, { "郑三", "企业8" }, { "冯四", "企业8" }, { "李四", "企业9" } };
        shared.settings = { 2, true, TaskSettings::ShareOut::Even, 1 };
        QTest::newRow("duplicates and avoidances, even") << shared;
        shared.settings = { 1, false, TaskSettings::ShareOut::PerGroup, 6 };
        for (int i = 0; i < 19; ++i)
            if (i % 4 != 0)
                shared.avoidances.append({ "褚六", QString("企业%1").arg(i) });
        QTest::newRow("six per group, a 成员 avoiding most") << shared;
        TaskInput crowded;
        crowded.leaders = { "甲", "乙" };
        crowded.members = { "丙", "丁" };
        crowded.enterprises = { "一", "二", "三", "四" };
        crowded.avoidances = { { "乙", "一" }, { "乙", "二" }, { "乙", "三" } };
        QTest::newRow("three enterprises for two places") << crowded;
        QTest::newRow("chains of moves") << twoGroupsEach();
    }
    void recomputationAgrees()
    {
        QFETCH(TaskInput, input);
        const TaskAssignment result = assigned(input, 7);
        QJsonObject expected;
        if (result.ok()) {
            QJsonArray groups;
            for (const TaskGroup& group : result.groups)
                groups.append(QJsonObject { { "leader", group.leader },
                                            { "deputy", group.deputy },
                                            { "members", QJsonArray::fromStringList(group.members) },
                                            { "enterprises", QJsonArray::fromStringList(group.enterprises) } });
            expected = { { "groups", groups }, { "formations", result.formations } };
        } else {
            expected = { { "failed", result.error.section("“", 1).section("”", 0, 0) } };
        }
#ifdef Q_OS_WIN
        QSKIP("the recomputation runs the system's python3, which the Windows build of the tests has not");
#endif
        QProcess python;
        python.start("/usr/bin/python3",
                     { PELORIN_SOURCE_DIR "/tests/model/task_recompute.py", test::numberedSeed(7).hex() });
        QVERIFY(python.waitForStarted());
        python.write(QJsonDocument(asJson(input)).toJson());
        python.closeWriteChannel();
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(python.exitCode(), 0);
        QCOMPARE(QJsonDocument::fromJson(python.readAllStandardOutput()).object(), expected);
    }

    // The value Python's hashlib gives for the README's construction.
    void seedAfterWitness()
    {
        ShuffleSeed witnessed;
        for (std::size_t i = 0; i < witnessed.bytes.size(); ++i)
            witnessed.bytes[i] = static_cast<std::uint8_t>(i);
        QCOMPARE(taskSeedAfterWitness(witnessed).hex(),
                 "f7c9757cdea86d77e4643106a72b9a664d3cfc7ecb263af7b37606e44dc62a17");
    }

    // Small random cases, names repeated: whatever is assigned keeps everybody from what they avoid.
    void neverSendsAnyoneToWhatTheyAvoid()
    {
        SeededStream cases(test::numberedSeed(99));
        int found = 0;
        for (int run = 0; run < 300; ++run) {
            TaskInput in;
            for (int i = cases.between(1, 3); i > 0; --i)
                in.leaders << QString("组长%1").arg(cases.between(0, 2));
            for (int i = cases.between(1, 4); i > 0; --i)
                in.members << QString("成员%1").arg(cases.between(0, 2));
            in.deputies = in.members.mid(0, cases.between(0, 2));
            in.settings = { 1, cases.between(0, 1) == 1, TaskSettings::ShareOut(cases.between(0, 1)), 2 };
            for (int i = cases.between(1, 6); i > 0; --i)
                in.enterprises << QString("企业%1").arg(cases.between(0, 4));
            for (int i = cases.between(0, 8); i > 0; --i)
                in.avoidances.append({ cases.between(0, 1) ? QString("组长%1").arg(cases.between(0, 3))
                                                           : QString("成员%1").arg(cases.between(0, 3)),
                                       QString("企业%1").arg(cases.between(0, 5)) });
            const TaskAssignment out = assigned(in, run);
            QVERIFY(out.ok() ? holds(in, out) : out.groups.isEmpty() && out.spare.isEmpty());
            found += out.ok();
        }
        QVERIFY(found > 60 && found < 240); // both outcomes well represented
    }

    // The only assignment there is: each 组长 and 成员 avoids the enterprises but one (formations are tried
    // until one fits); and one formation whose matching needs enterprises moved along chains.
    void findsTheAssignmentThereIs()
    {
        TaskInput in;
        in.leaders = { "甲", "乙", "丙" };
        in.members = { "子", "丑", "寅" };
        in.enterprises = { "一", "二", "三" };
        for (int e = 0; e < 3; ++e)
            for (int i = 0; i < 3; ++i)
                if (i != e)
                    in.avoidances += { { in.leaders[i], in.enterprises[e] }, { in.members[i], in.enterprises[e] } };
        for (int run = 0; run < 20; ++run)
            for (const TaskGroup& group : assigned(in, run).groups) {
                const int i = int(in.leaders.indexOf(group.leader));
                QVERIFY(group.members == QStringList { in.members[i] });
                QVERIFY(group.enterprises == QStringList { in.enterprises[i] });
            }
        QCOMPARE(assigned(in).groups.size(), 3);
        const TaskAssignment chains = assigned(twoGroupsEach());
        QVERIFY(holds(twoGroupsEach(), chains));
        QCOMPARE(chains.formations, 1);
    }

    void setAsideAndSpare()
    {
        TaskInput in;
        in.leaders = { "甲", "乙" };
        in.deputies = { "丙" };
        in.members = { "丁", "戊", "己" };
        in.enterprises = { "一", "二", "一" };
        in.avoidances = { { "甲", "一" }, { "甲", "二" }, { "丁", "无此企业" }, { "无此人", "一" } };
        in.settings.membersPerGroup = 2;
        const TaskAssignment out = assigned(in);
        QVERIFY(out.ok());
        QCOMPARE(out.groups.size(), 1); // one group: 甲 avoids everything, one 成员 is too few for a second
        QCOMPARE(out.groups[0].leader, "乙");
        QCOMPARE(out.groups[0].enterprises, in.enterprises);
        QCOMPARE(out.spare.size(), 3); // and one 成员
        QCOMPARE(
            out.spare.mid(0, 2),
            (QList<SpareInspector> { { InspectorRole::Leader, "甲", true }, { InspectorRole::Deputy, "丙", false } }));
        QCOMPARE(out.unmatched, (QList<Avoidance> { { "丁", "无此企业" }, { "无此人", "一" } }));
        QCOMPARE(out.formations, 1);
    }

    void impossibleCasesSayWhy_data()
    {
        QTest::addColumn<TaskInput>("input");
        QTest::addColumn<QString>("message");
        TaskInput base;
        base.leaders = { "甲", "乙" };
        base.members = { "子", "丑" };
        base.enterprises = { "一", "二", "三", "四" };
        TaskInput in = base;
        in.enterprises.clear();
        QTest::newRow("no enterprise") << in << "没有要分配的企业。";
        in = base;
        for (const QString& e : in.enterprises)
            in.avoidances += { { "甲", e }, { "乙", e } };
        QTest::newRow("every 组长 avoids everything") << in << "没有可派的组长（2名须回避全部企业）。";
        in = base;
        in.settings.membersPerGroup = 3;
        QTest::newRow("too few 成员") << in << "可派的成员不足3名。";
        in = base;
        in.settings.shareOut = TaskSettings::ShareOut::PerGroup;
        QTest::newRow("one per group") << in << "企业共4家，每组1家需要4个检查组，但可派的组长只有2名。";
        in.settings.enterprisesPerGroup = 2;
        in.settings.membersPerGroup = 2;
        QTest::newRow("two per group, 成员") << in << "企业共4家，每组2家需要2个检查组、4名成员，但可派的成员只有2名。";
        in = base;
        in.leaders = { "张三", "张三" }; // two people of one name: the pair applies to both
        in.avoidances = { { "张三", "三" } };
        QTest::newRow("duplicate 组长") << in << "企业“三”：所有组长都须回避。";
        in = base;
        in.avoidances = { { "子", "二" } };
        in.settings.membersPerGroup = 2;
        QTest::newRow("成员 for one group") << in << "企业“二”：不须回避的成员只有1名，每组需要2名。";
        in = base;
        in.members = { "子" };
        in.avoidances = { { "甲", "一" }, { "乙", "二" } }; // one group, whichever 组长 avoids something
        QTest::newRow("one group") << in << "：每个检查组都有须回避的人员（已试100种分组）。";
        in = base;
        in.avoidances = { { "乙", "一" }, { "乙", "二" }, { "乙", "三" } };
        QTest::newRow("three for two places")
            << in << "：只能由组长为甲的1个组检查，这些组的2个名额已被同样只能去这些组的企业占满（已试100种分组）。";
    }
    void impossibleCasesSayWhy()
    {
        QFETCH(TaskInput, input);
        QFETCH(QString, message);
        const TaskAssignment out = assigned(input);
        QVERIFY2(out.error.endsWith(message), qPrintable(out.error));
        QVERIFY(out.groups.isEmpty() && out.spare.isEmpty() && out.unmatched.isEmpty());
    }

    // Without avoidances every enterprise goes with every 组长 equally often, places unequal or not, to
    // every group as often as its places say, and every 成员 goes with every 副组长 (or stays spare) as
    // often as chance has it.
    void uniformWithoutAvoidances()
    {
        TaskInput in;
        in.leaders = { "0", "1", "2", "3" };
        in.deputies = { "0", "1", "2" };
        in.members = { "0", "1", "2", "3", "4", "5", "6" };
        in.enterprises = { "0", "1", "2", "3", "4", "5", "6" };
        in.settings = { 2, true, TaskSettings::ShareOut::Even, 1 }; // 3 groups of 3, 2 and 2
        std::vector<std::vector<int>> withLeader(7, std::vector<int>(4)), withDeputy(7, std::vector<int>(4)),
            inGroup(7, std::vector<int>(3));
        SeededStream stream(test::numberedSeed(3));
        const int runs = 7000;
        for (int run = 0; run < runs; ++run) {
            const TaskAssignment out = assignTasks(in, stream);
            QCOMPARE(out.groups.size(), 3);
            std::vector<int> sent(7, 3); // column 3: spare
            for (std::size_t g = 0; g < 3; ++g) {
                const TaskGroup& group = out.groups[qsizetype(g)];
                for (const QString& e : group.enterprises) {
                    ++withLeader[std::size_t(e.toInt())][std::size_t(group.leader.toInt())];
                    ++inGroup[std::size_t(e.toInt())][g];
                }
                for (const QString& member : group.members)
                    sent[std::size_t(member.toInt())] = group.deputy.toInt();
            }
            for (std::size_t i = 0; i < 7; ++i)
                ++withDeputy[i][std::size_t(sent[i])];
        }
        // 21 degrees of freedom each, p = 0.001.
        const double leaders = chiSquare(withLeader, std::vector<double>(4, runs / 4.0));
        QVERIFY2(leaders < 46.8, qPrintable(QString::number(leaders)));
        const double deputies = chiSquare(withDeputy, { runs * 2 / 7.0, runs * 2 / 7.0, runs * 2 / 7.0, runs / 7.0 });
        QVERIFY2(deputies < 46.8, qPrintable(QString::number(deputies)));
        const double groups = chiSquare(inGroup, { runs * 3 / 7.0, runs * 2 / 7.0, runs * 2 / 7.0 });
        QVERIFY2(groups < 36.1, qPrintable(QString::number(groups))); // 14 degrees of freedom
    }
};

QTEST_GUILESS_MAIN(TaskAssignmentTest)
#include "test_task_assignment.moc"
