#include "record/RecordReplay.h"

#include "model/ChangeNotes.h"
#include "model/Exclusion.h"
#include "model/ListFingerprint.h"
#include "model/NameText.h"
#include "model/SeededStream.h"
#include "model/Session.h"
#include "model/Sha256.h"
#include "model/Shuffle.h"
#include "model/ShuffleSeed.h"
#include "model/SlowStop.h"
#include "record/RecordFormat.h"

#include <QJsonArray>
#include <cmath>
#include <cstring>
#include <future>

namespace pelorin::record {

namespace {

const QString ManualSource = QStringLiteral("手工录入");

QString quoted(const QString& name)
{
    return QStringLiteral("“%1”").arg(withInvisibleShown(name));
}

QString listWords(Category category, ListKind kind)
{
    const QString list = kind == ListKind::Candidates ? QStringLiteral("候选名单")
        : kind == ListKind::Results                   ? QStringLiteral("摇出结果")
                                                      : QStringLiteral("历史名单");
    return categoryName(category) + QStringLiteral("的") + list;
}

// The changes each command may make, as "op:list" in order; any command may also change no list at all.
QStringList allowedChanges(const QString& kind)
{
    static const QMap<QString, QStringList> allowed {
        { QStringLiteral("import"), { QStringLiteral("replace:candidates") } },
        { QStringLiteral("importHistory"), { QStringLiteral("replace:history") } },
        { QStringLiteral("manualEntry"), { QStringLiteral("append:candidates"), QStringLiteral("append:history") } },
        { QStringLiteral("delete"), { QStringLiteral("remove:candidates"), QStringLiteral("remove:history") } },
        { QStringLiteral("clear"),
          { QStringLiteral("clear:candidates"), QStringLiteral("clear:history"), QStringLiteral("clear:results"),
            QStringLiteral("append:candidates,clear:results") } },
        { QStringLiteral("handBack"),
          { QStringLiteral("append:candidates,remove:results"), QStringLiteral("append:candidates,clear:results") } },
        { QStringLiteral("exclude"), { QStringLiteral("replace:candidates") } },
        { QStringLiteral("shuffle"), { QStringLiteral("shuffle:candidates") } },
        // 重新摇号 hands every result back first, within the start.
        { QStringLiteral("start"),
          { QStringLiteral("shuffle:candidates"), QStringLiteral("append:candidates,clear:results,shuffle:candidates"),
            QStringLiteral("append:candidates,clear:results") } },
        { QStringLiteral("stop"), { QStringLiteral("append:results,remove:candidates") } },
        { QStringLiteral("close"), {} },
        { QStringLiteral("edit"), {} },
        { QStringLiteral("commit"), {} },
        { QStringLiteral("witness"), {} },
        { QStringLiteral("reveal"), {} },
        { QStringLiteral("substitute"), { QStringLiteral("remove:results,append:results,remove:candidates") } },
        { QStringLiteral("assign"), {} },
    };
    return allowed.value(kind, { QStringLiteral("?") });
}

} // namespace

// Whether the event hands results back: names appended to the candidates, then taken from the results.
bool RecordReplay::handsBack(const Event& event)
{
    return event.changes.size() >= 2 && event.changes[0].op == QLatin1String("append")
        && event.changes[0].list == ListKind::Candidates && event.changes[1].list == ListKind::Results;
}

void RecordReplay::begin(int version, const QDateTime& sessionStarted, const QDateTime& written)
{
    m_version = version;
    m_last = sessionStarted;
    m_written = written;
    m_summary.formatVersion = version;
}

const QStringList& RecordReplay::list(Category category, ListKind kind) const
{
    Q_ASSERT(kind != ListKind::Candidates);
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
    if (allowedChanges(event.kind) == QStringList { QStringLiteral("?") }) {
        reason = QStringLiteral("没有“%1”这种操作。").arg(event.kind);
        return false;
    }
    if (!category || *category < -1 || *category >= CategoryCount) {
        reason = QStringLiteral("操作的类别无效。");
        return false;
    }
    event.category = static_cast<Category>(*category);
    const QString name = event.category >= 0 ? categoryName(event.category) : QString();
    if (object.value(QStringLiteral("categoryName")).toString() != name) {
        reason = QStringLiteral("类别名称与类别编号不符。");
        return false;
    }

    const QDateTime utc = utcFromText(object.value(QStringLiteral("time")).toString());
    event.localTime = object.value(QStringLiteral("localTime")).toString();
    const QDateTime local = localFromText(event.localTime);
    if (!utc.isValid() || !local.isValid() || utc != local) {
        reason = QStringLiteral("时间的写法无效，或本地时间与UTC时间不是同一时刻。");
        return false;
    }
    if (utc < m_last) {
        reason = QStringLiteral("时间倒退：这一行早于上一行（或早于本次摇号的开始时间）。");
        return false;
    }
    // The first format was written at the end, from the kept commands; the second is written with them,
    // its header when the session began.
    if (m_version < 2 && utc > m_written) {
        reason = QStringLiteral("这一行的时间晚于记录文件写成的时间。");
        return false;
    }
    if (m_version >= 2 && utc < m_written) {
        reason = QStringLiteral("这一行的时间早于记录开始写下的时间。");
        return false;
    }
    m_last = utc;

    const QJsonValue details = object.value(QStringLiteral("details"));
    const QJsonValue fields = object.value(QStringLiteral("fields"));
    if (!details.isObject() || !fields.isArray()) {
        reason = QStringLiteral("缺少操作的内容（details 或 fields）。");
        return false;
    }
    event.details = details.toObject();
    if (!readChanges(object.value(QStringLiteral("changes")), event, reason) || !checkShape(event, reason)
        || !run(event, reason))
        return false;

    for (const QJsonValue& value : fields.toArray()) {
        const QJsonObject field = value.toObject();
        const std::optional<qint64> at = wholeNumber(field.value(QStringLiteral("category")));
        if (!value.isObject() || !hasExactly(field, { "category", "field", "value" }) || !at || *at < 0
            || *at >= CategoryCount || !field.value(QStringLiteral("field")).isString()
            || !field.value(QStringLiteral("value")).isString()) {
            reason = QStringLiteral("字段的写法无效。");
            return false;
        }
    }
    noteSources(event);
    ++m_summary.events;
    return true;
}

bool RecordReplay::readChanges(const QJsonValue& value, Event& event, QString& reason)
{
    if (!value.isArray()) {
        reason = QStringLiteral("缺少名单改动（changes）。");
        return false;
    }
    QStringList shape;
    for (const QJsonValue& item : value.toArray()) {
        const QJsonObject object = item.toObject();
        Change change;
        change.op = object.value(QStringLiteral("op")).toString();
        const std::optional<ListKind> kind = listKindOf(object.value(QStringLiteral("list")).toString());
        const std::optional<qint64> category = wholeNumber(object.value(QStringLiteral("category")));
        const bool shuffle = change.op == QLatin1String("shuffle");
        const bool remove = change.op == QLatin1String("remove");
        const bool keys = shuffle ? hasExactly(object, { "category", "list", "op" })
            : remove              ? hasExactly(object, { "category", "index", "list", "names", "op" })
                                  : hasExactly(object, { "category", "list", "names", "op" });
        if (!item.isObject() || !keys || !kind || !category || *category != event.category || event.category < 0) {
            reason = QStringLiteral("名单改动的写法、类别或名单无效（改动只能是本行类别的名单）。");
            return false;
        }
        change.list = *kind;
        if (!shuffle) {
            const QJsonValue names = object.value(QStringLiteral("names"));
            if (!names.isArray()) {
                reason = QStringLiteral("名单改动缺少名称。");
                return false;
            }
            const QJsonArray array = names.toArray();
            change.names.reserve(array.size());
            for (const QJsonValue& v : array) {
                if (!v.isString() || !isValidUnicode(v.toString())) {
                    reason = QStringLiteral("名单改动中有不是有效Unicode文字的名称（如不成对的代理项）。");
                    return false;
                }
                change.names.append(v.toString());
            }
        }
        if (remove) {
            const std::optional<qint64> index = wholeNumber(object.value(QStringLiteral("index")));
            if (!index) {
                reason = QStringLiteral("删去的位置无效。");
                return false;
            }
            change.index = *index;
        }
        shape.append(change.op + QLatin1Char(':') + listName(change.list));
        event.changes.push_back(std::move(change));
    }
    event.shape = shape.join(QLatin1Char(','));
    return true;
}

bool RecordReplay::checkShape(const Event& event, QString& reason) const
{
    const QJsonObject& d = event.details;
    const QString& k = event.kind;
    if (event.changes.empty()) {
        // The witnessed draw's steps change no list; what they note is checked with the step.
        const bool noted = k == QLatin1String("commit") || k == QLatin1String("witness") || k == QLatin1String("reveal")
            || k == QLatin1String("close") || k == QLatin1String("assign");
        if (!d.isEmpty() && !noted) {
            reason = QStringLiteral("没有改动任何名单的操作却记有操作内容。");
            return false;
        }
        // The program records no stop that drew nothing: a press of 停止 with no wheel turning is ignored.
        if (event.kind == QLatin1String("stop")) {
            reason = QStringLiteral("停止没有摇出名称：每一次记下的停止都必须把一个名称移到摇出结果。");
            return false;
        }
        return true;
    }
    if (!allowedChanges(event.kind).contains(event.shape)) {
        reason
            = QStringLiteral("“%1”操作不能这样改动名单（%2）：名单只能由相应的命令改动。").arg(event.kind, event.shape);
        return false;
    }
    bool keys = true;
    if (k == QLatin1String("import") || k == QLatin1String("importHistory"))
        keys = hasExactly(d, { "file", "sha256" }) && d.value(listnotes::File).isString()
            && isHex64(d.value(listnotes::Sha256).toString());
    else if (k == QLatin1String("exclude"))
        keys = hasExactly(d, { "removed" }) && d.value(listnotes::Removed).isArray();
    else if (k == QLatin1String("shuffle"))
        keys = hasExactly(d, { "candidates", "fingerprint", "shuffleSeed" });
    else if (k == QLatin1String("start") && !event.shape.endsWith(QLatin1String("shuffle:candidates")))
        keys = d.isEmpty();
    else if (k == QLatin1String("start") && d.contains(witnessnotes::Witnessed))
        keys = hasExactly(d, { "candidates", "fingerprint", "slowStopOption", "speed", "witnessed" })
            && d.value(drawnotes::SlowStopOption).isBool() && d.value(witnessnotes::Witnessed) == QJsonValue(true)
            && isHex64(d.value(shufflenotes::Fingerprint).toString());
    else if (k == QLatin1String("start"))
        keys = hasExactly(d, { "candidates", "fingerprint", "shuffleSeed", "slowStopOption", "speed" })
            && d.value(drawnotes::SlowStopOption).isBool();
    else if (k == QLatin1String("stop") && m_version >= 2 && d.contains(witnessnotes::Witnessed))
        // A witnessed stop always runs out to the sector its stream picks.
        keys = hasExactly(d, { "angle", "name", "position", "sector", "slowStop", "turn", "witnessed" })
            && d.value(drawnotes::SlowStop) == QJsonValue(true) && d.value(witnessnotes::Witnessed) == QJsonValue(true);
    else if (k == QLatin1String("substitute"))
        keys = m_version >= 2 && hasExactly(d, { "name", "reason", "sector", "withdrawn" })
            && d.value(drawnotes::Name).isString() && d.value(witnessnotes::Reason).isString()
            && d.value(witnessnotes::Withdrawn).isString();
    else if (k == QLatin1String("stop") && m_version >= 2)
        keys = d.value(drawnotes::SlowStop).isBool()
            && (d.value(drawnotes::SlowStop).toBool()
                    ? hasExactly(d, { "angle", "name", "position", "sector", "slowStop", "turn" })
                    : hasExactly(d, { "angle", "name", "position", "sector", "slowStop" }));
    else if (k == QLatin1String("stop"))
        keys = d.value(drawnotes::SlowStop).isBool()
            && (d.value(drawnotes::SlowStop).toBool()
                    ? hasExactly(d,
                                 { "angle", "name", "sector", "shownSteps", "slowStop", "slowStopPressAngle",
                                   "slowStopTurn", "speed", "steps", "wheelCount" })
                    : hasExactly(
                        d, { "angle", "name", "sector", "shownSteps", "slowStop", "speed", "steps", "wheelCount" }));
    else
        keys = d.isEmpty();
    if (!keys) {
        reason = QStringLiteral("“%1”操作记下的内容（details）不完整、多余或写法无效。").arg(k);
        return false;
    }
    if (d.contains(shufflenotes::Seed)
        && (!isHex64(d.value(shufflenotes::Seed).toString())
            || !isHex64(d.value(shufflenotes::Fingerprint).toString()))) {
        reason = QStringLiteral("洗牌种子或名单指纹不是64位小写十六进制数。");
        return false;
    }
    // A name handed back or cleared with a hand-back goes back among the candidates as it was.
    if (handsBack(event) && event.changes[0].names != event.changes[1].names) {
        reason = QStringLiteral("撤回到候选名单的名称与从摇出结果中移走的名称不符。");
        return false;
    }
    return true;
}

bool RecordReplay::run(Event& event, QString& reason)
{
    const Category c = event.category;
    event.witnessed = event.details.value(witnessnotes::Witnessed) == QJsonValue(true);
    if (!followCeremony(event, reason))
        return false;
    if (event.kind == QLatin1String("commit") || event.kind == QLatin1String("witness")
        || event.kind == QLatin1String("reveal"))
        return true;
    if (event.kind == QLatin1String("substitute"))
        return substitute(event, reason);
    if (event.kind == QLatin1String("assign"))
        return assign(event, reason);
    // Closing the draw window takes its wheel away, and so does every start, even one that laid out nothing:
    // a later stop needs a wheel of its own start.
    if (event.kind == QLatin1String("close"))
        for (Category each = 0; each < CategoryCount; ++each)
            dropWheel(each);
    if (event.kind == QLatin1String("start"))
        dropWheel(c);
    if (event.kind == QLatin1String("stop") && !event.changes.empty()) {
        if (!checkStop(event, reason))
            return false;
        // Checked against the wheel: now the name moves, and the wheel is done.
        const QString drawn = event.details.value(drawnotes::Name).toString();
        m_wheels.at(static_cast<std::size_t>(c)).reset();
        listRef(c, ListKind::Results).append(drawn);
        std::vector<int>& candidates = candidatesOf(c);
        candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(event.changes[1].index));
        CategoryDraws& draws = m_summary.categories.at(static_cast<std::size_t>(c));
        draws.resultChanges.push_back({ ResultChange::Kind::Drawn, drawn, event.localTime });
        if (event.witnessed)
            m_summary.witnessed[m_ceremony->at].drawn.append(drawn);
        return true;
    }
    if (event.kind == QLatin1String("exclude")) {
        const QStringList candidates = candidateNames(c);
        const QStringList kept = excludeHistory(candidates, list(c, ListKind::History));
        // 去已摇 records no change only when the history removes nothing.
        if (event.changes.empty()) {
            if (kept.size() == candidates.size())
                return true;
            reason = QStringLiteral("去已摇没有改动候选名单，但历史名单中有 %1 个名称在候选名单中，应被去掉。")
                         .arg(candidates.size() - kept.size());
            return false;
        }
        QStringList removed;
        for (const QJsonValue& v : event.details.value(listnotes::Removed).toArray())
            removed.append(v.toString());
        if (event.changes[0].names != kept || removed != removedNames(candidates, kept)) {
            reason = QStringLiteral("去已摇后的候选名单或去掉的名称不是用历史名单去掉的结果。");
            return false;
        }
    }
    if ((event.kind == QLatin1String("import") || event.kind == QLatin1String("importHistory")) && m_workbookCheck) {
        const QString problem
            = m_workbookCheck(event.details.value(listnotes::Sha256).toString(), event.changes[0].names);
        if (!problem.isEmpty()) {
            reason = problem;
            return false;
        }
        ++m_summary.workbooksChecked;
    }
    for (const Change& change : event.changes)
        if (!applyChange(change, event, reason))
            return false;
    return true;
}

