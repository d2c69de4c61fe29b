#include "record/RecordReplay.h"

#include "model/ApplyChange.h"
#include "model/ChangeNotes.h"
#include "model/Exclusion.h"
#include "model/ListFingerprint.h"
#include "model/Session.h"
#include "model/ShuffleSeed.h"
#include "model/SlowStop.h"
#include "model/WheelGeometry.h"
#include "record/RecordFormat.h"

#include <QJsonArray>
#include <cmath>

namespace pelorin::record {

namespace {

const QString ManualSource = QStringLiteral("手工录入");

// A whole number within the range JSON numbers hold exactly.
std::optional<qint64> wholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!std::isfinite(d) || std::floor(d) != d || std::fabs(d) > 9007199254740992.0)
        return std::nullopt;
    return static_cast<qint64>(d);
}

std::optional<QStringList> stringList(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    QStringList names;
    names.reserve(array.size());
    for (const QJsonValue& v : array) {
        if (!v.isString())
            return std::nullopt;
        names.append(v.toString());
    }
    return names;
}

QString quoted(const QString& name)
{
    return QStringLiteral("“%1”").arg(name);
}

QString listWords(Category category, ListKind kind)
{
    const QString list = kind == ListKind::Candidates ? QStringLiteral("候选名单")
        : kind == ListKind::Results                   ? QStringLiteral("摇出结果")
                                                      : QStringLiteral("历史名单");
    return categoryName(category) + QStringLiteral("的") + list;
}

} // namespace

struct RecordReplay::Event
{
    QString kind;
    Category category = -1;
    QString localTime;
    QJsonObject details;
    bool shuffled = false; // its shuffle change has been applied
    bool appendedCandidates = false;
    bool clearedCandidates = false;
};

const QStringList& RecordReplay::list(Category category, ListKind kind) const
{
    return m_lists.at(static_cast<std::size_t>(category)).at(static_cast<std::size_t>(kind));
}

QStringList& RecordReplay::listRef(Category category, ListKind kind)
{
    return m_lists.at(static_cast<std::size_t>(category)).at(static_cast<std::size_t>(kind));
}

bool RecordReplay::apply(const QJsonObject& object, QString& reason)
{
    Event event;
    event.kind = object.value(QStringLiteral("kind")).toString();
    const std::optional<qint64> category = wholeNumber(object.value(QStringLiteral("category")));
    if (event.kind.isEmpty() || !category || *category < -1 || *category >= CategoryCount) {
        reason = QStringLiteral("操作的种类或类别无效。");
        return false;
    }
    event.category = static_cast<Category>(*category);
    const QString name = event.category >= 0 ? categoryName(event.category) : QString();
    if (object.value(QStringLiteral("categoryName")).toString() != name) {
        reason = QStringLiteral("类别名称与类别编号不符。");
        return false;
    }
    const QString utc = object.value(QStringLiteral("time")).toString();
    event.localTime = object.value(QStringLiteral("localTime")).toString();
    const QDateTime utcTime = QDateTime::fromString(utc, Qt::ISODateWithMs);
    const QDateTime localTime = QDateTime::fromString(event.localTime, Qt::ISODateWithMs);
    if (!utcTime.isValid() || !localTime.isValid() || utcTime != localTime) {
        reason = QStringLiteral("时间无效，或本地时间与UTC时间不是同一时刻。");
        return false;
    }
    const QJsonValue details = object.value(QStringLiteral("details"));
    const QJsonValue changes = object.value(QStringLiteral("changes"));
    const QJsonValue fields = object.value(QStringLiteral("fields"));
    if (!details.isObject() || !changes.isArray() || !fields.isArray()) {
        reason = QStringLiteral("缺少操作的内容（details、changes 或 fields）。");
        return false;
    }
    event.details = details.toObject();

    const bool stop = event.kind == QLatin1String("stop") && event.details.contains(drawnotes::Name);
    QStringList expectedCandidates;
    QStringList expectedResults;
    if (stop) {
        if (!checkStop(event, reason))
            return false;
        const QString drawn = event.details.value(drawnotes::Name).toString();
        expectedCandidates = list(event.category, ListKind::Candidates);
        expectedCandidates.removeAt(expectedCandidates.indexOf(drawn));
        expectedResults = list(event.category, ListKind::Results);
        expectedResults.append(drawn);
    }
    for (const QJsonValue& change : changes.toArray())
        if (!change.isObject() || !applyChange(change.toObject(), event, reason))
            return false;
    if (event.details.contains(shufflenotes::Seed) && !event.shuffled) {
        reason = QStringLiteral("记录了洗牌种子，却没有洗牌。");
        return false;
    }
    if (stop) {
        if (list(event.category, ListKind::Candidates) != expectedCandidates
            || list(event.category, ListKind::Results) != expectedResults) {
            reason = QStringLiteral("停止没有把摇中的名称从候选名单移到摇出结果（应移走第一个同名的候选）。");
            return false;
        }
        m_wheels.at(static_cast<std::size_t>(event.category)).reset();
    }

    for (const QJsonValue& value : fields.toArray()) {
        const QJsonObject field = value.toObject();
        const std::optional<qint64> at = wholeNumber(field.value(QStringLiteral("category")));
        if (!value.isObject() || !at || *at < 0 || *at >= CategoryCount
            || !field.value(QStringLiteral("field")).isString() || !field.value(QStringLiteral("value")).isString()) {
            reason = QStringLiteral("字段的写法无效。");
            return false;
        }
        m_fields.insert({ int(*at), field.value(QStringLiteral("field")).toString() },
                        field.value(QStringLiteral("value")).toString());
    }
    noteSources(event);
    if (event.category >= 0)
        m_summary.categories.at(static_cast<std::size_t>(event.category)).results
            = list(event.category, ListKind::Results);
    ++m_summary.events;
    return true;
}

