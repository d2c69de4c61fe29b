#include "record/RecordFormat.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QTimeZone>
#include <cmath>

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

QDateTime utcFromText(const QString& text)
{
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    return time.isValid() && text.endsWith(QLatin1Char('Z')) && utcText(time) == text ? time : QDateTime();
}

QDateTime localFromText(const QString& text)
{
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid())
        return {};
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs) == text ? time : QDateTime();
}

std::optional<qint64> wholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!std::isfinite(d) || std::floor(d) != d || std::fabs(d) > 9007199254740992.0)
        return std::nullopt;
    return static_cast<qint64>(d);
}

bool isHex64(const QString& text)
{
    if (text.size() != 64)
        return false;
    for (const QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return true;
}

namespace wheelsteps {

int sectorAt(qint64 position, int count)
{
    if (count < 1 || position < 0)
        return 0;
    const qint64 k = position % (qint64(360) * count) / 360;
    return k >= 1 ? static_cast<int>(k) : count;
}

namespace {

qint64 lastMultiple(int speed)
{
    return (359 + qint64(speed)) / speed;
}

bool inASector(qint64 angle, int count)
{
    const qint64 k = angle * count / 360;
    return k >= 1 && k <= count;
}

} // namespace

bool isRollingAngle(qint64 angle, int speed)
{
    return speed >= 1 && angle >= speed && angle % speed == 0 && angle / speed <= lastMultiple(speed);
}

qint64 shownAngle(qint64 angle, int speed, int count)
{
    // Back through the pointer's earlier angles, into the lap before; some angle of every lap is in a sector.
    const qint64 last = lastMultiple(speed);
    qint64 m = angle / speed;
    for (qint64 tried = 0; tried < last; ++tried) {
        if (inASector(m * speed, count))
            return m * speed;
        m = m > 1 ? m - 1 : last;
    }
    return angle;
}

} // namespace wheelsteps

bool hasExactly(const QJsonObject& object, std::initializer_list<const char*> keys)
{
    if (object.size() != static_cast<qsizetype>(keys.size()))
        return false;
    for (const char* key : keys)
        if (!object.contains(QLatin1String(key)))
            return false;
    return true;
}

} // namespace pelorin::record