void RecordReplay::noteStopLine(Category category, const QString& code)
{
    std::vector<DrawnName>& draws = m_summary.categories.at(static_cast<std::size_t>(category)).draws;
    if (!draws.empty())
        draws.back().roomCode = code;
}

void RecordReplay::dropWheel(Category category)
{
    std::optional<Wheel>& wheel = m_wheels.at(static_cast<std::size_t>(category));
    if (wheel)
        ++m_summary.unfinishedStarts;
    wheel.reset();
}

bool RecordReplay::applyChange(const Change& change, Event& event, QString& reason)
{
    const Category c = event.category;
    if (change.list == ListKind::Candidates)
        return applyToCandidates(change, event, reason);
    QStringList& target = listRef(c, change.list);
    CategoryDraws& draws = m_summary.categories.at(static_cast<std::size_t>(c));

    const QString where = listWords(c, change.list);
    if (change.op == QLatin1String("append") || change.op == QLatin1String("replace")) {
        const bool append = change.op == QLatin1String("append");
        if ((append ? target.size() : 0) + change.names.size() > MaxListNames) {
            reason = where + QStringLiteral("超过32767个名称。");
            return false;
        }
        noteNames(change.names);
        if (append)
            target.append(change.names);
        else
            target = change.names;
        return true;
    }
    if (change.op == QLatin1String("remove")) {
        if (change.index < 0 || change.index >= target.size() || change.names.size() != 1
            || target.at(static_cast<qsizetype>(change.index)) != change.names.front()) {
            reason = where + QStringLiteral("中没有要删去的") + quoted(change.names.value(0)) + QStringLiteral("。");
            return false;
        }
        target.removeAt(static_cast<qsizetype>(change.index));
        if (change.list == ListKind::Results) {
            ++draws.withdrawn;
            draws.resultChanges.push_back({ ResultChange::Kind::HandedBack, change.names.front(), event.localTime });
        }
        return true;
    }
    if (change.op == QLatin1String("clear")) {
        if (change.names != target) {
            reason = QStringLiteral("清空的名称与") + where + QStringLiteral("不符。");
            return false;
        }
        if (change.list == ListKind::Results) {
            draws.withdrawn += static_cast<int>(target.size());
            // Cleared after being handed back, or gone for good.
            const bool back = handsBack(event);
            for (const QString& name : target)
                draws.resultChanges.push_back(
                    { back ? ResultChange::Kind::HandedBack : ResultChange::Kind::Cleared, name, event.localTime });
        }
        target.clear();
        return true;
    }
    reason = QStringLiteral("未知的名单改动：") + change.op;
    return false;
}