bool RecordReplay::applyChange(const QJsonObject& change, Event& event, QString& reason)
{
    const QString op = change.value(QStringLiteral("op")).toString();
    const std::optional<qint64> category = wholeNumber(change.value(QStringLiteral("category")));
    const std::optional<ListKind> kind = listKindOf(change.value(QStringLiteral("list")).toString());
    if (!category || *category < 0 || *category >= CategoryCount || !kind) {
        reason = QStringLiteral("名单改动的类别或名单无效。");
        return false;
    }
    const Category c = static_cast<Category>(*category);
    QStringList& target = listRef(c, *kind);
    if (*kind == ListKind::Candidates)
        m_wheels.at(static_cast<std::size_t>(c)).reset();

    if (op == QLatin1String("shuffle")) {
        if (*kind != ListKind::Candidates || c != event.category || event.shuffled) {
            reason = QStringLiteral("洗牌只能是本类候选名单的一次洗牌。");
            return false;
        }
        if (!shuffle(target, event, reason))
            return false;
        event.shuffled = true;
        if (event.kind == QLatin1String("start")) {
            m_wheels.at(static_cast<std::size_t>(c))
                = Wheel { static_cast<int>(target.size()), event.details.value(shufflenotes::Fingerprint).toString(),
                          event.details.value(shufflenotes::Seed).toString(), event.localTime };
            ++m_summary.starts;
        }
        return true;
    }

    const std::optional<QStringList> names = stringList(change.value(QStringLiteral("names")));
    if (!names) {
        reason = QStringLiteral("名单改动缺少名称。");
        return false;
    }
    const QString where = listWords(c, *kind);
    if (op == QLatin1String("append") || op == QLatin1String("replace")) {
        const qsizetype size = (op == QLatin1String("append") ? target.size() : 0) + names->size();
        if (size > MaxListNames) {
            reason = where + QStringLiteral("超过32767个名称。");
            return false;
        }
        if (op == QLatin1String("replace") && event.kind == QLatin1String("exclude") && *kind == ListKind::Candidates
            && *names != excludeHistory(target, list(c, ListKind::History))) {
            reason = QStringLiteral("去已摇后的候选名单不是用历史名单去掉的结果。");
            return false;
        }
        const bool append = op == QLatin1String("append");
        applyListChange(target, { append ? ListChange::Type::Append : ListChange::Type::Replace, c, *kind, -1, *names },
                        event.details);
        event.appendedCandidates = event.appendedCandidates || (append && *kind == ListKind::Candidates);
        return true;
    }
    if (op == QLatin1String("remove")) {
        const std::optional<qint64> index = wholeNumber(change.value(QStringLiteral("index")));
        if (!index || *index < 0 || *index >= target.size() || names->size() != 1
            || target.at(static_cast<qsizetype>(*index)) != names->front()) {
            reason = where + QStringLiteral("中没有要删去的") + quoted(names->value(0)) + QStringLiteral("。");
            return false;
        }
        applyListChange(target, { ListChange::Type::Remove, c, *kind, static_cast<int>(*index), *names },
                        event.details);
        if (*kind == ListKind::Results)
            ++m_summary.categories.at(static_cast<std::size_t>(c)).withdrawn;
        return true;
    }
    if (op == QLatin1String("clear")) {
        if (*names != target) {
            reason = QStringLiteral("清空的名称与") + where + QStringLiteral("不符。");
            return false;
        }
        if (*kind == ListKind::Results)
            m_summary.categories.at(static_cast<std::size_t>(c)).withdrawn += static_cast<int>(target.size());
        event.clearedCandidates = event.clearedCandidates || *kind == ListKind::Candidates;
        applyListChange(target, { ListChange::Type::Clear, c, *kind, -1, *names }, event.details);
        return true;
    }
    reason = QStringLiteral("未知的名单改动：") + op;
    return false;
}

