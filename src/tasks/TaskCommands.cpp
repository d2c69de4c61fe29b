#include "tasks/TaskCommands.h"

#include "commands/AppContext.h"
#include "lists/ImportPaths.h"
#include "lists/WorkbookImport.h"
#include "model/IRandom.h"
#include "model/ListFingerprint.h"
#include "model/SeededStream.h"
#include "model/Session.h"
#include "output/WorkbookExport.h"
#include "platform/AppText.h"
#include "platform/IClipboard.h"
#include "platform/IClock.h"
#include "platform/IMessageBox.h"
#include "platform/ISeedSource.h"
#include "record/RecordFormat.h"

#include <QJsonDocument>
#include <QRegularExpression>

#include <algorithm>

namespace pelorin {

namespace {

constexpr Category FirstEnterprises = 3;
constexpr Category LastEnterprises = 6;

void tell(AppContext& context, const QString& text)
{
    context.services.messageBox->information(text, text::windowCaption());
}

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

bool TaskCommands::assignWith(const TaskSettings& settings, const QList<Category>& categories,
                              const QString& typedPairs)
{
    QString error;
    const std::optional<QList<Avoidance>> typed = parseTypedAvoidances(typedPairs, &error);
    if (!typed) {
        tell(m_context, error);
        return false;
    }
    return assign(settings, categories, m_imported.pairs + *typed);
}

bool TaskCommands::importAvoidances()
{
    WorkbookImport import(m_context);
    const std::optional<WorkbookImport::Columns> read = import.chooseColumns({ u'A', u'B' });
    if (!read)
        return false;
    const QStringList& inspectors = read->columns.at(0);
    const QStringList& enterprises = read->columns.at(1);
    const QString heading = QStringLiteral("无法读取回避名单：") + read->fileName + QLatin1Char('\n');
    // Each column ends at its first empty cell: where they end apart, a row holds only half a pair.
    if (inspectors.size() != enterprises.size()) {
        const qsizetype row = std::min(inspectors.size(), enterprises.size()) + WorkbookImport::FirstRow;
        tell(m_context,
             heading
                 + QStringLiteral("第%1行%2是空的。每行在A列写检查人员、B列写须回避的企业，从第2行起，中间不留空行。")
                       .arg(row)
                       .arg(inspectors.size() < enterprises.size() ? QStringLiteral("A列") : QStringLiteral("B列")));
        return false;
    }
    if (inspectors.isEmpty()) {
        tell(m_context, heading + QStringLiteral("第2行起没有回避名单（A列检查人员，B列企业）。"));
        return false;
    }
    AvoidanceList list { {}, read->fileName, read->sha256 };
    for (qsizetype i = 0; i < inspectors.size(); ++i)
        list.pairs.append({ inspectors.at(i), enterprises.at(i) });
    m_imported = std::move(list);
    return true;
}

const KeptAssignment* TaskCommands::lastOrTell()
{
    const std::optional<KeptAssignment>& kept = m_context.session->lastAssignment();
    if (!kept) {
        tell(m_context, QStringLiteral("还没有分配检查任务，请先点击“分配”。"));
        return nullptr;
    }
    return &*kept;
}

void TaskCommands::copyTasks()
{
    if (const KeptAssignment* kept = lastOrTell()) {
        IClipboard& clipboard = *m_context.services.clipboard;
        clipboard.clear();
        clipboard.setText(clipboardTextOf(tableOf(kept->result)));
    }
}

void TaskCommands::exportTasks()
{
    const KeptAssignment* kept = lastOrTell();
    if (!kept)
        return;
    const QList<QStringList> table = tableOf(kept->result);
    WorkbookExport::Cells cells;
    static constexpr char16_t Columns[] = u"ABCDE";
    for (qsizetype row = 0; row < table.size(); ++row)
        for (qsizetype column = 0; column < table.at(row).size(); ++column)
            if (!table.at(row).at(column).isEmpty())
                cells.emplace_back(QString(QChar(Columns[column])) + QString::number(row + 1),
                                   table.at(row).at(column));
    const QString fileName
        = QStringLiteral("检查任务分配表_%1.xlsx").arg(importpaths::stampOf(m_context.services.clock->now()));
    WorkbookExport(m_context).exportTable(fileName, QStringLiteral("tasks"), QStringLiteral("检查任务分配表"), cells);
}

QList<QStringList> TaskCommands::tableOf(const TaskAssignment& assignment)
{
    const QString joiner = QStringLiteral("、");
    QList<QStringList> table { { QStringLiteral("组别"), QStringLiteral("组长"), QStringLiteral("副组长"),
                                 QStringLiteral("成员"), QStringLiteral("检查企业") } };
    for (qsizetype i = 0; i < assignment.groups.size(); ++i) {
        const TaskGroup& group = assignment.groups.at(i);
        table.append({ QStringLiteral("第%1组").arg(i + 1), group.leader, group.deputy, group.members.join(joiner),
                       group.enterprises.join(joiner) });
    }
    return table;
}

QString TaskCommands::clipboardTextOf(const QList<QStringList>& table)
{
    static const QRegularExpression breaks(QStringLiteral("[\t\r\n]"));
    QString text;
    for (const QStringList& row : table) {
        QStringList cells;
        for (const QString& cell : row)
            cells.append(QString(cell).replace(breaks, QStringLiteral(" ")));
        text += cells.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    }
    return text;
}

} // namespace pelorin
