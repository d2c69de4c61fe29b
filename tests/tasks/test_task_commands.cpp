#include "commands/AppContext.h"
#include "fakes/CountingSeeds.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeClock.h"
#include "lists/WorkbookImport.h"
#include "model/Session.h"
#include "output/WorkbookCells.h"
#include "platform/qt/SqlJournal.h"
#include "platform/scripted/ScriptedFileDialog.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "platform/scripted/ScriptedShell.h"
#include "session/SessionKeeper.h"
#include "tasks/TaskCommands.h"
#include "workbook/Spreadsheet.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
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
        context.services.fileDialog = &files;
        context.services.clipboard = &clipboard;
        context.services.shell = &shell;
        context.services.clock = &clock;
        context.services.spreadsheet = &spreadsheet;
        context.services.programFolder = QStringLiteral(PELORIN_SOURCE_DIR "/data");
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
    ScriptedFileDialog files;
    FakeClipboard clipboard;
    ScriptedShell shell;
    workbook::Spreadsheet spreadsheet;
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

// Rows of a workbook's first sheet written by openpyxl, another program than ours; false when it is missing.
bool writtenByOpenpyxl(const QString& path, const QList<QStringList>& rows)
{
    QStringList literal;
    for (const QStringList& row : rows)
        literal.append("[\"" + row.join("\", \"") + "\"]");
    const QString script = "import openpyxl\nwb = openpyxl.Workbook()\nfor row in [" + literal.join(", ")
        + "]:\n    wb.active.append([None if c == '' else c for c in row])\nwb.save(r'" + path + "')\n";
    return QProcess::execute("/usr/bin/python3", { "-c", script }) == 0;
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

    void typedPairs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("flat"); // inspector, enterprise, …; or the error
        QTest::newRow("separators") << "甲\t一号公司\n\n 乙 ，二号公司（北京，分部）\r\n丙、三号公司\r丁,四号公司"
                                    << QStringList { "甲", "一号公司", "乙", "二号公司（北京，分部）",
                                                     "丙", "三号公司", "丁", "四号公司" };
        QTest::newRow("no separator") << "甲，一号公司\n乙 二号公司"
                                      << QStringList { "回避名单第2行没有分隔符：每行写一对，检查人员在前、企业在后，"
                                                       "中间用制表符、逗号或顿号隔开。" };
        QTest::newRow("half a pair") << "\n，一号公司" << QStringList { "回避名单第2行缺少检查人员或企业" };
    }
    // A line that is no pair refuses the whole text, by its line number.
    void typedPairs()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, flat);
        QString error;
        const std::optional<QList<Avoidance>> pairs = parseTypedAvoidances(text, &error);
        if (!pairs) {
            QVERIFY2(error.startsWith(flat.first()), qPrintable(error));
            return;
        }
        QStringList got;
        for (const Avoidance& pair : *pairs)
            got << pair.inspector << pair.enterprise;
        QCOMPARE(got, flat);
    }

    // A 回避 workbook of another program, then typed pairs: both avoided, a name of nobody drawn listed; a
    // workbook with half a pair or a typed line that is no pair changes nothing.
    void importedAndTypedAvoidances()
    {
        if (!WorkbookCells::readerAvailable())
            QSKIP("python3-openpyxl is not installed");
        QTemporaryDir dir;
        Desk d;
        d.drawAll();
        const QString good = dir.filePath("回避.xlsx");
        QVERIFY(writtenByOpenpyxl(good, { { "检查人员", "企业" }, { "甲", "一号公司" }, { "无此人", "二号公司" } }));
        d.files.chooseNext(good);
        QVERIFY(d.tasks.importAvoidances());
        QCOMPARE(d.tasks.importedAvoidances().fileName, "回避.xlsx");
        QCOMPARE(d.tasks.importedAvoidances().sha256, WorkbookImport::fingerprintOf(good).value());

        const QString half = dir.filePath("半.xlsx");
        QVERIFY(writtenByOpenpyxl(half, { { "检查人员", "企业" }, { "乙", "一号公司" }, { "丙", "" } }));
        d.files.chooseNext(half);
        QVERIFY(!d.tasks.importAvoidances());
        QCOMPARE(d.messages.lastText(),
                 "无法读取回避名单：半.xlsx\n第3行B列是空的。每行在A列写检查人员、B列写须回避的企业，"
                 "从第2行起，中间不留空行。");
        QCOMPARE(d.tasks.importedAvoidances().pairs.size(), 2);
        QVERIFY(!d.tasks.assignWith(twoMembers(), { 3 }, "乙 三号公司"));
        QVERIFY(!d.session.lastAssignment());

        QVERIFY(d.tasks.assignWith(twoMembers(), { 3 }, "丙，一号公司"));
        const KeptAssignment& kept = *d.session.lastAssignment();
        QCOMPARE(kept.avoidances,
                 QList<Avoidance>({ { "甲", "一号公司" }, { "无此人", "二号公司" }, { "丙", "一号公司" } }));
        for (const TaskGroup& group : kept.result.groups)
            QVERIFY(!group.enterprises.contains("一号公司") || (group.leader == "乙" && !group.members.contains("丙")));
        QCOMPARE(kept.result.unmatched, QList<Avoidance>({ { "无此人", "二号公司" } }));
    }

    // 复制 and 导出 show the same table; the workbook is read back by openpyxl; without a program to open it the
    // user is told where it went.
    void copiesAndExportsTheTable()
    {
        Desk d;
        d.tasks.copyTasks();
        QCOMPARE(d.messages.lastText(), "还没有分配检查任务，请先点击“分配”。");
        QCOMPARE(d.clipboard.clears, 0);
        d.drawAll();
        QVERIFY(d.tasks.assign(twoMembers(), { 3, 5 }, {}));
        const QList<QStringList> table = TaskCommands::tableOf(d.session.lastAssignment()->result);
        QCOMPARE(table.size(), 3);
        QCOMPARE(table.first(), QStringList({ "组别", "组长", "副组长", "成员", "检查企业" }));
        QCOMPARE(table.at(1).first(), "第1组");
        QCOMPARE(table.at(1).at(3).count("、"), 1);
        QCOMPARE(TaskCommands::clipboardTextOf({ { "a\tb", "c\nd" }, { "", "e" } }), "a b\tc d\r\n\te\r\n");
        d.tasks.copyTasks();
        QCOMPARE(d.clipboard.content, TaskCommands::clipboardTextOf(table));

        if (!WorkbookCells::readerAvailable())
            QSKIP("python3-openpyxl is not installed");
        QTemporaryDir dir;
        d.files.chooseNext(dir.filePath("检查任务分配表_20240305140709.xlsx"));
        d.shell.opens = false;
        d.tasks.exportTasks();
        QCOMPARE(d.files.opened.last().folder.section('/', -1), "检查任务分配表_20240305140709.xlsx");
        QCOMPARE(d.shell.opened.size(), 1);
        QVERIFY(d.messages.lastText().startsWith("检查任务分配表已导出，文件保存在：\n" + d.shell.opened.first()));
        const WorkbookCells cells = WorkbookCells::read(d.shell.opened.first());
        QVERIFY2(cells.ok, qPrintable(cells.error));
        for (int row = 0; row < table.size(); ++row)
            for (int column = 0; column < 5; ++column)
                QCOMPARE(cells.cells.value(QChar(u'A' + column) + QString::number(row + 1)), table[row][column]);
    }
};

QTEST_GUILESS_MAIN(TaskCommandsTest)
#include "test_task_commands.moc"