bool RecordReplay::shuffle(QStringList& list, Event& event, QString& reason)
{
    const std::optional<ShuffleSeed> seed = ShuffleSeed::fromHex(event.details.value(shufflenotes::Seed).toString());
    const std::optional<qint64> count = wholeNumber(event.details.value(shufflenotes::Count));
    if (!seed) {
        reason = QStringLiteral("洗牌种子无效。");
        return false;
    }
    if (!count || *count != list.size()) {
        reason = QStringLiteral("记录的候选数与重建的候选名单（%1 个）不符。").arg(list.size());
        return false;
    }
    if (event.details.value(shufflenotes::Fingerprint).toString() != listFingerprint(list)) {
        reason = QStringLiteral("洗牌前的名单指纹与重建的候选名单不符。");
        return false;
    }
    applyListChange(list, { ListChange::Type::Shuffle, event.category, ListKind::Candidates, -1, {} }, event.details);
    ++m_summary.shuffles;
    return true;
}

bool RecordReplay::checkStop(const Event& event, QString& reason)
{
    const QJsonObject& d = event.details;
    const std::optional<Wheel>& wheel = m_wheels.at(static_cast<std::size_t>(event.category));
    const QStringList& candidates = list(event.category, ListKind::Candidates);
    const std::optional<qint64> count = wholeNumber(d.value(drawnotes::WheelCount));
    const std::optional<qint64> sector = wholeNumber(d.value(drawnotes::Sector));
    const std::optional<qint64> steps = wholeNumber(d.value(drawnotes::Steps));
    const std::optional<qint64> shown = wholeNumber(d.value(drawnotes::ShownSteps));
    const std::optional<qint64> speed = wholeNumber(d.value(drawnotes::Speed));
    const QString name = d.value(drawnotes::Name).toString();
    if (!wheel) {
        reason = QStringLiteral("停止之前没有开始摇号，或开始之后候选名单又被改动过。");
        return false;
    }
    if (!count || !sector || !steps || !shown || !speed || *count != wheel->count || *count != candidates.size()
        || *count < 1 || *speed < 1 || *speed > 360) {
        reason = QStringLiteral("停止的转盘数据不完整，或扇区数与开始时的候选数（%1 个）不符。").arg(wheel->count);
        return false;
    }
    const int n = static_cast<int>(*count);
    const qint64 lap = qint64(360) * n;
    if (d.value(drawnotes::SlowStop).toBool()) {
        const std::optional<qint64> press = wholeNumber(d.value(drawnotes::SlowStopPressAngle));
        const std::optional<qint64> turn = wholeNumber(d.value(drawnotes::SlowStopTurn));
        if (!press || !turn || *turn < lap || *turn >= 3 * lap || *steps != *press * n + *turn || *shown != *steps) {
            reason = QStringLiteral("随机缓停的停止位置不等于按下停止时的角度加上抽到的圈数。");
            return false;
        }
    } else {
        const double angle = d.value(drawnotes::Angle).toDouble(-1);
        if (angle < 1 || angle > 360 + *speed || std::floor(angle) != angle || *steps != qint64(angle) * n) {
            reason = QStringLiteral("停止时的指针角度无效。");
            return false;
        }
        // Where the pointer is in a sector, the name box shows that very sector.
        if (wheel::sectorAt(static_cast<std::int32_t>(angle), n) > 0 && *shown != *steps) {
            reason = QStringLiteral("指针停在扇区内，名称框却不是这一刻写的。");
            return false;
        }
        if (*shown < 0 || *shown % n != 0 || wheel::sectorAt(static_cast<std::int32_t>(*shown / n), n) == 0) {
            reason = QStringLiteral("名称框最后写入时的指针角度无效。");
            return false;
        }
    }
    const int computed = SlowStop::sectorAtStep(*shown, n);
    if (computed != *sector) {
        reason = QStringLiteral("由指针角度算出的扇区是 %1，记录写的是 %2。").arg(computed).arg(*sector);
        return false;
    }
    if (candidates.at(computed - 1) != name) {
        reason = QStringLiteral("扇区 %1 上的名称是%2，记录写的摇中名称是%3。")
                     .arg(computed)
                     .arg(quoted(candidates.at(computed - 1)), quoted(name));
        return false;
    }
    DrawnName drawn;
    drawn.name = name;
    drawn.sector = computed;
    drawn.wheelCount = n;
    drawn.startTime = wheel->startTime;
    drawn.stopTime = event.localTime;
    drawn.fingerprint = wheel->fingerprint;
    drawn.seed = wheel->seed;
    drawn.slowStop = d.value(drawnotes::SlowStop).toBool();
    m_summary.categories.at(static_cast<std::size_t>(event.category)).draws.push_back(drawn);
    ++m_summary.stops;
    return true;
}

void RecordReplay::noteSources(const Event& event)
{
    if (event.category < 0)
        return;
    QStringList& sources = m_summary.categories.at(static_cast<std::size_t>(event.category)).sources;
    if (event.kind == QLatin1String("import")) {
        sources = QStringList { event.details.value(QStringLiteral("file")).toString() };
    } else if (event.kind == QLatin1String("manualEntry") && event.appendedCandidates
               && !sources.contains(ManualSource)) {
        sources.append(ManualSource);
    } else if (event.clearedCandidates) {
        sources.clear();
    }
}

} // namespace pelorin::record