void RecordReplay::noteNames(const QStringList& names)
{
    if (m_summary.invisibleNames.size() < 20)
        for (const QString& shown : invisibleNamesShown(names, 20))
            if (m_summary.invisibleNames.size() < 20 && !m_summary.invisibleNames.contains(shown))
                m_summary.invisibleNames.append(shown);
    if (m_version < 2 && !m_lineFeedNames)
        m_lineFeedNames = std::any_of(names.begin(), names.end(),
                                      [](const QString& name) { return name.contains(QLatin1Char('\n')); });
}

int RecordReplay::idOf(const QString& name)
{
    const auto found = m_ids.constFind(name);
    if (found != m_ids.cend())
        return *found;
    const int id = static_cast<int>(m_names.size());
    m_ids.insert(name, id);
    m_names.push_back(name);
    const QByteArray piece = fingerprintPiece(name, m_version);
    const std::size_t used = m_arena.size() - Slack;
    m_pieceAt.push_back(used);
    m_pieceSize.push_back(static_cast<std::size_t>(piece.size()));
    // Always Slack bytes after the last piece, so a short piece can be copied as a whole block.
    m_arena.resize(used + static_cast<std::size_t>(piece.size()) + Slack);
    std::memcpy(m_arena.data() + used, piece.constData(), static_cast<std::size_t>(piece.size()));
    return id;
}

