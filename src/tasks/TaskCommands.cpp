#include "tasks/TaskCommands.h"

#include "commands/AppContext.h"
#include "model/IRandom.h"
#include "model/ListFingerprint.h"
#include "model/SeededStream.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IMessageBox.h"
#include "platform/ISeedSource.h"
#include "record/RecordFormat.h"

#include <QJsonDocument>

#include <algorithm>

namespace pelorin {

namespace {

constexpr Category FirstEnterprises = 3;
constexpr Category LastEnterprises = 6;

} // namespace

TaskCommands::TaskCommands(AppContext& context)
    : m_context(context)
{
}

TaskLists TaskCommands::inputLists(const Session& session, const QList<Category>& categories)
{
    TaskLists lists { session.names(0, ListKind::Results),
                      session.names(1, ListKind::Results),
                      session.names(2, ListKind::Results),
                      {} };
    for (const Category c : categories)
        lists[3] += session.names(c, ListKind::Results);
    return lists;
}

bool TaskCommands::assign(const TaskSettings& settings, QList<Category> categories, const QList<Avoidance>& avoidances)
{
    Session& session = *m_context.session;
    IMessageBox& messages = *m_context.services.messageBox;
    const auto refuse = [&messages](const QString& text) {
        messages.information(text, text::windowCaption());
        return false;
    };
    // An assignment in the middle of a draw would cut a 见证摇号 short.
    if (session.progress().isOpen())
        return refuse(QStringLiteral("请先关闭摇号窗口，再分配检查任务。"));
    std::sort(categories.begin(), categories.end());
    categories.erase(std::unique(categories.begin(), categories.end()), categories.end());
    if (std::any_of(categories.begin(), categories.end(),
                    [](Category c) { return c < FirstEnterprises || c > LastEnterprises; }))
        return refuse(QStringLiteral("检查的企业只能来自重点企业、一般企业、其它企业和摇号名单。"));
    for (const Avoidance& pair : avoidances)
        if (!isValidUnicode(pair.inspector) || !isValidUnicode(pair.enterprise))
            return refuse(QStringLiteral("回避名单中有不是有效文字的名称（如不成对的代理项），请改正后再分配。"));

    const TaskLists lists = inputLists(session, categories);
    TaskInput input { lists[0], lists[1], lists[2], lists[3], avoidances, settings };
    KeptAssignment kept;
    kept.settings = settings;
    kept.categories = categories;
    kept.avoidances = avoidances;
    for (std::size_t i = 0; i < lists.size(); ++i)
        kept.fingerprints[i] = listFingerprint(lists[i]);
    if (const std::optional<ShuffleSeed>& witnessed = session.progress().completedCeremonySeed()) {
        kept.seed = taskSeedAfterWitness(*witnessed);
        kept.afterWitness = true;
    } else if (ISeedSource* seeds = m_context.services.seeds) {
        kept.seed = seeds->newSeed();
    } else {
        for (std::uint8_t& byte : kept.seed.bytes)
            byte = static_cast<std::uint8_t>(m_context.services.random->between(0, 255));
    }
    SeededStream stream(kept.seed);
    kept.result = assignTasks(input, stream);
    if (!kept.result.ok())
        return refuse(QStringLiteral("无法分配检查任务：") + kept.result.error);

    // Its line of the draw record holds the pairs and the groups; a line longer than the record allows would
    // leave a record no verifier reads.
    constexpr qint64 Room = 64 * 1024; // for the line's other keys and the escapes of its names
    if (QJsonDocument(assignmentDetails(kept)).toJson(QJsonDocument::Compact).size() > record::MaxLineBytes - Room)
        return refuse(QStringLiteral("回避名单和分组太长，写不进摇号记录的一行（不能超过16 MiB），请减少回避名单。"));

    Session::Command command(session, QStringLiteral("assign"), -1);
    session.assign(kept);
    return true;
}

} // namespace pelorin
