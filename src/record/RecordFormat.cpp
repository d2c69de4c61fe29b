#include "record/RecordFormat.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QTimeZone>

namespace pelorin::record {

QString listName(ListKind kind)
{
    switch (kind) {
    case ListKind::Candidates:
        return QStringLiteral("candidates");
    case ListKind::Results:
        return QStringLiteral("results");
    case ListKind::History:
        return QStringLiteral("history");
    }
    return {};
}

std::optional<ListKind> listKindOf(const QString& name)
{
    for (ListKind kind : { ListKind::Candidates, ListKind::Results, ListKind::History })
        if (name == listName(kind))
            return kind;
    return std::nullopt;
}

QString opName(ListChange::Type type)
{
    switch (type) {
    case ListChange::Type::Append:
        return QStringLiteral("append");
    case ListChange::Type::Remove:
        return QStringLiteral("remove");
    case ListChange::Type::Clear:
        return QStringLiteral("clear");
    case ListChange::Type::Replace:
        return QStringLiteral("replace");
    case ListChange::Type::Shuffle:
        return QStringLiteral("shuffle");
    }
    return {};
}

QString lineHash(const QByteArray& line)
{
    return QString::fromLatin1(QCryptographicHash::hash(line, QCryptographicHash::Sha256).toHex());
}

QByteArray canonicalLine(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString utcText(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString localText(const QDateTime& time)
{
    // With the offset spelled out even where local time is UTC, so the reader sees which zone it is.
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

} // namespace pelorin::record