QStringList RecordReplay::candidateNames(Category category) const
{
    QStringList names;
    names.reserve(static_cast<qsizetype>(candidatesOf(category).size()));
    for (const int id : candidatesOf(category))
        names.append(m_names[static_cast<std::size_t>(id)]);
    return names;
}

QString RecordReplay::fingerprintOf(const std::vector<int>& ids) const
{
    // Each name's piece, encoded once when it first came, gathered in the list's order into blocks for the
    // hash. A piece no longer than Slack is copied as one whole block of Slack bytes: a copy of a known size
    // is a few instructions, a copy of any size a call.
    constexpr std::size_t Chunk = 64 * 1024;
    Sha256 hash;
    std::vector<unsigned char> buffer(Chunk + Slack);
    std::size_t filled = 0;
    for (const int id : ids) {
        const std::size_t size = m_pieceSize[static_cast<std::size_t>(id)];
        const unsigned char* piece = m_arena.data() + m_pieceAt[static_cast<std::size_t>(id)];
        if (filled + std::max(size, Slack) > buffer.size()) {
            hash.add(buffer.data(), filled);
            filled = 0;
            if (size > buffer.size()) {
                hash.add(piece, size);
                continue;
            }
        }
        if (size <= Slack)
            std::memcpy(buffer.data() + filled, piece, Slack);
        else
            std::memcpy(buffer.data() + filled, piece, size);
        filled += size;
    }
    hash.add(buffer.data(), filled);
    return hash.hex();
}

