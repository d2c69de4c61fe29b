#include "tasks/AvoidanceList.h"

#include <QRegularExpression>
#include <QStringList>

namespace pelorin {

std::optional<QList<Avoidance>> parseTypedAvoidances(const QString& text, QString* error)
{
    static const QRegularExpression separator(QStringLiteral("[\\t,，、]"));
    const auto refuse = [error](int line, const QString& why) -> std::optional<QList<Avoidance>> {
        if (error)
            *error = QStringLiteral("回避名单第%1行%2：每行写一对，检查人员在前、企业在后，中间用制表符、逗号或顿号"
                                    "隔开。")
                         .arg(line)
                         .arg(why);
        return std::nullopt;
    };
    QList<Avoidance> pairs;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype at = line.indexOf(separator);
        if (at < 0)
            return refuse(i + 1, QStringLiteral("没有分隔符"));
        Avoidance pair { line.left(at).trimmed(), line.mid(at + 1).trimmed() };
        if (pair.inspector.isEmpty() || pair.enterprise.isEmpty())
            return refuse(i + 1, QStringLiteral("缺少检查人员或企业"));
        pairs.append(std::move(pair));
    }
    return pairs;
}

} // namespace pelorin
