// An inspection task assignment (检查任务分配) in a record: its inputs are the results as they stand at its line,
// its seed the one recorded (or the one a completed 见证摇号 gives), and every group is recomputed.
#include "model/ListFingerprint.h"
#include "model/NameText.h"
#include "model/Session.h"
#include "model/TaskRecord.h"
#include "record/RecordFormat.h"
#include "record/RecordReplay.h"

#include <QJsonArray>

namespace pelorin::record {

namespace {

const std::array<QString, 4> ListWords
    = { QStringLiteral("组长"), QStringLiteral("副组长"), QStringLiteral("成员"), QStringLiteral("企业") };

QString shownNames(const QStringList& names)
{
    QStringList shown;
    for (const QString& name : names)
        shown.append(withInvisibleShown(name));
    return shown.isEmpty() ? QStringLiteral("（无）") : shown.join(QStringLiteral("、"));
}

QString roleWord(InspectorRole role)
{
    return ListWords[static_cast<std::size_t>(role)];
}

} // namespace

QString taskGroupText(const TaskGroup& group, int number)
{
    QString text = QStringLiteral("第%1组：组长 %2").arg(number).arg(withInvisibleShown(group.leader));
    if (!group.deputy.isEmpty())
        text += QStringLiteral("；副组长 ") + withInvisibleShown(group.deputy);
    return text + QStringLiteral("；成员 ") + shownNames(group.members) + QStringLiteral("；企业 ")
        + shownNames(group.enterprises);
}

QString spareText(const QList<SpareInspector>& spare)
{
    QStringList shown;
    for (const SpareInspector& x : spare)
        shown.append(roleWord(x.role) + QLatin1Char(' ') + withInvisibleShown(x.name)
                     + (x.avoidsEveryEnterprise ? QStringLiteral("（须回避全部企业）") : QString()));
    return shown.join(QStringLiteral("、"));
}

QString assignmentSettingsText(const AssignedTasks& tasks)
{
    const TaskSettings& s = tasks.settings;
    QStringList categories;
    for (const Category c : tasks.categories)
        categories.append(categoryName(c));
    return QStringLiteral("每组成员 %1 名，%2副组长，%3；企业：%4；回避 %5 对")
        .arg(s.membersPerGroup)
        .arg(s.withDeputy ? QStringLiteral("有") : QStringLiteral("无"),
             s.shareOut == TaskSettings::ShareOut::Even ? QStringLiteral("企业平均分给各组")
                                                        : QStringLiteral("每组 %1 家企业").arg(s.enterprisesPerGroup),
             categories.isEmpty() ? QStringLiteral("（无）") : categories.join(QStringLiteral("、")))
        .arg(tasks.avoidances);
}

bool RecordReplay::assign(const Event& event, QString& reason)
{
    const QJsonObject& d = event.details;
    if (m_version < 2 || event.category != -1) {
        reason = QStringLiteral("检查任务分配只见于第2版格式的记录，且不属于任何类别（category 为 -1）。");
        return false;
    }
    const auto malformed = [&reason](const QString& what) {
        reason
            = QStringLiteral("检查任务分配记下的内容（details）不完整、多余或写法无效：") + what + QStringLiteral("。");
        return false;
    };
    if (!hasExactly(d,
                    { "afterWitness", "avoidances", "avoidancesFingerprint", "categories", "enterprisesPerGroup",
                      "fingerprints", "formations", "groups", "membersPerGroup", "seed", "shareOut", "spare",
                      "unmatched", "withDeputy" }))
        return malformed(QStringLiteral("键不对"));
    const std::optional<KeptAssignment> kept = assignmentFromDetails(d);
    if (!kept || !isHex64(d.value(tasknotes::Seed).toString())
        || !isHex64(d.value(tasknotes::AvoidancesFingerprint).toString()))
        return malformed(QStringLiteral("种子、设置、回避对或分组的写法"));
    const std::optional<qint64> members = wholeNumber(d.value(tasknotes::MembersPerGroup));
    const std::optional<qint64> perGroup = wholeNumber(d.value(tasknotes::EnterprisesPerGroup));
    const bool even = kept->settings.shareOut == TaskSettings::ShareOut::Even;
    if (!members || *members < 1 || *members > MaxListNames || !perGroup || (even ? *perGroup != 0 : *perGroup < 1)
        || *perGroup > MaxListNames)
        return malformed(QStringLiteral("每组成员数应为1到32767，平均分配时每组企业数为0，固定分配时为1到32767"));
    const QJsonArray categories = d.value(tasknotes::Categories).toArray();
    qint64 before = 2;
    for (const QJsonValue& value : categories) {
        const std::optional<qint64> c = wholeNumber(value);
        if (!c || *c <= before || *c > 6)
            return malformed(QStringLiteral("企业的类别应是3到6之间、由小到大、不重复的数"));
        before = *c;
    }
    for (const Avoidance& pair : kept->avoidances)
        if (!isValidUnicode(pair.inspector) || !isValidUnicode(pair.enterprise))
            return malformed(QStringLiteral("回避对中有不是有效Unicode文字的名称"));

    if (kept->afterWitness && (!m_completedSeed || kept->seed != taskSeedAfterWitness(*m_completedSeed))) {
        reason = m_completedSeed ? QStringLiteral("检查任务分配记为由见证摇号的种子而来，种子应为 %1。")
                                       .arg(taskSeedAfterWitness(*m_completedSeed).hex())
                                 : QStringLiteral("检查任务分配记为由见证摇号的种子而来，此前却没有完成的见证摇号。");
        return false;
    }
    TaskLists lists { list(0, ListKind::Results), list(1, ListKind::Results), list(2, ListKind::Results), {} };
    for (const Category c : kept->categories)
        lists[3] += list(c, ListKind::Results);
    for (std::size_t i = 0; i < lists.size(); ++i)
        if (kept->fingerprints[i] != listFingerprint(lists[i])) {
            reason = QStringLiteral("检查任务分配记下的%1名单指纹与此时%1的摇出结果（%2 个）不符。")
                         .arg(ListWords[i])
                         .arg(lists[i].size());
            return false;
        }
    if (d.value(tasknotes::AvoidancesFingerprint).toString() != avoidancesFingerprint(kept->avoidances)) {
        reason = QStringLiteral("回避名单的指纹与记下的 %1 对回避不符。").arg(kept->avoidances.size());
        return false;
    }

    const TaskInput input { lists[0], lists[1], lists[2], lists[3], kept->avoidances, kept->settings };
    SeededStream stream(kept->seed);
    KeptAssignment again = *kept;
    again.result = assignTasks(input, stream);
    if (!again.result.ok()) {
        reason = QStringLiteral("按记下的种子、设置和回避名单重新分配，得不到分配：") + again.result.error;
        return false;
    }
    const QList<TaskGroup>& recorded = kept->result.groups;
    const QList<TaskGroup>& computed = again.result.groups;
    for (qsizetype g = 0; g < std::max(recorded.size(), computed.size()); ++g)
        if (g >= recorded.size() || g >= computed.size() || !(recorded[g] == computed[g])) {
            reason = g < computed.size() ? QStringLiteral("检查任务分配的第%1组与重新算出的不符，应为：").arg(g + 1)
                    + taskGroupText(computed[g], int(g) + 1) + QStringLiteral("。")
                                         : QStringLiteral("检查任务分配记下 %1 个组，重新算出的只有 %2 个。")
                                               .arg(recorded.size())
                                               .arg(computed.size());
            return false;
        }
    if (kept->result.spare != again.result.spare || kept->result.unmatched != again.result.unmatched
        || kept->result.formations != again.result.formations || assignmentDetails(again) != d) {
        reason
            = QStringLiteral("检查任务分配记下的未派人员、未匹配的回避对或分组次数与重新算出的不符（应试 %1 种分组）。")
                  .arg(again.result.formations);
        return false;
    }

    AssignedTasks done;
    done.time = event.localTime;
    done.seed = kept->seed.hex();
    done.afterWitness = kept->afterWitness;
    done.settings = kept->settings;
    done.categories = kept->categories;
    done.avoidances = static_cast<int>(kept->avoidances.size());
    done.avoidancesFingerprint = avoidancesFingerprint(kept->avoidances);
    done.groups = again.result.groups;
    done.spare = again.result.spare;
    done.unmatched = again.result.unmatched;
    done.formations = again.result.formations;
    m_summary.assignments.push_back(done);
    return true;
}

} // namespace pelorin::record