bool RecordReplay::applyToCandidates(const Change& change, Event& event, QString& reason)
{
    const Category c = event.category;
    std::vector<int>& candidates = candidatesOf(c);
    dropWheel(c);
    if (!event.witnessed)
        m_substituteStreams.at(static_cast<std::size_t>(c)).reset();
    if (change.op == QLatin1String("shuffle"))
        return shuffle(event, reason);
    const QString where = listWords(c, ListKind::Candidates);
    if (change.op == QLatin1String("append") || change.op == QLatin1String("replace")) {
        const bool append = change.op == QLatin1String("append");
        if ((append ? static_cast<qsizetype>(candidates.size()) : 0) + change.names.size() > MaxListNames) {
            reason = where + QStringLiteral("超过32767个名称。");
            return false;
        }
        noteNames(change.names);
        if (!append)
            candidates.clear();
        candidates.reserve(candidates.size() + static_cast<std::size_t>(change.names.size()));
        for (const QString& name : change.names)
            candidates.push_back(idOf(name));
        event.appendedCandidates = event.appendedCandidates || append;
        return true;
    }
    if (change.op == QLatin1String("remove")) {
        if (change.index < 0 || change.index >= static_cast<qint64>(candidates.size()) || change.names.size() != 1
            || m_names[static_cast<std::size_t>(candidates[static_cast<std::size_t>(change.index)])]
                != change.names.front()) {
            reason = where + QStringLiteral("中没有要删去的") + quoted(change.names.value(0)) + QStringLiteral("。");
            return false;
        }
        candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(change.index));
        return true;
    }
    if (change.op == QLatin1String("clear")) {
        if (change.names != candidateNames(c)) {
            reason = QStringLiteral("清空的名称与") + where + QStringLiteral("不符。");
            return false;
        }
        event.clearedCandidates = true;
        candidates.clear();
        return true;
    }
    reason = QStringLiteral("未知的名单改动：") + change.op;
    return false;
}

