#pragma once

#include "model/TaskRecord.h"

#include <QList>

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

    // The four input lists as they stand: the results of 组长, 副组长, 成员, and of categories one after another.
    static TaskLists inputLists(const Session& session, const QList<Category>& categories);

private:
    AppContext& m_context;
};

} // namespace pelorin
