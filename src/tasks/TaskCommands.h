#pragma once

#include "model/TaskRecord.h"
#include "tasks/AvoidanceList.h"

#include <QList>
#include <QStringList>

namespace pelorin {

struct AppContext;
class Session;

// The inspection task assignment (检查任务分配) as the user's command: from the drawn names of the session to
// the groups and their enterprises, kept and recorded so that anyone can recompute them.
class TaskCommands
{
public:
    explicit TaskCommands(AppContext& context);

    // The drawn 组长, 副组长 and 成员 and the drawn enterprises of categories (each 3 to 6, taken in category
    // order, each in drawn order), assigned by the README's algorithm under settings, nobody sent to an
    // enterprise of an avoidance pair of theirs. The seed follows from the 见证摇号 completed in this run, when
    // there is one; else it is fresh. When no assignment exists the message says why and nothing changes.
    // True when the assignment was made and kept.
    bool assign(const TaskSettings& settings, QList<Category> categories, const QList<Avoidance>& avoidances);
    // assign with the imported 回避 list followed by the typed pairs (parseTypedAvoidances); a typed line that is
    // no pair is told and nothing changes.
    bool assignWith(const TaskSettings& settings, const QList<Category>& categories, const QString& typedPairs);

    // 导入回避名单: column A the inspector, column B the enterprise, from row 2, read and refused as the
    // candidate import reads them. The list read replaces the one before; nothing changes when cancelled or
    // refused. True when a list was read.
    bool importAvoidances();
    void clearAvoidances() { m_imported = {}; }
    const AvoidanceList& importedAvoidances() const { return m_imported; }

    // 复制: the task table of the last assignment on the clipboard, tab-separated rows.
    void copyTasks();
    // 导出: the task table of the last assignment in 检查任务分配表_<stamp>.xlsx, made from the template
    // tasks.xlsx (or .xls), where the exports go; then opened.
    void exportTasks();

    // The task table: the heading row (组别, 组长, 副组长, 成员, 检查企业), then a row a group; names within a cell
    // joined by "、".
    static QList<QStringList> tableOf(const TaskAssignment& assignment);
    // The rows of table, each cell's tabs and line breaks turned to spaces, cells joined by tabs, each row ended
    // by CR LF.
    static QString clipboardTextOf(const QList<QStringList>& table);

    // The four input lists as they stand: the results of 组长, 副组长, 成员, and of categories one after another.
    static TaskLists inputLists(const Session& session, const QList<Category>& categories);

private:
    // The last assignment, or nullopt after telling the user there is none yet.
    const KeptAssignment* lastOrTell();

    AppContext& m_context;
    AvoidanceList m_imported;
};

} // namespace pelorin