bool RecordReplay::shuffle(Event& event, QString& reason)
{
    const QJsonObject& d = event.details;
    std::vector<int>& candidates = candidatesOf(event.category);
    // A witnessed start continues its ceremony's stream (checked to be revealed); any other has a seed of its own.
    const std::optional<ShuffleSeed> seed = event.witnessed
        ? std::optional<ShuffleSeed>(ShuffleSeed {})
        : ShuffleSeed::fromHex(d.value(shufflenotes::Seed).toString());
    const std::optional<qint64> count = wholeNumber(d.value(shufflenotes::Count));
    if (!seed) {
        reason = QStringLiteral("洗牌种子无效。");
        return false;
    }
    if (!count || *count != static_cast<qint64>(candidates.size())) {
        reason = QStringLiteral("记录的候选数与重建的候选名单（%1 个）不符。").arg(candidates.size());
        return false;
    }
    // The list's fingerprint and the shuffle's places do not depend on each other: on a large list the
    // fingerprint is hashed on a second thread while the places are found.
    const auto fingerprintNow = [&] { return fingerprintOf(candidates); };
    constexpr std::size_t LargeList = 4096;
    std::future<QString> hashing;
    if (candidates.size() >= LargeList)
        hashing = std::async(std::launch::async, fingerprintNow);
    std::optional<SeededStream> own;
    if (!event.witnessed)
        own.emplace(*seed);
    IRandom& stream = event.witnessed ? static_cast<IRandom&>(*m_ceremony->stream) : *own;
    const std::vector<int> order = shuffledOrder(static_cast<int>(candidates.size()), stream);
    const QString fingerprint = hashing.valid() ? hashing.get() : fingerprintNow();
    if (d.value(shufflenotes::Fingerprint).toString() != fingerprint) {
        reason = QStringLiteral("洗牌前的名单指纹与重建的候选名单不符。");
        return false;
    }
    if (!order.empty()) {
        std::vector<int> laid;
        laid.reserve(candidates.size());
        for (const int at : order)
            laid.push_back(candidates[static_cast<std::size_t>(at)]);
        candidates = std::move(laid);
    }
    ++m_summary.shuffles;
    if (event.kind != QLatin1String("start"))
        return true;

    const std::optional<qint64> speed = wholeNumber(d.value(drawnotes::Speed));
    if (!speed || *speed < 1 || *speed > 360 || *count < 1) {
        reason = QStringLiteral("开始摇号的转速应为1到360之间的整数，且至少有一个候选名称。");
        return false;
    }
    // The program refuses to start with 随机缓停 below the speed the run-out needs (since version 2).
    if (m_version >= 2 && d.value(drawnotes::SlowStopOption).toBool() && *speed < SlowStop::MinimumSpeed) {
        reason = QStringLiteral("勾选随机缓停时转速至少为 %1，这次开始摇号的转速是 %2。")
                     .arg(SlowStop::MinimumSpeed)
                     .arg(*speed);
        return false;
    }
    Wheel wheel;
    wheel.count = static_cast<int>(*count);
    wheel.speed = static_cast<int>(*speed);
    wheel.slowStopOption = d.value(drawnotes::SlowStopOption).toBool();
    wheel.fingerprint = fingerprint;
    wheel.seed = event.witnessed ? m_summary.witnessed[m_ceremony->at].seed : seed->hex();
    wheel.startTime = event.localTime;
    wheel.witnessed = event.witnessed;
    wheel.ceremony = event.witnessed ? m_ceremony->at : 0;
    // The next pick of the same stream, right after the shuffle's: where a slow stop of this wheel runs out.
    // A witnessed stop's pick is taken at the stop.
    const int lap = 360 * wheel.count;
    if (!event.witnessed)
        wheel.turn = stream.between(lap, 3 * lap - 1);
    else
        m_summary.witnessed[m_ceremony->at].steps.push_back({ true, wheel.count });
    m_wheels.at(static_cast<std::size_t>(event.category)) = wheel;
    ++m_summary.starts;
    if (wheel.slowStopOption)
        m_slowStops = true;
    return true;
}

