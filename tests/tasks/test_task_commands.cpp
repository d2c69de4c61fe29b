#include "commands/AppContext.h"
#include "fakes/CountingSeeds.h"
#include "fakes/FakeClock.h"
#include "model/Session.h"
#include "platform/qt/SqlJournal.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "session/SessionKeeper.h"
#include "tasks/TaskCommands.h"

#include <QJsonArray>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

namespace {

// The session, its journal and the fakes a command needs.
struct Desk
{
    explicit Desk(IJournal* journal = nullptr)
        : keeper(session, journal, &clock, {})
    {
        context.session = &session;
        context.services.messageBox = &messages;
        context.services.seeds = &seeds;
    }

    // Names drawn into category c's results, as the stops leave them.
    void drawn(Category c, const QStringList& names) { session.appendNames(c, ListKind::Results, names); }

    void drawAll()
    {
        drawn(0, { "甲", "乙" });
        drawn(2, { "丙", "丁", "戊", "己" });
        drawn(3, { "一号公司", "二号公司", "三号公司" });
        drawn(5, { "四号公司" });
    }

    Session session;
    FakeClock clock;
    CountingSeeds seeds;
    ScriptedMessageBox messages;
    AppContext context;
    SessionKeeper keeper;
    TaskCommands tasks { context };
};

TaskSettings twoMembers()
{
    TaskSettings settings;
    settings.membersPerGroup = 2;
    return settings;
}

} // namespace

class TaskCommandsTest : public QObject
{
    Q_OBJECT
private slots:
    // The drawn inspectors and the drawn enterprises of the ticked categories, in category then drawn order; one
    // command that changes no list and notes what a verifier needs.
    void assignsTheDrawnNames()
    {
        Desk d;
        d.drawAll();
        const std::size_t before = d.keeper.commands().size();
        QVERIFY(d.tasks.assign(twoMembers(), { 5, 3, 5 }, { { "甲", "二号公司" }, { "无此人", "一号公司" } }));
        QVERIFY(d.messages.shown.isEmpty());
        QCOMPARE(d.keeper.commands().size(), before + 1);
        const SessionChange change = d.keeper.commands().back();
        QCOMPARE(change.kind, "assign");
        QCOMPARE(change.category, -1);
        QVERIFY(change.lists.empty());
        QCOMPARE(change.details.value("seed").toString(), d.seeds.given.last().hex());
        QCOMPARE(change.details.value("afterWitness"), QJsonValue(false));
        QCOMPARE(change.details.value("categories").toArray(), QJsonArray({ 3, 5 }));
        QCOMPARE(change.details.value("unmatched").toArray(), QJsonArray({ QJsonArray { "无此人", "一号公司" } }));

        const std::optional<KeptAssignment>& kept = d.session.lastAssignment();
        QVERIFY(kept);
        QCOMPARE(kept->result.groups.size(), 2);
        QStringList everyEnterprise;
        for (const TaskGroup& group : kept->result.groups) {
            QCOMPARE(group.members.size(), 2);
            QVERIFY(group.leader != "甲" || !group.enterprises.contains("二号公司"));
            everyEnterprise += group.enterprises;
        }
        everyEnterprise.sort();
        QCOMPARE(everyEnterprise, QStringList({ "一号公司", "三号公司", "二号公司", "四号公司" }));
        QCOMPARE(d.session.count(3, ListKind::Results), 3); // the draw's lists stay as they were
    }

    // No assignment under the rules, enterprises of a list that is no enterprises', or an open draw window: the
    // message, no command, the last assignment kept.
    void anImpossibleAssignmentChangesNothing()
    {
        Desk d;
        d.drawAll();
        QVERIFY(d.tasks.assign(twoMembers(), { 3 }, {}));
        const QJsonObject first = assignmentDetails(*d.session.lastAssignment());
        const std::size_t before = d.keeper.commands().size();

        QVERIFY(!d.tasks.assign(twoMembers(), { 3 }, { { "甲", "一号公司" }, { "乙", "一号公司" } }));
        QCOMPARE(d.messages.lastText(), "无法分配检查任务：企业“一号公司”：所有组长都须回避。");
        QVERIFY(!d.tasks.assign(twoMembers(), { 2 }, {}));
        QVERIFY(d.messages.lastText().startsWith("检查的企业只能来自"));
        d.session.progress().open();
        QVERIFY(!d.tasks.assign(twoMembers(), { 3 }, {}));
        QCOMPARE(d.messages.lastText(), "请先关闭摇号窗口，再分配检查任务。");
        d.session.progress().close();

        QCOMPARE(d.messages.shown.size(), 3);
        QCOMPARE(d.keeper.commands().size(), before);
        QCOMPARE(assignmentDetails(*d.session.lastAssignment()), first);
    }

    // The journal keeps the assignment, which changed no list, and a restore brings it back with its record line.
    void theJournalRestoresTheAssignment()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("session.sqlite");
        QJsonObject assigned;
        {
            SqlJournal::Opened opened = SqlJournal::open(path);
            QVERIFY(opened.journal);
            Desk d(opened.journal.get());
            d.drawAll();
            TaskSettings settings = twoMembers();
            settings.shareOut = TaskSettings::ShareOut::PerGroup;
            settings.enterprisesPerGroup = 3;
            QVERIFY(d.tasks.assign(settings, { 3, 5 }, { { "丙", "四号公司" } }));
            assigned = assignmentDetails(*d.session.lastAssignment());
            // Cut short here: the session never ends.
        }
        SqlJournal::Opened reopened = SqlJournal::open(path);
        QVERIFY(reopened.journal);
        const std::optional<KeptSession> kept = reopened.journal->unfinishedSession();
        QVERIFY(kept);
        QCOMPARE(SessionKeeper::chainBreak(*kept), 0);
        Desk next(reopened.journal.get());
        QVERIFY(!next.keeper.restore(*kept));
        QVERIFY(next.session.lastAssignment());
        QCOMPARE(assignmentDetails(*next.session.lastAssignment()), assigned);
        QCOMPARE(next.session.lastAssignment()->result.groups.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TaskCommandsTest)
#include "test_task_commands.moc"