bool RecordReplay::checkStop(const Event& event, QString& reason)
{
    const QJsonObject& d = event.details;
    const std::optional<Wheel>& wheel = m_wheels.at(static_cast<std::size_t>(event.category));
    const std::vector<int>& candidates = candidatesOf(event.category);
    if (!wheel) {
        reason = QStringLiteral("停止之前没有开始摇号，或开始之后候选名单又被改动过。");
        return false;
    }
    const int n = wheel->count;
    const qint64 lap = qint64(360) * n;
    const bool slow = d.value(drawnotes::SlowStop).toBool();
    if (event.witnessed != wheel->witnessed) {
        reason = event.witnessed ? QStringLiteral("这次停止记为见证摇号，它的开始却不是。")
                                 : QStringLiteral("见证摇号的开始之后，停止却没有记为见证摇号。");
        return false;
    }
    if (!wheel->witnessed && slow != wheel->slowStopOption) {
        reason = slow ? QStringLiteral("开始摇号时没有勾选随机缓停，停止却是随机缓停。")
                      : QStringLiteral("开始摇号时勾选了随机缓停，停止却不是随机缓停。");
        return false;
    }
    const std::optional<qint64> sector = wholeNumber(d.value(drawnotes::Sector));
    std::optional<qint64> position;
    std::optional<qint64> angle;
    if (m_version >= 2) {
        angle = wholeNumber(d.value(drawnotes::Angle));
        position = wholeNumber(d.value(QStringLiteral("position")));
    } else {
        // Version 1 wrote the wheel's count and speed again, and the pointer in steps twice.
        const std::optional<qint64> count = wholeNumber(d.value(drawnotes::WheelCount));
        const std::optional<qint64> speed = wholeNumber(d.value(drawnotes::Speed));
        const std::optional<qint64> steps = wholeNumber(d.value(drawnotes::Steps));
        position = wholeNumber(d.value(drawnotes::ShownSteps));
        if (!count || *count != n || !speed || *speed != wheel->speed || !steps || !position) {
            reason = QStringLiteral("停止记下的扇区数或转速与开始时不符。");
            return false;
        }
        angle = slow ? wholeNumber(d.value(drawnotes::SlowStopPressAngle)) : wholeNumber(d.value(drawnotes::Angle));
        if (slow) {
            const std::optional<qint64> turn = wholeNumber(d.value(drawnotes::SlowStopTurn));
            if (!turn || !angle || *steps != *angle * n + *turn || *position != *steps) {
                reason = QStringLiteral("随机缓停的停止位置不等于按下停止时的角度加上抽到的转动步数。");
                return false;
            }
            const qint64 inLap = *steps % lap == 0 ? lap : *steps % lap;
            if (d.value(drawnotes::Angle).toDouble() != double(inLap) / n) {
                reason = QStringLiteral("随机缓停后指针的角度与停止位置不符。");
                return false;
            }
        } else if (angle && *steps != *angle * n) {
            reason = QStringLiteral("停止时指针的步数与角度不符。");
            return false;
        }
    }
    if (!angle || !wheelsteps::isRollingAngle(*angle, wheel->speed)) {
        reason = QStringLiteral("按下停止时的指针角度（%1）不是转速 %2 下指针会停的角度。")
                     .arg(d.value(drawnotes::Angle).toVariant().toString())
                     .arg(wheel->speed);
        return false;
    }
    if (wheel->witnessed) {
        // Only the ceremony that shuffled the wheel picks its stop.
        if (!m_ceremony || !m_ceremony->stream || m_ceremony->at != wheel->ceremony) {
            reason = QStringLiteral("这个转盘所属的见证摇号已经中断，停止不能由别的种子决定。");
            return false;
        }
        // The stream's next pick is the sector; the run-out comes to rest in its middle, one to two laps on.
        const int pick = m_ceremony->stream->between(1, n);
        m_summary.witnessed[m_ceremony->at].steps.push_back({ false, n });
        const qint64 middle = qint64(pick == n ? 0 : pick) * 360 + 180;
        const qint64 turn = lap + ((middle - *angle * n) % lap + lap) % lap;
        if (wholeNumber(d.value(QStringLiteral("turn"))) != turn
            || wholeNumber(d.value(QStringLiteral("position"))) != *angle * n + turn) {
            reason = QStringLiteral("见证摇号的种子下一次抽到的是扇区 %1：转动步数应为 %2，停止位置应为 %3。")
                         .arg(pick)
                         .arg(turn)
                         .arg(*angle * n + turn);
            return false;
        }
    } else if (slow) {
        const qint64 turn = m_version >= 2 ? wholeNumber(d.value(QStringLiteral("turn"))).value_or(-1)
                                           : wholeNumber(d.value(drawnotes::SlowStopTurn)).value_or(-1);
        if (turn < lap || turn > 3 * lap - 1 || (m_version >= 2 && turn != wheel->turn)) {
            reason = QStringLiteral("随机缓停的转动步数不是开始时种子抽出的数（应为 %1）。").arg(wheel->turn);
            return false;
        }
        if (!position || *position != *angle * n + turn) {
            reason = QStringLiteral("随机缓停的停止位置不等于按下停止时的角度加上抽到的转动步数。");
            return false;
        }
    } else if (!position || *position != wheelsteps::shownAngle(*angle, wheel->speed, n) * n) {
        reason = QStringLiteral("停止位置不是指针最后经过的扇区的位置（应为 %1）。")
                     .arg(wheelsteps::shownAngle(*angle, wheel->speed, n) * n);
        return false;
    }
    const int computed = wheelsteps::sectorAt(*position, n);
    if (!sector || computed != *sector) {
        reason = QStringLiteral("由指针位置算出的扇区是 %1，记录写的是 %2。")
                     .arg(computed)
                     .arg(d.value(drawnotes::Sector).toVariant().toString());
        return false;
    }
    const QString name = d.value(drawnotes::Name).toString();
    const int underPointer
        = n == static_cast<int>(candidates.size()) ? candidates[static_cast<std::size_t>(computed - 1)] : -1;
    if (underPointer < 0 || m_names[static_cast<std::size_t>(underPointer)] != name) {
        reason = QStringLiteral("扇区 %1 上的名称是%2，记录写的摇中名称是%3。")
                     .arg(computed)
                     .arg(quoted(underPointer < 0 ? QString() : m_names[static_cast<std::size_t>(underPointer)]),
                          quoted(name));
        return false;
    }
    const Change& append = event.changes[0];
    const Change& remove = event.changes[1];
    if (append.names != QStringList { name } || remove.names != QStringList { name }
        || remove.index != std::find(candidates.begin(), candidates.end(), underPointer) - candidates.begin()) {
        reason = QStringLiteral("停止没有把摇中的名称从候选名单移到摇出结果（应移走第一个同名的候选）。");
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
    drawn.slowStop = slow;
    drawn.witnessed = wheel->witnessed;
    m_summary.categories.at(static_cast<std::size_t>(event.category)).draws.push_back(drawn);
    ++m_summary.stops;
    return true;
}

void RecordReplay::noteSources(const Event& event)
{
    if (event.category < 0)
        return;
    QStringList& sources = m_summary.categories.at(static_cast<std::size_t>(event.category)).sources;
    if (event.kind == QLatin1String("import") && !event.changes.empty()) {
        sources = QStringList { event.details.value(listnotes::File).toString() };
    } else if (event.kind == QLatin1String("manualEntry") && event.appendedCandidates
               && !sources.contains(ManualSource)) {
        sources.append(ManualSource);
    } else if (event.clearedCandidates) {
        sources.clear();
    }
}

void RecordReplay::finish()
{
    if (m_ceremony)
        endCeremony(WitnessedDraw::End::CutShort);
    for (Category c = 0; c < CategoryCount; ++c)
        if (m_substituteStreams.at(static_cast<std::size_t>(c)))
            m_summary.witnessed[m_substituteCeremony.at(static_cast<std::size_t>(c))].substitutesOpen = true;
    for (Category c = 0; c < CategoryCount; ++c) {
        dropWheel(c);
        m_summary.categories.at(static_cast<std::size_t>(c)).results = list(c, ListKind::Results);
    }
    if (m_version >= 2)
        return;
    if (m_lineFeedNames)
        m_summary.unchecked.append(QStringLiteral(
            "记录中有名称含换行符，第1版的名单指纹（每个名称后接换行的 SHA-256）不能唯一确定这样的名单"));
    if (m_slowStops)
        m_summary.unchecked.append(
            QStringLiteral("随机缓停的转动步数当时不由洗牌种子产生，无法重算，只核验了它的范围和停止位置"));
}

} // namespace pelorin::record
